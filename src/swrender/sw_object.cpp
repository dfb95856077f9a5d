// Single 3D objects (the loose ball) as one view-dependent sprite.
#include "gl3d/angle_maths.h"
#include "gl3d/camera_globals.h"
#include "swrender/sw_display_list.h"
#include "swrender/sw_spans.h"

#include <cmath>
#include <cstring>

void place_sw_object(const uint32_t* offsets, int32_t x, int32_t y, int32_t z, const double* orientation)
{
    const CameraGlobals& cam = camera_globals;
    int32_t cx = int32_t(uint32_t(x) - uint32_t(cam.x)), cy = int32_t(uint32_t(y) - uint32_t(cam.y)),
            cz = int32_t(uint32_t(z) - uint32_t(cam.z));
    rotate_point_yaw(cx, cy, cz, &cx, &cy, &cz, cam.yaw);
    rotate_point_pitch(cx, cy, cz, &cx, &cy, &cz, cam.pitch);
    if (cz < 0) return;
    int32_t sx, sy;
    project_point(cx, cy, cz, &sx, &sy);
    double D = cam.projection_scale;
    int32_t x_scale = int32_t(std::trunc(D / (D + cz) * 65536.0));
    int32_t y_scale = int32_t(std::trunc(D / (D + cz) * 65536.0));
    int32_t half = int32_t((int64_t(x_scale) * 25) >> 15);
    if (!(sx + half >= 0 && sx - half <= 640 && sy + half >= 0 && sy - half <= sw_screen_height())) return;
    double m[9];
    std::memcpy(m, orientation, sizeof m);
    rotate_matrix_y(cam.yaw, m);
    rotate_matrix_x(cam.pitch, m);
    int16_t first, second, third;
    matrix_to_euler_angles(m, &first, &second, &third);
    int32_t E = (first + 32) / 64, H = (second + 32) / 64;
    int32_t v = int32_t((uint32_t((E + 8) / 16) & 15) * 32 + (uint32_t((H + 4) / 8) & 31));
    int32_t R = 16384 - third;
    if (view_fold_table[size_t(v)].roll_step) {
        R += view_fold_table[size_t(v)].roll_step * 64;
        v = view_fold_table[size_t(v)].view;
    }
    R &= 0x3FFF;
    sprite_set_row row{offsets, sw_shared_sprite_file, sw_shared_sprite_size};
    const uint8_t* frame = sprite_frame(row, v);
    if (!frame) return;
    add_depth_item(frame, x_scale, y_scale, R, sx, sy, cz, 0);
}

void rotate_matrix_xyz(int32_t ax, int32_t ay, int32_t az, double* m)
{
    rotate_matrix_z(az, m);
    rotate_matrix_y(ay, m);
    rotate_matrix_x(ax, m);
}

void make_rotation_matrix_xyz(int32_t ax, int32_t ay, int32_t az, double* out)
{
    const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::memcpy(out, identity, sizeof identity);
    rotate_matrix_xyz(ax, ay, az, out);
}
