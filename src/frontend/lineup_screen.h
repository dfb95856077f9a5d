// The line-up screen: one club on a drawing of the oval, its eighteen
// positions, its interchange bench and its reserves, six zone lines and ten
// formation slots to keep shapes in. With the mouse a bench or reserve man
// is dragged onto a position, a chosen position takes a bench or reserve man
// by a press on him, positions and zone lines are dragged about the oval,
// and the right button opens a position's tactical settings. With the keys
// Enter on one man and Enter on another exchanges them, Enter twice on a
// position opens its settings, and Enter on a zone-line marker takes the
// line for the arrow keys. During a match the interchange rules decide who
// may come on.
#pragma once

#include "frontend/menu_icons.h"
#include "frontend/screen_runner.h"
#include "league/team_lineups.h"

#include <cstdint>

constexpr uint8_t KIND_RESERVE = 0, KIND_BENCH = 1, KIND_ON_FIELD = 2;
constexpr uint32_t SWAP_MESSAGE_MS = 2500;
// The edited club's portraits, loaded while the screen is open.
constexpr int32_t LINEUP_PORTRAITS_HANDLE = 11;
// Results that have the page run the file browser on formations.
constexpr uint8_t LINEUP_LOAD_FORMATION = 25, LINEUP_SAVE_FORMATION = 26;
// The settings pop-up's icons carry their setting (2..12), the choices 0
// and 1, and the forced choice's cancel mark this code.
constexpr uint8_t LINEUP_CANCEL_CODE = 13;
constexpr int LINEUP_OPTION_ICONS = 13;

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
    // A bench or reserve man dragged: his entry, the position showing him
    // and that position's own man.
    int32_t player_drag, drag_over, over_player;
    // A bench or reserve place pressed while a position is chosen.
    int32_t pressed_place;
    // The zone line dragged (0-3 vertical lines 1-4, 4 upper, 5 lower; -1
    // none), the pointer's distance from it at the grab, whether Enter took
    // it, and the moving limits of lines 2 and 3.
    int32_t marker_line, marker_grab;
    uint8_t line_by_keys;
    int32_t line2_min, line3_max;
    int32_t hint_line; // the line the hint names, -1 none
    // The settings pop-up: the position it sets (-1 closed), whether it is
    // the choice forced by a drop, the list shown (0 none, 1 first settings,
    // 2 second), whether a click opened that list, where the first choice
    // stands, the option pressed with the left button, where a forced
    // position came from, and whether the right button was down.
    int32_t popup_entry;
    uint8_t popup_forced, popup_list, popup_by_click, right_was_down;
    int32_t popup_x, popup_y, pressed_option, forced_from_x, forced_from_y;
    // The screen's own icon copies.
    menu_icon* choices[2];
    menu_icon* options[LINEUP_OPTION_ICONS]; // by setting, 2..12
    menu_icon* cancel;
    menu_icon* markers[14];
    menu_icon* hint;
    menu_icon* drag_icon;
    menu_icon* swap_marker;
    menu_icon* rings[2]; // the chosen man's, the pointed man's
    menu_icon* load_button;
    menu_icon* save_button;
    // Icons made inactive while the forced choice is open.
    menu_icon* held_back[ICON_TABLE_SLOTS];
    int32_t held_back_count;
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

// The zone lines' limits while dragging: line 2 stays 12 pixels right of
// line 1 and line 3 12 pixels left of line 4 once those moved.
struct ZoneLineLimits {
    int32_t line2_min, line3_max;
};
constexpr ZoneLineLimits START_ZONE_LIMITS = {112, 442};
// Moves zone line `line` (0-3 vertical lines 1-4 to screen x `at`, 4 the
// upper and 5 the lower horizontal line to screen y `at`) within its range
// and clear of the positions whose first setting it bounds.
void move_zone_line(TeamLineup& lineup, ZoneLineLimits& limits, int32_t line, int32_t at);

// The handlers the shared templates carry.
void lineup_player_click(icon_state_record*, menu_icon* icon, menu_screen*);
void lineup_drag_follow(icon_state_record*, menu_icon* icon, menu_screen*);
void lineup_popup_point(icon_state_record*, menu_icon* icon, menu_screen*);
void lineup_popup_click(icon_state_record*, menu_icon* icon, menu_screen*);
void lineup_marker_click(icon_state_record*, menu_icon* icon, menu_screen*);
void load_formation_click(icon_state_record*, menu_icon*, menu_screen*);
void save_formation_click(icon_state_record*, menu_icon*, menu_screen*);

// Opens a position's settings pop-up as the right button does, with the
// pointer at (x, y) (640 x 480 units).
void open_settings_popup(int32_t entry, int32_t x, int32_t y);
void close_settings_popup();

// Tests.
void reset_lineup_screen();
