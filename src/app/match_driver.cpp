#include "app/match_driver.h"

#include "app/startup.h"
#include "league/league_data.h"
#include "match/game_maths.h"
#include "match/game_tick.h"
#include "match/ground.h"
#include "match/match_records.h"
#include "match/match_setup.h"
#include "match/team_selection.h"
#include "model/anim_table.h"
#include "model/skeleton.h"
#include "players/contact_tables.h"

namespace {
uint32_t tick_number = 0;
bool data_loaded = false;
} // namespace

void headless_match_load_data()
{
    if (data_loaded)
        return;
    use_3d_hardware = 1;
    load_player_model();
    load_animations();
    init_ball_contact_tables();
    data_loaded = true;
}

void headless_match_setup(const MatchRunSettings& s)
{
    headless_match_load_data();
    clear_game_state_block();
    select_builtin_league_data();
    build_sine_table();
    build_boundary_tables();
    GameSettings& g = game_settings;
    g.home_team = s.home_team;
    g.away_team = s.away_team;
    g.game_type = s.game_type;
    g.quarter_length = s.quarter_minutes;
    g.weather = s.weather;
    g.time_of_day = s.time_of_day;
    g.kick_off_variant = s.kick_off_variant;
    g.interchange_players = s.interchange_players;
    g.difficulty = s.difficulty;
    g.marking_percent = 50;
    g.toss_winner = s.toss_winner;
    g.game_speed = s.game_speed;
    default_team_selection(&team_selections[0]);
    default_team_selection(&team_selections[1]);
    match_globals.random_state_a = match_globals.random_state_b = s.seed ? s.seed : 1;
    tick_number = 0;
    init_match(INIT_NEW_MATCH);
}

void headless_match_tick()
{
    MatchGlobals& m = match_globals;
    m.ticks_last_frame = 1;
    game_tick(tick_number++);
    if (m.closing_transition_running && m.ticks_halted)
        end_closing_transition();
}

int32_t headless_match_over() { return (match_globals.flow_flags & FLOW_ENDS_FRAME_LOOP) != 0; }

int32_t headless_match_run(int32_t tick_cap)
{
    int32_t n = 0;
    while (n < tick_cap && !headless_match_over()) {
        headless_match_tick();
        ++n;
    }
    return n;
}
