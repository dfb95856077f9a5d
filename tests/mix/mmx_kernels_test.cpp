// The MMX kernel set beside the plain one: 16-bit words at half scale with
// saturating sums. Where the two sets agree they are run on the same input
// and compared; where they part (gain, clipping, wrapping) both results are
// pinned.
#include "cmn/cpu.h"
#include "cmn/libtest.h"
#include "mix/bits9.h"
#include "mix/kernels.h"
#include "mix/mixer.h"
#include "mix/sndint.h"
#include "lib/mad_write.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace {

std::vector<int32_t> g_freed;
void freed(int32_t channel) { g_freed.push_back(channel); }

// Starts the mixer on the set asked for; the processor record comes back
// afterwards.
class Sets : public ::testing::Test {
protected:
    void use(bool mmx)
    {
        // Fresh voices: a resampler keeps the step of the voice before it,
        // and with a step of the same class a mono voice keeps its head
        // start of one frame, which would shift one set against the other.
        for (SndMixVoice& v : sndmixvoices) v = SndMixVoice{};
        g_freed.clear();
        libcpu.mmx = mmx;
        iSNDmixinit(8, freed);
    }
    void TearDown() override
    {
        for (int c = 0; c < SND_CHANNELS; ++c) sndmixvoices[c].state = 0;
        libcpu = saved;
    }
    // n frames of 16-bit stereo.
    static std::vector<int16_t> mix(int32_t n)
    {
        std::vector<int16_t> out(static_cast<size_t>(n) * 2, 0x5555);
        iSNDmix(out.data(), n);
        return out;
    }
    // The same voices mixed on each set.
    std::vector<int16_t> on(bool mmx, const std::function<void()>& start, int32_t frames)
    {
        use(mmx);
        start();
        return mix(frames);
    }
    ProcessorRecord saved = libcpu;
    AbortCatcher aborts;
};

intptr_t address(const void* p) { return reinterpret_cast<intptr_t>(p); }

TEST_F(Sets, TheProcessorFlagPicksTheSetOnceAtStart)
{
    std::vector<int16_t> data(64, 20000);
    for (bool mmx : {false, true}) {
        SCOPED_TRACE(mmx);
        use(mmx);
        EXPECT_EQ(sndmixmmx(), mmx);
        ASSERT_EQ(iSNDmixstart(0, 4, 0, 1, address(data.data()), 64, 0, 0, 127, 127, 0x10000, 0, 0), 0);
        // Plain plays level 127 unchanged; MMX at 127/256 in the mix
        // buffer, doubled on the way out.
        int16_t expect = mmx ? 2 * ((20000 * 32512) >> 16) : 20000;
        EXPECT_EQ(mix(1)[0], expect);
        libcpu.mmx = !mmx; // a later change of the flag changes nothing
        EXPECT_EQ(mix(1)[0], expect);
        EXPECT_EQ(sndmixmmx(), mmx);
    }
}

// Every source format and every class of step through the whole chain
// (source, resampler, level mixer, converter): the sets agree up to the MMX
// gain of 127/128 and its truncations. 8-bit data lose their fraction in the
// MMX resampler, so they are held to a byte's step.
TEST_F(Sets, EveryFormatAndStepAgreesBetweenTheSets)
{
    struct Case {
        int32_t format;
        uint32_t step;
    };
    const Case cases[] = {
        {1, 0x10000}, {2, 0x8000}, {4, 0x18000}, {8, 0x6000}, {4, 0x8000}, {8, 0x20000}, {1, 0x14000}, {2, 0x10000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << " step " << std::hex << c.step);
        bool is16 = c.format >= 4, stereo = c.format == 2 || c.format == 8;
        int ch = stereo ? 2 : 1;
        const int32_t frames = 3000;
        std::vector<uint8_t> data;
        for (int32_t i = 0; i < frames * ch; ++i) {
            double v = std::sin(i * 0.013) * (i % 2 ? 0.9 : 0.6);
            if (is16) {
                auto s = static_cast<int16_t>(std::lround(v * 30000));
                data.push_back(static_cast<uint8_t>(s)), data.push_back(static_cast<uint8_t>(s >> 8));
            } else {
                data.push_back(static_cast<uint8_t>(static_cast<int8_t>(std::lround(v * 120))));
            }
        }
        auto start = [&] {
            // Quality 100: the plain set's linear resamplers, like the MMX ones.
            ASSERT_EQ(iSNDmixstart(6, c.format, 0, 1, address(data.data()), frames, 0, 0, 127, 127, c.step, 100, 0), 0);
        };
        // Two blocks and a short one, so that blocks join twice.
        std::vector<int16_t> plain = on(false, start, 700), mmx = on(true, start, 700);
        int32_t tolerance = is16 ? 8 : 2 * 256 + 8;
        for (size_t i = 0; i < plain.size(); ++i) {
            double scaled = plain[i] * 127.0 / 128.0;
            ASSERT_NEAR(mmx[i], scaled, tolerance) << "sample " << i;
        }
    }
}

// Three loud voices and two loud opposite ones: plain sums all five and
// clips once; MMX saturates after the third and the other two then pull the
// clipped sum down.
TEST_F(Sets, MmxClipsEachPartialSum)
{
    std::vector<int16_t> up(256, 32767), down(256, -32767);
    auto start = [&] {
        for (int c = 0; c < 5; ++c) {
            const int16_t* d = c < 3 ? up.data() : down.data();
            ASSERT_EQ(iSNDmixstart(c, 4, 0, 1, address(d), 256, 0, 0, 127, 127, 0x10000, 0, 0), 0);
        }
    };
    EXPECT_EQ(on(false, start, 1)[0], 32767);
    // 32767 half-scale units, minus 2 x 16256, doubled.
    EXPECT_EQ(on(true, start, 1)[0], 2 * (32767 - 2 * 16256));

    // Sixteen full voices still clip cleanly to the limits on both sets.
    for (int16_t level : {int16_t{32767}, int16_t{-32768}}) {
        std::vector<int16_t> full(256, level);
        auto sixteen = [&] {
            for (int c = 0; c < 16; ++c)
                ASSERT_EQ(iSNDmixstart(c, 4, 0, 1, address(full.data()), 256, 0, 0, 127, 127, 0x10000, 0, 0), 0);
        };
        for (bool mmx : {false, true}) {
            std::vector<int16_t> a = on(mmx, sixteen, 256);
            for (int16_t s : a) ASSERT_EQ(s, level) << mmx;
        }
    }
}

TEST_F(Sets, MmxRampsAndStopsLikeThePlainSet)
{
    use(true);
    // 12800 x 256 is 50 x 65536: each level step adds 50, doubled to 100.
    std::vector<int16_t> data(1000, 12800);
    ASSERT_EQ(iSNDmixstart(0, 4, 0, 1, address(data.data()), 1000, 0, 0, 0, 0, 0x10000, 0, 0), 0);
    iSNDmixsetvol(0, 127, 127);
    std::vector<int16_t> a = mix(256);
    for (int k = 0; k < 127; ++k) ASSERT_EQ(a[2 * k], 100 * (k + 1)) << k;
    for (int k = 127; k < 256; ++k) ASSERT_EQ(a[2 * k], 12700) << k;
    iSNDmixstop(0);
    EXPECT_EQ(g_freed, std::vector<int32_t>{0});
    std::vector<int16_t> b = mix(256);
    for (int k = 0; k < 127; ++k) ASSERT_EQ(b[2 * k], 100 * (126 - k)) << k;
    for (int k = 127; k < 256; ++k) ASSERT_EQ(b[2 * k], 0) << k;
}

TEST(MmxOutput, ConvertersDoubleOrSumWithSaturationAndStayInTheirFrames)
{
    struct Case {
        int32_t format;
        std::vector<int16_t> mix;
        std::vector<uint8_t> out; // bytes, little-endian
    };
    auto words = [](std::initializer_list<int> w) {
        std::vector<uint8_t> b;
        for (int v : w) b.push_back(static_cast<uint8_t>(v)), b.push_back(static_cast<uint8_t>(v >> 8));
        return b;
    };
    const Case cases[] = {
        {8, {0x4000, -0x4000, 100, -101}, words({0x7FFF, 0x8000, 200, -202})},
        {4, {0x4000, 0x4000, 100, -300}, words({0x7FFF, -200})},
        {2, {0x4000, -0x4000, 0, 0x100}, {0xFF, 0x00, 0x80, 0x82}},
        {1, {0, 0, 0x4000, 0x4000, -0x4000, -0x4000, 0x80, 0}, {0x80, 0xFF, 0x00, 0x80}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        std::vector<uint8_t> out(c.out.size() + 16, 0x5A);
        int32_t frames = static_cast<int32_t>(c.mix.size() / 2);
        sndconvertmmx(c.format, frames, c.mix.data(), out.data());
        EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + static_cast<long>(c.out.size())), c.out);
        for (size_t i = c.out.size(); i < out.size(); ++i) ASSERT_EQ(out[i], 0x5A) << "past the frames at " << i;
    }
}

TEST(MmxLevels, GainWordsTakeTheHighHalfAndSaturate)
{
    SndLevels l{};
    SndMix mixfn = nullptr;
    SndSetLevels set = nullptr;
    sndlevels16stereoinit(&l, &mixfn, &set);
    set(&l, 0, 0);
    ASSERT_NE(mixfn, nullptr) << "level 0 still runs the kernel";
    int16_t in[4] = {32767, -32768, 1000, 1000};
    int16_t buf[4] = {7, 7, 30000, -30000};
    mixfn(&l, 2, in, buf);
    EXPECT_EQ(std::vector<int16_t>(buf, buf + 4), (std::vector<int16_t>{7, 7, 30000, -30000}));
    set(&l, 127, 64);
    mixfn(&l, 2, in, buf);
    // 32767 x 32512 >> 16, -32768 x 16384 >> 16; then 30000 + 496 and
    // -30000 + 250.
    EXPECT_EQ(std::vector<int16_t>(buf, buf + 4), (std::vector<int16_t>{7 + 16255, 7 - 8192, 30496, -29750}));
    int16_t full[2] = {32767, 32767}, loud[2] = {30000, -32000};
    mixfn(&l, 1, full, loud);
    EXPECT_EQ(loud[0], 32767);
    EXPECT_EQ(loud[1], -32000 + 8191);

    // 8-bit samples count as s x 256; a mono sample goes to both sides.
    sndlevels8monoinit(&l, &mixfn, &set);
    set(&l, 127, 1);
    int8_t bytes[2] = {-128, 64};
    int16_t m[4] = {};
    mixfn(&l, 2, bytes, m);
    EXPECT_EQ(std::vector<int16_t>(m, m + 4), (std::vector<int16_t>{-16256, -128, 8128, 64}));
}

template <typename T>
using Drive = DrivenResampler<T>;
int32_t wave16(size_t i, int c) { return static_cast<int32_t>(std::lround(std::sin(i * 0.07 + c) * 30000)); }
int32_t wave8(size_t i, int c) { return static_cast<int32_t>(std::lround(std::sin(i * 0.07 + c) * 120)); }

TEST(MmxResamplers, FollowThePlainLinearOnesAcrossBlocks)
{
    struct Member {
        SndResamplerInit mmx, plain;
        int ch;
        bool bytes;
    };
    const Member members[] = {
        {sndlinear16stereoinit, sndlinearstereoinit, 2, false},
        {sndlinear16monoinit, sndlinearmonoinit, 1, false},
        {sndlinear8stereoinit, sndlinearstereoinit, 2, true},
        {sndlinear8monoinit, sndlinearmonoinit, 1, true},
    };
    for (const Member& m : members) {
        for (uint32_t step : {0x8000u, 0x6000u, 0x10000u, 0x18000u, 0x20000u}) {
            // Whole blocks, odd blocks, and a ramp's one frame at a time.
            for (int32_t block : {256, 255, 1}) {
                SCOPED_TRACE(testing::Message() << m.ch << (m.bytes ? " bytes" : " words") << " step " << std::hex
                                                << step << std::dec << " block " << block);
                auto f = m.bytes ? wave8 : wave16;
                Drive<float> plain(m.plain, step);
                Drive<int16_t> words(m.mmx, step);
                Drive<int8_t> bytes(m.mmx, step);
                for (int b = 0; b < (block == 1 ? 300 : 3); ++b) {
                    std::vector<float> p = plain.run(block, m.ch, f);
                    std::vector<int32_t> x;
                    if (m.bytes) {
                        for (int8_t v : bytes.run(block, m.ch, f)) x.push_back(v);
                    } else {
                        for (int16_t v : words.run(block, m.ch, f)) x.push_back(v);
                    }
                    for (size_t i = 0; i < p.size(); ++i) ASSERT_NEAR(x[i], p[i], 3.0) << "block " << b << " at " << i;
                }
            }
        }
    }
}

int32_t minusone(size_t, int) { return -1; }

TEST(MmxResamplers, TheLastFrameOfEachCallHasItsOwnRounding)
{
    // Half speed over -1s: between two frames the loop's 15-bit weights give
    // (-16383 - 16384) >> 15 = -1, the last-frame path -32767 >> 16 plus
    // -32768 >> 16 = -2.
    Drive<int16_t> blocks(sndlinear16monoinit, 0x8000);
    EXPECT_EQ(blocks.run(4, 1, minusone), (std::vector<int16_t>{-1, -1, -1, -2}));
    Drive<int16_t> ramp(sndlinear16monoinit, 0x8000);
    std::vector<int16_t> frames;
    for (int i = 0; i < 4; ++i) frames.push_back(ramp.run(1, 1, minusone)[0]);
    EXPECT_EQ(frames, (std::vector<int16_t>{-1, -2, -1, -2}));
}

TEST(MmxResamplers, UnityHandsBackTheInputAndFreshVoicesAskForOneMore)
{
    Drive<int16_t> unity(sndlinear16stereoinit, 0x10000);
    EXPECT_EQ(unity.input_needed(&unity.r, 200), 200);
    int16_t in[4] = {1, 2, 3, 4};
    void* out = nullptr;
    unity.resample(&unity.r, 2, in, &out);
    EXPECT_EQ(out, static_cast<void*>(in));
    Drive<int8_t> twice(sndlinear8stereoinit, 0x20000);
    EXPECT_EQ(twice.input_needed(&twice.r, 256), 512);
    twice.run(256, 2, wave8);
    EXPECT_EQ(twice.input_needed(&twice.r, 256), 512);
}

class MmxSources : public Sets {
protected:
    SndFetch fetch = nullptr;
    SndPosition position = nullptr;
    alignas(16) uint8_t state[SND_SOURCE_STATE] = {};
};

TEST_F(MmxSources, MemorySourcesCopyTheirBytesUnchanged)
{
    use(true);
    // Entries 0, 5 and 12: 8-bit mono one-shot, 8-bit stereo looped, 16-bit
    // stereo one-shot; 300 frames each.
    struct Case {
        int entry, framebytes;
    };
    for (Case c : {Case{0, 1}, Case{5, 2}, Case{12, 4}}) {
        SCOPED_TRACE(c.entry);
        std::vector<uint8_t> data(static_cast<size_t>(300 * c.framebytes));
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + 1);
        sndcodectable[c.entry](0, state, address(data.data()), 300, 0, 299, &fetch, &position);
        std::vector<uint8_t> out(static_cast<size_t>(256 * c.framebytes), 0x5A);
        ASSERT_EQ(fetch(state, 256, out.data()), 1);
        EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin()));
        ASSERT_EQ(fetch(state, 256, out.data()), 1);
        size_t tail = static_cast<size_t>(44 * c.framebytes);
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + static_cast<long>(tail), data.begin() + static_cast<long>(256 * c.framebytes)));
        if (c.entry == 5) {
            // Looped: back to frame 0 after frame 299.
            EXPECT_TRUE(std::equal(out.begin() + static_cast<long>(tail), out.end(), data.begin()));
        } else {
            EXPECT_TRUE(std::all_of(out.begin() + static_cast<long>(tail), out.end(), [](uint8_t b) { return b == 0; }));
            EXPECT_EQ(fetch(state, 256, out.data()), -1);
        }
    }
}


TEST_F(MmxSources, TheOutsideLibrarysSampleConverterStillReads8BitData)
{
    // It works in floats whichever set mixes, through the plain 8-bit table.
    use(true);
    int8_t stereo[4] = {1, 3, -128, 127};
    int16_t out[2] = {};
    EXPECT_EQ(iSNDconvertsample(stereo, 2, 2, 0, 0, 2, out, 0, 1), 0);
    EXPECT_EQ(out[0], 512);
    EXPECT_EQ(out[1], -128);
}

TEST_F(MmxSources, Compression7TruncatesAndWrapsWhereThePlainSetKeepsTheFloat)
{
    // A block that leaves 1024 behind, then filter 1 decaying it; then a
    // block of filter 2 at shift 0 driven by the largest code.
    std::vector<uint8_t> codes(28, 0);
    codes[27] = 1;
    std::vector<uint8_t> data = monoblock(0x02, codes), decay = monoblock(0x1C, {}),
                         loud = monoblock(0x20, std::vector<uint8_t>(28, 7));
    data.insert(data.end(), decay.begin(), decay.end());
    data.insert(data.end(), loud.begin(), loud.end());
    use(false);
    std::vector<float> plain(84);
    sndcodectable[16](0, state, address(data.data()), 84, 0, 0, &fetch, &position);
    ASSERT_EQ(fetch(state, 84, plain.data()), 1);
    use(true);
    std::vector<int16_t> mmx(84);
    sndcodectable[16](0, state, address(data.data()), 84, 0, 0, &fetch, &position);
    ASSERT_EQ(fetch(state, 84, mmx.data()), 1);
    for (int i = 0; i < 28; ++i) ASSERT_EQ(mmx[static_cast<size_t>(i)], plain[static_cast<size_t>(i)]) << i;
    EXPECT_EQ((std::vector<float>{plain[28], plain[29], plain[30]}), (std::vector<float>{960, 900, 843.75f}));
    EXPECT_EQ((std::vector<int16_t>{mmx[28], mmx[29], mmx[30]}), (std::vector<int16_t>{960, 900, 843}));
    // The loud block starts from the decayed history, which differs a
    // little; pin the MMX wrap from the second sample on by its own history.
    int32_t p2 = mmx[55], p1 = mmx[56];
    for (int i = 57; i < 60; ++i) {
        int32_t expect = static_cast<int16_t>(static_cast<uint16_t>((460 * p1 - 208 * p2 + 7 * 4096 * 256) >> 8));
        ASSERT_EQ(mmx[static_cast<size_t>(i)], expect) << i;
        p2 = p1, p1 = expect;
    }
    EXPECT_GT(plain[58], 32767.0f) << "the plain decoder keeps the large value";
    EXPECT_LT(*std::max_element(mmx.begin() + 56, mmx.end()), 32768);
    EXPECT_LT(*std::min_element(mmx.begin() + 56, mmx.end()), 0) << "the MMX one wraps past 32767";
}

TEST_F(MmxSources, Compression7FromTheKitDecodesAlikeOnBothSets)
{
    std::vector<int16_t> source;
    for (int i = 0; i < 1400; ++i)
        source.push_back(static_cast<int16_t>(std::lround(12000 * std::sin(i * 0.05) + 3000 * std::sin(i * 0.31))));
    double history[2] = {0, 0};
    std::vector<uint8_t> packet = kit_comp7_packet(source, history);
    const uint8_t* blocks = packet.data() + 8; // from silence: memory data
    use(false);
    std::vector<float> plain(1400);
    sndcodectable[16](0, state, address(blocks), 1400, 0, 0, &fetch, &position);
    ASSERT_EQ(fetch(state, 1400, plain.data()), 1);
    use(true);
    std::vector<int16_t> mmx(1400);
    sndcodectable[16](0, state, address(blocks), 1400, 0, 0, &fetch, &position);
    ASSERT_EQ(fetch(state, 1400, mmx.data()), 1);
    double apart = 0, noise = 0, signal = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        apart = std::max(apart, std::abs(mmx[i] - static_cast<double>(plain[i])));
        noise += std::pow(mmx[i] - source[i], 2);
        signal += std::pow(source[i], 2);
    }
    // Truncation only: less than a unit a sample, which the filters' DC
    // gain (64 for filter 2) can build up but not past.
    EXPECT_LT(apart, 64.0);
    EXPECT_LT(noise / signal, 1e-3);
}

TEST_F(MmxSources, Compression9RoundsAndSaturatesTheSamePicture)
{
    // Pulses of +2 and -2 at the largest gain (about 61,600 each way, past
    // the 17-bit window), then at gain 128.
    Bits9 b;
    b.header(0, 0, 15, 63);
    b.flat(false);
    for (int s = 0; s < 4; ++s) {
        b.subframe(0, 0, s == 0 ? 63 : s == 1 ? 57 : 0);
        b.code("11"), b.code("10");
        for (int i = 2; i < 108; ++i) b.code("0");
    }
    use(false);
    std::vector<float> plain(432);
    sndcodectable[24](0, state, address(b.bytes.data()), 432, 0, 0, &fetch, &position);
    ASSERT_EQ(fetch(state, 432, plain.data()), 1);
    use(true);
    std::vector<int16_t> mmx(432);
    sndcodectable[24](0, state, address(b.bytes.data()), 432, 0, 0, &fetch, &position);
    ASSERT_EQ(fetch(state, 432, mmx.data()), 1);
    EXPECT_GT(plain[0], 98304.0f);
    EXPECT_GT(plain[108], 65536.0f);
    EXPECT_LT(plain[108], 98304.0f);
    EXPECT_EQ(plain[216], 256.0f);
    for (size_t i = 0; i < plain.size(); ++i) {
        float r = std::nearbyint(plain[i]);
        ASSERT_EQ(mmx[i], static_cast<int16_t>(std::clamp(r, -32768.0f, 32767.0f))) << i;
    }
    EXPECT_EQ((std::vector<int16_t>{mmx[0], mmx[1], mmx[108], mmx[109], mmx[216]}),
              (std::vector<int16_t>{32767, -32768, 32767, -32768, 256}));
}

} // namespace
