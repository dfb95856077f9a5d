// The match simulation's one way out to presentation: replay, cameras,
// commentary, crowd, effects, HUD, banners and overlays, the screen
// transitions and the frame's drawing. The display installs the table when a
// match screen opens; with an entry left null a call does nothing and a query
// answers the fixed default written beside it in brackets, so headless runs
// and tests play the same ticks as the game.
#pragma once

#include <cstdint>

struct PlayerSlot;
struct TeamRecord;

struct MatchHooks {
    // Replay.
    void (*record_replay_frame)(uint32_t tick); // records this tick for the replay
    void (*enter_replay)();                     // opens the replay screen when one is asked for
    int32_t (*replay_playback_active)();        // non-zero while a replay plays back instead of the match [0]
    void (*set_replay_playback)(int32_t on);    // starts or ends replay playback mode
    void (*start_replay_playback)(uint32_t tick); // the whole tick during playback
    void (*reset_replay)();                       // empties the replay buffer
    // Cameras.
    void (*init_camera_system)();          // resets the camera presets
    void (*reset_cameras)(int32_t preset); // resets one preset
    void (*update_match_camera)();         // per-tick camera step
    void (*camera_select_by_keys)();       // the view hot keys
    void (*set_camera_for_situation)(int32_t x, int32_t height, int32_t y, int32_t view_a,
                                     int32_t view_b);                  // points the camera for a stoppage
    void (*set_camera_position)(int32_t x, int32_t height, int32_t y); // puts the camera at a point
    void (*set_camera_look_at)(int32_t x, int32_t height, int32_t y);  // turns the camera to a point
    void (*setup_all_camera_presets)(int32_t x, int32_t z,
                                     int32_t y);                     // recomputes every preset round a point
    void (*choose_automatic_camera)(PlayerSlot* man, int32_t value); // an automatic event camera on the man
    void (*track_camera_target)(PlayerSlot* man);                    // follows the man (the scorer)
    int32_t (*camera_view)();                                        // the current view number [3]
    void (*set_camera_view)(int32_t view);                           // makes a view current
    void (*flag_camera_resetup)();                                   // the cameras set themselves up again
    // Commentary (team and man -1 for none).
    void (*reset_commentary)(); // forgets everything said
    void (*commentate)(int32_t event, int32_t team_a, int32_t man_a, int32_t team_b, int32_t man_b,
                       int32_t priority); // queues a phrase of the event's group; event -3 stops the phrase
    void (*set_pending_commentary)(int32_t event, int32_t team_a, int32_t man_a, int32_t team_b,
                                   int32_t man_b,
                                   int32_t priority); // stores one deferred phrase (the last stored wins)
    void (*flush_pending_commentary)();               // says the stored phrase
    void (*clear_pending_commentary)();               // forgets the stored phrase
    int32_t (*pending_commentary_event)();            // the stored phrase's event, -1 when none [-1]
    int32_t (*queued_commentary_event)();             // the queued event, -1 when none [-1]
    void (*drop_queued_commentary)();                 // forgets the queued event
    int32_t (*last_spoken_event)();                   // the event last spoken [-1]
    int32_t (*commentary_speaks)();                   // non-zero when commentary is on [0]
    int32_t (*commentary_state)();                    // the commentary's state word [0]
    void (*swap_name_sample_entries)(
        int32_t team, int32_t number_a,
        int32_t number_b);                 // exchanges two men's spoken-name entries after an interchange
    int32_t (*commentary_within_phrase)(); // non-zero while a phrase is under way [0]
    int32_t (*phrase_remaining_ticks)();   // ticks left of the phrase under way [0]
    void (*say_unless_speaking)(int32_t group); // a phrase of the group unless one runs
    void (*service_deferred_remarks)();         // a deferred remark at a change of state
    void (*mute_commentary)();
    void (*unmute_commentary)();
    void (*commentary_fill_silence)(); // per tick
    void (*choose_situation_remark)(); // picks a deferred remark
    void (*mark_remark_time)();        // stamps the clock of the last remark
    int32_t (*find_player_name_sample)(int32_t club,
                                       int32_t player_index); // 0..5, -1 when the man has no spoken name [-1]
    // Crowd and effects.
    void (*crowd_react)(
        int32_t kind); // -1 silence, 0 cheer, 2 intercept, 3 resume, -3 ambient by ball position
    void (*crowd_react_to_play)(int32_t kind, int32_t team); // a crowd reaction for that team
    void (*play_effect)(int32_t effect, int32_t frequency,
                        int32_t volume); // match effect at frequency Hz (0: the sample's own), volume 0..127,
                                         // scaled by the effects setting; pan centre
    void (*schedule_effect)(int32_t effect, int32_t frequency, int32_t volume, int32_t a, int32_t b,
                            int32_t delay); // the same, delay ticks from now; one delayed effect is kept
    void (*service_scheduled_effect)();     // per tick
    void (*sound_hook)();                   // the empty sound hook
    // HUD, banners and overlays.
    void (*hud_hook)();               // the empty per-tick HUD step
    void (*update_message_banner)();  // per frame
    int32_t (*message_banner_busy)(); // non-zero while a message banner shows [0]
    void (*show_score_banner)();      // shows the score banner
    void (*start_team_highlight)(int32_t team, int32_t a, int32_t b, int32_t c,
                                 int32_t d);       // the team highlight panel of a team with four values
    int32_t (*open_message_banner)(int32_t kind);  // a handle, 0 when refused [0]
    int32_t (*open_message_banner2)(int32_t kind); // the second banner; a handle, 0 when refused [0]
    void (*show_message)(const char* text, int32_t handle); // shows the text in the opened banner
    void (*step_hud_panel_timer)();                         // the HUD panel timer down by 256, not below 0
    void (*set_hud_text)(int32_t line, const char* text);   // replaces HUD text line 1 or 2
    int32_t (*second_panel_open)(); // non-zero while the second HUD panel is open [0]
    int32_t (*panel_slide)(); // the HUD panels' slide offset in y [0]
    // The set-kick panel's aim error percentage (scaled by the difficulty), strength and maximum.
    void (*kick_panel_values)(float* aim_error, float* strength, float* maximum);
    void (*draw_power_bar)(); // the kick-strength bar
    int32_t (*kick_panel_open)();                           // non-zero while the set-kick panel is open [0]
    void (*mark_kick_panel_reopen)();                       // the panel opens again when the match returns
    void (*clear_hud_panels)();  // clears the HUD panel words and the kick panel flag
    void (*reopen_kick_panel)(); // opens the kick panel when it was marked
    void (*close_hud_panels)();
    void (*open_hud_panel)();                                  // the set-kick aiming panel
    void (*open_side_panel)(int32_t x, int32_t y);             // the side panel aimed at a point
    void (*set_aiming_panel)(int32_t angle, int32_t distance); // aims the set-kick panel
    int32_t (*hud_paused)();   // non-zero while the HUD holds the clock paused [0]
    void (*resume_hud_flag)(); // the clock shows as running again
    void (*init_team_overlay)(TeamRecord* team, int32_t mode,
                              int32_t arg); // opens a team's set-play option overlay
    void (*arrange_overlay_ring)(TeamRecord* team, int32_t a, int32_t b,
                                 int32_t count); // lays the overlay's options on a ring
    void (*update_team_overlay)(TeamRecord* team, int32_t mode, int32_t arg); // advances it
    int32_t (*team_overlay_busy)(const TeamRecord* team);                     // non-zero while it is busy [0]
    // Match set-up and models.
    void (*load_match_presentation)(
        int32_t mode); // graphics and sound of the match (frames may run the first ticks)
    void (*build_model_instance)(PlayerSlot* man, int32_t level, int32_t record, const char* directory,
                                 const char* const* names,
                                 int32_t count); // one of a man's three model instances
    void (*reload_overlay_model)();
    void (*pop_texture_slot)();
    // Screen.
    void (*update_hw_camera)(float aspect); // a new display aspect ratio
    int32_t (*use_3d_hardware)();           // 0 on the software path [1]
    void (*start_transition)(int32_t effect, int32_t ms,
                             int32_t direction); // a closing (0) or opening (1) screen transition
    int32_t (*hw_transition_running)();          // non-zero while a screen transition runs [0]
    int32_t (*step_transition)();                // steps the transition; non-zero once it has ended [1]
    void (*fade_palette_out)();                  // software path: fades to black
    void (*prepare_men_display)();               // the men's display poses
    void (*draw_match_scene)();                  // begins the scene, draws the 3D frame, ends it
    void (*draw_score_clock)();
    void (*queue_sprite)(int32_t sprite, int32_t x, int32_t y, int32_t a, int32_t b, int32_t c,
                         int32_t alpha); // one overlay sprite
    void (*place_model_ring)(int32_t team, float x, float y, float z,
                             float angle); // a human team's ring in a throw-in
    void (*present_frame)();               // shows the drawn frame
    void (*draw_man_name)(
        PlayerSlot* man); // his name centred at his screen point, when he lies in front of the camera
    PlayerSlot* (*replay_focus_man)();       // the man the replay follows [nullptr]
    int32_t (*replay_view_open)();           // non-zero while the replay view is open [0]
    void (*run_replay_overlay)();            // the replay overlay with its own radar and screenshot keys
    int32_t (*change_3d_device_requested)(); // non-zero when a change of 3D device was asked for; the call
                                             // clears it [0]
    void (*select_3d_device)();
    int32_t (*team_marker_point)(int32_t team, float* x, float* y,
                                 float* z); // a human team's ring marker point; 0 when it has none [0]
    int32_t (*throw_in_angle)();            // the throw-in's 8-bit angle [0]
    void (*poll_input_frame)();             // reads the input devices for a frame
    int32_t (*run_pause_frame)(); // draws one paused frame and reads the keys; 0 when there is no screen [0]
    void (*release_match_resources)();
    void (*restore_transition_viewport)();
    // A phase cut's presentation: the HUD flag's pause step, the banner
    // cleared, the hardware sprite and text sprite queues off and on, and on
    // the software path the palette faded in to the match palette.
    void (*pause_hud_flag)();
    void (*clear_message_banner)();
    void (*enable_sprite_queue)();
    void (*disable_sprite_queue)();
    void (*enable_text_sprite_queue)();
    void (*disable_text_sprite_queue)();
    void (*fade_palette_in)();
    void (*message_box)(const char* text); // a debugging message box
};

// The installed table; all entries null until the display fills them.
extern MatchHooks match_hooks;
void clear_match_hooks();

// Callers go through these.
namespace presentation
{

inline void record_replay_frame(uint32_t tick)
{
    if (match_hooks.record_replay_frame) match_hooks.record_replay_frame(tick);
}
inline void enter_replay()
{
    if (match_hooks.enter_replay) match_hooks.enter_replay();
}
inline int32_t replay_playback_active()
{
    return match_hooks.replay_playback_active ? match_hooks.replay_playback_active() : 0;
}
inline void set_replay_playback(int32_t on)
{
    if (match_hooks.set_replay_playback) match_hooks.set_replay_playback(on);
}
inline void start_replay_playback(uint32_t tick)
{
    if (match_hooks.start_replay_playback) match_hooks.start_replay_playback(tick);
}
inline void reset_replay()
{
    if (match_hooks.reset_replay) match_hooks.reset_replay();
}
inline void init_camera_system()
{
    if (match_hooks.init_camera_system) match_hooks.init_camera_system();
}
inline void reset_cameras(int32_t preset)
{
    if (match_hooks.reset_cameras) match_hooks.reset_cameras(preset);
}
inline void update_match_camera()
{
    if (match_hooks.update_match_camera) match_hooks.update_match_camera();
}
inline void camera_select_by_keys()
{
    if (match_hooks.camera_select_by_keys) match_hooks.camera_select_by_keys();
}
inline void set_camera_for_situation(int32_t x, int32_t height, int32_t y, int32_t view_a, int32_t view_b)
{
    if (match_hooks.set_camera_for_situation)
        match_hooks.set_camera_for_situation(x, height, y, view_a, view_b);
}
inline void set_camera_position(int32_t x, int32_t height, int32_t y)
{
    if (match_hooks.set_camera_position) match_hooks.set_camera_position(x, height, y);
}
inline void set_camera_look_at(int32_t x, int32_t height, int32_t y)
{
    if (match_hooks.set_camera_look_at) match_hooks.set_camera_look_at(x, height, y);
}
inline void setup_all_camera_presets(int32_t x, int32_t z, int32_t y)
{
    if (match_hooks.setup_all_camera_presets) match_hooks.setup_all_camera_presets(x, z, y);
}
inline void choose_automatic_camera(PlayerSlot* man, int32_t value)
{
    if (match_hooks.choose_automatic_camera) match_hooks.choose_automatic_camera(man, value);
}
inline void track_camera_target(PlayerSlot* man)
{
    if (match_hooks.track_camera_target) match_hooks.track_camera_target(man);
}
inline int32_t camera_view()
{
    return match_hooks.camera_view ? match_hooks.camera_view() : 3;
}
inline void set_camera_view(int32_t view)
{
    if (match_hooks.set_camera_view) match_hooks.set_camera_view(view);
}
inline void flag_camera_resetup()
{
    if (match_hooks.flag_camera_resetup) match_hooks.flag_camera_resetup();
}
inline void reset_commentary()
{
    if (match_hooks.reset_commentary) match_hooks.reset_commentary();
}
inline void commentate(int32_t event, int32_t team_a, int32_t man_a, int32_t team_b, int32_t man_b,
                       int32_t priority)
{
    if (match_hooks.commentate) match_hooks.commentate(event, team_a, man_a, team_b, man_b, priority);
}
inline void set_pending_commentary(int32_t event, int32_t team_a, int32_t man_a, int32_t team_b,
                                   int32_t man_b, int32_t priority)
{
    if (match_hooks.set_pending_commentary)
        match_hooks.set_pending_commentary(event, team_a, man_a, team_b, man_b, priority);
}
inline void flush_pending_commentary()
{
    if (match_hooks.flush_pending_commentary) match_hooks.flush_pending_commentary();
}
inline void clear_pending_commentary()
{
    if (match_hooks.clear_pending_commentary) match_hooks.clear_pending_commentary();
}
inline int32_t pending_commentary_event()
{
    return match_hooks.pending_commentary_event ? match_hooks.pending_commentary_event() : -1;
}
inline int32_t queued_commentary_event()
{
    return match_hooks.queued_commentary_event ? match_hooks.queued_commentary_event() : -1;
}
inline void drop_queued_commentary()
{
    if (match_hooks.drop_queued_commentary) match_hooks.drop_queued_commentary();
}
inline int32_t last_spoken_event()
{
    return match_hooks.last_spoken_event ? match_hooks.last_spoken_event() : -1;
}
inline int32_t commentary_speaks()
{
    return match_hooks.commentary_speaks ? match_hooks.commentary_speaks() : 0;
}
inline int32_t commentary_state()
{
    return match_hooks.commentary_state ? match_hooks.commentary_state() : 0;
}
inline void swap_name_sample_entries(int32_t team, int32_t number_a, int32_t number_b)
{
    if (match_hooks.swap_name_sample_entries) match_hooks.swap_name_sample_entries(team, number_a, number_b);
}
inline int32_t commentary_within_phrase()
{
    return match_hooks.commentary_within_phrase ? match_hooks.commentary_within_phrase() : 0;
}
inline int32_t phrase_remaining_ticks()
{
    return match_hooks.phrase_remaining_ticks ? match_hooks.phrase_remaining_ticks() : 0;
}
inline void say_unless_speaking(int32_t group)
{
    if (match_hooks.say_unless_speaking) match_hooks.say_unless_speaking(group);
}
inline void service_deferred_remarks()
{
    if (match_hooks.service_deferred_remarks) match_hooks.service_deferred_remarks();
}
inline void mute_commentary()
{
    if (match_hooks.mute_commentary) match_hooks.mute_commentary();
}
inline void unmute_commentary()
{
    if (match_hooks.unmute_commentary) match_hooks.unmute_commentary();
}
inline void commentary_fill_silence()
{
    if (match_hooks.commentary_fill_silence) match_hooks.commentary_fill_silence();
}
inline void choose_situation_remark()
{
    if (match_hooks.choose_situation_remark) match_hooks.choose_situation_remark();
}
inline void mark_remark_time()
{
    if (match_hooks.mark_remark_time) match_hooks.mark_remark_time();
}
inline int32_t find_player_name_sample(int32_t club, int32_t player_index)
{
    return match_hooks.find_player_name_sample ? match_hooks.find_player_name_sample(club, player_index) : -1;
}
inline void crowd_react(int32_t kind)
{
    if (match_hooks.crowd_react) match_hooks.crowd_react(kind);
}
inline void crowd_react_to_play(int32_t kind, int32_t team)
{
    if (match_hooks.crowd_react_to_play) match_hooks.crowd_react_to_play(kind, team);
}
inline void play_effect(int32_t effect, int32_t frequency, int32_t volume)
{
    if (match_hooks.play_effect) match_hooks.play_effect(effect, frequency, volume);
}
inline void schedule_effect(int32_t effect, int32_t frequency, int32_t volume, int32_t a, int32_t b,
                            int32_t delay)
{
    if (match_hooks.schedule_effect) match_hooks.schedule_effect(effect, frequency, volume, a, b, delay);
}
inline void service_scheduled_effect()
{
    if (match_hooks.service_scheduled_effect) match_hooks.service_scheduled_effect();
}
inline void sound_hook()
{
    if (match_hooks.sound_hook) match_hooks.sound_hook();
}
inline void hud_hook()
{
    if (match_hooks.hud_hook) match_hooks.hud_hook();
}
inline void update_message_banner()
{
    if (match_hooks.update_message_banner) match_hooks.update_message_banner();
}
inline int32_t message_banner_busy()
{
    return match_hooks.message_banner_busy ? match_hooks.message_banner_busy() : 0;
}
inline void show_score_banner()
{
    if (match_hooks.show_score_banner) match_hooks.show_score_banner();
}
inline void start_team_highlight(int32_t team, int32_t a, int32_t b, int32_t c, int32_t d)
{
    if (match_hooks.start_team_highlight) match_hooks.start_team_highlight(team, a, b, c, d);
}
inline int32_t open_message_banner(int32_t kind)
{
    return match_hooks.open_message_banner ? match_hooks.open_message_banner(kind) : 0;
}
inline int32_t open_message_banner2(int32_t kind)
{
    return match_hooks.open_message_banner2 ? match_hooks.open_message_banner2(kind) : 0;
}
inline void show_message(const char* text, int32_t handle)
{
    if (match_hooks.show_message) match_hooks.show_message(text, handle);
}
inline void set_hud_text(int32_t line, const char* text)
{
    if (match_hooks.set_hud_text) match_hooks.set_hud_text(line, text);
}
inline void step_hud_panel_timer()
{
    if (match_hooks.step_hud_panel_timer) match_hooks.step_hud_panel_timer();
}
inline int32_t second_panel_open() { return match_hooks.second_panel_open ? match_hooks.second_panel_open() : 0; }
inline int32_t panel_slide() { return match_hooks.panel_slide ? match_hooks.panel_slide() : 0; }
inline void kick_panel_values(float* aim_error, float* strength, float* maximum)
{
    if (match_hooks.kick_panel_values) match_hooks.kick_panel_values(aim_error, strength, maximum);
}
inline void draw_power_bar()
{
    if (match_hooks.draw_power_bar) match_hooks.draw_power_bar();
}
inline int32_t kick_panel_open()
{
    return match_hooks.kick_panel_open ? match_hooks.kick_panel_open() : 0;
}
inline void mark_kick_panel_reopen()
{
    if (match_hooks.mark_kick_panel_reopen) match_hooks.mark_kick_panel_reopen();
}
inline void clear_hud_panels()
{
    if (match_hooks.clear_hud_panels) match_hooks.clear_hud_panels();
}
inline void reopen_kick_panel()
{
    if (match_hooks.reopen_kick_panel) match_hooks.reopen_kick_panel();
}
inline void close_hud_panels()
{
    if (match_hooks.close_hud_panels) match_hooks.close_hud_panels();
}
inline void open_hud_panel()
{
    if (match_hooks.open_hud_panel) match_hooks.open_hud_panel();
}
inline void open_side_panel(int32_t x, int32_t y)
{
    if (match_hooks.open_side_panel) match_hooks.open_side_panel(x, y);
}
inline void set_aiming_panel(int32_t angle, int32_t distance)
{
    if (match_hooks.set_aiming_panel) match_hooks.set_aiming_panel(angle, distance);
}
inline int32_t hud_paused()
{
    return match_hooks.hud_paused ? match_hooks.hud_paused() : 0;
}
inline void resume_hud_flag()
{
    if (match_hooks.resume_hud_flag) match_hooks.resume_hud_flag();
}
inline void init_team_overlay(TeamRecord* team, int32_t mode, int32_t arg)
{
    if (match_hooks.init_team_overlay) match_hooks.init_team_overlay(team, mode, arg);
}
inline void arrange_overlay_ring(TeamRecord* team, int32_t a, int32_t b, int32_t count)
{
    if (match_hooks.arrange_overlay_ring) match_hooks.arrange_overlay_ring(team, a, b, count);
}
inline void update_team_overlay(TeamRecord* team, int32_t mode, int32_t arg)
{
    if (match_hooks.update_team_overlay) match_hooks.update_team_overlay(team, mode, arg);
}
inline int32_t team_overlay_busy(const TeamRecord* team)
{
    return match_hooks.team_overlay_busy ? match_hooks.team_overlay_busy(team) : 0;
}
inline void load_match_presentation(int32_t mode)
{
    if (match_hooks.load_match_presentation) match_hooks.load_match_presentation(mode);
}
inline void build_model_instance(PlayerSlot* man, int32_t level, int32_t record, const char* directory,
                                 const char* const* names, int32_t count)
{
    if (match_hooks.build_model_instance)
        match_hooks.build_model_instance(man, level, record, directory, names, count);
}
inline void reload_overlay_model()
{
    if (match_hooks.reload_overlay_model) match_hooks.reload_overlay_model();
}
inline void pop_texture_slot()
{
    if (match_hooks.pop_texture_slot) match_hooks.pop_texture_slot();
}
inline void update_hw_camera(float aspect)
{
    if (match_hooks.update_hw_camera) match_hooks.update_hw_camera(aspect);
}
inline int32_t use_3d_hardware()
{
    return match_hooks.use_3d_hardware ? match_hooks.use_3d_hardware() : 1;
}
inline void start_transition(int32_t effect, int32_t ms, int32_t direction)
{
    if (match_hooks.start_transition) match_hooks.start_transition(effect, ms, direction);
}
inline void message_box(const char* text)
{
    if (match_hooks.message_box) match_hooks.message_box(text);
}
inline int32_t hw_transition_running()
{
    return match_hooks.hw_transition_running ? match_hooks.hw_transition_running() : 0;
}
inline int32_t step_transition()
{
    return match_hooks.step_transition ? match_hooks.step_transition() : 1;
}
inline void fade_palette_out()
{
    if (match_hooks.fade_palette_out) match_hooks.fade_palette_out();
}
inline void prepare_men_display()
{
    if (match_hooks.prepare_men_display) match_hooks.prepare_men_display();
}
inline void draw_match_scene()
{
    if (match_hooks.draw_match_scene) match_hooks.draw_match_scene();
}
inline void draw_score_clock()
{
    if (match_hooks.draw_score_clock) match_hooks.draw_score_clock();
}
inline void queue_sprite(int32_t sprite, int32_t x, int32_t y, int32_t a, int32_t b, int32_t c, int32_t alpha)
{
    if (match_hooks.queue_sprite) match_hooks.queue_sprite(sprite, x, y, a, b, c, alpha);
}
inline void place_model_ring(int32_t team, float x, float y, float z, float angle)
{
    if (match_hooks.place_model_ring) match_hooks.place_model_ring(team, x, y, z, angle);
}
inline void present_frame()
{
    if (match_hooks.present_frame) match_hooks.present_frame();
}
inline void draw_man_name(PlayerSlot* man)
{
    if (match_hooks.draw_man_name) match_hooks.draw_man_name(man);
}
inline PlayerSlot* replay_focus_man()
{
    return match_hooks.replay_focus_man ? match_hooks.replay_focus_man() : nullptr;
}
inline int32_t replay_view_open()
{
    return match_hooks.replay_view_open ? match_hooks.replay_view_open() : 0;
}
inline void run_replay_overlay()
{
    if (match_hooks.run_replay_overlay) match_hooks.run_replay_overlay();
}
inline int32_t change_3d_device_requested()
{
    return match_hooks.change_3d_device_requested ? match_hooks.change_3d_device_requested() : 0;
}
inline void select_3d_device()
{
    if (match_hooks.select_3d_device) match_hooks.select_3d_device();
}
inline int32_t team_marker_point(int32_t team, float* x, float* y, float* z)
{
    return match_hooks.team_marker_point ? match_hooks.team_marker_point(team, x, y, z) : 0;
}
inline int32_t throw_in_angle()
{
    return match_hooks.throw_in_angle ? match_hooks.throw_in_angle() : 0;
}
inline void poll_input_frame()
{
    if (match_hooks.poll_input_frame) match_hooks.poll_input_frame();
}
inline int32_t run_pause_frame()
{
    return match_hooks.run_pause_frame ? match_hooks.run_pause_frame() : 0;
}
inline void release_match_resources()
{
    if (match_hooks.release_match_resources) match_hooks.release_match_resources();
}
inline void restore_transition_viewport()
{
    if (match_hooks.restore_transition_viewport) match_hooks.restore_transition_viewport();
}
inline void pause_hud_flag()
{
    if (match_hooks.pause_hud_flag) match_hooks.pause_hud_flag();
}
inline void clear_message_banner()
{
    if (match_hooks.clear_message_banner) match_hooks.clear_message_banner();
}
inline void set_sprite_queues(bool on)
{
    if (auto f = on ? match_hooks.enable_sprite_queue : match_hooks.disable_sprite_queue) f();
    if (auto f = on ? match_hooks.enable_text_sprite_queue : match_hooks.disable_text_sprite_queue) f();
}
inline void fade_palette_in()
{
    if (match_hooks.fade_palette_in) match_hooks.fade_palette_in();
}

} // namespace presentation
