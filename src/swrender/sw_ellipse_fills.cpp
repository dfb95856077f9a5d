// Flat ellipses on the software screen: shadows, set-play markers, the kick
// arrow. A midpoint ellipse writes the span table, then one of five pixel
// modes fills its rows.
#include "gl3d/angle_maths.h"
#include "gl3d/camera_globals.h"
#include "swrender/sw_kernels.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

enum class PixelMode { solid, opaque, keyed, blended, keyed_blended };

void put_row(uint32_t row, uint32_t left, uint32_t right)
{
    if (row < uint32_t(sw_screen_height())) sw_span_table[row] = sw_span{int16_t(uint16_t(left)), int16_t(uint16_t(right))};
}

struct Fill {
    PixelMode mode;
    uint8_t colour;
    const uint8_t* texture;
    int32_t tex_w, tex_h;
    const uint8_t* table;
};

void fill_rows(const Fill& f, uint8_t* screen, int32_t top, int32_t count, int32_t box_left, int32_t box_width)
{
    const int32_t rows = sw_screen_height();
    const bool textured = f.mode != PixelMode::solid;
    uint32_t shift = 0, du = 0, dv = 0, v = 0;
    if (textured) {
        // Sides of 0 or less, or a texture width that is not a power of two: nothing to map.
        if (box_width <= 0 || count <= 0 || f.tex_w <= 0 || f.tex_h <= 0 || !std::has_single_bit(uint32_t(f.tex_w)))
            return;
        shift = uint32_t(std::countr_zero(uint32_t(f.tex_w)));
        du = (uint32_t(f.tex_w) << 16) / uint32_t(box_width);
        dv = (uint32_t(f.tex_h) << 16) / uint32_t(count);
    }
    if (count <= 0 || top >= rows) return;
    if (top < 0) {
        count += top;
        if (count <= 0) return;
        v += uint32_t(-top) * dv;
        top = 0;
    }
    if (top + count > rows) count = rows - top;
    for (int32_t y = top; y < top + count; ++y, v += dv) {
        int32_t L = sw_span_table[y].left, R = sw_span_table[y].right;
        if (L < 0) L = 0;
        if (R > 639) R = 639;
        if (L > R) continue;
        uint8_t* row = screen + size_t(y) * SW_SCREEN_WIDTH;
        if (!textured) {
            std::fill(row + L, row + R + 1, f.colour);
            continue;
        }
        // Rows the ellipse left unwritten keep older spans: stay inside the texture.
        const uint8_t* texels = f.texture + (std::min<uint32_t>(v >> 16, uint32_t(f.tex_h - 1)) << shift);
        uint32_t u = uint32_t(L - box_left) * du;
        for (int32_t x = L; x <= R; ++x, u += du) {
            uint8_t t = texels[std::min<uint32_t>(u >> 16, uint32_t(f.tex_w - 1))];
            uint8_t& p = row[x];
            switch (f.mode) {
            case PixelMode::opaque: p = t; break;
            case PixelMode::keyed:
                if (t) p = t;
                break;
            case PixelMode::blended:
                if (t < SW_BLEND_ROWS) p = f.table[t * 256 + p];
                break;
            case PixelMode::keyed_blended:
                if (t && t < SW_BLEND_ROWS) p = f.table[t * 256 + p];
                break;
            case PixelMode::solid: break;
            }
        }
    }
}

void draw_screen_placed(const Fill& f, int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint8_t* screen)
{
    if (rx <= 0 || ry <= 0) return;
    int32_t a = build_sw_ellipse_spans(cx, cy, rx, ry);
    if (a == 0) return;
    fill_rows(f, screen, cy - ry, 2 * ry, cx - a, 2 * a);
}

void draw_world_placed(const Fill& f, int32_t x, int32_t y, int32_t z, int32_t size, uint8_t* screen)
{
    const CameraGlobals& cam = camera_globals;
    int32_t xc, yc, zc;
    rotate_point_yaw(x - cam.x, y - cam.y, z - cam.z, &xc, &yc, &zc, cam.yaw);
    rotate_point_pitch(xc, yc, zc, &xc, &yc, &zc, cam.pitch);
    if (zc < 0) return;
    int32_t sx, sy;
    project_point(xc, yc, zc, &sx, &sy);
    const double D = cam.projection_scale;
    uint32_t s = uint32_t(int64_t(D / (D + zc) * 65536.0));
    int32_t rx = int32_t((s * uint32_t(size) + 32768u) >> 16);
    double p = cam.pitch * 2 * M_PI / 16384;
    double tilt = p - std::atan2(double(yc), std::sqrt(double(xc) * xc + double(zc) * zc));
    int32_t ry = int32_t(std::nearbyint(rx * std::sin(tilt)));
    if (ry <= 1) ++ry;
    if (int64_t(sx) - rx > 640 || int64_t(sx) + rx < 0 || int64_t(sy) + ry < 0 || int64_t(sy) - ry > sw_screen_height() ||
        rx <= 0 || ry <= 0)
        return;
    draw_screen_placed(f, sx, sy, rx, ry, screen);
}

} // namespace

int32_t build_sw_ellipse_spans(int32_t cx, int32_t cy, int32_t a, int32_t b)
{
    if (a <= 0 || b <= 0) return 0;
    // Unsigned products as the original's; only the comparisons are signed.
    const uint32_t ucx = uint32_t(cx), ucy = uint32_t(cy);
    uint32_t x = 0, y = uint32_t(b);
    const uint32_t a2 = uint32_t(a) * uint32_t(a), b2 = uint32_t(b) * uint32_t(b);
    uint32_t d = b2 - a2 * uint32_t(b) + (a2 >> 2);
    put_row(ucy - y, ucx, ucx);
    put_row(ucy + y, ucx, ucx);
    uint32_t tA = (a2 * (2 * y - 1)) >> 1, tB = b2;
    uint32_t stepY = 0u - a2 * (2 * y - 2), stepX = 3 * b2;
    while (int32_t(tA) > int32_t(tB)) {
        if (int32_t(d) >= 0) {
            d += stepY;
            --y;
            tA -= a2;
            stepY += 2 * a2;
        }
        d += stepX;
        ++x;
        tB += b2;
        stepX += 2 * b2;
        if (int32_t(d) >= 0) {
            put_row(ucy - y, ucx - x, ucx + x);
            put_row(ucy + y, ucx - x, ucx + x);
        }
    }
    d = (((2 * x + 1) * (2 * x + 1)) >> 2) * b2 + (y - 1) * (y - 1) * a2 - a2 * b2;
    stepY = 0u - (2 * y + 3) * a2;
    stepX = (2 * x + 2) * b2;
    while (int32_t(y) > 0) {
        if (int32_t(d) < 0) {
            d += stepX;
            ++x;
            stepX += 2 * b2;
        }
        d += stepY;
        stepY += 2 * a2;
        put_row(ucy - y, ucx - x, ucx + x);
        put_row(ucy + y, ucx - x, ucx + x);
        --y;
    }
    uint32_t widest = std::max(x, uint32_t(a));
    put_row(ucy, ucx - widest, ucx + widest);
    return int32_t(widest);
}

void draw_sw_ellipse_solid(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint8_t* screen, uint8_t colour)
{
    draw_screen_placed(Fill{PixelMode::solid, colour, nullptr, 0, 0, nullptr}, cx, cy, rx, ry, screen);
}

void draw_sw_ellipse_texture_opaque(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint8_t* screen,
                                    const uint8_t* texture, int32_t tex_w, int32_t tex_h)
{
    draw_screen_placed(Fill{PixelMode::opaque, 0, texture, tex_w, tex_h, nullptr}, cx, cy, rx, ry, screen);
}

void draw_sw_ellipse_texture(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint8_t* screen, const uint8_t* texture,
                             int32_t tex_w, int32_t tex_h)
{
    draw_screen_placed(Fill{PixelMode::keyed, 0, texture, tex_w, tex_h, nullptr}, cx, cy, rx, ry, screen);
}

void sw_draw_object_b(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint8_t* screen, const uint8_t* texture,
                      int32_t tex_w, int32_t tex_h, const uint8_t* table)
{
    draw_screen_placed(Fill{PixelMode::blended, 0, texture, tex_w, tex_h, table}, cx, cy, rx, ry, screen);
}

void draw_sw_ellipse_marker(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint8_t* screen, const uint8_t* texture,
                            int32_t tex_w, int32_t tex_h, const uint8_t* table)
{
    draw_screen_placed(Fill{PixelMode::keyed_blended, 0, texture, tex_w, tex_h, table}, cx, cy, rx, ry, screen);
}

void draw_sw_ground_solid(int32_t x, int32_t y, int32_t z, int32_t size, uint8_t* screen, uint8_t colour)
{
    draw_world_placed(Fill{PixelMode::solid, colour, nullptr, 0, 0, nullptr}, x, y, z, size, screen);
}

void draw_sw_ground_texture_opaque(int32_t x, int32_t y, int32_t z, int32_t size, uint8_t* screen,
                                   const uint8_t* texture, int32_t tex_w, int32_t tex_h)
{
    draw_world_placed(Fill{PixelMode::opaque, 0, texture, tex_w, tex_h, nullptr}, x, y, z, size, screen);
}

void draw_sw_ground_texture(int32_t x, int32_t y, int32_t z, int32_t size, uint8_t* screen, const uint8_t* texture,
                            int32_t tex_w, int32_t tex_h)
{
    draw_world_placed(Fill{PixelMode::keyed, 0, texture, tex_w, tex_h, nullptr}, x, y, z, size, screen);
}

void draw_sw_ground_texture_alpha(int32_t x, int32_t y, int32_t z, int32_t size, uint8_t* screen,
                                  const uint8_t* texture, int32_t tex_w, int32_t tex_h, const uint8_t* table)
{
    draw_world_placed(Fill{PixelMode::blended, 0, texture, tex_w, tex_h, table}, x, y, z, size, screen);
}

void draw_sw_ground_marker(int32_t x, int32_t y, int32_t z, int32_t size, uint8_t* screen, const uint8_t* texture,
                           int32_t tex_w, int32_t tex_h, const uint8_t* table)
{
    draw_world_placed(Fill{PixelMode::keyed_blended, 0, texture, tex_w, tex_h, table}, x, y, z, size, screen);
}

void fill_sw_spans_solid(uint8_t* screen, int32_t top, int32_t rows, uint8_t colour)
{
    fill_rows(Fill{PixelMode::solid, colour, nullptr, 0, 0, nullptr}, screen, top, rows, 0, 1);
}

void fill_sw_spans_texture_opaque(const uint8_t* texture, int32_t tex_w, int32_t tex_h, uint8_t* screen, int32_t top,
                                  int32_t box_left, int32_t box_width, int32_t box_height)
{
    fill_rows(Fill{PixelMode::opaque, 0, texture, tex_w, tex_h, nullptr}, screen, top, box_height, box_left, box_width);
}

void fill_sw_spans_texture(const uint8_t* texture, int32_t tex_w, int32_t tex_h, uint8_t* screen, int32_t top,
                           int32_t box_left, int32_t box_width, int32_t box_height)
{
    fill_rows(Fill{PixelMode::keyed, 0, texture, tex_w, tex_h, nullptr}, screen, top, box_height, box_left, box_width);
}

void fill_sw_spans_texture_alpha(const uint8_t* texture, int32_t tex_w, int32_t tex_h, uint8_t* screen, int32_t top,
                                 int32_t box_left, int32_t box_width, int32_t box_height, const uint8_t* table)
{
    fill_rows(Fill{PixelMode::blended, 0, texture, tex_w, tex_h, table}, screen, top, box_height, box_left, box_width);
}

void fill_sw_spans_marker(const uint8_t* texture, int32_t tex_w, int32_t tex_h, uint8_t* screen, int32_t top,
                          int32_t box_left, int32_t box_width, int32_t box_height, const uint8_t* table)
{
    fill_rows(Fill{PixelMode::keyed_blended, 0, texture, tex_w, tex_h, table}, screen, top, box_height, box_left,
              box_width);
}
