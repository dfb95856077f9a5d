#include "cmn/libtest.h"
#include "cmn/loadcall.h"
#include "cmn/memstd.h"
#include "lib/crcf.h"
#include "tempdir.h"
#include "win/nfile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

class FileQueue : public ::testing::Test {
protected:
    void SetUp() override
    {
        registermainthread();
        initmemsize(1 << 20);
        ASSERT_EQ(FILE_init(0, 0, 0), 1);
    }
    void TearDown() override
    {
        FILE_shutdown();
        releasemem();
    }
    TempDir dir;
};

TEST_F(FileQueue, AFileIsReadThroughTheQueueWithItsCrcChecked)
{
    std::vector<uint8_t> bytes = TempDir::pattern(30000);
    std::vector<uint8_t> file = bytes;
    kit_append_crcf(file);
    std::string path = dir.write("movie.dat", file);

    int32_t handle = 0;
    ASSERT_EQ(syncopen(path.c_str(), FILEMODE_READ, 10, &handle), 1);
    int32_t size = syncsize(handle, 10);
    ASSERT_EQ(size, 30012);
    void* block = reservememadr("movie.dat", size, 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(syncread(handle, 0, block, static_cast<uint32_t>(size), 10), 30012u);
    EXPECT_EQ(syncclose(handle, 10), 1);

    EXPECT_EQ(loadfile_crccheck(block, "movie.dat", 0), block);
    EXPECT_EQ(memblocksize(block), 30000u);
    EXPECT_EQ(std::memcmp(block, bytes.data(), bytes.size()), 0);
    EXPECT_EQ(validatemem(0), 1);
    purgememadr(block);
}

TEST_F(FileQueue, SynchronousReadsOfAnySize)
{
    for (size_t size : {0u, 1u, 8192u, 16385u}) {
        std::vector<uint8_t> bytes = TempDir::pattern(size);
        std::string path = dir.write("s" + std::to_string(size), bytes);
        int32_t handle = 0;
        ASSERT_EQ(syncopen(path.c_str(), FILEMODE_READ, 0, &handle), 1);
        EXPECT_EQ(syncsize(handle, 0), static_cast<int32_t>(size));
        std::vector<uint8_t> got(size + 100, 0);
        EXPECT_EQ(syncread(handle, 0, got.data(), static_cast<uint32_t>(got.size()), 0), size);
        got.resize(size);
        EXPECT_EQ(got, bytes) << size;
        if (size > 1) {
            uint8_t tail[4] = {};
            EXPECT_EQ(syncread(handle, static_cast<int32_t>(size - 1), tail, 4, 0), 1u);
            EXPECT_EQ(tail[0], bytes.back());
        }
        syncclose(handle, 0);
    }
}

TEST_F(FileQueue, WritesCreateAndDeletesRemove)
{
    std::string path = dir.path("written.bin");
    int32_t handle = 0;
    ASSERT_EQ(syncopen(path.c_str(), FILEMODE_CREATE | FILEMODE_TRUNCATE, 0, &handle), 1);
    std::vector<uint8_t> bytes = TempDir::pattern(20000);
    EXPECT_EQ(syncwrite(handle, 0, bytes.data(), 20000, 0), 20000u);
    EXPECT_EQ(syncsize(handle, 0), 20000);
    EXPECT_EQ(syncseek(handle, 5, 0), 1);
    syncclose(handle, 0);
    EXPECT_EQ(dir.read("written.bin"), bytes);
    EXPECT_EQ(syncexists(path.c_str(), 0), 1);
    EXPECT_EQ(syncdelete(path.c_str(), 0), 1);
    EXPECT_EQ(syncexists(path.c_str(), 0), 0);
    EXPECT_EQ(syncdelete(path.c_str(), 0), 0);
}

TEST_F(FileQueue, MissingFilesFailWithTheDevicesLogLine)
{
    LogCatcher log;
    int32_t handle = 9;
    EXPECT_EQ(syncopen(dir.path("absent.mad").c_str(), FILEMODE_READ, 0, &handle), 0);
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(log.text(), "[FILE] CreateFile failed (2)\n");

    uint32_t id = FILE_open(dir.path("absent.mad").c_str(), FILEMODE_READ, 0, 'w');
    EXPECT_EQ(FILE_waitop(id), -2);
    EXPECT_EQ(FILE_opsyserror(id), 2u);
    EXPECT_EQ(FILE_opword(id), uintptr_t{'w'});
    EXPECT_EQ(FILE_completeop(id), 0);
}

TEST_F(FileQueue, ArchiveNamesAreNeverLookedForOnDisk)
{
    std::string path = dir.write("pack.viv|entry", {1, 2, 3});
    EXPECT_EQ(FILE_devicefor(path.c_str()), 0u);
    int32_t handle = 0;
    EXPECT_EQ(syncopen(path.c_str(), FILEMODE_READ, 0, &handle), 0);
    EXPECT_EQ(syncexists(path.c_str(), 0), 0);
}

TEST_F(FileQueue, ArchivesOpenInOrderAndClose)
{
    std::string first = dir.write("one.viv", TempDir::pattern(100));
    std::string second = dir.write("two.viv", TempDir::pattern(50));
    uint32_t free_before = largestfreememclass(0);
    int32_t a = 0, b = 0;
    ASSERT_EQ(syncopenarchive(first.c_str(), 0, 0, &a), 1);
    ASSERT_EQ(syncopenarchive(second.c_str(), 0, 0, &b), 1);
    EXPECT_EQ(a, -1);
    EXPECT_EQ(b, -2);
    EXPECT_STREQ(memblockname(nullptr), nullptr);
    EXPECT_EQ(syncclosearchive(a, 0), 1);
    EXPECT_EQ(syncclosearchive(b, 0), 1);
    EXPECT_EQ(syncclosearchive(b, 0), 0);
    int32_t none = 5;
    EXPECT_EQ(syncopenarchive(dir.path("none.viv").c_str(), 0, 0, &none), 0);
    EXPECT_EQ(none, 0);
    EXPECT_EQ(largestfreememclass(0), free_before);
}

std::mutex g_order_mutex;
std::string g_order;

void record(uint32_t, int32_t state, uintptr_t tag)
{
    std::lock_guard<std::mutex> hold(g_order_mutex);
    g_order += static_cast<char>(tag);
    if (state != 1) g_order += '!';
}

struct Queued {
    int priority;
    char tag;
};
std::vector<uint32_t> g_ids;

// Queues barriers while the device is held at priority 0, so that none runs
// until all are queued.
int32_t queue_barriers(int, uintptr_t list)
{
    for (const Queued* q = reinterpret_cast<const Queued*>(list); q->tag; ++q) {
        uint32_t id = FILE_barrier(0, q->priority, static_cast<uintptr_t>(q->tag));
        FILE_callbackop(id, record);
        g_ids.push_back(id);
    }
    return 7;
}

TEST_F(FileQueue, MostUrgentFirstThenInTheOrderQueued)
{
    const Queued ops[] = {{150, 'a'}, {50, 'b'}, {150, 'c'}, {50, 'd'}, {0, 'e'}, {255, 'f'}, {0, 0}};
    g_order.clear();
    g_ids.clear();
    EXPECT_EQ(FILE_atomic(queue_barriers, 0, 0, reinterpret_cast<uintptr_t>(ops)), 7);
    for (uint32_t id : g_ids) {
        EXPECT_EQ(FILE_waitop(id), 1);
        EXPECT_EQ(FILE_completeop(id), 0);
    }
    std::lock_guard<std::mutex> hold(g_order_mutex);
    EXPECT_EQ(g_order, "ebdacf");
}

struct Cancelled {
    uint32_t read, close;
    int32_t read_state, close_state;
};
std::vector<uint8_t> g_buffer(64);

int32_t cancel_while_held(int, uintptr_t out)
{
    auto* c = reinterpret_cast<Cancelled*>(out);
    int32_t handle = static_cast<int32_t>(c->read);
    c->read = FILE_read(handle, 0, g_buffer.data(), 64, 20, 'r');
    FILE_callbackop(c->read, record);
    c->close = FILE_close(handle, 20, 'c');
    FILE_cancelop(c->read);
    FILE_cancelop(c->close);
    c->read_state = FILE_opstate(c->read);
    c->close_state = FILE_opstate(c->close);
    return 0;
}

TEST_F(FileQueue, OnlyQueuedOperationsAreCancelled)
{
    int32_t handle = 0;
    ASSERT_EQ(syncopen(dir.write("c", TempDir::pattern(64)).c_str(), FILEMODE_READ, 0, &handle), 1);
    g_order.clear();
    Cancelled c{static_cast<uint32_t>(handle), 0, 0, 0};
    FILE_atomic(cancel_while_held, 0, 0, reinterpret_cast<uintptr_t>(&c));
    EXPECT_EQ(c.read_state, -1);
    EXPECT_EQ(c.close_state, 0);
    {
        std::lock_guard<std::mutex> hold(g_order_mutex);
        EXPECT_EQ(g_order, "r!");
    }
    EXPECT_EQ(FILE_completeop(c.read), 0);
    EXPECT_EQ(FILE_waitop(c.close), 1);
    EXPECT_EQ(FILE_completeop(c.close), 1);
    EXPECT_EQ(FILE_opstate(c.close), -3);
}

int32_t nested_atomic(int priority, uintptr_t)
{
    return FILE_atomic(nullptr, 0, priority + 10, 0) + 5;
}

TEST_F(FileQueue, MisuseIsReported)
{
    AbortCatcher aborts;
    EXPECT_EQ(FILE_atomic(nested_atomic, 0, 10, 0), 5);
    EXPECT_TRUE(aborts.saw("FILE_atomic - CALLED AT PRIORITY (20) LOWER THAN CURRENT DEVICE PRIORITY (10).\n"));
    EXPECT_EQ(FILE_atomic(nullptr, 32, 0, 0), 0);
    EXPECT_TRUE(aborts.saw("FILE_atomic - CALLED WITH ILLEGAL FILE DEVICE (32).\n"));
    EXPECT_EQ(FILE_allocateop(FILEOP_BARRIER, 256, 0, 0), nullptr);
    EXPECT_TRUE(aborts.saw("FILE_allocateop - INVALID PRIORITY (256), MUST BE [0..255].\n"));
    EXPECT_EQ(FILE_allocateop(FILEOP_BARRIER, 0, 0, -1), nullptr);
    EXPECT_TRUE(aborts.saw("FILE_allocateop - INVALID DEVICE (-1), MUST BE [0..31].\n"));
    EXPECT_EQ(FILE_completeop(12345 << 5), 0);
    EXPECT_TRUE(aborts.saw("FILE_completeop - OPERATION NOT FOUND IN COMPLETED LIST.\n"));
    EXPECT_EQ(FILE_opstate(99 << 5 | 3), -3);
    EXPECT_EQ(FILE_opsyserror(99 << 5 | 3), 0u);
    EXPECT_EQ(FILE_opword(99 << 5 | 3), 0u);
    EXPECT_EQ(aborts.count(), 5u);
    EXPECT_EQ(FILE_waitop(0), -3);

    FILE_shutdown();
    EXPECT_EQ(FILE_barrier(0, 0, 0), 0u);
    EXPECT_TRUE(aborts.saw("FILE_allocateop - FILE SYSTEM NOT INITIALIZED, CALL FILE_init().\n"));
    FILE_init(0, 0, 0);
}

TEST_F(FileQueue, PoolRunsOutAndRefills)
{
    AbortCatcher aborts;
    // The default 64 records, rounded up to a whole page of 48-byte records
    // (pages of 4 KiB here).
    ASSERT_EQ(FILE_poolsize(), 85u);
    std::vector<FileOp*> taken;
    while (FileOp* op = FILE_allocateop(FILEOP_BARRIER, 0, 0, 0)) taken.push_back(op);
    EXPECT_EQ(taken.size(), FILE_poolsize());
    EXPECT_TRUE(aborts.saw("FILE_allocateop - NO FREE OPS LEFT TO ALLOCATE.\n"));
    for (FileOp* op : taken) FILE_waitop(FILE_queueop(op));
    for (FileOp* op : taken) FILE_completeop(op->id);
    EXPECT_NE(FILE_allocateop(FILEOP_BARRIER, 0, 0, 0), nullptr);
}

TEST_F(FileQueue, ManyWaitersOnOneDeviceEachSeeTheirOwnEnd)
{
    std::vector<std::string> paths;
    std::vector<std::vector<uint8_t>> contents;
    for (int i = 0; i < 4; ++i) {
        contents.push_back(TempDir::pattern(20000 + i * 1000));
        paths.push_back(dir.write("w" + std::to_string(i), contents.back()));
    }
    std::atomic<int> good{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 4; ++i) {
        readers.emplace_back([&, i] {
            for (int round = 0; round < 10; ++round) {
                int32_t handle = 0;
                if (!syncopen(paths[i].c_str(), FILEMODE_READ, i * 10, &handle)) return;
                std::vector<uint8_t> got(contents[i].size());
                uint32_t n = syncread(handle, 0, got.data(), static_cast<uint32_t>(got.size()), i * 10);
                uint32_t id = FILE_barrier(0, 100, 0);
                bool waited = FILE_waitop(id) == 1;
                FILE_completeop(id);
                syncclose(handle, i * 10);
                if (n == got.size() && got == contents[i] && waited) good.fetch_add(1);
            }
        });
    }
    for (auto& t : readers) t.join();
    EXPECT_EQ(good.load(), 40);
}

} // namespace
