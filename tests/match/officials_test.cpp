#include "match/ball.h"
#include "match/ground.h"
#include "match/match_hooks.h"
#include "match/officials.h"
#include "two_teams.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

std::vector<int32_t> effects;

class Officials : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_up_two_teams(22);
        list_active_men(18);
        clear_match_hooks();
        effects.clear();
        match_hooks.play_effect = [](int32_t id, int32_t, int32_t) { effects.push_back(id); };
        for (int i = 0; i < OFFICIAL_COUNT; ++i) {
            PlayerSlot& u = official_slots[i];
            u.number = static_cast<uint8_t>(64 + i);
            u.x = static_cast<int16_t>(i * 100);
            u.y = 0;
        }
        official_slots[GOAL_UMPIRE_1].x = -25000;
        official_slots[GOAL_UMPIRE_2].x = 25000;
        place_ball(0, 0);
    }
    void TearDown() override { clear_match_hooks(); }
    static PlayerSlot& ump(int slot) { return official_slots[slot]; }
    static void ball_at(int16_t x, int16_t y, int16_t z = 0)
    {
        ball_state.x = x * 65536;
        ball_state.y = y * 65536;
        ball_state.z = z * 65536;
    }
    // The end of a signal animation, as its frame event does it.
    static void signal_ends(PlayerSlot& u)
    {
        u.man_flags &= static_cast<uint16_t>(~MAN_BUSY);
        ++u.job_step;
    }
};

TEST_F(Officials, OpenPlayPlacement)
{
    match_globals.match_state = 1;
    ball_at(-6000, 3000);
    ump(GOAL_UMPIRE_1).ball_distance = 19000; // too far to bother
    ump(GOAL_UMPIRE_2).ball_distance = 15360;
    update_officials();
    EXPECT_EQ(ump(FIELD_UMPIRE).action, 2);
    EXPECT_EQ(ump(FIELD_UMPIRE).target_x, -6000 + 2048);
    EXPECT_EQ(ump(FIELD_UMPIRE).target_y, 3000 - 2048);
    const int16_t w = boundary_half_width(-6000);
    EXPECT_EQ(ump(BOUNDARY_UMPIRE_1).target_x, -6000);
    EXPECT_EQ(ump(BOUNDARY_UMPIRE_1).target_y, w + 256);
    EXPECT_EQ(ump(BOUNDARY_UMPIRE_2).target_y, -(w + 256));
    EXPECT_EQ(ump(GOAL_UMPIRE_1).action, 0);
    EXPECT_EQ(ump(GOAL_UMPIRE_2).action, 2);
    EXPECT_EQ(ump(GOAL_UMPIRE_2).target_x, 24818);
    EXPECT_EQ(ump(GOAL_UMPIRE_2).target_y, 2201);
}

TEST_F(Officials, GoalUmpireStopsUnderAHighBall)
{
    match_globals.match_state = 1;
    ball_at(20000, 0, 3000);
    PlayerSlot& g = ump(GOAL_UMPIRE_2);
    g.ball_distance = 5000;
    g.action = 2;
    update_officials();
    EXPECT_EQ(g.action, 0);
    EXPECT_EQ(g.target_x, g.x);
    EXPECT_TRUE(g.man_flags & MAN_BUSY); // the ball is on his field side: he backs off
}

TEST_F(Officials, BusyOrEmployedUmpiresAreNotPlaced)
{
    match_globals.match_state = 8;
    ball_at(4000, 0);
    ump(FIELD_UMPIRE).man_flags = MAN_BUSY;
    ump(BOUNDARY_UMPIRE_1).official_job = 34;
    ump(BOUNDARY_UMPIRE_1).target_x = 77;
    update_officials();
    EXPECT_EQ(ump(FIELD_UMPIRE).action, 0);
    EXPECT_EQ(ump(BOUNDARY_UMPIRE_1).target_x, 77);
    EXPECT_EQ(ump(BOUNDARY_UMPIRE_2).target_x, 4000);
}

TEST_F(Officials, SetKickPlacement)
{
    match_globals.match_state = 6;
    match_globals.end_side_word = 1;
    match_globals.mark_x = 9000;
    ump(FIELD_UMPIRE).y = 10;
    update_officials();
    EXPECT_EQ(ump(FIELD_UMPIRE).target_x, -20722);
    EXPECT_EQ(ump(FIELD_UMPIRE).target_y, 1280);
    EXPECT_EQ(ump(BOUNDARY_UMPIRE_2).target_x, 9000);
    EXPECT_EQ(ump(BOUNDARY_UMPIRE_2).target_y, -(boundary_half_width(9000) + 256));
    EXPECT_EQ(ump(GOAL_UMPIRE_1).action, 3);
    EXPECT_EQ(ump(GOAL_UMPIRE_1).action_arg, 64);
    EXPECT_EQ(ump(GOAL_UMPIRE_2).action_arg, 192);
}

TEST_F(Officials, StandStillStates)
{
    struct Case {
        uint8_t state;
        uint16_t field, boundary, goal;
    };
    for (const Case c : {Case{19, 0, 0, 0}, Case{20, 9, 0, 0}, Case{0, 0, 0, 9}, Case{60, 0, 0, 9}, Case{30, 0, 0, 9}}) {
        for (PlayerSlot& u : official_slots)
            u.action = 9;
        match_globals.match_state = c.state;
        update_officials();
        EXPECT_EQ(ump(FIELD_UMPIRE).action, c.field) << int(c.state);
        EXPECT_EQ(ump(BOUNDARY_UMPIRE_2).action, c.boundary) << int(c.state);
        EXPECT_EQ(ump(GOAL_UMPIRE_1).action, c.goal) << int(c.state);
    }
}

TEST_F(Officials, WhistleOnceAnEntry)
{
    match_globals.match_state = 14;
    update_officials();
    update_officials();
    EXPECT_EQ(effects, std::vector<int32_t>{12});
    match_globals.match_state = 1;
    update_officials();
    match_globals.match_state = 15;
    update_officials();
    EXPECT_EQ(effects, (std::vector<int32_t>{12, 12}));
}

TEST_F(Officials, PostingAJob)
{
    PlayerSlot& f = ump(FIELD_UMPIRE);
    set_official_job(&f, 22);
    EXPECT_EQ(f.official_job, 22);
    EXPECT_EQ(f.action, 3); // already facing the mark by his handler
    f.job_step = 5;
    f.man_flags = MAN_BUSY | 0x0041;
    set_official_job(&f, 22);
    EXPECT_EQ(f.job_step, 5); // the same job changes nothing
    f.x = 500; // turned away from the mark: no signal yet
    f.facing = 0;
    set_official_job(&f, 14);
    EXPECT_EQ(f.job_step, 0);
    EXPECT_EQ(f.man_flags, 0x0041);
    // Posting runs every umpire's job: a goal job starts at once.
    PlayerSlot& g = ump(GOAL_UMPIRE_2);
    g.official_job = 4;
    g.arrived = 0;
    set_official_job(&ump(BOUNDARY_UMPIRE_1), 32);
    EXPECT_EQ(g.action, 5);
    EXPECT_EQ(g.target_x, 24818);
}

TEST_F(Officials, GoalSignalWaitsForTheAllClear)
{
    PlayerSlot& g = ump(GOAL_UMPIRE_2);
    PlayerSlot& f = ump(FIELD_UMPIRE);
    f.official_job = 27;
    g.official_job = 2;
    g.x = 25000;
    g.y = 700;
    run_official_jobs();
    EXPECT_EQ(g.action, 5); // walking to the centre of his goal line
    EXPECT_EQ(g.target_x, 24562);
    EXPECT_EQ(g.target_y, 0);
    g.arrived = 1;
    g.facing = 0;
    run_official_jobs();
    EXPECT_EQ(g.action, 3);
    EXPECT_EQ(g.action_arg, 192); // the field is at negative x from him
    g.facing = 192;
    run_official_jobs();
    EXPECT_FALSE(g.man_flags & MAN_BUSY); // the field umpire still clears
    f.official_job = 0;
    run_official_jobs();
    EXPECT_TRUE(g.man_flags & MAN_BUSY);
    const uint32_t first = g.primary_animation;
    EXPECT_EQ(first, static_cast<uint32_t>(animation_row("GOALJUDGE_ABOUT_TO_SIGNAL")));
    signal_ends(g);
    run_official_jobs();
    EXPECT_EQ(g.primary_animation, static_cast<uint32_t>(animation_row("GOALJUDGE_SIGNALS_GOAL_SCORED")));
    signal_ends(g);
    run_official_jobs();
    // Back to his post, walking backwards with his eyes on the field.
    EXPECT_EQ(g.official_job, 1);
    EXPECT_EQ(g.action, 9);
    EXPECT_EQ(g.target_x, 26098);
}

TEST_F(Officials, BackToThePost)
{
    PlayerSlot& g = ump(GOAL_UMPIRE_1);
    g.official_job = 1;
    g.x = -24000;
    g.facing = 0;
    match_globals.restart_countdown = 50;
    run_official_jobs();
    EXPECT_EQ(g.action, 3); // first the turn
    EXPECT_EQ(g.action_arg, 64);
    EXPECT_EQ(match_globals.restart_countdown, 50);
    g.facing = 64;
    run_official_jobs();
    EXPECT_EQ(g.target_x, -26098);
    EXPECT_EQ(g.action, 9); // the post is behind him: he backs to it
    EXPECT_EQ(match_globals.restart_countdown, 0);
    g.arrived = 1;
    run_official_jobs();
    EXPECT_EQ(g.action, 3);
    run_official_jobs();
    EXPECT_EQ(g.job_step, 3);
    // From beyond the post he walks to it forwards.
    g.job_step = 0;
    g.x = -27000;
    run_official_jobs();
    EXPECT_EQ(g.action, 5);
}

TEST_F(Officials, WalkBackWithTheBall)
{
    match_globals.match_state = 10;
    ball_at(1000, 2000);
    PlayerSlot& f = ump(FIELD_UMPIRE);
    f.x = 1000;
    f.y = 3000;
    update_officials(); // posts job 12 and runs it
    ASSERT_EQ(f.official_job, 12);
    EXPECT_EQ(f.job_step, 1);
    const bool to_plus = f.job_facing == 128;
    EXPECT_EQ(f.target_y, to_plus ? 2384 : 1616);
    EXPECT_EQ(f.action, 6); // near: walk
    f.arrived = 1;
    update_officials();
    EXPECT_EQ(f.job_step, 2);
    EXPECT_EQ(f.action_arg, f.job_facing);
    // A half-turn animation ends a few units short and makes that his wanted
    // facing: he is set on the chosen one again, and waits for it.
    f.facing = static_cast<uint8_t>(f.job_facing - 7);
    f.wanted_facing = f.facing;
    f.action_arg = f.facing;
    update_officials();
    EXPECT_EQ(f.action, 3);
    EXPECT_EQ(f.wanted_facing, f.job_facing);
    EXPECT_EQ(f.action_arg, f.job_facing);
    f.facing = f.job_facing;
    update_officials();
    EXPECT_EQ(f.action, 1); // fetches the ball
    // The pick-up leaves him holding it on the facing he took it at, idle:
    // he turns back to the chosen facing before he walks back.
    match_globals.umpire_with_ball = &f;
    f.action = 0;
    f.facing = static_cast<uint8_t>(f.job_facing - 20);
    f.wanted_facing = f.facing;
    update_officials();
    EXPECT_EQ(f.job_step, 2);
    EXPECT_EQ(f.action, 3);
    EXPECT_EQ(f.wanted_facing, f.job_facing);
    f.facing = f.job_facing;
    update_officials();
    EXPECT_EQ(f.job_step, 3);
    f.y = static_cast<int16_t>(to_plus ? 0 : 0);
    update_officials();
    EXPECT_TRUE(f.primary_animation == 147 || f.primary_animation == 257 || f.primary_animation == 258);
    f.y = static_cast<int16_t>(to_plus ? 640 : -640);
    update_officials();
    EXPECT_EQ(f.job_step, 4);
    EXPECT_EQ(f.action, 3);
}

TEST_F(Officials, SmallQueries)
{
    match_globals.mark_x = 0;
    match_globals.mark_y = 0;
    ump(BOUNDARY_UMPIRE_1).x = 0;
    ump(BOUNDARY_UMPIRE_1).y = 1000;
    ump(BOUNDARY_UMPIRE_2).x = 0;
    ump(BOUNDARY_UMPIRE_2).y = -1000;
    EXPECT_EQ(nearer_boundary_umpire(), 1); // a tie
    ump(BOUNDARY_UMPIRE_2).y = -999;
    EXPECT_EQ(nearer_boundary_umpire(), 2);

    PlayerSlot& g = ump(GOAL_UMPIRE_1);
    int16_t x, y;
    struct Case {
        int16_t y;
        uint8_t job;
        int16_t spot_y;
    };
    for (const Case c : {Case{900, 3, 1638}, Case{819, 3, 1638}, Case{818, 3, 0}, Case{-3000, 9, -1638}, Case{-3000, 2, 0}}) {
        g.y = c.y;
        g.official_job = c.job;
        goal_umpire_spot(&g, &x, &y);
        EXPECT_EQ(x, -24562);
        EXPECT_EQ(y, c.spot_y) << c.y;
    }
    match_globals.throw_in_angle = 10;
    PlayerSlot& b = ump(BOUNDARY_UMPIRE_1);
    b.facing = 0;
    EXPECT_EQ(face_away_from_throw(&b), 0);
    EXPECT_EQ(b.wanted_facing, 138);
    b.facing = 138;
    EXPECT_EQ(face_away_from_throw(&b), 1);

    reset_officials();
    for (const PlayerSlot& u : official_slots) {
        EXPECT_EQ(u.official_job, 0);
        EXPECT_EQ(u.effort, 100);
    }
}

TEST_F(Officials, BoundaryThrowIn)
{
    PlayerSlot& b = ump(BOUNDARY_UMPIRE_1);
    b.x = 3000;
    b.y = 16000;
    place_ball(3000, 16000);
    match_globals.throw_in_angle = 128; // toward the field
    set_official_job(&b, 37);
    EXPECT_EQ(b.job_step, 1);
    run_official_jobs();
    EXPECT_EQ(ball_state.flight_flags & 0x0400, 0x0400);
    EXPECT_EQ(ball_state.landing_y, 16000 - 2240);
    run_official_jobs();
    EXPECT_TRUE(b.man_flags & MAN_BUSY);
    match_globals.match_state = 1;
    run_official_jobs();
    EXPECT_EQ(b.official_job, 0);
}

} // namespace

namespace {

TEST_F(Officials, SignalsHoldTheUmpire)
{
    PlayerSlot& f = ump(FIELD_UMPIRE);
    f.facing = 10;
    f.wanted_facing = 20;
    official_signal(&f, 170, 171, 0, 3);
    EXPECT_FALSE(f.man_flags & MAN_BUSY); // not facing yet
    official_signal(&f, 170, 171, 1, 3);
    EXPECT_TRUE(f.man_flags & MAN_BUSY);
    EXPECT_EQ(f.primary_animation, 170u);
    for (int i = 0; i < 2; ++i)
        official_signal_countdown(&f);
    EXPECT_TRUE(f.man_flags & MAN_BUSY);
    official_signal_countdown(&f);
    EXPECT_FALSE(f.man_flags & MAN_BUSY);
    match_globals.offending_side = 2;
    official_signal(&f, 170, 171, 1, 99);
    EXPECT_EQ(f.primary_animation, 171u);
    EXPECT_EQ(f.signal_countdown, 0);
    // A busy umpire walks only when forced, and then once a state.
    match_globals.match_state = 41;
    EXPECT_EQ(official_walk_to(&f, 0, 2, 0, 5000, 0, 64), 0);
    EXPECT_EQ(f.target_x, f.x);
    EXPECT_EQ(official_walk_to(&f, 0x800, 2, 0, 5000, 0, 64), 0);
    EXPECT_EQ(f.target_x, 5000);
    f.man_flags |= MAN_BUSY;
    f.target_x = 0;
    official_walk_to(&f, 0x800, 2, 0, 5000, 0, 64);
    EXPECT_EQ(f.target_x, 0);
    f.man_flags = 0;
    EXPECT_EQ(official_walk_to(&f, 0, 2, 0, static_cast<int16_t>(f.x + 43), static_cast<int16_t>(f.y - 43), 64), 1);
    EXPECT_EQ(f.arrived, 1u); // already there
}

TEST_F(Officials, BoundaryFollowHasADeadBand)
{
    PlayerSlot& b = ump(BOUNDARY_UMPIRE_2);
    b.target_x = 1000;
    boundary_follow_dead_band(BOUNDARY_UMPIRE_2, 2536);
    EXPECT_EQ(b.target_x, 1000);
    boundary_follow_dead_band(BOUNDARY_UMPIRE_2, 2537);
    EXPECT_EQ(b.target_x, 2537);
    EXPECT_EQ(b.target_y, -(boundary_half_width(2537) + 256));
}

} // namespace

namespace {

// The ball-up men may stand ready before the field umpire has the ball;
// entering the ready state clears his job, and without a new one nobody
// would fetch the ball the bounce waits on.
TEST_F(Officials, TheFieldUmpireFetchesTheBallForABallUpHeIsReadyFor)
{
    match_globals.match_state = 57;
    match_globals.mark_x = 3000;
    match_globals.mark_y = 1000;
    ball_at(5000, 2000);
    PlayerSlot& f = ump(FIELD_UMPIRE);
    f.official_job = 0;
    match_globals.umpire_with_ball = nullptr;
    update_officials();
    EXPECT_EQ(f.official_job, 13);
    EXPECT_EQ(f.action, 1) << "he goes for the ball";
    // Holding it, he is left to the rules.
    f.official_job = 0;
    f.action = 0;
    match_globals.umpire_with_ball = &f;
    update_officials();
    EXPECT_EQ(f.official_job, 0);
}

} // namespace

TEST_F(Officials, StoppagePlacementByState)
{
    struct Case {
        uint8_t state;
        int16_t mark_x, mark_y;
        int taker;         // -1: a player keeps the ball
        uint8_t taker_job; // the job he is given
        uint16_t boundary1_action, boundary2_action;
    };
    const Case cases[] = {
        // Out of bounds: the umpire of the mark's half brings the ball; he
        // stands facing the mark, the other keeps to his line.
        {37, 4000, -9000, BOUNDARY_UMPIRE_2, 31, 2, 0},
        {37, 4000, 9000, BOUNDARY_UMPIRE_1, 31, 0, 2},
        // A mark or a free kick: the kicker keeps it, both boundary umpires
        // come level with the mark on their lines.
        {41, -6000, 3000, -1, 0, 2, 2},
        {49, 6000, -3000, -1, 0, 2, 2},
        // A ball-up: the field umpire carries the ball, the boundary umpires
        // stand where they are.
        {47, 1000, 2000, FIELD_UMPIRE, 13, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "state " << int(c.state) << " mark " << c.mark_x << ", " << c.mark_y);
        reset_officials();
        match_globals.match_state = c.state;
        match_globals.mark_x = c.mark_x;
        match_globals.mark_y = c.mark_y;
        PlayerSlot* taker = place_officials_for_stoppage();
        if (c.taker < 0) {
            EXPECT_EQ(taker, nullptr);
        } else {
            ASSERT_EQ(taker, &ump(c.taker));
            EXPECT_EQ(taker->official_job, c.taker_job);
        }
        for (int slot : {BOUNDARY_UMPIRE_1, BOUNDARY_UMPIRE_2}) {
            const PlayerSlot& u = ump(slot);
            if (slot == c.taker)
                continue;
            const uint16_t want = slot == BOUNDARY_UMPIRE_1 ? c.boundary1_action : c.boundary2_action;
            if (want == 2) {
                EXPECT_EQ(u.action, 2) << "umpire " << slot;
                EXPECT_EQ(u.target_x, c.mark_x);
                EXPECT_EQ(std::abs(u.target_y), boundary_half_width(c.mark_x) + 256) << "on his own line";
                EXPECT_EQ(u.target_y > 0, slot == BOUNDARY_UMPIRE_1);
            } else if (want == 3) {
                EXPECT_EQ(u.action, 3) << "umpire " << slot;
                EXPECT_EQ(u.target_x, u.x) << "stands where he is";
            }
        }
    }
}

TEST_F(Officials, StoppageBoundaryVariantsLeaveBusyUmpiresAlone)
{
    match_globals.mark_x = 2000;
    match_globals.mark_y = -5000;
    ump(BOUNDARY_UMPIRE_1).man_flags |= MAN_BUSY;
    ump(BOUNDARY_UMPIRE_1).action = 9;
    place_boundary_umpires_for_stoppage(STOPPAGE_BOUNDARY_ONE_STANDS);
    EXPECT_EQ(ump(BOUNDARY_UMPIRE_1).action, 9) << "busy: left alone";
    EXPECT_EQ(ump(BOUNDARY_UMPIRE_2).action, 3) << "the mark's half stands";
    ump(BOUNDARY_UMPIRE_1).man_flags = 0;
    place_boundary_umpires_for_stoppage(STOPPAGE_BOUNDARY_FOLLOW);
    EXPECT_EQ(ump(BOUNDARY_UMPIRE_1).action, 2);
    EXPECT_EQ(ump(BOUNDARY_UMPIRE_1).target_y, boundary_half_width(2000) + 256);
}

TEST_F(Officials, ThrowInAngleGoesBackIntoTheGround)
{
    // 0 is +y, 64 +x, 128 -y, 192 -x.
    struct Case {
        int16_t x, y;
        uint8_t about; // within 8
    };
    const Case cases[] = {
        {100, -16000, 0},    // the negative-y line: toward +y
        {100, 16000, 128},   // the positive-y line: toward -y
        {20000, -9000, 230}, // near the positive end: +y and toward the centre
        {-20000, 9000, 102}, // near the negative end: -y and toward the centre
        {0, -16000, 0},      // x 0 counts as 1
    };
    for (const Case& c : cases) {
        const uint8_t a = throw_in_angle_at(c.x, c.y);
        EXPECT_LE(std::abs(static_cast<int8_t>(a - c.about)), 8) << c.x << ", " << c.y << " gave " << int(a);
    }
}
