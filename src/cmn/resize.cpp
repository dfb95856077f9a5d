#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "cmn/numeric.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

int memreportline(const char* text)
{
    std::fputs(text, stdout);
    std::fflush(stdout);
    return 1;
}

std::atomic<int (*)(const char*)> g_report{memreportline};

} // namespace

void* resize(void* data, int32_t size)
{
    if (!data) return nullptr;
    if (size < -1) {
        LIBFAIL("cmn\\resize", "resize - BAD RESIZE VALUE %d\n", size);
        return data;
    }
    MemBlockHeader* block = memheaderof(data);
    MemClass* c = memclassrecord(block->flags);
    if (!c || block->signature != MEMSIG_USED) return data;
    MemClassLock hold(c);

    uint32_t self = memoffset(c, block);
    MemBlockHeader* next = memheader(c, block->next);
    if (next->signature == MEMSIG_FREE) {
        memfreeunlink(c, next);
        next->signature = 0;
        block->next = next->next;
        memheader(c, block->next)->prev = self;
    }

    uint32_t wanted = size == -1 ? 0x40000000u : static_cast<uint32_t>(size < 8 ? 8 : size);
    const char* name = memblockname(data);
    uint32_t trailer = c->trailersize + (name ? static_cast<uint32_t>(std::strlen(name)) + 1 : 0);
    uint64_t span = (uint64_t{wanted} + trailer + 16 + c->alignment - 1) / c->alignment * c->alignment - 16;
    uint32_t room = block->next - self - 16;
    if (span > room) {
        span = room;
        wanted = room - trailer;
    }
    auto* bytes = static_cast<uint8_t*>(data);
    memmove_fast(bytes + block->size, bytes + wanted, trailer);
    block->size = wanted;

    // The spare room becomes a free block whose header stands 16 bytes past
    // the new span; those 16 bytes stay with this block.
    if (room - span > 64) {
        auto* rest = reinterpret_cast<MemBlockHeader*>(bytes + span + 16);
        uint32_t at = memoffset(c, rest);
        *rest = MemBlockHeader{MEMSIG_FREE, static_cast<uint16_t>((block->flags & MEM_CLASSMASK) | MEM_FREE),
                               block->next - at - 16, block->next, self};
        memheader(c, block->next)->prev = at;
        block->next = at;
        memfreeinsert(c, rest);
    }
    return data;
}

int checksentinel(const MemBlockHeader* header)
{
    if (!(header->flags & MEM_ENDMARK) || (header->flags & (MEM_FREE | MEM_SENTINEL))) return 2;
    const uint8_t* end = reinterpret_cast<const uint8_t*>(header + 1) + header->size;
    return std::memcmp(end, "BEND", 4) == 0 ? 1 : 0;
}

int validatemem(int cls)
{
    MemClass* c = memclassrecord(cls);
    if (!c) return 1;
    MemClassLock hold(c);
    for (uint32_t at = 0;;) {
        MemBlockHeader* block = memheader(c, at);
        if (checksentinel(block) == 0) {
            const uint8_t* data = reinterpret_cast<const uint8_t*>(block + 1);
            const char* name = memblockname(data);
            char value[5] = {};
            std::memcpy(value, data + block->size, 4);
            LIBFAIL("cmn\\validmem",
                    "validatemem - SENTINEL CORRUPTED.  BLOCK '%s' ADR 0x%lx, LENGTH %ld\nSentinel ADR 0x%lx, "
                    "VALUE '%4.4s'\n",
                    name ? name : "", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(data)),
                    static_cast<long>(block->size),
                    static_cast<unsigned long>(reinterpret_cast<uintptr_t>(data + block->size)), value);
            return 0;
        }
        if (block->next == 0) return 1;
        at = block->next;
    }
}

int validateallmem()
{
    for (int cls = 0; cls < MEM_CLASSES; ++cls)
        if (memclassrecord(cls) && !validatemem(cls)) return 0;
    return 1;
}

int memprintf(const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return g_report.load()(text);
}

void setmemreportoutput(int (*output)(const char*)) { g_report.store(output ? output : memreportline); }
