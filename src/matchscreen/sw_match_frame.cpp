#include "matchscreen/sw_match_frame.h"

#include "display/men_display.h"
#include "display/replay_screen.h"
#include "display/screenshot.h"
#include "gl3d/angle_maths.h"
#include "gl3d/camera_globals.h"
#include "gl3d/sprite_queue.h"
#include "match/ball.h"
#include "match/game_tick.h"
#include "match/ground.h"
#include "match/match_hooks.h"
#include "match/formation.h"
#include "match/match_records.h"
#include "match/officials.h"
#include "matchscreen/match_screen.h"
#include "model/skeleton.h"
#include "platform/controllers.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/memory.h"
#include "screen/screen.h"
#include "screen/screen_flip.h"
#include "screen/surface.h"
#include "swrender/sw_display_list.h"
#include "swrender/sw_kernels.h"
#include "swrender/sw_pitch.h"
#include "swrender/sw_resources.h"

#include <cmath>
#include <algorithm>
#include <cstring>
#include <functional>

uint8_t* general_sprite_widths = nullptr;
uint32_t general_sprite_widths_size = 0;
int32_t sw_ground_display_flag = 1;

namespace {

constexpr float UNIT = 0.390625f; // ground units to renderer units
constexpr int32_t MARKER_SIDE = 64;

bool held(uint8_t key) { return (key_state[key] & 0x80) != 0; }
bool ctrl_held() { return held(KEYCODE_LCTRL) || held(KEYCODE_RCTRL); }

int32_t round_away(double v) { return static_cast<int32_t>(v < 0 ? v - 0.5 : v + 0.5); }

template <class Fn> void for_each_man_on_ground(Fn fn)
{
    for (TeamRecord& team : team_records)
        for (int i = 0; i < GROUND_MEN; ++i)
            if (!team.slots[i].busy_flag) fn(team.slots[i]);
    for (PlayerSlot& u : official_slots) fn(u);
}

// The joint each bone's axis points at: the next joint of its limb; the
// feet point forward, the root and the hands and ball keep the vertical.
constexpr int SW_BONE_FORWARD = -2;
constexpr int SW_BONE_TOWARD[16] = {-1, 2, 3, SW_BONE_FORWARD, 5, 6, SW_BONE_FORWARD, 8, -1, 10, 11, -1, 13, 14, -1, -1};

double length3(const double v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

// A rotation whose second row is the axis: the first row the given side
// direction made square to it (the forward one where the axis lies along
// the side), the third their cross product.
void set_bone_axis(double axis[3], const double side[3], const double forward[3], double m[9])
{
    double n = length3(axis);
    if (n < 1e-6) axis[0] = 0, axis[1] = 1, axis[2] = 0, n = 1;
    for (int i = 0; i < 3; ++i) axis[i] /= n;
    double r0[3];
    const double* from = std::fabs(side[0] * axis[0] + side[1] * axis[1] + side[2] * axis[2]) > 0.9 ? forward : side;
    const double d = from[0] * axis[0] + from[1] * axis[1] + from[2] * axis[2];
    for (int i = 0; i < 3; ++i) r0[i] = from[i] - d * axis[i];
    const double l = length3(r0);
    for (int i = 0; i < 3; ++i) r0[i] /= l;
    m[0] = r0[0], m[1] = r0[1], m[2] = r0[2];
    m[3] = axis[0], m[4] = axis[1], m[5] = axis[2];
    m[6] = r0[1] * axis[2] - r0[2] * axis[1];
    m[7] = r0[2] * axis[0] - r0[0] * axis[2];
    m[8] = r0[0] * axis[1] - r0[1] * axis[0];
}

bool ball_held() { return match_globals.ball_holder || match_globals.umpire_with_ball; }

// The markers are drawn in their own colours (the blended kernel would take
// them for shade levels and draw none of them).
void marker_on_ground(uint8_t* screen, const uint8_t* texture, int32_t x, int32_t y, int32_t size)
{
    if (texture)
        draw_sw_ground_texture(round_away(x * UNIT), 0, round_away(y * UNIT), size, screen, texture, MARKER_SIDE,
                               MARKER_SIDE);
}

void ground_marker(uint8_t* screen, int32_t marker, int32_t x, int32_t y, int32_t size)
{
    marker_on_ground(screen, marker_textures[marker], x, y, size);
}

bool under_human_control(const PlayerSlot* man)
{
    const ContestGroup* group = man ? man->contest_group : nullptr;
    return group && group->present && group->side;
}

// Kicked or thrown and not yet come down, with nobody holding it.
bool ball_loose_in_air()
{
    const BallState& b = ball_state;
    return (b.flags & BALL_FREE) && (b.flight_flags & FLIGHT_MOVING) && b.z > 0 && !ball_held();
}

bool set_play_state(int32_t state) { return state == 8 || state == 42 || state == 56 || (state >= 61 && state <= 72); }

// A man's set-play spot is a formation spot, or for a key man the opponent
// he is matched with.
bool set_play_spot_point(const PlayerSlot& man, int32_t* x, int32_t* y)
{
    if (!man.spot) return false;
    const auto* spot = static_cast<const uint8_t*>(man.spot);
    for (const TeamRecord& team : team_records) {
        const auto* first = reinterpret_cast<const uint8_t*>(&team.slots[0]);
        const auto* end = reinterpret_cast<const uint8_t*>(&team.slots[TEAM_SLOTS]);
        if (std::less_equal<>()(first, spot) && std::less<>()(spot, end)) {
            const PlayerSlot& other = *static_cast<const PlayerSlot*>(man.spot);
            *x = other.x, *y = other.y;
            return true;
        }
    }
    const auto* f = static_cast<const FormationSpot*>(man.spot);
    *x = f->x, *y = f->y;
    return true;
}

// The kit's first colour in the display palette of the kit's data.
uint8_t team_colour(int32_t team)
{
    const int32_t club = team == 0 ? game_settings.home_team : game_settings.away_team;
    return static_cast<uint8_t>(96 + 2 * (club & 15) + team);
}

void draw_ground_and_markers(uint8_t* screen)
{
    draw_sw_ground_objects(screen, pitch_texture ? pitch_texture + 4 : nullptr,
                           ground_texture ? ground_texture + 4 : nullptr);
    draw_sw_pitch(screen);
    if (sw_ground_display_flag) draw_pitch_lines(screen);
    draw_sw_extra(screen, sky_picture);
    draw_sw_shadows(screen);
    draw_sw_ground_markers(screen);
    const int32_t view = presentation::camera_view();
    if (view == 3 || view == 8) draw_sw_view_markers(screen);
}

} // namespace

void load_sprite_file()
{
    free_sprite_file();
    general_sprite_widths = load_file("game_gfx\\software\\gen_spr.wth", &general_sprite_widths_size);
}

void free_sprite_file()
{
    if (general_sprite_widths) free_mem(general_sprite_widths);
    general_sprite_widths = nullptr;
    general_sprite_widths_size = 0;
}

void clear_frame_surface(Surface* surface)
{
    int32_t pitch = 0;
    uint8_t* pixels = lock_surface(surface, &pitch, nullptr);
    for (int32_t y = 0; y < surface->height; ++y)
        std::memset(pixels + static_cast<size_t>(y) * static_cast<size_t>(pitch), 0, static_cast<size_t>(surface->width));
    unlock_surface(surface, pixels);
}

Surface* sw_frame_surface() { return back_surface; }

void software_prerender()
{
    fade_palette(0, 255, nullptr, 12);
    // Every texture and sprite of the ground is touched once before play.
    for (int round = 0; round < 4; ++round) {
        int32_t yaw = 0;
        for (int frame = 0; frame < 8; ++frame) {
            camera_globals.x = 0, camera_globals.y = 200, camera_globals.z = 0;
            camera_globals.pitch = 0;
            camera_globals.yaw = yaw;
            draw_software_frame();
            yaw += 2048;
        }
    }
    presentation::set_camera_view(3);
    presentation::update_match_camera();
    draw_software_frame();
    fade_palette(0, 255, sw_weather_palette, 12);
}

void pose_sw_bones(const PlayerSlot& man, sw_bone_record bones[16])
{
    const FigurePose& f = man.model;
    for (int j = 0; j < 16; ++j) {
        int32_t p[3];
        float a[3];
        eval_animation(nullptr, p, a, f.primary.animation, f.primary.time, j, f.heading);
        bones[j].x = static_cast<float>(f.x + p[0]) / 256.0f * UNIT;
        bones[j].y = static_cast<float>(f.height + p[1]) / 256.0f * UNIT;
        bones[j].z = static_cast<float>(f.y + p[2]) / 256.0f * UNIT;
    }
    // Each part's picture lies along its bone's axis, the second row of the
    // bone's matrix: from the joint towards the next joint of the limb (the
    // torso's towards the head, which it carries; a foot's forward along the
    // ground), so that the parts meet wherever the pose puts the joints.
    // The first row is the man's right as far as it is square to the axis.
    const double heading = f.heading * (2.0 * 3.141592653589793 / 16384.0);
    const double forward[3] = {std::sin(heading), 0.0, std::cos(heading)};
    const double right[3] = {std::cos(heading), 0.0, -std::sin(heading)};
    for (int j = 0; j < 16; ++j) {
        const int toward = SW_BONE_TOWARD[j];
        double axis[3] = {0.0, 1.0, 0.0};
        if (toward == SW_BONE_FORWARD) {
            std::copy(forward, forward + 3, axis);
        } else if (toward >= 0) {
            axis[0] = bones[toward].x - bones[j].x;
            axis[1] = bones[toward].y - bones[j].y;
            axis[2] = bones[toward].z - bones[j].z;
        }
        set_bone_axis(axis, right, forward, bones[j].m);
    }
}

void draw_sw_men_and_ball()
{
    MatchGlobals& m = match_globals;
    m.ball_in_hand = 0;
    sw_bone_record bones[16];
    auto prepare = [&](PlayerSlot& man, const sprite_set_table* kit) {
        sync_man_display(&man);
        const bool carries = prepare_man_and_ball_display(&man, 0) == MAN_LEVEL_BALL_IN_HAND;
        if (carries) m.ball_in_hand = 1;
        pose_sw_bones(man, bones);
        add_sw_display_entry(bones, kit, 65536, carries ? 1 : 0);
    };
    for (int t = 0; t < 2; ++t)
        for (int i = 0; i < GROUND_MEN; ++i)
            if (!team_records[t].slots[i].busy_flag) prepare(team_records[t].slots[i], t == 0 ? &home_sprite_sets : &away_sprite_sets);
    // The field and boundary umpires wear one kit, the goal umpires another.
    for (int u = 0; u < OFFICIAL_COUNT; ++u)
        prepare(official_slots[u], u < 3 ? &official_sprite_sets : &other_official_sprite_sets);
    m.ball_shown = !m.ball_in_hand;
    if (m.ball_shown) {
        const BallState& b = ball_state;
        double rotation[9];
        make_rotation_matrix_xyz(b.spin_angle[0] & 0x3FFF, b.spin_angle[1] & 0x3FFF, b.spin_angle[2] & 0x3FFF, rotation);
        place_sw_object(ball_sprite_offsets, round_away(b.x / 65536.0 * UNIT), round_away(b.z / 65536.0 * UNIT),
                        round_away(b.y / 65536.0 * UNIT), rotation);
    }
    display_3D_man();
}

void draw_sw_shadows(uint8_t* screen)
{
    if (!shadow_texture) return;
    auto shadow = [&](int32_t x, int32_t y, int32_t size) {
        draw_sw_ground_texture_alpha(round_away(x * UNIT), 0, round_away(y * UNIT), size, screen, shadow_texture,
                                     MARKER_SIDE, MARKER_SIDE, &shadow_alpha_table[0][0]);
    };
    for_each_man_on_ground([&](PlayerSlot& man) { shadow(man.x, man.y, 50); });
    if (!ball_held()) shadow(ball_whole_x(), ball_whole_y(), 25);
}

void draw_sw_ground_markers(uint8_t* screen)
{
    const MatchGlobals& m = match_globals;
    if (presentation::replay_playback_active()) return;
    if (m.match_state == THROW_IN_READY)
        for (int t = 0; t < 2; ++t) {
            float x, y, z;
            if (team_records[t].human_count && presentation::team_marker_point(t, &x, &y, &z))
                ground_marker(screen, MARKER_TEXTURE_RING, static_cast<int32_t>(x), static_cast<int32_t>(z), 60);
        }
    const BallState& b = ball_state;
    if ((b.flight_flags & FLIGHT_KICKED) && !ball_held() && b.z > 0)
        ground_marker(screen, MARKER_TEXTURE_LANDING, b.landing_x, b.landing_y,
                      25 + static_cast<int32_t>((b.z >> 16) * 0.0390625));
    // The controlled men's rings turn through their four frames, eight ticks each.
    const uint8_t* ring = controlled_marker_frames[(m.total_ticks >> 3) & (SW_MARKER_FRAMES - 1)];
    const bool loose = ball_loose_in_air();
    for (const controller_record& c : controllers) {
        PlayerSlot* man = c.side && c.present ? c.men[0] : nullptr;
        if (!man) continue;
        marker_on_ground(screen, ring, man->x, man->y, 40);
        // Where he could reach the ball: wider for a leap at it.
        if (loose)
            if (const int32_t action = jump_catch_indicator(man))
                ground_marker(screen, MARKER_TEXTURE_REACH, man->x, man->y, action == 71 ? 70 : 55);
    }
    const PlayerSlot* kicker = m.controlled_man_a;
    int32_t sx = 0, sy = 0;
    if (set_play_state(m.match_state) && under_human_control(kicker) && kicker->action != kicker->set_action &&
        set_play_spot_point(*kicker, &sx, &sy))
        ground_marker(screen, MARKER_TEXTURE_SPOT, sx, sy, 45);
    if (m.ball_holder) ground_marker(screen, MARKER_TEXTURE_HOLDER, m.ball_holder->x, m.ball_holder->y, 45);
}

void draw_sw_view_markers(uint8_t* screen)
{
    const MatchGlobals& m = match_globals;
    PlayerSlot* holder = m.ball_holder;
    if (presentation::replay_playback_active() || !holder || !arrow_work_texture) return;
    if (!under_human_control(holder)) return;
    // In view 8 the arrows turn with the view.
    const int32_t turn = presentation::camera_view() == 8 ? 2 * (camera_globals.yaw >> 11) : 0;
    std::memset(arrow_work_texture, 0, SW_SMALL_TEXTURE);
    auto lay = [&](const auto* list, uint8_t* const* pictures) {
        uint8_t done = 0;
        for (int i = 0; i < 19 && (list[i].man || list[i].goal); ++i) {
            const int32_t dir = ((((list[i].angle + 16) >> 5) & 7) + turn) & 7;
            if ((done & (1 << dir)) || !pictures[dir]) continue;
            done |= static_cast<uint8_t>(1 << dir);
            for (uint32_t t = 0; t < SW_SMALL_TEXTURE; ++t)
                if (pictures[dir][t]) arrow_work_texture[t] = pictures[dir][t];
        }
    };
    lay(m.handball_list, pass_frames);
    lay(m.kick_list, kick_frames);
    draw_sw_ground_marker(round_away(holder->x * UNIT), 0, round_away(holder->y * UNIT), 90, screen, arrow_work_texture,
                          MARKER_SIDE, MARKER_SIDE, &arrow_alpha_table[0][0]);
}

void draw_sw_radar()
{
    Surface* s = sw_frame_surface();
    if (!s) return;
    const MatchGlobals& m = match_globals;
    int32_t pitch = 0;
    uint8_t* pixels = lock_surface(s, &pitch, nullptr);
    auto plot = [&](int32_t x, int32_t y, uint8_t colour) {
        if (x >= 0 && y >= 0 && x < s->width && y < s->height) pixels[static_cast<size_t>(y) * pitch + x] = colour;
    };
    // The radar object: a dark panel of the ground at 1/256 with a light rim.
    const int32_t left = m.radar_x + 432, top = m.radar_y + 10;
    for (int32_t y = 0; y < 128; ++y)
        for (int32_t x = 0; x < 192; ++x)
            plot(left + x, top + y, (x == 0 || y == 0 || x == 191 || y == 127) ? 12 : 17);
    // The free view turns the radar with it, so that up is where the camera looks.
    const bool turned = presentation::camera_view() == 8;
    const double yaw = camera_globals.yaw * (2.0 * 3.141592653589793 / 16384.0);
    const double c = std::cos(yaw), sn = std::sin(yaw);
    auto dot = [&](int32_t x, int32_t y, uint8_t colour) {
        if (!in_field(static_cast<int16_t>(x), static_cast<int16_t>(y))) return;
        int32_t sx = radar_screen_x(x), sy = radar_screen_y(y);
        if (turned) {
            sx = left + 96 + round_away((x * c - y * sn) / 256.0);
            sy = top + 64 - round_away((x * sn + y * c) / 256.0);
            // Turned, the ground's ends can reach past the panel.
            if (sx < left || sy < top || sx + 1 >= left + 192 || sy + 1 >= top + 128) return;
        }
        plot(sx, sy, colour), plot(sx + 1, sy, colour), plot(sx, sy + 1, colour), plot(sx + 1, sy + 1, colour);
    };
    for (int t = 0; t < 2; ++t)
        for (int i = 0; i < GROUND_MEN; ++i) {
            const PlayerSlot& man = team_records[t].slots[i];
            dot(man.x, man.y, &man == m.ball_holder ? 12 : team_colour(t));
        }
    for (const PlayerSlot& u : official_slots) dot(u.x, u.y, 160);
    if (!ball_held()) dot(ball_whole_x(), ball_whole_y(), 162);
    unlock_surface(s, pixels);
}

void draw_sw_kick_flash(float level)
{
    Surface* s = sw_frame_surface();
    if (!s) return;
    int32_t pitch = 0;
    uint8_t* pixels = lock_surface(s, &pitch, nullptr);
    // A white band across the middle that narrows as the flash runs out.
    const int32_t half = static_cast<int32_t>((100.0f - level) * 0.4f);
    const int32_t mid = s->height / 2;
    for (int32_t y = mid - half; y < mid + half; ++y)
        if (y >= 0 && y < s->height)
            for (int32_t x = y & 1; x < s->width; x += 2) pixels[static_cast<size_t>(y) * pitch + x] = 12;
    unlock_surface(s, pixels);
}

bool project_man_to_screen(const PlayerSlot& man, int32_t out_xy[2], int32_t* out_depth)
{
    const int32_t depth = project_world_point(round_away(man.x * UNIT), round_away(man.z * UNIT),
                                              round_away(man.y * UNIT), &out_xy[0], &out_xy[1]);
    if (out_depth) *out_depth = depth;
    return depth > 0;
}

void draw_software_frame()
{
    MatchGlobals& m = match_globals;
    Surface* s = sw_frame_surface();
    if (!s) return;
    // The screen stays dark while a cut runs the match on.
    if (m.pending_cut_state != -1 && !m.closing_transition_running) return;
    if (held(KEYCODE_R) && ctrl_held()) {
        m.radar_shown = !m.radar_shown;
        key_state[KEYCODE_R] = key_state[KEYCODE_LCTRL] = key_state[KEYCODE_RCTRL] = 0;
    }
    if (held(KEYCODE_L) && ctrl_held()) {
        sw_ground_display_flag = !sw_ground_display_flag;
        key_state[KEYCODE_L] = key_state[KEYCODE_LCTRL] = key_state[KEYCODE_RCTRL] = 0;
    }
    clear_frame_surface(s);
    int32_t pitch = 0;
    uint8_t* screen = lock_surface(s, &pitch, nullptr);
    draw_ground_and_markers(screen);
    unlock_surface(s, screen);
    draw_sw_men_and_ball();
    draw_sw_meshes();
    if (m.kick_flash_running) draw_sw_kick_flash(m.kick_flash_level);
    const bool playback = presentation::replay_playback_active() != 0;
    if (!playback) presentation::draw_score_clock();
    draw_name_labels();
    if (screenshot_state == 2) {
        take_screenshot();
        screenshot_state = 0;
    } else if (screenshot_state == 1) {
        screenshot_state = 2;
    }
    draw_frame_overlays();
    if (m.radar_shown && !playback) draw_sw_radar();
    flush_sprites();
}
