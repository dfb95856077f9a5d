// The front end on the software path without a window: two 8-bit screen
// surfaces to flip, the kit's software fonts, and every front-end global
// back at its start before and after each test.
#pragma once

#include "../platform/exit_trap.h"
#include "platform/app_state.h"
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
#include "platform/language.h"
#include "platform/mouse.h"
#include "screen/fonts.h"
#include "platform/message_pump.h"
#include "screen/screen_flip.h"
#include "screen/screen.h"

#include "lib/font_write.h"
#include "frontend/frame_manifest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <vector>

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
        // The kit's texts, as the front end has them for the program's life:
        // screens show club names and titles from them.
        load_language_text();
        select_language(0);
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

// Presses keys inside any screen, the message box and the splash included:
// the pointer's step runs once a drawn frame of every screen. The script
// sees the screen being run and its frame number there (from 1).
struct PointerScript {
    static inline std::function<void(menu_screen*, int)> script;
    static inline menu_screen* last = nullptr;
    static inline int frame = 0, total = 0;
    static inline const void* no_frames[1] = {nullptr};
    static void step(PointerSprite*, int32_t, int32_t)
    {
        menu_screen* s = screen_being_run();
        if (s != last) last = s, frame = 0;
        ++frame;
        // A test whose screens never end fails instead of hanging.
        if (++total > 20000) throw std::runtime_error("the screens never ended");
        if (script && front_end_state.result == 0) script(s, frame);
    }
    static void start(std::function<void(menu_screen*, int)> s)
    {
        script = std::move(s);
        last = nullptr;
        frame = total = 0;
        pointer_sprite.frames = no_frames;
        pointer_sprite.step = step;
    }
};

// Runs a screen, calls look on its second frame and then leaves it with the
// given result.
template <class Look> void run_screen_and_look(menu_screen* screen, Look look, uint8_t leave = 1)
{
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != screen || f != 2) return;
        look();
        front_end_state.result = leave;
    });
    run_front_end_screen(screen);
}

// The common set's frames as small software sprites (36 x 36 buttons with
// their hot spot in the middle), so that buttons have a size to hit.
inline void install_common_frames()
{
    static std::vector<uint8_t> button =
        kit_sw_sprite(36, 36, 18, 18, std::vector<int16_t>(36 * 36, 15));
    std::vector<const void*> frames(COMMON_FRAME_COUNT, button.data());
    set_animation_frames(HANDLE_COMMON, frames);
}
