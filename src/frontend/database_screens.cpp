#include "frontend/database_screens.h"

#include "frontend/front_end_graphics.h"

#include "frontend/competition_screens.h"
#include "frontend/control_events.h"
#include "frontend/database_files.h"
#include "frontend/frame_manifest.h"
#include "frontend/front_end_graphics.h"
#include "frontend/front_end_state.h"
#include "frontend/message_box.h"
#include "frontend/option_screens.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "league/game_settings.h"
#include "league/league_data.h"
#include "match/session_defaults.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/language.h"
#include "screen/screen.h"

#include <cstdio>
#include <cstring>

DatabaseScreens database_screens;
int32_t& browser_home_team = database_screens.browser_teams[0];
int32_t& browser_away_team = database_screens.browser_teams[1];

namespace {

// The badges each screen shows, held on the device while it is open.
HeldBadges g_restore_badges, g_browser_badge_pages;

DatabaseScreens& ds = database_screens;
constexpr int32_t BARS = 7;
const int32_t k_bar_minimum[BARS] = {22, 0, 0, 230, 0, 153, 67};
const int32_t k_bar_maximum[BARS] = {40, 255, 255, 255, 255, 652, 285};
const int32_t k_bar_step[BARS] = {1, 10, 10, 1, 10, 19, 8};
const int32_t k_bar_y[BARS] = {280, 300, 320, 340, 360, 380, 410};
const int32_t k_bar_x[2] = {220, 455};

const char* team_text(int32_t team) { return team >= 0 && team < LEAGUE_TEAMS ? get_text(team) : ""; }

void nothing_altered(const char* text)
{
    report_error(-30, text, set_result_ok, nullptr, nullptr);
    front_end_state.result = 0;
}

// --- Restore Team Names ---

void row_clicked(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (const auto* row = icon ? static_cast<const A_STRING_CONTROL*>(icon->record) : nullptr)
        restore_team_names(row->settings.user_value);
}

void build_name_list()
{
    const int32_t team = ds.name_screen_team;
    ds.list_lines.assign(1, "Full Team");
    const league_team* club = league_team_at(team);
    for (int32_t k = 0; k < SQUAD_POSITIONS; ++k)
        ds.list_lines.emplace_back(club && club->players[k] ? player_name(club->players[k]) : "");
    free_control_tree(&ds.controls);
    create_list(&ds.controls);
    add_text_list(ds.controls, {1, {130, 347, 415, 527}, 347, 130, 2}, ds.list_lines);
    make_rows_choosable(ds.controls, 2, 0, row_clicked);
    draw_control_list(ds.controls);
    // A player entry stays chosen over the rebuild.
    if (ds.list_selection < 1) ds.list_selection = -1;
}

void show_name_team(menu_screen* screen)
{
    std::snprintf(ds.team_name, sizeof ds.team_name, "%s", team_text(ds.name_screen_team));
    if (ds.name_icon) {
        update_icon(ds.name_icon);
        centre_icon_text_at(ds.name_icon, 179);
    }
    if (screen && screen->entries[7].copy) {
        for (auto& s : screen->entries[7].copy->states) s.frame = static_cast<uint8_t>(ds.name_screen_team);
        update_icon(screen->entries[7].copy);
    }
    build_name_list();
}

menu_icon g_decoration, g_play, g_back, g_previous, g_next, g_badge, g_browser_badges[2];
menu_icon g_restore_title = text_template("Restore Team Names", 3);
menu_icon g_restore_all = focus_text_template("Restore All Team Names", 0, restore_database_names);
menu_screen_entry g_restore_entries[9] = {
    {0, &g_decoration, -60, 55, nullptr}, {0, &g_decoration, 1596, 436, nullptr}, {0, &g_restore_title, 20, 20, nullptr},
    {6, &g_previous, 163, 346, nullptr},  {6, &g_next, 193, 346, nullptr},       {7, &g_back, 500, 450, nullptr},
    {7, &g_play, 560, 450, nullptr},      {0, &g_badge, 179, 230, nullptr},      {2, &g_restore_all, 417, 105, nullptr},
};
const char* const k_restore_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\club.lbm",
                                           "front_en\\front_end_gfx\\menu_screens\\hw\\black.tga"};

// --- Team browser ---

void browser_reset_click(icon_state_record*, menu_icon*, menu_screen*) { reset_match_setup(); }
template <int Side, int By> void browser_arrow(icon_state_record*, menu_icon*, menu_screen*) { browser_step(Side, By); }

menu_icon g_browser_back, g_browser_play;
menu_icon g_browser_title = text_template("Team Selection", 3);
menu_icon g_browser_hint = text_template("Click on team logo to view player formations", 1);
menu_icon g_browser_names[2] = {text_template(database_screens.browser_names[0], 1),
                                text_template(database_screens.browser_names[1], 1)};
menu_icon g_bar_labels[BARS] = {text_template("Speed", 1),    text_template("Kicking", 1), text_template("Handball", 1),
                                text_template("Tackling", 1), text_template("Strength", 1), text_template("Height", 1),
                                text_template("Overall", 1)};
menu_icon g_arrows[4];
menu_screen_entry g_browser_entries[28] = {
    {0, &g_decoration, -60, 55, nullptr},      {0, &g_decoration, -596, 436, nullptr},
    {1, &g_browser_back, 50, 450, nullptr},    {1, &g_browser_play, 110, 450, nullptr},
    {0, &g_browser_title, 20, 20, nullptr},    {2, &g_bar_labels[0], 120, 278, nullptr},
    {2, &g_bar_labels[1], 120, 298, nullptr},  {2, &g_bar_labels[2], 120, 318, nullptr},
    {2, &g_bar_labels[3], 120, 338, nullptr},  {2, &g_bar_labels[4], 120, 358, nullptr},
    {2, &g_bar_labels[5], 120, 378, nullptr},  {2, &g_bar_labels[6], 120, 408, nullptr},
    {2, &g_bar_labels[0], 355, 278, nullptr},  {2, &g_bar_labels[1], 355, 298, nullptr},
    {2, &g_bar_labels[2], 355, 318, nullptr},  {2, &g_bar_labels[3], 355, 338, nullptr},
    {2, &g_bar_labels[4], 355, 358, nullptr},  {2, &g_bar_labels[5], 355, 378, nullptr},
    {2, &g_bar_labels[6], 355, 408, nullptr},  {0, &g_browser_badges[0], 187, 193, nullptr},
    {0, &g_browser_badges[1], 421, 193, nullptr}, {0, &g_browser_names[0], 153, 106, nullptr},
    {0, &g_browser_names[1], 386, 106, nullptr},  {0, &g_browser_hint, 320, 79, nullptr},
    {3, &g_arrows[0], 127, 193, nullptr},      {3, &g_arrows[1], 247, 193, nullptr},
    {4, &g_arrows[2], 361, 193, nullptr},      {4, &g_arrows[3], 481, 193, nullptr},
};
const char* const k_browser_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\game settings2.lbm",
                                           "front_en\\front_end_gfx\\menu_screens\\hw\\game settings2.tga"};

menu_screen* g_browser_open;

void browser_targets(int32_t side)
{
    const league_team* club = league_team_at(ds.browser_teams[side]);
    for (int32_t i = 0; i < 6; ++i) ds.targets[side][i] = team_attribute_mean(club, static_cast<TeamMean>(i), 0, SQUAD_POSITIONS);
    ds.targets[side][6] = team_overall_rating(club, 0, SQUAD_POSITIONS);
}

// One side's badge, name and one glide step of its bars.
void refresh_side(int32_t side)
{
    const int32_t t = ds.browser_teams[side];
    ds.browser_teams[side] = game_type_value_zero() + t;
    if (g_browser_open) {
        if (menu_icon* badge = g_browser_open->entries[19 + side].copy) {
            for (auto& s : badge->states) s.frame = static_cast<uint8_t>(t);
            update_icon(badge);
        }
    }
    std::snprintf(ds.browser_names[side], sizeof ds.browser_names[side], "%s", team_text(t));
    if (g_browser_open)
        if (menu_icon* name = g_browser_open->entries[21 + side].copy) update_icon(name);
    browser_targets(side);
    for (int32_t i = 0; i < BARS; ++i) ds.shown[side][i] = approach_value(ds.shown[side][i], ds.targets[side][i], k_bar_step[i]);
}

} // namespace

menu_screen restore_names_screen = {9, SCREEN_MENU, k_restore_pictures, nullptr, 0, &g_restore_entries[6],
                                    restore_names_open, restore_names_close, restore_names_frame, nullptr,
                                    0, 0, 0, 0, 0, 0, g_restore_entries};
menu_screen team_browser_screen = {28, SCREEN_MENU, k_browser_pictures, nullptr, 0, &g_browser_entries[3],
                                   team_browser_open, team_browser_close, team_browser_frame, nullptr,
                                   0, 0, 0, 0, 0, 0, g_browser_entries};

void restore_database_names(icon_state_record*, menu_icon*, menu_screen*)
{
    bool any = false;
    for (int32_t t = 0; t < LEAGUE_TEAMS && original_names_loaded; ++t) any = any || team_has_altered_names(t, 0, -1);
    if (!any) {
        nothing_altered("No players in the database have been altered");
        return;
    }
    report_error(-31, "Warning, Entire Database will be restored - Continue?", set_result_ok, set_result_yes,
                 set_result_no);
    const bool yes = front_end_state.result == 3;
    front_end_state.result = 0;
    if (!yes) return;
    for (int32_t t = 0; t < LEAGUE_TEAMS; ++t)
        if (team_has_altered_names(t, 0, -1)) restore_team_player_names(t);
    // A restored name stays restored at the next start.
    save_name_edits();
    ds.rebuild = true;
}

void restore_team_names(int32_t e)
{
    const int32_t team = ds.name_screen_team;
    if (!original_names_loaded) {
        nothing_altered("No player names have been altered");
        return;
    }
    if (e >= 1) {
        if (!player_name_altered(team, e - 1)) {
            nothing_altered("This player name has not been altered");
            return;
        }
        restore_player_name(team, e - 1);
        save_name_edits();
        ds.list_selection = e;
        ds.rebuild = true;
    } else if (!team_has_altered_names(team, 0, -1)) {
        nothing_altered("No players in this team have been altered");
        return;
    } else {
        report_error(29, nullptr, set_result_ok, set_result_yes, set_result_no);
        if (front_end_state.result == 3) {
            restore_team_player_names(team);
            save_name_edits();
            ds.rebuild = true;
        }
    }
    front_end_state.result = 0;
}

void previous_name_team(icon_state_record*, menu_icon*, menu_screen* s)
{
    ds.name_screen_team = static_cast<int16_t>(ds.name_screen_team == 0 ? LEAGUE_TEAMS - 1 : ds.name_screen_team - 1);
    show_name_team(s);
}

void next_name_team(icon_state_record*, menu_icon*, menu_screen* s)
{
    ds.name_screen_team = static_cast<int16_t>(ds.name_screen_team == LEAGUE_TEAMS - 1 ? 0 : ds.name_screen_team + 1);
    show_name_team(s);
}

void restore_names_open(menu_screen* screen)
{
    hold_every_badge(&g_restore_badges);
    input_reset();
    ds.list_selection = -1;
    ds.name_screen_team = 0;
    if (!original_names_loaded) load_original_names();
    ds.name_icon = copy_icon(text_template(ds.team_name, 1), "Transient icon copy");
    add_child_icon(ds.name_icon, scale_x_from_640(179), scale_y_from_480(313), 0);
    show_name_team(screen);
}

void restore_names_frame(menu_screen*)
{
    // The list is rebuilt here, not under the click of one of its rows.
    if (ds.rebuild) build_name_list();
    ds.rebuild = false;
    read_keyboard_controller();
    update_control_list(ds.controls);
}

void restore_names_close(menu_screen*)
{
    let_go_every_badge(&g_restore_badges);
    front_end_state.default_action = nullptr;
    if (ds.name_icon) {
        remove_icon(ds.name_icon);
        free_icon(ds.name_icon);
        ds.name_icon = nullptr;
    }
    free_control_tree(&ds.controls);
}

void browser_step(int32_t side, int32_t by)
{
    const int32_t count = team_table_size() > 0 ? team_table_size() : LEAGUE_TEAMS;
    int32_t t = ds.browser_teams[side] - game_type_value_zero() + by;
    if (t < 0) t = count - 1;
    if (t >= count) t = 0;
    ds.browser_teams[side] = t;
    refresh_side(side);
}

void browser_redraw_side(int32_t side)
{
    if (side == 0 || side == 1) refresh_side(side);
}

void browser_pick_team(int32_t side, int32_t index)
{
    const int32_t count = team_table_size() > 0 ? team_table_size() : LEAGUE_TEAMS;
    if ((side != 0 && side != 1) || index < 0 || index >= count) return;
    ds.browser_teams[side] = index;
    refresh_side(side);
}

void team_browser_open(menu_screen* screen)
{
    hold_every_badge(&g_browser_badge_pages);
    input_reset();
    g_browser_open = screen;
    for (int32_t side = 0; side < 2; ++side) {
        browser_targets(side);
        std::memcpy(ds.shown[side], ds.targets[side], sizeof ds.shown[side]);
    }
    if (screen->entries[19].copy) screen->entries[19].copy->result_code = 5;
    if (screen->entries[20].copy) screen->entries[20].copy->result_code = 6;
    free_control_tree(&ds.controls);
    create_list(&ds.controls);
    for (int32_t side = 0; side < 2; ++side)
        for (int32_t i = 0; i < BARS; ++i)
            create_rating_bar(ds.controls, &ds.shown[side][i], k_bar_minimum[i], k_bar_maximum[i], k_bar_x[side], k_bar_y[i]);
    draw_control_list(ds.controls);
    refresh_side(0);
    refresh_side(1);
}

void team_browser_frame(menu_screen*)
{
    update_control_list(ds.controls);
    refresh_side(0);
    refresh_side(1);
    read_keyboard_controller();
}

void team_browser_close(menu_screen*)
{
    let_go_every_badge(&g_browser_badge_pages);
    free_control_tree(&ds.controls);
    front_end_state.default_action = nullptr;
    g_browser_open = nullptr;
}

void prepare_database_screens()
{
    prepare_control_templates();
    common_button_templates(&g_play, &g_back, &g_decoration);
    g_browser_play = g_play;
    g_browser_back = g_back;
    g_browser_back.states[ICON_CLICKED].handler = browser_reset_click;
    sprite_template(&g_previous, HANDLE_COMMON, COMMON_ARROW_LEFT, false, 0);
    sprite_template(&g_next, HANDLE_COMMON, COMMON_ARROW_RIGHT, false, 0);
    g_previous.states[ICON_CLICKED].handler = previous_name_team;
    g_next.states[ICON_CLICKED].handler = next_name_team;
    sprite_template(&g_badge, HANDLE_CARICATURE, 0, false, 3);
    for (menu_icon& b : g_browser_badges) sprite_template(&b, HANDLE_CARICATURE, 0, false, 0);
    const IconFn arrows[4] = {browser_arrow<0, -1>, browser_arrow<0, 1>, browser_arrow<1, -1>, browser_arrow<1, 1>};
    for (int32_t i = 0; i < 4; ++i) {
        sprite_template(&g_arrows[i], HANDLE_COMMON, i % 2 ? COMMON_ARROW_RIGHT : COMMON_ARROW_LEFT, false, 0);
        g_arrows[i].states[ICON_CLICKED].handler = arrows[i];
    }
}

void reset_database_screens()
{
    g_restore_badges = g_browser_badge_pages = {};
    restore_names_close(nullptr);
    team_browser_close(nullptr);
    ds.name_screen_team = 0;
    ds.list_selection = -1;
    ds.list_lines.clear();
    ds.browser_teams[0] = 0;
    ds.browser_teams[1] = 9;
}
