// The line-up screen's services to the pages and the other team screens.
#pragma once

#include <cstdint>

// The league team playing on a side this game (0 home, 1 away).
int32_t lineup_team_of_side(int32_t side);
// In that team's line-up, exchanges the first entries holding players a and
// b; nothing when either is not in it.
void swap_lineup_players(int32_t side, int32_t player_a, int32_t player_b);
