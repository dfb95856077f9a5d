// STAND-IN: see team_screens_standin.h.
#include "standin/team_screens_standin.h"

#include "match/match_records.h"
#include "match/match_records.h"
#include "standin/standin_screens.h"

#include <cstring>

namespace {

TeamLineup make_default_formation()
{
    TeamLineup f{};
    f.version = 1;
    std::strcpy(f.name, "Default Formation");
    f.horizontal[0] = -40, f.horizontal[1] = 40;
    f.vertical[0] = -150, f.vertical[1] = -60, f.vertical[2] = 60, f.vertical[3] = 150;
    const int32_t places[ON_FIELD][4] = {
        {4, 11, -175, 0}, {4, 11, -160, -64}, {4, 11, -160, 64}, {5, 11, -115, 0}, {5, 11, -115, -74},
        {5, 11, -115, 74}, {3, 11, 0, 80},    {2, 11, 0, -80},    {8, 12, -20, 30}, {8, 12, -20, 0},
        {8, 12, -20, -30}, {8, 12, 10, -15},  {6, 11, 120, 0},    {6, 11, 120, -74}, {6, 11, 120, 74},
        {7, 9, 165, -64},  {7, 9, 165, 64},   {7, 9, 180, 0},
    };
    for (int32_t i = 0; i < ON_FIELD; ++i)
        f.entries[i] = {i, places[i][0], places[i][1], places[i][2], places[i][3]};
    for (int32_t i = ON_FIELD; i < LINEUP_ENTRIES; ++i) f.entries[i] = {0, -1, -1, -1, -1};
    for (int32_t i = 18; i < 22; ++i) f.entries[i].player = i;
    f.entries[22].player = 40, f.entries[23].player = 41;
    for (int32_t i = 24; i < LINEUP_ENTRIES; ++i) f.entries[i].player = i - 2;
    return f;
}

StandinScreenParts g_lineup_parts, g_roles_parts, g_hub_parts;

void lineup_players(const TeamLineup& l, int32_t players[MATCH_ENTRIES])
{
    for (int32_t i = 0; i < MATCH_ENTRIES; ++i) players[i] = l.entries[i].player;
}

} // namespace

const TeamLineup default_formation = make_default_formation();

// Every club fields its squad in order: players 1-18 on the ground, 19-24 on
// the bench.
const int8_t default_team_sheets[16][MATCH_ENTRIES] = {
#define KOB_SHEET {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}
    KOB_SHEET, KOB_SHEET, KOB_SHEET, KOB_SHEET, KOB_SHEET, KOB_SHEET, KOB_SHEET, KOB_SHEET,
    KOB_SHEET, KOB_SHEET, KOB_SHEET, KOB_SHEET, KOB_SHEET, KOB_SHEET, KOB_SHEET, KOB_SHEET,
#undef KOB_SHEET
};

// Roles 1-5 held on the ground, role 6 by an on-field man; one club names a
// seventh, a bench man within four interchanges.
const int32_t default_role_rows[16][ROLE_COUNT] = {
    {10, 8, 4, 13, 17, 7, 0}, {10, 8, 4, 13, 17, 7, 0},  {10, 8, 4, 13, 17, 7, 0}, {10, 8, 4, 13, 17, 7, 0},
    {10, 8, 4, 13, 17, 7, 0}, {10, 8, 4, 13, 17, 7, 20}, {10, 8, 4, 13, 17, 7, 0}, {10, 8, 4, 13, 17, 7, 0},
    {10, 8, 4, 13, 17, 7, 0}, {10, 8, 4, 13, 17, 7, 0},  {10, 8, 4, 13, 17, 7, 0}, {10, 8, 4, 13, 17, 7, 0},
    {10, 8, 4, 13, 17, 7, 0}, {10, 8, 4, 13, 17, 7, 0},  {10, 8, 4, 13, 17, 7, 0}, {10, 8, 4, 13, 17, 7, 0},
};

TeamLineup team_lineups[16];
TeamLineup formation_slots[FORMATION_SLOTS];
int32_t team_role_rows[16][ROLE_COUNT];
int32_t current_roles[ROLE_COUNT];
uint8_t lineup_side;
uint8_t lineup_first_open;

menu_screen lineup_screen = standin_screen(g_lineup_parts, "Line-up and Formation");
menu_screen roles_screen = standin_screen(g_roles_parts, "Assign Roles");
menu_screen prematch_hub_screen = standin_screen(g_hub_parts, "Start Game");

void reset_lineups_and_formations()
{
    std::memcpy(team_role_rows, default_role_rows, sizeof team_role_rows);
    for (int32_t t = 0; t < 16; ++t) {
        TeamLineup& l = team_lineups[t];
        l = default_formation;
        bool used[42] = {};
        for (int32_t i = 0; i < MATCH_ENTRIES; ++i) l.entries[i].player = default_team_sheets[t][i] - 1;
        for (int32_t i = 0; i < 22; ++i) used[l.entries[i].player] = true;
        int32_t next = MATCH_ENTRIES;
        for (int32_t p = 0; p < 42 && next < LINEUP_ENTRIES; ++p)
            if (!used[p]) l.entries[next++].player = p;
    }
    for (TeamLineup& slot : formation_slots) {
        slot = default_formation;
        std::strcpy(slot.name, "Empty Formation Slot");
    }
}

void check_roles_against_lineup(int32_t roles[ROLE_COUNT], const int32_t e[MATCH_ENTRIES], int32_t interchanges)
{
    // The order of the first five decides which role keeps a man named twice.
    static const int32_t order[ROLE_COUNT] = {0, 3, 1, 4, 2, 5, 6};
    int32_t w[ROLE_COUNT];
    for (int32_t k = 0; k < ROLE_COUNT; ++k) w[k] = roles[order[k]] - 1;
    auto among = [&](int32_t p, int32_t end) {
        for (int32_t j = 0; j < end && j < MATCH_ENTRIES; ++j)
            if (e[j] == p) return true;
        return false;
    };
    for (int32_t k = 0; k < 5; ++k)
        if (w[k] < 0 || !among(w[k], ON_FIELD)) w[k] = -1;
    for (int32_t k = 5; k < 7; ++k)
        if (w[k] < 0 || !among(w[k], ON_FIELD + interchanges)) w[k] = -1;
    if (w[5] == w[6]) w[6] = -1;
    bool fill[5] = {true, true, true, true, true};
    bool found6 = false;
    for (int32_t j = 0; j < MATCH_ENTRIES; ++j) {
        const int32_t p = e[j];
        if (p < 0) continue;
        bool kept = false;
        for (int32_t k = 0; k < 5; ++k) {
            if (p != w[k]) continue;
            if (j < ON_FIELD && !kept) {
                kept = true;
                fill[k] = false;
            } else {
                w[k] = -1;
                fill[k] = true;
            }
        }
        if (p == w[5]) found6 = true;
    }
    for (int32_t k = 0; k < 5; ++k) {
        if (!fill[k]) continue;
        for (int32_t i = 0; i < ON_FIELD; ++i) {
            bool held = false;
            for (int32_t m = 0; m < 5; ++m) held = held || w[m] == e[i];
            if (!held) {
                w[k] = e[i];
                break;
            }
        }
    }
    if (!found6) w[5] = e[0];
    for (int32_t k = 0; k < ROLE_COUNT; ++k) roles[order[k]] = w[k] + 1;
}

void load_team_roles(int32_t team)
{
    if (team >= 0 && team < 16) std::memcpy(current_roles, team_role_rows[team], sizeof current_roles);
}

void assign_team_roles(int32_t index)
{
    if (index < 0 || index >= FORMATION_SLOTS) return;
    int32_t players[MATCH_ENTRIES];
    lineup_players(formation_slots[index], players);
    check_roles_against_lineup(current_roles, players, game_settings.interchange_players);
}

void store_team_roles(int32_t team)
{
    if (team < 0 || team >= 16) return;
    // Checked against the team's own line-up: slots exist only for 0-9.
    int32_t players[MATCH_ENTRIES];
    lineup_players(team_lineups[team], players);
    check_roles_against_lineup(current_roles, players, game_settings.interchange_players);
    std::memcpy(team_role_rows[team], current_roles, sizeof current_roles);
}

void store_lineup_to_team() {}
