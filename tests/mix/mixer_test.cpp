// The mixer's kernels and control: sources, resamplers, level mixers,
// output converters, the compression 7 decoder, pan laws.
#include "cmn/cpu.h"
#include "cmn/libtest.h"
#include "mix/mixer.h"
#include "mix/sndint.h"
#include "mix/bits9.h"
#include "mix/kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

std::vector<int32_t> g_freed;
void freed(int32_t channel) { g_freed.push_back(channel); }

// The plain kernel set (the MMX set has its own tests).
class Mixer : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_freed.clear();
        libcpu.mmx = false;
        iSNDmixinit(8, freed);
    }
    void TearDown() override
    {
        for (int c = 0; c < SND_CHANNELS; ++c) sndmixvoices[c].state = 0;
        libcpu = saved;
    }
    ProcessorRecord saved = libcpu;
    // Mixes n frames of 16-bit stereo.
    std::vector<int16_t> mix(int32_t n)
    {
        std::vector<int16_t> out(static_cast<size_t>(n) * 2 + 8, 0x5555);
        iSNDmix(out.data(), n);
        return out;
    }
    AbortCatcher aborts;
};

std::vector<int16_t> ramp16(int n, int scale)
{
    std::vector<int16_t> d;
    for (int i = 0; i < n; ++i) d.push_back(static_cast<int16_t>(i * scale));
    return d;
}

TEST_F(Mixer, AOneShotVoiceAtFullLevelPlaysUnchangedThenEndsAndFreesItsChannel)
{
    std::vector<int16_t> data = ramp16(300, 10);
    ASSERT_EQ(iSNDmixstart(3, 4, 0, 1, reinterpret_cast<intptr_t>(data.data()), 300, 0, 0, 127, 127, 0x10000, 0, 0), 0);
    std::vector<int16_t> a = mix(256), b = mix(256);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(a[2 * i], data[i]) << i;
        ASSERT_EQ(a[2 * i + 1], data[i]) << i;
    }
    for (int i = 0; i < 44; ++i) ASSERT_EQ(b[2 * i], data[256 + i]) << i;
    for (int i = 44; i < 256; ++i) ASSERT_EQ(b[2 * i], 0) << i;
    EXPECT_TRUE(g_freed.empty());
    std::vector<int16_t> c = mix(256);
    EXPECT_EQ(sndmixvoices[3].state, 0);
    EXPECT_EQ(g_freed, std::vector<int32_t>{3});
    for (int i = 0; i < 512; ++i) ASSERT_EQ(c[i], 0);
}

TEST_F(Mixer, LevelChangesRampOneStepAFrame)
{
    std::vector<int16_t> data(1000, 12700);
    ASSERT_EQ(iSNDmixstart(0, 4, 0, 1, reinterpret_cast<intptr_t>(data.data()), 1000, 0, 0, 0, 0, 0x10000, 0, 0), 0);
    iSNDmixsetvol(0, 127, 127);
    std::vector<int16_t> a = mix(256);
    for (int k = 0; k < 127; ++k) ASSERT_EQ(a[2 * k], 100 * (k + 1)) << k;
    for (int k = 127; k < 256; ++k) ASSERT_EQ(a[2 * k], 12700) << k;
    // Frames keep their order through the ramp: the block after it goes on.
    EXPECT_EQ(mix(1)[0], 12700);
}

TEST_F(Mixer, StoppingFadesOutWithinABlockAndFreesTheChannel)
{
    std::vector<int16_t> data(200, 12700);
    ASSERT_EQ(iSNDmixstart(5, 4, 0, 1, reinterpret_cast<intptr_t>(data.data()), 200, 0, 199, 127, 127, 0x10000, 0, 0), 0);
    mix(256);
    iSNDmixstop(5);
    EXPECT_EQ(g_freed, std::vector<int32_t>{5});
    EXPECT_EQ(sndmixvoices[5].state, 0);
    std::vector<int16_t> a = mix(256);
    for (int k = 0; k < 127; ++k) ASSERT_EQ(a[2 * k], 100 * (126 - k)) << k;
    for (int k = 127; k < 256; ++k) ASSERT_EQ(a[2 * k], 0) << k;
}

TEST_F(Mixer, AVoiceWithNothingToPlayStaysSilentAndAlive)
{
    // A packet voice with no packet player gets nothing from its source.
    ASSERT_EQ(iSNDmixstart(2, 4, 0, 0, 0, 0, -1, -1, 127, 127, 0x10000, 0, 0), 0);
    std::vector<int16_t> a = mix(256);
    for (int i = 0; i < 512; ++i) ASSERT_EQ(a[i], 0);
    EXPECT_EQ(sndmixvoices[2].state, 1);
    EXPECT_TRUE(g_freed.empty());
}

TEST_F(Mixer, SixteenFullVoicesClipAndNeverWrap)
{
    for (int16_t level : {int16_t{32767}, int16_t{-32768}}) {
        std::vector<int16_t> data(256, level);
        for (int c = 0; c < 16; ++c)
            ASSERT_EQ(iSNDmixstart(c, 4, 0, 1, reinterpret_cast<intptr_t>(data.data()), 256, 0, 0, 127, 127, 0x10000, 0, 0), 0);
        std::vector<int16_t> a = mix(256);
        for (int i = 0; i < 512; ++i) ASSERT_EQ(a[i], level);
    }
}

TEST_F(Mixer, RefusedStarts)
{
    struct Case {
        int32_t format, compression, playtype;
        const char* report;
    };
    const Case cases[] = {
        {3, 0, 1, "iSNDmixstart - UNSUPPORTED SAMPLE FORMAT."},
        {2, 7, 0, "iSNDmixstart - MALFORMED SAMPLE."},
        {8, 9, 0, "iSNDmixstart - MALFORMED SAMPLE."},
        {4, 9, 1, "iSNDmixstart - CODEC NOT INITED."}, // compression 9 never loops
        {4, 3, 0, "iSNDmixstart - UNSUPPORTED COMPRESSION TYPE."},
        {4, 0, 5, "iSNDmixstart - UNSUPPORTED PLAY TYPE."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report);
        EXPECT_LT(iSNDmixstart(0, c.format, c.compression, c.playtype, 0, 0, 0, 5, 127, 127, 0x10000, 0, 0), 0);
        EXPECT_TRUE(aborts.saw(c.report));
        EXPECT_EQ(sndmixvoices[0].state, 0);
    }
}

TEST(MixerOutput, ConvertersRoundSaturateAndStayInTheirFrames)
{
    float mix[8] = {1e7f, -1e7f, NAN, 0.4f, -0.6f, 1.5f, 32767.4f, -32768.6f};
    int16_t s16[10];
    std::fill(std::begin(s16), std::end(s16), int16_t{0x1234});
    sndconvert(8, 4, mix, s16);
    EXPECT_EQ(std::vector<int16_t>(s16, s16 + 10),
              (std::vector<int16_t>{32767, -32768, 0, 0, -1, 2, 32767, -32768, 0x1234, 0x1234}));

    float mono[4] = {-1.0f, 1.0f, 1e9f, 1e9f};
    uint8_t u8[3] = {7, 7, 7};
    sndconvert(1, 2, mono, u8);
    EXPECT_EQ(u8[0], 128);
    EXPECT_EQ(u8[1], 255);
    EXPECT_EQ(u8[2], 7);

    float st[4] = {256.0f, -40000.0f, 32767.0f, -256.0f};
    uint8_t s8[4];
    sndconvert(2, 2, st, s8);
    EXPECT_EQ(std::vector<int>(s8, s8 + 4), (std::vector<int>{129, 0, 255, 127}));

    float avg[2] = {100.0f, 300.0f};
    int16_t m16[1];
    sndconvert(4, 1, avg, m16);
    EXPECT_EQ(m16[0], 200);
}

using Driven = DrivenResampler<float>;
// Frame i of channel c: i, plus 1000 on the right.
float identity(size_t i, int c) { return static_cast<float>(i) + static_cast<float>(c) * 1000; }

TEST(Resamplers, UnityStepHandsBackTheInput)
{
    for (SndResamplerInit init : {sndlinearstereoinit, sndneareststereoinit}) {
        Driven d(init, 0x10000);
        EXPECT_EQ(d.input_needed(&d.r, 200), 200);
        float in[4] = {1, 2, 3, 4}, other[4];
        void* out = other;
        d.resample(&d.r, 2, in, &out);
        EXPECT_EQ(out, static_cast<void*>(in));
    }
}

TEST(Resamplers, LinearIsOneContinuousInterpolationAcrossBlocks)
{
    struct Case {
        SndResamplerInit init;
        int ch;
        uint32_t step;
        int32_t block;
    };
    const Case cases[] = {
        {sndlinearstereoinit, 2, 0x8000, 256}, {sndlinearmonoinit, 1, 0x8000, 256},
        {sndlinearstereoinit, 2, 0x6000, 255}, {sndlinearstereoinit, 2, 0x18000, 256},
        {sndlinearstereoinit, 2, 0x20000, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        Driven d(c.init, c.step);
        size_t k = 0;
        for (int b = 0; b < 4; ++b) {
            std::vector<float> out = d.run(c.block, c.ch, identity);
            for (int32_t i = 0; i < c.block; ++i, ++k) {
                double expect = static_cast<double>(k) * c.step / 65536.0;
                ASSERT_NEAR(out[static_cast<size_t>(i * c.ch)], expect, 1e-2) << "block " << b << " frame " << i;
                if (c.ch == 2) {
                    ASSERT_NEAR(out[static_cast<size_t>(i * 2 + 1)], expect + 1000, 1e-2);
                }
            }
        }
    }
}

TEST(Resamplers, NearestRepeatsEachFrameExactlyAcrossBlocks)
{
    Driven d(sndneareststereoinit, 0x8000);
    std::vector<float> all;
    for (int b = 0; b < 3; ++b) {
        std::vector<float> out = d.run(255, 2, identity); // odd, so blocks end between repeats
        for (size_t i = 0; i < out.size(); i += 2) all.push_back(out[i]);
    }
    for (size_t k = 0; k < all.size(); ++k) ASSERT_EQ(all[k], static_cast<float>(k / 2)) << k;
}

TEST(Resamplers, FirstCallsAskForTheFramesTheyCarry)
{
    Driven stereo(sndlinearstereoinit, 0x20000);
    EXPECT_EQ(stereo.input_needed(&stereo.r, 256), 512);
    stereo.run(256, 2, identity);
    EXPECT_EQ(stereo.input_needed(&stereo.r, 256), 512);

    // A change within a class keeps the position; across classes it resets.
    Driven d(sndlinearstereoinit, 0x18000);
    d.run(255, 2, identity);
    uint32_t frac = d.r.frac;
    ASSERT_NE(frac, 0u);
    d.set_step(&d.r, 0x14000);
    EXPECT_EQ(d.r.frac, frac);
    EXPECT_EQ(d.r.primed, 1);
    d.set_step(&d.r, 0xC000);
    EXPECT_EQ(d.r.frac, 0u);
    EXPECT_EQ(d.r.primed, 0);
}

TEST(Levels, SetLevelsChoosesWhatIsAdded)
{
    SndLevels l{};
    SndMix mixfn = nullptr;
    SndSetLevels set = nullptr;
    sndlevelsstereoinit(&l, &mixfn, &set);
    set(&l, 0, 0);
    EXPECT_EQ(mixfn, nullptr);
    float in[4] = {1000, -2000, 3, 4}, buf[4] = {1, 1, 1, 1};
    set(&l, 127, 127);
    mixfn(&l, 2, in, buf);
    EXPECT_EQ(std::vector<float>(buf, buf + 4), (std::vector<float>{1001, -1999, 4, 5}));
    set(&l, 0, 127);
    std::fill(buf, buf + 4, 0.0f);
    mixfn(&l, 2, in, buf);
    EXPECT_EQ(std::vector<float>(buf, buf + 4), (std::vector<float>{0, -2000, 0, 4}));
    SndLevels m{};
    sndlevelsmonoinit(&m, &mixfn, &set);
    set(&m, 127, 0);
    std::fill(buf, buf + 4, 0.0f);
    mixfn(&m, 2, in, buf);
    EXPECT_EQ(std::vector<float>(buf, buf + 4), (std::vector<float>{1000, 0, -2000, 0}));
}

TEST(Levels, PanLawsAndFixedTrigonometry)
{
    struct Pan {
        int32_t pan, left, right;
    };
    for (Pan p : {Pan{64, 100, 100}, Pan{0, 100, 0}, Pan{127, 0, 100}, Pan{96, 48, 100}}) {
        int32_t l, r;
        sndbalancepan(p.pan, 100, &l, &r);
        EXPECT_EQ(l, p.left) << p.pan;
        EXPECT_EQ(r, p.right) << p.pan;
    }
    struct Angle {
        uint32_t angle;
        int32_t v, left, right;
    };
    for (Angle a : {Angle{0, 100, 100, 100}, Angle{0x4000, 100, 0, 127}, Angle{0x4000, 50, 0, 100},
                    Angle{0xC000, 50, 100, 0}}) {
        int32_t l, r;
        sndanglepan(a.angle, a.v, &l, &r);
        EXPECT_EQ(l, a.left) << a.angle;
        EXPECT_EQ(r, a.right) << a.angle;
    }
    EXPECT_EQ(sndfinesin(0), 0);
    EXPECT_EQ(sndfinesin(0x4000), 65536);
    EXPECT_EQ(sndfinecos(0x4000), 0);
    EXPECT_EQ(sndfinecos(0), 65536);
    EXPECT_EQ(sndtablesin(512 + 256), -65536);
    uint8_t ff = 0xFF, big[2] = {0x80, 0x00}, four[4] = {0xFF, 0xFF, 0xFF, 0xFE};
    EXPECT_EQ(sndgetbigendian(&ff, 1), -1);
    EXPECT_EQ(sndgetbigendian(big, 2), -32768);
    EXPECT_EQ(sndgetbigendian(four, 4), -2);
}

// Compression 7 blocks: a header byte (filter, shift) then 14 bytes of codes.

class Comp7 : public Mixer {
protected:
    SndFetch fetch = nullptr;
    SndPosition position = nullptr;
    alignas(16) uint8_t state[SND_SOURCE_STATE] = {};
    std::vector<float> out = std::vector<float>(600, -7.0f);
};

TEST_F(Comp7, BlocksDecodeByFilterAndShift)
{
    std::vector<uint8_t> data = monoblock(0x00, {}), ones = monoblock(0x0C, std::vector<uint8_t>(28, 1));
    data.insert(data.end(), ones.begin(), ones.end());
    // The last sample of a third block sets the history; filter 1 then decays it.
    std::vector<uint8_t> codes(28, 0);
    codes[27] = 1;
    std::vector<uint8_t> set = monoblock(0x02, codes), decay = monoblock(0x1C, {});
    data.insert(data.end(), set.begin(), set.end());
    data.insert(data.end(), decay.begin(), decay.end());
    sndcodectable[16](0, state, reinterpret_cast<intptr_t>(data.data()), 112, 0, 0, &fetch, &position);
    ASSERT_EQ(fetch(state, 112, out.data()), 1);
    for (int i = 0; i < 28; ++i) EXPECT_EQ(out[static_cast<size_t>(i)], 0.0f) << i;
    for (int i = 28; i < 56; ++i) EXPECT_EQ(out[static_cast<size_t>(i)], 1.0f) << i;
    EXPECT_EQ(out[83], 1024.0f);
    EXPECT_EQ(out[84], 960.0f);
    EXPECT_EQ(out[85], 900.0f);
    EXPECT_EQ(out[86], 843.75f);
    EXPECT_EQ(position(state), 112);
}

TEST_F(Comp7, AOneShotEndsAfterItsLastWholeBlock)
{
    std::vector<uint8_t> data = monoblock(0x0C, std::vector<uint8_t>(28, 1)), b = monoblock(0x0C, std::vector<uint8_t>(28, 2));
    data.insert(data.end(), b.begin(), b.end());
    sndcodectable[16](0, state, reinterpret_cast<intptr_t>(data.data()), 30, 0, 0, &fetch, &position);
    ASSERT_EQ(fetch(state, 256, out.data()), 1);
    EXPECT_EQ(out[29], 2.0f);
    EXPECT_EQ(out[55], 2.0f); // the whole last block stays in
    EXPECT_EQ(out[56], 0.0f);
    EXPECT_EQ(out[255], 0.0f);
    EXPECT_EQ(fetch(state, 256, out.data()), -1);

    // Asked for less than a block, the rest is carried to the next fetch.
    sndcodectable[16](0, state, reinterpret_cast<intptr_t>(data.data()), 56, 0, 0, &fetch, &position);
    ASSERT_EQ(fetch(state, 20, out.data()), 1);
    ASSERT_EQ(fetch(state, 20, out.data() + 20), 1);
    ASSERT_EQ(fetch(state, 20, out.data() + 40), 1);
    EXPECT_EQ(out[27], 1.0f);
    EXPECT_EQ(out[28], 2.0f);
    EXPECT_EQ(out[55], 2.0f);
    EXPECT_EQ(out[56], 0.0f);
}

TEST_F(Comp7, ALoopReturnsToItsStartWithTheHistoryItHadThere)
{
    // Block 0: filter 0 ones; block 1: filter 1 ramps on the history.
    std::vector<uint8_t> data = monoblock(0x0C, std::vector<uint8_t>(28, 1)), b = monoblock(0x1C, std::vector<uint8_t>(28, 1));
    data.insert(data.end(), b.begin(), b.end());
    sndcodectable[17](0, state, reinterpret_cast<intptr_t>(data.data()), 56, 30, 40, &fetch, &position);
    std::vector<float> first(200);
    ASSERT_EQ(fetch(state, 200, first.data()), 1);
    // Frames 0..40, then 30..40 again and again, the same values each time.
    for (int k = 0; k < 11; ++k) {
        EXPECT_EQ(first[static_cast<size_t>(41 + k)], first[static_cast<size_t>(30 + k)]) << k;
        EXPECT_EQ(first[static_cast<size_t>(52 + k)], first[static_cast<size_t>(30 + k)]) << k;
    }
    EXPECT_NE(first[30], first[31]);
}

TEST_F(Comp7, ConvertingASampleAveragesToSixteenBitMono)
{
    int16_t stereo[4] = {100, 301, -5, -6};
    int16_t out16[3] = {9, 9, 9};
    EXPECT_EQ(iSNDconvertsample(stereo, 0, 2, 0, 0, 2, out16, 0, 1), 0);
    EXPECT_EQ(out16[0], 200);
    EXPECT_EQ(out16[1], -6);
    EXPECT_EQ(out16[2], 9);
    std::vector<uint8_t> xa = monoblock(0x0C, std::vector<uint8_t>(28, 1));
    std::vector<int16_t> outxa(28, 9);
    EXPECT_EQ(iSNDconvertsample(xa.data(), 3, 1, 2, 5, 28, outxa.data(), 0, 1), 0);
    EXPECT_EQ(outxa[0], 1);
    EXPECT_EQ(outxa[3], 1);
    EXPECT_EQ(outxa[4], 9);
    EXPECT_EQ(iSNDconvertsample(stereo, 0, 3, 0, 0, 2, out16, 0, 1), -1);
    EXPECT_TRUE(aborts.saw("iSNDconvertsample - CAN'T CONVERT XA WITH 3 CHANNELS."));
}

void silent_subframe_table(Bits9& b)
{
    b.subframe(0, 0, 0), b.code("11111111"), b.put(63, 6), b.code("11111111"), b.put(31, 6);
}

class Comp9 : public Comp7 {};

TEST_F(Comp9, TwoLevelPulsesAndCopiesMakeTheExcitation)
{
    Bits9 b;
    b.header(0, 0, 0, 0); // first gain 8
    b.flat(false);
    b.subframe(0, 0, 0);
    b.code("11"), b.code("10"); // +2, -2
    for (int i = 2; i < 108; ++i) b.code("0");
    b.subframe(0, 15, 0); // a full copy of the subframe before, no pulses
    for (int i = 0; i < 108; ++i) b.code("0");
    for (int s = 2; s < 4; ++s) {
        b.subframe(0, 0, 1); // gain 8 x 1.04
        b.code("11");
        for (int i = 1; i < 108; ++i) b.code("0");
    }
    sndcodectable[24](0, state, reinterpret_cast<intptr_t>(b.bytes.data()), 432, 0, 0, &fetch, &position);
    ASSERT_EQ(fetch(state, 432, out.data()), 1);
    EXPECT_EQ(out[0], 16.0f);
    EXPECT_EQ(out[1], -16.0f);
    EXPECT_EQ(out[2], 0.0f);
    EXPECT_EQ(out[108], 16.0f);
    EXPECT_EQ(out[109], -16.0f);
    EXPECT_FLOAT_EQ(out[216], 16.0f * 1.04f);
    EXPECT_FLOAT_EQ(out[324], 16.0f * 1.04f);
    EXPECT_EQ(out[325], 0.0f);
    EXPECT_EQ(fetch(state, 1, out.data()), -1);
}

TEST_F(Comp9, TablePrefixCodesEscapesAndZeroRuns)
{
    Bits9 b;
    b.header(0, 0, 0, 0);
    b.flat(true);
    b.subframe(0, 0, 0);
    b.code("1101");                 // +2, to state 1
    b.code("00");                   // 0, to state 0
    b.code("11111110"), b.code("110"), b.code("1"); // escape: 7 + 2 = +9
    b.code("1111111"), b.put(63, 6); // state 1 zero run: 70
    for (int i = 73; i < 108; ++i) b.code("00");
    for (int s = 1; s < 4; ++s) silent_subframe_table(b);
    sndcodectable[24](0, state, reinterpret_cast<intptr_t>(b.bytes.data()), 432, 0, 0, &fetch, &position);
    ASSERT_EQ(fetch(state, 432, out.data()), 1);
    EXPECT_EQ(out[0], 16.0f);
    EXPECT_EQ(out[1], 0.0f);
    EXPECT_EQ(out[2], 72.0f);
    for (int i = 3; i < 432; ++i) ASSERT_EQ(out[static_cast<size_t>(i)], 0.0f) << i;
}

TEST_F(Comp9, AOneShotDeliversItsFramesThenZerosThenEnds)
{
    std::vector<uint8_t> data(1000, 0);
    sndcodectable[24](0, state, reinterpret_cast<intptr_t>(data.data()), 1000, 0, 0, &fetch, &position);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(fetch(state, 256, out.data()), 1);
    std::fill(out.begin(), out.end(), 5.0f);
    ASSERT_EQ(fetch(state, 256, out.data()), 1);
    EXPECT_EQ(out[255], 0.0f);
    EXPECT_EQ(position(state), 1024);
    EXPECT_EQ(fetch(state, 256, out.data()), -1);
}

} // namespace

