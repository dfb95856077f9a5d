#include "headless_match.h"

#include "match/ball.h"
#include "match/game_tick.h"
#include "match/ground.h"
#include "match/match_setup.h"

#include <cstdlib>
#include <vector>

namespace {

// A kick of the man's through the goal he attacks, outward.
void script_goal_kick(PlayerSlot* kicker)
{
    MatchGlobals& m = match_globals;
    give_ball_to(nullptr);
    m.last_kicker = kicker;
    const int32_t dir = kicker->side == 2 ? 1 : -1;
    ball_state.x = dir * 24600 * 65536;
    ball_state.y = 0;
    ball_state.z = 200 * 65536;
    ball_state.vx = dir * 65536;
    ball_state.vy = ball_state.vz = 0;
    ball_state.flags = BALL_FREE;
    ball_state.flight_flags = FLIGHT_MOVING | FLIGHT_KICKED | FLIGHT_GOAL;
}

} // namespace

using MatchChain = HeadlessMatch;

TEST_F(MatchChain, FromTheCaptainsMeetingThroughGoalBehindAndMarkToFullTime)
{
    MatchGlobals& m = match_globals;
    std::vector<uint8_t> states{m.match_state};
    auto run_to = [&](uint8_t state) {
        for (int i = 0; i < 20000 && m.match_state != state; ++i) {
            tick();
            if (states.back() != m.match_state)
                states.push_back(m.match_state);
        }
        return m.match_state == state;
    };
    ASSERT_EQ(m.match_state, PRE_MATCH);
    ASSERT_TRUE(run_to(PLAY_ON)) << "stuck in " << int(m.match_state);
    const std::vector<uint8_t> start{PRE_MATCH, CAPTAINS_MEET, COIN_TOSS_WAIT, COIN_TOSS, AFTER_TOSS,
                                     CENTRE_BOUNCE_SETUP, CENTRE_BOUNCE_READY, BOUNCE_SIREN, CENTRE_BOUNCE,
                                     BOUNCE_IN_AIR, PLAY_ON};
    EXPECT_EQ(states, start);
    EXPECT_EQ(m.clock_enabled, 1) << "the bounce started the clock";
    EXPECT_EQ(m.siren_pending, 0);
    const int32_t clock_at_play = m.period_clock;
    tick();
    EXPECT_EQ(m.period_clock, clock_at_play - 1) << "the clock counts down in play";

    // A goal by a man of side 2: six points once the ball is down, then a
    // centre bounce.
    TeamRecord& attackers = team_on_side(2);
    PlayerSlot* kicker = &attackers.slots[3];
    script_goal_kick(kicker);
    tick();
    EXPECT_EQ(m.match_state, GOAL);
    EXPECT_EQ(m.time_off, 1);
    EXPECT_EQ(m.scorer, kicker);
    ASSERT_TRUE(run_to(CENTRE_BOUNCE_SETUP));
    EXPECT_EQ(attackers.points, 6);
    EXPECT_EQ(attackers.goals, 1);
    EXPECT_EQ(kicker->goals_kicked, 1);
    EXPECT_EQ(ball_whole_x(), 0);
    ASSERT_TRUE(run_to(PLAY_ON)) << "stuck in " << int(m.match_state);

    // A behind through the same end: one point to the attackers, the
    // defenders kick out.
    script_goal_kick(kicker);
    ball_state.flight_flags = FLIGHT_MOVING | FLIGHT_KICKED | FLIGHT_BEHIND;
    tick();
    EXPECT_EQ(m.match_state, BEHIND);
    EXPECT_EQ(attackers.points, 7);
    EXPECT_EQ(attackers.behinds, 1);
    EXPECT_EQ(m.awarded_side, 1);
    ASSERT_TRUE(run_to(KICK_OUT_SETUP));
    // The defenders draw their plan once their kicker stands in the goal
    // square with the ball; its forming state leads to its kicked state.
    auto kicked_state = [&] { return m.match_state >= 60 && m.match_state <= 72 && !(m.match_state & 1); };
    for (int i = 0; i < 20000 && !kicked_state(); ++i) tick();
    ASSERT_TRUE(kicked_state()) << "stuck in " << int(m.match_state) << " plan "
                                << int(team_on_side(1).setup_choice);
    ASSERT_NE(m.controlled_man_a, nullptr);
    EXPECT_EQ(m.controlled_man_a->side, 1) << "the defenders' man takes the kick-out";
    give_ball_to(nullptr);
    ball_state.bounce_count = 1;
    ASSERT_TRUE(run_to(PLAY_ON)) << "stuck in " << int(m.match_state);

    // A mark: a clean catch of a long kick by a team-mate of the kicker,
    // within reach of goal (out of reach a computer kicker plays on as soon
    // as he leaves his mark for his run-up). The shot is held back: a
    // computer kicker in range may shoot from where he marked, which plays
    // on (see AShotFromTheMarkPlaysOn).
    m.shot_cooldown = 30000;
    PlayerSlot* marker = &attackers.slots[5];
    marker->x = 14000;
    marker->y = 0;
    marker->target_x = marker->x, marker->target_y = marker->y;
    m.ball_holder = kicker;
    give_ball_to(nullptr);
    m.last_kicker = kicker;
    ball_state.flight_flags = FLIGHT_MOVING | FLIGHT_KICKED;
    ball_state.bounce_count = 0;
    ball_state.launch_x = static_cast<int16_t>(marker->x - 5000);
    ball_state.launch_y = marker->y;
    give_ball_to(marker);
    EXPECT_EQ(m.match_state, MARK);
    EXPECT_EQ(m.controlled_man_a, marker);
    EXPECT_EQ(marker->marks_taken, 1);
    EXPECT_EQ(marker->contested_marks + marker->uncontested_marks, 1) << "the catch counts as one or the other";
    ASSERT_TRUE(run_to(MARK_KICK_PENDING)) << "stuck in " << int(m.match_state) << " after "
                                           << testing::PrintToString(states);
    EXPECT_EQ(m.time_off, 0) << "the clock runs in a set kick";
    // He kicks: the ball leaves his hands and climbs.
    give_ball_to(nullptr);
    ball_state.z = 700 * 65536;
    ball_state.vx = ball_state.vy = 0; // straight up: nothing scores
    ball_state.vz = 10 * 65536;
    ball_state.flags = BALL_FREE;
    ASSERT_TRUE(run_to(PLAY_ON)) << "stuck in " << int(m.match_state);
    EXPECT_EQ(states[states.size() - 3], MARK_KICK_PENDING);
    EXPECT_EQ(states[states.size() - 2], SET_KICK_FLIGHT);

    // The rest of the quarter: the stoppages of the goal and the behind are
    // owed, so time on follows, and when it runs out it is full time.
    // The umpire keeps the ball from here on, so nothing else stops play.
    ASSERT_TRUE(run_to(PLAY_ON) && m.period_clock > 0);
    auto hold_play = [&] {
        if (m.match_state == PLAY_ON && m.umpire_with_ball != &official_slots[0])
            give_ball_to(&official_slots[0]);
    };
    for (int i = 0; i < 20000 && !(m.flow_flags & TIME_ON); ++i) {
        hold_play();
        tick();
        if (states.back() != m.match_state)
            states.push_back(m.match_state);
    }
    ASSERT_TRUE(m.flow_flags & TIME_ON) << "in " << int(m.match_state) << ", clock " << m.period_clock << " after " << testing::PrintToString(states);
    const int32_t owed = m.stopped_time;
    EXPECT_GT(owed, 0);
    EXPECT_EQ(m.period_clock, 0) << "time on counts up from 0";
    EXPECT_EQ(m.ticks_played, 0) << "the first quarter's time on restarts the count";
    EXPECT_EQ(m.match_state, PLAY_ON) << "time on starts without a change of state";
    tick();
    EXPECT_EQ(m.period_clock, 1);
    for (int i = 0; i < 20000 && m.match_state == PLAY_ON; ++i) {
        hold_play();
        tick();
    }
    ASSERT_EQ(m.match_state, FULL_TIME_EXIT) << "full time, and at once the wait to leave";
    EXPECT_EQ(m.period_clock, owed);
    EXPECT_FALSE(m.flow_flags & CLOCK_FROZEN) << "time on ends without the siren tail";
    EXPECT_TRUE(m.flow_flags & CLOCK_STOPPED);
    EXPECT_EQ(m.restart_countdown, 930) << "no speech: 15 seconds";
    int32_t ticks = 0;
    while (!headless_match_over() && ticks < 2000) {
        tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 930 - 92) << "the screen leaves once fewer than 93 ticks are left";
    EXPECT_EQ(m.period_clock, owed) << "the clock stands after full time";
    EXPECT_TRUE(m.flow_flags & LEAVE);
    EXPECT_EQ(m.init_mode, 0);
    EXPECT_EQ(attackers.points, 7);
    EXPECT_EQ(attackers.other_team->points, 0);
}

TEST_F(MatchChain, EscLeavesWithExitCodeThree)
{
    ASSERT_TRUE(tick_until_state(PLAY_ON));
    key_state[KEY_ESCAPE] = 0x80;
    int muted = 0;
    static int* muted_ptr;
    muted_ptr = &muted;
    match_hooks.mute_commentary = [] { ++*muted_ptr; };
    tick();
    EXPECT_EQ(match_globals.ticks_halted, 1);
    EXPECT_EQ(match_globals.init_mode, 3);
    EXPECT_TRUE(match_globals.flow_flags & LEAVE);
    EXPECT_TRUE(headless_match_over());
    EXPECT_EQ(muted, 1);
    const int32_t clock = match_globals.period_clock;
    tick();
    EXPECT_EQ(match_globals.period_clock, clock) << "halted ticks do nothing";
}

TEST_F(MatchChain, TheSameSeedPlaysTheSameMatch)
{
    auto play = [&](uint32_t seed) {
        MatchRunSettings s;
        s.seed = seed;
        s.weather = 4;
        s.time_of_day = 3;
        s.kick_off_variant = 7;
        start(s);
        std::vector<int32_t> trace;
        for (int i = 0; i < 400; ++i) {
            tick();
            trace.push_back(match_globals.match_state);
            trace.push_back(ball_state.x);
            trace.push_back(ball_state.z);
        }
        trace.push_back(match_globals.weather);
        trace.push_back(match_globals.kick_off_variant);
        trace.push_back(static_cast<int32_t>(match_globals.random_state_a));
        return trace;
    };
    EXPECT_EQ(play(99), play(99));
    EXPECT_NE(play(99), play(100));
}

TEST_F(MatchChain, AFreeKickIsTakenAndPlayGoesOn)
{
    MatchGlobals& m = match_globals;
    ASSERT_TRUE(tick_until_state(PLAY_ON));
    TeamRecord& awarded = team_on_side(1);
    PlayerSlot* kicker = &awarded.slots[7];
    give_ball_to(kicker);
    m.awarded_side = 1;
    m.offending_side = 2;
    m.mark_x = kicker->x;
    m.mark_y = kicker->y;
    award_free_kick(kicker, 10);
    ASSERT_EQ(m.match_state, FREE_KICK);
    EXPECT_EQ(m.controlled_man_a, kicker);
    ASSERT_NE(m.controlled_man_b, nullptr);
    EXPECT_EQ(m.controlled_man_b->side, 2);
    EXPECT_EQ(m.ball_holder, kicker) << "the kicker keeps the ball he holds";
    EXPECT_EQ(awarded.free_kicks, 1);
    ASSERT_TRUE(tick_until_state(MARK_KICK_PENDING, 2000));
    EXPECT_EQ(awarded.clock_mark, m.period_clock - 930) << "fifteen seconds to kick";
    give_ball_to(nullptr);
    ball_state.z = 700 * 65536;
    ball_state.vz = 10 * 65536;
    ball_state.flags = BALL_FREE;
    tick();
    EXPECT_EQ(m.match_state, SET_KICK_FLIGHT);
    tick();
    EXPECT_EQ(m.match_state, PLAY_ON) << "the kick rose above 608 with no wide mark";
}

TEST_F(MatchChain, TheRunningRuleGivesAFreeKick)
{
    MatchGlobals& m = match_globals;
    ASSERT_TRUE(tick_until_state(PLAY_ON));
    PlayerSlot* runner = &team_on_side(2).slots[4];
    give_ball_to(runner);
    runner->x = static_cast<int16_t>(m.pickup_x + 4097);
    runner->target_x = runner->x;
    runner->primary_animation = 0;
    tick();
    EXPECT_EQ(m.match_state, FREE_KICK);
    EXPECT_EQ(m.free_kick_kind, 7);
    EXPECT_EQ(m.awarded_side, 1);
}

// The match puts a held ball with whoever holds it every tick; a headless
// match has no display to do it, and a ball left where it was taken held
// up restarts that wait on it.
TEST_F(MatchChain, AHeldBallGoesWithItsHolderEveryTick)
{
    MatchGlobals& m = match_globals;
    ASSERT_TRUE(tick_until_state(PLAY_ON));
    PlayerSlot* player = &team_on_side(2).slots[6];
    PlayerSlot* umpire = &official_slots[FIELD_UMPIRE];
    for (PlayerSlot* holder : {player, umpire}) {
        set_match_state(PLAY_ON);
        give_ball_to(holder);
        ball_state.x = (holder->x + 4000) * 65536;
        ball_state.y = (holder->y - 3000) * 65536;
        headless_match_tick(); // a bare tick: nobody put anywhere after it
        ASSERT_TRUE(m.ball_holder == holder || m.umpire_with_ball == holder) << holder->number;
        EXPECT_LT(std::abs((ball_state.x >> 16) - holder->x), 256) << holder->number;
        EXPECT_LT(std::abs((ball_state.y >> 16) - holder->y), 256) << holder->number;
        give_ball_to(nullptr);
    }
}

// A computer kicker may shoot from his mark in range of goal rather than
// wait for the set shot; once the kick has left him he has played on, and
// the match goes on to judge where it went.
TEST_F(MatchChain, AShotFromTheMarkPlaysOn)
{
    MatchGlobals& m = match_globals;
    ASSERT_TRUE(tick_until_state(PLAY_ON));
    PlayerSlot* kicker = &team_on_side(2).slots[8];
    kicker->x = kicker->target_x = 19000;
    kicker->y = kicker->target_y = 0;
    give_ball_to(kicker);
    award_mark();
    ASSERT_EQ(m.match_state, MARK);
    ASSERT_EQ(m.controlled_man_a, kicker);
    m.current_kicker = kicker;
    give_ball_to(nullptr);
    ball_state.x = 19300 * 65536;
    ball_state.z = 300 * 65536;
    ball_state.vx = 3 * 65536;
    ball_state.vz = 4 * 65536;
    ball_state.flags = BALL_FREE;
    ball_state.flight_flags = FLIGHT_MOVING | FLIGHT_KICKED;
    tick();
    EXPECT_EQ(m.match_state, PLAY_ON);
    EXPECT_EQ(m.played_on, 1);
}

// A ball that rolls over the side boundary in open play is thrown in: the
// boundary umpire of its half fetches it, sets up, throws it back over his
// shoulder and play goes on. The ball is put over the line directly, so
// nothing of live play comes before it, and from there the match plays
// itself: the umpire must really pick the ball up and throw it.
TEST_F(MatchChain, ABallRolledOutIsThrownInAndPlayGoesOn)
{
    MatchGlobals& m = match_globals;
    struct Case {
        int16_t x, side;
    };
    for (const Case c : {Case{3000, 1}, Case{-9000, -1}, Case{15000, 1}}) {
        SCOPED_TRACE(c.x);
        ASSERT_TRUE(tick_until_state(PLAY_ON));
        give_ball_to(nullptr);
        int16_t y = 0;
        while (in_field(c.x, y))
            y = static_cast<int16_t>(y + 64);
        y = static_cast<int16_t>((y + 256) * c.side);
        ball_state.x = c.x * 65536;
        ball_state.y = y * 65536;
        ball_state.z = 0;
        ball_state.vx = ball_state.vz = 0;
        ball_state.vy = c.side * 65536;
        ball_state.bounce_count = 2;
        ball_state.flags = BALL_FREE;
        ball_state.flight_flags = FLIGHT_MOVING;
        m.last_kicker = nullptr;

        std::vector<uint8_t> states{m.match_state};
        bool umpire_had_it = false;
        for (int i = 0; i < 6000 && !(states.size() > 1 && m.match_state == PLAY_ON); ++i) {
            headless_match_tick();
            umpire_had_it |= m.umpire_with_ball == &official_slots[c.side > 0 ? BOUNDARY_UMPIRE_1 : BOUNDARY_UMPIRE_2];
            if (states.back() != m.match_state)
                states.push_back(m.match_state);
        }
        const std::vector<uint8_t> chain{PLAY_ON, OUT_OF_BOUNDS, THROW_IN_SETUP, THROW_IN_READY, THROW_IN_IN_AIR,
                                         PLAY_ON};
        EXPECT_EQ(states, chain);
        EXPECT_TRUE(umpire_had_it) << "the boundary umpire picked the ball up";
        EXPECT_EQ(m.mark_y > 0, c.side > 0) << "thrown in on the side it went out";
    }
}
