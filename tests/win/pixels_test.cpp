#include "cmn/memstd.h"
#include "win/ddraw.h"
#include "win/palette.h"
#include "win/pixels.h"
#include "win/wind.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(CopyKernels, EveryKernelCopiesEveryAlignmentAndLengthExactly)
{
    using Kernel = void (*)(void*, const void*, uint32_t);
    const Kernel kernels[] = {copykernel1, copykernel2, copykernel3, copykernel4};
    Bytes source(512 + 16);
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 37 + 11);
    // Signalling-NaN patterns must pass through the floating-point kernel untouched.
    const uint64_t snan = 0x7FF0000000000001ull, snan2 = 0xFFF4000000000000ull;
    std::memcpy(source.data() + 8, &snan, 8);
    std::memcpy(source.data() + 16, &snan2, 8);
    for (Kernel kernel : kernels)
        for (uint32_t at : {0u, 1u, 3u, 4u, 7u})
            for (uint32_t from : {0u, 5u, 8u})
                for (uint32_t n : {0u, 1u, 5u, 7u, 8u, 31u, 33u, 127u, 128u, 129u, 300u}) {
                    Bytes dest(512 + 16, 0xEE);
                    kernel(dest.data() + at, source.data() + from, n);
                    EXPECT_EQ(std::memcmp(dest.data() + at, source.data() + from, n), 0) << at << " " << from << " " << n;
                    EXPECT_EQ(dest[at + n], 0xEE) << "wrote past the end";
                    if (at) {
                        EXPECT_EQ(dest[at - 1], 0xEE) << "wrote before the start";
                    }
                }
    // copymem takes (source, destination), the kernels the other way round.
    Bytes a = {1, 2, 3}, b(3);
    copymem1(a.data(), b.data(), 3);
    copymem4(a.data(), b.data(), 3);
    EXPECT_EQ(b, a);
}

TEST(ByteOrder, ReadsAndWritesOnlyTheBytesAsked)
{
    Bytes four = {1, 2, 3, 4};
    EXPECT_EQ(getlittleendian(four.data(), 3), 0x030201u);
    EXPECT_EQ(getbigendian(four.data(), 3), 0x010203u);
    EXPECT_EQ(getlittleendian(four.data(), 0), 0u);
    // Two bytes at the very end of a block are read without touching the next.
    Bytes two = {0x34, 0x12};
    EXPECT_EQ(getlittleendian(two.data(), 2), 0x1234u);
    Bytes out(4, 0xAA);
    putbigendian(out.data(), 0x112233, 3);
    EXPECT_EQ(out, (Bytes{0x11, 0x22, 0x33, 0xAA}));
    putlittleendian(out.data(), 0x112233, 2);
    EXPECT_EQ(out, (Bytes{0x33, 0x22, 0x33, 0xAA}));
}

struct ConverterCase {
    const char* name;
    RowConverter convert;
    Bytes in;
    uint32_t count;
    Bytes out; // the destination's expected bytes (it starts as 0xAA)
};

Bytes le16(std::initializer_list<uint16_t> v)
{
    Bytes b;
    for (uint16_t x : v) b.insert(b.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(x >> 8)});
    return b;
}

Bytes le32(std::initializer_list<uint32_t> v)
{
    Bytes b;
    for (uint32_t x : v)
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(x >> (8 * i)));
    return b;
}

TEST(RowConverters, PixelsBetweenFormats)
{
    convtables = ConvertTables{};
    convtables.transparent16 = 0x1234;
    convtables.clut16[5] = 0xBEEF;
    convtables.clut16[6] = 0x0F0F;
    static uint32_t clut[256];
    clut[5] = 0xFF102030;
    convtables.clut32 = clut;
    const ConverterCase cases[] = {
        {"32 to 16 keyed: opaque black is 1, faint is 0", conv32to16key, le32({0xFF000000, 0x3FFFFFFF, 0x40FFFFFF}), 3,
         le16({1, 0, 0xFFFF})},
        {"32 to 16 plain packs black to 0", conv32to16, le32({0xFF000000, 0x00F80000}), 2, le16({0, 0xF800})},
        {"32 to 15 keyed", conv32to15key, le32({0x3F00FF00, 0xFF0000F8}), 2, le16({0, 0x801F})},
        {"32 to 16 low half", conv32to16low, le32({0x12345678}), 1, le16({0x5678})},
        {"15 to 4444", conv15to4444, le16({0x7FFF, 0x1234, 0x0000}), 3, le16({0xFFFF, 0, 0xF000})},
        {"4444 to 32 repeats each nibble", conv4444to32, le16({0xF8A0}), 1, le32({0xFF88AA00})},
        {"32 to 4444", conv32to4444, le32({0xF0E0D0C0}), 1, le16({0xFEDC})},
        {"16 to 32", conv16to32, le16({0xF800, 0x1234, 0x07E0}), 3, le32({0xFFF80000, 0, 0xFF00FC00})},
        {"15 to 32", conv15to32, le16({0x7C00, 0x001F}), 2, le32({0xFFF80000, 0xFF0000F8})},
        {"15 to 16 moves green up", conv15to16, le16({0x7FFF, 0x03E0}), 2, le16({0xFFDF, 0x07C0})},
        {"16 to 15 drops green's low bit", conv16to15, le16({0xFFFF, 0x0020}), 2, le16({0x7FFF, 0x0000})},
        {"15 to 15 swaps red and blue", conv15to15, le16({0x7C00, 0x801F}), 2, le16({0x001F, 0xFC00})},
        {"8 to 4 keeps the other nibble", conv8to4, Bytes{0x0A, 0x0B, 0x1C}, 3, Bytes{0xBA, 0xAC}},
        {"4 to 8", conv4to8, Bytes{0x21, 0x03}, 3, Bytes{1, 2, 3}},
        {"8 to 16 through the table", conv8to16, Bytes{5, 6}, 2, le16({0xBEEF, 0x0F0F})},
        {"4 to 16 through the table", conv4to16, Bytes{0x65}, 2, le16({0xBEEF, 0x0F0F})},
        {"8 to 24", conv8to24, Bytes{5}, 1, Bytes{0x30, 0x20, 0x10}},
        {"8 to 32", conv8to32, Bytes{5}, 1, le32({0xFF102030})},
        {"16 to 24", conv16to24, le16({0xF81F}), 1, Bytes{0xF8, 0x00, 0xF8}},
        {"32 to 24 drops alpha", conv32to24, le32({0x80112233}), 1, Bytes{0x33, 0x22, 0x11}},
        {"24 to 32", conv24to32, Bytes{0x33, 0x22, 0x11}, 1, le32({0xFF112233})},
        {"24 (red first) to 32", conv24rgbto32, Bytes{0x11, 0x22, 0x33}, 1, le32({0xFF112233})},
        {"32 with 5-6-5", conv32to32x565, le32({0x80F80000}), 1, le32({0x8000F800})},
        {"16 with alpha to 32", conv16ato32, le32({0x7F00F800}), 1, le32({0x7FF80000})},
    };
    for (const ConverterCase& c : cases) {
        Bytes out(c.out.size(), 0xAA);
        c.convert(c.in.data(), out.data(), c.count);
        EXPECT_EQ(out, c.out) << c.name;
    }
    // The colour that is transparent elsewhere keeps its colour with alpha.
    Bytes out(4);
    Bytes in = le32({0x20001234});
    conv15ato32(in.data(), out.data(), 1);
    EXPECT_EQ(out, le32({0x20000000 | (0x04u << 19) | (0x11u << 11) | (0x14u << 3)}));
}

TEST(RowConverters, SixteenToEightUsesTheInverseTableOrTheNearestColour)
{
    convtables = ConvertTables{};
    static uint8_t inverse[32768];
    inverse[31 << 10] = 77;
    convtables.inverse = inverse;
    Bytes in = le16({0xF800}), out(1);
    conv16to8(in.data(), out.data(), 1);
    EXPECT_EQ(out[0], 77);
    convtables.inverse = nullptr;
    currentwindow = WIND{};
    currentwindow.bpp = 8; // the nearest palette entry is an 8-bit window's pixel
    for (int i = 0; i < 256; ++i) libpalette[i] = 0xFF000000;
    libpalette[9] = 0xFFF80000;
    conv16to8(in.data(), out.data(), 1);
    EXPECT_EQ(out[0], 9);
    currentwindow = WIND{};
}

TEST(VideoKernels, DoublingBlendsLanesAndReadsOneCellPast)
{
    // Cells: V, U, second luma, first luma.
    Bytes row = {10, 20, 30, 40, 50, 60, 70, 80, /* one past */ 90, 100, 110, 120};
    Bytes out(16);
    pixrowblend(row.data(), out.data(), 2);
    Bytes want = {10, 20, 35, 40, 30, 40, 55, 30, 50, 60, 75, 80, 70, 80, 95, 70};
    EXPECT_EQ(out, want);

    Bytes other = {30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 126, 126};
    Bytes both(16), averaged(12);
    for (size_t i = 0; i < 12; ++i) averaged[i] = static_cast<uint8_t>((row[i] + other[i]) >> 1);
    pixrowblend2(row.data(), other.data(), both.data(), 2);
    pixrowblend(averaged.data(), out.data(), 2);
    EXPECT_EQ(both, out);
}

TEST(VideoKernels, ExpandWidensSamplesIntoYuy2ForAnyCount)
{
    Bytes cells = {0, 127, 64, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    Bytes out(12, 0xAA), guard(16, 0xAA);
    pixrowexpand(cells.data(), out.data(), 3, 0);
    auto w = [](int x) { return static_cast<uint8_t>(2 * x - (x >> 2) + 16); };
    EXPECT_EQ(out, (Bytes{w(1), w(127), w(64), w(0), w(5), w(3), w(4), w(2), w(9), w(7), w(8), w(6)}));
    EXPECT_EQ(w(0), 16);
    EXPECT_EQ(w(127), 239);
}

class Fills : public ::testing::Test {
protected:
    void SetUp() override
    {
        registermainthread();
        initmemsize(1 << 20);
        resetdisplay();
        ASSERT_EQ(initrow(), 1);
    }
    void TearDown() override
    {
        unlockwindow();
        disposedummywindow();
        freerowspace();
        releasemem();
    }
};

TEST_F(Fills, RectanglesFillByDepthInsideTheClipRectangle)
{
    const struct {
        int32_t bpp;
        uint32_t colour;
        Bytes pixel; // one filled pixel's bytes
    } depths[] = {{8, 0x1A7, {0xA7}}, {16, 0x12345, {0x45, 0x23}}, {24, 0x00ABCDEF, {0xEF, 0xCD, 0xAB}},
                  {32, 0x11223344, {0x44, 0x33, 0x22, 0x11}}};
    for (const auto& d : depths) {
        WIND* w = createwindow(8, 4, d.bpp, 0, 1);
        ASSERT_NE(w, nullptr);
        std::memset(windowshape(w) + 16, 0, static_cast<size_t>(w->rowbytes) * 4);
        w->minx = 1;
        w->maxx = 6;
        ASSERT_EQ(lockwindow(w), 1);
        fillrect(-3, 1, 20, 2, d.colour);
        size_t bytes = d.pixel.size();
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 8; ++x) {
                Bytes got(pixeladdress(x, y), pixeladdress(x, y) + bytes);
                bool inside = x >= 1 && x < 6 && y >= 1 && y < 3;
                EXPECT_EQ(got, inside ? d.pixel : Bytes(bytes, 0)) << d.bpp << " at " << x << "," << y;
            }
        unlockwindow();
        disposewindow(w);
    }
}

TEST_F(Fills, TheSixteenBitOverrideFillsHalfWords)
{
    WIND* w = createwindow(3, 1, 16, 0, 1);
    lockwindow(w);
    fill16override = true;
    fillrect(0, 0, 3, 1, 0xBEEF);
    fill16override = false;
    EXPECT_EQ(Bytes(pixeladdress(0, 0), pixeladdress(0, 0) + 6), le16({0xBEEF, 0xBEEF, 0xBEEF}));
    unlockwindow();
    disposewindow(w);
}

} // namespace
