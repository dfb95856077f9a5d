// The player database editor: one club at a time, as a whole or one player
// at a time, through a column of seven attribute bars. Outside training the
// bars only show the values; in training they are sliders that rewrite the
// players in the league at once, and a club's averages can be moved
// together, every listed player following in proportion to his room.
#pragma once

#include "frontend/controls.h"
#include "frontend/screen_runner.h"
#include "league/league_data.h"

#include <cstddef>
#include <cstdint>

// The thirteen edit values: E0..E5 the six rated attributes, E6..E11 shown
// only, E12 the overall.
enum EditValue : int32_t {
    E_SPEED, E_KICKING, E_HANDBALL, E_TACKLING, E_STRENGTH, E_HEIGHT,
    E_STAMINA, E_MARKING, E_RECOVERY, E_AGGRESSION, E_ACCURACY, E_REACH,
    E_OVERALL, EDIT_VALUES
};
constexpr int32_t OVERALL_MIN = 67, OVERALL_MAX = 285;
constexpr int32_t SLIDE_ENTRY_VALUES = 13;
constexpr int32_t SLIDE_RECORD_WORDS = SLIDE_ENTRY_VALUES * (1 + SQUAD_POSITIONS); // 325

struct PlayerEditor {
    int32_t slider_values[EDIT_VALUES];
    int32_t shown_values[EDIT_VALUES];
    int32_t previous_values[EDIT_VALUES];
    int32_t team_rating_values[EDIT_VALUES];
    int32_t player_snapshot[SQUAD_POSITIONS][SLIDE_ENTRY_VALUES];
    uint8_t snapshot_taken;
    int32_t editor_side; // 0 home, 1 away
    int32_t editor_team;
    int32_t editor_player; // 0 the whole team, n the n-th listed player
    int32_t selected_list_player;
    int8_t player_list_order[LEAGUE_TEAMS][SQUAD_POSITIONS];
    uint8_t order_built;
    uint8_t original_name_index[LEAGUE_TEAMS][SQUAD_POSITIONS];
    // Home then away: a head of the side's team values and one entry a
    // listed player; the image of "SLIDEDB.DAT".
    int32_t slide_records[2][SLIDE_RECORD_WORDS];
    int32_t minimum[EDIT_VALUES], maximum[EDIT_VALUES];
    control* sliders[7];
    control_list* controls;     // the bars
    control_list* slider_list;  // the training sliders, made afresh with the column
    // The list's name plates are the widget helpers' row icons.
    menu_icon* header;           // the list's heading
    menu_icon* training_texts[2]; // shown in training only
};
// The plates' sprite set, loaded while the editor's screen is open.
constexpr int32_t HANDLE_EDITOR = 12;
extern PlayerEditor player_editor;

// A player's edit value (E0..E11) and its store (E0..E5).
int32_t player_edit_value(const league_player* p, int32_t e);
void set_player_edit_value(league_player* p, int32_t e, int32_t value);
// The listed player k of a club (through the listing order).
league_player* listed_player(int32_t team, int32_t k);

// E12 from E0..E4: 67 at every minimum, 285 at every maximum.
int32_t overall_from_rated(const int32_t values[EDIT_VALUES]);

void edit_player_page(int32_t side, int32_t team);
void fill_slide_records(int32_t side, int32_t team);
void store_slide_records(int32_t side, int32_t team);
void apply_slide_entries();
// A loaded pair of records (SLIDE_DB_BYTES, little-endian) into the league:
// the home record into the match's home team, the away record into its away
// team, of the player being edited or the first eighteen of the team.
void apply_slide_record(const uint8_t* buffer);
// The same into two given clubs, for player n (1..24) or 0 the team.
void apply_slide_record_to(const uint8_t* buffer, int32_t home_team, int32_t away_team, int32_t player);
// A training edits' image fit to apply: exactly SLIDE_DB_BYTES, every
// player's E0..E5 within its slider's range and the unused values 0.
bool slide_db_valid(const uint8_t* data, size_t size);
// "SLIDEDB.DAT" read back and, only when it is whole, valid and its bytes
// have the given check, applied to the two clubs it was written for as a
// whole-team record; false leaves the league as it was.
bool load_slide_db(int32_t home_team, int32_t away_team, uint32_t check);
// The records as the file's bytes (SLIDE_DB_BYTES).
void slide_records_to_bytes(uint8_t* out);
// shown_values of a club (player 0) or of its n-th listed player.
void team_attribute_averages(int32_t team, int32_t player);
void build_player_order();

void take_snapshot();
void take_team_snapshot();
// Release of the overall slider: E0..E4 follow it from the snapshot.
void rescale_from_overall();
// Release of a team-level slider of slot 0..6.
void team_slider_moved(int32_t slot);
// Every listed player's attribute e from the snapshot as the team value
// moved from old to new.
void rescale_players(int32_t e, int32_t old_value, int32_t new_value);

// One slider of the column: range, position, and press and release handlers.
control* create_attribute_slider(int32_t slot, int32_t* value, int32_t minimum, int32_t maximum, int32_t x, int32_t y,
                                 IconFn on_press, IconFn on_release);

// The 24 edited names into the team being edited (in training, the match's
// team of the editor's side); the team's change mask follows and is written
// with the edited names to their files. In training both slide records are
// taken from the match's two teams as they now stand and written to theirs,
// and those two teams are noted as the file's owners.
void commit_name_edits(const char* const names[SQUAD_POSITIONS]);

// The name-list helpers over 36-byte entries (a 32-byte name, then four bytes).
void swap_name_entries(uint8_t* a, uint8_t* b);
void move_name_entry(uint8_t* to, uint8_t* from, uint8_t last_two[2]);
void remove_name_entry(uint8_t* entries, int32_t* count, int32_t n);

extern menu_screen player_editor_screen;
void player_editor_open(menu_screen* screen);
void player_editor_frame(menu_screen* screen);
void player_editor_close(menu_screen* screen);
// A second frame callback, on the first club with its fourth listed player.
void player_editor_first_team_frame(menu_screen* screen);
// The player list is a name plate for each of the first 18 listed players
// (the widget helpers' row icons, marked by their row highlight), a plate's
// value (its user_index) its place counted from one. A click on plate n
// (0..17) edits its player, or, when he already is, the whole team again.
void pick_list_icon(int32_t n);

// Overall of a rating record (Speed..Height, then Overall): the integer mean
// of the six, or of the five up to Strength in training.
int32_t rating_record_overall(const int32_t record[7]);
void prepare_player_editor();

// Tests.
void reset_player_editor();
