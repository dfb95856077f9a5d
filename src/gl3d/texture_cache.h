// The texture cache: drawers ask for a picture file by name and get a small
// id; each file is read once, its users are counted, and it stays on the
// device while anybody holds it. Beside it, the TGA picture object.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct TextureImage;

constexpr int32_t TEXTURE_CACHE_SIZE = 200;
constexpr int32_t NO_TEXTURE = -1;

// The id of the file's entry (a new one reads it); -1 when all 200 are live.
int32_t find_or_load_texture(const char* name);
int32_t create_texture_from_image(const char* name, const TextureImage* image);
// 1, or 0 for an id without a live entry.
int32_t add_texture_ref(int32_t id);
// Mode 0 keeps the entry cached, mode 1 frees it. 1, or 0 for an id
// without a live entry.
int32_t release_texture(int32_t id, int32_t mode);
int32_t release_texture_range(int32_t first, int32_t last, int32_t mode);
// An id without a live entry unbinds.
void bind_texture(int32_t id);
uint32_t get_texture_use_count(int32_t id);
// width x height pixels 0xAARRGGBB, rows from the top (std::free), or null
// when the file is missing. A file that is there but is not a whole picture
// ends the game (fatal 202, naming the file and the fault).
uint32_t* load_image_file(const char* name, uint32_t* width, uint32_t* height);
int32_t create_alpha_texture(uint32_t argb);
void set_lkz_image_mode(int32_t on);
int32_t get_lkz_image_mode();

int32_t current_bound_texture();
// The device's textures went away: the next bind reaches the device.
void texture_cache_forget_bound();
const char* texture_cache_name(int32_t id); // null without a live entry
int32_t texture_cache_count();
// Frees every entry and its named texture (tests, shut-down).
void reset_texture_cache();

// One TGA picture in memory (types 2 and 10, 24 or 32 bits).
class TgaImage {
public:
    uint32_t id_length = 0, colour_map_type = 0, image_type = 0;
    uint32_t map_first = 0, map_length = 0, map_entry_size = 0;
    uint32_t x_origin = 0, y_origin = 0, width = 0, height = 0;
    uint32_t depth = 0, descriptor = 0;
    std::vector<uint8_t> id_text;
    std::vector<uint32_t> pixels; // 0xAARRGGBB, rows from the top

    // False (and empty) for another type or depth, a run-length stream
    // longer than the picture, or a file that ends early; fault, when given,
    // then says which.
    bool read(std::FILE* file, std::string* fault = nullptr);
    // format 32, 16 (1-5-5-5, top bit from the alpha), 15 or 555 (top bit
    // set), 565; 16-bit values high byte first. Empty for other formats.
    std::vector<uint8_t> convert(int format) const;
    // An uncompressed type-2 TGA in 32 bits or a 16-bit format other than 565.
    bool write(std::FILE* file, int format) const;
    bool find_sub_image(const TgaImage& other, int32_t* x, int32_t* y) const;
    bool copy_rectangle(const TgaImage& from, int32_t from_x, int32_t from_y, int32_t w, int32_t h, int32_t to_x,
                        int32_t to_y);
    void crop(int32_t left, int32_t top, int32_t right, int32_t bottom);
    bool opaque_bounds(int32_t* first_column, int32_t* last_column, int32_t* first_row, int32_t* last_row) const;
};
