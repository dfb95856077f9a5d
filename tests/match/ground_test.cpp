#include "match/ground.h"

#include "match/game_maths.h"
#include "platform/controllers.h"
#include "match/two_teams.h"

#include <gtest/gtest.h>

namespace {

TEST(BoundaryTables, ExtentsOfTheOvalAndBeyondItsEnds)
{
    struct Case {
        int32_t at;
        int16_t half_width;
    } widths[] = {
        {0, 16384}, {15, 16384}, {12288, 14189}, {-12288, 14189}, {20000, 9521}, {24576, 0},
        {26624, 0}, {-26624, 0}, {32767, 0}, // the fence, beyond the table's end
    };
    for (const Case& c : widths)
        EXPECT_EQ(boundary_half_width(c.at), c.half_width) << c.at;

    struct LengthCase {
        int32_t at;
        int16_t half_length;
    } lengths[] = {
        {0, 24576}, {8192, 21283}, {15000, 9913}, {16384, 0}, {17920, 0}, {-32768, 0},
    };
    for (const LengthCase& c : lengths)
        EXPECT_EQ(boundary_half_length(c.at), c.half_length) << c.at;
}

TEST(InField, TheOvalIncludesItsEdge)
{
    struct Case {
        int16_t x, y;
        int32_t in, in_margin;
    } cases[] = {
        {24576, 0, 1, 1},  {0, 16384, 1, 1},   {24577, 0, 0, 1},      {-24577, 0, 0, 1},
        {0, -16385, 0, 1}, {17378, 11585, 1, 1}, {17378, 11586, 0, 1}, {25856, 0, 0, 1},
        {25857, 0, 0, 0},  {0, 17665, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(in_field(c.x, c.y), c.in) << c.x << "," << c.y;
        EXPECT_EQ(in_field_margin(c.x, c.y), c.in_margin) << c.x << "," << c.y;
    }
}

TEST(ClampToField, MovesPointsOntoTheOval)
{
    struct Case {
        int16_t x, y, cx, cy;
    } cases[] = {
        {30000, 0, 24576, 0},
        {-30000, 0, -24576, 0},
        {0, -16384, 0, -16384}, // the edges themselves stay
        {0, 16384, 0, 16384},
        {0, -20000, 0, -16384},
        {0, 20000, 0, 16384},
        {-20000, 15000, -20000, 9521}, // off the middle line y goes first
        {24000, 5000, 23407, 5000},         // near it x goes first
        {1000, 1000, 1000, 1000},           // inside: untouched
        {-32768, -32768, -24576, 0}, // held to the box, then y onto the end
    };
    for (const Case& c : cases) {
        int16_t x = c.x, y = c.y;
        clamp_to_field(&x, &y);
        EXPECT_EQ(x, c.cx) << c.x << "," << c.y;
        EXPECT_EQ(y, c.cy) << c.x << "," << c.y;
    }
}

// Two men: a runner and the man in his way.
class Avoidance : public ::testing::Test {
protected:
    PlayerSlot& runner = team_records[0].slots[0];
    PlayerSlot& other = team_records[1].slots[0];

    void SetUp() override
    {
        set_up_two_teams(22);
        runner.x = runner.y = 0;
        runner.target_x = 3000;
        runner.target_y = 0;
        runner.wanted_facing = 64;
        runner.speed = 20;
        other.x = 1000;
        other.y = 0;
    }
};

TEST_F(Avoidance, AStandingManIsPassedOnTheShorterSide)
{
    avoid_collision_with(&runner, &other);
    ASSERT_EQ(runner.detour_active, 1u);
    EXPECT_EQ(runner.saved_target_x, 3000);
    EXPECT_EQ(runner.saved_target_y, 0);
    // Both ways are as long: the second candidate.
    EXPECT_EQ(runner.target_x, 1000);
    EXPECT_EQ(runner.target_y, -340);
    EXPECT_EQ(runner.move_dx, 1000);
    EXPECT_EQ(runner.move_dy, -340);
    EXPECT_EQ(runner.wanted_facing, 77);

    SetUp();
    runner.target_y = 100;
    avoid_collision_with(&runner, &other);
    EXPECT_EQ(runner.target_y, 340);
}

TEST_F(Avoidance, OnlyMenBetween512And2560AwayAreChecked)
{
    struct Case {
        int16_t distance;
        uint32_t detour;
    } cases[] = {{511, 0}, {512, 1}, {2560, 1}, {2561, 0}};
    for (const Case& c : cases) {
        SetUp();
        runner.target_x = 6000;
        other.x = c.distance;
        avoid_collision_with(&runner, &other);
        EXPECT_EQ(runner.detour_active, c.detour) << c.distance;
    }
    SetUp();
    runner.man_flags = MAN_BUSY;
    avoid_collision_with(&runner, &other);
    EXPECT_EQ(runner.detour_active, 0u);
    SetUp();
    runner.speed = 0;
    avoid_collision_with(&runner, &other);
    EXPECT_EQ(runner.detour_active, 0u);
}

TEST_F(Avoidance, CrossingPathsMeetByTheLawOfSines)
{
    runner.target_x = 4000;
    other.x = other.y = 1000;
    other.wanted_facing = 128; // running down across the runner's path
    other.speed = 20;
    other.target_x = 1000;
    other.target_y = -3000;
    avoid_collision_with(&runner, &other);
    // Both reach (1000, 1) after 999 units; the detour passes it by 340.
    ASSERT_EQ(runner.detour_active, 1u);
    EXPECT_EQ(runner.detour_x, 1000);
    EXPECT_EQ(runner.detour_y, -339);
    EXPECT_EQ(last_detour_candidates().y[0], 341);

    // He gets there long before the runner: no clash.
    SetUp();
    runner.target_x = 4000;
    other.x = other.y = 1000;
    other.wanted_facing = 128;
    other.speed = 40;
    avoid_collision_with(&runner, &other);
    EXPECT_EQ(runner.detour_active, 0u);

    // Running away from the runner's path: no clash.
    SetUp();
    other.x = other.y = 1000;
    other.wanted_facing = 0;
    other.speed = 20;
    avoid_collision_with(&runner, &other);
    EXPECT_EQ(runner.detour_active, 0u);
}

TEST_F(Avoidance, AFasterManBehindGoesRoundOrFallsInBehind)
{
    runner.speed = 30;
    runner.target_x = 6000;
    other.wanted_facing = 64;
    other.speed = 10;
    other.target_x = 2000;
    avoid_collision_with(&runner, &other);
    // Caught after 33 ticks, 330 on from the other man.
    ASSERT_EQ(runner.detour_active, 1u);
    EXPECT_EQ(runner.target_x, 1330);
    EXPECT_EQ(runner.target_y, -340);

    // The other runs on past the runner's own target: fall in behind him.
    SetUp();
    runner.speed = 30;
    runner.target_x = 6000;
    runner.effort = 100;
    other.wanted_facing = 64;
    other.speed = 10;
    other.target_x = 8000;
    other.effort = 55;
    other.locomotion = 7;
    avoid_collision_with(&runner, &other);
    EXPECT_EQ(runner.detour_active, 0u);
    EXPECT_EQ(runner.effort, 55);
    EXPECT_EQ(runner.locomotion, 7u);
}

// Three men of the first team and one of the second, in the per-tick pass.
class AvoidancePass : public ::testing::Test {
protected:
    PlayerSlot& a = team_records[0].slots[0];
    PlayerSlot& b = team_records[0].slots[1];
    PlayerSlot& c = team_records[0].slots[2];
    PlayerSlot& d = team_records[1].slots[0];

    void SetUp() override
    {
        set_up_two_teams(3);
        list_active_men(3);
        match_globals.match_state = 10;
        run(a, 0, 0, 1000, 0);
        run(b, 2000, 0, 1100, 0);
        run(c, 0, 3000, 0, 5000);
        run(d, 5000, 5000, 700, 50);
        team_records[1].slots[1].x = team_records[1].slots[2].x = -9000;
    }
    static void run(PlayerSlot& man, int16_t x, int16_t y, int16_t tx, int16_t ty)
    {
        man.x = x;
        man.y = y;
        man.target_x = tx;
        man.target_y = ty;
        man.move_dx = static_cast<int16_t>(tx - x);
        man.move_dy = static_cast<int16_t>(ty - y);
    }
};

TEST_F(AvoidancePass, TheFirstOfTwoClashingTargetsStepsBack)
{
    update_collision_avoidance();
    EXPECT_EQ(a.heading_to_target, 64);
    EXPECT_EQ(a.avoiding, 1u);
    EXPECT_EQ(a.target_x, 720);
    EXPECT_EQ(a.target_y, 0);
    EXPECT_EQ(a.move_dx, 720);
    // B now clears A's new target; C is far from both.
    EXPECT_EQ(b.avoiding, 0u);
    EXPECT_EQ(b.target_x, 1100);
    EXPECT_EQ(c.avoiding, 0u);
    // The second team is not checked outside match state 4.
    EXPECT_EQ(d.target_x, 700);
    EXPECT_EQ(d.avoiding, 0u);
}

TEST_F(AvoidancePass, AfterAGoalEveryManIsChecked)
{
    match_globals.match_state = 4;
    update_collision_avoidance();
    EXPECT_EQ(a.target_x, 720);
    EXPECT_EQ(d.avoiding, 1u);
    EXPECT_NE(d.target_x, 700);
}

TEST_F(AvoidancePass, AManWhoseNewTargetIsWithinReachStopsAndFacesTheBall)
{
    a.arrive_radius = 200;
    run(a, 0, 0, 250, 0);
    run(b, 2000, 0, 260, 0);
    a.angle_to_ball = 99;
    update_collision_avoidance();
    EXPECT_EQ(a.arrived, 1u);
    EXPECT_EQ(a.target_x, 0);
    EXPECT_EQ(a.move_dx, 0);
    EXPECT_EQ(a.wanted_facing, 99);

    SetUp();
    a.arrive_radius = 200;
    run(a, 0, 0, 250, 0);
    run(b, 2000, 0, 260, 0);
    match_globals.ball_holder = &a;
    update_collision_avoidance();
    EXPECT_EQ(a.wanted_facing, 192) << "a holder of side 1 faces the goal at negative x";
}

TEST_F(AvoidancePass, TheHumansManIsLeftAlone)
{
    set_controller_side(0, -1);
    set_controller_man(0, &a);
    update_collision_avoidance();
    set_controller_side(0, 0);
    clear_controller_men(0);
    EXPECT_EQ(a.target_x, 1000);
    EXPECT_EQ(a.avoiding, 0u);
}

TEST(CanReachPath, AManAheadAndToTheSideCanStepIn)
{
    set_up_two_teams(22);
    PlayerSlot& runner = team_records[0].slots[0];
    PlayerSlot& other = team_records[1].slots[0];
    runner.x = runner.y = 0;
    other.x = 1000;
    other.y = 200;
    EXPECT_EQ(can_reach_path(&runner, &other, 3000, 0, 64), 1);
    other.y = 3000; // far off to the side
    EXPECT_EQ(can_reach_path(&runner, &other, 3000, 0, 64), 0);
    other.x = 5000; // beyond the point
    other.y = 0;
    EXPECT_EQ(can_reach_path(&runner, &other, 3000, 0, 64), 0);
}

} // namespace
