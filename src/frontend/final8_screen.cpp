#include "frontend/final8_screen.h"

#include "frontend/competition.h"
#include "frontend/competition_teams.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "frontend/team_icon_sets.h"
#include "frontend/team_panels.h"
#include "frontend/team_selection.h"
#include "league/game_settings.h"
#include "platform/input.h"
#include "platform/language.h"
#include "platform/mouse.h"
#include "screen/screen.h"

#include <cstdio>
#include <cstring>
#include <utility>

Final8ScreenState final8_state;

namespace {

Final8ScreenState& f8 = final8_state;
TeamChoice& tc = team_choice;

constexpr int ENTRIES = 41, OK_ENTRY = 2, LARGE = 3, MASCOT = 4, CONTROL = 20, NAME = 30, VERB = 31;

bool valid_place(int32_t p) { return p >= 0 && p < FINAL8_PLACES; }
int16_t place_x(int32_t p) { return static_cast<int16_t>(75 + 70 * (p % 8)); }

void ok_click(icon_state_record*, menu_icon*, menu_screen*) { commit_final8(); }
void mascot_press(icon_state_record*, menu_icon* icon, menu_screen*);

menu_icon g_back, g_ok, g_large;
menu_icon g_title = text_template("Final 8 - Team Selection", 3);
menu_icon g_texts[4] = {text_template("Teams In Final 8 - Teams Are Ranked From Left To Right", 1),
                        text_template("Teams Not In Final 8", 1), text_template("Drag And Drop Team Mascots To", 1),
                        text_template("Enter/Remove From Competition", 1)};
menu_icon g_name = text_template(final8_state.name, 1);
menu_screen_entry g_entries[ENTRIES];
const char* const k_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\Final8.lbm",
                                   "front_en\\front_end_gfx\\menu_screens\\hw\\Final8.tga"};

menu_screen* g_open;
menu_icon* copy_of(int i) { return g_open ? g_open->entries[i].copy : nullptr; }
menu_icon* mascot_icon(int32_t place) { return valid_place(place) ? copy_of(MASCOT + place) : nullptr; }

bool inside(const menu_icon* icon, int32_t x, int32_t y)
{
    return icon && icon->rect_left <= x && x < icon->rect_right && icon->rect_top <= y && y < icon->rect_bottom;
}

int32_t place_at(int32_t x, int32_t y)
{
    for (int32_t p = 0; p < FINAL8_PLACES; ++p)
        if (inside(mascot_icon(p), x, y)) return p;
    return -1;
}

// A finalist's texts, from who plays the club at the place.
void refresh_texts(int32_t place)
{
    if (place < 0 || place >= FINAL8_FINALISTS) return;
    set_place_control(place, tc.computer[place], copy_of(CONTROL + place), copy_of(VERB + place), place_x(place) + 32);
}

void show_place(int32_t place)
{
    if (place < 0 || place >= FINAL8_PLACES) return;
    const int32_t team = f8.teams[place];
    menu_icon* m = mascot_icon(place);
    if (team >= 0 && team < TEAM_MASCOTS) shown_team_mascots[team] = m;
    if (!m) return;
    m->user_index = static_cast<uint8_t>(f8.teams[place]);
    m->code = static_cast<uint8_t>(place);
    for (icon_state_record& r : m->states) r.frame = mascot_frame(f8.teams[place]);
    update_icon(m);
}

void end_drag()
{
    if (f8.drag_icon) {
        if (icon_slot(f8.drag_icon) >= 0) remove_icon(f8.drag_icon);
        free_icon(f8.drag_icon);
    }
    f8.drag_icon = nullptr;
    f8.drag_place = -1;
}

// A press with the mouse is the pointer's step's; Enter or a pad button picks the place, and a second one on another place
// exchanges the two.
void mascot_press(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (!icon) return;
    if (icon_input.left_pressed) return;
    const int32_t place = icon->code;
    final8_press(place);
    if (f8.picked < 0 || f8.picked == place) {
        f8.picked = f8.picked == place ? -1 : place;
        return;
    }
    exchange_final8_places(f8.picked, place);
    f8.picked = -1;
}

// After the screen the shared mascots follow the sliders' rules: pointing
// shows the club on the panel, a click flips who plays it.
void slider_point(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (icon) set_panel_team_from_slider(icon->user_index);
}
void slider_click(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (icon) toggle_from_slider(icon->user_index);
}

void right_button()
{
    if (!(mouse_state.buttons & MOUSE_RIGHT)) {
        f8.right_latch = 0;
        return;
    }
    if (f8.right_latch) return;
    f8.right_latch = 1;
    const int32_t place = place_at(icon_input.x, icon_input.y);
    if (place >= 0) toggle_final8_control(place);
}

void fill_entries()
{
    menu_screen_entry* e = g_entries;
    e[0] = {0, &g_title, 20, 20, nullptr};
    e[1] = {1, &g_back, 50, 450, nullptr};
    e[OK_ENTRY] = {1, &g_ok, 110, 450, nullptr};
    e[LARGE] = {0, &g_large, 300, 245, nullptr};
    for (int p = 0; p < FINAL8_PLACES; ++p)
        e[MASCOT + p] = {2, &team_mascot_templates[p], place_x(p), static_cast<int16_t>(p < 8 ? 120 : 370), nullptr};
    for (int k = 0; k < FINAL8_FINALISTS; ++k) {
        e[CONTROL + k] = {0, &team_control_templates[k], place_x(k), 150, nullptr};
        e[VERB + k] = {0, &team_verb_templates[k], place_x(k), 165, nullptr};
    }
    e[28] = {0, &g_texts[0], 50, 65, nullptr};
    e[29] = {0, &g_texts[1], 50, 320, nullptr};
    e[NAME] = {0, &g_name, 320, 310, nullptr};
    e[39] = {0, &g_texts[2], 215, 425, nullptr};
    e[40] = {0, &g_texts[3], 215, 445, nullptr};
}

} // namespace

menu_screen final8_screen = {ENTRIES, SCREEN_MENU, k_pictures, nullptr, 0, &g_entries[OK_ENTRY], final8_open,
                             final8_close, final8_frame, nullptr, 0, 0, 0, 0, 0, 0, g_entries};

void prepare_final8_screen()
{
    register_lineup_callbacks();
    fill_entries();
    common_button_templates(&g_ok, &g_back, nullptr);
    g_ok.states[ICON_CLICKED].handler = ok_click;
    sprite_template(&g_large, HANDLE_CARICATURE, 0, false, 3);
}

void final8_open(menu_screen* screen)
{
    input_reset();
    g_open = screen;
    f8.drag_place = f8.picked = -1;
    f8.drag_icon = nullptr;
    f8.right_latch = 0;
    f8.name[0] = 0;
    for (int32_t p = 0; p < FINAL8_PLACES; ++p) {
        f8.teams[p] = p;
        tc.computer[p] = p == 0 ? 0 : 1;
    }
    tc.panel_team = 0;
    for (int32_t p = 0; p < FINAL8_PLACES; ++p) {
        show_place(p);
        if (menu_icon* m = mascot_icon(p)) {
            m->states[ICON_CLICKED].handler = mascot_press;
            m->states[ICON_FOCUSED].handler = nullptr;
        }
        refresh_texts(p);
    }
    free_team_panel();
    team_panel.x = 157, team_panel.y = 200;
    build_team_panel_b();
    if (menu_icon* ok = screen->entries[OK_ENTRY].copy) set_focus_icon(ok);
}

void final8_frame(menu_screen*)
{
    final8_pointer();
    team_panel_frame();
}

void final8_close(menu_screen*)
{
    end_drag();
    for (menu_icon& m : team_mascot_templates) {
        m.states[ICON_NORMAL].handler = nullptr;
        m.states[ICON_FOCUSED].handler = slider_point;
        m.states[ICON_CLICKED].handler = slider_click;
    }
    free_team_panel();
    for (menu_icon*& m : shown_team_mascots) m = nullptr;
    g_open = nullptr;
}

void toggle_final8_control(int32_t place)
{
    if (!valid_place(place)) return;
    tc.computer[place] ^= 1;
    refresh_texts(place);
}

void final8_press(int32_t place)
{
    if (!valid_place(place)) return;
    if (place < FINAL8_FINALISTS) toggle_final8_control(place);
    const int32_t team = f8.teams[place];
    if (menu_icon* large = copy_of(LARGE)) {
        large->user_index = static_cast<uint8_t>(team);
        for (icon_state_record& r : large->states) r.frame = mascot_frame(team);
        update_icon(large);
    }
    std::snprintf(f8.name, sizeof f8.name, "%s", get_text(static_cast<uint16_t>(team)));
    if (menu_icon* n = copy_of(NAME)) centre_icon_text_at(n, 320);
    set_selection_from_slider(team);
}

void exchange_final8_places(int32_t a, int32_t b)
{
    if (!valid_place(a) || !valid_place(b) || a == b) return;
    std::swap(f8.teams[a], f8.teams[b]);
    std::swap(tc.computer[a], tc.computer[b]);
    show_place(a);
    show_place(b);
    for (int32_t p = 0; p < FINAL8_FINALISTS; ++p) refresh_texts(p);
}

void final8_pointer()
{
    right_button();
    const int32_t px = icon_input.x, py = icon_input.y;
    if (f8.drag_place < 0) {
        if (!icon_input.left_pressed) return;
        const int32_t place = place_at(px, py);
        if (place < 0) {
            // The texts under a finalist flip who plays it.
            for (int32_t k = 0; k < FINAL8_FINALISTS; ++k)
                if (inside(copy_of(CONTROL + k), px, py) || inside(copy_of(VERB + k), px, py)) toggle_final8_control(k);
            return;
        }
        final8_press(place);
        const menu_icon* m = mascot_icon(place);
        f8.drag_place = place;
        f8.grab_dx = px - m->x, f8.grab_dy = py - m->y;
        f8.drag_icon = copy_icon(*m, "Drag icon");
        f8.drag_icon->flags = 0;
        for (icon_state_record& r : f8.drag_icon->states) r.handler = nullptr;
        add_child_icon(f8.drag_icon, m->x, m->y, 0);
        return;
    }
    if (icon_input.left_down) {
        f8.drag_icon->x = static_cast<int16_t>(px - f8.grab_dx);
        f8.drag_icon->y = static_cast<int16_t>(py - f8.grab_dy);
        update_icon(f8.drag_icon);
        return;
    }
    const int32_t from = f8.drag_place, x = f8.drag_icon->x, y = f8.drag_icon->y;
    end_drag();
    const int32_t to = place_at(x, y);
    if (to >= 0 && to != from) exchange_final8_places(from, to);
}

void commit_final8()
{
    for (int32_t p = 0; p < FINAL8_PLACES; ++p)
        std::snprintf(f8.control_names[p], sizeof f8.control_names[p], "%s", tc.computer[p] ? "CPU" : "Human");
    // The first week: 4th v 5th, 3rd v 6th, 2nd v 7th, 1st v 8th.
    for (int32_t p = 0; p < FINAL8_FINALISTS; ++p) final8_place_byte(p) = static_cast<int8_t>(f8.teams[p]);
    clear_competition_teams();
    if (game_settings.game_type == GAME_FINAL_8) {
        CompetitionState& c = competition_state;
        // The places carry their club numbers, so no club is looked up by name.
        for (int32_t p = 0; p < FINAL8_FINALISTS; ++p) {
            const int32_t team = f8.teams[p];
            c.kinds[team] = std::strcmp(f8.control_names[p], "CPU") == 0 ? KIND_COMPUTER : KIND_HUMAN;
            if (c.order_count < 16) c.order[c.order_count] = static_cast<uint8_t>(team);
            ++c.order_count;
        }
    }
    random_fill_selection();
}

void reset_final8_screen()
{
    end_drag();
    f8 = Final8ScreenState{};
    f8.drag_place = f8.picked = -1;
    g_open = nullptr;
}
