// STAND-IN (until the movement-and-actions issue lands): the movement layer's,
// locomotion's, the action executor's and the scene cut's services another
// engineer is building. Men walk straight onto their targets. Delete once
// main has them.
#pragma once

#include "match/match_records.h"

#include <cstdint>

void flag_players_ball_coming();
void act_go_for_ball(PlayerSlot* man);
int32_t is_standing_anim(const PlayerSlot* man);
int32_t is_picking_up(const PlayerSlot* man);
int32_t is_kicking(const PlayerSlot* man);
int32_t is_walking_backwards(const PlayerSlot* man);
int32_t wants_to_fight(const PlayerSlot* man, const PlayerSlot* other);
// A minimum speed for the locomotion animations; the rest nothing.
void locomotion_anim_for_speed(PlayerSlot* man, uint32_t animation);
// The facing he has once his current turn animation is done.
uint8_t anim_facing_offset(const PlayerSlot* man);
// v x (255 - a) / 255, a the average of the attributes of the kind.
int32_t skill_value(const PlayerSlot* man, int32_t v, int32_t kind);
void apply_pending_phase();
void schedule_phase_cut();
void update_locomotion_all();
void update_umpire_locomotion();
void update_player_effort();
void update_all_men();
PlayerSlot* nearest_player(const PlayerSlot* man);
