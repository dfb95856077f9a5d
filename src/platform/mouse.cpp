#include "platform/mouse.h"

#include "host/host_input.h"
#include "platform/input.h"
#include "host/events.h"
#include "host/window.h"
#include "platform/message_pump.h"
#include "platform/app_state.h"

MouseState mouse_state;
WinmmJoysticks winmm_joysticks;
uint32_t joystick_button_masks[WINMM_JOYSTICKS][4] = {{1, 2, 4, 8}, {1, 2, 4, 8}, {1, 2, 4, 8}, {1, 2, 4, 8}};

namespace {

struct KeyFlag {
    uint8_t key, flag;
};
const KeyFlag key_flags[] = {
    {KEY_LEFT, KEY_FLAG_LEFT}, {KEY_RIGHT, KEY_FLAG_RIGHT}, {KEY_UP, KEY_FLAG_UP},
    {KEY_DOWN, KEY_FLAG_DOWN}, {KEY_ENTER, KEY_FLAG_ENTER},
};

// Outside this band of the 0..65535 axis the stick counts as pushed.
constexpr uint32_t WINMM_LOW = 12288;
constexpr uint32_t WINMM_HIGH = 53249;

} // namespace

void init_mouse(int32_t device)
{
    mouse_state.device = device;
    mouse_state.button_count = static_cast<uint8_t>(host_mouse_button_count());
    mouse_state.new_buttons = 0;
    mouse_state.prev_buttons = 0;
}

// The window's mouse moves, taken into the picture, for the menus.
int32_t mouse_message_hook(HostWindow* window, uint32_t message, uint32_t, uint32_t lparam)
{
    switch (message) {
    case HOST_WM_LBUTTONDOWN: mouse_state.menu_buttons |= 1; return 0;
    case HOST_WM_LBUTTONUP: mouse_state.menu_buttons &= ~1u; return 0;
    case HOST_WM_RBUTTONDOWN: mouse_state.menu_buttons |= 2; return 0;
    case HOST_WM_RBUTTONUP: mouse_state.menu_buttons &= ~2u; return 0;
    case HOST_WM_ERASEBKGND:
        screen_needs_redraw = 1;
        app_suspended = 0;
        return 0;
    case HOST_WM_MOUSEMOVE: break;
    default: return 1;
    }
    int32_t x = static_cast<int16_t>(lparam & 0xFFFFu);
    int32_t y = static_cast<int16_t>(lparam >> 16);
    int wx = 0, wy = 0;
    host_window_position(window, &wx, &wy);
    x += wx;
    y += wy;
    desktop_to_game_point(&x, &y);
    mouse_state.x = x;
    mouse_state.y = y;
    return 0;
}

void poll_mouse()
{
    pump_messages();
    int32_t dx, dy;
    uint8_t buttons;
    read_mouse(&mouse_state.x, &mouse_state.y, &buttons, &dx, &dy);
    mouse_state.menu_buttons = buttons;
    mouse_state.buttons = buttons;
    mouse_state.new_buttons = static_cast<uint8_t>(buttons & ~(mouse_state.prev_buttons & buttons));
    mouse_state.prev_buttons = buttons;
}

uint8_t read_key_flags()
{
    poll_keyboard();
    uint8_t flags = 0;
    for (const KeyFlag& k : key_flags) {
        if (!key_state[k.key]) continue;
        flags |= k.flag;
        key_state[k.key] = 0;
    }
    return flags;
}

void find_winmm_joysticks()
{
    winmm_joysticks.count = 0;
    for (int id = 0; id < WINMM_JOYSTICK_IDS; ++id) {
        uint32_t x, y, buttons, button_count;
        bool found = host_read_raw_joystick(id, &x, &y, &buttons, &button_count);
        winmm_joysticks.present[id] = found ? 1 : 0;
        if (!found || winmm_joysticks.count >= WINMM_JOYSTICKS) continue;
        winmm_joysticks.id[winmm_joysticks.count] = static_cast<uint8_t>(id);
        winmm_joysticks.button_count[winmm_joysticks.count] = static_cast<uint8_t>(button_count);
        ++winmm_joysticks.count;
    }
}

void poll_winmm_joysticks(WinmmReading entries[WINMM_JOYSTICKS])
{
    for (int j = 0; j < winmm_joysticks.count; ++j) {
        uint32_t x, y, buttons, button_count;
        if (!host_read_raw_joystick(winmm_joysticks.id[j], &x, &y, &buttons, &button_count)) continue;
        uint8_t dirs = 0;
        if (x >= WINMM_HIGH) dirs |= DIR_RIGHT;
        if (x < WINMM_LOW) dirs |= DIR_LEFT;
        if (y >= WINMM_HIGH) dirs |= DIR_DOWN;
        if (y < WINMM_LOW) dirs |= DIR_UP;
        entries[j] = {dirs, buttons};
    }
}

uint32_t map_joystick_buttons(const WinmmReading entries[WINMM_JOYSTICKS])
{
    uint32_t packed = 0;
    for (int j = 0; j < WINMM_JOYSTICKS; ++j) {
        uint32_t byte = entries[j].dirs & 0x0Fu;
        for (int k = 0; k < 4; ++k)
            if (joystick_button_masks[j][k] & entries[j].buttons) byte |= 0x10u << k;
        packed |= byte << (8 * j);
    }
    return packed;
}

namespace {
PointMapping g_to_game = nullptr;
PointMapping g_to_desktop = nullptr;
} // namespace

void set_point_mappings(PointMapping to_game, PointMapping to_desktop)
{
    g_to_game = to_game;
    g_to_desktop = to_desktop;
}

void desktop_to_game_point(int32_t* x, int32_t* y)
{
    if (g_to_game) g_to_game(x, y);
}

void game_to_desktop_point(int32_t* x, int32_t* y)
{
    if (g_to_desktop) g_to_desktop(x, y);
}
