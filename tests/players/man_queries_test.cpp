#include "men_fixture.h"

#include "match/formation.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "league/league_data.h"
#include "players/movement.h"

namespace {

using ManQueriesTest = MenTest;

TEST_F(ManQueriesTest, NearestSearchesAndTies)
{
    list_active_men(1);
    PlayerSlot* a = man(0, 0);
    match_globals.active_men_count = 1;
    EXPECT_EQ(nearest_player(a), a) << "alone: himself";
    EXPECT_EQ(nearest_opponent(a), a);
    list_active_men(3);
    for (int t = 0; t < 2; ++t)
        for (int i = 0; i < 3; ++i) place(man(t, i), 5000 + 1000 * i, 5000 * t);
    place(a, 0, 0);
    place(man(0, 1), 100, 0);
    place(man(0, 2), -100, 0); // as near, later in the list
    EXPECT_EQ(nearest_player(a), man(0, 1));
    place(man(1, 2), 0, 300);
    place(man(1, 0), 300, 0);
    EXPECT_EQ(nearest_opponent(a), man(1, 0));
}

TEST_F(ManQueriesTest, AheadAndBehind)
{
    PlayerSlot* a = man(0, 0);
    for (int t = 0; t < 2; ++t)
        for (int i = 0; i < 18; ++i) place(man(t, i), 10000 + 500 * i, 8000 * t);
    place(a, 0, 0, 64); // facing +x
    place(man(0, 1), 100, 20);  // ahead, a little to his left
    place(man(1, 1), -100, 0);  // behind: the second half of the list is never searched ahead
    int32_t side = 99;
    EXPECT_EQ(nearest_player_ahead(a, &side), man(0, 1));
    EXPECT_EQ(side, 1) << "at negative difference: +1";
    place(man(0, 1), 100, -20);
    nearest_player_ahead(a, &side);
    EXPECT_EQ(side, -1);
    place(man(0, 1), 170, 0);
    EXPECT_EQ(nearest_player_ahead(a, &side), nullptr) << "outside 169";
    EXPECT_EQ(nearest_player_behind(a), man(1, 1));
    // A man in the air does not meet men on the ground behind him.
    a->z = 85;
    EXPECT_EQ(nearest_player_behind(a), nullptr);
    man(1, 1)->z = 90;
    EXPECT_EQ(nearest_player_behind(a), man(1, 1));
}

TEST_F(ManQueriesTest, AnimationPredicates)
{
    struct Case {
        uint32_t anim;
        bool (*pred)(const PlayerSlot*);
        bool expected;
    } cases[] = {
        {0, is_standing_anim, true},        {218, is_standing_anim, true},   {219, is_standing_anim, false},
        {176, is_standing_anim, true},      {312, is_walking_backwards, true}, {147, is_walking_backwards, false},
        {143, is_kick_along_ground, true},  {241, is_picking_up, true},      {62, is_running_slap, true},
        {63, is_running_slap, false},       {373, is_sidestepping, true},    {309, is_fight_move, true},
        {310, is_fight_move, false},        {24, is_kicking, true},          {25, is_kicking, false},
    };
    PlayerSlot* m = man(0, 0);
    for (const Case& c : cases) {
        m->primary_animation = c.anim;
        EXPECT_EQ(c.pred(m), c.expected) << c.anim;
    }
    m->primary_animation = 332;
    EXPECT_FALSE(is_jumpspoil_contact(m));
    m->man_flags = MAN_CONTEST_A;
    EXPECT_TRUE(is_jumpspoil_contact(m));
}

TEST_F(ManQueriesTest, BlowStillComingUntilItsStrikeFrame)
{
    PlayerSlot* a = man(0, 0);
    PlayerSlot* o = man(1, 0);
    a->fight_opponent = o;
    give_row(301, 60);
    const int32_t strike = strike_frame(301);
    uint8_t script[256];
    const int n = animation_script(301, script);
    ASSERT_GT(n, strike);
    EXPECT_EQ(script[strike], '&');
    EXPECT_NE(script[strike + 1], '&') << "the last of the first run";
    o->primary_animation = 301;
    o->primary_position = strike * 65536;
    EXPECT_TRUE(is_hit_by_blow(a));
    o->primary_position = (strike + 1) * 65536;
    EXPECT_FALSE(is_hit_by_blow(a));
    o->primary_animation = ANIM_STAND;
    o->primary_position = 0;
    EXPECT_FALSE(is_hit_by_blow(a));
}

TEST_F(ManQueriesTest, BallTouchStaysOnceMade)
{
    PlayerSlot* m = man(0, 0);
    match_globals.ball_spot_x = 1000;
    place(m, 1043, 1000);
    m->primary_animation = ANIM_STAND;
    EXPECT_FALSE(check_ball_touch(m));
    place(m, 1042, -42);
    m->primary_animation = ANIM_RUN;
    EXPECT_FALSE(check_ball_touch(m)) << "running";
    m->primary_animation = 200; // an idle
    EXPECT_TRUE(check_ball_touch(m));
    place(m, 9000, 9000);
    EXPECT_TRUE(check_ball_touch(m));
}

TEST_F(ManQueriesTest, FreeSpotOnTheCentreSquare)
{
    static FormationSpots spots{};
    spots.spot[5] = {0, 100};
    spots.spot[6] = {-3000, 7000};
    spots.spot[7] = {2000, -1000};
    team_records[0].formation_spots = &spots;
    for (int t = 0; t < 2; ++t)
        for (int i = 0; i < 18; ++i) {
            place(man(t, i), 20000, 10000 + 100 * i);
            man(t, i)->proposal_count = 0;
        }
    PlayerSlot* m = man(0, 5);
    run_to_free_boundary_spot(m);
    ASSERT_EQ(m->proposal_count, 1);
    EXPECT_EQ(m->proposals[0].action, 20);
    EXPECT_EQ(m->proposals[0].x, 0);
    EXPECT_EQ(m->proposals[0].y, 6144);
    EXPECT_EQ(m->proposals[0].priority, 255);
    // Taken: along the edge.
    man(1, 3)->target_x = 100;
    man(1, 3)->target_y = 6100;
    man(1, 4)->target_x = 384;
    man(1, 4)->target_y = 6144;
    m->proposal_count = 0;
    run_to_free_boundary_spot(m);
    EXPECT_EQ(m->proposals[0].x, 768);
    EXPECT_EQ(m->proposals[0].y, 6144);
    // Outside the square: his own spot.
    PlayerSlot* o = man(0, 6);
    run_to_free_boundary_spot(o);
    EXPECT_EQ(o->proposals[0].action, 6);
    EXPECT_EQ(o->proposals[0].x, -3000);
    // The x edge: y snapped to 384s.
    PlayerSlot* p = man(0, 7);
    run_to_free_boundary_spot(p);
    EXPECT_EQ(p->proposals[0].x, 6144);
    EXPECT_EQ(p->proposals[0].y, -768);
}

TEST_F(ManQueriesTest, BumpsSeparateTheMen)
{
    for (int t = 0; t < 2; ++t)
        for (int i = 0; i < 18; ++i) place(man(t, i), -21000 + 2000 * i, 10000 * t);
    PlayerSlot* a = man(0, 0);
    PlayerSlot* o = man(0, 1);
    // A man backing into another pushes him away.
    place(a, 0, 0, 0);
    place(o, 0, -100, 0);
    a->primary_animation = ANIM_BACKSTEP;
    EXPECT_FALSE(decide_bump(a));
    EXPECT_EQ(o->x, 0);
    EXPECT_EQ(o->y, -180);
    EXPECT_EQ(o->blocked, 1u);
    // Two runners meet: both pushed apart, true.
    place(a, 0, 0, 0);
    place(o, 0, 100, 128);
    a->primary_animation = o->primary_animation = ANIM_RUN;
    a->speed = o->speed = 20;
    a->target_x = 0;
    a->target_y = 3000;
    EXPECT_TRUE(decide_bump(a));
    EXPECT_LT(a->y, 0) << "the man steps back";
    EXPECT_NEAR(vector_length(o->x - a->x, o->y - a->y), 180, 1) << "O 180 beyond him";
    // A runner into a standing man bounces back off him, unless the man is a
    // team-mate standing or walking: he steps aside off the runner's line,
    // so a man whose own spot lies beyond him (a tight line-up) gets there.
    struct Standing {
        bool opponent;
        uint32_t arrived;
        uint32_t animation;
        bool gives_way;
    } standing[] = {{true, 1, ANIM_STAND, false},
                    {true, 0, ANIM_STAND, false},
                    {false, 0, ANIM_STAND, true},
                    {false, 1, ANIM_STAND, true},
                    {false, 0, ANIM_WALK, true}};
    PlayerSlot* s = man(0, 2);
    const uint8_t own_side = s->side;
    for (const Standing& c : standing) {
        s->side = c.opponent ? static_cast<uint8_t>(3 - a->side) : a->side;
        place(a, 0, 0, 0);
        place(s, 0, 100, 0);
        place(o, 5000, 5000, 0);
        a->primary_animation = ANIM_RUN;
        a->speed = 20;
        a->target_x = 0;
        a->target_y = 3000;
        s->primary_animation = c.animation;
        s->speed = c.animation == ANIM_WALK ? 4 : 0;
        s->arrived = c.arrived;
        a->separation_side = 0;
        s->blocked = 0;
        EXPECT_FALSE(decide_bump(a));
        EXPECT_EQ(s->blocked, 1u);
        if (c.gives_way) {
            EXPECT_EQ(a->y, 0) << "the runner keeps his way, animation " << c.animation;
            EXPECT_NEAR(vector_length(s->x - a->x, s->y - a->y), 180, 1);
            EXPECT_GT(int_abs(s->x), 100) << "off the runner's line";
        } else {
            EXPECT_EQ(a->y, 100 - 180) << "opponent " << c.opponent << " arrived " << c.arrived;
            EXPECT_EQ(s->y, 100);
        }
    }
    s->side = own_side;
    place(s, -21000 + 2000 * 2, 0);
    // Standing men and officials take no part.
    a->primary_animation = ANIM_STAND;
    place(a, 0, 0, 0);
    EXPECT_FALSE(decide_bump(a));
    EXPECT_EQ(a->y, 0);
}

} // namespace

namespace {

TEST_F(ManQueriesTest, CrossingRunnersEaseTowardsTheCapAtEveryAngle)
{
    static league_player quick{};
    set_player_i32(&quick, 64, 65536); // acceleration 1.0 a tick
    for (int t = 0; t < 2; ++t)
        for (int i = 0; i < 18; ++i) place(man(t, i), -21000 + 2000 * i, 10000 * t);
    PlayerSlot* a = man(0, 0);
    PlayerSlot* o = man(0, 1);
    a->person = o->person = &quick;
    struct Case {
        int o_facing;
        int speed, expected; // whole units a tick
    } cases[] = {
        {0, 60, 55},  // the same way: band 5 eases by 5
        {40, 60, 57}, // band 3, beyond the three-entry table: the same cap of 40
        {64, 60, 59}, // band 1
        {80, 60, 60}, // band 0: unchanged
        {96, 60, 61}, // band -1: a step away from the cap
        {128, 39, 36},// band -3, from under the cap: down
    };
    for (const Case& c : cases) {
        place(a, 0, 0, 0);
        place(o, 0, 100, c.o_facing);
        a->primary_animation = o->primary_animation = ANIM_RUN;
        set_man_speed_fixed(a, c.speed * 65536);
        set_man_speed_fixed(o, 20 * 65536);
        a->separation_side = 0;
        decide_bump(a);
        EXPECT_EQ(a->speed, c.expected) << "facing " << c.o_facing;
    }
    place(a, 0, 0, 0);
    place(o, 0, 100, 128);
    set_man_speed_fixed(a, 2 * 65536);
    decide_bump(a);
    EXPECT_EQ(a->speed, 0) << "never below 0";
}

} // namespace
