#include "model/rotation_keys.h"

#include "model/rotation.h"

#include <cmath>

void interp_key_a(const float q[4], double m[9])
{
    double q0 = q[0], q1 = q[1], q2 = q[2], q3 = q[3];
    m[0] = 1 - 2 * q2 * q2 - 2 * q3 * q3;
    m[1] = -2 * q1 * q2 - 2 * q0 * q3;
    m[2] = 2 * q0 * q2 - 2 * q1 * q3;
    m[3] = 2 * q0 * q3 - 2 * q1 * q2;
    m[4] = 1 - 2 * q1 * q1 - 2 * q3 * q3;
    m[5] = 2 * q0 * q1 + 2 * q2 * q3;
    m[6] = -2 * q1 * q3 - 2 * q0 * q2;
    m[7] = 2 * q2 * q3 - 2 * q0 * q1;
    m[8] = 1 - 2 * q1 * q1 - 2 * q2 * q2;
}

void euler_to_quat(float out[4], float e1, float e2, float e3)
{
    float s1 = std::sin(e1 / 2), k1 = std::cos(e1 / 2);
    float s2 = std::sin(e2 / 2), k2 = std::cos(e2 / 2);
    float s3 = std::sin(e3 / 2), k3 = std::cos(e3 / 2);
    out[0] = k1 * k3 * k2 - s1 * s3 * s2;
    out[1] = k1 * s3 * s2 + s1 * k3 * k2;
    out[2] = k1 * k3 * s2 - s1 * s3 * k2;
    out[3] = -k1 * s3 * k2 - s1 * k3 * s2;
}

void quat_shortest_arc(const float a[4], float b[4])
{
    float d = 0;
    for (int i = 0; i < 4; ++i) d += (a[i] - b[i]) * (a[i] - b[i]) - (a[i] + b[i]) * (a[i] + b[i]);
    if (d > 0)
        for (int i = 0; i < 4; ++i) b[i] = -b[i];
}

void quat_interpolate(const float a[4], const float b[4], float out[4], float t)
{
    float c[4] = {b[0], b[1], b[2], b[3]};
    quat_shortest_arc(a, c);
    double cosw = 0;
    for (int i = 0; i < 4; ++i) cosw += static_cast<double>(a[i]) * c[i];
    if (cosw >= 1.0) {
        for (int i = 0; i < 4; ++i) out[i] = a[i];
        return;
    }
    double w = std::acos(cosw), s = std::sin(w);
    double fa = std::sin((1 - t) * w) / s, fb = std::sin(t * w) / s;
    for (int i = 0; i < 4; ++i) out[i] = static_cast<float>(a[i] * fa + c[i] * fb);
}

void interp_key_b(const float a[4], const float b[4], float out[4])
{
    float r0 = a[0] * b[0] - a[1] * b[1] - a[2] * b[2] - a[3] * b[3];
    float r1 = a[0] * b[1] + b[0] * a[1] + a[2] * b[3] - a[3] * b[2];
    float r2 = a[0] * b[2] + b[0] * a[2] + a[3] * b[1] - a[1] * b[3];
    float r3 = a[0] * b[3] + b[0] * a[3] + a[1] * b[2] - a[2] * b[1];
    out[0] = r0, out[1] = r1, out[2] = r2, out[3] = r3;
}

void mat3_to_quat(const double m[9], float out[4])
{
    float x, y, z;
    mat3_to_euler(m, &x, &y, &z);
    euler_to_quat(out, x, y, z);
}

const float* axis_angle_to_quat(const float axis_angle[4], float out[4])
{
    float h = axis_angle[3] / 2, s = std::sin(h);
    out[0] = std::cos(h);
    out[1] = s * axis_angle[0];
    out[2] = s * axis_angle[1];
    out[3] = s * axis_angle[2];
    return axis_angle;
}
