// The joystick and keyboard set-up screens: the buttons of each of the
// first four joysticks given to the four game actions, and the keyboard
// player's eight keys captured one after another. Both edit a scratch copy
// of the settings and commit it only when left with the OK icon.
#pragma once

#include "frontend/menu_icons.h"
#include "frontend/screen_runner.h"
#include "platform/settings.h"

#include <cstdint>

struct control;

// The copy the set-up screens edit; OK copies it over the live settings.
extern settings_record settings_scratch;

constexpr int32_t CONFIG_JOYSTICKS = 4; // the settings keep masks for four
constexpr int32_t JOYSTICK_ROWS = 4;
constexpr int32_t NO_BUTTON = 32;
constexpr int32_t KEY_SLOTS = 8;

struct JoystickConfigState {
    int32_t current;
    int32_t masks[CONFIG_JOYSTICKS][JOYSTICK_ROWS]; // pass/tackle, kick select, speed burst/fend, quit
    uint8_t capture_row;
    int32_t rows; // the joystick's button count, at most 4
    uint8_t pressed;
    uint8_t armed;
    uint8_t capture_request;
    uint8_t directions; // stick presses of this frame, for the capture step
    control* row_controls[JOYSTICK_ROWS];
    char caption[64];
    char* name_text; // "icon_controller_name.text_ptr"
    menu_icon* name_label;
    menu_icon* joystick_icon;
    menu_icon* arrows[2];
};
extern JoystickConfigState joystick_config;

struct KeyboardConfigState {
    int32_t key_index; // the next key to capture, 8 when all are
    menu_icon* caption[KEY_SLOTS];
    menu_icon* value[KEY_SLOTS];
    char help[2][256];
    uint8_t reserved_shown, used_shown;
    uint8_t done;
    menu_icon* message;
};
extern KeyboardConfigState keyboard_config;

extern menu_screen joystick_config_screen;
extern menu_screen keyboard_config_screen;
extern menu_screen placeholder_joystick_screen;

// How the joystick screen sees a joystick: its button count, its buttons
// down and the stick directions newly pressed this frame, and whether it is
// the multi-port adapter. Tests put their own pretend joysticks here.
struct JoystickProbe {
    int32_t (*buttons)(int32_t joystick);
    void (*read)(int32_t joystick, uint32_t* buttons, uint8_t* directions);
    bool (*multiport)(int32_t joystick);
};
extern JoystickProbe joystick_probe;
extern const JoystickProbe machine_joysticks;

// The sprite templates of both screens, from the loaded sets.
void prepare_controller_config_screens();

int32_t lowest_set_bit(uint32_t mask);
bool single_bit_set(uint32_t mask);
// Joysticks the screen works on: min(joysticks, 4).
int32_t configurable_joysticks();

void joystick_config_open(menu_screen* screen);
void joystick_config_frame(menu_screen* screen);
void joystick_config_close(menu_screen* screen);
void show_joystick_icon();
void build_joystick_button_rows();
void refresh_joystick_button_rows();
void previous_joystick();
void next_joystick();
void select_button_row(int32_t row);
void capture_joystick_button();
void check_all_buttons_configured(icon_state_record* r, menu_icon* icon, menu_screen* s);

// A key's shown name: its name, else its upper-cased character, else its number.
const char* key_display_name(uint32_t code, char* buffer, uint32_t size);
bool key_reserved(int32_t code);
void keyboard_config_open(menu_screen* screen);
void keyboard_config_frame(menu_screen* screen);
void keyboard_config_close(menu_screen* screen);
void apply_keyboard_config(icon_state_record* r, menu_icon* icon, menu_screen* s);

// Tests.
void reset_controller_config();
