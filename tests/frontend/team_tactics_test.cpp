#include "frontend/team_tactics.h"

#include "league/team_lineups.h"
#include "match/match_records.h"
#include "match/session_defaults.h"
#include "match/team_selection.h"
#include "platform/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

struct Tactics : ::testing::Test {
    settings_record saved{};
    void SetUp() override
    {
        std::memcpy(&saved, &user_settings, sizeof saved);
        std::memset(&user_settings, 0, sizeof user_settings);
        set_session_defaults();
    }
    void TearDown() override
    {
        std::memcpy(&user_settings, &saved, sizeof user_settings);
        reset_lineups_and_formations();
    }
};

TEST_F(Tactics, TheBlockSitsFromTheEighthWordOfEachSidesSettings)
{
    store_team_tactics(0);
    store_team_tactics(1);
    uint32_t words[624];
    std::memcpy(words, &user_settings, sizeof words);
    // Word 377 (home) and 497 (away) start with the first zone line.
    const TacticsBlock home = read_tactics_block(0), away = read_tactics_block(1);
    float first = 0;
    std::memcpy(&first, &words[377], 4);
    EXPECT_EQ(first, home.zone_lines[0]);
    std::memcpy(&first, &words[497], 4);
    EXPECT_EQ(first, away.zone_lines[0]);
    EXPECT_EQ(words[377 + 6], uint32_t(home.on_field[0].player));
    EXPECT_EQ(user_settings.team[0].auto_offload, 0u) << "the words before the block are untouched";
}

TEST_F(Tactics, PlacesAndZoneLinesBecomePercentagesOfTheDrawing)
{
    TeamLineup& l = team_lineups[game_settings.home_team];
    l.entries[0].x = 195, l.entries[0].y = 0;
    l.entries[1].x = 0, l.entries[1].y = -129;
    l.zone_y[0] = -40, l.zone_y[1] = 40;
    l.zone_x[0] = -150, l.zone_x[3] = 150;
    store_team_tactics(0);
    const TacticsBlock b = read_tactics_block(0);
    EXPECT_NEAR(b.on_field[0].x, 100.0f, 1e-4);
    EXPECT_EQ(b.on_field[0].y, 0.0f);
    EXPECT_TRUE(std::signbit(b.on_field[0].y)) << "the centre's y is stored as -0";
    EXPECT_NEAR(b.on_field[1].y, 100.0f, 1e-4);
    EXPECT_NEAR(b.zone_lines[0], 46 * 100.0f / 129, 1e-3);  // -((-40 - 6) x 100 / 129)
    EXPECT_NEAR(b.zone_lines[1], -46 * 100.0f / 129, 1e-3); // -((40 + 6) x 100 / 129)
    EXPECT_NEAR(b.zone_lines[2], -156 * 100.0f / 195, 1e-3);
    EXPECT_NEAR(b.zone_lines[5], 156 * 100.0f / 195, 1e-3);
}

TEST_F(Tactics, RoleSlotsFollowTheLineupBeingStored)
{
    const int32_t team = game_settings.home_team;
    // Roles 1-7 held by players 10, 8, 4, 13, 17, 7 and (bench) 20, from 1.
    const int32_t row[TEAM_ROLES] = {10, 8, 4, 13, 17, 7, 20};
    std::memcpy(team_role_rows[team], row, sizeof row);
    TeamLineup& l = team_lineups[team];
    // Role 1's holder (player 9 from 0) goes to the bench: the role is
    // refilled from the ground, never left on the old slot.
    swap_players_in_lineup(l, 9, l.entries[18].player);
    game_settings.interchange_players = 4;
    store_team_tactics(0);
    const TacticsBlock b = read_tactics_block(0);
    const int32_t role1_slot = b.role_slots[4];
    ASSERT_GE(role1_slot, 0);
    EXPECT_LT(role1_slot, LINEUP_ON_FIELD);
    EXPECT_NE(l.entries[role1_slot].player, 9);
    EXPECT_EQ(b.role_slots[1], 7) << "role 2 (player 8 from 1) stands in slot 7";
    EXPECT_EQ(b.role6_player, 6);
    // Player 20 (19 from 0) sits in bench entry 19, within four interchanges.
    EXPECT_EQ(b.role7_player, 19);
    EXPECT_EQ(b.role7_slot, 19);

    // With no seventh role, slot and player stay -1.
    team_role_rows[team][6] = 0;
    store_team_tactics(0);
    EXPECT_EQ(read_tactics_block(0).role7_slot, -1);
    EXPECT_EQ(read_tactics_block(0).role7_player, -1);
}

TEST_F(Tactics, ABenchRoleIsFoundOnlyWithinTheInterchanges)
{
    const int32_t team = game_settings.home_team;
    const int32_t bench_player = team_lineups[team].entries[22].player; // the fifth bench place
    team_role_rows[team][6] = bench_player + 1;
    game_settings.interchange_players = 4;
    store_team_tactics(0);
    EXPECT_EQ(read_tactics_block(0).role7_slot, -1);
    game_settings.interchange_players = 6;
    store_team_tactics(0);
    EXPECT_EQ(read_tactics_block(0).role7_slot, 22);
}

TEST_F(Tactics, ANewSessionsTeamTacticsAreTheDefaults)
{
    for (int32_t side = 0; side < 2; ++side) {
        store_team_tactics(side);
        const TacticsBlock mine = read_tactics_block(side);
        store_default_tactics(side);
        const TacticsBlock defaults = read_tactics_block(side);
        EXPECT_EQ(std::memcmp(&mine, &defaults, sizeof mine), 0) << "side " << side;
    }
}

// The match reads its line-ups from the blocks: with nothing handed over, a
// side's captain and vice-captain were both slot 0 and the captains never met.
TEST_F(Tactics, TheMatchTakesBothSidesSelectionsFromTheirBlocks)
{
    const int32_t team = game_settings.home_team;
    const int32_t row[TEAM_ROLES] = {10, 8, 4, 13, 17, 7, 20};
    std::memcpy(team_role_rows[team], row, sizeof row);
    game_settings.interchange_players = 4;
    settings_team& home = user_settings.team[0];
    home.auto_offload = 1, home.auto_bounce = 0, home.displayed_player_name_state = 3;
    home.can_intercept_circle = 1, home.word_20 = 2;
    user_settings.team[1].word_0 = 1; // the word after the home block
    user_settings.word_2436 = 0;      // and after the away block
    store_team_tactics(0);
    store_team_tactics(1);
    team_role_rows[game_settings.away_team][6] = 0; // the away side has no vice-captain
    store_team_tactics(1);
    hand_over_team_selections();

    for (int32_t side = 0; side < 2; ++side) {
        SCOPED_TRACE(side);
        const TacticsBlock b = read_tactics_block(side);
        const TeamSelection& sel = team_selections[side];
        for (int32_t i = 0; i < 18; ++i) {
            EXPECT_EQ(sel.entries[i].player_index, b.on_field[i].player);
            EXPECT_EQ(sel.entries[i].code_a, b.on_field[i].setting_1);
            EXPECT_EQ(sel.entries[i].position_role, b.on_field[i].setting_2);
        }
        for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(sel.interchange[i], b.bench[i]);
        for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(sel.zone_percent[i], b.zone_lines[i]);
        for (int32_t k = 0; k < 4; ++k) EXPECT_EQ(sel.key_men[k], b.role_slots[k]);
        EXPECT_EQ(sel.key_man_e, b.role_slots[4]);
        EXPECT_EQ(sel.captain, b.role6_slot);
    }
    EXPECT_EQ(team_selections[0].vice_captain, 19) << "role 7 on the bench";
    EXPECT_NE(team_selections[0].captain, team_selections[0].vice_captain);
    EXPECT_EQ(team_selections[1].vice_captain, SELECTION_NONE);
    const TeamSelection& sel = team_selections[0];
    EXPECT_EQ(sel.tactic_a, 1);
    EXPECT_EQ(sel.tactic_b, 0);
    EXPECT_EQ(sel.tactic_c, 1);
    EXPECT_EQ(sel.name_labels, 3u);
    EXPECT_EQ(sel.selection_extra, 2u);
    EXPECT_EQ(team_selections[0].behaviour_set, 1u);
    EXPECT_EQ(team_selections[1].behaviour_set, 0u);
}

} // namespace
