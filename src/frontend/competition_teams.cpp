#include "frontend/competition_teams.h"

#include "frontend/front_end_graphics.h"

#include "frontend/competition.h"
#include "frontend/competition_screens.h"
#include "frontend/control_events.h"
#include "frontend/database_files.h"
#include "frontend/front_end_graphics.h"
#include "frontend/front_end_state.h"
#include "frontend/option_screens.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "league/game_settings.h"
#include "league/league_data.h"
#include "match/game_maths.h"
#include "match/session_defaults.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/language.h"
#include "screen/screen.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

CompetitionTeamsState competition_teams_state;

namespace {

// The badges the screen shows, held on the device while it is open.
HeldBadges g_badges;

CompetitionTeamsState& ct = competition_teams_state;
const int32_t k_bar_minimum[7] = {22, 0, 0, 230, 0, 153, 67};
const int32_t k_bar_maximum[7] = {40, 255, 255, 255, 255, 652, 285};
const int32_t k_bar_step[7] = {1, 10, 10, 1, 10, 19, 8};
const int32_t k_bar_y[7] = {256, 276, 296, 316, 336, 356, 386};

bool final_8() { return game_settings.game_type == GAME_FINAL_8; }
bool is_cpu(int32_t team) { return std::strcmp(ct.names_selected[team], "CPU") == 0; }
const char* team_text(int32_t team) { return team >= 0 && team < LEAGUE_TEAMS ? get_text(team) : ""; }

void append_team(int32_t team, uint32_t kind)
{
    CompetitionState& c = competition_state;
    c.kinds[team] = kind;
    if (c.order_count < 16) c.order[c.order_count] = static_cast<uint8_t>(team);
    ++c.order_count;
}


// The eight places from the fixture bytes; stale bytes (not eight distinct
// clubs) give clubs 0..7.
void build_final8_lists()
{
    bool distinct = true;
    bool seen[16] = {};
    for (int32_t p = 0; p < FINAL_8_PLACES; ++p) {
        const int32_t t = final8_place_byte(p);
        if (t < 0 || t > 15 || seen[t]) distinct = false;
        else seen[t] = true;
    }
    for (int32_t p = 0; p < FINAL_8_PLACES; ++p) ct.final8_selected[p] = distinct ? final8_place_byte(p) : p;
    ct.final8_unselected.clear();
    for (int32_t t = 0; t < LEAGUE_TEAMS; ++t)
        if (std::find(ct.final8_selected, ct.final8_selected + FINAL_8_PLACES, t) == ct.final8_selected + FINAL_8_PLACES)
            ct.final8_unselected.push_back(t);
}

void show_team(int32_t team)
{
    ct.selection_team = team;
    const league_team* club = league_team_at(team);
    for (int32_t i = 0; i < 6; ++i) ct.targets[i] = team_attribute_mean(club, static_cast<TeamMean>(i), 0, SQUAD_POSITIONS);
    ct.targets[6] = team_overall_rating(club, 0, SQUAD_POSITIONS);
}

void row_clicked(icon_state_record*, menu_icon* icon, menu_screen*);
void unselected_clicked(icon_state_record*, menu_icon* icon, menu_screen*);

void build_lists()
{
    ct.rows.clear();
    const int32_t n = competition_team_count();
    for (int32_t row = 0; row < n && row < 16; ++row) {
        const int32_t team = team_of_row(row);
        ct.rows.push_back(std::string(team_text(team)) + "   " + ct.names_selected[team]);
    }
    free_control_tree(&ct.controls);
    create_list(&ct.controls);
    const ControlRect box = final_8() ? ControlRect{127, 331, 307, 491} : ControlRect{135, 349, 413, 509};
    add_text_list(ct.controls, {1, box, box.left, box.top, 2}, ct.rows);
    make_rows_choosable(ct.controls, 2, 0, row_clicked);
    for (int32_t i = 0; i < 7; ++i)
        create_rating_bar(ct.controls, &ct.shown[i], k_bar_minimum[i], k_bar_maximum[i], 191, k_bar_y[i]);
    draw_control_list(ct.controls);
    free_control_tree(&ct.unselected);
    ct.unselected_rows.clear();
    if (!final_8()) return;
    for (int32_t t : ct.final8_unselected) ct.unselected_rows.emplace_back(team_text(t));
    create_list(&ct.unselected);
    add_text_list(ct.unselected, {2, {325, 388, 420, 488}, 388, 325, 2}, ct.unselected_rows);
    make_rows_choosable(ct.unselected, 3, 0, unselected_clicked);
    draw_control_list(ct.unselected);
}

bool g_rebuild;

// A row: shows its club; a second click on the row toggles it. In the Final 8
// a name picked from the unselected list is exchanged into the row's place.
void row_clicked(icon_state_record*, menu_icon* icon, menu_screen*)
{
    const auto* s = icon ? static_cast<const A_STRING_CONTROL*>(icon->record) : nullptr;
    if (!s) return;
    const int32_t row = s->settings.user_value;
    if (final_8() && ct.picked_unselected >= 0) {
        exchange_selected_unselected(row, ct.picked_unselected);
        ct.picked_unselected = -1;
    } else if (final_8() && ct.picked_place >= 0 && ct.picked_place != row) {
        exchange_selected(ct.picked_place, row);
        ct.picked_place = -1;
    } else if (ct.selection_team == team_of_row(row)) {
        toggle_team_row(row);
    } else {
        ct.picked_place = final_8() ? row : -1;
    }
    show_team(team_of_row(row));
    g_rebuild = true;
}

void unselected_clicked(icon_state_record*, menu_icon* icon, menu_screen*)
{
    const auto* s = icon ? static_cast<const A_STRING_CONTROL*>(icon->record) : nullptr;
    if (!s) return;
    const int32_t index = s->settings.user_value;
    if (ct.picked_place >= 0) {
        exchange_selected_unselected(ct.picked_place, index);
        ct.picked_place = -1;
        g_rebuild = true;
    } else {
        ct.picked_unselected = index;
    }
}

void badge_clicked(icon_state_record*, menu_icon*, menu_screen*) { record_human_teams(); }
void commit_clicked(icon_state_record*, menu_icon*, menu_screen*) { commit_competition_teams(); }

menu_icon g_decoration, g_back, g_ok, g_badge;
menu_icon g_title = text_template("Team Selection", 3);
menu_icon g_labels[7] = {text_template("Speed", 1),    text_template("Kicking", 1), text_template("Handball", 1),
                         text_template("Tackling", 1), text_template("Strength", 1), text_template("Height", 1),
                         text_template("Overall", 1)};
menu_screen_entry g_entries[13] = {
    {0, &g_decoration, -60, 55, nullptr}, {0, &g_decoration, 1596, 436, nullptr}, {0, &g_title, 20, 20, nullptr},
    {6, &g_labels[0], 141, 254, nullptr}, {6, &g_labels[1], 141, 274, nullptr},  {6, &g_labels[2], 141, 294, nullptr},
    {6, &g_labels[3], 141, 314, nullptr}, {6, &g_labels[4], 141, 334, nullptr},  {6, &g_labels[5], 141, 354, nullptr},
    {6, &g_labels[6], 141, 384, nullptr}, {7, &g_back, 500, 450, nullptr},       {7, &g_ok, 560, 450, nullptr},
    {0, &g_badge, 203, 175, nullptr},
};
const char* g_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\ladder.lbm",
                             "front_en\\front_end_gfx\\menu_screens\\hw\\ladder.tga"};

menu_screen* g_open;

// "Teams", "Players" and, in the Final 8, "Unselected Teams", placed on open.
menu_icon* g_texts[3];
const menu_icon g_text_templates[3] = {text_template("Teams", 1), text_template("Players", 1),
                                       text_template("Unselected Teams", 1)};

void place_texts()
{
    const bool f8 = final_8();
    const int32_t at[3][2] = {{f8 ? 331 : 349, 106}, {f8 ? 430 : 448, 103}, {322, 295}};
    for (int32_t i = 0; i < (f8 ? 3 : 2); ++i) {
        g_texts[i] = copy_icon(g_text_templates[i], "Transient icon copy");
        add_child_icon(g_texts[i], scale_x_from_640(at[i][0]), scale_y_from_480(at[i][1]), 0);
    }
}

void remove_texts()
{
    for (menu_icon*& t : g_texts) {
        if (!t) continue;
        if (icon_slot(t) >= 0) remove_icon(t);
        free_icon(t);
        t = nullptr;
    }
}

} // namespace

menu_screen competition_teams_screen = {13, SCREEN_MENU, g_pictures, nullptr, 0, &g_entries[11],
                                        competition_teams_open, competition_teams_close, competition_teams_frame,
                                        nullptr, 0, 0, 0, 0, 0, 0, g_entries};

int8_t& final8_place_byte(int32_t place)
{
    const int32_t p = place < 0 ? 0 : (place > 7 ? 7 : place);
    return p < 4 ? competition_state.fixtures[3 - p][0] : competition_state.fixtures[p - 4][1];
}

int32_t team_of_row(int32_t row)
{
    if (final_8()) return row >= 0 && row < FINAL_8_PLACES ? ct.final8_selected[row] : 0;
    return row >= 0 && row < 16 ? row : 0;
}

void toggle_team_row(int32_t row)
{
    const int32_t team = team_of_row(row);
    std::snprintf(ct.names_selected[team], sizeof ct.names_selected[team], "%s", is_cpu(team) ? "Human" : "CPU");
}

int32_t step_human_cursor(int32_t by)
{
    const int32_t n = ct.selection_human_count;
    if (n <= 0) return ct.selection_human_cursor = 0;
    int32_t c = ct.selection_human_cursor + (by < 0 ? -1 : 1);
    if (c < 0) c = n - 1;
    if (c >= n) c = 0;
    return ct.selection_human_cursor = c;
}

void clear_competition_kinds() { std::memset(competition_state.kinds, 0, sizeof competition_state.kinds); }

void record_human_teams()
{
    clear_competition_teams();
    const int8_t type = game_settings.game_type;
    if (type >= GAME_PREMIERSHIP && type <= GAME_FINAL_8)
        for (int32_t i = 0; i < competition_team_count() && i < 16; ++i) competition_state.order[i] = static_cast<uint8_t>(i);
    for (int32_t t = 0; t < LEAGUE_TEAMS; ++t)
        if (!is_cpu(t)) append_team(t, KIND_HUMAN);
}

void random_fill_selection()
{
    const int32_t wanted = competition_team_count();
    const int32_t teams = team_table_size() > 0 ? team_table_size() : LEAGUE_TEAMS;
    // Every club already in means no draw can add one.
    for (int32_t guard = 0; static_cast<int32_t>(competition_state.order_count) < wanted && guard < 100000; ++guard) {
        int32_t r = static_cast<int32_t>(game_random() & 31);
        while (r > teams - 1) r = static_cast<int32_t>(game_random() & 31);
        if (competition_state.kinds[r] == KIND_OUT) append_team(r, KIND_COMPUTER);
    }
}

void commit_competition_teams()
{
    clear_competition_teams();
    if (final_8()) {
        for (int32_t p = 0; p < FINAL_8_PLACES; ++p) {
            const int32_t team = ct.final8_selected[p];
            append_team(team, is_cpu(team) ? KIND_COMPUTER : KIND_HUMAN);
        }
    } else {
        for (int32_t t = 0; t < LEAGUE_TEAMS; ++t) append_team(t, is_cpu(t) ? KIND_COMPUTER : KIND_HUMAN);
    }
    random_fill_selection();
    // Kept over the close: the record is the choice now.
    std::memcpy(ct.kept_kinds, competition_state.kinds, sizeof ct.kept_kinds);
    std::memcpy(ct.kept_order, competition_state.order, sizeof ct.kept_order);
    ct.kept_count = competition_state.order_count;
    ct.kept_still_in = human_still_in;
}

void exchange_selected_unselected(int32_t place, int32_t index)
{
    if (place < 0 || place >= FINAL_8_PLACES || index < 0 || index >= static_cast<int32_t>(ct.final8_unselected.size()))
        return;
    std::swap(ct.final8_selected[place], ct.final8_unselected[static_cast<size_t>(index)]);
    std::sort(ct.final8_unselected.begin(), ct.final8_unselected.end());
}

void exchange_selected(int32_t a, int32_t b)
{
    if (a < 0 || b < 0 || a >= FINAL_8_PLACES || b >= FINAL_8_PLACES) return;
    std::swap(ct.final8_selected[a], ct.final8_selected[b]);
}

void competition_teams_open(menu_screen* screen)
{
    hold_every_badge(&g_badges);
    CompetitionState& c = competition_state;
    g_open = screen;
    input_reset();
    std::memcpy(ct.kept_kinds, c.kinds, sizeof ct.kept_kinds);
    std::memcpy(ct.kept_order, c.order, sizeof ct.kept_order);
    ct.kept_count = c.order_count;
    ct.kept_still_in = human_still_in;
    ct.picked_place = ct.picked_unselected = -1;
    c.order_count = 0;
    if (final_8()) build_final8_lists();
    int32_t humans = 0;
    for (uint32_t k : c.kinds) humans += k == KIND_HUMAN;
    for (int32_t t = 0; t < LEAGUE_TEAMS; ++t) {
        const uint32_t k = c.kinds[t];
        if (humans == 0 && t == 0) {
            c.kinds[0] = KIND_HUMAN;
        } else if (k == KIND_OUT || k == KIND_COMPUTER || k == KIND_CHOOSING) {
            c.kinds[t] = KIND_CHOOSING;
        }
        const bool human = c.kinds[t] != KIND_CHOOSING;
        std::snprintf(ct.names_selected[t], sizeof ct.names_selected[t], "%s", human ? "Human" : "CPU");
        if (human) ++c.order_count;
    }
    ct.selection_human_count = humans;
    ct.selection_human_cursor = 0;
    show_team(team_of_row(0));
    std::memcpy(ct.shown, ct.targets, sizeof ct.shown);
    if (screen && screen->entries[12].copy) {
        screen->entries[12].copy->result_code = 5;
        screen->entries[12].copy->flags |= ICON_FOCUSABLE;
    }
    remove_texts();
    place_texts();
    build_lists();
}

void competition_teams_frame(menu_screen* screen)
{
    if (g_rebuild) build_lists();
    g_rebuild = false;
    show_team(ct.selection_team);
    for (int32_t i = 0; i < 7; ++i) ct.shown[i] = approach_value(ct.shown[i], ct.targets[i], k_bar_step[i]);
    if (screen && screen->entries[12].copy) {
        for (auto& s : screen->entries[12].copy->states) s.frame = static_cast<uint8_t>(ct.selection_team);
    }
    read_keyboard_controller();
    update_control_list(ct.controls);
    update_control_list(ct.unselected);
}

void competition_teams_close(menu_screen*)
{
    let_go_every_badge(&g_badges);
    remove_texts();
    free_control_tree(&ct.controls);
    free_control_tree(&ct.unselected);
    CompetitionState& c = competition_state;
    if (front_end_state.result == 1) {
        if (final_8())
            for (int32_t p = 0; p < FINAL_8_PLACES; ++p) final8_place_byte(p) = static_cast<int8_t>(ct.final8_selected[p]);
    } else {
        // Back or Esc: the record as the screen found it, no club left marked.
        std::memcpy(c.kinds, ct.kept_kinds, sizeof c.kinds);
        std::memcpy(c.order, ct.kept_order, sizeof c.order);
        c.order_count = ct.kept_count;
        human_still_in = ct.kept_still_in;
    }
    front_end_state.default_action = nullptr;
    g_open = nullptr;
}

void prepare_competition_teams_screen()
{
    prepare_control_templates();
    common_button_templates(&g_ok, &g_back, &g_decoration);
    g_ok.states[ICON_CLICKED].handler = commit_clicked;
    sprite_template(&g_badge, HANDLE_CARICATURE, 0, false, 5);
    g_badge.states[ICON_CLICKED].handler = badge_clicked;
    const int8_t type = game_settings.game_type;
    const char* pictures[3][2] = {
        {"front_en\\front_end_gfx\\menu_screens\\sw\\ladder.lbm", "front_en\\front_end_gfx\\menu_screens\\hw\\ladder.tga"},
        {"front_en\\front_end_gfx\\menu_screens\\sw\\fixtures.lbm", "front_en\\front_end_gfx\\menu_screens\\hw\\fixtures.tga"},
        {"front_en\\front_end_gfx\\menu_screens\\sw\\finals.lbm", "front_en\\front_end_gfx\\menu_screens\\hw\\finals.tga"},
    };
    const int32_t which = type == GAME_PRE_SEASON ? 1 : (type == GAME_FINAL_8 ? 2 : 0);
    g_pictures[0] = pictures[which][0];
    g_pictures[1] = pictures[which][1];
}

void reset_competition_teams()
{
    g_badges = {};
    remove_texts();
    free_control_tree(&ct.controls);
    free_control_tree(&ct.unselected);
    ct = CompetitionTeamsState{};
    ct.picked_place = ct.picked_unselected = -1;
    g_rebuild = false;
    g_open = nullptr;
}
