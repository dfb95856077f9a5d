// The span tables the software path's scanners write and its fills read:
// one row a screen row, both ends inclusive. Rows past the screen's height
// stay unused; 1,024 rows bound every screen the path can open.
#pragma once

#include <cstdint>

constexpr int32_t SW_SPAN_ROWS = 1024;
constexpr int32_t SW_EDGE_RECORDS = 1024;
constexpr int32_t SW_SCREEN_WIDTH = 640;

struct sw_span {
    int16_t left, right;
};
struct sw_wide_span {
    int32_t first, second; // 16.16 columns
};
struct sw_span_tex {
    int32_t u_left, v_left, u_right, v_right; // 16.16
};
struct sw_edge_record {
    int32_t x, y, dx, dy;
};
// A screen corner: whole pixels, or 16.16 where a routine says so.
struct sw_point {
    int32_t x, y;
};

extern sw_span sw_span_table[SW_SPAN_ROWS];
extern sw_span sw_outer_span_table[SW_SPAN_ROWS];
extern sw_span sw_clip_span_table[SW_SPAN_ROWS];
extern sw_wide_span sw_wide_span_table[SW_SPAN_ROWS];
extern sw_span_tex sw_span_tex_table[SW_SPAN_ROWS];
extern uint32_t sw_row_side_table[SW_SPAN_ROWS];
extern uint32_t sw_span_row_flags[SW_SPAN_ROWS];
// Two lists of edge runs: [n][0] list 0, [n][1] list 1.
extern sw_edge_record sw_edge_records[SW_EDGE_RECORDS][2];

// The software screen's rows (480 once the screen format is set).
int32_t sw_screen_height();
// The row the projection measures heights from (240 on the 480-row screen).
int32_t sw_centre_row();
// Empties every table (tests, and a new match).
void reset_sw_spans();
