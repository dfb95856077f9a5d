// The hardware camera: overlay nesting, viewport fitting and point projection.
#include "gl_fixture.h"

#include "gl3d/hw_camera.h"

#include <cmath>

namespace {

class CameraTest : public GlFixture {
protected:
    void SetUp() override
    {
        GlFixture::SetUp();
        reset_hw_camera();
        init_hw_lens();
    }
    void eye(float* out) { get_hw_camera_view(out, nullptr, nullptr); }
};

TEST_F(CameraTest, LensDerivedScales)
{
    EXPECT_NEAR(get_projection_scale(), -579.4113f, 1e-3f);
    EXPECT_NEAR(get_lens_scale(), 18.0f, 1e-4f); // 18 / tan 45
    set_hw_fov(90);
    EXPECT_NEAR(get_projection_scale(), -240.0f, 1e-3f);
    float fov, near_plane, far_plane;
    get_hw_lens(&fov, &near_plane, &far_plane);
    EXPECT_EQ(fov, 90);
    EXPECT_FLOAT_EQ(near_plane, 0.1f);
    EXPECT_EQ(far_plane, 2000);
}

TEST_F(CameraTest, TheRebuildKeepsClipAndViewMatrices)
{
    const float e[3] = {0, 0, 10}, t[3] = {0, 0, 0};
    set_hw_camera_view(e, t, 3.5f);
    float m[16], p[16], expected[16];
    get_matrix(GL_MODELVIEW_MODE, m);
    get_matrix(GL_PROJECTION_MODE, p);
    gl_multiply_matrix4(expected, p, m);
    expect_matrix_near(clip_matrix, expected);
    expect_matrix_near(view_matrix, m, 0);
    float view_param = 0;
    get_hw_camera_view(nullptr, nullptr, &view_param);
    EXPECT_EQ(view_param, 3.5f);
}

TEST_F(CameraTest, OverlaysNestAndRestoreOnce)
{
    const float e[3] = {1, 2, 3}, t[3] = {4, 5, 6};
    set_hw_camera_view(e, t, 0);
    begin_2d_overlay();
    begin_2d_overlay();
    float now[3];
    eye(now);
    EXPECT_NEAR(now[2], 579.4113f, 1e-3f); // one world unit is one pixel of the height
    end_2d_overlay();
    EXPECT_EQ(get_overlay_active(), 1);
    end_2d_overlay();
    EXPECT_EQ(get_overlay_active(), 0);
    eye(now);
    EXPECT_EQ(now[0], 1);
    EXPECT_EQ(now[2], 3);
    end_2d_overlay(); // without a begin: nothing
    eye(now);
    EXPECT_EQ(now[2], 3);
}

TEST_F(CameraTest, ACameraChangeEndsTheOverlay)
{
    set_hw_fov(60);
    begin_2d_overlay();
    const float e[3] = {7, 7, 7}, t[3] = {0, 0, 0};
    set_hw_camera_view(e, t, 0);
    EXPECT_EQ(get_overlay_active(), 0);
    end_2d_overlay();
    float now[3];
    eye(now);
    EXPECT_EQ(now[0], 7);
    EXPECT_EQ(get_hw_fov(), 45); // the overlay's lens stays with the new camera
}

TEST_F(CameraTest, ViewportFitting)
{
    struct Case {
        float ratio;
        int32_t x, y, w, h;       // asked
        int32_t gx, gy, gw, gh;   // the GL viewport that results
    };
    const Case cases[] = {
        {-1.0f, 10, 20, 300, 200, 11, 21, 298, 198},   // no ratio: as asked, less the border
        {16.0f / 9.0f, 0, 0, 640, 480, 1, 61, 638, 358}, // letterbox: 360 lines, centred
        {0.5f, 0, 0, 640, 480, 201, 1, 238, 478},        // narrow: 0.5 x 480 = 240 columns, centred
        {1.2f, 0, 0, 640, 480, 33, 1, 574, 478},         // between 1 and 4:3: the width is fitted
    };
    for (const Case& c : cases) {
        reset_hw_camera();
        update_hw_camera(c.ratio);
        set_viewport(c.x, c.y, c.w, c.h);
        const GlViewport& vp = context->viewport;
        EXPECT_EQ(vp.x, c.gx) << c.ratio;
        EXPECT_EQ(vp.y, c.gy) << c.ratio;
        EXPECT_EQ(vp.width, c.gw) << c.ratio;
        EXPECT_EQ(vp.height, c.gh) << c.ratio;
        int32_t rx, ry, rw, rh;
        get_requested_viewport(&rx, &ry, &rw, &rh);
        EXPECT_EQ(rw, c.w);
        EXPECT_EQ(viewport_width(), 640);
    }
}

TEST_F(CameraTest, OffScreenPointsArePushedToTheEdge)
{
    reset_hw_camera();
    update_hw_camera(-1);
    const float e[3] = {0, 0, 0}, t[3] = {0, 0, -1};
    set_hw_camera_view(e, t, 0);
    int32_t x = 0, y = 0;
    const float ahead[3] = {0, 0, -10};
    EXPECT_EQ(project_to_screen(ahead, &x, &y), 1);
    EXPECT_NEAR(x, 320, 1);
    EXPECT_NEAR(y, 240, 1);

    const float far_right[3] = {1000, 0, -10};
    EXPECT_EQ(project_to_screen(far_right, &x, &y), 0);
    EXPECT_EQ(x, static_cast<int32_t>(std::lrint(320 + 0.97 * 320)));
    EXPECT_EQ(y, 240);

    // Behind the eye the projection turns the point over; mirroring it back
    // keeps it on its own side.
    const float behind_right[3] = {1000, 0, 10};
    EXPECT_EQ(project_to_screen(behind_right, &x, &y), 0);
    EXPECT_EQ(x, static_cast<int32_t>(std::lrint(320 + 0.97 * 320)));
    const float behind_left[3] = {-1000, 0, 10};
    EXPECT_EQ(project_to_screen(behind_left, &x, &y), 0);
    EXPECT_EQ(x, static_cast<int32_t>(std::lrint(320 - 0.97 * 320)));

    // Steeply up: the height is the limit.
    const float high[3] = {10, 1000, -10};
    EXPECT_EQ(project_to_screen(high, &x, &y), 0);
    EXPECT_EQ(std::abs(y - 240), static_cast<int32_t>(std::lrint(0.97 * 240)));
    EXPECT_LT(std::abs(x - 320), 5);
}

TEST_F(CameraTest, TransitionsStartByNumber)
{
    static int started = 0, stopped = 0;
    static const HwTransitionOps ops = {
        [](HwTransition* self, int32_t ms, int32_t) {
            self->started = 1;
            started = ms;
            return 7;
        },
        [](HwTransition*) {}, [](HwTransition*) { ++stopped; }};
    HwTransition fade{&ops, 0};
    HwTransition* const table[] = {nullptr, &fade};
    set_hw_transition_table(table, 2);
    EXPECT_EQ(hw_transition_running(), 0);
    finish_hw_transition(); // none: nothing
    EXPECT_EQ(stopped, 0);
    EXPECT_EQ(start_hw_transition(1, 500, 0), 7);
    EXPECT_EQ(started, 500);
    EXPECT_EQ(hw_transition_running(), 1);
    // Finishing puts the full viewport back only for a transition that started.
    int32_t w = 0;
    fade.started = 0;
    set_viewport(10, 20, 300, 200);
    finish_hw_transition();
    EXPECT_EQ(stopped, 1);
    get_requested_viewport(nullptr, nullptr, &w, nullptr);
    EXPECT_EQ(w, 300);
    fade.started = 1;
    finish_hw_transition();
    EXPECT_EQ(stopped, 2);
    get_requested_viewport(nullptr, nullptr, &w, nullptr);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(start_hw_transition(5, 500, 0), 0);
    set_hw_transition_table(nullptr, 0);
    clear_hw_transition();
}

} // namespace
