// Provisional: what the 2D screen code calls of the sprite layer, until it
// lands.
#pragma once

// Empties the sprite, text-sprite and text-block queues.
void reset_sprite_queues();
