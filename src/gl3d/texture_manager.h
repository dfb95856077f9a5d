// The named texture manager: every texture of the hardware path under a
// name compared without regard to case, held as a bitmap (which survives
// device changes) and, once restored, as a texture on the current device in
// a 16-bit format the device offers.
#pragma once

#include "gl3d/image_loaders.h"

#include <cstdint>
#include <string>

class HostRenderDevice;
struct HostTexture;

// Creation flags.
constexpr uint32_t TEX_WHITE_TRANSPARENT = 1;
constexpr uint32_t TEX_BLACK_TRANSPARENT = 2;
constexpr uint32_t TEX_WANT_32_BIT = 4;
constexpr uint32_t TEX_WANT_ALPHA = 8;
constexpr uint32_t TEX_ALPHA_TO_KEY = 16; // 16-bit: source alpha of 128 or less becomes the colour key

enum TextureSource : uint16_t { TEX_SOURCE_BITMAP = 0, TEX_SOURCE_PPM = 1, TEX_SOURCE_IMAGE = 2 };

struct named_texture {
    DibSection* bitmap;
    HostTexture* surface;      // on `owner`, or none
    HostRenderDevice* owner;
    uint32_t stage;
    std::string name;
    uint32_t flags;
    uint16_t source_kind;
    named_texture* previous;
    named_texture* next;
};

// A picture in memory: 32-bit pixels 0xAARRGGBB, rows from the top.
struct TextureImage {
    uint32_t zero;
    uint32_t width, height;
    uint32_t pitch; // bytes per row
    uint16_t planes, bits;
    const uint32_t* pixels;
};

uint32_t tex_create_from_file(const char* name, uint32_t stage, uint32_t flags);
uint32_t tex_create_dib(const char* name, uint32_t stage, uint32_t flags, const TextureImage* image);
uint32_t tex_restore_one(const char* name, HostRenderDevice* device);
uint32_t tex_restore_all(HostRenderDevice* device);
uint32_t tex_invalidate_all();
uint32_t tex_release_by_name(const char* name);
uint32_t tex_destroy(const char* name);
void tex_destroy_all();
named_texture* tex_find_by_name(const char* name);
HostTexture* tex_get_dd_surface(const char* name);
HostTexture* tex_get_surface(const char* name);

// The bitmap description; type -1 for a name not on the list.
struct BitmapInfo {
    int32_t type, width, height, width_bytes;
    uint16_t planes, bits_pixel;
    const void* bits;
};
BitmapInfo tex_get_bitmap_info(const char* name);

// The media sub-directory prefix (default "MEDIA\"), at most 7 characters;
// null sets the empty string.
void tex_set_media_dir(const char* dir);
const char* tex_media_dir();
void tex_error_box();
// Records on the list, head first.
named_texture* tex_list_head();
int32_t tex_list_count();

// The key value flag 16 writes and keys in a format: every red and blue
// bit, no green.
uint16_t tex_colour_key(uint32_t red_mask, uint32_t blue_mask);
