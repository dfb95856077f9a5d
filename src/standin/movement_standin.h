// STAND-IN: locomotion, the action executor and the scene-cut steps, until
// their own modules land. Men walk straight onto their targets.
#pragma once

#include "match/match_records.h"

#include <cstdint>

void apply_pending_phase();
void schedule_phase_cut();
void update_locomotion_all();
void update_umpire_locomotion();
void update_player_effort();
void update_all_men();
int32_t is_standing_anim(const PlayerSlot* man);
void flag_players_ball_coming();
PlayerSlot* nearest_player(const PlayerSlot* man);
