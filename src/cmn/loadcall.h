// The check of a loaded file's "CRCF" trailer, and the hook by which the
// library's loaders hand every loaded block to it.
#pragma once

#include <cstdint>

// (block, file name, memory flags) -> the block to use, 0 for failure.
using LoadFileHook = void* (*)(void* block, const char* name, uint32_t memflags);
void setloadfilehook(LoadFileHook hook);
LoadFileHook loadfilehook();

// A block ending in a "CRCF" trailer whose CRC matches comes back without
// the trailer; a mismatch is reported and gives 0; other blocks pass as
// they are.
void* loadfile_crccheck(void* block, const char* name, uint32_t memflags);
