#include "input_fixture.h"
#include "host/host_test_hooks.h"

namespace {

using namespace input_test;

std::vector<std::string> g_debug;
void catch_debug(const char* text) { g_debug.push_back(text); }

using InputDevices = InputTest;

TEST_F(InputDevices, StartUpFindsEveryPadTheKeyboardAndTheMouse)
{
    start(2);
    EXPECT_EQ(joystick_device_count, 2);
    EXPECT_EQ(keyboard_device_count, 1);
    EXPECT_EQ(mouse_device_count, 1);
    EXPECT_EQ(joystick_devices[1].type, HOST_DEVICE_JOYSTICK);
    EXPECT_EQ(input_device_present(1), 12);
    EXPECT_EQ(input_device_present(2), 0);
    HostDeviceInfo info;
    ASSERT_EQ(joystick_device_info(1, &info), HOST_INPUT_OK);
    EXPECT_STREQ(info.product_name, "Pad 1");
    EXPECT_NE(joystick_device_info(2, &info), HOST_INPUT_OK);
}

TEST_F(InputDevices, ASecondStartRefusesASecondKeyboardAndMouse)
{
    start();
    g_debug.clear();
    host_set_debug_output_hook(catch_debug);
    init_direct_input(nullptr, nullptr);
    EXPECT_EQ(keyboard_device_count, 1);
    EXPECT_EQ(mouse_device_count, 1);
    EXPECT_EQ(g_debug, (std::vector<std::string>{"Too many keyboard devices.\n", "Too many mouse devices.\n"}));
}

TEST_F(InputDevices, KeyboardPollWritesKeyStateAndPressTimes)
{
    start();
    g_now = 1234;
    press(KEY_Z);
    press(KEY_UP);
    poll_keyboard();
    EXPECT_EQ(key_state[KEY_Z], 128);
    EXPECT_EQ(key_state[KEY_UP], 128);
    EXPECT_EQ(key_down_time[KEY_Z], 1234u);
    release(KEY_Z);
    poll_keyboard();
    EXPECT_EQ(key_state[KEY_Z], 0);
    EXPECT_EQ(key_state[KEY_UP], 128);
}

TEST_F(InputDevices, AKeyPressedAndLetGoBetweenTwoPollsIsSeenOnce)
{
    start();
    press(KEY_ESCAPE);
    release(KEY_ESCAPE);
    poll_keyboard();
    EXPECT_EQ(key_state[KEY_ESCAPE], 128) << "a slow frame still sees the press";
    poll_keyboard();
    EXPECT_EQ(key_state[KEY_ESCAPE], 0) << "and the next poll the release";
    // Pressed again before that next poll: it stays down.
    press(KEY_Z);
    release(KEY_Z);
    poll_keyboard();
    press(KEY_Z);
    poll_keyboard();
    EXPECT_EQ(key_state[KEY_Z], 128);
}

TEST_F(InputDevices, AnOverflowingKeyboardPollChangesNothing)
{
    start();
    key_state[KEY_X] = 128;  // say the message filter put this one here
    for (int i = 0; i < 17; ++i) key(KEY_C, i % 2 == 0);
    poll_keyboard();
    EXPECT_EQ(key_state[KEY_C], 0);
    EXPECT_EQ(key_state[KEY_X], 128);
    press(KEY_C);
    poll_keyboard();
    EXPECT_EQ(key_state[KEY_C], 128);
}

TEST_F(InputDevices, JoystickReadsDirectionsAndThirtyTwoButtons)
{
    HostTestPad* pad = attach_pad("Big Pad", 32);
    start();
    struct Case {
        int16_t x, y;
        uint8_t dirs;
    };
    const Case cases[] = {
        {0, 0, 0},
        {-3000, 3000, 0},  // inside the dead zone
        {-32768, 0, DIR_LEFT},
        {32767, 0, DIR_RIGHT},
        {0, -20000, DIR_UP},
        {20000, 20000, DIR_DOWN | DIR_RIGHT},
        {3278, 0, DIR_RIGHT},  // just past the dead zone
    };
    for (const Case& c : cases) {
        stick(pad, c.x, c.y);
        uint8_t dirs;
        uint32_t buttons;
        read_joystick_state(0, &dirs, &buttons);
        EXPECT_EQ(dirs, c.dirs) << c.x << "," << c.y;
        EXPECT_EQ(buttons, 0u);
    }
    button(pad, 0, true);
    button(pad, 31, true);
    uint8_t dirs;
    uint32_t buttons;
    read_key_state(0, &dirs, &buttons);
    EXPECT_EQ(buttons, 0x80000001u);
    read_joystick_state(1, &dirs, &buttons);  // no such joystick
    EXPECT_EQ(dirs, 0);
    EXPECT_EQ(buttons, 0u);
}

TEST_F(InputDevices, MouseReadAddsUpMovementAndKeepsButtonsAcrossReads)
{
    start();
    mouse_move(300, 200, 4, -2);
    mouse_move(310, 190, 6, -3);
    mouse_button(HOST_TEST_LEFT, true);
    mouse_button(HOST_TEST_MIDDLE, true);
    int32_t x, y, dx, dy;
    uint8_t buttons;
    read_mouse(&x, &y, &buttons, &dx, &dy);
    EXPECT_EQ(dx, 10);
    EXPECT_EQ(dy, -5);
    EXPECT_EQ(buttons, MOUSE_LEFT | MOUSE_MIDDLE);
    mouse_button(HOST_TEST_LEFT, false);
    read_mouse(&x, &y, &buttons, &dx, &dy);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, 0);
    EXPECT_EQ(buttons, MOUSE_MIDDLE);
}

TEST_F(InputDevices, WithoutDevicesReadsGiveNothing)
{
    // Never started: no keyboard, no mouse.
    key_state[KEY_Z] = 0;
    press(KEY_Z);
    poll_keyboard();
    EXPECT_EQ(key_state[KEY_Z], 0);
    int32_t x, y, dx, dy;
    uint8_t buttons;
    read_mouse(&x, &y, &buttons, &dx, &dy);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, 0);
    EXPECT_EQ(buttons, 0);
}

} // namespace
