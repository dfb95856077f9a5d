#include "frontend/lineup_screen.h"

#include "frontend/break_menus.h"
#include "frontend/front_end_graphics.h"
#include "frontend/frame_manifest.h"
#include "frontend/message_box.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "frontend/team_panels.h"
#include "host/clock.h"
#include "match/interchange.h"
#include "match/match_records.h"
#include "platform/input.h"
#include "screen/screen.h"

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
constexpr uint8_t GROUP_BUTTONS = 1, GROUP_FIELD = 2, GROUP_BENCH = 3, GROUP_RESERVES = 4;


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
void load_formation_click(icon_state_record*, menu_icon*, menu_screen*);
void save_formation_click(icon_state_record*, menu_icon*, menu_screen*);

menu_icon g_back, g_ok;
menu_icon g_roles = focus_text("Assign Roles", 24, roles_click);
menu_icon g_previous = focus_text("<<", 0, previous_click);
menu_icon g_next = focus_text(">>", 0, next_click);
menu_icon g_select = focus_text("Use Formation", 0, select_click);
menu_icon g_load = focus_text("Load", 0, load_formation_click);
menu_icon g_save = focus_text("Save", 0, save_formation_click);
menu_icon g_caption = text_template(lineup_state.caption, 1);
menu_icon g_status = text_template(lineup_state.status, 1);

constexpr int ENTRIES = 10;
constexpr int ROLES_ENTRY = 0, OK_ENTRY = 9;
menu_screen_entry g_entries[ENTRIES] = {
    {GROUP_BUTTONS, &g_roles, 480, 300, nullptr},    {GROUP_BUTTONS, &g_previous, 480, 235, nullptr},
    {GROUP_BUTTONS, &g_next, 520, 235, nullptr},     {GROUP_BUTTONS, &g_select, 480, 266, nullptr},
    {GROUP_BUTTONS, &g_load, 600, 235, nullptr},     {GROUP_BUTTONS, &g_save, 600, 266, nullptr},
    {0, &g_caption, 337, 200, nullptr},              {0, &g_status, 480, 340, nullptr},
    {GROUP_BUTTONS, &g_back, 50, 450, nullptr},      {GROUP_BUTTONS, &g_ok, 110, 450, nullptr},
};
const char* const k_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\team formation.lbm",
                                   "front_en\\front_end_gfx\\menu_screens\\hw\\team formation.tga"};

// --- Player icons ---

menu_icon g_player_template;

void place_click(icon_state_record*, menu_icon* icon, menu_screen*) { lineup_place_click(icon->user_index); }

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

void show_player(int32_t entry)
{
    menu_icon* icon = lu.players[entry];
    if (!icon) return;
    const int32_t player = lu.work.entries[entry].player;
    for (icon_state_record& r : icon->states) r.frame = static_cast<uint8_t>(player >= 0 && player < PORTRAIT_FRAME_COUNT ? player : 0);
    int32_t x = 0, y = 0;
    entry_place(entry, x, y);
    icon->x = static_cast<int16_t>(scale_x_from_640(x));
    icon->y = static_cast<int16_t>(scale_y_from_480(y));
    update_icon(icon);
}

void add_player_icons()
{
    sprite_template(&g_player_template, LINEUP_PORTRAITS_HANDLE, 0, false, 0);
    g_player_template.states[ICON_CLICKED].handler = place_click;
    for (int32_t e = 0; e < LINEUP_ENTRIES; ++e) {
        lu.players[e] = nullptr;
        if (!entry_shown(e)) continue;
        menu_icon* icon = copy_icon(g_player_template, "Line-up player icon");
        icon->user_index = static_cast<uint8_t>(e);
        icon->code = kind_of(e);
        int32_t x = 0, y = 0;
        entry_place(e, x, y);
        const uint8_t group = e < LINEUP_ON_FIELD ? GROUP_FIELD : e < LINEUP_RESERVE_FIRST ? GROUP_BENCH : GROUP_RESERVES;
        add_child_icon(icon, scale_x_from_640(x), scale_y_from_480(y), group);
        lu.players[e] = icon;
        show_player(e);
    }
}

void remove_player_icons()
{
    for (menu_icon*& icon : lu.players) {
        if (!icon) continue;
        remove_icon(icon);
        free_icon(icon);
        icon = nullptr;
    }
}

void refresh_texts()
{
    if (lu.shown_slot == 0)
        std::snprintf(lu.caption, sizeof lu.caption, "Player Selected Formation");
    else
        std::snprintf(lu.caption, sizeof lu.caption, "%d) %s", static_cast<int>(lu.shown_slot),
                      formation_slots[lu.shown_slot].name);
    for (int i : {6, 7})
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

// A 41-man squad's missing player 41 is kept where no screen shows him:
// the last reserve entry, which such a squad never shows.
void hide_missing_player(TeamLineup& l)
{
    if (lu.squad_size >= LEAGUE_PLAYERS) return;
    const int32_t last = LINEUP_ENTRIES - 1;
    for (int32_t e = 0; e < last; ++e)
        if (l.entries[e].player == LEAGUE_PLAYERS - 1) {
            std::swap(l.entries[e].player, l.entries[last].player);
            break;
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

void load_shown_slot()
{
    lu.work = formation_slots[lu.shown_slot];
    hide_missing_player(lu.work);
}

void rebuild()
{
    lu.selected = -1;
    for (int32_t e = 0; e < LINEUP_ENTRIES; ++e) show_player(e);
    refresh_texts();
}

int32_t entry_at_pointer()
{
    for (int32_t e = 0; e < LINEUP_ON_FIELD; ++e) {
        const menu_icon* icon = lu.players[e];
        if (icon && icon->rect_left <= icon_input.x && icon_input.x < icon->rect_right && icon->rect_top <= icon_input.y &&
            icon_input.y < icon->rect_bottom)
            return e;
    }
    return -1;
}

int32_t pointer_640_x() { return icon_input.x * 640 / scale_x_from_640(640); }
int32_t pointer_640_y() { return icon_input.y * 480 / scale_y_from_480(480); }

// Positions are dragged with the mouse; a press and release without a move
// stays a click.
void drag_positions()
{
    if (lu.dragging < 0) {
        if (!icon_input.left_pressed) return;
        const int32_t e = entry_at_pointer();
        if (e < 0) return;
        lu.dragging = e;
        lu.drag_start_x = lu.work.entries[e].x, lu.drag_start_y = lu.work.entries[e].y;
        lu.grab_dx = pointer_640_x() - (LINEUP_CENTRE_X + lu.drag_start_x);
        lu.grab_dy = pointer_640_y() - (LINEUP_CENTRE_Y + lu.drag_start_y);
        return;
    }
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
    // be, or whose setting does not fit its new place, goes back.
    if (!keep_position_apart(lu.work, e) || !first_setting_fits(lu.work, entry.setting1, entry.x, entry.y))
        entry.x = lu.drag_start_x, entry.y = lu.drag_start_y;
    show_player(e);
}

// Formation files go through the file browser, which the page runs between
// two runs of this screen: the shown slot is kept for the second.
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

} // namespace

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
    if (picked < 0 || picked == entry) {
        lu.selected = picked == entry ? -1 : entry;
        return;
    }
    // Two positions on the ground keep their players: the later pick counts.
    if (kind_of(picked) == KIND_ON_FIELD && kind_of(entry) == KIND_ON_FIELD) {
        lu.selected = entry;
        return;
    }
    lu.selected = -1;
    if (!lineup_swap_allowed(picked, entry)) {
        show_message("Illegal Swap");
        return;
    }
    std::swap(lu.work.entries[picked].player, lu.work.entries[entry].player);
    show_player(picked);
    show_player(entry);
    show_name(entry);
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
    lu.selected = lu.pointed = lu.dragging = -1;
    lu.message_showing = 0;
    lu.status[0] = 0;
    load_animation_set(LINEUP_PORTRAITS_HANDLE, portrait_set_path(lu.team));
    if (lineup_first_open) {
        lineup_first_open = 0;
        formation_slots[0] = team_lineups[lu.team];
        lu.shown_slot = 0;
        // In a match every slot keeps the men on the ground: a formation
        // chosen then changes only places, settings and zone lines.
        if (in_match())
            for (TeamLineup& slot : formation_slots)
                for (int32_t e = 0; e < LINEUP_ENTRIES; ++e) slot.entries[e].player = formation_slots[0].entries[e].player;
    }
    if (lu.shown_slot < 0 || lu.shown_slot >= FORMATION_SLOTS) lu.shown_slot = 0;
    load_shown_slot();
    add_player_icons();
    refresh_texts();
    team_panel.x = 135, team_panel.y = 20;
    team_panel.player_team = lu.team;
    team_panel.player = lu.work.entries[0].player;
    build_player_panel_d();
    if (menu_icon* roles = screen->entries[ROLES_ENTRY].copy) roles->states[ICON_CLICKED].handler = roles_click;
}

void lineup_frame(menu_screen*)
{
    drag_positions();
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
    close_panel_and_training_icons();
    free_team_panel();
    remove_player_icons();
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
    store_lineup_to_slot();
    lu.shown_slot = lu.shown_slot == 0 ? FORMATION_SLOTS - 1 : lu.shown_slot - 1;
    format_formation_list();
}

void next_formation_slot()
{
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
    lu.selected = lu.pointed = lu.dragging = -1;
    lineup_side = 0;
    lineup_first_open = 0;
}
