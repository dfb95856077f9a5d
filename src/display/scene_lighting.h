// Scene lighting: the lights that throw the shadows, the shadow colours, and
// at night the floodlit pitch map that tints figures and ball by where they
// stand.
#pragma once

#include <cstdint>

struct ModelInstance;

struct LightSource {
    uint32_t flags; // bit 0: directional
    float position[3];
    float direction[3];
};
constexpr int MAX_LIGHTS = 10;
extern LightSource* lights;
extern int32_t light_count;

extern uint8_t shadow_colour[4];
extern uint8_t second_shadow_colour[4];
extern uint8_t shadow_colour_difference[4];

struct PitchLightingMap {
    uint8_t* values;
    int32_t width, height;
    int32_t centre_row, centre_column;
    float rows_per_unit, columns_per_unit;
};
extern PitchLightingMap pitch_lighting_map;

// The shadow-quality setting: 0 none, 1 shadows, 2 floodlights and lit men.
int32_t shadow_quality_setting();
// The lighting switch is on and a map was read.
bool pitch_lighting_on();
uint32_t lit_colour_word(const uint8_t colour[4]);

void alloc_shadow_lists();
void free_shadow_lists();
void clear_lights();
void add_directional_light(float x, float y, float z);
void add_point_light(float x, float y, float z);
void remove_light(int32_t n);
int32_t get_light_count();
void set_light_direction(int32_t n, float x, float y, float z);
void set_light_position(int32_t n, float x, float y, float z);
void set_shadow_colours(const uint8_t shadow[4], const uint8_t second[4]);

void load_pitch_lighting_map(const char* file);
void free_pitch_lighting_map();
void scale_lighting_map(int32_t value, int32_t mode);
void lighting_map_colour(const float position[3], uint8_t out[4]);
void light_figures_from_map();

// Per-vertex normals of an instance's meshes (at most 40 meshes).
struct LightingNormals {
    float* normals[40];
    int32_t count[40];
};
void build_lighting_normals(const ModelInstance* instance, LightingNormals* out);
void free_lighting_normals(LightingNormals* normals);

void reset_scene_lighting();
