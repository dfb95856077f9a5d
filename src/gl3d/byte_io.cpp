// Byte file I/O.
#include "gl3d/byte_io.h"

#include <cstring>

namespace {
bool g_error = false;
}

bool byte_io_error() { return g_error; }
void clear_byte_io_error() { g_error = false; }

uint8_t read_byte(std::FILE* file)
{
    int c = file ? std::fgetc(file) : EOF;
    if (c == EOF) {
        g_error = true;
        return 0;
    }
    return static_cast<uint8_t>(c);
}

uint16_t read_word_le(std::FILE* file)
{
    uint16_t low = read_byte(file);
    return static_cast<uint16_t>(low | read_byte(file) << 8);
}

uint32_t read_dword_le(std::FILE* file)
{
    uint32_t low = read_word_le(file);
    return low | static_cast<uint32_t>(read_word_le(file)) << 16;
}

float read_float_le(std::FILE* file)
{
    uint32_t bits = read_dword_le(file);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void read_words_le(std::FILE* file, uint16_t* out, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) out[i] = read_word_le(file);
}

void read_dwords_le(std::FILE* file, uint32_t* out, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) out[i] = read_dword_le(file);
}

void read_floats_le(std::FILE* file, float* out, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) out[i] = read_float_le(file);
}

uint32_t read_bytes(std::FILE* file, void* out, uint32_t count)
{
    if (!file || !out) return 0;
    size_t n = std::fread(out, 1, count, file);
    if (n != count) g_error = true;
    return static_cast<uint32_t>(n);
}

void write_byte(std::FILE* file, uint8_t value)
{
    if (!file || std::fputc(value, file) == EOF) g_error = true;
}

void write_word_le(std::FILE* file, uint16_t value)
{
    write_byte(file, static_cast<uint8_t>(value));
    write_byte(file, static_cast<uint8_t>(value >> 8));
}

void write_dword_le(std::FILE* file, uint32_t value)
{
    write_word_le(file, static_cast<uint16_t>(value));
    write_word_le(file, static_cast<uint16_t>(value >> 16));
}

void write_float_le(std::FILE* file, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    write_dword_le(file, bits);
}

void write_words_le(std::FILE* file, const uint16_t* values, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) write_word_le(file, values[i]);
}

void write_dwords_le(std::FILE* file, const uint32_t* values, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) write_dword_le(file, values[i]);
}

void write_floats_le(std::FILE* file, const float* values, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) write_float_le(file, values[i]);
}

uint32_t write_bytes(std::FILE* file, const void* values, uint32_t count)
{
    if (!file || !values) return 0;
    size_t n = std::fwrite(values, 1, count, file);
    if (n != count) g_error = true;
    return static_cast<uint32_t>(n);
}
