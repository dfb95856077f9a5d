#include "platform/iff.h"

#include "platform/memory.h"

#include <cstring>

namespace
{

// What the chunk search keeps for the decoder.
struct iff_picture {
    uint32_t width, height, planes;
    uint32_t body, body_end; // the BODY data
};

uint32_t be16(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0] << 8 | p[1]);
}
uint32_t be32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// The first position from start, in steps of step, where the four bytes of id
// stand; size when there is none.
uint32_t find_chunk(const uint8_t* file, uint32_t size, uint32_t start, uint32_t step, const char* id)
{
    for (uint32_t at = start; at + 4 <= size; at += step)
        if (std::memcmp(file + at, id, 4) == 0) return at;
    return size;
}

bool parse_iff_chunks(const uint8_t* file, uint32_t size, uint8_t palette[768], iff_picture& pic)
{
    uint32_t bmhd = find_chunk(file, size, 0, 4, "BMHD");
    if (bmhd >= size || size - bmhd < 8 + 9) return false;
    pic.width = be16(file + bmhd + 8);
    pic.height = be16(file + bmhd + 10);
    pic.planes = file[bmhd + 16];

    uint32_t cmap = find_chunk(file, size, bmhd + 4, 4, "CMAP");
    if (cmap >= size || size - cmap < 8) return false;
    uint32_t n = be32(file + cmap + 4);
    if (n > 768 || n > size - cmap - 8) return false;
    for (uint32_t i = 0; i < n; ++i)
        palette[i] = file[cmap + 8 + i] >> 2;

    uint32_t after = (cmap + 8 + n + 1) & ~1u;
    uint32_t body = find_chunk(file, size, after, 2, "BODY");
    if (body >= size || size - body < 8) return false;
    pic.body = body + 8;
    pic.body_end = size;
    return true;
}

// ByteRun1 into the planes; every read stops at the end of the file and every
// write at the end of the block.
void decode_iff_body(const uint8_t* file, const iff_picture& pic, uint8_t* pixels)
{
    const uint32_t rounded = (pic.width + 15) & ~15u;
    const uint32_t row_bytes = rounded / 8;
    const uint64_t block = static_cast<uint64_t>(rounded) * pic.height;
    uint32_t in = pic.body;
    for (uint32_t y = 0; y < pic.height; ++y) {
        const uint64_t row = static_cast<uint64_t>(y) * rounded;
        for (uint32_t p = 0; p < pic.planes; ++p) {
            const uint8_t bit = static_cast<uint8_t>(1u << p);
            uint64_t out = row;
            uint32_t produced = 0;
            auto put = [&](uint8_t byte) {
                for (int b = 7; b >= 0; --b, ++out)
                    if (out < block && (byte >> b & 1)) pixels[out] |= bit;
                ++produced;
            };
            while (produced < row_bytes && in < pic.body_end) {
                int8_t n = static_cast<int8_t>(file[in++]);
                if (n >= 0) {
                    for (int i = 0; i <= n && in < pic.body_end; ++i)
                        put(file[in++]);
                } else if (n != -128) {
                    if (in >= pic.body_end) break;
                    uint8_t byte = file[in++];
                    for (int i = 0; i < 1 - n; ++i)
                        put(byte);
                }
            }
        }
    }
}

} // namespace

uint8_t* load_iff_picture(const uint8_t* file, uint32_t size, uint8_t palette[768])
{
    return load_iff_picture_sized(file, size, palette, nullptr, nullptr);
}

uint8_t* load_iff_picture_sized(const uint8_t* file, uint32_t size, uint8_t palette[768], uint32_t* width,
                                uint32_t* height)
{
    iff_picture pic{};
    if (!parse_iff_chunks(file, size, palette, pic)) return nullptr;
    if (pic.width == 0 || pic.height == 0 || pic.planes > 8) return nullptr;
    const uint32_t rounded = (pic.width + 15) & ~15u;
    // ByteRun1 makes at most 128 bytes of 2: a header asking for more plane
    // rows than the BODY could make is refused before the block is taken.
    const uint64_t rows = static_cast<uint64_t>(pic.height) * (pic.planes ? pic.planes : 1);
    if (rows * (rounded / 8) > 128ull * (pic.body_end - pic.body)) return nullptr;
    uint8_t* pixels = static_cast<uint8_t*>(alloc_mem(rounded * pic.height, "iff_buffer"));
    std::memset(pixels, 0, rounded * pic.height);
    decode_iff_body(file, pic, pixels);
    if (width) *width = rounded;
    if (height) *height = pic.height;
    return pixels;
}
