#include "model/rotation.h"

#include <cmath>

const double mat3_identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

namespace {
const float kPi = 3.1415927f;

// atan of n / d where d may be zero: the quotient is then infinite and its
// atan a quarter turn of n's sign (none at all when n is zero too).
float atan_quotient(double n, double d)
{
    if (d == 0.0) {
        if (n == 0.0) return 0.0f;
        return n > 0.0 ? kPi / 2 : -kPi / 2;
    }
    return static_cast<float>(std::atan(n / d));
}
} // namespace

void rotate_vector(float* x, float* y, float* z, float a)
{
    (void)y;
    turn_vector(x, z, std::cos(a), std::sin(a));
}

void turn_vector(float* x, float* z, float c, float s)
{
    float nx = *x * c - *z * s;
    float nz = *x * s + *z * c;
    *x = nx;
    *z = nz;
}

void mat3_rotate_x(float a, double m[9])
{
    double c = std::cos(a), s = std::sin(a);
    for (int r = 0; r < 3; ++r) {
        double e1 = m[r * 3 + 1], e2 = m[r * 3 + 2];
        m[r * 3 + 1] = e1 * c - e2 * s;
        m[r * 3 + 2] = e2 * c + e1 * s;
    }
}

void mat3_rotate_y(float a, double m[9])
{
    double c = std::cos(a), s = std::sin(a);
    for (int r = 0; r < 3; ++r) {
        double e0 = m[r * 3], e2 = m[r * 3 + 2];
        m[r * 3] = e0 * c - e2 * s;
        m[r * 3 + 2] = e2 * c + e0 * s;
    }
}

void mat3_rotate_z(float a, double m[9])
{
    double c = std::cos(a), s = std::sin(a);
    for (int r = 0; r < 3; ++r) {
        double e0 = m[r * 3], e1 = m[r * 3 + 1];
        m[r * 3] = e0 * c - e1 * s;
        m[r * 3 + 1] = e1 * c + e0 * s;
    }
}

void mat3_from_angles(double m[9], float ax, float ay, float az)
{
    for (int i = 0; i < 9; ++i) m[i] = mat3_identity[i];
    mat3_rotate_x(ax, m);
    mat3_rotate_y(ay, m);
    mat3_rotate_z(az, m);
}

void mat3_transposed_product(const double m[9], float* x, float* y, float* z)
{
    double vx = *x, vy = *y, vz = *z;
    *x = static_cast<float>(m[0] * vx + m[3] * vy + m[6] * vz);
    *y = static_cast<float>(m[1] * vx + m[4] * vy + m[7] * vz);
    *z = static_cast<float>(m[2] * vx + m[5] * vy + m[8] * vz);
}

void vec_mul_mat3(const float v[3], const double m[9], float out[3])
{
    float r[3];
    for (int i = 0; i < 3; ++i) r[i] = static_cast<float>(v[0] * m[i] + v[1] * m[3 + i] + v[2] * m[6 + i]);
    out[0] = r[0], out[1] = r[1], out[2] = r[2];
}

void mat3_multiply(const double a[9], const double b[9], double out[9])
{
    double r[9];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[i * 3 + j] = a[i * 3] * b[j] + a[i * 3 + 1] * b[3 + j] + a[i * 3 + 2] * b[6 + j];
    for (int i = 0; i < 9; ++i) out[i] = r[i];
}

void mat3_to_euler(const double m[9], float* x_out, float* y_out, float* z_out)
{
    float z = atan_quotient(m[1], m[0]);
    if (m[0] < 0) z += kPi;
    double c = std::sin(z) * m[1] + std::cos(z) * m[0];
    float y = atan_quotient(m[2], c);
    if (c < 0) y += kPi;
    float x = atan_quotient(m[5], m[8]);
    if (m[8] < 0) x += kPi;
    *x_out = x, *y_out = y, *z_out = z;
}

void mat3_to_euler_copy(const double m[9], float* x_out, float* y_out, float* z_out)
{
    double copy[9];
    for (int i = 0; i < 9; ++i) copy[i] = m[i];
    mat3_to_euler(copy, x_out, y_out, z_out);
}

void mat3_mirror(const double src[9], double dst[9])
{
    float x, y, z;
    mat3_to_euler(src, &x, &y, &z);
    mat3_from_angles(dst, x, -y, -z);
}
