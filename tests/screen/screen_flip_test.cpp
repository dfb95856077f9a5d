#include "screen/screen_flip.h"
#include "host/host_test_hooks.h"

#include "platform/exit_trap.h"
#include "host/cd_drive.h"
#include "host/events.h"
#include "host/window.h"
#include "platform/cd_audio.h"
#include "platform/command_line.h"
#include "platform/input.h"
#include "screen/screen.h"
#include "gl3d/display_device.h"
#include "platform/app_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

TEST(SoftwareDisplay, FlipAlternatesTheBackBufferAndSwapsPictures)
{
    uint32_t saved = use_3d_hardware;
    use_3d_hardware = 0;
    app_active = 1;
    app_suspended = 0;
    ASSERT_EQ(create_ddraw_surfaces(), 1);
    back_buffer_index = 1;
    uint8_t* back = lock_surface(back_surface, nullptr, nullptr);
    back[0] = 77;
    unlock_surface(back_surface, back);
    std::vector<int32_t> seen;
    for (int i = 0; i < 3; ++i) {
        flip_screen();
        seen.push_back(back_buffer_index);
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{2, 1, 2}));
    EXPECT_EQ(flip_surface->pixels[0], 77); // the drawn frame is the one shown

    clear_screen_buffer();
    EXPECT_EQ(flip_surface->pixels[0], 0);
    EXPECT_EQ(back_surface->pixels[0], 0);
    release_ddraw();
    EXPECT_EQ(back_surface, nullptr);
    use_3d_hardware = saved;
}

TEST(SoftwareDisplay, SurfaceMisuseIsFatal)
{
    Surface* s = surface_new(8, 4, 8, 0, 0, 0, 0);
    ASSERT_NE(s, nullptr);
    std::vector<uint8_t> image(9 * 4, 1);
    struct Case {
        const char* what;
        std::function<void()> body;
        const char* message;
    } cases[] = {
        {"wrong width", [&] { copy_to_surface(image.data(), s, 9, 4); }, "Wrong sized surface\n"},
        {"wrong height", [&] { copy_to_surface(image.data(), s, 8, 3); }, "Wrong sized surface\n"},
        {"unlock unlocked", [&] { unlock_surface(s, nullptr); }, "Can't unlock DirectDraw Surface\nSub code: 0X0\n\nunlock_surface"},
        {"lock twice", [&] { lock_surface(s, nullptr, nullptr); lock_surface(s, nullptr, nullptr); }, "Can't lock DirectDraw Surface\n"},
    };
    for (const Case& c : cases) {
        s->lock_count = 0;
        Ending e = run_trapped(c.body);
        EXPECT_EQ(e.code, 1) << c.what;
        EXPECT_NE(e.box_text.find(c.message), std::string::npos) << c.what << ": " << e.box_text;
    }
    surface_delete(s);
}

TEST(SoftwareDisplay, CopyToSurfaceHonoursThePitch)
{
    Surface* s = surface_new(6, 2, 8, 0, 0, 0, 0); // rows padded to 8 bytes
    ASSERT_EQ(s->pitch, 8);
    const uint8_t image[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    copy_to_surface(image, s, 6, 2);
    EXPECT_EQ(s->pixels[5], 6);
    EXPECT_EQ(s->pixels[6], 0);
    EXPECT_EQ(s->pixels[8], 7);
    EXPECT_EQ(s->pixels[13], 12);
    surface_delete(s);
}

TEST(SoftwareDisplay, WindowProcedureHandlesSystemKeysAndCommands)
{
    HostWindow* saved = main_window;
    HostWindow* window = reinterpret_cast<HostWindow*>(&saved); // any handle will do: it is only compared
    set_main_window(window);
    set_window_message_hook(nullptr);
    host_clear_messages();

    key_state[0x38] = 0;
    EXPECT_EQ(main_window_proc(window, HOST_WM_SYSKEYDOWN, 0, host_key_lparam(0x38, false, true, false, false)), 0);
    EXPECT_EQ(key_state[0x38], 128);
    main_window_proc(window, HOST_WM_SYSKEYUP, 0, host_key_lparam(0x38, false, false, true, true));
    EXPECT_EQ(key_state[0x38], 0);

    app_suspended = 0;
    EXPECT_EQ(main_window_proc(window, HOST_WM_SYSCOMMAND, HOST_SC_KEYMENU, 0), 0);
    EXPECT_EQ(app_suspended, 0u);
    EXPECT_EQ(main_window_proc(window, HOST_WM_SYSCOMMAND, HOST_SC_MINIMIZE, 0), 0);
    EXPECT_EQ(app_suspended, 1u);
    app_suspended = 0;

    // Another window's close is not ours to act on beyond the default.
    main_window_proc(nullptr, HOST_WM_CLOSE, 0, 0);
    HostMessage m{};
    ASSERT_TRUE(host_peek_message(&m));
    EXPECT_EQ(m.id, HOST_WM_QUIT);
    host_clear_messages();
    set_main_window(saved);
}

TEST(SoftwareDisplay, WindowProcedureCreatesDestroysAndPaints)
{
    HostWindow* saved = main_window;
    HostWindow* window = reinterpret_cast<HostWindow*>(&saved); // only compared
    set_main_window(window);
    set_window_message_hook(nullptr);
    host_clear_messages();

    std::fill(key_state, key_state + 256, uint8_t{128});
    EXPECT_EQ(main_window_proc(window, MAIN_WM_CREATE, 0, 0), 0);
    EXPECT_EQ(key_state[0], 0);
    EXPECT_EQ(key_state[127], 0);
    EXPECT_EQ(key_state[128], 128) << "only the first 128 are cleared";
    std::fill(key_state, key_state + 256, uint8_t{0});

    HostMessage m{};
    window_recreating = 1;
    EXPECT_EQ(main_window_proc(window, MAIN_WM_DESTROY, 0, 0), 0);
    EXPECT_EQ(window_recreating, 0u);
    EXPECT_FALSE(host_peek_message(&m)) << "a re-creation does not end the program";
    EXPECT_EQ(main_window_proc(window, MAIN_WM_DESTROY, 0, 0), 0);
    ASSERT_TRUE(host_peek_message(&m));
    EXPECT_EQ(m.id, HOST_WM_QUIT);

    // Windowed, the flipped picture goes to the window's place, from the paint offset.
    const uint8_t saved_exclusive = exclusive_mode, saved_flipping = page_flipping;
    exclusive_mode = 0, page_flipping = 0;
    ASSERT_EQ(create_ddraw_surfaces(), 1);
    ASSERT_NE(window_surface, nullptr);
    uint8_t* flipped = lock_surface(flip_surface, nullptr, nullptr);
    flipped[3 * flip_surface->pitch + 4] = 9;
    unlock_surface(flip_surface, flipped);
    paint_offset_x = 4, paint_offset_y = 3;
    EXPECT_EQ(main_window_proc(window, MAIN_WM_PAINT, 0, 0), 0);
    EXPECT_EQ(window_surface->pixels[0], 9);
    paint_offset_x = paint_offset_y = 0;
    release_ddraw();
    exclusive_mode = saved_exclusive, page_flipping = saved_flipping;
    host_clear_messages();
    set_main_window(saved);
}

TEST(SoftwareDisplay, CopyToVramOfA320WideScreenDrawsItsMarker)
{
    Surface* source = surface_new(PICTURE_WIDTH, PICTURE_HEIGHT, 8, 0, 0, 0, 0);
    Surface* destination = surface_new(PICTURE_WIDTH, PICTURE_HEIGHT, 8, 0, 0, 0, 0);
    ASSERT_TRUE(source && destination);
    for (int i = 0; i < 256; ++i) destination->palette[i] = uint32_t(i) * 0x010101u;
    std::fill(source->pixels.begin(), source->pixels.end(), uint8_t{7});
    const uint32_t saved_width = screen.width;

    screen.width = 320;
    copy_to_vram(source, destination);
    auto at = [&](int x, int y) { return destination->pixels[size_t(y) * destination->pitch + x]; };
    EXPECT_EQ(at(50, 50), 0) << "black outline";
    EXPECT_EQ(at(199, 149), 0);
    EXPECT_EQ(at(100, 100), 255) << "white inside";
    EXPECT_EQ(at(200, 100), 0) << "the right edge is outside";
    EXPECT_EQ(at(10, 10), 0) << "nothing copied";
    EXPECT_EQ(at(300, 300), 0);

    screen.width = 640;
    copy_to_vram(source, destination);
    EXPECT_EQ(at(300, 300), 7) << "a whole-screen copy";
    screen.width = saved_width;
    surface_delete(source);
    surface_delete(destination);
}

TEST(SoftwareDisplay, TheThreeScreenSaverSwitchesGoOffAndComeBack)
{
    host_set_screen_saver(true);
    host_set_monitor_standby(false); // already off: stays off after the restore
    host_set_monitor_switch_off(true);
    disable_screen_saver();
    EXPECT_FALSE(host_screen_saver_enabled());
    EXPECT_FALSE(host_monitor_standby_enabled());
    EXPECT_FALSE(host_monitor_switch_off_enabled());
    restore_screen_saver();
    EXPECT_TRUE(host_screen_saver_enabled());
    EXPECT_FALSE(host_monitor_standby_enabled());
    EXPECT_TRUE(host_monitor_switch_off_enabled());
    host_set_monitor_standby(true);
}
