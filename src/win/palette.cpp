#include "win/palette.h"

#include "cmn/lib.h"
#include "win/colour.h"
#include "win/convshp.h"
#include "win/shapes.h"
#include "win/ddraw.h"
#include "win/grfreq.h"
#include "win/wind.h"

#include <atomic>
#include <cmath>
#include <cstring>

uint32_t libpalette[256];
uint8_t nearestmask[256];

namespace {

const char* const SITE = "win\\palette";
std::atomic<uint32_t> g_changes{0};

struct DefaultPalette {
    uint8_t rgb[256][3];
    constexpr DefaultPalette() : rgb{}
    {
        const uint8_t low[16][3] = {{0, 0, 0},      {0, 0, 168},    {0, 168, 0},    {0, 168, 168},
                                    {168, 0, 0},    {168, 0, 168},  {168, 84, 0},   {168, 168, 168},
                                    {84, 84, 84},   {84, 84, 252},  {84, 252, 84},  {84, 252, 252},
                                    {252, 84, 84},  {252, 84, 252}, {252, 252, 84}, {252, 252, 252}};
        const uint8_t greys[16] = {252, 220, 204, 192, 176, 164, 152, 136, 124, 112, 96, 84, 72, 56, 44, 32};
        const uint8_t reds[8] = {216, 184, 156, 124, 92, 64, 32, 0};
        const uint8_t top[8] = {192, 200, 208, 216, 224, 232, 240, 255};
        for (int i = 0; i < 16; ++i)
            for (int c = 0; c < 3; ++c) rgb[i][c] = low[i][c];
        for (int i = 0; i < 16; ++i) rgb[16 + i][0] = rgb[16 + i][1] = rgb[16 + i][2] = greys[i];
        for (int i = 0; i < 8; ++i) {
            rgb[32 + i][0] = 252;
            rgb[32 + i][1] = rgb[32 + i][2] = reds[i];
        }
        // 40..247: thirteen ramps of sixteen, bright to dark.
        const uint8_t hues[13][3] = {{252, 128, 0}, {252, 252, 0}, {128, 252, 0}, {0, 252, 0},   {0, 252, 128},
                                     {0, 252, 252}, {0, 128, 252}, {0, 0, 252},   {128, 0, 252}, {252, 0, 252},
                                     {252, 0, 128}, {196, 148, 100}, {140, 180, 220}};
        for (int i = 0; i < 208; ++i)
            for (int c = 0; c < 3; ++c) rgb[40 + i][c] = static_cast<uint8_t>(hues[i / 16][c] * (16 - i % 16) / 16);
        for (int i = 0; i < 8; ++i) rgb[248 + i][0] = rgb[248 + i][1] = rgb[248 + i][2] = top[i];
    }
};
constexpr DefaultPalette g_default{};

struct MaskInit {
    MaskInit()
    {
        for (int i = 0; i < 256; ++i) nearestmask[i] = i < 254;
    }
} g_mask_init;

bool clamp(int32_t& first, int32_t& count)
{
    if (first < 0) {
        count += first;
        first = 0;
    }
    if (first >= 256 || count <= 0) return false;
    if (count > 256 - first) count = 256 - first;
    return true;
}

} // namespace


uint32_t palettechanges() { return g_changes.load(); }

void applypalette(WinDisplay* display, int32_t first, int32_t count)
{
    WinDisplay& d = display ? *display : libdisplay;
    g_changes.fetch_add(1);
    if (!clamp(first, count)) return;
    if (graphicsstate() != 7 || d.bpp > 8 || !d.ddraw) return;
    for (int32_t i = first; i < first + count; ++i) {
        uint32_t c = libpalette[i];
        d.entries[i] = PaletteEntry{static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c), 0};
    }
    if (first < d.dirtyfirst) d.dirtyfirst = static_cast<int16_t>(first);
    if (first + count - 1 > d.dirtylast) d.dirtylast = static_cast<int16_t>(first + count - 1);
    WIND saved[2];
    bool relock = d.locked != nullptr;
    if (relock) {
        copycurrentwindow(saved);
        unlocksurface(&d);
    }
    setwinpalette(&d);
    if (!d.fullscreen)
        for (int i = 0; i < 256; ++i)
            libpalette[i] = 0xFF000000u | uint32_t(d.entries[i].red) << 16 | uint32_t(d.entries[i].green) << 8 |
                            d.entries[i].blue;
    if (relock) setcurrentwindow(saved);
}

void setpalette(int32_t first, int32_t count, const uint8_t* rgb)
{
    int32_t f = first, n = count;
    if (!rgb || !clamp(f, n)) return;
    rgb += 3 * (f - first);
    for (int32_t i = 0; i < n; ++i, rgb += 3)
        libpalette[f + i] = 0xFF000000u | uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
    applypalette(nullptr, f, n);
}

void setpalette32(int32_t first, int32_t count, const uint32_t* argb)
{
    int32_t f = first, n = count;
    if (!argb || !clamp(f, n)) return;
    blockmove(argb + (f - first), libpalette + f, static_cast<uint32_t>(n) * 4);
    applypalette(nullptr, f, n);
}

void getpalette(int32_t first, int32_t count, uint8_t* rgb)
{
    int32_t f = first, n = count;
    if (!rgb || !clamp(f, n)) return;
    rgb += 3 * (f - first);
    for (int32_t i = 0; i < n; ++i, rgb += 3) {
        uint32_t c = libpalette[f + i];
        rgb[0] = static_cast<uint8_t>(c >> 16);
        rgb[1] = static_cast<uint8_t>(c >> 8);
        rgb[2] = static_cast<uint8_t>(c);
    }
}

void getpalette32(int32_t first, int32_t count, uint32_t* argb)
{
    int32_t f = first, n = count;
    if (!argb || !clamp(f, n)) return;
    std::memcpy(argb + (f - first), libpalette + f, static_cast<size_t>(n) * 4);
}

void vgapalette(int32_t first, int32_t count, const uint8_t* rgb)
{
    int32_t f = first, n = count;
    if (!rgb || !clamp(f, n)) return;
    rgb += 3 * (f - first);
    auto widen = [](uint8_t v) { return static_cast<uint32_t>(((v << 2) | (v >> 4)) & 0xFF); };
    for (int32_t i = 0; i < n; ++i, rgb += 3)
        libpalette[f + i] = 0xFF000000u | widen(rgb[0]) << 16 | widen(rgb[1]) << 8 | widen(rgb[2]);
    applypalette(nullptr, f, n);
}

void getvgapalette()
{
    LIBFAIL(SITE, "getvgapalette - STOP USING VGA PALETTES, THEY`VE BEEN OBSOLETE FOR 5 YEARS!\n");
}

void loaddefaultpalette() { setpalette(0, 256, &g_default.rgb[0][0]); }

int32_t nearestcolourin(const uint32_t* palette, uint32_t rgb)
{
    int32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    int32_t best = 99999, found = 0;
    for (int32_t i = 0; i < 256; ++i) {
        if (!nearestmask[i]) continue;
        int32_t dr = r - static_cast<int32_t>((palette[i] >> 16) & 0xFF);
        int32_t dg = g - static_cast<int32_t>((palette[i] >> 8) & 0xFF);
        int32_t db = b - static_cast<int32_t>(palette[i] & 0xFF);
        int32_t distance = dr * dr + dg * dg + db * db;
        if (distance < best) {
            best = distance;
            found = i;
        }
    }
    return found;
}

int32_t nearestcolour(uint32_t rgb) { return nearestcolourin(libpalette, rgb); }

uint32_t colourtopixel(uint32_t argb)
{
    int32_t depth = currentwindow.bpp;
    if (depth <= 8) return static_cast<uint32_t>(nearestcolour(argb & 0xFFFFFF));
    if (depth == 15) return argbto15(argb);
    if (depth == 16) return argbto16(argb);
    if (depth < 24) return 0;
    return argb;
}

int32_t roundtoint(float value) { return static_cast<int32_t>(std::lrint(value)); }

