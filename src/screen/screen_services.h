// Small services shared by the 2D code and the front end: off-screen
// surfaces, screen points, colour matching, the text switches and two disk
// helpers.
#pragma once

#include "screen/surface.h"

#include <cstdint>

// Off-screen system-memory surface by format: 0 8-bit indexed; 1 and 3 16-bit
// 5-5-5; 2 16-bit 5-6-5; 4 24-bit; 5 32-bit. Returns its memory address.
uint8_t* create_surface(Surface** out, int32_t width, int32_t height, int32_t format);
// The display's own format (8-bit), with the given capabilities (0: off-screen, system memory).
uint8_t* create_plain_surface(Surface** out, int32_t width, int32_t height, uint32_t caps);
void release_surface(Surface* surface);
// The software path's sprite background: a screen-sized surface of the
// display's format holding the picture given (rows pitch bytes apart), made
// the background the sprite layer puts back under moved and dropped sprites.
Surface* make_sprite_background(const uint8_t* picture, int32_t pitch);
// Releases it; while none is set the sprite layer restores nothing.
void drop_sprite_background(Surface* background);
int32_t get_surface_width(Surface* surface); // bytes per row
uint8_t* get_surface_pointer(Surface* surface);
// The screen surfaces: on a 320-wide screen which != 0 takes the window
// surface and 0 the flip surface; otherwise 0 the back buffer and != 0 the flip surface.
uint8_t* lock_screen_surface(int32_t which);
void unlock_screen_surface(int32_t which, uint8_t* pixels);

// Between the game's 640 x 480 points and desktop points.
void game_to_screen_point(int32_t* x, int32_t* y);
void screen_to_game_point(int32_t* x, int32_t* y);

// A 0xRRGGBB colour as the surface's pixel value (-1: read pixel (0, 0)).
int32_t colour_match(Surface* surface, int32_t colour);
void build_palette_pixel_values(Surface* surface);
extern uint32_t palette_pixel_values[256];

// The size rounded up to whole clusters of the drive holding the directory
// (the current one for an empty name).
uint32_t cluster_file_size(uint32_t size, const char* drive);
// Network shares: none are offered here; 1 (a clean walk) with count 0.
int32_t enum_network_shares(char*** names, int32_t* count, void* container);

// The text drawing switches.
extern uint32_t text_proportional;
extern int32_t text_pen_x, text_pen_y;
void text_proportional_on();
void text_proportional_off();
void text_proportional_toggle();
void set_text_pen(int32_t x, int32_t y);
void set_text_pen_x(int32_t x);
void set_text_pen_y(int32_t y);

void nop_a();
void nop_b();
