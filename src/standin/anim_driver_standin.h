// STAND-IN: the animation driver, the contact planners, the contact tables
// and the joint look-up other engineers are building. Delete once main has
// them.
#pragma once

#include "match/match_records.h"

#include <cstdint>

void play_man_animation(PlayerSlot* man, uint32_t animation, int32_t frame, double rate_factor);
void set_man_animation(PlayerSlot* man, uint32_t animation, int32_t frame, double rate);
void man_ai_update(PlayerSlot* man);
void ball_contact_planner_d(PlayerSlot* man);
// Empties every man's rows of the four planner tables and the officials'.
void clear_contact_plans();
// Position of a joint of an animation at a frame, 24.8 ground units from the
// root, for a man facing `facing`.
void get_joint_position(int32_t out[3], int32_t animation, int32_t frame, int32_t joint, int32_t facing);
// The receiver's run-up point for a kick-out option at (x, y).
void kick_out_slack(PlayerSlot* receiver, int32_t x, int32_t y, int32_t* out_x, int32_t* out_y);
