// The engine library's own window: a plain window that shows a 16-bit 5-6-5
// picture the library draws in memory, and the window messages it receives.
// Every call runs on the main thread.
#pragma once

#include <cstdint>

// Opens (or replaces) the window with a client area of the size given.
bool host_libwindow_open(int32_t width, int32_t height, bool fullscreen, const char* title);
void host_libwindow_close();
bool host_libwindow_isopen();
// Shows the picture, scaled to the client area.
void host_libwindow_present(const uint8_t* pixels, int32_t pitch, int32_t width, int32_t height);
// The client area on the screen; placing it moves and sizes the window.
void host_libwindow_place(int32_t x, int32_t y, int32_t width, int32_t height);
void host_libwindow_clientrect(int32_t* x, int32_t* y, int32_t* width, int32_t* height);
void host_libwindow_screensize(int32_t* width, int32_t* height);
void host_libwindow_show(bool show);
void host_libwindow_raise();
bool host_libwindow_minimised();
// Moves the pointer to a client point.
void host_libwindow_warp(int32_t x, int32_t y);
void host_libwindow_cursor(bool show);
// The screen saver (and with it the monitor's power saving).
bool host_libwindow_screensaver();
void host_libwindow_setscreensaver(bool on);

enum HostLibMessageKind : uint32_t {
    HOSTLIB_NONE,
    HOSTLIB_KEYDOWN, // lparam: repeat in bits 0-15, scan code 16-23, extended bit 24, Alt bit 29
    HOSTLIB_KEYUP,
    HOSTLIB_SYSKEYDOWN,
    HOSTLIB_SYSKEYUP,
    HOSTLIB_MOUSEMOVE, // lparam: x in bits 0-15, y in 16-31
    HOSTLIB_LBUTTONDOWN,
    HOSTLIB_LBUTTONUP,
    HOSTLIB_RBUTTONDOWN,
    HOSTLIB_RBUTTONUP,
    HOSTLIB_ACTIVATE, // wparam 1 active, 0 inactive
    HOSTLIB_CLOSE,
    HOSTLIB_PAINT,
    HOSTLIB_MOVE, // the window moved or changed size
    HOSTLIB_SIZE,
};
struct HostLibMessage {
    uint32_t kind, wparam, lparam;
};
// Reads the waiting window events; false when none is left.
bool host_libwindow_next_message(HostLibMessage* out);
