// STAND-IN (until the HUD-and-replays issue lands): the replay buffer's
// set-up, which the replay buffer screen calls after the size is saved, and
// its creation for a first-run front end. Same names as the real ones;
// delete when they land.
#pragma once

#include <cstdint>

void set_up_replay_buffer(uint32_t bytes);
// The size of the last set-up (tests).
extern uint32_t standin_replay_buffer_bytes;

#include "display/replay.h"
