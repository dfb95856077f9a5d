// One headless screen drawn as the menus draw it: the kit's hardware font
// and sprite set queued over a cleared picture, flushed, and read back; then
// a wipe half closed over the same screen.
#include "gl3d/display_device.h"
#include "host/host_test_hooks.h"
#include "gl3d/gl.h"
#include "gl3d/hw_camera.h"
#include "gl3d/hw_fonts.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/sprite_sets.h"
#include "gl3d/texture_cache.h"
#include "gl3d/texture_manager.h"
#include "gl3d/timer_pool.h"
#include "gl3d/transitions.h"
#include "gl3d/window_shell.h"
#include "gl3d/d3d.h"
#include "host/clock.h"
#include "host/paths.h"
#include "host/render_device.h"
#include "platform/app_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

uint32_t g_now = 0;
uint32_t test_clock() { return g_now; }

struct Rgb {
    int r, g, b;
};

class ScreenPicture : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::remove(host_user_file("devconfig.dat"));
        g_now = 0;
        host_set_clock(test_clock);
        reset_render_state_cache();
        reset_texture_cache();
        tex_destroy_all();
        reset_hw_fonts();
        reset_sprite_sets();
        reset_timer_pool();
        reset_hw_camera();
        app_active = 1;
        app_suspended = 0;
        start_3d_display(0, 0, 0, 1);
        device = display_3d_device();
        ASSERT_NE(device, nullptr);
        reset_hw_transitions();
        init_sprite_engine();
        sprite_hardware_switch = 1;
        set_sprite_option(1);
        // The screens' default states: vertex colours, blending by source alpha.
        set_colour_mode(2, 0xFFFFFFFF);
        set_blend_mode(4, 5);
        picture.resize(PICTURE_WIDTH * PICTURE_HEIGHT);
    }
    void TearDown() override
    {
        reset_hw_fonts();
        reset_sprite_sets();
        reset_texture_cache();
        tex_destroy_all();
        reset_hw_transitions();
        reset_timer_pool();
        sprite_hardware_switch = 0;
        host_set_clock(nullptr);
        glw_destroy_window();
        free_driver_list();
        refresh_display_info();
        reset_display_device();
    }

    // Queues the screen: the HUD's toss choice panel, its ball marker, and a
    // word in yellow.
    void queue_screen(int32_t set, int32_t font)
    {
        constexpr uint32_t TOSS_PANEL = 69, BALL_MARKER = 72;
        queue_sprite(sprite_set_frame(set, TOSS_PANEL), 100, 100, 0, 20, 256, 0);
        queue_sprite(sprite_set_frame(set, BALL_MARKER), 132, 112, 0, 30, 256, 0); // over the panel's middle
        float at[2] = {300, 200};
        draw_hw_string("KOB", at, 0, font);
    }

    void draw_frame(int32_t set, int32_t font)
    {
        begin_scene();
        device->clear(0xFF000040, 1.0f);
        queue_screen(set, font);
        flush_sprites();
        end_scene();
        ASSERT_TRUE(device->read_picture(picture.data()));
    }

    Rgb at(int x, int y) const
    {
        uint32_t c = picture[static_cast<size_t>(y) * PICTURE_WIDTH + x];
        return {int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)};
    }
    static void expect(Rgb a, Rgb e, int tolerance, const char* what)
    {
        EXPECT_NEAR(a.r, e.r, tolerance) << what;
        EXPECT_NEAR(a.g, e.g, tolerance) << what;
        EXPECT_NEAR(a.b, e.b, tolerance) << what;
    }

    HostRenderDevice* device = nullptr;
    std::vector<uint32_t> picture;
};

TEST_F(ScreenPicture, KitFontAndSpritesThroughTheQueue)
{
    int32_t font = create_hw_font("front_en\\font\\hw\\newlarge2.lkf");
    ASSERT_GE(font, 0);
    ASSERT_GT(hw_font_metrics(font)->glyph_count, 0u) << "the kit's font is in the data set";
    set_hw_font_colour(font, 0xFFFFFF00);
    set_hw_text_queued(1);
    std::vector<uint8_t> animation(4096); // as the HUD gives it
    int32_t set = load_sprite_set("game_gfx\\hardware\\panels.sph", animation.data(), 4096);
    ASSERT_GE(set, 0);
    ASSERT_NE(sprite_set_frame(set, 0), nullptr);

    draw_frame(set, font);
    const Rgb clear{0, 0, 0x40};
    expect(at(101, 101), {0xE8, 0xC0, 0x40}, 9, "the panel's border");
    expect(at(103, 103), {0x0D, 0x1A, 0x40}, 9, "the panel's see-through face");
    expect(at(140, 117), {0xB0, 0x28, 0x18}, 9, "the ball over the panel (drawn later: deeper)");
    expect(at(140, 121), {240, 240, 240}, 9, "its seam (a pixel lower, as the glyphs)");
    // K's top left is ink, the next columns paper (each glyph pixel is 2 x 2;
    // the picture keeps a one-pixel border, so rows land a pixel lower).
    expect(at(300, 202), {255, 255, 0}, 2, "yellow ink");
    expect(at(302, 202), clear, 2, "paper between the strokes");
    expect(at(308, 202), {255, 255, 0}, 2, "K's right arm");
    expect(at(300, 195), clear, 2, "above the line");

    // Half way through a wipe whose right edge sweeps left: the right of the
    // picture is no longer drawn.
    start_hw_transition(2, 1000, 0);
    g_now += 500;
    step_hw_transition();
    draw_frame(set, font);
    expect(at(630, 10), clear, 0, "beyond the wipe");
    int32_t x, y, w, h;
    get_requested_viewport(&x, &y, &w, &h);
    EXPECT_EQ(w, 322);
    g_now += 500;
    step_hw_transition();
    EXPECT_FALSE(hw_transition_running());
}

} // namespace
