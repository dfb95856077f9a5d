// The team selection screens' shared choice: the home and the away club,
// the side being chosen, the club the strength panel shows, and who plays
// each of the sixteen places (a person or the computer).
#pragma once

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

// Tests.
void reset_team_choice();
