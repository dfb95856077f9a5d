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

#include "match/kick_out_positions.h"
#include "players/contest_groups.h"
#include "players/occupancy.h"

// The jump becomes a standing jump spoil.
void start_standing_jump_spoil(PlayerSlot* man);

void collect_pass_candidates();
PlayerSlot* find_man_near_point(int32_t side, int32_t x, int32_t y);
void choose_disposal_target(PlayerSlot* kicker, int32_t mode);
void choose_set_kick_target(PlayerSlot* kicker);
void fill_stoppage_men(TeamRecord* team);
void give_ball_action(uint16_t action, int32_t arg);

void team_ai_tick();
void adjust_confidence_by_event(int32_t event, int32_t kind);
void adjust_confidence(PlayerSlot* man, int32_t kind);
void raise_grudge(PlayerSlot* man, PlayerSlot* other, int32_t amount);
int32_t find_fight_pairs();

void team_contests_reset(TeamRecord* team);
