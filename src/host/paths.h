// Where the game's files live on this machine.
//
// The game names its files Windows-style ("front_en\lang\english.dat"). The
// resolver maps such a name below a root: "\" becomes "/", a drive prefix is
// dropped and each component is matched without regard to case.
//
// Read-only data lives in the data directory (beside the executable, or what
// KOB99_DATA_DIR names). Everything the program writes goes to the user
// directory (KOB99_USER_DIR, else $XDG_DATA_HOME/kob99, else
// ~/.local/share/kob99), created on first use.
#pragma once

#include <string>

const std::string& host_data_dir();
const std::string& host_user_dir();
const std::string& host_exe_dir();

// Resolves a game-style name below root. Components that exist are matched
// case-insensitively; the rest keep the spelling given. An absolute POSIX
// path ("/tmp/x") is returned as it is.
std::string host_resolve_path(const std::string& root, const char* game_name);

// Shorthands: a game name below the data directory or the user directory.
std::string host_data_file(const char* game_name);
std::string host_user_file(const char* game_name);

