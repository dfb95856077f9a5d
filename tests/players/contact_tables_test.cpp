// Contact geometry on the kit's data: the path search, flight times, leads,
// the jump-action test, the spoil and the kick-out timing.
#include "kit_fixture.h"

#include "match/game_maths.h"

namespace {

class Contact : public KitMan {
protected:
    // Heights of the path, one a tick; the rest of the 500 stay on the ground.
    void path_heights(std::initializer_list<int32_t> h, int32_t x = 0, int32_t y = 0)
    {
        int k = 0;
        for (int32_t v : h) {
            predicted_ball_path.position[k][0] = x << 16;
            predicted_ball_path.position[k][1] = v << 16;
            predicted_ball_path.position[k][2] = y << 16;
            ++k;
        }
        for (; k < PREDICTED_STEPS; ++k) {
            predicted_ball_path.position[k][0] = x << 16;
            predicted_ball_path.position[k][1] = 0;
            predicted_ball_path.position[k][2] = y << 16;
        }
    }
};

TEST_F(Contact, PathSearchFindsTheLastTickAboveAHeight)
{
    path_heights({100, 300, 500, 400, 200, 50});
    struct {
        int32_t h, a, b;
    } cases[] = {
        {500, 2, -1},  // an equal key at the top counts only for the first search
        {400, 3, 3},   // equal while falling: both take it
        {300, 1, 3},   // rising through it counts for the first search only
        {250, 3, 3},   // crossed between 400 and 200
        {600, -1, -1}, // never that high
    };
    for (auto c : cases) {
        EXPECT_EQ(find_sorted_index(c.h), c.a) << c.h;
        EXPECT_EQ(find_sorted_index_b(c.h), c.b) << c.h;
    }
}

TEST_F(Contact, LeadTimeGrowsWithDistanceAndElevation)
{
    EXPECT_EQ(lead_time(18, 1000), 38);
    EXPECT_GT(lead_time(18, 4000), lead_time(18, 1000));
    EXPECT_GT(lead_time(30, 1000), lead_time(18, 1000));
    EXPECT_EQ(lead_time(18, 0), 1);
}

TEST_F(Contact, KickLeadAimsShortOfAStandingManAndAheadOfARunner)
{
    PlayerSlot& mate = team_records[0].slots[7];
    mate.x = 3000, mate.y = 0, mate.facing = 0;
    int32_t dx, dy;
    kick_lead(man, &mate, &dx, &dy, 0, 0, 0);
    EXPECT_EQ(dx, 3000 - 512);
    EXPECT_EQ(dy, 0);
    mate.speed = 18;
    kick_lead(man, &mate, &dx, &dy, 0, 0, 0);
    EXPECT_EQ(dx, 3000 - 512);
    EXPECT_EQ(dy, fixed_cos(0, 18 * 3000 / 180)) << "led along his facing by speed x distance / 180";
    EXPECT_EQ(man->target_x, 3000 - 512);
    team_records[0].human_count = 1;
    kick_lead(man, &mate, &dx, &dy, 0, 0, 0);
    EXPECT_EQ(dy, 0) << "no lead for a human team";
}

TEST_F(Contact, ReceiverLeadOfAStandingReceiverIsHisCatchPoint)
{
    PlayerSlot& mate = team_records[0].slots[7];
    mate.x = 2000, mate.y = 500, mate.facing = 0;
    ball_state.x = 100 << 16, ball_state.y = 50 << 16;
    int16_t elevation = 18;
    int32_t dx, dy, p[3];
    receiver_lead(man, &mate, &elevation, &dx, &dy);
    const uint8_t to_thrower = static_cast<uint8_t>(vector_angle(man->x - mate.x, man->y - mate.y));
    get_limb_position(p, &mate, 41, animation_table[41].contact_frame, to_thrower, 0);
    EXPECT_EQ(dx, 2000 + p[0] - 100);
    EXPECT_EQ(dy, 500 + p[2] - 50);
    EXPECT_EQ(elevation, 18);
}

TEST_F(Contact, JumpActionTestAndItsPlan)
{
    man->facing = 64;
    // A ball falling straight down just ahead of him, slowly enough.
    for (int k = 0; k < PREDICTED_STEPS; ++k) {
        predicted_ball_path.position[k][0] = 120 << 16;
        predicted_ball_path.position[k][1] = std::max(0, 4000 - 15 * k) << 16;
        predicted_ball_path.position[k][2] = 0;
    }
    EXPECT_EQ(test_ball_action(man, 61, nullptr, 1), 0) << "61 has no row";
    EXPECT_EQ(test_ball_action(man, 40, nullptr, 1), 0);
    man->man_flags = MAN_BUSY;
    EXPECT_EQ(test_ball_action(man, 59, nullptr, 1), 0) << "busy";
    man->man_flags = 0;
    ASSERT_EQ(test_ball_action(man, 59, nullptr, 0), 1);
    EXPECT_EQ(man->plan_active, 0u) << "no commit, no plan";
    ASSERT_EQ(test_ball_action(man, 59, nullptr, 1), 1);
    EXPECT_EQ(man->plan_active, 1u);
    EXPECT_EQ(man->plan_action, 59);
    EXPECT_EQ(man->plan_angle, 64);
    // The same ball far out to the side is beyond his reach.
    man->plan_active = 0;
    for (int k = 0; k < PREDICTED_STEPS; ++k) predicted_ball_path.position[k][0] = 9000 << 16;
    EXPECT_EQ(test_ball_action(man, 59, nullptr, 1), 0);
}

TEST_F(Contact, SpoilSendsTheBallToThePlanTarget)
{
    PlayerSlot& mate = team_records[0].slots[7];
    mate.x = 1000, mate.y = 1000;
    man->plan_target_man = &mate;
    ball_state.x = 0, ball_state.y = 0, ball_state.z = 600 << 16;
    ball_state.flight_flags = 0xFFFF;
    spoil_ball(man);
    EXPECT_GT(ball_state.vx, 0);
    EXPECT_EQ(ball_state.vx, ball_state.vy);
    EXPECT_EQ(ball_state.flight_flags, 0x383C | 0x0200);
    EXPECT_EQ(mate.action, 23);
    EXPECT_EQ(mate.effort, 100);
    // It comes down at his height: step the flight until it passes him.
    BallState b = ball_state;
    int t = 0;
    while ((b.x >> 16) < 999 && t < 500) {
        b.x += b.vx, b.y += b.vy, b.z += b.vz - BALL_GRAVITY / 2, b.vz -= BALL_GRAVITY;
        ++t;
    }
    EXPECT_NEAR(b.z >> 16, 0, 40);
}

TEST_F(Contact, KickOutSlackOnlyInTheKickOutStates)
{
    man->top_speed = 30;
    EXPECT_EQ(kick_out_slack(man, 5000, 0), 0);
    match_globals.match_state = 59;
    match_globals.controlled_man_a = man;
    const int32_t slack = kick_out_slack(man, 5000, 0);
    EXPECT_NE(slack, 0);
    EXPECT_EQ(match_globals.kick_out_spot_x, 5000);
    // A side-1 man runs to the mirrored spot; a top speed of 0 still answers.
    man->side = 1;
    man->top_speed = 0;
    kick_out_slack(man, 5000, 300);
    EXPECT_EQ(match_globals.kick_out_spot_x, 5000);
    EXPECT_EQ(match_globals.kick_out_spot_y, 300);
    match_globals.match_state = 65;
    match_globals.kick_out_spot_x = 7;
    kick_out_slack(man, 1000, 0);
    EXPECT_EQ(match_globals.kick_out_spot_x, 7) << "65 stores nothing";
}

TEST_F(Contact, LeadTargetsNeedTheMansOwnSlapsAndARow)
{
    PlayerSlot& bench = team_records[0].slots[19];
    bench.number = 19, bench.team = &team_records[0];
    EXPECT_EQ(evaluate_lead_targets(&bench), -1);
    EXPECT_EQ(evaluate_lead_targets(man), -1) << "no slap candidates";
    // Another man's slaps are not his.
    slap_candidates[candidate_index(man) + 1][0].valid = 1;
    EXPECT_EQ(evaluate_lead_targets(man), -1);
}

} // namespace

namespace {

TEST_F(Contact, LeadTargetsPickTheMateClearOfOpponents)
{
    man->x = 0, man->y = 0, man->facing = 64;
    ContactCandidate& slap = slap_candidates[candidate_index(man)][0];
    slap.valid = 1, slap.ticks = 5, slap.animation = 49; // forward
    for (int k = 0; k < PREDICTED_STEPS; ++k) {
        predicted_ball_path.position[k][0] = 100 << 16;
        predicted_ball_path.position[k][1] = 300 << 16;
        predicted_ball_path.position[k][2] = 0;
    }
    PlayerSlot& near_opp = team_records[0].slots[5];
    PlayerSlot& clear = team_records[0].slots[6];
    PlayerSlot& busy = team_records[0].slots[8];
    PlayerSlot& opponent = team_records[1].slots[3];
    for (PlayerSlot* m : {&near_opp, &clear, &busy}) m->team = &team_records[0], m->side = 2;
    opponent.side = 1;
    near_opp.x = 2000, near_opp.y = 0;
    clear.x = 3000, clear.y = 500;
    busy.x = 2500, busy.y = 0, busy.busy_flag = 1;
    opponent.x = 2100, opponent.y = 0;
    PlayerSlot* men[] = {man, &near_opp, &busy, &opponent};
    match_globals.active_men_count = 4;
    for (int i = 0; i < 4; ++i) match_globals.active_men[i] = men[i];
    EXPECT_EQ(evaluate_lead_targets(man), 0) << "one pair, and it gains ground";
    match_globals.active_men[4] = &clear;
    match_globals.active_men_count = 5;
    EXPECT_EQ(evaluate_lead_targets(man), 1) << "the second pair's mate stands clear";
    man->excluded = 1;
    EXPECT_EQ(evaluate_lead_targets(man), -1);
}

} // namespace
