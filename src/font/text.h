// The library's text: bitmap fonts in its own "FNT" file format (a header, a
// table of 11-byte glyph records sorted by code, and one 1-bit or 4-bit image
// shape holding every glyph), drawn into the current window at a pen,
// measured, centred and drawn over a background box.
#pragma once

#include <cstdint>

struct WIND;

// Font file fields.
constexpr uint32_t FONT_HEADER = 32;
constexpr uint32_t GLYPH_RECORD = 11;

// A glyph record read from the table.
struct Glyph {
    uint32_t code;
    int32_t width, height;
    int32_t imagex, imagey;
    int32_t advance, xoffset, yoffset;
};
// The record at a table address (11 bytes, little-endian).
Glyph readglyph(const uint8_t* record);

// Kerning pair: previous code, code, the adjustment added to the pen first.
struct KernPair {
    uint16_t previous, code;
    int8_t adjust;
    uint8_t spare[3];
};
static_assert(sizeof(KernPair) == 8);

// (x, y, image shape, glyph x and y in the image, width, height, image bytes a row).
using GlyphDrawFn = void (*)(int32_t x, int32_t y, const uint8_t* image, int32_t gx, int32_t gy, int32_t width,
                             int32_t height, int32_t rowbytes);
// Takes the address of a string pointer, returns the next code and moves on.
using CharReader = uint32_t (*)(const uint8_t** text);
// (address of dx, address of dy, the string's start, the character's index).
using GlyphOffsetFn = void (*)(int32_t* dx, int32_t* dy, const uint8_t* start, int32_t index);

// The fontdraw work block: 16 level colours, then the 8-bit blend table.
constexpr uint32_t FONTDRAW_BYTES = 4160;

struct TextState {
    int32_t penx, peny;
    int32_t fontx, fonty;
    int32_t bpp; // of the font's image
    int32_t antialias;
    int32_t ascent, descent;
    int32_t lineheight, boxsize;
    uint32_t foreground, background; // pixel values of the current window
    uint32_t usercolours[16];
    int32_t useron;
    int32_t glyphcount;
    int32_t imagerowbytes;
    int32_t version;
    const uint8_t* font;
    const uint8_t* glyphs;
    const uint8_t* image;
    uint8_t* work;
    uint32_t worksize;
    GlyphDrawFn draw;
    void (*before)();
    void (*after)();
    CharReader reader;
    GlyphOffsetFn offset;
    int32_t kerncount;
    const KernPair* kerning;
    int32_t tabcount;
    const int32_t* tabs;
    int32_t missingboxes;
    bool coloursset;
    void* fontstate; // the built-in font as a font object
};
extern TextState libtext;

void savetextstate(TextState* saved);
// Puts the state back and rebuilds its colour tables.
void restoretextstate(const TextState* saved);

// Setting the font and colours.
void settextfont(const void* font);
void textcolour(uint32_t foreground, uint32_t background);
// The built-in 8 x 8 font, codes 32 to 142.
const uint8_t* builtinfont();
void inittext();
void freetext();
void inittextfont();
void freetextfont();
// A font read from a file: 1 when its glyph table and image shape lie within
// its size and every glyph's rectangle within the image; else 0.
int checkfont(const void* font, uint32_t size);

// The text state's other setters.
void settexthooks(void (*before)(), void (*after)());
void settextkerning(const KernPair* pairs, int32_t count);
void settexttabs(const int32_t* stops, int32_t count);
void settextmissingbox(int on);
void settextusercolours(const uint32_t* colours, int on);
void settextoffsetfunc(GlyphOffsetFn fn);

// Character readers.
uint32_t readchar8(const uint8_t** text);
uint32_t readchar16(const uint8_t** text);
// The full-width code of a byte 32..127 in double-byte text.
uint16_t fullwidthcode(uint8_t c);

// Glyph lookup in a sorted table: the record's address, or 0.
const uint8_t* findglyph(const uint8_t* table, int32_t count, uint32_t code);
const uint8_t* fortextsetup(uint32_t code);

void fortext(const char* text);
void fortextat(const char* text, int32_t x, int32_t y);
void settextpen(int32_t x, int32_t y);
int32_t textlineheight();
void settextantialias(int on);
int textantialias();
int32_t textnpixels(const char* text, int32_t max);
int32_t textwidth(const char* text);
void textextent(const char* text, int32_t max, int32_t* x, int32_t* y, int32_t* w, int32_t* h);
void textextent256(const char* text, int32_t* x, int32_t* y, int32_t* w, int32_t* h);
void textcentre(int32_t y, const char* format, ...) __attribute__((format(printf, 2, 3)));
void textcentrestring(const char* text, int32_t y);
void textcentrestr(const char* text, int32_t y);
void fortextboxed(const char* text);
void fortextboxedat(const char* text, int32_t x, int32_t y);

// Clip rectangles and plain shapes.
void clearclip(uint32_t colour);
void setclipwindow(int32_t left, int32_t top, int32_t right, int32_t bottom);
void resetclip();
void setwindowclip(WIND* window, int32_t left, int32_t top, int32_t right, int32_t bottom);
void resetwindowclip(WIND* window);
void drawbox(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);

// The glyph drawers and their work block.
void fontdrawinit();
void fontdrawglyphs();
void fontdrawfree();
void fortext1(int32_t x, int32_t y, const uint8_t* image, int32_t gx, int32_t gy, int32_t width, int32_t height,
              int32_t rowbytes);
void fortext4blend(int32_t x, int32_t y, const uint8_t* image, int32_t gx, int32_t gy, int32_t width,
                   int32_t height, int32_t rowbytes);
void fortext4(int32_t x, int32_t y, const uint8_t* image, int32_t gx, int32_t gy, int32_t width, int32_t height,
              int32_t rowbytes);
// Fills a 16 x 256 table: entry level * 256 + b is the palette index showing
// the level's premultiplied colour over palette colour b.
void buildblendtable(const uint32_t levels[16], uint8_t* table);
