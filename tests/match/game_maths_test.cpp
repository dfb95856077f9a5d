#include "match/game_maths.h"
#include "host/host_test_hooks.h"

#include "match/two_teams.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

TEST(SineTable, IsTruncatedAndTheCosineReadsOnQuarterTurn)
{
    EXPECT_EQ(sine_table[0], 0);
    EXPECT_EQ(sine_table[2], 12); // 12.56 truncated, not rounded
    EXPECT_EQ(sine_table[64], 256);
    EXPECT_EQ(sine_table[128], 0);
    EXPECT_EQ(sine_table[192], -256);
    EXPECT_EQ(sine_table[190], -255); // -255.6 truncated toward zero
    EXPECT_EQ(sine_table[319], sine_table[63]);
}

TEST(FixedTrig, ScalesByTheTableWithAnArithmeticShift)
{
    struct Case {
        uint8_t angle;
        int32_t r, sin, cos;
    } cases[] = {
        {64, 1000, 1000, 0},
        {2, 1000, 46, 996},      // 12 * 1000 >> 8, 255 * 1000 >> 8
        {2, -1000, -47, -997},   // the shift rounds toward minus infinity
        {0, 1000, 0, 1000},
        {128, 1000, 0, -1000},
        {192, 65536, -65536, 0},
        {32, 2000000000, 1414062500, 1414062500}, // a product beyond 32 bits
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fixed_sin(c.angle, c.r), c.sin) << int(c.angle) << " " << c.r;
        EXPECT_EQ(fixed_cos(c.angle, c.r), c.cos) << int(c.angle) << " " << c.r;
    }
    EXPECT_EQ(fixed_sin16(64, -340), -340);
    EXPECT_EQ(fixed_cos16(128, 340), -340);
}

TEST(VectorAngle, PointsAlongYAtZeroAndTurnsClockwiseThroughX)
{
    struct Case {
        int32_t dx, dy;
        uint16_t angle;
    } cases[] = {
        {0, 1, 0},    {1, 0, 64},     {0, -1, 128}, {-1, 0, 192}, {0, 0, 0},
        {1, 1, 32},   {-1, -1, 160},  {1, -1, 96},  {-1, 1, 224}, {-1000, 1, 192},
        {-1, -1000000, 128}, // just short of -y: 127.99 rounds to 128
        {1000, 2000, 19},    // 18.89
    };
    for (const Case& c : cases)
        EXPECT_EQ(vector_angle(c.dx, c.dy), c.angle) << c.dx << "," << c.dy;
}

// The table of tangents answers exactly as the rounded arctangent, or not at
// all: every small offset, offsets along the half steps' own lines, and the
// extremes of 32 bits.
TEST(VectorAngle, TheTangentTableAgreesWithTheArctangent)
{
    const auto arctangent = [](int32_t dx, int32_t dy) {
        const double a = std::atan2(static_cast<double>(dx), static_cast<double>(dy)) * 40.74366543152521;
        return static_cast<int32_t>(static_cast<uint32_t>(std::lrint(a)) & 255u);
    };
    int32_t unsure = 0;
    const auto check = [&](int32_t dx, int32_t dy) {
        const int32_t quick = byte_angle_quick(dx, dy);
        if (quick < 0)
            ++unsure;
        else
            ASSERT_EQ(quick, arctangent(dx, dy)) << dx << "," << dy;
        ASSERT_EQ(vector_angle(dx, dy), arctangent(dx, dy)) << dx << "," << dy;
    };
    for (int32_t dx = -300; dx <= 300; ++dx)
        for (int32_t dy = -300; dy <= 300; ++dy)
            check(dx, dy);
    EXPECT_LT(unsure, 100) << "the table answers nearly everything itself";
    // Points on and beside the line of each half step, far out.
    for (int j = 0; j < 256; ++j) {
        const double a = (j + 0.5) * 2.0 * std::numbers::pi / 256.0;
        for (const double r : {1e4, 3e6, 2e9})
            for (int d = -2; d <= 2; ++d)
                check(static_cast<int32_t>(std::lround(r * std::sin(a))) + d, static_cast<int32_t>(std::lround(r * std::cos(a))));
    }
    const int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX};
    for (const int32_t dx : extremes)
        for (const int32_t dy : extremes)
            check(dx, dy);
}

TEST(Lengths, ExactRoundsAndTheFastOneTakesHalfTheShorterSide)
{
    EXPECT_EQ(vector_length(3, 4), 5);
    EXPECT_EQ(vector_length(1, 1), 1);
    EXPECT_EQ(vector_length(2, 3), 4); // 3.61
    EXPECT_EQ(vector_length(-30000, 40000), 50000);
    EXPECT_EQ(vector_length(46341, 46341), 65536); // squares beyond 32 bits
    EXPECT_DOUBLE_EQ(vector_length_f(3.0, 4.0), 5.0);

    EXPECT_EQ(approx_vector_length(3, 4), 6);
    EXPECT_EQ(approx_vector_length(-3, 4), 6);
    EXPECT_EQ(approx_vector_length(5, -5), 8);
    EXPECT_EQ(approx_vector_length(0, 0), 0);
}

TEST(IntegerHelpers, SignModuloAndClamp)
{
    EXPECT_EQ(int_abs(-7), 7);
    EXPECT_EQ(int_sign(-5), -1);
    EXPECT_EQ(int_sign(0), 0);
    EXPECT_EQ(int_sign(9), 1);
    EXPECT_EQ(int_mod(-7, 3), -1); // the sign of v
    EXPECT_EQ(int_mod(7, 3), 1);
    EXPECT_EQ(clamp16(40000), 32767);
    EXPECT_EQ(clamp16(-40000), -32768);
    EXPECT_EQ(angle_diff(10, 250), 16);
    EXPECT_EQ(angle_diff(250, 10), -16);
}

TEST(RotateByOctant, QuarterAndEighthTurns)
{
    struct Case {
        int32_t a, b;
        int8_t code;
        int32_t ra, rb;
    } cases[] = {
        {3, 5, 0, 5, -3},      {3, 5, 2, 5, -3},     {3, 5, -2, -5, 3},
        {256, 256, 1, 362, 0}, {256, 256, -1, 0, 362}, {-1, 0, 1, -1, -1}, // arithmetic shifts
    };
    for (const Case& c : cases) {
        int32_t a = c.a, b = c.b;
        rotate_by_octant(&a, &b, c.code);
        EXPECT_EQ(a, c.ra) << c.a << "," << c.b << " code " << int(c.code);
        EXPECT_EQ(b, c.rb) << c.a << "," << c.b << " code " << int(c.code);
    }
}

TEST(GameRandom, EightShiftRegisterStepsADraw)
{
    struct Case {
        uint32_t state, first, second;
    } cases[] = {
        {0x00000001u, 0x00000100u, 0x00010000u}, // no top bit: plain shifts
        {0x80000000u, 0x76B55380u, 0x9F1DA882u},
        {0xFFFFFFFFu, 0xA482BB9Du, 0xEA1630FCu},
        {0x12345678u, 0x3B5A073Eu, 0x4F202A41u},
        {0xDEADBEEFu, 0xEB8395DAu, 0xD58B9E71u},
    };
    for (const Case& c : cases) {
        match_globals.random_state_a = c.state;
        match_globals.random_state_b = 0x55u;
        EXPECT_EQ(game_random(), c.first);
        EXPECT_EQ(game_random(), c.second);
        EXPECT_EQ(match_globals.random_state_a, c.second);
        EXPECT_EQ(match_globals.random_state_b, 0x55u) << "the two generators share no state";

        match_globals.random_state_b = c.state;
        EXPECT_EQ(game_random_b(), c.first);
    }
    // A zero state is stuck for good, which is why seeding avoids it.
    EXPECT_EQ(random_step(0), 0u);
}

TEST(GameRandom, SeedingNeverLeavesAZeroState)
{
    // This seed makes the C runtime's first rand() answer 0; its second is 38.
    host_srand(2708534849u);
    seed_game_random();
    EXPECT_EQ(match_globals.random_state_a, 38u);
    EXPECT_EQ(match_globals.random_state_b, 38u);
    EXPECT_NE(game_random(), 0u);

    host_srand(1);
    seed_game_random();
    EXPECT_EQ(match_globals.random_state_a, 41u); // rand() after srand(1)
}

TEST(Sorts, AscendingKeysCarryTheirValuesAndKeepTiesInOrder)
{
    int16_t keys16[] = {5, -3, 5, 0, -3, 7};
    uint32_t values16[] = {10, 11, 12, 13, 14, 15};
    sort_by_key16(values16, keys16, 6);
    EXPECT_EQ((std::vector<int16_t>(keys16, keys16 + 6)), (std::vector<int16_t>{-3, -3, 0, 5, 5, 7}));
    EXPECT_EQ((std::vector<uint32_t>(values16, values16 + 6)), (std::vector<uint32_t>{11, 14, 13, 10, 12, 15}));

    int32_t keys32[] = {100000, -100000, 0};
    uint32_t values32[] = {1, 2, 3};
    sort_by_key32(values32, keys32, 2); // only the first two take part
    EXPECT_EQ((std::vector<int32_t>(keys32, keys32 + 3)), (std::vector<int32_t>{-100000, 100000, 0}));
    EXPECT_EQ((std::vector<uint32_t>(values32, values32 + 3)), (std::vector<uint32_t>{2, 1, 3}));

    sort_by_key32(values32, keys32, 0);
    sort_by_key32(values32, keys32, 1);
    EXPECT_EQ(values32[0], 2u);
}

// The counting sort must leave exactly the insertion sort's order, ties too,
// for lists of every length it takes and for the longer ones it passes on.
TEST(Sorts, CountingPlacesGiveTheSameOrderAsInserting)
{
    uint32_t state = 12345;
    const auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 16; };
    for (const int count : {0, 1, 2, 3, 17, 44, 63, 64, 65, 90})
        for (const int spread : {3, 40, 65536}) {
            std::vector<int16_t> keys(count);
            std::vector<int> values(count);
            for (int i = 0; i < count; ++i) {
                keys[i] = static_cast<int16_t>(static_cast<int32_t>(next() % spread) - spread / 2);
                values[i] = i;
            }
            std::vector<int16_t> keys_b = keys;
            std::vector<int> values_b = values;
            rank_sort_by_key(values.data(), keys.data(), count);
            bubble_sort_by_key(values_b.data(), keys_b.data(), count);
            EXPECT_EQ(keys, keys_b) << count << " keys in " << spread;
            EXPECT_EQ(values, values_b) << count << " keys in " << spread;
        }
}

TEST(ManIsBusy, AnyBusyMarkMakesHimBusy)
{
    set_up_two_teams(22);
    struct Case {
        const char* what;
        void (*mark)(PlayerSlot&);
        int32_t busy;
    } cases[] = {
        {"free", [](PlayerSlot&) {}, 0},
        {"in a contest", [](PlayerSlot& m) { m.man_flags = MAN_IN_CONTEST; }, 1},
        {"flag 0x80", [](PlayerSlot& m) { m.man_flags = MAN_BUSY; }, 1},
        {"flag 0x2000", [](PlayerSlot& m) { m.man_flags = MAN_BUSY_B; }, 1},
        {"out of play only", [](PlayerSlot& m) { m.man_flags = MAN_OUT_OF_PLAY; }, 0},
        {"action 9", [](PlayerSlot& m) { m.action = 9; }, 1},
        {"action 23", [](PlayerSlot& m) { m.action = 23; }, 1},
        {"action 10", [](PlayerSlot& m) { m.action = 10; }, 0},
        {"on the bench", [](PlayerSlot& m) { m.busy_flag = 1; }, 1},
        {"set-play hold", [](PlayerSlot& m) { m.hold_countdown = 3; }, 1},
    };
    for (const Case& c : cases) {
        PlayerSlot man{};
        c.mark(man);
        EXPECT_EQ(man_is_busy(&man), c.busy) << c.what;
    }
}

TEST(TakeProposal, MakesItTheActionAndEndsADetour)
{
    set_up_two_teams(22);
    PlayerSlot& man = team_records[0].slots[3];
    PlayerSlot& target = team_records[1].slots[5];
    man.proposals[1] = {55, &target, 77, -1200, 3400, 1400};
    man.detour_active = 1;
    EXPECT_EQ(take_proposal(&man, 1), &man);
    EXPECT_EQ(man.action, 55);
    EXPECT_EQ(man.target_man, &target);
    EXPECT_EQ(man.action_arg, 77);
    EXPECT_EQ(man.target_x, -1200);
    EXPECT_EQ(man.target_y, 3400);
    EXPECT_EQ(man.action_priority, 1400);
    EXPECT_EQ(man.detour_active, 0u);
}

class OccupancyGrids : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_up_two_teams(6);
        list_active_men(6);
        match_globals.grid_parity = 1;
        for (TeamRecord& team : team_records)
            for (PlayerSlot& man : team.slots)
                man.busy_flag = 1; // off the grids unless a case places him
    }
    PlayerSlot& place(int team, int slot, int16_t x, int16_t y)
    {
        PlayerSlot& man = team_records[team].slots[slot];
        man.busy_flag = 0;
        man.x = x;
        man.y = y;
        return man;
    }
};

TEST_F(OccupancyGrids, CellsFromThePositionWithTheEdgesHeld)
{
    struct Case {
        int16_t x, y;
        uint16_t col, row;
    } cases[] = {
        {0, 0, 64, 32},       {511, 511, 64, 32},   {-511, -511, 64, 32}, // toward zero
        {512, -512, 65, 31},  {32767, 0, 127, 32},  {-32768, -32768, 0, 0},
        {32256, 32767, 127, 63}, {-24576, 16384, 16, 63},
    };
    for (const Case& c : cases) {
        PlayerSlot& man = place(0, 0, c.x, c.y);
        update_occupancy_grids();
        EXPECT_EQ(man.grid_col, c.col) << c.x << "," << c.y;
        EXPECT_EQ(man.grid_row, c.row) << c.x << "," << c.y;
        EXPECT_EQ(occupancy_grid[0][c.row][c.col], 1);
        EXPECT_EQ(occupancy_men[0][c.row][c.col][0], &man);
    }
}

TEST_F(OccupancyGrids, EachSideCountsInItsOwnGridAndAFifthManIsNotStored)
{
    PlayerSlot* first[5];
    for (int i = 0; i < 5; ++i)
        first[i] = &place(0, i, static_cast<int16_t>(100 + i), 100);
    PlayerSlot& other_side = place(1, 0, 100, 100);
    PlayerSlot& both = place(1, 1, 100, 100);
    both.man_flags = MAN_IN_BOTH_GRIDS;
    PlayerSlot& out_of_contests = place(1, 2, 100, 100);
    out_of_contests.man_flags2 = MAN2_NO_CONTEST;
    update_occupancy_grids();

    EXPECT_EQ(occupancy_grid[0][32][64], 5 + 16);
    EXPECT_EQ(occupancy_grid[1][32][64], 1 + 16);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(occupancy_men[0][32][64][i], first[i]);
    EXPECT_EQ(occupancy_men[1][32][64][0], &other_side);
}

TEST_F(OccupancyGrids, DrawsOneRandomNumberATickUntilAnOddOne)
{
    match_globals.grid_parity = 0;
    match_globals.random_state_a = 0x00000001u; // draws 0x100, 0x10000, 0x1000000, then an odd one
    const uint32_t draws[] = {0x00000100u, 0x00010000u, 0x01000000u, 0x00ED6AA7u};
    for (int tick = 0; tick < 4; ++tick) {
        EXPECT_EQ(match_globals.grid_parity, 0) << "tick " << tick;
        update_occupancy_grids();
        EXPECT_EQ(match_globals.random_state_a, draws[tick]) << "one draw on tick " << tick;
    }
    EXPECT_EQ(match_globals.grid_parity, 1);
    update_occupancy_grids();
    EXPECT_EQ(match_globals.random_state_a, 0x00ED6AA7u) << "once odd, no more draws";
}

} // namespace
