// STAND-IN (until the sound-library-and-movie issue lands): the engine
// library's packed-data decoders; each keeps its owner's name. Until then
// nothing unpacks, so a packed shape cannot be drawn.
#pragma once

#include <cstdint>

// The unpacked size of packed data, 0 when the header is not known.
uint32_t unpacksize(const void* packed);
// Unpacks into destination; the bytes written, 0 on failure.
uint32_t unpack(const void* packed, void* destination);
