#include "frontend/front_end_graphics.h"

#include "display/hud.h"
#include "frontend/controls.h"
#include "frontend/frame_manifest.h"
#include "frontend/resources.h"
#include "frontend/screen_runner.h"
#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/sprite_sets.h"
#include "gl3d/texture_cache.h"
#include "platform/message_pump.h"
#include "screen/screen_flip.h"
#include "gl3d/menu_objects.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "screen/screen.h"
#include "screen/screen_services.h"

#include <cstdlib>
#include <cstring>
#include <string>

int32_t current_caricature_set = -1;
int32_t second_caricature_set = -1;
int32_t portrait_handles[LEAGUE_TEAMS] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
int32_t current_portrait_set = -1, second_portrait_set = -1, third_portrait_set = -1;

const char* const CARICATURE_SET = "front_en\\front_end_gfx\\animation_files\\caric\\caric.sph";
const char* const CONTROLLER_SET = "front_en\\front_end_gfx\\animation_files\\controllers\\controllers.sph";
const char* const LOADING_PICTURE = "game_gfx\\hardware\\KOB Loading Screen.tga";
const char* const POWERBAR_DIRECTORY = "front_en\\front_end_gfx\\Powerbar_gfx\\";

PowerbarImage powerbar_images[POWERBAR_IMAGES];

namespace {

// The set's path: the club's folder, its "medium" folder, "<club>_md.sph".
std::string g_portrait_paths[LEAGUE_TEAMS];

// The six images: the software path's BMP and the hardware path's bar model
// of the same look.
enum : int32_t { IMAGE_PLAIN, IMAGE_DEFAULT, IMAGE_GREEN, IMAGE_RED, IMAGE_INSTALL_FILLED, IMAGE_INSTALL_EMPTY };
const struct {
    const char* bmp; // null: the default image
    const char* model;
} k_powerbar_files[POWERBAR_IMAGES] = {
    {"powerbar.bmp", "pb_plain"},
    {nullptr, "pb_plain"},
    {"pb_green.bmp", "barmulti"},
    {"pb_red.bmp", "barred"},
    {"pb_install_filled.bmp", "install1"},
    {"pb_install_empty.bmp", "install2"},
};

// Per kind: the images drawn, the first at 100 when there are two (the
// frame or the empty bar), then the fill at the percentage.
struct KindImages {
    int32_t count;
    int32_t image[2];
};
const KindImages k_kind_images[POWERBAR_KINDS] = {
    {1, {IMAGE_PLAIN, 0}},
    {1, {IMAGE_DEFAULT, 0}},
    {1, {IMAGE_RED, 0}},
    {1, {IMAGE_GREEN, 0}},
    {2, {IMAGE_GREEN, IMAGE_RED}},
    {2, {IMAGE_INSTALL_EMPTY, IMAGE_INSTALL_FILLED}},
};

bool hardware_path() { return renderer_index() == 1; }

const KindImages* kind_of(control* c)
{
    const A_SLIDER_CONTROL* s = c && c->type == CONTROL_SLIDER ? slider_record(c) : nullptr;
    if (!s || s->settings.powerbar_kind >= POWERBAR_KINDS) return nullptr;
    return &k_kind_images[s->settings.powerbar_kind];
}

void load_hardware_image(PowerbarImage* image, int32_t which)
{
    if (image->loaded) return;
    const std::string file = std::string("3d display\\tcas\\") + k_powerbar_files[which].model + ".tca";
    // A missing model leaves the bar undrawn, as a missing picture does. Bar
    // kind 5 stands at its point and grows to the right on the screen.
    if (load_model_with_lists(&image->bar, file.c_str(), 5)) image->loaded = 1;
}

void release_hardware_image(PowerbarImage* image)
{
    if (!image->loaded) return;
    release_overlay_texture(&image->bar);
    free_bar_model(&image->bar);
    image->loaded = 0;
}

} // namespace

const char* portrait_set_path(int32_t team)
{
    if (team < 0 || team >= LEAGUE_TEAMS) return nullptr;
    std::string& path = g_portrait_paths[team];
    if (path.empty()) {
        const std::string club = PORTRAIT_CLUBS[team];
        path = "front_en\\front_end_gfx\\animation_files\\portraits\\" + club + "\\medium\\" + club + "_md.sph";
    }
    return path.c_str();
}

void load_caricature_set()
{
    if (animation_handles[HANDLE_CARICATURE] >= 0) return;
    load_animation_set(HANDLE_CARICATURE, CARICATURE_SET);
    current_caricature_set = animation_handles[HANDLE_CARICATURE];
    if (renderer_index() == 1) {
        if (current_caricature_set >= 0) touch_sprite_frames(current_caricature_set);
        second_caricature_set = -1;
    }
}

int32_t hold_caricature_frame(int32_t team)
{
    if (renderer_index() != 1) return -1;
    const int32_t set = animation_handles[HANDLE_CARICATURE];
    if (set < 0 || team < 0) return -1;
    int32_t pages = 0;
    const int32_t* textures = nullptr;
    get_sprite_frames(set, &pages, &textures);
    const auto* frame = static_cast<const hw_sprite_frame*>(animation_frame(HANDLE_CARICATURE, team));
    if (!frame || !textures || frame->page >= pages) return -1;
    add_texture_ref(textures[frame->page]);
    return textures[frame->page];
}

void let_go_caricature_frame(int32_t* texture)
{
    if (*texture >= 0) release_texture(*texture, 0);
    *texture = -1;
}

void hold_every_badge(HeldBadges* badges)
{
    let_go_every_badge(badges);
    for (int32_t team = 0; team < LEAGUE_TEAMS; ++team) badges->textures[team] = hold_caricature_frame(team);
    badges->held = true;
}

void let_go_every_badge(HeldBadges* badges)
{
    if (!badges->held) return;
    for (int32_t& texture : badges->textures) let_go_caricature_frame(&texture);
    badges->held = false;
}

void load_team_portraits(int32_t team, int32_t, int32_t load)
{
    current_portrait_set = second_portrait_set = third_portrait_set = -1;
    if (team < 0 || team >= LEAGUE_TEAMS || load != 1) return;
    if (portrait_handles[team] < 0) {
        static uint8_t companion[16384];
        portrait_handles[team] = load_sprite_set(portrait_set_path(team), companion, sizeof companion);
    }
    current_portrait_set = portrait_handles[team];
    if (renderer_index() == 1 && second_portrait_set >= 0) touch_sprite_frames(second_portrait_set);
}

void show_loading_picture()
{
    // The menus left the 2D overlay's view: the picture is a 3D object.
    hw_camera camera{};
    get_hw_camera_block(&camera);
    update_hw_camera(camera.picture_ratio);
    uint32_t* pixels = load_display_picture(LOADING_PICTURE);
    create_3d_object(pixels, 2, 1, 1);
    std::free(pixels);
    show_3d_object(-1, 0);
    restart_3d_object_timer(-1, 0);
    for (int32_t guard = 0; guard < 100000 && !objects_finished(); ++guard) {
        begin_scene();
        draw_3d_objects();
        end_scene();
        flip_screen();
    }
}

int32_t load_powerbar_image(PowerbarImage* image, const char* name)
{
    if (image->loaded) return 1;
    const std::string path = std::string(POWERBAR_DIRECTORY) + (name ? name : "powerbar.bmp");
    uint8_t* pixels = nullptr;
    int32_t width = 0, height = 0;
    if (!bitmap_to_surface(path.c_str(), &pixels, &width, &height)) return 0;
    image->pixels = pixels;
    image->width = width, image->height = height;
    create_plain_surface(&image->surface, width, height, 0);
    int32_t pitch = 0;
    uint8_t* out = lock_surface(image->surface, &pitch, nullptr);
    // The reader has already turned the BMP's bottom-up rows the right way up.
    for (int32_t row = 0; row < height; ++row)
        std::memcpy(out + static_cast<size_t>(row) * pitch, pixels + static_cast<size_t>(row) * width, static_cast<size_t>(width));
    unlock_surface(image->surface, out);
    image->loaded = 1;
    return 1;
}

void release_powerbar_image(PowerbarImage* image)
{
    if (!image->loaded) return;
    if (image->pixels) free_mem(image->pixels);
    if (image->surface) release_surface(image->surface);
    image->pixels = nullptr;
    image->surface = nullptr;
    image->width = image->height = 0;
    image->loaded = 0;
}

void draw_powerbar_image(const PowerbarImage* image, int32_t x, int32_t y, int32_t percent, bool clear, bool mirror)
{
    if (!image->loaded || !image->surface) return;
    const int32_t w = image->width, h = image->height;
    const int32_t fill = static_cast<int32_t>(percent * 0.01 * w);
    uint8_t* screen_pixels = lock_screen_surface(0);
    if (!screen_pixels) return;
    int32_t source_pitch = 0;
    const uint8_t* source = lock_surface(image->surface, &source_pitch, nullptr);
    const int32_t sw = static_cast<int32_t>(screen.width), sh = static_cast<int32_t>(screen.height);
    for (int32_t column = 0; column < w; ++column) {
        const int32_t sx = mirror ? x + w - 1 - column : x + column;
        if (sx < 0 || sx >= sw) continue;
        for (int32_t row = 0; row < h; ++row) {
            const int32_t sy = y + row;
            if (sy < 0 || sy >= sh) continue;
            uint8_t& to = screen_pixels[static_cast<size_t>(sy) * screen.pitch + sx];
            if (column < fill) {
                const uint8_t v = source[static_cast<size_t>(row) * source_pitch + column];
                if (v) to = v;
            } else if (clear) {
                to = POWERBAR_CLEAR_COLOUR;
            }
        }
    }
    unlock_surface(image->surface, const_cast<uint8_t*>(source));
    unlock_screen_surface(0, screen_pixels);
}

void load_powerbar(control* c)
{
    const KindImages* k = kind_of(c);
    if (!k) return;
    for (int32_t i = 0; i < k->count; ++i) {
        const int32_t which = k->image[i];
        PowerbarImage* image = &powerbar_images[which];
        ++image->users;
        if (hardware_path()) load_hardware_image(image, which);
        else load_powerbar_image(image, k_powerbar_files[which].bmp);
    }
}

void release_powerbar(control* c)
{
    const KindImages* k = kind_of(c);
    if (!k) return;
    for (int32_t i = 0; i < k->count; ++i) {
        PowerbarImage* image = &powerbar_images[k->image[i]];
        // Another bar of the kind still shows these images.
        if (image->users > 0 && --image->users > 0) continue;
        if (hardware_path()) release_hardware_image(image);
        else release_powerbar_image(image);
    }
}

void draw_powerbar_control(control* c, int32_t x, int32_t y, int32_t width, int32_t height, int32_t percent)
{
    const KindImages* k = kind_of(c);
    if (!k) return;
    for (int32_t i = 0; i < k->count; ++i) {
        PowerbarImage* image = &powerbar_images[k->image[i]];
        const int32_t fill = k->count == 2 && i == 0 ? 100 : percent;
        if (hardware_path()) {
            // The overlay's point is measured from the far corner of the screen
            // and the bar hangs above it.
            if (image->loaded)
                draw_overlay_model_at(&image->bar, 640.0f - static_cast<float>(x), 480.0f - static_cast<float>(y + height),
                                      width, height, static_cast<float>(fill));
        } else {
            // A single bar clears what it no longer fills; two layers keep the frame.
            draw_powerbar_image(image, x, y, fill, k->count == 1, false);
        }
    }
}

void make_powerbar_template(control* templ, uint32_t kind, int32_t width, int32_t height)
{
    A_SLIDER_CONTROL* s = slider_record(templ);
    if (!s) return;
    s->settings.flags = SLIDER_CUSTOM_DRAW;
    s->settings.powerbar_kind = kind;
    s->settings.custom_width = width, s->settings.custom_height = height;
    s->callbacks.created = load_powerbar;
    s->callbacks.custom_draw = draw_powerbar_control;
    s->callbacks.deleted = release_powerbar;
}

control* create_rating_bar(control_list* list, int32_t* value, int32_t minimum, int32_t maximum, int32_t x, int32_t y,
                           uint32_t kind)
{
    control* t = new_slider_template(value, minimum, maximum, x, y - RATING_BAR_HEIGHT / 2, 1);
    make_powerbar_template(t, kind, RATING_BAR_WIDTH, RATING_BAR_HEIGHT);
    return add_from_template(list, nullptr, t);
}

void reset_front_end_graphics()
{
    for (PowerbarImage& image : powerbar_images) {
        if (image.bar.instance.model) release_hardware_image(&image);
        release_powerbar_image(&image);
        image = PowerbarImage{};
        image.bar.texture = NO_TEXTURE;
    }
    current_caricature_set = second_caricature_set = -1;
    for (int32_t& h : portrait_handles) h = -1;
    current_portrait_set = second_portrait_set = third_portrait_set = -1;
}
