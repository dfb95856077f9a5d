#include "match/held_ball.h"

#include "match/match_records.h"
#include "model/anim_table.h"
#include "model/skeleton.h"
#include "players/anim_driver.h"

uint8_t drawn_facing(const PlayerSlot* man)
{
    const uint32_t a = man->primary_animation;
    if (a == 369)
        return static_cast<uint8_t>(man->facing - 112);
    if ((a >= 285 && a <= 287) || a == 371)
        return static_cast<uint8_t>(man->facing + 64);
    return man->facing;
}

namespace {

// The channel drawn on top decides: the secondary while it runs.
uint32_t shown_animation(const PlayerSlot* man)
{
    return man->secondary_data ? man->secondary_animation : man->primary_animation;
}

} // namespace

int32_t ball_in_his_hand(const PlayerSlot* man)
{
    const PafAnimation* data = anim_data(shown_animation(man));
    return data && data->separate_ball ? 1 : 0;
}

int32_t place_held_ball(const PlayerSlot* man)
{
    const uint32_t a = shown_animation(man);
    const uint32_t t = anim_position_time(man->secondary_data ? man->secondary_position : man->primary_position);
    BallState& b = ball_state;
    b.prev_x = static_cast<int16_t>(b.x >> 16);
    b.prev_y = static_cast<int16_t>(b.y >> 16);
    if (!ball_in_his_hand(man)) {
        b.x = man->x * 65536;
        b.y = man->y * 65536;
        b.z = (man->z + 256) * 65536;
        return 0;
    }
    // Model units are 24.8 ground units.
    const int32_t x = man->x * 256 + man->x_frac / 256;
    const int32_t h = man->z * 256 + man->z_frac / 256;
    const int32_t y = man->y * 256 + man->y_frac / 256;
    const int32_t heading = man->primary_animation == 191 ? (static_cast<uint8_t>(man->facing + 128) * 64) & 0x3FC0
                                                          : drawn_facing(man) * 64;
    const int joint = a == 191 || animation_table[a].mirror ? JOINT_LEFT_HAND : JOINT_RIGHT_HAND;
    int32_t p[3];
    float angles[3];
    eval_animation(nullptr, p, angles, static_cast<int>(a), t, joint, heading);
    b.x = (x + p[0]) * 256;
    b.z = (h + p[1]) * 256;
    b.y = (y + p[2]) * 256;
    return 1;
}

void place_ball_with_holder()
{
    const MatchGlobals& g = match_globals;
    if (PlayerSlot* holder = g.ball_holder ? g.ball_holder : g.umpire_with_ball)
        place_held_ball(holder);
}
