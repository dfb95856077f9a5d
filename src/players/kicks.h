// Kicks, handballs and tackles: the ball code's record of a disposal, the
// statistics and commentary of it, and the choice of the animations of the
// men involved.
#pragma once

#include "match/match_records.h"
#include "players/anim_driver.h"

#include <cstdint>

enum : uint32_t {
    ANIM_STATIC_HANDBALL_FORWARD = 11,
    ANIM_STATIC_HANDBALL_RIGHT = 13,
    ANIM_RUN_HANDBALL_FORWARD = 16,
    ANIM_RUN_HANDBALL_LEFT = 17,
    ANIM_RUNNING_KICK = 22,
    ANIM_KICKSET = 24,
    ANIM_TACKLED_STAND_RELEASE_BALL = 131,
    ANIM_TACKLED_STAND_KEEP_BALL = 132,
    ANIM_TACKLED_STAND_NO_BALL = 133,
    ANIM_TACKLED_GROUND_INJURED = 136,
    ANIM_TACKLE_STAND = 137,
    ANIM_TACKLE_NO_CALLBACK = 138,
    ANIM_RUNNING_KICK_LEFT = 237,
    ANIM_RUNNING_KICK_RIGHT = 238,
    ANIM_RUNNING_FORWARDS_BUMP = 264,
};

// Tackle outcomes.
enum : int32_t {
    TACKLE_NO_BALL = 0,
    TACKLE_RELEASE = 1,
    TACKLE_KEEP = 2,
    TACKLE_MISS = 3,
    TACKLE_INJURE = 4,
    TACKLE_HANDBALL = 5,
};

void start_kick(PlayerSlot* a);
void start_handball(PlayerSlot* a);
// The handball (forward, left or right, standing or running) the man would
// throw to reach his target man, as the handball itself would choose it.
int32_t chase_target(PlayerSlot* man);
// A handball's release frame in ticks, at two thirds of 3.1 ticks a frame.
int32_t handball_release_ticks(int32_t animation);
void act_tackle(PlayerSlot* a);
void decide_tackle_outcome(PlayerSlot* a, int32_t score);
void play_tackle_outcome(PlayerSlot* a, PlayerSlot* t, int32_t held, int32_t kind);
// The commentary kind of an aimed kick (0: none), by distance and offsets.
int32_t kick_commentary_kind(const PlayerSlot* a, int32_t distance, int32_t target_x, int32_t target_y);
// The kick animation by speed, turn and distance; sets the headings.
int32_t choose_kick_animation(PlayerSlot* a, int32_t direction, int32_t distance);
// The tackle score of a on his target (before the outcome's holder bonus).
int32_t tackle_score(PlayerSlot* a, PlayerSlot* t, int32_t distance);
