// Whole-file operations by name that return when done, each one atomic job on
// the file device that serves the name. The quiet forms never report; the
// others report through the library's abort routine while its error switch
// is on. Every failure returns 0.
#pragma once

#include <cstdint>

// The first read of a big file's header.
constexpr uint32_t BIGFILE_HEADER_READ = 2704;

int32_t filesize(const char* name);
int32_t filesizequiet(const char* name);
// A new memory block (tagged with the name) holding the whole file.
void* loadfileadr(const char* name, uint32_t memflags);
void* loadfileadrquiet(const char* name, uint32_t memflags);
// Loads into an area of capacity bytes; a file that does not fit is not loaded.
void* loadfileatadr(const char* name, void* address, uint32_t capacity);
void* loadfileatadrquiet(const char* name, void* address, uint32_t capacity);
// Writes into the user directory; 1 when every byte was written.
int savefileadr(const char* name, const void* address, uint32_t length);
// A new block holding at least the big file's whole header (BIGFILE_HEADER_READ
// bytes, or the header's length when longer; bytes past the file are 0).
void* loadbigfileheader(const char* name, uint32_t memflags);
// Loads count files, each address into out (0 for a failure); 1 when all loaded.
int scatterloadfileadr(int32_t count, const char* const* names, void** out, uint32_t memflags);
int scatterloadfileadrquiet(int32_t count, const char* const* names, void** out, uint32_t memflags);
int fileexists(const char* name);

// Closes the current big file and opens the named one (".viv" added when the
// name has no "." at all) as an archive whose entries open by name. Returns
// the current big file's name, or 0 when none is open.
const char* setbigfile(const char* name);
const char* currentbigfile();
