#include "cmn/libtest.h"
#include "cmn/memstd.h"
#include "win/ddraw.h"
#include "win/palette.h"
#include "win/wind.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class Windows : public ::testing::Test {
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
};

TEST_F(Windows, RowBytesAndTablesFollowTheGeometry)
{
    const struct {
        int32_t width, height, bpp, rowbytes;
    } cases[] = {{640, 480, 8, 640}, {3, 1, 4, 2}, {5, 2, 15, 10}, {7, 1, 24, 21}, {9, 1, 1, 2}, {4, 1, 32, 16}};
    for (const auto& c : cases) {
        WIND* w = createwindow(c.width, c.height, c.bpp, 0, 1);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->rowbytes, c.rowbytes) << c.width << "x" << c.bpp;
        EXPECT_EQ(w->rowtable[0], 16u);
        if (c.height > 1) {
            EXPECT_EQ(w->rowtable[1], 16u + static_cast<uint32_t>(c.rowbytes));
        }
        EXPECT_EQ(w->format, bpptoformat(c.bpp));
        EXPECT_EQ(windowshape(w)[0], w->format);
        EXPECT_EQ(checkwindow(w), 1);
        disposewindow(w);
    }
}

TEST_F(Windows, EqualGeometriesShareTablesAndFreeingMergesThePool)
{
    uint32_t blocks = 0, entries = 0;
    rowspacefree(&blocks, &entries);
    const uint32_t all = entries;
    WIND* a = createwindow(64, 32, 16, 0, 1);
    WIND* b = createwindow(64, 32, 16, 0, 1);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->rowtable, b->rowtable);
    EXPECT_EQ(a->columntable, b->columntable);
    disposewindow(a);
    EXPECT_EQ(b->rowtable[31], 16u + 31u * 128u);
    disposewindow(b);
    rowspacefree(&blocks, &entries);
    EXPECT_EQ(blocks, 1u);
    EXPECT_EQ(entries, all);
}

TEST_F(Windows, TablesOfDifferentStepsNeverShareEvenWhenTheirFirstEntriesAgree)
{
    WIND* one = createwindow(16, 1, 1, 0, 1);
    WIND* four = createwindow(16, 1, 4, 0, 1);
    ASSERT_TRUE(one && four);
    EXPECT_NE(one->columntable, four->columntable);
    EXPECT_EQ(one->columntable[8], 1u);
    EXPECT_EQ(four->columntable[8], 4u);
    disposewindow(one);
    disposewindow(four);
}

TEST_F(Windows, BadRequestsAreReportedAndGiveNothing)
{
    AbortCatcher aborts;
    EXPECT_EQ(createwindow(16385, 1, 8, 0, 1), nullptr);
    EXPECT_TRUE(aborts.saw("createwindow - INVALID WINDOW DIMENSIONS\n"));
    EXPECT_EQ(createwindow(1, 1, 12, 0, 1), nullptr);
    EXPECT_TRUE(aborts.saw("createwindow - INVALID DEPTH\n"));
    EXPECT_EQ(createwindow(4000, 4000, 32, 0, 1), nullptr);
    EXPECT_TRUE(aborts.saw("createwindowadr - OUT OF MEMORY\n"));
    size_t seen = aborts.count();
    EXPECT_EQ(createwindowquiet(1, 1, 12, 0), nullptr);
    EXPECT_EQ(aborts.count(), seen);

    WIND* w = createwindow(4, 4, 8, 0, 1);
    WIND copy = *w;
    disposewindow(w);
    EXPECT_EQ(checkwindow(&copy), 1); // the copy kept the live id
    copy.id = WIND_DISPOSED;
    EXPECT_EQ(checkwindow(&copy), 0);
    EXPECT_TRUE(aborts.saw("checkwindow - BAD WINDOW FIELD 'id'.\nVALUE IS 57494e6b.  SHOULD BE 57494e44."));
    copy.id = WIND_ID;
    copy.maxy = 20000;
    EXPECT_EQ(checkwindow(&copy), 0);
    EXPECT_TRUE(aborts.saw("checkwindow - BAD WINDOW FIELD 'maxy'.\nVALUE IS 20000.  SHOULD BE 0..16384."));
    EXPECT_EQ(lockwindow(&copy), 0);

    uint32_t stray[8] = {};
    removewindow(stray + 5);
    EXPECT_TRUE(aborts.saw("removewindow - ROW SPACE CORRUPTED\n"));

    freerowspace();
    EXPECT_EQ(createwindow(4, 4, 8, 0, 1), nullptr);
    EXPECT_TRUE(aborts.saw("createwindow - ROW TABLE MANAGER NOT INITIALIZED\n"));
    setrowspace(nullptr, 100);
    EXPECT_EQ(initrow(), 0);
    EXPECT_TRUE(aborts.saw("initrow - INSUFFICIENT ROW TABLE SPACE (100)\nMUST BE AT LEAST 204.\n"));
}

TEST_F(Windows, LockingMakesAWindowCurrentAndUnlockingKeepsTheFrontsFormat)
{
    WIND* w = createwindow(10, 10, 16, 0, 1);
    ASSERT_EQ(lockwindow(w), 1);
    EXPECT_EQ(pixeladdress(3, 2), windowshape(w) + 16 + 2 * 20 + 3 * 2);
    WIND saved[2];
    copycurrentwindow(saved);
    unlockwindow();
    EXPECT_EQ(currentwindow.base, nullptr);
    setcurrentwindow(saved);
    EXPECT_EQ(currentwindow.base, w->base);
    unlockwindow();
    disposewindow(w);
}

TEST_F(Windows, VideoWindowsFollowTheirSurfacesPitch)
{
    std::vector<uint8_t> memory(64 * 2048);
    WIND* v = makevideowindow(64, 32, 2048, 16, 0, memory.data(), nullptr);
    ASSERT_NE(v, nullptr);
    uint32_t* rows = v->rowtable;
    EXPECT_EQ(rows[3], 3u * 2048u);
    updatevideowindow(v, 2048, memory.data() + 8);
    EXPECT_EQ(v->rowtable, rows);
    EXPECT_EQ(v->base, memory.data() + 8);
    v->maxx = 1000;
    updatevideowindow(v, 1024, memory.data());
    EXPECT_EQ(v->rowtable[3], 3u * 1024u);
    EXPECT_EQ(v->maxx, 64);
    freevideowindow(v);

    AbortCatcher aborts;
    EXPECT_EQ(makevideowindow(2401, 10, 4800, 16, 0, nullptr, nullptr), nullptr);
    EXPECT_TRUE(aborts.saw("makevideowindow - INVALID WINDOW DIMENSIONS\n"));
}

TEST(MemoryFills, WordsThenHalfAndByteTails)
{
    std::vector<uint8_t> b(8, 0);
    fillmem32(b.data(), 7, 0x44332211);
    EXPECT_EQ(b, (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44, 0x11, 0x22, 0x33, 0}));
    fillmem16(b.data(), 3, 0xBBAA);
    EXPECT_EQ(b[0], 0xAA);
    EXPECT_EQ(b[1], 0xBB);
    EXPECT_EQ(b[2], 0xAA);
    EXPECT_EQ(b[3], 0x44);
}

} // namespace
