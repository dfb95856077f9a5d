// Stand-in; see replay_buffer_standin.h.
#include "standin/replay_buffer_standin.h"

namespace {
uint32_t g_bytes = 0;
}

void new_replay_node(uint32_t bytes) { g_bytes = bytes; }
uint32_t standin_replay_bytes() { return g_bytes; }
