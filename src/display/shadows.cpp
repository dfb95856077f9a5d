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
        fatal_error_sub(0, 0, text.c_str(), 0);
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

void cast_model_shadow(const ModelInstance* in, int32_t held)
{
    held_ball_shadow(in, held);
    static constexpr int kPoints[14] = {4, 5, 6, 1, 2, 3, 6, 3, 12, 13, 14, 9, 10, 11};
    for (int l = 0; l < light_count; ++l) {
        float d[3];
        light_direction(l, in->attach[0], d);
        choose_for(project(in->attach[0], d));
        if (!room_for(33, 3 * 29)) continue;
        Ground p[15];
        for (int i = 0; i < 14; ++i) {
            float q[3] = {in->attach[kPoints[i]][0], in->attach[kPoints[i]][1], in->attach[kPoints[i]][2]};
            if (i == 2 || i == 5) q[1] -= 5.0f;
            if (i == 6 || i == 7) q[1] -= 15.0f;
            p[i] = project(q, d);
        }
        const float mid[3] = {(in->attach[12][0] + in->attach[9][0]) * 0.5f,
                              (in->attach[12][1] + in->attach[9][1]) * 0.5f - 2.0f,
                              (in->attach[12][2] + in->attach[9][2]) * 0.5f};
        p[14] = project(mid, d);
        const float dd[2] = {d[0], d[2]}, s[2] = {-d[2], d[0]};
        const float s2 = s[0] * s[0] + s[1] * s[1];
        auto spread = [&](Ground a, Ground b) {
            return s2 > 0 ? std::fabs((a.x * s[0] + a.z * s[1]) - (b.x * s[0] + b.z * s[1])) / s2 * 0.5f : 0.0f;
        };
        ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
        const uint32_t first = static_cast<uint32_t>(b.vertex_count);
        // Legs.
        const uint32_t legs = first;
        push_vertex(offset(p[6], s, -16)), push_vertex(offset(p[6], s, 16));
        push_vertex(offset(p[2], s, 8)), push_vertex(offset(p[2], s, -8));
        push_vertex(offset(p[1], s, -11)), push_vertex(offset(p[1], s, 11));
        push_vertex(offset(p[7], s, -16)), push_vertex(offset(p[7], s, 16));
        push_vertex(offset(p[5], s, 8)), push_vertex(offset(p[5], s, -8));
        push_vertex(offset(p[4], s, -11)), push_vertex(offset(p[4], s, 11));
        const Ground h = {(p[0].x + p[3].x) * 0.5f, (p[0].z + p[3].z) * 0.5f};
        const float wh = spread(p[0], p[3]);
        push_vertex(offset(h, dd, -20)), push_vertex(offset(h, s, wh + 10)), push_vertex(offset(h, s, -(wh + 10)));
        static constexpr uint32_t kLegs[15][3] = {{0, 1, 2},    {2, 3, 0},    {4, 3, 2},    {2, 5, 4},  {6, 7, 8},
                                                  {8, 9, 6},    {10, 9, 8},   {8, 11, 10},  {13, 12, 11}, {13, 12, 5},
                                                  {14, 4, 12},  {14, 10, 12}, {12, 4, 5},   {12, 10, 11}, {13, 14, 12}};
        for (const auto& t : kLegs) push_triangle(legs, t[0], t[1], t[2]);
        // Arms, joined to the hips.
        auto at = [&](uint32_t i) {
            const float* v = &b.vertices[i * 3];
            return Ground{-v[0], v[2]};
        };
        const Ground l13 = at(legs + 13), l14 = at(legs + 14);
        const uint32_t arms = static_cast<uint32_t>(b.vertex_count);
        const Ground m = {(p[8].x + p[11].x) * 0.5f, (p[8].z + p[11].z) * 0.5f};
        const float wa = spread(p[8], p[11]);
        const Ground a0 = offset(m, s, -(wa + 13)), a1 = offset(m, s, wa + 13);
        push_vertex(a0), push_vertex(a1);
        push_vertex({l14.x + (a0.x - l14.x) * 0.6666667f, l14.z + (a0.z - l14.z) * 0.6666667f});
        push_vertex({l13.x + (a1.x - l13.x) * 0.6666667f, l13.z + (a1.z - l13.z) * 0.6666667f});
        auto normal = [](Ground a, Ground b2) {
            float n[3] = {-(b2.z - a.z), 0, b2.x - a.x};
            normalise_vector(n);
            return std::array<float, 2>{n[0], n[2]};
        };
        const auto n = normal(p[10], p[14]), n2 = normal(p[13], p[14]);
        push_vertex(offset(p[9], n.data(), 8)), push_vertex(offset(p[9], n.data(), -8));
        push_vertex(offset(p[12], n2.data(), 8)), push_vertex(offset(p[12], n2.data(), -8));
        push_vertex(offset(p[10], dd, 8)), push_vertex(offset(p[10], dd, -8));
        push_vertex(offset(p[13], dd, 8)), push_vertex(offset(p[13], dd, -8));
        const uint32_t L13 = legs + 13 - arms, L14 = legs + 14 - arms;
        const uint32_t kArms[10][3] = {{0, L14, L13}, {L13, 1, 0}, {5, 2, 0}, {5, 4, 2},  {7, 6, 1},
                                       {1, 3, 7},     {4, 5, 9},   {9, 8, 4}, {6, 7, 11}, {11, 10, 6}};
        for (const auto& t : kArms) push_triangle(arms, t[0], t[1], t[2]);
        // The upper body.
        const uint32_t body = static_cast<uint32_t>(b.vertex_count);
        push_vertex(offset(p[14], s, -9)), push_vertex(offset(p[14], s, 9));
        push_vertex(offset(offset(p[14], dd, 20), s, -12)), push_vertex(offset(offset(p[14], dd, 20), s, 12));
        push_vertex(offset(offset(p[14], dd, 28), s, -8)), push_vertex(offset(offset(p[14], dd, 28), s, 8));
        for (const auto& t : {std::array<uint32_t, 3>{0, 4, 2}, {1, 3, 5}, {5, 4, 0}, {5, 0, 1}})
            push_triangle(body, t[0], t[1], t[2]);
        set_shadow_texcoords(static_cast<int32_t>(first), chosen);
    }
}

void cast_point_shadow(float size, int32_t style, float x, float y, float z)
{
    if (shadow_quality_setting() == 0 || !lights || light_count == 0 || style == 0) return;
    const float point[3] = {x, y, z};
    for (int l = 0; l < light_count; ++l) {
        float d[3];
        light_direction(l, point, d);
        const Ground g = project(point, d);
        choose_for(g);
        if (!room_for(17, 48)) continue;
        ShadowBuffer& b = shadow_buffers[current_shadow_buffer];
        const uint32_t base = static_cast<uint32_t>(b.vertex_count);
        push_vertex(g);
        for (const auto& k : kDisc) push_vertex({g.x + k[0] * size, g.z + k[1] * size});
        for (uint32_t i = 1; i <= 16; ++i) push_triangle(base, 0, i, i == 16 ? 1 : i + 1);
        set_shadow_texcoords(static_cast<int32_t>(base), chosen);
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
    std::memset(pitch_sections, 0, sizeof pitch_sections);
}
