// The render-state cache, scene nesting and the vertex-array wrappers.
#include "gl3d/render_state.h"

#include "gl3d/gl.h"
#include "gl3d/hw_camera.h"
#include "host/render_device.h"
#include "host/window.h"

namespace {

struct Toggle {
    uint32_t requested;
    uint32_t allowed;
    uint32_t applied;
};

struct StateSend {
    bool stage; // a texture-stage state of stage 0, else a render state
    uint32_t state, value;
};

// What each toggle sends, in order.
const StateSend k_alpha_on[] = {
    {true, HOST_TSS_TEXCOORDINDEX, 0},
    {true, HOST_TSS_COLOROP, HOST_TOP_MODULATE},
    {true, HOST_TSS_COLORARG1, HOST_TA_TEXTURE},
    {true, HOST_TSS_COLORARG2, HOST_TA_CURRENT},
    {true, HOST_TSS_ALPHAOP, HOST_TOP_MODULATE},
    {true, HOST_TSS_ALPHAARG1, HOST_TA_TEXTURE},
    {true, HOST_TSS_ALPHAARG2, HOST_TA_CURRENT},
    {false, HOST_RS_ALPHABLENDENABLE, 1},
    {false, HOST_RS_SRCBLEND, HOST_BLEND_SRCALPHA},
    {false, HOST_RS_DESTBLEND, HOST_BLEND_INVSRCALPHA},
    {true, HOST_TSS_ALPHAOP, HOST_TOP_SELECTARG1},
    {false, HOST_RS_COLORKEYENABLE, 1},
};
const StateSend k_alpha_off[] = {
    {true, HOST_TSS_TEXCOORDINDEX, 0},
    {true, HOST_TSS_COLORARG1, HOST_TA_TEXTURE},
    {true, HOST_TSS_COLORARG2, HOST_TA_CURRENT},
    {true, HOST_TSS_COLOROP, HOST_TOP_MODULATE},
    {false, HOST_RS_ALPHATESTENABLE, 0},
    {false, HOST_RS_ALPHABLENDENABLE, 0},
    {false, HOST_RS_COLORKEYENABLE, 0},
};
const StateSend k_z_on[] = {{false, HOST_RS_ZENABLE, 1}, {false, HOST_RS_ZWRITEENABLE, 1}};
const StateSend k_z_off[] = {{false, HOST_RS_ZENABLE, 0}, {false, HOST_RS_ZWRITEENABLE, 0}};
const StateSend k_filter_on[] = {{true, HOST_TSS_MINFILTER, HOST_FILTER_LINEAR}, {true, HOST_TSS_MAGFILTER, HOST_FILTER_LINEAR}};
const StateSend k_filter_off[] = {{true, HOST_TSS_MINFILTER, HOST_FILTER_POINT}, {true, HOST_TSS_MAGFILTER, HOST_FILTER_POINT}};
const StateSend k_fixed_states[] = {
    {false, HOST_RS_SHADEMODE, HOST_SHADE_GOURAUD},
    {false, HOST_RS_CULLMODE, HOST_CULL_NONE},
    {false, HOST_RS_ZFUNC, HOST_CMP_LESSEQUAL},
    {false, HOST_RS_TEXTUREPERSPECTIVE, 1},
    {false, HOST_RS_SPECULARENABLE, 0},
    {false, HOST_RS_TEXTUREMAPBLEND, HOST_TBLEND_MODULATE},
};

struct Cache {
    uint32_t texture_bits, texture_alpha;
    Toggle alpha_blend, bilinear, z_buffer, render_option;
    uint32_t source_blend, destination_blend;
    uint32_t colour_mode, colour;
    int32_t scene_depth;
    uint32_t vertex_count;
    float* vertices;
};

const Cache k_start = {16, 0, {1, 1, 0}, {0, 1, 0}, {1, 1, 0}, {1, 1, 0}, 4, 5, 0, 0x00FFFFFF, 0, 0, nullptr};
Cache g = k_start;

template <size_t N> void send(const StateSend (&list)[N])
{
    HostRenderDevice* device = gl_render_device();
    if (!device) return;
    for (const StateSend& s : list) {
        if (s.stage) device->set_texture_stage_state(0, s.state, s.value);
        else device->set_render_state(s.state, s.value);
    }
}

template <size_t N, size_t M>
void run_toggle(Toggle& t, const StateSend (&on)[N], const StateSend (&off)[M])
{
    bool want = t.requested && t.allowed;
    if (want && !t.applied) {
        send(on);
        t.applied = 1;
    } else if (!want && t.applied) {
        send(off);
        t.applied = 0;
    }
}

void run_alpha() { run_toggle(g.alpha_blend, k_alpha_on, k_alpha_off); }
void run_z() { run_toggle(g.z_buffer, k_z_on, k_z_off); }
void run_filter() { run_toggle(g.bilinear, k_filter_on, k_filter_off); }
void run_render_option() { g.render_option.applied = g.render_option.requested && g.render_option.allowed ? 1 : 0; }

} // namespace

void reset_render_state_cache() { g = k_start; }

void set_vertex_array(uint32_t count, uint32_t, float* xyz)
{
    g.vertex_count = count > MAX_GL_VERTICES ? MAX_GL_VERTICES : count;
    g.vertices = xyz;
    gl_vertex_pointer(static_cast<uint16_t>(g.vertex_count), 1, xyz);
}

void set_texcoord_array(uint32_t count, uint32_t, const float* uv)
{
    if (count > MAX_GL_VERTICES) count = MAX_GL_VERTICES;
    gl_texcoord_pointer(static_cast<uint16_t>(count * 2), 1, uv);
}

void set_colour_array(uint32_t count, uint32_t, const uint8_t* rgba)
{
    if (count > MAX_GL_VERTICES) count = MAX_GL_VERTICES;
    gl_colour_pointer(static_cast<uint16_t>(count), 1, rgba);
}

int draw_vertex_arrays(int32_t index_count, const uint32_t* indices)
{
    if (get_overlay_active() && g.vertices) {
        float scale = get_x_scale();
        for (uint32_t i = 0; i < g.vertex_count; ++i) g.vertices[3 * i] *= scale;
    }
    gl_draw_arrays(index_count, indices);
    return index_count > 0 ? (index_count + 2) / 3 : 0;
}

int test_points_visible(int32_t count, const float* xyz) { return gl_points_visible(count, xyz); }

void select_3d_device()
{
    host_show_cursor(true);
    gl_reshape_current();
    host_show_cursor(false);
}

void begin_scene()
{
    if (get_camera_ready()) apply_render_state();
    if (++g.scene_depth == 1) gl_begin_scene();
}

void end_scene()
{
    if (--g.scene_depth == 0) gl_end_scene();
}

int32_t scene_depth() { return g.scene_depth; }

void set_texture_format(uint32_t bits, uint32_t alpha_mode)
{
    g.texture_bits = bits;
    g.texture_alpha = alpha_mode;
}

void get_texture_format(uint32_t* bits, uint32_t* alpha_mode)
{
    if (bits) *bits = g.texture_bits;
    if (alpha_mode) *alpha_mode = g.texture_alpha;
}

void set_alpha_blend(uint32_t on)
{
    g.alpha_blend.requested = on;
    run_alpha();
}
uint32_t get_alpha_blend() { return g.alpha_blend.requested; }
void set_alpha_blend_allowed(uint32_t allowed)
{
    g.alpha_blend.allowed = allowed;
    set_alpha_blend(g.alpha_blend.requested);
}
uint32_t get_alpha_blend_allowed() { return g.alpha_blend.allowed; }

void set_z_buffer(uint32_t on)
{
    g.z_buffer.requested = on;
    run_z();
}
uint32_t get_z_buffer() { return g.z_buffer.requested; }

void set_bilinear_filter(uint32_t on)
{
    g.bilinear.requested = on;
    run_filter();
}
uint32_t get_bilinear_filter() { return g.bilinear.requested; }
void set_filter_option(uint32_t allowed)
{
    g.bilinear.allowed = allowed;
    set_bilinear_filter(g.bilinear.requested);
}

void set_blend_mode(uint32_t source, uint32_t destination)
{
    HostRenderDevice* device = gl_render_device();
    if (device && source <= 10) device->set_render_state(HOST_RS_SRCBLEND, source + 1);
    if (device && destination <= 10) device->set_render_state(HOST_RS_DESTBLEND, destination + 1);
    g.source_blend = source;
    g.destination_blend = destination;
}

void get_blend_mode(uint32_t* source, uint32_t* destination)
{
    if (source) *source = g.source_blend;
    if (destination) *destination = g.destination_blend;
}

void set_colour_mode(uint32_t mode, uint32_t colour)
{
    switch (mode) {
    case 0: gl_colour_white(); break;
    case 1:
        gl_colour4f(((colour >> 16) & 0xFF) * 0.00390625f, ((colour >> 8) & 0xFF) * 0.00390625f,
                    (colour & 0xFF) * 0.00390625f, ((colour >> 24) & 0xFF) * 0.00390625f);
        g.colour = colour;
        break;
    case 2: gl_enable(GL_CAP_COLOUR_MATERIAL); break;
    default: return;
    }
    g.colour_mode = mode;
}

uint32_t get_colour_mode(uint32_t* colour)
{
    if (colour) *colour = g.colour;
    return g.colour_mode;
}

void set_depth_test(uint32_t on)
{
    if (on) gl_enable(GL_CAP_DEPTH_TEST);
    else gl_disable(GL_CAP_DEPTH_TEST);
}

void set_render_option(uint32_t on)
{
    g.render_option.requested = on;
    run_render_option();
}
uint32_t get_render_option() { return g.render_option.requested; }
void set_render_option_allowed(uint32_t allowed)
{
    g.render_option.allowed = allowed;
    run_render_option();
}
uint32_t get_render_option_allowed() { return g.render_option.allowed; }

void apply_render_state()
{
    send(k_fixed_states);
    set_blend_mode(g.source_blend, g.destination_blend);
    set_colour_mode(g.colour_mode, g.colour);
    // Each toggle is sent whatever the device held.
    g.bilinear.applied = g.bilinear.requested ? 0 : 1;
    run_filter();
    g.alpha_blend.applied = g.alpha_blend.requested ? 0 : 1;
    run_alpha();
    g.z_buffer.applied = g.z_buffer.requested ? 0 : 1;
    run_z();
    run_render_option();
}
