// The set plays on small fixtures: what each handler posts, state by state.
#include "two_teams.h"

#include "match/ball.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/kick_out_positions.h"
#include "match/kick_outs.h"
#include "match/man_behaviours.h"
#include "match/match_setup.h"
#include "match/proposals.h"
#include "match/set_kicks.h"
#include "match/stoppages.h"
#include "platform/controllers.h"
#include "players/occupancy.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

class SetPlays : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_up_two_teams(22);
        list_active_men(18);
        std::memset(controllers, 0, sizeof controllers);
        match_globals.random_state_a = match_globals.random_state_b = 0x2468ace;
        match_globals.difficulty = 50;
        for (int t = 0; t < 2; ++t) {
            TeamRecord& team = team_records[t];
            for (int k = 0; k < 4; ++k) team.key_men[k] = static_cast<uint8_t>(k);
            for (int i = 0; i < TEAM_SLOTS; ++i) {
                PlayerSlot& m = team.slots[i];
                const FormationSpot& s = default_formation_spots[t].spot[i];
                m.x = clamp16(s.x);
                m.y = clamp16(s.y);
                m.arrive_radius = 128;
            }
        }
        reset_action_quotas();
    }
    PlayerSlot* man(int t, int n) { return &team_records[t].slots[n]; }
    static const ActionProposal* first_of(const PlayerSlot* m, uint16_t action)
    {
        for (int i = 0; i < m->proposal_count; ++i)
            if (m->proposals[i].action == action)
                return &m->proposals[i];
        return nullptr;
    }
    void clear_posts()
    {
        for (TeamRecord& t : team_records)
            for (PlayerSlot& m : t.slots) m.proposal_count = 0;
    }
};

TEST_F(SetPlays, CentreBounceSendsTheRuckBackTheCentreMenToMatchUpsAndTheRestHome)
{
    match_globals.match_state = 10;
    man(1, 1)->spot = man(0, 1); // the second team's centre man is matched
    man(0, 9)->busy_flag = 1;
    place_men_for_centre_bounce();
    // Rucks wait 2048 back toward their own goal.
    const ActionProposal* r0 = first_of(man(0, 0), ACT_MOVE_TO_POINT);
    const ActionProposal* r1 = first_of(man(1, 0), ACT_MOVE_TO_POINT);
    ASSERT_TRUE(r0 && r1);
    EXPECT_EQ(r0->x, 2048);
    EXPECT_EQ(r1->x, -2048);
    EXPECT_EQ(r0->priority, 255);
    // The first team's centre men take the default set-up (mirrored for side 1).
    const ActionProposal* c = first_of(man(0, 2), ACT_RUN_TO_SPOT);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->x, -setup_tables[3].spot[2].x);
    // The second team's matched man follows at his marking offset.
    const ActionProposal* f = first_of(man(1, 1), 52);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->target_man, man(0, 1));
    EXPECT_EQ(f->priority, 10000);
    EXPECT_EQ(f->x, man(0, 1)->x + marking_offsets[1][1][0]);
    // Everyone else runs home at priority 1; a man off the ground gets nothing.
    const ActionProposal* home = first_of(man(0, 7), ACT_RUN_TO_SPOT);
    ASSERT_TRUE(home);
    EXPECT_EQ(home->priority, 1);
    EXPECT_EQ(man(0, 9)->proposal_count, 0);
}

TEST_F(SetPlays, ThrowInChoiceByDistanceAndTheRingOneGate)
{
    struct Case {
        int16_t mark_x;
        int8_t choice;
    } cases[] = {{0, 0}, {8191, 0}, {8192, 1}, {-16384, 2}, {24575, 2}, {24576, 3}};
    for (const Case& c : cases) {
        match_globals.mark_x = c.mark_x;
        team_records[0].setup_chosen = 0;
        choose_setup_by_distance(&team_records[0]);
        EXPECT_EQ(team_records[0].setup_choice, c.choice) << c.mark_x;
    }
    // States 37/38: ring 1 stops at the first listed man 2560 or more away.
    match_globals.mark_x = 0;
    match_globals.mark_y = 16000;
    for (int i = 0; i < 18; ++i) {
        man(0, i)->x = static_cast<int16_t>(i * 100);
        man(0, i)->y = 16000;
    }
    man(0, 4)->x = 5000; // the second ring-1 man is far
    clear_posts();
    place_men_for_throw_in();
    PlayerSlot* const* list = match_globals.stoppage_men[0];
    for (int e = 0; e < 3; ++e) EXPECT_NE(first_of(list[e], ACT_RUN_TO_SPOT), nullptr) << e;
    EXPECT_NE(first_of(list[3], ACT_RUN_TO_SPOT), nullptr);
    const int far = list[4] == man(0, 4) ? 4 : -1;
    if (far == 4) {
        EXPECT_EQ(first_of(list[4], ACT_RUN_TO_SPOT), nullptr);
    }
}

TEST_F(SetPlays, OptionMenTakeTheOrderWithTheShortestLongestRunAndSkipExcludedPoints)
{
    TeamRecord& t = team_records[0];
    t.option_choice = 0; // (-3840, -6400), (3840, 6400)
    for (int i = 4; i < 18; ++i) man(0, i)->busy_flag = 1;
    man(0, 4)->busy_flag = 0;
    man(0, 5)->busy_flag = 0;
    man(0, 4)->x = 3000; // nearest to both points in list order, but
    man(0, 4)->y = 6000; // far better on the second
    man(0, 5)->x = 0;
    man(0, 5)->y = 0;
    PlayerSlot* out[3];
    assign_option_men(&t, out);
    ASSERT_NE(out[0], nullptr);
    ASSERT_NE(out[1], nullptr);
    EXPECT_EQ(man(0, 4)->target_x, 3840);
    EXPECT_EQ(man(0, 4)->target_y, 6400);
    // Runs once a bounce.
    man(0, 4)->target_x = 0;
    assign_option_men(&t, out);
    EXPECT_EQ(man(0, 4)->target_x, 0);
    // With every man excluded a point records nobody.
    match_globals.option_men_done[1] = 0;
    for (int i = 0; i < 18; ++i) man(1, i)->busy_flag = 1;
    team_records[1].option_choice = 5;
    assign_option_men(&team_records[1], out);
    EXPECT_EQ(out[0], nullptr);
}

TEST_F(SetPlays, AComputerTeamCopiesTheHumanOptionOnlyOnceChosen)
{
    match_globals.match_state = 52;
    team_records[1].human_count = 1;
    team_records[1].option_choice = 6;
    place_men_for_bounce_options();
    EXPECT_EQ(team_records[0].option_chosen, 0);
    team_records[1].option_chosen = 1;
    place_men_for_bounce_options();
    EXPECT_EQ(team_records[0].option_chosen, 1);
    EXPECT_EQ(team_records[0].option_choice, 6);
}

TEST_F(SetPlays, FiftyMetrePenaltyStopsAtTheGoalSquareOrOnlyFlagsThePeriodEnd)
{
    MatchGlobals& g = match_globals;
    g.awarded_side = 2;
    g.period_clock = 1000;
    g.mark_x = 12000;
    g.mark_y = 0;
    check_period_end();
    EXPECT_EQ(g.mark_x, 24434);
    EXPECT_EQ(g.mark_y, 0);
    g.mark_x = -5000;
    check_period_end();
    EXPECT_EQ(g.mark_x, 7800);
    g.period_clock = 0;
    g.stopped_time = 0;
    g.mark_x = 0;
    check_period_end();
    EXPECT_EQ(g.period_end_pending, 1);
    EXPECT_EQ(g.mark_x, 0);
}

TEST_F(SetPlays, LeadsSkipPointsOutsideTheGroundAndAQuotaOfNoneAndStandersLeadFromTheirSpot)
{
    MatchGlobals& g = match_globals;
    PlayerSlot* k = man(1, 0); // side 2
    k->x = 0;
    k->y = 0;
    g.cycle_counter = 0;
    // The first relative lead of set 0 is 6400 straight ahead.
    PlayerSlot* near = man(1, 6);
    near->x = 6400 + 100;
    near->y = 0;
    near->speed = 0;
    g.active_men[0] = k; // the man nearest the ball is never taken
    clear_posts();
    place_leads_for_set_kick(k, 0, 0, 2);
    const ActionProposal* lead = first_of(near, ACT_LEAD);
    ASSERT_NE(lead, nullptr);
    EXPECT_EQ(lead->x, near->x);
    EXPECT_EQ(lead->priority, 1400);
    // Quota 0: no lead at all.
    team_records[1].action_quotas[QUOTA_LEADS] = 0;
    clear_posts();
    place_leads_for_set_kick(k, 0, 0, 2);
    for (int i = 0; i < 18; ++i) EXPECT_EQ(first_of(man(1, i), ACT_LEAD), nullptr);
    // A kicker hard on the boundary: leads off the ground are not offered.
    team_records[1].action_quotas[QUOTA_LEADS] = 4;
    k->x = 0;
    k->y = 16000;
    clear_posts();
    place_leads_for_set_kick(k, 0, 16000, 2);
    for (int i = 0; i < 18; ++i)
        if (const ActionProposal* p = first_of(man(1, i), ACT_LEAD)) {
            EXPECT_TRUE(in_field(p->x, p->y));
        }
}

// Once play is on, the leads run to the points the set kick last offered;
// a kicker who offered none sends nobody.
TEST_F(SetPlays, PlayOnLeadsRunToTheSetKicksLastPoints)
{
    MatchGlobals& g = match_globals;
    PlayerSlot* k = man(1, 0); // side 2
    k->x = 0;
    k->y = 0;
    k->lead_point_count = 0;
    g.cycle_counter = 0;
    g.active_men[0] = k;
    clear_posts();
    place_leads_to_targets(k);
    for (int i = 0; i < 18; ++i) EXPECT_EQ(first_of(man(1, i), ACT_LEAD), nullptr);
    place_leads_for_set_kick(k, 0, 0, 2);
    ASSERT_GT(k->lead_point_count, 0);
    const int16_t px = k->lead_points[0][0], py = k->lead_points[0][1];
    EXPECT_EQ(px, 6400) << "the first relative lead of set 0";
    EXPECT_EQ(py, 0);
    // Another set of leads is due, but play on keeps the kept points.
    g.cycle_counter = 1;
    clear_posts();
    for (PlayerSlot*& u : g.used_set_kick) u = nullptr;
    place_leads_to_targets(k);
    bool found = false;
    for (int i = 1; i < 18; ++i)
        if (const ActionProposal* p = first_of(man(1, i), ACT_LEAD)) {
            found = found || (p->x == px && p->y == py);
            EXPECT_EQ(p->priority, 1400);
        }
    EXPECT_TRUE(found);
}

TEST_F(SetPlays, TheSpotPullTowardTheBallAndTheZoneLine)
{
    PlayerSlot* m = man(1, 3);
    ball_state.x = 0;
    ball_state.y = 0;
    int32_t x = -8000, y = 0;
    adjust_spot_toward_ball(m, &x, &y);
    EXPECT_EQ(x, -6016); // a quarter of the way, down to a multiple of 128
    m->line_byte = 4; // side 2: x at least zone line 1
    team_records[1].zone_lines[1] = -4000;
    match_globals.match_state = 1;
    x = -8000;
    y = 0;
    adjust_spot_toward_ball(m, &x, &y);
    EXPECT_EQ(x, -4000);
}

TEST_F(SetPlays, TheOffenderTurnsToTheUmpireBeforeHisAnimationOnce)
{
    PlayerSlot* m = man(0, 5);
    m->x = 0;
    m->y = 0;
    m->facing = 0;
    official_slots[0].x = 1000;
    official_slots[0].y = 0;
    offender_face_umpire(m);
    ASSERT_NE(first_of(m, ACT_STAND), nullptr);
    EXPECT_EQ(first_of(m, ACT_STAND)->priority, 5000);
    EXPECT_EQ(m->man_flags & MAN_BUSY, 0) << "no animation while he turns";
    m->facing = static_cast<uint8_t>(m->wanted_facing);
    m->turning = 0;
    offender_face_umpire(m);
    offender_face_umpire(m);
    EXPECT_EQ(m->job_step, 2);
    EXPECT_NE(m->man_flags & MAN_BUSY, 0);
    m->man_flags = 0;
    offender_face_umpire(m);
    EXPECT_EQ(m->man_flags & MAN_BUSY, 0) << "once per award";
}

// Kick-outs: side 1 defends +x and kicks out from there.
class KickOuts : public SetPlays {
protected:
    void SetUp() override
    {
        SetPlays::SetUp();
        MatchGlobals& g = match_globals;
        g.awarded_side = 1;
        g.controlled_man_a = man(0, 0);
        g.match_state = 58;
        g.ball_returned = 1;
    }
    void kicker_ready()
    {
        PlayerSlot* k = man(0, 0);
        k->x = 23794;
        k->y = 0;
        k->arrived = 1;
        match_globals.ball_holder = k;
    }
};

TEST_F(KickOuts, AComputerTeamDrawsOnlyOnceItsKickerStandsReady)
{
    TeamRecord& kicking = team_records[0];
    place_men_for_kick_out();
    EXPECT_EQ(kicking.setup_chosen, 0);
    kicker_ready();
    for (int n = 0; n < 40; ++n) {
        kicker_ready();
        kicking.setup_chosen = 0;
        place_men_for_kick_out();
        ASSERT_EQ(kicking.setup_chosen, 1);
        EXPECT_GE(kicking.setup_choice, 0);
        EXPECT_LE(kicking.setup_choice, 6) << "a drawn 7 becomes plan 0";
    }
    // The defenders wait on the kicking team's choice, then draw theirs.
    EXPECT_EQ(team_records[1].setup_chosen, 1);
}

TEST_F(KickOuts, TheManOnTheMarkRunsBackFromOutsideHisRadius)
{
    PlayerSlot* mark = man(1, 4);
    match_globals.controlled_man_b = mark;
    match_globals.mark_x = 20000;
    match_globals.mark_y = 0;
    mark->x = 18000;
    mark->arrived = 1;
    place_men_for_kick_out();
    const ActionProposal* p = first_of(mark, ACT_MOVE_TO_POINT);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->priority, 5000);
    EXPECT_EQ(mark->arrived, 0u);
}

TEST_F(KickOuts, EachPlanFormsAndItsKickedStateLeadsTheReceivers)
{
    MatchGlobals& g = match_globals;
    kicker_ready();
    struct Case {
        int plan;
        uint8_t forming, kicked;
        uint16_t lead_action;
    } cases[] = {{0, 71, 72, 0}, {1, 59, 60, 87}, {2, 61, 62, 0}, {3, 63, 64, 0},
                 {4, 65, 66, 87}, {5, 67, 68, 87}, {6, 69, 70, 87}};
    for (const Case& c : cases) {
        TeamRecord& kicking = team_records[0];
        kicking.setup_choice = static_cast<int8_t>(c.plan);
        kicking.option_chosen = 0;
        choose_kickout_positions(&kicking, c.plan);
        int32_t n = 0;
        static FormationSpots table;
        const FormationSpot* spots = kickout_spot_list(1, c.plan, &n);
        for (int i = 0; i < TEAM_SLOTS; ++i) table.spot[i] = {0, 0};
        for (int i = 0; i < GROUND_MEN; ++i)
            if (man(0, i)->stoppage_man)
                table.spot[i] = spots[man(0, i)->spot_index];
        kicking.formation_spots = &table;
        ASSERT_EQ(kick_out_plan_of_state(c.forming), c.plan);
        // Forming: the option is drawn once the draw mark has passed.
        g.match_state = c.forming;
        g.kick_out_human = 0;
        g.period_clock = 100;
        g.kick_out_kick_time = 200;
        clear_posts();
        kick_out_handlers[c.forming - 59]();
        EXPECT_EQ(kicking.option_chosen, 1) << c.plan;
        // A plan's man runs to his spot.
        for (int i = 1; i < GROUND_MEN; ++i)
            if (man(0, i)->stoppage_man) {
                const ActionProposal* p = first_of(man(0, i), ACT_RUN_TO_SPOT);
                ASSERT_NE(p, nullptr) << c.plan << " man " << i;
                EXPECT_EQ(p->x, clamp16(-table.spot[i].x)) << "written for side 2, mirrored";
                break;
            }
        // Kicked: past the lead time the receivers lead to their spots.
        g.match_state = c.kicked;
        g.period_clock = 100;
        g.kick_out_kick_time = 300;
        clear_posts();
        kick_out_handlers[c.kicked - 59]();
        if (c.lead_action) {
            PlayerSlot* receiver = kick_out_role_man(&kicking, c.plan, c.plan == 4 ? 1 : 0);
            ASSERT_NE(receiver, nullptr) << c.plan;
            EXPECT_NE(first_of(receiver, c.lead_action), nullptr) << c.plan;
        }
    }
}

TEST_F(KickOuts, StateSeventyThreeDrawsNoOption)
{
    MatchGlobals& g = match_globals;
    kicker_ready();
    g.match_state = 73;
    g.period_clock = 100;
    g.kick_out_kick_time = 200;
    team_records[0].option_chosen = 0;
    team_records[0].formation_spots = &default_formation_spots[0];
    kick_out_handlers[73 - 59]();
    EXPECT_EQ(team_records[0].option_chosen, 0);
}

// The ball carrier's lists and geometry.
TEST_F(SetPlays, KickListFrom4096AndGoalRangeAngleOnlyWideOfTheGoal)
{
    MatchGlobals& g = match_globals;
    PlayerSlot* h = man(1, 0);
    h->x = 0;
    h->y = 0;
    g.ball_holder = h;
    for (int i = 1; i < 18; ++i) man(1, i)->x = -30000; // out of every list
    man(1, 1)->x = 4095;
    man(1, 1)->y = 0;
    man(1, 2)->x = 0;
    man(1, 2)->y = 4096;
    collect_pass_candidates();
    bool has1 = false, has2 = false;
    for (const auto& e : g.kick_list) {
        has1 |= e.man == man(1, 1);
        has2 |= e.man == man(1, 2);
    }
    EXPECT_FALSE(has1);
    EXPECT_TRUE(has2);
    // Goal range: near the goal line, straight in front or at a wide angle.
    EXPECT_TRUE(in_goal_range(h, 4000, 22000, 1792));
    EXPECT_FALSE(in_goal_range(h, 3000, 24000, 2000)); // wide and flat: angle too far off 64
    EXPECT_FALSE(in_goal_range(h, 1000, 22000, 0));    // out of range
}

TEST_F(SetPlays, ShotAndPassErrorsStayInTheirBounds)
{
    PlayerSlot* h = man(1, 0);
    for (int n = 0; n < 200; ++n) {
        h->x = static_cast<int16_t>(10000 + n * 50);
        h->y = static_cast<int16_t>((n % 7) * 1000);
        EXPECT_LE(std::abs(attribute_random_check(h, 64, 0, 1) - 64), 7);
        EXPECT_LE(std::abs(attribute_random_check(h, 64, 0, 0) - 64), 33);
    }
    // Right in front of goal the shot error is nil.
    h->x = 24500;
    h->y = 0;
    h->person = nullptr;
    team_records[1].human_count = 1;
    match_globals.difficulty = 0;
    EXPECT_EQ(attribute_random_check(h, 64, 0, 1), 64);
}

} // namespace

namespace {

TEST_F(SetPlays, WideMenSpreadByTheirIndexWhichEveryTickResets)
{
    MatchGlobals& g = match_globals;
    TeamRecord& t = team_records[1]; // side 2
    t.ruck_contest_count = 3;
    g.ball_holder = man(0, 0);
    man(0, 0)->x = 0;
    man(0, 0)->y = 0;
    PlayerSlot* a = man(1, 10);
    PlayerSlot* b = man(1, 11);
    spread_wide_man(a);
    spread_wide_man(b);
    ASSERT_EQ(a->proposal_count, 1);
    EXPECT_EQ(a->proposals[0].x, -12800);
    EXPECT_EQ(a->proposals[0].y, 0);
    EXPECT_EQ(b->proposals[0].y, 2048); // 6144 / 3 further across
    EXPECT_EQ(a->proposals[0].priority, 50);
    reset_action_quotas();
    EXPECT_EQ(t.wide_man_index, 0);
}

} // namespace
