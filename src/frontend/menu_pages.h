// The full game's pages: the welcome menu and everything behind it (game
// type, match set-up, the pre-match hub, line-ups, hints, configuration,
// statistics, the file pages, the replay page and the attract matches). No
// page of the demo road leads here; each is whole all the same.
#pragma once

#include "frontend/screen_runner.h"

#include <cstdint>

extern menu_screen welcome_screen;
void welcome_open(menu_screen* screen);
void welcome_frame(menu_screen* screen);
void welcome_close(menu_screen* screen);

void welcome_page();
void game_type_page();
void moon_page();
void match_setup_page();
void prematch_hub_page();
void lineup_page();
void hints_page();
void configuration_page();
void statistics_page_1();
void statistics_page_2();
void view_replay_page();
void load_game_page();
void delete_files_page();
void save_file_page();
void select_controller_page();
void replay_buffer_page();
void team_list_page();
void attract_match_page();

// What the replay page plays once the front end is released: the match set
// up for replay playback and the replay screen (tests give their own).
extern void (*replay_player)();

// The teams the team selection screen chose last (the match set-up and
// moon pages start from them).
extern int32_t last_home_choice, last_away_choice;

// Is the player among the saved squad list of the game settings?
bool in_saved_squad_list(int32_t player);
bool always_true();

// Tests.
void reset_menu_pages();
