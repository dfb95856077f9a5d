// Chunked data through a two-tap stream: every chunk handed out and released.
#include "fuzz/harness.h"

#include "cmn/lib.h"
#include "cmn/stream.h"

#include <vector>

namespace {
int keep_going(const char*) { return 0; }
} // namespace

FUZZ_HARNESS(stream_chunks)
{
    if (size == 0) return;
    setabortfilter(keep_going);
    registermainthread();
    std::vector<uint8_t> memory(STREAM_memrequired(4, 2, 2) + STREAM_MINBUFFER + 8);
    STREAMHANDLE s = STREAM_create(4, 2, 2, memory.data(), static_cast<uint32_t>(memory.size()));
    if (s) {
        STREAMHANDLE sound = STREAM_taphandle(s, 2);
        STREAM_setfilter(s, 1, 0xFFFF, 'S' | 'C' << 8, 2);
        STREAM_queuemem(s, data, static_cast<uint32_t>(size), 'M' | 'A' << 8 | 'D' << 16 | uint32_t{'e'} << 24);
        // Draining makes room: a stalled stream reads on at each release.
        for (int rounds = 0; rounds < 10000; ++rounds) {
            uint8_t* a = STREAM_get(s);
            uint8_t* b = STREAM_get(sound);
            if (!a && !b) break;
            if (a) STREAM_release(s, a);
            if (b) STREAM_release(sound, b);
        }
        STREAM_destroy(s);
    }
    setabortfilter(nullptr);
}
