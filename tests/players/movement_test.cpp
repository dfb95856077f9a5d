#include "men_fixture.h"

#include "league/league_data.h"
#include "players/actions.h"
#include "players/locomotion.h"
#include "players/movement.h"

namespace {

using MovementTest = MenTest;

TEST_F(MovementTest, ArrivalIsASquareOfTheRadius)
{
    struct Case {
        int dx, dy, r;
        bool arrives;
    } cases[] = {{16, 17, 16, false}, {16, 16, 16, true}, {-16, -16, 16, true}, {0, 43, 42, false}, {42, -42, 42, true}};
    for (const Case& c : cases) {
        PlayerSlot* m = man(0, 3);
        place(m, 1000, 1000);
        m->action = 10;
        m->target_x = static_cast<int16_t>(1000 + c.dx);
        m->target_y = static_cast<int16_t>(1000 + c.dy);
        run_to_point(m, c.r);
        EXPECT_EQ(m->arrived, c.arrives ? 1u : 0u) << c.dx << "," << c.dy;
        EXPECT_EQ(m->action, c.arrives ? 0 : 10);
        if (c.arrives) {
            EXPECT_EQ(m->target_x, m->x);
            EXPECT_EQ(m->move_dx, 0);
        }
    }
}

TEST_F(MovementTest, ArrivalFacesTheBallOrTheAttackedEnd)
{
    PlayerSlot* m = man(0, 3);
    place(m, 0, 0, 10);
    m->angle_to_ball = 77;
    m->action = 55;
    run_to_point(m, 42);
    EXPECT_EQ(m->wanted_facing, 77);
    EXPECT_EQ(m->action, 55) << "leads keep their action";

    match_globals.ball_holder = m; // side 1 attacks towards negative x
    run_to_point(m, 42);
    EXPECT_EQ(m->wanted_facing, 192);
    PlayerSlot* h = man(1, 3);
    place(h, 0, 0);
    match_globals.ball_holder = h;
    run_to_point(h, 42);
    EXPECT_EQ(h->wanted_facing, 64);
}

TEST_F(MovementTest, RunningHeadsForTheTarget)
{
    PlayerSlot* m = man(0, 3);
    place(m, 0, 0);
    m->target_x = 1000;
    run_to_point(m, 16);
    EXPECT_EQ(m->wanted_facing, 64);
    EXPECT_EQ(m->move_heading, 64);
    EXPECT_EQ(m->move_dx, 1000);
    // Far targets clamp the offset to 16 bits.
    place(m, -30000, 0);
    m->target_x = 30000;
    run_to_point(m, 16);
    EXPECT_EQ(m->move_dx, 32767);
}

TEST_F(MovementTest, TheEffortCapNearTheTargetAndOnTurns)
{
    struct Case {
        int distance, turn, cap;
    } cases[] = {
        {1536, 0, 30}, {1535, 0, 24}, {219, 0, 6}, {0, 0, 0},   // 20 + 10 x band percent of 30
        {5000, 15, 30}, {5000, 16, 21}, {5000, 128, 3},        // turn bands 0, 1, 8
    };
    match_globals.match_state = 2;
    for (const Case& c : cases) {
        PlayerSlot* m = man(0, 3);
        place(m, 0, 0, 0);
        m->action = 10;
        m->effort = 100;
        m->wanted_facing = static_cast<int16_t>(c.turn);
        m->move_dx = static_cast<int16_t>(c.distance);
        m->move_dy = 0;
        update_motion_limits(m);
        EXPECT_EQ(m->path_speed, c.cap) << c.distance << " turn " << c.turn;
    }
    EXPECT_EQ(cap_by_turn_angle(100, 0, 200), 55) << "56 off";
    EXPECT_EQ(cap_by_turn_angle(100, 0, 64), 35);
    EXPECT_EQ(cap_by_turn_angle(100, 250, 5), 100) << "11 off across the wrap";
}

TEST_F(MovementTest, VelocityFollowsTheFacing)
{
    PlayerSlot* m = man(0, 3);
    place(m, 0, 0, 64);
    m->wanted_facing = 64;
    m->effort = 100;
    m->move_dx = 5000;
    match_globals.match_state = 2;
    update_motion_limits(m);
    EXPECT_EQ(m->velocity_x, 30);
    EXPECT_EQ(m->velocity_y, 0);
    // A locked speed keeps its cap.
    m->man_flags |= MAN_SPEED_LOCKED;
    m->path_speed = 7;
    update_motion_limits(m);
    EXPECT_EQ(m->path_speed, 7);
    EXPECT_EQ(m->velocity_x, 7);
}

// Accelerates from standing, cruises at the cap and brakes as the target
// comes near; the speed never passes the cap nor distance / 16.
TEST_F(MovementTest, SpeedTraceAcceleratesAndBrakes)
{
    PlayerSlot* m = man(0, 3);
    static league_player person{};
    set_player_i32(&person, 64, 40000); // acceleration
    set_player_i16(&person, 48, 7);     // word 24
    m->person = &person;
    place(m, 0, 0, 64);
    m->target_x = 4000;
    std::vector<int> speeds;
    for (int tick = 0; tick < 200 && m->x < 4000; ++tick) {
        m->move_dx = clamp16(m->target_x - m->x);
        m->path_speed = 30;
        update_man_speed(m);
        const int d = m->target_x - m->x;
        EXPECT_LE(m->speed, std::max(d / 16, 0));
        EXPECT_LE(m->speed, 30);
        speeds.push_back(m->speed);
        m->x = static_cast<int16_t>(m->x + m->path_dx); // the animation's root motion
    }
    ASSERT_GT(speeds.size(), 10u);
    EXPECT_EQ(speeds[0], 7) << "a standing man jumps to a quarter of the cap";
    EXPECT_EQ(*std::max_element(speeds.begin(), speeds.end()), 30);
    EXPECT_LT(speeds.back(), 30) << "brakes near the target";
    // A man 32 from his target may run at most 2 a tick.
    place(m, 0, 0, 64);
    m->target_x = 32;
    m->speed = 20;
    m->path_speed = 30;
    update_man_speed(m);
    EXPECT_EQ(m->path_speed, 2);
    EXPECT_LE(m->speed, 2);
}

TEST_F(MovementTest, BrakingNeverStopsAFastManShortOfHisTarget)
{
    // An umpire's top speed is 255: braking by distance alone would leave
    // him under a walk (1 % of it) some 40 units out, standing for ever.
    PlayerSlot* u = &official_slots[0];
    static league_player official{};
    set_player_i32(&official, 64, 65536);
    u->person = &official;
    u->top_speed = 255;
    place(u, 0, 0, 64);
    u->target_x = 47;
    u->arrived = 0;
    set_man_speed_fixed(u, 3 * 65536); // walking
    u->path_speed = 51;
    int ticks = 0;
    for (; ticks < 100 && u->target_x - u->x > 16; ++ticks) {
        update_man_speed(u);
        EXPECT_GE(u->speed * 100, u->top_speed) << "walking, at " << u->x;
        u->x = static_cast<int16_t>(u->x + u->path_dx);
    }
    EXPECT_LT(ticks, 20) << "he walks the last units";
    // Once there he stops.
    u->arrived = 1;
    u->target_x = u->x;
    update_man_speed(u);
    EXPECT_EQ(u->speed, 0);
}

TEST_F(MovementTest, FatigueGrowsWhenRunningAndFallsWhenSlow)
{
    static league_player person{};
    set_player_i16(&person, 48, 7); // word 24: grows by speed >> 4, falls by 1
    PlayerSlot* m = man(0, 3);
    m->person = &person;
    place(m, 0, 0, 64);
    m->target_x = 20000;
    m->fatigue = 100;
    m->speed = 32;
    m->path_speed = 32;
    update_man_speed(m);
    EXPECT_EQ(m->fatigue, 102);
    m->speed = 0;
    m->path_speed = 0;
    update_man_speed(m);
    EXPECT_EQ(m->fatigue, 101);
    m->fatigue = 8159;
    m->speed = m->path_speed = 32;
    update_man_speed(m);
    EXPECT_EQ(m->fatigue, 8160);
}

TEST_F(MovementTest, EffortByAction)
{
    struct Case {
        uint16_t action;
        uint8_t state;
        bool holder_elsewhere;
        uint16_t effort;
    } cases[] = {
        {0, 1, false, 90},  {88, 1, false, 90}, {5, 1, false, 90},  {6, 1, false, 80},  {7, 60, true, 100},
        {7, 60, false, 80}, {6, 10, false, 100}, {53, 1, false, 25}, {48, 1, false, 70}, {30, 1, false, 90},
        {80, 1, false, 35}, {10, 59, false, 400},
    };
    for (const Case& c : cases) {
        PlayerSlot* m = man(0, 3);
        m->action = c.action;
        m->effort = 1;
        match_globals.match_state = c.state;
        match_globals.ball_holder = c.holder_elsewhere ? man(1, 0) : nullptr;
        update_player_effort();
        EXPECT_EQ(m->effort, c.effort) << "action " << c.action << " state " << int(c.state);
    }
    match_globals.ball_holder = nullptr;
    match_globals.match_state = 1;
    // Action 87 is left alone.
    man(0, 3)->action = 87;
    man(0, 3)->effort = 123;
    update_player_effort();
    EXPECT_EQ(man(0, 3)->effort, 123);
}

TEST_F(MovementTest, BenchAndHolderEffort)
{
    list_active_men(22);
    match_globals.match_state = 52;
    update_player_effort();
    EXPECT_EQ(man(0, 18)->effort, 200);
    match_globals.match_state = 1;
    update_player_effort();
    EXPECT_EQ(man(1, 21)->effort, 100);
    PlayerSlot* h = man(0, 4);
    match_globals.ball_holder = h;
    h->speed_burst = 5;
    h->effort = 117;
    update_player_effort();
    EXPECT_EQ(h->effort, 117) << "a burst keeps its effort";
    h->speed_burst = 0;
    update_player_effort();
    EXPECT_EQ(h->effort, 90);
}

TEST_F(MovementTest, TimedEffortReachesTheTargetAsTheBallComesDown)
{
    PlayerSlot* m = man(0, 3);
    m->action = ACT_TIMED_RUN;
    m->top_speed = 20;
    m->target_distance = 3000;
    // The ball comes under 1536 at step 5, so it is last above at step 4:
    // 3000 in 4 ticks is 3750 % of 20.
    predicted_ball_path.position[5][1] = 1000 * 65536;
    update_player_effort();
    EXPECT_EQ(m->effort, 3750) << "uncapped for the timed run";
    m->action = 48;
    team_records[0].set_play_mode = 2;
    predicted_ball_path.position[5][1] = 500 * 65536;
    update_player_effort();
    EXPECT_EQ(m->effort, 100) << "capped for the set play";
    // A step at once and a man without speed: no division by zero.
    predicted_ball_path.position[0][1] = 0;
    m->top_speed = 0;
    m->action = ACT_TIMED_RUN;
    update_player_effort();
    EXPECT_EQ(m->effort, 65535);
}

TEST_F(MovementTest, EffortIs400WhileACutFastForwards)
{
    match_globals.pending_cut_state = 11;
    update_player_effort();
    EXPECT_EQ(man(1, 7)->effort, 400);
    // Not while the fade runs.
    hook_log.transition_on = true;
    hook_log.transition_end = 1000;
    man(1, 7)->action = 53;
    update_player_effort();
    EXPECT_EQ(man(1, 7)->effort, 25);
}

TEST_F(MovementTest, BurstsBoostTheEffortThenRest)
{
    static league_player person{};
    set_player_i16(&person, 48, 17); // word 24
    set_player_u8(&person, 58, 50);  // stamina byte
    PlayerSlot* m = man(0, 3);
    m->person = &person;
    struct Case {
        uint8_t humans, other_humans;
        int effort;
    } cases[] = {{1, 0, 115}, {1, 1, 110}, {0, 1, 110}, {0, 0, 110}};
    match_globals.difficulty = 50;
    for (const Case& c : cases) {
        team_records[0].human_count = c.humans;
        team_records[1].human_count = c.other_humans;
        m->speed_burst = 3;
        m->rest_ticks = 0;
        update_stamina(m);
        EXPECT_EQ(m->effort, c.effort) << int(c.humans) << int(c.other_humans);
    }
    m->speed_burst = 1;
    m->man_flags |= MAN_IN_CONTEST;
    update_stamina(m);
    EXPECT_EQ(m->speed_burst, 0);
    EXPECT_EQ(m->rest_ticks, 300) << "317 - word 24";
    EXPECT_EQ(m->effort, 90);
    // Resting counts down; outside open play the counters hold.
    update_stamina(m);
    EXPECT_EQ(m->rest_ticks, 299);
    match_globals.match_state = 2;
    update_stamina(m);
    EXPECT_EQ(m->rest_ticks, 299);
    // Stamina climbs to the profile's byte while not bursting.
    m->stamina = 49;
    update_stamina(m);
    update_stamina(m);
    EXPECT_EQ(m->stamina, 50);
}

TEST_F(MovementTest, BenchMenRecover)
{
    for (int i = 17; i < 24; ++i) man(1, i)->fatigue = 5;
    man(0, 19)->fatigue = 0;
    tick_bench_counters();
    EXPECT_EQ(man(1, 17)->fatigue, 5) << "a man on the ground";
    EXPECT_EQ(man(1, 18)->fatigue, 4);
    EXPECT_EQ(man(1, 21)->fatigue, 4);
    EXPECT_EQ(man(1, 22)->fatigue, 5) << "beyond the men in use";
    EXPECT_EQ(man(0, 19)->fatigue, 0);
}

TEST_F(MovementTest, SecondMedicKeepsBehindTheLead)
{
    PlayerSlot* lead = &official_slots[1];
    PlayerSlot* second = &official_slots[2];
    match_globals.lead_medic[0] = lead;
    match_globals.lead_medic[1] = second;
    place(lead, 1000, 0);
    place_second_medic(0);
    EXPECT_EQ(second->x, 1000);
    EXPECT_EQ(second->y, 512);
    lead->move_heading = 0; // runs along +y: the second wants to be at angle 128
    follow_lead_medic();
    EXPECT_EQ(match_globals.lead_medic_angle, 254) << "at most 2 a tick";
    EXPECT_EQ(second->arrived, 1u);
    EXPECT_EQ(second->target_x, second->x);
}

TEST_F(MovementTest, WaypointIsTheSecondLeg)
{
    PlayerSlot* m = man(0, 3);
    place(m, 0, 0);
    m->action = 24;
    m->waypoint_pending = 1;
    m->waypoint_x = 3000;
    m->waypoint_y = 0;
    run_to_waypoint(m, 42);
    EXPECT_EQ(m->target_x, 3000);
    EXPECT_EQ(m->waypoint_pending, 0u);
    EXPECT_EQ(m->wanted_facing, 64);
    place(m, 3000, 0);
    run_to_waypoint(m, 42);
    EXPECT_EQ(m->arrived, 1u);
    EXPECT_EQ(m->action, 0);
}

} // namespace

namespace {

using WayTest = MenTest;

TEST_F(WayTest, ARunnerGoesRoundAManStandingInHisWay)
{
    struct Case {
        int x, y;   // the standing man
        bool round; // the runner takes a detour
        int tx = 2000; // the runner's target along +x
        bool arrives = false; // he stops where he is, arrived
    } cases[] = {
        {1000, 0, true},     // on the line to the target
        {1000, 200, true},   // near enough to it to meet
        {1000, 1500, false}, // well off the line
        {400, 0, true},      // under 512 away, standing: still round him
        {300, 300, false},   // under 512 away but clear of the line
        {400, 0, false, 600}, // under 512 away, standing at the target: no circling him
        {180, 0, true, 436},  // under 512 away, the target a body's width beyond him
        {180, 0, false, 300, true}, // against the man standing on his target: as near as he can come
        {180, 60, false, 250, true},
        {3000, 0, false},    // beyond 2560
    };
    for (const Case& c : cases) {
        for (TeamRecord& t : team_records)
            for (PlayerSlot& m : t.slots) place(&m, -20000, 10000 + 300 * m.number * (t.side == 1 ? 1 : -1));
        PlayerSlot* r = man(0, 3);
        PlayerSlot* o = man(1, 4);
        place(r, 0, 0, 64);
        place(o, c.x, c.y);
        r->target_x = static_cast<int16_t>(c.tx);
        r->target_y = 0;
        r->move_dx = static_cast<int16_t>(c.tx);
        r->arrived = 0;
        r->speed = 12;
        r->detour_active = 0;
        avoid_man_in_way(r);
        EXPECT_EQ(r->detour_active, c.round ? 1u : 0u) << c.x << "," << c.y;
        EXPECT_EQ(r->arrived, c.arrives ? 1u : 0u) << c.x << "," << c.y;
        if (c.round) {
            EXPECT_EQ(r->saved_target_x, c.tx);
            EXPECT_GE(std::abs(r->target_y - c.y), 300) << "the waypoint is beside him";
        } else if (c.arrives) {
            EXPECT_EQ(r->target_x, r->x);
            EXPECT_EQ(r->target_y, r->y);
        } else {
            EXPECT_EQ(r->target_x, c.tx);
        }
    }
}

// A man who had arrived somewhere and is then sent for a ball lying still
// beyond a man standing in his way: left marked as arrived he ran into him
// tick after tick and was pushed back each time (a free kick's taker stood
// so for good).
TEST_F(WayTest, AManSentForTheBallGoesRoundAManInHisWay)
{
    for (TeamRecord& t : team_records)
        for (PlayerSlot& m : t.slots) place(&m, -20000, 10000 + 300 * m.number * (t.side == 1 ? 1 : -1));
    PlayerSlot* r = man(0, 3);
    place(r, 0, 0, 64);
    place(man(1, 4), 1000, 0);
    r->arrived = 1;
    r->action = 4;
    r->speed = 12;
    r->detour_active = 0;
    ball_state.flags = 1;        // free
    ball_state.flight_flags = 2; // at rest
    ball_state.x = 2000 * 65536;
    ball_state.y = ball_state.z = 0;
    ball_state.vx = ball_state.vy = ball_state.vz = 0;
    act_go_for_ball(r);
    EXPECT_EQ(r->arrived, 0u) << "on his way again";
    avoid_man_in_way(r);
    EXPECT_EQ(r->detour_active, 1u);
}

} // namespace
