// Provisional: what the 3D display needs of neighbours that are not built
// yet (the foundation's main window and message pump, the 2D screen set-up,
// the match camera globals, the named texture manager). Each owner replaces
// these with the real thing and deletes the matching stand-in.
#pragma once

#include <cstdint>

struct SDL_Window;
class HostRenderDevice;

// Foundation (window and messages).
SDL_Window* host_create_main_window(const char* title, int width, int height, bool full_screen);
void host_destroy_main_window(SDL_Window* window);
void host_set_window_full_screen(SDL_Window* window, bool full_screen);
void host_post_quit();
// Takes every waiting window event and hands it to the display's window
// procedure; false once a quit message was taken.
bool host_dispatch_window_messages();
void set_main_window(SDL_Window* window);
void pump_messages();

// 2D screen set-up: the screen's centre line y.
int32_t screen_centre_y();

// Match camera globals: position (camera units), pitch and yaw (16384 to a
// turn) and the projection scale D = 240 / tan(fov / 2).
struct ProvisionalCameraGlobals {
    int32_t x, height, z;
    int32_t pitch, yaw;
    double projection_d;
};
ProvisionalCameraGlobals& camera_globals();

// Named texture manager.
uint32_t tex_invalidate_all();
uint32_t tex_restore_all(HostRenderDevice* device);
