#include "win/pixels.h"

#include "win/drawshape.h"
#include "win/colour.h"
#include "win/convshp.h"
#include "win/palette.h"
#include "win/wind.h"

#include <cstring>
#include <initializer_list>

ConvertTables convtables{};
bool fill16override = false;

namespace {

template <typename T> T load(const uint8_t* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T> void store(uint8_t* p, T v) { std::memcpy(p, &v, sizeof v); }

// One move of n bytes.
template <int N> void move(uint8_t*& d, const uint8_t*& s, uint32_t& left)
{
    std::memcpy(d, s, N);
    d += N;
    s += N;
    left -= N;
}

// Aligns the destination with 1-, 2- and 4-byte moves while bytes remain.
template <int ALIGN> void head(uint8_t*& d, const uint8_t*& s, uint32_t& left)
{
    if ((reinterpret_cast<uintptr_t>(d) & 1) && left >= 1) move<1>(d, s, left);
    if ((reinterpret_cast<uintptr_t>(d) & 2) && left >= 2) move<2>(d, s, left);
    if (ALIGN == 8 && (reinterpret_cast<uintptr_t>(d) & 4) && left >= 4) move<4>(d, s, left);
}

void tail(uint8_t*& d, const uint8_t*& s, uint32_t& left)
{
    if (left >= 4) move<4>(d, s, left);
    if (left >= 2) move<2>(d, s, left);
    if (left >= 1) move<1>(d, s, left);
}

// Groups of 64-bit words, all loads before the stores; W is the word type
// (an integer, or a double moved bit for bit).
template <typename W> void groups(uint8_t*& d, const uint8_t*& s, uint32_t& left, uint32_t group)
{
    while (left >= group) {
        W words[16];
        uint32_t n = group / 8;
        for (uint32_t i = 0; i < n; ++i) std::memcpy(&words[i], s + 8 * i, 8);
        for (uint32_t i = 0; i < n; ++i) std::memcpy(d + 8 * i, &words[i], 8);
        d += group;
        s += group;
        left -= group;
    }
}

template <typename W> void copy64(void* destination, const void* source, uint32_t bytes)
{
    auto* d = static_cast<uint8_t*>(destination);
    const auto* s = static_cast<const uint8_t*>(source);
    head<8>(d, s, bytes);
    groups<W>(d, s, bytes, 128);
    groups<W>(d, s, bytes, 32);
    groups<W>(d, s, bytes, 8);
    tail(d, s, bytes);
}

uint8_t* row_at(void* base, uint32_t i, uint32_t size) { return static_cast<uint8_t*>(base) + i * size; }
const uint8_t* row_at(const void* base, uint32_t i, uint32_t size) { return static_cast<const uint8_t*>(base) + i * size; }

uint32_t fillvalue = 0;

void fillspan4(const void*, void* d, uint32_t n) { fillmem32(d, n / 2, fillvalue); }
void fillspan8(const void*, void* d, uint32_t n) { fillmem32(d, n, fillvalue); }
void fillspan16(const void*, void* d, uint32_t n) { fillmem32(d, n * 2, fillvalue); }
void fillspan24(const void*, void* d, uint32_t n)
{
    auto* p = static_cast<uint8_t*>(d);
    for (uint32_t i = 0; i < n; ++i, p += 3) {
        p[0] = static_cast<uint8_t>(fillvalue);
        p[1] = static_cast<uint8_t>(fillvalue >> 8);
        p[2] = static_cast<uint8_t>(fillvalue >> 16);
    }
}
void fillspan32(const void*, void* d, uint32_t n) { fillmem32(d, n * 4, fillvalue); }
void fillspan16each(const void*, void* d, uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i) store<uint16_t>(row_at(d, i, 2), static_cast<uint16_t>(fillvalue));
}

uint8_t lane_average(uint8_t a, uint8_t b) { return static_cast<uint8_t>((a + b) >> 1); }

uint32_t colour15to32(uint16_t v)
{
    return 0xFF000000u | uint32_t((v >> 10) & 31) << 19 | uint32_t((v >> 5) & 31) << 11 | uint32_t(v & 31) << 3;
}

uint32_t colour16to32(uint16_t v)
{
    return 0xFF000000u | uint32_t((v >> 11) & 31) << 19 | uint32_t((v >> 5) & 63) << 10 | uint32_t(v & 31) << 3;
}

const uint32_t* clut32() { return convtables.clut32 ? convtables.clut32 : libpalette; }

// One converter per pair, pixel by pixel.
template <typename S, typename D, typename F> void each(const void* s, void* d, uint32_t n, F f)
{
    for (uint32_t i = 0; i < n; ++i) store<D>(row_at(d, i, sizeof(D)), f(load<S>(row_at(s, i, sizeof(S)))));
}

uint8_t nibble(const void* s, uint32_t i)
{
    uint8_t b = static_cast<const uint8_t*>(s)[i / 2];
    return i & 1 ? b >> 4 : b & 15;
}

} // namespace

void copykernel1(void* destination, const void* source, uint32_t bytes) { copy64<uint64_t>(destination, source, bytes); }
void copykernel2(void* destination, const void* source, uint32_t bytes) { copy64<int64_t>(destination, source, bytes); }
void copykernel3(void* destination, const void* source, uint32_t bytes) { copy64<double>(destination, source, bytes); }

void copykernel4(void* destination, const void* source, uint32_t bytes)
{
    auto* d = static_cast<uint8_t*>(destination);
    const auto* s = static_cast<const uint8_t*>(source);
    head<4>(d, s, bytes);
    for (uint32_t group : {32u, 8u})
        while (bytes >= group) {
            for (uint32_t i = 0; i < group; i += 4) std::memcpy(d + i, s + i, 4);
            d += group;
            s += group;
            bytes -= group;
        }
    tail(d, s, bytes);
}

int depthindex(int32_t bpp)
{
    switch (bpp) {
    case 8: return 1;
    case 15: return 2;
    case 16: return 3;
    case 24: return 4;
    case 32: return 5;
    default: return 0;
    }
}

int shapedepthindex(uint32_t type)
{
    static const struct {
        uint8_t type;
        int8_t index;
    } table[] = {{0x7A, 0}, {0x7B, 1}, {0x7E, 2}, {0x78, 3}, {0x7F, 4}, {0x7D, 5},
                 {0x40, 0}, {0x41, 1}, {0x43, 4}, {0x6D, 6}, {0x42, 7}};
    for (const auto& row : table)
        if (row.type == type) return row.index;
    return -1;
}

void fillrect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t colour)
{
    static const DrawMode spans = {{fillspan4, fillspan8, fillspan16, fillspan16, fillspan24, fillspan32, nullptr}, 0, 0, 0};
    DrawMode mode = spans;
    if (fill16override) mode.rows[6] = currentwindow.bpp == 16 ? fillspan16each : nullptr;
    switch (currentwindow.bpp) {
    case 4: fillvalue = (colour & 15) * 0x11111111u; break;
    case 8: fillvalue = (colour & 0xFF) * 0x01010101u; break;
    case 15:
    case 16: fillvalue = (colour & 0xFFFF) * 0x00010001u; break;
    default: fillvalue = colour; break;
    }
    uint8_t shape[16] = {currentwindow.format, 0, 0, 0, static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8),
                         static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8)};
    if (width <= 0 || height <= 0) return;
    movdfl(shape, x, y, &mode);
}

uint32_t getbigendian(const void* address, int n)
{
    const auto* p = static_cast<const uint8_t*>(address);
    uint32_t v = 0;
    for (int i = 0; i < n && i < 4; ++i) v = v << 8 | p[i];
    return v;
}

uint32_t getlittleendian(const void* address, int n)
{
    const auto* p = static_cast<const uint8_t*>(address);
    uint32_t v = 0;
    for (int i = (n < 4 ? n : 4) - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

void putbigendian(void* address, uint32_t value, int n)
{
    auto* p = static_cast<uint8_t*>(address);
    for (int i = 0; i < n && i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * (n - 1 - i)));
}

void putlittleendian(void* address, uint32_t value, int n)
{
    auto* p = static_cast<uint8_t*>(address);
    for (int i = 0; i < n && i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

void pixrowblend(const void* source, void* destination, uint32_t cells)
{
    const auto* s = static_cast<const uint8_t*>(source);
    auto* d = static_cast<uint8_t*>(destination);
    for (uint32_t i = 0; i < cells; ++i, s += 4, d += 8) {
        const uint8_t* c = s;
        const uint8_t* n = s + 4;
        uint8_t out[8] = {c[0], c[1], lane_average(c[2], c[3]), c[3], lane_average(c[0], n[0]), lane_average(c[1], n[1]),
                          lane_average(c[2], n[3]), c[2]};
        std::memcpy(d, out, 8);
    }
}

void pixrowblend2(const void* a, const void* b, void* destination, uint32_t cells)
{
    const auto* pa = static_cast<const uint8_t*>(a);
    const auto* pb = static_cast<const uint8_t*>(b);
    auto* d = static_cast<uint8_t*>(destination);
    uint8_t avg[8];
    for (int k = 0; k < 4; ++k) avg[4 + k] = lane_average(pa[k], pb[k]);
    for (uint32_t i = 0; i < cells; ++i, pa += 4, pb += 4, d += 8) {
        std::memcpy(avg, avg + 4, 4);
        for (int k = 0; k < 4; ++k) avg[4 + k] = lane_average(pa[4 + k], pb[4 + k]);
        pixrowblend(avg, d, 1);
    }
}

void pixrowexpand(const void* source, void* destination, uint32_t cells, int)
{
    const auto* s = static_cast<const uint8_t*>(source);
    auto* d = static_cast<uint8_t*>(destination);
    auto widen = [](uint8_t x) { return static_cast<uint8_t>(2 * x - (x >> 2) + 16); };
    for (uint32_t i = 0; i < cells; ++i, s += 4, d += 4) {
        d[0] = widen(s[3]);
        d[1] = widen(s[1]);
        d[2] = widen(s[2]);
        d[3] = widen(s[0]);
    }
}

void conv4to4(const void* s, void* d, uint32_t n) { blockmove(s, d, (n + 1) / 2); }

void conv8to4(const void* s, void* d, uint32_t n)
{
    const auto* src = static_cast<const uint8_t*>(s);
    auto* dst = static_cast<uint8_t*>(d);
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t& b = dst[i / 2];
        b = i & 1 ? static_cast<uint8_t>((b & 0x0F) | (src[i] & 15) << 4) : static_cast<uint8_t>((b & 0xF0) | (src[i] & 15));
    }
}

void conv4to8(const void* s, void* d, uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i) static_cast<uint8_t*>(d)[i] = nibble(s, i);
}

void conv8to8(const void* s, void* d, uint32_t n) { blockmove(s, d, n); }

void conv16to8(const void* s, void* d, uint32_t n)
{
    each<uint16_t, uint8_t>(s, d, n, [](uint16_t v) {
        uint32_t r = v >> 11, g = (v >> 5) & 63, b = v & 31;
        if (convtables.inverse) return convtables.inverse[r << 10 | (g >> 1) << 5 | b];
        return static_cast<uint8_t>(colourtopixel(0xFF000000u | r << 19 | g << 10 | b << 3));
    });
}

void conv15to15(const void* s, void* d, uint32_t n)
{
    each<uint16_t, uint16_t>(s, d, n, [](uint16_t v) {
        return static_cast<uint16_t>((v & 0x83E0) | (v & 31) << 10 | ((v >> 10) & 31));
    });
}

void conv16to15(const void* s, void* d, uint32_t n)
{
    each<uint16_t, uint16_t>(s, d, n, [](uint16_t v) {
        return static_cast<uint16_t>((v >> 11) << 10 | ((v >> 6) & 31) << 5 | (v & 31));
    });
}

void conv32to15key(const void* s, void* d, uint32_t n)
{
    each<uint32_t, uint16_t>(s, d, n, [](uint32_t v) { return v >> 24 < 0x40 ? uint16_t{0} : argbto15(v); });
}

void conv32to15(const void* s, void* d, uint32_t n) { each<uint32_t, uint16_t>(s, d, n, argbto15); }

void conv4to16(const void* s, void* d, uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i) store<uint16_t>(row_at(d, i, 2), convtables.clut16[nibble(s, i)]);
}

void conv8to16(const void* s, void* d, uint32_t n)
{
    each<uint8_t, uint16_t>(s, d, n, [](uint8_t v) { return convtables.clut16[v]; });
}

void conv15to16(const void* s, void* d, uint32_t n)
{
    each<uint16_t, uint16_t>(s, d, n, [](uint16_t v) {
        return static_cast<uint16_t>(((v >> 10) & 31) << 11 | ((v >> 5) & 31) << 6 | (v & 31));
    });
}

void conv16to16(const void* s, void* d, uint32_t n) { blockmove(s, d, n * 2); }

void conv32to16low(const void* s, void* d, uint32_t n)
{
    each<uint32_t, uint16_t>(s, d, n, [](uint32_t v) { return static_cast<uint16_t>(v); });
}

void conv32to16key(const void* s, void* d, uint32_t n)
{
    each<uint32_t, uint16_t>(s, d, n, [](uint32_t v) {
        if (v >> 24 < 0x40) return uint16_t{0};
        uint16_t p = argbto16(v);
        return p ? p : uint16_t{1};
    });
}

void conv32to16(const void* s, void* d, uint32_t n) { each<uint32_t, uint16_t>(s, d, n, argbto16); }

void conv32to4444(const void* s, void* d, uint32_t n)
{
    each<uint32_t, uint16_t>(s, d, n, [](uint32_t v) {
        return static_cast<uint16_t>((v >> 28) << 12 | ((v >> 20) & 15) << 8 | ((v >> 12) & 15) << 4 | ((v >> 4) & 15));
    });
}

void conv15to4444(const void* s, void* d, uint32_t n)
{
    each<uint16_t, uint16_t>(s, d, n, [](uint16_t v) {
        if (v == convtables.transparent16) return uint16_t{0};
        return static_cast<uint16_t>(0xF000 | ((v >> 11) & 15) << 8 | ((v >> 6) & 15) << 4 | ((v >> 1) & 15));
    });
}

void conv32to32x565(const void* s, void* d, uint32_t n)
{
    each<uint32_t, uint32_t>(s, d, n, [](uint32_t v) { return (v & 0xFF000000u) | argbto16(v); });
}

void conv8to24(const void* s, void* d, uint32_t n)
{
    const uint32_t* table = clut32();
    for (uint32_t i = 0; i < n; ++i) putlittleendian(row_at(d, i, 3), table[static_cast<const uint8_t*>(s)[i]], 3);
}

void conv16to24(const void* s, void* d, uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i) {
        uint16_t v = load<uint16_t>(row_at(s, i, 2));
        uint8_t* p = row_at(d, i, 3);
        p[0] = static_cast<uint8_t>((v & 31) << 3);
        p[1] = static_cast<uint8_t>(((v >> 5) & 63) << 2);
        p[2] = static_cast<uint8_t>((v >> 11) << 3);
    }
}

void conv24to24(const void* s, void* d, uint32_t n) { blockmove(s, d, n * 3); }

void conv32to24(const void* s, void* d, uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i) putlittleendian(row_at(d, i, 3), load<uint32_t>(row_at(s, i, 4)), 3);
}

void conv8to32(const void* s, void* d, uint32_t n)
{
    const uint32_t* table = clut32();
    each<uint8_t, uint32_t>(s, d, n, [table](uint8_t v) { return table[v]; });
}

void conv15to32(const void* s, void* d, uint32_t n)
{
    each<uint16_t, uint32_t>(s, d, n, [](uint16_t v) { return v == convtables.transparent16 ? 0u : colour15to32(v); });
}

void conv16to32(const void* s, void* d, uint32_t n)
{
    each<uint16_t, uint32_t>(s, d, n, [](uint16_t v) { return v == convtables.transparent16 ? 0u : colour16to32(v); });
}

void conv4444to32(const void* s, void* d, uint32_t n)
{
    each<uint16_t, uint32_t>(s, d, n, [](uint16_t v) {
        uint32_t out = 0;
        for (int k = 3; k >= 0; --k) {
            uint32_t nib = (v >> (4 * k)) & 15;
            out = out << 8 | nib << 4 | nib;
        }
        return out;
    });
}

void conv15ato32(const void* s, void* d, uint32_t n)
{
    each<uint32_t, uint32_t>(s, d, n, [](uint32_t v) {
        return (v & 0xFF000000u) | (colour15to32(static_cast<uint16_t>(v)) & 0xFFFFFF);
    });
}

void conv16ato32(const void* s, void* d, uint32_t n)
{
    each<uint32_t, uint32_t>(s, d, n, [](uint32_t v) {
        return (v & 0xFF000000u) | (colour16to32(static_cast<uint16_t>(v)) & 0xFFFFFF);
    });
}

void conv24to32(const void* s, void* d, uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i) store<uint32_t>(row_at(d, i, 4), 0xFF000000u | getlittleendian(row_at(s, i, 3), 3));
}

void conv24rgbto32(const void* s, void* d, uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i) store<uint32_t>(row_at(d, i, 4), 0xFF000000u | getbigendian(row_at(s, i, 3), 3));
}

void conv32to32(const void* s, void* d, uint32_t n) { blockmove(s, d, n * 4); }
