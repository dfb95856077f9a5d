// Writers of LZSS streams and ".LKZ" images, and a bit-level builder for
// streams made by hand (tests build broken ones with it).
#pragma once

#include <cstdint>
#include <vector>

// One LZSS stream holding data, coded by the game's own coder.
std::vector<uint8_t> kit_lzss_stream(const std::vector<uint8_t>& data);
// u32 width, u32 height, then the stream of the pixels (little-endian words).
std::vector<uint8_t> kit_lkz_image(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels);

// Bits most significant first; finish() pads the last byte with zeros.
struct KitBitWriter {
    std::vector<uint8_t> bytes;
    uint8_t mask = 0x80, rack = 0;
    void bit(int b);
    void bits(uint32_t value, int count);
    void literal(uint8_t c) { bit(1), bits(c, 8); }
    void copy(uint32_t position, uint32_t length) { bit(0), bits(position, 12), bits(length - 2, 4); }
    void end() { bit(0), bits(0, 12); }
    std::vector<uint8_t> finish();
};
