// The team selection screens' shared choice: the home and the away club,
// the side being chosen, the club the strength panel shows, and who plays
// each of the sixteen places (a person or the computer).
#pragma once

#include "frontend/screen_runner.h"

#include <cstdint>

struct TeamChoice {
    int32_t home, away;
    int32_t side;        // 1: a choice makes the home club, 0: the away club
    int32_t panel_team;  // the club the strength panel follows
    int32_t large_mascot_team; // the big mascot of the season screens
    uint8_t computer[16]; // 1: the computer plays the place, 0: a person
};
extern TeamChoice team_choice;

// From a slider cell: the panel's club (and the season screens' big
// mascot), the edited side back to home.
void set_panel_team_from_slider(int32_t team);
// The chosen club for the side being chosen; the panel follows it.
void set_selection_from_slider(int32_t team);
// Flips who plays the place.
void toggle_from_slider(int32_t place);

// The exhibition and training screen: a club dragged with the mouse onto
// the big home or away mascot plays there; Enter (or a pad button) on a
// club gives it to the side being chosen, home then away by turns. The big
// mascots lead to their side's line-up (results 5 and 6); OK keeps the
// choice.
struct TeamSelectScreenState {
    int32_t side;                   // the side being chosen: 0 home, 1 away
    int32_t drag_team;              // the club being dragged, -1 none
    int32_t grab_dx, grab_dy;       // pointer minus the mascot, screen pixels
    menu_icon* drag_icon;
    char title[40];
    char names[2][40];              // home and away (season screens: [0] the pointed club)
    uint8_t right_latch;            // the right button counts once a press
};
extern TeamSelectScreenState team_select_state;
extern menu_screen team_selection_screen;
extern menu_screen season_team_select_screen;

void team_selection_open(menu_screen* screen);
void team_selection_frame(menu_screen* screen);
void team_selection_close(menu_screen* screen);
// OK of the exhibition screen: the chosen clubs play, no competition runs.
void reset_exhibition_choice();
// A club given to the side being chosen (keyboard and pad).
void pick_exhibition_team(int32_t team);
// The mouse: presses, drags and drops mascots (reads icon_input).
void team_selection_pointer();

void season_team_select_open(menu_screen* screen);
void season_team_select_frame(menu_screen* screen);
void season_team_select_close(menu_screen* screen);
// OK of the season screen: every club's kind and the team list.
void commit_season_selection();
// Shows a club on the big mascot, its name and the panel.
void show_season_team(int32_t team);
// Flips who plays the place and rewrites its texts.
void flip_season_place(int32_t place);

// Builds the templates from the loaded sets; before running either screen.
void prepare_team_selection_screens();

// Tests.
void reset_team_choice();
