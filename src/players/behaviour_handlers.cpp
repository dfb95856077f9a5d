#include "players/behaviour_handlers.h"

#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/kick_out_positions.h"
#include "match/kick_outs.h"
#include "match/man_behaviours.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "match/match_watches.h"
#include "match/proposals.h"
#include "match/rule_queries.h"
#include "match/stoppages.h"
#include "players/anim_driver.h"
#include "players/contact_tables.h"
#include "players/contest_groups.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/occupancy.h"
#include "players/team_ai.h"
#include "platform/controllers.h"

#include <cmath>
#include <cstdlib>
#include <initializer_list>

int32_t event_count = 0;
int32_t camera_mode = 0, stored_camera_mode = 0;

namespace {

MatchGlobals& G() { return match_globals; }

constexpr uint16_t ACT_RUN_STICK = 6;
constexpr uint16_t ACT_KICK = 49;
constexpr uint16_t ACT_HANDBALL = 22;
constexpr uint16_t ACT_SMOTHER = 19;
constexpr uint16_t ACT_BOUNCE = 50;
constexpr uint32_t ANIM_BOUNCE = 193, ANIM_BUMP = 264, ANIM_LUNGE = 375;
constexpr uint32_t FINISH_MARK_SPOIL = 357, START_MARK_SPOIL = 355;

bool busy(const PlayerSlot* m) { return (m->man_flags & MAN_BUSY) != 0; }

int group_slot(const ContestGroup* g) { return contest_group_index(g); }

const GroupSteer* steer_of(const PlayerSlot* man)
{
    const int gi = group_slot(man->contest_group);
    return gi < 0 ? nullptr : &group_steer[gi];
}

int32_t stick_code(const PlayerSlot* man) { return man->contest_group ? man->contest_group->dirs & 15 : 0; }

uint8_t compass_heading(int32_t index)
{
    static const uint8_t headings[9] = {0, 0, 32, 64, 96, 128, 160, 192, 224};
    return headings[index < 0 || index > 8 ? 0 : index];
}

void stop_at(PlayerSlot* man)
{
    man->action = ACT_STAND;
    man->target_x = man->x;
    man->target_y = man->y;
}

void run_along(PlayerSlot* man, uint8_t heading, int32_t distance)
{
    man->action = ACT_RUN_STICK;
    man->target_x = clamp16(man->x + fixed_sin(heading, distance));
    man->target_y = clamp16(man->y + fixed_cos(heading, distance));
}

void finish_mark_spoil(double rate)
{
    PlayerSlot* on_mark = G().controlled_man_b;
    if (on_mark && on_mark->secondary_data) {
        set_man_animation(on_mark, FINISH_MARK_SPOIL, 0, rate);
        on_mark->action = ACT_STAND;
    }
}


uint8_t angle_between(const PlayerSlot* a, int32_t x, int32_t y)
{
    return static_cast<uint8_t>(vector_angle(x - a->x, y - a->y));
}

bool high_ball_in_flight(const PlayerSlot* man)
{
    return (ball_state.flight_flags & FLIGHT_MOVING) && (ball_state.flight_flags & 0x8440) &&
           vector_length(ball_whole_x() - man->x, ball_whole_y() - man->y) <= 3840 && (ball_state.z >> 16) > 607;
}

bool nearest_to_landing_in_group(const PlayerSlot* man) { return is_group_leader_by_landing(man); }

void set_up_mark_fields(PlayerSlot* man)
{
    man->air_timer = person_skill(man, 25) << 16;
    man->mark_spot_heading = man->facing;
    man->air_word = 0x200;
}

// The bump's search; anim: 264 for a bump, 375 for a lunge. True when started.
bool bump_search(PlayerSlot* man, uint32_t anim, bool straight_if_none)
{
    const MatchGlobals& g = G();
    if (busy(man) || !man->team)
        return false;
    PlayerSlot* best = nullptr;
    int32_t best_score = 0, best_d = 0;
    for (int i = 0; i < men_in_use(); ++i) {
        PlayerSlot* o = &man->team->other_team->slots[i];
        if (o->busy_flag || (o->man_flags & 0x500) || (o->man_flags2 & 0x01))
            continue;
        const int32_t ox = o->x + fixed_sin(o->facing, 27 * o->speed);
        const int32_t oy = o->y + fixed_cos(o->facing, 27 * o->speed);
        if (std::abs(ox - man->x) > 1280 || std::abs(oy - man->y) > 1280)
            continue;
        const uint8_t a = angle_between(man, ox, oy);
        const int32_t err = std::abs(angle_diff(a, man->facing));
        const int32_t d = vector_length(ox - man->x, oy - man->y);
        if (err > 40 || d < 512)
            continue;
        int32_t score = 16 * err + d;
        if (o == g.ball_holder)
            score -= 1000;
        if (!best || score < best_score) {
            best = o;
            best_score = score;
            best_d = d;
        }
    }
    if (!best) {
        if (!straight_if_none)
            return false;
        man->air_timer = 18 << 16;
        man->path_dx = static_cast<int16_t>(fixed_sin(man->facing, 18));
        man->path_dy = static_cast<int16_t>(fixed_cos(man->facing, 18));
        man->target_man = nullptr;
        play_man_animation(man, anim, 0, 1.0);
        man->man_flags |= 0x0880;
        man->wanted_facing = man->facing;
        return true;
    }
    const int32_t length = (best_d << 16) / 27;
    if (length < 0xE0000 || length > 0x320000 || std::abs(length - man->air_timer) > 0xA0000)
        return false;
    const uint8_t a = angle_between(man, best->x, best->y);
    man->air_timer = length;
    man->path_dx = static_cast<int16_t>(fixed_sin(a, length >> 16));
    man->path_dy = static_cast<int16_t>(fixed_cos(a, length >> 16));
    man->target_man = best;
    play_man_animation(man, anim, 0, 1.0);
    man->man_flags |= 0x0880;
    man->facing = a;
    man->wanted_facing = a;
    return true;
}

void confirm_opposing_formation(PlayerSlot* man)
{
    MatchGlobals& g = G();
    TeamRecord* team = man->team;
    if (!team)
        return;
    const int32_t choice = team->setup_choice < 0 ? 0 : (team->setup_choice > 7 ? 7 : team->setup_choice);
    team->setup_chosen = 1;
    PlayerSlot* mark_man = nullptr;
    if (choice < 7)
        mark_man = nearest_free_player_to_goal(team);
    set_focus_player(mark_man);
    g.controlled_man_b = mark_man;
    choose_oppose_kickout_positions(team, choice);
    g.flow_flags = static_cast<uint16_t>((g.flow_flags | CLOCK_RUNNING) & ~CLOCK_STOPPED);
}

bool kicking_side(const PlayerSlot* man) { return man->side == G().awarded_side; }

bool kick_out_ready() { return kick_out_kicker_ready() != 0; }

void kick_out_option(PlayerSlot* man, int32_t option)
{
    MatchGlobals& g = G();
    if (!kicking_side(man)) {
        confirm_opposing_formation(man);
        return;
    }
    if (!kick_out_ready())
        return;
    TeamRecord* team = man->team;
    if (!team->option_chosen) {
        team->option_choice = static_cast<uint8_t>(option);
        team->option_chosen = 1;
        const FormationSpot p = kickout_option_point(team->setup_choice, option);
        g.kick_out_spot_x = clamp16(p.x);
        g.kick_out_spot_y = clamp16(p.y);
    } else if (g.kick_out_formed) {
        // The kick goes once the men stand in the plan and the option's spot
        // is the restart target; a press before that only waits.
        set_restart_target(man);
    }
}

} // namespace

// ---- Steering ----

void steer_controlled_man(PlayerSlot* man)
{
    MatchGlobals& g = G();
    if (man->man_flags & (0x2000 | MAN_BUSY))
        return;
    if (camera_mode == 1) {
        steer_in_camera_mode(man);
        return;
    }
    const int32_t code = stick_code(man);
    if (code) {
        const GroupSteer* s = steer_of(man);
        const uint8_t heading = compass_heading(s ? s->index : 0);
        run_along(man, heading, 7680);
        man->wanted_facing = heading;
        if (man == g.ball_holder && g.match_state == 1)
            man_ball_distance_check(man);
        if (g.match_state == 41 && man == g.controlled_man_b && g.controlled_man_a) {
            const PlayerSlot* k = g.controlled_man_a;
            const int32_t d = vector_length(k->x - man->x, k->y - man->y);
            if (d < man->mark_stand_distance - 128) {
                g.offender = man;
                g.awarded_side = k->side;
                g.offending_side = man->side;
                award_free_kick(nullptr, 16);
            }
        }
        return;
    }
    stop_at(man);
}

void steer_in_camera_mode(PlayerSlot* man)
{
    static const uint8_t turn_steps[27] = {4, 4, 4, 3, 3, 3, 3, 3, 3, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    const int32_t code = stick_code(man);
    const int32_t top = man->top_speed > 0 ? man->top_speed : 1;
    int32_t idx = static_cast<int32_t>(std::abs(man->speed)) * 26 / top;
    if (idx > 26)
        idx = 26;
    if (code & 4)
        man->facing = static_cast<uint8_t>(man->facing - turn_steps[idx]);
    if (code & 8)
        man->facing = static_cast<uint8_t>(man->facing + turn_steps[idx]);
    if (code & 1) {
        if (is_walking_backwards(man))
            play_man_animation(man, ANIM_STAND, 0, 1.0);
        run_along(man, man->facing, 1536);
    } else if (code & 2) {
        if (man->primary_animation == ANIM_STAND || is_standing_anim(man)) {
            play_man_animation(man, 147, 0, 1.0);
            run_along(man, man->facing, 1536);
        } else {
            stop_at(man);
        }
    } else {
        if (is_walking_backwards(man))
            play_man_animation(man, ANIM_STAND, 0, 1.0);
        stop_at(man);
    }
    man->wanted_facing = man->facing;
    man->action_arg = man->facing;
}

void steer_loose_ball_man(PlayerSlot* man)
{
    MatchGlobals& g = G();
    if ((g.match_state == 41 || g.match_state == 49) && !in_field(man->x, man->y))
        return;
    if (busy(man) && !(man == g.ball_holder && man->primary_animation == 241))
        return;
    const int32_t code = stick_code(man);
    if (!code) {
        stop_at(man);
        return;
    }
    BallState& b = ball_state;
    // Aftertouch: the clock still above the mark the kick's release left,
    // which a contest kick sets 62 ticks back (the clock runs down).
    if (g.period_clock > g.kick_time_mark && (b.flight_flags & 0x60) && b.vz > 0 && b.bounce_count == 0) {
        const int32_t k = static_cast<int32_t>(std::lround(g.aftertouch_strength * 327.68));
        if (std::abs(b.vy) < std::abs(b.vx)) {
            if (code & 1) b.vy += k;
            if (code & 2) b.vy -= k;
        } else {
            if (code & 8) b.vx += k;
            if (code & 4) b.vx -= k;
        }
        set_ball_landing_point(&b);
        return;
    }
    const GroupSteer* s = steer_of(man);
    const uint8_t heading = compass_heading(s ? s->index : 0);
    run_along(man, heading, 7680);
    PlayerSlot* o = man->fight_opponent;
    if (g.match_state == 3 && o) {
        const uint8_t to = angle_between(man, o->x, o->y);
        if (std::abs(angle_diff(man->facing, to)) <= 7 && vector_length(o->x - man->x, o->y - man->y) < 768) {
            const int32_t turn = angle_diff(heading, man->facing);
            if (std::abs(turn) > 96) {
                play_man_animation(man, 312, 0, 1.0);
                man->man_flags |= MAN_BUSY;
            } else if (std::abs(turn) >= 33) {
                play_man_animation(man, turn > 0 ? 373 : 372, 0, 1.0);
                man->man_flags |= MAN_BUSY;
            }
        }
    }
}

void clear_in_contest_flag(PlayerSlot* man) { man->man_flags &= static_cast<uint16_t>(~MAN_IN_CONTEST); }
void clear_action(PlayerSlot* man) { man->action = ACT_STAND; }
void choose_teammate(PlayerSlot* man) { man->target_man = choose_best_teammate(man); }
void choose_teammate_reset(PlayerSlot* man)
{
    man->target_man = choose_best_teammate(man);
    man->loose_ball_choice = 0;
}
void set_loose_ball_choice(PlayerSlot* man) { man->loose_ball_choice = 1; }

void hold_ball_run(PlayerSlot* man)
{
    if (man == G().ball_holder && !busy(man) && man->speed >= 14 && man->team && man->team->tactic_a == 0) {
        man->action = ACT_BOUNCE;
        man->action_priority = 256;
    }
}

// ---- Fights ----

void fight_move_a(PlayerSlot* man)
{
    const PlayerSlot* o = man->fight_opponent;
    start_animation_by_id(man, o && (o->man_flags & 0x400) ? 305 : ((game_random() & 1) ? 300 : 299));
}
void fight_move_b(PlayerSlot* man)
{
    const PlayerSlot* o = man->fight_opponent;
    start_animation_by_id(man, o && (o->man_flags & 0x400) ? 306 : ((game_random() & 1) ? 297 : 298));
}
void fight_move_c(PlayerSlot* man)
{
    const PlayerSlot* o = man->fight_opponent;
    start_animation_by_id(man, o && (o->man_flags & 0x400) ? 307 : 296);
}
void fight_move_d(PlayerSlot* man) { start_animation_by_id(man, (game_random() & 1) ? 301 : 302); }
void fight_move_e(PlayerSlot* man) { start_animation_by_id(man, (game_random() & 1) ? 303 : 304); }
void fight_move_f(PlayerSlot* man) { start_animation_by_id(man, 305); }
void fight_move_g(PlayerSlot* man) { start_animation_by_id(man, 306); }
void fight_move_h(PlayerSlot* man) { start_animation_by_id(man, 307); }

int32_t start_animation_by_id(PlayerSlot* man, int32_t anim)
{
    MatchGlobals& g = G();
    if (man->contest_group && !is_group_leader(man))
        return 0;
    const int32_t s = g.match_state;
    if (s != 1 && s != 3 && s != 44)
        return 0;
    if (s == 3 && man->melee && man->primary_animation >= 296 && man->primary_animation <= 309)
        return 0;
    PlayerSlot* o = nearest_opponent(man);
    if (!o)
        return 0;
    if (o->contest_group && contest_regroup_allowed(o, 1))
        contest_restart_with(o);
    const int32_t d = vector_length(o->x - man->x, o->y - man->y);
    if (!((d < 768 || s == 44) && o->speed < 19 && (s == 3 || s == 44 || !(o->man_flags & 0xD88))))
        return 0;
    if (g.ball_holder == o)
        give_ball_to(nullptr);
    const uint8_t a = angle_between(man, o->x, o->y);
    for (PlayerSlot* p : {man, o}) {
        p->target_x = p->x;
        p->target_y = p->y;
        p->move_dx = p->move_dy = 0;
        p->velocity_x = p->velocity_y = 0;
        p->arrived = 1;
        p->action = 1;
        p->secondary_animation = 0;
        p->primary_position = 0;
    }
    man->facing = a;
    man->wanted_facing = a;
    o->facing = static_cast<uint8_t>(a + 128);
    o->wanted_facing = static_cast<uint8_t>(a + 128);
    man->fight_opponent = o;
    o->fight_opponent = man;
    man->queued_blow = static_cast<uint16_t>(anim);
    o->queued_blow = 0;
    for (PlayerSlot* p : {man, o})
        if (!p->melee) {
            p->melee = 1;
            ++p->rack_offs;
            p->stamina = static_cast<uint8_t>(person_skill(p, 21) + person_skill(p, 24));
        }
    if (!g.fight_started) {
        if (s != 44) {
            g.fight_return_state = static_cast<uint8_t>(s);
            g.fight_pair[0] = man;
            g.fight_pair[1] = o;
        }
        if (man->melee && o->melee) {
            for (PlayerSlot* p : {man, o})
                if (p->team && p->team->human_count) {
                    for (int i = 0; i < GROUND_MEN; ++i)
                        if (ContestGroup* grp = p->team->slots[i].contest_group) {
                            contest_clear(grp);
                            grp->men[0] = p;
                            p->contest_group = grp;
                            break;
                        }
                }
            g.fight_started = 1;
            set_match_state(3);
        }
    }
    return 1;
}

// ---- Holder buttons ----

void kick_or_pass(PlayerSlot* man)
{
    MatchGlobals& g = G();
    if (man != g.ball_holder)
        return;
    if (busy(man)) {
        if (man->primary_animation == ANIM_BOUNCE)
            g.kicker_ball_action = ACT_KICK;
        return;
    }
    const int32_t r = kick_range(man);
    const uint8_t goal_angle = angle_between(man, attacked_goal_x(man), 0);
    const GroupSteer* s = steer_of(man);
    const uint8_t heading = stick_code(man) && s ? compass_heading(s->index) : man->facing;
    PlayerSlot* target = nullptr;
    int32_t kind = KICK_TO_MAN;
    int32_t px, py;
    if (in_goal_range(man, r, man->x, man->y) &&
        ((static_cast<uint8_t>(goal_angle + 16) >> 5) == (static_cast<uint8_t>(heading + 16) >> 5))) {
        const uint8_t aim = static_cast<uint8_t>(attribute_random_check(man, goal_angle, 0, 1));
        px = man->x + fixed_sin(aim, r);
        py = man->y + fixed_cos(aim, r);
        if (g.previous_match_state != 9 && (game_random() & 1))
            presentation::commentate(10, man->team == &team_records[0] ? 0 : 1, man->number, 0, 0, 20);
    } else {
        collect_pass_candidates();
        int32_t best = 0;
        for (int i = 0; i < 19 && (g.kick_list[i].man || g.kick_list[i].goal); ++i) {
            if (g.kick_list[i].goal)
                continue;
            int32_t k = 0;
            const int32_t sc = man->team->disposal_mode == 0
                                   ? disposal_option_to_man(man, g.kick_list[i].man, &k, r, g.kick_list[i].angle)
                                   : rate_kick_to_man(man, g.kick_list[i].man, &k, r, g.kick_list[i].angle);
            if (sc > best) {
                best = sc;
                target = g.kick_list[i].man;
                kind = k;
            }
        }
        if (target) {
            px = target->x;
            py = target->y;
        } else {
            if (man->team->disposal_mode == 0)
                return;
            px = man->x + 64 * man->velocity_x + fixed_sin(man->facing, 6400);
            py = man->y + 64 * man->velocity_y + fixed_cos(man->facing, 6400);
        }
    }
    int16_t cx = clamp16(px), cy = clamp16(py);
    clamp_to_field(&cx, &cy);
    man->target_man = target;
    man->target_x = cx;
    man->target_y = cy;
    man->action_arg = static_cast<uint16_t>(kind);
    man->action = ACT_KICK;
    man->kick_lock = 1;
    if (g.match_state == 41 || g.match_state == 45) {
        const uint8_t line = angle_between(man, cx, cy);
        const uint8_t to_spot = angle_between(man, g.mark_x, g.mark_y);
        if (std::abs(angle_diff(line, to_spot + 128)) <= 32 ||
            vector_length(man->x - man->mark_spot_x, man->y - man->mark_spot_y) <= 384) {
            g.set_shot = 1;
        } else {
            g.play_on = 1;
            finish_mark_spoil(6.0);
            g.set_shot = 0;
        }
        if (g.match_state == 41)
            set_match_state(45);
    }
}

void handball_to_man(PlayerSlot* man)
{
    MatchGlobals& g = G();
    if (man != g.ball_holder)
        return;
    if (busy(man) && !(man->man_flags2 & 0x40)) {
        if (man->primary_animation == ANIM_BOUNCE)
            g.kicker_ball_action = ACT_HANDBALL;
        return;
    }
    if (man->secondary_data || !in_field(man->x, man->y))
        return;
    const GroupSteer* s = steer_of(man);
    const uint8_t heading = stick_code(man) && s ? compass_heading(s->index) : man->facing;
    collect_pass_candidates();
    PlayerSlot* best = nullptr;
    int32_t best_score = 0, best_code = 0;
    for (int i = 0; i < 19 && g.handball_list[i].man; ++i) {
        int32_t code = 0;
        const int32_t sc = man->team->disposal_mode == 0
                               ? aim_at_moving_man(man, g.handball_list[i].man, &code, g.handball_list[i].angle)
                               : aim_at_moving_man_b(man, g.handball_list[i].man, &code, g.handball_list[i].angle);
        if (sc > best_score) {
            best_score = sc;
            best = g.handball_list[i].man;
            best_code = code;
        }
    }
    int32_t px, py, arg;
    if (best) {
        px = best->x;
        py = best->y;
        arg = best_code;
    } else {
        if (man->team->disposal_mode == 0)
            return;
        px = man->x + 16 * man->velocity_x + fixed_sin(heading, 640);
        py = man->y + 16 * man->velocity_y + fixed_cos(heading, 640);
        arg = 6;
    }
    man->target_man = best;
    man->target_x = clamp16(px);
    man->target_y = clamp16(py);
    man->action_arg = static_cast<uint16_t>(arg);
    man->action = ACT_HANDBALL;
    man->action_priority = (man->man_flags2 & 0x40) ? 10 : 1000;
}

void switch_contest_man(PlayerSlot* man)
{
    if (!man->contest_group || !contest_regroup_allowed(man, 1))
        return;
    const int32_t reach = (skill_value(man, 62, 12) + 31) / 2;
    ContestGroup* g = man->contest_group;
    contest_clear(g);
    contest_collect_range(man, reach > 3 ? 3 : (reach < 1 ? 1 : reach), 0);
    if (!gathering[0]) {
        g->men[0] = man;
        man->contest_group = g;
        man->man_flags |= MAN_IN_CONTEST;
        return;
    }
    assign_gathered(g);
}

void toggle_camera_mode(PlayerSlot*)
{
    if (camera_mode == 1) {
        camera_mode = stored_camera_mode;
    } else {
        stored_camera_mode = camera_mode;
        camera_mode = 1;
    }
    presentation::flag_camera_resetup();
}

void tackle_or_smother(PlayerSlot* man)
{
    const MatchGlobals& g = G();
    if (man->contest_group && (man->contest_group->buttons & 4)) {
        bump_opponent(man);
        return;
    }
    if (busy(man))
        return;
    PlayerSlot* target = g.ball_holder ? g.ball_holder : g.shepherd_man;
    if (!target)
        return;
    const int32_t d = octagonal_distance(target->x - man->x, target->y - man->y);
    if (d > 1024)
        return;
    if (d > 384 && lunge_at_opponent(man))
        return;
    man->action = man->spoil_countdown > 0 ? 73 : ACT_TACKLE;
    man->target_man = target;
    const int32_t p = 304 - man->ball_distance * 254 / 1280;
    man->action_priority = static_cast<uint16_t>(p < 0 ? 0 : p);
}

void bump_opponent(PlayerSlot* man)
{
    if (G().match_state != 1)
        return;
    bump_search(man, ANIM_BUMP, true);
}

int32_t lunge_at_opponent(PlayerSlot* man) { return bump_search(man, ANIM_LUNGE, false) ? 1 : 0; }

void smother_kick(PlayerSlot* man)
{
    const MatchGlobals& g = G();
    PlayerSlot* h = g.ball_holder;
    if (!h || !is_group_leader(man) || (man->man_flags & 0x180))
        return;
    const uint8_t hw = static_cast<uint8_t>(h->wanted_facing);
    if (std::abs(angle_diff(angle_between(h, man->x, man->y), hw)) > 32)
        return;
    if (h->primary_animation != 21 && h->primary_animation != 24)
        return;
    int32_t d[3] = {0, 0, 0};
    get_animation_displacement(d, h->primary_animation, 0, h->primary_position >> 16, h->facing);
    const int32_t kx = h->x + (d[0] >> 8), ky = h->y + (d[2] >> 8);
    const uint8_t a = angle_between(man, kx, ky);
    if (std::abs(angle_diff(a, hw + 128)) > 50 || std::abs(angle_diff(a, man->facing)) > 50)
        return;
    if (man->turning) {
        man->turning = 0;
        man->facing = anim_facing_offset(man);
        man->wanted_facing = a;
    }
    man->action = ACT_SMOTHER;
    man->target_man = h;
    man->action_arg = a;
}

// ---- Loose-ball buttons ----

void spoil_or_mark(PlayerSlot* man)
{
    if (high_ball_in_flight(man)) {
        if (!nearest_to_landing_in_group(man) || busy(man))
            return;
        set_up_mark_fields(man);
        if (man->speed == 0) {
            man->action = 59;
        } else {
            man->action = 60;
            man->path_dx = static_cast<int16_t>(fixed_sin(man->facing, 8));
            man->path_dy = static_cast<int16_t>(fixed_cos(man->facing, 8));
        }
        if (!ball_is_loose_in_air())
            return;
        PlayerSlot* near = find_nearest_man(man);
        auto attempt = [&](int32_t action, PlayerSlot* t) {
            if (!test_ball_action(man, action, t, 1))
                return false;
            man->action = static_cast<uint16_t>(action);
            return true;
        };
        if (near && attempt(71, near))
            return;
        if (man->speed != 0 && (attempt(60, nullptr) || attempt(58, nullptr)))
            return;
        if (man->speed < 13 && (attempt(59, nullptr) || attempt(57, nullptr)))
            return;
        return;
    }
    if (is_group_leader(man) && man->contest_group && (man->contest_group->buttons & 4))
        bump_opponent(man);
}

void punch_ball_on(PlayerSlot* man)
{
    if (busy(man))
        return;
    if (!high_ball_in_flight(man)) {
        man->loose_ball_choice = 0;
        man->target_man = choose_best_teammate(man);
        return;
    }
    if (!nearest_to_landing_in_group(man))
        return;
    set_up_mark_fields(man);
    man->action = man->speed < 14 ? 63 : 67;
    if (!test_ball_action(man, man->action, man->target_man, 1)) {
        const uint8_t a = static_cast<uint8_t>(man->facing + static_cast<int32_t>(game_random() & 31) - 16);
        const int32_t r = (static_cast<int32_t>(game_random() & 7) + 3) << 8;
        man->spoil_target_x = (man->x + fixed_sin(a, r)) << 16;
        man->spoil_target_y = (man->y + fixed_cos(a, r)) << 16;
        man->target_man = nullptr;
    }
}

// ---- Set kicks ----

void steer_kick_run_up(PlayerSlot* man)
{
    MatchGlobals& g = G();
    if (g.meter_phase == 1) {
        const int32_t step = g.difficulty > 50 ? g.difficulty : 50;
        g.meter_value += step;
        if (g.meter_value >= g.meter_max) {
            g.meter_value = g.meter_max;
            take_set_kick(man, 36);
        }
    } else if (g.meter_phase == -2) {
        const int32_t step = g.difficulty > 50 ? g.difficulty : 50;
        g.meter_value -= 2 * step;
        if (g.meter_value < 1) {
            g.meter_value = 0;
            take_set_kick(man, 36);
        }
    }
    if (man->action == man->set_action && man->set_action)
        return;
    const int32_t code = stick_code(man);
    const int32_t top = g.meter_max > 0 ? g.meter_max : METER_MAXIMUM;
    if (!code) {
        PlayerSlot* t = g.disposal_target;
        if (t) {
            const int32_t d = vector_length(t->x - man->x, t->y - man->y);
            if (d > 2560 && d <= top) {
                man->aim_x = t->x;
                man->aim_y = t->y;
                g.meter_ideal = d;
                g.meter_aim_angle = angle_between(man, t->x, t->y);
            }
        }
        return;
    }
    g.disposal_target = nullptr;
    const ContestGroup* grp = man->contest_group;
    auto step = [&](int bit) {
        const int32_t held = grp ? grp->dir_count[bit].held : 0;
        const int32_t v = 8 * held;
        return v > 32 ? 32 : v;
    };
    int32_t x = man->aim_x, y = man->aim_y;
    if (code & 1) y += step(0);
    if (code & 2) y -= step(1);
    if (code & 8) x += step(3);
    if (code & 4) x -= step(2);
    x = x < -25842 ? -25842 : (x > 25842 ? 25842 : x);
    y = y < -17664 ? -17664 : (y > 17664 ? 17664 : y);
    int32_t d = vector_length(x - man->x, y - man->y);
    const uint8_t a = angle_between(man, x, y);
    if (d < 2560 || d > top) {
        d = d < 2560 ? 2560 : top;
        x = man->x + fixed_sin(a, d);
        y = man->y + fixed_cos(a, d);
    }
    man->aim_x = clamp16(x);
    man->aim_y = clamp16(y);
    g.meter_ideal = d;
    g.meter_aim_angle = a;
}

void take_set_kick(PlayerSlot* man, int32_t kind)
{
    MatchGlobals& g = G();
    switch (g.meter_phase) {
    case 0:
        g.meter_phase = 1;
        g.meter_value = 0;
        if (g.meter_max <= 0)
            g.meter_max = kick_range(man);
        g.kick_chosen = 1;
        return;
    case 1:
        g.meter_stored = g.meter_value;
        g.meter_phase = -2;
        return;
    default:
        break;
    }
    g.meter_phase = 0;
    man->action_arg = static_cast<uint16_t>(kind);
    man->action = man->set_action ? man->set_action : ACT_KICK;
    PlayerSlot* t = g.disposal_target;
    if (t && std::abs(g.meter_stored - g.meter_ideal) < 1280 && std::abs(g.meter_value) < 1280) {
        man->target_man = t;
        man->target_x = t->x;
        man->target_y = t->y;
        return;
    }
    int32_t err = g.meter_aim_error < -32 ? -32 : (g.meter_aim_error > 32 ? 32 : g.meter_aim_error);
    const int32_t tolerance = static_cast<int32_t>(g.meter_max / 256.0);
    if (tolerance >= std::abs(err))
        err = 0;
    const uint8_t dir = static_cast<uint8_t>(man->side == 1 ? g.meter_aim_angle - err : g.meter_aim_angle + err);
    const int32_t dist = g.meter_stored + 1792;
    man->target_man = nullptr;
    man->target_x = clamp16(man->x + fixed_sin(dir, dist));
    man->target_y = clamp16(man->y + fixed_cos(dir, dist));
    if (g.match_state < 59 || g.match_state > 73) {
        const uint8_t to_spot = angle_between(man, g.mark_x, g.mark_y);
        if (std::abs(angle_diff(dir, to_spot)) > 32 &&
            vector_length(man->x - man->mark_spot_x, man->y - man->mark_spot_y) > 384) {
            g.play_on = 1;
            finish_mark_spoil(6.0);
        }
    }
}

void take_kick_36(PlayerSlot* man)
{
    if (G().meter_value < G().meter_max - 1 || G().meter_phase == 0)
        take_set_kick(man, 36);
}
void take_kick_36b(PlayerSlot* man) { take_kick_36(man); }
void take_kick_40(PlayerSlot* man)
{
    if (G().meter_value < G().meter_max - 1 || G().meter_phase == 0)
        take_set_kick(man, 40);
}

void choose_short_target(PlayerSlot* man)
{
    if (man->action != man->set_action)
        choose_disposal_target(man, 1);
}
void choose_long_target(PlayerSlot* man)
{
    if (man->action != man->set_action)
        choose_disposal_target(man, 2);
}

void mark_stand(PlayerSlot* man)
{
    const MatchGlobals& g = G();
    if (man != g.controlled_man_b || is_sidestepping(man) || busy(man))
        return;
    if (man->arrived) {
        man->mark_spot_heading = man->facing;
        man->air_word = 0x200;
        man->air_timer = person_skill(man, 25) << 15;
        man->action = ACT_MARK_UP;
    } else {
        man->man_flags &= static_cast<uint16_t>(~MAN_IN_CONTEST);
    }
}

void check_play_on(PlayerSlot* man)
{
    if (man == G().controlled_man_a && !(man->man_flags & 0x880))
        play_on_check(man);
}

void play_on_check(PlayerSlot* man)
{
    MatchGlobals& g = G();
    if (man == g.ball_holder && stick_code(man) && !g.play_on) {
        g.play_on = 1;
        man->mark_spot_x = man->x;
        man->mark_spot_y = man->y;
        play_man_animation(man, ANIM_STAND, 0, 1.0);
        man->action = ACT_STAND;
        set_match_state(45);
        return;
    }
    steer_controlled_man(man);
    if (vector_length(man->x - man->mark_spot_x, man->y - man->mark_spot_y) > 1024) {
        g.play_on = 1;
        finish_mark_spoil(6.0);
    }
}

// ---- Overlay choices ----

namespace {
uint8_t raw_dirs(const PlayerSlot* man) { return man->contest_group ? man->contest_group->raw_dirs_pressed : 0; }
} // namespace

void stoppage_choice_step(PlayerSlot* man)
{
    TeamRecord* t = man->team;
    if (!t || !is_group_leader(man) || t->setup_chosen)
        return;
    const uint8_t d = raw_dirs(man);
    if (d & 1)
        t->stoppage_choice = 2;
    if (d & 2)
        t->stoppage_choice = -2;
}

void confirm_stoppage_choice(PlayerSlot* man)
{
    TeamRecord* t = man->team;
    if (!t || t->setup_chosen)
        return;
    const int32_t c = t->stoppage_choice;
    t->setup_choice = static_cast<int8_t>(c < 0 ? 0 : (c > 3 ? 3 : c));
    t->setup_chosen = 1;
}

void throw_in_choice_step(PlayerSlot* man)
{
    TeamRecord* t = man->team;
    if (!t || !is_group_leader(man) || t->setup_chosen)
        return;
    const uint8_t d = raw_dirs(man);
    if (d & 1)
        t->stoppage_choice = 1;
    if (d & 2)
        t->stoppage_choice = -1;
}

void confirm_throw_in_choice(PlayerSlot* man)
{
    MatchGlobals& g = G();
    TeamRecord* t = man->team;
    if (!t)
        return;
    g.flow_flags = static_cast<uint16_t>((g.flow_flags | CLOCK_RUNNING) & ~CLOCK_STOPPED);
    const int32_t c = t->stoppage_choice;
    t->setup_choice = static_cast<int8_t>(c < 0 ? 0 : (c > 3 ? 3 : c));
    t->setup_chosen = 1;
}

void option_choice_step(PlayerSlot* man)
{
    TeamRecord* t = man->team;
    if (!t || !is_group_leader(man) || t->option_chosen)
        return;
    const uint8_t d = raw_dirs(man);
    int32_t i = t->option_choice == 255 ? -1 : t->option_choice;
    if (d & 1)
        i = i >= 8 ? 0 : i + 1;
    if (d & 2)
        i = i <= 0 ? 8 : i - 1;
    if (d & 3) {
        t->option_choice = static_cast<uint8_t>(i);
        // The new option's diagram grows again from nothing.
        t->overlay.diagram_growth = 0;
    }
}

void confirm_option_choice(PlayerSlot* man)
{
    MatchGlobals& g = G();
    TeamRecord* t = man->team;
    if (!t || t->option_chosen || t->option_choice == 255 || t->overlay.diagram_growth != OVERLAY_SHOWN)
        return;
    if (g.flow_flags & CLOCK_RUNNING)
        g.flow_flags = static_cast<uint16_t>((g.flow_flags | CLOCK_RUNNING) & ~CLOCK_STOPPED);
    presentation::update_team_overlay(t, 4, 0);
    t->option_chosen = 1;
}

void coin_call_step(PlayerSlot* man)
{
    TeamRecord* t = man->team;
    if (!t || !is_group_leader(man) || t->overlay.toss_done)
        return;
    const uint8_t d = raw_dirs(man);
    int8_t call = 0;
    if (d & 1)
        call = 1;
    if (d & 2)
        call = -1;
    if (!call)
        return;
    // The call turns the coin that way until it rests on a face.
    t->toss_call = call;
    t->overlay.choice = call;
}

void confirm_coin_call(PlayerSlot* man)
{
    TeamRecord* t = man->team;
    if (!t || t->overlay.toss_done)
        return;
    // The face the coin rests on is the call: frame 0 one face, the stop frame
    // the other; a press while it still turns is not taken.
    const TeamOverlayState& o = t->overlay;
    int8_t confirmed;
    if (o.coin_frame == 0)
        confirmed = -1;
    else if (o.coin_frame == o.stop_frame)
        confirmed = 1;
    else
        return;
    t->end_choice = confirmed;
    t->overlay.toss_done = 1;
    G().toss_call[t == &team_records[0] ? 0 : 1] = confirmed;
}

void toss_choice_step(PlayerSlot* man)
{
    TeamRecord* t = man->team;
    if (!t || !is_group_leader(man) || t->overlay.toss_done)
        return;
    const uint8_t d = raw_dirs(man);
    int32_t c = 0;
    if (d & 4)
        c = 1;
    if (d & 8)
        c = 2;
    if (!c)
        return;
    TeamOverlayState& o = t->overlay;
    if (presentation::use_3d_hardware()) {
        // The pointer slides over to the new end before it can swing back.
        if (o.slide_timer != 0 || c == t->toss_call)
            return;
        o.slide_timer = 70;
    }
    t->toss_call = c;
    o.choice = static_cast<int8_t>(c);
}

void confirm_toss_choice(PlayerSlot* man)
{
    TeamRecord* t = man->team;
    if (!t || t->overlay.toss_done || (t->toss_call != 1 && t->toss_call != 2))
        return;
    t->end_choice = t->toss_call;
    t->overlay.toss_done = 1;
}

// ---- Kick-outs ----

void kick_out_choice_step(PlayerSlot* man)
{
    MatchGlobals& g = G();
    TeamRecord* t = man->team;
    if (!t || !is_group_leader(man) || t->setup_chosen || !kick_out_ready())
        return;
    const uint8_t d = man->contest_group ? man->contest_group->dirs_pressed : 0;
    int32_t c = t->setup_choice < 0 ? 0 : (t->setup_choice > 7 ? 7 : t->setup_choice);
    if (d & 8)
        c = c >= 7 ? 0 : c + 1;
    else if (d & 4)
        c = c <= 0 ? 7 : c - 1;
    else
        return;
    t->setup_choice = static_cast<int8_t>(c);
    if (kicking_side(man))
        choose_kickout_positions(t, c);
    else
        choose_oppose_kickout_positions(t, c);
    g.restart_countdown = 8 * 2 * g.tick_step;
}

void confirm_kick_out_choice(PlayerSlot* man)
{
    MatchGlobals& g = G();
    TeamRecord* t = man->team;
    if (!t || t->setup_chosen)
        return;
    if (!kicking_side(man)) {
        confirm_opposing_formation(man);
        return;
    }
    const int32_t c = t->setup_choice < 0 ? 0 : (t->setup_choice > 7 ? 7 : t->setup_choice);
    t->setup_chosen = 1;
    choose_kickout_positions(t, c);
    g.flow_flags = static_cast<uint16_t>((g.flow_flags | CLOCK_RUNNING) & ~CLOCK_STOPPED);
}

void kick_out_option_0(PlayerSlot* man) { kick_out_option(man, 0); }
void kick_out_option_1(PlayerSlot* man) { kick_out_option(man, 1); }
void kick_out_option_2(PlayerSlot* man) { kick_out_option(man, 2); }
void kick_out_option_3(PlayerSlot* man) { kick_out_option(man, 3); }
void kick_out_option_0b(PlayerSlot* man) { kick_out_option(man, 0); }
void kick_out_option_0c(PlayerSlot* man) { kick_out_option(man, 0); }
void kick_out_option_1c(PlayerSlot* man) { kick_out_option(man, 1); }
void kick_out_option_3b(PlayerSlot* man) { kick_out_option(man, 3); }

PlayerSlot* kick_out_button_receiver(TeamRecord* team, int32_t b)
{
    const MatchGlobals& g = G();
    const int32_t s = g.match_state;
    if (!team || !team->human_count || team->option_chosen || b < 0 || b > 3 || s < 58 || s > 73 ||
        team->side != g.awarded_side || !kick_out_ready())
        return nullptr;
    const BehaviourHandler h = behaviour_rows_b[phase_table[s]][1 << b];
    int32_t option = -1;
    if (h == kick_out_option_0 || h == kick_out_option_0b || h == kick_out_option_0c)
        option = 0;
    else if (h == kick_out_option_1 || h == kick_out_option_1c)
        option = 1;
    else if (h == kick_out_option_2)
        option = 2;
    else if (h == kick_out_option_3 || h == kick_out_option_3b)
        option = 3;
    if (option < 0)
        return nullptr;
    const int32_t plan = team->setup_choice < 0 ? 0 : (team->setup_choice > 7 ? 7 : team->setup_choice);
    return kickout_receiver(team, plan, option);
}

void take_kick_out(PlayerSlot* man)
{
    if (!kicking_side(man)) {
        confirm_opposing_formation(man);
        return;
    }
    // These plans have no receiver to pick: the first press, while the men
    // form, says the kicker will take it; the presses after it, once they
    // stand, run his meter.
    TeamRecord* team = man->team;
    if (team && !team->option_chosen) {
        if (kick_out_ready())
            team->option_chosen = 1;
        return;
    }
    if (G().kick_out_formed)
        take_kick_36(man);
}

void end_of_kick_out(PlayerSlot* man)
{
    MatchGlobals& g = G();
    play_man_animation(man, 377, 0, 1.0);
    man->man_flags |= MAN_BUSY;
    g.restart_countdown = 0;
    presentation::reset_cameras(7);
}

void set_restart_target(PlayerSlot* man)
{
    MatchGlobals& g = G();
    const int32_t s = g.match_state;
    if (s == 60 || s == 68 || s == 70) {
        const int32_t sign = man->side == 1 ? -1 : 1;
        man->target_x = clamp16(sign * g.kick_out_spot_x);
        man->target_y = clamp16(sign * g.kick_out_spot_y);
        man->action_arg = KICK_TO_HANDS;
    } else if (s == 66) {
        man->target_x = static_cast<int16_t>(man->side == 1 ? 14322 : -14322);
        man->target_y = 0;
        man->action_arg = KICK_INTO_SPACE;
    }
    man->action = man->set_action ? man->set_action : 42;
    if (man->contest_group)
        g.kick_chosen = 1;
    finish_mark_spoil(6.0);
}

void give_ball_action(uint16_t kind, int32_t panel)
{
    MatchGlobals& g = G();
    PlayerSlot* k = g.controlled_man_a;
    if (!k)
        return;
    k->set_action = kind;
    k->run_up_action = kind;
    g.meter_phase = 0;
    g.meter_value = 0;
    g.meter_max = kick_range(k);
    if (panel)
        presentation::open_hud_panel();
}

int32_t within_distance(const PlayerSlot* a, const PlayerSlot* b, int32_t d)
{
    return vector_length(b->x - a->x, b->y - a->y) <= d;
}

void reset_team_contests(TeamRecord* team)
{
    for (int i = 0; i < GROUND_MEN; ++i) {
        PlayerSlot& m = team->slots[i];
        if (ContestGroup* g = m.contest_group)
            contest_clear(g);
    }
    for (int k = 0; k < 4; ++k) {
        const uint8_t n = team->key_men[k];
        if (n >= TEAM_SLOTS)
            continue;
        ContestGroup* g = free_group_for(team);
        if (!g || g->men[0])
            for (ContestGroup& c : controllers)
                if (!c.men[0] && !c.present) {
                    g = &c;
                    break;
                }
        if (!g || g->men[0])
            return;
        PlayerSlot* m = &team->slots[n];
        g->men[0] = m;
        m->contest_group = g;
        m->man_flags |= MAN_IN_CONTEST;
        g->menu_scratch = team->side == 2 ? 64 : 192;
    }
}

void team_contests_reset(TeamRecord* team) { reset_team_contests(team); }

void place_for_practice()
{
    for (TeamRecord& t : team_records)
        for (int i = 0; i < men_in_use(); ++i) place_man_at_spot(&t.slots[i], -5120, 0);
    place_man_at_spot(&team_records[0].slots[0], 0, 0);
    team_records[0].slots[0].facing = 64;
    give_ball_to(&team_records[0].slots[0]);
    place_man_at_spot(&team_records[1].slots[0], 5120, 0);
}

void facing_default(PlayerSlot* man) { man->wanted_facing = man->side == 1 ? 192 : 64; }
void count_event() { ++event_count; }

// ---- Jump spoils ----

void jump_spoil_step(PlayerSlot* man)
{
    steer_controlled_man(man);
    const int32_t code = stick_code(man);
    if (man->spoil_step == 2 && code) {
        if (code & 1) man->spoil_direction = 0;
        else if (code & 4) man->spoil_direction = 192;
        else if (code & 8) man->spoil_direction = 64;
        else if (code & 2) man->spoil_direction = 128;
        man->spoil_step = 1;
    }
    if (man->spoil_step != 1 || !man->team)
        return;
    const int64_t cx = man->spoil_contact_x, cy = man->spoil_contact_y;
    PlayerSlot* best = nullptr;
    int32_t best_err = 0;
    int64_t bx = 0, by = 0;
    for (int i = 0; i < GROUND_MEN; ++i) {
        PlayerSlot* m = &man->team->slots[i];
        if (m == man || m->busy_flag || m->excluded || (m->man_flags & MAN_OUT_OF_PLAY))
            continue;
        if (std::abs(angle_diff(angle_between(man, m->x, m->y), man->spoil_direction)) > 32)
            continue;
        const int64_t speed = m->action == 48 ? static_cast<int64_t>(m->top_speed) * 0x5A0000 / 100
                                              : static_cast<int64_t>(m->speed) << 16;
        const int64_t px = (static_cast<int64_t>(m->x) << 16) + fixed_sin(m->facing, 1024) * speed / 1024 * man->spoil_ticks;
        const int64_t py = (static_cast<int64_t>(m->y) << 16) + fixed_cos(m->facing, 1024) * speed / 1024 * man->spoil_ticks;
        const double d = std::hypot(static_cast<double>(px - cx), static_cast<double>(py - cy));
        if (d < 0x2000000 || d > 0xA000000)
            continue;
        const uint8_t dir = static_cast<uint8_t>(vector_angle(static_cast<int32_t>((px - cx) >> 16),
                                                              static_cast<int32_t>((py - cy) >> 16)));
        const int32_t err = std::abs(angle_diff(dir, man->spoil_direction));
        if (!best || err < best_err) {
            best = m;
            best_err = err;
            bx = px;
            by = py;
        }
    }
    if (best) {
        man->spoil_target_x = static_cast<int32_t>(bx);
        man->spoil_target_y = static_cast<int32_t>(by);
        man->target_man = best;
    } else {
        const uint8_t a = static_cast<uint8_t>(man->spoil_direction + static_cast<int32_t>(game_random() & 31) - 16);
        const int32_t r = (static_cast<int32_t>(game_random() & 7) + 5) << 8;
        man->spoil_target_x = (man->x + fixed_sin(a, r)) << 16;
        man->spoil_target_y = (man->y + fixed_cos(a, r)) << 16;
        man->target_man = nullptr;
    }
    man->spoil_step = 2;
}

// ---- The rows ----

namespace {
using H = BehaviourHandler;
struct Rows {
    H a[BEHAVIOUR_ROWS][BEHAVIOUR_SLOTS] = {};
    H b[BEHAVIOUR_ROWS][BEHAVIOUR_SLOTS] = {};
    Rows()
    {
        for (int r : {0, 1, 2, 13, 15, 16}) a[r][0] = steer_controlled_man;
        a[3][0] = steer_loose_ball_man;
        for (int r : {4, 5})
            for (int s = 0; s <= 6; ++s) a[r][s] = clear_in_contest_flag;
        for (int r : {6, 21, 22, 23, 24, 31, 32}) a[r][0] = steer_kick_run_up;
        for (int r : {7, 17}) a[r][0] = check_play_on;
        a[10][0] = steer_loose_ball_man;
        a[10][1] = fight_move_a;
        a[10][2] = fight_move_b;
        a[10][3] = argue_not_guilty;
        a[10][4] = fight_move_c;
        a[10][8] = fight_move_e;
        a[10][12] = fight_move_d;

        b[0][1] = kick_or_pass;
        b[0][2] = handball_to_man;
        b[0][4] = switch_contest_man;
        b[0][8] = toggle_camera_mode;
        b[1][1] = resolve_contest;
        b[1][4] = switch_contest_man;
        b[2][1] = resolve_contest;
        b[2][2] = tackle_or_smother;
        b[2][4] = switch_contest_man;
        b[2][6] = bump_opponent;
        b[2][8] = smother_kick;
        b[3][2] = spoil_or_mark;
        b[3][4] = switch_contest_man;
        b[3][6] = bump_opponent;
        b[3][8] = punch_ball_on;
        b[3][12] = fight_move_a;
        b[4][1] = resolve_contest;
        for (int s = 1; s <= 6; ++s) b[5][s] = clear_in_contest_flag;
        b[6][1] = take_kick_36;
        b[6][2] = choose_short_target;
        b[6][4] = choose_long_target;
        b[7][0] = check_play_on;
        b[7][1] = kick_or_pass;
        b[7][2] = handball_to_man;
        b[8][1] = clear_action;
        b[8][4] = choose_teammate_reset;
        b[9][2] = mark_stand;
        auto fill = [&](int r, H zero, H rest) {
            b[r][0] = zero;
            for (int s = 1; s < 16; ++s) b[r][s] = rest;
        };
        fill(11, stoppage_choice_step, confirm_stoppage_choice);
        fill(12, option_choice_step, confirm_option_choice);
        for (int r : {13, 15, 16})
            for (int s = 2; s < 16; ++s) b[r][s] = punch_ball_on;
        fill(14, throw_in_choice_step, confirm_throw_in_choice);
        for (int s = 1; s < 16; ++s) b[17][s] = mark_stand;
        fill(18, kick_out_choice_step, confirm_kick_out_choice);
        for (int r : {19, 20}) {
            b[r][0] = kick_out_choice_step;
            b[r][1] = kick_out_option_0;
            b[r][2] = kick_out_option_1;
            b[r][4] = kick_out_option_2;
            b[r][8] = kick_out_option_3;
        }
        for (int r : {21, 22, 23, 24, 31, 32}) fill(r, kick_out_choice_step, take_kick_out);
        for (int r : {25, 26}) fill(r, kick_out_choice_step, kick_out_option_0b);
        for (int r : {27, 28}) {
            b[r][0] = kick_out_choice_step;
            b[r][1] = b[r][4] = kick_out_option_0c;
            b[r][2] = b[r][8] = kick_out_option_1c;
        }
        for (int r : {29, 30}) fill(r, kick_out_choice_step, kick_out_option_3b);
        fill(33, kick_out_choice_step, end_of_kick_out);
        fill(34, coin_call_step, confirm_coin_call);
        fill(35, toss_choice_step, confirm_toss_choice);
    }
};
const Rows rows;
} // namespace

const BehaviourHandler (&behaviour_rows_a)[BEHAVIOUR_ROWS][BEHAVIOUR_SLOTS] = rows.a;
const BehaviourHandler (&behaviour_rows_b)[BEHAVIOUR_ROWS][BEHAVIOUR_SLOTS] = rows.b;
