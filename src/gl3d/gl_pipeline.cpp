// Vertex arrays and the transform pipeline: positions through the model-view
// and projection matrices into clip space with a clip code, the colour of
// each vertex, and the projection of the visible ones to the window.
#include "gl3d/gl.h"

#include <cmath>
#include <cstring>

namespace {

// Counts from callers are held to the work arrays.
uint16_t within_arrays(uint32_t count) { return static_cast<uint16_t>(count > MAX_GL_VERTICES ? MAX_GL_VERTICES : count); }

int position_count(const gl_context* c)
{
    int count = c->position_array.count;
    return count < 1 ? 0 : count;
}

uint16_t clip_code(const float* clip)
{
    float w = clip[3];
    uint16_t code = 0;
    if (clip[0] > w) code |= CLIP_RIGHT;
    else if (clip[0] < -w) code |= CLIP_LEFT;
    if (clip[1] > w) code |= CLIP_TOP;
    else if (clip[1] < -w) code |= CLIP_BOTTOM;
    if (clip[2] > w) code |= CLIP_FAR;
    else if (clip[2] < -w) code |= CLIP_NEAR;
    return code;
}

void transform_normals(gl_context* c)
{
    int count = position_count(c);
    const float* normals = static_cast<const float*>(c->normal_array.pointer);
    if (!normals) return;
    const float* inv = c->inverse_modelview;
    for (int v = 0; v < count; ++v) {
        const float* n = normals + 3 * v;
        for (int j = 0; j < 3; ++j) c->normals[v][j] = n[0] * inv[4 * j] + n[1] * inv[4 * j + 1] + n[2] * inv[4 * j + 2];
    }
}

void copy_normals(gl_context* c)
{
    int count = position_count(c);
    const float* normals = static_cast<const float*>(c->normal_array.pointer);
    if (normals) std::memcpy(c->normals, normals, sizeof(float) * 3 * count);
}

// Lit colours: lighting, colour material, or the current colour.
void colour_step(gl_context* c, bool eye_space)
{
    int count = position_count(c);
    if (c->lighting) {
        if (eye_space) {
            copy_normals(c);
            gl_pipeline_b(0);
        } else {
            transform_normals(c);
            gl_pipeline_a(0);
        }
    } else if (c->colour_material) {
        std::memcpy(c->lit, c->colours, 4 * static_cast<size_t>(count));
    } else {
        for (int v = 0; v < count; ++v) std::memcpy(c->lit[v], c->current_colour, 4);
    }
}

void transform_eye_vertices(gl_context* c)
{
    int count = position_count(c);
    const float* p = static_cast<const float*>(c->position_array.pointer);
    const float* P = c->projection;
    for (int v = 0; v < count; ++v, p += 3) {
        float* clip = c->clip[v];
        for (int i = 0; i < 4; ++i) clip[i] = P[i] * p[0] + P[4 + i] * p[1] + P[8 + i] * p[2] + P[12 + i];
        c->clip_codes[v] = clip_code(clip);
    }
}

} // namespace

void gl_vertex_pointer(uint16_t count, uint16_t kind, const float* xyz)
{
    gl_context* c = gl_current_context;
    if (!c) return;
    c->position_array = {static_cast<int16_t>(within_arrays(count)), kind, xyz};
}

void gl_normal_pointer(uint16_t count, uint16_t kind, const float* xyz)
{
    gl_context* c = gl_current_context;
    if (!c) return;
    c->normal_array = {static_cast<int16_t>(within_arrays(count)), kind, xyz};
}

void gl_texcoord_pointer(uint16_t float_count, uint16_t kind, const float* uv)
{
    gl_context* c = gl_current_context;
    if (!c) return;
    c->texcoord_array = {static_cast<int16_t>(float_count), kind, uv};
    if (!uv) return;
    uint32_t pairs = within_arrays((float_count + 1u) / 2u);
    std::memcpy(c->texcoords, uv, sizeof(float) * 2 * pairs);
}

void gl_colour_pointer(uint16_t count, uint16_t kind, const uint8_t* rgba)
{
    gl_context* c = gl_current_context;
    if (!c) return;
    count = within_arrays(count);
    c->colour_array = {static_cast<int16_t>(count), kind, rgba};
    if (rgba) std::memcpy(c->colours, rgba, 4 * static_cast<size_t>(count));
}

void gl_read_lit_colours(uint16_t count, uint16_t, uint8_t* destination)
{
    gl_context* c = gl_current_context;
    if (!c || !destination) return;
    count = within_arrays(count);
    std::memcpy(destination, c->lit, 4 * static_cast<size_t>(count));
    c->colour_array = {static_cast<int16_t>(count), 1, destination};
}

void gl_transform_vertices()
{
    gl_context* c = gl_current_context;
    if (!c) return;
    int count = position_count(c);
    const float* p = static_cast<const float*>(c->position_array.pointer);
    if (!p) return;
    const float* M = c->modelview;
    const float* P = c->projection;
    for (int v = 0; v < count; ++v, p += 3) {
        float ex = M[0] * p[0] + M[4] * p[1] + M[8] * p[2] + M[12];
        float ey = M[1] * p[0] + M[5] * p[1] + M[9] * p[2] + M[13];
        float ez = M[2] * p[0] + M[6] * p[1] + M[10] * p[2] + M[14];
        float ew = M[3] * p[0] + M[7] * p[1] + M[11] * p[2] + M[15];
        c->eye[v][0] = ex, c->eye[v][1] = ey, c->eye[v][2] = ez;
        float* clip = c->clip[v];
        clip[0] = P[0] * ex + P[8] * ez;
        clip[1] = P[5] * ey + P[9] * ez;
        clip[2] = P[10] * ez + P[14] * ew;
        clip[3] = -ez;
        // Each transform gives a fresh code: no bits left over from the slot's last use.
        c->clip_codes[v] = clip_code(clip);
    }
}

void gl_project_vertices()
{
    gl_context* c = gl_current_context;
    if (!c) return;
    int count = position_count(c);
    const GlViewport& vp = c->viewport;
    for (int v = 0; v < count; ++v) {
        if (c->clip_codes[v] != 0) continue;
        const float* clip = c->clip[v];
        float* win = c->window[v];
        if (clip[3] == 0.0f) {
            win[0] = win[1] = win[2] = 0.0f;
            continue;
        }
        float r = 1.0f / clip[3];
        win[0] = clip[0] * r * vp.scale[0] + vp.offset[0];
        win[1] = clip[1] * r * vp.scale[1] + vp.offset[1];
        win[2] = clip[2] * r * vp.scale[2] + vp.offset[2];
    }
}

void gl_draw_arrays(int32_t index_count, const uint32_t* indices)
{
    gl_context* c = gl_current_context;
    if (!c) return;
    gl_transform_vertices();
    colour_step(c, false);
    gl_project_vertices();
    if (c->draw_triangles) c->draw_triangles(c, index_count, indices);
}

void gl_draw_eye_arrays(int32_t index_count, const uint32_t* positions, const uint32_t* texcoords)
{
    gl_context* c = gl_current_context;
    if (!c) return;
    if (c->position_array.pointer) transform_eye_vertices(c);
    colour_step(c, true);
    gl_project_vertices();
    if (c->draw_indexed_triangles) c->draw_indexed_triangles(c, index_count, positions, texcoords);
}

int gl_project_raster(const float* point, int32_t* x, int32_t* y)
{
    gl_context* c = gl_current_context;
    if (!c) return 0;
    c->position_array = {1, 1, point};
    gl_transform_vertices();
    gl_project_vertices();
    if (c->clip_codes[0] != 0) return 0;
    *x = static_cast<int32_t>(std::lrint(c->window[0][0]));
    *y = static_cast<int32_t>(std::lrint(c->window[0][1]));
    return 1;
}

int gl_points_visible(int32_t count, const float* xyz)
{
    gl_context* c = gl_current_context;
    if (!c) return 0;
    uint32_t n = count < 1 ? 0 : within_arrays(static_cast<uint32_t>(count));
    c->position_array = {static_cast<int16_t>(n), 1, xyz};
    gl_transform_vertices();
    if (n == 0) return 0;
    uint16_t all = 0xFFFF;
    for (uint32_t v = 0; v < n; ++v) all &= c->clip_codes[v];
    return all == 0 ? 1 : 0;
}

int gl_range_visible(int32_t first, uint32_t count)
{
    gl_context* c = gl_current_context;
    if (!c || count == 0 || first < 0 || first >= MAX_GL_VERTICES) return 0;
    if (count > static_cast<uint32_t>(MAX_GL_VERTICES - first)) count = static_cast<uint32_t>(MAX_GL_VERTICES - first);
    uint16_t all = 0xFFFF;
    for (uint32_t v = 0; v < count; ++v) all &= c->clip_codes[first + v];
    return all == 0 ? 1 : 0;
}
