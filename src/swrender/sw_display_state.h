// The software display's record: its display modes, its Direct3D drivers,
// the choice of driver and mode, the 8-bit palette on the primary surface,
// the device with its texture format and the viewport. What the machine
// offers (modes, drivers, texture formats, device kinds) comes through one
// table of services; tests install their own.
#pragma once

#include "screen/surface.h"

#include <cstdint>

constexpr int32_t SW_MAX_DRIVERS = 5;
constexpr int32_t SW_MAX_MODES = 50;
constexpr int32_t SW_MAX_TEXTURE_FORMATS = 50;
constexpr int32_t SW_MODE_MAX_WIDTH = 1024;
constexpr int32_t SW_MODE_MAX_HEIGHT = 768;

// Special indices of the choice.
constexpr int32_t SW_CHOOSE = -25;
constexpr int32_t SW_WINDOWED = -24;
constexpr int32_t SW_NONE_FOUND = -100;

// Bit depths as the drivers' depth masks hold them.
constexpr uint32_t DDBD_1 = 0x4000, DDBD_2 = 0x2000, DDBD_4 = 0x1000, DDBD_8 = 0x800, DDBD_16 = 0x400,
                   DDBD_24 = 0x200, DDBD_32 = 0x100;

constexpr uint32_t SW_COLOR_MODEL_MONO = 1, SW_COLOR_MODEL_RGB = 2;
constexpr uint32_t SW_PTEXTURECAPS_PERSPECTIVE = 1;

// Pixel format flags.
constexpr uint32_t SW_PF_ALPHAPIXELS = 0x1, SW_PF_PALETTEINDEXED4 = 0x8, SW_PF_PALETTEINDEXED8 = 0x20,
                   SW_PF_RGB = 0x40;

// A driver's device description (the parts the choice reads).
struct sw_device_desc {
    uint32_t colour_model;
    uint32_t tri_texture_caps;
    uint32_t render_bit_depths;
    uint32_t zbuffer_bit_depths;
};

struct sw_driver_record {
    char name[30];
    char description[50];
    sw_device_desc desc;
    uint8_t guid[16];
    int32_t is_hardware;
    int32_t perspective;
    int32_t can_depth_buffer;
    int32_t desktop_depth;
};

struct sw_mode_record {
    int32_t width, height, bits, renderable;
};

struct sw_pixel_format {
    uint32_t flags, bit_count, red_mask, green_mask, blue_mask, alpha_mask;
};

struct sw_texture_format_record {
    sw_pixel_format format;
    int32_t palettised;
    int32_t red_bits, blue_bits, green_bits;
    int32_t index_bits;
};

struct DisplayState {
    void* window;
    int32_t width, height;
    int32_t driver_count;
    int32_t current_driver;
    sw_driver_record drivers[SW_MAX_DRIVERS];
    sw_driver_record current_driver_copy;
    int32_t texture_format_count;
    int32_t chosen_texture_format;
    sw_texture_format_record texture_formats[SW_MAX_TEXTURE_FORMATS];
    int32_t windowed_rendering_allowed;
    int32_t back_buffer_in_video_memory;
    int32_t mode_count;
    int32_t chosen_mode;
    sw_mode_record modes[SW_MAX_MODES];
    sw_mode_record current_mode;
    int32_t desktop_depth;
    int32_t client_width, client_height;
    int32_t client_x, client_y;
    int32_t skip_hardware_drivers;
    int32_t device_ready;
    int32_t size_words[2];
};
extern DisplayState display_state;

// Beside the record.
extern sw_texture_format_record current_texture_format;
extern int32_t primary_surface_palettised;
extern int32_t palette_attached;
extern int32_t sw_viewport; // 0 none
extern uint8_t sw_palette_flags[256];

// What the machine offers. Callbacks return 1 to go on, 0 to stop.
using SwModeCallback = int32_t (*)(int32_t width, int32_t height, int32_t bits, void* context);
using SwDriverCallback = int32_t (*)(const uint8_t guid[16], const char* description, const char* name,
                                     const sw_device_desc& hardware, const sw_device_desc& emulation, void* context);
using SwTextureFormatCallback = int32_t (*)(const sw_pixel_format& format, void* context);
struct SwDisplayServices {
    void (*enum_modes)(SwModeCallback callback, void* context);
    void (*enum_drivers)(SwDriverCallback callback, void* context);
    void (*enum_texture_formats)(SwTextureFormatCallback callback, void* context);
    // kind 0 ramp, 1 RGB, 2 HAL: 1 when the device was made on the target.
    int32_t (*create_device)(int32_t kind, Surface* target);
    // The window's client area on the desktop.
    void (*client_area)(void* window, int32_t* x, int32_t* y, int32_t* width, int32_t* height);
};
// nullptr puts back the stand-in display's own.
void set_sw_display_services(const SwDisplayServices* services);

void reset_display_state(void* window, int32_t size_a, int32_t size_b);
int32_t enum_display_modes();
// Driver in/out and mode in/out take the special indices above.
int32_t enum_d3d_drivers(int32_t* driver, int32_t* mode);
int32_t attach_display_palette(Surface* surface);
int32_t create_d3d_device(Surface* render_target, int32_t driver_index);
int32_t create_d3d_viewport(int32_t width, int32_t height);
int32_t enum_texture_formats_again();
int32_t mark_renderable_modes(int32_t driver_index);
void refresh_client_area();

uint32_t depth_flag_of(int32_t bits);
int32_t choose_best_driver(uint32_t depth_mask);
int32_t choose_mode_for_driver(int32_t driver);
int32_t choose_driver_and_mode(int32_t* driver, int32_t* mode);

// The device on the back buffer with the current driver, its viewport made
// current; 1 once the device is ready.
int32_t start_d3d_device(Surface* back_buffer);
