// The team AI: every tick, for the men of the thirty ball-contest groups, a
// behaviour row chosen by the match state and the ball's situation, and up
// to four handlers of it picked by the group's button codes. Also the men's
// confidence and grudges, which decide who starts a fight.
#pragma once

#include "match/match_records.h"

#include <cstdint>

// One row number per match state 0..74.
extern const int16_t phase_table[75];

// A group's stick: compass index 0..8 and unit step, refreshed each tick.
struct GroupSteer {
    uint8_t index;
    int8_t dx, dy;
};
extern GroupSteer group_steer[30];
void reset_team_ai();

void team_ai_tick();
int32_t decide_man_behaviour(PlayerSlot* man, int32_t holder_in_group, int32_t kicker_in_group);
void dispatch_phase_handlers(PlayerSlot* man, int32_t row);
void pick_man_proposal(PlayerSlot* man);
void react_to_controlled_player(PlayerSlot* man);
// Compass index of a 4-bit direction code; the step in dx, dy.
int32_t group_direction(int32_t code, int32_t* dx, int32_t* dy);
int32_t is_kicking_now(const PlayerSlot* man);
int32_t is_jump_spoil_start(const PlayerSlot* man);
void leave_contest_group(PlayerSlot* man);
// The B-handler, A-handler and B-opening codes of a group.
int32_t group_b_code(const ContestGroup* group);
int32_t group_a_code(const ContestGroup* group);
int32_t group_opening_code(const ContestGroup* group);

// Confidence and grudges.
void init_man_confidence(PlayerSlot* man);
void adjust_confidence_by_event(int32_t kind, int32_t amount);
void adjust_confidence(PlayerSlot* man, int32_t kind);
void raise_grudge(PlayerSlot* man, PlayerSlot* other, int32_t kind);
int32_t scaled_temperament(const PlayerSlot* man, int32_t percent);
int32_t find_fight_pairs();
int32_t any_free_fighter();
int32_t start_fight_reaction(PlayerSlot* man, PlayerSlot* other);
int32_t is_free_for_fight(const PlayerSlot* man);
int32_t wants_to_fight(const PlayerSlot* man, const PlayerSlot* other);
void argue_not_guilty(PlayerSlot* man);
// Grudge of man against other (0..255).
uint8_t& grudge(const PlayerSlot* man, const PlayerSlot* other);
// The pair value of two men in the first man's team table, by man number.
void pair_value_by_number(PlayerSlot* man, PlayerSlot* other, uint8_t value);
// The other man stands within the given reach for a blow.
bool within_blow_reach(const PlayerSlot* man, const PlayerSlot* other, int32_t distance);
// A man told to rack off answers: squaring up (true) or an argued "huh?"
// (false), by his grudge against the man who told him.
bool rack_off_turns_to_fight(PlayerSlot* man, PlayerSlot* other);

void schedule_phase_change(int32_t state, int32_t transition, int32_t value);
void check_control_records();
