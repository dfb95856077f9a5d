// Provisional (see the header): a plain conversion, clipped pixel by pixel.
#include "standin/movie_standin.h"

#include "win/wind.h"

#include <cmath>
#include <cstring>

namespace {

uint16_t pixel(int32_t luma, int32_t u, int32_t v, int32_t bpp)
{
    double y = luma * 2.0, cb = (u - 64) * 2.0, cr = (v - 64) * 2.0;
    auto clamp = [](double c) { return c < 0 ? 0 : c > 255 ? 255 : static_cast<int32_t>(c); };
    int32_t r = clamp(y + 1.402 * cr), g = clamp(y - 0.3441 * cb - 0.7141 * cr), b = clamp(y + 1.772 * cb);
    if (bpp == 15) return static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
    return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

} // namespace

int32_t showvideoframe(int32_t x, int32_t y, const uint8_t* frame, int32_t width, int32_t height, int32_t mode)
{
    if (mode < 0 || mode > 3) return -1;
    const WIND& w = currentwindow;
    if (w.bpp != 15 && w.bpp != 16) return -2;
    int32_t scale = mode ? 2 : 1;
    for (int32_t r = 0; r < height; ++r)
        for (int32_t c = 0; c < width; ++c) {
            const uint8_t* cell = frame + (r * (width / 2) + c / 2) * 4;
            uint16_t p = pixel(c & 1 ? cell[2] : cell[3], cell[1], cell[0], w.bpp);
            for (int32_t dy = 0; dy < scale; ++dy)
                for (int32_t dx = 0; dx < scale; ++dx) {
                    int32_t px = x + c * scale + dx, py = y + r * scale + dy;
                    if (px < w.minx || px >= w.maxx || py < w.miny || py >= w.maxy || !w.base) continue;
                    std::memcpy(pixeladdress(px, py), &p, 2);
                }
        }
    return 0;
}
