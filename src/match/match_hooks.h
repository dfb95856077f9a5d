// The match simulation's one way out to presentation: sound effects,
// commentary, crowd, cameras, message banners and team overlays. The display
// installs the table when a match screen opens; with an entry left null the
// simulation carries on as if the presentation did nothing, so headless runs
// and tests play the same ticks as the game.
#pragma once

#include <cstdint>

struct PlayerSlot;
struct TeamRecord;

struct MatchHooks {
    // Plays match effect `effect` at `frequency` Hz (0: the sample's own) and
    // volume 0..127, scaled by the effects setting. Pan is always centre.
    void (*play_effect)(int32_t effect, int32_t frequency, int32_t volume);
    // The same, `delay` ticks from now; one delayed effect is kept.
    void (*schedule_effect)(int32_t effect, int32_t frequency, int32_t volume, int32_t a, int32_t b, int32_t delay);

    // Queues a commentary phrase of `event`; -1 stands for no team or man.
    void (*commentate)(int32_t event, int32_t team_a, int32_t man_a, int32_t team_b, int32_t man_b, int32_t priority);
    // Issues, or forgets, the stored deferred commentary event.
    void (*flush_pending_commentary)();
    void (*clear_pending_commentary)();
    // The commentary's state word; 0 when none is installed.
    int32_t (*commentary_state)();
    // A crowd reaction of `kind` (0 a cheer).
    void (*crowd_react)(int32_t kind);
    // Exchanges two men's spoken-name entries after an interchange.
    void (*swap_name_sample_entries)(int32_t team, int32_t number_a, int32_t number_b);

    // Picks an automatic event camera on the man.
    void (*choose_automatic_camera)(PlayerSlot* man, int32_t value);

    // Non-zero while a message banner shows.
    int32_t (*message_banner_busy)();
    // Opens the message banner of `kind`; a non-zero handle, or 0 when it
    // refuses (one already shows). Null: no banner, 0.
    int32_t (*open_message_banner)(int32_t kind);
    // Shows a built text in the opened banner.
    void (*show_message)(const char* text, int32_t handle);
    // Shows the score banner.
    void (*show_score_banner)();
    // Starts the team highlight panel of a team (index) with four values.
    void (*start_team_highlight)(int32_t team, int32_t a, int32_t b, int32_t c, int32_t d);

    // A team's set-play option overlay: open it, advance it, and whether it
    // is still busy (0 = idle when none is installed).
    void (*init_team_overlay)(TeamRecord* team, int32_t mode, int32_t arg);
    void (*update_team_overlay)(TeamRecord* team, int32_t mode, int32_t arg);
    int32_t (*team_overlay_busy)(const TeamRecord* team);

    // Commentary around a phase cut, and the deferred event: store one
    // (replacing any waiting) and the kind of the one waiting (-1 none).
    void (*mute_commentary)();
    void (*unmute_commentary)();
    void (*set_pending_commentary)(int32_t event, int32_t team_a, int32_t man_a, int32_t team_b, int32_t man_b,
                                   int32_t priority);
    int32_t (*pending_commentary_kind)();
    // HUD: the pause step of the HUD flag, the banner cleared, both panels
    // closed.
    void (*pause_hud_flag)();
    void (*clear_message_banner)();
    void (*close_hud_panels)();
    // Hardware screen transitions, each started unless one runs: the closing
    // one (fade-out) and the opening one (fade-in); whether one runs (null:
    // none does).
    void (*start_screen_transition)(int32_t kind, int32_t ms, void (*done)());
    void (*start_screen_transition_b)(int32_t kind);
    int32_t (*hw_transition_running)();
    // The hardware sprite and text sprite queues.
    void (*enable_sprite_queue)();
    void (*disable_sprite_queue)();
    void (*enable_text_sprite_queue)();
    void (*disable_text_sprite_queue)();
    // Non-zero on the software display path (null: the hardware path),
    // which fades the palette between black and `palette` (null: the
    // current one); the match palette (null: none).
    int32_t (*software_path)();
    void (*fade_palette)(int32_t first, int32_t last, const void* palette, int32_t steps);
    const void* (*match_palette)();
};

// The installed table; all entries null until the display fills them.
extern MatchHooks match_hooks;
void clear_match_hooks();

// Callers go through these, which stand for "nothing" when an entry is null.
namespace presentation {

inline void play_effect(int32_t effect, int32_t frequency, int32_t volume)
{
    if (match_hooks.play_effect)
        match_hooks.play_effect(effect, frequency, volume);
}
inline void schedule_effect(int32_t effect, int32_t frequency, int32_t volume, int32_t a, int32_t b, int32_t delay)
{
    if (match_hooks.schedule_effect)
        match_hooks.schedule_effect(effect, frequency, volume, a, b, delay);
}
inline void commentate(int32_t event, int32_t team_a, int32_t man_a, int32_t team_b, int32_t man_b, int32_t priority)
{
    if (match_hooks.commentate)
        match_hooks.commentate(event, team_a, man_a, team_b, man_b, priority);
}
inline void flush_pending_commentary()
{
    if (match_hooks.flush_pending_commentary)
        match_hooks.flush_pending_commentary();
}
inline void clear_pending_commentary()
{
    if (match_hooks.clear_pending_commentary)
        match_hooks.clear_pending_commentary();
}
inline int32_t commentary_state() { return match_hooks.commentary_state ? match_hooks.commentary_state() : 0; }
inline void crowd_react(int32_t kind)
{
    if (match_hooks.crowd_react)
        match_hooks.crowd_react(kind);
}
inline void swap_name_sample_entries(int32_t team, int32_t a, int32_t b)
{
    if (match_hooks.swap_name_sample_entries)
        match_hooks.swap_name_sample_entries(team, a, b);
}
inline void choose_automatic_camera(PlayerSlot* man, int32_t value)
{
    if (match_hooks.choose_automatic_camera)
        match_hooks.choose_automatic_camera(man, value);
}
inline int32_t message_banner_busy() { return match_hooks.message_banner_busy ? match_hooks.message_banner_busy() : 0; }
inline int32_t open_message_banner(int32_t kind)
{
    return match_hooks.open_message_banner ? match_hooks.open_message_banner(kind) : 0;
}
inline void show_message(const char* text, int32_t handle)
{
    if (match_hooks.show_message)
        match_hooks.show_message(text, handle);
}
inline void show_score_banner()
{
    if (match_hooks.show_score_banner)
        match_hooks.show_score_banner();
}
inline void start_team_highlight(int32_t team, int32_t a, int32_t b, int32_t c, int32_t d)
{
    if (match_hooks.start_team_highlight)
        match_hooks.start_team_highlight(team, a, b, c, d);
}
inline void init_team_overlay(TeamRecord* team, int32_t mode, int32_t arg)
{
    if (match_hooks.init_team_overlay)
        match_hooks.init_team_overlay(team, mode, arg);
}
inline void update_team_overlay(TeamRecord* team, int32_t mode, int32_t arg)
{
    if (match_hooks.update_team_overlay)
        match_hooks.update_team_overlay(team, mode, arg);
}
inline int32_t team_overlay_busy(const TeamRecord* team)
{
    return match_hooks.team_overlay_busy ? match_hooks.team_overlay_busy(team) : 0;
}

inline void call_hook(void (*hook)())
{
    if (hook)
        hook();
}
inline void mute_commentary() { call_hook(match_hooks.mute_commentary); }
inline void unmute_commentary() { call_hook(match_hooks.unmute_commentary); }
inline void set_pending_commentary(int32_t event, int32_t team_a, int32_t man_a, int32_t team_b, int32_t man_b,
                                   int32_t priority)
{
    if (match_hooks.set_pending_commentary)
        match_hooks.set_pending_commentary(event, team_a, man_a, team_b, man_b, priority);
}
inline int32_t pending_commentary_kind()
{
    return match_hooks.pending_commentary_kind ? match_hooks.pending_commentary_kind() : -1;
}
inline void pause_hud_flag() { call_hook(match_hooks.pause_hud_flag); }
inline void clear_message_banner() { call_hook(match_hooks.clear_message_banner); }
inline void close_hud_panels() { call_hook(match_hooks.close_hud_panels); }
inline void start_screen_transition(int32_t kind, int32_t ms, void (*done)())
{
    if (match_hooks.start_screen_transition)
        match_hooks.start_screen_transition(kind, ms, done);
}
inline void start_screen_transition_b(int32_t kind)
{
    if (match_hooks.start_screen_transition_b)
        match_hooks.start_screen_transition_b(kind);
}
inline int32_t hw_transition_running()
{
    return match_hooks.hw_transition_running ? match_hooks.hw_transition_running() : 0;
}
inline void fade_palette(int32_t first, int32_t last, const void* palette, int32_t steps)
{
    if (match_hooks.fade_palette)
        match_hooks.fade_palette(first, last, palette, steps);
}
inline int32_t software_path() { return match_hooks.software_path ? match_hooks.software_path() : 0; }
inline const void* match_palette() { return match_hooks.match_palette ? match_hooks.match_palette() : nullptr; }

} // namespace presentation
