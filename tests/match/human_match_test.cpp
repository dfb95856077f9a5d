// A headless match with a human player on the home team, driven through the
// controller record as a frame's read would fill it.
#include "headless_match.h"

#include "platform/controllers.h"
#include "match/game_tick.h"
#include "players/phase_cut.h"

#include <cstdio>

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
    // One frame's read of the device, then a tick.
    void frame(uint32_t buttons, uint8_t dirs)
    {
        pad.prev_buttons = pad.buttons;
        pad.prev_dirs = pad.dirs;
        pad.prev_raw_dirs = pad.raw_dirs;
        pad.buttons = buttons;
        pad.dirs = pad.raw_dirs = dirs;
        update_controller_edges();
        tick();
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

} // namespace
