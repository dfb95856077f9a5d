// The league's change files and the built-in names: "DELTADB.DAT" records
// which listed players of each club have had their names edited, and
// "SLIDEDB.DAT" the training editor's attribute edits, both in the data
// directory (the user's, never the read-only data). Name edits are made in
// the league in memory and can be undone from the built-in names.
#pragma once

#include "league/league_data.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr const char* DELTA_DB_FILE = "DELTADB.DAT";
constexpr const char* SLIDE_DB_FILE = "SLIDEDB.DAT";
constexpr uint32_t DELTA_DB_BYTES = 32;
constexpr uint32_t SLIDE_RECORD_VALUES = 13;
constexpr uint32_t SLIDE_RECORD_BYTES = 4 * SLIDE_RECORD_VALUES * (1 + SQUAD_POSITIONS); // 1,300
constexpr uint32_t SLIDE_DB_BYTES = 2 * SLIDE_RECORD_BYTES;

// Bit k of a club's mask: its listed player k's name differs from the
// built-in one. Players 16..23 have no bit.
extern uint16_t team_name_change_buffer[LEAGUE_TEAMS];
// The built-in names of each club's first 24 players, and whether they have
// been taken (restoring does nothing until they are).
extern char original_names[LEAGUE_TEAMS][SQUAD_POSITIONS][PLAYER_NAME_SIZE];
extern uint8_t original_names_loaded;

// Where a change file lives: the data directory of the settings when it is
// an absolute path of this machine, else the user directory.
std::string database_file_path(const char* name);

// The masks of a DELTADB image: false (masks untouched) unless it is exactly
// 32 bytes.
bool parse_delta_db(const uint8_t* data, size_t size, uint16_t masks[LEAGUE_TEAMS]);
// Reads the masks; a missing file is created as zeros and the masks kept; a
// file of any size but 32 bytes is left alone and so are the masks.
void load_delta_db();
// Writes the masks (whole or not at all); false when the write failed.
bool save_delta_db();
bool write_slide_db(const uint8_t* buffer); // SLIDE_DB_BYTES
// The training edits' file whole: false (and out empty) unless it can be
// read and is exactly SLIDE_DB_BYTES long.
bool read_slide_db(std::vector<uint8_t>& out);

// Takes the built-in names from the league as built.
void load_original_names();
bool player_name_altered(int32_t team, int32_t index);
bool team_has_altered_names(int32_t team, int32_t first, int32_t end);
// Puts one player's or a whole club's built-in names back.
void restore_player_name(int32_t team, int32_t index);
void restore_team_player_names(int32_t team);

int32_t approach_value(int32_t value, int32_t target, int32_t step);

// The default match set-up: team 0 against team 9 and no competition.
void reset_match_setup();

// Tests.
void reset_database_files();
