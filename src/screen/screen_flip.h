// Presenting frames, the software display's surfaces and window, and the
// screen-saver switches. The message pump itself is a platform service.
#pragma once

#include "platform/message_pump.h"
#include "screen/surface.h"

#include <cstdint>

extern Surface* flip_surface;     // the surface that is flipped
extern Surface* window_surface;   // without page flipping: the desktop's surface
extern Surface* back_surface;     // the back buffer, where the frame is drawn
extern uint32_t ddraw_palette[256]; // the 8-bit display's palette, 0xRRGGBB
extern uint32_t display_palette_made;
extern int32_t back_buffer_index; // 1 or 2, toggled by every software flip
extern int32_t paint_offset_x, paint_offset_y;

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

// The screen saver, the monitor's standby and its switch-off: each one that
// is on is turned off and remembered; restore turns the remembered ones on.
void disable_screen_saver();
void restore_screen_saver();
[[noreturn]] void quit_program();

// The 8-bit software display (start-up never chooses it).
int32_t start_display(HostWindow* window, int32_t unused, int32_t show, int32_t width, int32_t height);
int32_t create_ddraw_surfaces();
void check_back_buffer_pitch();
void clear_screen_buffer();
void create_display_palette(int32_t choice);
void release_display_palette();
int32_t release_ddraw();
// After the program comes back to the front: the 3D device and its textures,
// or the flipped surface, as the display in use needs (the pump's restore hook).
void restore_display();
// The software display's window sees every message after the game's filter.
void set_software_window_filter(int32_t (*filter)(HostWindow* window, uint32_t message, uint32_t wparam,
                                                  uint32_t lparam));
// The software display's own window and its message handling. Besides the
// host's messages it takes its creation and its end, and a paint after every
// windowed flip (numbers clear of the host's).
constexpr uint32_t MAIN_WM_CREATE = 0x1001, MAIN_WM_DESTROY = 0x1002, MAIN_WM_PAINT = 0x100F;
// Windowed, with both surfaces: the picture (from paint_offset_x, _y of the
// flipped surface) copied to the window's place on the desktop's surface.
void paint_main_window();
int32_t create_main_window(HostWindow** out, void* instance);
int32_t main_window_proc(HostWindow* window, uint32_t message, uint32_t wparam, uint32_t lparam);
extern uint32_t window_recreating; // a window re-creation is under way
extern uint32_t repaint_requested;
void request_window_repaint();
HostWindow* note_foreground_window(HostWindow* window);
int32_t ddraw_init_failed(HostWindow* window);
