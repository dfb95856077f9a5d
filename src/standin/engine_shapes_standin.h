// Provisional: the engine library's shape mover, which the shape and colour Parts of the library will provide. Each
// keeps its owner's name and goes when the owner lands.
#pragma once

#include <cstdint>


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
