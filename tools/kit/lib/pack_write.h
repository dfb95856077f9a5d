// Packers for the engine library's packed data, one per method code. Each
// returns the pack header and the packed bytes; none needs to pack well, only
// to write what the game's decoders read.
#pragma once

#include <cstdint>
#include <vector>

using KitBytes = std::vector<uint8_t>;

// 0x10: LZ back-references with literal runs; extra adds the three unused
// header bytes that bit 0 of the code announces (code 0x11).
KitBytes kit_pack_lz(const KitBytes& data, bool extra = false);
// 0x18: 4 x 4 blocks of 5:6:5 pixels (width and height multiples of 4). A
// block of one or two colours comes back exactly.
KitBytes kit_pack_blocks(const std::vector<uint16_t>& pixels, uint32_t width, uint32_t height);
// 0x30, 0x32 or 0x34: canonical Huffman with runs, after no, one or two
// levels of differencing; extra as for kit_pack_lz.
KitBytes kit_pack_huff(const KitBytes& data, uint8_t code = 0x30, bool extra = false);
// 0x46: byte-pair expansion (0x47 with the extra header bytes).
KitBytes kit_pack_pairs(const KitBytes& data, bool extra = false);
// 0x4A: run-length with nibble packing.
KitBytes kit_pack_runs(const KitBytes& data);

// The number code of the Huffman streams (tests build broken streams with it).
struct KitBitWriter;
void kit_huff_number(KitBitWriter& out, uint32_t value);
