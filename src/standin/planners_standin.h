// STAND-IN: the handball contact planner, not built yet. Same name and
// arguments as the real one; delete on merge.
#pragma once

#include "match/match_records.h"

#include <cstdint>

// The ball-path time from the release of a handball candidate to the
// receiver (the stand-in answers a fixed 10 ticks).
int32_t plan_handball_contact(PlayerSlot* man, PlayerSlot* receiver, int32_t animation, int32_t hand, int32_t release,
                              int32_t zero);
