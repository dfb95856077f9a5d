#include "lib/lzss_write.h"

#include "platform/lzss.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

std::vector<uint8_t> kit_lzss_stream(const std::vector<uint8_t>& data)
{
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* f = open_memstream(&buffer, &size);
    if (!f) throw std::runtime_error("open_memstream");
    bit_file out = open_bit_file(f);
    static const uint8_t nothing = 0; // an empty vector may have no data pointer
    const uint8_t* source = data.empty() ? &nothing : data.data();
    bool ok = lzss_encode_from_memory(out, source, static_cast<uint32_t>(data.size())) != nullptr;
    ok = close_bit_writer(out, true) == 0 && ok;
    std::vector<uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    if (!ok) throw std::runtime_error("lzss encoding failed");
    return bytes;
}

std::vector<uint8_t> kit_lkz_image(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels)
{
    std::vector<uint8_t> raw;
    raw.reserve(pixels.size() * 4);
    for (uint32_t p : pixels)
        for (int b = 0; b < 4; ++b)
            raw.push_back(static_cast<uint8_t>(p >> (8 * b)));
    std::vector<uint8_t> bytes;
    for (uint32_t v : {width, height})
        for (int b = 0; b < 4; ++b)
            bytes.push_back(static_cast<uint8_t>(v >> (8 * b)));
    std::vector<uint8_t> stream = kit_lzss_stream(raw);
    bytes.insert(bytes.end(), stream.begin(), stream.end());
    return bytes;
}

void KitBitWriter::bit(int b)
{
    if (b) rack |= mask;
    mask >>= 1;
    if (mask == 0) {
        bytes.push_back(rack);
        rack = 0;
        mask = 0x80;
    }
}

void KitBitWriter::bits(uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i)
        bit((value >> i) & 1);
}

std::vector<uint8_t> KitBitWriter::finish()
{
    std::vector<uint8_t> out = bytes;
    if (mask != 0x80) out.push_back(rack);
    return out;
}
