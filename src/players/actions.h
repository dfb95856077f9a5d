// The action executor: every tick each man in play and each official carries
// out his current action (run to a point, kick, handball, tackle, fight,
// contest a mark...), and the small action helpers of the same family.
#pragma once

#include "match/match_records.h"
#include "match/proposals.h"
#include "players/anim_driver.h"

#include <cstdint>

enum : uint16_t {
    ACT_SQUARE_UP = 1,
    ACT_SUPPORT_CARRIER = 2,
    ACT_WATCH_BALL = 9,
    ACT_INJURED = 26,
    ACT_FETCH_BALL_TO_CENTRE = 37,
    ACT_KICK_FROM_MARK = 42,
    ACT_SET_SHOT = 43,
    ACT_ESCORT = 52,
    ACT_LEAVE_INJURED = 72,
    ACT_CARRIED_OFF = 75,
    ACT_RACK_OFF = 86,
};

enum : uint32_t {
    ANIM_STATIC_HANDBALL_OVER_LEFT_SHOULDER = 14,
    ANIM_STANDING_FINGER_CATCH = 41,
    ANIM_STANDING_CHEST_CATCH = 40,
    ANIM_RUNNING_CHEST_CATCH = 43,
    ANIM_RUNNING_FINGER_CATCH = 44,
    ANIM_JUMP_OVER = 69,
    ANIM_CHARGE_DOWN = 86,
    ANIM_INJURED_ROLL = 100,
    ANIM_STANDING_PICKUP = 239,
    ANIM_PART1_SPECCY_2B = 260,
    ANIM_RECEIVE_SPECCY_1A = 259,
    ANIM_INJURY2 = 286,
    ANIM_GOALJUDGE_WALK_BACKWARDS = 316,
};

void update_all_men();
void player_act(PlayerSlot* man);
void umpire_act(PlayerSlot* official);
// The injury animation of an injury kind 0..7.
int32_t injury_animation(uint8_t kind);

void act_support_carrier(PlayerSlot* man);
void act_go_for_ball(PlayerSlot* man);
void act_receive_handball(PlayerSlot* man);
void act_follow_kicker(PlayerSlot* man);
void act_meet_ball_flight(PlayerSlot* man);
void act_set_shot(PlayerSlot* man);
void act_mark_contest(PlayerSlot* man);
void act_walk_to_spot(PlayerSlot* man, int32_t r);
void act_escort_target(PlayerSlot* man);
void act_shepherd_escort(PlayerSlot* man);
void act_return_to_line(PlayerSlot* man);
void act_quickstep_to_face(PlayerSlot* man);
void act_fetch_ball_to_centre(PlayerSlot* man);
void act_carried_off(PlayerSlot* man);
void act_leave_ground_injured(PlayerSlot* man);
bool try_cpu_bump(PlayerSlot* man, PlayerSlot* carrier);
void pick_cpu_shepherd(PlayerSlot* man);

// Helpers of the family that the match itself does not call.
void act_kick_from_mark(PlayerSlot* man);
void act_run_unless_ball_held(PlayerSlot* man);
void act_drop_ball_for_kick(PlayerSlot* man);
void act_run_42(PlayerSlot* man);
void act_bounce_attempt(PlayerSlot* man);
void act_injured_wait(PlayerSlot* man);
void act_go_for_ball_if_loose(PlayerSlot* man);
void aim_at_ball_spot(PlayerSlot* man);
void act_run_ahead(PlayerSlot* man);
void act_handoff(PlayerSlot* man);
void act_charge_down(PlayerSlot* man);
void stop_injured_rolls();
