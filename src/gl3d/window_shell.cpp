// The window shell over the host's main window.
#include "gl3d/window_shell.h"

#include "gl3d/d3d.h"
#include "gl3d/gl.h"
#include "host/process.h"
#include "host/window.h"
#include "platform/message_pump.h"


#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

int32_t g_client_x = 0, g_client_y = 0, g_client_width = 0, g_client_height = 0;
uint32_t g_default_position = 0;
HostWindow* g_window = nullptr;
gl_device* g_device = nullptr;
uint32_t g_option = 1;
bool g_paint_pending = false;

struct Callbacks {
    void (*spare)();
    GlwReshapeFunc reshape;
    GlwPaintFunc paint;
    GlwKeyboardFunc keyboard;
    GlwButtonFunc button_down;
    GlwButtonFunc button_up;
    GlwMotionFunc motion;
    GlwIdleFunc idle;
};
Callbacks g_callbacks{};

int32_t modifiers()
{
    int mod = host_key_modifiers();
    return ((mod & HOST_MOD_CTRL) ? 2 : 0) | ((mod & HOST_MOD_SHIFT) ? 1 : 0);
}

int32_t low_word(uint32_t v) { return static_cast<int16_t>(v & 0xFFFF); }
int32_t high_word(uint32_t v) { return static_cast<int16_t>(v >> 16); }

// The keys the keyboard callback hears, by set-1 scan code and extended flag.
struct ShellKey {
    uint8_t scan;
    bool extended;
    int32_t key;
};
const ShellKey k_shell_keys[] = {
    {0x1C, false, 13}, {0x01, false, 27}, {0x39, false, 32}, {0x4B, true, 37},
    {0x48, true, 38},  {0x4D, true, 39},  {0x50, true, 40},
};

int32_t shell_key(uint32_t lparam)
{
    uint8_t scan = static_cast<uint8_t>(lparam >> 16);
    bool extended = (lparam >> 24) & 1;
    for (const ShellKey& k : k_shell_keys)
        if (k.scan == scan && k.extended == extended) return k.key;
    return 0;
}

int shell_host_hook(const HostMessage& m) { return glw_window_proc(host_window(), m.id, m.wparam, m.lparam); }

// Resizes and minimising reach the shell straight from the window's events.
void window_events(const HostWindowEvent& e)
{
    if (!g_window) return;
    if (e.kind == HOST_WINDOW_RESIZED)
        glw_window_proc(g_window, GLW_WM_SIZE, 0, uint32_t(e.width & 0xFFFF) | uint32_t(e.height & 0xFFFF) << 16);
    else if (e.kind == HOST_WINDOW_MINIMISED)
        glw_window_proc(g_window, GLW_WM_SIZE, GLW_SIZE_MINIMIZED, 0);
}

void forget_window()
{
    if (g_window) {
        host_remove_window_listener(window_events);
        // Nothing may still own message boxes with a window that is gone.
        if (main_window == g_window) set_main_window(nullptr);
        host_destroy_window();
    }
    g_window = nullptr;
}

void free_device_context()
{
    if (!g_device) return;
    gl_destroy_device(g_device);
    g_device = nullptr;
}

// The device goes, then its window (a GL context must not outlive the window
// it was made on), then the exit hook runs.
[[noreturn]] void close_and_exit()
{
    free_device_context();
    forget_window();
    if (void (*hook)() = gl_exit_hook()) hook();
    host_exit(0);
}

void reshape_from_framework()
{
    if (!g_callbacks.reshape || !gl_current_device) return;
    if (d3d_framework* fw = d3d_current_framework()) {
        gl_current_device->width = fw->width;
        gl_current_device->height = fw->height;
    }
    g_callbacks.reshape(static_cast<int32_t>(gl_current_device->width), static_cast<int32_t>(gl_current_device->height));
}

void redisplay_if(int32_t result)
{
    if (result) glw_post_redisplay(g_window);
}

} // namespace

void glw_set_spare_func(void (*fn)()) { g_callbacks.spare = fn; }
void glw_set_reshape_func(GlwReshapeFunc fn) { g_callbacks.reshape = fn; }
void glw_set_callback_c(GlwPaintFunc fn) { g_callbacks.paint = fn; }
void glw_set_callback_d(GlwKeyboardFunc fn) { g_callbacks.keyboard = fn; }
void glw_set_button_down_func(GlwButtonFunc fn) { g_callbacks.button_down = fn; }
void glw_set_button_up_func(GlwButtonFunc fn) { g_callbacks.button_up = fn; }
void glw_set_motion_func(GlwMotionFunc fn) { g_callbacks.motion = fn; }
void glw_set_idle_func(GlwIdleFunc fn) { g_callbacks.idle = fn; }
GlwReshapeFunc glw_reshape_func() { return g_callbacks.reshape; }

void glw_init_window_position(int32_t x, int32_t y, int32_t width, int32_t height)
{
    g_default_position = x == GLW_DEFAULT_POSITION ? 1 : 0;
    if (g_default_position) x = y = 0;
    // The host's windows have no frame metrics of their own to add.
    g_client_x = x;
    g_client_y = y;
    g_client_width = width;
    g_client_height = height;
}

int glw_create_window(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t full_screen)
{
    glw_init_window_position(x, y, width, height);
    if (glw_register_and_create("KOB 99", full_screen)) return 1;
    // A display that cannot start is a failed run: code 1.
    free_device_context();
    forget_window();
    if (void (*hook)() = gl_exit_hook()) hook();
    host_exit(1);
}

int glw_register_and_create(const char* title, uint32_t full_screen)
{
    std::string reason;
    if (!host_start_video(&reason)) {
        glw_error_box("Failed to register window class\n%s\n", reason.c_str());
        return 0;
    }
    g_window = host_create_window(title, full_screen != 0);
    if (g_window) {
        host_add_window_listener(window_events);
        glw_install_message_hook();
        host_set_window_size(g_window, g_client_width, g_client_height);
    } else {
        glw_error_box("create window failed\n");
    }
    gl_create_and_bind(g_window, nullptr, static_cast<uint32_t>(g_client_width),
                       static_cast<uint32_t>(g_client_height), full_screen);
    return 1;
}

int glw_open_window(const char* title, uint32_t full_screen) { return glw_register_and_create(title, full_screen); }

void gl_create_and_bind(HostWindow* window, void* instance, uint32_t width, uint32_t height, uint32_t full_screen)
{
    g_device = gl_create_device(window, instance, width, height, full_screen);
    gl_make_current(g_device);
}

void glw_main_loop()
{
    for (;;) {
        HostMessage m;
        while (host_peek_message(&m)) {
            if (m.id == HOST_WM_QUIT) return;
            host_dispatch_message(m);
        }
        if (display_ready && display_active && g_callbacks.idle) {
            g_callbacks.idle();
            glw_post_redisplay(g_window);
        }
        if (g_paint_pending) glw_window_proc(g_window, GLW_WM_PAINT, 0, 0);
    }
}

void destroy_window_and_exit() { close_and_exit(); }

void glw_destroy_window()
{
    free_device_context();
    forget_window();
}

void destroy_window_if_any(HostWindow* window)
{
    if (!window) return;
    if (window == g_window) forget_window();
    else host_close_window(window);
}

void glw_install_message_hook() { host_set_message_hook(shell_host_hook); }

void glw_set_window_style(HostWindow* window, uint32_t full_screen)
{
    host_set_window_full_screen(window, full_screen != 0);
}

void glw_swap_buffers() { gl_swap_buffers(); }

void glw_post_redisplay(HostWindow*) { g_paint_pending = true; }

void glw_get_cursor_pos(int32_t* x, int32_t* y)
{
    int mx = 0, my = 0;
    host_global_mouse(&mx, &my);
    if (x) *x = mx - g_client_x;
    if (y) *y = my - g_client_y;
}

void glw_error_box(const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    host_message_box("Error", text, HOST_MB_OK, true);
}

void glw_set_option(uint32_t value) { g_option = value; }

HostWindow* glw_get_window() { return g_window; }
gl_device* glw_get_device() { return g_device; }

void glw_get_client(int32_t* x, int32_t* y, int32_t* width, int32_t* height)
{
    if (x) *x = g_client_x;
    if (y) *y = g_client_y;
    if (width) *width = g_client_width;
    if (height) *height = g_client_height;
}

int32_t glw_window_proc(HostWindow* window, uint32_t message, uint32_t wparam, uint32_t lparam)
{
    if (GlMessageHook hook = gl_message_hook())
        if (hook(window, message, wparam, lparam) == 0) return 0;

    switch (message) {
    case GLW_WM_DESTROY:
        g_callbacks = {};
        host_post_message(HostMessage{HOST_WM_QUIT, 1, 0});
        return 0;
    case GLW_WM_MOVE:
        g_client_x = low_word(lparam);
        g_client_y = high_word(lparam);
        return 0;
    case GLW_WM_SIZE:
        g_client_width = low_word(lparam);
        g_client_height = high_word(lparam);
        if (wparam != GLW_SIZE_MINIMIZED && wparam != GLW_SIZE_MAXHIDE) {
            display_ready = 1;
            if (display_active && d3d_windowed) {
                display_active = 0;
                d3d_rebuild(window);
                display_active = 1;
            }
            if (g_callbacks.reshape && gl_current_device) {
                reshape_from_framework();
                glw_post_redisplay(window);
            }
        }
        return 0;
    case GLW_WM_PAINT:
        g_paint_pending = false;
        if (g_callbacks.paint) g_callbacks.paint();
        return 0;
    case GLW_WM_CLOSE:
        // Only the shell's own window: without one the host's default follows.
        if (!g_window) return 1;
        close_and_exit();
    case GLW_WM_GETMINMAXINFO:
        if (g_callbacks.reshape && gl_current_device) {
            reshape_from_framework();
            glw_post_redisplay(window);
        }
        return 1;
    case GLW_WM_KEYDOWN:
        if (int32_t key = shell_key(lparam); key && g_callbacks.keyboard)
            redisplay_if(g_callbacks.keyboard(key, modifiers()));
        return 0;
    case GLW_WM_CHAR: {
        bool accepted = (wparam >= '0' && wparam <= '9') || (wparam >= 'a' && wparam <= 'z') || (wparam >= 'A' && wparam <= 'Z');
        if (accepted && g_callbacks.keyboard)
            redisplay_if(g_callbacks.keyboard(static_cast<int32_t>(wparam), modifiers()));
        return 0;
    }
    case GLW_WM_MOUSEMOVE:
        if (g_callbacks.motion) {
            int32_t buttons = ((wparam & GLW_MK_LBUTTON) ? 1 : 0) | ((wparam & GLW_MK_RBUTTON) ? 2 : 0) |
                              ((wparam & GLW_MK_MBUTTON) ? 4 : 0);
            redisplay_if(g_callbacks.motion(low_word(lparam), high_word(lparam), buttons));
        }
        return 0;
    case GLW_WM_LBUTTONDOWN: case GLW_WM_RBUTTONDOWN: case GLW_WM_MBUTTONDOWN:
    case GLW_WM_LBUTTONUP: case GLW_WM_RBUTTONUP: case GLW_WM_MBUTTONUP: {
        bool down = message == GLW_WM_LBUTTONDOWN || message == GLW_WM_RBUTTONDOWN || message == GLW_WM_MBUTTONDOWN;
        int32_t button = (message == GLW_WM_LBUTTONDOWN || message == GLW_WM_LBUTTONUP) ? 1
                       : (message == GLW_WM_RBUTTONDOWN || message == GLW_WM_RBUTTONUP) ? 2 : 4;
        host_capture_mouse(down);
        GlwButtonFunc fn = down ? g_callbacks.button_down : g_callbacks.button_up;
        if (fn) redisplay_if(fn(low_word(lparam), high_word(lparam), button));
        return 0;
    }
    case GLW_WM_QUERYNEWPALETTE: // the host has no palettes to realise
    case GLW_WM_PALETTECHANGED:
    case GLW_WM_USER: return 0;
    default: return 1;
    }
}
