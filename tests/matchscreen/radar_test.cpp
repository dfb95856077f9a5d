#include "match/ground.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "matchscreen/match_screen.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Sprite {
    int32_t sprite, x, y, b, alpha;
};
std::vector<Sprite> queued;

class Radar : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_game_state_block();
        build_boundary_tables();
        clear_match_hooks();
        queued.clear();
        match_hooks.queue_sprite = [](int32_t s, int32_t x, int32_t y, int32_t, int32_t b, int32_t, int32_t alpha) {
            queued.push_back({s, x, y, b, alpha});
        };
        match_globals.radar_shown = 1;
        match_globals.match_state = PLAY_ON;
        // Everyone far outside the oval unless a test puts him on it.
        for (TeamRecord& t : team_records)
            for (PlayerSlot& man : t.slots)
                man.x = 30000;
        for (PlayerSlot& u : official_slots)
            u.x = 30000;
        ball_state.x = 30000 << 16;
    }
    void TearDown() override { clear_match_hooks(); }
};

} // namespace

TEST_F(Radar, TheFadeStopsAt128AndTheDotsAt255)
{
    match_globals.radar_alpha = 126;
    draw_radar();
    EXPECT_EQ(match_globals.radar_alpha, 128);
    ASSERT_FALSE(queued.empty());
    EXPECT_EQ(queued[0].sprite, RADAR_BACKGROUND);
    EXPECT_EQ(queued[0].alpha, 128);
    team_records[0].slots[3].x = 0;
    team_records[0].slots[3].y = 0;
    queued.clear();
    draw_radar();
    ASSERT_EQ(queued.size(), 2u);
    EXPECT_EQ(queued[1].alpha, 255);
    EXPECT_EQ(match_globals.overlay_sprite_count, 3);
}

TEST_F(Radar, TheBounceAndThePreMatchStatesDoNotFadeIn)
{
    for (uint8_t s : {10, 11, 19, 20, 52, 57}) {
        match_globals.match_state = s;
        match_globals.radar_alpha = 40;
        draw_radar();
        EXPECT_EQ(match_globals.radar_alpha, 40) << int(s);
    }
}

TEST_F(Radar, DotsAtOneTwoHundredFiftySixthScaleOnlyInsideTheOval)
{
    PlayerSlot& holder = team_records[1].slots[2];
    holder.x = 2560;
    holder.y = 1280;
    match_globals.ball_holder = &holder;
    official_slots[0].x = -512;
    official_slots[0].y = 0;
    draw_radar();
    ASSERT_EQ(queued.size(), 3u) << "background, holder, umpire; the held ball has no dot";
    EXPECT_EQ(queued[1].sprite, RADAR_DOT_HOLDER);
    EXPECT_EQ(queued[1].x, 528 + 10);
    EXPECT_EQ(queued[1].y, 74 - 5);
    EXPECT_EQ(queued[2].sprite, RADAR_DOT_UMPIRE);
    EXPECT_EQ(queued[2].x, 528 - 2);

    match_globals.ball_holder = nullptr;
    ball_state.x = 256 << 16;
    ball_state.y = 0;
    queued.clear();
    draw_radar();
    ASSERT_EQ(queued.back().sprite, RADAR_DOT_BALL);
    EXPECT_EQ(queued.back().b, 250);
    EXPECT_EQ(queued.back().x, 529);
}

TEST_F(Radar, HiddenDrawsNothing)
{
    match_globals.radar_shown = 0;
    draw_radar();
    EXPECT_TRUE(queued.empty());
}

TEST(KickPanel, MarkersByAimAndStrength)
{
    EXPECT_EQ(kick_aim_marker_offset(0.0f), 32);
    EXPECT_EQ(kick_aim_marker_offset(95.0f), 3) << "never nearer than 10 per cent";
    EXPECT_EQ(kick_aim_marker_offset(50.0f), 16);
    EXPECT_EQ(kick_strength_marker_x(0.0f, 100.0f), 231);
    EXPECT_EQ(kick_strength_marker_x(50.0f, 100.0f), 350);
}

TEST(KickPanel, TheOpenPanelReplacesTheFramePieces)
{
    clear_game_state_block();
    clear_match_hooks();
    queued.clear();
    match_hooks.queue_sprite = [](int32_t s, int32_t x, int32_t y, int32_t, int32_t b, int32_t, int32_t alpha) {
        queued.push_back({s, x, y, b, alpha});
    };
    draw_frame_overlays();
    ASSERT_EQ(queued.size(), 4u);
    EXPECT_EQ(queued[0].sprite, FRAME_PIECE_LEFT);
    queued.clear();
    match_hooks.kick_panel_open = [] { return 1; };
    match_hooks.kick_panel_values = [](float* aim, float* strength, float* maximum) {
        *aim = 50.0f;
        *strength = 0.0f;
        *maximum = 100.0f;
    };
    draw_frame_overlays();
    ASSERT_EQ(queued.size(), 7u);
    EXPECT_EQ(queued[2].sprite, KICK_AIM_MARKER);
    EXPECT_EQ(queued[2].x, 197 - 16);
    EXPECT_EQ(queued[3].x, 197 + 16);
    EXPECT_EQ(queued[4].x, 231);
    clear_match_hooks();
}
