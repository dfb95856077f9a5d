// Provisional: what the text layout needs of the fonts until they are built.
#pragma once

#include <cstdint>

void select_font(int16_t font);
int32_t string_width(const char* text);
int32_t string_height(const char* text);
