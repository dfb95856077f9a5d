#include "screen/text_animations.h"

#include "platform/language.h"
#include "screen/screen.h"

uint32_t text_animation_clock = 0;
int32_t text_animation_length = 0;

namespace {

// The steps a glyph has moved: it starts delay ticks after the clock does.
int32_t glyph_step(int32_t delay)
{
    const int64_t step = static_cast<int64_t>(text_animation_clock) - delay;
    if (step <= 0) return 0;
    return step >= TEXT_EASE_STEPS - 1 ? TEXT_EASE_STEPS - 1 : static_cast<int32_t>(step);
}

// How much of its way the glyph has still to go (1024ths), first glyph first
// or, reversed, last glyph first; a glyph still moving keeps the text unfinished.
int32_t remaining(int32_t index, bool reversed, uint8_t* flag)
{
    const int32_t order = reversed ? text_animation_length - 1 - index : index;
    const int32_t step = glyph_step((order < 0 ? 0 : order) * TEXT_GLYPH_DELAY);
    if (step < TEXT_EASE_STEPS - 1) *flag = 0;
    return text_ease_table[step];
}

int32_t across() { return scale_x_from_640(640); }
int32_t down() { return scale_y_from_480(480); }
int16_t moved(int16_t v, int32_t distance, int32_t share) { return static_cast<int16_t>(v + distance * share / 1024); }

// Bringing in: the glyph starts a screen away and comes home.
void in_from_left(const void**, int16_t* x, int16_t*, uint16_t*, uint8_t* flag, int32_t i) { *x = moved(*x, -across(), remaining(i, false, flag)); }
void in_from_right(const void**, int16_t* x, int16_t*, uint16_t*, uint8_t* flag, int32_t i) { *x = moved(*x, across(), remaining(i, true, flag)); }
void in_from_above(const void**, int16_t*, int16_t* y, uint16_t*, uint8_t* flag, int32_t i) { *y = moved(*y, -down(), remaining(i, false, flag)); }
void in_from_below(const void**, int16_t*, int16_t* y, uint16_t*, uint8_t* flag, int32_t i) { *y = moved(*y, down(), remaining(i, false, flag)); }
// Typed: each glyph appears once its turn has come.
void typed(const void** glyph, int16_t*, int16_t*, uint16_t*, uint8_t* flag, int32_t i)
{
    if (remaining(i, false, flag) == 1024) *glyph = nullptr;
}
// Glyphs close in from above and below by turns.
void zipped(const void**, int16_t*, int16_t* y, uint16_t*, uint8_t* flag, int32_t i)
{
    *y = moved(*y, (i % 2 ? 1 : -1) * down() / 4, remaining(i, false, flag));
}
// Carrying off: the glyph leaves home for a screen away.
void out_to_left(const void**, int16_t* x, int16_t*, uint16_t*, uint8_t* flag, int32_t i) { *x = moved(*x, -across(), 1024 - remaining(i, false, flag)); }
void out_to_right(const void**, int16_t* x, int16_t*, uint16_t*, uint8_t* flag, int32_t i) { *x = moved(*x, across(), 1024 - remaining(i, true, flag)); }
void out_below(const void**, int16_t*, int16_t* y, uint16_t*, uint8_t* flag, int32_t i) { *y = moved(*y, down(), 1024 - remaining(i, false, flag)); }
void out_above(const void**, int16_t*, int16_t* y, uint16_t*, uint8_t* flag, int32_t i) { *y = moved(*y, -down(), 1024 - remaining(i, false, flag)); }

} // namespace

const uint16_t text_ease_table[TEXT_EASE_STEPS] = {
    1024, 1024, 1023, 1022, 1021, 1019, 1017, 1015, 1012, 1009, 1005, 1001, 997, 992, 987,
    982, 976, 970, 963, 956, 949, 942, 933, 925, 916, 907, 898, 888, 877, 867,
    856, 844, 833, 820, 808, 795, 782, 768, 754, 740, 725, 710, 694, 678, 662,
    645, 628, 611, 593, 575, 557, 538, 518, 499, 479, 458, 438, 416, 395, 373,
    351, 328, 305, 282, 258, 234, 209, 185, 159, 134, 108, 81, 55, 27, 0,
};

const GlyphCallback text_animation_table[TEXT_ANIMATION_KINDS] = {
    nullptr,      in_from_left, in_from_right, in_from_above, in_from_below, typed,     zipped,
    nullptr,      nullptr,      nullptr,       out_to_left,   out_to_right,  out_below, out_above,
};

GlyphCallback text_animation_callback(int32_t kind)
{
    return kind >= 0 && kind < TEXT_ANIMATION_KINDS ? text_animation_table[kind] : nullptr;
}

bool draw_animated_text(const char* text, int32_t x, int32_t y, int32_t kind, uint32_t clock, int32_t clip)
{
    if (!text) return true;
    text_animation_clock = clock;
    text_animation_length = static_cast<int32_t>(control_string_length(text));
    return draw_string_cb(text, x, y, text_animation_callback(kind), clip) != 0;
}
