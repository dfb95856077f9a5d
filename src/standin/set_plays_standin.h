// STAND-IN: the loose-ball pickup assignment of the set-play director, not
// built yet. The set plays themselves are real; their headers come along for
// the files that still include this one.
#pragma once

#include "match/formation.h"
#include "match/kick_out_positions.h"
#include "match/kick_outs.h"
#include "match/man_behaviours.h"
#include "match/match_records.h"
#include "match/set_kicks.h"
#include "match/stoppages.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/occupancy.h"
#include "players/team_ai.h"

// The loose-ball pickup assignment run while the ball has not bounced.
void assign_loose_ball_pickup();
