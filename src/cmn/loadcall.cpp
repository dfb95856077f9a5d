#include "cmn/loadcall.h"

#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "cmn/numeric.h"

#include <atomic>
#include <cstring>

namespace {
std::atomic<LoadFileHook> g_hook{nullptr};
constexpr uint32_t TRAILER = 12; // "CRCF", a word not checked, the CRC
} // namespace

void setloadfilehook(LoadFileHook hook) { g_hook.store(hook); }
LoadFileHook loadfilehook() { return g_hook.load(); }

void* loadfile_crccheck(void* block, const char* name, uint32_t)
{
    if (!block) return nullptr;
    uint32_t size = memblocksize(block);
    auto* bytes = static_cast<const uint8_t*>(block);
    if (size < TRAILER || std::memcmp(bytes + size - TRAILER, "CRCF", 4) != 0) return block;
    const uint8_t* crc = bytes + size - 4;
    uint32_t stored = crc[0] | crc[1] << 8 | crc[2] << 16 | static_cast<uint32_t>(crc[3]) << 24;
    uint32_t computed = crc16(block, size - TRAILER);
    if ((stored & 0xFFFF) == computed) return resize(block, static_cast<int32_t>(size - TRAILER));
    LIBFAIL("cmn\\loadcall",
            "loadfile - CRC FOR FILE '%s' DOES NOT MATCH CALCULATION.\nfilelen %ld, crcfile %lx,crccalc %lx\n",
            name ? name : "", static_cast<long>(size), static_cast<unsigned long>(stored),
            static_cast<unsigned long>(computed));
    return nullptr;
}
