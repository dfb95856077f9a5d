// The render-state cache: every hardware drawer sets device states only
// through here. Each toggle keeps the value asked for, whether it is allowed
// and whether the device has it applied; the device is told only when the
// applied state must change. Beside it: scene nesting and the vertex-array
// wrappers that hand arrays to the GL layer and draw them.
#pragma once

#include <cstdint>

void set_vertex_array(uint32_t count, uint32_t ignored, float* xyz);
void set_texcoord_array(uint32_t count, uint32_t ignored, const float* uv);
void set_colour_array(uint32_t count, uint32_t ignored, const uint8_t* rgba);
// Draws the arrays; with the overlay's x-scale on, the remembered vertex
// array is scaled in place first (the caller's array changes).
int draw_vertex_arrays(int32_t index_count, const uint32_t* indices);
int test_points_visible(int32_t count, const float* xyz);
void select_3d_device();

void begin_scene();
void end_scene();
int32_t scene_depth();

void set_texture_format(uint32_t bits, uint32_t alpha_mode);
void get_texture_format(uint32_t* bits, uint32_t* alpha_mode);
void set_alpha_blend(uint32_t on);
uint32_t get_alpha_blend();
void set_alpha_blend_allowed(uint32_t allowed);
uint32_t get_alpha_blend_allowed();
void set_z_buffer(uint32_t on);
uint32_t get_z_buffer();
void set_bilinear_filter(uint32_t on);
uint32_t get_bilinear_filter();
void set_filter_option(uint32_t allowed);
void set_blend_mode(uint32_t source, uint32_t destination);
void get_blend_mode(uint32_t* source, uint32_t* destination);
void set_colour_mode(uint32_t mode, uint32_t colour);
uint32_t get_colour_mode(uint32_t* colour);
void set_depth_test(uint32_t on);
void set_render_option(uint32_t on);
uint32_t get_render_option();
void set_render_option_allowed(uint32_t allowed);
uint32_t get_render_option_allowed();
void apply_render_state();

// Back to the start values (tests, and a fresh display).
void reset_render_state_cache();
