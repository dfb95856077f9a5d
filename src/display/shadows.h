// Flat shadows on the pitch: each figure's from its skeleton's attach
// points, the ball's as a disc, one per light, gathered into one buffer per
// pitch texture and drawn as the pitch itself in the shadow colour.
#pragma once

#include <cstdint>
#include <vector>

struct ModelInstance;

constexpr int SHADOW_ENTRIES = 500;
constexpr int SHADOW_BUFFERS = 3;
constexpr int MAX_SHADOW_RUN = 12000; // indices a draw takes at once

struct PitchSection {
    int16_t buffer;
    float x_min, y_min, z_min, x_max, y_max, z_max;
    int32_t u_mirror, v_mirror;
};
extern PitchSection pitch_sections[6];
extern int32_t section_textures[SHADOW_BUFFERS];

struct ShadowBuffer {
    std::vector<uint32_t> indices;
    std::vector<float> vertices;
    std::vector<float> uvs;
    std::vector<uint8_t> colours;
    int32_t index_count, vertex_count, uv_count, colour_count;
    int32_t index_capacity, vertex_capacity;
};
extern ShadowBuffer shadow_buffers[SHADOW_BUFFERS];
extern int32_t current_shadow_buffer;

void alloc_shadow_entries();
void alloc_shadow_buffers(int32_t lights);
void free_shadow_buffers();
void fill_shadow_buffer_colours(int32_t count);
// The new entry's index, or -1 once 499 are handed out.
int32_t add_shadow_entry(const void* owner, int32_t type);
int32_t shadow_entry_type(int32_t index);
int32_t shadow_entry_count();

// A pitch breaking the section rules is fatal, naming the file.
void find_pitch_sections(const ModelInstance* pitch);
void choose_shadow_buffer(float x, float y, float z, PitchSection* out);
float* project_to_ground(float p[3], const float d[3]);

void cast_object_shadow(const ModelInstance* instance, int32_t entry, int32_t held_ball);
void cast_skeleton_shadow(const ModelInstance* instance, int32_t held_ball);
void cast_skinned_shadow(const ModelInstance* instance, int32_t held_ball);
void cast_model_shadow(const ModelInstance* instance, int32_t held_ball);
// Style 1 a 16-sided disc in the buffer of its ground point, style 0 an
// octagon in the current buffer.
void cast_point_shadow(float size, int32_t style, float x, float y, float z);
void fix_shadow_winding(int32_t triangles);
void set_shadow_texcoords(int32_t first, const PitchSection& section);
void draw_shadow_buffers();

// The type -1 outline of a figure built from its fifteen points (projected,
// x not yet negated; y the height the faded forms colour by). The legs
// answer their first vertex, which the arms join.
struct P3 {
    float x, y, z;
};
uint32_t build_leg_shadows(const P3 points[15], const float direction[3], bool faded = false);
void build_arm_shadows(const P3 points[15], const float direction[3], uint32_t legs, bool faded = false);
void build_body_shadow(const P3 points[15], const float direction[3], bool faded = false);
void build_leg_shadows_faded(const P3 points[15], const float direction[3]);
void build_arm_shadows_faded(const P3 points[15], const float direction[3], uint32_t legs);
void build_body_shadow_faded(const P3 points[15], const float direction[3]);

// Shadow forms the match does not use.
float* project_to_ground_flipped(float p[3], const float d[3]);
void aim_lights_at(const float point[3]);
void add_quad_indices(int32_t n);
void add_quad_indices_reversed(int32_t n);
void clear_shadow_texcoords(int32_t first);
void fill_shadow_colours(int32_t first);
// The shadow colour faded toward the second colour with height, all of it
// from 200 up.
void faded_shadow_colour(float height, uint8_t out[4]);
void append_faded_colours(float height, int32_t n);
void colour_two_thirds(const uint8_t c0[4], const uint8_t c1[4], const uint8_t c2[4], uint8_t out[4]);
void fade_shadow_alpha(int32_t first, const float point[3], float a, float unused, float b);
// Every light's outline in the first buffer, untextured.
void cast_model_shadow_flat(const ModelInstance* instance, int32_t entry, int32_t held_ball);
// A disc whose radius runs from a at the ground to b at 2000 and above.
void cast_sized_disc_shadow(float a, float b, int32_t style, float x, float y, float z);
void build_disc_shadow(const float point[3], float radius);
void build_octagon_shadow(const float point[3], float radius);
void cast_limb_quad_shadow(int32_t mode, const float a[3], const float b[3], float half_width);
void cast_quad_shadow(const float p0[3], const float p1[3], const float p2[3], const float p3[3]);
struct TestShadowQuad {
    int32_t fixed, buffer, x, z;
};
extern TestShadowQuad test_shadow_quad;
void add_test_shadow_quad();

void reset_shadows();
