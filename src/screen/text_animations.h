// The text animation table: per-glyph callbacks that bring a text onto the
// screen or carry it off, one glyph after another. The caller sets the
// clock (ticks since the animation began) and the text's length, then draws
// the text through draw_string_cb with the kind's callback; the call answers
// non-zero once every glyph has arrived.
#pragma once

#include "screen/fonts.h"

#include <cstdint>

constexpr int32_t TEXT_ANIMATION_KINDS = 14; // 1-6 bring in, 10-13 carry off; 0 and 7-9 none
constexpr int32_t TEXT_EASE_STEPS = 75;
constexpr int32_t TEXT_GLYPH_DELAY = 2; // ticks between one glyph's start and the next

extern uint32_t text_animation_clock;
extern int32_t text_animation_length;
// The share of its way a glyph still has to go, in 1024ths, by the ticks it
// has moved: slow away, quick to arrive.
extern const uint16_t text_ease_table[TEXT_EASE_STEPS];
extern const GlyphCallback text_animation_table[TEXT_ANIMATION_KINDS];

// The kind's callback, or null for a kind without one.
GlyphCallback text_animation_callback(int32_t kind);
// Draws a text through the kind's callback at the clock; true once it has finished.
bool draw_animated_text(const char* text, int32_t x, int32_t y, int32_t kind, uint32_t clock, int32_t clip);
