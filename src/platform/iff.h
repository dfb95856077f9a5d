// IFF ILBM pictures (".lbm"): planar, ByteRun1-packed, up to 8 bit planes,
// turned into one palette index per pixel.
#pragma once

#include <cstdint>

// The picture in a tracked block "iff_buffer" of (width rounded up to 16) x
// height bytes, and its colour map as 6-bit triples in palette (256 x 3).
// Null when the file lacks a chunk, its colour map is longer than 768 bytes,
// it has no pixels or more than 8 planes, or its BODY is too short to make
// them (ByteRun1 grows at most 128 times).
uint8_t* load_iff_picture(const uint8_t* file, uint32_t size, uint8_t palette[768]);
// The same, telling the block's row length (the width rounded up to 16) and
// its rows, so that a caller copies no more than the picture holds.
uint8_t* load_iff_picture_sized(const uint8_t* file, uint32_t size, uint8_t palette[768], uint32_t* width,
                                uint32_t* height);
