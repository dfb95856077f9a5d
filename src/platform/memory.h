// Tracked memory: every buffer the game takes comes from here, and the
// table of live buffers catches frees of unknown pointers. Running out of
// memory, a zero-size request and a bad free are fatal errors.
#pragma once

#include <cstdint>

void* alloc_mem(uint32_t size, const char* name_tag);
void free_mem(void* p);
void* realloc_mem(void* p, uint32_t new_size);

// 1 when a block of that size can be had now (taken and given back at once).
int32_t can_allocate(uint32_t size);
// The largest size, not below a + b unless even that fails, that can be had.
uint32_t largest_free_block(uint32_t a, uint32_t b);
// Shut-down: releases the table's own blocks after the first (not the
// buffers); the entries they held are no longer tracked.
void free_alloc_table();
// Pumps window messages once for each live buffer.
void pump_messages_n();
// Untracked allocation.
void* global_alloc_raw(uint32_t unused, uint32_t size);
void global_free_raw(void* p);

constexpr int32_t ALLOC_TABLE_BLOCK_ENTRIES = 256;
extern int32_t alloc_count;  // live tracked buffers
extern uint32_t alloc_bytes; // their total size
// Blocks in the table's chain (alloc_count / 256 + 1).
int32_t alloc_table_blocks();
// The size of the tracked buffer, 0 when it is not tracked.
uint32_t alloc_size_of(const void* p);

// Tests: make the system allocator refuse its next n requests, and refuse
// every block larger than largest (0: no limit).
void alloc_refuse_next(int32_t n);
void alloc_limit_block_size(uint32_t largest);
// Tests: frees the tracked buffers taken since alloc_count was first.
void free_tracked_from(int32_t first);
