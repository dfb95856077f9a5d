// Big archive directories, read in place: every lookup of both kinds.
#include "fuzz/harness.h"

#include "cmn/bigfile.h"
#include "cmn/lib.h"

namespace {
int keep_going(const char*) { return 0; }
} // namespace

FUZZ_HARNESS(big_archive)
{
    setabortfilter(keep_going);
    auto held = static_cast<uint32_t>(size);
    typeofbigfile(data, held);
    bigfileheadersize(data, held);
    uint32_t count = bigfilecount(data, held);
    char name[64];
    for (uint32_t i = 0; i < count && i < 64; ++i) {
        uint32_t offset = 0, length = 0;
        findbigentry(data, held, held, nullptr, static_cast<int32_t>(i), &offset, &length);
        if (bigentryname(data, held, static_cast<int32_t>(i), name, sizeof name)) locatebig(data, held, name);
    }
    locatebigentry(data, held, 0, "TITLE.MAD", -1, nullptr, nullptr);
    const uint8_t* out[3];
    locatebigs(data, held, "a,title.mad,,b", out, 3);
    locatebigbynumber(data, held, 0);
    setabortfilter(nullptr);
}
