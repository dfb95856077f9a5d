// Provisional: the video decoder's frame output, which the movie Parts will
// provide; it keeps its owner's name.
#pragma once

#include <cstdint>

// Draws a frame of video cells (rows of width / 2 cells) into the current
// window at (x, y): mode 0 at 1:1, modes 1-3 doubled. 0, -1 for a mode
// outside 0..3, -2 when the window is not 15 or 16 bits.
int32_t showvideoframe(int32_t x, int32_t y, const uint8_t* frame, int32_t width, int32_t height, int32_t mode);
