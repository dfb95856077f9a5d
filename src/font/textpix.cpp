// Glyph drawers: 1-bit glyphs in the text colour, 4-bit glyphs blended by
// level or written from the user colour table, and the work block holding the
// level colours and the 8-bit blend table.
#include "font/text.h"

#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "win/colour.h"
#include "win/palette.h"
#include "win/pixels.h"
#include "win/shapes.h"
#include "win/wind.h"

#include <cstring>

namespace {

constexpr const char* SITE = "font\\textpix";

uint32_t* levelcolours() { return reinterpret_cast<uint32_t*>(libtext.work); }
uint8_t* blendtable() { return libtext.work + 64; }

// A glyph rectangle cut to the clip rectangle: skipped columns and rows on the
// left and top, and the visible width and height.
struct Clipped {
    int32_t left, top, width, height;
};

bool clipglyph(int32_t x, int32_t y, int32_t width, int32_t height, Clipped& c)
{
    const WIND& w = currentwindow;
    int64_t l = x < w.minx ? int64_t{w.minx} - x : 0, t = y < w.miny ? int64_t{w.miny} - y : 0;
    int64_t r = int64_t{w.maxx} - x < width ? int64_t{w.maxx} - x : width;
    int64_t b = int64_t{w.maxy} - y < height ? int64_t{w.maxy} - y : height;
    if (r - l < 1 || b - t < 1) return false;
    c = Clipped{static_cast<int32_t>(l), static_cast<int32_t>(t), static_cast<int32_t>(r - l),
                static_cast<int32_t>(b - t)};
    return true;
}

bool wholly_inside(int32_t x, int32_t y, int32_t width, int32_t height)
{
    const WIND& w = currentwindow;
    return x >= w.minx && y >= w.miny && int64_t{x} + width <= w.maxx && int64_t{y} + height <= w.maxy;
}

uint32_t level(const uint8_t* row, int32_t column)
{
    uint8_t b = row[column / 2];
    return column & 1 ? b & 15 : b >> 4;
}

} // namespace

void fontdrawinit()
{
    TextState& t = libtext;
    if (!t.work) {
        t.work = static_cast<uint8_t*>(reservememadr("fontdraw", FONTDRAW_BYTES, 0));
        if (!t.work) return;
        std::memset(t.work, 0, FONTDRAW_BYTES);
        t.worksize = FONTDRAW_BYTES;
    }
    fontdrawglyphs();
    if (t.bpp == 1) t.draw = fortext1;
    else t.draw = t.antialias ? fortext4blend : fortext4;
    t.before = t.after = nullptr;
}

void buildblendtable(const uint32_t levels[16], uint8_t* table)
{
    for (int32_t l = 0; l < 16; ++l) {
        uint32_t k = levels[l], a = k >> 24;
        for (int32_t b = 0; b < 256; ++b) {
            if (a == 0) {
                table[l * 256 + b] = static_cast<uint8_t>(b);
                continue;
            }
            uint32_t p = libpalette[b], out = a << 24;
            for (int shift = 0; shift <= 16; shift += 8) {
                uint32_t c = ((k >> shift) & 0xFF) + ((p >> shift) & 0xFF) * (255 - a) / 255;
                out |= (c > 255 ? 255 : c) << shift;
            }
            table[l * 256 + b] = static_cast<uint8_t>(nearestcolour(out & 0xFFFFFF));
        }
    }
}

void fontdrawglyphs()
{
    TextState& t = libtext;
    if (!t.work) return;
    uint32_t* colours = levelcolours();
    if (t.useron) {
        std::memcpy(colours, t.usercolours, 64);
    } else if (t.antialias && t.bpp == 4) {
        uint32_t c = getargb(t.foreground);
        for (uint32_t i = 0; i < 16; ++i) {
            uint32_t red = ((c >> 16) & 0xFF) * i / 15, green = ((c >> 8) & 0xFF) * i / 15, blue = (c & 0xFF) * i / 15;
            colours[i] = (i * 255 / 15) << 24 | red << 16 | green << 8 | blue;
        }
    } else {
        return;
    }
    if (currentwindow.bpp <= 8) buildblendtable(colours, blendtable());
}

void fontdrawfree()
{
    if (libtext.work && memarenaready()) purgememadr(libtext.work);
    libtext.work = nullptr;
    libtext.worksize = 0;
}

void fortext1(int32_t x, int32_t y, const uint8_t* image, int32_t gx, int32_t gy, int32_t width, int32_t height,
              int32_t rowbytes)
{
    const WIND& w = currentwindow;
    int32_t bytes;
    switch (w.bpp) {
    case 8: bytes = 1; break;
    case 15:
    case 16: bytes = 2; break;
    case 24: bytes = 3; break;
    case 32: bytes = 4; break;
    default: LIBFAIL(SITE, "fortext1 - BLIT TO %d BPP NOT IMPLEMENTED.\n", w.bpp); return;
    }
    Clipped c;
    if (!w.base || !clipglyph(x, y, width, height, c)) return;
    const int32_t skip = c.left & ~7;
    const int32_t columns = c.left + c.width - skip; // from the first byte read
    const uint8_t* source = image + SHAPE_HEADER + int64_t{gy + c.top} * rowbytes + (gx + skip) / 8;
    const uint32_t colour = libtext.foreground;
    for (int32_t r = 0; r < c.height; ++r, source += rowbytes) {
        // Addressed from the first visible pixel: the first byte read may start left of the window.
        uint8_t* to = pixeladdress(x + c.left, y + c.top + r) - int64_t{c.left - skip} * bytes;
        for (int32_t byte = 0; byte * 8 < columns; ++byte) {
            uint32_t bits = source[byte];
            if (byte == 0) bits &= 255u >> (c.left & 7);
            int32_t left = columns - byte * 8;
            if (left < 8) bits &= (255u << (8 - left)) & 255u;
            for (int32_t b = 0; b < 8; ++b)
                if (bits & (0x80u >> b)) putlittleendian(to + int64_t{byte * 8 + b} * bytes, colour, bytes);
        }
    }
}

void fortext4blend(int32_t x, int32_t y, const uint8_t* image, int32_t gx, int32_t gy, int32_t width,
                   int32_t height, int32_t rowbytes)
{
    const WIND& w = currentwindow;
    if (!libtext.work) return;
    const uint8_t* source = image + SHAPE_HEADER + int64_t{gy} * rowbytes + gx / 2;
    const uint32_t* colours = levelcolours();
    const bool direct = !w.indirect && w.base && (w.bpp == 8 || w.bpp == 15 || w.bpp == 16) &&
                        wholly_inside(x, y, width, height);
    for (int32_t r = 0; r < height; ++r, source += rowbytes)
        for (int32_t col = 0; col < width; ++col) {
            uint32_t l = level(source, col);
            if (!direct) {
                if (l) plotpixel(x + col, y + r, colours[l]);
                continue;
            }
            uint8_t* p = pixeladdress(x + col, y + r);
            if (w.bpp == 8) *p = blendtable()[l * 256 + *p];
            else if (w.bpp == 16) putlittleendian(p, blend16(colours[l], static_cast<uint16_t>(getlittleendian(p, 2))), 2);
            else putlittleendian(p, blend15(colours[l], static_cast<uint16_t>(getlittleendian(p, 2))), 2);
        }
}

void fortext4(int32_t x, int32_t y, const uint8_t* image, int32_t gx, int32_t gy, int32_t width, int32_t height,
              int32_t rowbytes)
{
    const uint8_t* source = image + SHAPE_HEADER + int64_t{gy} * rowbytes + gx / 2;
    for (int32_t r = 0; r < height; ++r, source += rowbytes)
        for (int32_t col = 0; col < width; ++col)
            if (uint32_t l = level(source, col)) writepixel(x + col, y + r, libtext.usercolours[l]);
}
