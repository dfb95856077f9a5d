// The software display's palette, as the kit's ".lbm" pictures carry it in
// each weather (0 fine, 1 and 2 darker grass and sky).
#pragma once

#include <cstdint>
#include <vector>

std::vector<uint8_t> kit_sw_palette(int weather);
// The entries that are the same in every weather: what a picture drawn over
// the ground in any weather may use.
bool kit_sw_fixed_colour(int index);
