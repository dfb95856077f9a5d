#include "matchscreen/match_screen.h"
#include "matchscreen/sw_match_frame.h"

#include "display/camera_presets.h"
#include "match/game_tick.h"
#include "match/ground.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "match/match_setup.h"
#include "match/officials.h"
#include "players/anim_driver.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/tick_timer.h"
#include "platform/message_pump.h"

#include <initializer_list>
#include <cmath>

int32_t frame_count = 0;

namespace {

bool software_path() { return presentation::use_3d_hardware() == 0; }

bool state_in(uint8_t s, std::initializer_list<uint8_t> states)
{
    for (uint8_t v : states)
        if (v == s)
            return true;
    return false;
}

void queue(int32_t sprite, int32_t x, int32_t y, int32_t b, int32_t alpha)
{
    presentation::queue_sprite(sprite, x, y, 32, b, 256, alpha);
    ++match_globals.overlay_sprite_count;
}

// A paused frame: drawn, shown, and the keys read again.
int32_t pause_frame()
{
    render_match_frame();
    if (software_path())
        presentation::present_frame();
    pump_messages();
    poll_keyboard();
    return 1;
}

void one_frame()
{
    MatchGlobals& m = match_globals;
    if (!m.frame_drawing_off) {
        render_match_frame();
        if (software_path())
            presentation::present_frame();
        update_input_frame();
    }
    timer_update(&match_tick_record);
}

} // namespace

int32_t radar_screen_x(int32_t x)
{
    return match_globals.radar_x + 528 + static_cast<int32_t>(std::lrint(x * 0.390625 * 192.0 / 19200.0));
}

int32_t radar_screen_y(int32_t y)
{
    return match_globals.radar_y + 74 - static_cast<int32_t>(std::lrint(y * 0.390625 * 128.0 / 12800.0));
}

void draw_radar()
{
    MatchGlobals& m = match_globals;
    if (!m.radar_shown)
        return;
    if (!state_in(m.match_state, {10, 11, 19, 20, 52, 57}))
        m.radar_alpha = m.radar_alpha + 4 > 128 ? 128 : m.radar_alpha + 4;
    queue(RADAR_BACKGROUND, m.radar_x + 432, m.radar_y + 10, 200, m.radar_alpha);
    const int32_t dot_alpha = 2 * m.radar_alpha > 255 ? 255 : 2 * m.radar_alpha;
    auto dot = [&](int32_t sprite, int32_t x, int32_t y, int32_t b) {
        if (in_field(static_cast<int16_t>(x), static_cast<int16_t>(y)))
            queue(sprite, radar_screen_x(x), radar_screen_y(y), b, dot_alpha);
    };
    for (int t = 0; t < 2; ++t)
        for (int i = 0; i < GROUND_MEN; ++i) {
            const PlayerSlot& man = team_records[t].slots[i];
            const int32_t sprite =
                &man == m.ball_holder ? RADAR_DOT_HOLDER : (t == 0 ? RADAR_DOT_FIRST_TEAM : RADAR_DOT_SECOND_TEAM);
            dot(sprite, man.x, man.y, 200);
        }
    for (const PlayerSlot& u : official_slots)
        dot(&u == m.umpire_with_ball ? RADAR_DOT_UMPIRE_WITH_BALL : RADAR_DOT_UMPIRE, u.x, u.y, 200);
    if (!m.ball_holder && !m.umpire_with_ball)
        dot(RADAR_DOT_BALL, ball_whole_x(), ball_whole_y(), 250);
}

void play_match(int32_t mode)
{
    MatchGlobals& m = match_globals;
    // 1.
    m.message_keys_enabled = 0;
    m.radar_alpha = 0;
    m.ticks_halted = 0;
    m.closing_transition_running = 0;
    m.opening_transition_running = 0;
    // 2.
    init_match(mode);
    // 3.
    if (software_path())
        software_prerender();
    // 4.
    if (m.pending_cut_state != -1)
        presentation::crowd_react(3);
    // 5. Set-up time is not caught up.
    restart_timer(&match_tick_record);
    // 6.
    m.flow_flags = static_cast<uint16_t>(m.flow_flags & ~(FLOW_KEEP_C | LEAVE));
    // The pause draws its own frames unless the display brings its own.
    const bool own_pause = match_hooks.run_pause_frame == nullptr;
    if (own_pause)
        match_hooks.run_pause_frame = pause_frame;
    // 7.
    match_frame_loop();
    if (own_pause)
        match_hooks.run_pause_frame = nullptr;
    // 8.
    if (m.flow_flags & LEAVE_OVER)
        m.init_mode = 0;
    // 9.
    presentation::crowd_react(-1);
    presentation::sound_hook();
    presentation::release_match_resources();
    if (!software_path())
        presentation::restore_transition_viewport();
    m.message_keys_enabled = 1;
}

void match_frame_loop()
{
    while (!(match_globals.flow_flags & FLOW_ENDS_FRAME_LOOP))
        one_frame();
}

void match_frame_once() { one_frame(); }

void run_frames_for_ms(int32_t n)
{
    MatchGlobals& m = match_globals;
    m.frames_for_ms_running = 1;
    const uint32_t start = match_tick_record.now;
    do
        one_frame();
    while (static_cast<int32_t>(match_tick_record.now - start) < n);
    m.frames_for_ms_running = 0;
}

void render_match_frame()
{
    MatchGlobals& m = match_globals;
    m.ticks_last_frame = static_cast<uint16_t>(match_tick_record.due);
    presentation::update_message_banner();
    const bool cut_dark = m.pending_cut_state != -1 && !m.closing_transition_running;
    if (!cut_dark)
        presentation::prepare_men_display();
    if (software_path())
        draw_software_frame();
    else
        draw_hardware_frame();
}

void draw_hardware_frame()
{
    MatchGlobals& m = match_globals;
    // 1.
    if (m.closing_transition_running || m.opening_transition_running) {
        if (presentation::step_transition()) {
            if (m.closing_transition_running) {
                end_closing_transition();
            } else {
                presentation::resume_hud_flag();
                m.flow_flags = static_cast<uint16_t>((m.flow_flags & ~CLOCK_STOPPED) | CLOCK_RUNNING);
                m.opening_transition_running = 0;
            }
        }
    }
    // 2. The screen stays dark while a cut runs the match on.
    if (m.pending_cut_state != -1 && !m.closing_transition_running)
        return;
    // 3.
    draw_frame_overlays();
    const bool playback = presentation::replay_playback_active() != 0;
    if (!playback)
        presentation::draw_score_clock();
    // 4.
    if (!playback && !presentation::replay_view_open()) {
        if (m.radar_shown) {
            if (state_in(m.match_state, {10, 11, 52, 57}))
                m.radar_alpha = m.radar_alpha > 2 ? m.radar_alpha - 2 : 0;
            else if (!state_in(m.match_state, {19, 20, 22, 23, 24}))
                draw_radar();
        }
    } else {
        presentation::run_replay_overlay();
    }
    // 5.
    if (m.match_state == THROW_IN_READY) {
        const int32_t a = presentation::throw_in_angle();
        const float pi = 3.14159265358979f;
        const float angle = pi / 2 + 2 * pi - static_cast<float>((a + 64) & 255) * 2 * pi / 256;
        for (int t = 0; t < 2; ++t) {
            float x, y, z;
            if (team_records[t].human_count && presentation::team_marker_point(t, &x, &y, &z))
                presentation::place_model_ring(t, x * 0.390625f, y * 0.75f * 0.390625f, z * 0.390625f, angle);
        }
    }
    draw_name_labels();
    // 6.
    presentation::draw_match_scene();
    if (presentation::change_3d_device_requested())
        presentation::select_3d_device();
    presentation::present_frame();
}

void poll_game_ticks()
{
    match_globals.ticks_last_frame = static_cast<uint16_t>(match_tick_record.due);
    presentation::prepare_men_display();
    presentation::draw_match_scene();
    timer_update(&match_tick_record);
}

void draw_frame_overlays()
{
    MatchGlobals& m = match_globals;
    const bool playback = presentation::replay_playback_active() != 0;
    const int32_t slide = presentation::panel_slide();
    float aim_error = 0, strength = 0, maximum = 0;
    const bool kick_panel = presentation::kick_panel_open() && !playback;
    if (!kick_panel && !presentation::second_panel_open()) {
        queue(FRAME_PIECE_LEFT, 202, 448 + slide, 200, 255);
        queue(FRAME_PIECE_RIGHT, 362, 448 + slide, 200, 255);
        queue(FRAME_CAP_LEFT, 160, 440 + slide, 200, 255);
        queue(FRAME_CAP_RIGHT, 320, 440 + slide, 200, 255);
    } else if (kick_panel) {
        presentation::kick_panel_values(&aim_error, &strength, &maximum);
        queue(KICK_PANEL_LEFT, 169, 448 + slide, 200, 255);
        queue(KICK_PANEL_RIGHT, 329, 448 + slide, 200, 255);
        const int32_t d = kick_aim_marker_offset(aim_error);
        queue(KICK_AIM_MARKER, 197 - d, 448 + slide, 200, 255);
        queue(KICK_AIM_MARKER, 197 + d, 448 + slide, 200, 255);
        queue(KICK_STRENGTH_MARKER, kick_strength_marker_x(strength, maximum), 448 + slide, 200, 255);
        queue(FRAME_CAP_LEFT, 160, 440 + slide, 200, 255);
        queue(FRAME_CAP_RIGHT, 320, 440 + slide, 200, 255);
        presentation::draw_power_bar();
    }
    if (m.match_paused)
        queue(PAUSE_SPRITE, 320, 240 + slide, 200, 255);
    if (m.kick_flash_running) {
        m.kick_flash_level += 5.0f;
        if (m.kick_flash_level >= 100.0f) {
            m.kick_flash_level = 0.0f;
            m.kick_flash_running = 0;
        }
    }
}

int32_t kick_aim_marker_offset(float aim_error_percent)
{
    float p = 100.0f - aim_error_percent;
    p = p < 10.0f ? 10.0f : (p > 100.0f ? 100.0f : p);
    return static_cast<int32_t>(std::lrint(0.32 * p));
}

int32_t kick_strength_marker_x(float strength, float maximum)
{
    const double r = strength / (maximum + 0.1);
    return static_cast<int32_t>(r * 100 * 2.4 + 233 - 2);
}

void count_frame() { ++frame_count; }

int32_t name_label_men(PlayerSlot** out, int32_t capacity)
{
    MatchGlobals& m = match_globals;
    int32_t n = 0;
    if (m.match_state == PRE_MATCH)
        return 0;
    if (m.match_state == COIN_TOSS_WAIT) {
        const PlayerSlot* a = team_records[0].captain;
        const PlayerSlot* b = team_records[1].captain;
        if (!a || !b || a->job_step == 0 || b->job_step == 0)
            return 0;
    }
    for (TeamRecord& team : team_records)
        for (int i = 0; i < GROUND_MEN && n < capacity; ++i) {
            PlayerSlot* man = &team.slots[i];
            bool label = false;
            switch (team.name_labels) {
            case 1: label = true; break;
            case 2: label = man->contest_group && !man->busy_flag; break;
            case 3: label = man == m.ball_holder; break;
            default: break;
            }
            if (label)
                out[n++] = man;
        }
    if (presentation::replay_playback_active() && n < capacity)
        if (PlayerSlot* focus = presentation::replay_focus_man())
            out[n++] = focus;
    return n;
}

void draw_name_labels()
{
    PlayerSlot* men[2 * GROUND_MEN + 1];
    const int32_t n = name_label_men(men, 2 * GROUND_MEN + 1);
    for (int32_t i = 0; i < n; ++i)
        presentation::draw_man_name(men[i]);
}

void swap_team_sides()
{
    for (TeamRecord& team : team_records) {
        team.side = team.side == 1 ? 2 : 1;
        for (PlayerSlot& man : team.slots)
            man.side = team.side;
    }
    init_kickout_slots();
}

void adjust_camera_by_keys()
{
    CameraPreset& c = camera_presets[camera_view];
    const auto held = [](uint8_t key) { return key_state[key] != 0; };
    c.distance += 100 * (held(KEY_PAD_8) - held(KEY_PAD_2));
    const int32_t rise = 100 * (held(KEY_PAD_6) - held(KEY_PAD_4));
    c.position[1] += rise;
    c.destination[1] += rise;
    const int32_t widen = held(KEY_PAD_9) - held(KEY_PAD_3);
    c.fov_target += widen;
    c.fov_current += widen;
    for (CameraPreset& p : camera_presets)
        camera_update(&p);
}

void play_group_celebration()
{
    MatchGlobals& m = match_globals;
    m.flow_flags = static_cast<uint16_t>(m.flow_flags & ~LEAVE);
    static const struct {
        const char* label;
        int slot;
    } hugs[4] = {{"CELEB_GROUP_HUG1", 9}, {"CELEB_ARMS_UP_WALKING", 8}, {"CELEB_ARMS_UP_TURNING", 6}, {"CELEB_GROUP_HUG2", 4}};
    for (const auto& h : hugs) {
        if (m.flow_flags & LEAVE)
            break;
        PlayerSlot& man = team_records[0].slots[h.slot];
        const int32_t row = animation_row(h.label);
        if (row >= 0)
            play_man_animation(&man, static_cast<uint32_t>(row), 0, 1.0);
        man.man_flags |= MAN_BUSY;
    }
}
