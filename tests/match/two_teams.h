// Two small teams in the game-state block for the match tests: both records
// linked, every slot numbered and owned, men_per_team men each, the first
// team on side 1 and the second on side 2, nobody on the active list.
#pragma once

#include "league/league_data.h"
#include "match/formation.h"
#include "match/match_records.h"

inline void set_up_two_teams(int men_per_team)
{
    clear_game_state_block();
    match_globals.men_per_team = static_cast<int8_t>(men_per_team);
    for (int t = 0; t < 2; ++t) {
        TeamRecord& team = team_records[t];
        team.team_number = static_cast<uint8_t>(t);
        team.other_team = &team_records[1 - t];
        team.side = static_cast<uint8_t>(t + 1);
        team.formation_spots = &default_formation_spots[t];
        team.key_man_e = 255;
        for (int i = 0; i < TEAM_SLOTS; ++i) {
            PlayerSlot& man = team.slots[i];
            man.number = static_cast<uint8_t>(i);
            man.team_index = static_cast<uint8_t>(t);
            man.line_up_index = static_cast<uint8_t>(i);
            man.team = &team;
            man.side = team.side;
        }
    }
}

// Puts the first `per_team` men of both teams on the active list.
inline void list_active_men(int per_team)
{
    int n = 0;
    for (TeamRecord& team : team_records)
        for (int i = 0; i < per_team; ++i)
            match_globals.active_men[n++] = &team.slots[i];
    match_globals.active_men_count = static_cast<int8_t>(n);
}

// Gives the team's men the league club's first records, in order.
inline void take_club(TeamRecord& team, int club)
{
    team.club = team.club_sheet = league_team_at(club);
    for (int i = 0; i < TEAM_SLOTS; ++i)
        team.slots[i].person = team.club->players[i];
}
