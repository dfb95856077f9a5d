// Affine textured fills: the rolled, scaled sprite quads of the man display
// and the textured triangles, texture coordinates stepped linearly across
// each scanned row.
#include "swrender/sw_kernels.h"
#include "swrender/sw_resources.h"

#include <algorithm>

namespace {

// The texel at column u >> 16 of row (v >> 16) & 255, where row 255 reads
// row 0; a stray column or row is held at the texture's edge.
inline uint8_t texel(const uint8_t* texture, uint8_t w, uint8_t h, uint32_t u, uint32_t v)
{
    int32_t column = std::clamp<int32_t>(int32_t(u) >> 16, 0, w ? w - 1 : 0);
    uint32_t row = sw_multiply_table[w][(v >> 16) & 255];
    uint32_t last = h ? uint32_t(h - 1) * w : 0;
    return texture[std::min(row, last) + uint32_t(column)];
}

template <bool Clipped>
void fill_quad(const sw_point* corners, uint8_t* screen, const uint8_t* texture, uint8_t w, uint8_t h, int32_t u_top,
               int32_t v_top, int32_t du_dx, int32_t dv_dx, int32_t du_dy, int32_t dv_dy, int32_t top, int32_t k)
{
    const int32_t rows = sw_screen_height();
    if (k <= 0) return;
    // Coordinates wrap in 32 bits, as the fill's registers did.
    uint32_t u = uint32_t(u_top) - (u_top != 0), v = uint32_t(v_top) - (v_top != 0);
    const sw_point corner = corners[top & 3];
    int32_t r = corner.y >> 16, q = corner.x >> 16;
    if (r >= rows) return;
    if (int32_t f = corner.y & 0xFFFF) {
        int64_t g = 65536 - f;
        u += uint32_t((g * du_dy) >> 16);
        v += uint32_t((g * dv_dy) >> 16);
        if (++r >= rows || --k == 0) return;
    }
    if (int32_t f = corner.x & 0xFFFF) {
        int64_t g = 65536 - f;
        u += uint32_t((g * du_dx) >> 16);
        v += uint32_t((g * dv_dx) >> 16);
        ++q;
    }
    if (r < 0) {
        u -= uint32_t(r) * uint32_t(du_dy);
        v -= uint32_t(r) * uint32_t(dv_dy);
        if ((k += r) <= 0) return;
        r = 0;
    }
    if (r + k > rows) k = rows - r;
    for (int32_t y = r; y < r + k; ++y, u += uint32_t(du_dy), v += uint32_t(dv_dy)) {
        int32_t L = sw_span_table[y].left, R = sw_span_table[y].right;
        if (L > R) continue;
        if constexpr (Clipped) {
            L = std::max(L, 0);
            if (R >= SW_SCREEN_WIDTH) R = 639;
            if (L >= SW_SCREEN_WIDTH || R < 0) continue;
        } else if (L < 0 || R >= SW_SCREEN_WIDTH) {
            continue; // the caller's promise broken: nothing outside the screen
        }
        u += uint32_t(L - q) * uint32_t(du_dx);
        v += uint32_t(L - q) * uint32_t(dv_dx);
        q = R + 1;
        uint8_t* row = screen + size_t(y) * SW_SCREEN_WIDTH;
        for (int32_t x = L; x <= R; ++x, u += uint32_t(du_dx), v += uint32_t(dv_dx))
            if (uint8_t t = texel(texture, w, h, u, v)) row[x] = t;
    }
}

template <bool Clipped>
void fill_triangle(const sw_point* corners, uint8_t* screen, const uint8_t* texture, uint8_t w, uint8_t h)
{
    const int32_t rows = sw_screen_height();
    int32_t y_min = std::min({corners[0].y, corners[1].y, corners[2].y});
    int32_t y_max = std::max({corners[0].y, corners[1].y, corners[2].y});
    if (y_max < 0 || y_min >= rows) return;
    y_min = std::max(y_min, 0);
    y_max = std::min(y_max, rows - 1);
    for (int32_t y = y_min; y < y_max; ++y) {
        int32_t L = sw_span_table[y].left, R = sw_span_table[y].right;
        if (L > R) continue;
        if (Clipped && (L >= SW_SCREEN_WIDTH || R < 0)) continue;
        const sw_span_tex& t = sw_span_tex_table[y];
        int32_t n = R + 1 - L;
        int32_t du = int32_t((int64_t(t.u_right) - t.u_left) / n), dv = int32_t((int64_t(t.v_right) - t.v_left) / n);
        uint32_t u = uint32_t(t.u_left), v = uint32_t(t.v_left);
        if (Clipped) {
            if (L < 0) {
                u -= uint32_t(L) * uint32_t(du);
                v -= uint32_t(L) * uint32_t(dv);
                L = 0;
            }
            R = std::min(R, 639);
        }
        uint8_t* row = screen + size_t(y) * SW_SCREEN_WIDTH;
        for (int32_t x = L; x <= R; ++x, u += uint32_t(du), v += uint32_t(dv)) row[x] = texel(texture, w, h, u, v);
    }
}

} // namespace

void fill_textured_quad_clipped(const sw_point* corners, uint8_t* screen, const uint8_t* texture, uint8_t w, uint8_t h,
                                int32_t u_top, int32_t v_top, int32_t du_dx, int32_t dv_dx, int32_t du_dy, int32_t dv_dy,
                                int32_t top, int32_t rows)
{
    fill_quad<true>(corners, screen, texture, w, h, u_top, v_top, du_dx, dv_dx, du_dy, dv_dy, top, rows);
}

void fill_textured_quad(const sw_point* corners, uint8_t* screen, const uint8_t* texture, uint8_t w, uint8_t h,
                        int32_t u_top, int32_t v_top, int32_t du_dx, int32_t dv_dx, int32_t du_dy, int32_t dv_dy,
                        int32_t top, int32_t rows)
{
    fill_quad<false>(corners, screen, texture, w, h, u_top, v_top, du_dx, dv_dx, du_dy, dv_dy, top, rows);
}

void fill_textured_triangle(const sw_point* corners, uint8_t* screen, const uint8_t* texture, uint8_t w, uint8_t h)
{
    fill_triangle<false>(corners, screen, texture, w, h);
}

void fill_textured_triangle_clipped(const sw_point* corners, uint8_t* screen, const uint8_t* texture, uint8_t w,
                                    uint8_t h)
{
    fill_triangle<true>(corners, screen, texture, w, h);
}
