// The five umpires: a placement by match state every tick and a job, a small
// step machine per umpire that walks him to a spot, turns him and plays the
// signal the crowd reads as the decision.
#pragma once

#include "match/match_flow.h"
#include "match/match_records.h"

#include <cstdint>

// The umpires' slots (FIELD_UMPIRE .. GOAL_UMPIRE_2) are named with the
// match flow: boundary umpire 1 keeps the positive-y side, goal umpire 1 the
// negative-x end.

constexpr int OFFICIAL_JOB_COUNT = 38;
using OfficialJob = void (*)(PlayerSlot* umpire);
extern const OfficialJob official_job_table[OFFICIAL_JOB_COUNT];

void update_officials();
void set_official_job(PlayerSlot* umpire, uint8_t job);
void official_face_ball(PlayerSlot* umpire);
void reset_officials();
int32_t face_away_from_throw(PlayerSlot* umpire);
int32_t nearer_boundary_umpire();
// The angle a throw-in from the boundary at (x, y) goes back into the ground.
uint8_t throw_in_angle_at(int16_t x, int16_t y);
void goal_umpire_spot(const PlayerSlot* umpire, int16_t* x, int16_t* y);

// The row of an animation by its label; -1 when the table has none.
int32_t animation_row(const char* label);

// Kept whole though the match does not call them.
void run_official_jobs();
void turn_arrived_umpire(PlayerSlot* umpire, uint8_t facing);
uint8_t umpire_angle_to_ball(const PlayerSlot* umpire);
// force 0x800: a busy umpire is sent too, once per state.
int32_t official_walk_to(PlayerSlot* umpire, uint32_t force, uint16_t action, int32_t mode, int16_t x, int16_t y,
                         uint8_t facing);
// Plays a (b when given and the offending side is 2) once he faces his
// wanted facing, or at once with force; hold 99 keeps him busy, another
// non-zero hold for that many ticks.
void official_signal(PlayerSlot* umpire, int32_t a, int32_t b, int32_t force, int32_t hold);
void official_signal_countdown(PlayerSlot* umpire);
void official_whistle();
void field_signal_and_state(int32_t animation, int32_t state);
void boundary_follow_dead_band(int slot, int16_t x);
// A stoppage's placement by state (6, 37, 41, 47, 49): who takes the ball
// (returned; null when a player keeps it) and where each umpire stands.
PlayerSlot* place_officials_for_stoppage();
// The boundary umpires at a stoppage, when free: both to the mark's x on
// their own lines; the one of the mark's half standing facing the mark and
// the other on his line; or both standing where they are, facing the mark.
enum : int32_t { STOPPAGE_BOUNDARY_FOLLOW, STOPPAGE_BOUNDARY_ONE_STANDS, STOPPAGE_BOUNDARY_STAND };
void place_boundary_umpires_for_stoppage(int32_t variant);
