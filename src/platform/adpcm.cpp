#include "platform/sound.h"

namespace {

const int8_t index_table[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

const int16_t step_table[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

} // namespace

int32_t adpcm_step_size(const AdpcmState& state) { return step_table[state.index]; }

void adpcm_advance(AdpcmState& state, uint32_t nibble)
{
    const int32_t step = step_table[state.index];
    state.index += index_table[nibble & 7];
    if (state.index < 0) state.index = 0;
    if (state.index > 88) state.index = 88;
    int32_t diff = step >> 3;
    if (nibble & 4) diff += step;
    if (nibble & 2) diff += step >> 1;
    if (nibble & 1) diff += step >> 2;
    state.predictor += (nibble & 8) ? -diff : diff;
    if (state.predictor > 32767) state.predictor = 32767;
    if (state.predictor < -32768) state.predictor = -32768;
}

void decode_adpcm(const uint8_t* adpcm, int16_t* out, uint32_t sample_count)
{
    AdpcmState state;
    for (uint32_t i = 0; i < sample_count; ++i) {
        const uint8_t byte = adpcm[i / 2];
        adpcm_advance(state, (i & 1) ? (byte & 0x0F) : (byte >> 4));
        out[i] = static_cast<int16_t>(state.predictor);
    }
}
