// Writers of the picture files the texture loaders read: TGA (types 2 and
// 10, 24 or 32 bits), BMP (8, 24 or 32 bits, uncompressed) and PPM ("P6").
// Pictures are given as 0xAARRGGBB pixels, rows from the top.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct KitPicture {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t& at(uint32_t x, uint32_t y) { return pixels[size_t(y) * width + x]; }
    uint32_t at(uint32_t x, uint32_t y) const { return pixels[size_t(y) * width + x]; }
};
KitPicture kit_picture(uint32_t width, uint32_t height, uint32_t fill = 0);

struct KitTgaOptions {
    uint32_t depth;              // 24 or 32
    bool run_length;             // type 10, else type 2
    std::string id;              // the ID field
    uint32_t colour_map_entries; // a colour map (of 24-bit entries) the reader must step over
    uint8_t descriptor;
    KitTgaOptions(uint32_t depth_ = 32, bool run_length_ = false, std::string id_ = {}, uint32_t map_entries = 0,
                  uint8_t descriptor_ = 0)
        : depth(depth_), run_length(run_length_), id(std::move(id_)), colour_map_entries(map_entries), descriptor(descriptor_)
    {
    }
};
// Stored bottom row first, pixels blue, green, red (, alpha).
std::vector<uint8_t> kit_tga(const KitPicture& picture, const KitTgaOptions& options = {});
// 24 or 32 bits, or 8 with the palette (0x00RRGGBB) and pixels as indices.
std::vector<uint8_t> kit_bmp(const KitPicture& picture, uint32_t bits, const std::vector<uint32_t>& palette = {});
std::vector<uint8_t> kit_ppm(const KitPicture& picture, uint32_t max = 255, const std::string& comment = "");
