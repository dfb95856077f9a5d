// The file device: a table of open-file slots over the system's files, with
// chunked reads and writes that can be cancelled between chunks, whole-file
// mappings and memory-backed slots for entries inside mapped archives, and
// the path, drive and directory helpers.
//
// Files live on the one Linux root: a game-style relative name is resolved
// below the data directory when only read, below the user directory when
// written; an absolute path is taken as it is. There are no drive letters,
// so every path is on drive 0 unless its name carries a letter.
#pragma once

#include <cstdint>

constexpr uint32_t FILEDEV_READ = 0x1;
constexpr uint32_t FILEDEV_WRITE = 0x2;
constexpr uint32_t FILEDEV_SHAREREAD = 0x4;
constexpr uint32_t FILEDEV_SHAREWRITE = 0x8;
constexpr uint32_t FILEDEV_CREATE = 0x10;   // with TRUNCATE: create or replace; alone: create new
constexpr uint32_t FILEDEV_TRUNCATE = 0x20; // alone: truncate an existing file
constexpr uint32_t FILEDEV_UNBUFFERED = 0x100;
constexpr uint32_t FILEDEV_SEQUENTIAL = 0x200;
constexpr uint32_t FILEDEV_WRITETHROUGH = 0x400;
constexpr uint32_t FILEDEV_MAPPED = 0x800;

constexpr uint32_t FILEDEV_DEFAULTCHUNK = 16384;
constexpr uint32_t FILEDEV_PATHMAX = 260;

void filedevinit(uint32_t count);
void filedevshutdown();
int filedevready();
uint32_t filedevallocslot();
uint32_t filedevslotcount();

// Handles are the complement of the slot index (slot 0 is -1); 0 is none.
int filedevopen(const char* name, uint32_t flags, uint32_t chunk, int32_t* handle);
int filedevopenslot(const void* address, int32_t size, uint32_t drive, uint32_t chunk, int32_t* handle);
uint32_t filedevread(int32_t handle, void* buffer, uint32_t count);
uint32_t filedevwrite(int32_t handle, const void* buffer, uint32_t count);
int filedevseek(int32_t handle, int32_t position);
int32_t filedevtell(int32_t handle);
int filedevsetsize(int32_t handle, int32_t position);
int filedevclose(int32_t handle);
int filedevdelete(const char* name);
int filedevfreespace(int32_t handle, uint32_t* flags, uint32_t* chunk, int32_t* size, uint64_t* freebytes);
void* filedevview(int32_t handle);
int filedevlock(int32_t handle);
int filedevunlock(int32_t handle);
// Clears the busy byte of a running read, which then ends after its chunk.
int filedevcancel(int32_t handle);
uint32_t filedevdrive(int32_t handle);
// The chunk a transfer moves at most: whole sectors, 16384 when none is asked.
uint32_t filedevchunksize(uint32_t asked, uint32_t sectorsize);
// The system path a name opens (see above).
void filedevpath(const char* name, bool writing, char* out, uint32_t size);

int filedevvolume(const char* path, char* out, uint32_t size);
void filedevroot(const char* path, char* out, uint32_t size);
char filedevdriveletter(const char* path);
uint32_t filedevdriveindex(const char* path);
char filedevscandrives(const char* path, char* root, uint32_t size);
uint32_t filedevdrives();
uint64_t diskfreespace(const char* root);
int setdirectory(const char* path);
uint32_t getdirectory(char* buffer, uint32_t size);
