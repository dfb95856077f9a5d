// Scripted input for the host's own tests: SDL key and mouse events fed to
// the host's listener, the test hooks' scripted pads, an injected clock.
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
        base_joysticks = host_test_pads_begin();
        ASSERT_GE(base_joysticks, 0) << host_test_last_error();
        // The cases number the devices from the scripted pads alone.
        if (base_joysticks != 0) GTEST_SKIP() << "a joystick is attached to this machine";
    }

    void TearDown() override
    {
        host_input_shutdown();
        host_test_pads_end();
        host_set_clock(nullptr);
        host_set_debug_output_hook(nullptr);
    }

    HostTestPad* attach_pad(const char* name, int buttons = 12, int hats = 0)
    {
        HostTestPad* pad = host_test_attach_pad(name, buttons, hats);
        EXPECT_NE(pad, nullptr) << host_test_last_error();
        pads.push_back(pad);
        return pad;
    }

    static void stick(HostTestPad* pad, int16_t x, int16_t y) { host_test_pad_axes(pad, x, y); }
    static void hat(HostTestPad* pad, uint8_t value) { host_test_pad_hat(pad, value); }
    static void button(HostTestPad* pad, int b, bool down) { host_test_pad_button(pad, b, down); }

    std::vector<HostTestPad*> pads;
    int base_joysticks = 0;
};

} // namespace sdl_input_test
