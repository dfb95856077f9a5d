// The engine library's memory manager: one arena split into numbered memory
// classes, every block named and framed by a header and a trailer so that the
// memory map can list it; and whole pages from the system beside it.
#pragma once

#include "win/threads.h"

#include <cstdint>

// The 16 bytes in front of every block's data. next and prev are offsets from
// the class's base (its low sentinel); headers stand on 4-byte boundaries.
struct MemBlockHeader {
    uint16_t signature; // "MB" reserved, "FB" free, "SB" list head, 0 absorbed
    uint16_t flags;
    uint32_t size;      // reserved: the size asked for; free: bytes up to the next header
    uint32_t next;      // the physically following header (0 for the high sentinel)
    uint32_t prev;      // the physically preceding header
};
static_assert(sizeof(MemBlockHeader) == 16);

constexpr uint16_t MEMSIG_USED = 'M' | 'B' << 8;
constexpr uint16_t MEMSIG_FREE = 'F' | 'B' << 8;
constexpr uint16_t MEMSIG_HEAD = 'S' | 'B' << 8;

enum : uint16_t {
    MEM_CLASSMASK = 0x000F,
    MEM_HIGH = 0x0010,     // reserve from the high end
    MEM_LARGEST = 0x0020,  // reserve from the largest free block
    MEM_NAMED = 0x0100,
    MEM_ENDMARK = 0x0200,  // "BEND" after the data
    MEM_SITE = 0x0400,     // source file and line in the trailer
    MEM_EXTRA = 0x0800,    // a fourth trailer word, zeroed
    MEM_FREE = 0x4000,
    MEM_SENTINEL = 0x8000,
};

constexpr uint32_t MEM_ARENA_SIZE = 0x1000000;
constexpr int MEM_CLASSES = 16;

// A class record lives in the data of its low sentinel, in the 64 bytes the
// arena's layout gives it: its base is the sentinel header just before it,
// and its lock and callback (pointers, too wide for the record on this
// machine) stand in a table beside, by the slot it was made in.
struct MemClass {
    char name[8];
    uint32_t high;          // offset of the high sentinel
    MemBlockHeader head;    // free-list head; its two link words follow it
    uint32_t firstfree;     // lowest free block (offset), or the head's own
    uint32_t lastfree;      // highest free block
    uint32_t granularity;
    uint32_t alignment;
    uint32_t trailersize;
    uint32_t classflags;
    uint32_t slot;          // the class number it was made as
};
constexpr uint32_t MEM_CLASS_RECORD = 64;
static_assert(sizeof(MemClass) <= MEM_CLASS_RECORD, "the class record's footprint in the arena");
LibLock memclasslock(const MemClass* c);

// The arena: class 0 "RAM" (class 1 is the same record).
void initmem();
void initmemsize(uint32_t size);
void releasemem();
bool memarenaready();

uint32_t creatememclass(int cls, const char* name, void* start, uint32_t length, uint32_t granularity,
                        uint32_t alignment, uint32_t trailersize, bool endmark, bool site, bool names, bool locked,
                        int (*callback)());
int deletememclass(int cls);
void clearmemclasses();
int getfreememclass();

void* reservememadr(const char* name, int32_t size, uint32_t type);
int purgememadr(void* data);
void* memalloc(int32_t size);
void memfree(void* data);

uint32_t memblocksize(const void* data);
uint32_t memblockflags(const void* data);
const char* memblockname(const void* data);
uint32_t largestfreemem();
uint32_t largestfreememclass(int cls);
uint32_t memclasstrailer(int cls);
uint32_t memblockoverhead(const char* name, int cls);
// The source file a block's trailer names (its second word), or 0.
const char* memsitefile(uint32_t index);

// Whole pages: the size is rounded up and written back; the memory is zeroed.
void* pagealloc(uint32_t* size);
void pagefree(void* address);

// Resizing in place and sentinel checks.
void* resize(void* data, int32_t size);
int checksentinel(const MemBlockHeader* header);
int validatemem(int cls);
int validateallmem();
int memprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void setmemreportoutput(int (*output)(const char* text));

// Holds a class's lock (when it has one) for a scope.
struct MemClassLock {
    explicit MemClassLock(MemClass* c) : lock(c ? memclasslock(c) : nullptr) { entercritical(lock); }
    ~MemClassLock() { leavecritical(lock); }
    LibLock lock;
};

// For the manager's own neighbours (resize, the memory map): the class
// record of a class number, headers by offset, and the free list.
MemClass* memclassrecord(int cls);
MemBlockHeader* memheader(MemClass* c, uint32_t offset);
uint32_t memoffset(const MemClass* c, const void* header);
MemBlockHeader* memheaderof(const void* data);
void memfreeinsert(MemClass* c, MemBlockHeader* block);
void memfreeunlink(MemClass* c, MemBlockHeader* block);
