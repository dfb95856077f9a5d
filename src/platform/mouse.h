// The mouse as the menus see it, the one-shot menu keys, and the multimedia
// joystick path (kept complete; the game reads its sticks through the input
// devices instead).
#pragma once

#include <cstdint>

struct HostWindow;

// Mouse button bits of the menu bytes.
enum : uint8_t { MOUSE_LEFT = 1, MOUSE_RIGHT = 2, MOUSE_MIDDLE = 4, MOUSE_FOURTH = 8 };
// read_key_flags bits.
enum : uint8_t { KEY_FLAG_UP = 1, KEY_FLAG_DOWN = 2, KEY_FLAG_LEFT = 4, KEY_FLAG_RIGHT = 8, KEY_FLAG_ENTER = 32 };

struct MouseState {
    int32_t x, y;                  // 640 x 480 units
    int32_t clamped_x, clamped_y;  // kept inside the screen by the match read
    uint8_t menu_buttons;
    uint8_t prev_buttons, buttons, new_buttons;
    uint8_t button_count;
    int32_t device;  // given at start, kept for its owner
};
extern MouseState mouse_state;

void init_mouse(int32_t device);

// Between desktop points and the game's 640 x 480 points. The display in use
// installs the mapping that fits it (the screen services'); without one the
// points are taken as they are.
using PointMapping = void (*)(int32_t* x, int32_t* y);
void set_point_mappings(PointMapping to_game, PointMapping to_desktop);
void desktop_to_game_point(int32_t* x, int32_t* y);
void game_to_desktop_point(int32_t* x, int32_t* y);
// The main window passes every message here first: 0 when handled (a mouse
// move into x and y), 1 to pass it on.
int32_t mouse_message_hook(HostWindow* window, uint32_t message, uint32_t wparam, uint32_t lparam);
// Once a menu frame: pumps the messages, reads the mouse, and keeps the
// buttons that came down since the last call.
void poll_mouse();
// Polls the keyboard; each arrow or Enter found down counts once (its
// key_state byte is cleared) until the keyboard reports it down again.
uint8_t read_key_flags();

constexpr int WINMM_JOYSTICK_IDS = 16;
constexpr int WINMM_JOYSTICKS = 4;

struct WinmmJoysticks {
    uint8_t present[WINMM_JOYSTICK_IDS];
    uint8_t id[WINMM_JOYSTICKS];
    uint8_t button_count[WINMM_JOYSTICKS];
    int32_t count;
};
struct WinmmReading {
    uint8_t dirs;
    uint32_t buttons;
};
extern WinmmJoysticks winmm_joysticks;
// Joystick j's mask giving action 1..4.
extern uint32_t joystick_button_masks[WINMM_JOYSTICKS][4];

void find_winmm_joysticks();
// A failed read leaves that joystick's entry as it was.
void poll_winmm_joysticks(WinmmReading entries[WINMM_JOYSTICKS]);
// Byte j (directions in bits 0-3, actions in bits 4-7) for joystick j.
uint32_t map_joystick_buttons(const WinmmReading entries[WINMM_JOYSTICKS]);
