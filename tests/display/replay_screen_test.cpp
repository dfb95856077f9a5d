// The replay screen: its buttons, the clock, dragging, cutting and leaving.
#include "display/camera_presets.h"
#include "display/hud_draw.h"
#include "display/replay_screen.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "platform/input.h"
#include "platform/mouse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

class ReplayPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_game_state_block();
        clear_match_hooks();
        reset_camera_presets();
        reset_replay_screen();
        reset_hud_draw();
        hud_capture = true;
        std::memset(key_state, 0, sizeof key_state);
        free_replay_node();
        match_globals.men_per_team = 18;
        new_replay_node(10 * (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE));
        for (uint32_t t = 1; t <= 6; ++t) {
            match_globals.match_state = static_cast<uint8_t>(t);
            ball_state.x = static_cast<int32_t>(t) << 16;
            record_replay_frame(t * 2);
        }
    }
    void TearDown() override
    {
        free_replay_node();
        reset_replay_screen();
        reset_hud_draw();
        std::memset(key_state, 0, sizeof key_state);
        clear_game_state_block();
    }
    std::vector<uint32_t> ticks() const
    {
        std::vector<uint32_t> out;
        for (const ReplayNode* n = replay_buffer.head; n; n = n->next) out.push_back(frame_tick(n->frame));
        return out;
    }
    void go_to(uint32_t tick)
    {
        replay_buffer.current = replay_buffer.head;
        while (frame_tick(replay_buffer.current->frame) != tick) replay_buffer.current = replay_buffer.current->next;
    }
    void click(int32_t control)
    {
        const int32_t x = replay_screen.control_x[control] + 1, y = replay_screen.control_y[control] + 1;
        replay_panel_pass(x, y, MOUSE_LEFT, MOUSE_LEFT);
    }
};

TEST_F(ReplayPanel, SpeedButtonsToggleAndStepsStepOnce)
{
    open_replay_screen();
    click(RC_PLAY_FORWARD);
    EXPECT_EQ(replay_playback.mode, 1);
    EXPECT_TRUE(replay_control_lit(RC_PLAY_FORWARD));
    click(RC_PLAY_FORWARD);
    EXPECT_EQ(replay_playback.mode, 0) << "again pauses";
    for (int i = 0; i < 3; ++i) {
        click(RC_STEP_FORWARD);
        step_replay(1, 0);
        step_replay(1, 0);
    }
    EXPECT_EQ(frame_tick(replay_buffer.current->frame), 8u) << "three single frames";
    click(RC_STEP_BACKWARD);
    step_replay(4, 0);
    EXPECT_EQ(frame_tick(replay_buffer.current->frame), 6u);
    click(RC_FAST_BACKWARD);
    EXPECT_EQ(replay_playback.mode, 8);
    EXPECT_EQ(replay_screen.highlight_x, replay_screen.control_x[RC_FAST_BACKWARD] - 4);
    close_replay_screen();
}

TEST_F(ReplayPanel, TheClockCountsSecondsOfTicks)
{
    open_replay_screen();
    EXPECT_DOUBLE_EQ(replay_screen.frames_per_tick, 10.0 / 6);
    go_to(12);
    update_replay_clock();
    EXPECT_EQ(replay_screen.digits[3], 6) << "10 ticks / (10/6) = 6";
    EXPECT_EQ(replay_screen.digits[2], 0);
    close_replay_screen();
}

TEST_F(ReplayPanel, AFigureOfNoTicksCountsAsOne)
{
    // One frame, or frames of one tick number (an append), give 0: the clock
    // divides by 1 instead.
    for (const std::vector<uint32_t>& recorded : {std::vector<uint32_t>{5}, std::vector<uint32_t>{7, 7, 7}}) {
        reset_replay();
        for (uint32_t t : recorded) record_replay_frame(t);
        EXPECT_DOUBLE_EQ(frames_per_tick_figure(), 1.0);
        update_replay_clock();
        EXPECT_EQ(replay_screen.digits[3], 0);
    }
}

TEST_F(ReplayPanel, DraggingMovesEveryControl)
{
    open_replay_screen();
    const int32_t x = replay_screen.control_x[RC_CUT];
    mouse_state.x = 60, mouse_state.y = 60;
    replay_panel_pass(60, 60, MOUSE_LEFT, MOUSE_LEFT); // the panel, between buttons
    ASSERT_TRUE(replay_screen.dragging);
    replay_panel_pass(70, 65, MOUSE_LEFT, 0);
    EXPECT_EQ(replay_screen.control_x[RC_CUT], x + 10);
    EXPECT_EQ(replay_screen.panel_y, 55);
    replay_panel_pass(70, 65, 0, 0);
    EXPECT_FALSE(replay_screen.dragging);
    EXPECT_LT(compare_controls_yx(RC_PLAY_FORWARD, RC_FAST_FORWARD), 0);
    EXPECT_LT(compare_controls_yx(RC_PLAY_BACKWARD, RC_PLAY_FORWARD), 0);
    EXPECT_EQ(compare_controls_yx(RC_CUT, RC_CUT), 0);
    close_replay_screen();
}

TEST_F(ReplayPanel, CuttingNeedsBothMarksAndAChoice)
{
    open_replay_screen();
    go_to(4);
    set_replay_in_mark();
    cut_replay();
    EXPECT_EQ(ticks().size(), 6u);
    EXPECT_TRUE(replay_screen.edited);
    EXPECT_FALSE(replay_screen.in_set) << "the marks are cleared";

    go_to(4);
    set_replay_in_mark();
    go_to(10);
    set_replay_out_mark();
    cut_replay();
    EXPECT_EQ(ticks().size(), 6u) << "no cut chosen";

    struct Case {
        int32_t choice;
        uint32_t first, second;
        std::vector<uint32_t> left;
    } cases[] = {
        {RC_CUT_BETWEEN, 4, 10, {2, 4, 10, 12}},
        {RC_CUT_OUTSIDE, 10, 4, {4, 6, 8, 10}},
    };
    for (const Case& c : cases) {
        reset_replay();
        for (uint32_t t = 1; t <= 6; ++t) {
            match_globals.match_state = static_cast<uint8_t>(t);
            record_replay_frame(t * 2);
        }
        go_to(c.first);
        press_replay_control(RC_IN_MARK);
        go_to(c.second);
        press_replay_control(RC_OUT_MARK);
        go_to(12);
        press_replay_control(c.choice);
        press_replay_control(RC_CUT);
        EXPECT_EQ(ticks(), c.left) << c.choice;
        ASSERT_NE(replay_buffer.current, nullptr);
        EXPECT_EQ(frame_tick(replay_buffer.current->frame), c.choice == RC_CUT_OUTSIDE ? 4u : 12u)
            << "a removed current frame gives way to the oldest";
    }
}

TEST_F(ReplayPanel, MarksFromBeforeAResetOrResizeCutNothing)
{
    // The pool is rebuilt by both: a mark kept would name whatever node
    // lands at its old address.
    for (const bool resize : {false, true}) {
        SCOPED_TRACE(resize ? "resize" : "reset");
        SetUp();
        open_replay_screen();
        go_to(4);
        set_replay_in_mark();
        go_to(8);
        set_replay_out_mark();
        replay_screen.cut_outside = 1;
        if (resize)
            new_replay_node(4 * (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE));
        else
            reset_replay();
        EXPECT_FALSE(replay_screen.in_set || replay_screen.out_set || replay_screen.cut_outside ||
                     replay_screen.cut_between);
        EXPECT_EQ(replay_screen.in_mark, nullptr);
        EXPECT_EQ(replay_screen.out_mark, nullptr);
        const std::vector<uint32_t> before = ticks();
        for (uint32_t t = 20; t <= 22; ++t) record_replay_frame(t);
        std::vector<uint32_t> expected = before;
        for (uint32_t t = 20; t <= 22; ++t) expected.push_back(t);
        if (expected.size() > replay_buffer.capacity)
            expected.erase(expected.begin(), expected.end() - replay_buffer.capacity);
        replay_screen.cut_outside = 1;
        cut_replay();
        EXPECT_EQ(ticks(), expected);
    }
}

TEST_F(ReplayPanel, LeavingRestoresTheLiveMatch)
{
    match_globals.match_state = 40;
    match_globals.previous_match_state = 39;
    PlayerSlot* holder = &team_records[0].slots[4];
    match_globals.ball_holder = holder;
    team_records[1].slots[2].x = 1234;
    ball_state.x = 77 << 16;
    camera_view = 1;
    open_replay_screen();
    EXPECT_EQ(camera_view, 9);
    EXPECT_EQ(match_globals.match_state, 1) << "the oldest frame is applied";
    EXPECT_EQ(match_globals.ball_holder, nullptr);
    key_state[KEY_ESCAPE] = 128;
    EXPECT_EQ(replay_screen_frame(0), 0);
    close_replay_screen();
    EXPECT_EQ(match_globals.match_state, 40);
    EXPECT_EQ(match_globals.previous_match_state, 39);
    EXPECT_EQ(match_globals.ball_holder, holder);
    EXPECT_EQ(team_records[1].slots[2].x, 1234);
    EXPECT_EQ(ball_state.x, 77 << 16);
    EXPECT_EQ(camera_view, 1);
    EXPECT_EQ(replay_buffer.current, replay_buffer.tail);
}

TEST_F(ReplayPanel, AFrameStepsByTheWallClock)
{
    open_replay_screen();
    replay_playback.mode = 1;
    replay_screen.stamp_a = 1000;
    replay_screen_frame(1000 + 33); // two ticks of 16.1 ms
    EXPECT_EQ(frame_tick(replay_buffer.current->frame), 4u);
    EXPECT_EQ(replay_screen.carried_ms, 0);
    close_replay_screen();
}

// The replay camera stands back from the ball and keeps watching it as the
// replay plays, instead of sitting on the ball and seeing only grass.
TEST_F(ReplayPanel, TheCameraWatchesTheBallFromItsDistance)
{
    free_replay_node();
    new_replay_node(10 * (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE));
    for (int32_t t = 1; t <= 6; ++t) {
        match_globals.match_state = 40;
        ball_state.x = (1000 * t) << 16; // ground units; camera units are 0.390625 of them
        ball_state.y = -2000 << 16;
        ball_state.z = 128 << 16;
        record_replay_frame(static_cast<uint32_t>(t));
    }
    init_camera_system();
    camera_view = 1;
    open_replay_screen();
    const CameraPreset& c = camera_presets[9];
    const auto from_ball = [&] {
        const double bx = (ball_state.x >> 16) * 0.390625, bz = (ball_state.y >> 16) * 0.390625;
        return std::hypot(c.position[0] - bx, c.position[2] - bz);
    };
    // Each frame the ball moves 390 camera units; the camera keeps about its
    // distance (exactly 2693 only when it already faced the new point).
    replay_playback.mode = 1;
    uint32_t now = 1000;
    replay_screen.stamp_a = now;
    for (int frame = 0; frame < 4; ++frame) {
        SCOPED_TRACE(frame);
        replay_screen_frame(now += 17); // one tick
        camera_select_by_keys();        // then the frame draw
        EXPECT_NEAR(from_ball(), 2693, 250);
        EXPECT_GE(c.position[1], 300) << "above the ground";
        EXPECT_EQ(current_camera, &c);
    }
    EXPECT_GE(ball_state.x >> 16, 4000) << "the replay moved on";
    replay_playback.mode = 0;
    key_state[48] = 128; // B
    replay_screen_frame(now);
    EXPECT_NEAR(from_ball(), 2693, 2) << "B places the camera on the ball again";
    close_replay_screen();
}

} // namespace

TEST(ReplayEntry, RefusedInTheDemonstrationAndWithNothingRecorded)
{
    constexpr uint8_t KEY_R = 19;
    clear_game_state_block();
    clear_match_hooks();
    reset_replay_screen();
    free_replay_node();
    new_replay_node(4 * (REPLAY_FRAME_SIZE + REPLAY_NODE_SIZE));
    struct Case {
        uint8_t game_type;
        bool key_kept;
    };
    // The self-running demonstration leaves R alone; a match with an empty
    // buffer takes the key and opens nothing.
    for (const Case c : {Case{GAME_DEMO, true}, Case{GAME_EXHIBITION, false}}) {
        match_globals.game_type = c.game_type;
        match_globals.pending_cut_state = -1;
        key_state[KEY_R] = 128;
        enter_replay();
        EXPECT_EQ(key_state[KEY_R] != 0, c.key_kept) << int(c.game_type);
        EXPECT_EQ(replay_screen.in_replay, 0);
        EXPECT_EQ(replay_screen.playback, 0);
    }
    std::memset(key_state, 0, sizeof key_state);
    free_replay_node();
    clear_game_state_block();
}
