// Controller records: every human input device (each joystick, the mouse, the
// keyboard) as one record of directions and the four game actions. The match
// reads the devices into the records once a frame and ages them once a tick;
// the menus have their own simpler read with a key repeat for joysticks.
#pragma once

#include <cstdint>

struct PlayerSlot;
struct HostWindow;
struct HostDeviceInfo;

constexpr int CONTROLLER_RECORDS = 30;
// The mouse and the keyboard take the two records after the joysticks.
constexpr int MAX_JOYSTICK_CONTROLLERS = CONTROLLER_RECORDS - 2;
constexpr int MAX_FRAME_RECORDS = 256;

enum ControllerKind : int32_t { CONTROLLER_NONE = -1, CONTROLLER_JOYSTICK = 1, CONTROLLER_KEYBOARD = 2, CONTROLLER_MOUSE = 3 };

// Action bits of buttons, pressed and released.
enum : uint32_t { ACTION_1 = 1, ACTION_2 = 2, ACTION_3 = 4, ACTION_4 = 8 };
// dir_flags: the stick was let go at the last read; bits 1..4 for directions
// idle more than 30 ticks.
enum : uint32_t { DIR_FLAG_RELEASED = 1 };

struct DirCount {
    int32_t held, idle;
};

struct controller_record {
    uint32_t group_words[2];  // the match's; input never touches them
    int32_t index;
    int32_t present;
    int32_t kind;  // ControllerKind
    int32_t side;  // 0 not playing, -1 first team, 1 second team
    uint32_t spare_a;
    int32_t menu_scratch;
    uint8_t button_map[4];  // joystick button mask giving action 1..4
    uint8_t dirs, raw_dirs, prev_dirs, prev_raw_dirs;
    int32_t axis_x, axis_y;
    uint32_t spare_b[2];
    uint32_t buttons, prev_buttons;
    int32_t button_hold[4];  // 0 on press, +1 a tick while held, -1 on release
    DirCount dir_count[4];   // direction bits 1, 2, 4, 8
    uint32_t pressed, released;
    uint8_t dirs_pressed, dirs_released, raw_dirs_pressed, raw_dirs_released;
    uint32_t dir_flags;
    PlayerSlot* men[3];  // the controlled man first
    uint8_t rest[108];   // the match's
};

struct input_record {
    uint8_t actions;
    uint8_t dirs;  // raw direction bits
    uint8_t controller;
};

enum InputMode : int32_t { INPUT_LIVE = 0, INPUT_RECORDING = 1, INPUT_PLAYBACK = 2 };

// What the devices gave this frame, one record each for the keyboard and the
// playing joysticks (the mouse's is written past the count).
struct InputFrame {
    uint8_t count;
    input_record records[MAX_FRAME_RECORDS];
};

// A 4-bit direction as a step, a heading (16384 units a turn) and whether the
// stick can hold it at all (opposite bits cancel).
struct DirectionRow {
    int8_t dx, dy;
    uint16_t angle;
    uint8_t valid;
};
extern const DirectionRow direction_table[16];

extern controller_record controllers[CONTROLLER_RECORDS];

// The match camera's heading (16384 units a turn): the directions read turn
// with it by quadrants. The display above installs its reader at start;
// without one the heading is 0.
using CameraYawReader = int32_t (*)();
void set_camera_yaw_reader(CameraYawReader reader);
extern int32_t joystick_controllers, mouse_controller, keyboard_controller, controller_total;
extern int32_t input_mode;  // InputMode; start-up sets it live
extern InputFrame input_frame;
// Cleared by input_reset; kept for the screens.
extern uint32_t input_word_table[256];

int start_input(void* instance, HostWindow* window);
void init_controllers();
void shutdown_input();

// Joystick record c: the button masks (one bit each) of actions 1..4.
void set_controller_keys(int32_t controller, uint8_t mask1, uint8_t mask2, uint8_t mask3, uint8_t mask4);
// Key codes for direction bits 4, 8, 1, 2, then actions 1..4.
void set_key_mapping(uint32_t left, uint32_t right, uint32_t up, uint32_t down, uint32_t action1,
                     uint32_t action2, uint32_t action3, uint32_t action4);

// The match: once a displayed frame, and once a tick.
void update_input_frame();
void read_key_player();
void count_held_buttons();
void update_controller_edges();
uint8_t rotate_direction_bits(uint8_t bits);
bool direction_valid(uint8_t bits);

// The menus.
void poll_live_input();
void read_keyboard_controller();
void read_joystick_controller(int32_t n);
void poll_mouse_state();
void input_reset();
void map_key_to_actions(int32_t controller, int32_t frame_record, uint8_t value);

// The match's and the front end's way to the records by number.
controller_record* controller_at(int32_t index);            // nullptr outside the table
int32_t controller_index(const controller_record* record);  // -1 when not a record
int32_t controller_side(int32_t index);
void set_controller_side(int32_t index, int32_t side);
PlayerSlot* controller_man(int32_t index);  // the man the controller drives
void set_controller_man(int32_t index, PlayerSlot* man);
void clear_controller_men(int32_t index);

int32_t controller_count();
// Joystick n's device information.
int joystick_info(int32_t n, HostDeviceInfo* info);
int32_t controller_present(int32_t n);
bool keyboard_player_active();
