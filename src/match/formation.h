// Home spots: where each man of a team stands at a restart and where the set
// plays send him when nothing more particular is asked of him.
#pragma once

#include "match/match_records.h"

#include <cstdint>

struct FormationSpot {
    int32_t x, y;
};

// One spot per slot number: 0-17 on the ground, 18-23 the bench.
struct FormationSpots {
    FormationSpot spot[TEAM_SLOTS];
};

// The fixed tables of the first and the second team record.
extern const FormationSpots default_formation_spots[2];

// Puts the man straight onto (x, y), standing, facing the ball unless he
// holds it.
void place_man_at_spot(PlayerSlot* man, int32_t x, int32_t y);
void formation_stub(PlayerSlot* man);

// The man on the mark stands it.
constexpr uint16_t ACT_STAND_THE_MARK = 81;

// The entry of `index` as the man reads it: as stored from his own team's
// current table, else mirrored (x and y negated) for a man of side 1.
FormationSpot spot_for_man(const PlayerSlot* man, const FormationSpots* table, int index);

// His spot, pulled towards the ball; when within reach of (x, y) he is sent
// to the edge of that circle on his own bearing from it instead.
void run_to_spot_clear_of_mark(PlayerSlot* man, const FormationSpots* table, int32_t x, int32_t y, int32_t reach);
void place_kick_out_teammate(PlayerSlot* man);
void place_mark_man_for_kick_out(PlayerSlot* man);
void walk_kicker_to_goal_square(PlayerSlot* kicker);
