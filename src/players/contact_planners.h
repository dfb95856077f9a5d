// Ball-contact planners: where on the ball's predicted path a man can pick
// up, kick along the ground, slap or catch it, written into one row of a
// candidate table per man.
#pragma once

#include "match/match_records.h"

#include <cstdint>

struct ContactCandidate {
    uint32_t valid;
    int32_t ticks;     // ticks to contact; -1 the fallback slap of a contest man
    int32_t ball_key;  // the path's height at that tick
    int32_t contact_z;
    uint32_t animation;
    int32_t vx, vy;    // 16.16 per tick
    uint32_t reserved;
    uint32_t approach_angle;
    uint32_t facing_error;
    double speed_ratio;
    double time_ratio;
};

enum {
    CANDIDATE_ROWS = 2 * GROUND_MEN, // team x 18 + slot; bench men own none
    OFFICIAL_CANDIDATE_ROWS = 8,     // by number & 7
    PICKUP_ENTRIES = 3,
    GROUND_KICK_ENTRIES = 1,
    SLAP_ENTRIES = 17,
    CATCH_ENTRIES = 6,
};

extern ContactCandidate pickup_candidates[CANDIDATE_ROWS][PICKUP_ENTRIES];
extern ContactCandidate ground_kick_candidates[CANDIDATE_ROWS][GROUND_KICK_ENTRIES];
extern ContactCandidate slap_candidates[CANDIDATE_ROWS][SLAP_ENTRIES];
extern ContactCandidate catch_candidates[CANDIDATE_ROWS][CATCH_ENTRIES];
extern ContactCandidate official_candidates[OFFICIAL_CANDIDATE_ROWS][PICKUP_ENTRIES];

// The man's row of a table, or null for a man who owns none.
ContactCandidate* pickup_row(const PlayerSlot* man);
ContactCandidate* ground_kick_row(const PlayerSlot* man);
ContactCandidate* slap_row(const PlayerSlot* man);
ContactCandidate* catch_row(const PlayerSlot* man);
// Index team x 18 + slot of a man on the ground, else -1.
int32_t candidate_index(const PlayerSlot* man);
// Empties every table.
void clear_contact_plans();
// Empties the man's row of one table (entries of a row, or nothing).
void clear_candidate_row(ContactCandidate* row, int entries);

// The four planners of a man, in order: pickup, ground kick, slap, catch.
void man_ai_update(PlayerSlot* man);
void ball_contact_planner_a(PlayerSlot* man); // slaps
void ball_contact_planner_b(PlayerSlot* man); // catches
void ball_contact_planner_c(PlayerSlot* man); // pickups
void ball_contact_planner_d(PlayerSlot* man); // an immediate pickup
void ball_contact_planner_e(PlayerSlot* man); // kick along the ground
