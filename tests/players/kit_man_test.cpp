// A headless man on the kit's own animations: he stands, walks, runs, kicks,
// handballs, catches and picks up the ball through the driver, with the
// events and contacts of the table.
#include "kit_fixture.h"
#include "league/league_data.h"
#include "match/man_behaviours.h"
#include "match/match_setup.h"
#include "players/actions.h"
#include "players/locomotion.h"
#include "players/movement.h"

#include <cmath>

namespace {

TEST_F(KitMan, StandsInPlace)
{
    play_man_animation(man, 1, 0, 1.0);
    play_man_animation(man, 0, 0, 1.0);
    const uint32_t idle = man->primary_animation;
    EXPECT_TRUE(idle >= 194 && idle <= 218) << idle;
    ticks(60);
    EXPECT_EQ(man->x, 0);
    EXPECT_EQ(man->y, 0);
    EXPECT_GT(man->primary_position, 0);
}

TEST_F(KitMan, WalksAndRunsAlongHisFacing)
{
    struct Case {
        uint32_t gait;
        int16_t speed;
    } cases[] = {{1, 8}, {3, 25}};
    for (const Case& c : cases) {
        man->x = man->y = 0;
        man->x_frac = man->y_frac = 0;
        play_man_animation(man, c.gait, 0, 1.0);
        man->speed = c.speed;
        ticks(62);
        // About his speed a tick, along +x.
        EXPECT_NEAR(man->x, 62 * c.speed, 62 * c.speed / 3) << "gait " << c.gait;
        EXPECT_NEAR(man->y, 0, 8) << "gait " << c.gait;
        EXPECT_EQ(man->primary_animation, c.gait) << "the cycle follows itself";
    }
}

TEST_F(KitMan, KickReleasesTheBallAtItsReleaseFrame)
{
    hold_ball();
    man->man_flags = MAN_BUSY | 0x0002;
    match_globals.disposal.target_x = 8000;
    match_globals.disposal.target_y = 0;
    match_globals.disposal.argument = 32;
    play_man_animation(man, 21, 0, 1.0);
    const int32_t release = animation_table[21].release_frame - 1;
    ticks_past(release - 1);
    EXPECT_EQ(match_globals.ball_holder, man) << "still his before the release frame";
    ticks_past(release);
    EXPECT_EQ(match_globals.ball_holder, nullptr);
    EXPECT_TRUE(ball_state.flight_flags & FLIGHT_KICKED);
    EXPECT_GT(ball_state.vx, 0);
    EXPECT_GT(ball_state.vz, 0);
    EXPECT_EQ(man->man_flags & 0x0006, 0);
    ASSERT_FALSE(heard_effects.empty());
    EXPECT_EQ(heard_effects.back().effect, 10);
}

TEST_F(KitMan, HandballReleasedAtItsReleaseFrameLaunchesTheBall)
{
    hold_ball();
    man->man_flags = MAN_BUSY | 0x0004;
    match_globals.disposal.dx = 0;
    match_globals.disposal.dy = 1200;
    play_man_animation(man, 11, 0, 1.0);
    ticks_past(13);
    EXPECT_EQ(match_globals.ball_holder, man);
    ticks_past(14);
    EXPECT_EQ(match_globals.ball_holder, nullptr);
    EXPECT_TRUE(ball_state.flight_flags & FLIGHT_HANDPASSED);
    EXPECT_EQ(ball_state.vx, 0);
    EXPECT_GT(ball_state.vy, 0);
    EXPECT_EQ(ball_state.launch_height, 384);
    EXPECT_EQ(man->speed_burst_b, 50) << "no receiver";
}

TEST_F(KitMan, AHandballByAManWithoutTheBallDoesNothing)
{
    man->man_flags = MAN_BUSY | 0x0004;
    play_man_animation(man, 11, 0, 1.0);
    ticks_past(14);
    EXPECT_EQ(ball_state.vx | ball_state.vy | ball_state.vz, 0);
}

TEST_F(KitMan, CatchTakesTheBallAtItsContactFrame)
{
    const int32_t contact = animation_table[41].contact_frame; // the event frame + 1
    play_man_animation(man, 41, 0, 1.0);
    ticks_past(contact - 2);
    ball_at_joint(41, contact, JOINT_BALL); // where his hands will be
    EXPECT_EQ(match_globals.ball_holder, nullptr);
    ticks_past(contact - 1);
    EXPECT_EQ(match_globals.ball_holder, man);
}

TEST_F(KitMan, ACatchMissesABallOutOfReach)
{
    const int32_t contact = animation_table[41].contact_frame;
    play_man_animation(man, 41, 0, 1.0);
    ticks_past(contact - 2);
    ball_at_joint(41, contact, JOINT_BALL);
    ball_state.z += 70 << 16;
    ball_state.prev_z = static_cast<int16_t>(ball_state.z >> 16);
    ticks_past(contact - 1);
    EXPECT_EQ(match_globals.ball_holder, nullptr);
}

TEST_F(KitMan, PicksUpTheBallAtItsContactFrame)
{
    const int32_t contact = animation_table[239].contact_frame;
    play_man_animation(man, 239, 0, 1.0);
    man->man_flags |= MAN_BUSY;
    match_globals.pending_pickup_man = man;
    ticks_past(contact - 2);
    ball_at_joint(239, contact, JOINT_BALL);
    ASSERT_LT(ball_state.z >> 16, 33) << "the kit's pick-up reaches the ground";
    EXPECT_EQ(match_globals.ball_holder, nullptr);
    ticks_past(contact - 1);
    EXPECT_EQ(match_globals.ball_holder, man);
    EXPECT_TRUE(man->man_flags & 0x0400);
    EXPECT_EQ(match_globals.pending_pickup_man, nullptr);
}

TEST_F(KitMan, AnUmpireFetchingAStillBallGathersItInOneRun)
{
    // The field umpire running at a ball lying 330 ahead: the planned
    // pick-up carries him by its step and times its contact frame to the
    // planned tick, so the first try takes the ball.
    PlayerSlot* u = &official_slots[0];
    u->number = FIRST_OFFICIAL_NUMBER;
    u->top_speed = 255;
    u->size_index = 1;
    u->facing = u->wanted_facing = 64;
    u->x = u->y = 0;
    play_man_animation(u, 3, 0, 1.0);
    u->speed = 12;
    u->path_dx = 3; // a step left from before, which the pick-up must replace
    u->action = 1;
    ball_state.x = 330 << 16, ball_state.y = 0, ball_state.z = 0;
    ball_state.vx = ball_state.vy = ball_state.vz = 0;
    ball_state.flags = 1;
    ball_state.flight_flags = FLIGHT_AT_REST;
    for (int k = 0; k < PREDICTED_STEPS; ++k) {
        predicted_ball_path.position[k][0] = ball_state.x;
        predicted_ball_path.position[k][1] = 0;
        predicted_ball_path.position[k][2] = 0;
    }
    ball_contact_planner_d(u);
    nearest_option_action1(u);
    ASSERT_EQ(u->man_flags & 0x0880, 0x0880) << "no pick-up was started";
    const ContactCandidate* c = nullptr;
    for (int e = 0; e < PICKUP_ENTRIES; ++e)
        if (pickup_row(u)[e].valid && pickup_row(u)[e].animation == u->primary_animation) c = &pickup_row(u)[e];
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(man_step_x_fixed(u), c->vx) << "carried by the slot's motion";
    int t = 0;
    for (; t < 200 && !match_globals.umpire_with_ball; ++t) {
        update_man_speed(u);
        advance_man_animation(u);
    }
    EXPECT_EQ(match_globals.umpire_with_ball, u);
    EXPECT_NEAR(t, c->ticks, 2) << "the contact frame comes at the planned tick";
}

// The umpire's own steps, a tick at a time, until he arrives or the cap.
void run_umpire_to_target(PlayerSlot* u, int cap)
{
    for (int t = 0; t < cap && !u->arrived; ++t) {
        umpire_act(u);
        update_motion_limits(u);
        update_man_locomotion(u);
        advance_man_animation(u);
    }
}

TEST_F(KitMan, UmpiresWalkShortWaysFromAStand)
{
    // A short way from a stand: the cap near the target is low, so only
    // the umpire's own acceleration brings him up to a walk.
    for (const int32_t way : {129, 400, 2000}) {
        init_officials();
        PlayerSlot* u = &official_slots[0];
        play_man_animation(u, 0, 0, 1.0);
        u->action = 6;
        u->arrived = 0;
        u->target_x = u->x;
        u->target_y = static_cast<int16_t>(u->y - way);
        run_umpire_to_target(u, 1000);
        EXPECT_EQ(u->arrived, 1u) << "a way of " << way;
        EXPECT_NEAR(u->y, 513 - way, 16) << "a way of " << way;
    }
}

// A running umpire sent to a point square to his side, near enough for a
// running quarter turn: the turn must bring him round within its reach, or
// he turns again and again round the point and never gets there.
TEST_F(KitMan, ARunningUmpireComesRoundToAPointBesideHim)
{
    for (const int32_t side : {900, -900, 1150, -1150}) {
        init_officials();
        PlayerSlot* u = &official_slots[0];
        u->x = u->y = 0;
        u->x_frac = u->y_frac = 0;
        u->facing = u->wanted_facing = 64;
        play_man_animation(u, 3, 0, 1.0);
        u->speed = 25;
        u->effort = 100;
        u->action = 6;
        u->arrived = 0;
        u->target_x = 0;
        u->target_y = static_cast<int16_t>(side);
        run_umpire_to_target(u, 1500);
        EXPECT_EQ(u->arrived, 1u) << "a point " << side << " to his side; he is at " << u->x << "," << u->y;
    }
}

TEST_F(KitMan, MarksAJumpingCatch)
{
    // The jump goes up at its take-off frame and comes down into its catch.
    man->plan_active = 0;
    man->plan_vz = 6 * 65536;
    play_man_animation(man, 227, 0, 1.0);
    ticks_past(animation_table[227].data ? anim_last_frame(227) : 0);
    EXPECT_EQ(man->primary_animation, 228u);
    EXPECT_TRUE(man->man_flags & 0x0100) << "airborne";
    EXPECT_EQ(man->velocity_z, 6);
    EXPECT_GT(man->rate_override, 0);
}

TEST_F(KitMan, AStandingJumpSpoilRisesByHisJumpAndLastsItsAnimation)
{
    league_player person{};
    man->person = &person;
    for (const int16_t jump : {16, 19}) {
        SCOPED_TRACE(jump);
        set_player_i16(&person, 50, jump); // attribute 25
        man->z = man->z_frac = 0;
        man->man_flags = man->man_flags2 = 0;
        start_standing_jump_spoil(man);
        EXPECT_EQ(man->primary_animation, 243u);
        EXPECT_EQ(man->velocity_z, jump);
        EXPECT_EQ(man->velocity_z_frac, 0);
        EXPECT_EQ(man->man_flags2 & 0x1001, 0x1001);
        // In the air until he lands; the rate runs the frames over that time.
        int air = 0;
        while ((man->man_flags2 & 0x1000) && air < 500) {
            update_man_speed(man);
            ++air;
        }
        ASSERT_LT(air, 500) << "he lands";
        const int64_t frames = anim_length(243) / 50000;
        EXPECT_NEAR(static_cast<double>(man->secondary_rate) * air, static_cast<double>(frames * 65536), 65536.0);
    }
}

} // namespace

namespace {

class KitMark : public KitMan {};

TEST_F(KitMark, AKickedBallIsPlannedForAndMarked)
{
    set_ball_ground_values(0);
    man->facing = 192; // toward the kicker at -x
    PlayerSlot& kicker = team_records[1].slots[2];
    kicker.number = 2, kicker.team = &team_records[1], kicker.side = 1, kicker.x = -4000;
    ball_state.x = -4000 << 16, ball_state.y = 0, ball_state.z = 0;
    ball_state.flags = 1;
    ball_state.flight_flags = FLIGHT_MOVING;
    launch_ball_to_point(&kicker, 32, 4000, 0, 64, 4000, 0, FLIGHT_KICKED);
    man->ball_coming = 0;
    bool started = false;
    for (int t = 0; t < 400 && !match_globals.ball_holder; ++t) {
        update_ball(&ball_state, 1);
        if (!started) {
            clear_contact_plans();
            ball_contact_planner_b(man);
            const ContactCandidate& c = catch_row(man)[0];
            if (c.valid && c.ticks > 0) {
                // The catch timed to meet the ball: its frames to contact over the ticks.
                play_man_animation(man, c.animation, 0, c.time_ratio);
                started = true;
            }
        }
        advance_man_animation(man);
    }
    EXPECT_TRUE(started) << "the catch planner found no catch";
    EXPECT_EQ(match_globals.ball_holder, man);
}

TEST_F(KitMark, PlannersOverASyntheticPath)
{
    // A ball dropping 20 units a tick, 300 in front of him (facing +x):
    // at a catch's height in some 40 ticks.
    auto drop_at = [](int32_t x, int32_t y) {
        for (int k = 0; k < PREDICTED_STEPS; ++k) {
            predicted_ball_path.position[k][0] = x << 16;
            predicted_ball_path.position[k][2] = y << 16;
            predicted_ball_path.position[k][1] = std::max(0, (1300 - 20 * k)) << 16;
        }
    };
    ball_state.vz = -20 << 16;
    drop_at(300, 0);
    ball_contact_planner_b(man);
    int found = 0;
    for (int e = 0; e < CATCH_ENTRIES; ++e) found += catch_row(man)[e].valid;
    EXPECT_GT(found, 0);
    // Turned away from it by more than 32: nothing from any planner.
    clear_contact_plans();
    man->facing = 64 + 40;
    man_ai_update(man);
    for (int e = 0; e < CATCH_ENTRIES; ++e) EXPECT_FALSE(catch_row(man)[e].valid);
    for (int e = 0; e < SLAP_ENTRIES; ++e) EXPECT_FALSE(slap_row(man)[e].valid);
    for (int e = 0; e < PICKUP_ENTRIES; ++e) EXPECT_FALSE(pickup_row(man)[e].valid);
    // A ball lying still: the pick-up's ticks are its frames x 93 / 40.
    clear_contact_plans();
    man->facing = 64;
    ball_state.vx = ball_state.vy = ball_state.vz = 0;
    int32_t hands[3];
    get_joint_position(hands, man, 239, 0, animation_table[239].contact_frame, man->facing, JOINT_BALL);
    for (int k = 0; k < PREDICTED_STEPS; ++k) {
        predicted_ball_path.position[k][0] = hands[0] << 16;
        predicted_ball_path.position[k][2] = hands[2] << 16;
        predicted_ball_path.position[k][1] = 0;
    }
    ball_contact_planner_c(man);
    const ContactCandidate& p = pickup_row(man)[0];
    ASSERT_TRUE(p.valid);
    EXPECT_EQ(p.ticks, animation_table[p.animation].contact_frame * 93 / 40);
    // Bench men own no row: nothing is written for them.
    PlayerSlot& bench = team_records[1].slots[20];
    bench.number = 20, bench.team = &team_records[1];
    EXPECT_EQ(catch_row(&bench), nullptr);
    man_ai_update(&bench);
}

} // namespace

namespace {

TEST_F(KitMark, EverySlapAndTheGroundKickCanBePlanned)
{
    // Each slap's own contact point, reached by a ball falling through it at
    // the pace of the slap's frames: the kit's slaps meet it.
    man->facing = 64;
    for (const ContactRow& r : slap_rows) {
        clear_contact_plans();
        const int32_t ticks = static_cast<int32_t>(r.contact_frame * 3.1);
        const double a = 64 * 6.283185307179586 / 256.0;
        const int32_t ox = r.mirrored ? -r.point[1][0] : r.point[1][0];
        const int32_t bx = static_cast<int32_t>(ox * std::cos(a) + r.point[1][2] * std::sin(a));
        const int32_t by = static_cast<int32_t>(-ox * std::sin(a) + r.point[1][2] * std::cos(a));
        for (int k = 0; k < PREDICTED_STEPS; ++k) {
            predicted_ball_path.position[k][0] = bx << 16;
            predicted_ball_path.position[k][2] = by << 16;
            predicted_ball_path.position[k][1] = (r.point[1][1] + 10 * (ticks - k)) << 16;
        }
        ball_state.vz = -10 << 16;
        ball_contact_planner_a(man);
        bool found = false;
        for (int e = 0; e < SLAP_ENTRIES; ++e)
            found = found || (slap_row(man)[e].valid && slap_row(man)[e].animation == r.animation);
        EXPECT_TRUE(found) << "slap " << r.animation << " at (" << bx << ", " << r.point[1][1] << ", " << by << ")";
    }
    // A ball lying still at his kicking foot's contact point.
    clear_contact_plans();
    const ContactRow& k = ground_kick_row_data;
    ball_state.vx = ball_state.vy = ball_state.vz = 0;
    for (int i = 0; i < PREDICTED_STEPS; ++i) {
        predicted_ball_path.position[i][0] = k.point[1][2] << 16;
        predicted_ball_path.position[i][2] = -k.point[1][0] << 16;
        predicted_ball_path.position[i][1] = 0;
    }
    ball_contact_planner_e(man);
    ASSERT_TRUE(ground_kick_row(man)[0].valid);
    EXPECT_EQ(ground_kick_row(man)[0].animation, 142u);
}

} // namespace
