// Movement to targets: a man's target point becomes, tick by tick, a wanted
// heading, a speed cap, an accelerated speed and a step. Also the effort of
// every man, sprint bursts and stamina, the bench men's recovery and the
// stretcher bearers' formation.
//
// Speeds are in units a tick; the man's speed, velocity and step are 16.16
// (whole part in speed, velocity_x/y and path_dx/dy, the fraction beside).
#pragma once

#include "match/match_records.h"
#include "players/anim_driver.h"

#include <cstdint>

// Action numbers the movement reads.
enum : uint16_t {
    ACT_RECEIVE_HANDBALL = 23,
    ACT_LEAD = 55,
    ACT_SHORT_OPTION = 56,
    ACT_SHEPHERD = 76,
    ACT_TIMED_RUN = 80,
    ACT_MEET_BALL = 87,
};

// man_flags bits of the movement and the actions.
constexpr uint16_t MAN_KICKING = 0x0002;
constexpr uint16_t MAN_HANDBALLING = 0x0004;
constexpr uint16_t MAN_CONTEST_A = 0x0100;
constexpr uint16_t MAN_HANDING_OFF = 0x4000;
constexpr uint16_t MAN_SPEED_LOCKED = 0x8000;
// man_flags2 bits.
constexpr uint16_t MAN2_IN_AIR = 0x0001;
constexpr uint16_t MAN2_CHARGE_DOWN = 0x0002;
constexpr uint16_t MAN2_AT_SPOT = 0x0004;
constexpr uint16_t MAN2_TACKLED = 0x0008;
constexpr uint16_t MAN2_SET_PLAY_WAIT = 0x0010;
constexpr uint16_t MAN2_HELD_TACKLED = 0x0040;
constexpr uint16_t MAN2_NEAR_TARGET = 0x0200;
constexpr uint16_t MAN2_INJURED = 0x0800;

// 16.16 speed, velocity and step.
int32_t man_speed_fixed(const PlayerSlot* man);
void set_man_speed_fixed(PlayerSlot* man, int32_t speed);
void set_man_velocity_fixed(PlayerSlot* man, int32_t vx, int32_t vy);
void set_man_step_fixed(PlayerSlot* man, int32_t sx, int32_t sy);
int32_t man_step_x_fixed(const PlayerSlot* man);
int32_t man_step_y_fixed(const PlayerSlot* man);
// Speed, speed cap, velocity, step and move vector all 0.
void clear_man_motion(PlayerSlot* man);

// Profile word n of the man's league record (0 without one); his
// acceleration value and stamina byte.
int32_t profile_word(const PlayerSlot* man, int n);
int64_t profile_acceleration(const PlayerSlot* man);
uint8_t profile_stamina(const PlayerSlot* man);

// Kicked or handpassed and in the air, with nobody holding it.
bool ball_in_free_flight();

// move_dx, move_dy from the target point, each clamped to 16 bits.
void set_target_offset(PlayerSlot* man);
void set_heading_to_target(PlayerSlot* man);
void run_to_point(PlayerSlot* man, int32_t r);
void walk_to_point(PlayerSlot* man, int32_t r);
void run_to_waypoint(PlayerSlot* man, int32_t r);
// The stop of a run: target = position, arrived, offsets and velocity
// cleared, facing the ball (a holder faces the end he attacks).
void arrive_at_target(PlayerSlot* man);
void update_motion_limits(PlayerSlot* man);
// A runner with a man standing or running into his way, up to 2560 ahead,
// takes the ground's detour round the nearest such man (closer than 512,
// only round a man standing).
void avoid_man_in_way(PlayerSlot* man);
int32_t cap_by_ball_distance(PlayerSlot* man, int32_t percent);
int32_t cap_by_turn_angle(int32_t value, int32_t facing_a, int32_t facing_b);
void update_player_effort();
void update_man_speed(PlayerSlot* man);
void update_stamina(PlayerSlot* man);
void tick_bench_counters();
void follow_lead_medic();
void place_second_medic(int32_t angle);
