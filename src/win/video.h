// Presents the movie's decoded frames: as a hardware overlay of a YUY2
// surface, as a hardware stretch blit from one, or in software through the
// decoder's own frame output. Any hardware failure falls back to software
// for the rest of the movie.
#pragma once

#include <cstdint>

enum VideoMode : int32_t { VIDEO_FOURCCBLIT = 0, VIDEO_OVERLAY = 1, VIDEO_SOFTWARE = 2 };

void setupvideo(int32_t x, int32_t y, int32_t width, int32_t height, int32_t scale, int software);
// A frame is height rows of width / 2 video cells.
void showvideo(const uint8_t* frame);
void releasevideo();
int32_t getvideomode();
