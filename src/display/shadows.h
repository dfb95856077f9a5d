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
void cast_point_shadow(float size, int32_t style, float x, float y, float z);
void fix_shadow_winding(int32_t triangles);
void set_shadow_texcoords(int32_t first, const PitchSection& section);
void draw_shadow_buffers();

void reset_shadows();
