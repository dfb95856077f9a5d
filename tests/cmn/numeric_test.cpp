#include "cmn/cpu.h"
#include "cmn/fixtables.h"
#include "cmn/libtest.h"
#include "cmn/numeric.h"
#include "cmn/project.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

TEST(FixTrig, SineAndCosineOnTheCircle)
{
    struct Case {
        int32_t angle, sine;
    };
    const Case cases[] = {{0, 0},         {256, 65536}, {512, 0},     {768, -65536}, {1024 + 128, 46340},
                          {-256, -65536}, {105, 39361}, {256 + 114, 50145}, {2048 + 640, -46340}};
    for (const Case& c : cases) EXPECT_EQ(fixsin(c.angle), c.sine) << c.angle;
    EXPECT_EQ(fixcos(0), 65536);
    EXPECT_EQ(fixcos(512), -65536);
    EXPECT_EQ(fixcos(256), 0);
}

TEST(FixTrig, TablesHoldTheirFormulas)
{
    const int lower[] = {105, 142, 144, 222};
    for (int i = 0; i <= 256; ++i) {
        int32_t expected = static_cast<int32_t>(std::floor(std::sin(i * 2 * M_PI / 1024) * 65536));
        if (std::find(std::begin(lower), std::end(lower), i) != std::end(lower)) --expected;
        EXPECT_EQ(fixsintable[i], expected) << i;
        EXPECT_EQ(fixatantable[i], std::lrint(std::atan(i / 256.0) * 512 / M_PI)) << i;
    }
}

TEST(FixTrig, ArctangentOfEachQuadrant)
{
    struct Case {
        int32_t y, x, angle;
    };
    const Case cases[] = {
        {0, 1, 0},       {1, 0, 256},          {0, -1, 512},      {-1, -1, -384},  {-1, 1, -128},
        {0, 0, 128},     {1, 1, 128},          {100, 256, 61},    {-100, 256, -61}, {256, -100, 256 + 61},
        {INT32_MIN, 1, -256}, {0x7FFFFFFF, 0x40000000, 256 - 76},
    };
    for (const Case& c : cases) EXPECT_EQ(fixatan2(c.y, c.x), c.angle) << c.y << "," << c.x;
}

TEST(Crc16, KnownValues)
{
    EXPECT_EQ(crc16("abc", 3), 0x535A);
    EXPECT_EQ(crc16("", 0), 0xFBEA);
}

Word64 w(uint64_t v) { return Word64{static_cast<uint32_t>(v), static_cast<uint32_t>(v >> 32)}; }

TEST(Math64, ProductsShiftsAndSums)
{
    EXPECT_EQ(mul32x32(0xFFFFFFFF, 0xFFFFFFFF), w(0xFFFFFFFE00000001));
    EXPECT_EQ(imul32x32(-2, 3), w(static_cast<uint64_t>(-6)));
    EXPECT_EQ(imul32x32(INT32_MIN, INT32_MIN), w(0x4000000000000000));
    EXPECT_EQ(add64(w(0xFFFFFFFF), w(1)), w(0x100000000));
    EXPECT_EQ(neg64(w(1)), w(~uint64_t{0}));
    EXPECT_EQ(shl64(w(0x80000001), 32), w(0x8000000100000000));
    EXPECT_EQ(shr64(w(0x8000000000000000), 63), w(1));
    EXPECT_EQ(sar64(w(0x8000000000000000), 63), w(~uint64_t{0}));
    EXPECT_EQ(sar64(w(0x4000000000000000), 62), w(1));
    EXPECT_EQ(widenshift(-1, 4), w(0xFFFFFFFFFFFFFFF0));
}

TEST(Math64, DivisionsTruncateTowardZero)
{
    struct Case {
        int64_t n;
        int32_t d, q, r;
    };
    const Case cases[] = {{7, 2, 3, 1}, {-7, 2, -3, -1}, {7, -2, -3, 1}, {-7, -2, 3, -1}, {0x7FFFFFFF00, 0x100, 0x7FFFFFFF, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(idiv64by32(w(static_cast<uint64_t>(c.n)), c.d), c.q) << c.n << "/" << c.d;
        EXPECT_EQ(imod64by32(w(static_cast<uint64_t>(c.n)), c.d), c.r) << c.n << "%" << c.d;
    }
    EXPECT_EQ(div64by32(w(0xFFFFFFFE00000001), 0xFFFFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(umod64by32(w(1000000007), 1000), 7u);
}

TEST(Math64, FixDivModRefusesZeroAndOverflow)
{
    AbortCatcher aborts;
    int32_t remainder = 99;
    EXPECT_EQ(fixdivmod(0x18000, 0x8000, &remainder), 0x30000); // 1.5 / 0.5
    EXPECT_EQ(remainder, 0);
    EXPECT_EQ(fixdivmod(-0x10000, 3, &remainder), -0x55555555);
    EXPECT_EQ(remainder, -1);
    EXPECT_EQ(aborts.count(), 0u);

    EXPECT_EQ(fixdivmod(5, 0, &remainder), 0);
    EXPECT_EQ(remainder, 0);
    EXPECT_TRUE(aborts.saw("fixdivmod - DIVISION BY ZERO\n"));
    EXPECT_EQ(fixdivmod(0x7FFFFFFF, 1, &remainder), 0);
    EXPECT_EQ(fixdivmod(INT32_MIN, -1, &remainder), 0);
    EXPECT_EQ(aborts.count(), 3u);
    EXPECT_TRUE(aborts.saw("fixdivmod - QUOTIENT OVERFLOW"));
}

TEST(MemoryMove, EveryOverlapMatchesMemmove)
{
    struct Case {
        int from, to, count;
    };
    const Case cases[] = {{10, 11, 10}, {11, 10, 3}, {10, 11, 3}, {10, 13, 2}, {13, 10, 2},
                          {3, 40, 100}, {40, 3, 100}, {1, 2, 77}, {2, 1, 77}, {5, 5, 9}, {7, 8, 0}};
    for (const Case& c : cases) {
        std::vector<uint8_t> ours(200), theirs(200);
        std::iota(ours.begin(), ours.end(), 0);
        theirs = ours;
        memmove_fast(ours.data() + c.from, ours.data() + c.to, static_cast<uint32_t>(c.count));
        std::memmove(theirs.data() + c.to, theirs.data() + c.from, static_cast<size_t>(c.count));
        EXPECT_EQ(ours, theirs) << c.from << "->" << c.to << " x" << c.count;
    }
}

TEST(MemoryMove, PixelRowsMoveTheirWidthInBytes)
{
    struct Case {
        void (*copy)(void*, const void*, uint32_t);
        uint32_t count, bytes;
    };
    const Case cases[] = {{copypixels4, 7, 3},   {copypixels8, 7, 7},   {copypixels16, 7, 14},
                          {copypixels24, 7, 21}, {copypixels32, 7, 28}};
    for (const Case& c : cases) {
        uint8_t source[32], destination[32] = {};
        std::iota(std::begin(source), std::end(source), 1);
        c.copy(destination, source, c.count);
        EXPECT_EQ(std::memcmp(destination, source, c.bytes), 0) << c.bytes;
        EXPECT_EQ(destination[c.bytes], 0) << c.bytes;
    }
}

TEST(Processor, MeasuredClockSnapsToANominalOne)
{
    struct Case {
        uint64_t measured, nominal;
    };
    const Case cases[] = {{199400000, 200000000}, {233000000, 233000000}, {350000000, 360000000},
                          {4500000000, 4500000000}, {5000200000, 5000000000}};
    for (const Case& c : cases) EXPECT_EQ(nominalcpuclock(c.measured), c.nominal) << c.measured;
}

TEST(Processor, IsmmxOverridesTheDetection)
{
    ::setenv("ISMMX", "0", 1);
    detectcpu();
    EXPECT_FALSE(libcpu.mmx);
    ::setenv("ISMMX", "1", 1);
    detectcpu();
    EXPECT_TRUE(libcpu.mmx);
    ::unsetenv("ISMMX");
    detectcpu();
    EXPECT_TRUE(libcpu.detected);
    if (cpuidsupported()) {
        EXPECT_GT(libcpu.maxfunction, 0u);
    }
}

TEST(Projection, PointsThroughTheFieldOfView)
{
    setprojectionorigin(10, 20);
    setfieldofview(90, 0, 640, 480);
    EXPECT_EQ(libprojection.hangle, 256);
    EXPECT_EQ(libprojection.centrex, 330);
    EXPECT_EQ(libprojection.centrey, 260);
    EXPECT_EQ(libprojection.xscale, 0); // cos of a right angle
    setfieldofview(60, 40, 640, 480);
    EXPECT_EQ(libprojection.hangle, 170);
    EXPECT_EQ(libprojection.vangle, 113);
    EXPECT_NEAR(libprojection.xscale, 320 / std::tan(170 * M_PI / 512), 2);
    EXPECT_LT(libprojection.yscale, 0);

    int32_t out[2];
    ProjPoint ahead{0, 0, 100};
    projectpoint(&ahead, out);
    EXPECT_EQ(out[0], 330);
    EXPECT_EQ(out[1], 260);
    libprojection.clipflags = 0;
    ProjPoint behind{5, 5, 0};
    projectpoint(&behind, out);
    EXPECT_EQ(out[0], INT32_MIN);
    EXPECT_EQ(out[1], INT32_MIN);
    EXPECT_EQ(libprojection.clipflags & 1, 1u);
    setprojectionorigin(0, 0);
}

} // namespace
