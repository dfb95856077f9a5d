// STAND-IN: the players' services of the second share (fights) and a contest
// byte the actions read, until they land. The team AI itself is real.
#pragma once

#include "match/match_records.h"

#include <cstdint>

#include "match/man_behaviours.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/team_ai.h"

bool within_blow_reach(PlayerSlot* a, PlayerSlot* b, int32_t distance);
bool rack_off_turns_to_fight(PlayerSlot* a, PlayerSlot* b);
void pair_value_by_number(PlayerSlot* a, PlayerSlot* b, uint8_t value);
// A byte of the man's contest group record (0 without a group).
uint8_t contest_group_byte(const PlayerSlot* man, int index);
