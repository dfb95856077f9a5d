// A club's spoken-names file, read for both sides of a match.
#include "fuzz/harness.h"

#include "display/commentary.h"
#include "league/league_data.h"
#include "match/match_records.h"

FUZZ_HARNESS(commentary_names)
{
    fuzz_data_file("KOB99_SFX\\TEAM04.DAT", data, size);
    reset_commentary();
    match_globals.men_per_team = 18;
    for (int t = 0; t < 2; ++t) {
        team_records[t].club = builtin_league.teams[3];
        for (int i = 0; i < 18; ++i) team_records[t].slots[i].person = team_records[t].club->players[i];
    }
    commentary.men_per_team = 18;
    reload_name_samples();
    reset_commentary();
    clear_game_state_block();
}
