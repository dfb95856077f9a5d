// Scripted input for the tests: keys and mouse events fed to the host's input
// devices, scripted pads, an injected clock.
#pragma once

#include "host/clock.h"
#include "host/host_test_hooks.h"
#include "host/host_input.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/input_record.h"
#include "platform/mouse.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace input_test {

inline uint32_t g_now;
inline uint32_t test_clock() { return g_now; }
// The camera's heading the input turns with.
inline int32_t camera_yaw;

inline void key(uint8_t code, bool down, bool repeat = false) { host_test_key(HOST_TO_DEVICES, code, down, repeat); }
inline void press(uint8_t code) { key(code, true); }
inline void release(uint8_t code) { key(code, false); }

inline void mouse_move(int32_t x, int32_t y, int32_t xrel, int32_t yrel)
{
    host_test_mouse_move(HOST_TO_DEVICES, x, y, xrel, yrel);
}

inline void mouse_button(HostTestButton button, bool down) { host_test_mouse_button(HOST_TO_DEVICES, button, down); }

// Pads attached before the input starts, so that enumeration finds them.
class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_now = 10000;
        host_set_clock(test_clock);
        base_joysticks = host_test_pads_begin();
        ASSERT_GE(base_joysticks, 0) << host_test_last_error();
        // The cases number the records from the scripted pads alone.
        if (base_joysticks != 0) GTEST_SKIP() << "a joystick is attached to this machine";
        camera_yaw = 0;
        set_camera_yaw_reader([] { return camera_yaw; });
        input_frame = {};
        input_mode = INPUT_LIVE;
        std::memset(controllers, 0, sizeof controllers);
        std::memset(&mouse_state, 0, sizeof mouse_state);
        mouse_buttons = 0;
    }

    void TearDown() override
    {
        shutdown_input();
        host_test_pads_end();
        host_set_clock(nullptr);
        host_set_debug_output_hook(nullptr);
        set_camera_yaw_reader(nullptr);
    }

    HostTestPad* attach_pad(const char* name, int buttons = 12, int hats = 0)
    {
        HostTestPad* pad = host_test_attach_pad(name, buttons, hats);
        EXPECT_NE(pad, nullptr) << host_test_last_error();
        pads.push_back(pad);
        return pad;
    }

    // Attaches n pads and starts the input with them.
    void start(int n = 0)
    {
        for (int i = 0; i < n; ++i) attach_pad(("Pad " + std::to_string(i)).c_str());
        start_input(nullptr, nullptr);
    }

    static void stick(HostTestPad* pad, int16_t x, int16_t y) { host_test_pad_axes(pad, x, y); }
    static void hat(HostTestPad* pad, uint8_t value) { host_test_pad_hat(pad, value); }
    static void button(HostTestPad* pad, int b, bool down) { host_test_pad_button(pad, b, down); }

    controller_record& keyboard() { return controllers[keyboard_controller]; }
    controller_record& mouse() { return controllers[mouse_controller]; }

    // One displayed frame then one tick, as the match runs them.
    static void frame_and_tick()
    {
        update_input_frame();
        count_held_buttons();
    }

    std::vector<HostTestPad*> pads;
    int base_joysticks = 0;
};

} // namespace input_test
