#include "league/league_data.h"
#include "match/ball.h"
#include "match/game_maths.h"
#include "match/match_hooks.h"
#include "match/proposals.h"
#include "match/formation.h"
#include "match/kick_outs.h"
#include "match/match_records.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/occupancy.h"
#include "two_teams.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

class Proposals : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_up_two_teams(22);
        list_active_men(18);
        clear_match_hooks();
        match_globals.match_state = 5; // no director posts, no open-play default
        match_globals.difficulty = 0;
        place_ball(0, 0);
        ball_state.flags = BALL_FREE;
        reset_action_quotas();
        for (TeamRecord& t : team_records)
            for (PlayerSlot& m : t.slots)
                m.proposal_count = 0;
    }
    static PlayerSlot& man(int team, int n) { return team_records[team].slots[n]; }
};

TEST_F(Proposals, ListHoldsTwelveAndDropsTheRest)
{
    PlayerSlot& m = man(0, 1);
    for (int i = 0; i < 13; ++i)
        post_man_message(&m, static_cast<uint16_t>(20 + i), nullptr, 0, static_cast<int16_t>(i), 0,
                         static_cast<uint16_t>(i + 1));
    EXPECT_EQ(m.proposal_count, 12);
    EXPECT_EQ(m.proposals[11].action, 31);
    take_best_proposals();
    EXPECT_EQ(m.action, 31); // the 13th (priority 13) was dropped
}

TEST_F(Proposals, BestPriorityWinsAndTheFirstPostedWinsTies)
{
    struct Case {
        const char* name;
        std::vector<std::pair<uint16_t, uint16_t>> posts; // action, priority
        uint16_t taken;
    };
    const Case cases[] = {
        {"highest", {{20, 5}, {10, 900}, {6, 255}}, 10},
        {"tie keeps the first", {{20, 255}, {10, 255}}, 20},
        {"negative never wins", {{20, 0x8000}, {10, 3}}, 10},
        {"a larger unsigned value is negative", {{20, 40000}, {6, 1}}, 6},
    };
    for (const Case& c : cases) {
        PlayerSlot& m = man(0, 2);
        m.proposal_count = 0;
        for (auto [a, p] : c.posts)
            post_man_message(&m, a, nullptr, 0, 0, 0, p);
        take_best_proposals();
        EXPECT_EQ(m.action, c.taken) << c.name;
        for (TeamRecord& t : team_records)
            for (PlayerSlot& x : t.slots)
                x.proposal_count = 0;
    }
}

TEST_F(Proposals, OnlyWorthlessProposalsTakeEntryZeroAfterTheDefault)
{
    PlayerSlot& m = man(0, 3);
    post_man_message(&m, 46, nullptr, 0, 0, 0, 0);
    post_man_message(&m, 20, nullptr, 0, 0, 0, 0xFFFF);
    ball_state.flags |= 0x0004; // a wide mark: the default is to stand
    take_best_proposals();
    EXPECT_EQ(m.proposal_count, 3);
    EXPECT_EQ(m.proposals[2].action, ACT_STAND);
    EXPECT_EQ(m.action, 46);
    // An empty list takes the default itself.
    PlayerSlot& e = man(1, 3);
    EXPECT_EQ(e.proposal_count, 1);
    EXPECT_EQ(e.action, ACT_STAND);
    EXPECT_EQ(e.action_priority, 1);
}

TEST_F(Proposals, QuotaGoesToTheManNearerTheBall)
{
    // The second team is human: one man may go for the ball.
    team_records[1].human_count = 1;
    reset_action_quotas();
    PlayerSlot& near = man(1, 0);
    PlayerSlot& far = man(1, 1);
    match_globals.active_men[0] = &near;
    match_globals.active_men[1] = &far;
    match_globals.active_men_count = 2;
    for (PlayerSlot* m : {&near, &far}) {
        post_man_message(m, ACT_GO_FOR_BALL, nullptr, 0, 0, 0, 500);
        post_man_message(m, ACT_MOVE_TO_POINT, nullptr, 0, 7, 7, 300);
    }
    take_best_proposals();
    EXPECT_EQ(near.action, ACT_GO_FOR_BALL);
    EXPECT_EQ(far.action, ACT_MOVE_TO_POINT);
    EXPECT_EQ(team_records[1].action_quotas[2], 0);
}

TEST_F(Proposals, LeadsAndBumpsAreBlockedWithoutAShepherd)
{
    PlayerSlot& m = man(0, 4);
    post_man_message(&m, 46, &man(1, 4), 0, 0, 0, 900);
    post_man_message(&m, ACT_RUN_TO_SPOT, nullptr, 0, 0, 0, 2);
    take_best_proposals();
    EXPECT_EQ(m.action, ACT_RUN_TO_SPOT);
}

TEST_F(Proposals, BusyMenTakeNothing)
{
    PlayerSlot& m = man(0, 5);
    m.action = 23;
    post_man_message(&m, ACT_MOVE_TO_POINT, nullptr, 0, 0, 0, 900);
    take_best_proposals();
    EXPECT_EQ(m.action, 23);
}

TEST_F(Proposals, LooseBallGoesToTheNearestOfEachSideFirst)
{
    int32_t first1 = 0, first2 = 0;
    const struct {
        int team;
        uint16_t distance;
        uint16_t priority;
    } cases[] = {{0, 100, 1001}, {1, 200, 1001}, {0, 640, 254 - 10}, {1, 6400, 254 - 100}, {1, 64000, 0xFFFF}};
    int n = 0;
    for (const auto& c : cases) {
        PlayerSlot& m = man(c.team, 10 + n++);
        m.ball_distance = c.distance;
        propose_go_for_ball(&m, &first1, &first2);
        if (c.priority == 0xFFFF) {
            EXPECT_EQ(m.proposal_count, 0);
            continue;
        }
        ASSERT_EQ(m.proposal_count, 1);
        EXPECT_EQ(m.proposals[0].priority, c.priority);
    }
    // Nothing while a kicked ball has not bounced.
    ball_state.flight_flags = FLIGHT_KICKED | FLIGHT_MOVING;
    PlayerSlot& late = man(0, 16);
    propose_go_for_ball(&late, &first1, &first2);
    EXPECT_EQ(late.proposal_count, 0);
}

TEST_F(Proposals, ChaseLeadSurvivesAZeroSpeedWord)
{
    PlayerSlot& chaser = man(0, 6);
    PlayerSlot& runner = man(1, 6);
    take_club(team_records[0], 2);
    set_player_i16(chaser.person, PLAYER_SPEED, 0);
    chaser.x = 0;
    runner.x = 2000;
    runner.velocity_x = 10;
    const int32_t d = propose_chase_man(&chaser, &runner);
    ASSERT_EQ(chaser.proposal_count, 1);
    EXPECT_EQ(chaser.proposals[0].action, ACT_CHASE_MAN);
    EXPECT_EQ(chaser.proposals[0].target_man, &runner);
    EXPECT_GT(chaser.proposals[0].x, 2000);
    EXPECT_EQ(d, chaser.proposals[0].x);
    set_player_i16(chaser.person, PLAYER_SPEED, 32);
}

TEST_F(Proposals, TackleNeedsTheManFacingACloseHolder)
{
    PlayerSlot& holder = man(1, 7);
    PlayerSlot& tackler = man(0, 7);
    holder.x = 300;
    tackler.x = 0;
    match_globals.ball_holder = &holder;
    struct Case {
        uint8_t facing;
        uint16_t distance;
        int posted;
    };
    for (const Case c : {Case{64, 300, 1}, Case{64 + 40, 300, 1}, Case{64 + 41, 300, 0}, Case{64, 385, 0}}) {
        tackler.proposal_count = 0;
        tackler.facing = c.facing;
        tackler.ball_distance = c.distance;
        propose_tackle_carrier(&tackler);
        ASSERT_EQ(tackler.proposal_count, c.posted) << int(c.facing) << " " << c.distance;
        if (c.posted) {
            EXPECT_EQ(tackler.proposals[0].priority, 254 - 300 * 254 / 385);
        }
    }
}

TEST_F(Proposals, UpkeepSortsTheMenNearestFirst)
{
    for (int i = 0; i < match_globals.active_men_count; ++i) {
        PlayerSlot* m = match_globals.active_men[i];
        m->x = static_cast<int16_t>(30000 - 1000 * i);
        m->y = 0;
    }
    ball_state.x = 30000 << 16;
    ball_state.flight_flags = FLIGHT_MOVING;
    ball_state.landing_x = -6000;
    ball_state.landing_y = 0;
    team_tick_upkeep();
    const MatchGlobals& g = match_globals;
    EXPECT_EQ(g.active_men[0]->x, 30000);
    EXPECT_EQ(g.landing_men[0]->x, -5000); // the farthest from the ball
    for (int i = 1; i < g.active_men_count; ++i) {
        EXPECT_LE(g.active_distance[i - 1], g.active_distance[i]);
        EXPECT_LE(g.men_x_key[i - 1], g.men_x_key[i]);
        EXPECT_LE(g.landing_distance[i - 1], g.landing_distance[i]);
    }
    // Distances past 32767 still sort last.
    EXPECT_GT(g.active_distance[g.active_men_count - 1], 32767);
}

TEST_F(Proposals, ThinkingTicksRunTheWholeChoice)
{
    match_globals.match_state = 15; // full time: everyone walks to the gathering point
    match_globals.gather_x = 1234;
    match_globals.gather_y = -20000;
    man(0, 0).proposal_count = 5;
    men_think_prep();
    for (int i = 0; i < match_globals.active_men_count; ++i) {
        const PlayerSlot* m = match_globals.active_men[i];
        EXPECT_EQ(m->action, ACT_MOVE_TO_POINT);
        EXPECT_EQ(m->target_x, 1234);
        EXPECT_EQ(m->effort, 35);
    }
}

TEST_F(Proposals, OpenPlayDefaultByRole)
{
    match_globals.match_state = 1;
    PlayerSlot& wide = man(0, 8);
    wide.position_role = 12;
    propose_open_play_default(&wide);
    EXPECT_EQ(wide.proposals[0].action, ACT_GO_FOR_BALL);
    EXPECT_EQ(wide.proposals[0].priority, 255);
    PlayerSlot& holder = man(1, 8);
    holder.x = 5000;
    holder.y = 700;
    match_globals.ball_holder = &holder;
    wide.proposal_count = 0;
    propose_open_play_default(&wide); // side 1 waits on the holder's goal side
    EXPECT_EQ(wide.proposals[0].action, ACT_MOVE_TO_POINT);
    EXPECT_EQ(wide.proposals[0].x, 6024);
    PlayerSlot& other = man(0, 9);
    propose_open_play_default(&other);
    EXPECT_EQ(other.proposals[0].action, ACT_RUN_TO_SPOT);
    // His spot pulled a quarter of the way toward the ball, to a multiple of 128.
    EXPECT_EQ(other.proposals[0].x, (default_formation_spots[0].spot[9].x * 3 / 4) & ~127);
    ContestGroup* const group = &controllers[0];
    group->men[0] = &other;
    other.contest_group = group;
    other.proposal_count = 0;
    propose_open_play_default(&other);
    EXPECT_EQ(other.proposal_count, 0);
    other.contest_group = nullptr;
    group->men[0] = nullptr;
}

TEST_F(Proposals, HelpersOfTheFamily)
{
    GridPoint p{-30000, 20000, 0, 0};
    set_grid_cell(&p);
    EXPECT_EQ(p.cell_x, 0);
    EXPECT_EQ(p.cell_y, 63);
    PlayerSlot& a = man(1, 0); // side 2
    PlayerSlot& b = man(0, 0);
    a.x = 1000;
    b.x = 872;
    EXPECT_TRUE(man_ahead_of(&a, &b));
    b.x = 873;
    EXPECT_FALSE(man_ahead_of(&a, &b));
    b.man_flags = 0x0080;
    b.x = 0;
    EXPECT_FALSE(man_ahead_of(&a, &b));
    for (int i = 0; i < 22; ++i)
        team_records[0].slots[i].x = static_cast<int16_t>(i * 100);
    EXPECT_EQ(count_opponents_near(&a, 0, 0, 350), 4);
}

} // namespace

namespace {

TEST_F(Proposals, RunIntoSpaceCountsTheOpponentsAhead)
{
    PlayerSlot& holder = man(1, 0); // side 2, running toward +x
    holder.x = 5000;
    holder.y = 0;
    match_globals.ball_holder = &holder;
    match_globals.pickup_x = 5000;
    list_active_men(18);
    update_occupancy_grids();
    const int8_t* straight = run_patterns[1][0];
    propose_run_into_space(&holder, 64, straight, straight);
    ASSERT_EQ(holder.proposal_count, 1);
    EXPECT_EQ(holder.proposals[0].action, ACT_RUN_INTO_SPACE);
    EXPECT_EQ(holder.proposals[0].argument, 64);
    EXPECT_EQ(holder.proposals[0].priority, 246);
    // One opponent a cell ahead (weight 8) costs 32.
    PlayerSlot& blocker = man(0, 0);
    blocker.x = 5000 + 512;
    blocker.y = 0;
    update_occupancy_grids();
    holder.proposal_count = 0;
    propose_run_into_space(&holder, 64, straight, straight);
    EXPECT_EQ(holder.proposals[0].priority, 246 - 8 * 4);
    // Against a human team the computer runs more.
    team_records[0].human_count = 1;
    match_globals.difficulty = 40;
    holder.proposal_count = 0;
    propose_run_into_space(&holder, 64, straight, straight);
    EXPECT_EQ(holder.proposals[0].priority, 246 - 32 + 60);
    // Never off the ground.
    holder.x = 24000;
    holder.proposal_count = 0;
    propose_run_into_space(&holder, 64, straight, straight);
    EXPECT_EQ(holder.proposal_count, 0);
}

TEST_F(Proposals, ShotOnlyInRangeAndHalvedFromAfar)
{
    PlayerSlot& m = man(1, 5); // side 2 shoots at +x
    take_club(team_records[1], 4);
    const int32_t kicking = player_i16(m.person, PLAYER_KICKING);
    const int32_t range = 7680 + kicking * 5120 / 255;
    m.x = static_cast<int16_t>(24562 - range + 100);
    m.y = 0;
    carrier_consider_shot(&m);
    ASSERT_EQ(m.proposal_count, 1);
    const ActionProposal& p = m.proposals[0];
    EXPECT_EQ(p.action, ACT_SHOOT);
    EXPECT_EQ(p.argument, 32);
    const int32_t base = (player_i16(m.person, PLAYER_STRENGTH) >> 1) + (kicking + 1125) * 2;
    const int32_t halved = std::abs(m.x) < 18930;
    EXPECT_GE(p.priority, halved ? base / 2 : base);
    EXPECT_LE(p.priority, halved ? (base + 15) / 2 : base + 15);
    // At the goal, give or take the kicker's aim error of at most 7.
    EXPECT_LE(p.x, clamp16(m.x + range));
    EXPECT_GE(p.x, m.x + range * 97 / 100);
    EXPECT_LE(std::abs(p.y), range * 18 / 100);
    m.proposal_count = 0;
    m.x = static_cast<int16_t>(24562 - range - 100);
    carrier_consider_shot(&m);
    EXPECT_EQ(m.proposal_count, 0);
    m.x = 20000;
    match_globals.shot_cooldown = 5;
    carrier_consider_shot(&m);
    EXPECT_EQ(m.proposal_count, 0);
}

} // namespace
