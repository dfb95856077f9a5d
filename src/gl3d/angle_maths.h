// 3D maths on integer angles (16384 units to a turn): the sine, cosine and
// tangent tables in 16.16 fixed point, rotations of 3 x 3 double matrices,
// integer point rotations and the software path's point projection.
#pragma once

#include <cstdint>

constexpr int32_t ANGLE_UNITS = 16384;
constexpr int32_t ANGLE_MASK = 0x3FFF;

extern int32_t fine_sine_table[ANGLE_UNITS];
extern int32_t fine_cosine_table[ANGLE_UNITS];
extern int32_t fine_tangent_table[ANGLE_UNITS];

void build_sincos_table();

// Matrices are 3 x 3 doubles, row-major (m0 m1 m2 / m3 m4 m5 / m6 m7 m8).
void rotate_matrix_x(int32_t angle, double* m);
void rotate_matrix_y(int32_t angle, double* m);
void rotate_matrix_z(int32_t angle, double* m);
void matrix_to_euler_angles(const double* m, int16_t* x_out, int16_t* y_out, int16_t* z_out);
void transform_point_by_matrix(int32_t* x, int32_t* y, int32_t* z, const double* m);
int32_t round_to_int(double value);
double sin_cos(double angle, double* cos_out);

// The rest of the set, which the match does not call.
void matrix_to_euler_radians(const double* m, double* x_out, double* y_out, double* z_out);
void matrix_to_euler_angles_modulo(const double* m, uint16_t* x_out, uint16_t* y_out, uint16_t* z_out);
void matrix_multiply_onto(const double* a, double* b);       // b = a x b
void matrix_multiply_onto_after(const double* a, double* b); // b = b x a
void matrix_rotation_y(int32_t angle, double* out);
void matrix_mirror(double* m);
void matrix_axis_rotation(int32_t angle, double x, double y, double z, double* out);
void matrix_rotate_about_axis(int32_t angle, double x, double y, double z, double* m);
void matrix_from_angles(int16_t x, int16_t y, int16_t z, double* out);
void vector_by_angles(const float* v, int16_t x, int16_t y, int16_t z, float* out);
void direction_vector(const int32_t* a, const int32_t* b, float* out);
void normalise_vector(float* v);
void cross_product(const float* a, const float* b, float* out);
void dot_product(const float* a, const float* b, float* out);
void transform_point_by_matrix_other(int32_t* x, int32_t* y, int32_t* z, const double* m);
int32_t fixed_multiply(int32_t a, int32_t b);
double float_abs(double value);
double power(double x, double y);

// Integer rotations of a point about one axis (only the low 14 bits of the
// angle count); pitch and yaw turn by minus the angle, roll by the angle.
void rotate_point_pitch(int32_t x, int32_t y, int32_t z, int32_t* out_x, int32_t* out_y, int32_t* out_z, int32_t angle);
void rotate_point_yaw(int32_t x, int32_t y, int32_t z, int32_t* out_x, int32_t* out_y, int32_t* out_z, int32_t angle);
void rotate_point_roll(int32_t x, int32_t y, int32_t z, int32_t* out_x, int32_t* out_y, int32_t* out_z, int32_t angle);

// A camera-space point to the 640-pixel screen with the camera's projection
// scale D and the screen's centre line.
void project_point(int32_t x, int32_t y, int32_t z, int32_t* screen_x, int32_t* screen_y);
// A world point through the camera to the screen. Returns the depth; a
// negative depth means the point is behind the camera and was not projected.
int32_t project_world_point(int32_t x, int32_t y, int32_t z, int32_t* screen_x, int32_t* screen_y);
