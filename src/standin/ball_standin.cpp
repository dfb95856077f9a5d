// STAND-IN for the ball, the rules' state change and the proposals.
#include "standin/ball_standin.h"

#include "standin/anim_driver_standin.h"

#include <cmath>

PredictedBallPath predicted_ball_path;

void give_ball_to(PlayerSlot* man)
{
    if (man && (man->number & FIRST_OFFICIAL_NUMBER)) {
        match_globals.umpire_with_ball = man;
        match_globals.ball_holder = nullptr;
        match_globals.ball_contact_man = nullptr;
        return;
    }
    match_globals.umpire_with_ball = nullptr;
    if (match_globals.ball_holder) match_globals.last_ball_holder = match_globals.ball_holder;
    match_globals.ball_holder = man;
    ball_state.flags = man ? 2 : 1;
    if (man) {
        ball_state.x = man->x * 65536;
        ball_state.y = man->y * 65536;
    }
}

void deflect_ball_random(PlayerSlot*, PlayerSlot*) { give_ball_to(nullptr); }

void drop_ball_from_hands(PlayerSlot*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)
{
    give_ball_to(nullptr);
}

void place_ball(int32_t x, int32_t y)
{
    give_ball_to(nullptr);
    ball_state.x = x * 65536;
    ball_state.y = y * 65536;
    ball_state.z = ball_state.vx = ball_state.vy = ball_state.vz = 0;
    ball_state.flags = 1;
    ball_state.flight_flags = 2;
}

void get_limb_position(int32_t out[3], PlayerSlot* man, int32_t animation, int32_t frame, int32_t a, int32_t)
{
    get_joint_position(out, man, animation, 0, frame, a, 15);
}

void rotate_offset_by_facing(int32_t out[3], const int32_t point[3], uint8_t facing, uint8_t flags)
{
    const double t = ((facing - 128) & 255) * 2.0 * 3.14159265358979323846 / 256.0;
    double x = point[0], y = point[1], z = point[2];
    if (flags & 1) x = -x;
    const double rx = x * std::cos(t) + z * std::sin(t);
    const double rz = -x * std::sin(t) + z * std::cos(t);
    out[0] = static_cast<int32_t>(std::round(rx * 2.56));
    out[1] = static_cast<int32_t>(std::round(-y * 2.56));
    out[2] = static_cast<int32_t>(std::round(rz * 2.56));
}

int32_t find_sorted_index(int32_t height)
{
    for (int k = 0; k < PATH_STEPS; ++k)
        if (predicted_ball_path.pos[k][1] <= height * 65536) return k;
    return -1;
}

int32_t find_sorted_index_b(int32_t height) { return find_sorted_index(height); }

void post_man_message(PlayerSlot* man, uint16_t action, PlayerSlot* target, uint16_t argument, int16_t x, int16_t y,
                      uint16_t priority)
{
    if (man->proposal_count >= MAX_PROPOSALS || man->proposal_count < 0) return;
    man->proposals[man->proposal_count++] = ActionProposal{action, target, argument, x, y, priority};
}

void set_match_state(uint8_t state)
{
    if (state == match_globals.match_state) return;
    match_globals.previous_match_state = match_globals.match_state;
    match_globals.match_state = state;
}
