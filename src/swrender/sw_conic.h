// The ground conic builder: a flat ellipse on the ground seen through the
// software camera, traced into sw_span_table and the edge records.
#pragma once

#include "swrender/sw_spans.h"

#include <cstdint>

// Q(x, y) = xx x^2 + xy x y + yy y^2 + x x + y y + c, with x the column
// less 320 and y the row less the centre row; negative inside the ellipse.
struct sw_conic {
    double xx, xy, yy, x, y, c;
};
// The last outer ellipse of a ring (flag 4, not an arc): the grass oval once
// the boundary line is drawn; the arcs keep inside it.
extern sw_conic sw_saved_conic;
// Records in edge list 0 and list 1 from the last call.
extern int32_t sw_edge_counts[2];

// Flags: 2 inner ellipse of a ring, 4 outer (its conic kept), 8 and 16 the
// circle of radius a at +9600 / -9600 on the long axis, drawn only inside
// the grass oval, 32 no in-front test of the crossings, 128 the centre at
// the ground point (*first_row, *last_row). On return the rows covered and
// the record counts; 0 when nothing is on the screen.
int32_t build_ground_ellipse_spans(void* target, double a, double b, double extra_pitch, double extra_yaw,
                                   int32_t* first_row, int32_t* last_row, int32_t* left_count, int32_t* right_count,
                                   int32_t flags);

double eval_screen_conic(int32_t column, int32_t row, const sw_conic& q);
// The conic on one row (roots are columns) or one column (roots are rows):
// 0, 1 or 2 roots into the crossing record, each marked outside the clip
// window (columns 0..639, rows 0..bottom_clip and not above top_y).
int32_t conic_row_crossings(void* record, int32_t row, int32_t edge, const sw_conic& q, int32_t bottom_clip,
                            double top_y);
int32_t conic_column_crossings(void* record, int32_t column, int32_t edge, const sw_conic& q, int32_t bottom_clip,
                               double top_y);
// True when the ground seen through the pixel lies in front of the camera.
int32_t screen_point_in_front(int32_t column, int32_t row);
// 1..8 round the gradient's direction (0 for a zero gradient).
int32_t gradient_octant(double gx, double gy);
int32_t gradient_sign_test(double gx, double gy, int32_t code);
double conic_step_weight(double v, double p, double q);
int32_t point_on_screen(int32_t column, int32_t row);
// One span end, column held to 0..639, with its row flag bit.
void set_span_edge(int32_t column, int32_t row, int32_t side);
// One straight run of a trace into edge list 0 or 1 (dropped when full).
void add_edge_record(int32_t list, int32_t first_column, int32_t first_row, int32_t last_column, int32_t last_row,
                     int32_t square_x, int32_t square_y);
