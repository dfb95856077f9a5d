// The "CRCF" trailer check of the engine library's loaded files.
#include "fuzz/harness.h"

#include "cmn/lib.h"
#include "cmn/loadcall.h"
#include "cmn/memstd.h"

#include <cstring>

namespace {
int keep_going(const char*) { return 0; }
} // namespace

FUZZ_HARNESS(crcf)
{
    if (size == 0 || size > 1u << 20) return;
    if (!memarenaready()) initmem();
    setabortfilter(keep_going);
    void* block = memalloc(static_cast<int32_t>(size));
    if (!block) return;
    std::memcpy(block, data, size);
    void* checked = loadfile_crccheck(block, "fuzz.dat", 0);
    memfree(checked ? checked : block);
    setabortfilter(nullptr);
}
