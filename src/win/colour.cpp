#include "win/colour.h"

#include "cmn/lib.h"
#include "win/palette.h"
#include "win/pixels.h"
#include "win/wind.h"

namespace {

constexpr const char* SITE = "win\\colour";

bool inside(int32_t x, int32_t y)
{
    const WIND& w = currentwindow;
    return x >= w.minx && x < w.maxx && y >= w.miny && y < w.maxy;
}

uint32_t from15(uint32_t p)
{
    return (p & 0x8000 ? 0xFF000000u : 0) | ((p >> 10) & 31) << 19 | ((p >> 5) & 31) << 11 | (p & 31) << 3;
}

uint32_t from16(uint32_t p)
{
    return (p ? 0xFF000000u : 0) | ((p >> 11) & 31) << 19 | ((p >> 5) & 63) << 10 | (p & 31) << 3;
}

} // namespace

uint32_t getargb(uint32_t colour)
{
    int32_t bpp = currentwindow.bpp;
    switch (bpp) {
    case 15:
        if (colour >= 0x10000)
            LIBFAIL(SITE, "getargb - INVALID 15 BIT COLOUR.\nCURRENT WINDOW BPP %d. REQUESTED ARGB FOR COLOUR %d ($%x).\n",
                    bpp, static_cast<int>(colour), colour);
        return from15(colour);
    case 16:
        if (colour > 65535) {
            LIBFAIL(SITE, "getargb - INVALID 16 BIT COLOUR.\nCURRENT WINDOW BPP %d. REQUESTED ARGB FOR COLOUR %d ($%x).\n",
                    bpp, static_cast<int>(colour), colour);
            return from16(colour & 0xFFFF);
        }
        return from16(colour);
    case 24:
    case 32: return colour;
    default:
        if (colour > 255) {
            LIBFAIL(SITE,
                    "getargb - INVALID COLOUR INDEX.\nCURRENT WINDOW BPP %d. REQUESTED ARGB FOR COLOUR INDEX %d ($%x).\n",
                    bpp, static_cast<int>(colour), colour);
            return 0;
        }
        return libpalette[colour];
    }
}

uint16_t argbto16(uint32_t argb)
{
    return static_cast<uint16_t>(((argb >> 3) & 31) + ((argb & 0xF80000) >> 8) + ((argb & 0xFC00) >> 5));
}

uint16_t argbto15(uint32_t argb)
{
    if (argb == 0) return 0;
    return static_cast<uint16_t>(((argb & 0xF80000) >> 9) + ((argb >> 3) & 31) + ((argb & 0xF800) >> 6) + 0x8000);
}

uint32_t argbswap(uint32_t argb) { return (argb & 0xFF00FF00u) | (argb >> 16 & 0xFF) | (argb & 0xFF) << 16; }

uint32_t readpixel(int32_t x, int32_t y)
{
    int32_t bpp = currentwindow.bpp;
    if (bpp != 4 && bpp != 8 && bpp != 15 && bpp != 16 && bpp != 24 && bpp != 32) {
        LIBFAIL(SITE, "readpixel - INVALID CURRENTWINDOW. BPP %d\n", bpp);
        return 0;
    }
    if (!inside(x, y) || !currentwindow.base) return 0;
    const uint8_t* p = pixeladdress(x, y);
    switch (bpp) {
    case 4: return x & 1 ? *p >> 4 : *p & 15;
    case 8: return *p;
    case 15:
    case 16: return getlittleendian(p, 2);
    case 24: return getlittleendian(p, 3);
    default: return getlittleendian(p, 4);
    }
}

void writepixel(int32_t x, int32_t y, uint32_t value)
{
    int32_t bpp = currentwindow.bpp;
    if (bpp != 4 && bpp != 8 && bpp != 15 && bpp != 16 && bpp != 24 && bpp != 32) {
        LIBFAIL(SITE, "writepixel - INVALID CURRENTWINDOW. BPP %d\n", bpp);
        return;
    }
    if (!inside(x, y) || !currentwindow.base) return;
    uint8_t* p = pixeladdress(x, y);
    switch (bpp) {
    case 4: *p = static_cast<uint8_t>(x & 1 ? (*p & 0x0F) | (value & 15) << 4 : (*p & 0xF0) | (value & 15)); break;
    case 8: *p = static_cast<uint8_t>(value); break;
    case 15:
    case 16: putlittleendian(p, value, 2); break;
    case 24: putlittleendian(p, value, 3); break;
    default: putlittleendian(p, value, 4); break;
    }
}

uint16_t blend16(uint32_t k, uint16_t p)
{
    uint32_t a = k >> 24;
    if (a < 0x10) return p;
    if (a >= 0xFC) return argbto16(k);
    uint32_t i = 255 - a;
    uint32_t r = ((p >> 11) & 31) * 8 * i / 256, g = ((p >> 5) & 63) * 4 * i / 256, b = (p & 31) * 8 * i / 256;
    uint32_t sum = (((k >> 16) & 0xFF) + r) << 16 | (((k >> 8) & 0xFF) + g) << 8 | ((k & 0xFF) + b);
    return argbto16(sum);
}

uint16_t blend15(uint32_t k, uint16_t p)
{
    uint32_t a = k >> 24;
    if (a < 0x10) return p;
    if (a >= 0xFC) return static_cast<uint16_t>(argbto15(k) | 0x8000);
    uint32_t i = 255 - a;
    uint32_t r = ((p >> 10) & 31) * 8 * i / 256, g = ((p >> 5) & 31) * 8 * i / 256, b = (p & 31) * 8 * i / 256;
    uint32_t sum = (((k >> 16) & 0xFF) + r) << 16 | (((k >> 8) & 0xFF) + g) << 8 | ((k & 0xFF) + b);
    return static_cast<uint16_t>(argbto15(sum) | 0x8000);
}

uint16_t blend16a(uint32_t k, uint16_t p)
{
    uint32_t a = k >> 24;
    if (a < 0x10) return p;
    if (a >= 0xFC) return static_cast<uint16_t>(k);
    uint32_t i = 255 - a;
    // Both in r5g6b5: the colour is not premultiplied here.
    auto mix = [&](uint32_t shift, uint32_t mask) {
        uint32_t c = (k >> shift) & mask, d = (p >> shift) & mask;
        return ((c * a + d * i) / 255) << shift;
    };
    return static_cast<uint16_t>(mix(11, 31) | mix(5, 63) | mix(0, 31));
}

void plotpixel(int32_t x, int32_t y, uint32_t argb)
{
    if (!inside(x, y) || !currentwindow.base) return;
    if (currentwindow.bpp == 16 && !currentwindow.indirect) {
        uint8_t* p = pixeladdress(x, y);
        putlittleendian(p, blend16(argb, static_cast<uint16_t>(getlittleendian(p, 2))), 2);
        return;
    }
    uint32_t a = argb >> 24;
    if (a == 0) return;
    if (a == 255) {
        writepixel(x, y, colourtopixel(argb));
        return;
    }
    uint32_t d = getargb(readpixel(x, y));
    uint32_t k = 65536 - a * 256;
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint64_t scaled = uint64_t{k} * ((d >> shift) & 0xFF);
        uint32_t c = ((argb >> shift) & 0xFF) + static_cast<uint32_t>(scaled >> 16) + ((scaled & 0x8000) ? 1 : 0);
        out |= (c > 255 ? 255 : c) << shift;
    }
    uint32_t da = d >> 24;
    out |= (255 - (255 - da) * (255 - a) / 255) << 24;
    writepixel(x, y, colourtopixel(out));
}

uint32_t readpixel2(int32_t x, int32_t y) { return readpixel(x, y); }
void writepixel2(int32_t x, int32_t y, uint32_t value) { writepixel(x, y, value); }
void plotpixel2(int32_t x, int32_t y, uint32_t argb) { plotpixel(x, y, argb); }
