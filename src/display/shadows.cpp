#include "display/shadows.h"

#include "display/model_instances.h"
#include "display/scene_lighting.h"
#include "gl3d/angle_maths.h"
#include "gl3d/render_state.h"
#include "gl3d/texture_cache.h"
#include "platform/fatal_error.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

PitchSection pitch_sections[6];
int32_t section_textures[SHADOW_BUFFERS] = {-1, -1, -1};
ShadowBuffer shadow_buffers[SHADOW_BUFFERS];
int32_t current_shadow_buffer;

namespace {

int32_t entry_types[SHADOW_ENTRIES];
int32_t entry_count;
bool entries_allocated;

// clang-format off
constexpr PitchSection kSectionBounds[6] = {
    {0, -12816, 0, 0,     -4272, 0, 8448, 1, 0},
    {0, 4272,   0, 0,     12816, 0, 8448, 0, 1},
    {0, 4272,   0, -8448, 12816, 0, 0,    0, 1},
    {0, -12816, 0, -8448, -4272, 0, 0,    1, 0},
    {0, -4272,  0, -8448, 4272,  0, 0,    1, 0},
    {0, -4272,  0, 0,     4272,  0, 8448, 0, 1},
};
constexpr const char* kSectionNames[6] = {"pitch_corner1", "pitch_corner2", "pitch_corner3", "pitch_corner4",
                                          "pitch_middle_L", "pitch_middle_R"};
// Attach points in the outline order of the stick shadows.
constexpr int kSkeletonPoints[12] = {12, 9, 13, 14, 10, 11, 4, 5, 6, 1, 2, 3};
constexpr uint32_t kSkeletonTriangles[6][3] = {{0, 1, 9}, {0, 2, 3}, {1, 4, 5}, {0, 6, 9}, {6, 7, 8}, {9, 10, 11}};
constexpr float kDisc[16][2] = {
    {1, 0}, {0.927f, 0.374f}, {0.707f, 0.707f}, {0.374f, 0.927f}, {0, 1}, {-0.374f, 0.927f}, {-0.707f, 0.707f},
    {-0.927f, 0.374f}, {-1, 0}, {-0.927f, -0.374f}, {-0.707f, -0.707f}, {-0.374f, -0.927f}, {0, -1},
    {0.374f, -0.927f}, {0.707f, -0.707f}, {0.927f, -0.374f}};
// clang-format on

struct Ground {
    float x, z; // before x is stored negated
};

PitchSection chosen;

float light_direction(int light, const float reference[3], float d[3])
{
    LightSource& l = lights[light];
    if (!(l.flags & 1)) {
        float v[3] = {reference[0] - l.position[0], reference[1] - l.position[1], reference[2] - l.position[2]};
        normalise_vector(v);
        std::memcpy(l.direction, v, sizeof v);
    }
    std::memcpy(d, l.direction, 3 * sizeof(float));
    return d[1];
}

Ground project(const float p[3], const float d[3])
{
    const float dy = std::fabs(d[1]);
    const float t = dy > 0 ? p[1] / dy : 0;
    return {p[0] + t * d[0], p[2] + t * d[2]};
}

// Room for a whole cast of v vertices and i indices, or none of it.
bool room_for(int32_t v, int32_t i)
{
    const ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    return b.vertex_count + v <= b.vertex_capacity && b.index_count + i <= b.index_capacity;
}

void push_vertex(Ground g)
{
    ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    float* v = &b.vertices[static_cast<size_t>(b.vertex_count) * 3];
    v[0] = -g.x, v[1] = -3.0f, v[2] = g.z;
    ++b.vertex_count;
}

void push_triangle(uint32_t base, uint32_t a, uint32_t b, uint32_t c)
{
    ShadowBuffer& s = shadow_buffers[current_shadow_buffer];
    uint32_t* t = &s.indices[static_cast<size_t>(s.index_count)];
    t[0] = base + a, t[1] = base + b, t[2] = base + c;
    s.index_count += 3;
}

void choose_for(Ground g) { choose_shadow_buffer(-g.x, -3.0f, g.z, &chosen); }

Ground offset(Ground p, const float d[2], float k) { return {p.x + d[0] * k, p.z + d[1] * k}; }

// Half the spread of two points across s, in lengths of s.
float spread(Ground a, Ground b, const float s[2])
{
    const float s2 = s[0] * s[0] + s[1] * s[1];
    return s2 > 0 ? std::fabs((a.x * s[0] + a.z * s[1]) - (b.x * s[0] + b.z * s[1])) / s2 * 0.5f : 0.0f;
}

void skeleton_outline(const ModelInstance* in, const float d[3], uint32_t& base)
{
    ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    base = static_cast<uint32_t>(b.vertex_count);
    for (int p : kSkeletonPoints) push_vertex(project(in->attach[p], d));
    for (const auto& t : kSkeletonTriangles) push_triangle(base, t[0], t[1], t[2]);
}

void held_ball_shadow(const ModelInstance* in, int32_t held)
{
    if (held) cast_point_shadow(14, 1, in->attach[15][0], in->attach[15][1], in->attach[15][2]);
}

} // namespace

void alloc_shadow_entries()
{
    entry_count = 0;
    entries_allocated = true;
}

void alloc_shadow_buffers(int32_t n)
{
    for (ShadowBuffer& b : shadow_buffers) {
        b = ShadowBuffer{};
        b.index_capacity = 4050 * n;
        b.vertex_capacity = std::min(4050 * n, MAX_SHADOW_RUN);
        b.indices.assign(static_cast<size_t>(b.index_capacity), 0);
        b.vertices.assign(static_cast<size_t>(b.vertex_capacity) * 3, 0);
        b.uvs.assign(static_cast<size_t>(b.vertex_capacity) * 2, 0);
        b.colours.assign(static_cast<size_t>(std::max(b.vertex_capacity, 4050)) * 4, 0);
    }
}

void free_shadow_buffers()
{
    for (ShadowBuffer& b : shadow_buffers) b = ShadowBuffer{};
    entries_allocated = false;
    entry_count = 0;
}

void fill_shadow_buffer_colours(int32_t count)
{
    for (ShadowBuffer& b : shadow_buffers)
        for (size_t i = 0; i < static_cast<size_t>(count) && i * 4 + 3 < b.colours.size(); ++i)
            std::memcpy(&b.colours[i * 4], shadow_colour, 4);
}

int32_t add_shadow_entry(const void*, int32_t type)
{
    if (entry_count + 1 == SHADOW_ENTRIES) return -1;
    entry_types[entry_count] = type == 1 || type == -1 || type == -2 ? type : -3;
    return entry_count++;
}

int32_t shadow_entry_type(int32_t index) { return index >= 0 && index < entry_count ? entry_types[index] : 1; }
int32_t shadow_entry_count() { return entry_count; }

void find_pitch_sections(const ModelInstance* pitch)
{
    const ModelContainer* c = pitch->model;
    for (int32_t& t : section_textures) t = -1;
    bool seen[6] = {};
    int found = 0;
    auto refuse = [](const char* why) {
        const std::string text = std::string("3d display\\stadia\\pitch\\pitch.tca: ") + why;
        fatal_error_sub(FATAL_CANT_LOAD_FILE, 0, text.c_str(), 0);
    };
    for (int i = 0; i < c->mesh_count; ++i) {
        const TcaMesh& m = c->meshes[i];
        if (std::strncmp(m.name, "pitch", 5) != 0) continue;
        int section = -1;
        for (int s = 0; s < 6; ++s)
            if (std::strcmp(m.name, kSectionNames[s]) == 0) section = s;
        if (section < 0) refuse("a pitch mesh that is no section");
        if (seen[section]) refuse("a section given twice");
        seen[section] = true;
        ++found;
        const int32_t slot = pitch->mesh_slot[i];
        int b = 0;
        while (b < SHADOW_BUFFERS && section_textures[b] != -1 && section_textures[b] != slot) ++b;
        if (b == SHADOW_BUFFERS) refuse("more than three section textures");
        section_textures[b] = slot;
        pitch_sections[section].buffer = static_cast<int16_t>(b);
    }
    if (found != 6) refuse("a section missing");
    for (int s = 0; s < 6; ++s) {
        const int16_t buffer = pitch_sections[s].buffer;
        pitch_sections[s] = kSectionBounds[s];
        pitch_sections[s].buffer = buffer;
    }
}

void choose_shadow_buffer(float x, float, float z, PitchSection* out)
{
    int s;
    if (x > 4044.8003f) s = z >= 0 ? 0 : 3;
    else if (x <= -4144.8003f) s = z >= 0 ? 1 : 2;
    else s = z >= 0 ? 5 : 4;
    current_shadow_buffer = pitch_sections[s].buffer;
    *out = pitch_sections[s];
}

float* project_to_ground(float p[3], const float d[3])
{
    const Ground g = project(p, d);
    p[0] = g.x, p[1] = -3.0f, p[2] = g.z;
    return p;
}

void cast_object_shadow(const ModelInstance* in, int32_t entry, int32_t held)
{
    if (shadow_quality_setting() == 0 || !lights) return;
    switch (shadow_entry_type(entry)) {
    case -3: cast_skeleton_shadow(in, held); break;
    case -2: cast_skinned_shadow(in, held); break;
    case -1: cast_model_shadow(in, held); break;
    default: break;
    }
}

void cast_skeleton_shadow(const ModelInstance* in, int32_t held)
{
    held_ball_shadow(in, held);
    for (int l = 0; l < light_count; ++l) {
        float d[3];
        light_direction(l, in->attach[0], d);
        choose_for(project(in->attach[0], d));
        if (!room_for(12, 18)) continue;
        uint32_t base;
        skeleton_outline(in, d, base);
        fix_shadow_winding(6);
        set_shadow_texcoords(static_cast<int32_t>(base), chosen);
    }
}

void cast_skinned_shadow(const ModelInstance* in, int32_t held)
{
    held_ball_shadow(in, held);
    for (int l = 0; l < light_count; ++l) {
        float d[3];
        light_direction(l, in->attach[0], d);
        choose_for(project(in->attach[0], d));
        if (!room_for(20, 42)) continue;
        uint32_t base;
        skeleton_outline(in, d, base);
        ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
        auto vertex = [&](uint32_t i) {
            const float* v = &b.vertices[(base + i) * 3];
            return Ground{-v[0], v[2]};
        };
        const Ground v0 = vertex(0), v6 = vertex(6), v1 = vertex(1), v9 = vertex(9);
        push_vertex({(v0.x + v6.x) * 0.5f, (v0.z + v6.z) * 0.5f});
        push_vertex({(v1.x + v9.x) * 0.5f, (v1.z + v9.z) * 0.5f});
        for (const auto& t : {std::array<uint32_t, 3>{6, 9, 7}, {9, 6, 10}, {0, 2, 12}, {1, 4, 13}})
            push_triangle(base, t[0], t[1], t[2]);
        const float shoulders[3] = {(in->attach[12][0] + in->attach[9][0]) * 0.5f,
                                    (in->attach[12][1] + in->attach[9][1]) * 0.5f,
                                    (in->attach[12][2] + in->attach[9][2]) * 0.5f};
        const Ground m = project(shoulders, d);
        const float u[2] = {-d[0], d[2]}, dd[2] = {d[0], d[2]};
        push_vertex(offset(m, u, -9));
        push_vertex(offset(m, u, 9));
        push_vertex(offset(offset(m, dd, 20), u, -12));
        push_vertex(offset(offset(m, dd, 20), u, 12));
        push_vertex(offset(offset(m, dd, 28), u, -8));
        push_vertex(offset(offset(m, dd, 28), u, 8));
        for (const auto& t : {std::array<uint32_t, 3>{14, 18, 16}, {15, 17, 19}, {19, 18, 14}, {19, 14, 15}})
            push_triangle(base, t[0], t[1], t[2]);
        fix_shadow_winding(14);
        set_shadow_texcoords(static_cast<int32_t>(base), chosen);
    }
}

namespace {

Ground ground(const P3& p) { return {p.x, p.z}; }

// The figure's fifteen outline points for a light, projected (x not negated).
// The flat shadow takes the right shoulder's height for the shoulders' point.
void model_points(const ModelInstance* in, const float d[3], bool flat, P3 p[15])
{
    static constexpr int kPoints[14] = {4, 5, 6, 1, 2, 3, 6, 3, 12, 13, 14, 9, 10, 11};
    auto put = [&](int i, float q[3]) {
        project_to_ground(q, d);
        p[i] = {q[0], q[1], q[2]};
    };
    for (int i = 0; i < 14; ++i) {
        float q[3] = {in->attach[kPoints[i]][0], in->attach[kPoints[i]][1], in->attach[kPoints[i]][2]};
        if (i == 2 || i == 5) q[1] -= 5.0f;
        if (i == 6 || i == 7) q[1] -= 15.0f;
        put(i, q);
    }
    const float* r = in->attach[12];
    const float* l = in->attach[9];
    float mid[3] = {(r[0] + l[0]) * 0.5f, (flat ? r[1] : (r[1] + l[1]) * 0.5f) - 2.0f, (r[2] + l[2]) * 0.5f};
    put(14, mid);
}

void cast_model_outline(const ModelInstance* in, int32_t held, bool flat)
{
    held_ball_shadow(in, held);
    for (int l = 0; l < light_count; ++l) {
        float d[3];
        light_direction(l, in->attach[0], d);
        if (flat) {
            current_shadow_buffer = 0;
        } else {
            choose_for(project(in->attach[0], d));
        }
        if (!room_for(33, 3 * 29)) continue;
        P3 p[15];
        model_points(in, d, flat, p);
        const int32_t first = shadow_buffers[current_shadow_buffer].vertex_count;
        const uint32_t legs = build_leg_shadows(p, d);
        build_arm_shadows(p, d, legs);
        build_body_shadow(p, d);
        if (flat) clear_shadow_texcoords(first);
        else set_shadow_texcoords(first, chosen);
    }
}

// The faded colour of a height, written at a vertex's own place.
void fade_vertex(uint32_t v, float h)
{
    ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    if (4 * size_t{v} + 3 >= b.colours.size()) return;
    faded_shadow_colour(h, &b.colours[4 * size_t{v}]);
}

void colours_up_to_vertices()
{
    ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    b.colour_count = std::min<int32_t>(b.vertex_count, static_cast<int32_t>(b.colours.size() / 4));
}

void quad_from(const P3& a, const P3& b, float w)
{
    float n[3] = {-(b.z - a.z), 0, b.x - a.x};
    normalise_vector(n);
    const float k[2] = {n[0], n[2]};
    ShadowBuffer& buf = shadow_buffers[current_shadow_buffer];
    const uint32_t first = static_cast<uint32_t>(buf.vertex_count);
    push_vertex(offset(ground(a), k, -w)), push_vertex(offset(ground(a), k, w));
    push_vertex(offset(ground(b), k, w)), push_vertex(offset(ground(b), k, -w));
    push_triangle(first, 0, 1, 2), push_triangle(first, 2, 3, 0);
    clear_shadow_texcoords(static_cast<int32_t>(first));
}

} // namespace

uint32_t build_leg_shadows(const P3 p[15], const float d[3], bool faded)
{
    const float dd[2] = {d[0], d[2]}, s[2] = {-d[2], d[0]};
    const Ground h = {(p[0].x + p[3].x) * 0.5f, (p[0].z + p[3].z) * 0.5f};
    const float wh = spread(ground(p[0]), ground(p[3]), s);
    ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    const uint32_t legs = static_cast<uint32_t>(b.vertex_count);
    static constexpr int kAround[6] = {6, 2, 1, 7, 5, 4};
    static constexpr float kWidth[6] = {-16, 8, -11, -16, 8, -11};
    for (int i = 0; i < 6; ++i) {
        push_vertex(offset(ground(p[kAround[i]]), s, kWidth[i]));
        push_vertex(offset(ground(p[kAround[i]]), s, -kWidth[i]));
        if (faded) fade_vertex(legs + 2 * i, p[kAround[i]].y), fade_vertex(legs + 2 * i + 1, p[kAround[i]].y);
    }
    push_vertex(offset(h, dd, -20)), push_vertex(offset(h, s, wh + 10)), push_vertex(offset(h, s, -(wh + 10)));
    if (faded)
        for (uint32_t v = 12; v < 15; ++v) fade_vertex(legs + v, (p[0].y + p[3].y) * 0.5f);
    static constexpr uint32_t kLegs[15][3] = {{0, 1, 2},   {2, 3, 0},    {4, 3, 2},   {2, 5, 4},    {6, 7, 8},
                                              {8, 9, 6},   {10, 9, 8},   {8, 11, 10}, {13, 12, 11}, {13, 12, 5},
                                              {14, 4, 12}, {14, 10, 12}, {12, 4, 5},  {12, 10, 11}, {13, 14, 12}};
    for (const auto& t : kLegs) push_triangle(legs, t[0], t[1], t[2]);
    if (faded) colours_up_to_vertices();
    return legs;
}

void build_arm_shadows(const P3 p[15], const float d[3], uint32_t legs, bool faded)
{
    const float dd[2] = {d[0], d[2]}, s[2] = {-d[2], d[0]};
    ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    auto at = [&](uint32_t i) {
        const float* v = &b.vertices[i * 3];
        return Ground{-v[0], v[2]};
    };
    const Ground l13 = at(legs + 13), l14 = at(legs + 14);
    const uint32_t arms = static_cast<uint32_t>(b.vertex_count);
    const Ground m = {(p[8].x + p[11].x) * 0.5f, (p[8].z + p[11].z) * 0.5f};
    const float wa = spread(ground(p[8]), ground(p[11]), s);
    const Ground a0 = offset(m, s, -(wa + 13)), a1 = offset(m, s, wa + 13);
    push_vertex(a0), push_vertex(a1);
    push_vertex({l14.x + (a0.x - l14.x) * 0.6666667f, l14.z + (a0.z - l14.z) * 0.6666667f});
    push_vertex({l13.x + (a1.x - l13.x) * 0.6666667f, l13.z + (a1.z - l13.z) * 0.6666667f});
    auto normal = [](const P3& a, const P3& c) {
        float n[3] = {-(c.z - a.z), 0, c.x - a.x};
        normalise_vector(n);
        return std::array<float, 2>{n[0], n[2]};
    };
    const auto n = normal(p[10], p[14]), n2 = normal(p[13], p[14]);
    push_vertex(offset(ground(p[9]), n.data(), 8)), push_vertex(offset(ground(p[9]), n.data(), -8));
    push_vertex(offset(ground(p[12]), n2.data(), 8)), push_vertex(offset(ground(p[12]), n2.data(), -8));
    push_vertex(offset(ground(p[10]), dd, 8)), push_vertex(offset(ground(p[10]), dd, -8));
    push_vertex(offset(ground(p[13]), dd, 8)), push_vertex(offset(ground(p[13]), dd, -8));
    const uint32_t L13 = legs + 13 - arms, L14 = legs + 14 - arms;
    const uint32_t kArms[10][3] = {{0, L14, L13}, {L13, 1, 0}, {5, 2, 0}, {5, 4, 2},  {7, 6, 1},
                                   {1, 3, 7},     {4, 5, 9},   {9, 8, 4}, {6, 7, 11}, {11, 10, 6}};
    for (const auto& t : kArms) push_triangle(arms, t[0], t[1], t[2]);
    if (!faded) return;
    const float shoulders = (p[8].y + p[11].y) * 0.5f;
    fade_vertex(arms, shoulders), fade_vertex(arms + 1, shoulders);
    static constexpr int kAround[4] = {9, 12, 10, 13};
    for (int i = 0; i < 4; ++i)
        fade_vertex(arms + 4 + 2 * i, p[kAround[i]].y), fade_vertex(arms + 5 + 2 * i, p[kAround[i]].y);
    // The joining vertices lie two thirds of the way from the hips to the
    // shoulders, and so do their colours.
    uint8_t* c = b.colours.data();
    if (4 * size_t{arms + 3} + 3 < b.colours.size()) {
        colour_two_thirds(&c[4 * (legs + 14)], &c[4 * arms], &c[4 * (legs + 14)], &c[4 * (arms + 2)]);
        colour_two_thirds(&c[4 * (legs + 13)], &c[4 * (arms + 1)], &c[4 * (legs + 13)], &c[4 * (arms + 3)]);
    }
    colours_up_to_vertices();
}

void build_body_shadow(const P3 p[15], const float d[3], bool faded)
{
    const float dd[2] = {d[0], d[2]}, s[2] = {-d[2], d[0]};
    ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    const uint32_t body = static_cast<uint32_t>(b.vertex_count);
    const Ground c = ground(p[14]);
    push_vertex(offset(c, s, -9)), push_vertex(offset(c, s, 9));
    push_vertex(offset(offset(c, dd, 20), s, -12)), push_vertex(offset(offset(c, dd, 20), s, 12));
    push_vertex(offset(offset(c, dd, 28), s, -8)), push_vertex(offset(offset(c, dd, 28), s, 8));
    for (const auto& t : {std::array<uint32_t, 3>{0, 4, 2}, {1, 3, 5}, {5, 4, 0}, {5, 0, 1}})
        push_triangle(body, t[0], t[1], t[2]);
    if (!faded) return;
    for (uint32_t v = 0; v < 6; ++v) fade_vertex(body + v, p[14].y);
    colours_up_to_vertices();
}

void build_leg_shadows_faded(const P3 p[15], const float d[3]) { build_leg_shadows(p, d, true); }

void build_arm_shadows_faded(const P3 p[15], const float d[3], uint32_t legs) { build_arm_shadows(p, d, legs, true); }

void build_body_shadow_faded(const P3 p[15], const float d[3]) { build_body_shadow(p, d, true); }

void cast_model_shadow(const ModelInstance* in, int32_t held) { cast_model_outline(in, held, false); }

void cast_model_shadow_flat(const ModelInstance* in, int32_t, int32_t held)
{
    if (shadow_quality_setting() == 0 || !lights) return;
    cast_model_outline(in, held, true);
}

void build_disc_shadow(const float point[3], float size)
{
    const Ground g = {point[0], point[2]};
    choose_for(g);
    if (!room_for(17, 48)) return;
    ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    const uint32_t base = static_cast<uint32_t>(b.vertex_count);
    push_vertex(g);
    for (const auto& k : kDisc) push_vertex({g.x + k[0] * size, g.z + k[1] * size});
    for (uint32_t i = 1; i <= 16; ++i) push_triangle(base, 0, i, i == 16 ? 1 : i + 1);
    set_shadow_texcoords(static_cast<int32_t>(base), chosen);
}

void build_octagon_shadow(const float point[3], float r)
{
    if (!room_for(9, 24)) return;
    const Ground g = {point[0], point[2]};
    const float k = 0.707f * r;
    ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    const uint32_t base = static_cast<uint32_t>(b.vertex_count);
    push_vertex(g);
    const float rim[8][2] = {{r, 0}, {k, k}, {0, r}, {-k, k}, {-r, 0}, {-k, -k}, {0, -r}, {k, -k}};
    for (const auto& o : rim) push_vertex({g.x + o[0], g.z + o[1]});
    for (uint32_t i = 1; i <= 7; ++i) push_triangle(base, 0, i + 1, i);
    push_triangle(base, 0, 1, 8);
    clear_shadow_texcoords(static_cast<int32_t>(base));
}

void cast_point_shadow(float size, int32_t style, float x, float y, float z)
{
    if (shadow_quality_setting() == 0 || !lights || light_count == 0) return;
    const float point[3] = {x, y, z};
    for (int l = 0; l < light_count; ++l) {
        float d[3];
        light_direction(l, point, d);
        const Ground g = project(point, d);
        const float at[3] = {g.x, -3.0f, g.z};
        if (style) build_disc_shadow(at, size);
        else build_octagon_shadow(at, size);
    }
}

void cast_sized_disc_shadow(float a, float b, int32_t style, float x, float y, float z)
{
    if (shadow_quality_setting() == 0) return;
    const float r = y >= 2000.0f ? b : b + (a - b) * (2000.0f - y) * 0.0005f;
    const float point[3] = {x, y, z};
    if (style) build_disc_shadow(point, r);
    else build_octagon_shadow(point, r);
}

void cast_limb_quad_shadow(int32_t mode, const float a[3], const float b[3], float w)
{
    if (shadow_quality_setting() == 0) return;
    if (mode) {
        if (room_for(4, 6)) quad_from({a[0], a[1], a[2]}, {b[0], b[1], b[2]}, w);
        return;
    }
    for (int l = 0; l < light_count && lights; ++l) {
        float d[3];
        light_direction(l, a, d);
        float pa[3] = {a[0], a[1], a[2]}, pb[3] = {b[0], b[1], b[2]};
        project_to_ground(pa, d), project_to_ground(pb, d);
        if (room_for(4, 6)) quad_from({pa[0], pa[1], pa[2]}, {pb[0], pb[1], pb[2]}, w);
    }
}

void cast_quad_shadow(const float p0[3], const float p1[3], const float p2[3], const float p3[3])
{
    if (shadow_quality_setting() == 0 || !lights) return;
    float centre[3];
    for (int i = 0; i < 3; ++i) centre[i] = 0.25f * (p0[i] + p1[i] + p2[i] + p3[i]);
    for (int l = 0; l < light_count; ++l) {
        float d[3];
        light_direction(l, centre, d);
        if (!room_for(4, 6)) continue;
        ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
        const uint32_t first = static_cast<uint32_t>(b.vertex_count);
        for (const float* q : {p0, p1, p3, p2}) push_vertex(project(q, d));
        push_triangle(first, 0, 1, 2), push_triangle(first, 2, 3, 0);
        clear_shadow_texcoords(static_cast<int32_t>(first));
    }
}

float* project_to_ground_flipped(float p[3], const float d[3])
{
    const float y = p[1];
    project_to_ground(p, d);
    p[1] = -y;
    return p;
}

void aim_lights_at(const float point[3])
{
    for (int l = 0; l < light_count && lights; ++l) {
        float d[3];
        light_direction(l, point, d);
    }
}

void add_quad_indices(int32_t n)
{
    if (n < 4 || !room_for(0, 6)) return;
    const uint32_t k = static_cast<uint32_t>(n);
    push_triangle(k - 4, 0, 1, 2), push_triangle(k - 4, 2, 3, 0);
}

void add_quad_indices_reversed(int32_t n)
{
    if (n < 4 || !room_for(0, 6)) return;
    const uint32_t k = static_cast<uint32_t>(n);
    push_triangle(k - 4, 2, 1, 0), push_triangle(k - 4, 0, 3, 2);
}

void clear_shadow_texcoords(int32_t first)
{
    ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    for (int v = std::max(first, 0); v < b.vertex_count; ++v) b.uvs[v * 2] = b.uvs[v * 2 + 1] = 0;
    b.uv_count = b.vertex_count;
}

void fill_shadow_colours(int32_t first)
{
    ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    for (int v = std::max(first, 0); v < b.vertex_count && 4 * size_t(v) + 3 < b.colours.size(); ++v)
        std::memcpy(&b.colours[4 * size_t(v)], shadow_colour, 4);
    colours_up_to_vertices();
}

void faded_shadow_colour(float h, uint8_t out[4])
{
    const float f = h < 200.0f ? h * 0.005f : 1.0f;
    for (int i = 0; i < 4; ++i) {
        const int c = shadow_colour[i] + static_cast<int>((second_shadow_colour[i] - shadow_colour[i]) * f);
        out[i] = static_cast<uint8_t>(std::clamp(c, 0, 255)); // a height below the ground may leave the range
    }
}

void append_faded_colours(float h, int32_t n)
{
    ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    uint8_t c[4];
    faded_shadow_colour(h, c);
    for (int i = 0; i < n && 4 * size_t(b.colour_count) + 3 < b.colours.size(); ++i)
        std::memcpy(&b.colours[4 * size_t(b.colour_count++)], c, 4);
}

void colour_two_thirds(const uint8_t c0[4], const uint8_t c1[4], const uint8_t c2[4], uint8_t out[4])
{
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(c0[i] + 2 * (c1[i] - c2[i]) / 3);
}

void fade_shadow_alpha(int32_t first, const float p[3], float a, float, float b)
{
    ShadowBuffer& buf = shadow_buffers[current_shadow_buffer];
    const float n = a * a + b * b;
    const int top = second_shadow_colour[3], span = second_shadow_colour[3] - shadow_colour[3];
    for (int v = std::max(first, 0); v < buf.vertex_count && 4 * size_t(v) + 3 < buf.colours.size(); ++v) {
        const float x = buf.vertices[v * 3], z = buf.vertices[v * 3 + 2];
        const float t = n > 0 ? ((x - p[0]) * a + (z - p[2]) * b) / n : 0.0f;
        const int alpha = static_cast<int>(static_cast<float>(top) - t / 200.0f * static_cast<float>(span));
        uint8_t* c = &buf.colours[4 * size_t(v)];
        c[0] = c[1] = c[2] = 0;
        c[3] = static_cast<uint8_t>(std::clamp(alpha, 0, 255));
    }
    colours_up_to_vertices();
}

TestShadowQuad test_shadow_quad = {1, 0, 0, 0};

void add_test_shadow_quad()
{
    const TestShadowQuad& q = test_shadow_quad;
    const float x = static_cast<float>(q.x), z = static_cast<float>(q.z);
    if (q.fixed) current_shadow_buffer = std::clamp(q.buffer, 0, SHADOW_BUFFERS - 1);
    else choose_shadow_buffer(x, -3.0f, z, &chosen);
    if (!room_for(4, 6)) return;
    ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    const uint32_t first = static_cast<uint32_t>(b.vertex_count);
    // Stored as given: push_vertex negates, so hand it the negation.
    for (const auto& c : {std::array<float, 2>{x, z}, {x + 1000, z + 640}, {x + 1000, z}, {x, z + 640}})
        push_vertex({-c[0], c[1]});
    push_triangle(first, 0, 1, 2), push_triangle(first, 3, 1, 0);
    if (q.fixed) {
        const float uv[8] = {1, 0, 0, 1, 1, 1, 0, 0};
        std::memcpy(&b.uvs[2 * size_t{first}], uv, sizeof uv);
        b.uv_count = b.vertex_count;
    } else {
        set_shadow_texcoords(static_cast<int32_t>(first), chosen);
    }
}

void fix_shadow_winding(int32_t n)
{
    ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    for (int t = 0; t < n && b.index_count >= 3 * (t + 1); ++t) {
        uint32_t* i = &b.indices[static_cast<size_t>(b.index_count - 3 * (t + 1))];
        const float* v0 = &b.vertices[i[0] * 3];
        const float* v1 = &b.vertices[i[1] * 3];
        const float* v2 = &b.vertices[i[2] * 3];
        const float k = (v0[2] - v1[2]) * (v1[0] - v2[0]) - (v0[0] - v1[0]) * (v1[2] - v2[2]);
        if (k > 0) std::swap(i[0], i[2]);
    }
}

void set_shadow_texcoords(int32_t first, const PitchSection& s)
{
    ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
    for (int v = first; v < b.vertex_count; ++v) {
        const float x = b.vertices[v * 3], z = b.vertices[v * 3 + 2];
        float t = (x - s.x_min) * 0.00011704119f;
        if (s.u_mirror) t = 1 - t;
        float u = (z - s.z_min) * 0.00011837121f;
        if (s.v_mirror) u = 1 - u;
        b.uvs[v * 2] = u, b.uvs[v * 2 + 1] = t;
    }
    b.uv_count = b.vertex_count;
}

void draw_shadow_buffers()
{
    if (shadow_quality_setting() == 0) return;
    uint32_t colour;
    const uint32_t mode = get_colour_mode(&colour);
    set_colour_mode(1, lit_colour_word(shadow_colour));
    for (int n = 0; n < SHADOW_BUFFERS; ++n) {
        ShadowBuffer& b = shadow_buffers[n];
        // A buffer with no pitch texture of its own has nothing to lay.
        if (section_textures[n] < 0 || section_textures[n] >= loaded_slot_count || b.index_count == 0) {
            b.index_count = b.vertex_count = b.uv_count = b.colour_count = 0;
            continue;
        }
        bind_texture(texture_slots[section_textures[n]].texture);
        set_vertex_array(static_cast<uint32_t>(b.vertex_count), 0, b.vertices.data());
        set_texcoord_array(static_cast<uint32_t>(b.uv_count), 0, b.uv_count ? b.uvs.data() : nullptr);
        for (int32_t i = 0; i < b.index_count; i += MAX_SHADOW_RUN)
            draw_vertex_arrays(std::min(MAX_SHADOW_RUN, b.index_count - i), b.indices.data() + i);
    }
    set_colour_mode(mode, colour);
    for (ShadowBuffer& b : shadow_buffers) b.index_count = b.vertex_count = b.uv_count = b.colour_count = 0;
}

void reset_shadows()
{
    free_shadow_buffers();
    for (int32_t& t : section_textures) t = -1;
    current_shadow_buffer = 0;
    test_shadow_quad = {1, 0, 0, 0};
    std::memset(pitch_sections, 0, sizeof pitch_sections);
}
