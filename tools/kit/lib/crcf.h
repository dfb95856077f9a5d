// The "CRCF" trailer the engine library checks on files it loads: the four
// characters, a word the reader ignores, then the CRC-16 of everything before
// the trailer as a little-endian 32-bit value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// CRC-16 by the reflected polynomial 0xA001, starting at 0xFBEA, no final XOR.
uint16_t kit_crc16(const std::vector<uint8_t>& bytes, size_t length);
void kit_append_crcf(std::vector<uint8_t>& bytes);
