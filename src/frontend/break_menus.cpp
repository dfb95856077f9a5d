#include "frontend/break_menus.h"

#include "frontend/front_end_graphics.h"

#include "frontend/competition.h"
#include "frontend/competition_screens.h"
#include "frontend/control_events.h"
#include "frontend/front_end_graphics.h"
#include "frontend/front_end_state.h"
#include "frontend/hints.h"
#include "frontend/message_box.h"
#include "frontend/option_screens.h"
#include "frontend/player_editor.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "frontend/select_controller.h"
#include "frontend/settings_screens.h"
#include "league/game_settings.h"
#include "league/league_data.h"
#include "match/controller_sides.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/language.h"
#include "screen/fonts.h"
#include "screen/screen.h"

#include <cstdio>
#include <cstring>

BreakMenuState break_menu_state;

namespace {

// The badges each screen shows, held on the device while it is open.
HeldBadges g_menu_badges, g_stats_badges, g_team_badges;

BreakMenuState& bm = break_menu_state;
constexpr int32_t TICK_RATE = 62;
constexpr int32_t SHARE_STEP = 2;
constexpr int32_t EXHIBITION_FLOOR = 30;
constexpr uint8_t ITEM_GROUP = 2;
enum ManCounter { C0, C1, C2, C3, C4, C5, C6, C7, C8, C9, C10, C11, C12 };

bool exhibition_like()
{
    return game_settings.game_type == GAME_EXHIBITION || game_settings.game_type == GAME_TRAINING;
}

const char* team_name(int32_t team) { return team >= 0 && team < 16 ? get_text(team) : ""; }

bool side_has_controller(int32_t side)
{
    for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r)
        if (controller_side(r) == side) return true;
    return false;
}

void exit_click(icon_state_record*, menu_icon*, menu_screen* s) { break_menu_exit(s); }
void result_one(menu_screen*) { front_end_state.result = 1; }
void result_two(menu_screen*) { front_end_state.result = 2; }

menu_icon g_decoration, g_play, g_back;
menu_icon g_menu_title = text_template("KOB 99", 3);
char g_title_text[40] = "KOB 99";
menu_icon g_home_badge, g_away_badge;
menu_icon g_home_label = text_template("Home Team", 1);
menu_icon g_away_label = text_template("Away Team", 1);
menu_screen_entry g_menu_entries[8] = {
    {0, &g_decoration, -200, 55, nullptr}, {0, &g_decoration, 1596, 436, nullptr},
    {0, &g_menu_title, 20, 20, nullptr},   {7, &g_play, 110, 450, nullptr},
    {0, &g_home_badge, 550, 106, nullptr}, {0, &g_away_badge, 550, 350, nullptr},
    {0, &g_home_label, 550, 20, nullptr},  {0, &g_away_label, 550, 270, nullptr},
};

menu_icon g_stats_title = text_template("Match Statistics", 3);
menu_icon g_stats_home_badge, g_stats_away_badge;
menu_screen_entry g_stats_entries[6] = {
    {0, &g_decoration, -160, 55, nullptr},     {0, &g_decoration, 1596, 436, nullptr},
    {0, &g_stats_title, 20, 20, nullptr},      {7, &g_play, 110, 450, nullptr},
    {0, &g_stats_home_badge, 105, 100, nullptr}, {0, &g_stats_away_badge, 535, 100, nullptr},
};

menu_icon g_team_title = text_template("Team Statistics", 3);
char g_team_name_text[96] = "Team Name:  ";
menu_icon g_team_name = text_template(g_team_name_text, 1);
menu_icon g_team_badge;
menu_icon g_team_ok;
menu_screen_entry g_team_entries[6] = {
    {0, &g_decoration, -160, 55, nullptr}, {0, &g_decoration, 1596, 436, nullptr},
    {0, &g_team_title, 20, 20, nullptr},   {0, &g_team_ok, 110, 450, nullptr},
    {0, &g_team_name, 70, 80, nullptr},    {0, &g_team_badge, 550, 50, nullptr},
};

const char* const k_menu_pictures_default[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\In game menu.lbm",
                                                "front_en\\front_end_gfx\\menu_screens\\hw\\In game menu.tga"};
const char* const k_stats_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\statistics.lbm",
                                         "front_en\\front_end_gfx\\menu_screens\\hw\\statistics.tga"};

// A transient icon an open adds; its close removes every one.
menu_icon* add_extra(const menu_icon& t, int32_t x, int32_t y, uint8_t group)
{
    for (menu_icon*& slot : bm.extra) {
        if (slot) continue;
        slot = copy_icon(t, "Transient icon copy");
        add_child_icon(slot, scale_x_from_640(x), scale_y_from_480(y), group);
        return slot;
    }
    return nullptr;
}

void remove_extras()
{
    for (menu_icon*& slot : bm.extra) {
        if (!slot) continue;
        if (icon_slot(slot) >= 0) remove_icon(slot);
        free_icon(slot);
        slot = nullptr;
    }
}

// A text of the screen's own at x, y; centred on x when asked.
void add_text(int32_t index, int32_t x, int32_t y, bool centred)
{
    menu_icon* icon = add_extra(text_template(bm.texts[index], 1), x, y, 0);
    if (icon && centred) centre_icon_text_at(icon, x);
}

void set_badge(menu_screen_entry& e, int32_t team)
{
    if (!e.copy) return;
    for (auto& s : e.copy->states) s.frame = static_cast<uint8_t>(team < 0 || team > 15 ? 0 : team);
    update_icon(e.copy);
}

menu_icon dimmed_template()
{
    menu_icon t = body_text_template;
    for (auto& s : t.states) s.image = 0;
    t.states[ICON_FOCUSED].image = t.states[ICON_CLICKED].image = t.states[ICON_HELD].image = 2;
    return t;
}

void add_list_line(control* list, const std::string& text, const menu_icon* style, uint16_t flags, uint8_t group,
                   uint8_t result, IconFn click)
{
    control* st = nullptr;
    create_control(CONTROL_STRING, &st);
    A_STRING_CONTROL* s = string_record(st);
    set_string_control_styles(s, style, nullptr);
    s->settings.text = const_cast<char*>(text.c_str());
    s->settings.max_length = 6;
    s->display.text_flags = flags;
    s->display.text_group = group;
    s->display.text_result = result;
    s->callbacks.text_clicked = click;
    control* row = nullptr;
    create_control_from_template(list_record(list)->settings.items, list, CONTROL_STRING, st, &row);
    free_control_data(&st);
}

control* new_list(control_list* owner, const ControlRect& window, int32_t spacing, uint32_t flags = 0)
{
    control* t = nullptr;
    create_control(CONTROL_LIST, &t);
    A_LIST_CONTROL* l = list_record(t);
    l->settings.flags = flags;
    l->settings.clip_window = 1;
    l->settings.window = window;
    l->settings.x = window.left, l->settings.y = window.top;
    l->settings.item_spacing = spacing;
    l->settings.vslider_x = window.right + 16, l->settings.vslider_y = (window.top + window.bottom) / 2;
    fill_scroll_slider_template(&l->display.vslider_template, true, ICON_FOCUSABLE, 6);
    fill_scroll_slider_template(&l->display.hslider_template, false, ICON_FOCUSABLE, 5);
    control* made = nullptr;
    create_control_from_template(owner, nullptr, CONTROL_LIST, t, &made);
    free_control_data(&t);
    return made;
}

void build_item_list(int32_t stage)
{
    const bool home = side_has_controller(SIDE_HOME), away = side_has_controller(SIDE_AWAY);
    int32_t top = 100;
    int32_t bottom = 420;
    if (stage == STAGE_IN_MATCH) {
        top = home && away ? 80 : 106;
        if (!home && !away) bottom = 126 + 300;
    }
    create_list(&bm.controls);
    control* list = new_list(bm.controls, {top, 60, bottom, 480}, 4);
    const std::vector<std::string> all = break_menu_items(stage);
    const menu_icon dimmed = dimmed_template();
    for (int32_t i = 0; i < static_cast<int32_t>(all.size()); ++i) {
        // The interchange items are there only for a side a person plays.
        if (stage == STAGE_IN_MATCH && ((i == 1 && !home) || (i == 2 && !away))) continue;
        const bool exit = stage == STAGE_IN_MATCH && i == 9;
        const bool dim = (stage == STAGE_IN_MATCH && i == 3) || (stage == STAGE_AFTER_MATCH && i == 1);
        const int32_t result = exit ? 0 : 5 + i;
        bm.items.push_back(all[i]);
        bm.results.push_back(result);
        add_list_line(list, all[i], dim ? &dimmed : &body_text_template, ICON_FOCUSABLE, ITEM_GROUP,
                      static_cast<uint8_t>(result), exit ? exit_click : nullptr);
    }
    draw_control_list(bm.controls);
    // The first item starts selected.
    for (int32_t s = 0; s < active_icon_table.count; ++s) {
        const IconSlot& slot = active_icon_table.slots[s];
        if (slot.icon && (slot.group & 0x7F) == ITEM_GROUP && (slot.icon->flags & ICON_FOCUSABLE)) {
            set_focus_icon(slot.icon);
            break;
        }
    }
}

// Each side's panel: its controllers' names (or "CPU") and the team's overall
// rating bar between the badge and the names. A side the computer plays in a
// competition shows the bar in its second look.
void side_panels()
{
    const int32_t ys[2] = {152, 402};
    const int32_t bar_ys[2] = {140, 388};
    const int32_t sides[2] = {SIDE_HOME, SIDE_AWAY};
    const int32_t teams[2] = {game_settings.home_team, game_settings.away_team};
    for (int32_t i = 0; i < 2; ++i) {
        const std::string text = controller_list_text(sides[i]);
        std::snprintf(bm.texts[4 + i], sizeof bm.texts[4 + i], "%s", text.c_str());
        add_text(4 + i, text == "CPU" ? 525 : 495, ys[i], false);
        const league_team* club = league_team_at(teams[i]);
        bm.side_ratings[i] = club ? team_overall_rating(club, 0, SQUAD_POSITIONS) : 0;
        const bool plain = exhibition_like() || side_has_controller(sides[i]);
        create_rating_bar(bm.controls, &bm.side_ratings[i], rating_bar_minimum[OVERALL_RATING_BAR],
                          rating_bar_maximum[OVERALL_RATING_BAR], 550 - RATING_BAR_WIDTH / 2, bar_ys[i],
                          plain ? POWERBAR_PLAIN : POWERBAR_PLAIN_SECOND);
    }
    draw_control_list(bm.controls);
}

// Training's scale, from "Very Easy"; an exhibition on the moon opens on it
// too and is stored back by the same rule it opened with.
bool training_scale() { return game_settings.game_type == GAME_TRAINING || moon_flag; }

void difficulty_slider()
{
    const bool training = training_scale();
    const int32_t o = training ? 0 : EXHIBITION_FLOOR;
    int32_t d = static_cast<int32_t>(game_settings.difficulty);
    if (d > 100) d = 100;
    int32_t v = (d - o) * 100 / (100 - o);
    bm.difficulty_slider = v < 0 ? 0 : (v > 100 ? 100 : v);
    create_option_slider(bm.controls, &bm.difficulty_slider, 0, 100, 298, 409, nullptr);
    draw_control_list(bm.controls);
    std::snprintf(bm.texts[1], sizeof bm.texts[1], "%s", training ? "Very Easy" : "Medium");
    std::snprintf(bm.texts[2], sizeof bm.texts[2], "Easy");
    std::snprintf(bm.texts[3], sizeof bm.texts[3], "Hard");
    add_text(1, 298, 375, true);
    add_text(2, 243, 424, true);
    add_text(3, 360, 424, true);
    bm.difficulty_shown = true;
}

void store_difficulty()
{
    const bool training = training_scale();
    int32_t s = bm.difficulty_slider < 0 ? 0 : (bm.difficulty_slider > 100 ? 100 : bm.difficulty_slider);
    int32_t d = (training ? 100 : 100 - EXHIBITION_FLOOR) * s / 100 + (training ? 0 : EXHIBITION_FLOOR);
    game_settings.difficulty = static_cast<uint32_t>(d < 1 ? 1 : d);
}

uint32_t counter(const PlayerSlot& man, int32_t c) { return man.match_stats[c]; }

} // namespace

menu_screen break_menu_screen = {8, SCREEN_MENU, in_game_menu_pictures, nullptr, 0, &g_menu_entries[3],
                                 break_menu_open, break_menu_close, break_menu_frame, nullptr, 0, 0, 0, 0, 0, 0,
                                 g_menu_entries};
menu_screen match_statistics_screen = {6, SCREEN_MENU, k_stats_pictures, nullptr, 0, &g_stats_entries[3],
                                       match_statistics_open, match_statistics_close, match_statistics_frame,
                                       nullptr, 0, 0, 0, 0, 0, 0, g_stats_entries};
menu_screen team_statistics_screen = {6, SCREEN_MENU, k_stats_pictures, nullptr, 0, &g_team_entries[3],
                                      team_statistics_open, team_statistics_close, team_statistics_frame, nullptr,
                                      0, 0, 0, 0, 0, 0, g_team_entries};

std::vector<std::string> break_menu_items(int32_t stage)
{
    auto item = [](const char* text) { return std::string("    ") + text + "    "; };
    auto team_item = [](int32_t team, const char* what) {
        return std::string("    ") + team_name(team) + " " + what + "    ";
    };
    const int32_t home = game_settings.home_team, away = game_settings.away_team;
    switch (stage) {
    case STAGE_IN_MATCH:
        return {item("Resume Game"),         team_item(home, "Interchange"), team_item(away, "Interchange"),
                item("Save Replay"),         item("Match Settings"),         item("Match Statistics"),
                team_item(home, "Statistics"), team_item(away, "Statistics"), item("Configuration"),
                item("Exit Game")};
    case STAGE_AFTER_MATCH:
        return {exhibition_like() ? "    Continue     " : "    Next Game    ", item("Save Replay"),
                item("Match Statistics"), team_item(home, "Statistics"), team_item(away, "Statistics")};
    default:
        return {item("Continue"),           item("Save Game"),  item("Save Replay"), item("Match Statistics"),
                team_item(home, "Statistics"), team_item(away, "Statistics"), item("Configuration")};
    }
}

void break_menu_open(menu_screen* screen)
{
    hold_every_badge(&g_menu_badges);
    const int32_t stage = match_stage;
    bm.items.clear();
    bm.results.clear();
    bm.difficulty_shown = false;
    input_reset();
    front_end_state.default_action = break_menu_exit;
    if (stage == STAGE_IN_MATCH) bm.in_match_menu = 1;
    if (stage == STAGE_IN_MATCH || stage == STAGE_AFTER_MATCH) {
        std::snprintf(g_title_text, sizeof g_title_text, "%s",
                      stage == STAGE_IN_MATCH ? "Runner's Report" : "Locker Room Debrief");
        if (menu_icon* title = screen->entries[2].copy) {
            title->text = g_title_text;
            update_icon(title);
        }
    }
    set_badge(screen->entries[4], game_settings.home_team);
    set_badge(screen->entries[5], game_settings.away_team);
    if (stage == STAGE_IN_MATCH || stage == STAGE_COMPETITION) {
        menu_icon t = g_back;
        t.result_code = 0;
        t.states[ICON_CLICKED].handler = exit_click;
        add_extra(t, 50, 450, 7);
    }
    build_item_list(stage);
    side_panels();
    if (stage == STAGE_IN_MATCH && exhibition_like()) difficulty_slider();
}

void break_menu_frame(menu_screen*)
{
    read_keyboard_controller();
    update_control_list(bm.controls);
}

void break_menu_close(menu_screen*)
{
    let_go_every_badge(&g_menu_badges);
    if (bm.difficulty_shown) store_difficulty();
    bm.difficulty_shown = false;
    remove_extras();
    front_end_state.default_action = nullptr;
    free_control_tree(&bm.controls);
}

void break_menu_exit(menu_screen*)
{
    if (match_stage != STAGE_IN_MATCH) {
        front_end_state.result = 1;
        return;
    }
    report_error(exit_confirm_code(), nullptr, nullptr, set_result_yes, set_result_no);
    if (front_end_state.result == 3) {
        match_globals.flow_flags |= MATCH_PLAYED;
        bm.in_match_menu = 0;
    } else if (front_end_state.result == 4) {
        front_end_state.result = 0;
    }
}

// --- Match statistics ---

const TeamRecord& statistics_team(int32_t side)
{
    const int32_t s = side == 1 ? 1 : 0;
    return match_stage == STAGE_COMPETITION ? team_record_backups[s] : team_records[s];
}

int32_t elapsed_match_seconds()
{
    const MatchGlobals& m = match_globals;
    int32_t q = 0;
    for (int32_t bit = 3; bit >= 0; --bit)
        if (m.flow_flags & (1u << bit)) {
            q = bit;
            break;
        }
    const uint32_t length = static_cast<uint32_t>(m.quarter_ticks);
    const int32_t e = (m.flow_flags & TIME_ON) ? m.period_clock : 0;
    if (e < 1) {
        const uint32_t left = length - static_cast<uint32_t>(m.period_clock);
        return static_cast<int32_t>(length / TICK_RATE * static_cast<uint32_t>(q) + left / TICK_RATE);
    }
    return static_cast<int32_t>(length / TICK_RATE * static_cast<uint32_t>(q + 1)) + e / TICK_RATE;
}

int32_t home_share(uint32_t home, uint32_t away)
{
    const uint64_t sum = static_cast<uint64_t>(home) + away;
    if (sum == 0) return 50;
    return static_cast<int32_t>(100 * static_cast<uint64_t>(home) / sum);
}

void match_statistics_open(menu_screen* screen)
{
    hold_every_badge(&g_stats_badges);
    set_badge(screen->entries[4], game_settings.home_team);
    set_badge(screen->entries[5], game_settings.away_team);
    front_end_state.default_action = result_two;
    input_reset();
    const int32_t seconds = elapsed_match_seconds();
    std::snprintf(bm.texts[0], sizeof bm.texts[0], "Elapsed Time: %02ld:%02ld", static_cast<long>(seconds / 60),
                  static_cast<long>(seconds % 60));
    std::snprintf(bm.texts[1], sizeof bm.texts[1], "Quarter Length: %d mins", game_settings.quarter_length);
    std::snprintf(bm.texts[2], sizeof bm.texts[2], "%s", team_name(game_settings.home_team));
    std::snprintf(bm.texts[3], sizeof bm.texts[3], "%s", team_name(game_settings.away_team));
    std::snprintf(bm.texts[4], sizeof bm.texts[4], "Possession");
    std::snprintf(bm.texts[5], sizeof bm.texts[5], "Territory");
    add_text(0, 523, 22, false);
    add_text(1, 523, 42, false);
    add_text(2, 183, 134, true);
    add_text(3, 579, 134, true);
    add_text(4, 320, 334, true);
    add_text(5, 320, 376, true);
    const TeamRecord& h = statistics_team(0);
    const TeamRecord& a = statistics_team(1);
    struct Row {
        const char* label;
        int32_t home, away, home_of, away_of; // of: the attempts, -1 none
    } rows[7] = {
        {"Goals", h.goals, a.goals, -1, -1},
        {"Behinds", h.behinds, a.behinds, -1, -1},
        {"Points", h.points, a.points, -1, -1},
        {"Free Kicks", h.free_kicks, a.free_kicks, -1, -1},
        {"Tackles Made", h.tackles, a.tackles, -1, -1},
        {"Completed Kicks", h.kicks_completed, a.kicks_completed, h.kicks_attempted, a.kicks_attempted},
        {"Completed Handballs", h.handballs_completed, a.handballs_completed, h.handballs_attempted,
         a.handballs_attempted},
    };
    bm.number_rows.clear();
    for (const Row& r : rows) {
        char hv[24], av[24];
        if (r.home_of < 0) std::snprintf(hv, sizeof hv, "%d", r.home), std::snprintf(av, sizeof av, "%d", r.away);
        else
            std::snprintf(hv, sizeof hv, "%d / %d", r.home, r.home_of),
                std::snprintf(av, sizeof av, "%d / %d", r.away, r.away_of);
        bm.number_rows.push_back(std::string(hv) + "   " + r.label + "   " + av);
    }
    create_list(&bm.controls);
    control* list = new_list(bm.controls, {164, 65, 334, 575}, 4);
    for (const std::string& line : bm.number_rows) add_list_line(list, line, &body_text_template, 0, 0, 0, nullptr);
    bm.shares[0] = bm.shares[1] = 50;
    // The share shows as a green bar filled red to the away side's share.
    create_rating_bar(bm.controls, &bm.shares[1], 0, 100, 320 - RATING_BAR_WIDTH / 2, 400, POWERBAR_GREEN_RED);
    draw_control_list(bm.controls);
}

void match_statistics_frame(menu_screen*)
{
    const TeamRecord& h = statistics_team(0);
    const TeamRecord& a = statistics_team(1);
    const int32_t targets[2] = {home_share(h.possession_ticks, a.possession_ticks),
                                home_share(h.territory_ticks, a.territory_ticks)};
    for (int32_t i = 0; i < 2; ++i) {
        const int32_t d = targets[i] - bm.shares[i];
        bm.shares[i] += d > SHARE_STEP ? SHARE_STEP : (d < -SHARE_STEP ? -SHARE_STEP : d);
    }
    read_keyboard_controller();
    update_control_list(bm.controls);
}

void match_statistics_close(menu_screen*)
{
    let_go_every_badge(&g_stats_badges);
    front_end_state.default_action = nullptr;
    remove_extras();
    free_control_tree(&bm.controls);
}

// --- Team statistics ---

std::string shortened_name(const char* name)
{
    if (!name || !*name) return "";
    const char* blank = std::strchr(name, ' ');
    if (!blank) return name;
    char out[64];
    std::snprintf(out, sizeof out, "%c  %s", name[0], blank + 1);
    return out;
}

std::string team_statistics_row(const uint32_t c[13])
{
    char col[11][24];
    std::snprintf(col[0], sizeof col[0], "    %u", c[C0]);
    std::snprintf(col[1], sizeof col[1], "%u", c[C1]);
    std::snprintf(col[2], sizeof col[2], "%u", c[C3] + c[C4]);
    std::snprintf(col[3], sizeof col[3], "%u", c[C3]);
    std::snprintf(col[4], sizeof col[4], "%u", c[C4]);
    std::snprintf(col[5], sizeof col[5], "%u/%u", c[C5], c[C6]);
    std::snprintf(col[6], sizeof col[6], "%u", c[C7]);
    std::snprintf(col[7], sizeof col[7], "%u", c[C9]);
    std::snprintf(col[8], sizeof col[8], "%u", c[C10]);
    std::snprintf(col[9], sizeof col[9], "%u", c[C11]);
    std::snprintf(col[10], sizeof col[10], "%u", c[C12]);
    std::string row = col[0];
    for (int32_t i = 1; i < 11; ++i) row += std::string("   ") + col[i];
    return row;
}

void load_team_for_stats(int32_t side)
{
    bm.stats_side = side == 1 ? 1 : 0;
    // In training the page also takes the side's team values from the editor.
    if (game_settings.game_type == GAME_TRAINING)
        std::memcpy(bm.stats_values, player_editor.slide_records[bm.stats_side], sizeof bm.stats_values);
}

void team_statistics_open(menu_screen* screen)
{
    hold_every_badge(&g_team_badges);
    set_clip_window(2, 135, 196, 183, 586);
    input_reset();
    front_end_state.default_action = result_one;
    const TeamRecord& team = statistics_team(bm.stats_side);
    const int32_t number = bm.stats_side == 1 ? game_settings.away_team : game_settings.home_team;
    std::snprintf(g_team_name_text, sizeof g_team_name_text, "Team Name:  %s", team_name(number));
    if (menu_icon* icon = screen->entries[4].copy) update_icon(icon);
    set_badge(screen->entries[5], number);
    const league_team* club = league_team_at(number);
    uint32_t total[13] = {};
    std::vector<std::string> rows, names;
    for (int32_t i = 0; i < TEAM_SLOTS; ++i)
        for (int32_t c = 0; c < 13; ++c) total[c] += counter(team.slots[i], c);
    rows.push_back(team_statistics_row(total));
    names.push_back("Team Total");
    for (int32_t i = 0; i < TEAM_SLOTS; ++i) {
        uint32_t c[13];
        for (int32_t k = 0; k < 13; ++k) c[k] = counter(team.slots[i], k);
        rows.push_back(team_statistics_row(c));
        const int32_t squad = team.slots[i].line_up_index;
        const league_player* p = club && squad < LEAGUE_PLAYERS ? club->players[squad] : nullptr;
        names.push_back(shortened_name(p ? player_name(p) : ""));
    }
    bm.number_rows = rows;
    bm.name_rows = names;
    create_list(&bm.controls);
    control* numbers = new_list(bm.controls, {180, 206, 385, 586}, 2);
    for (const std::string& r : bm.number_rows) add_list_line(numbers, r, &body_text_template, 0, 0, 0, nullptr);
    draw_control_list(bm.controls);
    create_list(&bm.names);
    control* name_list = new_list(bm.names, {180, 70, 385, 196}, 2, LIST_NO_VSLIDER);
    for (const std::string& n : bm.name_rows) add_list_line(name_list, n, &body_text_template, 0, 0, 0, nullptr);
    draw_control_list(bm.names);
}

void team_statistics_frame(menu_screen*)
{
    read_keyboard_controller();
    update_control_list(bm.controls);
    // The names follow the numbers' scroll.
    if (!bm.controls || !bm.names || !bm.controls->first || !bm.names->first) return;
    A_LIST_CONTROL* numbers = list_record(static_cast<control*>(bm.controls->first->data));
    A_LIST_CONTROL* names = list_record(static_cast<control*>(bm.names->first->data));
    if (numbers && names && names->settings.applied_vscroll != numbers->settings.applied_vscroll) {
        names->settings.vscroll = names->settings.applied_vscroll = numbers->settings.applied_vscroll;
        relayout_list_control(names);
    }
}

void team_statistics_close(menu_screen*)
{
    let_go_every_badge(&g_team_badges);
    front_end_state.default_action = nullptr;
    free_control_tree(&bm.controls);
    free_control_tree(&bm.names);
}

void prepare_break_menus()
{
    prepare_control_templates();
    common_button_templates(&g_play, &g_back, &g_decoration);
    g_team_ok = g_play;
    for (menu_icon* b : {&g_home_badge, &g_away_badge, &g_stats_home_badge, &g_stats_away_badge, &g_team_badge}) {
        sprite_template(b, HANDLE_CARICATURE, 0, false, 0);
        b->flags = 0;
    }
    g_home_badge.result_code = g_away_badge.result_code = 3;
    g_home_badge.flags = g_away_badge.flags = ICON_FOCUSABLE;
    if (!in_game_menu_pictures[0]) {
        in_game_menu_pictures[0] = k_menu_pictures_default[0];
        in_game_menu_pictures[1] = k_menu_pictures_default[1];
    }
}

void reset_break_menus()
{
    g_menu_badges = {};
    g_stats_badges = {};
    g_team_badges = {};
    remove_extras();
    free_control_tree(&bm.controls);
    free_control_tree(&bm.names);
    bm.items.clear();
    bm.results.clear();
    bm.number_rows.clear();
    bm.name_rows.clear();
    bm.in_match_menu = 0;
    bm.difficulty_shown = false;
    bm.stats_side = 0;
    std::memset(bm.stats_values, 0, sizeof bm.stats_values);
    std::snprintf(g_title_text, sizeof g_title_text, "KOB 99");
}
