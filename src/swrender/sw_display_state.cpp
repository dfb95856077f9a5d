// The software display's record and the choice of its driver and mode.
#include "swrender/sw_display_state.h"

#include "platform/command_line.h"
#include "screen/screen.h"
#include "swrender/sw_device.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

DisplayState display_state;
sw_texture_format_record current_texture_format;
int32_t primary_surface_palettised = 0;
int32_t palette_attached = 0;
int32_t sw_viewport = 0;
uint8_t sw_palette_flags[256];

namespace {

constexpr uint8_t PAL_READONLY = 0x40, PAL_RESERVED = 0x80, PC_RESERVED = 0x01;

// The stand-in display: 640 x 480 at 8, 16 and 32 bits, one software
// driver of the mono model, one 8-bit palettised texture format.
void own_modes(SwModeCallback cb, void* context)
{
    for (int32_t bits : {8, 16, 32})
        if (!cb(640, 480, bits, context)) return;
}

void own_drivers(SwDriverCallback cb, void* context)
{
    static const uint8_t guid[16] = {0x4B, 0x4F, 0x42, 0x39, 0x39, 0x52, 0x41, 0x4D, 0x50};
    sw_device_desc none{};
    sw_device_desc emulation{SW_COLOR_MODEL_MONO, 0, DDBD_8 | DDBD_16 | DDBD_32, DDBD_16};
    cb(guid, "Ramp emulation", "Ramp Emulation", none, emulation, context);
}

void own_texture_formats(SwTextureFormatCallback cb, void* context)
{
    cb(sw_pixel_format{SW_PF_PALETTEINDEXED8 | SW_PF_RGB, 8, 0, 0, 0, 0}, context);
}

int32_t own_create_device(int32_t kind, Surface* target) { return kind == 0 ? sw_device_create(target, kind) : 0; }

void own_client_area(void*, int32_t* x, int32_t* y, int32_t* w, int32_t* h)
{
    *x = 0;
    *y = 0;
    *w = int32_t(PICTURE_WIDTH);
    *h = int32_t(PICTURE_HEIGHT);
}

const SwDisplayServices k_own_services{own_modes, own_drivers, own_texture_formats, own_create_device, own_client_area};
const SwDisplayServices* g_services = &k_own_services;

bool meets(uint32_t depths, uint32_t mask) { return (depths & mask) != 0; }

int32_t count_bits(uint32_t mask)
{
    if (mask == 0) return -1;
    while (!(mask & 1)) mask >>= 1;
    int32_t n = 0;
    while (mask & 1) {
        ++n;
        mask >>= 1;
    }
    return n;
}

int32_t game_width() { return screen.width ? int32_t(screen.width) : int32_t(PICTURE_WIDTH); }
int32_t game_height() { return screen.height ? int32_t(screen.height) : int32_t(PICTURE_HEIGHT); }

int32_t texture_format_callback(const sw_pixel_format& f, void*)
{
    DisplayState& s = display_state;
    if (s.texture_format_count >= SW_MAX_TEXTURE_FORMATS) return 0;
    sw_texture_format_record r{};
    r.format = f;
    if (f.flags & SW_PF_PALETTEINDEXED8) {
        r.palettised = 1;
        r.index_bits = 8;
    } else if (f.flags & SW_PF_PALETTEINDEXED4) {
        r.palettised = 1;
        r.index_bits = 4;
    } else if (f.flags & SW_PF_ALPHAPIXELS) {
        return 1;
    } else {
        r.red_bits = count_bits(f.red_mask);
        r.green_bits = count_bits(f.green_mask);
        r.blue_bits = count_bits(f.blue_mask);
        if (r.red_bits < 0 || r.green_bits < 0 || r.blue_bits < 0) return 1; // an empty mask
    }
    if (s.chosen_texture_format == -1 || r.palettised) s.chosen_texture_format = s.texture_format_count;
    s.texture_formats[s.texture_format_count++] = r;
    return 1;
}

int32_t mode_callback(int32_t width, int32_t height, int32_t bits, void*)
{
    DisplayState& s = display_state;
    if (width > SW_MODE_MAX_WIDTH || height > SW_MODE_MAX_HEIGHT) return 1;
    if (s.mode_count >= SW_MAX_MODES) return 0;
    s.modes[s.mode_count++] = sw_mode_record{width, height, bits, 0};
    return s.mode_count < SW_MAX_MODES;
}

int32_t driver_callback(const uint8_t guid[16], const char* description, const char* name,
                        const sw_device_desc& hardware, const sw_device_desc& emulation, void*)
{
    DisplayState& s = display_state;
    if (hardware.colour_model != 0 && s.skip_hardware_drivers) return 1;
    if (s.driver_count >= SW_MAX_DRIVERS) return 0;
    sw_driver_record& d = s.drivers[s.driver_count];
    d = sw_driver_record{};
    std::memcpy(d.guid, guid, 16);
    std::snprintf(d.description, sizeof d.description, "%s", description);
    std::snprintf(d.name, sizeof d.name, "%s", name);
    d.is_hardware = hardware.colour_model != 0;
    d.desc = d.is_hardware ? hardware : emulation;
    d.perspective = (d.desc.tri_texture_caps & SW_PTEXTURECAPS_PERSPECTIVE) != 0;
    d.can_depth_buffer = d.desc.zbuffer_bit_depths != 0;
    d.desktop_depth = 0; // windowed rendering is never allowed
    ++s.driver_count;
    return s.driver_count < SW_MAX_DRIVERS;
}

} // namespace

void set_sw_display_services(const SwDisplayServices* services) { g_services = services ? services : &k_own_services; }

void reset_display_state(void* window, int32_t size_a, int32_t size_b)
{
    std::memset(&display_state, 0, sizeof display_state);
    display_state.window = window;
    display_state.size_words[0] = size_a;
    display_state.size_words[1] = size_b;
    current_texture_format = sw_texture_format_record{};
    primary_surface_palettised = 0;
    palette_attached = 0;
    sw_viewport = 0;
    sw_palette_flags[0] = 0;
    sw_device_reset();
}

uint32_t depth_flag_of(int32_t bits)
{
    switch (bits) {
    case 1: return DDBD_1;
    case 2: return DDBD_2;
    case 4: return DDBD_4;
    case 8: return DDBD_8;
    case 16: return DDBD_16;
    case 24: return DDBD_24;
    case 32: return DDBD_32;
    default: return uint32_t(SW_NONE_FOUND); // meets every driver's depths
    }
}

int32_t enum_display_modes()
{
    DisplayState& s = display_state;
    s.mode_count = 0;
    g_services->enum_modes(mode_callback, nullptr);
    std::stable_sort(s.modes, s.modes + s.mode_count, [](const sw_mode_record& a, const sw_mode_record& b) {
        if (a.bits != b.bits) return a.bits > b.bits;
        if (a.width != b.width) return a.width > b.width;
        return a.height > b.height;
    });
    s.chosen_mode = 0;
    for (int32_t i = 0; i < s.mode_count; ++i)
        if (s.modes[i].width == game_width() && s.modes[i].height == game_height() && s.modes[i].bits == 8)
            s.chosen_mode = i;
    s.current_mode = s.modes[s.chosen_mode];
    return 1;
}

int32_t choose_best_driver(uint32_t mask)
{
    const DisplayState& s = display_state;
    int32_t best = SW_NONE_FOUND;
    for (int32_t i = 0; i < s.driver_count; ++i) {
        const sw_driver_record& d = s.drivers[i];
        if (!meets(d.desc.render_bit_depths, mask)) continue;
        if (best == SW_NONE_FOUND) {
            best = i;
            continue;
        }
        const sw_driver_record& b = s.drivers[best];
        if (d.is_hardware && !b.is_hardware)
            best = i;
        else if (d.is_hardware == b.is_hardware && (d.desc.colour_model & SW_COLOR_MODEL_MONO) &&
                 !(b.desc.colour_model & SW_COLOR_MODEL_MONO))
            best = i;
    }
    return best;
}

int32_t choose_mode_for_driver(int32_t driver)
{
    const DisplayState& s = display_state;
    if (driver < 0 || driver >= s.driver_count) return SW_NONE_FOUND;
    uint32_t mask = s.drivers[driver].desc.render_bit_depths;
    int32_t first = SW_NONE_FOUND;
    for (int32_t i = 0; i < s.mode_count; ++i) {
        if (!meets(depth_flag_of(s.modes[i].bits), mask)) continue;
        if (first == SW_NONE_FOUND) first = i;
        if (s.modes[i].width == game_width() && s.modes[i].height == game_height() && s.modes[i].bits == 8) return i;
    }
    return first;
}

int32_t choose_driver_and_mode(int32_t* driver, int32_t* mode)
{
    const DisplayState& s = display_state;
    for (int32_t round = 0; round < 4; ++round) {
        if (*driver == SW_CHOOSE) {
            if (*mode >= 0 && *mode < s.mode_count) {
                *driver = choose_best_driver(depth_flag_of(s.modes[*mode].bits));
                return *driver != SW_NONE_FOUND;
            }
            if (*mode == SW_WINDOWED) {
                *driver = choose_best_driver(depth_flag_of(s.desktop_depth));
                return *driver != SW_NONE_FOUND;
            }
            uint32_t all = 0;
            for (int32_t i = 0; i < s.mode_count; ++i) all |= depth_flag_of(s.modes[i].bits);
            *driver = choose_best_driver(all);
        }
        if (*driver < 0 || *driver >= s.driver_count) {
            *driver = SW_NONE_FOUND;
            return 0;
        }
        const sw_driver_record& d = s.drivers[*driver];
        if (*mode == SW_CHOOSE) {
            *mode = choose_mode_for_driver(*driver);
            return *mode != SW_NONE_FOUND;
        }
        if (*mode == SW_WINDOWED) {
            if (d.desktop_depth) return 1;
        } else if (*mode >= 0 && *mode < s.mode_count) {
            if (meets(d.desc.render_bit_depths, depth_flag_of(s.modes[*mode].bits))) return 1;
        }
        *mode = SW_CHOOSE;
    }
    return 0;
}

void refresh_client_area()
{
    DisplayState& s = display_state;
    s.client_x = 0;
    s.client_y = 0;
    if (!exclusive_mode) {
        g_services->client_area(s.window, &s.client_x, &s.client_y, &s.client_width, &s.client_height);
    } else {
        s.client_width = s.current_mode.width;
        s.client_height = s.current_mode.height;
    }
}

int32_t enum_d3d_drivers(int32_t* driver, int32_t* mode)
{
    DisplayState& s = display_state;
    s.driver_count = 0;
    g_services->enum_drivers(driver_callback, nullptr);
    // Nothing qualifies: the caller stops the start-up rather than index -100.
    if (!choose_driver_and_mode(driver, mode)) return 0;
    if (*mode >= 0) {
        s.chosen_mode = *mode;
        s.current_mode = s.modes[*mode];
    }
    refresh_client_area();
    return 1;
}

int32_t attach_display_palette(Surface* surface)
{
    primary_surface_palettised = surface && surface->bits == 8;
    if (!primary_surface_palettised) return 1;
    for (int32_t i = 0; i < 256; ++i) {
        if (i < 10 || i >= 246)
            sw_palette_flags[i] = PAL_READONLY;
        else
            sw_palette_flags[i] = exclusive_mode ? uint8_t(PAL_READONLY | PC_RESERVED) : PAL_RESERVED;
    }
    palette_attached = 1;
    return 1;
}

int32_t enum_texture_formats_again()
{
    DisplayState& s = display_state;
    s.texture_format_count = 0;
    s.chosen_texture_format = -1;
    g_services->enum_texture_formats(texture_format_callback, nullptr);
    current_texture_format =
        s.chosen_texture_format >= 0 ? s.texture_formats[s.chosen_texture_format] : sw_texture_format_record{};
    return 1;
}

int32_t mark_renderable_modes(int32_t driver_index)
{
    DisplayState& s = display_state;
    if (driver_index < 0 || driver_index >= s.driver_count) return 1;
    uint32_t depths = s.drivers[driver_index].desc.render_bit_depths;
    for (int32_t i = 0; i < s.mode_count; ++i) s.modes[i].renderable = meets(depths, depth_flag_of(s.modes[i].bits));
    if (s.mode_count > 0) s.current_mode.renderable = s.modes[s.chosen_mode].renderable;
    return 1;
}

int32_t create_d3d_device(Surface* render_target, int32_t driver_index)
{
    DisplayState& s = display_state;
    if (driver_index < 0 || driver_index >= s.driver_count) return 0;
    s.current_driver = driver_index;
    s.current_driver_copy = s.drivers[driver_index];
    // Ramp first, then RGB, then the hardware device; the driver's own GUID is not used.
    int32_t made = 0;
    for (int32_t kind = 0; kind < 3 && !made; ++kind) made = g_services->create_device(kind, render_target);
    if (!made) return 0;
    enum_texture_formats_again();
    mark_renderable_modes(driver_index);
    return 1;
}

int32_t create_d3d_viewport(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0) return 0;
    sw_viewport = 1;
    sw_device.viewport = sw_viewport;
    return 1;
}

int32_t start_d3d_device(Surface* back_buffer)
{
    DisplayState& s = display_state;
    if (!create_d3d_device(back_buffer, s.current_driver)) return 0;
    if (!create_d3d_viewport(s.width ? s.width : back_buffer->width, s.height ? s.height : back_buffer->height)) return 0;
    s.device_ready = 1;
    return 1;
}
