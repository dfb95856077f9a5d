#include "window_fixture.h"
#include "cmn/libtest.h"
#include "cmn/memstd.h"
#include "win/colour.h"
#include "win/ddraw.h"
#include "win/palette.h"
#include "win/pixels.h"
#include "win/wind.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

class Colour : public WindowTest {
protected:
    Bytes pixels(WIND* w) const
    {
        const uint8_t* p = windowshape(w) + 16;
        return Bytes(p, p + w->rowbytes * w->height);
    }
};

TEST_F(Colour, PixelValuesToArgbByDepth)
{
    const struct {
        int32_t bpp;
        uint32_t pixel, argb;
    } cases[] = {
        {16, 0, 0},           {16, 1, 0xFF000008},  {16, 0xF800, 0xFFF80000}, {16, 0x07E0, 0xFF00FC00},
        {15, 0x7FFF, 0x00F8F8F8}, {15, 0xFC00, 0xFFF80000}, {15, 0x83E0, 0xFF00F800},
        {24, 0x123456, 0x123456}, {32, 0x80FF0001, 0x80FF0001},
    };
    for (const auto& c : cases) {
        open(c.bpp);
        EXPECT_EQ(getargb(c.pixel), c.argb) << c.bpp << " " << std::hex << c.pixel;
    }
    EXPECT_EQ(aborts.count(), 0u);

    open(8);
    uint32_t entry[1] = {0x40112233};
    setpalette32(7, 1, entry);
    EXPECT_EQ(getargb(7), 0x40112233u);
    EXPECT_EQ(getargb(256), 0u);
    EXPECT_TRUE(aborts.saw("getargb - INVALID COLOUR INDEX.\nCURRENT WINDOW BPP 8. REQUESTED ARGB FOR COLOUR INDEX 256 ($100)"));
    open(16);
    getargb(0x10000);
    EXPECT_TRUE(aborts.saw("getargb - INVALID 16 BIT COLOUR."));
    open(15);
    getargb(0x10000);
    EXPECT_TRUE(aborts.saw("getargb - INVALID 15 BIT COLOUR."));
}

TEST_F(Colour, PackingRoundTripsEveryPixelValue)
{
    open(16);
    for (uint32_t v = 1; v < 0x10000; ++v) ASSERT_EQ(argbto16(getargb(v)), v) << v;
    open(15);
    for (uint32_t v = 0x8000; v < 0x10000; ++v) ASSERT_EQ(argbto15(getargb(v)), v) << v;
    EXPECT_EQ(argbto15(0), 0);
    EXPECT_EQ(argbto15(0xFF000000), 0x8000);
    EXPECT_EQ(argbto16(0xFF000000), 0);
    EXPECT_EQ(argbto16(0x00FFFFFF), 0xFFFF);
    EXPECT_EQ(argbswap(0x11223344), 0x11443322u);
}

TEST_F(Colour, ReadAndWriteOnePixelInsideTheClipRectangle)
{
    const struct {
        int32_t bpp;
        uint32_t value;
        Bytes bytes; // the pixel at (2, 1) after the write
    } cases[] = {{8, 0xA7, {0xA7}},
                 {15, 0x8123, {0x23, 0x81}},
                 {16, 0xBEEF, {0xEF, 0xBE}},
                 {24, 0xABCDEF, {0xEF, 0xCD, 0xAB}},
                 {32, 0x11223344, {0x44, 0x33, 0x22, 0x11}}};
    for (const auto& c : cases) {
        WIND* w = open(c.bpp);
        w->minx = currentwindow.minx = 1;
        w->maxx = currentwindow.maxx = 3;
        Bytes before = pixels(w);
        writepixel(0, 1, c.value);
        writepixel(3, 1, c.value);
        writepixel(2, -1, c.value);
        EXPECT_EQ(pixels(w), before) << c.bpp;
        writepixel(2, 1, c.value);
        EXPECT_EQ(Bytes(pixeladdress(2, 1), pixeladdress(2, 1) + c.bytes.size()), c.bytes) << c.bpp;
        EXPECT_EQ(readpixel(2, 1), c.value) << c.bpp;
        EXPECT_EQ(readpixel(3, 1), 0u) << c.bpp; // the right edge is outside
        Bytes after = pixels(w);
        size_t at = static_cast<size_t>(w->rowbytes) + 2 * c.bytes.size();
        for (size_t i = 0; i < c.bytes.size(); ++i) after[at + i] = before[at + i] = 0;
        EXPECT_EQ(after, before) << c.bpp;
    }
    EXPECT_EQ(aborts.count(), 0u);
}

TEST_F(Colour, FourBitPixelsShareBytes)
{
    WIND* w = open(4, 8, 2, 0x00);
    writepixel(3, 1, 5);
    writepixel(2, 1, 0x1C); // only the low nibble is kept
    EXPECT_EQ(*pixeladdress(2, 1), 0x5C);
    EXPECT_EQ(readpixel(3, 1), 5u);
    EXPECT_EQ(readpixel(2, 1), 0xCu);
    Bytes row1(windowshape(w) + 16 + w->rowbytes, windowshape(w) + 16 + 2 * w->rowbytes);
    EXPECT_EQ(row1[1], 0x5C);
}

TEST_F(Colour, PlottingBlendsPremultipliedColours)
{
    open(32, 4, 1, 0xFF);
    plotpixel(0, 0, 0x00FF0000);
    EXPECT_EQ(readpixel(0, 0), 0xFFFFFFFFu);
    plotpixel(0, 0, 0x80800000);
    EXPECT_EQ(readpixel(0, 0), 0xFFFF8080u); // red held at 0xFF, 127.5 rounds up
    plotpixel(1, 0, 0xFF102030);
    EXPECT_EQ(readpixel(1, 0), 0xFF102030u);
    plotpixel(4, 0, 0xFF102030); // outside: nothing, no fault
    plotpixel2(2, 0, 0x40000000);
    EXPECT_EQ(readpixel2(2, 0), 0xFFBFBFBFu);

    open(32, 1, 1, 0x00); // over transparent black: alpha grows
    plotpixel(0, 0, 0x80400000);
    EXPECT_EQ(readpixel(0, 0), 0x80400000u);

    open(16, 2, 1, 0xFF);
    plotpixel(0, 0, 0x0FFFFFFF); // alpha below 0x10 leaves the pixel
    EXPECT_EQ(readpixel(0, 0), 0xFFFFu);
    plotpixel(0, 0, 0x80400000);
    EXPECT_EQ(readpixel(0, 0), 0xBBEFu);
    plotpixel(1, 0, 0xFC102030);
    EXPECT_EQ(readpixel(1, 0), argbto16(0x102030));
    EXPECT_EQ(blend15(0x80400000, 0xFFFF), 0x8000 | 23 << 10 | 15 << 5 | 15);
    EXPECT_EQ(blend16a(0x80000000 | 0xF800, 0x001F), (0x80 * 31 / 255) << 11 | (127 * 31 / 255));
}

TEST_F(Colour, ABadWindowDepthIsReported)
{
    WIND* w = open(8);
    currentwindow.bpp = 12;
    EXPECT_EQ(readpixel(0, 0), 0u);
    EXPECT_TRUE(aborts.saw("readpixel - INVALID CURRENTWINDOW. BPP 12"));
    writepixel(0, 0, 1);
    EXPECT_TRUE(aborts.saw("writepixel - INVALID CURRENTWINDOW. BPP 12"));
    currentwindow.bpp = 8;
    EXPECT_EQ(pixels(w), Bytes(pixels(w).size(), 0xEE));
}

} // namespace
