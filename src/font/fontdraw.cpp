// Text meshes: laying a string out as glyph quads, drawing them through the
// renderer, meshes kept for later, bounds, blocks and the index table.
#include "font/fontobj.h"

#include "cmn/lib.h"
#include "win/shapes.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr const char* SITE = "font\\fontdraw";
constexpr uint32_t RHW = 0x3F7FFF58; // 0.99999

uint32_t* g_indices = nullptr;
int32_t g_indexcount = 0;
bool g_inblock = false;
void* g_lasttexture = nullptr;

float rhw()
{
    float f;
    std::memcpy(&f, &RHW, sizeof f);
    return f;
}

int32_t kernadjust(const FontObject* f, uint32_t code, uint32_t previous)
{
    int32_t lo = 0, hi = f->kerncount - 1;
    while (lo <= hi) {
        int32_t mid = (lo + hi) / 2;
        const KernPair& p = f->kerning[mid];
        if (p.code == code && p.previous == previous) return p.adjust;
        if (p.code < code || (p.code == code && p.previous < previous)) lo = mid + 1;
        else hi = mid - 1;
    }
    return 0;
}

struct Quad {
    float x[4], y[4], u[4], v[4];
};

// Cuts a quad to the clip rectangle, moving texels in proportion; false when
// nothing of it is left.
bool clipquad(const FontObject* f, Quad& q)
{
    const float l = f->clipleft, r = f->clipright, t = f->cliptop, b = f->clipbottom;
    bool inside = true, left = true, right = true, above = true, below = true;
    for (int i = 0; i < 4; ++i) {
        inside = inside && q.x[i] >= l && q.x[i] < r && q.y[i] >= t && q.y[i] < b;
        left = left && q.x[i] < l;
        right = right && q.x[i] >= r;
        above = above && q.y[i] < t;
        below = below && q.y[i] >= b;
    }
    if (inside) return true;
    if (left || right || above || below) return false;
    // Pairs along x (0-1 top, 3-2 bottom) and along y (0-3 left, 1-2 right).
    auto cut = [](float* pos, float* tex, int a, int c, float low, float high) {
        const float span = pos[c] - pos[a], tspan = tex[c] - tex[a];
        if (span <= 0) return;
        if (pos[a] < low) {
            tex[a] += (low - pos[a]) / span * tspan;
            pos[a] = low;
        }
        if (pos[c] > high) {
            tex[c] -= (pos[c] - high) / span * tspan;
            pos[c] = high;
        }
    };
    cut(q.x, q.u, 0, 1, l, r);
    cut(q.x, q.u, 3, 2, l, r);
    cut(q.y, q.v, 0, 3, t, b);
    cut(q.y, q.v, 1, 2, t, b);
    return true;
}

void growindices(int32_t length)
{
    if (!g_indices) FONT_cacheinit(0);
    if (int64_t{4} * length > g_indexcount) {
        int64_t want = int64_t{4} * length, twice = int64_t{2} * g_indexcount;
        FONT_cacheresize(static_cast<int32_t>(want > twice ? want : twice));
    }
}

int drawstep(FontObject* f, int32_t count, const FontVertex* vertices)
{
    const FontRenderer& r = fontrenderer();
    if (f->dirty || !f->texture) fontbuildtexture(f);
    if (!(g_inblock && f->texture == g_lasttexture)) {
        r.select(f->texture);
        g_lasttexture = f->texture;
    }
    return r.draw(count / 4, vertices, g_indices);
}

} // namespace

int32_t FONT_layout(const FontObject* f, float x, float y, float z, const char* text, FontVertex* out, float* endx)
{
    const float startx = std::nearbyint(x);
    x += f->xscale * static_cast<float>(f->xoffset);
    y += f->yscale * static_cast<float>(f->yoffset);
    const uint8_t* space = FONTdraw(f, 32);
    const int32_t spaceadvance = space ? readglyph(space).advance : 0;
    const auto* at = reinterpret_cast<const uint8_t*>(text);
    int32_t count = 0;
    uint32_t previous = 0;
    for (;;) {
        const uint32_t code = f->reader(&at);
        if (code == 0) break;
        Quad q{};
        bool quad = false;
        float left = 0, top = 0, width = 0, height = 0, u0 = 0, v0 = 0, u1 = 0, v1 = 0;
        if (code == 10) {
            x = startx;
            y += f->yscale * static_cast<float>(f->baseline + f->rest);
        } else if (code == 9 && f->tabcount) {
            for (int32_t i = 0; i < f->tabcount; ++i)
                if (f->tabs[i] > x) {
                    x = f->tabs[i];
                    break;
                }
        } else if (code <= 32) {
            x += f->xscale * static_cast<float>(spaceadvance);
        } else if (const uint8_t* record = FONTdraw(f, code)) {
            const Glyph g = readglyph(record);
            if ((f->switches & FONT_KERNING) && f->kerncount)
                x += f->xscale * static_cast<float>(kernadjust(f, code, previous));
            left = x + f->xscale * static_cast<float>(g.xoffset);
            top = y + f->yscale * static_cast<float>(g.yoffset);
            width = f->xscale * static_cast<float>(g.width);
            height = f->yscale * static_cast<float>(g.height);
            u0 = static_cast<float>(g.imagex), v0 = static_cast<float>(g.imagey);
            u1 = u0 + static_cast<float>(g.width), v1 = v0 + static_cast<float>(g.height);
            x += f->xscale * static_cast<float>(g.advance);
            quad = true;
        } else if (f->switches & FONT_MISSINGBOXES) {
            const int32_t s = f->spacing / 2;
            left = x, top = y;
            width = static_cast<float>(s / 2), height = static_cast<float>(s);
            u1 = static_cast<float>(shapewidth(f->image) - 1), v1 = static_cast<float>(shapeheight(f->image) - 1);
            x += f->xscale * static_cast<float>(s / 2);
            quad = true;
        }
        previous = code;
        if (!quad) continue;
        const float k = f->yscale * static_cast<float>(f->baseline) - (top - y);
        const float tl = left + f->slant * k, bl = left - f->slant * (height - k);
        q = Quad{{tl, tl + width, bl + width, bl}, {top, top, top + height, top + height}, {u0, u1, u1, u0},
                 {v0, v0, v1, v1}};
        if ((f->switches & FONT_CLIPPING) && !clipquad(f, q)) continue;
        for (int i = 0; i < 4; ++i)
            out[count++] = FontVertex{q.x[i], q.y[i], z, rhw(), f->vertexcolours[i], 0, q.u[i], q.v[i]};
    }
    if (endx) *endx = x;
    return count;
}

int FONTdrawtext(FontObject* f, float x, float y, float z, const char* text)
{
    if (!text) {
        LIBFAIL(SITE, "FONTdrawtext - NULL string\n");
        return 0;
    }
    if (!f) return 0;
    const int32_t length = static_cast<int32_t>(std::strlen(text));
    growindices(length);
    std::vector<FontVertex> vertices(static_cast<size_t>(length) * 4 + 4);
    const int32_t count = FONT_layout(f, x, y, z, text, vertices.data(), nullptr);
    return drawstep(f, count, vertices.data());
}

int FONT_drawtextf(FontObject* f, float x, float y, float z, const char* format, ...)
{
    if (!format) return 0;
    char text[512];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (written > 511) {
        LIBFAIL(SITE, "FONT_drawtextf - string too long, max 511 characters\n");
        return 0;
    }
    return FONTdrawtext(f, x, y, z, text);
}

FontMesh* FONTallocmesh(FontObject* f, float x, float y, float z, const char* text)
{
    if (!text) {
        LIBFAIL(SITE, "FONTallocmesh - NULL string\n");
        return nullptr;
    }
    if (!f) return nullptr;
    const FontRenderer& r = fontrenderer();
    const int32_t length = static_cast<int32_t>(std::strlen(text));
    growindices(length);
    auto* mesh = static_cast<FontMesh*>(r.allocate(sizeof(FontMesh)));
    if (!mesh) return nullptr;
    mesh->vertices = static_cast<FontVertex*>(r.allocate(static_cast<uint32_t>(length) * 4 * sizeof(FontVertex) + 1));
    if (!mesh->vertices) {
        r.free(mesh);
        return nullptr;
    }
    mesh->font = f;
    mesh->count = FONT_layout(f, x, y, z, text, mesh->vertices, &mesh->endx);
    mesh->x = x, mesh->y = y, mesh->z = z;
    return mesh;
}

void FONT_movemesh(FontMesh* mesh, float x, float y, float z)
{
    if (!mesh) {
        LIBFAIL(SITE, "FONT_movemesh - NULL mesh\n");
        return;
    }
    const float dx = x - mesh->x, dy = y - mesh->y, dz = z - mesh->z;
    for (int32_t i = 0; i < mesh->count; ++i) {
        mesh->vertices[i].x += dx;
        mesh->vertices[i].y += dy;
        mesh->vertices[i].z += dz;
    }
    mesh->endx += dx;
    mesh->x = x, mesh->y = y, mesh->z = z;
}

int FONT_drawmesh(FontMesh* mesh)
{
    if (!mesh) {
        LIBFAIL(SITE, "FONT_drawmesh - NULL mesh\n");
        return 0;
    }
    std::vector<FontVertex> copy(mesh->vertices, mesh->vertices + mesh->count);
    return drawstep(mesh->font, mesh->count, copy.data());
}

void FONT_freemesh(FontMesh* mesh)
{
    if (!mesh) {
        LIBFAIL(SITE, "FONT_freemesh - NULL mesh\n");
        return;
    }
    const FontRenderer& r = fontrenderer();
    r.free(mesh->vertices);
    r.free(mesh);
}

void FONTtextbounds(FontObject* f, const char* text, float* x, float* y, float* w, float* h)
{
    float minx = 0, miny = 0, maxx = 0, maxy = 0;
    if (text && *text) {
        if (FontMesh* mesh = FONTallocmesh(f, 0, 0, 0, text)) {
            for (int32_t i = 0; i < mesh->count; ++i) {
                const FontVertex& v = mesh->vertices[i];
                minx = std::min(minx, v.x), miny = std::min(miny, v.y);
                maxx = std::max(maxx, v.x), maxy = std::max(maxy, v.y);
            }
            if (mesh->endx > maxx) maxx = mesh->endx;
            FONT_freemesh(mesh);
        }
    }
    if (x) *x = minx;
    if (y) *y = miny;
    if (w) *w = maxx - minx;
    if (h) *h = maxy - miny;
}

void FONT_beginblock()
{
    if (g_inblock) {
        LIBFAIL(SITE, "FONT_beginblock: Already in a block\n");
        return;
    }
    g_inblock = true;
    g_lasttexture = nullptr;
}

void FONT_endblock()
{
    if (!g_inblock) {
        LIBFAIL(SITE, "FONT_endblock: No block was begun\n");
        return;
    }
    g_inblock = false;
}

void FONT_cacheinit(int32_t n)
{
    if (g_indices) return;
    FONT_cacheresize(n ? n : 400);
}

void FONT_cacheresize(int32_t n)
{
    if (n <= 0) return;
    const FontRenderer& r = fontrenderer();
    auto* table = static_cast<uint32_t*>(r.allocate(static_cast<uint32_t>(n) * 4));
    if (!table) return;
    for (int32_t i = 0; i < n; ++i) table[i] = static_cast<uint32_t>(i);
    if (g_indices) r.free(g_indices);
    g_indices = table;
    g_indexcount = n;
}

void FONT_cachefree()
{
    if (g_indices) fontrenderer().free(g_indices);
    g_indices = nullptr;
    g_indexcount = 0;
}

int32_t FONT_cachesize() { return g_indexcount; }
const uint32_t* FONT_cachetable() { return g_indices; }

void FONT_reset()
{
    g_indices = nullptr;
    g_indexcount = 0;
    g_inblock = false;
    g_lasttexture = nullptr;
}
