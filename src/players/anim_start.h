// What an animation does to the man the moment it starts: the row's on-start
// effect (follow-ons, the mirrored bit, stopping him) held in the animation
// table.
#pragma once

#include "match/match_records.h"

#include <cstdint>

// Applies row a's on-start effect to the man; a row without one does nothing.
void run_on_start(PlayerSlot* man, uint32_t a);

// Row helpers kept beside the callbacks (nothing in the match calls them).
bool anim_answer_no(const PlayerSlot* man);
// a + 5 when a is 1..4 and the man holds the ball, else a.
uint32_t with_ball_animation(const PlayerSlot* man, uint32_t a);
// a + 5 whenever the man holds the ball, else a.
uint32_t holder_animation(const PlayerSlot* man, uint32_t a);
// The event string of his primary animation (the with-ball row for 1..4).
const uint8_t* primary_event_string(const PlayerSlot* man);
