#include "cmn/numeric.h"

#include "cmn/fixtables.h"
#include "cmn/lib.h"

#include <array>
#include <cstring>

// ---- angles ----

int32_t fixsin(int32_t angle)
{
    uint32_t a = static_cast<uint32_t>(angle);
    uint32_t i = a & 255;
    switch ((a >> 8) & 3) {
    case 0: return fixsintable[i];
    case 1: return fixsintable[256 - i];
    case 2: return -fixsintable[i];
    default: return -fixsintable[256 - i];
    }
}

int32_t fixcos(int32_t angle) { return fixsin(static_cast<int32_t>(static_cast<uint32_t>(angle) + 256)); }

int32_t fixatan2(int32_t y, int32_t x)
{
    // Magnitudes as unsigned words, so that the most negative value stays whole.
    uint32_t a = y < 0 ? 0u - static_cast<uint32_t>(y) : static_cast<uint32_t>(y);
    uint32_t b = x < 0 ? 0u - static_cast<uint32_t>(x) : static_cast<uint32_t>(x);
    int32_t base = x < 0 ? (y < 0 ? -512 : 512) : 0;
    bool subtract = (x < 0) != (y < 0);
    if (a > b) {
        uint32_t t = a;
        a = b;
        b = t;
        base += subtract ? -256 : 256;
        subtract = !subtract;
    }
    int32_t step;
    if (a == b) {
        step = 128;
    } else {
        uint32_t index;
        if (a < 0x800000) {
            index = (a * 256 + b / 2) / b;
        } else {
            uint64_t q = (uint64_t{a} << 32) / b;
            index = static_cast<uint32_t>((q >> 24) + ((q >> 23) & 1));
        }
        step = fixatantable[index > 256 ? 256 : index];
    }
    return subtract ? base - step : base + step;
}

// ---- CRC-16 ----

namespace {
constexpr std::array<uint16_t, 256> make_crc_table()
{
    std::array<uint16_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit) crc = crc & 1 ? (crc >> 1) ^ 0xA001 : crc >> 1;
        table[i] = static_cast<uint16_t>(crc);
    }
    return table;
}
constexpr std::array<uint16_t, 256> crc_table = make_crc_table();
} // namespace

uint16_t crc16(const void* address, uint32_t length)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(address);
    uint16_t crc = 0xFBEA;
    for (uint32_t i = 0; i < length; ++i) crc = crc_table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

// ---- 64-bit words ----

namespace {
uint64_t join(Word64 w) { return uint64_t{w.hi} << 32 | w.lo; }
Word64 split(uint64_t v) { return Word64{static_cast<uint32_t>(v), static_cast<uint32_t>(v >> 32)}; }
int64_t join_signed(Word64 w) { return static_cast<int64_t>(join(w)); }
uint64_t magnitude(int64_t v) { return v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v); }
uint32_t magnitude32(int32_t v) { return v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v); }

// The signed quotient truncated toward zero, as a full 64-bit value.
int64_t signed_quotient(Word64 dividend, int32_t divisor)
{
    int64_t n = join_signed(dividend);
    uint64_t q = magnitude(n) / magnitude32(divisor);
    bool negative = (n < 0) != (divisor < 0);
    return static_cast<int64_t>(negative ? 0 - q : q);
}
} // namespace

Word64 mul32x32(uint32_t a, uint32_t b) { return split(uint64_t{a} * b); }

Word64 imul32x32(int32_t a, int32_t b)
{
    uint64_t product = uint64_t{magnitude32(a)} * magnitude32(b);
    return split((a < 0) != (b < 0) ? 0 - product : product);
}

uint32_t div64by32(Word64 dividend, uint32_t divisor)
{
    return divisor ? static_cast<uint32_t>(join(dividend) / divisor) : 0;
}

int32_t idiv64by32(Word64 dividend, int32_t divisor)
{
    return divisor ? static_cast<int32_t>(static_cast<uint32_t>(signed_quotient(dividend, divisor))) : 0;
}

uint32_t umod64by32(Word64 dividend, uint32_t divisor)
{
    return dividend.lo - div64by32(dividend, divisor) * divisor;
}

int32_t imod64by32(Word64 dividend, int32_t divisor)
{
    uint32_t q = static_cast<uint32_t>(idiv64by32(dividend, divisor));
    return static_cast<int32_t>(dividend.lo - q * static_cast<uint32_t>(divisor));
}

Word64 add64(Word64 a, Word64 b) { return split(join(a) + join(b)); }
Word64 neg64(Word64 a) { return split(0 - join(a)); }
Word64 shl64(Word64 a, uint32_t count) { return split(join(a) << (count & 63)); }
Word64 shr64(Word64 a, uint32_t count) { return split(join(a) >> (count & 63)); }

Word64 sar64(Word64 a, uint32_t count)
{
    uint64_t v = join(a);
    count &= 63;
    uint64_t shifted = v >> count;
    if ((v >> 63) && count) shifted |= ~uint64_t{0} << (64 - count);
    return split(shifted);
}

Word64 widenshift(int32_t value, uint32_t count)
{
    return split(static_cast<uint64_t>(static_cast<int64_t>(value)) << (count & 63));
}

int32_t fixdivmod(int32_t a, int32_t divisor, int32_t* remainder)
{
    if (remainder) *remainder = 0;
    if (divisor == 0) {
        LIBFAIL("cmn\\math64", "fixdivmod - DIVISION BY ZERO\n");
        return 0;
    }
    Word64 dividend = widenshift(a, 16);
    int64_t q = signed_quotient(dividend, divisor);
    if (q < INT32_MIN || q > INT32_MAX) {
        LIBFAIL("cmn\\math64", "fixdivmod - QUOTIENT OVERFLOW (%d / %d)\n", a, divisor);
        return 0;
    }
    if (remainder) *remainder = imod64by32(dividend, divisor);
    return static_cast<int32_t>(q);
}

// ---- memory moves ----

void memmove_fast(const void* source, void* destination, uint32_t count)
{
    const uint8_t* s = static_cast<const uint8_t*>(source);
    uint8_t* d = static_cast<uint8_t*>(destination);
    if (count == 0 || s == d) return;
    if (d < s || d >= s + count) {
        // Forward: every word is read whole before it is written, so a
        // destination below the source may overlap it.
        if (count >= 4) {
            while (reinterpret_cast<uintptr_t>(s) & 3) *d++ = *s++, --count;
            for (; count >= 4; s += 4, d += 4, count -= 4) {
                uint32_t word;
                std::memcpy(&word, s, 4);
                std::memcpy(d, &word, 4);
            }
        }
        while (count--) *d++ = *s++;
    } else {
        while (count--) d[count] = s[count];
    }
}

void copypixels4(void* destination, const void* source, uint32_t count)
{
    memmove_fast(source, destination, count / 2);
}
void copypixels8(void* destination, const void* source, uint32_t count) { memmove_fast(source, destination, count); }
void copypixels16(void* destination, const void* source, uint32_t count)
{
    memmove_fast(source, destination, count * 2);
}
void copypixels24(void* destination, const void* source, uint32_t count)
{
    memmove_fast(source, destination, count * 3);
}
void copypixels32(void* destination, const void* source, uint32_t count)
{
    memmove_fast(source, destination, count * 4);
}
