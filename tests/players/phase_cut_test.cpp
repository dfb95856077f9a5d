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
        contest_group_record(4).pressed = ACTION_3; // the human pressed a button
    }
    void TearDown() override
    {
        contest_group_record(4).pressed = 0;
        MenTest::TearDown();
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
    EXPECT_EQ(match_globals.pre_match_skipped, 1) << "the pre-match was cut";
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
    enum Group { NO_MAN, NO_PRESS, PRESSED, HELD };
    struct Case {
        uint8_t state;
        uint8_t humans;
        Group group;
        int32_t countdown;
        int32_t pending;
        int32_t skipped;
    } cases[] = {
        {19, 0, PRESSED, 100, -1, 0},  // two computer teams
        {19, 1, NO_MAN, 100, -1, 0},   // a press on a device with no man
        {19, 1, NO_PRESS, 100, -1, 0}, // a man in the group, no button
        {19, 1, HELD, 100, -1, 0},     // a button held from before is no press
        {19, 1, PRESSED, 100, 11, 1},  {37, 1, PRESSED, 100, 39, 0}, {47, 1, PRESSED, 100, 57, 0},
        {37, 1, NO_PRESS, 100, -1, 0}, {47, 1, NO_PRESS, 100, -1, 0},
        {21, 0, NO_MAN, 60, -1, 0},    {21, 0, NO_MAN, 59, 11, 0}, // the quarter's end by its countdown alone
        {1, 1, PRESSED, 0, -1, 0},
    };
    for (const Case& c : cases) {
        SetUp();
        match_globals.pre_match_skipped = 0;
        team_records[0].human_count = c.humans;
        ContestGroup& g = contest_group_record(4);
        if (c.group == NO_MAN) g.men[0] = nullptr;
        if (c.group == NO_PRESS || c.group == HELD) g.pressed = 0;
        g.buttons = c.group == HELD ? uint32_t{ACTION_1} : 0u;
        match_globals.match_state = c.state;
        match_globals.restart_countdown = c.countdown;
        tick();
        EXPECT_EQ(match_globals.pending_cut_state, c.pending) << int(c.state) << " " << int(c.group);
        EXPECT_EQ(match_globals.pre_match_skipped, c.skipped) << int(c.state) << " " << int(c.group);
        g.buttons = 0;
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
