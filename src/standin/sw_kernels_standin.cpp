// STAND-IN until issue 31 (the software renderer, part two). See the header.
#include "standin/sw_kernels_standin.h"

#include "gl3d/angle_maths.h"
#include "gl3d/camera_globals.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

int32_t g_first = 0, g_last = -1; // rows of the last scan

// Every row's left and right end of a convex polygon, corners as doubles.
int32_t scan(const std::vector<double>& xs, const std::vector<double>& ys)
{
    int32_t rows = sw_screen_height();
    size_t n = xs.size();
    if (n < 3) return 0;
    double top = *std::min_element(ys.begin(), ys.end()), bottom = *std::max_element(ys.begin(), ys.end());
    int32_t first = std::max(0, int32_t(std::ceil(top))), last = std::min(rows - 1, int32_t(std::floor(bottom)));
    if (first > last) return 0;
    bool any = false;
    for (int32_t y = first; y <= last; ++y) {
        double lo = 1e18, hi = -1e18;
        for (size_t i = 0; i < n; ++i) {
            size_t j = (i + 1) % n;
            double y0 = ys[i], y1 = ys[j];
            if ((y < std::min(y0, y1)) || (y > std::max(y0, y1))) continue;
            double x = y1 == y0 ? xs[i] : xs[i] + (xs[j] - xs[i]) * (y - y0) / (y1 - y0);
            if (y1 == y0) {
                lo = std::min({lo, xs[i], xs[j]});
                hi = std::max({hi, xs[i], xs[j]});
            } else {
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
        }
        if (lo > hi) {
            sw_span_table[y] = sw_span{1, 0};
            continue;
        }
        int32_t l = int32_t(std::ceil(lo)), r = int32_t(std::floor(hi));
        l = std::max(l, 0);
        r = std::min(r, 639);
        if (l > r) {
            sw_span_table[y] = sw_span{1, 0};
            continue;
        }
        sw_span_table[y] = sw_span{int16_t(l), int16_t(r)};
        any = true;
    }
    g_first = first;
    g_last = last;
    return any;
}

int32_t scan_points(const sw_point* corners, int32_t n, double unit)
{
    std::vector<double> xs, ys;
    for (int32_t i = 0; i < n; ++i) {
        xs.push_back(corners[i].x / unit);
        ys.push_back(corners[i].y / unit);
    }
    return scan(xs, ys);
}

void row_range(const sw_point* corners, int32_t n, int32_t* first, int32_t* last)
{
    int32_t lo = INT32_MAX, hi = INT32_MIN;
    for (int32_t i = 0; i < n; ++i) {
        lo = std::min(lo, corners[i].y);
        hi = std::max(hi, corners[i].y);
    }
    *first = std::max(lo, 0);
    *last = std::min(hi, sw_screen_height() - 1);
}

struct GroundMap {
    double Au, Bu, Cu, Av, Bv, Cv, P, Q;
};

GroundMap ground_map(const int32_t* origin, double su, double sv)
{
    const CameraGlobals& cam = camera_globals;
    double D = cam.projection_scale;
    double a = cam.pitch * 2 * M_PI / 16384, b = -cam.yaw * 2 * M_PI / 16384;
    double m1 = std::cos(b), m2 = -std::sin(a) * std::sin(b), m3 = -std::sin(b) * std::cos(a), m4 = -std::sin(b),
           m5 = -std::sin(a) * std::cos(b), m6 = -std::cos(a) * std::cos(b);
    double X = origin[0], Y = origin[1], Z = origin[2], E = D + Z;
    GroundMap g;
    g.Au = (E * m5 - Y * m6) * su;
    g.Bu = (E * m4 - X * m6) * su;
    g.Cu = (Y * m4 - X * m5) * D * su;
    g.Av = (Y * m3 - E * m2) * sv;
    g.Bv = (E * m1 - X * m3) * sv;
    g.Cv = (X * m2 - Y * m1) * D * sv;
    g.P = m3 * m4 - m1 * m6;
    g.Q = (m1 * m5 - m2 * m4) * D;
    return g;
}

int32_t texel_coord(double v)
{
    if (!std::isfinite(v) || v > 2e9 || v < -2e9) return 0;
    return int32_t(std::nearbyint(v));
}

void ground_row(uint8_t* screen, const GroundMap& g, int32_t y, int32_t l, int32_t r, const uint8_t* texture,
                int32_t w, int32_t h, bool transparent)
{
    if (l > r) std::swap(l, r);
    l = std::max(l, 0);
    r = std::min(r, 639);
    double t = 240 - y, z = 1.0 / (t * g.P + g.Q);
    for (int32_t x = l; x <= r; ++x) {
        double s = x - 320;
        uint32_t u = uint32_t(texel_coord((s * g.Au - t * g.Bu + g.Cu) * z));
        uint32_t v = uint32_t(texel_coord((s * g.Av + t * g.Bv + g.Cv) * z));
        uint8_t c = texture[((v >> 16) & uint32_t(h - 1)) * uint32_t(w) + ((u >> 16) & uint32_t(w - 1))];
        if (transparent && c == 0) continue;
        screen[size_t(y) * 640 + size_t(x)] = c;
    }
}

void fill_quad(const sw_point* corners, uint8_t* screen, const uint8_t* texture, uint8_t w, int32_t u_top,
               int32_t v_top, int32_t du_dx, int32_t dv_dx, int32_t du_dy, int32_t dv_dy, int32_t top, int32_t)
{
    int32_t h = texture[-4]; // the frame header's height
    if (!scan_points(corners, 4, 65536.0)) return;
    double x0 = corners[top].x / 65536.0, y0 = corners[top].y / 65536.0;
    for (int32_t y = g_first; y <= g_last; ++y) {
        sw_span s = sw_span_table[y];
        for (int32_t x = s.left; x <= s.right; ++x) {
            double dx = x - x0, dy = y - y0;
            int64_t u = int64_t(u_top) + int64_t(dx * du_dx + dy * du_dy);
            int64_t v = int64_t(v_top) + int64_t(dx * dv_dx + dy * dv_dy);
            if (u < 0 || v < 0 || (u >> 16) >= w || (v >> 16) >= h) continue;
            uint8_t c = texture[(v >> 16) * w + (u >> 16)];
            if (c) screen[size_t(y) * 640 + size_t(x)] = c;
        }
    }
}

} // namespace

int32_t scan_polygon_edges(const sw_point* corners, int32_t n) { return scan_points(corners, n, 1.0); }
int32_t scan_polygon_edges_wide(const sw_point* corners, int32_t n) { return scan_points(corners, n, 1.0); }
void scan_rotated_quad_edges(const sw_point* corners, uint32_t, uint32_t) { scan_points(corners, 4, 65536.0); }

void fill_flat_polygon(const sw_point* corners, int32_t n, uint8_t colour, uint8_t* screen)
{
    int32_t first, last;
    row_range(corners, n, &first, &last);
    for (int32_t y = first; y <= last; ++y)
        for (int32_t x = sw_span_table[y].left; x <= sw_span_table[y].right; ++x) screen[size_t(y) * 640 + size_t(x)] = colour;
}

void fill_flat_polygon_edged(const sw_point* corners, int32_t n, uint8_t colour, uint8_t* screen)
{
    fill_flat_polygon(corners, n, colour, screen);
}

void draw_shaded_line(sw_point, sw_point, uint8_t*, uint8_t) {}

void fill_ring_rows(uint8_t* screen, int32_t band_first, int32_t band_last, int32_t first, int32_t last, uint8_t colour)
{
    first = std::max(first, 0);
    last = std::min(last, sw_screen_height() - 1);
    for (int32_t y = first; y <= last; ++y) {
        sw_span o = sw_outer_span_table[y];
        if (o.left > o.right) continue;
        auto run = [&](int32_t l, int32_t r) {
            for (int32_t x = std::max(l, 0); x <= std::min(r, 639); ++x) screen[size_t(y) * 640 + size_t(x)] = colour;
        };
        sw_span i = sw_span_table[y];
        if (y >= band_first && y <= band_last && i.left <= i.right) {
            run(o.left, i.left - 1);
            run(i.right + 1, o.right);
        } else {
            run(o.left, o.right);
        }
    }
}

void fill_ring_rows_clipped(uint8_t* screen, int32_t band_first, int32_t band_last, int32_t first, int32_t last,
                            uint8_t colour)
{
    fill_ring_rows(screen, band_first, band_last, first, last, colour);
}

void fill_textured_quad_clipped(const sw_point* c, uint8_t* s, const uint8_t* t, uint8_t w, int32_t u, int32_t v,
                                int32_t a, int32_t b, int32_t d, int32_t e, int32_t top, int32_t rows)
{
    fill_quad(c, s, t, w, u, v, a, b, d, e, top, rows);
}

void fill_textured_quad(const sw_point* c, uint8_t* s, const uint8_t* t, uint8_t w, int32_t u, int32_t v, int32_t a,
                        int32_t b, int32_t d, int32_t e, int32_t top, int32_t rows)
{
    fill_quad(c, s, t, w, u, v, a, b, d, e, top, rows);
}

void fill_ground_polygon_sized(const sw_point* corners, int32_t n, const uint8_t* texture, uint8_t* screen,
                               const int32_t* origin, int32_t w, int32_t h, uint8_t transparent, double su, double sv)
{
    int32_t first, last;
    row_range(corners, n, &first, &last);
    GroundMap g = ground_map(origin, su, sv);
    for (int32_t y = first; y <= last; ++y)
        ground_row(screen, g, y, sw_span_table[y].left, sw_span_table[y].right, texture, w, h, transparent != 0);
}

void fill_ground_with_inner_band(const sw_point* corners, int32_t n, const uint8_t* texture_a, const uint8_t* texture_b,
                                 uint8_t* screen, const int32_t* origin, int32_t band_first, int32_t band_last)
{
    int32_t first, last;
    row_range(corners, n, &first, &last);
    GroundMap g = ground_map(origin, 21857.28, 21857.28);
    for (int32_t y = first; y <= last; ++y) {
        sw_span o = sw_outer_span_table[y];
        if (o.left <= o.right) ground_row(screen, g, y, o.left, o.right, texture_b, 128, 128, false);
        sw_span i = sw_span_table[y];
        if (y >= band_first && y <= band_last && i.left <= i.right)
            ground_row(screen, g, y, i.left, i.right, texture_a, 128, 128, false);
    }
}

int32_t build_ground_ellipse_spans(void*, double a, double b, double, double, int32_t* first_row, int32_t* last_row,
                                   int32_t* left_count, int32_t* right_count, int32_t flags)
{
    const CameraGlobals& cam = camera_globals;
    double cx = 0, cz = 0;
    if (flags & 128) {
        cx = *first_row;
        cz = *last_row;
    }
    if (flags & 8) cx = 9600;
    if (flags & 16) cx = -9600;
    *left_count = *right_count = 0;
    *first_row = sw_screen_height();
    *last_row = 0;
    for (int32_t y = 0; y < sw_screen_height(); ++y) sw_span_table[y] = sw_span{1, 0};
    // The ellipse as a polygon in camera space, cut at the near plane.
    std::vector<std::array<double, 3>> ring;
    for (int k = 0; k < 64; ++k) {
        double ang = k * 2 * M_PI / 64;
        int32_t x = int32_t(cx + a * std::cos(ang)) - cam.x, y = -cam.y, z = int32_t(cz + b * std::sin(ang)) - cam.z;
        rotate_point_yaw(x, y, z, &x, &y, &z, cam.yaw);
        rotate_point_pitch(x, y, z, &x, &y, &z, cam.pitch);
        ring.push_back({double(x), double(y), double(z)});
    }
    std::vector<std::array<double, 3>> cut;
    for (size_t i = 0; i < ring.size(); ++i) {
        const auto& p = ring[i];
        const auto& q = ring[(i + 1) % ring.size()];
        bool pin = p[2] >= 1, qin = q[2] >= 1;
        if (pin) cut.push_back(p);
        if (pin != qin) {
            double t = (1 - p[2]) / (q[2] - p[2]);
            cut.push_back({p[0] + (q[0] - p[0]) * t, p[1] + (q[1] - p[1]) * t, 1.0});
        }
    }
    if (cut.size() < 3) return 0;
    std::vector<double> xs, ys;
    for (const auto& p : cut) {
        double f = p[2] / cam.projection_scale + 1.0;
        xs.push_back(std::clamp(p[0] / f + 320, -1e6, 1e6));
        ys.push_back(std::clamp(-p[1] / f + 240, -1e6, 1e6));
    }
    if (!scan(xs, ys)) return 0;
    *first_row = g_first;
    *last_row = g_last;
    return 1;
}
