#include "league/team_lineups.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr TeamLineup make_default_formation()
{
    TeamLineup f{};
    f.version = 1;
    const char name[] = "Default Formation";
    for (unsigned i = 0; i < sizeof name; ++i)
        f.name[i] = name[i];
    f.zone_y[0] = -40;
    f.zone_y[1] = 40;
    f.zone_x[0] = -150;
    f.zone_x[1] = -60;
    f.zone_x[2] = 60;
    f.zone_x[3] = 150;
    // (first setting, second setting, x, y) of the eighteen positions.
    constexpr int32_t places[LINEUP_ON_FIELD][4] = {
        {4, 11, -175, 0}, {4, 11, -160, -64}, {4, 11, -160, 64}, {5, 11, -115, 0},  {5, 11, -115, -74},
        {5, 11, -115, 74}, {3, 11, 0, 80},    {2, 11, 0, -80},   {8, 12, -20, 30},  {8, 12, -20, 0},
        {8, 12, -20, -30}, {8, 12, 10, -15},  {6, 11, 120, 0},   {6, 11, 120, -74}, {6, 11, 120, 74},
        {7, 9, 165, -64},  {7, 9, 165, 64},   {7, 9, 180, 0},
    };
    for (int i = 0; i < LINEUP_ON_FIELD; ++i)
        f.entries[i] = {i, places[i][0], places[i][1], places[i][2], places[i][3]};
    // The bench: 18-21, then 40 and 41 on the two places a four-man bench
    // never shows; 40 and 41 also stand among the reserves.
    constexpr int32_t bench[6] = {18, 19, 20, 21, 40, 41};
    for (int i = 0; i < 6; ++i)
        f.entries[LINEUP_BENCH_FIRST + i] = {bench[i], -1, -1, -1, -1};
    for (int i = 0; i < LINEUP_ENTRIES - LINEUP_RESERVE_FIRST; ++i)
        f.entries[LINEUP_RESERVE_FIRST + i] = {22 + i, -1, -1, -1, -1};
    return f;
}

bool holds_player(const TeamLineup& lineup, int first, int last, int32_t player)
{
    for (int j = first; j <= last; ++j)
        if (lineup.entries[j].player == player) return true;
    return false;
}

int first_entry_holding(const TeamLineup& lineup, int32_t player)
{
    for (int j = 0; j < LINEUP_ENTRIES; ++j)
        if (lineup.entries[j].player == player) return j;
    return -1;
}

} // namespace

const TeamLineup default_formation = make_default_formation();

// Each club names its first twenty-four in squad order.
const uint8_t default_team_sheets[LEAGUE_TEAMS][SQUAD_POSITIONS] = {
#define SHEET {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}
    SHEET, SHEET, SHEET, SHEET, SHEET, SHEET, SHEET, SHEET,
    SHEET, SHEET, SHEET, SHEET, SHEET, SHEET, SHEET, SHEET,
#undef SHEET
};

// Seven role holders a club, counted from 1 over its default sheet; only
// one club names a seventh.
const int32_t default_role_rows[LEAGUE_TEAMS][TEAM_ROLES] = {
    {10, 9, 18, 4, 11, 8, 0},  {10, 9, 17, 1, 12, 7, 0},  {11, 10, 18, 4, 9, 13, 0}, {10, 9, 16, 4, 12, 1, 0},
    {10, 11, 18, 5, 9, 8, 0},  {10, 9, 18, 4, 11, 8, 14}, {12, 9, 17, 4, 11, 10, 0}, {10, 9, 18, 6, 11, 15, 0},
    {10, 9, 18, 4, 12, 2, 0},  {11, 9, 16, 1, 10, 8, 0},  {10, 12, 18, 4, 9, 7, 0},  {10, 9, 17, 5, 11, 16, 0},
    {10, 9, 18, 4, 11, 3, 0},  {9, 10, 18, 4, 11, 8, 0},  {10, 9, 16, 6, 12, 13, 0}, {10, 11, 17, 4, 9, 8, 0},
};

TeamLineup team_lineups[LEAGUE_TEAMS];
TeamLineup formation_slots[FORMATION_SLOTS];
int32_t team_role_rows[LEAGUE_TEAMS][TEAM_ROLES];
int32_t current_roles[TEAM_ROLES];

void clear_formation_slots()
{
    for (TeamLineup& slot : formation_slots) {
        slot = default_formation;
        std::memset(slot.name, 0, sizeof slot.name);
        std::snprintf(slot.name, sizeof slot.name, "%s", "Empty Formation Slot");
    }
}

void reset_lineups_and_formations()
{
    std::memcpy(team_role_rows, default_role_rows, sizeof team_role_rows);
    for (int t = 0; t < LEAGUE_TEAMS; ++t) {
        TeamLineup& lineup = team_lineups[t];
        lineup = default_formation;
        for (int i = 0; i < SQUAD_POSITIONS; ++i)
            lineup.entries[i].player = default_team_sheets[t][i] - 1;
        // The reserves: every other player in increasing order. Only the
        // first 22 entries are looked at, so the two hidden bench places'
        // men stand among the reserves as well, as in the default formation.
        int next = LINEUP_RESERVE_FIRST;
        for (int32_t p = 0; p < LEAGUE_PLAYERS && next < LINEUP_ENTRIES; ++p)
            if (!holds_player(lineup, 0, 21, p)) lineup.entries[next++].player = p;
    }
    clear_formation_slots();
}

void swap_players_in_lineup(TeamLineup& lineup, int32_t player_a, int32_t player_b)
{
    int a = first_entry_holding(lineup, player_a);
    int b = first_entry_holding(lineup, player_b);
    if (a < 0 || b < 0) return;
    lineup.entries[a].player = player_b;
    lineup.entries[b].player = player_a;
}

void load_team_roles(int32_t team)
{
    if (team < 0 || team >= LEAGUE_TEAMS) return;
    std::memcpy(current_roles, team_role_rows[team], sizeof current_roles);
}

void store_team_roles(int32_t team, int32_t interchanges)
{
    if (team < 0 || team >= LEAGUE_TEAMS) return;
    assign_team_roles(team_lineups[team], interchanges);
    std::memcpy(team_role_rows[team], current_roles, sizeof current_roles);
}

void assign_team_roles(const TeamLineup& lineup, int32_t interchanges)
{
    // The first five in the order 1, 4, 2, 5, 3: the earlier keeps a man
    // named twice.
    static constexpr int order[TEAM_ROLES] = {0, 3, 1, 4, 2, 5, 6};
    int32_t w[TEAM_ROLES];
    for (int k = 0; k < TEAM_ROLES; ++k) {
        int32_t r = current_roles[order[k]];
        w[k] = r > 0 ? r - 1 : -1;
    }
    if (interchanges < 0) interchanges = 0;
    if (interchanges > 6) interchanges = 6;
    const int last_bench = LINEUP_ON_FIELD - 1 + interchanges;

    for (int k = 0; k < 5; ++k)
        if (w[k] >= 0 && !holds_player(lineup, 0, LINEUP_ON_FIELD - 1, w[k])) w[k] = -1;
    for (int k = 5; k < 7; ++k)
        if (w[k] >= 0 && !holds_player(lineup, 0, last_bench, w[k])) w[k] = -1;
    if (w[5] == w[6]) w[6] = -1;

    bool to_fill[5] = {true, true, true, true, true};
    bool six_found = false;
    for (int j = 0; j < SQUAD_POSITIONS; ++j) {
        int32_t p = lineup.entries[j].player;
        bool kept = false;
        for (int k = 0; k < 5; ++k) {
            if (w[k] < 0 || p != w[k]) continue;
            if (j < LINEUP_ON_FIELD && !kept) {
                kept = true;
                to_fill[k] = false;
            } else {
                w[k] = -1;
                to_fill[k] = true;
            }
        }
        if (w[5] >= 0 && p == w[5] && j <= last_bench) six_found = true;
    }
    for (int k = 0; k < 5; ++k) {
        if (!to_fill[k]) continue;
        for (int i = 0; i < LINEUP_ON_FIELD; ++i) {
            int32_t p = lineup.entries[i].player;
            bool taken = false;
            for (int m = 0; m < 5; ++m)
                if (w[m] == p) taken = true;
            if (!taken) {
                w[k] = p;
                break;
            }
        }
        to_fill[k] = false;
    }
    if (!six_found) w[5] = lineup.entries[0].player;
    // Again after role 6 is filled, so that 6 and 7 never name one man.
    if (w[5] == w[6]) w[6] = -1;

    for (int k = 0; k < TEAM_ROLES; ++k)
        current_roles[order[k]] = w[k] + 1;
}

bool lineup_is_valid(const TeamLineup& lineup)
{
    if (std::memchr(lineup.name, 0, sizeof lineup.name) == nullptr) return false;
    for (int j = 0; j < LINEUP_ENTRIES; ++j) {
        const LineupEntry& e = lineup.entries[j];
        if (e.player < 0 || e.player >= LEAGUE_PLAYERS) return false;
        if (j < LINEUP_ON_FIELD &&
            (e.setting1 < FIRST_SETTING_MIN || e.setting1 > FIRST_SETTING_MAX || e.setting2 < SECOND_SETTING_MIN ||
             e.setting2 > SECOND_SETTING_MAX))
            return false;
    }
    return true;
}
