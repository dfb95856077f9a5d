// STAND-IN: match core services the movement and the actions call that are
// not built yet (a ball release from the hands).
// Same names and arguments as the real ones; delete on merge.
#pragma once

#include "match/match_records.h"

#include <cstdint>

void drop_ball_from_hands(PlayerSlot* man, int32_t a, int32_t dx, int32_t dy, int32_t b, int32_t speed, int32_t c,
                          int32_t d);
