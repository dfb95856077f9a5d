#include "match/proposals.h"

#include "league/league_data.h"
#include "match/ball.h"
#include "match/formation.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/set_play_director.h"
#include "match/kick_outs.h"
#include "match/man_behaviours.h"
#include "match/match_records.h"
#include "match/set_kicks.h"
#include "players/behaviour_handlers.h"
#include "players/occupancy.h"

#include <cstdlib>

namespace {

constexpr int32_t GOAL_X = 24562;

int16_t low16(int32_t v) { return static_cast<int16_t>(v); }

int16_t mirrored(int32_t v, const PlayerSlot* man) { return static_cast<int16_t>(man->side == 2 ? v : -v); }

bool is_own_formation(const PlayerSlot* man, const FormationSpots* table)
{
    return man->team && man->team->formation_spots == table;
}

const FormationSpots* own_formation(const PlayerSlot* man)
{
    return man->team ? man->team->formation_spots : nullptr;
}

int32_t distance_to(const PlayerSlot* man, int32_t x, int32_t y) { return approx_vector_length(x - man->x, y - man->y); }

void zero_list(PlayerSlot* man)
{
    for (int i = 0; i < man->proposal_count && i < MAX_PROPOSALS; ++i) {
        man->proposals[i].action = 0;
        man->proposals[i].priority = 0;
    }
    man->proposal_count = 0;
}

bool computer_against_human(const TeamRecord* team)
{
    return team && team->human_count == 0 && team->other_team && team->other_team->human_count != 0;
}

} // namespace

int32_t person_skill(const PlayerSlot* man, int k)
{
    return man->person ? player_i16(man->person, 2 * k) : 0;
}

void post_man_message(PlayerSlot* man, uint16_t action, PlayerSlot* target, uint16_t argument, int16_t x, int16_t y,
                      uint16_t priority)
{
    if (man->proposal_count < 0 || man->proposal_count >= MAX_PROPOSALS)
        return;
    ActionProposal& p = man->proposals[man->proposal_count++];
    p.action = action;
    p.target_man = target;
    p.argument = argument;
    p.x = x;
    p.y = y;
    p.priority = priority;
}

void clear_all_proposals() { for_each_active(zero_list); }

void count_down_man_timers()
{
    const uint16_t step = match_globals.tick_step;
    for_each_active([step](PlayerSlot* m) {
        m->reaction_timer = m->reaction_timer > step ? static_cast<uint16_t>(m->reaction_timer - step) : 0;
    });
}

void men_think_prep()
{
    MatchGlobals& g = match_globals;
    g.pass_receiver = g.pass_target;
    if (static_cast<int16_t>(ball_state.flight_flags) < 128)
        g.pass_receiver = nullptr;
    for (TeamRecord& team : team_records)
        team.support_counter = 0;
    update_occupancy_grids();
    clear_all_proposals();
    count_down_man_timers();
    if (PlayerSlot* holder = g.ball_holder) {
        g.holder_pressure = scan_pattern_around_holder(holder_surround_pattern);
        g.holder_front_count = scan_pattern_around_holder(holder_front_pattern);
        g.holder_near_count = scan_grid_pattern(holder, neighbour_pattern, 1) & 0x27ff;
        g.holder_ahead_count = scan_grid_pattern(holder, ahead_pattern[holder->side == 2 ? 1 : 0], 2) & 0x27ff;
    } else {
        g.holder_pressure = g.holder_front_count = g.holder_near_count = g.holder_ahead_count = 0;
    }
    reset_action_quotas();
    team_tick_upkeep();
    setup_play_situation();
    take_best_proposals();
}

void team_tick_upkeep()
{
    MatchGlobals& g = match_globals;
    const BallState& b = ball_state;
    for (TeamRecord& team : team_records) {
        bool picking_up = false;
        for (int i = 0; i < GROUND_MEN; ++i) {
            const uint32_t a = team.slots[i].primary_animation;
            picking_up = picking_up || (a >= 239 && a <= 241);
        }
        if (!picking_up)
            team.pickup_under_way = 0;
    }
    if (g.shot_cooldown > 0)
        --g.shot_cooldown;
    else
        g.shot_cooldown = 0;

    for_each_active([&g](PlayerSlot* m) {
        if (m->busy_flag || m->number >= GROUND_MEN)
            return;
        MatchGlobals::RandomOffset& r = g.random_offsets[m->team_index & 1][m->number];
        if (r.countdown != 0) {
            --r.countdown;
            return;
        }
        r.countdown = static_cast<int32_t>(game_random() & 0x1ff) + 100 * g.tick_rate_word;
        uint8_t angle;
        if (m->action == 52 && m->target_man)
            angle = static_cast<uint8_t>((game_random() & 0x5f) + 0x50 + m->target_man->facing);
        else
            angle = static_cast<uint8_t>(game_random() & 0x5f);
        r.dx = fixed_sin(angle, g.offset_radius);
        r.dy = fixed_cos(angle, g.offset_radius);
    });

    const int16_t bx = whole(b.x), by = whole(b.y);
    const bool moving = b.flight_flags & FLIGHT_MOVING;
    const auto measure = [&](PlayerSlot* m) {
        m->ball_distance = static_cast<uint16_t>(distance_to(m, bx, by));
        if (moving)
            m->landing_distance = static_cast<uint16_t>(distance_to(m, b.landing_x, b.landing_y));
    };
    for_each_active(measure);
    for (PlayerSlot& u : official_slots)
        measure(&u);

    const int n = g.active_men_count > 0 ? g.active_men_count : 0;
    for (int i = 0; i < n; ++i) {
        PlayerSlot* m = g.active_men[i];
        g.active_distance[i] = m ? m->ball_distance : 0x7fffffff;
        g.landing_men[i] = g.men_by_x[i] = g.men_by_y[i] = m;
        g.landing_distance[i] = m ? m->landing_distance : 0x7fffffff;
        g.men_x_key[i] = m ? m->x : 32767;
        g.men_y_key[i] = m ? m->y : 32767;
    }
    // The men come in last tick's order of nearness to the ball, nearly the
    // order of this tick's: inserting sorts that in a pass. The other orders
    // start shuffled.
    bubble_sort_by_key(g.active_men, g.active_distance, n);
    rank_sort_by_key(g.landing_men, g.landing_distance, n);
    rank_sort_by_key(g.men_by_x, g.men_x_key, n);
    rank_sort_by_key(g.men_by_y, g.men_y_key, n);

    if (g.match_state != 1 && g.ball_holder) {
        g.pickup_x = g.ball_holder->x;
        g.pickup_y = g.ball_holder->y;
    }
    for (TeamRecord& team : team_records)
        if (g.difficulty >= 30 || team.human_count) {
            team.loose_ball_words[0] = 0;
            team.loose_ball_words[1] = 0;
        }
}

void take_best_proposals()
{
    const MatchGlobals& g = match_globals;
    for (int k = 0; k < g.active_men_count; ++k) {
        PlayerSlot* man = g.active_men[k];
        if (!man || man_is_busy(man))
            continue;
        int32_t best = 0;
        int16_t index = 0;
        for (int i = 0; i < man->proposal_count && i < MAX_PROPOSALS; ++i) {
            const auto p = static_cast<int16_t>(man->proposals[i].priority);
            if (p > best && !action_proposal_blocked(man, i, 0)) {
                best = p;
                index = static_cast<int16_t>(i);
            }
        }
        if (action_proposal_blocked(man, index, 1)) {
            best = 0;
            index = 0;
        }
        if (best == 0) {
            if (man == g.ball_holder) {
                if (g.match_state == 1 && !man->contest_group)
                    man_ball_distance_check(man);
                else
                    propose_stand(man);
            } else if (ball_state.flags & BALL_WIDE_MARKS) {
                propose_stand(man);
            } else {
                propose_open_play_default(man);
            }
        }
        take_proposal(man, index);
    }
}

void propose_open_play_default(PlayerSlot* man)
{
    const MatchGlobals& g = match_globals;
    if (g.match_state != 1 || man->contest_group)
        return;
    if (man->position_role == 9 && man->spot) {
        follow_direct_opponent(man, 0);
        return;
    }
    if (man->position_role == 12) {
        const PlayerSlot* holder = g.ball_holder;
        if (holder && holder->side != man->side) {
            const int32_t x = man->side == 1 ? holder->x + 1024 : holder->x - 1024;
            post_man_message(man, ACT_MOVE_TO_POINT, nullptr, 0, clamp16(x), holder->y, 255);
        } else {
            post_man_message(man, ACT_GO_FOR_BALL, nullptr, 0, 0, 0, 255);
        }
        return;
    }
    run_to_spot_avoiding(man, own_formation(man));
}

void propose_stand(PlayerSlot* man) { post_man_message(man, ACT_STAND, nullptr, 0, 0, 0, 1); }

int32_t propose_chase_man(PlayerSlot* man, PlayerSlot* other)
{
    // A speed word the data can leave at 0 would divide by zero.
    int32_t pace = person_skill(man, 16) >> 3;
    if (pace < 1)
        pace = 1;
    const int32_t d1 = distance_to(man, other->x, other->y);
    const int32_t t1 = (d1 / pace) >> 1;
    const int32_t d2 = distance_to(man, other->x + t1 * other->velocity_x, other->y + t1 * other->velocity_y);
    const int32_t t2 = (d2 / pace) >> 1;
    const int32_t a = t2 + (t2 >> 2);
    const int32_t t = a + (a >> 2);
    const int16_t lx = clamp16(other->x + t * other->velocity_x);
    const int16_t ly = clamp16(other->y + t * other->velocity_y);
    post_man_message(man, ACT_CHASE_MAN, other, 0, lx, ly, 100);
    return distance_to(man, lx, ly);
}

void propose_tackle_carrier(PlayerSlot* man)
{
    const PlayerSlot* holder = match_globals.ball_holder;
    if (man->turning || !holder || (holder->man_flags2 & 0x0008) || man->ball_distance >= 385 ||
        (holder->man_flags & 0x0108) || holder->z != 0)
        return;
    const int32_t to_holder = vector_angle(holder->x - man->x, holder->y - man->y);
    if (std::abs(angle_diff(man->facing, to_holder)) >= 41)
        return;
    const int32_t priority = 254 - man->ball_distance * 254 / 385;
    if (priority >= 0)
        post_man_message(man, ACT_TACKLE, const_cast<PlayerSlot*>(holder), 0, holder->x, holder->y,
                         static_cast<uint16_t>(priority));
}

void propose_go_for_ball(PlayerSlot* man, int32_t* first_side1, int32_t* first_side2)
{
    const MatchGlobals& g = match_globals;
    const BallState& b = ball_state;
    if (static_cast<int16_t>(b.flight_flags) >= 128 && g.pass_target)
        return;
    if ((b.flight_flags & FLIGHT_KICKED) && b.bounce_count == 0)
        return;
    int32_t* given = man->side == 2 ? first_side2 : first_side1;
    if (!*given) {
        *given = 1;
        post_man_message(man, ACT_GO_FOR_BALL, nullptr, 0, 0, 0, 1001);
        return;
    }
    const int32_t priority = 254 - (man->ball_distance >> 6);
    if (priority >= 0)
        post_man_message(man, ACT_GO_FOR_BALL, nullptr, 0, 0, 0, static_cast<uint16_t>(priority));
}

void run_to_role_spot(PlayerSlot* man, const FormationSpot* table)
{
    if (!man->team)
        return;
    for (int k = 0; k < 4; ++k)
        if (man->team->key_men[k] == man->number) {
            post_man_message(man, ACT_RUN_TO_SPOT, nullptr, 0, mirrored(low16(table[k].x), man),
                             mirrored(low16(table[k].y), man), 1);
            return;
        }
}

void run_to_numbered_spot(PlayerSlot* man, const FormationSpot* table)
{
    const FormationSpot& s = table[man->number % TEAM_SLOTS];
    post_man_message(man, ACT_RUN_TO_SPOT, nullptr, 0, mirrored(s.x, man), mirrored(s.y, man), 1);
}

void run_to_formation_spot(PlayerSlot* man, const FormationSpot* table)
{
    const FormationSpot& s = table[man->number % TEAM_SLOTS];
    post_man_message(man, ACT_RUN_TO_SPOT, nullptr, 0, mirrored(low16(s.x), man), mirrored(low16(s.y), man), 1);
}

void run_to_table_spot(PlayerSlot* man, const FormationSpot* table)
{
    const FormationSpot& s = table[man->number % TEAM_SLOTS];
    post_man_message(man, ACT_RUN_TO_SPOT, nullptr, 0, low16(s.x), low16(s.y), 1);
}

void run_to_spot_near_mark(PlayerSlot* man, const FormationSpots* table, int k)
{
    const MatchGlobals& g = match_globals;
    int32_t x, y;
    if (is_own_formation(man, table)) {
        const FormationSpot& s = table->spot[man->number % TEAM_SLOTS];
        x = s.x;
        y = s.y;
    } else {
        const FormationSpot& s = table->spot[k % TEAM_SLOTS];
        x = mirrored(s.x, man);
        y = mirrored(s.y, man);
    }
    post_man_message(man, ACT_RUN_TO_SPOT, nullptr, 0, clamp16(x + g.mark_x), clamp16(y + g.mark_y), 255);
}

void run_to_spot_avoiding(PlayerSlot* man, const FormationSpots* table)
{
    if (!table)
        return;
    const FormationSpot& s = table->spot[man->number % TEAM_SLOTS];
    int32_t x = s.x, y = s.y;
    if (!is_own_formation(man, table)) {
        x = mirrored(x, man);
        y = mirrored(y, man);
    }
    adjust_spot_toward_ball(man, &x, &y);
    post_man_message(man, ACT_RUN_TO_SPOT, nullptr, 0, clamp16(x), clamp16(y), 1);
}

void propose_run_into_space(PlayerSlot* man, uint8_t dir, const int8_t* pattern1, const int8_t* pattern2)
{
    const MatchGlobals& g = match_globals;
    const PlayerSlot* holder = g.ball_holder;
    if (holder && approx_vector_length(holder->x - g.pickup_x, holder->y - g.pickup_y) > 3840) {
        const TeamRecord* team = holder->team;
        const int32_t draw = static_cast<int32_t>(game_random() & 255);
        const int32_t needed = computer_against_human(team) ? 200 - g.difficulty / 4 : 200;
        if (draw < needed)
            return;
    }
    const int32_t s1 = scan_grid_pattern(man, pattern1, 1);
    int32_t s2 = pattern1 == pattern2 ? 0 : scan_grid_pattern(man, pattern2, 2);
    if (!in_field(clamp16(man->x + fixed_sin(dir, 1024)), clamp16(man->y + fixed_cos(dir, 1024))))
        return;
    if (s2 & 0x1000)
        s2 += 2;
    if (s2 & 0x8000)
        s2 += 1;
    int32_t bonus = 0;
    const bool attacking_half =
        man->side == 2 ? (man->x >= 1 && man->x < GOAL_X) : (man->x < 0 && man->x >= -(GOAL_X - 1));
    if (attacking_half) {
        if (s1 & 0x2000)
            bonus = 20;
        if (s2 & 0x2000)
            bonus = (s1 & 0x2000) ? 30 : 10;
    }
    int32_t priority = bonus - ((s2 >> 1) & 0x3ff) - (s1 & 0x7ff) * 4 + 246;
    if (computer_against_human(man->team))
        priority += 100 - g.difficulty;
    if (priority == 0)
        priority = 1;
    post_man_message(man, ACT_RUN_INTO_SPACE, nullptr, dir, 0, 0, static_cast<uint16_t>(priority));
}

void carrier_consider_shot(PlayerSlot* man)
{
    if (match_globals.shot_cooldown)
        return;
    int32_t range = 7680 + person_skill(man, 20) * 5120 / 255;
    if (man->contest_group)
        range += 1280;
    if (!in_goal_range(man, range, man->x, man->y))
        return;
    int32_t value = (person_skill(man, 21) >> 1) + (person_skill(man, 20) + 1125) * 2 +
                    static_cast<int32_t>(game_random() & 15);
    if (std::abs(man->x) < 18930)
        value /= 2;
    const int32_t goal_x = man->side == 2 ? GOAL_X : -(GOAL_X - 1);
    const auto aim = static_cast<uint8_t>(
        attribute_random_check(man, vector_angle(goal_x - man->x, -man->y), 0, 1));
    const int16_t ax = clamp16(man->x + fixed_sin(aim, range));
    const int16_t ay = clamp16(man->y + fixed_cos(aim, range));
    post_man_message(man, ACT_SHOOT, nullptr, 32, ax, ay, static_cast<uint16_t>(value));
}

void propose_move_to(PlayerSlot* man, int16_t x, int16_t y)
{
    post_man_message(man, ACT_MOVE_TO_POINT, nullptr, 0, x, y, 255);
}

void propose_turn_back(PlayerSlot* man)
{
    if (match_globals.holder_front_count == 1 && std::abs(man->velocity_x) >= 22)
        post_man_message(man, 25, nullptr, 0, 0, 0, 228);
}

void propose_guard_spot(PlayerSlot* man, const int16_t* table)
{
    const int n = man->number % TEAM_SLOTS;
    const int32_t priority = 20 - man->skills[5];
    if (priority >= 0)
        post_man_message(man, 29, nullptr, 0, table[2 * n], table[2 * n + 1], static_cast<uint16_t>(priority));
}

void propose_bump_man(PlayerSlot* man, PlayerSlot* other)
{
    const int32_t d = distance_to(man, other->x, other->y);
    if (d >= 385)
        return;
    const int32_t priority = 254 - d * 254 / 385;
    if (priority > 0)
        post_man_message(man, 47, other, 0, other->x, other->y, static_cast<uint16_t>(priority));
}

void propose_lead_man(PlayerSlot* man, PlayerSlot* other) { post_man_message(man, 46, other, 0, 0, 0, 1); }

void place_men_at_spots(const FormationSpots* table)
{
    for_each_active([table](PlayerSlot* m) {
        const FormationSpot& s = table->spot[m->number % TEAM_SLOTS];
        int32_t x = s.x, y = s.y;
        if (!is_own_formation(m, table) && m->side != 2) {
            x = -x;
            if (match_globals.match_state != 19)
                y = -y;
        }
        place_man_at_spot(m, x, y);
    });
}

int32_t pressure_ahead(PlayerSlot* man)
{
    return scan_grid_pattern(man, pressure_ahead_pattern[man->side == 2 ? 1 : 0], 1) & 0x27ff;
}

void set_grid_cell(GridPoint* point)
{
    int32_t cx = (point->x / 256) * 2 / 3 + 64;
    int32_t cy = (point->y / 256) / 2 + 32;
    cx = cx < 0 ? 0 : (cx > 127 ? 127 : cx);
    cy = cy < 0 ? 0 : (cy > 63 ? 63 : cy);
    point->cell_x = static_cast<uint16_t>(cx);
    point->cell_y = static_cast<uint16_t>(cy);
}

int32_t man_ahead_of(const PlayerSlot* a, const PlayerSlot* b)
{
    if ((b->man_flags & 0x0480) || std::abs(a->y - b->y) > 4096)
        return 0;
    if (a->side == 2)
        return a->x - b->x >= 128 && a->x < GOAL_X;
    return a->x - b->x <= -128 && a->x >= -(GOAL_X - 1);
}

int32_t count_opponents_near(const PlayerSlot* man, int16_t x, int16_t y, int32_t r)
{
    if (!man->team || !man->team->other_team)
        return 0;
    const TeamRecord* other = man->team->other_team;
    int32_t n = 0;
    for (int i = 0; i < men_in_use(); ++i)
        if (approx_vector_length(other->slots[i].x - x, other->slots[i].y - y) <= r)
            ++n;
    return n;
}
