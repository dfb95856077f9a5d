// The simulation's one way to presentation: replay, cameras, commentary,
// crowd, effects, HUD and banners, the screen transitions and the frame's
// drawing. The display installs a table at start; with none installed, or an
// entry left null, a call does nothing and a query answers the fixed default
// written beside it.
#pragma once

#include <cstdint>

struct PlayerSlot;

struct MatchHooks {
    // Replay.
    void (*record_replay_frame)(uint32_t tick); // records this tick for the replay
    void (*enter_replay)(); // opens the replay screen when one is asked for
    int32_t (*replay_playback_active)(); // non-zero while a replay plays back instead of the match [0]
    void (*set_replay_playback)(int32_t on); // starts or ends replay playback mode
    void (*start_replay_playback)(uint32_t tick); // the whole tick during playback
    void (*reset_replay)(); // empties the replay buffer
    // Cameras.
    void (*init_camera_system)(); // resets the camera presets
    void (*reset_cameras)(int32_t preset); // resets one preset
    void (*update_match_camera)(); // per-tick camera step
    void (*camera_select_by_keys)(); // the view hot keys
    void (*set_camera_for_situation)(int32_t x, int32_t height, int32_t y, int32_t view_a, int32_t view_b); // points the camera for a stoppage
    void (*set_camera_position)(int32_t x, int32_t height, int32_t y); // puts the camera at a point
    void (*set_camera_look_at)(int32_t x, int32_t height, int32_t y); // turns the camera to a point
    void (*setup_all_camera_presets)(int32_t x, int32_t z, int32_t y); // recomputes every preset round a point
    void (*choose_automatic_camera)(PlayerSlot* man, int32_t value); // an automatic event camera on the man
    void (*track_camera_target)(PlayerSlot* man); // follows the man (the scorer)
    int32_t (*camera_view)(); // the current view number [3]
    void (*set_camera_view)(int32_t view); // makes a view current
    void (*flag_camera_resetup)(); // the cameras set themselves up again
    // Commentary (team and man -1 for none).
    void (*reset_commentary)(); // forgets everything said
    void (*commentate)(int32_t event, int32_t team_a, int32_t man_a, int32_t team_b, int32_t man_b, int32_t priority); // queues a phrase of the event's group; event -3 stops the phrase
    void (*set_pending_commentary)(int32_t event, int32_t team_a, int32_t man_a, int32_t team_b, int32_t man_b, int32_t priority); // stores one deferred phrase (the last stored wins)
    void (*flush_pending_commentary)(); // says the stored phrase
    void (*clear_pending_commentary)(); // forgets the stored phrase
    int32_t (*pending_commentary_event)(); // the stored phrase's event, -1 when none [-1]
    int32_t (*queued_commentary_event)(); // the queued event, -1 when none [-1]
    void (*drop_queued_commentary)(); // forgets the queued event
    int32_t (*last_spoken_event)(); // the event last spoken [-1]
    int32_t (*commentary_speaks)(); // non-zero when commentary is on [0]
    int32_t (*commentary_within_phrase)(); // non-zero while a phrase is under way [0]
    int32_t (*phrase_remaining_ticks)(); // ticks left of the phrase under way [0]
    void (*say_unless_speaking)(int32_t group); // a phrase of the group unless one runs
    void (*service_deferred_remarks)(); // a deferred remark at a change of state
    void (*mute_commentary)();
    void (*unmute_commentary)();
    void (*commentary_fill_silence)(); // per tick
    void (*choose_situation_remark)(); // picks a deferred remark
    void (*mark_remark_time)(); // stamps the clock of the last remark
    int32_t (*find_player_name_sample)(int32_t club, int32_t player_index); // 0..5, -1 when the man has no spoken name [-1]
    // Crowd and effects.
    void (*crowd_react)(int32_t kind); // -1 silence, 0 cheer, 2 intercept, 3 resume, -3 ambient by ball position
    void (*play_effect)(int32_t id, int32_t pan, int32_t volume, int32_t a, int32_t b); // a match sound effect
    void (*schedule_effect)(int32_t id, int32_t frequency, int32_t volume, int32_t a, int32_t b, int32_t delay); // an effect after delay ticks
    void (*service_scheduled_effect)(); // per tick
    void (*sound_hook)(); // the empty sound hook
    // HUD, banners and overlays.
    void (*hud_hook)(); // the empty per-tick HUD step
    void (*update_message_banner)(); // per frame
    int32_t (*banner_showing)(); // non-zero while a message banner shows [0]
    int32_t (*open_message_banner)(int32_t kind); // a handle, 0 when refused [0]
    int32_t (*open_message_banner2)(int32_t kind); // the second banner; a handle, 0 when refused [0]
    void (*show_message)(const char* text, int32_t handle); // shows the text in the opened banner
    void (*step_hud_panel_timer)(); // the HUD panel timer down by 256, not below 0
    int32_t (*kick_panel_open)(); // non-zero while the set-kick panel is open [0]
    void (*mark_kick_panel_reopen)(); // the panel opens again when the match returns
    void (*clear_hud_panels)(); // clears the HUD panel words and the kick panel flag
    void (*reopen_kick_panel)(); // opens the kick panel when it was marked
    void (*close_hud_panels)();
    void (*open_hud_panel)(); // the set-kick aiming panel
    void (*open_side_panel)(int32_t x, int32_t y); // the side panel aimed at a point
    void (*set_aiming_panel)(int32_t angle, int32_t distance); // aims the set-kick panel
    int32_t (*hud_paused)(); // non-zero while the HUD holds the clock paused [0]
    void (*resume_hud_flag)(); // the clock shows as running again
    void (*init_team_overlay)(int32_t team, int32_t mode, int32_t count);
    void (*arrange_overlay_ring)(int32_t team, int32_t a, int32_t b, int32_t count);
    void (*update_team_overlay)(int32_t team, int32_t mode, int32_t arg);
    // Match set-up and models.
    void (*load_match_presentation)(int32_t mode); // graphics and sound of the match (frames may run the first ticks)
    void (*build_model_instance)(PlayerSlot* man, int32_t level, int32_t record, const char* directory, const char* const* names, int32_t count); // one of a man's three model instances
    void (*reload_overlay_model)();
    void (*pop_texture_slot)();
    // Screen.
    void (*update_hw_camera)(float aspect); // a new display aspect ratio
    int32_t (*use_3d_hardware)(); // 0 on the software path [1]
    void (*start_transition)(int32_t effect, int32_t ms, int32_t direction); // a closing (0) or opening (1) screen transition
    int32_t (*hw_transition_running)(); // non-zero while a screen transition runs [0]
    int32_t (*step_transition)(); // steps the transition; non-zero once it has ended [1]
    void (*fade_palette_out)(); // software path: fades to black
    void (*prepare_men_display)(); // the men's display poses
    void (*draw_match_scene)(); // begins the scene, draws the 3D frame, ends it
    void (*draw_score_clock)();
    void (*queue_sprite)(int32_t sprite, int32_t x, int32_t y, int32_t a, int32_t b, int32_t c, int32_t alpha); // one overlay sprite
    void (*place_model_ring)(int32_t team, float x, float y, float z, float angle); // a human team's ring in a throw-in
    void (*present_frame)();
    void (*poll_input_frame)(); // reads the input devices for a frame
    int32_t (*run_pause_frame)(); // draws one paused frame and reads the keys; 0 when there is no screen [0]
    void (*release_match_resources)();
    void (*restore_transition_viewport)();
};

// Null uninstalls.
void install_match_hooks(const MatchHooks* hooks);
const MatchHooks* installed_match_hooks();

namespace hooks {
extern const MatchHooks* table;

inline void record_replay_frame(uint32_t tick) { if (table && table->record_replay_frame) table->record_replay_frame(tick); }
inline void enter_replay() { if (table && table->enter_replay) table->enter_replay(); }
inline int32_t replay_playback_active() { return table && table->replay_playback_active ? table->replay_playback_active() : 0; }
inline void set_replay_playback(int32_t on) { if (table && table->set_replay_playback) table->set_replay_playback(on); }
inline void start_replay_playback(uint32_t tick) { if (table && table->start_replay_playback) table->start_replay_playback(tick); }
inline void reset_replay() { if (table && table->reset_replay) table->reset_replay(); }
inline void init_camera_system() { if (table && table->init_camera_system) table->init_camera_system(); }
inline void reset_cameras(int32_t preset) { if (table && table->reset_cameras) table->reset_cameras(preset); }
inline void update_match_camera() { if (table && table->update_match_camera) table->update_match_camera(); }
inline void camera_select_by_keys() { if (table && table->camera_select_by_keys) table->camera_select_by_keys(); }
inline void set_camera_for_situation(int32_t x, int32_t height, int32_t y, int32_t view_a, int32_t view_b) { if (table && table->set_camera_for_situation) table->set_camera_for_situation(x, height, y, view_a, view_b); }
inline void set_camera_position(int32_t x, int32_t height, int32_t y) { if (table && table->set_camera_position) table->set_camera_position(x, height, y); }
inline void set_camera_look_at(int32_t x, int32_t height, int32_t y) { if (table && table->set_camera_look_at) table->set_camera_look_at(x, height, y); }
inline void setup_all_camera_presets(int32_t x, int32_t z, int32_t y) { if (table && table->setup_all_camera_presets) table->setup_all_camera_presets(x, z, y); }
inline void choose_automatic_camera(PlayerSlot* man, int32_t value) { if (table && table->choose_automatic_camera) table->choose_automatic_camera(man, value); }
inline void track_camera_target(PlayerSlot* man) { if (table && table->track_camera_target) table->track_camera_target(man); }
inline int32_t camera_view() { return table && table->camera_view ? table->camera_view() : 3; }
inline void set_camera_view(int32_t view) { if (table && table->set_camera_view) table->set_camera_view(view); }
inline void flag_camera_resetup() { if (table && table->flag_camera_resetup) table->flag_camera_resetup(); }
inline void reset_commentary() { if (table && table->reset_commentary) table->reset_commentary(); }
inline void commentate(int32_t event, int32_t team_a, int32_t man_a, int32_t team_b, int32_t man_b, int32_t priority) { if (table && table->commentate) table->commentate(event, team_a, man_a, team_b, man_b, priority); }
inline void set_pending_commentary(int32_t event, int32_t team_a, int32_t man_a, int32_t team_b, int32_t man_b, int32_t priority) { if (table && table->set_pending_commentary) table->set_pending_commentary(event, team_a, man_a, team_b, man_b, priority); }
inline void flush_pending_commentary() { if (table && table->flush_pending_commentary) table->flush_pending_commentary(); }
inline void clear_pending_commentary() { if (table && table->clear_pending_commentary) table->clear_pending_commentary(); }
inline int32_t pending_commentary_event() { return table && table->pending_commentary_event ? table->pending_commentary_event() : -1; }
inline int32_t queued_commentary_event() { return table && table->queued_commentary_event ? table->queued_commentary_event() : -1; }
inline void drop_queued_commentary() { if (table && table->drop_queued_commentary) table->drop_queued_commentary(); }
inline int32_t last_spoken_event() { return table && table->last_spoken_event ? table->last_spoken_event() : -1; }
inline int32_t commentary_speaks() { return table && table->commentary_speaks ? table->commentary_speaks() : 0; }
inline int32_t commentary_within_phrase() { return table && table->commentary_within_phrase ? table->commentary_within_phrase() : 0; }
inline int32_t phrase_remaining_ticks() { return table && table->phrase_remaining_ticks ? table->phrase_remaining_ticks() : 0; }
inline void say_unless_speaking(int32_t group) { if (table && table->say_unless_speaking) table->say_unless_speaking(group); }
inline void service_deferred_remarks() { if (table && table->service_deferred_remarks) table->service_deferred_remarks(); }
inline void mute_commentary() { if (table && table->mute_commentary) table->mute_commentary(); }
inline void unmute_commentary() { if (table && table->unmute_commentary) table->unmute_commentary(); }
inline void commentary_fill_silence() { if (table && table->commentary_fill_silence) table->commentary_fill_silence(); }
inline void choose_situation_remark() { if (table && table->choose_situation_remark) table->choose_situation_remark(); }
inline void mark_remark_time() { if (table && table->mark_remark_time) table->mark_remark_time(); }
inline int32_t find_player_name_sample(int32_t club, int32_t player_index) { return table && table->find_player_name_sample ? table->find_player_name_sample(club, player_index) : -1; }
inline void crowd_react(int32_t kind) { if (table && table->crowd_react) table->crowd_react(kind); }
inline void play_effect(int32_t id, int32_t pan, int32_t volume, int32_t a, int32_t b) { if (table && table->play_effect) table->play_effect(id, pan, volume, a, b); }
inline void schedule_effect(int32_t id, int32_t frequency, int32_t volume, int32_t a, int32_t b, int32_t delay) { if (table && table->schedule_effect) table->schedule_effect(id, frequency, volume, a, b, delay); }
inline void service_scheduled_effect() { if (table && table->service_scheduled_effect) table->service_scheduled_effect(); }
inline void sound_hook() { if (table && table->sound_hook) table->sound_hook(); }
inline void hud_hook() { if (table && table->hud_hook) table->hud_hook(); }
inline void update_message_banner() { if (table && table->update_message_banner) table->update_message_banner(); }
inline int32_t banner_showing() { return table && table->banner_showing ? table->banner_showing() : 0; }
inline int32_t open_message_banner(int32_t kind) { return table && table->open_message_banner ? table->open_message_banner(kind) : 0; }
inline int32_t open_message_banner2(int32_t kind) { return table && table->open_message_banner2 ? table->open_message_banner2(kind) : 0; }
inline void show_message(const char* text, int32_t handle) { if (table && table->show_message) table->show_message(text, handle); }
inline void step_hud_panel_timer() { if (table && table->step_hud_panel_timer) table->step_hud_panel_timer(); }
inline int32_t kick_panel_open() { return table && table->kick_panel_open ? table->kick_panel_open() : 0; }
inline void mark_kick_panel_reopen() { if (table && table->mark_kick_panel_reopen) table->mark_kick_panel_reopen(); }
inline void clear_hud_panels() { if (table && table->clear_hud_panels) table->clear_hud_panels(); }
inline void reopen_kick_panel() { if (table && table->reopen_kick_panel) table->reopen_kick_panel(); }
inline void close_hud_panels() { if (table && table->close_hud_panels) table->close_hud_panels(); }
inline void open_hud_panel() { if (table && table->open_hud_panel) table->open_hud_panel(); }
inline void open_side_panel(int32_t x, int32_t y) { if (table && table->open_side_panel) table->open_side_panel(x, y); }
inline void set_aiming_panel(int32_t angle, int32_t distance) { if (table && table->set_aiming_panel) table->set_aiming_panel(angle, distance); }
inline int32_t hud_paused() { return table && table->hud_paused ? table->hud_paused() : 0; }
inline void resume_hud_flag() { if (table && table->resume_hud_flag) table->resume_hud_flag(); }
inline void init_team_overlay(int32_t team, int32_t mode, int32_t count) { if (table && table->init_team_overlay) table->init_team_overlay(team, mode, count); }
inline void arrange_overlay_ring(int32_t team, int32_t a, int32_t b, int32_t count) { if (table && table->arrange_overlay_ring) table->arrange_overlay_ring(team, a, b, count); }
inline void update_team_overlay(int32_t team, int32_t mode, int32_t arg) { if (table && table->update_team_overlay) table->update_team_overlay(team, mode, arg); }
inline void load_match_presentation(int32_t mode) { if (table && table->load_match_presentation) table->load_match_presentation(mode); }
inline void build_model_instance(PlayerSlot* man, int32_t level, int32_t record, const char* directory, const char* const* names, int32_t count) { if (table && table->build_model_instance) table->build_model_instance(man, level, record, directory, names, count); }
inline void reload_overlay_model() { if (table && table->reload_overlay_model) table->reload_overlay_model(); }
inline void pop_texture_slot() { if (table && table->pop_texture_slot) table->pop_texture_slot(); }
inline void update_hw_camera(float aspect) { if (table && table->update_hw_camera) table->update_hw_camera(aspect); }
inline int32_t use_3d_hardware() { return table && table->use_3d_hardware ? table->use_3d_hardware() : 1; }
inline void start_transition(int32_t effect, int32_t ms, int32_t direction) { if (table && table->start_transition) table->start_transition(effect, ms, direction); }
inline int32_t hw_transition_running() { return table && table->hw_transition_running ? table->hw_transition_running() : 0; }
inline int32_t step_transition() { return table && table->step_transition ? table->step_transition() : 1; }
inline void fade_palette_out() { if (table && table->fade_palette_out) table->fade_palette_out(); }
inline void prepare_men_display() { if (table && table->prepare_men_display) table->prepare_men_display(); }
inline void draw_match_scene() { if (table && table->draw_match_scene) table->draw_match_scene(); }
inline void draw_score_clock() { if (table && table->draw_score_clock) table->draw_score_clock(); }
inline void queue_sprite(int32_t sprite, int32_t x, int32_t y, int32_t a, int32_t b, int32_t c, int32_t alpha) { if (table && table->queue_sprite) table->queue_sprite(sprite, x, y, a, b, c, alpha); }
inline void place_model_ring(int32_t team, float x, float y, float z, float angle) { if (table && table->place_model_ring) table->place_model_ring(team, x, y, z, angle); }
inline void present_frame() { if (table && table->present_frame) table->present_frame(); }
inline void poll_input_frame() { if (table && table->poll_input_frame) table->poll_input_frame(); }
inline int32_t run_pause_frame() { return table && table->run_pause_frame ? table->run_pause_frame() : 0; }
inline void release_match_resources() { if (table && table->release_match_resources) table->release_match_resources(); }
inline void restore_transition_viewport() { if (table && table->restore_transition_viewport) table->restore_transition_viewport(); }
} // namespace hooks
