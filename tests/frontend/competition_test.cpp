#include "frontend/competition.h"
#include "frontend/competition_screens.h"
#include "frontend/front_end_state.h"
#include "league/league_data.h"
#include "match/game_maths.h"
#include "match/match_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <vector>

namespace {

struct Competition : ::testing::Test {
    void SetUp() override
    {
        clear_game_state_block();
        select_builtin_league_data();
        reset_competition_state();
        game_settings.quarter_length = 20;
        match_globals.random_state_a = 0x12345678;
    }
    void TearDown() override
    {
        reset_competition_state();
        clear_game_state_block();
    }
    static void premiership()
    {
        game_settings.game_type = GAME_PREMIERSHIP;
        reset_competition();
        for (uint32_t& k : competition_state.kinds) k = KIND_COMPUTER;
    }
    // Plays every round of the season between computer teams.
    static void play_season()
    {
        for (int32_t round = 1; round <= SEASON_ROUNDS; ++round) {
            competition_state.round = static_cast<uint8_t>(round);
            fixture_count = static_cast<int16_t>(load_round_fixtures(round));
            play_league_round();
        }
    }
};

TEST_F(Competition, TheSeasonListsEveryTeamOnceARoundAndEveryPairingOnceBeforeRepeats)
{
    std::set<std::pair<int, int>> met;
    for (int32_t round = 0; round < SEASON_ROUNDS; ++round) {
        std::set<int> teams;
        for (const auto& pair : season_fixtures[round]) {
            teams.insert(pair[0]);
            teams.insert(pair[1]);
            met.insert({std::min(pair[0], pair[1]), std::max(pair[0], pair[1])});
        }
        EXPECT_EQ(teams.size(), 16u) << "round " << round + 1;
    }
    EXPECT_GE(met.size(), 120u) << "every club meets every other";
}

TEST_F(Competition, RoundFixturesOutsideTheSeasonGiveNone)
{
    std::memset(competition_state.fixtures, 7, sizeof competition_state.fixtures);
    for (int32_t round : {0, 23, -1}) EXPECT_EQ(load_round_fixtures(round), 0) << round;
    EXPECT_EQ(competition_state.fixtures[0][0], 7) << "nothing written";
    EXPECT_EQ(load_round_fixtures(1), 8);
    EXPECT_EQ(competition_state.fixtures[0][0], 9);
    EXPECT_EQ(competition_state.fixtures[7][1], 2);
}

TEST_F(Competition, ShuffleUsesTheSeedSequence)
{
    // Seed 0: swaps 0 with 0, then seeds 7, 17, 0, 7 ... pick j = s + i mod n.
    for (uint8_t i = 0; i < 16; ++i) competition_state.order[i] = i;
    shuffle_team_order(16, 0);
    std::array<uint8_t, 16> expected{};
    for (uint8_t i = 0; i < 16; ++i) expected[i] = i;
    int s = 0;
    for (int i = 0; i < 16; ++i) {
        int j = s + i;
        while (j >= 16) j -= 16;
        s = s * 3 / 2 + 7;
        if (s > 31) s -= 32;
        std::swap(expected[i], expected[j]);
    }
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), competition_state.order));
    std::vector<uint8_t> sorted(competition_state.order, competition_state.order + 16);
    std::sort(sorted.begin(), sorted.end());
    for (uint8_t i = 0; i < 16; ++i) EXPECT_EQ(sorted[i], i) << "a permutation";
}

TEST_F(Competition, HumanFixturesCountAnyKindButOutAndComputer)
{
    for (int k = 0; k < 8; ++k) {
        competition_state.fixtures[k][0] = static_cast<int8_t>(2 * k);
        competition_state.fixtures[k][1] = static_cast<int8_t>(2 * k + 1);
    }
    competition_state.kinds[0] = KIND_HUMAN;
    competition_state.kinds[5] = 0x40000000; // the selection screen's marker counts as human
    competition_state.kinds[6] = KIND_COMPUTER;
    EXPECT_EQ(count_human_fixtures(0, 8), 2u);
    EXPECT_EQ(count_human_fixtures(1, 8), 1u);
    EXPECT_EQ(count_human_fixtures(3, 3), 0u);
    EXPECT_EQ(count_human_fixtures(5, 2), 0u);
}

TEST_F(Competition, ChancesFollowTheStrengthsAndTheQuarterLength)
{
    // Strengths 42 and 47 over 20-minute quarters: 261 chances; each chance
    // draws at least two numbers, so at least 522 draws are made.
    league_team* home = league_team_at(0);
    league_team* away = league_team_at(1);
    const uint16_t kept[2] = {home->strength, away->strength};
    home->strength = 42;
    away->strength = 47;
    game_settings.home_team = 0;
    game_settings.away_team = 1;
    game_settings.game_type = GAME_EXHIBITION;
    uint32_t draws = 0;
    match_globals.random_state_a = 99;
    const uint32_t start = match_globals.random_state_a;
    simulate_cpu_match();
    const uint32_t end = match_globals.random_state_a;
    // Count the draws by stepping a copy of the register from the start.
    match_globals.random_state_a = start;
    while (match_globals.random_state_a != end && draws < 100000) {
        game_random();
        ++draws;
    }
    EXPECT_GE(draws, 522u);
    EXPECT_LE(draws, 261u * 4 + 1);
    home->strength = kept[0];
    away->strength = kept[1];
}

TEST_F(Competition, SimulatedScoresKeepTheirRules)
{
    // Over many seeds and pairings: no score below 1, no knock-out draw, and
    // the loser's score at least a third of the winner's when the favourite won.
    for (int8_t type : {GAME_PREMIERSHIP, GAME_PRE_SEASON, GAME_FINAL_8}) {
        game_settings.game_type = type;
        for (uint32_t seed = 1; seed < 60; ++seed) {
            match_globals.random_state_a = seed * 2654435761u;
            game_settings.home_team = static_cast<int8_t>(seed % 16);
            game_settings.away_team = static_cast<int8_t>((seed * 7 + 3) % 16);
            simulate_cpu_match();
            const int16_t h = team_records[0].points, a = team_records[1].points;
            EXPECT_GE(h, 1);
            EXPECT_GE(a, 1);
            if (type != GAME_PREMIERSHIP) {
                EXPECT_NE(h, a) << "seed " << seed;
            }
            const int16_t high = std::max(h, a), low = std::min(h, a);
            EXPECT_GE(low, high / 3 / 2) << "a third, or within one doubling of the other's third";
        }
    }
}

TEST_F(Competition, AWholeSeasonFromOneSeedGivesOneLadder)
{
    premiership();
    play_season();
    uint16_t first[16];
    ASSERT_EQ(sort_ladder(first), 16);
    CompetitionState after_first = competition_state;
    int games = 0;
    for (int p = 0; p < 16; ++p) {
        games += competition_state.wins[p] + competition_state.draws[p] + competition_state.losses[p];
        EXPECT_EQ(competition_state.wins[p] + competition_state.draws[p] + competition_state.losses[p], SEASON_ROUNDS);
    }
    EXPECT_EQ(games, 16 * SEASON_ROUNDS);
    int32_t for_total = 0, against_total = 0;
    for (int p = 0; p < 16; ++p) for_total += competition_state.points_for[p], against_total += competition_state.points_against[p];
    EXPECT_EQ(for_total, against_total);
    EXPECT_EQ(competition_state.win_flags[0][0] + competition_state.win_flags[0][1], 0) << "a ladder writes no win flags";

    SetUp();
    premiership();
    play_season();
    uint16_t second[16];
    sort_ladder(second);
    EXPECT_TRUE(std::equal(first, first + 16, second));
    EXPECT_EQ(std::memcmp(&after_first, &competition_state, sizeof after_first), 0);
}

TEST_F(Competition, ResultsFillTheLadderColumnsOrTheWinFlags)
{
    premiership();
    team_records[0].points = 50, team_records[1].points = 50;
    record_match_result(3, 4, 0);
    EXPECT_EQ(competition_state.draws[3], 1);
    EXPECT_EQ(competition_state.draws[4], 1);
    team_records[0].points = 40, team_records[1].points = 70;
    record_match_result(3, 4, 1);
    EXPECT_EQ(competition_state.losses[3], 1);
    EXPECT_EQ(competition_state.wins[4], 1);
    EXPECT_EQ(competition_state.points_for[3], 90);
    EXPECT_EQ(competition_state.points_against[3], 120);
    EXPECT_EQ(competition_state.scores[1][1], 70);

    game_settings.game_type = GAME_PRE_SEASON;
    competition_state.win_flags[2][0] = 9;
    team_records[0].points = 30, team_records[1].points = 30;
    record_match_result(1, 2, 2);
    EXPECT_EQ(competition_state.win_flags[2][0], 9) << "a draw leaves the flags";
    team_records[0].points = 20;
    record_match_result(1, 2, 2);
    EXPECT_EQ(competition_state.win_flags[2][0], 0);
    EXPECT_EQ(competition_state.win_flags[2][1], 1);
}

TEST_F(Competition, LadderOrderRules)
{
    game_settings.game_type = GAME_PREMIERSHIP;
    struct Team {
        uint8_t w, d, l;
        uint16_t pf, pa;
    };
    const struct {
        const char* rule;
        Team x, y;
        bool y_first;
    } cases[] = {
        {"more points", {1, 0, 1, 100, 100}, {1, 1, 0, 100, 100}, true},
        {"equal points, better percentage", {2, 0, 0, 100, 200}, {2, 0, 0, 150, 200}, true},
        {"equal percentage, more wins", {1, 2, 0, 100, 100}, {2, 0, 1, 100, 100}, true},
        {"no points against goes first", {1, 0, 0, 100, 100}, {1, 0, 0, 0, 0}, true},
        {"all level keeps the order", {1, 0, 0, 100, 100}, {1, 0, 0, 100, 100}, false},
    };
    for (const auto& c : cases) {
        reset_competition();
        CompetitionState& s = competition_state;
        auto put = [&](int p, const Team& t) {
            s.wins[p] = t.w, s.draws[p] = t.d, s.losses[p] = t.l, s.points_for[p] = t.pf, s.points_against[p] = t.pa;
        };
        for (int p = 0; p < 16; ++p) put(p, Team{0, 0, 0, 0, 1});
        put(0, c.x);
        put(1, c.y);
        uint16_t order[16];
        sort_ladder(order);
        EXPECT_EQ(order[0], c.y_first ? 1 : 0) << c.rule;
    }
}

TEST_F(Competition, AnAllZeroLadderKeepsTheTeamOrder)
{
    premiership();
    uint16_t order[16];
    sort_ladder(order);
    for (uint16_t i = 0; i < 16; ++i) EXPECT_EQ(order[i], i);
}

TEST_F(Competition, AKnockOutLoserGoesToTheComputerOnEitherSide)
{
    game_settings.game_type = GAME_PRE_SEASON;
    competition_state.round = 2;
    const struct {
        int16_t home, away;
        uint32_t home_kind, away_kind;
    } cases[] = {{60, 40, KIND_HUMAN, KIND_COMPUTER}, {40, 60, KIND_COMPUTER, KIND_HUMAN}, {50, 50, KIND_HUMAN, KIND_HUMAN}};
    for (const auto& c : cases) {
        competition_state.kinds[3] = competition_state.kinds[4] = KIND_HUMAN;
        game_settings.home_team = 3, game_settings.away_team = 4;
        team_records[0].points = c.home, team_records[1].points = c.away;
        advance_finals();
        EXPECT_EQ(competition_state.kinds[3], c.home_kind) << c.home << "-" << c.away;
        EXPECT_EQ(competition_state.kinds[4], c.away_kind) << c.home << "-" << c.away;
        EXPECT_EQ(human_still_in, 1);
    }
    competition_state.kinds[3] = KIND_COMPUTER;
    competition_state.kinds[4] = KIND_HUMAN;
    team_records[0].points = 70, team_records[1].points = 60;
    advance_finals();
    EXPECT_EQ(human_still_in, 0);
}

TEST_F(Competition, QualifyingFinalLosersInTheTopFourKeepTheirKind)
{
    game_settings.game_type = GAME_FINAL_8;
    competition_state.round = 2;
    // Places 0..7: homes of pairs 3..0, then aways of pairs 0..3.
    const int8_t homes[4] = {13, 12, 11, 10}, aways[4] = {4, 5, 6, 7};
    for (int p = 0; p < 4; ++p) competition_state.fixtures[p][0] = homes[p], competition_state.fixtures[p][1] = aways[p];
    // Pair 0: place 3 (team 10) against place 4 (team 4).
    for (int t : {10, 4}) competition_state.kinds[t] = KIND_HUMAN;
    game_settings.home_team = 10, game_settings.away_team = 4;
    team_records[0].points = 30, team_records[1].points = 50; // the fourth-placed team loses
    advance_finals();
    EXPECT_EQ(competition_state.kinds[10], KIND_HUMAN) << "a second chance";
    team_records[0].points = 50, team_records[1].points = 30; // the fifth-placed team loses
    advance_finals();
    EXPECT_EQ(competition_state.kinds[4], KIND_COMPUTER);
}

// A competition with one human team: the controllers page runs once before
// the human fixture, the hand-over plays it, the rest are simulated.
int g_controllers_runs, g_hand_overs, g_prematch_runs;
uint8_t g_controllers_answer;
std::vector<int32_t> g_hand_over_args;
int16_t g_human_scores[2] = {60, 30};

struct CompetitionRounds : Competition {
    void SetUp() override
    {
        Competition::SetUp();
        g_controllers_runs = g_hand_overs = g_prematch_runs = 0;
        g_controllers_answer = 1;
        g_hand_over_args.clear();
        competition_controllers = [] {
            ++g_controllers_runs;
            front_end_state.result = g_controllers_answer;
        };
        competition_hand_over = [](int32_t last) {
            ++g_hand_overs;
            g_hand_over_args.push_back(last);
            team_records[0].points = g_human_scores[0];
            team_records[1].points = g_human_scores[1];
            if (g_hand_overs == 1 && g_human_scores[0] == g_human_scores[1]) g_human_scores[1] += 6;
        };
        competition_prematch = [] { ++g_prematch_runs; };
    }
};

TEST_F(CompetitionRounds, ALeagueRoundPlaysTheHumanFixtureAndSimulatesTheRest)
{
    premiership();
    competition_state.kinds[0] = KIND_HUMAN;
    competition_state.kinds[3] = KIND_HUMAN;
    competition_state.round = 1;
    fixture_count = static_cast<int16_t>(load_round_fixtures(1)); // 3-10 is fixture 1, 0-1 fixture 6
    play_league_round();
    EXPECT_EQ(g_controllers_runs, 1) << "asked before the first human fixture only";
    EXPECT_EQ(g_hand_overs, 2);
    EXPECT_EQ(g_hand_over_args, (std::vector<int32_t>{1, 0})) << "the last human fixture is played with 0";
    EXPECT_EQ(g_prematch_runs, 1);
    EXPECT_EQ(human_still_in, 1);
    EXPECT_EQ(competition_state.scores[6][0], 60);
    EXPECT_EQ(team_record_backups[0].points, 60);
    for (int k = 0; k < 8; ++k) EXPECT_GT(competition_state.scores[k][0] + competition_state.scores[k][1], 0) << k;
}

TEST_F(CompetitionRounds, QuittingTheControllersPageAbandonsTheRound)
{
    premiership();
    competition_state.kinds[3] = KIND_HUMAN;
    competition_state.round = 1;
    fixture_count = static_cast<int16_t>(load_round_fixtures(1));
    g_controllers_answer = 3;
    play_league_round();
    EXPECT_EQ(match_globals.flow_flags, MATCH_PLAYED);
    EXPECT_EQ(g_hand_overs, 0);
    EXPECT_EQ(competition_state.scores[1][0] + competition_state.scores[1][1], 0) << "nothing recorded";
}

TEST_F(Competition, KnockOutRoundsPlayTheirPairs)
{
    const struct {
        int8_t type;
        int32_t round, first, end;
    } cases[] = {{GAME_PRE_SEASON, 1, 0, 8},  {GAME_PRE_SEASON, 2, 8, 12}, {GAME_PRE_SEASON, 3, 12, 14},
                 {GAME_PRE_SEASON, 4, 0, 0},  {GAME_PRE_SEASON, 5, 14, 15}, {GAME_FINAL_8, 1, 0, 0},
                 {GAME_FINAL_8, 2, 0, 4},     {GAME_FINAL_8, 4, 6, 8},      {GAME_FINAL_8, 5, 8, 9},
                 {GAME_PREMIERSHIP, 2, 0, 0}};
    for (const auto& c : cases) {
        const FixtureRange r = knockout_round_fixtures(c.type, c.round);
        EXPECT_EQ(r.first, c.first) << int(c.type) << "/" << c.round;
        EXPECT_EQ(r.end, c.end) << int(c.type) << "/" << c.round;
    }
}

} // namespace
