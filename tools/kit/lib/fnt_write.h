// The engine library's own font files: "FNT" and a version byte, a header of
// metrics, a table of 11-byte glyph records sorted by code, then one image
// shape (1 or 4 bits a pixel) holding every glyph.
#pragma once

#include "lib/font_write.h"

#include <cstdint>
#include <vector>

struct KitFntGlyph {
    uint16_t code = 0;
    uint8_t width = 0, height = 0;
    uint16_t image_x = 0, image_y = 0;
    int8_t advance = 0, x_offset = 0, y_offset = 0;
};

struct KitFnt {
    uint8_t version = 'x';
    uint32_t flags = 0; // bit 1 outlined ramp, bit 2 two-tone ramp; bits 16-17 = 2 double-byte codes
    int8_t x_offset = 0, y_offset = 0, ascent = 0, descent = 0;
    std::vector<KitFntGlyph> glyphs; // written in the order given
    uint8_t image_type = 0x79;       // 0x79 1-bit (leftmost in bit 7), 0x7A 4-bit (left in the high nibble)
    uint16_t image_width = 0, image_height = 0;
    std::vector<uint8_t> image;      // rows of (width x bits + 7) / 8 bytes
};

std::vector<uint8_t> kit_fnt(const KitFnt& font);

// The typeface's codes first..last laid side by side in one row of cells
// (a cell is the glyph's width plus one column, times scale), 1-bit or 4-bit;
// a 4-bit font has ink at level 15 and a softer edge (level 5) where paper
// touches ink on two or more sides. Missing codes get no glyph record.
KitFnt kit_build_fnt(const std::vector<KitGlyphBitmap>& glyphs, int first, int last, int bits, uint32_t scale);

// The library's built-in font image: 8 rows of 111 cells of 8 x 8 pixels,
// one bit a pixel, codes 32..142; each glyph of the typeface sits one column
// in from its cell's left edge (127 and above stay blank).
std::vector<uint8_t> kit_builtin_font_image(const std::vector<KitGlyphBitmap>& glyphs);
