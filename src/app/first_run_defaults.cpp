#include "app/first_run_defaults.h"

#include "frontend/resources.h"
#include "league/league_data.h"
#include "match/interchange.h"
#include "match/match_records.h"
#include "match/match_setup.h"
#include "platform/controllers.h"
#include "platform/language.h"
#include "screen/fonts.h"
#include "display/replay.h"

#include <cstring>

void reset_front_end_defaults()
{
    new_replay_node(FIRST_RUN_REPLAY_BYTES);
    std::memcpy(match_globals.commentary_order, commentary_order_table, sizeof match_globals.commentary_order);
    GameSettings& s = game_settings;
    s.game_type = GAME_EXHIBITION;
    for (TeamOptions& t : s.team_options) {
        t.auto_offload = t.auto_bounce = t.intercept_circle = 1;
        t.name_display = 0;
    }
    s.home_team = 0;
    s.away_team = 9;
    team_records[0].club = team_records[0].club_sheet = builtin_league.teams[0];
    team_records[1].club = team_records[1].club_sheet = builtin_league.teams[9];
    reset_interchange_queues();
    load_language_text();
    select_language(0);
    select_builtin_league_data();
    start_front_end_sound_channels();
    free_all_fonts();
    s.front_end_count = FRONT_END_COUNT;
    // The controller screen's word: no record plays yet, and the one after
    // the last in use ends the list.
    for (controller_record& c : controllers) c.side = 0;
    if (controller_total >= 0 && controller_total < CONTROLLER_RECORDS) controllers[controller_total].side = -1;
    s.pitch_quality = 1;
    s.quarter_length = 20;
}
