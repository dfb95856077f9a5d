// IMA ADPCM encoding, the decoder's steps run forward.
#include "lib/adpcm_write.h"

#include <cstddef>

#include "platform/sound.h"

std::vector<uint8_t> kit_adpcm_encode(const std::vector<int16_t>& pcm)
{
    std::vector<uint8_t> out((pcm.size() + 1) / 2, 0);
    AdpcmState state;
    for (size_t i = 0; i < pcm.size(); ++i) {
        const int32_t step = adpcm_step_size(state);
        int32_t diff = pcm[i] - state.predictor;
        uint32_t n = 0;
        if (diff < 0) n = 8, diff = -diff;
        if (diff >= step) n |= 4, diff -= step;
        if (diff >= step >> 1) n |= 2, diff -= step >> 1;
        if (diff >= step >> 2) n |= 1;
        // Step the predictor exactly as the decoder will.
        adpcm_advance(state, n);
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
