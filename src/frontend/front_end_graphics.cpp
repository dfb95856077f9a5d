#include "frontend/front_end_graphics.h"

#include "frontend/frame_manifest.h"
#include "frontend/resources.h"
#include "frontend/screen_runner.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/sprite_sets.h"
#include "gl3d/texture_cache.h"
#include "platform/message_pump.h"
#include "screen/screen_flip.h"
#include "gl3d/menu_objects.h"

#include <cstdlib>
#include <string>

int32_t current_caricature_set = -1;
int32_t second_caricature_set = -1;
int32_t portrait_handles[LEAGUE_TEAMS] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
int32_t current_portrait_set = -1, second_portrait_set = -1, third_portrait_set = -1;

const char* const CARICATURE_SET = "front_en\\front_end_gfx\\animation_files\\caric\\caric.sph";
const char* const CONTROLLER_SET = "front_en\\front_end_gfx\\animation_files\\controllers\\controllers.sph";
const char* const LOADING_PICTURE = "game_gfx\\hardware\\KOB Loading Screen.tga";

namespace {

// The set's path: the club's folder, its "medium" folder, "<club>_md.sph".
std::string g_portrait_paths[LEAGUE_TEAMS];

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

void reset_front_end_graphics()
{
    current_caricature_set = second_caricature_set = -1;
    for (int32_t& h : portrait_handles) h = -1;
    current_portrait_set = second_portrait_set = third_portrait_set = -1;
}
