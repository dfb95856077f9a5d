// Plain-text data files: a reader that finds a key and parses the value after
// it, a line reader, and helpers that write, read and skip in text buffers.
#pragma once

#include <cstdint>

struct config_reader {
    uint8_t* buffer; // the whole file; not zero-terminated
    uint32_t length;
    uint32_t position;
};

// Value kinds of find_config_value and parse_number.
enum : int32_t { CONFIG_DOUBLE = 0, CONFIG_FLOAT = 1, CONFIG_INT = 2, CONFIG_WORD = 3 };
// A value (and so a CONFIG_WORD's out text, terminator included) holds at most this.
constexpr uint32_t CONFIG_VALUE_SIZE = 128;

void open_config_file(config_reader& reader, const char* name); // a missing file is fatal 196
void close_config_file(config_reader& reader);
// 0 when the key or a value is not found, 1 when a value was stored, 2 when a
// stop character came before the value.
int32_t find_config_value(config_reader& reader, const char* key, int32_t kind, void* value, const char* skip,
                          const char* stop);
int32_t parse_number(config_reader& reader, int32_t kind, void* value, const char* skip, const char* stop);

// Copies one line (a carriage return dropped, the line feed kept) into
// destination of capacity bytes; the destination while unread text remains,
// else null (the last line is copied all the same).
char* read_text_line(char* destination, uint32_t capacity, const uint8_t* source, uint32_t source_length,
                     uint32_t* position);

// Writes text at base + position, each line end as the two bytes 10, 13,
// until the text ends or the position reaches limit; true while below it.
bool append_text_line_ends(const char* text, uint8_t* base, uint32_t limit, uint32_t* position);
int32_t append_bytes(uint8_t* base, const void* source, int32_t count, uint32_t* position);
int32_t take_bytes(void* destination, const uint8_t* base, int32_t count, uint32_t* position);

bool is_line_end(int c);
bool is_blank(int c);
// The next word (at most 127 characters) into destination; 0 at the limit.
int32_t read_word(char* destination, uint8_t* base, uint32_t* position, uint32_t limit);
int32_t skip_to_line_end(const uint8_t* base, uint32_t* position, uint32_t limit);
int32_t skip_line_ends(const uint8_t* base, uint32_t* position, uint32_t limit);
int32_t skip_blanks(const uint8_t* base, uint32_t* position, uint32_t limit);

// Each run of the bytes 9 to 13 and 32 becomes one `with`; a trailing one goes.
void collapse_whitespace(char* s, char with);
