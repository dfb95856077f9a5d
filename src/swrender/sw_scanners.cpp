// The edge scanners: each edge is walked downward once, a 16.16 column
// stepped row by row, and each covered row gets the column at one of its
// two ends.
#include "swrender/sw_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

constexpr int64_t ONE = 65536;

int16_t to_column(int64_t fixed)
{
    return int16_t(std::clamp<int64_t>(fixed >> 16, INT16_MIN, INT16_MAX));
}

int32_t clamp32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// The clipping of the shared walk: false when the edge writes nothing.
// `limit_inclusive` says whether k = 0 after the top cut already means nothing.
bool clip_walk(int32_t& r, int64_t& k, bool limit_inclusive, int64_t* skipped)
{
    int32_t rows = sw_screen_height();
    if (r >= rows) return false;
    *skipped = 0;
    if (r < 0) {
        k += r;
        if (limit_inclusive ? k <= 0 : k < 0) return false;
        *skipped = -int64_t(r);
        r = 0;
    }
    if (r + k + 1 > rows) k = rows - 1 - r;
    return true;
}

void put_end(int32_t row, bool right, int16_t column)
{
    if (right)
        sw_span_table[row].right = column;
    else
        sw_span_table[row].left = column;
}

} // namespace

void scan_rotated_quad_edges(const sw_point* corners, uint32_t small_slope, uint32_t large_slope)
{
    int32_t rows = sw_screen_height();
    for (int i = 0; i < 4; ++i) {
        sw_point a = corners[i], b = corners[(i + 1) & 3];
        int64_t dx = int64_t(b.x) - a.x, dy = int64_t(b.y) - a.y;
        bool right = dy >= 0;
        if (!right) {
            std::swap(a, b);
            dx = -dx;
            dy = -dy;
        }
        int64_t k = (b.y >> 16) - (a.y >> 16);
        if (k == 0) {
            // A horizontal edge: the row below it unless the corner before it lies lower.
            int64_t xl = std::min(a.x, b.x), xr = std::max(a.x, b.x);
            int32_t ey = a.y >> 16;
            int32_t r = ey + ((corners[(i + 3) & 3].y >> 16) > ey ? 0 : 1);
            if (r < 0 || r >= rows) continue;
            if (xr - 1 < 0 || (xl + 0xFFFF) >> 16 >= SW_SCREEN_WIDTH) continue;
            sw_span_table[r] = sw_span{to_column(xl + 0xFFFF), to_column(xr - 1)};
            continue;
        }
        int64_t fraction_left = (ONE - (a.y & 0xFFFF)) & 0xFFFF;
        bool large = std::llabs(dx) > dy;
        int64_t s, f;
        if (large) {
            s = large_slope;
            f = (fraction_left * int64_t(large_slope) + 0x8000) >> 16;
        } else {
            s = small_slope;
            f = int64_t(uint32_t(uint32_t(fraction_left) * small_slope + 0x8000u) >> 16);
            if (dx == 0 && --k < 0) continue;
        }
        int64_t x = right ? int64_t(a.x) - 1 : int64_t(a.x) + 0xFFFF;
        if (dx < 0) {
            s = -s;
            f = -f;
        }
        int32_t r = a.y >> 16;
        if (a.y & 0xFFFF) {
            x += f;
            ++r;
            if (--k < 0 && !large) continue;
        }
        int64_t skipped;
        if (!clip_walk(r, k, false, &skipped)) continue;
        x += skipped * s;
        for (int64_t j = 0; j <= k; ++j, x += s) put_end(r + int32_t(j), right, to_column(x));
    }
}

int32_t scan_textured_triangle_edges(const sw_point* corners, const sw_point* uv)
{
    int t = 0;
    for (int i = 1; i < 3; ++i)
        if (corners[i].y < corners[t].y) t = i;
    int a = (t + 1) % 3, b = (t + 2) % 3;
    const sw_point &T = corners[t], &A = corners[a], &B = corners[b];
    // Which end each edge writes, by edge start index: edge i runs i -> i+1.
    bool right_end[3] = {false, false, false};
    if (A.y == T.y && B.y == T.y) {
    } else if (A.y == T.y) {
        if (T.x > A.x) return 0;
        right_end[b] = false; // b -> t
        right_end[a] = true;  // a -> b
    } else if (B.y == T.y) {
        if (T.x < B.x) return 0;
        right_end[a] = false;
        right_end[t] = true;
    } else {
        double angle_a = std::atan2(double(A.x) - T.x, double(T.y) - A.y);
        double angle_b = std::atan2(double(B.x) - T.x, double(T.y) - B.y);
        if (angle_a < 0) angle_a += 2 * M_PI;
        if (angle_b < 0) angle_b += 2 * M_PI;
        if (angle_b - angle_a < 0) return 0;
        right_end[t] = true;
        right_end[b] = false;
        right_end[a] = !(A.y > B.y);
    }
    int32_t rows = sw_screen_height();
    for (int i = 0; i < 3; ++i) {
        sw_point p = corners[i], q = corners[(i + 1) % 3];
        sw_point pu = uv[i], qu = uv[(i + 1) % 3];
        bool right = right_end[i];
        if (p.y == q.y) {
            int32_t y = p.y;
            int64_t xl = std::min(p.x, q.x), xr = std::max(p.x, q.x);
            if (corners[(i + 2) % 3].y < y) {
                if (y >= 0 && y < rows) sw_span_table[y] = sw_span{5000, -1};
                --y;
            }
            if (y < 0 || y >= rows || xr < 0 || xl >= SW_SCREEN_WIDTH) continue;
            sw_span_table[y] = sw_span{int16_t(std::clamp<int64_t>(xl, INT16_MIN, INT16_MAX)),
                                       int16_t(std::clamp<int64_t>(xr, INT16_MIN, INT16_MAX))};
            continue;
        }
        if (q.y < p.y) {
            std::swap(p, q);
            std::swap(pu, qu);
        }
        int64_t k = int64_t(q.y) - p.y;
        int64_t dx = int64_t(q.x) - p.x;
        int32_t du = int32_t((int64_t(qu.x) - pu.x) / k), dv = int32_t((int64_t(qu.y) - pu.y) / k);
        // In 64 bits, held to 32: a steep edge far off the screen only clamps.
        int64_t s = std::clamp<int64_t>(dx * ONE / k, INT32_MIN, INT32_MAX);
        int64_t xt = std::clamp<int64_t>(p.x, -32768, 32767) * ONE;
        int64_t x = right ? xt - 1 : xt + 0xFFFF;
        if (dx == 0 && --k < 0) continue;
        int32_t r = p.y;
        int64_t skipped;
        if (!clip_walk(r, k, true, &skipped)) continue;
        x += skipped * s;
        uint32_t u = uint32_t(pu.x) + uint32_t(skipped) * uint32_t(du), v = uint32_t(pu.y) + uint32_t(skipped) * uint32_t(dv);
        for (int64_t j = 0; j <= k; ++j, x += s, u += uint32_t(du), v += uint32_t(dv)) {
            int32_t row = r + int32_t(j);
            put_end(row, right, to_column(x));
            sw_span_tex& tex = sw_span_tex_table[row];
            if (right) {
                tex.u_right = int32_t(u);
                tex.v_right = int32_t(v);
            } else {
                tex.u_left = int32_t(u);
                tex.v_left = int32_t(v);
            }
        }
    }
    return 1;
}

namespace {

// The convex polygon scanners, integer columns or 16.16.
template <bool Wide>
int32_t scan_polygon(const sw_point* corners, int32_t n)
{
    if (n < 1) return 0;
    int32_t rows = sw_screen_height();
    int32_t y_min = corners[0].y, y_max = corners[0].y, x_min = corners[0].x, x_max = corners[0].x;
    for (int32_t i = 1; i < n; ++i) {
        y_min = std::min(y_min, corners[i].y);
        y_max = std::max(y_max, corners[i].y);
        x_min = std::min(x_min, corners[i].x);
        x_max = std::max(x_max, corners[i].x);
    }
    if (y_min < 0) y_min = 0;
    if (x_max < 0 || x_min >= SW_SCREEN_WIDTH || y_max < 0 || y_min >= rows) return 0;
    for (int32_t y = y_min; y <= std::min(y_max, rows - 1); ++y) sw_row_side_table[y] = 0;
    for (int32_t i = 0; i < n; ++i) {
        sw_point a = corners[i], b = corners[(i + 1) % n];
        if (a.y == b.y) {
            if (a.y < 0 || a.y >= rows) continue;
            int64_t lo = std::clamp<int64_t>(std::min(a.x, b.x), -32768, 32767);
            int64_t hi = std::clamp<int64_t>(std::max(a.x, b.x), -32768, 32767);
            if constexpr (Wide)
                sw_wide_span_table[a.y] = sw_wide_span{int32_t(lo * ONE), int32_t(hi * ONE)};
            else
                sw_span_table[a.y] = sw_span{int16_t(lo), int16_t(hi)};
            continue;
        }
        if (b.y < a.y) std::swap(a, b);
        int64_t dx = int64_t(b.x) - a.x;
        int64_t k = int64_t(b.y) - a.y;
        // An edge ending on a corner shared with the next edge leaves that row to it.
        if (b.y != y_max && dx != 0) --k;
        uint64_t adx = uint64_t(std::llabs(dx));
        int64_t s = int64_t((adx >> 16) >= uint64_t(k) ? 0x7FFFFFFF : std::min<uint64_t>((adx << 16) / uint64_t(k), 0x7FFFFFFF));
        if (dx == 0 && --k < 0) continue;
        if (dx < 0) s = -s;
        int64_t x = std::clamp<int64_t>(a.x, -32768, 32767) * ONE;
        int32_t r = a.y;
        int64_t skipped;
        if (!clip_walk(r, k, Wide, &skipped)) continue;
        if (skipped) {
            int64_t product = skipped * s;
            if (product > INT32_MAX || product < INT32_MIN)
                x = s >= 0 ? 0x7FFFFFFF : INT32_MIN;
            else
                x = clamp32(x + product);
        }
        for (int64_t j = 0; j <= k; ++j) {
            int32_t row = r + int32_t(j);
            bool right = sw_row_side_table[row] != 0;
            if constexpr (Wide) {
                if (right)
                    sw_wide_span_table[row].second = int32_t(x);
                else
                    sw_wide_span_table[row].first = int32_t(x);
                sw_row_side_table[row] = 4;
            } else {
                put_end(row, right, int16_t(x >> 16));
                sw_row_side_table[row] = 2;
            }
            // Past 32 bits the column holds at the limit for the rest of the edge.
            int64_t next = x + s;
            if (next > INT32_MAX) {
                x = 0x7FFFFFFF;
                s = 0;
            } else if (next < INT32_MIN) {
                x = -0x7FFFFFFF;
                s = 0;
            } else {
                x = next;
            }
        }
    }
    return 1;
}

} // namespace

int32_t scan_polygon_edges(const sw_point* corners, int32_t n) { return scan_polygon<false>(corners, n); }
int32_t scan_polygon_edges_wide(const sw_point* corners, int32_t n) { return scan_polygon<true>(corners, n); }
