#include "frontend/roles_screen.h"

#include "frontend/front_end_graphics.h"
#include "frontend/frame_manifest.h"
#include "frontend/front_end_state.h"
#include "frontend/lineup_screen.h"
#include "frontend/menu_icons.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "frontend/team_panels.h"
#include "match/match_records.h"
#include "league/league_data.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "screen/screen.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

RolesScreenState roles_state;

namespace {

RolesScreenState& rs = roles_state;

constexpr int ROLE6 = 5, ROLE7 = 6; // icon numbers
constexpr uint8_t KIND_FIELD = 1, KIND_BENCH_ICON = 9;
constexpr uint8_t GROUP_ROLES = 2, GROUP_PLAYERS = 3;
// Role icons by role: kind and place on the drawing.
struct RolePlace {
    uint8_t kind;
    int16_t x, y;
};
constexpr RolePlace k_roles[ROLE_ICONS] = {{2, 164, 198}, {6, 164, 282}, {3, 164, 358}, {4, 90, 282},
                                          {5, 240, 282}, {7, 45, 105},  {8, 284, 105}};
constexpr int16_t HIDDEN_ROLE7_Y = -395, ROLE7_REACH = 500;

void ok_click(icon_state_record*, menu_icon*, menu_screen*) { commit_roles_screen(); }

menu_icon g_title = text_template("Assign Roles", 3);
menu_icon g_back = focus_text_template("Back", 2);
menu_icon g_ok = focus_text_template("OK", 1, ok_click);
menu_icon g_name = text_template(roles_state.name, 1);
menu_icon g_player_template;

constexpr int ENTRIES = 4, NAME_ENTRY = 3;
menu_screen_entry g_entries[ENTRIES] = {
    {0, &g_title, 20, 20, nullptr},
    {1, &g_back, 50, 450, nullptr},
    {1, &g_ok, 110, 450, nullptr},
    {0, &g_name, 365, 20, nullptr},
};
const char* const k_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\formation2.lbm",
                                   "front_en\\front_end_gfx\\menu_screens\\hw\\formation2.tga"};

bool is_role(int32_t icon) { return icon >= 0 && icon < ROLE_ICONS; }
bool is_bench(int32_t icon) { return icon >= ROLE_ICON_FIRST_PLAYER && rs.kinds[icon] == KIND_BENCH_ICON; }
bool is_field_player(int32_t icon) { return icon >= ROLE_ICON_FIRST_PLAYER && rs.kinds[icon] == KIND_FIELD; }
// Roles 1-5 and the men on the ground: the places that simply exchange.
bool is_plain(int32_t icon) { return (is_role(icon) && icon < ROLE6) || is_field_player(icon); }

// Where an icon stands (640 x 480).
void icon_place(int32_t icon, int32_t& x, int32_t& y)
{
    if (is_role(icon)) {
        x = k_roles[icon].x, y = k_roles[icon].y;
        if (icon == ROLE7 && rs.role7_hidden) y = HIDDEN_ROLE7_Y;
        return;
    }
    const int32_t k = icon - ROLE_ICON_FIRST_PLAYER;
    if (k < 7) {
        x = 338 + 45 * k, y = 268;
    } else if (k < 13) {
        x = 383 + 45 * (k - 7), y = 330;
    } else {
        x = (rs.interchanges == 6 ? 383 : 428) + 45 * (k - 13), y = 428;
    }
}

void show_icon(int32_t icon)
{
    menu_icon* m = rs.icons[icon];
    if (!m) return;
    const int32_t p = rs.players[icon];
    for (icon_state_record& r : m->states) r.frame = static_cast<uint8_t>(p >= 0 && p < PORTRAIT_FRAME_COUNT ? p : 0);
    int32_t x = 0, y = 0;
    icon_place(icon, x, y);
    m->x = static_cast<int16_t>(scale_x_from_640(x));
    m->y = static_cast<int16_t>(scale_y_from_480(y));
    update_icon(m);
}

void show_name(int32_t icon)
{
    rs.pointed = icon;
    const int32_t p = icon >= 0 ? rs.players[icon] : -1;
    const league_team* t = league_team_at(rs.team);
    const league_player* player = t && p >= 0 && p < LEAGUE_PLAYERS ? t->players[p] : nullptr;
    std::snprintf(rs.name, sizeof rs.name, "%s", player ? player_name(player) : "");
    if (menu_icon* n = g_entries[NAME_ENTRY].copy) update_icon(n);
}

int32_t icon_of(const menu_icon* m)
{
    for (int32_t i = 0; i < ROLE_ICONS + ROLE_PLAYER_ICONS; ++i)
        if (m && rs.icons[i] == m) return i;
    return -1;
}

// Enter, or a click without a drag: the first picks, the second drops.
void icon_click(icon_state_record*, menu_icon* m, menu_screen*)
{
    const int32_t icon = icon_of(m);
    if (icon < 0 || rs.dragging >= 0) return;
    if (rs.picked < 0) {
        rs.picked = icon;
    } else {
        if (rs.picked != icon) drop_role_player(rs.picked, icon);
        rs.picked = -1;
    }
    show_name(icon);
}

void add_icons()
{
    sprite_template(&g_player_template, LINEUP_PORTRAITS_HANDLE, 0, false, 0);
    g_player_template.states[ICON_CLICKED].handler = icon_click;
    for (int32_t i = 0; i < ROLE_ICONS + ROLE_PLAYER_ICONS; ++i) {
        rs.icons[i] = nullptr;
        if (!is_role(i) && rs.players[i] < 0) continue;
        menu_icon* m = copy_icon(g_player_template, "Roles player icon");
        m->user_index = static_cast<uint8_t>(i);
        m->code = rs.kinds[i];
        int32_t x = 0, y = 0;
        icon_place(i, x, y);
        add_child_icon(m, scale_x_from_640(x), scale_y_from_480(y), is_role(i) ? GROUP_ROLES : GROUP_PLAYERS);
        rs.icons[i] = m;
        show_icon(i);
    }
}

void remove_icons()
{
    for (menu_icon*& m : rs.icons) {
        if (!m) continue;
        remove_icon(m);
        free_icon(m);
        m = nullptr;
    }
}

int32_t pointer_x() { return icon_input.x * 640 / scale_x_from_640(640); }
int32_t pointer_y() { return icon_input.y * 480 / scale_y_from_480(480); }

// The icon under a point (640 units); role 7's area reaches further down,
// so that a hidden role 7 can be dropped on.
int32_t icon_at(int32_t x, int32_t y, int32_t except)
{
    const int32_t px = scale_x_from_640(x), py = scale_y_from_480(y);
    for (int32_t i = 0; i < ROLE_ICONS + ROLE_PLAYER_ICONS; ++i) {
        const menu_icon* m = rs.icons[i];
        if (!m || i == except) continue;
        const int32_t reach = i == ROLE7 ? scale_y_from_480(ROLE7_REACH) : 0;
        if (m->rect_left <= px && px < m->rect_right && m->rect_top <= py && py < m->rect_bottom + reach) return i;
    }
    return -1;
}

void drag_with_mouse()
{
    if (rs.dragging < 0) {
        if (!icon_input.left_pressed) return;
        const int32_t icon = icon_at(pointer_x(), pointer_y(), -1);
        if (icon < 0 || (icon == ROLE7 && rs.role7_hidden)) return;
        int32_t x = 0, y = 0;
        icon_place(icon, x, y);
        rs.dragging = icon;
        rs.grab_dx = pointer_x() - x, rs.grab_dy = pointer_y() - y;
        return;
    }
    const int32_t x = pointer_x() - rs.grab_dx, y = pointer_y() - rs.grab_dy;
    if (menu_icon* m = rs.icons[rs.dragging]) {
        m->x = static_cast<int16_t>(scale_x_from_640(x));
        m->y = static_cast<int16_t>(scale_y_from_480(y));
        update_icon(m);
    }
    if (icon_input.left_down) return;
    const int32_t source = rs.dragging;
    rs.dragging = -1;
    rs.picked = -1;
    int32_t sx = 0, sy = 0;
    icon_place(source, sx, sy);
    // A release where it was taken is a click, not a drop.
    if (std::abs(x - sx) < 4 && std::abs(y - sy) < 4) {
        show_icon(source);
        return;
    }
    drop_role_player(source, icon_at(x, y, source));
    show_icon(source);
}

void result_two(menu_screen*) { front_end_state.result = 2; }

} // namespace

menu_screen roles_screen = {ENTRIES, SCREEN_MENU, k_pictures, nullptr, 0, &g_entries[2], roles_screen_open,
                            roles_screen_close, roles_screen_frame, nullptr, 0, 0, 0, 0, 0, 0, g_entries};

bool drop_role_player(int32_t source, int32_t target)
{
    const int32_t n = ROLE_ICONS + ROLE_PLAYER_ICONS;
    if (source < 0 || source >= n || target >= n) return false;
    const bool from_role67 = source == ROLE6 || source == ROLE7;
    if (target < 0) {
        // Role 7 let go of on nothing is emptied.
        if (source != ROLE7) return false;
        rs.players[ROLE7] = -1;
        rs.role7_hidden = 1;
        show_icon(ROLE7);
        return true;
    }
    if (is_bench(target) && !from_role67) return false;
    if (source == ROLE6 && target == ROLE7 && rs.role7_hidden) return false;
    int32_t& d = rs.players[source];
    int32_t& t = rs.players[target];
    bool changed = false;
    if (target == ROLE6) {
        if (d == rs.players[ROLE7] && source != ROLE7) return false;
        const int32_t old = t;
        t = d;
        if (source == ROLE7) d = old;
        changed = true;
    } else if (target == ROLE7) {
        if (d == rs.players[ROLE6] && source != ROLE6) return false;
        const int32_t old = t;
        t = d;
        rs.role7_hidden = 0;
        if (source == ROLE6) d = old;
        changed = true;
    } else if (from_role67) {
        // The role takes the man dropped on; he stays where he is.
        const int32_t other = rs.players[source == ROLE6 ? ROLE7 : ROLE6];
        if (t == other || t < 0) return false;
        d = t;
        changed = true;
    } else if (is_bench(source)) {
        return false;
    } else if (is_plain(source) && is_plain(target)) {
        std::swap(d, t);
        changed = true;
    }
    show_icon(source);
    show_icon(target);
    return changed;
}

void roles_screen_open(menu_screen* screen)
{
    input_reset();
    front_end_state.default_action = result_two;
    rs.team = lineup_state.team >= 0 && lineup_state.team < LEAGUE_TEAMS ? lineup_state.team : 0;
    rs.slot = lineup_state.roles_slot < FORMATION_SLOTS ? lineup_state.roles_slot : 0;
    rs.interchanges = game_settings.interchange_players;
    if (rs.interchanges < 0 || rs.interchanges > 6) rs.interchanges = 4;
    rs.dragging = rs.picked = rs.pointed = -1;
    const TeamLineup& lineup = formation_slots[rs.slot];
    assign_team_roles(lineup, rs.interchanges);
    for (int32_t& p : rs.players) p = -1;
    for (int32_t k = 0; k < ROLE_ICONS; ++k) {
        rs.players[k] = current_roles[k] - 1 >= 0 ? current_roles[k] - 1 : -1;
        rs.kinds[k] = k_roles[k].kind;
    }
    rs.role7_hidden = rs.players[ROLE7] < 0;
    // The men on the ground who hold none of roles 1-5, then the bench.
    int32_t next = ROLE_ICON_FIRST_PLAYER;
    for (int32_t e = 0; e < LINEUP_ON_FIELD && next < ROLE_ICON_FIRST_PLAYER + 13; ++e) {
        const int32_t p = lineup.entries[e].player;
        bool holds = false;
        for (int32_t k = 0; k < ROLE6; ++k) holds = holds || rs.players[k] == p;
        if (holds) continue;
        rs.players[next] = p;
        rs.kinds[next++] = KIND_FIELD;
    }
    for (int32_t b = 0; b < rs.interchanges; ++b) {
        const int32_t i = ROLE_ICON_FIRST_PLAYER + 13 + b;
        rs.players[i] = lineup.entries[LINEUP_ON_FIELD + b].player;
        rs.kinds[i] = KIND_BENCH_ICON;
    }
    load_animation_set(LINEUP_PORTRAITS_HANDLE, portrait_set_path(rs.team));
    add_icons();
    show_name(0);
    free_team_panel();
    team_panel.x = 505, team_panel.y = 62;
    team_panel.player_team = rs.team;
    team_panel.player = rs.players[0];
    build_player_panel_d();
    if (menu_icon* ok = screen->entries[2].copy) ok->states[ICON_CLICKED].handler = ok_click;
}

void roles_screen_frame(menu_screen*)
{
    drag_with_mouse();
    const int32_t focused = icon_of(active_icon_table.focus_icon);
    if (focused >= 0 && focused != rs.pointed) show_name(focused);
    player_panel_frame(rs.team, rs.pointed >= 0 ? rs.players[rs.pointed] : rs.players[0]);
}

void roles_screen_close(menu_screen*)
{
    free_team_panel();
    remove_icons();
    free_animation_set(LINEUP_PORTRAITS_HANDLE);
    front_end_state.default_action = nullptr;
}

void commit_roles_screen()
{
    for (int32_t k = 0; k < ROLE_ICONS; ++k) current_roles[k] = rs.players[k] + 1;
    if (rs.role7_hidden) current_roles[ROLE7] = -1;
}

void reset_roles_screen()
{
    remove_icons();
    rs = RolesScreenState{};
    rs.dragging = rs.picked = rs.pointed = -1;
}
