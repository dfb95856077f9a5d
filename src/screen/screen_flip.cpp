#include "screen/screen_flip.h"
#include "screen/screen_services.h"
#include "host/picture.h"

#include "host/events.h"
#include "host/process.h"
#include "host/window.h"
#include "gl3d/display_device.h"
#include "gl3d/gl.h"
#include "platform/app_state.h"
#include "platform/command_line.h"
#include "platform/fatal_error.h"
#include "platform/input.h"
#include "platform/memory.h"
#include "platform/mouse.h"
#include "screen/screen.h"

#include <cstring>

Surface* flip_surface = nullptr;
Surface* window_surface = nullptr;
Surface* back_surface = nullptr;
uint32_t ddraw_palette[256];
uint32_t display_palette_made = 0;
int32_t back_buffer_index = 1;
int32_t paint_offset_x = 0, paint_offset_y = 0;
uint32_t window_recreating = 0;
uint32_t repaint_requested = 0;

namespace {

// The three switches start-up turns off, and which of them were on.
struct SaverSwitch {
    bool (*enabled)();
    void (*set)(bool);
};
const SaverSwitch k_saver_switches[3] = {
    {host_screen_saver_enabled, host_set_screen_saver},
    {host_monitor_standby_enabled, host_set_monitor_standby},
    {host_monitor_switch_off_enabled, host_set_monitor_switch_off},
};
bool g_switch_was_on[3] = {};

// The nearest palette entry of an 8-bit surface to a colour.
uint8_t nearest_index(const Surface* s, uint32_t colour)
{
    int best = 0;
    long best_distance = -1;
    for (int i = 0; i < 256; ++i) {
        long d = 0;
        for (int shift : {16, 8, 0}) {
            long delta = long(s->palette[i] >> shift & 255) - long(colour >> shift & 255);
            d += delta * delta;
        }
        if (best_distance < 0 || d < best_distance) best = i, best_distance = d;
    }
    return static_cast<uint8_t>(best);
}

// A rectangle as the desktop draws one: a black outline, filled white; the
// right and bottom edges are outside it.
void draw_rectangle(Surface* s, const SurfaceRect& r)
{
    const uint8_t outline = nearest_index(s, 0x000000), fill = nearest_index(s, 0xFFFFFF);
    uint8_t* p = lock_surface(s, nullptr, nullptr);
    for (int32_t y = r.top; y < r.bottom && y < s->height; ++y)
        for (int32_t x = r.left; x < r.right && x < s->width; ++x) {
            bool edge = y == r.top || y == r.bottom - 1 || x == r.left || x == r.right - 1;
            p[y * s->pitch + x] = edge ? outline : fill;
        }
    unlock_surface(s, p);
}

int32_t (*g_window_filter)(HostWindow*, uint32_t, uint32_t, uint32_t) = nullptr;

// Both surfaces of a flipping pair hold the same kind of picture.
Surface* make_screen_surface(uint32_t caps)
{
    Surface* s = surface_new(PICTURE_WIDTH, PICTURE_HEIGHT, 8, 0, 0, 0, caps);
    if (!s) fatal_error_sub(FATAL_CREATE_SURFACE, 0, "create_ddraw_surfaces", 0);
    return s;
}

void release(Surface*& s)
{
    surface_delete(s);
    s = nullptr;
}

} // namespace

void restore_display()
{
    if (use_3d_hardware) {
        gl_release_device();
        restore_all_textures();
    } else if (flip_surface && flip_surface->lost) {
        flip_surface->lost = false;
        screen_needs_redraw = 1;
    }
}

void set_software_window_filter(int32_t (*filter)(HostWindow* window, uint32_t message, uint32_t wparam,
                                                  uint32_t lparam))
{
    g_window_filter = filter;
}

int32_t flip_screen()
{
    if (use_3d_hardware) return present_and_clear();
    if (!flip_surface || !back_surface || flip_surface->lock_count || back_surface->lock_count)
        fatal_error_sub(FATAL_FLIP, 0, "flip_screen", 0);
    std::swap(flip_surface->pixels, back_surface->pixels);
    back_buffer_index ^= 3;
    // A window shows the new picture through its paint.
    if (!exclusive_mode && main_window) main_window_proc(main_window, MAIN_WM_PAINT, 0, 0);
    pump_messages();
    return 1;
}

void blit(Surface* source, Surface* destination, const SurfaceRect* source_rect, const SurfaceRect* dest_rect)
{
    if (!source || !destination || source->bits != destination->bits)
        fatal_error_sub(FATAL_BLIT, 0, "blit", 0);
    SurfaceRect s = source_rect ? *source_rect : SurfaceRect{0, 0, source->width, source->height};
    SurfaceRect d = dest_rect ? *dest_rect : SurfaceRect{0, 0, destination->width, destination->height};
    int32_t sw = s.right - s.left, sh = s.bottom - s.top, dw = d.right - d.left, dh = d.bottom - d.top;
    bool inside = s.left >= 0 && s.top >= 0 && s.right <= source->width && s.bottom <= source->height &&
                  d.left >= 0 && d.top >= 0 && d.right <= destination->width && d.bottom <= destination->height;
    if (!inside || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) fatal_error_sub(FATAL_BLIT, 0, "blit", 0);
    int32_t bytes = static_cast<int32_t>(source->bits / 8);
    // Stretches by nearest pixel when the rectangles differ in size.
    for (int32_t y = 0; y < dh; ++y) {
        int32_t sy = s.top + y * sh / dh;
        const uint8_t* src = source->pixels.data() + sy * source->pitch;
        uint8_t* dst = destination->pixels.data() + (d.top + y) * destination->pitch + d.left * bytes;
        if (sw == dw) {
            std::memmove(dst, src + s.left * bytes, static_cast<size_t>(dw * bytes));
            continue;
        }
        for (int32_t x = 0; x < dw; ++x)
            std::memcpy(dst + x * bytes, src + (s.left + x * sw / dw) * bytes, static_cast<size_t>(bytes));
    }
}

uint8_t* lock_surface(Surface* surface, int32_t* pitch, void*)
{
    if (!surface || surface->lock_count || surface->lost) fatal_error_sub(FATAL_LOCK_SURFACE, 0, "lock_surface", 0);
    surface->lock_count = 1;
    if (pitch) *pitch = surface->pitch;
    return surface->pixels.data();
}

void unlock_surface(Surface* surface, void*)
{
    if (!surface || !surface->lock_count) fatal_error_sub(FATAL_UNLOCK_SURFACE, 0, "unlock_surface", 0);
    surface->lock_count = 0;
}

void copy_to_surface(const uint8_t* image, Surface* surface, int32_t width, int32_t height)
{
    if (!surface || surface->lock_count) fatal_error_sub(FATAL_LOCK_SURFACE, 0, "copy_to_surface", 0);
    surface->lock_count = 1;
    if (surface->height != height || surface->width != width) fatal_error(FATAL_SURFACE_SIZE);
    uint8_t* pixels = surface->pixels.data();
    if (surface->pitch == width) {
        std::memcpy(pixels, image, static_cast<size_t>(width) * static_cast<size_t>(height));
    } else {
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(pixels + y * surface->pitch, image + y * width, static_cast<size_t>(width));
    }
    surface->lock_count = 0;
}

void copy_to_vram(Surface* source, Surface* destination)
{
    // A 320-wide screen gets a marker rectangle drawn on the destination instead.
    if (screen.width == 320) {
        if (!destination || destination->width < 200 || destination->height < 150)
            fatal_error_sub(FATAL_UNLISTED, 0, "copy_to_vram", 0);
        draw_rectangle(destination, SurfaceRect{50, 50, 200, 150});
        return;
    }
    SurfaceRect whole{0, 0, PICTURE_WIDTH, PICTURE_HEIGHT};
    if (source && destination && (source->lost || destination->lost)) source->lost = destination->lost = false;
    if (!source || !destination || source->width < PICTURE_WIDTH || destination->width < PICTURE_WIDTH ||
        source->height < PICTURE_HEIGHT || destination->height < PICTURE_HEIGHT)
        fatal_error_sub(FATAL_BLIT, 0, "copy_to_vram", 0);
    blit(source, destination, &whole, &whole);
}

void copy_rect_translated(Surface* source, Surface* destination, const uint8_t translation[256])
{
    uint8_t* src = lock_surface(source, nullptr, nullptr);
    uint8_t* dst = lock_surface(destination, nullptr, nullptr);
    int32_t w = std::min(source->width, destination->width);
    int32_t h = std::min(source->height, destination->height);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            dst[y * destination->pitch + x] = translation[src[y * source->pitch + x]];
    unlock_surface(source, src);
    unlock_surface(destination, dst);
}

void set_ddpal()
{
    for (int i = 0; i < 256; ++i)
        ddraw_palette[i] = (uint32_t(display_palette[i].red) << 16) | (uint32_t(display_palette[i].green) << 8) |
                           display_palette[i].blue;
    for (Surface* s : {flip_surface, back_surface})
        if (s) std::memcpy(s->palette, ddraw_palette, sizeof ddraw_palette);
}

void wait_vertical_blank_end() {}

void disable_screen_saver()
{
    for (int i = 0; i < 3; ++i) {
        g_switch_was_on[i] = k_saver_switches[i].enabled();
        if (g_switch_was_on[i]) k_saver_switches[i].set(false);
    }
}

void restore_screen_saver()
{
    for (int i = 0; i < 3; ++i)
        if (g_switch_was_on[i]) k_saver_switches[i].set(true);
}

void quit_program() { host_exit(1); }

int32_t start_display(HostWindow* window, int32_t, int32_t, int32_t, int32_t)
{
    set_main_window(window);
    set_restore_hook(restore_display);
    set_point_mappings(screen_to_game_point, game_to_screen_point);
    if (!exclusive_mode) page_flipping = 0;
    return create_ddraw_surfaces();
}

int32_t create_ddraw_surfaces()
{
    release(flip_surface);
    release(window_surface);
    release(back_surface);
    std::memset(ddraw_palette, 0, sizeof ddraw_palette);
    if (page_flipping) {
        flip_surface = make_screen_surface(SURFACE_PRIMARY | SURFACE_FLIPPABLE);
    } else {
        window_surface = make_screen_surface(SURFACE_PRIMARY);
        flip_surface = make_screen_surface(SURFACE_OFFSCREEN | SURFACE_FLIPPABLE | SURFACE_SYSTEM_MEMORY);
    }
    back_surface = make_screen_surface(SURFACE_OFFSCREEN | SURFACE_SYSTEM_MEMORY);
    check_back_buffer_pitch();
    return 1;
}

void check_back_buffer_pitch()
{
    if (!back_surface) return;
    int32_t pitch = 0;
    uint8_t* p = lock_surface(back_surface, &pitch, nullptr);
    unlock_surface(back_surface, p);
    if (pitch != screen_pitch()) set_screen_pitch(pitch);
}

void clear_screen_buffer()
{
    Surface* clear = surface_new(PICTURE_WIDTH, PICTURE_HEIGHT, 8, 0, 0, 0, SURFACE_OFFSCREEN | SURFACE_SYSTEM_MEMORY);
    if (!clear) fatal_error(FATAL_CREATE_SURFACE);
    uint32_t size = uint32_t(PICTURE_WIDTH) * PICTURE_HEIGHT;
    uint8_t* zeros = static_cast<uint8_t*>(alloc_mem(size, "clear screen buffer"));
    std::memset(zeros, 0, size);
    copy_to_surface(zeros, clear, PICTURE_WIDTH, PICTURE_HEIGHT);
    free_mem(zeros);
    if (back_surface) {
        blit(clear, back_surface, nullptr, nullptr);
        flip_screen();
        blit(clear, back_surface, nullptr, nullptr);
    }
    surface_delete(clear);
}

void create_display_palette(int32_t)
{
    set_ddpal();
    display_palette_made = 1;
}

void release_display_palette() { display_palette_made = 0; }

int32_t release_ddraw()
{
    std::memset(ddraw_palette, 0, sizeof ddraw_palette);
    release(back_surface);
    release(flip_surface);
    release(window_surface);
    display_palette_made = 0;
    return 1;
}

int32_t create_main_window(HostWindow** out, void*)
{
    if (host_window()) return 0; // the program's window is already up
    *out = host_create_window(app_record.title, exclusive_mode != 0);
    if (!*out) return 0;
    set_main_window(*out);
    main_window_proc(*out, MAIN_WM_CREATE, 0, 0);
    return 1;
}

void paint_main_window()
{
    if (exclusive_mode || !flip_surface || !window_surface) return;
    // The whole client area: the host names no smaller part to paint.
    SurfaceRect to{0, 0, std::min(window_surface->width, flip_surface->width - paint_offset_x),
                   std::min(window_surface->height, flip_surface->height - paint_offset_y)};
    if (paint_offset_x < 0 || paint_offset_y < 0 || to.right <= 0 || to.bottom <= 0) return;
    SurfaceRect from{paint_offset_x, paint_offset_y, paint_offset_x + to.right, paint_offset_y + to.bottom};
    blit(flip_surface, window_surface, &from, &to);
}

int32_t main_window_proc(HostWindow* window, uint32_t message, uint32_t wparam, uint32_t lparam)
{
    HostMessage m{message, wparam, lparam};
    if (window != main_window) return host_default_message(m);
    if (mouse_message_hook(window, message, wparam, lparam) == 0) return 0;
    if (g_window_filter && g_window_filter(window, message, wparam, lparam) == 0) return 0;
    switch (message) {
    case MAIN_WM_CREATE:
        std::memset(key_state, 0, 128);
        return 0;
    case MAIN_WM_DESTROY:
        if (window_recreating) {
            window_recreating = 0;
            return 0;
        }
        host_post_message(HostMessage{HOST_WM_QUIT, 0, 0});
        return 0;
    case MAIN_WM_PAINT:
        paint_main_window();
        return 0;
    case HOST_WM_ACTIVATE:
        if (!window_recreating) {
            bool activating = (wparam & 0xFFFF) != 0;
            bool in_front = host_window_has_focus(window);
            bool minimised = (wparam >> 16) != 0 || host_window_minimised();
            app_active = activating && !(exclusive_mode && !in_front) && !minimised ? 1 : 0;
            if (activating) app_suspended = 0;
        }
        return host_default_message(m);
    case HOST_WM_SYSKEYDOWN:
    case HOST_WM_SYSKEYUP: {
        uint8_t scan = static_cast<uint8_t>(lparam >> 16);
        if (scan == 0x44 || scan == 0x38) key_state[scan] = message == HOST_WM_SYSKEYDOWN ? 128 : 0;
        return host_default_message(m);
    }
    case HOST_WM_SYSCOMMAND:
        if (wparam == HOST_SC_KEYMENU) return 0;
        if (wparam == HOST_SC_MINIMIZE || wparam == HOST_SC_TASKLIST || wparam == HOST_SC_SCREENSAVE ||
            wparam == HOST_SC_MONITORPOWER) {
            app_suspended = 1;
            return 0;
        }
        return host_default_message(m);
    default: return host_default_message(m);
    }
}

void request_window_repaint()
{
    repaint_requested = 1;
    screen_needs_redraw = 1;
}

HostWindow* note_foreground_window(HostWindow* window)
{
    bool in_front = window && host_window_has_focus(window);
    if (in_front) repaint_requested = 0;
    return in_front ? window : nullptr;
}

int32_t ddraw_init_failed(HostWindow*)
{
    host_message_box(app_record.title, "DirectDraw Init FAILED", HOST_MB_OK, false);
    if (main_window) main_window_proc(main_window, MAIN_WM_DESTROY, 0, 0);
    host_destroy_window();
    return 0;
}
