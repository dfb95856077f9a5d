// Surfaces: rectangles of pixels in memory, the stand-in for the display's
// surfaces. The 8-bit software display draws into them; menus and fonts build
// pictures in them. A surface is locked to reach its pixels.
#pragma once

#include <cstdint>
#include <vector>

struct Surface {
    int32_t width = 0, height = 0;
    int32_t pitch = 0; // bytes per row
    uint32_t bits = 8; // bits per pixel
    uint32_t red_mask = 0, green_mask = 0, blue_mask = 0;
    uint32_t caps = 0;
    std::vector<uint8_t> pixels;
    int32_t lock_count = 0;
    bool lost = false;
    uint32_t palette[256] = {}; // 8-bit surfaces: 0xRRGGBB of each index
};

struct SurfaceRect {
    int32_t left, top, right, bottom;
};

// Capability bits.
constexpr uint32_t SURFACE_OFFSCREEN = 1;
constexpr uint32_t SURFACE_SYSTEM_MEMORY = 2;
constexpr uint32_t SURFACE_PRIMARY = 4;
constexpr uint32_t SURFACE_FLIPPABLE = 8;

// Makes a surface; nullptr for a size or format it cannot have. Rows are
// padded to a multiple of four bytes, as display memory is.
Surface* surface_new(int32_t width, int32_t height, uint32_t bits, uint32_t red, uint32_t green, uint32_t blue,
                     uint32_t caps);
void surface_delete(Surface* surface);
