// The main window: one SDL window holding the game's 640 x 480 picture.
// "Exclusive" display is a desktop-full-screen window; not exclusive (the NE
// switch) is a resizable window. The picture is scaled to fit with its 4:3
// shape kept; the 3D layer draws and presents on the window's OpenGL context.
#pragma once

#include <string>
#include "host/picture.h"

// The main window, as the rest of the game holds it (an opaque handle).
struct HostWindow;
struct HostRect {
    int x, y, w, h;
};


// Starts SDL's video. False, with the reason, when it cannot start, or when
// SDL fell back to a driver that shows nothing (offscreen, dummy) without
// SDL_VIDEODRIVER asking for it: no desktop session answered.
bool host_start_video(std::string* reason);

// Opens the window (asking for an OpenGL 3.3 core context) and posts the
// activate message a new window receives. nullptr when SDL cannot open one.
HostWindow* host_create_window(const char* title, bool exclusive);
HostWindow* host_window();
void host_destroy_window();
// Where the window's client area lies on the desktop (0, 0 for none).
void host_window_position(HostWindow* window, int* x, int* y);
// The window has the keyboard's focus.
bool host_window_has_focus(HostWindow* window);
void host_set_window_size(HostWindow* window, int width, int height);
// Desktop-full-screen or back to a window.
void host_set_window_full_screen(HostWindow* window, bool full_screen);
// Closes a window that is not the main one (the main one: host_destroy_window).
void host_close_window(HostWindow* window);
bool host_window_minimised();

// Where the 640 x 480 picture lies in the window's drawable area (pixels).
HostRect host_picture_rect();
// Converts between window (client) points and picture points.
void host_window_to_picture(int* x, int* y);
void host_picture_to_window(int* x, int* y);

// Clears the window to black and shows it: the stand-in picture before the
// 3D layer draws one.
void host_present_blank();

void host_show_cursor(bool show);

// Whether the video driver shows anything (not offscreen or dummy).
bool host_display_visible();
// A box of buttons over the window with the 3D context: the id of the one
// pressed, -1 when it was closed without one. Button 0 is the Enter default,
// button 1 the Escape one, also the answer when no box can be shown.
struct HostChoice {
    int id;
    const char* text;
};
int host_choice_box(const char* title, const char* text, const HostChoice* choices, int count);
// The mouse on the whole desktop, and keeping it while a button is held.
void host_global_mouse(int* x, int* y);
void host_capture_mouse(bool capture);
// The keyboard's shift and control keys as held now.
enum : int { HOST_MOD_SHIFT = 1, HOST_MOD_CTRL = 2 };
int host_key_modifiers();

// The screen saver, the monitor's standby and its switch-off. This host
// keeps the screen on as one: while any of the three is off, neither the
// saver nor the monitor's power saving starts.
bool host_screen_saver_enabled();
void host_set_screen_saver(bool enabled);
bool host_monitor_standby_enabled();
void host_set_monitor_standby(bool enabled);
bool host_monitor_switch_off_enabled();
void host_set_monitor_switch_off(bool enabled);
