// Commentary: recorded phrases chosen by event group and priority, joined
// with spoken names, silences filled with remarks on the play.
#pragma once

#include <cstdint>

// The phrase clock runs on by the ticks given (the game tick and replay
// playback both move it).
void advance_phrase_clock(int32_t ticks);
