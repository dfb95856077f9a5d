// The 3D device the game draws through: the smallest stand-in for the
// immediate-mode device of the 1999 hardware path. It takes screen-space,
// pre-lit vertices and the render and texture-stage states the game sets,
// renders into a 640 x 480 picture and presents that picture on the window.
//
// State and constant numbers are those of the original device interface, so
// that state sequences logged by the recording device read like the game's.
//
// Beside the device sits the display provider: what drivers, devices and
// display modes the machine offers, and the building of a device on a window.
// Tests replace the provider with a fake one that hands out recording devices.
#pragma once

#include "host/window.h" // the picture's size

#include <cstdint>

// Pre-transformed, pre-lit vertex: 32 bytes.
struct HostTLVertex {
    float x, y;     // pixels, y grows downwards; pixel centres on whole numbers
    float z;        // 0 near .. 1 far
    float rhw;      // 1 / clip w
    uint32_t diffuse;  // 0xAARRGGBB
    uint32_t specular; // 0xAARRGGBB
    float u, v;
};
static_assert(sizeof(HostTLVertex) == 32);

enum HostPrimitive : uint32_t { HOST_TRIANGLE_LIST = 4, HOST_TRIANGLE_FAN = 6 };

// Render states.
enum : uint32_t {
    HOST_RS_TEXTUREPERSPECTIVE = 4,
    HOST_RS_ZENABLE = 7,
    HOST_RS_SHADEMODE = 9,
    HOST_RS_ZWRITEENABLE = 14,
    HOST_RS_ALPHATESTENABLE = 15,
    HOST_RS_SRCBLEND = 19,
    HOST_RS_DESTBLEND = 20,
    HOST_RS_TEXTUREMAPBLEND = 21,
    HOST_RS_CULLMODE = 22,
    HOST_RS_ZFUNC = 23,
    HOST_RS_DITHERENABLE = 26,
    HOST_RS_ALPHABLENDENABLE = 27,
    HOST_RS_SPECULARENABLE = 29,
    HOST_RS_COLORKEYENABLE = 41,
};
// Texture-stage states.
enum : uint32_t {
    HOST_TSS_COLOROP = 1,
    HOST_TSS_COLORARG1 = 2,
    HOST_TSS_COLORARG2 = 3,
    HOST_TSS_ALPHAOP = 4,
    HOST_TSS_ALPHAARG1 = 5,
    HOST_TSS_ALPHAARG2 = 6,
    HOST_TSS_TEXCOORDINDEX = 11,
    HOST_TSS_MAGFILTER = 16,
    HOST_TSS_MINFILTER = 17,
};
// State values.
enum : uint32_t {
    HOST_TOP_DISABLE = 1, HOST_TOP_SELECTARG1 = 2, HOST_TOP_SELECTARG2 = 3, HOST_TOP_MODULATE = 4,
    HOST_TA_DIFFUSE = 0, HOST_TA_CURRENT = 1, HOST_TA_TEXTURE = 2,
    HOST_FILTER_POINT = 1, HOST_FILTER_LINEAR = 2,
    HOST_BLEND_ZERO = 1, HOST_BLEND_ONE = 2, HOST_BLEND_SRCCOLOR = 3, HOST_BLEND_INVSRCCOLOR = 4,
    HOST_BLEND_SRCALPHA = 5, HOST_BLEND_INVSRCALPHA = 6, HOST_BLEND_DESTALPHA = 7,
    HOST_BLEND_INVDESTALPHA = 8, HOST_BLEND_DESTCOLOR = 9, HOST_BLEND_INVDESTCOLOR = 10,
    HOST_BLEND_SRCALPHASAT = 11,
    HOST_SHADE_FLAT = 1, HOST_SHADE_GOURAUD = 2,
    HOST_CULL_NONE = 1, HOST_CULL_CW = 2, HOST_CULL_CCW = 3,
    HOST_CMP_NEVER = 1, HOST_CMP_LESS = 2, HOST_CMP_EQUAL = 3, HOST_CMP_LESSEQUAL = 4,
    HOST_CMP_GREATER = 5, HOST_CMP_NOTEQUAL = 6, HOST_CMP_GREATEREQUAL = 7, HOST_CMP_ALWAYS = 8,
    HOST_TBLEND_MODULATE = 2,
};

// Pixel formats (the flags and masks of the original format records).
constexpr uint32_t HOST_PF_ALPHAPIXELS = 0x1;
constexpr uint32_t HOST_PF_RGB = 0x40;
constexpr uint32_t HOST_PF_ZBUFFER = 0x400;
struct HostPixelFormat {
    uint32_t flags;
    uint32_t bits;
    uint32_t red_mask, green_mask, blue_mask, alpha_mask;
};

// Capabilities of one device description.
constexpr uint32_t HOST_TEXCAPS_PERSPECTIVE = 0x1;
constexpr uint32_t HOST_TEXCAPS_ALPHAPALETTE = 0x80;
constexpr uint32_t HOST_RASTERCAPS_ZBUFFERLESSHSR = 0x8000;
constexpr uint32_t HOST_COLOURMODEL_RGB = 2;
constexpr uint32_t HOST_BITDEPTH_16 = 0x400;
constexpr uint32_t HOST_BITDEPTH_32 = 0x100;
struct HostRenderCaps {
    uint32_t flags;            // nonzero: the description is filled in
    uint32_t colour_model;
    uint32_t tri_raster_caps;
    uint32_t tri_texture_caps;
    uint32_t render_bit_depths;
    uint32_t zbuffer_bit_depths;
};

// A texture, owned by the device that made it (each device extends it).
struct HostTexture {
    virtual ~HostTexture() = default;
    uint32_t width = 0, height = 0;
    HostPixelFormat format{};
};

struct HostWindow;

class HostRenderDevice {
public:
    virtual ~HostRenderDevice() = default;

    virtual void begin_scene() = 0;
    virtual void end_scene() = 0;
    // Clears the whole picture to the colour and the depth buffer to z,
    // whatever the write masks of the render states.
    virtual void clear(uint32_t colour, float z) = 0;
    virtual void set_render_state(uint32_t state, uint32_t value) = 0;
    virtual void set_texture_stage_state(uint32_t stage, uint32_t state, uint32_t value) = 0;
    virtual void draw_primitive(uint32_t primitive, const HostTLVertex* vertices, uint32_t count) = 0;
    // Shows the picture on the window; false when the window's picture was lost.
    virtual bool present() = 0;

    // Textures in the formats the device lists, in its fixed order.
    virtual int texture_format_count() const = 0;
    virtual HostPixelFormat texture_format(int index) const = 0;
    virtual HostTexture* create_texture(uint32_t width, uint32_t height, const HostPixelFormat& format) = 0;
    // Whole texture, width x height texels of the texture's 16-bit format, row by row.
    virtual void write_texture(HostTexture* texture, const uint16_t* texels) = 0;
    // A texel equal to the key is not drawn while colour keying is on.
    virtual void set_colour_key(HostTexture* texture, uint16_t key) = 0;
    virtual void release_texture(HostTexture* texture) = 0;
    virtual void set_texture(uint32_t stage, HostTexture* texture) = 0;

    // The 640 x 480 picture, top row first, each pixel 0xFFRRGGBB.
    virtual bool read_picture(uint32_t* pixels) = 0;
};

// --- The display provider: enumeration and building ---

struct HostDriverDesc {
    bool has_guid;     // false: the primary display driver
    uint8_t guid[16];
    char description[40];
    char name[40];
    uint32_t caps2;    // HOST_CAPS2_CANRENDERWINDOWED
    bool opens;        // the driver can be opened for 3D
};
constexpr uint32_t HOST_CAPS2_CANRENDERWINDOWED = 0x80000;

struct HostDeviceDesc {
    uint8_t guid[16];
    char name[40];
    HostRenderCaps hardware;
    HostRenderCaps software;
};

struct HostDisplayMode {
    uint32_t width, height, bits;
};

constexpr int HOST_MAX_ENUM = 16;

class HostDisplayProvider {
public:
    virtual ~HostDisplayProvider() = default;
    virtual int driver_count() const = 0;
    virtual HostDriverDesc driver(int index) const = 0;
    virtual int device_count(int driver) const = 0;
    virtual HostDeviceDesc device(int driver, int index) const = 0;
    virtual int mode_count(int driver) const = 0;
    virtual HostDisplayMode mode(int driver, int index) const = 0;
    virtual HostDisplayMode desktop_mode() const = 0;
    virtual int zbuffer_format_count(int driver, int device) const = 0;
    virtual HostPixelFormat zbuffer_format(int driver, int device, int index) const = 0;
    // Builds the device on the window; nullptr when it cannot be made.
    virtual HostRenderDevice* create_device(int driver, int device, HostWindow* window, bool full_screen) = 0;
    virtual void release_device(HostRenderDevice* device) = 0;
};

// Loads the GL library once for the whole run, before the first GL window:
// device rebuilds and windows then come and go without reloading the driver.
void host_keep_gl_library_loaded();

// The machine's provider (OpenGL), unless a test installed another.
HostDisplayProvider* host_display_provider();
