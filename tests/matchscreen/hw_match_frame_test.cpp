// The match on the 3D display: a match set up from the kit's data set, drawn
// by the frame draw on the headless display and read back by pixel.
#include "matchscreen/match_picture_fixture.h"
#include "display/camera_presets.h"
#include "display/match_scene.h"
#include "display/men_display.h"
#include "display/model_instances.h"
#include "gl3d/d3d.h"
#include "gl3d/display_device.h"
#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/texture_cache.h"
#include "gl3d/window_shell.h"
#include "host/render_device.h"
#include "match/match_driver.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "platform/app_state.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/settings.h"
#include "screen/screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int W = 640, H = 480;

struct Rgb {
    int r, g, b;
};

class HardwareMatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_input_and_screen();
        start_3d_display(0, 0, 0, 1);
        device = display_3d_device();
        ASSERT_NE(device, nullptr);
        use_3d_hardware = 1;
        sprite_hardware_switch = 1;
        install_display_hooks();
        saved_quality = user_settings.pitch_render_quality;
        user_settings.pitch_render_quality = 2; // shadows cast by every man
        headless_match_setup(MatchRunSettings{});
        // The coin toss: both sides lined up, the captains in the centre.
        for (int t = 0; t < 4000 && match_globals.match_state != 22; ++t) headless_match_tick();
        ASSERT_EQ(match_globals.match_state, 22);
    }
    void TearDown() override
    {
        presentation::release_match_resources();
        free_figure_instances();
        reset_match_scene();
        reset_sprite_queues();
        close_hardware_match_display();
        user_settings.pitch_render_quality = saved_quality;
    }

    // The free camera (low behind the near touch line) on the ball: the sky
    // over the stands, the pitch, and the near team large in front.
    static void low_view()
    {
        match_hooks.set_camera_view(8);
        setup_all_camera_presets(0, 0, 0);
        for (int t = 0; t < 60; ++t) headless_match_tick();
    }
    void frame()
    {
        present_and_clear();
        match_hooks.draw_match_scene();
        screen.assign(size_t(W) * H, 0);
        ASSERT_TRUE(device->read_picture(screen.data()));
    }
    Rgb at(int x, int y) const
    {
        const uint32_t p = screen[size_t(y) * W + x];
        return {int((p >> 16) & 255), int((p >> 8) & 255), int(p & 255)};
    }
    // A joint of a man as drawn, on the screen.
    static bool on_screen(const PlayerSlot& man, int joint, int32_t* x, int32_t* y)
    {
        const ModelInstance* in = current_man_instance(&man);
        if (!in) return false;
        const float p[3] = {-in->attach[joint][0], -in->attach[joint][1], in->attach[joint][2]};
        return project_to_screen(p, x, y) && *x >= 0 && *x < W && *y >= 0 && *y < H;
    }

    HostRenderDevice* device = nullptr;
    std::vector<uint32_t> screen;
    uint32_t saved_quality = 0;
};

// The grass and the worn centre: green over red, well over blue.
bool grass(const Rgb& c) { return c.g >= c.r && c.g > c.b + 20; }

} // namespace

TEST_F(HardwareMatch, AFrameShowsTheSkyThePitchAManAndHisShadow)
{
    low_view();
    frame();
    const Rgb sky = at(W / 2, 4), pitch = at(W / 2, H - 4);
    EXPECT_GT(sky.b, sky.r + 40) << "blue sky over the stands";
    EXPECT_GT(sky.b, sky.g);
    EXPECT_TRUE(grass(pitch)) << pitch.r << " " << pitch.g << " " << pitch.b;

    // The away man lowest on the screen (nearest the camera), with room
    // round him for his shadow.
    PlayerSlot* nearest = nullptr;
    int32_t best = -1, fx = 0, fy = 0;
    for (PlayerSlot& man : team_records[1].slots) {
        int32_t x, y;
        if (on_screen(man, 0, &x, &y) && x > 100 && x < W - 100 && y > best) best = y, nearest = &man, fx = x, fy = y;
    }
    ASSERT_NE(nearest, nullptr);
    int32_t hx = 0, hy = 0;
    ASSERT_TRUE(on_screen(*nearest, 8, &hx, &hy));
    ASSERT_LT(hy, fy - 20) << "his head stands well above his hips";
    const std::vector<uint32_t> with_him = screen;

    // The same frame with him gone far away: what changes near him is the
    // man himself and his shadow.
    nearest->x += 60000;
    frame();
    const std::vector<uint32_t> without = screen;
    auto rgb = [](uint32_t p) { return Rgb{int((p >> 16) & 255), int((p >> 8) & 255), int(p & 255)}; };
    int body = 0, shadow = 0;
    for (int y = std::max(0, hy - 10); y < std::min(H, fy + 160); ++y)
        for (int x = std::max(0, fx - 100); x < std::min(W, fx + 100); ++x) {
            const Rgb a = rgb(with_him[size_t(y) * W + x]), b = rgb(without[size_t(y) * W + x]);
            const int da = a.r + a.g + a.b, db = b.r + b.g + b.b;
            if (grass(b) && grass(a) && da < db * 9 / 10) ++shadow;
            else if (std::abs(da - db) > 60 && !grass(a)) ++body;
        }
    EXPECT_GT(body, 50) << "the man is drawn where his joints are";
    EXPECT_GT(shadow, 20) << "darker grass by him: his shadow";
    int at_hips = 0; // his shorts, where his hips project
    for (int y = fy - 4; y <= fy + 4; ++y)
        for (int x = fx - 4; x <= fx + 4; ++x) {
            const Rgb a = rgb(with_him[size_t(y) * W + x]), b = rgb(without[size_t(y) * W + x]);
            at_hips += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 40;
        }
    EXPECT_GT(at_hips, 40) << "of 81";
}

// A human team's ring at a throw-in goes round the point it is given, on the
// ground: pixels on the circle change, the centre does not.
TEST_F(HardwareMatch, AThrowInRingGoesRoundItsPoint)
{
    low_view();
    frame();
    const std::vector<uint32_t> before = screen;
    const float cx = 0, cz = -700; // scene units, between the camera and the men
    for (int team = 0; team < 2; ++team) {
        SCOPED_TRACE(team);
        match_hooks.place_model_ring(team, cx, 0, cz, 0.5f);
        frame();
        int changed = 0, points = 0;
        for (int i = 0; i < 16; ++i) {
            const float a = i * 6.2831853f / 16;
            const float p[3] = {-(cx + 46 * std::cos(a)), 0, cz + 46 * std::sin(a)};
            int32_t x, y;
            if (!project_to_screen(p, &x, &y) || x < 1 || x >= W - 1 || y < 1 || y >= H - 1) continue;
            ++points;
            // The piece may sit a pixel off the exact circle.
            bool near = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) near |= screen[size_t(y + dy) * W + x + dx] != before[size_t(y + dy) * W + x + dx];
            changed += near;
        }
        ASSERT_GT(points, 8);
        EXPECT_GE(changed, points * 3 / 4) << "the ring lies on its circle";
        const float centre[3] = {-cx, 0, cz};
        int32_t x, y;
        ASSERT_TRUE(project_to_screen(centre, &x, &y));
        EXPECT_EQ(screen[size_t(y) * W + x], before[size_t(y) * W + x]) << "nothing at its centre";
        frame();
        EXPECT_EQ(screen, before) << "a ring is shown for the frame it was placed in";
    }
}

// Every camera preset shows the ground: each view's frame holds grass.
TEST_F(HardwareMatch, EveryPresetShowsTheGround)
{
    for (int view = 0; view < CAMERA_PRESETS; ++view) {
        SCOPED_TRACE(view);
        match_hooks.set_camera_view(view);
        setup_all_camera_presets(0, 0, 0);
        for (int t = 0; t < 60; ++t) match_hooks.update_match_camera();
        frame();
        int green = 0;
        for (int y = 0; y < H; y += 8)
            for (int x = 0; x < W; x += 8) green += grass(at(x, y));
        EXPECT_GT(green, 300) << "of 4800 samples";
    }
}

// The coin toss lends the coin a texture slot: reloading it twice leaves the
// markers' texture alive, and giving it back takes only the coin's slot.
TEST_F(HardwareMatch, TheCoinsTextureSlotIsGivenBackAloneAndTheMarkersKeepTheirs)
{
    const std::string coin = "3d display\\textures\\COIN.TGA", markers = "3d display\\textures\\MARKERS.TGA";
    const int32_t with_coin = loaded_slot_count;
    ASSERT_EQ(find_texture_slot(coin), with_coin - 1) << "the toss's entry loaded the coin last";
    const int32_t marker_slot = find_texture_slot(markers);
    ASSERT_GE(marker_slot, 0);
    reload_overlay_model(); // a second reload meets the first one's
    EXPECT_EQ(loaded_slot_count, with_coin);
    EXPECT_GT(get_texture_use_count(texture_slots[marker_slot].texture), 0u);

    pop_texture_slot();
    EXPECT_EQ(loaded_slot_count, with_coin - 1);
    EXPECT_EQ(find_texture_slot(coin), -1);
    EXPECT_GT(get_texture_use_count(texture_slots[marker_slot].texture), 0u);
    const std::string last = texture_slots[with_coin - 2].name;
    pop_texture_slot(); // the coin is gone: the last slot is not its to free
    EXPECT_EQ(loaded_slot_count, with_coin - 1);
    EXPECT_EQ(texture_slots[with_coin - 2].name, last);
    low_view();
    frame(); // and the match still draws
}
