// The match scene: the pitch in six sections with its markings, the sky
// dome, a stadium for each ground (stands, fence, goal posts), the balls,
// the ground markers, arrows and rings, the overlay models and bars, the
// floodlight map, and the kit textures of every club. Everything is drawn
// at (-x, -y, z) and a facet (a, b, c) as (c, b, a).
#include "lib/image_write.h"
#include "lib/kit.h"
#include "lib/lzss_write.h"
#include "lib/tca_writer.h"

#include <cmath>
#include <string>

namespace {

constexpr float kPi = 3.14159265f;
const std::string kStadia = "3d display\\stadia\\";
const std::string kTcas = "3d display\\tcas\\";
const std::string kTextures = "3d display\\textures\\";

uint32_t argb(int r, int g, int b, int a = 255)
{
    auto c = [](int v) { return static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

// A picture and its ".lkz" twin.
bool write_picture(const KitContext& ctx, const std::string& tga_name, const KitPicture& p, std::string& error)
{
    const std::string lkz = tga_name.substr(0, tga_name.rfind('.')) + ".lkz";
    return kit_write_file(ctx, tga_name.c_str(), kit_tga(p), error) &&
           kit_write_file(ctx, lkz.c_str(), kit_lkz_image(p.width, p.height, p.pixels), error);
}

// Upward-facing: drawn (c, b, a) comes out clockwise from above.
void add_quad(TcaMeshData& m, uint16_t a, uint16_t b, uint16_t c, uint16_t d)
{
    m.facets.push_back({a, c, b, a});
    m.facets.push_back({a, d, c, a});
}

uint16_t add_vertex(TcaMeshData& m, float x, float y, float z, float u, float v, float shade = 1.0f)
{
    m.vertices.push_back({x, y, z});
    m.normals.push_back({shade, shade, shade});
    m.uvs.push_back({u, v});
    return static_cast<uint16_t>(m.vertices.size() - 1);
}

TcaFileData one_file() { return TcaFileData{}; }

// ---- The pitch ----

struct Section {
    const char* name;
    float x0, x1, z0, z1; // drawn bounds
    bool u_mirror, v_mirror, middle;
};
constexpr Section kSections[6] = {
    {"pitch_corner1", -12816, -4272, 0, 8448, true, false, false},
    {"pitch_corner2", 4272, 12816, 0, 8448, false, true, false},
    {"pitch_corner3", 4272, 12816, -8448, 0, false, true, false},
    {"pitch_corner4", -12816, -4272, -8448, 0, true, false, false},
    {"pitch_middle_L", -4272, 4272, -8448, 0, true, false, true},
    {"pitch_middle_R", -4272, 4272, 0, 8448, false, true, true},
};

TcaFileData build_pitch()
{
    TcaFileData f = one_file();
    const int n = 8;
    for (const Section& s : kSections) {
        TcaMeshData m;
        m.name = s.name;
        m.node_name = s.name;
        m.texture = s.middle ? "GRASS_MID.TGA" : "GRASS_END.TGA";
        for (int j = 0; j <= n; ++j)
            for (int i = 0; i <= n; ++i) {
                const float dx = s.x0 + (s.x1 - s.x0) * i / n, dz = s.z0 + (s.z1 - s.z0) * j / n;
                float t = (dx - s.x0) / 8544.0f, u = (dz - s.z0) / 8448.0f;
                if (s.u_mirror) t = 1 - t;
                if (s.v_mirror) u = 1 - u;
                add_vertex(m, -dx, 0, dz, u, t);
            }
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                const uint16_t a = static_cast<uint16_t>(j * (n + 1) + i);
                add_quad(m, a, a + 1, a + n + 2, a + n + 1);
            }
        f.meshes.push_back(m);
    }
    return f;
}

struct Grass {
    const char* directory;
    int r, g, b;  // the playing surface
    int wear;     // bare patches
    int stripes;  // mowing stripes
};
constexpr Grass kGrass[] = {
    {"circle", 58, 128, 52, 0, 10},      {"dirty_lawn", 74, 118, 50, 30, 6}, {"field", 64, 120, 46, 10, 0},
    {"lawn", 52, 134, 56, 0, 14},        {"muddy", 80, 104, 50, 45, 4},      {"circle_dull", 44, 96, 42, 0, 8},
    {"dirty_lawn_dull", 56, 88, 40, 30, 5}, {"field_dull", 48, 90, 38, 10, 0}, {"lawn_dull", 40, 100, 44, 0, 10},
    {"muddy_dull", 62, 80, 42, 45, 3},   {"muddy_night", 34, 70, 32, 40, 3}, {"Grand_Final", 60, 138, 58, 0, 16},
    {"moon", 120, 120, 126, 0, 0},
};

// The oval's markings in scene units: boundary, centre square and circles,
// fifty-metre arcs and goal squares.
bool on_marking(float x, float z)
{
    const float w = 48;
    const float e = std::sqrt((x / 9600) * (x / 9600) + (z / 6400) * (z / 6400));
    if (std::fabs(e - 1) * 6400 < w) return true;
    if (e > 1) return false;
    if ((std::fabs(std::fabs(x) - 3000) < w && std::fabs(z) <= 3000) ||
        (std::fabs(std::fabs(z) - 3000) < w && std::fabs(x) <= 3000))
        return true;
    const float r = std::sqrt(x * x + z * z);
    if (std::fabs(r - 360) < w * 0.6f || std::fabs(r - 1200) < w) return true;
    const float gx = 9600 - std::fabs(x);
    const float arc = std::sqrt(gx * gx + z * z);
    if (std::fabs(arc - 6000) < w) return true;
    if ((std::fabs(gx - 1080) < w && std::fabs(z) < 385) || (gx < 1080 && std::fabs(std::fabs(z) - 385) < w))
        return true;
    return false;
}

KitPicture grass_picture(const Grass& g, bool middle)
{
    const uint32_t size = 256;
    KitPicture p = kit_picture(size, size);
    // Corner 1 and middle R are the sections these pictures are laid out for.
    const Section& s = middle ? kSections[5] : kSections[0];
    for (uint32_t row = 0; row < size; ++row)
        for (uint32_t col = 0; col < size; ++col) {
            float u = (col + 0.5f) / size, t = (row + 0.5f) / size;
            if (s.u_mirror) t = 1 - t;
            if (s.v_mirror) u = 1 - u;
            const float dx = s.x0 + t * 8544, dz = s.z0 + u * 8448;
            const float x = -dx, z = dz;
            const float e = std::sqrt((x / 9600) * (x / 9600) + (z / 6400) * (z / 6400));
            int r = g.r, gr = g.g, b = g.b;
            if (e > 1.04f) r -= 14, gr -= 26, b -= 12; // the surrounds
            else if (g.stripes && static_cast<int>((x + 20000) / 800) % 2) r += g.stripes / 2, gr += g.stripes, b += g.stripes / 2;
            const float centre = std::sqrt(x * x + z * z), goal = std::fabs(9600 - std::fabs(x)) + std::fabs(z) * 0.5f;
            if (g.wear && (centre < 1400 || goal < 1500)) r += g.wear, gr -= g.wear / 3, b -= 4;
            const int noise = static_cast<int>((col * 7919u + row * 104729u) % 9) - 4;
            uint32_t c = argb(r + noise, gr + noise, b + noise);
            if (on_marking(x, z)) c = argb(236, 236, 230);
            p.at(col, row) = c;
        }
    return p;
}

// ---- The sky ----

struct Sky {
    const char* directory;
    int top[3], horizon[3];
    int clouds;
};
constexpr Sky kSkies[] = {
    {"sunny", {40, 100, 200}, {150, 190, 235}, 10},  {"sunny2", {50, 110, 210}, {170, 200, 235}, 25},
    {"sunny3", {30, 90, 190}, {140, 180, 230}, 0},   {"eve", {60, 60, 130}, {240, 150, 90}, 20},
    {"morning", {90, 130, 200}, {235, 200, 170}, 15}, {"cloud", {120, 130, 150}, {190, 195, 205}, 60},
    {"dull", {110, 115, 125}, {170, 172, 178}, 80},  {"gloom", {70, 74, 84}, {120, 122, 130}, 90},
    {"storm", {40, 44, 56}, {90, 92, 104}, 100},     {"night_1", {4, 6, 20}, {20, 26, 52}, 0},
};

KitPicture sky_picture(const Sky& s)
{
    KitPicture p = kit_picture(64, 128);
    for (uint32_t y = 0; y < 128; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            const float k = y / 127.0f; // 0 the top, 1 the horizon
            int c[3];
            for (int i = 0; i < 3; ++i) c[i] = static_cast<int>(s.top[i] + (s.horizon[i] - s.top[i]) * k);
            const float wave = std::sin(x * 0.39f + y * 0.21f) * std::sin(y * 0.13f - x * 0.17f);
            if (wave > 1 - s.clouds / 60.0f)
                for (int& v : c) v = v + (235 - v) * s.clouds / 140;
            if (s.clouds == 0 && s.top[2] < 40 && (x * 31 + y * 17) % 97 == 0) c[0] = c[1] = c[2] = 230; // stars
            p.at(x, y) = argb(c[0], c[1], c[2]);
        }
    return p;
}

TcaFileData build_dome(float radius, const char* texture)
{
    TcaFileData f = one_file();
    TcaMeshData m;
    m.name = m.node_name = "sky";
    m.texture = texture;
    const int around = 24, up = 8;
    for (int j = 0; j <= up; ++j) {
        const float a = (j == 0 ? -0.12f : (j - 0.0f) / up) * kPi / 2;
        for (int i = 0; i <= around; ++i) {
            const float b = 2 * kPi * i / around;
            add_vertex(m, radius * std::cos(a) * std::cos(b), radius * std::sin(a) - 800, radius * std::cos(a) * std::sin(b),
                       static_cast<float>(i) / around, 1 - static_cast<float>(j) / up);
        }
    }
    // Seen from inside.
    for (int j = 0; j < up; ++j)
        for (int i = 0; i < around; ++i) {
            const uint16_t a = static_cast<uint16_t>(j * (around + 1) + i);
            add_quad(m, a, a + 1, a + around + 2, a + around + 1);
        }
    f.meshes.push_back(m);
    return f;
}

// ---- The stadium ----

struct Ground {
    const char* code;
    int seats[3], roof[3];
    float height;
};
constexpr Ground kGrounds[7] = {
    {"hbr", {160, 40, 40}, {220, 220, 210}, 2600}, {"irb", {40, 70, 150}, {200, 200, 190}, 3000},
    {"slt", {200, 160, 50}, {210, 210, 200}, 2200}, {"qry", {90, 90, 100}, {190, 180, 170}, 2800},
    {"tdw", {40, 130, 140}, {225, 225, 215}, 2400}, {"rdg", {130, 50, 30}, {205, 200, 185}, 3200},
    {"lgh", {60, 120, 60}, {215, 215, 205}, 2000},
};

// One ring of the oval at ellipse scale k and height y.
void stand_ring(TcaMeshData& m, float rx, float rz, float y, float v, int around, float shade)
{
    for (int i = 0; i <= around; ++i) {
        const float b = 2 * kPi * i / around;
        add_vertex(m, rx * std::cos(b), y, rz * std::sin(b), static_cast<float>(i % 2), v, shade);
    }
}

void box(TcaMeshData& m, float x, float z, float half, float height)
{
    const float xs[4] = {x - half, x + half, x + half, x - half}, zs[4] = {z - half, z - half, z + half, z + half};
    for (int side = 0; side < 4; ++side) {
        const int n = (side + 1) % 4;
        const uint16_t a = add_vertex(m, xs[side], 0, zs[side], 0.1f, 0.9f);
        const uint16_t b = add_vertex(m, xs[n], 0, zs[n], 0.2f, 0.9f);
        const uint16_t c = add_vertex(m, xs[n], height, zs[n], 0.2f, 0.6f);
        const uint16_t d = add_vertex(m, xs[side], height, zs[side], 0.1f, 0.6f);
        add_quad(m, a, d, c, b);
    }
}

TcaFileData build_stadium(const Ground& g)
{
    TcaFileData f = one_file();
    const int around = 48;
    TcaMeshData stand;
    stand.name = stand.node_name = "stand";
    stand.texture = "STAND.TGA";
    stand_ring(stand, 13400, 9000, 0, 1, around, 0.9f);
    stand_ring(stand, 16600, 12200, g.height, 0, around, 1.0f);
    for (int i = 0; i < around; ++i) add_quad(stand, static_cast<uint16_t>(i), static_cast<uint16_t>(i + 1),
                                              static_cast<uint16_t>(i + around + 2), static_cast<uint16_t>(i + around + 1));
    TcaMeshData fence;
    fence.name = fence.node_name = "fence";
    fence.texture = "ROOF.TGA";
    // The fence round the boundary, then the roof's lip above the back rows.
    stand_ring(fence, 13400, 9000, 0, 0.5f, around, 0.8f);
    stand_ring(fence, 13400, 9000, 130, 0.3f, around, 0.8f);
    for (int i = 0; i < around; ++i) add_quad(fence, static_cast<uint16_t>(i + around + 1), static_cast<uint16_t>(i + around + 2),
                                              static_cast<uint16_t>(i + 1), static_cast<uint16_t>(i));
    const uint16_t lip = static_cast<uint16_t>(fence.vertices.size());
    stand_ring(fence, 16600, 12200, g.height, 0.2f, around, 0.7f);
    stand_ring(fence, 16600, 12200, g.height + 900, 0.0f, around, 0.7f);
    for (int i = 0; i < around; ++i)
        add_quad(fence, static_cast<uint16_t>(lip + i + around + 1), static_cast<uint16_t>(lip + i + around + 2),
                 static_cast<uint16_t>(lip + i + 1), static_cast<uint16_t>(lip + i));
    // Goal and behind posts at each end.
    for (float end : {-9600.0f, 9600.0f})
        for (float z : {-1155.0f, -385.0f, 385.0f, 1155.0f}) box(fence, end, z, 14, std::fabs(z) < 400 ? 760 : 380);
    f.meshes.push_back(stand);
    f.meshes.push_back(fence);
    return f;
}

KitPicture stand_picture(const Ground& g, int look)
{
    KitPicture p = kit_picture(64, 64);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            int c[3] = {g.seats[0], g.seats[1], g.seats[2]};
            const uint32_t h = (x * 2654435761u) ^ (y * 40503u);
            if ((h >> 7) % 3 == 0) c[0] = 60 + (h % 150), c[1] = 50 + ((h >> 3) % 140), c[2] = 50 + ((h >> 5) % 130);
            if (y % 8 == 0) c[0] = c[1] = c[2] = 90; // the steps
            for (int& v : c) {
                if (look == 1) v = v * 3 / 4;
                if (look == 2) v = v / 3;
            }
            if (look == 3 && (x + y) % 11 == 0) c[0] = 250, c[1] = 220, c[2] = 60; // streamers
            p.at(x, y) = argb(c[0], c[1], c[2]);
        }
    return p;
}

KitPicture roof_picture(const Ground& g, int look)
{
    KitPicture p = kit_picture(32, 32);
    for (uint32_t y = 0; y < 32; ++y)
        for (uint32_t x = 0; x < 32; ++x) {
            int c[3] = {g.roof[0], g.roof[1], g.roof[2]};
            if (y >= 16 && y < 24) c[0] = g.seats[0], c[1] = g.seats[1], c[2] = g.seats[2]; // the fence's band
            if (look == 1) c[0] -= 40, c[1] -= 40, c[2] -= 40;
            if (look == 2) c[0] /= 3, c[1] /= 3, c[2] /= 3;
            p.at(x, y) = argb(c[0], c[1], c[2]);
        }
    // The posts stay white.
    for (uint32_t y = 19; y < 30; ++y)
        for (uint32_t x = 3; x < 7; ++x) p.at(x, y) = argb(245, 245, 240);
    return p;
}

// ---- Small models ----

// A flat disc or ring lying on the ground, textured from a square of the atlas.
// The toss coin stands upright, facing the overlay camera that looks along
// +z, and is drawn at a hundredth of its size: a radius of 2000 shows it some
// twenty pixels across the middle. It turns about x, so it rests face on at
// both ends of its turn; both faces are built, as either may be towards us.
TcaFileData coin_model(const char* texture)
{
    TcaFileData f = one_file();
    TcaMeshData m;
    m.name = m.node_name = "coin";
    m.texture = texture;
    const int around = 16;
    const float radius = 2000;
    const uint16_t centre = add_vertex(m, 0, 0, 0, 0.5f, 0.5f);
    for (int i = 0; i < around; ++i) {
        const float a = 2 * kPi * i / around;
        add_vertex(m, radius * std::cos(a), radius * std::sin(a), 0, 0.5f + std::cos(a) / 2, 0.5f - std::sin(a) / 2);
    }
    for (int i = 0; i < around; ++i) {
        const uint16_t a = static_cast<uint16_t>(1 + i), b = static_cast<uint16_t>(1 + (i + 1) % around);
        m.facets.push_back({centre, a, b, centre});
        m.facets.push_back({centre, b, a, centre});
    }
    f.meshes.push_back(m);
    return f;
}

TcaFileData flat_model(const char* texture, float radius, float inner, float u0, float v0, float cell, float tip = 0)
{
    TcaFileData f = one_file();
    TcaMeshData m;
    m.name = m.node_name = "marker";
    m.texture = texture;
    const int around = 16;
    const float cu = u0 + cell / 2, cv = v0 + cell / 2;
    if (tip > 0) {
        // An arrow pointing along +z.
        const float pts[7][2] = {{-0.3f, -1}, {0.3f, -1}, {0.3f, 0}, {0.7f, 0}, {0, tip}, {-0.7f, 0}, {-0.3f, 0}};
        for (const auto& q : pts) add_vertex(m, q[0] * radius, 0, q[1] * radius, cu + q[0] * cell / 3, cv + q[1] * cell / 4);
        add_quad(m, 0, 6, 2, 1);
        m.facets.push_back({3, 5, 4, 3});
        m.facets.push_back({2, 5, 6, 2});
        m.facets.push_back({2, 3, 5, 2});
        f.meshes.push_back(m);
        return f;
    }
    for (int i = 0; i <= around; ++i) {
        const float a = 2 * kPi * i / around;
        const float c = std::cos(a), s = std::sin(a);
        add_vertex(m, radius * c, 0, radius * s, cu + c * cell / 2.2f, cv + s * cell / 2.2f);
        add_vertex(m, inner * c, 0, inner * s, cu + c * cell / 2.2f * inner / radius, cv + s * cell / 2.2f * inner / radius);
    }
    for (int i = 0; i < around; ++i) {
        const uint16_t a = static_cast<uint16_t>(2 * i);
        add_quad(m, a + 1, a + 3, a + 2, a);
    }
    f.meshes.push_back(m);
    return f;
}

TcaFileData ball_model(const char* texture)
{
    TcaFileData f = one_file();
    TcaMeshData m;
    m.name = m.node_name = "ball";
    m.texture = texture;
    const int around = 10, along = 8;
    for (int j = 0; j <= along; ++j) {
        const float t = static_cast<float>(j) / along, x = (t - 0.5f) * 34, r = 10 * std::sin(t * kPi) + 0.01f;
        for (int i = 0; i <= around; ++i) {
            const float a = 2 * kPi * i / around;
            add_vertex(m, x, 10 + r * std::cos(a), r * std::sin(a), static_cast<float>(i) / around, t,
                       0.7f + 0.3f * std::fabs(std::cos(a)));
        }
    }
    for (int j = 0; j < along; ++j)
        for (int i = 0; i < around; ++i) {
            const uint16_t a = static_cast<uint16_t>(j * (around + 1) + i);
            add_quad(m, a, a + 1, a + around + 2, a + around + 1);
        }
    f.meshes.push_back(m);
    return f;
}

TcaFileData bar_model(const char* texture)
{
    TcaFileData f = one_file();
    TcaMeshData m;
    m.name = m.node_name = "bar";
    m.texture = texture;
    add_vertex(m, 0, 0, 0, 0, 0), add_vertex(m, 1, 0, 0, 1, 0), add_vertex(m, 0, 1, 0, 0, 1), add_vertex(m, 1, 1, 0, 1, 1);
    m.facets.push_back({0, 1, 2, 0});
    m.facets.push_back({1, 3, 2, 1});
    f.meshes.push_back(m);
    return f;
}

KitPicture plain(uint32_t size, uint32_t colour)
{
    KitPicture p = kit_picture(size, size, colour);
    return p;
}

// The atlas of markers: a 4 x 4 grid of cells, each a soft disc or ring.
KitPicture marker_atlas()
{
    KitPicture p = kit_picture(128, 128, 0);
    const uint32_t colours[8] = {argb(255, 255, 255), argb(255, 230, 60),  argb(60, 220, 90),  argb(60, 120, 255),
                                 argb(170, 80, 220),  argb(230, 60, 60),   argb(80, 140, 255), argb(240, 90, 90)};
    for (int cell = 0; cell < 16; ++cell) {
        const int cx = (cell % 4) * 32 + 16, cy = (cell / 4) * 32 + 16;
        for (int y = -16; y < 16; ++y)
            for (int x = -16; x < 16; ++x) {
                const float r = std::sqrt(static_cast<float>(x * x + y * y)) / 15.0f;
                const uint32_t c = colours[cell % 8];
                int alpha = r < 1 ? static_cast<int>(255 * (1 - r * r * r)) : 0;
                if (cell >= 8 && r < 0.6f) alpha /= 4; // rings
                p.at(static_cast<uint32_t>(cx + x), static_cast<uint32_t>(cy + y)) = (c & 0xFFFFFF) | (static_cast<uint32_t>(alpha) << 24);
            }
    }
    return p;
}

// One club's guernsey in two colours; the rest of the kit layout follows
// the figures' texture regions.
KitPicture kit_picture_for(int club, bool away, bool season)
{
    static const int kColours[16][2][3] = {
        {{20, 40, 120}, {230, 230, 230}}, {{120, 20, 30}, {240, 200, 40}},  {{30, 110, 60}, {240, 240, 240}},
        {{60, 60, 60}, {220, 120, 30}},   {{20, 120, 150}, {250, 250, 250}}, {{150, 30, 20}, {20, 20, 20}},
        {{230, 230, 230}, {200, 30, 30}}, {{30, 50, 90}, {150, 180, 220}},  {{200, 150, 40}, {80, 40, 20}},
        {{60, 30, 110}, {230, 230, 230}}, {{140, 90, 40}, {240, 220, 150}}, {{110, 110, 120}, {30, 30, 40}},
        {{240, 200, 20}, {40, 100, 40}},  {{180, 60, 20}, {60, 60, 60}},    {{20, 80, 170}, {240, 180, 40}},
        {{100, 140, 200}, {250, 250, 250}},
    };
    const int* main = kColours[club][away ? 1 : 0];
    const int* trim = kColours[club][away ? 0 : 1];
    KitPicture p = kit_picture(64, 64);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            const float u = (x + 0.5f) / 64, v = (y + 0.5f) / 64;
            uint32_t c;
            if (v < 0.5f && u < 0.5f) {
                const bool band = season ? (static_cast<int>(u * 16) % 3 == 0) : (v > 0.2f && v < 0.28f);
                c = band ? argb(trim[0], trim[1], trim[2]) : argb(main[0], main[1], main[2]);
            } else if (v < 0.25f) {
                c = away ? argb(235, 235, 235) : argb(trim[0] / 2, trim[1] / 2, trim[2] / 2); // shorts
            } else if (v < 0.5f) {
                c = static_cast<int>(v * 32) % 2 ? argb(main[0], main[1], main[2]) : argb(trim[0], trim[1], trim[2]);
            } else if (v < 0.75f) {
                c = u < 0.25f ? argb(30, 30, 30) : u < 0.5f ? argb(214, 170, 135) : u < 0.75f ? argb(90, 60, 30) : argb(150, 40, 30);
            } else {
                c = argb(230, 230, 60); // an umpire's coat
            }
            p.at(x, y) = c;
        }
    return p;
}

bool build_scene(const KitContext& ctx, std::string& error)
{
    auto model = [&](const std::string& name, const TcaFileData& f) {
        return kit_write_file(ctx, name.c_str(), write_tca(f), error);
    };
    // Pitch.
    if (!model(kStadia + "pitch\\pitch.tca", build_pitch())) return false;
    for (const Grass& g : kGrass) {
        const std::string dir = kStadia + "pitch\\" + g.directory + "\\";
        if (!write_picture(ctx, dir + "GRASS_END.TGA", grass_picture(g, false), error) ||
            !write_picture(ctx, dir + "GRASS_MID.TGA", grass_picture(g, true), error))
            return false;
    }
    // Sky.
    if (!model(kStadia + "sky\\sky.tca", build_dome(28000, "SKY.TGA"))) return false;
    for (const Sky& s : kSkies)
        if (!write_picture(ctx, kStadia + "sky\\" + s.directory + "\\SKY.TGA", sky_picture(s), error)) return false;
    // Stadia, with their four looks.
    const char* looks[4] = {"normal", "dull", "night", "GrandFinal"};
    for (const Ground& g : kGrounds) {
        const std::string dir = kStadia + "stad_" + g.code + "\\";
        if (!model(dir + g.code + ".tca", build_stadium(g))) return false;
        for (int l = 0; l < 4; ++l)
            if (!write_picture(ctx, dir + looks[l] + "\\STAND.TGA", stand_picture(g, l), error) ||
                !write_picture(ctx, dir + looks[l] + "\\ROOF.TGA", roof_picture(g, l), error))
                return false;
    }
    // The moon.
    const Ground moon = {"moon", {110, 110, 118}, {150, 150, 160}, 1200};
    if (!model(kStadia + "stad_moon\\moon.tca", build_stadium(moon)) ||
        !model(kStadia + "stad_moon\\moonsky.tca", build_dome(28000, "SKY.TGA")) ||
        !write_picture(ctx, kStadia + "stad_moon\\normal\\STAND.TGA", stand_picture(moon, 0), error) ||
        !write_picture(ctx, kStadia + "stad_moon\\normal\\ROOF.TGA", roof_picture(moon, 0), error) ||
        !write_picture(ctx, kStadia + "stad_moon\\normal\\SKY.TGA", sky_picture(kSkies[9]), error))
        return false;
    // Floodlights: bright towards the four corner towers, even on both axes.
    KitPicture flood = kit_picture(256, 128);
    for (uint32_t y = 0; y < 128; ++y)
        for (uint32_t x = 0; x < 256; ++x) {
            const float fx = std::fabs(x - 127.5f) / 128, fy = std::fabs(y - 63.5f) / 64;
            const int v = static_cast<int>(150 + 90 * (fx * fx + fy * fy) / 2);
            flood.at(x, y) = argb(v, v, v);
        }
    if (!write_picture(ctx, kStadia + "lighting\\floodlit.tga", flood, error)) return false;
    // Small models: every marker, arrow and ring shares the atlas.
    const char* markers[9] = {"airball", "pip", "catch", "cir_green", "cir_blue", "cir_purp", "cir_red", "feet_blue", "feet_red"};
    const int cells[9] = {8, 1, 9, 2, 3, 4, 5, 6, 7};
    for (int i = 0; i < 9; ++i) {
        const float u0 = (cells[i] % 4) * 0.25f, v0 = (cells[i] / 4) * 0.25f;
        const float inner = cells[i] >= 8 ? 22 : 0;
        if (!model(kTcas + markers[i] + ".tca", flat_model("MARKERS.TGA", i >= 7 ? 18 : 36, inner, u0, v0, 0.25f)))
            return false;
    }
    if (!model(kTcas + "arrow1.tca", flat_model("MARKERS.TGA", 30, 0, 0, 0, 0.25f, 1.6f)) ||
        !model(kTcas + "arrow2.tca", flat_model("MARKERS.TGA", 30, 0, 0.25f, 0, 0.25f, 1.6f)) ||
        !model(kTcas + "boundry.tca", flat_model("MARKERS.TGA", 30, 20, 0.5f, 0.5f, 0.25f)) ||
        !model(kTcas + "boundry2.tca", flat_model("MARKERS.TGA", 30, 20, 0.75f, 0.5f, 0.25f)) ||
        !model(kTcas + "arrow_o.tca", flat_model("POINTER.TGA", 300, 0, 0, 0, 1, 1.6f)) ||
        !model(kTcas + "coin.tca", coin_model("COIN.TGA")) ||
        !model(kTcas + "REDBALLHIGH.tca", ball_model("BALL_RED.TGA")) ||
        !model(kTcas + "YELLOWBALLHIGH.tca", ball_model("BALL_YELLOW.TGA")))
        return false;
    for (const char* a : {"ar_blue", "ar_purp", "ar_red", "ar_green"})
        if (!model(kTcas + a + ".tca", flat_model("OVERLAY.TGA", 120, 0, 0, 0, 1, 1.6f))) return false;
    // The last three are the front end's powerbars: its plain bar and the
    // installer's pair.
    const char* bars[9][2] = {{"barred", "BAR_RED.TGA"},     {"barmulti", "BAR_MULTI.TGA"}, {"barblack", "BAR_BLACK.TGA"},
                              {"barwhite", "BAR_WHITE.TGA"}, {"L2R1", "BAR_SIDE.TGA"},      {"R2L1", "BAR_SIDE.TGA"},
                              {"pb_plain", "PB_PLAIN.TGA"},  {"install1", "INSTALL_FILL.TGA"}, {"install2", "INSTALL_EMPTY.TGA"}};
    for (const auto& b : bars)
        if (!model(kTcas + b[0] + ".tca", bar_model(b[1]))) return false;
    // Textures of the small models, and the umpires' kit.
    KitPicture coin = kit_picture(64, 64, 0);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            const float r = std::hypot(x - 31.5f, y - 31.5f) / 32;
            coin.at(x, y) = r < 1 ? argb(r > 0.85f ? 160 : 210, r > 0.85f ? 130 : 175, 60) : 0;
        }
    const struct {
        const char* name;
        KitPicture picture;
    } pictures[] = {
        {"MARKERS.TGA", marker_atlas()},           {"POINTER.TGA", plain(16, argb(250, 220, 40))},
        {"OVERLAY.TGA", plain(16, argb(255, 255, 255))}, {"COIN.TGA", coin},
        {"BALL_RED.TGA", plain(16, argb(170, 30, 25))},  {"BALL_YELLOW.TGA", plain(16, argb(235, 210, 40))},
        {"BAR_RED.TGA", plain(16, argb(210, 40, 40))},   {"BAR_MULTI.TGA", plain(16, argb(60, 180, 80))},
        {"BAR_BLACK.TGA", plain(16, argb(10, 10, 10))},  {"BAR_WHITE.TGA", plain(16, argb(250, 250, 250))},
        {"BAR_SIDE.TGA", plain(16, argb(40, 90, 200))},  {"PLAYER.TGA", kit_picture_for(15, true, false)},
        {"PB_PLAIN.TGA", plain(16, argb(240, 200, 40))}, {"INSTALL_FILL.TGA", plain(16, argb(40, 170, 200))},
        {"INSTALL_EMPTY.TGA", plain(16, argb(60, 60, 70))},
    };
    for (const auto& p : pictures)
        if (!write_picture(ctx, kTextures + p.name, p.picture, error)) return false;
    // Club kits.
    const char* clubs[16] = {"harbour", "ironbark", "saltbush", "quarry",  "tidewater", "redgum",  "lighthouse", "bluestone",
                             "mallee",  "riverbend", "stockmen", "granite", "wattle",    "foundry", "coastline",  "brolga"};
    for (int c = 0; c < 16; ++c)
        for (int season = 0; season < 2; ++season)
            for (int away = 0; away < 2; ++away) {
                const std::string name = std::string("3d display\\team_textures\\") + clubs[c] + "\\" +
                                         (season ? "season_kit\\" : "club_kit\\") + (away ? "away\\" : "home\\") +
                                         "PLAYER.TGA";
                if (!write_picture(ctx, name, kit_picture_for(c, away, season), error)) return false;
            }
    return true;
}

} // namespace

KIT_STEP(scene_models, 53, build_scene)
