// The ground under the men on the software path: the area round the oval,
// the grass with its markings as rings of ellipse spans, the flat line
// quads, the pitch pieces laid on the grass, ring markers, the sky above
// the horizon and the stadium mesh. Surfaces are 640 bytes a row.
#pragma once

#include "swrender/sw_spans.h"

#include <array>
#include <cstdint>
#include <vector>

constexpr uint8_t SW_LINE_COLOUR = 12;
constexpr uint8_t SW_FLAT_COLOUR = 128;
constexpr uint8_t SW_RAMP_FIRST = 129; // eight shades, 129 to 136

// A world polygon cut at the near plane and projected: 0 when nothing of it
// is in front. camera_out receives the cut camera-space vertices.
int32_t clip_project_ground_polygon(const int32_t (*points)[3], int32_t n, std::vector<sw_point>& screen_out,
                                    std::vector<std::array<int32_t, 3>>* camera_out = nullptr);

void draw_ground_quad(const int32_t (*corners)[3], const uint8_t* picture, int32_t width, int32_t height,
                      uint8_t* surface, uint32_t flags);
void draw_pitch_lines(uint8_t* surface);
void draw_sw_ground_objects(uint8_t* surface, const uint8_t* inner_texture, const uint8_t* outer_texture);
void draw_sw_pitch(uint8_t* surface);
void draw_sw_flat_polygon(uint8_t* surface, const int32_t (*corners)[3], int32_t smooth);
// A ring marker on the ground about (centre x, centre z) in the given colour.
void draw_sw_ground(uint8_t* surface, int32_t centre_x, int32_t centre_z, int32_t along, int32_t across, uint8_t colour);
int32_t draw_sw_meshes();
int32_t draw_sw_extra(uint8_t* surface, const uint8_t* sky);

void adjust_ring_rows(int32_t* inner_first, int32_t* inner_last, int32_t* outer_first, int32_t* outer_last,
                      int32_t inner_visible, int32_t outer_visible);
void adjust_ring_rows_wide(int32_t* inner_first, int32_t* inner_last, int32_t* outer_first, int32_t* outer_last,
                           int32_t inner_visible, int32_t outer_visible);
void draw_edge_ramps(uint8_t* surface, const sw_edge_record (*records)[2], int32_t count, int32_t half);

extern int32_t sw_smooth_lines; // 1
