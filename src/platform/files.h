// Loading whole files. Names are the game's own ("front_en\lang\english.dat"),
// looked up below the data directory.
#pragma once

#include <cstdint>

// The whole file in a tracked buffer (free it with free_mem); the size goes to
// size_out when given. A missing file is fatal error 196, a short read 202.
uint8_t* load_file(const char* name, uint32_t* size_out = nullptr);
uint32_t get_filelength(const char* name);
int file_exists(const char* name);
