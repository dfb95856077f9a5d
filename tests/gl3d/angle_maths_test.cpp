// Sine tables, integer rotations and the matrix helpers on integer angles.
#include "gl3d/angle_maths.h"
#include "gl3d/camera_globals.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class AngleMathsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { build_sincos_table(); }
};

TEST_F(AngleMathsTest, TableEntries)
{
    struct Case {
        const int32_t* table;
        int32_t index, value;
    };
    const Case cases[] = {
        {fine_sine_table, 0, 0},           {fine_sine_table, 4096, 65536},      {fine_sine_table, 8192, 0},
        {fine_sine_table, 12288, -65536},  {fine_cosine_table, 0, 65536},       {fine_cosine_table, 8192, -65536},
        {fine_sine_table, 2048, 46341},    {fine_tangent_table, 2048, 65536},   {fine_tangent_table, 0, 0},
        {fine_tangent_table, 4096, INT32_MIN}, {fine_tangent_table, 12288, INT32_MIN}, {fine_tangent_table, 14336, -65536},
    };
    for (const Case& c : cases) EXPECT_EQ(c.table[c.index], c.value) << c.index;
    EXPECT_GT(fine_tangent_table[4095], 100000000);
}

TEST_F(AngleMathsTest, PointRotations)
{
    using Rotation = void (*)(int32_t, int32_t, int32_t, int32_t*, int32_t*, int32_t*, int32_t);
    struct Case {
        Rotation rotate;
        int32_t p[3];
        int32_t angle;
        int32_t expected[3];
    };
    const Case cases[] = {
        {rotate_point_yaw, {0, 0, 1200}, 4096, {1200 * -1, 0, 0}},
        {rotate_point_roll, {1200, 0, 0}, 4096, {0, 1200, 0}},
        {rotate_point_pitch, {0, 1200, 0}, 4096, {0, 0, -1200}},
        {rotate_point_yaw, {123, -456, 789}, 0, {123, -456, 789}},
        {rotate_point_pitch, {-7, 8, -9}, 16384, {-7, 8, -9}},
        {rotate_point_roll, {5, 6, 7}, -16384, {5, 6, 7}},
        {rotate_point_yaw, {1000, 5, 0}, 8192, {-1000, 5, 0}},
    };
    for (const Case& c : cases) {
        int32_t o[3];
        c.rotate(c.p[0], c.p[1], c.p[2], &o[0], &o[1], &o[2], c.angle);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(o[i], c.expected[i]) << "angle " << c.angle << " coordinate " << i;
    }
    // Angles a whole turn apart agree.
    int32_t a[3], b[3];
    rotate_point_yaw(300, 0, 700, &a[0], &a[1], &a[2], 1000);
    rotate_point_yaw(300, 0, 700, &b[0], &b[1], &b[2], 1000 + 16384);
    EXPECT_EQ(a[0], b[0]);
    EXPECT_EQ(a[2], b[2]);
    // Products are formed in 64 bits: a large coordinate does not overflow.
    rotate_point_roll(2000000000, 0, 0, &a[0], &a[1], &a[2], 0);
    EXPECT_EQ(a[0], 2000000000);
}

TEST_F(AngleMathsTest, PointProjection)
{
    camera_globals.projection_scale = 500.0;
    int32_t x = 0, y = 0;
    project_point(100, 50, 0, &x, &y);
    EXPECT_EQ(x, 420);
    EXPECT_EQ(y, 240 - 50);
    project_point(100, 50, 500, &x, &y); // twice as far: half the offset
    EXPECT_EQ(x, 370);
    EXPECT_EQ(y, 215);
    project_point(5, 3, 500, &x, &y); // 2.5 and 1.5: ties go to even
    EXPECT_EQ(x, 322);
    EXPECT_EQ(y, 238);

    camera_globals = {1000, 0, 0, 0, 0, 50.0, 500.0};
    EXPECT_EQ(project_world_point(1100, 0, 0, &x, &y), 0);
    EXPECT_EQ(x, 420);
    x = -1;
    EXPECT_EQ(project_world_point(1000, 0, -20, &x, &y), -20);
    EXPECT_EQ(x, -1); // behind the camera: not projected
    camera_globals = INITIAL_CAMERA_GLOBALS;
}

TEST_F(AngleMathsTest, MatrixRotationsAndEulerAngles)
{
    struct Case {
        void (*rotate)(int32_t, double*);
        int32_t angle;
        int16_t x, y, z;
    };
    const Case cases[] = {
        {rotate_matrix_z, 1000, 0, 0, 1000},
        {rotate_matrix_x, 2000, 2000, 0, 0},
        {rotate_matrix_y, 1500, 0, 1500, 0},
        {rotate_matrix_z, -1000, 0, 0, 16384 - 1000},
    };
    for (const Case& c : cases) {
        double m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        c.rotate(c.angle, m);
        int16_t x, y, z;
        matrix_to_euler_angles(m, &x, &y, &z);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(z, c.z);
    }
    double m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    rotate_matrix_z(4096, m);
    EXPECT_NEAR(m[1], -1.0, 1e-12); // the z turn runs against x and y: e1' = e1 c - e0 s
    rotate_matrix_x(4096, m);
    EXPECT_NEAR(m[2], -1.0, 1e-12); // e2' = e2 c + e1 s
}

TEST_F(AngleMathsTest, PointTransformSigns)
{
    const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    int32_t x = 12, y = -34, z = 56;
    transform_point_by_matrix(&x, &y, &z, identity);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, -34);
    EXPECT_EQ(z, 56);
    const double m[9] = {1, 2, 3, 4, 1, 5, 6, 7, 1};
    x = 1, y = 1, z = 1;
    transform_point_by_matrix(&x, &y, &z, m);
    EXPECT_EQ(x, 1 - 4 - 6);
    EXPECT_EQ(y, -2 + 1 + 7);
    EXPECT_EQ(z, -3 + 5 + 1);
    const double half[9] = {0.5, 0, 0, 0, 1.5, 0, 0, 0, 2.5};
    x = 1, y = 1, z = 1;
    transform_point_by_matrix(&x, &y, &z, half);
    EXPECT_EQ(x, 0); // ties to even
    EXPECT_EQ(y, 2);
    EXPECT_EQ(z, 2);
}

TEST_F(AngleMathsTest, SmallHelpers)
{
    EXPECT_EQ(round_to_int(2.5), 2);
    EXPECT_EQ(round_to_int(-3.5), -4);
    double c = 0;
    EXPECT_NEAR(sin_cos(M_PI / 2, &c), 1.0, 1e-12);
    EXPECT_NEAR(c, 0.0, 1e-12);
    EXPECT_EQ(fixed_multiply(3 << 16, 1 << 15), 3 << 15);
    EXPECT_NEAR(power(2.0, 10.0), 1024.0, 1e-9);
    uint16_t ax, ay, az;
    double m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    rotate_matrix_z(-100, m);
    matrix_to_euler_angles_modulo(m, &ax, &ay, &az);
    EXPECT_EQ(static_cast<int16_t>(az), -100); // a negative angle stays negative
    double r[9];
    matrix_axis_rotation(4096, 0, 0, 1, r);
    EXPECT_NEAR(r[1], 1.0, 1e-12);
    EXPECT_NEAR(r[3], -1.0, 1e-12);
}

} // namespace
