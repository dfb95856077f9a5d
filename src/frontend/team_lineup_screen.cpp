#include "frontend/team_lineup_screen.h"

#include "league/team_lineups.h"
#include "match/match_records.h"

int32_t lineup_team_of_side(int32_t side)
{
    return side == 0 ? game_settings.home_team : game_settings.away_team;
}

void swap_lineup_players(int32_t side, int32_t player_a, int32_t player_b)
{
    int32_t team = lineup_team_of_side(side);
    if (team < 0 || team >= LEAGUE_TEAMS) return;
    swap_players_in_lineup(team_lineups[team], player_a, player_b);
}
