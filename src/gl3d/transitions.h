// Timed screen wipes of the hardware path: the picture's viewport squeezed
// to a strip or a box, or grown back from one, over a given time. The seven
// effects are the camera's transition table, numbered 0 to 6.
#pragma once

#include <cstdint>

constexpr int32_t HW_TRANSITION_COUNT = 7;

// Installs the seven effects as the camera's transition table.
void init_hw_transitions();
// The rectangle (x, y, width, height) of an effect at t in 0..1 on a base
// viewport, before the end rules.
void hw_transition_rectangle(int32_t effect, float t, const int32_t base[4], int32_t out[4]);
int32_t hw_transition_reverse();
// Stops whatever runs and puts the effects back to idle (tests).
void reset_hw_transitions();
