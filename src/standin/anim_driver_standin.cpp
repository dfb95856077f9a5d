// STAND-IN for the animation driver: starts and steps the two channels with
// the least the movement needs (numbers, positions, follow-on to STAND).
#include "standin/anim_driver_standin.h"

#include "players/anim_table.h"
#include "players/locomotion.h"
#include "players/skeleton.h"

#include <cmath>

void play_man_animation(PlayerSlot* man, int32_t animation, int32_t frame, double)
{
    locomotion_anim_for_speed(man, animation);
    if (static_cast<uint32_t>(animation) == man->primary_animation) return;
    if (animation != 121 && animation != 122 && animation != 123 && (animation < 124 || animation > 128))
        man->turning = 0;
    man->primary_animation = static_cast<uint32_t>(animation);
    man->primary_position = frame * 65536;
}

void set_man_animation(PlayerSlot* man, int32_t animation, int32_t, double)
{
    man->secondary_animation = static_cast<uint32_t>(animation);
}

void advance_man_animation(PlayerSlot* man)
{
    const uint32_t a = man->primary_animation;
    if (a >= ANIM_ROW_COUNT || !animation_table[a].data) return;
    man->primary_position += 21141;
    const uint32_t length = paf_length(animation_table[a].data);
    if (static_cast<uint32_t>(man->primary_position / 65536) * PAF_FRAME_US >= length) {
        man->primary_position = 0;
        man->man_flags &= static_cast<uint16_t>(~MAN_BUSY);
    }
}

void update_holding_tackle(PlayerSlot*) {}

void get_joint_position(int32_t out[3], PlayerSlot*, int32_t animation, int32_t, int32_t frame, int32_t facing,
                        int32_t joint)
{
    out[0] = out[1] = out[2] = 0;
    if (animation < 0 || animation >= ANIM_ROW_COUNT || !animation_table[animation].data) return;
    int32_t pos[3];
    float ang[3];
    eval_animation(nullptr, pos, ang, animation, static_cast<uint32_t>(frame) * PAF_FRAME_US, joint, facing * 64);
    for (int i = 0; i < 3; ++i) out[i] = pos[i] >> 8;
}

int32_t plan_handball_contact(PlayerSlot*, PlayerSlot*, int32_t, int32_t, int32_t, int32_t) { return 10; }

void get_animation_displacement(int32_t animation, int32_t frame_a, int32_t frame_b, int32_t facing, int32_t out[3])
{
    out[0] = out[1] = out[2] = 0;
    if (animation < 0 || animation >= ANIM_ROW_COUNT || !animation_table[animation].data) return;
    float x, y, z;
    root_travel(animation_table[animation].data, static_cast<uint32_t>(frame_a) * PAF_FRAME_US,
                static_cast<uint32_t>(frame_b) * PAF_FRAME_US, &x, &y, &z, nullptr, animation_table[animation].mirror);
    const double t = (facing & 255) * 2.0 * 3.14159265358979323846 / 256.0;
    // 3D units to ground units.
    const double gx = x * 2.56, gz = z * 2.56;
    out[0] = static_cast<int32_t>(std::lrint(gx * std::cos(t) + gz * std::sin(t)));
    out[1] = static_cast<int32_t>(std::lrint(y * 2.56));
    out[2] = static_cast<int32_t>(std::lrint(-gx * std::sin(t) + gz * std::cos(t)));
}
