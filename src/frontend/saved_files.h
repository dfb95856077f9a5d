// Saved games, saved formations and the default names of saved files. Files are written
// whole, little-endian, beside the old one and renamed over it; a file read
// back is checked whole before anything in memory changes.
#pragma once

#include "league/team_lineups.h"

#include <cstdint>
#include <string>

constexpr uint32_t FORMATION_FILE_SIZE = LINEUP_WORDS * 4; // 1,164
constexpr uint32_t GAME_FILE_SIZE = 556;

// Set by the file browser when a game has been loaded and reported.
extern uint8_t game_loaded;

// Where a saved file's name lies on disk: a game-style name (drive letter,
// backslashes) below the user directory, an absolute path as it is.
std::string saved_file_on_disk(const char* path);

// 1 when the file exists (a game-style name is matched without regard to
// case), else 0.
int32_t file_exists_flag(const char* path);

// The first n in 0..998 for which "<data path>\<stem><nnn>.<stem>" does not
// exist, or 0 when all of them do.
int32_t next_free_numbered_name(const char* stem);

// The 1,164 bytes of a line-up, and back. decode refuses (false, record
// untouched) a buffer of any other size, another version, or a line-up the
// game cannot use.
void encode_formation(const TeamLineup& record, uint8_t out[FORMATION_FILE_SIZE]);
bool decode_formation(const uint8_t* bytes, uint32_t size, TeamLineup& record);

// 1 when written whole, else 0 (the previous file kept).
int32_t save_formation_file(const char* path, const TeamLineup& record);
// 1 when the file was read and put over the record, else 0 with the record
// as it was.
int32_t load_formation_file(const char* path, TeamLineup& record);

// A competition in progress as the 556 bytes of a ".game": the match
// options, the in-game options of both teams, the Final 8 places, the
// controllers' teams and the competition record.
void encode_game(uint8_t out[GAME_FILE_SIZE]);
// Puts a ".game" back, checked whole first: false (nothing changed) for any
// other size, another version, or a team, controller, round or option out
// of its range.
bool decode_game(const uint8_t* bytes, uint32_t size);

// 1 when written whole, else 0 (the previous file kept).
int32_t save_game_file(const char* path);
// 1 when the file was read and put back, else 0 with nothing changed. Either
// way the first page runs next and game_loaded is cleared.
int32_t load_game_file(const char* path);
