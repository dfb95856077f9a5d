#include "headless_match.h"

#include "league/league_data.h"
#include "match/ball.h"
#include "match/man_models.h"
#include "match/match_setup.h"

#include <cstring>

using MatchSetup = HeadlessMatch;

TEST_F(MatchSetup, ANewMatchFromTheLeague)
{
    const MatchGlobals& m = match_globals;
    EXPECT_EQ(m.match_state, PRE_MATCH);
    EXPECT_EQ(m.men_per_team, 22);
    EXPECT_EQ(m.active_men_count, 44);
    EXPECT_EQ(m.active_men[0], &team_records[0].slots[0]);
    EXPECT_EQ(m.active_men[22], &team_records[1].slots[0]);
    // The tables beside the list keep each man's place and codes as set up,
    // whatever the tick's sorting does to active_men later.
    for (int n : {0, 9, 22, 31, 43}) {
        const PlayerSlot* man = &team_records[n / 22].slots[n % 22];
        EXPECT_EQ(m.active_men_slot[n], man) << n;
        EXPECT_EQ(m.active_men_x[n], man->x) << n;
        EXPECT_EQ(m.active_men_y[n], man->y) << n;
        EXPECT_EQ(m.active_men_code[n], man->line_up_code) << n;
        EXPECT_EQ(m.active_men_role[n], man->position_role) << n;
    }
    EXPECT_EQ(m.active_men_role[9], 9);
    EXPECT_EQ(m.period_clock, 2 * 3720);
    EXPECT_EQ(m.stopped_time, 0);
    EXPECT_EQ(m.flow_flags, QUARTER_1);
    EXPECT_EQ(m.pending_cut_state, -1);
    EXPECT_EQ(m.siren_pending, 1);

    // Teams: home on side 2, linked, the club's men in their places.
    EXPECT_EQ(team_records[0].side, 2);
    EXPECT_EQ(team_records[1].side, 1);
    EXPECT_EQ(team_records[0].other_team, &team_records[1]);
    EXPECT_EQ(team_records[0].club, league_team_at(0));
    EXPECT_EQ(team_records[1].club, league_team_at(9));
    EXPECT_EQ(team_records[1].slots[4].person, league_team_at(9)->players[4]);
    EXPECT_EQ(team_records[0].captain, &team_records[0].slots[9]);
    EXPECT_EQ(team_records[0].slots[21].line_up_index, 21);
    // The ground men's codes and the bench's: the bench carries none.
    EXPECT_EQ(team_records[0].slots[9].position_role, 9);
    EXPECT_EQ(team_records[0].slots[18].position_role, 0);
    EXPECT_EQ(team_records[0].ruck_contest_count, 3 + 18);
    // Slots 22 and 23 take no part.
    EXPECT_EQ(team_records[0].slots[22].team, nullptr);

    // Umpires.
    const PlayerSlot& field = official_slots[0];
    EXPECT_EQ(field.number, 64);
    EXPECT_EQ(field.y, 513);
    EXPECT_EQ(official_slots[3].x, -26098);
    EXPECT_EQ(official_slots[4].x, 26098);
    EXPECT_EQ(official_slots[4].facing, 192);
    EXPECT_EQ(official_slots[1].y, -official_slots[2].y);
    EXPECT_GT(official_slots[1].y, 0);
    EXPECT_STREQ(player_name(field.person), "A Nofficial");

    // The ball at rest in the centre; gravity is gravity and the spin the
    // placing spin.
    EXPECT_EQ(ball_state.x, 0);
    EXPECT_EQ(ball_state.gravity, 42824);
    EXPECT_EQ(ball_state.spin_rate[0], 1024);
    EXPECT_EQ(ball_state.spin_rate[2], 512);
    EXPECT_EQ(ball_state.flight_flags, FLIGHT_AT_REST);
}

TEST_F(MatchSetup, TheFightsLevelIsTheAggression)
{
    struct Case {
        int32_t level, aggression;
    };
    for (const Case c : {Case{25, 25}, Case{0, 0}, Case{100, 100}, Case{-4, 0}, Case{250, 100}}) {
        MatchRunSettings s;
        s.fights_level = c.level;
        start(s);
        EXPECT_EQ(match_globals.aggression_percent, c.aggression) << c.level;
    }
}

TEST_F(MatchSetup, SixInterchangePlayersUseEverySlot)
{
    MatchRunSettings s;
    s.interchange_players = 6;
    start(s);
    EXPECT_EQ(match_globals.men_per_team, 24);
    EXPECT_EQ(match_globals.active_men_count, 48);
    EXPECT_EQ(team_records[1].slots[23].team, &team_records[1]);
}

TEST_F(MatchSetup, DifficultyOneIsTraining)
{
    game_settings.difficulty = 1;
    init_match(INIT_NEW_MATCH);
    EXPECT_EQ(match_globals.game_type, GAME_TRAINING);
    game_settings.difficulty = 0;
    init_match(INIT_NEW_MATCH);
    EXPECT_EQ(match_globals.difficulty, 1);
}

TEST_F(MatchSetup, ANewMatchKeepsOnlyTheKeptFlowBits)
{
    match_globals.flow_flags = 0xFFFF;
    init_match(INIT_NEW_MATCH);
    EXPECT_EQ(match_globals.flow_flags, FLOW_KEPT_BY_NEW_MATCH | QUARTER_1);
}

TEST_F(MatchSetup, TheRestartAfterABreakChangesEndsAndKeepsScoresAndWeather)
{
    MatchRunSettings s;
    s.weather = 4;
    start(s);
    const int8_t weather = match_globals.weather;
    team_records[0].points = 13;
    match_globals.flow_flags |= CLOCK_FROZEN | TIME_ON | QUARTER_2;
    match_globals.period_clock = 5;
    for (int i = 0; i < 8; ++i)
        init_match(INIT_SWAP_ENDS);
    EXPECT_EQ(match_globals.weather, weather) << "the random weather is the match's";
    init_match(INIT_SWAP_ENDS);
    EXPECT_EQ(team_records[0].side, 1);
    EXPECT_EQ(team_records[0].slots[3].side, 1);
    EXPECT_EQ(team_records[0].points, 13);
    EXPECT_EQ(match_globals.match_state, CENTRE_BOUNCE_SETUP);
    EXPECT_EQ(match_globals.period_clock, 2 * 3720);
    EXPECT_FALSE(match_globals.flow_flags & (CLOCK_FROZEN | TIME_ON)) << "the next period runs";
    EXPECT_TRUE(match_globals.flow_flags & CLOCK_STOPPED);
    EXPECT_EQ(team_records[0].ruck_contest_count, 3 + 18);
    EXPECT_EQ(team_records[0].slots[18].position_role, 0);
    // The formation turned with the ends.
    EXPECT_EQ(team_records[0].formation_spots->spot[0].x, -default_formation_spots[0].spot[0].x);
}

TEST_F(MatchSetup, ReloadingLineUpsKeepsStateAndClock)
{
    match_globals.match_state = PLAY_ON;
    match_globals.period_clock = 1234;
    init_match(INIT_RELOAD_LINEUPS);
    EXPECT_EQ(match_globals.match_state, PLAY_ON);
    EXPECT_EQ(match_globals.period_clock, 1234);
}

TEST_F(MatchSetup, ReplayPlaybackSetsUpWithoutEmptyingTheReplay)
{
    static int resets, playback;
    resets = playback = 0;
    match_hooks.reset_replay = [] { ++resets; };
    match_hooks.set_replay_playback = [](int32_t on) { playback = on; };
    init_match(INIT_REPLAY_PLAYBACK);
    EXPECT_EQ(playback, 1);
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(match_globals.match_state, PRE_MATCH);
    init_match(INIT_NEW_MATCH);
    EXPECT_EQ(resets, 1);
}

TEST_F(MatchSetup, TheFormationPercentagesGiveTheSpotsBack)
{
    // The first team starts on side 2, where its table is the default one.
    for (int t = 0; t < 2; ++t)
        for (int i = 0; i < GROUND_MEN; ++i) {
            EXPECT_EQ(formation_tables[t].spot[i].x, default_formation_spots[t].spot[i].x) << t << "/" << i;
            EXPECT_EQ(formation_tables[t].spot[i].y, default_formation_spots[t].spot[i].y) << t << "/" << i;
        }
}

TEST_F(MatchSetup, RandomChoicesFollowTheSeed)
{
    MatchRunSettings s;
    s.weather = 4;
    s.time_of_day = 3;
    s.kick_off_variant = 7;
    s.toss_winner = -1;
    auto choices = [&](uint32_t seed) {
        s.seed = seed;
        start(s);
        return std::vector<int32_t>{match_globals.weather, match_globals.time_of_day, match_globals.kick_off_variant,
                                    match_globals.toss_winner, static_cast<int32_t>(match_globals.random_angles[5])};
    };
    EXPECT_EQ(choices(5), choices(5));
    for (uint32_t seed = 1; seed < 40; ++seed) {
        const auto c = choices(seed);
        EXPECT_LE(c[0], 3);
        EXPECT_LE(c[1], 2);
        EXPECT_LE(c[2], 6);
        EXPECT_LE(c[3], 1);
        EXPECT_EQ(c[4] % 64, 0);
    }
}

TEST_F(MatchSetup, TheZoneLinesScaleAndTurnWithTheSide)
{
    // d5 = 10 by the half-length: 2457.6 rounds to 2458, negated on side 2.
    EXPECT_EQ(team_records[0].zone_lines[0], -2458);
    EXPECT_EQ(team_records[1].zone_lines[0], 2458);
    // d1 = -40 by the half-width.
    EXPECT_EQ(team_records[1].zone_lines[2], -6554);
}

TEST_F(MatchSetup, AVoidViceCaptainIsLeftUnset)
{
    team_selections[1].vice_captain = SELECTION_NONE;
    init_match(INIT_NEW_MATCH);
    EXPECT_EQ(team_records[1].vice_captain, nullptr);
    EXPECT_EQ(team_records[0].vice_captain, &team_records[0].slots[16]);
}

TEST_F(MatchSetup, TheStartBlockSitsBesideTheGatheringPointOffTheGround)
{
    for (uint8_t variant : {0, 1, 2}) {
        MatchRunSettings s;
        s.kick_off_variant = variant;
        start(s);
        for (int t = 0; t < 2; ++t)
            for (int i = 0; i < 22; ++i) {
                const PlayerSlot& man = team_records[t].slots[i];
                EXPECT_LE(std::abs(man.x - match_globals.gather_x), 1536 + 512);
                EXPECT_LE(std::abs(man.y - match_globals.gather_y), 1024 + 512);
            }
    }
}

TEST_F(MatchSetup, TheFullRestartPlacesTheKeyMenForTheBounce)
{
    init_match(INIT_SWAP_ENDS_FULL);
    // Ends changed: the first team now on side 1, the second on side 2.
    const TeamRecord& first = team_records[0];
    const TeamRecord& second = team_records[1];
    ASSERT_EQ(first.side, 1);
    EXPECT_EQ(first.slots[first.key_men[0]].x, 2048) << "the ruckman";
    EXPECT_EQ(second.slots[second.key_men[0]].x, -2048);
    // The first team's key men at the fixed points, negated off side 2.
    EXPECT_EQ(first.slots[first.key_men[1]].x, 6400);
    EXPECT_EQ(first.slots[first.key_men[1]].y, -3840);
    EXPECT_EQ(first.slots[first.key_men[2]].y, 1);
    // The second team's beside the men they are matched with, goal-side.
    for (int k = 1; k < 4; ++k) {
        const PlayerSlot& man = second.slots[second.key_men[k]];
        const PlayerSlot& opponent = first.slots[first.key_men[k]];
        ASSERT_EQ(man.spot, &opponent);
        EXPECT_EQ(man.x, opponent.x + marking_offsets[1][man.number][0]);
    }
    EXPECT_EQ(match_globals.match_state, CENTRE_BOUNCE_SETUP);
}
