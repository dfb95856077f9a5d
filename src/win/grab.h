// A grab of the current window's clip rectangle as a TGA image.
#pragma once

#include <cstdint>

// Bytes of the image: the 18-byte header, the palette of an 8-bit window and
// the pixels.
uint32_t grabsize();
// Writes the image into a buffer of grabsize bytes.
void grabtga(uint8_t* buffer);
// Writes the image to the user directory, replacing any file of the name
// whole; 1 when written, 0 when not (or no memory was free).
int grabscreen(const char* name);
