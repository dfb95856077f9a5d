#include "match/match_driver.h"
#include "display/camera_presets.h"
#include "match/game_tick.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "match/match_setup.h"
#include "match/match_records.h"
#include "matchscreen/match_screen.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/tick_timer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

int frames;
int escape_after;

class MatchScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_match_hooks();
        std::memset(key_state, 0, sizeof key_state);
        for (controller_record& c : controllers)
            c.side = 0;
        headless_match_setup(MatchRunSettings{});
        // One tick a frame, whatever the wall clock does.
        create_timer(62, 1, &match_tick_record, game_tick, 0);
        frames = 0;
        escape_after = -1;
        match_hooks.present_frame = [] {
            ++frames;
            if (frames == escape_after)
                key_state[KEY_ESCAPE] = 0x80;
        };
    }
    void TearDown() override
    {
        clear_match_hooks();
        std::memset(key_state, 0, sizeof key_state);
    }
};

} // namespace

TEST_F(MatchScreen, EscLeavesTheLoopWithExitCodeThree)
{
    escape_after = 30;
    play_match(INIT_NEW_MATCH);
    EXPECT_EQ(match_globals.init_mode, 3);
    EXPECT_TRUE(match_globals.flow_flags & LEAVE);
    EXPECT_GE(frames, 30);
    EXPECT_LE(frames, 32) << "the closing transition ends in the next frame";
    EXPECT_EQ(match_globals.message_keys_enabled, 1u);
}

TEST_F(MatchScreen, ANewMatchForgetsTheLastOnesEnd)
{
    match_globals.flow_flags = LEAVE_OVER | MATCH_PLAYED | LEAVE;
    escape_after = 5;
    play_match(INIT_NEW_MATCH);
    EXPECT_GE(frames, 5) << "the loop ran";
}

TEST_F(MatchScreen, ARestartAfterTheMatchIsOverEndsBeforeTheFirstFrame)
{
    match_globals.flow_flags |= LEAVE_OVER;
    match_globals.init_mode = 1;
    play_match(INIT_RELOAD_LINEUPS);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(match_globals.init_mode, 0) << "over: exit code 0";
}

TEST_F(MatchScreen, NameLabelsByTheTeamsChoice)
{
    match_globals.match_state = PLAY_ON;
    team_records[0].name_labels = 1;
    team_records[1].name_labels = 3;
    match_globals.ball_holder = &team_records[1].slots[6];
    PlayerSlot* men[64];
    EXPECT_EQ(name_label_men(men, 64), 18 + 1);
    EXPECT_EQ(men[18], &team_records[1].slots[6]);
    match_globals.match_state = PRE_MATCH;
    EXPECT_EQ(name_label_men(men, 64), 0);
}

TEST_F(MatchScreen, KeypadTunesOnlyTheCurrentPreset)
{
    init_camera_system();
    camera_view = 0;
    adjust_camera_by_keys(); // nothing held: the presets only move on
    const CameraPreset before0 = camera_presets[0];
    const CameraPreset before1 = camera_presets[1];
    adjust_camera_by_keys();
    EXPECT_EQ(camera_presets[0].distance, before0.distance);
    EXPECT_EQ(camera_presets[0].fov_target, before0.fov_target);

    key_state[KEY_PAD_8] = 0x80;
    key_state[KEY_PAD_9] = 0x80;
    adjust_camera_by_keys();
    adjust_camera_by_keys();
    EXPECT_EQ(camera_presets[0].distance, before0.distance + 200);
    EXPECT_EQ(camera_presets[0].fov_target, before0.fov_target + 2);
    key_state[KEY_PAD_2] = 0x80; // opposite keys cancel
    key_state[KEY_PAD_3] = 0x80;
    adjust_camera_by_keys();
    EXPECT_EQ(camera_presets[0].distance, before0.distance + 200);
    EXPECT_EQ(camera_presets[0].fov_target, before0.fov_target + 2);
    EXPECT_EQ(camera_presets[1].distance, before1.distance);
    EXPECT_EQ(camera_presets[1].fov_target, before1.fov_target);
}
