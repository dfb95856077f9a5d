#include "host/host.h"
#include "host/window.h"
#include "host/host_test_hooks.h"
#include "host/host_sdl.h"

#include "host/events.h"

#include <gtest/gtest.h>

TEST(MainWindow, ThePictureKeepsItsShapeInAnyWindow)
{
    SDL_Window* window = as_sdl(host_create_window("KOB 99", false));
    ASSERT_NE(window, nullptr) << SDL_GetError();
    EXPECT_STREQ(SDL_GetWindowTitle(window), "KOB 99");
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE);
    HostMessage first{};
    ASSERT_TRUE(host_peek_message(&first));
    EXPECT_EQ(first.id, HOST_WM_ACTIVATE); // a new window is the active one
    EXPECT_EQ(first.wparam, 1u);

    struct Case {
        int w, h;
        HostRect picture;
    } cases[] = {
        {640, 480, {0, 0, 640, 480}},
        {800, 480, {80, 0, 640, 480}},    // bars left and right
        {640, 600, {0, 60, 640, 480}},    // bars above and below
        {1280, 960, {0, 0, 1280, 960}},
        {321, 240, {0, 0, 320, 240}},
    };
    for (const Case& c : cases) {
        SDL_SetWindowSize(window, c.w, c.h);
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(window, &w, &h);
        if (w != c.w || h != c.h) continue; // the driver would not take this size
        HostRect r = host_picture_rect();
        EXPECT_EQ(r.x, c.picture.x) << c.w << "x" << c.h;
        EXPECT_EQ(r.y, c.picture.y) << c.w << "x" << c.h;
        EXPECT_EQ(r.w, c.picture.w) << c.w << "x" << c.h;
        EXPECT_EQ(r.h, c.picture.h) << c.w << "x" << c.h;

        int x = 320, y = 240;
        host_picture_to_window(&x, &y);
        EXPECT_EQ(x, c.picture.x + c.picture.w / 2);
        EXPECT_EQ(y, c.picture.y + c.picture.h / 2);
        host_window_to_picture(&x, &y);
        EXPECT_EQ(x, 320);
        EXPECT_EQ(y, 240);
    }
    host_destroy_window();
    EXPECT_EQ(host_window(), nullptr);
    host_clear_messages();
}

TEST(MainWindow, ScreenSaverSwitch)
{
    host_set_screen_saver(false);
    EXPECT_FALSE(host_screen_saver_enabled());
    host_set_screen_saver(true);
    EXPECT_TRUE(host_screen_saver_enabled());
}
