// STAND-IN: the set plays and team AI not built yet; they answer the plain
// values the callers can live with. Computer teams choose plan 0 at once.
#include "standin/set_plays_standin.h"

#include "match/game_maths.h"
#include "match/match_flow.h"

void nearest_option_action1(PlayerSlot*) {}

int32_t find_opponent(const PlayerSlot* man)
{
    const MatchGlobals& g = match_globals;
    for (int i = 0; i < g.active_men_count; ++i)
        if (g.active_men[i] && g.active_men[i]->side != man->side)
            return g.active_men[i]->ball_distance;
    return 0;
}

int32_t in_goal_range(const PlayerSlot* man, int32_t range, int32_t x, int32_t y)
{
    const int32_t gx = man->side == 2 ? 24562 : -24562;
    return approx_vector_length(gx - x, y) < range;
}

int32_t attribute_random_check(PlayerSlot*, int32_t angle, int32_t, int32_t) { return angle; }


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
    // The captains toss once the field umpire has walked out.
    if (match_globals.match_state == COIN_TOSS_WAIT && official_slots[0].job_step > 3)
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
