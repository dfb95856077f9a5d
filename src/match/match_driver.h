// Plays a match without a display: set up from the league with a fixed seed
// and settings, then tick by tick with one tick to a frame, as the frame loop
// would but drawing nothing. The same seed and settings give the same match.
#pragma once

#include <cstdint>

struct MatchRunSettings {
    uint32_t seed = 12345;
    int8_t home_team = 0;
    int8_t away_team = 9;
    int8_t game_type = 3; // exhibition
    int32_t quarter_minutes = 2;
    uint8_t weather = 0;
    uint8_t time_of_day = 1;
    uint8_t kick_off_variant = 1;
    uint8_t interchange_players = 4;
    uint32_t difficulty = 50;
    int8_t toss_winner = 0;
    uint8_t game_speed = 0;
    int32_t fights_level = 25; // the settings' default
};

// Loads what the men need to move (the player model, the animations and the
// contact tables) from the data directory, once for the process.
void headless_match_load_data();
// The game-state block cleared, the settings, the default selections, the
// seed, and the match set up in mode 0.
void headless_match_setup(const MatchRunSettings& settings);
// One tick as one frame: ticks_last_frame 1, the tick, and the end of a
// closing transition (there is none to watch) once the ticks are halted.
void headless_match_tick();
// Ticks until the match screen would close (LEAVE, LEAVE_OVER or
// MATCH_PLAYED) or the cap; the ticks run.
int32_t headless_match_run(int32_t tick_cap);
// The match screen again after a break, as the front end calls it with the
// exit code the last one left: non-zero when there was a break to resume
// from (exit code 2), 0 at full time or while the screen still runs.
int32_t headless_match_resume();
// Non-zero once the screen has closed on full time (exit code 0).
int32_t headless_match_full_time();
// Non-zero once the frame loop would end.
int32_t headless_match_over();
// A digest of the match records that a replay of the same match must give
// again tick for tick: the clock, state and random words, the scores, the
// ball and every man and umpire (positions, facing, speed, action, animation,
// flags). Addresses are left out, so two processes agree.
uint32_t headless_match_hash();
