#include "platform/memory.h"

#include "exit_trap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class TrackedMemory : public testing::Test {
protected:
    void SetUp() override
    {
        start_count = alloc_count;
        start_bytes = alloc_bytes;
    }
    void TearDown() override
    {
        alloc_refuse_next(0);
        alloc_limit_block_size(0);
        for (void* p : live) free_mem(p);
        EXPECT_EQ(alloc_count, start_count);
        EXPECT_EQ(alloc_bytes, start_bytes);
    }
    void* take(uint32_t size)
    {
        live.push_back(alloc_mem(size, "test buffer"));
        return live.back();
    }
    void give_back(void* p)
    {
        free_mem(p);
        live.erase(std::find(live.begin(), live.end(), p));
    }
    int32_t start_count = 0;
    uint32_t start_bytes = 0;
    std::vector<void*> live;
};

} // namespace

TEST_F(TrackedMemory, CountsAndBytesFollowAllocationsAndFrees)
{
    void* a = take(100);
    void* b = take(28);
    EXPECT_EQ(alloc_count, start_count + 2);
    EXPECT_EQ(alloc_bytes, start_bytes + 128);
    EXPECT_EQ(alloc_size_of(b), 28u);
    give_back(a);
    EXPECT_EQ(alloc_bytes, start_bytes + 28);
    EXPECT_EQ(alloc_size_of(a), 0u);
    EXPECT_EQ(alloc_size_of(b), 28u); // moved down a place, still found
}

TEST_F(TrackedMemory, TheTableGrowsABlockAtEach256AndShrinksBack)
{
    ASSERT_EQ(start_count, 0);
    for (int i = 0; i < 255; ++i) take(8);
    EXPECT_EQ(alloc_table_blocks(), 1);
    take(8); // the 256th fills the first block
    EXPECT_EQ(alloc_table_blocks(), 2);
    // Freeing any one buffer, even the first, empties the second block.
    give_back(live.front());
    EXPECT_EQ(alloc_table_blocks(), 1);
    // Every later buffer is still tracked after the shift down.
    for (void* p : live) EXPECT_EQ(alloc_size_of(p), 8u);
    for (int i = 0; i < 300; ++i) take(4);
    EXPECT_EQ(alloc_table_blocks(), 3);
    while (!live.empty()) give_back(live.back());
    EXPECT_EQ(alloc_table_blocks(), 1);
}

TEST_F(TrackedMemory, ReallocKeepsTheContentsAndThePlace)
{
    uint8_t* p = static_cast<uint8_t*>(take(16));
    void* after = take(4);
    for (int i = 0; i < 16; ++i) p[i] = static_cast<uint8_t>(i);
    uint8_t* q = static_cast<uint8_t*>(realloc_mem(p, 4096));
    live[0] = q;
    for (int i = 0; i < 16; ++i) EXPECT_EQ(q[i], i);
    EXPECT_EQ(alloc_bytes, start_bytes + 4096 + 4);
    EXPECT_EQ(alloc_size_of(q), 4096u);
    EXPECT_EQ(alloc_size_of(after), 4u);
}

TEST_F(TrackedMemory, MisuseIsFatalWithItsCode)
{
    take(1); // so the table is not empty for the frees
    // Freed after the last tracked allocation, so no live block can reuse its address.
    void* p = take(10);
    give_back(p);
    int local = 0;
    struct Case {
        const char* what;
        std::function<void()> body;
        const char* message;
    } cases[] = {
        {"zero size", [] { alloc_mem(0, "nothing"); }, "zero byte memory allocation attempted\n"},
        {"double free", [&] { free_mem(p); }, "Error freeing memory\n"},
        {"untracked free", [&] { free_mem(&local); }, "Error freeing memory\n"},
        {"realloc unknown", [&] { realloc_mem(&local, 8); }, "LK_REALLOC error.\n"},
    };
    for (const Case& c : cases) {
        Ending e = run_trapped(c.body);
        EXPECT_EQ(e.code, 1) << c.what;
        EXPECT_NE(e.box_text.find(c.message), std::string::npos) << c.what << ": " << e.box_text;
    }
    Ending empty_table;
    while (!live.empty()) give_back(live.back());
    if (start_count == 0) {
        empty_table = run_trapped([&] { free_mem(&local); });
        EXPECT_NE(empty_table.box_text.find("Error freeing memory"), std::string::npos);
    }
    EXPECT_NE(run_trapped([&] { realloc_mem(&local, 8); }).box_text.find("Buffer not found"), std::string::npos);
}

TEST_F(TrackedMemory, AllocationIsRetriedOnceThenFatal)
{
    alloc_refuse_next(2);
    Ending e = run_trapped([] { alloc_mem(64, "never"); });
    EXPECT_NE(e.box_text.find("insufficient free memory\n"), std::string::npos);
    EXPECT_EQ(alloc_count, start_count);
    EXPECT_EQ(alloc_bytes, start_bytes);

    // One refusal is forgiven: the second try succeeds.
    alloc_refuse_next(1);
    void* second_try = take(64);
    EXPECT_EQ(alloc_size_of(second_try), 64u);

    alloc_limit_block_size(1000);
    EXPECT_NE(run_trapped([] { alloc_mem(2000, "too big"); }).box_text.find("insufficient free memory"),
              std::string::npos);
    alloc_limit_block_size(0);

    // A failed resize keeps the old buffer tracked.
    void* p = take(32);
    alloc_limit_block_size(100);
    Ending r = run_trapped([&] { realloc_mem(p, 200); });
    EXPECT_NE(r.box_text.find("Can't realloc"), std::string::npos);
    alloc_limit_block_size(0);
}

TEST(TrackedMemorySearch, LargestFreeBlockSearchesDownFromARefusal)
{
    alloc_limit_block_size(5u << 20);
    uint32_t largest = largest_free_block(1u << 20, 0);
    EXPECT_LE(largest, 5u << 20);
    EXPECT_GT(largest, 4u << 20);
    // a + b beyond what can be had gives a value below a + b.
    EXPECT_LT(largest_free_block(6u << 20, 1u << 20), 7u << 20);
    // A small a + b refused searches up from nothing, never from a wrapped size.
    alloc_limit_block_size(50);
    EXPECT_EQ(largest_free_block(60, 40), 50u);
    alloc_limit_block_size(5u << 20);
    EXPECT_EQ(can_allocate(5u << 20), 1);
    EXPECT_EQ(can_allocate((5u << 20) + 1), 0);
    alloc_limit_block_size(0);
}

TEST_F(TrackedMemory, FreeingFromAnIndexTakesOnlyTheLaterBuffers)
{
    void* kept = take(16);
    const int32_t mark = alloc_count;
    for (int i = 0; i < 600; ++i) alloc_mem(3, "left behind"); // across three table blocks
    free_tracked_from(mark);
    EXPECT_EQ(alloc_count, mark);
    EXPECT_EQ(alloc_bytes, start_bytes + 16);
    EXPECT_EQ(alloc_size_of(kept), 16u);
    EXPECT_EQ(alloc_table_blocks(), 1);
}

TEST_F(TrackedMemory, ShutDownForgetsTheEntriesOfTheFreedBlocksAndStaysUsable)
{
    ASSERT_EQ(start_count, 0);
    for (int i = 0; i < 300; ++i) take(8);
    ASSERT_EQ(alloc_table_blocks(), 2);
    free_alloc_table();
    EXPECT_EQ(alloc_table_blocks(), 1);
    EXPECT_EQ(alloc_count, ALLOC_TABLE_BLOCK_ENTRIES - 1);
    EXPECT_EQ(alloc_bytes, uint32_t(ALLOC_TABLE_BLOCK_ENTRIES - 1) * 8);
    EXPECT_EQ(alloc_size_of(live[254]), 8u);
    EXPECT_EQ(alloc_size_of(live[255]), 0u) << "its entry went with the block";
    // The forgotten buffers go back to the system directly.
    for (size_t i = 255; i < live.size(); ++i) std::free(live[i]);
    live.resize(255);
    // The table carries on: a new buffer opens the second block again.
    void* p = take(16);
    EXPECT_EQ(alloc_size_of(p), 16u);
    EXPECT_EQ(alloc_table_blocks(), 2);
    give_back(live.front());
    EXPECT_EQ(alloc_size_of(p), 16u);
}
