#include "match/two_teams.h"

#include "match/ball.h"
#include "match/game_maths.h"
#include "match/kick_out_positions.h"
#include "match/match_hooks.h"
#include "platform/controllers.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/occupancy.h"
#include "players/team_ai.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class TeamAi : public ::testing::Test {
protected:
    ContestGroup& pad = controllers[0]; // a human's device
    void SetUp() override
    {
        set_up_two_teams(22);
        list_active_men(18);
        clear_match_hooks();
        std::memset(controllers, 0, sizeof controllers);
        reset_contest_groups();
        reset_team_ai();
        match_globals.random_state_a = match_globals.random_state_b = 0x13579;
        match_globals.difficulty = 50;
        pad.present = 1;
        pad.side = -1;
        team_records[0].human_count = 1;
        for (TeamRecord& t : team_records)
            for (PlayerSlot& m : t.slots) m.top_speed = 30;
    }
    PlayerSlot* man(int t, int n) { return &team_records[t].slots[n]; }
    void drive(PlayerSlot* m)
    {
        pad.men[0] = m;
        m->contest_group = &pad;
        m->man_flags |= MAN_IN_CONTEST;
    }
    // One read of the device: the buttons that came on and the stick.
    void press(uint32_t buttons, uint8_t dirs = 0)
    {
        pad.pressed = buttons;
        pad.released = 0;
        pad.dirs = dirs;
        pad.dirs_pressed = dirs;
        pad.raw_dirs_pressed = dirs;
    }
    void idle() { press(0); }
};

TEST_F(TeamAi, PhaseRowsByState)
{
    const int want[][2] = {{1, 0},   {18, 0},  {27, 0},  {0, 5},   {7, 6},   {42, 6},  {41, 7},
                           {56, 7},  {3, 10},  {11, 11}, {57, 11}, {52, 12}, {13, 13}, {39, 14},
                           {53, 15}, {54, 16}, {58, 18}, {59, 19}, {73, 33}, {22, 34}, {23, 35}};
    for (const auto& w : want) EXPECT_EQ(phase_table[w[0]], w[1]) << "state " << w[0];
}

TEST_F(TeamAi, AGroupIsFlaggedOneTickAndDecidedFromTheNext)
{
    match_globals.match_state = 1;
    PlayerSlot* m = man(0, 3);
    pad.men[0] = m;
    m->contest_group = &pad;
    team_ai_tick();
    EXPECT_NE(m->man_flags & MAN_IN_CONTEST, 0);
    // Now decided: the stick runs him (row 3 in open play, no holder).
    press(0, 8);
    team_ai_tick();
    EXPECT_EQ(m->action, 6);
    EXPECT_GT(m->target_x, m->x);
}

TEST_F(TeamAi, WithTheHolderInTheGroupOnlyHeIsDecided)
{
    match_globals.match_state = 1;
    PlayerSlot* a = man(0, 3);
    PlayerSlot* h = man(0, 4);
    pad.men[0] = a;
    pad.men[1] = h;
    a->contest_group = h->contest_group = &pad;
    a->man_flags |= MAN_IN_CONTEST;
    h->man_flags |= MAN_IN_CONTEST;
    match_globals.ball_holder = h;
    a->action = 33;
    press(0, 1);
    team_ai_tick();
    EXPECT_EQ(pad.men[0], h) << "the holder is swapped into slot 0";
    EXPECT_EQ(a->action, 33) << "his mate gets nothing this tick";
    EXPECT_EQ(h->action, 6);
}

TEST_F(TeamAi, KickOutMembersTakeTheLooseBallRowOnceTheBallFlies)
{
    PlayerSlot* m = man(0, 6);
    drive(m);
    match_globals.match_state = 60; // row 20
    match_globals.ball_holder = nullptr;
    ball_state.flight_flags = 0;
    ball_state.bounce_count = 0;
    // Row 20 has no slot-0 steering of its own: a held stick does nothing.
    press(0, 8);
    m->action = 33;
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(m->action, 33);
    // In flight: row 3, whose stick runs him.
    ball_state.flight_flags = FLIGHT_MOVING;
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(m->action, 6);
}

TEST_F(TeamAi, AHumanTakesASetKickThroughTheThreePressMeter)
{
    MatchGlobals& g = match_globals;
    PlayerSlot* k = man(0, 5);
    k->x = 0;
    k->y = 0;
    drive(k);
    g.match_state = 42; // row 6: the set kick
    g.controlled_man_a = k;
    g.last_kicker = k;
    give_ball_action(43, 0);
    ASSERT_EQ(k->set_action, 43);
    press(1); // first press: the meter runs
    decide_man_behaviour(k, 0, 1);
    EXPECT_EQ(g.meter_phase, 1);
    idle();
    for (int i = 0; i < 20; ++i) decide_man_behaviour(k, 0, 1);
    const int32_t risen = g.meter_value;
    EXPECT_GT(risen, 0);
    press(1); // second press: the strength is kept
    decide_man_behaviour(k, 0, 1);
    EXPECT_EQ(g.meter_phase, -2);
    EXPECT_EQ(g.meter_stored, g.meter_value);
    idle();
    // The meter runs back down twice as fast and the kick goes at zero.
    for (int i = 0; i < 200 && g.meter_phase != 0; ++i) decide_man_behaviour(k, 0, 1);
    EXPECT_EQ(g.meter_phase, 0);
    EXPECT_EQ(k->action, 43);
    EXPECT_EQ(k->action_arg, 36);
    EXPECT_GT(k->target_x * k->target_x + k->target_y * k->target_y, 1792 * 1792 - 4096);
}

TEST_F(TeamAi, OverlayChoicesStepAndWrap)
{
    MatchGlobals& g = match_globals;
    PlayerSlot* m = man(0, 2);
    drive(m);
    TeamRecord& t = team_records[0];
    // Bounce options: up past 8 wraps to 0, down below 0 to 8.
    g.match_state = 52;
    t.option_choice = 8;
    press(0, 1);
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(t.option_choice, 0);
    press(0, 2);
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(t.option_choice, 8);
    // Kick-out formations: +x past 7 to 0, -x below 0 to 7; the plan is handed out.
    g.match_state = 58;
    g.awarded_side = 1;
    g.controlled_man_a = m;
    g.ball_holder = m;
    m->arrived = 1;
    t.setup_choice = 7;
    press(0, 8);
    decide_man_behaviour(m, 1, 0);
    EXPECT_EQ(t.setup_choice, 0);
    press(0, 4);
    decide_man_behaviour(m, 1, 0);
    EXPECT_EQ(t.setup_choice, 7);
    // Confirming: any button of row 18.
    press(1);
    decide_man_behaviour(m, 1, 0);
    EXPECT_EQ(t.choice_confirmed, 1);
    // The throw-in choice steps with the stick.
    g.match_state = 39; // row 14
    t.choice_confirmed = 0;
    t.setup_chosen = 0;
    t.stoppage_choice = 0;
    press(0, 1);
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(t.stoppage_choice, 1);
}

TEST_F(TeamAi, GrudgesRiseWithConfidenceAndAreCapped)
{
    PlayerSlot* a = man(0, 1);
    PlayerSlot* b = man(1, 1);
    a->confidence = 50;
    raise_grudge(a, b, 7); // no temperament record: +0 confidence, grudge + 50 x 80%
    EXPECT_EQ(grudge(a, b), 40);
    for (int i = 0; i < 10; ++i) raise_grudge(a, b, 5);
    EXPECT_EQ(grudge(a, b), 255);
    raise_grudge(a, man(0, 2), 7); // teammates hold no grudge
    EXPECT_EQ(grudge(a, man(0, 2)), 0);
    // Fights need aggression: none at 0 per cent.
    match_globals.aggression_percent = 0;
    EXPECT_EQ(wants_to_fight(b, a), 0);
    match_globals.aggression_percent = 100;
    EXPECT_EQ(wants_to_fight(b, a), 1);
    // The quarter-time reset halves grudges, the third quarter clears them.
    adjust_confidence_by_event(4, 1);
    EXPECT_EQ(grudge(a, b), 127);
    match_globals.flow_flags = QUARTER_3;
    adjust_confidence_by_event(4, 1);
    EXPECT_EQ(grudge(a, b), 0);
}

} // namespace
