// Install tooling kept with the game: the uninstall entry, desktop shortcut,
// program group, whole-file loading into global memory and the install set
// records. The game itself never calls these; all they write goes to the
// user directory.
#pragma once

#include <cstdint>
#include <vector>

int32_t write_uninstall_entry(const char* key_name, const char* uninstall_command, const char* display_name);
// 0 on success.
int32_t create_shell_link(const char* target_path, const char* link_path, const char* working_dir);
int32_t create_desktop_shortcut(const char* link_name, const char* program_file, const char* directory);
int32_t delete_desktop_shortcut(const char* link_name);
// -1 when the set-up file cannot be written, else the converter's start result.
int32_t create_program_group(const char* group_file, const char* group_name, const char* item_name);

// Whole files (under the data directory) in untracked memory.
int32_t load_file_global(uint8_t** slot, const char* name);
void free_file_global(uint8_t** slot);
uint8_t* load_file_global_simple(const char* name);

// File handles in the user directory. Dispositions: 1 create new, 2 create
// always, 3 open existing, 4 open always, 5 truncate existing. -1 on failure.
int32_t open_file_read_write(const char* name, uint32_t disposition);
uint32_t write_file_bytes(int32_t handle, uint32_t count, const void* buffer);
void close_file_handle(int32_t handle);
bool file_can_be_opened(const char* name);
uint32_t file_size_or_zero(const char* name);

// The install set record: 256 unused bytes, member count, total size, a
// zero word, then per member a 256-byte path and its u32 size.
constexpr uint32_t INSTALL_SET_HEADER = 268;
constexpr uint32_t INSTALL_SET_MEMBER = 260;
uint32_t total_install_set_size(const std::vector<uint8_t>& set, int32_t* flag);
bool install_archive_present();
// Reads the list (one data file path a line) and writes "<list>.install".
int32_t write_install_set(const char* list_file_name);
int32_t launch_post_install_quit();
void check_memory_for_commentary();
