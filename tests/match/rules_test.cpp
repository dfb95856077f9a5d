#include "headless_match.h"

#include "league/league_data.h"
#include "match/ball.h"
#include "match/game_maths.h"
#include "match/match_setup.h"
#include "match/proposals.h"
#include "match/set_kicks.h"
#include "match/set_play_director.h"

#include <array>
#include <string>
#include <vector>

namespace {

int sirens;
std::vector<int32_t> banner_kinds;

void listen()
{
    sirens = 0;
    banner_kinds.clear();
    match_hooks.play_effect = [](int32_t e, int32_t, int32_t) { sirens += e == EFFECT_SIREN; };
    match_hooks.open_message_banner = [](int32_t kind) {
        banner_kinds.push_back(kind);
        return 1;
    };
}

} // namespace

struct TimeUpCase {
    const char* name;
    uint16_t flags;
    int32_t stopped;
    int16_t first_points, second_points;
    uint8_t draw_not_allowed;
    uint8_t state_after;
    uint16_t flags_set, flags_clear;
    int sirens;
};

class TimeUp : public HeadlessMatch, public ::testing::WithParamInterface<TimeUpCase> {};

TEST_P(TimeUp, TheRowDecides)
{
    const TimeUpCase& c = GetParam();
    MatchGlobals& m = match_globals;
    m.match_state = PLAY_ON;
    m.flow_flags = c.flags;
    m.stopped_time = c.stopped;
    m.period_clock = 0;
    team_records[0].points = c.first_points;
    team_records[1].points = c.second_points;
    m.draw_not_allowed = c.draw_not_allowed;
    listen();
    handle_time_up();
    EXPECT_EQ(m.match_state, c.state_after);
    EXPECT_EQ(m.flow_flags & c.flags_set, c.flags_set);
    EXPECT_EQ(m.flow_flags & c.flags_clear, 0);
    EXPECT_EQ(sirens, c.sirens);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TimeUp,
    ::testing::Values(
        TimeUpCase{"TimeOnRunOutIsFullTimeWithoutSiren", QUARTER_3 | TIME_ON, 40, 0, 0, 0, FULL_TIME, 0, 0, 0},
        TimeUpCase{"FirstPeriodIsFullTime", QUARTER_1, 0, 0, 0, 0, FULL_TIME, CLOCK_FROZEN, TIME_ON, 1},
        TimeUpCase{"OwedTimeStartsTimeOn", QUARTER_1, 30, 0, 0, 0, PLAY_ON, TIME_ON, 0, 0},
        TimeUpCase{"ExtraTimeFirstPeriodEnds", QUARTER_1 | EXTRA_TIME, 0, 0, 0, 0, END_OF_PERIOD, CLOCK_FROZEN, 0, 1},
        TimeUpCase{"SuddenDeathEndsTheMatch", QUARTER_1 | SUDDEN_DEATH, 0, 7, 1, 0, FULL_TIME, CLOCK_FROZEN, 0, 1},
        TimeUpCase{"ExtraTimeDecided", QUARTER_2 | EXTRA_TIME, 0, 7, 1, 0, FULL_TIME, CLOCK_FROZEN, 0, 1},
        TimeUpCase{"ExtraTimeLevelGoesToSuddenDeath", QUARTER_2 | EXTRA_TIME, 0, 7, 7, 0, BREAK,
                   SUDDEN_DEATH | CLOCK_FROZEN, 0, 1},
        TimeUpCase{"SecondQuarterIsABreak", QUARTER_2, 0, 0, 0, 0, BREAK, CLOCK_FROZEN, 0, 1},
        TimeUpCase{"ThirdQuarterEnds", QUARTER_3, 0, 0, 0, 0, END_OF_PERIOD, CLOCK_FROZEN, 0, 1},
        TimeUpCase{"FourthLevelMustHaveAWinner", QUARTER_4, 0, 9, 9, 1, BREAK, EXTRA_TIME | CLOCK_FROZEN, 0, 1},
        TimeUpCase{"FourthLevelMayBeDrawn", QUARTER_4, 0, 9, 9, 0, FULL_TIME, CLOCK_FROZEN, 0, 1},
        TimeUpCase{"NoQuarterNothing", 0, 0, 0, 0, 0, PLAY_ON, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

using Rules = HeadlessMatch;

TEST_F(Rules, TimeOnNegatesTheClockMarksAndRestartsTheFirstQuarterCount)
{
    MatchGlobals& m = match_globals;
    m.flow_flags = QUARTER_1;
    m.stopped_time = 30;
    m.ticks_played = 500;
    team_records[0].clock_mark = 930;
    team_records[1].clock_mark = -12;
    handle_time_up();
    EXPECT_EQ(team_records[0].clock_mark, -930);
    EXPECT_EQ(team_records[1].clock_mark, 12);
    EXPECT_EQ(m.ticks_played, 0);
    EXPECT_EQ(m.clock_display_mode, 3);
}

TEST_F(Rules, ThePeriodEndShowsOneEndBanner)
{
    listen();
    match_globals.flow_flags = QUARTER_2;
    handle_time_up();
    EXPECT_EQ(banner_kinds, std::vector<int32_t>{2});
    listen();
    match_globals.flow_flags = QUARTER_1;
    handle_time_up();
    EXPECT_EQ(banner_kinds, (std::vector<int32_t>{2, 2})) << "the first period's end shows it twice";
}

TEST_F(Rules, TheDemonstrationOnlyEndsItself)
{
    MatchGlobals& m = match_globals;
    m.game_type = GAME_DEMO;
    m.match_state = PLAY_ON;
    m.flow_flags = QUARTER_1 | CLOCK_RUNNING;
    m.period_clock = 0;
    check_period_clock();
    EXPECT_EQ(m.flow_flags, MATCH_PLAYED);
    EXPECT_EQ(m.match_state, PLAY_ON);
}

TEST_F(Rules, SuddenDeathEndsAtTheFirstScoreWhateverTheClock)
{
    MatchGlobals& m = match_globals;
    m.match_state = PLAY_ON;
    m.flow_flags = QUARTER_1 | SUDDEN_DEATH;
    m.period_clock = 5000;
    check_period_clock();
    EXPECT_EQ(m.match_state, PLAY_ON);
    team_records[1].points = 1;
    check_period_clock();
    EXPECT_EQ(m.match_state, FULL_TIME);
}

struct ScoreCase {
    const char* name;
    int scorer_side;
    int32_t x;      // the ball's x as it crosses
    int32_t vx;     // sign of its x speed
    uint16_t marks; // flight marks
    uint8_t state_after;
};

class WatchScore : public HeadlessMatch, public ::testing::WithParamInterface<ScoreCase> {};

TEST_P(WatchScore, TheMarksAndTheDirectionDecide)
{
    const ScoreCase& c = GetParam();
    MatchGlobals& m = match_globals;
    set_match_state(PLAY_ON);
    PlayerSlot* kicker = &team_of_side(c.scorer_side)->slots[4];
    m.last_kicker = kicker;
    m.ball_holder = nullptr;
    ball_state.flags = BALL_FREE;
    ball_state.x = c.x * 65536;
    ball_state.vx = c.vx * 65536;
    ball_state.flight_flags = c.marks;
    watch_score();
    EXPECT_EQ(m.match_state, c.state_after);
    if (c.state_after == PLAY_ON) {
        EXPECT_EQ(ball_state.flight_flags & FLIGHT_SCORE_MARKS, 0) << "the marks are cleared";
    }
}

constexpr uint16_t KICK_GOAL = FLIGHT_KICKED | FLIGHT_GOAL;

INSTANTIATE_TEST_SUITE_P(
    Cases, WatchScore,
    ::testing::Values(ScoreCase{"SideOneThroughItsGoalOutward", 1, -24600, -1, KICK_GOAL, GOAL},
                      ScoreCase{"SideOneThroughTheGoalItDefends", 1, 24600, 1, KICK_GOAL, BEHIND},
                      ScoreCase{"SideOneInwardScoresNothing", 1, -24600, 1, KICK_GOAL, PLAY_ON},
                      ScoreCase{"SideTwoThroughItsGoalOutward", 2, 24600, 1, KICK_GOAL, GOAL},
                      ScoreCase{"SideTwoThroughTheGoalItDefends", 2, -24600, -1, KICK_GOAL, BEHIND},
                      ScoreCase{"CarriedThroughIsABehind", 2, 24600, 1, FLIGHT_GOAL, BEHIND},
                      ScoreCase{"ThePostIsABehindEvenThroughTheGoal", 2, 24600, 1, KICK_GOAL | FLIGHT_POST, BEHIND},
                      ScoreCase{"BetweenGoalAndBehindPost", 2, 24600, 1, FLIGHT_KICKED | FLIGHT_BEHIND, BEHIND}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Rules, AGoalIsCreditedOnlyOnceTheBallIsDown)
{
    MatchGlobals& m = match_globals;
    PlayerSlot* kicker = &team_of_side(2)->slots[4];
    set_match_state(PLAY_ON);
    m.last_kicker = kicker;
    ball_state.x = 24600 * 65536;
    ball_state.vx = 65536;
    ball_state.flags = BALL_FREE;
    ball_state.flight_flags = KICK_GOAL | FLIGHT_MOVING;
    watch_score();
    ASSERT_EQ(m.match_state, GOAL);
    ball_state.z = 300 * 65536;
    finish_goal();
    EXPECT_EQ(kicker->team->points, 0);
    EXPECT_EQ(m.match_state, GOAL);
    ball_state.z = 256 * 65536;
    finish_goal();
    EXPECT_EQ(kicker->team->points, 6);
    EXPECT_EQ(m.match_state, CENTRE_BOUNCE_SETUP);
    EXPECT_EQ(m.awarded_side, 1) << "the other side bounces";
}

TEST_F(Rules, ARushedBehindGoesToTheAttackers)
{
    MatchGlobals& m = match_globals;
    set_match_state(PLAY_ON);
    // A defender of the negative goal (side 2) kicks through it outward.
    PlayerSlot* defender = &team_of_side(2)->slots[12];
    m.last_kicker = defender;
    ball_state.x = -24600 * 65536;
    ball_state.vx = -65536;
    ball_state.flags = BALL_FREE;
    ball_state.flight_flags = KICK_GOAL;
    watch_score();
    ASSERT_EQ(m.match_state, BEHIND);
    EXPECT_EQ(team_of_side(1)->points, 1);
    EXPECT_EQ(team_of_side(1)->behinds, 1);
    EXPECT_EQ(defender->behinds_kicked, 0) << "his own count is for behinds at the end he attacks";
    EXPECT_EQ(m.awarded_side, 2);
    EXPECT_EQ(m.mark_x, -22514);
    ASSERT_NE(m.controlled_man_a, nullptr);
    EXPECT_EQ(m.controlled_man_a->side, 2) << "the defenders kick out";
}

TEST_F(Rules, AnAwardAfterTheClockHasRunOutOnlyOwesThePeriodEnd)
{
    MatchGlobals& m = match_globals;
    set_match_state(PLAY_ON);
    m.period_clock = 0;
    m.stopped_time = 0;
    m.awarded_side = 1;
    m.offending_side = 2;
    award_free_kick(nullptr, 7);
    EXPECT_EQ(m.period_end_pending, 1);
    EXPECT_EQ(m.match_state, PLAY_ON);
    EXPECT_EQ(m.controlled_man_a, nullptr);
    award_ball_up(nullptr, 0);
    EXPECT_EQ(m.match_state, PLAY_ON);
}

TEST_F(Rules, AFreeKickWithNobodyToTakeItIsNotAwarded)
{
    MatchGlobals& m = match_globals;
    set_match_state(PLAY_ON);
    for (int i = 0; i < m.active_men_count; ++i)
        if (m.active_men[i]->side == 1)
            m.active_men[i]->man_flags |= MAN_OUT_OF_PLAY;
    m.awarded_side = 1;
    m.offending_side = 2;
    const uint16_t free_kicks = team_of_side(1)->free_kicks;
    award_free_kick(nullptr, 7);
    EXPECT_EQ(m.match_state, PLAY_ON);
    EXPECT_EQ(team_of_side(1)->free_kicks, free_kicks);
}

TEST_F(Rules, AFreeKickWithNobodyOnTheMarkStillStands)
{
    MatchGlobals& m = match_globals;
    set_match_state(PLAY_ON);
    for (int i = 0; i < m.active_men_count; ++i)
        if (m.active_men[i]->side == 2)
            m.active_men[i]->man_flags |= MAN_OUT_OF_PLAY;
    m.awarded_side = 1;
    m.offending_side = 2;
    m.mark_x = 1000;
    m.mark_y = 0;
    award_free_kick(nullptr, 9);
    EXPECT_EQ(m.match_state, FREE_KICK);
    EXPECT_EQ(m.controlled_man_b, nullptr);
    ASSERT_NE(m.controlled_man_a, nullptr);
    EXPECT_EQ(m.controlled_man_a->side, 1);
    EXPECT_EQ(m.controlled_man_a->free_kicks_won, 1);
    EXPECT_EQ(m.free_kick_kind, 9);
    EXPECT_EQ(m.time_off, 0) << "the clock runs in a free kick";
}

TEST_F(Rules, ABallUpAtNobodyCountsNothing)
{
    MatchGlobals& m = match_globals;
    set_match_state(PLAY_ON);
    award_ball_up(nullptr, 0);
    EXPECT_EQ(m.match_state, BALL_UP_SETUP);
    EXPECT_EQ(team_records[0].ball_ups + team_records[1].ball_ups, 0);
    for (int t = 0; t < 2; ++t)
        for (PlayerSlot* man : m.ball_up_men[t]) {
            ASSERT_NE(man, nullptr);
            EXPECT_EQ(man->stoppage_man, 1u);
            EXPECT_NE(man->number, team_records[t].key_men[0]) << "never the ruckman";
        }
}

// The tackle's frame event names the tackled holder as the offender; the
// ball-up is then at his feet (it went to the centre when the event wrote a
// field the rules never read, and the men gathered where nobody bounced).
TEST_F(Rules, AHeldBallBallUpIsWhereTheTackledManStands)
{
    MatchGlobals& m = match_globals;
    set_match_state(PLAY_ON);
    PlayerSlot* held = &team_records[1].slots[5];
    held->x = 3000;
    held->y = -2200;
    m.mark_x = m.mark_y = 0;
    m.pending_decision = 5;
    m.offender = held;
    judge_pending_infringement();
    EXPECT_EQ(m.match_state, BALL_UP_SETUP);
    EXPECT_EQ(m.mark_x, 3000);
    EXPECT_EQ(m.mark_y, -2200);
    EXPECT_EQ(m.offending_side, held->side);
    EXPECT_EQ(m.pending_decision, 0);
}

TEST_F(Rules, AnUnknownPendingDecisionIsDropped)
{
    set_match_state(PLAY_ON);
    match_globals.pending_decision = 7;
    match_globals.offender = &team_records[0].slots[2];
    judge_pending_infringement();
    EXPECT_EQ(match_globals.pending_decision, 0);
    EXPECT_EQ(match_globals.match_state, PLAY_ON);
}

TEST_F(Rules, TheSameStateRunsNoEntryAndTheSettingSkipsThemAll)
{
    MatchGlobals& m = match_globals;
    set_match_state(PLAY_ON);
    m.time_off = 1;
    set_match_state(PLAY_ON);
    EXPECT_EQ(m.time_off, 1) << "no entry for the state already current";
    game_settings.skip_entry_actions = 1;
    set_match_state(GOAL);
    EXPECT_EQ(m.match_state, GOAL);
    EXPECT_EQ(m.scorer, nullptr) << "no entry actions";
    game_settings.skip_entry_actions = 0;
}

TEST_F(Rules, BackFromAFightTheMenWalkBack)
{
    MatchGlobals& m = match_globals;
    set_match_state(FREE_KICK);
    m.return_match_state = FREE_KICK;
    set_match_state(FIGHT);
    team_records[0].slots[3].arrived = 1;
    set_match_state(FREE_KICK);
    EXPECT_EQ(team_records[0].slots[3].arrived, 0u);
}

// The fight's camera is a situation camera like every other the rules start:
// preset 7, close in for a near fight and wider once they drift apart.
TEST_F(Rules, AFightPutsTheSituationCameraOnTheFightersMidpoint)
{
    MatchGlobals& m = match_globals;
    static std::vector<std::array<int32_t, 5>> calls;
    calls.clear();
    match_hooks.set_camera_for_situation = [](int32_t x, int32_t h, int32_t y, int32_t a, int32_t b) {
        calls.push_back({x, h, y, a, b});
    };
    PlayerSlot& a = team_records[0].slots[1];
    PlayerSlot& b = team_records[1].slots[1];
    a.x = 0, a.y = 0, b.x = 400, b.y = 200;
    a.fight_opponent = &b, b.fight_opponent = &a;
    a.fight_link = b.fight_link = 1;
    m.return_match_state = FREE_KICK;
    set_match_state(FIGHT);
    m.fight_pair[0] = &a, m.fight_pair[1] = &b;
    update_match_flow();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back()[0], 200);
    EXPECT_EQ(calls.back()[2], 100);
    EXPECT_EQ(calls.back()[3], 20);
    EXPECT_EQ(calls.back()[4], 7) << "the situation preset";
    b.x = 3000;
    calls.clear();
    ASSERT_EQ(m.match_state, FIGHT);
    update_match_flow();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back()[3], 30);
    EXPECT_EQ(calls.back()[4], 7);
    a.fight_opponent = b.fight_opponent = nullptr;
    a.fight_link = b.fight_link = 0;
    m.fight_pair[0] = m.fight_pair[1] = nullptr;
}

TEST_F(Rules, KickOutListsServeOnlyTheKickOut)
{
    MatchGlobals& m = match_globals;
    TeamRecord& team = team_records[1]; // side 1: the list turns
    const FormationSpot list[2] = {{-23040, 5120}, {-23040, -5120}};
    set_match_state(KICK_OUT_SETUP);
    install_kickout_spots(&team, list, 2);
    EXPECT_EQ(team.formation_spots->spot[0].x, 23040);
    EXPECT_EQ(team.formation_spots->spot[1].y, 5120);
    EXPECT_EQ(team.formation_spots->spot[17].x, formation_tables[1].spot[17].x) << "past the list: his own spot";
    set_match_state(71);
    EXPECT_NE(team.formation_spots, &formation_tables[1]);
    set_match_state(FREE_KICK);
    EXPECT_EQ(team.formation_spots, &formation_tables[1]);
    (void)m;
}

TEST_F(Rules, ReadinessCountsTheMenInPlace)
{
    MatchGlobals& m = match_globals;
    for (int i = 0; i < m.active_men_count; ++i)
        m.active_men[i]->arrived = 1;
    EXPECT_TRUE(men_in_place_for_state(PRE_MATCH));
    m.active_men[5]->arrived = 0;
    EXPECT_FALSE(men_in_place_for_state(PRE_MATCH)) << "one man still walking";
    EXPECT_TRUE(men_in_place_for_state(CENTRE_BOUNCE_READY));
    m.active_men[5]->man_flags |= MAN_IN_CONTEST;
    EXPECT_TRUE(men_in_place_for_state(PRE_MATCH)) << "a man in a contest is not waited for";
}

TEST_F(Rules, TakingTheBallCountsHandlingAndSortsTheMenByIt)
{
    MatchGlobals& m = match_globals;
    m.match_state = PLAY_ON;
    PlayerSlot* taker = &team_records[1].slots[7];
    taker->x = 3000;
    taker->y = -900;
    taker->man_flags &= static_cast<uint16_t>(~MAN_IN_CONTEST);
    const int32_t rating = player_i16(taker->person, PLAYER_HANDBALL);
    ASSERT_GT(rating, 3);
    give_ball_to(taker);
    EXPECT_EQ(taker->ball_handling, rating - rating / 4);
    EXPECT_EQ(m.possession_team, &team_records[1]);
    // The upkeep ran with the ball in his hands: he heads the list.
    EXPECT_EQ(m.active_men[0], taker);
    EXPECT_EQ(taker->ball_distance, 0);

    // A man in a contest, or with the hands-off setting, keeps his count.
    PlayerSlot* other = &team_records[0].slots[3];
    other->ball_handling = -5;
    other->man_flags |= MAN_IN_CONTEST;
    give_ball_to(other);
    EXPECT_EQ(other->ball_handling, -5);
    EXPECT_EQ(m.possession_team, &team_records[0]);
    other->man_flags &= static_cast<uint16_t>(~MAN_IN_CONTEST);
    m.hands_off = 1;
    give_ball_to(other);
    EXPECT_EQ(other->ball_handling, -5);
}


namespace {

// A free kick against the man holding the ball: he drops it, and the kicker
// goes for it himself (the award stalled when he waited for a return).
TEST_F(Rules, TheKickerFetchesABallDroppedAtTheAward)
{
    MatchGlobals& m = match_globals;
    set_match_state(PLAY_ON);
    m.ball_returned = 0;
    m.awarded_side = 1;
    m.offending_side = 2;
    m.mark_x = 1000;
    m.mark_y = 0;
    PlayerSlot* holder = nullptr;
    for (int i = 0; i < m.active_men_count && !holder; ++i)
        if (m.active_men[i]->side == 2)
            holder = m.active_men[i];
    ASSERT_NE(holder, nullptr);
    give_ball_to(holder);
    award_free_kick(nullptr, 9);
    ASSERT_EQ(m.match_state, FREE_KICK);
    EXPECT_EQ(m.ball_holder, nullptr);
    PlayerSlot* kicker = m.controlled_man_a;
    ASSERT_NE(kicker, nullptr);
    for (int i = 0; i < m.active_men_count; ++i)
        m.active_men[i]->proposal_count = 0;
    hold_free_kick_award();
    bool goes = false;
    for (int i = 0; i < kicker->proposal_count; ++i)
        goes |= kicker->proposals[i].action == ACT_GO_FOR_BALL && kicker->proposals[i].priority == 10000;
    EXPECT_TRUE(goes) << "the kicker is sent for the ball";
}

} // namespace

namespace {

// Taking the ball holds a man to his current action for 20 ticks, which
// open play counts down; any other state lets him go at once, or a set-kick
// taker who took the ball would take no action again.
TEST_F(Rules, TheHoldOnANewHolderIsOpenPlaysOnly)
{
    MatchGlobals& m = match_globals;
    struct Case {
        uint8_t state;
        int16_t hold; // after one tick of the director
    } cases[] = {{PLAY_ON, 19}, {FREE_KICK, 0}, {MARK_KICK_PENDING, 0}};
    for (const Case& c : cases) {
        m.match_state = c.state;
        PlayerSlot* taker = &team_records[1].slots[7];
        taker->man_flags &= static_cast<uint16_t>(~MAN_IN_CONTEST);
        give_ball_to(taker);
        EXPECT_EQ(taker->hold_countdown, 20);
        for (int i = 0; i < m.active_men_count; ++i)
            m.active_men[i]->proposal_count = 0;
        setup_play_situation();
        EXPECT_EQ(taker->hold_countdown, c.hold) << "state " << int(c.state);
        EXPECT_EQ(man_is_busy(taker) != 0, c.hold != 0) << "state " << int(c.state);
        give_ball_to(nullptr);
        taker->hold_countdown = 0;
    }
}

} // namespace

namespace {

// A computer kicker within reach of goal may shoot straight from a mark
// (he plays on), never from a free kick's award: the award would wait for
// a set kick that never came.
TEST_F(Rules, OnlyAMarksKickerShootsFromTheAward)
{
    MatchGlobals& m = match_globals;
    set_match_state(PLAY_ON);
    PlayerSlot* k = nullptr;
    for (int i = 0; i < m.active_men_count && !k; ++i)
        if (m.active_men[i]->side == 2)
            k = m.active_men[i];
    ASSERT_NE(k, nullptr);
    ASSERT_EQ(k->team->human_count, 0);
    k->x = 20000, k->y = 0; // side 2 shoots at x = 24562
    k->target_x = k->x, k->target_y = k->y;
    m.awarded_side = 2;
    m.offending_side = 1;
    m.mark_x = k->x, m.mark_y = k->y;
    m.shot_cooldown = 0;
    give_ball_to(k);
    award_free_kick(k, 9);
    ASSERT_EQ(m.match_state, FREE_KICK);
    ASSERT_EQ(m.controlled_man_a, k);
    const auto shoots = [k] {
        for (int i = 0; i < k->proposal_count; ++i)
            if (k->proposals[i].action == ACT_SHOOT)
                return true;
        return false;
    };
    k->proposal_count = 0;
    hold_free_kick_award();
    EXPECT_FALSE(shoots()) << "a free kick is taken as a set kick";
    m.match_state = MARK;
    k->proposal_count = 0;
    hold_mark_award();
    EXPECT_TRUE(shoots()) << "after a mark he may play on with a shot";
}

} // namespace
