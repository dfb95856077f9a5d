#include "platform/controllers.h"
#include "host/picture.h"

#include "host/clock.h"
#include "platform/input.h"
#include "platform/input_record.h"
#include "platform/mouse.h"
#include "platform/settings_targets.h"

#include <cstring>

namespace {
CameraYawReader g_camera_yaw = nullptr;
}

void set_camera_yaw_reader(CameraYawReader reader) { g_camera_yaw = reader; }

controller_record controllers[CONTROLLER_RECORDS];
int32_t joystick_controllers = -1, mouse_controller = -1, keyboard_controller = -1, controller_total = 0;
int32_t input_mode;
InputFrame input_frame;
uint32_t input_word_table[256];

const DirectionRow direction_table[16] = {
    // dx  dy  angle  valid
    {0, 0, 0, 0},         // 0
    {0, 1, 0, 1},         // 1 up
    {0, -1, 8192, 1},     // 2 down
    {0, 0, 0, 0},         // 3 up + down
    {-1, 0, 12288, 1},    // 4 left
    {-1, 1, 14336, 1},    // 5 up left
    {-1, -1, 10240, 1},   // 6 down left
    {-1, 0, 12288, 1},    // 7
    {1, 0, 4096, 1},      // 8 right
    {1, 1, 2048, 1},      // 9 up right
    {1, -1, 6144, 1},     // 10 down right
    {1, 0, 4096, 1},      // 11
    {0, 0, 0, 0},         // 12 left + right
    {0, 1, 0, 1},         // 13
    {0, -1, 8192, 1},     // 14
    {0, 0, 0, 0},         // 15
};

namespace {

// By camera quadrant, what raw left, right, up and down become.
const uint8_t camera_turn_table[4][4] = {
    {DIR_LEFT, DIR_RIGHT, DIR_UP, DIR_DOWN},
    {DIR_UP, DIR_DOWN, DIR_RIGHT, DIR_LEFT},
    {DIR_RIGHT, DIR_LEFT, DIR_DOWN, DIR_UP},
    {DIR_DOWN, DIR_UP, DIR_LEFT, DIR_RIGHT},
};
const uint8_t turn_order[4] = {DIR_LEFT, DIR_RIGHT, DIR_UP, DIR_DOWN};

// Bytes of key_state for direction bits 4, 8, 1, 2, then actions 1..4.
uint8_t* key_bindings[8] = {
    &key_state[KEY_LEFT], &key_state[KEY_RIGHT], &key_state[KEY_UP], &key_state[KEY_DOWN],
    &key_state[KEY_1],    &key_state[KEY_2],     &key_state[KEY_3],  &key_state[KEY_4],
};

constexpr uint32_t MENU_REPEAT_MS = 500;
// The 2D screen is always 640 x 480.
constexpr int32_t SCREEN_WIDTH = PICTURE_WIDTH;
constexpr int32_t SCREEN_HEIGHT = PICTURE_HEIGHT;
constexpr int32_t IDLE_TICKS = 30;
constexpr int32_t KEYBOARD_AXIS_CENTRE = 16384;
constexpr int32_t KEYBOARD_AXIS_MAX = 32767;

int32_t plus_one(int32_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v) + 1u); }

void keyboard_bits(uint8_t* dirs, uint8_t* actions)
{
    *dirs = *actions = 0;
    for (int i = 0; i < 4; ++i) {
        if (*key_bindings[i]) *dirs |= turn_order[i];
        if (*key_bindings[4 + i]) *actions |= static_cast<uint8_t>(1u << i);
    }
}

// This frame's record into the controller, kept and turned to the camera.
void take_frame_record(controller_record& c, const input_record& r)
{
    c.prev_dirs = c.dirs;
    c.prev_raw_dirs = c.raw_dirs;
    c.raw_dirs = r.dirs;
    c.dirs = rotate_direction_bits(r.dirs);
    c.prev_buttons = c.buttons;
    c.buttons = r.actions;
}

// The slot this frame's next record goes in: from the recording in playback
// (a failed read leaves the slot as the last frame left it), else live.
input_record* frame_slot() { return &input_frame.records[input_frame.count]; }

bool from_recording(input_record* slot)
{
    if (input_mode != INPUT_PLAYBACK) return false;
    read_input_record(slot);
    return true;
}

void read_joystick_frame(int32_t n)
{
    controller_record& c = controllers[n];
    uint8_t live_dirs;
    uint32_t live_buttons;
    read_key_state(n, &live_dirs, &live_buttons);
    input_record* r = frame_slot();
    if (!from_recording(r)) {
        r->controller = static_cast<uint8_t>(n);
        r->dirs = live_dirs;
        r->actions = 0;
        for (int b = 0; b < 32; ++b) {
            if (!(live_buttons & (1u << b))) continue;
            for (int k = 0; k < 4; ++k)
                if ((1u << b) == c.button_map[k]) r->actions |= static_cast<uint8_t>(1u << k);
        }
    }
    c.axis_x = (live_dirs & DIR_RIGHT) ? 1 : (live_dirs & DIR_LEFT) ? -1 : 0;
    c.axis_y = (live_dirs & DIR_DOWN) ? 1 : (live_dirs & DIR_UP) ? -1 : 0;
    take_frame_record(c, *r);
    ++input_frame.count;
}

// The match keeps the pointer inside the screen as well.
void store_mouse_position(int32_t x, int32_t y)
{
    mouse_state.x = x;
    mouse_state.y = y;
    mouse_state.clamped_x = x < 0 ? 0 : x > SCREEN_WIDTH - 1 ? SCREEN_WIDTH - 1 : x;
    mouse_state.clamped_y = y < 0 ? 0 : y > SCREEN_HEIGHT - 1 ? SCREEN_HEIGHT - 1 : y;
}

void read_mouse_frame()
{
    controller_record& c = controllers[mouse_controller];
    int32_t x, y, dx, dy;
    uint8_t buttons;
    read_mouse(&x, &y, &buttons, &dx, &dy);
    store_mouse_position(x, y);
    mouse_state.menu_buttons = 0;
    // Written past the count: the mouse is never recorded.
    input_record* r = frame_slot();
    r->controller = static_cast<uint8_t>(mouse_controller);
    r->dirs = static_cast<uint8_t>((dx ? DIR_RIGHT : 0) | (dy ? DIR_DOWN : 0));
    r->actions = buttons & 0x0F;
    take_frame_record(c, *r);
    c.axis_x = dx;
    c.axis_y = dy;
}

void edges(uint32_t prev, uint32_t now, uint32_t* pressed, uint32_t* released)
{
    *pressed = (prev ^ now) & now;
    *released = (prev ^ now) & prev;
}

void edges(uint8_t prev, uint8_t now, uint8_t* pressed, uint8_t* released)
{
    *pressed = static_cast<uint8_t>((prev ^ now) & now);
    *released = static_cast<uint8_t>((prev ^ now) & prev);
}

// When each record's up, down, left and right last stepped a menu. Kept apart
// from the held and idle counts, which the edge step zeroes whenever a stick
// comes on or goes off: sharing them made every step a double step.
uint32_t menu_repeat_time[CONTROLLER_RECORDS][4];

bool menu_repeat_due(int32_t n, int direction, uint32_t now)
{
    uint32_t& last = menu_repeat_time[n][direction];
    if (now - last <= MENU_REPEAT_MS) return false;
    last = now;
    return true;
}

bool is_controller(int32_t n) { return n >= 0 && n < CONTROLLER_RECORDS; }

} // namespace

bool direction_valid(uint8_t bits) { return direction_table[bits & 15].valid != 0; }

uint8_t rotate_direction_bits(uint8_t bits)
{
    const int32_t camera_yaw = g_camera_yaw ? g_camera_yaw() : 0;
    uint32_t quadrant = ((static_cast<uint32_t>(camera_yaw) + 2048u) >> 12) & 3u;
    uint8_t turned = 0;
    for (int i = 0; i < 4; ++i)
        if (bits & turn_order[i]) turned |= camera_turn_table[quadrant][i];
    return turned;
}

int start_input(void* instance, HostWindow* window)
{
    init_direct_input(instance, window);
    init_controllers();
    return 1;
}

void init_controllers()
{
    std::memset(menu_repeat_time, 0, sizeof menu_repeat_time);
    for (int i = 0; i < CONTROLLER_RECORDS; ++i) {
        controllers[i].index = i;
        controllers[i].kind = CONTROLLER_NONE;
        controllers[i].present = 0;
    }
    joystick_controllers = joystick_device_count < MAX_JOYSTICK_CONTROLLERS ? joystick_device_count
                                                                            : MAX_JOYSTICK_CONTROLLERS;
    mouse_controller = joystick_controllers;
    keyboard_controller = joystick_controllers + 1;
    controller_total = joystick_controllers + 2;
    for (int i = 0; i < controller_total; ++i) {
        controllers[i].present = 1;
        controllers[i].kind = i < joystick_controllers ? CONTROLLER_JOYSTICK
                              : i == mouse_controller  ? CONTROLLER_MOUSE
                                                       : CONTROLLER_KEYBOARD;
    }
}

void shutdown_input()
{
    release_input_devices();
    joystick_controllers = -1;
    mouse_controller = -1;
}

void set_controller_keys(int32_t controller, uint8_t mask1, uint8_t mask2, uint8_t mask3, uint8_t mask4)
{
    if (controller < 0 || controller >= joystick_controllers) return;
    uint8_t* map = controllers[controller].button_map;
    map[0] = mask1;
    map[1] = mask2;
    map[2] = mask3;
    map[3] = mask4;
}

void set_key_mapping(uint32_t left, uint32_t right, uint32_t up, uint32_t down, uint32_t action1,
                     uint32_t action2, uint32_t action3, uint32_t action4)
{
    const uint32_t codes[8] = {left, right, up, down, action1, action2, action3, action4};
    // A code past the key table (a damaged settings file) keeps the old binding.
    for (int i = 0; i < 8; ++i)
        if (codes[i] < 256) key_bindings[i] = &key_state[codes[i]];
}

// The settings name their four direction keys after the bits they feed:
// "left" drives up (1), "right" down (2), "up" left (4), "down" right (8).
void bind_keys(const uint32_t key_codes[8])
{
    set_key_mapping(key_codes[2], key_codes[3], key_codes[0], key_codes[1], key_codes[4], key_codes[5],
                    key_codes[6], key_codes[7]);
}

void read_key_player()
{
    poll_keyboard();
    if (!is_controller(keyboard_controller)) return;
    controller_record& c = controllers[keyboard_controller];
    if (c.side == 0) return;
    input_record* r = frame_slot();
    if (!from_recording(r)) {
        r->controller = static_cast<uint8_t>(keyboard_controller);
        keyboard_bits(&r->dirs, &r->actions);
    }
    take_frame_record(c, *r);
    c.axis_x = c.axis_y = KEYBOARD_AXIS_CENTRE;
    ++input_frame.count;
}

void update_input_frame()
{
    input_frame.count = 0;
    read_key_player();
    for (int32_t n = 0; n < joystick_controllers; ++n)
        if (controllers[n].side != 0) read_joystick_frame(n);
    if (is_controller(mouse_controller)) read_mouse_frame();
    update_controller_edges();
    if (input_mode == INPUT_RECORDING && input_frame.count > 0)
        write_input_records(input_frame.records, input_frame.count);
}

// Every record in use gets its edges, however many joysticks come before the
// keyboard.
void update_controller_edges()
{
    for (int32_t i = 0; i < controller_total && i < CONTROLLER_RECORDS; ++i) {
        controller_record& c = controllers[i];
        edges(c.prev_buttons, c.buttons, &c.pressed, &c.released);
        edges(c.prev_dirs, c.dirs, &c.dirs_pressed, &c.dirs_released);
        edges(c.prev_raw_dirs, c.raw_dirs, &c.raw_dirs_pressed, &c.raw_dirs_released);
        for (int k = 0; k < 4; ++k) {
            if (c.released & (1u << k)) c.button_hold[k] = -1;
            if (c.pressed & (1u << k)) c.button_hold[k] = 0;
        }
        bool was_valid = direction_valid(c.prev_dirs), is_valid = direction_valid(c.dirs);
        if (was_valid && !is_valid) {
            c.dir_flags = (c.dir_flags & ~30u) | DIR_FLAG_RELEASED;
            for (DirCount& d : c.dir_count) d.idle = 0;
        }
        if (!was_valid && is_valid)
            for (DirCount& d : c.dir_count) d.held = 0;
    }
}

void count_held_buttons()
{
    for (controller_record& c : controllers) {
        if (c.side == 0) continue;
        for (int k = 0; k < 4; ++k)
            if (c.buttons & (1u << k)) c.button_hold[k] = plus_one(c.button_hold[k]);
        c.dir_flags &= ~DIR_FLAG_RELEASED;
        for (int k = 0; k < 4; ++k) {
            DirCount& d = c.dir_count[k];
            if (c.dirs & (1u << k)) {
                d.held = plus_one(d.held);
            } else {
                d.idle = plus_one(d.idle);
                if (d.idle > IDLE_TICKS) c.dir_flags |= 2u << k;
            }
        }
        c.pressed = c.released = 0;
        c.dirs_pressed = c.dirs_released = c.raw_dirs_pressed = c.raw_dirs_released = 0;
    }
}

void read_keyboard_controller()
{
    poll_keyboard();
    if (!is_controller(keyboard_controller)) return;
    controller_record& c = controllers[keyboard_controller];
    c.prev_dirs = c.dirs;
    c.prev_raw_dirs = c.raw_dirs;
    uint8_t dirs, actions;
    keyboard_bits(&dirs, &actions);
    c.axis_x = (dirs & DIR_RIGHT) ? KEYBOARD_AXIS_MAX : (dirs & DIR_LEFT) ? 0 : KEYBOARD_AXIS_CENTRE;
    c.axis_y = (dirs & DIR_DOWN) ? KEYBOARD_AXIS_MAX : (dirs & DIR_UP) ? 0 : KEYBOARD_AXIS_CENTRE;
    c.dirs = c.raw_dirs = dirs;
    c.prev_buttons = c.buttons;
    c.buttons = actions;
}

// Menus move one step per 500 ms that a stick is held over.
void read_joystick_controller(int32_t n)
{
    if (n < 0 || n >= joystick_controllers) return;
    controller_record& c = controllers[n];
    uint8_t raw;
    uint32_t buttons;
    read_key_state(n, &raw, &buttons);
    c.axis_x = c.axis_y = c.menu_scratch = 0;
    c.prev_dirs = c.dirs;
    c.dirs = 0;
    uint32_t now = host_time_ms();
    if (raw & DIR_LEFT) {
        if (menu_repeat_due(n, 2, now)) c.dirs |= DIR_LEFT, c.axis_x = -1;
    } else if (raw & DIR_RIGHT) {
        if (menu_repeat_due(n, 3, now)) c.dirs |= DIR_RIGHT, c.axis_x = 1;
    }
    if (raw & DIR_UP) {
        if (menu_repeat_due(n, 0, now)) c.dirs |= DIR_UP, c.axis_y = -1;
    } else if (raw & DIR_DOWN) {
        if (menu_repeat_due(n, 1, now)) c.dirs |= DIR_DOWN, c.axis_y = 1;
    }
    c.prev_buttons = c.buttons;
    c.buttons = buttons;
}

void poll_mouse_state()
{
    int32_t x, y, dx, dy;
    uint8_t buttons;
    read_mouse(&x, &y, &buttons, &dx, &dy);
    mouse_state.x = x;
    mouse_state.y = y;
    mouse_state.menu_buttons = buttons;
}

void poll_live_input()
{
    read_keyboard_controller();
    poll_mouse_state();
    for (int32_t n = 0; n < joystick_controllers; ++n) read_joystick_controller(n);
    update_controller_edges();
}

void input_reset()
{
    std::memset(key_state, 0, sizeof key_state);
    std::memset(key_down_time, 0, sizeof key_down_time);
    std::memset(input_word_table, 0, sizeof input_word_table);
    for (int32_t n = 0; n < joystick_controllers; ++n) {
        uint8_t dirs;
        uint32_t buttons;
        read_key_state(n, &dirs, &buttons);
    }
    if (is_controller(keyboard_controller) && controllers[keyboard_controller].side != 0) poll_keyboard();
}

void map_key_to_actions(int32_t controller, int32_t frame_record, uint8_t value)
{
    if (!is_controller(controller) || frame_record < 0 || frame_record >= MAX_FRAME_RECORDS) return;
    for (int k = 0; k < 4; ++k)
        if (controllers[controller].button_map[k] == value)
            input_frame.records[frame_record].actions |= static_cast<uint8_t>(1u << k);
}

controller_record* controller_at(int32_t index) { return is_controller(index) ? &controllers[index] : nullptr; }

int32_t controller_index(const controller_record* record)
{
    for (int32_t i = 0; i < CONTROLLER_RECORDS; ++i)
        if (record == &controllers[i]) return i;
    return -1;
}

int32_t controller_side(int32_t index) { return is_controller(index) ? controllers[index].side : 0; }

void set_controller_side(int32_t index, int32_t side)
{
    if (is_controller(index)) controllers[index].side = side;
}

PlayerSlot* controller_man(int32_t index) { return is_controller(index) ? controllers[index].men[0] : nullptr; }

void set_controller_man(int32_t index, PlayerSlot* man)
{
    if (is_controller(index)) controllers[index].men[0] = man;
}

void clear_controller_men(int32_t index)
{
    if (is_controller(index)) controllers[index].men[0] = controllers[index].men[1] = controllers[index].men[2] = nullptr;
}

int32_t controller_count() { return joystick_controllers; }

int32_t controller_present(int32_t n) { return n < joystick_controllers ? input_device_present(n) : 0; }

bool keyboard_player_active() { return keyboard_controller >= 0; }

int joystick_info(int32_t n, HostDeviceInfo* info) { return joystick_device_info(n, info); }
