// The HUD in drawn pictures: a match set up from the kit's data set on the
// headless 3D display, its frames drawn as the match screen draws them and
// read back before they are shown; then the replay screen's frame.
#include "matchscreen/match_picture_fixture.h"
#include "display/camera_presets.h"
#include "display/hud.h"
#include "display/match_scene.h"
#include "display/men_display.h"
#include "display/replay.h"
#include "display/replay_screen.h"
#include "gl3d/d3d.h"
#include "gl3d/display_device.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/sprite_sets.h"
#include "gl3d/texture_cache.h"
#include "gl3d/window_shell.h"
#include "host/render_device.h"
#include "match/match_driver.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "matchscreen/match_screen.h"
#include "platform/app_state.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/mouse.h"
#include "platform/tick_timer.h"
#include "screen/screen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr int W = 640, H = 480;

struct Rgb {
    int r, g, b;
};

std::vector<uint32_t> g_caught;
bool g_was_caught;

// The match screen shows its frame last; the picture is read just before.
void catch_picture()
{
    HostRenderDevice* device = display_3d_device();
    g_was_caught = device && device->read_picture(g_caught.data());
    present_and_clear();
}

class HudPicture : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_input_and_screen();
        start_3d_display(0, 0, 0, 1);
        ASSERT_NE(display_3d_device(), nullptr);
        use_3d_hardware = 1;
        sprite_hardware_switch = 1;
        set_screen_display_kind(1); // the texts in the hardware fonts
        // Left as the sprite engine starts: the match's own set-up must put
        // its sprites in screen units.
        set_sprite_option(0);
        enable_sprite_queue();
        reset_sprite_queues();
        reset_replay_screen();
        reset_hud();
        free_replay_node();
        new_replay_node(1u << 20);
        install_display_hooks();
        match_hooks.present_frame = catch_picture;
        g_caught.assign(size_t(W) * H, 0);
        headless_match_setup(MatchRunSettings{});
        for (int t = 0; t < 4000 && match_globals.match_state != 22; ++t) headless_match_tick();
        ASSERT_EQ(match_globals.match_state, 22);
    }
    void TearDown() override
    {
        presentation::release_match_resources();
        free_replay_node();
        reset_replay_screen();
        reset_hud();
        free_figure_instances();
        reset_match_scene();
        reset_sprite_queues();
        set_sprite_option(0);
        set_screen_display_kind(0);
        sprite_hardware_switch = 0;
        use_3d_hardware = 0;
        close_hardware_match_display();
    }

    // A second of frames three ticks apart, as the match screen draws them.
    void play_frames()
    {
        g_was_caught = false;
        for (int f = 0; f < 20; ++f) {
            for (int t = 0; t < 3; ++t) headless_match_tick();
            match_tick_record.due = 3;
            render_match_frame();
        }
        ASSERT_TRUE(g_was_caught);
    }
    static Rgb at(int x, int y)
    {
        const uint32_t p = g_caught[size_t(y) * W + x];
        return {int((p >> 16) & 255), int((p >> 8) & 255), int(p & 255)};
    }
    static int count(int x0, int y0, int x1, int y1, const std::function<bool(const Rgb&)>& is)
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += is(at(x, y)) ? 1 : 0;
        return n;
    }
};

bool gold(const Rgb& c) { return c.r > 180 && c.g > 140 && c.b < 110; }
bool light(const Rgb& c) { return c.r > 170 && c.g > 170 && c.b > 170; }
bool navy(const Rgb& c) { return c.b > c.r + 10 && c.b > c.g && c.r < 80; }
bool lit_segment(const Rgb& c) { return c.r > 180 && c.g > 170 && c.b < 120; }

} // namespace

TEST_F(HudPicture, TheScorePanelSlidesInWithTheScoresOnIt)
{
    play_frames();
    EXPECT_EQ(clock_panel.offset, 0) << "in place after a second";
    // The panel: gold edges round a dark plate at the top left.
    EXPECT_GT(count(0, 3, 132, 7, gold), 200) << "its top edge";
    EXPECT_GT(count(4, 8, 80, 26, navy), 600) << "its plate";
    // Both teams' "000" stand on it, not under it.
    EXPECT_GT(count(88, 6, 130, 26, light), 20) << "the first score";
    EXPECT_GT(count(88, 30, 130, 50, light), 20) << "the second score";
}

TEST_F(HudPicture, TheReplayScreenShowsItsPanelDigitsAndPointer)
{
    open_replay_screen();
    uint32_t now = 1000;
    replay_screen.stamp_a = now;
    for (int f = 0; f < 10; ++f) {
        replay_screen_frame(now += 20);
        present_and_clear();
        replay_panel_pass(400, 300, 0, 0);
        presentation::draw_match_scene();
    }
    HostRenderDevice* device = display_3d_device();
    ASSERT_TRUE(device->read_picture(g_caught.data()));
    close_replay_screen();

    const int x = replay_screen.panel_x, y = replay_screen.panel_y;
    EXPECT_GT(count(x, y - 1, x + 170, y + 3, gold), 250) << "the panel's top edge at " << x << ", " << y;
    EXPECT_GT(count(x + 2, y + 2, x + 168, y + 54, navy), 2000) << "its plate and buttons";
    // "00:00" in lit segments in the clock's well.
    EXPECT_GT(count(x + 12, y + 10, x + 50, y + 22, lit_segment), 20) << "the clock's digits";
    // The pointer (black edged, white inside) where the mouse stands.
    EXPECT_GT(count(400, 300, 411, 316, light), 10) << "the pointer";
}
