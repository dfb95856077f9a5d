#include "frontend/screen_runner.h"

#include "gl3d/timer_pool.h"

#include "frontend/menu_icons.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/sprite_sets.h"
#include "gl3d/texture_cache.h"
#include "host/clock.h"
#include "platform/fatal_error.h"
#include "platform/input.h"
#include "platform/memory.h"
#include "platform/mouse.h"
#include "platform/tick_timer.h"
#include "screen/fonts.h"
#include "platform/message_pump.h"
#include "screen/screen_flip.h"
#include "screen/screen.h"
#include "gl3d/menu_objects.h"
#include "platform/files.h"
#include "platform/iff.h"
#include "frontend/resources.h"
#include "screen/screen_services.h"
#include "swrender/sw_transitions.h"

#include <cstdlib>
#include <cstring>
#include <string>

const TransitionPair open_transition_table[21] = {
    {0, 25}, {0, 24}, {0, 23}, {0, 4},  {0, 5},  {0, 6},  {0, 7},  {0, 8},  {0, 9},  {0, 10}, {5, 20},
    {5, 21}, {6, 18}, {6, 19}, {0, 12}, {0, 13}, {0, 14}, {0, 15}, {0, 16}, {1, 12}, {2, 12},
};
const TransitionPair swap_transition_table[18] = {
    {0, 4},  {0, 5},  {0, 6},  {0, 7},  {0, 8},  {0, 9},  {0, 10}, {5, 20}, {5, 21},
    {6, 18}, {6, 19}, {0, 12}, {0, 13}, {0, 14}, {0, 15}, {0, 16}, {1, 12}, {2, 12},
};
const int32_t arrival_effect_table[3] = {3, 1, 2};

OverlayBackdrop overlay_backdrop;
int32_t overlay_texture = -1;
ScreenFn list_scroll_up_hook, list_scroll_down_hook, list_page_up_hook, list_page_down_hook;
ScreenFn value_left_hook, value_right_hook;
NavigationKeys nav_keys;

namespace {

constexpr uint8_t KEY_TAB = 15, KEY_LEFT_SHIFT = 42, KEY_RIGHT_SHIFT = 54, KEY_PAGE_UP = 201, KEY_PAGE_DOWN = 209;
constexpr uint8_t KEY_F12 = 88;
constexpr int32_t FATAL_FILE_MISSING = 196;
constexpr int32_t REPEAT_DELAY = 32, REPEAT_PERIOD = 3;

menu_screen* g_running;
menu_screen* g_parent;
std::string g_overlay_texture_name;
TransitionPair g_kept_pair;
int32_t g_background = -1; // the open screen's 3D object
int32_t g_previous = -1;   // the object it opened over

// The software path: the screen's picture and the work copy the icons are
// drawn over (the sprite layer puts it back under moved sprites); an open box
// keeps its parent's pair aside.
ScreenSurfaces g_surfaces, g_parent_surfaces;
uint8_t g_fade_source[768];
uint8_t* g_alpha_table;
uint8_t* g_next_picture;
uint8_t* g_next_palette;

constexpr int32_t ALPHA_TABLES = 16;
constexpr uint32_t ALPHA_TINT = 0x3F3F3EFF, ALPHA_TINT_STEP = 16;
constexpr int32_t TOP_PALETTE_FIRST = 224, TOP_PALETTE_COLOURS = 32;
constexpr int32_t CLOSING_FRAMES = 5;

bool hardware() { return renderer_index() == 1; }

uint8_t* shadow_palette() { return &working_palette[0][0]; }

void copy_rows(const uint8_t* from, int32_t from_pitch, uint8_t* to, int32_t to_pitch)
{
    for (uint32_t y = 0; y < SCREEN_HEIGHT; ++y)
        std::memcpy(to + size_t(y) * to_pitch, from + size_t(y) * from_pitch, SCREEN_WIDTH);
}

void copy_surface(const Surface* from, Surface* to) { copy_rows(from->pixels.data(), from->pitch, to->pixels.data(), to->pitch); }

void copy_to_screen(const Surface* from)
{
    if (uint8_t* pixels = lock_screen_surface(0)) {
        copy_rows(from->pixels.data(), from->pitch, pixels, screen_pitch());
        unlock_screen_surface(0, pixels);
    }
}

void copy_from_screen(Surface* to)
{
    if (uint8_t* pixels = lock_screen_surface(0)) {
        copy_rows(pixels, screen_pitch(), to->pixels.data(), to->pitch);
        unlock_screen_surface(0, pixels);
    }
}

ScreenSurfaces create_surface_pair()
{
    ScreenSurfaces pair;
    create_plain_surface(&pair.background, SCREEN_WIDTH, SCREEN_HEIGHT, 0);
    create_plain_surface(&pair.work, SCREEN_WIDTH, SCREEN_HEIGHT, 0);
    return pair;
}

void use_work_surface(const ScreenSurfaces& pair)
{
    set_sprite_background(pair.work ? pair.work->pixels.data() : nullptr, pair.work ? pair.work->pitch : 0);
}

void release_surface_pair(ScreenSurfaces& pair)
{
    if (pair.work) drop_sprite_background(pair.work);
    if (pair.background) release_surface(pair.background);
    pair = ScreenSurfaces{};
}

void free_alpha_table()
{
    set_sprite_alpha_table(nullptr);
    if (g_alpha_table) free_mem(g_alpha_table);
    g_alpha_table = nullptr;
}

void free_next_palette()
{
    if (g_next_palette) free_mem(g_next_palette);
    g_next_palette = nullptr;
}

// Both buffers of the display show the work surface.
void show_work_surface()
{
    copy_to_screen(g_surfaces.work);
    flip_screen();
    ++front_end_anim_frame;
    copy_to_screen(g_surfaces.work);
}

void copy_palette_file(const char* name, int32_t first, int32_t most)
{
    uint32_t size = 0;
    uint8_t* file = load_file(data_path(name), &size);
    const int32_t colours = static_cast<int32_t>(size / 3);
    copy_palette_entries(file, first, colours < most ? colours : most);
    free_mem(file);
}

// Each drawn frame moves the icons' animation frame on.
void present()
{
    flip_screen();
    ++front_end_anim_frame;
}

void move_cursor(int32_t x, int32_t y)
{
    const int32_t w = scale_x_from_640(640), h = scale_y_from_480(480);
    const int32_t ux = w > 0 ? x * 640 / w : x, uy = h > 0 ? y * 480 / h : y;
    // The pointer is where the focus went, whether or not a cursor follows.
    mouse_state.x = ux;
    mouse_state.y = uy;
    icon_input.x = x;
    icon_input.y = y;
    set_cursor_pos(ux, uy);
}

bool focusable_for_keys(const IconSlot& s)
{
    const menu_icon* icon = s.icon;
    return icon && (icon->flags & ICON_FOCUSABLE) && !(icon->flags & (ICON_INERT | ICON_CLIPPED_OUT)) &&
           icon->state != ICON_INACTIVE && s.group == active_icon_table.focus_group && (s.group & 0x7F) != 0;
}

bool focusable_in_group(const IconSlot& s)
{
    const menu_icon* icon = s.icon;
    return icon && (icon->flags & ICON_FOCUSABLE) && !(icon->flags & (ICON_INERT | ICON_CLIPPED_OUT)) &&
           icon->state != ICON_INACTIVE && s.group == active_icon_table.focus_group;
}

bool groupable(const IconSlot& s)
{
    const menu_icon* icon = s.icon;
    return icon && (icon->flags & ICON_FOCUSABLE) && !(icon->flags & ICON_INERT) && icon->state != ICON_INACTIVE &&
           (s.group & 0x7F) != 0;
}

void set_focus_to(menu_icon* icon)
{
    if (icon && icon_slot(icon) >= 0) {
        active_icon_table.focus_icon = icon;
        active_icon_table.focus_group = active_icon_table.slots[icon_slot(icon)].group;
    }
}

// The hardware frame's drawing of the icons, in two passes under a box.
void draw_frame_icons(menu_screen* screen)
{
    if (!front_end_state.overlay_open) {
        update_icon_states(screen);
        draw_icons(screen);
        flush_sprites();
        return;
    }
    draw_active_layer = 0;
    update_icon_states(screen);
    draw_icons(screen);
    flush_sprites();
    draw_active_layer = 1;
    draw_inactive_layer = 0;
    // The shade gets a flush of its own: in one batch with the box it would
    // be drawn last (texts go first, the deepest sprite last) and cover it.
    if (overlay_texture >= 0) {
        queue_sprite_callback(draw_overlay_shade, 0, 0, 0, 0, 255, 0.0f);
        flush_sprites();
    }
    update_icon_states(screen);
    draw_icons(screen);
    flush_sprites();
    draw_inactive_layer = 1;
}

void draw_objects_frame()
{
    begin_scene();
    draw_3d_objects();
    flush_sprites();
    end_scene();
    present();
}

void run_objects_until_finished(menu_screen* screen, bool step_closing)
{
    // A frame is one tick on this path; the wait ends with the effect.
    for (int32_t guard = 0; guard < 100000; ++guard) {
        front_end_state.frame_ticks = 1;
        if (step_closing) step_icon_close_animations(screen);
        draw_objects_frame();
        if (objects_finished()) return;
    }
}

void open_background(menu_screen* screen)
{
    g_previous = any_3d_object_active() ? g_background : -1;
    uint32_t* pixels = load_display_picture(screen->pictures[1]);
    if (g_previous >= 0)
        g_background = create_3d_object(pixels, 0, 0, 0);
    else
        g_background = create_3d_object(pixels, 0, arrival_effect_table[host_rand() % 3], 0);
    std::free(pixels);
}

void bring_in_hardware()
{
    if (g_previous < 0) {
        g_kept_pair = open_transition_table[host_rand() % 21];
        show_3d_object(g_background, 0);
        restart_3d_object_timer(g_background, 0);
        run_objects_until_finished(nullptr, false);
        return;
    }
    g_kept_pair = swap_transition_table[host_rand() % 18];
    start_3d_object(g_previous, 0, g_kept_pair.grid, g_kept_pair.effect);
    restart_3d_object_timer(g_previous, 0);
    run_objects_until_finished(nullptr, false);
    free_3d_object(g_previous, 0);
    g_previous = -1;
    show_3d_object(g_background, 0);
}

} // namespace

uint8_t* load_screen_picture(const char* path, uint8_t palette[768])
{
    uint32_t size = 0;
    uint8_t* file = load_file(data_path(path), &size);
    uint32_t w = 0, h = 0;
    uint8_t* picture = file ? load_iff_picture_sized(file, size, palette, &w, &h) : nullptr;
    if (file) free_mem(file);
    if (!picture) fatal_error(FATAL_FILE_MISSING);
    auto* out = static_cast<uint8_t*>(alloc_mem(SCREEN_WIDTH * SCREEN_HEIGHT, "Screen picture"));
    std::memset(out, 0, SCREEN_WIDTH * SCREEN_HEIGHT);
    const uint32_t rows = h < SCREEN_HEIGHT ? h : SCREEN_HEIGHT, columns = w < SCREEN_WIDTH ? w : SCREEN_WIDTH;
    for (uint32_t y = 0; y < rows; ++y) std::memcpy(out + size_t(y) * SCREEN_WIDTH, picture + size_t(y) * w, columns);
    free_mem(picture);
    return out;
}

const ScreenSurfaces& screen_surfaces() { return g_surfaces; }
const uint8_t* screen_alpha_table() { return g_alpha_table; }
const uint8_t* next_screen_picture() { return g_next_picture; }

// The picture at the display's size, as the 3D objects take it.
uint32_t* load_display_picture(const char* path)
{
    uint32_t w = 0, h = 0;
    uint32_t* pixels = load_image_file(path, &w, &h);
    if (!pixels) fatal_error(FATAL_FILE_MISSING);
    const uint32_t dw = static_cast<uint32_t>(layer_screen_width()), dh = static_cast<uint32_t>(layer_screen_height());
    if (w == dw && h == dh) return pixels;
    auto* fitted = static_cast<uint32_t*>(std::malloc(size_t(dw) * dh * 4));
    for (uint32_t y = 0; y < dh; ++y)
        for (uint32_t x = 0; x < dw; ++x) fitted[size_t(y) * dw + x] = pixels[size_t(y * h / dh) * w + x * w / dw];
    std::free(pixels);
    return fitted;
}

int32_t renderer_index() { return sprite_hardware_switch ? 1 : 0; }
menu_screen* screen_being_run() { return g_running; }
menu_screen* parent_screen() { return g_parent; }

void read_front_end_pointer()
{
    poll_mouse();
    icon_input.x = scale_x_from_640(mouse_state.x);
    icon_input.y = scale_y_from_480(mouse_state.y);
    icon_input.left_down = (mouse_state.buttons & MOUSE_LEFT) != 0;
    icon_input.left_pressed = (mouse_state.new_buttons & MOUSE_LEFT) != 0;
}

void set_screen_parameters(int32_t first, int32_t second, int32_t width, int32_t height, int32_t bevel_style)
{
    overlay_backdrop.first = first;
    overlay_backdrop.second = second;
    overlay_backdrop.width = width;
    overlay_backdrop.height = height;
    overlay_backdrop.bevel_style = bevel_style;
    overlay_backdrop.requested = 1;
}

void set_overlay_texture_name(const char* name) { g_overlay_texture_name = name ? name : ""; }

void free_next_screen_picture()
{
    if (g_next_picture) free_mem(g_next_picture);
    g_next_picture = nullptr;
}

void draw_overlay_shade(intptr_t, int16_t, int16_t, float)
{
    if (overlay_texture < 0) return;
    const uint32_t filter = get_bilinear_filter(), z = get_z_buffer(), blend = get_alpha_blend();
    set_bilinear_filter(0);
    set_z_buffer(0);
    set_alpha_blend(1);
    const float hw = static_cast<float>(layer_screen_width()) / 2, hh = static_cast<float>(layer_screen_height()) / 2;
    const float left = overlay_backdrop.second - hw, top = overlay_backdrop.first - hh;
    const float right = left + overlay_backdrop.width, bottom = top + overlay_backdrop.height;
    float xyz[12] = {left, top, 0, right, top, 0, right, bottom, 0, left, bottom, 0};
    const float uv[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    const uint8_t rgba[16] = {255, 255, 255, 192, 255, 255, 255, 192, 255, 255, 255, 192, 255, 255, 255, 192};
    const uint32_t indices[6] = {0, 1, 2, 0, 2, 3};
    bind_texture(overlay_texture);
    set_vertex_array(4, 1, xyz);
    set_texcoord_array(4, 1, uv);
    set_colour_array(4, 1, rgba);
    draw_vertex_arrays(6, indices);
    set_bilinear_filter(filter);
    set_z_buffer(z);
    set_alpha_blend(blend);
}

namespace {

// The box's backdrop darkened (or a bevelled panel) on the new background.
void darken_backdrop(uint8_t* background)
{
    const OverlayBackdrop& b = overlay_backdrop;
    if (!b.shade_tables) return;
    // The software order: left, top.
    if (b.bevel_style == 0)
        remap_screen_rect(b.first, b.shade_tables, background, b.second, b.width, b.height);
    else
        draw_bevel_panel(b.first, b.shade_tables, background, b.second, b.width, b.height, b.bevel_style);
}

// A box on the software path: the parent's picture, icons and all, becomes
// the box's background, with the backdrop darkened into it.
void open_software_overlay()
{
    if (menu_screen* parent = g_parent) {
        parent->flags &= ~SCREEN_POINTER;
        for (int pass = 0; pass < 2; ++pass) {
            draw_icons(parent);
            flush_sprites();
            present();
        }
        parent->flags |= SCREEN_POINTER;
    }
    hide_sub_menu_icons();
    g_parent_surfaces = g_surfaces;
    g_surfaces = create_surface_pair();
    copy_from_screen(g_surfaces.background);
    if (overlay_backdrop.requested) {
        darken_backdrop(g_surfaces.background->pixels.data());
        copy_to_screen(g_surfaces.background);
        present();
        copy_to_screen(g_surfaces.background);
    }
    copy_surface(g_surfaces.background, g_surfaces.work);
    use_work_surface(g_surfaces);
}

void open_software_background(menu_screen* screen)
{
    g_surfaces = create_surface_pair();
    if ((screen->flags & SCREEN_PICTURE) && screen->pictures && screen->pictures[0]) {
        uint8_t palette[768] = {};
        uint8_t* picture = load_screen_picture(screen->pictures[0], palette);
        copy_palette_entries(palette, 0, 256);
        copy_rows(picture, SCREEN_WIDTH, g_surfaces.background->pixels.data(), g_surfaces.background->pitch);
        free_mem(picture);
    }
    copy_surface(g_surfaces.background, g_surfaces.work);
    use_work_surface(g_surfaces);
}

// The picture the closing transition runs to, with its own palette.
void load_next_screen_picture(menu_screen* screen)
{
    free_next_screen_picture();
    free_next_palette();
    if (!screen->transition_effect || hardware() || !screen->next_pictures || !screen->next_pictures[0]) return;
    g_next_palette = static_cast<uint8_t*>(alloc_mem(768, "Next screen palette"));
    g_next_picture = load_screen_picture(screen->next_pictures[0], g_next_palette);
}

void build_alpha_table()
{
    free_alpha_table();
    g_alpha_table = static_cast<uint8_t*>(alloc_mem(ALPHA_TABLES * 256, "Alpha lookup table"));
    for (int32_t i = 0; i < ALPHA_TABLES; ++i)
        build_shade_table(shadow_palette(), g_alpha_table + 256 * i, ALPHA_TINT + ALPHA_TINT_STEP * uint32_t(i));
    set_sprite_alpha_table(g_alpha_table);
}

} // namespace

void open_front_end_screen(menu_screen* screen)
{
    const bool overlay = screen->flags & SCREEN_OVERLAY;
    screen_needs_redraw = 0;
    move_pointer_to = move_cursor;
    // Sprites and text are laid out on the 640 x 480 screen.
    if (hardware()) set_sprite_option(1);
    if (!overlay) {
        g_parent = screen;
    } else {
        create_sub_menu_table();
        if (!hardware()) {
            open_software_overlay();
        } else if (!g_overlay_texture_name.empty()) {
            uint32_t bits, alpha;
            get_texture_format(&bits, &alpha);
            set_texture_format(16, 1);
            overlay_texture = find_or_load_texture(g_overlay_texture_name.c_str());
            set_texture_format(bits, alpha);
        }
    }
    screen->title_anim = screen->title_open_anim;
    screen->title_time = 0;
    const int32_t w = scale_x_from_640(640), h = scale_y_from_480(480);
    for (int32_t i = 0; i < screen->count; ++i) {
        menu_screen_entry& e = screen->entries[i];
        e.copy = copy_icon(*e.icon_template, "Transient icon copy");
        const bool pixels = e.copy->flags & ICON_PIXEL_POSITION;
        add_child_icon(e.copy, pixels ? e.x : e.x * w / 640, pixels ? e.y : e.y * h / 480, e.group);
        if (e.copy->open_anim) start_icon_open_animation(e.copy);
    }
    if (screen->focus_entry && screen->focus_entry->copy) {
        active_icon_table.focus_icon = screen->focus_entry->copy;
        active_icon_table.focus_group = screen->focus_entry->group;
        const menu_icon* f = screen->focus_entry->copy;
        move_cursor((f->rect_left + f->rect_right) / 2, (f->rect_top + f->rect_bottom) / 2);
    }
    if (!overlay) {
        if (!hardware())
            open_software_background(screen);
        else if ((screen->flags & SCREEN_PICTURE) && screen->pictures && screen->pictures[1])
            open_background(screen);
        if (screen->flags & SCREEN_PICTURE) {
            load_next_screen_picture(screen);
            if (base_palette_file) copy_palette_file(base_palette_file, 0, 256);
            if (top_palette_file) copy_palette_file(top_palette_file, TOP_PALETTE_FIRST, TOP_PALETTE_COLOURS);
            if (!hardware()) show_work_surface();
        }
    }
    screen->on_open ? screen->on_open(screen) : void();
    reset_tick_counter();
    active_icon_table.changed = 0;
    if (!overlay && !hardware() && (screen->flags & SCREEN_PICTURE)) build_alpha_table();
}

void close_front_end_screen(menu_screen* screen)
{
    const bool overlay = screen->flags & SCREEN_OVERLAY;
    for (int32_t i = 0; i < screen->count; ++i) {
        menu_screen_entry& e = screen->entries[i];
        if (!e.copy) continue;
        remove_icon(e.copy);
        free_icon(e.copy);
        e.copy = nullptr;
    }
    if (screen->on_close) screen->on_close(screen);
    // The toolkit's hooks belong to the screen that set them.
    list_scroll_up_hook = list_scroll_down_hook = list_page_up_hook = list_page_down_hook = nullptr;
    value_left_hook = value_right_hook = nullptr;
    if (!hardware())
        for (int32_t f = 0; f < CLOSING_FRAMES; ++f) {
            draw_icons(screen);
            flush_sprites();
            present();
        }
    if (!overlay) {
        if (!hardware()) {
            release_surface_pair(g_surfaces);
            free_alpha_table();
        }
        clear_text_sprites();
        return;
    }
    if (!hardware()) release_surface_pair(g_surfaces);
    if (overlay_texture >= 0) release_texture(overlay_texture, 1);
    overlay_texture = -1;
    restore_sub_menu_table();
    if (!hardware()) {
        g_surfaces = g_parent_surfaces;
        g_parent_surfaces = ScreenSurfaces{};
        use_work_surface(g_surfaces);
        // The darkened backdrop is painted over with the parent's own picture.
        if (overlay_backdrop.requested && g_parent && g_surfaces.work) {
            g_parent->flags &= ~SCREEN_POINTER;
            for (int pass = 0; pass < 2; ++pass) {
                copy_to_screen(g_surfaces.work);
                draw_icons(g_parent);
                flush_sprites();
                present();
            }
            g_parent->flags |= SCREEN_POINTER;
        }
    }
    overlay_backdrop.requested = 0;
}

namespace {

// The next screen's picture comes in over the old one: its colours go into
// the upper half of the palette and its pixels are shifted up to them for
// the run, then the colours move down to where the picture's own indices
// will find them.
void run_next_screen_transition(menu_screen* screen)
{
    copy_palette_entries(g_next_palette, 128, 128);
    set_palette_6bit(shadow_palette(), 0, 256);
    const uint32_t n = SCREEN_WIDTH * SCREEN_HEIGHT;
    for (uint32_t i = 0; i < n; ++i) g_next_picture[i] = static_cast<uint8_t>(g_next_picture[i] + 128);
    run_screen_transition(g_surfaces.background->pixels.data(), g_next_picture, screen->transition_effect);
    for (uint32_t i = 0; i < n; ++i) g_next_picture[i] = static_cast<uint8_t>(g_next_picture[i] + 128);
    copy_palette_entries(g_next_palette, 0, 128);
    set_palette_6bit(shadow_palette(), 0, 128);
    free_next_palette();
}

} // namespace

void run_front_end_screen(menu_screen* screen)
{
    const bool overlay = screen->flags & SCREEN_OVERLAY;
    menu_screen* outer = g_running;
    if (overlay) front_end_state.overlay_open = 1;
    bool begin_again = false;
    if (hardware() && scene_depth() != 0) {
        end_scene();
        begin_again = true;
    }
    const uint16_t saved_flags = screen->flags;
    g_running = screen;
    open_front_end_screen(screen);
    front_end_state.frame_ticks = 0;
    reset_tick_counter();
    front_end_state.result = 0;
    read_front_end_pointer();
    front_end_screen_input(screen);
    if (!hardware() && !overlay) {
        update_icon_states(screen);
        draw_icons(screen);
        flush_sprites();
        present();
    }
    if (!overlay) {
        if (hardware()) {
            if (g_background >= 0) bring_in_hardware();
        } else {
            std::memcpy(g_fade_source, shadow_palette(), sizeof g_fade_source);
            for (int32_t level = 12; level <= 252; level += 12) {
                front_end_state.frame_ticks = get_elapsed_ticks();
                if (screen->on_frame) screen->on_frame(screen);
                draw_icons(screen);
                flush_sprites();
                set_palette_level(0, 255, g_fade_source, level);
                present();
            }
        }
    }
    if (!hardware()) set_palette_6bit(shadow_palette(), 0, 256);
    while (front_end_state.result == 0) {
        if (hardware()) {
            front_end_state.frame_ticks = 1;
            begin_scene();
            draw_3d_objects();
            if (screen->on_frame) screen->on_frame(screen);
            read_front_end_pointer();
            front_end_screen_input(screen);
            draw_frame_icons(screen);
            end_scene();
            if (key_state[KEY_F12] & 0x80) {
                select_3d_device();
                pump_messages();
                key_state[KEY_F12] = 0;
            }
        } else {
            front_end_state.frame_ticks = get_elapsed_ticks();
            if (screen->on_frame) screen->on_frame(screen);
            read_front_end_pointer();
            front_end_screen_input(screen);
            update_icon_states(screen);
            draw_icons(screen);
            flush_sprites();
            // The display lost its pictures while the program was away.
            if (screen_needs_redraw && g_surfaces.work) {
                copy_to_screen(g_surfaces.work);
                present();
                copy_to_screen(g_surfaces.work);
                screen_needs_redraw = 0;
            }
        }
        present();
        if (key_state[KEY_ESCAPE] & 0x80) {
            // The press reaches the table twice, by its window message and by
            // the keyboard's buffer: both are taken here.
            poll_keyboard();
            key_state[KEY_ESCAPE] = 0;
            front_end_state.result = 2;
            if (!front_end_state.default_action) break;
            front_end_state.default_action(screen);
        }
    }
    if (!overlay) {
        start_icon_close_animations(screen);
        screen->flags &= ~SCREEN_POINTER;
        if (hardware()) {
            const int32_t e = g_kept_pair.effect;
            if (g_background >= 0 && e >= 23 && e <= 25) {
                start_3d_object(g_background, 0, g_kept_pair.grid, e);
                restart_3d_object_timer(g_background, 0);
                run_objects_until_finished(screen, true);
                free_3d_object(g_background, 0);
                g_background = -1;
            } else {
                step_icon_close_animations(screen);
                draw_objects_frame();
            }
        } else {
            read_palette_6bit(0, 256, g_fade_source);
            for (int32_t level = 255; level >= 3; level -= 12) {
                step_icon_close_animations(screen);
                front_end_state.frame_ticks = get_elapsed_ticks();
                if (screen->on_frame) screen->on_frame(screen);
                draw_icons(screen);
                flush_sprites();
                set_palette_level(0, 255, g_fade_source, level);
                present();
            }
            set_palette_level(0, 255, g_fade_source, 0);
            if (g_next_picture && g_next_palette) run_next_screen_transition(screen);
        }
    }
    close_front_end_screen(screen);
    screen->flags = saved_flags;
    if (begin_again) begin_scene();
    g_running = outer;
    front_end_state.overlay_open = 0;
}

void front_end_screen_input(menu_screen* screen)
{
    NavigationKeys& n = nav_keys;
    n.keys = read_key_flags();
    n.keys_new = static_cast<uint8_t>(n.keys & ~n.last);
    if (n.keys == 0 || n.keys != n.last) {
        n.repeat = REPEAT_DELAY;
    } else {
        n.repeat -= front_end_state.frame_ticks;
        // Counted so that a held key repeats 32 ticks after the press, then
        // every 3.
        if (n.repeat <= 0) {
            n.repeat = REPEAT_PERIOD;
            n.keys_new = static_cast<uint8_t>(n.keys_new | (n.keys & 0x0F));
        }
    }
    n.last = n.keys;
    icon_input.keys = n.keys;
    icon_input.keys_new = n.keys_new;

    ActiveIconTable& t = active_icon_table;
    menu_icon* before = t.focus_icon;
    const bool value_keys = before && (before->flags & ICON_VALUE_KEYS);
    if (!value_keys) {
        if (n.keys_new & (KEY_FLAG_UP | KEY_FLAG_LEFT)) set_focus_to(focus_previous_icon(screen));
        if (n.keys_new & (KEY_FLAG_DOWN | KEY_FLAG_RIGHT)) set_focus_to(focus_next_icon(screen));
    } else {
        if ((n.keys_new & KEY_FLAG_LEFT) && value_left_hook) value_left_hook(screen);
        if ((n.keys_new & KEY_FLAG_RIGHT) && value_right_hook) value_right_hook(screen);
        if (n.keys_new & KEY_FLAG_UP) set_focus_to(focus_previous_icon(screen));
        if (n.keys_new & KEY_FLAG_DOWN) set_focus_to(focus_next_icon(screen));
    }
    if (t.focus_group & 0x80) {
        for (int pass = 0; pass < 2; ++pass) {
            const uint8_t key = pass ? KEY_PAGE_DOWN : KEY_PAGE_UP;
            if (!key_state[key]) continue;
            key_state[key] = 0;
            ScreenFn hook = pass ? list_page_down_hook : list_page_up_hook;
            if (hook) hook(screen);
            mark_clipped_icons();
            if (menu_icon* first = first_focusable_icon(screen)) set_focus_to(first);
        }
    }
    if (key_state[KEY_TAB]) {
        key_state[KEY_TAB] = 0;
        if (key_state[KEY_LEFT_SHIFT] || key_state[KEY_RIGHT_SHIFT])
            focus_previous_group(screen);
        else
            focus_next_group(screen);
    }
    if (t.focus_icon && t.focus_icon != before)
        move_cursor((t.focus_icon->rect_left + t.focus_icon->rect_right) / 2,
                    (t.focus_icon->rect_top + t.focus_icon->rect_bottom) / 2);
}

menu_icon* first_focusable_icon(menu_screen*)
{
    for (const IconSlot& s : active_icon_table.slots)
        if (focusable_in_group(s)) return s.icon;
    return nullptr;
}

menu_icon* last_focusable_icon(menu_screen*)
{
    for (int32_t i = ICON_TABLE_SLOTS - 1; i >= 0; --i)
        if (focusable_in_group(active_icon_table.slots[i])) return active_icon_table.slots[i].icon;
    return nullptr;
}

menu_icon* focus_previous_icon(menu_screen* screen)
{
    ActiveIconTable& t = active_icon_table;
    bool passed = t.focus_icon == nullptr;
    for (int32_t i = ICON_TABLE_SLOTS - 1; i >= 0; --i) {
        const IconSlot& s = t.slots[i];
        if (!focusable_for_keys(s)) continue;
        if (passed) return s.icon;
        if (s.icon == t.focus_icon) passed = true;
    }
    if ((t.focus_group & 0x80) && list_scroll_up_hook) {
        list_scroll_up_hook(screen);
        mark_clipped_icons();
        return first_focusable_icon(screen);
    }
    for (int32_t i = ICON_TABLE_SLOTS - 1; i >= 0; --i)
        if (focusable_for_keys(t.slots[i])) return t.slots[i].icon;
    return t.focus_icon;
}

menu_icon* focus_next_icon(menu_screen* screen)
{
    ActiveIconTable& t = active_icon_table;
    bool passed = t.focus_icon == nullptr;
    for (const IconSlot& s : t.slots) {
        if (!focusable_for_keys(s)) continue;
        if (passed) return s.icon;
        if (s.icon == t.focus_icon) passed = true;
    }
    if ((t.focus_group & 0x80) && list_scroll_down_hook) {
        list_scroll_down_hook(screen);
        mark_clipped_icons();
        return last_focusable_icon(screen);
    }
    for (const IconSlot& s : t.slots)
        if (focusable_for_keys(s)) return s.icon;
    return t.focus_icon;
}

namespace {

menu_icon* move_group(bool forward)
{
    ActiveIconTable& t = active_icon_table;
    const int32_t now = t.focus_group & 0x7F;
    int32_t best = -1, wrap = -1;
    for (const IconSlot& s : t.slots) {
        if (!groupable(s)) continue;
        const int32_t g = s.group & 0x7F;
        if (forward) {
            if (g > now && (best < 0 || g < best)) best = g;
            if (wrap < 0 || g < wrap) wrap = g;
        } else {
            if (g < now && (best < 0 || g > best)) best = g;
            if (wrap < 0 || g > wrap) wrap = g;
        }
    }
    const int32_t chosen = best >= 0 ? best : wrap;
    if (chosen < 0 || chosen == now) return t.focus_icon;
    for (const IconSlot& s : t.slots) {
        if (!groupable(s) || (s.group & 0x7F) != chosen) continue;
        t.focus_group = s.group;
        t.focus_icon = s.icon;
        return s.icon;
    }
    return t.focus_icon;
}

} // namespace

menu_icon* focus_next_group(menu_screen*) { return move_group(true); }
menu_icon* focus_previous_group(menu_screen*) { return move_group(false); }

void reset_screen_runner()
{
    overlay_backdrop = OverlayBackdrop{};
    overlay_texture = -1;
    list_scroll_up_hook = list_scroll_down_hook = list_page_up_hook = list_page_down_hook = nullptr;
    value_left_hook = value_right_hook = nullptr;
    nav_keys = NavigationKeys{};
    g_running = g_parent = nullptr;
    g_overlay_texture_name.clear();
    g_kept_pair = TransitionPair{};
    g_background = g_previous = -1;
    move_pointer_to = move_cursor;
    release_surface_pair(g_surfaces);
    release_surface_pair(g_parent_surfaces);
    free_alpha_table();
    free_next_screen_picture();
    free_next_palette();
    std::memset(g_fade_source, 0, sizeof g_fade_source);
}
