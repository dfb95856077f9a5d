// The window shell: a thin, callback-driven layer over the host's main
// window in the manner of a GL utility toolkit. It opens the one window,
// binds the GL device to it, turns window messages into registered callbacks
// (reshape, paint, keyboard, mouse, idle) after offering each message to the
// game's message hook, and ends the process when the window is closed.
#pragma once

#include <cstdint>

struct SDL_Window;
struct gl_device;

// Window messages, with the numbers the game's message filter knows.
enum : uint32_t {
    GLW_WM_DESTROY = 0x0002, GLW_WM_MOVE = 0x0003, GLW_WM_SIZE = 0x0005, GLW_WM_ACTIVATE = 0x0006,
    GLW_WM_PAINT = 0x000F, GLW_WM_CLOSE = 0x0010, GLW_WM_GETMINMAXINFO = 0x0024,
    GLW_WM_KEYDOWN = 0x0100, GLW_WM_CHAR = 0x0102, GLW_WM_MOUSEMOVE = 0x0200,
    GLW_WM_LBUTTONDOWN = 0x0201, GLW_WM_LBUTTONUP = 0x0202, GLW_WM_RBUTTONDOWN = 0x0204,
    GLW_WM_RBUTTONUP = 0x0205, GLW_WM_MBUTTONDOWN = 0x0207, GLW_WM_MBUTTONUP = 0x0208,
    GLW_WM_QUERYNEWPALETTE = 0x030F, GLW_WM_PALETTECHANGED = 0x0311, GLW_WM_USER = 0x0400,
};
constexpr uint64_t GLW_SIZE_MINIMIZED = 1, GLW_SIZE_MAXHIDE = 4;
constexpr uint64_t GLW_MK_LBUTTON = 0x1, GLW_MK_RBUTTON = 0x2, GLW_MK_MBUTTON = 0x10;
constexpr int32_t GLW_DEFAULT_POSITION = static_cast<int32_t>(0x80000000u);

using GlwReshapeFunc = void (*)(int32_t width, int32_t height);
using GlwPaintFunc = void (*)();
using GlwKeyboardFunc = int32_t (*)(int32_t key, int32_t modifiers);
using GlwButtonFunc = int32_t (*)(int32_t x, int32_t y, int32_t button);
using GlwMotionFunc = int32_t (*)(int32_t x, int32_t y, int32_t buttons);
using GlwIdleFunc = void (*)();

void glw_set_spare_func(void (*fn)());
void glw_set_reshape_func(GlwReshapeFunc fn);
void glw_set_callback_c(GlwPaintFunc fn);
void glw_set_callback_d(GlwKeyboardFunc fn);
void glw_set_button_down_func(GlwButtonFunc fn);
void glw_set_button_up_func(GlwButtonFunc fn);
void glw_set_motion_func(GlwMotionFunc fn);
void glw_set_idle_func(GlwIdleFunc fn);
GlwReshapeFunc glw_reshape_func();

void glw_init_window_position(int32_t x, int32_t y, int32_t width, int32_t height);
int glw_create_window(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t full_screen);
int glw_register_and_create(const char* title, uint32_t full_screen);
int glw_open_window(const char* title, uint32_t full_screen);
void gl_create_and_bind(SDL_Window* window, void* instance, uint32_t width, uint32_t height, uint32_t full_screen);
void glw_main_loop();
[[noreturn]] void destroy_window_and_exit();
void glw_destroy_window();
void destroy_window_if_any(SDL_Window* window);
void glw_swap_buffers();
void glw_post_redisplay(SDL_Window* window);
void glw_get_cursor_pos(int32_t* x, int32_t* y);
void glw_error_box(const char* format, ...);
void glw_set_option(uint32_t value);

SDL_Window* glw_get_window();
gl_device* glw_get_device();
void glw_get_client(int32_t* x, int32_t* y, int32_t* width, int32_t* height);

int64_t glw_window_proc(SDL_Window* window, uint32_t message, uint64_t wparam, int64_t lparam);
