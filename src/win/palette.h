// The library's own 256-entry palette of 0xAARRGGBB words, pushed to the
// display's palette on an 8-bit display; colours to pixel values of the
// current window's depth.
#pragma once

#include <cstdint>

struct WinDisplay;

extern uint32_t libpalette[256];
// 1 where the nearest-colour search may choose the entry (not 254 or 255).
extern uint8_t nearestmask[256];
uint32_t palettechanges();

// Ranges are clamped to the 256 entries.
void applypalette(WinDisplay* display, int32_t first, int32_t count);
void setpalette(int32_t first, int32_t count, const uint8_t* rgb);
void setpalette32(int32_t first, int32_t count, const uint32_t* argb);
void getpalette(int32_t first, int32_t count, uint8_t* rgb);
void getpalette32(int32_t first, int32_t count, uint32_t* argb);
// 6-bit triples: v becomes v << 2 | v >> 4.
void vgapalette(int32_t first, int32_t count, const uint8_t* rgb);
void getvgapalette();
// The library's default 256 colours.
void loaddefaultpalette();

int32_t nearestcolourin(const uint32_t* palette, uint32_t rgb);
int32_t nearestcolour(uint32_t rgb);
uint32_t colourtopixel(uint32_t argb);
int32_t roundtoint(float value);
