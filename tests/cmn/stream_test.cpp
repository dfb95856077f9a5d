#include "cmn/libtest.h"
#include "cmn/memstd.h"
#include "cmn/stream.h"
#include "lib/viv_write.h"
#include "win/nfile.h"
#include "win/threads.h"
#include "../win/tempdir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr uint32_t VIDEO = kit_chunk_type("MADk");
constexpr uint32_t DELTA = kit_chunk_type("MADm");
constexpr uint32_t SOUND = kit_chunk_type("SCDl");
constexpr uint32_t END = kit_chunk_type("MADe");

// Payloads carry their chunk's number so that order and content both show.
std::vector<uint8_t> payload(uint32_t number, uint32_t size)
{
    std::vector<uint8_t> p(size);
    for (uint32_t i = 0; i < size; ++i) p[i] = static_cast<uint8_t>(number * 7 + i);
    if (size >= 4) std::memcpy(p.data(), &number, 4);
    return p;
}

struct Expected {
    uint32_t type, number, size;
};

// Waits for a state another thread brings about; the bound only keeps a
// broken stream from hanging the suite.
bool eventually(const std::function<bool()>& ready)
{
    for (int i = 0; i < 20000 && !ready(); ++i) sleepthread(1);
    return ready();
}

class Streams : public ::testing::Test {
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
    // A stream whose ring holds exactly `buffer` bytes.
    STREAMHANDLE make(uint32_t buffer, int32_t requests = 4, int32_t filters = 2, int32_t taps = 2)
    {
        memory.assign(STREAM_memrequired(requests, filters, taps) + buffer + 8, 0);
        auto base = reinterpret_cast<uintptr_t>(memory.data());
        uint32_t skew = static_cast<uint32_t>((8 - base % 8) % 8);
        return STREAM_create(requests, filters, taps, memory.data(), static_cast<uint32_t>(memory.size()) - 8 + skew);
    }
    // Takes one chunk from a tap and checks it against the next expected one.
    void take(STREAMHANDLE tap, std::vector<Expected>& expected, size_t& next)
    {
        uint8_t* c = STREAM_get(tap);
        ASSERT_NE(c, nullptr);
        ASSERT_LT(next, expected.size());
        const Expected& e = expected[next++];
        StreamChunk h = streamchunkheader(c);
        EXPECT_EQ(h.type, e.type);
        EXPECT_EQ(h.size, e.size + 8);
        std::vector<uint8_t> want = payload(e.number, e.size);
        if (e.size) {
            EXPECT_EQ(std::memcmp(c + 8, want.data(), e.size), 0) << "chunk " << e.number;
        }
        STREAM_release(tap, c);
    }
    std::vector<uint8_t> memory;
    TempDir dir;
};

TEST_F(Streams, AChunkFileReachesTwoTapsThroughWrapsAndStalls)
{
    std::vector<uint8_t> file;
    std::vector<Expected> video, sound;
    for (uint32_t n = 0; n < 160; ++n) {
        uint32_t size = 300 + (n * 397) % 2900;
        uint32_t type = n % 3 == 0 ? SOUND : (n % 5 ? DELTA : VIDEO);
        kit_append_chunk(file, type, payload(n, size));
        (type == SOUND ? sound : video).push_back({type, n, size});
    }
    std::string path = dir.write("movie.mad", file);

    STREAMHANDLE s = make(STREAM_MINBUFFER);
    ASSERT_NE(s, nullptr);
    STREAMHANDLE tap2 = STREAM_taphandle(s, 2);
    ASSERT_EQ(STREAM_setfilter(s, 1, 0xFFFF, SOUND & 0xFFFF, 2), 1);
    EXPECT_EQ(STREAM_tapnum(tap2), 2);
    uint32_t id = STREAM_queuefile(s, path.c_str(), 0, 0);
    ASSERT_NE(id, 0u);

    // Nobody drains the taps: the buffer fills and the stream stalls.
    ASSERT_TRUE(eventually([&] { return STREAM_state(s) == STREAM_STALLED; }));
    EXPECT_GT(STREAM_bufferusage(s), STREAM_MINBUFFER / 2);
    EXPECT_EQ(STREAM_taprequestid(s), id);

    size_t v = 0, a = 0;
    while (v < video.size() || a < sound.size()) {
        ASSERT_TRUE(eventually([&] { return STREAM_gettable(s) || STREAM_gettable(tap2); }))
            << "stuck after " << v << " video and " << a << " sound chunks";
        if (STREAM_gettable(s)) take(s, video, v);
        if (STREAM_gettable(tap2)) take(tap2, sound, a);
        if (HasFatalFailure()) return;
    }
    EXPECT_TRUE(eventually([&] { return STREAM_isendofstream(s) && STREAM_isendofstream(tap2); }));
    EXPECT_EQ(STREAM_bufferusage(s), 0u);
    EXPECT_EQ(STREAM_requeststate(s, id), STREAMREQ_COMPLETE);
    STREAM_destroy(s);
}

TEST_F(Streams, MemoryRangesEndAtTheirEndChunkAndDropFiltersRelease)
{
    std::vector<uint8_t> block;
    kit_append_chunk(block, VIDEO, payload(0, 40));
    kit_append_chunk(block, SOUND, payload(1, 10));
    kit_append_chunk(block, END, payload(2, 0));
    kit_append_chunk(block, VIDEO, payload(3, 40)); // past the end chunk

    STREAMHANDLE s = make(STREAM_MINBUFFER, 4, 2, 1);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(STREAM_setfilter(s, 1, 0xFFFF, SOUND & 0xFFFF, STREAM_TAPDROP), 1);
    uint32_t id = STREAM_queuemem(s, block.data(), 0, END);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(STREAM_state(s), STREAM_IDLE);
    EXPECT_EQ(STREAM_gettable(s), 48u + 8u);
    std::vector<Expected> expected = {{VIDEO, 0, 40}, {END, 2, 0}};
    size_t next = 0;
    take(s, expected, next);
    take(s, expected, next);
    EXPECT_EQ(STREAM_get(s), nullptr);
    EXPECT_TRUE(STREAM_isendofstream(s));

    // A second range is read from where the first left the buffer.
    ASSERT_NE(STREAM_queuemem(s, block.data(), static_cast<uint32_t>(block.size()), 0), 0u);
    EXPECT_EQ(STREAM_gettable(s), 48u + 8u + 48u);
}

TEST_F(Streams, ReleasingOutOfOrderAndMisuse)
{
    std::vector<uint8_t> block;
    for (uint32_t n = 0; n < 3; ++n) kit_append_chunk(block, VIDEO, payload(n, 100));
    STREAMHANDLE s = make(STREAM_MINBUFFER, 2, 1, 1);
    ASSERT_NE(STREAM_queuemem(s, block.data(), static_cast<uint32_t>(block.size()), 0), 0u);
    uint8_t* a = STREAM_get(s);
    uint8_t* b = STREAM_get(s);
    uint8_t* c = STREAM_get(s);
    ASSERT_TRUE(a && b && c);
    STREAM_release(s, c);
    STREAM_release(s, a);
    EXPECT_EQ(STREAM_bufferusage(s), 108u);

    AbortCatcher aborts;
    STREAM_release(s, a);
    EXPECT_TRUE(aborts.saw("STREAM_release - chunk has already been released\n"));
    uint8_t outside[8] = {};
    STREAM_release(s, outside);
    EXPECT_TRUE(aborts.saw("STREAM_release - chunk does not belong to specified stream\n"));
    EXPECT_EQ(STREAM_get(nullptr), nullptr);
    EXPECT_TRUE(aborts.saw("STREAM_get - invalid stream handle\n"));
    STREAM_release(s, b);
    EXPECT_EQ(STREAM_bufferusage(s), 0u);
}

TEST_F(Streams, BadChunkSizesAbortInsteadOfSpinning)
{
    for (uint32_t size : {0u, 7u, 0x1000000u, STREAM_MINBUFFER}) {
        AbortCatcher aborts;
        std::vector<uint8_t> block;
        kit_append_chunk(block, VIDEO, payload(0, 16));
        uint32_t bad[2] = {VIDEO, size};
        block.insert(block.end(), reinterpret_cast<uint8_t*>(bad), reinterpret_cast<uint8_t*>(bad) + 8);
        block.resize(block.size() + 64);
        STREAMHANDLE s = make(STREAM_MINBUFFER, 2, 1, 1);
        ASSERT_NE(STREAM_queuemem(s, block.data(), static_cast<uint32_t>(block.size()), 0), 0u);
        EXPECT_TRUE(aborts.saw("STREAM - invalid chunk file (chunk too large)\n")) << size;
        EXPECT_EQ(STREAM_state(s), STREAM_IDLE);
        EXPECT_EQ(STREAM_gettable(s), 24u);
        EXPECT_EQ(STREAM_queuemem(s, bad, 0, END), 0u);
    }
}

TEST_F(Streams, AChunkNearlyAsLargeAsTheBufferStillPasses)
{
    // Starting high in the buffer, it moves to the start with nothing held.
    std::vector<uint8_t> file;
    kit_append_chunk(file, VIDEO, payload(0, 15000));
    kit_append_chunk(file, VIDEO, payload(1, STREAM_MINBUFFER - 8 - 8));
    std::string path = dir.write("big.mad", file);
    STREAMHANDLE s = make(STREAM_MINBUFFER, 2, 1, 1);
    ASSERT_NE(STREAM_queuefile(s, path.c_str(), 0, 0), 0u);
    std::vector<Expected> expected = {{VIDEO, 0, 15000}, {VIDEO, 1, STREAM_MINBUFFER - 16}};
    size_t next = 0;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(eventually([&] { return STREAM_gettable(s) > 0; })) << "chunk " << i;
        take(s, expected, next);
    }
    STREAM_destroy(s);
}

TEST_F(Streams, CancellingARequestTakesItsChunksOffTheTaps)
{
    std::vector<uint8_t> one, two;
    for (uint32_t n = 0; n < 4; ++n) kit_append_chunk(one, VIDEO, payload(n, 50));
    kit_append_chunk(two, VIDEO, payload(9, 50));
    STREAMHANDLE s = make(STREAM_MINBUFFER, 4, 1, 1);
    uint32_t first = STREAM_queuemem(s, one.data(), static_cast<uint32_t>(one.size()), 0);
    uint32_t second = STREAM_queuemem(s, two.data(), static_cast<uint32_t>(two.size()), 0);
    EXPECT_EQ(STREAM_gettable(s), 5u * 58u);
    EXPECT_EQ(STREAM_taprequestid(s), first);
    uint8_t* held = STREAM_get(s); // the consumer keeps this one

    STREAM_cancelrequest(s, first);
    EXPECT_EQ(STREAM_requeststate(s, first), STREAMREQ_CANCELLED);
    EXPECT_EQ(STREAM_gettable(s), 58u);
    EXPECT_EQ(STREAM_taprequestid(s), second);
    std::vector<Expected> expected = {{VIDEO, 9, 50}};
    size_t next = 0;
    take(s, expected, next);
    STREAM_release(s, held);
    EXPECT_EQ(STREAM_bufferusage(s), 0u);
    EXPECT_EQ(STREAM_requeststate(s, 12345), 0);
    STREAM_cancelrequest(s, first); // a second cancel changes nothing
}

TEST_F(Streams, CreationAndFilterChecks)
{
    AbortCatcher aborts;
    std::vector<uint8_t> block(STREAM_memrequired(4, 2, 2) + STREAM_MINBUFFER + 8);
    uint32_t size = static_cast<uint32_t>(block.size());
    const struct {
        int32_t requests, filters, taps;
        uint32_t size;
        const char* text;
    } refused[] = {
        {4, 2, 2, size - 16, "STREAM_create - stream buffer too small\n"},
        {1, 2, 2, size, "STREAM_create - a minimum of two requests is required\n"},
        {257, 2, 2, 1u << 20, "STREAM_create - too many requests\n"},
        {4, 0, 1, size, "STREAM_create - invalid number of filters\n"},
        {4, 17, 1, 1u << 20, "STREAM_create - invalid number of filters\n"},
        {4, 2, 3, 1u << 20, "STREAM_create - invalid number of taps\n"},
        {4, 2, 0, size, "STREAM_create - invalid number of taps\n"},
    };
    std::vector<uint8_t> large(1u << 20);
    for (const auto& c : refused) {
        uint8_t* at = c.size > size ? large.data() : block.data();
        EXPECT_EQ(STREAM_create(c.requests, c.filters, c.taps, at, c.size), nullptr) << c.text;
        EXPECT_TRUE(aborts.saw(c.text)) << c.text;
    }

    STREAMHANDLE s = STREAM_create(4, 2, 2, block.data(), size);
    ASSERT_NE(s, nullptr);
    EXPECT_GE(STREAM_buffersize(s), STREAM_MINBUFFER);
    const struct {
        int32_t filter;
        uint32_t mask, value;
        int32_t tap;
        const char* text;
    } misuse[] = {
        {0, 0, 0, 1, "STREAM_setfilter - invalid filter number\n"},
        {3, 0, 0, 1, "STREAM_setfilter - invalid filter number\n"},
        {2, 0xFF, 1, 1, "STREAM_setfilter - last filter must be null\n"},
        {1, 0xFF, 1, 0, "STREAM_setfilter - invalid tap number\n"},
        {1, 0xFF, 1, 3, "STREAM_setfilter - invalid tap number\n"},
        {1, 0xFF, 1, -3, "STREAM_setfilter - invalid tap number\n"},
    };
    for (const auto& m : misuse) {
        EXPECT_EQ(STREAM_setfilter(s, m.filter, m.mask, m.value, m.tap), 0) << m.text;
        EXPECT_TRUE(aborts.saw(m.text)) << m.text;
    }
    EXPECT_EQ(STREAM_taphandle(s, 3), nullptr);
    EXPECT_TRUE(aborts.saw("STREAM_taphandle - invalid tap number\n"));
    EXPECT_EQ(STREAM_setfilter(s, 1, 0xFF, 1, STREAM_TAPABORT), 1);

    std::vector<uint8_t> chunk;
    kit_append_chunk(chunk, 1, payload(0, 4));
    STREAM_queuemem(s, chunk.data(), static_cast<uint32_t>(chunk.size()), 0);
    EXPECT_TRUE(aborts.saw("STREAM - chunk received at abort tap\n"));
    EXPECT_EQ(STREAM_bufferusage(s), 0u);
    STREAM_destroy(s);
    EXPECT_EQ(STREAM_state(s), 0);
    EXPECT_TRUE(aborts.saw("STREAM_state - invalid stream handle\n"));
}

TEST_F(Streams, DestroyWhileReadingWaitsForTheReadAndClosesTheFile)
{
    std::vector<uint8_t> file;
    for (uint32_t n = 0; n < 40; ++n) kit_append_chunk(file, VIDEO, payload(n, 2000));
    std::string path = dir.write("long.mad", file);
    STREAMHANDLE s = make(STREAM_MINBUFFER, 4, 1, 1);
    uint32_t a = STREAM_queuefile(s, path.c_str(), 0, 0);
    uint32_t b = STREAM_queuefile(s, path.c_str(), 2008 * 39, 0); // the last chunk again, same file
    ASSERT_TRUE(a && b);
    ASSERT_TRUE(eventually([&] { return STREAM_gettable(s) > 0; }));
    STREAM_kill(s);
    EXPECT_EQ(STREAM_gettable(s), 0u);
    EXPECT_EQ(STREAM_bufferusage(s), 0u);
    EXPECT_EQ(STREAM_requeststate(s, b), 0);
    STREAM_destroy(s);
}

TEST_F(Streams, ASecondRequestOfTheOpenFileStartsAtItsOffset)
{
    std::vector<uint8_t> file;
    for (uint32_t n = 0; n < 3; ++n) kit_append_chunk(file, VIDEO, payload(n, 100));
    kit_append_chunk(file, END, {});
    std::string path = dir.write("two.mad", file);
    STREAMHANDLE s = make(STREAM_MINBUFFER, 4, 1, 1);
    ASSERT_NE(STREAM_queuefile(s, path.c_str(), 0, END), 0u);
    ASSERT_NE(STREAM_queuefile(s, path.c_str(), 216, END), 0u);
    std::vector<Expected> expected = {{VIDEO, 0, 100}, {VIDEO, 1, 100}, {VIDEO, 2, 100}, {END, 0, 0},
                                      {VIDEO, 2, 100}, {END, 0, 0}};
    size_t next = 0;
    while (next < expected.size()) {
        ASSERT_TRUE(eventually([&] { return STREAM_gettable(s) > 0; })) << next;
        take(s, expected, next);
    }
    EXPECT_TRUE(eventually([&] { return STREAM_isendofstream(s) != 0; }));
    STREAM_destroy(s);
}

} // namespace
