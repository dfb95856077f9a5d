// STAND-IN (until the set-plays-and-AI issue lands): the kick-out positions,
// set plays, per-man behaviours, team AI, occupancy patterns, quotas and
// contest groups not built yet. Crude bodies that keep a headless match
// moving. Delete once main has them.
#pragma once

#include "match/formation.h"
#include "match/match_records.h"

#include <cstdint>

// Per-man behaviours.
void nearest_option_action1(PlayerSlot* man);
int32_t find_opponent(const PlayerSlot* man);
int32_t in_goal_range(const PlayerSlot* man, int32_t range, int32_t x, int32_t y);
int32_t attribute_random_check(PlayerSlot* man, int32_t angle, int32_t accuracy_mode, int32_t shot_mode);
void man_ball_distance_check(PlayerSlot* holder);
void carrier_react_to_opponent(PlayerSlot* holder, int32_t d);
void carrier_look_for_lead(PlayerSlot* holder, PlayerSlot* opponent, int32_t d);
void loose_ball_contest(PlayerSlot* man);
void loose_ball_support_a(PlayerSlot* man);
void loose_ball_support_b(PlayerSlot* man);
void loose_ball_support_c(PlayerSlot* man);
void loose_ball_support_d(PlayerSlot* man);
void propose_smother(PlayerSlot* man);
// The loose-ball pickup assignment run while the ball has not bounced.
void assign_loose_ball_pickup();

// Set kicks.
void check_period_end();
int32_t follow_direct_opponent(PlayerSlot* man, int32_t force);
void adjust_spot_toward_ball(PlayerSlot* man, int32_t* x, int32_t* y);
void place_leads_for_set_kick(PlayerSlot* kicker, int32_t x, int32_t y, int32_t parts);
void place_leads_in_play(PlayerSlot* man);
void spread_wide_man(PlayerSlot* man);
void run_to_adjusted_formation_spot(PlayerSlot* man);
void cycle_counter4();
void hold_free_kick_award();
void hold_mark_award();
void take_set_kick();
void follow_set_kick_flight();
void take_set_shot();
void return_ball_to_kicker();
void hold_behind();

// Centre bounces, throw-ins and ball-ups.
void place_men_for_centre_bounce();
void place_men_for_bounce_setup();
void place_men_for_bounce_options();
void contest_centre_bounce();
void place_men_for_throw_in();
void hold_throw_in_setup();
void contest_throw_in();
void place_men_for_ball_up();
void place_men_for_ball_up_setup();
void contest_ball_up();
void hold_all_men();
void propose_ruck_spot(PlayerSlot* man, int32_t x, int32_t y);
void place_listed_man(PlayerSlot* man, int32_t k);

// Kick-outs: state 58, then one handler for each of 59..73.
void place_men_for_kick_out();
extern void (*const kick_out_handlers[15])();

// Occupancy scans and quotas.
int32_t scan_grid_pattern(const PlayerSlot* man, const int8_t* pattern, int32_t mode);
int32_t scan_pattern_around_holder(const int8_t* pattern);
void reset_action_quotas();
int32_t action_proposal_blocked(PlayerSlot* man, int32_t index, int32_t commit);
extern const int8_t holder_surround_pattern[];
extern const int8_t holder_front_pattern[];
extern const int8_t neighbour_pattern[];
extern const int8_t ahead_pattern[2][66]; // [side 2 ? 1 : 0]
extern const int8_t pressure_ahead_pattern[2][140];
// Run patterns by side (side 2 ? 1 : 0): straight, half-left, half-right.
extern const int8_t run_patterns[2][3][48];

// Contest groups.
extern int32_t chase_time[TEAM_SLOTS];
PlayerSlot* find_chaser(PlayerSlot* runner);
void contest_restart_with(PlayerSlot* man);

// Contest groups: rebuild a man's group led by `first`, or his leader's.
void contest_join(PlayerSlot* man, PlayerSlot* first, int32_t count, int32_t check);
void resolve_contest(PlayerSlot* man);
// Moves (x, y) to the clearest spot across the man's path ahead.
void find_clear_spot_ahead(PlayerSlot* man, int32_t* x, int32_t* y);
// The jump becomes a standing jump spoil.
void start_standing_jump_spoil(PlayerSlot* man);
void choose_kickout_positions(TeamRecord* team, int32_t plan);
void choose_oppose_kickout_positions(TeamRecord* team, int32_t plan);
// The spot list of a plan for the kicking team (17 spots) or the opposing
// team (n + 1), written for side 2.
const FormationSpot* kickout_spot_list(int32_t kicking, int32_t plan, int32_t* count);
// The kick-out spot of a man by his role (the first or the second routine).
const void* kickout_spot_of(PlayerSlot* man, int32_t routine);
// A plan's receiver by option, and the option's point (written for side 2).
PlayerSlot* kickout_receiver(TeamRecord* team, int32_t plan, int32_t choice);
FormationSpot kickout_option_point(int32_t plan, int32_t choice);

void collect_pass_candidates();
PlayerSlot* find_man_near_point(int32_t side, int32_t x, int32_t y);
void choose_disposal_target(PlayerSlot* kicker, int32_t mode);
void choose_set_kick_target(PlayerSlot* kicker);
void fill_stoppage_men(TeamRecord* team);
void give_ball_action(uint16_t action, int32_t arg);

void update_angles_to_ball();
void remember_previous_actions();
void team_ai_tick();
void adjust_confidence_by_event(int32_t event, int32_t kind);
void adjust_confidence(PlayerSlot* man, int32_t kind);
void raise_grudge(PlayerSlot* man, PlayerSlot* other, int32_t amount);
int32_t find_fight_pairs();

void team_contests_reset(TeamRecord* team);
void team_contests_clear(TeamRecord* team);
void contest_restart_with(PlayerSlot* man);
void update_contest_groups();
void set_contest_mark_all(int32_t on);
void release_contest_members();
