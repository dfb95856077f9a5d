#include "frontend/team_selection.h"

#include "frontend/team_panels.h"
#include "match/match_records.h"

TeamChoice team_choice;

namespace {

TeamChoice& tc = team_choice;

bool valid_team(int32_t team) { return team >= 0 && team < 16; }

} // namespace

void set_panel_team_from_slider(int32_t team)
{
    if (!valid_team(team)) return;
    tc.panel_team = team;
    team_panel.team = team;
    if (game_settings.game_type == GAME_PREMIERSHIP || game_settings.game_type == GAME_PRE_SEASON)
        tc.large_mascot_team = team;
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
}

void toggle_from_slider(int32_t place)
{
    if (valid_team(place)) tc.computer[place] ^= 1;
}

void reset_team_choice()
{
    tc = TeamChoice{};
    tc.side = 1;
    for (int i = 1; i < 16; ++i) tc.computer[i] = 1;
}
