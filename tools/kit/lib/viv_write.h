// Big archive files (".viv") in either header kind, and chunk files (the
// 8-byte {type, size} chunks that streams cut a file into).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct KitBigEntry {
    std::string name;
    std::vector<uint8_t> data;
};

// Kind 1 (C0 FB, 24-bit fields) or kind 2 ("BIGF", 32-bit fields); the data
// follows the header in entry order.
std::vector<uint8_t> kit_bigfile(const std::vector<KitBigEntry>& entries, int kind);

// The four characters of a chunk type, first in the low byte ("MADk").
constexpr uint32_t kit_chunk_type(const char (&text)[5])
{
    return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 | uint32_t(uint8_t(text[2])) << 16 |
           uint32_t(uint8_t(text[3])) << 24;
}
// Appends one chunk: type, size (payload + 8), payload.
void kit_append_chunk(std::vector<uint8_t>& file, uint32_t type, const std::vector<uint8_t>& payload);
