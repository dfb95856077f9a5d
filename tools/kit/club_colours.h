// The league's sixteen clubs' two colours (0xAARRGGBB), in club-number
// order: their badges in the menus and on the match's club banner.
#pragma once

#include <cstdint>

inline constexpr uint32_t kit_club_colours[16][2] = {
    {0xFF1A3C8C, 0xFFF0F0F0}, {0xFF8C1A1A, 0xFFF0C020}, {0xFF1A6C2C, 0xFFF0F0F0}, {0xFF202020, 0xFFE0E0E0},
    {0xFF6C1A6C, 0xFFF0C020}, {0xFF1A8C8C, 0xFF202020}, {0xFFC06020, 0xFF1A1A4C}, {0xFF3C3CC0, 0xFFC02020},
    {0xFF80A020, 0xFF202020}, {0xFF20A0E0, 0xFFF0F0F0}, {0xFFA08040, 0xFF402010}, {0xFF602020, 0xFF80C0E0},
    {0xFF204060, 0xFFE0A020}, {0xFFE0E0E0, 0xFF2040A0}, {0xFF008060, 0xFFF0E060}, {0xFF5A2A8A, 0xFFE0E0E0},
};
