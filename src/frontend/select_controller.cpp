#include "frontend/select_controller.h"

#include "frontend/control_events.h"
#include "frontend/controller_assign.h"
#include "frontend/controller_config.h"
#include "frontend/frame_manifest.h"
#include "frontend/front_end_state.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "screen/fonts.h"
#include "screen/screen.h"

#include <cmath>
#include <cstdio>
#include <cstring>

NamePool name_pool;
DragState drag_state;
SelectControllerScreen select_controller_state;

namespace {

SelectControllerScreen& sc = select_controller_state;
DragState& ds = drag_state;

constexpr int32_t ENTRY_LIMIT_WIDTH = 58;
constexpr int32_t PANEL_TEXT_MAX = 100;
const int32_t k_edit_keys[] = {211, 14, 156, 199, 207, 203, 205, 28};

int32_t px(int32_t x) { return scale_x_from_640(x); }
int32_t py(int32_t y) { return scale_y_from_480(y); }

menu_icon g_decoration, g_play, g_back;
menu_icon g_title = text_template("Select Controller", 3);
menu_icon g_hint = text_template("Select controller by dragging name onto controller", 7);
menu_icon g_current = text_template("Current Players", 7);
menu_screen_entry g_entries[7] = {
    {0, &g_decoration, -60, 55, nullptr}, {0, &g_decoration, 1596, 436, nullptr}, {0, &g_title, 20, 20, nullptr},
    {0, &g_hint, 107, 80, nullptr},       {0, &g_current, 69, 202, nullptr},      {6, &g_play, 560, 450, nullptr},
    {6, &g_back, 500, 450, nullptr},
};
const char* const k_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\club.lbm",
                                   "front_en\\front_end_gfx\\menu_screens\\hw\\controller_setup.tga"};

void result_two(menu_screen*) { front_end_state.result = 2; }

int32_t joysticks()
{
    const int32_t n = controller_count();
    return n < MAX_JOYSTICK_CONTROLLERS ? n : MAX_JOYSTICK_CONTROLLERS;
}

A_LIST_CONTROL* names() { return list_record(sc.names_list); }
A_LIST_CONTROL* rows() { return list_record(sc.controllers_list); }

control* make_list(ControlRect window, int32_t spacing, int32_t clip, int32_t vx, int32_t vy)
{
    control* t = nullptr;
    create_control(CONTROL_LIST, &t);
    A_LIST_CONTROL* l = list_record(t);
    l->settings.window = window;
    l->settings.x = window.left, l->settings.y = window.top;
    l->settings.item_spacing = spacing;
    l->settings.clip_window = clip;
    l->settings.vslider_x = vx, l->settings.vslider_y = vy;
    l->settings.hslider_x = (window.left + window.right) / 2, l->settings.hslider_y = window.bottom + 12;
    fill_scroll_slider_template(&l->display.vslider_template, true, ICON_FOCUSABLE, 5);
    fill_scroll_slider_template(&l->display.hslider_template, false, ICON_FOCUSABLE, 5);
    control* c = nullptr;
    create_control_from_template(sc.controls, nullptr, CONTROL_LIST, t, &c);
    free_control_data(&t);
    return c;
}

void start_drag_from_row(icon_state_record*, menu_icon* icon, menu_screen*)
{
    auto* s = static_cast<A_STRING_CONTROL*>(icon->record);
    if (s) start_drag(s->self);
}

void controller_row_click(icon_state_record*, menu_icon* icon, menu_screen*)
{
    auto* s = static_cast<A_STRING_CONTROL*>(icon->record);
    if (!s) return;
    const int32_t row = s->settings.user_value;
    if (row >= joysticks()) {
        front_end_state.result = 5;
    } else {
        front_end_state.result = 6;
        front_end_state.selected_controller = row;
    }
}

control* add_row(control* list, const char* text, int32_t mode, int32_t user, IconFn clicked)
{
    control* t = new_string_template(&body_text_template, ICON_FOCUSABLE, 1, text, NAME_BYTES - 1);
    A_STRING_CONTROL* s = string_record(t);
    s->settings.user_value = user;
    s->callbacks.text_repeat = start_drag_from_row;
    s->callbacks.text_clicked = clicked;
    control* c = add_from_template(list_record(list)->settings.items, list, t);
    const uint8_t mode_byte = static_cast<uint8_t>(mode);
    attach_control_user_data(c, &mode_byte, 1);
    return c;
}

int32_t drag_mode_of(const control* row) { return row && row->user_data ? *static_cast<const uint8_t*>(row->user_data) : 0; }

void drop_controller_icons()
{
    for (menu_icon*& icon : sc.row_icons) {
        if (!icon) continue;
        remove_icon(icon);
        free_icon(icon);
        icon = nullptr;
    }
}

// The lists are built afresh from the pool and the controllers' names.
void build_lists()
{
    erase_control_tree(sc.names_list);
    erase_control_tree(sc.controllers_list);
    free_control_tree(&names()->settings.items);
    create_list(&names()->settings.items);
    names()->settings.items->owner = names();
    free_control_tree(&rows()->settings.items);
    create_list(&rows()->settings.items);
    rows()->settings.items->owner = rows();
    for (int32_t i = 0; i < name_pool.count; ++i) add_row(sc.names_list, name_pool.names[i], 1, i, nullptr);
    const int32_t j = joysticks();
    for (int32_t r = 0; r <= j; ++r) add_row(sc.controllers_list, game_settings.controller_player_names[r], 3, r, controller_row_click);
    for (A_LLIST_NODE* n = rows()->settings.items->first; n; n = n->next) string_record(static_cast<control*>(n->data))->settings.x = 65;
    draw_control_tree(sc.names_list);
    draw_control_tree(sc.controllers_list);
    // Each controller row shows its controller beside the name.
    drop_controller_icons();
    int32_t i = 0;
    for (A_LLIST_NODE* n = rows()->settings.items->first; n && i < 32; n = n->next, ++i) {
        const control* row = static_cast<control*>(n->data);
        const bool keyboard = i >= j;
        // As on the assignment screen: the adapter by its name, a pad by
        // its four buttons, any other stick (even of 0 or 1 buttons) a stick.
        const int32_t buttons = keyboard || !joystick_probe.buttons ? 0 : joystick_probe.buttons(i);
        const bool multiport = !keyboard && joystick_probe.multiport && joystick_probe.multiport(i);
        const uint8_t kind = keyboard ? CONTROLLER_KEYS
                             : multiport ? CONTROLLER_MULTIPORT
                                         : (buttons >= 4 ? CONTROLLER_PAD : CONTROLLER_STICK);
        menu_icon t;
        sprite_template(&t, HANDLE_CONTROLLERS, kind, false, 0);
        t.flags = static_cast<uint16_t>(3 << ICON_CLIP_SHIFT);
        sc.row_icons[i] = copy_icon(t, "control_icon_data");
        add_child_icon(sc.row_icons[i], px(control_screen_x(row) - 35), py(control_screen_y(row) + 8), 0);
    }
}

void append_to_pool(const char* name)
{
    if (name_pool.count >= NAME_POOL_SIZE) return; // a full pool drops the name
    std::snprintf(name_pool.names[name_pool.count++], NAME_BYTES, "%.*s", NAME_BYTES - 1, name); // cut to fit
}

void remove_from_pool(int32_t index)
{
    if (index < 0 || index >= name_pool.count) return;
    for (int32_t i = index; i + 1 < name_pool.count; ++i) std::memcpy(name_pool.names[i], name_pool.names[i + 1], NAME_BYTES);
    --name_pool.count;
    std::memset(name_pool.names[name_pool.count], 0, NAME_BYTES);
}

A_STRING_CONTROL* entry_field() { return string_record(list_current_data(select_record(sc.entry))); }
A_STRING_CONTROL* ghost_field() { return string_record(list_current_data(select_record(sc.ghost))); }

void place_ghost(int32_t x, int32_t y)
{
    if (!sc.ghost) return;
    erase_control_tree(sc.ghost);
    set_control_position(sc.ghost, x, y);
    draw_control_tree(sc.ghost);
}

control* make_select(const char* label, int32_t x, int32_t y, char* text, bool editable)
{
    return add_text_field(sc.controls, label, x, y, 110, text, NAME_BYTES - 1, editable, 1);
}

void give_text_back()
{
    if (A_STRING_CONTROL* s = string_record(ds.source)) set_string_control_text(s, ds.ghost_text);
    ds.ghost_text[0] = 0;
    if (A_STRING_CONTROL* g = ghost_field()) set_string_control_text(g, "");
    ds.source = nullptr;
}

} // namespace

menu_screen select_controller_screen = {7, SCREEN_MENU, k_pictures, nullptr, 0, &g_entries[5], select_controller_open,
                                        select_controller_close, select_controller_step, nullptr, 0, 0, 0, 0, 0, 0,
                                        g_entries};

void select_controller_open(menu_screen*)
{
    common_button_templates(&g_play, &g_back, &g_decoration);
    front_end_state.default_action = result_two;
    ds = DragState{};
    input_reset();
    create_list(&sc.controls);
    sc.names_list = make_list({235, 49, 425, 154}, 8, 0, 170, 330);
    sc.controllers_list = make_list({115, 326, 425, 466}, 58, 3, 455, 282);
    player_name_entry();
    create_drag_name();
    build_lists();
    draw_control_list(sc.controls);
}

void player_name_entry()
{
    sc.entry_text[0] = 0;
    sc.entry = make_select("Enter Player Name:", 49, 144, sc.entry_text, true);
    // The typed name can be dragged straight onto a controller too.
    if (A_STRING_CONTROL* f = entry_field()) f->callbacks.text_repeat = start_drag_from_row;
}

void create_drag_name()
{
    ds.ghost_text[0] = 0;
    sc.ghost = make_select(nullptr, 49, 43, ds.ghost_text, false);
}

void name_entered()
{
    A_STRING_CONTROL* f = entry_field();
    if (!f || f->settings.length == 0) return;
    if (name_pool.count < NAME_POOL_SIZE) {
        append_to_pool(f->settings.text);
        add_row(sc.names_list, name_pool.names[name_pool.count - 1], 1, name_pool.count - 1, nullptr);
        relayout_list_control(names());
    }
    set_string_control_text(f, "");
}

void remove_pool_name(control* row)
{
    input_reset();
    const int32_t index = list_index_of_data(names()->settings.items, row);
    if (index < 0) return;
    remove_from_pool(index);
    build_lists();
}

void start_drag(control* row)
{
    if (ds.dragging || !row) return;
    A_STRING_CONTROL* s = string_record(row);
    if (!s || s->settings.length == 0) return;
    ds.dragging = 1;
    std::snprintf(ds.ghost_text, sizeof ds.ghost_text, "%s", s->settings.text);
    set_string_control_text(s, "");
    const int32_t x = control_screen_x(row), y = control_screen_y(row);
    ds.grab_x = x - icon_input.x, ds.grab_y = y - icon_input.y;
    ds.origin_x = x, ds.origin_y = y;
    // The typed name travels like a pool name.
    ds.mode = row == list_current_data(select_record(sc.entry)) ? 1 : drag_mode_of(row);
    ds.source = row;
    ds.source_index = list_index_of_data(row->parent_list, row);
    ds.target_list = ds.mode == 1 ? sc.controllers_list : sc.names_list;
    if (A_STRING_CONTROL* g = ghost_field()) set_string_control_text(g, ds.ghost_text);
    place_ghost(icon_input.x + ds.grab_x, icon_input.y + ds.grab_y);
}

bool drag_hit_test(const control* list, int32_t mode, int32_t* row_out)
{
    *row_out = -1;
    const A_LIST_CONTROL* l = list_record(list);
    const A_SELECT_CONTROL* g = select_record(sc.ghost);
    if (!l || !g) return false;
    select_font(1);
    const int32_t gx = g->settings.x, gy = g->settings.y;
    const int32_t gw = string_width(ds.ghost_text), gh = string_height(ds.ghost_text);
    ControlRect w = l->settings.window;
    const int32_t push = (l->settings.item_spacing + 1) / 2;
    w.top -= push, w.bottom += push;
    if (mode == 1 || mode == 3) w.left -= 26;
    const int32_t xs[5] = {gx, gx + gw, gx, gx + gw, gx + gw / 2};
    const int32_t ys[5] = {gy, gy, gy + gh, gy + gh, gy + gh / 2};
    bool hit = false;
    for (int i = 0; i < 5; ++i)
        if (xs[i] > w.left && xs[i] < w.right && ys[i] > w.top && ys[i] < w.bottom) hit = true;
    if (!hit) return false;
    const int32_t row_h = l->settings.item_spacing + gh;
    int32_t row = row_h > 0 ? (gy - (l->settings.window.top - l->settings.vscroll - row_h / 2)) / row_h : 0;
    if (row < 0) row = 0;
    if (row > joysticks()) {
        if (mode == 1) return false;
        row = joysticks();
    }
    *row_out = row;
    return true;
}

void select_controller_frame()
{
    if (ds.dragging) {
        place_ghost(icon_input.x + ds.grab_x, icon_input.y + ds.grab_y);
        if (icon_input.left_down) return;
        ds.dragging = 0;
        int32_t row = -1;
        const bool hit = drag_hit_test(ds.target_list, ds.mode, &row);
        if (hit && ds.mode == 1) {
            char old[NAME_BYTES];
            std::snprintf(old, sizeof old, "%s", game_settings.controller_player_names[row]);
            std::snprintf(game_settings.controller_player_names[row], NAME_BYTES, "%s", ds.ghost_text);
            if (ds.source != list_current_data(select_record(sc.entry))) remove_from_pool(ds.source_index);
            if (old[0]) append_to_pool(old);
            ds.source = nullptr;
            ds.ghost_text[0] = 0;
            if (A_STRING_CONTROL* g = ghost_field()) set_string_control_text(g, "");
            build_lists();
        } else if (hit && ds.mode == 3) {
            append_to_pool(ds.ghost_text);
            game_settings.controller_player_names[ds.source_index][0] = 0;
            ds.source = nullptr;
            ds.ghost_text[0] = 0;
            if (A_STRING_CONTROL* g = ghost_field()) set_string_control_text(g, "");
            build_lists();
        } else {
            // A miss flies back to where the name came from.
            const A_SELECT_CONTROL* g = select_record(sc.ghost);
            const double dx = ds.origin_x - g->settings.x, dy = ds.origin_y - g->settings.y;
            const int32_t n = static_cast<int32_t>(0.5 + 0.05 * std::sqrt(dx * dx + dy * dy));
            if (n < 1) {
                give_text_back();
            } else {
                ds.step_x = dx / n, ds.step_y = dy / n;
                ds.at_x = g->settings.x, ds.at_y = g->settings.y;
                ds.fly_back = n;
            }
        }
    }
}

void select_controller_step(menu_screen*)
{
    read_keyboard_controller();
    A_STRING_CONTROL* f = entry_field();
    if (f) {
        select_font(1);
        bool editing = false;
        for (int32_t k : k_edit_keys)
            if (key_state[k] & 0x80) editing = true;
        if (string_width(f->settings.text) >= ENTRY_LIMIT_WIDTH && !editing) std::memset(key_state, 0, sizeof key_state);
        if ((key_state[28] & 0x80) && active_icon_table.focus_icon == &f->display.text_icon) {
            key_state[28] = 0;
            name_entered();
        }
    }
    // Delete on a pool name takes it out.
    if (menu_icon* focus = active_icon_table.focus_icon; focus && (key_state[211] & 0x80) && focus->record) {
        const control* owner = static_cast<A_STRING_CONTROL*>(focus->record)->self;
        if (owner && owner->parent == sc.names_list && focus->text) {
            key_state[211] = 0;
            remove_pool_name(const_cast<control*>(owner));
        }
    }
    if (ds.fly_back > 0) {
        ds.at_x += ds.step_x, ds.at_y += ds.step_y;
        place_ghost(static_cast<int32_t>(ds.at_x), static_cast<int32_t>(ds.at_y));
        if (--ds.fly_back == 0) give_text_back();
    }
    select_controller_frame();
    update_control_list(sc.controls);
}

void select_controller_close(menu_screen*)
{
    drop_controller_icons();
    free_control_tree(&sc.controls);
    sc.names_list = sc.controllers_list = sc.entry = sc.ghost = nullptr;
    ds = DragState{};
    if (renderer_index() == 0) set_text_attribute(1);
    front_end_state.default_action = nullptr;
}

// --- Texts for other screens ---

std::string controller_name_text(const std::string& so_far, const char* name, bool append, int32_t controller)
{
    std::string text;
    if (name && name[0])
        text = name;
    else if (controller < joystick_controllers)
        text = "Joystick " + std::to_string(controller + 1);
    else
        text = "Keyboard";
    return append ? so_far + ", " + text : text;
}

std::string controller_list_text(int32_t side)
{
    std::string text;
    bool any = false;
    for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) {
        if (controller_side(r) != side) continue;
        // The names are kept by entry: the keyboard's record follows the mouse's.
        int32_t entry = r;
        if (r == keyboard_controller) entry = joystick_controllers;
        else if (r >= joystick_controllers) continue;
        text = controller_name_text(text, game_settings.controller_player_names[entry], any, r);
        any = true;
        if (text.size() > PANEL_TEXT_MAX) break;
    }
    if (!any) text = "CPU";
    if (text.size() > PANEL_TEXT_MAX) text.resize(PANEL_TEXT_MAX);
    return text;
}

void draw_players_panel(control_list* list, const char* text, int32_t x, int32_t y, int32_t clip)
{
    control* t = nullptr;
    create_control(CONTROL_SELECT, &t);
    A_SELECT_CONTROL* s = select_record(t);
    set_select_control_styles(s, &body_text_template, &hscroll_templates[3], &hscroll_templates[2]);
    fill_scroll_slider_template(&s->display.slider_template, false, ICON_FOCUSABLE, 5);
    s->settings.x = x + 5, s->settings.y = y;
    s->settings.window = {0, 0, 35, 100};
    s->settings.clip_window = clip;
    s->settings.hslider_x = x + 50, s->settings.hslider_y = y + 35;
    select_font(1);
    s->settings.label_x = -5 - string_width("Players:");
    s->settings.label_text = const_cast<char*>("Players:");
    control* c = nullptr;
    create_control_from_template(list, nullptr, CONTROL_SELECT, t, &c);
    free_control_data(&t);
    char shown[PANEL_TEXT_MAX + 1];
    std::snprintf(shown, sizeof shown, "%s", text);
    control* st = nullptr;
    create_control(CONTROL_STRING, &st);
    A_STRING_CONTROL* v = string_record(st);
    set_string_control_styles(v, &body_text_template, nullptr);
    v->settings.text = shown;
    v->settings.max_length = PANEL_TEXT_MAX;
    control* item = nullptr;
    create_control_from_template(select_record(c)->settings.choices, c, CONTROL_STRING, st, &item);
    free_control_data(&st);
    draw_control_tree(c);
}

void draw_side_players_panel(control_list* list, int32_t x, int32_t y, int32_t side)
{
    draw_players_panel(list, controller_list_text(side).c_str(), x, y, 0);
}

void draw_both_players_panels(control_list* list, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    draw_side_players_panel(list, x1, y1, -1);
    draw_side_players_panel(list, x2, y2, 1);
}

void format_statistics_line(const char* left, const char* right, const char* middle, char* out, uint32_t size)
{
    std::snprintf(out, size, "%s   %s   %s", left, middle, right);
    const size_t l = std::strlen(left), m = std::strlen(middle);
    const int32_t x1 = 244 - string_width(middle) / 2, x2 = 488 - string_width(right);
    auto code = [&](size_t at, int32_t x) {
        if (at + 2 >= size) return;
        out[at] = 2;
        out[at + 1] = static_cast<char>(x & 0xFF);
        out[at + 2] = static_cast<char>((x >> 8) & 0xFF);
    };
    code(l, x1);
    code(l + 3 + m, x2);
}

void reset_select_controller()
{
    if (sc.controls) free_control_tree(&sc.controls);
    drop_controller_icons();
    sc = SelectControllerScreen{};
    ds = DragState{};
    name_pool = NamePool{};
}
