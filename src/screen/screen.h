// The 2D screen: size and pixel format, row tables, clip windows, the
// 256-colour palette with its fades, and shade tables for bevelled panels on
// the 8-bit screen.
#pragma once

#include "host/picture.h"

#include <cstdint>

constexpr uint32_t SCREEN_WIDTH = PICTURE_WIDTH;
constexpr uint32_t SCREEN_HEIGHT = PICTURE_HEIGHT;
constexpr int32_t CLIP_WINDOW_COUNT = 8;

// Pixel format record in the display's own layout (32 bytes).
constexpr uint32_t PIXEL_FORMAT_PALETTE_INDEXED8 = 0x20;
constexpr uint32_t PIXEL_FORMAT_RGB = 0x40;
struct ScreenPixelFormat {
    uint32_t size, flags, four_cc, bit_count, red_mask, green_mask, blue_mask, alpha_mask;
};

struct ScreenRecord {
    uint32_t display_kind; // 0 software, 1 hardware
    ScreenPixelFormat pixel_format;
    uint32_t bits_per_pixel, red_mask, green_mask, blue_mask;
    uint32_t width, height, pixel_count, half_height;
    uint32_t height_fixed; // 16.16
    uint32_t pitch;
    uint32_t display_buffer; // 1 or 2
    uint32_t picture_row_offsets[SCREEN_HEIGHT]; // row i = i x 640 x bytes a pixel
    uint32_t screen_row_offsets[SCREEN_HEIGHT];  // row i = i x pitch
};
extern ScreenRecord screen;

struct ClipWindow {
    uint16_t left, right, top, bottom;
};
extern ClipWindow clip_window[CLIP_WINDOW_COUNT];

// Pixel formats by number: 0 8-bit, 1 and 3 16-bit 5-5-5, 2 16-bit 5-6-5,
// 4 24-bit, 5 32-bit. The screen and off-screen surfaces share them.
struct ScreenFormat {
    uint32_t bits, red_mask, green_mask, blue_mask;
};
constexpr int32_t SCREEN_FORMAT_COUNT = 6;
extern const ScreenFormat screen_formats[SCREEN_FORMAT_COUNT];

// Size 0 is 640 x 480, the only size.
int32_t init_screen_format(int32_t format, int32_t size = 0);
// 0 software, 1 hardware: start-up sets it once the 3D display runs.
void set_screen_display_kind(int32_t kind);
void set_screen_pitch(int32_t pitch);
int32_t screen_pitch();
int32_t scale_x_from_640(int32_t x);
int32_t scale_y_from_480(int32_t y);
// A window number outside 0..7 is ignored (and reads as all zero).
void set_clip_window(int32_t window, uint16_t top, uint16_t left, uint16_t bottom, uint16_t right);
void get_clip_window(int32_t window, uint16_t* top, uint16_t* left, uint16_t* bottom, uint16_t* right);

// Palettes are 6-bit triples (0..63), red, green, blue: 768 bytes for 256
// colours. The display palette holds 8-bit values, the 6-bit value x 4.
struct PaletteEntry {
    uint8_t red, green, blue, flags;
};
extern PaletteEntry display_palette[256];
extern uint8_t working_palette[256][3];
// Where a fade out keeps the palette it leaves, and what fade_palette_to
// shows at a level when given no palette.
extern uint8_t saved_palette[768];
extern int32_t fade_step;

// Source colours from its start into working entries first..first+count-1.
void copy_palette_entries(const uint8_t* source, int32_t first, int32_t count);
// Palettes here are whole: entry i of the display takes entry i of the palette.
void set_palette_6bit(const uint8_t* palette, int32_t first, int32_t count);
void read_palette_6bit(int32_t first, int32_t count, uint8_t* out);
// Software display only; levels step by `step` on a scale of 256.
void fade_palette(int32_t first, int32_t last, const uint8_t* target, int32_t step);
void fade_in_palette(int32_t first, int32_t last, const uint8_t* target);
void fade_out_palette(const uint8_t* palette);
void fade_palette_to(int32_t first, int32_t last, const uint8_t* palette, int32_t level);
void set_palette_level(int32_t first, int32_t last, const uint8_t* palette, int32_t level);
// Each set reaches the 8-bit display through set_ddpal; tests watch every
// palette set of a fade.
void set_palette_observer(void (*observer)(const PaletteEntry* entries));

// Tint: weight in bits 0-7, then the colour's third, second and first
// component in bits 8-15, 16-23 and 24-31.
extern uint32_t square_table[256];
uint8_t nearest_palette_colour(const uint8_t* target, const uint8_t* palette);
void build_shade_table(const uint8_t* palette, uint8_t* table, uint32_t tint);
// Five tables in a row: the tint, then lighter and darker edges.
void build_shade_tables(const uint8_t* palette, uint8_t* tables, uint32_t tint);
// On the 8-bit screen (one byte a pixel, rows screen.width apart), clipped to it.
void remap_screen_rect(int32_t x, const uint8_t* table, uint8_t* screen_base, int32_t y, int32_t width,
                       int32_t height);
void draw_bevel_panel(int32_t x, const uint8_t* tables, uint8_t* screen_base, int32_t y, int32_t width,
                      int32_t height, int32_t bevel);
