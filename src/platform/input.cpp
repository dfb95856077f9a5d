#include "platform/input.h"

#include "platform/mouse.h"

#include <cstring>

uint8_t key_state[256];
namespace {
uint8_t release_next_poll[256];
}
uint32_t key_down_time[256];
uint8_t mouse_buttons;

InputDeviceEntry joystick_devices[MAX_JOYSTICK_DEVICES];
InputDeviceEntry keyboard_device, mouse_device;
int32_t joystick_device_count, keyboard_device_count, mouse_device_count;

namespace {

void* g_instance;
HostWindow* g_window;
int32_t g_start_cursor_x, g_start_cursor_y;

void release_entry(InputDeviceEntry* entry)
{
    host_release_device(entry->device);
    *entry = {};
}

// One joystick found: true to go on looking.
bool create_joystick(int index)
{
    if (joystick_device_count >= MAX_JOYSTICK_DEVICES) {
        host_debug_output("Too many joystick devices.\n");
        return false;
    }
    InputDeviceEntry* entry = &joystick_devices[joystick_device_count];
    entry->device = host_create_device(HOST_DEVICE_JOYSTICK, index);
    if (!entry->device) {
        host_debug_output("Failed to create device.\n");
        return false;
    }
    if (!di_set_joystick_range_and_deadzone(entry, 0, JOYSTICK_RANGE_MAX, JOYSTICK_DEAD_ZONE)) {
        host_debug_output("di_set_joystick_range_and_deadzone FAILED\n");
        release_entry(entry);
        return true;
    }
    if (!host_acquire_device(entry->device)) {
        host_debug_output("IDirectInputDevice::Acquire FAILED\n");
        release_entry(entry);
        return true;
    }
    ++joystick_device_count;
    return true;
}

// The keyboard or the mouse: one device of each at most; true to go on looking.
bool create_single(HostDeviceKind kind, int index, InputDeviceEntry* entry, int32_t* count, const char* too_many)
{
    if (*count > 0) {
        host_debug_output(too_many);
        return false;
    }
    entry->device = host_create_device(kind, index);
    if (!entry->device) return true;
    if (!host_acquire_device(entry->device)) {
        release_entry(entry);
        return true;
    }
    ++*count;
    return false;
}

void enumerate_single(HostDeviceKind kind, InputDeviceEntry* entry, int32_t* count, const char* too_many)
{
    int found = host_count_devices(kind);
    for (int i = 0; i < found; ++i)
        if (!create_single(kind, i, entry, count, too_many)) break;
    if (*count > 0 && get_device_caps(entry)) entry->type = kind;
}

} // namespace

int create_direct_input(void* instance)
{
    g_instance = instance;
    return 1;
}

int init_direct_input(void* instance, HostWindow* window)
{
    std::memset(key_down_time, 0, sizeof key_down_time);
    std::memset(key_state, 0, sizeof key_state);
    g_window = window;
    create_direct_input(instance);

    int first = joystick_device_count;
    int found = host_count_devices(HOST_DEVICE_JOYSTICK);
    for (int i = 0; i < found; ++i)
        if (!create_joystick(i)) break;
    for (int n = first; n < joystick_device_count; ++n)
        if (get_device_caps(&joystick_devices[n])) joystick_devices[n].type = HOST_DEVICE_JOYSTICK;

    enumerate_single(HOST_DEVICE_KEYBOARD, &keyboard_device, &keyboard_device_count, "Too many keyboard devices.\n");
    enumerate_single(HOST_DEVICE_MOUSE, &mouse_device, &mouse_device_count, "Too many mouse devices.\n");
    host_get_cursor_pos(&g_start_cursor_x, &g_start_cursor_y);
    return 1;
}

void release_input_devices()
{
    for (int n = 0; n < joystick_device_count; ++n) release_entry(&joystick_devices[n]);
    if (keyboard_device_count) release_entry(&keyboard_device);
    if (mouse_device_count) release_entry(&mouse_device);
    joystick_device_count = keyboard_device_count = mouse_device_count = 0;
    std::memset(release_next_poll, 0, sizeof release_next_poll);
    host_input_shutdown();
}

int di_set_joystick_range_and_deadzone(InputDeviceEntry* entry, int32_t min, int32_t max, int32_t dead_zone)
{
    if (!entry->device) return 0;
    host_unacquire_device(entry->device);
    if (!host_set_axis_range(entry->device, HOST_AXIS_X, min, max)) {
        host_debug_output("SetProperty(RANGE, X-Axis) failed.\n");
        return 0;
    }
    if (!host_set_axis_range(entry->device, HOST_AXIS_Y, min, max)) {
        host_debug_output("SetProperty(RANGE, Y-Axis) failed.\n");
        return 0;
    }
    if (!host_set_axis_dead_zone(entry->device, HOST_AXIS_X, dead_zone)) {
        host_debug_output("SetProperty(DEADZONE, X-Axis) failed.\n");
        return 0;
    }
    if (!host_set_axis_dead_zone(entry->device, HOST_AXIS_Y, dead_zone)) {
        host_debug_output("SetProperty(DEADZONE, Y-Axis) failed.\n");
        return 0;
    }
    return 1;
}

int get_device_caps(InputDeviceEntry* entry) { return host_get_device_caps(entry->device, &entry->caps) ? 1 : 0; }

int acquire_device(HostInputDevice* device) { return device && host_acquire_device(device) ? 1 : 0; }

void poll_keyboard()
{
    if (!keyboard_device_count) return;
    HostKeyEvent events[HOST_EVENT_BUFFER];
    int count = 0;
    // A lost or overflowed buffer tells nothing reliable: keep the table as it is.
    if (host_get_keyboard_data(keyboard_device.device, events, HOST_EVENT_BUFFER, &count) != HOST_INPUT_OK) return;
    // A key let go in the same poll it went down in stays down until the
    // next poll, so that a slow frame still sees the press.
    for (int code = 0; code < 256; ++code) {
        if (release_next_poll[code]) key_state[code] = 0;
        release_next_poll[code] = 0;
    }
    uint8_t pressed_now[256] = {};
    for (int i = 0; i < count; ++i) {
        uint8_t code = events[i].code;
        if (events[i].data & 0x80) {
            key_state[code] = 128;
            key_down_time[code] = events[i].time;
            pressed_now[code] = 1;
            release_next_poll[code] = 0;
        } else if (pressed_now[code]) {
            release_next_poll[code] = 1;
        } else {
            key_state[code] = 0;
        }
    }
}

void read_joystick_state(int32_t n, uint8_t* directions, uint32_t* buttons)
{
    *directions = 0;
    *buttons = 0;
    if (n < 0 || n >= joystick_device_count) return;
    HostJoystickState state;
    if (!host_get_joystick_state(joystick_devices[n].device, &state)) return;
    if (state.x < JOYSTICK_CENTRE) *directions |= DIR_LEFT;
    if (state.x > JOYSTICK_CENTRE) *directions |= DIR_RIGHT;
    if (state.y < JOYSTICK_CENTRE) *directions |= DIR_UP;
    if (state.y > JOYSTICK_CENTRE) *directions |= DIR_DOWN;
    for (int i = 0; i < HOST_JOYSTICK_BUTTONS; ++i)
        if (state.buttons[i] & 0x80) *buttons |= 1u << i;
}

void read_key_state(int32_t n, uint8_t* directions, uint32_t* buttons) { read_joystick_state(n, directions, buttons); }

void read_mouse(int32_t* x, int32_t* y, uint8_t* buttons, int32_t* dx, int32_t* dy)
{
    *dx = *dy = 0;
    HostMouseEvent event;
    for (;;) {
        int result = host_get_mouse_event(mouse_device.device, &event);
        if (result == HOST_INPUT_NOT_ACQUIRED) {
            if (!acquire_device(mouse_device.device)) break;
            continue;
        }
        if (result != HOST_INPUT_OK) break;
        switch (event.what) {
        case HOST_MOUSE_X: *dx += event.data; break;
        case HOST_MOUSE_Y: *dy += event.data; break;
        default: {
            uint8_t bit = static_cast<uint8_t>(1u << (event.what - HOST_MOUSE_BUTTON_0));
            if (event.data & 0x80)
                mouse_buttons |= bit;
            else
                mouse_buttons &= static_cast<uint8_t>(~bit);
        }
        }
    }
    host_get_cursor_pos(x, y);
    desktop_to_game_point(x, y);
    *buttons = mouse_buttons;
}

int32_t input_device_present(int32_t n)
{
    if (n < 0 || n >= joystick_device_count) return 0;
    return static_cast<int32_t>(joystick_devices[n].caps.buttons);
}

int joystick_device_info(int32_t n, HostDeviceInfo* info)
{
    info->size = sizeof *info;
    if (n < 0 || n >= joystick_device_count) return HOST_INPUT_FAILED;
    return host_get_device_info(joystick_devices[n].device, info);
}

void set_cursor_pos(int32_t x, int32_t y)
{
    game_to_desktop_point(&x, &y);
    host_set_cursor_pos(x, y);
}

void run_input_control_panel() {}
