#include "sdl_input_fixture.h"

namespace {

using namespace sdl_input_test;

class HostInput : public InputTest {
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        keyboard_dev = host_create_device(HOST_DEVICE_KEYBOARD, 0);
        mouse_dev = host_create_device(HOST_DEVICE_MOUSE, 0);
        ASSERT_TRUE(host_acquire_device(keyboard_dev));
        ASSERT_TRUE(host_acquire_device(mouse_dev));
    }
    void TearDown() override
    {
        host_release_device(keyboard_dev);
        host_release_device(mouse_dev);
        host_release_device(joystick_dev);
        InputTest::TearDown();
    }
    // The pad as the game sets it up: 0..32767, 10 per cent dead zone.
    HostInputDevice* open_game_pad(int hats = 0)
    {
        HostTestPad* pad = attach_pad("Scripted Pad", 40, hats);
        joystick_dev = host_create_device(HOST_DEVICE_JOYSTICK, SDL_NumJoysticks() - 1);
        EXPECT_NE(joystick_dev, nullptr);
        for (int axis : {HOST_AXIS_X, HOST_AXIS_Y}) {
            EXPECT_TRUE(host_set_axis_range(joystick_dev, axis, 0, 32767));
            EXPECT_TRUE(host_set_axis_dead_zone(joystick_dev, axis, 1000));
        }
        EXPECT_TRUE(host_acquire_device(joystick_dev));
        (void)pad;
        return joystick_dev;
    }
    int take_keys(HostKeyEvent* events, int* count)
    {
        return host_get_keyboard_data(keyboard_dev, events, HOST_EVENT_BUFFER, count);
    }
    HostInputDevice* keyboard_dev = nullptr;
    HostInputDevice* mouse_dev = nullptr;
    HostInputDevice* joystick_dev = nullptr;
};

TEST_F(HostInput, StickAtRestReadsExactlyTheMiddle)
{
    HostJoystickState state;
    ASSERT_TRUE(host_get_joystick_state(open_game_pad(), &state));
    EXPECT_EQ(state.x, 16384);
    EXPECT_EQ(state.y, 16384);
}

TEST_F(HostInput, AxisScalesOntoTheRangeWithADeadZone)
{
    struct Case {
        int16_t raw;
        int32_t expected;
    };
    // 10 per cent of 32767 is 3276: up to there the stick reads the middle.
    const Case cases[] = {
        {0, 16384},     {3276, 16384},  {-3276, 16384}, {3277, 16384}, {3278, 16385},
        {-3278, 16383}, {3300, 16397},  {-3300, 16371}, {32767, 32767}, {-32767, 0},
        {-32768, 0},    {18022, 24575}, {-18022, 8192},
    };
    HostInputDevice* dev = open_game_pad();
    HostTestPad* pad = pads.back();
    for (const Case& c : cases) {
        stick(pad, c.raw, c.raw);
        HostJoystickState state;
        ASSERT_TRUE(host_get_joystick_state(dev, &state));
        EXPECT_EQ(state.x, c.expected) << "raw " << c.raw;
        EXPECT_EQ(state.y, c.expected) << "raw " << c.raw;
    }
}

TEST_F(HostInput, HatReadsAsTheStickAtTheEndsOfItsThrow)
{
    struct Case {
        int16_t stick_x, stick_y;
        uint8_t hat;
        int32_t x, y;
    };
    const Case cases[] = {
        {0, 0, SDL_HAT_CENTERED, 16384, 16384},
        {0, 0, SDL_HAT_LEFT, 0, 16384},
        {0, 0, SDL_HAT_RIGHT, 32767, 16384},
        {0, 0, SDL_HAT_UP, 16384, 0},
        {0, 0, SDL_HAT_DOWN, 16384, 32767},
        {0, 0, SDL_HAT_RIGHTDOWN, 32767, 32767},
        {0, 0, SDL_HAT_LEFTUP, 0, 0},
        {32767, 32767, SDL_HAT_LEFT, 0, 32767},  // the hat's axis only: the stick keeps the other
        {-32767, 0, SDL_HAT_CENTERED, 0, 16384},
    };
    HostInputDevice* dev = open_game_pad(1);
    HostTestPad* pad = pads.back();
    for (const Case& c : cases) {
        stick(pad, c.stick_x, c.stick_y);
        hat(pad, c.hat);
        HostJoystickState state;
        ASSERT_TRUE(host_get_joystick_state(dev, &state));
        EXPECT_EQ(state.x, c.x) << "hat " << int(c.hat) << " stick " << c.stick_x;
        EXPECT_EQ(state.y, c.y) << "hat " << int(c.hat) << " stick " << c.stick_y;
    }
}

TEST_F(HostInput, JoystickPropertiesAreSetOnlyWhileNotAcquired)
{
    HostInputDevice* dev = open_game_pad();
    EXPECT_FALSE(host_set_axis_range(dev, HOST_AXIS_X, 0, 100));
    host_unacquire_device(dev);
    EXPECT_TRUE(host_set_axis_range(dev, HOST_AXIS_X, 0, 100));
    EXPECT_FALSE(host_set_axis_range(dev, HOST_AXIS_X, 100, 100));
    EXPECT_FALSE(host_set_axis_dead_zone(dev, HOST_AXIS_Y, 10001));
    EXPECT_FALSE(host_set_axis_range(dev, 2, 0, 100));
    HostJoystickState state;
    EXPECT_FALSE(host_get_joystick_state(dev, &state));
}

TEST_F(HostInput, JoystickNamesItselfAndCountsAtMost32Buttons)
{
    HostInputDevice* dev = open_game_pad();
    HostInputCaps caps;
    ASSERT_TRUE(host_get_device_caps(dev, &caps));
    EXPECT_EQ(caps.buttons, 32u);
    HostDeviceInfo info{};
    EXPECT_EQ(host_get_device_info(dev, &info), HOST_INPUT_FAILED);  // size not set
    info.size = sizeof info;
    ASSERT_EQ(host_get_device_info(dev, &info), HOST_INPUT_OK);
    EXPECT_STREQ(info.product_name, "Scripted Pad");
    EXPECT_EQ(info.kind, uint32_t(HOST_DEVICE_JOYSTICK));
}

TEST_F(HostInput, KeysArriveAsGameCodesWithTheirTimes)
{
    g_now = 500;
    press(SDL_SCANCODE_Z);
    key(SDL_SCANCODE_Z, true, true);  // typematic repeat: not an event
    g_now = 520;
    press(SDL_SCANCODE_RIGHT);  // extended: 0x4D + 128
    release(SDL_SCANCODE_Z);
    HostKeyEvent events[HOST_EVENT_BUFFER];
    int count;
    ASSERT_EQ(take_keys(events, &count), HOST_INPUT_OK);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(events[0].code, 44);
    EXPECT_EQ(events[0].data, 0x80);
    EXPECT_EQ(events[0].time, 500u);
    EXPECT_EQ(events[1].code, 205);
    EXPECT_EQ(events[1].time, 520u);
    EXPECT_EQ(events[2].code, 44);
    EXPECT_EQ(events[2].data, 0);
    ASSERT_EQ(take_keys(events, &count), HOST_INPUT_OK);
    EXPECT_EQ(count, 0);
}

TEST_F(HostInput, SeventeenKeyEventsOverflowTheBufferOnce)
{
    for (int i = 0; i < 17; ++i) key(SDL_SCANCODE_A, i % 2 == 0);
    HostKeyEvent events[HOST_EVENT_BUFFER];
    int count;
    EXPECT_EQ(take_keys(events, &count), HOST_INPUT_OVERFLOW);
    EXPECT_EQ(count, 16);
    press(SDL_SCANCODE_A);
    EXPECT_EQ(take_keys(events, &count), HOST_INPUT_OK);
    EXPECT_EQ(count, 1);
}

TEST_F(HostInput, NothingIsBufferedForADeviceNotAcquired)
{
    host_unacquire_device(keyboard_dev);
    press(SDL_SCANCODE_A);
    HostKeyEvent events[HOST_EVENT_BUFFER];
    int count;
    EXPECT_EQ(take_keys(events, &count), HOST_INPUT_NOT_ACQUIRED);
    ASSERT_TRUE(host_acquire_device(keyboard_dev));
    EXPECT_EQ(take_keys(events, &count), HOST_INPUT_OK);
    EXPECT_EQ(count, 0);
    // Only one keyboard can be acquired at a time.
    HostInputDevice* second = host_create_device(HOST_DEVICE_KEYBOARD, 0);
    EXPECT_FALSE(host_acquire_device(second));
    host_release_device(second);
}

TEST_F(HostInput, MouseGivesMovementAndFourButtons)
{
    mouse_move(100, 50, 7, 0);
    mouse_move(90, 60, -10, 10);
    int32_t x, y;
    host_get_cursor_pos(&x, &y);
    EXPECT_EQ(x, 90);
    EXPECT_EQ(y, 60);
    mouse_button(SDL_BUTTON_RIGHT, true);
    mouse_button(SDL_BUTTON_X2, true);  // a fifth button the game has no bit for
    mouse_button(SDL_BUTTON_X1, true);
    const HostMouseEvent expected[] = {
        {HOST_MOUSE_X, 7}, {HOST_MOUSE_X, -10}, {HOST_MOUSE_Y, 10}, {HOST_MOUSE_BUTTON_1, 0x80}, {HOST_MOUSE_BUTTON_3, 0x80},
    };
    for (const HostMouseEvent& e : expected) {
        HostMouseEvent got;
        ASSERT_EQ(host_get_mouse_event(mouse_dev, &got), HOST_INPUT_OK);
        EXPECT_EQ(got.what, e.what);
        EXPECT_EQ(got.data, e.data);
    }
    HostMouseEvent got;
    EXPECT_EQ(host_get_mouse_event(mouse_dev, &got), HOST_INPUT_EMPTY);
}

TEST_F(HostInput, RawJoystickReadsTheWholeSixteenBitAxis)
{
    HostTestPad* pad = attach_pad("Raw Pad", 4);
    int id = SDL_NumJoysticks() - 1;
    stick(pad, -32768, 32767);
    button(pad, 2, true);
    uint32_t x, y, buttons, count;
    ASSERT_TRUE(host_read_raw_joystick(id, &x, &y, &buttons, &count));
    EXPECT_EQ(x, 0u);
    EXPECT_EQ(y, 65535u);
    EXPECT_EQ(buttons, 4u);
    EXPECT_EQ(count, 4u);
    EXPECT_FALSE(host_read_raw_joystick(id + 1, &x, &y, &buttons, &count));
}

} // namespace
