// The camera object's easing, the presets, the view keys and the automatic
// camera's queue.
#include "display/camera_presets.h"
#include "display/match_scene.h"
#include "display/replay_screen.h"
#include "gl3d/angle_maths.h"
#include "gl3d/hw_camera.h"
#include "gl3d/gl_fixture.h"
#include "model/anim_table.h"
#include "model/fixtures.h"
#include "model/paf.h"
#include "model/skeleton.h"
#include "platform/mouse.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "platform/app_state.h"
#include "platform/input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

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

TEST_F(Camera, TheDestinationKeepsItsDistanceOnTheBearingOrBeyondTheReferencePoint)
{
    struct Case {
        const char* what;
        uint32_t flags;
        int32_t distance;
        double anchor[3], position[3], reference[3];
        double expected[3];
    } cases[] = {
        // Offset (1000, 0, 0 -> 1): length 1000, k 2.5 in fractions.
        {"on the present bearing", CAM_DERIVE_X | CAM_DERIVE_Z, 2500, {1000, 0, 0}, {0, 0, 0}, {0, 0, 0}, {-1500, 7, -2}},
        // Offset (-9600, 0, -100): length 9601, the camera 1500 past the anchor from the goal end.
        {"beyond the reference point", CAM_DERIVE_X | CAM_DERIVE_Z | CAM_REF_X | CAM_REF_Z, 1500, {0, 0, 100},
         {0, 0, 0}, {-9600, 0, 0}, {1499, 7, 115}},
        // Offset (0, 0, 0.3) rounds to a length of 0: nothing to scale by.
        {"an offset of no length", CAM_DERIVE_X | CAM_DERIVE_Y | CAM_DERIVE_Z, 1200, {0, 0, 0.3}, {0, 0, 0}, {0, 0, 0},
         {7, 7, 7}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        c = CameraPreset{};
        c.flags = k.flags;
        c.distance = k.distance;
        for (int i = 0; i < 3; ++i) {
            c.anchor[i] = k.anchor[i], c.position[i] = k.position[i], c.reference_point[i] = k.reference[i];
            c.destination[i] = 7;
        }
        camera_update(&c);
        for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(c.destination[i], k.expected[i]) << i;
    }
}

TEST_F(Camera, FieldOfViewEasesByItsStepsWithoutPassingTheTarget)
{
    c.flags = CAM_EASE_FOV;
    c.fov_target = 20, c.fov_current = 21;
    for (double expected : {20.5, 20.0, 20.0}) {
        camera_update(&c);
        EXPECT_DOUBLE_EQ(c.fov_current, expected) << "narrowing by the default half degree";
        EXPECT_DOUBLE_EQ(c.fov_out, expected);
    }
    c.fov_target = 60, c.fov_current = 59.5;
    camera_update(&c);
    EXPECT_DOUBLE_EQ(c.fov_current, 60) << "widening stops at the target";
    c.flags = 0;
    c.fov_target = 30;
    camera_update(&c);
    EXPECT_DOUBLE_EQ(c.fov_out, 60) << "without the bit the lens stays";
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

TEST_F(Camera, PlacingThePresetsPutsEachWhereItWatchesFrom)
{
    init_camera_system();
    auto_camera_active = 1;
    camera_presets[3].velocity[0] = 40;
    camera_presets[3].flags |= 0x8004u;
    const int32_t x = 1200, y = 300, z = -600;
    setup_all_camera_presets(x, y, z);
    const CameraPreset* p = camera_presets;
    EXPECT_EQ(auto_camera_active, 0);
    EXPECT_EQ(camera_resetup, 1) << "by presets 1 and 9";
    for (int n = 0; n < CAMERA_PRESETS; ++n) {
        EXPECT_EQ(p[n].flags & 0x8004u, 0u) << n;
        if (n != 2 && n != 5 && n != 6) {
            EXPECT_EQ(p[n].velocity[0], 0) << n << ": 2, 5 and 6 take one step";
        }
    }
    auto expect3 = [](const double* v, double a, double b, double c, const char* what) {
        EXPECT_DOUBLE_EQ(v[0], a) << what;
        EXPECT_DOUBLE_EQ(v[1], b) << what;
        EXPECT_DOUBLE_EQ(v[2], c) << what;
    };
    expect3(p[0].position, x, 1000, z - 2693, "0: behind the point");
    expect3(p[0].look_at, x, y, z, "0 looks at the point");
    // 1 stands on its bearing (yaw 0, along z) 2693 from the point.
    const double d = std::sqrt(1200.0 * 1200 + 700.0 * 700) - 2693;
    EXPECT_DOUBLE_EQ(p[1].position[0], 0);
    EXPECT_NEAR(p[1].position[2], -1300 + d, 1.0);
    expect3(p[1].destination, p[1].position[0], p[1].position[1], p[1].position[2], "1 stays put");
    EXPECT_DOUBLE_EQ(p[2].anchor[0], 1000) << "x 160/192 of the way";
    EXPECT_DOUBLE_EQ(p[2].anchor[1], 1500);
    EXPECT_EQ(p[2].ix, static_cast<int32_t>(p[2].position[0]));
    expect3(p[3].anchor, x, 2000, z - 2000, "3 over the point");
    EXPECT_EQ(p[3].ix, x);
    EXPECT_EQ(p[3].iz, z - 2000);
    expect3(p[3].look_at, 0, 0, 0, "3 is not aimed: still at the centre");
    expect3(p[4].anchor, x - 2000, 2000, z - 2000, "4 on the diagonal");
    expect3(p[4].position, -2000, 2000, -2000, "4 is not moved");
    expect3(p[5].anchor, x, y, z, "5 on the point");
    EXPECT_EQ(p[5].ix, static_cast<int32_t>(p[5].destination[0]));
    expect3(p[7].position, 0, 800, -6400, "7 stays on the wing");
    expect3(p[7].look_at, x, y, z, "7 looks at the point");
    expect3(p[8].position, x, y + 200, z - 1200, "8 snaps behind the point");
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

// Close-ups: where the camera starts by state and by who is watched.
TEST_F(Camera, CloseUpsStartOppositeTheManAndBehindTheGoalForGoalUmpires)
{
    struct Case {
        const char* what;
        int official; // -1: a player
        uint8_t state;
        int32_t x, y;
        uint32_t hardware;
        int32_t start[3];
        double narrow_step;
    } cases[] = {
        {"player, state 47", -1, 47, 1000, -200, 0, {390, 800, 6400}, 1.0},
        {"player, far side", -1, 10, 1000, 200, 0, {390, 1100, -6400}, 1.0},
        {"field umpire, state 52", 0, 52, -1000, 0, 0, {-390, 1100, 6400}, 0.1},
        {"player, state 52", -1, 52, -1000, 0, 0, {-390, 1100, 6400}, 1.0},
        {"goal umpire at x 0", 3, 10, 0, 300, 0, {-5595, 500, 117}, 1.0},
        {"goal umpire, far end", 4, 47, 9000, -300, 0, {5595, 500, -117}, 1.0},
        {"player on the hardware path", -1, 10, 1000, 200, 1, {390, 1107, -6400}, 1.0},
    };
    const uint32_t hardware = use_3d_hardware;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reset_camera_presets();
        init_camera_system();
        official_slots[3] = official_slots[4] = official_slots[0] = PlayerSlot{};
        PlayerSlot other{};
        PlayerSlot& man = c.official >= 0 ? official_slots[c.official] : other;
        man.x = c.x, man.y = c.y;
        match_globals.match_state = c.state;
        match_globals.restart_countdown = 0;
        const double fov_before = camera_presets[7].fov_current;
        use_3d_hardware = c.hardware;
        choose_automatic_camera(&man, 240);
        const CameraPreset& seven = camera_presets[7];
        ASSERT_EQ(auto_camera_active, 1);
        EXPECT_EQ(auto_camera_request.camera, &seven);
        EXPECT_EQ(match_globals.restart_countdown, 240);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(auto_camera_request.start_position[i], c.start[i]) << i;
        EXPECT_DOUBLE_EQ(seven.position[1], c.start[1]) << "placed at the start";
        EXPECT_DOUBLE_EQ(seven.fov_narrow_step, c.narrow_step);
        EXPECT_DOUBLE_EQ(seven.fov_target, 10);
        EXPECT_DOUBLE_EQ(seven.fov_current, c.hardware ? 10 : fov_before);
        EXPECT_EQ(seven.flags & 0x1E0FEu, 0x1E0FEu);
        // The look-at point tracks the man's spot at height 180.
        update_automatic_camera();
        EXPECT_DOUBLE_EQ(seven.look_at[0], c.x * 0.390625);
        EXPECT_DOUBLE_EQ(seven.look_at[1], 180);
        EXPECT_DOUBLE_EQ(seven.look_at[2], c.y * 0.390625);
    }
    official_slots[3] = official_slots[4] = official_slots[0] = PlayerSlot{};
    use_3d_hardware = hardware;
}

TEST_F(Camera, CloseUpsAreRefusedForAnotherThanTheSelectedManOrAFighter)
{
    init_camera_system();
    PlayerSlot man{}, selected{};
    man.x = 1000;
    match_globals.selected_man = &selected;
    choose_automatic_camera(&man, 240);
    EXPECT_EQ(auto_camera_active, 0);
    EXPECT_NE(camera_presets[7].fov_target, 10) << "refused before the zoom is set";
    match_globals.selected_man = nullptr;
    man.man_flags = 0x40;
    for (uint8_t state : {3, 44}) {
        match_globals.match_state = state;
        choose_automatic_camera(&man, 240);
        EXPECT_EQ(auto_camera_active, 0) << int(state);
    }
    match_globals.match_state = 10;
    choose_automatic_camera(&man, 240);
    EXPECT_EQ(auto_camera_active, 1) << "the flag alone refuses nothing outside a fight";
}

TEST_F(Camera, SituationCamerasStartByStateAndHoldUntilReplaced)
{
    struct Case {
        uint8_t state;
        int32_t start[3];
        double narrow_step;
    } cases[] = {
        {3, {390, 100, 781 - 2000}, 1.0},
        {44, {390, 100, 781 - 2000}, 1.0},
        {15, {781, 400, -390}, 0.1},
        {17, {781, 400, -390}, 0.1},
        {58, {9994, 600, 0}, 1.0},
        {10, {9994, 600, 0}, 1.0}, // other states keep the last staging values
    };
    const uint32_t hardware = use_3d_hardware;
    use_3d_hardware = 0;
    match_globals.gather_x = 2000, match_globals.gather_y = -1000;
    match_globals.kick_out_spot_x = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.state));
        init_camera_system();
        match_globals.match_state = c.state;
        match_globals.restart_countdown = 0;
        set_camera_for_situation(1000, 256, 2000, 80, 7);
        const CameraPreset& seven = camera_presets[7];
        ASSERT_EQ(auto_camera_active, 1);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(auto_camera_request.start_position[i], c.start[i]) << i;
        EXPECT_EQ(auto_camera_request.duration, 2147483647);
        EXPECT_DOUBLE_EQ(seven.fov_narrow_step, c.narrow_step);
        EXPECT_DOUBLE_EQ(seven.fov_target, 80);
        EXPECT_DOUBLE_EQ(seven.fov_current, 80);
        EXPECT_EQ(seven.flags & 0x1E1FEu, 0x1E1FEu);
        EXPECT_DOUBLE_EQ(seven.look_at[1], 100) << "aimed at the point at once";
        // Held while its countdown runs: another situation starts nothing.
        update_automatic_camera();
        EXPECT_EQ(auto_camera_active, 1);
        set_camera_for_situation(0, 0, 0, 25, 7);
        EXPECT_EQ(pending_auto_camera(), nullptr);
        EXPECT_DOUBLE_EQ(seven.fov_target, 80);
        // Once the rules clear the countdown the next one waits, then takes over.
        match_globals.restart_countdown = 0;
        set_camera_for_situation(0, 0, 0, 25, 7);
        ASSERT_NE(pending_auto_camera(), nullptr);
        update_automatic_camera();
        EXPECT_EQ(pending_auto_camera(), nullptr);
        EXPECT_EQ(auto_camera_active, 1);
        EXPECT_EQ(match_globals.restart_countdown, 2147483647);
        reset_camera_presets();
    }
    // The far end by the kicking-out side.
    init_camera_system();
    match_globals.match_state = 58;
    match_globals.kick_out_spot_x = -100;
    match_globals.restart_countdown = 0;
    set_camera_for_situation(0, 0, 0, 25, 7);
    EXPECT_EQ(auto_camera_request.start_position[0], -9994);
    use_3d_hardware = hardware;
}

TEST_F(Camera, SteeringActsOnlyWhileTheCountdownRunsAndNullSourcesLeaveTheirAxis)
{
    init_camera_system();
    int32_t look_x = 400, pos_z = -800;
    AutoCameraRequest r{};
    r.flags = 3; // neither placed nor aimed
    r.duration = 50;
    r.camera = &camera_presets[7];
    r.look_scale[0] = 1.0, r.look_source[0] = &look_x;
    r.position_scale[2] = 0.5, r.position_source[2] = &pos_z;
    camera_presets[7].look_at[1] = 77, camera_presets[7].look_at[2] = 88;
    camera_presets[7].anchor[0] = 11, camera_presets[7].anchor[1] = 22;
    const double placed = camera_presets[7].position[0];
    track_camera_target(&r);
    EXPECT_DOUBLE_EQ(camera_presets[7].position[0], placed);
    update_automatic_camera();
    const CameraPreset& seven = camera_presets[7];
    EXPECT_DOUBLE_EQ(seven.look_at[0], 400);
    EXPECT_DOUBLE_EQ(seven.look_at[1], 77);
    EXPECT_DOUBLE_EQ(seven.look_at[2], 88);
    EXPECT_DOUBLE_EQ(seven.anchor[0], 11);
    EXPECT_DOUBLE_EQ(seven.anchor[1], 22);
    EXPECT_DOUBLE_EQ(seven.anchor[2], -400);

    // With the countdown out, steering only stores its values.
    match_globals.restart_countdown = 0;
    r.duration = 0; // never ends by itself
    auto_camera_request = r;
    set_camera_position(1000, 2000, 3000, 5, 6, 7);
    EXPECT_EQ(auto_camera_request.position_source[0], nullptr);
    EXPECT_NE(seven.max_speed[0], 5);
    update_automatic_camera();
    EXPECT_EQ(auto_camera_active, 1) << "a duration of 0 never ends";

    match_globals.restart_countdown = 10;
    set_camera_position(1000, 2000, 3000, 5, 6, 7);
    set_camera_look_at(256, 512, -256, 20);
    EXPECT_DOUBLE_EQ(seven.max_speed[0], 5);
    EXPECT_DOUBLE_EQ(seven.max_speed[2], 7);
    EXPECT_DOUBLE_EQ(seven.acceleration[1], 100);
    EXPECT_DOUBLE_EQ(seven.fov_target, 20);
    update_automatic_camera();
    EXPECT_DOUBLE_EQ(seven.anchor[0], 390.625);
    EXPECT_DOUBLE_EQ(seven.anchor[2], 1171.875);
    EXPECT_DOUBLE_EQ(seven.look_at[0], 100);
    EXPECT_DOUBLE_EQ(seven.look_at[1], 200);
    EXPECT_DOUBLE_EQ(seven.look_at[2], -100);
}

TEST_F(Camera, ThrowInsWatchFromInsideTheSpotAtFifty)
{
    init_camera_system();
    match_globals.mark_x = 8000, match_globals.mark_y = -4000;
    for (uint8_t state : {37, 38, 39, 54}) {
        match_globals.match_state = state;
        camera_presets[7].fov_target = 33;
        compute_camera_view(100, 0, 100);
        // (8000 - 1000, -4000 + 500) in camera units, then 2000 toward the near side.
        EXPECT_DOUBLE_EQ(camera_presets[3].anchor[0], 2734) << int(state);
        EXPECT_DOUBLE_EQ(camera_presets[3].anchor[2], -1367 - 2000) << int(state);
        EXPECT_DOUBLE_EQ(camera_presets[3].fov_target, 50) << int(state);
        EXPECT_DOUBLE_EQ(camera_presets[7].fov_target, 33) << "the wing camera's zoom is left alone";
    }
}

TEST_F(Camera, FreeCameraSitsExactlyOnItsAxis)
{
    free_camera_side = 1;
    free_camera_control(40, 100, 500, 1);
    const CameraPreset& c = camera_presets[8];
    EXPECT_EQ(c.ix, 40 - 1200);
    EXPECT_EQ(c.iy, 100 + 200);
    EXPECT_EQ(c.iz, 500);
    EXPECT_DOUBLE_EQ(c.look_at[0], 40);
    EXPECT_DOUBLE_EQ(c.look_at[2], 500) << "looks along x";
}


// The replay orbit and the pick of a man to follow, in a loaded replay's
// playback.
int32_t playing_back() { return 1; }

class ReplayCamera : public GlFixture {
protected:
    void SetUp() override
    {
        GlFixture::SetUp();
        build_sincos_table();
        reset_camera_presets();
        clear_match_hooks();
        match_hooks.replay_playback_active = playing_back;
        std::memset(key_state, 0, sizeof key_state);
        match_globals = MatchGlobals{};
        ball_state = BallState{};
        for (TeamRecord& t : team_records)
            for (PlayerSlot& man : t.slots) man = PlayerSlot{}, man.model.primary.animation = -1;
        for (PlayerSlot& o : official_slots) o = PlayerSlot{}, o.model.primary.animation = -1;
        mouse_state = MouseState{};
        saved_hardware = use_3d_hardware;
        use_3d_hardware = 1;
        init_camera_system();
        camera_view = 9;
    }
    void TearDown() override
    {
        use_3d_hardware = saved_hardware;
        mouse_state = MouseState{};
        clear_match_hooks();
        reset_camera_presets();
        GlFixture::TearDown();
    }
    // A drag of the mouse by (dx, dy) with the buttons, over a few ticks, then let go.
    void drag(uint8_t buttons, int32_t dx, int32_t dy)
    {
        mouse_state.buttons = 0;
        update_match_camera();
        mouse_state.buttons = buttons;
        for (int i = 1; i <= 4; ++i) {
            mouse_state.x += dx / 4, mouse_state.y += dy / 4;
            update_match_camera();
            EXPECT_GE(camera_presets[9].position[1], 300.0) << "never below 300";
            EXPECT_GE(camera_presets[9].fov_target, 10.0);
            EXPECT_LE(camera_presets[9].fov_target, 86.0);
        }
        mouse_state.buttons = 0;
        update_match_camera();
    }
    uint32_t saved_hardware = 0;
};

TEST_F(ReplayCamera, TheOrbitTurnsAboutTheBallAndKeepsItsHeightAndZoomInRange)
{
    mouse_state.x = 320, mouse_state.y = 240;
    camera_resetup = 1;
    update_match_camera();
    EXPECT_EQ(camera_resetup, 0) << "the orbit took the re-setup";
    const int32_t start[3] = {replay_orbit.offset[0], replay_orbit.offset[1], replay_orbit.offset[2]};
    const double radius = std::hypot(start[0], start[2]);
    ASSERT_GT(radius, 100.0);

    // Sideways: a quarter turn is 4096, 16 a pixel of mouse.
    drag(MOUSE_LEFT, 256, 0);
    EXPECT_EQ(replay_orbit.turn, 4096);
    EXPECT_EQ(replay_orbit.height, 0);
    int32_t t[3];
    rotate_point_yaw(start[0], start[1], start[2], &t[0], &t[1], &t[2], 4096);
    const CameraPreset& c = camera_presets[9];
    EXPECT_NEAR(c.destination[0], c.anchor[0] - t[0], 1);
    EXPECT_NEAR(c.destination[2], c.anchor[2] - t[2], 1);
    EXPECT_NEAR(std::hypot(c.destination[0], c.destination[2]), radius, 2) << "the same distance round the ball";

    // Far down and far up: the height stays within 300..1500.
    drag(MOUSE_LEFT, 0, 4000);
    EXPECT_GE(c.anchor[1] - (t[1] + replay_orbit.height), 300 - 8);
    drag(MOUSE_LEFT, 0, -4000);
    EXPECT_LE(c.anchor[1] - (t[1] + replay_orbit.height), 1500 + 8);

    // The right button zooms, within 10..86.
    drag(MOUSE_RIGHT, 0, 2000);
    EXPECT_DOUBLE_EQ(replay_orbit.zoom, 86.0);
    drag(MOUSE_RIGHT, 0, -2000);
    EXPECT_DOUBLE_EQ(replay_orbit.zoom, 10.0);
    update_match_camera();
    EXPECT_DOUBLE_EQ(c.fov_target, 10.0) << "the next tick zooms to it";
}

TEST_F(ReplayCamera, TheReplayScreenWatchesFromTheOrbitCameraPlacedEachTick)
{
    match_hooks.replay_playback_active = nullptr;
    replay_screen.in_replay = 1;
    camera_view = 3;
    mouse_state.buttons = MOUSE_LEFT;
    mouse_state.x = 400;
    update_match_camera();
    EXPECT_EQ(camera_view, 9);
    EXPECT_EQ(current_camera, &camera_presets[9]);
    EXPECT_EQ(replay_orbit.turn, 0) << "placed afresh, so no drag turns it";
    replay_screen.in_replay = 0;
}

TEST_F(ReplayCamera, AClickOnAManFollowsHimAndElsewhereOnTheBall)
{
    look_down_minus_z();
    // The man's head and the ball both stand at the middle of the picture,
    // 128 ground units ahead of the eye.
    PlayerSlot& man = team_records[1].slots[4];
    man.model.primary.animation = 0;
    int32_t head[3];
    float angles[3];
    eval_animation(nullptr, head, angles, 0, 0, 8, 0);
    man.model.x = -head[0], man.model.height = -head[1], man.model.y = -128 * 256 - head[2];
    ball_state.y = -128 * 65536;

    PlayerSlot* picked = nullptr;
    EXPECT_EQ(pick_follow_target(320 + 20, 240, &picked), 0) << "15 pixels at the most";
    EXPECT_EQ(pick_follow_target(320 + 14, 240 - 14, &picked), 1);
    EXPECT_EQ(picked, &man) << "men before the ball";
    EXPECT_EQ(follow_kind, 1);

    man.model.primary.animation = -1; // not drawn
    EXPECT_EQ(pick_follow_target(320, 240, &picked), 1);
    EXPECT_EQ(follow_kind, 2);
    EXPECT_EQ(follow_man, nullptr);

    use_3d_hardware = 0;
    EXPECT_EQ(pick_follow_target(320, 240, &picked), 0) << "nothing is picked on the software path";
    use_3d_hardware = 1;

    // A click picks through the view keys and places every preset again.
    man.model.primary.animation = 0;
    mouse_state.x = 320, mouse_state.y = 240, mouse_state.new_buttons = MOUSE_LEFT;
    camera_select_by_keys();
    EXPECT_EQ(follow_man, &man);
    EXPECT_EQ(camera_resetup, 1);
    mouse_state.x = 10;
    camera_select_by_keys();
    EXPECT_EQ(camera_resetup, 0) << "a click on nothing";
    EXPECT_EQ(follow_man, &man) << "keeps the man followed";
}

// A man followed in a replay, posed on a loaded figure.
class FollowedMan : public DataDirTest {
protected:
    void SetUp() override
    {
        DataDirTest::SetUp();
        reset_camera_presets();
        std::memset(animation_table, 0, sizeof animation_table);
        put("3d display/pgfs/midplayer_shorthair.pgf", write_tca(skeleton_model(simple_pivots())));
        load_player_model();
    }
    void TearDown() override
    {
        std::memset(animation_table, 0, sizeof animation_table);
        free_player_model();
        reset_camera_presets();
        DataDirTest::TearDown();
    }
};

TEST_F(FollowedMan, IsWatchedAtHisHeadAsItIsDrawnNow)
{
    // A leap: the root rises 40 model units a frame.
    PafFileData leap = still_animation(4, 0);
    for (size_t k = 0; k < leap.tracks[0].pos.size(); ++k) leap.tracks[0].pos[k].y = 40.0f * static_cast<float>(k);
    std::unique_ptr<PafAnimation, void (*)(PafAnimation*)> anim(parse_or_fail(write_paf(leap)), free_paf);
    ASSERT_NE(anim, nullptr);
    animation_table[5].data = anim.get();
    PlayerSlot man{};
    man.x = 2560, man.y = -1280;
    man.model.primary.animation = 5;
    man.model.primary.time = 3 * PAF_FRAME_US;
    int32_t head0[3], head[3];
    float angles[3];
    eval_animation(nullptr, head0, angles, 5, 0, 8, 0);
    eval_animation(nullptr, head, angles, 5, man.model.primary.time, 8, 0);
    ASSERT_NE(head[1] >> 8, head0[1] >> 8) << "the leap must lift the head";
    follow_kind = 1, follow_man = &man;
    int32_t x = 0, y = 0, z = 0;
    ASSERT_TRUE(camera_target_point(&x, &y, &z));
    EXPECT_EQ(x, 1000);
    EXPECT_EQ(z, -500);
    EXPECT_EQ(y, static_cast<int32_t>((head[1] >> 8) * 0.390625)) << "the head at the drawn frame, not the first";
}

} // namespace
