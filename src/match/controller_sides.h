// Putting the controllers on a side and onto the men of a team.
#pragma once

#include <cstdint>

constexpr int32_t SIDE_HOME = -1;
constexpr int32_t SIDE_NONE = 0;
constexpr int32_t SIDE_AWAY = 1;

// Bits of `which`.
constexpr int32_t HOME_TEAM_BIT = 1;
constexpr int32_t AWAY_TEAM_BIT = 2;

// Whether each controller record's device is present, refreshed by
// reset_controller_sides.
extern int32_t controller_presence[30];

void reset_controller_sides();
int32_t side_has_no_controller(int32_t side);
void detach_team_controllers(int32_t which);
void attach_side_controllers(int32_t which);
