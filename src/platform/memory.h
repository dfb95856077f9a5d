// Tracked memory: every buffer the game takes comes from here.
#pragma once

#include <cstdint>

void* alloc_mem(uint32_t size, const char* name_tag);
void free_mem(void* p);
void* realloc_mem(void* p, uint32_t new_size);
