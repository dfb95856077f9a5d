// The oval: inside tests, boundary look-ups, the clamp onto the ground, the
// meeting point of two runners and the avoidance that sends a runner round a
// man in his way.
#pragma once

#include "match/match_records.h"

#include <cstdint>

constexpr int32_t FIELD_HALF_LENGTH = 24576; // goal to goal
constexpr int32_t FIELD_HALF_WIDTH = 16384;

// Fills the two boundary tables; start-up calls it, and they are also ready
// before anything else in the program runs.
void build_boundary_tables();
// The oval's y extent at |x|, and its x extent at |y|. Any coordinate may be
// asked: beyond the oval's end the extent is 0.
int16_t boundary_half_width(int32_t x);
int16_t boundary_half_length(int32_t y);

int32_t in_field(int16_t x, int16_t y);
int32_t in_field_margin(int16_t x, int16_t y);
void clamp_to_field(int16_t* x, int16_t* y);

// Once a tick: turns aside the first team's men who would end on top of each
// other.
void update_collision_avoidance();
// From the movement layer: may give the man a detour round `other`.
void avoid_collision_with(PlayerSlot* man, PlayerSlot* other);
void set_detour_waypoints(PlayerSlot* man, const PlayerSlot* obstacle, int32_t px, int32_t py);
// The detour round a man standing where he is (the standing case of
// `avoid_collision_with`, at any distance).
void detour_round_man(PlayerSlot* man, const PlayerSlot* other);
int32_t can_reach_path(const PlayerSlot* runner, const PlayerSlot* other, int32_t px, int32_t py, uint8_t heading);
PlayerSlot* find_intercepting_player(const PlayerSlot* runner, const PlayerSlot* excluded, int32_t px, int32_t py);
void clear_contest_links();

// The two detour candidates of the last check (W1, W2).
struct DetourCandidates {
    int32_t x[2], y[2];
};
const DetourCandidates& last_detour_candidates();

// Table stubs.
int32_t return_not(void* first, int32_t second);
int32_t return_fourth(void* first, void* second, void* third, int32_t fourth);
void* return_null();
