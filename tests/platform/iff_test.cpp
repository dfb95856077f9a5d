#include "lib/iff_write.h"
#include "platform/iff.h"
#include "platform/memory.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

std::vector<uint8_t> palette_of(uint32_t colours)
{
    std::vector<uint8_t> p;
    for (uint32_t i = 0; i < colours; ++i)
        p.insert(p.end(), {uint8_t(i * 8), uint8_t(255 - i), uint8_t(i * 3 + 2)});
    return p;
}

struct Loaded {
    std::vector<uint8_t> pixels; // empty when refused
    uint8_t palette[768];
};

Loaded load(const std::vector<uint8_t>& file, uint32_t rounded_width, uint32_t height)
{
    Loaded l;
    std::memset(l.palette, 0xEE, sizeof l.palette);
    uint8_t* block = load_iff_picture(file.data(), static_cast<uint32_t>(file.size()), l.palette);
    if (block) {
        l.pixels.assign(block, block + rounded_width * height);
        free_mem(block);
    }
    return l;
}

TEST(IffPicture, KitPicturesComeBackPixelForPixel)
{
    const struct {
        uint32_t width, height, planes, colours;
    } cases[] = {{320, 4, 5, 32}, {16, 3, 8, 256}, {244, 2, 4, 16}, {1, 1, 1, 2}};
    for (const auto& c : cases) {
        std::vector<uint8_t> pixels(c.width * c.height);
        for (uint32_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<uint8_t>((i * 7 + i / c.width) % c.colours);
        const uint32_t rounded = (c.width + 15) / 16 * 16;
        Loaded l =
            load(kit_ilbm(c.width, c.height, c.planes, palette_of(c.colours), pixels), rounded, c.height);
        ASSERT_FALSE(l.pixels.empty()) << c.width;
        for (uint32_t y = 0; y < c.height; ++y)
            for (uint32_t x = 0; x < rounded; ++x)
                ASSERT_EQ(l.pixels[y * rounded + x], x < c.width ? pixels[y * c.width + x] : 0)
                    << c.width << " at " << x << "," << y;
        std::vector<uint8_t> six_bit = palette_of(c.colours);
        for (uint8_t& v : six_bit)
            v >>= 2;
        EXPECT_EQ(std::vector<uint8_t>(l.palette, l.palette + six_bit.size()), six_bit);
        if (c.colours < 256) {
            EXPECT_EQ(l.palette[c.colours * 3], 0xEE) << "only the map's colours are written";
        }
    }
}

// FORM ILBM by hand: BMHD, CMAP of cmap_size (holding cmap_bytes), BODY bytes.
std::vector<uint8_t> by_hand(uint16_t width, uint16_t height, uint8_t planes, uint32_t cmap_size,
                             uint32_t cmap_bytes, const std::vector<uint8_t>& body)
{
    std::vector<uint8_t> f = {'F', 'O', 'R', 'M', 0,   0,   0, 0, 'I', 'L',
                              'B', 'M', 'B', 'M', 'H', 'D', 0, 0, 0,   20};
    std::vector<uint8_t> bmhd(20, 0);
    bmhd[0] = width >> 8, bmhd[1] = width & 0xFF, bmhd[2] = height >> 8, bmhd[3] = height & 0xFF,
    bmhd[8] = planes;
    f.insert(f.end(), bmhd.begin(), bmhd.end());
    f.insert(f.end(), {'C', 'M', 'A', 'P', uint8_t(cmap_size >> 24), uint8_t(cmap_size >> 16),
                       uint8_t(cmap_size >> 8), uint8_t(cmap_size)});
    f.insert(f.end(), cmap_bytes, 0x40);
    if (cmap_bytes & 1) f.push_back(0);
    f.insert(f.end(), {'B', 'O', 'D', 'Y', 0, 0, 0, uint8_t(body.size())});
    f.insert(f.end(), body.begin(), body.end());
    return f;
}

TEST(IffPicture, HostileFilesAreRefusedOrStayInBounds)
{
    const std::vector<uint8_t> one_row = {1, 0xFF, 0x00}; // 16 pixels, one plane: 8 set, 8 clear
    EXPECT_FALSE(load(by_hand(16, 1, 1, 6, 6, one_row), 16, 1).pixels.empty());
    EXPECT_EQ(load(by_hand(16, 1, 0, 6, 6, {0x80}), 16, 1).pixels, std::vector<uint8_t>(16, 0))
        << "no planes: every pixel colour 0";
    // A 2-byte BODY makes at most 256 bytes: 128 rows of 2 bytes, not 129.
    EXPECT_EQ(load(by_hand(16, 128, 1, 6, 6, {0x81, 0xFF}), 16, 128).pixels.size(), 16u * 128);

    std::vector<uint8_t> no_body = by_hand(16, 1, 1, 6, 6, {});
    no_body.resize(no_body.size() - 8);
    const struct {
        const char* why;
        std::vector<uint8_t> file;
    } refused[] = {
        {"colour map over 768 bytes", by_hand(16, 1, 1, 771, 771, one_row)},
        {"colour map past the file", by_hand(16, 1, 1, 0x10000, 6, one_row)},
        {"no body", no_body},
        {"no header", std::vector<uint8_t>(64, 'x')},
        {"nine planes", by_hand(16, 1, 9, 6, 6, one_row)},
        {"no pixels", by_hand(0, 1, 1, 6, 6, one_row)},
        {"more rows than the body makes", by_hand(16, 129, 1, 6, 6, {0x81, 0xFF})},
        {"65535 x 65535 from a few bytes", by_hand(65535, 65535, 4, 6, 6, one_row)},
        {"no planes, no body", by_hand(16, 1, 0, 6, 6, {})},
    };
    for (const auto& r : refused)
        EXPECT_TRUE(load(r.file, 16, 1).pixels.empty()) << r.why;

    // A body that stops early leaves the rest clear; a run past the last row
    // writes nothing beyond the block (the sanitizer watches).
    Loaded cut = load(by_hand(32, 2, 2, 6, 6, {0x01, 0xFF}), 32, 2);
    ASSERT_EQ(cut.pixels.size(), 64u);
    EXPECT_EQ(cut.pixels[0], 1);
    EXPECT_EQ(cut.pixels[8], 0);
    Loaded overrun = load(by_hand(16, 1, 1, 6, 6, {0x81, 0xFF}), 16, 1); // 128 bytes of 0xFF for a 2-byte row
    ASSERT_EQ(overrun.pixels.size(), 16u);
    EXPECT_EQ(overrun.pixels[15], 1);
    Loaded dangling = load(by_hand(16, 1, 1, 6, 6, {0x05, 0xFF}), 16, 1); // a literal run the file cuts short
    EXPECT_EQ(dangling.pixels[0], 1);
}

} // namespace
