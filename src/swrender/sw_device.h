// The software display's Direct3D device: a small 8-bit rasteriser that
// takes pre-transformed triangle strips, materials and palettised textures,
// and draws into the render target surface the device was made on.
//
// Drawing rules: pixel centres at integer coordinates, the top-left fill
// rule (so column 639 and row 479 of a full-screen strip stay undrawn),
// affine point sampling with wrap, flat shading from each triangle's first
// vertex, no depth test and no culling: faces are drawn in the order given.
// A textured face writes its texel indices (COPY and MODULATE alike on a
// palettised target); an untextured one writes the display palette's
// nearest entry to its vertex colour (the lowest index on ties).
#pragma once

#include "screen/surface.h"

#include <cstdint>
#include <vector>

// A pre-transformed, lit vertex.
struct SwTLVertex {
    float sx, sy, sz, rhw;
    uint32_t colour, specular;
    float tu, tv;
};

struct SwColourValue {
    float r, g, b, a;
};
struct SwMaterialDesc {
    uint32_t size; // 80
    SwColourValue diffuse, ambient, specular, emissive;
    float power;
    uint32_t texture_handle;
    uint32_t ramp_size;
};

// Render and light states the meshes set.
enum : uint32_t {
    SW_RS_TEXTUREHANDLE = 1,
    SW_RS_FILLMODE = 8,
    SW_RS_SHADEMODE = 9,
    SW_RS_ZWRITEENABLE = 14,
    SW_RS_TEXTUREMAPBLEND = 21,
    SW_RS_SPECULARENABLE = 29,
    SW_LS_MATERIAL = 1,
    SW_LS_COLORMODEL = 3,
};
constexpr uint32_t SW_TBLEND_MODULATE = 2;
constexpr uint32_t SW_TBLEND_COPY = 7;
constexpr uint32_t SW_COLOR_MONO = 1;
constexpr uint32_t SW_COLOR_RGB = 2;

struct SwDevice {
    Surface* target = nullptr;
    int32_t kind = 0; // 0 ramp, 1 RGB, 2 HAL
    bool in_scene = false;
    uint32_t render_state[64] = {};
    uint32_t light_state[8] = {};
    int32_t viewport = 0; // current viewport handle, 0 none
    int32_t draws_to_fail = 0;
    int32_t primitives_drawn = 0;
};

struct SwTexture {
    int32_t side = 0;
    std::vector<uint8_t> texels; // side x side
    bool video_memory = false;
};

// The one device (the software display has one).
extern SwDevice sw_device;

void sw_device_reset();
// A new device on an 8-bit target; 0 when the target is missing or not 8-bit.
int32_t sw_device_create(Surface* target, int32_t kind);
int32_t sw_device_begin_scene();
int32_t sw_device_end_scene();
void sw_device_set_render_state(uint32_t state, uint32_t value);
void sw_device_set_light_state(uint32_t state, uint32_t value);
// Handles start at 1; 0 means none.
uint32_t sw_device_create_material();
void sw_device_set_material(uint32_t handle, const SwMaterialDesc& desc);
const SwMaterialDesc* sw_device_material(uint32_t handle);
uint32_t sw_device_create_texture(int32_t side);
SwTexture* sw_device_texture(uint32_t handle);
// A triangle strip of n vertices, unclipped: 1 drawn, 0 refused.
int32_t sw_device_draw_strip(const SwTLVertex* vertices, int32_t n);
// Tests: the next n draws fail.
void sw_device_fail_next_draws(int32_t n);

// The palette index nearest 0x00RRGGBB in the display palette (lowest on ties).
uint8_t sw_nearest_palette_index(uint32_t rgb);
