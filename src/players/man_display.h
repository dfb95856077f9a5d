// Where a man's joints are: the match code's questions about his model at a
// given frame of an animation.
#pragma once

#include "match/match_records.h"

#include <cstdint>

// A joint of the man's model for the animation at the frame, turned by the
// 8-bit facing, in whole ground units relative to him: {x, height, y}.
void get_joint_position(int32_t out[3], const PlayerSlot* man, uint32_t animation, uint32_t time0, int32_t frame,
                        uint8_t facing, int32_t joint);
