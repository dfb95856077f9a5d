// STAND-IN: the set plays and team AI not built yet; they answer the plain
// values the callers can live with. Computer teams choose plan 0 at once.
#include "standin/set_plays_standin.h"

#include "match/game_maths.h"
#include "match/interchange.h"
#include "match/proposals.h"
#include "match/match_flow.h"

void nearest_option_action1(PlayerSlot*) {}

int32_t find_opponent(const PlayerSlot* man)
{
    const MatchGlobals& g = match_globals;
    for (int i = 0; i < g.active_men_count; ++i)
        if (g.active_men[i] && g.active_men[i]->side != man->side)
            return g.active_distance[i];
    return 0;
}

int32_t in_goal_range(const PlayerSlot* man, int32_t range, int32_t x, int32_t y)
{
    const int32_t gx = man->side == 2 ? 24562 : -24562;
    return approx_vector_length(gx - x, y) < range;
}

int32_t attribute_random_check(PlayerSlot*, int32_t angle, int32_t, int32_t) { return angle; }
void man_ball_distance_check(PlayerSlot*) {}
void carrier_react_to_opponent(PlayerSlot*, int32_t) {}
void carrier_look_for_lead(PlayerSlot*, PlayerSlot*, int32_t) {}
void loose_ball_contest(PlayerSlot*) {}
void loose_ball_support_a(PlayerSlot*) {}
void loose_ball_support_b(PlayerSlot*) {}
void loose_ball_support_c(PlayerSlot*) {}
void loose_ball_support_d(PlayerSlot*) {}
void propose_smother(PlayerSlot*) {}
void assign_loose_ball_pickup() {}


void choose_kickout_positions(TeamRecord*, int32_t) {}
void choose_oppose_kickout_positions(TeamRecord*, int32_t) {}

const FormationSpot* kickout_spot_list(int32_t kicking, int32_t, int32_t* count)
{
    static const FormationSpot kicking_list[2] = {{-23040, 5120}, {-23040, -5120}};
    static const FormationSpot opposing_list[1] = {{-23040, 5120}};
    *count = kicking ? 2 : 1;
    return kicking ? kicking_list : opposing_list;
}

const void* kickout_spot_of(PlayerSlot*, int32_t) { return nullptr; }
PlayerSlot* kickout_receiver(TeamRecord*, int32_t, int32_t) { return nullptr; }
FormationSpot kickout_option_point(int32_t, int32_t) { return {-12800, 6400}; }
void collect_pass_candidates() {}

PlayerSlot* find_man_near_point(int32_t side, int32_t x, int32_t y)
{
    PlayerSlot* best = nullptr;
    int64_t best_d = 0;
    for (int i = 0; i < match_globals.active_men_count; ++i) {
        PlayerSlot* man = match_globals.active_men[i];
        if (man->side != side || man->busy_flag || (man->man_flags & MAN_OUT_OF_PLAY) || man->number >= GROUND_MEN)
            continue;
        const int64_t dx = man->x - x, dy = man->y - y;
        const int64_t d = dx * dx + dy * dy;
        if (!best || d < best_d) {
            best = man;
            best_d = d;
        }
    }
    return best;
}

void choose_disposal_target(PlayerSlot*, int32_t) {}
void choose_set_kick_target(PlayerSlot*) {}
void fill_stoppage_men(TeamRecord*) {}
void give_ball_action(uint16_t action, int32_t)
{
    if (match_globals.controlled_man_a)
        match_globals.controlled_man_a->action = action;
}
void check_period_end() {}
int32_t follow_direct_opponent(PlayerSlot*, int32_t) { return 0; }
void adjust_spot_toward_ball(PlayerSlot*, int32_t*, int32_t*) {}
void place_leads_for_set_kick(PlayerSlot*, int32_t, int32_t, int32_t) {}
void place_leads_in_play(PlayerSlot*) {}
void spread_wide_man(PlayerSlot*) {}
void run_to_adjusted_formation_spot(PlayerSlot*) {}
void cycle_counter4() {}
void hold_free_kick_award() {}
void hold_mark_award() {}
void take_set_kick() {}
void follow_set_kick_flight() {}
void take_set_shot() {}
void return_ball_to_kicker() {}
void hold_behind() {}

// Everyone to his formation spot for a centre bounce, the bench to the bench.
void place_men_for_centre_bounce()
{
    for (int i = 0; i < match_globals.active_men_count; ++i) {
        PlayerSlot* man = match_globals.active_men[i];
        if (man->busy_flag || !man->team)
            continue;
        if (man->number >= GROUND_MEN) {
            post_man_message(man, ACT_RUN_TO_SPOT, nullptr, 0, bench_spot_x(man->number, man->side), BENCH_LINE_Y, 255);
            continue;
        }
        const FormationSpot& s = man->team->formation_spots->spot[man->number];
        post_man_message(man, ACT_RUN_TO_SPOT, nullptr, 0, clamp16(s.x), clamp16(s.y), 255);
    }
}
void place_men_for_bounce_setup() { place_men_for_centre_bounce(); }
void place_men_for_bounce_options() { place_men_for_centre_bounce(); }
void contest_centre_bounce() {}
void place_men_for_throw_in() {}
void hold_throw_in_setup() {}
void contest_throw_in() {}
void place_men_for_ball_up() {}
void place_men_for_ball_up_setup() {}
void contest_ball_up() {}
void hold_all_men() {}
void propose_ruck_spot(PlayerSlot*, int32_t, int32_t) {}
void place_listed_man(PlayerSlot*, int32_t) {}

void place_men_for_kick_out() {}
namespace {
void kick_out_standin() {}
} // namespace
void (*const kick_out_handlers[15])() = {kick_out_standin, kick_out_standin, kick_out_standin, kick_out_standin,
                                          kick_out_standin, kick_out_standin, kick_out_standin, kick_out_standin,
                                          kick_out_standin, kick_out_standin, kick_out_standin, kick_out_standin,
                                          kick_out_standin, kick_out_standin, kick_out_standin};

const int8_t holder_surround_pattern[] = {0, 2, 0, 0, 1, 1, 0, 0, 2, 0, -1, 1, 0, -2, 0, 1, 2, 0, 1, 1, 1, 1, 0, 1,
                                          1, -1, 1, 1, -2, 0, 2, 2, 0, 2, 1, 0, 2, 0, 1, 2, -1, 0, 2, -2, 0, 3, 1, 0,
                                          3, 0, 0, 3, -1, 0, -1, -1, 0, -1, 0, 0, -1, 1, 0, 127, 127, 0};
const int8_t holder_front_pattern[] = {0, 1, 0, 0, 0, 0, 0, -1, 0, 1, 1, 0, 1, 0, 0, 1, -1, 0, 127, 127, 0};
const int8_t neighbour_pattern[] = {-1, -1, 0, -1, 0, 0, -1, 1, 0, 0, 1, 0, 1, 1, 0, 1, 0, 0, 1, -1, 0, 0, -1, 0,
                                    127, 127, 0};
const int8_t ahead_pattern[2][66] = {
    {0, 2, 0, 0, 1, 0, 0, 0, 0, 0, -1, 0, 0, -2, 0, -1, 2, 0, -1, 1, 0, -1, 0, 0, -1, -1, 0, -1, -2, 0, -2, 2, 0,
     -2, 1, 0, -2, 0, 0, -2, -1, 0, -2, -2, 0, -3, 1, 0, -3, 0, 0, -3, -1, 0, 1, -1, 0, 1, 0, 0, 1, 1, 0, 127, 127, 0},
    {0, 2, 0, 0, 1, 0, 0, 0, 0, 0, -1, 0, 0, -2, 0, 1, 2, 0, 1, 1, 0, 1, 0, 0, 1, -1, 0, 1, -2, 0, 2, 2, 0,
     2, 1, 0, 2, 0, 0, 2, -1, 0, 2, -2, 0, 3, 1, 0, 3, 0, 0, 3, -1, 0, -1, -1, 0, -1, 0, 0, -1, 1, 0, 127, 127, 0}};
const int8_t pressure_ahead_pattern[2][140] = {{127, 127, 0}, {127, 127, 0}};
const int8_t run_patterns[2][3][48] = {
    {{-1, 0, 3, -1, 1, 2, -1, -1, 2, -2, 0, 2, -3, 0, 1, -4, 0, 0, -2, 1, 1, -2, -1, 1, -3, 1, 0, -3, -1, 0, -4, 1,
      0, -4, -1, 0, 127, 127, 0},
     {-1, 1, 3, 0, 1, 2, -1, 0, 2, 0, 2, 1, -2, 0, 1, -2, 2, 2, -1, 2, 1, -2, 1, 1, -3, 3, 1, -1, 3, 0, -3, 1, 0,
      -2, 3, 0, -3, 2, 0, 127, 127, 0},
     {-1, -1, 3, 0, -1, 2, -1, 0, 2, 0, -2, 1, -2, 0, 1, -2, -2, 2, -1, -2, 1, -2, -1, 1, -3, -3, 1, -1, -3, 0, -3,
      -1, 0, -2, -3, 0, -3, -2, 0, 127, 127, 0}},
    {{1, 0, 3, 1, 1, 2, 1, -1, 2, 2, 0, 2, 3, 0, 1, 4, 0, 0, 2, 1, 1, 2, -1, 1, 3, 1, 0, 3, -1, 0, 4, 1, 0, 4, -1,
      0, 127, 127, 0},
     {1, 1, 3, 0, 1, 2, 1, 0, 2, 0, 2, 1, 2, 0, 1, 2, 2, 2, 1, 2, 1, 2, 1, 1, 3, 3, 1, 1, 3, 0, 3, 1, 0, 2, 3, 0,
      3, 2, 0, 127, 127, 0},
     {1, -1, 3, 0, -1, 2, 1, 0, 2, 0, -2, 1, 2, 0, 1, 2, -2, 2, 1, -2, 1, 2, -1, 1, 3, -3, 1, 1, -3, 0, 3, -1, 0,
      2, -3, 0, 3, -2, 0, 127, 127, 0}}};

int32_t scan_grid_pattern(const PlayerSlot* man, const int8_t* pattern, int32_t mode)
{
    const int g = man->side == 2 ? 0 : 1; // the opponents' grid
    const int cx = man->grid_col, cy = man->grid_row;
    // A man off the grid (beyond the boundary) has no cell of his own.
    const bool on_grid = cx >= 0 && cx < GRID_COLUMNS && cy >= 0 && cy < GRID_ROWS;
    uint32_t sum = mode == 1 && on_grid ? static_cast<uint32_t>(static_cast<int8_t>(occupancy_grid[g][cy][cx]) * 8) : 0;
    for (const int8_t* p = pattern; !(p[0] == 127 && p[1] == 127); p += 3) {
        const int x = cx + p[0], y = cy + p[1];
        if (x < 0 || x > 127) {
            sum |= 0xFFFF8000u;
            continue;
        }
        if (y < 0 || y > 63) {
            sum |= 0x4000u;
            continue;
        }
        const uint8_t cell = occupancy_grid[g][y][x];
        sum += static_cast<uint32_t>(cell & 15) << p[2];
        if (static_cast<int8_t>(cell & 0xF0) > 0x10)
            sum |= 0x0800u;
    }
    return static_cast<int32_t>(sum);
}

int32_t scan_pattern_around_holder(const int8_t* pattern)
{
    const PlayerSlot* holder = match_globals.ball_holder;
    if (!holder)
        return 0;
    const int g = holder->side == 2 ? 0 : 1;
    const int flip = holder->side == 2 ? 1 : -1;
    int32_t sum = 0;
    for (const int8_t* p = pattern; !(p[0] == 127 && p[1] == 127); p += 3) {
        const int x = holder->grid_col + flip * p[0], y = holder->grid_row + p[1];
        if (x < 0 || x > 127 || y < 0 || y > 63)
            continue;
        sum += (occupancy_grid[g][y][x] & 15) << p[2];
    }
    return sum;
}

void reset_action_quotas()
{
    const uint8_t d = static_cast<uint8_t>(match_globals.difficulty / 50 + 1);
    for (TeamRecord& team : team_records) {
        uint8_t* q = team.action_quotas;
        const bool human = team.human_count != 0;
        q[0] = human ? team.ruck_contest_count : d;
        q[1] = 1;
        q[2] = human ? 1 : d;
        q[3] = human ? 2 : d;
        q[4] = 1;
        q[5] = 1;
        q[6] = human ? 3 : d;
        q[7] = human ? 2 : d;
    }
}

int32_t action_proposal_blocked(PlayerSlot* man, int32_t index, int32_t commit)
{
    const auto a = static_cast<int16_t>(man->proposals[index].action);
    if (a < 2 || a > 71 || !man->team)
        return 0;
    int entry;
    if (a == 4)
        entry = 2;
    else if (a == 19)
        entry = 1;
    else if (a == 46 || a == 47) {
        if (!match_globals.shepherd_man)
            return 1;
        entry = 5;
    } else if (a == 55)
        entry = 6;
    else if (a == 56)
        entry = 7;
    else if ((a >= 57 && a <= 62) || (a >= 67 && a <= 71))
        entry = 0;
    else
        return 0;
    uint8_t& q = man->team->action_quotas[entry];
    if (q == 0)
        return 1;
    if (commit)
        --q;
    return 0;
}

int32_t chase_time[TEAM_SLOTS];

PlayerSlot* find_chaser(PlayerSlot*)
{
    for (int32_t& t : chase_time)
        t = 0x7fffffff;
    return nullptr;
}

void contest_join(PlayerSlot*, PlayerSlot*, int32_t, int32_t) {}
void resolve_contest(PlayerSlot*) {}
void find_clear_spot_ahead(PlayerSlot*, int32_t*, int32_t*) {}
void start_standing_jump_spoil(PlayerSlot*) {}
void update_angles_to_ball() {}
void remember_previous_actions()
{
    for (int i = 0; i < match_globals.active_men_count; ++i)
        match_globals.active_men[i]->previous_action = match_globals.active_men[i]->action;
}

void team_ai_tick()
{
    // The toss is done once the field umpire has drawn it.
    if (match_globals.match_state == COIN_TOSS_WAIT && official_slots[0].official_job == 10 &&
        official_slots[0].job_step >= 1)
        match_globals.flow_flags |= FLOW_KEEP_A;
    for (TeamRecord& team : team_records) {
        if (team.human_count)
            continue;
        team.setup_chosen = 1;
        team.option_chosen = 1;
        if (team.captain)
            team.captain->job_step = 5;
    }
}

void adjust_confidence_by_event(int32_t, int32_t) {}
void adjust_confidence(PlayerSlot*, int32_t) {}
void raise_grudge(PlayerSlot*, PlayerSlot*, int32_t) {}
int32_t find_fight_pairs() { return 0; }
void team_contests_reset(TeamRecord*) {}
void team_contests_clear(TeamRecord*) {}
void contest_restart_with(PlayerSlot*) {}
void update_contest_groups() {}
void set_contest_mark_all(int32_t) {}
void release_contest_members() {}
