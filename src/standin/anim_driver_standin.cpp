// STAND-IN: the animation driver and contact planners. The channels only
// record what was asked of them.
#include "standin/anim_driver_standin.h"

void play_man_animation(PlayerSlot* man, uint32_t animation, int32_t frame, double)
{
    if (man->primary_animation == animation)
        return;
    man->primary_animation = animation;
    man->primary_position = frame * 65536;
}

void set_man_animation(PlayerSlot* man, uint32_t animation, int32_t frame, double)
{
    man->secondary_animation = animation;
    man->secondary_position = frame * 65536;
}

void man_ai_update(PlayerSlot*) {}
void ball_contact_planner_d(PlayerSlot*) {}
void clear_contact_plans() {}

void get_joint_position(int32_t out[3], int32_t, int32_t, int32_t, int32_t)
{
    out[0] = out[1] = out[2] = 0;
}

void kick_out_slack(PlayerSlot*, int32_t x, int32_t y, int32_t* out_x, int32_t* out_y)
{
    *out_x = x;
    *out_y = y;
}
