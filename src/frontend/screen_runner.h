// The screen runner: every menu screen is a static description run modally by
// run_front_end_screen, which copies its icons into the active icon table,
// brings its background in, runs frames of input, icons and drawing until
// something puts a result into front_end_state, and takes it all away again.
// An overlay box (the message box) runs the same way from inside another
// screen's callback, on top of it.
#pragma once

#include "frontend/front_end_state.h"

#include <cstdint>

struct menu_icon;
struct Surface;

// Screen flags.
enum : uint16_t {
    SCREEN_POINTER = 0x01,
    SCREEN_TEXT = 0x02,
    SCREEN_SPRITES = 0x04,
    SCREEN_TITLE = 0x08,
    SCREEN_PICTURE = 0x10,
    SCREEN_OVERLAY = 0x20,
    SCREEN_MENU = 0x1F,
    SCREEN_BOX = 0x3F,
};

struct menu_screen_entry {
    uint8_t group; // bit 7: a scrolling list group
    const menu_icon* icon_template;
    int16_t x, y; // 640 x 480 units, or pixels with the template's ICON_PIXEL_POSITION
    menu_icon* copy; // while the screen is open
};

struct menu_screen {
    int16_t count;
    uint16_t flags;
    const char* const* pictures;      // [0] software (IFF), [1] hardware (image file)
    const char* const* next_pictures; // the software closing transition's picture
    int32_t transition_effect;        // software only; 0 none
    menu_screen_entry* focus_entry;
    ScreenFn on_open, on_close, on_frame;
    const char* title_text;
    int16_t title_x, title_y;
    uint8_t title_open_anim, title_close_anim;
    uint32_t title_time;
    uint8_t title_anim;
    menu_screen_entry* entries;
};

// A hardware background transition: tile grid and effect.
struct TransitionPair {
    int32_t grid, effect;
};
extern const TransitionPair open_transition_table[21];
extern const TransitionPair swap_transition_table[18];
extern const int32_t arrival_effect_table[3];

// The overlay box's backdrop rectangle and style, requested for the next box.
struct OverlayBackdrop {
    int32_t first, second, width, height;
    int32_t bevel_style;
    const uint8_t* shade_tables;
    uint8_t requested;
};
extern OverlayBackdrop overlay_backdrop;
extern int32_t overlay_texture; // -1 none

// List hooks of the control toolkit; cleared at every screen close.
extern ScreenFn list_scroll_up_hook, list_scroll_down_hook, list_page_up_hook, list_page_down_hook;
extern ScreenFn value_left_hook, value_right_hook;

// Navigation keys of this frame and the held-key repeat.
struct NavigationKeys {
    uint8_t keys, keys_new, last;
    int32_t repeat;
};
extern NavigationKeys nav_keys;

// The renderer index: 1 on the hardware path (the sprite layer's switch).
int32_t renderer_index();

void run_front_end_screen(menu_screen* screen);
void open_front_end_screen(menu_screen* screen);
void close_front_end_screen(menu_screen* screen);
void front_end_screen_input(menu_screen* screen);
menu_icon* focus_previous_icon(menu_screen* screen);
menu_icon* focus_next_icon(menu_screen* screen);
menu_icon* focus_previous_group(menu_screen* screen);
menu_icon* focus_next_group(menu_screen* screen);
menu_icon* first_focusable_icon(menu_screen* screen);
menu_icon* last_focusable_icon(menu_screen* screen);
void set_screen_parameters(int32_t first, int32_t second, int32_t width, int32_t height, int32_t bevel_style);
void set_overlay_texture_name(const char* name);
void free_next_screen_picture();
void draw_overlay_shade(intptr_t parameter, int16_t x, int16_t y, float value);

// The screen whose frame is running (null between screens).
menu_screen* screen_being_run();
// The last non-overlay screen opened.
menu_screen* parent_screen();

// A picture file at the display's size (std::free); a missing file is fatal.
uint32_t* load_display_picture(const char* path);
// An IFF picture at the screen's size (640 x 480, rows 640 bytes apart, cut
// or padded with 0) in a tracked block, and its colours as 6-bit triples. A
// missing or unreadable file is fatal.
uint8_t* load_screen_picture(const char* path, uint8_t palette[768]);

// The software path's screen-size 8-bit surfaces of the open screen: its
// picture, and the work copy the icons are drawn over.
struct ScreenSurfaces {
    Surface* background = nullptr;
    Surface* work = nullptr;
};
const ScreenSurfaces& screen_surfaces();
// The open screen's 16 translucency tables (4,096 bytes), or null.
const uint8_t* screen_alpha_table();
// The picture the closing transition runs to, once loaded, or null.
const uint8_t* next_screen_picture();

// Reads the mouse and keys into the icons' input for this frame.
void read_front_end_pointer();

// Tests: the runner's globals back to the start.
void reset_screen_runner();
