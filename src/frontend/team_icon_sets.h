// The team screens' shared icon sets: a mascot a club (the caricature set,
// its frame the club's image in the chosen era, its index the club), the
// control texts and verbs under the mascots ("CPU PLAYS" or "YOU PLAY"),
// the eras that dress the mascots, and a saved list of icons put back on
// screen after an overlay took them away.
#pragma once

#include "frontend/menu_icons.h"

#include <cstdint>

constexpr int TEAM_MASCOTS = 16;
constexpr uint8_t FONT_COMPUTER_PLACE = 7, FONT_PERSON_PLACE = 8;

extern menu_icon team_mascot_templates[TEAM_MASCOTS];
extern menu_icon team_control_templates[TEAM_MASCOTS];
extern menu_icon team_verb_templates[TEAM_MASCOTS];
// The texts the control and verb icons show, by place.
extern char team_control_texts[TEAM_MASCOTS][4];
extern char team_verb_texts[TEAM_MASCOTS][6];

// The line-up screen's sets, from the edited club's portraits and the
// formation set: a player icon an entry (its index in every state's frame
// until a player is put on it, its kind 2 on the ground, 1 on the bench, 0
// in the reserves), the drag icon, the settings pop-up (the two choices,
// then settings 2..12), the zone-line markers (8 vertical ones carrying
// 0..7, then 6 horizontal ones carrying 9 for the upper and 10 for the
// lower line), the hint, the rings and the swap marker, and the formation
// list's Load and Save.
constexpr int LINEUP_PLAYER_ICONS = 44, LINEUP_POPUP_ICONS = 13, LINEUP_MARKERS = 14, LINEUP_VERTICAL_MARKERS = 8;
constexpr uint8_t UPPER_LINE_TAG = 9, LOWER_LINE_TAG = 10;
extern menu_icon lineup_player_templates[LINEUP_PLAYER_ICONS];
extern menu_icon lineup_drag_template;
extern menu_icon lineup_popup_templates[LINEUP_POPUP_ICONS];
extern menu_icon lineup_marker_templates[LINEUP_MARKERS];
extern menu_icon lineup_hint_template, lineup_swap_marker_template, lineup_cancel_template;
extern menu_icon lineup_ring_templates[2]; // the chosen man's, the pointed man's
extern menu_icon lineup_load_template, lineup_save_template;

// Builds the shared sets from the loaded sets: each mascot shows its club
// in the current era and carries the club as its index.
void register_lineup_callbacks();

// The mascot copies of the open team screen, by club (null when none), so
// that a change of era reaches them.
extern menu_icon* shown_team_mascots[TEAM_MASCOTS];

// Writes a place's control text and verb for who plays it (1 the
// computer) and centres both on x (640 units).
void set_place_control(int32_t place, uint8_t computer, menu_icon* control, menu_icon* verb, int32_t x);

// Eras: 30 of them, "Present Day" then "1970" to "1998"; each dresses the
// sixteen clubs in its own mascot images (the first and the last as they
// are).
constexpr int ERA_COUNT = 30;
const char* era_name(int32_t era);
int32_t era_image(int32_t era, int32_t team);
extern int32_t current_era;
extern char era_caption[16];
// The caption icon of the open screen, if it shows one (centred on x 320).
extern menu_icon* era_caption_icon;
void era_next();
void era_previous();
// The mascot frame of a club in the current era.
uint8_t mascot_frame(int32_t team);

// Icons taken off the screen and their places, to be put back at once.
struct SavedIconList {
    static constexpr int CAPACITY = 48;
    menu_icon* icons[CAPACITY];
    int32_t x[CAPACITY], y[CAPACITY];
    uint8_t group[CAPACITY];
    int32_t count;
    menu_icon* remembered_text; // shown in the large font again when asked
    uint8_t large_text;
};
void save_icon_to_list(SavedIconList& list, menu_icon* icon, uint8_t group);
void restore_icon_list(SavedIconList& list);

// Tests.
void reset_team_icon_sets();
