// Action proposals: every tick each man's list is emptied, the set-play
// director and the behaviours post "do action A on man T with argument G at
// (x, y), priority P", and each free man takes the best his team's quotas
// still allow. Also the small posting operations the set plays share.
#pragma once

#include "match/formation.h"
#include "match/match_records.h"

#include <cstdint>

enum : uint16_t {
    ACT_STAND = 0,
    ACT_CHASE_MAN = 2,
    ACT_TACKLE = 3,
    ACT_GO_FOR_BALL = 4,
    ACT_GO_TO_LANDING = 5,
    ACT_RUN_TO_SPOT = 6,
    ACT_RUN_TO_POINT = 10,
    ACT_RUN_INTO_SPACE = 11,
    ACT_SHOOT = 17,
    ACT_MOVE_TO_POINT = 20,
    ACT_WALK_OFF = 53,
    ACT_MARK_UP = 59,
};

void post_man_message(PlayerSlot* man, uint16_t action, PlayerSlot* target, uint16_t argument, int16_t x, int16_t y,
                      uint16_t priority);
void clear_all_proposals();
void take_best_proposals();
void men_think_prep();
void team_tick_upkeep();
void count_down_man_timers();
void propose_open_play_default(PlayerSlot* man);

// Skill k of a man's player record (the i16 at byte 2k); 0 without one.
int32_t person_skill(const PlayerSlot* man, int k);

void propose_stand(PlayerSlot* man);
int32_t propose_chase_man(PlayerSlot* man, PlayerSlot* other);
void propose_tackle_carrier(PlayerSlot* man);
void propose_go_for_ball(PlayerSlot* man, int32_t* first_side1, int32_t* first_side2);
// Spot tables are 24 (x, y) pairs of 32-bit values by man number; the run_to
// family reads the low 16 bits of each.
void run_to_role_spot(PlayerSlot* man, const FormationSpot* table);
void run_to_numbered_spot(PlayerSlot* man, const FormationSpot* table);
void run_to_formation_spot(PlayerSlot* man, const FormationSpot* table);
void run_to_table_spot(PlayerSlot* man, const FormationSpot* table);
void run_to_spot_near_mark(PlayerSlot* man, const FormationSpots* table, int k);
void run_to_spot_avoiding(PlayerSlot* man, const FormationSpots* table);
void propose_run_into_space(PlayerSlot* man, uint8_t dir, const int8_t* pattern1, const int8_t* pattern2);
void carrier_consider_shot(PlayerSlot* man);
void propose_move_to(PlayerSlot* man, int16_t x, int16_t y);
void propose_turn_back(PlayerSlot* man);
void propose_guard_spot(PlayerSlot* man, const int16_t* table); // (x, y) pairs of 16-bit values
void propose_bump_man(PlayerSlot* man, PlayerSlot* other);
void propose_lead_man(PlayerSlot* man, PlayerSlot* other);

void place_men_at_spots(const FormationSpots* table);
int32_t pressure_ahead(PlayerSlot* man);
struct GridPoint {
    int16_t x, y;
    uint16_t cell_x, cell_y;
};
void set_grid_cell(GridPoint* point);
int32_t man_ahead_of(const PlayerSlot* a, const PlayerSlot* b);
int32_t count_opponents_near(const PlayerSlot* man, int16_t x, int16_t y, int32_t r);
