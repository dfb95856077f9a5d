// The message pump, presenting frames, the software display's surfaces and
// the screen-saver switches.
#pragma once

#include "screen/surface.h"

#include <SDL.h>

#include <cstdint>

extern SDL_Window* main_window;   // owns message boxes and receives CD notices
extern Surface* flip_surface;     // the surface that is flipped
extern Surface* window_surface;   // without page flipping: the desktop's surface
extern Surface* back_surface;     // the back buffer, where the frame is drawn
extern uint32_t ddraw_palette[256]; // the 8-bit display's palette, 0xRRGGBB
extern uint32_t display_palette_made;
extern int32_t back_buffer_index; // 1 or 2, toggled by every software flip
extern uint32_t screen_needs_redraw;
extern uint32_t music_paused;
extern uint32_t restore_pending;
extern int32_t paint_offset_x, paint_offset_y;

// Handles every waiting message; a quit message ends the process with code 1.
// While the program is inactive or minimised it waits here.
void pump_messages();
// Presents the frame and pumps messages.
int32_t flip_screen();

void blit(Surface* source, Surface* destination, const SurfaceRect* source_rect, const SurfaceRect* dest_rect);
// Locks the whole surface: its pixels, and its bytes per row in pitch.
uint8_t* lock_surface(Surface* surface, int32_t* pitch, void* unused_description);
void unlock_surface(Surface* surface, void* pixels);
void copy_to_surface(const uint8_t* image, Surface* surface, int32_t width, int32_t height);
void copy_to_vram(Surface* source, Surface* destination);
// Copies the paint rectangle through a colour translation table.
void copy_rect_translated(Surface* source, Surface* destination, const uint8_t translation[256]);
// The program's palette (6-bit triples) onto the display palette.
void set_ddpal();
void wait_vertical_blank_end();
void set_main_window(SDL_Window* window);

void disable_screen_saver();
void restore_screen_saver();
[[noreturn]] void quit_program();

// The 8-bit software display (start-up never chooses it).
int32_t start_display(SDL_Window* window, int32_t unused, int32_t show, int32_t width, int32_t height);
int32_t create_ddraw_surfaces();
void check_back_buffer_pitch();
void clear_screen_buffer();
void create_display_palette(int32_t choice);
void release_display_palette();
int32_t release_ddraw();
void reinit_3d_framework();
// The software display's own window and its message handling.
int32_t create_main_window(SDL_Window** out, void* instance);
int32_t main_window_proc(SDL_Window* window, uint32_t message, uint32_t wparam, uint32_t lparam);
extern uint32_t window_recreating; // a window re-creation is under way
extern uint32_t repaint_requested;
void request_window_repaint();
SDL_Window* note_foreground_window(SDL_Window* window);
int32_t ddraw_init_failed(SDL_Window* window);
