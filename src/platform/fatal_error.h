// Fatal errors: every failure the game cannot recover from ends here.
#pragma once

#include <cstdint>
#include <string>

// Fatal error codes: the numbers the error table and the box show.
enum FatalCode : int32_t {
    FATAL_SILENT = 0, // ends the process without a box
    FATAL_MATHS = 1, // no row of its own: "unspecified error"
    FATAL_NO_CONVENTIONAL_MEMORY = 148,
    FATAL_DEALLOCATING = 151,
    FATAL_NO_MEMORY = 195,
    FATAL_FILE_NOT_FOUND = 196,
    FATAL_CD_READ = 198,
    FATAL_BAD_ANIM_FILE = 199,
    FATAL_FREE_MEMORY = 200,
    FATAL_ZERO_ALLOCATION = 201,
    FATAL_CANT_LOAD_FILE = 202,
    FATAL_CANT_SAVE_FILE = 203,
    FATAL_CANT_OPEN_FILE = 204,
    FATAL_FONT_MISSING = 206,
    FATAL_TOO_MANY_MALLOCS = 207,
    FATAL_TOO_MANY_ICONS = 208,
    FATAL_TOO_MANY_SPRITES = 209,
    FATAL_TOO_MANY_TEXT_SPRITES = 210,
    FATAL_TOO_MANY_TEXT_BLOCKS = 211,
    FATAL_DRAW_OBJECT = 213,
    FATAL_SOUND_OBJECT = 214,
    FATAL_CANT_LOAD_WAV = 215,
    FATAL_SOUND_BUFFER = 216,
    FATAL_SAMPLE_SLOTS_FULL = 217,
    FATAL_NO_SAMPLE_IN_SLOT = 218,
    FATAL_ICON_MISSING = 219,
    FATAL_CREATE_SURFACE = 220,
    FATAL_UNLOCK_SURFACE = 221,
    FATAL_LOCK_SURFACE = 222,
    FATAL_RELEASE_SURFACE = 223,
    FATAL_BLIT = 224,
    FATAL_FLIP = 225,
    FATAL_CREATE_PALETTE = 226,
    FATAL_SET_PALETTE = 227,
    FATAL_CD_AUDIO = 228,
    FATAL_LOCK_SOUND_BUFFER = 229,
    FATAL_UNLOCK_SOUND_BUFFER = 230,
    FATAL_SURFACE_SIZE = 231,
    FATAL_DISK_SPACE = 232,
    FATAL_RENDER = 235,
    FATAL_REALLOC = 236,
    FATAL_DIRECTX = 237,
    FATAL_UNLISTED = 99999, // no row of its own: "unspecified error"
};

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
