// The handlers the team AI runs for the lead man of a contest group, by
// behaviour row and button combination: steering, kicks, handballs, marks,
// spoils, bumps and fight moves, the set-play choices of the team overlays,
// and the set kicks with their three-press kick meter.
#pragma once

#include "match/match_records.h"

#include <cstdint>

using BehaviourHandler = void (*)(PlayerSlot*);
constexpr int BEHAVIOUR_ROWS = 36;
constexpr int BEHAVIOUR_SLOTS = 16;
// Row A by the buttons that went off, row B by those that came on (slot 0 of
// row B: a stick direction came on).
extern const BehaviourHandler (&behaviour_rows_a)[BEHAVIOUR_ROWS][BEHAVIOUR_SLOTS];
extern const BehaviourHandler (&behaviour_rows_b)[BEHAVIOUR_ROWS][BEHAVIOUR_SLOTS];

void steer_controlled_man(PlayerSlot* man);
void steer_in_camera_mode(PlayerSlot* man);
void steer_loose_ball_man(PlayerSlot* man);
void steer_kick_run_up(PlayerSlot* man);
void clear_in_contest_flag(PlayerSlot* man);
void check_play_on(PlayerSlot* man);
void play_on_check(PlayerSlot* man);
void fight_move_a(PlayerSlot* man);
void fight_move_b(PlayerSlot* man);
void fight_move_c(PlayerSlot* man);
void fight_move_d(PlayerSlot* man);
void fight_move_e(PlayerSlot* man);
void fight_move_f(PlayerSlot* man);
void fight_move_g(PlayerSlot* man);
void fight_move_h(PlayerSlot* man);
void kick_or_pass(PlayerSlot* man);
void handball_to_man(PlayerSlot* man);
void switch_contest_man(PlayerSlot* man);
void toggle_camera_mode(PlayerSlot* man);
void tackle_or_smother(PlayerSlot* man);
void bump_opponent(PlayerSlot* man);
int32_t lunge_at_opponent(PlayerSlot* man);
void smother_kick(PlayerSlot* man);
void spoil_or_mark(PlayerSlot* man);
void punch_ball_on(PlayerSlot* man);
void take_kick_36(PlayerSlot* man);
void take_kick_36b(PlayerSlot* man);
void take_kick_40(PlayerSlot* man);
void choose_short_target(PlayerSlot* man);
void choose_long_target(PlayerSlot* man);
void clear_action(PlayerSlot* man);
void choose_teammate(PlayerSlot* man);
void choose_teammate_reset(PlayerSlot* man);
void set_loose_ball_choice(PlayerSlot* man);
void hold_ball_run(PlayerSlot* man);
void mark_stand(PlayerSlot* man);
void stoppage_choice_step(PlayerSlot* man);
void confirm_stoppage_choice(PlayerSlot* man);
void option_choice_step(PlayerSlot* man);
void confirm_option_choice(PlayerSlot* man);
void throw_in_choice_step(PlayerSlot* man);
void confirm_throw_in_choice(PlayerSlot* man);
void kick_out_choice_step(PlayerSlot* man);
void confirm_kick_out_choice(PlayerSlot* man);
void kick_out_option_0(PlayerSlot* man);
void kick_out_option_1(PlayerSlot* man);
void kick_out_option_2(PlayerSlot* man);
void kick_out_option_3(PlayerSlot* man);
void kick_out_option_0b(PlayerSlot* man);
void kick_out_option_0c(PlayerSlot* man);
void kick_out_option_1c(PlayerSlot* man);
void kick_out_option_3b(PlayerSlot* man);
void take_kick_out(PlayerSlot* man);
// The receiver that action button b (0..3) would pick for the team at this
// kick-out, while its player is picking one; null otherwise.
PlayerSlot* kick_out_button_receiver(TeamRecord* team, int32_t b);
void end_of_kick_out(PlayerSlot* man);
void coin_call_step(PlayerSlot* man);
void confirm_coin_call(PlayerSlot* man);
void toss_choice_step(PlayerSlot* man);
void confirm_toss_choice(PlayerSlot* man);
void jump_spoil_step(PlayerSlot* man);

// The three-press kick meter of a set kick.
void take_set_kick(PlayerSlot* man, int32_t kind);
void set_restart_target(PlayerSlot* man);
int32_t start_animation_by_id(PlayerSlot* man, int32_t anim);
// The rules hand the set kick's action to the kicker.
void give_ball_action(uint16_t kind, int32_t panel);
int32_t within_distance(const PlayerSlot* a, const PlayerSlot* b, int32_t d);
void reset_team_contests(TeamRecord* team);
void team_contests_reset(TeamRecord* team);
void place_for_practice();
void facing_default(PlayerSlot* man);
void count_event();
extern int32_t event_count;
// The camera mode the holder's button 8 toggles.
extern int32_t camera_mode, stored_camera_mode;
// The meter's top: the longest kick a set kick may take.
constexpr int32_t METER_MAXIMUM = 12800;
