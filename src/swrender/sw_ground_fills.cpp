// Perspective ground fills: for each row the texture coordinates at both
// ends of its span come from the camera and a texture origin with one
// division, and are stepped linearly between them.
#include "gl3d/camera_globals.h"
#include "swrender/sw_kernels.h"

#include <algorithm>
#include <cmath>

uint8_t ground_detail = 1;

namespace {

constexpr double GROUND_TEXEL_SCALE = 21857.28;

struct GroundMapping {
    double Au, Bu, Cu, Av, Bv, Cv, P, Q;
};

GroundMapping ground_mapping(const int32_t* origin, double su, double sv)
{
    const CameraGlobals& cam = camera_globals;
    const double D = cam.projection_scale;
    const double a = cam.pitch * 2 * M_PI / 16384, b = -cam.yaw * 2 * M_PI / 16384;
    const double m1 = std::cos(b), m2 = -std::sin(a) * std::sin(b), m3 = -std::sin(b) * std::cos(a), m4 = -std::sin(b),
                 m5 = -std::sin(a) * std::cos(b), m6 = -std::cos(a) * std::cos(b);
    const double X = origin[0], Y = origin[1], Z = origin[2], E = D + Z;
    GroundMapping g;
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

struct RowMapping {
    double t, z;
};

RowMapping row_mapping(const GroundMapping& g, int32_t y)
{
    double t = double(sw_centre_row()) - y;
    return RowMapping{t, 1.0 / (t * g.P + g.Q)};
}

// One texture, with the texel lookup of its kind.
struct GroundTexture {
    const uint8_t* texels;
    uint32_t u_mask, v_mask, v_shift; // texel at ((v >> 16) & v_mask) << v_shift + ((u >> 16) & u_mask)
    bool transparent;
    bool sized; // full detail always, coordinates biased by 0x8002
};

uint32_t log2_of(uint32_t w)
{
    uint32_t s = 0;
    while ((1u << s) < w && s < 31) ++s;
    return s;
}

inline uint8_t ground_texel(const GroundTexture& tex, uint32_t u, uint32_t v)
{
    return tex.texels[(((v >> 16) & tex.v_mask) << tex.v_shift) + ((u >> 16) & tex.u_mask)];
}

void paint_span(uint8_t* screen, const GroundMapping& g, int32_t y, int32_t p, int32_t q, const GroundTexture& tex)
{
    if (p > q) std::swap(p, q);
    if (p >= SW_SCREEN_WIDTH || q < 0) return;
    q = std::min(q, 639);
    p = std::max(p, 0);
    const int32_t n = q + 1 - p;
    const RowMapping m = row_mapping(g, y);
    auto u_at = [&](int32_t x) { return uint32_t(ground_coordinate(((x - 320) * g.Au - m.t * g.Bu + g.Cu) * m.z)); };
    auto v_at = [&](int32_t x) { return uint32_t(ground_coordinate(((x - 320) * g.Av + m.t * g.Bv + g.Cv) * m.z)); };
    uint32_t uL = u_at(p), vL = v_at(p), uR = u_at(p + n), vR = v_at(p + n);
    uint8_t* row = screen + size_t(y) * SW_SCREEN_WIDTH;
    if (ground_detail || tex.sized) {
        // Differences in 32-bit wrap.
        int32_t du = int32_t(uR - uL) / n, dv = int32_t(vR - vL) / n;
        if (tex.sized) {
            uL += 0x8002;
            vL += 0x8002;
        }
        for (int32_t i = 0; i < n; ++i, uL += uint32_t(du), vL += uint32_t(dv)) {
            uint8_t t = ground_texel(tex, uL, vL);
            if (!(tex.transparent && t == 0)) row[p + i] = t;
        }
        return;
    }
    // Four pixels a read: the 4-aligned groups take the texel and the three
    // after it in the texture, reversed when u runs backwards.
    int32_t du4 = int32_t(int64_t(int32_t(uR - uL)) * 4 / n), dv4 = int32_t(int64_t(int32_t(vR - vL)) * 4 / n);
    int32_t du1 = du4 >> 2, dv1 = dv4 >> 2;
    int32_t x = p, a = p & 3, m4 = n;
    uint32_t u = uL, v = vL;
    if (a) {
        for (int32_t i = 0; i < 4 - a; ++i, ++x, u += uint32_t(du1), v += uint32_t(dv1)) row[x] = ground_texel(tex, u, v);
        m4 = n - (4 - a);
    }
    for (; m4 > 0; m4 -= 4, x += 4, u += uint32_t(du4), v += uint32_t(dv4)) {
        const uint8_t* at = &tex.texels[(((v >> 16) & tex.v_mask) << tex.v_shift) + ((u >> 16) & tex.u_mask)];
        for (int32_t i = 0; i < 4; ++i) row[x + i] = du4 < 0 ? at[3 - i] : at[i];
    }
}

// Rows from the top corner (at least 0) to the lowest corner's row, held to
// the screen; `lowest` is that corner's row itself.
bool ground_rows(const sw_point* corners, int32_t n, int32_t* first, int32_t* last, int32_t* lowest = nullptr)
{
    if (n < 1) return false;
    int32_t lo = corners[0].y, hi = corners[0].y;
    for (int32_t i = 1; i < n; ++i) {
        lo = std::min(lo, corners[i].y);
        hi = std::max(hi, corners[i].y);
    }
    lo = std::max(lo, 0);
    if (hi < 0 || lo >= sw_screen_height()) return false;
    *first = lo;
    *last = std::min(hi, sw_screen_height() - 1);
    if (lowest) *lowest = hi;
    return true;
}

GroundTexture square_texture(const uint8_t* texels) { return GroundTexture{texels, 127, 127, 7, false, false}; }

} // namespace

int32_t ground_coordinate(double value)
{
    if (!std::isfinite(value)) return INT32_MIN;
    double r = std::nearbyint(value);
    if (r < -2147483648.0 || r > 2147483647.0) return INT32_MIN;
    return int32_t(r);
}

void fill_ground_polygon(const sw_point* corners, int32_t n, const uint8_t* texture, uint8_t* screen,
                         const int32_t* origin)
{
    int32_t first, last;
    if (!ground_rows(corners, n, &first, &last)) return;
    const GroundMapping g = ground_mapping(origin, GROUND_TEXEL_SCALE, GROUND_TEXEL_SCALE);
    const GroundTexture tex = square_texture(texture);
    for (int32_t y = first; y <= last; ++y) paint_span(screen, g, y, sw_span_table[y].left, sw_span_table[y].right, tex);
}

void fill_ground_polygon_sized(const sw_point* corners, int32_t n, const uint8_t* texture, uint8_t* screen,
                               const int32_t* origin, int32_t w, int32_t h, uint8_t transparent, double su, double sv)
{
    int32_t first, last, lowest;
    if (w <= 0 || h <= 0 || !ground_rows(corners, n, &first, &last, &lowest)) return;
    const GroundMapping g = ground_mapping(origin, su, sv);
    const GroundTexture tex{texture, uint32_t(w - 1), uint32_t(h - 1), log2_of(uint32_t(w)), transparent != 0, true};
    // The lowest corner row is left out.
    const int32_t end = std::min(lowest, sw_screen_height());
    for (int32_t y = first; y < end; ++y) paint_span(screen, g, y, sw_span_table[y].left, sw_span_table[y].right, tex);
}

void fill_ground_with_inner_band(const sw_point* corners, int32_t n, const uint8_t* texture_a,
                                 const uint8_t* texture_b, uint8_t* screen, const int32_t* origin, int32_t band_first,
                                 int32_t band_last)
{
    int32_t first, last;
    if (!ground_rows(corners, n, &first, &last)) return;
    const GroundMapping g = ground_mapping(origin, GROUND_TEXEL_SCALE, GROUND_TEXEL_SCALE);
    const GroundTexture inner = square_texture(texture_a), outer = square_texture(texture_b);
    for (int32_t y = first; y <= last; ++y) {
        sw_span& o = sw_outer_span_table[y];
        int32_t L = std::min(o.left, o.right), R = std::max(o.left, o.right);
        if (y < band_first || y > band_last) {
            paint_span(screen, g, y, L, R, outer);
            continue;
        }
        const sw_span i = sw_span_table[y];
        if (L < SW_SCREEN_WIDTH) {
            // The outer right end is the larger, whichever slot holds it.
            if (R < 0 || R > 639) {
                R = 639;
                (o.right >= o.left ? o.right : o.left) = 639;
            }
            if (L < i.left && i.left >= 0) paint_span(screen, g, y, L, i.left, outer);
        }
        paint_span(screen, g, y, i.left, i.right, inner);
        if (R > i.right) paint_span(screen, g, y, i.right, R, outer);
    }
}
