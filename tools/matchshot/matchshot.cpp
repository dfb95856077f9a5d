// Plays a match through the display and saves one frame from each camera
// preset as a TGA: matchshot [out prefix] [ticks] [seed] [time of day]
// (SDL_VIDEODRIVER=offscreen draws without a window; the data directory as
// for the game). With --software first it plays the match headless and
// draws one frame of it on the 8-bit software path into an 8-bit BMP:
// matchshot --software [out.bmp] [ticks] [seed].
#include "gl3d/sprite_queue.h"
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
#include "platform/settings.h"
#include "screen/screen.h"
#include "screen/surface.h"
#include "swrender/sw_device.h"
#include "swrender/sw_display_list.h"
#include "swrender/sw_kernels.h"
#include "swrender/sw_pitch.h"
#include "swrender/sw_resources.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

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

bool save_bmp8(const std::string& path, const uint8_t* pixels, int32_t pitch)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const uint32_t w = PICTURE_WIDTH, h = PICTURE_HEIGHT, data = 14 + 40 + 1024, size = data + w * h;
    auto u16 = [&](uint32_t v) { std::fputc(int(v & 255), f), std::fputc(int(v >> 8 & 255), f); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    std::fputs("BM", f);
    u32(size), u32(0), u32(data);
    u32(40), u32(w), u32(h), u16(1), u16(8), u32(0), u32(w * h), u32(2835), u32(2835), u32(256), u32(0);
    for (int i = 0; i < 256; ++i) u32(uint32_t(display_palette[i].red) << 16 | uint32_t(display_palette[i].green) << 8 | display_palette[i].blue);
    for (uint32_t y = h; y-- > 0;) std::fwrite(pixels + size_t(y) * size_t(pitch), 1, w, f);
    return std::fclose(f) == 0;
}

// A man standing at a ground point, turned by `turn` radians: the bones of
// the software display list in renderer units.
void stand_man(sw_bone_record bones[16], float x, float z, double turn)
{
    const float heights[16] = {90, 80, 45, 5, 80, 45, 5, 130, 170, 150, 120, 95, 150, 120, 95, 100};
    const float across[16] = {0, -10, -10, -10, 10, 10, 10, 0, 0, -20, -22, -24, 20, 22, 24, 30};
    for (int b = 0; b < 16; ++b) {
        bones[b].x = x + float(across[b] * std::cos(turn));
        bones[b].y = heights[b];
        bones[b].z = z + float(across[b] * std::sin(turn));
        make_rotation_matrix_xyz(0, int32_t(turn * 16384 / (2 * M_PI)), 0, bones[b].m);
    }
}

// The harness's 8-bit frame: the match played headless, then its men, the
// umpires and the ball posed where the match left them and drawn by the
// software renderer behind the ball.
int software_shot(const std::string& path, int32_t ticks, const MatchRunSettings& s)
{
    if (!host_init()) return 1;
    app_active = 1;
    init_screen_format(0, 0);
    headless_match_setup(s);
    for (int32_t t = 0; t < ticks && !headless_match_over(); ++t) headless_match_tick();
    Surface* target = surface_new(PICTURE_WIDTH, PICTURE_HEIGHT, 8, 0, 0, 0, 0);
    sw_device_create(target, 0);
    set_up_sw_match(SwMatchChoice{s.home_team, s.away_team, s.weather, 0}, target);
    uint8_t* screen = target->pixels.data();
    const float unit = 0.390625f;
    const BallState& b = ball_state;
    const float bx = float(b.x >> 16) * unit, bz = float(b.y >> 16) * unit, by = float(b.z >> 16) * unit;
    camera_globals = CameraGlobals{int32_t(bx), 420, int32_t(bz) - 2600, 700, 0, 50.0, 686.0};
    draw_sw_ground_objects(screen, pitch_texture + 4, ground_texture + 4);
    draw_sw_pitch(screen);
    draw_pitch_lines(screen);
    draw_sw_extra(screen, sky_picture);
    draw_sw_meshes();
    sw_bone_record bones[16];
    auto place = [&](const PlayerSlot& man, const sprite_set_table* sets) {
        const float x = float(man.x) * unit, z = float(man.y) * unit;
        draw_sw_ground_texture_alpha(int32_t(x), 0, int32_t(z), 50, screen, shadow_texture, 64, 64, &shadow_alpha_table[0][0]);
        stand_man(bones, x, z, man.facing * 2 * M_PI / 256);
        add_sw_display_entry(bones, sets, 65536, 0);
    };
    for (int team = 0; team < 2; ++team)
        for (const PlayerSlot& man : game_state.teams[team].slots)
            if (!man.busy_flag) place(man, team == 0 ? &home_sprite_sets : &away_sprite_sets);
    for (const PlayerSlot& umpire : game_state.officials) place(umpire, &official_sprite_sets);
    double ball[9];
    make_rotation_matrix_xyz(0, b.heading & 0x3FFF, 0, ball);
    place_sw_object(ball_sprite_offsets, int32_t(bx), int32_t(by) + 10, int32_t(bz), ball);
    display_3D_man();
    bool saved = save_bmp8(path, screen, target->pitch);
    std::printf("software frame %s: ball %d %d %d\n", path.c_str(), b.x >> 16, b.y >> 16, b.z >> 16);
    release_sw_match();
    surface_delete(target);
    return saved ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--software") == 0) {
        MatchRunSettings s;
        if (argc > 4) s.seed = static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 10));
        return software_shot(argc > 2 ? argv[2] : "frame_sw.bmp", argc > 3 ? std::atoi(argv[3]) : 400, s);
    }
    const std::string prefix = argc > 1 ? argv[1] : "frame";
    const int32_t ticks = argc > 2 ? std::atoi(argv[2]) : 400;
    MatchRunSettings s;
    if (argc > 3) s.seed = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
    if (argc > 4) s.time_of_day = static_cast<uint8_t>(std::atoi(argv[4]));
    user_settings.pitch_render_quality = argc > 5 ? static_cast<uint32_t>(std::atoi(argv[5])) : 2;
    host_init();
    init_screen_format(0, 0);
    reinit_3d_framework();
    // As start-up does: the 3D path draws its sprites in hardware.
    sprite_hardware_switch = use_3d_hardware;
    install_display_hooks();
    load_small_models();
    headless_match_setup(s);
    for (int32_t t = 0; t < ticks && !headless_match_over(); ++t) headless_match_tick();
    HostRenderDevice* device = gl_render_device();
    std::vector<uint32_t> pixels(size_t(PICTURE_WIDTH) * PICTURE_HEIGHT);
    int saved = 0;
    for (int view = 0; view < CAMERA_PRESETS; ++view) {
        match_hooks.set_camera_view(view);
        const BallState& b = ball_state;
        setup_all_camera_presets(static_cast<int32_t>((b.x >> 16) * 0.390625), static_cast<int32_t>((b.z >> 16) * 0.390625),
                                 static_cast<int32_t>((b.y >> 16) * 0.390625));
        for (int t = 0; t < 90 && !headless_match_over(); ++t) headless_match_tick();
        present_and_clear();
        match_hooks.draw_match_scene();
        if (!device || !device->read_picture(pixels.data())) continue;
        char name[32];
        std::snprintf(name, sizeof name, "_view%d.tga", view);
        if (save_tga(prefix + name, pixels)) ++saved;
        std::printf("view %d state %u ball %d %d %d camera %d %d %d\n", view, match_globals.match_state, b.x >> 16,
                    b.y >> 16, b.z >> 16, camera_globals.x, camera_globals.y, camera_globals.z);
    }
    return saved == CAMERA_PRESETS ? 0 : 1;
}
