#include "input_fixture.h"

#include "platform/settings.h"
#include "platform/settings_targets.h"

namespace {

using namespace input_test;

// The settings' default key mappings: left, right, up, down, buttons 1..4.
const uint32_t default_keys[8] = {200, 208, 203, 205, 44, 45, 46, 47};

class Controllers : public InputTest {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        bind_keys(default_keys);
    }
    // The pads play; their masks are the defaults 1, 2, 4, 8.
    void start_playing(int n)
    {
        start(n);
        for (int i = 0; i < n; ++i) {
            controllers[i].side = i % 2 ? 1 : -1;
            set_controller_keys(i, 1, 2, 4, 8);
        }
        keyboard().side = -1;
    }
};

TEST_F(Controllers, RecordsAreJoysticksThenMouseThenKeyboard)
{
    start(2);
    EXPECT_EQ(controller_count(), 2);
    EXPECT_EQ(mouse_controller, 2);
    EXPECT_EQ(keyboard_controller, 3);
    EXPECT_EQ(controller_total, 4);
    const int32_t kinds[] = {CONTROLLER_JOYSTICK, CONTROLLER_JOYSTICK, CONTROLLER_MOUSE, CONTROLLER_KEYBOARD,
                             CONTROLLER_NONE};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(controllers[i].index, i);
        EXPECT_EQ(controllers[i].kind, kinds[i]);
        EXPECT_EQ(controllers[i].present, i < 4 ? 1 : 0);
    }
    EXPECT_EQ(controllers[29].index, 29);
    EXPECT_EQ(controller_present(1), 12);
    EXPECT_EQ(controller_present(2), 0);
    EXPECT_TRUE(keyboard_player_active());
    shutdown_input();
    EXPECT_EQ(controller_count(), -1);
    EXPECT_EQ(mouse_controller, -1);
}

TEST_F(Controllers, CameraQuadrantTurnsTheDirections)
{
    struct Case {
        int32_t yaw;
        uint8_t raw, turned;
    };
    const Case cases[] = {
        {0, DIR_LEFT, DIR_LEFT},
        {0, DIR_UP | DIR_RIGHT, DIR_UP | DIR_RIGHT},
        {4096, DIR_LEFT, DIR_UP},
        {4096, DIR_UP, DIR_RIGHT},
        {4096, DIR_DOWN | DIR_RIGHT, DIR_LEFT | DIR_DOWN},
        {8192, DIR_LEFT, DIR_RIGHT},
        {8192, DIR_UP, DIR_DOWN},
        {12288, DIR_LEFT, DIR_DOWN},
        {12288, DIR_UP, DIR_LEFT},
        {2047, DIR_LEFT, DIR_LEFT},   // still quadrant 0
        {2048, DIR_LEFT, DIR_UP},     // rounds into quadrant 1
        {-2048, DIR_LEFT, DIR_LEFT},  // quadrant 0 from below
        {-2049, DIR_LEFT, DIR_DOWN},  // quadrant 3
        {16384 + 4096, DIR_LEFT, DIR_UP},
    };
    for (const Case& c : cases) {
        camera_yaw = c.yaw;
        EXPECT_EQ(rotate_direction_bits(c.raw), c.turned) << "yaw " << c.yaw << " raw " << int(c.raw);
    }
}

TEST_F(Controllers, DirectionTableCancelsOppositeBits)
{
    struct Case {
        uint8_t bits;
        bool valid;
        int dx, dy;
    };
    const Case cases[] = {
        {0, false, 0, 0}, {DIR_UP | DIR_DOWN, false, 0, 0}, {DIR_LEFT | DIR_RIGHT, false, 0, 0}, {15, false, 0, 0},
        {DIR_UP | DIR_DOWN | DIR_LEFT, true, -1, 0}, {DIR_UP | DIR_RIGHT, true, 1, 1}, {DIR_DOWN, true, 0, -1},
        {0x10 | DIR_UP, true, 0, 1},  // only the low four bits count
    };
    for (const Case& c : cases) {
        EXPECT_EQ(direction_valid(c.bits), c.valid) << int(c.bits);
        EXPECT_EQ(direction_table[c.bits & 15].dx, c.dx);
        EXPECT_EQ(direction_table[c.bits & 15].dy, c.dy);
    }
}

TEST_F(Controllers, KeyboardFollowsTheSettingsKeysTurnedByTheCamera)
{
    start_playing(0);
    camera_yaw = 4096;
    press(KEY_LEFT);  // the settings' "up" key drives left
    press(KEY_X);     // button 2
    update_input_frame();
    const controller_record& k = keyboard();
    EXPECT_EQ(k.raw_dirs, DIR_LEFT);
    EXPECT_EQ(k.dirs, DIR_UP);
    EXPECT_EQ(k.buttons, ACTION_2);
    EXPECT_EQ(k.axis_x, 16384);
    EXPECT_EQ(k.axis_y, 16384);
    ASSERT_EQ(input_frame.count, 1);
    EXPECT_EQ(input_frame.records[0].controller, keyboard_controller);
    EXPECT_EQ(input_frame.records[0].dirs, DIR_LEFT);
    EXPECT_EQ(input_frame.records[0].actions, ACTION_2);

    release(KEY_LEFT);
    press(KEY_UP);  // the settings' "left" key drives up
    update_input_frame();
    EXPECT_EQ(keyboard().raw_dirs, DIR_UP);
    EXPECT_EQ(keyboard().prev_raw_dirs, DIR_LEFT);
}

TEST_F(Controllers, DefaultSettingsBindTheArrowsZXCVAndPadButtons)
{
    start_playing(1);
    set_controller_keys(0, 0, 0, 0, 0);
    const uint32_t other_keys[8] = {KEY_1, KEY_2, KEY_3, KEY_4, KEY_1, KEY_2, KEY_3, KEY_4};
    bind_keys(other_keys);
    settings_record record{};
    default_settings(record);
    struct Case {
        uint8_t key;
        uint8_t dirs, actions;
    };
    const Case cases[] = {
        {KEY_UP, DIR_UP, 0},       {KEY_DOWN, DIR_DOWN, 0}, {KEY_LEFT, DIR_LEFT, 0},
        {KEY_RIGHT, DIR_RIGHT, 0}, {KEY_Z, 0, ACTION_1},    {KEY_V, 0, ACTION_4},
        {KEY_1, 0, 0},
    };
    for (const Case& c : cases) {
        press(c.key);
        update_input_frame();
        EXPECT_EQ(keyboard().raw_dirs, c.dirs) << c.key;
        EXPECT_EQ(keyboard().buttons, c.actions) << c.key;
        release(c.key);
    }
    for (int b = 0; b < 4; ++b) {
        button(pads[0], b, true);
        update_input_frame();
        EXPECT_EQ(controllers[0].buttons, 1u << b) << "button " << b;
        button(pads[0], b, false);
    }
}

TEST_F(Controllers, KeyboardThatDoesNotPlayIsPolledButNotRead)
{
    start_playing(0);
    keyboard().side = 0;
    press(KEY_Z);
    update_input_frame();
    EXPECT_EQ(key_state[KEY_Z], 128);
    EXPECT_EQ(keyboard().buttons, 0u);
    EXPECT_EQ(input_frame.count, 0);
}

TEST_F(Controllers, KeyMappingsOutsideTheKeyTableKeepTheirOldKeys)
{
    start_playing(0);
    const uint32_t damaged[8] = {200, 208, 203, 205, 300, 45, 46, 47};
    bind_keys(damaged);
    press(KEY_Z);
    update_input_frame();
    EXPECT_EQ(keyboard().buttons, ACTION_1);
}

TEST_F(Controllers, JoystickButtonsGiveActionsOnlyThroughSingleBitMasks)
{
    start_playing(1);
    set_controller_keys(0, 2, 3, 128, 1);  // action 2 wants two buttons: never
    set_controller_keys(1, 1, 1, 1, 1);    // no such joystick: ignored
    HostTestPad* pad = pads[0];
    struct Case {
        std::vector<int> held;
        uint32_t actions;
    };
    const std::vector<Case> cases = {
        {{1}, ACTION_1},
        {{0, 1}, ACTION_1 | ACTION_4},
        {{7}, ACTION_3},
        {{0}, ACTION_4},
        {{0, 1, 2}, ACTION_1 | ACTION_4},
        {{8, 9}, 0},
    };
    for (const Case& c : cases) {
        for (int b = 0; b < 12; ++b) button(pad, b, false);
        for (int b : c.held) button(pad, b, true);
        update_input_frame();
        EXPECT_EQ(controllers[0].buttons, c.actions);
    }
    EXPECT_EQ(controllers[1].button_map[0], 0);  // the mouse record kept nothing
}

TEST_F(Controllers, JoystickDirectionsAndAxesInTheMatch)
{
    start_playing(1);
    camera_yaw = 8192;
    stick(pads[0], -30000, 30000);
    update_input_frame();
    const controller_record& j = controllers[0];
    EXPECT_EQ(j.raw_dirs, DIR_LEFT | DIR_DOWN);
    EXPECT_EQ(j.dirs, DIR_RIGHT | DIR_UP);
    EXPECT_EQ(j.axis_x, -1);
    EXPECT_EQ(j.axis_y, 1);
    ASSERT_EQ(input_frame.count, 2);  // keyboard first, then the pad
    EXPECT_EQ(input_frame.records[1].controller, 0);
    EXPECT_EQ(input_frame.records[1].dirs, DIR_LEFT | DIR_DOWN);
}

TEST_F(Controllers, PadSteersWithItsDPadHat)
{
    HostTestPad* pad = attach_pad("Hat Pad", 12, 1);
    start_playing(0);
    controllers[0].side = -1;
    hat(pad, HOST_HAT_RIGHT | HOST_HAT_UP);
    update_input_frame();
    EXPECT_EQ(controllers[0].raw_dirs, DIR_RIGHT | DIR_UP);
    EXPECT_EQ(controllers[0].axis_x, 1);
    EXPECT_EQ(controllers[0].axis_y, -1);
    hat(pad, HOST_HAT_CENTRED);
    update_input_frame();
    EXPECT_EQ(controllers[0].raw_dirs, 0);
    EXPECT_EQ(controllers[0].dirs_released, DIR_RIGHT | DIR_UP);
    hat(pad, HOST_HAT_DOWN);
    poll_live_input();
    EXPECT_EQ(controllers[0].dirs, DIR_DOWN);
}

TEST_F(Controllers, JoystickThatDoesNotPlayIsNotRead)
{
    start_playing(2);
    controllers[0].side = 0;
    button(pads[0], 0, true);
    button(pads[1], 0, true);
    update_input_frame();
    EXPECT_EQ(controllers[0].buttons, 0u);
    EXPECT_EQ(controllers[1].buttons, ACTION_1);
    EXPECT_EQ(input_frame.records[1].controller, 1);
}

TEST_F(Controllers, PressHoldAndReleaseOfAnAction)
{
    start_playing(0);
    press(KEY_Z);
    update_input_frame();
    controller_record& k = keyboard();
    EXPECT_EQ(k.pressed, ACTION_1);
    EXPECT_EQ(k.button_hold[0], 0);
    count_held_buttons();  // the first tick sees the edge, then it is gone
    EXPECT_EQ(k.pressed, 0u);
    EXPECT_EQ(k.button_hold[0], 1);
    count_held_buttons();
    frame_and_tick();
    EXPECT_EQ(k.button_hold[0], 3);
    release(KEY_Z);
    update_input_frame();
    EXPECT_EQ(k.released, ACTION_1);
    EXPECT_EQ(k.button_hold[0], -1);
    count_held_buttons();
    EXPECT_EQ(k.button_hold[0], -1);
    EXPECT_EQ(k.released, 0u);
}

TEST_F(Controllers, AnEdgeWithNoTickIsOverwrittenByTheNextRead)
{
    start_playing(0);
    press(KEY_Z);
    update_input_frame();
    EXPECT_EQ(keyboard().pressed, ACTION_1);
    update_input_frame();
    EXPECT_EQ(keyboard().pressed, 0u);
}

TEST_F(Controllers, KeyboardGetsItsEdgesBehindFiveJoysticks)
{
    start_playing(5);
    ASSERT_EQ(keyboard_controller, 6);
    press(KEY_Z);
    press(KEY_DOWN);
    frame_and_tick();
    EXPECT_EQ(keyboard().button_hold[0], 1);
    release(KEY_Z);
    update_input_frame();
    EXPECT_EQ(keyboard().released, ACTION_1);
    EXPECT_EQ(keyboard().button_hold[0], -1);
    release(KEY_DOWN);
    update_input_frame();
    EXPECT_EQ(keyboard().dirs_released, DIR_DOWN);
    EXPECT_EQ(keyboard().dir_flags & DIR_FLAG_RELEASED, DIR_FLAG_RELEASED);
}

TEST_F(Controllers, HeldAndIdleDirectionCounts)
{
    start_playing(0);
    press(KEY_UP);
    update_input_frame();
    controller_record& k = keyboard();
    for (int t = 0; t < 31; ++t) count_held_buttons();
    EXPECT_EQ(k.dir_count[0].held, 31);
    EXPECT_EQ(k.dir_count[1].idle, 31);
    EXPECT_EQ(k.dir_flags, 4u | 8u | 16u);  // down, left and right idle more than 30 ticks
    release(KEY_UP);
    update_input_frame();
    EXPECT_EQ(k.dir_flags, DIR_FLAG_RELEASED);
    for (const DirCount& d : k.dir_count) EXPECT_EQ(d.idle, 0);
    EXPECT_EQ(k.dir_count[0].held, 31);
    count_held_buttons();
    EXPECT_EQ(k.dir_flags & DIR_FLAG_RELEASED, 0u);
    press(KEY_DOWN);
    update_input_frame();
    for (const DirCount& d : k.dir_count) EXPECT_EQ(d.held, 0);
    // Up and down together is no direction: letting go of the stick.
    press(KEY_UP);
    count_held_buttons();
    update_input_frame();
    EXPECT_EQ(k.dirs, DIR_UP | DIR_DOWN);
    EXPECT_EQ(k.dir_flags & DIR_FLAG_RELEASED, DIR_FLAG_RELEASED);
}

TEST_F(Controllers, MouseMovementGivesOnlyRightAndDown)
{
    start_playing(0);
    mouse().side = 0;  // read all the same
    mouse_button(HOST_TEST_RIGHT, true);
    mouse_move(700, -5, -3, -4);
    mouse_state.menu_buttons = MOUSE_LEFT;
    update_input_frame();
    const controller_record& m = mouse();
    EXPECT_EQ(m.raw_dirs, DIR_RIGHT | DIR_DOWN);
    EXPECT_EQ(m.axis_x, -3);
    EXPECT_EQ(m.axis_y, -4);
    EXPECT_EQ(m.buttons, uint32_t(MOUSE_RIGHT));
    EXPECT_EQ(mouse_state.x, 700);
    EXPECT_EQ(mouse_state.clamped_x, 639);
    EXPECT_EQ(mouse_state.clamped_y, 0);
    EXPECT_EQ(mouse_state.menu_buttons, 0);
    // Written past the count, never among the frame's records.
    ASSERT_EQ(input_frame.count, 1);
    EXPECT_EQ(input_frame.records[1].controller, mouse_controller);
    mouse_move(700, -5, 0, 9);
    update_input_frame();
    EXPECT_EQ(mouse().raw_dirs, DIR_DOWN);
}

TEST_F(Controllers, MenuKeyboardReadSetsTheAxesWithoutTurning)
{
    start_playing(0);
    camera_yaw = 4096;
    struct Case {
        uint8_t key;
        uint8_t dirs;
        int32_t axis_x, axis_y;
    };
    const Case cases[] = {
        {KEY_LEFT, DIR_LEFT, 0, 16384},
        {KEY_RIGHT, DIR_RIGHT, 32767, 16384},
        {KEY_UP, DIR_UP, 16384, 0},
        {KEY_DOWN, DIR_DOWN, 16384, 32767},
    };
    for (const Case& c : cases) {
        press(c.key);
        poll_live_input();
        EXPECT_EQ(keyboard().dirs, c.dirs);
        EXPECT_EQ(keyboard().raw_dirs, c.dirs);
        EXPECT_EQ(keyboard().axis_x, c.axis_x);
        EXPECT_EQ(keyboard().axis_y, c.axis_y);
        EXPECT_EQ(keyboard().dirs_pressed, c.dirs);
        release(c.key);
        poll_live_input();
    }
}

TEST_F(Controllers, MenuJoystickRepeatsEveryHalfSecond)
{
    start(1);  // menus read every pad, playing or not
    stick(pads[0], -32768, 0);
    button(pads[0], 11, true);
    struct Step {
        uint32_t now;
        uint8_t dirs;
    };
    const Step steps[] = {{10000, DIR_LEFT}, {10300, 0}, {10500, 0}, {10501, DIR_LEFT}, {11001, 0}, {11002, DIR_LEFT}};
    for (const Step& s : steps) {
        g_now = s.now;
        poll_live_input();
        EXPECT_EQ(controllers[0].dirs, s.dirs) << "at " << s.now;
        EXPECT_EQ(controllers[0].axis_x, s.dirs ? -1 : 0);
        EXPECT_EQ(controllers[0].buttons, 1u << 11);  // the raw buttons in menus
    }
    // Up has its own clock.
    stick(pads[0], 0, -32768);
    g_now = 11100;
    poll_live_input();
    EXPECT_EQ(controllers[0].dirs, DIR_UP);
    EXPECT_EQ(controllers[0].axis_y, -1);
}

TEST_F(Controllers, InputResetForgetsHeldKeys)
{
    start_playing(0);
    press(KEY_Z);
    poll_keyboard();
    key_down_time[KEY_Z] = 5;
    input_word_table[9] = 1;
    input_reset();
    EXPECT_EQ(key_state[KEY_Z], 0);
    EXPECT_EQ(key_down_time[KEY_Z], 0u);
    EXPECT_EQ(input_word_table[9], 0u);
    release(KEY_Z);
    press(KEY_X);
    input_reset();  // a playing keyboard is polled afresh
    EXPECT_EQ(key_state[KEY_X], 128);
}

TEST_F(Controllers, MapKeyToActionsOrsEveryMatchingMask)
{
    start_playing(1);
    set_controller_keys(0, 4, 2, 4, 8);
    input_frame.records[3].actions = ACTION_4;
    map_key_to_actions(0, 3, 4);
    EXPECT_EQ(input_frame.records[3].actions, ACTION_1 | ACTION_3 | ACTION_4);
    map_key_to_actions(0, 256, 4);  // outside the frame: nothing
    map_key_to_actions(30, 3, 2);
    EXPECT_EQ(input_frame.records[3].actions, ACTION_1 | ACTION_3 | ACTION_4);
}

} // namespace
