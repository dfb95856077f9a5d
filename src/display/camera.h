// The moving camera of the match: one record that eases toward where it
// wants to be and what it looks at, the globals both display paths read, and
// the ball's place in scene units.
#pragma once

#include "gl3d/camera_globals.h"

#include <cstdint>

// Camera units are ground units x 0.390625; angles 16384 to a turn.
struct CameraPreset {
    uint32_t flags;
    int32_t distance;
    double drift[3];
    double reference_point[3];
    double anchor[3];
    double destination[3];
    double velocity[3];
    double max_speed[3];
    double acceleration[3];
    double position[3];
    double look_at[3];
    double pitch, yaw;
    double pitch_target, yaw_target;
    double pitch_velocity, yaw_velocity;
    double pitch_acceleration, yaw_acceleration;
    int32_t steps;
    double fov_narrow_step;
    double fov_widen_step;
    double fov_target;
    double fov_current;
    // The output block.
    double fov_base;
    double fov_out;
    int32_t ix, iy, iz;
    int32_t ipitch, iyaw;
};


enum : uint32_t {
    CAM_MOVE_X = 0x2, CAM_MOVE_Y = 0x4, CAM_MOVE_Z = 0x8,
    CAM_AIM_PITCH = 0x10, CAM_AIM_YAW = 0x20, CAM_EASE_PITCH = 0x40, CAM_EASE_YAW = 0x80,
    CAM_HOLD_PITCH = 0x100, CAM_REF_X = 0x400, CAM_REF_Y = 0x800, CAM_REF_Z = 0x1000,
    CAM_EASE_FOV = 0x2000, CAM_DERIVE_X = 0x4000, CAM_DERIVE_Y = 0x8000, CAM_DERIVE_Z = 0x10000,
};

void camera_update(CameraPreset* camera);
void set_camera_target(CameraPreset* camera, int32_t x, int32_t y, int32_t z);
void aim_camera_at(CameraPreset* camera, int32_t x, int32_t y, int32_t z);
void set_camera_point(CameraPreset* camera, int32_t x, int32_t y, int32_t z);
void place_camera(CameraPreset* camera, int32_t x, int32_t y, int32_t z);
void move_camera(CameraPreset* camera, int32_t dx, int32_t dy, int32_t dz);
void set_camera_anchor(CameraPreset* camera, int32_t x, int32_t y, int32_t z);
void add_to_camera_anchor(CameraPreset* camera, int32_t dx, int32_t dy, int32_t dz);
int32_t camera_has_arrived(const CameraPreset* camera);
int32_t camera_angles_settled(CameraPreset* camera);

void set_output_position(CameraPreset* block, int32_t x, int32_t y, int32_t z);
void set_output_pitch(CameraPreset* block, int32_t p);
void add_output_pitch(CameraPreset* block, int32_t dp);
void add_output_yaw(CameraPreset* block, int32_t dy);
void set_output_angles(CameraPreset* block, int32_t p, int32_t y);
void set_output_fov(CameraPreset* block, double fov);

void publish_camera_position(const CameraPreset* block);
void publish_camera_angles(const CameraPreset* block);
void set_camera_fov(const CameraPreset* block);
void set_camera_fov_deg(double fov);
void set_camera_fov_linear(double fov);
void set_camera_pitch(int32_t p);
void set_camera_yaw(int32_t y);
void add_camera_pitch(int32_t dp);
void add_camera_yaw(int32_t dy);

// The ball in scene units: x along the ground, y height, z across.
struct BallWorld {
    float position[3];
    float hardware[3]; // (-x, -height, z)
    float raised[3];   // (-x - 5, -1500 - height, z - 5)
    float angles[3];
};
extern BallWorld ball_world;
void ball_to_world();

void reset_camera_globals();
