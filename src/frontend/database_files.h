// The league's change files and the built-in names: "DELTADB.DAT" records
// which listed players of each club have had their names edited,
// "NAMESDB.DAT" those edited names and which two clubs the training edits
// belong to, and "SLIDEDB.DAT" the training editor's attribute edits, all in
// the data directory (the user's, never the read-only data). Name edits are
// made in the league in memory and can be undone from the built-in names;
// the files bring the edits back at the next start.
#pragma once

#include "league/league_data.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr const char* DELTA_DB_FILE = "DELTADB.DAT";
constexpr const char* SLIDE_DB_FILE = "SLIDEDB.DAT";
constexpr const char* NAME_DB_FILE = "NAMESDB.DAT";
constexpr uint32_t DELTA_DB_BYTES = 32;
constexpr uint32_t SLIDE_RECORD_VALUES = 13;
constexpr uint32_t SLIDE_RECORD_BYTES = 4 * SLIDE_RECORD_VALUES * (1 + SQUAD_POSITIONS); // 1,300
constexpr uint32_t SLIDE_DB_BYTES = 2 * SLIDE_RECORD_BYTES;
// "NAMESDB.DAT": a 10-byte head (u16 version 1, u16 name count, i8 home and
// away club of "SLIDEDB.DAT" or -1, u32 check of that file's bytes), then a
// 34-byte entry a name (u8 club, u8 listed player 0..15, 32-byte name).
constexpr uint16_t NAME_DB_VERSION = 1;
constexpr uint32_t NAME_DB_HEAD_BYTES = 10;
constexpr uint32_t NAME_DB_ENTRY_BYTES = 2 + PLAYER_NAME_SIZE;
constexpr int32_t MASKED_PLAYERS = 16; // the listed players with a bit
constexpr uint32_t NAME_DB_MOST_BYTES = NAME_DB_HEAD_BYTES + NAME_DB_ENTRY_BYTES * LEAGUE_TEAMS * MASKED_PLAYERS;

// Bit k of a club's mask: its listed player k's name differs from the
// built-in one. Players 16..23 have no bit.
extern uint16_t team_name_change_buffer[LEAGUE_TEAMS];
// The built-in names of each club's first 24 players, and whether they have
// been taken (restoring does nothing until they are).
extern char original_names[LEAGUE_TEAMS][SQUAD_POSITIONS][PLAYER_NAME_SIZE];
extern uint8_t original_names_loaded;

// The two clubs (home record first) whose edits "SLIDEDB.DAT" was last
// written for, -1 while it belongs to none, and the check of its bytes: the
// records carry no club of their own, so they are put back only into these.
struct SlideDbOwner {
    int8_t teams[2];
    uint32_t check;
};
extern SlideDbOwner slide_db_owner;
// The check of a training edits' image (32-bit FNV-1a).
uint32_t slide_db_check(const uint8_t* data, size_t size);

// One edited name of "NAMESDB.DAT".
struct EditedName {
    int32_t team, player;
    char name[PLAYER_NAME_SIZE];
};
// The names file's image: the name of every listed player whose mask bit
// is set and whose name differs from the built-in one, and the owner.
std::vector<uint8_t> name_db_image();
// A names file checked whole: false (and nothing written) unless the version,
// the count and the size agree, both clubs are -1 or both 0..15, and every
// entry names a club 0..15 and a player 0..15 once, its name printable and
// ended by a NUL within its 32 bytes.
bool parse_name_db(const uint8_t* data, size_t size, std::vector<EditedName>& names, SlideDbOwner& owner);
// The masks and the edited names, each file whole or not at all; false when a
// write failed.
bool save_name_edits();
// The front end's start: the masks, then the edited names back into the
// players whose bit is set, then the training edits into the two clubs that
// own them. A missing, short or otherwise bad file changes nothing.
void load_database_files();

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
// Puts one player's or a whole club's built-in names back and clears their
// bits in the masks (save_name_edits then takes the restore to disk).
void restore_player_name(int32_t team, int32_t index);
void restore_team_player_names(int32_t team);

int32_t approach_value(int32_t value, int32_t target, int32_t step);

// The default match set-up: team 0 against team 9 and no competition.
void reset_match_setup();

// Tests.
void reset_database_files();
