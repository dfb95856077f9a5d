// The 3D display as the rest of the game sees it: start-up from a display
// mode, the device's handles kept in globals, the per-frame present-and-clear
// service, the hook installers, transition helpers and two debug shapes.
#pragma once

#include <cstdint>

struct HostWindow;
class HostRenderDevice;

void start_3d_display(int32_t x, int32_t y, int32_t mode, uint32_t window_mode);
uint32_t refresh_display_info();
// Back to no display started (640 x 480, no window).
void reset_display_device();

HostWindow* display_window();
void* display_instance();
HostRenderDevice* display_3d_device();
// The picture screenshots save: the device's 640 x 480 picture.
HostRenderDevice* display_surface();
int32_t display_width();
int32_t display_height();
uint32_t get_hw_accel_flag();
uint32_t display_windowed();
uint32_t display_window_mode();

// The game's filter sees every window message first: 0 when it handled one.
void set_window_message_hook(int32_t (*fn)(HostWindow* window, uint32_t message, uint32_t wparam, uint32_t lparam));
void set_display_callback(void (*fn)());
void set_keyboard_callback(int32_t (*fn)(int32_t key, int32_t modifiers));
void set_idle_callback(void (*fn)());
void run_main_loop();
[[noreturn]] void close_display();

int32_t present_and_clear();
int32_t pump_gl_messages();
void set_default_perspective();

int32_t hw_transition_running();
void step_hw_transition();
void restore_transition_viewport();
void finish_hw_transition();

void draw_debug_triangle(const float* p0, const float* p1, const uint8_t* rgb);
void draw_debug_ribbon(const float* p0, const float* p1, const uint8_t* rgb, float width);
