#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/game_maths.h"
#include "match/match_hooks.h"
#include "two_teams.h"

#include "platform/controllers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Effect {
    int32_t id, frequency, volume;
};
std::vector<Effect> effects;

class BallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_up_two_teams(22);
        list_active_men(22);
        clear_match_hooks();
        effects.clear();
        match_hooks.play_effect = [](int32_t id, int32_t f, int32_t v) { effects.push_back({id, f, v}); };
        catch_stats = {};
        match_globals.random_state_a = 0x1234567;
        match_globals.random_state_b = 0x89abcde;
        set_ball_ground_values(0);
        // Everyone far from the ball.
        for (int i = 0; i < match_globals.active_men_count; ++i) {
            match_globals.active_men[i]->x = static_cast<int16_t>(-20000 + 300 * i);
            match_globals.active_men[i]->y = 12000;
        }
    }
    void TearDown() override { clear_match_hooks(); }

    static BallState& ball() { return ball_state; }

    // A free ball moving at (vx, vy, vz) whole units per tick from (x, y, z).
    static void set_moving(int32_t x, int32_t y, int32_t z, int32_t vx, int32_t vy, int32_t vz)
    {
        place_ball(static_cast<int16_t>(x), static_cast<int16_t>(y));
        BallState& b = ball_state;
        b.z = z * 65536;
        b.vx = vx * 65536;
        b.vy = vy * 65536;
        b.vz = vz * 65536;
        b.flight_flags = FLIGHT_MOVING;
        b.heading = vector_angle(b.vx, b.vy);
    }

    static PlayerSlot& man(int team, int slot) { return team_records[team].slots[slot]; }
};

// Steps until the ball first touches the ground; returns the ticks taken.
int steps_to_first_bounce(BallState& b)
{
    for (int t = 1; t < 2000; ++t) {
        ball_step(&b, 0);
        if (b.bounce_count > 0)
            return t;
    }
    return -1;
}

TEST_F(BallTest, LaunchesComeDownAtTheirTargetAtEveryElevation)
{
    struct Case {
        int32_t elevation, dx, dy;
    };
    const Case cases[] = {{18, 6000, 0}, {30, 0, -9000}, {45, 4000, 4000}, {53, -2560, 0}, {32, 15000, -3000}};
    for (uint8_t weather = 0; weather < 4; ++weather)
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "weather " << int(weather) << " elevation " << c.elevation);
            set_ball_ground_values(weather);
            place_ball(0, 0);
            PlayerSlot& kicker = man(1, 3);
            const int32_t distance = vector_length(c.dx, c.dy);
            launch_ball_to_point(&kicker, c.elevation, c.dx, c.dy, static_cast<uint8_t>(vector_angle(c.dx, c.dy)),
                                 distance, 256, FLIGHT_KICKED);
            ball().flight_flags |= FLIGHT_MOVING;
            EXPECT_EQ(ball().landing_x, c.dx);
            EXPECT_EQ(ball().landing_y, c.dy);
            EXPECT_EQ(ball().flight_flags & 0xffdf, FLIGHT_KICKED);
            EXPECT_EQ(match_globals.last_kicker, &kicker);
            EXPECT_EQ(kicker.ball_coming, 1u);
            ASSERT_GT(steps_to_first_bounce(ball()), 0);
            // Down within 3 % of the aimed range: the integer range formula.
            const int32_t miss = vector_length(ball().prev_x - c.dx, ball().prev_y - c.dy);
            EXPECT_LT(miss, distance * 3 / 100 + 64);
        }
}

TEST_F(BallTest, FlatOrVerticalOrZeroLaunchLeavesTheBallButMarksTheLauncher)
{
    const int32_t elevations[][2] = {{0, 2560}, {64, 2560}, {30, 0}, {128, 2560}, {192, 2560}};
    for (const auto& e : elevations) {
        place_ball(100, 200);
        const BallState before = ball();
        PlayerSlot& m = man(0, 5);
        m.ball_coming = 0;
        launch_ball_to_point(&m, e[0], 1000, 0, 64, e[1], 0, FLIGHT_KICKED);
        EXPECT_EQ(0, std::memcmp(&before, &ball(), sizeof before)) << e[0];
        EXPECT_EQ(m.ball_coming, 1u);
    }
    // An official is never marked.
    official_slots[1].number = 65;
    official_slots[1].ball_coming = 0;
    launch_ball_to_point(&official_slots[1], 53, 2560, 0, 64, 2560, 512, FLIGHT_THROWN);
    EXPECT_EQ(official_slots[1].ball_coming, 0u);
    EXPECT_EQ(match_globals.last_kicker, nullptr);
}

TEST_F(BallTest, HandpassKeepsTheLaunchSpotAndThrowAimsShort)
{
    place_ball(500, 600);
    ball().launch_x = 11;
    ball().launch_y = 22;
    const uint32_t a = match_globals.random_state_a;
    launch_ball_to_point(&man(0, 1), 30, 800, 0, 64, 800, 0, FLIGHT_HANDPASSED);
    EXPECT_EQ(ball().launch_x, 11);
    EXPECT_EQ(match_globals.random_state_a, a);
    PlayerSlot& u = official_slots[2];
    u.number = 66;
    u.x = 1000;
    u.y = -16000;
    launch_ball_to_point(&u, 53, 0, 2560, 0, 2560, 512, FLIGHT_THROWN);
    EXPECT_EQ(ball().landing_x, 1000);
    EXPECT_EQ(ball().landing_y, -16000 + 2240);
    EXPECT_EQ(ball().launch_x, 500);
    EXPECT_NE(match_globals.random_state_a, a);
}

struct RuleCase {
    const char* name;
    void (*rule)(BallState*, int32_t);
    int32_t s, p, dir, phase, prev_phase, d;
    // expected
    int32_t s_out, heading_out, vz_out, p_out, dir_out;
};

TEST_F(BallTest, BounceRulesFollowTheirTable)
{
    // vz -20 units on weather 0 (e = 0.6f): round(20 x 65536 x 0.6f) = 786432.
    const RuleCase cases[] = {
        {"A dropped", bounce_rule_a, 0, 0, -1, 0, 0, 0, 4, 64, 786432, 0, -1},
        {"A+ halves d", bounce_rule_a, 40, 8, 1, 0, 0, 10, 35, 69, 786432 - 40 * 2048, 2, -1},
        {"A-", bounce_rule_a, 40, 8, -1, 0, 0, 0, 40 - 2 + 3, 64, 786432 - 40 * 2048, 4, -1},
        {"B+", bounce_rule_b, 40, 8, 1, 2, 0, 0, 11, 64, 786432 + 49152, 4, 1},
        {"B-", bounce_rule_b, 40, 8, -1, 2, 0, 0, 37, 64, 786432 + 49152, 6, -1},
        {"B+ backwards", bounce_rule_b, 0, 0, 1, 2, 0, 0, 10, 192, 786432 + 49152, 0, 1},
        {"C+", bounce_rule_c, 40, 4, 1, 4, 0, 0, 28, 64, 786432 + 35 * 2048, 4, -1},
        {"C-", bounce_rule_c, 40, 4, -1, 4, 0, 0, 28, 64, 786432 + 35 * 2048, 2, -1},
        {"D+ after a half turn", bounce_rule_d, 40, 4, 1, 6, 10, 0, 14, 64, 979200, 4, -1},
        {"D+", bounce_rule_d, 40, 4, 1, 6, 6, 0, 34, 64, 783360, 4, -1},
        {"D-", bounce_rule_d, 40, 4, -1, 6, 6, 0, 34, 64, 737280, 2, -1},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.name);
        BallState b{};
        b.vx = c.s * 65536;
        b.vz = -20 * 65536;
        b.heading = 64;
        b.tumble_period = static_cast<int8_t>(c.p);
        b.tumble_dir = static_cast<int8_t>(c.dir);
        b.tumble_phase = static_cast<int8_t>(c.phase);
        b.prev_bounce_phase = static_cast<int8_t>(c.prev_phase);
        b.tumble_countdown = 9;
        c.rule(&b, c.d);
        EXPECT_EQ(b.heading, c.heading_out);
        EXPECT_EQ(b.vx, fixed_sin(static_cast<uint8_t>(c.heading_out), c.s_out) * 65536);
        EXPECT_EQ(b.vy, fixed_cos(static_cast<uint8_t>(c.heading_out), c.s_out) * 65536);
        EXPECT_EQ(b.vz, c.vz_out);
        EXPECT_EQ(b.tumble_period, c.p_out);
        EXPECT_EQ(b.tumble_dir, c.dir_out);
        EXPECT_EQ(b.tumble_countdown, 0);
    }
}

TEST_F(BallTest, ABounceNeverSendsTheBallDownward)
{
    BallState b{};
    b.vx = 60 * 65536;
    b.vz = -1 * 65536;
    b.heading = 64;
    b.tumble_dir = -1;
    bounce_rule_a(&b, 0); // 0.6 x 1 unit less 60 x 2048 is negative
    EXPECT_EQ(b.vz, 0);
}

TEST_F(BallTest, FrictionTakesTheLow16BitsAndCanSpeedTheBallUp)
{
    // A dead first bounce keeps the horizontal motion, so friction shows.
    set_moving(0, 0, 0, 3, 0, -5);
    ball().flight_flags |= FLIGHT_DEAD_BOUNCE;
    ball().z = 1000; // just above; the step takes it below
    ball_step(&ball(), 1);
    EXPECT_EQ(ball().bounce_count, 1);
    EXPECT_EQ(ball().vx, 3 * 65536 + 13108);
    EXPECT_EQ(ball().vz, 5 * 65536 / 2); // halved, no rule
}

TEST_F(BallTest, BounceSoundIsCappedAndDrawsFromTheFirstGenerator)
{
    set_moving(0, 0, 0, 0, 0, -103);
    ball().z = 1000;
    const uint32_t b_before = match_globals.random_state_b;
    const uint32_t a_before = match_globals.random_state_a;
    ball_step(&ball(), 0);
    ASSERT_EQ(effects.size(), 1u);
    EXPECT_EQ(effects[0].id, 26);
    EXPECT_EQ(effects[0].volume, 127);
    EXPECT_GE(effects[0].frequency, 21922);
    EXPECT_LE(effects[0].frequency, 21922 + 255);
    // One draw of the second generator: the deflection.
    EXPECT_EQ(match_globals.random_state_b, random_step(b_before));
    EXPECT_NE(match_globals.random_state_a, a_before);
    // A soft bounce sounds softer.
    effects.clear();
    set_moving(0, 0, 0, 0, 0, -10);
    ball().z = 1000;
    ball_step(&ball(), 0);
    ASSERT_EQ(effects.size(), 1u);
    EXPECT_EQ(effects[0].volume, 55 + 10);
}

TEST_F(BallTest, PredictingStepMakesNoSoundAndTouchesNoMan)
{
    set_moving(0, 0, 0, 4, 0, -10);
    ball().z = 1000;
    man(0, 0).ball_coming = 1;
    man(0, 0).contact_claim = 1;
    ball_step(&ball(), 1);
    EXPECT_TRUE(effects.empty());
    EXPECT_EQ(man(0, 0).ball_coming, 1u);
    EXPECT_EQ(man(0, 0).contact_claim, 1u);
    ball_step(&ball(), 0);
}

TEST_F(BallTest, RestNeedsTwoEarlierBounces)
{
    struct Case {
        uint8_t bounce_count;
        bool rests;
    };
    for (const Case c : {Case{0, false}, Case{1, false}, Case{2, true}, Case{5, true}}) {
        SCOPED_TRACE(int(c.bounce_count));
        set_moving(100, 100, 0, 0, 0, -1);
        ball().z = 100;
        ball().bounce_count = c.bounce_count;
        ball().tumble_phase = 2; // rule B: no tumble push when the tumble is backward
        ball().tumble_dir = 1;
        ball().tumble_period = 60;
        ball_step(&ball(), 0);
        if (c.rests) {
            EXPECT_EQ(ball().tumble_phase, 12);
            EXPECT_EQ(ball().flight_flags & (FLIGHT_MOVING | FLIGHT_AT_REST), FLIGHT_AT_REST);
            EXPECT_EQ(ball().vx | ball().vy | ball().vz | ball().z, 0);
            EXPECT_EQ(ball().bounce_count, c.bounce_count);
        } else {
            EXPECT_TRUE(ball().flight_flags & FLIGHT_MOVING);
            EXPECT_EQ(ball().bounce_count, c.bounce_count + 1);
        }
    }
}

TEST_F(BallTest, RestingBallIsNotStepped)
{
    place_ball(10, 20);
    const BallState before = ball();
    update_ball(&ball(), 1);
    EXPECT_EQ(0, std::memcmp(&before, &ball(), sizeof before));
    // Its prediction is the rest position throughout.
    EXPECT_EQ(predicted_ball_path.position[499][0], 10 * 65536);
    EXPECT_EQ(predicted_ball_path.position[499][2], 20 * 65536);
}

TEST_F(BallTest, FenceSendsTheBallBackOnlyBeyondItsEllipse)
{
    // Outside the oval, inside the fence: rolls on.
    set_moving(24800, 0, 0, 10, 0, 0);
    ball().flight_flags = FLIGHT_MOVING | FLIGHT_AT_REST;
    ball_step(&ball(), 1);
    EXPECT_EQ(whole(ball().x), 24810);
    EXPECT_EQ(ball().vx, 10 * 65536);
    // Beyond the fence: stepped back and sent toward the centre.
    set_moving(26620, 0, 0, 10, 0, 0);
    ball().flight_flags = FLIGHT_MOVING | FLIGHT_AT_REST;
    ball().flags = BALL_FREE;
    ball_step(&ball(), 1);
    EXPECT_EQ(whole(ball().x), 26620);
    EXPECT_EQ(ball().vx, -(26620 * 65536) / 2000);
    EXPECT_EQ(ball().vy, 0);
    EXPECT_EQ(ball().vz, 0);
    EXPECT_EQ(ball().heading, 192);
    EXPECT_EQ(ball().flight_flags & (FLIGHT_MOVING | FLIGHT_AT_REST), FLIGHT_MOVING);
}

TEST_F(BallTest, PredictionIsThePathTheBallTakes)
{
    for (uint8_t weather = 0; weather < 4; ++weather) {
        SCOPED_TRACE(int(weather));
        set_ball_ground_values(weather);
        place_ball(-3000, 2000);
        launch_ball_to_point(&man(0, 2), 40, 9000, -2000, static_cast<uint8_t>(vector_angle(9000, -2000)), 9219,
                             256, FLIGHT_KICKED);
        ball().flight_flags |= FLIGHT_MOVING;
        ball().tumble_period = 3;
        update_ball(&ball(), 1);
        const PredictedBallPath predicted = predicted_ball_path;
        bool rested = false;
        for (int k = 1; k < PREDICTED_STEPS; ++k) {
            update_ball(&ball(), 0);
            ASSERT_EQ(ball().x, predicted.position[k][0]) << k;
            ASSERT_EQ(ball().z, predicted.position[k][1]) << k;
            ASSERT_EQ(ball().y, predicted.position[k][2]) << k;
            ASSERT_EQ(ball().spin_angle[0], predicted.spin[k][0]) << k;
            rested = rested || (ball().flight_flags & FLIGHT_AT_REST);
        }
        // The dry ground keeps it rolling past the window; the rest repeat.
        EXPECT_EQ(rested, weather != 0);
        EXPECT_GT(effects.size(), 2u);
        effects.clear();
    }
}

TEST_F(BallTest, PredictionLeavesTheSecondGeneratorAlone)
{
    set_moving(0, 0, 3000, 5, 3, 0);
    const uint32_t b = match_globals.random_state_b;
    update_ball(&ball(), 1);
    EXPECT_EQ(match_globals.random_state_b, b); // no real bounce this tick
}

TEST_F(BallTest, LandingPointByFlightTimeMeetsTheCatchingHeight)
{
    set_moving(0, 0, 0, 12, -5, 40);
    set_ball_landing_point(&ball());
    const int16_t lx = ball().landing_x, ly = ball().landing_y;
    BallState b = ball();
    int32_t prev_z = b.z;
    for (int t = 0; t < 400; ++t) {
        ball_step_plain(&b);
        if (b.vz < 0 && prev_z >= 764 * 65536 && b.z < 764 * 65536)
            break;
        prev_z = b.z;
    }
    EXPECT_NEAR(whole(b.x), lx, 14);
    EXPECT_NEAR(whole(b.y), ly, 6);
    // A ball that never reaches the height comes back to where it is.
    set_moving(0, 0, 0, 8, 0, 3);
    set_ball_landing_point(&ball());
    EXPECT_EQ(ball().landing_x, 8 * (2 * 3 * 65536 / BALL_GRAVITY));
}

TEST_F(BallTest, PlaceBallFreesTheMenAndRestsTheBall)
{
    PlayerSlot& m = man(1, 4);
    m.action = 23;
    m.man_flags = 0x0804 | 0x0001;
    m.man_flags2 = 0x0848 | 0x0100;
    m.ball_coming = 1;
    match_globals.umpire_with_ball = &official_slots[0];
    place_ball(-400, 300);
    EXPECT_EQ(m.action, 0);
    EXPECT_EQ(m.man_flags, 0x0001);
    EXPECT_EQ(m.man_flags2, 0x0100);
    EXPECT_EQ(m.ball_coming, 0u);
    EXPECT_EQ(match_globals.umpire_with_ball, nullptr);
    EXPECT_EQ(ball().flags, BALL_FREE);
    EXPECT_EQ(ball().flight_flags, FLIGHT_AT_REST);
    EXPECT_EQ(ball().tumble_dir, -1);
    EXPECT_EQ(ball().gravity, BALL_GRAVITY);
    EXPECT_EQ(ball().spin_rate[0], 1024);
    EXPECT_EQ(ball().spin_rate[2], 512);
}

TEST_F(BallTest, UmpireThrowDownBouncesDeadThenLive)
{
    official_slots[0].number = 64;
    place_ball(0, 0);
    umpire_launch_ball(0, 0);
    EXPECT_EQ(ball().flight_flags & FLIGHT_DEAD_BOUNCE, FLIGHT_DEAD_BOUNCE);
    EXPECT_EQ(official_slots[0].man_flags & MAN_BUSY, MAN_BUSY);
    // Released from the hand at height, as the frame event does.
    ball().z = 600 * 65536;
    ball().flight_flags |= FLIGHT_MOVING;
    ASSERT_GT(steps_to_first_bounce(ball()), 0);
    // The first bounce halves the fall and keeps the heading.
    EXPECT_GT(ball().vz, 0);
    EXPECT_EQ(ball().heading, 64);
    EXPECT_EQ(ball().vx, 102400 + 4096); // friction's low bits add
    ASSERT_EQ(effects.size(), 1u);
    EXPECT_EQ(effects[0].volume, 127);
}

struct CrossingCase {
    const char* name;
    int32_t x, y, z, vx;
    uint16_t ball_flags;
    uint16_t expect;
};

TEST_F(BallTest, ScoreMarksFromCrossings)
{
    const CrossingCase cases[] = {
        {"goal", 24600, 0, 100, 20, BALL_FREE, FLIGHT_GOAL},
        {"goal high", 24600, -800, 9000, 20, BALL_FREE, FLIGHT_GOAL},
        {"goal at the other end", -24600, 300, 100, -20, BALL_FREE, FLIGHT_GOAL},
        {"behind", 24580, 1200, 100, 20, BALL_FREE, FLIGHT_BEHIND},
        {"behind at the line", -24565, -2454, 900, -20, BALL_FREE, FLIGHT_BEHIND},
        {"wide", 24500, 3000, 100, 20, BALL_FREE, 0},
        {"coming back in", 24600, 0, 100, -20, BALL_FREE, 0},
        {"still on the ground", 24000, 0, 100, 20, BALL_FREE, 0},
        {"carried over", 24600, 100, 0, 0, BALL_HELD, FLIGHT_GOAL},
        {"carried through the behinds", -24570, 1000, 0, 0, BALL_HELD, FLIGHT_BEHIND},
        {"goal post low", 24448, 817 + 100, 400, 20, BALL_FREE, FLIGHT_POST},
        {"goal post higher, narrower", 24448, 817 + 100, 600, 20, BALL_FREE, 0},
        {"over the goal post", 24448, 817, 3200, 20, BALL_FREE, 0},
        {"behind post low", 24207, 2455 + 80, 300, 20, BALL_FREE, FLIGHT_BEHIND_POST},
        {"behind post higher, narrower", 24207, 2455 + 80, 340, 20, BALL_FREE, 0},
        {"behind post", -24207, -2455, 1500, -20, BALL_FREE, FLIGHT_BEHIND_POST},
    };
    match_globals.match_state = 1;
    for (const CrossingCase& c : cases) {
        SCOPED_TRACE(c.name);
        set_moving(c.x, c.y, c.z, c.vx, 0, 0);
        ball().flags = c.ball_flags;
        check_score();
        EXPECT_EQ(ball().flight_flags & FLIGHT_SCORE_MARKS, c.expect);
    }
    // Out of open play nothing is marked.
    match_globals.match_state = 4;
    set_moving(24600, 0, 100, 20, 0, 0);
    check_score();
    EXPECT_EQ(ball().flight_flags & FLIGHT_SCORE_MARKS, 0);
}

TEST_F(BallTest, PostHitTurnsTheBallAndEndsTheTests)
{
    match_globals.match_state = 1;
    set_moving(24448, 817, 400, 20, 2, 0);
    ball().tumble_dir = -1;
    ball().tumble_phase = 7;
    check_score();
    EXPECT_EQ(ball().flight_flags & FLIGHT_POST, FLIGHT_POST);
    EXPECT_EQ(ball().vx, -20 * 65536);
    EXPECT_EQ(ball().vy, -2 * 65536);
    EXPECT_EQ(whole(ball().x), 24448 - 40);
    EXPECT_EQ(ball().tumble_dir, 1);
    EXPECT_EQ(ball().prev_bounce_phase, 7);
    ASSERT_EQ(effects.size(), 1u);
    EXPECT_EQ(effects[0].id, 9);
    // Marked once: later crossings mark nothing more.
    ball().x = 24700 * 65536;
    ball().vx = 20 * 65536;
    ball().y = 0;
    check_score();
    EXPECT_EQ(ball().flight_flags & FLIGHT_SCORE_MARKS, FLIGHT_POST);
}

TEST_F(BallTest, WideMarksFollowTheBall)
{
    set_moving(10000, 12000, 0, 0, 0, 0);
    ball().flags = BALL_FREE | BALL_WIDE_MARKS;
    ball_wide_test();
    EXPECT_EQ(ball().flags, BALL_FREE); // inside
    set_moving(0, 16500, 0, 0, 0, 0);
    ball_wide_test();
    EXPECT_EQ(ball().flags & BALL_WIDE_MARKS, BALL_WIDE_MARKS);
    set_moving(24700, 2000, 0, 0, 0, 0); // out over the behind line
    ball_wide_test();
    EXPECT_EQ(ball().flags & BALL_WIDE_MARKS, 0);
}

TEST_F(BallTest, CatchInAContestAlwaysHoldsWithinReach)
{
    match_globals.match_state = 1;
    PlayerSlot& m = man(0, 0);
    take_club(team_records[0], 8); // the worst hands of the league
    m.x = 1000;
    m.y = 1000;
    m.man_flags2 = 0x0001 | 0x2000;
    std::memset(controllers, 0, sizeof controllers);
    controllers[0].men[0] = &m;
    m.contest_group = &controllers[0];
    match_globals.active_men[0] = &m;
    match_globals.difficulty = 100;
    team_records[1].human_count = 1;
    for (int i = 0; i < 20; ++i) {
        set_moving(1000 + (i % 3) * 20, 1000 - 63, 40, 2, 0, -1);
        match_globals.ball_holder = nullptr;
        m.ball_coming = 0;
        resolve_ball_contacts();
        ASSERT_EQ(match_globals.ball_holder, &m) << i;
    }
    // One unit beyond reach on any axis: no catch.
    set_moving(1000, 1000 + 64, 40, 2, 0, -1);
    match_globals.ball_holder = nullptr;
    resolve_ball_contacts();
    EXPECT_EQ(match_globals.ball_holder, nullptr);
    m.contest_group = nullptr;
    controllers[0].men[0] = nullptr;
}

TEST_F(BallTest, SpilledCatchRunsOnOrBouncesBack)
{
    set_moving(0, 0, 500, 40, -20, -12);
    spill_ball(&man(0, 1), 0x2000);
    EXPECT_LE(whole(ball().vx), 3 - 10);
    EXPECT_GE(whole(ball().vx), 3 - 10 - 7);
    EXPECT_GE(whole(ball().vy), 3 + 5 - 7);
    EXPECT_LE(whole(ball().vz), -3 + 7 - 3);
    EXPECT_EQ(man(0, 1).ball_coming, 1u);
    set_moving(0, 0, 500, 40, -20, -12);
    spill_ball(&man(0, 1), 0x4000);
    EXPECT_GE(whole(ball().vx), 10 - 3);
    EXPECT_LE(whole(ball().vx), 10 + 4);
}

TEST_F(BallTest, HandpassIsGatheredOnlyByTheReceiverBeforeItBounces)
{
    match_globals.match_state = 1;
    PlayerSlot& near = man(0, 0);
    PlayerSlot& receiver = man(0, 1);
    take_club(team_records[0], 0);
    near.x = 0;
    near.y = 0;
    receiver.x = 50;
    receiver.y = 0;
    match_globals.active_men[0] = &near;
    match_globals.active_men[1] = &receiver;
    match_globals.pass_receiver = &receiver;
    set_moving(20, 0, 10, 1, 0, 0);
    ball().flight_flags |= FLIGHT_HANDPASSED;
    resolve_ball_contacts();
    EXPECT_EQ(match_globals.ball_holder, &receiver);
    // Once it has bounced anyone near may take it. (Taking the ball sorted
    // the list by distance; put it back.)
    match_globals.active_men[0] = &near;
    match_globals.active_men[1] = &receiver;
    match_globals.ball_holder = nullptr;
    receiver.ball_coming = 0;
    set_moving(20, 0, 10, 1, 0, 0);
    ball().flight_flags |= FLIGHT_HANDPASSED;
    ball().bounce_count = 1;
    resolve_ball_contacts();
    EXPECT_EQ(match_globals.ball_holder, &near);
}

TEST_F(BallTest, ContactsWaitForTheStateAndTheBounceAllowance)
{
    struct Case {
        uint8_t state;
        int32_t returned, bounces, allowance, vz;
        int32_t allowed;
    };
    const Case cases[] = {
        {1, 0, 0, 0, 0, 1},   {41, 0, 0, 0, 0, 1}, {65, 0, 0, 0, 0, 1}, {6, 0, 0, 0, 0, 0},  {36, 1, 0, 0, 0, 1},
        {13, 0, 0, 1, -5, 0}, {13, 0, 1, 1, 5, 0}, {53, 0, 1, 1, 0, 1}, {8, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        match_globals.match_state = c.state;
        match_globals.ball_returned = c.returned;
        match_globals.bounce_allowance = c.allowance;
        ball().bounce_count = static_cast<uint8_t>(c.bounces);
        ball().vz = c.vz;
        EXPECT_EQ(ball_contact_allowed(), c.allowed) << int(c.state);
    }
    match_globals.match_state = 1;
    match_globals.umpire_with_ball = &official_slots[0];
    EXPECT_EQ(ball_contact_allowed(), 0);
}

TEST_F(BallTest, RandomDeflectionFollowsTheToucher)
{
    PlayerSlot& at = man(0, 3);
    at.x = 700;
    at.y = -300;
    PlayerSlot& toucher = man(1, 3);
    toucher.velocity_x = 10;
    toucher.velocity_y = -10;
    place_ball(700, -300);
    deflect_ball_random(&at, &toucher);
    EXPECT_GE(ball().vx, ((512 + 160) << 16) / 62);
    EXPECT_LE(ball().vy, -((512 + 160) << 16) / 62);
    EXPECT_EQ(whole(ball().z), 384);
    EXPECT_EQ(ball().launch_x, 700);
    EXPECT_EQ(ball().launch_height, 384);
}

TEST_F(BallTest, LooseInTheAirBetweenTheHeights)
{
    const int32_t heights[][2] = {{511, 0}, {512, 1}, {6400, 1}, {6401, 0}};
    for (const auto& h : heights) {
        set_moving(0, 0, h[0], 0, 0, 0);
        EXPECT_EQ(ball_is_loose_in_air(), h[1]) << h[0];
    }
}

} // namespace

namespace {

struct Said {
    int32_t event, team_a, man_a, priority;
};
std::vector<Said> said;

class BallTalk : public BallTest {
protected:
    void SetUp() override
    {
        BallTest::SetUp();
        said.clear();
        match_hooks.commentate = [](int32_t e, int32_t ta, int32_t ma, int32_t, int32_t, int32_t p) {
            said.push_back({e, ta, ma, p});
        };
    }
};

TEST_F(BallTalk, SpoilPunchesTheBallBack)
{
    match_globals.match_state = 1;
    PlayerSlot& m = man(1, 2);
    m.x = 1000;
    m.y = 1000;
    m.man_flags2 = 0x0002;
    match_globals.active_men[0] = &m;
    set_moving(1200, 800, 700, 10, -4, -3);
    resolve_ball_contacts();
    EXPECT_EQ(ball().vx, -10 * 65536);
    EXPECT_EQ(ball().vy, 4 * 65536);
    EXPECT_EQ(ball().vz, -1);
    EXPECT_EQ(m.man_flags2, 0);
    ASSERT_EQ(effects.size(), 1u);
    EXPECT_EQ(effects[0].id, 11);
    EXPECT_EQ(effects[0].volume, 105);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0].event, 32);
    EXPECT_EQ(said[0].man_a, 2);
    // Too high or too far: no spoil.
    m.man_flags2 = 0x0002;
    set_moving(1200, 800, 704, 10, -4, -3);
    resolve_ball_contacts();
    EXPECT_EQ(ball().vx, 10 * 65536);
    set_moving(1257, 800, 300, 10, -4, -3);
    resolve_ball_contacts();
    EXPECT_EQ(ball().vx, 10 * 65536);
}

TEST_F(BallTalk, KickOffTargetIsNotedAtTheTopOfItsFlight)
{
    match_globals.match_state = 1;
    PlayerSlot& kicker = man(1, 7); // side 2 aims at +x
    kicker.x = 10000;
    kicker.y = 0;
    match_globals.last_kicker = &kicker;
    for (int i = 0; i < match_globals.active_men_count; ++i) {
        match_globals.landing_men[i] = match_globals.active_men[i];
        match_globals.landing_distance[i] = 5000 + i;
    }
    struct Case {
        uint8_t heading;
        int32_t missed;
    };
    for (const Case c : {Case{64, 0}, Case{64 + 19, 0}, Case{64 + 20, 1}, Case{0, 1}}) {
        match_globals.missed_kick = 0;
        place_ball(10000, 0);
        ball().flight_flags = FLIGHT_MOVING | FLIGHT_KICKED;
        ball().heading = c.heading;
        ball().vz = 1000; // turns downward this step
        ball().z = 200 * 65536;
        ball().landing_x = static_cast<int16_t>(10000 + fixed_sin(c.heading, 13000));
        ball().landing_y = static_cast<int16_t>(fixed_cos(c.heading, 13000));
        ball_step(&ball(), 0);
        EXPECT_EQ(match_globals.missed_kick, c.missed) << int(c.heading);
        ball().vz = 1000;
        match_globals.missed_kick = 0;
        ball_step(&ball(), 1); // the prediction says nothing and marks nothing
        EXPECT_EQ(match_globals.missed_kick, 0);
    }
    // Coming down well short of the goal is a miss too.
    place_ball(10000, 0);
    ball().flight_flags = FLIGHT_MOVING | FLIGHT_KICKED;
    ball().heading = 64;
    ball().vz = 1000;
    ball().z = 200 * 65536;
    ball().landing_x = 10000 + 12000;
    ball().landing_y = 0;
    ball_step(&ball(), 0);
    EXPECT_EQ(match_globals.missed_kick, 1);
}

TEST_F(BallTalk, RunningBounceSetsItsReach)
{
    PlayerSlot& m = man(0, 3);
    m.speed = 30;
    m.speed_burst = 0;
    start_bounce_ball(&m);
    EXPECT_EQ(m.next_bounce_distance, 30 * 261 * 81 / 20);
    EXPECT_EQ(m.speed, 20);
    m.speed = 30;
    m.speed_burst = 1;
    start_bounce_ball(&m);
    EXPECT_EQ(m.speed, 30);
}

} // namespace
