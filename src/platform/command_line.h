// Start-up switches from the command line.
#pragma once

#include <cstdint>

// display_options
extern uint8_t exclusive_mode;     // 1: full screen; 0: a window on the desktop (NE)
extern uint8_t page_flipping;      // 1: the software display flips; 0: it copies (NF)
extern uint32_t movies_on;         // 1: intro movie at start, "fmv\sc.exe" at exit (NM clears)
extern uint32_t movie_in_software; // handed to the movie player (MIS sets)

// Options follow "/" (or "-" once no "/" is left); a word runs to the next
// blank. 1 when the whole line was read, 0 when an unknown word stopped it.
int32_t parse_command_line(const char* line);
