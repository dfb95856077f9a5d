// STAND-IN (until the team screens issue, 28, lands): the line-up, roles and
// pre-match hub screens as plain screens of the runner, and the line-up and
// role records they keep, which the pages and the tactics block read. The
// records and the role check are built as those screens' Parts give them;
// the screens only show a title, OK and Back. Same names as the real ones;
// delete when they land.
#pragma once

#include "frontend/screen_runner.h"

#include <cstdint>

// One place of a line-up: player number (from 0), two tactical settings and
// the place relative to the middle of the formation drawing (277, 334).
// Bench and reserve entries hold only the player; the rest is -1.
struct LineupEntry {
    int32_t player, setting_1, setting_2, x, y;
};
constexpr int32_t LINEUP_ENTRIES = 44; // 0-17 on the ground, 18-23 bench, 24-43 reserves
constexpr int32_t ON_FIELD = 18, MATCH_ENTRIES = 24;
// One team's line-up, the content of a ".frm" file.
struct TeamLineup {
    int32_t version;
    char name[256];
    int32_t horizontal[2]; // zone lines, screen y minus 334
    int32_t vertical[4];   // zone lines, screen x minus 277, increasing
    LineupEntry entries[LINEUP_ENTRIES];
};
static_assert(sizeof(TeamLineup) == 1164);

constexpr int32_t ROLE_COUNT = 7;
constexpr int32_t FORMATION_SLOTS = 10;

extern const TeamLineup default_formation;
// Per club the 24 players of its match (from 1): 18 on the ground, 6 bench.
extern const int8_t default_team_sheets[16][MATCH_ENTRIES];
// Per club the holders of roles 1-7 (players from 1; 0 or less empty).
extern const int32_t default_role_rows[16][ROLE_COUNT];
extern TeamLineup team_lineups[16];
extern TeamLineup formation_slots[FORMATION_SLOTS];
extern int32_t team_role_rows[16][ROLE_COUNT];
extern int32_t current_roles[ROLE_COUNT];

// The side the line-up screen edits (0 home, 1 away) and its first-open flag.
extern uint8_t lineup_side;
extern uint8_t lineup_first_open;

extern menu_screen lineup_screen;
extern menu_screen roles_screen;
extern menu_screen prematch_hub_screen;

void reset_lineups_and_formations();
void load_team_roles(int32_t team);
void store_team_roles(int32_t team);
// Makes current_roles valid for the line-up at that index of formation_slots.
void assign_team_roles(int32_t index);
// The role check on its own: roles (from 1) made valid for the 24 match
// players (from 0) with the bench open up to the interchange count.
void check_roles_against_lineup(int32_t roles[ROLE_COUNT], const int32_t players[MATCH_ENTRIES],
                                int32_t interchanges);
// The line-up screen's state into the team's record (the stand-in keeps it).
void store_lineup_to_team();
