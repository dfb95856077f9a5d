// IFF ILBM pictures: FORM ILBM with BMHD, CMAP and BODY, each plane row
// packed with ByteRun1. Chunks are padded to even sizes, so BMHD and CMAP sit
// at 4-byte positions and BODY at a 2-byte one, where the reader looks.
#pragma once

#include <cstdint>
#include <vector>

// pixels: width x height palette indices (below 1 << planes); palette: 8-bit
// red, green, blue triples.
std::vector<uint8_t> kit_ilbm(uint32_t width, uint32_t height, uint32_t planes,
                              const std::vector<uint8_t>& palette, const std::vector<uint8_t>& pixels);
// ByteRun1 of one row: runs of three or more equal bytes repeat, the rest are literals.
std::vector<uint8_t> kit_byterun1(const std::vector<uint8_t>& row);
