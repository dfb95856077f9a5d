// RIFF WAVE files, read from a whole-file image.
#pragma once

#include <cstdint>

// Results; callers test for non-zero only.
constexpr uint32_t WAVE_OK = 0;
constexpr uint32_t WAVE_NO_MEMORY = 0xE000;
constexpr uint32_t WAVE_CANNOT_OPEN = 0xE100;
constexpr uint32_t WAVE_NOT_WAVE = 0xE101;     // not RIFF WAVE with a usable "fmt " chunk
constexpr uint32_t WAVE_BAD_FORMAT = 0xE102;   // the format cannot be read, or PCM whose bytes a second
                                               // are not its rate times its block size
constexpr uint32_t WAVE_CANNOT_READ = 0xE103;  // the data cannot be read

constexpr uint16_t WAVE_FORMAT_PCM = 1;

// What a result says, for an error box.
const char* wave_result_text(uint32_t result);

struct WaveFormat {
    uint16_t format_tag, channels;
    uint32_t samples_per_sec, avg_bytes_per_sec;
    uint16_t block_align, bits_per_sample;
    uint16_t extra_size;  // 0 for PCM
    const uint8_t* extra; // into the file image
};

struct WaveFile {
    uint8_t* image; // tracked, from load_file
    uint32_t size;
    uint32_t form_start, form_end; // the chunks inside "RIFF"
    uint32_t data_start, data_size, read_pos;
    WaveFormat format;
};

uint32_t wave_open_file(const char* name, WaveFile* file);
// Finds the "data" chunk and starts reading at its first byte.
uint32_t wave_start_data_read(WaveFile* file);
// Copies up to n bytes of the data; the count copied goes to got.
uint32_t wave_read_file(WaveFile* file, uint8_t* out, uint32_t n, uint32_t* got);
void wave_close_file(WaveFile* file);
// All in one: the format and the whole data in a tracked block (none when
// the data chunk is empty).
uint32_t wave_load_file(const char* name, WaveFormat* format, uint8_t** data, uint32_t* data_size);
