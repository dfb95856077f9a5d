#include "match/two_teams.h"

#include "match/ball.h"
#include "match/game_maths.h"
#include "match/kick_out_positions.h"
#include "match/match_hooks.h"
#include "platform/controllers.h"
#include "players/behaviour_handlers.h"
#include "players/contact_planners.h"
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
        clear_contact_plans();
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
    // The kick-out's taker with the ball, standing in his goal square.
    void ready_to_kick_out(PlayerSlot* k)
    {
        MatchGlobals& g = match_globals;
        g.awarded_side = k->side;
        g.controlled_man_a = k;
        g.ball_holder = k;
        k->x = static_cast<int16_t>(k->side == 2 ? -23794 : 23794);
        k->y = 0;
        k->arrived = 1;
        k->turning = 0;
    }
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

// The kicker lines up behind the mark and kicks over it: a kick along the
// line to the mark is the set kick, one well off it after he has left his
// stand point plays on (and the man on the mark gives up his stand).
TEST_F(TeamAi, ASetKickOffTheLineThroughTheMarkPlaysOn)
{
    MatchGlobals& g = match_globals;
    PlayerSlot* k = man(0, 5);
    k->side = 2;
    struct Case {
        const char* what;
        uint8_t aim;      // the meter's aim; the mark lies at 64 from him
        int16_t stand_x;  // where he stood; he is at x 0
        int want_play_on;
    };
    const Case cases[] = {
        {"over the mark", 64, -1000, 0},
        {"within the line's slack", 64 + 32, -1000, 0},
        {"square of the line", 0, -1000, 1},
        {"back the way he came", 192, -1000, 1},
        {"off the line from his stand point", 0, -300, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g.match_state = 42;
        g.mark_x = 1792;
        g.mark_y = 0;
        k->x = 0;
        k->y = 0;
        k->mark_spot_x = c.stand_x;
        k->mark_spot_y = 0;
        g.disposal_target = nullptr;
        g.play_on = 0;
        g.meter_phase = -2;
        g.meter_stored = 6000;
        g.meter_value = 0;
        g.meter_max = 12000;
        g.meter_aim_angle = c.aim;
        g.meter_aim_error = 0;
        take_set_kick(k, 36);
        EXPECT_EQ(g.play_on, c.want_play_on);
    }
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
    // A step shows the new option's diagram from nothing; a press confirms
    // only once it is fully shown.
    t.overlay.diagram_growth = 99;
    press(0, 1);
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(t.overlay.diagram_growth, 0);
    for (const int32_t shown : {0, OVERLAY_SHOWN - 11, OVERLAY_SHOWN}) {
        t.overlay.diagram_growth = shown;
        press(ACTION_2);
        decide_man_behaviour(m, 0, 0);
        EXPECT_EQ(t.option_chosen, shown == OVERLAY_SHOWN ? 1 : 0) << "diagram at " << shown;
    }
    EXPECT_EQ(t.option_choice, 0);
    // Kick-out formations: +x past 7 to 0, -x below 0 to 7; the plan is handed out.
    g.match_state = 58;
    ready_to_kick_out(m);
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
    EXPECT_EQ(t.setup_chosen, 1);
    // The throw-in choice steps with the stick.
    g.match_state = 39; // row 14
    t.setup_chosen = 0;
    t.stoppage_choice = 0;
    press(0, 1);
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(t.stoppage_choice, 1);
}

TEST_F(TeamAi, AHumanCallsTheCoinByTheFaceItRestsOn)
{
    MatchGlobals& g = match_globals;
    PlayerSlot* m = man(0, 0);
    drive(m);
    TeamRecord& t = team_records[0];
    g.match_state = 22; // row 34
    // Up turns the coin forward, down back.
    press(0, 1);
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(t.toss_call, 1);
    EXPECT_EQ(t.overlay.choice, 1);
    press(0, 2);
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(t.overlay.choice, -1);
    // A press while the coin turns between its faces is not taken; at rest
    // frame 0 calls -1 and the stop frame calls 1.
    struct Case {
        int32_t frame;
        int32_t call; // 0: not taken
    };
    for (const Case c : {Case{3, 0}, Case{0, -1}, Case{5, 1}}) {
        t.overlay = {};
        t.end_choice = 0;
        t.overlay.stop_frame = 5;
        t.overlay.coin_frame = c.frame;
        press(ACTION_2);
        decide_man_behaviour(m, 0, 0);
        EXPECT_EQ(t.end_choice, c.call) << "frame " << c.frame;
        EXPECT_EQ(t.overlay.toss_done, c.call != 0);
        if (c.call) {
            EXPECT_EQ(g.toss_call[0], c.call) << "the call the umpire reads";
        }
    }
    // Once called the stick turns the coin no more.
    press(0, 1);
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(t.overlay.choice, 0);
}

TEST_F(TeamAi, TheTossWinnerChoosesAnEnd)
{
    MatchGlobals& g = match_globals;
    PlayerSlot* m = man(0, 0);
    drive(m);
    TeamRecord& t = team_records[0];
    g.match_state = 23; // row 35
    t.toss_call = 1;
    // On the software path left and right choose at once.
    match_hooks.use_3d_hardware = [] { return 0; };
    press(0, 8);
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(t.toss_call, 2);
    EXPECT_EQ(t.overlay.choice, 2);
    press(0, 4);
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(t.toss_call, 1);
    // With the pointer on the hardware path a change waits for its slide.
    match_hooks.use_3d_hardware = [] { return 1; };
    press(0, 8);
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(t.toss_call, 2);
    EXPECT_EQ(t.overlay.slide_timer, 70);
    press(0, 4);
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(t.toss_call, 2) << "still sliding";
    t.overlay.slide_timer = 0;
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(t.toss_call, 1);
    // Any button confirms the end.
    press(ACTION_3);
    decide_man_behaviour(m, 0, 0);
    EXPECT_EQ(t.end_choice, 1);
    EXPECT_EQ(t.overlay.toss_done, 1);
}

TEST_F(TeamAi, AftertouchBendsARisingKickWhileTheClockIsAboveTheMark)
{
    MatchGlobals& g = match_globals;
    BallState& b = ball_state;
    PlayerSlot* m = man(0, 4);
    drive(m);
    g.match_state = 1; // no holder: row 3
    g.ball_holder = nullptr;
    g.aftertouch_strength = 50;
    const int32_t k = 16384; // 50 x 327.68
    struct Case {
        int32_t clock, vx, vy, vz;
        uint16_t flight;
        uint8_t stick;
        int32_t want_dvx, want_dvy; // no bend: he runs
        bool bends;
    };
    const Case cases[] = {
        {1000, 50 << 16, 0, 10 << 16, FLIGHT_MOVING | FLIGHT_KICKED, 1, 0, k, true},   // along x: up bends +y
        {1000, 50 << 16, 0, 10 << 16, FLIGHT_MOVING | FLIGHT_KICKED, 2, 0, -k, true},  // down bends -y
        {1000, 0, 50 << 16, 10 << 16, FLIGHT_MOVING | FLIGHT_KICKED, 8, k, 0, true},   // along y: right bends +x
        {1000, 0, 50 << 16, 10 << 16, FLIGHT_MOVING | FLIGHT_KICKED, 4, -k, 0, true},  // left bends -x
        {1000, 50 << 16, 0, 10 << 16, FLIGHT_MOVING | FLIGHT_KICKED, 8, 0, 0, true},   // the stick across bends nothing
        {1000, 50 << 16, 0, -(1 << 16), FLIGHT_MOVING | FLIGHT_KICKED, 1, 0, 0, false}, // falling: he runs
        {938, 50 << 16, 0, 10 << 16, FLIGHT_MOVING | FLIGHT_KICKED, 1, 0, 0, false},   // the window has closed
        {1000, 50 << 16, 0, 10 << 16, FLIGHT_AT_REST, 1, 0, 0, false},                 // not in flight
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        g.period_clock = c.clock;
        g.kick_time_mark = 938; // a contest kick at clock 999
        b = {};
        b.flight_flags = c.flight;
        b.vx = c.vx;
        b.vy = c.vy;
        b.vz = c.vz;
        b.z = 2000 << 16;
        m->action = 33;
        m->man_flags = MAN_IN_CONTEST;
        press(0, c.stick);
        decide_man_behaviour(m, 0, 0);
        EXPECT_EQ(b.vx - c.vx, c.want_dvx);
        EXPECT_EQ(b.vy - c.vy, c.want_dvy);
        if (c.bends) {
            EXPECT_EQ(m->action, 33) << "he does not run";
            BallState again = b;
            set_ball_landing_point(&again);
            EXPECT_EQ(b.landing_x, again.landing_x) << "the landing point follows the bend";
            EXPECT_EQ(b.landing_y, again.landing_y);
        } else {
            EXPECT_EQ(m->action, 6);
        }
    }
}

TEST_F(TeamAi, EachKickOutButtonNamesTheReceiverItPicks)
{
    MatchGlobals& g = match_globals;
    TeamRecord& t = team_records[0];
    PlayerSlot* k = man(0, 0);
    ready_to_kick_out(k);
    t.setup_choice = 1;
    choose_kickout_positions(&t, 1);
    struct Case {
        uint8_t state;
        int32_t option[4]; // per button 1, 2, 4, 8; -1 none
    };
    const Case cases[] = {
        {59, {0, 1, 2, 3}},     // row 19: one receiver a button
        {67, {0, 1, 0, 1}},     // row 27: two buttons each
        {65, {0, 0, 0, 0}},     // row 25: any button
        {61, {-1, -1, -1, -1}}, // row 21: the kick itself
    };
    for (const Case& c : cases) {
        g.match_state = c.state;
        for (int b = 0; b < 4; ++b) {
            PlayerSlot* want = c.option[b] < 0 ? nullptr : kickout_receiver(&t, 1, c.option[b]);
            EXPECT_EQ(kick_out_button_receiver(&t, b), want) << "state " << int(c.state) << " button " << b;
        }
    }
    g.match_state = 59;
    ASSERT_NE(kick_out_button_receiver(&t, 0), nullptr);
    EXPECT_EQ(kick_out_button_receiver(&team_records[1], 0), nullptr) << "the other team picks none";
    t.option_chosen = 1;
    EXPECT_EQ(kick_out_button_receiver(&t, 0), nullptr) << "chosen already";
    t.option_chosen = 0;
    k->arrived = 0;
    EXPECT_EQ(kick_out_button_receiver(&t, 0), nullptr) << "not ready";
    k->arrived = 1;
    k->x = 0;
    EXPECT_EQ(kick_out_button_receiver(&t, 0), nullptr) << "not in his goal square";
    ready_to_kick_out(k);
    t.human_count = 0;
    EXPECT_EQ(kick_out_button_receiver(&t, 0), nullptr) << "no player to show";
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
