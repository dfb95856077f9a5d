// STAND-IN (until the HUD, replays and sound issue lands): the replay buffer
// the first-run defaults create. Only the size asked for is kept.
#pragma once

#include <cstdint>

void new_replay_node(uint32_t bytes);
// Tests: the bytes of the last call, 0 before any.
uint32_t standin_replay_bytes();
