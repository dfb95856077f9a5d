// Provisional: the tracked allocation table replaces this.
#include "platform/memory.h"

#include "platform/fatal_error.h"

#include <cstdlib>

void* alloc_mem(uint32_t size, const char*)
{
    if (size == 0) fatal_error(201);
    void* p = std::calloc(1, size);
    if (!p) fatal_error(195);
    return p;
}

void free_mem(void* p) { std::free(p); }

void* realloc_mem(void* p, uint32_t new_size)
{
    void* q = std::realloc(p, new_size);
    if (!q) fatal_error(195);
    return q;
}
