// The watches the rules and the tick run: play stopped, ball out, a set kick
// played on or out of time, the player leaving; and small helpers that mark
// men for a state.
#pragma once

#include "match/match_records.h"

#include <cstdint>

// Where the men gather off the ground at a period end when they are near
// the centre line.
constexpr int16_t PERIOD_END_BREAK_Y = 20480;

void out_of_bounds_watch();
void set_kick_time_limit();
int32_t play_on_test();
int32_t play_has_stopped();
int32_t encroaches(const PlayerSlot* man);
void update_text_banner(int32_t force);
void set_team_clock_mark_15s();
void set_team_clock_mark_20s();
int32_t match_quit_requested();
void set_focus_player(PlayerSlot* man);
void place_men_for_period_end();
void collect_key_men(PlayerSlot* first_slot, PlayerSlot* out[4]);

// Kept whole though the match does not call them.
void out_of_bounds_throw_in();
void running_rule_check();
void centre_square_check();
void period_end_next();
void face_ball_all();
void clear_job_steps();
void set_match_sides(TeamRecord* team, int32_t flag);
void resume_play_from_hands();
void snap_men_to_targets();
void umpire_takes_ball();
int32_t always_one_a();
int32_t always_one_b();
// Stands the team's men on the line-up whose value is nearest `id` (the
// home formation 0, the quarter's line-up 19): each man's target becomes his
// spot. Returns the entry taken, -1 without a team.
int32_t select_line_up(TeamRecord* team, int32_t id);
// Runs the whole tick `ticks` times with nothing drawn.
void match_frame_hook(int32_t ticks);
