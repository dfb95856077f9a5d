#include "men_fixture.h"

#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/movement.h"

namespace {

using LocomotionTest = MenTest;

TEST_F(LocomotionTest, GaitBySpeedShare)
{
    struct Case {
        int16_t speed, top;
        bool holder;
        uint32_t anim;
    } cases[] = {
        {700, 1000, false, ANIM_SPRINT}, {699, 1000, false, ANIM_RUN}, {50, 100, false, ANIM_RUN},
        {25, 100, false, ANIM_JOG},      {1, 100, false, ANIM_WALK},   {0, 100, false, ANIM_STAND},
        {70, 100, true, ANIM_SPRINT_WITHBALL}, {0, 100, true, ANIM_STAND_WITHBALL}, {5, 0, false, ANIM_STAND},
    };
    for (const Case& c : cases) {
        PlayerSlot* m = man(0, 2);
        m->primary_animation = 100;
        m->speed = c.speed;
        m->top_speed = c.top;
        match_globals.ball_holder = c.holder ? m : nullptr;
        pick_locomotion_for_speed(m);
        if (c.anim == ANIM_STAND) {
            EXPECT_TRUE(is_standing_anim(m)) << m->primary_animation; // standing idles stand in for STAND
        } else {
            EXPECT_EQ(m->primary_animation, c.anim) << c.speed << "/" << c.top;
        }
    }
}

TEST_F(LocomotionTest, KeptAnimationIsLeftAlone)
{
    PlayerSlot* m = man(0, 2);
    m->primary_animation = 100;
    m->animation_flags = ANIM_KEEP;
    m->speed = 20;
    pick_locomotion_for_speed(m);
    EXPECT_EQ(m->primary_animation, 100u);
}

TEST_F(LocomotionTest, PhaseCarriesOverBetweenCycles)
{
    give_row(ANIM_RUN, 20);    // 1,000,000 us
    give_row(ANIM_SPRINT, 16); // 800,000 us
    give_row(ANIM_STAND_WITHBALL, 30);
    PlayerSlot* m = man(0, 2);
    // RUN at its reference point (310000 us): SPRINT starts at its own
    // reference plus the 0.05 of a cycle added.
    m->primary_animation = ANIM_RUN;
    m->primary_position = 406323; // 310000 us
    EXPECT_EQ(locomotion_phase_match(m, ANIM_SPRINT), (370000 + 40000) / 50000 * 65536);
    // No cycle offset: the middle of the new cycle.
    m->primary_animation = ANIM_STAND_WITHBALL;
    EXPECT_EQ(locomotion_phase_match(m, ANIM_SPRINT), (370000 + 400000) / 50000 * 65536);
    // Past the end wraps round.
    m->primary_animation = ANIM_RUN;
    m->primary_position = 20 * 65536 - 1; // near its end: phase ~0.74
    const int32_t p = locomotion_phase_match(m, ANIM_SPRINT);
    EXPECT_GE(p, 0);
    EXPECT_LE(p, 16 * 65536);
    // An old animation without data: phase 0.5.
    m->primary_animation = ANIM_WALK;
    EXPECT_EQ(locomotion_phase_match(m, ANIM_SPRINT), (370000 + 400000) / 50000 * 65536);
}

TEST_F(LocomotionTest, ChosenGaitStartsInPhase)
{
    give_row(ANIM_RUN, 20);
    give_row(ANIM_SPRINT, 16);
    PlayerSlot* m = man(0, 2);
    m->primary_animation = ANIM_RUN;
    m->primary_position = 406323;
    m->speed = 29;
    m->top_speed = 30;
    pick_locomotion_for_speed(m);
    EXPECT_EQ(m->primary_animation, static_cast<uint32_t>(ANIM_SPRINT));
    EXPECT_EQ(m->primary_position, 8 * 65536);
}

TEST_F(LocomotionTest, TurningOnTheSpotAndWithAnimations)
{
    struct Case {
        int16_t speed, distance;
        int turn;
        int32_t anim; // -1: none, turns by the limit
        int facing_after;
    } cases[] = {
        {0, 5000, 64, ANIM_STANDING_TURN_RIGHT_90, 0},
        {0, 5000, -64, ANIM_STANDING_TURN_LEFT_90, 0},
        {0, 5000, 120, ANIM_STANDING_TURN_180, 0},
        {0, 5000, 40, -1, 7},
        {0, 5000, -3, -1, 253},
        {25, 2000, 30, ANIM_RUNNING_TURN_RIGHT_45, 0},
        {25, 1280, 30, -1, 7},
        {25, 800, -60, ANIM_RUNNING_TURN_LEFT_90, 0},
        {25, 3000, 110, ANIM_RUNNING_TURN_180, 0},
        {25, 2000, 110, -1, 7},
        {10, 5000, 64, -1, 7},
    };
    for (const Case& c : cases) {
        PlayerSlot* m = man(0, 2);
        place(m, 0, 0, 0);
        m->primary_animation = ANIM_STAND;
        m->turning = 0;
        m->man_flags = 0;
        m->speed = c.speed;
        m->target_distance = c.distance;
        m->wanted_facing = static_cast<int16_t>(c.turn & 255);
        m->action = 9; // watching: no speed step after the turn
        update_man_locomotion(m);
        if (c.anim >= 0) {
            EXPECT_EQ(m->primary_animation, static_cast<uint32_t>(c.anim)) << c.turn << " at " << c.speed;
            EXPECT_EQ(m->turning, 1u);
        } else {
            EXPECT_EQ(m->turning, 0u) << c.turn << " at " << c.speed;
        }
        EXPECT_EQ(m->facing, c.facing_after) << c.turn << " at " << c.speed;
    }
}

TEST_F(LocomotionTest, TurnLimitGrowsNearTheTargetAndWithTheBall)
{
    PlayerSlot* m = man(0, 2);
    place(m, 0, 0, 0);
    m->primary_animation = ANIM_STAND;
    m->speed = 5;
    m->wanted_facing = 50;
    m->target_distance = 256;
    m->action = 9;
    update_man_locomotion(m);
    EXPECT_EQ(m->facing, 15) << "7 + (1280 - 256) / 128";
    m->facing = 0;
    m->arrived = 1;
    match_globals.ball_holder = m;
    update_man_locomotion(m);
    EXPECT_EQ(m->facing, 14) << "arrived: 7, doubled with the ball";
}

TEST_F(LocomotionTest, ATurnEndsWhenTheRestIsSmall)
{
    PlayerSlot* m = man(0, 2);
    place(m, 0, 0, 0);
    m->primary_animation = ANIM_STANDING_TURN_RIGHT_90;
    m->turning = 1;
    m->man_flags = MAN_BUSY;
    m->target_distance = 5000;
    m->wanted_facing = 64;
    m->action = 9;
    update_man_locomotion(m);
    EXPECT_EQ(m->turning, 1u) << "64 to go: the quarter turn plays on";
    m->wanted_facing = 40;
    update_man_locomotion(m);
    EXPECT_EQ(m->turning, 0u);
    EXPECT_EQ(m->man_flags & MAN_BUSY, 0);
    EXPECT_EQ(m->facing, 7);
}

TEST_F(LocomotionTest, SkillValueByRatingsAndDifficulty)
{
    PlayerSlot* m = man(0, 2);
    std::fill(std::begin(m->skills), std::end(m->skills), 0);
    EXPECT_EQ(skill_value(m, 1000, 4), 1000);
    m->skills[3] = m->skills[4] = 127;
    EXPECT_EQ(skill_value(m, 1000, 0), 1000 * 128 / 255);
    m->skills[3] = m->skills[4] = -100;
    EXPECT_EQ(skill_value(m, 1000, 0), 1000) << "a negative rating counts as 0";
    // Kinds read their own bytes: kind 10 the first and last.
    std::fill(std::begin(m->skills), std::end(m->skills), 0);
    m->skills[0] = 40;
    m->skills[7] = 20;
    EXPECT_EQ(skill_value(m, 255, 10), 225);
    EXPECT_EQ(skill_value(m, 255, 13), 255);
    // A computer man against a human team at difficulty 50: 105 %.
    std::fill(std::begin(m->skills), std::end(m->skills), 0);
    team_records[1].human_count = 1;
    match_globals.difficulty = 50;
    EXPECT_EQ(skill_value(m, 1000, 4), 1050);
    // Officials are not scaled; 16.16 values do not overflow.
    EXPECT_EQ(skill_value(&official_slots[0], 1000, 4), 1000);
    m->skills[2] = 64;
    EXPECT_GT(skill_value(m, 400 * 65536, 4), 0);
}

TEST_F(LocomotionTest, LocomotionFloorsTheSpeed)
{
    struct Case {
        int32_t anim;
        int16_t speed, expected;
    } cases[] = {
        {ANIM_WALK, 0, 8},  {ANIM_JOG, 5, 18},  {ANIM_JOG + 5, 9, 18}, {ANIM_JOG + 5, 10, 10}, {ANIM_RUN, 10, 25},
        {ANIM_RUN, 20, 20}, {ANIM_SPRINT, 20, 25}, {ANIM_WALK_BACKWARDS, 12, 0}, {ANIM_STAND, 12, 12},
    };
    for (const Case& c : cases) {
        PlayerSlot* m = man(0, 2);
        m->top_speed = 40;
        set_man_speed_fixed(m, c.speed * 65536);
        locomotion_anim_for_speed(m, c.anim);
        EXPECT_EQ(m->speed, c.expected) << c.anim << " at " << c.speed;
    }
}

TEST_F(LocomotionTest, FastForwardPutsFarMenNearTheirSpots)
{
    match_globals.pending_cut_state = 11;
    match_globals.closing_transition_running = 0;
    PlayerSlot* m = man(0, 2);
    place(m, 3000, 0);
    m->target_x = 0;
    m->target_y = 0;
    update_man_locomotion(m);
    EXPECT_EQ(m->x, 256);
    EXPECT_EQ(m->y, 0);
    // Within 512 he stays; during the fade-out nobody moves.
    place(m, 500, 0);
    m->target_x = 0;
    update_man_locomotion(m);
    EXPECT_EQ(m->x, 500);
    match_globals.closing_transition_running = 1;
    place(m, 3000, 0);
    m->target_x = 0;
    update_man_locomotion(m);
    EXPECT_EQ(m->x, 3000);
}

} // namespace
