// The camera object's easing, the presets, the view keys and the automatic
// camera's queue.
#include "display/camera_presets.h"
#include "display/match_scene.h"
#include "gl3d/hw_camera.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "platform/app_state.h"
#include "platform/input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

class Camera : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_camera_presets();
        reset_hw_camera();
        clear_match_hooks();
        std::memset(key_state, 0, sizeof key_state);
        match_globals = MatchGlobals{};
        ball_state = BallState{};
    }
    void TearDown() override
    {
        reset_camera_presets();
        std::memset(key_state, 0, sizeof key_state);
    }
    CameraPreset c{};
};

TEST_F(Camera, AngleErrorsWrapOnlyPastHalfATurn)
{
    struct {
        double target, expected_first_velocity_sign;
    } cases[] = {{8192, 1}, {8192.5, -1}};
    for (auto k : cases) {
        c = CameraPreset{};
        c.flags = CAM_EASE_YAW;
        c.steps = 100;
        c.yaw_target = k.target;
        camera_update(&c);
        EXPECT_EQ(c.yaw_velocity > 0 ? 1 : -1, k.expected_first_velocity_sign) << k.target;
    }
}

TEST_F(Camera, SmallErrorsSnapAndStop)
{
    c.flags = CAM_EASE_PITCH | CAM_MOVE_X;
    c.steps = 10;
    c.pitch_target = 0.5, c.pitch_velocity = 3;
    c.destination[0] = 4.0, c.velocity[0] = 2;
    camera_update(&c);
    EXPECT_EQ(c.pitch, 0.5);
    EXPECT_EQ(c.pitch_velocity, 0);
    EXPECT_EQ(c.position[0], 4.0);
    EXPECT_EQ(c.velocity[0], 0);
    EXPECT_EQ(camera_has_arrived(&c), 1);
}

TEST_F(Camera, EasingStopsAtTheTargetWithoutOvershoot)
{
    c.flags = CAM_MOVE_X | CAM_EASE_YAW;
    c.steps = 20;
    c.destination[0] = 3000;
    c.yaw_target = 4000;
    double furthest = 0, yaw_most = 0;
    for (int i = 0; i < 2000; ++i) {
        camera_update(&c);
        furthest = std::max(furthest, c.position[0]);
        yaw_most = std::max(yaw_most, c.yaw);
    }
    EXPECT_EQ(c.position[0], 3000);
    EXPECT_LE(furthest, 3000);
    EXPECT_EQ(c.yaw, 4000);
    EXPECT_LE(yaw_most, 4000);
}

TEST_F(Camera, SpeedDefaultsTo300AndTheDestinationFollowsTheAnchor)
{
    c.flags = CAM_MOVE_X | CAM_DERIVE_X | CAM_DERIVE_Z | CAM_MOVE_Z;
    c.steps = 1;
    c.anchor[0] = 50000, c.anchor[2] = 10;
    camera_update(&c);
    EXPECT_EQ(c.max_speed[0], 300.0);
    EXPECT_EQ(c.position[0], 300.0);
    EXPECT_EQ(c.destination[0], 50000) << "distance 0: the anchor itself";
}

TEST_F(Camera, PitchHeldAndFieldOfViewDefaults)
{
    c.flags = CAM_EASE_PITCH | CAM_HOLD_PITCH;
    c.steps = 1;
    c.pitch_target = 4000;
    for (int i = 0; i < 50; ++i) {
        camera_update(&c);
        EXPECT_LE(c.pitch, 2048);
        EXPECT_GE(c.pitch, 0);
    }
    EXPECT_EQ(c.fov_target, 50.0);
    EXPECT_EQ(c.fov_current, 50.0);
    EXPECT_EQ(c.fov_base, 50.0);
    EXPECT_EQ(c.fov_out, 50.0);
}

TEST_F(Camera, LookingStraightDownKeepsTheYaw)
{
    c.position[1] = 1000;
    c.yaw_target = 1234;
    aim_camera_at(&c, 0, 0, 0);
    EXPECT_EQ(c.yaw_target, 1234);
    EXPECT_NEAR(c.pitch_target, 4096, 1e-6);
    set_camera_point(&c, 0, 1000, 100);
    EXPECT_NEAR(c.yaw, 0, 1e-6) << "yaw 0 looks along +z";
    EXPECT_NEAR(c.pitch, 0, 1e-6);
    set_camera_point(&c, 100, 1000, 0);
    EXPECT_NEAR(c.yaw, 4096, 1e-6) << "4096 looks along +x";
}

TEST_F(Camera, PublishingRaisesTheHeightAndSetsTheProjection)
{
    c.ix = 5, c.iy = 10, c.iz = -7, c.fov_out = 90;
    const uint32_t hardware = use_3d_hardware;
    for (uint32_t path : {1u, 0u}) {
        use_3d_hardware = path;
        publish_camera_position(&c);
        EXPECT_EQ(camera_globals.y, path ? 200 : 300);
    }
    use_3d_hardware = hardware;
    set_camera_fov(&c);
    EXPECT_NEAR(camera_globals.projection_scale, 240.0, 1e-9);
    set_camera_fov_deg(0);
    EXPECT_EQ(camera_globals.fov, 90) << "a lens of no width is ignored";
    place_camera(nullptr, 1, 2, 3);
    EXPECT_EQ(camera_globals.x, 1);
}

TEST_F(Camera, FrameCameraClampsByView)
{
    struct {
        int32_t view, x;
        bool automatic;
        int32_t expected;
    } cases[] = {{3, 9300, false, 9200}, {3, -9300, false, -9200}, {4, 9300, false, 9300}, {3, 9300, true, 9300}};
    for (auto k : cases) {
        camera_view = k.view;
        auto_camera_active = k.automatic;
        camera_globals.x = k.x;
        setup_3d_camera();
        EXPECT_EQ(camera_globals.x, k.expected) << k.view;
    }
    auto_camera_active = 0;
    camera_globals = CameraGlobals{};
    camera_globals.y = 500;
    camera_globals.fov = 50;
    setup_3d_camera();
    float eye[3], target[3], param;
    get_hw_camera_view(eye, target, &param);
    EXPECT_FLOAT_EQ(eye[1], -500);
    EXPECT_FLOAT_EQ(target[0] - eye[0], 0);
    EXPECT_FLOAT_EQ(target[1] - eye[1], 0);
    EXPECT_FLOAT_EQ(target[2] - eye[2], 100);
}

TEST_F(Camera, ViewKeysTakeOneKeyAFrame)
{
    init_camera_system();
    camera_view = 0;
    key_state[62] = 128; // F4 in view 0: taken, nothing changes
    key_state[66] = 128; // F8 waits
    camera_select_by_keys();
    EXPECT_EQ(camera_view, 0);
    EXPECT_EQ(key_state[62], 0);
    EXPECT_EQ(key_state[66], 128);
    camera_select_by_keys();
    EXPECT_EQ(camera_view, 2);
    key_state[61] = 128;
    camera_select_by_keys();
    EXPECT_EQ(camera_view, 1) << "F3 in a live match";
}

TEST_F(Camera, PresetTwoZoomsByTheBallsSide)
{
    init_camera_system();
    compute_camera_view(0, 0, -6400);
    EXPECT_DOUBLE_EQ(camera_presets[2].fov_target, 50.0);
    compute_camera_view(0, 0, 6400);
    EXPECT_DOUBLE_EQ(camera_presets[2].fov_target, 20.0);
}

TEST_F(Camera, FreeCameraKeysStayInRange)
{
    camera_view = 8;
    key_state[29] = 128;
    key_state[KEY_LEFT] = 128;
    free_camera_control(0, 0, 0, 1);
    EXPECT_EQ(free_camera_side, 3);
    for (int i = 0; i < 5; ++i) key_state[KEY_UP] = 128, free_camera_control(0, 0, 0, 0);
    EXPECT_EQ(free_camera_height, 2);
    key_state[29] = 0;
    key_state[209] = 128;
    for (int i = 0; i < 200; ++i) free_camera_control(0, 0, 0, 0);
    EXPECT_EQ(camera_presets[8].fov_target, 90);
}

TEST_F(Camera, AutomaticCameraQueuesOneRequest)
{
    init_camera_system();
    match_globals.restart_countdown = 0;
    AutoCameraRequest a{}, b{}, d{};
    a.duration = 10, a.camera = &camera_presets[7];
    b.duration = 20, b.camera = &camera_presets[7];
    d.duration = 30, d.camera = &camera_presets[7];
    track_camera_target(&a);
    EXPECT_EQ(auto_camera_active, 1);
    EXPECT_EQ(match_globals.restart_countdown, 10);
    track_camera_target(&b);
    track_camera_target(&d);
    ASSERT_NE(pending_auto_camera(), nullptr);
    EXPECT_EQ(pending_auto_camera()->duration, 30) << "the later request replaces the waiting one";
    match_globals.restart_countdown = 0;
    update_automatic_camera();
    EXPECT_EQ(match_globals.restart_countdown, 30);
    EXPECT_EQ(pending_auto_camera(), nullptr);
    match_globals.restart_countdown = 0;
    update_automatic_camera();
    EXPECT_EQ(auto_camera_active, 0);
}

TEST_F(Camera, RefusedCloseUpStillSetsTheZoom)
{
    init_camera_system();
    PlayerSlot man{};
    man.x = 1000, man.y = 200;
    match_globals.restart_countdown = 5;
    choose_automatic_camera(&man, 240);
    EXPECT_EQ(auto_camera_active, 0);
    EXPECT_EQ(camera_presets[7].fov_target, 10);
}

} // namespace
