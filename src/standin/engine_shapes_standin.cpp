// Provisional (see the header).
#include "standin/engine_shapes_standin.h"

#include "cmn/lib.h"
#include "cmn/numeric.h"
#include "win/palette.h"
#include "win/pixels.h"
#include "win/wind.h"

#include <cstring>

uint16_t argbto15(uint32_t argb)
{
    if (argb == 0) return 0;
    return static_cast<uint16_t>(0x8000 | ((argb >> 19) & 31) << 10 | ((argb >> 11) & 31) << 5 | ((argb >> 3) & 31));
}

uint16_t argbto16(uint32_t argb)
{
    return static_cast<uint16_t>(((argb >> 3) & 31) + ((argb & 0xF80000) >> 8) + ((argb & 0xFC00) >> 5));
}

uint32_t getargb(uint32_t pixel)
{
    switch (currentwindow.bpp) {
    case 15: {
        uint32_t a = pixel & 0x8000 ? 0xFF000000 : 0;
        return a | ((pixel >> 10) & 31) << 19 | ((pixel >> 5) & 31) << 11 | (pixel & 31) << 3;
    }
    case 16: {
        uint32_t a = pixel ? 0xFF000000 : 0;
        return a | ((pixel >> 11) & 31) << 19 | ((pixel >> 5) & 63) << 10 | (pixel & 31) << 3;
    }
    case 24:
    case 32: return pixel;
    default:
        if (pixel > 255) {
            LIBFAIL("win\\colour",
                    "getargb - INVALID COLOUR INDEX.\nCURRENT WINDOW BPP %d. REQUESTED ARGB FOR COLOUR INDEX %d "
                    "($%x).\n",
                    currentwindow.bpp, static_cast<int>(pixel), pixel);
            return 0;
        }
        return libpalette[pixel];
    }
}

void blockmove(const void* source, void* destination, uint32_t n) { memmove_fast(source, destination, n); }

void movdfl(const void* shape, int32_t x, int32_t y, const DrawMode* mode)
{
    const auto* p = static_cast<const uint8_t*>(shape);
    int32_t width = p[4] | p[5] << 8, height = p[6] | p[7] << 8;
    const WIND& w = currentwindow;
    int32_t x0 = x < w.minx ? w.minx : x, y0 = y < w.miny ? w.miny : y;
    int32_t x1 = x + width > w.maxx ? w.maxx : x + width, y1 = y + height > w.maxy ? w.maxy : y + height;
    if (x0 >= x1 || y0 >= y1 || !w.base) return;
    RowFunction row = mode->rows[6] ? mode->rows[6] : mode->rows[depthindex(w.bpp)];
    if (!row) return;
    for (int32_t r = y0; r < y1; ++r) row(nullptr, pixeladdress(x0, r), static_cast<uint32_t>(x1 - x0));
}
