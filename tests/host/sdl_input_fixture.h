// Scripted input for the host's own tests: SDL key and mouse events fed to
// the host's listener, SDL virtual joysticks as pads, an injected clock.
#pragma once

#include "host/clock.h"
#include "host/host_input.h"
#include "host/host_sdl.h"
#include "host/host_test_hooks.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sdl_input_test {

inline uint32_t g_now;
inline uint32_t test_clock() { return g_now; }

inline void key(SDL_Scancode scancode, bool down, bool repeat = false)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.scancode = scancode;
    e.key.repeat = repeat ? 1 : 0;
    host_input_event(e);
}
inline void press(SDL_Scancode s) { key(s, true); }
inline void release(SDL_Scancode s) { key(s, false); }

inline void mouse_move(int32_t x, int32_t y, int32_t xrel, int32_t yrel)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x, e.motion.y = y, e.motion.xrel = xrel, e.motion.yrel = yrel;
    host_input_event(e);
}

inline void mouse_button(uint8_t button, bool down)
{
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = button;
    host_input_event(e);
}

// Pads attached before a device is made, so that enumeration finds them.
class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_now = 10000;
        host_set_clock(test_clock);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        base_joysticks = SDL_NumJoysticks();
        // The cases number the devices from the scripted pads alone.
        if (base_joysticks != 0) GTEST_SKIP() << "a joystick is attached to this machine";
    }

    void TearDown() override
    {
        host_input_shutdown();
        for (SDL_Joystick* pad : pads) SDL_JoystickClose(pad);
        for (int i = static_cast<int>(pads.size()) - 1; i >= 0; --i)
            SDL_JoystickDetachVirtual(base_joysticks + i);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        host_set_clock(nullptr);
        host_set_debug_output_hook(nullptr);
    }

    SDL_Joystick* attach_pad(const char* name, int buttons = 12, int hats = 0)
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = 2;
        desc.nbuttons = static_cast<uint16_t>(buttons);
        desc.nhats = static_cast<uint16_t>(hats);
        desc.name = name;
        int index = SDL_JoystickAttachVirtualEx(&desc);
        EXPECT_GE(index, 0) << SDL_GetError();
        SDL_Joystick* pad = SDL_JoystickOpen(index);
        EXPECT_NE(pad, nullptr) << SDL_GetError();
        pads.push_back(pad);
        return pad;
    }

    static void stick(SDL_Joystick* pad, int16_t x, int16_t y)
    {
        SDL_JoystickSetVirtualAxis(pad, 0, x);
        SDL_JoystickSetVirtualAxis(pad, 1, y);
    }
    static void hat(SDL_Joystick* pad, uint8_t value) { SDL_JoystickSetVirtualHat(pad, 0, value); }
    static void button(SDL_Joystick* pad, int b, bool down) { SDL_JoystickSetVirtualButton(pad, b, down ? 1 : 0); }

    std::vector<SDL_Joystick*> pads;
    int base_joysticks = 0;
};

} // namespace sdl_input_test
