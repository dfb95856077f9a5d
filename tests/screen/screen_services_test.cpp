#include "screen/screen_services.h"

#include "platform/exit_trap.h"
#include "platform/command_line.h"
#include "screen/screen_flip.h"
#include "screen/screen.h"

#include <gtest/gtest.h>

TEST(Surfaces, FormatsGiveTheirDepthMasksAndPitch)
{
    struct Case {
        int32_t format;
        uint32_t bits, red, green, blue;
        int32_t pitch_for_width_5;
    } cases[] = {
        {0, 8, 0, 0, 0, 8},
        {1, 16, 0x7C00, 0x03E0, 0x001F, 12},
        {2, 16, 0xF800, 0x07E0, 0x001F, 12},
        {3, 16, 0x7C00, 0x03E0, 0x001F, 12},
        {4, 24, 0xFF0000, 0x00FF00, 0x0000FF, 16},
        {5, 32, 0xFF0000, 0x00FF00, 0x0000FF, 20},
    };
    for (const Case& c : cases) {
        Surface* s = nullptr;
        uint8_t* memory = create_surface(&s, 5, 3, c.format);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(memory, s->pixels.data());
        EXPECT_EQ(s->bits, c.bits) << c.format;
        EXPECT_EQ(s->red_mask, c.red);
        EXPECT_EQ(s->green_mask, c.green);
        EXPECT_EQ(s->blue_mask, c.blue);
        EXPECT_EQ(get_surface_width(s), c.pitch_for_width_5) << c.format;
        release_surface(s);
    }
    for (auto bad : {std::array<int32_t, 3>{0, 4, 0}, {4, -1, 0}, {4, 4, 6}, {100000, 4, 0}}) {
        Surface* s = nullptr;
        Ending e = run_trapped([&] { create_surface(&s, bad[0], bad[1], bad[2]); });
        EXPECT_NE(e.box_text.find("Can't create DirectDraw Surface\nSub code: 0X0\n\ncreate_surface"),
                  std::string::npos);
    }
}

TEST(Surfaces, ColourMatchGivesThePixelValueAndLeavesThePixel)
{
    struct Case {
        int32_t format, colour, value;
    } cases[] = {
        {2, 0xFF0000, 0xF800},
        {2, 0x00FF00, 0x07E0},
        {1, 0x0000FF, 0x001F},
        {1, 0x808080, 0x4210},
        {4, 0x123456, 0x123456},
        // All 32 bits of a 32-bit surface count: no mask shifted by 32.
        {5, 0xFFFFFF, 0xFFFFFF},
        {5, 0x00A0B0C0, 0xA0B0C0},
    };
    for (const Case& c : cases) {
        Surface* s = nullptr;
        create_surface(&s, 4, 4, c.format);
        s->pixels[0] = 0x5A;
        EXPECT_EQ(colour_match(s, c.colour), c.value) << c.format << " " << std::hex << c.colour;
        EXPECT_EQ(s->pixels[0], 0x5A);
        release_surface(s);
    }
    Surface* s = nullptr;
    create_surface(&s, 2, 2, 5);
    s->pixels = {0x11, 0x22, 0x33, 0x44, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(colour_match(s, -1), 0x44332211);
    release_surface(s);

    Surface* indexed = nullptr;
    create_surface(&indexed, 4, 4, 0);
    indexed->palette[7] = 0xFC0000;
    indexed->palette[9] = 0x00FC00;
    EXPECT_EQ(colour_match(indexed, 0xF00000), 7);
    EXPECT_EQ(colour_match(indexed, 0x00E000), 9);
    release_surface(indexed);
}

TEST(Surfaces, TheScreenSurfaceLockedFollowsTheScreenWidth)
{
    uint8_t saved_flipping = page_flipping;
    uint32_t saved_width = screen.width;
    page_flipping = 0; // so that the window surface exists too
    ASSERT_EQ(create_ddraw_surfaces(), 1);
    struct Case {
        uint32_t screen_width;
        int32_t which;
        Surface** surface;
    } cases[] = {
        {640, 0, &back_surface},
        {640, 1, &flip_surface},
        {640, 2, &flip_surface},
        {320, 0, &flip_surface},
        {320, 1, &window_surface},
    };
    for (const Case& c : cases) {
        screen.width = c.screen_width;
        Surface* expected = *c.surface;
        uint8_t* pixels = lock_screen_surface(c.which);
        EXPECT_EQ(pixels, expected->pixels.data()) << c.screen_width << " " << c.which;
        EXPECT_EQ(expected->lock_count, 1) << c.screen_width << " " << c.which;
        unlock_screen_surface(c.which, pixels);
        EXPECT_EQ(expected->lock_count, 0);
    }
    release_ddraw();
    screen.width = saved_width;
    page_flipping = saved_flipping;
}

TEST(SmallServices, ClusterSizeRoundsUpToWholeClusters)
{
    uint32_t cluster = cluster_file_size(1, "");
    ASSERT_GT(cluster, 0u);
    EXPECT_EQ(cluster_file_size(0, ""), 0u);
    EXPECT_EQ(cluster_file_size(cluster, ""), cluster);
    EXPECT_EQ(cluster_file_size(cluster + 1, ""), 2 * cluster);
    // A drive letter is the data directory's disk, however it is written.
    for (const char* drive : {"C", "c:", "C:\\", "D:\\"}) EXPECT_GT(cluster_file_size(1, drive), 0u) << drive;
    Ending e = run_trapped([] { cluster_file_size(10, "/no/such/drive"); });
    EXPECT_EQ(e.code, 1);
    EXPECT_NE(e.box_text.find("unspecified error\nSub code: 0X2\n\nSector Filesize\n"), std::string::npos);
}

TEST(SmallServices, TextSwitches)
{
    text_proportional_off();
    EXPECT_EQ(text_proportional, 0u);
    text_proportional_toggle();
    EXPECT_EQ(text_proportional, 1u);
    set_text_pen(10, 20);
    set_text_pen_y(30);
    EXPECT_EQ(text_pen_x, 10);
    EXPECT_EQ(text_pen_y, 30);
}
