// Drawing a text mesh: the camera transform, clipping of every face against
// the near plane and the four screen edges, re-cutting into depth slices so
// that affine texturing holds up, strips through the display's device.
#include "swrender/x_mesh.h"

#include "gl3d/angle_maths.h"
#include "host/picture.h"
#include "screen/screen.h"
#include "gl3d/camera_globals.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t k_half_width = 320;
constexpr int32_t k_centre_row = PICTURE_HEIGHT / 2;

int32_t screen_rows() { return screen.height ? int32_t(screen.height) : int32_t(PICTURE_HEIGHT); }

int32_t wrap_sum(int32_t a, int32_t b, int32_t c) { return int32_t(uint32_t(a) + uint32_t(b) - uint32_t(c)); }

// A double to int32, truncated; anything outside gives what x86 gives.
int32_t trunc_to_int(double v)
{
    double t = std::trunc(v);
    if (!(t >= -2147483648.0 && t <= 2147483647.0)) return INT32_MIN;
    return int32_t(t);
}

void project_vertex(mesh_vertex& v)
{
    if (v.z < 0) { // behind: no projection (it would divide by zero at -D)
        v.outcode = OUT_BEHIND;
        return;
    }
    project_point(v.x, v.y, v.z, &v.screen_x, &v.screen_y);
    uint8_t code = 0;
    if (v.screen_y < 0) code |= OUT_TOP;
    if (v.screen_y >= screen_rows()) code |= OUT_BOTTOM;
    if (v.screen_x >= 640) code |= OUT_RIGHT;
    if (v.screen_x < 0) code |= OUT_LEFT;
    v.outcode = code;
    if (code == 0) v.projected = 1;
}

// Screen position for drawing even when a cut left the vertex a unit behind.
void project_for_drawing(mesh_vertex& v)
{
    if (v.projected) return;
    project_point(v.x, v.y, std::max(v.z, 0), &v.screen_x, &v.screen_y);
}

enum Plane { NEAR = 1, LEFT = 2, TOP = 4, RIGHT = 8, BOTTOM = 16 };

uint8_t outcode_bit(int plane)
{
    switch (plane) {
    case LEFT: return OUT_LEFT;
    case TOP: return OUT_TOP;
    case RIGHT: return OUT_RIGHT;
    default: return OUT_BOTTOM;
    }
}

bool inside(mesh_vertex& v, int plane)
{
    if (plane == NEAR) return v.z >= 0;
    if (!v.projected) project_vertex(v);
    return (v.outcode & outcode_bit(plane)) == 0;
}

mesh_vertex intersect(const mesh_vertex& a, const mesh_vertex& b, int plane)
{
    double D = camera_globals.projection_scale;
    double cy = k_centre_row;
    double dx = double(b.x) - a.x, dy = double(b.y) - a.y, dz = double(b.z) - a.z;
    double f = a.z / D + 1.0;
    double hz = double(int64_t(k_half_width) * int64_t(int64_t(b.z) - a.z)) / D;
    double cz = double(int64_t(k_centre_row) * int64_t(int64_t(b.z) - a.z)) / D;
    double t;
    switch (plane) {
    case NEAR: t = -a.z / dz; break;
    case LEFT: t = (-k_half_width * f - a.x) / (dx + hz); break;
    case TOP: t = (cy * f - a.y) / (dy - cz); break;
    case RIGHT: t = (k_half_width * f - a.x) / (dx - hz); break;
    default: t = (-cy * f - a.y) / (dy + cz); break;
    }
    if (!std::isfinite(t)) t = 0.0;
    t = std::clamp(t, 0.0, 1.0);
    mesh_vertex n{};
    n.x = int32_t(int64_t(a.x) + trunc_to_int(dx * t));
    n.y = int32_t(int64_t(a.y) + trunc_to_int(dy * t));
    n.z = int32_t(int64_t(a.z) + trunc_to_int(dz * t));
    n.u = int32_t(int64_t(a.u) + trunc_to_int((double(b.u) - a.u) * t));
    n.v = int32_t(int64_t(a.v) + trunc_to_int((double(b.v) - a.v) * t));
    return n;
}

void clip_against(std::vector<mesh_vertex>& poly, int plane)
{
    std::vector<mesh_vertex> out;
    size_t n = poly.size();
    if (n == 0) return;
    out.reserve(n + 1);
    size_t prev = n - 1;
    for (size_t cur = 0; cur < n; prev = cur++) {
        bool ci = inside(poly[cur], plane), pi = inside(poly[prev], plane);
        if (ci) {
            if (!pi) out.push_back(intersect(poly[prev], poly[cur], plane));
            out.push_back(poly[cur]);
        } else if (pi) {
            out.push_back(intersect(poly[prev], poly[cur], plane));
        }
    }
    poly.swap(out);
}

void widen_rows(x_mesh* mesh, int32_t row)
{
    if (row < mesh->row_range[0]) mesh->row_range[0] = row;
    if (row > mesh->row_range[1]) mesh->row_range[1] = row;
}

struct StripWriter {
    x_mesh* mesh;
    int32_t emitted = 0;
    void take(mesh_vertex v, bool always)
    {
        project_for_drawing(v);
        widen_rows(mesh, v.screen_y);
        if (always || !(mesh->flags & MESH_ROWS_ONLY)) {
            mesh->clip_vertices.push_back(v);
            ++emitted;
        }
    }
};

mesh_vertex point_at_depth(const mesh_vertex& near, const mesh_vertex& far, int64_t level)
{
    double span = double(far.z) - near.z;
    double t = span != 0.0 ? (double(level) - near.z) / span : 0.0;
    mesh_vertex p{};
    p.x = int32_t(int64_t(near.x) + trunc_to_int((double(far.x) - near.x) * t));
    p.y = int32_t(int64_t(near.y) + trunc_to_int((double(far.y) - near.y) * t));
    p.z = int32_t(int64_t(near.z) + trunc_to_int(span * t));
    p.u = int32_t(int64_t(near.u) + trunc_to_int((double(far.u) - near.u) * t));
    p.v = int32_t(int64_t(near.v) + trunc_to_int((double(far.v) - near.v) * t));
    project_point(p.x, p.y, std::max(p.z, 0), &p.screen_x, &p.screen_y);
    p.projected = 1;
    return p;
}

// A convex polygon as one strip, from its farthest vertex, zig-zagging
// toward its nearest, with slice points every slice depth on both sides.
int32_t emit_strip(x_mesh* mesh, const std::vector<mesh_vertex>& poly)
{
    int32_t n = int32_t(poly.size());
    int32_t nearest = 0, farthest = 0;
    for (int32_t i = 1; i < n; ++i) {
        if (poly[size_t(i)].z < poly[size_t(nearest)].z) nearest = i;
        if (poly[size_t(i)].z > poly[size_t(farthest)].z) farthest = i;
    }
    StripWriter out{mesh};
    out.take(poly[size_t(farthest)], false);
    if (n == 1) return out.emitted;
    int32_t fwd = (farthest + 1) % n, bwd = (farthest + n - 1) % n;
    int32_t remaining = n - 1; // vertices between the walkers, both included
    mesh_vertex last_b = poly[size_t(farthest)], last_f = last_b;
    int64_t near_z = poly[size_t(nearest)].z;
    int64_t level = int64_t(poly[size_t(farthest)].z) - MESH_SLICE_DEPTH;
    if (!(mesh->flags & MESH_NO_DEPTH_SLICES) && level > near_z) {
        do {
            if (out.emitted + remaining + 2 > MESH_MAX_POLYGON_VERTICES) break;
            level = std::max({level, int64_t(poly[size_t(bwd)].z), int64_t(poly[size_t(fwd)].z)});
            if (level == poly[size_t(bwd)].z && remaining > 1) {
                last_b = poly[size_t(bwd)];
                out.take(last_b, true);
                bwd = (bwd + n - 1) % n;
                --remaining;
            } else {
                last_b = point_at_depth(poly[size_t(bwd)], last_b, level);
                out.take(last_b, true);
            }
            if (level == poly[size_t(fwd)].z && remaining > 1) {
                last_f = poly[size_t(fwd)];
                out.take(last_f, true);
                fwd = (fwd + 1) % n;
                --remaining;
            } else {
                last_f = point_at_depth(poly[size_t(fwd)], last_f, level);
                out.take(last_f, true);
            }
            level -= MESH_SLICE_DEPTH;
        } while (level > near_z);
    }
    while (bwd != fwd) {
        out.take(poly[size_t(bwd)], false);
        bwd = (bwd + n - 1) % n;
        if (bwd == fwd) break;
        out.take(poly[size_t(fwd)], false);
        fwd = (fwd + 1) % n;
    }
    out.take(poly[size_t(bwd)], false);
    return out.emitted;
}

void clip_face(x_mesh* mesh, int32_t material, const int32_t* indices, int32_t count)
{
    std::vector<mesh_vertex> poly;
    uint8_t common = 0xFF;
    for (int32_t k = 0; k < count; ++k) {
        mesh_vertex v = mesh->camera_vertices[size_t(indices[k])];
        if (!v.projected) project_vertex(v);
        common &= v.outcode;
        poly.push_back(v);
    }
    // Dropped only when one edge has every vertex beyond it: a face whose
    // corners sit in the diagonal regions can still cover the screen.
    if (common != 0) return;
    for (int plane : {NEAR, LEFT, TOP, RIGHT, BOTTOM}) clip_against(poly, plane);
    if (poly.empty()) return;
    int32_t first = int32_t(mesh->clip_vertices.size());
    int32_t emitted = emit_strip(mesh, poly);
    mesh->polygons.push_back(mesh_polygon{material, emitted, first});
}

} // namespace

int32_t transform_x_mesh(x_mesh* mesh)
{
    const CameraGlobals& cam = camera_globals;
    for (int32_t i = 0; i < mesh->vertex_count; ++i) {
        mesh_vertex& v = mesh->camera_vertices[size_t(i)];
        int32_t dup = mesh->duplicate_of.empty() ? -1 : mesh->duplicate_of[size_t(i)];
        if (dup >= 0) {
            const mesh_vertex& src = mesh->camera_vertices[size_t(dup)];
            v.x = src.x;
            v.y = src.y;
            v.z = src.z;
            continue;
        }
        const int32_t* p = &mesh->vertex_int[size_t(i) * 3];
        int32_t x = wrap_sum(p[0], mesh->position[0], cam.x);
        int32_t y = wrap_sum(p[1], mesh->position[1], cam.y);
        int32_t z = wrap_sum(p[2], mesh->position[2], cam.z);
        rotate_point_yaw(x, y, z, &x, &y, &z, cam.yaw);
        rotate_point_pitch(x, y, z, &x, &y, &z, cam.pitch);
        v.x = x;
        v.y = y;
        v.z = z;
    }
    return 1;
}

int32_t clip_mesh_polygons(x_mesh* mesh, int32_t)
{
    mesh->polygons.clear();
    mesh->clip_vertices.clear();
    mesh->row_range[0] = screen_rows();
    mesh->row_range[1] = -1;
    if (!mesh->loaded) return 1;
    for (const mesh_triangle& t : mesh->triangles) clip_face(mesh, t.material, t.v, 3);
    for (const mesh_quad& q : mesh->quads) clip_face(mesh, q.material, q.v, 4);
    if (d3d_meshes_on) {
        mesh->screen_vertices.assign(mesh->clip_vertices.size(),
                                     SwTLVertex{0.0f, 0.0f, 0.0f, 1.0f, 0xFFFFFFFFu, 0x00010101u, 0.0f, 0.0f});
    }
    for (size_t i = 0; i < mesh->clip_vertices.size(); ++i) {
        mesh_vertex& v = mesh->clip_vertices[i];
        project_for_drawing(v);
        if (d3d_meshes_on) {
            SwTLVertex& s = mesh->screen_vertices[i];
            s.sx = float(v.screen_x);
            s.sy = float(v.screen_y);
            s.sz = 0.0f;
            s.tu = float(v.u / 65536.0);
            s.tv = float(v.v / 65536.0);
        }
    }
    if (mesh->row_range[1] > screen_rows()) mesh->row_range[1] = screen_rows();
    return 1;
}

int32_t draw_x_mesh(x_mesh* mesh, SwDevice* device)
{
    if (!mesh->loaded || !device) return 1;
    transform_x_mesh(mesh);
    clip_mesh_polygons(mesh, 0);
    if (mesh->clip_vertices.empty() || mesh->polygons.empty() || mesh->screen_vertices.empty()) return 1;
    std::vector<SwTLVertex> local;
    for (const mesh_polygon& p : mesh->polygons) {
        const mesh_material* m = nullptr;
        if (p.material != -1) {
            m = &mesh->materials[size_t(p.material)];
            sw_device_set_light_state(SW_LS_MATERIAL, m->material_handle);
            sw_device_set_render_state(SW_RS_TEXTUREHANDLE, m->texture_handle);
        }
        local.assign(mesh->screen_vertices.begin() + p.first, mesh->screen_vertices.begin() + p.first + p.count);
        for (SwTLVertex& v : local) {
            v.sx = std::clamp(v.sx, 0.0f, 639.0f);
            v.sy = std::clamp(v.sy, 0.0f, 479.0f);
            if (m && m->texture_name[0] == 0) {
                auto channel = [](float c) { return uint32_t(trunc_to_int(double(c) * 255.0)) & 0xFF; };
                v.colour = channel(m->red) << 16 | channel(m->green) << 8 | channel(m->blue);
                v.specular = 0;
            }
        }
        if (!sw_device_draw_strip(local.data(), int32_t(local.size()))) return 0;
    }
    return 1;
}

void d3d2_set_initial_states()
{
    sw_device_begin_scene();
    sw_device_set_light_state(SW_LS_COLORMODEL, SW_COLOR_MONO);
    sw_device_set_render_state(SW_RS_SPECULARENABLE, 0);
    sw_device_set_render_state(SW_RS_ZWRITEENABLE, 0);
    sw_device_set_render_state(SW_RS_SHADEMODE, 1); // flat
    sw_device_set_render_state(SW_RS_FILLMODE, 3);  // solid
    sw_device_set_render_state(SW_RS_TEXTUREMAPBLEND, SW_TBLEND_COPY);
    sw_device.viewport = 1;
    sw_device_end_scene();
}

void d3d2_set_blend_copy() { sw_device_set_render_state(SW_RS_TEXTUREMAPBLEND, SW_TBLEND_COPY); }
void d3d2_set_blend_modulate() { sw_device_set_render_state(SW_RS_TEXTUREMAPBLEND, SW_TBLEND_MODULATE); }

void d3d2_select_material(x_mesh* mesh, int32_t material)
{
    if (material < 0 || size_t(material) >= mesh->materials.size()) return;
    sw_device_set_light_state(SW_LS_MATERIAL, mesh->materials[size_t(material)].material_handle);
    sw_device_set_render_state(SW_RS_TEXTUREHANDLE, mesh->materials[size_t(material)].texture_handle);
}

int32_t d3d2_begin_scene() { return d3d_meshes_on ? sw_device_begin_scene() : 0; }
int32_t d3d2_end_scene() { return d3d_meshes_on ? sw_device_end_scene() : 0; }
