// Kick-out plans: after a behind the kicking team takes one of eight plans,
// each a fixed list of spots for its men and a shorter one for the opposing
// team, handed out greedily, spot by spot, to the nearest free man.
#pragma once

#include "match/formation.h"
#include "match/match_records.h"

#include <cstdint>

constexpr int KICK_OUT_PLANS = 8;
constexpr int KICKING_SPOTS = 17;

// The role lists of the plans (slot numbers in claim order), one set for the
// match; plans 0, 3 and 7 share theirs.
extern uint8_t kick_out_roles[KICK_OUT_PLANS][KICKING_SPOTS];

void choose_kickout_positions(TeamRecord* team, int32_t plan);
void choose_oppose_kickout_positions(TeamRecord* team, int32_t plan);
// Slot 0..17 of the nearest free man to the spot, or -1.
int32_t claim_nearest_player(TeamRecord* team, const FormationSpot& spot);
int32_t claim_nearest_opponent_for_spot(TeamRecord* team, const FormationSpot& spot);

// A plan's spot list, written for side 2 (as the kicking team defends the
// goal at negative x): the kicking team's 17, or the opposing team's n + 1
// (the last used only with no man on the mark).
const FormationSpot* kickout_spot_list(int32_t kicking, int32_t plan, int32_t* count);
// The opposing spot count n of a plan.
int32_t oppose_spot_count(int32_t plan);
// The spot a man holds in the plan of his team's choice (routine 0 the
// kicking list, 1 the opposing), or null.
const void* kickout_spot_of(PlayerSlot* man, int32_t routine);
// Role r of a plan (its receivers, then its extra men), as a man of the
// team; null when the plan has no such role or nobody took it.
PlayerSlot* kick_out_role_man(TeamRecord* team, int32_t plan, int32_t role);
// A plan's receiver for an option, and the option's point.
PlayerSlot* kickout_receiver(TeamRecord* team, int32_t plan, int32_t choice);
FormationSpot kickout_option_point(int32_t plan, int32_t choice);
// The plan whose forming (odd) or kicked (even) state this is; -1 outside.
int32_t kick_out_plan_of_state(int32_t state);
