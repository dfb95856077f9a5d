#include "control_fixture.h"

#include "frontend/controller_config.h"
#include "frontend/pages.h"
#include "match/match_records.h"
#include "platform/settings.h"

#include <cstring>
#include <vector>

namespace {

// The controllers page of the demo road: the keyboard and joystick set-up
// screens open from the controller screen and lead back to it.
struct ControllersPage : Controls {
    int32_t saved_joysticks = 0, saved_mouse = 0, saved_keyboard = 0;
    settings_record saved{};
    void SetUp() override
    {
        Controls::SetUp();
        std::memcpy(&saved, &user_settings, sizeof saved);
        default_settings(user_settings);
        saved_joysticks = joystick_controllers, saved_mouse = mouse_controller, saved_keyboard = keyboard_controller;
        joystick_controllers = 1, mouse_controller = 1, keyboard_controller = 2;
        reset_controller_config();
    }
    void TearDown() override
    {
        // The software path keeps the badges loaded after the page.
        free_animation_set(HANDLE_CARICATURE);
        reset_controller_config();
        for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) set_controller_side(r, 0);
        joystick_controllers = saved_joysticks, mouse_controller = saved_mouse, keyboard_controller = saved_keyboard;
        std::memcpy(&user_settings, &saved, sizeof user_settings);
        Controls::TearDown();
    }
};

TEST_F(ControllersPage, KeyboardAndJoystickSetUpOpenFromTheControllerScreenAndLeadBack)
{
    std::vector<menu_screen*> seen;
    int visits = 0;
    PointerScript::start([&](menu_screen* s, int f) {
        if (seen.empty() || seen.back() != s) seen.push_back(s);
        if (s == &controller_assign_screen && f == 2) {
            ++visits;
            // What a click on the keyboard's icon, then on the joystick's, gives.
            if (visits == 1) front_end_state.result = 5;
            if (visits == 2) front_end_state.selected_controller = 0, front_end_state.result = 6;
            if (visits == 3) front_end_state.result = 1;
        }
        if ((s == &keyboard_config_screen || s == &joystick_config_screen) && f == 2) key_state[KEY_ESCAPE] = 0x80;
    });
    controllers_page(1);
    EXPECT_EQ(front_end_state.result, 1);
    EXPECT_EQ(seen, (std::vector<menu_screen*>{&controller_assign_screen, &keyboard_config_screen, &controller_assign_screen,
                                               &joystick_config_screen, &controller_assign_screen}));
    EXPECT_EQ(front_end_state.controllers_changed, 1);
    EXPECT_EQ(active_icon_table.count, 0);
}

// The set-up screen holds the first four joysticks only: a later one's icon
// opens nothing and the controller screen runs on.
TEST_F(ControllersPage, AJoystickPastTheFourthOpensNoSetUpScreen)
{
    joystick_controllers = 6, mouse_controller = 6, keyboard_controller = 7;
    reset_controller_config();
    std::vector<menu_screen*> seen;
    int visits = 0;
    int32_t shown = -1;
    PointerScript::start([&](menu_screen* s, int f) {
        if (seen.empty() || seen.back() != s) seen.push_back(s);
        // The screen runs again at once after a refused joystick: its frames
        // count on, so each run acts on its first frame without a result.
        if (s == &controller_assign_screen && f >= 2 && front_end_state.result == 0) {
            ++visits;
            if (visits == 1) front_end_state.selected_controller = 5, front_end_state.result = 6;
            if (visits == 2) front_end_state.selected_controller = 3, front_end_state.result = 6;
            if (visits == 3) front_end_state.result = 1;
        }
        if (s == &joystick_config_screen && f == 2) {
            shown = joystick_config.current;
            key_state[KEY_ESCAPE] = 0x80;
        }
    });
    controllers_page(1);
    EXPECT_EQ(visits, 3);
    EXPECT_EQ(seen, (std::vector<menu_screen*>{&controller_assign_screen, &joystick_config_screen,
                                               &controller_assign_screen}));
    EXPECT_EQ(shown, 3) << "the fourth opens as itself";
}

} // namespace
