// The game's 25 numbered fonts and text drawing. Each font exists twice: as
// a software font (glyph images, glyph offsets, widths) queued as sprites
// onto the 8-bit screen, and as a hardware font with a colour; the screen's
// display kind chooses which is loaded and drawn. Strings carry control
// bytes: 1 font (one byte), 2 x and 3 y (two bytes, low first), 10 and 13
// new line (a pair of them is one).
#pragma once

#include <cstdint>
#include <string_view>

constexpr int32_t FONT_NUMBERS = 25;
constexpr int32_t FONT_TABLE_ROWS = 21;
constexpr int32_t TEXT_CACHE_ENTRIES = 120;

struct FontRow {
    const char* software; // base name of ".SPR", ".DWD", ".WTH"; null: none
    const char* hardware;
    uint32_t colour;
};
extern const FontRow font_table[FONT_TABLE_ROWS];

void load_font(int32_t storage, int32_t number);
void free_font(int32_t storage);
void free_all_fonts();
void select_font(int16_t number);
int32_t current_font(); // the storage index in force
bool font_loaded(int32_t storage);
void set_text_attribute(uint8_t attribute);
uint8_t text_attribute();

void draw_string(std::string_view text, int32_t x, int32_t y, int32_t storage, int32_t clip);
// Called before each glyph is queued with references to the glyph, its
// place and scale, the flag byte (1 at the start) and the glyph's number.
// A callback that nulls the glyph hides it. On the hardware path the glyph
// is drawn one character at a time at the place and scale the callback left.
using GlyphCallback = void (*)(const void** glyph, int16_t* x, int16_t* y, uint16_t* scale, uint8_t* flag,
                               int32_t index);
uint8_t draw_string_cb(std::string_view text, int32_t x, int32_t y, GlyphCallback callback, int32_t clip);
void draw_char(uint8_t character, int32_t x, int32_t y, int32_t clip);
void draw_control_string(std::string_view text, int32_t x, int32_t y, int32_t clip);

int32_t string_width(std::string_view text);
int32_t string_height(std::string_view text);
int32_t string_width(const char* text);
int32_t string_height(const char* text);
void font_metrics(int32_t number, int32_t* height, int32_t* spacing);
// Software glyph lookups: the glyph image (none for codes without one) and
// the advance of a character in a font.
const uint8_t* font_glyph(int32_t storage, uint8_t character);
int32_t font_char_width(int32_t storage, uint8_t character);

void clear_text_sprites();
void invalidate_text_sprites();
void redraw_text_sprites();
int32_t text_cache_used();

void reset_fonts();
// Gives the text layout below (platform/language.h) these fonts to measure
// with; start-up and reset_fonts install it.
void install_text_measure();
