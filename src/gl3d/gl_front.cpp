// The front functions the rest of the game calls: projection and camera,
// viewport, colour, capabilities, clearing and scenes, device information
// and the hooks the window shell runs.
#include "gl3d/gl.h"

#include "gl3d/d3d.h"
#include "gl3d/texture_manager.h"

#include "host/render_device.h"

#include <cstdio>
#include <cstring>

namespace {
void (*g_exit_hook)() = nullptr;
GlMessageHook g_message_hook = nullptr;

void look_at(float ex, float ey, float ez, float cx, float cy, float cz, float up_y)
{
    gl_context* c = gl_current_context;
    if (!c) return;
    gl_matrix_mode(GL_MODELVIEW_MODE);
    gl_load_identity();
    glu_look_at(ex, ey, ez, cx, cy, cz, 0.0f, up_y, 0.0f);
    if (!gl_invert_matrix(c->modelview, c->inverse_modelview)) {
        std::memset(c->inverse_modelview, 0, sizeof c->inverse_modelview);
        c->inverse_modelview[0] = c->inverse_modelview[5] = c->inverse_modelview[10] = c->inverse_modelview[15] = 1;
    }
}

int32_t clamp(int32_t v, int32_t low, int32_t high) { return v < low ? low : (v > high ? high : v); }

uint8_t colour_byte(float v)
{
    if (!(v >= 0.0f)) v = 0.0f;
    if (v > 1.0f) v = 1.0f;
    return static_cast<uint8_t>(v * 255.0f);
}
} // namespace

void set_projection(float fovy, float aspect, float near_plane, float far_plane)
{
    gl_matrix_mode(GL_PROJECTION_MODE);
    gl_load_identity();
    glu_perspective(fovy, aspect, near_plane, far_plane);
}

void set_display_projection(float fovy, float aspect, float near_plane, float far_plane)
{
    set_projection(fovy, aspect, near_plane, far_plane);
}

void set_look_at(float ex, float ey, float ez, float cx, float cy, float cz) { look_at(ex, ey, ez, cx, cy, cz, 1.0f); }

void set_look_at_inverted(float ex, float ey, float ez, float cx, float cy, float cz)
{
    look_at(ex, ey, ez, cx, cy, cz, -1.0f);
}

void get_matrix(uint32_t mode, float* out)
{
    gl_context* c = gl_current_context;
    if (!c || !out) return;
    if (mode == GL_MODELVIEW_MODE) std::memcpy(out, c->modelview, sizeof c->modelview);
    else if (mode == GL_PROJECTION_MODE) std::memcpy(out, c->projection, sizeof c->projection);
}

void set_gl_viewport(int32_t x, int32_t y, int32_t width, int32_t height)
{
    gl_context* c = gl_current_context;
    if (!c) return;
    width = clamp(width, 1, 1600);
    height = clamp(height, 1, 1200);
    GlViewport& vp = c->viewport;
    vp.x = x, vp.y = y, vp.width = width, vp.height = height;
    vp.scale[0] = static_cast<float>(width) / 2.0f;
    vp.offset[0] = static_cast<float>(x) + static_cast<float>(width) / 2.0f;
    vp.scale[1] = static_cast<float>(height) / 2.0f;
    vp.offset[1] = static_cast<float>(y) + static_cast<float>(height) / 2.0f;
    vp.scale[2] = vp.offset[2] = 32767.5f;
}

void gl_colour_white()
{
    gl_context* c = gl_current_context;
    if (!c) return;
    std::memset(c->current_colour, 255, 4);
    gl_disable(GL_CAP_LIGHTING);
    gl_disable(GL_CAP_COLOUR_MATERIAL);
}

void gl_colour4f(float red, float green, float blue, float alpha)
{
    gl_context* c = gl_current_context;
    if (!c) return;
    c->current_colour[0] = colour_byte(red);
    c->current_colour[1] = colour_byte(green);
    c->current_colour[2] = colour_byte(blue);
    c->current_colour[3] = colour_byte(alpha);
    gl_disable(GL_CAP_LIGHTING);
    gl_disable(GL_CAP_COLOUR_MATERIAL);
}

namespace {
void switch_capability(uint32_t capability, uint8_t on)
{
    gl_context* c = gl_current_context;
    if (!c) return;
    if (capability == GL_CAP_DEPTH_TEST) c->depth_test = on;
    else if (capability == GL_CAP_LIGHTING) c->lighting = on;
    else if (capability == GL_CAP_COLOUR_MATERIAL) c->colour_material = on;
    else if (capability >= GL_CAP_LIGHT0 && capability <= GL_CAP_LIGHT0 + 7) c->lights[capability - GL_CAP_LIGHT0].enabled = on;
}
} // namespace

void gl_enable(uint32_t capability) { switch_capability(capability, 1); }
void gl_disable(uint32_t capability) { switch_capability(capability, 0); }

void gl_clear(uint32_t mask)
{
    gl_context* c = gl_current_context;
    if (c && c->clear) c->clear(c, mask);
}

void gl_begin_scene()
{
    gl_context* c = gl_current_context;
    if (!c) return;
    if (c->begin_scene) c->begin_scene(c);
    if (c->lighting) gl_setup_lights();
}

void gl_end_scene()
{
    gl_context* c = gl_current_context;
    if (c && c->end_scene) c->end_scene(c);
}

int gl_get_device_info(gl_device_info* info)
{
    gl_device* d = gl_current_device;
    if (!d || !info) return 0;
    info->window = d->window;
    info->instance = d->instance;
    info->device = d->device;
    info->hw_flag = d->hw_flag;
    return 1;
}

uint32_t gl_get_config_flag() { return d3d_windowed; }

void gl_release_device()
{
    if (d3d_framework_exists()) d3d_restore_surfaces();
}

void restore_all_textures() { tex_restore_all(gl_render_device()); }
void gl_invalidate_textures() { tex_invalidate_all(); }

uint32_t gl_load_texture_file(const char* name, int16_t stage, int32_t flags)
{
    return tex_create_from_file(name, static_cast<uint32_t>(stage), static_cast<uint32_t>(flags));
}

uint32_t gl_create_texture_image(const char* name, int16_t stage, uint32_t flags, const TextureImage* image)
{
    return tex_create_dib(name, static_cast<uint32_t>(stage), flags, image);
}

void gl_bind_named_texture(int16_t stage, const char* name)
{
    HostRenderDevice* device = gl_render_device();
    if (device) device->set_texture(static_cast<uint32_t>(stage), name ? tex_get_surface(name) : nullptr);
}

uint32_t gl_restore_texture(const char* name) { return tex_restore_one(name, gl_render_device()); }
uint32_t gl_release_texture_by_name(const char* name) { return tex_release_by_name(name); }
uint32_t gl_destroy_texture(named_texture* texture) { return texture ? tex_destroy(texture->name.c_str()) : TEX_E_NOTFOUND; }

void gl_set_exit_hook(void (*routine)()) { g_exit_hook = routine; }
void gl_set_hook_a(GlMessageHook hook) { g_message_hook = hook; }
void (*gl_exit_hook())() { return g_exit_hook; }
GlMessageHook gl_message_hook() { return g_message_hook; }

int32_t gl_push_texture_state(uint32_t a, uint32_t b, uint32_t c)
{
    gl_context* ctx = gl_current_context;
    if (!ctx || c == 0) return 0;
    ctx->texture_saved[0] = a, ctx->texture_saved[1] = b, ctx->texture_saved[2] = c;
    gl_texture_hook();
    return ++ctx->texture_level;
}

int32_t gl_pop_texture_state()
{
    gl_context* ctx = gl_current_context;
    if (!ctx) return 0;
    if (ctx->texture_level > 0) --ctx->texture_level;
    gl_texture_hook();
    return ctx->texture_level;
}

void gl_texture_hook() {}

namespace {
int mask_bits(uint32_t mask)
{
    int n = 0;
    for (; mask; mask &= mask - 1) ++n;
    return n;
}
int mask_shift(uint32_t mask)
{
    if (!mask) return 0;
    int n = 0;
    while (!((mask >> n) & 1)) ++n;
    return n;
}
constexpr uint32_t k_palette_formats = 0x28;
} // namespace

void report_pixel_format(const HostPixelFormat& f)
{
    if (!(f.flags & k_palette_formats)) {
        std::printf("alphabits %d  redbits %d   bluebits %d  greenbits %d \n ", mask_bits(f.alpha_mask),
                    mask_bits(f.red_mask), mask_bits(f.blue_mask), mask_bits(f.green_mask));
        std::printf("alphashift %d  redshift %d   blueshift %d  greenshift %d \n ", mask_shift(f.alpha_mask),
                    mask_shift(f.red_mask), mask_shift(f.blue_mask), mask_shift(f.green_mask));
    }
    std::printf("\n\nKEEP bitcount =%d  R %x G %x B %x Alp %x \n ", int(f.bits), f.red_mask, f.green_mask, f.blue_mask,
                f.alpha_mask);
}

HostPixelFormat find_texture_format(HostRenderDevice* device, uint32_t wanted_bits, HostPixelFormat* out)
{
    HostPixelFormat kept{};
    bool have = false;
    for (int i = 0; device && i < device->texture_format_count(); ++i) {
        HostPixelFormat f = device->texture_format(i);
        std::printf("bitcount %d  R %x G %x B %x Alp %x \n ", int(f.bits), f.red_mask, f.green_mask, f.blue_mask,
                    f.alpha_mask);
        if (f.flags & HOST_PF_ALPHAPIXELS) continue;
        if (f.bits <= 8 ? !(f.flags & k_palette_formats) : !(f.flags & HOST_PF_RGB)) continue;
        if (f.bits < 8) continue;
        auto distance = [&](uint32_t bits) { return bits > wanted_bits ? bits - wanted_bits : wanted_bits - bits; };
        if (!have || (f.bits >= wanted_bits && distance(f.bits) < distance(kept.bits))) {
            kept = f;
            have = true;
            report_pixel_format(kept);
        }
    }
    if (out) *out = kept;
    return kept;
}
