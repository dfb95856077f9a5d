// Provisional (see the header).
#include "standin/engine_shapes_standin.h"

#include "cmn/lib.h"
#include "cmn/numeric.h"
#include "win/palette.h"
#include "win/pixels.h"
#include "win/wind.h"

#include <cstring>

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
