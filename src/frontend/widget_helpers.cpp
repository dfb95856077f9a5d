#include "frontend/widget_helpers.h"

#include "frontend/control_events.h"
#include "frontend/front_end_graphics.h"
#include "league/league_data.h"
#include "platform/memory.h"
#include "screen/fonts.h"

#include <cmath>
#include <cstdio>
#include <cstring>

EditorWidgets editor_widgets;

const AttributeSliderRow attribute_slider_rows[ATTRIBUTE_SLIDERS] = {
    {22, 40, 335, 278}, {0, 255, 335, 298},   {0, 255, 335, 318}, {230, 255, 335, 338},
    {0, 255, 335, 358}, {153, 652, 335, 378}, {67, 285, 335, 408},
};

namespace {

EditorWidgets& ew = editor_widgets;

A_STRING_CONTROL* box_field() { return string_record(list_current_data(select_record(ew.box))); }

void redraw_box(int32_t x, int32_t y)
{
    if (!ew.box) return;
    erase_control_tree(ew.box);
    set_control_position(ew.box, x, y);
    if (A_STRING_CONTROL* f = box_field()) set_string_control_text(f, ew.text);
    draw_control_tree(ew.box);
}

} // namespace

void create_attribute_sliders()
{
    if (!ew.controls) create_list(&ew.controls);
    for (int32_t i = 0; i < ATTRIBUTE_SLIDERS; ++i) {
        const AttributeSliderRow& row = attribute_slider_rows[i];
        control* t = nullptr;
        create_control(CONTROL_SLIDER, &t);
        A_SLIDER_CONTROL* s = slider_record(t);
        s->settings.flags = SLIDER_CUSTOM_DRAW;
        s->settings.custom_width = 84, s->settings.custom_height = 10;
        s->settings.orientation = SLIDER_HORIZONTAL;
        s->settings.x = row.x, s->settings.y = row.y;
        s->settings.minimum = row.minimum, s->settings.maximum = row.maximum;
        s->settings.value = &ew.attributes[i];
        // The powerbars unless the editor gave its own.
        s->callbacks.created = ew.bar_created ? ew.bar_created : load_powerbar;
        s->callbacks.custom_draw = ew.bar_draw ? ew.bar_draw : draw_powerbar_control;
        s->callbacks.deleted = ew.bar_deleted ? ew.bar_deleted : release_powerbar;
        create_control_from_template(ew.controls, nullptr, CONTROL_SLIDER, t, &ew.sliders[i]);
        free_control_data(&t);
    }
}

void create_floating_text_box(char* buffer)
{
    if (!ew.controls) create_list(&ew.controls);
    control* t = nullptr;
    create_control(CONTROL_SELECT, &t);
    A_SELECT_CONTROL* s = select_record(t);
    s->settings.x = icon_input.x, s->settings.y = icon_input.y;
    s->settings.window = {0, 0, 43, 105};
    s->settings.clip_window = 0;
    create_control_from_template(ew.controls, nullptr, CONTROL_SELECT, t, &ew.box);
    free_control_data(&t);
    control* st = nullptr;
    create_control(CONTROL_STRING, &st);
    A_STRING_CONTROL* f = string_record(st);
    set_string_control_styles(f, &body_text_template, nullptr);
    set_string_control_icon_flags(f, ICON_FOCUSABLE, 0);
    set_string_control_icon_layers(f, 0, 0);
    f->settings.text = buffer;
    f->settings.max_length = 256;
    f->settings.flags = STRING_EDITABLE;
    f->settings.edit_mode = EDIT_TEXT;
    f->callbacks.text_repeat = pick_up_control_text;
    control* child = nullptr;
    create_control_from_template(select_record(ew.box)->settings.choices, ew.box, CONTROL_STRING, st, &child);
    free_control_data(&st);
}

void pick_up_row_text(menu_icon* row)
{
    if (ew.busy || !row || !ew.row_records) return;
    const int32_t index = row->result_code;
    if (index < 0 || index >= EDITOR_ROWS) return;
    ew.busy = 1;
    std::snprintf(ew.text, sizeof ew.text, "%.*s", ROW_RECORD_BYTES, reinterpret_cast<const char*>(ew.row_records + index * ROW_RECORD_BYTES));
    select_font(1);
    const int32_t w = string_width(ew.text), h = string_height(ew.text);
    ew.pick_x = icon_input.x, ew.pick_y = icon_input.y;
    ew.kind = 3;
    ew.source = index;
    redraw_box(icon_input.x - w / 2, icon_input.y - h / 2);
}

void pick_up_control_text(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (ew.busy || !icon || !icon->record) return;
    auto* s = static_cast<A_STRING_CONTROL*>(icon->record);
    control* c = s->self;
    ew.busy = 1;
    std::snprintf(ew.text, sizeof ew.text, "%s", s->settings.text);
    ew.offset_x = icon_input.x - control_screen_x(c), ew.offset_y = icon_input.y - control_screen_y(c);
    ew.pick_x = icon_input.x, ew.pick_y = icon_input.y;
    ew.source = c->parent_list ? list_index_of_data(c->parent_list, c) : -1;
    set_string_control_text(s, ew.placeholder ? ew.placeholder : "");
    const uint8_t kind = c->user_data ? *static_cast<const uint8_t*>(c->user_data) : 0;
    ew.kind = kind;
    ew.team_words[0] = ew.team_words[1] = 0;
    if (kind == 1 || kind == 2) ew.team_words[0] = s->settings.user_value;
    if (kind == 1) ew.team_words[1] = s->settings.user_value;
    redraw_box(icon_input.x - ew.offset_x, icon_input.y - ew.offset_y);
}

void drop_glide(int32_t x, int32_t y)
{
    const double dx = x - ew.pick_x, dy = y - ew.pick_y;
    const double distance = std::sqrt(dx * dx + dy * dy);
    ew.glide_steps = static_cast<int32_t>(0.5 + 0.05 * distance);
    if (ew.glide_steps < 1) {
        if (ew.target) set_string_control_text(ew.target, ew.text);
        ew.busy = 0;
        return;
    }
    ew.glide_dx = dx / ew.glide_steps;
    ew.glide_dy = dy / ew.glide_steps;
    ew.glide_x = x, ew.glide_y = y;
    redraw_box(x, y);
}

bool rect_hits_round_window(int32_t x, int32_t y, int32_t w, int32_t h, const control* c)
{
    ControlRect win{};
    int32_t r = 0;
    if (const A_LIST_CONTROL* l = list_record(c)) win = l->settings.window, r = l->settings.item_spacing;
    else if (const A_SELECT_CONTROL* s = select_record(c)) win = s->settings.window, r = control_height(c);
    else return false;
    const int32_t xs[5] = {x, x + w, x, x + w, x + w / 2};
    const int32_t ys[5] = {y, y, y + h, y + h, y + h / 2};
    for (int i = 0; i < 5; ++i)
        if (xs[i] > win.left && xs[i] < win.right && ys[i] > win.top - r / 2 && ys[i] < win.bottom + r / 2) return true;
    return false;
}

void set_row_highlight(int32_t row)
{
    if (row < 0 || row >= EDITOR_ROWS || !ew.rows[row]) return;
    for (auto& s : ew.rows[row]->states) s.frame = 1;
}

void clear_row_highlight(int32_t row)
{
    if (row < 0 || row >= EDITOR_ROWS || !ew.rows[row]) return;
    for (auto& s : ew.rows[row]->states) s.frame = 0;
}

void free_row_icons()
{
    for (menu_icon*& icon : ew.rows) {
        if (!icon) continue;
        if (icon_slot(icon) >= 0) remove_icon(icon);
        free_icon(icon);
        icon = nullptr;
    }
    if (ew.row_records == ew.row_buffer) ew.row_records = nullptr;
    if (ew.row_buffer) free_mem(ew.row_buffer);
    ew.row_buffer = nullptr;
}

void copy_selected_player_attributes()
{
    const league_team* team = league_team_at(ew.selected_team);
    if (!team || ew.selected_slot < 0 || ew.selected_slot >= LEAGUE_PLAYERS || !team->players[ew.selected_slot]) return;
    const league_player* p = team->players[ew.selected_slot];
    const int offsets[5] = {PLAYER_SPEED, PLAYER_KICKING, PLAYER_HANDBALL, PLAYER_TACKLING, PLAYER_STRENGTH};
    for (int i = 0; i < 5; ++i) ew.attributes[i] = player_i16(p, offsets[i]);
    ew.attributes[5] = player_i32(p, PLAYER_HEIGHT);
    if (ew.rebuild_page) ew.rebuild_page();
}

void fill_icon_layout(IconLayout* record, const int32_t five[5], uint32_t word_a, int32_t pair_value, uint16_t value,
                      uint32_t word_b)
{
    for (int i = 0; i < 5; ++i) {
        record->halves[2 * i] = static_cast<uint16_t>(five[i] & 0xFFFF);
        record->halves[2 * i + 1] = static_cast<uint16_t>((static_cast<uint32_t>(five[i]) >> 16) & 0xFFFF);
    }
    record->word_a = word_a;
    record->pair[0] = static_cast<uint16_t>(pair_value & 0xFFFF);
    record->pair[1] = static_cast<uint16_t>((static_cast<uint32_t>(pair_value) >> 16) & 0xFFFF);
    record->value = value;
    record->word_b = word_b;
}

void reset_editor_widgets()
{
    free_row_icons();
    if (ew.controls) free_control_tree(&ew.controls);
    ew = EditorWidgets{};
}
