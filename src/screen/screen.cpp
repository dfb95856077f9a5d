// Screen format, row tables, coordinate scaling and clip windows.
#include "screen/screen.h"
#include "screen/fonts.h"

#include "gl3d/sprite_queue.h"
#include "platform/fatal_error.h"

ScreenRecord screen;
ClipWindow clip_window[CLIP_WINDOW_COUNT];

namespace {

bool read_clip_window(int32_t window, ClipRect* out)
{
    if (window < 0 || window >= CLIP_WINDOW_COUNT) return false;
    const ClipWindow& w = clip_window[window];
    *out = ClipRect{w.left, w.top, w.right, w.bottom};
    return true;
}

// The sprite layer below reads the clip windows through this.
const bool clip_reader_installed = (set_clip_window_reader(read_clip_window), true);

} // namespace

const ScreenFormat screen_formats[SCREEN_FORMAT_COUNT] = {
    {8, 0, 0, 0},
    {16, 0x7C00, 0x03E0, 0x001F},
    {16, 0xF800, 0x07E0, 0x001F},
    {16, 0x7C00, 0x03E0, 0x001F},
    {24, 0xFF0000, 0x00FF00, 0x0000FF},
    {32, 0xFF0000, 0x00FF00, 0x0000FF},
};

int32_t init_screen_format(int32_t format, int32_t)
{
    screen.display_kind = 0;
    install_text_measure();
    if (format < 0 || format >= SCREEN_FORMAT_COUNT)
        fatal_error_sub(FATAL_DIRECTX, static_cast<uint32_t>(format), "Unknown screen format", 0);
    const ScreenFormat& f = screen_formats[format];
    screen.bits_per_pixel = f.bits;
    screen.red_mask = f.red_mask;
    screen.green_mask = f.green_mask;
    screen.blue_mask = f.blue_mask;
    screen.pixel_format = ScreenPixelFormat{sizeof(ScreenPixelFormat),
                                      f.bits == 8 ? PIXEL_FORMAT_PALETTE_INDEXED8 | PIXEL_FORMAT_RGB : PIXEL_FORMAT_RGB,
                                      0,
                                      f.bits,
                                      f.red_mask,
                                      f.green_mask,
                                      f.blue_mask,
                                      0};
    screen.width = SCREEN_WIDTH;
    screen.height = SCREEN_HEIGHT;
    screen.pixel_count = SCREEN_WIDTH * SCREEN_HEIGHT;
    screen.half_height = SCREEN_HEIGHT / 2;
    screen.height_fixed = SCREEN_HEIGHT << 16;
    screen.display_buffer = 2;
    const uint32_t bytes_per_pixel = f.bits / 8;
    for (uint32_t i = 0; i < SCREEN_HEIGHT; ++i) screen.picture_row_offsets[i] = i * SCREEN_WIDTH * bytes_per_pixel;
    set_screen_pitch(static_cast<int32_t>(SCREEN_WIDTH * bytes_per_pixel));
    reset_sprite_queues();
    clip_window[0] = ClipWindow{0, static_cast<uint16_t>(SCREEN_WIDTH), 0, static_cast<uint16_t>(SCREEN_HEIGHT)};
    return 1;
}

void set_screen_display_kind(int32_t kind) { screen.display_kind = static_cast<uint32_t>(kind); }

void set_screen_pitch(int32_t pitch)
{
    screen.pitch = static_cast<uint32_t>(pitch);
    for (uint32_t i = 0; i < SCREEN_HEIGHT; ++i) screen.screen_row_offsets[i] = i * screen.pitch;
}

int32_t screen_pitch() { return static_cast<int32_t>(screen.pitch); }

int32_t scale_x_from_640(int32_t x) { return static_cast<int32_t>(int64_t{x} * screen.width / 640); }

int32_t scale_y_from_480(int32_t y) { return static_cast<int32_t>(int64_t{y} * screen.height / 480); }

void set_clip_window(int32_t window, uint16_t top, uint16_t left, uint16_t bottom, uint16_t right)
{
    if (window < 0 || window >= CLIP_WINDOW_COUNT) return;
    clip_window[window] = ClipWindow{left, right, top, bottom};
}

void get_clip_window(int32_t window, uint16_t* top, uint16_t* left, uint16_t* bottom, uint16_t* right)
{
    ClipWindow w{0, 0, 0, 0};
    if (window >= 0 && window < CLIP_WINDOW_COUNT) w = clip_window[window];
    *top = w.top;
    *left = w.left;
    *bottom = w.bottom;
    *right = w.right;
}
