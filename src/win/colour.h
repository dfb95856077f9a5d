// Colours as 0xAARRGGBB words and the current window's pixels: packing,
// unpacking, reading, writing and blending one pixel.
#pragma once

#include <cstdint>

uint32_t getargb(uint32_t colour);
uint16_t argbto16(uint32_t argb);
uint16_t argbto15(uint32_t argb);
uint32_t argbswap(uint32_t argb);

// Clipped to the current window's clip rectangle.
uint32_t readpixel(int32_t x, int32_t y);
void writepixel(int32_t x, int32_t y, uint32_t value);
// Blends a premultiplied colour in.
void plotpixel(int32_t x, int32_t y, uint32_t argb);
uint32_t readpixel2(int32_t x, int32_t y);
void writepixel2(int32_t x, int32_t y, uint32_t value);
void plotpixel2(int32_t x, int32_t y, uint32_t argb);

// Premultiplied colour k over one pixel.
uint16_t blend16(uint32_t k, uint16_t pixel);
uint16_t blend15(uint32_t k, uint16_t pixel);
// k: alpha in bits 24-31 over an r5g6b5 colour in bits 0-15.
uint16_t blend16a(uint32_t k, uint16_t pixel);
