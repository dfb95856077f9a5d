#include "players/actions.h"

#include "match/game_maths.h"
#include "match/match_hooks.h"
#include "model/anim_table.h"
#include "players/fights.h"
#include "players/kicks.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/movement.h"
#include "players/anim_driver.h"
#include "players/contact_tables.h"
#include "players/man_display.h"
#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/match_flow.h"
#include "match/match_setup.h"
#include "match/kick_outs.h"
#include "match/man_behaviours.h"
#include "match/match_records.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/team_ai.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t RUN_AHEAD = 5120;
constexpr int32_t CLOSE = 43; // "within 43": a stop near a man or spot

void run(PlayerSlot* man, int32_t r) { run_to_point(man, r); }

void set_busy(PlayerSlot* man) { man->man_flags |= MAN_BUSY; }

void set_headings(PlayerSlot* man, int32_t d)
{
    man->wanted_facing = static_cast<int16_t>(d & 255);
    man->move_heading = static_cast<uint16_t>(d & 255);
}

// Offset to (x, y) and the headings along it.
void head_for(PlayerSlot* man, int32_t x, int32_t y)
{
    man->move_dx = clamp16(x - man->x);
    man->move_dy = clamp16(y - man->y);
    set_heading_to_target(man);
}

bool near_both(const PlayerSlot* man, int32_t x, int32_t y, int32_t r)
{
    return int_abs(x - man->x) <= r && int_abs(y - man->y) <= r;
}

bool in_states(uint8_t s, std::initializer_list<uint8_t> list)
{
    return std::find(list.begin(), list.end(), s) != list.end();
}

// The ball is held by a man: the ball's held value.
bool ball_held_value() { return ball_state.flags == 2; }
bool ball_kicked_in_air() { return (ball_state.flight_flags & 0x60) == 0x60; }

void close_hud_panels() { presentation::close_hud_panels(); }

int32_t frame_of(int32_t table_frame) { return table_frame > 0 ? table_frame - 1 : 0; }

// The hand point of an animation at its contact frame, turned to `facing`,
// relative to the man: {x, height, y}.
void contact_hand(PlayerSlot* man, int32_t anim, int32_t facing, int32_t out[3])
{
    get_limb_position(out, man, anim, frame_of(animation_table[anim].contact_frame), facing, 0);
}

struct PathPoint {
    int32_t step;
    int32_t x, y;
};

// The first step of the predicted path from `from` whose height is below
// (or, with `or_level`, not above) the given height; step -1 when none.
PathPoint first_path_step(int32_t from, int32_t height, bool or_level)
{
    for (int k = from; k < PREDICTED_STEPS; ++k) {
        const int32_t z = predicted_ball_path.position[k][1] >> 16;
        if (z < height || (or_level && z == height))
            return {k, predicted_ball_path.position[k][0] >> 16, predicted_ball_path.position[k][2] >> 16};
    }
    return {-1, 0, 0};
}

void stand(PlayerSlot* man)
{
    man->target_x = man->x;
    man->target_y = man->y;
    man->move_dx = man->move_dy = 0;
    man->arrived = 1;
}

void act_stand(PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    stand(man);
    if (man->speed != 0) return;
    if (holds_ball(man) && !(man->man_flags2 & MAN2_AT_SPOT)) return;
    if (m.match_state == 3 && m.fight_pair[0] && m.fight_pair[1] && !man->melee) {
        const PlayerSlot* f = m.fight_pair[0]->side == man->side ? m.fight_pair[0] : m.fight_pair[1];
        man->wanted_facing = static_cast<int16_t>(vector_angle(f->x - man->x, f->y - man->y));
        return;
    }
    if (m.match_state == 3) return;
    if (holds_ball(man) || man == &official_slots[3] || man == &official_slots[4]) return;
    if (in_states(m.match_state, {19, 20, 22, 23, 24, 44})) return;
    man->wanted_facing = man->angle_to_ball;
    // His group keeps the facing while its stick is idle.
    if (man->contest_group) man->contest_group->menu_scratch = man->wanted_facing & 255;
}

void run_straight_on(PlayerSlot* man)
{
    man->wanted_facing = static_cast<int16_t>(man->move_heading & 255);
    const auto h = static_cast<uint8_t>(man->move_heading);
    man->move_dx = clamp16(fixed_sin(h, RUN_AHEAD));
    man->move_dy = clamp16(fixed_cos(h, RUN_AHEAD));
    man->target_x = clamp16(man->x + man->move_dx);
    man->target_y = clamp16(man->y + man->move_dy);
}

void run_and_claim_arrival(PlayerSlot* man)
{
    MatchGlobals& m = match_globals;
    if (m.first_arrived_man) {
        run(man, 128);
        return;
    }
    run(man, 16);
    if (man->arrived) m.first_arrived_man = man;
}

void watch_ball(PlayerSlot* man)
{
    // Counted as signed: a wait of 0 ends at once.
    const auto w = static_cast<int16_t>(static_cast<int16_t>(man->wait_ticks) - 1);
    man->wait_ticks = static_cast<uint16_t>(w);
    man->wanted_facing = man->angle_to_ball;
    if (w <= 0) man->action = 0;
}

void kick_if_holder(PlayerSlot* man, uint16_t kind)
{
    MatchGlobals& m = match_globals;
    if (!holds_ball(man)) return;
    if (kind == 17 && m.previous_match_state != 9 && (game_random() & 1))
        presentation::set_pending_commentary(10, man->team_index, man->number, -1, -1, 20);
    m.last_disposal_kind = kind == 17 ? 17 : 49;
    start_kick(man);
}

void play_injury(PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    if (man != m.injured_man || (man->man_flags & MAN_BUSY)) return;
    play_man_animation(man, injury_animation(m.injury_kind), 45, 1.0);
    set_busy(man);
}

void jump_over(PlayerSlot* man)
{
    play_man_animation(man, ANIM_JUMP_OVER, 0, 1.0);
    man->man_flags |= MAN_BUSY | MAN_CONTEST_A;
    man->action = 0;
    const int32_t r = profile_word(man, 16) / 8 * 65536;
    set_man_step_fixed(man, fixed_sin(man->facing, r), fixed_cos(man->facing, r));
}

void take_mark_spot(PlayerSlot* man)
{
    if (!holds_ball(man)) return;
    man->target_x = man->mark_spot_x;
    man->target_y = man->mark_spot_y;
    man->move_heading = static_cast<uint16_t>(man->mark_spot_heading);
}

} // namespace

int32_t injury_animation(uint8_t kind)
{
    switch (kind) {
    case 1: case 3: case 4: case 6: return ANIM_INJURY1;
    case 2: case 5: return ANIM_INJURY2;
    default: return ANIM_INJURY3;
    }
}

void update_all_men()
{
    const int n = men_in_use();
    for (TeamRecord& team : team_records)
        for (int i = 0; i < n; ++i) {
            PlayerSlot* man = &team.slots[i];
            if (!(man->man_flags & (MAN_IN_CONTEST | MAN_BUSY)) || (man->man_flags2 & MAN2_TACKLED)) {
                player_act(man);
                update_motion_limits(man);
                avoid_man_in_way(man);
            }
        }
    for (PlayerSlot& official : official_slots) {
        umpire_act(&official);
        update_motion_limits(&official);
    }
}

void player_act(PlayerSlot* man)
{
    MatchGlobals& m = match_globals;
    if (man->busy_flag) return;
    uint16_t action = man->action;
    if (man == m.injured_man) {
        action = man->leaving ? ACT_LEAVE_INJURED : ACT_INJURED;
        man->action = 0;
    }
    switch (action) {
    case 0: act_stand(man); break;
    case 1: act_fight(man); break;
    case 2: act_support_carrier(man); break;
    case 3: case 47: case 73: act_tackle(man); break;
    case 4: act_go_for_ball(man); break;
    case 5: case 80: run_and_claim_arrival(man); break;
    case 6: case 7: case 20: case 27: case 30: case 32: case 36: case 48: case 55: case 56: run(man, 42); break;
    case 8: run_straight_on(man); break;
    case 9: watch_ball(man); break;
    case 10: run(man, 512); break;
    case 11:
        run_straight_on(man);
        m.last_disposal_kind = 11;
        break;
    case 12: case 22:
        m.last_disposal_kind = 22;
        start_handball(man);
        break;
    case 14: act_drop_ball_for_kick(man); break;
    case 15: act_run_unless_ball_held(man); break;
    case 17: kick_if_holder(man, 17); break;
    case 18: case 49: kick_if_holder(man, 49); break;
    case 19: act_charge_down(man); break;
    case 23: act_receive_handball(man); break;
    case 24: run_to_waypoint(man, 42); break;
    case 25: act_bounce_attempt(man); break;
    case 26: play_injury(man); break;
    case 28: case 77: run(man, 16); break;
    case 37: act_fetch_ball_to_centre(man); break;
    case 42: act_kick_from_mark(man); break;
    case 43: act_set_shot(man); break;
    case 45: jump_over(man); break;
    case 46: act_follow_kicker(man); break;
    case 50: start_bounce_ball(man); break;
    case 51: act_walk_to_spot(man, 42); break;
    case 52: act_escort_target(man); break;
    case 53: run(man, 768); break;
    case 72: act_leave_ground_injured(man); break;
    case 75: act_carried_off(man); break;
    case 76: act_shepherd_escort(man); break;
    case 78:
        walk_to_point(man, 16);
        run_and_claim_arrival(man);
        break;
    case 79: act_return_to_line(man); break;
    case 81: act_quickstep_to_face(man); break;
    case 86: act_rack_off(man); break;
    case 87: act_meet_ball_flight(man); break;
    default:
        if (action >= 57 && action <= 71) act_mark_contest(man);
        break;
    }
}

void umpire_act(PlayerSlot* u)
{
    const MatchGlobals& m = match_globals;
    auto run_at = [u](int32_t r, uint16_t effort) {
        u->effort = effort;
        run_to_point(u, r);
    };
    switch (u->action) {
    case 0:
        // As a player's stand: still and without the ball he watches it.
        stand(u);
        if (u->speed == 0 && !holds_ball(u) && u != m.ball_contact_man && u->official_job == 0)
            u->wanted_facing = u->angle_to_ball;
        break;
    case 3: stand(u); break;
    case 4: run_at(42, 25); break;
    case 5: run_at(42, 55); break;
    case 6: run_to_point(u, 16); break;
    case 7: run_at(42, 100); break;
    case 8: run_at(16, 100); break;
    case 9: walk_to_point(u, 512); break;
    case 13:
        if (u == m.lead_medic[1])
            follow_lead_medic();
        else
            run_to_point(u, 42);
        break;
    case 2: case 10: case 12: case 18: case 21: run_to_point(u, 42); break;
    default: break;
    }
}

void act_support_carrier(PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    PlayerSlot* c = m.ball_holder ? m.ball_holder : (m.second_carrier ? m.second_carrier : m.mark_kicker);
    if (!c || (c->man_flags & MAN_IN_BOTH_GRIDS) || (c->man_flags2 & MAN2_TACKLED)) return;
    if (man->target_x == 0 && man->target_y == 0) {
        man->move_dx = clamp16(c->x + 10 * c->path_dx - man->x);
        man->move_dy = clamp16(c->y + 10 * c->path_dy - man->y);
    } else {
        set_target_offset(man);
    }
    if (m.bump_rule && try_cpu_bump(man, c)) return;
    man->arrived = 0;
    set_heading_to_target(man);
}

void act_go_for_ball(PlayerSlot* man)
{
    MatchGlobals& m = match_globals;
    if (holds_ball(man) || man == m.ball_contact_man) {
        man->action = 0;
        if (man->primary_animation == ANIM_BACKSTEP) play_man_animation(man, ANIM_STAND, 0, 1.0);
        return;
    }
    const int32_t bx = ball_whole_x(), by = ball_whole_y(), bz = ball_state.z >> 16;
    if (ball_kicked_in_air() && !m.ball_holder) {
        man->target_x = ball_state.landing_x;
        man->target_y = ball_state.landing_y;
    } else if (bz > 511) {
        const auto a = static_cast<uint8_t>(man->angle_to_ball);
        int32_t hand[3];
        contact_hand(man, ANIM_STANDING_CHEST_CATCH, a, hand);
        const PathPoint p = first_path_step(0, hand[1], true);
        if (p.step >= 0) {
            man->target_x = clamp16(p.x - fixed_sin(a, hand[0]));
            man->target_y = clamp16(p.y - fixed_cos(a, hand[2]));
        }
    } else {
        int32_t travel[3], hand[3];
        get_animation_displacement(travel, ANIM_STANDING_PICKUP, 0, 22, man->facing);
        get_limb_position(hand, man, ANIM_STANDING_PICKUP, 21, man->facing, 0);
        const int32_t reach = vector_length((travel[0] >> 8) + hand[0], (travel[2] >> 8) + hand[2]);
        const bool ball_still = ball_state.z == 0 && ball_state.vx == 0 && ball_state.vy == 0 && ball_state.vz == 0;
        if (vector_length(bx - man->x, by - man->y) < reach && is_standing_anim(man) && ball_still)
            play_man_animation(man, ANIM_BACKSTEP, 0, 1.0);
        man->target_x = static_cast<int16_t>(bx);
        man->target_y = static_cast<int16_t>(by);
    }
    if (!is_umpire(man) && m.match_state == 1 && !m.bump_rule) {
        if ((ball_state.flight_flags & 0x2) || (ball_kicked_in_air() && ball_held_value())) pick_cpu_shepherd(man);
    }
    // He is on his way again: a man left marked as arrived would not go
    // round a man standing in his path, and body contact alone would hold
    // him there for good.
    man->arrived = 0;
    set_target_offset(man);
    set_heading_to_target(man);
}

void act_receive_handball(PlayerSlot* man)
{
    MatchGlobals& m = match_globals;
    if (man->man_flags & MAN_OUT_OF_PLAY) return;
    man->support_mode = 0;
    if ((man->man_flags & MAN_IN_CONTEST) && man->contest_group) {
        // The group's button edges: a let-go asks for support, a press for a mate.
        if (man->contest_group->released & 2) {
            man->support_mode = 1;
        } else if (man->contest_group->pressed & 2) {
            man->support_mode = 0;
            man->target_man = choose_best_teammate(man);
        }
    }
    if (man->support_mode)
        loose_ball_support_a(man);
    else
        loose_ball_support_b(man);
    int32_t anim = ANIM_RUNNING_FINGER_CATCH;
    if (man->path_speed == 0) {
        anim = ANIM_STANDING_FINGER_CATCH;
        man->wanted_facing = man->angle_to_ball;
    }
    const bool passed = (!m.ball_holder && (ball_state.flight_flags & 0x80)) ||
                        (m.ball_holder && m.ball_holder == m.handballer);
    if (passed) {
        int32_t hand[3];
        contact_hand(man, anim, man->facing, hand);
        // From step 1: at step 0 the ball may still be at the passer's hands.
        const PathPoint p = first_path_step(1, hand[1], false);
        if (p.step >= 1) {
            const int32_t hx = man->x + hand[0], hy = man->y + hand[2];
            const int32_t s = static_cast<int32_t>(std::nearbyint(static_cast<double>(vector_length(p.x - hx, p.y - hy)) / p.step));
            man->path_speed = static_cast<int16_t>(std::min(s, 2 * man->top_speed));
            man->target_x = clamp16(p.x - hand[0]);
            man->target_y = clamp16(p.y - hand[2]);
            const auto d = static_cast<uint8_t>(vector_angle(man->target_x - man->x, man->target_y - man->y));
            man->wanted_facing = d;
            man->facing = d;
        } else {
            man->path_speed = man->speed;
            man->wanted_facing = man->facing;
        }
    }
    man->man_flags2 &= static_cast<uint16_t>(~MAN2_TACKLED);
    man->arrived = 0;
    if ((ball_state.flags & 0x0C) || ball_held_value() || (ball_state.flight_flags & 0x2)) {
        man->action = 0;
        m.receiver = nullptr;
    }
}

void act_follow_kicker(PlayerSlot* man)
{
    PlayerSlot* k = match_globals.mark_kicker;
    if (!k) return;
    man->move_dx = clamp16(k->x + 10 * k->path_dx - man->x);
    man->move_dy = clamp16(k->y + 10 * k->path_dy - man->y);
    man->target_x = k->x;
    man->target_y = k->y;
    if (near_both(man, k->x, k->y, CLOSE)) {
        man->action = 3;
        man->target_man = k;
        man->arrived = 1;
        set_man_step_fixed(man, 0, 0);
        return;
    }
    man->arrived = 0;
    set_heading_to_target(man);
}

void act_meet_ball_flight(PlayerSlot* man)
{
    if (!ball_kicked_in_air() || match_globals.ball_holder) {
        run(man, 42);
        return;
    }
    const int32_t towards = vector_angle(ball_state.landing_x - man->x, ball_state.landing_y - man->y);
    int32_t hand[3];
    contact_hand(man, ANIM_RUNNING_FINGER_CATCH, towards, hand);
    const PathPoint p = first_path_step(0, hand[1], true);
    if (p.step < 1) return;
    const int32_t hx = man->x + hand[0], hy = man->y + hand[2];
    const int32_t s = static_cast<int32_t>(std::nearbyint(static_cast<double>(vector_length(p.x - hx, p.y - hy)) / p.step));
    const auto top = static_cast<int32_t>(static_cast<float>(man->top_speed) * 1.3f);
    man->path_speed = static_cast<int16_t>(std::min(s, top));
    man->target_x = clamp16(p.x - hand[0]);
    man->target_y = clamp16(p.y - hand[2]);
    const auto d = static_cast<uint8_t>(vector_angle(p.x - man->x, p.y - man->y));
    man->wanted_facing = d;
    man->facing = d;
}

void act_set_shot(PlayerSlot* man)
{
    MatchGlobals& m = match_globals;
    m.current_kicker = man;
    m.mark_kicker = man;
    close_hud_panels();
    take_mark_spot(man);
    const int32_t d = vector_angle(man->target_x - man->x, man->target_y - man->y);
    man->wanted_facing = static_cast<int16_t>(d);
    if (man->facing != d) return;
    start_kick(man);
    m.last_kicker = nullptr;
    switch (m.match_state) {
    case 61: set_match_state(62); break;
    case 63: set_match_state(64); break;
    case 71: set_match_state(72); break;
    case 6: case 8: set_match_state(9); break;
    default: break;
    }
    man->action = 0;
}

namespace {

struct MarkRow {
    uint8_t action;
    int16_t animation; // -1: none
    bool at_ball;      // faces the ball; else his saved facing
    uint16_t air_word;
};
constexpr MarkRow mark_rows[15] = {
    {57, 227, true, 8193},   {58, 231, false, 8193},  {59, 219, true, 16385}, {60, 223, false, 16385},
    {61, -1, false, 1},      {62, 242, true, 4097},   {63, 343, false, 4097}, {64, 346, false, 4097},
    {65, 349, false, 4097},  {66, 352, false, 4097},  {67, 331, false, 4097}, {68, 334, false, 4097},
    {69, 337, false, 4097},  {70, 340, false, 4097},  {71, 260, false, 16385},
};

void leap_onto_partner(PlayerSlot* man)
{
    PlayerSlot* p = man->target_man;
    if (!p) return;
    int32_t r[3];
    rotate_offset_by_facing(r, OffsetPoint{0, 0, 75, man->animation_flags}, man->facing);
    const int32_t frames = animation_length(ANIM_PART1_SPECCY_2B) / 50000;
    const int32_t ticks = std::max<int32_t>(1, static_cast<int32_t>(std::nearbyint(frames * 3.1)));
    const int64_t dx = static_cast<int64_t>(p->x - r[0] - man->x) * 65536 / ticks;
    const int64_t dy = static_cast<int64_t>(p->y - r[2] - man->y) * 65536 / ticks;
    set_man_step_fixed(man, static_cast<int32_t>(dx), static_cast<int32_t>(dy));
    man->man_flags |= MAN_OUT_OF_PLAY;
    if (!p->contest_group) {
        play_man_animation(p, ANIM_RECEIVE_SPECCY_1A, 0, 1.0);
        set_busy(p);
    }
}

} // namespace

void act_mark_contest(PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    if (man == m.controlled_man_b && man->secondary_animation) {
        const uint32_t s = man->secondary_animation;
        if (s == ANIM_FINISH_MARK_SPOIL) return;
        int32_t frame = 0;
        if (s == ANIM_START_MARK_SPOIL)
            frame = std::clamp(animation_length(ANIM_FINISH_MARK_SPOIL) / 50000 - (man->secondary_position >> 16) - 1,
                               0, 29);
        set_man_animation(man, ANIM_FINISH_MARK_SPOIL, frame, 4.0);
        return;
    }
    if (man->action < 57 || man->action > 71) return;
    const MarkRow& row = mark_rows[man->action - 57];
    if (man->turning) {
        man->facing = anim_facing_offset(man);
        man->turning = 0;
    }
    if (row.at_ball) {
        set_headings(man, man->angle_to_ball);
    } else {
        man->facing = static_cast<uint8_t>(man->action_arg);
    }
    if (row.action == 71) leap_onto_partner(man);
    man->air_word = row.air_word;
    man->action = 0;
    if (row.animation < 0) return; // no animation: the action just ends
    play_man_animation(man, row.animation, 0, 1.0);
    set_busy(man);
}

void act_walk_to_spot(PlayerSlot* man, int32_t r)
{
    MatchGlobals& m = match_globals;
    set_target_offset(man);
    const bool backing = is_walking_backwards(man) || man->primary_animation == ANIM_WALK_BACKWARDS;
    const bool within_r = int_abs(man->move_dx) <= r && int_abs(man->move_dy) <= r;
    auto stop = [man]() {
        play_man_animation(man, ANIM_STAND, 0, 1.0);
        man->man_flags &= static_cast<uint16_t>(~MAN_BUSY);
        man->arrived = 1;
        man->action = 0;
        clear_man_motion(man);
    };
    if (within_r) {
        stop();
        m.spot_reached = 1;
        man->mark_spot_x = man->x;
        man->mark_spot_y = man->y;
        man->wanted_facing = man->side == 1 ? 192 : 64;
        return;
    }
    if (man->arrived) {
        if (int_abs(man->move_dx) <= 2 * r && int_abs(man->move_dy) <= 2 * r) {
            stop();
            if (backing) m.spot_reached = 1;
            return;
        }
        man->arrived = 0;
        set_heading_to_target(man);
        if (backing) {
            m.spot_reached = 1;
            play_man_animation(man, ANIM_STAND, 0, 1.0);
        }
        return;
    }
    set_heading_to_target(man);
    const int32_t to_spot = vector_angle(man->move_dx, man->move_dy);
    const int32_t spot_to_ball = vector_angle(m.ball_spot_x - man->target_x, m.ball_spot_y - man->target_y);
    const bool back_in = int_abs(angle_diff(to_spot, spot_to_ball)) > 112 - m.backing_count &&
                         vector_length(man->move_dx, man->move_dy) < m.backing_limit;
    if (!back_in) {
        if (backing) {
            m.spot_reached = 1;
            play_man_animation(man, ANIM_STAND, 0, 1.0);
        }
        return;
    }
    const int32_t h = (to_spot - 128) & 255;
    set_headings(man, h);
    auto start_backing = [man, &m]() {
        play_man_animation(man, ANIM_WALK_BACKWARDS, 0, 1.0);
        m.backing_count = 16;
        m.backing_limit = 2304;
    };
    if (holds_ball(man) || man->turning || (man->man_flags & MAN_BUSY)) {
        if (!man->turning) start_backing();
        return;
    }
    const int32_t turn = angle_diff(h, man->facing);
    const int32_t at = int_abs(turn);
    if (at >= 57 && at <= 71) {
        set_man_speed_fixed(man, 0);
        play_man_animation(man, turn < 0 ? ANIM_STANDING_TURN_LEFT_90 : ANIM_STANDING_TURN_RIGHT_90, 0, 1.0);
        man->turning = 1;
    } else if (at < 113) {
        start_backing();
    } else {
        set_man_speed_fixed(man, 0);
        play_man_animation(man, ANIM_STANDING_TURN_180, 0, 1.0);
        man->turning = 1;
    }
}

void act_escort_target(PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    PlayerSlot* t = man->target_man;
    if (!t) {
        man->action = 0;
        return;
    }
    man->arrive_radius = 42;
    // Otherwise the posted point stands: the man keeps his marking offset
    // from T rather than running into him.
    if (in_states(m.match_state, {10, 11, 12, 47, 48, 52, 57, 58}) && !t->arrived) {
        const auto a = static_cast<uint8_t>(vector_angle(t->target_x - man->x, t->target_y - man->y));
        man->target_x = clamp16(t->target_x - fixed_sin(a, 384));
        man->target_y = clamp16(t->target_y - fixed_cos(a, 384));
    }
    set_target_offset(man);
    const int32_t r = man->arrived ? 85 : CLOSE;
    if (int_abs(man->move_dx) <= r && int_abs(man->move_dy) <= r) {
        arrive_at_target(man);
        man->action = 0;
        return;
    }
    man->arrived = 0;
    set_heading_to_target(man);
}

void act_shepherd_escort(PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    PlayerSlot* t = man->target_man;
    PlayerSlot* e = nullptr;
    for (int i = 0; i < m.active_men_count && !e; ++i) {
        PlayerSlot* o = m.active_men[i];
        if (!o->busy_flag && !o->leaving && o->action == ACT_ESCORT && o->target_man == t &&
            !(o->man_flags2 & MAN2_INJURED))
            e = o;
    }
    if (!e || !t) {
        man->action = 0;
        return;
    }
    const int32_t de = vector_length(t->x - e->x, t->y - e->y);
    const int32_t da = vector_length(t->x - man->x, t->y - man->y);
    if (da - de <= 85) {
        const auto a = static_cast<uint8_t>(vector_angle(t->x - e->x, t->y - e->y));
        man->target_x = clamp16(e->x + fixed_sin(a, 341));
        man->target_y = clamp16(e->y + fixed_cos(a, 341));
    } else {
        man->target_x = man->x;
        man->target_y = man->y;
    }
    set_target_offset(man);
    set_heading_to_target(man);
}

void act_return_to_line(PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    if (!m.umpire_with_ball) {
        if (man->x == 0) {
            man->target_x = static_cast<int16_t>(ball_whole_x());
            man->target_y = 1792;
        } else {
            man->target_x = man->x;
            man->target_y = 0;
        }
    }
    set_target_offset(man);
    set_heading_to_target(man);
    run(man, 16);
    if ((man->arrived && !m.umpire_with_ball) || m.ball_holder ||
        (ball_held_value() && !(ball_state.flight_flags & 0x8000)))
        man->man_flags2 &= static_cast<uint16_t>(~MAN2_SET_PLAY_WAIT);
}

void act_quickstep_to_face(PlayerSlot* man)
{
    const PlayerSlot* c = match_globals.controlled_man_a;
    if (!c) return;
    const bool across = c->side == 2 ? c->facing >= 32 && c->facing <= 96 : c->facing >= 160 && c->facing <= 224;
    if (!across) return;
    const int32_t d = vector_angle(c->x - man->x, c->y - man->y);
    set_headings(man, d);
    if (man->facing != d || !is_standing_anim(man)) return;
    const int32_t px = c->x + fixed_sin(c->facing, 7680), py = c->y + fixed_cos(c->facing, 7680);
    const int32_t s = angle_diff(vector_angle(px - man->x, py - man->y), man->facing);
    if (s < 0)
        play_man_animation(man, ANIM_QUICKSTEP_LEFT, 0, 2.0);
    else if (s > 0)
        play_man_animation(man, ANIM_QUICKSTEP_RIGHT, 0, 2.0);
}

void act_fetch_ball_to_centre(PlayerSlot* man)
{
    head_for(man, 0, 0);
    man->arrived = 0;
    if (near_both(man, 0, 0, CLOSE)) {
        play_man_animation(man, ANIM_STANDING_PICKUP, 0, 1.0);
        set_busy(man);
        place_ball(0, 0);
        man->man_flags2 &= static_cast<uint16_t>(~MAN2_AT_SPOT);
        man->target_x = man->x;
        man->target_y = man->y;
        clear_man_motion(man);
        man->action = 6;
        return;
    }
    man->man_flags2 |= MAN2_AT_SPOT;
}

void act_carried_off(PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    const PlayerSlot* lead = m.lead_medic[0];
    const PlayerSlot* second = m.lead_medic[1];
    if (!lead || !second) return;
    const auto a = static_cast<uint8_t>(vector_angle(second->x - lead->x, second->y - lead->y));
    man->x = clamp16(lead->x + fixed_sin(a, 256));
    man->y = clamp16(lead->y + fixed_cos(a, 256));
    man->arrived = 1;
    clear_man_motion(man);
}

void act_leave_ground_injured(PlayerSlot* man)
{
    MatchGlobals& m = match_globals;
    if (man->man_flags & MAN_BUSY) return;
    man->target_x = man->x;
    man->target_y = -17920; // beyond the side line
    set_target_offset(man);
    if (near_both(man, man->target_x, man->target_y, CLOSE)) {
        man->arrived = 1;
        clear_man_motion(man);
        man->wanted_facing = 0;
        man->move_heading = 0;
        if (man->facing == 0) {
            man->action = 0;
            if (m.injured_man == man) {
                m.injured_man = nullptr;
                m.injury_kind = 255;
            }
            man->busy_flag = 1;
        }
        return;
    }
    man->effort = 35;
    set_heading_to_target(man);
}

namespace {

bool computer_team(const PlayerSlot* man) { return man->team && man->team->human_count == 0; }

uint8_t facing_now(const PlayerSlot* man) { return man->turning ? anim_facing_offset(man) : man->facing; }

} // namespace

bool try_cpu_bump(PlayerSlot* man, PlayerSlot* c)
{
    MatchGlobals& m = match_globals;
    if (m.match_state != 1 && m.match_state != 100) return false;
    if (!computer_team(man) || m.bump_delay > 0 || !c) return false;
    if ((c->man_flags & 0x0502) || (c->man_flags2 & (MAN2_IN_AIR | MAN2_TACKLED)) || c->z != 0) return false;
    if ((c->man_flags & MAN_HANDBALLING) && c->speed != 0) return false;
    const uint32_t anim = (game_random() & 1) ? static_cast<uint32_t>(ANIM_RUNNING_FORWARDS_BUMP) : 375u;
    const uint8_t cf = facing_now(c), af = facing_now(man);
    const int32_t mx = c->x + fixed_sin(cf, 27 * c->speed), my = c->y + fixed_cos(cf, 27 * c->speed);
    const int32_t dir = vector_angle(mx - man->x, my - man->y);
    if (profile_word(man, 28) < 70 && anim == ANIM_RUNNING_FORWARDS_BUMP && int_abs(angle_diff(cf, dir)) < 32)
        return false;
    if (int_abs(angle_diff(af, dir)) > 12) return false;
    const int64_t meet = static_cast<int64_t>(vector_length(mx - man->x, my - man->y)) * 65536 / 27;
    if (meet < 14 * 65536 || meet > 40 * 65536) return false;
    if (std::llabs(meet - man_speed_fixed(man)) > 10 * 65536) return false;
    set_man_speed_fixed(man, static_cast<int32_t>(meet));
    const int32_t whole = static_cast<int32_t>(meet >> 16) * 65536;
    set_man_step_fixed(man, fixed_sin(static_cast<uint8_t>(dir), whole), fixed_cos(static_cast<uint8_t>(dir), whole));
    man->facing = static_cast<uint8_t>(dir);
    man->wanted_facing = static_cast<int16_t>(dir);
    man->target_man = c;
    play_man_animation(man, anim, 0, 1.0);
    man->man_flags |= 0x0880;
    m.bump_delay = (100 - m.difficulty) * 6;
    return true;
}

namespace {

bool free_for_ball(const PlayerSlot* o)
{
    return !o->busy_flag && !o->leaving && o->action == ACT_GO_FOR_BALL && !(o->man_flags & MAN_BUSY) &&
           !(o->man_flags2 & MAN2_INJURED);
}

bool targeted_by_bumper(const PlayerSlot* o, const PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    for (int i = 0; i < m.active_men_count; ++i) {
        const PlayerSlot* x = m.active_men[i];
        if (x->team == man->team && x->target_man == o && x->primary_animation == ANIM_RUNNING_FORWARDS_BUMP)
            return true;
    }
    return false;
}

int32_t distance_to_focus(const PlayerSlot* o, bool free_flight)
{
    if (free_flight) return vector_length(ball_state.landing_x - o->x, ball_state.landing_y - o->y);
    return vector_length(ball_whole_x() - o->x, ball_whole_y() - o->y);
}

} // namespace

void pick_cpu_shepherd(PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    const bool computer = computer_team(man);
    if (!((m.match_state == 1 && computer) || m.match_state == 100)) return;
    if (computer) {
        const bool against_human = man->team->other_team && man->team->other_team->human_count > 0;
        if (against_human && static_cast<int32_t>(game_random() & 127) + m.difficulty - 128 > 0) return;
        if (m.difficulty < 70) return;
    }
    const bool free_flight = ball_kicked_in_air() && !ball_held_value();
    if (distance_to_focus(man, free_flight) > 1280) return;
    // The men nearest the ball come first in the list.
    PlayerSlot* o = nullptr;
    for (int i = 0; i < m.active_men_count && !o; ++i) {
        PlayerSlot* x = m.active_men[i];
        if (x->side != man->side && free_for_ball(x) && !targeted_by_bumper(x, man)) o = x;
    }
    if (man->leaving) return;
    for (int i = 0; i < m.active_men_count; ++i) {
        PlayerSlot* x = m.active_men[i];
        if (x->side != man->side || x->busy_flag || x->action != ACT_GO_FOR_BALL || (x->man_flags & MAN_BUSY) ||
            (x->man_flags2 & MAN2_INJURED))
            continue;
        if (x == man && o) {
            const int32_t dm = distance_to_focus(man, free_flight);
            if (distance_to_focus(o, free_flight) < dm && dm < 1280) try_cpu_bump(man, o);
            return;
        }
        PlayerSlot* pick = nullptr;
        int32_t last = INT32_MAX;
        for (int j = 0; j < m.active_men_count; ++j) {
            PlayerSlot* c = m.active_men[j];
            if (c->side == man->side || !free_for_ball(c)) continue;
            if (c->ball_distance > 1280) break;
            if (vector_length(c->x - man->x, c->y - man->y) < last) {
                pick = c;
                last = c->ball_distance;
            }
        }
        if (pick) try_cpu_bump(man, pick);
    }
}

void act_kick_from_mark(PlayerSlot* man)
{
    MatchGlobals& m = match_globals;
    m.current_kicker = man;
    m.mark_kicker = man;
    close_hud_panels();
    take_mark_spot(man);
    start_kick(man);
    m.last_kicker = nullptr;
    man->action = 0;
}

void act_run_unless_ball_held(PlayerSlot* man)
{
    if (match_globals.ball_holder)
        man->action = 0;
    else
        run(man, 42);
}

void act_drop_ball_for_kick(PlayerSlot* man)
{
    play_man_animation(man, ANIM_STATIC_HANDBALL_OVER_LEFT_SHOULDER, 0, 1.0);
    set_busy(man);
    drop_ball_from_hands(man, 45, 24562 - man->x, -man->y, 45, 25600, 45, 128);
}

void act_run_42(PlayerSlot* man) { run(man, 42); }

void act_bounce_attempt(PlayerSlot* man)
{
    if (!holds_ball(man)) {
        man->action = 0;
        return;
    }
    if (!(man->man_flags & 0x0780) && !(man->man_flags2 & MAN2_TACKLED)) {
        play_man_animation(man, ANIM_RUNNING_CHEST_CATCH, 0, 1.0);
        set_busy(man);
        man->action = 0;
    }
}

void act_injured_wait(PlayerSlot* man) { play_injury(man); }

void act_go_for_ball_if_loose(PlayerSlot* man)
{
    if ((ball_state.flags & 0x1) && !(ball_state.flags & 0xCC))
        act_go_for_ball(man);
    else
        man->action = 0;
}

void aim_at_ball_spot(PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    man->target_x = m.ball_spot_x;
    man->target_y = m.ball_spot_y;
    man->effort = 70;
    set_target_offset(man);
    set_heading_to_target(man);
}

void act_run_ahead(PlayerSlot* man)
{
    man->wanted_facing = static_cast<int16_t>(man->move_heading & 255);
    const auto h = static_cast<uint8_t>(man->move_heading);
    man->target_x = clamp16(man->x + fixed_sin(h, RUN_AHEAD));
    man->target_y = clamp16(man->y + fixed_cos(h, RUN_AHEAD));
}

void act_handoff(PlayerSlot* man)
{
    const MatchGlobals& m = match_globals;
    if (!holds_ball(man)) return;
    if (man->man_flags & MAN_HANDING_OFF) {
        const uint8_t h = man->side == 2 ? 64 : 192;
        set_headings(man, h);
        man->target_x = clamp16(man->x + fixed_sin(h, RUN_AHEAD));
        man->target_y = clamp16(man->y + fixed_cos(h, RUN_AHEAD));
        return;
    }
    PlayerSlot* o = man->target_man;
    for (int i = 0; i < m.active_men_count && !o; ++i)
        if (m.active_men[i]->side != man->side && !m.active_men[i]->busy_flag) o = m.active_men[i];
    if (o) {
        const int32_t d = angle_diff(vector_angle(o->x - man->x, o->y - man->y), man->facing);
        play_man_animation(man, d <= 0 ? 27 : 28, 0, 1.0); // HANDOFF_LEFT, HANDOFF_RIGHT
        man->man_flags |= MAN_HANDING_OFF | MAN_BUSY;
    }
    man->action = 0;
}

void act_charge_down(PlayerSlot* man)
{
    play_man_animation(man, ANIM_CHARGE_DOWN, 0, 1.0);
    set_busy(man);
    man->man_flags2 |= MAN2_CHARGE_DOWN;
    man->wanted_facing = static_cast<int16_t>(man->move_heading & 255);
}

void stop_injured_rolls()
{
    const MatchGlobals& m = match_globals;
    for (int i = 0; i < m.active_men_count; ++i) {
        PlayerSlot* man = m.active_men[i];
        if (man->busy_flag || man->primary_animation != ANIM_INJURED_ROLL) continue;
        play_man_animation(man, ANIM_STAND, 0, 1.0);
        man->action = 0;
    }
}
