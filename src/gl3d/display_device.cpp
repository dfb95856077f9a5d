// 3D display start-up and frame services.
#include "gl3d/display_device.h"
#include "host/picture.h"

#include "gl3d/d3d.h"
#include "gl3d/gl.h"
#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"
#include "gl3d/transitions.h"
#include "gl3d/window_shell.h"
#include "host/events.h"
#include "host/render_device.h"
#include "platform/message_pump.h"

#include <cmath>

namespace {

struct DisplayMode {
    int32_t width, height;
};
const DisplayMode k_modes[] = {
    {640, 480}, {800, 600}, {1024, 768}, {1152, 864}, {1280, 1024}, {1600, 1200}, {1600, 1280},
};

struct DisplayGlobals {
    int32_t width = PICTURE_WIDTH, height = PICTURE_HEIGHT;
    uint32_t window_mode = 0;
    HostWindow* window = nullptr;
    void* instance = nullptr;
    uint32_t hw_accel = 0;
    uint32_t windowed = 0;
};
DisplayGlobals g;

// Untextured, unblended, unfiltered and without depth test; put back after.
void draw_debug_shape(const float* corners, int count, const uint32_t* indices, int index_count, const uint8_t* rgb)
{
    uint32_t filter = get_bilinear_filter(), blend = get_alpha_blend(), zbuffer = get_z_buffer();
    uint32_t colour = 0, colour_mode = get_colour_mode(&colour);
    set_bilinear_filter(0);
    set_alpha_blend(0);
    set_z_buffer(0);
    if (HostRenderDevice* device = gl_render_device()) device->set_texture(0, nullptr);
    uint8_t colours[4][4];
    for (int i = 0; i < count; ++i) colours[i][0] = rgb[0], colours[i][1] = rgb[1], colours[i][2] = rgb[2], colours[i][3] = 0;
    float xyz[4][3];
    for (int i = 0; i < count; ++i)
        for (int k = 0; k < 3; ++k) xyz[i][k] = corners[3 * i + k];
    set_colour_mode(2, 0);
    set_vertex_array(static_cast<uint32_t>(count), 1, &xyz[0][0]);
    set_colour_array(static_cast<uint32_t>(count), 1, &colours[0][0]);
    draw_vertex_arrays(index_count, indices);
    set_colour_mode(colour_mode, colour);
    if (colour_mode != 2) gl_disable(GL_CAP_COLOUR_MATERIAL);
    set_bilinear_filter(filter);
    set_alpha_blend(blend);
    set_z_buffer(zbuffer);
}

} // namespace

void start_3d_display(int32_t x, int32_t y, int32_t mode, uint32_t window_mode)
{
    if (mode >= 0 && mode <= 6) {
        g.width = k_modes[mode].width;
        g.height = k_modes[mode].height;
    }
    glw_set_reshape_func(hw_camera_reshape);
    uint32_t full_screen = window_mode == 0 ? 1 : window_mode == 1 ? 0 : window_mode;
    glw_create_window(x, y, g.width, g.height, full_screen);
    g.window_mode = window_mode;
    refresh_display_info();
    set_main_window(g.window);
    init_hw_lens();
    init_hw_transitions();
    apply_render_state();
    glw_set_reshape_func(hw_camera_reshape);
}

void reset_display_device() { g = DisplayGlobals{}; }

uint32_t refresh_display_info()
{
    gl_device_info info{};
    if (gl_get_device_info(&info)) {
        g.window = info.window;
        g.instance = info.instance;
        g.hw_accel = info.hw_flag;
    }
    g.windowed = d3d_windowed;
    return g.windowed;
}

HostWindow* display_window() { return g.window; }
void* display_instance() { return g.instance; }
// The device is read from the binding each time, so that no user keeps one a
// rebuild has released.
HostRenderDevice* display_3d_device() { return gl_render_device(); }
HostRenderDevice* display_surface() { return gl_render_device(); }
int32_t display_width() { return g.width; }
int32_t display_height() { return g.height; }
uint32_t get_hw_accel_flag() { return g.hw_accel; }
uint32_t display_windowed() { return g.windowed; }
uint32_t display_window_mode() { return g.window_mode; }

void set_window_message_hook(GlMessageHook fn)
{
    gl_set_hook_a(fn);
    glw_install_message_hook();
}
void set_display_callback(void (*fn)()) { glw_set_callback_c(fn); }
void set_keyboard_callback(int32_t (*fn)(int32_t, int32_t)) { glw_set_callback_d(fn); }
void set_idle_callback(void (*fn)()) { glw_set_idle_func(fn); }
void run_main_loop() { glw_main_loop(); }
void close_display() { destroy_window_and_exit(); }

int32_t present_and_clear()
{
    gl_swap_buffers();
    gl_clear(GL_CLEAR_COLOUR_BIT | GL_CLEAR_DEPTH_BIT);
    pump_messages();
    return 1;
}

int32_t pump_gl_messages()
{
    HostMessage m;
    while (host_peek_message(&m)) {
        if (m.id == HOST_WM_QUIT) return 0;
        host_dispatch_message(m);
    }
    return 1;
}

void set_default_perspective() { set_display_projection(53.0f, 4.0f / 3.0f, 0.01f, 2000.0f); }

int32_t hw_transition_running() { return current_hw_transition() ? 1 : 0; }

void step_hw_transition()
{
    HwTransition* t = current_hw_transition();
    if (t && t->ops && t->ops->step) t->ops->step(t);
}

void restore_transition_viewport()
{
    HwTransition* t = current_hw_transition();
    if (!t || !t->started) return;
    int32_t x, y, w, h;
    get_viewport(&x, &y, &w, &h);
    set_viewport(x, y, w, h);
}

void finish_hw_transition()
{
    HwTransition* t = current_hw_transition();
    if (!t) return;
    restore_transition_viewport();
    if (t->ops && t->ops->stop) t->ops->stop(t);
}

void draw_debug_triangle(const float* p0, const float* p1, const uint8_t* rgb)
{
    float d[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
    float n[3] = {-d[1], d[0], d[2]};
    float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length == 0.0f) return;
    float corners[9] = {p0[0], p0[1], p0[2], p1[0], p1[1], p1[2], 0, 0, 0};
    for (int k = 0; k < 3; ++k) corners[6 + k] = p1[k] + 0.2f * n[k] / length;
    static const uint32_t indices[3] = {0, 1, 2};
    draw_debug_shape(corners, 3, indices, 3, rgb);
}

void draw_debug_ribbon(const float* p0, const float* p1, const uint8_t* rgb, float width)
{
    float d[2] = {p1[0] - p0[0], p1[1] - p0[1]};
    float length = std::sqrt(d[0] * d[0] + d[1] * d[1]);
    if (length == 0.0f) return;
    float n[2] = {-d[1] / length, d[0] / length};
    float h = width / 2.0f;
    float corners[12] = {p0[0] - h * n[0], p0[1] - h * n[1], p0[2], p1[0] - h * n[0], p1[1] - h * n[1], p1[2],
                         p1[0] + h * n[0], p1[1] + h * n[1], p1[2], p0[0] + h * n[0], p0[1] + h * n[1], p0[2]};
    static const uint32_t indices[6] = {0, 1, 3, 1, 2, 3};
    draw_debug_shape(corners, 4, indices, 6, rgb);
}
