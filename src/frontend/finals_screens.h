// The knock-out cups' screens: the bracket, which draws every round played
// so far as boxes of two names on one wide strip that scrolls sideways, and
// the results screen, which shows the scores of a knock-out round, or the
// one match just played (at a break or at full time), or the champion.
#pragma once

#include "frontend/controls.h"
#include "frontend/screen_runner.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t HANDLE_TOURNAMENT = 10;
extern const char* const TOURNAMENT_SET;

// --- Results ---

extern menu_screen finals_results_screen;
// The results screen's pictures by the match flow flags and the round.
void set_results_background();
void finals_results_open(menu_screen* screen);
void finals_results_close(menu_screen* screen);
// One line a pair first..end-1: home name, home score, away score, away name.
void list_knockout_results(int32_t first, int32_t end);
// The leave question on the results screen: Yes abandons the competition.
void results_exit(menu_screen* screen);

// What the results screen shows, for tests and the screen's own icons.
struct ResultsScreenState {
    char title[40];
    bool single_match;            // two names and scores, else the fixture list
    int32_t teams[2];             // the single match's teams, shown first to last
    uint16_t scores[2];
    char names[2][64], score_texts[2][16];
    std::vector<std::string> lines; // the fixture list's lines
    control_list* controls;       // the fixture list
    menu_icon* fields[4];         // names and scores
    menu_icon* badges[2];
    int32_t badge_textures[2] = {-1, -1}; // their pages, held while shown (hardware)
    uint8_t final_score_wanted;   // the one flag only this screen reads
    uint8_t full_time;            // set by a "Full Time Score"
};
extern ResultsScreenState results_state;

// --- Bracket ---

extern menu_screen finals_bracket_screen;
void finals_bracket_open(menu_screen* screen);
void finals_bracket_close(menu_screen* screen);
void finals_bracket_draw();
// One bracket item: a text icon when text is given, a panel otherwise.
menu_icon* layout_playoff_icons(int32_t template_index, const char* text, int32_t x, int32_t y, int32_t width,
                                int32_t font);

struct BracketState {
    menu_icon* items[128];
    int32_t count;
    int32_t scroll;       // subtracted from every item's x
    int32_t list_scroll;  // the scroll list's value
    bool has_scroll_list; // the strip scrolls sideways
    bool first_round_list;
    char title[40];
    control_list* controls;
};
extern BracketState bracket_state;

// Tests.
void reset_finals_screens();
