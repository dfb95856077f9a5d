// STAND-IN: see the header.
#include "standin/pre_match_standin.h"

#include "match/match_flow.h"
#include "match/match_records.h"

void advance_computer_pre_match()
{
    // The toss is done once the field umpire has drawn it.
    if (match_globals.match_state == COIN_TOSS_WAIT && official_slots[0].official_job == 10 &&
        official_slots[0].job_step >= 1)
        match_globals.flow_flags |= FLOW_KEEP_A;
    for (TeamRecord& team : team_records)
        if (!team.human_count && team.captain && match_globals.match_state == CAPTAINS_MEET)
            team.captain->job_step = 5;
}
