#include "host/window.h"

#include "host/events.h"
#include "host/host_sdl.h"

#include <SDL_opengl.h>

#include <cstdlib>
#include <string>

namespace {

SDL_Window* g_window = nullptr;
bool g_screen_saver_on = true;

bool video_up() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

} // namespace

bool host_start_video(std::string* reason)
{
    if (video_up()) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        *reason = SDL_GetError();
        return false;
    }
    // SDL falls back to drivers that show nothing when no desktop answers; a
    // run nobody asked to be invisible would never be seen to end.
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    const char* driver = SDL_GetCurrentVideoDriver();
    if ((!asked || !*asked) && driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        *reason = "No display was found: the game needs a desktop session (X11 or Wayland). "
                  "To run it without one, set SDL_VIDEODRIVER=offscreen.";
        return false;
    }
    return true;
}

HostWindow* host_create_window(const char* title, bool exclusive)
{
    if (g_window) return as_host(g_window);
    // The game decides for itself what closing the window means.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    std::string reason;
    if (!host_start_video(&reason)) return nullptr;

    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);

    // Keep the GL library loaded to the end of the process, so nothing it
    // still holds is unmapped when the window goes.
    static bool gl_loaded = SDL_GL_LoadLibrary(nullptr) == 0;
    (void)gl_loaded;

    Uint32 flags = SDL_WINDOW_OPENGL | (exclusive ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE);
    g_window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, PICTURE_WIDTH,
                                PICTURE_HEIGHT, flags);
    if (!g_window) return nullptr;
    SDL_SetWindowMinimumSize(g_window, PICTURE_WIDTH / 4, PICTURE_HEIGHT / 4);
    // A window that opens is the active one; the game waits for this.
    host_post_message(HostMessage{HOST_WM_ACTIVATE, 1, 0});
    return as_host(g_window);
}

HostWindow* host_window() { return as_host(g_window); }

void host_destroy_window()
{
    if (!g_window) return;
    SDL_DestroyWindow(g_window);
    g_window = nullptr;
}

bool host_window_minimised() { return g_window && (SDL_GetWindowFlags(g_window) & SDL_WINDOW_MINIMIZED) != 0; }

HostRect host_picture_rect()
{
    int w = PICTURE_WIDTH, h = PICTURE_HEIGHT;
    if (g_window) {
        if (SDL_GetWindowFlags(g_window) & SDL_WINDOW_OPENGL)
            SDL_GL_GetDrawableSize(g_window, &w, &h);
        else
            SDL_GetWindowSize(g_window, &w, &h);
    }
    if (w <= 0 || h <= 0) return HostRect{0, 0, PICTURE_WIDTH, PICTURE_HEIGHT};
    // Largest 4:3 rectangle that fits, centred.
    int ph = w * 3 / 4 < h ? w * 3 / 4 : h;
    ph -= ph % 3;
    int pw = ph * 4 / 3;
    return HostRect{(w - pw) / 2, (h - ph) / 2, pw, ph};
}

namespace {
// Drawable pixels per window point (more than 1 on high-density screens).
void drawable_scale(double* sx, double* sy)
{
    *sx = *sy = 1.0;
    if (!g_window || !(SDL_GetWindowFlags(g_window) & SDL_WINDOW_OPENGL)) return;
    int ww = 0, wh = 0, dw = 0, dh = 0;
    SDL_GetWindowSize(g_window, &ww, &wh);
    SDL_GL_GetDrawableSize(g_window, &dw, &dh);
    if (ww > 0 && wh > 0 && dw > 0 && dh > 0) *sx = double(dw) / ww, *sy = double(dh) / wh;
}
} // namespace

void host_window_to_picture(int* x, int* y)
{
    HostRect r = host_picture_rect();
    double sx, sy;
    drawable_scale(&sx, &sy);
    *x = int((*x * sx - r.x) * PICTURE_WIDTH / r.w);
    *y = int((*y * sy - r.y) * PICTURE_HEIGHT / r.h);
}

void host_picture_to_window(int* x, int* y)
{
    HostRect r = host_picture_rect();
    double sx, sy;
    drawable_scale(&sx, &sy);
    *x = int((r.x + double(*x) * r.w / PICTURE_WIDTH) / sx);
    *y = int((r.y + double(*y) * r.h / PICTURE_HEIGHT) / sy);
}

void host_present_blank()
{
    if (!g_window || !SDL_GL_GetCurrentContext()) return;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(g_window, &w, &h);
    glViewport(0, 0, w, h);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(g_window);
    host_clock_frame_shown();
}

void host_show_cursor(bool show)
{
    if (video_up()) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

namespace {
bool g_standby_on = true;
bool g_switch_off_on = true;

void keep_screen_on()
{
    if (!video_up()) return;
    if (g_screen_saver_on && g_standby_on && g_switch_off_on)
        SDL_EnableScreenSaver();
    else
        SDL_DisableScreenSaver();
}
} // namespace

bool host_screen_saver_enabled() { return video_up() ? SDL_IsScreenSaverEnabled() == SDL_TRUE : g_screen_saver_on; }

void host_set_screen_saver(bool enabled)
{
    g_screen_saver_on = enabled;
    keep_screen_on();
}

bool host_monitor_standby_enabled() { return g_standby_on; }

void host_set_monitor_standby(bool enabled)
{
    g_standby_on = enabled;
    keep_screen_on();
}

bool host_monitor_switch_off_enabled() { return g_switch_off_on; }

void host_set_monitor_switch_off(bool enabled)
{
    g_switch_off_on = enabled;
    keep_screen_on();
}

void host_window_position(HostWindow* window, int* x, int* y)
{
    *x = *y = 0;
    if (window) SDL_GetWindowPosition(as_sdl(window), x, y);
}

bool host_window_has_focus(HostWindow* window)
{
    return window && (SDL_GetWindowFlags(as_sdl(window)) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void host_set_window_size(HostWindow* window, int width, int height)
{
    if (window) SDL_SetWindowSize(as_sdl(window), width, height);
}

void host_set_window_full_screen(HostWindow* window, bool full_screen)
{
    if (window) SDL_SetWindowFullscreen(as_sdl(window), full_screen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void host_close_window(HostWindow* window)
{
    if (window) SDL_DestroyWindow(as_sdl(window));
}

void host_global_mouse(int* x, int* y) { SDL_GetGlobalMouseState(x, y); }

void host_capture_mouse(bool capture) { SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE); }

int host_key_modifiers()
{
    SDL_Keymod mod = SDL_GetModState();
    return ((mod & KMOD_CTRL) ? HOST_MOD_CTRL : 0) | ((mod & KMOD_SHIFT) ? HOST_MOD_SHIFT : 0);
}

bool host_display_visible()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && SDL_strcmp(driver, "offscreen") != 0 && SDL_strcmp(driver, "dummy") != 0;
}

int host_choice_box(const char* title, const char* text, const HostChoice* choices, int count)
{
    SDL_MessageBoxButtonData buttons[8];
    if (count > 8) count = 8;
    for (int i = 0; i < count; ++i) {
        Uint32 flags = i == 0 ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT
                     : i == 1 ? SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT : 0;
        buttons[i] = {flags, choices[i].id, choices[i].text};
    }
    SDL_MessageBoxData data{};
    data.flags = SDL_MESSAGEBOX_INFORMATION;
    data.window = SDL_GL_GetCurrentWindow();
    data.title = title;
    data.message = text;
    data.numbuttons = count;
    data.buttons = buttons;
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) return count > 1 ? choices[1].id : -1;
    return pressed;
}
