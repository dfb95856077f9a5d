// The screens that set up a match and the program: match settings, the
// configuration menu, game type and difficulty, the in-game options and the
// match options. They write the user settings and the game settings.
#pragma once

#include "frontend/controls.h"
#include "frontend/screen_runner.h"

#include <cstdint>

// --- Match settings ---

enum MatchOption : int32_t {
    OPT_QUARTER, OPT_PUSH, OPT_WEATHER, OPT_SPEED, OPT_LOCATION, OPT_TIME,
    OPT_ONE_TOUCH_1, OPT_ONE_TOUCH_2, OPT_PEEL_1, OPT_PEEL_2, OPT_MEN_1, OPT_MEN_2,
    MATCH_OPTIONS
};

struct MatchSettingsScreen {
    int32_t choice[MATCH_OPTIONS];
    int32_t fights;
    int32_t replay_kb;
    uint8_t moon; // the hidden moon match: weather, ground and time are fixed
    char value_text[MATCH_OPTIONS][24];
    char fights_text[64];
    char replay_text[32];
    menu_icon* values[MATCH_OPTIONS];
    control_list* controls;
};
extern MatchSettingsScreen match_settings_state;
extern menu_screen match_settings_screen;

extern const int32_t quarter_minutes[7];
// The text of a fights level, its value in it.
void fights_level_text(int32_t level, char* out, uint32_t size);
// One click on an option's value: its next choice.
void cycle_match_option(int32_t option);

// Three more option icons of the table, with their handlers and texts, that
// no screen places and nothing stores: two switches and a crowd size.
enum SpareOption : int32_t { SPARE_SWITCH_1, SPARE_SWITCH_2, SPARE_CROWD_SIZE, SPARE_OPTIONS };
extern int32_t spare_option_choice[SPARE_OPTIONS];
extern char spare_option_text[SPARE_OPTIONS][24];
extern menu_icon spare_option_icons[SPARE_OPTIONS];
void cycle_spare_option(int32_t option);
void refresh_match_setting_texts();
void match_settings_open(menu_screen* screen);
void match_settings_frame(menu_screen* screen);
void match_settings_close(menu_screen* screen);
void commit_match_settings(icon_state_record* r, menu_icon* icon, menu_screen* s);

// A horizontal slider with arrows in the list: steps of 1, the front end's
// scroll-bar icons; the callback on drags and arrows.
control* create_setting_slider(control_list* list, int32_t* value, int32_t minimum, int32_t maximum, int32_t x,
                               int32_t y, IconFn callback);

// --- Configuration menu ---

extern menu_screen configuration_screen;
void configuration_open(menu_screen* screen);
void configuration_close(menu_screen* screen);
void joystick_calibration_click(icon_state_record* r, menu_icon* icon, menu_screen* s);

// --- Game type and difficulty ---

struct GameTypeScreen {
    int32_t difficulty; // the slider, 0..100
    int32_t focused_result;
    char left_text[16];
    control_list* controls;
};
extern GameTypeScreen game_type_state;
extern menu_screen game_type_screen;
extern uint8_t moon_flag;
void game_type_open(menu_screen* screen);
void game_type_frame(menu_screen* screen);
void game_type_close(menu_screen* screen);
// Base difficulty of a game-type result.
int32_t base_difficulty(int32_t result);
void enable_all_game_types();
void disable_game_type(int32_t result);
// A season's team-select screen starts afresh.
struct TeamSelectFlags {
    uint8_t first_entry;
    int32_t selections[2];
};
extern TeamSelectFlags team_select_flags;
extern uint8_t screen_busy_flag;
void reset_team_select_state();

// --- In-game options ---

constexpr int32_t OPTION_ROWS = 10;
int32_t option_index(int32_t row, const char* text);
int32_t current_option_value(int32_t row);
void next_option_choice(icon_state_record* r, menu_icon* icon, menu_screen* s);
extern menu_screen in_game_options_screen;
void in_game_options_open(menu_screen* screen);
void in_game_options_close(menu_screen* screen);
void commit_in_game_options(icon_state_record* r, menu_icon* icon, menu_screen* s);
// Noted as the screen opens: whether team 1 and team 2 have a joystick or pad.
extern uint8_t team_has_joystick[2];
// The choice texts of a row (ended by an empty text) and its title.
const char* const* option_row_choices(int32_t row);
const char* option_row_title(int32_t row);

// --- Match options ---

extern menu_screen match_options_screen;
void match_options_open(menu_screen* screen);
void match_options_close(menu_screen* screen);

void prepare_settings_screens();
// Tests.
void reset_settings_screens();
