// The window shell: a thin, callback-driven layer over the host's main
// window in the manner of a GL utility toolkit. It opens the one window,
// binds the GL device to it, turns window messages into registered callbacks
// (reshape, paint, keyboard, mouse, idle) after offering each message to the
// game's message hook, and ends the process when the window is closed.
#pragma once

#include "host/events.h"

#include <cstdint>

struct HostWindow;
struct gl_device;

// Window messages: the host's own numbers for everything the host sends, and
// numbers clear of the host's for those only the shell deals in.
enum : uint32_t {
    GLW_WM_ACTIVATE = HOST_WM_ACTIVATE, GLW_WM_KEYDOWN = HOST_WM_KEYDOWN, GLW_WM_MOUSEMOVE = HOST_WM_MOUSEMOVE,
    GLW_WM_CLOSE = HOST_WM_CLOSE, GLW_WM_MOVE = HOST_WM_MOVE, GLW_WM_CHAR = HOST_WM_CHAR,
    GLW_WM_LBUTTONDOWN = HOST_WM_LBUTTONDOWN, GLW_WM_LBUTTONUP = HOST_WM_LBUTTONUP,
    GLW_WM_RBUTTONDOWN = HOST_WM_RBUTTONDOWN, GLW_WM_RBUTTONUP = HOST_WM_RBUTTONUP,
    GLW_WM_MBUTTONDOWN = HOST_WM_MBUTTONDOWN, GLW_WM_MBUTTONUP = HOST_WM_MBUTTONUP,
    GLW_WM_DESTROY = 0x1002, GLW_WM_SIZE = 0x1005, GLW_WM_PAINT = 0x100F, GLW_WM_GETMINMAXINFO = 0x1024,
    GLW_WM_QUERYNEWPALETTE = 0x130F, GLW_WM_PALETTECHANGED = 0x1311, GLW_WM_USER = 0x1400,
};
constexpr uint32_t GLW_SIZE_MINIMIZED = 1, GLW_SIZE_MAXHIDE = 4;
constexpr uint32_t GLW_MK_LBUTTON = HOST_MK_LBUTTON, GLW_MK_RBUTTON = HOST_MK_RBUTTON, GLW_MK_MBUTTON = HOST_MK_MBUTTON;
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
void gl_create_and_bind(HostWindow* window, void* instance, uint32_t width, uint32_t height, uint32_t full_screen);
void glw_main_loop();
[[noreturn]] void destroy_window_and_exit();
void glw_destroy_window();
void destroy_window_if_any(HostWindow* window);
void glw_swap_buffers();
void glw_post_redisplay(HostWindow* window);
void glw_get_cursor_pos(int32_t* x, int32_t* y);
void glw_error_box(const char* format, ...);
void glw_set_option(uint32_t value);

HostWindow* glw_get_window();
gl_device* glw_get_device();
void glw_get_client(int32_t* x, int32_t* y, int32_t* width, int32_t* height);

// The shell's window procedure: the game's message hook first, then the
// shell's own handling. 1 lets the host's default handling follow, 0 not.
int32_t glw_window_proc(HostWindow* window, uint32_t message, uint32_t wparam, uint32_t lparam);
// Sends the host's messages through the window procedure.
void glw_install_message_hook();
// Full screen or a framed window.
void glw_set_window_style(HostWindow* window, uint32_t full_screen);
