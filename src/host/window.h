// The main window: one SDL window holding the game's 640 x 480 picture.
// "Exclusive" display is a desktop-full-screen window; not exclusive (the NE
// switch) is a resizable window. The picture is scaled to fit with its 4:3
// shape kept; the 3D layer draws and presents on the window's OpenGL context.
#pragma once

#include <SDL.h>

#include <string>

constexpr int HOST_PICTURE_WIDTH = 640;
constexpr int HOST_PICTURE_HEIGHT = 480;

// Starts SDL's video. False, with the reason, when it cannot start, or when
// SDL fell back to a driver that shows nothing (offscreen, dummy) without
// SDL_VIDEODRIVER asking for it: no desktop session answered.
bool host_start_video(std::string* reason);

// Opens the window (asking for an OpenGL 3.3 core context) and posts the
// activate message a new window receives. nullptr when SDL cannot open one.
SDL_Window* host_create_window(const char* title, bool exclusive);
SDL_Window* host_window();
void host_destroy_window();
bool host_window_minimised();

// Where the 640 x 480 picture lies in the window's drawable area (pixels).
SDL_Rect host_picture_rect();
// Converts between window (client) points and picture points.
void host_window_to_picture(int* x, int* y);
void host_picture_to_window(int* x, int* y);

// Clears the window to black and shows it: the stand-in picture before the
// 3D layer draws one.
void host_present_blank();

void host_show_cursor(bool show);

// The screen saver (and with it the monitor's power saving).
bool host_screen_saver_enabled();
void host_set_screen_saver(bool enabled);
