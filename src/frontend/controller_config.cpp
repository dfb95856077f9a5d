#include "frontend/controller_config.h"

#include "frontend/control_events.h"
#include "frontend/controller_assign.h"
#include "frontend/controls.h"
#include "frontend/frame_manifest.h"
#include "frontend/front_end_state.h"
#include "frontend/message_box.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "host/host_input.h"
#include "league/game_settings.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/memory.h"
#include "platform/mouse.h"
#include "platform/settings_targets.h"
#include "screen/fonts.h"
#include "screen/screen.h"

#include <cctype>
#include <cstdio>
#include <cstring>

settings_record settings_scratch;
JoystickConfigState joystick_config;
KeyboardConfigState keyboard_config;

namespace {

JoystickConfigState& js = joystick_config;
KeyboardConfigState& ks = keyboard_config;

int32_t machine_buttons(int32_t j) { return input_device_present(j); }
void machine_read(int32_t j, uint32_t* buttons, uint8_t* directions)
{
    read_joystick_controller(j);
    const controller_record* c = controller_at(j);
    *buttons = c ? c->buttons : 0;
    *directions = c ? c->dirs : 0;
}
bool machine_multiport(int32_t j)
{
    HostDeviceInfo info{};
    info.size = sizeof info;
    return joystick_info(j, &info) == HOST_INPUT_OK && std::strcmp(info.product_name, MULTIPORT_NAME) == 0;
}

int32_t px(int32_t x) { return scale_x_from_640(x); }
int32_t py(int32_t y) { return scale_y_from_480(y); }

void drop(menu_icon*& icon, bool free_text)
{
    if (!icon) return;
    remove_icon(icon);
    if (free_text && icon->text) free_mem(const_cast<char*>(icon->text));
    free_icon(icon);
    icon = nullptr;
}

// The decorations every set-up screen shows.
menu_icon g_decoration, g_decoration_static;
menu_icon g_back, g_play, g_keys_play;
menu_icon g_arrow_templates[2];

// --- Joystick screen ---

char g_controller_caption[64] = "Controller:";
menu_icon g_joy_title = text_template("Joystick Configuration", 3);
menu_icon g_joy_caption = text_template(g_controller_caption, 7);
menu_icon g_joy_gameplay = text_template("Gameplay Controls", 1);
menu_icon g_joy_configuration = text_template("Configuration", 8);
menu_screen_entry g_joy_entries[8] = {
    {0, &g_decoration, -100, 55, nullptr},     {0, &g_decoration_static, 1596, 436, nullptr},
    {0, &g_joy_title, 20, 20, nullptr},        {6, &g_back, 50, 450, nullptr},
    {6, &g_play, 110, 450, nullptr},           {0, &g_joy_caption, 20, 80, nullptr},
    {0, &g_joy_gameplay, 350, 80, nullptr},    {0, &g_joy_configuration, 50, 200, nullptr},
};
const char* const k_joy_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\joystick config.lbm",
                                       "front_en\\front_end_gfx\\menu_screens\\hw\\joystick config.tga"};
control_list* g_joy_controls;
menu_icon g_name_template = text_template("", 7);

const char* const k_row_captions[JOYSTICK_ROWS] = {"Button A:", "Button B:", "Button C:", "Button D:"};
const int32_t k_row_y[JOYSTICK_ROWS] = {261, 309, 357, 405};

struct HelpLine {
    const char* text;
    uint8_t style; // 0 heading, 1 detail
};
// Headings and actions, each action followed by its buttons.
const HelpLine k_joystick_help[] = {
    {"General Play", 0}, {"", 0}, {"Your player in possession of ball", 0}, {"", 0},
    {"Kick to team mate", 0}, {"Button A and direction", 1}, {"", 0},
    {"Handball to team mate", 0}, {"Button B and direction", 1}, {"", 0},
    {"Speed burst", 0}, {"Button C", 1}, {"", 0},
    {"Jump and spoil", 0}, {"Button D", 1}, {"", 0},
    {"General Play - Multiplayer", 0}, {"", 0}, {"Your team in possession of ball", 0}, {"", 0},
    {"Select closest player to ball", 0}, {"Button A", 1}, {"", 0},
    {"Jump", 0}, {"Button B", 1}, {"", 0},
    {"Speed Burst", 0}, {"Button C", 1}, {"", 0},
    {"Bump opponent", 0}, {"Buttons B and C together", 1}, {"", 0},
    {"Jump and spoil", 0}, {"Button D", 1}, {"", 0},
    {"General play", 0}, {"", 0}, {"Opposing team in possession of ball", 1}, {"", 0},
    {"Select closest player to ball", 0}, {"Button A", 1}, {"", 0},
    {"Tackle", 0}, {"Button B", 1}, {"", 0},
    {"Speed burst", 0}, {"Button C", 1}, {"", 0},
    {"Bump opponent", 0}, {"Buttons B and C together", 1}, {"", 0},
    {"General Play, free ball", 0}, {"", 0},
    {"Select closer player to the ball", 0}, {"Button A", 1}, {"", 0},
    {"Leap to catch ball", 0}, {"Button B", 1}, {"", 0},
    {"Speed burst", 0}, {"Button C", 1}, {"", 0},
    {"Jump and spoil", 0}, {"Button D", 1}, {"", 0},
    {"Bump opponent", 0}, {"Buttons B and C", 1}, {"", 0},
    {"Start a fight", 0}, {"Buttons C and D", 1}, {"", 0},
    {"Fighting", 0}, {"", 0},
    {"Jab", 0}, {"Button A", 1}, {"", 0},
    {"Hook", 0}, {"Button B", 1}, {"", 0},
    {"Uppercut", 0}, {"Button C", 1}, {"", 0},
    {"Head butt", 0}, {"Button D", 1}, {"", 0},
    {"Submit", 0}, {"Buttons A and B", 1},
};

const char* button_name(int32_t b)
{
    static char names[32][12];
    if (b < 0 || b >= 32) return "";
    std::snprintf(names[b], sizeof names[b], "Fire %d", b + 1);
    return names[b];
}

uint32_t* mask_slot(settings_record& s, int32_t row, int32_t j)
{
    switch (row) {
    case 0: return &s.joy_pass_tackle[j];
    case 1: return &s.joy_kick_select[j];
    case 2: return &s.joy_speedburst_fend[j];
    default: return &s.joy_quit[j];
    }
}

int32_t joystick_buttons() { return joystick_probe.buttons ? joystick_probe.buttons(js.current) : 0; }

// The last row the capture can stand on.
int32_t last_capture_row()
{
    const int32_t rows = js.rows > 0 ? js.rows : 1;
    return rows - 1 < JOYSTICK_ROWS - 1 ? rows - 1 : JOYSTICK_ROWS - 1;
}

int32_t next_row(int32_t row) { return row >= last_capture_row() ? 0 : row + 1; }
int32_t previous_row(int32_t row) { return row <= 0 ? last_capture_row() : row - 1; }

A_STRING_CONTROL* row_value(int32_t row)
{
    A_SELECT_CONTROL* s = select_record(js.row_controls[row]);
    return s ? string_record(list_current_data(s)) : nullptr;
}

void set_row_text(int32_t row, const char* text)
{
    if (A_STRING_CONTROL* v = row_value(row)) set_string_control_text(v, text);
}

void set_row_enabled(int32_t row, bool enabled)
{
    control* c = js.row_controls[row];
    A_SELECT_CONTROL* s = select_record(c);
    if (!s) return;
    const uint16_t flags = enabled ? ICON_FOCUSABLE : 0;
    if (s->display.label_flags == flags) return;
    s->display.label_flags = flags;
    if (control_is_drawn(c)) redraw_control_tree(c);
}

void show_row_mask(int32_t row)
{
    const int32_t mask = js.masks[js.current][row];
    set_row_text(row, mask == 0 ? "Not Configured" : button_name(lowest_set_bit(static_cast<uint32_t>(mask))));
}

// The chosen row: the capture stands on it and it holds the focus.
void choose_row(int32_t row)
{
    js.capture_row = static_cast<uint8_t>(row);
    A_SELECT_CONTROL* s = select_record(js.row_controls[row]);
    if (s && icon_slot(&s->display.label_icon) >= 0 && (s->display.label_flags & ICON_FOCUSABLE))
        set_focus_icon(&s->display.label_icon);
}

void row_focused(icon_state_record*, menu_icon* icon, menu_screen*)
{
    for (int32_t r = 0; r < JOYSTICK_ROWS; ++r)
        if (js.row_controls[r] && js.row_controls[r]->record == icon->record) select_button_row(r);
}

void arrow_previous(icon_state_record*, menu_icon*, menu_screen*) { previous_joystick(); }
void arrow_next(icon_state_record*, menu_icon*, menu_screen*) { next_joystick(); }

void show_name_label()
{
    const char* name = game_settings.controller_player_names[js.current];
    if (name[0])
        std::snprintf(js.name_text, 256, "%s", name);
    else
        std::snprintf(js.name_text, 256, "Joystick %d", js.current + 1);
    right_align_icon_text(js.name_label, 192);
}

void build_row_controls()
{
    for (int32_t r = 0; r < JOYSTICK_ROWS; ++r) {
        control* t = new_select_template(k_row_captions[r], ICON_FOCUSABLE, 6);
        A_SELECT_CONTROL* s = select_record(t);
        s->settings.x = 50, s->settings.y = k_row_y[r];
        s->settings.window = {0, 0, 20, 300};
        s->settings.flags = SELECT_NO_CLIP;
        s->callbacks.slot[SELECT_FOCUSED] = row_focused;
        s->callbacks.slot[SELECT_LABEL_CLICKED] = row_focused;
        js.row_controls[r] = add_from_template(g_joy_controls, nullptr, t);
        control* st = new_string_template(&body_text_template, 0, 0, "Not Configured", 20);
        string_record(st)->settings.x = 150;
        add_from_template(select_record(js.row_controls[r])->settings.choices, js.row_controls[r], st);
    }
}

void build_help_list()
{
    control* t = nullptr;
    create_control(CONTROL_LIST, &t);
    A_LIST_CONTROL* l = list_record(t);
    l->settings.window = {146, 213, 406, 589};
    l->settings.clip_window = 1;
    l->settings.x = 213, l->settings.y = 146;
    l->settings.vslider_x = 613, l->settings.vslider_y = 276;
    l->settings.hslider_x = 401, l->settings.hslider_y = 420;
    l->settings.item_spacing = 2;
    fill_scroll_slider_template(&l->display.vslider_template, true, ICON_FOCUSABLE, 5);
    fill_scroll_slider_template(&l->display.hslider_template, false, ICON_FOCUSABLE, 5);
    control* list = nullptr;
    create_control_from_template(g_joy_controls, nullptr, CONTROL_LIST, t, &list);
    free_control_data(&t);
    menu_icon heading = body_text_template;
    for (auto& s : heading.states) s.image = 2;
    for (const HelpLine& line : k_joystick_help) {
        control* st = nullptr;
        create_control(CONTROL_STRING, &st);
        A_STRING_CONTROL* v = string_record(st);
        set_string_control_styles(v, line.style == 0 ? &heading : &body_text_template, nullptr);
        v->settings.text = const_cast<char*>(line.text[0] ? line.text : " ");
        v->settings.max_length = 6;
        v->settings.blink_half_period = 10;
        control* row = nullptr;
        create_control_from_template(list_record(list)->settings.items, list, CONTROL_STRING, st, &row);
        free_control_data(&st);
    }
}

// --- Keyboard screen ---

const char* const k_action_names[KEY_SLOTS] = {"Up", "Down", "Left", "Right", "Button 1", "Button 2", "Button 3", "Button 4"};

struct KeyName {
    uint8_t code;
    const char* name;
};
const KeyName k_key_names[] = {
    {12, "Minus"}, {13, "Equals"}, {14, "Delete Back"}, {15, "Tab"}, {26, "Left Bracket"}, {27, "Right Bracket"},
    {28, "Enter"}, {29, "Ctrl Left"}, {39, "Semicolon"}, {40, "Apostrophe"}, {41, "Accent Grave"},
    {42, "Left Shift"}, {43, "Backslash"}, {51, "Comma"}, {52, "Period"}, {53, "Slash"}, {54, "Right Shift"},
    {55, "Keypad Multiply"}, {56, "Alt"}, {57, "Space"}, {58, "Caps Lock"}, {59, "F1"}, {60, "F2"}, {61, "F3"},
    {62, "F4"}, {63, "F5"}, {64, "F6"}, {65, "F7"}, {66, "F8"}, {67, "F9"}, {68, "F10"}, {69, "Num Lock"},
    {70, "Scroll Lock"}, {71, "Keypad Home"}, {72, "Keypad Up"}, {73, "Keypad Pg Up"}, {74, "Keypad Minus"},
    {75, "Keypad Left"}, {76, "Keypad 5"}, {77, "Keypad Right"}, {78, "Keypad Plus"}, {79, "Keypad End"},
    {80, "Keypad Down"}, {81, "Keypad Pg Dn"}, {82, "Keypad Ins"}, {83, "Keypad Del"}, {87, "F11"}, {88, "F12"},
    {100, "F13"}, {101, "F14"}, {102, "F15"}, {156, "Enter"}, {157, "Ctrl Right"}, {181, "Keypad Divide"},
    {184, "Alt Right"}, {199, "Home"}, {200, "Up Arrow"}, {201, "Page Up"}, {203, "Left Arrow"},
    {205, "Right Arrow"}, {207, "End"}, {208, "Down Arrow"}, {209, "Page Down"}, {210, "Insert"}, {211, "Delete"},
};

const char* key_name(uint32_t code)
{
    for (const KeyName& k : k_key_names)
        if (k.code == code) return k.name;
    return nullptr;
}

const uint8_t k_reserved_keys[] = {25, 19, 86, 210, 211, 199, 207, 201, 209, 156, 28, 1,
                                   59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 87, 88};
constexpr int32_t KEY_CTRL_LEFT = 29, KEY_CTRL_RIGHT = 157;

menu_icon g_keys_title = text_template("Key Configuration", 3);
menu_icon g_help_template[2] = {text_template(keyboard_config.help[0], 1), text_template(keyboard_config.help[1], 2)};
menu_icon g_key_text = text_template("", 1);
menu_icon g_message_template = text_template("", 1);
menu_screen_entry g_key_entries[7] = {
    {0, &g_decoration, -100, 55, nullptr}, {0, &g_decoration_static, 1596, 436, nullptr},
    {0, &g_keys_title, 20, 20, nullptr},   {6, &g_back, 50, 450, nullptr},
    {7, &g_keys_play, 110, 450, nullptr},  {0, &g_help_template[0], 148, 116, nullptr},
    {0, &g_help_template[1], 148, 136, nullptr},
};
const char* const k_key_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\key config.lbm",
                                       "front_en\\front_end_gfx\\menu_screens\\hw\\key config.tga"};

struct HelpPair {
    const char* first;
    const char* second;
};
HelpPair key_help(int32_t index)
{
    switch (index) {
    case 0: case 1: case 2: case 3: return {"Arrow Keys - Control Direction of Movement", ""};
    case 4: return {"In Possession of Ball - Kick", "Without Ball - Select Player"};
    case 5: return {"In Possession of Ball - Handball / Disposal", "Without Ball - Tackle / Charge Down Kick"};
    case 6: return {"In Possession of Ball - Speed Burst / Evasion", "Without Ball - Speed Burst / Jostle"};
    case 7: return {"In Possession of Ball - Bounce", "Without Ball - Hit Out on Bounce"};
    default: return {"", ""};
    }
}

void write_value(char* text, uint32_t code, bool bracketed)
{
    char name[32];
    key_display_name(code, name, sizeof name);
    std::snprintf(text, 256, bracketed ? "(%s)" : "%s", name);
}

void show_key_row(int32_t k)
{
    if (k >= KEY_SLOTS) return;
    if (ks.caption[k] && icon_slot(ks.caption[k]) < 0) add_child_icon(ks.caption[k], px(92), py(184 + 30 * k), 5);
    if (ks.value[k] && icon_slot(ks.value[k]) < 0) add_child_icon(ks.value[k], px(380), py(184 + 30 * k), 5);
}

void show_key_message(const char* text)
{
    std::snprintf(const_cast<char*>(ks.message->text), 256, "%s", text);
    if (icon_slot(ks.message) < 0) add_child_icon(ks.message, px(300), py(450), 0);
    centre_icon_text_at(ks.message, 320);
}

void hide_key_message()
{
    ks.reserved_shown = ks.used_shown = 0;
    if (ks.message && icon_slot(ks.message) >= 0) remove_icon(ks.message);
}

bool key_taken_before(uint32_t code, int32_t before)
{
    for (int32_t i = 0; i < before; ++i)
        if (settings_scratch.key_mapping[i] == code) return true;
    return false;
}

void keys_default_action(menu_screen*) { front_end_state.result = 2; }

} // namespace

JoystickProbe joystick_probe = {machine_buttons, machine_read, machine_multiport};
const JoystickProbe machine_joysticks = {machine_buttons, machine_read, machine_multiport};

menu_screen joystick_config_screen = {8,       SCREEN_MENU, k_joy_pictures, nullptr, 0, &g_joy_entries[3],
                                      joystick_config_open, joystick_config_close, joystick_config_frame, nullptr,
                                      0,       0,           0,              0,       0, 0,
                                      g_joy_entries};
menu_screen keyboard_config_screen = {7,       SCREEN_MENU, k_key_pictures, nullptr, 0, &g_key_entries[3],
                                      keyboard_config_open, keyboard_config_close, keyboard_config_frame, nullptr,
                                      0,       0,           0,              0,       0, 0,
                                      g_key_entries};

namespace {
menu_icon g_placeholder_back, g_placeholder_title = text_template("Joystick Configuration", 3);
menu_icon g_placeholder_text = text_template("I have no idea what's supposed to go here", 1);
menu_screen_entry g_placeholder_entries[3] = {{1, &g_placeholder_back, 500, 450, nullptr},
                                              {0, &g_placeholder_text, 50, 300, nullptr},
                                              {0, &g_placeholder_title, 20, 20, nullptr}};
void placeholder_open(menu_screen*) { input_reset(); }
} // namespace

menu_screen placeholder_joystick_screen = {3, SCREEN_MENU, k_joy_pictures, nullptr, 0, &g_placeholder_entries[0],
                                           placeholder_open, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, 0,
                                           g_placeholder_entries};

void prepare_controller_config_screens()
{
    prepare_control_templates();
    common_button_templates(&g_play, &g_back, &g_decoration);
    g_play.states[ICON_CLICKED].handler = check_all_buttons_configured;
    g_keys_play = g_play;
    g_keys_play.states[ICON_CLICKED].handler = apply_keyboard_config;
    g_placeholder_back = g_back;
    g_decoration_static = g_decoration;
    sprite_template(&g_arrow_templates[0], HANDLE_CONTROLLERS, JOYSTICK_ARROW_LEFT, false, 0);
    sprite_template(&g_arrow_templates[1], HANDLE_CONTROLLERS, JOYSTICK_ARROW_RIGHT, false, 0);
}

int32_t lowest_set_bit(uint32_t mask)
{
    for (int32_t b = 0; b < 32; ++b)
        if (mask & (1u << b)) return b;
    return NO_BUTTON;
}

bool single_bit_set(uint32_t mask) { return mask && !(mask & (mask - 1)); }

int32_t configurable_joysticks()
{
    const int32_t n = controller_count();
    return n < CONFIG_JOYSTICKS ? n : CONFIG_JOYSTICKS;
}

// --- Joystick screen ---

void joystick_config_open(menu_screen*)
{
    if (renderer_index() == 0) set_text_attribute(0);
    input_reset();
    front_end_state.default_action = nullptr;
    create_list(&g_joy_controls);
    const int32_t n = configurable_joysticks();
    js.current = front_end_state.selected_controller;
    if (js.current >= n) js.current = n - 1;
    if (js.current < 0) js.current = 0;
    std::memcpy(&settings_scratch, &user_settings, sizeof settings_scratch);
    for (int32_t j = 0; j < CONFIG_JOYSTICKS; ++j)
        for (int32_t r = 0; r < JOYSTICK_ROWS; ++r) js.masks[j][r] = static_cast<int32_t>(*mask_slot(settings_scratch, r, j));
    show_joystick_icon();
    if (n > 1) {
        js.arrows[0] = copy_icon(g_arrow_templates[0], "Transient icon copy");
        js.arrows[0]->states[ICON_CLICKED].handler = arrow_previous;
        add_child_icon(js.arrows[0], px(28), py(119), 4);
        js.arrows[1] = copy_icon(g_arrow_templates[1], "Transient icon copy");
        js.arrows[1]->states[ICON_CLICKED].handler = arrow_next;
        add_child_icon(js.arrows[1], px(28), py(159), 4);
    }
    build_row_controls();
    js.name_text = static_cast<char*>(alloc_mem(256, "icon_controller_name.text_ptr"));
    js.name_text[0] = 0;
    js.name_label = copy_icon(g_name_template, "Transient icon copy");
    js.name_label->text = js.name_text;
    add_child_icon(js.name_label, px(192), py(148), 0);
    show_name_label();
    const int32_t buttons = joystick_buttons();
    js.rows = buttons < JOYSTICK_ROWS ? buttons : JOYSTICK_ROWS;
    js.armed = 1;
    js.capture_request = 0;
    build_joystick_button_rows();
    build_help_list();
    draw_control_list(g_joy_controls);
    choose_row(0);
    if (g_joy_entries[3].copy) set_focus_icon(g_joy_entries[3].copy);
}

void show_joystick_icon()
{
    const int32_t buttons = joystick_buttons();
    const bool multiport = joystick_probe.multiport && joystick_probe.multiport(js.current);
    uint8_t frame = 0xFF;
    if (multiport) {
        frame = CONTROLLER_MULTIPORT;
        std::snprintf(g_controller_caption, sizeof g_controller_caption, "Controller: Gravis");
    } else if (buttons == 2 || buttons == 3) {
        frame = CONTROLLER_STICK;
        std::snprintf(g_controller_caption, sizeof g_controller_caption, "Controller: Joystick");
    } else if (buttons >= 4) {
        frame = CONTROLLER_PAD;
        std::snprintf(g_controller_caption, sizeof g_controller_caption, "Controller: GamePad");
    }
    if (frame == 0xFF) return; // 0 or 1 buttons change neither
    drop(js.joystick_icon, false);
    menu_icon t;
    sprite_template(&t, HANDLE_CONTROLLERS, frame, false, 0);
    t.flags = 0x1000;
    js.joystick_icon = copy_icon(t, "control_icon_data");
    add_child_icon(js.joystick_icon, px(123), py(139), 0);
}

void build_joystick_button_rows()
{
    for (int32_t r = 0; r < JOYSTICK_ROWS; ++r) {
        const int32_t mask = js.masks[js.current][r];
        if (mask == 0) {
            set_row_text(r, "Not Configured");
        } else if (r < js.rows) {
            set_row_text(r, button_name(lowest_set_bit(static_cast<uint32_t>(mask))));
        } else {
            set_row_text(r, "Unavailable");
        }
        set_row_enabled(r, r < js.rows);
    }
}

void refresh_joystick_button_rows()
{
    const int32_t buttons = joystick_buttons();
    for (int32_t r = 0; r < JOYSTICK_ROWS; ++r) {
        if (r >= buttons) {
            set_row_enabled(r, false);
            set_row_text(r, r == 2 ? "Button A+B" : "Not Configured");
        } else {
            set_row_enabled(r, true);
            show_row_mask(r);
        }
    }
}

namespace {
void switch_joystick(int32_t to)
{
    js.current = to;
    const int32_t buttons = joystick_buttons();
    js.rows = buttons < JOYSTICK_ROWS ? buttons : JOYSTICK_ROWS;
    refresh_joystick_button_rows();
    show_joystick_icon();
    show_name_label();
    js.capture_row = 0;
}
} // namespace

void previous_joystick()
{
    const int32_t n = configurable_joysticks();
    if (n < 1) return;
    switch_joystick(js.current <= 0 ? n - 1 : js.current - 1);
}

void next_joystick()
{
    const int32_t n = configurable_joysticks();
    if (n < 1) return;
    switch_joystick(js.current >= n - 1 ? 0 : js.current + 1);
}

void select_button_row(int32_t row)
{
    if (row < 0 || row >= JOYSTICK_ROWS) return;
    js.capture_row = static_cast<uint8_t>(row);
    js.capture_request = 1;
}

void joystick_config_frame(menu_screen*)
{
    read_keyboard_controller();
    poll_mouse_state();
    uint32_t buttons = 0;
    uint8_t directions = 0;
    if (joystick_probe.read) joystick_probe.read(js.current, &buttons, &directions);
    js.pressed = static_cast<uint8_t>(lowest_set_bit(buttons));
    if (buttons == 0) js.armed = 1;
    js.directions = directions;
    update_control_list(g_joy_controls);
    if (js.capture_request) {
        capture_joystick_button();
        js.capture_request = 0;
    }
}

void capture_joystick_button()
{
    // The stick walks the rows while one of them holds the focus.
    if (js.directions & DIR_DOWN) choose_row(next_row(js.capture_row));
    if (js.directions & DIR_UP) choose_row(previous_row(js.capture_row));
    js.directions = 0;
    int32_t row = js.capture_row;
    if (row > last_capture_row()) row = last_capture_row();
    const int32_t buttons = joystick_buttons();
    if (js.pressed >= buttons || !js.armed) return;
    js.armed = 0;
    int32_t* masks = js.masks[js.current];
    const int32_t bit = 1 << js.pressed;
    for (int32_t r = 0; r < row; ++r) {
        if (masks[r] != bit) continue;
        report_error(35, nullptr, nullptr, nullptr, nullptr);
        front_end_state.result = 0;
        choose_row(row);
        return;
    }
    if (masks[row] == bit) {
        masks[row] = 0;
        set_row_text(row, "Not Configured");
    } else {
        masks[row] = bit;
        set_row_text(row, button_name(js.pressed));
    }
    row = next_row(row);
    for (int32_t r = 1; r < JOYSTICK_ROWS; ++r) {
        for (int32_t e = 0; e < r; ++e) {
            if (masks[r] == 0 || masks[r] != masks[e]) continue;
            masks[r] = 0;
            set_row_text(r, "Not Configured");
        }
    }
    choose_row(row);
}

void check_all_buttons_configured(icon_state_record*, menu_icon* icon, menu_screen*)
{
    const int32_t n = configurable_joysticks();
    for (int32_t j = 0; j < n; ++j) {
        const int32_t buttons = joystick_probe.buttons ? joystick_probe.buttons(j) : 0;
        const int32_t rows = buttons >= 4 ? 4 : 2;
        for (int32_t r = 0; r < rows; ++r) {
            if (js.masks[j][r] != 0) continue;
            char text[64];
            std::snprintf(text, sizeof text, "Player %d must configure all buttons", j + 1);
            report_error(-30, text, nullptr, nullptr, nullptr);
            front_end_state.result = 0;
            if (icon && icon->state == ICON_CLICKED) icon->state = ICON_FOCUSED;
            return;
        }
    }
}

void joystick_config_close(menu_screen*)
{
    if (renderer_index() == 0) set_text_attribute(1);
    drop(js.joystick_icon, false);
    drop(js.arrows[0], false);
    drop(js.arrows[1], false);
    drop(js.name_label, false);
    if (js.name_text) free_mem(js.name_text);
    js.name_text = nullptr;
    if (front_end_state.result == 1) {
        for (int32_t j = 0; j < CONFIG_JOYSTICKS; ++j)
            for (int32_t r = 0; r < JOYSTICK_ROWS; ++r) *mask_slot(settings_scratch, r, j) = static_cast<uint32_t>(js.masks[j][r]);
        std::memcpy(&user_settings, &settings_scratch, sizeof user_settings);
        for (int32_t j = 0; j < CONFIG_JOYSTICKS; ++j)
            set_controller_keys(j, static_cast<uint8_t>(js.masks[j][0]), static_cast<uint8_t>(js.masks[j][1]),
                                static_cast<uint8_t>(js.masks[j][2]), static_cast<uint8_t>(js.masks[j][3]));
    }
    free_control_tree(&g_joy_controls);
    for (control*& c : js.row_controls) c = nullptr;
    front_end_state.default_action = nullptr;
}

// --- Keyboard screen ---

const char* key_display_name(uint32_t code, char* buffer, uint32_t size)
{
    if (const char* name = key_name(code)) {
        std::snprintf(buffer, size, "%s", name);
    } else if (const uint8_t ch = scan_code_character(0, static_cast<int32_t>(code & 0xFF)); ch && code < 256) {
        std::snprintf(buffer, size, "%c", std::toupper(ch));
    } else {
        std::snprintf(buffer, size, "Key %u", code);
    }
    return buffer;
}

bool key_reserved(int32_t code)
{
    for (uint8_t k : k_reserved_keys)
        if (k == code) return true;
    return false;
}

void keyboard_config_open(menu_screen*)
{
    for (int32_t k = 0; k < KEY_SLOTS; ++k) {
        char* caption = static_cast<char*>(alloc_mem(256, "key_index].text_ptr"));
        char* value = static_cast<char*>(alloc_mem(256, "key_index].text_ptr"));
        std::snprintf(caption, 256, "Press key for %s :", k_action_names[k]);
        write_value(value, user_settings.key_mapping[k], true);
        ks.caption[k] = copy_icon(g_key_text, "Transient icon copy");
        ks.caption[k]->text = caption;
        ks.value[k] = copy_icon(g_key_text, "Transient icon copy");
        ks.value[k]->text = value;
    }
    char* message = static_cast<char*>(alloc_mem(256, "key_index].text_ptr"));
    message[0] = 0;
    ks.message = copy_icon(g_message_template, "Transient icon copy");
    ks.message->text = message;
    ks.key_index = 0;
    ks.done = 0;
    ks.reserved_shown = ks.used_shown = 0;
    show_key_row(0);
    front_end_state.default_action = keys_default_action;
    std::memcpy(&settings_scratch, &user_settings, sizeof settings_scratch);
    std::memset(key_state + 1, 0, 255);
    input_reset();
    if (g_key_entries[3].copy) set_focus_icon(g_key_entries[3].copy);
}

void keyboard_config_frame(menu_screen*)
{
    const HelpPair help = key_help(ks.key_index);
    std::snprintf(ks.help[0], sizeof ks.help[0], "%s", help.first);
    std::snprintf(ks.help[1], sizeof ks.help[1], "%s", help.second);
    for (int i = 0; i < 2; ++i)
        if (menu_icon* icon = g_key_entries[5 + i].copy) centre_icon_text_at(icon, 320);
    read_keyboard_controller();
    for (int32_t code = 1; code < 256 && ks.key_index < KEY_SLOTS; ++code) {
        if (!(key_state[code] & 0x80) || code == KEY_CTRL_LEFT || code == KEY_CTRL_RIGHT) continue;
        hide_key_message();
        // Reserved keys stay down for the runner: Esc still leaves.
        if (key_reserved(code)) {
            show_key_message("Key Reserved");
            ks.reserved_shown = 1;
            continue;
        }
        key_state[code] = 0;
        if (key_taken_before(static_cast<uint32_t>(code), ks.key_index)) {
            show_key_message("Key Already Used");
            ks.used_shown = 1;
            continue;
        }
        const int32_t k = ks.key_index;
        settings_scratch.key_mapping[k] = static_cast<uint32_t>(code);
        std::snprintf(const_cast<char*>(ks.caption[k]->text), 256, "Key %s :", k_action_names[k]);
        write_value(const_cast<char*>(ks.value[k]->text), static_cast<uint32_t>(code), false);
        update_icon(ks.caption[k]);
        update_icon(ks.value[k]);
        ++ks.key_index;
        show_key_row(ks.key_index);
    }
    if (ks.key_index >= KEY_SLOTS && !ks.done) {
        ks.done = 1;
        if (g_key_entries[4].copy) set_focus_icon(g_key_entries[4].copy);
    }
}

void apply_keyboard_config(icon_state_record*, menu_icon* icon, menu_screen*)
{
    // Before the last key, a key the pass has not reached may equal a new one.
    if (ks.key_index < KEY_SLOTS) {
        for (int32_t a = 0; a < KEY_SLOTS; ++a) {
            for (int32_t b = a + 1; b < KEY_SLOTS; ++b) {
                if (settings_scratch.key_mapping[a] != settings_scratch.key_mapping[b]) continue;
                hide_key_message();
                show_key_message("Key Already Used");
                ks.used_shown = 1;
                // Refused: the click is undone, or the runner takes its code.
                front_end_state.result = 0;
                if (icon && icon->state == ICON_CLICKED) icon->state = ICON_FOCUSED;
                return;
            }
        }
    }
    std::memcpy(&user_settings, &settings_scratch, sizeof user_settings);
    bind_keys(user_settings.key_mapping);
}

void keyboard_config_close(menu_screen*)
{
    for (int32_t k = 0; k < KEY_SLOTS; ++k) {
        drop(ks.caption[k], true);
        drop(ks.value[k], true);
    }
    drop(ks.message, true);
    front_end_state.default_action = nullptr;
}

void reset_controller_config()
{
    joystick_probe = machine_joysticks;
    if (g_joy_controls) free_control_tree(&g_joy_controls);
    js = JoystickConfigState{};
    ks = KeyboardConfigState{};
}
