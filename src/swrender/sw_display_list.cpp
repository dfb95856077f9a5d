// The software man display list and the depth-sorted drawing.
#include "swrender/sw_display_list.h"

#include "gl3d/angle_maths.h"
#include "host/picture.h"
#include "platform/fatal_error.h"
#include "screen/screen_services.h"
#include "gl3d/camera_globals.h"
#include "swrender/sw_kernels.h"
#include "swrender/sw_spans.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

sw_display_entry sw_display_list[SW_MAX_MEN];
int32_t sw_display_count = 0;
sw_depth_item sw_depth_list[SW_MAX_DEPTH_ITEMS];
int32_t sw_depth_count = 0;
view_direction view_direction_table[SW_VIEWS];

const uint8_t* sw_shared_sprite_file = nullptr;
uint32_t sw_shared_sprite_size = 0;
const uint32_t* ball_sprite_offsets = nullptr;
Surface* sw_man_surface = nullptr;
uint8_t* sw_back_buffer = nullptr;
x_mesh* sw_goal_post_mesh = nullptr;
x_mesh* sw_behind_post_mesh = nullptr;

namespace {

constexpr double k_angle_to_radians = 0.0003834952;            // 2 pi / 16384
constexpr double k_radians_to_screen = 10430.378350470453;     // 65536 / 2 pi
constexpr double k_man_scale = 0.02160293799956794;
constexpr int32_t k_screen_scale = 65536;
constexpr int32_t k_part_size = 67;

// Upper elevations reuse the lower ones' pictures with half a turn of roll.
constexpr std::array<view_fold, SW_VIEWS> make_fold_table()
{
    std::array<view_fold, SW_VIEWS> t{};
    for (int v = 0; v < SW_VIEWS; ++v) {
        int e = v / 32, h = v % 32;
        t[size_t(v)] = e < 8 ? view_fold{int16_t(v), 0} : view_fold{int16_t((e - 8) * 32 + (16 - h + 32) % 32), 128};
    }
    return t;
}

struct SetRow {
    bool mirrored;
    int16_t link; // a set number, or minus a bone length
};
constexpr SetRow k_set_rows[15] = {
    {false, 7}, {false, 0}, {true, 4}, {false, 5}, {true, -50}, {false, -50}, {false, -33}, {false, -20},
    {true, 10}, {false, 11}, {true, 12}, {false, 13}, {true, -25}, {false, -25}, {false, -25},
};

// Part number to sprite set; -1 disabled.
constexpr int8_t k_part_sets[16] = {0, 8, 10, 12, 9, 11, 13, 1, 7, 2, 4, -1, 3, 5, -1, 14};
constexpr int8_t k_part_draw_order[14] = {0, 3, 6, 2, 5, 10, 13, 8, 9, 12, 1, 4, 7, 15};

struct GoalPost {
    bool goal;
    int32_t x, y, z;
};
constexpr GoalPost k_goal_posts[8] = {
    {true, 9594, 0, -320},  {true, 9594, 0, 320},  {true, -9594, 0, -320},  {true, -9594, 0, 320},
    {false, 9552, 0, -960}, {false, 9552, 0, 960}, {false, -9552, 0, -960}, {false, -9552, 0, 960},
};

struct SetPoint {
    int32_t x, y, z;
};
SetPoint g_set_points[15];

void camera_space(double x, double y, double z, double out[3])
{
    const CameraGlobals& cam = camera_globals;
    x -= cam.x;
    y -= cam.y;
    z -= cam.z;
    double yaw = cam.yaw * k_angle_to_radians, p = -cam.pitch * k_angle_to_radians;
    double x1 = std::cos(yaw) * x - std::sin(yaw) * z;
    double z1 = std::sin(yaw) * x + std::cos(yaw) * z;
    out[0] = x1;
    out[1] = std::cos(p) * y - std::sin(p) * z1;
    out[2] = std::cos(p) * z1 + std::sin(p) * y;
}

// A point a little behind the camera still projects (the root is in front).
void project_safe(int32_t x, int32_t y, int32_t z, int32_t* sx, int32_t* sy)
{
    double limit = -camera_globals.projection_scale / 2;
    project_point(x, y, std::max(z, int32_t(limit)), sx, sy);
}

int32_t view_of(int32_t e, int32_t h) { return (((e + 8) / 16) % 16) * 32 + ((h + 4) / 8) % 32; }

int16_t screen_angle(int32_t dx, int32_t dy)
{
    return int16_t(uint16_t(uint32_t(round_to_int(std::atan2(double(dx), -double(dy)) * k_radians_to_screen))));
}

double fold_r(double r)
{
    if (r > 8192) r -= 16384;
    if (r <= -8192) r += 16384;
    return r;
}

} // namespace

const std::array<view_fold, SW_VIEWS> view_fold_table = make_fold_table();

void reset_sw_display_lists()
{
    sw_display_count = 0;
    sw_depth_count = 0;
    std::memset(g_set_points, 0, sizeof g_set_points);
}

const uint8_t* sprite_frame(const sprite_set_row& row, int32_t view)
{
    if (!row.offsets || !row.base || view < 0 || view >= SW_STORED_VIEWS) return nullptr;
    uint64_t at = row.offsets[view];
    if (at + SW_FRAME_HEADER > row.base_size) return nullptr;
    const uint8_t* f = row.base + at;
    if (at + SW_FRAME_HEADER + uint64_t(f[1]) * f[4] > row.base_size) return nullptr;
    return f;
}

void build_view_direction_table()
{
    for (int32_t e = 0; e < 16; ++e)
        for (int32_t h = 0; h < 32; ++h) {
            int32_t x = 0, y = 16384, z = 0;
            rotate_point_pitch(x, y, z, &x, &y, &z, e * 1024);
            rotate_point_yaw(x, y, z, &x, &y, &z, h * 512);
            view_direction& d = view_direction_table[e * 32 + h];
            d.base_angle = int16_t(uint16_t(uint32_t(round_to_int(std::atan2(double(x), double(y)) * k_radians_to_screen))));
            double ax = std::fabs(double(x) * x), ay = std::fabs(double(y) * y), az = std::fabs(double(z) * z);
            d.factor = std::sin(std::acos(std::fabs(double(z)) / std::sqrt(ax + ay + az)));
        }
}

void add_sw_display_entry(const sw_bone_record* bones, const sprite_set_table* sets, int32_t scale, int32_t kind)
{
    if (sw_display_count >= SW_MAX_MEN) return;
    sw_display_entry& e = sw_display_list[sw_display_count++];
    int32_t n = kind == 0 ? 15 : 16;
    std::copy(bones, bones + n, e.bones);
    e.sets = sets;
    e.kind = kind == 0 ? 0 : 1;
    e.scale = scale;
}

void add_sw_display_entry_flags(const sw_bone_record* bones, const sprite_set_table* sets, int32_t flags, int32_t scale)
{
    if (sw_display_count >= SW_MAX_MEN) return;
    sw_display_entry& e = sw_display_list[sw_display_count++];
    std::copy(bones, bones + ((flags & 1) ? 16 : 15), e.bones);
    e.sets = sets;
    e.kind = flags;
    e.scale = scale;
}

void add_depth_item(const void* item, int32_t x_scale, int32_t y_scale, int32_t roll, int32_t x, int32_t y,
                    int32_t depth, uint8_t flags)
{
    if (!(flags & DEPTH_MESH) && (x_scale < 256 || y_scale < 256)) return;
    if (sw_depth_count >= SW_MAX_DEPTH_ITEMS) return;
    sw_depth_item it{item, x_scale, y_scale, x, y, depth, int16_t(roll), flags};
    int32_t n = sw_depth_count;
    int32_t at;
    if (n == 0 || depth >= sw_depth_list[n - 1].depth) {
        at = n;
    } else if (depth <= sw_depth_list[0].depth) {
        at = 0;
    } else {
        int32_t lo = 0, hi = n - 1;
        while (hi - lo > 1) {
            int32_t mid = (lo + hi) / 2;
            if (depth > sw_depth_list[mid].depth)
                lo = mid;
            else
                hi = mid;
        }
        at = hi;
    }
    std::memmove(&sw_depth_list[at + 1], &sw_depth_list[at], sizeof(sw_depth_item) * size_t(n - at));
    sw_depth_list[at] = it;
    ++sw_depth_count;
}

void place_man_parts(const sw_display_entry& entry)
{
    const CameraGlobals& cam = camera_globals;
    double root[3];
    camera_space(entry.bones[0].x, entry.bones[0].y, entry.bones[0].z, root);
    if (root[2] < 0) return;
    double D = cam.projection_scale;
    int32_t Z = round_to_int(root[2]);
    int64_t f = round_to_int(D / (D + Z) * 65536.0);
    int64_t m = round_to_int(entry.scale * k_man_scale);
    int64_t t = (f * m) >> 16;
    int64_t sx = (t * k_screen_scale) >> 16, sy = (t * k_screen_scale) >> 16;
    bool ball = entry.kind != 0;
    int32_t bx = 0, by = 0;
    if (ball) {
        double ratio = D / (D + Z);
        bx = int32_t(std::trunc(ratio * k_screen_scale));
        by = int32_t(std::trunc(ratio * k_screen_scale));
    }
    int32_t parts = ball ? 14 : 13;
    for (int32_t k = 0; k < parts; ++k) {
        int32_t p = k_part_draw_order[k];
        int32_t s = k_part_sets[p];
        if (s < 0) continue;
        const sw_bone_record& bone = entry.bones[p == 8 ? 7 : p];
        double pos[3];
        camera_space(bone.x, bone.y, bone.z, pos);
        int32_t px = round_to_int(pos[0]), py = round_to_int(pos[1]), pz = round_to_int(pos[2]);
        int32_t scr_x, scr_y;
        project_safe(px, py, pz, &scr_x, &scr_y);
        if (s == 0) {
            g_set_points[0] = SetPoint{scr_x, scr_y, pz};
            continue;
        }
        double mat[9];
        std::memcpy(mat, bone.m, sizeof mat);
        for (int r = 0; r < 3; ++r) {
            mat[3 * r] = -mat[3 * r];
            mat[3 * r + 2] = -mat[3 * r + 2];
        }
        rotate_matrix_y(cam.yaw, mat);
        rotate_matrix_x(cam.pitch, mat);
        int16_t first, second, third;
        matrix_to_euler_angles(mat, &first, &second, &third);
        int32_t E = (first + 32) / 64, H = (second + 32) / 64, R = 16384 - third;
        int32_t v = view_of(E, H);
        g_set_points[s] = SetPoint{scr_x, scr_y, pz};

        const SetRow& row = k_set_rows[s];
        int32_t part_roll, depth;
        if (row.link < 0) {
            int32_t ex = 0, ey = -row.link, ez = 0;
            transform_point_by_matrix(&ex, &ey, &ez, mat);
            ex += px;
            ey += py;
            ez = pz - ez;
            int32_t end_x, end_y;
            project_safe(ex, ey, ez, &end_x, &end_y);
            int16_t A = int16_t(screen_angle(end_x - scr_x, end_y - scr_y) - view_direction_table[v].base_angle);
            double r = fold_r(A * 0.25 - R);
            part_roll = s == SW_BALL_SET ? 0 : round_to_int(view_direction_table[v].factor * r + 0.5);
            depth = int32_t((int64_t(pz) + ez) / 2);
        } else {
            const SetPoint& linked = g_set_points[row.link];
            int32_t a = screen_angle(linked.x - scr_x, linked.y - scr_y) - view_direction_table[v].base_angle;
            if (s == 1) a -= 32768;
            int16_t A = int16_t(uint16_t(uint32_t(a)));
            part_roll = round_to_int(fold_r(A * 0.25 - R));
            depth = int32_t((int64_t(pz) + linked.z) / 2);
        }
        uint8_t flags = 0;
        if (row.mirrored) {
            flags |= DEPTH_MIRRORED;
            H = 256 - H;
            v = view_of(E, H);
        }
        if (view_fold_table[size_t(v)].roll_step) {
            R += view_fold_table[size_t(v)].roll_step * 64;
            v = view_fold_table[size_t(v)].view;
        }
        int32_t roll = int32_t(uint32_t(R + part_roll) & 0x3FFF);
        const uint8_t* frame;
        if (s == SW_BALL_SET) {
            sprite_set_row ball_row{ball_sprite_offsets, sw_shared_sprite_file, sw_shared_sprite_size};
            frame = sprite_frame(ball_row, v);
        } else {
            frame = entry.sets ? sprite_frame(entry.sets->sets[s], v) : nullptr;
        }
        if (!frame) continue;
        int32_t xs, ys;
        if (s == 7) {
            xs = int32_t((sx * k_part_size) / 2);
            ys = int32_t((sy * k_part_size) / 2);
        } else if (s == SW_BALL_SET) {
            xs = bx;
            ys = by;
        } else {
            xs = int32_t(sx * k_part_size);
            ys = int32_t(sy * k_part_size);
        }
        add_depth_item(frame, xs, ys, roll, scr_x, scr_y, depth, flags);
    }
}

void sort_sprite_list()
{
    int32_t n = sw_display_count;
    for (int32_t pass = n - 1; pass > 0; --pass) {
        bool swapped = false;
        for (int32_t i = 0; i < pass; ++i)
            if (sw_display_list[i].bones[0].z > sw_display_list[i + 1].bones[0].z) {
                std::swap(sw_display_list[i], sw_display_list[i + 1]);
                swapped = true;
            }
        if (!swapped) break;
    }
    for (int32_t i = 0; i < n; ++i) place_man_parts(sw_display_list[i]);
    sw_display_count = 0;
}

void queue_goal_posts()
{
    const CameraGlobals& cam = camera_globals;
    for (const GoalPost& p : k_goal_posts) {
        int32_t x = int32_t(uint32_t(p.x) - uint32_t(cam.x)), y = int32_t(uint32_t(p.y) - uint32_t(cam.y)),
                z = int32_t(uint32_t(p.z) - uint32_t(cam.z));
        rotate_point_yaw(x, y, z, &x, &y, &z, cam.yaw);
        rotate_point_pitch(x, y, z, &x, &y, &z, cam.pitch);
        if (z < 0) continue;
        add_depth_item(p.goal ? sw_goal_post_mesh : sw_behind_post_mesh, 65536, p.z, 0, p.x, p.y, z, DEPTH_MESH);
    }
}

void display_3D_man()
{
    sort_sprite_list();
    if (sw_man_surface) sw_back_buffer = get_surface_pointer(sw_man_surface);
    while (sw_depth_count > 0) {
        const sw_depth_item& it = sw_depth_list[--sw_depth_count];
        if (it.flags & DEPTH_MESH) {
            x_mesh* mesh = const_cast<x_mesh*>(static_cast<const x_mesh*>(it.item));
            if (!mesh) continue;
            mesh->position[0] = it.x;
            mesh->position[1] = it.y;
            mesh->position[2] = it.y_scale;
            if (!draw_x_mesh(mesh, &sw_device))
                fatal_error_sub(FATAL_RENDER, 0, "Error rendering posts in display_3D_man.\n", 0);
            continue;
        }
        if (!sw_back_buffer) continue;
        const uint8_t* f = static_cast<const uint8_t*>(it.item);
        bool mirrored = it.flags & DEPTH_MIRRORED;
        int32_t width = f[4], height = f[1];
        int32_t x_origin = mirrored ? width - int8_t(f[2]) : int8_t(f[2]);
        draw_scaled_rotated_sprite(f + SW_FRAME_HEADER, width, height, x_origin, int8_t(f[3]), it.x_scale, it.y_scale,
                                   it.roll, sw_back_buffer, it.x, it.y, mirrored);
    }
    sw_depth_count = 0;
}

void draw_scaled_rotated_sprite(const uint8_t* pixels, int32_t width, int32_t height, int32_t x_origin,
                                int32_t y_origin, int32_t x_scale, int32_t y_scale, int32_t roll, uint8_t* surface,
                                int32_t screen_x, int32_t screen_y, int32_t mirrored)
{
    if (width <= 0 || height <= 0 || x_scale <= 0 || y_scale <= 0) return;
    uint32_t a = uint32_t(roll) & 0x3FFF;
    int64_t sn = fine_sine_table[a], cs = fine_cosine_table[a];
    int64_t A = int64_t(x_scale) * x_origin, B = int64_t(y_scale) * y_origin;
    int64_t W = int64_t(x_scale) * width, H = int64_t(y_scale) * height;
    auto mul = [](int64_t p, int64_t q) { return (p * q) >> 16; };
    int64_t c0x = mul(B, sn) - mul(A, cs) + (int64_t(screen_x) << 16);
    int64_t c0y = -mul(B, cs) - mul(A, sn) + (int64_t(screen_y) << 16);
    int64_t cx[4] = {c0x, c0x + mul(W, cs), c0x + mul(W, cs) - mul(H, sn), c0x - mul(H, sn)};
    int64_t cy[4] = {c0y, c0y + mul(W, sn), c0y + mul(W, sn) + mul(H, cs), c0y + mul(H, cs)};
    uint32_t common = 0xF;
    for (int i = 0; i < 4; ++i) {
        int64_t x = cx[i] >> 16, y = cy[i] >> 16;
        uint32_t code = 0;
        if (x > 640) code |= 1;
        if (x < 0) code |= 2;
        if (y > sw_screen_height()) code |= 4;
        if (y < 0) code |= 8;
        common &= code;
    }
    if (common) return;
    // Far beyond the screen the 16.16 corners would not hold: such a sprite
    // is nothing a frame shows.
    for (int i = 0; i < 4; ++i)
        if (cx[i] < INT32_MIN / 2 || cx[i] > INT32_MAX / 2 || cy[i] < INT32_MIN / 2 || cy[i] > INT32_MAX / 2) return;
    sw_point corners[4];
    for (int i = 0; i < 4; ++i) corners[i] = sw_point{int32_t(cx[i]), int32_t(cy[i])};
    uint32_t t1 = uint32_t(fine_tangent_table[a & 4095]), t2 = uint32_t(fine_tangent_table[(4096 - (a & 4095)) & 0x3FFF]);
    if (t1 > 65536) std::swap(t1, t2);
    scan_rotated_quad_edges(corners, t1, t2);

    // The start corner and texture start follow the direction of edge 0 to 1.
    int64_t ex = cx[1] - cx[0], ey = cy[1] - cy[0];
    int32_t start, to;
    int32_t u_start, v_start;
    int32_t full_u = width << 16, full_v = height << 16;
    if (ex >= 0 && ey >= 0) {
        start = 0, to = 2, u_start = mirrored ? full_u : 0, v_start = 0;
    } else if (ex < 0 && ey >= 0) {
        start = 3, to = 1, u_start = mirrored ? full_u : 0, v_start = full_v;
    } else if (ex >= 0) {
        start = 1, to = 3, u_start = mirrored ? 0 : full_u, v_start = 0;
    } else {
        start = 2, to = 0, u_start = mirrored ? 0 : full_u, v_start = full_v;
    }
    int32_t rows = int32_t((cy[to] >> 16) - (cy[start] >> 16) + 1);
    if (sn == 0 || cs == 0) --rows;
    // 2^40 / scale in 64 bits: at a scale of 256 it is 2^32.
    int64_t inv_x = int64_t(std::nearbyint(1099511627776.0 / x_scale));
    int64_t inv_y = int64_t(std::nearbyint(1099511627776.0 / y_scale));
    auto step = [](int64_t trig, int64_t inv) { return int32_t((trig * inv + (int64_t(1) << 23)) >> 24); };
    int32_t du_dx = step(cs, inv_x), du_dy = step(sn, inv_x);
    int32_t dv_dx = step(-sn, inv_y), dv_dy = step(cs, inv_y);
    if (mirrored) {
        du_dx = -du_dx;
        du_dy = -du_dy;
    }
    bool near_edge = false;
    for (int i = 0; i < 4; ++i) {
        int64_t x = cx[i] >> 16;
        if (x < 2 || x > 637) near_edge = true;
    }
    if (near_edge)
        fill_textured_quad_clipped(corners, surface, pixels, uint8_t(width), uint8_t(height), u_start, v_start, du_dx, dv_dx, du_dy, dv_dy,
                                   start, rows);
    else
        fill_textured_quad(corners, surface, pixels, uint8_t(width), uint8_t(height), u_start, v_start, du_dx, dv_dx, du_dy, dv_dy, start,
                           rows);
}

int32_t project_sw_points(int32_t count, float* points)
{
    if (count < 1) return 0;
    uint32_t all = 0xFFFFFFFFu;
    for (int32_t i = 0; i < count; ++i) {
        float* p = points + 3 * i;
        p[0] = -p[0];
        p[1] = -p[1];
        double c[3];
        camera_space(p[0], p[1], p[2], c);
        uint32_t code = 0;
        if (c[2] < 0) {
            code = 1;
        } else {
            int32_t sx, sy;
            project_safe(round_to_int(c[0]), round_to_int(c[1]), round_to_int(c[2]), &sx, &sy);
            if (sx >= 640) code |= 4;
            if (sx < 0) code |= 2;
            if (sy >= 480) code |= 16;
            if (sy < 0) code |= 8;
        }
        all &= code;
        if (all == 0) return 1;
    }
    return 0;
}

int16_t angle_from_xy(int32_t a, int32_t b) { return screen_angle(a, -b); }

int16_t screen_part_angle(int32_t from_set, int32_t to_set, int32_t view)
{
    if (from_set < 0 || from_set > 14 || to_set < 0 || to_set > 14 || view < 0 || view >= SW_VIEWS) return 0;
    const SetPoint& a = g_set_points[from_set];
    const SetPoint& b = g_set_points[to_set];
    return int16_t(screen_angle(b.x - a.x, b.y - a.y) - view_direction_table[view].base_angle);
}
