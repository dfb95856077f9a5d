// STAND-IN: see front_end_screens_standin.h.
#include "standin/front_end_screens_standin.h"

#include "frontend/screen_runner.h"
#include "standin/standin_screens.h"

namespace {
StandinScreenParts g_team_selection, g_browser, g_team_list;
} // namespace

menu_screen team_selection_screen = standin_screen(g_team_selection, "Team Selection");
int32_t browser_home_team = 0, browser_away_team = 9;
menu_screen file_browser_screen = standin_screen(g_browser, "Files");
int32_t browser_mode;
menu_screen team_list_screen = standin_screen(g_team_list, "Teams");
int32_t editor_side, editor_team;

void set_browser_background(int32_t mode) { browser_mode = mode; }
void edit_player_page(int32_t side, int32_t team)
{
    editor_side = side;
    editor_team = team;
}
void fill_slide_records(int32_t, int32_t) {}
