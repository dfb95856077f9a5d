// Where the match camera is, as both display paths read it each frame: the
// match camera (display/camera.h) writes it, the projection here reads it.
#pragma once

#include <cstdint>

// Position in camera units, pitch and yaw 16384 to a turn (pitch 0 level,
// 4096 straight down; yaw 0 looks along +z), the field of view in degrees
// and the projection scale D = 240 / tan(fov / 2).
struct CameraGlobals {
    int32_t x, y, z;
    int32_t pitch, yaw;
    double fov;
    double projection_scale;
};
// Before any camera is set: a 50-degree lens with D = 686.
constexpr CameraGlobals INITIAL_CAMERA_GLOBALS{0, 0, 0, 0, 0, 50.0, 686.0};
extern CameraGlobals camera_globals;
