#include "host/host_input.h"
#include "host/host_test_hooks.h"
#include "host/host_sdl.h"

#include "host/clock.h"
#include "host/events.h"
#include "host/keymap.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

struct HostInputDevice {
    HostDeviceKind kind;
    SDL_Joystick* joystick;
    bool acquired;
    int32_t range_min[2], range_max[2];
    int32_t dead_zone[2];
};

namespace {

template <typename Event>
struct EventQueue {
    Event events[HOST_EVENT_BUFFER];
    int head, count;
    bool overflowed;

    void push(const Event& e)
    {
        if (count == HOST_EVENT_BUFFER) {
            overflowed = true;
            return;
        }
        events[(head + count) % HOST_EVENT_BUFFER] = e;
        ++count;
    }
    bool pop(Event* e)
    {
        if (count == 0) return false;
        *e = events[head];
        head = (head + 1) % HOST_EVENT_BUFFER;
        --count;
        return true;
    }
    void clear() { head = count = 0, overflowed = false; }
};

EventQueue<HostKeyEvent> g_keys;
EventQueue<HostMouseEvent> g_mouse;
HostInputDevice* g_keyboard;  // the acquired keyboard and mouse, if any
HostInputDevice* g_mouse_device;
int32_t g_cursor_x, g_cursor_y;
bool g_joysticks_started;
SDL_Joystick* g_raw_joysticks[16];
void (*g_debug_hook)(const char*);

constexpr int32_t SDL_AXIS_LIMIT = 32767;

bool start_joysticks()
{
    if (g_joysticks_started) return true;
    // Pads must keep reading while another window has the focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
    g_joysticks_started = true;
    return true;
}

// SDL's -32768..32767 onto min..max, everything within the dead zone reading
// the middle exactly, the rest stretched so that the full throw still reaches
// the ends.
int32_t scale_axis(int32_t raw, int32_t min, int32_t max, int32_t dead_zone)
{
    int64_t v = raw < -SDL_AXIS_LIMIT ? -SDL_AXIS_LIMIT : raw;
    int64_t centre = (static_cast<int64_t>(min) + max + 1) / 2;
    int64_t dead = static_cast<int64_t>(SDL_AXIS_LIMIT) * dead_zone / 10000;
    int64_t magnitude = v < 0 ? -v : v;
    if (magnitude <= dead) return static_cast<int32_t>(centre);
    int64_t live = SDL_AXIS_LIMIT - dead;
    int64_t out = v > 0 ? centre + (magnitude - dead) * (max - centre) / live
                        : centre - (magnitude - dead) * (centre - min) / live;
    return static_cast<int32_t>(out);
}

bool valid_axis(const HostInputDevice* d, int axis)
{
    return d && d->kind == HOST_DEVICE_JOYSTICK && !d->acquired && (axis == HOST_AXIS_X || axis == HOST_AXIS_Y);
}

// Events give window points; the cursor is kept as a desktop point.
void set_cursor_from(uint32_t window_id, int32_t x, int32_t y)
{
    int wx = 0, wy = 0;
    if (SDL_Window* window = window_id ? SDL_GetWindowFromID(window_id) : nullptr) SDL_GetWindowPosition(window, &wx, &wy);
    g_cursor_x = x + wx;
    g_cursor_y = y + wy;
}

int mouse_button_event(uint8_t sdl_button)
{
    switch (sdl_button) {
    case SDL_BUTTON_LEFT: return HOST_MOUSE_BUTTON_0;
    case SDL_BUTTON_RIGHT: return HOST_MOUSE_BUTTON_1;
    case SDL_BUTTON_MIDDLE: return HOST_MOUSE_BUTTON_2;
    case SDL_BUTTON_X1: return HOST_MOUSE_BUTTON_3;
    default: return -1;
    }
}

} // namespace

int host_count_devices(HostDeviceKind kind)
{
    switch (kind) {
    case HOST_DEVICE_KEYBOARD:
    case HOST_DEVICE_MOUSE: return 1;
    case HOST_DEVICE_JOYSTICK: return start_joysticks() ? SDL_NumJoysticks() : 0;
    }
    return 0;
}

HostInputDevice* host_create_device(HostDeviceKind kind, int index)
{
    if (index < 0 || index >= host_count_devices(kind)) return nullptr;
    SDL_Joystick* joystick = nullptr;
    if (kind == HOST_DEVICE_JOYSTICK) {
        joystick = SDL_JoystickOpen(index);
        if (!joystick) return nullptr;
    }
    HostInputDevice* d = new HostInputDevice{};
    d->kind = kind;
    d->joystick = joystick;
    for (int axis = 0; axis < 2; ++axis) d->range_max[axis] = 65535;
    return d;
}

void host_release_device(HostInputDevice* device)
{
    if (!device) return;
    host_unacquire_device(device);
    if (device->joystick) SDL_JoystickClose(device->joystick);
    delete device;
}

bool host_acquire_device(HostInputDevice* device)
{
    if (!device) return false;
    host_add_event_listener(host_input_event);
    if (device->acquired) return true;
    if (device->kind == HOST_DEVICE_KEYBOARD) {
        if (g_keyboard) return false;
        g_keyboard = device;
        g_keys.clear();
    } else if (device->kind == HOST_DEVICE_MOUSE) {
        if (g_mouse_device) return false;
        g_mouse_device = device;
        g_mouse.clear();
    } else if (!SDL_JoystickGetAttached(device->joystick)) {
        return false;
    }
    device->acquired = true;
    return true;
}

void host_unacquire_device(HostInputDevice* device)
{
    if (!device || !device->acquired) return;
    device->acquired = false;
    if (g_keyboard == device) g_keyboard = nullptr;
    if (g_mouse_device == device) g_mouse_device = nullptr;
}

bool host_get_device_caps(const HostInputDevice* device, HostInputCaps* caps)
{
    if (!device) return false;
    switch (device->kind) {
    case HOST_DEVICE_KEYBOARD: *caps = {0, 128}; break;
    case HOST_DEVICE_MOUSE: *caps = {2, static_cast<uint32_t>(host_mouse_button_count())}; break;
    case HOST_DEVICE_JOYSTICK: {
        int axes = SDL_JoystickNumAxes(device->joystick);
        int buttons = SDL_JoystickNumButtons(device->joystick);
        if (axes < 0 || buttons < 0) return false;
        caps->axes = static_cast<uint32_t>(axes);
        caps->buttons = static_cast<uint32_t>(buttons < HOST_JOYSTICK_BUTTONS ? buttons : HOST_JOYSTICK_BUTTONS);
        break;
    }
    }
    return true;
}

int host_get_device_info(const HostInputDevice* device, HostDeviceInfo* info)
{
    if (!device || !info || info->size != sizeof(HostDeviceInfo)) return HOST_INPUT_FAILED;
    info->kind = device->kind;
    const char* name = "Keyboard";
    if (device->kind == HOST_DEVICE_MOUSE) name = "Mouse";
    if (device->kind == HOST_DEVICE_JOYSTICK) {
        name = SDL_JoystickName(device->joystick);
        if (!name) name = "Joystick";
    }
    std::snprintf(info->product_name, sizeof info->product_name, "%s", name);
    std::snprintf(info->instance_name, sizeof info->instance_name, "%s", name);
    return HOST_INPUT_OK;
}

bool host_set_axis_range(HostInputDevice* joystick, int axis, int32_t min, int32_t max)
{
    if (!valid_axis(joystick, axis) || min >= max) return false;
    joystick->range_min[axis] = min;
    joystick->range_max[axis] = max;
    return true;
}

bool host_set_axis_dead_zone(HostInputDevice* joystick, int axis, int32_t dead_zone)
{
    if (!valid_axis(joystick, axis) || dead_zone < 0 || dead_zone > 10000) return false;
    joystick->dead_zone[axis] = dead_zone;
    return true;
}

bool host_get_joystick_state(HostInputDevice* joystick, HostJoystickState* state)
{
    std::memset(state, 0, sizeof *state);
    if (!joystick || joystick->kind != HOST_DEVICE_JOYSTICK) return false;
    state->x = scale_axis(0, joystick->range_min[0], joystick->range_max[0], joystick->dead_zone[0]);
    state->y = scale_axis(0, joystick->range_min[1], joystick->range_max[1], joystick->dead_zone[1]);
    if (!joystick->acquired) return false;
    SDL_JoystickUpdate();
    if (!SDL_JoystickGetAttached(joystick->joystick)) return false;
    int16_t raw[2] = {0, 0};
    for (int axis = 0; axis < 2 && axis < SDL_JoystickNumAxes(joystick->joystick); ++axis)
        raw[axis] = SDL_JoystickGetAxis(joystick->joystick, axis);
    state->x = scale_axis(raw[0], joystick->range_min[0], joystick->range_max[0], joystick->dead_zone[0]);
    state->y = scale_axis(raw[1], joystick->range_min[1], joystick->range_max[1], joystick->dead_zone[1]);
    // A pad's d-pad is often a hat rather than axes: pushed, it reads as the
    // stick at the end of its throw, over whatever the stick says.
    if (SDL_JoystickNumHats(joystick->joystick) > 0) {
        uint8_t hat = SDL_JoystickGetHat(joystick->joystick, 0);
        if (hat & SDL_HAT_LEFT) state->x = joystick->range_min[0];
        if (hat & SDL_HAT_RIGHT) state->x = joystick->range_max[0];
        if (hat & SDL_HAT_UP) state->y = joystick->range_min[1];
        if (hat & SDL_HAT_DOWN) state->y = joystick->range_max[1];
    }
    int buttons = SDL_JoystickNumButtons(joystick->joystick);
    for (int i = 0; i < buttons && i < HOST_JOYSTICK_BUTTONS; ++i)
        state->buttons[i] = SDL_JoystickGetButton(joystick->joystick, i) ? 0x80 : 0;
    return true;
}

int host_get_keyboard_data(HostInputDevice* keyboard, HostKeyEvent* events, int max, int* count)
{
    *count = 0;
    if (!keyboard || keyboard->kind != HOST_DEVICE_KEYBOARD) return HOST_INPUT_FAILED;
    if (!keyboard->acquired) return HOST_INPUT_NOT_ACQUIRED;
    while (*count < max && g_keys.pop(&events[*count])) ++*count;
    bool lost = g_keys.overflowed;
    g_keys.overflowed = false;
    return lost ? HOST_INPUT_OVERFLOW : HOST_INPUT_OK;
}

int host_get_mouse_event(HostInputDevice* mouse, HostMouseEvent* event)
{
    if (!mouse || mouse->kind != HOST_DEVICE_MOUSE) return HOST_INPUT_FAILED;
    if (!mouse->acquired) return HOST_INPUT_NOT_ACQUIRED;
    return g_mouse.pop(event) ? HOST_INPUT_OK : HOST_INPUT_EMPTY;
}

void host_get_cursor_pos(int32_t* x, int32_t* y)
{
    *x = g_cursor_x;
    *y = g_cursor_y;
}

void host_set_cursor_pos(int32_t x, int32_t y)
{
    g_cursor_x = x;
    g_cursor_y = y;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_WarpMouseGlobal(x, y);
}

// SDL cannot tell how many buttons the mouse has; left, right and middle is
// what a player is sure to have.
int host_mouse_button_count() { return 3; }

bool host_read_raw_joystick(int id, uint32_t* x, uint32_t* y, uint32_t* buttons, uint32_t* button_count)
{
    if (id < 0 || id >= 16 || id >= host_count_devices(HOST_DEVICE_JOYSTICK)) return false;
    SDL_Joystick*& joystick = g_raw_joysticks[id];
    if (joystick && !SDL_JoystickGetAttached(joystick)) {
        SDL_JoystickClose(joystick);
        joystick = nullptr;
    }
    if (!joystick) joystick = SDL_JoystickOpen(id);
    if (!joystick) return false;
    SDL_JoystickUpdate();
    int axes = SDL_JoystickNumAxes(joystick);
    *x = static_cast<uint32_t>((axes > 0 ? SDL_JoystickGetAxis(joystick, 0) : 0) + 32768);
    *y = static_cast<uint32_t>((axes > 1 ? SDL_JoystickGetAxis(joystick, 1) : 0) + 32768);
    int count = SDL_JoystickNumButtons(joystick);
    if (count > HOST_JOYSTICK_BUTTONS) count = HOST_JOYSTICK_BUTTONS;
    *buttons = 0;
    for (int i = 0; i < count; ++i)
        if (SDL_JoystickGetButton(joystick, i)) *buttons |= 1u << i;
    *button_count = count < 0 ? 0 : static_cast<uint32_t>(count);
    return true;
}

void host_input_event(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        // The game wants presses and releases, never the typematic repeats.
        if (!g_keyboard || event.key.repeat) return;
        uint8_t code = host_key_code(event.key.keysym.scancode);
        if (code == 0) return;
        g_keys.push({code, static_cast<uint8_t>(event.type == SDL_KEYDOWN ? 0x80 : 0), host_time_ms()});
        return;
    }
    case SDL_MOUSEMOTION:
        set_cursor_from(event.motion.windowID, event.motion.x, event.motion.y);
        if (!g_mouse_device) return;
        if (event.motion.xrel) g_mouse.push({HOST_MOUSE_X, event.motion.xrel});
        if (event.motion.yrel) g_mouse.push({HOST_MOUSE_Y, event.motion.yrel});
        return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        set_cursor_from(event.button.windowID, event.button.x, event.button.y);
        int what = mouse_button_event(event.button.button);
        if (!g_mouse_device || what < 0) return;
        g_mouse.push({static_cast<HostMouseEventKind>(what), event.type == SDL_MOUSEBUTTONDOWN ? 0x80 : 0});
        return;
    }
    default: return;
    }
}

void host_input_shutdown()
{
    g_keyboard = g_mouse_device = nullptr;
    g_keys.clear();
    g_mouse.clear();
    for (SDL_Joystick*& joystick : g_raw_joysticks) {
        if (joystick) SDL_JoystickClose(joystick);
        joystick = nullptr;
    }
    if (g_joysticks_started) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    g_joysticks_started = false;
}

void host_debug_output(const char* text)
{
    if (g_debug_hook) {
        g_debug_hook(text);
        return;
    }
    if (std::getenv("KOB99_DEBUG_OUTPUT")) std::fputs(text, stderr);
}

void host_set_debug_output_hook(void (*hook)(const char* text)) { g_debug_hook = hook; }
