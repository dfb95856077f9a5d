#include "match/interchange.h"

#include "match/banners.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/match_hooks.h"
#include "match/proposals.h"
#include "players/anim_driver.h"
#include "players/movement.h"

#include <cstdlib>

namespace {

constexpr uint8_t EMPTY = 255;

bool is_bench_number(uint8_t n) { return n >= FIRST_BENCH_SLOT && n < TEAM_SLOTS; }

// 22 passes: only 18..21 and 23 are refused as the man going off.
bool refused_going_off(uint8_t n) { return n == 18 || n == 19 || n == 20 || n == 21 || n == 23; }

uint8_t interchange_limit() { return match_globals.interchange_count; }

bool in_an_entry(const PlayerSlot* man)
{
    const TeamRecord* team = man->team;
    const int n = team->queued_interchange_count < MAX_QUEUED_INTERCHANGES ? team->queued_interchange_count
                                                                           : MAX_QUEUED_INTERCHANGES;
    for (int i = 0; i < n; ++i) {
        const InterchangeEntry& e = team->queued_interchanges[i];
        if (e.man_on == man->number || e.man_off == man->number)
            return true;
    }
    return false;
}

bool queue_full(const TeamRecord* team) { return team->queued_interchange_count >= MAX_QUEUED_INTERCHANGES; }

bool is_key_man(const TeamRecord* team, uint8_t number)
{
    for (uint8_t k : team->key_men)
        if (k == number)
            return true;
    return team->key_man_e == number;
}

// Bench slots in use: 18 up to men_per_team - 1.
int bench_end() { return men_in_use(); }

} // namespace

int16_t bench_spot_x(uint8_t number, uint8_t side)
{
    const auto x = static_cast<int16_t>((number - 17) * 256);
    return side == 2 ? static_cast<int16_t>(-x) : x;
}

void reset_interchange_queues()
{
    for (TeamRecord& team : team_records) {
        team.queued_interchange_count = 0;
        for (InterchangeEntry& e : team.queued_interchanges) {
            e.pending = 0;
            e.man_on = EMPTY;
            e.man_off = EMPTY;
        }
    }
}

int32_t interchanges_left(const PlayerSlot* man) { return man->team->interchanges_used < interchange_limit(); }

int32_t can_queue_interchange(const PlayerSlot* man)
{
    return !refused_going_off(man->number) && !in_an_entry(man) && !queue_full(man->team) && interchanges_left(man);
}

int32_t can_queue_interchange_off(const PlayerSlot* man) { return !man->excluded && !in_an_entry(man); }

int32_t can_bench_player_come_on(const PlayerSlot* man)
{
    return !man->excluded && man->busy_flag && is_bench_number(man->number) && !in_an_entry(man) &&
           !queue_full(man->team);
}

int32_t is_queued_for_interchange(const PlayerSlot* man)
{
    const TeamRecord* team = man->team;
    if (!team)
        return 0;
    for (const InterchangeEntry& e : team->queued_interchanges)
        if (e.pending && (e.man_on == man->number || e.man_off == man->number))
            return 1;
    return 0;
}

int32_t find_interchange_partner(PlayerSlot* man_off, PlayerSlot* bench_man)
{
    TeamRecord* team = man_off->team;
    if (refused_going_off(man_off->number) || in_an_entry(man_off) || in_an_entry(bench_man) || queue_full(team) ||
        !interchanges_left(man_off) || bench_man->excluded || !bench_man->busy_flag ||
        !is_bench_number(bench_man->number))
        return 0;
    InterchangeEntry& e = team->queued_interchanges[team->queued_interchange_count++];
    e.man_on = bench_man->number;
    e.man_off = man_off->number;
    e.pending = 1;
    return 1;
}

void queue_interchange_for_selected()
{
    PlayerSlot* man = match_globals.selected_man;
    if (!man || !man->team || !interchanges_left(man))
        return;
    TeamRecord* team = man->team;
    int last = FIRST_BENCH_SLOT + interchange_limit() - 1;
    if (last >= TEAM_SLOTS)
        last = TEAM_SLOTS - 1;
    if (last < FIRST_BENCH_SLOT)
        return;
    int chosen = last;
    for (int n = FIRST_BENCH_SLOT; n <= last; ++n)
        if (!team->slots[n].excluded) {
            chosen = n;
            break;
        }
    find_interchange_partner(man, &team->slots[chosen]);
}

PlayerSlot* find_slot_by_number(TeamRecord* team, uint8_t number)
{
    for (int i = 0; i < men_in_use(); ++i)
        if (team->slots[i].number == number)
            return &team->slots[i];
    return nullptr;
}

int32_t interchange_may_go(const TeamRecord* team, const InterchangeEntry* entry)
{
    const MatchGlobals& g = match_globals;
    if (g.match_init_restart)
        return 0;
    const PlayerSlot* going = find_slot_by_number(const_cast<TeamRecord*>(team), entry->man_off);
    if (!going)
        return 1; // the pair stays pending by the look-up that follows
    if (going == g.ball_holder || going == g.controlled_man_a || going == g.controlled_man_b || going->block_word ||
        (going->man_flags & 0x0d81))
        return 0;
    if (g.match_state != 1 && is_key_man(team, going->number))
        return 0;
    return 1;
}

void remove_interchange_entry(TeamRecord* team, int i)
{
    const int n = team->queued_interchange_count;
    if (i < 0 || i >= MAX_QUEUED_INTERCHANGES)
        return;
    for (int k = i; k + 1 < MAX_QUEUED_INTERCHANGES; ++k)
        team->queued_interchanges[k] = team->queued_interchanges[k + 1];
    InterchangeEntry& last = team->queued_interchanges[MAX_QUEUED_INTERCHANGES - 1];
    last.man_on = last.man_off = EMPTY;
    last.pending = 0;
    if (n > 0 && i < n)
        team->queued_interchange_count = static_cast<uint8_t>(n - 1);
}

void update_interchanges()
{
    for (TeamRecord& team : team_records) {
        int i = 0;
        while (i < MAX_QUEUED_INTERCHANGES) {
            InterchangeEntry& e = team.queued_interchanges[i];
            if (!e.pending || !interchange_may_go(&team, &e)) {
                ++i;
                continue;
            }
            PlayerSlot* going = find_slot_by_number(&team, e.man_off);
            PlayerSlot* coming = find_slot_by_number(&team, e.man_on);
            if (!going || !coming) {
                ++i;
                continue;
            }
            going->interchanging = 1;
            interchange_hook();
            if (!carry_out_interchange(going, coming)) {
                ++i;
                continue;
            }
            // The slots have swapped: the man now in the going slot came on.
            going->interchanging = 0;
            coming->interchanging = 0;
            remove_interchange_entry(&team, i);
        }
    }
}

void redirect_spot(const PlayerSlot* man, const void* new_spot)
{
    TeamRecord* other = man->team->other_team;
    for (int i = 0; i < men_in_use(); ++i)
        if (other->slots[i].spot == man)
            other->slots[i].spot = new_spot;
}

int32_t carry_out_interchange(PlayerSlot* going, PlayerSlot* coming)
{
    MatchGlobals& g = match_globals;
    going->busy_flag = 0;
    if (is_bench_number(coming->number)) {
        going->target_x = bench_spot_x(coming->number, going->side);
        going->target_y = BENCH_LINE_Y;
    }
    going->move_dx = clamp16(going->target_x - going->x);
    going->move_dy = clamp16(going->target_y - going->y);
    if (std::abs(going->move_dx) > 43 || std::abs(going->move_dy) > 43) {
        going->arrived = 0;
        going->effort = going->excluded ? 35 : 100;
        set_heading_to_target(going);
        return 0;
    }
    going->arrived = 1;
    going->path_dx = going->path_dy = 0;
    going->moving = 0;
    going->move_dx = going->move_dy = 0;
    going->wanted_facing = 0;
    going->action_arg = 0;
    going->target_x = going->x;
    going->target_y = going->y;
    if (going->excluded)
        g.last_injury_replacement = coming;
    going->wanted_facing = 0;
    if (going->facing != 0)
        return 0;
    g.selected_man = nullptr;
    g.selected_man_index = 255;
    presentation::swap_name_sample_entries(going->team_index, going->number, coming->number);
    const uint8_t going_number = going->number, coming_number = coming->number;
    const PlayerSlot held = *going;
    *going = *coming;
    *coming = held;
    going->number = going_number;
    coming->number = coming_number;
    // The field slot now holds the man who came on.
    PlayerSlot* field = going;
    PlayerSlot* bench = coming;
    redirect_spot(bench, field);
    field->spot = bench->spot;
    field->spot_assigned = bench->spot_assigned;
    bench->spot = nullptr;
    bench->spot_assigned = 0;
    play_man_animation(field, 0, 0, 1.0);
    field->effort = 100;
    field->busy_flag = 0;
    bench->busy_flag = 1;
    return 1;
}

int32_t run_interchanges()
{
    const MatchGlobals& g = match_globals;
    int still_walking = 0;
    for (int i = 0; i < g.active_men_count; ++i) {
        PlayerSlot* m = g.active_men[i];
        if (!m || m->number < FIRST_BENCH_SLOT || m->number >= bench_end())
            continue;
        m->busy_flag = 0;
        post_man_message(m, ACT_MOVE_TO_POINT, nullptr, 0, bench_spot_x(m->number, m->side), BENCH_LINE_Y, 10000);
        if (in_field(m->x, m->y)) {
            m->effort = 100;
            ++still_walking;
            continue;
        }
        m->effort = 35;
        if (m->arrived) {
            post_man_message(m, ACT_STAND, nullptr, 0, 0, 0, 1);
            if (m->facing == static_cast<uint8_t>(m->wanted_facing))
                m->busy_flag = 1;
        }
    }
    if (still_walking)
        return 0;
    for (const TeamRecord& team : team_records)
        for (int n = FIRST_BENCH_SLOT; n < bench_end(); ++n) {
            const PlayerSlot& m = team.slots[n];
            if (m.busy_flag)
                continue;
            if (team.queued_interchange_count == 0 || !is_queued_for_interchange(&m))
                return 0;
        }
    return 1;
}

void set_all_player_flags(int32_t on)
{
    for (TeamRecord& team : team_records)
        for (int n = FIRST_BENCH_SLOT; n < bench_end(); ++n)
            team.slots[n].busy_flag = on == 0 ? 1 : 0;
}

int32_t bumped_by_opponent(const PlayerSlot* man)
{
    const TeamRecord* other = man->team->other_team;
    for (int i = 0; i < men_in_use(); ++i)
        if (other->slots[i].primary_animation == 264 && other->slots[i].target_man == man)
            return 1;
    return 0;
}

int32_t facing_turn_third(const PlayerSlot* a, const PlayerSlot* b)
{
    int32_t turn = (b->facing - a->facing) & 255;
    if (turn > 128)
        turn -= 256;
    return turn / 3;
}
