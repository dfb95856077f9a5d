#include "league/team_lineups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

class TeamLineups : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        reset_lineups_and_formations();
    }
    void TearDown() override
    {
        reset_lineups_and_formations();
    }
};

TEST_F(TeamLineups, DefaultFormationStandsAsBuilt)
{
    const TeamLineup& f = default_formation;
    EXPECT_EQ(f.version, 1);
    EXPECT_STREQ(f.name, "Default Formation");
    EXPECT_EQ(f.zone_y[0], -40);
    EXPECT_EQ(f.zone_x[3], 150);
    EXPECT_EQ(f.entries[0].x, -175);
    EXPECT_EQ(f.entries[17].setting2, 9);
    EXPECT_EQ(f.entries[22].player, 40);
    EXPECT_EQ(f.entries[23].player, 41);
    EXPECT_EQ(f.entries[18].x, -1);
    // 40 and 41 stand on the hidden bench places and among the reserves too.
    EXPECT_EQ(f.entries[42].player, 40);
    EXPECT_EQ(f.entries[43].player, 41);
    EXPECT_TRUE(lineup_is_valid(f));
}

TEST_F(TeamLineups, ANewGameGivesEveryTeamItsSheetAndTheRestAsReserves)
{
    for (int t = 0; t < LEAGUE_TEAMS; ++t) {
        const TeamLineup& l = team_lineups[t];
        for (int i = 0; i < SQUAD_POSITIONS; ++i)
            EXPECT_EQ(l.entries[i].player, default_team_sheets[t][i] - 1);
        // Reserves in increasing order, every player not in the first 22.
        for (int i = LINEUP_RESERVE_FIRST + 1; i < LINEUP_ENTRIES; ++i)
            EXPECT_LT(l.entries[i - 1].player, l.entries[i].player);
        for (int32_t p = 0; p < LEAGUE_PLAYERS; ++p) {
            bool first22 = false, reserve = false;
            for (int i = 0; i < 22; ++i)
                first22 |= l.entries[i].player == p;
            for (int i = LINEUP_RESERVE_FIRST; i < LINEUP_ENTRIES; ++i)
                reserve |= l.entries[i].player == p;
            EXPECT_NE(first22, reserve) << "team " << t << " player " << p;
        }
        EXPECT_TRUE(lineup_is_valid(l));
        EXPECT_EQ(0, std::memcmp(team_role_rows[t], default_role_rows[t], sizeof team_role_rows[t]));
    }
    for (const TeamLineup& slot : formation_slots) {
        EXPECT_STREQ(slot.name, "Empty Formation Slot");
        EXPECT_EQ(slot.entries[5].x, default_formation.entries[5].x);
    }
}

TEST_F(TeamLineups, SwapsExchangeTheFirstEntriesAndNeedBothPlayers)
{
    struct Case {
        int32_t a, b;
        int team;
        int entry_a, entry_b; // -1: nothing changes
    } cases[] = {
        {0, 30, 3, 0, 32},   // on the ground with a reserve (reserves start at 22)
        {18, 5, 12, 18, 5},  // bench and ground
        {22, 2, 6, 22, 2},   // the hidden bench place comes before the reserve
        {7, 99, 3, -1, -1},  // b absent: nothing
        {99, 7, 3, -1, -1},  // a absent: nothing
    };
    for (const Case& c : cases) {
        reset_lineups_and_formations();
        TeamLineup before = team_lineups[c.team];
        swap_players_in_lineup(team_lineups[c.team], c.a, c.b);
        const TeamLineup& after = team_lineups[c.team];
        if (c.entry_a < 0) {
            EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before)) << c.a << "," << c.b;
            continue;
        }
        EXPECT_EQ(after.entries[c.entry_a].player, c.b);
        EXPECT_EQ(after.entries[c.entry_b].player, c.a);
        EXPECT_EQ(after.entries[c.entry_a].x, before.entries[c.entry_a].x) << "positions stay";
    }
}

struct RoleCase {
    const char* what;
    int32_t roles[TEAM_ROLES];
    int32_t interchanges;
    int32_t expect[TEAM_ROLES];
};

// Over the default line-up: entries 0-17 hold players 0-17 (roles 1..18
// counted from 1), the bench players 18-21 then 40, 41.
const RoleCase role_cases[] = {
    {"valid roles stay", {10, 9, 18, 4, 11, 8, 14}, 4, {10, 9, 18, 4, 11, 8, 14}},
    // Roles 1 and 3 name one man: role 1 comes first in the order 1,4,2,5,3,
    // so role 3 takes the first on-field man none of 1-5 holds.
    {"one man in two roles", {10, 9, 10, 4, 11, 8, 0}, 4, {10, 9, 1, 4, 11, 8, 0}},
    // Role 4 (checked second) and role 2 (third): role 4 keeps him.
    {"order decides", {10, 4, 18, 4, 11, 8, 0}, 4, {10, 1, 18, 4, 11, 8, 0}},
    {"a holder on the bench is replaced", {19, 9, 18, 4, 11, 8, 0}, 4, {1, 9, 18, 4, 11, 8, 0}},
    {"role 6 on the bench within the count", {10, 9, 18, 4, 11, 21, 0}, 4, {10, 9, 18, 4, 11, 21, 0}},
    {"role 6 past the bench count", {10, 9, 18, 4, 11, 21, 0}, 2, {10, 9, 18, 4, 11, 1, 0}},
    {"role 6 empty takes the first position", {10, 9, 18, 4, 11, 0, 0}, 4, {10, 9, 18, 4, 11, 1, 0}},
    {"roles 6 and 7 equal", {10, 9, 18, 4, 11, 8, 8}, 4, {10, 9, 18, 4, 11, 8, 0}},
    // Role 6 empties, then takes the first position, whom role 7 already
    // names: role 7 goes rather than name one man twice.
    {"role 6 filled onto role 7's man", {10, 9, 18, 4, 11, 30, 1}, 4, {10, 9, 18, 4, 11, 1, 0}},
    {"all empty", {0, 0, 0, 0, 0, 0, 0}, 4, {1, 3, 5, 2, 4, 1, 0}},
};

TEST_F(TeamLineups, RolesAreMadeValidForTheLineup)
{
    for (const RoleCase& c : role_cases) {
        std::memcpy(current_roles, c.roles, sizeof current_roles);
        assign_team_roles(default_formation, c.interchanges);
        for (int k = 0; k < TEAM_ROLES; ++k)
            EXPECT_EQ(current_roles[k], c.expect[k]) << c.what << ", role " << k + 1;
    }
}

TEST_F(TeamLineups, StoredRolesFollowTheTeamsOwnLineup)
{
    // A team past the ten formation slots, with its role 1 holder moved to
    // the reserves of its own line-up.
    team_role_rows[14][0] = 10; // player 9 (from 0)
    swap_players_in_lineup(team_lineups[14], 9, 30);
    load_team_roles(14);
    store_team_roles(14, 4);
    EXPECT_NE(team_role_rows[14][0], 10);
    bool on_ground = false;
    for (int i = 0; i < LINEUP_ON_FIELD; ++i)
        on_ground |= team_lineups[14].entries[i].player == team_role_rows[14][0] - 1;
    EXPECT_TRUE(on_ground);
}

TEST_F(TeamLineups, UnusableLineupsAreRefused)
{
    struct Case {
        const char* what;
        void (*spoil)(TeamLineup&);
    } cases[] = {
        {"player past the squad", [](TeamLineup& l) { l.entries[30].player = 42; }},
        {"negative player", [](TeamLineup& l) { l.entries[20].player = -1; }},
        {"first setting too low", [](TeamLineup& l) { l.entries[3].setting1 = 1; }},
        {"second setting too high", [](TeamLineup& l) { l.entries[17].setting2 = 13; }},
        {"name without an end", [](TeamLineup& l) { std::memset(l.name, 'x', sizeof l.name); }},
    };
    for (const Case& c : cases) {
        TeamLineup l = default_formation;
        c.spoil(l);
        EXPECT_FALSE(lineup_is_valid(l)) << c.what;
    }
    TeamLineup dup = default_formation; // the default itself names 40 and 41 twice
    EXPECT_TRUE(lineup_is_valid(dup));
}

} // namespace
