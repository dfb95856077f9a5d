// Shade tables: every palette colour mapped to the nearest colour of a tinted
// copy, and the shaded, bevelled panels drawn with them on the 8-bit screen.
#include "screen/screen.h"

uint32_t square_table[256];

namespace {

struct SquareTableInit {
    SquareTableInit()
    {
        for (uint32_t d = 0; d < 256; ++d) square_table[d] = d * d;
    }
} square_table_init;

// The colour bytes of the five tables of a panel set, from the tint's.
uint32_t edge_colour(int32_t table, uint32_t v)
{
    switch (table) {
    case 1: return v * 2 > 255 ? 255 : v * 2;
    case 2: return v >> 1;
    case 3: {
        uint32_t w = ((v >> 1) >> 1) + (v >> 1);
        return w > 255 ? 255 : w;
    }
    case 4: return v - (v >> 2);
    default: return v;
    }
}

} // namespace

uint8_t nearest_palette_colour(const uint8_t* target, const uint8_t* palette)
{
    uint32_t best = 0, best_distance = 0xFFFFFFFF;
    for (uint32_t i = 0; i < 256; ++i) {
        const uint8_t* e = palette + 3 * i;
        // Differences wrap in 8 bits: one below counts as 255.
        uint32_t distance = square_table[(target[0] - e[0]) & 255] + square_table[(target[1] - e[1]) & 255] +
                            square_table[(target[2] - e[2]) & 255];
        if (distance < best_distance) best = i, best_distance = distance;
    }
    return static_cast<uint8_t>(best);
}

void build_shade_table(const uint8_t* palette, uint8_t* table, uint32_t tint)
{
    const uint32_t w = tint & 255;
    const uint32_t colour[3] = {tint >> 24, (tint >> 16) & 255, (tint >> 8) & 255};
    for (uint32_t i = 0; i < 256; ++i) {
        uint8_t target[3];
        for (int k = 0; k < 3; ++k)
            target[k] = static_cast<uint8_t>(((colour[k] * w) >> 8) + ((palette[3 * i + k] * ((256 - w) & 255)) >> 8));
        table[i] = nearest_palette_colour(target, palette);
    }
}

void build_shade_tables(const uint8_t* palette, uint8_t* tables, uint32_t tint)
{
    for (int32_t t = 0; t < 5; ++t) {
        uint32_t edge = tint & 255;
        for (int shift = 8; shift < 32; shift += 8) edge |= edge_colour(t, (tint >> shift) & 255) << shift;
        build_shade_table(palette, tables + 256 * t, edge);
    }
}

void remap_screen_rect(int32_t x, const uint8_t* table, uint8_t* screen_base, int32_t y, int32_t width,
                       int32_t height)
{
    int64_t x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
    int64_t x1 = int64_t{x} + width, y1 = int64_t{y} + height;
    if (x1 > screen.width) x1 = screen.width;
    if (y1 > screen.height) y1 = screen.height;
    for (int64_t row = y0; row < y1; ++row) {
        uint8_t* p = screen_base + row * screen.width;
        for (int64_t col = x0; col < x1; ++col) p[col] = table[p[col]];
    }
}

void draw_bevel_panel(int32_t x, const uint8_t* tables, uint8_t* screen_base, int32_t y, int32_t width,
                      int32_t height, int32_t bevel)
{
    remap_screen_rect(x, tables, screen_base, y, width, height);
    // Each ring lies one pixel further out; the four edges meet as a pinwheel.
    for (int32_t r = 0; r < bevel; ++r) {
        remap_screen_rect(x - 1 - r, tables + 256, screen_base, y - 1 - r, width + 1 + 2 * r, 1);
        remap_screen_rect(x - r, tables + 512, screen_base, y + height + r, width + 1 + 2 * r, 1);
        remap_screen_rect(x - 1 - r, tables + 768, screen_base, y - r, 1, height + 1 + 2 * r);
        remap_screen_rect(x + width + r, tables + 1024, screen_base, y - 1 - r, 1, height + 1 + 2 * r);
    }
}
