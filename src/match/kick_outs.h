// Set plays of the kick-out after a behind: the set-up state, the forming
// states in which the men take the chosen plan's spots, and the kicked
// states in which the receivers lead and both sides contest the landing.
#pragma once

#include "match/match_records.h"

#include <cstdint>

void place_men_for_kick_out(); // 58
// Forming (59, 61, ... 73) and kicked (60, 62, ... 72) handlers, by state - 59.
extern void (*const kick_out_handlers[15])();
void form_kick_out(int32_t state);
void play_kick_out(int32_t state);
void form_kick_out_pass();
void place_opponent_for_kick_out(PlayerSlot* man);
void fetch_ball_for_kick_out(PlayerSlot* kicker);
void update_kick_out_overlays();
// The kick-out is ready for its plan and options: the kicker holds the ball
// and stands still in his goal square, facing out.
int32_t kick_out_kicker_ready();
// A kicked ball coming down in the ground: each side sends its first men
// by distance to the landing point (its contact quota, one each in the
// lead kick-outs) to the landing area. Kick-outs and a loose ball in open
// play that has not bounced yet.
void contest_ball_landing();
