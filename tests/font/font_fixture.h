// Fonts for the text tests: small fonts made with the data kit's writer, and
// a window fixture that also frees the text state and the font renderer's
// tables before the memory goes.
#pragma once

#include "font/fontobj.h"
#include "font/text.h"
#include "lib/fnt_write.h"
#include "win/window_fixture.h"

#include <vector>

// A glyph of a test font: code, width, height, image x, advance, x and y offsets.
struct TestGlyph {
    uint16_t code;
    uint8_t width, height;
    uint16_t imagex;
    int8_t advance, xoffset, yoffset;
};

// A font whose image is `bits` deep, width x height, every pixel at `level`
// (1-bit: set) unless a pattern is given (levels 0..15, one a pixel).
inline std::vector<uint8_t> test_font(const std::vector<TestGlyph>& glyphs, int bits, uint16_t width, uint16_t height,
                                      std::vector<uint8_t> levels = {}, int8_t ascent = 8, int8_t descent = 2,
                                      int8_t xoffset = 0, int8_t yoffset = 0, uint32_t flags = 0)
{
    KitFnt f;
    f.flags = flags;
    f.ascent = ascent, f.descent = descent, f.x_offset = xoffset, f.y_offset = yoffset;
    for (const TestGlyph& g : glyphs) {
        KitFntGlyph r;
        r.code = g.code, r.width = g.width, r.height = g.height, r.image_x = g.imagex;
        r.advance = g.advance, r.x_offset = g.xoffset, r.y_offset = g.yoffset;
        f.glyphs.push_back(r);
    }
    f.image_type = bits == 1 ? 0x79 : 0x7A;
    f.image_width = width, f.image_height = height;
    if (levels.empty()) levels.assign(size_t(width) * height, 15);
    const uint32_t rowbytes = (uint32_t(width) * bits + 7) / 8;
    f.image.assign(size_t(rowbytes) * height, 0);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t v = levels[y * width + x];
            if (!v) continue;
            uint8_t& b = f.image[y * rowbytes + (bits == 1 ? x / 8 : x / 2)];
            if (bits == 1) b |= uint8_t(0x80 >> (x % 8));
            else b |= uint8_t(x % 2 ? v : v << 4);
        }
    return kit_fnt(f);
}

class FontTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        libtext = TextState{};
        setfontrenderer(nullptr);
        FONT_reset();
    }
    void TearDown() override
    {
        fontdrawfree();
        libtext = TextState{};
        setfontrenderer(nullptr);
        FONT_cachefree();
        FONT_reset();
        WindowTest::TearDown();
    }
};
