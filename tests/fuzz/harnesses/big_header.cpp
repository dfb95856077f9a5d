// A big file's header loaded from disk, then its entries opened by name
// through the current big file.
#include "fuzz/harness.h"

#include "cmn/bigfile.h"
#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "cmn/nsync.h"
#include "win/nfile.h"

namespace {
int keep_going(const char*) { return 0; }
} // namespace

FUZZ_HARNESS(big_header)
{
    setabortfilter(keep_going);
    registermainthread();
    if (!memarenaready()) initmem();
    FILE_init(0, 0, 0);
    std::string path = fuzz_user_file("fuzz.viv", data, size);
    if (void* header = loadbigfileheader(path.c_str(), 0)) {
        uint32_t held = memblocksize(header);
        char name[64];
        for (uint32_t i = 0; i < bigfilecount(header, held) && i < 16; ++i)
            if (bigentryname(header, held, static_cast<int32_t>(i), name, sizeof name)) filesizequiet(name);
        purgememadr(header);
    }
    if (setbigfile(path.c_str())) {
        if (void* entry = loadfileadrquiet("title.mad", 0)) purgememadr(entry);
        setbigfile(nullptr);
    }
    FILE_shutdown();
    setabortfilter(nullptr);
}
