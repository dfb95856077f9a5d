#include "players/man_display.h"

#include "model/anim_table.h"

void get_joint_position(int32_t out[3], const PlayerSlot*, uint32_t animation, uint32_t, int32_t frame,
                        uint8_t facing, int32_t joint)
{
    int32_t fine[3];
    float angles[3];
    const uint32_t t = frame > 0 ? static_cast<uint32_t>(frame) * PAF_FRAME_US : 0;
    eval_animation(nullptr, fine, angles, static_cast<int>(animation), t, joint, facing * 64);
    for (int i = 0; i < 3; ++i) out[i] = fine[i] >> 8;
}
