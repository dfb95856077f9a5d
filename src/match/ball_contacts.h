// Everything that starts a ball flight, lets a man take the ball out of the
// air or off the ground, and marks a goal, a behind or a post hit on the
// ball for the rules to read.
#pragma once

#include "match/match_records.h"

#include <cstdint>

// Catch ratings of the sixteen clubs, percent.
extern const uint8_t club_catch_ratings[16];

// Clean and spilled catches: [0] for side 2, [1] for the other side.
struct CatchStats {
    uint16_t clean[2];
    uint16_t spilled[2];
};
extern CatchStats catch_stats;

void check_ball_contacts();
int32_t ball_contact_allowed();
void resolve_ball_contacts();
void attempt_catch(PlayerSlot* man);
void spill_ball(PlayerSlot* man, uint16_t kind);

// elevation in 256ths of a turn; dx, dy and distance in whole units.
void launch_ball_to_point(PlayerSlot* man, int32_t elevation, int32_t dx, int32_t dy, uint8_t heading,
                          int32_t distance, int16_t height_tag, uint16_t kind);
// The ball leaves the man's hands from his ball point at his present frame
// and flies as launch_ball_to_point would send it; nobody holds it after.
void drop_ball_from_hands(PlayerSlot* man, int32_t elevation, int32_t dx, int32_t dy, int32_t heading,
                          int32_t distance, int32_t height_tag, int32_t kind);
void umpire_launch_ball(int16_t target_x, int16_t target_y);
void deflect_ball_random(PlayerSlot* at_man, const PlayerSlot* toucher);
void start_bounce_ball(PlayerSlot* man);

void check_score();
void ball_wide_test();
int32_t ball_is_loose_in_air();

// The ball contact point (joint 15) of an animation frame; nothing for an
// animation that carries no ball contact.
void get_limb_position(int32_t out[3], PlayerSlot* man, int32_t animation, int32_t frame, int32_t a, int32_t b);
// A point about the vertical by the man's facing, mirrored on flag 1, second
// coordinate negated, scaled by 2.56.
struct OffsetPoint {
    int32_t x, y, z;
    uint32_t flags;
};
void rotate_offset_by_facing(int32_t out[3], const OffsetPoint& point, uint8_t facing);

// Kept whole though the match does not call them.
void throw_in_ball();
void rebound_ball_off_man(PlayerSlot* man);
void punch_ball_back(PlayerSlot* man);
void reverse_ball();
int32_t time_to_height(int32_t height);
int32_t nearest_opponent_distance(const PlayerSlot* man);
int32_t kick_on_target(const PlayerSlot* man, uint8_t heading);
int32_t any_official_fetching_ball();
void officials_fetch_ball();
