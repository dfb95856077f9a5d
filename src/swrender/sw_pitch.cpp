// The software pitch, the ground polygons and the textured ground quads.
#include "swrender/sw_pitch.h"

#include "gl3d/angle_maths.h"
#include "gl3d/camera_globals.h"
#include "swrender/sw_conic.h"
#include "swrender/sw_kernels.h"
#include "swrender/sw_display_list.h"
#include "swrender/sw_display_state.h"
#include "swrender/sw_resources.h"
#include "swrender/x_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

int32_t sw_smooth_lines = 1;

namespace {

constexpr int32_t k_near = 0;

struct RingSpec {
    double outer_a, outer_b;
    int32_t outer_flags;
    double inner_a, inner_b;
    int32_t inner_flags;
    bool wide;
};
const RingSpec k_rings[4] = {
    {9600, 6400, 4, 9587, 6387, 2, false},   // the boundary
    {5000, 5000, 12, 4984, 4984, 10, true},  // the arc at one end
    {5000, 5000, 20, 4984, 4984, 18, true},  // the arc at the other
    {150, 150, 4, 137, 137, 2, false},       // the centre circle
};

// Goal squares and the centre square, 16 units wide, as (x, z) corners.
const int32_t k_line_quads[10][4][2] = {
    {{-8700, -328}, {-9600, -328}, {-9600, -312}, {-8700, -312}},
    {{-8700, 312}, {-9600, 312}, {-9600, 328}, {-8700, 328}},
    {{-8692, -312}, {-8708, -312}, {-8708, 328}, {-8692, 328}},
    {{9600, -328}, {8700, -328}, {8700, -312}, {9600, -312}},
    {{9600, 312}, {8700, 312}, {8700, 328}, {9600, 328}},
    {{8708, -312}, {8692, -312}, {8692, 328}, {8708, 328}},
    {{-2258, -2242}, {2258, -2242}, {2258, -2258}, {-2258, -2258}},
    {{-2258, 2258}, {2258, 2258}, {2258, 2242}, {-2258, 2242}},
    {{-2258, -2258}, {-2258, 2258}, {-2242, 2258}, {-2242, -2258}},
    {{2242, -2258}, {2242, 2258}, {2258, 2258}, {2258, -2258}},
};

sw_edge_record g_outer_edges[SW_EDGE_RECORDS][2];

void to_camera(const int32_t* p, int32_t out[3])
{
    const CameraGlobals& cam = camera_globals;
    int32_t x = int32_t(uint32_t(p[0]) - uint32_t(cam.x)), y = int32_t(uint32_t(p[1]) - uint32_t(cam.y)),
            z = int32_t(uint32_t(p[2]) - uint32_t(cam.z));
    rotate_point_yaw(x, y, z, &x, &y, &z, cam.yaw);
    rotate_point_pitch(x, y, z, &x, &y, &z, cam.pitch);
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

std::array<int32_t, 3> at_near(const int32_t* a, const int32_t* b)
{
    double t = double(k_near - a[2]) / (double(b[2]) - a[2]);
    return {int32_t(a[0] + int64_t(std::trunc((double(b[0]) - a[0]) * t))),
            int32_t(a[1] + int64_t(std::trunc((double(b[1]) - a[1]) * t))), k_near};
}

sw_span span_at(const sw_span* table, int32_t row)
{
    return row >= 0 && row < SW_SPAN_ROWS ? table[row] : sw_span{1, 0};
}

bool whole_width(const sw_span* table, int32_t row)
{
    sw_span s = span_at(table, row);
    return s.left == 0 && s.right == 639;
}

// The origin of ground texture coordinates: the world origin in camera space.
void ground_origin(int32_t out[3])
{
    const int32_t zero[3] = {0, 0, 0};
    to_camera(zero, out);
}

void ring_pass(uint8_t* surface, const RingSpec& r, int32_t extra_flags, const int32_t* centre, bool clipped,
               bool keep_as_clip, uint8_t colour)
{
    int32_t of = 0, ol = 0, lc = 0, rc = 0;
    if (centre) {
        of = centre[0];
        ol = centre[1];
    }
    int32_t outer_visible =
        build_ground_ellipse_spans(surface, r.outer_a, r.outer_b, 0, 0, &of, &ol, &lc, &rc, r.outer_flags | extra_flags);
    int32_t outer_left = lc, outer_right = rc;
    if (outer_visible) {
        std::memcpy(g_outer_edges, sw_edge_records, sizeof g_outer_edges);
        std::memcpy(sw_outer_span_table, sw_span_table, sizeof sw_outer_span_table);
    }
    int32_t inf = 0, inl = 0, ilc = 0, irc = 0;
    if (centre) {
        inf = centre[0];
        inl = centre[1];
    }
    int32_t inner_visible =
        build_ground_ellipse_spans(surface, r.inner_a, r.inner_b, 0, 0, &inf, &inl, &ilc, &irc, r.inner_flags | extra_flags);
    if (!outer_visible && !inner_visible) return;
    if (r.wide)
        adjust_ring_rows_wide(&inf, &inl, &of, &ol, inner_visible, outer_visible);
    else
        adjust_ring_rows(&inf, &inl, &of, &ol, inner_visible, outer_visible);
    if (clipped)
        fill_ring_rows_clipped(surface, inf, inl, of, ol, colour);
    else
        fill_ring_rows(surface, inf, inl, of, ol, colour);
    if (outer_visible) {
        draw_edge_ramps(surface, g_outer_edges, outer_left, 0);
        draw_edge_ramps(surface, g_outer_edges, outer_right, 1);
    }
    if (inner_visible) {
        draw_edge_ramps(surface, sw_edge_records, ilc, 0);
        draw_edge_ramps(surface, sw_edge_records, irc, 1);
    }
    if (keep_as_clip && outer_visible) std::memcpy(sw_clip_span_table, sw_outer_span_table, sizeof sw_clip_span_table);
}

} // namespace

int32_t clip_project_ground_polygon(const int32_t (*points)[3], int32_t n, std::vector<sw_point>& screen_out,
                                    std::vector<std::array<int32_t, 3>>* camera_out)
{
    screen_out.clear();
    std::vector<std::array<int32_t, 3>> cam(size_t(std::max(n, 0)));
    for (int32_t i = 0; i < n; ++i) to_camera(points[i], cam[size_t(i)].data());
    int32_t first = -1;
    for (int32_t i = 0; i < n; ++i)
        if (cam[size_t(i)][2] > k_near) {
            first = i;
            break;
        }
    if (first < 0) return 0;
    std::vector<std::array<int32_t, 3>> cut;
    for (int32_t k = 0; k < n; ++k) {
        const auto& a = cam[size_t((first + 1 + k) % n)];
        const auto& b = cam[size_t((first + 2 + k) % n)];
        bool a_behind = a[2] < k_near, b_behind = b[2] < k_near;
        bool a_front = a[2] > k_near, b_front = b[2] > k_near;
        if (a_behind && b_front) {
            cut.push_back(at_near(a.data(), b.data()));
            cut.push_back(b);
        } else if (a_behind) {
            if (!b_behind) cut.push_back(b); // b on the plane itself stays
        } else if (b_behind) {
            if (a_front) cut.push_back(at_near(a.data(), b.data()));
        } else {
            cut.push_back(b);
        }
    }
    if (cut.size() < 3) return 0;
    for (const auto& c : cut) {
        sw_point p;
        project_point(c[0], c[1], c[2], &p.x, &p.y);
        screen_out.push_back(p);
    }
    if (camera_out) *camera_out = cut;
    return int32_t(screen_out.size());
}

void draw_ground_quad(const int32_t (*corners)[3], const uint8_t* picture, int32_t width, int32_t height,
                      uint8_t* surface, uint32_t flags)
{
    if (!picture) return;
    std::vector<sw_point> screen;
    std::vector<std::array<int32_t, 3>> cam;
    int32_t n = clip_project_ground_polygon(corners, 4, screen, &cam);
    if (!n || !scan_polygon_edges(screen.data(), n)) return;
    double across = std::fabs(double(corners[1][0]) - corners[0][0]);
    double down = std::fabs(double(corners[2][2]) - corners[1][2]);
    if (across == 0.0 || down == 0.0) return;
    double su = width * 65536.0 / across, sv = height * 65536.0 / down;
    if (flags & 4) su = -su;
    if (flags & 8) sv = -sv;
    fill_ground_polygon_sized(screen.data(), n, picture, surface, cam[0].data(), width, height, uint8_t((flags & 2) ? 1 : 0),
                              su, sv);
}

void draw_pitch_lines(uint8_t* surface)
{
    if (!pitch_pieces_on) return;
    for (const pitch_piece& p : pitch_piece_table) {
        const uint8_t* picture = p.file ? p.picture : pitch_piece_table[p.shares].picture;
        draw_ground_quad(p.corners, picture, p.width, p.height, surface, p.flags | 2);
    }
}

void draw_sw_ground_objects(uint8_t* surface, const uint8_t* inner_texture, const uint8_t* outer_texture)
{
    std::vector<sw_point> screen;
    int32_t n = clip_project_ground_polygon(ground_outline, 16, screen);
    if (!n || !scan_polygon_edges(screen.data(), n)) return;
    std::memcpy(sw_outer_span_table, sw_span_table, sizeof sw_outer_span_table);
    int32_t origin[3];
    ground_origin(origin);
    int32_t first = 0, last = 0, lc = 0, rc = 0;
    if (!build_ground_ellipse_spans(surface, 9700, 6500, 0, 0, &first, &last, &lc, &rc, 36)) {
        first = sw_screen_height();
        last = -1;
    }
    if (inner_texture && outer_texture)
        fill_ground_with_inner_band(screen.data(), n, inner_texture, outer_texture, surface, origin, first, last);
}

void draw_sw_pitch(uint8_t* surface)
{
    for (int32_t i = 0; i < 4; ++i) ring_pass(surface, k_rings[i], 0, nullptr, i > 0, i == 0, SW_LINE_COLOUR);
    for (const auto& q : k_line_quads) {
        int32_t corners[4][3];
        for (int k = 0; k < 4; ++k) {
            corners[k][0] = q[k][0];
            corners[k][1] = 0;
            corners[k][2] = q[k][1];
        }
        draw_sw_flat_polygon(surface, corners, sw_smooth_lines);
    }
}

void draw_sw_flat_polygon(uint8_t* surface, const int32_t (*corners)[3], int32_t smooth)
{
    std::vector<sw_point> screen;
    int32_t n = clip_project_ground_polygon(corners, 4, screen);
    if (!n) return;
    if (smooth) {
        if (!scan_polygon_edges_wide(screen.data(), n)) return;
        fill_flat_polygon_edged(screen.data(), n, SW_FLAT_COLOUR, surface);
        for (int32_t i = 0; i < n; ++i) {
            sw_point a = screen[size_t(i)], b = screen[size_t((i + 1) % n)];
            if (std::abs(int64_t(b.x) - a.x) > std::abs(int64_t(b.y) - a.y)) draw_shaded_line(a, b, surface, b.x < a.x);
        }
    } else {
        if (!scan_polygon_edges(screen.data(), n)) return;
        fill_flat_polygon(screen.data(), n, SW_FLAT_COLOUR, surface);
    }
}

void draw_sw_ground(uint8_t* surface, int32_t centre_x, int32_t centre_z, int32_t along, int32_t across, uint8_t colour)
{
    RingSpec r{double(along), double(across), 132, double(along - 12), double(across - 12), 130, false};
    const int32_t centre[2] = {centre_x, centre_z};
    ring_pass(surface, r, 0, centre, false, false, colour);
}

void adjust_ring_rows(int32_t* inner_first, int32_t* inner_last, int32_t* outer_first, int32_t* outer_last,
                      int32_t inner_visible, int32_t outer_visible)
{
    int32_t h = sw_screen_height();
    if (!inner_visible) {
        *inner_first = h;
        *inner_last = 0;
    } else if (!outer_visible) {
        *outer_first = h;
        *outer_last = 0;
    }
    if (*outer_first >= *inner_first && *outer_first != 0) {
        *outer_first = *inner_first;
        int32_t row = *outer_first;
        if (row > 0 && row < h - 1 && whole_width(sw_outer_span_table, row)) ++*outer_first;
    }
    if (*outer_last <= *inner_last && *outer_last != h - 1) {
        *outer_last = *inner_last;
        int32_t row = *outer_last;
        if (row < h - 1 && whole_width(sw_outer_span_table, row)) --*outer_last;
    }
}

void adjust_ring_rows_wide(int32_t* inner_first, int32_t* inner_last, int32_t* outer_first, int32_t* outer_last,
                           int32_t inner_visible, int32_t outer_visible)
{
    int32_t h = sw_screen_height();
    if (!inner_visible) {
        *inner_first = h;
        *inner_last = 0;
    } else if (!outer_visible) {
        *outer_first = h;
        *outer_last = 0;
    }
    auto reaches_right = [](int32_t row) {
        return whole_width(sw_outer_span_table, row) ||
               (span_at(sw_span_table, row).right >= 0 && span_at(sw_outer_span_table, row).right == 639);
    };
    if (*outer_first >= *inner_first && *outer_first != 0) {
        *outer_first = *inner_first;
        if (*outer_first != 0 && reaches_right(*outer_first)) ++*outer_first;
    }
    sw_span in = span_at(sw_span_table, *inner_first), out = span_at(sw_outer_span_table, *outer_first);
    if ((*inner_first == *outer_first && in.left == 0 && out.left > 320) || (in.left > 320 && out.left == 0)) {
        ++*inner_first;
        ++*outer_first;
    }
    if (*outer_last <= *inner_last && *outer_last != h - 1) {
        *outer_last = *inner_last;
        int32_t row = *outer_last;
        if (row != h - 1 && row != 0 && reaches_right(row)) --*outer_last;
    }
}

void draw_edge_ramps(uint8_t* surface, const sw_edge_record (*records)[2], int32_t count, int32_t half)
{
    int32_t h = sw_screen_height();
    count = std::clamp(count, 0, SW_EDGE_RECORDS);
    for (int32_t i = 0; i < count; ++i) {
        const sw_edge_record& r = records[i][half & 1];
        int32_t n, sx = 0, sy = 0;
        if (std::abs(r.dx) >= 1) {
            n = std::abs(r.dx);
            sx = r.dx > 0 ? 1 : -1;
        } else {
            n = std::abs(r.dy);
            sy = r.dy > 0 ? 1 : -1;
        }
        n = std::min(n, 2048);
        int32_t x = r.x, y = r.y;
        for (int32_t k = 0; k < n; ++k, x += sx, y += sy) {
            int32_t shade;
            if (n == 1)
                shade = 0;
            else if (half == 0)
                shade = int32_t(7.5 - k * 7.0 / (n - 1));
            else
                shade = int32_t(0.5 + k * 7.0 / (n - 1));
            if (x < 0 || x > 639 || y < 0 || y >= h) continue;
            surface[size_t(y) * 640 + size_t(x)] = uint8_t(SW_RAMP_FIRST + std::clamp(shade, 0, 7));
        }
    }
}

int32_t draw_sw_meshes()
{
    if (!palette_attached || !d3d_meshes_on) return 0;
    d3d2_begin_scene();
    if (!draw_x_mesh(&sw_stadium_mesh, &sw_device)) return 0;
    d3d2_end_scene();
    queue_goal_posts();
    return 0;
}

int32_t draw_sw_extra(uint8_t* surface, const uint8_t* sky)
{
    if (!palette_attached) return 1;
    if (!transform_x_mesh(&sw_sky_mesh) || !clip_mesh_polygons(&sw_sky_mesh, 0)) return 0;
    if (!sky) return 1;
    const CameraGlobals& cam = camera_globals;
    int32_t h = sw_screen_height();
    int32_t limit = sw_sky_mesh.row_range[1];
    int32_t tangent = fine_tangent_table[uint32_t(-cam.pitch) & ANGLE_MASK];
    int32_t horizon = round_to_int(double(tangent) * cam.projection_scale / 65536.0) + h / 2;
    if (horizon < limit) limit = horizon;
    if (limit < 0) return 1;
    limit = std::min(limit, h - 1); // never the row past the buffer
    uint32_t row = uint32_t(int32_t(std::trunc(cam.pitch * 14.0625 / 50))) % SW_SKY_HEIGHT;
    uint32_t col = uint32_t(int32_t(std::trunc(cam.yaw * double(h) * 0.02197265625 / 50))) % SW_SKY_WIDTH;
    for (int32_t y = 0; y <= limit; ++y) {
        const uint8_t* src = sky + size_t(row) * SW_SKY_WIDTH;
        uint8_t* d = surface + size_t(y) * 640;
        std::memcpy(d, src + col, SW_SKY_WIDTH - col);
        std::memcpy(d + (SW_SKY_WIDTH - col), src, SW_SKY_WIDTH);
        std::memcpy(d + (2 * SW_SKY_WIDTH - col), src, col);
        row = row == SW_SKY_HEIGHT - 1 ? 0 : row + 1;
    }
    return 1;
}
