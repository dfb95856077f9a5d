#include "win/drawshape.h"

#include "cmn/cpu.h"
#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "win/convshp.h"
#include "win/ddraw.h"
#include "win/shapes.h"
#include "win/wind.h"

#include <algorithm>
#include <vector>

namespace {

constexpr const char* SITE = "win\\drawshape";

template <uint32_t NUM, uint32_t DEN>
void copyrow(const void* s, void* d, uint32_t n)
{
    blockmove(s, d, n * NUM / DEN);
}

template <void (*KERNEL)(void*, const void*, uint32_t), uint32_t NUM, uint32_t DEN>
void fastrow(const void* s, void* d, uint32_t n)
{
    KERNEL(d, s, n * NUM / DEN);
}

template <void (*K)(void*, const void*, uint32_t)>
constexpr DrawMode fastmode()
{
    return DrawMode{{fastrow<K, 1, 2>, fastrow<K, 1, 1>, fastrow<K, 2, 1>, fastrow<K, 2, 1>, fastrow<K, 3, 1>,
                     fastrow<K, 4, 1>, nullptr},
                    2, 0, 0};
}

const DrawMode* g_fast = nullptr;

const DrawMode* fastmodeforcpu()
{
    if (!g_fast) g_fast = libcpu.mmx ? &drawmodefast1 : &drawmodefast3;
    return g_fast;
}

void fastdraw(const void* shape, int32_t x, int32_t y)
{
    const DrawMode* mode = fastmodeforcpu();
    movdfl(shape, x, y, mode);
    if (mode == &drawmodefast1) clearmmx();
}

void storedraw(void* shape, int32_t x, int32_t y)
{
    setshapelast(shape, x, y);
    movdfl(shape, x, y, &drawmodecopy);
}

} // namespace

const DrawMode drawmodecopy = {
    {copyrow<1, 2>, copyrow<1, 1>, copyrow<2, 1>, copyrow<2, 1>, copyrow<3, 1>, copyrow<4, 1>, nullptr}, 0, 0, 0};
const DrawMode drawmodefast1 = fastmode<copykernel1>();
const DrawMode drawmodefast2 = fastmode<copykernel2>();
const DrawMode drawmodefast3 = fastmode<copykernel3>();
const DrawMode drawmodefast4 = fastmode<copykernel4>();
int32_t drawbreather = 40000;

void movdfl(const void* shape, int32_t x, int32_t y, const DrawMode* mode)
{
    const auto* source = static_cast<const uint8_t*>(shape);
    if (!shapebpp(source)) {
        LIBFAIL(SITE, "movdfl - INVALID SHAPE TYPE ($%02x)\n", shapetype(source));
        return;
    }
    RowFunction row = mode->rows[6];
    uint8_t target = mode->target ? mode->target : currentwindow.format;
    if (!target) {
        LIBFAIL(SITE, "movdfl - INVALID TARGET (WINDOW) TYPE %d\n", target);
        return;
    }
    void* copy = nullptr;
    RowConverter first = nullptr;
    if (!row && shapetype(source) != target) {
        RowConverter step = getrowconverter(source, target, mode->mode != 2);
        if (!step) {
            copy = convertshapetype(source, target, mode->mode == 1, mode->mode != 2);
            if (!copy) return;
            source = static_cast<const uint8_t*>(copy);
        } else if (mode->mode == 2) {
            row = step;
        } else {
            first = step;
        }
    }

    const WIND& w = currentwindow;
    int32_t width = shapewidth(source), height = shapeheight(source);
    int64_t bits = (shapebpp(source) + 1) & ~1;
    int64_t stride = shaperowbytes(source);
    int32_t x0 = x < w.minx ? w.minx : x, y0 = y < w.miny ? w.miny : y;
    int64_t x1 = int64_t{x} + width, y1 = int64_t{y} + height;
    if (x1 > w.maxx) x1 = w.maxx;
    if (y1 > w.maxy) y1 = w.maxy;
    int64_t visible = x1 - x0, rows = y1 - y0;
    // Depths other than 4, 8, 15, 16, 24 and 32 have no row function.
    int index = w.bpp == 4 || depthindex(w.bpp) > 0 ? depthindex(w.bpp) : -1;
    if (!row && index >= 0 && index < 6) row = mode->rows[index];
    if (visible < 1 || rows < 1 || !row || !w.base) {
        if (copy) memfree(copy);
        return;
    }
    const uint8_t* from = source + SHAPE_HEADER + (y0 - int64_t{y}) * stride + (x0 - int64_t{x}) * bits / 8;
    uint8_t* to = pixeladdress(x0, y0);
    int64_t rowbytes = visible * bits / 8;
    auto count = static_cast<uint32_t>(visible);

    // A left clip inside a byte of a 1- or 4-bit shape: each row is moved
    // down to a byte boundary first, or its pixels would shift.
    const int64_t skip = x0 - int64_t{x};
    const int32_t truebits = shapebpp(source);
    const bool shifted = truebits < 8 && (skip * truebits) % 8 != 0;
    std::vector<uint8_t> aligned;
    if (shifted) aligned.resize(static_cast<size_t>(rowbytes) + 8);
    auto realign = [&](const uint8_t* s) {
        if (!shifted) return s;
        const uint8_t* start = s - skip * bits / 8;
        std::fill(aligned.begin(), aligned.end(), 0);
        for (int64_t j = 0; j < visible; ++j) {
            int64_t i = skip + j;
            if (truebits == 4) {
                aligned[size_t(j / 2)] |= static_cast<uint8_t>(((start[i / 2] >> (i & 1 ? 4 : 0)) & 15) << (j & 1 ? 4 : 0));
            } else {
                aligned[size_t(j / 8)] |= static_cast<uint8_t>(((start[i / 8] >> (7 - (i & 7))) & 1) << (7 - (j & 7)));
            }
        }
        return static_cast<const uint8_t*>(aligned.data());
    };

    std::vector<uint8_t> work;
    if (first) work.resize(static_cast<size_t>(visible) * 4 + 4);
    auto drawrow = [&](const uint8_t* s, uint8_t* d) {
        s = realign(s);
        if (first) {
            first(s, work.data(), count);
            row(work.data(), d, count);
        } else {
            row(s, d, count);
        }
    };

    bool surface = w.video && w.surface && libdisplay.locked == w.surface;
    if (surface) {
        int64_t run = 0;
        for (int64_t r = 0; r < rows; ++r) {
            drawrow(from + r * stride, to + r * w.rowbytes);
            run += visible;
            if (run > drawbreather && r + 1 < rows) {
                run = 0;
                if (!relocksurface(&libdisplay)) break;
            }
        }
    } else if (stride != rowbytes || w.rowbytes != rowbytes || first || shifted) {
        for (int64_t r = 0; r < rows; ++r) drawrow(from + r * stride, to + r * w.rowbytes);
    } else {
        row(from, to, static_cast<uint32_t>(visible * rows));
    }
    if (copy) memfree(copy);
}

void drawshape(void* shape, int32_t x, int32_t y) { storedraw(shape, x, y); }
void drawshapehere(void* shape) { storedraw(shape, shapelastx(shape), shapelasty(shape)); }
void drawshapecentred(void* shape, int32_t x, int32_t y) { storedraw(shape, x - shapehotx(shape), y - shapehoty(shape)); }
void putshape(void* shape, int32_t x, int32_t y) { drawshape(shape, x, y); }
void putshapehere(void* shape) { drawshapehere(shape); }
void putshapecentred(void* shape, int32_t x, int32_t y) { drawshapecentred(shape, x, y); }
void fastdrawshape(const void* shape, int32_t x, int32_t y) { fastdraw(shape, x, y); }
void fastdrawshapehere(const void* shape) { fastdraw(shape, shapelastx(shape), shapelasty(shape)); }
void fastdrawshapecentred(const void* shape, int32_t x, int32_t y)
{
    fastdraw(shape, x - shapehotx(shape), y - shapehoty(shape));
}
void fastputshape(const void* shape, int32_t x, int32_t y) { fastdraw(shape, x, y); }
void fastputshapehere(const void* shape) { fastdrawshapehere(shape); }
void fastputshapecentred(const void* shape, int32_t x, int32_t y) { fastdrawshapecentred(shape, x, y); }
