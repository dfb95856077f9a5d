// After a competition match: which men are out injured and for how long,
// and what the tribunal makes of the men reported. The findings are drawn
// once when the report screen opens and kept per club for the games after.
#pragma once

#include "frontend/controls.h"
#include "frontend/screen_runner.h"
#include "league/league_data.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t INJURY_TYPES = 8;
constexpr int32_t MAX_BAN_GAMES = 6;

// One club's findings by squad index (reserves can play, so every player).
struct TeamReport {
    uint32_t injured[LEAGUE_PLAYERS];
    uint8_t injury_type[LEAGUE_PLAYERS];
    uint8_t injury_games[LEAGUE_PLAYERS];
    uint32_t banned[LEAGUE_PLAYERS];
    uint8_t ban_games[LEAGUE_PLAYERS];
};
extern TeamReport team_reports[LEAGUE_TEAMS];

struct InjuryKind {
    const char* name; // follows "a" in the line
    uint8_t base_games, spread;
};
extern const InjuryKind injury_kinds[INJURY_TYPES];

// The last match's lines, per side (home, away), by man slot.
struct MatchReportFlags {
    uint8_t injury_listed[2][24];
    uint8_t report_listed[2][24];
    int32_t injury_lines[2], tribunal_lines[2];
};
extern MatchReportFlags match_report_flags;

// The random numbers the findings draw (the C library's; tests give their own).
extern int (*report_random)();

void collect_match_reports();
void set_injury(int32_t team, int32_t squad_index, int32_t type);
void tribunal_ruling(int32_t team, int32_t squad_index, int16_t reports, int16_t points);

// The two lists' lines, home side first.
std::vector<std::string> tribunal_lines();
std::vector<std::string> injury_lines();

extern menu_screen match_report_screen;
void match_report_open(menu_screen* screen);
void match_report_close(menu_screen* screen);
void prepare_match_report_screen();

struct MatchReportScreen {
    control_list* controls;
    std::vector<std::string> tribunal, injuries;
};
extern MatchReportScreen match_report_state;

// Tests.
void reset_match_reports();
