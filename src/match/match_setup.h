// Match set-up: a new match from the front end's choices, the restarts
// between periods with the ends changed, the return with reloaded line-ups,
// and replay playback; with the small resets they are made of.
#pragma once

#include "match/formation.h"
#include "match/match_records.h"
#include "match/team_selection.h"

#include <cstdint>

enum : uint8_t {
    INIT_NEW_MATCH = 0,
    INIT_SWAP_ENDS = 1,
    INIT_SWAP_ENDS_FULL = 2,
    INIT_RELOAD_LINEUPS = 3,
    INIT_REPLAY_PLAYBACK = 4,
};

constexpr int32_t TICKS_PER_MINUTE = 3720;

// Each team's formation spots while no kick-out repoints them; the set-up
// fills the ground places from the percentage tables, the bench keeps its
// places.
extern FormationSpots formation_tables[2];
// The gaps a matched key man of the second team keeps to his opponent,
// written for side 2: x, y and a spare word per slot.
extern int32_t marking_offsets[2][GROUND_MEN][3];
void fill_marking_offsets();
// The umpires' start words (666 each).
extern int32_t official_words[OFFICIAL_COUNT];

void init_match(int32_t mode);
// The numbers 1 to 16 in the order the commentary takes the clubs.
extern const uint8_t commentary_order_table[16];
// The restarts between periods alone (modes 1 and 2 without the loading).
void swap_team_ends();
void swap_team_ends_full();
void reset_game_state();
void pick_weather_and_kick_off();
// Mode 0 draws a random weather and toss winner; the restarts keep them.
void read_match_settings();
void apply_weather();
void clear_team_records();
void load_team_lineup(TeamRecord* team, const TeamSelection* selection);
void load_both_lineups();
void clear_player_slots();
void link_lineup_to_slots();
void relink_after_break();
void set_formation_positions();
void place_players_for_start(TeamRecord* team);
void place_set_play_positions(TeamRecord* team);
void copy_formation_to_positions(TeamRecord* team);
void reset_period_flags();
void start_quarter_clock();
void stop_clock_for_restart();
void init_kickout_slots();
void init_kickout_slots_all();
void match_key_men();
void clear_player_links();
void init_pairing_values();
void set_competition_flag();
void build_active_men_list();
void randomise_angles();
void reload_lineups_and_panel();
void clear_team_spots(TeamRecord* team);
void reset_flow_flags();
void reset_replay_buffer();
void init_officials();
void reset_ball(int32_t x, int32_t y, int32_t z);
void reset_man_records();
// Attaches the controllers chosen for a team to it, counting human_count.
void attach_controllers_to_teams();

// The start table point of slot i for the variant, before the side offset.
FormationSpot start_table_point(uint8_t variant, int i);
