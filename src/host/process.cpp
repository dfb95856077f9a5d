#include "host/process.h"
#include "host/host_test_hooks.h"

#include "host/window.h"
#include "host/host_sdl.h"

#include <SDL.h>

#include <spawn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {
void (*g_exit_hook)(int) = nullptr;
}

void host_set_exit_hook(void (*hook)(int)) { g_exit_hook = hook; }

void host_exit(int code)
{
    if (g_exit_hook) g_exit_hook(code);
    std::fflush(nullptr);
    std::exit(code);
}

void host_exit_now(int code)
{
    if (g_exit_hook) g_exit_hook(code);
    std::fflush(nullptr);
    std::_Exit(code);
}

extern char** environ;

bool host_start_program(const std::string& path)
{
    if (::access(path.c_str(), X_OK) != 0) return false;
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    return posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) == 0;
}

namespace {
// No display to show a box on: the text goes to stderr only.
bool no_display()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) driver = std::getenv("SDL_VIDEODRIVER");
    if (driver) return SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return !(x11 && *x11) && !(wayland && *wayland);
}
} // namespace

int host_message_box(const char* title, const char* text, HostMessageBoxKind kind, bool error_icon)
{
    struct Choice {
        int answer;
        const char* label;
    };
    static const Choice ok[] = {{HOST_ANSWER_OK, "OK"}};
    static const Choice ok_cancel[] = {{HOST_ANSWER_OK, "OK"}, {HOST_ANSWER_CANCEL, "Cancel"}};
    static const Choice yes_no[] = {{HOST_ANSWER_YES, "Yes"}, {HOST_ANSWER_NO, "No"}};
    static const Choice yes_no_cancel[] = {
        {HOST_ANSWER_YES, "Yes"}, {HOST_ANSWER_NO, "No"}, {HOST_ANSWER_CANCEL, "Cancel"}};
    static const Choice retry_cancel[] = {{HOST_ANSWER_RETRY, "Retry"}, {HOST_ANSWER_CANCEL, "Cancel"}};
    const Choice* choices = ok;
    int count = 1;
    switch (kind) {
    case HOST_MB_OK: break;
    case HOST_MB_OK_CANCEL: choices = ok_cancel, count = 2; break;
    case HOST_MB_YES_NO: choices = yes_no, count = 2; break;
    case HOST_MB_YES_NO_CANCEL: choices = yes_no_cancel, count = 3; break;
    case HOST_MB_RETRY_CANCEL: choices = retry_cancel, count = 2; break;
    }

    std::fprintf(stderr, "[%s] %s\n", title ? title : "", text ? text : "");
    if (no_display()) return choices[0].answer;

    SDL_MessageBoxButtonData buttons[3];
    for (int i = 0; i < count; ++i) {
        buttons[i].flags = i == 0 ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0;
        if (choices[i].answer == HOST_ANSWER_CANCEL || (count == 2 && i == 1))
            buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        buttons[i].buttonid = choices[i].answer;
        buttons[i].text = choices[i].label;
    }
    SDL_MessageBoxData data{};
    data.flags = error_icon ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    data.window = as_sdl(host_window());
    data.title = title;
    data.message = text;
    data.numbuttons = count;
    data.buttons = buttons;
    int answer = choices[0].answer;
    if (SDL_ShowMessageBox(&data, &answer) != 0) return choices[0].answer;
    return answer;
}

bool host_init() { return SDL_Init(0) == 0; }
