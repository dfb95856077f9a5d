// The front end as a first run would find it: the replay buffer, the two
// default clubs, the per-team switches and the language. Nothing in the game
// calls it.
#pragma once

#include <cstdint>

constexpr uint32_t FIRST_RUN_REPLAY_BYTES = 3528000;

void reset_front_end_defaults();
