// STAND-IN: the match screen's frame loop, until the match screen lands.
// Same name and argument as the real one; delete on merge. It plays nothing:
// it leaves the exit code the next call should give (0 over, 2 break, 3
// quit) in the initialisation mode byte, with the flow flags a match of
// that ending leaves.
#pragma once

#include <cstdint>

void play_match(int32_t mode);
// The exit code and flow flags the next play_match leaves, and the modes
// it was called with.
extern uint8_t standin_next_exit_code;
extern uint16_t standin_next_flow_flags;
extern int32_t standin_match_calls;
extern int32_t standin_last_mode;
// Called inside play_match when set (tests look at the front end then).
extern void (*standin_match_hook)();
