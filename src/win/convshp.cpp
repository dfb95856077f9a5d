#include "win/convshp.h"

#include "cmn/cpu.h"
#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "win/colour.h"
#include "win/palette.h"
#include "win/shapes.h"
#include "win/wind.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* SITE = "win\\convshp";

uint8_t g_remap[256];
// The lookup table a converter from 4 or 8 bits reads for a 24 or 32-bit target.
uint32_t g_lookup32[256];

int typeclass(uint8_t type) { return shapedepthindex(type); }

constexpr uint8_t k_next[8][8] = {
    {0x7A, 0x7B, 0x7E, 0x78, 0x7B, 0x7B, 0x7B, 0x7E}, {0x7A, 0x7B, 0x7E, 0x78, 0x7F, 0x7D, 0x6D, 0x7E},
    {0x78, 0x78, 0x7E, 0x78, 0x78, 0x7D, 0x7D, 0x42}, {0x7B, 0x7B, 0x7E, 0x78, 0x7F, 0x7D, 0x6D, 0x7E},
    {0x7D, 0x7D, 0x7D, 0x7D, 0x7F, 0x7D, 0x7D, 0x7D}, {0x78, 0x78, 0x7E, 0x78, 0x7F, 0x7D, 0x6D, 0x7E},
    {0x7D, 0x7D, 0x7D, 0x7D, 0x7D, 0x7D, 0x6D, 0x7D}, {0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x7E, 0x42},
};

void conv16to4444(const void* s, void* d, uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t v = getlittleendian(static_cast<const uint8_t*>(s) + 2 * i, 2);
        uint32_t out = v == convtables.transparent16 ? 0 : 0xF000 | ((v >> 12) & 15) << 8 | ((v >> 7) & 15) << 4 | ((v >> 1) & 15);
        putlittleendian(static_cast<uint8_t*>(d) + 2 * i, out, 2);
    }
}

// The converter of each step, by (class now, class of the type the step makes).
constexpr RowConverter k_keep[8][8] = {
    {conv4to4, conv4to8, conv4to16, conv4to16, nullptr, nullptr, nullptr, nullptr},
    {conv8to4, conv8to8, conv8to16, conv8to16, conv8to24, conv8to32, conv8to16, nullptr},
    {nullptr, nullptr, conv16to16, conv15to16, nullptr, conv15to32, nullptr, conv15to15},
    {nullptr, conv16to8, conv16to15, conv16to16, conv16to24, conv16to32, conv16to4444, nullptr},
    {nullptr, nullptr, nullptr, nullptr, conv24to24, conv24to32, nullptr, nullptr},
    {nullptr, nullptr, conv32to15key, conv32to16key, conv32to24, conv32to32, conv32to4444, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr, conv4444to32, conv16to16, nullptr},
    {nullptr, nullptr, conv15to15, nullptr, nullptr, nullptr, nullptr, conv16to16},
};

RowConverter stepconverter(int from, uint8_t next, int keep)
{
    int to = typeclass(next);
    if (from < 0 || to < 0) return nullptr;
    if (from == 5 && !keep) {
        if (to == 2) return conv32to15;
        if (to == 3) return conv32to16;
    }
    return k_keep[from][to];
}

uint32_t from565(uint32_t v) { return ((v >> 11) & 31) << 19 | ((v >> 5) & 63) << 10 | (v & 31) << 3; }
uint32_t from555(uint32_t v) { return ((v >> 10) & 31) << 19 | ((v >> 5) & 31) << 11 | (v & 31) << 3; }
uint32_t swap555(uint32_t v) { return (v & 0x83E0) | (v >> 10 & 31) | (v & 31) << 10; }
uint32_t entry(const uint8_t* clut, int32_t i, uint32_t bytes) { return getlittleendian(clut + 16 + i * bytes, static_cast<int>(bytes)); }

// A palette record as ARGB into out; false for a type with no such form.
bool clutargb(const uint8_t* clut, uint32_t* out)
{
    int32_t n = clutcount(clut);
    uint32_t key = convtables.transparent16;
    switch (shapetype(clut)) {
    case 0x24: clut8toargb(n, clut + 16, out); return true;
    case 0x22: clut6toargb(n, clut + 16, out); return true;
    case 0x2A: for (int32_t i = 0; i < n; ++i) out[i] = entry(clut, i, 4); return true;
    case 0x29:
        for (int32_t i = 0; i < n; ++i) {
            uint32_t v = entry(clut, i, 2);
            out[i] = v == key ? 0 : 0xFF000000u | from565(v);
        }
        return true;
    case 0x2D:
    case 0x23:
        for (int32_t i = 0; i < n; ++i) {
            uint32_t v = entry(clut, i, 2);
            if (shapetype(clut) == 0x23) v = swap555(v);
            out[i] = v == key ? 0 : 0xFF000000u | from555(v);
        }
        return true;
    case 0x2C: for (int32_t i = 0; i < n; ++i) out[i] = (entry(clut, i, 4) & 0xFF000000u) | from565(entry(clut, i, 4) & 0xFFFF); return true;
    case 0x2E: for (int32_t i = 0; i < n; ++i) out[i] = (entry(clut, i, 4) & 0xFF000000u) | from555(entry(clut, i, 4) & 0xFFFF); return true;
    default: return false;
    }
}

uint16_t keep16(uint32_t v)
{
    if (v >> 24 < 0x40) return 0;
    uint16_t p = argbto16(v);
    return p ? p : 1;
}

uint16_t pack4444(uint32_t v) { return static_cast<uint16_t>((v >> 28) << 12 | ((v >> 20) & 15) << 8 | ((v >> 12) & 15) << 4 | ((v >> 4) & 15)); }

// The lookup table of a conversion from a palette type to a deeper one.
void buildlookup(const void* shape, uint8_t next, int useremap, int keep)
{
    uint32_t argb[256];
    const uint32_t* palette;
    if (useremap) {
        for (int i = 0; i < 256; ++i) argb[i] = libpalette[g_remap[i]];
        palette = argb;
    } else {
        palette = getclutptr(shape, argb);
    }
    if (typebpp(next) >= 24) {
        std::memcpy(g_lookup32, palette, sizeof g_lookup32);
        convtables.clut32 = g_lookup32;
        return;
    }
    for (int i = 0; i < 256; ++i) {
        uint32_t v = palette[i];
        uint16_t out;
        if (next == 0x6D) out = pack4444(v);
        else if (typebpp(next) == 15) out = keep && (v >> 24) < 0x40 ? 0 : argbto15(v);
        else out = keep ? keep16(v) : argbto16(v);
        convtables.clut16[i] = out;
    }
}

} // namespace

void setclutremap(const uint8_t* remap) { std::memcpy(g_remap, remap, sizeof g_remap); }

void clut6to8(int32_t count, const uint8_t* s, uint8_t* d)
{
    for (int32_t i = 0; i < 3 * count; ++i) d[i] = static_cast<uint8_t>((s[i] * 255 + 32) / 63);
}
void clut8to6(int32_t count, const uint8_t* s, uint8_t* d)
{
    for (int32_t i = 0; i < 3 * count; ++i) d[i] = static_cast<uint8_t>((s[i] * 63 + 128) / 255);
}
void clut8toargb(int32_t count, const uint8_t* s, uint32_t* d)
{
    for (int32_t i = 0; i < count; ++i)
        d[i] = (i == 255 ? 0u : 0xFF000000u) | uint32_t{s[3 * i]} << 16 | uint32_t{s[3 * i + 1]} << 8 | s[3 * i + 2];
}
void clut6toargb(int32_t count, const uint8_t* s, uint32_t* d)
{
    for (int32_t i = 0; i < count; ++i) {
        uint8_t rgb[3];
        clut6to8(1, s + 3 * i, rgb);
        d[i] = (i == 255 ? 0u : 0xFF000000u) | uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2];
    }
}
void argbtorgb8(int32_t count, const uint32_t* s, uint8_t* d)
{
    for (int32_t i = 0; i < count; ++i) {
        d[3 * i] = static_cast<uint8_t>(s[i] >> 16);
        d[3 * i + 1] = static_cast<uint8_t>(s[i] >> 8);
        d[3 * i + 2] = static_cast<uint8_t>(s[i]);
    }
}
void argbtoclut6(int32_t count, const uint32_t* s, uint8_t* d)
{
    argbtorgb8(count, s, d);
    clut8to6(count, d, d);
}

const uint32_t* getclutptr(const void* shape, uint32_t* buffer)
{
    const auto* clut = static_cast<const uint8_t*>(getshapeclut(shape));
    if (!clut) return libpalette;
    if (shapetype(clut) == 0x2A) return reinterpret_cast<const uint32_t*>(clut + 16);
    buffer[255] = 0;
    if (!clutargb(clut, buffer)) {
        LIBFAIL(SITE, "getclutptr - UNSUPPORTED CLUT TYPE 0x%x\n", shapetype(clut));
        return libpalette;
    }
    return buffer;
}

const uint16_t* getclut16ptr(const void* shape, uint16_t* buffer)
{
    const auto* clut = static_cast<const uint8_t*>(getshapeclut(shape));
    if (!clut) {
        for (int i = 0; i < 256; ++i) buffer[i] = keep16(libpalette[i]);
        return buffer;
    }
    uint8_t type = shapetype(clut);
    if (type == 0x29) return reinterpret_cast<const uint16_t*>(clut + 16);
    int32_t n = clutcount(clut);
    buffer[255] = 0;
    switch (type) {
    case 0x24:
    case 0x22:
    case 0x2A: {
        uint32_t argb[256];
        clutargb(clut, argb);
        for (int32_t i = 0; i < n; ++i) buffer[i] = keep16(argb[i]);
        break;
    }
    case 0x2C: for (int32_t i = 0; i < n; ++i) buffer[i] = static_cast<uint16_t>(entry(clut, i, 4)); break;
    case 0x2D:
    case 0x2E:
    case 0x23: {
        // 0x23 is x1r5g5b5 once red and blue change places.
        uint32_t bytes = type == 0x2E ? 4 : 2;
        for (int32_t i = 0; i < n; ++i) {
            uint32_t v = entry(clut, i, bytes) & 0xFFFF;
            if (type == 0x23) v = swap555(v);
            buffer[i] = static_cast<uint16_t>((v & 0x7C00) << 1 | (v & 0x03E0) << 1 | (v & 31));
        }
        break;
    }
    default: LIBFAIL(SITE, "getclut16ptr - UNSUPPORTED CLUT TYPE 0x%x\n", type); break;
    }
    return buffer;
}

const uint32_t* getclut16aptr(const void* shape, uint32_t* buffer)
{
    const auto* clut = static_cast<const uint8_t*>(getshapeclut(shape));
    if (!clut) {
        for (int i = 0; i < 256; ++i) buffer[i] = (libpalette[i] & 0xFF000000u) | argbto16(libpalette[i]);
        return buffer;
    }
    if (shapetype(clut) == 0x2C) return reinterpret_cast<const uint32_t*>(clut + 16);
    buffer[255] = 0;
    if (!clutargb(clut, buffer)) {
        LIBFAIL(SITE, "getclut16aptr - UNSUPPORTED CLUT TYPE 0x%x\n", shapetype(clut));
        return buffer;
    }
    for (int32_t i = 0; i < clutcount(clut); ++i) buffer[i] = (buffer[i] & 0xFF000000u) | argbto16(buffer[i]);
    return buffer;
}

uint8_t nextshapetype(uint8_t from, uint8_t to)
{
    int a = typeclass(from), b = typeclass(to);
    return a < 0 || b < 0 ? 0 : k_next[a][b];
}

RowConverter getrowconverter(const void* shape, uint8_t type, int keeptransparency)
{
    uint8_t from = shapetype(shape);
    if (nextshapetype(from, type) != type) return nullptr;
    RowConverter row = stepconverter(typeclass(from), type, keeptransparency);
    if (row && typebpp(from) < 9 && typebpp(type) >= 9) buildlookup(shape, type, 0, keeptransparency);
    return row;
}

void* convertshapetype(const void* shape, uint8_t type, int useremap, int keeptransparency)
{
    const uint8_t* current = static_cast<const uint8_t*>(shape);
    void* unpacked = nullptr;
    if (shapetype(current) & 0x80) {
        unpacked = unshp(current);
        if (!unpacked) return nullptr;
        current = static_cast<const uint8_t*>(unpacked);
    }
    const void* palettesource = getshapeclut(current) ? current : nullptr;
    uint8_t* made = nullptr;
    for (int step = 0; step < 10; ++step) {
        uint8_t now = shapetype(current);
        int from = typeclass(now);
        if (from < 0) {
            LIBFAIL(SITE, "convertshapedepth - INVALID SOURCE SHAPE TYPE ($%02x)\n", now);
            break;
        }
        if (typeclass(type) < 0) {
            LIBFAIL(SITE, "convertshapedepth - INVALID DESTINATION SHAPE TYPE SPECIFIED ($%02x)\n", type);
            break;
        }
        uint8_t next = nextshapetype(now, type);
        RowConverter row = stepconverter(from, next, keeptransparency);
        if (!next || !row) {
            LIBFAIL(SITE, "convertshapetype - UNABLE TO CONVERT TO TARGET SHAPE TYPE.\nInitial shape type ($%02x). Target shape type ($%02x)\n",
                    now, type);
            break;
        }
        int32_t width = shapewidth(current), height = shapeheight(current);
        if (width < 0 || height < 0) break;
        int32_t nowbits = typebpp(now), nextbits = typebpp(next);
        int64_t sourcerow = shaperowbytes(current);
        int64_t targetrow = (int64_t{width} * ((nextbits + 1) & ~1) + 7) / 8;
        if (nowbits < 9 && nextbits >= 9) {
            buildlookup(palettesource ? palettesource : current, next, useremap, keeptransparency);
        }
        useremap = 0;
        int64_t size = targetrow * height + 20;
        if (size > 0x7FFFFFFF) break;
        char name[16];
        std::snprintf(name, sizeof name, "%dto%d", nowbits, nextbits);
        auto* block = static_cast<uint8_t*>(reservememadr(name, static_cast<int32_t>(size), libsettings.defaultmemclass));
        if (!block) break;
        uint8_t* sentinel = block + 16 + targetrow * height;
        putbigendian(sentinel, 'C' << 24 | 'S' << 16 | 'H' << 8 | 'P', 4);
        std::memcpy(block, current, 16);
        putlittleendian(block, next, 4);
        for (int32_t y = 0; y < height; ++y) row(current + 16 + y * sourcerow, block + 16 + y * targetrow, static_cast<uint32_t>(width));
        if (getbigendian(sentinel, 4) != uint32_t('C' << 24 | 'S' << 16 | 'H' << 8 | 'P'))
            LIBFAIL(SITE, "convshp - SENTINAL CORRUPTED. %dx%dx%d->%dx%dx%d\n", width, height, nowbits, width, height, nextbits);
        if (made) memfree(made);
        if (unpacked) memfree(unpacked), unpacked = nullptr;
        made = block;
        current = block;
        // The palette belongs to the source; later steps convert colours.
        palettesource = nullptr;
        if (next == type) return made;
    }
    if (unpacked) memfree(unpacked);
    return made;
}

void* convertshape(const void* shape, uint8_t type) { return convertshapetype(shape, type, 0, 1); }

void* convertshapebpp(const void* shape, int32_t bpp)
{
    uint8_t type = bpptoformat(bpp);
    if (!type) {
        LIBFAIL(SITE, "convertshapedepth - INVALID DESTINATION SHAPE TYPE SPECIFIED ($%02x)\n", type);
        return nullptr;
    }
    return convertshape(shape, type);
}

void blockmove(const void* source, void* destination, uint32_t n)
{
    const auto* s = static_cast<const uint8_t*>(source);
    auto* d = static_cast<uint8_t*>(destination);
    if (d > s && d < s + n) {
        while (n--) d[n] = s[n];
        return;
    }
    if (libcpu.mmx) {
        copykernel1(d, s, n);
        clearmmx();
    } else if (libcpu.family5) {
        copykernel2(d, s, n);
    } else {
        copykernel4(d, s, n);
    }
}
