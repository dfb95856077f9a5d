// The C runtime's random numbers (0..32767), as the game was built with them.
#pragma once

#include <cstdint>

int32_t crt_rand();
