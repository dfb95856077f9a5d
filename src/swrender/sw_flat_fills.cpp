// The one-colour fills of the software pitch: scanned polygons, polygons
// with shaded edge pixels, shallow marking lines and rings between two
// ellipse outlines.
#include "swrender/sw_kernels.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

const uint8_t edge_shade_colours[4] = {0x81, 0x88, 0x88, 0x81};

namespace {

uint8_t* row_at(uint8_t* screen, int32_t y) { return screen + size_t(y) * SW_SCREEN_WIDTH; }

// Rows y_min .. min(y_max, height) - 1: the lowest corner row is left out.
bool polygon_rows(const sw_point* corners, int32_t n, int32_t* first, int32_t* end)
{
    if (n < 1) return false;
    int32_t lo = corners[0].y, hi = corners[0].y;
    for (int32_t i = 1; i < n; ++i) {
        lo = std::min(lo, corners[i].y);
        hi = std::max(hi, corners[i].y);
    }
    *first = std::max(lo, 0);
    *end = std::min(hi, sw_screen_height());
    return *first < *end;
}

void fill_piece(uint8_t* row, int32_t p, int32_t q, uint8_t colour)
{
    if (p > q) return;
    std::memset(row + p, colour, size_t(q - p + 1));
}

template <bool Clipped>
void fill_ring(uint8_t* screen, int32_t band_first, int32_t band_last, int32_t first, int32_t last, uint8_t colour)
{
    first = std::max(first, 0);
    last = std::min(last, sw_screen_height() - 1);
    for (int32_t y = first; y <= last; ++y) {
        uint8_t* row = row_at(screen, y);
        const sw_span outer = sw_outer_span_table[y];
        int32_t L = std::max<int32_t>(std::min(outer.left, outer.right), 0);
        int32_t R = std::min<int32_t>(std::max(outer.left, outer.right), 639);
        auto piece = [&](int32_t p, int32_t q) {
            // An outline squeezed against a screen side.
            if ((p == 0 && q == 0) || (p == 639 && q == 639)) return;
            if constexpr (Clipped) {
                p = std::max<int32_t>(p, sw_clip_span_table[y].left);
                q = std::min<int32_t>(q, sw_clip_span_table[y].right);
            }
            fill_piece(row, std::max(p, 0), std::min(q, 639), colour);
        };
        if (y < band_first || y > band_last) {
            piece(L, R);
            continue;
        }
        const sw_span inner = sw_span_table[y];
        piece(std::max(std::min<int32_t>(L, inner.left), 0), std::max<int32_t>(L, inner.left));
        int32_t b = std::max<int32_t>(inner.right, 0), e = std::min<int32_t>(outer.right, 639);
        piece(std::min(b, e), std::max(b, e));
    }
}

} // namespace

void fill_flat_polygon(const sw_point* corners, int32_t n, uint8_t colour, uint8_t* screen)
{
    int32_t first, end;
    if (!polygon_rows(corners, n, &first, &end)) return;
    for (int32_t y = first; y < end; ++y) {
        int32_t L = std::min(sw_span_table[y].left, sw_span_table[y].right);
        int32_t R = std::max(sw_span_table[y].left, sw_span_table[y].right);
        if (L >= SW_SCREEN_WIDTH || R < 0) continue;
        fill_piece(row_at(screen, y), std::max(L, 0), std::min(R, 639), colour);
    }
}

void fill_flat_polygon_edged(const sw_point* corners, int32_t n, uint8_t colour, uint8_t* screen)
{
    int32_t first, end;
    if (!polygon_rows(corners, n, &first, &end)) return;
    for (int32_t y = first; y < end; ++y) {
        int32_t L = std::min(sw_wide_span_table[y].first, sw_wide_span_table[y].second);
        int32_t R = std::max(sw_wide_span_table[y].first, sw_wide_span_table[y].second);
        if (L >= SW_SCREEN_WIDTH * 65536 || R < 0) continue;
        if (R >= SW_SCREEN_WIDTH * 65536) R = 639 * 65536;
        if (L < 0) L = 0;
        int32_t l = L >> 16, r = R >> 16;
        uint8_t* row = row_at(screen, y);
        row[l] = edge_shade_colours[(L >> 15) & 1];
        fill_piece(row, l + 1, r - 1, colour);
        // The right end last: a row inside one column takes the right shade.
        row[r] = edge_shade_colours[2 + ((R >> 15) & 1)];
    }
}

void draw_shaded_line(sw_point a, sw_point b, uint8_t* screen, uint8_t variant)
{
    const int32_t rows = sw_screen_height();
    int64_t dx = int64_t(b.x) - a.x, dy = int64_t(b.y) - a.y;
    if (dy < 0) {
        std::swap(a, b);
        dx = -dx;
        dy = -dy;
    }
    int64_t xa = a.x, ya = a.y;
    while (xa < -32768 || xa >= 65536) {
        xa >>= 1;
        ya >>= 1;
    }
    if (ya >= rows || b.y < 0) return;
    if (dy == 0) {
        int64_t left = std::max<int64_t>(std::min<int64_t>(xa, b.x), 0);
        int64_t right = std::min<int64_t>(std::max<int64_t>(xa, b.x), 639) - 1;
        if (left >= SW_SCREEN_WIDTH || right < 0 || left > right || ya < 0) return;
        fill_piece(row_at(screen, int32_t(ya)), int32_t(left), int32_t(right), 0x81);
        return;
    }
    int64_t adx = std::llabs(dx);
    if (adx <= dy) return; // steep: never drawn
    const int64_t s = (dy * 65536) / adx, limit = int64_t(rows) * 65536;
    int64_t y = ya * 65536 + 0x8000, x = xa, k = adx;
    const int64_t d = dx >= 0 ? 1 : -1;
    if (d < 0) {
        if (x < 0) return;
        if (x > 639) {
            int64_t e = x - 639;
            if ((k -= e) <= 0) return;
            if ((y += e * s) >= limit) return;
            x = 639;
        }
        if (x - k < 0 && (k = x) <= 0) return;
    } else {
        if (x >= SW_SCREEN_WIDTH) return;
        if (x < 0) {
            if ((k += x) <= 0) return;
            if ((y -= x * s) >= limit) return;
            x = 0;
        }
        if (x + k > 639 && (k = 639 - x) <= 0) return;
    }
    const uint8_t pair[2] = {variant ? uint8_t(0x88) : uint8_t(0x81), variant ? uint8_t(0x81) : uint8_t(0x88)};
    while (y < 0) {
        --k;
        x += d;
        y += s;
    }
    if (k < 0) return;
    int64_t row = y >> 16;
    auto put = [&](int64_t column, uint8_t value) {
        if (column >= 0 && column < SW_SCREEN_WIDTH) row_at(screen, int32_t(row))[column] = value;
    };
    put(x, pair[(y >> 15) & 1]);
    for (; k > 0; --k) {
        x += d;
        y += s;
        if ((y >> 16) > row) {
            row = y >> 16;
            if (y >= limit) return;
            if (!variant) put(x - d, 0x81);
        }
        put(x, pair[(y >> 15) & 1]);
    }
}

void fill_ring_rows(uint8_t* screen, int32_t band_first, int32_t band_last, int32_t first, int32_t last, uint8_t colour)
{
    fill_ring<false>(screen, band_first, band_last, first, last, colour);
}

void fill_ring_rows_clipped(uint8_t* screen, int32_t band_first, int32_t band_last, int32_t first, int32_t last,
                            uint8_t colour)
{
    fill_ring<true>(screen, band_first, band_last, first, last, colour);
}
