// RIFF WAVE files, read whole and read in pieces.
#include "fuzz/harness.h"

#include "platform/memory.h"
#include "platform/wave_file.h"

FUZZ_HARNESS(wav)
{
    fuzz_data_file("sound.wav", data, size);
    WaveFormat format{};
    uint8_t* samples = nullptr;
    uint32_t count = 0;
    if (wave_load_file("sound.wav", &format, &samples, &count) == WAVE_OK && samples) free_mem(samples);

    WaveFile file{};
    if (wave_open_file("sound.wav", &file) != WAVE_OK) return;
    if (wave_start_data_read(&file) == WAVE_OK) {
        uint8_t piece[333];
        for (uint32_t got = 1; got != 0;)
            if (wave_read_file(&file, piece, sizeof piece, &got) != WAVE_OK) break;
    }
    wave_close_file(&file);
}
