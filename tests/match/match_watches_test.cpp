#include "match/ball.h"
#include "match/match_hooks.h"
#include "match/match_watches.h"
#include "match/officials.h"
#include "match/formation.h"
#include "match/set_play_director.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "two_teams.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Said {
    int32_t event, priority;
};
std::vector<Said> said;
std::vector<int32_t> scheduled;

class Watches : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_up_two_teams(22);
        list_active_men(18);
        clear_match_hooks();
        said.clear();
        scheduled.clear();
        match_hooks.commentate = [](int32_t e, int32_t, int32_t, int32_t, int32_t, int32_t p) {
            said.push_back({e, p});
        };
        match_hooks.schedule_effect = [](int32_t id, int32_t, int32_t, int32_t, int32_t, int32_t) {
            scheduled.push_back(id);
        };
        for (int i = 0; i < OFFICIAL_COUNT; ++i)
            official_slots[i].number = static_cast<uint8_t>(64 + i);
        official_slots[BOUNDARY_UMPIRE_1].y = 16000;
        official_slots[BOUNDARY_UMPIRE_2].y = -16000;
        for (int i = 0; i < match_globals.active_men_count; ++i)
            match_globals.active_men[i]->x = static_cast<int16_t>(-20000 + 100 * i);
        match_globals.match_state = 1;
        match_globals.period_clock = 5000;
        match_globals.interchange_gate_x = 0;
        match_globals.interchange_gate_y = 16896;
        match_globals.random_state_a = 0x2468ace;
        key_state[KEY_ESCAPE] = 0;
    }
    void TearDown() override
    {
        clear_match_hooks();
        key_state[KEY_ESCAPE] = 0;
    }
    // A ball out of the ground at (x, y) with the flight flags given.
    static void ball_out(int16_t x, int16_t y, uint16_t flight, uint8_t bounces)
    {
        place_ball(x, y);
        ball_state.flight_flags = flight;
        ball_state.bounce_count = bounces;
        ball_state.flags = BALL_FREE | BALL_WIDE_MARKS;
    }
};

TEST_F(Watches, ThrowInFromWhereTheBallWentOut)
{
    ball_out(3000, 16500, FLIGHT_MOVING, 2);
    out_of_bounds_watch();
    EXPECT_EQ(match_globals.match_state, 37);
    EXPECT_EQ(match_globals.restart_pending, 1);
    EXPECT_EQ(match_globals.mark_x, 3000);
    EXPECT_LE(match_globals.mark_y, 16384); // on the ground
    EXPECT_EQ(official_slots[BOUNDARY_UMPIRE_1].official_job, 32);
    ASSERT_FALSE(said.empty());
    EXPECT_TRUE(said[0].event == 41 || said[0].event == 42);
}

// Out in a pocket with the other boundary umpire nearer: the umpire of the
// ball's half still fetches it, the one the rules then wait for.
TEST_F(Watches, ThrowInFetchedByTheUmpireOfTheBallsHalf)
{
    official_slots[BOUNDARY_UMPIRE_1].x = 27300, official_slots[BOUNDARY_UMPIRE_1].y = 300;
    official_slots[BOUNDARY_UMPIRE_2].x = 25400, official_slots[BOUNDARY_UMPIRE_2].y = -300;
    ball_out(25400, 5200, FLIGHT_MOVING, 2);
    out_of_bounds_watch();
    ASSERT_EQ(match_globals.match_state, 37);
    EXPECT_EQ(official_slots[BOUNDARY_UMPIRE_1].official_job, 32);
    EXPECT_NE(official_slots[BOUNDARY_UMPIRE_2].official_job, 32);
}

TEST_F(Watches, ThrowInSpotsKeepOffTheCentreLineAndTheGoalSquare)
{
    struct Case {
        int16_t x, y;
        uint16_t flight;
        int16_t mark_x, mark_y;
    };
    const Case cases[] = {
        {24700, 300, FLIGHT_MOVING, 24576 - 73, 2816},          // pushed off the centre line
        {-24700, -300, FLIGHT_MOVING, -24576 + 73, -2816},
        {24300, 2400, FLIGHT_MOVING | FLIGHT_BEHIND_POST, 0, 2816}, // behind post: from its side
    };
    for (const Case& c : cases) {
        match_globals.match_state = 1;
        ball_out(c.x, c.y, c.flight, 1);
        out_of_bounds_watch();
        EXPECT_EQ(match_globals.mark_y, c.mark_y) << c.x << "," << c.y;
        if (c.flight & FLIGHT_BEHIND_POST) {
            EXPECT_EQ(ball_state.flight_flags & FLIGHT_BEHIND_POST, 0);
            EXPECT_GT(match_globals.mark_x, 20000);
        }
    }
}

TEST_F(Watches, OutOnTheFullIsAFreeKickAgainstTheKicker)
{
    PlayerSlot& kicker = team_records[1].slots[3];
    match_globals.last_kicker = &kicker;
    ball_out(8000, -16500, FLIGHT_MOVING | FLIGHT_KICKED, 0);
    out_of_bounds_watch();
    EXPECT_EQ(match_globals.free_kick_kind, 6);
    EXPECT_EQ(match_globals.offender, &kicker);
    EXPECT_EQ(match_globals.awarded_side, 1);
    EXPECT_EQ(match_globals.offending_side, 2);
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said[0].priority, 7);
    // With the kicker no longer known the ball is thrown in.
    match_globals.match_state = 1;
    match_globals.free_kick_kind = 0;
    match_globals.last_kicker = nullptr;
    ball_out(8000, -16500, FLIGHT_MOVING | FLIGHT_KICKED, 0);
    out_of_bounds_watch();
    EXPECT_EQ(match_globals.free_kick_kind, 0);
    EXPECT_EQ(match_globals.match_state, 37);
}

TEST_F(Watches, CarriedOutAloneIsDeliberate)
{
    PlayerSlot& holder = team_records[0].slots[2];
    ball_out(0, 16600, 0, 0);
    match_globals.ball_holder = &holder;
    match_globals.active_distance[0] = 100; // the first listed man is his
    match_globals.active_men[0] = &holder;
    match_globals.active_men[1] = &team_records[1].slots[0];
    match_globals.active_distance[1] = 3000;
    ball_state.flags = BALL_HELD | BALL_WIDE_MARKS;
    out_of_bounds_watch();
    EXPECT_EQ(match_globals.free_kick_kind, 11);
    EXPECT_EQ(match_globals.offender, &holder);
    EXPECT_EQ(said.at(0).event, 34);
}

TEST_F(Watches, BallUpBounceOutIsABallUp)
{
    ball_out(0, 16600, FLIGHT_MOVING | FLIGHT_DEAD_BOUNCE, 1);
    out_of_bounds_watch();
    EXPECT_LE(match_globals.mark_y, 16384 - 1280 + 2);
    EXPECT_NE(match_globals.match_state, 37);
}

TEST_F(Watches, PeriodOverEndsThePeriodInstead)
{
    match_globals.period_clock = 0;
    match_globals.stopped_time = 0;
    ball_out(3000, 16500, FLIGHT_MOVING, 2);
    out_of_bounds_watch();
    EXPECT_EQ(match_globals.period_end_pending, 1);
    EXPECT_EQ(match_globals.match_state, 1);
}

TEST_F(Watches, NothingWithoutAWideMarkOrOutOfOpenPlay)
{
    ball_out(3000, 16500, FLIGHT_MOVING, 2);
    ball_state.flags = BALL_FREE;
    out_of_bounds_watch();
    EXPECT_EQ(match_globals.match_state, 1);
    match_globals.match_state = 61;
    ball_out(3000, 16500, FLIGHT_MOVING, 2);
    out_of_bounds_watch();
    EXPECT_EQ(match_globals.match_state, 61);
}

TEST_F(Watches, SetKickTimeLimit)
{
    PlayerSlot& kicker = team_records[0].slots[4];
    PlayerSlot& on_mark = team_records[1].slots[4];
    match_globals.controlled_man_a = &kicker;
    match_globals.controlled_man_b = &on_mark;
    match_globals.awarded_side = 1;
    match_globals.period_clock = 20000;
    set_team_clock_mark_15s();
    EXPECT_EQ(team_records[0].clock_mark, 20000 - 930);
    struct Step {
        int32_t clock;
        size_t whistles;
        bool awarded;
    };
    for (const Step s : {Step{20000 - 619, 0, false}, Step{20000 - 620, 1, false}, Step{20000 - 900, 1, false},
                         Step{20000 - 930, 1, false}, Step{20000 - 931, 1, true}}) {
        match_globals.period_clock = s.clock;
        set_kick_time_limit();
        EXPECT_EQ(scheduled.size(), s.whistles) << s.clock;
        EXPECT_EQ(match_globals.free_kick_kind == 9, s.awarded) << s.clock;
    }
    EXPECT_EQ(match_globals.return_match_state, 49);
    EXPECT_EQ(team_records[0].time_wasting, 1);
    EXPECT_EQ(match_globals.awarded_side, 2);
    // With time on the clock counts up and so does the mark.
    match_globals.flow_flags = TIME_ON;
    match_globals.awarded_side = 1;
    match_globals.period_clock = 100;
    set_team_clock_mark_20s();
    EXPECT_EQ(team_records[0].clock_mark, 100 + 1240);
}

TEST_F(Watches, EscapeDuringTheBreaksShortensTheWait)
{
    match_globals.pending_cut_state = -1;
    key_state[KEY_ESCAPE] = 0x80;
    struct Case {
        uint8_t state;
        int32_t countdown, left;
        int32_t quits;
    };
    for (const Case c : {Case{17, 200, 93, 0}, Case{17, 50, 50, 0}, Case{16, 94, 93, 0}, Case{21, 200, 61, 0},
                         Case{1, 200, 200, 1}}) {
        match_globals.match_state = c.state;
        match_globals.restart_countdown = c.countdown;
        EXPECT_EQ(match_quit_requested(), c.quits) << int(c.state);
        EXPECT_EQ(match_globals.restart_countdown, c.left) << int(c.state);
    }
    match_globals.pending_cut_state = 17;
    EXPECT_EQ(match_quit_requested(), 0);
    match_globals.pending_cut_state = -1;
    key_state[KEY_ESCAPE] = 0;
    match_globals.game_type = 0;
    controllers[5].buttons = 4;
    EXPECT_EQ(match_quit_requested(), 1);
    controllers[5].buttons = 0;
    EXPECT_EQ(match_quit_requested(), 0);
}

TEST_F(Watches, PlayHasStopped)
{
    struct Case {
        uint8_t state;
        uint16_t flight;
        int32_t stopped;
    };
    for (const Case c : {Case{1, 0, 0}, Case{1, FLIGHT_KICKED | FLIGHT_MOVING, 1}, Case{1, FLIGHT_KICKED, 0},
                         Case{41, 0, 1}, Case{65, 0, 1}, Case{57, 0, 0}}) {
        match_globals.match_state = c.state;
        ball_state.flight_flags = c.flight;
        EXPECT_EQ(play_has_stopped(), c.stopped) << int(c.state);
    }
    match_globals.period_end_pending = 1;
    match_globals.match_state = 41;
    EXPECT_EQ(play_has_stopped(), 0);
}

TEST_F(Watches, FocusChangeStepsOffTheMarkFromTheMirroredFrame)
{
    PlayerSlot& old = team_records[1].slots[1];
    PlayerSlot& next = team_records[1].slots[2];
    match_globals.controlled_man_b = &old;
    struct Case {
        uint32_t playing;
        int32_t frame;
        uint32_t then;
        int32_t start;
    };
    for (const Case c : {Case{355, 4, 357, 25}, Case{355, 60, 357, 0}, Case{200, 9, 357, 0}, Case{357, 3, 357, 3},
                         Case{0, 0, 0, 0}}) {
        old.secondary_animation = c.playing;
        old.secondary_position = c.frame << 16;
        match_globals.controlled_man_b = &old;
        set_focus_player(&next);
        EXPECT_EQ(old.secondary_animation, c.then) << c.playing << " " << c.frame;
        EXPECT_EQ(old.secondary_position >> 16, c.start) << c.playing << " " << c.frame;
        EXPECT_EQ(match_globals.controlled_man_b, &next);
    }
}

TEST_F(Watches, PeriodEndWalks)
{
    match_globals.flow_flags = QUARTER_2;
    PlayerSlot& a = team_records[0].slots[0];
    PlayerSlot& b = team_records[1].slots[0];
    a.x = 300;
    b.x = -9000;
    place_men_for_period_end();
    EXPECT_EQ(a.proposals[0].action, 27);
    EXPECT_EQ(a.proposals[0].x, 256);
    EXPECT_EQ(a.proposals[0].y, PERIOD_END_BREAK_Y);
    EXPECT_EQ(b.proposals[0].x, -256);
    EXPECT_EQ(b.proposals[0].y, 25088);
    a.proposal_count = 0;
    match_globals.flow_flags = QUARTER_3;
    place_men_for_period_end();
    EXPECT_EQ(a.proposals[0].action, 6);
    EXPECT_EQ(a.ball_coming, 1u);
}

TEST_F(Watches, KeyMenAreCollected)
{
    TeamRecord& t = team_records[0];
    t.key_men[0] = 7;
    t.key_men[1] = 2;
    t.key_men[2] = 11;
    t.key_men[3] = 0;
    t.slots[5].key_man_mark = 1;
    PlayerSlot* out[4] = {};
    collect_key_men(&t.slots[0], out);
    EXPECT_EQ(out[0], &t.slots[7]);
    EXPECT_EQ(out[1], &t.slots[2]);
    EXPECT_EQ(out[3], &t.slots[0]);
    EXPECT_EQ(t.slots[5].key_man_mark, 0u);
    EXPECT_EQ(t.slots[11].key_man_mark, 1u);
}

} // namespace

TEST_F(Watches, NearAnEndTheThrowInGoesToTheUmpireOfTheMarksHalf)
{
    // The second boundary umpire has followed round the bend and stands
    // nearer the mark than the first; the throw-in is still the first's.
    official_slots[BOUNDARY_UMPIRE_1].x = 9000;
    official_slots[BOUNDARY_UMPIRE_1].y = 8000;
    official_slots[BOUNDARY_UMPIRE_2].x = 23500;
    official_slots[BOUNDARY_UMPIRE_2].y = -500;
    ball_out(23000, 3500, FLIGHT_MOVING, 2);
    out_of_bounds_watch();
    ASSERT_EQ(match_globals.match_state, 37);
    ASSERT_GT(match_globals.mark_y, 0);
    EXPECT_EQ(official_slots[BOUNDARY_UMPIRE_1].official_job, 32);
    EXPECT_EQ(official_slots[BOUNDARY_UMPIRE_2].official_job, 0);
}

TEST_F(Watches, SelectLineUpStandsTheTeamOnTheNearestEntry)
{
    TeamRecord& team = team_records[0];
    ASSERT_EQ(select_line_up(nullptr, 19), -1);
    struct Case {
        int32_t id, entry;
    };
    for (const Case c : {Case{17, 1}, Case{19, 1}, Case{40, 1}, Case{9, 0}, Case{-5, 0}}) {
        for (int side : {1, 2}) {
            SCOPED_TRACE(testing::Message() << "id " << c.id << " side " << side);
            team.side = static_cast<uint8_t>(side);
            for (PlayerSlot& m : team.slots)
                m.side = team.side;
            ASSERT_EQ(select_line_up(&team, c.id), c.entry);
            for (int n : {0, 7, 17}) {
                const PlayerSlot& m = team.slots[n];
                // The line-up is mirrored for side 1; the home formation is
                // read as the formation spots read it.
                const int32_t sign = side == 2 ? 1 : -1;
                const FormationSpot s = c.entry == 1 ? FormationSpot{sign * line_up_spots[m.number].x,
                                                                     sign * line_up_spots[m.number].y}
                                                     : spot_for_man(&m, &default_formation_spots[0], m.number);
                EXPECT_EQ(m.target_x, s.x) << "man " << n;
                EXPECT_EQ(m.target_y, s.y);
                EXPECT_EQ(m.arrived, 0);
            }
        }
    }
}

namespace {

// A man of the other side beside the kicker, off the kick's line, encroaches
// only while his group keeps him facing the kicker.
TEST_F(Watches, EncroachingByTheGroupsKeptFacing)
{
    MatchGlobals& g = match_globals;
    PlayerSlot* kicker = &team_records[0].slots[1];
    PlayerSlot* other = &team_records[1].slots[1];
    kicker->side = 2;
    other->side = 1;
    g.awarded_side = 2;
    g.controlled_man_a = kicker;
    g.mark_x = 0;
    g.mark_y = 0;
    kicker->x = 0, kicker->y = 0;
    other->x = 0, other->y = 500; // across the line to the goal at +x
    other->ball_distance = 500;
    ContestGroup group{};
    other->contest_group = &group;
    group.men[0] = other;
    struct Case {
        int32_t kept;
        int32_t encroaches;
    };
    // From him the kicker lies at angle 128 (toward -y).
    for (const Case c : {Case{128, 1}, Case{150, 1}, Case{0, 0}, Case{64, 0}}) {
        group.menu_scratch = c.kept;
        EXPECT_EQ(encroaches(other), c.encroaches) << "kept facing " << c.kept;
    }
    other->contest_group = nullptr;
}

} // namespace
