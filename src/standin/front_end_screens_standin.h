// STAND-IN (until the competitions, files, database and statistics issue,
// 29, lands these): the team browser, the file browser's screen and the
// database editor's team list as minimal screens of the runner (a title, OK
// (1) and Back (2)), and the player editor's set-up. Same names as the real
// ones; delete each as it lands.
#pragma once

#include <cstdint>

struct menu_screen;

// The team browser ("Team Selection") and the teams it shows.
extern menu_screen team_selection_screen;
extern int32_t browser_home_team, browser_away_team;
// The file browser in its mode, its background chosen for the mode.
extern menu_screen file_browser_screen;
extern int32_t browser_mode;
void set_browser_background(int32_t mode);
// The database editor's team list, and the player editor set up on a team.
extern menu_screen team_list_screen;
extern int32_t editor_side, editor_team;
void edit_player_page(int32_t side, int32_t team);
void fill_slide_records(int32_t side, int32_t team);
