// The millisecond clock and the C-runtime random numbers the game was built
// against. Both can be replaced in a test.
#pragma once

#include <cstdint>

// Milliseconds since the program started; wraps at 2^32 like the system's.
uint32_t host_time_ms();
void host_sleep_ms(uint32_t ms);

// The C runtime's generator: state = state * 214013 + 2531011, returning bits
// 16 to 30, so 0..32767.
constexpr int HOST_RAND_MAX = 32767;
int host_rand();
