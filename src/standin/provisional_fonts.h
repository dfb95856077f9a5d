// What the text layout needs of the fonts, which sit in the 2D screen
// layer above it (screen/fonts.h defines them).
#pragma once

#include <cstdint>

void select_font(int16_t font);
int32_t string_width(const char* text);
int32_t string_height(const char* text);
