// Provisional: services of the display layers that the 2D screen code calls,
// until their owners (the DirectDraw surfaces and the sprite layer) land.
#pragma once

// Sets all 256 entries of the 8-bit display palette from display_palette.
void set_ddpal();
// Empties the sprite, text-sprite and text-block queues.
void reset_sprite_queues();
