// Menu icons: a text or a sprite with one appearance per state, a result code
// and handlers, copied from a static template while its screen is open and
// kept in the active icon table, whose slot order is the order of drawing and
// of focus moves. Once a frame the state machine turns the pointer and the
// keys into focus, clicks and the screen's result.
#pragma once

#include <cstdint>

struct menu_screen;
struct menu_icon;
struct icon_state_record;

using IconFn = void (*)(icon_state_record* record, menu_icon* icon, menu_screen* screen);

enum IconState : uint8_t { ICON_NORMAL = 0, ICON_INACTIVE = 1, ICON_FOCUSED = 2, ICON_CLICKED = 3, ICON_HELD = 4 };
constexpr int ICON_STATES = 5;

struct icon_state_record {
    // A sprite icon: the frame table of a loaded set (const void* const*); a
    // text icon: the font number.
    uintptr_t image;
    uint8_t frame;
    uint8_t frame_count;
    int8_t countdown;
    int8_t period; // at least 1 wherever a step advances frames
    IconFn step;
    IconFn handler; // the clicked state's is the click handler
};

// Icon flags.
enum : uint16_t {
    ICON_FOCUSABLE = 0x0001,
    ICON_VALUE_KEYS = 0x0002, // Left and Right go to the value hooks
    ICON_HIDDEN = 0x0004,
    ICON_INERT = 0x0008, // under an open overlay box
    ICON_CAPTURE = 0x0010,
    ICON_HAS_CHILD = 0x0020,
    ICON_KEEPS_FOCUS = 0x0040, // also sprite priority 125
    ICON_CLIP_MASK = 0x0180,
    ICON_SCALED = 0x0200,
    ICON_CLIPPED_OUT = 0x0400,
    ICON_PIXEL_POSITION = 0x0800,
    ICON_TO_OVERLAY = 0x1000,
    ICON_TOP = 0x2000,
    ICON_OPAQUE = 0x4000,
    ICON_KEPT_APART = 0x8000, // hidden while an overlay box is open
};
constexpr int ICON_CLIP_SHIFT = 7;

struct menu_icon {
    uint8_t state;
    uint8_t previous_state;
    const char* text; // null: a sprite icon
    uint8_t open_anim, close_anim;
    uint32_t anim_time;
    uint8_t anim;
    icon_state_record states[ICON_STATES];
    int16_t x, y;          // screen pixels: a sprite's hot spot, a text's top left
    int16_t width, height; // -1: from the image or the text
    uint16_t result_code;
    uint16_t flags;
    uint32_t scale; // low 16 bits with ICON_SCALED, 256 natural size
    const menu_icon* child_template; // with ICON_HAS_CHILD
    int32_t motion_ticks;
    menu_icon* child;
    menu_icon* parent;
    int16_t rect_left, rect_right, rect_top, rect_bottom;
    // Owners' own fields.
    void* record;        // the control or list entry the icon shows
    void* owner;         // the screen part that added it
    uint8_t user_index;  // which entry of its owner's table
    uint8_t code;        // its owner's code (which badge, which hint)
    uint8_t limit;       // a direction or limit of its stepper
    const void* user_template;
};

constexpr int ICON_TABLE_SLOTS = 170;
constexpr int32_t FATAL_ICON_TABLE_FULL = 208;
constexpr int32_t FATAL_ICON_NOT_IN_TABLE = 219;

struct IconSlot {
    menu_icon* icon;
    uint8_t group;
};
struct ActiveIconTable {
    IconSlot slots[ICON_TABLE_SLOTS];
    int32_t count;
    menu_icon* focus_icon; // null: no focus
    uint8_t focus_group;   // low seven bits the group, bit 7 a scrolling list
    uint8_t changed;
    uint8_t press_capture;
    uint8_t* sub_menu_table; // saved states while an overlay box is open
    menu_icon* saved_focus;
};
extern ActiveIconTable active_icon_table;

// Pointer and keys as the state machine reads them each frame: the pointer in
// screen pixels, the left button down and newly down, and the one-shot key
// flags of the frame (1 Up, 2 Down, 4 Left, 8 Right, 0x20 Enter).
struct IconInput {
    int32_t x, y;
    bool left_down, left_pressed;
    uint8_t keys, keys_new;
};
extern IconInput icon_input;

// The mouse pointer's sprite: its frame table, frame and step.
struct PointerSprite {
    const void* const* frames;
    uint8_t frame;
    void (*step)(PointerSprite* pointer, int32_t, int32_t);
};
extern PointerSprite pointer_sprite;

// Where set_focus_icon moves the pointer; the screen runner installs the
// cursor move.
extern void (*move_pointer_to)(int32_t x, int32_t y);

void add_child_icon(menu_icon* icon, int32_t x, int32_t y, uint8_t group);
void remove_icon(menu_icon* icon);
void clear_icon_table();
void update_icon(menu_icon* icon);
void update_icon_states(menu_screen* screen);
void draw_icons(menu_screen* screen);
void set_icon_state_field(menu_icon* icon, int32_t state, IconFn handler);
void set_icon_state_stepper(menu_icon* icon, int32_t state, IconFn step);
void set_focus_icon(menu_icon* icon);
int32_t find_icon_index(const menu_icon* icon);
// The slot of the icon, or -1.
int32_t icon_slot(const menu_icon* icon);
void mark_clipped_icons();
void sort_icons_by_position();
// A fresh copy of a template (tracked, tagged) for its owner to add and free.
menu_icon* copy_icon(const menu_icon& from, const char* tag);
void free_icon(menu_icon* icon);

void step_frames_loop(icon_state_record* record, menu_icon* icon, menu_screen* screen);
void step_frames_once(icon_state_record* record, menu_icon* icon, menu_screen* screen);
void step_frames_once_then_stop(icon_state_record* record, menu_icon* icon, menu_screen* screen);

void start_icon_open_animation(menu_icon* icon);
void start_icon_close_animation(menu_icon* icon);
void start_icon_close_animations(menu_screen* screen);
bool step_icon_close_animations(menu_screen* screen);
bool icons_settled(menu_screen* screen);
void start_group_open_animations(bool text, uint8_t open_kind, uint8_t close_kind, uint8_t group, int32_t skip,
                                 int32_t count);
// One frame of motion kind 1-8 on the icon; false once the icon left the table.
bool run_icon_motion_step(uint8_t kind, menu_icon* icon);

void create_sub_menu_table();
void hide_sub_menu_icons();
void restore_sub_menu_table();
void unhide_kept_icons();
void remove_sub_menu_icons();
void set_icon_frames(menu_icon* icon, const icon_state_record* record);

// Layer switches of draw_icons (both 1 outside an overlay frame).
extern uint8_t draw_inactive_layer, draw_active_layer;

// Text placement of a text icon by the width of its text in its font: centred
// on the 640-unit screen, centred at x, right-aligned at x, or with the middle
// of marker (found in the text) at x. Positions in 640 x 480 units, scaled.
void centre_icon_text_on_screen(menu_icon* icon);
void centre_icon_text_at(menu_icon* icon, int32_t x);
void right_align_icon_text(menu_icon* icon, int32_t x);
void align_icon_text_at_marker(menu_icon* icon, const char* marker, int32_t x);

// Tests: empties the table and frees any overlay save.
void reset_menu_icons();
