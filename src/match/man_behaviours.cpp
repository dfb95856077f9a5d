#include "match/man_behaviours.h"

#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/match_flow.h"
#include "match/proposals.h"
#include "model/anim_table.h"
#include "players/anim_driver.h"
#include "players/contact_planners.h"
#include "players/contact_tables.h"
#include "players/contest_groups.h"
#include "players/kicks.h"
#include "players/man_display.h"
#include "players/movement.h"
#include "players/occupancy.h"

#include <cmath>
#include <cstdlib>

namespace {

MatchGlobals& G() { return match_globals; }

int32_t skill(const PlayerSlot* man, int k) { return person_skill(man, k); }

bool out_of_play(const PlayerSlot* man) { return (man->man_flags & MAN_OUT_OF_PLAY) != 0; }

uint8_t angle_to(const PlayerSlot* from, int32_t x, int32_t y)
{
    return static_cast<uint8_t>(vector_angle(x - from->x, y - from->y));
}

int32_t adiff(int32_t a, int32_t b) { return std::abs(angle_diff(a, b)); }

// Sector of the contest's stick heading: the group keeps it in its scratch word.
int32_t contest_facing(const PlayerSlot* man)
{
    return man->contest_group ? (man->contest_group->menu_scratch & 0xFF) : man->facing;
}

bool in_own_half(const PlayerSlot* man) { return man->side == 2 ? man->x < 0 : man->x > 0; }

// The run pattern of the man's facing octant for his side.
const int8_t* facing_pattern(const PlayerSlot* man)
{
    const int s = man->side == 2 ? 1 : 0;
    const int32_t forward = man->side == 2 ? 64 : 192;
    const int32_t d = angle_diff(man->facing, forward);
    if (std::abs(d) <= 16)
        return run_patterns[s][0];
    // For side 2 +y is to the left of +x; the patterns are written that way.
    const bool left = man->side == 2 ? d < 0 : d < 0;
    return run_patterns[s][left ? 1 : 2];
}

// The root travel of a whole animation, turned by a heading (whole units).
void whole_displacement(int32_t out[2], uint32_t anim, uint8_t heading)
{
    int32_t d[3] = {0, 0, 0};
    const int32_t last = anim_last_frame(anim);
    if (last > 0)
        get_animation_displacement(d, anim, 0, last, heading);
    out[0] = d[0] >> 8;
    out[1] = d[2] >> 8;
}

void clear_list(MatchGlobals::DisposalEntry* list)
{
    for (int i = 0; i < 19; ++i) list[i] = {nullptr, 0, 0};
}

bool ball_moving_fast()
{
    const int32_t vx = ball_state.vx >> 16, vy = ball_state.vy >> 16;
    return vx * vx + vy * vy >= 201;
}

} // namespace

int32_t kick_range(const PlayerSlot* man)
{
    return 7680 + skill(man, 20) * 5120 / 255 + (man->contest_group ? 1280 : 0);
}

int32_t in_goal_range(const PlayerSlot* man, int32_t range, int32_t x, int32_t y)
{
    const int32_t gx = attacked_goal_x(man);
    if (approx_vector_length(gx - x, y) >= range)
        return 0;
    if (std::abs(y) > 1792) {
        const int32_t want = man->side == 2 ? 64 : 192;
        if (adiff(vector_angle(gx - x, -y), want) > 50)
            return 0;
    }
    return 1;
}

int32_t in_goal_square(const PlayerSlot* man)
{
    const bool x_in = man->side == 2 ? (man->x > -24562 && man->x < -22258) : (man->x > 22258 && man->x < 24562);
    return x_in && man->y >= -818 && man->y < 819;
}

int32_t point_ahead_in_field(const PlayerSlot* man, int32_t x, int32_t y, int32_t r)
{
    const uint8_t a = angle_to(man, x, y);
    return in_field(clamp16(man->x + fixed_sin(a, r)), clamp16(man->y + fixed_cos(a, r)));
}

int32_t clamp_field_coordinate(int32_t v) { return v < -23282 ? -23282 : (v > 23282 ? 23282 : v); }

int32_t clamp_to_boundary_width(int32_t y, int32_t x)
{
    const int32_t w = boundary_half_width(std::abs(x)) - 256;
    if (w < 0)
        return 0;
    return y < -w ? -w : (y > w ? w : y);
}

int32_t find_opponent(const PlayerSlot* man)
{
    const MatchGlobals& g = G();
    for (int i = 0; i < g.active_men_count; ++i)
        if (g.active_men[i] && g.active_men[i]->side != man->side)
            return g.active_distance[i];
    return g.active_men_count > 0 ? g.active_distance[0] : 0;
}

int32_t find_free_opponent(const PlayerSlot* man)
{
    const MatchGlobals& g = G();
    for (int i = 0; i < g.active_men_count; ++i) {
        const PlayerSlot* o = g.active_men[i];
        if (o && o->side != man->side && !(o->man_flags & MAN_IN_CONTEST))
            return g.active_distance[i];
    }
    return g.active_men_count > 0 ? g.active_distance[0] : 0;
}

int32_t nearest_opponent_distance(const PlayerSlot* man, int32_t x, int32_t y)
{
    int32_t best = 25600;
    const TeamRecord* other = man->team ? man->team->other_team : nullptr;
    if (!other)
        return best;
    for (int i = 0; i < men_in_use(); ++i) {
        const PlayerSlot& o = other->slots[i];
        if (o.busy_flag)
            continue;
        const int32_t d = approx_vector_length(o.x - x, o.y - y);
        if (d < best)
            best = d;
    }
    return best;
}

int32_t all_men_behind_kicker()
{
    const MatchGlobals& g = G();
    if (g.active_men_count < 2)
        return 1;
    const PlayerSlot* kicker = g.active_men[0];
    const uint8_t line = angle_to(kicker, g.mark_x, g.mark_y);
    for (int i = 1; i < g.active_men_count; ++i) {
        if (g.active_distance[i] >= 768)
            break;
        const PlayerSlot* m = g.active_men[i];
        if (adiff(angle_to(kicker, m->x, m->y), line) > 64)
            return 0;
    }
    return 1;
}

// ---- Ball carrier ----

void collect_pass_candidates()
{
    MatchGlobals& g = G();
    clear_list(g.handball_list);
    clear_list(g.kick_list);
    PlayerSlot* holder = g.ball_holder;
    if (!holder || !holder->team)
        return;
    const int32_t range = kick_range(holder);
    int nh = 0, nk = 0;
    if (in_goal_range(holder, range, holder->x, holder->y))
        g.kick_list[nk++] = {nullptr, angle_to(holder, attacked_goal_x(holder), 0), 1};
    const int32_t r = (holder->man_flags2 & 0x0008) ? 1280 : 2560;
    for (int i = 0; i < GROUND_MEN; ++i) {
        PlayerSlot* m = &holder->team->slots[i];
        if (m == holder || m->busy_flag || out_of_play(m))
            continue;
        const int32_t d = approx_vector_length(m->x - holder->x, m->y - holder->y);
        if (d < 512)
            continue;
        const uint8_t a = angle_to(holder, m->x, m->y);
        if (nh < 18 && (d <= r - 512 || (d <= r + 512 && adiff(m->facing, a) >= 100)))
            g.handball_list[nh++] = {m, a, 0};
        if (nk < 18 && d >= 4096 && d <= range + 2560)
            g.kick_list[nk++] = {m, a, 0};
    }
}

void man_ball_distance_check(PlayerSlot* holder)
{
    MatchGlobals& g = G();
    const int32_t d = approx_vector_length(holder->x - g.pickup_x, holder->y - g.pickup_y);
    if (d <= 3072)
        return;
    const bool set_at_once = holder->contest_group && holder->team && holder->team->tactic_b;
    if (set_at_once && d >= 3841) {
        holder->action = 50;
        holder->action_priority = 256;
        return;
    }
    if (scan_grid_pattern(holder, facing_pattern(holder), 0) & 0x27FF)
        return;
    int32_t disp[2];
    whole_displacement(disp, 193, holder->facing);
    const int32_t ex = holder->x + fixed_sin(holder->facing, 512) + disp[0];
    const int32_t ey = holder->y + fixed_cos(holder->facing, 512) + disp[1];
    if (!in_field(clamp16(ex), clamp16(ey)))
        return;
    const int32_t bounce_length = vector_length(disp[0], disp[1]) + 512;
    int32_t first = -1;
    for (int i = 0; i < g.active_men_count; ++i) {
        const PlayerSlot* o = g.active_men[i];
        if (!o || o->side == holder->side || (o->man_flags & MAN_IN_CONTEST))
            continue;
        if (first < 0)
            first = g.active_distance[i];
        if (g.active_distance[i] > 3072)
            break;
        if (vector_length(o->x - ex, o->y - ey) <= bounce_length + 256)
            return;
    }
    if (first >= 0 && first < 768)
        return;
    if (set_at_once) {
        holder->action = 50;
        holder->action_priority = 256;
    } else {
        post_man_message(holder, 50, nullptr, 0, holder->x, holder->y, 256);
    }
}

namespace {

// The shared body of the two handball ratings.
int32_t rate_handball(PlayerSlot* holder, PlayerSlot* man, int32_t* code, int32_t angle, bool open_variant)
{
    const MatchGlobals& g = G();
    const bool play_on = g.match_state == 1;
    holder->target_man = man;
    // The throw he would use: its release time leads the target, its root
    // travel up to the release carries the hands.
    const int32_t throw_row = chase_target(holder);
    const int32_t t = handball_release_ticks(throw_row);
    const int32_t px = man->x + fixed_sin(man->facing, man->speed * t);
    const int32_t py = man->y + fixed_cos(man->facing, man->speed * t);
    int32_t run[3];
    get_animation_displacement(run, throw_row, 0, animation_table[throw_row].release_frame, holder->facing);
    const int32_t qx = holder->x + (run[0] >> 8), qy = holder->y + (run[2] >> 8);
    const int32_t dx = holder->side == 2 ? px - qx : qx - px;
    const int32_t gap = vector_length(px - qx, py - qy);
    const bool own_third = holder->side == 2 ? holder->x < -11762 : holder->x > 11762;
    if (!open_variant) {
        if (!play_on && (own_third || man->speed == 0))
            return 0;
        if (!play_on && gap < 1280)
            return 0;
        if (adiff(man->facing, angle + 128) < 32 && !(play_on && gap >= 1280))
            return 0;
    }
    *code = 18;
    int32_t score = skill(holder, 18) * 4 + skill(holder, 21) + skill(holder, 22) / 2;
    if (open_variant && holder->contest_group) {
        if (adiff(angle, contest_facing(holder)) > 40)
            return 0;
        score += 500;
    }
    const int32_t back_motion = holder->side == 2 ? man->velocity_x : -man->velocity_x;
    if (dx >= 0) {
        score += dx / 16;
    } else {
        score -= -dx / 16;
        if (dx < -1024 && back_motion < 0)
            return 0;
        if (!play_on && (back_motion < 0 || dx < -256))
            return 0;
    }
    if (!open_variant) {
        if (man->speed == 0 && (scan_grid_pattern(man, neighbour_pattern, 0) & 0x27FF))
            return 1;
        const int32_t off = adiff(holder->facing, angle);
        if (off > 80)
            return 5;
        score -= off;
    }
    for (int i = 0; i < g.active_men_count; ++i) {
        const PlayerSlot* o = g.active_men[i];
        if (o == man)
            break;
        if (!o || o->side == holder->side)
            continue;
        if (adiff(angle_to(holder, o->x, o->y), angle) < 32) {
            if (!open_variant && g.active_distance[i] <= 768)
                return 6;
            if (!open_variant)
                score -= 100;
            *code = 30;
            break;
        }
    }
    const int32_t cover = scan_grid_pattern(man, facing_pattern(man), 0) & 0xFF;
    if (cover > 1)
        return 7;
    score -= 4 * cover;
    return score < 0 ? 7 : score;
}

int32_t rate_kick(PlayerSlot* holder, PlayerSlot* man, int32_t* kind, int32_t range, int32_t angle, bool open)
{
    *kind = KICK_TO_MAN;
    int32_t base = skill(holder, 20) * 4 + skill(holder, 22) / 2 + skill(holder, 21);
    const int32_t d = vector_length(man->x - holder->x, man->y - holder->y);
    if (d > range && d < range + 3840)
        base = 1;
    const int32_t dx = holder->side == 2 ? man->x - holder->x : holder->x - man->x;
    if (open && holder->contest_group) {
        if (((angle & 0xE0) != (contest_facing(holder) & 0xE0)))
            return 0;
        base += 500;
    }
    if (dx < 0) {
        const bool deep = holder->side == 2 ? holder->x >= 19442 : holder->x < -19441;
        if (!deep && !open)
            return 0;
    } else {
        base += dx / 16;
    }
    if (!open) {
        const int32_t off = adiff(holder->facing, angle);
        if (off > 64)
            return 1;
        base -= off;
    }
    const int32_t near = scan_grid_pattern(man, neighbour_pattern, 0) & 0xFF;
    if (man->speed != 0) {
        base -= 8 * near;
        const int32_t ahead = scan_grid_pattern(man, facing_pattern(man), 0) & 0xFF;
        if (ahead) {
            if (in_own_half(man))
                return 3;
            *kind = KICK_INTO_SPACE;
            base -= 8 * ahead;
        } else {
            if (d >= range / 4)
                game_random();
            *kind = KICK_TO_MAN;
        }
    } else if (near) {
        if (in_own_half(man))
            return 2;
        *kind = KICK_INTO_SPACE;
        base -= 8 * near;
    } else {
        *kind = KICK_TO_HANDS;
    }
    const bool own_third = holder->side == 2 ? holder->x < -11762 : holder->x >= 11763;
    if (own_third) {
        const bool near_goal = holder->side == 2 ? holder->x < -22002 : holder->x >= 22003;
        base += near_goal ? std::abs(man->y) / 4 : std::abs(man->y) / 16;
    }
    if (base < 0)
        base = 4;
    return base / 2;
}

} // namespace

int32_t aim_at_moving_man(PlayerSlot* holder, PlayerSlot* man, int32_t* code, int32_t angle)
{
    return rate_handball(holder, man, code, angle, false);
}

int32_t aim_at_moving_man_b(PlayerSlot* holder, PlayerSlot* man, int32_t* code, int32_t angle)
{
    return rate_handball(holder, man, code, angle, true);
}

int32_t disposal_option_to_man(PlayerSlot* holder, PlayerSlot* man, int32_t* kind, int32_t range, int32_t angle)
{
    return rate_kick(holder, man, kind, range, angle, false);
}

int32_t rate_kick_to_man(PlayerSlot* holder, PlayerSlot* man, int32_t* kind, int32_t range, int32_t angle)
{
    return rate_kick(holder, man, kind, range, angle, true);
}

void carrier_react_to_opponent(PlayerSlot* holder, int32_t d)
{
    MatchGlobals& g = G();
    if (g.holder_decision_countdown > 0 && !holder->contest_group)
        return;
    const bool pressed = (holder->man_flags2 & 0x0008) != 0;
    if (!pressed && !holder->contest_group && (!g.close_opponent || d > 2560))
        return;
    PlayerSlot* best = nullptr;
    int32_t best_score = 0, best_code = 0;
    for (int i = 0; i < 19 && g.handball_list[i].man; ++i) {
        int32_t code = 0;
        const int32_t s = aim_at_moving_man(holder, g.handball_list[i].man, &code, g.handball_list[i].angle);
        if (s > best_score) {
            best_score = s;
            best = g.handball_list[i].man;
            best_code = code;
        }
    }
    if (pressed && (holder->man_flags2 & 0x0040)) {
        if (skill(holder, 22) >= 64 && (game_random() & 3) != 0)
            return;
        if (best) {
            holder->action = 22;
            holder->target_man = best;
            holder->target_x = best->x;
            holder->target_y = best->y;
            holder->action_arg = static_cast<uint16_t>(best_code);
            holder->action_priority = 10;
        }
        return;
    }
    if (best && best_score > 7) {
        post_man_message(holder, 22, best, static_cast<uint16_t>(best_code), best->x, best->y,
                         static_cast<uint16_t>(best_score));
        return;
    }
    if (g.match_state != 1 || !(d < 512 || pressed))
        return;
    if (best && best_score > 0) {
        post_man_message(holder, 22, best, static_cast<uint16_t>(best_code), best->x, best->y, 10);
        return;
    }
    // A handball into space, from where he stands.
    int32_t dx = 640 + static_cast<int32_t>(game_random() & 1023);
    const int32_t dy = 512 - static_cast<int32_t>(game_random() & 1023);
    if (holder->side == 1)
        dx = -dx;
    post_man_message(holder, 22, nullptr, 6, clamp16(holder->x + dx), clamp16(holder->y + dy), 10);
}

void carrier_look_for_lead(PlayerSlot* holder, PlayerSlot* opponent, int32_t d)
{
    MatchGlobals& g = G();
    if (g.holder_decision_countdown > 0)
        return;
    if ((d > 1536 || d < 128) && opponent && opponent->action == ACT_CHASE_MAN)
        return;
    const int32_t range = kick_range(holder);
    PlayerSlot* best = nullptr;
    int32_t best_score = 0, best_kind = KICK_TO_MAN;
    for (int i = 0; i < 19 && (g.kick_list[i].man || g.kick_list[i].goal); ++i) {
        if (g.kick_list[i].goal)
            continue;
        int32_t kind = 0;
        const int32_t s = disposal_option_to_man(holder, g.kick_list[i].man, &kind, range, g.kick_list[i].angle);
        if (s > best_score) {
            best_score = s;
            best = g.kick_list[i].man;
            best_kind = kind;
        }
    }
    const int32_t priority = best_score * g.difficulty / 100;
    if (best && priority >= 1)
        post_man_message(holder, 49, best, static_cast<uint16_t>(best_kind), best->x, best->y,
                         static_cast<uint16_t>(priority));
}

int32_t rate_teammate(PlayerSlot* man, PlayerSlot* other, int32_t limit)
{
    int32_t s = skill(man, 18) * 4 + skill(man, 22) / 2 + skill(man, 21);
    const uint8_t a = angle_to(man, other->x, other->y);
    if (man->contest_group)
        s -= 8 * adiff(a, contest_facing(man));
    const int32_t d = vector_length(other->x - man->x, other->y - man->y);
    if (d < 512 || d > 3840)
        return 0;
    const int32_t dx = man->side == 2 ? other->x - man->x : man->x - other->x;
    s += dx / 16;
    if (ball_state.flight_flags & FLIGHT_MOVING) {
        const uint8_t ball_dir = static_cast<uint8_t>(vector_angle(ball_state.vx >> 8, ball_state.vy >> 8));
        int32_t diff = adiff(ball_dir, a);
        const int32_t back = adiff(ball_dir + 128, a);
        if (back < diff)
            diff = back;
        if (diff >= limit)
            return 0;
        s -= diff;
    }
    return s < 0 ? 1 : s;
}

int32_t rate_teammate_b(PlayerSlot* man, PlayerSlot* other, int32_t limit) { return rate_teammate(man, other, limit); }

PlayerSlot* choose_best_teammate(PlayerSlot* man)
{
    if (!man->team)
        return nullptr;
    const int32_t limit = ball_moving_fast() ? 64 : 128;
    PlayerSlot* best = nullptr;
    int32_t best_s = 0;
    for (int i = 0; i < GROUND_MEN; ++i) {
        PlayerSlot* o = &man->team->slots[i];
        if (o == man || o->busy_flag || out_of_play(o))
            continue;
        const int32_t s = rate_teammate(man, o, limit);
        if (s > best_s) {
            best_s = s;
            best = o;
        }
    }
    return best;
}

void choose_disposal_target(PlayerSlot* holder, int32_t mode)
{
    MatchGlobals& g = G();
    if (g.aiming_mode == 1 || g.aiming_mode == -2)
        return;
    const int32_t range = kick_range(holder);
    if (mode == 0) {
        const uint8_t a = angle_to(holder, attacked_goal_x(holder), 0);
        int32_t dist = range;
        int32_t ax = holder->x + fixed_sin(a, dist), ay = holder->y + fixed_cos(a, dist);
        while (std::abs(ax) > 29682 && dist > 0) {
            dist -= 1280;
            ax = holder->x + fixed_sin(a, dist);
            ay = holder->y + fixed_cos(a, dist);
        }
        holder->aim_x = clamp16(ax);
        holder->aim_y = clamp16(ay);
        g.meter_aim_angle = a;
        g.aim_distance = vector_length(holder->aim_x - holder->x, holder->aim_y - holder->y);
        g.disposal_target = nullptr;
        return;
    }
    const uint8_t a = static_cast<uint8_t>(vector_angle(holder->aim_x - g.mark_x, holder->aim_y - g.mark_y));
    PlayerSlot* found = nullptr;
    int32_t best = 1000, best_angle = 0, best_ball = 0;
    auto ahead = [&](const PlayerSlot* m) { return holder->side == 2 ? m->x >= g.mark_x : m->x <= g.mark_x; };
    for (int pass = 0; pass < 2 && !found; ++pass) {
        int32_t extreme = -1;
        for (int i = 0; i < g.active_men_count; ++i) {
            PlayerSlot* m = g.active_men[i];
            if (!m || m == holder || m->side != holder->side || m == g.previous_disposal_target)
                continue;
            if (m->ball_distance >= range)
                break;
            if (m->ball_distance < 2560 || !ahead(m))
                continue;
            const uint8_t ma = static_cast<uint8_t>(vector_angle(m->x - g.mark_x, m->y - g.mark_y));
            if (pass == 0) {
                const int32_t diff = mode == 1 ? static_cast<uint8_t>(ma - a) : static_cast<uint8_t>(a - ma);
                if (diff < best || (diff == best && m->ball_distance < best_ball)) {
                    best = diff;
                    found = m;
                    best_angle = ma;
                    best_ball = m->ball_distance;
                }
            } else {
                const bool largest = (mode == 2 && holder->side == 2) || (mode == 1 && holder->side == 1);
                if (largest ? (ma > 0 && ma > extreme) : (ma < 128 && (extreme < 0 || ma < extreme))) {
                    extreme = ma;
                    found = m;
                    best_angle = ma;
                }
            }
        }
    }
    if (!found)
        return;
    g.previous_disposal_target = found;
    g.disposal_target = found;
    holder->aim_x = found->x;
    holder->aim_y = found->y;
    g.aim_distance = vector_length(found->x - g.mark_x, found->y - g.mark_y);
    g.meter_aim_angle = static_cast<uint8_t>(best_angle);
}

void kick_toward_goal_area(PlayerSlot* man)
{
    const int32_t tx = man->side == 2 ? 22002 : -22002;
    const int32_t a = attribute_random_check(man, angle_to(man, tx, 0), 0, 0);
    int32_t dist = vector_length(tx - man->x, -man->y);
    const int32_t range = kick_range(man);
    if (range < dist)
        dist = range;
    post_man_message(man, 18, nullptr, KICK_TO_HANDS, clamp16(man->x + fixed_sin(static_cast<uint8_t>(a), dist)),
                     clamp16(man->y + fixed_cos(static_cast<uint8_t>(a), dist)), 1);
}

int32_t attribute_random_check(PlayerSlot* man, int32_t a, int32_t accuracy_mode, int32_t shot_mode)
{
    const MatchGlobals& g = G();
    const bool human = man->team && man->team->human_count;
    const bool against_human = man->team && man->team->other_team && man->team->other_team->human_count;
    double e;
    if (accuracy_mode) {
        e = static_cast<int32_t>(game_random() & 255) - skill(man, 18);
    } else if (shot_mode) {
        int32_t v = (24576 - std::abs(man->x)) / 256 + std::abs(man->y) / 256 - skill(man, 20) / 8 -
                    static_cast<int32_t>(game_random() & 15);
        if (human)
            v -= (100 - g.difficulty) / 2;
        if (v <= 0)
            return a;
        if (v > 7)
            v = 7;
        return (game_random() & 1) ? a + v : a - v;
    } else {
        int32_t v = static_cast<int32_t>(game_random() & 63) - skill(man, 20) / 4 + 30;
        if (!human && against_human)
            v += (30 - g.difficulty) / static_cast<int32_t>((game_random() & 3) + 1);
        else if (!against_human)
            v -= (80 - g.difficulty) / 4;
        if (v <= 0)
            return a;
        e = v * 0.25;
        const double cap = (game_random() & 1) ? 33 : 32;
        if (e > cap)
            e = cap;
    }
    if (e <= 0)
        return a;
    const int32_t r = static_cast<int32_t>(std::lround(e));
    return (game_random() & 1) ? a + r : a - r;
}

// ---- Loose ball ----

void predict_receiver(PlayerSlot* man)
{
    const MatchGlobals& g = G();
    if (man->tap_plan != 2 || !man->team)
        return;
    const int32_t t = man->plan_ticks > 0 ? man->plan_ticks : 20;
    const int32_t tap_x = ball_whole_x(), tap_y = ball_whole_y();
    PlayerSlot* best = nullptr;
    int32_t best_count = 0, bx = 0, by = 0;
    for (int i = 0; i < GROUND_MEN; ++i) {
        PlayerSlot* m = &man->team->slots[i];
        if (m == man || man_is_busy(m) || out_of_play(m))
            continue;
        const int32_t speed = m->action == 48 ? m->top_speed * 5 * 18 / 100 : m->speed;
        const int32_t px = m->x + fixed_sin(m->facing, speed * t / 4);
        const int32_t py = m->y + fixed_cos(m->facing, speed * t / 4);
        const int32_t d = vector_length(px - tap_x, py - tap_y);
        if (d <= 512 || d >= 2560)
            continue;
        const uint8_t dir = static_cast<uint8_t>(vector_angle(px - tap_x, py - tap_y));
        if (adiff(dir & 0xC0, dir) >= 32 && adiff((dir & 0xC0) + 64, dir) >= 32)
            continue;
        int32_t count = 0;
        for (int j = 0; j < men_in_use(); ++j) {
            const PlayerSlot& o = man->team->other_team->slots[j];
            if (!o.busy_flag && vector_length(o.x - px, o.y - py) < 1280)
                ++count;
        }
        if (!best || count < best_count) {
            best = m;
            best_count = count;
            bx = px;
            by = py;
        }
    }
    if (best) {
        man->target_man = best;
        man->plan_target_x = static_cast<uint16_t>(clamp16(bx));
        man->plan_target_y = static_cast<uint16_t>(clamp16(by));
    } else {
        const int32_t r = (5 + static_cast<int32_t>(game_random() & 7)) * 256;
        const uint8_t a = static_cast<uint8_t>((man->side == 2 ? 64 : 192) - 16 + static_cast<int32_t>(game_random() & 31));
        man->target_man = nullptr;
        man->plan_target_x = static_cast<uint16_t>(clamp16(man->x + fixed_sin(a, r)));
        man->plan_target_y = static_cast<uint16_t>(clamp16(man->y + fixed_cos(a, r)));
    }
    man->tap_plan = 1;
    (void)g;
}

void loose_ball_contest(PlayerSlot* man)
{
    const MatchGlobals& g = G();
    if (!ball_is_loose_in_air())
        return;
    const int32_t landing = vector_length(ball_state.landing_x - man->x, ball_state.landing_y - man->y);
    if (landing > 2048)
        return;
    const uint16_t priority = static_cast<uint16_t>(300 - landing / 256);
    auto try_post = [&](int32_t action, PlayerSlot* target) {
        if (!test_ball_action(man, action, target, 0))
            return false;
        test_ball_action(man, action, target, 1);
        post_man_message(man, static_cast<uint16_t>(action), target ? target : man->target_man, 0,
                         static_cast<int16_t>(man->plan_target_x), static_cast<int16_t>(man->plan_target_y),
                         priority);
        return true;
    };
    if (g.match_state == 13 || g.match_state == 53 || g.match_state == 54) {
        const int32_t q[3] = {g.match_state == 54 ? 64 : 68, g.match_state == 54 ? 65 : 69,
                              g.match_state == 54 ? 66 : 70};
        const int32_t tap = g.match_state == 54 ? 63 : 67;
        if (test_ball_action(man, q[0], nullptr, 0) && test_ball_action(man, q[1], nullptr, 0) &&
            test_ball_action(man, q[2], nullptr, 0) && test_ball_action(man, tap, nullptr, 0)) {
            man->tap_plan = 2;
            predict_receiver(man);
            if (try_post(tap, man->target_man))
                return;
        }
    }
    const bool computer = !man->team || !man->team->human_count;
    if (man->speed != 0) {
        if (computer) {
            PlayerSlot* near = find_nearest_man(man);
            if (near && try_post(71, near))
                return;
        }
        if (try_post(60, nullptr) || try_post(58, nullptr))
            return;
    }
    if (man->speed < 8) {
        if (computer) {
            PlayerSlot* near = find_nearest_man(man);
            if (near && try_post(71, near))
                return;
        }
        if (try_post(59, nullptr))
            return;
        try_post(57, nullptr);
    }
}

namespace {

bool support_gate(const PlayerSlot* man)
{
    const MatchGlobals& g = G();
    if (man->ball_coming)
        return false;
    if (man == g.pass_receiver && (ball_state.flight_flags & (FLIGHT_KICKED | FLIGHT_HANDPASSED)))
        return false;
    return (man->man_flags & 0x0980) == 0;
}

// The valid slot with the highest score (the best fit to the ball).
const ContactCandidate* best_by_score(const ContactCandidate* row, int n)
{
    const ContactCandidate* best = nullptr;
    for (int i = 0; row && i < n; ++i)
        if (row[i].valid && (!best || row[i].facing_error < best->facing_error))
            best = &row[i];
    return best;
}

// The valid slot whose two times sum closest to 2.0.
const ContactCandidate* best_by_times(const ContactCandidate* row, int n)
{
    const ContactCandidate* best = nullptr;
    double best_d = 1000000.0;
    for (int i = 0; row && i < n; ++i) {
        if (!row[i].valid)
            continue;
        const double d = std::fabs(row[i].speed_ratio + row[i].time_ratio - 2.0);
        if (d < best_d) {
            best_d = d;
            best = &row[i];
        }
    }
    return best;
}

void start_slot(PlayerSlot* man, const ContactCandidate& c)
{
    man->facing = static_cast<uint8_t>(c.approach_angle);
    man->wanted_facing = static_cast<int16_t>(c.approach_angle);
    // Busy, he is carried by his step: the slot's motion brings his contact
    // point onto the ball, and its time ratio is the rate that brings the
    // contact frame there at the same tick.
    set_man_velocity_fixed(man, c.vx, c.vy);
    set_man_step_fixed(man, c.vx, c.vy);
    man->speed = static_cast<int16_t>(vector_length(c.vx >> 16, c.vy >> 16));
    play_man_animation(man, c.animation, 0, c.ticks > 0 ? c.time_ratio : 1.0);
    man->man_flags |= 0x0880;
}

bool slot_c_gate(const PlayerSlot* man)
{
    const MatchGlobals& g = G();
    if ((ball_state.flight_flags & 0xFF) > 31)
        return false;
    bool opponent_first = false;
    for (int i = 0; i < g.active_men_count; ++i) {
        const PlayerSlot* o = g.active_men[i];
        if (!o || o == man)
            continue;
        if (g.active_distance[i] >= man->ball_distance)
            break;
        if (o->side == man->side)
            return false;
        opponent_first = true;
        break;
    }
    if (!opponent_first)
        return false;
    for (int i = 0; i < g.active_men_count; ++i) {
        const PlayerSlot* o = g.active_men[i];
        if (!o || o == man)
            continue;
        const int32_t d = vector_length(o->x - man->x, o->y - man->y);
        if (d >= man->ball_distance)
            continue;
        const uint8_t a = static_cast<uint8_t>(vector_angle(o->x - man->x, o->y - man->y) - man->facing);
        if (std::abs(fixed_sin(a, d)) < 192)
            return false;
    }
    return true;
}

} // namespace

int32_t has_support_slot_a(const PlayerSlot* man)
{
    return support_gate(man) && best_by_score(catch_row(man), CATCH_ENTRIES) != nullptr;
}
int32_t has_support_slot_b(const PlayerSlot* man)
{
    return support_gate(man) && best_by_times(slap_row(man), SLAP_ENTRIES) != nullptr;
}
int32_t has_support_slot_c(const PlayerSlot* man)
{
    return support_gate(man) && (ball_state.flight_flags & 0xFF) <= 31 &&
           best_by_times(ground_kick_row(man), GROUND_KICK_ENTRIES) != nullptr;
}
int32_t has_support_slot_d(const PlayerSlot* man)
{
    return support_gate(man) && (ball_state.flight_flags & FLIGHT_AT_REST) &&
           best_by_times(pickup_row(man), PICKUP_ENTRIES) != nullptr;
}

void loose_ball_support_a(PlayerSlot* man)
{
    if (!support_gate(man))
        return;
    if ((ball_state.flight_flags & FLIGHT_KICKED) && (ball_state.z >> 16) > 768)
        return;
    if (const ContactCandidate* c = best_by_score(catch_row(man), CATCH_ENTRIES))
        start_slot(man, *c);
}

void loose_ball_support_b(PlayerSlot* man)
{
    const MatchGlobals& g = G();
    if (!support_gate(man))
        return;
    const ContactCandidate* slot = best_by_times(slap_row(man), SLAP_ENTRIES);
    if (!slot)
        return;
    const bool by_landing = (ball_state.flight_flags & (FLIGHT_KICKED | FLIGHT_MOVING)) == (FLIGHT_KICKED | FLIGHT_MOVING);
    const int32_t mine = by_landing ? man->landing_distance : man->ball_distance;
    bool opponent_going = false;
    for (int i = 0; i < g.active_men_count; ++i) {
        PlayerSlot* o = g.active_men[i];
        if (!o || o == man)
            continue;
        const int32_t theirs = by_landing ? o->landing_distance : o->ball_distance;
        if (o->side == man->side) {
            if (theirs < mine)
                return;
        } else if (o->action == ACT_GO_FOR_BALL && !(o->man_flags & 0x0400) &&
                   vector_length(o->x - man->x, o->y - man->y) <= 512) {
            opponent_going = true;
        }
    }
    if (!opponent_going)
        return;
    if ((man->side == 2 ? -man->x : man->x) > 12800)
        return;
    evaluate_lead_targets(man);
    PlayerSlot* target = man->target_man;
    if (target) {
        target->effort = 90;
        target->action = 23;
        settle_turning_man(target);
        target->target_x = clamp16(target->x + fixed_sin(target->facing, 7680));
        target->target_y = clamp16(target->y + fixed_cos(target->facing, 7680));
    }
    start_slot(man, *slot);
}

void loose_ball_support_c(PlayerSlot* man)
{
    if (!support_gate(man) || !slot_c_gate(man))
        return;
    if (const ContactCandidate* c = best_by_times(ground_kick_row(man), GROUND_KICK_ENTRIES))
        start_slot(man, *c);
}

void loose_ball_support_d(PlayerSlot* man)
{
    if (!support_gate(man) || !(ball_state.flight_flags & FLIGHT_AT_REST) || !man->team ||
        man->team->pickup_under_way)
        return;
    if (const ContactCandidate* c = best_by_times(pickup_row(man), PICKUP_ENTRIES)) {
        start_slot(man, *c);
        man->team->pickup_under_way = 1;
    }
}

void nearest_option_action1(PlayerSlot* man)
{
    if (man->action != 1 || (man->man_flags & (0x0800 | 0x0080)))
        return;
    if (const ContactCandidate* c = best_by_times(pickup_row(man), PICKUP_ENTRIES))
        start_slot(man, *c);
}

void propose_smother(PlayerSlot* man)
{
    const MatchGlobals& g = G();
    PlayerSlot* holder = g.ball_holder;
    if (!holder || holder == man || !(holder->man_flags & 0x0002) || man->ball_distance > 3840 ||
        (man->man_flags & 0x0180) || holder->primary_animation != 21)
        return;
    const uint8_t hw = static_cast<uint8_t>(holder->wanted_facing);
    if (adiff(angle_to(holder, man->x, man->y), hw) > 64)
        return;
    const int32_t cx = holder->x + fixed_sin(hw, 512), cy = holder->y + fixed_cos(hw, 512);
    int32_t reach[2];
    whole_displacement(reach, 86, man->facing);
    const int32_t reach_len = vector_length(reach[0], reach[1]);
    const uint8_t a = angle_to(man, cx, cy);
    if (adiff(a, holder->facing + 128) > 50 || adiff(a, man->facing) > 50)
        return;
    if (vector_length(cx - man->x, cy - man->y) >= reach_len + 256)
        return;
    if (man->turning) {
        man->facing = static_cast<uint8_t>(man->wanted_facing);
        man->turning = 0;
    }
    post_man_message(man, 19, holder, a, clamp16(cx), clamp16(cy), 1000);
}

void start_standing_jump_spoil(PlayerSlot* man)
{
    play_man_animation(man, 243, 0, 1.0);
    man->velocity_x = static_cast<int16_t>(fixed_sin(man->facing, 8));
    man->velocity_y = static_cast<int16_t>(fixed_cos(man->facing, 8));
    man->velocity_x_frac = man->velocity_y_frac = 0;
    man->speed = 8;
    // Jump height from the jumping attribute: 8 to 16 units a tick upward.
    man->velocity_z = static_cast<int16_t>(8 + skill(man, 25) / 32);
    man->velocity_z_frac = 0;
    int32_t hand[3] = {0, 0, 0};
    get_joint_position(hand, man, 243, 0, 5, man->facing, 11); // the spoiling hand
    man->catch_offset[0] = static_cast<int16_t>(hand[0]);
    man->catch_offset[1] = static_cast<int16_t>(hand[1]);
    man->catch_offset[2] = static_cast<int16_t>(hand[2]);
    man->man_flags2 |= 0x1001;
    man->man_flags = static_cast<uint16_t>((man->man_flags | 0x0180) & ~0x0800);
    const uint32_t length = anim_length(243);
    const int32_t frames = length ? static_cast<int32_t>(length / 50000) : 1;
    man->secondary_rate = frames > 0 ? 65536 / frames : 65536;
}
