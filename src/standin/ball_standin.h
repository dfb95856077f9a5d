// STAND-IN: the ball, its contacts and launches, the possession and match
// state changes and the contest groups that the frame events and planners
// call, until the match and ball work lands with the real ones under these
// names.
#pragma once

#include "match/match_records.h"

#include <cstdint>

// Makes the man (null: nobody) the holder of the ball.
void give_ball_to(PlayerSlot* man);
void set_match_state(int32_t state);

// The ball's path over the next 500 ticks: {x, height, y} in 16.16.
constexpr int PREDICTED_PATH_LENGTH = 500;
struct PredictedBallPath {
    int32_t position[PREDICTED_PATH_LENGTH][3];
    int32_t spin[PREDICTED_PATH_LENGTH][3];
};
extern PredictedBallPath predicted_ball_path;

// Kick, handpass or throw toward the ball's position + (dx, dy).
void launch_ball_to_point(PlayerSlot* man, int32_t elevation, int32_t dx, int32_t dy, int32_t heading,
                          int32_t distance, int32_t height_tag, int32_t kind);
// The ball contact point of an animation frame (joint 15), or nothing for an
// animation that carries the ball in its own data.
void get_limb_position(int32_t out[3], PlayerSlot* man, uint32_t animation, int32_t frame, uint8_t facing,
                       int32_t b);
// Turns a point by ((facing - 128) & 255), x mirrored when mirror bit 1 is
// set, the second coordinate negated, all scaled by 2.56.
void rotate_offset_by_facing(int32_t out[3], const int32_t point[3], uint8_t facing, uint32_t mirror);
void set_ball_landing_point(BallState* ball);

// Contest groups.
void contest_join(PlayerSlot* man, PlayerSlot* first, int32_t count, int32_t check);
void resolve_contest(PlayerSlot* man);

// One step of the ball's flight.
void ball_step(BallState* ball, int32_t predicting);
// A clear spot ahead of the man at (x, y): moves the point.
void find_clear_spot_ahead(PlayerSlot* man, int32_t* x, int32_t* y);
// The jump becomes a standing jump spoil.
void start_standing_jump_spoil(PlayerSlot* man);
