// Provisional: what the 3D display needs of neighbours that are not built
// yet (the match camera globals, the named texture manager). Each owner
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

// Named texture manager.
uint32_t tex_invalidate_all();
uint32_t tex_restore_all(HostRenderDevice* device);
