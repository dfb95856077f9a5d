// The GL context record, the device binding and the matrix operations.
#include "gl3d/gl.h"

#include "gl3d/d3d.h"
#include "gl3d/window_shell.h"
#include "host/process.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

gl_context* gl_current_context = nullptr;
gl_device* gl_current_device = nullptr;

namespace {

// pi taken as 3.1415926, as the game always did.
constexpr double k_degrees_to_radians = 0.017453292222222222;
constexpr double k_half_degrees_to_radians = 0.008726646111111111;

void set_identity(float* m)
{
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

// The matrix the current mode works on, or null with no mode chosen.
float* current_matrix()
{
    gl_context* c = gl_current_context;
    if (!c) return nullptr;
    if (c->matrix_mode == GL_MODELVIEW_MODE) return c->modelview;
    if (c->matrix_mode == GL_PROJECTION_MODE) return c->projection;
    return nullptr;
}

void multiply_current(const float* m)
{
    if (float* current = current_matrix()) gl_multiply_matrix4(current, current, m);
}

} // namespace

gl_context* gl_create_context()
{
    auto* context = static_cast<gl_context*>(std::calloc(1, sizeof(gl_context)));
    if (context) gl_init_context(context);
    return context;
}

void gl_destroy_context(gl_context* context)
{
    if (gl_current_context == context) gl_current_context = nullptr;
    std::free(context);
}

void gl_init_context(gl_context* c)
{
    set_identity(c->modelview);
    set_identity(c->inverse_modelview);
    set_identity(c->projection);
    c->modelview_depth = 0;
    c->projection_depth = 0;
    c->matrix_mode = 0;
    c->viewport = {};
    c->viewport.scale[2] = 32767.5f;
    c->viewport.offset[2] = 32767.5f;
    std::memset(c->current_colour, 255, 4);
    c->lighting = 0;
    c->colour_material = 0;
    c->depth_test = 0;
    gl_init_lighting(c);
}

void gl_set_current_context(gl_context* context) { gl_current_context = context; }

gl_device* gl_create_device(HostWindow* window, void* instance, uint32_t width, uint32_t height,
                            uint32_t full_screen)
{
    auto* device = static_cast<gl_device*>(std::calloc(1, sizeof(gl_device)));
    if (device) {
        device->window = window;
        device->instance = instance;
        device->width = width;
        device->height = height;
        device->full_screen = full_screen;
        device->active = 1;
        if (d3d_init_from_config(device)) {
            device->context = gl_create_context();
            if (device->context) return device;
        }
    }
    // A display that cannot start is a failed run: it ends with code 1.
    std::printf("ERROR ( Direct3d non initialize  ) \n\n ");
    std::fflush(stdout);
    if (device) {
        d3d_release_device_objects(device, 1);
        if (gl_current_device == device) gl_current_device = nullptr;
        std::free(device);
    }
    destroy_window_if_any(window);
    if (void (*hook)() = gl_exit_hook()) hook();
    host_exit(1);
}

void gl_destroy_device(gl_device* device)
{
    if (!device) return;
    d3d_release_device_objects(device, 1);
    if (gl_current_device == device) {
        gl_current_device = nullptr;
        gl_current_context = nullptr;
    }
    gl_destroy_context(device->context);
    std::free(device);
}

void gl_make_current(gl_device* device)
{
    if (!device) {
        gl_current_context = nullptr;
        gl_current_device = nullptr;
        return;
    }
    gl_current_device = device;
    gl_current_context = device->context;
    gl_context* c = device->context;
    c->update = d3d_install_scene_slots;
    c->clear = d3d_clear;
    d3d_install_scene_slots(c);
    if (void (*reshape)(int32_t, int32_t) = glw_reshape_func())
        reshape(static_cast<int32_t>(device->width), static_cast<int32_t>(device->height));
    else
        set_gl_viewport(0, 0, static_cast<int32_t>(device->width) - 1, static_cast<int32_t>(device->height) - 1);
}

void gl_reshape_current()
{
    if (!gl_current_device) return;
    d3d_save_config(gl_current_device);
    gl_make_current(gl_current_device);
}

void gl_matrix_mode(int32_t mode)
{
    if (!gl_current_context) return;
    if (mode == static_cast<int32_t>(GL_MODELVIEW_MODE) || mode == static_cast<int32_t>(GL_PROJECTION_MODE))
        gl_current_context->matrix_mode = static_cast<uint32_t>(mode);
}

void gl_load_identity()
{
    if (float* m = current_matrix()) set_identity(m);
}

void gl_load_matrix(const float* values)
{
    if (float* m = current_matrix()) std::memcpy(m, values, 16 * sizeof(float));
}

void gl_mult_matrix(const float* values) { multiply_current(values); }

bool gl_push_matrix()
{
    float* m = current_matrix();
    if (!m) return false;
    gl_context* c = gl_current_context;
    bool modelview = c->matrix_mode == GL_MODELVIEW_MODE;
    uint32_t& depth = modelview ? c->modelview_depth : c->projection_depth;
    if (depth >= GL_MATRIX_STACK_DEPTH) return false;
    std::memcpy(modelview ? c->modelview_stack[depth] : c->projection_stack[depth], m, 16 * sizeof(float));
    ++depth;
    return true;
}

void gl_pop_matrix()
{
    float* m = current_matrix();
    if (!m) return;
    gl_context* c = gl_current_context;
    bool modelview = c->matrix_mode == GL_MODELVIEW_MODE;
    uint32_t& depth = modelview ? c->modelview_depth : c->projection_depth;
    if (depth == 0) return;
    --depth;
    std::memcpy(m, modelview ? c->modelview_stack[depth] : c->projection_stack[depth], 16 * sizeof(float));
}

void gl_rotate(float angle, float x, float y, float z)
{
    float m[16];
    set_identity(m);
    float length = std::sqrt(x * x + y * y + z * z);
    if (length != 0.0f) {
        x /= length, y /= length, z /= length;
        float a = static_cast<float>(angle * k_degrees_to_radians);
        float k = std::cos(a), s = std::sin(a), t = 1.0f - k;
        m[0] = x * x * t + k, m[1] = x * y * t + z * s, m[2] = x * z * t - y * s;
        m[4] = x * y * t - z * s, m[5] = y * y * t + k, m[6] = y * z * t + x * s;
        m[8] = x * z * t + y * s, m[9] = y * z * t - x * s, m[10] = z * z * t + k;
    }
    multiply_current(m);
}

void gl_scale(float x, float y, float z)
{
    float* m = current_matrix();
    if (!m) return;
    for (int i = 0; i < 4; ++i) {
        m[i] *= x;
        m[4 + i] *= y;
        m[8 + i] *= z;
    }
}

void gl_translate(float x, float y, float z)
{
    float* m = current_matrix();
    if (!m) return;
    for (int i = 0; i < 4; ++i) m[12 + i] += x * m[i] + y * m[4 + i] + z * m[8 + i];
}

void gl_frustum(float left, float right, float bottom, float top, float near_plane, float far_plane)
{
    if (!(near_plane > 0.0f) || !(far_plane > 0.0f)) return;
    float m[16] = {};
    m[0] = 2 * near_plane / (right - left);
    m[8] = (right + left) / (right - left);
    m[5] = 2 * near_plane / (top - bottom);
    m[9] = (top + bottom) / (top - bottom);
    m[10] = -(far_plane + near_plane) / (far_plane - near_plane);
    m[14] = -2 * far_plane * near_plane / (far_plane - near_plane);
    m[11] = -1;
    multiply_current(m);
}

void gl_ortho(float left, float right, float bottom, float top, float near_plane, float far_plane)
{
    float m[16] = {};
    m[0] = 2 / (right - left);
    m[12] = -(right + left) / (right - left);
    m[5] = 2 / (top - bottom);
    m[13] = -(top + bottom) / (top - bottom);
    m[10] = -2 / (far_plane - near_plane);
    m[14] = -(far_plane + near_plane) / (far_plane - near_plane);
    m[15] = 1;
    multiply_current(m);
}

void glu_ortho_2d(float left, float right, float bottom, float top) { gl_ortho(left, right, bottom, top, -1, 1); }

void glu_perspective(float fovy, float aspect, float near_plane, float far_plane)
{
    float ymax = static_cast<float>(near_plane * std::tan(fovy * k_half_degrees_to_radians));
    float ymin = -ymax;
    gl_frustum(ymin * aspect, ymax * aspect, ymin, ymax, near_plane, far_plane);
}

void glu_pick_matrix(float x, float y, float width, float height, const int32_t viewport[4])
{
    float m[16] = {};
    m[0] = viewport[2] / width;
    m[5] = viewport[3] / height;
    m[12] = (viewport[2] + 2 * (viewport[0] - x)) / width;
    m[13] = (viewport[3] + 2 * (viewport[1] - y)) / height;
    m[10] = m[15] = 1;
    multiply_current(m);
}

namespace {
void normalise_unless_zero(float* v)
{
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length != 0.0f) v[0] /= length, v[1] /= length, v[2] /= length;
}
void cross(const float* a, const float* b, float* out)
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}
} // namespace

void glu_look_at(float eye_x, float eye_y, float eye_z, float centre_x, float centre_y, float centre_z,
                 float up_x, float up_y, float up_z)
{
    float z[3] = {eye_x - centre_x, eye_y - centre_y, eye_z - centre_z};
    normalise_unless_zero(z);
    float up[3] = {up_x, up_y, up_z};
    float x[3], y[3];
    cross(up, z, x);
    cross(z, x, y);
    normalise_unless_zero(x);
    normalise_unless_zero(y);
    float m[16] = {};
    for (int j = 0; j < 3; ++j) {
        m[4 * j + 0] = x[j];
        m[4 * j + 1] = y[j];
        m[4 * j + 2] = z[j];
    }
    m[15] = 1;
    multiply_current(m);
    gl_translate(-eye_x, -eye_y, -eye_z);
}

int gl_invert_matrix(const float* source, float* destination)
{
    double a[4][8];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            a[i][j] = source[4 * j + i];
            a[i][4 + j] = i == j ? 1.0 : 0.0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        if (a[pivot][col] == 0.0) return 0;
        if (pivot != col)
            for (int k = 0; k < 8; ++k) std::swap(a[pivot][k], a[col][k]);
        for (int r = col + 1; r < 4; ++r) {
            double f = a[r][col] / a[col][col];
            for (int k = col; k < 8; ++k) a[r][k] -= f * a[col][k];
        }
    }
    for (int col = 3; col >= 0; --col) {
        double p = a[col][col];
        for (int k = 0; k < 8; ++k) a[col][k] /= p;
        for (int r = 0; r < col; ++r) {
            double f = a[r][col];
            for (int k = 0; k < 8; ++k) a[r][k] -= f * a[col][k];
        }
    }
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) destination[4 * j + i] = static_cast<float>(a[i][4 + j]);
    return 1;
}

void gl_multiply_matrix4(float* destination, const float* a, const float* b)
{
    float result[16];
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
            float sum = 0;
            for (int n = 0; n < 4; ++n) sum += a[4 * n + i] * b[4 * j + n];
            result[4 * j + i] = sum;
        }
    std::memcpy(destination, result, sizeof result);
}
