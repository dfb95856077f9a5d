// Provisional: what the input code needs of the match camera, until the
// camera's own header lands.
#pragma once

#include <cstdint>

// Heading of the match camera, 16384 units a turn.
extern int32_t camera_yaw;
