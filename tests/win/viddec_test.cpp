#include "cmn/libtest.h"
#include "cmn/memstd.h"
#include "lib/mad_write.h"
#include "win/ddraw.h"
#include "win/viddec.h"
#include "win/wind.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using Frame = std::vector<uint8_t>;

Frame blank(int32_t w, int32_t h, uint8_t fill = 64) { return Frame(static_cast<size_t>(w) * h * 2 + 4, fill); }

// Decodes a payload (copied into a buffer of exactly its size) into out.
int decode(const std::vector<uint8_t>& payload, bool delta, int32_t q, const Frame* reference, Frame& out,
           int32_t w, int32_t h)
{
    std::vector<uint8_t> exact(payload);
    startvideoframe(exact.data(), static_cast<uint32_t>(exact.size()), delta, q);
    int result = 0;
    for (int32_t my = 0; my < h / 16; ++my)
        for (int32_t mx = 0; mx < w / 16; ++mx)
            result |= decodevideoframe(reference ? reference->data() : nullptr, out.data(), w, h, mx, my);
    return result;
}

const uint8_t* cell(const Frame& f, int32_t w, int32_t x, int32_t y) { return f.data() + (y * (w / 2) + x / 2) * 4; }
int luma(const Frame& f, int32_t w, int32_t x, int32_t y) { return cell(f, w, x, y)[x & 1 ? 2 : 3] - 64; }

// A picture whose 8 x 8 blocks are flat at whole sample values.
KitMoviePicture blocky(int32_t w, int32_t h)
{
    KitMoviePicture p;
    p.width = w;
    p.height = h;
    size_t n = static_cast<size_t>(w) * h;
    p.y.resize(n), p.cb.resize(n), p.cr.resize(n);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            size_t i = static_cast<size_t>(y) * w + x;
            int bx = x / 8, by = y / 8;
            p.y[i] = ((bx * 37 + by * 23) % 128) - 64;
            p.cb[i] = ((x / 16) * 11 % 40) - 20;
            p.cr[i] = 30 - ((y / 16) * 13 % 60);
        }
    return p;
}

TEST(VideoDecoder, FlatKeyFrameBlocksComeBackExactly)
{
    const int32_t w = 48, h = 32;
    KitMoviePicture p = blocky(w, h);
    Frame out = blank(w, h);
    ASSERT_EQ(decode(kit_mad_keyframe_payload(p, 8), false, 8, nullptr, out, w, h), 0);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            size_t i = static_cast<size_t>(y) * w + x;
            ASSERT_EQ(luma(out, w, x, y), p.y[i]) << x << "," << y;
            ASSERT_EQ(cell(out, w, x, y)[1] - 64, p.cb[i]);
            ASSERT_EQ(cell(out, w, x, y)[0] - 64, p.cr[i]);
        }
}

TEST(VideoDecoder, SmoothPicturesSurviveTheTransform)
{
    const int32_t w = 32, h = 32;
    KitMoviePicture p;
    p.width = w, p.height = h;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            p.y.push_back(50 * std::sin(x / 5.0) * std::cos(y / 7.0));
            p.cb.push_back(x - 16.0);
            p.cr.push_back(16.0 - y);
        }
    Frame out = blank(w, h);
    ASSERT_EQ(decode(kit_mad_keyframe_payload(p, 1), false, 1, nullptr, out, w, h), 0);
    double worst = 0;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            worst = std::max(worst, std::fabs(luma(out, w, x, y) - std::floor(p.y[y * w + x])));
    EXPECT_LE(worst, 2.0);
}

// Each code of the table and its escape form give the same picture.
TEST(VideoDecoder, EveryCoefficientCodeMatchesItsEscape)
{
    const int32_t w = 16, h = 16;
    for (int i = 0; i < videocodecount; ++i)
        for (int sign = 0; sign < 2; ++sign) {
            const VideoCode& c = videocodes[i];
            int level = sign ? -c.level : c.level;
            KitMadBits coded, escaped;
            for (int b = 0; b < 6; ++b) {
                coded.put(20, 8);
                escaped.put(20, 8);
                if (b == 0) {
                    coded.put(static_cast<uint32_t>(c.code) << 1 | sign, c.length + 1);
                    escaped.put(0b000001, 6);
                    escaped.put(static_cast<uint32_t>(level) & 1023, 10);
                    escaped.put(c.run, 6);
                }
                coded.put(0b10, 2);
                escaped.put(0b10, 2);
            }
            Frame a = blank(w, h), b = blank(w, h);
            ASSERT_EQ(decode(coded.bytes(), false, 4, nullptr, a, w, h), 0) << i;
            ASSERT_EQ(decode(escaped.bytes(), false, 4, nullptr, b, w, h), 0) << i;
            ASSERT_EQ(a, b) << "code " << i << " sign " << sign;
            ASSERT_NE(a, blank(w, h, 64)) << i;
        }
}

TEST(VideoDecoder, CodesThatDoNotExistOrRunOutAbandonTheFrame)
{
    const int32_t w = 16, h = 16;
    KitMadBits bad;
    bad.put(0, 8);
    bad.put(0, 16); // sixteen zeros: no such code
    bad.put(0, 16);
    Frame out = blank(w, h);
    EXPECT_EQ(decode(bad.bytes(), false, 4, nullptr, out, w, h), -1);
    // A picture cut short reads zeros, which is no code either.
    KitMoviePicture p = blocky(32, 32);
    std::vector<uint8_t> payload = kit_mad_keyframe_payload(p, 8);
    payload.resize(payload.size() / 2);
    Frame half = blank(32, 32);
    EXPECT_EQ(decode(payload, false, 8, nullptr, half, 32, 32), -1);
}

TEST(VideoDecoder, EscapeRunsPastTheBlockAreReadAndDropped)
{
    KitMadBits bits;
    for (int b = 0; b < 6; ++b) {
        bits.put(10, 8);
        bits.put(0b000001, 6);
        bits.put(5, 10);
        bits.put(63, 6); // position 64
        bits.put(0b10, 2);
    }
    Frame out = blank(16, 16);
    ASSERT_EQ(decode(bits.bytes(), false, 4, nullptr, out, 16, 16), 0);
    EXPECT_EQ(luma(out, 16, 3, 3), 5) << "the block stays flat at its DC";
}

// Delta macroblocks: prefix "1" copies all six blocks, "01" + 6 bits chooses,
// "00" codes all; motion and step are small signed codes.
TEST(VideoDecoder, DeltaMacroblocksCopyMoveAndStep)
{
    const int32_t w = 32, h = 32;
    KitMoviePicture p = blocky(w, h);
    Frame ref = blank(w, h);
    ASSERT_EQ(decode(kit_mad_keyframe_payload(p, 8), false, 8, nullptr, ref, w, h), 0);

    // "1", motion (0, 0), six steps of 0: the reference exactly.
    KitMadBits same;
    for (int m = 0; m < 4; ++m) {
        same.put(1, 1);
        same.put(0, 2);
        same.put(0, 6);
    }
    Frame out = blank(w, h, 0);
    ASSERT_EQ(decode(same.bytes(), true, 8, &ref, out, w, h), 0);
    EXPECT_TRUE(std::equal(out.begin(), out.end() - 4, ref.begin()));

    // Motion (+3, -2) with step +2 on the luma: odd x moves by pixels, the
    // chroma by the pair 3 >> 1; reads above the frame clamp to its top row.
    KitMadBits moved;
    for (int m = 0; m < 4; ++m) {
        moved.put(1, 1);
        moved.put(0b10, 2), moved.put(2, 4);  // x = 3
        moved.put(0b11, 2), moved.put(14, 4); // y = -2
        for (int b = 0; b < 6; ++b)
            if (b < 4) moved.put(0b10, 2), moved.put(1, 4); // +2
            else moved.put(0, 1);
    }
    ASSERT_EQ(decode(moved.bytes(), true, 8, &ref, out, w, h), 0);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            int32_t sx = std::min(x + 3, w - 1), sy = std::max(y - 2, 0);
            int expected = std::clamp(luma(ref, w, sx, sy) + 2, -64, 63);
            ASSERT_EQ(luma(out, w, x, y), expected) << x << "," << y;
            int32_t pair = std::min(x / 2 + 1, w / 2 - 1);
            int32_t crow = std::max((y & ~1) - 2, 0);
            ASSERT_EQ(cell(out, w, x, y)[1], ref[(crow * (w / 2) + pair) * 4 + 1]);
        }

    // "01" then 0b111110: only the top-left luma block is coded (flat 7).
    KitMadBits mixed;
    for (int m = 0; m < 4; ++m) {
        mixed.put(0b01, 2);
        mixed.put(0b111110, 6);
        mixed.put(0, 1), mixed.put(0, 1);
        mixed.put(14, 8), mixed.put(0b10, 2);
        for (int b = 1; b < 6; ++b) mixed.put(0, 1);
    }
    ASSERT_EQ(decode(mixed.bytes(), true, 8, &ref, out, w, h), 0);
    EXPECT_EQ(luma(out, w, 0, 0), 7);
    EXPECT_EQ(luma(out, w, 19, 19), 7);
    EXPECT_EQ(luma(out, w, 12, 3), luma(ref, w, 12, 3));
    EXPECT_EQ(luma(out, w, 3, 12), luma(ref, w, 3, 12));
}

TEST(VideoDecoder, SamplesPastTheRangeAreClampedNotWrapped)
{
    KitMadBits bits;
    for (int b = 0; b < 6; ++b) {
        bits.put(b == 0 ? 127 : 0x80, 8); // 63.5 and -64
        bits.put(0b10, 2);
    }
    KitMadBits step;
    step.put(1, 1), step.put(0, 2);
    for (int b = 0; b < 6; ++b) step.put(0b10, 2), step.put(15, 4); // +16
    Frame ref = blank(16, 16), out = blank(16, 16);
    ASSERT_EQ(decode(bits.bytes(), false, 4, nullptr, ref, 16, 16), 0);
    EXPECT_EQ(luma(ref, 16, 0, 0), 63);
    EXPECT_EQ(cell(ref, 16, 0, 0)[1], 0);
    ASSERT_EQ(decode(step.bytes(), true, 4, &ref, out, 16, 16), 0);
    EXPECT_EQ(luma(out, 16, 0, 0), 63);
    EXPECT_EQ(cell(out, 16, 0, 0)[1], 16);
}

TEST(VideoDecoder, TablesFollowTheQuantiserAndPrescale)
{
    EXPECT_EQ(videoprescale(0), 8192);
    EXPECT_EQ(videoprescale(1), 5906);
    EXPECT_EQ(videoprescale(7), 29692);
    EXPECT_EQ(videoprescale(63), 107619);
    EXPECT_EQ(videodequant(99, 0), 32768) << "the DC ignores the quantiser";
    EXPECT_EQ(videodequant(1, 1), static_cast<int32_t>((16LL * 4096 * 5906 + 32768) >> 16));
    const uint8_t natural[8] = {0, 8, 1, 2, 9, 16, 24, 17};
    EXPECT_TRUE(std::equal(natural, natural + 8, videoscan));
    // A single coefficient through the transform is the cosine product.
    for (int n : {1, 8, 9, 27, 63}) {
        int32_t block[64] = {};
        double g = 3.0;
        block[n] = static_cast<int32_t>(std::lround(g * 65536.0 * videoprescale(n) / 8192.0));
        videoidct(block);
        int v = n >> 3, u = n & 7;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                double weight = (v ? M_SQRT2 : 1.0) * (u ? M_SQRT2 : 1.0); // an orthonormal basis, scaled
                double want = weight * g * std::cos((2 * y + 1) * v * M_PI / 16) * std::cos((2 * x + 1) * u * M_PI / 16);
                ASSERT_NEAR(block[y * 8 + x] / 65536.0, want, 0.01) << n << " at " << x << "," << y;
            }
    }
}

// A damaged stream can dequantise to coefficients near the ends of 32 bits:
// the transform's sums of products must not overflow (the sanitizer of the
// test build stops on it), and the same block gives the same samples.
TEST(VideoDecoder, ExtremeCoefficientsPassTheTransform)
{
    const int32_t big = std::numeric_limits<int32_t>::max(), small = std::numeric_limits<int32_t>::min();
    const int32_t patterns[][8] = {
        {0, big, 0, 0, 0, big, 0, small},        // the odd part's products at both ends
        {big, small, big, small, big, small, big, small},
        {small, small, small, small, small, small, small, small},
        {0, small, big, small, 0, big, small, big},
    };
    for (const auto& pattern : patterns) {
        int32_t block[64], again[64];
        for (int i = 0; i < 64; ++i) block[i] = pattern[(i + i / 8) & 7];
        std::memcpy(again, block, sizeof block);
        videoidct(block);
        videoidct(again);
        EXPECT_EQ(std::memcmp(block, again, sizeof block), 0);
    }
}

class VideoOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        registermainthread();
        initmemsize(1 << 20);
        resetdisplay();
        setrowspace(nullptr, ROWSPACE_DEFAULT);
        ASSERT_EQ(initrow(), 1);
    }
    void TearDown() override
    {
        unlockwindow();
        disposedummywindow();
        freerowspace();
        setrowspace(nullptr, ROWSPACE_DEFAULT);
        releasemem();
    }
    WIND* screen(int32_t bpp)
    {
        WIND* w = createwindow(64, 16, bpp, 0, 1);
        lockwindow(w);
        std::memset(currentwindow.base, 0xEE, static_cast<size_t>(currentwindow.rowbytes) * 16);
        return w;
    }
    uint16_t at(int32_t x, int32_t y)
    {
        uint16_t v;
        std::memcpy(&v, pixeladdress(x, y), 2);
        return v;
    }
};

Frame uniform(int32_t w, int32_t h, uint8_t y, uint8_t u, uint8_t v)
{
    Frame f = blank(w, h);
    for (size_t i = 0; i + 4 <= f.size() - 4; i += 4) f[i] = v, f[i + 1] = u, f[i + 2] = y, f[i + 3] = y;
    return f;
}

TEST_F(VideoOutput, GreyAndRedConvertWithBothRoundings)
{
    screen(16);
    Frame grey = uniform(8, 2, 64, 64, 64);
    ASSERT_EQ(showvideoframe(0, 0, grey.data(), 8, 2, 0), 0);
    // R and B: (131 + 4) >> 3 = 16 left, 131 >> 3 = 16 right; G 129 + 2 * (-0) ...
    EXPECT_EQ(at(0, 0), (16 << 11) | (32 << 5) | 16);
    EXPECT_EQ(at(1, 0), (16 << 11) | (32 << 5) | 16);
    Frame red = uniform(8, 2, 64 + 10, 64 - 20, 64 + 60);
    ASSERT_EQ(showvideoframe(0, 0, red.data(), 8, 2, 0), 0);
    // R: s = 10 + lrint(1.402 * 60.5) = 95, c = 255; G: 10 - 22 + ... clamp.
    EXPECT_EQ(at(0, 0) >> 11, 31);
    EXPECT_EQ(at(1, 0) >> 11, 31);
    int32_t g = std::clamp(2 * (10 + static_cast<int32_t>(std::lrint(-0.3441 * -19.5)) +
                                static_cast<int32_t>(std::lrint(-0.7141 * 60.5))) + 129, 0, 255);
    EXPECT_EQ((at(0, 0) >> 5) & 63, std::min((g + 2) >> 2, 63));
    EXPECT_EQ((at(1, 0) >> 5) & 63, g >> 2);
}

TEST_F(VideoOutput, ModesDoubleAndFillTheRowsBetween)
{
    Frame f = uniform(8, 2, 100, 64, 64);
    for (int i = 0; i < 4; ++i) f[16 + i * 4 + 2] = f[16 + i * 4 + 3] = 20; // row 1 darker
    struct Case { int mode; bool touched; };
    for (Case c : {Case{1, false}, Case{2, true}, Case{3, true}}) {
        screen(16);
        ASSERT_EQ(showvideoframe(0, 0, f.data(), 8, 2, c.mode), 0);
        EXPECT_EQ(at(0, 0), at(1, 0) | 0) << c.mode;
        EXPECT_NE(at(0, 2), at(0, 0)) << c.mode;
        EXPECT_EQ(at(0, 1) == 0xEEEE, !c.touched) << "mode " << c.mode;
        if (c.touched) {
            EXPECT_GT(at(0, 1) >> 11, at(0, 2) >> 11) << c.mode;
            EXPECT_LT(at(0, 1) >> 11, at(0, 0) >> 11) << c.mode;
        }
        EXPECT_EQ(at(16, 0), 0xEEEE) << "8 pixels doubled end at 16";
    }
}

TEST_F(VideoOutput, BadModesAndDepthsAreRefused)
{
    Frame f = uniform(8, 2, 100, 64, 64);
    screen(16);
    EXPECT_EQ(showvideoframe(0, 0, f.data(), 8, 2, 4), -1);
    EXPECT_EQ(showvideoframe(0, 0, f.data(), 8, 2, -1), -1);
    for (int32_t bpp : {8, 24, 32}) {
        screen(bpp);
        EXPECT_EQ(showvideoframe(0, 0, f.data(), 8, 2, 0), -2) << bpp;
        EXPECT_EQ(currentwindow.base[0], 0xEE);
    }
    screen(15);
    EXPECT_EQ(showvideoframe(0, 0, f.data(), 8, 2, 0), 0);
    EXPECT_EQ(at(0, 0) & 0x8000, 0) << "5-5-5";
}

TEST_F(VideoOutput, PicturesAreClippedInWholePairs)
{
    Frame f = uniform(8, 2, 100, 64, 64);
    screen(16);
    ASSERT_EQ(showvideoframe(59, 0, f.data(), 8, 2, 0), 0); // x 58: two pairs fit
    EXPECT_NE(at(58, 0), 0xEEEE);
    EXPECT_NE(at(61, 0), 0xEEEE);
    EXPECT_EQ(at(57, 0), 0xEEEE);
    screen(16);
    ASSERT_EQ(showvideoframe(62, 0, f.data(), 8, 2, 0), 0); // one pair: nothing
    EXPECT_EQ(at(62, 0), 0xEEEE);
    ASSERT_EQ(showvideoframe(-4, -1, f.data(), 8, 2, 0), 0);
    EXPECT_NE(at(0, 0), 0xEEEE);
    EXPECT_NE(at(3, 0), 0xEEEE);
    EXPECT_EQ(at(4, 0), 0xEEEE);
}

} // namespace
