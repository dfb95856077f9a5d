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
