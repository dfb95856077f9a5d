#include "men_fixture.h"

#include "players/actions.h"
#include "players/kicks.h"
#include "players/locomotion.h"
#include "players/movement.h"

namespace {

class ActionsTest : public MenTest {
protected:
    void SetUp() override
    {
        MenTest::SetUp();
        for (int t = 0; t < 2; ++t)
            for (int i = 0; i < TEAM_SLOTS; ++i) place(man(t, i), -20000 + 1000 * i, 8000 * (t + 1));
        for (PlayerSlot& u : official_slots) place(&u, 0, -15000);
        for (int i = 0; i < OFFICIAL_COUNT; ++i) official_slots[i].number = static_cast<uint8_t>(64 + i);
    }
    // One tick of the men as the match tick runs them; the men then travel
    // by their step, as their running animations would carry them.
    void tick()
    {
        update_locomotion_all();
        update_player_effort();
        update_all_men();
        for (int i = 0; i < match_globals.active_men_count; ++i) {
            PlayerSlot* m = match_globals.active_men[i];
            m->x = static_cast<int16_t>(m->x + m->path_dx);
            m->y = static_cast<int16_t>(m->y + m->path_dy);
        }
    }
};

TEST_F(ActionsTest, AManRunsToHisTargetTurnsAndStops)
{
    static league_player person{};
    set_player_i32(&person, 64, 30000);
    set_player_i16(&person, 48, 40);
    PlayerSlot* m = man(0, 2);
    m->person = &person;
    place(m, 0, 0, 128); // facing away from the target
    m->action = 10;
    m->target_x = 6000;
    m->angle_to_ball = 32;
    int ticks = 0;
    bool turned_with_animation = false;
    while (m->action == 10 && ticks < 2000) {
        tick();
        turned_with_animation |= m->turning != 0;
        if (m->turning) { // the turning animation turns him at once
            m->facing = static_cast<uint8_t>(m->wanted_facing);
            m->turning = 0;
            m->man_flags &= static_cast<uint16_t>(~MAN_BUSY);
        }
        ++ticks;
    }
    EXPECT_EQ(m->action, 0) << "arrived after " << ticks;
    EXPECT_EQ(m->arrived, 1u);
    EXPECT_NEAR(m->x, 6000, 512);
    EXPECT_TRUE(turned_with_animation);
    EXPECT_EQ(m->wanted_facing, 32) << "faces the ball";
}

TEST_F(ActionsTest, AManOnHoldIsLeftAlone)
{
    PlayerSlot* m = man(0, 2);
    m->busy_flag = 1;
    m->action = 10;
    m->target_x = 5000;
    m->move_dx = 0;
    m->velocity_x = 9;
    update_all_men();
    EXPECT_EQ(m->action, 10);
    EXPECT_EQ(m->move_dx, 0) << "no movement from the executor";
    EXPECT_EQ(m->velocity_x, 0) << "the motion limits still run";
}

TEST_F(ActionsTest, FirstToArriveIsMarked)
{
    PlayerSlot* a = man(0, 2);
    PlayerSlot* b = man(0, 3);
    PlayerSlot* c = man(1, 2);
    for (PlayerSlot* p : {a, b, c}) p->action = 5;
    place(a, 0, 0);
    place(b, 1000, 0);
    place(c, 2000, 0);
    a->target_x = 10;   // within 16
    b->target_x = 1100; // within 128, not 16
    c->target_x = 2100;
    player_act(b);
    EXPECT_EQ(b->action, 5) << "nobody arrived first yet: 16 counts";
    player_act(a);
    EXPECT_EQ(match_globals.first_arrived_man, a);
    player_act(b);
    EXPECT_EQ(b->action, 0) << "now 128 is enough";
    EXPECT_EQ(match_globals.first_arrived_man, a);
}

TEST_F(ActionsTest, InjuredManStaysDown)
{
    PlayerSlot* m = man(1, 5);
    match_globals.injured_man = m;
    struct Case {
        uint8_t kind;
        uint32_t anim;
    } cases[] = {{0, ANIM_INJURY3}, {7, ANIM_INJURY3}, {1, ANIM_INJURY1}, {6, ANIM_INJURY1}, {2, ANIM_INJURY2}};
    for (const Case& c : cases) {
        match_globals.injury_kind = c.kind;
        m->man_flags = 0;
        m->primary_animation = 0;
        m->action = 10;
        player_act(m);
        EXPECT_EQ(m->primary_animation, c.anim) << int(c.kind);
        EXPECT_EQ(m->primary_position, 45 * 65536);
        EXPECT_EQ(m->action, 0) << "his own action is dropped";
    }
    // Busy: left alone.
    m->primary_animation = 0;
    player_act(m);
    EXPECT_EQ(m->primary_animation, 0u);
    // To be replaced: he walks off over the side line.
    m->leaving = 1;
    m->man_flags = 0;
    place(m, 300, -17900, 0);
    player_act(m);
    EXPECT_EQ(m->arrived, 1u);
    EXPECT_EQ(match_globals.injured_man, nullptr);
    EXPECT_EQ(match_globals.injury_kind, 255);
    EXPECT_EQ(m->busy_flag, 1u);
}

TEST_F(ActionsTest, WatchingTheBallEndsOnTime)
{
    PlayerSlot* m = man(0, 2);
    m->action = ACT_WATCH_BALL;
    m->angle_to_ball = 99;
    m->wait_ticks = 0; // a draw of 0: done at once, not in 18 minutes
    player_act(m);
    EXPECT_EQ(m->action, 0);
    m->action = ACT_WATCH_BALL;
    m->wait_ticks = 2;
    player_act(m);
    EXPECT_EQ(m->action, ACT_WATCH_BALL);
    EXPECT_EQ(m->wanted_facing, 99);
    player_act(m);
    EXPECT_EQ(m->action, 0);
}

TEST_F(ActionsTest, RunStraightOnAndTheRunRadii)
{
    PlayerSlot* m = man(0, 2);
    place(m, 0, 0);
    m->action = 8;
    m->move_heading = 64;
    player_act(m);
    EXPECT_EQ(m->target_x, 5120);
    EXPECT_EQ(m->wanted_facing, 64);
    struct Case {
        uint16_t action;
        int radius;
    } cases[] = {{6, 42}, {10, 512}, {28, 16}, {53, 768}, {55, 42}};
    for (const Case& c : cases) {
        place(m, 0, 0);
        m->action = c.action;
        m->target_x = static_cast<int16_t>(c.radius);
        player_act(m);
        EXPECT_EQ(m->arrived, 1u) << c.action;
        place(m, 0, 0);
        m->action = c.action;
        m->target_x = static_cast<int16_t>(c.radius + 1);
        player_act(m);
        EXPECT_EQ(m->arrived, 0u) << c.action;
    }
}

TEST_F(ActionsTest, KicksOnlyForTheHolder)
{
    PlayerSlot* m = man(0, 2);
    m->action = 17;
    player_act(m);
    EXPECT_EQ(m->action, 17);
    EXPECT_EQ(match_globals.last_disposal_kind, 0);
    match_globals.ball_holder = m;
    m->target_x = m->x;
    m->target_y = static_cast<int16_t>(m->y + 2000);
    player_act(m);
    EXPECT_EQ(match_globals.last_disposal_kind, 17);
    EXPECT_EQ(m->action, 0);
    EXPECT_EQ(m->primary_animation, static_cast<uint32_t>(ANIM_STATIC_KICK));
    m->action = 22;
    m->man_flags = 0;
    player_act(m);
    EXPECT_EQ(match_globals.last_disposal_kind, 22);
    EXPECT_EQ(match_globals.handballer, m);
}

TEST_F(ActionsTest, MarkContestLeaps)
{
    struct Case {
        uint16_t action;
        uint32_t anim;
        uint16_t air;
        bool busy;
    } cases[] = {{57, 227, 8193, true}, {60, 223, 16385, true}, {61, 0, 1, false}, {66, 352, 4097, true},
                 {70, 340, 4097, true}};
    ContestGroup group{};
    for (const Case& c : cases) {
        PlayerSlot* m = man(0, 2);
        m->primary_animation = 0;
        m->man_flags = 0;
        m->action = c.action;
        m->action_arg = 40;
        m->angle_to_ball = 10;
        group.group_words[0] = 0x12345678u;
        group.group_words[1] = 0x9ABCDEF0u;
        group.men[0] = m;
        m->contest_group = &group;
        player_act(m);
        m->contest_group = nullptr;
        EXPECT_EQ(group.group_words[0], 0x12005600u) << "his group's bytes 2 and 0 cleared, " << c.action;
        EXPECT_EQ(group.group_words[1], 0x9ABCDEF0u);
        EXPECT_EQ(m->primary_animation, c.anim) << c.action;
        EXPECT_EQ(m->air_word, c.air) << c.action;
        EXPECT_EQ((m->man_flags & MAN_BUSY) != 0, c.busy) << c.action;
        EXPECT_EQ(m->action, 0);
        EXPECT_EQ(m->facing, c.action == 57 ? 0 : 40) << c.action;
    }
}

TEST_F(ActionsTest, ReceiverMeetsThePass)
{
    PlayerSlot* r = man(0, 2);
    place(r, 0, 0, 0);
    r->action = ACT_RECEIVE_HANDBALL;
    r->path_speed = 10;
    r->top_speed = 20;
    ball_state.flight_flags = 0x80;
    // The ball is below his hand (at height 0 here) at once, still at the
    // passer's hands, and again at step 10.
    predicted_ball_path.position[0][1] = -65536;
    predicted_ball_path.position[10][0] = 0;
    predicted_ball_path.position[10][1] = -65536;
    predicted_ball_path.position[10][2] = 300 * 65536;
    player_act(r);
    EXPECT_EQ(r->path_speed, 30) << "300 in 10 ticks";
    EXPECT_EQ(r->target_y, 300);
    EXPECT_EQ(r->facing, 0);
    EXPECT_EQ(r->action, ACT_RECEIVE_HANDBALL);
    // The pass is over once somebody holds the ball.
    ball_state.flags = 2;
    player_act(r);
    EXPECT_EQ(r->action, 0);
}

// A receiver in a group takes his support from the group's button edges: a
// let-go of button 2 has the group support him, a press sends him to a mate.
TEST_F(ActionsTest, ReceiverSupportFromHisGroup)
{
    PlayerSlot* r = man(0, 2);
    place(r, 0, 0, 0);
    struct Case {
        uint32_t pressed, released;
        uint8_t support;
    } cases[] = {{0, 2, 1}, {2, 0, 0}, {2, 2, 1}, {0, 0, 0}};
    for (const Case& c : cases) {
        add_to_group_slot(r, &contest_group_record(29), 0);
        ASSERT_TRUE(r->contest_group);
        r->man_flags |= MAN_IN_CONTEST;
        r->contest_group->pressed = c.pressed;
        r->contest_group->released = c.released;
        r->support_mode = 7;
        r->action = ACT_RECEIVE_HANDBALL;
        player_act(r);
        EXPECT_EQ(r->support_mode, c.support) << c.pressed << " " << c.released;
        contest_clear(r->contest_group);
    }
}

// Action 14 lets the ball go from the holder's hands toward the goal line
// ahead of him; a man without the ball lets nothing go.
TEST_F(ActionsTest, DropBallFromHandsToTheGoalLine)
{
    PlayerSlot* a = man(0, 4);
    PlayerSlot* b = man(0, 5);
    place(a, 1000, 600, 64);
    give_ball_to(a);
    b->action = 14;
    player_act(b);
    EXPECT_EQ(match_globals.ball_holder, a) << "not his to drop";
    a->action = 14;
    player_act(a);
    EXPECT_EQ(match_globals.ball_holder, nullptr);
    EXPECT_TRUE(ball_state.flight_flags & FLIGHT_HANDPASSED);
    EXPECT_GT(ball_state.vx, 0) << "toward x 24562";
    EXPECT_LT(ball_state.vy, 0) << "toward y 0";
    EXPECT_GT(ball_state.vz, 0);
    EXPECT_TRUE(a->man_flags & MAN_BUSY);
}

TEST_F(ActionsTest, OfficialsRunAtTheirEfforts)
{
    struct Case {
        uint16_t action;
        uint16_t effort;
        int radius;
    } cases[] = {{4, 25, 42}, {5, 55, 42}, {7, 100, 42}, {8, 100, 16}};
    PlayerSlot* u = &official_slots[0];
    for (const Case& c : cases) {
        place(u, 0, 0);
        u->effort = 90;
        u->action = c.action;
        u->target_x = static_cast<int16_t>(c.radius + 1);
        umpire_act(u);
        EXPECT_EQ(u->effort, c.effort) << c.action;
        EXPECT_EQ(u->arrived, 0u);
        u->target_x = static_cast<int16_t>(c.radius);
        umpire_act(u);
        EXPECT_EQ(u->arrived, 1u) << c.action;
    }
    // Standing: he watches the ball unless he has a job.
    u->action = 0;
    u->angle_to_ball = 50;
    umpire_act(u);
    EXPECT_EQ(u->wanted_facing, 50);
    u->official_job = 3;
    u->angle_to_ball = 70;
    umpire_act(u);
    EXPECT_EQ(u->wanted_facing, 50);
}

TEST_F(ActionsTest, StandTurnsToTheBallOrTheFight)
{
    PlayerSlot* m = man(0, 2);
    m->angle_to_ball = 77;
    m->action = 0;
    player_act(m);
    EXPECT_EQ(m->arrived, 1u);
    EXPECT_EQ(m->wanted_facing, 77);
    // A man in a group gives the group the facing to keep.
    add_to_group_slot(m, &contest_group_record(29), 0);
    ASSERT_TRUE(m->contest_group);
    m->angle_to_ball = 90;
    player_act(m);
    EXPECT_EQ(m->contest_group->menu_scratch, 90);
    contest_clear(m->contest_group);
    match_globals.match_state = 3;
    match_globals.fight_pair[0] = man(1, 9);
    match_globals.fight_pair[1] = man(0, 9);
    place(m, 0, 0);
    place(man(0, 9), 100, 0);
    player_act(m);
    EXPECT_EQ(m->wanted_facing, 64) << "the fighter of his own side";
    // A man moving is left as he is.
    m->speed = 5;
    m->wanted_facing = 3;
    player_act(m);
    EXPECT_EQ(m->wanted_facing, 3);
}

TEST_F(ActionsTest, WalkToSpotBacksIn)
{
    PlayerSlot* m = man(0, 2);
    match_globals.backing_limit = 2048;
    match_globals.ball_spot_x = 0;
    match_globals.ball_spot_y = 2000; // he stands between the spot and the ball spot
    place(m, 0, 1000, 128);            // facing the ball spot
    m->target_x = 0;
    m->target_y = 0;
    m->action = 51;
    player_act(m);
    EXPECT_EQ(m->wanted_facing, 0) << "backs in facing away from the spot";
    EXPECT_EQ(m->primary_animation, static_cast<uint32_t>(ANIM_STANDING_TURN_180));
    // Facing the right way already: he walks backwards.
    place(m, 0, 1000, 0);
    m->target_y = 0;
    m->turning = 0;
    m->primary_animation = 0;
    player_act(m);
    EXPECT_EQ(m->primary_animation, static_cast<uint32_t>(ANIM_WALK_BACKWARDS_NB));
    EXPECT_EQ(match_globals.backing_count, 16);
    // Reaching the spot: stands facing the end he attacks.
    place(m, 0, 30, 0);
    m->target_y = 0;
    player_act(m);
    EXPECT_EQ(m->action, 0);
    EXPECT_EQ(m->arrived, 1u);
    EXPECT_EQ(match_globals.spot_reached, 1);
    EXPECT_EQ(m->wanted_facing, 192);
    EXPECT_EQ(m->mark_spot_y, 30);
}

} // namespace

namespace {

using ActionsMoreTest = ActionsTest;

TEST_F(ActionsMoreTest, ContestMenActOnlyWhenTackled)
{
    PlayerSlot* m = man(0, 2);
    m->man_flags = MAN_IN_CONTEST;
    m->action = 10;
    m->target_x = static_cast<int16_t>(m->x + 3000);
    update_all_men();
    EXPECT_EQ(m->move_dx, 0) << "the contest step acts for him";
    m->man_flags2 = MAN2_TACKLED;
    update_all_men();
    EXPECT_EQ(m->move_dx, 3000);
}

TEST_F(ActionsMoreTest, GoForTheBall)
{
    PlayerSlot* m = man(0, 2);
    place(m, 0, 0);
    m->action = 4;
    ball_state.flight_flags = 0x60;
    ball_state.landing_x = 3000;
    ball_state.landing_y = -400;
    player_act(m);
    EXPECT_EQ(m->target_x, 3000);
    EXPECT_EQ(m->target_y, -400);
    EXPECT_EQ(m->move_heading, vector_angle(3000, -400));
    // A ball on the ground: straight at it.
    ball_state.flight_flags = 2;
    ball_state.x = 500 << 16;
    ball_state.y = 600 << 16;
    player_act(m);
    EXPECT_EQ(m->target_x, 500);
    EXPECT_EQ(m->target_y, 600);
    // The holder does not chase it; a backstep gives way to standing.
    match_globals.ball_holder = m;
    m->primary_animation = ANIM_BACKSTEP;
    player_act(m);
    EXPECT_EQ(m->action, 0);
    EXPECT_NE(m->primary_animation, static_cast<uint32_t>(ANIM_BACKSTEP));
}

TEST_F(ActionsMoreTest, SupportFollowEscortAndShepherd)
{
    PlayerSlot* a = man(0, 2);
    PlayerSlot* c = man(0, 3);
    place(a, 0, 0);
    place(c, 1000, 0);
    c->path_dx = 10; // running along +x
    match_globals.ball_holder = c;
    a->target_x = a->target_y = 0;
    act_support_carrier(a);
    EXPECT_EQ(a->move_dx, 1100) << "ahead of the carrier by ten of his steps";
    EXPECT_EQ(a->wanted_facing, 64);
    EXPECT_EQ(a->arrived, 0u);
    // Following the kicker from a mark: close enough, he tackles him.
    match_globals.ball_holder = nullptr;
    match_globals.mark_kicker = c;
    place(a, 1040, 30);
    act_follow_kicker(a);
    EXPECT_EQ(a->action, ACT_TACKLE);
    EXPECT_EQ(a->target_man, c);
    // Escorting: the stop is 43, or 85 once arrived.
    PlayerSlot* e = man(0, 4);
    place(e, 0, 0);
    e->target_man = c;
    e->action = ACT_ESCORT;
    place(c, 60, 0);
    e->target_x = 60, e->target_y = 0; // the posted point
    act_escort_target(e);
    EXPECT_EQ(e->action, ACT_ESCORT);
    e->arrived = 1;
    act_escort_target(e);
    EXPECT_EQ(e->action, 0);
    // A man matched at an offset keeps it: he heads for the posted point,
    // not onto the man he follows, who stands there and would stop him.
    place(e, 0, 0);
    place(c, 600, 0);
    c->arrived = 1;
    e->action = ACT_ESCORT;
    e->target_x = 344, e->target_y = 0;
    act_escort_target(e);
    EXPECT_EQ(e->move_dx, 344);
    place(e, 330, 0);
    e->arrived = 0;
    act_escort_target(e);
    EXPECT_EQ(e->action, 0) << "within 43 of the offset point he stops";
    // A shepherd stands 341 from the escort towards the escorted man.
    PlayerSlot* s = man(0, 5);
    e->action = ACT_ESCORT;
    place(e, 0, 0);
    place(c, 0, 2000);
    place(s, 0, -50);
    s->target_man = c;
    s->action = 76;
    player_act(s);
    EXPECT_EQ(s->target_y, 341);
    e->action = 0;
    player_act(s);
    EXPECT_EQ(s->action, 0) << "no escort: the action ends";
}

TEST_F(ActionsMoreTest, BackToTheLineAndTheBallToTheCentre)
{
    PlayerSlot* m = man(0, 2);
    place(m, 700, 3000);
    m->man_flags2 = MAN2_SET_PLAY_WAIT;
    m->action = 79;
    player_act(m);
    EXPECT_EQ(m->target_x, 700);
    EXPECT_EQ(m->target_y, 0);
    EXPECT_NE(m->man_flags2 & MAN2_SET_PLAY_WAIT, 0);
    place(m, 700, 10);
    m->action = 79;
    player_act(m);
    EXPECT_EQ(m->man_flags2 & MAN2_SET_PLAY_WAIT, 0) << "arrived with no umpire holding the ball";

    place(m, 2000, 0);
    m->action = 37;
    player_act(m);
    EXPECT_NE(m->man_flags2 & MAN2_AT_SPOT, 0);
    EXPECT_EQ(m->wanted_facing, 192);
    place(m, 30, -30);
    player_act(m);
    EXPECT_EQ(m->primary_animation, static_cast<uint32_t>(ANIM_STANDING_PICKUP));
    EXPECT_EQ(m->action, 6);
    EXPECT_EQ(m->man_flags2 & MAN2_AT_SPOT, 0);
    EXPECT_EQ(ball_state.x, 0);
}

TEST_F(ActionsMoreTest, SetShotKicksOnceFacingTheGoal)
{
    PlayerSlot* m = man(0, 2);
    place(m, 0, 0, 60);
    match_globals.ball_holder = m;
    m->mark_spot_x = 0;
    m->mark_spot_y = 5000;
    m->action = 43;
    match_globals.match_state = 8;
    player_act(m);
    EXPECT_EQ(m->action, 43) << "turning to the goal first";
    EXPECT_EQ(m->wanted_facing, 0);
    EXPECT_EQ(match_globals.mark_kicker, m);
    m->facing = 0;
    player_act(m);
    EXPECT_EQ(m->action, 0);
    EXPECT_EQ(match_globals.match_state, 9);
    EXPECT_EQ(m->primary_animation, static_cast<uint32_t>(ANIM_KICKSET));
}

TEST_F(ActionsMoreTest, StretcherCarriesTheMan)
{
    PlayerSlot* lead = &official_slots[1];
    PlayerSlot* second = &official_slots[2];
    match_globals.lead_medic[0] = lead;
    match_globals.lead_medic[1] = second;
    place(lead, 0, 0);
    place(second, 0, 512);
    PlayerSlot* m = man(1, 4);
    m->action = 75;
    player_act(m);
    EXPECT_EQ(m->x, 0);
    EXPECT_EQ(m->y, 256);
    EXPECT_EQ(m->arrived, 1u);
}

TEST_F(ActionsMoreTest, ComputerBumpsTheCarrierOnlyWhenTheMeetingFits)
{
    PlayerSlot* a = man(1, 2); // a computer team
    PlayerSlot* c = man(0, 3);
    place(a, 0, 0, 0);
    place(c, 0, 540, 64);
    c->speed = 0;
    set_man_speed_fixed(a, 20 * 65536);
    struct Case {
        int32_t delay;
        uint8_t state;
        int cy;
        bool bumps;
    } cases[] = {
        {0, 1, 540, true},   // 540 in 27 ticks: 20 a tick, his own speed
        {5, 1, 540, false},  // the delay has not run out
        {0, 2, 540, false},  // not in open play
        {0, 1, 200, false},  // too slow a meeting: under 14
        {0, 1, 1500, false}, // too fast: over 40
    };
    for (const Case& k : cases) {
        match_globals.bump_delay = k.delay;
        match_globals.match_state = k.state;
        place(c, 0, k.cy, 64);
        a->facing = 0;
        a->primary_animation = 0;
        a->man_flags = 0;
        set_man_speed_fixed(a, 20 * 65536);
        // The animation is drawn; keep drawing until the one the man's
        // attribute allows from the side.
        EXPECT_EQ(try_cpu_bump(a, c), k.bumps) << k.cy << " state " << int(k.state);
        if (k.bumps) {
            EXPECT_EQ(a->target_man, c);
            EXPECT_EQ(a->man_flags & 0x0880, 0x0880);
            EXPECT_EQ(match_globals.bump_delay, (100 - match_globals.difficulty) * 6);
        }
    }
    team_records[1].human_count = 1;
    match_globals.bump_delay = 0;
    match_globals.match_state = 1;
    EXPECT_FALSE(try_cpu_bump(a, c)) << "a human team's man";
}

} // namespace
