#include "display/camera.h"

#include "display/match_scene.h"
#include "display/model_instances.h"
#include "display/shadows.h"
#include "match/match_records.h"
#include "platform/app_state.h"

#include <cmath>

BallWorld ball_world;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kAngleUnits = 2607.5945876176133; // 16384 / (2 pi)

// Eases v toward closing the error e: braking once braking alone would stop
// it at the target, else a step-th of the error.
double ease_acceleration(double e, double v, int32_t steps)
{
    const double brake = -(v * v / (2 * e));
    const double step = e / (steps ? steps : 1);
    const bool toward = (e > 0 && v > 0) || (e < 0 && v < 0);
    return std::fabs(step) < std::fabs(brake) && v != 0 && toward ? brake : step;
}

double wrap_error(double e)
{
    if (e > 8192) e -= 16384;
    if (e < -8192) e += 16384;
    return e;
}

void ease_angle(CameraPreset* c, double& angle, double target, double& v, double& acc, bool pitch)
{
    const double e = wrap_error(target - angle);
    if (e != 0) {
        acc = ease_acceleration(e, v, c->steps);
        v += 4 * acc;
    }
    if (v < -256) v = -256;
    if (v > 256) v = 256;
    if (std::fabs(e) < 1) {
        v = 0;
        angle = target;
    }
    angle += v;
    if (angle < -8192) angle += 16384;
    if (angle > 8192) angle -= 16384;
    if (pitch && (c->flags & CAM_HOLD_PITCH)) {
        if (angle < 0) angle = 0;
        if (angle > 2048) angle = 2048;
    }
}

// Yaw and pitch toward a point; an axis the point gives no bearing on keeps
// its target.
void aim(CameraPreset* c, double lx, double ly, double lz, bool want_pitch, bool want_yaw)
{
    const double dx = lx - c->position[0], dy = ly - c->position[1], dz = lz - c->position[2];
    const double h = std::sqrt(dx * dx + dz * dz);
    if (want_yaw && (dx != 0 || dz != 0)) {
        const double a = dx != 0 ? std::atan(dz / dx) : (dz > 0 ? kPi / 2 : -kPi / 2);
        c->yaw_target = (dx < 0 ? 3 * kPi / 2 - a : kPi / 2 - a) * kAngleUnits;
        if (dx == 0) c->yaw_target = (dz > 0 ? 0 : kPi) * kAngleUnits;
    }
    if (want_pitch && (h != 0 || dy != 0)) {
        const double b = dy != 0 ? std::atan(h / dy) : kPi / 2;
        c->pitch_target = (dy < 0 ? b + kPi / 2 : b + 3 * kPi / 2) * kAngleUnits;
        if (dy == 0) c->pitch_target = 0;
    }
}

} // namespace

void camera_update(CameraPreset* c)
{
    if (!c) return;
    // 1. Aim.
    if (c->flags & (CAM_AIM_PITCH | CAM_AIM_YAW))
        aim(c, c->look_at[0], c->look_at[1], c->look_at[2], c->flags & CAM_AIM_PITCH, c->flags & CAM_AIM_YAW);
    // 2. Angles.
    if (c->flags & (CAM_EASE_PITCH | CAM_EASE_YAW)) {
        if (c->flags & CAM_EASE_PITCH)
            ease_angle(c, c->pitch, c->pitch_target, c->pitch_velocity, c->pitch_acceleration, true);
        if (c->flags & CAM_EASE_YAW) ease_angle(c, c->yaw, c->yaw_target, c->yaw_velocity, c->yaw_acceleration, false);
        c->ipitch = static_cast<int32_t>(std::lround(c->pitch));
        c->iyaw = static_cast<int32_t>(std::lround(c->yaw));
    }
    // 3. Destination kept `distance` from the anchor.
    if (c->flags & (CAM_DERIVE_X | CAM_DERIVE_Y | CAM_DERIVE_Z)) {
        double off[3];
        for (int i = 0; i < 3; ++i)
            off[i] = (c->flags & (CAM_REF_X << i)) ? c->reference_point[i] - c->anchor[i]
                                                    : c->anchor[i] - c->position[i];
        if (off[2] == 0) off[2] = 1.0;
        const double length = std::round(std::sqrt(off[0] * off[0] + off[1] * off[1] + off[2] * off[2]));
        if (length != 0) {
            const double k = static_cast<double>(c->distance) / length;
            for (int i = 0; i < 3; ++i)
                if (c->flags & (CAM_DERIVE_X << i)) c->destination[i] = c->anchor[i] - std::trunc(off[i] * k);
        }
    }
    // 4. Position.
    if (c->flags & (CAM_MOVE_X | CAM_MOVE_Y | CAM_MOVE_Z)) {
        for (int i = 0; i < 3; ++i) {
            if (!(c->flags & (CAM_MOVE_X << i))) continue;
            const double e = c->destination[i] - c->position[i];
            double& v = c->velocity[i];
            if (e != 0) {
                c->acceleration[i] = ease_acceleration(e, v, c->steps);
                v += c->acceleration[i];
            }
            if (c->max_speed[i] == 0) c->max_speed[i] = 300.0;
            if (v < -c->max_speed[i]) v = -c->max_speed[i];
            if (v > c->max_speed[i]) v = c->max_speed[i];
            if (std::fabs(e) < 5) {
                v = 0;
                c->acceleration[i] = 0;
                c->position[i] = c->destination[i];
            } else {
                c->position[i] += v;
            }
        }
        for (int i = 0; i < 3; ++i) c->position[i] += c->drift[i];
        c->ix = static_cast<int32_t>(std::lround(c->position[0]));
        c->iy = static_cast<int32_t>(std::lround(c->position[1]));
        c->iz = static_cast<int32_t>(std::lround(c->position[2]));
    }
    // 5. Field of view.
    if (c->fov_target == 0) c->fov_target = c->fov_current = c->fov_base = c->fov_out = 50.0;
    if (c->fov_current == 0) {
        c->fov_current = c->fov_target;
        c->fov_out = c->fov_base;
    }
    if (c->fov_narrow_step == 0) c->fov_narrow_step = 0.5;
    if (c->fov_widen_step == 0) c->fov_widen_step = 1.0;
    if (c->flags & CAM_EASE_FOV) {
        if (c->fov_current < c->fov_target) {
            c->fov_current += c->fov_widen_step;
            if (c->fov_current > c->fov_target) c->fov_current = c->fov_target;
        } else if (c->fov_current > c->fov_target) {
            c->fov_current -= c->fov_narrow_step;
            if (c->fov_current < c->fov_target) c->fov_current = c->fov_target;
        }
        c->fov_out = c->fov_current;
    }
}

void set_camera_target(CameraPreset* c, int32_t x, int32_t y, int32_t z)
{
    c->look_at[0] = x, c->look_at[1] = y, c->look_at[2] = z;
}

void aim_camera_at(CameraPreset* c, int32_t x, int32_t y, int32_t z) { aim(c, x, y, z, true, true); }

void set_camera_point(CameraPreset* c, int32_t x, int32_t y, int32_t z)
{
    aim_camera_at(c, x, y, z);
    c->pitch = c->pitch_target;
    c->yaw = c->yaw_target;
    set_camera_target(c, x, y, z);
    c->pitch_velocity = c->yaw_velocity = c->pitch_acceleration = c->yaw_acceleration = 0;
    c->ipitch = static_cast<int32_t>(std::lround(c->pitch));
    c->iyaw = static_cast<int32_t>(std::lround(c->yaw));
}

void place_camera(CameraPreset* c, int32_t x, int32_t y, int32_t z)
{
    camera_globals.x = x, camera_globals.y = y, camera_globals.z = z;
    if (!c) return;
    const int32_t p[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        c->anchor[i] = c->destination[i] = c->position[i] = p[i];
        c->velocity[i] = c->acceleration[i] = 0;
    }
    c->ix = x, c->iy = y, c->iz = z;
}

void move_camera(CameraPreset* c, int32_t dx, int32_t dy, int32_t dz)
{
    camera_globals.x += dx, camera_globals.y += dy, camera_globals.z += dz;
    if (!c) return;
    const int32_t d[3] = {dx, dy, dz};
    for (int i = 0; i < 3; ++i) c->anchor[i] += d[i], c->position[i] += d[i];
    c->ix += dx, c->iy += dy, c->iz += dz;
}

void set_camera_anchor(CameraPreset* c, int32_t x, int32_t y, int32_t z)
{
    c->anchor[0] = x, c->anchor[1] = y, c->anchor[2] = z;
}

void add_to_camera_anchor(CameraPreset* c, int32_t dx, int32_t dy, int32_t dz)
{
    c->anchor[0] += dx, c->anchor[1] += dy, c->anchor[2] += dz;
}

int32_t camera_has_arrived(const CameraPreset* c)
{
    for (int i = 0; i < 3; ++i)
        if (c->destination[i] != c->position[i]) return 0;
    return 1;
}

int32_t camera_angles_settled(CameraPreset* c)
{
    for (double* t : {&c->pitch_target, &c->yaw_target}) {
        while (*t > 8192) *t -= 16384;
        while (*t < -8192) *t += 16384;
    }
    return c->pitch == c->pitch_target && c->yaw == c->yaw_target;
}

void set_output_position(CameraPreset* b, int32_t x, int32_t y, int32_t z) { b->ix = x, b->iy = y, b->iz = z; }
void set_output_pitch(CameraPreset* b, int32_t p) { b->ipitch = p; }
void add_output_pitch(CameraPreset* b, int32_t dp) { b->ipitch += dp; }
void add_output_yaw(CameraPreset* b, int32_t dy) { b->iyaw += dy; }
void set_output_angles(CameraPreset* b, int32_t p, int32_t y) { b->ipitch = p, b->iyaw = y; }
void set_output_fov(CameraPreset* b, double fov) { b->fov_out = fov; }

void publish_camera_position(const CameraPreset* b)
{
    camera_globals.x = b->ix;
    camera_globals.y = b->iy;
    camera_globals.z = b->iz;
    const int32_t floor = use_3d_hardware ? 200 : 300;
    if (camera_globals.y < floor) camera_globals.y = floor;
}

void publish_camera_angles(const CameraPreset* b)
{
    camera_globals.pitch = b->ipitch;
    camera_globals.yaw = b->iyaw;
}

void set_camera_fov_deg(double fov)
{
    // A lens of no width has no projection: keep the last one.
    if (fov <= 0) return;
    camera_globals.fov = fov;
    camera_globals.projection_scale = 240.0 / std::tan(fov * kPi / 360.0);
}

void set_camera_fov(const CameraPreset* b) { set_camera_fov_deg(b->fov_out); }

void set_camera_fov_linear(double fov)
{
    camera_globals.fov = fov;
    camera_globals.projection_scale = 17.0 * fov;
}

void set_camera_pitch(int32_t p) { camera_globals.pitch = p; }
void set_camera_yaw(int32_t y) { camera_globals.yaw = y; }
void add_camera_pitch(int32_t dp) { camera_globals.pitch = (camera_globals.pitch + dp) & 16383; }
void add_camera_yaw(int32_t dy) { camera_globals.yaw = (camera_globals.yaw + dy) & 16383; }

void ball_to_world()
{
    const BallState& b = ball_state;
    const float k = 0.0015258789f;
    BallWorld& w = ball_world;
    w.position[0] = static_cast<float>(b.x >> 8) * k;
    w.position[1] = static_cast<float>(b.z >> 8) * k;
    w.position[2] = static_cast<float>(b.y >> 8) * k;
    w.hardware[0] = -w.position[0], w.hardware[1] = -w.position[1], w.hardware[2] = w.position[2];
    w.raised[0] = -w.position[0] - 5, w.raised[1] = -1500 - w.position[1], w.raised[2] = w.position[2] - 5;
    const float turn = 6.2831853f / 16384;
    for (int i = 0; i < 3; ++i) w.angles[i] = static_cast<float>(b.spin_angle[i]) * turn;
    ModelInstance* ball = scene_ball();
    if (!ball) return;
    const float scale[3] = {1, 1, 1};
    place_model(ball, w.position, w.angles, scale);
    ball->active = 1;
    cast_point_shadow(14, 1, w.position[0], w.position[1], w.position[2]);
}

void reset_camera_globals()
{
    camera_globals = INITIAL_CAMERA_GLOBALS;
    ball_world = BallWorld{};
}
