// IMA ADPCM encoding, the decoder's steps run forward.
#include "lib/adpcm_write.h"

#include <cstddef>

namespace
{

const int32_t step_table[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
const int32_t index_table[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

} // namespace

std::vector<uint8_t> kit_adpcm_encode(const std::vector<int16_t>& pcm)
{
    std::vector<uint8_t> out((pcm.size() + 1) / 2, 0);
    int32_t predictor = 0, index = 0;
    for (size_t i = 0; i < pcm.size(); ++i) {
        const int32_t step = step_table[index];
        int32_t diff = pcm[i] - predictor;
        uint32_t n = 0;
        if (diff < 0) n = 8, diff = -diff;
        if (diff >= step) n |= 4, diff -= step;
        if (diff >= step >> 1) n |= 2, diff -= step >> 1;
        if (diff >= step >> 2) n |= 1;
        // Step the predictor exactly as the decoder will.
        int32_t d = step >> 3;
        if (n & 4) d += step;
        if (n & 2) d += step >> 1;
        if (n & 1) d += step >> 2;
        predictor += (n & 8) ? -d : d;
        if (predictor > 32767) predictor = 32767;
        if (predictor < -32768) predictor = -32768;
        index += index_table[n & 7];
        if (index < 0) index = 0;
        if (index > 88) index = 88;
        out[i / 2] |= static_cast<uint8_t>((i & 1) ? n : n << 4);
    }
    return out;
}

std::vector<uint8_t> kit_adpcm_sample(const std::vector<int16_t>& pcm, uint32_t rate)
{
    const std::vector<uint8_t> data = kit_adpcm_encode(pcm);
    const uint32_t n = static_cast<uint32_t>(data.size());
    std::vector<uint8_t> image = {static_cast<uint8_t>(n),        static_cast<uint8_t>(n >> 8),
                                  static_cast<uint8_t>(n >> 16),  static_cast<uint8_t>(n >> 24),
                                  static_cast<uint8_t>(rate),     static_cast<uint8_t>(rate >> 8),
                                  0x06,                           0};
    image.insert(image.end(), data.begin(), data.end());
    return image;
}
