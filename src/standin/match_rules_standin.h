// STAND-IN: the rules operations another engineer is building (possession,
// match states, free kicks, ball-ups, links). Delete once main has them.
#pragma once

#include "match/match_records.h"

#include <cstdint>

void give_ball_to(PlayerSlot* man);
void set_match_state(int32_t n);
void award_free_kick(PlayerSlot* man, int32_t kind);
void award_ball_up(PlayerSlot* man, int32_t mode);
void clear_player_links();
