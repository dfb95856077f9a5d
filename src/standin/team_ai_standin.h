// STAND-IN: the team AI's and the contest groups' services, until they land.
#pragma once

#include "match/match_records.h"

#include <cstdint>

#include "players/contest_groups.h"

int32_t start_animation_by_id(PlayerSlot* man, int32_t animation);
bool within_blow_reach(PlayerSlot* a, PlayerSlot* b, int32_t distance);
bool rack_off_turns_to_fight(PlayerSlot* a, PlayerSlot* b);
void pair_value_by_number(PlayerSlot* a, PlayerSlot* b, uint8_t value);
PlayerSlot* choose_best_teammate(PlayerSlot* man);
void react_to_controlled_player(PlayerSlot* man);
// A byte of the man's contest group record (0 without a group).
uint8_t contest_group_byte(const PlayerSlot* man, int index);
int32_t wants_to_fight(const PlayerSlot* man, const PlayerSlot* other);
