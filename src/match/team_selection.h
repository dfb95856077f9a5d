// The team selections the front end hands the match: one per team record,
// the men of the eighteen ground places and the six on the bench, the game
// plan's zones, the key positions and the leaders.
#pragma once

#include <cstdint>

struct league_team;

constexpr uint8_t SELECTION_NONE = 0xFF;

struct SelectionEntry {
    uint8_t player_index; // in the club's player list
    uint8_t code_a;
    uint8_t position_role;
};

struct TeamSelection {
    SelectionEntry entries[18];
    uint8_t interchange[6]; // player indices of bench slots 18..23
    float zone_percent[6];  // d0..d5: the two horizontal lines, then the four vertical ones
    uint8_t key_men[4];     // slot numbers; the first is the ruckman
    uint8_t key_man_e;
    uint8_t captain;        // slot number
    uint8_t vice_captain;   // slot number, SELECTION_NONE when none
    uint8_t tactic_a, tactic_b, tactic_c;
    uint32_t name_labels;
    uint32_t behaviour_set;
    uint32_t selection_extra;
};

extern TeamSelection team_selections[2];

// The squad's first 24 in order, the usual key men and leaders.
void default_team_selection(TeamSelection* selection);
