// Sprite sets of the hardware path: a ".sph" header of 25-byte frame
// records, a companion file of the caller's animation data whose first
// words name a frame each, and numbered frame-page textures
// ("name_000.tga" ...). A second implementation keeps the software
// renderer's 8-bit sprite bank (".spr") instead.
#pragma once

#include <cstdint>
#include <vector>

constexpr int32_t SPRITE_SET_SLOTS = 10;
constexpr uint32_t SPRITE_FRAME_BYTES = 25;
constexpr uint32_t SPRITE_PAGE_QUADS = 300;

struct hw_sprite_frame {
    float u_left, u_right, v_top, v_bottom;
    uint8_t page;
    uint16_t width, height;
    int16_t x_offset, y_offset;
};

// Flip bits of draw_hw_sprite.
constexpr uint8_t SPRITE_FLIP_V = 1;
constexpr uint8_t SPRITE_FLIP_U = 4;

// Reads the header's frame records; false when it cannot be opened. One
// that is there but does not hold what its count says ends the game (fatal
// 202, naming the file).
bool read_sprite_frames(const char* name, std::vector<hw_sprite_frame>* out);

// Loads the set and reads its companion file (the header name with its last
// three characters "DWH", or "DWD" for the bank) whole into the caller's
// buffer of `capacity` bytes. The slot, or -1 when all ten are taken.
int32_t load_sprite_set(const char* name, uint8_t* animation_data, uint32_t capacity);
int32_t free_sprite_set(int32_t slot);
// The frame the companion's n-th word names: a byte offset into the record
// array (a multiple of 25 inside it), else none.
const hw_sprite_frame* sprite_set_frame(int32_t slot, uint32_t n);
// The n-th record of the header.
const hw_sprite_frame* sprite_set_record(int32_t slot, uint32_t n);
uint32_t sprite_set_frame_count(int32_t slot);
int32_t sprite_set_count();
// The bank implementation: sprite count and the sprite the companion's
// n-th word names (an offset inside the bank), else none.
uint32_t sprite_bank_count(int32_t slot);
const uint8_t* sprite_bank_sprite(int32_t slot, uint32_t n);

void draw_hw_sprite(const hw_sprite_frame* frame, float x, float y, uint16_t scale, uint8_t flip, uint8_t clip,
                    float angle, uint8_t alpha);
int32_t find_sprite_set_of_frame(const hw_sprite_frame* frame);
void get_hw_sprite_size(const hw_sprite_frame* frame, int32_t* width, int32_t* height);
int32_t get_sprite_frames(int32_t slot, int32_t* page_count, const int32_t** textures);
int32_t touch_sprite_frames(int32_t slot);
uint8_t set_sprite_colour(uint32_t argb);
void set_sprite_shaded(uint32_t on);
void set_sprite_filter(uint32_t on);
uint32_t get_sprite_filter();
void set_sprite_z_buffer(uint32_t on);
uint32_t get_sprite_z_buffer();
void set_sprite_alpha_blend(uint32_t on);
uint32_t get_sprite_alpha_blend();
// The sprite layer's overlay flag: the flush draws in the 2D overlay
// projection while it is set.
void set_sprite_option(uint32_t on);
uint32_t get_sprite_option();
// 1 (start): texture sets; 0: software banks. Not changed while sets are loaded.
void set_sprite_set_mode(uint32_t texture_sets);
uint32_t get_sprite_set_mode();

void reset_sprite_sets();
