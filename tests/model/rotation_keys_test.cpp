#include "model/rotation_keys.h"
#include "model/rotation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const float kPi = 3.14159265f;

void expect_quat(const float q[4], float a, float b, float c, float d, const char* what)
{
    EXPECT_NEAR(q[0], a, 1e-6) << what;
    EXPECT_NEAR(q[1], b, 1e-6) << what;
    EXPECT_NEAR(q[2], c, 1e-6) << what;
    EXPECT_NEAR(q[3], d, 1e-6) << what;
}

TEST(RotationKeys, InterpolationOfEqualAndOppositeKeys)
{
    const float a[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    float out[4];
    for (float t : {0.0f, 0.3f, 1.0f}) {
        quat_interpolate(a, a, out, t);
        expect_quat(out, 0.5f, 0.5f, 0.5f, 0.5f, "key with itself");
    }
    const float one[4] = {1, 0, 0, 0}, minus[4] = {-1, 0, 0, 0};
    quat_interpolate(one, minus, out, 0.7f);
    expect_quat(out, 1, 0, 0, 0, "opposite sign is the same turn");
}

TEST(RotationKeys, InterpolationTakesTheShorterArc)
{
    // A quarter turn about z, and the same turn written negated.
    const float a[4] = {1, 0, 0, 0};
    const float b[4] = {-std::cos(kPi / 4), 0, 0, -std::sin(kPi / 4)};
    float out[4];
    quat_interpolate(a, b, out, 0.5f);
    expect_quat(out, std::cos(kPi / 8), 0, 0, std::sin(kPi / 8), "half way");
}

TEST(RotationKeys, ConstructionsOfTheIdentityAndHalfTurns)
{
    float q[4];
    euler_to_quat(q, 0, 0, 0);
    expect_quat(q, 1, 0, 0, 0, "euler zero");
    const float zero[4] = {0.3f, 0.4f, 0.5f, 0};
    EXPECT_EQ(axis_angle_to_quat(zero, q), zero);
    expect_quat(q, 1, 0, 0, 0, "no angle");
    const float half[4] = {0, 0, 1, kPi};
    axis_angle_to_quat(half, q);
    expect_quat(q, 0, 0, 0, 1, "half turn about z");
    double m[9];
    const float one[4] = {1, 0, 0, 0};
    interp_key_a(one, m);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(m[i], mat3_identity[i]);
}

TEST(RotationKeys, ProductMatchesTheMatrices)
{
    // The matrix of a product is the product of the matrices (in the order
    // the figures are posed: the vector times the matrix).
    const float a[4] = {std::cos(0.4f), std::sin(0.4f), 0, 0};
    const float b[4] = {std::cos(0.3f), 0, std::sin(0.3f), 0};
    float ab[4];
    interp_key_b(a, b, ab);
    double ma[9], mb[9], mab[9], prod[9];
    interp_key_a(a, ma);
    interp_key_a(b, mb);
    interp_key_a(ab, mab);
    mat3_multiply(mb, ma, prod);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(mab[i], prod[i], 1e-6) << i;
}

} // namespace
