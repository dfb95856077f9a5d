// The figures: players in four hair styles and umpires, each at three levels
// of detail, 16 meshes named for the skeleton's attach points. A man stands
// about 180 model units tall, facing +z, his left side towards -x.
#include "model/attach_points.h"
#include "lib/kit.h"
#include "lib/tca_writer.h"

#include <cmath>
#include <string>

namespace {

// Where each joint sits on its parent, in model units.
const float kPivots[ATTACH_POINT_COUNT][3] = {
    {0, 97, 0},    // 0 pelvis, from the ground
    {-9, -4, 0},   // 1 left hip
    {0, -43, 0},   // 2 left knee
    {0, -43, 0},   // 3 left ankle
    {9, -4, 0},    // 4 right hip
    {0, -43, 0},   // 5 right knee
    {0, -43, 0},   // 6 right ankle
    {0, 8, 0},     // 7 lower back
    {0, 52, 0},    // 8 neck
    {-19, 46, 0},  // 9 left shoulder
    {0, -29, 0},   // 10 left elbow
    {0, -26, 0},   // 11 left wrist
    {19, 46, 0},   // 12 right shoulder
    {0, -29, 0},   // 13 right elbow
    {0, -26, 0},   // 14 right wrist
    {0, 0, 0},     // 15 the ball, placed by the animations
};

// Regions of the kit texture, in u and v.
struct Region {
    float u0, v0, u1, v1;
};
const Region kGuernsey = {0, 0, 0.5f, 0.5f}, kShorts = {0.5f, 0, 1, 0.25f}, kSocks = {0.5f, 0.25f, 1, 0.5f},
             kBoots = {0, 0.5f, 0.25f, 0.75f}, kSkin = {0.25f, 0.5f, 0.5f, 0.75f}, kHair = {0.5f, 0.5f, 0.75f, 0.75f},
             kLeather = {0.75f, 0.5f, 1, 0.75f}, kCoat = {0, 0.75f, 0.5f, 1};

struct Ring {
    float t, rx, rz; // along the segment (0..1) and its two radii
};

struct Vec {
    float x, y, z;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(Vec a, float s) { return {a.x * s, a.y * s, a.z * s}; }
Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec unit(Vec a)
{
    float l = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return l > 0 ? a * (1 / l) : a;
}

// The meshes' second vector array holds each vertex's colour (0..1): a
// grey shade from a light above and in front, so the figures look solid
// without any lighting of their own.
TcaVec3 shade(Vec normal)
{
    const Vec light = unit({-0.4f, 0.8f, 0.45f});
    const float d = normal.x * light.x + normal.y * light.y + normal.z * light.z;
    const float c = 0.62f + 0.38f * (d > 0 ? d : 0);
    return {c, c, c};
}

// A closed solid turned about the segment a..b: rings of `sides` corners,
// capped at both ends.
void add_lathe(TcaMeshData& m, Vec a, Vec b, std::initializer_list<Ring> rings, int sides, Region tex)
{
    Vec d = unit(b - a);
    Vec ref = std::fabs(d.x) < 0.9f ? Vec{1, 0, 0} : Vec{0, 0, 1};
    Vec u = unit(cross(d, ref)), v = cross(d, u);
    uint16_t base = static_cast<uint16_t>(m.vertices.size());
    int n = 0;
    for (const Ring& r : rings) {
        Vec c = a + (b - a) * r.t;
        for (int s = 0; s < sides; ++s) {
            float ang = 6.2831853f * (s + 0.5f) / sides;
            Vec dir = u * std::cos(ang) + v * std::sin(ang);
            Vec p = c + u * (r.rx * std::cos(ang)) + v * (r.rz * std::sin(ang));
            m.vertices.push_back({p.x, p.y, p.z});
            m.normals.push_back(shade(dir));
            m.uvs.push_back({tex.u0 + (tex.u1 - tex.u0) * s / sides, tex.v0 + (tex.v1 - tex.v0) * r.t});
        }
        ++n;
    }
    auto at = [&](int ring, int s) { return static_cast<uint16_t>(base + ring * sides + (s % sides)); };
    for (int r = 0; r + 1 < n; ++r)
        for (int s = 0; s < sides; ++s) {
            uint16_t p0 = at(r, s), p1 = at(r, s + 1), p2 = at(r + 1, s + 1), p3 = at(r + 1, s);
            m.facets.push_back({p0, p1, p2, p0});
            m.facets.push_back({p0, p2, p3, p0});
        }
    Vec ends[2] = {a, b};
    for (int e = 0; e < 2; ++e) {
        uint16_t centre = static_cast<uint16_t>(m.vertices.size());
        Vec c = ends[e];
        Vec nrm = e ? d : d * -1;
        m.vertices.push_back({c.x, c.y, c.z});
        m.normals.push_back(shade(nrm));
        m.uvs.push_back({(tex.u0 + tex.u1) / 2, e ? tex.v1 : tex.v0});
        int ring = e ? n - 1 : 0;
        for (int s = 0; s < sides; ++s) {
            if (e)
                m.facets.push_back({centre, at(ring, s), at(ring, s + 1), centre});
            else
                m.facets.push_back({centre, at(ring, s + 1), at(ring, s), centre});
        }
    }
}

void add_limb(TcaMeshData& m, Vec a, Vec b, float r0, float r1, int sides, Region tex)
{
    add_lathe(m, a, b, {{0, r0, r0}, {0.5f, (r0 + r1) / 2 * 1.05f, (r0 + r1) / 2 * 1.05f}, {1, r1, r1}}, sides, tex);
}

enum Figure { PLAYER, FIELD_UMPIRE, GOAL_UMPIRE };
enum Hair { SHORT, LONG, CURLY, BALD };

TcaFileData build_figure(Figure who, Hair hair, int sides)
{
    TcaFileData f;
    f.version = 2; // no variant sets: each style and kit is a file of its own
    f.node_section = 1;
    f.node_groups.push_back({});
    for (int j = 0; j < ATTACH_POINT_COUNT; ++j) {
        TcaNodeData node;
        node.name = attach_point_names[j];
        f.node_groups[0].push_back(node);
        TcaMeshData m;
        m.texture = "PLAYER.TGA";
        m.name = std::string(attach_point_names[j]).substr(0, 23);
        m.node_name = attach_point_names[j];
        m.node_index = static_cast<uint16_t>(j);
        for (int c = 0; c < 3; ++c) m.vectors[TCA_PIVOT][c] = kPivots[j][c];
        m.vectors[4][0] = m.vectors[4][1] = m.vectors[4][2] = 1; // scale
        bool coat = who == GOAL_UMPIRE;
        Region shirt = who == PLAYER ? kGuernsey : kCoat;
        switch (j) {
        case 0: add_lathe(m, {0, -8, 0}, {0, 9, 0}, {{0, 15, 10}, {1, 14, 9}}, sides, coat ? kCoat : kShorts); break;
        case 1:
        case 4: add_limb(m, {0, 0, 0}, {0, -43, 0}, 7.5f, 5.5f, sides, coat ? kCoat : kShorts); break;
        case 2:
        case 5: add_limb(m, {0, 0, 0}, {0, -43, 0}, 5.5f, 3.8f, sides, who == PLAYER ? kSocks : kShorts); break;
        case 3:
        case 6: add_lathe(m, {0, -7, -5}, {0, -7, 19}, {{0, 4.5f, 3.5f}, {0.6f, 4.5f, 4}, {1, 3.5f, 2.5f}}, sides, kBoots); break;
        case 7:
            add_lathe(m, {0, 0, 0}, {0, 50, 0}, {{0, 14, 9}, {0.6f, 17, 11}, {1, 16, 9}}, sides, shirt);
            if (coat) add_lathe(m, {0, 0, 0}, {0, -40, 0}, {{0, 15, 10}, {1, 19, 12}}, sides, kCoat);
            break;
        case 8:
            add_lathe(m, {0, 0, 0}, {0, 5, 0}, {{0, 4.5f, 4.5f}, {1, 4.5f, 4.5f}}, sides, kSkin);
            add_lathe(m, {0, 4, 1}, {0, 23, 1}, {{0, 7, 8}, {0.5f, 9, 10}, {1, 7, 8}}, sides, kSkin);
            if (who == GOAL_UMPIRE) {
                add_lathe(m, {0, 19, 1}, {0, 21, 1}, {{0, 14, 14}, {1, 14, 14}}, sides, kCoat);
                add_lathe(m, {0, 21, 1}, {0, 28, 1}, {{0, 8.5f, 9.5f}, {1, 8, 9}}, sides, kCoat);
            } else if (hair == SHORT) {
                add_lathe(m, {0, 15, 0.5f}, {0, 24, 0.5f}, {{0, 9.3f, 10.3f}, {1, 7, 8}}, sides, kHair);
            } else if (hair == LONG) {
                add_lathe(m, {0, 14, 0.5f}, {0, 24, 0.5f}, {{0, 9.5f, 10.5f}, {1, 7, 8}}, sides, kHair);
                add_lathe(m, {0, 20, -6}, {0, -2, -7}, {{0, 9, 4}, {1, 8, 3}}, sides, kHair);
            } else if (hair == CURLY) {
                add_lathe(m, {0, 12, 0.5f}, {0, 26, 0.5f}, {{0, 10.5f, 11.5f}, {0.5f, 12, 13}, {1, 8, 9}}, sides, kHair);
            }
            break;
        case 9:
        case 12: add_limb(m, {0, 0, 0}, {0, -29, 0}, 5.5f, 4.5f, sides, shirt); break;
        case 10:
        case 13: add_limb(m, {0, 0, 0}, {0, -26, 0}, 4.5f, 3.2f, sides, who == PLAYER ? kSkin : shirt); break;
        case 11:
        case 14: add_lathe(m, {0, 0, 0}, {0, -13, 1.5f}, {{0, 3, 4}, {0.5f, 2.8f, 4.5f}, {1, 2, 3.5f}}, sides, kSkin); break;
        case 15:
            add_lathe(m, {0, 0, -14}, {0, 0, 14}, {{0, 1.5f, 1.5f}, {0.3f, 8, 8}, {0.7f, 8, 8}, {1, 1.5f, 1.5f}},
                      sides, kLeather);
            break;
        }
        f.meshes.push_back(m);
    }
    return f;
}

bool build_figures(const KitContext& ctx, std::string& error)
{
    struct Level {
        const char* player;
        const char* umpire;
        int sides;
    };
    const Level levels[3] = {{"high", "high", 8}, {"mid", "med", 6}, {"low", "low", 4}};
    const char* styles[4] = {"shorthair", "longhair", "curlyhair", "baldhead"};
    for (const Level& l : levels) {
        for (int h = 0; h < 4; ++h) {
            std::string name = std::string("3d display\\pgfs\\") + l.player + "player_" + styles[h] + ".pgf";
            const auto figure = write_tca(build_figure(PLAYER, static_cast<Hair>(h), l.sides));
            if (!kit_write_file(ctx, name.c_str(), figure, error)) return false;
            // The software path's player model: the same figure, so that a
            // match plays alike on both paths.
            if (std::string(l.player) == "mid" && h == 0 && !kit_write_file(ctx, "sw display\\swtest.pgf", figure, error))
                return false;
        }
        std::string field = std::string("3d display\\pgfs\\field_ump_") + l.umpire + ".pgf";
        std::string goal = std::string("3d display\\pgfs\\goal_ump_") + l.umpire + ".pgf";
        if (!kit_write_file(ctx, field.c_str(), write_tca(build_figure(FIELD_UMPIRE, SHORT, l.sides)), error) ||
            !kit_write_file(ctx, goal.c_str(), write_tca(build_figure(GOAL_UMPIRE, BALD, l.sides)), error))
            return false;
    }
    return true;
}

} // namespace

KIT_STEP(figures, 50, build_figures)
