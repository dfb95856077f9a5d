#include "players/team_ai.h"

#include "match/ball.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/man_behaviours.h"
#include "match/match_hooks.h"
#include "match/proposals.h"
#include "match/set_play_director.h"
#include "players/actions.h"
#include "players/anim_driver.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/man_queries.h"
#include "players/movement.h"
#include "players/occupancy.h"

#include <cstdlib>
#include <initializer_list>
#include <cstring>

GroupSteer group_steer[30];

// clang-format off
const int16_t phase_table[75] = {
    5, 0, 5, 10, 5, 5, 5, 6, 6, 6,     // 0..9
    5, 11, 5, 13, 5, 5, 5, 5, 0, 5,    // 10..19
    5, 5, 34, 35, 5, 5, 5, 0, 5, 5,    // 20..29
    5, 5, 5, 5, 5, 5, 5, 5, 5, 14,     // 30..39
    5, 7, 6, 5, 5, 7, 5, 5, 5, 7,      // 40..49
    5, 5, 12, 15, 16, 5, 7, 11, 18, 19, // 50..59
    20, 21, 22, 23, 24, 25, 26, 27, 28, 29, // 60..69
    30, 31, 32, 33, 5,                 // 70..74
};
// clang-format on

namespace {

MatchGlobals& G() { return match_globals; }

constexpr uint16_t FLAG_IN_CONTEST = MAN_IN_CONTEST;

bool frozen() { return presentation::hw_transition_running() || G().match_paused; }

bool in_list(int32_t v, std::initializer_list<int32_t> list)
{
    for (int32_t x : list)
        if (x == v)
            return true;
    return false;
}

bool has_device(const ContestGroup* g) { return g && g->present; }

// Men whose pointer names no group, or a second group, lose it; every listed
// member without one gets his group back.
void repair_group_links()
{
    for (TeamRecord& t : team_records)
        for (PlayerSlot& m : t.slots) {
            if (!m.contest_group)
                continue;
            int listed = 0;
            for (ContestGroup& g : controllers)
                for (PlayerSlot* s : g.men)
                    if (s == &m && &g == m.contest_group)
                        ++listed;
            if (listed != 1)
                m.contest_group = nullptr;
        }
    for (ContestGroup& g : controllers)
        for (PlayerSlot* s : g.men)
            if (s && !s->contest_group)
                s->contest_group = &g;
}

TeamRecord* team_in_possession() { return G().possession_team; }

int32_t temperament(const PlayerSlot* man) { return person_skill(man, 28); }

void clamp_confidence(PlayerSlot* m)
{
    if (m->confidence > 100)
        m->confidence = 100;
}

int32_t aggression_scaled(int32_t v) { return static_cast<int32_t>(v * G().aggression_percent * 0.01); }

} // namespace

void reset_team_ai() { std::memset(group_steer, 0, sizeof group_steer); }

int32_t group_b_code(const ContestGroup* g) { return g ? static_cast<int32_t>(g->pressed & 15) : 0; }
int32_t group_a_code(const ContestGroup* g) { return g ? static_cast<int32_t>(g->released & 15) : 0; }
int32_t group_opening_code(const ContestGroup* g) { return g ? g->dirs_pressed & 15 : 0; }

int32_t group_direction(int32_t code, int32_t* dx, int32_t* dy)
{
    static const int8_t index_of[16] = {0, 1, 5, 0, 7, 8, 6, 0, 3, 2, 4, 0, 0, 0, 0, 0};
    static const int8_t steps[9][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {-1, 1}};
    const int32_t i = index_of[code & 15];
    *dx = steps[i][0];
    *dy = steps[i][1];
    return i;
}

int32_t is_kicking_now(const PlayerSlot* man)
{
    if (man->action == 49 || G().kicker_ball_action == 49)
        return 1;
    return in_list(static_cast<int32_t>(man->primary_animation), {21, 22, 23, 237, 238});
}

int32_t is_jump_spoil_start(const PlayerSlot* man)
{
    return in_list(static_cast<int32_t>(man->primary_animation), {331, 334, 337, 340, 343, 346, 349, 352});
}

void leave_contest_group(PlayerSlot* man)
{
    ContestGroup* g = man->contest_group;
    if (!g)
        return;
    for (PlayerSlot*& m : g->men) {
        if (m) {
            m->man_flags &= static_cast<uint16_t>(~FLAG_IN_CONTEST);
            m->contest_group = nullptr;
        }
        m = nullptr;
    }
    man->man_flags &= static_cast<uint16_t>(~FLAG_IN_CONTEST);
    man->contest_group = nullptr;
}

void team_ai_tick()
{
    MatchGlobals& g = G();
    if (frozen())
        return;
    for (int gi = 0; gi < CONTEST_GROUPS; ++gi) {
        ContestGroup& group = controllers[gi];
        PlayerSlot* first = group.men[0];
        if (!first)
            continue;
        if (!(first->man_flags & FLAG_IN_CONTEST)) {
            first->man_flags |= FLAG_IN_CONTEST;
            continue;
        }
        int32_t dx = 0, dy = 0;
        group_steer[gi].index = static_cast<uint8_t>(group_direction(group.dirs & 15, &dx, &dy));
        group_steer[gi].dx = static_cast<int8_t>(dx);
        group_steer[gi].dy = static_cast<int8_t>(dy);
        int32_t holder_in = 0, kicker_in = 0;
        for (int s = 0; s < 3; ++s) {
            PlayerSlot* m = group.men[s];
            if (!m)
                continue;
            if (m == g.ball_holder) {
                holder_in = 1;
                if (s != 0) {
                    group.men[s] = group.men[0];
                    group.men[0] = m;
                }
            }
            if (m == g.last_kicker)
                kicker_in = 1;
        }
        const int count = holder_in ? 1 : 3;
        for (int s = 0; s < count; ++s) {
            PlayerSlot* m = group.men[s];
            if (!m)
                continue;
            if (!m->contest_group)
                repair_group_links();
            const uint16_t flags = m->man_flags;
            if (decide_man_behaviour(m, holder_in, kicker_in))
                return;
            if ((flags & FLAG_IN_CONTEST) && !(m->man_flags & MAN_BUSY)) {
                player_act(m);
                update_motion_limits(m);
            }
        }
    }
}

int32_t decide_man_behaviour(PlayerSlot* man, int32_t holder_in_group, int32_t kicker_in_group)
{
    MatchGlobals& g = G();
    if (is_jump_spoil_start(man)) {
        jump_spoil_step(man);
        return 0;
    }
    ContestGroup* group = man->contest_group;
    if (is_kicking_now(man) && group && !(group->buttons & 1))
        man->kick_lock = 0;
    const int32_t state = g.match_state;
    if (!holder_in_group && !kicker_in_group && man->action != 23 && group_b_code(group) == 1) {
        if (!in_list(state, {3, 11, 20, 39, 52, 57})) {
            resolve_contest(man);
            const bool waits = in_list(state, {19, 22, 23, 24}) || (state >= 58 && state <= 72);
            if (!waits)
                return 1;
            if (man->team && man->team->setup_chosen)
                return 1;
        }
    }
    man->man_flags |= FLAG_IN_CONTEST;
    if (state == 1 && man->man_flags < 0x80) {
        if (man->loose_ball_choice == 1)
            loose_ball_support_a(man);
        else
            loose_ball_support_b(man);
        loose_ball_support_d(man);
        if (man->man_flags & MAN_BUSY)
            return 0;
    }
    int32_t row = state >= 0 && state < 75 ? phase_table[state] : 5;
    switch (row) {
    case 0:
        if (!g.ball_holder) {
            row = man->action == 23 ? 8 : 3;
        } else if (holder_in_group) {
            if (g.kick_gauge_running && man == g.last_kicker) {
                if (g.kick_gauge == 100.0f) {
                    g.kick_gauge = 0;
                    g.kick_gauge_running = 0;
                } else {
                    g.kick_gauge += 3.3f;
                    if (g.kick_gauge > 100.0f)
                        g.kick_gauge = 100.0f;
                }
            }
            row = man == g.ball_holder ? 0 : 1;
        } else {
            row = man->team && man->team == team_in_possession() ? 1 : 2;
        }
        break;
    case 20: case 22: case 24: case 26: case 28: case 30: case 32: case 33:
        if (!(g.ball_holder || (!(ball_state.flight_flags & FLIGHT_MOVING) && ball_state.bounce_count == 0)))
            row = 3;
        break;
    case 6:
        if (man == g.last_kicker || man == g.controlled_man_a) {
        } else if (man == g.controlled_man_b) {
            react_to_controlled_player(man);
            if (!(man->man_flags & FLAG_IN_CONTEST))
                return 0;
            row = 17;
        } else {
            row = 3;
        }
        break;
    case 7:
        if (man == g.ball_holder) {
            row = in_field(man->x, man->y) ? 7 : 4;
        } else if (man == g.controlled_man_b) {
            react_to_controlled_player(man);
            if (!(man->man_flags & FLAG_IN_CONTEST))
                return 0;
            row = 17;
        } else {
            row = 3;
        }
        break;
    default:
        break;
    }
    dispatch_phase_handlers(man, row);
    return 0;
}

void dispatch_phase_handlers(PlayerSlot* man, int32_t row)
{
    const MatchGlobals& g = G();
    if (frozen() || row < 0 || row >= BEHAVIOUR_ROWS)
        return;
    ContestGroup* group = man->contest_group;
    // A group without a device has no stick or buttons: the computer's men
    // take their proposals instead of being steered to a stop.
    if (!has_device(group))
        return;
    if (BehaviourHandler h = behaviour_rows_a[row][0])
        h(man);
    if (!man->contest_group || !is_group_leader(man))
        return;
    group = man->contest_group;
    if (group_opening_code(group)) {
        if (BehaviourHandler h = behaviour_rows_b[row][0])
            h(man);
        if (!(group = man->contest_group))
            return;
    }
    if (const int32_t n = group_b_code(group)) {
        if (g.match_state == 1 && man->team && man->team->behaviour_set)
            pick_man_proposal(man);
        else if (BehaviourHandler h = behaviour_rows_b[row][n])
            h(man);
        if (!(group = man->contest_group))
            return;
    }
    if (const int32_t m = group_a_code(group))
        if (BehaviourHandler h = behaviour_rows_a[row][m])
            h(man);
}

void pick_man_proposal(PlayerSlot* man)
{
    MatchGlobals& g = G();
    if (g.match_state == 1) {
        man->proposal_count = 0;
        if (man == g.ball_holder) {
            PlayerSlot* opp = man;
            int32_t d = 0;
            for (int i = 1; i < g.active_men_count; ++i) {
                PlayerSlot* o = g.active_men[i];
                if (o && !o->busy_flag && !(o->man_flags & (MAN_OUT_OF_PLAY | FLAG_IN_CONTEST | MAN_BUSY)) &&
                    o->side != man->side) {
                    opp = o;
                    d = g.active_distance[i];
                    break;
                }
            }
            man_ball_distance_check(man);
            carrier_consider_shot(man);
            carrier_react_to_opponent(man, d);
            carrier_look_for_lead(man, opp, d);
        } else if (g.ball_holder) {
            propose_tackle_carrier(man);
            rate_teammate_options(man);
            propose_smother(man);
        } else {
            loose_ball_contest(man);
            loose_ball_support_b(man);
            loose_ball_support_a(man);
            loose_ball_support_c(man);
            loose_ball_support_d(man);
        }
    }
    int best = -1;
    int32_t best_p = 0;
    for (int i = 0; i < man->proposal_count; ++i) {
        const int32_t p = static_cast<int16_t>(man->proposals[i].priority);
        if (p > best_p && !action_proposal_blocked(man, i, 0)) {
            best_p = p;
            best = i;
        }
    }
    if (best < 0 && man->proposal_count == 1) {
        const ActionProposal& p = man->proposals[0];
        man->target_man = p.target_man;
        man->action_arg = p.argument;
        man->target_x = p.x;
        man->target_y = p.y;
        man->action = 0;
        return;
    }
    if (best < 0) {
        man->action = 0;
        return;
    }
    const ActionProposal& p = man->proposals[best];
    man->action = p.action;
    man->target_x = p.x;
    man->target_y = p.y;
    man->action_arg = p.argument;
    man->target_man = p.target_man;
}

void react_to_controlled_player(PlayerSlot* man)
{
    MatchGlobals& g = G();
    if ((man->action >= 57 && man->action <= 71) || (man->man_flags & 0x0100) || (man->man_flags & MAN_BUSY))
        return;
    if (!check_ball_touch(man)) {
        man->man_flags &= static_cast<uint16_t>(~FLAG_IN_CONTEST);
        post_man_message(man, ACT_MOVE_TO_POINT, nullptr, 0, g.mark_x, g.mark_y, 255);
        man->target_x = g.mark_x;
        man->target_y = g.mark_y;
        set_heading_to_target(man);
        return;
    }
    if (PlayerSlot* k = g.controlled_man_a)
        man->wanted_facing = static_cast<int16_t>(vector_angle(k->x - man->x, k->y - man->y));
    if (!g.ball_holder) {
        if (man->secondary_animation == 356 || man->secondary_animation == 355) {
            set_man_animation(man, 357, 0, 4.0);
            return;
        }
        PlayerSlot* k = g.controlled_man_a;
        if (!man->contest_group && k && (k->man_flags & 8) && !man->secondary_data && !is_sidestepping(man) &&
            man == g.controlled_man_b && man->arrived) {
            man->mark_spot_heading = man->facing;
            man->air_word = 0x200;
            man->air_timer = person_skill(man, 25) << 15;
            man->action = ACT_MARK_UP;
            man->previous_action = ACT_MARK_UP;
            post_man_message(man, ACT_MARK_UP, nullptr, 0, g.mark_x, g.mark_y, 1000);
        }
        return;
    }
    if (is_standing_anim(man) && !man->secondary_data)
        set_man_animation(man, 355, 0, 4.0);
}

// ---- Confidence and grudges ----

uint8_t& grudge(const PlayerSlot* man, const PlayerSlot* other)
{
    return man->team->pairings[man->number % TEAM_SLOTS][other->number % TEAM_SLOTS];
}

void init_man_confidence(PlayerSlot* man)
{
    static const int32_t bases[4] = {40, 75, 100, 20};
    const uint32_t d = game_settings.difficulty;
    const int32_t base = bases[d < 4 ? d : 1];
    const int32_t team_term = man->team == &team_records[0] ? 40 : 60;
    man->confidence = static_cast<int32_t>((base * 0.5 + 2 * team_term) * 0.4);
}

void adjust_confidence(PlayerSlot* man, int32_t kind)
{
    const int32_t t = temperament(man);
    if (kind == 2)
        man->confidence += -3 * t / 100;
    else if (kind == 3)
        man->confidence += 2 * t / 100;
    clamp_confidence(man);
}

void adjust_confidence_by_event(int32_t kind, int32_t amount)
{
    MatchGlobals& g = G();
    if (amount == 0)
        amount = 1;
    const PlayerSlot* event_man = g.scorer;
    for (int i = 0; i < g.active_men_count; ++i) {
        PlayerSlot* m = g.active_men[i];
        if (!m || !m->team)
            continue;
        const int32_t t = temperament(m);
        switch (kind) {
        case 1:
            m->confidence += t * amount * 2 / 100;
            break;
        case 2:
            if (m == event_man)
                m->confidence += -3 * t / 100;
            if (event_man && m->team == event_man->team)
                m->confidence += -(t * amount * 3) / 100;
            else
                m->confidence += (t * amount * 3) / 100;
            break;
        case 4:
            init_man_confidence(m);
            for (uint8_t& v : m->team->pairings[m->number % TEAM_SLOTS])
                v = (g.flow_flags & QUARTER_3) ? 0 : static_cast<uint8_t>(v / 2);
            break;
        default:
            break;
        }
        clamp_confidence(m);
    }
}

void raise_grudge(PlayerSlot* man, PlayerSlot* other, int32_t kind)
{
    if (!man || !other || !man->team || !other->team || man->team == other->team)
        return;
    const int32_t t = temperament(man);
    int32_t add = 0, f = 0;
    switch (kind) {
    case 5: add = 4 * t / 100; f = 80; break;
    case 6: add = 2 * t / 100; f = 5; break;
    case 7: add = 6 * t / 100; f = 80; break;
    case 8: add = 2 * t / 100; f = 10; break;
    default: return;
    }
    man->confidence += add;
    clamp_confidence(man);
    uint8_t& gr = grudge(man, other);
    const int32_t v = gr + static_cast<int32_t>(man->confidence * f * 0.01);
    gr = static_cast<uint8_t>(v > 255 ? 255 : v);
}

int32_t scaled_temperament(const PlayerSlot* man, int32_t percent) { return temperament(man) * percent / 100; }

int32_t wants_to_fight(const PlayerSlot* man, const PlayerSlot* other)
{
    if (!man->team || !other->team || man->team == other->team)
        return 0;
    const int32_t gr = grudge(other, man);
    int32_t v = gr + static_cast<int32_t>(0.8 * (4 * temperament(other) / 100 + other->confidence));
    if (v > 255)
        v = 255;
    return aggression_scaled(v) > 30;
}

int32_t is_free_for_fight(const PlayerSlot* man)
{
    const MatchGlobals& g = G();
    if (man->busy_flag || (man->man_flags & MAN_OUT_OF_PLAY) || man == g.controlled_man_a || man == g.controlled_man_b)
        return 0;
    for (int i = 0; i < g.active_men_count; ++i)
        if (g.active_men[i] && g.active_men[i]->fight_opponent == man)
            return 0;
    return 1;
}

int32_t find_fight_pairs()
{
    MatchGlobals& g = G();
    bool set = false;
    int32_t nearest = 0x7FFFFFFF;
    for (int t = 0; t < 2; ++t) {
        TeamRecord& team = team_records[t];
        TeamRecord& other = team_records[1 - t];
        for (int i = 0; i < men_in_use(); ++i) {
            PlayerSlot* m = &team.slots[i];
            if (!is_free_for_fight(m))
                continue;
            for (int j = 0; j < men_in_use(); ++j) {
                PlayerSlot* o = &other.slots[j];
                const int32_t gr = grudge(m, o);
                if (aggression_scaled(gr) < 31 || !is_free_for_fight(o))
                    continue;
                if (m->fight_opponent && grudge(m, m->fight_opponent) >= gr)
                    continue;
                m->fight_opponent = o;
                set = true;
                ++g.fight_candidates;
                const int32_t d = vector_length(o->x - m->x, o->y - m->y);
                if (d < nearest)
                    nearest = d;
            }
        }
    }
    return set && nearest < 2560;
}

int32_t any_free_fighter()
{
    const MatchGlobals& g = G();
    for (int i = 0; i < g.active_men_count; ++i) {
        const PlayerSlot* m = g.active_men[i];
        if (m && m->fight_opponent && !m->busy_flag && !(m->man_flags & MAN_OUT_OF_PLAY) &&
            m != g.controlled_man_a && m != g.controlled_man_b && m->number != ball_state.last_touch)
            return 1;
    }
    return 0;
}

int32_t start_fight_reaction(PlayerSlot* man, PlayerSlot* other)
{
    if (aggression_scaled(grudge(other, man)) < 30) {
        play_man_animation(other, 363, 0, 1.0);
        other->man_flags |= MAN_BUSY;
        return 0;
    }
    play_man_animation(other, 369, 0, 1.0);
    other->man_flags |= MAN_BUSY;
    return 1;
}

void pair_value_by_number(PlayerSlot* man, PlayerSlot* other, uint8_t value)
{
    if (man->team && man->number < TEAM_SLOTS && other->number < TEAM_SLOTS)
        man->team->pairings[man->number][other->number] = value;
}

bool within_blow_reach(const PlayerSlot* man, const PlayerSlot* other, int32_t distance)
{
    return vector_length(other->x - man->x, other->y - man->y) <= distance;
}

bool rack_off_turns_to_fight(PlayerSlot* man, PlayerSlot* other)
{
    // He answers once: while his "huh?" plays the rack-off runs it out.
    if (other->primary_animation == 363)
        return false;
    return start_fight_reaction(man, other) != 0;
}

void argue_not_guilty(PlayerSlot* man)
{
    man->man_flags &= static_cast<uint16_t>(~FLAG_IN_CONTEST);
    if (man->fight_opponent)
        man->fight_opponent->man_flags &= static_cast<uint16_t>(~FLAG_IN_CONTEST);
    play_man_animation(man, 364, 0, 1.0);
    man->man_flags |= MAN_BUSY;
    if (man->argue_count > 0)
        --man->argue_count;
}

void schedule_phase_change(int32_t state, int32_t transition, int32_t value)
{
    MatchGlobals& g = G();
    if (presentation::hw_transition_running())
        return;
    presentation::start_transition(transition, 1000, 0);
    g.pending_cut_state = state;
    g.cut_fade_in_kind = value;
}

void check_control_records()
{
    for (const TeamRecord& t : team_records)
        for (const ContestGroup& g : controllers)
            if ((g.group_words[0] & 1) && g.side == (&t == &team_records[0] ? -1 : 1) && !g.men[0])
                presentation::message_box("control is fucked");
}
