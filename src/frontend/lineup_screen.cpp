#include "frontend/lineup_screen.h"

#include "frontend/break_menus.h"
#include "frontend/front_end_graphics.h"
#include "frontend/frame_manifest.h"
#include "frontend/message_box.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "frontend/team_icon_sets.h"
#include "frontend/team_panels.h"
#include "host/clock.h"
#include "match/interchange.h"
#include "match/match_records.h"
#include "platform/input.h"
#include "platform/mouse.h"
#include "screen/screen.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

LineupScreenState lineup_state;
uint8_t lineup_side;
uint8_t lineup_first_open;

namespace {

LineupScreenState& lu = lineup_state;

constexpr int32_t OVAL_RX = 195, OVAL_RY = 129;
constexpr int32_t APART = 15, PUSHED = 16, PUSH_PASSES = 18;
constexpr int32_t ZONE_MARGIN = 6;
constexpr int32_t DRAG_START = 3; // pixels the pointer moves before a press becomes a drag
constexpr int32_t ILLEGAL_FORMATION_LOAD = -30;
constexpr uint8_t GROUP_BUTTONS = 1, GROUP_FIELD = 2, GROUP_BENCH = 3, GROUP_RESERVES = 4, GROUP_MARKERS = 5,
                  GROUP_POPUP = 6;
constexpr int32_t LINE_KEY_STEP = 2;
// The zone lines' ranges on the screen.
constexpr int32_t LINE_OUTER_MIN = 106, LINE_OUTER_MAX = 448, LINE2_MAX = 460, LINE3_MIN = 94, LINE_GAP = 12;
constexpr int32_t UPPER_MIN = 235, UPPER_MAX = 451, LOWER_MIN = 217, LOWER_MAX = 433;

bool in_match() { return break_menu_state.in_match_menu != 0; }

uint8_t kind_of(int32_t entry)
{
    return entry < LINEUP_ON_FIELD ? KIND_ON_FIELD : entry < LINEUP_RESERVE_FIRST ? KIND_BENCH : KIND_RESERVE;
}

// --- The screen's fixed entries ---

menu_icon focus_text(const char* text, uint16_t result, IconFn click)
{
    menu_icon t = text_template(text, 1, ICON_FOCUSABLE);
    t.result_code = result;
    t.states[ICON_FOCUSED].image = t.states[ICON_CLICKED].image = t.states[ICON_HELD].image = 2;
    t.states[ICON_CLICKED].handler = click;
    return t;
}

void roles_click(icon_state_record*, menu_icon*, menu_screen*) { open_roles_for_slot(); }
void previous_click(icon_state_record*, menu_icon*, menu_screen*) { previous_formation_slot(); }
void next_click(icon_state_record*, menu_icon*, menu_screen*) { next_formation_slot(); }
void select_click(icon_state_record*, menu_icon*, menu_screen*) { select_formation_slot(); }

menu_icon g_back, g_ok;
menu_icon g_roles = focus_text("Assign Roles", 24, roles_click);
menu_icon g_previous = focus_text("<<", 0, previous_click);
menu_icon g_next = focus_text(">>", 0, next_click);
menu_icon g_select = focus_text("Use Formation", 0, select_click);
menu_icon g_caption = text_template(lineup_state.caption, 1);
menu_icon g_status = text_template(lineup_state.status, 1);

// The six buttons come first; the formation list's Load and Save are the
// shared set's.
constexpr int ENTRIES = 8, BUTTONS = 6;
constexpr int ROLES_ENTRY = 0, OK_ENTRY = 5, CAPTION_ENTRY = 6, STATUS_ENTRY = 7;
constexpr int32_t LIST_BUTTON_X = 600, LOAD_Y = 235, SAVE_Y = 266;
menu_screen_entry g_entries[ENTRIES] = {
    {GROUP_BUTTONS, &g_roles, 480, 300, nullptr},  {GROUP_BUTTONS, &g_previous, 480, 235, nullptr},
    {GROUP_BUTTONS, &g_next, 520, 235, nullptr},   {GROUP_BUTTONS, &g_select, 480, 266, nullptr},
    {GROUP_BUTTONS, &g_back, 50, 450, nullptr},    {GROUP_BUTTONS, &g_ok, 110, 450, nullptr},
    {0, &g_caption, 337, 200, nullptr},            {0, &g_status, 480, 340, nullptr},
};
const char* const k_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\team formation.lbm",
                                   "front_en\\front_end_gfx\\menu_screens\\hw\\team formation.tga"};

// --- Icon copies ---

// A copy of a shared template on the screen, its pictures from the set now
// loaded under the handle.
menu_icon* add_copy(const menu_icon& from, int32_t handle, int32_t x, int32_t y, uint8_t group, int32_t frame = -1)
{
    menu_icon* icon = copy_icon(from, "Line-up icon");
    for (icon_state_record& r : icon->states) {
        if (handle >= 0) r.image = animation_frames(handle);
        if (frame >= 0) r.frame = static_cast<uint8_t>(frame);
    }
    add_child_icon(icon, scale_x_from_640(x), scale_y_from_480(y), group);
    return icon;
}

void drop_copy(menu_icon*& icon)
{
    if (!icon) return;
    if (icon_slot(icon) >= 0) remove_icon(icon);
    free_icon(icon);
    icon = nullptr;
}

void move_copy(menu_icon* icon, int32_t x, int32_t y)
{
    if (!icon) return;
    icon->x = static_cast<int16_t>(scale_x_from_640(x));
    icon->y = static_cast<int16_t>(scale_y_from_480(y));
    update_icon(icon);
}

void set_frame(menu_icon* icon, int32_t frame)
{
    if (!icon) return;
    for (icon_state_record& r : icon->states) r.frame = static_cast<uint8_t>(frame);
    update_icon(icon);
}

bool under_pointer(const menu_icon* icon)
{
    return icon && icon_slot(icon) >= 0 && icon->rect_left <= icon_input.x && icon_input.x < icon->rect_right &&
           icon->rect_top <= icon_input.y && icon_input.y < icon->rect_bottom;
}

int32_t pointer_640_x() { return icon_input.x * 640 / scale_x_from_640(640); }
int32_t pointer_640_y() { return icon_input.y * 480 / scale_y_from_480(480); }

// --- Player icons ---

// Where an entry's icon stands, in 640 x 480 units.
void entry_place(int32_t entry, int32_t& x, int32_t& y)
{
    if (entry < LINEUP_ON_FIELD) {
        x = LINEUP_CENTRE_X + lu.work.entries[entry].x;
        y = LINEUP_CENTRE_Y + lu.work.entries[entry].y;
    } else if (entry < LINEUP_RESERVE_FIRST) {
        static const int16_t bench_x[6] = {516, 546, 576, 606, 516, 606};
        const int32_t k = entry - LINEUP_BENCH_FIRST;
        x = bench_x[k];
        y = (k < 4 ? 406 : 440) - (lu.bench_count == 6 ? 10 : 0);
    } else {
        const int32_t k = entry - LINEUP_RESERVE_FIRST;
        x = 337 + 45 * (k % 7);
        y = 32 + 62 * (k / 7);
    }
}

bool entry_shown(int32_t entry)
{
    if (entry < LINEUP_ON_FIELD) return true;
    if (entry < LINEUP_RESERVE_FIRST) return entry - LINEUP_BENCH_FIRST < lu.bench_count;
    return entry - LINEUP_RESERVE_FIRST < lu.reserve_count;
}

uint8_t portrait_of(int32_t player)
{
    return static_cast<uint8_t>(player >= 0 && player < PORTRAIT_FRAME_COUNT ? player : 0);
}

// The icon shows a man: its own, or one dragged over it.
void show_player_as(int32_t entry, int32_t player)
{
    menu_icon* icon = lu.players[entry];
    if (!icon) return;
    for (icon_state_record& r : icon->states) r.frame = portrait_of(player);
    int32_t x = 0, y = 0;
    entry_place(entry, x, y);
    move_copy(icon, x, y);
}

void show_player(int32_t entry)
{
    if (entry >= 0 && entry < LINEUP_ENTRIES) show_player_as(entry, lu.work.entries[entry].player);
}

// The men's icons: the reserves in rows of seven, the bench places and the
// positions where their entries stand.
void layout_lineup_icons()
{
    for (int32_t e = 0; e < LINEUP_ENTRIES; ++e) {
        lu.players[e] = nullptr;
        if (!entry_shown(e)) continue;
        int32_t x = 0, y = 0;
        entry_place(e, x, y);
        const uint8_t group = e < LINEUP_ON_FIELD ? GROUP_FIELD : e < LINEUP_RESERVE_FIRST ? GROUP_BENCH : GROUP_RESERVES;
        lu.players[e] = add_copy(lineup_player_templates[e], LINEUP_PORTRAITS_HANDLE, x, y, group,
                                 portrait_of(lu.work.entries[e].player));
    }
}

int32_t player_at_pointer(int32_t first, int32_t end)
{
    for (int32_t e = first; e < end; ++e)
        if (under_pointer(lu.players[e])) return e;
    return -1;
}

void refresh_texts()
{
    if (lu.shown_slot == 0)
        std::snprintf(lu.caption, sizeof lu.caption, "Player Selected Formation");
    else
        std::snprintf(lu.caption, sizeof lu.caption, "%d) %s", static_cast<int>(lu.shown_slot),
                      formation_slots[lu.shown_slot].name);
    for (int i : {CAPTION_ENTRY, STATUS_ENTRY})
        if (menu_icon* t = g_entries[i].copy) update_icon(t);
}

void show_message(const char* text)
{
    std::snprintf(lu.status, sizeof lu.status, "%s", text);
    lu.message_showing = 1;
    lu.message_time = host_time_ms();
    refresh_texts();
}

void show_name(int32_t entry)
{
    if (lu.message_showing) return;
    const league_team* t = league_team_at(lu.team);
    const int32_t player = entry >= 0 ? lu.work.entries[entry].player : -1;
    const league_player* p = t && player >= 0 && player < LEAGUE_PLAYERS ? t->players[player] : nullptr;
    std::snprintf(lu.status, sizeof lu.status, "%s", p ? player_name(p) : "");
    refresh_texts();
}

bool held_by(const TeamLineup& l, int32_t first, int32_t end, int32_t player)
{
    for (int32_t e = first; e < end; ++e)
        if (l.entries[e].player == player) return true;
    return false;
}

// A 41-man squad's missing player 41 is kept where no screen shows him:
// the last reserve entry, which such a squad never shows. The default shape
// names him there already and again on a bench place that a six-man bench
// shows; such a place takes a man of the squad from outside the match's
// twenty-four instead.
void hide_missing_player(TeamLineup& l)
{
    if (lu.squad_size >= LEAGUE_PLAYERS) return;
    const int32_t missing = LEAGUE_PLAYERS - 1, last = LINEUP_ENTRIES - 1;
    for (int32_t e = 0; e < last; ++e) {
        if (l.entries[e].player != missing) continue;
        if (l.entries[last].player != missing) {
            std::swap(l.entries[e].player, l.entries[last].player);
            continue;
        }
        int32_t spare = -1;
        for (int32_t p = 0; p < lu.squad_size && spare < 0; ++p)
            if (!held_by(l, 0, last, p)) spare = p;
        for (int32_t p = 0; p < lu.squad_size && spare < 0; ++p)
            if (!held_by(l, 0, LINEUP_RESERVE_FIRST, p)) spare = p;
        l.entries[e].player = spare < 0 ? 0 : spare;
    }
}

// The match man holding a player of the edited side, or null.
const PlayerSlot* match_man(int32_t player)
{
    TeamRecord& t = team_records[lu.side & 1];
    for (const PlayerSlot& s : t.slots)
        if (s.line_up_index == player) return &s;
    return nullptr;
}

// Every slot takes the men of one line-up, all 44 entries of it.
void share_players_among_slots(const TeamLineup& from)
{
    int32_t players[LINEUP_ENTRIES];
    for (int32_t e = 0; e < LINEUP_ENTRIES; ++e) players[e] = from.entries[e].player;
    for (TeamLineup& slot : formation_slots)
        for (int32_t e = 0; e < LINEUP_ENTRIES; ++e) slot.entries[e].player = players[e];
}

void load_shown_slot()
{
    lu.work = formation_slots[lu.shown_slot];
    hide_missing_player(lu.work);
}

// --- Zone-line markers and the hint ---

bool vertical_line(int32_t line) { return line < 4; }

// Markers 0-7 stand two a vertical line, 8-13 three a horizontal line.
int32_t marker_line(int32_t marker)
{
    return marker < LINEUP_VERTICAL_MARKERS ? marker / 2 : 4 + (marker - LINEUP_VERTICAL_MARKERS) / 3;
}

// A line's place: screen x of a vertical line, screen y of a horizontal one.
int32_t line_at(int32_t line)
{
    return vertical_line(line) ? LINEUP_CENTRE_X + lu.work.zone_x[line] : LINEUP_CENTRE_Y + lu.work.zone_y[line - 4];
}

void place_markers()
{
    static const int16_t across_x[3] = {140, 277, 417};
    for (int32_t m = 0; m < LINEUP_MARKERS; ++m) {
        const int32_t line = marker_line(m);
        if (vertical_line(line))
            move_copy(lu.markers[m], line_at(line), m % 2 ? 398 : 270);
        else
            move_copy(lu.markers[m], across_x[(m - LINEUP_VERTICAL_MARKERS) % 3], line_at(line));
    }
}

int32_t marker_at_pointer()
{
    for (int32_t m = 0; m < LINEUP_MARKERS; ++m)
        if (under_pointer(lu.markers[m])) return m;
    return -1;
}

void show_hint(int32_t line, int32_t px, int32_t py)
{
    const int32_t x = std::min(px, 580) + 50, y = std::min(py, 400) + 50;
    if (!lu.hint) lu.hint = add_copy(lineup_hint_template, HANDLE_FORMATION, x, y, 0);
    set_frame(lu.hint, FORMATION_HINT + line);
    move_copy(lu.hint, x, y);
    lu.hint_line = line;
}

void remove_hint()
{
    drop_copy(lu.hint);
    lu.hint_line = -1;
}

void rebuild()
{
    lu.selected = -1;
    for (int32_t e = 0; e < LINEUP_ENTRIES; ++e) show_player(e);
    place_markers();
    refresh_texts();
}

// --- The settings pop-up ---

bool is_first_setting(int32_t setting) { return setting >= FIRST_SETTING_MIN && setting <= FIRST_SETTING_MAX; }

bool setting_usable(int32_t entry, int32_t setting)
{
    if (!is_first_setting(setting)) return true;
    const LineupEntry& e = lu.work.entries[entry];
    return first_setting_fits(lu.work, setting, e.x, e.y);
}

void drop_options()
{
    for (menu_icon*& o : lu.options) drop_copy(o);
    lu.popup_list = 0;
}

// Lists a choice's options (1 the first settings, 2 the second) as a column
// 120 pixels beside the choice; a column low on the screen is lifted.
void show_option_list(uint8_t list, bool by_click)
{
    if (lu.popup_entry < 0 || (list == lu.popup_list && by_click == (lu.popup_by_click != 0))) return;
    drop_options();
    const int32_t first = list == 1 ? FIRST_SETTING_MIN : SECOND_SETTING_MIN;
    const int32_t last = list == 1 ? FIRST_SETTING_MAX : SECOND_SETTING_MAX;
    const int32_t choice_y = lu.popup_y + (list == 1 ? 0 : 16);
    const bool leftwards = lu.popup_x + 180 > 640;
    const int32_t x = lu.popup_x + (leftwards ? -120 : 120);
    const int32_t top = choice_y - (choice_y >= 392 ? (5 - (472 - choice_y) / 16) * 16 : 0);
    const LineupEntry& e = lu.work.entries[lu.popup_entry];
    const int32_t current = list == 1 ? e.setting1 : e.setting2;
    for (int32_t s = first; s <= last; ++s) {
        const int32_t out = by_click && s == current ? (leftwards ? -30 : 30) : 0;
        menu_icon* o = add_copy(lineup_popup_templates[s], HANDLE_FORMATION, x + out, top + 16 * (s - first), GROUP_POPUP);
        if (!setting_usable(lu.popup_entry, s)) o->state = ICON_INACTIVE;
        lu.options[s] = o;
    }
    lu.popup_list = list;
    lu.popup_by_click = by_click;
}

void focus_first_usable(int32_t prefer)
{
    if (prefer >= 0 && prefer < LINEUP_OPTION_ICONS && lu.options[prefer] && lu.options[prefer]->state != ICON_INACTIVE) {
        set_focus_icon(lu.options[prefer]);
        return;
    }
    for (menu_icon* o : lu.options)
        if (o && o->state != ICON_INACTIVE) {
            set_focus_icon(o);
            return;
        }
    if (lu.cancel) set_focus_icon(lu.cancel);
}

// While the forced choice is open nothing else on the screen answers.
void hold_back_other_icons()
{
    lu.held_back_count = 0;
    for (IconSlot& s : active_icon_table.slots) {
        menu_icon* icon = s.icon;
        if (!icon || s.group == 0 || s.group == GROUP_POPUP || icon->state == ICON_INACTIVE) continue;
        icon->state = ICON_INACTIVE;
        lu.held_back[lu.held_back_count++] = icon;
    }
}

void let_other_icons_answer()
{
    for (int32_t i = 0; i < lu.held_back_count; ++i)
        if (icon_slot(lu.held_back[i]) >= 0) lu.held_back[i]->state = ICON_NORMAL;
    lu.held_back_count = 0;
}

// The forced choice: options 2-8 in a column beside the pointer, lifted
// when low on the screen, with the cancel mark under them.
void open_forced_choice(int32_t entry, int32_t px, int32_t py)
{
    close_settings_popup();
    lu.popup_entry = entry;
    lu.popup_forced = 1;
    lu.forced_from_x = lu.drag_start_x, lu.forced_from_y = lu.drag_start_y;
    hold_back_other_icons();
    const int32_t x = px > 520 ? px - 60 : px + 60;
    const int32_t top = py + 8 - (py >= 344 ? (8 - (472 - py) / 16) * 16 : 0);
    for (int32_t s = FIRST_SETTING_MIN; s <= FIRST_SETTING_MAX; ++s) {
        menu_icon* o = add_copy(lineup_popup_templates[s], HANDLE_FORMATION, x, top + 16 * (s - FIRST_SETTING_MIN), GROUP_POPUP);
        if (!setting_usable(entry, s)) o->state = ICON_INACTIVE;
        lu.options[s] = o;
    }
    lu.popup_list = 1;
    lu.cancel = add_copy(lineup_cancel_template, HANDLE_FORMATION, x, top + 112, GROUP_POPUP);
    focus_first_usable(-1);
}

// Sets the pop-up's position to a setting, if it fits, and closes it.
void choose_setting(int32_t setting)
{
    const int32_t entry = lu.popup_entry;
    if (entry < 0 || !setting_usable(entry, setting)) return;
    LineupEntry& e = lu.work.entries[entry];
    (is_first_setting(setting) ? e.setting1 : e.setting2) = setting;
    close_settings_popup();
}

// The forced choice's cancel: the position goes back where it was.
void cancel_forced_choice()
{
    const int32_t entry = lu.popup_entry;
    if (entry < 0) return;
    lu.work.entries[entry].x = lu.forced_from_x, lu.work.entries[entry].y = lu.forced_from_y;
    show_player(entry);
    close_settings_popup();
}

menu_icon* popup_icon_at_pointer()
{
    for (menu_icon* c : lu.choices)
        if (under_pointer(c)) return c;
    for (menu_icon* o : lu.options)
        if (under_pointer(o)) return o;
    return under_pointer(lu.cancel) ? lu.cancel : nullptr;
}

void act_on_popup_icon(const menu_icon* icon)
{
    if (!icon || icon->state == ICON_INACTIVE) return;
    if (icon->code == LINEUP_CANCEL_CODE) cancel_forced_choice();
    else if (icon->code < 2) show_option_list(static_cast<uint8_t>(icon->code + 1), true);
    else choose_setting(icon->code);
}

// The pointer is held inside the forced column: near an edge it is put
// back 3 pixels inside, and the cursor with it.
void hold_pointer_in_column()
{
    int32_t left = INT32_MAX, right = INT32_MIN, top = INT32_MAX, bottom = INT32_MIN;
    for (const menu_icon* icon : lu.options)
        if (icon) left = std::min<int32_t>(left, icon->rect_left), right = std::max<int32_t>(right, icon->rect_right),
                  top = std::min<int32_t>(top, icon->rect_top), bottom = std::max<int32_t>(bottom, icon->rect_bottom);
    if (lu.cancel) bottom = lu.cancel->rect_bottom;
    if (left >= right || top >= bottom) return;
    int32_t x = icon_input.x, y = icon_input.y;
    if (x <= left + 2) x = left + 3;
    if (x >= right - 3) x = right - 4;
    if (y <= top + 2) y = top + 3;
    if (y >= bottom - 3) y = bottom - 4;
    if (x == icon_input.x && y == icon_input.y) return;
    icon_input.x = x, icon_input.y = y;
    set_cursor_pos(pointer_640_x(), pointer_640_y());
}

// Left presses on the pop-up act on release over the same icon; a press
// outside closes an open settings pop-up. The right button lists a choice
// while held over it (its hover handler) and sets the option it is
// released over.
void popup_pointer()
{
    if (lu.popup_forced) hold_pointer_in_column();
    const bool right_down = (mouse_state.buttons & MOUSE_RIGHT) != 0;
    menu_icon* at = popup_icon_at_pointer();
    if (!lu.popup_forced && lu.right_was_down && !right_down && at && at->code >= 2) act_on_popup_icon(at);
    lu.right_was_down = right_down;
    if (lu.popup_entry < 0) return;
    if (icon_input.left_pressed) {
        lu.pressed_option = at ? at->code : -1;
        if (!at && !lu.popup_forced) close_settings_popup();
        return;
    }
    if (icon_input.left_down || lu.pressed_option < 0) return;
    const int32_t pressed = lu.pressed_option;
    lu.pressed_option = -1;
    if (at && at->code == pressed) act_on_popup_icon(at);
}

// --- Dragging men, positions and lines ---

// The position under a dragged man: its icon less 5 pixels at the sides
// and 10 at the top and bottom.
int32_t position_under_drag()
{
    for (int32_t e = 0; e < LINEUP_ON_FIELD; ++e) {
        const menu_icon* icon = lu.players[e];
        if (icon && icon->rect_left + 5 <= icon_input.x && icon_input.x < icon->rect_right - 5 &&
            icon->rect_top + 10 <= icon_input.y && icon_input.y < icon->rect_bottom - 10)
            return e;
    }
    return -1;
}

void refuse_swap() { show_message("Illegal Swap"); }

void exchange(int32_t a, int32_t b)
{
    if (!lineup_swap_allowed(a, b)) {
        refuse_swap();
        return;
    }
    std::swap(lu.work.entries[a].player, lu.work.entries[b].player);
    show_player(a);
    show_player(b);
    show_name(b);
}

void start_player_drag(int32_t entry)
{
    if (in_match()) {
        const PlayerSlot* man = match_man(lu.work.entries[entry].player);
        if (man && !can_queue_interchange_off(man)) {
            refuse_swap();
            return;
        }
    }
    lu.player_drag = entry;
    lu.drag_over = -1;
    lu.drag_icon = add_copy(lineup_drag_template, LINEUP_PORTRAITS_HANDLE, pointer_640_x(), pointer_640_y(), 0,
                            portrait_of(lu.work.entries[entry].player));
}

void leave_position()
{
    if (lu.drag_over >= 0) show_player(lu.drag_over);
    lu.drag_over = -1;
    drop_copy(lu.swap_marker);
}

void drag_player()
{
    const int32_t from = lu.player_drag;
    if (icon_input.left_down) {
        const int32_t over = position_under_drag();
        if (over != lu.drag_over) {
            leave_position();
            if (over >= 0) {
                lu.drag_over = over;
                lu.over_player = lu.work.entries[over].player;
                show_player_as(over, lu.work.entries[from].player);
                lu.swap_marker = add_copy(lineup_swap_marker_template, HANDLE_FORMATION, 0, 0, 0);
            }
        }
        move_copy(lu.swap_marker, pointer_640_x() + 45, pointer_640_y() + 18);
        return;
    }
    const int32_t over = lu.drag_over;
    leave_position();
    drop_copy(lu.drag_icon);
    lu.player_drag = -1;
    if (over >= 0) {
        exchange(from, over);
        return;
    }
    const int32_t place = player_at_pointer(LINEUP_BENCH_FIRST, LINEUP_ENTRIES);
    if (place >= 0 && place != from) exchange(from, place);
}

// A bench or reserve place pressed while a position is chosen takes the
// position's man when released over it; elsewhere nothing changes.
void press_place()
{
    if (icon_input.left_down) return;
    const int32_t place = lu.pressed_place, position = lu.selected;
    lu.pressed_place = -1;
    lu.selected = -1;
    if (position >= 0 && player_at_pointer(place, place + 1) == place) exchange(position, place);
}

// Positions are dragged with the mouse; a press and release without a move
// stays a choice of the position.
void drag_position()
{
    LineupEntry& entry = lu.work.entries[lu.dragging];
    if (icon_input.left_down) {
        int32_t dx = pointer_640_x() - lu.grab_dx - LINEUP_CENTRE_X, dy = pointer_640_y() - lu.grab_dy - LINEUP_CENTRE_Y;
        const bool moved = std::abs(dx - lu.drag_start_x) >= DRAG_START || std::abs(dy - lu.drag_start_y) >= DRAG_START;
        if (!moved && entry.x == lu.drag_start_x && entry.y == lu.drag_start_y) return;
        bring_onto_oval(dx, dy);
        entry.x = dx, entry.y = dy;
        show_player(lu.dragging);
        return;
    }
    const int32_t e = lu.dragging;
    lu.dragging = -1;
    if (entry.x == lu.drag_start_x && entry.y == lu.drag_start_y) return;
    lu.selected = -1;
    // A drop too close to another position is pushed clear; one that cannot
    // be goes back. One whose setting no longer fits must choose another.
    if (!keep_position_apart(lu.work, e)) entry.x = lu.drag_start_x, entry.y = lu.drag_start_y;
    show_player(e);
    if (!first_setting_fits(lu.work, entry.setting1, entry.x, entry.y)) open_forced_choice(e, pointer_640_x(), pointer_640_y());
}

void move_line_to(int32_t line, int32_t at)
{
    ZoneLineLimits l{lu.line2_min, lu.line3_max};
    move_zone_line(lu.work, l, line, at);
    lu.line2_min = l.line2_min, lu.line3_max = l.line3_max;
    place_markers();
}

void drag_marker()
{
    if (!icon_input.left_down) {
        lu.marker_line = -1;
        return;
    }
    const int32_t line = lu.marker_line;
    move_line_to(line, (vertical_line(line) ? pointer_640_x() : pointer_640_y()) - lu.marker_grab);
}

// A line taken by Enter moves 2 pixels an arrow key across it.
void move_line_by_keys()
{
    const int32_t line = lu.marker_line;
    const uint8_t less = vertical_line(line) ? KEY_LEFT : KEY_UP, more = vertical_line(line) ? KEY_RIGHT : KEY_DOWN;
    int32_t step = 0;
    for (const uint8_t key : {KEY_LEFT, KEY_RIGHT, KEY_UP, KEY_DOWN}) {
        if (!(key_state[key] & 0x80)) continue;
        key_state[key] = 0;
        if (key == less) step -= LINE_KEY_STEP;
        if (key == more) step += LINE_KEY_STEP;
    }
    if (step) move_line_to(line, line_at(line) + step);
}

void start_press()
{
    const int32_t px = pointer_640_x(), py = pointer_640_y();
    const int32_t marker = marker_at_pointer();
    if (marker >= 0) {
        remove_hint();
        lu.marker_line = marker_line(marker);
        lu.line_by_keys = 0;
        lu.marker_grab = (vertical_line(lu.marker_line) ? px : py) - line_at(lu.marker_line);
        return;
    }
    const int32_t position = player_at_pointer(0, LINEUP_ON_FIELD);
    if (position >= 0) {
        lu.selected = position;
        lu.dragging = position;
        lu.drag_start_x = lu.work.entries[position].x, lu.drag_start_y = lu.work.entries[position].y;
        lu.grab_dx = px - (LINEUP_CENTRE_X + lu.drag_start_x);
        lu.grab_dy = py - (LINEUP_CENTRE_Y + lu.drag_start_y);
        return;
    }
    const int32_t place = player_at_pointer(LINEUP_BENCH_FIRST, LINEUP_ENTRIES);
    if (place < 0) return;
    if (lu.selected >= 0 && lu.selected < LINEUP_ON_FIELD)
        lu.pressed_place = place;
    else
        start_player_drag(place);
}

// Pointing at a marker with no button down and no pop-up open names its line.
void point_at_markers()
{
    const bool buttons = icon_input.left_down || (mouse_state.buttons & MOUSE_RIGHT);
    const int32_t marker = buttons || lu.popup_entry >= 0 ? -1 : marker_at_pointer();
    if (marker < 0) {
        if (lu.hint && lu.marker_line < 0) remove_hint();
        return;
    }
    show_hint(marker_line(marker), pointer_640_x(), pointer_640_y());
}

void lineup_pointer()
{
    if (lu.popup_entry >= 0) {
        popup_pointer();
        return;
    }
    lu.right_was_down = (mouse_state.buttons & MOUSE_RIGHT) != 0;
    if (lu.marker_line >= 0) {
        if (lu.line_by_keys) move_line_by_keys();
        else drag_marker();
        point_at_markers();
        return;
    }
    if (lu.player_drag >= 0) return drag_player();
    if (lu.pressed_place >= 0) return press_place();
    if (lu.dragging >= 0) return drag_position();
    if (mouse_state.new_buttons & MOUSE_RIGHT) {
        const int32_t position = player_at_pointer(0, LINEUP_ON_FIELD);
        if (position >= 0) {
            open_settings_popup(position, pointer_640_x(), pointer_640_y());
            lu.right_was_down = 1;
        }
        return;
    }
    if (icon_input.left_pressed) return start_press();
    point_at_markers();
}

// The rings: gold round the chosen man, white round a pressed place or the
// man pointed at.
void place_rings()
{
    const menu_icon* focus = active_icon_table.focus_icon;
    int32_t pointed = lu.pressed_place;
    for (int32_t e = 0; e < LINEUP_ENTRIES && pointed < 0; ++e)
        if (lu.players[e] && (under_pointer(lu.players[e]) || lu.players[e] == focus)) pointed = e;
    const int32_t at[2] = {lu.selected, pointed};
    for (int k = 0; k < 2; ++k) {
        menu_icon* ring = lu.rings[k];
        if (!ring) continue;
        const int32_t e = at[k];
        if (e < 0 || !lu.players[e] || (k == 1 && e == lu.selected)) {
            ring->flags |= ICON_HIDDEN;
            continue;
        }
        ring->flags &= ~ICON_HIDDEN;
        int32_t x = 0, y = 0;
        entry_place(e, x, y);
        move_copy(ring, x, y);
    }
}

// Formation files go through the file browser, which the page runs between
// two runs of this screen: the shown slot is kept for the second.
void close_everything()
{
    close_settings_popup();
    leave_position();
    drop_copy(lu.drag_icon);
    remove_hint();
    lu.player_drag = lu.pressed_place = lu.marker_line = lu.dragging = -1;
}

} // namespace

void load_formation_click(icon_state_record*, menu_icon*, menu_screen*)
{
    if (in_match()) {
        report_error(ILLEGAL_FORMATION_LOAD, "You can't load a formation during a match", set_result_ok, nullptr, nullptr);
        front_end_state.result = 0;
        return;
    }
    store_lineup_to_slot();
    front_end_state.result = LINEUP_LOAD_FORMATION;
}

void save_formation_click(icon_state_record*, menu_icon*, menu_screen*)
{
    store_lineup_to_slot();
    store_lineup_to_team();
    front_end_state.result = LINEUP_SAVE_FORMATION;
}

// Keys choose men; a mouse press on a man is the pointer's.
void lineup_player_click(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (icon && !icon_input.left_pressed) lineup_place_click(icon->user_index);
}

void lineup_drag_follow(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (!icon) return;
    icon->x = static_cast<int16_t>(icon_input.x);
    icon->y = static_cast<int16_t>(icon_input.y);
    update_icon(icon);
}

// Pointing at a choice with the right button held lists its options.
void lineup_popup_point(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (icon && icon->code < 2 && !lu.popup_forced && (mouse_state.buttons & MOUSE_RIGHT))
        show_option_list(static_cast<uint8_t>(icon->code + 1), false);
}

void lineup_popup_click(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (!icon || icon_input.left_pressed) return;
    const bool choice = icon->code < 2;
    act_on_popup_icon(icon);
    if (choice) focus_first_usable(icon->code == 0 ? lu.work.entries[lu.popup_entry].setting1 : lu.work.entries[lu.popup_entry].setting2);
}

// Enter on a marker takes its line for the arrow keys; Enter again lets go.
void lineup_marker_click(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (!icon || icon_input.left_pressed || lu.popup_entry >= 0) return;
    if (lu.marker_line >= 0) {
        lu.marker_line = -1;
        lu.line_by_keys = 0;
        return;
    }
    lu.marker_line = icon->code == UPPER_LINE_TAG ? 4 : icon->code == LOWER_LINE_TAG ? 5 : icon->code / 2;
    lu.line_by_keys = 1;
}

void open_settings_popup(int32_t entry, int32_t x, int32_t y)
{
    if (entry < 0 || entry >= LINEUP_ON_FIELD) return;
    close_settings_popup();
    remove_hint();
    lu.popup_entry = entry;
    lu.popup_x = std::min(x + 60, 560);
    lu.popup_y = y + 8 >= 429 ? 436 : y + 8;
    for (int k = 0; k < 2; ++k)
        lu.choices[k] = add_copy(lineup_popup_templates[k], HANDLE_FORMATION, lu.popup_x, lu.popup_y + 16 * k, GROUP_POPUP);
}

void close_settings_popup()
{
    for (menu_icon*& c : lu.choices) drop_copy(c);
    drop_options();
    drop_copy(lu.cancel);
    if (lu.popup_forced) let_other_icons_answer();
    lu.popup_entry = -1;
    lu.popup_forced = 0;
    lu.popup_by_click = 0;
    lu.pressed_option = -1;
}

menu_screen lineup_screen = {ENTRIES,     SCREEN_MENU, k_pictures,   nullptr,      0, &g_entries[OK_ENTRY],
                             lineup_open, lineup_close, lineup_frame, nullptr,     0, 0,
                             0,           0,           0,            0,            g_entries};

// --- Geometry ---

bool outside_oval(int32_t dx, int32_t dy)
{
    const double ry = static_cast<double>(dy) / OVAL_RY, rx = static_cast<double>(dx) / OVAL_RX;
    return ry * ry + rx * rx > 1.0;
}

void bring_onto_oval(int32_t& dx, int32_t& dy)
{
    if (!outside_oval(dx, dy)) return;
    const double ry = static_cast<double>(dy) / OVAL_RY, rx = static_cast<double>(dx) / OVAL_RX;
    const double d = std::sqrt(ry * ry + rx * rx);
    dx = static_cast<int32_t>(std::lround(dx / d));
    dy = static_cast<int32_t>(std::lround(dy / d));
}

bool keep_position_apart(TeamLineup& l, int32_t entry)
{
    if (entry < 0 || entry >= LINEUP_ON_FIELD) return false;
    LineupEntry& me = l.entries[entry];
    for (int pass = 0; pass < PUSH_PASSES; ++pass) {
        bool moved = false;
        for (int32_t k = 0; k < LINEUP_ON_FIELD; ++k) {
            if (k == entry) continue;
            const LineupEntry& other = l.entries[k];
            const int32_t ddx = me.x - other.x, ddy = me.y - other.y;
            if (std::abs(ddx) > APART || std::abs(ddy) > APART) continue;
            if (std::abs(ddx) >= std::abs(ddy))
                me.x = other.x + (ddx < 0 ? -PUSHED : PUSHED);
            else
                me.y = other.y + (ddy < 0 ? -PUSHED : PUSHED);
            if (outside_oval(me.x, me.y)) return false;
            moved = true;
        }
        if (!moved) return true;
    }
    return false;
}

bool first_setting_fits(const TeamLineup& l, int32_t setting, int32_t dx, int32_t dy)
{
    switch (setting) {
    case 2: return dy <= l.zone_y[0] - ZONE_MARGIN;
    case 3: return dy >= l.zone_y[1] + ZONE_MARGIN;
    case 4: return dx <= l.zone_x[0] - ZONE_MARGIN;
    case 5: return dx <= l.zone_x[1] - ZONE_MARGIN;
    case 6: return dx >= l.zone_x[2] + ZONE_MARGIN;
    case 7: return dx >= l.zone_x[3] + ZONE_MARGIN;
    case 8: return true;
    default: return false;
    }
}

void move_zone_line(TeamLineup& l, ZoneLineLimits& limits, int32_t line, int32_t at)
{
    // Each line keeps 6 pixels clear of the positions whose first setting
    // it bounds: right of the setting 4 and 5 men, left of the 6 and 7 men,
    // below the 2 men and above the 3 men.
    auto clear_of = [&](int32_t setting, int32_t v, int32_t side) {
        for (int32_t e = 0; e < LINEUP_ON_FIELD; ++e) {
            const LineupEntry& p = l.entries[e];
            if (p.setting1 != setting) continue;
            const int32_t at_p = setting <= 3 ? LINEUP_CENTRE_Y + p.y : LINEUP_CENTRE_X + p.x;
            v = side > 0 ? std::max(v, at_p + ZONE_MARGIN) : std::min(v, at_p - ZONE_MARGIN);
        }
        return v;
    };
    auto x_of = [&](int32_t k) { return LINEUP_CENTRE_X + l.zone_x[k]; };
    switch (line) {
    case 0: {
        const int32_t v = clear_of(4, std::clamp(at, LINE_OUTER_MIN, LINE_OUTER_MAX), 1);
        l.zone_x[0] = v - LINEUP_CENTRE_X;
        limits.line2_min = v + LINE_GAP;
        if (x_of(1) < limits.line2_min) l.zone_x[1] = limits.line2_min - LINEUP_CENTRE_X;
        break;
    }
    case 1: l.zone_x[1] = clear_of(5, std::clamp(at, limits.line2_min, LINE2_MAX), 1) - LINEUP_CENTRE_X; break;
    case 2: l.zone_x[2] = clear_of(6, std::clamp(at, LINE3_MIN, limits.line3_max), -1) - LINEUP_CENTRE_X; break;
    case 3: {
        const int32_t v = clear_of(7, std::clamp(at, LINE_OUTER_MIN, LINE_OUTER_MAX), -1);
        l.zone_x[3] = v - LINEUP_CENTRE_X;
        limits.line3_max = v - LINE_GAP;
        if (x_of(2) > limits.line3_max) l.zone_x[2] = limits.line3_max - LINEUP_CENTRE_X;
        break;
    }
    case 4: l.zone_y[0] = clear_of(2, std::clamp(at, UPPER_MIN, UPPER_MAX), 1) - LINEUP_CENTRE_Y; break;
    case 5: l.zone_y[1] = clear_of(3, std::clamp(at, LOWER_MIN, LOWER_MAX), -1) - LINEUP_CENTRE_Y; break;
    default: break;
    }
}

// --- The screen ---

bool lineup_swap_allowed(int32_t a, int32_t b)
{
    if (!in_match()) return true;
    if (kind_of(a) == KIND_ON_FIELD) std::swap(a, b);
    // During a match only the bench and the ground exchange, as the
    // interchange rules allow: the bench man may come on, and the man on
    // the ground may be queued off.
    if (kind_of(a) != KIND_BENCH || kind_of(b) != KIND_ON_FIELD) return false;
    const PlayerSlot* coming = match_man(lu.work.entries[a].player);
    const PlayerSlot* going = match_man(lu.work.entries[b].player);
    if (!coming || !going) return false;
    return can_bench_player_come_on(coming) && can_queue_interchange(going);
}

void lineup_place_click(int32_t entry)
{
    if (entry < 0 || entry >= LINEUP_ENTRIES) return;
    const int32_t picked = lu.selected;
    if (picked < 0) {
        lu.selected = entry;
        return;
    }
    // A position chosen twice opens its settings, as the right button does.
    if (picked == entry) {
        lu.selected = -1;
        if (kind_of(entry) != KIND_ON_FIELD) return;
        int32_t x = 0, y = 0;
        entry_place(entry, x, y);
        open_settings_popup(entry, x, y);
        set_focus_icon(lu.choices[0]);
        return;
    }
    // Two positions on the ground keep their players: the later pick counts.
    if (kind_of(picked) == KIND_ON_FIELD && kind_of(entry) == KIND_ON_FIELD) {
        lu.selected = entry;
        return;
    }
    lu.selected = -1;
    exchange(picked, entry);
}

void lineup_open(menu_screen* screen)
{
    input_reset();
    lu.side = lineup_side & 1;
    lu.team = lu.side ? game_settings.away_team : game_settings.home_team;
    if (lu.team < 0 || lu.team >= LEAGUE_TEAMS) lu.team = 0;
    lu.squad_size = league_squad_size[lu.team];
    lu.reserve_count = lu.squad_size - (game_settings.game_type == GAME_PRE_SEASON ? 24 : 22);
    if (lu.reserve_count > LINEUP_ENTRIES - LINEUP_RESERVE_FIRST) lu.reserve_count = LINEUP_ENTRIES - LINEUP_RESERVE_FIRST;
    lu.bench_count = game_settings.interchange_players;
    if (lu.bench_count < 0 || lu.bench_count > 6) lu.bench_count = 4;
    lu.selected = lu.pointed = lu.dragging = lu.player_drag = lu.drag_over = lu.pressed_place = -1;
    lu.marker_line = lu.hint_line = lu.popup_entry = lu.pressed_option = -1;
    lu.line_by_keys = lu.popup_forced = lu.popup_list = 0;
    lu.line2_min = START_ZONE_LIMITS.line2_min, lu.line3_max = START_ZONE_LIMITS.line3_max;
    lu.message_showing = 0;
    lu.status[0] = 0;
    load_animation_set(LINEUP_PORTRAITS_HANDLE, portrait_set_path(lu.team));
    register_lineup_callbacks();
    if (lineup_first_open) {
        lineup_first_open = 0;
        formation_slots[0] = team_lineups[lu.team];
        lu.shown_slot = 0;
        // In a match every slot keeps the men on the ground: a formation
        // chosen then changes only places, settings and zone lines.
        if (in_match()) share_players_among_slots(formation_slots[0]);
    }
    if (lu.shown_slot < 0 || lu.shown_slot >= FORMATION_SLOTS) lu.shown_slot = 0;
    load_shown_slot();
    for (int k = 0; k < 2; ++k) {
        lu.rings[k] = add_copy(lineup_ring_templates[k], HANDLE_FORMATION, 0, 0, 0);
        lu.rings[k]->flags |= ICON_HIDDEN;
    }
    layout_lineup_icons();
    for (int32_t m = 0; m < LINEUP_MARKERS; ++m)
        lu.markers[m] = add_copy(lineup_marker_templates[m], HANDLE_FORMATION, 0, 0, GROUP_MARKERS);
    place_markers();
    lu.load_button = add_copy(lineup_load_template, -1, LIST_BUTTON_X, LOAD_Y, GROUP_BUTTONS);
    lu.save_button = add_copy(lineup_save_template, -1, LIST_BUTTON_X, SAVE_Y, GROUP_BUTTONS);
    refresh_texts();
    team_panel.x = 135, team_panel.y = 20;
    team_panel.player_team = lu.team;
    team_panel.player = lu.work.entries[0].player;
    build_player_panel_d();
    if (menu_icon* roles = screen->entries[ROLES_ENTRY].copy) roles->states[ICON_CLICKED].handler = roles_click;
}

void lineup_frame(menu_screen*)
{
    lineup_pointer();
    place_rings();
    const menu_icon* focus = active_icon_table.focus_icon;
    for (int32_t e = 0; e < LINEUP_ENTRIES; ++e)
        if (focus && lu.players[e] == focus && lu.pointed != e) {
            lu.pointed = e;
            show_name(e);
        }
    if (lu.message_showing && host_time_ms() - lu.message_time >= SWAP_MESSAGE_MS) {
        lu.message_showing = 0;
        show_name(lu.pointed);
    }
    const int32_t player = lu.pointed >= 0 ? lu.work.entries[lu.pointed].player : lu.work.entries[0].player;
    player_panel_frame(lu.team, player);
}

void lineup_close(menu_screen*)
{
    close_everything();
    close_panel_and_training_icons();
    free_team_panel();
    for (menu_icon*& icon : lu.players) drop_copy(icon);
    for (menu_icon*& icon : lu.markers) drop_copy(icon);
    for (menu_icon*& icon : lu.rings) drop_copy(icon);
    drop_copy(lu.load_button);
    drop_copy(lu.save_button);
    free_animation_set(LINEUP_PORTRAITS_HANDLE);
}

void format_formation_list()
{
    load_shown_slot();
    rebuild();
}

void store_lineup_to_slot()
{
    TeamLineup& slot = formation_slots[lu.shown_slot];
    if (slot.version == -1) return;
    const int32_t version = slot.version;
    char name[LINEUP_NAME_SIZE];
    std::memcpy(name, slot.name, sizeof name);
    slot = lu.work;
    slot.version = version;
    std::memcpy(slot.name, name, sizeof name);
    // In a match the men on the ground are the same whatever the shape, so
    // an exchange made under one slot is not undone by using another.
    if (in_match()) share_players_among_slots(slot);
}

void store_lineup_to_team()
{
    if (lu.team < 0 || lu.team >= LEAGUE_TEAMS) return;
    TeamLineup& t = team_lineups[lu.team];
    std::memcpy(t.zone_y, lu.work.zone_y, sizeof t.zone_y);
    std::memcpy(t.zone_x, lu.work.zone_x, sizeof t.zone_x);
    std::memcpy(t.entries, lu.work.entries, sizeof t.entries);
}

void previous_formation_slot()
{
    if (lu.popup_entry >= 0) return;
    store_lineup_to_slot();
    lu.shown_slot = lu.shown_slot == 0 ? FORMATION_SLOTS - 1 : lu.shown_slot - 1;
    format_formation_list();
}

void next_formation_slot()
{
    if (lu.popup_entry >= 0) return;
    store_lineup_to_slot();
    lu.shown_slot = lu.shown_slot == FORMATION_SLOTS - 1 ? 0 : lu.shown_slot + 1;
    format_formation_list();
}

void select_formation_slot()
{
    if (formation_slots[lu.shown_slot].version == -1) return;
    store_lineup_to_slot();
    const TeamLineup chosen = formation_slots[lu.shown_slot];
    TeamLineup& edited = formation_slots[0];
    // The edited line-up takes the chosen shape under its own name.
    char name[LINEUP_NAME_SIZE];
    std::memcpy(name, edited.name, sizeof name);
    edited = chosen;
    std::memcpy(edited.name, name, sizeof name);
    lu.shown_slot = 0;
    format_formation_list();
}

void open_roles_for_slot()
{
    lu.roles_slot = static_cast<uint8_t>(lu.shown_slot);
    store_lineup_to_slot();
}

void reset_lineup_screen()
{
    free_team_panel();
    lu = LineupScreenState{};
    lu.selected = lu.pointed = lu.dragging = lu.player_drag = lu.drag_over = lu.pressed_place = -1;
    lu.marker_line = lu.hint_line = lu.popup_entry = lu.pressed_option = -1;
    lineup_side = 0;
    lineup_first_open = 0;
}
