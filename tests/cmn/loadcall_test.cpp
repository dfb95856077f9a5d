#include "cmn/libtest.h"
#include "cmn/loadcall.h"
#include "cmn/memstd.h"
#include "cmn/numeric.h"
#include "lib/crcf.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr int CLS = 6;

class CrcTrailer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_GT(creatememclass(CLS, "LOAD", arena.data(), static_cast<uint32_t>(arena.size()), 8, 32, 16, true,
                                 true, true, true, nullptr),
                  0u);
    }
    void TearDown() override { deletememclass(CLS); }

    void* load(const std::vector<uint8_t>& bytes)
    {
        void* block = reservememadr("loaded", static_cast<int32_t>(bytes.size()), CLS);
        if (block && !bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
        return block;
    }

    alignas(32) std::array<uint8_t, 16384> arena;
};

TEST_F(CrcTrailer, MatchingTrailerIsCutOff)
{
    std::vector<uint8_t> file = {'m', 'o', 'v', 'i', 'e', ' ', 'd', 'a', 't', 'a'};
    kit_append_crcf(file);
    void* block = load(file);
    EXPECT_EQ(loadfile_crccheck(block, "fmv\\intro.dat", 0), block);
    EXPECT_EQ(memblocksize(block), 10u);
    EXPECT_EQ(std::memcmp(block, "movie data", 10), 0);
    EXPECT_EQ(validatemem(CLS), 1);
}

TEST_F(CrcTrailer, MismatchIsReportedAndRefused)
{
    AbortCatcher aborts;
    std::vector<uint8_t> file = {'a', 'b', 'c'};
    kit_append_crcf(file);
    file[0] = 'x';
    void* block = load(file);
    EXPECT_EQ(loadfile_crccheck(block, "bad.dat", 0), nullptr);
    ASSERT_EQ(aborts.count(), 1u);
    char expected[128];
    std::snprintf(expected, sizeof expected,
                  "loadfile - CRC FOR FILE 'bad.dat' DOES NOT MATCH CALCULATION.\nfilelen 15, crcfile 535a,crccalc %x\n",
                  crc16("xbc", 3));
    EXPECT_EQ(aborts.messages()[0], expected);
}

TEST_F(CrcTrailer, BlocksWithoutATrailerPassAsTheyAre)
{
    std::vector<uint8_t> plain(40, 'p');
    void* block = load(plain);
    EXPECT_EQ(loadfile_crccheck(block, "plain", 0), block);
    EXPECT_EQ(memblocksize(block), 40u);
    std::vector<uint8_t> shorter = {'C', 'R', 'C', 'F', 0, 0, 0, 0, 0, 0, 0};
    block = load(shorter);
    EXPECT_EQ(loadfile_crccheck(block, "short", 0), block);
    EXPECT_EQ(memblocksize(block), 11u);
    EXPECT_EQ(loadfile_crccheck(nullptr, "none", 0), nullptr);
}

TEST(CrcWriter, AgreesWithTheLibrary)
{
    std::vector<uint8_t> bytes(1000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
    EXPECT_EQ(kit_crc16(bytes, bytes.size()), crc16(bytes.data(), 1000));
}

} // namespace
