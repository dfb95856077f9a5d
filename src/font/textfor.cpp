// Text output with the current font: the text state, glyph lookup, the
// character readers, drawing at the pen and measuring.
#include "font/text.h"

#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "font/fontobj.h"
#include "win/colour.h"
#include "win/palette.h"
#include "win/pixels.h"
#include "win/shapes.h"
#include "win/wind.h"

#include <cstring>

TextState libtext{};

namespace {

constexpr const char* SITE = "font\\textfor";

const uint16_t g_fullwidth[96] = {
    0x8140, 0x8149, 0x8167, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166, 0x8169, 0x816A, 0x8196, 0x817B, 0x8143, 0x817C,
    0x8144, 0x815E, 0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256, 0x8257, 0x8258, 0x8146, 0x8147,
    0x8183, 0x8181, 0x8184, 0x8148, 0x8197, 0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266, 0x8267, 0x8268,
    0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E, 0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276,
    0x8277, 0x8278, 0x8279, 0x816D, 0x815F, 0x816E, 0x81AA, 0x8151, 0x8165, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285,
    0x8286, 0x8287, 0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F, 0x8290, 0x8291, 0x8292, 0x8293,
    0x8294, 0x8295, 0x8296, 0x8297, 0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160, 0x81A6};

bool text_ready = false;

uint32_t u32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

int32_t kernadjust(uint32_t previous, uint32_t code)
{
    for (int32_t i = 0; i < libtext.kerncount; ++i)
        if (libtext.kerning[i].previous == previous && libtext.kerning[i].code == code) return libtext.kerning[i].adjust;
    return 0;
}

int32_t spaceadvance()
{
    const uint8_t* space = fortextsetup(32);
    return space ? readglyph(space).advance : 0;
}

} // namespace

Glyph readglyph(const uint8_t* r)
{
    return Glyph{u16(r),
                 r[2],
                 r[3],
                 u16(r + 4),
                 u16(r + 6),
                 static_cast<int8_t>(r[8]),
                 static_cast<int8_t>(r[9]),
                 static_cast<int8_t>(r[10])};
}

const uint8_t* findglyph(const uint8_t* table, int32_t count, uint32_t code)
{
    if (!table || count <= 0) return nullptr;
    if (code >= 32 && code - 32 < static_cast<uint32_t>(count)) {
        const uint8_t* probe = table + (code - 32) * GLYPH_RECORD;
        if (u16(probe) == code) return probe;
    }
    const uint8_t* base = table;
    uint32_t n = static_cast<uint32_t>(count);
    while (n > 0) {
        const uint8_t* middle = base + (n / 2) * GLYPH_RECORD;
        uint32_t found = u16(middle);
        if (found == code) return middle;
        if (code > found) {
            base = middle + GLYPH_RECORD;
            n -= 1;
        }
        n /= 2;
    }
    return nullptr;
}

const uint8_t* fortextsetup(uint32_t code)
{
    if (libtext.version < 100) {
        LIBFAIL(SITE, "fortext - font not set or font version incorrect\n");
        return nullptr;
    }
    return findglyph(libtext.glyphs, libtext.glyphcount, code);
}

uint32_t readchar8(const uint8_t** text) { return *(*text)++; }

uint32_t readchar16(const uint8_t** text)
{
    uint32_t c = *(*text)++;
    if (c & 0x80) {
        uint32_t second = **text;
        if (second) ++*text; // a lead byte at the end reads as itself
        return second ? c << 8 | second : c;
    }
    if (c >= 32 && c <= 127) return g_fullwidth[c - 32];
    return c;
}

uint16_t fullwidthcode(uint8_t c) { return c >= 32 && c <= 127 ? g_fullwidth[c - 32] : c; }

void savetextstate(TextState* saved)
{
    if (saved) *saved = libtext;
}

void restoretextstate(const TextState* saved)
{
    if (!saved) return;
    libtext = *saved;
    fontdrawglyphs();
}

void settextfont(const void* font)
{
    const auto* p = static_cast<const uint8_t*>(font);
    if (!p || (getbigendian(p, 4) >> 8) != 0x464E54) {
        char found[5] = {};
        if (p) std::memcpy(found, p, 4);
        LIBFAIL(SITE, "setfont - UNRECOGNIZED FONT SIGNATURE.\nFOUND %4.4s. SIGNATURE SHOULD BE FNTx\n", found);
        return;
    }
    TextState& t = libtext;
    t.font = p;
    t.glyphcount = u16(p + 10);
    uint32_t flags = u32(p + 12);
    t.fontx = static_cast<int8_t>(p[16]);
    t.fonty = static_cast<int8_t>(p[17]);
    t.ascent = static_cast<int8_t>(p[18]);
    t.descent = static_cast<int8_t>(p[19]);
    t.lineheight = t.boxsize = t.ascent + t.descent;
    t.glyphs = p + u32(p + 20);
    t.image = p + u32(p + 28);
    t.bpp = fontimagebpp(shapetype(t.image));
    t.imagerowbytes = (shapewidth(t.image) * t.bpp + 7) / 8;
    t.version = 100;
    uint32_t bound = u16(p + 32);
    bool wide = ((flags >> 16) & 3) == 2 || t.glyphcount >= 256 || bound >= 256;
    t.reader = wide ? readchar16 : readchar8;
    fontdrawinit();
}

void textcolour(uint32_t foreground, uint32_t background)
{
    if (currentwindow.bpp == 8 && foreground > 255) {
        LIBFAIL(SITE, "textcolour - INVALID COLOUR INDEX.\nCURRENT WINDOW BPP %d. REQUESTED TEXTCOLOUR(0x%x,0x%x).\n",
                currentwindow.bpp, foreground, background);
        return;
    }
    if (libtext.coloursset && foreground == libtext.foreground && background == libtext.background) return;
    libtext.foreground = foreground;
    libtext.background = background;
    libtext.coloursset = true;
    fontdrawglyphs();
}

int checkfont(const void* font, uint32_t size)
{
    const auto* p = static_cast<const uint8_t*>(font);
    if (!p || size < FONT_HEADER || (getbigendian(p, 4) >> 8) != 0x464E54) return 0;
    uint64_t count = u16(p + 10), table = u32(p + 20), image = u32(p + 28);
    if (table + count * GLYPH_RECORD > size || table < FONT_HEADER || image + SHAPE_HEADER > size) return 0;
    // The code bound is read at offset 32.
    if (size < FONT_HEADER + 2) return 0;
    const uint8_t* shape = p + image;
    int32_t bpp = fontimagebpp(shapetype(shape));
    int64_t width = shapewidth(shape), height = shapeheight(shape);
    if (width < 0 || height < 0 || (shapetype(shape) & 0x80)) return 0;
    int64_t rowbytes = (width * bpp + 7) / 8;
    if (image + SHAPE_HEADER + static_cast<uint64_t>(rowbytes * height) > size) return 0;
    for (uint64_t i = 0; i < count; ++i) {
        Glyph g = readglyph(p + table + i * GLYPH_RECORD);
        if (g.imagex + g.width > width || g.imagey + g.height > height) return 0;
    }
    return 1;
}

void settexthooks(void (*before)(), void (*after)())
{
    libtext.before = before;
    libtext.after = after;
}

void settextkerning(const KernPair* pairs, int32_t count)
{
    libtext.kerning = count > 0 ? pairs : nullptr;
    libtext.kerncount = pairs && count > 0 ? count : 0;
}

void settexttabs(const int32_t* stops, int32_t count)
{
    libtext.tabs = count > 0 ? stops : nullptr;
    libtext.tabcount = stops && count > 0 ? count : 0;
}

void settextmissingbox(int on) { libtext.missingboxes = on != 0; }

void settextusercolours(const uint32_t* colours, int on)
{
    if (colours) std::memcpy(libtext.usercolours, colours, sizeof libtext.usercolours);
    libtext.useron = on != 0;
    fontdrawglyphs();
}

void settextoffsetfunc(GlyphOffsetFn fn) { libtext.offset = fn; }

void settextpen(int32_t x, int32_t y)
{
    libtext.penx = x;
    libtext.peny = y;
}

int32_t textlineheight() { return libtext.lineheight; }

void settextantialias(int on)
{
    libtext.antialias = on != 0;
    fontdrawinit();
}

int textantialias() { return libtext.antialias; }

void fortext(const char* text)
{
    TextState& t = libtext;
    int32_t x = t.penx + t.fontx, y = t.peny + t.fonty;
    const int32_t startx = t.penx;
    if (!text) {
        LIBFAIL(SITE, "fortext - STRING IS NULL\n");
        return;
    }
    if (t.version < 100 || !t.reader) {
        LIBFAIL(SITE, "fortext - font not set or font version incorrect\n");
        return;
    }
    const int32_t space = spaceadvance();
    if (t.before) t.before();
    const auto* start = reinterpret_cast<const uint8_t*>(text);
    const uint8_t* at = start;
    uint32_t previous = 0;
    for (int32_t index = 0;; ++index) {
        uint32_t code = t.reader(&at);
        if (code == 0) break;
        if (code == 10) {
            x = startx;
            y += t.lineheight;
        } else if (code == 9 && t.tabcount) {
            for (int32_t i = 0; i < t.tabcount; ++i)
                if (t.tabs[i] > x) {
                    x = t.tabs[i];
                    break;
                }
        } else if (code <= 32) {
            x += space;
        } else if (const uint8_t* record = fortextsetup(code)) {
            Glyph g = readglyph(record);
            if (t.kerncount) x += kernadjust(previous, code);
            int32_t dx = 0, dy = 0;
            if (t.offset) t.offset(&dx, &dy, start, index);
            if (t.draw)
                t.draw(x + g.xoffset + dx, y + g.yoffset + dy, t.image, g.imagex, g.imagey, g.width, g.height,
                       t.imagerowbytes);
            x += g.advance;
        } else if (t.missingboxes) {
            int32_t s = t.boxsize / 2;
            fillrect(x, y, s / 2 - 2, s, colourtopixel(0xFFAA0000));
            x += s / 2;
        }
        previous = code;
    }
    if (t.after) t.after();
    t.penx = x - t.fontx;
    t.peny = y - t.fonty;
}

void fortextat(const char* text, int32_t x, int32_t y)
{
    settextpen(x, y);
    fortext(text);
}

int32_t textnpixels(const char* text, int32_t max)
{
    if (!text) {
        LIBFAIL(SITE, "textnpixels - STRING IS NULL\n");
        return 0;
    }
    if (!libtext.reader) return 0;
    const auto* at = reinterpret_cast<const uint8_t*>(text);
    int32_t width = 0;
    uint32_t previous = 0;
    for (int32_t n = 0; n < max; ++n) {
        uint32_t code = libtext.reader(&at);
        if (code == 0) break;
        if (const uint8_t* record = fortextsetup(code)) {
            width += readglyph(record).advance;
            if (libtext.kerncount) width += kernadjust(previous, code);
        }
        previous = code;
    }
    return width;
}

int32_t textwidth(const char* text) { return textnpixels(text, 256); }

namespace {

struct Bounds {
    int32_t minx, miny, maxx, maxy;
} g_bounds;

void widenbounds(int32_t x, int32_t y, const uint8_t*, int32_t, int32_t, int32_t width, int32_t height, int32_t)
{
    if (x < g_bounds.minx) g_bounds.minx = x;
    if (y < g_bounds.miny) g_bounds.miny = y;
    if (x + width > g_bounds.maxx) g_bounds.maxx = x + width;
    if (y + height > g_bounds.maxy) g_bounds.maxy = y + height;
}

} // namespace

void textextent(const char* text, int32_t max, int32_t* x, int32_t* y, int32_t* w, int32_t* h)
{
    TextState& t = libtext;
    const int32_t penx = t.penx, peny = t.peny;
    GlyphDrawFn draw = t.draw;
    void (*before)() = t.before;
    void (*after)() = t.after;
    t.penx = t.peny = 0;
    g_bounds = Bounds{0, 0, 0, 0};
    char copy[257] = {};
    if (text) {
        if (max > 256) max = 256;
        for (int32_t i = 0; i < max && text[i]; ++i) copy[i] = text[i];
    }
    t.draw = widenbounds;
    t.before = t.after = nullptr;
    if (copy[0]) fortext(copy);
    const int32_t endx = t.penx;
    if (x) *x = g_bounds.minx;
    if (y) *y = g_bounds.miny;
    if (w) *w = g_bounds.maxx - g_bounds.minx > endx ? g_bounds.maxx - g_bounds.minx : endx;
    if (h) *h = g_bounds.maxy - g_bounds.miny;
    t.penx = penx;
    t.peny = peny;
    t.draw = draw;
    t.before = before;
    t.after = after;
}

void textextent256(const char* text, int32_t* x, int32_t* y, int32_t* w, int32_t* h)
{
    textextent(text, 256, x, y, w, h);
}

void inittext()
{
    if (text_ready) return;
    text_ready = true;
    libtext = TextState{};
    libatexit(freetext);
}

void freetext()
{
    fontdrawfree();
    freetextfont();
    libtext = TextState{};
    text_ready = false;
}

void inittextfont()
{
    if (libtext.fontstate) return;
    FONT_cacheinit(0);
    libtext.fontstate = setfont(builtinfont());
}

void freetextfont()
{
    if (!libtext.fontstate) return;
    FONT_free(static_cast<FontObject*>(libtext.fontstate));
    FONT_cachefree();
    libtext.fontstate = nullptr;
}
