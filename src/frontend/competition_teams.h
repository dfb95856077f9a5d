// "Team Selection" before a premiership, a pre-season cup or a Final 8:
// which clubs people play ("Human") and which the computer ("CPU"), and in
// the Final 8 which eight clubs take part and in what places. OK commits the
// choice into the competition record; any other way out leaves the record
// as it was found.
#pragma once

#include "frontend/controls.h"
#include "frontend/screen_runner.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t KIND_CHOOSING = 0x40000000; // a computer club while the screen runs
constexpr int32_t FINAL_8_PLACES = 8;

struct CompetitionTeamsState {
    char names_selected[16][8];         // "Human" or "CPU" by team number
    int32_t final8_selected[FINAL_8_PLACES]; // team numbers by place
    std::vector<int32_t> final8_unselected;  // in team-number order
    int32_t selection_team;
    int32_t selection_human_count, selection_human_cursor;
    int32_t picked_place, picked_unselected; // a name picked up to exchange, -1 none
    int32_t shown[7], targets[7];
    std::vector<std::string> rows, unselected_rows;
    control_list* controls;
    control_list* unselected;
    // The record as the screen found it.
    uint32_t kept_kinds[16];
    uint8_t kept_order[16];
    uint32_t kept_count;
    uint8_t kept_still_in;
};
extern CompetitionTeamsState competition_teams_state;
extern menu_screen competition_teams_screen;

void competition_teams_open(menu_screen* screen);
void competition_teams_frame(menu_screen* screen);
void competition_teams_close(menu_screen* screen);
// The team a list row stands for, and its Human/CPU toggle.
int32_t team_of_row(int32_t row);
void toggle_team_row(int32_t row);
// The badge's click: the human teams recorded without closing.
void record_human_teams();
// OK: every club's kind and the team order.
void commit_competition_teams();
// Random computer clubs until the competition has its number of teams.
void random_fill_selection();
// The three exchanges of a Final 8 name.
void exchange_selected_unselected(int32_t place, int32_t index);
void exchange_selected(int32_t place_a, int32_t place_b);
// The bracket place's fixture byte (places 0..3 the homes of pairs 3..0,
// 4..7 the aways of pairs 0..3).
int8_t& final8_place_byte(int32_t place);
// The cursor through the human teams: by -1 or +1, wrapping; 0 with none.
int32_t step_human_cursor(int32_t by);
void clear_competition_kinds();

void prepare_competition_teams_screen();
// Tests.
void reset_competition_teams();
