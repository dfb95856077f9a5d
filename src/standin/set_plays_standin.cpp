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

void start_standing_jump_spoil(PlayerSlot*) {}

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

