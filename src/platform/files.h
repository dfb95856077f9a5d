// Loading whole files. Names are the game's own ("front_en\lang\english.dat"),
// looked up below the data directory.
#pragma once

#include <cstdint>

// The whole file in a tracked buffer (free it with free_mem); the size goes to
// size_out when given. A missing file is fatal error 196, a short read 202.
uint8_t* load_file(const char* name, uint32_t* size_out = nullptr);
uint32_t get_filelength(const char* name);
int file_exists(const char* name);

// Writes size bytes to the named file in the user directory: 1 when every
// byte was written, else 0. The new file is written beside the old one and
// renamed over it, so a failed write leaves the previous file whole.
int save_file(const char* name, const void* buffer, uint32_t size);
