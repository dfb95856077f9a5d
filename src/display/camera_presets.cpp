#include "display/camera_presets.h"

#include "display/replay.h"
#include "display/replay_screen.h"
#include "gl3d/angle_maths.h"
#include "gl3d/hw_camera.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "platform/app_state.h"
#include "platform/input.h"
#include "platform/mouse.h"
#include "model/skeleton.h"
#include "players/man_display.h"
#include "players/man_queries.h"

#include <cmath>
#include <cstring>
#include <memory>

CameraPreset camera_presets[CAMERA_PRESETS];
int32_t camera_view = 3;
CameraPreset* current_camera = &camera_presets[3];
int32_t camera_resetup;
int32_t last_camera_state;
int32_t free_camera_side;
int32_t free_camera_height;
int32_t follow_kind;
PlayerSlot* follow_man;
AutoCameraRequest auto_camera_request;
int32_t auto_camera_active;
ReplayOrbit replay_orbit = {{0, 0, 0}, 0, 0, 0, 0, 0, 0, 0, 50.0, 0};

namespace {

constexpr double kCameraUnits = 0.390625;

enum : uint8_t {
    SCAN_F1 = 59, SCAN_F2 = 60, SCAN_F3 = 61, SCAN_F4 = 62, SCAN_F5 = 63, SCAN_F6 = 64, SCAN_F7 = 65,
    SCAN_F8 = 66, SCAN_F9 = 67, SCAN_LCTRL = 29, SCAN_RCTRL = 157, SCAN_PGUP = 201, SCAN_PGDN = 209,
};

struct PresetDefault {
    uint32_t flags;
    int32_t start[3];
    int32_t steps;
    double max_speed;
    int32_t distance;
};
// clang-format off
constexpr PresetDefault kDefaults[CAMERA_PRESETS] = {
    {0x1C1FA, {0, 1000, -2693},     400, 100,  2500},
    {0x1C1FA, {0, 1200, -1300},     400, 100,  1200},
    {0x1F5F2, {0, 1500, -6400},     550, 9000, 500},
    {0x1E0FA, {0, 2000, -2000},     450, 100,  0},
    {0x1E1FA, {-2000, 2000, -2000}, 450, 9000, 0},
    {0x1D5FA, {1500, 800, 0},       450, 9000, 1500},
    {0x1D5FA, {-1500, 800, 0},      450, 9000, 1500},
    {0x21FE,  {0, 800, -6400},      400, 0,    0},
    {0x1E1FE, {0, 1200, -1300},     400, 100,  1200},
    {0x1FA,   {0, 1200, -1300},     400, 100,  1200},
};
// Latched view keys in the order they are taken.
constexpr struct { uint8_t key; int32_t view; } kViewKeys[] = {
    {SCAN_F4, 0}, {SCAN_F3, 1}, {SCAN_F8, 2}, {SCAN_F1, 3}, {SCAN_F5, 4},
    {SCAN_F6, 5}, {SCAN_F7, 6}, {SCAN_F9, 7}, {SCAN_F2, 8},
};
// clang-format on

int32_t trunc_units(int32_t v) { return static_cast<int32_t>(v * kCameraUnits); }

bool in_playback() { return presentation::replay_playback_active() != 0; }
bool on_replay_screen() { return replay_screen.in_replay != 0; }
bool replaying() { return in_playback() || on_replay_screen(); }
bool fast_winding() { return replaying() && (replay_playback.mode == 6 || replay_playback.mode == 8); }

double clamp_double(double v, double low, double high) { return v < low ? low : (v > high ? high : v); }

// View 9 in a replay: the camera orbits the followed point as the mouse drags.
void orbit_replay_camera(int32_t x, int32_t y, int32_t z)
{
    CameraPreset& c = camera_presets[9];
    ReplayOrbit& o = replay_orbit;
    c.anchor[0] = x, c.anchor[1] = y, c.anchor[2] = z;
    if (!o.suppress_drag && camera_resetup) {
        // The orbit starts from wherever the camera was put.
        for (int i = 0; i < 3; ++i) o.offset[i] = static_cast<int32_t>(c.anchor[i] - c.position[i]);
        c.flags &= ~(CAM_DERIVE_X | CAM_DERIVE_Y | CAM_DERIVE_Z);
        o.turn = o.height = 0;
        // In playback the orbit then turns; the replay screen asks for the
        // re-setup every tick, so its cameras are placed on the point every frame.
        if (!on_replay_screen()) camera_resetup = 0;
    } else if (!o.suppress_drag) {
        int32_t t[3];
        rotate_point_yaw(o.offset[0], o.offset[1], o.offset[2], &t[0], &t[1], &t[2], 16 * o.dx + o.turn);
        c.destination[0] = c.anchor[0] - t[0];
        c.destination[1] = c.anchor[1] - (t[1] + o.height);
        c.destination[2] = c.anchor[2] - t[2];
        c.flags |= CAM_EASE_FOV;
        c.fov_target = o.zoom;
        const MouseState& m = mouse_state;
        if (!m.buttons) {
            if (o.drag_buttons) {
                if (o.drag_buttons == MOUSE_RIGHT) o.zoom += o.dy / 8.0;
                else o.height += 8 * o.dy;
                o.turn += 16 * o.dx;
                o.dx = o.dy = 0;
                o.drag_buttons = 0;
            }
            o.last_x = m.x, o.last_y = m.y;
        } else {
            if (!o.drag_buttons) o.drag_buttons = m.buttons;
            o.dx = m.x - o.last_x, o.dy = m.y - o.last_y;
            if (o.drag_buttons == MOUSE_RIGHT) {
                c.fov_target = c.fov_current = clamp_double(o.zoom + o.dy / 8.0, 10, 86);
            } else {
                // The drag may lift or lower the camera only between 300 and 1500.
                const int32_t reach = static_cast<int32_t>(c.anchor[1]) - t[1] - o.height;
                const int32_t lowest = static_cast<int32_t>(std::ceil((reach - 1500) / 8.0));
                const int32_t highest = static_cast<int32_t>(std::floor((reach - 300) / 8.0));
                if (o.dy < lowest) o.dy = lowest;
                if (o.dy > highest) o.dy = highest;
                int32_t h = reach - 8 * o.dy;
                if (h < 300) h = 300;
                place_camera(&c, static_cast<int32_t>(c.anchor[0]) - t[0], h, static_cast<int32_t>(c.anchor[2]) - t[2]);
                set_camera_point(&c, x, y, z);
            }
        }
    }
    o.zoom = clamp_double(o.zoom, 10, 86);
    c.fov_target = clamp_double(c.fov_target, 10, 86);
    c.fov_current = clamp_double(c.fov_current, 10, 86);
    set_camera_target(&c, x, y, z);
}

// A point in ground units within 15 pixels of the mouse on the drawn picture.
bool under_mouse(double gx, double gheight, double gy, int32_t mx, int32_t my)
{
    const float p[3] = {static_cast<float>(-gx / 2.56), static_cast<float>(-gheight / 2.56), static_cast<float>(gy / 2.56)};
    int32_t sx = 0, sy = 0;
    if (!project_to_screen(p, &sx, &sy)) return false;
    return std::abs(sx - mx) < 15 && std::abs(sy - my) < 15;
}

bool head_under_mouse(const PlayerSlot& man, int32_t mx, int32_t my)
{
    const FigurePose& f = man.model;
    if (f.primary.animation < 0) return false;
    int32_t head[3];
    float angles[3];
    eval_animation(nullptr, head, angles, f.primary.animation, f.primary.time, 8, f.heading);
    return under_mouse((f.x + head[0]) / 256.0, (f.height + head[1]) / 256.0, (f.y + head[2]) / 256.0, mx, my);
}

void set_anchor_xz(CameraPreset& c, double x, double z) { c.anchor[0] = x, c.anchor[2] = z; }

void look_down_from_position(CameraPreset& c)
{
    c.look_at[0] = c.position[0];
    c.look_at[1] = c.position[1] - 1;
    c.look_at[2] = c.position[2] + 1;
}

// The automatic camera's pending request.
std::unique_ptr<AutoCameraRequest> pending;
int32_t look_values[3], position_values[3], staging[3];

double read_source(const void* p, uint8_t width)
{
    if (!p) return 0;
    if (width == 2) {
        int16_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    int32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void start_request(const AutoCameraRequest& r)
{
    int32_t l[3];
    for (int i = 0; i < 3; ++i) l[i] = static_cast<int32_t>(read_source(r.look_source[i], r.look_width) * r.look_scale[i]);
    if (!(r.flags & 1)) place_camera(r.camera, r.start_position[0], r.start_position[1], r.start_position[2]);
    if (!(r.flags & 2) && r.camera) set_camera_point(r.camera, l[0], l[1], l[2]);
    match_globals.restart_countdown = r.duration;
    auto_camera_active = 1;
}

void point_sources(AutoCameraRequest& r, bool look, const int32_t* values, double sx, double sy, double sz)
{
    const double scale[3] = {sx, sy, sz};
    for (int i = 0; i < 3; ++i) {
        (look ? r.look_scale : r.position_scale)[i] = scale[i];
        (look ? r.look_source : r.position_source)[i] = &values[i];
    }
    (look ? r.look_width : r.position_width) = 2;
}

bool holder_in_play() { return match_globals.ball_holder != nullptr && !in_playback(); }

} // namespace

void reset_cameras(int32_t n)
{
    for (int i = 0; i < CAMERA_PRESETS; ++i) {
        if (n != -1 && n != i) continue;
        CameraPreset& c = camera_presets[i];
        const PresetDefault& d = kDefaults[i];
        c = CameraPreset{};
        c.flags = d.flags;
        c.steps = d.steps;
        for (double& m : c.max_speed) m = d.max_speed;
        c.distance = d.distance;
        place_camera(&c, d.start[0], d.start[1], d.start[2]);
        switch (i) {
        case 2: c.fov_target = 20; break;
        case 3: set_camera_point(&c, d.start[0], d.start[1] - 1, d.start[2] + 1); break;
        case 4: c.fov_narrow_step = 0.5, c.fov_widen_step = 0.7; break;
        case 7: for (double& m : c.max_speed) m = 0; break;
        case 8: c.fov_target = c.fov_current = 60; break;
        default: break;
        }
    }
}

void init_camera_system()
{
    auto_camera_active = 0;
    reset_cameras(-1);
    place_camera(&camera_presets[3], 0, 2000, -2000);
    set_camera_point(&camera_presets[3], 0, 0, 0);
    current_camera = &camera_presets[camera_view];
}

void setup_camera_preset(int32_t n, int32_t x, int32_t y, int32_t z)
{
    if (n < 0 || n >= CAMERA_PRESETS) return;
    CameraPreset& c = camera_presets[n];
    auto_camera_active = 0;
    switch (n) {
    case 2: c.anchor[0] = x * 160 / 192, c.anchor[1] = 1500, c.anchor[2] = z; break;
    case 3: c.anchor[0] = x, c.anchor[1] = 2000, c.anchor[2] = z - 2000; break;
    case 4: c.anchor[0] = x - 2000, c.anchor[1] = 2000, c.anchor[2] = z - 2000; break;
    case 8: free_camera_control(x, y, z, 1); break;
    default: c.anchor[0] = x, c.anchor[1] = y, c.anchor[2] = z; break;
    }
    c.flags &= ~0x8004u;
    for (int i = 0; i < 3; ++i) c.velocity[i] = c.acceleration[i] = 0;
    switch (n) {
    case 0:
        c.destination[0] = x, c.destination[1] = 1000, c.destination[2] = z - 2693;
        std::memcpy(c.position, c.destination, sizeof c.position);
        break;
    case 1:
    case 9: {
        camera_resetup = 1;
        const double dx = x - std::trunc(c.position[0]), dz = z - std::trunc(c.position[2]);
        const double d = std::sqrt(dx * dx + dz * dz) - 2693;
        const double yaw = std::trunc(c.yaw) * 3.14159265358979 / 8192;
        c.position[0] += std::sin(yaw) * d;
        c.position[2] += std::cos(yaw) * d;
        std::memcpy(c.destination, c.position, sizeof c.position);
        break;
    }
    case 2:
        c.destination[0] = c.anchor[0];
        camera_update(&c);
        c.position[0] = std::trunc(c.destination[0]);
        c.ix = static_cast<int32_t>(c.position[0]);
        break;
    case 3:
        c.destination[0] = c.anchor[0], c.destination[2] = c.anchor[2];
        c.position[0] = std::trunc(c.anchor[0]), c.position[2] = std::trunc(c.anchor[2]);
        c.ix = static_cast<int32_t>(c.position[0]), c.iz = static_cast<int32_t>(c.position[2]);
        break;
    case 5:
    case 6:
        c.destination[0] = c.anchor[0], c.destination[2] = c.anchor[2];
        camera_update(&c);
        c.position[0] = std::trunc(c.destination[0]), c.position[2] = std::trunc(c.destination[2]);
        c.ix = static_cast<int32_t>(c.position[0]), c.iz = static_cast<int32_t>(c.position[2]);
        break;
    default: break;
    }
    if (n != 3 && n != 4) set_camera_point(&c, x, y, z);
}

void setup_all_camera_presets(int32_t x, int32_t y, int32_t z)
{
    for (int n = 0; n < CAMERA_PRESETS; ++n) setup_camera_preset(n, x, y, z);
}

void compute_camera_view(int32_t x, int32_t y, int32_t z)
{
    CameraPreset* p = camera_presets;
    const MatchGlobals& m = match_globals;
    const uint8_t state = m.match_state;
    const bool playback = in_playback();
    const bool auto7 = auto_camera_active && auto_camera_request.camera == &p[7];
    const bool seven_free = !auto7 && !auto_camera_active;
    free_camera_control(x, y, z, 0);
    if (fast_winding())
        for (int n : {9, 0, 2, 4, 5, 6}) set_camera_point(&p[n], x, y, z);
    else
        for (int n : {1, 0, 2, 4, 5, 6}) set_camera_target(&p[n], x, y, z);
    p[5].reference_point[0] = -9600, p[5].reference_point[1] = 0, p[5].reference_point[2] = 0;
    p[6].reference_point[0] = 9600, p[6].reference_point[1] = 0, p[6].reference_point[2] = 0;
    // Preset 3's anchor and zoom by the play.
    const BallState& b = ball_state;
    const bool rising = b.vz > 0;
    const PlayerSlot* controlled = m.controlled_man_a;
    auto set3 = [&](double ax, double az, double fov3, double fov7) {
        set_anchor_xz(p[3], ax, az - 2000);
        p[3].fov_target = fov3;
        if (fov7 > 0 && seven_free) p[7].fov_target = fov7;
    };
    if ((b.flight_flags & 0x60) == 0x60 && b.prev_bounce_phase == 0 && ((b.z >> 16) > 608 || b.vz < 0) && !playback) {
        set3(b.landing_x * kCameraUnits, b.landing_y * kCameraUnits, rising ? 60 : 30, rising ? 40 : 25);
    } else if (state == 41 || state == 9) {
        set3(x, z, 60, 40);
    } else if ((state == 20 || state == 23 || state == 24) && use_3d_hardware) {
        set3(0, 0, 20, 0);
    } else if ((state == 42 || state == 56 || state == 8) && controlled && controlled->contest_group != nullptr && !playback) {
        const bool kicking = is_kicking(controlled);
        const double cx = kicking ? controlled->x : controlled->target_x;
        const double cy = kicking ? controlled->y : controlled->target_y;
        set3(std::trunc(cx * kCameraUnits), std::trunc(cy * kCameraUnits), 60, 40);
    } else if ((state == 37 || state == 38 || state == 39 || state == 54) && !playback) {
        // The throw-in spot drawn an eighth of the way in toward the middle.
        const int32_t sx = m.mark_x - m.mark_x / 8, sy = m.mark_y - m.mark_y / 8;
        set3(trunc_units(sx), trunc_units(sy), 50, 0);
    } else if ((state == 13 || state == 53) && !playback) {
        // The landing point is in ground units like every other row.
        set3(std::trunc(b.landing_x * kCameraUnits), std::trunc(b.landing_y * kCameraUnits), 30, 30);
    } else if (holder_in_play()) {
        const PlayerSlot* h = m.ball_holder;
        set3(std::trunc(h->x * kCameraUnits), std::trunc(h->y * kCameraUnits), (h->man_flags & 2) ? 60 : 30, 40);
    } else {
        set3(x, z, 30, 25);
        p[3].anchor[1] = 2000;
    }
    if (!(auto_camera_active && auto_camera_request.camera == &p[1])) {
        p[1].distance = 1200;
        set_anchor_xz(p[1], x, z);
    }
    if (!((state == 4 || state == 5) && !playback)) {
        p[0].distance = 2500;
        set_anchor_xz(p[0], x, z);
        look_down_from_position(p[3]);
    }
    if (playback && state != last_camera_state) {
        if (state == 10) setup_all_camera_presets(trunc_units(b.x >> 16), trunc_units(b.z >> 16), trunc_units(b.y >> 16));
        if (state == 41 && last_camera_state == 5 && controlled)
            setup_all_camera_presets(trunc_units(controlled->x), trunc_units(controlled->z), trunc_units(controlled->y));
        last_camera_state = state;
    }
    if (seven_free) {
        set_camera_target(&p[7], x, y, z);
        p[7].anchor[0] = 0, p[7].anchor[1] = 800, p[7].anchor[2] = -6400;
    }
    p[2].fov_target = p[2].fov_current = 50.0 - (z + 6400.0) / 12800.0 * 30.0;
    p[2].anchor[0] = x * 160 / 192;
    set_anchor_xz(p[4], x - 2000, z - 2000);
    set_anchor_xz(p[5], x, z);
    set_anchor_xz(p[6], x, z);
    if (holder_in_play()) {
        p[2].flags &= ~0xF0u, p[3].flags &= ~0xF0u;
        p[3].look_at[0] = p[3].anchor[0], p[3].look_at[1] = y, p[3].look_at[2] = z;
    } else {
        p[2].flags |= 0xF0u, p[3].flags |= 0xF0u;
        look_down_from_position(p[3]);
    }
}

bool camera_target_point(int32_t* x, int32_t* y, int32_t* z)
{
    if (follow_kind == 1 && follow_man) {
        const PlayerSlot* man = follow_man;
        const FigurePose& f = man->model;
        int32_t joint[3];
        if (f.primary.animation >= 0) {
            // The head as it is drawn now, so the camera rises with a leap.
            float angles[3];
            eval_animation(nullptr, joint, angles, f.primary.animation, f.primary.time, 8, f.heading);
            joint[1] >>= 8;
        } else {
            get_joint_position(joint, man, man->primary_animation, 0, 0, man->facing, 8);
        }
        *x = trunc_units(man->x), *y = trunc_units(joint[1]), *z = trunc_units(man->y);
        return true;
    }
    // With nothing picked a replay follows the ball.
    *x = trunc_units(ball_state.x >> 16), *y = trunc_units(ball_state.z >> 16), *z = trunc_units(ball_state.y >> 16);
    return true;
}

void update_match_camera()
{
    const MatchGlobals& m = match_globals;
    const bool replay = replaying();
    int32_t x, y, z;
    if (replay) {
        camera_target_point(&x, &y, &z);
    } else if (m.match_state == 100) {
        const PlayerSlot& first = team_records[0].slots[0];
        x = trunc_units(first.x), y = trunc_units(first.z), z = trunc_units(first.y);
    } else {
        x = trunc_units(ball_state.x >> 16), y = trunc_units(ball_state.z >> 16), z = trunc_units(ball_state.y >> 16);
    }
    compute_camera_view(x, y, z);
    if (auto_camera_active) update_automatic_camera();
    if (on_replay_screen()) {
        // The replay screen watches from the orbit camera, placed afresh each tick.
        camera_view = 9;
        camera_resetup = 1;
        replay_orbit.suppress_drag = 0;
    }
    current_camera = auto_camera_active && auto_camera_request.camera ? auto_camera_request.camera
                                                                      : &camera_presets[camera_view];
    if (replay && camera_view == 9) orbit_replay_camera(x, y, z);
    if (!replay) camera_resetup = 0;
    for (CameraPreset& c : camera_presets) camera_update(&c);
    if (current_camera != nullptr && (current_camera < camera_presets || current_camera >= camera_presets + CAMERA_PRESETS))
        camera_update(current_camera);
    publish_camera_position(current_camera);
    publish_camera_angles(current_camera);
    set_camera_fov(current_camera);
}

int32_t pick_follow_target(int32_t mouse_x, int32_t mouse_y, PlayerSlot** follow)
{
    if (!use_3d_hardware) return 0;
    auto pick = [&](PlayerSlot* man) {
        follow_kind = man ? 1 : 2;
        follow_man = man;
        if (follow) *follow = man;
        return 1;
    };
    for (TeamRecord& team : team_records)
        for (PlayerSlot& man : team.slots)
            if (head_under_mouse(man, mouse_x, mouse_y)) return pick(&man);
    for (PlayerSlot& official : official_slots)
        if (head_under_mouse(official, mouse_x, mouse_y)) return pick(&official);
    const BallState& b = ball_state;
    if (under_mouse(b.x / 65536.0, b.z / 65536.0, b.y / 65536.0, mouse_x, mouse_y)) return pick(nullptr);
    return 0;
}

void camera_select_by_keys()
{
    const bool replay = replaying();
    const MouseState& mouse = mouse_state;
    if (replay && (mouse.new_buttons & MOUSE_LEFT) && !mouse_on_replay_panel(mouse.x, mouse.y))
        camera_resetup = pick_follow_target(mouse.x, mouse.y, nullptr);
    for (const auto& k : kViewKeys) {
        if (!key_state[k.key]) continue;
        key_state[k.key] = 0;
        // F4 in view 0 is taken and does nothing.
        const int32_t view = k.key == SCAN_F3 && replay ? 9 : k.view;
        if (view != camera_view) {
            camera_view = view;
            camera_resetup = 1;
        }
        break;
    }
    if (replay && camera_resetup) {
        int32_t x, y, z;
        if (camera_target_point(&x, &y, &z)) setup_all_camera_presets(x, y, z);
    }
}

void free_camera_control(int32_t x, int32_t y, int32_t z, int32_t snap)
{
    CameraPreset& c = camera_presets[8];
    if ((key_state[SCAN_LCTRL] || key_state[SCAN_RCTRL]) && camera_view == 8) {
        if (key_state[KEY_LEFT]) key_state[KEY_LEFT] = 0, free_camera_side = free_camera_side == 0 ? 3 : free_camera_side - 1;
        if (key_state[KEY_RIGHT]) key_state[KEY_RIGHT] = 0, free_camera_side = free_camera_side == 3 ? 0 : free_camera_side + 1;
        if (key_state[KEY_UP]) key_state[KEY_UP] = 0, free_camera_height = free_camera_height < 2 ? free_camera_height + 1 : 2;
        if (key_state[KEY_DOWN]) key_state[KEY_DOWN] = 0, free_camera_height = free_camera_height > 0 ? free_camera_height - 1 : 0;
    }
    if (key_state[SCAN_PGDN]) c.fov_target = c.fov_target + 1 > 90 ? 90 : c.fov_target + 1, c.fov_current = c.fov_target;
    if (key_state[SCAN_PGUP]) c.fov_target = c.fov_target - 1 < 25 ? 25 : c.fov_target - 1, c.fov_current = c.fov_target;
    // A quarter turn a side, in whole units so the camera sits exactly on the axis.
    const double a = free_camera_side * 4096 * 3.14159265358979 / 8192;
    const double tx = std::round(1200 * std::sin(a)), tz = std::round(1200 * std::cos(a));
    const double point[3] = {x - tx, static_cast<double>(y + 500 * free_camera_height + 200), z - tz};
    c.distance = 0;
    for (int i = 0; i < 3; ++i) c.anchor[i] = c.destination[i] = c.reference_point[i] = point[i];
    if (snap) {
        std::memcpy(c.position, point, sizeof point);
        c.ix = static_cast<int32_t>(point[0]), c.iy = static_cast<int32_t>(point[1]), c.iz = static_cast<int32_t>(point[2]);
    }
    const bool along_z = free_camera_side == 0 || free_camera_side == 2;
    c.look_at[0] = along_z ? c.position[0] : x;
    c.look_at[1] = y;
    c.look_at[2] = along_z ? z : c.position[2];
    c.flags |= 0x1C04;
}

const AutoCameraRequest* pending_auto_camera() { return pending.get(); }

void track_camera_target(const AutoCameraRequest* r)
{
    if (auto_camera_active && auto_camera_request.duration != 0) {
        if (!pending) pending = std::make_unique<AutoCameraRequest>();
        *pending = *r;
        return;
    }
    auto_camera_request = *r;
    start_request(auto_camera_request);
}

void update_automatic_camera()
{
    AutoCameraRequest& r = auto_camera_request;
    if (r.camera) {
        for (int i = 0; i < 3; ++i) {
            if (r.look_source[i]) r.camera->look_at[i] = read_source(r.look_source[i], r.look_width) * r.look_scale[i];
            if (r.position_source[i])
                r.camera->anchor[i] = read_source(r.position_source[i], r.position_width) * r.position_scale[i];
        }
    }
    if (match_globals.restart_countdown > 0 || r.duration <= 0) return;
    if (pending) {
        r = *pending;
        pending.reset();
        start_request(r);
        return;
    }
    current_camera = &camera_presets[camera_view];
    void (*finish)() = r.on_finish;
    auto_camera_active = 0;
    r = AutoCameraRequest{};
    if (finish) finish();
}

void choose_automatic_camera(PlayerSlot* man, int32_t duration)
{
    CameraPreset& c = camera_presets[7];
    const MatchGlobals& m = match_globals;
    const double remembered = c.fov_current;
    c.fov_narrow_step = 1.0;
    if (m.selected_man && m.selected_man != man) return;
    if ((man->man_flags & 0x40) && (m.match_state == 44 || m.match_state == 3)) return;
    look_values[0] = man->x, look_values[1] = 180, look_values[2] = man->y;
    const int32_t z = man->y <= 0 ? 6400 : -6400;
    const bool goal_umpire = man == &official_slots[3] || man == &official_slots[4];
    if (goal_umpire) {
        const int32_t gx = static_cast<int32_t>(std::lround(14322 * kCameraUnits));
        staging[0] = man->x <= 0 ? -gx : gx, staging[1] = 500, staging[2] = trunc_units(man->y);
    } else {
        staging[0] = trunc_units(man->x), staging[1] = m.match_state == 47 ? 800 : 1100, staging[2] = z;
        if (m.match_state == 52 && man == &official_slots[0]) c.fov_narrow_step = 0.1;
    }
    c.fov_target = 10;
    if (m.restart_countdown != 0) return;
    c.fov_current = remembered;
    AutoCameraRequest r{};
    std::memcpy(r.start_position, staging, sizeof staging);
    r.duration = duration;
    r.camera = &c;
    c.flags |= 0x1E0FE;
    c.distance = 0;
    if (use_3d_hardware) c.fov_current = 10, r.start_position[1] += 7;
    point_sources(r, true, look_values, kCameraUnits, 1.0, kCameraUnits);
    track_camera_target(&r);
}

void follow_man_with_camera(PlayerSlot* man, int32_t duration)
{
    CameraPreset* c = current_camera ? current_camera : &camera_presets[camera_view];
    if (!man) return;
    // The camera stays where it stands and turns to keep the man in view.
    AutoCameraRequest r{};
    r.flags = 1;
    r.duration = duration;
    r.camera = c;
    r.look_width = 2;
    const double scale[3] = {kCameraUnits, 1.0, kCameraUnits};
    const void* source[3] = {&man->x, &man->z, &man->y};
    for (int i = 0; i < 3; ++i) r.look_scale[i] = scale[i], r.look_source[i] = source[i];
    track_camera_target(&r);
}

void set_camera_for_situation(int32_t x, int32_t y, int32_t z, int32_t fov, int32_t n)
{
    if (n < 0 || n >= CAMERA_PRESETS) return;
    CameraPreset& c = camera_presets[n];
    const MatchGlobals& m = match_globals;
    c.fov_narrow_step = 1.0;
    switch (m.match_state) {
    case 3:
    case 44:
        staging[0] = trunc_units(x), staging[1] = trunc_units(y), staging[2] = trunc_units(z) - 2000;
        break;
    case 15:
    case 17:
    case 19:
        staging[0] = trunc_units(m.gather_x), staging[1] = m.match_state == 19 ? 6000 : 400;
        staging[2] = trunc_units(m.gather_y);
        if (m.match_state != 19) c.fov_narrow_step = 0.1;
        break;
    case 58:
        staging[0] = static_cast<int32_t>((m.kick_out_spot_x > 0 ? 25586 : -25586) * kCameraUnits);
        staging[1] = 600, staging[2] = 0;
        break;
    default: break;
    }
    look_values[0] = x, look_values[1] = y, look_values[2] = z;
    if (m.restart_countdown != 0) return;
    c.fov_target = c.fov_current = fov;
    c.flags |= 0x1E1FE;
    c.distance = 0;
    AutoCameraRequest r{};
    r.duration = 2147483647;
    r.camera = &c;
    std::memcpy(r.start_position, staging, sizeof staging);
    if (use_3d_hardware) r.start_position[1] += 7;
    point_sources(r, true, look_values, kCameraUnits, kCameraUnits, kCameraUnits);
    track_camera_target(&r);
}

void set_camera_position(int32_t x, int32_t y, int32_t z, int32_t max_x, int32_t max_y, int32_t max_z)
{
    if (!auto_camera_active) return;
    position_values[0] = x, position_values[1] = y, position_values[2] = z;
    if (match_globals.restart_countdown == 0 || !auto_camera_request.camera) return;
    CameraPreset& c = *auto_camera_request.camera;
    const int32_t max[3] = {max_x, max_y, max_z};
    for (int i = 0; i < 3; ++i) c.acceleration[i] = 100, c.max_speed[i] = max[i];
    point_sources(auto_camera_request, false, position_values, kCameraUnits, kCameraUnits, kCameraUnits);
}

void set_camera_look_at(int32_t x, int32_t y, int32_t z, double fov)
{
    if (!auto_camera_active) return;
    look_values[0] = x, look_values[1] = y, look_values[2] = z;
    if (match_globals.restart_countdown == 0 || !auto_camera_request.camera) return;
    auto_camera_request.camera->fov_target = fov;
    point_sources(auto_camera_request, true, look_values, kCameraUnits, kCameraUnits, kCameraUnits);
}

void reset_camera_presets()
{
    for (CameraPreset& c : camera_presets) c = CameraPreset{};
    camera_view = 3;
    current_camera = &camera_presets[3];
    camera_resetup = last_camera_state = free_camera_side = free_camera_height = 0;
    follow_kind = 0;
    follow_man = nullptr;
    replay_orbit = ReplayOrbit{{0, 0, 0}, 0, 0, 0, 0, 0, 0, 0, 50.0, 0};
    auto_camera_request = AutoCameraRequest{};
    auto_camera_active = 0;
    pending.reset();
    reset_camera_globals();
}
