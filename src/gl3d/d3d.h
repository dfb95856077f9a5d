// The device framework: driver and device enumeration, the device choice
// (saved in "devconfig.dat" in the user directory), building, rebuilding and
// releasing the host's 3D device, and the fixed error texts of the display.
#pragma once

#include "host/render_device.h"

#include <cstddef>
#include <cstdint>

struct gl_device;
struct HostWindow;

// --- Result codes ---
constexpr uint32_t D3D_OK = 0;
constexpr uint32_t D3DERR_ENUMERATION_FAILED = 0x81000001;
constexpr uint32_t D3DERR_NO_COMPATIBLE_DEVICES = 0x81000002;
constexpr uint32_t D3DERR_NO_DIRECT3D_DEVICES = 0x81000003;
constexpr uint32_t D3DERR_NO_DRIVER_LIBRARY = 0x81000004;
constexpr uint32_t D3DERR_NO_MATCH = 0x81000005;
constexpr uint32_t D3DERR_NO_HARDWARE = 0x81000006;
constexpr uint32_t D3DERR_GENERIC_INIT = 0x82000000;
constexpr uint32_t D3DERR_NO_DIRECTDRAW = 0x82000001;
constexpr uint32_t D3DERR_COOPERATIVE_LEVEL = 0x82000002;
constexpr uint32_t D3DERR_NO_DIRECT3D = 0x82000003;
constexpr uint32_t D3DERR_NO_3D_DEVICE = 0x82000004;
constexpr uint32_t D3DERR_NO_ZBUFFER = 0x82000005;
constexpr uint32_t D3DERR_NO_VIEWPORT = 0x82000006;
constexpr uint32_t D3DERR_NO_PRIMARY = 0x82000007;
constexpr uint32_t D3DERR_NO_CLIPPER = 0x82000008;
constexpr uint32_t D3DERR_BAD_DISPLAY_MODE = 0x82000009;
constexpr uint32_t D3DERR_NO_BACKBUFFER = 0x8200000A;
constexpr uint32_t D3DERR_NONZERO_REFCOUNT = 0x8200000B;
constexpr uint32_t D3DERR_NO_RENDER_TARGET = 0x8200000C;
constexpr uint32_t D3DERR_NEED_16BIT_DESKTOP = 0x8200000D;
constexpr uint32_t D3DERR_NO_FRONT_SURFACE = 0x8200000E;
constexpr uint32_t D3DERR_NO_CONFIG_FILE = 0x8200000F;
constexpr uint32_t D3DERR_OUT_OF_MEMORY = 0x8007000E;
constexpr uint32_t D3DERR_INVALID_ARGUMENT = 0x80070057;
constexpr uint32_t D3DERR_FAIL = 0x80004005;
constexpr uint32_t D3DERR_OUT_OF_VIDEO_MEMORY = 0x8876017C;

// --- Enumeration records ---

struct d3d_mode {
    HostDisplayMode desc;
    char text[40]; // "%ld x %ld x %ld"
    d3d_mode* next;
};

struct d3d_device {
    uint8_t guid[16];
    const uint8_t* guid_pointer;
    char name[40];
    HostRenderCaps description; // the hardware one for a hardware device, else the software one
    uint32_t hardware;
    uint32_t can_run_windowed;
    uint32_t windowed;
    d3d_mode* current_mode;
    d3d_mode* modes;
    d3d_device* next;
    int provider_index;
};

struct d3d_driver {
    uint8_t guid[16];
    const uint8_t* guid_pointer; // none for the primary display driver
    char description[40];
    char name[40];
    uint32_t caps2;
    d3d_device* current_device;
    d3d_device* devices;
    d3d_driver* next;
    int provider_index;
};

// Device GUIDs the choice rules know by name.
extern const uint8_t D3D_RGB_DEVICE_GUID[16];
extern const uint8_t D3D_REF_DEVICE_GUID[16];
extern const uint8_t D3D_NULL_DEVICE_GUID[16];

// The saved choice, 96 bytes on disk.
struct devconfig_record {
    char driver[40];
    char mode[48];
    uint32_t windowed;
    uint32_t valid;
};
constexpr uint32_t DEVCONFIG_SIZE = 96;

// Selection flags.
enum : uint32_t {
    SELECT_NO_HARDWARE = 1, SELECT_NO_WINDOWED = 2, SELECT_RGB = 4, SELECT_REFERENCE = 8,
    SELECT_SAVED = 16, SELECT_SECONDARY = 32,
};

using D3dConfirmDevice = int (*)(const HostDriverDesc* driver, const HostRenderCaps* device);

uint32_t enum_ddraw_drivers(D3dConfirmDevice confirm);
void free_driver_list();
uint32_t select_d3d_device(uint32_t flags, const devconfig_record* record);
uint32_t get_selected(d3d_driver** driver, d3d_device** device);
uint32_t get_selected_info(const uint8_t** driver_guid, const uint8_t** device_guid, HostDisplayMode* mode,
                           uint32_t* windowed, uint32_t* hardware);
d3d_driver* driver_list();
void refresh_windowed_ability();

// --- The driver dialog ---

// The dialog's state, as its procedure keeps it: the initial and the working
// choice, and the three lists as they are shown.
struct D3dDialogItem {
    const char* text;
    void* data; // d3d_driver*, d3d_device* or d3d_mode* (none for "Windowed mode")
};
struct D3dDialogState {
    d3d_driver* initial_driver;
    d3d_device* initial_device;
    d3d_mode* initial_mode;
    uint32_t initial_windowed;
    d3d_driver* driver;
    d3d_device* device;
    d3d_mode* mode;
    uint32_t windowed;
    D3dDialogItem lists[3][HOST_MAX_ENUM + 1]; // driver, device, mode
    int counts[3];
    int selected[3]; // -1: none
};
enum { DIALOG_OK = 1, DIALOG_CANCEL = 2, DIALOG_DRIVER_LIST = 1000, DIALOG_DEVICE_LIST = 1001, DIALOG_MODE_LIST = 1002 };

void d3d_dialog_init(D3dDialogState* state);
// A new choice in one of the lists (item index into that list).
void d3d_dialog_select(D3dDialogState* state, int list_id, int item);
// OK or Cancel: the dialog's result (1 changed, 2 not).
int d3d_dialog_end(D3dDialogState* state, int button);
void d3d_dialog_fill_lists(D3dDialogState* state);
int d3d_driver_dialog(HostWindow* window, uint32_t windowed);
// How the dialog is shown: tests install a script of their own.
using D3dDialogRunner = int (*)(D3dDialogState* state);
void d3d_set_dialog_runner(D3dDialogRunner runner);

// --- The framework ---

struct d3d_framework {
    HostWindow* window;
    uint32_t full_screen;
    uint32_t width, height;
    HostRenderDevice* device;
    HostRenderCaps description;
    uint32_t surface_memory;
    HostPixelFormat zbuffer_format;
    int driver_index;
    int device_index;
    uint32_t back_buffer;
};

constexpr uint32_t BUILD_FULL_SCREEN = 1, BUILD_BACK_BUFFER = 2, BUILD_ZBUFFER = 4, BUILD_STENCIL = 8,
                   BUILD_KEEP_FPU = 16;

extern uint32_t display_ready;
extern uint32_t display_active;
extern uint32_t d3d_windowed;

uint32_t d3d_init_from_config(gl_device* context);
uint32_t d3d_save_config(gl_device* context);
uint32_t d3d_rebuild(HostWindow* window);
uint32_t d3d_rebuild_current();
uint32_t d3d_create_framework(HostWindow* window);
void d3d_destroy_framework();
bool d3d_framework_exists();
d3d_framework* d3d_current_framework();
uint32_t d3d_pause(uint32_t pausing);
void d3d_copy_to_device(gl_device* context);
void d3d_release_device_objects(gl_device* context, uint32_t all);
uint32_t d3d_set_default_states(HostRenderDevice* device);
uint32_t d3d_restore_device(HostRenderDevice* device, HostWindow* target);
uint32_t d3d_invalidate();
uint32_t d3d_build_for_selection(HostWindow* window);
uint32_t d3d_framework_init(HostWindow* window, const d3d_driver* driver, const d3d_device* device,
                            const d3d_mode* mode, uint32_t flags);
uint32_t d3d_create_objects(const d3d_driver* driver, const d3d_device* device, const d3d_mode* mode,
                            uint32_t flags);
uint32_t d3d_release_objects();
uint32_t d3d_show_frame();
uint32_t d3d_flip_to_gdi();
uint32_t d3d_restore_surfaces();
void d3d_move(int32_t x, int32_t y);

// The message of a result code, and the box that reports it: kind 0 no
// suffix, 1 the exit suffix (error icon), 2 the software-rasterizer suffix.
const char* d3d_error_text(uint32_t code);
void d3d_error_box(uint32_t code, int kind);
// The last box shown (for tests): its code and full text; 0 and "" when none.
uint32_t d3d_last_error_code();
const char* d3d_last_error_message();
void d3d_forget_error_box();

// Copies a text into a field of size bytes, always terminated.
void d3d_copy_text(char* dest, const char* source, size_t size);

// "devconfig.dat" field by field.
bool devconfig_read(const char* path, devconfig_record* record);
bool devconfig_write(const char* path, const devconfig_record* record);
