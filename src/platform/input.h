// The input devices: the keyboard into key_state, joysticks as direction and
// button bits, the mouse as movement and buttons. Nothing here is fatal: a
// device that cannot be set up is left out with a note on the debug output.
#pragma once

struct HostWindow;

#include "host/host_input.h"

#include <cstdint>

constexpr int MAX_JOYSTICK_DEVICES = 32;
constexpr int32_t JOYSTICK_RANGE_MAX = 32767;
constexpr int32_t JOYSTICK_CENTRE = 16384;
constexpr int32_t JOYSTICK_DEAD_ZONE = 1000;  // 10 per cent

// Direction bits as the devices give them.
enum : uint8_t { DIR_UP = 1, DIR_DOWN = 2, DIR_LEFT = 4, DIR_RIGHT = 8 };

// Key codes the game names.
enum : uint8_t {
    KEY_ESCAPE = 1, KEY_1 = 2, KEY_2 = 3, KEY_3 = 4, KEY_4 = 5, KEY_ENTER = 28, KEY_Z = 44, KEY_X = 45,
    KEY_C = 46, KEY_V = 47, KEY_PAD_9 = 73, KEY_PAD_8 = 72, KEY_PAD_4 = 75, KEY_PAD_6 = 77, KEY_PAD_3 = 81,
    KEY_PAD_2 = 80, KEY_UP = 200, KEY_LEFT = 203, KEY_RIGHT = 205, KEY_DOWN = 208,
};

struct InputDeviceEntry {
    HostInputDevice* device;
    HostInputCaps caps;
    int32_t type;  // HostDeviceKind once the capabilities were read
};

// Indexed by key code: 128 down, 0 up. Readers that want a key once clear its
// byte themselves; the window-message filter writes here too.
extern uint8_t key_state[256];
extern uint32_t key_down_time[256];
extern uint8_t mouse_buttons;  // bits 1, 2, 4, 8 for mouse buttons 0..3

extern InputDeviceEntry joystick_devices[MAX_JOYSTICK_DEVICES];
extern InputDeviceEntry keyboard_device, mouse_device;
extern int32_t joystick_device_count, keyboard_device_count, mouse_device_count;

int init_direct_input(void* instance, HostWindow* window);
// Creates the input object alone; start-up goes through init_direct_input.
int create_direct_input(void* instance);
void release_input_devices();
void poll_keyboard();
// The entry the controller code reads a stick through.
void read_key_state(int32_t n, uint8_t* directions, uint32_t* buttons);
void read_joystick_state(int32_t n, uint8_t* directions, uint32_t* buttons);
void read_mouse(int32_t* x, int32_t* y, uint8_t* buttons, int32_t* dx, int32_t* dy);
// Button count of joystick n; 0 when there is no such joystick.
int32_t input_device_present(int32_t n);
// HOST_INPUT_OK with info filled (its size field set first), else a failure.
int joystick_device_info(int32_t n, HostDeviceInfo* info);
int get_device_caps(InputDeviceEntry* entry);
int acquire_device(HostInputDevice* device);
int di_set_joystick_range_and_deadzone(InputDeviceEntry* entry, int32_t min, int32_t max, int32_t dead_zone);
// Moves the cursor to a point of the 640 x 480 picture.
void set_cursor_pos(int32_t x, int32_t y);
// There is no control panel for input devices here.
void run_input_control_panel();
