// Provisional: least behaviour until the players subsystem defines these.
#include "standin/provisional_players.h"

#include "match/game_maths.h"

void set_heading_to_target(PlayerSlot* man)
{
    man->wanted_facing = static_cast<int16_t>(vector_angle(man->move_dx, man->move_dy));
}

void update_motion_limits(PlayerSlot*) {}
