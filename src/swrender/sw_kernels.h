// The software path's rasterising kernels: edge scanners that leave each
// row's two ends in the span tables, and the fills that paint those rows
// (flat, edge-shaded, ring, affine textured, perspective ground) and the
// ground ellipses. All draw 8-bit pixels into a screen 640 bytes a row and
// sw_screen_height() rows high, row y at screen + y x 640.
#pragma once

#include "swrender/sw_spans.h"

#include <cstdint>

// Non-zero: every ground pixel is worked out; 0: the four-pixel ground mode.
extern uint8_t ground_detail;

// The blend tables of the shadow and the arrow hold four rows of 256: a
// blended texel of 4 or more leaves the pixel as it was.
constexpr int32_t SW_BLEND_ROWS = 4;

// The shades of edge pixels of the pitch markings: left pair, right pair.
extern const uint8_t edge_shade_colours[4];

// ---- Edge scanners. 1 when some row was written (0: off the screen, or a
// triangle turned away). Rows past the screen are never written.
// Corners in 16.16; the slopes are the rolled sprite's two column steps per
// row (small <= 1.0 <= large, unsigned 16.16).
void scan_rotated_quad_edges(const sw_point* corners, uint32_t small_slope, uint32_t large_slope);
// u, v a corner in 16.16; also writes sw_span_tex_table.
int32_t scan_textured_triangle_edges(const sw_point* corners, const sw_point* uv);
int32_t scan_polygon_edges(const sw_point* corners, int32_t n);
// The same into sw_wide_span_table, 16.16 columns.
int32_t scan_polygon_edges_wide(const sw_point* corners, int32_t n);

// ---- Flat fills (the polygon just scanned; its lowest corner row is left).
void fill_flat_polygon(const sw_point* corners, int32_t n, uint8_t colour, uint8_t* screen);
void fill_flat_polygon_edged(const sw_point* corners, int32_t n, uint8_t colour, uint8_t* screen);
// A shallow marking line with shaded pixels; steep lines draw nothing.
void draw_shaded_line(sw_point a, sw_point b, uint8_t* screen, uint8_t variant);
// Rows first..last between sw_outer_span_table and, on band rows,
// sw_span_table; the clipped form limits each piece by sw_clip_span_table.
void fill_ring_rows(uint8_t* screen, int32_t band_first, int32_t band_last, int32_t first, int32_t last, uint8_t colour);
void fill_ring_rows_clipped(uint8_t* screen, int32_t band_first, int32_t band_last, int32_t first, int32_t last,
                            uint8_t colour);

// ---- Affine textured fills. The texture is w texels a row, h rows; texel
// 0 is transparent in the quad fills. Columns outside the texture are held
// at its edges; row 255 reads row 0.
void fill_textured_quad_clipped(const sw_point* corners, uint8_t* screen, const uint8_t* texture, uint8_t w, uint8_t h,
                                int32_t u_top, int32_t v_top, int32_t du_dx, int32_t dv_dx, int32_t du_dy, int32_t dv_dy,
                                int32_t top, int32_t rows);
// Every span must lie inside columns 0..639.
void fill_textured_quad(const sw_point* corners, uint8_t* screen, const uint8_t* texture, uint8_t w, uint8_t h,
                        int32_t u_top, int32_t v_top, int32_t du_dx, int32_t dv_dx, int32_t du_dy, int32_t dv_dy,
                        int32_t top, int32_t rows);
void fill_textured_triangle(const sw_point* corners, uint8_t* screen, const uint8_t* texture, uint8_t w, uint8_t h);
void fill_textured_triangle_clipped(const sw_point* corners, uint8_t* screen, const uint8_t* texture, uint8_t w,
                                    uint8_t h);

// ---- Perspective ground fills; origin: where texture (0, 0) lies on the
// ground, a camera-space point (3 integers).
// A double to a 16.16 texture coordinate: 0x80000000 when it does not fit.
int32_t ground_coordinate(double value);
void fill_ground_polygon(const sw_point* corners, int32_t n, const uint8_t* texture, uint8_t* screen,
                         const int32_t* origin);
void fill_ground_polygon_sized(const sw_point* corners, int32_t n, const uint8_t* texture, uint8_t* screen,
                               const int32_t* origin, int32_t w, int32_t h, uint8_t transparent, double su, double sv);
void fill_ground_with_inner_band(const sw_point* corners, int32_t n, const uint8_t* texture_a,
                                 const uint8_t* texture_b, uint8_t* screen, const int32_t* origin, int32_t band_first,
                                 int32_t band_last);

// ---- Ground ellipses. The table of the blended modes is SW_BLEND_ROWS rows
// of 256, indexed by texel x 256 + the pixel already there.
int32_t build_sw_ellipse_spans(int32_t cx, int32_t cy, int32_t a, int32_t b);
void draw_sw_ellipse_solid(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint8_t* screen, uint8_t colour);
void draw_sw_ellipse_texture_opaque(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint8_t* screen,
                                    const uint8_t* texture, int32_t tex_w, int32_t tex_h);
void draw_sw_ellipse_texture(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint8_t* screen, const uint8_t* texture,
                             int32_t tex_w, int32_t tex_h);
void sw_draw_object_b(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint8_t* screen, const uint8_t* texture,
                      int32_t tex_w, int32_t tex_h, const uint8_t* table);
void draw_sw_ellipse_marker(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint8_t* screen, const uint8_t* texture,
                            int32_t tex_w, int32_t tex_h, const uint8_t* table);
// World-placed: a ground point in renderer units and a size in the same.
void draw_sw_ground_solid(int32_t x, int32_t y, int32_t z, int32_t size, uint8_t* screen, uint8_t colour);
void draw_sw_ground_texture_opaque(int32_t x, int32_t y, int32_t z, int32_t size, uint8_t* screen,
                                   const uint8_t* texture, int32_t tex_w, int32_t tex_h);
void draw_sw_ground_texture(int32_t x, int32_t y, int32_t z, int32_t size, uint8_t* screen, const uint8_t* texture,
                            int32_t tex_w, int32_t tex_h);
void draw_sw_ground_texture_alpha(int32_t x, int32_t y, int32_t z, int32_t size, uint8_t* screen,
                                  const uint8_t* texture, int32_t tex_w, int32_t tex_h, const uint8_t* table);
void draw_sw_ground_marker(int32_t x, int32_t y, int32_t z, int32_t size, uint8_t* screen, const uint8_t* texture,
                           int32_t tex_w, int32_t tex_h, const uint8_t* table);
// Fill only, over rows already in sw_span_table.
void fill_sw_spans_solid(uint8_t* screen, int32_t top, int32_t rows, uint8_t colour);
void fill_sw_spans_texture_opaque(const uint8_t* texture, int32_t tex_w, int32_t tex_h, uint8_t* screen, int32_t top,
                                  int32_t box_left, int32_t box_width, int32_t box_height);
void fill_sw_spans_texture(const uint8_t* texture, int32_t tex_w, int32_t tex_h, uint8_t* screen, int32_t top,
                           int32_t box_left, int32_t box_width, int32_t box_height);
void fill_sw_spans_texture_alpha(const uint8_t* texture, int32_t tex_w, int32_t tex_h, uint8_t* screen, int32_t top,
                                 int32_t box_left, int32_t box_width, int32_t box_height, const uint8_t* table);
void fill_sw_spans_marker(const uint8_t* texture, int32_t tex_w, int32_t tex_h, uint8_t* screen, int32_t top,
                          int32_t box_left, int32_t box_width, int32_t box_height, const uint8_t* table);
