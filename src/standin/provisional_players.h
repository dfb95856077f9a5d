// Provisional: the movement layer's services the match data needs, until the
// players subsystem defines them.
#pragma once

#include "match/match_records.h"

// Sets wanted_facing to the angle of the man's move vector.
void set_heading_to_target(PlayerSlot* man);
// Recomputes his speed and turn limits.
void update_motion_limits(PlayerSlot* man);
