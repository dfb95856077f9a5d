// The control toolkit's icon handlers, its per-frame update, the scroll
// sliders lists and selects make for themselves, and the text entry of
// editable fields with its four scan-code tables.
#pragma once

#include "frontend/controls.h"

void update_control_list(control_list* list);

// Handlers the draw operations install.
void string_text_restore(icon_state_record* r, menu_icon* icon, menu_screen* s);
void string_text_focused(icon_state_record* r, menu_icon* icon, menu_screen* s);
void string_text_clicked(icon_state_record* r, menu_icon* icon, menu_screen* s);
void string_text_repeat(icon_state_record* r, menu_icon* icon, menu_screen* s);
void string_label_focused(icon_state_record* r, menu_icon* icon, menu_screen* s);
void string_label_clicked(icon_state_record* r, menu_icon* icon, menu_screen* s);
void string_label_repeat(icon_state_record* r, menu_icon* icon, menu_screen* s);
void select_label_restore(icon_state_record* r, menu_icon* icon, menu_screen* s);
void select_focus(icon_state_record* r, menu_icon* icon, menu_screen* s);
void select_label_clicked(icon_state_record* r, menu_icon* icon, menu_screen* s);
void select_label_repeat(icon_state_record* r, menu_icon* icon, menu_screen* s);
void select_next_choice(icon_state_record* r, menu_icon* icon, menu_screen* s);
void select_previous_choice(icon_state_record* r, menu_icon* icon, menu_screen* s);
void slider_track_clicked(icon_state_record* r, menu_icon* icon, menu_screen* s);
void slider_thumb_taken(icon_state_record* r, menu_icon* icon, menu_screen* s);
void slider_thumb_dragged(icon_state_record* r, menu_icon* icon, menu_screen* s);
void slider_decrease(icon_state_record* r, menu_icon* icon, menu_screen* s);
void slider_increase(icon_state_record* r, menu_icon* icon, menu_screen* s);
void slider_decrease_focused(icon_state_record* r, menu_icon* icon, menu_screen* s);
void slider_increase_focused(icon_state_record* r, menu_icon* icon, menu_screen* s);

// Runner hooks.
void caret_left_hook(menu_screen* s);
void caret_right_hook(menu_screen* s);
void list_scroll_up_hook_fn(menu_screen* s);
void list_scroll_down_hook_fn(menu_screen* s);
void list_scroll_noop_hook(menu_screen* s);

// Scroll sliders.
void update_list_scroll_sliders(A_LIST_CONTROL* r);
void update_select_scroll(A_SELECT_CONTROL* r);
void list_vertical_scrolled(icon_state_record* r, menu_icon* icon, menu_screen* s);
void list_horizontal_scrolled(icon_state_record* r, menu_icon* icon, menu_screen* s);
void select_scroll_moved(icon_state_record* r, menu_icon* icon, menu_screen* s);
void string_in_select_scrolled(icon_state_record* r, menu_icon* icon, menu_screen* s);

// Text entry.
void string_control_poll_keys(A_STRING_CONTROL* r);
void string_control_key(A_STRING_CONTROL* r, int32_t scan_code);
int32_t set_string_control_text(A_STRING_CONTROL* r, const char* text);
void place_string_caret(A_STRING_CONTROL* r);
void rebuild_string_control(A_STRING_CONTROL* r);
int32_t string_prefix_width(const A_STRING_CONTROL* r);
void fit_caret_to_width(A_STRING_CONTROL* r, int32_t width);
// The character a scan code enters in a table: 0 normal, 1 shifted, 2 hex,
// 3 numeric.
uint8_t scan_code_character(int32_t table, int32_t scan_code);

// Sliders.
void slider_value_to_thumb(A_SLIDER_CONTROL* r);
void slider_thumb_to_value(A_SLIDER_CONTROL* r);
void clamp_slider_thumb(A_SLIDER_CONTROL* r);
void clamp_slider_value(A_SLIDER_CONTROL* r);
void slider_page_up(A_SLIDER_CONTROL* r);

// The string field whose caret the runner's hooks move (null: none).
extern A_STRING_CONTROL* caret_field;
