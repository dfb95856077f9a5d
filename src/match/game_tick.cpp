#include "match/game_tick.h"

#include "match/formation.h"
#include "match/game_maths.h"
#include "match/ground.h"
#include "match/held_ball.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "match/match_setup.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "players/anim_driver.h"
#include "players/contact_tables.h"
#include "match/ball.h"
#include "match/ball_contacts.h"
#include "match/banners.h"
#include "match/interchange.h"
#include "match/match_watches.h"
#include "match/officials.h"
#include "match/proposals.h"
#include "players/actions.h"
#include "players/locomotion.h"
#include "players/man_queries.h"
#include "players/movement.h"
#include "players/phase_cut.h"
#include "match/kick_outs.h"
#include "match/man_behaviours.h"
#include "players/behaviour_handlers.h"
#include "players/contest_groups.h"
#include "players/occupancy.h"
#include "players/team_ai.h"

namespace {

bool held(uint8_t key) { return (key_state[key] & 0x80) != 0; }
bool ctrl_held() { return held(KEYCODE_LCTRL) || held(KEYCODE_RCTRL); }

constexpr int32_t speed_rates[4] = {62, 46, 41, 31};
constexpr float ASPECT_MIN = 4.0f / 3.0f;
constexpr float ASPECT_MAX = 5.0f;
constexpr int32_t DEMO_VIEW_TICKS = 620;
constexpr int32_t demo_views[9] = {0, 1, 2, 3, 4, 5, 6, 7, 8};

} // namespace

bool game_speed_rate(uint8_t speed, int32_t* rate, int32_t* period)
{
    if (speed > 3)
        return false;
    *rate = speed_rates[speed];
    *period = (2000 / *rate + 1) / 2;
    return true;
}

void debug_stub_match() {}

void step_match_clock()
{
    MatchGlobals& m = match_globals;
    if (!(m.flow_flags & (CLOCK_FROZEN | CLOCK_STOPPED))) {
        if (m.flow_flags & SUDDEN_DEATH) {
            m.flow_flags = static_cast<uint16_t>(m.flow_flags & ~TIME_ON);
            m.period_clock = m.period_clock > 0 ? m.period_clock - 1 : 0;
        } else if (m.clock_enabled) {
            if (m.flow_flags & TIME_ON) {
                // Both grow during a stoppage in time on, which holds it.
                if (m.time_off && m.stopped_time != m.period_clock)
                    ++m.stopped_time;
                ++m.period_clock;
            } else {
                // Counting down the two close by two a tick: stop at the
                // clock rather than step past it.
                if (m.time_off && m.stopped_time < m.period_clock)
                    ++m.stopped_time;
                m.period_clock = m.period_clock > 0 ? m.period_clock - 1 : 0;
            }
        }
        ++m.ticks_played;
    }
    ++m.tick_counter_a;
    ++m.tick_counter_b;
}

void game_tick(uint32_t tick_number)
{
    MatchGlobals& m = match_globals;
    m.overlay_sprite_count = 0;                                  // 1
    if (m.ticks_halted)                                          // 2
        return;
    apply_pending_phase();                                       // 3
    schedule_phase_cut();
    if (presentation::replay_playback_active()) {                       // 4
        presentation::start_replay_playback(tick_number);
        return;
    }
    presentation::record_replay_frame(tick_number);                     // 5
    presentation::enter_replay();
    step_match_clock();                                          // 6, 7
    // Restart waits count whole ticks, also while the clock is stopped.
    if (m.restart_countdown > 0)
        --m.restart_countdown;
    presentation::hud_hook();                                           // 8
    update_text_banner(0);
    update_ball(&ball_state, 1);                                 // 9
    note_ball_path_bounds();
    check_score();
    ball_wide_test();
    update_locomotion_all();                                     // 10
    update_umpire_locomotion();
    update_angles_to_ball();                                     // 11
    check_ball_contacts();                                       // 12
    collect_pass_candidates();                                   // 13
    remember_previous_actions();                                 // 14
    men_think_prep();                                            // 15
    update_player_effort();                                      // 16
    tick_bench_counters(); // the bench men get their breath back
    update_all_men();
    update_interchanges();                                       // 17
    late_tick_men_check();                                       // 18
    team_ai_tick();                                              // 19
    update_collision_avoidance();                                // 20
    update_officials();                                          // 21
    presentation::update_match_camera();                                // 22
    cycle_demo_camera();
    if (!presentation::use_3d_hardware())
        presentation::camera_select_by_keys();
    update_match_statistics();                                   // 23
    presentation::commentary_fill_silence();                            // 24
    presentation::service_scheduled_effect();
    update_match_flow();                                         // 25
    presentation::crowd_react(-3);                                      // 26
    situation_tick_16_17();                                      // 27
    // The held ball goes with its holder here, not in the display, so a
    // headless match plays as a drawn one.
    place_ball_with_holder();
    m.tick_done = 1;                                             // 28
    tick_keys_and_speed();                                       // 29
    match_tick_record.owner_word_a = m.frame_drawing_off;        // 30: the scheduler's drawing-off word
    count_held_buttons();                                        // 31
    m.overlay_sprite_count_last = m.overlay_sprite_count;        // 32
    forget_ball_path_bounds();
}

void update_match_statistics()
{
    MatchGlobals& m = match_globals;
    const uint32_t d = m.ticks_last_frame;
    presentation::step_hud_panel_timer();
    m.countdown_a = m.countdown_a > 0 ? m.countdown_a - static_cast<int32_t>(d) : 0;
    m.countdown_b = m.countdown_b > 0 ? m.countdown_b - static_cast<int32_t>(d) : 0;
    if (m.ball_holder)
        m.ball_holder->possession_time += d;
    m.total_ticks += d;
    if (m.flow_flags & CLOCK_STOPPED)
        return;
    if (m.ball_holder) {
        m.ball_holder->possession_time += d;
        if (m.ball_holder->team)
            m.ball_holder->team->possession_ticks += d;
    } else if ((ball_state.flight_flags & 0x80) && m.last_ball_holder && m.last_ball_holder->team) {
        m.last_ball_holder->team->possession_ticks += d;
    }
    // Within 384 of the centre line counts for nobody.
    const int32_t x = ball_whole_x();
    int side = 0;
    if (x < -384)
        side = 1;
    else if (x > 384)
        side = 2;
    if (side)
        for (TeamRecord& team : team_records)
            if (team.side == side) {
                team.territory_ticks += d;
                break;
            }
}

void tick_keys_and_speed()
{
    MatchGlobals& m = match_globals;
    // 1. Aspect.
    if (held(KEYCODE_LALT)) {
        bool acted = true;
        if (held(KEYCODE_LEFT)) {
            m.aspect_ratio *= 0.98f;
            if (m.aspect_ratio < ASPECT_MIN)
                m.aspect_ratio = ASPECT_MIN;
        } else if (held(KEYCODE_RIGHT)) {
            m.aspect_ratio *= 1.0204082f;
            if (m.aspect_ratio > ASPECT_MAX)
                m.aspect_ratio = ASPECT_MAX;
        } else if (held(KEYCODE_UP)) {
            m.aspect_ratio = 4.0f / 3.0f;
        } else if (held(KEYCODE_DOWN)) {
            m.aspect_ratio = 16.0f / 9.0f;
        } else {
            acted = false;
        }
        if (acted)
            presentation::update_hw_camera(m.aspect_ratio);
    }
    // 2.
    pause_match();
    // 3. The keys only change between frames, so the toggle comes on the
    // tick where Ctrl+T becomes held.
    const bool speed_keys = held(KEYCODE_T) && ctrl_held();
    if (m.game_type != GAME_DEMO && speed_keys && !m.speed_keys_held)
        m.game_speed = m.game_speed == 0 ? 1 : 0;
    m.speed_keys_held = speed_keys;
    // 4.
    int32_t rate, period;
    if (game_speed_rate(m.game_speed, &rate, &period)) {
        match_tick_record.rate = rate;
        match_tick_record.period = period;
    }
    // 5.
    if (held(KEYCODE_R) && ctrl_held()) {
        m.radar_shown = !m.radar_shown;
        key_state[KEYCODE_R] = key_state[KEYCODE_LCTRL] = key_state[KEYCODE_RCTRL] = 0;
    }
    // 6.
    if (held(KEYCODE_S) && ctrl_held()) {
        key_state[KEYCODE_S] = key_state[KEYCODE_LCTRL] = key_state[KEYCODE_RCTRL] = 0;
        update_text_banner(1);
    }
    // 7.
    if (match_quit_requested()) {
        if (presentation::use_3d_hardware()) {
            if (!m.ticks_halted) {
                m.ticks_halted = 1;
                start_screen_transition(0, 1000, nullptr);
                m.leave_exit_code = 3;
                m.leave_flags = 0;
            }
        } else {
            presentation::fade_palette_out();
            m.flow_flags |= LEAVE;
            m.init_mode = 3;
        }
        if (presentation::kick_panel_open())
            presentation::mark_kick_panel_reopen();
        presentation::mute_commentary();
    }
}

void negate_formation_spots(TeamRecord* team)
{
    if (team != &team_records[0] && team != &team_records[1])
        return;
    FormationSpots& spots = formation_tables[team->team_number & 1];
    for (int i = 0; i < men_in_use(); ++i) {
        spots.spot[i].x = -spots.spot[i].x;
        spots.spot[i].y = -spots.spot[i].y;
    }
}

void situation_tick_16_17()
{
    const MatchGlobals& m = match_globals;
    if (m.frames_for_ms_running)
        return;
    if (m.match_state == FULL_TIME_EXIT && m.restart_countdown == 0)
        end_of_match_reset();
    else if (m.match_state == BREAK_EXIT)
        end_of_match_reset_b();
}

void late_tick_men_check()
{
    MatchGlobals& m = match_globals;
    if (!m.ball_late_check || (ball_state.z >> 16) < 609)
        return;
    for (int c = 0; c < CONTROLLER_RECORDS; ++c) {
        PlayerSlot* man = controllers[c].men[0];
        if (!man || man->contest_group)
            continue;
        if (man == m.last_ball_holder && man->team && man->team->human_count > 1)
            continue;
        resolve_contest(man);
    }
    m.ball_late_check = 0;
}

void cycle_demo_camera()
{
    MatchGlobals& m = match_globals;
    if (m.game_type != GAME_DEMO)
        return;
    m.demo_view_countdown -= m.ticks_last_frame;
    if (m.demo_view_countdown >= 1)
        return;
    const int32_t current = presentation::camera_view();
    int32_t view;
    int guard = 0;
    do
        view = demo_views[crt_rand() % 9];
    while (view == current && ++guard < 64);
    presentation::set_camera_view(view);
    presentation::flag_camera_resetup();
    m.demo_view_countdown = DEMO_VIEW_TICKS;
}

void pause_match()
{
    MatchGlobals& m = match_globals;
    if (m.closing_transition_running || m.opening_transition_running || m.ticks_halted || m.pending_cut_state != -1)
        return;
    if (!held(KEYCODE_P) || ctrl_held())
        return;
    m.match_paused = 1;
    presentation::sound_hook();
    presentation::crowd_react(-1);
    // Frames only: P released, pressed again, released.
    bool screen = true;
    for (int phase = 0; phase < 3 && screen; ++phase) {
        const bool want_down = phase == 1;
        while ((screen = presentation::run_pause_frame() != 0) && held(KEYCODE_P) != want_down) {
        }
    }
    m.match_paused = 0;
    presentation::crowd_react(3);
    rebase_timer(&match_tick_record);
}

void clear_hud_panels_and_kick() { presentation::clear_hud_panels(); }

void reopen_panel_after_fade()
{
    if (match_globals.controlled_man_a)
        presentation::open_hud_panel();
    if (!presentation::use_3d_hardware())
        presentation::fade_palette_in();
}

void end_of_match_reset()
{
    clear_hud_panels_and_kick();
    presentation::crowd_react(-1);
    presentation::sound_hook();
}

void end_of_match_reset_b() { end_of_match_reset(); }

void end_closing_transition()
{
    MatchGlobals& m = match_globals;
    if (m.ticks_halted) {
        m.flow_flags = static_cast<uint16_t>(m.flow_flags | LEAVE | m.leave_flags);
        m.closing_transition_running = 0;
        m.init_mode = m.leave_exit_code;
    } else if (m.transition_done_callback) {
        m.transition_done_callback();
    }
}

void start_screen_transition(int32_t effect, int32_t, void (*callback)())
{
    MatchGlobals& m = match_globals;
    if (!presentation::hw_transition_running()) {
        m.transition_done_callback = callback;
        presentation::start_transition(effect, 1000, 0);
    }
    m.closing_transition_running = 1;
}

void start_screen_transition_b(int32_t effect)
{
    if (!presentation::hw_transition_running())
        presentation::start_transition(effect, 1000, 1);
    match_globals.opening_transition_running = 1;
}
