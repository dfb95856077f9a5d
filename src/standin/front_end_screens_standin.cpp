// STAND-IN: see front_end_screens_standin.h.
#include "standin/front_end_screens_standin.h"

#include "frontend/frame_manifest.h"
#include "frontend/menu_icons.h"
#include "frontend/resources.h"
#include "frontend/screen_runner.h"
#include "match/match_records.h"
#include "standin/standin_screens.h"

#include <cstdio>

namespace {

menu_icon text_icon(const char* text, uint8_t font, uint16_t flags, uint16_t result)
{
    menu_icon t{};
    t.text = text;
    t.width = t.height = -1;
    t.flags = flags;
    t.result_code = result;
    for (auto& s : t.states) s.image = font;
    t.states[ICON_FOCUSED].image = t.states[ICON_CLICKED].image = t.states[ICON_HELD].image = 2;
    return t;
}

char g_results_title[40] = "Results";
menu_icon g_results_title_icon = text_icon(g_results_title, 3, 0, 0);
menu_icon g_continue = text_icon("Continue", 1, ICON_FOCUSABLE, 1);

menu_screen_entry g_results_entries[2] = {{0, &g_results_title_icon, 40, 40, nullptr},
                                          {1, &g_continue, 280, 440, nullptr}};

const char* const k_results_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\results.lbm",
                                           "front_en\\front_end_gfx\\menu_screens\\hw\\results.tga"};

void results_open(menu_screen*)
{
    // The demo's match ends in its first quarter: at the whistle it is full time.
    const uint16_t f = match_globals.flow_flags;
    const char* title = match_globals.init_mode == 0 ? "Full Time Score"
                        : (f & QUARTER_1)            ? "First Quarter Score"
                        : (f & QUARTER_2)            ? "Half Time Score"
                        : (f & QUARTER_3)            ? "Third Quarter Score"
                                                     : "Full Time Score";
    std::snprintf(g_results_title, sizeof g_results_title, "%s", title);
}

} // namespace

menu_screen finals_results_screen = {2, SCREEN_MENU, k_results_pictures, nullptr, 0, &g_results_entries[1],
                                     results_open, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, 0, g_results_entries};

void set_results_background() {}

namespace {
StandinScreenParts g_team_selection, g_break_menu, g_match_stats, g_team_stats, g_browser, g_team_list;
int32_t g_stats_side;
} // namespace

menu_screen team_selection_screen = standin_screen(g_team_selection, "Team Selection");
int32_t browser_home_team = 0, browser_away_team = 9;
menu_screen break_menu_screen = standin_screen(g_break_menu, "KOB 99");
int32_t break_menu_stage;
menu_screen match_statistics_screen = standin_screen(g_match_stats, "Match Statistics");
menu_screen team_statistics_screen = standin_screen(g_team_stats, "Team Statistics");
menu_screen file_browser_screen = standin_screen(g_browser, "Files");
int32_t browser_mode;
menu_screen team_list_screen = standin_screen(g_team_list, "Teams");
int32_t editor_side, editor_team;

void load_team_for_stats(int32_t side) { g_stats_side = side; }
void set_browser_background(int32_t mode) { browser_mode = mode; }
void edit_player_page(int32_t side, int32_t team)
{
    editor_side = side;
    editor_team = team;
}
void fill_slide_records(int32_t, int32_t) {}
