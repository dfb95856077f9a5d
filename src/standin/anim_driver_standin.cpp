// STAND-IN for the animation driver and the contact tables. Delete when the
// animation module lands.
#include "standin/anim_driver_standin.h"

void play_man_animation(PlayerSlot* man, uint32_t animation, int32_t, double)
{
    if (man->primary_animation != animation)
        man->primary_animation = animation;
}

void set_man_animation(PlayerSlot* man, uint32_t animation, int32_t, double) { man->secondary_animation = animation; }

void kick_out_slack(PlayerSlot*, int32_t x, int32_t y, int32_t* out_x, int32_t* out_y)
{
    *out_x = x;
    *out_y = y;
}
