// Fatal errors: every failure the game cannot recover from ends here.
#pragma once

#include <cstdint>

// Looks the code up in the error table, shows the message in a box titled
// "Error" and ends the process with exit code 1. Code 0 ends it silently.
[[noreturn]] void fatal_error(int32_t code);
[[noreturn]] void fatal_error_sub(int32_t code, uint32_t sub_code, const char* text, uint32_t flags);
