#include "match/formation.h"
#include "match/session_defaults.h"
#include "match/proposals.h"

#include "league/game_settings.h"
#include "league/league_data.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/rule_queries.h"
#include "match/two_teams.h"

#include <gtest/gtest.h>

namespace {

TEST(DefaultFormations, TheSecondTeamMirrorsTheFirstOnTheGround)
{
    const FormationSpots& first = default_formation_spots[0];
    const FormationSpots& second = default_formation_spots[1];
    for (int i = 0; i <= 16; ++i) {
        EXPECT_EQ(second.spot[i].x, -first.spot[i].x) << i;
        EXPECT_EQ(second.spot[i].y, first.spot[i].y) << i;
    }
    EXPECT_EQ(second.spot[17].x, -1280);
    EXPECT_EQ(second.spot[17].y, 1536);
    for (int i = 0; i < GROUND_MEN; ++i)
        for (const FormationSpots* table : {&first, &second})
            EXPECT_TRUE(in_field(static_cast<int16_t>(table->spot[i].x), static_cast<int16_t>(table->spot[i].y))) << i;
    // The benches stand off the ground.
    for (int i = FIRST_BENCH_SLOT; i < TEAM_SLOTS; ++i) {
        EXPECT_EQ(first.spot[i].x, -17920);
        EXPECT_EQ(second.spot[i].y, -17920);
        EXPECT_EQ(second.spot[i].x, 256 * (i - 17));
    }
}

TEST(PlaceManAtSpot, StandsHimStillFacingTheBall)
{
    set_up_two_teams(22);
    ball_state.x = 1000 << 16;
    ball_state.y = -2000 << 16;
    PlayerSlot& man = team_records[0].slots[4];
    man.man_flags = MAN_BUSY | MAN_OUT_OF_PLAY;
    man.man_flags2 = MAN2_OPTION_SPOT;
    man.move_dx = man.path_dy = 77;
    man.arrived = 0;
    man.action = 6;
    man.z = 300;
    man.turning = 1;
    man.lead_reaction_delay = 40;
    man.tackle_state = 1;
    man.tackle_partner = &team_records[1].slots[0];

    place_man_at_spot(&man, 1000, 1000);
    EXPECT_EQ(man.x, 1000);
    EXPECT_EQ(man.y, 1000);
    EXPECT_EQ(man.z, 0);
    EXPECT_EQ(man.target_x, 1000);
    EXPECT_EQ(man.target_y, 1000);
    EXPECT_EQ(man.man_flags, 0);
    EXPECT_EQ(man.man_flags2, 0);
    EXPECT_EQ(man.move_dx, 0);
    EXPECT_EQ(man.path_dy, 0);
    EXPECT_EQ(man.arrived, 1u);
    EXPECT_EQ(man.action, 0);
    EXPECT_EQ(man.turning, 0u);
    EXPECT_EQ(man.lead_reaction_delay, 0);
    EXPECT_EQ(man.tackle_state, 0u);
    EXPECT_EQ(man.tackle_partner, nullptr);
    EXPECT_EQ(man.tackle_animation, 0xFFFF);
    // The ball lies straight down -y from him; the distance is there at once.
    EXPECT_EQ(man.facing, 128);
    EXPECT_EQ(man.wanted_facing, 128);
    EXPECT_EQ(man.action_arg, 128);
    EXPECT_EQ(man.ball_distance, 3000);

    // The holder keeps his facing.
    PlayerSlot& holder = team_records[1].slots[2];
    holder.facing = 17;
    holder.wanted_facing = 18;
    match_globals.ball_holder = &holder;
    place_man_at_spot(&holder, 0, 0);
    EXPECT_EQ(holder.facing, 17);
    EXPECT_EQ(holder.wanted_facing, 18);
    EXPECT_EQ(holder.ball_distance, 2500); // approximate: 2000 + 1000 - 500
}

// Two teams set up from the league, placed on their spots and asked the
// rule queries, as a match set-up leaves them.
TEST(MatchFromTheLeague, TwoClubsOnTheirSpotsAnswerTheRuleQueries)
{
    set_up_two_teams(22);
    select_builtin_league_data();
    set_session_defaults();
    take_club(team_records[0], game_settings.home_team);
    take_club(team_records[1], game_settings.away_team);
    list_active_men(22);
    ball_state.x = ball_state.y = 0;
    for (TeamRecord& team : team_records)
        for (int i = 0; i < 22; ++i)
            place_man_at_spot(&team.slots[i], team.formation_spots->spot[i].x, team.formation_spots->spot[i].y);

    TeamRecord& home = team_records[0];
    TeamRecord& away = team_records[1];
    EXPECT_EQ(home.club->number, 0);
    EXPECT_EQ(away.club->number, 9);
    EXPECT_EQ(home.slots[0].facing, 64) << "the full forward at negative x faces the centre";
    EXPECT_EQ(away.slots[0].facing, 192);

    for (TeamRecord* team : {&home, &away}) {
        const PlayerSlot* kicker = best_man_by_kick_range(team);
        const PlayerSlot* ruck = best_man_by_ruck_value(team);
        ASSERT_NE(kicker, nullptr);
        ASSERT_NE(ruck, nullptr);
        EXPECT_LT(kicker->number, GROUND_MEN);
        for (int i = 0; i < GROUND_MEN; ++i) {
            EXPECT_GE(kick_range_of(kicker), kick_range_of(&team->slots[i]));
            EXPECT_GE(ruck_value_of(ruck), ruck_value_of(&team->slots[i]));
        }
        EXPECT_EQ(ruck_value_of(ruck), player_i32(team->club->players[ruck->line_up_index], PLAYER_HEIGHT));
    }

    EXPECT_EQ(find_man_by_number(1, 17), 17);
    EXPECT_EQ(find_man_by_number(1, 21), 255) << "a bench man is never found";
    EXPECT_EQ(nearest_free_opponent_by_formation(&home.slots[0]), &away.slots[12]);
    EXPECT_EQ(nearest_free_player_to_goal(&away), &away.slots[0]);
    match_globals.quarter_minutes = 20; // decided at 30 points
    home.points = 50;
    away.points = 12;
    home.human_count = 1;
    EXPECT_EQ(score_margin_check(0), 1);
}

TEST(ManSkills, HandicapsFromThePlayerRecord)
{
    league_player best{}, worst{}, middle{};
    const int fields[] = {PLAYER_KICKING, PLAYER_AGILITY, PLAYER_SPEED, PLAYER_MARKING,
                          PLAYER_STRENGTH, PLAYER_STAMINA, PLAYER_ACCURACY};
    const int16_t highs[] = {242, 242, 39, 242, 242, 285, 242};
    const int16_t lows[] = {63, 76, 25, 76, 51, 165, 76};
    for (int i = 0; i < 7; ++i) {
        set_player_i16(&best, fields[i], static_cast<int16_t>(highs[i] + 10)); // beyond the range: held
        set_player_i16(&worst, fields[i], lows[i]);
        set_player_i16(&middle, fields[i], static_cast<int16_t>((highs[i] + lows[i]) / 2));
    }
    PlayerSlot man{};
    man.person = &best;
    fill_man_skills(&man);
    for (int8_t s : man.skills)
        EXPECT_EQ(s, 0);
    man.person = &worst;
    fill_man_skills(&man);
    for (int8_t s : man.skills)
        EXPECT_EQ(s, 64);
    man.person = &middle;
    fill_man_skills(&man);
    EXPECT_EQ(man.skills[2], 32); // speed 32 of 25..39
    EXPECT_EQ(man.skills[6], 32);
    EXPECT_EQ(man.skills[5], 32); // stamina 225 of 165..285
    man.person = nullptr;
    fill_man_skills(&man);
    EXPECT_EQ(man.skills[0], 0);
}

} // namespace

namespace {

const ActionProposal& only_proposal(const PlayerSlot& man)
{
    EXPECT_EQ(man.proposal_count, 1);
    return man.proposals[0];
}

TEST(RunsToSpots, ClearOfTheMark)
{
    set_up_two_teams(22);
    PlayerSlot& m = team_records[1].slots[7]; // own spot (256, 12800)
    m.proposal_count = 0;
    run_to_spot_clear_of_mark(&m, m.team->formation_spots, 0, 0, 3072);
    EXPECT_EQ(only_proposal(m).action, ACT_RUN_TO_POINT);
    EXPECT_EQ(only_proposal(m).priority, 2);
    // The spot within reach of the mark: the edge of the circle on his bearing.
    m.proposal_count = 0;
    m.x = 0;
    m.y = 100;
    run_to_spot_clear_of_mark(&m, m.team->formation_spots, 256, 11000, 3072);
    const ActionProposal& p = only_proposal(m);
    EXPECT_EQ(p.action, ACT_RUN_TO_SPOT);
    EXPECT_EQ(p.priority, 2255);
    EXPECT_NEAR(vector_length(p.x - 256, p.y - 11000), 3072, 16);
    EXPECT_LT(p.y, 11000);
}

TEST(KickOutPlacing, KickerMarkManAndTeammates)
{
    set_up_two_teams(22);
    PlayerSlot& kicker = team_records[1].slots[0]; // side 2
    kicker.run_up_action = 33;
    kicker.proposal_count = 0;
    walk_kicker_to_goal_square(&kicker);
    EXPECT_EQ(only_proposal(kicker).x, -23794);
    EXPECT_EQ(only_proposal(kicker).priority, 5000);
    kicker.proposal_count = 0;
    kicker.action = 33;
    walk_kicker_to_goal_square(&kicker);
    EXPECT_EQ(kicker.proposal_count, 0) << "already on his run-up";

    PlayerSlot& mark_man = team_records[0].slots[4];
    match_globals.mark_x = 5000;
    match_globals.mark_y = 0;
    mark_man.x = 0;
    mark_man.arrive_radius = 42;
    mark_man.arrived = 1;
    mark_man.proposal_count = 0;
    place_mark_man_for_kick_out(&mark_man);
    EXPECT_EQ(only_proposal(mark_man).action, ACT_MOVE_TO_POINT);
    EXPECT_EQ(only_proposal(mark_man).x, 5000);
    EXPECT_EQ(mark_man.arrived, 0u);
    mark_man.x = 5000;
    mark_man.proposal_count = 0;
    place_mark_man_for_kick_out(&mark_man);
    // Standing, he reacts to the kicker first; the stand on the mark comes last.
    ASSERT_GE(mark_man.proposal_count, 1);
    EXPECT_EQ(mark_man.proposals[mark_man.proposal_count - 1].action, ACT_STAND_THE_MARK);

    PlayerSlot& mate = team_records[1].slots[10];
    mate.proposal_count = 0;
    place_kick_out_teammate(&mate);
    EXPECT_EQ(only_proposal(mate).x, -13824);
}

} // namespace
