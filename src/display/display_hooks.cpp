// The match display's entries in the match's hook table.
#include "platform/controllers.h"
#include "display/camera_presets.h"
#include "display/commentary.h"
#include "display/match_sound.h"
#include "display/replay.h"
#include "display/hud.h"
#include "display/hud_draw.h"
#include "display/match_scene.h"
#include "display/men_display.h"
#include "gl3d/display_device.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_sets.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "match/match_setup.h"
#include "match/scene_choice.h"
#include "platform/app_state.h"
#include "platform/message_pump.h"
#include "screen/screen.h"
#include "screen/screen_flip.h"
#include "swrender/sw_resources.h"

namespace {

// Every set-up mode loads it all: the end of each stretch of play released
// it (a break, or the pause menu's Resume, comes back through here).
void load_hw_match_graphics();

// The software path's graphics: the ground, sprites and meshes drawn into
// the screen's back surface, the panels and the strength bars.
void load_sw_match_graphics()
{
    const SwMatchChoice choice{game_settings.home_team, game_settings.away_team, match_globals.weather,
                               scene_choice.sky_row};
    set_up_sw_match(choice, back_surface);
    load_panels();
    load_match_fonts();
    load_powerbar_bitmaps();
    pump_messages();
}

void load_match_presentation(int32_t)
{
    if (!use_3d_hardware) {
        load_sw_match_graphics();
    } else {
        load_hw_match_graphics();
    }
    // The clock panel (and the score panel with it) slides in from the left
    // at the start of each stretch of play.
    init_clock_panel();
    // Each of these asks the sound settings itself.
    if (!replay_match_playback) {
        start_crowd_loops();
        if (commentary.loaded) free_commentary();
        if (match_globals.game_type != 7) load_commentary();
        load_match_effects();
        crowd_react(3);
    }
}

void load_hw_match_graphics()
{
    load_panels();
    load_match_fonts();
    if (!small_models_loaded()) load_small_models();
    free_match_scene();
    scene_ready = 0;
    build_stadium_paths();
    set_3d_default_states();
    // The HUD's sprites are laid out in screen units: they go on in the 2D
    // overlay projection, not the scene's.
    set_sprite_option(1);
    load_sky_and_pitch();
    load_match_scene();
    scene_ready = 1;
}

void release_match_resources()
{
    if (use_3d_hardware)
        free_match_scene();
    else
        release_sw_match(), free_powerbar_bitmaps();
    if (replay_match_playback) return;
    stop_crowd_loops();
    free_commentary();
    free_match_effects();
}

void draw_match_scene()
{
    begin_scene();
    draw_3d_frame();
    end_scene();
}

void present_frame()
{
    if (use_3d_hardware)
        present_and_clear();
    else
        flip_screen();
}

int32_t hardware_switch() { return static_cast<int32_t>(use_3d_hardware); }
void fade_to_black() { fade_palette(0, 255, nullptr, 12); }
void fade_to_match_palette() { fade_palette(0, 255, sw_weather_palette, 12); }

void situation_camera(int32_t x, int32_t height, int32_t y, int32_t fov, int32_t preset)
{
    set_camera_for_situation(x, height, y, fov, preset);
}

// The match steers without speed limits: 0 stands for the camera's own.
void steer_position(int32_t x, int32_t height, int32_t y) { set_camera_position(x, height, y, 0, 0, 0); }

void steer_look_at(int32_t x, int32_t height, int32_t y)
{
    const CameraPreset* c = auto_camera_request.camera;
    set_camera_look_at(x, height, y, c ? c->fov_target : 50.0);
}

void setup_presets_from_ground(int32_t x, int32_t height, int32_t y)
{
    setup_all_camera_presets(static_cast<int32_t>(x * 0.390625), static_cast<int32_t>(height * 0.390625),
                             static_cast<int32_t>(y * 0.390625));
}

int32_t current_view() { return camera_view; }

void make_view_current(int32_t view)
{
    if (view < 0 || view >= CAMERA_PRESETS) return;
    if (view != camera_view) camera_resetup = 1;
    camera_view = view;
}

void flag_resetup() { camera_resetup = 1; }

// The scorer is followed through his celebration.
void follow_scorer(PlayerSlot* man) { follow_man_with_camera(man, 310); }

// A human team's ring at a throw-in: team 0 wears the first ring, team 1 the
// second. The radius is our own choice: 46 scene units, where the ring's 32
// pieces (9 units wide) just close the circle round the man.
void team_ring(int32_t team, float x, float, float z, float angle)
{
    constexpr float kRingRadius = 46.0f;
    place_model_ring(x, z, kRingRadius, kRingRadius, angle, team);
}

} // namespace

void install_display_hooks()
{
    // The input turns the sticks' directions with the camera.
    set_camera_yaw_reader([] { return camera_globals.yaw; });
    MatchHooks& h = match_hooks;
    h.init_camera_system = init_camera_system;
    h.reset_cameras = reset_cameras;
    h.update_match_camera = update_match_camera;
    h.camera_select_by_keys = camera_select_by_keys;
    h.set_camera_for_situation = situation_camera;
    h.set_camera_position = steer_position;
    h.set_camera_look_at = steer_look_at;
    h.setup_all_camera_presets = setup_presets_from_ground;
    h.choose_automatic_camera = choose_automatic_camera;
    h.track_camera_target = follow_scorer;
    h.camera_view = current_view;
    h.set_camera_view = make_view_current;
    h.flag_camera_resetup = flag_resetup;
    h.load_match_presentation = load_match_presentation;
    h.build_model_instance = build_model_instance;
    h.reload_overlay_model = reload_overlay_model;
    h.pop_texture_slot = pop_texture_slot;
    h.place_model_ring = team_ring;
    h.prepare_men_display = prepare_men_display;
    h.draw_match_scene = draw_match_scene;
    h.present_frame = present_frame;
    h.release_match_resources = release_match_resources;
    h.use_3d_hardware = hardware_switch;
    h.fade_palette_out = fade_to_black;
    h.fade_palette_in = fade_to_match_palette;
    install_hud_hooks();
}
