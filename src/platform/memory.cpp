#include "platform/memory.h"

#include "platform/fatal_error.h"
#include "platform/message_pump.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {

struct AllocEntry {
    void* pointer;
    uint32_t size;
};

struct AllocBlock {
    AllocBlock* next;
    AllocEntry entries[ALLOC_TABLE_BLOCK_ENTRIES];
};

AllocBlock g_first_block; // static and empty at start
AllocBlock* g_current_block = &g_first_block;
int32_t g_refuse_next = 0;
uint32_t g_largest_block = 0;

bool refused(size_t size)
{
    if (g_largest_block != 0 && size > g_largest_block) return true;
    if (g_refuse_next > 0) {
        --g_refuse_next;
        return true;
    }
    return false;
}

// The system's allocator, with the failure switch tests use.
void* system_alloc(size_t size) { return refused(size) ? nullptr : std::malloc(size); }

void* system_realloc(void* p, size_t size) { return refused(size) ? nullptr : std::realloc(p, size); }

// A walk along the table: entries in order, block after block.
struct TableCursor {
    AllocBlock* block;
    int32_t slot;
    AllocEntry& entry() const { return block->entries[slot]; }
    void step()
    {
        if (++slot == ALLOC_TABLE_BLOCK_ENTRIES) {
            block = block->next;
            slot = 0;
        }
    }
};

// The entry of p and its index (-1 when p is not tracked).
TableCursor find_entry(const void* p, int32_t* index)
{
    TableCursor at{&g_first_block, 0};
    for (int32_t i = 0; i < alloc_count; ++i, at.step())
        if (at.entry().pointer == p) {
            *index = i;
            return at;
        }
    *index = -1;
    return at;
}

} // namespace

int32_t alloc_count = 0;
uint32_t alloc_bytes = 0;

void* alloc_mem(uint32_t size, const char*)
{
    if (size == 0) fatal_error(FATAL_ZERO_ALLOCATION);
    AllocEntry& slot = g_current_block->entries[alloc_count % ALLOC_TABLE_BLOCK_ENTRIES];
    slot.size = size;
    void* p = system_alloc(size);
    if (!p) p = system_alloc(size);
    if (!p) fatal_error(FATAL_NO_MEMORY);
    slot.pointer = p;
    alloc_bytes += size;
    alloc_count += 1;
    if (alloc_count % ALLOC_TABLE_BLOCK_ENTRIES == 0) {
        AllocBlock* block = static_cast<AllocBlock*>(system_alloc(sizeof(AllocBlock)));
        if (!block) fatal_error(FATAL_NO_MEMORY);
        new (block) AllocBlock{};
        g_current_block->next = block;
        g_current_block = block;
    }
    return p;
}

void free_mem(void* p)
{
    if (alloc_count == 0) fatal_error(FATAL_FREE_MEMORY);
    int32_t index = -1;
    TableCursor at = find_entry(p, &index);
    if (index < 0) fatal_error(FATAL_FREE_MEMORY);
    alloc_bytes -= at.entry().size;
    std::free(at.entry().pointer);
    alloc_count -= 1;
    // One pass closes the gap: a free costs no more than the search.
    for (int32_t i = index; i < alloc_count; ++i) {
        TableCursor next = at;
        next.step();
        at.entry() = next.entry();
        at = next;
    }
    at.entry() = AllocEntry{nullptr, 0};
    if (alloc_count % ALLOC_TABLE_BLOCK_ENTRIES == ALLOC_TABLE_BLOCK_ENTRIES - 1) {
        AllocBlock* before = &g_first_block;
        while (before->next != g_current_block) before = before->next;
        std::free(g_current_block);
        before->next = nullptr;
        g_current_block = before;
    }
}

void free_tracked_from(int32_t first)
{
    while (alloc_count > first && alloc_count > 0) {
        TableCursor at{&g_first_block, 0};
        for (int32_t i = 0; i < alloc_count - 1; ++i) at.step();
        free_mem(at.entry().pointer);
    }
}

void* realloc_mem(void* p, uint32_t new_size)
{
    int32_t index = -1;
    TableCursor at = find_entry(p, &index);
    if (index < 0)
        fatal_error_sub(FATAL_REALLOC, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)), "Buffer not found",
                        static_cast<uint32_t>(index));
    AllocEntry& entry = at.entry();
    void* q = new_size ? system_realloc(entry.pointer, new_size) : nullptr;
    if (!q) fatal_error_sub(FATAL_REALLOC, new_size, "Can't realloc", static_cast<uint32_t>(index));
    alloc_bytes = alloc_bytes - entry.size + new_size;
    entry.pointer = q;
    entry.size = new_size;
    return q;
}

int32_t can_allocate(uint32_t size)
{
    void* p = system_alloc(size ? size : 1);
    if (!p) return 0;
    std::free(p);
    return 1;
}

uint32_t largest_free_block(uint32_t a, uint32_t b)
{
    uint64_t size = uint64_t(a) + b;
    uint64_t step = 1048576;
    uint64_t result = size;
    for (;;) {
        // Sizes past what a u32 can name are refused like any other failure.
        if (size <= 0xFFFFFFFFu && can_allocate(static_cast<uint32_t>(size))) {
            step *= 2;
            size += step;
        } else {
            // A refusal below the first step finds nothing, not a wrapped size.
            result = size >= step ? size - step : 0;
            step /= 2;
            if (step == 0) break;
            size = result + step;
        }
    }
    return static_cast<uint32_t>(result);
}

void free_alloc_table()
{
    // Entries past the first block are forgotten with their blocks (their
    // buffers live on to the process end); the count keeps to what is left,
    // with the first block never full, so a later allocation finds its slot.
    const int32_t kept = std::min(alloc_count, ALLOC_TABLE_BLOCK_ENTRIES - 1);
    TableCursor at{&g_first_block, 0};
    for (int32_t i = 0; i < alloc_count; ++i, at.step())
        if (i >= kept) alloc_bytes -= at.entry().size;
    g_first_block.entries[kept] = AllocEntry{nullptr, 0};
    alloc_count = kept;
    AllocBlock* block = g_first_block.next;
    while (block) {
        AllocBlock* next = block->next;
        std::free(block);
        block = next;
    }
    g_first_block.next = nullptr;
    g_current_block = &g_first_block;
}

void pump_messages_n()
{
    for (int32_t i = 0; i < alloc_count; ++i) pump_messages();
}

void* global_alloc_raw(uint32_t, uint32_t size) { return std::malloc(size ? size : 1); }

void global_free_raw(void* p) { std::free(p); }

int32_t alloc_table_blocks()
{
    int32_t n = 1;
    for (AllocBlock* b = g_first_block.next; b; b = b->next) ++n;
    return n;
}

uint32_t alloc_size_of(const void* p)
{
    int32_t index = -1;
    TableCursor at = find_entry(p, &index);
    return index < 0 ? 0 : at.entry().size;
}

void alloc_refuse_next(int32_t n) { g_refuse_next = n; }

void alloc_limit_block_size(uint32_t largest) { g_largest_block = largest; }
