// The screens of a competition's state: the ladder of the premiership, the
// fixtures of the coming round and the results of the round just played,
// each a list of text lines built from the competition record; the ladder
// sort; and the leave question they share with the finals screens.
#pragma once

#include "frontend/controls.h"
#include "frontend/screen_runner.h"

#include <cstdint>
#include <string>
#include <vector>

// A list control of plain text lines: its clip window, window (top, left,
// bottom, right), position and line spacing in 640 x 480 units.
struct TextListGeometry {
    int32_t clip_window;
    ControlRect window;
    int32_t x, y, spacing;
};
// Replaces *list with a new control list holding one list control of the
// lines (the controls copy them) and draws it.
void build_text_list(control_list** list, const TextListGeometry& g, const std::vector<std::string>& lines);
// One more such list control in an existing control list (not drawn yet).
void add_text_list(control_list* list, const TextListGeometry& g, const std::vector<std::string>& lines);

// Makes the rows of the list's first list control choosable: row i keeps i
// as its value and runs click, or without a handler leaves result base + i.
// A handler finds the row as the user value of the icon's string record.
void make_rows_choosable(control_list* list, uint8_t group, uint8_t base, IconFn click);

// The leave question: Yes (3) stays in the result byte, No (4) clears it.
int32_t confirm_leave_competition_screen();

// Ladder order: positions into the team order, best first; returns how many.
int32_t sort_ladder(uint16_t* positions);
int32_t ladder_points(int32_t position);
// Points for x 100 / points against; -1 without points against.
int32_t ladder_percentage(int32_t position);
// The team names of the first count fixtures, and the fixture count.
void set_fixture_count(int32_t count);

struct CompetitionScreensState {
    char title[40];
    uint16_t ladder_leader;
    std::vector<std::string> lines; // what the open screen lists, in order
    char fixture_names[16][2][60];
    control_list* controls;
};
extern CompetitionScreensState competition_screens_state;

extern menu_screen ladder_screen, fixtures_screen, round_results_screen;
void ladder_open(menu_screen* screen);
void fixtures_open(menu_screen* screen);
void round_results_open(menu_screen* screen);
void competition_screen_close(menu_screen* screen);

// Tests.
void reset_competition_screens();
