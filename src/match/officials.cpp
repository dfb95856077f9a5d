#include "match/officials.h"

#include "league/game_settings.h"
#include "league/league_data.h"
#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/match_hooks.h"
#include "model/anim_table.h"
#include "players/anim_driver.h"
#include "match/match_flow.h"
#include "players/movement.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

MatchGlobals& g = match_globals;

constexpr uint16_t UMP_IDLE = 0, UMP_FETCH = 1, UMP_RUN = 2, UMP_STAND = 3, UMP_WALK = 5, UMP_WALK_NEAR = 6,
                   UMP_CARRY = 7, UMP_WALK_FAR = 8, UMP_WALK_BACKWARDS = 9;
constexpr int32_t CAMERA_EVENT = 186, CAMERA_SIGNAL = 240, CAMERA_GOAL = 620000;
constexpr int32_t NO_CAMERA = 0;
constexpr int16_t GOAL_LINE_X = 24562;

PlayerSlot& umpire(int slot) { return official_slots[slot]; }
PlayerSlot& field() { return umpire(FIELD_UMPIRE); }

bool busy(const PlayerSlot* u) { return u->man_flags & MAN_BUSY; }

int16_t ball_x() { return whole(ball_state.x); }
int16_t ball_y() { return whole(ball_state.y); }

int16_t line_y(int slot, int16_t x)
{
    const int32_t w = boundary_half_width(x) + 256;
    return static_cast<int16_t>(slot == BOUNDARY_UMPIRE_1 ? w : -w);
}

void send(PlayerSlot* u, uint16_t action, int32_t x, int32_t y)
{
    u->action = action;
    u->target_x = clamp16(x);
    u->target_y = clamp16(y);
}

void stand_facing(PlayerSlot* u, uint8_t heading)
{
    u->action = UMP_STAND;
    u->action_arg = heading;
    u->wanted_facing = heading;
    u->target_x = u->x;
    u->target_y = u->y;
}

void face_point(PlayerSlot* u, int32_t x, int32_t y)
{
    u->move_dx = clamp16(x - u->x);
    u->move_dy = clamp16(y - u->y);
    set_heading_to_target(u);
    u->action = UMP_STAND;
    u->action_arg = static_cast<uint16_t>(u->wanted_facing);
    u->target_x = u->x;
    u->target_y = u->y;
}

bool faces(const PlayerSlot* u, uint8_t heading) { return u->facing == heading; }
bool facing_as_wanted(const PlayerSlot* u) { return u->facing == static_cast<uint8_t>(u->wanted_facing); }

void follow(int slot, int16_t x)
{
    PlayerSlot* u = &umpire(slot);
    if (u->official_job || busy(u))
        return;
    send(u, UMP_RUN, x, line_y(slot, x));
}

void follow_both(int16_t x)
{
    follow(BOUNDARY_UMPIRE_1, x);
    follow(BOUNDARY_UMPIRE_2, x);
}

void field_to_ball()
{
    PlayerSlot* u = &field();
    if (u->official_job || busy(u))
        return;
    const int16_t x = ball_x(), y = ball_y();
    send(u, UMP_RUN, x < 1 ? x + 2048 : x - 2048, y < 1 ? y + 2048 : y - 2048);
    u->placement_word = 0;
}

void guard_goal(int slot)
{
    PlayerSlot* u = &umpire(slot);
    if (u->official_job || busy(u) || u->ball_distance > 15360)
        return;
    const int16_t bx = ball_x(), by = ball_y();
    if (whole(ball_state.z) > u->ball_distance / 2) {
        send(u, UMP_IDLE, u->x, u->y);
        if (std::abs(bx) < std::abs(u->x)) {
            play_man_animation(u, static_cast<uint32_t>(animation_row("GOALJUDGE_WALK_BACKWARDS")), 0, 1.0);
            u->man_flags |= MAN_BUSY;
        }
        return;
    }
    int32_t x = std::abs(bx);
    x = x < 24818 ? 24818 : (x > 27122 ? 27122 : x);
    if (slot == GOAL_UMPIRE_1)
        x = -x;
    const int32_t y = by < -2201 ? -2201 : (by > 2201 ? 2201 : by);
    send(u, UMP_RUN, x, y);
    u->placement_word = 0;
}

void all_actions(uint16_t action, int from, int to)
{
    for (int i = from; i <= to; ++i)
        umpire(i).action = action;
}

void set_kick_placement()
{
    PlayerSlot* f = &field();
    if (!f->official_job)
        send(f, UMP_RUN, g.end_side_word == 1 ? -20722 : 20722, f->y < 1 ? -1280 : 1280);
    for (int slot : {BOUNDARY_UMPIRE_1, BOUNDARY_UMPIRE_2}) {
        PlayerSlot* u = &umpire(slot);
        if (!u->official_job)
            send(u, UMP_RUN, g.mark_x, line_y(slot, g.mark_x));
    }
    if (!umpire(GOAL_UMPIRE_1).official_job)
        stand_facing(&umpire(GOAL_UMPIRE_1), 64);
    if (!umpire(GOAL_UMPIRE_2).official_job)
        stand_facing(&umpire(GOAL_UMPIRE_2), 192);
}

void whistle_once();

} // namespace

void official_whistle() { whistle_once(); }

namespace {

void whistle_once()
{
    if (g.whistle_state == g.match_state)
        return;
    g.whistle_state = g.match_state;
    presentation::play_effect(12, 0, 101);
}

TeamRecord* home_team()
{
    for (TeamRecord& t : team_records)
        if (t.club && t.club->number == static_cast<uint16_t>(game_settings.home_team))
            return &t;
    return &team_records[0];
}

void place_by_state()
{
    const int s = g.match_state;
    if (s != 14 && s != 15)
        g.whistle_state = 0;
    const int16_t bx = ball_x();
    switch (s) {
    case 1:
    case 13:
    case 53:
    case 54:
        field_to_ball();
        guard_goal(GOAL_UMPIRE_1);
        guard_goal(GOAL_UMPIRE_2);
        follow_both(bx);
        return;
    case 2:
        field_to_ball();
        follow_both(bx);
        return;
    case 3:
    case 11:
    case 16:
    case 17:
    case 18:
    case 52: return;
    case 6:
    case 58: set_kick_placement(); return;
    case 8:
    case 41:
    case 42:
    case 56:
        field_to_ball();
        follow_both(bx);
        return;
    case 10:
        if (!field().official_job)
            set_official_job(&field(), 12);
        follow_both(bx);
        return;
    case 12:
    case 48:
        field().action = UMP_STAND;
        follow_both(bx);
        return;
    case 14:
    case 15: whistle_once(); return;
    case 19:
    case 22:
    case 24: all_actions(UMP_IDLE, 0, 4); return;
    case 20: all_actions(UMP_IDLE, 1, 4); return;
    case 23:
        if (g.toss_winner == 0 || g.toss_winner == 1) {
            const PlayerSlot* captain = team_records[g.toss_winner].captain;
            if (captain)
                face_point(&field(), captain->x, captain->y);
        }
        field().action = UMP_STAND;
        all_actions(UMP_IDLE, 1, 4);
        return;
    case 37: follow(ball_y() < 1 ? BOUNDARY_UMPIRE_1 : BOUNDARY_UMPIRE_2, g.mark_x); return;
    case 38:
    case 39: {
        field_to_ball();
        const int near = ball_y() < 1 ? BOUNDARY_UMPIRE_2 : BOUNDARY_UMPIRE_1;
        umpire(near).action = UMP_STAND;
        follow(near == BOUNDARY_UMPIRE_1 ? BOUNDARY_UMPIRE_2 : BOUNDARY_UMPIRE_1, bx);
        return;
    }
    case 57:
        // Entering the state cleared his job: when the men stood ready
        // before he had the ball, he still fetches it to the spot, for the
        // bounce waits on it.
        if (!field().official_job && g.umpire_with_ball != &field())
            set_official_job(&field(), 13);
        follow_both(g.mark_x);
        return;
    case 47:
    case 49: follow_both(g.mark_x); return;
    case 55:
        send(&field(), UMP_RUN, field().x < 1 ? -1280 : 1280, 0);
        follow_both(0);
        umpire(GOAL_UMPIRE_1).action = UMP_IDLE;
        umpire(GOAL_UMPIRE_2).action = UMP_IDLE;
        return;
    default: all_actions(UMP_IDLE, 0, 2); return;
    }
}

// The signal of a job: once he faces the way he wants and stands still.
bool give_signal(PlayerSlot* u, const char* label, int32_t camera)
{
    if (!facing_as_wanted(u) || u->moving || busy(u))
        return false;
    if (camera != NO_CAMERA)
        presentation::choose_automatic_camera(u, camera);
    const int32_t row = animation_row(label);
    if (row >= 0)
        play_man_animation(u, static_cast<uint32_t>(row), 0, 1.0);
    u->man_flags |= MAN_BUSY;
    return true;
}

template <const char* Label, int32_t Camera>
void signal_job(PlayerSlot* u)
{
    official_face_ball(u);
    if (u->job_step == 0)
        give_signal(u, Label, Camera);
}

// Goal umpires.
int16_t end_sign(const PlayerSlot* u) { return u->x <= 0 ? -1 : 1; }

uint8_t field_facing(const PlayerSlot* u) { return u->x >= 0 ? 192 : 64; }

void end_goal_job(PlayerSlot* u)
{
    u->official_job = 1;
    u->job_step = 0;
    official_job_table[1](u);
}

struct GoalJob {
    void (*spot)(const PlayerSlot* u, int16_t* x, int16_t* y);
    uint8_t wait_for_field_job; // 0: none
    const char* first;
    const char* second; // null: one signal
    bool camera;
};

void goal_spot_centre(const PlayerSlot* u, int16_t* x, int16_t* y)
{
    *x = static_cast<int16_t>(end_sign(u) * GOAL_LINE_X);
    *y = 0;
}
void goal_spot_nearest(const PlayerSlot* u, int16_t* x, int16_t* y) { goal_umpire_spot(u, x, y); }
void goal_spot_post(const PlayerSlot*, int16_t* x, int16_t* y)
{
    *x = g.end_side_word == 1 ? -GOAL_LINE_X : GOAL_LINE_X;
    *y = g.end_side_word == 1 ? -512 : 512;
}
void goal_spot_square(const PlayerSlot* u, int16_t* x, int16_t* y)
{
    *x = static_cast<int16_t>(end_sign(u) * 24818);
    *y = 0;
}
void goal_spot_touched_post(const PlayerSlot* u, int16_t* x, int16_t* y)
{
    *x = static_cast<int16_t>(end_sign(u) * 24818);
    *y = 2099;
}
void goal_spot_out(const PlayerSlot* u, int16_t* x, int16_t* y)
{
    *x = static_cast<int16_t>(end_sign(u) * 24818);
    *y = -2355;
}

void run_goal_job(PlayerSlot* u, const GoalJob& job)
{
    if (job.camera)
        presentation::choose_automatic_camera(u, CAMERA_GOAL);
    const int last = job.second ? 2 : 1;
    if (u->job_step >= last) {
        end_goal_job(u);
        return;
    }
    int16_t x, y;
    job.spot(u, &x, &y);
    if (!u->arrived) {
        send(u, UMP_WALK, x, y);
        return;
    }
    stand_facing(u, field_facing(u));
    if (!faces(u, field_facing(u)) || u->moving || busy(u))
        return;
    if (u->job_step == 0) {
        if (job.wait_for_field_job && field().official_job == job.wait_for_field_job)
            return;
        give_signal(u, job.first, NO_CAMERA);
    } else {
        give_signal(u, job.second, NO_CAMERA);
    }
}

constexpr GoalJob goal_jobs[] = {
    {goal_spot_centre, 27, "GOALJUDGE_ABOUT_TO_SIGNAL", "GOALJUDGE_SIGNALS_GOAL_SCORED", true},
    {goal_spot_nearest, 28, "GOALJUDGE_ABOUT_TO_SIGNAL", "GOALJUDGE_SIGNALS_BEHIND_SCORED", true},
    {goal_spot_square, 0, "GOALJUDGE_SIGNALS_GOAL_MISSED", nullptr, false},
    {goal_spot_post, 30, "GOALJUDGE_TAPS_POST", "GOALJUDGE_SIGNALS_BEHIND_SCORED", true},
    {goal_spot_touched_post, 0, "GOALJUDGE_TAPS_POST", nullptr, false},
    {goal_spot_out, 0, "GOALJUDGE_SIGNALS_OUT_LEFT", nullptr, false},
    {goal_spot_out, 0, "GOALJUDGE_SIGNALS_OUT_RIGHT", nullptr, false},
    {goal_spot_nearest, 29, "GOALJUDGE_SIGNALS_TOUCHED_OUT_RIGHT", "GOALJUDGE_SIGNALS_BEHIND_SCORED", true},
};

template <int Index>
void goal_job(PlayerSlot* u)
{
    run_goal_job(u, goal_jobs[Index]);
}

void job_back_to_post(PlayerSlot* u)
{
    const int16_t sign = u->x < 0 ? -1 : 1;
    switch (u->job_step) {
    case 0: {
        const uint8_t away = u->x < 0 ? 64 : 192;
        stand_facing(u, away);
        if (!faces(u, away))
            return;
        const int16_t tx = static_cast<int16_t>(sign * 26098);
        const int32_t turn = std::abs(angle_diff(vector_angle(tx - u->x, -u->y), u->facing));
        send(u, turn < 105 ? UMP_WALK : UMP_WALK_BACKWARDS, tx, 0);
        u->arrived = 0;
        g.restart_countdown = 0;
        u->job_step = 1;
        return;
    }
    case 1:
        if (u->arrived) {
            stand_facing(u, u->facing);
            u->job_step = 2;
        }
        return;
    case 2:
        stand_facing(u, field_facing(u));
        if (faces(u, field_facing(u))) {
            play_man_animation(u, 0, 0, 1.0);
            u->job_step = 3;
        }
        return;
    default: return;
    }
}

void job_coin_toss(PlayerSlot* u)
{
    official_face_ball(u);
    switch (u->job_step) {
    case 0: {
        if (!facing_as_wanted(u) || u->moving)
            return;
        const int8_t result = (game_random() & 1) ? 1 : -1;
        TeamRecord* home = home_team();
        TeamRecord* away = home->other_team ? home->other_team : &team_records[1];
        bool home_wins;
        // A player who skipped the pre-match made no call: his toss is drawn
        // as for a computer team, or he would always lose it.
        if (home->human_count && !g.toss_automatic && !g.pre_match_skipped)
            home_wins = g.toss_call[home->team_number & 1] == result;
        else
            home_wins = ((game_random() & 1) ? 1 : -1) == result;
        g.toss_result = result;
        g.toss_winner = static_cast<int8_t>((home_wins ? home : away)->team_number);
        u->job_step = 1;
        return;
    }
    case 1:
        if (busy(u))
            return;
        {
            const TeamRecord& winner = team_records[g.toss_winner & 1];
            const bool home_won = &winner == home_team();
            const int32_t row = home_won ? animation_row("FIELD_JUDGE_COIN_TOSS") : 374;
            play_man_animation(u, static_cast<uint32_t>(row < 0 ? 374 : row), 0, 1.0);
            u->man_flags |= MAN_BUSY;
        }
        return;
    default:
        if (!(g.flow_flags & FLOW_KEEP_A))
            return;
        for (TeamRecord& t : team_records)
            if (t.vice_captain)
                t.vice_captain->arrived = 0;
        u->official_job = 0;
        return;
    }
}

void job_start_of_play(PlayerSlot* u)
{
    if (u->job_step == 0) {
        if (busy(u))
            return;
        if (!((g.flow_flags & QUARTER_1) && g.match_init_restart))
            presentation::choose_automatic_camera(u, CAMERA_EVENT);
        const int32_t row = animation_row("FIELD_JUDGE_START_GAME");
        if (row >= 0)
            play_man_animation(u, static_cast<uint32_t>(row), 0, 1.0);
        u->man_flags |= MAN_BUSY;
        return;
    }
    stand_facing(u, u->facing);
}

void job_walk_back_with_ball(PlayerSlot* u)
{
    if (busy(u))
        return;
    const auto walk_to_ball_side = [u]() {
        const int32_t x = ball_x(), y = ball_y() + (u->job_facing == 128 ? 384 : -384);
        const uint16_t gait = approx_vector_length(x - u->x, y - u->y) < 3072 ? UMP_WALK_NEAR : UMP_WALK_FAR;
        send(u, gait, x, y);
        u->placement_word = 0;
    };
    switch (u->job_step) {
    case 0:
        u->job_facing = (game_random() & 1) ? 128 : 0;
        walk_to_ball_side();
        u->job_step = 1;
        return;
    case 1:
        if (!u->arrived && !g.umpire_with_ball) {
            walk_to_ball_side();
            return;
        }
        stand_facing(u, u->job_facing);
        u->job_step = 2;
        return;
    case 2:
        if (!faces(u, u->job_facing)) {
            // A turn animation ends on the facing it carried him to, and a
            // pick-up on the facing it took the ball at; neither need be the
            // chosen one: standing, he keeps turning the rest.
            if ((u->action == UMP_STAND || u->action == UMP_IDLE) && !u->turning)
                stand_facing(u, u->job_facing);
            return;
        }
        if (g.umpire_with_ball == u) {
            u->action = UMP_IDLE;
            u->job_step = 3;
        } else {
            u->action = UMP_FETCH;
        }
        return;
    case 3: {
        const bool there = u->job_facing == 128 ? u->y >= 640 : u->y <= -640;
        if (!there) {
            play_man_animation(u, 147, 0, 1.0);
            return;
        }
        u->move_dx = u->move_dy = u->path_dx = u->path_dy = 0;
        u->velocity_x = u->velocity_y = 0;
        u->speed = 0;
        u->moving = 0;
        play_man_animation(u, 0, 0, 1.0);
        stand_facing(u, u->job_facing);
        u->job_step = 4;
        return;
    }
    default: stand_facing(u, u->job_facing); return;
    }
}

// Step 0 of the jobs that carry the ball: fetch it, then go on.
void fetch_ball_first(PlayerSlot* u)
{
    u->action = UMP_FETCH;
    if (g.umpire_with_ball == u)
        u->job_step = 1;
}

void job_carry_to_ball_up(PlayerSlot* u)
{
    switch (u->job_step) {
    case 0: fetch_ball_first(u); return;
    case 1:
        u->job_facing = (game_random() & 1) ? 128 : 0;
        send(u, UMP_RUN, g.mark_x, g.mark_y + (u->job_facing == 128 ? 768 : -768));
        u->arrived = 0;
        u->job_step = 2;
        return;
    case 2:
        if (!u->arrived)
            return;
        u->action = UMP_IDLE;
        u->wanted_facing = u->job_facing;
        u->job_step = 3;
        return;
    default: u->action = UMP_IDLE; return;
    }
}

void job_play_on(PlayerSlot* u)
{
    if (u->job_step != 0)
        return;
    u->action = UMP_IDLE;
    const int32_t row = animation_row("FIELD_JUDGE_SIGNALS_PLAY_ON");
    if (row >= 0)
        set_man_animation(u, static_cast<uint32_t>(row), 0, 2.0);
    u->job_step = 1;
}

void job_ball_up_signal(PlayerSlot* u)
{
    if (u->job_step >= 1) {
        u->official_job = 13;
        u->job_step = 0;
        return;
    }
    official_face_ball(u);
    give_signal(u, "FIELD_JUDGE_SIGNALS_BALL_UP", CAMERA_SIGNAL);
}

void job_free_kick(PlayerSlot* u)
{
    if (g.umpire_with_ball == u)
        give_ball_to(nullptr);
    official_face_ball(u);
    if (u->job_step == 0)
        give_signal(u,
                    g.awarded_side == 1 ? "FIELD_JUDGE_SIGNALS_FREE_KICK_LEFT" : "FIELD_JUDGE_SIGNALS_FREE_KICK_RIGHT",
                    CAMERA_SIGNAL);
}

// Turn to another umpire, signal, and end with step 2.
void turn_and_signal(PlayerSlot* u, const PlayerSlot* to, const char* label)
{
    if (u->job_step >= 2) {
        u->official_job = 0;
        return;
    }
    face_point(u, to->x, to->y);
    if (u->job_step == 0)
        give_signal(u, label, NO_CAMERA);
}

void job_throw_in_signal(PlayerSlot* u)
{
    turn_and_signal(u, &umpire(g.mark_y < 1 ? BOUNDARY_UMPIRE_2 : BOUNDARY_UMPIRE_1), "FIELD_JUDGE_SIGNALS_THROW_IN");
}

template <const char* Label>
void all_clear_job(PlayerSlot* u)
{
    turn_and_signal(u, &umpire(g.end_side_word == 2 ? GOAL_UMPIRE_2 : GOAL_UMPIRE_1), Label);
}

void job_take_ball_to_line(PlayerSlot* u)
{
    switch (u->job_step) {
    case 0: fetch_ball_first(u); return;
    case 1: {
        const int32_t w = boundary_half_width(g.mark_x);
        send(u, UMP_RUN, g.mark_x, g.mark_y < 1 ? -w : w);
        u->arrived = 0;
        u->job_step = 2;
        return;
    }
    case 2:
        if (u->arrived)
            u->job_step = 3;
        return;
    default: return;
    }
}

template <const char* Label>
void out_of_bounds_job(PlayerSlot* u)
{
    if (u->job_step >= 1) {
        u->official_job = 31;
        u->job_step = 0;
        return;
    }
    official_face_ball(u);
    give_signal(u, Label, CAMERA_EVENT);
}

void job_nothing(PlayerSlot*) {}

void job_return_ball(PlayerSlot* u)
{
    if (busy(u))
        return;
    const int16_t goal_x = g.awarded_side == 2 ? -GOAL_LINE_X : GOAL_LINE_X;
    const bool set_kick = g.match_state == 6 || g.match_state == 58;
    const int16_t to_x = set_kick ? goal_x : g.mark_x, to_y = set_kick ? 0 : g.mark_y;
    const int16_t own_line =
        u->number == 64 + BOUNDARY_UMPIRE_2 ? static_cast<int16_t>(-(boundary_half_width(g.mark_x) + 256))
                                            : static_cast<int16_t>(boundary_half_width(g.mark_x) - 256);
    switch (u->job_step) {
    case 0:
        u->action = UMP_FETCH;
        u->job_step = 1;
        return;
    case 1:
        if (!g.umpire_has_ball)
            return;
        send(u, UMP_CARRY, goal_x, 0);
        u->arrived = 0;
        u->job_step = 2;
        return;
    case 2:
        if (u->arrived)
            u->job_step = 3;
        else
            send(u, UMP_CARRY, to_x, to_y);
        return;
    case 3:
        if (g.umpire_with_ball != u)
            return;
        give_ball_to(nullptr);
        g.ball_returned = 1;
        send(u, UMP_CARRY, g.mark_x, own_line);
        u->arrived = 0;
        u->job_step = 4;
        return;
    default:
        if (!u->arrived)
            send(u, UMP_CARRY, g.mark_x, own_line);
        return;
    }
}

void job_throw_ball_in(PlayerSlot* u)
{
    switch (u->job_step) {
    case 0:
        u->action = UMP_STAND;
        u->job_step = 1;
        return;
    case 1: {
        const uint8_t a = g.throw_in_angle;
        launch_ball_to_point(u, 53, fixed_sin(a, 2560), fixed_cos(a, 2560), a, 2560, 512, FLIGHT_THROWN);
        u->job_step = 2;
        return;
    }
    case 2: {
        const int32_t row = animation_row("BOUNDARY_JUDGE_THROWIN_BALL");
        play_man_animation(u, static_cast<uint32_t>(row < 0 ? 191 : row), 0, 1.0);
        u->man_flags |= MAN_BUSY;
        g.throw_in_request = 0;
        u->job_step = 3;
        return;
    }
    default:
        if (g.match_state == 1)
            u->official_job = 0;
        return;
    }
}

constexpr char LABEL_TIME_ON_OFF[] = "FIELD_JUDGE_TIME_ON_OFF";
constexpr char LABEL_END_QUARTER[] = "FIELD_JUDGE_END_QUARTER";
constexpr char LABEL_HIGH_TACKLE[] = "FIELD_JUDGE_SIGNALS_HIGH_TACKLE";
constexpr char LABEL_NO_BOUNCE[] = "FIELD_JUDGE_SIGNALS_NO_BOUNCE";
constexpr char LABEL_ILLEGAL_SHEPHERD[] = "FIELD_JUDGE_SIGNALS_ILLEGAL_SHEPHERD";
constexpr char LABEL_LATE_TACKLE[] = "FIELD_JUDGE_SIGNALS_LATE_TACKLE";
constexpr char LABEL_PUSH_IN_BACK[] = "FIELD_JUDGE_SIGNALS_PUSH_IN_BACK";
constexpr char LABEL_HOLDING_THE_MAN[] = "FIELD_JUDGE_SIGNALS_HOLDING_THE_MAN";
constexpr char LABEL_HOLDING_THE_BALL[] = "FIELD_JUDGE_SIGNALS_HOLDING_THE_BALL";
constexpr char LABEL_ALL_CLEAR_GOAL[] = "FIELD_JUDGE_ALL_CLEAR_GOAL";
constexpr char LABEL_ALL_CLEAR_BEHIND[] = "FIELD_JUDGE_ALL_CLEAR_BEHIND";
constexpr char LABEL_ALL_CLEAR_TOUCHED[] = "FIELD_JUDGE_ALL_CLEAR_BALL_TOUCHED";
constexpr char LABEL_ALL_CLEAR_POST[] = "FIELD_JUDGE_ALL_CLEAR_HIT_POST";
constexpr char LABEL_OUT_OF_BOUNDS[] = "BOUNDARY_JUDGE_SIGNALS_OUT_OF_BOUNDS";
constexpr char LABEL_OUT_ON_FULL[] = "BOUNDARY_JUDGE_SIGNALS_OUT_OF_BOUNDS_ON_FULL";

void run_job(PlayerSlot* u)
{
    if (u->official_job > 0 && u->official_job < OFFICIAL_JOB_COUNT)
        official_job_table[u->official_job](u);
}

} // namespace

const OfficialJob official_job_table[OFFICIAL_JOB_COUNT] = {
    job_nothing,
    job_back_to_post,
    goal_job<0>,
    goal_job<1>,
    goal_job<2>,
    goal_job<3>,
    goal_job<4>,
    goal_job<5>,
    goal_job<6>,
    goal_job<7>,
    job_coin_toss,
    job_start_of_play,
    job_walk_back_with_ball,
    job_carry_to_ball_up,
    signal_job<LABEL_TIME_ON_OFF, NO_CAMERA>,
    signal_job<LABEL_END_QUARTER, CAMERA_SIGNAL>,
    signal_job<LABEL_HIGH_TACKLE, CAMERA_SIGNAL>,
    signal_job<LABEL_NO_BOUNCE, CAMERA_SIGNAL>,
    signal_job<LABEL_ILLEGAL_SHEPHERD, CAMERA_SIGNAL>,
    signal_job<LABEL_LATE_TACKLE, CAMERA_SIGNAL>,
    job_play_on,
    job_ball_up_signal,
    job_free_kick,
    job_throw_in_signal,
    signal_job<LABEL_PUSH_IN_BACK, CAMERA_SIGNAL>,
    signal_job<LABEL_HOLDING_THE_MAN, CAMERA_SIGNAL>,
    signal_job<LABEL_HOLDING_THE_BALL, CAMERA_SIGNAL>,
    all_clear_job<LABEL_ALL_CLEAR_GOAL>,
    all_clear_job<LABEL_ALL_CLEAR_BEHIND>,
    all_clear_job<LABEL_ALL_CLEAR_TOUCHED>,
    all_clear_job<LABEL_ALL_CLEAR_POST>,
    job_take_ball_to_line,
    out_of_bounds_job<LABEL_OUT_OF_BOUNDS>,
    out_of_bounds_job<LABEL_OUT_ON_FULL>,
    job_nothing,
    job_nothing,
    job_return_ball,
    job_throw_ball_in,
};

int32_t animation_row(const char* label)
{
    for (int r = 0; r < ANIM_NAMED_ROWS; ++r) {
        const char* name = animation_name(r);
        if (name && std::strcmp(name, label) == 0)
            return r;
    }
    return -1;
}

void run_official_jobs()
{
    for (PlayerSlot& u : official_slots)
        run_job(&u);
}

void update_officials()
{
    run_official_jobs();
    place_by_state();
}

void set_official_job(PlayerSlot* u, uint8_t job)
{
    if (u->official_job == job)
        return;
    u->man_flags &= static_cast<uint16_t>(~MAN_BUSY);
    u->action = UMP_RUN;
    u->official_job = job;
    u->job_step = 0;
    u->arrived = 0;
    u->placement_word = 0;
    run_official_jobs();
}

void official_face_ball(PlayerSlot* u)
{
    const int slot = u->number - 64;
    if (slot == BOUNDARY_UMPIRE_1 || slot == BOUNDARY_UMPIRE_2)
        face_point(u, field().x, field().y);
    else
        face_point(u, g.mark_x, g.mark_y);
}

void reset_officials()
{
    for (PlayerSlot& u : official_slots) {
        u.target_x = u.target_y = 0;
        u.action = UMP_IDLE;
        u.official_job = 0;
        u.job_step = 0;
        u.effort = 100;
    }
}

int32_t face_away_from_throw(PlayerSlot* u)
{
    const auto away = static_cast<uint8_t>(g.throw_in_angle + 128);
    u->action_arg = away;
    u->wanted_facing = away;
    u->action = UMP_STAND;
    u->move_dx = u->x;
    u->move_dy = u->y;
    return faces(u, away);
}

int32_t nearer_boundary_umpire()
{
    const PlayerSlot& a = umpire(BOUNDARY_UMPIRE_1);
    const PlayerSlot& b = umpire(BOUNDARY_UMPIRE_2);
    const int32_t da = approx_vector_length(a.x - g.mark_x, a.y - g.mark_y);
    const int32_t db = approx_vector_length(b.x - g.mark_x, b.y - g.mark_y);
    return da > db ? BOUNDARY_UMPIRE_2 : BOUNDARY_UMPIRE_1;
}

void goal_umpire_spot(const PlayerSlot* u, int16_t* x, int16_t* y)
{
    *x = u->x <= 0 ? -GOAL_LINE_X : GOAL_LINE_X;
    if (u->official_job == 2) {
        *y = 0;
        return;
    }
    const int16_t spots[3] = {1638, 0, -1638};
    int16_t best = spots[0];
    for (int16_t s : spots)
        if (std::abs(s - u->y) < std::abs(best - u->y))
            best = s;
    *y = best;
}

uint8_t throw_in_angle_at(int16_t x, int16_t y)
{
    // On the ground's own proportions, so a throw near an end points along
    // the boundary's bend rather than straight across.
    const double deg = std::atan2(-2.25 * y, x == 0 ? 1.0 : static_cast<double>(x)) * 180.0 / M_PI;
    return static_cast<uint8_t>((std::lround((deg + 180.0) * 256.0 / 360.0) + 64) & 255);
}

void turn_arrived_umpire(PlayerSlot* u, uint8_t facing)
{
    if (u->arrived)
        stand_facing(u, facing);
}

uint8_t umpire_angle_to_ball(const PlayerSlot* u)
{
    return static_cast<uint8_t>(vector_angle(ball_x() - u->x, ball_y() - u->y));
}

int32_t official_walk_to(PlayerSlot* u, uint32_t force, uint16_t action, int32_t mode, int16_t x, int16_t y,
                         uint8_t facing)
{
    if (u->signal_countdown)
        return 0;
    if (busy(u)) {
        if (!(force & 0x800) || u->signal_whistled == g.match_state)
            return 0;
        u->signal_whistled = g.match_state;
    }
    if (std::abs(x - u->x) <= 43 && std::abs(y - u->y) <= 43) {
        u->arrived = 1;
        return 1;
    }
    u->man_flags &= static_cast<uint16_t>(~MAN_BUSY);
    send(u, action, x, y);
    u->action_arg = static_cast<uint16_t>(mode == 0 ? facing : u->facing);
    u->arrived = 0;
    return 0;
}

void official_signal(PlayerSlot* u, int32_t a, int32_t b, int32_t force, int32_t hold)
{
    if (!force && !facing_as_wanted(u))
        return;
    const int32_t animation = b >= 0 && g.offending_side == 2 ? b : a;
    if (animation >= 0)
        play_man_animation(u, static_cast<uint32_t>(animation), 0, 1.0);
    stand_facing(u, u->facing);
    u->move_dx = u->move_dy = 0;
    if (hold == 99) {
        u->man_flags |= MAN_BUSY;
    } else if (hold) {
        u->man_flags |= MAN_BUSY;
        u->signal_countdown = hold;
    }
}

void official_signal_countdown(PlayerSlot* u)
{
    if (u->signal_countdown > 0 && --u->signal_countdown == 0)
        u->man_flags &= static_cast<uint16_t>(~MAN_BUSY);
}

void field_signal_and_state(int32_t animation, int32_t state)
{
    official_signal(&field(), animation, -1, 1, 99);
    whistle_once();
    set_match_state(state);
}

void boundary_follow_dead_band(int slot, int16_t x)
{
    PlayerSlot* u = &umpire(slot);
    if (std::abs(u->target_x - x) > 1536)
        follow(slot, x);
}

void place_boundary_umpires_for_stoppage(int32_t variant)
{
    const int mark_side = g.mark_y < 1 ? BOUNDARY_UMPIRE_2 : BOUNDARY_UMPIRE_1;
    for (int slot : {BOUNDARY_UMPIRE_1, BOUNDARY_UMPIRE_2}) {
        PlayerSlot* u = &umpire(slot);
        if (u->official_job || busy(u))
            continue;
        const bool stands = variant == STOPPAGE_BOUNDARY_STAND || (variant == STOPPAGE_BOUNDARY_ONE_STANDS && slot == mark_side);
        if (stands)
            face_point(u, g.mark_x, g.mark_y);
        else
            send(u, UMP_RUN, g.mark_x, line_y(slot, g.mark_x));
    }
}

PlayerSlot* place_officials_for_stoppage()
{
    PlayerSlot* f = &field();
    PlayerSlot* taker = nullptr;
    switch (g.match_state) {
    case SET_KICK_START:
        // The kicker has the ball; the umpires stand as for any set kick.
        set_kick_placement();
        return nullptr;
    case OUT_OF_BOUNDS: {
        // The boundary umpire of the mark's half brings the ball to his line;
        // the field umpire waits in from the mark for the throw.
        taker = &umpire(g.mark_y < 1 ? BOUNDARY_UMPIRE_2 : BOUNDARY_UMPIRE_1);
        if (!taker->official_job && !busy(taker))
            set_official_job(taker, 31);
        if (!f->official_job && !busy(f))
            send(f, UMP_RUN, g.mark_x, g.mark_y < 1 ? g.mark_y + 2048 : g.mark_y - 2048);
        place_boundary_umpires_for_stoppage(STOPPAGE_BOUNDARY_ONE_STANDS);
        return taker;
    }
    case MARK:
    case FREE_KICK:
        // The kicker keeps the ball; the field umpire stands off the mark
        // toward the centre, out of the kick's way.
        if (!f->official_job && !busy(f))
            send(f, UMP_RUN, g.mark_x < 1 ? g.mark_x + 2048 : g.mark_x - 2048,
                 g.mark_y < 1 ? g.mark_y + 2048 : g.mark_y - 2048);
        place_boundary_umpires_for_stoppage(STOPPAGE_BOUNDARY_FOLLOW);
        return nullptr;
    case BALL_UP_SETUP:
        // The field umpire carries the ball to the ball-up spot.
        taker = f;
        if (!f->official_job && !busy(f))
            set_official_job(f, 13);
        place_boundary_umpires_for_stoppage(STOPPAGE_BOUNDARY_STAND);
        return taker;
    default: return nullptr;
    }
}
