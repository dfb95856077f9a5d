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
