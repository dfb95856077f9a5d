#include "men_fixture.h"

#include "league/league_data.h"
#include "players/kicks.h"
#include "players/locomotion.h"
#include "players/movement.h"

namespace {

using KicksTest = MenTest;

TEST_F(KicksTest, KickAnimationBySpeedTurnAndDistance)
{
    struct Case {
        int16_t speed;
        int facing, direction, distance;
        int32_t anim;
        int heading;
    } cases[] = {
        {17, 0, 0, 1000, ANIM_STATIC_KICK, 0},
        {18, 0, 0, 1000, ANIM_RUNNING_KICK, 0},
        {18, 0, 0, 7680, ANIM_RUNNING_KICK_LEFT, 20},  // far: a side kick even straight on
        {18, 30, 0, 1000, ANIM_RUNNING_KICK_LEFT, 20}, // facing right of the line
        {18, 226, 0, 1000, ANIM_RUNNING_KICK_RIGHT, 236},
        {18, 250, 5, 1000, ANIM_RUNNING_KICK, 5},      // 11 off across the wrap
        {18, 41, 0, 1000, ANIM_STATIC_KICK, 41},       // too far round: heading left as it was
    };
    for (const Case& c : cases) {
        PlayerSlot* a = man(0, 4);
        place(a, 0, 0, c.facing);
        a->speed = c.speed;
        a->velocity_x = 5;
        EXPECT_EQ(choose_kick_animation(a, c.direction, c.distance), c.anim) << c.facing << " to " << c.direction;
        EXPECT_EQ(a->wanted_facing, c.heading) << c.facing << " to " << c.direction;
        if (c.anim == ANIM_STATIC_KICK) {
            EXPECT_EQ(a->velocity_x, 0);
        }
    }
}

TEST_F(KicksTest, KickCommentaryKinds)
{
    PlayerSlot* a = man(0, 4); // side 1
    PlayerSlot* b = man(1, 4); // side 2
    place(a, 0, 1000);
    place(b, 0, 1000);
    struct Case {
        PlayerSlot* who;
        int distance, tx, ty, kind;
    } cases[] = {
        {a, 10241, 0, 0, 1},       {a, 3839, 0, 0, 2},        {a, 5000, 100, 5000, 4},
        {a, 5000, 100, -500, 9},   {a, 5000, -5000, 0, 7},    {a, 5000, 5000, 0, 9},
        {b, 5000, 5000, 0, 7},     {b, 5000, -5000, 0, 9},    {a, 5000, 0, 1000, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kick_commentary_kind(c.who, c.distance, c.tx, c.ty), c.kind) << c.tx << "," << c.ty;
}

TEST_F(KicksTest, KickRecordsTheDisposalAndCounts)
{
    PlayerSlot* a = man(0, 4);
    PlayerSlot* t = man(0, 9);
    place(a, 0, 0, 0);
    place(t, 0, 12000);
    a->target_man = t;
    a->action = 17;
    a->action_arg = 3;
    a->move_heading = 7;
    a->speed = 20;
    match_globals.ball_holder = a;
    start_kick(a);
    EXPECT_EQ(match_globals.current_kicker, a);
    EXPECT_EQ(match_globals.disposal.target_man, t);
    EXPECT_EQ(match_globals.disposal.heading, 7);
    EXPECT_EQ(a->target_y, 12000) << "aimed at the man";
    EXPECT_EQ(a->man_flags & 0x82, 0x82);
    EXPECT_EQ(a->action, 0);
    EXPECT_EQ(team_records[0].kicks_attempted, 1);
    EXPECT_EQ(team_records[0].aimed_kicks, 1);
    EXPECT_EQ(a->match_stats[MAN_STAT_LONG_KICKS], 1);
    EXPECT_EQ(a->primary_animation, static_cast<uint32_t>(ANIM_RUNNING_KICK_LEFT)) << "beyond 7680";
}

// The distance decides the running kick also while the kick's commentary
// event waits (no statistics then).
TEST_F(KicksTest, DistanceIsMeasuredEvenWhileTheKickEventWaits)
{
    hook_log.pending_kind = 10;
    PlayerSlot* a = man(0, 4);
    place(a, 0, 0, 0);
    a->target_x = 0;
    a->target_y = 9000;
    a->speed = 20;
    start_kick(a);
    EXPECT_EQ(a->primary_animation, static_cast<uint32_t>(ANIM_RUNNING_KICK_LEFT));
    EXPECT_EQ(team_records[0].kicks_attempted, 0);
    place(a, 0, 0, 0);
    a->primary_animation = 0;
    a->target_y = 2000;
    start_kick(a);
    EXPECT_EQ(a->primary_animation, static_cast<uint32_t>(ANIM_RUNNING_KICK));
}

TEST_F(KicksTest, SetShotPlaysOnWhenTheKickerWandersOffLine)
{
    PlayerSlot* a = man(0, 4);
    place(a, 1000, 0, 0);
    a->action = 43;
    a->mark_spot_x = 0;
    a->mark_spot_y = 0;
    match_globals.match_state = 42;
    match_globals.ball_spot_x = 1000;
    match_globals.ball_spot_y = -500; // the spot behind him, the goal ahead
    a->target_x = 1000;
    a->target_y = 5000;
    start_kick(a);
    EXPECT_EQ(match_globals.play_on, 1);
    EXPECT_EQ(match_globals.set_shot, 0);
    EXPECT_EQ(a->primary_animation, static_cast<uint32_t>(ANIM_KICKSET));
    match_globals.play_on = 0;
    place(a, 100, 0, 0);
    a->action = 43;
    a->primary_animation = 0;
    start_kick(a);
    EXPECT_EQ(match_globals.play_on, 0) << "still on his mark";
    EXPECT_EQ(match_globals.set_shot, 1);
}

TEST_F(KicksTest, HandballWithoutReceiverAimsByTheTargetCoordinates)
{
    PlayerSlot* a = man(0, 4);
    place(a, 5000, 5000, 0);
    a->speed = 0;
    a->target_x = 100; // as a direction: +x, 64 from his facing
    a->target_y = 0;
    start_handball(a);
    EXPECT_EQ(hook_log.pending_event[0], 22);
    EXPECT_EQ(hook_log.pending_event[3], -1);
    EXPECT_EQ(a->primary_animation, 13u) << "STATIC_HANDBALL_RIGHT";
    EXPECT_EQ(a->man_flags & 0x84, 0x84);
    EXPECT_EQ(match_globals.handballer, a);
    EXPECT_EQ(match_globals.receiver, nullptr);
    // Running: the forward handball starts at frame 3.
    place(a, 5000, 5000, 0);
    a->man_flags = 0;
    a->speed = 10;
    a->target_y = 100;
    a->target_x = 0;
    a->primary_animation = 0;
    start_handball(a);
    EXPECT_EQ(a->primary_animation, static_cast<uint32_t>(ANIM_RUN_HANDBALL_FORWARD));
    EXPECT_EQ(a->primary_position, 3 * 65536);
    // A handball refused while kicking.
    a->man_flags = 0x0200;
    a->action = 22;
    a->primary_animation = 0;
    start_handball(a);
    EXPECT_EQ(a->action, 0);
    EXPECT_EQ(a->primary_animation, 0u);
}

TEST_F(KicksTest, HandballToAReceiverPicksTheClosestLead)
{
    PlayerSlot* a = man(0, 4);
    PlayerSlot* r = man(0, 5);
    place(a, 0, 0, 0);
    place(r, -2000, 300, 0); // to his left
    r->speed = 10;
    r->primary_animation = ANIM_RUN;
    a->target_man = r;
    start_handball(a);
    EXPECT_EQ(a->primary_animation, 12u) << "STATIC_HANDBALL_LEFT";
    EXPECT_EQ(r->action, 23);
    EXPECT_EQ(r->effort, 120);
    EXPECT_EQ(r->support_mode, 1);
    EXPECT_EQ(r->target_y, 300 + 7680) << "runs on ahead";
    EXPECT_EQ(match_globals.receiver, r);
    // The ball's time from the hands to him: a handball's flight over the
    // two thousand or so units between them.
    const int32_t near_ticks = match_globals.handball_path_ticks;
    EXPECT_GE(near_ticks, lead_time(18, 1800));
    EXPECT_LE(near_ticks, lead_time(18, 2300));
    // Twice as far, a longer flight.
    place(a, 0, 0, 0);
    a->man_flags = 0;
    a->primary_animation = ANIM_STAND;
    place(r, -4000, 600, 0);
    r->speed = 10;
    r->primary_animation = ANIM_RUN;
    start_handball(a);
    EXPECT_GT(match_globals.handball_path_ticks, near_ticks);
}

TEST_F(KicksTest, TackleOutcomes)
{
    static league_player tough{}, weak{};
    set_player_i16(&tough, 34, 300); // word 17 of the victim: the draw never beats it
    set_player_i16(&weak, 34, -100); // the draw always beats it
    struct Case {
        league_player* victim;
        bool holder;
        uint16_t victim_flags;
        int32_t score;
        uint32_t victim_anim;
        uint32_t tackler_secondary;
        bool held_flag;
    } cases[] = {
        {&tough, false, 0, 0, ANIM_TACKLED_STAND_NO_BALL, ANIM_DO_TACKLE, true},
        {&tough, true, MAN_HANDBALLING, 0, 0, ANIM_DO_TACKLE, false},
        {&tough, true, 0, 101, ANIM_TACKLED_STAND_KEEP_BALL, ANIM_DO_TACKLE, true},
        {&tough, true, 0, 241, ANIM_TACKLED_STAND_RELEASE_BALL, ANIM_DO_TACKLE, false},
        {&weak, true, 0, 241, ANIM_TACKLED_STAND_KEEP_BALL, ANIM_DO_TACKLE, false},
        {&tough, true, 0, 100, 0, 0, false},
    };
    for (const Case& c : cases) {
        SetUp();
        PlayerSlot* a = man(0, 4);
        PlayerSlot* t = man(1, 4);
        t->person = c.victim;
        place(a, 0, 0, 0);
        place(t, 0, 200, 0);
        t->primary_animation = 0;
        t->man_flags = c.victim_flags;
        t->speed = 12;
        a->target_man = t;
        match_globals.ball_holder = c.holder ? t : nullptr;
        decide_tackle_outcome(a, c.score);
        EXPECT_EQ(t->primary_animation, c.victim_anim) << c.score;
        EXPECT_EQ(a->secondary_animation, c.tackler_secondary) << c.score;
        EXPECT_EQ((t->man_flags2 & MAN2_HELD_TACKLED) != 0, c.held_flag) << c.score;
        if (c.tackler_secondary) {
            EXPECT_EQ(a->tackle_state, 1u);
            EXPECT_EQ(a->tackle_partner, t);
            EXPECT_NE(t->man_flags2 & MAN2_TACKLED, 0);
        } else {
            EXPECT_EQ(a->primary_animation, static_cast<uint32_t>(ANIM_TACKLE_NO_CALLBACK));
        }
        EXPECT_NE(a->man_flags & MAN_BUSY, 0);
    }
}

TEST_F(KicksTest, TackledKickerKeepsKickingDeflected)
{
    PlayerSlot* a = man(0, 4);
    PlayerSlot* t = man(1, 4);
    place(a, 0, 0, 0);
    place(t, 0, 200, 30); // he faces 30 off the line of the tackle (0)
    t->wanted_facing = 100;
    t->man_flags = MAN_KICKING;
    t->primary_animation = ANIM_RUNNING_KICK;
    a->target_man = t;
    match_globals.ball_holder = t;
    decide_tackle_outcome(a, 500);
    EXPECT_EQ(match_globals.disposal.extra, 10);
    EXPECT_EQ(t->wanted_facing, 110);
    EXPECT_EQ(t->primary_animation, static_cast<uint32_t>(ANIM_RUNNING_KICK));
    EXPECT_EQ(a->primary_animation, static_cast<uint32_t>(ANIM_TACKLE_NO_CALLBACK));
}

TEST_F(KicksTest, TackleOutOfReachKeepsClosing)
{
    struct Case {
        int distance, facing;
        bool tackles;
    } cases[] = {{384, 0, true}, {385, 0, false}, {200, 120, false}, {200, 119, true}};
    for (const Case& c : cases) {
        SetUp();
        PlayerSlot* a = man(0, 4);
        PlayerSlot* t = man(1, 4);
        place(a, 0, 0, c.facing);
        place(t, 0, c.distance, 0);
        a->target_man = t;
        a->target_x = -3000; // stale
        a->action = 3;
        act_tackle(a);
        EXPECT_EQ(t->primary_animation == ANIM_TACKLED_STAND_NO_BALL, c.tackles) << c.distance << " " << c.facing;
        if (!c.tackles) {
            EXPECT_EQ(a->target_y, c.distance);
            EXPECT_EQ(a->move_dy, c.distance) << "the offset to where he is now";
            EXPECT_EQ(a->wanted_facing, 0);
        }
    }
}

TEST_F(KicksTest, NoTackleOnABusyManOrByTheHolder)
{
    PlayerSlot* a = man(0, 4);
    PlayerSlot* t = man(1, 4);
    place(a, 0, 0, 0);
    place(t, 0, 100, 0);
    a->target_man = t;
    t->man_flags = MAN_BUSY;
    act_tackle(a);
    EXPECT_EQ(t->primary_animation, 0u);
    t->man_flags = 0;
    match_globals.ball_holder = a;
    act_tackle(a);
    EXPECT_EQ(t->primary_animation, 0u);
}

} // namespace
