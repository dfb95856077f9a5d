#include "match/two_teams.h"

#include "match/ball.h"
#include "players/contest_groups.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class ContestGroupsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_up_two_teams(22);
        std::memset(controllers, 0, sizeof controllers);
        reset_contest_groups();
        match_globals.match_state = 1;
        // Active list by nearness to the ball: first team 0..5, then second 0..5.
        int n = 0;
        for (int i = 0; i < 6; ++i) {
            for (int t = 0; t < 2; ++t) {
                PlayerSlot* m = man(t, i);
                m->ball_distance = static_cast<uint16_t>(100 * (n + 1));
                m->top_speed = 30;
                match_globals.active_men[n++] = m;
            }
        }
        match_globals.active_men_count = static_cast<int8_t>(n);
        team_records[0].selection_extra = 3;
        team_records[1].selection_extra = 3;
    }
    PlayerSlot* man(int team, int n) { return &team_records[team].slots[n]; }
    ContestGroup& group(int g) { return contest_group_record(g); }
    void put(int g, PlayerSlot* a, PlayerSlot* b = nullptr)
    {
        gathering[0] = a;
        gathering[1] = b;
        gathering[2] = nullptr;
        assign_gathered(&group(g));
    }
};

TEST_F(ContestGroupsTest, JoinGathersTeamMatesInCandidateOrderFirstCandidateFirst)
{
    put(0, man(0, 0));
    // Man 5 first: then the nearest free mates, himself never.
    contest_join(man(0, 0), man(0, 5), 3, 0);
    EXPECT_EQ(group(0).men[0], man(0, 5));
    EXPECT_EQ(group(0).men[1], man(0, 1));
    EXPECT_EQ(group(0).men[2], man(0, 2));
    EXPECT_EQ(man(0, 3)->contest_group, nullptr);
    EXPECT_EQ(man(0, 0)->contest_group, nullptr);
    EXPECT_EQ(man(0, 0)->man_flags & MAN_IN_CONTEST, 0);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(group(0).men[k]->contest_group, &group(0));
        EXPECT_NE(group(0).men[k]->man_flags & MAN_IN_CONTEST, 0);
    }
}

TEST_F(ContestGroupsTest, FewerEligibleMenGiveASmallerGroupWithTheFirstCandidateFirst)
{
    for (int i = 1; i < 6; ++i) man(0, i)->excluded = 1;
    man(0, 4)->excluded = 0;
    put(0, man(0, 0));
    contest_join(man(0, 0), man(0, 5), 3, 0);
    EXPECT_EQ(group(0).men[0], man(0, 5));
    EXPECT_EQ(group(0).men[1], man(0, 4));
    EXPECT_EQ(group(0).men[2], nullptr);
}

TEST_F(ContestGroupsTest, AFirstCandidateInAnotherGroupChangesNothing)
{
    put(0, man(0, 0), man(0, 1));
    put(1, man(0, 2));
    contest_join(man(0, 0), man(0, 2), 3, 0);
    EXPECT_EQ(group(0).men[0], man(0, 0));
    EXPECT_EQ(group(0).men[1], man(0, 1));
    EXPECT_EQ(group(1).men[0], man(0, 2));
}

TEST_F(ContestGroupsTest, TheRuckKeepsHisGroupInTheBounceStates)
{
    team_records[0].key_men[0] = 0;
    put(0, man(0, 0));
    for (uint8_t state : {10, 11, 12, 13, 53, 54, 57}) {
        match_globals.match_state = state;
        EXPECT_EQ(contest_regroup_allowed(man(0, 0), 1), 0) << int(state);
        EXPECT_EQ(contest_regroup_allowed(man(0, 0), 0), 1);
        EXPECT_EQ(contest_regroup_allowed(man(0, 1), 1), 1);
        resolve_contest(man(0, 0));
        EXPECT_EQ(group(0).men[0], man(0, 0)) << int(state);
    }
    // Set kicks: the kicker keeps his group, the man on the mark may regroup.
    match_globals.match_state = 42;
    match_globals.controlled_man_a = man(0, 0);
    match_globals.controlled_man_b = man(1, 0);
    EXPECT_EQ(contest_regroup_allowed(man(0, 0), 1), 0);
    EXPECT_EQ(contest_regroup_allowed(man(1, 0), 1), 1);
}

TEST_F(ContestGroupsTest, ResolveRegroupsRoundTheLeaderOnlyOutsideAFight)
{
    put(0, man(0, 2), man(0, 4));
    // Man 4 is not the leader (man 2 is nearer the ball).
    resolve_contest(man(0, 4));
    EXPECT_EQ(group(0).men[0], man(0, 2));
    match_globals.match_state = 3;
    resolve_contest(man(0, 2));
    EXPECT_EQ(group(0).men[1], man(0, 4));
    match_globals.match_state = 1;
    resolve_contest(man(0, 2));
    // The leader hands over to the nearest free mates.
    EXPECT_EQ(group(0).men[0], man(0, 0));
    EXPECT_EQ(group(0).men[1], man(0, 1));
    EXPECT_EQ(group(0).men[2], man(0, 3));
    EXPECT_EQ(man(0, 2)->contest_group, nullptr);
}

TEST_F(ContestGroupsTest, LeaderByLandingDistanceWhileTheBallMoves)
{
    put(0, man(0, 0), man(0, 1));
    man(0, 0)->landing_distance = 900;
    man(0, 1)->landing_distance = 200;
    EXPECT_TRUE(is_group_leader(man(0, 0)));
    ball_state.flight_flags = FLIGHT_MOVING;
    EXPECT_TRUE(is_group_leader(man(0, 1)));
    // Equal distances: the lower slot leads.
    man(0, 0)->landing_distance = 200;
    EXPECT_TRUE(is_group_leader(man(0, 0)));
    EXPECT_FALSE(is_group_leader(man(0, 1)));
}

TEST_F(ContestGroupsTest, RestartKeepsTheMansFlagsAndClearEmptiesTheGroup)
{
    put(0, man(0, 0), man(0, 1));
    man(0, 0)->man_flags = 0x0400;
    contest_restart_with(man(0, 0));
    EXPECT_EQ(group(0).men[0], man(0, 0));
    EXPECT_EQ(group(0).men[1], nullptr);
    EXPECT_EQ(man(0, 0)->man_flags, 0x0400);
    EXPECT_EQ(man(0, 1)->contest_group, nullptr);
    contest_clear(&group(0));
    EXPECT_EQ(group(0).men[0], nullptr);
    EXPECT_EQ(man(0, 0)->contest_group, nullptr);
}

TEST_F(ContestGroupsTest, PursuitTimeCases)
{
    // Equal speeds: the closed form, integer division.
    EXPECT_EQ(pursuit_time(-100, 0, 3, 3), 50);
    EXPECT_EQ(pursuit_time(0, 100, 3, 3), -1);
    // A slower chaser straight behind never catches up.
    EXPECT_LT(pursuit_time(100, 0, 4, 2), 0);
    // A faster chaser: the smaller positive root.
    const double t = pursuit_time(0, 300, 2, 4);
    EXPECT_GT(t, 0);
    // A runner whose speed rounds to 0 still divides safely.
    EXPECT_GE(pursuit_time(10, 10, 0, 4), -1);
}

TEST_F(ContestGroupsTest, ChaserNeedsARunnerWithVelocity)
{
    PlayerSlot* runner = man(0, 0);
    PlayerSlot* chaser = man(1, 0);
    runner->side = 1;
    runner->facing = 192; // toward -x
    chaser->x = -600;
    match_globals.men_by_x[0] = chaser;
    match_globals.men_by_x[1] = runner;
    match_globals.active_men_count = 2;
    EXPECT_EQ(find_chaser(runner), nullptr);
    runner->speed = 20;
    runner->velocity_x = -20;
    chaser->top_speed = 40;
    runner->top_speed = 24;
    EXPECT_EQ(find_chaser(runner), chaser);
    EXPECT_GT(chase_time[0], 0);
    // A marked man is skipped.
    chaser->man_flags2 |= 0x04;
    EXPECT_EQ(find_chaser(runner), nullptr);
    EXPECT_EQ(chase_time[0], 2147483647);
}

} // namespace
