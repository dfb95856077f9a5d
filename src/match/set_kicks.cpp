#include "match/set_kicks.h"

#include "match/ball.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/interchange.h"
#include "match/man_behaviours.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "match/match_setup.h"
#include "match/proposals.h"
#include "match/set_play_director.h"
#include "match/stoppages.h"
#include "players/anim_driver.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/movement.h"
#include "players/occupancy.h"
#include "players/team_ai.h"

#include <cstdlib>
#include <initializer_list>

const int16_t ground_edge_correction[95] = {};

namespace {

MatchGlobals& G() { return match_globals; }

struct Point {
    int32_t x, y;
};
const Point relative_leads[4][4] = {
    {{6400, 0}, {2560, 3840}, {2560, -3840}, {10240, 2560}},
    {{5120, 0}, {3840, 1280}, {3840, -1280}, {7680, -1280}},
    {{3840, 0}, {6400, 2560}, {6400, -2560}, {6656, -2560}},
    {{5632, 1280}, {5120, 2560}, {3840, 2560}, {6656, -2560}},
};
const Point near_goal_leads[4][4] = {
    {{17920, 0}, {19200, 3840}, {20480, -3840}, {15360, 2560}},
    {{20480, 0}, {17920, 1280}, {17920, -1280}, {20480, -1280}},
    {{17920, 1792}, {15360, 5120}, {20480, -5120}, {15360, -2560}},
    {{17920, 1280}, {15360, 2560}, {17920, -2560}, {14336, -2560}},
};
const Point short_options[4][4] = {
    {{1024, 1280}, {1024, -1280}, {-1536, 1024}, {1792, 512}},
    {{1536, 1536}, {1536, -512}, {-1024, -1024}, {1280, 768}},
    {{1280, 1536}, {1280, -1280}, {-1536, -1024}, {1536, 768}},
    {{1536, 768}, {1280, -1024}, {-1024, 1024}, {1536, 768}},
};

bool in_states(int32_t s, std::initializer_list<int32_t> list)
{
    for (int32_t v : list)
        if (v == s)
            return true;
    return false;
}

bool restart_state(int32_t s) { return in_states(s, {6, 9, 41, 42, 49, 56}) || (s >= 58 && s <= 73); }

template <typename F> void for_free_men_backwards(F f)
{
    MatchGlobals& g = G();
    for (int i = g.active_men_count - 1; i >= 0; --i) {
        PlayerSlot* m = g.active_men[i];
        if (m && !m->busy_flag && m->team)
            f(m);
    }
}

PlayerSlot* kicker() { return G().controlled_man_a; }
PlayerSlot* on_mark() { return G().controlled_man_b; }

bool excluded_for_lead(const PlayerSlot* m, const PlayerSlot* k, PlayerSlot* const* used, int n)
{
    const MatchGlobals& g = G();
    if (m == k || m == g.ball_holder || (m->man_flags & MAN_OUT_OF_PLAY) || man_is_busy(m) || m->busy_flag)
        return true;
    for (int i = 0; i < n; ++i)
        if (used[i] == m)
            return true;
    return false;
}

// The nearest teammate of the kicker to (x, y): the list from its last entry
// down to the second, so the man nearest the ball is never taken.
PlayerSlot* nearest_for_lead(const PlayerSlot* k, int32_t x, int32_t y, PlayerSlot* const* used, int n, bool approx)
{
    const MatchGlobals& g = G();
    PlayerSlot* best = nullptr;
    int32_t best_d = 256000;
    for (int i = g.active_men_count - 1; i >= 1; --i) {
        PlayerSlot* m = g.active_men[i];
        if (!m || m->side != k->side || excluded_for_lead(m, k, used, n))
            continue;
        const int32_t d = approx ? approx_vector_length(m->x - x, m->y - y) : vector_length(m->x - x, m->y - y);
        if (d < best_d) {
            best_d = d;
            best = m;
        }
    }
    return best;
}

void post_lead(PlayerSlot* m, uint16_t action, int32_t x, int32_t y, uint16_t priority, bool standing_rule)
{
    if (standing_rule && m->speed == 0 && vector_length(m->x - x, m->y - y) <= 512) {
        x = m->x;
        y = m->y;
    }
    post_man_message(m, action, nullptr, 0, clamp16(x), clamp16(y), priority);
}

void run_up_toward_goal(PlayerSlot* k)
{
    const int16_t gx = k->side == 2 ? 24562 : -24562;
    propose_kick_in_spot(k, gx, 0);
}

void man_on_mark_stands(PlayerSlot* m, uint16_t stand_priority)
{
    const MatchGlobals& g = G();
    if (m->arrived) {
        if (is_standing_anim(m))
            react_to_controlled_player(m);
        if (!m->contest_group)
            post_man_message(m, ACT_STAND_THE_MARK, nullptr, 0, g.mark_x, g.mark_y, stand_priority);
    } else {
        post_man_message(m, ACT_MOVE_TO_POINT, nullptr, 0, g.mark_x, g.mark_y, 2);
    }
}

void chase_kicker(PlayerSlot* m, uint16_t priority)
{
    post_man_message(m, ACT_CHASE_MAN, kicker(), 0, kicker() ? kicker()->x : m->x, kicker() ? kicker()->y : m->y,
                     priority);
}

void others_clear_of_mark(PlayerSlot* m)
{
    const MatchGlobals& g = G();
    run_to_spot_clear_of_mark(m, m->team->formation_spots, g.mark_x, g.mark_y, 3072);
}

// The shared body of states 42, 45 and 9.
void take_or_follow(bool flight)
{
    MatchGlobals& g = G();
    PlayerSlot* k = kicker();
    if (!k)
        return;
    if (g.play_on_called && g.aiming_mode != 1)
        place_leads_to_targets(k);
    else if (flight)
        place_leads_for_set_kick(k, g.mark_x, g.mark_y, 2);
    else if ((g.ball_holder && is_kicking(g.ball_holder)) || (ball_state.flight_flags & FLIGHT_KICKED))
        place_leads_to_targets(k);
    else
        place_leads_for_set_kick(k, g.mark_x, g.mark_y, 2);
    if (!flight)
        g.set_kick_camera = g.ball_holder && is_kicking(g.ball_holder) ? 2 : 0;
    for_free_men_backwards([&](PlayerSlot* m) {
        if (m == k) {
            if (flight) {
                post_man_message(m, ACT_STAND, nullptr, 0, m->x, m->y, 1);
            } else if (m->contest_group) {
                if (m->action != m->set_action) {
                    const uint8_t aim = static_cast<uint8_t>(vector_angle(m->aim_x - g.mark_x, m->aim_y - g.mark_y));
                    if (std::abs(angle_diff(aim, g.kick_direction)) <= 16) {
                        m->target_x = clamp16(g.mark_x - fixed_sin(aim, 1792));
                        m->target_y = clamp16(g.mark_y - fixed_cos(aim, 1792));
                        m->action = ACT_RUN_TO_SPOT;
                    }
                }
            } else {
                post_man_message(m, ACT_TAKE_SET_KICK, g.kick_target_man, static_cast<uint16_t>(g.kick_target_kind),
                                 g.kick_target_x, g.kick_target_y, 255);
            }
            return;
        }
        if (m == on_mark()) {
            if (m->arrived) {
                if (is_standing_anim(m) && !g.tackle_allowed)
                    react_to_controlled_player(m);
                if (m->contest_group)
                    return;
                if (g.tackle_allowed) {
                    if (m->secondary_animation == 355 || m->secondary_animation == 356)
                        set_man_animation(m, 357, 0, 4.0);
                    chase_kicker(m, flight ? 10 : 255);
                    if (k == g.ball_holder) {
                        propose_tackle_carrier(m);
                        rate_teammate_options(m);
                        propose_smother(m);
                    }
                } else {
                    post_man_message(m, ACT_STAND_THE_MARK, nullptr, 0, g.mark_x, g.mark_y, 255);
                }
            } else if (g.tackle_allowed) {
                chase_kicker(m, flight ? 10 : 255);
            } else {
                post_man_message(m, ACT_MOVE_TO_POINT, nullptr, 0, g.mark_x, g.mark_y, 2);
            }
            return;
        }
        others_clear_of_mark(m);
        if (m->side != k->side)
            follow_direct_opponent(m, 0);
    });
}

void award_pause(bool free_kick)
{
    MatchGlobals& g = G();
    PlayerSlot* k = kicker();
    if (!k)
        return;
    if (free_kick && g.ball_holder && g.ball_holder != k) {
        g.ball_holder->ball_coming = 1;
        give_ball_to(nullptr);
    }
    const int32_t d = find_opponent(k);
    place_leads_for_set_kick(k, g.mark_x, g.mark_y, 3);
    for (int i = g.active_men_count - 1; i >= 0; --i) {
        PlayerSlot* m = g.active_men[i];
        if (!m || !m->team)
            continue;
        if (free_kick)
            m->man_flags &= static_cast<uint16_t>(~MAN_IN_CONTEST);
        if (m->busy_flag)
            continue;
        if (m == on_mark()) {
            m->ball_coming = 1;
            post_man_message(m, ACT_MOVE_TO_POINT, nullptr, 0, g.mark_x, g.mark_y, 2);
            if (m->arrived && is_standing_anim(m))
                react_to_controlled_player(m);
            continue;
        }
        if (free_kick && m == g.offender && g.free_kick_kind != 6)
            offender_face_umpire(m);
        if (m != k) {
            others_clear_of_mark(m);
            if (m->side == g.awarded_side && m->position_role == 12)
                spread_wide_man(m);
            if (on_mark() && m->side == on_mark()->side && m->spot != k)
                follow_direct_opponent(m, 0);
            continue;
        }
        if (m->man_flags2 & 0x0001)
            continue;
        if (free_kick && !g.ball_holder && !g.umpire_with_ball && g.ball_returned) {
            post_man_message(m, ACT_GO_FOR_BALL, nullptr, 0, ball_whole_x(), ball_whole_y(), 10000);
            loose_ball_support_d(m);
            continue;
        }
        run_up_toward_goal(m);
        // Only after a mark may a computer kicker play on; a free kick's
        // taker who shot from the award would leave it waiting for good.
        const bool computer_inside = !m->team->human_count && in_field(m->x, m->y);
        if (!free_kick && computer_inside) {
            const int32_t range = 9216 + person_skill(m, 20) * 5120 / 255 + (m->contest_group ? 1280 : 0);
            const bool past = (g.flow_flags & TIME_ON) ? g.period_clock > g.play_on_mark : g.period_clock < g.play_on_mark;
            if (!in_goal_range(m, range, m->x, m->y) && g.ball_holder == m && past && d >= 1025) {
                carrier_react_to_opponent(m, d);
                carrier_look_for_lead(m, nullptr, d);
            }
            carrier_consider_shot(m);
        }
    }
}

} // namespace

int32_t lead_set() { return G().cycle_counter & 3; }

void cycle_counter4() { G().cycle_counter = (G().cycle_counter + 1) % 4; }

void hold_free_kick_award() { award_pause(true); }
void hold_mark_award() { award_pause(false); }
void take_set_kick() { take_or_follow(false); }
void follow_set_kick_flight() { take_or_follow(true); }

void take_set_shot()
{
    MatchGlobals& g = G();
    PlayerSlot* k = kicker();
    if (!k)
        return;
    if (g.play_on_called && g.aiming_mode != 1)
        place_leads_to_targets(k);
    else
        place_leads_for_set_kick(k, g.mark_x, g.mark_y, 2);
    for_free_men_backwards([&](PlayerSlot* m) {
        if (m == k) {
            if (m->contest_group) {
                if (m->action != m->set_action) {
                    const uint8_t aim = static_cast<uint8_t>(vector_angle(m->aim_x - g.mark_x, m->aim_y - g.mark_y));
                    m->target_x = m->x;
                    m->target_y = m->y;
                    m->action = ACT_RUN_TO_SPOT;
                    m->wanted_facing = aim;
                    m->action_arg = aim;
                }
            } else {
                post_man_message(m, ACT_TAKE_SET_KICK, g.kick_target_man, static_cast<uint16_t>(g.kick_target_kind),
                                 g.kick_target_x, g.kick_target_y, 255);
            }
            return;
        }
        if (m == on_mark()) {
            man_on_mark_stands(m, 1);
            return;
        }
        if (m->side != k->side && m->team->setup_choice == 0 && follow_direct_opponent(m, 1))
            return;
        others_clear_of_mark(m);
    });
}

void return_ball_to_kicker()
{
    MatchGlobals& g = G();
    PlayerSlot* k = kicker();
    const int16_t x0 = g.end_side_word != 1 ? 23794 : -23794;
    if (k && !g.ball_returned) {
        PlayerSlot* fetcher = nullptr;
        for (int i = 1; i <= 2; ++i)
            if (official_slots[i].official_job == 36)
                fetcher = &official_slots[i];
        if (!fetcher)
            g.ball_returned = 1;
        else if (fetcher->job_step < 4)
            post_man_message(k, ACT_WALK_OFF, nullptr, 0, x0, 0, 1200);
        else
            g.ball_returned = 1;
    }
    if (k && g.ball_returned) {
        loose_ball_support_d(k);
        if (g.ball_holder == k) {
            if (!k->arrived) {
                post_man_message(k, ACT_MOVE_TO_POINT, nullptr, 0, x0, 0, 1200);
            } else {
                k->wanted_facing = k->team && k->team->side == 2 ? 64 : 192;
                if (k->facing == k->wanted_facing)
                    post_man_message(k, ACT_STAND, nullptr, 0, k->x, k->y, 1200);
            }
        } else {
            k->arrived = 0;
            k->effort = 25;
            post_man_message(k, ACT_GO_FOR_BALL, nullptr, 0, ball_whole_x(), ball_whole_y(), 1200);
        }
    }
    if (PlayerSlot* m = on_mark())
        post_man_message(m, ACT_MOVE_TO_POINT, nullptr, 0, g.mark_x, g.mark_y, 2);
}

void hold_behind()
{
    MatchGlobals& g = G();
    PlayerSlot* k = kicker();
    if (!k)
        return;
    const int32_t first = team_records[0].side != g.awarded_side ? 7 : 6;
    presentation::init_team_overlay(&team_records[0], first, 8);
    presentation::init_team_overlay(&team_records[1], first == 7 ? 6 : 7, 8);
    if (g.ball_holder && g.ball_holder != k) {
        g.ball_holder->ball_coming = 1;
        give_ball_to(nullptr);
    }
    if (g.ball_holder == k)
        post_man_message(k, ACT_WALK_OFF, nullptr, 0, g.awarded_side == 1 ? 24562 : -24562, 0, 1500);
}

int32_t follow_direct_opponent(PlayerSlot* man, int32_t force)
{
    const MatchGlobals& g = G();
    PlayerSlot* other = static_cast<PlayerSlot*>(const_cast<void*>(man->spot));
    if (!other || is_queued_for_interchange(other) || other == g.ball_holder)
        return 0;
    // The spot may name a set-play spot rather than a man: only men count.
    bool is_man = false;
    for (const TeamRecord& t : team_records)
        if (other >= &t.slots[0] && other < &t.slots[TEAM_SLOTS])
            is_man = true;
    if (!is_man)
        return 0;
    if (restart_state(g.match_state)) {
        if (!force && other->ball_distance >= 25600)
            return 0;
        return follow_at_marking_offset(man, other, 7) ? 1 : 0;
    }
    if (man->position_role == 9 || force)
        follow_at_marking_offset(man, other, 7);
    return 0;
}

void run_to_adjusted_formation_spot(PlayerSlot* man)
{
    if (!man->team || !man->team->formation_spots)
        return;
    FormationSpot s = spot_for_man(man, man->team->formation_spots, man->number);
    adjust_spot_toward_ball(man, &s.x, &s.y);
    post_man_message(man, ACT_RUN_TO_POINT, nullptr, 0, clamp16(s.x), clamp16(s.y), 2);
}

void propose_clear_of_point(PlayerSlot* man, int32_t r, int32_t x, int32_t y)
{
    const uint8_t a = static_cast<uint8_t>(vector_angle(man->x - x, man->y - y));
    post_man_message(man, ACT_RUN_TO_SPOT, nullptr, 0, clamp16(x + fixed_sin(a, r)), clamp16(y + fixed_cos(a, r)),
                     2255);
}

void adjust_spot_toward_ball(PlayerSlot* man, int32_t* x, int32_t* y)
{
    const MatchGlobals& g = G();
    const int32_t bx = ball_whole_x(), by = ball_whole_y();
    const int32_t d = vector_length(bx - *x, by - *y);
    const uint8_t a = static_cast<uint8_t>(vector_angle(bx - *x, by - *y));
    *x = (*x + fixed_sin(a, d / 4)) & ~127;
    *y = (*y + fixed_cos(a, d / 4)) & ~127;
    if (in_states(g.match_state, {6, 8, 58}) || man->line_byte < 2 || man->line_byte > 7 || !man->team)
        return;
    const int32_t* z = man->team->zone_lines;
    const bool s2 = man->side == 2;
    int32_t* v = nullptr;
    int32_t bound = 0;
    enum { NONE, AT_MOST, AT_LEAST } kind = NONE;
    switch (man->line_byte) {
    case 2: v = y; bound = z[3]; kind = s2 ? AT_MOST : AT_LEAST; break;
    case 3: v = y; bound = z[2]; kind = s2 ? AT_LEAST : AT_MOST; break;
    case 4: v = x; bound = s2 ? z[1] : -z[1]; kind = s2 ? AT_LEAST : AT_MOST; break;
    case 5: v = x; bound = -z[5]; kind = s2 ? NONE : AT_MOST; break;
    case 6: v = x; bound = s2 ? -z[4] : z[4]; kind = s2 ? AT_MOST : AT_LEAST; break;
    default: v = x; bound = -z[0]; kind = s2 ? AT_MOST : NONE; break;
    }
    if (kind == NONE)
        return;
    const bool beyond = kind == AT_MOST ? *v > bound : *v < bound;
    if (!beyond)
        return;
    *v = bound;
    // The table is indexed by |v| / 256; its sign rule carries the direction.
    const int32_t idx = std::abs(*v) / 256;
    if (idx < 95) {
        const int32_t c = ground_edge_correction[idx];
        if (v == x || kind == AT_LEAST)
            *v += c;
        else
            *v -= c;
    }
}

void place_leads_for_set_kick(PlayerSlot* k, int32_t x, int32_t y, int32_t parts)
{
    MatchGlobals& g = G();
    if (!k || !k->team)
        return;
    const int set = lead_set();
    const uint8_t a = static_cast<uint8_t>(vector_angle((k->side == 2 ? 24576 : -24576) - k->x, -k->y));
    const int leads = k->team->action_quotas[QUOTA_LEADS];
    const int shorts = k->team->action_quotas[QUOTA_SHORT_OPTIONS];
    if (parts & 2) {
        k->lead_point_count = 0;
        for (int s = 0; s < leads && s < 4; ++s) {
            g.used_set_kick[s] = nullptr;
            int32_t px, py;
            if (k->side == 2) {
                if (k->x >= 14322) {
                    px = near_goal_leads[set][s].x;
                    py = near_goal_leads[set][s].y;
                } else {
                    px = x + fixed_sin(a, relative_leads[set][s].x) +
                         fixed_sin(static_cast<uint8_t>(a - 64), relative_leads[set][s].y);
                    py = y + fixed_cos(a, relative_leads[set][s].x) +
                         fixed_cos(static_cast<uint8_t>(a - 64), relative_leads[set][s].y);
                }
            } else if (k->x <= -14322) {
                px = -near_goal_leads[set][s].x;
                py = near_goal_leads[set][s].y;
            } else {
                px = x - relative_leads[set][s].x;
                py = y - relative_leads[set][s].y;
            }
            if (!in_field(clamp16(px), clamp16(py)))
                continue;
            // Kept with the kicker: should he play on, the leads run there.
            k->lead_points[k->lead_point_count][0] = clamp16(px);
            k->lead_points[k->lead_point_count][1] = clamp16(py);
            ++k->lead_point_count;
            PlayerSlot* m = nearest_for_lead(k, px, py, g.used_set_kick, 8, false);
            if (!m)
                continue;
            post_lead(m, ACT_LEAD, px, py, 1400, true);
            m->lead_reaction_delay = 0;
            m->lead_skill = skill_value(m, 62, 12);
            g.used_set_kick[s] = m;
        }
    }
    if (parts & 1) {
        for (int s = 0; s < shorts && s < 4; ++s) {
            const int e = leads + s;
            if (e >= 8)
                break;
            g.used_set_kick[e] = nullptr;
            const int32_t sx = k->side == 2 ? short_options[set][s].x : -short_options[set][s].x;
            const int32_t sy = k->side == 2 ? short_options[set][s].y : -short_options[set][s].y;
            const int32_t px = x + sx, py = y + sy;
            if (!in_field(clamp16(px), clamp16(py)))
                continue;
            PlayerSlot* m = nearest_for_lead(k, px, py, g.used_set_kick, 8, true);
            if (!m)
                continue;
            post_lead(m, ACT_SHORT_OPTION, px, py, 1200, true);
            m->lead_reaction_delay = 0;
            m->lead_skill = skill_value(m, 62, 12);
            g.used_set_kick[e] = m;
        }
    }
}

void place_leads_in_play(PlayerSlot* man)
{
    MatchGlobals& g = G();
    if (!man || !man->team)
        return;
    const int set = lead_set();
    const int32_t x = ball_state.landing_x, y = ball_state.landing_y;
    const uint8_t a = static_cast<uint8_t>(vector_angle((man->side == 2 ? 24576 : -24576) - x, -y));
    const int leads = man->team->action_quotas[QUOTA_LEADS];
    const int shorts = man->team->action_quotas[QUOTA_SHORT_OPTIONS];
    for (int s = 0; s < leads && s < 4; ++s) {
        g.used_in_play[s] = nullptr;
        const int32_t px = x + fixed_sin(a, relative_leads[set][s].x) +
                           fixed_sin(static_cast<uint8_t>(a - 64), relative_leads[set][s].y);
        const int32_t py = y + fixed_cos(a, relative_leads[set][s].x) +
                           fixed_cos(static_cast<uint8_t>(a - 64), relative_leads[set][s].y);
        if (!in_field(clamp16(px), clamp16(py)))
            continue;
        if (PlayerSlot* m = nearest_for_lead(man, px, py, g.used_in_play, 8, false)) {
            post_lead(m, ACT_LEAD, px, py, 1400, false);
            g.used_in_play[s] = m;
        }
    }
    for (int s = 0; s < shorts && s < 4; ++s) {
        const int e = leads + s;
        if (e >= 8)
            break;
        g.used_in_play[e] = nullptr;
        const int32_t sx = man->side == 2 ? short_options[set][s].x : -short_options[set][s].x;
        const int32_t sy = man->side == 2 ? short_options[set][s].y : -short_options[set][s].y;
        const int32_t px = x + sx, py = y + sy;
        if (!in_field(clamp16(px), clamp16(py)))
            continue;
        PlayerSlot* m = nearest_for_lead(man, px, py, g.used_in_play, 8, true);
        if (!m)
            continue;
        const uint8_t to = static_cast<uint8_t>(vector_angle(px - m->x, py - m->y));
        if (!in_field(clamp16(m->x + fixed_sin(to, 1536)), clamp16(m->y + fixed_cos(to, 1536))))
            continue;
        post_lead(m, ACT_SHORT_OPTION, px, py, 1200, false);
        g.used_in_play[e] = m;
    }
}

void place_leads_to_targets(PlayerSlot* k)
{
    MatchGlobals& g = G();
    if (!k || !k->team)
        return;
    // The lead points are the ones his set kick last posted; with none kept
    // nothing is posted.
    const int leads = k->team->action_quotas[QUOTA_LEADS];
    for (int s = 0; s < leads && s < k->lead_point_count && s < 4; ++s) {
        const int16_t px = k->lead_points[s][0], py = k->lead_points[s][1];
        if (!in_field(px, py))
            continue;
        PlayerSlot* m = nearest_for_lead(k, px, py, g.used_set_kick, 8, true);
        if (!m)
            continue;
        post_man_message(m, ACT_LEAD, nullptr, 0, px, py, 1400);
        g.used_set_kick[s] = m;
    }
}

void clear_set_kick_target()
{
    MatchGlobals& g = G();
    g.kick_target_man = nullptr;
    g.kick_target_kind = KICK_TO_HANDS;
    g.kick_target_x = g.kick_target_y = 0;
}

void choose_set_kick_target(PlayerSlot* k)
{
    MatchGlobals& g = G();
    if (!k)
        return;
    g.kick_target_kind = KICK_TO_MAN;
    g.kick_target_man = nullptr;
    const int32_t range = kick_range(k);
    const uint8_t a = static_cast<uint8_t>(vector_angle(attacked_goal_x(k) - g.mark_x, -g.mark_y));
    auto point_at = [&](int32_t angle, int32_t dist) {
        const uint8_t b = static_cast<uint8_t>(angle);
        g.kick_target_x = clamp16(g.mark_x + fixed_sin(b, dist));
        g.kick_target_y = clamp16(g.mark_y + fixed_cos(b, dist));
    };
    if (in_goal_range(k, range, k->x, k->y)) {
        point_at(attribute_random_check(k, a, 0, 1), range);
    } else {
        collect_pass_candidates();
        int32_t best = 0, best_kind = KICK_TO_MAN;
        PlayerSlot* best_man = nullptr;
        for (int i = 0; i < 19 && (g.kick_list[i].man || g.kick_list[i].goal); ++i) {
            if (g.kick_list[i].goal)
                continue;
            int32_t kind = 0;
            const int32_t s = disposal_option_to_man(k, g.kick_list[i].man, &kind, range, g.kick_list[i].angle);
            if (s > best) {
                best = s;
                best_man = g.kick_list[i].man;
                best_kind = kind;
            }
        }
        if (best_man) {
            g.kick_target_man = best_man;
            g.kick_target_kind = best_kind;
            g.kick_target_x = best_man->x;
            g.kick_target_y = best_man->y;
        } else {
            g.kick_target_kind = KICK_INTO_SPACE;
            point_at(a, range);
        }
    }
    if (g.match_state == 6 && (game_random() & 3) != 0) {
        g.kick_target_man = nullptr;
        g.kick_target_kind = KICK_INTO_SPACE;
        const int32_t r = static_cast<int32_t>(game_random() & 63);
        point_at((k->side == 2 ? 32 : 160) + r, range + 2560);
        return;
    }
    const bool near_own_goal = k->side == 2 ? k->x < -19442 : k->x >= 19443;
    if (near_own_goal && (game_random() & 3) == 0) {
        g.kick_target_man = nullptr;
        g.kick_target_kind = KICK_TO_HANDS;
        point_at(a + static_cast<int32_t>(game_random() & 7) - 4, range + 1280);
    }
}

void check_period_end()
{
    MatchGlobals& g = G();
    const bool over = ((g.flow_flags & TIME_ON) && g.period_clock >= g.stopped_time) ||
                      (g.period_clock < 1 && g.stopped_time == 0);
    if (over) {
        g.period_end_pending = 1;
        return;
    }
    const int32_t gx = g.awarded_side == 2 ? 24562 : -24562;
    const uint8_t a = static_cast<uint8_t>(vector_angle(gx - g.mark_x, -g.mark_y));
    const int32_t nx = g.mark_x + fixed_sin(a, 12800);
    const int32_t ny = g.mark_y + fixed_cos(a, 12800);
    if (std::abs(nx) >= 24434) {
        g.mark_x = static_cast<int16_t>(g.awarded_side == 2 ? 24434 : -24434);
        g.mark_y = 0;
    } else {
        g.mark_x = clamp16(nx);
        g.mark_y = clamp16(ny);
    }
    presentation::commentate(46, team_records[0].side == g.awarded_side ? 0 : 1, 0, 0, 0, 10);
}

void spread_wide_man(PlayerSlot* man)
{
    const MatchGlobals& g = G();
    TeamRecord* t = man->team;
    int32_t rx, ry;
    if (g.ball_holder) {
        rx = g.ball_holder->x;
        ry = g.ball_holder->y;
    } else if (ball_state.flight_flags & FLIGHT_KICKED) {
        rx = ball_state.landing_x;
        ry = ball_state.landing_y;
    } else {
        rx = ball_whole_x();
        ry = ball_whole_y();
    }
    const bool s2 = man->side == 2;
    const int32_t X = s2 ? rx - 12800 : rx + 12800;
    const int32_t h = ry / 2;
    const int32_t n = t->ruck_contest_count ? t->ruck_contest_count : 1;
    const int32_t i = t->wide_man_index;
    int32_t px, py;
    if (rx > 11762) {
        px = s2 ? X : rx;
        py = s2 ? h + (6144 / n) * i : h + (3072 / n) * i;
    } else if (rx < -11762) {
        px = s2 ? rx : X;
        py = s2 ? h - (3072 / n) * i : h - (6144 / n) * i;
    } else {
        px = X;
        py = s2 ? h + (6144 / n) * i : h - (6144 / n) * i;
    }
    int16_t cx = clamp16(px), cy = clamp16(py);
    clamp_to_field(&cx, &cy);
    post_man_message(man, ACT_RUN_TO_POINT, nullptr, 0, cx, cy, 50);
    ++t->wide_man_index;
}

void offender_face_umpire(PlayerSlot* man)
{
    switch (man->job_step) {
    case 0: {
        const PlayerSlot& ump = official_slots[0];
        man->target_x = ump.x;
        man->target_y = ump.y;
        set_heading_to_target(man);
        post_man_message(man, ACT_STAND, nullptr, static_cast<uint16_t>(man->wanted_facing), man->x, man->y, 5000);
        if (man->facing == static_cast<uint8_t>(man->wanted_facing) && !man->turning)
            man->job_step = 1;
        break;
    }
    case 1:
        play_man_animation(man, 358, 0, 1.0);
        man->man_flags |= MAN_BUSY;
        man->job_step = 2;
        break;
    default:
        break;
    }
}

PlayerSlot* find_man_near_point(int32_t side, int32_t x, int32_t y)
{
    const MatchGlobals& g = G();
    PlayerSlot* best = nullptr;
    int64_t best_d = 0;
    for (int i = 0; i < g.active_men_count; ++i) {
        PlayerSlot* m = g.active_men[i];
        if (!m || m->side != side || m->busy_flag || (m->man_flags & MAN_OUT_OF_PLAY) || is_queued_for_interchange(m))
            continue;
        const int64_t dx = m->x - x, dy = m->y - y;
        const int64_t d = dx * dx + dy * dy;
        if (!best || d < best_d) {
            best = m;
            best_d = d;
        }
    }
    return best;
}

int32_t count_team_men_listed(const TeamRecord* team, int32_t n)
{
    const MatchGlobals& g = G();
    int32_t count = 0;
    for (int i = 0; i < n && i < g.active_men_count; ++i)
        if (g.active_men[i] && g.active_men[i]->team == team)
            ++count;
    return count;
}
