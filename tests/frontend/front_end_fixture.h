// The front end on the software path without a window: two 8-bit screen
// surfaces to flip, the kit's software fonts, and every front-end global
// back at its start before and after each test.
#pragma once

#include "../platform/exit_trap.h"
#include "app/startup.h"
#include "frontend/controller_assign.h"
#include "frontend/front_end_graphics.h"
#include "frontend/front_end_state.h"
#include "frontend/match_handover.h"
#include "frontend/menu_icons.h"
#include "frontend/message_box.h"
#include "frontend/resources.h"
#include "frontend/screen_runner.h"
#include "gl3d/sprite_queue.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/mouse.h"
#include "screen/fonts.h"
#include "screen/message_pump.h"
#include "screen/screen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

class FrontEnd : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        saved_hardware = use_3d_hardware;
        use_3d_hardware = 0;
        sprite_hardware_switch = 0;
        app_active = 1;
        app_suspended = 0;
        init_screen_format(0, 0);
        for (int32_t w = 0; w < 4; ++w) set_clip_window(w, 0, 0, 480, 640);
        ASSERT_EQ(create_ddraw_surfaces(), 1);
        reset_all();
        set_screen_display_kind(0);
        for (int f = 0; f < 3; ++f) load_font(f, f);
        load_font(3, 3);
        load_font(7, 7);
    }
    void TearDown() override
    {
        reset_all();
        release_ddraw();
        use_3d_hardware = saved_hardware;
    }
    static void reset_all()
    {
        reset_fonts();
        reset_menu_icons();
        reset_screen_runner();
        reset_front_end_state();
        reset_message_box();
        reset_controller_screen();
        reset_front_end_resources();
        reset_front_end_graphics();
        reset_match_handover();
        reset_sprite_queues();
        std::memset(key_state, 0, sizeof key_state);
        mouse_state = MouseState{};
    }
    uint32_t saved_hardware = 0;
};

// A text icon template in a font, focusable unless told otherwise.
inline menu_icon text_icon(const char* text, uint16_t result, uint16_t flags = ICON_FOCUSABLE, uint8_t font = 1)
{
    menu_icon t{};
    t.text = text;
    t.width = t.height = -1;
    t.flags = flags;
    t.result_code = result;
    for (auto& s : t.states) s.image = font;
    return t;
}

// A screen whose frames run a test's script: frame n (from 1) of the frame
// loop calls the script with n, which presses keys or ends the screen. The
// software path's 21 fade-in frames come first and are not counted.
struct ScriptedScreen {
    static constexpr int FADE_IN_FRAMES = 21;
    static inline std::function<void(int)> script;
    static inline int frame = 0;
    static inline int calls = 0;
    static void on_frame(menu_screen*)
    {
        // The closing stage's frames run with the result set: not counted either.
        if (++calls <= FADE_IN_FRAMES || front_end_state.result) return;
        ++frame;
        if (script) script(frame);
        if (frame > 2000) front_end_state.result = 99; // a test that never ends fails, not hangs
    }
    static void start(std::function<void(int)> s)
    {
        script = std::move(s);
        frame = calls = 0;
    }
};
