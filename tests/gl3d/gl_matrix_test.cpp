// Matrices, projections and the front functions of the GL layer.
#include "gl_fixture.h"

#include <cmath>
#include <memory>

namespace {

const float k_identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

using MatrixTest = GlFixture;

TEST_F(MatrixTest, NothingChangesBeforeAModeIsChosen)
{
    float m[16];
    gl_translate(1, 2, 3);
    gl_rotate(30, 0, 0, 1);
    gl_scale(2, 2, 2);
    get_matrix(GL_MODELVIEW_MODE, m);
    expect_matrix_near(m, k_identity, 0);
    gl_matrix_mode(0x1234); // not a mode: still none
    gl_translate(1, 2, 3);
    get_matrix(GL_PROJECTION_MODE, m);
    expect_matrix_near(m, k_identity, 0);
    EXPECT_FALSE(gl_push_matrix());
}

TEST_F(MatrixTest, RotationsMovePointsAsExpected)
{
    struct Case {
        float angle, ax, ay, az;
        float p[3], expected[3];
    };
    const Case cases[] = {
        {90, 0, 0, 1, {1, 0, 0}, {0, 1, 0}},
        {90, 0, 0, 5, {1, 0, 0}, {0, 1, 0}},   // the axis is normalised
        {90, 1, 0, 0, {0, 1, 0}, {0, 0, 1}},
        {-90, 0, 1, 0, {1, 0, 0}, {0, 0, 1}},
        {180, 0, 1, 0, {1, 2, 3}, {-1, 2, -3}},
        {37, 0, 0, 0, {1, 2, 3}, {1, 2, 3}},   // a zero axis leaves everything
    };
    for (const Case& c : cases) {
        gl_matrix_mode(GL_MODELVIEW_MODE);
        gl_load_identity();
        gl_rotate(c.angle, c.ax, c.ay, c.az);
        const float* m = context->modelview;
        for (int i = 0; i < 3; ++i) {
            float v = m[i] * c.p[0] + m[4 + i] * c.p[1] + m[8 + i] * c.p[2] + m[12 + i];
            EXPECT_NEAR(v, c.expected[i], 1e-5f) << "angle " << c.angle << " coordinate " << i;
        }
    }
}

TEST_F(MatrixTest, TranslateAndScaleComposeOnTheRight)
{
    gl_matrix_mode(GL_MODELVIEW_MODE);
    gl_load_identity();
    gl_translate(10, 20, 30);
    gl_scale(2, 3, 4);
    gl_translate(1, 1, 1); // in scaled units: (2, 3, 4)
    const float expected[16] = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 12, 23, 34, 1};
    expect_matrix_near(context->modelview, expected);
}

TEST_F(MatrixTest, ProjectionShapes)
{
    gl_matrix_mode(GL_PROJECTION_MODE);
    gl_load_identity();
    glu_perspective(90, 1, 1, 100);
    const float* p = context->projection;
    EXPECT_NEAR(p[0], 1.0f, 1e-6f);
    EXPECT_NEAR(p[5], 1.0f, 1e-6f);
    EXPECT_NEAR(p[10], -101.0f / 99.0f, 1e-6f);
    EXPECT_NEAR(p[14], -200.0f / 99.0f, 1e-6f);
    EXPECT_EQ(p[11], -1.0f);
    EXPECT_EQ(p[15], 0.0f);

    gl_load_identity();
    gl_ortho(0, 640, 480, 0, -1, 1);
    const float ortho[16] = {2.0f / 640, 0, 0, 0, 0, -2.0f / 480, 0, 0, 0, 0, -1, 0, -1, 1, 0, 1};
    expect_matrix_near(context->projection, ortho);

    gl_load_identity();
    const int32_t viewport[4] = {0, 0, 640, 480};
    glu_pick_matrix(320, 240, 10, 10, viewport);
    const float pick[16] = {64, 0, 0, 0, 0, 48, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    expect_matrix_near(context->projection, pick);

    // Off centre: the shifts of a pick region and of an asymmetric frustum.
    gl_load_identity();
    glu_pick_matrix(100, 50, 10, 20, viewport);
    const float pick_off_centre[16] = {64, 0, 0, 0, 0, 24, 0, 0, 0, 0, 1, 0, 44, 19, 0, 1};
    expect_matrix_near(context->projection, pick_off_centre);
    gl_load_identity();
    gl_frustum(-1, 3, -2, 4, 1, 10);
    const float skewed[16] = {0.5f, 0, 0, 0, 0, 1.0f / 3, 0, 0, 0.5f, 1.0f / 3, -11.0f / 9, -1, 0, 0, -20.0f / 9, 0};
    expect_matrix_near(context->projection, skewed);
}

TEST_F(MatrixTest, FrustumWithoutPositiveNearOrFarChangesNothing)
{
    gl_matrix_mode(GL_PROJECTION_MODE);
    gl_load_identity();
    gl_frustum(-1, 1, -1, 1, 0, 10);
    gl_frustum(-1, 1, -1, 1, 1, -10);
    expect_matrix_near(context->projection, k_identity, 0);
}

TEST_F(MatrixTest, StacksRestoreExactlyAndRefuseA33rdPush)
{
    gl_matrix_mode(GL_PROJECTION_MODE);
    gl_load_identity();
    glu_perspective(53, 4.0f / 3.0f, 0.01f, 2000);
    float before[16];
    std::memcpy(before, context->projection, sizeof before);
    ASSERT_TRUE(gl_push_matrix());
    gl_rotate(33, 1, 2, 3);
    gl_translate(4, 5, 6);
    gl_pop_matrix();
    EXPECT_EQ(std::memcmp(before, context->projection, sizeof before), 0);

    // Fill the stack with distinct matrices; the 33rd push is refused and the
    // 32 kept ones come back in order.
    gl_matrix_mode(GL_MODELVIEW_MODE);
    for (int i = 0; i < 32; ++i) {
        gl_load_identity();
        gl_translate(static_cast<float>(i), 0, 0);
        ASSERT_TRUE(gl_push_matrix()) << i;
    }
    EXPECT_FALSE(gl_push_matrix());
    EXPECT_EQ(context->modelview_depth, 32u);
    for (int i = 31; i >= 0; --i) {
        gl_pop_matrix();
        EXPECT_EQ(context->modelview[12], static_cast<float>(i));
    }
    gl_load_identity();
    gl_pop_matrix(); // empty: ignored
    expect_matrix_near(context->modelview, k_identity, 0);
}

TEST_F(MatrixTest, InverseOfARigidTransformAndOfASingularMatrix)
{
    gl_matrix_mode(GL_MODELVIEW_MODE);
    gl_load_identity();
    gl_translate(3, -4, 5);
    gl_rotate(40, 1, 1, 0);
    gl_scale(2, 2, 2);
    float inverse[16], product[16];
    ASSERT_EQ(gl_invert_matrix(context->modelview, inverse), 1);
    gl_multiply_matrix4(product, context->modelview, inverse);
    expect_matrix_near(product, k_identity, 1e-5f);

    float singular[16] = {1, 2, 3, 0, 2, 4, 6, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float untouched[16];
    std::memcpy(untouched, inverse, sizeof untouched);
    EXPECT_EQ(gl_invert_matrix(singular, inverse), 0);
    EXPECT_EQ(std::memcmp(untouched, inverse, sizeof untouched), 0);
}

TEST_F(MatrixTest, ProductMayWriteOverItsFirstOperand)
{
    float a[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    float b[16] = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 1, 1, 1};
    float expected[16];
    gl_multiply_matrix4(expected, a, b);
    gl_multiply_matrix4(a, a, b);
    expect_matrix_near(a, expected, 0);
    // Column 3 of the product is A times (1, 1, 1, 1).
    EXPECT_EQ(expected[12], 1 + 5 + 9 + 13);
}

TEST_F(MatrixTest, LookAtAndItsInverse)
{
    set_look_at(0, 0, 10, 0, 0, 0);
    float m[16];
    get_matrix(GL_MODELVIEW_MODE, m);
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -10, 1};
    expect_matrix_near(m, expected);
    float product[16];
    gl_multiply_matrix4(product, m, context->inverse_modelview);
    expect_matrix_near(product, k_identity);

    // Eye on the centre: z stays 0, the translation by minus the eye remains.
    set_look_at(1, 2, 3, 1, 2, 3);
    get_matrix(GL_MODELVIEW_MODE, m);
    EXPECT_EQ(m[12], 0.0f);
    EXPECT_EQ(m[13], 0.0f);
    EXPECT_EQ(m[14], 0.0f);
    // That matrix is singular: the inverse is the identity.
    expect_matrix_near(context->inverse_modelview, k_identity, 0);

    set_look_at_inverted(0, 0, 10, 0, 0, 0);
    get_matrix(GL_MODELVIEW_MODE, m);
    EXPECT_NEAR(m[5], -1.0f, 1e-6f); // up is -y
}

TEST_F(MatrixTest, GetMatrixWithAnUnknownModeCopiesNothing)
{
    float out[16];
    for (float& v : out) v = 7;
    get_matrix(0, out);
    for (float v : out) EXPECT_EQ(v, 7);
}

TEST_F(MatrixTest, ViewportLimitsAndScales)
{
    struct Case {
        int32_t x, y, w, h;
        int32_t stored_w, stored_h;
    };
    const Case cases[] = {{5, 6, 0, 480, 1, 480}, {0, 0, 2000, 1300, 1600, 1200}, {-3, 7, 640, -5, 640, 1}};
    for (const Case& c : cases) {
        set_gl_viewport(c.x, c.y, c.w, c.h);
        const GlViewport& vp = context->viewport;
        EXPECT_EQ(vp.x, c.x);
        EXPECT_EQ(vp.y, c.y);
        EXPECT_EQ(vp.width, c.stored_w);
        EXPECT_EQ(vp.height, c.stored_h);
        EXPECT_EQ(vp.scale[0], c.stored_w / 2.0f);
        EXPECT_EQ(vp.offset[1], c.y + c.stored_h / 2.0f);
        EXPECT_EQ(vp.scale[2], 32767.5f);
    }
}

TEST_F(MatrixTest, DefaultViewportWithoutReshapeIsOnePixelShort)
{
    EXPECT_EQ(context->viewport.width, 639);
    EXPECT_EQ(context->viewport.height, 479);
}

TEST_F(MatrixTest, ColoursAndCapabilities)
{
    struct Case {
        float r, g, b, a;
        uint8_t expected[4];
    };
    const Case cases[] = {{1.5f, -0.2f, 0.5f, 1.0f, {255, 0, 127, 255}}, {0.0f, 1.0f, 0.25f, 0.999f, {0, 255, 63, 254}}};
    for (const Case& c : cases) {
        gl_enable(GL_CAP_LIGHTING);
        gl_enable(GL_CAP_COLOUR_MATERIAL);
        gl_colour4f(c.r, c.g, c.b, c.a);
        EXPECT_EQ(std::memcmp(context->current_colour, c.expected, 4), 0);
        EXPECT_EQ(context->lighting, 0);
        EXPECT_EQ(context->colour_material, 0);
    }
    gl_enable(GL_CAP_LIGHTING);
    gl_colour_white();
    EXPECT_EQ(context->lighting, 0);
    EXPECT_EQ(context->current_colour[0], 255);

    auto before = std::make_unique<gl_context>();
    std::memcpy(before.get(), context, sizeof(gl_context));
    gl_enable(0x4008);
    gl_enable(0x1234);
    EXPECT_EQ(std::memcmp(before.get(), context, sizeof(gl_context)), 0);
    gl_enable(0x4007);
    EXPECT_EQ(context->lights[7].enabled, 1);
    gl_enable(GL_CAP_DEPTH_TEST);
    EXPECT_EQ(context->depth_test, 1);
    gl_disable(GL_CAP_DEPTH_TEST);
    EXPECT_EQ(context->depth_test, 0);
}

TEST_F(MatrixTest, TextureStateLevels)
{
    EXPECT_EQ(gl_push_texture_state(1, 2, 0), 0);
    EXPECT_EQ(gl_push_texture_state(1, 2, 3), 1);
    EXPECT_EQ(context->texture_saved[2], 3u);
    EXPECT_EQ(gl_pop_texture_state(), 0);
    EXPECT_EQ(gl_pop_texture_state(), 0);
}

} // namespace
