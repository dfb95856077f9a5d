// STAND-IN: services of the movement layer (locomotion, man predicates,
// skill values) that the animation driver and its events call, until the
// movement work lands with the real ones under these names.
#pragma once

#include "match/match_records.h"

#include <cstdint>

// A minimum speed for the locomotion animations; the rest nothing.
void locomotion_anim_for_speed(PlayerSlot* man, uint32_t animation);
// His primary animation is a standing one.
int32_t is_standing_anim(const PlayerSlot* man);
int32_t is_walking_backwards(const PlayerSlot* man);
int32_t is_picking_up(const PlayerSlot* man);
// The facing he has once his current turn animation is done.
uint8_t anim_facing_offset(const PlayerSlot* man);
// v x (255 - a) / 255, a the average of the attributes of the kind.
int32_t skill_value(const PlayerSlot* man, int32_t v, int32_t kind);
// Marks the players the free ball will reach.
void flag_players_ball_coming();
