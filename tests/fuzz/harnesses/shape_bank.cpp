// The engine library's shape banks: checked, then every shape looked at.
#include "fuzz/harness.h"

#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "win/shapes.h"

#include <cstring>

namespace {
int keep_going(const char*) { return 0; }
} // namespace

FUZZ_HARNESS(shape_bank)
{
    if (size == 0 || size > 1u << 20) return;
    if (!memarenaready()) initmem();
    setabortfilter(keep_going);
    void* bank = memalloc(static_cast<int32_t>(size));
    if (!bank) return;
    std::memcpy(bank, data, size);
    if (checkshapebank(bank, static_cast<uint32_t>(size))) {
        int32_t count = shapecount(bank);
        for (int32_t i = 0; i < count; ++i) {
            void* shape = shapepointer(bank, i);
            uint32_t name = 0;
            shapename(bank, i, &name);
            if (findshape(bank, reinterpret_cast<const char*>(&name)) == nullptr) __builtin_trap();
            getshapeclut(shape);
            shaperowbytes(shape);
            void* plain = unshp(shape);
            if (plain && plain != shape) memfree(plain);
        }
    }
    memfree(bank);
    setabortfilter(nullptr);
}
