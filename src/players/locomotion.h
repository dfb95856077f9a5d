// Locomotion: each man's stamina and bursts, his body turning towards his
// wanted heading, his speed, and the locomotion animation chosen by his speed
// as a share of his top speed, started in step with the old one's cycle.
// Also skill_value, the one scaling of values by ratings and difficulty.
#pragma once

#include "match/match_records.h"
#include "players/anim_driver.h"

#include <cstdint>

// Animation numbers beyond the driver's own.
enum : uint32_t {
    ANIM_STANDING_TURN_LEFT_90 = 121,
    ANIM_STANDING_TURN_RIGHT_90 = 122,
    ANIM_STANDING_TURN_180 = 123,
    ANIM_RUNNING_TURN_LEFT_45 = 124,
    ANIM_RUNNING_TURN_RIGHT_45 = 125,
    ANIM_RUNNING_TURN_LEFT_90 = 126,
    ANIM_RUNNING_TURN_RIGHT_90 = 127,
    ANIM_RUNNING_TURN_180 = 128,
    ANIM_START_MARK_SPOIL = 355,
    ANIM_HOLD_MARK_SPOIL = 356,
    ANIM_FINISH_MARK_SPOIL = 357,
};

// animation_flags bit: the current animation is kept.
constexpr uint8_t ANIM_KEEP = 0x04;

void update_locomotion_all();
void update_umpire_locomotion();
void update_man_locomotion(PlayerSlot* man);
void pick_locomotion_for_speed(PlayerSlot* man);
// Start position (16.16 frames) of a new locomotion animation in step with
// the current one.
int32_t locomotion_phase_match(PlayerSlot* man, int32_t animation);
// 0..4: the band of the man's speed as a share of his top speed.
int32_t locomotion_anim_by_speed(const PlayerSlot* man);
// Raises the man's speed to the floor of a locomotion animation starting.
void locomotion_anim_for_speed(PlayerSlot* man, int32_t animation);
void start_locomotion_anim(PlayerSlot* man, int32_t animation);
void pick_locomotion_anim(PlayerSlot* man, const int32_t list[5]);
// Microseconds from an animation's start to its running cycle's reference
// point; 0 for an animation without one.
int32_t cycle_offset(int32_t animation);
// The man's speed as a percentage of his top speed (0 without a top speed).
double speed_share(const PlayerSlot* man);
int32_t skill_value(const PlayerSlot* man, int32_t value, int32_t kind);
// Length of an animation in microseconds (0 without data).
int32_t animation_length(int32_t animation);
