#include "cmn/bigfile.h"
#include "cmn/libtest.h"
#include "cmn/loadcall.h"
#include "cmn/memstd.h"
#include "cmn/nsync.h"
#include "lib/crcf.h"
#include "lib/viv_write.h"
#include "win/nfile.h"
#include "../win/tempdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

const std::vector<KitBigEntry> three = {
    {"title.mad", bytes_of("movie bytes")},
    {"logo.shp", bytes_of("shape")},
    {"empty", {}},
};

class BigFileKinds : public ::testing::TestWithParam<int> {};

TEST_P(BigFileKinds, EntriesAreFoundByNameIgnoringCaseAndByNumber)
{
    std::vector<uint8_t> big = kit_bigfile(three, GetParam());
    uint32_t held = static_cast<uint32_t>(big.size());
    EXPECT_EQ(typeofbigfile(big.data(), held), GetParam());
    EXPECT_EQ(bigfilecount(big.data(), held), 3u);

    uint32_t offset = 99, size = 99;
    const char* name = findbigentry(big.data(), held, held, "TITLE.MAD", -1, &offset, &size);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "title.mad");
    EXPECT_EQ(size, 11u);
    EXPECT_EQ(std::string(big.begin() + offset, big.begin() + offset + size), "movie bytes");
    EXPECT_EQ(bigfileheadersize(big.data(), held), offset);

    EXPECT_STREQ(findbigentry(big.data(), held, held, nullptr, 2, &offset, &size), "empty");
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(findbigentry(big.data(), held, held, nullptr, 3, &offset, &size), nullptr);
    EXPECT_EQ(offset, 0u);
    EXPECT_EQ(size, 0u);

    EXPECT_EQ(locatebig(big.data(), held, "logo.shp"), big.data() + bigentryoffset(big.data(), held, "logo.shp"));
    EXPECT_EQ(std::memcmp(locatebigbynumber(big.data(), held, 1), "shape", 5), 0);
    char buffer[16];
    EXPECT_STREQ(bigentryname(big.data(), held, 1, buffer, sizeof buffer), "logo.shp");
    EXPECT_EQ(bigentryname(big.data(), held, 1, buffer, 8), nullptr); // "logo.shp" and its 0 need 9
}

INSTANTIATE_TEST_SUITE_P(BothHeaders, BigFileKinds, ::testing::Values(1, 2));

TEST(BigFile, ListsResolveInOrderAndStayAsTheyWere)
{
    std::vector<uint8_t> big = kit_bigfile(three, 2);
    uint32_t held = static_cast<uint32_t>(big.size());
    const char list[] = "logo.shp,title.mad,logo.shp";
    const uint8_t* out[3] = {};
    EXPECT_EQ(locatebigs(big.data(), held, list, out, 3), locatebig(big.data(), held, "logo.shp"));
    EXPECT_EQ(out[1], locatebig(big.data(), held, "title.mad"));
    EXPECT_STREQ(list, "logo.shp,title.mad,logo.shp");

    AbortCatcher aborts;
    const uint8_t* two[2] = {};
    EXPECT_EQ(locatebigs(big.data(), held, "nothing,title.mad", two, 2), two[1]);
    EXPECT_EQ(two[0], nullptr);
    EXPECT_TRUE(aborts.saw("locatebigs - FILE NOT FOUND 'nothing'\n"));
}

TEST(BigFile, AnEntryAtOffsetZeroLooksMissing)
{
    std::vector<uint8_t> big = kit_bigfile({{"a", bytes_of("x")}}, 2);
    big[16 + 0] = big[16 + 1] = big[16 + 2] = big[16 + 3] = 0; // offset 0
    uint32_t held = static_cast<uint32_t>(big.size());
    uint32_t offset = 1, size = 0;
    EXPECT_NE(findbigentry(big.data(), held, held, "a", -1, &offset, &size), nullptr);
    EXPECT_EQ(offset, 0u);
    EXPECT_EQ(bigentryoffset(big.data(), held, "a"), 0u);
    EXPECT_EQ(locatebig(big.data(), held, "a"), nullptr);
}

TEST(BigFile, HostileHeadersFindNothingAndReadNothingPastTheirEnd)
{
    AbortCatcher aborts;
    std::vector<uint8_t> good = kit_bigfile(three, 1);

    // Header length 6: no entries at all.
    std::vector<uint8_t> empty = good;
    empty[2] = 0, empty[3] = 2;
    EXPECT_EQ(findbigentry(empty.data(), 99, 0, "title.mad", -1, nullptr, nullptr), nullptr);

    // A count larger than the directory: the walk stops at the header's end.
    std::vector<uint8_t> count = good;
    count[5] = 200;
    EXPECT_EQ(findbigentry(count.data(), static_cast<uint32_t>(count.size()), 0, nullptr, 3, nullptr, nullptr),
              nullptr);

    // A name whose terminator lies past the header length.
    std::vector<uint8_t> cut = good;
    uint32_t length = bigfileheadersize(cut.data(), static_cast<uint32_t>(cut.size()));
    cut[3] = static_cast<uint8_t>(cut[3] - 1); // the last name's 0 falls outside
    EXPECT_EQ(findbigentry(cut.data(), static_cast<uint32_t>(cut.size()), 0, "empty", -1, nullptr, nullptr), nullptr);
    EXPECT_NE(findbigentry(cut.data(), static_cast<uint32_t>(cut.size()), 0, "logo.shp", -1, nullptr, nullptr),
              nullptr);

    // Only part of the header held in memory.
    EXPECT_EQ(findbigentry(good.data(), length - 1, 0, "empty", -1, nullptr, nullptr), nullptr);
    EXPECT_EQ(typeofbigfile(good.data(), 1), 0);

    // Data reaching past the archive.
    std::vector<uint8_t> far = good;
    far[6 + 3 + 2] = 0xFF; // the first entry's size becomes 0x0000FF
    uint32_t held = static_cast<uint32_t>(far.size());
    EXPECT_EQ(findbigentry(far.data(), held, held, "title.mad", -1, nullptr, nullptr), nullptr);
    EXPECT_NE(findbigentry(far.data(), held, 0, "title.mad", -1, nullptr, nullptr), nullptr);
    EXPECT_EQ(locatebig(far.data(), held, "title.mad"), nullptr);
}

TEST(BigFile, MisuseIsReportedOnlyWithErrorsOn)
{
    AbortCatcher aborts;
    const uint8_t junk[8] = {'R', 'I', 'F', 'F'};
    EXPECT_EQ(typeofbigfile(nullptr, 0), 0);
    EXPECT_TRUE(aborts.saw("typeofbigfile - NO BIG FILE SET (NULL POINTER)\n"));
    EXPECT_EQ(bigfilecount(junk, sizeof junk), 0u);
    EXPECT_TRUE(aborts.saw("typeofbigfile - FILE IS NOT A BIG FILE\n"));
    std::vector<uint8_t> big = kit_bigfile(three, 2);
    uint32_t held = static_cast<uint32_t>(big.size());
    EXPECT_EQ(locatebigentry(big.data(), held, held, "nope", -1, nullptr, nullptr), nullptr);
    EXPECT_TRUE(aborts.saw("locatebigentry: ENTRY \"nope\" NOT FOUND\n"));
    EXPECT_EQ(locatebigentry(big.data(), held, held, nullptr, 7, nullptr, nullptr), nullptr);
    EXPECT_TRUE(aborts.saw("locatebigentry: ENTRY #7 NOT FOUND\n"));

    size_t seen = aborts.count();
    ErrorsOn off(0);
    EXPECT_EQ(typeofbigfile(junk, sizeof junk), 0);
    EXPECT_EQ(aborts.count(), seen);
}

class Loaders : public ::testing::Test {
protected:
    void SetUp() override
    {
        registermainthread();
        initmemsize(1 << 20);
        ASSERT_EQ(FILE_init(0, 0, 0), 1);
    }
    void TearDown() override
    {
        setbigfile(nullptr);
        FILE_shutdown();
        releasemem();
    }
    TempDir dir;
};

TEST_F(Loaders, WholeFilesLoadSaveAndMeasure)
{
    std::vector<uint8_t> bytes = TempDir::pattern(20000);
    std::string path = dir.write("plain.dat", bytes);
    EXPECT_EQ(filesize(path.c_str()), 20000);
    EXPECT_EQ(fileexists(path.c_str()), 1);
    EXPECT_EQ(fileexists(dir.path("none").c_str()), 0);

    void* block = loadfileadr(path.c_str(), 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(memblocksize(block), 20000u);
    EXPECT_EQ(std::memcmp(block, bytes.data(), bytes.size()), 0);

    std::string copy = dir.path("copy.dat");
    EXPECT_EQ(savefileadr(copy.c_str(), block, 20000), 1);
    EXPECT_EQ(dir.read("copy.dat"), bytes);
    purgememadr(block);

    std::vector<uint8_t> area(20000);
    EXPECT_EQ(loadfileatadr(path.c_str(), area.data(), 20000), area.data());
    EXPECT_EQ(area, bytes);
    EXPECT_EQ(validatemem(0), 1);
}

TEST_F(Loaders, FailuresReportAndQuietFormsStaySilent)
{
    AbortCatcher aborts;
    std::string missing = dir.path("missing.dat");
    EXPECT_EQ(filesize(missing.c_str()), 0);
    EXPECT_TRUE(aborts.saw("filesize - unable to open file "));
    EXPECT_EQ(loadfileadr(missing.c_str(), 0), nullptr);
    EXPECT_TRUE(aborts.saw("loadfileadr - unable to open file "));
    size_t seen = aborts.count();
    EXPECT_EQ(filesizequiet(missing.c_str()), 0);
    EXPECT_EQ(loadfileadrquiet(missing.c_str(), 0), nullptr);
    EXPECT_EQ(aborts.count(), seen);

    // An area too small for the file is left alone.
    std::string path = dir.write("ten.dat", TempDir::pattern(10));
    std::vector<uint8_t> area(9, 0xAA);
    EXPECT_EQ(loadfileatadrquiet(path.c_str(), area.data(), 9), nullptr);
    EXPECT_EQ(area, std::vector<uint8_t>(9, 0xAA));
    EXPECT_EQ(aborts.count(), seen);

    // A damaged CRC trailer fails the load and frees the block.
    std::vector<uint8_t> crc = TempDir::pattern(100);
    kit_append_crcf(crc);
    crc[5] ^= 1;
    uint32_t free_before = largestfreemem();
    setloadfilehook(loadfile_crccheck);
    EXPECT_EQ(loadfileadrquiet(dir.write("bad.crc", crc).c_str(), 0), nullptr);
    setloadfilehook(nullptr);
    EXPECT_EQ(largestfreemem(), free_before);
}

TEST_F(Loaders, ScatterLoadGoesOnPastAFailure)
{
    std::string a = dir.write("a.dat", {1, 2}), b = dir.path("b.dat"), c = dir.write("c.dat", {3});
    const char* names[] = {a.c_str(), b.c_str(), c.c_str()};
    void* out[3] = {};
    EXPECT_EQ(scatterloadfileadrquiet(3, names, out, 0), 0);
    ASSERT_NE(out[0], nullptr);
    EXPECT_EQ(out[1], nullptr);
    ASSERT_NE(out[2], nullptr);
    EXPECT_EQ(*static_cast<uint8_t*>(out[2]), 3);
    purgememadr(out[0]);
    purgememadr(out[2]);
    EXPECT_EQ(scatterloadfileadr(0, names, out, 0), 0);
}

TEST_F(Loaders, BigFileHeadersLoadWhole)
{
    std::vector<KitBigEntry> small = three, large;
    for (int i = 0; i < 300; ++i) large.push_back({"entry" + std::to_string(i) + ".bin", {uint8_t(i)}});
    std::string s = dir.write("small.viv", kit_bigfile(small, 1));
    std::string l = dir.write("large.viv", kit_bigfile(large, 2));

    void* header = loadbigfileheader(s.c_str(), 0);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(memblocksize(header), BIGFILE_HEADER_READ);
    EXPECT_NE(findbigentry(header, BIGFILE_HEADER_READ, 0, "empty", -1, nullptr, nullptr), nullptr);
    purgememadr(header);

    header = loadbigfileheader(l.c_str(), 0);
    ASSERT_NE(header, nullptr);
    uint32_t length = memblocksize(header);
    EXPECT_GT(length, BIGFILE_HEADER_READ);
    EXPECT_EQ(length, bigfileheadersize(header, length));
    EXPECT_NE(findbigentry(header, length, 0, "entry299.bin", -1, nullptr, nullptr), nullptr);
    purgememadr(header);

    AbortCatcher aborts;
    std::vector<uint8_t> lying = kit_bigfile(small, 2);
    lying[14] = 0x10; // a header far longer than the file
    EXPECT_EQ(loadbigfileheader(dir.write("lying.viv", lying).c_str(), 0), nullptr);
    EXPECT_TRUE(aborts.saw("loadbigfileheader - invalid big file header in file "));
    EXPECT_EQ(loadbigfileheader(dir.write("short.viv", {0xC0, 0xFB}).c_str(), 0), nullptr);
    EXPECT_EQ(validatemem(0), 1);
}

TEST_F(Loaders, TheCurrentBigFileServesItsEntriesByName)
{
    dir.write("data.viv", kit_bigfile(three, 1));
    dir.write("data.big", kit_bigfile(three, 2));
    std::string base = dir.path("data");
    const char* current = setbigfile(base.c_str());
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(std::string(current), base + ".viv");
    EXPECT_EQ(currentbigfile(), current);

    void* block = loadfileadr("title.mad", 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::string(static_cast<char*>(block), memblocksize(block)), "movie bytes");
    purgememadr(block);
    EXPECT_EQ(filesize((base + ".viv|LOGO.SHP").c_str()), 5);

    EXPECT_EQ(std::string(setbigfile((base + ".big").c_str())), base + ".big");
    EXPECT_EQ(setbigfile(nullptr), nullptr);
    EXPECT_EQ(currentbigfile(), nullptr);
    EXPECT_EQ(fileexists("title.mad"), 0);

    std::string too_long(300, 'x');
    EXPECT_EQ(setbigfile(too_long.c_str()), nullptr);
}

} // namespace
