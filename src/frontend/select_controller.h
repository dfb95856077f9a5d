// The select-controller screen: players type their names into a pool and
// drag them onto controllers (and back), so that the controller screen shows
// who plays with which. Also the small texts other screens list a side's
// controllers with.
#pragma once

#include "frontend/controls.h"
#include "frontend/screen_runner.h"

#include <cstdint>
#include <string>

constexpr int32_t NAME_POOL_SIZE = 100;
constexpr int32_t NAME_BYTES = 256;

struct NamePool {
    char names[NAME_POOL_SIZE][NAME_BYTES];
    int32_t count;
};
extern NamePool name_pool; // lives for the whole run

struct DragState {
    uint8_t dragging;
    int32_t fly_back; // frames left
    int32_t mode;     // 1 a pool name, 3 a controller's name
    int32_t source_index;
    control* target_list;
    control* second_target;
    int32_t grab_x, grab_y;
    int32_t origin_x, origin_y;
    double step_x, step_y;
    double at_x, at_y;
    char ghost_text[NAME_BYTES];
    control* source; // the row the name came from
};
extern DragState drag_state;

struct SelectControllerScreen {
    control_list* controls;
    control* names_list;
    control* controllers_list;
    control* entry; // the name entry select
    control* ghost; // the drag ghost select
    char entry_text[NAME_BYTES];
    menu_icon* row_icons[32];
};
extern SelectControllerScreen select_controller_state;
extern menu_screen select_controller_screen;

void select_controller_open(menu_screen* screen);
void select_controller_step(menu_screen* screen);
void select_controller_close(menu_screen* screen);
void select_controller_frame();
// The name entry: a select captioned "Enter Player Name:" over a typed name.
void player_name_entry();
void name_entered();
void remove_pool_name(control* row);
void start_drag(control* row);
// True when the ghost's box meets the target list's window; the row it falls
// on in row_out (-1 when refused).
bool drag_hit_test(const control* list, int32_t mode, int32_t* row_out);
void create_drag_name();

// "Joystick n" or "Keyboard" for a controller without a name.
std::string controller_name_text(const std::string& so_far, const char* name, bool append, int32_t controller);
// A side's controllers (-1 home, 1 away) joined by ", ", or "CPU"; at most 100
// characters are shown.
std::string controller_list_text(int32_t side);
void draw_players_panel(control_list* list, const char* text, int32_t x, int32_t y, int32_t clip);
void draw_side_players_panel(control_list* list, int32_t x, int32_t y, int32_t side);
void draw_both_players_panels(control_list* list, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// "%s   %s   %s" of left, middle and right with each three-blank gap made a
// position code (2, x low, x high): middle centred on 244, right ending at 488.
void format_statistics_line(const char* left, const char* right, const char* middle, char* out, uint32_t size);

// Tests.
void reset_select_controller();
