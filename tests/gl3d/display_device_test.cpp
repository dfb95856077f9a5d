// Display start-up, the frame service, the debug shapes and the window shell.
#include "gl_fixture.h"
#include "host/host_test_hooks.h"

#include "gl3d/d3d.h"
#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"
#include "host/paths.h"
#include "host/events.h"
#include "host/process.h"


#include <cstring>
#include <filesystem>

namespace {

struct ExitCalled {
    int code;
};

class StartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::remove(host_user_file("devconfig.dat"));
        provider = RecordingDisplayProvider::standard();
        host_set_display_provider(&provider);
    }
    void TearDown() override
    {
        glw_destroy_window();
        free_driver_list();
        reset_display_device();
        host_set_display_provider(nullptr);
    }
    RecordingDisplayProvider provider;
};

TEST_F(StartTest, ModesAndWindowModes)
{
    struct Case {
        int32_t mode;
        uint32_t window_mode;
        int32_t width, height;
        bool full_screen;
    };
    const Case cases[] = {
        {6, 1, 1600, 1280, false},
        {9, 1, 1600, 1280, false}, // out of the table: the size stays
        {0, 0, 640, 480, true},
        {2, 1, 1024, 768, false},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(host_user_file("devconfig.dat"));
        start_3d_display(0, 0, c.mode, c.window_mode);
        EXPECT_EQ(display_width(), c.width);
        EXPECT_EQ(display_height(), c.height);
        EXPECT_EQ(display_window_mode(), c.window_mode);
        ASSERT_NE(display_window(), nullptr);
        bool full = host_test_window_full_screen(display_window());
        EXPECT_EQ(full, c.full_screen) << c.mode;
        EXPECT_EQ(display_windowed(), c.full_screen ? 0u : 1u);
        EXPECT_EQ(display_3d_device(), provider.last);
        EXPECT_EQ(glw_reshape_func(), hw_camera_reshape);
        glw_destroy_window();
    }
}

using FrameTest = GlFixture;

uint32_t g_cleared_mask = 0;
uint32_t spy_clear(gl_context*, uint32_t mask)
{
    g_cleared_mask = mask;
    return 0;
}

TEST_F(FrameTest, PresentThenClearColourAndDepth)
{
    present_and_clear();
    ASSERT_EQ(device.calls.size(), 2u);
    EXPECT_EQ(device.calls[0].kind, RecordedCall::PRESENT);
    EXPECT_EQ(device.calls[1].kind, RecordedCall::CLEAR);
    context->clear = spy_clear;
    present_and_clear();
    EXPECT_EQ(g_cleared_mask, 0x4100u);
}

TEST_F(FrameTest, DebugShapesDrawPlainAndPutTheStatesBack)
{
    reset_render_state_cache();
    look_down_minus_z();
    apply_render_state();
    set_bilinear_filter(1);
    device.forget();
    const float p0[3] = {-2, 0, -10}, p1[3] = {2, 0, -12};
    const uint8_t rgb[3] = {10, 20, 30};
    draw_debug_ribbon(p0, p1, rgb, 2.0f);
    auto draws = device.of_kind(RecordedCall::DRAW);
    ASSERT_EQ(draws.size(), 1u);
    ASSERT_EQ(draws[0].b, 6u); // two triangles
    for (const HostTLVertex& v : draws[0].vertices) EXPECT_EQ(v.diffuse, 0x000A141Eu);
    // The band keeps each end's own depth: one end's corners share it.
    EXPECT_FLOAT_EQ(draws[0].vertices[0].rhw, 0.1f);
    EXPECT_FLOAT_EQ(draws[0].vertices[1].rhw, 1.0f / 12.0f);
    auto textures = device.of_kind(RecordedCall::SET_TEXTURE);
    ASSERT_EQ(textures.size(), 1u);
    EXPECT_EQ(textures[0].b, 0u);
    EXPECT_EQ(get_bilinear_filter(), 1u);
    EXPECT_EQ(get_alpha_blend(), 1u);
    EXPECT_EQ(get_z_buffer(), 1u);
    // Off before the draw, on again after it.
    auto states = device.states();
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back().a, static_cast<uint32_t>(HOST_RS_ZWRITEENABLE));
    EXPECT_EQ(states.back().b, 1u);
    EXPECT_EQ(context->colour_material, 0);
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        keys.clear();
        gl_set_hook_a(nullptr);
        glw_set_callback_d([](int32_t key, int32_t modifiers) {
            keys.push_back({key, modifiers});
            return 0;
        });
    }
    void TearDown() override
    {
        glw_set_callback_d(nullptr);
        glw_set_motion_func(nullptr);
        glw_set_button_down_func(nullptr);
        gl_set_hook_a(nullptr);
        gl_set_exit_hook(nullptr);
        host_set_exit_hook(nullptr);
        host_test_set_key_modifiers(0);
    }
    struct Key {
        int32_t key, modifiers;
    };
    static inline std::vector<Key> keys;
};

TEST_F(ShellTest, OnlyTheListedKeysAndCharactersReachTheKeyboardCallback)
{
    struct Down {
        uint8_t scan;
        bool extended;
    };
    // Return, Escape, Space, the four arrows; then A, F1, the keypad's left arrow.
    const Down down[] = {{0x1C, false}, {0x01, false}, {0x39, false}, {0x4B, true}, {0x48, true},
                         {0x4D, true},  {0x50, true},  {0x1E, false}, {0x3B, false}, {0x4B, false}};
    for (const Down& d : down)
        glw_window_proc(nullptr, GLW_WM_KEYDOWN, 0, host_key_lparam(d.scan, d.extended, false, false, false));
    const uint32_t chars[] = {'0', '9', 'a', 'Z', '!', ' ', '~'};
    for (uint32_t c : chars) glw_window_proc(nullptr, GLW_WM_CHAR, c, 0);
    std::vector<int32_t> got;
    for (const Key& k : keys) got.push_back(k.key);
    EXPECT_EQ(got, (std::vector<int32_t>{13, 27, 32, 37, 38, 39, 40, '0', '9', 'a', 'Z'}));

    keys.clear();
    host_test_set_key_modifiers(HOST_MOD_SHIFT | HOST_MOD_CTRL);
    glw_window_proc(nullptr, GLW_WM_KEYDOWN, 0, host_key_lparam(0x1C, false, false, false, false));
    host_test_set_key_modifiers(HOST_MOD_CTRL);
    glw_window_proc(nullptr, GLW_WM_CHAR, 'x', 0);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].modifiers, 3);
    EXPECT_EQ(keys[1].modifiers, 2);
}

TEST_F(ShellTest, MouseButtonsAndMotion)
{
    static int32_t seen[3];
    glw_set_motion_func([](int32_t x, int32_t y, int32_t buttons) {
        seen[0] = x, seen[1] = y, seen[2] = buttons;
        return 0;
    });
    glw_window_proc(nullptr, GLW_WM_MOUSEMOVE, GLW_MK_LBUTTON | GLW_MK_MBUTTON, 200u << 16 | 100);
    EXPECT_EQ(seen[0], 100);
    EXPECT_EQ(seen[1], 200);
    EXPECT_EQ(seen[2], 5);
    glw_set_button_down_func([](int32_t x, int32_t, int32_t button) {
        seen[0] = x, seen[2] = button;
        return 0;
    });
    glw_window_proc(nullptr, GLW_WM_RBUTTONDOWN, 0, 7);
    EXPECT_EQ(seen[0], 7);
    EXPECT_EQ(seen[2], 2);
}

// What the host makes of SDL's events reaches the callbacks through the
// shell's hook, with the shell's numbers and button bits.
TEST_F(ShellTest, TheHostsMouseCharactersAndMovesReachTheShell)
{
    struct Call {
        char what;
        int32_t x, y, buttons;
    };
    static std::vector<Call> calls;
    calls.clear();
    glw_set_motion_func([](int32_t x, int32_t y, int32_t buttons) {
        calls.push_back({'m', x, y, buttons});
        return 0;
    });
    glw_set_button_down_func([](int32_t x, int32_t y, int32_t button) {
        calls.push_back({'d', x, y, button});
        return 0;
    });
    glw_set_button_up_func([](int32_t x, int32_t y, int32_t button) {
        calls.push_back({'u', x, y, button});
        return 0;
    });
    host_clear_messages();
    glw_install_message_hook();

    host_test_mouse_button(HOST_TO_MESSAGES, HOST_TEST_MIDDLE, true, 30, 40);
    host_test_mouse_move(HOST_TO_MESSAGES, 5, 6, 0, 0, HOST_MK_LBUTTON | HOST_MK_MBUTTON);
    host_test_mouse_button(HOST_TO_MESSAGES, HOST_TEST_RIGHT, false, 7, 8);
    host_test_text("a!7");
    host_test_window_moved(120, 80);
    for (HostMessage m; host_peek_message(&m);) host_dispatch_message(m);
    host_set_message_hook(nullptr);
    glw_set_button_up_func(nullptr);

    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].what, 'd');
    EXPECT_EQ(calls[0].x, 30);
    EXPECT_EQ(calls[0].y, 40);
    EXPECT_EQ(calls[0].buttons, 4);
    EXPECT_EQ(calls[1].what, 'm');
    EXPECT_EQ(calls[1].x, 5);
    EXPECT_EQ(calls[1].buttons, 5) << "left and middle held";
    EXPECT_EQ(calls[2].what, 'u');
    EXPECT_EQ(calls[2].buttons, 2);
    std::vector<int32_t> typed;
    for (const Key& k : keys) typed.push_back(k.key);
    EXPECT_EQ(typed, (std::vector<int32_t>{'a', '7'}));
    int32_t x = 0, y = 0;
    glw_get_client(&x, &y, nullptr, nullptr);
    EXPECT_EQ(x, 120);
    EXPECT_EQ(y, 80);
}

TEST_F(ShellTest, TheMessageHookSeesEverythingFirstAndMayKeepTheProgramRunning)
{
    static int hooked = 0;
    set_window_message_hook([](HostWindow*, uint32_t message, uint32_t, uint32_t) -> int32_t {
        ++hooked;
        return message == GLW_WM_CLOSE || message == GLW_WM_KEYDOWN ? 0 : 1;
    });
    host_clear_messages();
    // Host messages go through the shell: the hook keeps the close for itself.
    EXPECT_EQ(host_dispatch_message(HostMessage{HOST_WM_CLOSE, 0, 0}), 0);
    HostMessage m{};
    EXPECT_FALSE(host_peek_message(&m));
    glw_window_proc(nullptr, GLW_WM_KEYDOWN, 0, host_key_lparam(0x1C, false, false, false, false));
    EXPECT_TRUE(keys.empty());
    EXPECT_EQ(hooked, 2);

    // A close while the shell has no window of its own gets the host's default.
    gl_set_hook_a(nullptr);
    host_dispatch_message(HostMessage{HOST_WM_CLOSE, 0, 0});
    ASSERT_TRUE(host_peek_message(&m));
    EXPECT_EQ(m.id, HOST_WM_QUIT);
    host_set_message_hook(nullptr);
}

TEST_F(StartTest, ClosingTheWindowEndsTheProcessWithZeroAfterTheExitHook)
{
    start_3d_display(0, 0, 0, 1);
    static bool exit_hook_ran = false;
    gl_set_exit_hook([] { exit_hook_ran = true; });
    host_set_exit_hook([](int code) { throw ExitCalled{code}; });
    try {
        glw_window_proc(display_window(), GLW_WM_CLOSE, 0, 0);
        FAIL() << "the process should have ended";
    } catch (const ExitCalled& e) {
        EXPECT_EQ(e.code, 0);
    }
    host_set_exit_hook(nullptr);
    gl_set_exit_hook(nullptr);
    EXPECT_TRUE(exit_hook_ran);
    EXPECT_EQ(glw_get_window(), nullptr);
    EXPECT_EQ(gl_current_device, nullptr);
}

} // namespace
