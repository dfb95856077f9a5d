#include "window_fixture.h"
#include "cmn/libtest.h"
#include "cmn/memstd.h"
#include "lib/shape_write.h"
#include "win/colour.h"
#include "win/ddraw.h"
#include "win/drawshape.h"
#include "win/palette.h"
#include "win/shapes.h"
#include "win/wind.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

class Draw : public WindowTest {
protected:
    static void clip(WIND* w, int32_t minx, int32_t miny, int32_t maxx, int32_t maxy)
    {
        w->minx = currentwindow.minx = minx;
        w->miny = currentwindow.miny = miny;
        w->maxx = currentwindow.maxx = maxx;
        w->maxy = currentwindow.maxy = maxy;
    }
};

TEST_F(Draw, ClippedAtEveryEdgeLeavingEverythingElse)
{
    Bytes pixels(12);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(0x10 + i);
    Bytes shape = kit_shape_record({0x7B, 4, 3, 0, 0, pixels}, 0);
    const struct {
        int32_t x, y;
    } places[] = {{-2, -2}, {5, -1}, {-1, 3}, {6, 4}, {2, 2}, {-4, 2}, {2, 5}, {7, 1}, {1, 1}};
    for (const auto& p : places) {
        WIND* w = open(8, 8, 6);
        clip(w, 1, 1, 7, 5);
        movdfl(shape.data(), p.x, p.y, &drawmodecopy);
        for (int32_t y = 0; y < 6; ++y)
            for (int32_t x = 0; x < 8; ++x) {
                bool inside = x >= 1 && x < 7 && y >= 1 && y < 5 && x >= p.x && x < p.x + 4 && y >= p.y && y < p.y + 3;
                uint8_t want = inside ? pixels[static_cast<size_t>((y - p.y) * 4 + (x - p.x))] : 0xEE;
                ASSERT_EQ(*pixeladdress(x, y), want) << "shape at " << p.x << "," << p.y << " pixel " << x << "," << y;
            }
    }
    EXPECT_EQ(aborts.count(), 0u);
}

TEST_F(Draw, FourBitRowsStartAtTheirStride)
{
    // 5 pixels wide: rows of 4 bytes (16-bit aligned); two rows clipped off the top.
    Bytes pixels = {0x10, 0x32, 0x54, 0xAA, 0x21, 0x43, 0x65, 0xAA, 0x32, 0x54, 0x76, 0xAA, 0x43, 0x65, 0x87, 0xAA};
    Bytes shape = kit_shape_record({0x40, 5, 4, 0, 0, pixels}, 0);
    WIND* w = open(4, 8, 4, 0x00);
    clip(w, 0, 2, 8, 4);
    movdfl(shape.data(), 0, 0, &drawmodecopy);
    EXPECT_EQ(readpixel(0, 2), 2u);
    EXPECT_EQ(readpixel(3, 3), 6u);
    EXPECT_EQ(readpixel(0, 1), 0u);
    EXPECT_EQ(*pixeladdress(0, 0), 0);
}

TEST_F(Draw, FourBitLeftClipsInsideAByteKeepEveryPixelInPlace)
{
    // Pixels 1..6 across one row (the low nibble first); the clip cuts one,
    // two or three of them off the left.
    Bytes pixels = {0x21, 0x43, 0x65, 0x00};
    Bytes shape = kit_shape_record({0x40, 6, 1, 0, 0, pixels}, 0);
    for (int32_t left : {1, 2, 3}) {
        WIND* w = open(8, 8, 1, 0xEE);
        clip(w, left, 0, 8, 1);
        std::vector<uint32_t> grey(256);
        for (uint32_t i = 0; i < 256; ++i) grey[i] = 0xFF000000u | i * 0x010101u;
        setpalette32(0, 256, grey.data());
        movdfl(shape.data(), 0, 0, &drawmodecopy);
        for (int32_t x = 0; x < 8; ++x) {
            uint32_t want = x < left ? 0xEE : x < 6 ? static_cast<uint32_t>(x + 1) : 0xEE;
            EXPECT_EQ(*pixeladdress(x, 0), want) << "clip " << left << " pixel " << x;
        }
        // Into a 4-bit window the clipped row starts on the window's byte.
        WIND* four = open(4, 8, 1, 0x00);
        clip(four, 2, 0, 4, 1);
        movdfl(shape.data(), 2 - left, 0, &drawmodecopy);
        four->maxx = currentwindow.maxx = 8;
        for (int32_t x = 2; x < 8; ++x)
            EXPECT_EQ(readpixel(x, 0), x < 4 ? static_cast<uint32_t>(x - (2 - left) + 1) : 0u) << "4-bit, clip " << left;
    }
    EXPECT_EQ(aborts.count(), 0u);
}

TEST_F(Draw, PaletteShapesConvertIntoDeeperWindows)
{
    Bytes bank = kit_shape_bank({{"PIC ", {0x7B, 3, 1, 0, 0, {0, 1, 2, 0}}, {{0x24, 3, 0, 0, 0, {0, 0, 0, 0xFF, 0, 0, 0, 0, 0xFF}}}}});
    void* shape = shapepointer(bank.data(), 0);
    open(16, 4, 1);
    movdfl(shape, 0, 0, &drawmodecopy);
    EXPECT_EQ(readpixel(0, 0), 1u); // opaque black stays apart from transparent 0
    EXPECT_EQ(readpixel(1, 0), 0xF800u);
    EXPECT_EQ(readpixel(2, 0), 0x001Fu);
    EXPECT_EQ(readpixel(3, 0), 0xEEEEu);

    open(32, 4, 1);
    fastdrawshape(shape, 1, 0); // the converter writes straight into the window
    EXPECT_EQ(readpixel(2, 0), 0xFFFF0000u);
    EXPECT_EQ(readpixel(0, 0), 0xEEEEEEEEu);
}

TEST_F(Draw, ShapesNeedingSeveralStepsAreConvertedWhole)
{
    Bytes shape = kit_shape_record({0x7D, 2, 1, 0, 0, {0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0xFF}}, 0);
    open(8, 4, 1);
    std::vector<uint32_t> grey(256, 0xFF808080);
    setpalette32(0, 256, grey.data());
    uint32_t red = 0xFFFF0000, blue = 0xFF0000FF;
    setpalette32(3, 1, &red);
    setpalette32(9, 1, &blue);
    uint32_t before = largestfreemem();
    movdfl(shape.data(), 0, 0, &drawmodecopy);
    EXPECT_EQ(readpixel(0, 0), 3u);
    EXPECT_EQ(readpixel(1, 0), 9u);
    EXPECT_EQ(largestfreemem(), before);
}

TEST_F(Draw, WrappersPlaceAndRecordTheShape)
{
    Bytes shape = kit_shape_record({0x7B, 1, 1, 8, 8, {0x42}}, 0);
    WIND* w = open(8, 128, 128, 0);
    drawshapecentred(shape.data(), 100, 100);
    EXPECT_EQ(readpixel(92, 92), 0x42u);
    EXPECT_EQ(shapelastx(shape.data()), 92);
    EXPECT_EQ(shapelasty(shape.data()), 92);
    drawshape(shape.data(), -5, 3);
    EXPECT_EQ(getlittleendian(shape.data() + 12, 4) & 0xFFF, 0xFFBu);
    setshapelast(shape.data(), 7, 9);
    putshapehere(shape.data());
    EXPECT_EQ(readpixel(7, 9), 0x42u);
    setshapelast(shape.data(), 0, 0);
    fastdrawshapecentred(shape.data(), 20, 30);
    EXPECT_EQ(readpixel(12, 22), 0x42u);
    EXPECT_EQ(shapelastx(shape.data()), 0); // the fast forms do not record
    fastputshapehere(shape.data());
    EXPECT_EQ(readpixel(0, 0), 0x42u);
    (void)w;
}

TEST_F(Draw, BadShapesAndWindowsAreReported)
{
    open(8, 4, 1);
    Bytes bad = kit_shape_record({0x50, 1, 1, 0, 0, {1}}, 0);
    movdfl(bad.data(), 0, 0, &drawmodecopy);
    EXPECT_TRUE(aborts.saw("movdfl - INVALID SHAPE TYPE ($50)"));
    Bytes good = kit_shape_record({0x7B, 1, 1, 0, 0, {1}}, 0);
    currentwindow.format = 0;
    movdfl(good.data(), 0, 0, &drawmodecopy);
    EXPECT_TRUE(aborts.saw("movdfl - INVALID TARGET (WINDOW) TYPE 0"));
    EXPECT_EQ(*pixeladdress(0, 0), 0xEE);
}

} // namespace
