// The library's own font renderer: textures are the font image's 4-bit
// levels with their ramp, drawn quad by quad into the current window. Scale,
// slant, depth and vertex colours are not used here.
#include "font/fontobj.h"

#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "win/colour.h"
#include "win/pixels.h"
#include "win/wind.h"

#include <cmath>
#include <cstring>

int32_t fontindirectslow = 1;

namespace {

constexpr const char* SITE = "font\\fontpc";

struct Texture {
    int32_t width, height;
    int32_t depth; // of the window at upload
    const uint8_t* pixels;
    uint32_t premultiplied[16];
    uint32_t a565[16];
    uint8_t* blend; // 4,096 bytes, for windows of 8 bits or fewer
};

Texture* g_selected = nullptr;

void* allocate(uint32_t bytes)
{
    return reservememadr("MESHFONT", static_cast<int32_t>(bytes ? bytes : 1), static_cast<uint32_t>(libsettings.defaultmemflags));
}

void release(void* memory)
{
    if (memory && memarenaready()) purgememadr(memory);
}

void* create(int32_t width, int32_t height)
{
    auto* t = static_cast<Texture*>(allocate(sizeof(Texture)));
    if (!t) return nullptr;
    std::memset(t, 0, sizeof *t);
    t->width = width;
    t->height = height;
    return t;
}

int upload(void* texture, const uint8_t* pixels, const uint32_t* ramp)
{
    auto* t = static_cast<Texture*>(texture);
    if (!t || !ramp) return 0;
    t->pixels = pixels;
    t->depth = currentwindow.bpp;
    for (int i = 0; i < 16; ++i) {
        const uint32_t c = ramp[i], a = c >> 24;
        uint32_t p = a << 24;
        for (int shift = 0; shift <= 16; shift += 8) p |= ((((c >> shift) & 0xFF) * a + 128) / 255) << shift;
        t->premultiplied[i] = p;
        // The 16-bit blend scales its colour by alpha itself, so it takes the
        // colour as it was; premultiplied, the text would darken twice.
        const uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        t->a565[i] = a << 24 | ((r * 31 + 128) / 255) << 11 | ((g * 63 + 128) / 255) << 5 | ((b * 31 + 128) / 255);
    }
    if (t->depth <= 8) {
        if (!t->blend) t->blend = static_cast<uint8_t*>(allocate(4096));
        if (t->blend) buildblendtable(t->premultiplied, t->blend);
    }
    return 1;
}

void destroy(void* texture)
{
    auto* t = static_cast<Texture*>(texture);
    if (!t) return;
    if (g_selected == t) g_selected = nullptr;
    release(t->blend);
    release(t);
}

int select(void* texture)
{
    g_selected = static_cast<Texture*>(texture);
    return 1;
}

int draw(int32_t quads, const FontVertex* vertices, const uint32_t*)
{
    const WIND& w = currentwindow;
    Texture* t = g_selected;
    if (!t || !t->pixels) return 0;
    if (w.bpp <= 8 && (t->depth != w.bpp || !t->blend)) {
        LIBFAIL(SITE, "FONT_drawtext - 8bit draws not initialized, Must call FONT_tupdate while 8bit window is active");
        return 0;
    }
    // A texture row is (width + 1) / 2 bytes: an odd width keeps its last pixel.
    const int32_t rowbytes = (t->width + 1) / 2;
    for (int32_t q = 0; q < quads; ++q) {
        const FontVertex* v = vertices + 4 * q;
        const int32_t x = static_cast<int32_t>(std::lrint(v[0].x)), y = static_cast<int32_t>(std::lrint(v[0].y));
        int32_t u = static_cast<int32_t>(std::lrint(v[0].u)), tv = static_cast<int32_t>(std::lrint(v[0].v));
        int32_t width = static_cast<int32_t>(std::lrint(v[1].u - static_cast<float>(u)));
        int32_t height = static_cast<int32_t>(std::lrint(v[2].v - static_cast<float>(tv)));
        // Only texels of the texture are read.
        if (u < 0 || tv < 0 || u >= t->width || tv >= t->height) continue;
        if (width > t->width - u) width = t->width - u;
        if (height > t->height - tv) height = t->height - tv;
        if (width < 1 || height < 1) continue;
        const bool inside = x >= w.minx && y >= w.miny && int64_t{x} + width <= w.maxx && int64_t{y} + height <= w.maxy;
        const bool direct = inside && w.base && !(w.indirect && fontindirectslow) &&
                            (w.bpp == 8 || w.bpp == 15 || w.bpp == 16);
        for (int32_t r = 0; r < height; ++r) {
            const uint8_t* row = t->pixels + int64_t{tv + r} * rowbytes;
            for (int32_t c = 0; c < width; ++c) {
                const int32_t column = u + c;
                const uint32_t level = column & 1 ? row[column / 2] & 15 : row[column / 2] >> 4;
                if (!direct) {
                    if (level) plotpixel(x + c, y + r, t->premultiplied[level]);
                    continue;
                }
                uint8_t* p = pixeladdress(x + c, y + r);
                if (w.bpp == 8) {
                    *p = t->blend[level * 256 + *p];
                } else {
                    const auto old = static_cast<uint16_t>(getlittleendian(p, 2));
                    putlittleendian(p, w.bpp == 16 ? blend16a(t->a565[level], old) : blend15(t->premultiplied[level], old), 2);
                }
            }
        }
    }
    return 1;
}

const FontRenderer g_default = {create, upload, destroy, select, draw, allocate, release};
const FontRenderer* g_renderer = &g_default;

} // namespace

void setfontrenderer(const FontRenderer* renderer) { g_renderer = renderer ? renderer : &g_default; }
const FontRenderer& fontrenderer() { return *g_renderer; }
