// What a player sees when a match pauses, breaks or ends: a menu of what to
// do next (its items by the match stage), the match statistics of the two
// teams side by side and a statistics page for each team's men.
#pragma once

#include "frontend/controls.h"
#include "frontend/screen_runner.h"
#include "match/match_records.h"

#include <cstdint>
#include <string>
#include <vector>

// The stage the break menu is run in (hints.h holds match_stage):
// 0 during a match, 1 after it, 2 between the games of a competition.
constexpr int32_t STAGE_IN_MATCH = 0, STAGE_AFTER_MATCH = 1, STAGE_COMPETITION = 2;

extern menu_screen break_menu_screen, match_statistics_screen, team_statistics_screen;

void break_menu_open(menu_screen* screen);
void break_menu_frame(menu_screen* screen);
void break_menu_close(menu_screen* screen);
void break_menu_exit(menu_screen* screen);
void match_statistics_open(menu_screen* screen);
void match_statistics_frame(menu_screen* screen);
void match_statistics_close(menu_screen* screen);
void team_statistics_open(menu_screen* screen);
void team_statistics_frame(menu_screen* screen);
void team_statistics_close(menu_screen* screen);
// Picks the team the team statistics page shows: 0 home, 1 away.
void load_team_for_stats(int32_t side);

// The item texts of the menu in a stage (every item, shown or not).
std::vector<std::string> break_menu_items(int32_t stage);
// The match's elapsed seconds by its clock and period.
int32_t elapsed_match_seconds();
// 100 x home / (home + away); 50 when both are 0.
int32_t home_share(uint32_t home, uint32_t away);
// A player's name shortened to its initial, two blanks and the rest after
// its first blank; a name without a blank whole.
std::string shortened_name(const char* name);
// One team statistics row: eleven columns of the man's counters.
std::string team_statistics_row(const uint32_t counters[13]);
// The record the statistics read: the match's own, or the competition's
// copies between games.
const TeamRecord& statistics_team(int32_t side);

struct BreakMenuState {
    std::vector<std::string> items;   // shown, in order
    std::vector<int32_t> results;     // each shown item's result (0: the exit handler)
    uint8_t in_match_menu;            // set while the stage-0 menu runs
    int32_t difficulty_slider;        // 0..100
    bool difficulty_shown;
    int32_t shares[2];                // the two share bars
    int32_t side_ratings[2];          // the side panels' overall ratings
    int32_t stats_side;               // the team the team page shows
    int32_t stats_values[13];         // training: the side's team values E0..E12
    char texts[8][96];                // the statistics screens' own texts
    std::vector<std::string> number_rows, name_rows;
    control_list* controls;
    control_list* names;              // the team page's name list
    menu_icon* extra[8];              // icons an open adds and its close removes
};
extern BreakMenuState break_menu_state;

// The screens' button and badge templates (the common and caricature sets).
void prepare_break_menus();

// Tests.
void reset_break_menus();
