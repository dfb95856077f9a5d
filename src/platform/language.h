// Language text: menu and message words are fetched by number from the
// language file ("front_en\lang\english.dat": a table of u16 offsets from the
// file's start, one per text number, then zero-ended texts). Also the layout
// of long texts into balanced lines.
#pragma once

#include <cstdint>
#include <string>

constexpr int16_t LANGUAGE_SLOTS = 4;
constexpr int32_t MAX_TEXT_LINES = 500;
constexpr uint32_t TEXT_LINE_SIZE = 1280;

// Loads the English file into slot 0 (a missing file is fatal 196; one whose
// offsets or texts, walked with their control bytes, leave the file, or with
// bytes after its last text, is fatal 202); returns it.
uint8_t* load_language_text();
// Why a language file cannot be used; empty when it can.
std::string language_file_fault(const uint8_t* file, uint32_t size);
void select_language(int16_t language);
// Tests: releases every loaded language file and selects slot 0 again.
void reset_language_text();
// Text number in the current language; "" for a number or an offset the file
// does not hold, or a text not ended inside it.
const char* get_text(uint16_t number);

// The system's string copy, length and append; copy and append return the
// destination, which the caller makes large enough.
char* string_copy(char* destination, const char* source);
int32_t string_length(const char* text);
char* string_append(char* destination, const char* source);

// How the layout measures text in a font. The fonts live in the 2D screen
// layer above; it installs them here at start. With none installed every
// text measures 0 and a layout keeps a whole text on one line.
struct TextMeasure {
    void (*select_font)(int16_t font);
    int32_t (*width)(const char* text);
    int32_t (*height)(const char* text);
};
void set_text_measure(const TextMeasure& measure); // {} takes it away

// Breaks text into balanced lines no wider than width pixels in font, into
// lines[0..499] (tracked buffers), and returns the block's height in pixels.
int32_t format_text_lines(char* lines[MAX_TEXT_LINES], int32_t* line_count, const char* text, int32_t width,
                          int16_t font);
// The same, measured by a width table (code c at index c - 29, codes below 32
// nothing wide); returns the table's line height (its second byte).
int32_t format_text_lines_with_widths(const uint8_t* widths, char* lines[MAX_TEXT_LINES], int32_t* line_count,
                                      const char* text, int32_t width);
// Releases the lines of the last layout.
void free_text_lines();

// Length in bytes of a text carrying the text drawer's control bytes (1 and
// one argument byte; 2 or 3 and two argument bytes).
uint32_t control_string_length(const char* text);
