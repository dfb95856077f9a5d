// The ball: one step a tick under gravity, four bounce rules chosen by how
// the oval ball tumbles, the fence that sends it back, and a 500-step
// prediction of its path that the men plan their contacts from.
#pragma once

#include "match/match_records.h"

#include <cstdint>

// flags
constexpr uint16_t BALL_FREE = 0x0001;
constexpr uint16_t BALL_HELD = 0x0002;
constexpr uint16_t BALL_WIDE_MARKS = 0x00CC;
// flight_flags
constexpr uint16_t FLIGHT_AT_REST = 0x0002;
constexpr uint16_t FLIGHT_POST = 0x0004;
constexpr uint16_t FLIGHT_GOAL = 0x0008;
constexpr uint16_t FLIGHT_BEHIND = 0x0010;
constexpr uint16_t FLIGHT_MOVING = 0x0020;
constexpr uint16_t FLIGHT_KICKED = 0x0040;
constexpr uint16_t FLIGHT_HANDPASSED = 0x0080;
constexpr uint16_t FLIGHT_THROWN = 0x0400;
constexpr uint16_t FLIGHT_BEHIND_POST = 0x0800;
constexpr uint16_t FLIGHT_DEAD_BOUNCE = 0x8000;
constexpr uint16_t FLIGHT_SCORE_MARKS = FLIGHT_POST | FLIGHT_GOAL | FLIGHT_BEHIND | FLIGHT_BEHIND_POST;
// A launch keeps these of the old flight.
constexpr uint16_t FLIGHT_KEPT_BY_LAUNCH = 0x3020;

constexpr int32_t BALL_GRAVITY = 42824; // 9.812 m/s2 at 62 ticks a second
constexpr int PREDICTED_STEPS = 500;

// Where the copy of the ball goes over the next 500 steps: {x, z, y} in
// 16.16 (height second) and its spin angles. Entry 0 is after this tick's step.
struct PredictedBallPath {
    int32_t position[PREDICTED_STEPS][3];
    int32_t spin[PREDICTED_STEPS][3];
};
extern PredictedBallPath predicted_ball_path;

// The lowest and highest height of the predicted path, kept only from the
// tick's prediction to the tick's end (nothing else writes the path then), so
// that a search for a height the ball never reaches ends at once.
struct BallPathBounds {
    int32_t valid;
    int32_t lowest, highest;
};
extern BallPathBounds ball_path_bounds;
void note_ball_path_bounds();
void forget_ball_path_bounds();

// The ground's bounce, friction and rest threshold for weather 0..3.
void set_ball_ground_values(uint8_t weather);

// One real step, then (predict 1) the prediction on a copy, leaving the
// ball's random sequence as it was.
void update_ball(BallState* ball, int32_t predict);
// One step; predicting: no sound, no commentary, no man touched.
void ball_step(BallState* ball, int32_t predicting);
// The ball lies still at (x, y), nobody holding it.
void place_ball(int16_t x, int16_t y);
// Where the ball comes down through the catching height, by flight time.
void set_ball_landing_point(BallState* ball);

// The bounce rules, by tumble phase >> 1: A, B, C, D, A, D, C, B.
void bounce_rule_a(BallState* ball, int32_t d);
void bounce_rule_b(BallState* ball, int32_t d);
void bounce_rule_c(BallState* ball, int32_t d);
void bounce_rule_d(BallState* ball, int32_t d);

// Kept for tools and tests; the match does not call them.
void place_ball_clear_holder(int16_t x, int16_t y);
void rebound_ball_vertical(BallState* ball);
void ball_step_plain(BallState* ball);
void ball_wind_drift(BallState* ball, int32_t wind_on, int16_t wind_x, int16_t wind_y);
void ball_offset_step(BallState* ball, int32_t dx, int32_t dy, int32_t dz);

inline int16_t whole(int32_t v) { return static_cast<int16_t>(v >> 16); }
