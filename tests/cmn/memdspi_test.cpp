#include "cmn/libtest.h"
#include "cmn/memdspi.h"
#include "cmn/memstd.h"
#include "host/host_test_hooks.h"
#include "lib/shape_write.h"
#include "win/key.h"
#include "win/tempdir.h"
#include "win/threads.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A driver that keeps what each frame printed as lines of text, and reads
// its keys from a script (Esc once the script runs out).
struct Recorder {
    static inline int32_t columns = 80, rows = 24;
    static inline std::vector<std::string> grid;
    static inline std::vector<std::vector<std::string>> frames;
    static inline std::deque<uint32_t> keys;
    static inline int shapes = 0;

    static void begin() { grid.assign(size_t(rows) + 1, std::string()); }
    static void end() { frames.push_back(grid); }
    static int32_t query(int32_t what)
    {
        const int32_t answers[5] = {columns, rows, columns * 8, (rows + 1) * 8, 0};
        return what >= 0 && what < 5 ? answers[what] : 0;
    }
    static void print(int32_t column, int32_t row, const char* text)
    {
        if (row < 0 || row >= int32_t(grid.size())) return;
        std::string& line = grid[size_t(row)];
        if (line.size() < size_t(column)) line.resize(size_t(column), ' ');
        line.replace(size_t(column), std::min(line.size() - size_t(column), std::strlen(text)), text);
    }
    static void other(int32_t, int32_t, const char*) {}
    static void show(const void*, int32_t, int32_t, int32_t) { ++shapes; }
    static uint32_t key()
    {
        if (keys.empty()) return 27;
        uint32_t k = keys.front();
        keys.pop_front();
        return k;
    }
    static void clear() { grid.assign(size_t(rows) + 1, std::string()); }
    static void fill(int32_t, int32_t, int32_t, int32_t, int32_t) {}
    static void colours(int32_t, int32_t) {}
    static constexpr MemDisplayDriver driver{begin, end, query, print, other, show, key, clear, fill, colours};

    // The frame's lines that start with the given text.
    static std::vector<std::string> lines(const std::vector<std::string>& frame, const std::string& start)
    {
        std::vector<std::string> out;
        for (const std::string& l : frame)
            if (l.compare(0, start.size(), start) == 0) out.push_back(l);
        return out;
    }
    static bool shows(const std::vector<std::string>& frame, const std::string& text)
    {
        for (const std::string& l : frame)
            if (l.find(text) != std::string::npos) return true;
        return false;
    }
};

enum : uint32_t { ESC = 27, ENTER = 13, UP = 0x4800, DOWN = 0x5000, PGDN = 0x5100, LEFT = 0x4B00, RIGHT = 0x4D00 };

class MemView : public ::testing::Test {
protected:
    void SetUp() override
    {
        registermainthread();
        initmemsize(1 << 20);
        resetmemsizedisplay();
        Recorder::columns = 80;
        Recorder::rows = 24;
        Recorder::frames.clear();
        Recorder::keys.clear();
        Recorder::shapes = 0;
        host_set_user_dir(dir.path(""));
        alpha = reservememadr("alpha", 100, 0);
        beta = reservememadr("beta", 200, 0);
        gamma = reservememadr("gamma", 300, 0);
        memfree(beta);
    }
    void TearDown() override
    {
        resetmemsizedisplay();
        host_set_user_dir("");
        releasemem();
    }
    // The position of a block in chain order (the list before any sort).
    static int32_t chainindex(const void* data)
    {
        MemClass* c = memclassrecord(0);
        int32_t n = 0;
        for (uint32_t at = 0;; ++n) {
            MemBlockHeader* h = memheader(c, at);
            if (h + 1 == data) return n;
            if (!h->next) return -1;
            at = h->next;
        }
    }
    static int32_t blockcount()
    {
        MemClass* c = memclassrecord(0);
        int32_t n = 1;
        for (uint32_t at = 0; memheader(c, at)->next; at = memheader(c, at)->next) ++n;
        return n;
    }
    void run(std::deque<uint32_t> keys)
    {
        Recorder::keys = std::move(keys);
        memsizedisplay(&Recorder::driver);
    }
    std::string file(const std::string& name) const
    {
        std::ifstream in(dir.path(name));
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    TempDir dir;
    AbortCatcher aborts;
    void* alpha = nullptr;
    void* beta = nullptr;
    void* gamma = nullptr;
};

TEST_F(MemView, ListsEveryBlockWithNumberNameSizeAndSummary)
{
    run({});
    ASSERT_FALSE(Recorder::frames.empty());
    const auto& frame = Recorder::frames.back();
    auto named = Recorder::lines(frame, "000 ");
    auto spaces = Recorder::lines(frame, "     SPACE ");
    EXPECT_EQ(int32_t(named.size() + spaces.size()), blockcount());
    auto a = Recorder::lines(frame, "000 alpha        ");
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].substr(17, 10), "       100");
    char address[16];
    std::snprintf(address, sizeof address, "%8x", static_cast<uint32_t>(reinterpret_cast<uintptr_t>(alpha)));
    EXPECT_EQ(a[0].substr(28, 8), address);
    EXPECT_EQ(a[0].substr(37, 7), "e      "); // the end sentinel flag
    char summary[32];
    std::snprintf(summary, sizeof summary, "Mem Blocks=%d", blockcount());
    EXPECT_TRUE(Recorder::shows(frame, summary));
    EXPECT_TRUE(Recorder::shows(frame, "Class=RAM"));
    // The low sentinel is selected first.
    EXPECT_TRUE(Recorder::shows(frame, "SYSTEM BLOCK"));
    EXPECT_EQ(aborts.count(), 0u);
}

TEST_F(MemView, SortsByAColumnBothWaysAndSwitchesToHex)
{
    // Right from IDX chooses NAME; Up sorts descending, Down ascending.
    run({'S', RIGHT, UP});
    auto order = [](const std::vector<std::string>& frame) {
        std::string names;
        for (const std::string& l : Recorder::lines(frame, "000 "))
            for (const char* n : {"alpha", "gamma"})
                if (l.compare(4, std::strlen(n), n) == 0) names += n[0];
        return names;
    };
    EXPECT_EQ(order(Recorder::frames.back()), "ga");
    run({'S', RIGHT, DOWN, 'H'});
    EXPECT_EQ(order(Recorder::frames.back()), "ag");
    auto a = Recorder::lines(Recorder::frames.back(), "000 alpha ");
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].substr(17, 10), "        64"); // 100 in hex
    EXPECT_TRUE(Recorder::shows(Recorder::frames.back(), "Total="));
    EXPECT_FALSE(Recorder::shows(Recorder::frames.back(), "Total=0 "));
}

TEST_F(MemView, ClassKeyWithOnlyTheFirstClassComesBackToIt)
{
    run({'C'});
    EXPECT_TRUE(Recorder::shows(Recorder::frames.back(), "Class=RAM"));
    EXPECT_FALSE(Recorder::lines(Recorder::frames.back(), "     SPACE ").empty()) << "class 0 lists its free blocks";
}

TEST_F(MemView, ViewCountsABankAndStepsThroughItsEntries)
{
    std::vector<uint8_t> bank = kit_shape_bank(
        {{"PIC ", {0x7B, 2, 2, 0, 0, {1, 2, 3, 4}}, {}},
         {"PAL ", {0x24, 2, 0, 0, 0, {0, 0, 0, 255, 255, 255}}, {}},
         {"LOST", {0x7B, 1, 1, 0, 0, {9}}, {}}},
        'I');
    // The third entry's offset points far past the block.
    std::memcpy(bank.data() + 16 + 8 * 2 + 4, "\xFF\xFF\x00\x00", 4);
    void* block = reservememadr("bank", static_cast<int32_t>(bank.size()), 0);
    std::memcpy(block, bank.data(), bank.size());
    std::deque<uint32_t> keys(size_t(chainindex(block)), DOWN);
    for (uint32_t k : {uint32_t(' '), uint32_t('x'), uint32_t(RIGHT), uint32_t(RIGHT), uint32_t(ESC)}) keys.push_back(k);
    run(keys);
    bool counted = false, image = false, palette = false, lost = false;
    for (const auto& f : Recorder::frames) {
        counted |= Recorder::shows(f, "Number of: Shapes=3 Packed=0 Not Packed=1 Non-Shapes=2");
        image |= Recorder::shows(f, "'PIC ' 2x2x8 type=7b position=0,0 center=0,0");
        palette |= Recorder::shows(f, "'PAL ' 2x0 type=24 #colours=2 1st colour=0");
        lost |= Recorder::shows(f, "Misc shape type. Not displayed.");
    }
    EXPECT_TRUE(counted);
    EXPECT_TRUE(image);
    EXPECT_TRUE(palette);
    EXPECT_TRUE(lost);
    EXPECT_EQ(Recorder::shapes, 1);
    EXPECT_EQ(aborts.count(), 0u);
}

TEST_F(MemView, ViewShowsALoneShapeAndRefusesOtherBlocks)
{
    // A 2 x 2 8-bit shape that fills its block exactly.
    std::vector<uint8_t> shape = kit_shape_record({0x7B, 2, 2, 0, 0, {1, 2, 3, 4}}, 0);
    void* block = reservememadr("lone", static_cast<int32_t>(shape.size()), 0);
    std::memcpy(block, shape.data(), shape.size());
    std::deque<uint32_t> keys(size_t(chainindex(block)), DOWN);
    keys.push_back(' ');
    keys.push_back('x');
    run(keys);
    EXPECT_EQ(Recorder::shapes, 1);
    bool shown = false;
    for (const auto& f : Recorder::frames) shown |= Recorder::shows(f, "'lone' Width=2 Height=2 bpp=8");
    EXPECT_TRUE(shown);

    Recorder::frames.clear();
    std::deque<uint32_t> other(size_t(chainindex(alpha)), DOWN);
    other.push_back(' ');
    run(other);
    bool refused = false;
    for (const auto& f : Recorder::frames) refused |= Recorder::shows(f, "Block can not be viewed.  Invalid window or shape.");
    EXPECT_TRUE(refused);
}

TEST_F(MemView, HexDumpStartsAtTheBlockAndStaysInTheClass)
{
    std::memcpy(gamma, "Hello\x01", 6);
    std::deque<uint32_t> keys(size_t(chainindex(gamma)), DOWN);
    for (uint32_t k : {uint32_t(ENTER), uint32_t(RIGHT), uint32_t(ENTER)}) keys.push_back(k);
    for (int i = 0; i < 20000; ++i) keys.push_back(PGDN); // far past the class's end
    keys.push_back(ESC);
    run(keys);
    char first[32];
    std::snprintf(first, sizeof first, "%8.8x  48 65 6c 6c 6f 01 ", static_cast<uint32_t>(reinterpret_cast<uintptr_t>(gamma)));
    bool found = false, text = false;
    for (const auto& f : Recorder::frames) {
        found |= !Recorder::lines(f, first).empty();
        text |= Recorder::shows(f, " Hello.");
    }
    EXPECT_TRUE(found);
    EXPECT_TRUE(text);
    // Narrow screens show 8 bytes a line with a 7-digit address.
    Recorder::columns = 40;
    Recorder::frames.clear();
    std::deque<uint32_t> narrow(size_t(chainindex(gamma)), DOWN);
    for (uint32_t k : {uint32_t(ENTER), uint32_t(RIGHT), uint32_t(ENTER), uint32_t(ESC)}) narrow.push_back(k);
    run(narrow);
    std::snprintf(first, sizeof first, "%7.7x  48 65 6c 6c 6f 01 ", static_cast<uint32_t>(reinterpret_cast<uintptr_t>(gamma)));
    found = false;
    for (const auto& f : Recorder::frames) found |= !Recorder::lines(f, first).empty();
    EXPECT_TRUE(found);
}

TEST_F(MemView, MapFileListsEveryBlockAndSwitchesItsFreeLine)
{
    static const char* const k_site = "source/a_very_long_directory/blockmaker.cpp";
    libcallsite.file.store(k_site);
    libcallsite.line.store(321);
    void* sited = reservememadr("sited", 40, 0);
    libcallsite.file.store(nullptr);
    ASSERT_NE(sited, nullptr);

    ASSERT_EQ(memmapdump(), 1);
    std::string decimal = file("MEMMAP00.TXT");
    run({'H', 'P'});
    std::string hex = file("MEMMAP01.TXT");

    EXPECT_NE(decimal.find("IDX NAME              SIZE  ADDRESS FLAGS   FILE               LINE CRC  SNTL\n" +
                           std::string(77, '*') + "\n"),
              std::string::npos);
    EXPECT_NE(decimal.find("000 alpha              100 "), std::string::npos);
    EXPECT_NE(decimal.find(" y/blockmaker.cpp    321 "), std::string::npos) << "the file's last 16 characters";
    EXPECT_NE(decimal.find("     SPACE      "), std::string::npos);
    EXPECT_NE(decimal.find("  OK\n"), std::string::npos);
    // The free total is the same number in both forms, 10 hex or 8 decimal digits.
    unsigned long free10 = 0, free8 = 0;
    ASSERT_EQ(std::sscanf(hex.c_str() + hex.find("Free memory  = "), "Free memory  = %10lx", &free10), 1);
    ASSERT_EQ(std::sscanf(decimal.c_str() + decimal.find("Free memory  = "), "Free memory  = %8lu", &free8), 1);
    EXPECT_EQ(free10, free8);
    char expect[64];
    std::snprintf(expect, sizeof expect, "Free memory  = %010lx\n", free10);
    EXPECT_NE(hex.find(expect), std::string::npos);
    std::snprintf(expect, sizeof expect, "Free memory  = %08lu\n", free8);
    EXPECT_NE(decimal.find(expect), std::string::npos);
    EXPECT_EQ(aborts.count(), 0u);
}

TEST_F(MemView, TheConsoleDriverPrintsIntoTheDebugConsole)
{
    monosetlevel(2);
    monoclear();
    setkeyreadhook([]() -> uint32_t { return 27; });
    memorydisplayconsole();
    setkeyreadhook(nullptr);
    const uint16_t* cells = monobuffer();
    std::string screen;
    for (int i = 0; i < MONO_COLUMNS * MONO_ROWS; ++i) screen += static_cast<char>(cells[i] & 0xFF);
    EXPECT_NE(screen.find("Mem Blocks="), std::string::npos);
    EXPECT_NE(screen.find("000 alpha"), std::string::npos);
    resetkeys();
}

} // namespace
