// STAND-IN until issue 31 (the software renderer, part two: ground conic
// spans, ellipse fills, edge scanners, flat, ring, affine and perspective
// fills) builds these. Names and arguments are the real ones; the bodies are
// plain, slow approximations good enough to see a frame: the ellipse builder
// traces a 64-sided polygon, edge records and shaded ends are not made.
#pragma once

#include "swrender/sw_spans.h"

#include <cstdint>

// Scanners: 1 when some row is on the screen.
int32_t scan_polygon_edges(const sw_point* corners, int32_t n);
int32_t scan_polygon_edges_wide(const sw_point* corners, int32_t n);
// Corners in 16.16; slopes unused by the stand-in.
void scan_rotated_quad_edges(const sw_point* corners, uint32_t small_slope, uint32_t large_slope);

void fill_flat_polygon(const sw_point* corners, int32_t n, uint8_t colour, uint8_t* screen);
void fill_flat_polygon_edged(const sw_point* corners, int32_t n, uint8_t colour, uint8_t* screen);
void draw_shaded_line(sw_point a, sw_point b, uint8_t* screen, uint8_t variant);
void fill_ring_rows(uint8_t* screen, int32_t band_first, int32_t band_last, int32_t first, int32_t last, uint8_t colour);
void fill_ring_rows_clipped(uint8_t* screen, int32_t band_first, int32_t band_last, int32_t first, int32_t last,
                            uint8_t colour);

// The sprite quad fills: texture is a sprite frame's texels (its 5-byte
// header just before them), w texels a row; 0 is transparent.
void fill_textured_quad_clipped(const sw_point* corners, uint8_t* screen, const uint8_t* texture, uint8_t w,
                                int32_t u_top, int32_t v_top, int32_t du_dx, int32_t dv_dx, int32_t du_dy,
                                int32_t dv_dy, int32_t top, int32_t rows);
void fill_textured_quad(const sw_point* corners, uint8_t* screen, const uint8_t* texture, uint8_t w, int32_t u_top,
                        int32_t v_top, int32_t du_dx, int32_t dv_dx, int32_t du_dy, int32_t dv_dy, int32_t top,
                        int32_t rows);

// Perspective ground fills; origin: a camera-space point (3 integers).
void fill_ground_polygon_sized(const sw_point* corners, int32_t n, const uint8_t* texture, uint8_t* screen,
                               const int32_t* origin, int32_t w, int32_t h, uint8_t transparent, double su, double sv);
void fill_ground_with_inner_band(const sw_point* corners, int32_t n, const uint8_t* texture_a,
                                 const uint8_t* texture_b, uint8_t* screen, const int32_t* origin, int32_t band_first,
                                 int32_t band_last);

// The ground ellipse's spans into sw_span_table; nonzero when it is on screen.
int32_t build_ground_ellipse_spans(void* target, double a, double b, double extra_pitch, double extra_yaw,
                                   int32_t* first_row, int32_t* last_row, int32_t* left_count, int32_t* right_count,
                                   int32_t flags);
