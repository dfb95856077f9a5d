// The library's inner loops: four block-copy kernels, rectangle fills by
// depth, byte-order helpers, the video row kernels and the row converters
// between pixel formats. A converter takes (source row, destination row,
// pixel count) and touches nothing else.
//
// Formats (words little-endian): 4-bit two pixels a byte, the even one low;
// 8-bit palette index; 15-bit 0RRRRRGGGGGBBBBB; 16-bit RRRRRGGGGGGBBBBB;
// 4-4-4-4 AAAARRRRGGGGBBBB; 24-bit bytes blue, green, red; 32-bit
// 0xAARRGGBB; "with alpha" a 4-byte cell, colour in bytes 0-1, alpha in 3.
// A video cell is 4 bytes holding two pixels of 7-bit samples: V, U, the
// second pixel's luma, the first pixel's luma.
#pragma once

#include <cstdint>

// Block copies (destination, source, bytes); the same bytes, moved in
// different widths: 1 aligns to 8 and moves 128-byte groups, 2 and 3 move
// 64-bit words, 4 aligns to 4 and moves 32-bit words.
void copykernel1(void* destination, const void* source, uint32_t bytes);
void copykernel2(void* destination, const void* source, uint32_t bytes);
void copykernel3(void* destination, const void* source, uint32_t bytes);
void copykernel4(void* destination, const void* source, uint32_t bytes);

// 4 bits 0, 8 bits 1, 15 bits 2, 16 bits 3, 24 bits 4, 32 bits 5, else 0.
int depthindex(int32_t bpp);
// A shape type's depth index, -1 for an unknown type.
int shapedepthindex(uint32_t type);

// Fills a rectangle of the current window, clipped to its clip rectangle.
void fillrect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour);
// The 16-bit fills go a half-word at a time while this is on.
extern bool fill16override;

uint32_t getbigendian(const void* address, int n);
uint32_t getlittleendian(const void* address, int n);
void putbigendian(void* address, uint32_t value, int n);
void putlittleendian(void* address, uint32_t value, int n);

// Horizontal doubling; reads one cell past the row.
void pixrowblend(const void* source, void* destination, uint32_t cells);
// Doubling both ways: pixrowblend of the average of rows a and b.
void pixrowblend2(const void* a, const void* b, void* destination, uint32_t cells);
// Video cells to YUY2: each sample x becomes 2x - (x >> 2) + 16, bytes 0 and 3
// exchanged. Any count.
void pixrowexpand(const void* source, void* destination, uint32_t cells, int even);

// Tables the converters read: a 16-bit colour per palette index, a 32-bit
// colour table (0 means the library palette), an optional 32,768-byte inverse
// table from 5-5-5 to a palette index, and the transparent 16-bit colour.
struct ConvertTables {
    uint16_t clut16[256];
    const uint32_t* clut32;
    const uint8_t* inverse;
    uint16_t transparent16;
};
extern ConvertTables convtables;

using RowConverter = void (*)(const void* source, void* destination, uint32_t count);
void conv4to4(const void* s, void* d, uint32_t n);
void conv8to4(const void* s, void* d, uint32_t n);
void conv4to8(const void* s, void* d, uint32_t n);
void conv8to8(const void* s, void* d, uint32_t n);
void conv16to8(const void* s, void* d, uint32_t n);
void conv15to15(const void* s, void* d, uint32_t n);     // red and blue exchanged
void conv16to15(const void* s, void* d, uint32_t n);
void conv32to15key(const void* s, void* d, uint32_t n);  // alpha below 0x40 is transparent
void conv32to15(const void* s, void* d, uint32_t n);
void conv4to16(const void* s, void* d, uint32_t n);
void conv8to16(const void* s, void* d, uint32_t n);
void conv15to16(const void* s, void* d, uint32_t n);
void conv16to16(const void* s, void* d, uint32_t n);
void conv32to16low(const void* s, void* d, uint32_t n);  // the low half of each word
void conv32to16key(const void* s, void* d, uint32_t n);  // opaque black becomes 1
void conv32to16(const void* s, void* d, uint32_t n);
void conv32to4444(const void* s, void* d, uint32_t n);
void conv15to4444(const void* s, void* d, uint32_t n);
void conv32to32x565(const void* s, void* d, uint32_t n); // alpha kept over a 5-6-5 colour
void conv8to24(const void* s, void* d, uint32_t n);
void conv16to24(const void* s, void* d, uint32_t n);
void conv24to24(const void* s, void* d, uint32_t n);
void conv32to24(const void* s, void* d, uint32_t n);
void conv8to32(const void* s, void* d, uint32_t n);
void conv15to32(const void* s, void* d, uint32_t n);
void conv16to32(const void* s, void* d, uint32_t n);
void conv4444to32(const void* s, void* d, uint32_t n);
void conv15ato32(const void* s, void* d, uint32_t n);
void conv16ato32(const void* s, void* d, uint32_t n);
void conv24to32(const void* s, void* d, uint32_t n);
void conv24rgbto32(const void* s, void* d, uint32_t n);  // palette triples
void conv32to32(const void* s, void* d, uint32_t n);
