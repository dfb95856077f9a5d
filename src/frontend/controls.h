// The menu control toolkit: lists, text fields, one-of-n choices and sliders,
// each a header and a type record holding its settings, the screen's
// callbacks and the icons through which it is shown and takes the pointer
// and the keys. A screen fills a template, copies it into its control list,
// draws the list, updates it every frame and frees the tree when it closes.
// Positions are 640 x 480 units; rectangles are top, left, bottom, right.
#pragma once

#include "frontend/control_lists.h"
#include "frontend/menu_icons.h"

#include <cstdint>

enum ControlType : uint32_t { CONTROL_LIST = 0, CONTROL_STRING = 1, CONTROL_SELECT = 2, CONTROL_SLIDER = 3 };

struct control {
    uint32_t size;
    uint32_t type; // ControlType
    void* record;  // the type record, owned
    control_list* parent_list;
    control_list* children; // drawn, erased and deleted with this control
    uint32_t user_data_present;
    void* user_data;
    uint32_t user_data_size;
    control* parent; // the list or select whose items hold this control
};

struct ControlRect {
    int32_t top, left, bottom, right;
};

// --- Sliders ---

enum : uint32_t { SLIDER_ARROWS = 1, SLIDER_CUSTOM_DRAW = 2 };
enum : uint32_t { SLIDER_HORIZONTAL = 0, SLIDER_VERTICAL = 1 };

struct slider_display {
    uint32_t size;
    uint8_t track_group, thumb_group, decrease_group, increase_group;
    uint16_t track_flags, thumb_flags, decrease_flags, increase_flags;
    uint8_t result_code;
    menu_icon track, thumb, decrease, increase;
    uint8_t drawn;
    void* owner; // a scroll slider's list or select record
};

using ControlFn = void (*)(control* c);
using CustomDrawFn = void (*)(control* c, int32_t x, int32_t y, int32_t width, int32_t height, int32_t percent);

struct A_SLIDER_CONTROL {
    uint32_t size;
    control* self;
    struct Settings {
        uint32_t size;
        uint32_t flags;
        int32_t x, y, offset_x, offset_y; // x, y: the track's centre
        int32_t custom_width, custom_height;
        uint32_t orientation;
        int32_t minimum, maximum;
        int32_t page_up, page_down;
        int32_t arrow_up, arrow_down; // below 1 counts as 1
        int32_t* value;               // the screen's
        int32_t grab_offset;
        uint8_t dragging;
        uint32_t powerbar_kind; // the look a bar drawn by the screen takes (front_end_graphics.h)
    } settings;
    struct Callbacks {
        uint32_t size;
        IconFn thumb_taken, thumb_dragged, paged_up;
        IconFn decrease_focused, decrease_clicked, decrease_repeat;
        IconFn paged_down;
        IconFn increase_focused, increase_clicked, increase_repeat;
        ControlFn created;
        CustomDrawFn custom_draw;
        ControlFn deleted;
    } callbacks;
    slider_display display;
};

// --- Strings ---

enum : uint32_t { STRING_EDITABLE = 1, STRING_LABEL = 2, STRING_LABEL_ALWAYS = 4 };
enum : uint32_t { EDIT_READ_ONLY = 0, EDIT_TEXT = 1, EDIT_HEX = 2, EDIT_NUMERIC = 3 };

struct A_STRING_CONTROL {
    uint32_t size;
    control* self;
    struct Settings {
        uint32_t size;
        uint32_t flags;
        uint32_t caret_colour;
        int32_t x, y, offset_x, offset_y;
        int32_t max_length;
        uint8_t insert_caret, overwrite_caret;
        int32_t caret, length;
        int32_t blink_half_period, blink_counter;
        uint32_t edit_mode;
        uint32_t insert_mode;
        char* text; // owned
        uint8_t label_shown;
        int32_t label_x, label_y;
        int32_t user_value;
    } settings;
    struct Callbacks {
        uint32_t size;
        IconFn text_focused, text_clicked, text_repeat;
        IconFn label_focused, label_clicked, label_repeat;
    } callbacks;
    struct Display {
        uint32_t size;
        uint8_t text_group, label_group;
        uint16_t text_flags, label_flags;
        uint8_t text_result, label_result;
        menu_icon text_icon, label_icon;
        icon_state_record text_saved[ICON_STATES], label_saved[ICON_STATES];
        uint8_t drawn, highlight;
    } display;
};

// --- Selects ---

enum : uint32_t { SELECT_NO_CLIP = 2 };

struct A_SELECT_CONTROL {
    uint32_t size;
    control* self;
    struct Settings {
        uint32_t size;
        uint32_t flags;
        int32_t x, y, offset_x, offset_y;
        int32_t label_x, label_y;
        int32_t next_x, next_y, previous_x, previous_y;
        ControlRect window; // relative to the control's screen position
        int32_t clip_window;
        int32_t hslider_x, hslider_y;
        char* label_text; // owned copy
        A_SLIDER_CONTROL* hslider;
        int32_t hscroll;
        int32_t current;
        control_list* choices;
    } settings;
    struct Callbacks {
        uint32_t size;
        IconFn slot[11]; // the toolkit calls these:
    } callbacks;
    struct Display {
        uint32_t size;
        slider_display slider_template;
        uint8_t label_group, previous_group, next_group;
        uint16_t label_flags, previous_flags, next_flags;
        uint8_t label_result;
        menu_icon label_icon, next_icon, previous_icon;
        icon_state_record label_saved[ICON_STATES];
        uint8_t drawn, arrows_drawn, highlight;
    } display;
};
enum : int { SELECT_LABEL_REPEAT = 2, SELECT_PREVIOUS = 4, SELECT_NEXT = 7, SELECT_FOCUSED = 9, SELECT_LABEL_CLICKED = 10 };

// --- Lists ---

enum : uint32_t { LIST_NO_VSLIDER = 0x1000, LIST_NO_CLIP = 0x4000 };

struct A_LIST_CONTROL {
    uint32_t size;
    control* self;
    struct Settings {
        uint32_t size;
        uint32_t flags;
        ControlRect window; // absolute
        int32_t clip_window;
        int32_t x, y, offset_x, offset_y;
        int32_t vslider_x, vslider_y, hslider_x, hslider_y;
        uint32_t vslider_flags;
        int32_t vscroll, hscroll;
        A_SLIDER_CONTROL* hslider;
        A_SLIDER_CONTROL* vslider;
        control_list* items;
        int32_t item_spacing;
        int32_t top_margin, bottom_margin;
        int32_t applied_vscroll;
    } settings;
    struct Callbacks {
        uint32_t size;
    } callbacks;
    struct Display {
        uint32_t size;
        slider_display hslider_template, vslider_template;
        uint32_t drawn;
    } display;
};

// Creation and destruction.
void create_control(uint32_t type, control** out);
void create_control_from_template(control_list* parent_list, control* parent, uint32_t type, const control* templ,
                                  control** out);
void free_control_data(control** templ);
void delete_control(control_list* list, control** c);
void free_control_tree(control_list** list);

// Template styles: a null template leaves its slot alone.
void set_string_control_styles(A_STRING_CONTROL* r, const menu_icon* text, const menu_icon* label);
void set_string_control_icon_flags(A_STRING_CONTROL* r, uint16_t text, uint16_t label);
void set_string_control_icon_layers(A_STRING_CONTROL* r, uint8_t text, uint8_t label);
void set_select_control_styles(A_SELECT_CONTROL* r, const menu_icon* label, const menu_icon* next,
                               const menu_icon* previous);
void set_select_control_icon_flags(A_SELECT_CONTROL* r, uint16_t label, uint16_t next, uint16_t previous);
void set_select_control_icon_layers(A_SELECT_CONTROL* r, uint8_t label, uint8_t next, uint8_t previous);
void set_slider_styles(slider_display* d, const menu_icon* track, const menu_icon* thumb, const menu_icon* decrease,
                       const menu_icon* increase);
void set_slider_icon_flags(slider_display* d, uint16_t track, uint16_t thumb, uint16_t decrease, uint16_t increase);
void set_slider_icon_layers(slider_display* d, uint8_t track, uint8_t thumb, uint8_t decrease, uint8_t increase);

// Drawing and erasing.
void draw_control_tree(control* c);
void erase_control_tree(control* c);
void redraw_control_tree(control* c);
void draw_control_list(control_list* list);
void erase_control_list(control_list* list);
void draw_list_control(A_LIST_CONTROL* r);
// Erases the items and lays them out again at the applied scroll.
void relayout_list_control(A_LIST_CONTROL* r);
void draw_string_control(A_STRING_CONTROL* r);
void draw_select_control(A_SELECT_CONTROL* r);
void draw_slider_control(A_SLIDER_CONTROL* r);
void erase_list_control(A_LIST_CONTROL* r);
void erase_string_control(A_STRING_CONTROL* r);
void erase_select_control(A_SELECT_CONTROL* r);
void erase_slider_control(A_SLIDER_CONTROL* r);
bool control_is_drawn(const control* c);
void erase_select_arrows(A_SELECT_CONTROL* r);

// Geometry.
int32_t control_screen_x(const control* c);
int32_t control_screen_y(const control* c);
void set_control_offset(control* c, int32_t dx, int32_t dy);
void set_control_y(control* c, int32_t y);
void set_control_x(control* c, int32_t x);
void set_control_position(control* c, int32_t x, int32_t y);
int32_t control_width(const control* c);
int32_t control_height(const control* c);
int32_t list_max_width(const control_list* list);
int32_t list_total_height(const control_list* list);
int32_t list_control_items_width(const A_LIST_CONTROL* r);
int32_t list_control_items_height(const A_LIST_CONTROL* r);
int32_t slider_icon_height(const slider_display* d, int32_t which); // 0 track, 1 thumb, 2 decrease arrow

// Other.
int32_t attach_control_user_data(control* c, const void* bytes, uint32_t size);
int32_t free_control_user_data(control* c);
void focus_control(control* c);
control* list_current_data(const A_SELECT_CONTROL* r);
void prepare_icon(menu_icon* icon);
control* string_control_parent(const A_STRING_CONTROL* r);
void reset_select_choice_offset(A_SELECT_CONTROL* r);
void free_select_choices(A_SELECT_CONTROL* r);
int32_t text_width_by_table(const uint8_t* widths, const char* text);

// Typed access to a control's record (null when the type differs).
A_LIST_CONTROL* list_record(const control* c);
A_STRING_CONTROL* string_record(const control* c);
A_SELECT_CONTROL* select_record(const control* c);
A_SLIDER_CONTROL* slider_record(const control* c);

// The front end's scroll-bar icons (track, thumb, decrease and increase
// arrows) from the common sprite set; refreshed when the set is loaded.
extern menu_icon hscroll_templates[4], vscroll_templates[4];
// The body text and heading templates lists of text use.
extern menu_icon body_text_template, heading_text_template;
void prepare_control_templates();
void fill_scroll_slider_template(slider_display* d, bool vertical, uint16_t flags, uint8_t group);

constexpr int32_t FATAL_EMPTY_TEXT_BLOCK = 1999;

// Tests: forgets the field the caret hooks act on.
void reset_controls();

// Templates the screens fill in: a string in a text style, a select with the
// body text label and the scroll arrows, a horizontal slider with arrows
// and the scroll-bar icons stepping by step. add_from_template copies one
// into the list (under parent) and frees it.
control* new_string_template(const menu_icon* style, uint16_t flags, uint8_t group, const char* text, int32_t max);
control* new_select_template(const char* label, uint16_t flags, uint8_t group);
control* new_slider_template(int32_t* value, int32_t minimum, int32_t maximum, int32_t x, int32_t y, int32_t step);
control* add_from_template(control_list* list, control* parent, control*& templ);
// A one-line text field under its label: a select of one string over the
// screen's text buffer (at most max characters), which the keys edit when
// editable; the string's icon is focusable then, in group.
control* add_text_field(control_list* list, const char* label, int32_t x, int32_t y, int32_t width, char* text,
                        int32_t max, bool editable, uint8_t group);
