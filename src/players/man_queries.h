// Small questions about a man (mostly about his current primary animation),
// the searches for the nearest man by various rules, body contact between
// two men, the free spot on the centre square's edge and the touch of the
// ball at a stoppage.
#pragma once

#include "match/match_records.h"

#include <cstdint>

bool is_standing_anim(const PlayerSlot* man);
bool is_walking_backwards(const PlayerSlot* man);
bool is_kick_along_ground(const PlayerSlot* man);
bool is_picking_up(const PlayerSlot* man);
bool is_running_slap(const PlayerSlot* man);
bool is_sidestepping(const PlayerSlot* man);
bool is_fight_move(const PlayerSlot* man);
bool is_kicking(const PlayerSlot* man);
bool is_jumpspoil_contact(const PlayerSlot* man);
bool is_action_57_71(const PlayerSlot* man);
// A blow of his fight partner is still to land.
bool is_hit_by_blow(const PlayerSlot* man);
// The frame of a fight move at which its blow strikes.
int32_t strike_frame(int32_t animation);
// Facing plus the turn his current animation has made, 8-bit.
uint8_t anim_facing_offset(const PlayerSlot* man);
bool check_ball_touch(PlayerSlot* man);

// Searches over the men in play; ties go to the man earlier in the list.
PlayerSlot* nearest_player(PlayerSlot* man);
PlayerSlot* nearest_opponent(PlayerSlot* man);
PlayerSlot* nearest_player_ahead(PlayerSlot* man, int32_t* side);
PlayerSlot* nearest_player_behind(PlayerSlot* man);

void run_to_free_boundary_spot(PlayerSlot* man);
bool decide_bump(PlayerSlot* man);
// Puts the man d from `from` along the 8-bit angle a.
void push_man(PlayerSlot* man, const PlayerSlot* from, int32_t a, int32_t d);
