// The animation driver: every man plays skeletal animations of the animation
// table on two channels. The primary channel carries his body and its root
// path moves him; the secondary channel overlays a second animation (tackle
// holds, arguments, mark spoils) on the blend slot. Positions are 16.16
// frames; rates are per-tick increments of a position.
#pragma once

#include "match/match_records.h"

#include <cstdint>

enum : uint8_t {
    ANIM_MIRRORED = 0x01, // the primary animation plays left for right
    ANIM_HOLD = 0x02,     // the primary channel fires no events and never ends
};

constexpr int32_t PRIMARY_BASE_RATE = 21141; // 20 frames a second at 62 ticks a second
constexpr int32_t SECONDARY_BASE_RATE = 21846;
constexpr int32_t FRAME_ONE = 65536;         // one frame as a 16.16 position

// Animation numbers the driver itself names.
enum : uint32_t {
    ANIM_STAND = 0,
    ANIM_WALK = 1,
    ANIM_JOG = 2,
    ANIM_RUN = 3,
    ANIM_SPRINT = 4,
    ANIM_STAND_WITHBALL = 5,
    ANIM_WALK_WITHBALL = 6,
    ANIM_JOG_WITHBALL = 7,
    ANIM_RUN_WITHBALL = 8,
    ANIM_SPRINT_WITHBALL = 9,
    ANIM_STATIC_KICK = 21,
    ANIM_WALK_BACKWARDS = 147,
    ANIM_GETUP_FACEUP = 150,
    ANIM_BOUNCE_BALL = 193,
    ANIM_WALK_BACKWARDS_NB = 257,
    ANIM_WALK_BACKWARDS_WB = 258,
    ANIM_DO_TACKLE = 281,
    ANIM_HOLD_TACKLE = 282,
    ANIM_END_TACKLE = 283,
    ANIM_DO_FAIL_TACKLE = 284,
    ANIM_INJURY1 = 285,
    ANIM_INJURY3 = 287,
    ANIM_BACKSTEP = 312,
    ANIM_CELEBRATE = 319,
    ANIM_ARGUE_PROTEST = 358,
    ANIM_QUICKSTEP_LEFT = 372,
    ANIM_QUICKSTEP_RIGHT = 373,
};

// Starts animation a on the primary channel from the whole frame given,
// unless it already plays; refreshes the primary pose slot.
void play_man_animation(PlayerSlot* man, uint32_t a, int32_t frame, double rate_factor);
// The secondary channel's counterpart; rate scales the secondary base rate.
void set_man_animation(PlayerSlot* man, uint32_t a, int32_t frame, double rate);
// Once a tick per man (players and umpires).
void advance_man_animation(PlayerSlot* man);
// One channel by at most one frame (delta 1..65536).
void step_primary_animation(PlayerSlot* man, int32_t delta);
void step_secondary_animation(PlayerSlot* man, int32_t delta);
// Moves the man along his primary animation's root path by delta (1/65536
// frame) from the start of the current frame.
void apply_root_motion(PlayerSlot* man, int32_t delta);
// Once a tick per man, after advance_man_animation.
void update_holding_tackle(PlayerSlot* man);

// Animation time in microseconds of a 16.16 position (nearest; 0 below 0).
uint32_t anim_position_time(int32_t position);
// Last frame index of an animation row (length / 50000 - 1); -1 without data.
int32_t anim_last_frame(uint32_t a);
// Length in microseconds of an animation row; 0 without data.
uint32_t anim_length(uint32_t a);
// The loaded data of a row, or null (also for numbers out of the table).
PafAnimation* anim_data(uint32_t a);

// True for an umpire (bit 0x40 of his number).
inline bool is_umpire(const PlayerSlot* man) { return (man->number & 0x40) != 0; }
// True for the man who holds the ball, player or umpire.
bool holds_ball(const PlayerSlot* man);
