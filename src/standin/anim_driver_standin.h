// STAND-IN: the animation driver and the contact tables, until their own
// modules land.
#pragma once

#include "match/match_records.h"

#include <cstdint>

void play_man_animation(PlayerSlot* man, uint32_t animation, int32_t frame, double rate_factor);
void set_man_animation(PlayerSlot* man, uint32_t animation, int32_t frame, double rate);
// The receiver's run-up point for a kick-out option at (x, y).
void kick_out_slack(PlayerSlot* receiver, int32_t x, int32_t y, int32_t* out_x, int32_t* out_y);
