// Drawing shapes into the current window at a position, clipped to its clip
// rectangle, their pixels converted to the window's format on the way.
#pragma once

#include "win/pixels.h"

#include <cstdint>

// A row function: (source row, destination row address, pixel count).
using RowFunction = RowConverter;

// What happens to each row: a function per window depth (4, 8, 15, 16, 24
// and 32 bits), then an override used for every depth when set.
struct DrawMode {
    RowFunction rows[7];
    // 0 or 1: rows converted into a buffer, then drawn with the depth's
    // function (1 reads 8-bit sources through the remap table); 2: the
    // converter writes straight into the window, transparency not kept.
    int32_t mode;
    uint8_t target; // the type drawn; 0 for the window's own
    uint32_t spare;
};

extern const DrawMode drawmodecopy;
extern const DrawMode drawmodefast1, drawmodefast2, drawmodefast3, drawmodefast4;
// Pixels drawn between relocks of a display surface.
extern int32_t drawbreather;

void movdfl(const void* shape, int32_t x, int32_t y, const DrawMode* mode);

void drawshape(void* shape, int32_t x, int32_t y);
void drawshapehere(void* shape);
void drawshapecentred(void* shape, int32_t x, int32_t y);
void putshape(void* shape, int32_t x, int32_t y);
void putshapehere(void* shape);
void putshapecentred(void* shape, int32_t x, int32_t y);
void fastdrawshape(const void* shape, int32_t x, int32_t y);
void fastdrawshapehere(const void* shape);
void fastdrawshapecentred(const void* shape, int32_t x, int32_t y);
void fastputshape(const void* shape, int32_t x, int32_t y);
void fastputshapehere(const void* shape);
void fastputshapecentred(const void* shape, int32_t x, int32_t y);
