// The engine library's numeric helpers: fixed-point trigonometry on a circle
// of 1024 steps, CRC-16, 64-bit arithmetic on pairs of 32-bit words and
// overlap-aware memory moves.
#pragma once

#include <cstdint>

// 16.16 sine and cosine; any angle is taken modulo 1024.
int32_t fixsin(int32_t angle);
int32_t fixcos(int32_t angle);
// The angle of the point (x, y), -512..512; 0 along +x, 256 along +y.
int32_t fixatan2(int32_t y, int32_t x);

// CRC-16 by the reflected polynomial 0xA001, starting at 0xFBEA, no final XOR.
uint16_t crc16(const void* address, uint32_t length);

struct Word64 {
    uint32_t lo;
    uint32_t hi;
    bool operator==(const Word64&) const = default;
};

Word64 mul32x32(uint32_t a, uint32_t b);
Word64 imul32x32(int32_t a, int32_t b);
// The quotient must fit in 32 bits: the dividend's high word below the divisor.
uint32_t div64by32(Word64 dividend, uint32_t divisor);
int32_t idiv64by32(Word64 dividend, int32_t divisor);
uint32_t umod64by32(Word64 dividend, uint32_t divisor);
int32_t imod64by32(Word64 dividend, int32_t divisor);
Word64 add64(Word64 a, Word64 b);
Word64 neg64(Word64 a);
Word64 shl64(Word64 a, uint32_t count);
Word64 shr64(Word64 a, uint32_t count);
Word64 sar64(Word64 a, uint32_t count);
Word64 widenshift(int32_t value, uint32_t count);
// 16.16 division a * 65536 / divisor with its remainder; a zero divisor or a
// quotient beyond 32 bits is reported and gives 0.
int32_t fixdivmod(int32_t a, int32_t divisor, int32_t* remainder);

// Copies count bytes, right for every overlap.
void memmove_fast(const void* source, void* destination, uint32_t count);
void copypixels4(void* destination, const void* source, uint32_t count);
void copypixels8(void* destination, const void* source, uint32_t count);
void copypixels16(void* destination, const void* source, uint32_t count);
void copypixels24(void* destination, const void* source, uint32_t count);
void copypixels32(void* destination, const void* source, uint32_t count);
