#include "model/rotation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const float kPi = 3.1415927f;

TEST(Rotation, EulerOfIdentityAndOfTurnedMatrices)
{
    float x, y, z;
    mat3_to_euler(mat3_identity, &x, &y, &z);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(z, 0);
    // Angles that the three rotations build come back out.
    double m[9];
    mat3_from_angles(m, 0.3f, -0.2f, 0.5f);
    mat3_to_euler(m, &x, &y, &z);
    double back[9];
    mat3_from_angles(back, x, y, z);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(back[i], m[i], 1e-5) << i;
    // m0 negative puts z in the far half-turn.
    const double flipped[9] = {-1, 0.2, 0, -0.2, -1, 0, 0, 0, 1};
    mat3_to_euler(flipped, &x, &y, &z);
    EXPECT_GT(z, kPi / 2);
    EXPECT_LT(z, 3 * kPi / 2);
}

TEST(Rotation, EulerOfQuarterTurnsHasNoNaN)
{
    struct Case {
        double m[9];
        const char* what;
    };
    const Case cases[] = {
        {{0, 1, 0, -1, 0, 0, 0, 0, 1}, "m0 zero: z a quarter turn"},
        {{0, 0, 1, 0, 1, 0, -1, 0, 0}, "m0 and m1 zero"},
        {{1, 0, 0, 0, 0, 1, 0, -1, 0}, "m8 zero"},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0}, "every term zero"},
    };
    for (const Case& c : cases) {
        float x, y, z;
        mat3_to_euler(c.m, &x, &y, &z);
        EXPECT_TRUE(std::isfinite(x) && std::isfinite(y) && std::isfinite(z)) << c.what;
    }
    float x, y, z;
    mat3_to_euler(cases[0].m, &x, &y, &z);
    EXPECT_FLOAT_EQ(z, kPi / 2);
    mat3_to_euler(cases[2].m, &x, &y, &z);
    EXPECT_FLOAT_EQ(x, kPi / 2);
}

TEST(Rotation, MirrorAndVectorTurns)
{
    double m[9];
    mat3_mirror(mat3_identity, m);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], mat3_identity[i], 1e-12);
    // The mirror twin turns the other way about y and z, the same about x.
    double src[9], expect[9];
    mat3_from_angles(src, 0.2f, 0.3f, -0.4f);
    mat3_from_angles(expect, 0.2f, -0.3f, 0.4f);
    mat3_mirror(src, m);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], expect[i], 1e-5) << i;

    float x = 1, y = 7, z = 0;
    rotate_vector(&x, &y, &z, kPi / 2);
    EXPECT_NEAR(x, 0, 1e-6);
    EXPECT_EQ(y, 7);
    EXPECT_NEAR(z, 1, 1e-6);
}

// A turn kept as its cosine and sine, taken from rotate_vector of (1, 0),
// must move any vector to the very same floats as rotate_vector itself.
TEST(Rotation, AKeptTurnMatchesRotateVectorExactly)
{
    const float vectors[][2] = {{1, 0}, {0, 1}, {-3.25f, 0.7f}, {1e-3f, -2e4f}, {123.456f, 789.012f}};
    for (int i = 0; i < 256; ++i) {
        const float a = static_cast<float>(-i * 64 * 6.283185307179586 / 16384.0);
        float c = 1, unused = 0, s = 0;
        rotate_vector(&c, &unused, &s, a);
        for (const auto& v : vectors) {
            float x = v[0], y = 0, z = v[1];
            rotate_vector(&x, &y, &z, a);
            float kx = v[0], kz = v[1];
            turn_vector(&kx, &kz, c, s);
            ASSERT_EQ(kx, x) << i;
            ASSERT_EQ(kz, z) << i;
        }
    }
}

TEST(Rotation, VectorTimesMatrixIsTheTransposedProduct)
{
    double m[9];
    mat3_from_angles(m, 0.1f, 0.7f, -0.3f);
    const float v[3] = {3, -2, 5};
    float out[3];
    vec_mul_mat3(v, m, out);
    float x = v[0], y = v[1], z = v[2];
    mat3_transposed_product(m, &x, &y, &z);
    EXPECT_FLOAT_EQ(out[0], x);
    EXPECT_FLOAT_EQ(out[1], y);
    EXPECT_FLOAT_EQ(out[2], z);
    EXPECT_NEAR(out[0], m[0] * 3 - m[3] * 2 + m[6] * 5, 1e-5);
}

} // namespace
