#include "players/frame_events.h"

#include "league/league_data.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/match_hooks.h"
#include "players/anim_driver.h"
#include "model/anim_table.h"
#include "players/contact_planners.h"
#include "players/contact_tables.h"
#include "players/man_display.h"
#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/match_flow.h"
#include "match/kick_outs.h"
#include "match/man_behaviours.h"
#include "match/match_records.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/occupancy.h"
#include "players/actions.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/phase_cut.h"
#include "match/man_behaviours.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/team_ai.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr uint8_t PLAY_ON = 1;
constexpr int32_t GRAVITY = 42824;

// The channel whose frame is being left while a handler runs.
struct EventContext {
    uint32_t animation;
    int32_t frame;
};
EventContext g_event;

int32_t whole(int32_t v16) { return v16 >> 16; }
int32_t fixed(int16_t whole_part, uint16_t frac) { return static_cast<int32_t>(static_cast<uint32_t>(whole_part) << 16 | frac); }

// A commentary event naming up to two men.
void say(int32_t event, const PlayerSlot* a, const PlayerSlot* b, int32_t priority)
{
    presentation::commentate(event, a ? a->team_index : -1, a ? a->number : -1, b ? b->team_index : -1,
                             b ? b->number : -1, priority);
}

bool nobody_holds_ball() { return !match_globals.ball_holder && !match_globals.umpire_with_ball; }

// The animation the man plays on the channel that carries his arms now.
uint32_t playing_animation(const PlayerSlot* man)
{
    return man->secondary_data ? man->secondary_animation : man->primary_animation;
}
int32_t playing_frame(const PlayerSlot* man)
{
    return (man->secondary_data ? man->secondary_position : man->primary_position) >> 16;
}

int16_t attribute(const PlayerSlot* man, int n) { return man->person ? player_i16(man->person, 2 * n) : 0; }

void set_facing(PlayerSlot* man, int32_t facing)
{
    man->facing = static_cast<uint8_t>(facing & 255);
    man->wanted_facing = man->facing;
}

void stop_man(PlayerSlot* man)
{
    man->velocity_x = man->velocity_y = 0;
    man->velocity_x_frac = man->velocity_y_frac = 0;
    man->speed = 0;
    man->speed_frac = 0;
    man->path_speed = 0;
}

// Whole-unit offset of a joint at a frame, relative to the man: {x, h, y}.
void joint_at(int32_t out[3], const PlayerSlot* man, uint32_t animation, int32_t frame, int32_t joint)
{
    get_joint_position(out, man, animation, 0, frame, man->facing, joint);
}

// The ball within reach of a point (whole units, absolute), or swept past it
// since the last tick.
bool ball_within(const int32_t p[3], int32_t horizontal, int32_t height)
{
    const int32_t bx = whole(ball_state.x), by = whole(ball_state.y), bz = whole(ball_state.z);
    if (std::abs(bz - p[1]) <= height && vector_length(bx - p[0], by - p[2]) <= horizontal) return true;
    // Swept: the point lies near the segment the ball crossed this tick.
    const double ax = ball_state.prev_x, ay = ball_state.prev_y, az = ball_state.prev_z;
    const double sx = bx - ax, sy = by - ay, sz = bz - az;
    const double len2 = sx * sx + sy * sy + sz * sz;
    if (len2 <= 0) return false;
    double t = ((p[0] - ax) * sx + (p[2] - ay) * sy + (p[1] - az) * sz) / len2;
    if (t < 0 || t > 1) return false;
    const double cx = ax + t * sx - p[0], cy = ay + t * sy - p[2], cz = az + t * sz - p[1];
    return std::sqrt(cx * cx + cy * cy) <= horizontal && std::fabs(cz) <= height;
}

// The ball launched toward the receiver's lead, or along (dx, dy).
void send_to_receiver(PlayerSlot* man, PlayerSlot* receiver, int32_t dx, int32_t dy, bool commentary)
{
    int16_t elevation = 18;
    if (receiver) {
        receiver_lead(man, receiver, &elevation, &dx, &dy);
        int16_t lx = clamp16(whole(ball_state.x) + dx), ly = clamp16(whole(ball_state.y) + dy);
        if (!in_field(lx, ly)) {
            clamp_to_field(&lx, &ly);
            dx = (lx - whole(ball_state.x)) * 256 / 320;
            dy = (ly - whole(ball_state.y)) * 256 / 320;
            if (commentary) say(22, man, receiver, 2);
        } else if (commentary) {
            if (vector_length(dx, dy) > 2560)
                say(21, man, receiver, 2);
            else if (game_random() % 3 != 0)
                say(23, man, receiver, 2);
        }
        if (man->man_flags & MAN_IN_CONTEST) {
            contest_join(receiver, man, 0, 0);
            receiver->decision_mark = 1;
        }
    }
    int32_t distance = vector_length(dx, dy);
    if (match_globals.match_state == PLAY_ON && distance < 512) distance = 512;
    launch_ball_to_point(man, elevation, dx, dy, vector_angle(dx, dy), distance, 384, 128);
}

// Event 1: the man's speed from the root's travel over the frame left.
void speed_from_root(PlayerSlot* man)
{
    const int32_t k = g_event.frame;
    if (!is_walking_backwards(man) && (man->man_flags & MAN_BUSY) && k >= 1) {
        int32_t p0[3], p1[3];
        joint_at(p0, man, g_event.animation, k - 1, JOINT_ROOT);
        joint_at(p1, man, g_event.animation, k, JOINT_ROOT);
        const int32_t d = vector_length(p1[0] - p0[0], p1[2] - p0[2]);
        man->speed = static_cast<int16_t>(std::lrint(d / 3.0));
        man->velocity_x = static_cast<int16_t>(fixed_sin(man->facing, man->speed));
        man->velocity_y = static_cast<int16_t>(fixed_cos(man->facing, man->speed));
    }
    man->man_flags &= 0x8077;
    man->man_flags2 &= 0xFBB5;
    man->decision_mark = 1;
    man->phase_mark = 2;
}

void ev_none(PlayerSlot*) {}

void ev_landed(PlayerSlot* man)
{
    man->man_flags2 &= ~0x0008;
    man->man_flags &= ~0x0100;
    man->man_flags |= (man->velocity_x || man->velocity_y) ? 0x0200 : 0x0400;
}

void ev_release_ball(PlayerSlot* man)
{
    MatchGlobals& g = match_globals;
    if (man != g.ball_holder && man != g.umpire_with_ball) return;
    const uint32_t a = g_event.animation;
    const PafAnimation* data = anim_data(a);
    int32_t p[3] = {man->x, man->z, man->y};
    if (!(data && data->separate_ball && a != 191 && a != 131)) {
        const uint8_t facing = a == 191 ? static_cast<uint8_t>(man->facing + 128) : man->facing;
        int32_t hand[3];
        get_limb_position(hand, man, a, g_event.frame, facing, 0);
        p[0] += hand[0], p[1] += hand[1], p[2] += hand[2];
    }
    ball_state.x = p[0] * 65536, ball_state.y = p[2] * 65536, ball_state.z = p[1] * 65536;
    ball_state.prev_x = static_cast<int16_t>(p[0]), ball_state.prev_y = static_cast<int16_t>(p[2]);
    ball_state.prev_z = static_cast<int16_t>(p[1]);
    if (is_umpire(man) && man->number <= 66) {
        give_ball_to(nullptr);
        g.umpire_has_ball = 0;
        return;
    }
    const DisposalRecord& disp = g.disposal;
    if (man->man_flags & 0x0004) {
        if (!disp.target_man) {
            man->speed_burst = 0;
            man->speed_burst_b = 50;
            if (g.match_state == PLAY_ON) say(22, man, nullptr, 2);
        }
        send_to_receiver(man, disp.target_man, disp.dx, disp.dy, true);
    } else if (man->man_flags & 0x0002) {
        const bool contest = man->contest_group != nullptr;
        g.kick_time_mark = g.period_clock + 1 - (contest ? 62 : 0);
        int32_t length = attribute(man, 20) * 5120 / 255 + 7680 + (contest ? 1280 : 0);
        const int32_t kx = whole(ball_state.x), ky = whole(ball_state.y);
        int32_t dx, dy;
        if (disp.target_man) {
            kick_lead(man, disp.target_man, &dx, &dy, 0, kx, ky);
        } else if (contest && man->kick_ahead) {
            int32_t tx = kx + fixed_sin(man->facing, length), ty = ky + fixed_cos(man->facing, length);
            find_clear_spot_ahead(man, &tx, &ty);
            tx = tx < -32767 ? -32767 : (tx > 32767 ? 32767 : tx);
            ty = ty < -32767 ? -32767 : (ty > 32767 ? 32767 : ty);
            dx = tx - kx, dy = ty - ky;
        } else {
            dx = disp.target_x - kx, dy = disp.target_y - ky;
        }
        int32_t angle = vector_angle(dx, dy);
        int32_t distance = vector_length(dx, dy);
        if (disp.extra) {
            angle = (angle + disp.extra) & 255;
            dx = fixed_sin(static_cast<uint8_t>(angle), distance);
            dy = fixed_cos(static_cast<uint8_t>(angle), distance);
        }
        const uint8_t ms = g.match_state;
        const bool kick_out = ms == 60 || ms == 62 || ms == 64 || ms == 66 || ms == 68 || ms == 70;
        if (!kick_out) {
            int32_t d = distance;
            if (d > length + 1280) d = length;
            if (d < 2560) d = 2560;
            if (d != distance && distance > 0) {
                dx = static_cast<int32_t>(static_cast<int64_t>(dx) * d / distance);
                dy = static_cast<int32_t>(static_cast<int64_t>(dy) * d / distance);
            } else if (distance == 0) {
                dx = fixed_sin(man->facing, d), dy = fixed_cos(man->facing, d);
            }
            distance = d;
        }
        launch_ball_to_point(man, disp.argument, dx, dy, angle, distance, whole(ball_state.z), 64);
        presentation::play_effect(10, 0, 0);
    }
    if ((g.match_state == 41 || g.match_state == 45) && man == g.controlled_man_a) g.set_kick_taken = 1;
    give_ball_to(nullptr);
    man->man_flags &= ~0x0006;
}

void ev_turn(PlayerSlot* man)
{
    const uint8_t e = static_cast<uint8_t>(g_event.animation < ANIM_ROW_COUNT && animation_table[g_event.animation].events
                                               ? animation_table[g_event.animation].events[g_event.frame]
                                               : 0);
    int32_t facing = man->facing;
    switch (e) {
    case 6: facing -= 64; break;
    case 7: facing += 64; break;
    case 9: facing -= 32; break;
    case 10: facing += 32; break;
    case 11: facing -= 64; break;
    case 12: facing += 64; break;
    default: facing = anim_facing_offset(man); break;
    }
    man->man_flags &= ~MAN_BUSY;
    set_facing(man, facing);
    man->action_arg = man->facing;
    man->turning = 0;
    man->speed = e <= 8 ? 0 : 22;
    play_man_animation(man, man->follow_on_primary, 0, 1.0);
}

void ev_request_handover(PlayerSlot* man)
{
    PlayerSlot* partner = man->tackle_partner;
    if (partner && partner == match_globals.ball_holder) {
        if (!(partner->man_flags2 & 0x0040)) {
            match_globals.pending_decision = 5;
            match_globals.offender = partner;
        } else if (!(partner->man_flags & 0x0006)) {
            match_globals.pending_decision = 4;
            match_globals.offender = partner;
        }
    }
    man->tackle_partner = nullptr;
}

void ev_set_kick_flag(PlayerSlot* man) { man->man_flags |= 0x0008; }

void ev_chest_catch(PlayerSlot* man)
{
    const uint32_t a = g_event.animation;
    if (man->z == 0) {
        if (a >= 40 && a <= 42) {
            stop_man(man);
            man->man_flags &= ~MAN_OUT_OF_PLAY;
            man->primary_rate_factor = 3.0;
        } else {
            man->primary_rate_factor = 1.5;
        }
    }
    clear_candidate_row(catch_row(man), CATCH_ENTRIES);
    if (man->ball_coming || !nobody_holds_ball()) return;
    int32_t hands[3];
    get_limb_position(hands, man, playing_animation(man), playing_frame(man) + 1, man->facing, 0);
    hands[0] += man->x, hands[1] += man->z, hands[2] += man->y;
    const int32_t dx = whole(ball_state.x) - hands[0], dy = whole(ball_state.y) - hands[2];
    if (vector_length(dx, dy) <= 64 && std::abs(whole(ball_state.z) - hands[1]) <= 64) {
        man->action = 0;
        give_ball_to(man);
    }
}

void set_velocity16(PlayerSlot* man, const int32_t v[3])
{
    man->velocity_x = static_cast<int16_t>(v[0] >> 16), man->velocity_x_frac = static_cast<uint16_t>(v[0]);
    man->velocity_y = static_cast<int16_t>(v[1] >> 16), man->velocity_y_frac = static_cast<uint16_t>(v[1]);
    man->velocity_z = static_cast<int16_t>(v[2] >> 16), man->velocity_z_frac = static_cast<uint16_t>(v[2]);
}

void leave_ground(PlayerSlot* man, int32_t t)
{
    man->man_flags |= 0x0100;
    man->man_flags2 |= man->takeoff_flags;
    man->contact_ticks[0] = man->contact_ticks[1] = t;
    man->phase_mark = 0;
}

// The contact animation of a jump action, for the second step of take-off.
uint32_t jump_contact_animation(int32_t action, int32_t* joint, int32_t* frame)
{
    *joint = JOINT_BALL, *frame = 0;
    switch (action) {
    case 57: return 229;
    case 58: return 233;
    case 59: return 221;
    case 60: return 225;
    case 62: *joint = JOINT_LEFT_HAND, *frame = 5; return 243;
    case 71: return 262;
    default: return 0;
    }
}

// Ticks until the ball comes down through height h (whole units), rounded
// up; 0 when it never does.
int32_t ticks_to_fall_to(int32_t h)
{
    const double z = ball_state.z / 65536.0 - h, vz = ball_state.vz / 65536.0, g = GRAVITY / 65536.0;
    const double disc = vz * vz + 2 * g * z;
    if (disc < 0) return 0;
    return static_cast<int32_t>(std::ceil((vz + std::sqrt(disc)) / g));
}

void ev_take_off(PlayerSlot* man)
{
    const uint32_t first = g_event.animation;
    const bool spoil = (man->takeoff_flags & 0x1000) != 0;
    if (man->plan_active && spoil) {
        const int32_t d = angle_diff(man->plan_angle, man->facing);
        const int32_t ad = std::abs(d);
        const bool standing = first == 343;
        uint32_t second;
        bool overhead = false;
        if (ad <= 40) second = standing ? 344 : 332;
        else if (ad <= 96) second = d < 1 ? (standing ? 353 : 341) : (standing ? 350 : 338);
        else second = standing ? 347 : 335, overhead = true;
        const int32_t frame = standing ? 5 : 4;
        const int32_t joint = standing || overhead ? JOINT_RIGHT_HAND : JOINT_LEFT_HAND;
        int32_t t = 1, v[3] = {man->plan_vx, man->plan_vy, man->plan_vz};
        predict_contact(man, second, frame, joint, &t, v);
        if (t < 1) t = 1;
        set_velocity16(man, v);
        man->follow_on_primary = second;
        man->rate_override = static_cast<int32_t>(std::nearbyint(frame * 65536.0 / t + 0.5)) + 1;
        leave_ground(man, t);
        return;
    }
    int32_t t;
    int32_t v[3] = {man->plan_vx, man->plan_vy, man->plan_vz};
    if (man->plan_active) {
        t = ticks_to_fall_to(man->plan_z);
        if (t >= 1) {
            int32_t joint, frame;
            const uint32_t contact = jump_contact_animation(man->plan_action, &joint, &frame);
            if (contact) {
                int32_t c[3];
                joint_at(c, man, contact, frame, joint);
                const int32_t i = t < PREDICTED_STEPS ? t : PREDICTED_STEPS - 1;
                const int64_t bx = predicted_ball_path.position[i][0], by = predicted_ball_path.position[i][2];
                const int32_t vx = static_cast<int32_t>((bx - (static_cast<int64_t>(man->x + c[0]) << 16)) / t);
                const int32_t vy = static_cast<int32_t>((by - (static_cast<int64_t>(man->y + c[2]) << 16)) / t);
                if (std::abs(vx - v[0]) < 12 * 65536 && std::abs(vy - v[1]) < 12 * 65536) v[0] = vx, v[1] = vy;
            }
            if (man->plan_action == 71) {
                PlayerSlot* leapt = man->plan_target_man;
                const bool steady = leapt && !(leapt->man_flags & 0x0100) &&
                                    vector_length(leapt->x - man->x, leapt->y - man->y) <= 256 &&
                                    std::abs(angle_diff(leapt->facing, man->plan_target_facing)) <= 32;
                if (leapt && (!leapt->contest_group || steady)) {
                    play_man_animation(leapt, 259, 14, 1.0);
                    leapt->man_flags |= MAN_BUSY;
                    man->man_flags &= ~MAN_OUT_OF_PLAY;
                } else if (leapt) {
                    start_standing_jump_spoil(man);
                    return;
                }
            }
        } else {
            t = static_cast<int32_t>(std::nearbyint(man->plan_vz * 0.0000233514 + 0.5));
        }
    } else {
        t = man->plan_vz / GRAVITY;
    }
    // A stale or zero plan must not stop the jump dividing by nothing.
    if (t < 1) t = 1;
    set_velocity16(man, v);
    if (spoil) {
        man->rate_override = static_cast<int32_t>(std::nearbyint(262144.0 / t + 0.5)) + 1;
    } else {
        const int32_t frames = anim_last_frame(man->follow_on_primary) + 1;
        man->rate_override = static_cast<int32_t>(std::nearbyint(frames * 65536.0 / t + 0.9999999999));
    }
    leave_ground(man, t);
}

void ev_clear_busy(PlayerSlot* man) { man->man_flags &= ~MAN_BUSY; }

void ev_stumble_chance(PlayerSlot* man)
{
    if (man == match_globals.ball_holder) return;
    const int32_t a = vector_angle(man->velocity_x, man->velocity_y);
    const int32_t t = std::abs(angle_diff(man->facing, a));
    int32_t v = man->velocity_x + man->velocity_y;
    if (t > 48) v += t - 48;
    if (static_cast<int32_t>(game_random() & 127) < v) man->follow_on_primary = t > 64 ? 149 : 148;
}

void ev_slap_ball(PlayerSlot* man)
{
    const uint32_t a = g_event.animation;
    if (a >= 46 && a <= 53) stop_man(man);
    clear_candidate_row(slap_row(man), SLAP_ENTRIES);
    if (!nobody_holds_ball()) return;
    const int32_t joint = (a >= 46 && a <= 53) || a == 60 ? JOINT_RIGHT_HAND : JOINT_LEFT_HAND;
    int32_t hand[3];
    joint_at(hand, man, playing_animation(man), playing_frame(man) + 1, joint);
    hand[0] += man->x, hand[1] += man->z, hand[2] += man->y;
    if (!ball_within(hand, 31, 41)) return;
    int32_t direction = 8;
    for (const ContactRow& r : slap_rows)
        if (r.animation == a) direction = r.direction;
    int32_t heading = man->facing;
    if (direction == 1) heading -= 64;
    else if (direction == 2) heading += 64;
    else if (direction == 4) heading += 128;
    const int32_t dx = fixed_sin(static_cast<uint8_t>(heading), 288), dy = fixed_cos(static_cast<uint8_t>(heading), 288);
    send_to_receiver(man, match_globals.disposal.target_man, dx, dy, false);
    if (playing_frame(man) >= anim_last_frame(a)) ball_step(&ball_state, 0);
}

void ev_injury(PlayerSlot* man)
{
    MatchGlobals& g = match_globals;
    give_ball_to(nullptr);
    man->action = 26;
    bool key = false;
    if (TeamRecord* t = man->team) {
        for (uint8_t k : t->key_men) key = key || k == man->number;
        key = key || t->key_man_e == man->number;
    }
    if (!key && !g.injured_man) {
        g.injured_man = man;
        g.injury_kind = static_cast<uint8_t>(game_random() & 7);
        if (man->team) ++man->team->injury_count;
        g.mark_x = man->x, g.mark_y = man->y;
        presentation::play_effect(41, 0, 127);
        static const uint32_t kInjury[8] = {287, 285, 286, 285, 285, 286, 285, 287};
        man->follow_on_primary = kInjury[g.injury_kind];
        if (man->contest_group) resolve_contest(man);
    } else {
        man->man_flags2 &= ~MAN2_NO_CONTEST;
        man->follow_on_primary = ANIM_GETUP_FACEUP;
    }
}

void ev_clear_busy_count(PlayerSlot* man)
{
    man->man_flags &= ~MAN_BUSY;
    ++man->job_step;
}

void ev_mark_tackled(PlayerSlot* man) { man->man_flags2 |= 0x0400; }

void ev_descent_rate(PlayerSlot* man)
{
    int64_t vz = fixed(man->velocity_z, man->velocity_z_frac);
    int64_t h = fixed(man->z, man->z_frac);
    int32_t n = 0;
    while (h >= 0 && n < 100000) {
        vz -= GRAVITY;
        h += vz - GRAVITY / 2;
        ++n;
    }
    if (n == 0) return;
    const int64_t frames = anim_length(g_event.animation) / PAF_FRAME_US;
    man->rate_override = static_cast<int32_t>((frames * 65536 - 65536) / n);
}

void ev_pick_up_ball(PlayerSlot* man)
{
    MatchGlobals& g = match_globals;
    man->man_flags &= ~MAN_OUT_OF_PLAY;
    if (!is_umpire(man)) {
        if (man->team) man->team->loose_ball_mark = 0;
        clear_candidate_row(pickup_row(man), PICKUP_ENTRIES);
    }
    if (g_event.animation == 239) stop_man(man);
    if (man->ball_coming) return;
    if (nobody_holds_ball() && (man->man_flags & MAN_BUSY) && whole(ball_state.z) < 33) {
        const uint32_t a = playing_animation(man);
        int32_t hands[3] = {0, 0, 0};
        const PafAnimation* d = anim_data(a);
        if (!(d && d->separate_ball)) get_limb_position(hands, man, a, playing_frame(man) + 1, man->facing, 0);
        hands[0] += man->x, hands[1] += man->z, hands[2] += man->y;
        const int32_t dist = vector_length(whole(ball_state.x) - hands[0], whole(ball_state.y) - hands[2]);
        if (dist < 33) {
            if (g.match_state == PLAY_ON && (game_random() & 1)) say(72, man, nullptr, 2);
            man->man_flags |= 0x0400;
            give_ball_to(man);
        }
    }
    g.pending_pickup_man = nullptr;
}

void ev_umpire_signal_done(PlayerSlot* man)
{
    speed_from_root(man);
    if (is_umpire(man)) {
        man->arrived = 1;
        man->action = 0;
        man->official_job = 0;
        man->job_step = 0;
    }
}

void ev_ground_kick(PlayerSlot* man)
{
    man->man_flags &= ~MAN_OUT_OF_PLAY;
    stop_man(man);
    clear_candidate_row(ground_kick_row(man), GROUND_KICK_ENTRIES);
    const bool in_flight = (ball_state.flight_flags & 0x20) && whole(ball_state.z) > 0;
    if (!nobody_holds_ball() || in_flight || !(man->man_flags & MAN_BUSY) || whole(ball_state.z) >= 33) return;
    int32_t foot[3];
    joint_at(foot, man, playing_animation(man), playing_frame(man) + 1, JOINT_LEFT_FOOT);
    foot[0] += man->x, foot[2] += man->y;
    const int32_t bx = whole(ball_state.x), by = whole(ball_state.y);
    if (vector_length(bx - foot[0], by - foot[2]) >= 33) return;
    const int32_t to_ball = vector_angle(bx - man->x, by - man->y);
    // A team-mate ahead of the ball, the best lined up with the kick.
    PlayerSlot* target = nullptr;
    int32_t best = -1, target_distance = 0;
    for (int i = 0; i < match_globals.active_men_count && i < MAX_ACTIVE_MEN; ++i) {
        PlayerSlot* m = match_globals.active_men[i];
        if (!m || m == man || m->side != man->side || !in_field(m->x, m->y)) continue;
        const int32_t d = vector_length(m->x - bx, m->y - by);
        if (d < 1024 || d > 5120) continue;
        const int32_t diff = std::abs(angle_diff(vector_angle(m->x - bx, m->y - by), to_ball));
        if (diff >= 40) continue;
        const int32_t score = diff < 32 ? 32 - diff : 32;
        if (score > best) best = score, target = m, target_distance = d;
    }
    int32_t heading = to_ball, speed;
    const int32_t goal_x = man->side == 2 ? 24562 : -24562;
    const int32_t goal_angle = vector_angle(goal_x - man->x, -man->y);
    if (target) {
        heading = vector_angle(target->x - bx, target->y - by);
        speed = (game_random() & 1) ? target_distance / 512 + 3 : target_distance / 1024 + 3;
    } else if (vector_length(goal_x - man->x, man->y) < 3840 && std::abs(angle_diff(man->facing, goal_angle)) < 32) {
        heading = goal_angle;
        speed = 14;
    } else {
        speed = (game_random() & 1) ? 9 : 3 + static_cast<int32_t>(game_random() & 3);
    }
    speed += static_cast<int32_t>(game_random() & 7);
    presentation::play_effect(10, 0, 0);
    ball_state.vx = fixed_sin(static_cast<uint8_t>(heading), speed) << 16;
    ball_state.vy = fixed_cos(static_cast<uint8_t>(heading), speed) << 16;
    ball_state.heading = static_cast<uint16_t>(heading & 255);
    ball_state.flight_flags = static_cast<uint16_t>((ball_state.flight_flags | 0x0020) & ~0x0002);
    flag_players_ball_coming();
    man->man_flags = static_cast<uint16_t>((man->man_flags & ~0x0006) | MAN_BUSY);
}

void ev_bump(PlayerSlot* man)
{
    const int32_t contact = g_event.animation == 375 ? 12 : 18;
    const int32_t frame = g_event.frame;
    PlayerSlot* target = man->target_man;
    const bool target_ok = target && (target->man_flags & MAN_IN_CONTEST) && !(target->man_flags & 0x0100) &&
                           !(target->man_flags & MAN_OUT_OF_PLAY) && !(target->man_flags2 & 0x0001);
    if (frame < contact) {
        if (!target_ok) return;
        const int32_t ticks = static_cast<int32_t>(std::lrint((contact - frame) * (62.0 / 30.0) + 0.5));
        const uint8_t heading = target->turning ? anim_facing_offset(target) : target->facing;
        const int32_t tx = target->x + fixed_sin(heading, target->speed * ticks);
        const int32_t ty = target->y + fixed_cos(heading, target->speed * ticks);
        const int32_t a = vector_angle(tx - man->x, ty - man->y);
        if (std::abs(angle_diff(a, man->facing)) < 32) set_facing(man, a);
        const int64_t speed16 = static_cast<int64_t>(vector_length(tx - man->x, ty - man->y)) * 65536 / (ticks < 1 ? 1 : ticks);
        if (speed16 >= 14 * 65536 && speed16 <= 40 * 65536) {
            man->speed = static_cast<int16_t>(speed16 >> 16);
            man->speed_frac = static_cast<uint16_t>(speed16);
            man->velocity_x = static_cast<int16_t>(fixed_sin(man->facing, man->speed));
            man->velocity_y = static_cast<int16_t>(fixed_cos(man->facing, man->speed));
        }
        return;
    }
    man->man_flags &= ~MAN_OUT_OF_PLAY;
    if (!target && !(man->man_flags & MAN_IN_CONTEST) && !man->contest_group) man->man_flags &= ~0x0880;
    if (frame != contact || !target) return;
    int32_t shoulder[3];
    joint_at(shoulder, man, g_event.animation, frame + 1, 9);
    const int32_t px = man->x + shoulder[0], py = man->y + shoulder[2];
    const int32_t a = vector_angle(target->x - man->x, target->y - man->y);
    if (std::abs(angle_diff(a, man->facing)) < 48 && std::abs(target->x - px) <= 256 && std::abs(target->y - py) <= 256) {
        // Knocked over: forwards when hit from behind, else backwards.
        const bool from_behind = std::abs(angle_diff(target->facing, man->facing)) < 64;
        play_man_animation(target, from_behind ? 148 : 149, 0, 1.0);
        target->man_flags |= MAN_BUSY;
        if (target == match_globals.ball_holder) give_ball_to(nullptr);
    }
}

void ev_lock_at_spot(PlayerSlot* man)
{
    match_globals.bounce_spot_x = man->x;
    match_globals.bounce_spot_y = man->y;
    man->man_flags |= MAN_BUSY;
    match_globals.bounce_follow_code = 0;
}

void ev_bounce_follow(PlayerSlot* man)
{
    speed_from_root(man);
    const int32_t code = match_globals.bounce_follow_code;
    if (code == 22 || code == 49) {
        // The disposal queued while he bounced goes ahead now.
        man->action = static_cast<uint16_t>(code);
        match_globals.centre_bounce_done = 1;
    }
}

void ev_step_facing(PlayerSlot* man)
{
    switch (g_event.animation) {
    case 269: set_facing(man, man->facing - 16); break;
    case 270: case 271: set_facing(man, man->facing + ((man->animation_flags & ANIM_MIRRORED) ? 80 : -80)); break;
    case 375: set_facing(man, man->facing - 64); break;
    case 268: if (man->man_flags2 & 0x0800) set_facing(man, man->facing - 64); break;
    default: break;
    }
}

void ev_tackle_check(PlayerSlot* man)
{
    PlayerSlot* p = man->tackle_partner;
    if (!p) return;
    if (p == match_globals.ball_holder && !(p->man_flags & 0x0400)) return;
    p->man_flags2 &= ~0x0008;
    man->tackle_partner = nullptr;
}

void ev_drop_partner(PlayerSlot* man) { man->tackle_partner = nullptr; }
void ev_start_clock(PlayerSlot*) { match_globals.clock_enabled = 1; }

void ev_bounce_sound(PlayerSlot*)
{
    presentation::play_effect(26, 21922 + static_cast<int32_t>(game_random() & 255), 55 - whole(ball_state.vz));
}

void ev_goal_crowd(PlayerSlot*) { presentation::crowd_react(0); }

int32_t strength_total(const PlayerSlot* m) { return attribute(m, 21) + attribute(m, 28); }

void ev_punch_contact(PlayerSlot* man)
{
    PlayerSlot* opp = man->fight_opponent;
    if (!opp) return;
    struct Blow {
        uint32_t row;
        int32_t reach, height;
        uint32_t reaction[2];
    };
    static const Blow kBlows[] = {
        {296, 30, 42, {0, 0}},     {297, 29, 38, {290, 291}}, {298, 29, 38, {290, 291}}, {299, 28, 40, {0, 0}},
        {300, 28, 40, {0, 0}},     {301, 33, 37, {293, 294}}, {302, 31, 36, {293, 294}}, {303, 32, 37, {288, 289}},
        {304, 32, 37, {288, 289}}, {305, 32, 35, {0, 0}},
    };
    const Blow* blow = nullptr;
    for (const Blow& b : kBlows)
        if (b.row == g_event.animation) blow = &b;
    if (!blow) return;
    // The fist at the next frame against the opponent's head.
    int32_t fist[3], head[3];
    joint_at(fist, man, g_event.animation, g_event.frame + 1, JOINT_RIGHT_HAND);
    joint_at(head, opp, opp->primary_animation, opp->primary_position >> 16, JOINT_HEAD);
    const int32_t dx = man->x + fist[0] - (opp->x + head[0]), dy = man->y + fist[2] - (opp->y + head[2]);
    if (vector_length(dx, dy) > blow->reach + blow->height) return;
    const int32_t average = (attribute(man, 21) + attribute(man, 28)) / 2;
    if (average <= static_cast<int32_t>(game_random() & 255)) return;
    if (blow->reaction[0]) set_man_animation(opp, blow->reaction[game_random() & 1], 0, 1.0);
}

void ev_recover(PlayerSlot* man) { man->man_flags2 &= ~0x0004; }

void ev_face_opponent(PlayerSlot* man)
{
    PlayerSlot* opp = man->fight_opponent;
    if (!opp) return;
    const int32_t step = strength_total(man) > strength_total(opp) ? 3 : 2;
    const int32_t diff = angle_diff(vector_angle(opp->x - man->x, opp->y - man->y), man->facing);
    if (diff == 0) return;
    const int32_t turn = std::abs(diff) < step ? std::abs(diff) : step;
    set_facing(man, man->facing + (diff > 0 ? turn : -turn));
}

void ev_drop_ball(PlayerSlot* man)
{
    if (man != match_globals.ball_holder && man != match_globals.umpire_with_ball) return;
    give_ball_to(nullptr);
    int32_t hand[3];
    get_limb_position(hand, man, playing_animation(man), playing_frame(man), man->facing, 0);
    ball_state.x = (man->x + hand[0]) * 65536;
    ball_state.y = (man->y + hand[2]) * 65536;
    ball_state.z = 0;
}

void ev_coin_landed(PlayerSlot* man)
{
    match_globals.flow_flags |= 0x0200;
    man->arrived = 0;
    const int8_t winner = match_globals.toss_winner;
    say(94, winner >= 0 && winner < 2 ? team_records[winner].captain : nullptr, nullptr, 2);
}

void ev_captains_gaze(PlayerSlot*)
{
    for (TeamRecord& t : team_records)
        if (t.captain) {
            play_man_animation(t.captain, 318, 0, 1.0);
            t.captain->man_flags |= MAN_BUSY;
        }
}

void ev_spoil_contact(PlayerSlot* man)
{
    const uint32_t a = g_event.animation;
    const int32_t joint = a == 243 || a == 332 || a == 338 || a == 341 ? JOINT_LEFT_HAND : JOINT_RIGHT_HAND;
    int32_t hand[3];
    joint_at(hand, man, a, g_event.frame + 1, joint);
    hand[0] += man->x, hand[1] += man->z, hand[2] += man->y;
    if (!ball_within(hand, 32, 42)) return;
    spoil_ball(man);
    say(25, man, nullptr, 2);
}

void ev_all_clear(PlayerSlot* man)
{
    presentation::play_effect(45, 0, 74);
    ++official_slots[match_globals.end_side_word == 2 ? 4 : 3].job_step;
    ++man->job_step;
}

void ev_toss_reset(PlayerSlot*)
{
    match_globals.flow_flags = static_cast<uint16_t>((match_globals.flow_flags | 0x0100) & ~0x0200);
    for (TeamRecord& t : team_records)
        if (t.captain) t.captain->arrived = 0;
}

void ev_throw_in_done(PlayerSlot* man)
{
    ++official_slots[whole(ball_state.y) < 1 ? 2 : 1].job_step;
    ++man->job_step;
}

void ev_siren(PlayerSlot*) { presentation::play_effect(25, 0, 101); }

void ev_injury_end(PlayerSlot* man)
{
    if (!man->excluded) return;
    set_facing(man, man->facing + 64);
    man->action_arg = man->facing;
    man->man_flags |= 0x0400;
    if (man->team) ++man->team->interchanges_used;
    man->follow_on_primary = ANIM_GETUP_FACEUP;
    say(90, man, nullptr, 250);
}

void ev_play_on_call(PlayerSlot*) { presentation::play_effect(46, 0, 74); }

void ev_mark_spoil_end(PlayerSlot*)
{
    set_match_state(PLAY_ON);
    PlayerSlot* b = match_globals.controlled_man_b;
    if (b && (b->secondary_animation == 355 || b->secondary_animation == 356)) set_man_animation(b, 357, 0, 4.0);
}

void ev_thud(PlayerSlot*) { presentation::play_effect(33, 0, 105); }

} // namespace

const FrameEventHandler frame_event_handlers[FRAME_EVENT_COUNT] = {
    ev_none,             speed_from_root,     ev_landed,          ev_release_ball,       ev_none,
    ev_none,             ev_turn,             ev_turn,            ev_turn,               ev_turn,
    ev_turn,             ev_turn,             ev_turn,            ev_turn,               ev_request_handover,
    ev_set_kick_flag,    ev_chest_catch,      ev_take_off,        ev_clear_busy,         ev_stumble_chance,
    ev_slap_ball,        ev_injury,           ev_clear_busy_count, ev_mark_tackled,      ev_descent_rate,
    ev_pick_up_ball,     ev_umpire_signal_done, ev_ground_kick,   ev_bump,               ev_lock_at_spot,
    ev_bounce_follow,    ev_step_facing,      ev_none,            ev_tackle_check,       ev_drop_partner,
    ev_start_clock,      ev_bounce_sound,     ev_goal_crowd,      ev_punch_contact,      ev_recover,
    ev_face_opponent,    ev_drop_ball,        ev_coin_landed,     ev_captains_gaze,      ev_spoil_contact,
    ev_all_clear,        ev_toss_reset,       ev_throw_in_done,   ev_siren,              ev_injury_end,
    ev_none,             ev_play_on_call,     ev_mark_spoil_end,  ev_thud,
};

void fire_frame_event(PlayerSlot* man, uint32_t animation, int32_t frame)
{
    if (animation >= ANIM_ROW_COUNT || frame < 0) return;
    const uint8_t* script = animation_table[animation].events;
    if (!script) return;
    // The script ends at its 50; a frame at or past it fires nothing.
    for (int32_t i = 0; i < frame; ++i)
        if (script[i] == ANIM_SCRIPT_END) return;
    const uint8_t e = script[frame];
    if (e == ANIM_SCRIPT_END || e >= FRAME_EVENT_COUNT) return;
    const EventContext saved = g_event;
    g_event = {animation, frame};
    frame_event_handlers[e](man);
    g_event = saved;
}

int32_t anim_contact_frame(uint32_t a) { return a < ANIM_ROW_COUNT ? animation_table[a].contact_frame : 0; }
int32_t anim_release_frame(uint32_t a) { return a < ANIM_ROW_COUNT ? animation_table[a].release_frame : 0; }
