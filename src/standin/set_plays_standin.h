// STAND-IN (until the set-plays-and-AI issue lands): the kick-out positions,
// set plays, per-man behaviours, team AI, occupancy patterns, quotas and
// contest groups not built yet. Crude bodies that keep a headless match
// moving. Delete once main has them.
#pragma once

#include "match/formation.h"
#include "match/match_records.h"

#include <cstdint>

void nearest_option_action1(PlayerSlot* man);
int32_t find_opponent(const PlayerSlot* man);
int32_t in_goal_range(const PlayerSlot* man, int32_t range, int32_t x, int32_t y);
int32_t attribute_random_check(PlayerSlot* man, int32_t angle, int32_t a, int32_t b);
void check_period_end();

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
