// STAND-IN: the set plays, per-man behaviours, team AI, occupancy patterns,
// quotas and contest groups not built yet. Delete once main has them.
#pragma once

#include "match/match_records.h"

#include <cstdint>

void nearest_option_action1(PlayerSlot* man);
int32_t find_opponent(const PlayerSlot* man);
int32_t in_goal_range(const PlayerSlot* man, int32_t range, int32_t x, int32_t y);
int32_t attribute_random_check(PlayerSlot* man, int32_t angle, int32_t a, int32_t b);
void check_period_end();

// Contest groups: rebuild a man's group led by `first`, or his leader's.
void contest_join(PlayerSlot* man, PlayerSlot* first, int32_t count, int32_t check);
void resolve_contest(PlayerSlot* man);
// Moves (x, y) to the clearest spot across the man's path ahead.
void find_clear_spot_ahead(PlayerSlot* man, int32_t* x, int32_t* y);
// The jump becomes a standing jump spoil.
void start_standing_jump_spoil(PlayerSlot* man);
