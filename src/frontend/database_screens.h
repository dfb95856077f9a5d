// The database's two screens: "Restore Team Names", which puts edited
// player names back to the league's own, a player or a club or the whole
// league at a time; and the two-team browser of the exhibition and training
// set-up with each side's badge, name and rating bars.
#pragma once

#include "frontend/controls.h"
#include "frontend/screen_runner.h"

#include <cstdint>
#include <string>
#include <vector>

extern menu_screen restore_names_screen, team_browser_screen;

void restore_names_open(menu_screen* screen);
void restore_names_frame(menu_screen* screen);
void restore_names_close(menu_screen* screen);
// Click handlers: every answer leaves the result byte clear.
void restore_database_names(icon_state_record* r, menu_icon* icon, menu_screen* s);
void restore_team_names(int32_t entry);
void previous_name_team(icon_state_record* r, menu_icon* icon, menu_screen* s);
void next_name_team(icon_state_record* r, menu_icon* icon, menu_screen* s);

void team_browser_open(menu_screen* screen);
void team_browser_frame(menu_screen* screen);
void team_browser_close(menu_screen* screen);
// The arrows: a side's team back or on by one, wrapping in the game type's clubs.
void browser_step(int32_t side, int32_t by);
// A side's badge and name drawn again, its team unchanged; and a side's team
// set from a clicked list entry (an entry outside the clubs is ignored).
void browser_redraw_side(int32_t side);
void browser_pick_team(int32_t side, int32_t index);

struct DatabaseScreens {
    int16_t name_screen_team;
    int32_t list_selection; // -1 none
    char team_name[64];
    std::vector<std::string> list_lines;
    control_list* controls;
    int32_t browser_teams[2];                 // home, away
    int32_t shown[2][7], targets[2][7];       // Speed .. Height, Overall
    char browser_names[2][64];
    menu_icon* name_icon;
    bool rebuild; // the name list, at the next frame
};
extern DatabaseScreens database_screens;
// The teams the browser leaves for the pages after it.
extern int32_t& browser_home_team;
extern int32_t& browser_away_team;

void prepare_database_screens();
// Tests.
void reset_database_screens();
