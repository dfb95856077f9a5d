#include "cmn/libtest.h"
#include "cmn/memstd.h"
#include "lib/shape_write.h"
#include "win/colour.h"
#include "win/convshp.h"
#include "win/palette.h"
#include "win/shapes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes le(uint32_t v, int n)
{
    Bytes b;
    for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return b;
}

// One shape with its palette record chained behind it.
Bytes withclut(KitShapeRecord image, KitShapeRecord clut)
{
    Bytes bank = kit_shape_bank({{"S   ", image, {clut}}});
    return Bytes(bank.begin() + 24, bank.end());
}

class Convert : public ::testing::Test {
protected:
    void SetUp() override
    {
        initmemsize(1 << 20);
        for (uint32_t i = 0; i < 256; ++i) libpalette[i] = 0xFF000000u | i << 16 | (255 - i) << 8 | (i * 7 & 255);
        convtables.transparent16 = 0;
    }
    void TearDown() override { releasemem(); }
    AbortCatcher aborts;
};

TEST_F(Convert, WithoutAPaletteEveryFormIsTheCurrentPalette)
{
    Bytes shape = kit_shape_record({0x7B, 1, 1, 0, 0, {0}}, 0);
    uint32_t buffer[256];
    uint16_t buffer16[256];
    EXPECT_EQ(getclutptr(shape.data(), buffer), libpalette);
    const uint16_t* p16 = getclut16ptr(shape.data(), buffer16);
    const uint32_t* p16a = getclut16aptr(shape.data(), buffer);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(p16[i], argbto16(libpalette[i]) ? argbto16(libpalette[i]) : 1) << i;
        EXPECT_EQ(p16a[i], 0xFF000000u | argbto16(libpalette[i])) << i;
    }
}

TEST_F(Convert, PaletteRecordsOfEveryType)
{
    const struct {
        uint8_t type;
        Bytes entry;
        uint32_t argb;    // getclutptr
        uint16_t word16;  // getclut16ptr
    } cases[] = {
        {0x24, {0xFF, 0x80, 0x08}, 0xFFFF8008, 0xFC01},
        {0x22, {63, 32, 0}, 0xFFFF8200, 0xFC00 | (0x82 >> 2) << 5},
        {0x2A, le(0x80102030, 4), 0x80102030, argbto16(0x102030)},
        {0x2A, le(0x30FFFFFF, 4), 0x30FFFFFF, 0},                       // faint: transparent in 16 bits
        {0x2A, le(0xFF000000, 4), 0xFF000000, 1},                       // opaque black kept apart from 0
        {0x29, le(0xF81F, 2), 0xFFF800F8, 0xF81F},
        {0x29, le(0x0000, 2), 0x00000000, 0x0000},                      // the colour key
        {0x2D, le(0x7C1F, 2), 0xFFF800F8, 0xF81F},
        {0x2C, le(0x4000F81F, 4), 0x40F800F8, 0xF81F},
        {0x2E, le(0x40007C00, 4), 0x40F80000, 0xF800},
        {0x23, le(0x001F, 2), 0xFFF80000, 0xF800},                      // blue-high: red and blue change places
    };
    for (const auto& c : cases) {
        Bytes shape = withclut({0x7B, 1, 1, 0, 0, {0, 0, 0, 0}}, {c.type, 1, 0, 0, 0, c.entry});
        uint32_t buffer[256];
        uint16_t buffer16[256];
        std::fill(std::begin(buffer), std::end(buffer), 0xAAAAAAAAu);
        const uint32_t* argb = getclutptr(shape.data(), buffer);
        EXPECT_EQ(argb[0], c.argb) << std::hex << int(c.type);
        if (c.type != 0x2A) {
            EXPECT_EQ(buffer[1], 0xAAAAAAAAu) << std::hex << int(c.type); // only the record's entries
            EXPECT_EQ(buffer[255], 0u);
        }
        EXPECT_EQ(getclut16ptr(shape.data(), buffer16)[0], c.word16) << std::hex << int(c.type);
        if (c.type != 0x2C) {
            EXPECT_EQ(getclut16aptr(shape.data(), buffer)[0], (c.argb & 0xFF000000u) | argbto16(c.argb)) << std::hex << int(c.type);
        }
    }
    EXPECT_EQ(aborts.count(), 0u);

    // A count past 256 is held to 256.
    Bytes big = withclut({0x7B, 1, 1, 0, 0, {0, 0, 0, 0}}, {0x24, 1000, 0, 0, 0, Bytes(3 * 256, 7)});
    uint32_t buffer[256];
    EXPECT_EQ(getclutptr(big.data(), buffer)[254], 0xFF070707u);
}

TEST_F(Convert, TripletConverters)
{
    Bytes six = {0, 32, 63}, eight(3), back(3);
    clut6to8(1, six.data(), eight.data());
    EXPECT_EQ(eight, (Bytes{0, 130, 255}));
    clut8to6(1, eight.data(), back.data());
    EXPECT_EQ(back, six);
    Bytes rgb(3 * 256, 0x10);
    uint32_t argb[256];
    clut8toargb(256, rgb.data(), argb);
    EXPECT_EQ(argb[0], 0xFF101010u);
    EXPECT_EQ(argb[254], 0xFF101010u);
    EXPECT_EQ(argb[255], 0x00101010u);
    Bytes out(3 * 256);
    argbtorgb8(256, argb, out.data());
    EXPECT_EQ(out, rgb);
    argbtoclut6(1, argb, out.data());
    EXPECT_EQ(out[0], (0x10 * 63 + 128) / 255);
}

// A 2 x 1 shape converted whole, checked pixel by pixel.
TEST_F(Convert, EachStepConvertsEveryPixel)
{
    const struct {
        uint8_t from;
        Bytes pixels;
        uint8_t to;
        Bytes want;
    } cases[] = {
        {0x78, {0x1F, 0xF8, 0x00, 0x00}, 0x7D, {0xF8, 0, 0xF8, 0xFF, 0, 0, 0, 0}},        // 0 is transparent
        {0x7D, {0x80, 0x40, 0xF8, 0x3F, 0, 0, 0, 0xFF}, 0x78, {0, 0, 0x01, 0}},            // alpha < 0x40: 0; black: 1
        {0x7D, {0x08, 0x00, 0xF8, 0xFF, 1, 2, 3, 4}, 0x7F, {0x08, 0, 0xF8, 1, 2, 3}},
        {0x7F, {1, 2, 3, 4, 5, 6}, 0x7D, {1, 2, 3, 0xFF, 4, 5, 6, 0xFF}},
        {0x7E, {0x1F, 0x80, 0x00, 0xFC}, 0x42, {0x00, 0xFC, 0x1F, 0x80}},
        {0x42, {0x00, 0xFC, 0x1F, 0x80}, 0x7E, {0x1F, 0x80, 0x00, 0xFC}},
        {0x7E, {0x1F, 0x80, 0xE0, 0x83}, 0x78, {0x1F, 0x00, 0xC0, 0x07}},
        {0x7D, {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x10}, 0x6D, {0x00, 0xFF, 0xFF, 0x1F}},
        {0x6D, {0x00, 0xFF, 0x21, 0x43}, 0x7D, {0, 0, 0xFF, 0xFF, 0x11, 0x22, 0x33, 0x44}},
    };
    for (const auto& c : cases) {
        Bytes shape = kit_shape_record({c.from, 2, 1, 0, 0, c.pixels}, 0);
        auto* out = static_cast<uint8_t*>(convertshape(shape.data(), c.to));
        ASSERT_NE(out, nullptr) << std::hex << int(c.from) << "->" << int(c.to);
        EXPECT_EQ(out[0], c.to);
        EXPECT_EQ(Bytes(out + 16, out + 16 + c.want.size()), c.want) << std::hex << int(c.from) << "->" << int(c.to);
        memfree(out);
    }
    EXPECT_EQ(aborts.count(), 0u);
}

TEST_F(Convert, PaletteShapesGoThroughTheirLookupTable)
{
    Bytes shape = withclut({0x7B, 3, 1, 0, 0, {0, 1, 2, 0}}, {0x24, 3, 0, 0, 0, {0, 0, 0, 0xFF, 0, 0, 0, 0, 0xFF}});
    ASSERT_NE(getrowconverter(shape.data(), 0x78, 1), nullptr);
    auto* out = static_cast<uint8_t*>(convertshape(shape.data(), 0x78));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(Bytes(out + 16, out + 22), (Bytes{0x01, 0x00, 0x00, 0xF8, 0x1F, 0x00}));
    EXPECT_EQ(shapenext(out), 0); // records are not carried over
    memfree(out);

    // Through the remap table into the current palette.
    uint8_t remap[256];
    for (int i = 0; i < 256; ++i) remap[i] = static_cast<uint8_t>(255 - i);
    setclutremap(remap);
    out = static_cast<uint8_t*>(convertshapetype(shape.data(), 0x7D, 1, 1));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(getlittleendian(out + 20, 4), libpalette[254]);
    memfree(out);
}

TEST_F(Convert, MultiStepConversionsKeepOnlyTheResult)
{
    Bytes shape = kit_shape_record({0x7D, 2, 2, 5, 6, Bytes(16, 0)}, 0);
    setshapelast(shape.data(), -5, 9);
    uint32_t before = largestfreemem();
    EXPECT_EQ(getrowconverter(shape.data(), 0x7A, 1), nullptr);
    auto* out = static_cast<uint8_t*>(convertshape(shape.data(), 0x7A));
    ASSERT_NE(out, nullptr);
    EXPECT_STREQ(memblockname(out), "8to4");
    EXPECT_EQ(shapehotx(out), 5);
    EXPECT_EQ(shapelastx(out), -5);
    EXPECT_EQ(shapelasty(out), 9);
    memfree(out);
    EXPECT_EQ(largestfreemem(), before);

    const struct {
        uint8_t want, get;
    } unreachable[] = {{0x40, 0x7A}, {0x43, 0x7F}, {0x41, 0x7B}};
    Bytes small = kit_shape_record({0x78, 1, 1, 0, 0, {0x1F, 0}}, 0);
    for (const auto& u : unreachable) {
        out = static_cast<uint8_t*>(convertshape(small.data(), u.want));
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(out[0], u.get);
        memfree(out);
    }
    EXPECT_EQ(largestfreemem(), before);

    Bytes onebit = kit_shape_record({0x79, 8, 1, 0, 0, {0xFF}}, 0);
    EXPECT_EQ(convertshape(onebit.data(), 0x78), nullptr);
    EXPECT_TRUE(aborts.saw("convertshapedepth - INVALID SOURCE SHAPE TYPE ($79)"));
    EXPECT_EQ(convertshape(small.data(), 0x79), nullptr);
    EXPECT_TRUE(aborts.saw("convertshapedepth - INVALID DESTINATION SHAPE TYPE SPECIFIED ($79)"));
    EXPECT_EQ(largestfreemem(), before);
}

TEST(BlockMove, EveryOverlap)
{
    for (int shift : {-5, -1, 0, 1, 5, 40}) {
        Bytes buffer(80);
        for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<uint8_t>(i);
        Bytes want = buffer;
        std::memmove(want.data() + 10 + shift, want.data() + 10, 20);
        blockmove(buffer.data() + 10, buffer.data() + 10 + shift, 20);
        EXPECT_EQ(buffer, want) << shift;
    }
}

} // namespace
