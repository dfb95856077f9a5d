// The set-play overlays: the coin, the kick-out rows, the ring, the blink
// markers, and what the HUD pass draws for them by match state.
#include "display/hud.h"
#include "display/hud_draw.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "platform/controllers.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class Overlay : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_game_state_block();
        clear_match_hooks();
        reset_hud();
        reset_hud_draw();
        hud_capture = true;
        coin_accumulator = 0;
        rows_ready[0] = rows_ready[1] = 0;
        blink_markers[0] = blink_markers[1] = BlinkMarker{};
        match_globals.ticks_last_frame = 1;
        match_globals.pending_cut_state = -1;
        for (int t = 0; t < 2; ++t) {
            team_records[t].side = static_cast<uint8_t>(t + 1);
            team_records[t].other_team = &team_records[1 - t];
            team_records[t].human_count = 1;
            for (PlayerSlot& m : team_records[t].slots) m.team = &team_records[t];
        }
        // The kicking team's man holds the ball with a controller.
        static controller_record pad;
        PlayerSlot* kicker = &team_records[0].slots[0];
        kicker->contest_group = &pad;
        match_globals.controlled_man_a = match_globals.ball_holder = kicker;
    }
    void TearDown() override
    {
        reset_hud_draw();
        clear_game_state_block();
    }
    std::vector<HudDrawn> sprites(int32_t first, int32_t last) const
    {
        std::vector<HudDrawn> out;
        for (const HudDrawn& d : hud_drawn)
            if (d.set == HUD_PANELS && d.sprite >= first && d.sprite <= last) out.push_back(d);
        return out;
    }
    TeamRecord& a = team_records[0];
    TeamRecord& b = team_records[1];
};

TEST_F(Overlay, TheCoinTurnsToItsRestFrames)
{
    init_team_overlay(&a, 13, 2);
    a.overlay.choice = 1;
    match_globals.ticks_last_frame = 21;
    int steps = 0;
    while (a.overlay.choice != 0 && steps < 50) update_team_overlay(&a, 13, 2), ++steps;
    EXPECT_EQ(a.overlay.coin_frame, 5);
    EXPECT_EQ(steps, 5);
    EXPECT_EQ(coin_accumulator, 0);
    EXPECT_EQ(a.overlay.panel_x, 440) << "side 1";

    a.overlay.choice = -1;
    steps = 0;
    while (a.overlay.choice != 0 && steps < 50) update_team_overlay(&a, 13, 2), ++steps;
    EXPECT_EQ(a.overlay.coin_frame, 0);
    EXPECT_EQ(steps, 5);

    a.overlay.choice = 0;
    update_team_overlay(&a, 13, 2);
    EXPECT_EQ(a.overlay.coin_frame, 0) << "a still coin";
}

TEST_F(Overlay, TheTossChoiceShowsItsFrame)
{
    init_team_overlay(&b, 14, 2);
    EXPECT_EQ(b.overlay.coin_frame, 1);
    EXPECT_EQ(b.overlay.panel_x, 100);
    b.overlay.choice = 2;
    update_team_overlay(&b, 14, 2);
    EXPECT_EQ(b.overlay.coin_frame, 0);
    // The pointer's slide runs down with the ticks, to 0 and no further.
    b.overlay.slide_timer = 70;
    match_globals.ticks_last_frame = 3;
    update_team_overlay(&b, 14, 2);
    EXPECT_EQ(b.overlay.slide_timer, 67);
    b.overlay.slide_timer = 2;
    update_team_overlay(&b, 14, 2);
    EXPECT_EQ(b.overlay.slide_timer, 0);
}

TEST_F(Overlay, KickOutRowsEnterInTurnAndAreReadyTheTickAfter)
{
    init_team_overlay(&a, 6, 8);
    init_team_overlay(&b, 7, 8);
    EXPECT_EQ(a.overlay.rows[3].aux, 30) << "left to right";
    EXPECT_EQ(b.overlay.rows[3].aux, 40) << "right to left";
    std::vector<int> arrival(8, -1);
    int tick = 0;
    for (; tick < 400 && !rows_ready[0]; ++tick) {
        update_team_overlay(&a, 6, 8);
        for (int k = 0; k < 8; ++k)
            if (arrival[k] < 0 && a.overlay.rows[k].aux == -1) arrival[k] = tick;
    }
    ASSERT_TRUE(rows_ready[0]);
    for (int k = 1; k < 8; ++k) EXPECT_EQ(arrival[k] - arrival[k - 1], 10) << k;
    EXPECT_EQ(tick - 1, arrival[7] + 1) << "ready only on the tick after the last arrival";
    for (const auto& r : a.overlay.rows) EXPECT_EQ(r.y, 426 << 16);

    for (int i = 0; i < 400 && !rows_ready[1]; ++i) update_team_overlay(&b, 7, 8);
    EXPECT_TRUE(rows_ready[1]);
    EXPECT_EQ(b.overlay.rows[0].y, 6 << 16);

    for (int i = 0; i < 400 && rows_ready[0]; ++i) update_team_overlay(&b, 11, 8);
    EXPECT_FALSE(rows_ready[0]) << "the other team's rows leaving clear the first ready flag as well";
    EXPECT_EQ(b.overlay.rows[5].y, -80 << 16);
}

TEST_F(Overlay, RowsStandStillWhileABannerShowsOrTheHudHolds)
{
    init_team_overlay(&a, 6, 8);
    open_message_banner(2);
    update_team_overlay(&a, 6, 8);
    EXPECT_EQ(a.overlay.rows[1].aux, 10);
    clear_message_banner();
    match_globals.hud_hold = 1;
    update_team_overlay(&a, 6, 8);
    EXPECT_EQ(a.overlay.rows[1].aux, 10);
}

TEST_F(Overlay, TheRingTurnsByItsStep)
{
    init_team_overlay(&a, 0, 4);
    const auto front = a.overlay.rows[0];
    EXPECT_EQ(front.x, 530);
    EXPECT_EQ(front.y, 260);
    EXPECT_EQ(front.depth, 256);
    update_team_overlay(&a, 0, 4);
    EXPECT_EQ(a.overlay.rows[0].y, front.y) << "a step of 0 leaves the ring";
    a.overlay.step = -16;
    for (int i = 0; i < 3; ++i) update_team_overlay(&a, 0, 4);
    EXPECT_EQ(a.overlay.ring_angle, -48);
    update_team_overlay(&a, 0, 4);
    EXPECT_EQ(a.overlay.selection, 1) << "a negative step moves the selection up";
    EXPECT_EQ(a.overlay.step, 0);
    a.overlay.step = 64;
    update_team_overlay(&a, 0, 4);
    EXPECT_EQ(a.overlay.selection, 0);
}

TEST_F(Overlay, TheChosenBallUpOptionFadesAllFour)
{
    match_globals.match_state = 57;
    init_team_overlay(&a, 0, 4);
    b.human_count = 0;
    draw_overlay_by_state();
    auto drawn = sprites(19, 22);
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[0].alpha, 255);
    EXPECT_EQ(drawn[0].flags, 36) << "side 1 is mirrored";
    EXPECT_EQ(drawn[0].depth, 32764 - 256);

    a.overlay.chosen = 1;
    hud_drawn.clear();
    draw_overlay_by_state();
    drawn = sprites(19, 22);
    ASSERT_EQ(drawn.size(), 4u);
    for (const HudDrawn& d : drawn) EXPECT_EQ(d.alpha, 255) << "4 x 256 - 769";

    a.overlay.rows[0].depth = 192;
    draw_overlay_by_state(); // the size value follows the depth
    hud_drawn.clear();
    a.overlay.rows[0].depth = 100;
    a.overlay.rows[0].aux = 100;
    draw_overlay_by_state();
    EXPECT_TRUE(sprites(19, 22).empty()) << "alpha 0 queues nothing";
}

TEST_F(Overlay, TheKickOutFrameMovesToTheOtherTeamThenGoes)
{
    match_globals.match_state = 60;
    init_team_overlay(&a, 6, 8);
    init_team_overlay(&b, 7, 8);
    a.overlay.selection = 2;
    b.overlay.selection = 5;
    draw_overlay_by_state();
    auto frame = sprites(40, 40);
    ASSERT_EQ(frame.size(), 4u);
    EXPECT_EQ(frame[0].x, a.overlay.rows[2].x);
    EXPECT_EQ(sprites(24, 31).size(), 8u);
    EXPECT_EQ(sprites(32, 39).size(), 8u);

    a.overlay.chosen = 1;
    hud_drawn.clear();
    draw_overlay_by_state();
    frame = sprites(40, 40);
    ASSERT_EQ(frame.size(), 4u);
    EXPECT_EQ(frame[1].x, b.overlay.rows[5].x + 59);
    EXPECT_EQ(frame[2].flags, 37);

    b.overlay.chosen = 1;
    hud_drawn.clear();
    draw_overlay_by_state();
    EXPECT_TRUE(sprites(40, 40).empty());

    // Rows below their rest give no wrapped alpha.
    a.overlay.rows[0].y = 640 << 16;
    hud_drawn.clear();
    draw_overlay_by_state();
    EXPECT_EQ(sprites(24, 24)[0].alpha, 0);
}

TEST_F(Overlay, DiagramMarkersGrowFromTheEdges)
{
    match_globals.match_state = 52;
    init_team_overlay(&a, 0, 4);
    b.human_count = 0;
    for (int i = 0; i < 20; ++i) update_team_overlay(&a, 1, 4);
    ASSERT_EQ(a.overlay.diagram_index, 0) << "chosen once the front option is held at 192";
    for (int i = 0; i < 20; ++i) update_team_overlay(&a, 4, 4);
    EXPECT_EQ(a.overlay.diagram_growth, 164);
    draw_overlay_by_state();
    EXPECT_EQ(sprites(19, 22).size(), 1u) << "only the chosen option";
    const auto markers = sprites(23, 23);
    ASSERT_FALSE(markers.empty());
    for (const HudDrawn& m : markers) {
        EXPECT_TRUE(m.y == 164 || m.y == 356) << m.y;
        EXPECT_GE(m.alpha, 0);
        EXPECT_LE(m.alpha, 255);
    }
}

TEST_F(Overlay, BlinkMarkersCountTheirBlinks)
{
    start_blink_marker(0, 2);
    match_globals.match_state = 1;
    int shown = 0;
    for (int frame = 0; frame < 20; ++frame) {
        hud_drawn.clear();
        update_hud_countdown();
        shown += !sprites(72, 72).empty();
    }
    EXPECT_EQ(shown, 2 * 2) << "two frames on for each blink";
    EXPECT_EQ(blink_markers[0].blinks, 0);
}

TEST_F(Overlay, ThrowInZonesStandRoundTheSpot)
{
    match_globals.mark_x = 0;
    match_globals.mark_y = 8000;
    update_team_overlay(&a, 5, 4);
    update_team_overlay(&b, 5, 4);
    EXPECT_EQ(match_globals.mark_x, 1) << "0 becomes 1 in the match's copy";
    EXPECT_EQ(throw_in_zones[0].kind, 129);
    EXPECT_EQ(throw_in_zones[1].kind, 250);
    EXPECT_GT(throw_in_zones[0].radius_x, 0);
    EXPECT_GT(throw_in_zones[0].radius_y, 0);
    a.overlay.step = 1;
    for (int i = 0; i < 200 && a.overlay.step; ++i) update_team_overlay(&a, 5, 4);
    EXPECT_EQ(a.overlay.step, 0);
    EXPECT_EQ(a.overlay.selection, 1);
}

} // namespace
