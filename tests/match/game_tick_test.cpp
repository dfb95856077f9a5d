#include "headless_match.h"

#include "match/ball.h"
#include "match/game_tick.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> calls;

} // namespace

using GameTick = HeadlessMatch;

TEST_F(GameTick, PresentationStepsComeInTheirPlaceInTheTick)
{
    calls.clear();
    match_hooks.record_replay_frame = [](uint32_t) { calls.push_back("replay"); };
    match_hooks.enter_replay = [] { calls.push_back("enter_replay"); };
    match_hooks.hud_hook = [] { calls.push_back("hud"); };
    match_hooks.update_match_camera = [] { calls.push_back("camera"); };
    match_hooks.commentary_fill_silence = [] { calls.push_back("silence"); };
    match_hooks.service_scheduled_effect = [] { calls.push_back("effect"); };
    match_hooks.crowd_react = [](int32_t k) { calls.push_back("crowd " + std::to_string(k)); };
    match_hooks.step_hud_panel_timer = [] { calls.push_back("statistics"); };
    headless_match_tick();
    const std::vector<std::string> order{"replay", "enter_replay", "hud",    "camera",
                                         "statistics", "silence", "effect", "crowd -3"};
    EXPECT_EQ(calls, order);
    EXPECT_EQ(match_globals.tick_done, 1);
}

TEST_F(GameTick, ReplayPlaybackIsTheWholeTick)
{
    calls.clear();
    match_hooks.replay_playback_active = [] { return 1; };
    match_hooks.start_replay_playback = [](uint32_t) { calls.push_back("playback"); };
    match_hooks.record_replay_frame = [](uint32_t) { calls.push_back("replay"); };
    const int32_t counter = match_globals.tick_counter_a;
    headless_match_tick();
    EXPECT_EQ(calls, std::vector<std::string>{"playback"});
    EXPECT_EQ(match_globals.tick_counter_a, counter);
}

TEST_F(GameTick, AHaltedTickDoesNothingButClearTheSpriteCount)
{
    match_globals.ticks_halted = 1;
    match_globals.overlay_sprite_count = 9;
    match_globals.restart_countdown = 50;
    const int32_t counter = match_globals.tick_counter_a;
    headless_match_tick();
    EXPECT_EQ(match_globals.overlay_sprite_count, 0);
    EXPECT_EQ(match_globals.tick_counter_a, counter);
    EXPECT_EQ(match_globals.restart_countdown, 50);
}

struct ClockCase {
    const char* name;
    uint16_t flags;
    int32_t enabled, time_off;
    int32_t clock, stopped;
    int32_t clock_after, stopped_after;
    bool played; // ticks_played grows
};

class MatchClock : public ::testing::TestWithParam<ClockCase> {};

TEST_P(MatchClock, OneStep)
{
    const ClockCase& c = GetParam();
    clear_game_state_block();
    MatchGlobals& m = match_globals;
    m.flow_flags = c.flags;
    m.clock_enabled = c.enabled;
    m.time_off = c.time_off;
    m.period_clock = c.clock;
    m.stopped_time = c.stopped;
    step_match_clock();
    EXPECT_EQ(m.period_clock, c.clock_after);
    EXPECT_EQ(m.stopped_time, c.stopped_after);
    EXPECT_EQ(m.ticks_played, c.played ? 1 : 0);
    EXPECT_EQ(m.tick_counter_a, 1) << "the counters grow whatever the clock does";
    EXPECT_EQ(m.tick_counter_b, 1);
    if (c.flags & SUDDEN_DEATH) {
        EXPECT_FALSE(m.flow_flags & TIME_ON);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatchClock,
    ::testing::Values(ClockCase{"CountsDown", QUARTER_1, 1, 0, 100, 0, 99, 0, true},
                      ClockCase{"StopsAtZero", QUARTER_1, 1, 0, 0, 0, 0, 0, true},
                      ClockCase{"StoppedStands", QUARTER_1 | CLOCK_STOPPED, 1, 1, 100, 0, 100, 0, false},
                      ClockCase{"FrozenStands", QUARTER_1 | CLOCK_FROZEN, 1, 1, 100, 0, 100, 0, false},
                      ClockCase{"NotEnabledStands", QUARTER_1, 0, 1, 100, 0, 100, 0, true},
                      ClockCase{"TimeOffOwes", QUARTER_1, 1, 1, 100, 10, 99, 11, true},
                      // An odd gap: the owed time stops at the clock, never past it.
                      ClockCase{"OwedNeverPassesTheClock", QUARTER_1, 1, 1, 51, 50, 50, 51, true},
                      ClockCase{"OwedAtTheClockStops", QUARTER_1, 1, 1, 50, 50, 49, 50, true},
                      ClockCase{"TimeOnCountsUp", QUARTER_1 | TIME_ON, 1, 0, 10, 40, 11, 40, true},
                      ClockCase{"TimeOnStoppageHolds", QUARTER_1 | TIME_ON, 1, 1, 10, 40, 11, 41, true},
                      ClockCase{"SuddenDeathCountsDown", QUARTER_1 | SUDDEN_DEATH | TIME_ON, 0, 0, 5, 0, 4, 0, true},
                      ClockCase{"SuddenDeathStaysAtZero", QUARTER_1 | SUDDEN_DEATH, 1, 0, 0, 0, 0, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GameTick, TheRestartWaitCountsWholeTicksAlsoWithTheClockStopped)
{
    match_globals.restart_countdown = 3;
    match_globals.flow_flags |= CLOCK_STOPPED;
    match_globals.ticks_last_frame = 5;
    for (int i = 0; i < 5; ++i)
        game_tick(0);
    EXPECT_EQ(match_globals.restart_countdown, 0);
}

TEST(GameSpeed, TheTable)
{
    const struct {
        uint8_t speed;
        int32_t rate, period;
    } rows[] = {{0, 62, 16}, {1, 46, 22}, {2, 41, 24}, {3, 31, 32}};
    for (const auto& r : rows) {
        int32_t rate = 0, period = 0;
        ASSERT_TRUE(game_speed_rate(r.speed, &rate, &period));
        EXPECT_EQ(rate, r.rate);
        EXPECT_EQ(period, r.period);
    }
    int32_t rate = 7, period = 7;
    EXPECT_FALSE(game_speed_rate(4, &rate, &period));
    EXPECT_EQ(rate, 7);
}

TEST_F(GameTick, HoldingCtrlTTogglesTheSpeedOnce)
{
    match_globals.game_speed = 0;
    key_state[KEYCODE_LCTRL] = 0x80;
    key_state[KEYCODE_T] = 0x80;
    for (int i = 0; i < 10; ++i)
        tick_keys_and_speed();
    EXPECT_EQ(match_globals.game_speed, 1);
    EXPECT_EQ(match_tick_record.rate, 46);
    EXPECT_EQ(match_tick_record.period, 22);
    key_state[KEYCODE_T] = 0;
    tick_keys_and_speed();
    key_state[KEYCODE_T] = 0x80;
    tick_keys_and_speed();
    EXPECT_EQ(match_globals.game_speed, 0) << "a second press toggles back";
    EXPECT_EQ(match_tick_record.rate, 62);
}

TEST_F(GameTick, TheDemonstrationIgnoresCtrlT)
{
    match_globals.game_type = GAME_DEMO;
    key_state[KEYCODE_RCTRL] = 0x80;
    key_state[KEYCODE_T] = 0x80;
    tick_keys_and_speed();
    EXPECT_EQ(match_globals.game_speed, 0);
}

TEST_F(GameTick, CtrlRTogglesTheRadarAndEatsTheKeys)
{
    key_state[KEYCODE_LCTRL] = 0x80;
    key_state[KEYCODE_R] = 0x80;
    tick_keys_and_speed();
    EXPECT_EQ(match_globals.radar_shown, 1);
    EXPECT_EQ(key_state[KEYCODE_R], 0);
    EXPECT_EQ(key_state[KEYCODE_LCTRL], 0);
}

TEST_F(GameTick, TheAspectKeysKeepTheirRange)
{
    static float handed;
    match_hooks.update_hw_camera = [](float a) { handed = a; };
    EXPECT_FLOAT_EQ(match_globals.aspect_ratio, 4.0f / 3.0f);
    key_state[KEYCODE_LALT] = 0x80;
    key_state[KEYCODE_LEFT] = 0x80;
    tick_keys_and_speed();
    EXPECT_FLOAT_EQ(match_globals.aspect_ratio, 4.0f / 3.0f) << "never below 4/3";
    key_state[KEYCODE_LEFT] = 0;
    key_state[KEYCODE_RIGHT] = 0x80;
    for (int i = 0; i < 200; ++i)
        tick_keys_and_speed();
    EXPECT_FLOAT_EQ(match_globals.aspect_ratio, 5.0f);
    EXPECT_FLOAT_EQ(handed, 5.0f);
    key_state[KEYCODE_RIGHT] = 0;
    key_state[KEYCODE_DOWN] = 0x80;
    tick_keys_and_speed();
    EXPECT_FLOAT_EQ(handed, 16.0f / 9.0f);
}

TEST_F(GameTick, TheLeaveClosesTheScreenOnceWithExitCodeThree)
{
    static int transitions, mutes;
    transitions = mutes = 0;
    match_hooks.start_transition = [](int32_t, int32_t, int32_t) { ++transitions; };
    match_hooks.hw_transition_running = [] { return transitions; };
    match_hooks.mute_commentary = [] { ++mutes; };
    key_state[KEY_ESCAPE] = 0x80;
    tick_keys_and_speed();
    tick_keys_and_speed();
    EXPECT_EQ(transitions, 1);
    EXPECT_EQ(mutes, 1);
    EXPECT_EQ(match_globals.leave_exit_code, 3);
    EXPECT_EQ(match_globals.leave_flags, 0);
    end_closing_transition();
    EXPECT_TRUE(match_globals.flow_flags & LEAVE);
    EXPECT_EQ(match_globals.init_mode, 3);
    EXPECT_EQ(match_globals.closing_transition_running, 0);
}

struct TerritoryCase {
    int32_t x;
    int first, second; // ticks credited
};

TEST_F(GameTick, TerritoryAndPossessionCountOnlyWithTheClockRunning)
{
    // The first team on side 2 attacks positive x.
    const TerritoryCase cases[] = {{384, 0, 0}, {-384, 0, 0}, {385, 1, 0}, {-385, 0, 1}, {0, 0, 0}};
    for (const TerritoryCase& c : cases) {
        team_records[0].territory_ticks = team_records[1].territory_ticks = 0;
        match_globals.flow_flags = QUARTER_1;
        match_globals.ticks_last_frame = 1;
        match_globals.ball_holder = nullptr;
        ball_state.x = c.x * 65536;
        update_match_statistics();
        EXPECT_EQ(static_cast<int>(team_records[0].territory_ticks), c.first) << c.x;
        EXPECT_EQ(static_cast<int>(team_records[1].territory_ticks), c.second) << c.x;
    }
    PlayerSlot* holder = &team_records[1].slots[2];
    match_globals.ball_holder = holder;
    match_globals.ticks_last_frame = 3;
    match_globals.flow_flags = QUARTER_1 | CLOCK_STOPPED;
    team_records[1].possession_ticks = 0;
    update_match_statistics();
    EXPECT_EQ(team_records[1].possession_ticks, 0u);
    EXPECT_EQ(holder->possession_time, 3u);
    match_globals.flow_flags = QUARTER_1;
    update_match_statistics();
    EXPECT_EQ(team_records[1].possession_ticks, 3u);
    EXPECT_EQ(holder->possession_time, 9u) << "counted twice with the clock running";
}
