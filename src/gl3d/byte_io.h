// Little-endian reading and writing one byte at a time on open files, for
// the font and sprite readers. A read past the end gives 0 and raises the
// error flag, which a reader tests once it has read a record.
#pragma once

#include <cstdint>
#include <cstdio>

uint8_t read_byte(std::FILE* file);
uint16_t read_word_le(std::FILE* file);
uint32_t read_dword_le(std::FILE* file);
float read_float_le(std::FILE* file);
void read_words_le(std::FILE* file, uint16_t* out, uint32_t count);
void read_dwords_le(std::FILE* file, uint32_t* out, uint32_t count);
void read_floats_le(std::FILE* file, float* out, uint32_t count);
// Returns the count transferred.
uint32_t read_bytes(std::FILE* file, void* out, uint32_t count);

void write_byte(std::FILE* file, uint8_t value);
void write_word_le(std::FILE* file, uint16_t value);
void write_dword_le(std::FILE* file, uint32_t value);
void write_float_le(std::FILE* file, float value);
void write_words_le(std::FILE* file, const uint16_t* values, uint32_t count);
void write_dwords_le(std::FILE* file, const uint32_t* values, uint32_t count);
void write_floats_le(std::FILE* file, const float* values, uint32_t count);
uint32_t write_bytes(std::FILE* file, const void* values, uint32_t count);

// Set by a read past the end of a file or a failed write.
bool byte_io_error();
void clear_byte_io_error();
