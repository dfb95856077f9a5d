// What is to be played: the teams, the kind of game and the match options.
// The words live in the game-state block beside the match globals (see
// match/match_records.h) and survive the clearing of a new match.
#pragma once

#include "platform/controllers.h"

#include <cstdint>

// Kinds of game.
enum : int8_t {
    GAME_DEMO = 0,
    GAME_LOAD = 1,
    GAME_VIEW_REPLAY = 2,
    GAME_EXHIBITION = 3,
    GAME_PREMIERSHIP = 4,
    GAME_PRE_SEASON = 5,
    GAME_FINAL_8 = 6,
    GAME_TRAINING = 7,
};

constexpr uint8_t FRONT_END_COUNT = 8; // see GameSettings::front_end_count

// Per-team switches of the in-game options screen.
struct TeamOptions {
    uint8_t auto_offload;
    uint8_t auto_bounce;
    uint8_t name_display;     // player-name display mode
    uint8_t intercept_circle; // mark indicator
};

struct GameSettings {
    int8_t home_team;
    int8_t away_team;
    int8_t game_type;
    uint8_t skip_entry_actions; // non-zero: a match-state change runs no entry actions
    int32_t quarter_length;     // minutes
    uint8_t weather;            // 0 dry, 1 cloudy, 2 wet, 3 clear, 4 random
    uint8_t push_in_back;
    uint8_t pitch_quality;
    uint8_t pitch_logos;
    uint8_t radar;
    uint32_t game_speed; // 0 normal, 1 turbo, 2 mega turbo
    int32_t interchange_limit;
    int32_t options_word; // the options screen's first choice, 4 at start
    TeamOptions team_options[2];
    // Match options the match set-up reads.
    uint8_t time_of_day;        // 0..2, 3 random
    uint8_t kick_off_variant;   // 0..6, 7 random
    uint32_t difficulty;        // 1..100; 0 becomes 1
    uint8_t interchange_players; // 4, or 6 in pre-season games
    int32_t marking_percent;    // 0..100
    int32_t fights_level;       // 0..100: how readily grudges turn to fights
    int8_t toss_winner;         // team record 0 or 1; -1 drawn at the match start
    uint8_t finals_week;        // 1..5 in a finals series
    uint8_t round_kind;         // 5: the last finals week
    // A count the front end sets to 8 before every match and at a first run.
    // It travels with the settings into the match set-up; nothing is known
    // to read it, so it keeps the value and a name of its own.
    uint8_t front_end_count;
    int32_t controller_team_table[CONTROLLER_RECORDS];             // -1 none
    char controller_player_names[CONTROLLER_RECORDS][256];        // empty when none typed
    int8_t squad_list[30]; // player numbers of the saved squad list
};

// The session defaults and the game-type queries, which read and write the
// settings where they live, are in match/session_defaults.h.

// The palette file the screen runner loads with each screen while set.
void clear_screen_palette_name();
void set_video_palette_name();
const char* screen_palette_name(); // nullptr while cleared
