// The ground's curved lines: a flat ellipse on the ground seen through the
// camera is a conic on the screen. Its equation is worked out in closed
// form, its crossings with the screen's edges solved, and its boundary
// traced with Van Aken's midpoint conic algorithm, octant by octant, each
// covered row getting its left and right end in the span table and each
// straight run of the trace an edge record.
#include "swrender/sw_conic.h"

#include "gl3d/camera_globals.h"
#include "swrender/sw_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

sw_conic sw_saved_conic{};

namespace {

constexpr double OVAL_A = 9600, OVAL_B = 6400;
// A traced piece of an image on the screen is a few thousand pixels at
// most; a conic gone wrong (the camera inside it) stops here.
constexpr int32_t MAX_TRACE_MOVES = 1 << 16;

struct Crossing {
    double root[2];
    double coordinate;
    int32_t count;
    bool outside[2];
};

struct BuilderState {
    sw_conic q;
    int32_t rows;
    int32_t bottom_clip;
    double top_x, top_y; // the image's top point, screen columns and rows
    Crossing edges[4];   // top, right (639), bottom clip row, left (0)
    int32_t first, last;
    int32_t counts[2];
    int32_t flags;
    bool arc;
    const sw_conic* oval; // the arc's limit: write only where it is <= 0
};

double centre_row() { return double(sw_centre_row()); }

double conic_at(const sw_conic& q, double x, double y)
{
    return q.xx * x * x + q.xy * x * y + q.yy * y * y + q.x * x + q.y * y + q.c;
}

int32_t nearest(double v) { return ground_coordinate(v); }

void widen_rows(BuilderState& st, int32_t row)
{
    st.first = std::min(st.first, row);
    st.last = std::max(st.last, row);
}

// ---- The trace.

struct Tracer {
    BuilderState& st;
    int32_t x, y; // pixel, from column 320 and the centre row
    int32_t run_x, run_y; // the current run's first pixel
    bool writing = true;

    void write_end(int32_t side)
    {
        int32_t row = y + sw_centre_row();
        if (row < 0 || row >= st.rows) return;
        int32_t column = x + 320;
        if (st.oval && conic_at(*st.oval, x, y) > 0) return;
        set_span_edge(column, row, side);
        widen_rows(st, row);
    }

    void close_run(int32_t kind, int32_t sqx, int32_t sqy)
    {
        if (!writing || (st.oval && conic_at(*st.oval, run_x, run_y) > 0)) return;
        // Inner ellipse: even octants to list 1; outer: odd octants to list 1.
        int32_t list = ((st.flags & 2) && kind == 3) || ((st.flags & 4) && !st.arc && kind == 2) ? 1 : 0;
        add_edge_record(list, run_x + 320, run_y + sw_centre_row(), x + 320, y + sw_centre_row(), sqx, sqy);
    }
};

int32_t octant_side(int32_t octant) { return octant >= 1 && octant <= 4 ? 1 : 0; }
bool writes_every_pixel(int32_t octant) { return octant == 2 || octant == 3 || octant == 6 || octant == 7; }

// One piece of the conic from start to end (pixels relative to the centre);
// `octants` 8 for a closed curve.
void trace_piece(BuilderState& st, int32_t sx, int32_t sy, int32_t ex, int32_t ey, bool closed)
{
    const sw_conic& q = st.q;
    auto gradient = [&](double x, double y, double* gx, double* gy) {
        *gx = 2 * q.xx * x + q.xy * y + q.x;
        *gy = q.xy * x + 2 * q.yy * y + q.y;
    };
    double gx, gy;
    gradient(sx, sy, &gx, &gy);
    int32_t octant = gradient_octant(gx, gy);
    if (octant == 0) return;
    double egx, egy;
    gradient(ex, ey, &egx, &egy);
    int32_t count = closed ? 8 : gradient_octant(egx, egy) - octant;
    if (!closed && count < 0) count += 8;

    const double xx = q.xx, xy = q.xy, yy = q.yy;
    double d, u, v, k1, k2, k3;
    int32_t dxS, dyS, dxD, dyD;
    switch (octant) {
    case 1:
        dxS = 1, dyS = 0, dxD = 1, dyD = 1;
        d = xx + xy / 2 + yy / 4 + gx + gy / 2, u = xx + xy / 2 + gx, v = xx + xy / 2 + gx + gy;
        k1 = 2 * xx, k2 = 2 * xx + xy, k3 = 2 * (xx + xy + yy);
        break;
    case 2:
        dxS = 0, dyS = 1, dxD = 1, dyD = 1;
        d = yy + xy / 2 + xx / 4 + gy + gx / 2, u = yy + xy / 2 + gy, v = yy + xy / 2 + gx + gy;
        k1 = 2 * yy, k2 = 2 * yy + xy, k3 = 2 * (xx + xy + yy);
        break;
    case 3:
        dxS = 0, dyS = 1, dxD = -1, dyD = 1;
        d = yy - xy / 2 + xx / 4 - gx / 2 + gy, u = yy - xy / 2 + gy, v = yy - xy / 2 - gx + gy;
        k1 = 2 * yy, k2 = 2 * yy - xy, k3 = 2 * (xx - xy + yy);
        break;
    case 4:
        dxS = -1, dyS = 0, dxD = -1, dyD = 1;
        d = xx - xy / 2 + yy / 4 - gx + gy / 2, u = xx - xy / 2 - gx, v = xx - xy / 2 - gx + gy;
        k1 = 2 * xx, k2 = 2 * xx - xy, k3 = 2 * (xx - xy + yy);
        break;
    case 5:
        dxS = -1, dyS = 0, dxD = -1, dyD = -1;
        d = xx + xy / 2 + yy / 4 - gx - gy / 2, u = xx + xy / 2 - gx, v = xx + xy / 2 - gx - gy;
        k1 = 2 * xx, k2 = 2 * xx + xy, k3 = 2 * (xx + xy + yy);
        break;
    case 6:
        dxS = 0, dyS = -1, dxD = -1, dyD = -1;
        d = yy + xy / 2 + xx / 4 - gx / 2 - gy, u = yy + xy / 2 - gy, v = yy + xy / 2 - gx - gy;
        k1 = 2 * yy, k2 = 2 * yy + xy, k3 = 2 * (xx + xy + yy);
        break;
    case 7:
        dxS = 0, dyS = -1, dxD = 1, dyD = -1;
        d = yy - xy / 2 + xx / 4 + gx / 2 - gy, u = yy - xy / 2 - gy, v = yy - xy / 2 + gx - gy;
        k1 = 2 * yy, k2 = 2 * yy - xy, k3 = 2 * (xx - xy + yy);
        break;
    default:
        dxS = 1, dyS = 0, dxD = 1, dyD = -1;
        d = xx - xy / 2 + yy / 4 + gx - gy / 2, u = xx - xy / 2 + gx, v = xx - xy / 2 + gx - gy;
        k1 = 2 * xx, k2 = 2 * xx - xy, k3 = 2 * (xx - xy + yy);
        break;
    }
    // The start pixel lies near the curve, not on it: count its own value.
    d += conic_at(q, sx, sy);

    Tracer t{st, sx, sy, sx, sy};
    int32_t moves = 0;
    for (int32_t step = 0; step <= count && moves < MAX_TRACE_MOVES; ++step) {
        const bool odd = octant & 1;
        const int32_t side = octant_side(octant);
        const bool every = writes_every_pixel(octant);
        const int32_t kind = odd ? 2 : 3;
        const bool last_octant = step == count;
        // In the last octant the trace runs a counted number of steps along
        // the square move's axis, to the end point.
        int32_t left = last_octant ? (dxS ? std::abs(ex - t.x) : std::abs(ey - t.y)) : -1;
        auto square = [&] {
            if (every) t.write_end(side);
            t.x += dxS, t.y += dyS;
        };
        auto diagonal = [&] {
            t.write_end(side);
            t.close_run(kind, dxS, dyS);
            t.x += dxD, t.y += dyD;
            t.run_x = t.x, t.run_y = t.y;
        };
        if (odd) {
            while ((last_octant ? left-- > 0 : k2 / 2 >= v) && moves++ < MAX_TRACE_MOVES) {
                if (d >= 0) {
                    diagonal();
                    u += k2, v += k3, d += v;
                } else {
                    square();
                    u += k1, v += k2, d += u;
                }
            }
        } else {
            while ((last_octant ? left-- > 0 : k2 / 2 > u) && moves++ < MAX_TRACE_MOVES) {
                if (d >= 0) {
                    square();
                    u += k1, v += k2, d += u;
                } else {
                    diagonal();
                    u += k2, v += k3, d += v;
                }
            }
        }
        t.write_end(side);
        if (last_octant) {
            t.close_run(kind, dxS, dyS);
            break;
        }
        if (odd) {
            d = d - u - v / 2 - k2 / 2 + 3 * k3 / 8;
            u = v - u - k2 / 2 + k3 / 2;
            v = v - k2 + k3 / 2;
            k1 = k1 - 2 * k2 + k3;
            k2 = k3 - k2;
            int32_t s = dxS;
            dxS = -dyS, dyS = s;
        } else {
            d = d + u - v + k1 - k2;
            v = 2 * u - v + k1 - k2;
            u = u + k1 - k2;
            k3 = k3 + 4 * (k1 - k2);
            k2 = 2 * k1 - k2;
            int32_t s = dxD;
            dxD = -dyD, dyD = s;
        }
        octant = octant == 8 ? 1 : octant + 1;
    }
}

// ---- Crossings with the screen's edges.

bool in_front_of_camera(const BuilderState&, double column, double row)
{
    return screen_point_in_front(int32_t(std::lround(std::clamp(column, -1e6, 1e6))),
                                 int32_t(std::lround(std::clamp(row, -1e6, 1e6))));
}

void solve_edges(BuilderState& st)
{
    conic_row_crossings(&st.edges[0], 0, 0, st.q, st.bottom_clip, st.top_y);
    conic_column_crossings(&st.edges[1], 639, 1, st.q, st.bottom_clip, st.top_y);
    conic_row_crossings(&st.edges[2], st.bottom_clip, 2, st.q, st.bottom_clip, st.top_y);
    conic_column_crossings(&st.edges[3], 0, 3, st.q, st.bottom_clip, st.top_y);
    if (st.flags & 32) return;
    for (int e = 0; e < 4; ++e) {
        Crossing& c = st.edges[e];
        for (int r = 0; r < c.count && r < 2; ++r) {
            bool row_edge = e == 0 || e == 2;
            double column = row_edge ? c.root[r] : c.coordinate, row = row_edge ? c.coordinate : c.root[r];
            if (c.outside[r] || in_front_of_camera(st, column, row)) continue;
            c.outside[r] = true;
            c.root[r] = r == 0 ? st.rows - 1 : 0;
        }
    }
}

// Rows that the left or right screen edge fills between its two crossings.
void fill_edge_rows(BuilderState& st, int32_t e, int32_t column, int32_t side, double corner_q)
{
    const Crossing& c = st.edges[e];
    if (c.count == 0 || (c.outside[0] && c.outside[1])) return;
    int32_t r1 = nearest(c.root[0]), r0 = nearest(c.root[1]);
    if (r1 >= st.rows - 1 || r1 < r0 || c.outside[0]) r1 = st.rows - 1;
    if (c.outside[1]) r0 = (r0 < 1 && st.top_y <= 0 && corner_q <= 0) ? 0 : st.rows - 1;
    for (int32_t row = std::max(r0, 0); row <= std::min(r1, st.rows - 1); ++row) {
        set_span_edge(column, row, side);
        if (st.flags & 32) widen_rows(st, row);
    }
}

struct BorderPoint {
    double column, row;
    int32_t edge;
};

int32_t trace_conic(BuilderState& st)
{
    solve_edges(st);
    const double centre = centre_row();
    const double q_top_left = conic_at(st.q, -320, -centre), q_top_right = conic_at(st.q, 319, -centre);
    if (!st.arc) {
        fill_edge_rows(st, 3, 0, 0, q_top_left);
        fill_edge_rows(st, 1, 639, 1, q_top_right);
    }
    // The crossings in order round the screen, clockwise.
    BorderPoint points[8];
    int32_t n = 0;
    const int order[4][2] = {{1, 0}, {1, 0}, {0, 1}, {0, 1}};
    for (int e = 0; e < 4; ++e) {
        const Crossing& c = st.edges[e];
        for (int k = 0; k < 2; ++k) {
            int r = order[e][k];
            if (r >= c.count || c.outside[r]) continue;
            bool row_edge = e == 0 || e == 2;
            points[n++] = BorderPoint{row_edge ? c.root[r] : c.coordinate, row_edge ? c.coordinate : c.root[r], e};
        }
    }
    auto pixel = [&](const BorderPoint& p, int32_t* x, int32_t* y) {
        *x = nearest(p.column) - 320;
        *y = nearest(p.row) - sw_centre_row();
    };
    if (n == 0) {
        if (q_top_left < 0) return st.flags & 32 ? 1 : 0; // the screen lies inside the conic
        if (!(st.top_x > 0 && st.top_x < 639 && st.top_y > 0 && st.top_y < st.bottom_clip)) return 0;
        int32_t x = nearest(st.top_x) - 320, y = nearest(st.top_y) - sw_centre_row();
        trace_piece(st, x, y, x, y, true);
        st.first = nearest(st.top_y);
        --st.last;
        return 1;
    }
    if (!st.arc)
        for (int32_t row = 0; row < st.rows; ++row) sw_span_table[row] = sw_span{0, 639};
    // Is the first crossing where the curve comes back onto the screen?
    double gx, gy;
    {
        int32_t x, y;
        pixel(points[0], &x, &y);
        gx = 2 * st.q.xx * x + st.q.xy * y + st.q.x;
        gy = st.q.xy * x + 2 * st.q.yy * y + st.q.y;
    }
    const int32_t e0 = points[0].edge;
    bool first_is_end = (e0 == 0 && gx < 0) || (e0 == 1 && gy < 0) || (e0 == 2 && gx > 0) || (e0 == 3 && gy > 0);
    BorderPoint walk[9];
    int32_t m = 0;
    if (first_is_end) walk[m++] = points[n - 1];
    for (int32_t i = 0; i < n - (first_is_end ? 1 : 0); ++i) walk[m++] = points[i];
    for (int32_t i = 0; i + 1 < m; i += 2) {
        int32_t sx, sy, ex, ey;
        pixel(walk[i], &sx, &sy);
        BorderPoint end = walk[i + 1];
        if (end.row <= st.top_y && i + 2 >= m) end = points[0];
        pixel(end, &ex, &ey);
        trace_piece(st, sx, sy, ex, ey, false);
    }
    if (m & 1) {
        // A start left over: it closes on the walk's first crossing unless it
        // lies at or above the image's top.
        const BorderPoint& start = walk[m - 1];
        if (start.row > st.top_y) {
            int32_t sx, sy, ex, ey;
            pixel(start, &sx, &sy);
            pixel(points[0], &ex, &ey);
            trace_piece(st, sx, sy, ex, ey, false);
        }
    }
    return 1;
}

// The conic of a ground ellipse of semi-axes a, b through the camera.
sw_conic screen_conic(const double O[3], const double U[3], const double V[3], double a, double b, double D)
{
    auto cross = [](const double p[3], const double q[3], double out[3]) {
        out[0] = p[1] * q[2] - p[2] * q[1];
        out[1] = p[2] * q[0] - p[0] * q[2];
        out[2] = p[0] * q[1] - p[1] * q[0];
    };
    const double Op[3] = {O[0], O[1], O[2] + D};
    double N1[3], N2[3], N3[3];
    cross(V, Op, N1);
    cross(Op, U, N2);
    cross(U, V, N3);
    const double a2 = a * a, b2 = b * b, ab = a2 * b2;
    auto mix = [&](int i, int j) { return b2 * N1[i] * N1[j] + a2 * N2[i] * N2[j] - ab * N3[i] * N3[j]; };
    return sw_conic{mix(0, 0), -2 * mix(0, 1), mix(1, 1), 2 * D * mix(0, 2), -2 * D * mix(1, 2), D * D * mix(2, 2)};
}

} // namespace

double eval_screen_conic(int32_t column, int32_t row, const sw_conic& q)
{
    return conic_at(q, double(column) - 320, double(row) - centre_row());
}

int32_t gradient_octant(double gx, double gy)
{
    if (gx == 0 && gy == 0) return 0;
    if (gx > 0 && gy < 0) return gx < -gy ? 1 : 2;
    if (gx > 0 && gy == 0) return 2;
    if (gx > 0 && gy > 0) return gx > gy ? 3 : 4;
    if (gx == 0 && gy > 0) return 4;
    if (gx < 0 && gy > 0) return -gx < gy ? 5 : 6;
    if (gx < 0 && gy == 0) return 6;
    if (gx < 0 && gy < 0) return gx < gy ? 7 : 8;
    if (gx == 0 && gy < 0) return 8;
    return 0; // NaN
}

int32_t gradient_sign_test(double gx, double gy, int32_t code)
{
    switch (code) {
    case -1:
    case 3: return gy > 0;
    case 0: return gx < 0;
    case 1: return gy < 0;
    case 2: return gx > 0;
    default: return 0;
    }
}

double conic_step_weight(double v, double p, double q)
{
    if (v > 0) return 0.5;
    if (v <= -(p + q)) return std::fabs(v / (p + q / 2));
    return 1.0;
}

int32_t point_on_screen(int32_t column, int32_t row)
{
    return column >= 0 && column < SW_SCREEN_WIDTH && row >= 0 && row < sw_screen_height();
}

void set_span_edge(int32_t column, int32_t row, int32_t side)
{
    if (row < 0 || row >= sw_screen_height()) return;
    int16_t c = int16_t(std::clamp(column, 0, 639));
    if (side)
        sw_span_table[row].right = c;
    else
        sw_span_table[row].left = c;
    sw_span_row_flags[row] |= side ? 2u : 1u;
}

int32_t sw_edge_counts[2];

void add_edge_record(int32_t list, int32_t first_column, int32_t first_row, int32_t last_column, int32_t last_row,
                     int32_t square_x, int32_t square_y)
{
    int32_t& n = sw_edge_counts[list & 1];
    if (n >= SW_EDGE_RECORDS) return; // the list is full: drop the run
    const int32_t bottom = std::min(sw_screen_height(), SW_SPAN_ROWS) - 1;
    int32_t fc = std::clamp(first_column, 0, 639), fr = std::clamp(first_row, 0, bottom);
    int32_t lc = std::clamp(last_column, 0, 639), lr = std::clamp(last_row, 0, bottom);
    sw_edge_records[n][list & 1] = sw_edge_record{fc, fr, lc - fc + square_x, lr - fr + square_y};
    ++n;
}

int32_t conic_row_crossings(void* record, int32_t row, int32_t, const sw_conic& q, int32_t bottom_clip, double)
{
    (void)bottom_clip;
    Crossing& c = *static_cast<Crossing*>(record);
    c = Crossing{{0, 0}, double(row), 0, {false, false}};
    const double y = double(row) - centre_row();
    const double p = q.xy * y + q.x, r = q.yy * y * y + q.y * y + q.c;
    const double disc = p * p - 4 * q.xx * r;
    if (!(disc >= 0) || q.xx == 0) return 0;
    const double s = std::sqrt(disc);
    c.root[0] = (s - p) / (2 * q.xx) + 320;
    c.root[1] = (-p - s) / (2 * q.xx) + 320;
    c.count = disc == 0 ? 1 : 2;
    if (c.count == 1) c.root[1] = c.root[0];
    for (int i = 0; i < 2; ++i) c.outside[i] = c.root[i] < 0 || c.root[i] > 639;
    return c.count;
}

int32_t conic_column_crossings(void* record, int32_t column, int32_t, const sw_conic& q, int32_t bottom_clip,
                               double top_y)
{
    Crossing& c = *static_cast<Crossing*>(record);
    c = Crossing{{0, 0}, double(column), 0, {false, false}};
    const double x = double(column) - 320;
    const double p = q.xy * x + q.y, r = q.xx * x * x + q.x * x + q.c;
    const double disc = p * p - 4 * q.yy * r;
    if (!(disc >= 0) || q.yy == 0) return 0;
    const double s = std::sqrt(disc);
    c.root[0] = (s - p) / (2 * q.yy) + centre_row();
    c.root[1] = (-p - s) / (2 * q.yy) + centre_row();
    c.count = disc == 0 ? 1 : 2;
    if (c.count == 1) c.root[1] = c.root[0];
    for (int i = 0; i < 2; ++i) c.outside[i] = c.root[i] < 0 || c.root[i] > bottom_clip || c.root[i] < top_y;
    return c.count;
}

int32_t screen_point_in_front(int32_t column, int32_t row)
{
    const CameraGlobals& cam = camera_globals;
    const double P = -(cam.pitch * 2 * M_PI / 16384), D = cam.projection_scale;
    const double y = double(row) - centre_row();
    const double s = D * std::sin(P) - y * std::cos(P);
    if (s == 0) return 1;
    // The ray (x, -y, D) from the eye, D behind the camera, meets the ground
    // at eye + t (x, -y, D); its depth is then t D - D.
    (void)column;
    const double t = (D * std::sin(P) - double(cam.y)) / s;
    const double depth = t * D - D;
    return depth > 0;
}

int32_t build_ground_ellipse_spans(void*, double a, double b, double extra_pitch, double extra_yaw, int32_t* first_row,
                                   int32_t* last_row, int32_t* left_count, int32_t* right_count, int32_t flags)
{
    const CameraGlobals& cam = camera_globals;
    const int32_t rows = sw_screen_height();
    for (int32_t row = 0; row < rows; ++row) {
        sw_span_row_flags[row] = 0;
        sw_edge_records[row][0].dx = sw_edge_records[row][0].dy = 0;
        sw_edge_records[row][1].dx = sw_edge_records[row][1].dy = 0;
    }
    sw_edge_counts[0] = sw_edge_counts[1] = 0;
    *left_count = *right_count = 0;

    const double Y = cam.yaw * 2 * M_PI / 16384, P = -(cam.pitch * 2 * M_PI / 16384), D = cam.projection_scale;
    const double sY = std::sin(Y), cY = std::cos(Y), sP = std::sin(P), cP = std::cos(P);
    const double dx = -double(cam.x), dy = -double(cam.y), dz = -double(cam.z);
    double O[3] = {cY * dx - sY * dz, -sY * sP * dx + cP * dy - cY * sP * dz, sY * cP * dx + sP * dy + cY * cP * dz};
    const double Yp = Y + extra_yaw, Pp = P - extra_pitch;
    const double U[3] = {std::cos(Yp), -std::sin(Yp) * std::sin(Pp), std::sin(Yp) * std::cos(Pp)};
    const double V[3] = {-std::sin(Yp), -std::cos(Yp) * std::sin(Pp), std::cos(Yp) * std::cos(Pp)};
    const double world_x[3] = {cY, -sY * sP, sY * cP}, world_z[3] = {-sY, -cY * sP, cY * cP};
    const bool arc = flags & (8 | 16);
    if (arc) {
        const double shift = (flags & 8) ? OVAL_A : -OVAL_A;
        for (int i = 0; i < 3; ++i) O[i] += shift * U[i];
    }
    if (flags & 128) {
        const double gx = *first_row, gz = *last_row;
        for (int i = 0; i < 3; ++i) O[i] += gx * world_x[i] + gz * world_z[i];
    }

    BuilderState st{};
    st.q = screen_conic(O, U, V, a, b, D);
    st.rows = rows;
    st.flags = flags;
    st.arc = arc;
    st.first = rows;
    st.last = 0;
    if ((flags & 4) && !arc) sw_saved_conic = st.q;

    const sw_conic& q = st.q;
    const double G = q.xy * q.xy - 4 * q.xx * q.yy, K = q.xy * q.x - 2 * q.xx * q.y;
    const double R = std::sqrt(q.xx * (q.xx * q.y * q.y + q.yy * q.x * q.x - q.xy * q.x * q.y + q.c * q.xy * q.xy -
                                       4 * q.xx * q.yy * q.c));
    double top_y = (2 * R - K) / G, bottom_y = (-K - 2 * R) / G;
    if (nearest(top_y - bottom_y) == 0) return 0;
    st.top_x = -(q.xy * top_y + q.x) / (2 * q.xx) + 320;
    st.top_y = top_y + centre_row();
    bottom_y += centre_row();

    const double h = double(cam.y) - std::fabs(double(cam.z)) * std::tan(P) + centre_row();
    st.bottom_clip = h < rows - 1 ? std::clamp(nearest(h), -1, rows - 1) : rows - 1;
    Crossing bottom;
    if (conic_row_crossings(&bottom, st.bottom_clip, 2, q, st.bottom_clip, st.top_y))
        bottom_y = st.bottom_clip;
    else if (O[2] < 0)
        return 0;
    if (!(st.bottom_clip > st.top_y) || !(bottom_y > 0)) return 0;

    if (arc) {
        // Where the circle meets the grass oval, in closed form; the arc is
        // written only inside the oval.
        const double A2 = OVAL_A * OVAL_A, B2 = OVAL_B * OVAL_B;
        const double inner = B2 * B2 + (A2 - B2) * a * a;
        const double x = ((flags & 8) ? 1 : -1) * OVAL_A * (A2 - std::sqrt(inner)) / (A2 - B2);
        if (1 - x * x / A2 < 0) return 0;
        for (int32_t row = 0; row < rows; ++row) {
            sw_span_table[row] = sw_span{0, 639};
            sw_span_row_flags[row] = 3;
        }
        st.oval = &sw_saved_conic;
    }
    if (!trace_conic(st)) return 0;

    // Finish: the rows covered, the first one mended from the row above it.
    if (st.first >= st.last) return 0;
    st.last = std::min(st.last, rows - 1);
    st.first = std::max(st.first, 0);
    while (st.first < rows - 1 && sw_span_row_flags[st.first] != 3) {
        if (st.first > 0) {
            uint32_t here = sw_span_row_flags[st.first], above = sw_span_row_flags[st.first - 1];
            if (here == 1 && above == 2) {
                sw_span_table[st.first].right = sw_span_table[st.first - 1].right;
                sw_span_row_flags[st.first] |= 2;
                break;
            }
            if (here != 1 && above == 1) {
                sw_span_table[st.first].left = sw_span_table[st.first - 1].left;
                sw_span_row_flags[st.first] |= 1;
                break;
            }
        }
        ++st.first;
    }
    while (st.last > 0 && sw_span_row_flags[st.last] != 3) --st.last;
    if (sw_span_table[st.last].right - sw_span_table[st.last].left == 639)
        for (int32_t row = st.last + 1; row < rows; ++row) sw_span_table[row] = sw_span{0, 639};
    *first_row = st.first;
    *last_row = st.last;
    *left_count = sw_edge_counts[0];
    *right_count = sw_edge_counts[1];
    return 1;
}
