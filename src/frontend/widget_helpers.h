// Helpers of the player database editor's screens: seven attribute sliders
// the screen draws itself, a floating text box that carries a name from one
// row to another and glides it home, a hit test against a control's rounded
// window, and row highlights.
#pragma once

#include "frontend/controls.h"

#include <cstdint>

constexpr int32_t ATTRIBUTE_SLIDERS = 7;
constexpr int32_t EDITOR_ROWS = 18;
constexpr int32_t ROW_RECORD_BYTES = 36;

struct AttributeSliderRow {
    int32_t minimum, maximum, x, y;
};
extern const AttributeSliderRow attribute_slider_rows[ATTRIBUTE_SLIDERS];

// The editor's state these helpers work on.
struct EditorWidgets {
    control_list* controls;            // the screen's control list
    int32_t attributes[ATTRIBUTE_SLIDERS]; // the editor's attribute words
    control* sliders[ATTRIBUTE_SLIDERS];
    ControlFn bar_created;             // the bar graphics the sliders draw with (null: the powerbars)
    CustomDrawFn bar_draw;
    ControlFn bar_deleted;
    // The floating box and its drag.
    control* box;
    uint8_t busy;
    char text[256];
    int32_t pick_x, pick_y;
    int32_t offset_x, offset_y;
    int32_t source;
    int32_t kind; // 1, 2 or 3
    int32_t team_words[2];
    int32_t glide_steps;
    double glide_dx, glide_dy, glide_x, glide_y;
    char* placeholder;     // what a picked-up control shows meanwhile
    A_STRING_CONTROL* target; // where a glide ends
    // The editor's selection and the page it rebuilds from the attributes.
    int32_t selected_team, selected_slot;
    void (*rebuild_page)();
    // The row table.
    menu_icon* rows[EDITOR_ROWS];
    uint8_t* row_records; // 36 bytes a row, the text first
    uint8_t* row_buffer;
};
extern EditorWidgets editor_widgets;

void create_attribute_sliders();
void create_floating_text_box(char* buffer);
void pick_up_row_text(menu_icon* row);
void pick_up_control_text(icon_state_record* r, menu_icon* icon, menu_screen* s);
void drop_glide(int32_t x, int32_t y);
bool rect_hits_round_window(int32_t x, int32_t y, int32_t w, int32_t h, const control* c);
void set_row_highlight(int32_t row);
void clear_row_highlight(int32_t row);
void free_row_icons();
// The selected player's six rated attributes (speed, kicking, handball,
// tackling, strength, height) into the editor's first six values.
void copy_selected_player_attributes();

// A layout record: five 32-bit values kept as ten 16-bit halves, a word,
// two halves, a 16-bit value and a word.
struct IconLayout {
    uint16_t halves[10];
    uint32_t word_a;
    uint16_t pair[2];
    uint16_t value;
    uint32_t word_b;
};
void fill_icon_layout(IconLayout* record, const int32_t five[5], uint32_t word_a, int32_t pair_value, uint16_t value,
                      uint32_t word_b);

// Tests.
void reset_editor_widgets();
