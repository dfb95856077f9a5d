// Mesh textures: 8-bit BMP files beside the mesh, made square (a power of
// two a side) with the picture's top row first and each row reversed.
#include "swrender/x_mesh.h"

#include "platform/fatal_error.h"
#include "platform/files.h"
#include "platform/memory.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint16_t BITMAP_FILE_TYPE = 0x4D42;
constexpr char k_default_texture[] = "vetra_sport.bmp";

[[noreturn]] void bad_bitmap(const char* why) { fatal_error_sub(FATAL_SILENT, 0, why, 0); }

uint32_t le(const uint8_t* p, int n)
{
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// Destination row r takes the picture's top row r (stored bottom-up), its
// pixels in reverse order.
void copy_rows(const uint8_t* pixels, int32_t w, int32_t h, int32_t stride, uint8_t* dest, int32_t dest_pitch)
{
    for (int32_t r = 0; r < h; ++r) {
        const uint8_t* src = pixels + size_t(h - 1 - r) * stride;
        uint8_t* d = dest + size_t(r) * dest_pitch;
        for (int32_t k = 0; k < w; ++k) d[k] = src[w - 1 - k];
    }
}

} // namespace

int32_t load_bmp_texture(x_mesh* mesh, mesh_material* material)
{
    if (material->texture_name[0] == 0) std::snprintf(material->texture_name, sizeof material->texture_name, "%s", k_default_texture);
    char path[600];
    std::snprintf(path, sizeof path, "%s\\%s", mesh->directory, material->texture_name);
    uint32_t size = 0;
    uint8_t* file = load_file(data_path(path), &size);

    if (size < 26) {
        free_mem(file);
        bad_bitmap("bitmap too short");
    }
    int32_t w, h;
    uint32_t bits;
    if (file[14] == 40) {
        if (size < 54) {
            free_mem(file);
            bad_bitmap("bitmap too short");
        }
        w = int32_t(le(file + 18, 4));
        h = int32_t(le(file + 22, 4));
        bits = le(file + 28, 2);
    } else {
        w = int32_t(le(file + 18, 2));
        h = int32_t(le(file + 20, 2));
        bits = le(file + 24, 2);
    }
    if (bits > 8) {
        free_mem(file);
        bad_bitmap("colour_bit_depth > 8");
    }
    if (le(file, 2) != BITMAP_FILE_TYPE) {
        free_mem(file);
        bad_bitmap("bitmap_file_header.bfType != BITMAP_FILE_TYPE");
    }
    // Only one byte a pixel makes a texture; top-down pictures are refused.
    uint32_t offset = le(file + 10, 4);
    int64_t stride = (int64_t(w) + 3) & ~int64_t(3);
    if (bits != 8 || w <= 0 || h <= 0 || w > 4096 || h > 4096 || int64_t(offset) + stride * h > int64_t(size)) {
        free_mem(file);
        bad_bitmap("bitmap not a whole 8-bit picture");
    }

    int32_t side = 1;
    while (side < w || side < h) side *= 2;
    const uint8_t* pixels = file + offset;
    if (d3d_meshes_on) {
        material->width_ratio = float(side) / float(w);
        material->height_ratio = float(side) / float(h);
        material->texture_handle = sw_device_create_texture(side);
        SwTexture* t = sw_device_texture(material->texture_handle);
        copy_rows(pixels, w, h, int32_t(stride), t->texels.data(), side);
        material->video_memory = t->video_memory ? 1 : 0;
    } else {
        material->picture_height = h;
        material->picture_width = w;
        material->texture_buffer.assign(size_t(side) * side, 0);
        copy_rows(pixels, w, h, int32_t(stride), material->texture_buffer.data(), w);
        material->width_ratio = 1.0f;
        material->height_ratio = 1.0f;
    }
    free_mem(file);
    return 0;
}
