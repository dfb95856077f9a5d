#include "control_fixture.h"

#include "frontend/controller_config.h"
#include "match/match_records.h"
#include "platform/settings.h"
#include "screen/screen.h"
#include "screen/screen_services.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// Pretend joysticks: button counts, the buttons down now, stick presses.
struct FakeJoysticks {
    static inline std::vector<int32_t> counts;
    static inline uint32_t down = 0;
    static inline uint8_t directions = 0;
    static int32_t buttons(int32_t j) { return j >= 0 && j < static_cast<int32_t>(counts.size()) ? counts[j] : 0; }
    static void read(int32_t, uint32_t* b, uint8_t* d)
    {
        *b = down;
        *d = directions;
        directions = 0;
    }
    static bool multiport(int32_t) { return false; }
};

struct ConfigScreens : Controls {
    int32_t saved_joysticks = 0, saved_mouse = 0, saved_keyboard = 0;
    settings_record saved_settings{};
    void SetUp() override
    {
        Controls::SetUp();
        reset_controller_config();
        std::memcpy(&saved_settings, &user_settings, sizeof saved_settings);
        default_settings(user_settings);
        saved_joysticks = joystick_controllers, saved_mouse = mouse_controller, saved_keyboard = keyboard_controller;
        install_common_frames();
        install_control_frames();
        prepare_controller_config_screens();
        joystick_probe = {FakeJoysticks::buttons, FakeJoysticks::read, FakeJoysticks::multiport};
        FakeJoysticks::down = 0;
        FakeJoysticks::directions = 0;
        std::memset(game_settings.controller_player_names, 0, sizeof game_settings.controller_player_names);
    }
    void TearDown() override
    {
        reset_controller_config();
        std::memcpy(&user_settings, &saved_settings, sizeof user_settings);
        joystick_controllers = saved_joysticks, mouse_controller = saved_mouse, keyboard_controller = saved_keyboard;
        Controls::TearDown();
    }
    static void joysticks(std::vector<int32_t> counts)
    {
        FakeJoysticks::counts = counts;
        const int32_t n = static_cast<int32_t>(counts.size());
        joystick_controllers = n, mouse_controller = n, keyboard_controller = n + 1;
    }
    static std::string row_text(int32_t row)
    {
        A_SELECT_CONTROL* s = select_record(joystick_config.row_controls[row]);
        return string_record(list_current_data(s))->settings.text;
    }
    // One frame of the screen with these buttons down and the capture asked for.
    static void press(uint32_t buttons, int32_t row)
    {
        FakeJoysticks::down = buttons;
        select_button_row(row);
        joystick_config_frame(nullptr);
    }
};

// --- Keyboard ---

// Keys reach the screen from its first frame; the runner's own navigation
// (Enter on the focus) only after the software fade-in.
constexpr int AFTER_FADE = ScriptedScreen::FADE_IN_FRAMES + 3;

TEST_F(ConfigScreens, KeyNamesCharactersAndNumbers)
{
    struct Case {
        uint32_t code;
        const char* shown;
    };
    const Case cases[] = {{200, "Up Arrow"}, {44, "Z"}, {2, "1"}, {57, "Space"}, {156, "Enter"}, {255, "Key 255"}};
    for (const Case& c : cases) {
        char buffer[32];
        EXPECT_STREQ(key_display_name(c.code, buffer, sizeof buffer), c.shown) << c.code;
    }
}

TEST_F(ConfigScreens, EightKeysAreCapturedInTurnRefusingReservedAndUsedOnesThenOKCommits)
{
    std::vector<std::string> messages;
    const uint8_t keys[8] = {44, 45, 46, 47, 48, 49, 50, 51};
    int next = 0;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &keyboard_config_screen) return;
        key_state[25] = 0; // P let go
        switch (f) {
        case 2: key_state[44] = 0x80; return;                // Z for Up
        case 3: key_state[29] = 0x80; return;                // Ctrl: ignored entirely
        case 4:
            EXPECT_EQ(keyboard_config.reserved_shown, 0) << "Ctrl shows nothing";
            key_state[29] = 0;
            key_state[25] = 0x80; // P is reserved
            return;
        case 5:
            messages.push_back(keyboard_config.message->text);
            key_state[44] = 0x80; // Z again
            return;
        case 6:
            messages.push_back(keyboard_config.message->text);
            next = 1;
            return;
        default: break;
        }
        if (next >= 1 && next < 8 && f % 2 == 1) key_state[keys[next++]] = 0x80;
        if (next == 8 && keyboard_config.done && f > 30) key_state[KEY_ENTER] = 0x80; // clicks the focused OK
    });
    run_front_end_screen(&keyboard_config_screen);
    EXPECT_EQ(front_end_state.result, 1);
    EXPECT_EQ(messages, (std::vector<std::string>{"Key Reserved", "Key Already Used"}));
    for (int k = 0; k < 8; ++k) EXPECT_EQ(user_settings.key_mapping[k], keys[k]) << k;
    EXPECT_EQ(front_end_state.default_action, nullptr);
    EXPECT_EQ(active_icon_table.count, 0);
}

TEST_F(ConfigScreens, EscLeavesTheKeyScreenAndKeepsTheOldKeys)
{
    settings_record before;
    std::memcpy(&before, &user_settings, sizeof before);
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &keyboard_config_screen) return;
        if (f == 2) key_state[57] = 0x80;
        if (f == 4) {
            EXPECT_EQ(settings_scratch.key_mapping[0], 57u);
            EXPECT_STREQ(keyboard_config.caption[0]->text, "Key Up :");
            EXPECT_STREQ(keyboard_config.value[0]->text, "Space");
            EXPECT_STREQ(keyboard_config.caption[1]->text, "Press key for Down :");
            EXPECT_STREQ(keyboard_config.value[1]->text, "(Down Arrow)");
            EXPECT_GE(icon_slot(keyboard_config.value[1]), 0) << "the next row is shown";
            EXPECT_LT(icon_slot(keyboard_config.value[2]), 0) << "the rest are not yet";
            key_state[KEY_ESCAPE] = 0x80;
        }
    });
    run_front_end_screen(&keyboard_config_screen);
    EXPECT_EQ(front_end_state.result, 2);
    EXPECT_EQ(std::memcmp(&before, &user_settings, sizeof before), 0);
}

TEST_F(ConfigScreens, OKBeforeTheEighthKeyRefusesAKeyStillHeldByALaterSlot)
{
    // X (45) is button 2's default: taken for Up it would be bound twice.
    bool refused = false;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &keyboard_config_screen) return;
        if (f == 2) key_state[45] = 0x80;
        if (f == AFTER_FADE) {
            set_focus_icon(keyboard_config_screen.entries[4].copy);
            key_state[KEY_ENTER] = 0x80;
        }
        if (f == AFTER_FADE + 2) {
            refused = std::string(keyboard_config.message->text) == "Key Already Used";
            key_state[KEY_ESCAPE] = 0x80;
        }
    });
    run_front_end_screen(&keyboard_config_screen);
    EXPECT_TRUE(refused);
    EXPECT_EQ(front_end_state.result, 2) << "the screen stayed until Esc";
    EXPECT_EQ(user_settings.key_mapping[0], 200u);

    // A key no slot holds is committed at once.
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &keyboard_config_screen) return;
        if (f == 2) key_state[57] = 0x80;
        if (f == AFTER_FADE) {
            set_focus_icon(keyboard_config_screen.entries[4].copy);
            key_state[KEY_ENTER] = 0x80;
        }
    });
    run_front_end_screen(&keyboard_config_screen);
    EXPECT_EQ(front_end_state.result, 1);
    EXPECT_EQ(user_settings.key_mapping[0], 57u);
    EXPECT_EQ(user_settings.key_mapping[5], 45u);
}

// --- Joystick ---

TEST_F(ConfigScreens, PressingAButtonFillsTheRowMovesOnAndPressingItAgainClearsIt)
{
    joysticks({4});
    joystick_config_open(nullptr);
    for (int32_t r = 0; r < 4; ++r) joystick_config.masks[0][r] = 0;
    build_joystick_button_rows();
    press(1u << 2, 0);
    EXPECT_EQ(joystick_config.masks[0][0], 4);
    EXPECT_EQ(row_text(0), "Fire 3");
    EXPECT_EQ(joystick_config.capture_row, 1) << "on to the next row";
    press(1u << 3, 1);
    EXPECT_EQ(joystick_config.masks[0][1], 0) << "still held from before: not armed";
    press(0, 1);
    press(1u << 3, 1);
    EXPECT_EQ(joystick_config.masks[0][1], 8);
    press(0, 1);
    press(1u << 3, 1); // the row's own button again
    EXPECT_EQ(joystick_config.masks[0][1], 0);
    EXPECT_EQ(row_text(1), "Not Configured");
    joystick_config_close(nullptr);
}

TEST_F(ConfigScreens, AButtonTakenFromAnEarlierRowAsksAndALaterRowIsClearedSilently)
{
    joysticks({4});
    joystick_config_open(nullptr);
    int32_t* m = joystick_config.masks[0];
    m[0] = 1, m[1] = 2, m[2] = 4, m[3] = 8;
    build_joystick_button_rows();
    // Row 0 takes button 2: row 1, later, held it and is cleared.
    press(2, 0);
    EXPECT_EQ(m[0], 2);
    EXPECT_EQ(m[1], 0);
    EXPECT_EQ(row_text(1), "Not Configured");
    press(0, 0);
    // Row 3 wants button 2, which row 0 holds: the box, nothing changes.
    std::string asked;
    PointerScript::start([&](menu_screen*, int f) {
        if (f == 1) asked = message_box_layout.message;
        if (f == 3) key_state[KEY_ENTER] = 0x80;
    });
    press(2, 3);
    EXPECT_EQ(asked, "Joystick Button is already in use - OK to continue");
    EXPECT_EQ(m[3], 8);
    EXPECT_EQ(front_end_state.result, 0) << "the set-up screen stays";
    joystick_config_close(nullptr);
}

TEST_F(ConfigScreens, ATwoButtonStickNeedsTwoRowsAndShowsButtonAPlusBOnItsThird)
{
    joysticks({4, 2});
    front_end_state.selected_controller = 0;
    joystick_config_open(nullptr);
    next_joystick();
    EXPECT_EQ(joystick_config.current, 1);
    EXPECT_EQ(row_text(2), "Button A+B");
    EXPECT_EQ(row_text(3), "Not Configured");
    EXPECT_EQ(select_record(joystick_config.row_controls[2])->display.label_flags & ICON_FOCUSABLE, 0);
    // The capture walks rows 0 and 1 only.
    joystick_config.masks[1][0] = joystick_config.masks[1][1] = 0;
    press(1, 0);
    EXPECT_EQ(joystick_config.capture_row, 1);
    press(0, 1);
    press(2, 1);
    EXPECT_EQ(joystick_config.capture_row, 0) << "wraps after the last configurable row";
    // Both sticks configured enough: OK is taken.
    front_end_state.result = 1;
    check_all_buttons_configured(nullptr, nullptr, nullptr);
    EXPECT_EQ(front_end_state.result, 1);
    joystick_config_close(nullptr);
    EXPECT_EQ(user_settings.joy_pass_tackle[1], 1u);
    EXPECT_EQ(user_settings.joy_kick_select[1], 2u);
    EXPECT_EQ(controllers[1].button_map[0], 1) << "the controller records take the masks";
}

TEST_F(ConfigScreens, OKWithAMissingButtonNamesThePlayerAndStays)
{
    joysticks({4, 4});
    joystick_config_open(nullptr);
    joystick_config.masks[1][3] = 0;
    std::string asked;
    PointerScript::start([&](menu_screen*, int f) {
        if (f == 1) asked = message_box_layout.message;
        if (f == 3) key_state[KEY_ENTER] = 0x80;
    });
    front_end_state.result = 1;
    check_all_buttons_configured(nullptr, nullptr, nullptr);
    EXPECT_EQ(front_end_state.result, 0);
    EXPECT_NE(asked.find("Player 2 must configure all buttons"), std::string::npos) << asked;
    joystick_config_close(nullptr);
    EXPECT_EQ(user_settings.joy_quit[1], 8u) << "not committed";
}

TEST_F(ConfigScreens, OnlyTheFirstFourJoysticksAreWorkedOn)
{
    joysticks({4, 4, 4, 4, 4, 4});
    front_end_state.selected_controller = 5;
    joystick_config_open(nullptr);
    EXPECT_EQ(joystick_config.current, 3);
    next_joystick();
    EXPECT_EQ(joystick_config.current, 0) << "the arrows wrap within four";
    previous_joystick();
    EXPECT_EQ(joystick_config.current, 3);
    EXPECT_STREQ(joystick_config.name_text, "Joystick 4");
    joystick_config_close(nullptr);
}

TEST_F(ConfigScreens, APadWithoutButtonsKeepsTheCaptureOnRowZero)
{
    joysticks({0});
    joystick_config_open(nullptr);
    FakeJoysticks::directions = DIR_UP;
    press(0, 0);
    EXPECT_EQ(joystick_config.capture_row, 0);
    FakeJoysticks::directions = DIR_DOWN;
    press(0, 0);
    EXPECT_EQ(joystick_config.capture_row, 0);
    joystick_config_close(nullptr);
}

// The stick walks the rows inside the capture step, that is only while a
// row holds the focus; with the back icon focused it moves nothing.
TEST_F(ConfigScreens, TheStickWalksTheRowsOnlyWhileARowHoldsTheFocus)
{
    joysticks({4});
    joystick_config_open(nullptr);
    menu_icon* elsewhere = joystick_config.name_label; // as the back icon would be
    set_focus_icon(elsewhere);
    FakeJoysticks::directions = DIR_DOWN;
    joystick_config_frame(nullptr);
    EXPECT_EQ(joystick_config.capture_row, 0);
    EXPECT_EQ(active_icon_table.focus_icon, elsewhere);
    FakeJoysticks::directions = DIR_DOWN;
    press(0, 3);
    EXPECT_EQ(joystick_config.capture_row, 0) << "down from the last row wraps to the first";
    FakeJoysticks::directions = DIR_UP;
    press(0, 0);
    EXPECT_EQ(joystick_config.capture_row, 3);
    EXPECT_EQ(active_icon_table.focus_icon, &select_record(joystick_config.row_controls[3])->display.label_icon);
    joystick_config_close(nullptr);
}

// A stick of 0 or 1 buttons changes neither the controller icon nor its
// caption: the pad's stay when switching to it.
TEST_F(ConfigScreens, AOneButtonStickKeepsTheIconAndCaptionOfTheJoystickBefore)
{
    joysticks({4, 1});
    front_end_state.selected_controller = 0;
    joystick_config_open(nullptr);
    ASSERT_NE(joystick_config.joystick_icon, nullptr);
    EXPECT_STREQ(joystick_config_screen.entries[5].icon_template->text, "Controller: GamePad");
    next_joystick();
    EXPECT_NE(joystick_config.joystick_icon, nullptr);
    EXPECT_GE(icon_slot(joystick_config.joystick_icon), 0);
    EXPECT_STREQ(joystick_config_screen.entries[5].icon_template->text, "Controller: GamePad");
    joystick_config_close(nullptr);
}

TEST_F(ConfigScreens, BackLeavesTheJoystickSettingsAsTheyWere)
{
    joysticks({4});
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &joystick_config_screen) return;
        if (f == 2) {
            joystick_config.masks[0][0] = 16;
            key_state[KEY_ESCAPE] = 0x80;
        }
    });
    run_front_end_screen(&joystick_config_screen);
    EXPECT_EQ(front_end_state.result, 2);
    EXPECT_EQ(user_settings.joy_pass_tackle[0], 1u);
    EXPECT_EQ(active_icon_table.count, 0);
}

} // namespace

namespace {

TEST_F(ConfigScreens, TheKeyScreenIsDrawnWithItsCaptionAndNothingBeside)
{
    int32_t caption = -1, empty = -1;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &keyboard_config_screen) return;
        if (f == 30) {
            caption = lit_pixels(92, 184, 300, 200);
            empty = lit_pixels(420, 250, 620, 400);
            key_state[KEY_ESCAPE] = 0x80;
        }
    });
    run_front_end_screen(&keyboard_config_screen);
    EXPECT_GT(caption, 50) << "\"Press key for Up :\" is on the screen";
    EXPECT_EQ(empty, 0) << "where no icon stands";
}

} // namespace
