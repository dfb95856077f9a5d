#include "men_fixture.h"

#include "players/locomotion.h"
#include "players/movement.h"
#include "players/phase_cut.h"

#include <algorithm>

namespace {

class PhaseCutTest : public MenTest {
protected:
    void SetUp() override
    {
        MenTest::SetUp();
        team_records[0].human_count = 1;
        contest_group_record(4).men[0] = man(0, 6);
        man(0, 6)->contest_group = &contest_group_record(4);
    }
    // One tick's start, as the match tick runs it.
    void tick(uint32_t ms = 16)
    {
        hook_log.clock_ms += ms;
        apply_pending_phase();
        schedule_phase_cut();
    }
    bool called(const std::string& what)
    {
        return std::find(hook_log.calls.begin(), hook_log.calls.end(), what) != hook_log.calls.end();
    }
};

TEST_F(PhaseCutTest, CentreBounceWalkFadesFastForwardsAndFadesIn)
{
    match_tick_record.speed_percent = 150; // the player's own speed
    match_globals.match_state = 19;
    tick();
    EXPECT_TRUE(called("fade out 0"));
    EXPECT_TRUE(called("mute"));
    EXPECT_TRUE(called("pause hud"));
    EXPECT_TRUE(called("crowd -1"));
    EXPECT_EQ(match_globals.pending_cut_state, 11);
    EXPECT_EQ(match_globals.cut_centre_bounce, 1);
    EXPECT_EQ(match_globals.closing_transition_running, 1);
    // In the fade-out: normal speed, normal effort.
    tick(500);
    EXPECT_EQ(match_tick_record.speed_percent, 150);
    man(0, 2)->action = 53;
    update_player_effort();
    EXPECT_EQ(man(0, 2)->effort, 25);
    // Dark: fast-forward with the queues off, every man at 400.
    tick(600);
    EXPECT_EQ(match_tick_record.speed_percent, CUT_TICK_SPEED);
    EXPECT_EQ(match_globals.closing_transition_running, 0);
    EXPECT_FALSE(hook_log.sprites_on);
    EXPECT_FALSE(hook_log.text_on);
    update_player_effort();
    EXPECT_EQ(man(0, 2)->effort, 400);
    // Nothing more happens until the rules reach the pending state.
    tick();
    tick();
    EXPECT_EQ(match_tick_record.speed_percent, CUT_TICK_SPEED);
    match_globals.match_state = 11;
    tick();
    EXPECT_TRUE(called("fade in 5"));
    EXPECT_TRUE(called("unmute"));
    EXPECT_TRUE(called("crowd 3"));
    EXPECT_TRUE(called("clear banner"));
    EXPECT_EQ(match_globals.pending_cut_state, -1);
    EXPECT_EQ(match_tick_record.speed_percent, 150) << "exactly the speed saved";
    EXPECT_TRUE(hook_log.sprites_on);
    EXPECT_TRUE(hook_log.text_on);
    EXPECT_EQ(match_globals.opening_transition_running, 1);
}

TEST_F(PhaseCutTest, StateReachedDuringTheFadeOutKeepsTheSpeed)
{
    match_globals.cut_saved_speed = 0; // a new match's block
    match_globals.match_state = 37;
    tick();
    ASSERT_EQ(match_globals.pending_cut_state, 39);
    match_globals.match_state = 39;
    tick(300);
    EXPECT_FALSE(called("fade in 5")) << "the fade-out still runs";
    tick(800);
    EXPECT_TRUE(called("fade in 5"));
    EXPECT_EQ(match_tick_record.speed_percent, 100);
    EXPECT_EQ(match_globals.pending_cut_state, -1);
}

TEST_F(PhaseCutTest, WhichWalksAreCut)
{
    struct Case {
        uint8_t state;
        uint8_t humans;
        bool contest;
        int32_t countdown;
        int32_t pending;
    } cases[] = {
        {19, 0, true, 100, -1},  // two computer teams
        {19, 1, false, 100, -1}, // no contest group active
        {19, 1, true, 100, 11},  {37, 1, true, 100, 39}, {47, 1, true, 100, 57},
        {21, 0, false, 60, -1},  {21, 0, false, 59, 11}, // the quarter's end by its countdown alone
        {1, 1, true, 0, -1},
    };
    for (const Case& c : cases) {
        SetUp();
        team_records[0].human_count = c.humans;
        if (!c.contest) contest_group_record(4).men[0] = nullptr;
        match_globals.match_state = c.state;
        match_globals.restart_countdown = c.countdown;
        tick();
        EXPECT_EQ(match_globals.pending_cut_state, c.pending) << int(c.state);
    }
    // Nothing new while a transition runs or a cut is pending.
    SetUp();
    hook_log.transition_on = true;
    hook_log.transition_end = 5000;
    match_globals.match_state = 19;
    tick();
    EXPECT_EQ(match_globals.pending_cut_state, -1);
}

TEST_F(PhaseCutTest, SoftwarePathFadesThePalette)
{
    MatchHooks h = recording_hooks();
    h.use_3d_hardware = []() -> int32_t { return 0; };
    h.fade_palette_out = [] { hook_log.calls.push_back("palette out"); };
    h.fade_palette_in = [] { hook_log.calls.push_back("palette in"); };
    match_hooks = h;
    match_globals.match_state = 47;
    tick();
    EXPECT_TRUE(called("palette out"));
    EXPECT_EQ(match_tick_record.speed_percent, CUT_TICK_SPEED);
    match_globals.match_state = 57;
    match_globals.closing_transition_running = 1;
    tick();
    EXPECT_EQ(match_tick_record.speed_percent, 100);
    EXPECT_EQ(match_globals.pending_cut_state, -1);
    EXPECT_EQ(match_globals.closing_transition_running, 0);
    EXPECT_TRUE(called("unmute"));
    EXPECT_TRUE(called("palette in"));
}

TEST_F(PhaseCutTest, BallComingAlertsTheNearestInOrder)
{
    ball_state.vx = 10 * 65536; // 16 x 10 = 160
    list_active_men(3);
    int k = 0;
    const uint16_t distances[] = {50, 100, 150, 170, 90, 20};
    for (int i = 0; i < match_globals.active_men_count; ++i) {
        match_globals.active_men[i]->ball_distance = distances[k++];
        match_globals.active_men[i]->ball_coming = 0;
    }
    match_globals.active_men[1]->man_flags2 = MAN2_INJURED;
    flag_players_ball_coming();
    EXPECT_EQ(match_globals.active_men[0]->ball_coming, 1u);
    EXPECT_EQ(match_globals.active_men[1]->ball_coming, 0u) << "injured";
    EXPECT_EQ(match_globals.active_men[2]->ball_coming, 1u);
    EXPECT_EQ(match_globals.active_men[3]->ball_coming, 0u);
    EXPECT_EQ(match_globals.active_men[4]->ball_coming, 0u) << "the walk stops at the first beyond";
}

} // namespace
