// Drivers, devices and display modes the machine offers, the fixed rules that
// pick one of them (or the saved choice), and the driver dialog in which the
// player changes the choice.
#include "gl3d/d3d.h"

#include "host/process.h"
#include "host/window.h"


#include <cstdio>
#include <cstring>

const uint8_t D3D_RGB_DEVICE_GUID[16] = {'K', 'O', 'B', '-', 'R', 'G', 'B', '-', 'S', 'O', 'F', 'T', 0, 0, 0, 1};
const uint8_t D3D_REF_DEVICE_GUID[16] = {'K', 'O', 'B', '-', 'R', 'E', 'F', '-', 'R', 'A', 'S', 'T', 0, 0, 0, 2};
const uint8_t D3D_NULL_DEVICE_GUID[16] = {'K', 'O', 'B', '-', 'N', 'U', 'L', 'L', '-', 'D', 'E', 'V', 0, 0, 0, 3};

namespace {

d3d_driver* g_drivers = nullptr;
d3d_driver* g_selected = nullptr;
bool g_some_device = false;
bool g_reference_seen = false;

template <typename T> void append(T** head, T* item)
{
    while (*head) head = &(*head)->next;
    *head = item;
}

void free_device(d3d_device* device)
{
    for (d3d_mode* m = device->modes; m;) {
        d3d_mode* next = m->next;
        delete m;
        m = next;
    }
    delete device;
}

bool mode_has_bits(const d3d_device* device, uint32_t bits)
{
    for (const d3d_mode* m = device->modes; m; m = m->next)
        if (m->desc.bits == bits) return true;
    return false;
}

void enumerate_modes(HostDisplayProvider* provider, int driver, d3d_device* device)
{
    int count = provider->mode_count(driver);
    for (int i = 0; i < count && i < HOST_MAX_ENUM; ++i) {
        HostDisplayMode mode = provider->mode(driver, i);
        if (mode.bits == 8) continue;
        if (mode.bits == 16 && !(device->description.render_bit_depths & HOST_BITDEPTH_16)) continue;
        if (mode.bits == 32 && !(device->description.render_bit_depths & HOST_BITDEPTH_32)) continue;
        auto* m = new d3d_mode{};
        m->desc = mode;
        std::snprintf(m->text, sizeof m->text, "%ld x %ld x %ld", long(mode.width), long(mode.height), long(mode.bits));
        append(&device->modes, m);
        if (!device->current_mode || (mode.width == 640 && mode.height == 480 && mode.bits == 16))
            device->current_mode = m;
    }
}

void enumerate_devices(HostDisplayProvider* provider, d3d_driver* driver, const HostDriverDesc& desc,
                       D3dConfirmDevice confirm)
{
    int count = provider->device_count(driver->provider_index);
    for (int i = 0; i < count && i < HOST_MAX_ENUM; ++i) {
        HostDeviceDesc dev = provider->device(driver->provider_index, i);
        if (std::memcmp(dev.guid, D3D_NULL_DEVICE_GUID, 16) == 0) continue;
        g_some_device = true;
        // Seen counts even when the device is refused below.
        if (std::memcmp(dev.guid, D3D_REF_DEVICE_GUID, 16) == 0) g_reference_seen = true;
        bool hardware = dev.hardware.flags != 0;
        const HostRenderCaps& caps = hardware ? dev.hardware : dev.software;
        if (!hardware && driver->guid_pointer) continue;
        if (confirm && confirm(&desc, &caps) < 0) continue;

        auto* device = new d3d_device{};
        std::memcpy(device->guid, dev.guid, 16);
        device->guid_pointer = device->guid;
        d3d_copy_text(device->name, dev.name, sizeof device->name);
        device->description = caps;
        device->hardware = hardware ? 1 : 0;
        device->provider_index = i;
        enumerate_modes(provider, driver->provider_index, device);
        uint32_t desktop_bits = provider->desktop_mode().bits;
        if ((driver->caps2 & HOST_CAPS2_CANRENDERWINDOWED) && mode_has_bits(device, desktop_bits)) {
            device->can_run_windowed = 1;
            if (!driver->guid_pointer) device->windowed = 1;
        }
        if (!device->modes) {
            free_device(device);
            continue;
        }
        append(&driver->devices, device);
        if (device->hardware) driver->current_device = device;
        else if (!driver->current_device && (caps.colour_model & HOST_COLOURMODEL_RGB)) driver->current_device = device;
    }
}

bool is_guid(const d3d_device* device, const uint8_t* guid) { return std::memcmp(device->guid, guid, 16) == 0; }

void take(d3d_driver* driver, d3d_device* device)
{
    g_selected = driver;
    driver->current_device = device;
}

} // namespace

void d3d_copy_text(char* dest, const char* source, size_t size)
{
    size_t n = strnlen(source, size - 1);
    std::memcpy(dest, source, n);
    dest[n] = '\0';
}

void free_driver_list()
{
    for (d3d_driver* d = g_drivers; d;) {
        for (d3d_device* dev = d->devices; dev;) {
            d3d_device* next = dev->next;
            free_device(dev);
            dev = next;
        }
        d3d_driver* next = d->next;
        delete d;
        d = next;
    }
    g_drivers = nullptr;
    g_selected = nullptr;
}

uint32_t enum_ddraw_drivers(D3dConfirmDevice confirm)
{
    free_driver_list();
    g_reference_seen = false;
    g_some_device = false;
    HostDisplayProvider* provider = host_display_provider();
    if (!provider) return D3DERR_NO_DRIVER_LIBRARY;
    int count = provider->driver_count();
    for (int i = 0; i < count && i < HOST_MAX_ENUM; ++i) {
        HostDriverDesc desc = provider->driver(i);
        if (!desc.opens) continue;
        auto* driver = new d3d_driver{};
        std::memcpy(driver->guid, desc.guid, 16);
        driver->guid_pointer = desc.has_guid ? driver->guid : nullptr;
        d3d_copy_text(driver->description, desc.description, sizeof driver->description);
        d3d_copy_text(driver->name, desc.name, sizeof driver->name);
        driver->caps2 = desc.caps2;
        driver->provider_index = i;
        enumerate_devices(provider, driver, desc, confirm);
        if (!driver->devices) {
            delete driver;
            continue;
        }
        append(&g_drivers, driver);
        if (!driver->guid_pointer) g_selected = driver;
    }
    return select_d3d_device(0, nullptr);
}

uint32_t select_d3d_device(uint32_t flags, const devconfig_record* record)
{
    if (flags & (SELECT_RGB | SELECT_REFERENCE | SELECT_SAVED | SELECT_SECONDARY)) {
        if (!g_drivers) return D3DERR_NO_MATCH;
        // The record's strings are taken within their fields, whatever the file held.
        char saved_driver[40] = {}, saved_mode[48] = {};
        if (record) {
            d3d_copy_text(saved_driver, record->driver, sizeof saved_driver);
            d3d_copy_text(saved_mode, record->mode, sizeof saved_mode);
        }
        for (d3d_driver* d = g_drivers; d; d = d->next) {
            for (d3d_device* dev = d->devices; dev; dev = dev->next) {
                if (is_guid(dev, D3D_RGB_DEVICE_GUID) || is_guid(dev, D3D_REF_DEVICE_GUID)) {
                    if (((flags & SELECT_RGB) && is_guid(dev, D3D_RGB_DEVICE_GUID)) ||
                        ((flags & SELECT_REFERENCE) && is_guid(dev, D3D_REF_DEVICE_GUID))) {
                        take(d, dev);
                        return D3D_OK;
                    }
                    continue;
                }
                bool secondary = d != g_drivers;
                if ((flags & SELECT_SECONDARY) && secondary && !(flags & SELECT_SAVED)) {
                    take(d, dev);
                    return D3D_OK;
                }
                if ((flags & SELECT_SAVED) && record && std::strcmp(d->description, saved_driver) == 0) {
                    bool matched = false;
                    for (d3d_mode* m = dev->modes; m; m = m->next)
                        if (std::strcmp(m->text, saved_mode) == 0) {
                            dev->current_mode = m;
                            matched = true;
                        }
                    if (matched) {
                        take(d, dev);
                        return D3D_OK;
                    }
                }
                if ((flags & SELECT_SAVED) && (flags & SELECT_SECONDARY) && secondary) {
                    take(d, dev);
                    return D3D_OK;
                }
            }
        }
        return D3DERR_NO_MATCH;
    }

    static const struct { bool hardware, windowed; } passes[4] = {
        {true, true}, {false, true}, {true, false}, {false, false}};
    for (const auto& pass : passes) {
        if ((flags & SELECT_NO_HARDWARE) && pass.hardware) continue;
        if ((flags & SELECT_NO_WINDOWED) && pass.windowed) continue;
        for (d3d_driver* d = g_drivers; d; d = d->next) {
            if (pass.windowed && !(d->caps2 & HOST_CAPS2_CANRENDERWINDOWED)) continue;
            for (d3d_device* dev = d->devices; dev; dev = dev->next) {
                if ((dev->hardware != 0) != pass.hardware) continue;
                if (pass.windowed && !dev->can_run_windowed) continue;
                dev->windowed = pass.windowed ? 1 : 0;
                take(d, dev);
                return D3D_OK;
            }
        }
    }
    if (!g_some_device) return D3DERR_ENUMERATION_FAILED;
    return g_reference_seen ? D3DERR_NO_DIRECT3D_DEVICES : D3DERR_NO_COMPATIBLE_DEVICES;
}

uint32_t get_selected(d3d_driver** driver, d3d_device** device)
{
    if (!g_selected) return D3DERR_ENUMERATION_FAILED;
    if (driver) *driver = g_selected;
    if (device) *device = g_selected->current_device;
    return D3D_OK;
}

uint32_t get_selected_info(const uint8_t** driver_guid, const uint8_t** device_guid, HostDisplayMode* mode,
                           uint32_t* windowed, uint32_t* hardware)
{
    if (!driver_guid || !device_guid) return D3DERR_INVALID_ARGUMENT;
    if (!g_selected || !g_selected->current_device) return D3DERR_ENUMERATION_FAILED;
    const d3d_device* device = g_selected->current_device;
    *driver_guid = g_selected->guid_pointer;
    *device_guid = device->guid_pointer;
    if (mode && device->current_mode) *mode = device->current_mode->desc;
    if (windowed) *windowed = device->windowed;
    if (hardware) *hardware = device->hardware;
    return D3D_OK;
}

d3d_driver* driver_list() { return g_drivers; }

void refresh_windowed_ability()
{
    HostDisplayProvider* provider = host_display_provider();
    if (!provider) return;
    uint32_t bits = provider->desktop_mode().bits;
    for (d3d_driver* d = g_drivers; d; d = d->next)
        for (d3d_device* dev = d->devices; dev; dev = dev->next) dev->can_run_windowed = mode_has_bits(dev, bits) ? 1 : 0;
}

// --- The dialog ---

void d3d_dialog_fill_lists(D3dDialogState* s)
{
    if (!s->driver) s->driver = g_drivers;
    if (s->driver && !s->device) s->device = s->driver->devices;
    std::memset(s->counts, 0, sizeof s->counts);
    for (int& i : s->selected) i = -1;
    for (d3d_driver* d = g_drivers; d && s->counts[0] < HOST_MAX_ENUM; d = d->next) {
        if (d == s->driver) s->selected[0] = s->counts[0];
        s->lists[0][s->counts[0]++] = {d->description, d};
    }
    if (!s->driver) return;
    for (d3d_device* dev = s->driver->devices; dev && s->counts[1] < HOST_MAX_ENUM; dev = dev->next) {
        if (dev == s->device) s->selected[1] = s->counts[1];
        s->lists[1][s->counts[1]++] = {dev->name, dev};
    }
    if (!s->device) return;
    if ((s->driver->caps2 & HOST_CAPS2_CANRENDERWINDOWED) && !s->driver->guid_pointer && s->device->can_run_windowed) {
        if (s->windowed) s->selected[2] = s->counts[2];
        s->lists[2][s->counts[2]++] = {"Windowed mode", nullptr};
    }
    for (d3d_mode* m = s->device->modes; m && s->counts[2] < HOST_MAX_ENUM + 1; m = m->next) {
        if (m == s->mode && !s->windowed) s->selected[2] = s->counts[2];
        s->lists[2][s->counts[2]++] = {m->text, m};
    }
}

void d3d_dialog_init(D3dDialogState* s)
{
    std::memset(s, 0, sizeof *s);
    s->driver = s->initial_driver = g_selected;
    s->device = s->initial_device = g_selected ? g_selected->current_device : nullptr;
    s->mode = s->initial_mode = s->device ? s->device->current_mode : nullptr;
    s->windowed = s->initial_windowed = s->device ? s->device->windowed : 0;
    d3d_dialog_fill_lists(s);
}

void d3d_dialog_select(D3dDialogState* s, int list_id, int item)
{
    int list = list_id - DIALOG_DRIVER_LIST;
    if (list < 0 || list > 2 || item < 0 || item >= s->counts[list]) return;
    void* data = s->lists[list][item].data;
    if (list == 0) {
        auto* d = static_cast<d3d_driver*>(data);
        if (d != s->driver) {
            s->driver = d;
            s->device = d->current_device;
            s->mode = s->device ? s->device->current_mode : nullptr;
            s->windowed = s->device ? s->device->windowed : 0;
        }
    } else if (list == 1) {
        auto* dev = static_cast<d3d_device*>(data);
        if (dev != s->device) {
            s->device = dev;
            s->mode = dev->current_mode;
            s->windowed = dev->windowed;
        }
    } else if (data) {
        s->mode = static_cast<d3d_mode*>(data);
        s->windowed = 0;
    } else {
        s->windowed = 1;
    }
    d3d_dialog_fill_lists(s);
}

int d3d_dialog_end(D3dDialogState* s, int button)
{
    if (button != DIALOG_OK) return 2;
    if (s->driver == s->initial_driver && s->device == s->initial_device && s->mode == s->initial_mode &&
        s->windowed == s->initial_windowed)
        return 2;
    if (!s->driver || !s->device) return 2;
    g_selected = s->driver;
    s->driver->current_device = s->device;
    s->device->current_mode = s->mode;
    s->device->windowed = s->windowed;
    return 1;
}

namespace {

// Our own small dialog: the current choice as text, one button to step each
// list on, OK and Cancel. With no display the default (OK) is taken.
int run_dialog_on_screen(D3dDialogState* s)
{
    if (!host_display_visible()) return d3d_dialog_end(s, DIALOG_OK);
    for (;;) {
        char text[400];
        auto shown = [&](int list) { return s->selected[list] >= 0 ? s->lists[list][s->selected[list]].text : "-"; };
        std::snprintf(text, sizeof text, "Driver:  %s\nDevice:  %s\nMode:  %s", shown(0), shown(1), shown(2));
        const HostChoice buttons[] = {
            {DIALOG_OK, "OK"},
            {DIALOG_CANCEL, "Cancel"},
            {DIALOG_DRIVER_LIST, "Driver"},
            {DIALOG_DEVICE_LIST, "Device"},
            {DIALOG_MODE_LIST, "Mode"},
        };
        int pressed = host_choice_box("Select New Direct3D Driver", text, buttons, 5);
        if (pressed == DIALOG_OK || pressed == DIALOG_CANCEL || pressed < 0) return d3d_dialog_end(s, pressed);
        int list = pressed - DIALOG_DRIVER_LIST;
        if (s->counts[list] > 0) d3d_dialog_select(s, pressed, (s->selected[list] + 1) % s->counts[list]);
    }
}

D3dDialogRunner g_dialog_runner = run_dialog_on_screen;

} // namespace

void d3d_set_dialog_runner(D3dDialogRunner runner) { g_dialog_runner = runner ? runner : run_dialog_on_screen; }

int d3d_driver_dialog(HostWindow*, uint32_t windowed)
{
    if (!g_selected) return -1;
    refresh_windowed_ability();
    if (g_selected->current_device) g_selected->current_device->windowed = windowed;
    D3dDialogState state;
    d3d_dialog_init(&state);
    return g_dialog_runner(&state);
}
