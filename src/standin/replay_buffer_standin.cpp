// STAND-IN: see replay_buffer_standin.h.
#include "standin/replay_buffer_standin.h"

uint32_t standin_replay_buffer_bytes;

void set_up_replay_buffer(uint32_t bytes) { standin_replay_buffer_bytes = bytes; }


