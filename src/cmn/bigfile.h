// The directory lookup of big archive files, by which the file request
// layer opens an entry of an open archive.
#pragma once

#include <cstdint>

// Non-zero when the archive image (size bytes) holds the entry; its offset
// and size inside the archive go to the out words.
int findbigentry(const void* archive, uint32_t size, const char* entry, uint32_t flags, uint32_t* offset,
                 uint32_t* entrysize);
