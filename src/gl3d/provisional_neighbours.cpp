// Provisional stand-ins; see provisional_neighbours.h.
#include "gl3d/provisional_neighbours.h"

#include "gl3d/window_shell.h"
#include "host/process.h"
#include "host/render_device.h"

#include <SDL.h>

namespace {
SDL_Window* g_main_window = nullptr;
}

SDL_Window* host_create_main_window(const char* title, int width, int height, bool full_screen)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    host_keep_gl_library_loaded();
    uint32_t flags = SDL_WINDOW_OPENGL | (full_screen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE);
    return SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
}

void host_destroy_main_window(SDL_Window* window)
{
    if (window) SDL_DestroyWindow(window);
}

void host_set_window_full_screen(SDL_Window* window, bool full_screen)
{
    if (window) SDL_SetWindowFullscreen(window, full_screen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void host_post_quit()
{
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

bool host_dispatch_window_messages()
{
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        SDL_Window* window = glw_get_window();
        if (e.type == SDL_QUIT) return false;
        if (e.type == SDL_WINDOWEVENT) {
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) glw_window_proc(window, GLW_WM_CLOSE, 0, 0);
            else if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                glw_window_proc(window, GLW_WM_SIZE, 0, int64_t(e.window.data2) << 16 | (e.window.data1 & 0xFFFF));
            else if (e.window.event == SDL_WINDOWEVENT_MINIMIZED)
                glw_window_proc(window, GLW_WM_SIZE, GLW_SIZE_MINIMIZED, 0);
        } else if (e.type == SDL_KEYDOWN) {
            static const struct { SDL_Keycode key; uint32_t vk; } keys[] = {
                {SDLK_RETURN, 13}, {SDLK_ESCAPE, 27}, {SDLK_SPACE, 32}, {SDLK_LEFT, 37},
                {SDLK_UP, 38}, {SDLK_RIGHT, 39}, {SDLK_DOWN, 40}};
            for (const auto& k : keys)
                if (e.key.keysym.sym == k.key) glw_window_proc(window, GLW_WM_KEYDOWN, k.vk, 0);
        }
    }
    return true;
}

void set_main_window(SDL_Window* window) { g_main_window = window; }

void pump_messages()
{
    if (!host_dispatch_window_messages()) host_exit(1);
}

int32_t screen_centre_y() { return 240; }

ProvisionalCameraGlobals& camera_globals()
{
    static ProvisionalCameraGlobals globals{0, 0, 0, 0, 0, 579.4112549695428};
    return globals;
}

uint32_t tex_invalidate_all() { return 0; }
uint32_t tex_restore_all(HostRenderDevice*) { return 0; }
