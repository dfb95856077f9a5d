// The team screens' strength panels: bars of a club's squad means or of one
// player's attributes, gliding toward new values when the shown club or
// player changes; the sliders' callbacks of the team screens, and the
// clubs' face palettes.
#pragma once

#include "frontend/controls.h"
#include "frontend/screen_runner.h"

#include <cstdint>

// The panel's value slots: the twelve squad means in TeamMean order, then
// the overall rating (a player's: the mean of his six rated attributes).
constexpr int PANEL_VALUES = 13;
constexpr int PANEL_OVERALL = 12;

enum PanelKind : int32_t {
    PANEL_NONE,
    PANEL_TEAM_A,   // exhibition team selection: seven bars
    PANEL_TEAM_B,   // Final 8 and season select: twelve bars in two columns
    PANEL_PLAYER_C, // ten bars
    PANEL_PLAYER_D, // ten bars, the roles and line-up screens' spacing
    PANEL_PLAYER_E, // seven bars
};

struct TeamPanelState {
    control_list* controls; // null: no panel
    PanelKind kind;
    int32_t x, y;           // the panel's origin, set by the screen
    int32_t team;           // the shown club (team panels); above 15 counts as 0
    int32_t player_team, player; // the shown player (player panels), -1 none
    int32_t shown_team, shown_player; // what the values were last read for
    int32_t targets[PANEL_VALUES];
    int32_t values[PANEL_VALUES]; // what the bars show
    control* bars[PANEL_VALUES];
    int32_t bar_count;
    // The names beside the bars of panels A, B and E (C and D show none).
    menu_icon* labels[PANEL_VALUES];
    int32_t label_count;
    // What a training screen adds beside the panel: two icons, one whose
    // click handler goes with them, and two more control trees.
    menu_icon* training_icons[2];
    menu_icon* training_click_icon;
    control_list* extra_controls[2];
};
extern TeamPanelState team_panel;

// Moves value to target when within step, otherwise by step toward it.
int32_t step_toward(int32_t value, int32_t target, int32_t step);

// The thirteen squad targets of a club (all 24 squad places).
void team_panel_targets(int32_t team, int32_t out[PANEL_VALUES]);
// A player's values straight from his own record; zeros for no player.
void player_panel_targets(int32_t team, int32_t player, int32_t out[PANEL_VALUES]);

void build_team_panel_a();
void build_team_panel_b();
void build_player_panel_c();
void build_player_panel_d();
void build_player_panel_e();
void team_panel_frame();
// Shows the player (a club and its player index from 0), then glides.
void player_panel_frame(int32_t team, int32_t player);
void free_team_panel();
// The same, but the screen is drawn and shown twice first, so that the bars
// leave both buffers.
void free_team_panel_redrawn(menu_screen* screen);
// A team screen's close: training's two icons off the screen and their
// click handler cleared, the other two control trees freed, Esc's action
// cleared.
void close_panel_and_training_icons();

// The value of a slider position p on a track w pixels wide: sixteen cells,
// 0..15; -1 when the track is narrower than 16 pixels.
int32_t slider_cell(int32_t p, int32_t w);
void slider_panel_team(int32_t p, int32_t w);
void slider_selection(int32_t p, int32_t w);
void slider_toggle(int32_t p, int32_t w);

// A club's face colours into palette entries 0..159 (entry 0 black);
// nothing for a number outside 0..15.
void load_team_face_palette(int32_t x, int32_t team);

// Tests.
void reset_team_panel();
