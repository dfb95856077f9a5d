// RIFF WAV sounds: PCM, with "fmt " and "data" chunks.
#pragma once

#include <cstdint>
#include <vector>

std::vector<uint8_t> kit_wav(uint32_t channels, uint32_t rate, uint32_t bits,
                             const std::vector<uint8_t>& samples);
// 16-bit mono samples, little-endian.
std::vector<uint8_t> kit_wav_mono16(uint32_t rate, const std::vector<int16_t>& samples);
