// Loading whole files, the data path and byte streams. Names are the game's
// own ("front_en\lang\english.dat"), looked up below the data directory;
// everything written goes to the user directory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The whole file in a tracked buffer (free it with free_mem); the size goes to
// size_out when given. A missing file is fatal error 196; a file that cannot
// be read, an empty one or a short read 202. The error names the path on disk
// and the system's reason.
uint8_t* load_file(const char* name, uint32_t* size_out = nullptr);
uint32_t get_filelength(const char* name);
// Reads the whole file into the caller's buffer of capacity bytes. A missing
// file is fatal 196; a file larger than the buffer, or a short read, is 202.
void load_file_into(const char* name, void* buffer, uint32_t capacity);
int file_exists(const char* name);
// The path on disk a game name is read from, as errors show it: a name
// data_path gave the CD's prefix shows the data directory's copy.
std::string data_file_on_disk(const char* name);
// Ends the game over a data file that is there but does not hold what its
// reader needs: fatal 202 with the caller, the game's name, the path on disk
// and the reason, as a missing file's message gives them.
[[noreturn]] void refuse_data_file(const char* caller, const char* name, const std::string& reason);

// Writes size bytes to the named file in the user directory: 1 when every
// byte was written, else 0. The new file is written beside the old one and
// renamed over it, so a failed write leaves the previous file whole.
int save_file(const char* name, const void* buffer, uint32_t size);

// The name itself when the file exists, else the CD's copy of it
// ("?:\KOB99\" + name) in one static buffer that every call overwrites. A name
// too long for the buffer is returned unchanged.
const char* data_path(const char* name);
// Always the CD's copy (same buffer and limit).
const char* cd_data_path(const char* name);
// The CD-audio open tells where the CD is.
void set_data_path_drive(char letter);

constexpr uint32_t DATA_PATH_SIZE = 256;

// Whole sectors for the CD and install tooling: a data file opened without
// buffering (null when it cannot be), read count sectors of 2,048 bytes at a
// time. cd_load returns the sectors read, a partial last one counting as one;
// a read error is fatal 198.
constexpr uint32_t CD_SECTOR_BYTES = 2048;
std::FILE* open_file_unbuffered(const char* name);
uint32_t cd_load(std::FILE* handle, void* buffer, uint32_t sectors);
void close_file_handle(std::FILE* handle);

// Byte streams over the C library's buffered files; results are those of the
// library calls (EOF for a byte past the end).
int stream_read_u8(std::FILE* stream);
int32_t stream_read_u16(std::FILE* stream); // low byte first; EOF when short
uint32_t stream_read_bytes(std::FILE* stream, void* buffer, uint32_t count);
uint8_t* stream_read_new(std::FILE* stream, uint32_t count); // tracked buffer; null when short
int stream_write_u8(std::FILE* stream, uint32_t value);
int stream_write_u16(std::FILE* stream, uint32_t value); // low byte first
uint32_t stream_write_bytes(std::FILE* stream, const void* buffer, uint32_t count);
