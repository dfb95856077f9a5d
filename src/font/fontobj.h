// Font objects and text meshes: a string laid out as one textured quad a
// glyph (with scale, slant, kerning, tab stops, vertex colours, a 16-colour
// ramp and optional clipping), handed to a table of renderer callbacks. The
// library's own callbacks draw the quads into its current window.
#pragma once

#include "font/text.h"

#include <cstdint>

// A transformed-and-lit vertex; a glyph quad is four of them: top-left,
// top-right, bottom-right, bottom-left. u and v are texels, not normalised.
struct FontVertex {
    float x, y, z, rhw;
    uint32_t colour, specular;
    float u, v;
};
static_assert(sizeof(FontVertex) == 32);

struct FontRenderer {
    void* (*create)(int32_t width, int32_t height);                        // a texture, or 0
    int (*upload)(void* texture, const uint8_t* pixels, const uint32_t* ramp); // the 16-entry ramp
    void (*release)(void* texture);
    int (*select)(void* texture);
    int (*draw)(int32_t quads, const FontVertex* vertices, const uint32_t* indices);
    void* (*allocate)(uint32_t bytes);
    void (*free)(void* memory);
};
// Installs a table of callbacks; 0 puts the library's own back.
void setfontrenderer(const FontRenderer* renderer);
const FontRenderer& fontrenderer();

enum : uint32_t { FONT_MISSINGBOXES = 1, FONT_CLIPPING = 2, FONT_KERNING = 4 };

struct FontObject {
    uint32_t unused;
    int32_t xoffset, yoffset;
    int32_t bpp;
    int32_t baseline, rest;
    int32_t spacing, spacing2;
    int32_t glyphcount, imagerowbytes, version;
    const uint8_t* file;
    const uint8_t* glyphs;
    const uint8_t* image;
    CharReader reader;
    int32_t kerncount;
    KernPair* kerning; // the object's own sorted copy
    int32_t tabcount;
    float* tabs;       // the object's own copy
    void* texture;
    uint32_t vertexcolours[4]; // top-left, top-right, bottom-right, bottom-left
    uint32_t foreground, background, outline, second;
    uint32_t ramp[16];
    int32_t dirty;
    float slant, xscale, yscale;
    uint32_t switches;
    float clipleft, clipright, cliptop, clipbottom;
    uint8_t* expanded; // a 1-bit image as 4-bit levels, for the renderer
};

struct FontMesh {
    FontObject* font;
    int32_t count;
    FontVertex* vertices;
    float x, y, z;
    float endx;
};

// The image bits of a font file's image shape type: 1 or 4.
int32_t fontimagebpp(uint8_t type);

FontObject* setfont(const void* file);
void FONT_free(FontObject* font);
void FONT_setattr(FontObject* font, int32_t index, int32_t value);
int32_t FONT_getattr(const FontObject* font, int32_t index);
void FONT_settabs(FontObject* font, int32_t count, const float* stops);
// Copies at most count stops out; returns how many the font has.
int32_t FONT_gettabs(const FontObject* font, int32_t count, float* stops);
void FONT_setkerning(FontObject* font, const KernPair* pairs, int32_t count);
int32_t FONT_getkerning(const FontObject* font, KernPair* pairs, int32_t count);
const uint8_t* FONTdraw(const FontObject* font, uint32_t code);
int FONTdrawtext(FontObject* font, float x, float y, float z, const char* text);
int FONT_drawtextf(FontObject* font, float x, float y, float z, const char* format, ...)
    __attribute__((format(printf, 5, 6)));
FontMesh* FONTallocmesh(FontObject* font, float x, float y, float z, const char* text);
void FONT_movemesh(FontMesh* mesh, float x, float y, float z);
int FONT_drawmesh(FontMesh* mesh);
void FONT_freemesh(FontMesh* mesh);
void FONTtextbounds(FontObject* font, const char* text, float* x, float* y, float* w, float* h);
void FONT_beginblock();
void FONT_endblock();
void FONT_cacheinit(int32_t n);
void FONT_cacheresize(int32_t n);
void FONT_cachefree();
// The index table (tests).
int32_t FONT_cachesize();
const uint32_t* FONT_cachetable();
// Builds the 16-colour ramp from the font's colours and file flags.
void FONT_buildramp(FontObject* font);
// Makes the texture when there is none, and uploads the ramp.
void fontbuildtexture(FontObject* font);
// Lays a string out into room for four vertices a character; the vertex
// count, and the pen x at the end.
int32_t FONT_layout(const FontObject* font, float x, float y, float z, const char* text, FontVertex* out,
                    float* endx);
// The default renderer's switch: while set, an indirect window's glyphs take
// the per-pixel path.
extern int32_t fontindirectslow;
// Forgets the block, the texture drawn last and the index table without
// freeing anything (tests, after the memory went).
void FONT_reset();
