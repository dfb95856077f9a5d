#include "lib/crcf.h"

#include "lib/kit.h"

// Bit by bit, so that the writer does not share the reader's table.
uint16_t kit_crc16(const std::vector<uint8_t>& bytes, size_t length)
{
    uint16_t crc = 0xFBEA;
    for (size_t i = 0; i < length && i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

void kit_append_crcf(std::vector<uint8_t>& bytes)
{
    uint16_t crc = kit_crc16(bytes, bytes.size());
    ByteWriter trailer;
    trailer.raw("CRCF", 4);
    trailer.u32(0);
    trailer.u32(crc);
    bytes.insert(bytes.end(), trailer.bytes.begin(), trailer.bytes.end());
}
