// The scheduled phase cut: a human's button press cuts short the pre-match
// scenes (and marks the pre-match skipped: his toss is drawn), the walk of
// the men before a throw-in and before a ball-up; after a quarter's end the
// walk is cut by itself. The picture fades out, the match runs at a
// hundred times its speed until the rules reach the state after the walk,
// and the picture fades in. Also the ball-alert step.
#pragma once

#include <cstdint>

// The tick speed percentage of the fast-forward.
constexpr int32_t CUT_TICK_SPEED = 10000;

// Both every tick, at its start: apply_pending_phase first.
void apply_pending_phase();
void schedule_phase_cut();
// A human device with a man in its group had a button come on this read.
bool any_contest_active();
void flag_players_ball_coming();
