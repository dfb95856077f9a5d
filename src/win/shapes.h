// Shapes: a 16-byte header and pixel data, with palettes, hot spots and
// comments chained after it; banks of named shapes in one file image.
#pragma once

#include <cstdint>

// The header every shape and attached record starts with.
constexpr uint32_t SHAPE_HEADER = 16;

uint8_t shapetype(const void* shape);
// Offset from this record to the next one in its chain, 0 for none.
int32_t shapenext(const void* shape);
int32_t shapewidth(const void* shape);
int32_t shapeheight(const void* shape);
int32_t shapehotx(const void* shape);
int32_t shapehoty(const void* shape);
// Where the shape was last drawn (the header's 12-bit fields, sign-extended).
int32_t shapelastx(const void* shape);
int32_t shapelasty(const void* shape);
void setshapelast(void* shape, int32_t x, int32_t y);
bool ispalettetype(uint8_t type);
// Bytes of one entry of a palette record; 0 for another type.
uint32_t clutentrybytes(uint8_t type);
// A palette record's entry count, held to 0..256.
int32_t clutcount(const void* clut);

// Banks.
void* locateshape(const void* bank, const char* name);
void* findshape(const void* bank, const char* name);
int32_t shapecount(const void* bank);
void* shapepointer(const void* bank, int32_t n);
void shapename(const void* bank, int32_t n, uint32_t* out);
// A bank read from a file: 1 when its directory, every shape's pixels and
// every record chain lie within its size and the chains only run forward.
int checkshapebank(const void* bank, uint32_t size);

void* getshapeclut(const void* shape);
int32_t shaperowbytes(const void* shape);
int32_t shapebpp(const void* shape);
int32_t typebpp(uint8_t type);
// The shape itself when not packed; else a new "unshp" block (0 on failure).
void* unshp(const void* shape);
// The data address of the in-use memory block holding an address, or 0.
void* findmemblock(const void* address);
