// Set plays while a kick is awarded and taken (free kicks, marks, set shots,
// the kick after a behind) and the set-kick helpers the kick-outs share: the
// match-up, the run clear of the mark, the pull of a spot toward the ball,
// the leads offered to the kicker, the kicker's target and the 50-metre
// penalty.
#pragma once

#include "match/formation.h"
#include "match/match_records.h"
#include "players/movement.h"

#include <cstdint>

constexpr uint16_t ACT_TAKE_SET_KICK = 43;
constexpr uint16_t ACT_FOLLOW_A_MAN = 52;

// Director entries.
void hold_free_kick_award();   // 49
void hold_mark_award();        // 41
void take_set_kick();          // 42, 45
void follow_set_kick_flight(); // 9
void take_set_shot();          // 8
void return_ball_to_kicker();  // 6
void hold_behind();            // 36

int32_t follow_direct_opponent(PlayerSlot* man, int32_t force);
void run_to_adjusted_formation_spot(PlayerSlot* man);
void propose_clear_of_point(PlayerSlot* man, int32_t r, int32_t x, int32_t y);
void adjust_spot_toward_ball(PlayerSlot* man, int32_t* x, int32_t* y);
void place_leads_for_set_kick(PlayerSlot* kicker, int32_t x, int32_t y, int32_t parts);
void place_leads_in_play(PlayerSlot* man);
void place_leads_to_targets(PlayerSlot* kicker);
// The kicker's target as a set kick begins (the kicker is controlled_man_a).
void choose_set_kick_target(PlayerSlot* kicker);
void clear_set_kick_target();
void check_period_end();
void spread_wide_man(PlayerSlot* man);
void offender_face_umpire(PlayerSlot* man);
PlayerSlot* find_man_near_point(int32_t side, int32_t x, int32_t y);
int32_t count_team_men_listed(const TeamRecord* team, int32_t n);
void cycle_counter4();
// The lead set 0..3 the four-step counter selects.
int32_t lead_set();
// Ground-edge corrections by |v| / 256 (95 entries); none are known, so all 0.
extern const int16_t ground_edge_correction[95];
