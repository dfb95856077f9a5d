// STAND-IN: the ball's services, the rules' state change and the proposals,
// until they land. Same names and arguments as the real ones.
#pragma once

#include "match/match_records.h"

#include <cstdint>

void give_ball_to(PlayerSlot* man);
void deflect_ball_random(PlayerSlot* man, PlayerSlot* toucher);
void drop_ball_from_hands(PlayerSlot* man, int32_t a, int32_t dx, int32_t dy, int32_t b, int32_t speed, int32_t c,
                          int32_t d);
void place_ball(int32_t x, int32_t y);
// Joint 15 of the animation at the frame: {x, height, y}.
void get_limb_position(int32_t out[3], PlayerSlot* man, int32_t animation, int32_t frame, int32_t a, int32_t b);
// Rotates {x, y, z} by ((facing - 128) & 255), mirroring x on flag 1,
// negating the second coordinate, scaled by 2.56.
void rotate_offset_by_facing(int32_t out[3], const int32_t point[3], uint8_t facing, uint8_t flags);

constexpr int PATH_STEPS = 500;
// Entry k: {x, z, y} 16.16 after k further ticks.
struct PredictedBallPath {
    int32_t pos[PATH_STEPS][3];
};
extern PredictedBallPath predicted_ball_path;
int32_t find_sorted_index(int32_t height);
int32_t find_sorted_index_b(int32_t height);

void post_man_message(PlayerSlot* man, uint16_t action, PlayerSlot* target, uint16_t argument, int16_t x, int16_t y,
                      uint16_t priority);
void set_match_state(uint8_t state);
