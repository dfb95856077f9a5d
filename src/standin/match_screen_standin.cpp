// STAND-IN: see match_screen_standin.h.
#include "standin/match_screen_standin.h"

#include "match/match_records.h"

uint8_t standin_next_exit_code = 0;
uint16_t standin_next_flow_flags = CLOCK_FROZEN | LEAVE_OVER | QUARTER_1;
int32_t standin_match_calls = 0;
int32_t standin_last_mode = -1;
void (*standin_match_hook)() = nullptr;

void play_match(int32_t mode)
{
    ++standin_match_calls;
    standin_last_mode = mode;
    if (standin_match_hook) standin_match_hook();
    match_globals.init_mode = standin_next_exit_code;
    match_globals.flow_flags = standin_next_flow_flags;
}
