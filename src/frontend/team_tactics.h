// Each side's tactics written into the settings record before a match, in
// the form the match reads them: the line-up's places as percentages of the
// formation drawing, the zone lines likewise, and the role holders as slots
// of the line-up.
#pragma once

#include <cstdint>

// The block's layout, from its eighth word (word 377 home, 497 away).
struct TacticsEntry {
    int32_t player; // from 0
    int32_t setting_1, setting_2;
    float x, y; // percent
};
struct TacticsBlock {
    float zone_lines[6]; // the two horizontal lines, then the four vertical ones
    TacticsEntry on_field[18];
    int32_t bench[6];
    int32_t role_slots[5];            // slots of the holders of roles 3, 2, 4, 5, 1
    int32_t role6_slot, role7_slot;   // role 7: -1 when nobody holds it
    int32_t role6_player, role7_player;
};
static_assert(sizeof(TacticsBlock) == 111 * 4);

// Side 0 home, 1 away: from the team's line-up and role row.
void store_team_tactics(int32_t side);
// The same from the built-in defaults.
void store_default_tactics(int32_t side);
// The side's block as it stands in the settings record.
TacticsBlock read_tactics_block(int32_t side);

// The match's team selections from both sides' blocks, as the match reads
// them at its start: the line-up, the bench, the zone lines, the role
// holders (role 6 the captain, role 7 the vice-captain) and the team's
// switches around the block.
void hand_over_team_selections();
