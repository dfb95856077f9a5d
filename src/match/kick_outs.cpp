#include "match/kick_outs.h"

#include "match/ball.h"
#include "match/formation.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/kick_out_positions.h"
#include "match/man_behaviours.h"
#include "match/match_hooks.h"
#include "match/match_setup.h"
#include "match/proposals.h"
#include "match/set_kicks.h"
#include "match/stoppages.h"
#include "players/behaviour_handlers.h"
#include "players/man_queries.h"
#include "players/occupancy.h"
#include "players/team_ai.h"

#include <cstdlib>

namespace {

MatchGlobals& G() { return match_globals; }

constexpr uint16_t ACT_KICK_OUT_KICK = 42;
constexpr uint16_t ACT_LEAD_TO_SPOT = 87;
constexpr uint16_t ACT_SHIELD = 76;

PlayerSlot* kicker() { return G().controlled_man_a; }

TeamRecord* kicking_team()
{
    for (TeamRecord& t : team_records)
        if (t.side == G().awarded_side)
            return &t;
    return &team_records[0];
}

bool kicks(const PlayerSlot* m) { return m->side == G().awarded_side; }

bool in_goal_square_of(const PlayerSlot* m)
{
    const bool x_in = m->side == 2 ? (m->x > -24562 && m->x < -22258) : (m->x > 22258 && m->x < 24562);
    return x_in && m->y >= -818 && m->y < 819;
}

bool kicker_ready() { return kick_out_kicker_ready() != 0; }

bool clock_past(int32_t mark)
{
    const MatchGlobals& g = G();
    return (g.flow_flags & TIME_ON) ? g.period_clock > mark : g.period_clock < mark;
}

int16_t goal_square_x(const PlayerSlot* m) { return static_cast<int16_t>(m->side == 2 ? -23794 : 23794); }

uint8_t facing_out(const TeamRecord* t) { return t->side == 2 ? 64 : 192; }

template <typename F> void for_free_men_backwards(F f)
{
    MatchGlobals& g = G();
    for (int i = g.active_men_count - 1; i >= 0; --i) {
        PlayerSlot* m = g.active_men[i];
        if (m && !m->busy_flag && m->team)
            f(m);
    }
}

void draw_plan(TeamRecord& team, bool kicking_plan)
{
    int32_t plan = static_cast<int32_t>(game_random() & 7);
    if (plan == 7)
        plan = 0;
    team.setup_choice = static_cast<int8_t>(plan);
    team.setup_chosen = 1;
    if (kicking_plan)
        choose_kickout_positions(&team, plan);
    else
        choose_oppose_kickout_positions(&team, plan);
}

struct LeadSpot {
    int32_t x, y;
};
const LeadSpot leads_60[4] = {{-12800, 6400}, {-12800, -6400}, {-15360, 7680}, {-15360, -7680}};
const LeadSpot leads_66[6] = {{-11520, 11520}, {-11520, -11520}, {-7680, 11520},
                              {-7680, -11520}, {-3840, 11520},  {-3840, -11520}};
const LeadSpot leads_68[4] = {{-17408, 8192}, {-17408, -8192}, {-16640, 8448}, {-16640, -8448}};
const LeadSpot leads_70[1] = {{-15360, 8960}};

void lead_to(PlayerSlot* m, const LeadSpot& s, uint16_t priority)
{
    const int32_t sign = m->side == 1 ? -1 : 1;
    post_man_message(m, ACT_LEAD_TO_SPOT, nullptr, 0, clamp16(sign * s.x), clamp16(sign * s.y), priority);
}

int role_of(const PlayerSlot* m, int32_t plan, int roles)
{
    for (int r = 0; r < roles; ++r)
        if (kick_out_role_man(m->team, plan, r) == m)
            return r;
    return -1;
}

void kicked_teammate(PlayerSlot* m, int32_t state, bool lead_time)
{
    const int32_t plan = kick_out_plan_of_state(state);
    if (!lead_time || !(state == 60 || state == 66 || state == 68 || state == 70)) {
        place_kick_out_teammate(m);
        return;
    }
    switch (state) {
    case 60: {
        const int r = role_of(m, plan, 6);
        if (r >= 0 && r < 4)
            lead_to(m, leads_60[r], 10);
        else if (r == 4 || r == 5) {
            PlayerSlot* mate = kick_out_role_man(m->team, plan, r - 4);
            post_man_message(m, ACT_SHIELD, mate, 0, mate ? mate->x : m->x, mate ? mate->y : m->y, 255);
        } else
            place_kick_out_teammate(m);
        break;
    }
    case 66: {
        const int r = role_of(m, plan, 8);
        PlayerSlot* r7 = kick_out_role_man(m->team, plan, 7);
        if (r == 0 && r7) {
            const bool s1 = m->side == 1;
            if (s1 ? m->y > r7->y : m->y < r7->y) {
                post_man_message(m, ACT_MOVE_TO_POINT, nullptr, 0, static_cast<int16_t>(s1 ? 14322 : -14322), 0,
                                 10000);
                m->effort = 100;
            } else {
                post_man_message(m, ACT_MOVE_TO_POINT, nullptr, 0, m->x, clamp16(s1 ? r7->y + 512 : r7->y - 512),
                                 10000);
            }
        } else if (r >= 1 && r <= 6) {
            lead_to(m, leads_66[r - 1], 255);
        } else if (r == 7) {
            // Role 7 shields role 0 once he is past him on his side.
            PlayerSlot* r0 = kick_out_role_man(m->team, plan, 0);
            if (r0 && (m->side == 1 ? m->y > r0->y : m->y < r0->y))
                post_man_message(m, ACT_SHIELD, r0, 0, r0->x, r0->y, 255);
            else
                place_kick_out_teammate(m);
        } else {
            place_kick_out_teammate(m);
        }
        break;
    }
    case 68: {
        const int r = role_of(m, plan, 4);
        if (r >= 0)
            lead_to(m, leads_68[r], 10);
        else
            place_kick_out_teammate(m);
        break;
    }
    default: {
        if (role_of(m, plan, 1) == 0)
            lead_to(m, leads_70[0], 10);
        else
            place_kick_out_teammate(m);
        break;
    }
    }
}

} // namespace

int32_t kick_out_kicker_ready()
{
    const PlayerSlot* k = kicker();
    return k && G().ball_holder == k && k->arrived && !k->turning && in_goal_square_of(k);
}

void fetch_ball_for_kick_out(PlayerSlot* k)
{
    MatchGlobals& g = G();
    switch (k->job_step) {
    case 0:
        loose_ball_support_d(k);
        post_man_message(k, ACT_GO_FOR_BALL, nullptr, 0, ball_whole_x(), ball_whole_y(), 1200);
        if (g.ball_holder == k) {
            k->arrived = 0;
            k->job_step = 1;
        }
        break;
    case 1:
        post_man_message(k, ACT_MOVE_TO_POINT, nullptr, 0, goal_square_x(k), 0, 1200);
        if (k->arrived) {
            k->wanted_facing = k->side == 2 ? 64 : 192;
            k->job_step = 2;
        }
        break;
    default:
        k->wanted_facing = g.awarded_side == 1 ? 192 : 64;
        post_man_message(k, ACT_STAND, nullptr, static_cast<uint16_t>(k->wanted_facing), k->x, k->y, 12000);
        if (k->team && k->team->human_count)
            k->man_flags |= MAN_IN_CONTEST;
        break;
    }
}

void place_opponent_for_kick_out(PlayerSlot* m)
{
    TeamRecord* t = m->team;
    const FormationSpots* own = &default_formation_spots[team_index_of(t)];
    if (t->setup_choice == 0) {
        if (!follow_direct_opponent(m, 1))
            run_to_spot_avoiding(m, own);
        return;
    }
    if (m->stoppage_man) {
        run_to_numbered_spot(m, t->formation_spots->spot);
        return;
    }
    const PlayerSlot* k = kicker();
    const FormationSpot home = spot_for_man(m, t->formation_spots, m->number);
    if (k && std::abs(home.x - k->x) < 7680) {
        if (!follow_direct_opponent(m, 1))
            run_to_spot_avoiding(m, own);
        return;
    }
    run_to_spot_avoiding(m, t->formation_spots);
}

void update_kick_out_overlays()
{
    const MatchGlobals& g = G();
    if (g.overlays_suppressed || presentation::message_banner_busy() || !kicker_ready())
        return;
    TeamRecord* k = kicking_team();
    TeamRecord* o = k->other_team;
    presentation::update_team_overlay(k, k->setup_chosen ? (k->option_chosen ? 12 : 10) : 6, 8);
    if (o)
        presentation::update_team_overlay(o, o->setup_chosen ? 11 : 7, 8);
}

void place_men_for_kick_out()
{
    MatchGlobals& g = G();
    // The kicker's own pick-up clears kick_out_started, and he must hold the
    // ball before his team draws; so the draw does not wait on that flag.
    {
        for (int t = 0; t < 2; ++t) {
            TeamRecord& team = team_records[t];
            TeamRecord& other = team_records[1 - t];
            if (team.human_count || team.setup_chosen)
                continue;
            if (team.side == g.awarded_side) {
                if (kicker_ready() && !(other.human_count && !other.setup_chosen))
                    draw_plan(team, true);
            } else if (other.setup_chosen) {
                draw_plan(team, false);
            }
        }
    }
    PlayerSlot* k = kicker();
    for (int i = g.active_men_count - 1; i >= 0; --i) {
        PlayerSlot* m = g.active_men[i];
        if (!m || !m->team)
            continue;
        m->man_flags &= static_cast<uint16_t>(~MAN_IN_CONTEST);
        if (m->busy_flag)
            continue;
        if (m == k) {
            if (g.ball_returned != 1)
                walk_kicker_to_goal_square(m);
            else
                fetch_ball_for_kick_out(m);
        } else if (m == g.controlled_man_b) {
            place_mark_man_for_kick_out(m);
        } else if (kicks(m)) {
            place_kick_out_teammate(m);
        } else {
            place_opponent_for_kick_out(m);
        }
    }
    update_kick_out_overlays();
}

void form_kick_out_pass()
{
    PlayerSlot* k = kicker();
    for_free_men_backwards([&](PlayerSlot* m) {
        if (m == k)
            walk_kicker_to_goal_square(m);
        else if (m == G().controlled_man_b)
            place_mark_man_for_kick_out(m);
        else if (kicks(m))
            place_kick_out_teammate(m);
        else
            place_opponent_for_kick_out(m);
    });
}

void form_kick_out(int32_t state)
{
    MatchGlobals& g = G();
    form_kick_out_pass();
    if (!g.kick_out_human && state != 73 && clock_past(g.kick_out_kick_time)) {
        TeamRecord* t = kicking_team();
        switch (state) {
        case 59:
        case 65: t->option_choice = static_cast<uint8_t>(game_random() & 3); break;
        case 67: t->option_choice = static_cast<uint8_t>(game_random() & 1); break;
        case 69: t->option_choice = 0; break;
        default: break;
        }
        t->option_chosen = 1;
    }
    update_kick_out_overlays();
}

void contest_ball_landing()
{
    MatchGlobals& g = G();
    const BallState& b = ball_state;
    if (!(b.flight_flags & (FLIGHT_MOVING | FLIGHT_KICKED)) || !in_field(b.landing_x, b.landing_y))
        return;
    const bool one_each = g.match_state == 60 || g.match_state == 62 || g.match_state == 68 || g.match_state == 70;
    int32_t left[2];
    for (int t = 0; t < 2; ++t) left[t] = one_each ? 1 : team_records[t].action_quotas[QUOTA_CONTACT];
    const uint8_t flight = static_cast<uint8_t>(vector_angle(b.vx >> 8, b.vy >> 8));
    for (int i = 0; i < g.active_men_count && (left[0] > 0 || left[1] > 0); ++i) {
        PlayerSlot* m = g.landing_men[i];
        if (!m || !m->team || m->busy_flag || (m->man_flags & MAN_OUT_OF_PLAY) || man_is_busy(m))
            continue;
        const int32_t time_byte = g.landing_distance[i] / 256;
        if (time_byte > 254)
            break;
        const int t = team_index_of(m->team);
        if (left[t] <= 0)
            continue;
        --left[t];
        int32_t nearest_other = 0x7FFFFFFF;
        for (int j = 0; j < g.active_men_count; ++j) {
            const PlayerSlot* o = g.landing_men[j];
            if (o && o->team && o->side != m->side) {
                nearest_other = vector_length(o->x - b.landing_x, o->y - b.landing_y);
                break;
            }
        }
        int32_t x, y;
        const PlayerSlot* near = find_nearest_man(m);
        if (nearest_other >= 1793) {
            x = b.landing_x + fixed_sin(flight, 512);
            y = b.landing_y + fixed_cos(flight, 512);
        } else if (near && vector_length(m->x - b.landing_x, m->y - b.landing_y) <= 1024 &&
                   vector_length(near->x - b.landing_x, near->y - b.landing_y) <= 1024) {
            x = m->x;
            y = m->y;
        } else if (!team_records[t].loose_ball_words[0]) {
            x = b.landing_x - fixed_sin(flight, 256);
            y = b.landing_y - fixed_cos(flight, 256);
            team_records[t].loose_ball_words[0] = 1;
        } else if (!team_records[t].loose_ball_words[1]) {
            const uint8_t side_a = static_cast<uint8_t>(m->side == 2 ? flight + 64 : flight - 64);
            x = b.landing_x + fixed_sin(flight, 704) + fixed_sin(side_a, 256);
            y = b.landing_y + fixed_cos(flight, 704) + fixed_cos(side_a, 256);
            team_records[t].loose_ball_words[1] = 1;
        } else {
            const int32_t* off = m->number < GROUND_MEN ? marking_offsets[t][m->number] : nullptr;
            x = b.landing_x + (off ? 2 * off[0] : 0);
            y = b.landing_y + (off ? 2 * off[1] : 0);
        }
        post_man_message(m, ACT_GO_TO_LANDING, nullptr, 0, clamp16(x), clamp16(y), static_cast<uint16_t>(254 - time_byte));
    }
}

void play_kick_out(int32_t state)
{
    MatchGlobals& g = G();
    form_kick_out_pass();
    const BallState& b = ball_state;
    if (!g.ball_holder && (b.flight_flags & (FLIGHT_MOVING | FLIGHT_KICKED)) && !g.ball_touched)
        contest_ball_landing();
    PlayerSlot* k = kicker();
    const bool lead_state = state == 60 || state == 66 || state == 68 || state == 70;
    const bool lead_time =
        clock_past(g.kick_out_kick_time - (g.kick_out_human ? 62 : 0)) || (g.kick_out_human && (b.flight_flags & FLIGHT_KICKED));
    for_free_men_backwards([&](PlayerSlot* m) {
        loose_ball_contest(m);
        loose_ball_support_b(m);
        loose_ball_support_a(m);
        if (m->busy_flag || (m->man_flags & MAN_BUSY))
            return;
        if (!kicks(m)) {
            if (m == g.controlled_man_b) {
                if (m->arrived) {
                    if (is_standing_anim(m))
                        react_to_controlled_player(m);
                    if (!m->contest_group)
                        post_man_message(m, ACT_STAND_THE_MARK, nullptr, 0, g.mark_x, g.mark_y, 1);
                } else {
                    post_man_message(m, ACT_MOVE_TO_POINT, nullptr, 0, g.mark_x, g.mark_y, 2);
                }
            } else if (m->team->setup_choice == 0) {
                if (!follow_at_marking_offset(m, static_cast<PlayerSlot*>(const_cast<void*>(m->spot)),
                                              state == 66 ? 10000 : 10))
                    run_to_spot_avoiding(m, m->team->formation_spots);
            } else if (state == 60) {
                run_to_formation_spot(m, m->team->formation_spots->spot);
            }
            return;
        }
        if (m == k) {
            const bool face_state = state == 60 || state == 64 || state == 66 || state == 68 || state == 70;
            if (g.kick_out_human) {
                if (m->action != m->run_up_action)
                    post_man_message(m, ACT_MOVE_TO_POINT, nullptr, 0, goal_square_x(m), 0, 2);
                if (face_state)
                    m->wanted_facing = facing_out(m->team);
            } else if (g.ball_holder == m && m->action != m->run_up_action) {
                if (state == 62 || state == 64 || state == 72) {
                    set_restart_target(m);
                    post_man_message(m, ACT_TAKE_SET_KICK, g.kick_target_man,
                                     static_cast<uint16_t>(g.kick_target_kind), g.kick_target_x, g.kick_target_y,
                                     10000);
                } else if (lead_state && clock_past(g.kick_out_kick_time)) {
                    set_restart_target(m);
                    post_man_message(m, ACT_KICK_OUT_KICK, nullptr, KICK_TO_HANDS, m->target_x, m->target_y, 10000);
                }
                if (face_state)
                    m->wanted_facing = facing_out(m->team);
            }
            return;
        }
        if (lead_state)
            kicked_teammate(m, state, lead_time);
    });
    update_kick_out_overlays();
}

namespace {
template <int S> void handler()
{
    if (S & 1)
        form_kick_out(S);
    else
        play_kick_out(S);
}
} // namespace

void (*const kick_out_handlers[15])() = {handler<59>, handler<60>, handler<61>, handler<62>, handler<63>,
                                          handler<64>, handler<65>, handler<66>, handler<67>, handler<68>,
                                          handler<69>, handler<70>, handler<71>, handler<72>, handler<73>};
