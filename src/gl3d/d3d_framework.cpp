// The device framework: builds the host's 3D device for the chosen driver,
// device and mode, rebuilds it after a resize or a new choice, and keeps the
// choice in "devconfig.dat" in the user directory.
#include "gl3d/d3d.h"

#include "gl3d/gl.h"
#include "gl3d/texture_manager.h"
#include "gl3d/window_shell.h"
#include "host/file_util.h"
#include "host/paths.h"
#include "host/process.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

uint32_t display_ready = 0;
uint32_t display_active = 0;
uint32_t d3d_windowed = 1;

namespace {

d3d_framework* g_framework = nullptr;
int32_t g_pause_count = 0;
uint32_t g_last_box_code = 0;
std::string g_last_box_text;

constexpr uint32_t k_video_memory = 0x4000, k_system_memory = 0x800;

struct ErrorText {
    uint32_t code;
    const char* text;
};
const ErrorText k_error_texts[] = {
    {0x81000001, "Enumeration failed. Your system may be not\nsupport hardware rendering"},
    {0x81000002, "Could not find any compatible devices.\n\nTry enabling the reference rasterizer using\nEnableRefRast.reg."},
    {0x81000003, "Could not find any compatible Direct3D\ndevices."},
    {0x81000006, "Your system can't support\n hardware rendering"},
    {0x82000000, "Generic initialization error.\n\nEnable debug output for detailed information."},
    {0x82000001, "No DirectDraw"},
    {0x82000002, "Could not set Cooperative Level"},
    {0x82000003, "No Direct3D"},
    {0x82000004, "No 3D Device"},
    {0x82000005, "No ZBuffer"},
    {0x82000006, "No Viewport"},
    {0x82000007, "No primary"},
    {0x82000008, "No Clipper"},
    {0x82000009, "Bad display mode"},
    {0x8200000A, "No backbuffer"},
    {0x8200000B, "Nonzerorefcount"},
    {0x8200000C, "No render target"},
    {0x8200000D, "This sample requires a 16-bit (or higher) display mode\nto run in a window.\n\nPlease switch your desktop settings accordingly."},
    {0x8200000F, "Could not create a config file.\n\nyour setings will not be save\n"},
    {0x8007000E, "Not enough memory!"},
    {0x8876017C, "There was insufficient video memory to use the\nhardware device."},
};

const char* const k_config_name = "devconfig.dat";

std::string config_path() { return host_user_file(k_config_name); }

// The file opens for reading and closes without error.
bool config_readable()
{
    std::FILE* f = std::fopen(config_path().c_str(), "rb");
    if (!f) return false;
    return std::fclose(f) == 0;
}

void put_u32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t get_u32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

// The record of the current choice, full screen.
void save_choice()
{
    d3d_driver* driver = nullptr;
    d3d_device* device = nullptr;
    if (get_selected(&driver, &device) != D3D_OK || !device) return;
    devconfig_record record{};
    d3d_copy_text(record.driver, driver->description, sizeof record.driver);
    if (device->current_mode) d3d_copy_text(record.mode, device->current_mode->text, sizeof record.mode);
    record.windowed = 0;
    record.valid = 1;
    devconfig_write(config_path().c_str(), &record);
}

HostDisplayProvider* provider() { return host_display_provider(); }

} // namespace

bool devconfig_read(const char* path, devconfig_record* record)
{
    std::memset(record, 0, sizeof *record);
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    uint8_t bytes[DEVCONFIG_SIZE] = {};
    size_t got = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    if (got != DEVCONFIG_SIZE) return false; // an empty or short file holds no choice
    std::memcpy(record->driver, bytes, 40);
    std::memcpy(record->mode, bytes + 40, 48);
    // Strings end inside their fields, whatever the file held.
    record->driver[39] = '\0';
    record->mode[47] = '\0';
    record->windowed = get_u32(bytes + 88);
    record->valid = get_u32(bytes + 92);
    return true;
}

bool devconfig_write(const char* path, const devconfig_record* record)
{
    uint8_t bytes[DEVCONFIG_SIZE] = {};
    std::memcpy(bytes, record->driver, 40);
    std::memcpy(bytes + 40, record->mode, 48);
    put_u32(bytes + 88, record->windowed);
    put_u32(bytes + 92, record->valid);
    // Beside the old file, then renamed over it: a failed write never leaves
    // a part of a record.
    return host_replace_file(path, bytes, sizeof bytes);
}

const char* d3d_error_text(uint32_t code)
{
    for (const ErrorText& e : k_error_texts)
        if (e.code == code) return e.text;
    return "Generic application error.\n\nEnable debug output for detailed information.";
}

void d3d_error_box(uint32_t code, int kind)
{
    char text[512];
    std::snprintf(text, sizeof text, "%s", d3d_error_text(code));
    const char* suffix = kind == 1 ? "\n\nThis sample will now exit." : kind == 2 ? "\n\nSwitching to software rasterizer." : "";
    std::strncat(text, suffix, sizeof text - std::strlen(text) - 1);
    g_last_box_code = code;
    g_last_box_text = text;
    host_message_box("KOB 99", text, HOST_MB_OK, kind == 1);
}

uint32_t d3d_last_error_code() { return g_last_box_code; }
const char* d3d_last_error_message() { return g_last_box_text.c_str(); }
void d3d_forget_error_box()
{
    g_last_box_code = 0;
    g_last_box_text.clear();
}

bool d3d_framework_exists() { return g_framework != nullptr; }
d3d_framework* d3d_current_framework() { return g_framework; }

uint32_t d3d_create_objects(const d3d_driver* driver, const d3d_device* device, const d3d_mode* mode, uint32_t flags)
{
    d3d_framework* fw = g_framework;
    HostDisplayProvider* p = provider();
    if (!fw || !p || !driver) return D3DERR_NO_DIRECTDRAW;
    fw->driver_index = driver->provider_index;
    fw->back_buffer = (flags & BUILD_BACK_BUFFER) ? 1 : 0;
    if (device) {
        if (device->provider_index >= p->device_count(driver->provider_index)) return D3DERR_NO_DIRECT3D;
        HostDeviceDesc desc = p->device(driver->provider_index, device->provider_index);
        if (std::memcmp(desc.guid, device->guid, 16) != 0) return D3DERR_NO_DIRECT3D;
        fw->device_index = device->provider_index;
        bool hardware = desc.hardware.flags != 0;
        fw->description = hardware ? desc.hardware : desc.software;
        fw->surface_memory = hardware ? k_video_memory : k_system_memory;
        uint32_t wanted = (flags & BUILD_STENCIL) ? 0x4400 : HOST_PF_ZBUFFER;
        bool found = false;
        int count = p->zbuffer_format_count(fw->driver_index, fw->device_index);
        for (int i = 0; i < count; ++i) {
            HostPixelFormat f = p->zbuffer_format(fw->driver_index, fw->device_index, i);
            if (f.flags != wanted) continue;
            fw->zbuffer_format = f;
            found = true;
            if (f.bits == 16) break;
        }
        if (!found) return D3DERR_NO_ZBUFFER;
    }
    // The picture is always 640 x 480; the window shows it scaled.
    fw->width = uint32_t(PICTURE_WIDTH);
    fw->height = uint32_t(PICTURE_HEIGHT);
    uint32_t display_bits = p->desktop_mode().bits;
    if (fw->full_screen) {
        bool offered = false;
        for (int i = 0; i < p->mode_count(driver->provider_index); ++i) {
            HostDisplayMode m = p->mode(driver->provider_index, i);
            offered = offered || (m.width == mode->desc.width && m.height == mode->desc.height && m.bits == mode->desc.bits);
        }
        if (!offered) return D3DERR_BAD_DISPLAY_MODE;
        display_bits = mode->desc.bits;
    }
    if (!device) return D3D_OK;
    if (display_bits < 9) return D3DERR_NEED_16BIT_DESKTOP;
    fw->device = p->create_device(fw->driver_index, fw->device_index, fw->window, fw->full_screen != 0);
    if (!fw->device) return D3DERR_NO_3D_DEVICE;
    return D3D_OK;
}

uint32_t d3d_release_objects()
{
    if (!g_framework) return D3D_OK;
    if (g_framework->device) provider()->release_device(g_framework->device);
    g_framework->device = nullptr;
    return D3D_OK;
}

uint32_t d3d_framework_init(HostWindow* window, const d3d_driver* driver, const d3d_device* device,
                            const d3d_mode* mode, uint32_t flags)
{
    if (!window || ((flags & BUILD_FULL_SCREEN) && !mode)) return D3DERR_INVALID_ARGUMENT;
    g_framework->window = window;
    g_framework->full_screen = flags & BUILD_FULL_SCREEN;
    uint32_t code = d3d_create_objects(driver, device, mode, flags);
    if (code != D3D_OK) {
        d3d_release_objects();
        if (code == D3DERR_FAIL) code = D3DERR_GENERIC_INIT;
    }
    return code;
}

uint32_t d3d_set_default_states(HostRenderDevice* device)
{
    if (!device) return D3DERR_INVALID_ARGUMENT;
    device->set_texture_stage_state(0, HOST_TSS_MINFILTER, HOST_FILTER_LINEAR);
    device->set_texture_stage_state(0, HOST_TSS_MAGFILTER, HOST_FILTER_LINEAR);
    device->set_render_state(HOST_RS_DITHERENABLE, 1);
    device->set_render_state(HOST_RS_TEXTUREPERSPECTIVE, 1);
    device->set_render_state(HOST_RS_SPECULARENABLE, 0);
    return D3D_OK;
}

uint32_t d3d_restore_device(HostRenderDevice* device, HostWindow* target)
{
    if (!device || !target) return D3DERR_INVALID_ARGUMENT;
    tex_restore_all(device);
    return d3d_set_default_states(device);
}

uint32_t d3d_invalidate()
{
    tex_invalidate_all();
    return D3D_OK;
}

uint32_t d3d_build_for_selection(HostWindow* window)
{
    for (;;) {
        d3d_driver* driver = nullptr;
        d3d_device* device = nullptr;
        uint32_t code = get_selected(&driver, &device);
        if (code != D3D_OK || !device) return code != D3D_OK ? code : D3DERR_NO_MATCH;
        uint32_t flags = BUILD_BACK_BUFFER | BUILD_ZBUFFER | (d3d_windowed ? 0 : BUILD_FULL_SCREEN);
        code = d3d_framework_init(window, driver, device, device->current_mode, flags);
        if (code == D3D_OK) {
            if (g_framework->device) {
                tex_restore_all(g_framework->device);
                d3d_set_default_states(g_framework->device);
                return D3D_OK;
            }
            d3d_release_objects();
            code = D3DERR_INVALID_ARGUMENT;
        }
        if (!device->hardware) return code;
        d3d_error_box(code, 2);
        if (select_d3d_device(SELECT_NO_HARDWARE, nullptr) != D3D_OK) return code;
    }
}

uint32_t d3d_create_framework(HostWindow* window)
{
    g_framework = new (std::nothrow) d3d_framework{};
    if (!g_framework) return D3DERR_OUT_OF_MEMORY;
    return d3d_build_for_selection(window);
}

void d3d_destroy_framework()
{
    if (g_framework) {
        tex_invalidate_all();
        d3d_release_objects();
        delete g_framework;
        g_framework = nullptr;
    }
    display_ready = 0;
    display_active = 0;
}

uint32_t d3d_pause(uint32_t pausing)
{
    if (pausing) {
        if (++g_pause_count == 1 && g_framework) d3d_flip_to_gdi();
    } else {
        --g_pause_count;
    }
    display_active = g_pause_count == 0 ? 1 : 0;
    return display_active;
}

void d3d_copy_to_device(gl_device* context)
{
    if (!context || !g_framework) return;
    context->device = g_framework->device;
    context->width = g_framework->width;
    context->height = g_framework->height;
    context->full_screen = d3d_windowed ? 0 : 1;
    display_active = 1;
}

void d3d_release_device_objects(gl_device* context, uint32_t all)
{
    if (!context) return;
    context->device = nullptr;
    if (all) d3d_destroy_framework();
}

uint32_t d3d_init_from_config(gl_device* context)
{
    d3d_windowed = context->full_screen ? 0 : 1;
    uint32_t code = enum_ddraw_drivers([](const HostDriverDesc*, const HostRenderCaps*) { return 0; });
    if (code != D3D_OK) {
        d3d_error_box(code, 1);
        return 0;
    }

    devconfig_record record{};
    if (!config_readable()) {
        std::FILE* f = std::fopen(config_path().c_str(), "wb");
        if (!f || std::fclose(f) != 0) d3d_error_box(D3DERR_NO_CONFIG_FILE, 0);
    } else {
        devconfig_read(config_path().c_str(), &record);
    }
    if (record.valid) {
        d3d_windowed = record.windowed;
        context->full_screen = d3d_windowed ? 0 : 1;
        select_d3d_device(SELECT_SAVED, &record);
    }

    d3d_driver* driver = nullptr;
    d3d_device* device = nullptr;
    if (d3d_windowed) {
        get_selected(&driver, &device);
        if (!device || !device->windowed) {
            d3d_destroy_framework();
            d3d_error_box(D3DERR_NEED_16BIT_DESKTOP, 1);
            return 0;
        }
    } else {
        if (!record.valid) select_d3d_device(SELECT_SECONDARY, nullptr);
        get_selected(&driver, &device);
    }

    code = d3d_create_framework(context->window);
    if (code != D3D_OK) {
        d3d_destroy_framework();
        d3d_error_box(code, 1);
        return 0;
    }
    d3d_copy_to_device(context);

    if (config_readable() && !d3d_windowed) save_choice();

    get_selected(&driver, &device);
    if (device && device->hardware && (device->description.tri_texture_caps & HOST_TEXCAPS_PERSPECTIVE)) {
        context->hw_flag = 1;
    } else {
        context->hw_flag = 0;
        host_message_box("KOB 99",
                         "Your system doesn't appear to have hardware 3D acceleration.\n\nWe suggest that you exit "
                         "this application which is designed for\n3D accelerated PCs and launch the software version.",
                         HOST_MB_OK, false);
    }
    return 1;
}

uint32_t d3d_save_config(gl_device* context)
{
    d3d_pause(1);
    HostWindow* window = context ? context->window : nullptr;
    if (d3d_driver_dialog(window, d3d_windowed) == 1) {
        d3d_device* device = nullptr;
        get_selected(nullptr, &device);
        d3d_windowed = device ? device->windowed : d3d_windowed;
        glw_set_window_style(window, d3d_windowed == 0);
        if (d3d_rebuild(window) == D3D_OK && config_readable() && !d3d_windowed) save_choice();
    }
    d3d_pause(0);
    d3d_copy_to_device(context);
    if (context && !g_framework) context->device = nullptr;
    return 1;
}

uint32_t d3d_rebuild(HostWindow* window)
{
    tex_invalidate_all();
    // Nobody draws on the objects about to be released.
    if (gl_current_device && gl_current_device->window == window) gl_current_device->device = nullptr;
    uint32_t code = d3d_release_objects();
    if (code == D3D_OK) {
        if (!g_framework) return D3DERR_NO_FRONT_SURFACE;
        code = d3d_build_for_selection(window);
    }
    if (code != D3D_OK) {
        d3d_error_box(code, 1);
        glw_window_proc(window, GLW_WM_DESTROY, 0, 0);
        return code;
    }
    // Every user of the device sees the new one.
    if (gl_current_device && gl_current_device->window == window) d3d_copy_to_device(gl_current_device);
    return D3D_OK;
}

uint32_t d3d_rebuild_current()
{
    if (!gl_current_device) return D3D_OK;
    return d3d_rebuild(gl_current_device->window);
}

uint32_t d3d_show_frame()
{
    if (!g_framework || !g_framework->device) return D3DERR_NO_FRONT_SURFACE;
    return g_framework->device->present() ? D3D_OK : D3DERR_NO_FRONT_SURFACE;
}

uint32_t d3d_flip_to_gdi() { return D3D_OK; }

// The picture lives in the device's own memory and is never lost.
uint32_t d3d_restore_surfaces() { return D3D_OK; }

void d3d_move(int32_t, int32_t) {}
