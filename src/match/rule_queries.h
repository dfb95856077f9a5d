// Small queries over the two team records that the rules, the restarts and
// the commentary share.
#pragma once

#include "match/match_records.h"

#include <cstdint>

// -1, 0 or 1: whether the match is decided, seen from the one human side
// (both or neither human: 1 when the margin reaches the threshold).
// with_kicker counts the six points of the last kicker's goal not yet added.
int8_t score_margin_check(int32_t with_kicker);
// The points a side must lead by for the match to count as decided.
int32_t score_margin_threshold(uint32_t quarter_minutes);

// The best free man of the team's 18 on the ground by an attribute; a man
// who is busy, out of play or selected to go off is never chosen. Slot 0
// when none is free.
PlayerSlot* best_man_by_attribute(TeamRecord* team, int32_t (*attribute)(const PlayerSlot*));
int32_t kick_range_of(const PlayerSlot* man);
int32_t ruck_value_of(const PlayerSlot* man);
PlayerSlot* best_man_by_kick_range(TeamRecord* team);
PlayerSlot* best_man_by_ruck_value(TeamRecord* team);

// Slot number of the man of team t carrying line-up index n; 255 when none.
uint8_t find_man_by_number(int32_t t, int32_t n);
PlayerSlot* nearest_free_opponent_by_formation(const PlayerSlot* man);
PlayerSlot* nearest_free_opponent_by_spots(const PlayerSlot* man);
PlayerSlot* nearest_free_player_to_goal(TeamRecord* team);
int32_t is_marked(const PlayerSlot* man);
void clear_team_claims(TeamRecord* team);
void clear_all_arrived();
void flag_all_ball_coming();
