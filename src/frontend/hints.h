// Hints and tips: a plain text file beside the program, read afresh each
// time one of its two screens opens, joined into paragraphs, wrapped to the
// list's width and shown as a scrolling list of lines.
#pragma once

#include "frontend/controls.h"
#include "frontend/screen_runner.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr const char* HINTS_FILE = "front_en\\lang\\hints.txt";
constexpr const char* NO_HINTS_TEXT = "No Hints and Tips File Found.";
constexpr int32_t HINTS_WIDTH = 400;
constexpr int16_t HINTS_FONT = 1;

// The file's bytes as one text: lines of at most 256 characters, CR dropped,
// a line longer than 53 characters (its LF counted) running on into the
// next; control bytes the text drawer would act on become blanks.
std::string join_hints_text(const uint8_t* data, uint32_t size);
// The joined text wrapped at the list's width in its font: at most 500 lines.
std::vector<std::string> wrap_hints_text(const std::string& text);

struct HintsState {
    control_list* controls;
    char* missing_line; // the message line when the file is missing
};
extern HintsState hints_state;

extern menu_screen hints_screen;         // the front end's
extern menu_screen in_game_hints_screen; // the in-game menu's

void load_hints_text();
void build_hints_list(char** lines, int32_t count);
void build_hints_list_with_headings(char** lines, int32_t count);
void hints_screen_open(menu_screen* screen);
void hints_screen_close(menu_screen* screen);
void hints_open(menu_screen* screen);
void hints_frame(menu_screen* screen);
void hints_close(menu_screen* screen);

// The in-game menu's picture for the renderer: the one with the difficulty
// setting during a match of game type 3 or 7.
extern const char* in_game_menu_pictures[2];
extern int32_t match_stage; // 0 during a match
void choose_in_game_menu_picture();

void prepare_hints_screens();
// Tests.
void reset_hints();
