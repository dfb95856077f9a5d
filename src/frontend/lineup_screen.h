// The line-up screen: one club on a drawing of the oval, its eighteen
// positions, its interchange bench and its reserves, and ten formation
// slots to keep shapes in. Players change places by a click on one and a
// click on the other (the mouse or Enter); positions are dragged about the
// oval with the mouse. During a match the interchange rules decide who may
// come on.
#pragma once

#include "frontend/screen_runner.h"
#include "league/team_lineups.h"

#include <cstdint>

constexpr uint8_t KIND_RESERVE = 0, KIND_BENCH = 1, KIND_ON_FIELD = 2;
constexpr uint32_t SWAP_MESSAGE_MS = 2500;
// The edited club's portraits, loaded while the screen is open.
constexpr int32_t LINEUP_PORTRAITS_HANDLE = 11;
// Results that have the page run the file browser on formations.
constexpr uint8_t LINEUP_LOAD_FORMATION = 25, LINEUP_SAVE_FORMATION = 26;

struct LineupScreenState {
    int32_t side, team, squad_size, reserve_count, bench_count;
    int32_t shown_slot;   // 0..9
    TeamLineup work;      // what the screen shows, positions relative to the oval's centre
    int32_t selected;     // the entry picked for an exchange, -1 none
    int32_t pointed;      // the entry last pointed at, -1 none
    uint8_t roles_slot;   // the slot the roles screen checks against
    char caption[300];
    char status[48];
    uint8_t message_showing;
    uint32_t message_time;
    menu_icon* players[LINEUP_ENTRIES]; // by entry; null where not shown
    // A position dragged with the mouse: its entry, where it started, and
    // the grab offset.
    int32_t dragging, drag_start_x, drag_start_y, grab_dx, grab_dy;
};
extern LineupScreenState lineup_state;
extern menu_screen lineup_screen;
// The side the screen edits (0 home, 1 away), and the flag that has the
// next open start from the club's own line-up.
extern uint8_t lineup_side;
extern uint8_t lineup_first_open;

void lineup_open(menu_screen* screen);
void lineup_frame(menu_screen* screen);
void lineup_close(menu_screen* screen);
// Lays the icons out afresh from the shown slot.
void format_formation_list();
void store_lineup_to_slot();
void store_lineup_to_team();
void previous_formation_slot();
void next_formation_slot();
void select_formation_slot();
void open_roles_for_slot();
// A click on a player's place: picks it, or exchanges it with the picked one.
void lineup_place_click(int32_t entry);
// Whether the two entries may exchange players now (always before a match).
bool lineup_swap_allowed(int32_t a, int32_t b);

// The position's place on the oval: a point outside is brought back along
// the line to the centre (relative coordinates).
void bring_onto_oval(int32_t& dx, int32_t& dy);
bool outside_oval(int32_t dx, int32_t dy);
// Keeps a dropped position 16 pixels clear of the others; false when it
// cannot be (it left the oval or kept moving), and it goes back.
bool keep_position_apart(TeamLineup& lineup, int32_t entry);
// Whether a first setting fits a position under the zone lines.
bool first_setting_fits(const TeamLineup& lineup, int32_t setting, int32_t dx, int32_t dy);

// Tests.
void reset_lineup_screen();
