// Quaternion helpers for posing figures from animation rotation keys. A
// quaternion is four floats with the scalar part first.
#pragma once

void interp_key_a(const float q[4], double m[9]);
void euler_to_quat(float out[4], float e1, float e2, float e3);
void quat_interpolate(const float a[4], const float b[4], float out[4], float t);
void quat_shortest_arc(const float a[4], float b[4]);
void interp_key_b(const float a[4], const float b[4], float out[4]);
void mat3_to_quat(const double m[9], float out[4]);
const float* axis_angle_to_quat(const float axis_angle[4], float out[4]);
