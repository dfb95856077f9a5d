// Commentary.
#include "display/commentary.h"

namespace {
int32_t phrase_clock;
}

void advance_phrase_clock(int32_t ticks) { phrase_clock += ticks; }
