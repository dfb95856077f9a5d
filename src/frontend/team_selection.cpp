#include "frontend/team_selection.h"

#include "frontend/competition.h"
#include "frontend/competition_teams.h"
#include "frontend/front_end_graphics.h"
#include "frontend/front_end_state.h"
#include "frontend/lineup_screen.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "frontend/settings_screens.h"
#include "frontend/team_icon_sets.h"
#include "frontend/team_panels.h"
#include "match/match_records.h"
#include "platform/input.h"
#include "platform/language.h"
#include "platform/mouse.h"
#include "screen/screen.h"

#include <cstdio>

TeamChoice team_choice;
TeamSelectScreenState team_select_state;

namespace {

// The badges each screen shows, held on the device while it is open.
HeldBadges g_ex_badges, g_se_badges;

TeamChoice& tc = team_choice;
TeamSelectScreenState& ts = team_select_state;

bool valid_team(int32_t team) { return team >= 0 && team < 16; }
const char* team_name(int32_t team) { return valid_team(team) ? get_text(static_cast<uint16_t>(team)) : ""; }

bool inside(const menu_icon* icon, int32_t x, int32_t y)
{
    return icon && icon->rect_left <= x && x < icon->rect_right && icon->rect_top <= y && y < icon->rect_bottom;
}

// The mascot of the open screen under the pointer, or null.
menu_icon* mascot_at(int32_t x, int32_t y)
{
    for (menu_icon* m : shown_team_mascots)
        if (inside(m, x, y)) return m;
    return nullptr;
}

// The small mascots stand centred in 64 x 64 cells from their places.
void centre_in_cell(menu_icon* icon, int32_t cell_x, int32_t cell_y)
{
    if (!icon) return;
    update_icon(icon);
    const int32_t cx = scale_x_from_640(cell_x + 32), cy = scale_y_from_480(cell_y + 32);
    if (icon->rect_right > icon->rect_left) icon->x = static_cast<int16_t>(icon->x + cx - (icon->rect_left + icon->rect_right) / 2);
    if (icon->rect_bottom > icon->rect_top) icon->y = static_cast<int16_t>(icon->y + cy - (icon->rect_top + icon->rect_bottom) / 2);
    update_icon(icon);
}

void show_club(menu_icon* icon, int32_t team)
{
    if (!icon) return;
    icon->user_index = static_cast<uint8_t>(team);
    for (icon_state_record& r : icon->states) r.frame = mascot_frame(team);
    update_icon(icon);
}

void set_name(menu_icon* icon, char* buffer, int32_t team, int32_t centre_x)
{
    std::snprintf(buffer, sizeof ts.names[0], "%s", team_name(team));
    if (icon) centre_icon_text_at(icon, centre_x);
}

// --- The exhibition and training screen ---

constexpr int EX_ENTRIES = 23, EX_OK = 1, EX_MASCOT = 2, EX_LARGE = 18, EX_TITLE = 20, EX_NAME = 21;
constexpr int32_t NAME_X[2] = {253, 400};
constexpr uint16_t RESULT_HOME_LINEUP = 5, RESULT_AWAY_LINEUP = 6;

void exhibition_ok(icon_state_record*, menu_icon*, menu_screen*) { reset_exhibition_choice(); }
void large_mascot_click(icon_state_record*, menu_icon* icon, menu_screen*);
void exhibition_mascot_press(icon_state_record*, menu_icon* icon, menu_screen*);

menu_icon g_ex_back, g_ex_ok, g_ex_large[2];
menu_icon g_ex_title = text_template(team_select_state.title, 3);
menu_icon g_ex_names[2] = {text_template(team_select_state.names[0], 1), text_template(team_select_state.names[1], 1)};

menu_screen_entry g_ex_entries[EX_ENTRIES];
const char* const k_ex_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\training team selection.lbm",
                                      "front_en\\front_end_gfx\\menu_screens\\hw\\training team selection.tga"};

void fill_exhibition_entries()
{
    menu_screen_entry* e = g_ex_entries;
    e[0] = {1, &g_ex_back, 50, 450, nullptr};
    e[1] = {1, &g_ex_ok, 110, 450, nullptr};
    for (int k = 0; k < TEAM_MASCOTS; ++k)
        e[EX_MASCOT + k] = {2, &team_mascot_templates[k], static_cast<int16_t>(75 + 70 * (k % 8)),
                            static_cast<int16_t>(k < 8 ? 320 : 390), nullptr};
    e[EX_LARGE] = {1, &g_ex_large[0], 253, 170, nullptr};
    e[EX_LARGE + 1] = {1, &g_ex_large[1], 400, 170, nullptr};
    e[EX_TITLE] = {0, &g_ex_title, 20, 20, nullptr};
    e[EX_NAME] = {0, &g_ex_names[0], 253, 215, nullptr};
    e[EX_NAME + 1] = {0, &g_ex_names[1], 400, 215, nullptr};
}

menu_screen* g_open_screen;

menu_icon* entry_copy(int i) { return g_open_screen ? g_open_screen->entries[i].copy : nullptr; }

void refresh_exhibition_sides()
{
    show_club(entry_copy(EX_LARGE), tc.home);
    show_club(entry_copy(EX_LARGE + 1), tc.away);
    set_name(entry_copy(EX_NAME), ts.names[0], tc.home, NAME_X[0]);
    set_name(entry_copy(EX_NAME + 1), ts.names[1], tc.away, NAME_X[1]);
}

// The strength panel stands under the side being chosen.
void build_side_panel()
{
    free_team_panel();
    team_panel.x = ts.side ? 530 : 100;
    team_panel.y = 300;
    build_team_panel_a();
    team_panel.team = ts.side ? tc.away : tc.home;
}

void set_side(int32_t side)
{
    side &= 1;
    lineup_side = static_cast<uint8_t>(side);
    if (side == ts.side && team_panel.controls) return;
    ts.side = side;
    build_side_panel();
}

void large_mascot_click(icon_state_record*, menu_icon* icon, menu_screen*)
{
    set_side(icon && icon->result_code == RESULT_AWAY_LINEUP ? 1 : 0);
}

// A mouse press starts a drag (the pointer's step does the rest); Enter or
// a pad button picks the club at once.
void exhibition_mascot_press(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (!icon || icon_input.left_pressed) return;
    pick_exhibition_team(icon->user_index);
}

void end_drag()
{
    if (ts.drag_icon) {
        if (icon_slot(ts.drag_icon) >= 0) remove_icon(ts.drag_icon);
        free_icon(ts.drag_icon);
    }
    ts.drag_icon = nullptr;
    ts.drag_team = -1;
}

// --- The season screen ---

constexpr int SE_ENTRIES = 53, SE_OK = 1, SE_TITLE = 2, SE_LARGE = 3, SE_MASCOT = 4, SE_CONTROL = 20, SE_VERB = 36,
              SE_NAME = 52;

void season_ok(icon_state_record*, menu_icon*, menu_screen*) { commit_season_selection(); }
void season_point(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (icon && icon->user_index != team_panel.team) show_season_team(icon->user_index);
}
void season_press(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (icon) flip_season_place(icon->user_index);
}

menu_icon g_se_back, g_se_ok, g_se_large;
menu_icon g_se_title = text_template(team_select_state.title, 3);
menu_icon g_se_name = text_template(team_select_state.names[0], 1);
menu_screen_entry g_se_entries[SE_ENTRIES];
const char* const k_se_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\pre season team select.lbm",
                                      "front_en\\front_end_gfx\\menu_screens\\hw\\pre season team select.tga"};

int16_t place_x(int k) { return static_cast<int16_t>(75 + 70 * (k % 8)); }

void fill_season_entries()
{
    menu_screen_entry* e = g_se_entries;
    e[0] = {1, &g_se_back, 50, 450, nullptr};
    e[1] = {1, &g_se_ok, 110, 450, nullptr};
    e[SE_TITLE] = {0, &g_se_title, 20, 20, nullptr};
    e[SE_LARGE] = {0, &g_se_large, 300, 140, nullptr};
    for (int k = 0; k < TEAM_MASCOTS; ++k) {
        const bool top = k < 8;
        e[SE_MASCOT + k] = {2, &team_mascot_templates[k], place_x(k), static_cast<int16_t>(top ? 255 : 360), nullptr};
        e[SE_CONTROL + k] = {0, &team_control_templates[k], place_x(k), static_cast<int16_t>(top ? 290 : 390), nullptr};
        e[SE_VERB + k] = {0, &team_verb_templates[k], place_x(k), static_cast<int16_t>(top ? 305 : 405), nullptr};
    }
    e[SE_NAME] = {0, &g_se_name, 320, 200, nullptr};
}

void refresh_place(int32_t place)
{
    if (!valid_team(place) || g_open_screen != &season_team_select_screen) return;
    set_place_control(place, tc.computer[place], entry_copy(SE_CONTROL + place), entry_copy(SE_VERB + place),
                      place_x(place) + 32);
}

// The right button flips the place under the pointer once a press.
void season_right_button()
{
    if (!(mouse_state.buttons & MOUSE_RIGHT)) {
        ts.right_latch = 0;
        return;
    }
    if (ts.right_latch) return;
    ts.right_latch = 1;
    if (const menu_icon* m = mascot_at(icon_input.x, icon_input.y)) flip_season_place(m->user_index);
}

void number_mascots(menu_screen* screen, int first)
{
    for (int k = 0; k < TEAM_MASCOTS; ++k) {
        menu_icon* m = screen->entries[first + k].copy;
        shown_team_mascots[k] = m;
        if (!m) continue;
        show_club(m, k);
        centre_in_cell(m, place_x(k), screen->entries[first + k].y);
    }
}

} // namespace

menu_screen team_selection_screen = {EX_ENTRIES, SCREEN_MENU, k_ex_pictures, nullptr, 0, &g_ex_entries[EX_OK],
                                     team_selection_open, team_selection_close, team_selection_frame, nullptr, 0,
                                     0, 0, 0, 0, 0, g_ex_entries};
menu_screen season_team_select_screen = {SE_ENTRIES, SCREEN_MENU, k_se_pictures, nullptr, 0, &g_se_entries[SE_OK],
                                         season_team_select_open, season_team_select_close, season_team_select_frame,
                                         nullptr, 0, 0, 0, 0, 0, 0, g_se_entries};

void set_panel_team_from_slider(int32_t team)
{
    if (!valid_team(team)) return;
    tc.panel_team = team;
    team_panel.team = team;
    if (game_settings.game_type == GAME_PREMIERSHIP || game_settings.game_type == GAME_PRE_SEASON) {
        tc.large_mascot_team = team;
        if (g_open_screen == &season_team_select_screen) show_club(entry_copy(SE_LARGE), team);
    }
    tc.side = 1;
}

void set_selection_from_slider(int32_t team)
{
    if (!valid_team(team)) return;
    if (tc.side == 1)
        tc.home = team;
    else
        tc.away = team;
    tc.panel_team = team;
    team_panel.team = team;
    if (g_open_screen == &team_selection_screen) refresh_exhibition_sides();
}

void toggle_from_slider(int32_t place)
{
    if (valid_team(place)) tc.computer[place] ^= 1;
}

void prepare_team_selection_screens()
{
    register_lineup_callbacks();
    fill_exhibition_entries();
    fill_season_entries();
    common_button_templates(&g_ex_ok, &g_ex_back, nullptr);
    common_button_templates(&g_se_ok, &g_se_back, nullptr);
    g_ex_ok.states[ICON_CLICKED].handler = exhibition_ok;
    g_se_ok.states[ICON_CLICKED].handler = season_ok;
    for (int side = 0; side < 2; ++side) {
        sprite_template(&g_ex_large[side], HANDLE_CARICATURE, 0, false,
                        side ? RESULT_AWAY_LINEUP : RESULT_HOME_LINEUP);
        g_ex_large[side].states[ICON_CLICKED].handler = large_mascot_click;
    }
    sprite_template(&g_se_large, HANDLE_CARICATURE, 0, false, 3);
}

// --- Exhibition and training ---

void team_selection_open(menu_screen* screen)
{
    hold_every_badge(&g_ex_badges);
    input_reset();
    g_open_screen = screen;
    ts.drag_team = -1;
    ts.drag_icon = nullptr;
    tc.home = valid_team(game_settings.home_team) ? game_settings.home_team : 0;
    tc.away = valid_team(game_settings.away_team) ? game_settings.away_team : 0;
    for (int k = 0; k < TEAM_MASCOTS; ++k)
        if (menu_icon* m = screen->entries[EX_MASCOT + k].copy) m->states[ICON_CLICKED].handler = exhibition_mascot_press;
    number_mascots(screen, EX_MASCOT);
    std::snprintf(ts.title, sizeof ts.title, "%s",
                  game_settings.game_type == GAME_TRAINING ? "Training - Team Selection" : "Exhibition Game - Team Selection");
    if (menu_icon* t = screen->entries[EX_TITLE].copy) update_icon(t);
    refresh_exhibition_sides();
    ts.side = lineup_side & 1;
    build_side_panel();
    if (menu_icon* ok = screen->entries[EX_OK].copy) set_focus_icon(ok);
}

void team_selection_frame(menu_screen*)
{
    game_settings.home_team = static_cast<int8_t>(tc.home);
    game_settings.away_team = static_cast<int8_t>(tc.away);
    team_selection_pointer();
    team_panel_frame();
}

void team_selection_close(menu_screen*)
{
    let_go_every_badge(&g_ex_badges);
    end_drag();
    free_team_panel();
    for (menu_icon*& m : shown_team_mascots) m = nullptr;
    g_open_screen = nullptr;
}

void pick_exhibition_team(int32_t team)
{
    if (!valid_team(team)) return;
    (ts.side ? tc.away : tc.home) = team;
    refresh_exhibition_sides();
    // Home then away, by turns.
    set_side(ts.side ^ 1);
}

void team_selection_pointer()
{
    const int32_t px = icon_input.x, py = icon_input.y;
    if (ts.drag_team < 0) {
        if (!icon_input.left_pressed) return;
        const menu_icon* m = mascot_at(px, py);
        if (!m) return;
        ts.drag_team = m->user_index;
        ts.grab_dx = px - m->x, ts.grab_dy = py - m->y;
        ts.drag_icon = copy_icon(*m, "Drag icon");
        ts.drag_icon->flags = 0;
        for (icon_state_record& r : ts.drag_icon->states) r.handler = nullptr;
        add_child_icon(ts.drag_icon, m->x, m->y, 0);
        return;
    }
    if (icon_input.left_down) {
        ts.drag_icon->x = static_cast<int16_t>(px - ts.grab_dx);
        ts.drag_icon->y = static_cast<int16_t>(py - ts.grab_dy);
        update_icon(ts.drag_icon);
        return;
    }
    // The drop: the big mascot under the dragged one takes the club.
    const int32_t x = ts.drag_icon->x, y = ts.drag_icon->y, team = ts.drag_team;
    end_drag();
    for (int side = 0; side < 2; ++side)
        if (inside(entry_copy(EX_LARGE + side), x, y)) {
            (side ? tc.away : tc.home) = team;
            refresh_exhibition_sides();
            team_panel.team = team;
            break;
        }
}

void reset_exhibition_choice()
{
    // The chosen clubs play (the screen has written them all along).
    game_settings.home_team = static_cast<int8_t>(tc.home);
    game_settings.away_team = static_cast<int8_t>(tc.away);
    team_records[0].club = team_records[0].club_sheet = league_team_at(tc.home);
    team_records[1].club = team_records[1].club_sheet = league_team_at(tc.away);
    clear_competition_teams();
}

// --- Pre-season and premiership ---

void season_team_select_open(menu_screen* screen)
{
    hold_every_badge(&g_se_badges);
    input_reset();
    g_open_screen = screen;
    reset_team_select_state();
    tc.side = 1;
    tc.panel_team = tc.home = tc.away = 0;
    ts.right_latch = 0;
    for (int k = 0; k < TEAM_MASCOTS; ++k) tc.computer[k] = k == 0 ? 0 : 1;
    number_mascots(screen, SE_MASCOT);
    for (int k = 0; k < TEAM_MASCOTS; ++k) {
        if (menu_icon* m = screen->entries[SE_MASCOT + k].copy) {
            m->states[ICON_FOCUSED].handler = season_point;
            m->states[ICON_CLICKED].handler = season_press;
        }
        refresh_place(k);
    }
    free_team_panel();
    team_panel.x = 157, team_panel.y = 108;
    build_team_panel_b();
    std::snprintf(ts.title, sizeof ts.title, "%s",
                  game_settings.game_type == GAME_PRE_SEASON ? "Pre Season Team Select" : "Premiership Team Select");
    if (menu_icon* t = screen->entries[SE_TITLE].copy) update_icon(t);
    show_season_team(0);
    if (menu_icon* ok = screen->entries[SE_OK].copy) set_focus_icon(ok);
}

void season_team_select_frame(menu_screen*)
{
    season_right_button();
    team_panel_frame();
}

void season_team_select_close(menu_screen*)
{
    let_go_every_badge(&g_se_badges);
    free_team_panel();
    for (menu_icon*& m : shown_team_mascots) m = nullptr;
    g_open_screen = nullptr;
}

void show_season_team(int32_t team)
{
    if (!valid_team(team)) return;
    tc.panel_team = tc.large_mascot_team = team;
    team_panel.team = team;
    if (g_open_screen != &season_team_select_screen) return;
    show_club(entry_copy(SE_LARGE), team);
    set_name(entry_copy(SE_NAME), ts.names[0], team, 320);
}

void flip_season_place(int32_t place)
{
    toggle_from_slider(place);
    refresh_place(place);
}

void commit_season_selection()
{
    clear_competition_teams();
    const int8_t type = game_settings.game_type;
    if (type == GAME_PREMIERSHIP || type == GAME_PRE_SEASON) {
        CompetitionState& c = competition_state;
        for (int t = 0; t < TEAM_MASCOTS; ++t) {
            c.kinds[t] = tc.computer[t] ? KIND_COMPUTER : KIND_HUMAN;
            c.order[t] = static_cast<uint8_t>(t);
        }
        c.order_count = TEAM_MASCOTS;
    }
    random_fill_selection();
}

void reset_team_choice()
{
    g_ex_badges = {};
    g_se_badges = {};
    tc = TeamChoice{};
    tc.side = 1;
    for (int i = 1; i < 16; ++i) tc.computer[i] = 1;
    if (ts.drag_icon) free_icon(ts.drag_icon);
    ts = TeamSelectScreenState{};
    ts.drag_team = -1;
    g_open_screen = nullptr;
}
