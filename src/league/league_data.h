// The league: sixteen clubs of 42 player records, built into the program,
// and the pointer to the league in use. A player record is 136 bytes of a
// fixed layout and is read and written through the accessors below at the
// byte offsets named here.
#pragma once

#include <cstdint>

constexpr int LEAGUE_TEAMS = 16;
constexpr int LEAGUE_PLAYERS = 42;
constexpr int SQUAD_POSITIONS = 24; // the men of a match team; every mean covers them
constexpr int PLAYER_RECORD_SIZE = 136;
constexpr int PLAYER_NAME_SIZE = 32;
constexpr int PLAYER_LOOK_SIZE = 20;

// Byte offsets in a player record.
enum : int {
    PLAYER_NAME = 0,
    PLAYER_SPEED = 32,    // rated 1, i16
    PLAYER_MARKING = 34,  // i16
    PLAYER_HANDBALL = 36, // rated 3, i16
    PLAYER_TACKLING = 38, // rated 4, i16
    PLAYER_KICKING = 40,  // rated 2, i16; also the kick range
    PLAYER_STRENGTH = 42, // rated 5, i16
    PLAYER_AGILITY = 44,  // i16
    PLAYER_STAMINA = 46,  // i16
    PLAYER_ACCURACY = 48, // i16
    PLAYER_RECOVERY = 50, // i16
    PLAYER_HEIGHT = 52,   // rated 6, i32; also the ruck value
    PLAYER_AGGRESSION = 56, // i16
    PLAYER_SKILL = 58,    // i16; the match reads its low byte
    PLAYER_WEIGHT = 60,   // i16
    PLAYER_SPARE = 62,    // i16, 0
    PLAYER_REACH = 64,    // u32
    PLAYER_HAIR_CLASS = 68, // u8 0..5
    PLAYER_HAIR = 69,     // char[20]
    PLAYER_SKIN = 89,     // char[20]
    PLAYER_FACIAL_HAIR = 109, // char[20]
    PLAYER_GUERNSEY = 129,    // u8 0..56
};

struct league_player {
    uint8_t bytes[PLAYER_RECORD_SIZE];
};
static_assert(sizeof(league_player) == PLAYER_RECORD_SIZE);

struct league_team {
    uint16_t number; // 0..15, also the club's text number
    uint16_t strength;
    uint16_t word_a;
    uint16_t word_b;
    league_player* players[LEAGUE_PLAYERS]; // 0..23 the squad, 24..41 the rest
};

struct league_data {
    uint32_t count; // 16
    uint32_t reserved;
    league_team* teams[LEAGUE_TEAMS];
};

extern league_data builtin_league;
extern league_data* current_league;
void select_builtin_league_data();
// The league as the program was built, every edit of the run undone, as at
// the start of a run (tests).
void reset_league_data();

// Squad size of each club (41 or 42); a 41-man club's last record is a
// placeholder no team sheet fields.
extern const uint8_t league_squad_size[LEAGUE_TEAMS];

// The team of the current league by number, nullptr out of range.
league_team* league_team_at(int32_t team_number);

// Field accessors, little-endian at the byte offsets above.
const char* player_name(const league_player* p);
void set_player_name(league_player* p, const char* name); // cut to 31 bytes
int16_t player_i16(const league_player* p, int offset);
void set_player_i16(league_player* p, int offset, int16_t value);
int32_t player_i32(const league_player* p, int offset);
void set_player_i32(league_player* p, int offset, int32_t value);
uint32_t player_u32(const league_player* p, int offset);
void set_player_u32(league_player* p, int offset, uint32_t value);
uint8_t player_u8(const league_player* p, int offset);
void set_player_u8(league_player* p, int offset, uint8_t value);
// One of the three 20-byte look names (hair, skin, facial hair).
const char* player_look(const league_player* p, int offset);
void set_player_look(league_player* p, int offset, const char* text);

// The twelve squad means, in the order the team panel stores them, and the
// overall rating. `to` < 0 means 24. Callers pass from < to.
enum TeamMean : int {
    MEAN_SPEED,
    MEAN_KICKING,
    MEAN_HANDBALL,
    MEAN_TACKLING,
    MEAN_STRENGTH,
    MEAN_HEIGHT,
    MEAN_MARKING,
    MEAN_STAMINA,
    MEAN_RECOVERY,
    MEAN_ACCURACY,
    MEAN_REACH,
    MEAN_AGGRESSION,
    TEAM_MEAN_COUNT
};
int32_t team_attribute_mean(const league_team* team, TeamMean which, int32_t from, int32_t to);
int32_t team_overall_rating(const league_team* team, int32_t from, int32_t to);
