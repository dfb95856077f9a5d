// The software display's data set: the shared man sprite file and each
// club's kit sprites, the text meshes of the ground with their textures, and
// the ".lbm" pictures of the grass, the pitch pieces, the sky, the weather
// palettes, the shadow, the markers and the kick arrows. All drawn here from
// simple shapes in one palette.
#include "lib/iff_write.h"
#include "lib/image_write.h"
#include "lib/kit.h"
#include "lib/sw_write.h"
#include "sw_palette.h"
#include "gl3d/angle_maths.h"
#include "swrender/sw_display_list.h"
#include "swrender/sw_resources.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

// The palette: 0 black, 1-9 greys, 12 the line white, 16-47 grass greens,
// 48-79 sky blues, 80-95 skin and browns, 96-127 the clubs' colours, 128
// line white, 129-136 the line's shade ramp, 137-150 the stands.
std::vector<uint8_t> palette(int weather)
{
    std::vector<uint8_t> p(768, 0);
    auto set = [&](int i, int r, int g, int b) {
        p[size_t(i) * 3] = uint8_t(std::clamp(r, 0, 255));
        p[size_t(i) * 3 + 1] = uint8_t(std::clamp(g, 0, 255));
        p[size_t(i) * 3 + 2] = uint8_t(std::clamp(b, 0, 255));
    };
    int dim = weather == 1 ? 40 : weather == 2 ? 60 : 0;
    for (int i = 1; i < 10; ++i) set(i, i * 25, i * 25, i * 25);
    set(12, 250, 250, 250);
    for (int i = 0; i < 32; ++i) set(16 + i, 30 + i * 2 - dim, 110 + i * 3 - dim, 30 + i - dim);
    for (int i = 0; i < 32; ++i) set(48 + i, 90 + i * 4 - dim, 140 + i * 3 - dim, 230 - dim);
    for (int i = 0; i < 16; ++i) set(80 + i, 150 + i * 6, 100 + i * 5, 60 + i * 3);
    const int clubs[16][3] = {{200, 30, 30},  {30, 30, 200}, {240, 200, 20}, {20, 140, 60},  {120, 20, 120}, {240, 120, 20},
                              {20, 180, 200}, {90, 60, 30},  {200, 200, 200}, {200, 80, 150}, {60, 60, 60},  {150, 200, 40},
                              {30, 80, 120},  {170, 20, 60}, {230, 170, 140}, {80, 20, 200}};
    for (int i = 0; i < 16; ++i) {
        set(96 + 2 * i, clubs[i][0], clubs[i][1], clubs[i][2]);
        set(97 + 2 * i, 255 - clubs[i][0] / 2, 255 - clubs[i][1] / 2, 255 - clubs[i][2] / 2);
    }
    set(128, 240, 240, 240);
    for (int i = 0; i < 8; ++i) set(129 + i, 60 + i * 25, 130 + i * 15, 60 + i * 25);
    for (int i = 0; i < 14; ++i) set(137 + i, 90 + i * 8, 90 + i * 8, 100 + i * 8);
    set(160, 250, 220, 0);   // officials' yellow
    set(161, 20, 160, 20);   // the other officials' green
    set(162, 160, 60, 20);   // the ball
    return p;
}

bool write_picture(const KitContext& ctx, const std::string& name, uint32_t w, uint32_t h,
                   const std::vector<uint8_t>& pixels, std::string& error, int weather = 0)
{
    return kit_write_file(ctx, name.c_str(), kit_ilbm(w, h, 8, palette(weather), pixels), error);
}

std::vector<uint8_t> pattern(uint32_t w, uint32_t h, uint8_t (*f)(uint32_t x, uint32_t y))
{
    std::vector<uint8_t> p(size_t(w) * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) p[size_t(y) * w + x] = f(x, y);
    return p;
}

// The men's part pictures. On the software path a part is drawn with its
// picture's origin on the part's joint, rolled so that the picture's axis
// for the view lies along the bone on the screen; the view's entry of the
// view direction table says at which screen angle the bone's axis shows in
// that view's picture and how much of its length is seen. So each view's
// picture is the part's shape laid along that angle from the origin,
// foreshortened by that factor.
struct PartShape {
    double start, length; // along the bone from its joint, in 3D units
    double width;         // across it
    uint8_t colour, end_colour; // the end colour for the far quarter (a sock, a cuff)
    bool head;            // a round head at the far end instead of a bar
};

// Sprite pixels a 3D unit: a part other than the head is drawn at 1416 x 67
// / 65536 screen pixels a sprite pixel where a 3D unit is one pixel; the
// head at half that.
constexpr double PART_PIXELS = 65536.0 / (1416.0 * 67.0);

KitManFrame part_view(uint8_t tag, const PartShape& shape, int view)
{
    const view_direction& d = view_direction_table[view];
    const double angle = d.base_angle * (2.0 * M_PI / 65536.0);
    const double k = shape.head ? 2 * PART_PIXELS : PART_PIXELS;
    const double dx = std::sin(angle) * d.factor, dy = -std::cos(angle) * d.factor;
    const double r = shape.width * k / 2;
    const double ax = shape.start * k * dx, ay = shape.start * k * dy;
    const double bx = (shape.start + shape.length) * k * dx, by = (shape.start + shape.length) * k * dy;
    const double hx = shape.head ? bx : 0, hy = shape.head ? by : 0;
    // The box round the shape, the origin (the joint at 0, 0) kept in a byte.
    const double left = std::floor(std::min(shape.head ? hx : std::min(ax, bx), 0.0) - r - 1);
    const double top = std::floor(std::min(shape.head ? hy : std::min(ay, by), 0.0) - r - 1);
    const double right = std::ceil(std::max(shape.head ? hx : std::max(ax, bx), 0.0) + r + 1);
    const double bottom = std::ceil(std::max(shape.head ? hy : std::max(ay, by), 0.0) + r + 1);
    KitManFrame f;
    f.tag = tag;
    f.width = uint8_t(std::clamp(right - left, 1.0, 255.0));
    f.height = uint8_t(std::clamp(bottom - top, 1.0, 255.0));
    f.x_origin = int8_t(std::clamp(-left, -128.0, 127.0));
    f.y_origin = int8_t(std::clamp(-top, -128.0, 127.0));
    f.texels.assign(size_t(f.width) * f.height, 0);
    const double lx = bx - ax, ly = by - ay, l2 = lx * lx + ly * ly;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            const double px = x + left + 0.5, py = y + top + 0.5;
            if (shape.head) {
                const double ex = px - hx, ey = py - hy;
                if (ex * ex + ey * ey <= r * r) f.texels[size_t(y) * f.width + x] = ey < -r / 3 ? shape.end_colour : shape.colour;
                continue;
            }
            // The nearest point of the bone, from 0 at its start to 1 at its end.
            double t = l2 > 0 ? ((px - ax) * lx + (py - ay) * ly) / l2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = px - (ax + t * lx), ey = py - (ay + t * ly);
            if (ex * ex + ey * ey > r * r) continue;
            // A darker stripe along the middle shows the roll.
            const bool middle = ex * ex + ey * ey < 0.3;
            f.texels[size_t(y) * f.width + x] = t > 0.75 ? shape.end_colour : middle ? uint8_t(shape.colour + 1) : shape.colour;
        }
    return f;
}

// The 256 stored views of one part; views whose pictures come out the same
// share one frame.
void part_views(uint8_t tag, const PartShape& shape, std::vector<KitManFrame>& frames, std::array<uint32_t, 256>& index)
{
    for (int v = 0; v < SW_STORED_VIEWS; ++v) {
        KitManFrame f = part_view(tag, shape, v);
        uint32_t at = uint32_t(frames.size());
        for (uint32_t i = 0; i < frames.size(); ++i)
            if (frames[i].tag == f.tag && frames[i].width == f.width && frames[i].height == f.height &&
                frames[i].x_origin == f.x_origin && frames[i].y_origin == f.y_origin && frames[i].texels == f.texels) {
                at = i;
                break;
            }
        if (at == frames.size()) frames.push_back(f);
        index[size_t(v)] = at;
    }
}

// The body from the waist to the shoulders, the thigh from the hip to the
// knee, the shin from the knee to the ankle; the upper arm and the forearm;
// the foot along the ground; the head, carried on the torso's bone from the
// waist.
PartShape body(uint8_t colour) { return {0, 44, 30, colour, colour, false}; }
PartShape thigh(uint8_t colour) { return {0, 42, 14, colour, 84, false}; }
PartShape shin(uint8_t colour) { return {0, 43, 11, 84, colour, false}; }
const PartShape upper_arm = {0, 29, 10, 84, 84, false};
const PartShape forearm = {0, 40, 8, 84, 84, false};
const PartShape foot = {-3, 17, 9, 2, 2, false};
const PartShape head = {0, 60, 20, 84, 90, true};

// Each table's frames: the shared file writes them one table after another
// (each frame's tag its table), a team file with its own offset tables.
bool build_shared_sprites(const KitContext& ctx, std::string& error)
{
    build_sincos_table();
    build_view_direction_table();
    const PartShape tables[SW_SHARED_TABLES] = {
        upper_arm, forearm, foot, head, body(160), thigh(3), shin(160), body(161), thigh(3), shin(161),
        {-4, 8, 10, 162, 162, false},
    };
    std::vector<KitManFrame> frames;
    for (int t = 0; t < SW_SHARED_TABLES; ++t) {
        // The shared file is read view by view: every view has its frame.
        std::vector<KitManFrame> table;
        std::array<uint32_t, 256> index{};
        part_views(uint8_t(t), tables[t], table, index);
        for (int v = 0; v < SW_STORED_VIEWS; ++v) frames.push_back(table[index[size_t(v)]]);
    }
    return kit_write_file(ctx, "sw team gfx\\kob.spr", kit_man_sprites(frames, nullptr), error);
}

bool build_team_sprites(const KitContext& ctx, std::string& error)
{
    build_sincos_table();
    build_view_direction_table();
    for (int club = 0; club < SW_TEAMS; ++club)
        for (int side = 0; side < 2; ++side) {
            uint8_t shirt = uint8_t(96 + 2 * club + side), shorts = uint8_t(97 + 2 * club - side);
            std::vector<KitManFrame> frames;
            std::array<std::array<uint32_t, 256>, 3> index{};
            part_views(0, body(shirt), frames, index[0]);
            part_views(1, thigh(shorts), frames, index[1]);
            part_views(2, shin(shirt), frames, index[2]);
            std::vector<uint32_t> offsets;
            std::vector<uint8_t> spr = kit_man_sprites(frames, &offsets);
            std::array<std::array<uint32_t, 256>, 3> tables{};
            for (int t = 0; t < 3; ++t)
                for (int v = 0; v < 256; ++v) tables[size_t(t)][size_t(v)] = offsets[index[size_t(t)][size_t(v)]];
            std::string dir = std::string("sw team gfx\\") + team_sprite_dirs[club] + "\\spr\\CCup\\" +
                              (side == 0 ? "home" : "away") + "\\";
            if (!kit_write_file(ctx, (dir + "Team.spr").c_str(), spr, error) ||
                !kit_write_file(ctx, (dir + "Team.dwd").c_str(), kit_team_dwd(tables), error) ||
                !kit_write_file(ctx, (dir + "Team.pal").c_str(), palette(0), error))
                return false;
        }
    return true;
}

// A ring of quads round the ground, height high, leaning out.
KitMesh stand_ring(double a, double b, double height, int segments, double lean)
{
    KitMesh m;
    for (int i = 0; i < segments; ++i) {
        double t = i * 2 * M_PI / segments;
        m.vertices.push_back({a * std::cos(t), 0.0, b * std::sin(t)});
        m.vertices.push_back({(a + lean) * std::cos(t), height, (b + lean) * std::sin(t)});
        m.uv.push_back({double(i % 2), 0.0});
        m.uv.push_back({double(i % 2), 1.0});
    }
    for (int i = 0; i < segments; ++i) {
        int a0 = 2 * i, a1 = 2 * i + 1, b0 = 2 * ((i + 1) % segments), b1 = b0 + 1;
        m.faces.push_back({a0, b0, b1});
        m.faces.push_back({a0, b1, a1});
        m.face_materials.push_back(i % 8 == 0 ? 0 : 1);
        m.face_materials.push_back(i % 8 == 0 ? 0 : 1);
    }
    // Every eighth bay carries the sponsor's banner, the others the crowd.
    m.materials = {KitMeshMaterial{1, 1, 1, "vetra_sport.bmp"}, KitMeshMaterial{1, 1, 1, "stands.bmp"}};
    return m;
}

KitMesh post(double half, double height)
{
    KitMesh m;
    for (int i = 0; i < 8; ++i) {
        m.vertices.push_back({i & 1 ? half : -half, i & 2 ? height : 0.0, i & 4 ? half : -half});
        m.uv.push_back({0, 0});
    }
    m.faces = {{0, 1, 3}, {0, 3, 2}, {4, 6, 7}, {4, 7, 5}, {0, 4, 5}, {0, 5, 1},
               {2, 3, 7}, {2, 7, 6}, {0, 2, 6}, {0, 6, 4}, {1, 5, 7}, {1, 7, 3}};
    m.face_materials = {0};
    m.materials = {KitMeshMaterial{0.95f, 0.95f, 0.95f, ""}};
    return m;
}

bool write_mesh(const KitContext& ctx, const char* name, const KitMesh& m, std::string& error)
{
    std::string text = kit_x_mesh(m);
    return kit_write_file(ctx, name, std::vector<uint8_t>(text.begin(), text.end()), error);
}

bool build_meshes(const KitContext& ctx, std::string& error)
{
    // The pitch: its first, second and third vertices give the scales (3 and 3).
    KitMesh pitch;
    pitch.vertices = {{-4033.333333, 0, -2633.333333}, {-4033.333333, 0, 2633.333333}, {4033.333333, 0, -2633.333333},
                      {4033.333333, 0, 2633.333333}};
    pitch.faces = {{0, 1, 3}, {0, 3, 2}};
    pitch.face_materials = {0};
    pitch.materials = {KitMeshMaterial{0.2f, 0.6f, 0.2f, ""}};
    // The stadium is scaled by 2 across the ground and 1.874 up.
    KitMesh stadium = stand_ring(10800 / 2.0, 7600 / 2.0, 1800 / 1.874, 48, 600);
    // Posts: 4.216444132 up, 3 across.
    KitMesh goal = post(8 / 3.0, 1500 / 4.216444132), behind = post(6 / 3.0, 1000 / 4.216444132);
    KitMesh sky = stand_ring(40000 / 2.0, 40000 / 2.0, 7000 / 1.874, 24, 0);
    sky.materials = {KitMeshMaterial{1, 1, 1, "sky.bmp"}};
    sky.face_materials = {0};
    KitPicture banner = kit_picture(32, 16);
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 32; ++x) banner.at(x, y) = ((x / 4 + y / 4) % 2) ? 96 : 128;
    // The crowd: rows of seats, each spectator a head over a shirt of some
    // club's colours, a few seats empty; the gangways between the blocks.
    KitPicture crowd = kit_picture(64, 64);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            const uint32_t seat = (x / 4) * 7 + (y / 8) * 13, hash = (seat * 2654435761u) >> 24;
            uint32_t colour = 4; // the concrete
            if (x % 32 >= 2 && y % 8 < 7) {
                if (hash % 9 == 0) colour = 3; // an empty seat
                else if (y % 8 < 2 && x % 4 != 3) colour = 80 + hash % 8;  // a face
                else if (x % 4 != 3) colour = 96 + hash % 32;               // a shirt or a scarf
            }
            crowd.at(x, y) = colour;
        }
    // The sky: blue deepening upwards, with soft bands of cloud.
    KitPicture sky_picture = kit_picture(64, 64);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            const bool cloud = ((x / 8 + y / 5 + (x * y) / 97) % 7) == 0;
            sky_picture.at(x, y) = cloud ? 79 : 48 + (y * 28) / 64;
        }
    std::vector<uint32_t> pal(256);
    std::vector<uint8_t> p = palette(0);
    for (int i = 0; i < 256; ++i) pal[size_t(i)] = uint32_t(p[size_t(i) * 3]) << 16 | uint32_t(p[size_t(i) * 3 + 1]) << 8 | p[size_t(i) * 3 + 2];
    return write_mesh(ctx, "sw display\\mesh\\pitch.x", pitch, error) &&
           write_mesh(ctx, "sw display\\mesh\\stadium.x", stadium, error) &&
           write_mesh(ctx, "sw display\\mesh\\post01.x", goal, error) &&
           write_mesh(ctx, "sw display\\mesh\\post02.x", behind, error) &&
           write_mesh(ctx, "sw display\\mesh\\sky.x", sky, error) &&
           kit_write_file(ctx, "sw display\\mesh\\vetra_sport.bmp", kit_bmp(banner, 8, pal), error) &&
           kit_write_file(ctx, "sw display\\mesh\\stands.bmp", kit_bmp(crowd, 8, pal), error) &&
           kit_write_file(ctx, "sw display\\mesh\\sky.bmp", kit_bmp(sky_picture, 8, pal), error);
}

bool build_pictures(const KitContext& ctx, std::string& error)
{
    auto grass = pattern(128, 128, [](uint32_t x, uint32_t y) { return uint8_t(16 + ((x * 7 + y * 13) % 17) + ((y / 16) % 2) * 8); });
    auto ground = pattern(128, 128, [](uint32_t x, uint32_t y) { return uint8_t(16 + ((x ^ y) % 6)); });
    auto logo = pattern(256, 64, [](uint32_t x, uint32_t y) {
        return uint8_t((x > 8 && x < 248 && y > 8 && y < 56 && ((x / 16 + y / 16) % 2)) ? 96 : 0);
    });
    auto piece = pattern(64, 64, [](uint32_t x, uint32_t y) { return uint8_t((x < 4 || y < 4) ? 128 : 0); });
    auto small = [](uint8_t colour) {
        std::vector<uint8_t> p(64 * 64, 0);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                int dx = x - 32, dy = y - 32;
                int r = dx * dx + dy * dy;
                if (r < 900 && r > 600) p[size_t(y) * 64 + x] = colour;
            }
        return p;
    };
    auto arrow = [](int frame) {
        std::vector<uint8_t> p(64 * 64, 0);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                if (std::abs(x - 32) < 4 + (y < 20 + frame ? (20 + frame - y) / 2 : 0)) p[size_t(y) * 64 + x] = uint8_t(1 + (y * 3) / 64);
        return p;
    };
    auto shadow = pattern(64, 64, [](uint32_t x, uint32_t y) {
        int dx = int(x) - 32, dy = int(y) - 32, r = dx * dx + dy * dy;
        return uint8_t(r < 200 ? 3 : r < 500 ? 2 : r < 900 ? 1 : 0);
    });
    const char* const skies[4] = {"clouds1", "dusk", "storm", "whisp"};
    for (int i = 0; i < 4; ++i) {
        std::vector<uint8_t> sky(320 * 240);
        for (uint32_t y = 0; y < 240; ++y)
            for (uint32_t x = 0; x < 320; ++x)
                sky[size_t(y) * 320 + x] = uint8_t(48 + (y * 31) / 240 - ((x / 40 + y / 30 + uint32_t(i)) % 5 == 0 ? 6 : 0));
        if (!write_picture(ctx, std::string("sw display\\gfx\\") + skies[i] + ".lbm", 320, 240, sky, error)) return false;
    }
    const char* const pals[4] = {"PAL_kob", "PAL_kob_d", "PAL_kob_s", "PAL_kob_w"};
    for (int i = 0; i < 4; ++i)
        if (!write_picture(ctx, std::string("palette\\") + pals[i] + ".lbm", 16, 16, std::vector<uint8_t>(256, 0), error, i))
            return false;
    const char* const markers[SW_MARKERS] = {"redx", "yello", "yellox", "blue", "silv", "orange", "black"};
    const uint8_t marker_colours[SW_MARKERS] = {96, 100, 100, 98, 8, 106, 1};
    for (int i = 0; i < SW_MARKERS; ++i)
        if (!write_picture(ctx, std::string("game_gfx\\software\\") + markers[i] + ".lbm", 64, 64, small(marker_colours[i]), error))
            return false;
    char name[64];
    for (int i = 0; i < 8; ++i) {
        std::snprintf(name, sizeof name, "game_gfx\\software\\kick%04d.lbm", i + 1);
        if (!write_picture(ctx, name, 64, 64, arrow(i), error)) return false;
        std::snprintf(name, sizeof name, "game_gfx\\software\\pass%d.lbm", i);
        if (!write_picture(ctx, name, 64, 64, arrow(7 - i), error)) return false;
    }
    return write_picture(ctx, "sw display\\gfx\\grassy.lbm", 128, 128, grass, error) &&
           write_picture(ctx, "sw display\\gfx\\grss_p.lbm", 128, 128, ground, error) &&
           write_picture(ctx, "game_gfx\\software\\Vetrakob.lbm", 256, 64, logo, error) &&
           write_picture(ctx, "game_gfx\\software\\lkkob.lbm", 256, 64, logo, error) &&
           write_picture(ctx, "game_gfx\\software\\50_30_1.lbm", 64, 64, piece, error) &&
           write_picture(ctx, "game_gfx\\software\\50_30_2.lbm", 64, 64, piece, error) &&
           write_picture(ctx, "game_gfx\\software\\50_90.lbm", 64, 64, piece, error) &&
           write_picture(ctx, "game_gfx\\software\\shadow2.lbm", 64, 64, shadow, error) &&
           write_picture(ctx, "game_gfx\\software\\target2.lbm", 64, 64, small(12), error);
}

bool build_software_display(const KitContext& ctx, std::string& error)
{
    return build_shared_sprites(ctx, error) && build_team_sprites(ctx, error) && build_meshes(ctx, error) &&
           build_pictures(ctx, error);
}

} // namespace

std::vector<uint8_t> kit_sw_palette(int weather) { return palette(weather); }

bool kit_sw_fixed_colour(int index)
{
    return (index >= 1 && index <= 9) || index == 12 || (index >= 80 && index <= 150) || (index >= 160 && index <= 162);
}


KIT_STEP(software_display, 60, build_software_display)
