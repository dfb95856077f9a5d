// Contact geometry: where a man's hands or foot are at an animation's contact
// frame (for three man sizes), how far an animation carries him, where the
// predicted ball path passes a height, whether a man can still meet the ball
// with a jump action, the spoil, and the leads of passes to a receiver.
#pragma once

#include "match/match_records.h"

#include <cstdint>

enum { MAN_SIZES = 3 };

// One row: the animation, the frame its contact is taken at (event frame
// + 1, as the table's contact bytes count), mirror, joint and direction
// bits (slaps: 1 left, 2 right, 4 overhead, 8 forward), then the contact
// point for each size, whole units relative to his root, facing +z.
struct ContactRow {
    uint32_t animation;
    int32_t contact_frame;
    int32_t mirrored;
    int32_t joint;
    int32_t direction;
    int32_t point[MAN_SIZES][3];
};

enum { PICKUP_ROWS = 3, CATCH_ROWS = 6, SLAP_ROWS = 17 };
extern ContactRow pickup_rows[PICKUP_ROWS];
extern ContactRow catch_rows[CATCH_ROWS];
extern ContactRow ground_kick_row_data;
extern ContactRow slap_rows[SLAP_ROWS];

// Fills the tables from the loaded animations and player model.
void init_ball_contact_tables();

// Root travel between two frames turned by the 8-bit heading: 24.8 units.
void get_animation_displacement(int32_t out[3], uint32_t animation, int32_t frame0, int32_t frame1, uint8_t heading);
// Index of the path entry where the falling ball passes height h (whole
// units); -1 when the path never does.
int32_t find_sorted_index(int32_t h);
int32_t find_sorted_index_b(int32_t h);

// Can the man meet the ball with jump action 57..71; with commit, his plan.
int32_t test_ball_action(PlayerSlot* man, int32_t action, PlayerSlot* target, int32_t commit);
// The ball sent toward the spoiler's plan target.
void spoil_ball(PlayerSlot* man);

// Offsets from the ball to where the receiver takes it.
void receiver_lead(PlayerSlot* thrower, PlayerSlot* receiver, int16_t* elevation, int32_t* dx, int32_t* dy);
void kick_lead(PlayerSlot* kicker, PlayerSlot* receiver, int32_t* dx, int32_t* dy, int32_t unused, int32_t kx,
               int32_t ky);
int32_t lead_time(uint8_t angle, int32_t distance);
int32_t pass_flight_time(PlayerSlot* thrower, PlayerSlot* receiver, uint32_t animation, int32_t b, int32_t delay,
                         int32_t from_ball);
int32_t evaluate_lead_targets(PlayerSlot* man);
int32_t kick_out_slack(PlayerSlot* man, int32_t x, int32_t y);

// Ticks and 16.16 take-off velocity for a jump's second part to meet the
// planned contact point; false when the plan cannot be met.
bool predict_contact(PlayerSlot* man, uint32_t animation, int32_t frame, int32_t joint, int32_t* ticks,
                     int32_t velocity[3]);
