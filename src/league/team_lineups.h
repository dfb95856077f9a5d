// Line-ups, formations and roles: what a team puts on the ground. One
// TeamLineup is exactly what a ".frm" file holds (291 words); the league
// teams each keep one, and the line-up screen edits ten formation slots.
#pragma once

#include "league/league_data.h"

#include <cstdint>

constexpr int LINEUP_ENTRIES = 44;  // 18 on the ground, 6 bench, 20 reserves
constexpr int LINEUP_ON_FIELD = 18;
constexpr int LINEUP_BENCH_FIRST = 18;
constexpr int LINEUP_RESERVE_FIRST = 24;
constexpr int LINEUP_NAME_SIZE = 256;
constexpr int LINEUP_WORDS = 291;
constexpr int FORMATION_SLOTS = 10;
constexpr int TEAM_ROLES = 7;

// The oval drawing's centre on the line-up screen: entry positions are
// screen pixels relative to it.
constexpr int32_t LINEUP_CENTRE_X = 277;
constexpr int32_t LINEUP_CENTRE_Y = 334;

// Tactical settings: the first says where a position plays (2..8), the
// second how (9..12).
constexpr int32_t FIRST_SETTING_MIN = 2, FIRST_SETTING_MAX = 8;
constexpr int32_t SECOND_SETTING_MIN = 9, SECOND_SETTING_MAX = 12;

struct LineupEntry {
    int32_t player;  // 0-based index into the team's league players
    int32_t setting1;
    int32_t setting2;
    int32_t x;       // bench and reserve entries hold -1 in these four
    int32_t y;
};

struct TeamLineup {
    int32_t version;  // 1; -1 marks an unusable formation slot
    char name[LINEUP_NAME_SIZE];
    int32_t zone_y[2];  // horizontal lines, screen y - 334
    int32_t zone_x[4];  // vertical lines, screen x - 277, increasing
    LineupEntry entries[LINEUP_ENTRIES];
};
static_assert(sizeof(TeamLineup) == LINEUP_WORDS * 4, "a line-up is the 291 words of its file");

extern const TeamLineup default_formation;
// Per league team: 18 on the ground then 6 on the bench, counted from 1.
extern const uint8_t default_team_sheets[LEAGUE_TEAMS][SQUAD_POSITIONS];
extern const int32_t default_role_rows[LEAGUE_TEAMS][TEAM_ROLES];

extern TeamLineup team_lineups[LEAGUE_TEAMS];
extern TeamLineup formation_slots[FORMATION_SLOTS];
// Role holders counted from 1; 0 or below is an empty role.
extern int32_t team_role_rows[LEAGUE_TEAMS][TEAM_ROLES];
extern int32_t current_roles[TEAM_ROLES];

// A new game: default roles, every team on the default formation with its
// default sheet and the rest of its players as reserves, and the ten slots
// emptied.
void reset_lineups_and_formations();
// The ten formation slots back to the default shape, each named
// "Empty Formation Slot".
void clear_formation_slots();

// Exchanges the first entries holding players a and b; nothing when either
// is not in the line-up.
void swap_players_in_lineup(TeamLineup& lineup, int32_t player_a, int32_t player_b);

void load_team_roles(int32_t team);
// Makes the roles valid for the team's own line-up (the formation slots are
// the screen's, not the team's), then keeps them in its row.
void store_team_roles(int32_t team, int32_t interchanges);
// Makes current_roles valid for a line-up with the given interchange count:
// roles 1-5 on the ground, 6 and 7 on the ground or bench, 6 never empty,
// 7 never the same man as 6.
void assign_team_roles(const TeamLineup& lineup, int32_t interchanges);

// Whether a line-up read from outside is one the game can use: players
// 0..41 everywhere, the on-field settings in their ranges and a name that
// ends within its field.
bool lineup_is_valid(const TeamLineup& lineup);
