// Spoken words for the data kit: espeak-ng, when the machine has it, speaks
// each text in the kit's own voice; without it a murmur of gliding syllables
// stands in, one syllable a word. Either way 16-bit mono at 22,050 Hz.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SpeechVoice {
    const char* name; // espeak-ng voice
    int pitch;        // 0..99
    int words_a_minute;
};

std::vector<std::vector<int16_t>> speak_all(const std::vector<std::string>& texts, const SpeechVoice& voice);
// Whether the last speak_all used espeak-ng.
bool speech_engine_used();
