// IMA ADPCM sample images, as the game's sample layer reads them: u32 data
// bytes, u16 rate, u8 flags (16-bit, ADPCM, mono), u8 0, then the nibbles,
// high first, from predictor 0 and step index 0.
#pragma once

#include <cstdint>
#include <vector>

std::vector<uint8_t> kit_adpcm_encode(const std::vector<int16_t>& pcm);
std::vector<uint8_t> kit_adpcm_sample(const std::vector<int16_t>& pcm, uint32_t rate = 22050);
