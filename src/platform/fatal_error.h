// Fatal errors: every failure the game cannot recover from ends here.
#pragma once

#include <cstdint>
#include <string>

// Looks the code up in the error table, shows the message in a box titled
// "Error" and ends the process with exit code 1. Code 0 ends it silently.
[[noreturn]] void fatal_error(int32_t code);
// The same with "Sub code: 0X..." and the caller's text (the failing
// routine's name) appended, and with FATAL_SYSTEM_TEXT the system's text for
// the last error.
[[noreturn]] void fatal_error_sub(int32_t code, uint32_t sub_code, const char* text, uint32_t flags);

constexpr uint32_t FATAL_SYSTEM_TEXT = 2;

struct ErrorRow {
    int32_t code;
    const char* message;
};
// Ends with the row of code -1.
extern const ErrorRow error_table[];

// The row's message for a code (the -1 row's for a code without one).
const char* error_message(int32_t code);
// The box text fatal_error_sub shows.
std::string fatal_error_text(int32_t code, uint32_t sub_code, const char* text, uint32_t flags);
