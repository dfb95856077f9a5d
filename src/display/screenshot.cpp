// Screenshots.
#include "display/screenshot.h"

#include "display/replay_screen.h"
#include "platform/directory.h"
#include "screen/screen.h"
#include "screen/screen_flip.h"
#include "screen/surface.h"

#include <cstdio>
#include <filesystem>

int32_t screenshot_state;

namespace {

void put16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v)
{
    put16(p, v);
    put16(p + 2, v >> 16);
}

// A mask's value scaled to bits wide.
uint32_t channel(uint32_t pixel, uint32_t mask, int bits)
{
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    int width = 0;
    while ((mask >> (shift + width)) & 1) ++width;
    const uint32_t v = (pixel & mask) >> shift;
    return width >= bits ? v >> (width - bits) : v << (bits - width);
}

} // namespace

std::vector<uint8_t> build_bmp(const Surface* surface)
{
    if (!surface || surface->width <= 0 || surface->height <= 0 || surface->pitch <= 0) return {};
    const uint32_t w = static_cast<uint32_t>(surface->width), h = static_cast<uint32_t>(surface->height);
    const uint32_t bytes = surface->bits / 8;
    if (bytes < 1 || bytes > 4 || surface->pixels.size() < static_cast<size_t>(surface->pitch) * h) return {};
    const uint32_t s = (w + 3) & ~3u;
    std::vector<uint8_t> file(static_cast<size_t>(s) * h + BMP_HEADER_SIZE, 0);
    uint8_t* b = file.data();
    b[0] = 'B';
    b[1] = 'M';
    put32(b + 2, s * h + BMP_HEADER_SIZE);
    put32(b + 10, BMP_HEADER_SIZE);
    put32(b + 14, 40);
    put32(b + 18, w);
    put32(b + 22, h);
    put16(b + 26, 1);
    put16(b + 28, 8);
    put32(b + 34, s * h);
    put32(b + 38, 2834);
    put32(b + 42, 2834);
    // An 8-bit screen carries the display palette; a deeper one is
    // quantised to 3-3-2.
    for (uint32_t i = 0; i < 256; ++i) {
        uint8_t* q = b + 54 + 4 * i;
        if (bytes == 1) {
            q[0] = display_palette[i].blue, q[1] = display_palette[i].green, q[2] = display_palette[i].red;
        } else {
            q[2] = static_cast<uint8_t>(((i >> 5) & 7) * 255 / 7);
            q[1] = static_cast<uint8_t>(((i >> 2) & 7) * 255 / 7);
            q[0] = static_cast<uint8_t>((i & 3) * 255 / 3);
        }
    }
    for (uint32_t i = 0; i < h; ++i) {
        const uint8_t* row = surface->pixels.data() + static_cast<size_t>(h - 1 - i) * surface->pitch;
        uint8_t* out = b + BMP_HEADER_SIZE + static_cast<size_t>(i) * s;
        for (uint32_t x = 0; x < w; ++x) {
            if (bytes == 1) {
                out[x] = row[x];
                continue;
            }
            uint32_t pixel = 0;
            for (uint32_t k = 0; k < bytes; ++k) pixel |= static_cast<uint32_t>(row[x * bytes + k]) << (8 * k);
            out[x] = static_cast<uint8_t>(channel(pixel, surface->red_mask, 3) << 5 |
                                          channel(pixel, surface->green_mask, 3) << 2 |
                                          channel(pixel, surface->blue_mask, 2));
        }
    }
    return file;
}

int32_t write_bmp(const Surface* surface, const char* path)
{
    const std::vector<uint8_t> file = build_bmp(surface);
    if (file.empty()) return 0;
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return 0;
    const bool whole = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && whole ? 1 : 0;
}

std::string next_bmp_name(const Surface* surface, const char* prefix)
{
    for (int32_t n = 0; n <= SCREENSHOT_LAST_NUMBER; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%03d.BMP", prefix, n);
        const std::string path = user_path(name);
        std::error_code ec;
        if (std::filesystem::exists(path, ec)) continue;
        return write_bmp(surface, path.c_str()) ? path : std::string();
    }
    return {};
}

void take_screenshot() { next_bmp_name(back_surface, "kob_"); }
