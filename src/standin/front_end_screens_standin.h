// STAND-IN (until the competitions, files, database and statistics issue,
// 29, lands): its screens as minimal screens of the runner: the results
// screen a title and a continue icon giving result 1, the others a title, OK
// (1) and Back (2). Same names as the real ones; delete each as it lands.
#pragma once

#include <cstdint>

struct menu_screen;

extern menu_screen finals_results_screen;
// Chooses the results screen's pictures by the match flow flags.
void set_results_background();

// The team browser ("Team Selection") and the teams it shows.
extern menu_screen team_selection_screen;
extern int32_t browser_home_team, browser_away_team;
// The break menu in its stages (0 in a match, 1 debrief, 2 a saved game's)
// and the two statistics screens.
extern menu_screen break_menu_screen;
extern int32_t break_menu_stage;
extern menu_screen match_statistics_screen;
extern menu_screen team_statistics_screen;
void load_team_for_stats(int32_t side);
// The file browser in its mode, its background chosen for the mode.
extern menu_screen file_browser_screen;
extern int32_t browser_mode;
void set_browser_background(int32_t mode);
// The database editor's team list, and the player editor set up on a team.
extern menu_screen team_list_screen;
extern int32_t editor_side, editor_team;
void edit_player_page(int32_t side, int32_t team);
void fill_slide_records(int32_t side, int32_t team);
