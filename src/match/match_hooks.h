// The one door from the match simulation to presentation. The display layer
// installs a filled table at start; every entry may be null, which means "do
// nothing" (or, for an entry with a result, the default named beside it).
// The simulation calls presentation only through the helpers below.
#pragma once

#include <cstdint>

struct PlayerSlot;

struct MatchHooks {
    // A match sound effect: sample number, frequency (0: its own), volume.
    void (*play_effect)(int32_t effect, int32_t frequency, int32_t volume);
    // A commentary event naming up to two men (null: nobody), at a priority.
    void (*commentate)(int32_t event, const PlayerSlot* first, const PlayerSlot* second, int32_t priority);
    // Says the commentary event that waits to be said, if any.
    void (*flush_pending_commentary)();
    // The crowd reacts (0 cheers a goal).
    void (*crowd_react)(int32_t kind);
};

extern MatchHooks match_hooks;

// Installs a table (copied); null installs the empty one.
void install_match_hooks(const MatchHooks* hooks);

inline void play_effect(int32_t effect, int32_t frequency, int32_t volume)
{
    if (match_hooks.play_effect) match_hooks.play_effect(effect, frequency, volume);
}
inline void commentate(int32_t event, const PlayerSlot* first, const PlayerSlot* second, int32_t priority)
{
    if (match_hooks.commentate) match_hooks.commentate(event, first, second, priority);
}
inline void flush_pending_commentary()
{
    if (match_hooks.flush_pending_commentary) match_hooks.flush_pending_commentary();
}
inline void crowd_react(int32_t kind)
{
    if (match_hooks.crowd_react) match_hooks.crowd_react(kind);
}
