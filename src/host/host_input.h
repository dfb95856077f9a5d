// The input devices of the machine: keyboard, mouse and joysticks over SDL,
// shaped the way the game was written to see them. Keys carry the game's key
// codes (PC set-1 scan codes, extended keys at +128) with the down bit in the
// top of the data byte; keyboard and mouse events wait in buffers of 16, and a
// buffer that overflows says so on its next read; joystick axes come out on a
// range the caller sets, with a dead zone round the centre. Every device is
// shared with the rest of the desktop and is read whether or not the window
// has the focus.
#pragma once


#include <cstddef>
#include <cstdint>

enum HostDeviceKind { HOST_DEVICE_MOUSE = 2, HOST_DEVICE_KEYBOARD = 3, HOST_DEVICE_JOYSTICK = 4 };

enum HostInputResult {
    HOST_INPUT_OK = 0,
    HOST_INPUT_OVERFLOW = 1,       // events were lost since the last read; those returned are stale
    HOST_INPUT_EMPTY = 2,          // no event waiting
    HOST_INPUT_NOT_ACQUIRED = -1,  // the device must be acquired again
    HOST_INPUT_FAILED = -2,
};

constexpr int HOST_EVENT_BUFFER = 16;
constexpr int HOST_JOYSTICK_BUTTONS = 32;
constexpr int HOST_AXIS_X = 0;
constexpr int HOST_AXIS_Y = 1;

struct HostInputDevice;

struct HostKeyEvent {
    uint8_t code;   // game key code
    uint8_t data;   // 0x80 when the key went down, 0 when it came up
    uint32_t time;  // host_time_ms() when it happened
};

enum HostMouseEventKind : uint8_t { HOST_MOUSE_X, HOST_MOUSE_Y, HOST_MOUSE_BUTTON_0, HOST_MOUSE_BUTTON_1, HOST_MOUSE_BUTTON_2, HOST_MOUSE_BUTTON_3 };

struct HostMouseEvent {
    HostMouseEventKind what;
    int32_t data;  // movement for an axis; 0x80 down or 0 up for a button
};

struct HostJoystickState {
    int32_t x, y;                          // on the range set for each axis
    uint8_t buttons[HOST_JOYSTICK_BUTTONS];  // 0x80 when down
};

struct HostInputCaps {
    uint32_t axes;
    uint32_t buttons;
};

struct HostDeviceInfo {
    uint32_t size;  // the caller sets it to sizeof(HostDeviceInfo)
    uint32_t kind;  // HostDeviceKind
    char instance_name[260];
    char product_name[260];
};

// Devices of a kind attached now. There is always one keyboard and one mouse
// (the desktop's); joysticks are every stick and pad SDL finds.
int host_count_devices(HostDeviceKind kind);
// A device of the kind by its number below host_count_devices; nullptr when
// it cannot be opened. A new joystick reads axes on 0..65535 with no dead zone.
HostInputDevice* host_create_device(HostDeviceKind kind, int index);
void host_release_device(HostInputDevice* device);
// Keyboard and mouse events are buffered only while their device is acquired.
bool host_acquire_device(HostInputDevice* device);
void host_unacquire_device(HostInputDevice* device);
bool host_get_device_caps(const HostInputDevice* device, HostInputCaps* caps);
// HOST_INPUT_OK, or HOST_INPUT_FAILED for a null device or a wrong size field.
int host_get_device_info(const HostInputDevice* device, HostDeviceInfo* info);

// Joystick axis properties. The dead zone is in 1/10000 of the half range:
// 1000 makes the inner 10 per cent on each side of the centre read exactly the
// middle of the range, (min + max + 1) / 2. Both fail on an acquired device.
bool host_set_axis_range(HostInputDevice* joystick, int axis, int32_t min, int32_t max);
bool host_set_axis_dead_zone(HostInputDevice* joystick, int axis, int32_t dead_zone);
// Polls the stick (axes 0 and 1; the first hat, when pushed, reads as those
// axes at the ends of their range). False (and a state at rest) when it is
// gone or not acquired.
bool host_get_joystick_state(HostInputDevice* joystick, HostJoystickState* state);

// Takes up to max buffered key events; HOST_INPUT_OVERFLOW when some were lost.
int host_get_keyboard_data(HostInputDevice* keyboard, HostKeyEvent* events, int max, int* count);
// Takes one buffered mouse event: HOST_INPUT_OK, HOST_INPUT_EMPTY or
// HOST_INPUT_NOT_ACQUIRED.
int host_get_mouse_event(HostInputDevice* mouse, HostMouseEvent* event);

// The cursor as a desktop point, as last seen by the events; moving it.
void host_get_cursor_pos(int32_t* x, int32_t* y);
void host_set_cursor_pos(int32_t x, int32_t y);
// Buttons the mouse offers to the game.
int host_mouse_button_count();

// Every joystick SDL knows, read the old multimedia way: axes on 0..65535
// without a dead zone, the first 32 buttons as bits. False when there is no
// such joystick.
bool host_read_raw_joystick(int id, uint32_t* x, uint32_t* y, uint32_t* buttons, uint32_t* button_count);

// Releases everything and forgets buffered events (shut-down and tests).
void host_input_shutdown();

// Messages the input layer leaves for the developer (stderr when
// KOB99_DEBUG_OUTPUT is set); tests may catch them.
void host_debug_output(const char* text);
