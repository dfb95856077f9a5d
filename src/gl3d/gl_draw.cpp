// Where the GL layer's geometry meets the device: the driver slots, the
// triangle drawer with back-face culling, batching of wholly visible
// triangles and homogeneous clipping of the others, and presenting.
#include "gl3d/gl.h"

#include "host/render_device.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float k_depth_factor = 1.5259021896696422e-05f; // 1 / 65535
constexpr float k_byte_to_unit = 0.00392156862745098f;    // 1 / 255
constexpr uint32_t k_clip_mask = 0x7BF;                   // the ten floats the drawer fills

HostTLVertex g_batch[MAX_GL_VERTICES];
HostTLVertex g_polygon_buffer[30];

uint32_t pack_colour(const uint8_t* rgba)
{
    return uint32_t(rgba[3]) << 24 | uint32_t(rgba[0]) << 16 | uint32_t(rgba[1]) << 8 | rgba[2];
}

float screen_cross(float x0, float y0, float x1, float y1, float x2, float y2)
{
    return (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
}

uint8_t channel_back(float value, bool truncate)
{
    float scaled = value * 255.0f;
    long v = truncate ? static_cast<long>(scaled) : std::lrint(scaled);
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

HostTLVertex project_clip_vertex(const gl_context* c, const clip_vertex& cv, bool truncate)
{
    const GlViewport& vp = c->viewport;
    const float* f = cv.f;
    HostTLVertex out{};
    out.x = f[0] / f[3] * vp.scale[0] + vp.offset[0];
    out.y = f[1] / f[3] * vp.scale[1] + vp.offset[1];
    out.z = (f[2] / f[3] * vp.scale[2] + vp.offset[2]) * k_depth_factor;
    out.rhw = 1.0f / f[3];
    uint8_t rgba[4] = {channel_back(f[7], truncate), channel_back(f[8], truncate), channel_back(f[9], truncate),
                       channel_back(f[10], truncate)};
    out.diffuse = pack_colour(rgba);
    out.u = f[4];
    out.v = f[5];
    return out;
}

void flush_batch(HostRenderDevice* device, uint32_t& count)
{
    if (count && device) device->draw_primitive(HOST_TRIANGLE_LIST, g_batch, count);
    count = 0;
}

// The shared drawer: texcoord indices come from their own triples in the
// twin; its cull test keeps results >= 0.0 and its fans truncate colours
// (its clipped triangles round them, as the main drawer does).
void draw_triangles(gl_context* c, int32_t index_count, const uint32_t* indices, const uint32_t* uv_indices)
{
    HostRenderDevice* device = gl_render_device();
    if (index_count <= 0 || !indices || !device) return;
    const bool twin = uv_indices != nullptr;
    const int32_t triangles = index_count / 3; // a partial last triple is dropped
    uint32_t batched = 0;

    for (int32_t t = 0; t < triangles; ++t) {
        const uint32_t* tri = indices + 3 * t;
        const uint32_t* uvi = twin ? uv_indices + 3 * t : tri;
        if (tri[0] >= MAX_GL_VERTICES || tri[1] >= MAX_GL_VERTICES || tri[2] >= MAX_GL_VERTICES ||
            uvi[0] >= MAX_GL_VERTICES || uvi[1] >= MAX_GL_VERTICES || uvi[2] >= MAX_GL_VERTICES)
            continue;

        if (c->clip_codes[tri[0]] == 0 && c->clip_codes[tri[1]] == 0 && c->clip_codes[tri[2]] == 0) {
            const float* w0 = c->window[tri[0]];
            const float* w1 = c->window[tri[1]];
            const float* w2 = c->window[tri[2]];
            float cross = screen_cross(w0[0], w0[1], w1[0], w1[1], w2[0], w2[1]);
            if (twin ? !(cross >= 0.0f) : std::signbit(cross)) continue;
            if (batched + 3 > MAX_GL_VERTICES) flush_batch(device, batched);
            for (int k = 0; k < 3; ++k) {
                uint32_t i = tri[k];
                HostTLVertex& v = g_batch[batched++];
                v.x = c->window[i][0];
                v.y = c->window[i][1];
                v.z = c->window[i][2] * k_depth_factor;
                v.rhw = 1.0f / c->clip[i][3];
                v.diffuse = pack_colour(c->lit[i]);
                v.specular = 0;
                v.u = c->texcoords[uvi[k]][0];
                v.v = c->texcoords[uvi[k]][1];
            }
            continue;
        }

        clip_polygon polygon;
        polygon.count = 3;
        polygon.mask = k_clip_mask;
        for (int k = 0; k < 3; ++k) {
            uint32_t i = tri[k];
            float* f = polygon.v[k].f;
            std::memset(f, 0, sizeof polygon.v[k].f);
            std::memcpy(f, c->clip[i], 4 * sizeof(float));
            f[4] = c->texcoords[uvi[k]][0];
            f[5] = c->texcoords[uvi[k]][1];
            for (int ch = 0; ch < 4; ++ch) f[7 + ch] = c->lit[i][ch] * k_byte_to_unit;
        }
        if (clip_polygon_homogeneous(&polygon) != 1 || polygon.count < 3) continue;
        uint32_t n = polygon.count;
        const bool truncate = twin && n > 3; // only the twin's fans truncate their colours
        HostTLVertex a = project_clip_vertex(c, polygon.v[0], truncate);
        HostTLVertex b = project_clip_vertex(c, polygon.v[1], truncate);
        HostTLVertex z = project_clip_vertex(c, polygon.v[n - 1], truncate);
        float cross = screen_cross(a.x, a.y, b.x, b.y, z.x, z.y);
        if (twin ? !(cross >= 0.0f) : std::signbit(cross)) continue;
        for (uint32_t k = 0; k < n; ++k) g_polygon_buffer[k] = project_clip_vertex(c, polygon.v[k], truncate);
        device->draw_primitive(n == 3 ? HOST_TRIANGLE_LIST : HOST_TRIANGLE_FAN, g_polygon_buffer, n);
    }
    flush_batch(device, batched);
}

} // namespace

HostRenderDevice* gl_render_device() { return gl_current_device ? gl_current_device->device : nullptr; }

void d3d_install_scene_slots(gl_context* c)
{
    c->begin_scene = d3d_begin_scene;
    c->end_scene = d3d_end_scene;
    c->draw_triangles = d3d_draw_triangles;
    c->draw_indexed_triangles = d3d_draw_triangles_uv_indexed;
}

uint32_t d3d_clear(gl_context*, uint32_t mask)
{
    // Colour and depth are always both cleared, whatever the mask says.
    if (HostRenderDevice* device = gl_render_device()) device->clear(0, 1.0f);
    return mask & ~(GL_CLEAR_COLOUR_BIT | GL_CLEAR_DEPTH_BIT);
}

void d3d_begin_scene(gl_context*)
{
    if (HostRenderDevice* device = gl_render_device()) device->begin_scene();
}

void d3d_end_scene(gl_context*)
{
    if (HostRenderDevice* device = gl_render_device()) device->end_scene();
}

void d3d_draw_triangles(gl_context* c, int32_t index_count, const uint32_t* indices)
{
    draw_triangles(c, index_count, indices, nullptr);
}

void d3d_draw_triangles_uv_indexed(gl_context* c, int32_t index_count, const uint32_t* positions,
                                   const uint32_t* texcoords)
{
    if (!texcoords) return;
    draw_triangles(c, index_count, positions, texcoords);
}

void clip_polygon_plane(const clip_polygon* source, clip_polygon* destination, int axis, int sign, float w_factor)
{
    destination->count = 0;
    destination->mask = source->mask;
    uint32_t n = source->count;
    if (n == 0) return;
    auto distance = [&](const clip_vertex& v) { return static_cast<float>(sign) * v.f[axis] - w_factor * v.f[3]; };
    const clip_vertex* p = &source->v[n - 1];
    float dp = distance(*p);
    for (uint32_t i = 0; i < n; ++i) {
        const clip_vertex* q = &source->v[i];
        float dq = distance(*q);
        bool p_in = dp <= 0.0f, q_in = dq <= 0.0f;
        if (p_in != q_in && destination->count < 20) {
            float t = dp / (dp - dq);
            clip_vertex& out = destination->v[destination->count++];
            for (int k = 0; k < 14; ++k)
                if (source->mask & (1u << k)) out.f[k] = p->f[k] + (q->f[k] - p->f[k]) * t;
        }
        if (q_in && destination->count < 20) destination->v[destination->count++] = *q;
        p = q;
        dp = dq;
    }
}

int clip_polygon_homogeneous(clip_polygon* polygon)
{
    uint32_t n = polygon->count;
    uint32_t outside[6] = {}; // x lower, x upper, y lower, y upper, z lower, z upper
    for (uint32_t i = 0; i < n; ++i) {
        const float* f = polygon->v[i].f;
        for (int axis = 0; axis < 3; ++axis) {
            if (f[axis] < -f[3]) ++outside[2 * axis];
            if (f[axis] > f[3]) ++outside[2 * axis + 1];
        }
    }
    bool any = false;
    for (uint32_t count : outside) any = any || count != 0;
    if (!any) return 2;
    for (uint32_t count : outside)
        if (count == n) {
            polygon->count = 0;
            return 0;
        }

    clip_polygon local{};
    clip_polygon* from = polygon;
    clip_polygon* to = &local;
    for (int plane = 0; plane < 6; ++plane) {
        if (outside[plane] == 0) continue;
        clip_polygon_plane(from, to, plane / 2, plane % 2 ? 1 : -1, 1.0f);
        if (to->count == 0) {
            polygon->count = 0;
            return 0;
        }
        std::swap(from, to);
    }
    if (from != polygon) {
        polygon->count = from->count;
        polygon->mask = from->mask;
        std::memcpy(polygon->v, from->v, sizeof(clip_vertex) * from->count);
    }
    return 1;
}

int clip_polygon_box(clip_polygon* polygon, const float bounds[6])
{
    clip_polygon local{};
    clip_polygon* from = polygon;
    clip_polygon* to = &local;
    for (int plane = 0; plane < 6; ++plane) {
        bool upper = plane % 2 != 0;
        clip_polygon_plane(from, to, plane / 2, upper ? 1 : -1, upper ? bounds[plane] : -bounds[plane]);
        if (to->count == 0) {
            polygon->count = 0;
            return 0;
        }
        std::swap(from, to);
    }
    return 1; // six passes: the last one wrote the caller's record
}

void gl_swap_buffers()
{
    gl_device* d = gl_current_device;
    if (!d || !d->active || !d->device) return;
    if (d->device->present() || d->full_screen) return;
    // A lost window picture is shown once more; a failed flip is not retried.
    d->device->present();
}
