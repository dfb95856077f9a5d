#include "cmn/memstd.h"

#include "cmn/lib.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

namespace {

MemClass* g_classes[MEM_CLASSES];
LibLock g_class_locks[MEM_CLASSES];
int (*g_class_callbacks[MEM_CLASSES])();
uint8_t* g_arena = nullptr;

// The record sits in its low sentinel's data, right after the header.
uint8_t* class_base(const MemClass* c)
{
    return const_cast<uint8_t*>(reinterpret_cast<const uint8_t*>(c)) - sizeof(MemBlockHeader);
}
constexpr uint32_t BEND = 'B' | 'E' << 8 | 'N' << 16 | uint32_t{'D'} << 24;

uint32_t round_up(uint32_t value, uint32_t step) { return (value + step - 1) / step * step; }

uint32_t* links(MemBlockHeader* block) { return reinterpret_cast<uint32_t*>(block + 1); }

uint8_t* data_of(MemBlockHeader* block) { return reinterpret_cast<uint8_t*>(block + 1); }

uint32_t head_offset(MemClass* c) { return memoffset(c, &c->head); }

// Source files named in trailers are kept as small numbers: a pointer does not
// fit in a trailer word.
struct SiteNames {
    std::mutex mutex;
    const char* names[256] = {};
    uint32_t count = 0;
};
SiteNames g_sites;

uint32_t site_index(const char* file)
{
    if (!file) return 0;
    std::lock_guard<std::mutex> hold(g_sites.mutex);
    for (uint32_t i = 0; i < g_sites.count; ++i)
        if (g_sites.names[i] == file) return i + 1;
    if (g_sites.count == 256) return 0;
    g_sites.names[g_sites.count++] = file;
    return g_sites.count;
}

void put32(uint8_t* at, uint32_t value) { std::memcpy(at, &value, 4); }

// The trailer at data + size, then the name; only the words the class has
// room for are written.
void write_trailer(MemClass* c, MemBlockHeader* block, const char* name)
{
    uint8_t* at = data_of(block) + block->size;
    uint32_t room = c->trailersize;
    if ((block->flags & MEM_ENDMARK) && room >= 4) put32(at, BEND);
    if ((block->flags & MEM_SITE) && room >= 12) {
        bool caller = libcallsite.file.load() != nullptr;
        const ErrorSite& site = caller ? libcallsite : libsite;
        put32(at + 4, site_index(site.file.load()));
        put32(at + 8, static_cast<uint32_t>(site.line.load()));
    }
    if ((block->flags & MEM_EXTRA) && room >= 16) put32(at + 12, 0);
    if ((block->flags & MEM_NAMED) && name) std::strcpy(reinterpret_cast<char*>(at + room), name);
}

uint32_t largest_free(MemClass* c)
{
    uint32_t largest = 0;
    uint32_t head = head_offset(c);
    for (uint32_t at = c->firstfree; at != head;) {
        MemBlockHeader* block = memheader(c, at);
        if (block->size > largest) largest = block->size;
        at = links(block)[0];
    }
    return largest;
}

// The free block for a need: the first that fits from the chosen end, or the
// largest (the first met of equal ones).
MemBlockHeader* find_free(MemClass* c, uint32_t need, uint32_t type)
{
    uint32_t head = head_offset(c);
    bool high = type & MEM_HIGH;
    MemBlockHeader* best = nullptr;
    for (uint32_t at = high ? c->lastfree : c->firstfree; at != head;) {
        MemBlockHeader* block = memheader(c, at);
        if (block->size >= need) {
            if (!(type & MEM_LARGEST)) return block;
            if (!best || block->size > best->size) best = block;
        }
        at = links(block)[high ? 1 : 0];
    }
    return best;
}

} // namespace

MemClass* memclassrecord(int cls) { return g_classes[cls & MEM_CLASSMASK]; }

LibLock memclasslock(const MemClass* c) { return g_class_locks[c->slot & MEM_CLASSMASK]; }

MemBlockHeader* memheader(MemClass* c, uint32_t offset)
{
    return reinterpret_cast<MemBlockHeader*>(class_base(c) + offset);
}

uint32_t memoffset(const MemClass* c, const void* header)
{
    return static_cast<uint32_t>(static_cast<const uint8_t*>(header) - class_base(c));
}

MemBlockHeader* memheaderof(const void* data)
{
    return reinterpret_cast<MemBlockHeader*>(const_cast<uint8_t*>(static_cast<const uint8_t*>(data))) - 1;
}

void memfreeinsert(MemClass* c, MemBlockHeader* block)
{
    uint32_t head = head_offset(c);
    uint32_t offset = memoffset(c, block);
    // Walk from whichever end is nearer; the list stays in address order.
    uint32_t after = head; // the free block that will follow this one
    if (c->firstfree == head) {
        after = head;
    } else if (offset <= c->firstfree + (c->lastfree - c->firstfree) / 2) {
        after = c->firstfree;
        while (after != head && after < offset) after = links(memheader(c, after))[0];
    } else {
        uint32_t before = c->lastfree;
        while (before != head && before > offset) before = links(memheader(c, before))[1];
        after = before == head ? c->firstfree : links(memheader(c, before))[0];
    }
    uint32_t before = after == head ? c->lastfree : links(memheader(c, after))[1];
    links(block)[0] = after;
    links(block)[1] = before;
    links(memheader(c, before))[0] = offset;
    links(memheader(c, after))[1] = offset;
}

void memfreeunlink(MemClass* c, MemBlockHeader* block)
{
    uint32_t next = links(block)[0];
    uint32_t prev = links(block)[1];
    links(memheader(c, prev))[0] = next;
    links(memheader(c, next))[1] = prev;
}

uint32_t creatememclass(int cls, const char* name, void* start, uint32_t length, uint32_t granularity,
                        uint32_t alignment, uint32_t trailersize, bool endmark, bool site, bool names, bool locked,
                        int (*callback)())
{
    if (cls < 0 || cls >= MEM_CLASSES) {
        LIBFAIL("cmn\\memstd", "creatememclass - CLASS NUMBER OF %d IS OUT OF RANGE. SHOULD BE 0..%d\n", cls,
                MEM_CLASSES);
        return 0;
    }
    // Headers are read as 32-bit words: keep them on 4-byte boundaries.
    granularity = round_up(granularity < 4 ? 4 : granularity, 4);
    if (alignment < 4 || (alignment & (alignment - 1))) alignment = alignment < 4 ? 4 : 32;

    const uint32_t record = MEM_CLASS_RECORD;
    auto* base = static_cast<uint8_t*>(start);
    uintptr_t origin = reinterpret_cast<uintptr_t>(base);
    uintptr_t first = ((origin + trailersize + 16 + record + alignment + 31) & ~uintptr_t{alignment - 1}) - 16;
    uintptr_t high = (origin + length - 32 - trailersize) & ~uintptr_t{3};
    if (!start || length < 256 + 2 * trailersize || first + 16 + 64 > high) return 0;

    uint32_t flags = static_cast<uint32_t>(cls) | (names ? MEM_NAMED : 0) | (endmark ? MEM_ENDMARK : 0) |
                     (site ? MEM_SITE : 0);
    std::memset(base + 16, 0, MEM_CLASS_RECORD);
    auto* c = new (base + 16) MemClass{};
    std::snprintf(c->name, sizeof c->name, "%s", name ? name : "");
    c->slot = static_cast<uint32_t>(cls);
    c->high = static_cast<uint32_t>(high - origin);
    c->granularity = granularity;
    c->alignment = alignment;
    c->trailersize = trailersize;
    c->classflags = flags;
    g_class_locks[cls] = locked ? createcritical() : nullptr;
    g_class_callbacks[cls] = callback;
    c->head = MemBlockHeader{MEMSIG_HEAD, 0, 0x7FFFFFFF, 0, 0};
    c->firstfree = c->lastfree = head_offset(c);

    char label[32];
    auto* low = reinterpret_cast<MemBlockHeader*>(base);
    *low = MemBlockHeader{MEMSIG_USED, static_cast<uint16_t>(flags | MEM_SENTINEL), record,
                          static_cast<uint32_t>(first - origin), 0};
    std::snprintf(label, sizeof label, "%s LOW", c->name);
    write_trailer(c, low, label);

    auto* top = memheader(c, c->high);
    *top = MemBlockHeader{MEMSIG_USED, static_cast<uint16_t>(flags | MEM_SENTINEL | MEM_HIGH), 0, 0,
                          static_cast<uint32_t>(first - origin)};
    std::snprintf(label, sizeof label, "%s HIGH", c->name);
    write_trailer(c, top, label);

    auto* block = memheader(c, static_cast<uint32_t>(first - origin));
    *block = MemBlockHeader{MEMSIG_FREE, static_cast<uint16_t>(cls | MEM_FREE),
                            static_cast<uint32_t>(high - first - 16), c->high, 0};
    memfreeinsert(c, block);
    g_classes[cls] = c;
    return block->size;
}

int deletememclass(int cls)
{
    MemClass* c = memclassrecord(cls);
    if (!c) return 0;
    for (MemClass*& entry : g_classes)
        if (entry == c) entry = nullptr;
    deletecritical(g_class_locks[c->slot & MEM_CLASSMASK]);
    g_class_locks[c->slot & MEM_CLASSMASK] = nullptr;
    g_class_callbacks[c->slot & MEM_CLASSMASK] = nullptr;
    std::memset(static_cast<void*>(c), 0, sizeof *c);
    return 1;
}

void clearmemclasses()
{
    for (MemClass*& entry : g_classes) entry = nullptr;
}

int getfreememclass()
{
    for (int cls = 1; cls < MEM_CLASSES; ++cls)
        if (!g_classes[cls]) return cls;
    LIBFAIL("cmn\\memstd", "getfreememclass - NO FREE CLASSES.  %d IS MAXIMUM\n", MEM_CLASSES);
    return MEM_CLASSES;
}

static int return_zero() { return 0; }

void initmemsize(uint32_t size)
{
    if (g_arena) return;
    // On a 32-byte boundary, as the arena's layout assumes.
    g_arena = static_cast<uint8_t*>(std::aligned_alloc(32, (uint64_t{size} + 31) & ~uint64_t{31}));
    if (!g_arena) {
        LIBFAIL("cmn\\memstd", "initmem - CANNOT TAKE %u BYTES FOR THE ARENA\n", size);
        return;
    }
    creatememclass(0, "RAM", g_arena, size, 8, 32, 16, true, true, true, true, return_zero);
    g_classes[1] = g_classes[0];
}

void initmem() { initmemsize(MEM_ARENA_SIZE); }

void releasemem()
{
    if (!g_arena) return;
    deletememclass(0);
    std::free(g_arena);
    g_arena = nullptr;
}

bool memarenaready() { return g_arena != nullptr; }

void* reservememadr(const char* name, int32_t size, uint32_t type)
{
    MemClass* c = memclassrecord(static_cast<int>(type));
    if (!c) {
        LIBFAIL("cmn\\memstd", "reservememadr - NO MEMORY CLASS %d\nrequested '%s': %d\n",
                static_cast<int>(type & MEM_CLASSMASK), name ? name : "", size);
        return nullptr;
    }
    MemBlockHeader* block = nullptr;
    {
        MemClassLock hold(c);
        if (size < 0) {
            uint32_t largest = largest_free(c);
            leavecritical(hold.lock);
            hold.lock = nullptr;
            LIBFAIL("cmn\\memstd",
                    "reservememadr - INVALID SIZE REQUESTED\nrequested '%s': %d\navailable: %d. type %04lx MB_LOW\n",
                    name ? name : "", size, static_cast<int>(largest), static_cast<unsigned long>(type));
            return nullptr;
        }
        bool named = name && (c->classflags & MEM_NAMED);
        uint32_t overhead = c->trailersize + (named ? static_cast<uint32_t>(std::strlen(name)) + 1 : 0);
        uint64_t search = size < 8 ? 8 : static_cast<uint32_t>(size);
        uint64_t span = (search + overhead + c->granularity - 1 + 16) / c->granularity * c->granularity - 16;
        if (span < c->high) block = find_free(c, static_cast<uint32_t>(span), type);
        if (!block) {
            uint32_t largest = largest_free(c);
            leavecritical(hold.lock);
            hold.lock = nullptr;
            LIBFAIL("cmn\\memstd", "reservememadr - OUT OF MEMORY\nrequested '%s': %d\navailable: %d. type %04lx\n",
                    name ? name : "", size, static_cast<int>(largest), static_cast<unsigned long>(type));
            return nullptr;
        }
        uint32_t need = static_cast<uint32_t>(span);
        memfreeunlink(c, block);
        uint32_t leftover = block->size - need;
        if (leftover > 64) {
            if (type & MEM_HIGH) {
                uint32_t keep = leftover / c->granularity * c->granularity;
                auto* taken = reinterpret_cast<MemBlockHeader*>(reinterpret_cast<uint8_t*>(block) + keep);
                *taken = MemBlockHeader{0, 0, 0, block->next, memoffset(c, block)};
                memheader(c, block->next)->prev = memoffset(c, taken);
                block->next = memoffset(c, taken);
                block->size = keep - 16;
                memfreeinsert(c, block);
                block = taken;
            } else {
                auto* rest = reinterpret_cast<MemBlockHeader*>(data_of(block) + need);
                *rest = MemBlockHeader{MEMSIG_FREE, static_cast<uint16_t>((type & MEM_CLASSMASK) | MEM_FREE), 0,
                                       block->next, memoffset(c, block)};
                rest->size = rest->next - memoffset(c, rest) - 16;
                memheader(c, block->next)->prev = memoffset(c, rest);
                block->next = memoffset(c, rest);
                memfreeinsert(c, rest);
            }
        }
        uint32_t flags = (type & 0x3FFF & ~uint32_t{MEM_FREE}) | (c->classflags & 0x700);
        if (!named) flags &= ~uint32_t{MEM_NAMED};
        block->signature = MEMSIG_USED;
        block->flags = static_cast<uint16_t>(flags);
        block->size = static_cast<uint32_t>(size);
        write_trailer(c, block, name);
    }
    return data_of(block);
}

int purgememadr(void* data)
{
    if (!data) return 1;
    MemBlockHeader* block = memheaderof(data);
    MemClass* c = memclassrecord(block->flags);
    {
        MemClassLock hold(block->signature == MEMSIG_USED ? c : nullptr);
        if (block->signature == MEMSIG_USED && !(block->flags & MEM_SENTINEL) && c) {
            MemBlockHeader* start = block;
            MemBlockHeader* prev = memheader(c, block->prev);
            if (prev->signature == MEMSIG_FREE) {
                memfreeunlink(c, prev);
                block->signature = 0; // absorbed: a stale pointer to it is no block
                start = prev;
            }
            uint32_t after = block->next;
            MemBlockHeader* next = memheader(c, after);
            if (next->signature == MEMSIG_FREE) {
                memfreeunlink(c, next);
                next->signature = 0;
                after = next->next;
            }
            start->next = after;
            memheader(c, after)->prev = memoffset(c, start);
            start->signature = MEMSIG_FREE;
            start->flags = static_cast<uint16_t>(start->flags | MEM_FREE);
            start->size = after - memoffset(c, start) - 16;
            memfreeinsert(c, start);
            return 1;
        }
    }
    uint16_t signature = block->signature;
    char text[3] = {static_cast<char>(signature & 0xFF), static_cast<char>(signature >> 8), 0};
    LIBFAIL("cmn\\memstd", "purgememadr - NOT A MEMBLOCK.  BLOCK @ 0x%08lx, SIGNATURE '%2.2s' (0x%02x)\n",
            static_cast<unsigned long>(reinterpret_cast<uintptr_t>(data)), text,
            static_cast<unsigned>((signature & 0xFF) << 8 | signature >> 8));
    return 0;
}

void* memalloc(int32_t size)
{
    return reservememadr(nullptr, size, static_cast<uint32_t>(libsettings.defaultmemclass));
}

void memfree(void* data) { purgememadr(data); }

uint32_t memblocksize(const void* data) { return data ? memheaderof(data)->size : 0; }

uint32_t memblockflags(const void* data) { return data ? memheaderof(data)->flags : 0; }

const char* memblockname(const void* data)
{
    if (!data) return nullptr;
    const MemBlockHeader* block = memheaderof(data);
    MemClass* c = memclassrecord(block->flags);
    if (!(block->flags & MEM_NAMED) || !c) return nullptr;
    return static_cast<const char*>(data) + block->size + c->trailersize;
}

uint32_t largestfreememclass(int cls)
{
    MemClass* c = memclassrecord(cls);
    if (!c) return 0;
    MemClassLock hold(c);
    return largest_free(c);
}

uint32_t largestfreemem() { return largestfreememclass(libsettings.defaultmemclass); }

uint32_t memclasstrailer(int cls)
{
    MemClass* c = memclassrecord(cls);
    return c ? c->trailersize : 0;
}

uint32_t memblockoverhead(const char* name, int cls)
{
    MemClass* c = memclassrecord(cls);
    if (!c) return 0;
    uint32_t overhead = c->trailersize;
    if (name && (c->classflags & MEM_NAMED)) overhead += static_cast<uint32_t>(std::strlen(name)) + 1;
    return overhead;
}

const char* memsitefile(uint32_t index)
{
    std::lock_guard<std::mutex> hold(g_sites.mutex);
    return index >= 1 && index <= g_sites.count ? g_sites.names[index - 1] : nullptr;
}

void* pagealloc(uint32_t* size)
{
    static const uint32_t page = static_cast<uint32_t>(::sysconf(_SC_PAGESIZE));
    if (!size) return nullptr;
    uint32_t bytes = round_up(*size ? *size : 1, page);
    void* memory = std::aligned_alloc(page, bytes);
    if (!memory) return nullptr;
    std::memset(memory, 0, bytes);
    *size = bytes;
    return memory;
}

void pagefree(void* address) { std::free(address); }
