// The game's own small immediate-mode 3D interface in the manner of OpenGL.
// It does the whole geometry stage itself (matrices, transform, clip codes,
// lighting, projection, polygon clipping) and hands only finished
// screen-space triangles to the host's 3D device.
//
// Enumerated values are OpenGL's own numbers. Matrices are 16 floats in
// column-major order (translation in entries 12, 13, 14), vectors multiplied
// on the right. Every operation works on the current context and device.
#pragma once

#include <cstdint>

struct HostWindow;
class HostRenderDevice;

constexpr int MAX_GL_VERTICES = 12000;
constexpr uint32_t GL_MATRIX_STACK_DEPTH = 32;

// OpenGL numbers the layer answers to.
constexpr uint32_t GL_MODELVIEW_MODE = 0x1700;
constexpr uint32_t GL_PROJECTION_MODE = 0x1701;
constexpr uint32_t GL_CAP_DEPTH_TEST = 0x0B71;
constexpr uint32_t GL_CAP_LIGHTING = 0x0B50;
constexpr uint32_t GL_CAP_COLOUR_MATERIAL = 0x0B57;
constexpr uint32_t GL_CAP_LIGHT0 = 0x4000;
constexpr uint32_t GL_CLEAR_COLOUR_BIT = 0x4000;
constexpr uint32_t GL_CLEAR_DEPTH_BIT = 0x0100;

// Clip code bits, one per side of the view volume -w..w.
enum : uint16_t {
    CLIP_RIGHT = 1, CLIP_LEFT = 2, CLIP_TOP = 4, CLIP_BOTTOM = 8, CLIP_NEAR = 16, CLIP_FAR = 32,
};

// --- Lights and materials ---

struct GlLight {
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float position[4];       // eye coordinates; w = 0: directional
    float spot_direction[4]; // eye coordinates
    float spot_exponent, spot_cutoff, cos_cutoff;
    float constant_attenuation, linear_attenuation, quadratic_attenuation;
    uint8_t enabled;
    GlLight* next_enabled;
    float direction[3];      // unit direction to a directional light
    float unit_spot[3];
    float spot_table[512][2]; // value, difference to the next value
};

struct GlLightModel {
    float ambient[4];
    uint8_t local_viewer;
    uint8_t two_sided;
    uint32_t colour_control;
};

struct GlMaterial {
    float ambient[4], diffuse[4], specular[4], emission[4];
    float shininess;
    float colour_indexes[3];
    float shine_table[200]; // negative: not yet computed
};

// --- The context ---

struct GlArray {
    int16_t count;
    uint16_t kind;
    const void* pointer;
};

struct gl_context;
using GlUpdateSlot = void (*)(gl_context*);
using GlClearSlot = uint32_t (*)(gl_context*, uint32_t mask);
using GlSceneSlot = void (*)(gl_context*);
using GlDrawSlot = void (*)(gl_context*, int32_t index_count, const uint32_t* indices);
using GlDrawIndexedSlot = void (*)(gl_context*, int32_t index_count, const uint32_t* positions,
                                   const uint32_t* texcoords);

struct GlViewport {
    int32_t x, y, width, height;
    float scale[3];
    float offset[3];
};

struct gl_context {
    float modelview[16];
    float inverse_modelview[16];
    uint32_t modelview_depth;
    float modelview_stack[GL_MATRIX_STACK_DEPTH][16];
    uint32_t matrix_mode;
    float projection[16];
    uint32_t projection_depth;
    float projection_stack[GL_MATRIX_STACK_DEPTH][16];
    GlViewport viewport;

    float clip[MAX_GL_VERTICES][4];
    float window[MAX_GL_VERTICES][3];
    float normals[MAX_GL_VERTICES][3];
    float eye[MAX_GL_VERTICES][3];
    float texcoords[MAX_GL_VERTICES][2];
    uint8_t lit[MAX_GL_VERTICES][4];
    uint8_t colours[MAX_GL_VERTICES][4];
    uint8_t current_colour[4];
    uint16_t clip_codes[MAX_GL_VERTICES];

    GlArray position_array, normal_array, texcoord_array, colour_array;

    int32_t texture_level;
    uint32_t texture_saved[3];

    GlUpdateSlot update;
    GlClearSlot clear;
    GlSceneSlot begin_scene;
    GlSceneSlot end_scene;
    GlDrawSlot draw_triangles;
    GlDrawIndexedSlot draw_indexed_triangles;

    uint8_t depth_test;

    GlLight lights[8];
    GlLightModel light_model;
    GlMaterial materials[2]; // front, back
    uint8_t lighting;
    uint8_t colour_material;
    GlLight* enabled_lights;
};

// The device binding: a window, the host's 3D device and one context.
struct gl_device {
    HostWindow* window;
    void* instance;
    HostRenderDevice* device; // null while the device is being rebuilt or after a failed rebuild
    uint16_t hw_flag;         // 1: a hardware device that textures in perspective
    gl_context* context;
    uint32_t width, height;
    uint32_t full_screen;     // nonzero presents by flipping, zero into the window
    uint32_t active;          // presenting is skipped while 0
};

extern gl_context* gl_current_context;
extern gl_device* gl_current_device;

// --- Context, device and matrices ---

gl_context* gl_create_context();
void gl_init_context(gl_context* context);
void gl_destroy_context(gl_context* context);
void gl_set_current_context(gl_context* context);
gl_device* gl_create_device(HostWindow* window, void* instance, uint32_t width, uint32_t height,
                            uint32_t full_screen);
void gl_destroy_device(gl_device* device);
void gl_make_current(gl_device* device);
void gl_reshape_current();

void gl_matrix_mode(int32_t mode);
void gl_load_identity();
void gl_load_matrix(const float* m);
void gl_mult_matrix(const float* m);
// A push onto a full stack is refused (returns false), not written past it.
bool gl_push_matrix();
void gl_pop_matrix();
void gl_rotate(float angle, float x, float y, float z);
void gl_scale(float x, float y, float z);
void gl_translate(float x, float y, float z);
void gl_frustum(float left, float right, float bottom, float top, float near_plane, float far_plane);
void gl_ortho(float left, float right, float bottom, float top, float near_plane, float far_plane);
void glu_ortho_2d(float left, float right, float bottom, float top);
void glu_perspective(float fovy, float aspect, float near_plane, float far_plane);
void glu_pick_matrix(float x, float y, float width, float height, const int32_t viewport[4]);
void glu_look_at(float eye_x, float eye_y, float eye_z, float centre_x, float centre_y, float centre_z,
                 float up_x, float up_y, float up_z);
int gl_invert_matrix(const float* source, float* destination);
void gl_multiply_matrix4(float* destination, const float* a, const float* b);

// --- Lights and materials ---

void gl_light(uint32_t light, uint32_t parameter, const float* values);
void gl_light_model(uint32_t parameter, const float* values);
void gl_material(uint32_t face, uint32_t parameter, const float* values);
void gl_material_by_mask(gl_context* context, uint32_t mask, const float* values);
void gl_clear_shine_table(GlMaterial* material);
void gl_build_spot_table(GlLight* light);
void gl_setup_lights();
void gl_pipeline_a(int face);
void gl_pipeline_b(int face);
void gl_init_lighting(gl_context* context);

// --- Vertex arrays and the transform pipeline ---

void gl_vertex_pointer(uint16_t count, uint16_t kind, const float* xyz);
void gl_normal_pointer(uint16_t count, uint16_t kind, const float* xyz);
void gl_texcoord_pointer(uint16_t float_count, uint16_t kind, const float* uv);
void gl_colour_pointer(uint16_t count, uint16_t kind, const uint8_t* rgba);
void gl_read_lit_colours(uint16_t count, uint16_t ignored, uint8_t* destination);
void gl_draw_arrays(int32_t index_count, const uint32_t* indices);
void gl_draw_eye_arrays(int32_t index_count, const uint32_t* positions, const uint32_t* texcoords);
int gl_project_raster(const float* point, int32_t* x, int32_t* y);
int gl_points_visible(int32_t count, const float* xyz);
int gl_range_visible(int32_t first, uint32_t count);
void gl_transform_vertices();
void gl_project_vertices();

// --- Drawing over the host device ---

struct clip_vertex {
    float f[14]; // clip x, y, z, w; u, v; (unused); red, green, blue, alpha (0..1); ...
};
struct clip_polygon {
    uint32_t count;
    uint32_t mask; // bit n: float n is interpolated
    clip_vertex v[20];
};

void d3d_install_scene_slots(gl_context* context);
uint32_t d3d_clear(gl_context* context, uint32_t mask);
void d3d_begin_scene(gl_context* context);
void d3d_end_scene(gl_context* context);
void d3d_draw_triangles(gl_context* context, int32_t index_count, const uint32_t* indices);
void d3d_draw_triangles_uv_indexed(gl_context* context, int32_t index_count, const uint32_t* positions,
                                   const uint32_t* texcoords);
int clip_polygon_homogeneous(clip_polygon* polygon);
void clip_polygon_plane(const clip_polygon* source, clip_polygon* destination, int axis, int sign,
                        float w_factor);
int clip_polygon_box(clip_polygon* polygon, const float bounds[6]);
void gl_swap_buffers();

// --- Front functions ---

void set_projection(float fovy, float aspect, float near_plane, float far_plane);
void set_display_projection(float fovy, float aspect, float near_plane, float far_plane);
void set_look_at(float eye_x, float eye_y, float eye_z, float centre_x, float centre_y, float centre_z);
void set_look_at_inverted(float eye_x, float eye_y, float eye_z, float centre_x, float centre_y,
                          float centre_z);
void get_matrix(uint32_t mode, float* out);
void set_gl_viewport(int32_t x, int32_t y, int32_t width, int32_t height);
void gl_colour_white();
void gl_colour4f(float red, float green, float blue, float alpha);
void gl_enable(uint32_t capability);
void gl_disable(uint32_t capability);
void gl_clear(uint32_t mask);
void gl_begin_scene();
void gl_end_scene();

struct gl_device_info {
    HostWindow* window;
    void* instance;
    HostRenderDevice* device;
    uint16_t hw_flag;
};
int gl_get_device_info(gl_device_info* info);
uint32_t gl_get_config_flag();
void gl_release_device();
// Textures of the named-texture manager: made again for the current device
// after a loss or a rebuild, or dropped from it (the bitmaps stay).
void restore_all_textures();
void gl_invalidate_textures();
struct TextureImage;
struct named_texture;
uint32_t gl_load_texture_file(const char* name, int16_t stage, int32_t flags);
uint32_t gl_create_texture_image(const char* name, int16_t stage, uint32_t flags, const TextureImage* image);
// A name without a texture (or none) unbinds the stage.
void gl_bind_named_texture(int16_t stage, const char* name);
uint32_t gl_restore_texture(const char* name);
uint32_t gl_release_texture_by_name(const char* name);
uint32_t gl_destroy_texture(named_texture* texture);
// The one exit hook of the display: runs when the window closes the program,
// just before the process ends.
void gl_set_exit_hook(void (*routine)());
using GlMessageHook = int32_t (*)(HostWindow* window, uint32_t message, uint32_t wparam, uint32_t lparam);
void gl_set_hook_a(GlMessageHook hook);
void (*gl_exit_hook())();
GlMessageHook gl_message_hook();

int32_t gl_push_texture_state(uint32_t a, uint32_t b, uint32_t c);
int32_t gl_pop_texture_state();
void gl_texture_hook();

// The device's texture formats: the first without alpha, or one nearer the
// wanted bits per pixel; each format is listed on standard output.
struct HostPixelFormat;
HostPixelFormat find_texture_format(HostRenderDevice* device, uint32_t wanted_bits, HostPixelFormat* out);
void report_pixel_format(const HostPixelFormat& format);

// The host's 3D device of the current binding, or null.
HostRenderDevice* gl_render_device();
