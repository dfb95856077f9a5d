#include "cmn/libtest.h"
#include "cmn/memstd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr int CLS = 5;

// A class over a small arena, with the arena's own settings unless a test
// asks for others.
class MemArena : public ::testing::Test {
protected:
    void SetUp() override { make(8, 32, 16, true); }
    void TearDown() override { deletememclass(CLS); }

    void make(uint32_t granularity, uint32_t alignment, uint32_t trailer, bool full)
    {
        deletememclass(CLS);
        std::fill(arena.begin(), arena.end(), uint8_t{0xCD});
        initial = creatememclass(CLS, "TEST", arena.data(), static_cast<uint32_t>(arena.size()), granularity,
                                 alignment, trailer, full, full, full, true, nullptr);
        ASSERT_GT(initial, 0u);
    }

    // The data bytes a block takes in the arena's settings.
    static uint32_t need(uint32_t size, const char* name)
    {
        uint32_t overhead = 16 + (name ? static_cast<uint32_t>(std::strlen(name)) + 1 : 0);
        return (std::max(size, 8u) + overhead + 7 + 16) / 8 * 8 - 16;
    }

    // Every block's neighbours point back at it, and the free list holds
    // exactly the free blocks, in address order.
    static bool chain_is_sound()
    {
        MemClass* c = memclassrecord(CLS);
        std::vector<uint32_t> free_by_chain;
        for (uint32_t at = 0;;) {
            MemBlockHeader* block = memheader(c, at);
            if (block->signature != MEMSIG_USED && block->signature != MEMSIG_FREE) return false;
            if (block->signature == MEMSIG_FREE) {
                free_by_chain.push_back(at);
                if (block->size != block->next - at - 16) return false;
            }
            if (block->next == 0) break;
            if (block->next <= at || memheader(c, block->next)->prev != at) return false;
            at = block->next;
        }
        std::vector<uint32_t> free_by_list;
        uint32_t head = memoffset(c, &c->head);
        for (uint32_t at = c->firstfree; at != head;) {
            free_by_list.push_back(at);
            at = reinterpret_cast<uint32_t*>(memheader(c, at) + 1)[0];
        }
        return free_by_chain == free_by_list;
    }

    alignas(32) std::array<uint8_t, 65536> arena;
    uint32_t initial = 0;
};

TEST_F(MemArena, ReservedBlockCarriesNameSizeTrailerAndSite)
{
    uint8_t* data = static_cast<uint8_t*>(reservememadr("rowtbl", 3, CLS));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(memblocksize(data), 3u);
    EXPECT_STREQ(memblockname(data), "rowtbl");
    EXPECT_EQ(memblockflags(data) & 0x70F, 0x700u | CLS);
    EXPECT_EQ(std::memcmp(data + 3, "BEND", 4), 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(data) % 8, 0u);
    EXPECT_EQ(checksentinel(memheaderof(data)), 1);
    // Small requests still take 8 data bytes and the trailer.
    EXPECT_EQ(largestfreememclass(CLS), initial - need(3, "rowtbl") - 16);
    EXPECT_EQ(memblockoverhead("rowtbl", CLS), 16u + 7u);

    void* unnamed = reservememadr(nullptr, 40, CLS);
    EXPECT_EQ(memblockname(unnamed), nullptr);
    EXPECT_EQ(memblockflags(unnamed) & MEM_NAMED, 0u);
    EXPECT_TRUE(chain_is_sound());
}

TEST_F(MemArena, FreeBlockIsSplitOnlyWhenMoreThan64BytesAreLeft)
{
    struct Case {
        uint32_t spare;
        uint32_t free_after;
    };
    for (Case c : {Case{64, 0}, Case{72, 56}}) {
        make(8, 32, 16, true);
        // A request whose need leaves exactly c.spare bytes of the only free block.
        uint32_t size = initial - c.spare - 16;
        ASSERT_EQ(need(size, nullptr), initial - c.spare);
        void* block = reservememadr(nullptr, static_cast<int32_t>(size), CLS);
        ASSERT_NE(block, nullptr) << c.spare;
        EXPECT_EQ(largestfreememclass(CLS), c.free_after) << c.spare;
        EXPECT_EQ(memblocksize(block), size);
        EXPECT_TRUE(chain_is_sound());
    }
}

TEST_F(MemArena, LowAndHighReservationsGrowTowardsEachOther)
{
    auto* low = static_cast<uint8_t*>(reservememadr("low", 100, CLS));
    auto* high = static_cast<uint8_t*>(reservememadr("high", 100, CLS | MEM_HIGH));
    auto* low2 = static_cast<uint8_t*>(reservememadr("low2", 100, CLS));
    ASSERT_TRUE(low && high && low2);
    EXPECT_LT(low, low2);
    EXPECT_LT(low2, high);
    EXPECT_GT(high, arena.data() + arena.size() - 400);
    EXPECT_NE(memblockflags(high) & MEM_HIGH, 0u);
    EXPECT_TRUE(chain_is_sound());
}

TEST_F(MemArena, LargestFlagTakesTheLargestFreeBlock)
{
    void* a = reservememadr("a", 200, CLS);
    void* b = reservememadr("b", 100, CLS);
    void* c = reservememadr("c", 2000, CLS);
    void* d = reservememadr("d", 100, CLS);
    purgememadr(a);
    purgememadr(c);
    // The first fit is a's hole; the largest is the rest of the arena.
    EXPECT_EQ(reservememadr("x", 150, CLS), a);
    void* largest = reservememadr("y", 150, CLS | MEM_LARGEST);
    EXPECT_GT(largest, d);
    EXPECT_TRUE(chain_is_sound());
    (void)b;
}

TEST_F(MemArena, PurgingThreeNeighboursInAnyOrderLeavesOneBlock)
{
    std::array<int, 3> order{0, 1, 2};
    do {
        make(8, 32, 16, true);
        void* blocks[3] = {reservememadr("A", 500, CLS), reservememadr("B", 700, CLS), reservememadr("C", 90, CLS)};
        for (int i : order) {
            EXPECT_EQ(purgememadr(blocks[i]), 1);
            EXPECT_TRUE(chain_is_sound());
        }
        EXPECT_EQ(largestfreememclass(CLS), initial) << order[0] << order[1] << order[2];
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(MemArena, PurgingTwiceIsReportedAndHarmless)
{
    AbortCatcher aborts;
    void* a = reservememadr("A", 64, CLS);
    void* b = reservememadr("B", 64, CLS);
    void* c = reservememadr("C", 64, CLS);
    (void)c;

    // B alone: it stays a free block of its own, its flags kept and marked free.
    uint32_t flags = memblockflags(b);
    ASSERT_EQ(purgememadr(b), 1);
    EXPECT_EQ(memblockflags(b), flags | MEM_FREE);
    EXPECT_EQ(purgememadr(b), 0);
    EXPECT_TRUE(aborts.saw("purgememadr - NOT A MEMBLOCK.  BLOCK @ 0x"));
    EXPECT_NE(aborts.messages().back().find("SIGNATURE 'FB' (0x4642)"), std::string::npos) << aborts.messages().back();

    // A, then B absorbed into A: the stale B must not pass for a block.
    b = reservememadr("B", 64, CLS);
    ASSERT_EQ(purgememadr(a), 1);
    ASSERT_EQ(purgememadr(b), 1);
    uint32_t free_before = largestfreememclass(CLS);
    EXPECT_EQ(purgememadr(b), 0);
    EXPECT_EQ(aborts.count(), 2u);
    EXPECT_EQ(largestfreememclass(CLS), free_before);
    EXPECT_TRUE(chain_is_sound());
    EXPECT_EQ(validatemem(CLS), 1);
}

TEST_F(MemArena, FailuresAreReportedWithTheLargestFreeBlock)
{
    AbortCatcher aborts;
    EXPECT_EQ(reservememadr("VIDWIND", 70000, CLS), nullptr);
    EXPECT_EQ(reservememadr("neg", -5, CLS), nullptr);
    char expected[128];
    std::snprintf(expected, sizeof expected, "reservememadr - OUT OF MEMORY\nrequested 'VIDWIND': 70000\navailable: %u. type 0005\n",
                  initial);
    ASSERT_EQ(aborts.count(), 2u);
    EXPECT_EQ(aborts.messages()[0], expected);
    EXPECT_TRUE(aborts.saw("reservememadr - INVALID SIZE REQUESTED\nrequested 'neg': -5\n"));
    // The class lock was left: another thread can still reserve.
    void* other = nullptr;
    std::thread([&] { other = reservememadr("other", 10, CLS); }).join();
    EXPECT_NE(other, nullptr);
}

TEST_F(MemArena, ClassNumbersAboveFifteenUseTheirLowBits)
{
    AbortCatcher aborts;
    EXPECT_EQ(memclassrecord(16 + CLS), memclassrecord(CLS));
    EXPECT_EQ(largestfreememclass(32 + CLS), initial);
    EXPECT_EQ(memclasstrailer(48 + CLS), 16u);
    EXPECT_EQ(creatememclass(16, "X", arena.data(), 4096, 8, 32, 16, true, true, true, false, nullptr), 0u);
    EXPECT_TRUE(aborts.saw("creatememclass - CLASS NUMBER OF 16 IS OUT OF RANGE. SHOULD BE 0..16\n"));
}

TEST_F(MemArena, ThreadsReserveAndPurgeTogether)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            std::vector<void*> mine;
            for (int i = 0; i < 400; ++i) {
                mine.push_back(reservememadr("worker", 16 + (i * 7 + t) % 90, CLS | (i % 3 == 0 ? MEM_HIGH : 0)));
                if (mine.size() > 5) {
                    purgememadr(mine.front());
                    mine.erase(mine.begin());
                }
                largestfreememclass(CLS);
            }
            for (void* p : mine) purgememadr(p);
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(largestfreememclass(CLS), initial);
    EXPECT_TRUE(chain_is_sound());
}

TEST_F(MemArena, ShrinkingFreesTheRestAsOneBlock)
{
    make(4, 4, 0, false);
    void* a = reservememadr(nullptr, 1000, CLS);
    void* b = reservememadr(nullptr, 300, CLS);
    void* c = reservememadr(nullptr, 50, CLS);
    purgememadr(b);
    ASSERT_EQ(resize(a, 100), a);
    EXPECT_EQ(memblocksize(a), 100u);
    // The 900 bytes let go and b's hole form one free block up to c; its
    // header stands 16 bytes past a's new span, which keeps those 16.
    MemBlockHeader* next = memheader(memclassrecord(CLS), memheaderof(a)->next);
    EXPECT_EQ(next->signature, MEMSIG_FREE);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(next), static_cast<uint8_t*>(a) + 100 + 16);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(next + 1) + next->size + 16, static_cast<uint8_t*>(c));
    EXPECT_EQ(next->size, 900u - 32 + 300 + 16);
    EXPECT_TRUE(chain_is_sound());
}

TEST_F(MemArena, ResizeKeepsSmallSlackAndTheTrailer)
{
    uint8_t* a = static_cast<uint8_t*>(reservememadr("resized", 1000, CLS));
    void* b = reservememadr("next", 10, CLS);
    std::memset(a, 0x5A, 1000);
    ASSERT_EQ(resize(a, 960), a);
    MemClass* cls = memclassrecord(CLS);
    EXPECT_EQ(memheaderof(a)->next, memoffset(cls, memheaderof(b)));
    EXPECT_EQ(memheaderof(b)->prev, memoffset(cls, memheaderof(a)));
    EXPECT_EQ(memblocksize(a), 960u);
    EXPECT_STREQ(memblockname(a), "resized");
    EXPECT_EQ(checksentinel(memheaderof(a)), 1);
    EXPECT_EQ(validatemem(CLS), 1);

    ASSERT_EQ(resize(a, 100), a);
    EXPECT_STREQ(memblockname(a), "resized");
    EXPECT_EQ(checksentinel(memheaderof(a)), 1);
    EXPECT_TRUE(chain_is_sound());
}

TEST_F(MemArena, GrowingIntoAFreeNeighbourKeepsTheChain)
{
    void* a = reservememadr("a", 100, CLS);
    void* b = reservememadr("b", 300, CLS);
    void* c = reservememadr("c", 40, CLS);
    purgememadr(b);
    ASSERT_EQ(resize(a, -1), a);
    // Everything up to c, less a's trailer and name.
    MemClass* cls = memclassrecord(CLS);
    uint32_t room = memoffset(cls, memheaderof(c)) - memoffset(cls, memheaderof(a)) - 16;
    EXPECT_EQ(memblocksize(a), room - memblockoverhead("a", CLS));
    EXPECT_EQ(memheaderof(c)->prev, memoffset(cls, memheaderof(a)));
    EXPECT_TRUE(chain_is_sound());
    EXPECT_EQ(validatemem(CLS), 1);
    EXPECT_EQ(purgememadr(c), 1);
    EXPECT_EQ(purgememadr(a), 1);
    EXPECT_EQ(largestfreememclass(CLS), initial);
}

TEST_F(MemArena, SentinelChecksFindTheOverrun)
{
    AbortCatcher aborts;
    uint8_t* a = static_cast<uint8_t*>(reservememadr("overrun", 20, CLS));
    EXPECT_EQ(validatemem(CLS), 1);
    std::memcpy(a + 20, "OOPS", 4);
    EXPECT_EQ(checksentinel(memheaderof(a)), 0);
    EXPECT_EQ(validatemem(CLS), 0);
    ASSERT_EQ(aborts.count(), 1u);
    EXPECT_TRUE(aborts.saw("validatemem - SENTINEL CORRUPTED.  BLOCK 'overrun' ADR 0x"));
    EXPECT_NE(aborts.messages()[0].find(", LENGTH 20\nSentinel ADR 0x"), std::string::npos);
    EXPECT_NE(aborts.messages()[0].find("VALUE 'OOPS'\n"), std::string::npos);

    make(4, 4, 0, false);
    a = static_cast<uint8_t*>(reservememadr(nullptr, 20, CLS));
    a[20] = 0;
    EXPECT_EQ(validatemem(CLS), 1);
    EXPECT_EQ(checksentinel(memheaderof(a)), 2);
}

TEST_F(MemArena, BadResizeValueIsReported)
{
    AbortCatcher aborts;
    void* a = reservememadr("a", 40, CLS);
    EXPECT_EQ(resize(a, -5), a);
    EXPECT_EQ(memblocksize(a), 40u);
    EXPECT_TRUE(aborts.saw("resize - BAD RESIZE VALUE -5\n"));
}

TEST(MemPages, PagesAreWholeAndZeroed)
{
    uint32_t size = 100;
    auto* page = static_cast<uint8_t*>(pagealloc(&size));
    ASSERT_NE(page, nullptr);
    EXPECT_GE(size, 4096u);
    EXPECT_EQ(size % 4096, 0u);
    EXPECT_EQ(std::count(page, page + size, 0), static_cast<long>(size));
    pagefree(page);
}

TEST(MemArenaDefault, AFreshArenaHasTheLayoutsFreeBlock)
{
    if (memarenaready()) GTEST_SKIP() << "the arena is already in use";
    initmem();
    MemClass* ram = memclassrecord(0);
    ASSERT_NE(ram, nullptr);
    const MemBlockHeader* low = memheader(ram, 0);
    EXPECT_EQ(low->size, 64u) << "the class record's footprint";
    EXPECT_EQ(reinterpret_cast<uintptr_t>(low) % 32, 0u) << "the arena starts on a 32-byte boundary";
    // 16 MiB less the low sentinel and its record (to the aligned first data
    // at 128), the free block's header and the high sentinel with its trailer.
    EXPECT_EQ(largestfreemem(), 16777040u);
    void* first = memalloc(8);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % 32, 0u);
    EXPECT_EQ(static_cast<uint8_t*>(first) - reinterpret_cast<const uint8_t*>(low), 128);
    memfree(first);
    releasemem();
}

TEST(MemArenaDefault, ArenaIsClassZeroAndOne)
{
    initmemsize(1 << 20);
    ASSERT_TRUE(memarenaready());
    EXPECT_EQ(memclassrecord(0), memclassrecord(1));
    void* a = memalloc(100);
    void* b = reservememadr("one", 100, 1);
    EXPECT_NE(a, nullptr);
    EXPECT_NE(b, nullptr);
    memfree(a);
    purgememadr(b);
    EXPECT_EQ(getfreememclass(), 2);
    releasemem();
    EXPECT_FALSE(memarenaready());
    EXPECT_EQ(memclassrecord(1), nullptr);
}

} // namespace
