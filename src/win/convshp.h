// Palettes of shapes in the forms drawing needs, and conversion of a shape
// from its type to another one, a step at a time through fixed intermediate
// types.
#pragma once

#include "win/pixels.h"

#include <cstdint>

void setclutremap(const uint8_t* remap);

// buffer: 256 entries. Each returns the shape's palette in one form (or the
// library's current palette when the shape has none).
const uint32_t* getclutptr(const void* shape, uint32_t* buffer);
const uint16_t* getclut16ptr(const void* shape, uint16_t* buffer);
const uint32_t* getclut16aptr(const void* shape, uint32_t* buffer);

// A new shape block of the type; the caller frees it (memfree). 0 on failure.
void* convertshapetype(const void* shape, uint8_t type, int useremap, int keeptransparency);
void* convertshape(const void* shape, uint8_t type);
void* convertshapebpp(const void* shape, int32_t bpp);
// The converter that turns the shape's rows straight into the type, or 0 when
// that takes more than one step.
RowConverter getrowconverter(const void* shape, uint8_t type, int keeptransparency);
// The type one step from a type towards another; 0 when either has no class.
uint8_t nextshapetype(uint8_t from, uint8_t to);

// Copies n bytes, right for every overlap.
void blockmove(const void* source, void* destination, uint32_t n);

void clut6to8(int32_t count, const uint8_t* source, uint8_t* destination);
void clut8to6(int32_t count, const uint8_t* source, uint8_t* destination);
void clut6toargb(int32_t count, const uint8_t* source, uint32_t* destination);
void clut8toargb(int32_t count, const uint8_t* source, uint32_t* destination);
void argbtoclut6(int32_t count, const uint32_t* source, uint8_t* destination);
void argbtorgb8(int32_t count, const uint32_t* source, uint8_t* destination);
