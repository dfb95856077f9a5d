// Fonts and sprite sets: the hardware font metrics file with its glyph
// pages, the three software font files, software sprites, and sprite set
// headers with their companion files.
#pragma once

#include "lib/image_write.h"

#include <cstdint>
#include <string>
#include <vector>

// One glyph drawn as ink (1) on paper (0), rows from the top.
struct KitGlyphBitmap {
    int code = 0;
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> ink;
};
// The glyph source: one glyph a line, the character then its rows separated
// by blanks, '#' for ink and '.' for paper ("A .###. #...# ..."); lines
// starting "//" are comments. Every row of a glyph has the same width.
bool kit_parse_glyphs(const std::string& source, std::vector<KitGlyphBitmap>& glyphs, std::string& error);

struct KitHwGlyph {
    float u_left = 0, u_right = 0, v_top = 0, v_bottom = 0;
    uint8_t page = 0, width = 0, height = 0, advance = 0;
    int8_t x_offset = 0, y_offset = 0;
};
struct KitHwFont {
    uint32_t page_count = 0, line_height = 0, space_width = 0, first = 0;
    std::vector<KitHwGlyph> glyphs; // glyph n is the character first + n
};
std::vector<uint8_t> kit_lkf(const KitHwFont& font);

// The glyphs of codes first .. last (missing codes get empty glyphs), each
// pixel scaled up `scale` times, laid out on square pages of page_size
// pixels: white ink, transparent paper, 32-bit.
struct KitHwFontBuild {
    KitHwFont metrics;
    std::vector<KitPicture> pages;
};
KitHwFontBuild kit_build_hw_font(const std::vector<KitGlyphBitmap>& glyphs, int first, int last, uint32_t scale,
                                 uint32_t page_size, uint32_t line_height, uint32_t space_width);

// A software sprite: pixels are palette indices, -1 transparent.
std::vector<uint8_t> kit_sw_sprite(uint32_t width, uint32_t height, int32_t x_offset, int32_t y_offset,
                                   const std::vector<int16_t>& pixels, bool long_header = false);

// The software font files: glyph images (".SPR"), offsets from code 33
// (".DWD") and widths (".WTH": height, line spacing, fixed width, then one
// width a character from code 32).
struct KitSwFont {
    std::vector<uint8_t> images, offsets, widths;
};
KitSwFont kit_build_sw_font(const std::vector<KitGlyphBitmap>& glyphs, uint32_t scale, uint8_t ink, uint8_t height,
                            uint8_t spacing, uint8_t fixed_width, uint8_t space_width);

struct KitSpriteFrame {
    float u_left = 0, u_right = 0, v_top = 0, v_bottom = 0;
    uint8_t page = 0;
    uint16_t width = 0, height = 0;
    int16_t x_offset = 0, y_offset = 0;
};
// Sprite frames packed in rows onto square pages, a pixel apart, a new page
// when one is full. `place` finds a frame of w x h its place (at_x, at_y) on
// page `pages - 1` and fills its record's page, corners and size; it refuses
// a frame larger than a page, or one that would need more than `max_pages`.
struct KitSpritePacker {
    uint32_t page_size = 0, max_pages = 1;
    uint32_t pages = 1, x = 0, y = 0, row = 0;
    bool place(uint32_t w, uint32_t h, uint32_t& at_x, uint32_t& at_y, KitSpriteFrame& frame);
};
// ".sph": the frame count, then 25 bytes a frame.
std::vector<uint8_t> kit_sph(const std::vector<KitSpriteFrame>& frames);
// The companion: one 32-bit byte offset into the frame records a word, then
// the caller's own data.
std::vector<uint8_t> kit_sprite_companion(const std::vector<uint32_t>& offsets, const std::vector<uint8_t>& data = {});
