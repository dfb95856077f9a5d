// What a session starts with, and what the kind of game being played implies.
#pragma once

#include <cstdint>

// Once when the front end starts: exhibition of team 0 against team 9.
void set_session_defaults();
// Game-type queries.
int32_t game_type_value_zero();
int32_t team_table_size();
int32_t competition_team_count();
