// Set plays of the stoppages the umpire restarts: the centre bounce, the
// throw-in, the ball-up and the plain hold. Each handler runs once a tick
// from the set-play director in its match states and only posts proposals.
#pragma once

#include "match/formation.h"
#include "match/match_records.h"

#include <cstdint>

// The four key men's spots by set-up choice, written for side 2.
extern const FormationSpots setup_tables[4];

void place_men_for_centre_bounce(); // 4, 10
void place_men_for_bounce_setup();  // 11
void place_men_for_bounce_options(); // 52
void contest_centre_bounce();       // 13
void place_men_for_throw_in();      // 37, 38
void hold_throw_in_setup();         // 39
void contest_throw_in();            // 54
void place_men_for_ball_up();       // 47
void place_men_for_ball_up_setup(); // 57
void contest_ball_up();             // 53
void hold_all_men();                // 25, 40, 46

void propose_ruck_spot(PlayerSlot* man, int32_t x, int32_t y);
void propose_ring_spot(PlayerSlot* man, int32_t radius, int32_t base_angle, int32_t offset, int32_t flag);
void choose_setup_by_distance(TeamRecord* team);
void fill_stoppage_men(TeamRecord* team);
void assign_option_men(TeamRecord* team, PlayerSlot** out);
void place_key_man(PlayerSlot* man);
void place_listed_man(PlayerSlot* man, int32_t k);
void place_ball_at_centre();
// The man's key-man index 0..3, or -1.
int32_t key_man_index(const PlayerSlot* man);
// Action 52 on the man he is matched with at his marking offset; false
// when he has no such man.
bool follow_at_marking_offset(PlayerSlot* man, PlayerSlot* other, uint16_t priority);
// The team's index 0 or 1.
inline int team_index_of(const TeamRecord* team) { return team == &team_records[1] ? 1 : 0; }
