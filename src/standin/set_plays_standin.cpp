// STAND-IN: the set plays and team AI not built yet; they answer the plain
// values the callers can live with.
#include "standin/set_plays_standin.h"

#include "match/game_maths.h"

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

void check_period_end() {}

void contest_join(PlayerSlot*, PlayerSlot*, int32_t, int32_t) {}
void resolve_contest(PlayerSlot*) {}
void find_clear_spot_ahead(PlayerSlot*, int32_t*, int32_t*) {}
void start_standing_jump_spoil(PlayerSlot*) {}
