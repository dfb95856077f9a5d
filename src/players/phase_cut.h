// The scheduled phase cut: when a human plays, the walk of the men to their
// places before a centre bounce, after a quarter's end, before a throw-in and
// before a ball-up is cut short. The picture fades out, the match runs at a
// hundred times its speed until the rules reach the state after the walk,
// and the picture fades in. Also the ball-alert step.
#pragma once

#include <cstdint>

// The tick speed percentage of the fast-forward.
constexpr int32_t CUT_TICK_SPEED = 10000;

// Both every tick, at its start: apply_pending_phase first.
void apply_pending_phase();
void schedule_phase_cut();
bool any_contest_active();
void flag_players_ball_coming();
