// The controller assignment screen: each joystick and the keyboard as an icon
// in a list, slid to the home side, the centre (not playing) or the away side;
// a click on an icon opens its button set-up, the play icon goes on.
#pragma once

#include "frontend/menu_icons.h"
#include "frontend/screen_runner.h"

#include <cstdint>

constexpr int32_t CONTROLLER_ENTRIES = 30;
constexpr int32_t MAX_TEAM_CONTROLLERS = 4;
constexpr const char* MULTIPORT_NAME = "Gravis GrIP MultiPort";

enum ControllerIconKind : uint8_t { KIND_STICK = 1, KIND_PAD = 2, KIND_MULTIPORT = 3, KIND_KEYBOARD = 4 };
enum ControllerPosition : uint8_t { AT_HOME = 5, AT_CENTRE = 6, AT_AWAY = 7 };
enum ControllerMotion : int32_t { AT_REST = 1, TO_HOME = 2, TO_CENTRE = 3, TO_AWAY = 4 };

struct controller_icon_entry {
    uint8_t kind;
    uint8_t position;
    int32_t motion;
    const menu_icon* normal_template;
    const menu_icon* assigned_template;
    int32_t x, y; // 640 x 480 units
    icon_state_record state_record;
    menu_icon* icon;
    menu_icon* label;
    int32_t record; // the controller record it stands for
};

struct ControllerScreen {
    int32_t entry_count;
    controller_icon_entry entries[CONTROLLER_ENTRIES];
    uint32_t button_counts[CONTROLLER_ENTRIES];
    int32_t saved_sides[CONTROLLER_ENTRIES];
    int32_t first_visible;
    int32_t scroll_step, scroll_countdown;
    uint8_t scroll_active, first_frame_done, icons_built;
    int32_t message_code;
    uint32_t message_time;
    uint8_t message_reverts; // a message shown, not yet back to the click hint
    char message[96];
};
extern ControllerScreen controller_screen;
extern uint8_t click_hint_shown; // once a run of the program
extern menu_screen controller_assign_screen;

void controller_assign_open(menu_screen* screen);
void controller_assign_frame(menu_screen* screen);
void controller_assign_close(menu_screen* screen);
void build_controller_entries();
void create_controller_icons();
void create_controller_labels();
void move_controller(int32_t entry, uint8_t directions);
// Premiership, pre-season and Final 8: as move_controller, but only a human
// club of the competition takes a controller.
void move_controller_tournament(int32_t entry, uint8_t directions);
void build_controller_entries_tournament();
void create_controller_icons_tournament();
void create_controller_labels_tournament();
void reset_moving_controller_frames();
void reset_controller_frames_tournament();
void animate_controller_icons();
void show_controller_message();
void scroll_controller_rows_up();
void scroll_controller_rows_down();
void restore_controller_sides();
// The default action the controllers page gives the screen: the quit
// question (quit 1) or the screen's Back.
void set_controller_default_action(int32_t quit);
void controller_back_result(menu_screen* screen);
// A default action no page of this edition chooses: the exit question, and
// No keeps the screen running.
void controller_back_confirm(menu_screen* screen);
// Refreshes the screen's sprite templates from the loaded sets.
void prepare_controller_screen();

// Tests.
void reset_controller_screen();
