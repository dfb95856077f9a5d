// Per-man decisions the set plays, the director and the team AI call one man
// at a time: what the ball carrier does with the ball, how the men near a
// loose or falling ball go for it, the smother, and the geometric tests they
// share (goal range, goal square, clamps).
#pragma once

#include "match/match_records.h"

#include <cstdint>

// Kick kinds of the ratings.
constexpr int32_t KICK_TO_HANDS = 32, KICK_TO_MAN = 36, KICK_INTO_SPACE = 40;

// Ball carrier.
void collect_pass_candidates();
void man_ball_distance_check(PlayerSlot* holder);
void carrier_react_to_opponent(PlayerSlot* holder, int32_t d);
void carrier_look_for_lead(PlayerSlot* holder, PlayerSlot* opponent, int32_t d);
int32_t aim_at_moving_man(PlayerSlot* holder, PlayerSlot* man, int32_t* code, int32_t angle);
int32_t aim_at_moving_man_b(PlayerSlot* holder, PlayerSlot* man, int32_t* code, int32_t angle);
int32_t disposal_option_to_man(PlayerSlot* holder, PlayerSlot* man, int32_t* kind, int32_t range, int32_t angle);
int32_t rate_kick_to_man(PlayerSlot* holder, PlayerSlot* man, int32_t* kind, int32_t range, int32_t angle);
PlayerSlot* choose_best_teammate(PlayerSlot* man);
int32_t rate_teammate(PlayerSlot* man, PlayerSlot* other, int32_t limit);
int32_t rate_teammate_b(PlayerSlot* man, PlayerSlot* other, int32_t limit);
void choose_disposal_target(PlayerSlot* holder, int32_t mode);
void kick_toward_goal_area(PlayerSlot* man);
int32_t attribute_random_check(PlayerSlot* man, int32_t angle, int32_t accuracy_mode, int32_t shot_mode);
// 7680 + kicking range x 5120 / 255, 1280 more in a contest group.
int32_t kick_range(const PlayerSlot* man);

// Loose ball.
void loose_ball_contest(PlayerSlot* man);
void predict_receiver(PlayerSlot* man);
void loose_ball_support_a(PlayerSlot* man);
void loose_ball_support_b(PlayerSlot* man);
void loose_ball_support_c(PlayerSlot* man);
void loose_ball_support_d(PlayerSlot* man);
void nearest_option_action1(PlayerSlot* man);
// The matching slot tests.
int32_t has_support_slot_a(const PlayerSlot* man);
int32_t has_support_slot_b(const PlayerSlot* man);
int32_t has_support_slot_c(const PlayerSlot* man);
int32_t has_support_slot_d(const PlayerSlot* man);
void propose_smother(PlayerSlot* man);
void start_standing_jump_spoil(PlayerSlot* man);

// Geometry.
int32_t in_goal_range(const PlayerSlot* man, int32_t range, int32_t x, int32_t y);
int32_t in_goal_square(const PlayerSlot* man);
int32_t point_ahead_in_field(const PlayerSlot* man, int32_t x, int32_t y, int32_t r);
int32_t clamp_field_coordinate(int32_t v);
int32_t clamp_to_boundary_width(int32_t y, int32_t x);
int32_t find_opponent(const PlayerSlot* man);
int32_t find_free_opponent(const PlayerSlot* man);
int32_t nearest_opponent_distance(const PlayerSlot* man, int32_t x, int32_t y);
int32_t all_men_behind_kicker();
// The attacked goal's x for a man's side.
inline int32_t attacked_goal_x(const PlayerSlot* man) { return man->side == 2 ? 24562 : -24562; }
