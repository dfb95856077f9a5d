// A headless match with a human player on the home team, driven through the
// controller record as a frame's read would fill it.
#include "headless_match.h"

#include "platform/controllers.h"
#include "match/ball.h"
#include "match/game_tick.h"
#include "match/match_flow.h"
#include "match/kick_outs.h"
#include "players/contest_groups.h"
#include "players/phase_cut.h"

#include <cstdio>
#include <vector>

namespace {

class HumanMatch : public HeadlessMatch {
protected:
    controller_record& pad = controllers[0];
    void SetUp() override
    {
        std::memset(controllers, 0, sizeof controllers);
        controller_total = 1;
        pad.present = 1;
        pad.kind = CONTROLLER_JOYSTICK;
        start(MatchRunSettings{});
    }
    void start(const MatchRunSettings& s)
    {
        clear_match_hooks();
        std::memset(key_state, 0, sizeof key_state);
        pad.side = -1;
        headless_match_setup(s);
    }
    void TearDown() override
    {
        HeadlessMatch::TearDown();
        std::memset(controllers, 0, sizeof controllers);
        controller_total = 0;
    }
    // One frame's read of the device, then a tick; the men the rules wait
    // for are put where they were going unless `walk`.
    void frame(uint32_t buttons, uint8_t dirs, bool walk = false)
    {
        pad.prev_buttons = pad.buttons;
        pad.prev_dirs = pad.dirs;
        pad.prev_raw_dirs = pad.raw_dirs;
        pad.buttons = buttons;
        pad.dirs = pad.raw_dirs = dirs;
        update_controller_edges();
        if (walk)
            headless_match_tick();
        else
            tick();
    }
    // A press and a frame with it let go.
    void press(uint32_t buttons, uint8_t dirs = 0)
    {
        frame(buttons, dirs);
        frame(0, 0);
    }
    // The home player at the centre bounce: up to choose a set-up, a button
    // to confirm it, then after the siren up to the first option and a button
    // once its diagram is fully shown (the display grows it; here it is put
    // so). Whether the bounce came within `cap` ticks of the last key.
    bool take_centre_bounce(int cap)
    {
        MatchGlobals& m = match_globals;
        TeamRecord& home = team_records[0];
        for (int i = 0; i < 20000 && m.match_state != CENTRE_BOUNCE_READY; ++i) frame(0, 0);
        if (m.match_state != CENTRE_BOUNCE_READY)
            return false;
        if (!home.setup_chosen) {
            press(0, 1);
            press(ACTION_2);
        }
        for (int i = 0; i < cap && m.match_state == CENTRE_BOUNCE_READY; ++i) frame(0, 0);
        if (m.match_state != BOUNCE_SIREN)
            return false;
        press(0, 1);
        home.overlay.diagram_growth = OVERLAY_SHOWN;
        press(ACTION_2);
        for (int i = 0; i < cap && m.match_state != PLAY_ON; ++i) frame(0, 0);
        return m.match_state == PLAY_ON;
    }
    // Open play reached with the player's presses at the bounce.
    void to_open_play()
    {
        match_globals.pre_match_skipped = 1;
        ASSERT_TRUE(take_centre_bounce(620)) << "stuck in " << int(match_globals.match_state);
    }
    // The man leaves whatever group he is in for one without a device, as the
    // bounce's contest reset leaves a human team's centre men.
    static void into_computer_group(PlayerSlot* man)
    {
        for (ContestGroup& g : controllers)
            if (!g.present && !g.men[0]) {
                if (man->contest_group)
                    contest_clear(man->contest_group);
                g.men[0] = man;
                man->contest_group = &g;
                return;
            }
    }
    // Ticks with a press of `button` every 20, until the state is one of
    // `until`; the states passed on the way.
    std::vector<uint8_t> press_until(uint32_t button, std::initializer_list<uint8_t> until, int cap)
    {
        MatchGlobals& m = match_globals;
        std::vector<uint8_t> states{m.match_state};
        auto done = [&] {
            for (uint8_t s : until)
                if (m.match_state == s)
                    return true;
            return false;
        };
        for (int i = 0; i < cap && !done(); ++i) {
            frame(i % 20 == 0 ? button : 0, 0);
            if (states.back() != m.match_state)
                states.push_back(m.match_state);
        }
        return states;
    }
};

// The home player turns the coin to a face and calls it; the umpire's toss
// goes to whoever called right; a home winner chooses the end to attack.
TEST_F(HumanMatch, TheHomePlayerCallsTheTossAndChoosesAnEnd)
{
    MatchGlobals& m = match_globals;
    ASSERT_NE(pad.men[0], nullptr) << "the device drives a man from the set-up on";
    EXPECT_EQ(pad.men[0]->team, &team_records[0]);
    TeamRecord& home = team_records[0];
    for (const int32_t call : {-1, 1}) {
        SCOPED_TRACE(call);
        start(MatchRunSettings{});
        auto run_while = [&](uint8_t state, int cap) {
            for (int i = 0; i < cap && m.match_state == state; ++i) frame(0, 0);
        };
        for (int i = 0; i < 50 && m.match_state != CAPTAINS_MEET; ++i) frame(0, 0);
        ASSERT_EQ(m.match_state, CAPTAINS_MEET);
        for (int i = 0; i < 400; ++i) frame(0, 0);
        EXPECT_EQ(m.match_state, CAPTAINS_MEET) << "the meeting waits for the call";
        // The overlay turns the coin; here it is put on the face called.
        home.overlay.stop_frame = 5;
        home.overlay.coin_frame = call == 1 ? 5 : 0;
        frame(ACTION_2, 0);
        frame(0, 0);
        EXPECT_EQ(home.end_choice, call);
        run_while(CAPTAINS_MEET, 2000);
        run_while(COIN_TOSS_WAIT, 4000);
        ASSERT_EQ(m.match_state, COIN_TOSS) << "stuck in " << int(m.match_state);
        const bool home_won = m.toss_result == call;
        EXPECT_EQ(m.toss_winner, home_won ? 0 : 1);
        if (home_won) {
            frame(0, 0);
            EXPECT_EQ(m.match_state, COIN_TOSS) << "the winner chooses first";
            frame(0, 8);
            frame(0, 0);
            frame(ACTION_2, 0); // button 1 there regroups the contest instead
            frame(0, 0);
            EXPECT_EQ(home.side, 2) << "the end chosen";
            EXPECT_EQ(team_records[1].side, 1);
        }
        run_while(COIN_TOSS, 100);
        run_while(AFTER_TOSS, 4000);
        EXPECT_EQ(m.match_state, CENTRE_BOUNCE_SETUP);
    }
}

// Having skipped the pre-match the home player never called: the toss is
// drawn for him, so over a run of seeds he wins some and loses some.
TEST_F(HumanMatch, AHomePlayerWhoSkippedThePreMatchCanStillWinTheToss)
{
    MatchGlobals& m = match_globals;
    int wins = 0, tosses = 0;
    for (uint32_t seed = 1; seed <= 16; ++seed) {
        MatchRunSettings s;
        s.seed = seed;
        start(s);
        m.pre_match_skipped = 1;
        for (int i = 0; i < 6000 && m.match_state != COIN_TOSS; ++i) frame(0, 0);
        ASSERT_EQ(m.match_state, COIN_TOSS) << "seed " << seed;
        EXPECT_EQ(team_records[0].end_choice, 0) << "no call was made";
        ++tosses;
        wins += m.toss_winner == 0;
    }
    EXPECT_GT(wins, 0);
    EXPECT_LT(wins, tosses);
}

// The pre-match plays out for a player who leaves the pad alone: no cut is
// scheduled and the match runs at its own speed up to the captains' meeting,
// where he calls the toss himself.
TEST_F(HumanMatch, APlayerWhoPressesNothingSeesThePreMatch)
{
    MatchGlobals& m = match_globals;
    ASSERT_EQ(m.match_state, PRE_MATCH);
    const int32_t speed = match_tick_record.speed_percent;
    for (int i = 0; i < 50 && m.match_state != CAPTAINS_MEET; ++i) {
        frame(0, 0);
        ASSERT_EQ(m.pending_cut_state, -1) << "cut without a press, tick " << i;
        ASSERT_EQ(match_tick_record.speed_percent, speed);
    }
    EXPECT_EQ(m.match_state, CAPTAINS_MEET);
    EXPECT_EQ(m.pre_match_skipped, 0);
}

// A press of any of the four buttons in the pre-match cuts the scenes to the
// centre bounce: the match fast-forwards in the dark, the captains' meeting
// does not wait for a call, and the toss is drawn.
TEST_F(HumanMatch, AButtonInThePreMatchCutsTheScenes)
{
    MatchGlobals& m = match_globals;
    for (const uint32_t button : {ACTION_1, ACTION_2, ACTION_3, ACTION_4}) {
        SCOPED_TRACE(button);
        start(MatchRunSettings{});
        ASSERT_EQ(m.match_state, PRE_MATCH);
        const int32_t speed = match_tick_record.speed_percent;
        frame(0, 0);
        frame(button, 0);
        EXPECT_EQ(m.pre_match_skipped, 1);
        EXPECT_EQ(m.pending_cut_state, CENTRE_BOUNCE_READY);
        bool fast = false, toss_met = false;
        for (int i = 0; i < 20000 && m.match_state != CENTRE_BOUNCE_READY; ++i) {
            frame(0, 0);
            fast |= match_tick_record.speed_percent == CUT_TICK_SPEED;
            toss_met |= m.match_state == COIN_TOSS;
        }
        ASSERT_EQ(m.match_state, CENTRE_BOUNCE_READY);
        EXPECT_TRUE(fast) << "the walk runs fast in the dark";
        EXPECT_TRUE(toss_met);
        EXPECT_EQ(team_records[0].end_choice, 0) << "no call was made";
        EXPECT_NE(team_records[0].side, 0) << "the ends were drawn";
        frame(0, 0);
        EXPECT_EQ(m.pending_cut_state, -1) << "the picture came back";
        EXPECT_EQ(match_tick_record.speed_percent, speed);
    }
}

TEST_F(HumanMatch, ThePlayerTakesTheCentreBounce)
{
    MatchGlobals& m = match_globals;
    m.pre_match_skipped = 1;
    ASSERT_TRUE(take_centre_bounce(186)) << "stuck in " << int(m.match_state);
    EXPECT_EQ(team_records[0].setup_chosen, 1);
    EXPECT_EQ(team_records[0].option_chosen, 1);
}

// After a behind through the goal the player's team defends, his kicker
// stands in the goal square with the ball: he steps the plan with the stick,
// confirms it, and his presses take the plan's option and kick. Each plan
// kicks the ball into play within a few seconds of the keys, and the
// clock stays stopped while he chooses.
class HumanKickOut : public HumanMatch, public ::testing::WithParamInterface<int> {};

TEST_P(HumanKickOut, EachPlanIsChosenAndKicked)
{
    const int plan = GetParam();
    MatchGlobals& m = match_globals;
    to_open_play();
    TeamRecord& home = team_records[0];
    PlayerSlot* attacker = &home.other_team->slots[3];
    give_ball_to(nullptr);
    m.last_kicker = attacker;
    const int32_t dir = attacker->side == 2 ? 1 : -1;
    ball_state.x = dir * 24600 * 65536;
    ball_state.y = 0;
    ball_state.z = 200 * 65536;
    ball_state.vx = dir * 65536;
    ball_state.vy = ball_state.vz = 0;
    ball_state.flags = BALL_FREE;
    ball_state.flight_flags = FLIGHT_MOVING | FLIGHT_KICKED | FLIGHT_BEHIND;
    frame(0, 0);
    ASSERT_EQ(m.match_state, BEHIND);
    for (int i = 0; i < 2000 && m.match_state != KICK_OUT_SETUP; ++i) frame(0, 0);
    ASSERT_EQ(m.match_state, KICK_OUT_SETUP);
    PlayerSlot* kicker = m.controlled_man_a;
    ASSERT_NE(kicker, nullptr);
    ASSERT_EQ(kicker->team, &home);
    into_computer_group(kicker);
    // He fetches the ball and walks back into his goal square.
    for (int i = 0; i < 3000 && !kick_out_kicker_ready(); ++i) frame(0, 0, true);
    ASSERT_TRUE(kick_out_kicker_ready()) << "the kicker stands ready with the ball";
    for (int i = 0; i < 60; ++i) frame(0, 0, true);
    EXPECT_EQ(m.match_state, KICK_OUT_SETUP) << "the kick-out waits for the player";
    const int32_t clock = m.period_clock;
    for (int step = 0; step < 8 && home.setup_choice != plan; ++step) press(0, 8);
    ASSERT_EQ(home.setup_choice, plan) << "the stick steps the plan";
    EXPECT_EQ(m.period_clock, clock) << "the clock waits for the choice";
    press(ACTION_2);
    ASSERT_NE(m.match_state, KICK_OUT_SETUP) << "the plan is confirmed";
    const std::vector<uint8_t> states = press_until(ACTION_2, {PLAY_ON, FREE_KICK}, 620);
    EXPECT_EQ(m.match_state, PLAY_ON) << "plan " << plan << " went " << testing::PrintToString(states);
    if (plan == 7) {
        EXPECT_EQ(m.ball_holder, kicker) << "the kicker plays on with a kick to himself";
    } else {
        EXPECT_EQ(m.last_kicker, kicker) << "the kicker put the ball into play";
    }
}

INSTANTIATE_TEST_SUITE_P(Plans, HumanKickOut, ::testing::Range(0, 8));

// A set kick of the player's: after a mark (a press of button 1 kicks it
// from the mark) and after a free kick (the meter: one press starts it, a
// second stores the strength and the kick goes as it runs down), with the
// kicker first in a group without a device. The ball is kicked within a few
// seconds; the free kick is never reversed for time.
TEST_F(HumanMatch, ThePlayerTakesASetKickAfterAMarkAndAFreeKick)
{
    MatchGlobals& m = match_globals;
    for (const bool free_kick : {false, true}) {
        SCOPED_TRACE(free_kick ? "free kick" : "mark");
        start(MatchRunSettings{});
        to_open_play();
        TeamRecord& home = team_records[0];
        const int32_t dir = home.side == 2 ? 1 : -1;
        m.shot_cooldown = 30000;
        PlayerSlot* mate = &home.slots[3];
        PlayerSlot* taker = &home.slots[5];
        taker->x = static_cast<int16_t>(dir * 9000);
        taker->y = 2000;
        taker->target_x = taker->x;
        taker->target_y = taker->y;
        into_computer_group(taker);
        if (!m.ball_holder)
            give_ball_to(mate);
        if (free_kick) {
            m.awarded_side = home.side;
            m.offending_side = home.other_team->side;
            m.mark_x = taker->x;
            m.mark_y = taker->y;
            give_ball_to(taker);
            award_free_kick(taker, 7);
            ASSERT_EQ(m.match_state, FREE_KICK);
            for (int i = 0; i < 2000 && m.match_state == FREE_KICK; ++i) frame(0, 0);
            ASSERT_EQ(m.match_state, MARK_KICK_PENDING);
        } else {
            m.ball_holder = mate;
            give_ball_to(nullptr);
            m.last_kicker = mate;
            ball_state.flight_flags = FLIGHT_MOVING | FLIGHT_KICKED;
            ball_state.bounce_count = 0;
            ball_state.launch_x = static_cast<int16_t>(taker->x - dir * 5000);
            ball_state.launch_y = taker->y;
            give_ball_to(taker);
            ASSERT_EQ(m.match_state, MARK);
            for (int i = 0; i < 120; ++i) frame(0, 0);
            EXPECT_EQ(m.match_state, MARK) << "the mark waits for the player";
        }
        EXPECT_EQ(taker->contest_group, &pad) << "the player plays the kicker";
        const std::vector<uint8_t> states = press_until(ACTION_1, {SET_KICK_FLIGHT, PLAY_ON, FREE_KICK}, 310);
        EXPECT_NE(m.match_state, FREE_KICK) << testing::PrintToString(states);
        EXPECT_EQ(m.ball_holder, nullptr) << testing::PrintToString(states);
        EXPECT_EQ(m.last_kicker, taker);
    }
}

} // namespace
