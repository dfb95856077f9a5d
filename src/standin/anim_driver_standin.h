// STAND-IN: the animation driver and the man display support, until they
// land. Same names and arguments as the real ones; delete on merge.
#pragma once

#include "match/match_records.h"

#include <cstdint>

void play_man_animation(PlayerSlot* man, int32_t animation, int32_t frame, double rate);
void set_man_animation(PlayerSlot* man, int32_t animation, int32_t frame, double rate);
void advance_man_animation(PlayerSlot* man);
void update_holding_tackle(PlayerSlot* man);
// A joint of the animation at a whole frame, turned to heading (8-bit), in
// whole ground units relative to the man: {x, height, y}.
void get_joint_position(int32_t out[3], PlayerSlot* man, int32_t animation, int32_t time0, int32_t frame,
                        int32_t facing, int32_t joint);
// The ball-path time from the release of a handball to the receiver.
int32_t plan_handball_contact(PlayerSlot* man, PlayerSlot* receiver, int32_t animation, int32_t hand,
                              int32_t release, int32_t zero);
// The root travel of an animation between two whole frames, turned by an
// 8-bit facing, in ground units: {x, height, y}.
void get_animation_displacement(int32_t animation, int32_t frame_a, int32_t frame_b, int32_t facing,
                                int32_t out[3]);
