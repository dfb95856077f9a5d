// Packed data of every method: the size read, then the whole unpack into an
// area of exactly the size the contract asks for.
#include "fuzz/harness.h"

#include "cmn/lib.h"
#include "cmn/unpack.h"

#include <vector>

namespace {
int keep_going(const char*) { return 0; }
} // namespace

FUZZ_HARNESS(packed_data)
{
    if (size > 1u << 20) return;
    setabortfilter(keep_going);
    auto length = static_cast<uint32_t>(size);
    uint32_t need = unpacksize(data, length);
    if (need <= 1u << 24) {
        std::vector<uint8_t> out(need + 4u);
        uint32_t got = unpack(data, length, out.data());
        if (got && got != need) __builtin_trap();
    }
    setabortfilter(nullptr);
}
