#include "match/set_play_director.h"

#include "league/game_settings.h"
#include "league/league_data.h"
#include "match/ball.h"
#include "match/formation.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/interchange.h"
#include "match/match_hooks.h"
#include "match/match_watches.h"
#include "match/proposals.h"
#include "model/anim_table.h"
#include "platform/files.h"
#include "players/anim_driver.h"
#include "players/man_display.h"
#include "match/match_flow.h"
#include "match/match_setup.h"
#include "players/actions.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/movement.h"
#include "players/phase_cut.h"
#include "match/man_behaviours.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/team_ai.h"
#include "players/movement.h"
#include "match/kick_outs.h"
#include "match/man_behaviours.h"
#include "match/match_records.h"
#include "match/set_kicks.h"
#include "match/stoppages.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/occupancy.h"
#include "players/team_ai.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

const FormationSpot line_up_spots[TEAM_SLOTS] = {
    {-2048, 1536}, {-2048, 2048}, {-1792, 1280}, {-1792, 1536}, {-1792, 2048}, {-1792, 2304},
    {-1536, 1792}, {-1280, 2304}, {-1280, 2048}, {-1280, 1536}, {-1024, 1792}, {-768, 1280},
    {-768, 1536},  {-768, 2048},  {-768, 2304},  {-1280, 1280}, {-512, 1536},  {-512, 1792},
    {-512, 2048},  {-1792, 1792}, {-1024, 1536}, {-2048, 1280}, {-1536, 2304}, {-1536, 1280},
};

namespace {

constexpr uint32_t ANIM_ONGROUND_FACEUP = 313;
constexpr uint32_t ANIM_HANDSHAKE = 317;
constexpr uint32_t ANIM_ARGUE_NOT_GUILTY = 364;
constexpr uint16_t ACT_FIGHT = 86;

MatchGlobals& g = match_globals;

bool out_of_play(const PlayerSlot* m) { return m->man_flags & MAN_OUT_OF_PLAY; }

// Free for a set-play order: on the ground, in play and not dealt with.
bool free_for_orders(const PlayerSlot* m) { return !m->busy_flag && !m->excluded && !out_of_play(m); }

bool computer_in_training_against_human(const PlayerSlot* m)
{
    const TeamRecord* t = m->team;
    return g.game_type == GAME_TRAINING && t && t->human_count == 0 && t->other_team &&
           t->other_team->human_count != 0;
}

uint16_t last_proposal(const PlayerSlot* m)
{
    return m->proposal_count > 0 ? m->proposals[m->proposal_count - 1].action : 0xFFFF;
}

void face_point(PlayerSlot* m, int32_t x, int32_t y)
{
    m->move_dx = clamp16(x - m->x);
    m->move_dy = clamp16(y - m->y);
    set_heading_to_target(m);
}

void restart_stand(PlayerSlot* m)
{
    play_man_animation(m, ANIM_STAND, 0, 1.0);
    m->primary_position = 0;
}

// Where the line-up sends the man numbered n of m's team: mirrored by side,
// as the line-up run itself does, so the men face their own line.
// By team record, not by side: the toss may change ends after the line-up,
// and a captain sent by his new side would walk back into the other team's
// line and never reach his place.
FormationSpot line_up_spot(const PlayerSlot* m, int n)
{
    const FormationSpot& s = line_up_spots[n % TEAM_SLOTS];
    if (team_index_of(m->team) == 0)
        return s;
    return {-s.x, -s.y};
}

bool is_captain(const PlayerSlot* m) { return m->team && m->team->captain == m; }
bool is_vice_captain(const PlayerSlot* m) { return m->team && m->team->vice_captain == m; }

uint8_t ruckman_number(const TeamRecord* t) { return t->key_men[0]; }

void face_the_line_up(PlayerSlot* m)
{
    const TeamRecord* t = m->team;
    if (!t)
        return;
    const uint8_t ruck = ruckman_number(t);
    const bool leader_is_ruck = (t->captain && t->captain->number == ruck) ||
                                (t->vice_captain && t->vice_captain->number == ruck);
    const int k = leader_is_ruck ? 9 : ruck;
    const FormationSpot spot = line_up_spot(m, m->number == k ? 7 : k);
    face_point(m, spot.x, spot.y);
    post_man_message(m, ACT_STAND, nullptr, static_cast<uint16_t>(m->wanted_facing), m->x, m->y, 12000);
    if (m->facing != static_cast<uint8_t>(m->wanted_facing))
        return;
    if ((m->number & 1) && m->number != k && !(m->man_flags & MAN_BUSY))
        restart_stand(m);
    else
        m->primary_position = 0;
}

TeamRecord* home_team()
{
    for (TeamRecord& t : team_records)
        if (t.club && t.club->number == static_cast<uint16_t>(game_settings.home_team))
            return &t;
    return nullptr;
}

void walk_to_gathering(PlayerSlot* m, uint16_t action)
{
    m->fight_opponent = nullptr;
    m->fight_link = 0;
    post_man_message(m, action, nullptr, 0, clamp16(g.gather_x), clamp16(g.gather_y), 255);
}

// The first free opponent of the holder, nearest the ball after him.
PlayerSlot* nearest_opponent_of(const PlayerSlot* holder)
{
    for (int i = 1; i < g.active_men_count; ++i) {
        PlayerSlot* m = g.active_men[i];
        if (m && free_for_orders(m) && m->side != holder->side && !(m->man_flags & (MAN_IN_CONTEST | MAN_BUSY)))
            return m;
    }
    return nullptr;
}

void busy_holder_step(PlayerSlot* holder)
{
    const bool may = !holder->contest_group || (holder->team && holder->team->contest_option);
    if (may && (holder->man_flags2 & 0x0040) && (holder->man_flags2 & 0x0400)) {
        holder->action = 22;
        holder->target_x = static_cast<int16_t>((static_cast<int32_t>(game_random() & 15) - 7) * 256);
        holder->target_y = static_cast<int16_t>((static_cast<int32_t>(game_random() & 15) - 7) * 256);
        holder->target_man = nullptr;
        holder->action_priority = 10000;
        holder->action_arg = static_cast<uint16_t>((game_random() & 7) + 40);
    }
    if (!holder->contest_group)
        carrier_react_to_opponent(holder, g.pressure_distance);
}

void end_fight(bool clear_start)
{
    for (PlayerSlot* f : g.fight_pair)
        if (f)
            f->action = 0;
    clear_player_links();
    g.fight_countdown = 0;
    if (clear_start)
        g.fight_start = 0;
    set_match_state(g.fight_return_state);
}

int32_t frames_of(uint32_t animation)
{
    if (animation >= ANIM_ROW_COUNT || !animation_table[animation].data)
        return 0;
    return static_cast<int32_t>(paf_length(animation_table[animation].data) / PAF_FRAME_US);
}

using Handler = void (*)();

void none() {}

void period_end_handler() { place_men_for_period_end(); }

Handler handler_for(int state)
{
    switch (state) {
    case 1:
    case 18: return direct_open_play;
    case 2: return return_to_positions;
    case 3: return direct_fight;
    case 4:
    case 10: return place_men_for_centre_bounce;
    case 6: return return_ball_to_kicker;
    case 8: return take_set_shot;
    case 9: return follow_set_kick_flight;
    case 11: return place_men_for_bounce_setup;
    case 13: return contest_centre_bounce;
    case 14:
    case 21:
    case 55: return period_end_handler;
    case 15: return full_time_walk_off;
    case 16: return gather_after_full_time;
    case 17: return gather_at_break;
    case 19: return line_up_for_quarter;
    case 20: return coin_toss_line_up;
    case 22: return captains_shake_hands;
    case 23: return captains_after_toss;
    case 24: return captains_to_positions;
    case 25:
    case 40:
    case 46: return hold_all_men;
    case 36: return hold_behind;
    case 37:
    case 38: return place_men_for_throw_in;
    case 39: return hold_throw_in_setup;
    case 41: return hold_mark_award;
    case 42:
    case 45: return take_set_kick;
    case 44: return pair_off_for_fight;
    case 47: return place_men_for_ball_up;
    case 48: return ball_up_after_whistle;
    case 49: return hold_free_kick_award;
    case 52: return place_men_for_bounce_options;
    case 53: return contest_ball_up;
    case 54: return contest_throw_in;
    case 57: return place_men_for_ball_up_setup;
    case 58: return place_men_for_kick_out;
    default: break;
    }
    if (state >= 59 && state <= 73)
        return kick_out_handlers[state - 59];
    return none;
}

} // namespace

void setup_play_situation()
{
    // Only open play re-posts a held action and counts the hold down; in
    // any other state a hold left over would keep the man busy for good.
    if (g.match_state != 1 && g.match_state != 18)
        for_each_active([](PlayerSlot* m) { m->hold_countdown = 0; });
    handler_for(g.match_state)();
}

void holder_seek_space(PlayerSlot* man)
{
    const auto behind = static_cast<uint8_t>((((man->facing + 16) & ~31) - 128) & 255);
    const int s = man->side == 2 ? 1 : 0;
    // Straight, half-left, half-right for each side's attack.
    const uint8_t dirs[2][3] = {{192, 160, 224}, {64, 32, 96}};
    const int pattern_of[2][3] = {{0, 2, 1}, {0, 1, 2}};
    for (int i = 0; i < 3; ++i) {
        const uint8_t dir = dirs[s][i];
        if (dir == behind)
            continue;
        const int8_t* pattern = run_patterns[s][pattern_of[s][i]];
        propose_run_into_space(man, dir, pattern, pattern);
    }
}

void assign_chasers(PlayerSlot* carrier, PlayerSlot* nearest)
{
    const TeamRecord* chasing = carrier->team ? carrier->team->other_team : nullptr;
    int remaining = chasing ? chasing->action_quotas[3] : 0;
    PlayerSlot* first = find_chaser(carrier);
    g.best_interception = first ? chase_time[first->number % TEAM_SLOTS] : 0x7fffffff;
    const bool still = carrier->velocity_x == 0 && carrier->velocity_y == 0;
    const auto ahead_of_carrier = [carrier](int32_t d, int16_t* x, int16_t* y) {
        *x = clamp16(carrier->x + fixed_sin(carrier->facing, d));
        *y = clamp16(carrier->y + fixed_cos(carrier->facing, d));
    };
    if (first && remaining > 0) {
        int16_t x = carrier->x, y = carrier->y;
        if (!still)
            ahead_of_carrier(chase_time[first->number % TEAM_SLOTS], &x, &y);
        post_man_message(first, ACT_CHASE_MAN, carrier, 0, x, y, 100);
        chase_time[first->number % TEAM_SLOTS] = -1;
        --remaining;
        for (int extra = 0; extra < remaining && chasing;) {
            int best = -1;
            for (int n = 0; n < men_in_use(); ++n)
                if (chase_time[n] >= 0 && (best < 0 || chase_time[n] < chase_time[best]))
                    best = n;
            if (best < 0 || chase_time[best] >= 12800)
                break;
            PlayerSlot* m = const_cast<PlayerSlot*>(&chasing->slots[best]);
            int16_t x, y;
            ahead_of_carrier(chase_time[best] > 32767 ? 32767 : chase_time[best], &x, &y);
            post_man_message(m, ACT_CHASE_MAN, carrier, 0, x, y, 100);
            m->hold_countdown = 10;
            chase_time[best] = -1;
            --remaining;
        }
    }
    for (int i = 1; i < g.active_men_count && remaining > 0; ++i) {
        PlayerSlot* m = g.active_men[i];
        if (!m || m->side == carrier->side || !free_for_orders(m) || (m->man_flags & 0x0481) ||
            last_proposal(m) == ACT_CHASE_MAN)
            continue;
        propose_chase_man(m, carrier);
        --remaining;
    }
    if (nearest && last_proposal(nearest) != ACT_CHASE_MAN)
        propose_chase_man(nearest, carrier);
}

void rate_teammate_options(PlayerSlot* man)
{
    if (!man->team || !man->team->other_team)
        return;
    TeamRecord* other = man->team->other_team;
    const int32_t reach = person_skill(man, 22) >> 3;
    for (int i = 0; i < GROUND_MEN; ++i) {
        PlayerSlot* o = &other->slots[i];
        if (o->ball_distance < reach)
            continue;
        propose_bump_man(man, o);
        propose_lead_man(man, o);
    }
}

void direct_open_play()
{
    int32_t first_side1 = 1, first_side2 = 1;
    PlayerSlot* holder = g.ball_holder;
    PlayerSlot* nearest = nullptr;
    if (!holder) {
        if (g.pass_receiver) {
            assign_chasers(g.pass_receiver, nullptr);
        } else {
            first_side1 = first_side2 = 0;
            if (ball_state.bounce_count == 0) {
                contest_ball_landing();
                for (int i = 0; i < g.active_men_count; ++i) {
                    PlayerSlot* m = g.active_men[i];
                    if (m && free_for_orders(m) && m->contest_group && m->avoiding) {
                        place_leads_in_play(m);
                        break;
                    }
                }
            }
        }
    } else {
        nearest = nearest_opponent_of(holder);
        g.pressure_distance = nearest ? nearest->ball_distance : 0;
        assign_chasers(holder, nearest);
        place_leads_for_set_kick(holder, holder->x, holder->y, 3);
    }

    for (int i = 0; i < g.active_men_count; ++i) {
        PlayerSlot* m = g.active_men[i];
        if (!m)
            continue;
        if (m->hold_countdown) {
            if (holder) {
                post_man_message(m, m->action, m->target_man, m->facing, m->target_x, m->target_y, 255);
                --m->hold_countdown;
                continue;
            }
            m->hold_countdown = 0;
        }
        if (m->man_flags2 & MAN2_OPTION_SPOT) {
            post_man_message(m, 79, nullptr, m->facing, m->x, m->y, 255);
            continue;
        }
        if (!man_is_busy(m) && !m->contest_group) {
            if (m == holder) {
                if (computer_in_training_against_human(m)) {
                    post_man_message(m, ACT_STAND, nullptr, 0, 0, 0, 2255);
                } else {
                    holder_seek_space(m);
                    man_ball_distance_check(m);
                    carrier_consider_shot(m);
                    carrier_react_to_opponent(m, g.pressure_distance);
                    carrier_look_for_lead(m, nearest, g.pressure_distance);
                }
            } else if (!holder) {
                run_to_adjusted_formation_spot(m);
                if (computer_in_training_against_human(m)) {
                    post_man_message(m, ACT_STAND, nullptr, 0, 0, 0, 2255);
                } else {
                    loose_ball_contest(m);
                    loose_ball_support_b(m);
                    loose_ball_support_a(m);
                    loose_ball_support_c(m);
                    loose_ball_support_d(m);
                    propose_go_for_ball(m, &first_side1, &first_side2);
                    if (m->position_role == 12)
                        spread_wide_man(m);
                    follow_direct_opponent(m, 0);
                }
            } else if (m->side == holder->side) {
                if (m->position_role == 12)
                    spread_wide_man(m);
                run_to_adjusted_formation_spot(m);
            } else {
                propose_tackle_carrier(m);
                rate_teammate_options(m);
                propose_smother(m);
                if (m->position_role == 12)
                    spread_wide_man(m);
                follow_direct_opponent(m, 0);
                run_to_adjusted_formation_spot(m);
            }
            continue;
        }
        if (m == holder && (m->man_flags2 & 0x0008)) {
            busy_holder_step(m);
            continue;
        }
        if (m->action == 23) {
            loose_ball_support_b(m);
            loose_ball_support_a(m);
        }
        if (m->number >= FIRST_BENCH_SLOT && m->busy_flag && m->arrived) {
            m->x = bench_spot_x(m->number, m->side);
            m->y = BENCH_LINE_Y;
            m->facing = 0;
            m->wanted_facing = 0;
            restart_stand(m);
        }
    }
}

void open_play_entry() { direct_open_play(); }

void busy_holder_evasion(PlayerSlot* holder) { busy_holder_step(holder); }

void return_to_positions()
{
    for_each_active([](PlayerSlot* m) {
        if (!free_for_orders(m) || man_is_busy(m))
            return;
        if (m == g.ball_holder) {
            post_man_message(m, 37, nullptr, 0, 0, 0, 255);
        } else if (m->y <= 24576) {
            const FormationSpots* f = m->team ? m->team->formation_spots : nullptr;
            const FormationSpot s = f ? f->spot[m->number % TEAM_SLOTS] : FormationSpot{0, 0};
            post_man_message(m, 36, nullptr, 0, static_cast<int16_t>(s.x), static_cast<int16_t>(s.y), 255);
        } else {
            post_man_message(m, 32, nullptr, 0, m->side == 1 ? 256 : -256, 23296, 255);
        }
    });
}

void full_time_walk_off()
{
    for_each_active([](PlayerSlot* m) {
        m->effort = 35;
        walk_to_gathering(m, ACT_MOVE_TO_POINT);
    });
}

void gather_after_full_time()
{
    for_each_active([](PlayerSlot* m) {
        if (!m->busy_flag)
            walk_to_gathering(m, ACT_WALK_OFF);
    });
}

void gather_at_break() { gather_after_full_time(); }

void line_up_for_quarter()
{
    for_each_active([](PlayerSlot* m) {
        set_all_player_flags(1);
        run_to_formation_spot(m, line_up_spots);
    });
    TeamRecord* home = home_team();
    if (home && home->human_count && !g.overlays_suppressed)
        presentation::init_team_overlay(home, 13, 2);
}

void coin_toss_line_up()
{
    const PlayerSlot& umpire = official_slots[0];
    for_each_active([&umpire](PlayerSlot* m) {
        if (is_captain(m) || is_vice_captain(m)) {
            face_point(m, umpire.x, umpire.y);
            if ((g.flow_flags & FLOW_KEEP_B) && !(m->man_flags & MAN_BUSY)) {
                restart_stand(m);
                m->man_flags |= MAN_BUSY;
            }
            return;
        }
        face_the_line_up(m);
    });
}

void captains_shake_hands()
{
    if (!g.handshake_done)
        for (TeamRecord& t : team_records)
            if (t.human_count) {
                if (t.captain)
                    t.captain->man_flags &= static_cast<uint16_t>(~MAN_IN_CONTEST);
                if (t.vice_captain)
                    t.vice_captain->man_flags &= static_cast<uint16_t>(~MAN_IN_CONTEST);
            }
    for_each_active([](PlayerSlot* m) {
        if (is_vice_captain(m)) {
            post_man_message(m, ACT_MOVE_TO_POINT, nullptr, 0, m->side == 1 ? 512 : -512, m->side == 1 ? -256 : 256,
                             12000);
            return;
        }
        if (!is_captain(m)) {
            face_the_line_up(m);
            return;
        }
        PlayerSlot* other = m->team->other_team ? m->team->other_team->captain : nullptr;
        const auto advance_both = [m, other]() {
            ++m->job_step;
            if (other)
                ++other->job_step;
        };
        switch (m->job_step) {
        case 0:
            post_man_message(m, ACT_MOVE_TO_POINT, nullptr, 0, m->side == 1 ? 512 : -512, 0, 12000);
            if (other && m->arrived && other->arrived) {
                m->arrived = other->arrived = 0;
                advance_both();
            }
            break;
        case 1: {
            int32_t joint[3];
            get_joint_position(joint, m, ANIM_HANDSHAKE, 0, 18, m->side == 2 ? 64 : 192, 14);
            post_man_message(m, 77, nullptr, 0, clamp16(-joint[0]), clamp16(-joint[2]), 12000);
            if (other && m->arrived && other->arrived)
                advance_both();
            break;
        }
        case 2:
            for (PlayerSlot* c : {m, other})
                if (c) {
                    play_man_animation(c, ANIM_HANDSHAKE, 0, 1.0);
                    c->man_flags |= MAN_BUSY;
                }
            advance_both();
            g.handshake_done = 1;
            break;
        case 3:
            if (!(m->man_flags & MAN_BUSY) && !(other && (other->man_flags & MAN_BUSY))) {
                play_man_animation(m, ANIM_BACKSTEP, 0, 1.0);
                m->man_flags |= MAN_BUSY;
                ++m->job_step;
            }
            break;
        default: post_man_message(m, ACT_STAND, nullptr, 0, 0, 0, 1200); break;
        }
    });
    TeamRecord* home = home_team();
    if (home && home->human_count && !presentation::team_overlay_busy(home) && !g.overlays_suppressed)
        presentation::update_team_overlay(home, 13, 2);
}

void captains_after_toss()
{
    if (g.toss_winner < 0 || g.toss_winner > 1)
        return;
    TeamRecord& winner = team_records[g.toss_winner];
    PlayerSlot* winning_captain = winner.captain;
    const PlayerSlot& umpire = official_slots[0];
    for_each_active([&](PlayerSlot* m) {
        if (m == winning_captain)
            face_point(m, umpire.x, umpire.y);
        else if ((is_captain(m) || is_vice_captain(m)) && winning_captain)
            face_point(m, winning_captain->x, winning_captain->y);
        else
            face_the_line_up(m);
    });
    if (winner.human_count && !presentation::team_overlay_busy(&winner))
        presentation::update_team_overlay(&winner, 14, 2);
}

void captains_to_positions()
{
    const PlayerSlot* winning_captain =
        g.toss_winner >= 0 && g.toss_winner <= 1 ? team_records[g.toss_winner].captain : nullptr;
    const bool walking = winning_captain && !(winning_captain->man_flags & MAN_BUSY);
    for_each_active([walking](PlayerSlot* m) {
        const bool leader = is_captain(m) || is_vice_captain(m);
        if (!leader) {
            face_the_line_up(m);
            return;
        }
        if (!walking)
            return;
        const FormationSpot s = line_up_spot(m, m->number);
        post_man_message(m, is_captain(m) ? ACT_RUN_TO_POINT : ACT_MOVE_TO_POINT, nullptr, 0,
                         static_cast<int16_t>(s.x), static_cast<int16_t>(s.y), 12000);
    });
}

void direct_fight()
{
    PlayerSlot* a = g.fight_pair[0];
    PlayerSlot* b = g.fight_pair[1];
    // Without both fighters nothing here can be measured; the rules end it.
    const bool pair = a && b;
    int32_t d = 0, mx = 0, my = 0;
    if (pair) {
        d = vector_length(a->x - b->x, a->y - b->y);
        mx = (a->x < b->x ? a->x : b->x) + std::abs(a->x - b->x) / 2;
        my = (a->y < b->y ? a->y : b->y) + std::abs(a->y - b->y) / 2;
    }
    for_each_active([&](PlayerSlot* m) {
        if (m->busy_flag || m->excluded || m->fight_link || (m->man_flags & 0x0D80))
            return;
        if (pair) {
            const auto ang = static_cast<uint8_t>(vector_angle(m->x - mx, m->y - my));
            const int32_t r = vector_length(m->x - mx, m->y - my);
            if (r < 1536 &&
                in_field(clamp16(mx + fixed_sin(ang, r + 256)), clamp16(my + fixed_cos(ang, r + 256)))) {
                const auto facing_off = static_cast<int8_t>(static_cast<uint8_t>(((m->facing - ang) & 255) - 128));
                if (r <= 1024 || m->action != 0 || std::abs(facing_off) > 31) {
                    m->target_x = clamp16(mx + fixed_sin(ang, 2048));
                    m->target_y = clamp16(my + fixed_cos(ang, 2048));
                    post_man_message(m, ACT_MOVE_TO_POINT, nullptr, 0, m->target_x, m->target_y, 255);
                    m->arrived = 0;
                    face_point(m, m->target_x, m->target_y);
                } else {
                    play_man_animation(m, ANIM_BACKSTEP, 0, 1.0);
                    m->man_flags |= MAN_BUSY;
                }
                return;
            }
        }
        if (m->fight_opponent) {
            post_man_message(m, ACT_FIGHT, m->fight_opponent, 0, 0, 0, 10000);
        } else {
            m->arrived = 1;
            m->target_x = m->x;
            m->target_y = m->y;
            m->move_dx = m->move_dy = 0;
            m->path_dx = m->path_dy = 0;
            m->action = 0;
        }
    });
    if (!pair)
        return;
    const bool grounded = a->primary_animation == ANIM_ONGROUND_FACEUP || b->primary_animation == ANIM_ONGROUND_FACEUP;
    if (d < 3841 && !grounded) {
        PlayerSlot* arguing = a->primary_animation == ANIM_ARGUE_NOT_GUILTY   ? a
                              : b->primary_animation == ANIM_ARGUE_NOT_GUILTY ? b
                                                                              : nullptr;
        if (!arguing)
            return;
        PlayerSlot* opponent = arguing == a ? b : a;
        opponent->action = 0;
        opponent->man_flags &= static_cast<uint16_t>(~MAN_IN_CONTEST);
        if ((arguing->primary_position >> 16) > frames_of(arguing->primary_animation) - 2)
            end_fight(true);
        return;
    }
    end_fight(false);
}

void pair_off_for_fight()
{
    PlayerSlot* candidate = nullptr;
    bool candidate_wants = false;
    int32_t candidate_distance = 0;
    for_each_active([&](PlayerSlot* m) {
        PlayerSlot* o = m->fight_opponent;
        if (!o || o->action == ACT_FIGHT) {
            post_man_message(m, ACT_STAND, nullptr, static_cast<uint16_t>(m->wanted_facing), 0, 0, 10000);
            return;
        }
        post_man_message(m, ACT_FIGHT, o, 0, 0, 0, 10000);
        if (g.fight_pair[0])
            return;
        const bool wants = wants_to_fight(m, o) != 0;
        const int32_t dist = vector_length(m->x - o->x, m->y - o->y);
        if (!candidate || (wants && !candidate_wants) || (wants == candidate_wants && dist < candidate_distance)) {
            candidate = m;
            candidate_wants = wants;
            candidate_distance = dist;
        }
    });
    if (g.fight_pair[0] || !candidate)
        return;
    g.fight_pair[0] = candidate;
    g.fight_pair[1] = candidate->fight_opponent;
    for (PlayerSlot* f : g.fight_pair)
        if (f && f->team && f->team->human_count) {
            contest_restart_with(f);
            f->man_flags &= static_cast<uint16_t>(~MAN_IN_CONTEST);
        }
}

void ball_up_after_whistle()
{
    for (int i = g.active_men_count - 1; i >= 0; --i) {
        PlayerSlot* m = g.active_men[i];
        if (!m || man_is_busy(m) || !m->team)
            continue;
        if (m->number == ruckman_number(m->team)) {
            propose_ruck_spot(m, g.mark_x, g.mark_y);
            continue;
        }
        int listed = 0;
        for (int k = 1; k <= 3; ++k)
            if (g.stoppage_men[m->team_index & 1][k] == m)
                listed = k;
        if (listed)
            place_listed_man(m, listed);
        else
            run_to_spot_clear_of_mark(m, m->team->formation_spots, g.mark_x, g.mark_y, 3072);
    }
}

void propose_kick_in_spot(PlayerSlot* man, int16_t x, int16_t y)
{
    const auto a = static_cast<uint8_t>(vector_angle(x - g.mark_x, y - g.mark_y));
    const int16_t px = static_cast<int16_t>(g.mark_x - fixed_sin16(a, 1792));
    const int16_t py = static_cast<int16_t>(g.mark_y - fixed_cos16(a, 1792));
    const TeamRecord* t = man->team;
    if (t && t->human_count == 0 && approx_vector_length(px - man->x, py - man->y) <= 256 &&
        g.free_kick_phase == t->turn_counter)
        cycle_counter4();
    post_man_message(man, 51, nullptr, 0, px, py, 255);
}

void hold_for_replay_start(PlayerSlot* facing_man)
{
    for_each_active([facing_man](PlayerSlot* m) {
        if (m->busy_flag)
            return;
        if (m == g.replay_start_man) {
            post_man_message(m, 26, nullptr, 0, m->x, m->y, 5000);
            return;
        }
        if (facing_man)
            face_point(m, facing_man->x, facing_man->y);
        post_man_message(m, ACT_STAND, nullptr, static_cast<uint16_t>(m->wanted_facing), m->x, m->y, 1000);
    });
}

namespace {
void freeze(PlayerSlot* man)
{
    for_each_active([man](PlayerSlot* m) {
        m->move_dx = m->move_dy = 0;
        m->speed = 0;
        if (m == man)
            post_man_message(m, 75, nullptr, 0, m->x, m->y, 1000);
        else
            post_man_message(m, 74, nullptr, 0, m->x, m->y, 999);
    });
}
} // namespace

void freeze_all_men(PlayerSlot* man)
{
    freeze(man);
    set_match_state(32);
}

void freeze_all_men_b(PlayerSlot* man) { freeze(man); }

void position_editor(const uint8_t* keys, uint8_t save_key, const uint8_t direction_keys[4])
{
    PlayerSlot* m = g.selected_man;
    for (int k = 0; k < 4; ++k)
        g.selected_key[k] = (keys[direction_keys[k]] & 0x80) ? g.selected_key[k] + 1 : 0;
    if (m) {
        m->x = clamp16(m->x - g.selected_key[0] + g.selected_key[1]);
        m->y = clamp16(m->y + g.selected_key[2] - g.selected_key[3]);
    }
    for_each_active([](PlayerSlot* man) { post_man_message(man, ACT_STAND, nullptr, 0, man->x, man->y, 10000); });
    if (!(keys[save_key] & 0x80)) {
        g.position_editor_saved = 0;
        return;
    }
    if (g.position_editor_saved)
        return;
    uint8_t buffer[192] = {};
    int at = 0;
    for (const TeamRecord& t : team_records)
        for (int i = 0; i < men_in_use() && at + 4 <= 192; ++i) {
            const auto x = static_cast<uint16_t>(t.slots[i].x), y = static_cast<uint16_t>(t.slots[i].y);
            buffer[at++] = static_cast<uint8_t>(x);
            buffer[at++] = static_cast<uint8_t>(x >> 8);
            buffer[at++] = static_cast<uint8_t>(y);
            buffer[at++] = static_cast<uint8_t>(y >> 8);
        }
    save_file("positions.dat", buffer, sizeof buffer);
    g.position_editor_saved = 1; // until the key is let go
}

int32_t list_animations_by_prefix(int32_t first, const char* prefix)
{
    int32_t rows[ANIM_PLAYED_ROWS];
    int n = 0;
    const size_t len = std::strlen(prefix);
    for (int r = 0; r < ANIM_PLAYED_ROWS; ++r)
        if (animation_table[r].data && std::strncmp(animation_table[r].label, prefix, len) == 0)
            rows[n++] = r;
    // A label that is a prefix of another sorts after it.
    const auto before = [](int32_t a, int32_t b) {
        const char* la = animation_table[a].label;
        const char* lb = animation_table[b].label;
        const size_t na = std::strlen(la), nb = std::strlen(lb);
        const int c = std::strncmp(la, lb, na < nb ? na : nb);
        if (c != 0)
            return c < 0;
        return na > nb;
    };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j + 1 < n - i; ++j)
            if (before(rows[j + 1], rows[j])) {
                const int32_t t = rows[j];
                rows[j] = rows[j + 1];
                rows[j + 1] = t;
            }
    return first >= 0 && first < n ? rows[first] : -1;
}
