#include "host/recording_device.h"

#include <cstring>

namespace {
struct RecordedTexture final : HostTexture {
    uint32_t id = 0;
};

const HostPixelFormat k_formats[] = {
    {HOST_PF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0},
    {HOST_PF_RGB | HOST_PF_ALPHAPIXELS, 16, 0x7C00, 0x03E0, 0x001F, 0x8000},
    {HOST_PF_RGB | HOST_PF_ALPHAPIXELS, 16, 0x0F00, 0x00F0, 0x000F, 0xF000},
};

RecordedCall call(RecordedCall::Kind kind, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0)
{
    RecordedCall r;
    r.kind = kind;
    r.a = a;
    r.b = b;
    r.c = c;
    return r;
}
} // namespace

void RecordingDevice::begin_scene() { calls.push_back(call(RecordedCall::BEGIN_SCENE)); }
void RecordingDevice::end_scene() { calls.push_back(call(RecordedCall::END_SCENE)); }

void RecordingDevice::clear(uint32_t colour, float z)
{
    RecordedCall r = call(RecordedCall::CLEAR, colour);
    r.z = z;
    calls.push_back(r);
}

void RecordingDevice::set_render_state(uint32_t state, uint32_t value)
{
    calls.push_back(call(RecordedCall::RENDER_STATE, state, value));
}

void RecordingDevice::set_texture_stage_state(uint32_t stage, uint32_t state, uint32_t value)
{
    calls.push_back(call(RecordedCall::STAGE_STATE, state, value, stage));
}

void RecordingDevice::draw_primitive(uint32_t primitive, const HostTLVertex* vertices, uint32_t count)
{
    RecordedCall r = call(RecordedCall::DRAW, primitive, count);
    r.vertices.assign(vertices, vertices + count);
    calls.push_back(r);
}

bool RecordingDevice::present()
{
    calls.push_back(call(RecordedCall::PRESENT));
    return !lose_picture;
}

int RecordingDevice::texture_format_count() const { return 3; }

HostPixelFormat RecordingDevice::texture_format(int index) const
{
    return index >= 0 && index < 3 ? k_formats[index] : HostPixelFormat{};
}

HostTexture* RecordingDevice::create_texture(uint32_t width, uint32_t height, const HostPixelFormat& format)
{
    auto* t = new RecordedTexture;
    t->id = next_texture_++;
    t->width = width;
    t->height = height;
    t->format = format;
    ++live_textures;
    calls.push_back(call(RecordedCall::CREATE_TEXTURE, t->id, width, height));
    return t;
}

void RecordingDevice::write_texture(HostTexture* texture, const uint16_t* texels)
{
    RecordedCall r = call(RecordedCall::WRITE_TEXTURE, texture_id(texture));
    if (texture && texels) r.texels.assign(texels, texels + size_t(texture->width) * texture->height);
    calls.push_back(r);
}

void RecordingDevice::set_colour_key(HostTexture* texture, uint16_t key)
{
    calls.push_back(call(RecordedCall::COLOUR_KEY, texture_id(texture), key));
}

void RecordingDevice::release_texture(HostTexture* texture)
{
    calls.push_back(call(RecordedCall::RELEASE_TEXTURE, texture_id(texture)));
    if (texture) --live_textures;
    delete texture;
}

void RecordingDevice::set_texture(uint32_t stage, HostTexture* texture)
{
    calls.push_back(call(RecordedCall::SET_TEXTURE, stage, texture_id(texture)));
}

bool RecordingDevice::read_picture(uint32_t* pixels)
{
    if (!pixels) return false;
    std::memset(pixels, 0, sizeof(uint32_t) * size_t(PICTURE_WIDTH) * PICTURE_HEIGHT);
    return true;
}

uint32_t RecordingDevice::texture_id(const HostTexture* texture)
{
    return texture ? static_cast<const RecordedTexture*>(texture)->id : 0;
}

std::vector<RecordedCall> RecordingDevice::of_kind(RecordedCall::Kind kind) const
{
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : calls)
        if (c.kind == kind) out.push_back(c);
    return out;
}

std::vector<RecordedCall> RecordingDevice::states() const
{
    std::vector<RecordedCall> out;
    for (const RecordedCall& c : calls)
        if (c.kind == RecordedCall::RENDER_STATE || c.kind == RecordedCall::STAGE_STATE) out.push_back(c);
    return out;
}

HostDeviceDesc RecordingDisplayProvider::hardware_device(const char* name, uint8_t guid_tag)
{
    HostDeviceDesc d{};
    d.guid[0] = guid_tag;
    std::strncpy(d.name, name, sizeof d.name - 1);
    d.hardware = {1, HOST_COLOURMODEL_RGB, 0, HOST_TEXCAPS_PERSPECTIVE, HOST_BITDEPTH_16 | HOST_BITDEPTH_32,
                  HOST_BITDEPTH_16};
    return d;
}

HostDeviceDesc RecordingDisplayProvider::software_device(const char* name, const uint8_t* guid)
{
    HostDeviceDesc d{};
    std::memcpy(d.guid, guid, 16);
    std::strncpy(d.name, name, sizeof d.name - 1);
    d.software = {1, HOST_COLOURMODEL_RGB, 0, HOST_TEXCAPS_PERSPECTIVE, HOST_BITDEPTH_16 | HOST_BITDEPTH_32,
                  HOST_BITDEPTH_16};
    return d;
}

RecordingDisplayProvider RecordingDisplayProvider::standard()
{
    RecordingDisplayProvider p;
    Driver d;
    d.desc = {};
    std::strcpy(d.desc.description, "Primary Display Driver");
    std::strcpy(d.desc.name, "display");
    d.desc.caps2 = HOST_CAPS2_CANRENDERWINDOWED;
    d.desc.opens = true;
    d.devices.push_back(hardware_device("Test Hardware Device", 0xA1));
    d.modes = {{640, 480, 16}, {640, 480, 32}};
    p.drivers.push_back(d);
    return p;
}

HostRenderDevice* RecordingDisplayProvider::create_device(int, int, HostWindow*, bool)
{
    if (refuse_create) return nullptr;
    if (refusals > 0) {
        --refusals;
        return nullptr;
    }
    ++created;
    last = new RecordingDevice;
    return last;
}

void RecordingDisplayProvider::release_device(HostRenderDevice* device)
{
    if (!device) return;
    ++released;
    if (device == last) last = nullptr;
    delete device;
}
