// Sine tables, matrix helpers on integer angles, point rotations and the
// software path's projection.
#include "gl3d/angle_maths.h"

#include "gl3d/camera_globals.h"
#include "host/picture.h"

#include <cmath>
#include <cstring>

int32_t fine_sine_table[ANGLE_UNITS];
int32_t fine_cosine_table[ANGLE_UNITS];
int32_t fine_tangent_table[ANGLE_UNITS];

namespace {

constexpr double k_angle_to_radians = 0.0003834951969714103; // 2 pi / 16384
constexpr double k_radians_to_angle = 2607.5945876176133;    // 8192 / pi

int32_t table_value(double v)
{
    double scaled = std::nearbyint(v * 65536.0);
    // Out of range (the tangent of a right angle) gives what x86 gives.
    if (!(scaled >= -2147483648.0 && scaled <= 2147483647.0)) return INT32_MIN;
    return static_cast<int32_t>(scaled);
}

// (v x table entry) >> 16 in 64 bits, the low 32 bits kept.
uint32_t fixed_product(int32_t v, int32_t t) { return static_cast<uint32_t>((int64_t(v) * t) >> 16); }

int32_t wrap(uint32_t v) { return static_cast<int32_t>(v); }

int16_t angle_of(double radians) { return static_cast<int16_t>(round_to_int(radians * k_radians_to_angle) & ANGLE_MASK); }

// Turns each row's pair (i, j): i' = i c - j s, j' = j c + i s.
void rotate_rows(double* m, int i, int j, double s, double c)
{
    for (int row = 0; row < 3; ++row) {
        double* r = m + 3 * row;
        double a = r[i], b = r[j];
        r[i] = a * c - b * s;
        r[j] = b * c + a * s;
    }
}

void euler_radians(const double* m, double* x, double* y, double* z)
{
    double t = -std::atan2(m[1], m[0]);
    *z = t;
    *y = std::atan2(m[2], m[0] * std::cos(t) - m[1] * std::sin(t));
    *x = std::atan2(m[5], m[8]);
}

void multiply3(const double* a, const double* b, double* out)
{
    double r[9];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[3 * i + j] = a[3 * i] * b[j] + a[3 * i + 1] * b[3 + j] + a[3 * i + 2] * b[6 + j];
    std::memcpy(out, r, sizeof r);
}

} // namespace

void build_sincos_table()
{
    for (int32_t i = 0; i < ANGLE_UNITS; ++i) {
        double a = i * k_angle_to_radians;
        fine_sine_table[i] = table_value(std::sin(a));
        fine_cosine_table[i] = table_value(std::cos(a));
        fine_tangent_table[i] = (i == 4096 || i == 12288) ? INT32_MIN : table_value(std::tan(a));
    }
}

void rotate_matrix_x(int32_t angle, double* m)
{
    double a = angle * k_angle_to_radians;
    rotate_rows(m, 1, 2, std::sin(a), std::cos(a));
}

void rotate_matrix_y(int32_t angle, double* m)
{
    double a = angle * k_angle_to_radians;
    rotate_rows(m, 0, 2, std::sin(a), std::cos(a));
}

void rotate_matrix_z(int32_t angle, double* m)
{
    double a = angle * k_angle_to_radians;
    rotate_rows(m, 0, 1, -std::sin(a), std::cos(a)); // the opposite way to x and y
}

void matrix_to_euler_angles(const double* m, int16_t* x_out, int16_t* y_out, int16_t* z_out)
{
    double x, y, z;
    euler_radians(m, &x, &y, &z);
    *z_out = angle_of(z);
    *y_out = angle_of(y);
    *x_out = angle_of(x);
}

void transform_point_by_matrix(int32_t* x, int32_t* y, int32_t* z, const double* m)
{
    long double px = *x, py = *y, pz = *z;
    *x = round_to_int(static_cast<double>(m[0] * px - m[3] * py - m[6] * pz));
    *y = round_to_int(static_cast<double>(-m[1] * px + m[4] * py + m[7] * pz));
    *z = round_to_int(static_cast<double>(-m[2] * px + m[5] * py + m[8] * pz));
}

void transform_point_by_matrix_other(int32_t* x, int32_t* y, int32_t* z, const double* m)
{
    long double px = *x, py = *y, pz = *z;
    *x = round_to_int(static_cast<double>(m[0] * px - m[1] * py - m[2] * pz));
    *y = round_to_int(static_cast<double>(-m[3] * px + m[4] * py + m[5] * pz));
    *z = round_to_int(static_cast<double>(-m[6] * px + m[7] * py + m[8] * pz));
}

int32_t round_to_int(double value)
{
    double r = std::nearbyint(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return INT32_MIN;
    return static_cast<int32_t>(r);
}

double sin_cos(double angle, double* cos_out)
{
    *cos_out = std::cos(angle);
    return std::sin(angle);
}

void matrix_to_euler_radians(const double* m, double* x_out, double* y_out, double* z_out)
{
    euler_radians(m, x_out, y_out, z_out);
}

void matrix_to_euler_angles_modulo(const double* m, uint16_t* x_out, uint16_t* y_out, uint16_t* z_out)
{
    double x, y, z;
    euler_radians(m, &x, &y, &z);
    *x_out = static_cast<uint16_t>(round_to_int(x * k_radians_to_angle) % ANGLE_UNITS);
    *y_out = static_cast<uint16_t>(round_to_int(y * k_radians_to_angle) % ANGLE_UNITS);
    *z_out = static_cast<uint16_t>(round_to_int(z * k_radians_to_angle) % ANGLE_UNITS);
}

void matrix_multiply_onto(const double* a, double* b) { multiply3(a, b, b); }
void matrix_multiply_onto_after(const double* a, double* b) { multiply3(b, a, b); }

void matrix_rotation_y(int32_t angle, double* out)
{
    double a = angle * k_angle_to_radians;
    const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::memcpy(out, identity, sizeof identity);
    out[0] = out[8] = std::cos(a);
    out[2] = std::sin(a);
    out[6] = -std::sin(a);
}

void matrix_mirror(double* m)
{
    static const int mirrored[4] = {1, 2, 3, 6};
    for (int i : mirrored) m[i] = -m[i];
}

void matrix_axis_rotation(int32_t angle, double x, double y, double z, double* out)
{
    double a = angle * k_angle_to_radians;
    double c = std::cos(a), s = std::sin(a), t = 1 - c;
    out[0] = x * x + (1 - x * x) * c;
    out[4] = y * y + (1 - y * y) * c;
    out[8] = z * z + (1 - z * z) * c;
    out[1] = x * y * t + z * s;
    out[3] = x * y * t - z * s;
    out[6] = z * x * t + y * s;
    out[2] = z * x * t - y * s;
    out[5] = y * z * t + x * s;
    out[7] = y * z * t - x * s;
}

void matrix_rotate_about_axis(int32_t angle, double x, double y, double z, double* m)
{
    double r[9];
    matrix_axis_rotation(angle, x, y, z, r);
    multiply3(m, r, m);
}

void matrix_from_angles(int16_t x, int16_t y, int16_t z, double* out)
{
    const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::memcpy(out, identity, sizeof identity);
    rotate_matrix_x(x, out);
    rotate_matrix_y(y, out);
    rotate_matrix_z(z, out);
}

void vector_by_angles(const float* v, int16_t x, int16_t y, int16_t z, float* out)
{
    double m[9];
    matrix_from_angles(x, y, z, m);
    float r[3];
    for (int i = 0; i < 3; ++i) r[i] = static_cast<float>(v[0] * m[i] + v[1] * m[3 + i] + v[2] * m[6 + i]);
    std::memcpy(out, r, sizeof r);
}

void direction_vector(const int32_t* a, const int32_t* b, float* out)
{
    for (int i = 0; i < 3; ++i) out[i] = static_cast<float>(b[i] - a[i]);
    normalise_vector(out);
}

void normalise_vector(float* v)
{
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0.0f) return;
    for (int i = 0; i < 3; ++i) v[i] /= length;
}

void cross_product(const float* a, const float* b, float* out)
{
    float r[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    std::memcpy(out, r, sizeof r);
}

void dot_product(const float* a, const float* b, float* out) { *out = a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

int32_t fixed_multiply(int32_t a, int32_t b) { return wrap(static_cast<uint32_t>((int64_t(a) * b) >> 16)); }

double float_abs(double value) { return std::fabs(value); }

double power(double x, double y) { return std::exp2(y * std::log2(x)); }

void rotate_point_pitch(int32_t x, int32_t y, int32_t z, int32_t* out_x, int32_t* out_y, int32_t* out_z, int32_t angle)
{
    uint32_t i = (0u - static_cast<uint32_t>(angle)) & ANGLE_MASK;
    int32_t s = fine_sine_table[i], c = fine_cosine_table[i];
    *out_x = x;
    *out_y = wrap(fixed_product(y, c) - fixed_product(z, s));
    *out_z = wrap(fixed_product(y, s) + fixed_product(z, c));
}

void rotate_point_yaw(int32_t x, int32_t y, int32_t z, int32_t* out_x, int32_t* out_y, int32_t* out_z, int32_t angle)
{
    uint32_t i = (0u - static_cast<uint32_t>(angle)) & ANGLE_MASK;
    int32_t s = fine_sine_table[i], c = fine_cosine_table[i];
    *out_x = wrap(fixed_product(x, c) + fixed_product(z, s));
    *out_y = y;
    *out_z = wrap(fixed_product(z, c) - fixed_product(x, s));
}

void rotate_point_roll(int32_t x, int32_t y, int32_t z, int32_t* out_x, int32_t* out_y, int32_t* out_z, int32_t angle)
{
    uint32_t i = static_cast<uint32_t>(angle) & ANGLE_MASK;
    int32_t s = fine_sine_table[i], c = fine_cosine_table[i];
    *out_x = wrap(fixed_product(x, c) - fixed_product(y, s));
    *out_y = wrap(fixed_product(x, s) + fixed_product(y, c));
    *out_z = z;
}

CameraGlobals camera_globals = INITIAL_CAMERA_GLOBALS;

void project_point(int32_t x, int32_t y, int32_t z, int32_t* screen_x, int32_t* screen_y)
{
    double f = z / camera_globals.projection_scale + 1.0;
    *screen_x = round_to_int(x / f) + PICTURE_WIDTH / 2;
    *screen_y = round_to_int(-static_cast<double>(y) / f) + PICTURE_HEIGHT / 2;
}

int32_t project_world_point(int32_t x, int32_t y, int32_t z, int32_t* screen_x, int32_t* screen_y)
{
    const CameraGlobals& cam = camera_globals;
    int32_t ox = wrap(uint32_t(x) - uint32_t(cam.x));
    int32_t oy = wrap(uint32_t(y) - uint32_t(cam.y));
    int32_t oz = wrap(uint32_t(z) - uint32_t(cam.z));
    rotate_point_yaw(ox, oy, oz, &ox, &oy, &oz, cam.yaw);
    rotate_point_pitch(ox, oy, oz, &ox, &oy, &oz, cam.pitch);
    if (oz < 0) return oz;
    project_point(ox, oy, oz, screen_x, screen_y);
    return oz;
}
