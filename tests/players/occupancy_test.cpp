#include "match/two_teams.h"

#include "match/game_maths.h"
#include "match/proposals.h"
#include "players/occupancy.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class OccupancyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_up_two_teams(22);
        list_active_men(18);
        match_globals.difficulty = 50;
        // Everybody far away unless a test moves him.
        for (TeamRecord& t : team_records)
            for (PlayerSlot& m : t.slots) {
                m.x = t.side == 1 ? -20000 : 20000;
                m.y = static_cast<int16_t>(m.number * 600 - 6000);
            }
    }
    PlayerSlot* man(int team, int n) { return &team_records[team].slots[n]; }
    void place(PlayerSlot* m, int x, int y)
    {
        m->x = static_cast<int16_t>(x);
        m->y = static_cast<int16_t>(y);
    }
};

TEST_F(OccupancyTest, PatternScanCountsOpponentsAndFlagsCellsOffTheGrid)
{
    std::memset(occupancy_grid, 0, sizeof occupancy_grid);
    PlayerSlot* m = man(1, 0); // side 2: reads the side-1 grid
    const int g = grid_of_side(1);
    m->grid_col = 127;
    m->grid_row = 0;
    occupancy_grid[g][1][127] = 2;        // two men one row up
    occupancy_grid[g][0][126] = 1 | 0x20; // one man, two men in both grids
    const int32_t s = scan_grid_pattern(m, neighbour_pattern, 0);
    EXPECT_EQ(s & 0x0F, 3);
    EXPECT_EQ(static_cast<uint32_t>(s) & SCAN_OFF_X, SCAN_OFF_X);
    EXPECT_EQ(static_cast<uint32_t>(s) & SCAN_OFF_Y, SCAN_OFF_Y);
    EXPECT_EQ(static_cast<uint32_t>(s) & SCAN_CROWDED, SCAN_CROWDED);
    // Mode 1 starts from eight times his own cell's byte.
    m->grid_col = 60;
    m->grid_row = 30;
    occupancy_grid[g][30][60] = 1;
    EXPECT_EQ(scan_grid_pattern(m, neighbour_pattern, 1), 8);
    // A single man flagged in both grids is not crowded.
    occupancy_grid[g][31][60] = 0x10;
    EXPECT_EQ(scan_grid_pattern(m, neighbour_pattern, 0) & SCAN_CROWDED, 0);
}

TEST_F(OccupancyTest, CellQueriesOffTheGrid)
{
    std::memset(occupancy_grid, 0, sizeof occupancy_grid);
    occupancy_grid[0][5][6] = 0x23;
    EXPECT_EQ(grid_cell_count(0, 6, 5), 2);
    EXPECT_EQ(grid_cell_low(0, 6, 5), 3);
    EXPECT_EQ(grid_cell_count(0, -1, 5), 0);
    EXPECT_EQ(grid_cell_low(0, 128, 5), 1);
    EXPECT_EQ(grid_cell_low(0, 6, 64), 1);
}

TEST_F(OccupancyTest, NearestManAheadWrapsRoundTheTurn)
{
    PlayerSlot* me = man(0, 0);
    PlayerSlot* other = man(1, 0);
    place(me, 0, 0);
    me->ball_distance = 2000;
    me->angle_to_ball = 0; // ball along +y
    match_globals.active_men[0] = other;
    match_globals.active_men[1] = me;
    match_globals.active_distance[0] = 500;
    struct Case {
        int x, y;
        uint8_t his_facing;
        bool found;
    } cases[] = {
        {20, 400, 250, true},   // at angle ~3, he faces 250: across the wrap
        {20, 400, 200, false},  // he faces away
        {0, 100, 0, false},     // inside 128
        {0, 800, 0, false},     // beyond 768
        {400, 0, 64, false},    // 64 off the man's line to the ball
    };
    for (const Case& c : cases) {
        place(other, c.x, c.y);
        other->facing = c.his_facing;
        EXPECT_EQ(find_nearest_man(me) == other, c.found) << c.x << "," << c.y << " facing " << int(c.his_facing);
    }
    // A man in the window whose ball distance is above 1280 ends the search.
    place(other, 20, 400);
    other->facing = 0;
    match_globals.active_distance[0] = 1300;
    EXPECT_EQ(find_nearest_man(me), nullptr);
}

TEST_F(OccupancyTest, QuotasByDifficultyAndHumanTeams)
{
    struct Case {
        uint8_t difficulty;
        uint8_t d;
    } cases[] = {{0, 1}, {49, 1}, {50, 2}, {99, 2}, {100, 3}};
    team_records[1].human_count = 1;
    team_records[1].ruck_contest_count = 21;
    for (const Case& c : cases) {
        match_globals.difficulty = c.difficulty;
        reset_action_quotas();
        const uint8_t want_computer[8] = {c.d, 1, c.d, c.d, 1, 1, c.d, c.d};
        const uint8_t want_human[8] = {21, 1, 1, 2, 1, 1, 3, 2};
        EXPECT_EQ(0, std::memcmp(team_records[0].action_quotas, want_computer, 8)) << int(c.difficulty);
        EXPECT_EQ(0, std::memcmp(team_records[1].action_quotas, want_human, 8));
    }
}

TEST_F(OccupancyTest, ProposalBlockedWhenItsQuotaIsSpent)
{
    match_globals.difficulty = 0;
    reset_action_quotas();
    PlayerSlot* a = man(0, 1);
    PlayerSlot* b = man(0, 2);
    auto post = [](PlayerSlot* m, uint16_t action) {
        m->proposal_count = 0;
        post_man_message(m, action, nullptr, 0, 0, 0, 10);
    };
    // Leads and bumps: blocked while nobody shepherds, even with quota left.
    post(a, 46);
    EXPECT_EQ(action_proposal_blocked(a, 0, 1), 1);
    match_globals.shepherd_man = b;
    EXPECT_EQ(action_proposal_blocked(a, 0, 1), 0);
    EXPECT_EQ(action_proposal_blocked(a, 0, 1), 1);
    // A contact action: one for the team at difficulty 0; a test without
    // commit leaves the quota.
    post(a, 60);
    post(b, 69);
    EXPECT_EQ(action_proposal_blocked(a, 0, 0), 0);
    EXPECT_EQ(action_proposal_blocked(b, 0, 1), 0);
    EXPECT_EQ(action_proposal_blocked(a, 0, 1), 1);
    // The other team's quota is its own; unlimited actions never block.
    post(man(1, 0), 60);
    EXPECT_EQ(action_proposal_blocked(man(1, 0), 0, 1), 0);
    for (uint16_t action : {0, 1, 6, 72, 80}) {
        post(a, action);
        EXPECT_EQ(action_proposal_blocked(a, 0, 1), 0) << action;
    }
}

TEST_F(OccupancyTest, ClearSpotAheadMovesAwayFromTheOpponent)
{
    match_globals.difficulty = 100; // r = 1280: 40 steps of 64 across
    PlayerSlot* me = man(1, 0);
    place(me, 0, 0);
    me->facing = 64; // toward +x; his left is +y, the steps run toward -y
    PlayerSlot* opp = man(0, 0);
    match_globals.active_men[0] = opp;
    match_globals.active_men_count = 1;
    place(opp, 0, -1200); // on the right-hand end of the sweep
    int32_t x = 5000, y = 0;
    find_clear_spot_ahead(me, &x, &y);
    EXPECT_EQ(x, 5000);
    EXPECT_GT(y, 1000); // the far left end, away from him
    // Nobody near: every step is equally clear and the first wins.
    place(opp, 0, -20000);
    x = 5000;
    y = 0;
    find_clear_spot_ahead(me, &x, &y);
    EXPECT_EQ(y, 1280);
}

TEST_F(OccupancyTest, AnglesToBallAndPreviousActions)
{
    ball_state.x = 1000 << 16;
    ball_state.y = 0;
    place(man(0, 0), 0, 0);
    man(0, 0)->action = 23;
    place(&official_slots[0], 1000, -1000);
    update_angles_to_ball();
    remember_previous_actions();
    EXPECT_EQ(man(0, 0)->angle_to_ball, 64);
    EXPECT_EQ(official_slots[0].angle_to_ball, 0);
    EXPECT_EQ(man(0, 0)->previous_action, 23);
}

} // namespace

namespace {
// Every pattern ends with (127, 127) within its table.
TEST(OccupancyPatterns, EveryTableIsTerminated)
{
    auto terminated = [](const int8_t* p, int size) {
        for (int i = 0; i + 1 < size; i += 3)
            if (p[i] == 127 && p[i + 1] == 127)
                return true;
        return false;
    };
    for (int s = 0; s < 2; ++s) {
        EXPECT_TRUE(terminated(ahead_pattern[s], 66));
        EXPECT_TRUE(terminated(pressure_ahead_pattern[s], 140));
        for (int k = 0; k < 3; ++k) EXPECT_TRUE(terminated(run_patterns[s][k], 48));
    }
}
} // namespace
