#include "match/ball.h"
#include "match/game_maths.h"
#include "match/match_hooks.h"
#include "match/proposals.h"
#include "match/set_play_director.h"
#include "match/formation.h"
#include "match/kick_outs.h"
#include "match/match_flow.h"
#include "match/match_records.h"
#include "players/behaviour_handlers.h"
#include "players/occupancy.h"
#include "two_teams.h"

#include <gtest/gtest.h>

namespace {

class Director : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_up_two_teams(22);
        list_active_men(18);
        clear_match_hooks();
        place_ball(0, 0);
        reset_action_quotas();
        for (int i = 0; i < OFFICIAL_COUNT; ++i)
            official_slots[i].number = static_cast<uint8_t>(64 + i);
        for (TeamRecord& t : team_records) {
            for (int i = 0; i < TEAM_SLOTS; ++i) {
                PlayerSlot& m = t.slots[i];
                m.x = static_cast<int16_t>((t.side == 2 ? 1 : -1) * (1000 + 500 * i));
                m.y = static_cast<int16_t>(300 * i);
                m.proposal_count = 0;
            }
            t.key_men[0] = 0;
            t.captain = &t.slots[1];
            t.vice_captain = &t.slots[2];
        }
    }
    void TearDown() override { clear_match_hooks(); }
    static PlayerSlot& man(int team, int n) { return team_records[team].slots[n]; }
    static const ActionProposal& first(const PlayerSlot& m) { return m.proposals[0]; }
    static void run(uint8_t state)
    {
        match_globals.match_state = state;
        for (TeamRecord& t : team_records)
            for (PlayerSlot& m : t.slots)
                m.proposal_count = 0;
        setup_play_situation();
    }
};

TEST_F(Director, QuarterStartSendsMenHome)
{
    match_globals.ball_holder = &man(0, 5);
    man(1, 6).y = 24577;
    run(2);
    EXPECT_EQ(first(man(0, 5)).action, 37);
    EXPECT_EQ(first(man(0, 4)).action, 36);
    EXPECT_EQ(first(man(0, 4)).x, default_formation_spots[0].spot[4].x);
    EXPECT_EQ(first(man(1, 6)).action, 32);
    EXPECT_EQ(first(man(1, 6)).x, -256);
    EXPECT_EQ(first(man(1, 6)).y, 23296);
    EXPECT_EQ(first(man(1, 6)).priority, 255);
    man(0, 7).busy_flag = 1;
    run(2);
    EXPECT_EQ(man(0, 7).proposal_count, 0);
}

TEST_F(Director, FullTimeTakesEveryoneAndTheBreakOnlyTheFree)
{
    match_globals.gather_x = -512;
    match_globals.gather_y = 20000;
    man(0, 3).busy_flag = 1;
    man(0, 3).fight_opponent = &man(1, 3);
    run(15);
    EXPECT_EQ(first(man(0, 3)).action, ACT_MOVE_TO_POINT);
    EXPECT_EQ(first(man(0, 3)).x, -512);
    EXPECT_EQ(man(0, 3).effort, 35);
    EXPECT_EQ(man(0, 3).fight_opponent, nullptr);
    for (uint8_t s : {16, 17}) {
        run(s);
        EXPECT_EQ(man(0, 3).proposal_count, 0);
        EXPECT_EQ(first(man(1, 3)).action, ACT_WALK_OFF);
        EXPECT_EQ(first(man(1, 3)).y, 20000);
    }
}

TEST_F(Director, LineUpAndCeremonies)
{
    run(19);
    EXPECT_EQ(first(man(0, 4)).action, ACT_RUN_TO_SPOT);
    EXPECT_EQ(first(man(0, 4)).x, 1792); // side 1: the spot negated
    EXPECT_EQ(first(man(1, 4)).x, -1792);
    EXPECT_EQ(man(0, 20).busy_flag, 0u);

    // Coin-toss line-up: the leaders face the umpire, the others the line.
    official_slots[0].x = 0;
    official_slots[0].y = 0;
    run(20);
    EXPECT_EQ(man(0, 1).proposal_count, 0);
    EXPECT_EQ(man(0, 1).wanted_facing, static_cast<int16_t>(vector_angle(-man(0, 1).x, -man(0, 1).y)));
    EXPECT_EQ(first(man(0, 5)).action, ACT_STAND);
    EXPECT_EQ(first(man(0, 5)).priority, 12000);
    EXPECT_EQ(first(man(0, 5)).x, man(0, 5).x);

    // Captains meet: the captains walk in, the vice-captains behind them.
    run(22);
    EXPECT_EQ(first(man(0, 1)).action, ACT_MOVE_TO_POINT);
    EXPECT_EQ(first(man(0, 1)).x, 512);
    EXPECT_EQ(first(man(1, 1)).x, -512);
    EXPECT_EQ(first(man(0, 2)).y, -256);
    EXPECT_EQ(first(man(1, 2)).y, 256);
    man(0, 1).arrived = man(1, 1).arrived = 1;
    run(22);
    EXPECT_EQ(man(0, 1).job_step, 1);
    EXPECT_EQ(man(1, 1).job_step, 1);
    EXPECT_EQ(first(man(1, 1)).action, 77);
    man(0, 1).arrived = man(1, 1).arrived = 1;
    run(22); // both close in, and in the same pass shake hands
    EXPECT_EQ(man(0, 1).job_step, 3);
    EXPECT_TRUE(match_globals.handshake_done);
    EXPECT_TRUE(man(1, 1).man_flags & MAN_BUSY);
    man(0, 1).man_flags = man(1, 1).man_flags = 0;
    run(22);
    EXPECT_EQ(man(0, 1).job_step, 4);
    run(22);
    EXPECT_EQ(first(man(0, 1)).priority, 1200);

    match_globals.toss_winner = 1;
    run(24);
    EXPECT_EQ(first(man(1, 1)).action, ACT_RUN_TO_POINT);
    EXPECT_EQ(first(man(0, 2)).action, ACT_MOVE_TO_POINT);
    EXPECT_EQ(first(man(0, 2)).x, line_up_spots[2].x); // the first team record: as stored
    man(1, 1).man_flags = MAN_BUSY;
    run(24);
    EXPECT_EQ(man(1, 1).proposal_count, 0);
}

// After the toss the captains and vice-captains walk back to the places they
// lined up at, and the others keep facing their own line, whether the toss
// kept the ends or changed them. Sent by their new side, the captains ran
// into the other team's line and the bounce never came.
TEST_F(Director, LeadersWalkBackToTheirOwnLineWhateverEndsTheTossGave)
{
    const auto set_sides = [](uint8_t first) {
        for (TeamRecord& t : team_records) {
            t.side = &t == &team_records[0] ? first : static_cast<uint8_t>(3 - first);
            for (PlayerSlot& m : t.slots)
                m.side = t.side;
        }
    };
    for (const bool ends_changed : {false, true}) {
        SCOPED_TRACE(ends_changed ? "ends changed" : "ends kept");
        set_sides(2); // as match set-up lines the teams up
        run(19);
        ActionProposal lined_up[2][3];
        for (int t = 0; t < 2; ++t)
            for (int n : {1, 2})
                lined_up[t][n] = first(man(t, n));
        run(20);
        const int16_t facing = man(1, 5).wanted_facing;

        set_sides(ends_changed ? 1 : 2);
        match_globals.toss_winner = 0;
        for (TeamRecord& t : team_records)
            t.captain->man_flags = 0;
        run(24);
        for (int t = 0; t < 2; ++t)
            for (int n : {1, 2}) {
                EXPECT_EQ(first(man(t, n)).action, n == 1 ? ACT_RUN_TO_POINT : ACT_MOVE_TO_POINT);
                EXPECT_EQ(first(man(t, n)).x, lined_up[t][n].x) << "team " << t << " man " << n;
                EXPECT_EQ(first(man(t, n)).y, lined_up[t][n].y) << "team " << t << " man " << n;
            }
        EXPECT_EQ(man(1, 5).wanted_facing, facing);
    }
}

TEST_F(Director, FightKeepsOthersClear)
{
    PlayerSlot& a = man(0, 1);
    PlayerSlot& b = man(1, 1);
    a.x = 0;
    a.y = 0;
    b.x = 400;
    b.y = 0;
    a.fight_opponent = &b;
    b.fight_opponent = &a;
    a.fight_link = b.fight_link = 1;
    match_globals.fight_pair[0] = &a;
    match_globals.fight_pair[1] = &b;
    match_globals.fight_return_state = 1;
    PlayerSlot& near = man(0, 5);
    near.x = 200;
    near.y = 600; // 600 from the middle: too close
    PlayerSlot& watching = man(1, 5);
    watching.x = 200;
    watching.y = -1200;
    watching.facing = 0; // facing the fight
    PlayerSlot& far = man(1, 9);
    far.x = 9000;
    far.fight_opponent = &man(0, 9);
    run(3);
    EXPECT_EQ(first(near).action, ACT_MOVE_TO_POINT);
    EXPECT_EQ(first(near).y, 2048);
    EXPECT_EQ(watching.proposal_count, 0);
    EXPECT_TRUE(watching.man_flags & MAN_BUSY); // backs away
    EXPECT_EQ(first(far).action, 86);
    EXPECT_EQ(first(far).priority, 10000);
    EXPECT_EQ(match_globals.match_state, 3);
    // Apart by 3841 the fight is over.
    b.x = 3841;
    run(3);
    EXPECT_EQ(match_globals.match_state, 1);
    EXPECT_EQ(match_globals.fight_pair[0], nullptr);
}

TEST_F(Director, FightWithAMissingFighterPostsNothingOfIt)
{
    match_globals.fight_pair[0] = &man(0, 1);
    match_globals.fight_pair[1] = nullptr;
    PlayerSlot& near = man(0, 5);
    near.x = man(0, 1).x + 100;
    near.y = man(0, 1).y;
    run(3);
    EXPECT_EQ(near.proposal_count, 0);
    EXPECT_EQ(near.action, 0);
    EXPECT_EQ(match_globals.match_state, 3); // the rules end it
}

TEST_F(Director, PairingPicksTheNearerWouldBeFighter)
{
    man(0, 3).fight_opponent = &man(1, 3);
    man(0, 4).fight_opponent = &man(1, 4);
    man(1, 4).x = static_cast<int16_t>(man(0, 4).x + 10);
    man(1, 4).y = man(0, 4).y;
    run(44);
    EXPECT_EQ(first(man(0, 3)).action, 86);
    EXPECT_EQ(first(man(0, 5)).action, ACT_STAND);
    EXPECT_EQ(match_globals.fight_pair[0], &man(0, 4));
    EXPECT_EQ(match_globals.fight_pair[1], &man(1, 4));
}

TEST_F(Director, OpenPlayLooseBall)
{
    match_globals.random_state_a = 99;
    team_tick_upkeep();
    run(1);
    const MatchGlobals& g = match_globals;
    // The first man of each side in the distance list gets the ball call.
    const PlayerSlot* first_of[3] = {};
    for (int i = 0; i < g.active_men_count; ++i) {
        const PlayerSlot* m = g.active_men[i];
        if (!first_of[m->side])
            first_of[m->side] = m;
    }
    for (int side : {1, 2}) {
        const PlayerSlot* m = first_of[side];
        ASSERT_GE(m->proposal_count, 1);
        EXPECT_EQ(m->proposals[m->proposal_count - 1].action, ACT_GO_FOR_BALL);
        EXPECT_EQ(m->proposals[m->proposal_count - 1].priority, 1001);
    }
}

// A kicked ball in the air that nobody holds or was passed to: the men
// nearest where it comes down go there, until it bounces.
TEST_F(Director, OpenPlayKickedBallSendsMenToItsLanding)
{
    BallState& b = ball_state;
    const auto posts_landing = [](const PlayerSlot& m) {
        for (int i = 0; i < m.proposal_count; ++i)
            if (m.proposals[i].action == ACT_GO_TO_LANDING) return true;
        return false;
    };
    struct Case {
        const char* what;
        uint8_t bounces;
        bool passed;
        bool sent;
    } cases[] = {
        {"in the air", 0, false, true},
        {"after its first bounce", 1, false, false},
        {"a pass to a man", 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        b.flight_flags = FLIGHT_MOVING | FLIGHT_KICKED;
        b.bounce_count = c.bounces;
        b.vx = 3 << 16;
        b.landing_x = 2000, b.landing_y = 900;
        match_globals.pass_receiver = c.passed ? &man(0, 7) : nullptr;
        team_tick_upkeep();
        match_globals.pass_receiver = c.passed ? &man(0, 7) : nullptr;
        reset_action_quotas();
        run(1);
        const MatchGlobals& g = match_globals;
        const PlayerSlot* first_of[3] = {};
        int sent = 0;
        for (int i = 0; i < g.active_men_count; ++i) {
            const PlayerSlot* m = g.landing_men[i];
            if (!first_of[m->side]) first_of[m->side] = m;
            sent += posts_landing(*m);
        }
        for (int side : {1, 2})
            EXPECT_EQ(posts_landing(*first_of[side]), c.sent) << "the nearest of side " << side;
        if (!c.sent) {
            EXPECT_EQ(sent, 0);
        }
    }
    match_globals.pass_receiver = nullptr;
}

TEST_F(Director, OpenPlayHolderAndHolds)
{
    PlayerSlot& holder = man(1, 6);
    holder.x = 0;
    holder.y = 0;
    holder.facing = 64;
    match_globals.ball_holder = &holder;
    PlayerSlot& tackler = man(0, 6);
    tackler.x = -200;
    tackler.y = 0;
    tackler.facing = 64;
    team_tick_upkeep();
    PlayerSlot& option = man(0, 8);
    option.man_flags2 = MAN2_OPTION_SPOT;
    option.facing = 33;
    PlayerSlot& chasing = man(0, 9);
    chasing.hold_countdown = 3;
    chasing.action = ACT_CHASE_MAN;
    chasing.target_x = 55;
    run(1);
    // The nearest opponent is sent chasing first, then offered the tackle.
    ASSERT_GE(tackler.proposal_count, 2);
    EXPECT_EQ(first(tackler).action, ACT_CHASE_MAN);
    EXPECT_EQ(tackler.proposals[1].action, ACT_TACKLE);
    EXPECT_EQ(tackler.proposals[1].priority, 254 - 200 * 254 / 385);
    EXPECT_EQ(first(option).action, 79);
    EXPECT_EQ(first(option).argument, 33);
    EXPECT_EQ(first(chasing).action, ACT_CHASE_MAN);
    EXPECT_EQ(first(chasing).x, 55);
    EXPECT_EQ(first(chasing).priority, 255);
    EXPECT_EQ(chasing.hold_countdown, 2);
    // Without a holder the countdown is dropped.
    match_globals.ball_holder = nullptr;
    run(1);
    EXPECT_EQ(chasing.hold_countdown, 0);
}

TEST_F(Director, StatesWithoutARowPostNothing)
{
    for (uint8_t s : {0, 5, 7, 12, 26, 35, 43, 50, 51, 56, 74, 200}) {
        run(s);
        for (int i = 0; i < match_globals.active_men_count; ++i)
            EXPECT_EQ(match_globals.active_men[i]->proposal_count, 0) << int(s);
    }
}

TEST_F(Director, SeekingSpaceSkipsTheWayBack)
{
    PlayerSlot& holder = man(1, 0); // side 2
    holder.x = 0;
    holder.y = 0;
    holder.facing = 192; // facing his own goal: straight ahead is behind him
    update_occupancy_grids();
    holder_seek_space(&holder);
    ASSERT_EQ(holder.proposal_count, 2);
    EXPECT_EQ(holder.proposals[0].argument, 32);
    EXPECT_EQ(holder.proposals[1].argument, 96);
    EXPECT_EQ(holder.proposals[0].action, ACT_RUN_INTO_SPACE);
}

} // namespace

namespace {

// The set-play spot is the stoppage's own spot: a kick-in point and the
// ruckman's wait at a ball-up are taken from it, wherever it lies.
TEST_F(Director, SetPlaySpotsAreTheStoppageSpot)
{
    match_globals.mark_x = 5000;
    match_globals.mark_y = 3000;
    PlayerSlot& k = man(0, 5);
    k.proposal_count = 0;
    propose_kick_in_spot(&k, 24562, 3000);
    ASSERT_EQ(k.proposal_count, 1);
    EXPECT_EQ(first(k).action, 51);
    EXPECT_EQ(first(k).x, 5000 - 1792);
    EXPECT_EQ(first(k).y, 3000);
    run(48);
    const PlayerSlot& ruck = man(0, 0); // 2048 back towards his own goal
    ASSERT_GE(ruck.proposal_count, 1);
    EXPECT_EQ(first(ruck).x, ruck.side == 2 ? 5000 - 2048 : 5000 + 2048);
    EXPECT_EQ(first(ruck).y, 3000);
}

} // namespace

