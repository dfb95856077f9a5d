#include "input_fixture.h"
#include "host/host_test_hooks.h"

#include "host/events.h"
#include "platform/app_state.h"
#include "platform/message_pump.h"

namespace {

using namespace input_test;

using MenuInput = InputTest;

TEST_F(MenuInput, PollMouseKeepsTheButtonsNewlyPressed)
{
    app_active = 1;  // the pump waits while the program is inactive
    app_suspended = 0;
    start();
    init_mouse(7);
    EXPECT_EQ(mouse_state.device, 7);
    EXPECT_EQ(mouse_state.button_count, 3);
    mouse_button(HOST_TEST_LEFT, true);
    mouse_move(123, 45, 1, 1);
    poll_mouse();
    EXPECT_EQ(mouse_state.x, 123);
    EXPECT_EQ(mouse_state.y, 45);
    EXPECT_EQ(mouse_state.buttons, MOUSE_LEFT);
    EXPECT_EQ(mouse_state.menu_buttons, MOUSE_LEFT);
    EXPECT_EQ(mouse_state.new_buttons, MOUSE_LEFT);
    mouse_button(HOST_TEST_RIGHT, true);
    poll_mouse();
    EXPECT_EQ(mouse_state.buttons, MOUSE_LEFT | MOUSE_RIGHT);
    EXPECT_EQ(mouse_state.new_buttons, MOUSE_RIGHT);
    poll_mouse();
    EXPECT_EQ(mouse_state.new_buttons, 0);
}

TEST_F(MenuInput, MouseMovesOfTheWindowGoToTheMenuMouse)
{
    EXPECT_EQ(mouse_message_hook(nullptr, HOST_WM_MOUSEMOVE, 0, (77u << 16) | 321u), 0);
    EXPECT_EQ(mouse_state.x, 321);
    EXPECT_EQ(mouse_state.y, 77);
    EXPECT_EQ(mouse_message_hook(nullptr, HOST_WM_KEYDOWN, 0, 0), 1);
}

// The window's button and redraw messages, as the host makes them.
TEST_F(MenuInput, WindowButtonsAndRedrawsReachTheMenuMouse)
{
    struct Row {
        HostTestButton button;
        bool down;
        uint8_t menu_buttons_after;
    };
    const Row rows[] = {
        {HOST_TEST_LEFT, true, 1},  {HOST_TEST_RIGHT, true, 3}, {HOST_TEST_MIDDLE, true, 3},
        {HOST_TEST_LEFT, false, 2}, {HOST_TEST_RIGHT, false, 0},
    };
    mouse_state.menu_buttons = 0;
    host_clear_messages();
    for (const Row& row : rows) {
        host_test_mouse_button(HOST_TO_MESSAGES, row.button, row.down, 10, 20);
        HostMessage m;
        while (host_peek_message(&m)) mouse_message_hook(nullptr, m.id, m.wparam, m.lparam);
        EXPECT_EQ(mouse_state.menu_buttons, row.menu_buttons_after) << int(row.button) << ' ' << row.down;
    }

    screen_needs_redraw = 0;
    app_suspended = 1;
    host_test_window_exposed();
    HostMessage m;
    ASSERT_TRUE(host_peek_message(&m));
    EXPECT_EQ(m.id, HOST_WM_ERASEBKGND);
    EXPECT_EQ(mouse_message_hook(nullptr, m.id, m.wparam, m.lparam), 0);
    EXPECT_EQ(screen_needs_redraw, 1u);
    EXPECT_EQ(app_suspended, 0u);
}

TEST_F(MenuInput, KeyFlagsCountEachPressOnce)
{
    start();
    press(KEY_ENTER);
    release(KEY_ENTER);
    press(KEY_ENTER);  // two presses between calls: still one
    press(KEY_LEFT);
    press(KEY_Z);
    EXPECT_EQ(read_key_flags(), KEY_FLAG_ENTER | KEY_FLAG_LEFT);
    EXPECT_EQ(key_state[KEY_Z], 128);  // not a menu key: left alone
    EXPECT_EQ(read_key_flags(), 0) << "held keys count once";
    release(KEY_LEFT);
    press(KEY_LEFT);
    press(KEY_UP);
    press(KEY_DOWN);
    press(KEY_RIGHT);
    EXPECT_EQ(read_key_flags(), KEY_FLAG_LEFT | KEY_FLAG_UP | KEY_FLAG_DOWN | KEY_FLAG_RIGHT);
}

TEST_F(MenuInput, MultimediaJoysticksHaveAWideDeadBand)
{
    HostTestPad* pad = attach_pad("Old Stick", 4);
    find_winmm_joysticks();
    ASSERT_EQ(winmm_joysticks.count, 1);
    EXPECT_EQ(winmm_joysticks.present[0], 1);
    EXPECT_EQ(winmm_joysticks.present[1], 0);
    EXPECT_EQ(winmm_joysticks.button_count[0], 4);
    struct Case {
        uint32_t x, y;  // on 0..65535
        uint8_t dirs;
    };
    const Case cases[] = {
        {32768, 32768, 0},           {12288, 53248, 0},        {12287, 53249, DIR_LEFT | DIR_DOWN},
        {53249, 12287, DIR_RIGHT | DIR_UP}, {0, 65535, DIR_LEFT | DIR_DOWN},
    };
    for (const Case& c : cases) {
        stick(pad, static_cast<int16_t>(int32_t(c.x) - 32768), static_cast<int16_t>(int32_t(c.y) - 32768));
        WinmmReading entries[WINMM_JOYSTICKS] = {};
        poll_winmm_joysticks(entries);
        EXPECT_EQ(entries[0].dirs, c.dirs) << c.x << "," << c.y;
    }
}

TEST_F(MenuInput, MultimediaButtonsPackFourJoysticksIntoOneWord)
{
    WinmmReading entries[WINMM_JOYSTICKS] = {{DIR_UP, 1}, {DIR_LEFT, 2 | 8}, {0, 0}, {DIR_DOWN, 16}};
    joystick_button_masks[3][0] = 16 | 1;  // shares a bit: enough here
    uint32_t packed = map_joystick_buttons(entries);
    joystick_button_masks[3][0] = 1;
    EXPECT_EQ(packed & 0xFF, 0x11u);
    EXPECT_EQ((packed >> 8) & 0xFF, 0x84u | 0x20u);
    EXPECT_EQ((packed >> 16) & 0xFF, 0u);
    EXPECT_EQ(packed >> 24, 0x12u);
}

TEST_F(MenuInput, FailedMultimediaReadKeepsTheEntry)
{
    HostTestPad* pad = attach_pad("Old Stick", 4);
    find_winmm_joysticks();
    stick(pad, -32768, 0);
    pads.clear();
    host_test_unplug_last_pad();
    WinmmReading entries[WINMM_JOYSTICKS] = {{DIR_RIGHT, 7}};
    poll_winmm_joysticks(entries);
    EXPECT_EQ(entries[0].dirs, DIR_RIGHT);
    EXPECT_EQ(entries[0].buttons, 7u);
}

} // namespace
