// The sprite engine's group tables: one straight-line handler for every
// clip code and mask of an 8-pixel sprite group. A group is one mask byte
// (bit 7 = the group's leftmost pixel) followed by one colour byte per set
// bit; the engine reads the mask and calls entry clip_code x 256 + mask with
// the source at the first colour byte and the destination at the cell's
// leftmost column (which may lie off the screen).
//
// Clip codes: 0 whole cell kept; 1..7 the rightmost 1..7 columns cut; 8 the
// cell wholly off the screen; 9..15 only the (code - 8) rightmost columns
// kept.
#pragma once

#include <array>
#include <cstdint>

constexpr int32_t GROUP_TABLE_SIZE = 16 * 256;
constexpr uint8_t GROUP_PALETTE_SHIFT = 0x21;

// Every handler: (source, destination), both moved as its table says.
using group_handler = void (*)(const uint8_t*& source, uint8_t*& destination);
using group_table = std::array<group_handler, GROUP_TABLE_SIZE>;

// Plain left-to-right copy (also the copy handler table of text sprites):
// source + popcount(mask), destination + 8; cut pixels are passed over unread.
extern const group_table group_copy_table;
// The same with the palette shift added to every pixel written.
extern const group_table group_shifted_table;
// Mirrored: the pixel of mask bit b lands in cell column b; source +
// popcount(mask), destination unchanged (the caller steps it left).
extern const group_table group_mirror_table;
extern const group_table group_mirror_shifted_table;
// Background restore: the source is the background picture at the cell's
// column 0; the kept columns of set bits are copied back; both pointers + 8.
extern const group_table group_restore_table;

// The cell columns a clip code keeps, as a mask in the unmirrored layout
// (bit 7 - column); the mirrored layout (bit column) is its bit reversal.
uint8_t group_keep_mask(int32_t clip_code);
