#include "host/libwindow.h"

#include "host/events.h"
#include "host/host_sdl.h"

#include <SDL.h>

#include <deque>

namespace {

SDL_Window* g_window = nullptr;
SDL_Renderer* g_renderer = nullptr;
SDL_Texture* g_texture = nullptr;
int g_texture_w = 0, g_texture_h = 0;
std::deque<HostLibMessage> g_own; // what the game's message set has no word for

// Moves and size changes of the library's window.
void listen(const SDL_Event& e)
{
    if (e.type != SDL_WINDOWEVENT || !g_window || e.window.windowID != SDL_GetWindowID(g_window)) return;
    if (e.window.event == SDL_WINDOWEVENT_MOVED) g_own.push_back(HostLibMessage{HOSTLIB_MOVE, 0, 0});
    if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) g_own.push_back(HostLibMessage{HOSTLIB_SIZE, 0, 0});
}

void drop()
{
    host_remove_event_listener(listen);
    g_own.clear();
    if (g_texture) SDL_DestroyTexture(g_texture);
    if (g_renderer) SDL_DestroyRenderer(g_renderer);
    if (g_window) SDL_DestroyWindow(g_window);
    g_texture = nullptr;
    g_renderer = nullptr;
    g_window = nullptr;
    g_texture_w = g_texture_h = 0;
}

} // namespace

bool host_libwindow_open(int32_t width, int32_t height, bool fullscreen, const char* title)
{
    drop();
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
    // Some video drivers draw windows through GL: keep its library loaded to
    // the end of the process, so nothing it still holds is unmapped.
    static bool gl_loaded = SDL_GL_LoadLibrary(nullptr) == 0;
    (void)gl_loaded;
    Uint32 flags = fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
    g_window = SDL_CreateWindow(title ? title : "", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
    if (!g_window) return false;
    g_renderer = SDL_CreateRenderer(g_window, -1, SDL_RENDERER_SOFTWARE);
    host_add_event_listener(listen);
    return true;
}

void host_libwindow_close() { drop(); }
bool host_libwindow_isopen() { return g_window != nullptr; }

void host_libwindow_present(const uint8_t* pixels, int32_t pitch, int32_t width, int32_t height)
{
    if (!g_renderer || !pixels || width <= 0 || height <= 0) return;
    if (!g_texture || g_texture_w != width || g_texture_h != height) {
        if (g_texture) SDL_DestroyTexture(g_texture);
        g_texture = SDL_CreateTexture(g_renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width, height);
        g_texture_w = width;
        g_texture_h = height;
        if (!g_texture) return;
    }
    SDL_UpdateTexture(g_texture, nullptr, pixels, pitch);
    SDL_RenderClear(g_renderer);
    SDL_RenderCopy(g_renderer, g_texture, nullptr, nullptr);
    SDL_RenderPresent(g_renderer);
    host_clock_frame_shown();
}

void host_libwindow_place(int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (!g_window) return;
    SDL_SetWindowSize(g_window, width, height);
    SDL_SetWindowPosition(g_window, x, y);
}

void host_libwindow_clientrect(int32_t* x, int32_t* y, int32_t* width, int32_t* height)
{
    int px = 0, py = 0, w = 0, h = 0;
    if (g_window) {
        SDL_GetWindowPosition(g_window, &px, &py);
        SDL_GetWindowSize(g_window, &w, &h);
    }
    if (x) *x = px;
    if (y) *y = py;
    if (width) *width = w;
    if (height) *height = h;
}

void host_libwindow_screensize(int32_t* width, int32_t* height)
{
    SDL_DisplayMode mode{};
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDesktopDisplayMode(0, &mode) != 0) mode.w = 640, mode.h = 480;
    if (width) *width = mode.w;
    if (height) *height = mode.h;
}

void host_libwindow_show(bool show)
{
    if (!g_window) return;
    if (show) SDL_ShowWindow(g_window);
    else SDL_HideWindow(g_window);
}

void host_libwindow_raise()
{
    if (g_window) SDL_RaiseWindow(g_window);
}

bool host_libwindow_minimised() { return g_window && (SDL_GetWindowFlags(g_window) & SDL_WINDOW_MINIMIZED) != 0; }

void host_libwindow_warp(int32_t x, int32_t y)
{
    if (g_window) SDL_WarpMouseInWindow(g_window, x, y);
}

void host_libwindow_cursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

bool host_libwindow_screensaver() { return SDL_IsScreenSaverEnabled() == SDL_TRUE; }

void host_libwindow_setscreensaver(bool on)
{
    if (on) SDL_EnableScreenSaver();
    else SDL_DisableScreenSaver();
}

bool host_libwindow_next_message(HostLibMessage* out)
{
    static const struct {
        uint32_t host, kind;
    } kinds[] = {
        {HOST_WM_KEYDOWN, HOSTLIB_KEYDOWN},         {HOST_WM_KEYUP, HOSTLIB_KEYUP},
        {HOST_WM_SYSKEYDOWN, HOSTLIB_SYSKEYDOWN},   {HOST_WM_SYSKEYUP, HOSTLIB_SYSKEYUP},
        {HOST_WM_MOUSEMOVE, HOSTLIB_MOUSEMOVE},     {HOST_WM_LBUTTONDOWN, HOSTLIB_LBUTTONDOWN},
        {HOST_WM_LBUTTONUP, HOSTLIB_LBUTTONUP},     {HOST_WM_RBUTTONDOWN, HOSTLIB_RBUTTONDOWN},
        {HOST_WM_RBUTTONUP, HOSTLIB_RBUTTONUP},     {HOST_WM_ACTIVATE, HOSTLIB_ACTIVATE},
        {HOST_WM_CLOSE, HOSTLIB_CLOSE},             {HOST_WM_ERASEBKGND, HOSTLIB_PAINT},
    };
    auto own = [out] {
        if (g_own.empty()) return false;
        *out = g_own.front();
        g_own.pop_front();
        return true;
    };
    if (own()) return true;
    HostMessage m{};
    while (host_peek_message(&m)) {
        for (const auto& row : kinds)
            if (row.host == m.id) {
                uint32_t wparam = m.id == HOST_WM_ACTIVATE ? (m.wparam & 0xFFFF ? 1u : 0u) : m.wparam;
                *out = HostLibMessage{row.kind, wparam, m.lparam};
                return true;
            }
    }
    if (own()) return true;
    return false;
}
