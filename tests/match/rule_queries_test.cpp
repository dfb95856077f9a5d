#include "match/rule_queries.h"

#include "league/league_data.h"
#include "match/formation.h"
#include "match/two_teams.h"

#include <gtest/gtest.h>

namespace {

TEST(ScoreMarginCheck, ThresholdsByQuarterLength)
{
    struct Case {
        uint32_t minutes;
        int32_t threshold;
    } cases[] = {{2, 8}, {4, 8}, {6, 9}, {8, 12}, {10, 15}, {15, 23}, {20, 30}, {5, 8}, {12, 15}, {1, 8}, {60, 30}};
    for (const Case& c : cases)
        EXPECT_EQ(score_margin_threshold(c.minutes), c.threshold) << c.minutes;
}

class ScoreMargin : public ::testing::Test {
protected:
    TeamRecord& home = team_records[0];
    TeamRecord& away = team_records[1];
    void SetUp() override
    {
        set_up_two_teams(22);
        match_globals.quarter_minutes = 10; // threshold 15
    }
};

TEST_F(ScoreMargin, WithBothOrNeitherHumanItIsThePlainScore)
{
    struct Case {
        uint8_t home_humans, away_humans;
        int16_t home_points, away_points;
        int8_t result;
    } cases[] = {
        {0, 0, 30, 15, 1}, {0, 0, 15, 30, 1}, {0, 0, 30, 16, 0}, {1, 1, 40, 20, 1}, {2, 1, 20, 21, 0},
    };
    for (const Case& c : cases) {
        home.human_count = c.home_humans;
        away.human_count = c.away_humans;
        home.points = c.home_points;
        away.points = c.away_points;
        EXPECT_EQ(score_margin_check(0), c.result) << c.home_points << "-" << c.away_points;
    }
}

TEST_F(ScoreMargin, WithOneHumanSideItSpeaksForThatSide)
{
    struct Case {
        bool human_home;
        int16_t home_points, away_points;
        int8_t result;
    } cases[] = {
        {true, 30, 15, 1},  {true, 15, 30, -1}, {true, 20, 10, 0}, {true, 12, 12, 0},
        {false, 30, 15, -1}, {false, 15, 30, 1}, {false, 10, 20, 0},
    };
    for (const Case& c : cases) {
        home.human_count = c.human_home ? 1 : 0;
        away.human_count = c.human_home ? 0 : 1;
        home.points = c.home_points;
        away.points = c.away_points;
        EXPECT_EQ(score_margin_check(0), c.result)
            << (c.human_home ? "home " : "away ") << c.home_points << "-" << c.away_points;
    }
}

TEST_F(ScoreMargin, TheKickersGoalCountsBeforeItIsAdded)
{
    home.points = 20;
    away.points = 11; // 9 ahead: not decided
    match_globals.last_kicker = &home.slots[0];
    home.human_count = 1;
    EXPECT_EQ(score_margin_check(0), 0);
    EXPECT_EQ(score_margin_check(1), 1) << "15 ahead with the goal";
    // With both sides computer-run the plain score is read.
    home.human_count = 0;
    EXPECT_EQ(score_margin_check(1), 0);
    // No kicker: the plain score.
    home.human_count = 1;
    match_globals.last_kicker = nullptr;
    EXPECT_EQ(score_margin_check(1), 0);
}

// A hand-made squad whose kick range and height are set per man.
class BestMan : public ::testing::Test {
protected:
    league_player people[TEAM_SLOTS]{};
    TeamRecord& team = team_records[0];
    void SetUp() override
    {
        set_up_two_teams(22);
        for (int i = 0; i < TEAM_SLOTS; ++i) {
            set_player_i16(&people[i], PLAYER_KICKING, static_cast<int16_t>(100 + i));
            set_player_i32(&people[i], PLAYER_HEIGHT, 450);
            team.slots[i].person = &people[i];
        }
    }
};

TEST_F(BestMan, TheHighestFreeManOfTheEighteenIsChosen)
{
    EXPECT_EQ(best_man_by_kick_range(&team), &team.slots[17]) << "bench men are never chosen";
    set_player_i32(&people[15], PLAYER_HEIGHT, 530);
    set_player_i32(&people[16], PLAYER_HEIGHT, 530);
    EXPECT_EQ(best_man_by_ruck_value(&team), &team.slots[15]) << "a tie keeps the earlier man";
}

TEST_F(BestMan, ABusyOrOutOfPlayManIsNeitherChosenNorInTheWay)
{
    // The first slot busy with the best kick on the team.
    set_player_i16(&people[0], PLAYER_KICKING, 240);
    team.slots[0].busy_flag = 1;
    team.slots[17].man_flags = MAN_OUT_OF_PLAY;
    EXPECT_EQ(best_man_by_kick_range(&team), &team.slots[16]);

    // The man selected to go off cannot win back his role.
    match_globals.selected_man = &team.slots[16];
    EXPECT_EQ(best_man_by_kick_range(&team), &team.slots[15]);
    match_globals.selected_man = nullptr;

    // Every man busy: slot 0.
    for (int i = 0; i < GROUND_MEN; ++i)
        team.slots[i].busy_flag = 1;
    EXPECT_EQ(best_man_by_kick_range(&team), &team.slots[0]);
    team.slots[4].busy_flag = 0;
    EXPECT_EQ(best_man_by_kick_range(&team), &team.slots[4]);
}

TEST(FindManByNumber, FindsTheSlotCarryingALineUpIndex)
{
    set_up_two_teams(22);
    team_records[1].slots[7].line_up_index = 33;
    team_records[1].slots[3].line_up_index = 7; // slot 7's old index moves to slot 3
    EXPECT_EQ(find_man_by_number(1, 33), 7);
    EXPECT_EQ(find_man_by_number(1, 7), 3);
    EXPECT_EQ(find_man_by_number(0, 40), 255);
    team_records[1].slots[22].line_up_index = 40; // slot 22 is out of a 22-man match
    EXPECT_EQ(find_man_by_number(1, 40), 255);
    team_records[1].slots[19].line_up_index = 41; // on the interchange bench
    EXPECT_EQ(find_man_by_number(1, 41), 255);
    team_records[1].slots[17].line_up_index = 42; // the last man on the ground
    EXPECT_EQ(find_man_by_number(1, 42), 17);
    EXPECT_EQ(find_man_by_number(2, 0), 255);
}

class NearestOpponent : public ::testing::Test {
protected:
    TeamRecord& first = team_records[0];
    TeamRecord& second = team_records[1];
    void SetUp() override { set_up_two_teams(22); }
};

TEST_F(NearestOpponent, ByTheDefaultSpotsSkippingBusyAndClaimedMen)
{
    // The first team's full forward (-20736, 0) against the second team's
    // backs: its full-back line stands at (-21248, +-3840) and (-13824, 0).
    PlayerSlot& forward = first.slots[0];
    EXPECT_EQ(nearest_free_opponent_by_formation(&forward), &second.slots[12]);
    second.slots[12].busy_flag = 1;
    EXPECT_EQ(nearest_free_opponent_by_formation(&forward), &second.slots[14]);
    first.slots[5].spot = &second.slots[14]; // a team-mate has him
    EXPECT_EQ(nearest_free_opponent_by_formation(&forward), &second.slots[13]);
    first.slots[5].busy_flag = 1; // a busy team-mate's claim does not count
    EXPECT_EQ(nearest_free_opponent_by_formation(&forward), &second.slots[14]);
}

TEST_F(NearestOpponent, ByTheCurrentSpotsSkippingTheKickOutMan)
{
    PlayerSlot& forward = first.slots[0];
    EXPECT_EQ(nearest_free_opponent_by_spots(&forward), &second.slots[12]);
    second.key_man_e = 12;
    EXPECT_EQ(nearest_free_opponent_by_spots(&forward), &second.slots[14]);
    match_globals.controlled_man_b = &forward;
    EXPECT_EQ(nearest_free_opponent_by_spots(&forward), nullptr);
}

TEST_F(NearestOpponent, FreePlayerNearestTheGoalHeAttacks)
{
    // Side 1 attacks x = -20480: the first team's full forward.
    EXPECT_EQ(nearest_free_player_to_goal(&first), &first.slots[0]);
    first.slots[0].busy_flag = 1;
    EXPECT_EQ(nearest_free_player_to_goal(&first), &first.slots[1]); // 4096 beats 4104
    first.slots[1].man_flags = MAN_OUT_OF_PLAY;
    first.queued_interchange_count = 1;
    first.queued_interchanges[0] = {19, 2, 1}; // slot 2 is going off
    EXPECT_EQ(nearest_free_player_to_goal(&first), &first.slots[3]);
    // Side 2 attacks x = 20480: the second team's forwards.
    EXPECT_EQ(nearest_free_player_to_goal(&second), &second.slots[0]);
}

TEST_F(NearestOpponent, MarkedClaimsArrivalAndBallComing)
{
    PlayerSlot& man = first.slots[9];
    EXPECT_EQ(is_marked(&man), 0);
    second.slots[9].spot = &man;
    EXPECT_EQ(is_marked(&man), 1);
    second.slots[9].busy_flag = 1;
    EXPECT_EQ(is_marked(&man), 0);

    for (int i = 0; i < TEAM_SLOTS; ++i) {
        first.slots[i].stoppage_man = 1;
        first.slots[i].arrived = second.slots[i].arrived = 1;
    }
    clear_team_claims(&first);
    EXPECT_EQ(first.slots[21].stoppage_man, 0u);
    EXPECT_EQ(first.slots[22].stoppage_man, 1u) << "only the men in use";
    clear_all_arrived();
    EXPECT_EQ(first.slots[17].arrived, 0u);
    EXPECT_EQ(second.slots[0].arrived, 0u);
    EXPECT_EQ(second.slots[18].arrived, 1u) << "the bench keeps its flag";

    list_active_men(2);
    first.slots[1].busy_flag = 1;
    flag_all_ball_coming();
    EXPECT_EQ(first.slots[0].ball_coming, 1u);
    EXPECT_EQ(first.slots[1].ball_coming, 0u);
    EXPECT_EQ(second.slots[1].ball_coming, 1u);
    EXPECT_EQ(second.slots[2].ball_coming, 0u);
}

} // namespace
