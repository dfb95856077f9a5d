// Image loaders of the named texture manager: TGA (true colour, plain and
// run-length), PPM ("P6", from a file or from memory) and BMP, each making a
// device-independent bitmap, and the media search path.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// Result codes of the loaders and the texture manager.
constexpr uint32_t TEX_OK = 0;
constexpr uint32_t TEX_E_FAIL = 0x80004005;
constexpr uint32_t TEX_E_INVALIDARG = 0x80070057;
constexpr uint32_t TEX_E_OUTOFMEMORY = 0x8007000E;
constexpr uint32_t TEX_E_NOTFOUND = 0x887600FF;

// A device-independent bitmap: rows of `stride` bytes (a multiple of 4),
// row 0 the top of the picture. 32-bit pixels are the bytes blue, green,
// red, alpha; 24-bit ones blue, green, red; 8-bit ones index the palette
// (0x00RRGGBB entries).
struct DibSection {
    int32_t width = 0, height = 0;
    uint16_t bits = 32;
    uint32_t stride = 0;
    std::vector<uint8_t> pixels;
    std::vector<uint32_t> palette;

    const uint8_t* row(int32_t y) const { return pixels.data() + static_cast<size_t>(y) * stride; }
    uint8_t* row(int32_t y) { return pixels.data() + static_cast<size_t>(y) * stride; }
};
// A 32-bit bitmap of the size, zeroed; null when the size is empty or too large.
DibSection* create_dib_section(int32_t width, int32_t height, uint16_t bits = 32);

// The largest picture a loader takes (width x height x 4 bytes).
constexpr uint64_t IMAGE_MAX_BYTES = 256u << 20;

// The TGA's pixels in a new buffer of width x height x 4 bytes (std::free),
// in file order; null when the file ends early or the buffer cannot be had.
// A type other than 2 or 10, or a run-length stream longer than the
// picture, ends the program (exit codes 112, 113, 115, 116, 117). The file
// is closed in every case.
uint8_t* read_tga(std::FILE* file, uint32_t* width, uint32_t* height, int swap, int add_alpha);
uint32_t load_tga_dib(const char* path, DibSection** bitmap);
uint32_t load_bmp_dib(const char* path, DibSection** bitmap);
uint32_t load_ppm_dib(const char* path, DibSection** bitmap);
uint32_t load_ppm_dib_mem(const uint8_t* data, uint32_t size, DibSection** bitmap);
// 1 with the three numbers, 0 when the magic is not "P6" or the header ends
// early. The memory form moves *cursor to the first pixel byte.
int read_ppm_header(std::FILE* file, uint16_t* width, uint16_t* height, uint16_t* max);
int read_ppm_header_mem(const uint8_t** cursor, const uint8_t* end, uint16_t* width, uint16_t* height,
                        uint16_t* max);
int32_t read_u16_le(std::FILE* file); // -1 at the end of the file

// The first of: the name in the data directory, then "D3DPATH\name". 0 with
// the path in out, else TEX_E_NOTFOUND.
uint32_t get_media_path(const char* name, const char* subdir, char* out, uint32_t out_size);
// True when the path can be opened for reading (and is closed again).
bool can_open_for_reading(const char* path);
