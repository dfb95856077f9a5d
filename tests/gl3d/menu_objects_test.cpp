// Picture breaks drawn on the headless display and read back: how a picture
// is cut into tiles and pieces, the two slots and their order, and each kind
// of effect run on a fake clock until it finishes.
#include "gl3d/menu_objects.h"

#include "gl3d/d3d.h"
#include "gl3d/display_device.h"
#include "gl3d/gl.h"
#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/texture_cache.h"
#include "gl3d/texture_manager.h"
#include "gl3d/timer_pool.h"
#include "gl3d/window_shell.h"
#include "host/clock.h"
#include "host/host_test_hooks.h"
#include "host/paths.h"
#include "host/render_device.h"
#include "platform/app_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

uint32_t g_now = 0;
uint32_t test_clock() { return g_now; }

constexpr int W = 640, H = 480;

class MenuObjects : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::remove(host_user_file("devconfig.dat"));
        g_now = 1000;
        host_set_clock(test_clock);
        host_srand(1);
        reset_render_state_cache();
        reset_hw_camera(); // no letterbox left by an earlier camera
        reset_texture_cache();
        tex_destroy_all();
        reset_timer_pool();
        app_active = 1;
        app_suspended = 0;
        start_3d_display(0, 0, 0, 1);
        device = display_3d_device();
        ASSERT_NE(device, nullptr);
        ASSERT_EQ(display_width(), W);
        ASSERT_EQ(display_height(), H);
        set_colour_mode(2, 0xFFFFFFFF);
        set_blend_mode(4, 5);
        load_tile_textures();
        // Left half red, right half blue.
        picture.resize(W * H);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) picture[static_cast<size_t>(y) * W + x] = x < W / 2 ? 0xFFFF0000u : 0xFF0000FFu;
        screen.resize(W * H);
    }
    void TearDown() override
    {
        reset_menu_objects();
        release_tile_textures();
        reset_texture_cache();
        tex_destroy_all();
        reset_timer_pool();
        host_set_clock(nullptr);
        glw_destroy_window();
        free_driver_list();
        refresh_display_info();
        reset_display_device();
    }

    void frame()
    {
        begin_scene();
        device->clear(0xFF00FF00, 1.0f); // green where no piece is
        draw_3d_objects();
        end_scene();
        ASSERT_TRUE(device->read_picture(screen.data()));
    }
    // Frames every 16 ms until the objects finish; the time it took.
    uint32_t run_to_finish(uint32_t limit_ms = 5000)
    {
        const uint32_t start = g_now;
        while (!objects_finished() && g_now - start < limit_ms) {
            g_now += 16;
            frame();
        }
        return g_now - start;
    }
    uint32_t at(int x, int y) const { return screen[static_cast<size_t>(y) * W + x] & 0xFFFFFF; }

    HostRenderDevice* device = nullptr;
    std::vector<uint32_t> picture, screen;
};

int pieces_in_tile(const menu_3d_object& o, size_t tile) { return static_cast<int>(o.tiles[tile].indices.size() / 6); }

TEST_F(MenuObjects, APictureIsCutIntoTwentyTilesAndPiecesByStyle)
{
    int32_t slot = create_3d_object(picture.data(), 0, 0, 1);
    ASSERT_EQ(slot, 0);
    const menu_3d_object* o = menu_3d_object_at(slot);
    ASSERT_NE(o, nullptr);
    ASSERT_EQ(o->tiles.size(), 20u);
    ASSERT_EQ(o->pieces.size(), 20u);
    const menu_3d_tile& last = o->tiles[19];
    EXPECT_EQ(last.top, 384);
    EXPECT_EQ(last.left, 512);
    EXPECT_EQ(last.height, 96);
    EXPECT_EQ(last.texture_height, 128);
    // The last row's pieces are 96 high: vb = 0.75.
    const menu_3d_piece& p = o->pieces[19];
    EXPECT_EQ(p.tile, 19u);
    EXPECT_FLOAT_EQ(last.uv[static_cast<size_t>(p.first_vertex) * 2 + 5], 0.75f);
    EXPECT_FLOAT_EQ(last.vertices[static_cast<size_t>(p.first_vertex) * 3 + 7], 240.0f - 0.0f); // bottom - H/2
    EXPECT_STREQ(texture_cache_name(o->tiles[0].texture), "_128_128_00.tga");

    // Style 1: 32 x 32 pieces, 16 a tile in the first three rows of tiles and 12 in the last.
    start_3d_object(slot, 0, 1, 0);
    EXPECT_EQ(o->pieces.size(), 300u);
    for (size_t t = 0; t < 20; ++t) EXPECT_EQ(pieces_in_tile(*o, t), t < 15 ? 16 : 12) << "tile " << t;
    // Styles 5 and 6: tall and wide strips.
    start_3d_object(slot, 0, 5, 0);
    EXPECT_EQ(o->pieces.size(), 20u * 4);
    start_3d_object(slot, 0, 6, 0);
    EXPECT_EQ(o->pieces.size(), 5u * 15);
    // A style outside 0..6 builds nothing.
    start_3d_object(slot, 0, 7, 0);
    EXPECT_TRUE(o->pieces.empty());
}

TEST_F(MenuObjects, AnUnmovedPictureIsDrawnWhole)
{
    create_3d_object(picture.data(), 1, 0, 1);
    frame();
    EXPECT_EQ(at(10, 10), 0xFF0000u);
    EXPECT_EQ(at(319, 470), 0xFF0000u);
    EXPECT_EQ(at(321, 240), 0x0000FFu);
    EXPECT_EQ(at(638, 478), 0x0000FFu);
    EXPECT_EQ(objects_finished(), 0) << "not started, so not finished";
}

TEST_F(MenuObjects, TwoSlotsInCreationOrderAndAThirdIsRefused)
{
    const int32_t timers = timer_count(), quads = quad_count();
    EXPECT_EQ(create_3d_object(picture.data(), 0, 0, 1), 0);
    EXPECT_EQ(create_3d_object(picture.data(), 0, 0, 0), 1);
    // The second picture is laid into the other bank while the first holds its own.
    EXPECT_STREQ(texture_cache_name(menu_3d_object_at(1)->tiles[0].texture), "_128_128_20.tga");
    EXPECT_EQ(create_3d_object(picture.data(), 0, 0, 1), -1);
    EXPECT_EQ(timer_count(), timers + 4) << "the refused object took no timer (each quad has one too)";
    EXPECT_EQ(quad_count(), quads + 2) << "nor a quad";
    EXPECT_EQ(next_3d_object(0), 1);
    EXPECT_EQ(next_3d_object(1), -1);

    // Out-of-range indices and slots name no object.
    restart_3d_object_timer(-1, 5);
    restart_3d_object_timer(7, 0);
    EXPECT_EQ(object_running(0, 0) + object_running(1, 0), 0);
    restart_3d_object_timer(-1, 1);
    EXPECT_EQ(object_running(1, 0), 1);
    EXPECT_EQ(object_running(-1, 1), 1);
    stop_3d_object(-1, 1);
    EXPECT_EQ(object_running(1, 0), 0);
    EXPECT_EQ(objects_finished(), 1);

    // Freeing the first moves the second to the head of the order.
    free_3d_object(-1, 0);
    EXPECT_EQ(menu_3d_object_at(0), nullptr);
    EXPECT_EQ(object_running(-1, 0), 0);
    hide_3d_object(-1, 0);
    EXPECT_EQ(menu_3d_object_at(1)->shown, 0);
    EXPECT_EQ(any_3d_object_active(), 0) << "the only object is hidden";
    // The freed bank is used again.
    EXPECT_EQ(create_3d_object(picture.data(), 0, 0, 1), 0);
    EXPECT_STREQ(texture_cache_name(menu_3d_object_at(0)->tiles[0].texture), "_128_128_00.tga");
    EXPECT_EQ(next_3d_object(1), 0);

    restart_3d_object_timer(0, 0);
    free_all_3d_objects();
    EXPECT_EQ(timer_count(), timers);
    EXPECT_EQ(quad_count(), quads);
    restart_3d_object_timer(-1, 0);
    EXPECT_EQ(objects_finished(), 1);
    free_3d_object(0, 0); // nothing there: still finished
    EXPECT_EQ(objects_finished(), 1);
}

TEST_F(MenuObjects, EffectZeroFinishesAtItsFirstRunningFrame)
{
    create_3d_object(picture.data(), 0, 0, 1);
    restart_3d_object_timer(0, 0);
    EXPECT_EQ(objects_finished(), 0);
    frame();
    EXPECT_EQ(objects_finished(), 1);
    EXPECT_EQ(object_running(0, 0), 0);
    frame();
    EXPECT_EQ(at(10, 10), 0xFF0000u) << "a finished object is drawn unmoved";
}

TEST_F(MenuObjects, ARandomShrinkPickTakesItsDrawFromTheRuntime)
{
    // A seed whose first draw has its low three bits set picks the last of
    // the eight, the whole-picture shrink.
    uint32_t seed = 1;
    for (;; ++seed) {
        host_srand(seed);
        if ((host_rand() & 7) == 7) break;
    }
    host_srand(seed);
    create_3d_object(picture.data(), 0, 11, 1);
    const menu_3d_piece& p = menu_3d_object_at(0)->pieces[0];
    EXPECT_EQ(menu_3d_object_at(0)->motion, MOTION_PIVOT | MOTION_SCALE);
    EXPECT_FLOAT_EQ(p.scale[0], 0.996f);
    EXPECT_FLOAT_EQ(p.scale[1], 0.996f);
    EXPECT_FLOAT_EQ(p.scale_factor[1], 0.9875f);
}

TEST_F(MenuObjects, TheShrinkEndsAfterAboutHalfASecondAtTheCentre)
{
    create_3d_object(picture.data(), 0, 4, 1);
    show_3d_object(0, 0);
    restart_3d_object_timer(0, 0);
    const uint32_t start = g_now;
    for (int n = 0; n < 8; ++n) {
        g_now += 16;
        frame();
    }
    // An eighth of a second in the picture stands smaller about the centre.
    EXPECT_EQ(at(5, 5), 0x00FF00u);
    EXPECT_EQ(at(200, 240), 0x00FF00u);
    EXPECT_EQ(at(300, 240), 0xFF0000u);
    EXPECT_EQ(at(340, 240), 0x0000FFu);
    run_to_finish();
    EXPECT_GE(g_now - start, 480u);
    EXPECT_LE(g_now - start, 510u);
    EXPECT_EQ(object_running(0, 0), 0);
}

TEST_F(MenuObjects, ALongFrameMovesTheSwingBy200MillisecondsAtMost)
{
    create_3d_object(picture.data(), 0, 13, 1);
    restart_3d_object_timer(0, 0);
    g_now += 350;
    frame();
    const menu_3d_object* o = menu_3d_object_at(0);
    EXPECT_FLOAT_EQ(o->lap, 200.0f);
    EXPECT_FLOAT_EQ(o->pieces[0].angle[1], -0.18f * 200);
    // Past 90 degrees every piece has gone.
    g_now += 200;
    frame();
    g_now += 200;
    frame();
    EXPECT_EQ(o->active_pieces, 0);
    EXPECT_EQ(objects_finished(), 1);
}

TEST_F(MenuObjects, FlipsDropEachPieceOnlyPastNinetyDegrees)
{
    create_3d_object(picture.data(), 0, 18, 1); // about each piece's top edge
    const menu_3d_object* o = menu_3d_object_at(0);
    EXPECT_FLOAT_EQ(o->pieces[6].pivot[1], -112.0f) << "the piece's top edge";
    restart_3d_object_timer(0, 0);
    g_now += 200;
    frame();
    g_now += 200;
    frame();
    g_now += 100;
    frame();
    EXPECT_NEAR(o->pieces[0].angle[0], 90.0f, 1e-3);
    EXPECT_EQ(o->active_pieces, 20) << "90 degrees still counts";
    g_now += 1;
    frame();
    EXPECT_EQ(o->active_pieces, 0);
    EXPECT_EQ(objects_finished(), 1);
}

TEST_F(MenuObjects, AnExplosionEndsWhenNoPieceIsLeftInView)
{
    create_3d_object(picture.data(), 1, 12, 1);
    const menu_3d_object* o = menu_3d_object_at(0);
    restart_3d_object_timer(0, 0);
    bool some_dropped = false;
    for (int n = 0; n < 400 && !objects_finished(); ++n) {
        g_now += 16;
        frame();
        int dropped = 0;
        for (const menu_3d_piece& p : o->pieces) dropped += !p.active;
        if (dropped > 0 && dropped < 300 && !some_dropped) {
            some_dropped = true;
            // The pieces still in play close up in their tiles' drawn arrays.
            for (const menu_3d_tile& t : o->tiles) {
                for (uint32_t i = 0; i < t.out_index_count; ++i) ASSERT_LT(t.out_indices[i], t.out_vertex_count);
            }
        }
    }
    EXPECT_TRUE(some_dropped);
    EXPECT_EQ(objects_finished(), 1);
    for (const menu_3d_piece& p : o->pieces) EXPECT_EQ(p.active, 0);
    frame();
    EXPECT_EQ(at(320, 240), 0x00FF00u) << "a piece that left is never drawn again";
}

TEST_F(MenuObjects, AFadeInRisesFromBlackAndFinishesWithItsQuad)
{
    create_3d_object(picture.data(), 0, 1, 0);
    show_3d_object(0, 0);
    restart_3d_object_timer(0, 0);
    frame();
    EXPECT_EQ(at(100, 100), 0u) << "black at the start";
    EXPECT_EQ(at(638, 478), 0u) << "the picture's last row and column too";
    g_now += 375;
    frame();
    const uint32_t half = at(100, 100);
    EXPECT_NEAR(static_cast<int>(half >> 16), 128, 12);
    EXPECT_EQ(half & 0xFFFF, 0u);
    EXPECT_EQ(objects_finished(), 0);
    run_to_finish();
    EXPECT_EQ(objects_finished(), 1);
    EXPECT_EQ(at(100, 100), 0xFF0000u);
    EXPECT_EQ(at(600, 400), 0x0000FFu);
}

TEST_F(MenuObjects, AHiddenObjectNeitherMovesNorFinishes)
{
    create_3d_object(picture.data(), 0, 4, 0);
    restart_3d_object_timer(0, 0);
    hide_3d_object(0, 0);
    for (int n = 0; n < 60; ++n) {
        g_now += 16;
        frame();
    }
    EXPECT_EQ(objects_finished(), 0);
    EXPECT_FLOAT_EQ(menu_3d_object_at(0)->pieces[0].scale[0], 0.996f);
    EXPECT_EQ(at(10, 10), 0x00FF00u) << "and is not drawn";
}

TEST_F(MenuObjects, TheDrawingSettingsAreTheObjectsOwnAndPutBack)
{
    set_3d_object_filter(1);
    set_3d_object_blend(1);
    set_alpha_blend(0);
    set_bilinear_filter(0);
    set_z_buffer(1);
    create_3d_object(picture.data(), 0, 0, 1);
    frame();
    EXPECT_EQ(get_alpha_blend(), 0u);
    EXPECT_EQ(get_bilinear_filter(), 0u);
    EXPECT_EQ(get_z_buffer(), 1u);
    EXPECT_EQ(get_3d_object_filter(), 1u);
    EXPECT_EQ(get_3d_object_blend(), 1u);
    EXPECT_EQ(get_3d_object_z_buffer(), 0u);
}

TEST(MenuObjectHelpers, PowersOfTwoAndRandomSpread)
{
    const int32_t cases[][2] = {{-3, 1}, {0, 1}, {1, 1}, {2, 2}, {3, 4}, {96, 128}, {128, 128}, {129, 256}};
    for (const auto& c : cases) EXPECT_EQ(round_up_pow2(c[0]), c[1]) << c[0];
    host_srand(3);
    for (int n = 0; n < 50; ++n) {
        const float v = random_in_range(2.5f);
        EXPECT_GE(v, -2.5f);
        EXPECT_LE(v, 2.5f);
    }
}

} // namespace
