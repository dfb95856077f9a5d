// The one table through which the match simulation reaches presentation
// (commentary, crowd, effects, HUD, screen transitions, the sprite queues).
// The display layer installs it at start; a null entry does nothing, or
// answers the default its line gives. Tests install their own.
#pragma once

#include <cstdint>

struct MatchHooks {
    // Commentary.
    void (*mute_commentary)();
    void (*unmute_commentary)();
    // Stores one deferred commentary event, replacing any waiting.
    void (*set_pending_commentary)(int32_t event, int32_t team, int32_t man, int32_t team2, int32_t man2,
                                   int32_t priority);
    // The kind of the deferred event waiting; null: -1, none.
    int32_t (*pending_commentary_kind)();
    void (*commentate)(int32_t event, int32_t team, int32_t man, int32_t team2, int32_t man2, int32_t priority);
    // Crowd and effects.
    void (*crowd_react)(int32_t kind);
    void (*play_effect)(int32_t effect, int32_t a, int32_t b);
    // HUD.
    void (*pause_hud_flag)();
    void (*clear_message_banner)();
    void (*close_hud_panels)();
    // Hardware screen transitions, each started unless one runs: the closing
    // one (fade-out) and the opening one (fade-in). Null running: 0.
    void (*start_screen_transition)(int32_t kind, int32_t ms, void (*done)());
    void (*start_screen_transition_b)(int32_t kind);
    int32_t (*hw_transition_running)();
    // The hardware sprite and text sprite queues.
    void (*enable_sprite_queue)();
    void (*disable_sprite_queue)();
    void (*enable_text_sprite_queue)();
    void (*disable_text_sprite_queue)();
    // Software path: fades the palette (palette null: the current one).
    void (*fade_palette)(int32_t first, int32_t last, const void* palette, int32_t steps);
    // Software path: the match palette; null: none (the current one).
    const void* (*match_palette)();
};

extern MatchHooks match_hooks;
// Installs a table (null: every entry null).
void install_match_hooks(const MatchHooks* hooks);
