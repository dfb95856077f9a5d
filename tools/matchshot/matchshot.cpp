// Plays a match through the display and saves one frame from each camera
// preset as a TGA: matchshot [out prefix] [ticks] [seed] [time of day]
// (SDL_VIDEODRIVER=offscreen draws without a window; the data directory as
// for the game). With --software first it plays the match headless and
// draws one frame of it on the 8-bit software path into an 8-bit BMP:
// matchshot --software [out.bmp] [ticks] [seed] [camera view]. With --replay first it plays
// the match, opens the replay screen, plays the replay for a second and saves
// what the replay camera shows: matchshot --replay [out.tga] [ticks] [seed].
#include "gl3d/sprite_queue.h"
#include "gl3d/sprite_sets.h"
#include "match/match_driver.h"
#include "app/startup.h"
#include "display/camera_presets.h"
#include "display/match_scene.h"
#include "gl3d/display_device.h"
#include "gl3d/gl.h"
#include "gl3d/render_state.h"
#include "host/process.h"
#include "host/picture.h"
#include "host/render_device.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "platform/app_state.h"
#include "platform/language.h"
#include "platform/settings.h"
#include "screen/screen.h"
#include "screen/screen_flip.h"
#include "screen/surface.h"
#include "display/screenshot.h"
#include "display/replay_screen.h"
#include "gl3d/hw_camera.h"
#include "platform/mouse.h"
#include "matchscreen/match_screen.h"
#include "model/skeleton.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The match screen's own frame, caught before it is shown (showing clears it).
std::vector<uint32_t>* caught_picture;
bool caught;
void catch_and_present()
{
    HostRenderDevice* device = gl_render_device();
    caught = device && caught_picture && device->read_picture(caught_picture->data());
    present_and_clear();
}

bool save_tga(const std::string& path, const std::vector<uint32_t>& pixels)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const uint8_t header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, PICTURE_WIDTH & 255, PICTURE_WIDTH >> 8,
                                PICTURE_HEIGHT & 255, PICTURE_HEIGHT >> 8, 32, 0x28};
    std::fwrite(header, 1, sizeof header, f);
    for (uint32_t p : pixels) {
        const uint8_t bgra[4] = {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16), 255};
        std::fwrite(bgra, 1, 4, f);
    }
    return std::fclose(f) == 0;
}

// As the match hand-over does: the HUD's club names are language texts.
void load_texts()
{
    select_language(0);
    if (get_text(0)[0] == 0) load_language_text();
}

// The harness's 8-bit frame: the match played headless on the software
// path, then one frame of the match screen drawn as the game draws it.
// Puts the match camera on a preset view, placed for the ball as the match
// screen does.
void choose_camera_view(int32_t view)
{
    match_hooks.set_camera_view(view);
    const BallState& b = ball_state;
    setup_all_camera_presets(static_cast<int32_t>((b.x >> 16) * 0.390625), static_cast<int32_t>((b.z >> 16) * 0.390625),
                             static_cast<int32_t>((b.y >> 16) * 0.390625));
}

int software_shot(const std::string& path, int32_t ticks, const MatchRunSettings& s, int32_t view)
{
    if (!host_init()) return 1;
    app_active = 1;
    init_screen_format(0, 0);
    load_texts();
    headless_match_load_data();
    use_3d_hardware = 0;
    sprite_hardware_switch = 0;
    set_sprite_set_mode(0);
    // The software path's own player model.
    free_player_model();
    load_player_model();
    flip_surface = surface_new(PICTURE_WIDTH, PICTURE_HEIGHT, 8, 0, 0, 0, 0);
    back_surface = surface_new(PICTURE_WIDTH, PICTURE_HEIGHT, 8, 0, 0, 0, 0);
    install_display_hooks();
    headless_match_setup(s);
    for (int32_t t = 0; t < ticks && !headless_match_over(); ++t) headless_match_tick();
    if (view >= 0) {
        // A camera view of its own: the camera settles over a few frames.
        choose_camera_view(view);
        for (int t = 0; t < 30 && !headless_match_over(); ++t) {
            headless_match_tick();
            if (t % 3 == 2) render_match_frame();
        }
    }
    render_match_frame();
    const bool saved = write_bmp(back_surface, path.c_str()) != 0;
    const BallState& b = ball_state;
    std::printf("software frame %s: state %u ball %d %d %d\n", path.c_str(), match_globals.match_state, b.x >> 16,
                b.y >> 16, b.z >> 16);
    match_hooks.release_match_resources();
    return saved ? 0 : 1;
}

// The replay screen's picture a second into the replay.
int replay_shot(const std::string& path, HostRenderDevice* device, std::vector<uint32_t>& pixels)
{
    open_replay_screen();
    // As the match screen does: the HUD's sprites go through the gated queue.
    enable_sprite_queue();
    uint32_t now = 1000;
    replay_screen.stamp_a = now;
    for (int f = 0; f < 50; ++f) {
        replay_screen_frame(now += 20);
        present_and_clear();
        replay_panel_pass(mouse_state.x, mouse_state.y, 0, 0);
        begin_scene();
        draw_3d_frame();
        end_scene();
    }
    const CameraPreset* c = current_camera;
    std::printf("position %.0f %.0f %.0f\n", c->position[0], c->position[1], c->position[2]);
    std::printf("view %d ball %d %d %d camera %d %d %d looks at %.0f %.0f %.0f\n", camera_view, ball_state.x >> 16,
                ball_state.y >> 16, ball_state.z >> 16, camera_globals.x, camera_globals.y, camera_globals.z,
                c ? c->look_at[0] : 0.0, c ? c->look_at[1] : 0.0, c ? c->look_at[2] : 0.0);
    const bool ok = device && device->read_picture(pixels.data()) && save_tga(path, pixels);
    close_replay_screen();
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--software") == 0) {
        MatchRunSettings s;
        if (argc > 4) s.seed = static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 10));
        return software_shot(argc > 2 ? argv[2] : "frame_sw.bmp", argc > 3 ? std::atoi(argv[3]) : 400, s,
                             argc > 5 ? std::atoi(argv[5]) : -1);
    }
    const bool replay = argc > 1 && std::strcmp(argv[1], "--replay") == 0;
    if (replay) --argc, ++argv;
    const std::string prefix = argc > 1 ? argv[1] : "frame";
    const int32_t ticks = argc > 2 ? std::atoi(argv[2]) : 400;
    MatchRunSettings s;
    if (argc > 3) s.seed = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
    if (argc > 4) s.time_of_day = static_cast<uint8_t>(std::atoi(argv[4]));
    user_settings.pitch_render_quality = argc > 5 ? static_cast<uint32_t>(std::atoi(argv[5])) : 2;
    host_init();
    init_screen_format(0, 0);
    load_texts();
    reinit_3d_framework();
    // As start-up does: the 3D path draws its sprites in hardware.
    sprite_hardware_switch = use_3d_hardware;
    set_sprite_set_mode(use_3d_hardware);
    install_display_hooks();
    load_small_models();
    if (replay) new_replay_node(1u << 20);
    if (replay) new_replay_node(1u << 20);
    headless_match_setup(s);
    for (int32_t t = 0; t < ticks && !headless_match_over(); ++t) headless_match_tick();
    HostRenderDevice* device = gl_render_device();
    std::vector<uint32_t> pixels(size_t(PICTURE_WIDTH) * PICTURE_HEIGHT);
    if (replay) return replay_shot(prefix, device, pixels);
    caught_picture = &pixels;
    match_hooks.present_frame = catch_and_present;
    int saved = 0;
    for (int view = 0; view < CAMERA_PRESETS; ++view) {
        choose_camera_view(view);
        const BallState& b = ball_state;
        // Frames as the match screen draws them, three ticks apart (the HUD
        // slides by the ticks of each frame): the scene, then the HUD.
        caught = false;
        for (int t = 0; t < 90 && !headless_match_over(); ++t) {
            headless_match_tick();
            if (t % 3 != 2) continue;
            match_tick_record.due = 3;
            render_match_frame();
        }
        if (!caught) continue;
        char name[32];
        std::snprintf(name, sizeof name, "_view%d.tga", view);
        if (save_tga(prefix + name, pixels)) ++saved;
        std::printf("view %d state %u ball %d %d %d camera %d %d %d\n", view, match_globals.match_state, b.x >> 16,
                    b.y >> 16, b.z >> 16, camera_globals.x, camera_globals.y, camera_globals.z);
    }
    return saved == CAMERA_PRESETS ? 0 : 1;
}
