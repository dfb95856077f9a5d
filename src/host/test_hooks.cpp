// The host's seams for tests that live outside the host: input, pads and
// windows made as the machine would make them, without SDL in the tests.
#include "host/host_test_hooks.h"

#include "host/host_sdl.h"
#include "host/keymap.h"

#include <cstring>
#include <vector>

namespace {

void route(HostTestRoute to, const SDL_Event& e)
{
    if (to & HOST_TO_DEVICES) host_input_event(e);
    if (to & HOST_TO_MESSAGES) host_translate_event(e);
}

uint32_t sdl_button_mask(uint32_t held)
{
    return ((held & HOST_MK_LBUTTON) ? SDL_BUTTON_LMASK : 0) | ((held & HOST_MK_RBUTTON) ? SDL_BUTTON_RMASK : 0) |
           ((held & HOST_MK_MBUTTON) ? SDL_BUTTON_MMASK : 0);
}

struct Pads {
    int base = -1;
    std::vector<SDL_Joystick*> open;
};
Pads g_pads;

} // namespace

void host_test_key(HostTestRoute to, uint8_t key_code, bool down, bool repeat)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = host_sdl_scancode(key_code);
    e.key.repeat = repeat ? 1 : 0;
    route(to, e);
}

void host_test_mouse_move(HostTestRoute to, int32_t x, int32_t y, int32_t dx, int32_t dy, uint32_t held)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x, e.motion.y = y, e.motion.xrel = dx, e.motion.yrel = dy;
    e.motion.state = sdl_button_mask(held);
    route(to, e);
}

void host_test_mouse_button(HostTestRoute to, HostTestButton button, bool down, int32_t x, int32_t y)
{
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.button = static_cast<uint8_t>(button);
    e.button.x = x, e.button.y = y;
    route(to, e);
}

void host_test_text(const char* text)
{
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    std::strncpy(e.text.text, text, sizeof e.text.text - 1);
    host_translate_event(e);
}

void host_test_window_exposed()
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_EXPOSED;
    host_translate_event(e);
}

void host_test_window_moved(int32_t x, int32_t y)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_MOVED;
    e.window.data1 = x, e.window.data2 = y;
    host_translate_event(e);
}

void host_test_set_key_modifiers(int modifiers)
{
    SDL_SetModState(static_cast<SDL_Keymod>(((modifiers & HOST_MOD_SHIFT) ? KMOD_LSHIFT : 0) |
                                            ((modifiers & HOST_MOD_CTRL) ? KMOD_LCTRL : 0)));
}

int host_test_pads_begin()
{
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return -1;
    g_pads.base = SDL_NumJoysticks();
    return g_pads.base;
}

HostTestPad* host_test_attach_pad(const char* name, int buttons, int hats)
{
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = 2;
    desc.nbuttons = static_cast<uint16_t>(buttons);
    desc.nhats = static_cast<uint16_t>(hats);
    desc.name = name;
    int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0) return nullptr;
    SDL_Joystick* pad = SDL_JoystickOpen(index);
    if (!pad) return nullptr;
    g_pads.open.push_back(pad);
    return reinterpret_cast<HostTestPad*>(pad);
}

void host_test_pad_axes(HostTestPad* pad, int16_t x, int16_t y)
{
    SDL_Joystick* j = reinterpret_cast<SDL_Joystick*>(pad);
    SDL_JoystickSetVirtualAxis(j, 0, x);
    SDL_JoystickSetVirtualAxis(j, 1, y);
}

void host_test_pad_hat(HostTestPad* pad, uint8_t hat)
{
    SDL_JoystickSetVirtualHat(reinterpret_cast<SDL_Joystick*>(pad), 0, hat);
}

void host_test_pad_button(HostTestPad* pad, int button, bool down)
{
    SDL_JoystickSetVirtualButton(reinterpret_cast<SDL_Joystick*>(pad), button, down ? 1 : 0);
}

void host_test_unplug_last_pad()
{
    if (g_pads.open.empty()) return;
    SDL_JoystickClose(g_pads.open.back());
    g_pads.open.pop_back();
    SDL_JoystickDetachVirtual(g_pads.base + static_cast<int>(g_pads.open.size()));
}

void host_test_pads_end()
{
    while (!g_pads.open.empty()) host_test_unplug_last_pad();
    if (g_pads.base >= 0) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    g_pads.base = -1;
}

HostWindow* host_test_hidden_window()
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    return as_host(SDL_CreateWindow("test", 0, 0, PICTURE_WIDTH, PICTURE_HEIGHT, SDL_WINDOW_HIDDEN));
}

void host_test_destroy_hidden_window(HostWindow* window)
{
    if (window) SDL_DestroyWindow(as_sdl(window));
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

bool host_test_window_full_screen(HostWindow* window)
{
    return window && (SDL_GetWindowFlags(as_sdl(window)) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
}

const char* host_test_last_error() { return SDL_GetError(); }
