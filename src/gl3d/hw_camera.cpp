// The hardware camera and projection.
#include "gl3d/hw_camera.h"
#include "host/picture.h"

#include "gl3d/display_device.h"
#include "gl3d/gl.h"
#include "gl3d/render_state.h"

#include <cmath>
#include <cstring>

float clip_matrix[16];
float view_matrix[16];

namespace {

constexpr double k_degrees_to_radians = 0.017453292222222222;

const hw_camera k_defaults = {{0.0f, 0.1f, -100.0f}, {0.1f, 0.0f, 0.1f}, 0.0f, 45.0f, 0.1f, 2000.0f,
                              4.0f / 3.0f, {0, 0, PICTURE_WIDTH, PICTURE_HEIGHT}, 0.0f, -float(DEFAULT_PROJECTION_D), 1.0f, -1.0f, {0, 0, 0, 0}};

hw_camera g_camera = k_defaults;

struct Overlay {
    int32_t active;
    int32_t depth;
    uint8_t hold;
    float eye[3], target[3], view_param, fov;
};
Overlay g_overlay{};

HwTransition* const* g_transitions = nullptr;
int32_t g_transition_count = 0;
HwTransition* g_current_transition = nullptr;

float display_height_f() { return static_cast<float>(display_height() > 0 ? display_height() : PICTURE_HEIGHT); }
float display_ratio()
{
    float w = static_cast<float>(display_width() > 0 ? display_width() : PICTURE_WIDTH);
    return w / display_height_f();
}

void derive_lens()
{
    g_camera.lens_scale = static_cast<float>(18.0 / std::tan(g_camera.fov * k_degrees_to_radians));
    g_camera.projection_scale =
        static_cast<float>(-display_height_f() / (2.0 * std::tan(g_camera.fov * 0.5 * k_degrees_to_radians)));
}

void rebuild_from(const hw_camera& c)
{
    if (!display_3d_device()) return;
    set_projection(c.fov, c.aspect, c.near_plane, c.far_plane);
    set_look_at(c.eye[0], c.eye[1], c.eye[2], c.target[0], c.target[1], c.target[2]);
    get_clip_and_view(clip_matrix, view_matrix);
}

// The common tail of every setter.
void rebuild()
{
    rebuild_from(g_camera);
    if (!g_overlay.hold) g_overlay.active = 0;
}

// Fits (x, y, w, h) to the picture ratio within the full W x H rectangle,
// then draws into it with a one-pixel border.
void draw_into(int32_t x, int32_t y, int32_t w, int32_t h)
{
    fit_viewport_to_ratio(&x, &y, &w, &h);
    g_camera.aspect = static_cast<float>(w) / static_cast<float>(h > 0 ? h : 1);
    g_camera.x_scale = g_camera.aspect / display_ratio();
    set_gl_viewport(x + 1, y + 1, w - 2, h - 2);
    rebuild();
}

} // namespace

void reset_hw_camera()
{
    g_camera = k_defaults;
    g_overlay = {};
    g_current_transition = nullptr;
    std::memset(clip_matrix, 0, sizeof clip_matrix);
    std::memset(view_matrix, 0, sizeof view_matrix);
}

void rebuild_hw_matrices() { rebuild(); }

void apply_hw_camera_block(const hw_camera* block)
{
    if (block) rebuild_from(*block);
    if (!g_overlay.hold) g_overlay.active = 0;
}

void set_hw_lens(float fov, float near_plane, float far_plane)
{
    g_camera.fov = fov;
    g_camera.near_plane = near_plane;
    g_camera.far_plane = far_plane;
    derive_lens();
    rebuild();
}

void init_hw_lens() { set_hw_lens(g_camera.fov, g_camera.near_plane, g_camera.far_plane); }
void set_hw_fov(float fov) { set_hw_lens(fov, g_camera.near_plane, g_camera.far_plane); }

void get_hw_lens(float* fov, float* near_plane, float* far_plane)
{
    if (fov) *fov = g_camera.fov;
    if (near_plane) *near_plane = g_camera.near_plane;
    if (far_plane) *far_plane = g_camera.far_plane;
}

void set_hw_camera_view(const float* eye, const float* target, float view_param)
{
    std::memcpy(g_camera.eye, eye, sizeof g_camera.eye);
    std::memcpy(g_camera.target, target, sizeof g_camera.target);
    g_camera.view_param = view_param;
    rebuild();
}

void get_hw_camera_view(float* eye, float* target, float* view_param)
{
    if (eye) std::memcpy(eye, g_camera.eye, sizeof g_camera.eye);
    if (target) std::memcpy(target, g_camera.target, sizeof g_camera.target);
    if (view_param) *view_param = g_camera.view_param;
}

void get_hw_camera_block(hw_camera* out)
{
    if (out) *out = g_camera;
}

float get_projection_scale() { return g_camera.projection_scale; }
float get_lens_scale() { return g_camera.lens_scale; }
float get_hw_fov() { return g_camera.fov; }
float get_x_scale() { return g_camera.x_scale; }
int32_t get_overlay_active() { return g_overlay.active; }
int32_t get_camera_ready() { return 0; }

void set_viewport(int32_t x, int32_t y, int32_t width, int32_t height)
{
    g_camera.requested_viewport[0] = x;
    g_camera.requested_viewport[1] = y;
    g_camera.requested_viewport[2] = width;
    g_camera.requested_viewport[3] = height;
    draw_into(x, y, width, height);
}

void update_hw_camera(float picture_ratio)
{
    g_camera.picture_ratio = picture_ratio;
    draw_into(g_camera.viewport[0], g_camera.viewport[1], g_camera.viewport[2], g_camera.viewport[3]);
}

void get_viewport(int32_t* x, int32_t* y, int32_t* width, int32_t* height)
{
    if (x) *x = g_camera.viewport[0];
    if (y) *y = g_camera.viewport[1];
    if (width) *width = g_camera.viewport[2];
    if (height) *height = g_camera.viewport[3];
}

int32_t viewport_width() { return g_camera.viewport[2]; }
int32_t viewport_height() { return g_camera.viewport[3]; }

void get_requested_viewport(int32_t* x, int32_t* y, int32_t* width, int32_t* height)
{
    if (x) *x = g_camera.requested_viewport[0];
    if (y) *y = g_camera.requested_viewport[1];
    if (width) *width = g_camera.requested_viewport[2];
    if (height) *height = g_camera.requested_viewport[3];
}

void fit_viewport_to_ratio(int32_t* x, int32_t* y, int32_t* width, int32_t* height)
{
    const float r = g_camera.picture_ratio;
    const double W = g_camera.viewport[2], H = g_camera.viewport[3];
    if (r < 0.0f || W <= 0 || H <= 0) return;
    if (r > 1.0f) {
        int32_t h = static_cast<int32_t>(std::lrint(*height * W / (H * r)));
        // A ratio between 1 and the rectangle's own would need more height
        // than there is: the width is fitted instead.
        if (h <= *height) {
            *height = h;
            *y = static_cast<int32_t>((H - h) / 2);
            return;
        }
    }
    int32_t w = static_cast<int32_t>(std::lrint(*width * r * H / W));
    *width = w;
    *x = static_cast<int32_t>((W - w) / 2);
}

void begin_2d_overlay()
{
    if (g_overlay.active) {
        ++g_overlay.depth;
        return;
    }
    std::memcpy(g_overlay.eye, g_camera.eye, sizeof g_overlay.eye);
    std::memcpy(g_overlay.target, g_camera.target, sizeof g_overlay.target);
    g_overlay.view_param = g_camera.view_param;
    g_overlay.fov = g_camera.fov;
    g_camera.fov = 45.0f;
    g_overlay.hold = 1;
    g_overlay.depth = 1;
    derive_lens();
    rebuild();
    float d = -g_camera.projection_scale;
    const float eye[3] = {0.0f, 0.1f, d}, target[3] = {0.1f, 0.0f, 0.1f};
    std::memcpy(g_camera.eye, eye, sizeof eye);
    std::memcpy(g_camera.target, target, sizeof target);
    g_camera.view_param = 0.0f;
    rebuild();
    g_overlay.hold = 0;
    g_overlay.active = 1;
}

void end_2d_overlay()
{
    if (!g_overlay.active) return;
    if (--g_overlay.depth > 0) return;
    g_camera.fov = g_overlay.fov;
    derive_lens();
    g_overlay.hold = 1;
    rebuild();
    std::memcpy(g_camera.eye, g_overlay.eye, sizeof g_camera.eye);
    std::memcpy(g_camera.target, g_overlay.target, sizeof g_camera.target);
    g_camera.view_param = g_overlay.view_param;
    rebuild();
    g_overlay.hold = 0;
    g_overlay.active = 0;
}

void multiply_matrix4(float* out, const float* a, const float* b)
{
    float r[16];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += b[4 * i + k] * a[4 * k + j];
            r[4 * i + j] = sum;
        }
    std::memcpy(out, r, sizeof r);
}

void get_clip_and_view(float* clip, float* view)
{
    float modelview[16], projection[16];
    get_matrix(GL_MODELVIEW_MODE, modelview);
    get_matrix(GL_PROJECTION_MODE, projection);
    multiply_matrix4(clip, projection, modelview);
    std::memcpy(view, modelview, sizeof modelview);
}

int project_to_screen(const float* p, int32_t* x, int32_t* y)
{
    int32_t sx_i = 0, sy_i = 0;
    int visible = gl_project_raster(p, &sx_i, &sy_i);
    if (!visible) {
        const float* m = clip_matrix;
        double cx = g_camera.viewport[2] / 2, cy = g_camera.viewport[3] / 2;
        double w = m[3] * p[0] + m[7] * p[1] + m[11] * p[2] + m[15];
        double rx = m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12];
        double ry = m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13];
        // With w exactly 0 only the direction is left; it is all the rule needs.
        double sx = (w != 0.0 ? rx / w : rx) * cx;
        double sy = (w != 0.0 ? ry / w : ry) * cy;
        double depth = view_matrix[2] * p[0] + view_matrix[6] * p[1] + view_matrix[10] * p[2] + view_matrix[14];
        if (depth > 0.0) sx = -sx, sy = -sy;
        if (sx != 0.0) {
            double k = 0.97 * cx / std::fabs(sx);
            sx *= k, sy *= k;
        }
        if (std::fabs(sy) > cy || (sx == 0.0 && sy != 0.0)) {
            double k = 0.97 * cy / std::fabs(sy);
            sx *= k, sy *= k;
        }
        sx_i = static_cast<int32_t>(std::lrint(sx + cx));
        sy_i = static_cast<int32_t>(std::lrint(sy + cy));
    }
    double vw = g_camera.viewport[2] > 0 ? g_camera.viewport[2] : 1;
    double vh = g_camera.viewport[3] > 0 ? g_camera.viewport[3] : 1;
    *x = static_cast<int32_t>(display_width() / vw * sx_i);
    *y = static_cast<int32_t>(display_height() / vh * sy_i);
    return visible;
}

void hw_camera_reshape(int32_t width, int32_t height)
{
    g_camera.viewport[0] = 0;
    g_camera.viewport[1] = 0;
    g_camera.viewport[2] = width;
    g_camera.viewport[3] = height;
    refresh_display_info();
    update_hw_camera(g_camera.picture_ratio);
    if (display_3d_device()) apply_render_state();
}

void set_hw_transition_table(HwTransition* const* table, int32_t count)
{
    g_transitions = table;
    g_transition_count = count;
}

int32_t start_hw_transition(int32_t n, int32_t duration_ms, int32_t direction)
{
    if (!g_transitions || n < 0 || n >= g_transition_count || !g_transitions[n]) return 0;
    g_current_transition = g_transitions[n];
    const HwTransitionOps* ops = g_current_transition->ops;
    return ops && ops->start ? ops->start(g_current_transition, duration_ms, direction) : 0;
}

HwTransition* current_hw_transition() { return g_current_transition; }
void clear_hw_transition() { g_current_transition = nullptr; }
