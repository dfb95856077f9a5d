// A device that draws nothing and logs every call, for tests: the exact
// checks of the 3D layer (vertex values, culling, draw order, state
// sequences, texels) are made at this boundary. Beside it, a display
// provider whose drivers, devices and modes a test fills in, and which can be
// told to refuse building a device.
#pragma once

#include "host/render_device.h"

#include <vector>

struct RecordedCall {
    enum Kind {
        BEGIN_SCENE, END_SCENE, CLEAR, RENDER_STATE, STAGE_STATE, DRAW, PRESENT,
        CREATE_TEXTURE, WRITE_TEXTURE, COLOUR_KEY, RELEASE_TEXTURE, SET_TEXTURE,
    };
    Kind kind;
    uint32_t a = 0, b = 0, c = 0; // state and value; primitive and count; stage and texture id ...
    float z = 0;
    std::vector<HostTLVertex> vertices;
    std::vector<uint16_t> texels;
};

class RecordingDevice final : public HostRenderDevice {
public:
    std::vector<RecordedCall> calls;
    bool lose_picture = false; // present() reports a lost picture

    void begin_scene() override;
    void end_scene() override;
    void clear(uint32_t colour, float z) override;
    void set_render_state(uint32_t state, uint32_t value) override;
    void set_texture_stage_state(uint32_t stage, uint32_t state, uint32_t value) override;
    void draw_primitive(uint32_t primitive, const HostTLVertex* vertices, uint32_t count) override;
    bool present() override;
    int texture_format_count() const override;
    HostPixelFormat texture_format(int index) const override;
    HostTexture* create_texture(uint32_t width, uint32_t height, const HostPixelFormat& format) override;
    void write_texture(HostTexture* texture, const uint16_t* texels) override;
    void set_colour_key(HostTexture* texture, uint16_t key) override;
    void release_texture(HostTexture* texture) override;
    void set_texture(uint32_t stage, HostTexture* texture) override;
    bool read_picture(uint32_t* pixels) override;

    // The calls of one kind, in order.
    std::vector<RecordedCall> of_kind(RecordedCall::Kind kind) const;
    // Render and stage states as (kind, state, value), in order.
    std::vector<RecordedCall> states() const;
    void forget() { calls.clear(); }
    static uint32_t texture_id(const HostTexture* texture); // 0 for none
    int live_textures = 0;

private:
    uint32_t next_texture_ = 1;
};

class RecordingDisplayProvider final : public HostDisplayProvider {
public:
    struct Driver {
        HostDriverDesc desc;
        std::vector<HostDeviceDesc> devices;
        std::vector<HostDisplayMode> modes;
    };
    std::vector<Driver> drivers;
    HostDisplayMode desktop{640, 480, 16};
    std::vector<HostPixelFormat> zbuffer_formats{{HOST_PF_ZBUFFER, 16, 0, 0, 0, 0}};
    bool refuse_create = false;
    int refusals = 0; // the next so many builds fail
    int created = 0, released = 0;
    RecordingDevice* last = nullptr; // the device built last

    // One primary driver (windowed-capable) with one hardware device with
    // perspective texturing, modes 640 x 480 x 16 and x 32: the machine's shape.
    static RecordingDisplayProvider standard();
    static HostDeviceDesc hardware_device(const char* name, uint8_t guid_tag);
    static HostDeviceDesc software_device(const char* name, const uint8_t* guid);

    int driver_count() const override { return static_cast<int>(drivers.size()); }
    HostDriverDesc driver(int index) const override { return drivers[index].desc; }
    int device_count(int driver) const override { return static_cast<int>(drivers[driver].devices.size()); }
    HostDeviceDesc device(int driver, int index) const override { return drivers[driver].devices[index]; }
    int mode_count(int driver) const override { return static_cast<int>(drivers[driver].modes.size()); }
    HostDisplayMode mode(int driver, int index) const override { return drivers[driver].modes[index]; }
    HostDisplayMode desktop_mode() const override { return desktop; }
    int zbuffer_format_count(int, int) const override { return static_cast<int>(zbuffer_formats.size()); }
    HostPixelFormat zbuffer_format(int, int, int index) const override { return zbuffer_formats[index]; }
    HostRenderDevice* create_device(int driver, int device, HostWindow* window, bool full_screen) override;
    void release_device(HostRenderDevice* device) override;
};
