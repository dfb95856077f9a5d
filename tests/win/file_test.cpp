#include "cmn/libtest.h"
#include "tempdir.h"
#include "win/file.h"
#include "win/threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <thread>

namespace {

constexpr uint32_t READ_SHARED = FILEDEV_READ | FILEDEV_SHAREREAD;

class FileDevice : public ::testing::Test {
protected:
    void SetUp() override { filedevinit(16); }
    void TearDown() override { filedevshutdown(); }

    int32_t open(const std::string& path, uint32_t flags, uint32_t chunk = 0)
    {
        int32_t handle = 7;
        EXPECT_EQ(filedevopen(path.c_str(), flags, chunk, &handle), 1) << path;
        return handle;
    }
    static int32_t size_of(int32_t handle)
    {
        int32_t size = -1;
        filedevfreespace(handle, nullptr, nullptr, &size, nullptr);
        return size;
    }

    TempDir dir;
};

TEST_F(FileDevice, ReadsWholeFilesThroughHandlesAndMappings)
{
    for (size_t size : {0u, 1u, 16385u}) {
        std::vector<uint8_t> bytes = TempDir::pattern(size);
        std::string path = dir.write("f" + std::to_string(size), bytes);
        for (uint32_t flags : {READ_SHARED, READ_SHARED | FILEDEV_MAPPED}) {
            int32_t handle = open(path, flags);
            ASSERT_LT(handle, 0);
            EXPECT_EQ(size_of(handle), static_cast<int32_t>(size));
            // An empty file cannot be mapped: it is read through the handle.
            EXPECT_EQ(filedevview(handle) != nullptr, (flags & FILEDEV_MAPPED) && size > 0);
            std::vector<uint8_t> got(size + 10, 0xEE);
            EXPECT_EQ(filedevread(handle, got.data(), static_cast<uint32_t>(size + 10)), size) << size;
            got.resize(size);
            EXPECT_EQ(got, bytes) << size << " " << flags;
            EXPECT_EQ(filedevtell(handle), static_cast<int32_t>(size));
            uint8_t more;
            EXPECT_EQ(filedevread(handle, &more, 1), 0u);
            EXPECT_EQ(filedevclose(handle), 1);
        }
    }
}

TEST_F(FileDevice, ReadsStopAtTheEndAndSeeksClamp)
{
    std::string path = dir.write("ten", TempDir::pattern(10));
    int32_t handle = open(path, READ_SHARED);
    uint8_t buffer[16];
    struct Case {
        int32_t seek, position;
        uint32_t count, got;
    };
    const Case cases[] = {{-5, 0, 4, 4}, {8, 8, 4, 2}, {10, 10, 1, 0}, {99, 10, 4, 0}, {3, 3, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(filedevseek(handle, c.seek), 1);
        EXPECT_EQ(filedevtell(handle), c.position) << c.seek;
        EXPECT_EQ(filedevread(handle, buffer, c.count), c.got) << c.seek;
        EXPECT_LE(filedevtell(handle), 10);
    }
    filedevclose(handle);
}

TEST_F(FileDevice, PositionPlusCountDoesNotWrap)
{
    std::vector<uint8_t> memory = TempDir::pattern(100);
    int32_t handle = 0;
    ASSERT_EQ(filedevopenslot(memory.data(), 100, 0, 0, &handle), 1);
    std::vector<uint8_t> buffer(100, 0);
    filedevseek(handle, 50);
    EXPECT_EQ(filedevread(handle, buffer.data(), 0xFFFFFFF0u), 50u);
    EXPECT_EQ(std::memcmp(buffer.data(), memory.data() + 50, 50), 0);
    EXPECT_EQ(buffer[50], 0);
    filedevclose(handle);
}

TEST_F(FileDevice, WritesGrowAFileButNotAMapping)
{
    std::string path = dir.path("out");
    int32_t handle = open(path, FILEDEV_READ | FILEDEV_WRITE | FILEDEV_CREATE | FILEDEV_TRUNCATE);
    std::vector<uint8_t> bytes = TempDir::pattern(20000);
    EXPECT_EQ(filedevwrite(handle, bytes.data(), 20000), 20000u);
    EXPECT_EQ(size_of(handle), 20000);
    filedevseek(handle, 19990);
    EXPECT_EQ(filedevwrite(handle, bytes.data(), 30), 30u);
    EXPECT_EQ(size_of(handle), 20020);
    filedevclose(handle);
    EXPECT_EQ(dir.read("out").size(), 20020u);

    handle = open(path, FILEDEV_READ | FILEDEV_WRITE | FILEDEV_MAPPED);
    ASSERT_NE(filedevview(handle), nullptr);
    filedevseek(handle, 20010);
    EXPECT_EQ(filedevwrite(handle, "0123456789ABCDEF", 16), 10u);
    EXPECT_EQ(size_of(handle), 20020);
    filedevclose(handle);
    std::vector<uint8_t> back = dir.read("out");
    ASSERT_EQ(back.size(), 20020u);
    EXPECT_EQ(std::memcmp(back.data() + 20010, "0123456789", 10), 0);

    // Creating a new file where one exists fails; truncating empties it.
    int32_t none = 0;
    LogCatcher log;
    EXPECT_EQ(filedevopen(path.c_str(), FILEDEV_WRITE | FILEDEV_CREATE, 0, &none), 0);
    handle = open(path, FILEDEV_WRITE | FILEDEV_TRUNCATE);
    EXPECT_EQ(size_of(handle), 0);
    filedevclose(handle);
}

TEST_F(FileDevice, MissingFileIsLoggedAndLeavesTheDriveLock)
{
    LogCatcher log;
    int32_t handle = 5;
    EXPECT_EQ(filedevopen(dir.path("missing.dat").c_str(), READ_SHARED, 0, &handle), 0);
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(log.text(), "[FILE] CreateFile failed (2)\n");
    EXPECT_EQ(getlasterror(), 2u);

    std::string path = dir.write("there", {1, 2, 3});
    auto other = std::async(std::launch::async, [&] {
        int32_t h = 0;
        int ok = filedevopen(path.c_str(), READ_SHARED, 0, &h);
        filedevclose(h);
        return ok;
    });
    ASSERT_EQ(other.wait_for(std::chrono::seconds(20)), std::future_status::ready) << "drive lock still held";
    EXPECT_EQ(other.get(), 1);
}

TEST_F(FileDevice, BadHandlesDoNothing)
{
    uint8_t byte = 0;
    std::string path = dir.write("one", {9});
    int32_t handle = open(path, READ_SHARED);
    filedevclose(handle);
    for (int32_t bad : {0, handle, 5, ~99}) {
        EXPECT_EQ(filedevread(bad, &byte, 1), 0u) << bad;
        EXPECT_EQ(filedevseek(bad, 0), 0) << bad;
        EXPECT_EQ(filedevclose(bad), 0) << bad;
        EXPECT_EQ(filedevlock(bad), 0) << bad;
    }
    filedevshutdown();
    EXPECT_EQ(filedevready(), 0);
    EXPECT_EQ(filedevread(-1, &byte, 1), 0u);
    filedevinit(16);
}

TEST_F(FileDevice, ChunksAreWholeSectors)
{
    struct Case {
        uint32_t asked, sector, chunk;
    };
    const Case cases[] = {{0, 512, 16384}, {100, 512, 512}, {1000, 512, 1024}, {512, 512, 512}, {5000, 2048, 6144}};
    for (const Case& c : cases) EXPECT_EQ(filedevchunksize(c.asked, c.sector), c.chunk) << c.asked;
    int32_t handle = open(dir.write("x", {1}), READ_SHARED);
    uint32_t chunk = 0;
    filedevfreespace(handle, nullptr, &chunk, nullptr, nullptr);
    EXPECT_EQ(chunk, 16384u);
    filedevclose(handle);
}

TEST_F(FileDevice, CancelEndsARunningReadAfterItsChunk)
{
    std::vector<uint8_t> memory(1 << 20, 7);
    std::vector<uint8_t> buffer(memory.size());
    int32_t handle = 0;
    ASSERT_EQ(filedevopenslot(memory.data(), static_cast<int32_t>(memory.size()), 0, 16, &handle), 1);
    EXPECT_EQ(filedevcancel(handle), 0); // nothing running yet
    std::atomic<bool> stop{false};
    std::atomic<int> cancelled{0};
    std::thread canceller([&] {
        while (!stop.load() && cancelled.load() == 0) cancelled.store(filedevcancel(handle));
    });
    uint32_t got = filedevread(handle, buffer.data(), static_cast<uint32_t>(buffer.size()));
    stop.store(true);
    canceller.join();
    ASSERT_EQ(cancelled.load(), 1);
    EXPECT_LT(got, memory.size());
    EXPECT_EQ(got % 16, 0u);
    EXPECT_EQ(filedevtell(handle), static_cast<int32_t>(got));
    filedevclose(handle);
}

TEST_F(FileDevice, SlotsRunOutAndComeBack)
{
    std::string path = dir.write("s", {1});
    std::vector<int32_t> handles;
    for (int i = 0; i < 16; ++i) handles.push_back(open(path, READ_SHARED));
    int32_t extra = 3;
    EXPECT_EQ(filedevopen(path.c_str(), READ_SHARED, 0, &extra), 0);
    EXPECT_EQ(extra, 0);
    filedevclose(handles[4]);
    EXPECT_EQ(open(path, READ_SHARED), handles[4]);
}

TEST_F(FileDevice, SetSizeCutsAtThePosition)
{
    std::string path = dir.write("cut", TempDir::pattern(100));
    int32_t handle = open(path, FILEDEV_READ | FILEDEV_WRITE);
    filedevseek(handle, 40);
    EXPECT_EQ(filedevsetsize(handle, 10), 1);
    EXPECT_EQ(filedevtell(handle), 10);
    EXPECT_EQ(size_of(handle), 40);
    filedevclose(handle);
    EXPECT_EQ(dir.read("cut").size(), 40u);
}

TEST(FilePaths, DrivesAndRoots)
{
    struct Case {
        const char* path;
        char letter;
        uint32_t index;
    };
    const Case cases[] = {{"C:\\dir\\x.dat", 'C', 3}, {"a:", 'A', 1},     {"/tmp/x", 0, 0},
                          {"fmv\\kob99.mad", 0, 0},   {"c:\\a.viv|b", 0, 0}, {"C", 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(filedevdriveletter(c.path), c.letter) << c.path;
        EXPECT_EQ(filedevdriveindex(c.path), c.index) << c.path;
    }
    EXPECT_EQ(filedevdriveletter(nullptr), 0);

    struct Root {
        const char* path;
        const char* root;
    };
    const Root roots[] = {{"\\\\server\\share\\dir\\f", "\\\\server\\share\\"},
                          {"C:\\dir\\f", "C:\\"},
                          {"/tmp/x", "/"},
                          {"//host/vol", "//host/vol"},
                          {"plain", "plain"}};
    for (const Root& r : roots) {
        char root[300];
        filedevroot(r.path, root, sizeof root);
        EXPECT_STREQ(root, r.root) << r.path;
    }
    char small[4];
    filedevroot("\\\\server\\share\\", small, sizeof small);
    EXPECT_STREQ(small, "\\\\s");
}

TEST(FilePaths, CopiesStayInsideTheCallersBuffer)
{
    AbortCatcher aborts;
    char volume[300];
    EXPECT_EQ(filedevvolume("/tmp/../tmp/./x", volume, sizeof volume), 1);
    EXPECT_STREQ(volume, "/tmp/x");
    char tiny[5] = "####";
    EXPECT_EQ(filedevvolume("/tmp/a/long/name", tiny, 4), 0);
    EXPECT_EQ(tiny[3], 0);
    EXPECT_EQ(tiny[4], 0) << "untouched terminator";

    char cwd[8];
    uint32_t length = getdirectory(cwd, sizeof cwd);
    EXPECT_GT(length, 0u);
    EXPECT_EQ(std::strlen(cwd), std::min<size_t>(length, 7));
    EXPECT_EQ(aborts.count(), 0u);

    EXPECT_EQ(setdirectory("/no/such/dir/here"), 0);
    EXPECT_TRUE(aborts.saw("setdirectory - FAILED ON '/no/such/dir/here'\n"));
    EXPECT_EQ(filedevdrives(), 0u);
    EXPECT_GT(diskfreespace("/"), 0u);
}

TEST(FilePaths, ADirectoryTooLongToFetchIsReportedWithItsLength)
{
    AbortCatcher aborts;
    TempDir dir;
    std::filesystem::path deep = dir.path("");
    while (deep.string().size() < 600) deep /= std::string(60, 'd');
    std::filesystem::create_directories(deep);
    std::filesystem::path before = std::filesystem::current_path();
    ASSERT_EQ(setdirectory(deep.c_str()), 1);
    char buffer[512] = "unchanged";
    EXPECT_EQ(getdirectory(buffer, sizeof buffer), 0u);
    std::filesystem::current_path(before);
    ASSERT_EQ(aborts.count(), 1u);
    EXPECT_EQ(aborts.messages()[0], "getdirectory - FAILED TO FETCH, OR WAS TOO LONG (0 CHAR).\n");
    EXPECT_STREQ(buffer, "");
}

} // namespace
