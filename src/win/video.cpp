#include "win/video.h"

#include "win/viddec.h"
#include "win/ddraw.h"
#include "win/mainwindow.h"
#include "win/pixels.h"
#include "win/wind.h"

#include <cstring>

namespace {

struct Presenter {
    int32_t mode = VIDEO_SOFTWARE;
    DDSurface* yuy2 = nullptr;
    uint32_t seencreate = 0;
    uint32_t seenchange = 0;
    bool hasseen = false;
    int32_t x = 0, y = 0, width = 0, height = 0, scale = 0;
} g;

constexpr uint32_t OVERLAY_KEY = 1;

uint8_t clamp8(int32_t v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// The hardware's YUY2 conversion: a stretch of the YUY2 surface onto the
// primary, only over the key colour when overlaying.
void yuy2_stretch(DDSurface* source, int32_t dx, int32_t dy, int32_t dw, int32_t dh, bool keyed)
{
    DDSurface* p = libdisplay.primary;
    if (!p || p->bpp != 16) return;
    for (int32_t r = 0; r < dh; ++r)
        for (int32_t c = 0; c < dw; ++c) {
            int32_t px = dx + c, py = dy + r;
            if (px < 0 || py < 0 || px >= p->width || py >= p->height) continue;
            uint8_t* to = p->pixels.data() + py * p->pitch + px * 2;
            uint16_t under;
            std::memcpy(&under, to, 2);
            if (keyed && under != OVERLAY_KEY) continue;
            int32_t sx = static_cast<int32_t>(int64_t{c} * source->width / dw);
            int32_t sy = static_cast<int32_t>(int64_t{r} * source->height / dh);
            const uint8_t* cell = source->pixels.data() + sy * source->pitch + (sx & ~1) * 2;
            int32_t luma = cell[sx & 1 ? 2 : 0] - 16, u = cell[1] - 128, v = cell[3] - 128;
            int32_t red = clamp8(luma + ((359 * v) >> 8)), green = clamp8(luma - ((88 * u + 183 * v) >> 8)),
                    blue = clamp8(luma + ((454 * u) >> 8));
            auto out = static_cast<uint16_t>((red >> 3) << 11 | (green >> 2) << 5 | (blue >> 3));
            std::memcpy(to, &out, 2);
        }
}

// A surface of an earlier display object went with it on the original
// hardware; here every surface is the library's own memory to give back.
void release_yuy2()
{
    if (g.yuy2) releasesurface(&libdisplay, g.yuy2);
    g.yuy2 = nullptr;
}

// The hardware steps; false falls back to software for good.
bool hardware(const uint8_t* frame)
{
    int32_t s = g.scale ? 2 : 1;
    bool refresh = false;
    uint32_t create = getddrawcreatecount();
    if (!g.hasseen || create != g.seencreate) {
        g.hasseen = true;
        g.seencreate = create;
        release_yuy2();
        uint32_t caps = DDSCAPS_VIDEOMEMORY | (g.mode == VIDEO_OVERLAY ? DDSCAPS_OVERLAY : DDSCAPS_OFFSCREENPLAIN);
        g.yuy2 = makesurface(&libdisplay, g.width, g.height, 16, 0, -1, caps, false);
        if (!g.yuy2) return false;
        g.yuy2->createcount = create;
        refresh = true;
    }
    if (!displaywindow()) {
        unlockwindow();
        return false;
    }
    if (g.mode == VIDEO_OVERLAY && displaychangecount() != g.seenchange) {
        g.seenchange = displaychangecount();
        fillrect(g.x, g.y, g.width * s, g.height * s, OVERLAY_KEY);
        refresh = true;
    }
    unlockwindow();
    if (g.yuy2->lost) {
        g.yuy2->lost = false;
        refresh = true;
    }
    for (int32_t r = 0; r < g.height; ++r)
        pixrowexpand(frame + r * (g.width / 2) * 4, g.yuy2->pixels.data() + r * g.yuy2->pitch,
                     static_cast<uint32_t>(g.width / 2), 1);
    if (g.mode == VIDEO_FOURCCBLIT || refresh) {
        int32_t rect[4] = {g.x, g.y, g.x + g.width * s, g.y + g.height * s};
        clienttoscreenrect(libdisplay.primary, rect);
        yuy2_stretch(g.yuy2, rect[0], rect[1], rect[2] - rect[0], rect[3] - rect[1], g.mode == VIDEO_OVERLAY);
        presentdisplay();
    }
    return true;
}

} // namespace

void setupvideo(int32_t x, int32_t y, int32_t width, int32_t height, int32_t scale, int software)
{
    release_yuy2();
    g.hasseen = false;
    g.seenchange = displaychangecount() - 1;
    g.x = x;
    g.y = y;
    g.width = width;
    g.height = height;
    g.scale = scale;
    uint32_t caps = libdisplay.ddraw ? libdisplay.ddraw->hwcaps : 0;
    if (software) g.mode = VIDEO_SOFTWARE;
    else if ((caps & DDCAPS_OVERLAYFOURCC) && (caps & DDCAPS_OVERLAYSTRETCH)) g.mode = VIDEO_OVERLAY;
    else if ((caps & DDCAPS_BLTFOURCC) && (caps & DDCAPS_BLTSTRETCH)) g.mode = VIDEO_FOURCCBLIT;
    else g.mode = VIDEO_SOFTWARE;
}

void showvideo(const uint8_t* frame)
{
    if (g.mode != VIDEO_SOFTWARE && !hardware(frame)) g.mode = VIDEO_SOFTWARE;
    if (g.mode != VIDEO_SOFTWARE) return;
    displaywindow();
    showvideoframe(g.x, g.y, frame, g.width, g.height, g.scale);
    unlockwindow();
}

void releasevideo() { release_yuy2(); }
int32_t getvideomode() { return g.mode; }
