// The set-play director: once a tick, after every man's proposals have been
// emptied, the handler of the current match state posts what each man is to
// do in this phase of play.
#pragma once

#include "match/formation.h"
#include "match/match_records.h"

#include <cstdint>

// Where the men stand for the line-up, by man number, for the first team
// record (which lines up as side 2); the second stands at the same spots
// negated. The spots stay with the team when the coin toss changes ends.
extern const FormationSpot line_up_spots[TEAM_SLOTS];

void setup_play_situation();

// The handlers of this module, by the states that use them.
void direct_open_play();         // 1, 18
void return_to_positions();      // 2
void direct_fight();             // 3
void full_time_walk_off();       // 15
void gather_after_full_time();   // 16
void gather_at_break();          // 17
void line_up_for_quarter();      // 19
void coin_toss_line_up();        // 20
void captains_shake_hands();     // 22
void captains_after_toss();      // 23
void captains_to_positions();    // 24
void pair_off_for_fight();       // 44
void ball_up_after_whistle();    // 48
void open_play_entry();

void holder_seek_space(PlayerSlot* man);
void assign_chasers(PlayerSlot* carrier, PlayerSlot* nearest);
void rate_teammate_options(PlayerSlot* man);
void propose_kick_in_spot(PlayerSlot* man, int16_t x, int16_t y);

// Debug tools the match does not call.
void position_editor(const uint8_t* keys, uint8_t save_key, const uint8_t direction_keys[4]);
int32_t list_animations_by_prefix(int32_t first, const char* prefix);
void busy_holder_evasion(PlayerSlot* holder);
void hold_for_replay_start(PlayerSlot* facing_man);
void freeze_all_men(PlayerSlot* man);
void freeze_all_men_b(PlayerSlot* man);
