#include "players/contest_groups.h"

#include "match/game_maths.h"
#include "match/ball.h"
#include "players/anim_driver.h"
#include "players/man_queries.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

PlayerSlot* gathering[GROUP_SLOTS];
uint8_t contest_group_ticks[CONTEST_GROUPS];
int32_t chase_time[TEAM_SLOTS];

namespace {

bool in_states(int32_t state, std::initializer_list<int32_t> list)
{
    for (int32_t s : list)
        if (s == state)
            return true;
    return false;
}

bool set_kick_state(int32_t s) { return in_states(s, {8, 9, 41, 42, 49, 56}); }

// Men in candidate order: by landing point while a kick is in flight.
PlayerSlot* const* candidate_order(int* count)
{
    const MatchGlobals& g = match_globals;
    *count = g.active_men_count;
    if ((ball_state.flight_flags & 0x60) == 0x60)
        return g.landing_men;
    return g.active_men;
}

void leave_group(PlayerSlot* man)
{
    man->contest_group = nullptr;
    man->man_flags &= static_cast<uint16_t>(~MAN_IN_CONTEST);
}

void empty_group(ContestGroup* group)
{
    if (!group)
        return;
    for (PlayerSlot*& m : group->men) {
        if (m && m->contest_group == group)
            leave_group(m);
        m = nullptr;
    }
}

bool gathered_has(PlayerSlot* m, int count)
{
    for (int i = 0; i < count && i < GROUP_SLOTS; ++i)
        if (gathering[i] == m)
            return true;
    return false;
}

PlayerSlot* first_candidate(const PlayerSlot* man)
{
    int n = 0;
    PlayerSlot* const* order = candidate_order(&n);
    for (int i = 0; i < n; ++i) {
        PlayerSlot* c = order[i];
        if (c && c != man && c->side == man->side && can_join_contest(c))
            return c;
    }
    return nullptr;
}

// The common rebuild of M's group with first candidate F and n members.
void rebuild_group(PlayerSlot* m, ContestGroup* g, PlayerSlot* f, int32_t n, int32_t check)
{
    if (n > GROUP_SLOTS)
        n = GROUP_SLOTS;
    if (n < 0)
        n = 0;
    if (f && f->contest_group && f->contest_group != g)
        return;
    if (contest_regroup_allowed(m, check)) {
        if (!g)
            g = free_group_for(m->team);
        if (!g)
            return;
        contest_clear(g);
        int taken = 0;
        int count = 0;
        PlayerSlot* const* order = candidate_order(&count);
        for (int i = 0; i < count && taken < n; ++i) {
            PlayerSlot* c = order[i];
            if (c && c != m && c->side == m->side && can_join_contest(c))
                gathering[taken++] = c;
        }
        if (f && !gathered_has(f, n))
            gather_insert_front(f, n);
        assign_gathered(g);
    }
    for (int i = 0; i < n; ++i)
        if (PlayerSlot* c = gathering[i]) {
            c->speed_burst = 0;
            c->speed_burst_b = 0;
        }
}

} // namespace

void settle_turning_man(PlayerSlot* man)
{
    const uint32_t a = man->primary_animation;
    const bool running_turn = a >= 124 && a <= 128, standing_turn = a >= 121 && a <= 123;
    if (!running_turn && !standing_turn)
        return;
    man->facing = anim_facing_offset(man);
    man->moving = 0;
    play_man_animation(man, running_turn ? 3 : 0, 0, 1.0);
    man->speed = running_turn ? 22 : 0;
    man->man_flags &= static_cast<uint16_t>(~MAN_BUSY);
}

int contest_group_index(const ContestGroup* group)
{
    if (!group || group < &controllers[0] || group >= &controllers[CONTEST_GROUPS])
        return -1;
    return static_cast<int>(group - &controllers[0]);
}

void reset_contest_groups()
{
    for (ContestGroup& g : controllers)
        for (PlayerSlot*& m : g.men) m = nullptr;
    std::memset(gathering, 0, sizeof gathering);
    std::memset(contest_group_ticks, 0, sizeof contest_group_ticks);
}

void release_contest_members()
{
    for (ContestGroup& g : controllers) empty_group(&g);
    for (TeamRecord& t : team_records)
        for (PlayerSlot& m : t.slots) leave_group(&m);
    std::memset(gathering, 0, sizeof gathering);
}

ContestGroup* free_group_for(const TeamRecord* team)
{
    if (!team)
        return nullptr;
    if (team->human_count) {
        const int32_t side = team == &team_records[0] ? -1 : 1;
        for (ContestGroup& g : controllers)
            if (g.present && g.side == side)
                return &g;
    }
    for (ContestGroup& g : controllers)
        if (!g.present && !g.men[0])
            return &g;
    return nullptr;
}

int32_t is_in_kick_zone(const PlayerSlot* man)
{
    const MatchGlobals& g = match_globals;
    if (!set_kick_state(g.match_state))
        return 0;
    const int32_t dx = man->x - g.mark_x, dy = man->y - g.mark_y;
    if (vector_length(dx, dy) <= 1792)
        return 1;
    // The corridor runs from the mark away from the goal the kick attacks.
    const int32_t goal_x = g.awarded_side == 2 ? 24562 : -24562;
    const uint8_t back = static_cast<uint8_t>(vector_angle(goal_x - g.mark_x, -g.mark_y) + 128);
    return std::abs(angle_diff(vector_angle(dx, dy), back)) < 32;
}

int32_t can_join_contest(const PlayerSlot* man)
{
    return !man->contest_group && !man_is_busy(man) && !is_in_kick_zone(man) && !man->excluded &&
           !(man->man_flags2 & MAN2_NO_CONTEST);
}

int32_t contest_regroup_allowed(const PlayerSlot* man, int32_t check)
{
    if (!check)
        return 1;
    const MatchGlobals& g = match_globals;
    if (set_kick_state(g.match_state)) {
        if (man == g.controlled_man_a)
            return 0;
        if (man == g.controlled_man_b)
            return 1;
    }
    if (!in_states(g.match_state, {10, 11, 12, 13, 53, 54, 57}))
        return 1;
    return !(man->team && man->team->key_men[0] == man->number);
}

void gather_insert_front(PlayerSlot* m, int32_t count)
{
    if (gathered_has(m, count))
        return;
    for (int i = GROUP_SLOTS - 1; i > 0; --i) gathering[i] = gathering[i - 1];
    gathering[0] = m;
}

void contest_join(PlayerSlot* man, PlayerSlot* first, int32_t count, int32_t check)
{
    rebuild_group(man, man->contest_group, first, count, check);
}

void contest_restart_with(PlayerSlot* man)
{
    ContestGroup* g = man->contest_group;
    if (!g)
        return;
    const uint16_t flags = man->man_flags;
    contest_clear(g);
    g->men[0] = man;
    man->contest_group = g;
    man->man_flags = flags;
}

void contest_clear(ContestGroup* group)
{
    std::memset(gathering, 0, sizeof gathering);
    empty_group(group);
}

void contest_collect_range(PlayerSlot* man, int32_t to, int32_t from)
{
    int count = 0;
    PlayerSlot* const* order = candidate_order(&count);
    int k = from;
    for (int i = 0; i < count && k < to && k < GROUP_SLOTS; ++i) {
        PlayerSlot* c = order[i];
        if (c && c != man && c->side == man->side && can_join_contest(c))
            gathering[k++] = c;
    }
}

void team_contests_clear(PlayerSlot* man)
{
    TeamRecord* team = man->team;
    if (!team || !team->human_count)
        return;
    // The group taken is a person's: the centre-bounce reset also puts men of
    // a human team into groups without a device, and a man handed one of
    // those would be played by the computer while the person waits.
    ContestGroup* g = nullptr;
    for (int i = 0; i < GROUND_MEN && !g; ++i)
        if (ContestGroup* c = team->slots[i].contest_group; c && c->present)
            g = c;
    if (!g)
        g = free_group_for(team);
    if (!g)
        return;
    contest_clear(g);
    g->men[0] = man;
    man->contest_group = g;
    man->man_flags |= MAN_IN_CONTEST;
}

void contest_upkeep(PlayerSlot* man)
{
    if (!man)
        return;
    ContestGroup* g = man->contest_group;
    const bool human_team = man->team && man->team->human_count;
    if (g && (g->present || !human_team)) {
        contest_restart_with(man);
        return;
    }
    if (g)
        contest_clear(g);
    team_contests_clear(man);
}

void set_contest_flag(PlayerSlot* man) { man->man_flags2 |= 0x04; }
void clear_contest_flag(PlayerSlot* man) { man->man_flags2 &= static_cast<uint16_t>(~0x04); }

void set_contest_flag_all()
{
    for (int i = 0; i < match_globals.active_men_count; ++i)
        if (PlayerSlot* m = match_globals.active_men[i]; m && m->contest_group)
            set_contest_flag(m);
}

void clear_contest_flag_all()
{
    for (int i = 0; i < match_globals.active_men_count; ++i)
        if (PlayerSlot* m = match_globals.active_men[i]; m && m->contest_group)
            clear_contest_flag(m);
}

int32_t is_group_leader(const PlayerSlot* man)
{
    const ContestGroup* g = man->contest_group;
    if (!g)
        return 0;
    const bool by_landing = (ball_state.flight_flags & FLIGHT_MOVING) != 0;
    const PlayerSlot* best = nullptr;
    int32_t best_d = 0;
    for (const PlayerSlot* m : g->men) {
        if (!m)
            continue;
        const int32_t d = by_landing ? m->landing_distance : m->ball_distance;
        if (!best || d < best_d) {
            best = m;
            best_d = d;
        }
    }
    return best == man;
}

int32_t is_group_leader_by_landing(const PlayerSlot* man)
{
    const ContestGroup* g = man->contest_group;
    if (!g)
        return 0;
    const PlayerSlot* best = nullptr;
    for (const PlayerSlot* m : g->men)
        if (m && (!best || m->landing_distance < best->landing_distance))
            best = m;
    return best == man;
}

void resolve_contest(PlayerSlot* man)
{
    if (match_globals.match_state == 3 || !is_group_leader(man))
        return;
    const int32_t n = man->team ? static_cast<int32_t>(man->team->selection_extra) : 1;
    rebuild_group(man, man->contest_group, first_candidate(man), n, 1);
}

void assign_gathered(ContestGroup* group)
{
    for (int i = 0; i < GROUP_SLOTS; ++i) {
        PlayerSlot* m = gathering[i];
        if (!m)
            break;
        m->contest_group = group;
        group->men[i] = m;
        m->man_flags |= MAN_IN_CONTEST;
    }
}

void add_to_group_slot(PlayerSlot* man, ContestGroup* group, int32_t slot)
{
    group->men[slot] = man;
    man->man_flags |= MAN_IN_CONTEST;
    man->contest_group = group;
    settle_turning_man(man);
    if ((group->dirs & 15) == 0)
        group->menu_scratch = man->facing;
}

void update_contest_groups()
{
    const MatchGlobals& g = match_globals;
    for (ContestGroup& group : controllers)
        for (PlayerSlot* m : group.men) {
            if (!m || m == g.controlled_man_a || m == g.controlled_man_b)
                continue;
            if (!is_in_kick_zone(m) || g.match_state == 3)
                continue;
            if (!is_group_leader(m))
                continue;
            const int32_t n = m->team ? static_cast<int32_t>(m->team->selection_extra) : 1;
            rebuild_group(m, m->contest_group, first_candidate(m), n, 1);
            break;
        }
}

double pursuit_time(int32_t x, int32_t y, int32_t v, int32_t u)
{
    if (v < 1)
        v = 1;
    const double k = static_cast<double>(u) / v;
    const double a = 1.0 - k * k;
    const double r2 = static_cast<double>(x) * x + static_cast<double>(y) * y;
    if (a == 0.0) {
        if (x == 0)
            return -1;
        const int64_t s = static_cast<int64_t>(x) * x + static_cast<int64_t>(y) * y;
        return static_cast<double>(-s / (2 * static_cast<int64_t>(x)));
    }
    const double d = 4.0 * x * static_cast<double>(x) - 4.0 * a * r2;
    if (d < 0)
        return -1;
    const double root = std::sqrt(d);
    const double t1 = (root - 2.0 * x) / (2.0 * a);
    const double t2 = (-2.0 * x - root) / (2.0 * a);
    if (t1 > 0 && t2 > 0)
        return t1 < t2 ? t1 : t2;
    return t1 > t2 ? t1 : t2;
}

namespace {
const int8_t octant_codes[16] = {2, 1, 1, 0, 0, -1, -1, -2, 2, 1, 1, 0, 0, -1, -1, -2};

PlayerSlot* chaser_search(PlayerSlot* runner, const PlayerSlot* excluded)
{
    for (int32_t& t : chase_time) t = 2147483647;
    if (!runner || (runner->velocity_x == 0 && runner->velocity_y == 0 && runner->speed == 0))
        return nullptr;
    const MatchGlobals& g = match_globals;
    int32_t v = (runner->top_speed >> 3) - 1;
    if (v < 1)
        v = 1;
    const int8_t code = octant_codes[runner->facing >> 4];
    const int n = g.active_men_count;
    PlayerSlot* best = nullptr;
    int32_t best_t = 0;
    for (int k = 0; k < n; ++k) {
        PlayerSlot* c = g.men_by_x[runner->side == 1 ? k : n - 1 - k];
        if (!c || c == excluded || man_is_busy(c) || c->excluded || (c->man_flags2 & MAN2_NO_CONTEST) ||
            c->team == runner->team || (c->man_flags2 & 0x04))
            continue;
        int32_t dx = runner->side == 1 ? c->x - runner->x : runner->x - c->x;
        int32_t dy = runner->side == 1 ? c->y - runner->y : runner->y - c->y;
        if (code)
            rotate_by_octant(&dx, &dy, code);
        const int32_t f = runner->facing & ~15;
        if ((runner->side == 1 && f >= 1 && f <= 112) || (runner->side != 1 && f >= 129 && f <= 240)) {
            dx = -dx;
            dy = -dy;
        }
        const int32_t t = static_cast<int32_t>(std::lround(pursuit_time(dx, dy, v, c->top_speed >> 3)));
        if (c->number < TEAM_SLOTS)
            chase_time[c->number] = t;
        if (t >= 1 && t <= 255999 && (!best || t < best_t)) {
            best = c;
            best_t = t;
        }
    }
    return best;
}
} // namespace

PlayerSlot* find_chaser(PlayerSlot* runner) { return chaser_search(runner, nullptr); }

PlayerSlot* find_chaser_of_holder(PlayerSlot* excluded)
{
    return chaser_search(match_globals.ball_holder, excluded);
}
