// Font objects: made from font files, their attributes, tab stops, kerning
// pairs and colour ramp.
#include "font/fontobj.h"

#include "cmn/lib.h"
#include "win/palette.h"
#include "win/pixels.h"
#include "win/shapes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr const char* SITE = "font\\fontcrt";

uint32_t u32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// (a * p + b * q) / (p + q) for each of alpha, red, green and blue.
uint32_t mix(uint32_t a, uint32_t p, uint32_t b, uint32_t q)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t c = (((a >> shift) & 0xFF) * p + ((b >> shift) & 0xFF) * q) / (p + q);
        out |= (c > 255 ? 255 : c) << shift;
    }
    return out;
}

bool pairless(const KernPair& a, const KernPair& b)
{
    return a.code != b.code ? a.code < b.code : a.previous < b.previous;
}

void buildtexture(FontObject* f)
{
    const FontRenderer& r = fontrenderer();
    if (!f->texture) f->texture = r.create(shapewidth(f->image), shapeheight(f->image));
    if (!f->texture) return;
    FONT_buildramp(f);
    const uint8_t* pixels = f->image + SHAPE_HEADER;
    if (f->bpp == 1) {
        // Renderers take 4-bit levels: set bits become level 15.
        const int32_t width = shapewidth(f->image), height = shapeheight(f->image);
        const int32_t rowbytes = (width + 1) / 2;
        if (!f->expanded && width > 0 && height > 0) {
            f->expanded = static_cast<uint8_t*>(r.allocate(static_cast<uint32_t>(rowbytes * height)));
            if (!f->expanded) return;
            std::memset(f->expanded, 0, static_cast<size_t>(rowbytes * height));
            for (int32_t y = 0; y < height; ++y)
                for (int32_t x = 0; x < width; ++x)
                    if (pixels[y * f->imagerowbytes + x / 8] & (0x80 >> (x & 7)))
                        f->expanded[y * rowbytes + x / 2] |= static_cast<uint8_t>(x & 1 ? 0x0F : 0xF0);
        }
        pixels = f->expanded;
    }
    r.upload(f->texture, pixels, f->ramp);
    f->dirty = 0;
}

void setcolour(FontObject* f, uint32_t& field, uint32_t value)
{
    if (field != static_cast<uint32_t>(value)) f->dirty = 1;
    field = value;
}

} // namespace

int32_t fontimagebpp(uint8_t type)
{
    switch (type) {
    case 0x01:
    case 0x44:
    case 0x56:
    case 0x60:
    case 0x79: return 1;
    default: return 4;
    }
}

void FONT_buildramp(FontObject* f)
{
    uint32_t flags = u32(f->file + 12);
    uint32_t* e = f->ramp;
    const uint32_t fg = f->foreground, ol = f->outline;
    if (flags & 2) {
        uint32_t b = f->background >> 24 ? f->background : 0;
        const uint32_t outlined[16] = {b,
                                       ol,
                                       mix(ol, 3, b, 1),
                                       mix(ol, 2, b, 2),
                                       mix(ol, 1, b, 3),
                                       mix(b, 4, fg, 1),
                                       mix(b, 3, fg, 2),
                                       mix(b, 2, fg, 3),
                                       mix(b, 1, fg, 4),
                                       fg,
                                       mix(fg, 4, ol, 1),
                                       mix(fg, 3, ol, 2),
                                       mix(fg, 2, ol, 3),
                                       mix(fg, 1, ol, 4),
                                       0,
                                       0};
        std::memcpy(e, outlined, sizeof outlined);
    } else if (flags & 4) {
        uint32_t b = f->background >> 24 ? f->background : f->second & 0xFFFFFF;
        for (uint32_t i = 0; i < 8; ++i) e[i] = mix(b, 8 - i, f->second, i);
        for (uint32_t i = 0; i < 8; ++i) e[8 + i] = mix(f->second, 7 - i, fg, i);
    } else {
        uint32_t b = f->background >> 24 ? f->background : fg & 0xFFFFFF;
        for (uint32_t i = 0; i < 16; ++i) e[i] = mix(fg, i, b, 15 - i);
    }
}

FontObject* setfont(const void* file)
{
    const FontRenderer& r = fontrenderer();
    auto* f = static_cast<FontObject*>(r.allocate(sizeof(FontObject)));
    if (!f) return nullptr;
    const auto* p = static_cast<const uint8_t*>(file);
    if (!p || (getbigendian(p, 4) >> 8) != 0x464E54) {
        char found[5] = {};
        if (p) std::memcpy(found, p, 4);
        LIBFAIL(SITE, "setfont - UNRECOGNIZED FONT SIGNATURE.\nFOUND %4.4s. SIGNATURE SHOULD BE FNTx\n", found);
        r.free(f);
        return nullptr;
    }
    std::memset(f, 0, sizeof *f);
    f->version = 100;
    f->xoffset = static_cast<int8_t>(p[16]);
    f->yoffset = static_cast<int8_t>(p[17]);
    const int32_t ascent = static_cast<int8_t>(p[18]), descent = static_cast<int8_t>(p[19]);
    f->baseline = ascent;
    f->rest = descent;
    f->spacing = f->spacing2 = ascent + descent;
    f->file = p;
    f->glyphcount = u16(p + 10);
    f->glyphs = p + u32(p + 20);
    f->image = p + u32(p + 28);
    f->bpp = fontimagebpp(shapetype(f->image));
    f->imagerowbytes = (shapewidth(f->image) * f->bpp + 7) / 8;
    const uint32_t flags = u32(p + 12);
    const bool wide = ((flags >> 16) & 3) == 2 || f->glyphcount >= 256 || u16(p + 32) >= 256;
    f->reader = wide ? readchar16 : readchar8;
    FONT_setattr(f, 0, 0);
    f->vertexcolours[0] = f->vertexcolours[1] = f->vertexcolours[2] = f->vertexcolours[3] = 0xFFFFFFFF;
    f->foreground = 0xFFFFFFFF;
    f->background = 0x00FFFFFF;
    f->outline = f->second = 0xFF000000;
    buildtexture(f);
    for (uint32_t code = 'A'; code <= 'E'; ++code)
        if (const uint8_t* record = FONTdraw(f, code)) {
            Glyph g = readglyph(record);
            f->baseline = g.height + g.yoffset;
            f->rest = ascent - f->baseline;
            break;
        }
    return f;
}

void FONT_free(FontObject* f)
{
    if (!f) return;
    const FontRenderer& r = fontrenderer();
    if (f->texture) r.release(f->texture);
    if (f->kerning) r.free(f->kerning);
    if (f->tabs) r.free(f->tabs);
    if (f->expanded) r.free(f->expanded);
    r.free(f);
}

const uint8_t* FONTdraw(const FontObject* f, uint32_t code)
{
    if (!f || f->version < 100) {
        LIBFAIL(SITE, "FONTdraw - font version incorrect\n");
        return nullptr;
    }
    return findglyph(f->glyphs, f->glyphcount, code);
}

void FONT_setattr(FontObject* f, int32_t index, int32_t value)
{
    if (!f) return;
    const float scaled = static_cast<float>(value) / 65536.0f;
    switch (index) {
    case 0:
        f->slant = 0;
        f->xscale = f->yscale = 1.0f;
        break;
    case 1: f->slant = scaled; break;
    case 2: f->xscale = scaled; break;
    case 3: f->yscale = scaled; break;
    case 4: f->spacing = f->yscale != 0 ? roundtoint(scaled / f->yscale) : 0; break;
    case 5:
    case 6:
    case 7: {
        uint32_t bit = 1u << (index - 5);
        f->switches = value == 1 ? f->switches | bit : f->switches & ~bit;
        break;
    }
    case 8: setcolour(f, f->foreground, static_cast<uint32_t>(value)); break;
    case 9: setcolour(f, f->background, static_cast<uint32_t>(value)); break;
    case 10: setcolour(f, f->outline, static_cast<uint32_t>(value)); break;
    case 11: setcolour(f, f->second, static_cast<uint32_t>(value)); break;
    case 12:
        for (uint32_t& c : f->vertexcolours) c = static_cast<uint32_t>(value);
        break;
    case 13:
    case 14:
    case 15:
    case 16: f->vertexcolours[index - 13] = static_cast<uint32_t>(value); break;
    default: break;
    }
}

int32_t FONT_getattr(const FontObject* f, int32_t index)
{
    if (!f) return 0;
    switch (index) {
    case 1: return roundtoint(f->slant * 65536.0f);
    case 2: return roundtoint(f->xscale * 65536.0f);
    case 3: return roundtoint(f->yscale * 65536.0f);
    case 4: return roundtoint(static_cast<float>(f->spacing) * f->yscale * 65536.0f);
    case 5:
    case 6:
    case 7: return (f->switches >> (index - 5)) & 1;
    case 8: return static_cast<int32_t>(f->foreground);
    case 9: return static_cast<int32_t>(f->background);
    case 10: return static_cast<int32_t>(f->outline);
    case 11: return static_cast<int32_t>(f->second);
    case 12:
    case 13: return static_cast<int32_t>(f->vertexcolours[0]);
    case 14:
    case 15:
    case 16: return static_cast<int32_t>(f->vertexcolours[index - 13]);
    default: return 0;
    }
}

void FONT_settabs(FontObject* f, int32_t count, const float* stops)
{
    if (!f) return;
    const FontRenderer& r = fontrenderer();
    if (f->tabs) r.free(f->tabs);
    f->tabs = nullptr;
    f->tabcount = 0;
    if (count <= 0 || !stops) return;
    f->tabs = static_cast<float*>(r.allocate(static_cast<uint32_t>(count) * sizeof(float)));
    if (!f->tabs) return;
    std::memcpy(f->tabs, stops, static_cast<size_t>(count) * sizeof(float));
    f->tabcount = count;
}

int32_t FONT_gettabs(const FontObject* f, int32_t count, float* stops)
{
    if (!f) return 0;
    if (stops)
        for (int32_t i = 0; i < count && i < f->tabcount; ++i) stops[i] = f->tabs[i];
    return f->tabcount;
}

void FONT_setkerning(FontObject* f, const KernPair* pairs, int32_t count)
{
    if (!f) return;
    const FontRenderer& r = fontrenderer();
    if (f->kerning) r.free(f->kerning);
    f->kerning = nullptr;
    f->kerncount = 0;
    if (count > 0 && pairs) {
        f->kerning = static_cast<KernPair*>(r.allocate(static_cast<uint32_t>(count) * sizeof(KernPair)));
        if (!f->kerning) return;
        std::memcpy(f->kerning, pairs, static_cast<size_t>(count) * sizeof(KernPair));
        if (!std::is_sorted(f->kerning, f->kerning + count, pairless))
            std::stable_sort(f->kerning, f->kerning + count, pairless);
        f->kerncount = count;
    }
    f->switches |= FONT_KERNING;
}

int32_t FONT_getkerning(const FontObject* f, KernPair* pairs, int32_t count)
{
    if (!f) return 0;
    if (pairs)
        for (int32_t i = 0; i < count && i < f->kerncount; ++i) pairs[i] = f->kerning[i];
    return f->kerncount;
}

void fontbuildtexture(FontObject* f) { buildtexture(f); }
