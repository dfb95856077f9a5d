// Provisional: the engine library's colour packings, block move and shape
// mover, which the shape and colour Parts of the library will provide. Each
// keeps its owner's name and goes when the owner lands.
#pragma once

#include <cstdint>

// 0 for 0, else 5-5-5 (top five bits of each channel) with bit 15 set.
uint16_t argbto15(uint32_t argb);
// 5-6-5 from the top bits of red, green and blue; alpha ignored.
uint16_t argbto16(uint32_t argb);
// A pixel value of the current window's depth as 0xAARRGGBB.
uint32_t getargb(uint32_t pixel);
// Copies n bytes, right for every overlap.
void blockmove(const void* source, void* destination, uint32_t n);

// A row function: (source row, destination row address, pixel count).
using RowFunction = void (*)(const void* source, void* destination, uint32_t count);
// Slots for 4, 8, 15, 16, 24 and 32 bits, then an override used when set.
struct DrawMode {
    RowFunction rows[7];
};
// Draws a shape into the current window clipped to its clip rectangle. The
// stand-in knows only the fill pseudo-shape {format, u16 width, u16 height}
// whose rows ignore their source.
void movdfl(const void* shape, int32_t x, int32_t y, const DrawMode* mode);
