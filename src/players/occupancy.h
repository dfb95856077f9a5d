// Crowding questions over the per-tick occupancy grids, the nearest man in
// front of a man, the per-tick angle and action bookkeeping of every man, and
// the per-team action quotas that limit how many men may take one kind of
// action in a tick.
#pragma once

#include "match/match_records.h"

#include <cstdint>

// Scan patterns: (dx, dy, shift) triples ending with (127, 127, any).
extern const int8_t holder_surround_pattern[];
extern const int8_t holder_front_pattern[];
extern const int8_t neighbour_pattern[];
extern const int8_t ahead_pattern[2][66];            // [side 2 ? 1 : 0]
extern const int8_t (&pressure_ahead_pattern)[2][140]; // [side 2 ? 1 : 0]
// Run patterns by side (side 2 ? 1 : 0): straight, half-left, half-right.
extern const int8_t run_patterns[2][3][48];

// Bits of a scan's sum besides the weighted count.
constexpr uint32_t SCAN_OFF_X = 0xFFFF8000u;
constexpr uint32_t SCAN_OFF_Y = 0x4000u;
constexpr uint32_t SCAN_CROWDED = 0x0800u;

// Weighted count of opponents in the pattern's cells round the man's cell;
// mode 1 starts from eight times his own cell's byte.
int32_t scan_grid_pattern(const PlayerSlot* man, const int8_t* pattern, int32_t mode);
// Own-side count round the ball holder, the pattern mirrored for side 1.
int32_t scan_pattern_around_holder(const int8_t* pattern);

// grid: 0 or 1 as grid_of_side gives. Off the grid: count 0, low nibble 1.
int32_t grid_cell_count(int grid, int cx, int cy);
int32_t grid_cell_low(int grid, int cx, int cy);
// Opponents along the line of cells from the man to the other man.
int32_t grid_line_scan(const PlayerSlot* man, const PlayerSlot* other);
int32_t grid_line_count(int grid, const PlayerSlot* man, int cx, int cy);

// The man in front of him nearer than the ball, or null.
PlayerSlot* find_nearest_man(const PlayerSlot* man);
PlayerSlot* find_team_man_by_number(TeamRecord* team, int32_t number);
PlayerSlot* find_man_for_role(const PlayerSlot* man);
int32_t clear_of_opponents(const PlayerSlot* man);
// Moves (x, y) across the man's path ahead to where opponents are farthest.
void find_clear_spot_ahead(PlayerSlot* man, int32_t* x, int32_t* y);

// The 16384-step sine and cosine: (table[a & 0x3FFF] x r) >> 16.
void build_fine_sine_tables();
int32_t fine_sin(int32_t a, int32_t r);
int32_t fine_cos(int32_t a, int32_t r);
int32_t byte_abs_diff(int32_t a, int32_t b);
// |dx| + |dy| - min / 2.
int32_t octagonal_distance(int32_t dx, int32_t dy);
// round(atan2(dx, dy) x 256 / 2 pi) & 255.
uint8_t angle_of(int32_t dx, int32_t dy);

void remember_previous_actions();
void update_angles_to_ball();
void clear_action_counters();

enum QuotaEntry {
    QUOTA_CONTACT,
    QUOTA_SMOTHER,
    QUOTA_GO_FOR_BALL,
    QUOTA_CHASERS,
    QUOTA_SPARE,
    QUOTA_LEAD_BUMP,
    QUOTA_LEADS,
    QUOTA_SHORT_OPTIONS,
};
void reset_action_quotas();
// 1 when the team's quota for the action of the man's proposal `index` is
// spent; with commit, a pass uses one up.
int32_t action_proposal_blocked(PlayerSlot* man, int32_t index, int32_t commit);
