#include "match/session_defaults.h"

#include "league/game_settings.h"
#include "league/league_data.h"
#include "league/team_lineups.h"
#include "match/match_records.h"

void set_session_defaults()
{
    GameSettings& s = game_settings;
    s.home_team = 0;
    s.away_team = 9;
    s.game_type = GAME_EXHIBITION;
    for (int i = 0; i < 6; ++i)
        match_globals.option_bytes[i] = 0;
    match_globals.option_bytes[6] = 3;
    s.options_word = 4;
    s.difficulty = 50;
    s.interchange_players = 4;
    s.marking_percent = 50;
    s.toss_winner = -1;
    s.team_options[0].auto_offload = 1;
    s.team_options[1].auto_offload = 1;
    team_records[0].club = team_records[0].club_sheet = league_team_at(s.home_team);
    team_records[1].club = team_records[1].club_sheet = league_team_at(s.away_team);
    reset_lineups_and_formations(); // a new session starts on the default line-ups
}

int32_t game_type_value_zero() { return 0; }

int32_t team_table_size()
{
    return game_settings.game_type >= GAME_EXHIBITION && game_settings.game_type <= GAME_TRAINING ? 16 : 0;
}

int32_t competition_team_count()
{
    switch (game_settings.game_type) {
    case GAME_EXHIBITION:
    case GAME_TRAINING:
        return 1;
    case GAME_PREMIERSHIP:
    case GAME_PRE_SEASON:
        return 16;
    case GAME_FINAL_8:
        return 8;
    default:
        return 0;
    }
}
