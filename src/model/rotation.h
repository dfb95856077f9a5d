// Rotations and 3x3 matrices for the player model. Angles are radians (f32);
// matrices are nine doubles, row-major (m0 m1 m2 / m3 m4 m5 / m6 m7 m8).
#pragma once

extern const double mat3_identity[9];

// Turns (x, z) about the vertical axis; y is left alone.
void rotate_vector(float* x, float* y, float* z, float a);
// The same turn given its cosine and sine: rotate_vector(1, y, 0, a) gives them.
void turn_vector(float* x, float* z, float c, float s);

void mat3_from_angles(double m[9], float ax, float ay, float az);
void mat3_rotate_x(float a, double m[9]);
void mat3_rotate_y(float a, double m[9]);
void mat3_rotate_z(float a, double m[9]);

// x' = m0 x + m3 y + m6 z, and so on: the vector times the matrix.
void mat3_transposed_product(const double m[9], float* x, float* y, float* z);
void vec_mul_mat3(const float v[3], const double m[9], float out[3]);
void mat3_multiply(const double a[9], const double b[9], double out[9]);

void mat3_to_euler(const double m[9], float* x_out, float* y_out, float* z_out);
void mat3_to_euler_copy(const double m[9], float* x_out, float* y_out, float* z_out);
// The mirror twin of a rotation: the angles (x, -y, -z) of the source.
void mat3_mirror(const double src[9], double dst[9]);
