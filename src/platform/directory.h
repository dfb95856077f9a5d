// Drive, directory and file helpers. Paths are the game's own names
// ("saves\game1.sav"), resolved below the user directory, where everything
// the game writes lives. This machine has one root, which the game sees as
// the fixed disk C.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The file layer's result codes.
constexpr int32_t FILE_OK = 100;
constexpr int32_t FILE_REMOVE_DIRECTORY_FAILED = -22;
constexpr int32_t FILE_DISK_UNUSABLE = -28;

// Drive types.
enum : uint32_t {
    DRIVE_UNKNOWN = 0,
    DRIVE_NO_ROOT_DIR = 1,
    DRIVE_REMOVABLE = 2,
    DRIVE_FIXED = 3,
    DRIVE_REMOTE = 4,
    DRIVE_CDROM = 5,
    DRIVE_RAMDISK = 6
};

// Where a game path lies: below the user directory, which stands for the
// drive's root ("C:\saves\a.sav" and "\saves\a.sav" are both saves/a.sav).
std::string user_path(const char* name);

bool change_directory(const char* path);
bool get_current_directory(char* buffer, uint32_t size);
// Free bytes on the disk holding the user directory, or -28.
int64_t free_disk_space(const char* path);
bool create_directory(const char* path);
int32_t remove_directory(const char* path);
bool is_network_path(const char* path);
bool path_exists(const char* pattern);
// Creates every level of the path (all but its last part with strip_last);
// always 100: a level that cannot be made is passed over.
int32_t make_directory_path(const char* path, bool strip_last);
// 0, or 204 (no source, or an empty one), 203 (cannot create), 232 (short
// write). The source is the user directory's file when there is one, else
// the data directory's.
int32_t copy_file(const char* destination, const char* source);
// -28 when the file's directory is missing or read-only, else save_file's result.
int32_t save_file_checked(const char* path, const void* data, uint32_t size);
// Deletes the files the pattern finds (not directories, not names starting
// with "."; every file here counts as having the archive attribute); the
// number deleted. The second form works on its own copy of the pattern.
int32_t delete_matching_files(const char* pattern);
int32_t delete_matching_files_2(const char* pattern);
int32_t delete_directory_tree(const char* directory, bool delete_files);

// Text helpers, each given its output's size. On overflow they write an empty
// text (append_path leaves the path as it was) and report failure.
bool replace_extension(const char* name, const char* extension, char* out, uint32_t out_size);
bool numbered_file_name(char* out, uint32_t out_size, const char* name, int32_t number);
bool build_file_path(char* out, uint32_t out_size, const char* directory, const char* name);
// The new length, or -1 when the name and the two terminators do not fit.
int32_t append_path(char* path, uint32_t path_size, const char* name);
bool double_character(char* out, uint32_t out_size, const char* text, char character);

// Directory searches: "*" and "?" in the last component, without regard to case.
struct find_record {
    std::vector<std::string> names;
    std::vector<bool> is_directory;
    std::vector<uint64_t> sizes;
    size_t next = 0;
    std::string file_name; // the entry found
    bool directory = false;
    uint64_t size = 0;
};
bool find_first_file(const char* pattern, int32_t unused, find_record& record); // true when nothing is found
bool find_next_file(find_record& record);                                       // true when no more entries
void find_close(find_record& record);

uint32_t get_drive_type(char letter);
bool is_cd_drive(char letter);
char find_drive_of_type(uint32_t type);
int32_t count_drives();
int32_t count_non_cd_drives();
constexpr uint32_t DRIVE_ENTRY_SIZE = 260;
int32_t list_drives(char (*entries)[DRIVE_ENTRY_SIZE], int32_t maximum);
int32_t list_hard_drives(char (*entries)[DRIVE_ENTRY_SIZE], int32_t maximum);

// File attribute bits. This system keeps only read-only (as the lack of
// write permission); the archive bit is never stored, and every file counts
// as having it.
constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;

// Chunked copy: {chunk size, offset, attribute bits to set, bits to clear}.
// The source is the user directory's file when there is one, else the data
// directory's; the destination takes the source's attributes with the set
// bits added and the clear bits taken away once its last chunk is written.
struct copy_request {
    uint32_t chunk_size, offset, set_bits, clear_bits;
};
void init_four_word_record(copy_request& request, uint32_t chunk_size, uint32_t set_bits,
                           uint32_t clear_bits);
// Copies the next chunk; true when the copy is complete.
bool copy_file_chunk(copy_request& request, const char* source, const char* destination, uint32_t* count);
