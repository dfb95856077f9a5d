// Provisional: what the 3D display needs of neighbours that are not built
// yet (the match camera globals, the front end's frame counter). Each owner
// replaces these with the real thing and deletes the matching stand-in.
#pragma once

#include <cstdint>

class HostRenderDevice;

// Match camera globals: position (camera units), pitch and yaw (16384 to a
// turn) and the projection scale D = 240 / tan(fov / 2).
struct ProvisionalCameraGlobals {
    int32_t x, height, z;
    int32_t pitch, yaw;
    double projection_d;
};
ProvisionalCameraGlobals& camera_globals();

// The front end's animation frame counter, advanced once per drawn frame.
extern uint32_t front_end_anim_frame;
