// Match sound effects and the crowd.
#include "display/match_sound.h"

#include "match/game_maths.h"
#include "match/match_records.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/sound.h"

#include <cstdio>
#include <cstdlib>

MatchSound match_sound;

MatchEffect match_effects[MATCH_EFFECT_COUNT] = {
    {"CATCH3", -1},   {"TACKLE1", -1},  {"TACKLE2", -1},  {"TACKLE3", -1},  {"TACKLE4", -1},  {"TACKLE5", -1},
    {"TACKLE6", -1},  {"TACKLE7", -1},  {"TACKLE8", -1},  {"HITPOST1", -1}, {"KICK1", -1},    {"SLAP1", -1},
    {"WHISTLE2", -1}, {"SIREN", -1},    {"CHEER1", -1},   {"CHEER2", -1},   {"CHEER3", -1},   {"BOO", -1},
    {"BOO2", -1},     {"CHANT4", -1},   {"CHANT6", -1},   {"CHANT7", -1},   {"CHANT8", -1},   {"CHANT9", -1},
    {"CHANT11", -1},  {"WHISTLE1", -1}, {"BOUNCE", -1},   {"THUD1", -1},    {"FIGHT_1", -1},  {"FIGHT_3", -1},
    {"FIGHT_4", -1},  {"FIGHT_6", -1},  {"FIGHT_7", -1},  {"FIGHT_8", -1},  {"GRUNT_10", -1}, {"GRUNT_13", -1},
    {"GRUNT_14", -1}, {"GRUNT_17", -1}, {"GRUNT_3", -1},  {"GRUNT_4", -1},  {"GRUNT_5", -1},  {"GRUNT_6", -1},
    {"GRUNT_7", -1},  {"GRUNT_18", -1}, {"GRUNT_11", -1}, {"ALLCLEAR", -1}, {"PLAYON", -1},
};

const uint32_t club_region_bits[16] = {1, 1, 2, 4, 1, 8, 2, 16, 1, 4, 2, 1, 8, 16, 4, 2};

namespace {

constexpr int32_t FIRST_CHANT = 19, CHANT_COUNT = 6;
constexpr uint32_t EFFECT_TAG = 0x45464658; // "XFFE"

int32_t random_below(int32_t n) { return static_cast<int32_t>(game_random() % static_cast<uint32_t>(n)); }

bool sound_on() { return sound_available != 0; }

// The sample layer counts 0 as full: a level of 0 plays nothing at all.
void play_at(int32_t sound, int32_t frequency, int32_t level)
{
    if (sound < 0 || level <= 0) return;
    if (level > 127) level = 127;
    play_sample(sound, -1, static_cast<uint32_t>(frequency > 0 ? frequency : 0), static_cast<uint32_t>(level), 0, 0);
}

int32_t crowd_level()
{
    // Before the first tick (or after a silence) the loop is at 0: use the
    // level this tick would give.
    const CrowdState& c = match_sound.crowd;
    if (c.volume > 0) return c.volume;
    const int32_t a = std::abs(static_cast<int32_t>(ball_state.x >> 16));
    const int32_t target = a / 768 + 97;
    const int32_t level = ((active_sound_levels.crowd_volume + 1) * target * 127) >> 14;
    return level > 127 ? 127 : level;
}

void play_crowd_effect(int32_t id) { play_at(match_effects[id].sound, 0, crowd_level()); }

bool chants_allowed() { return match_globals.game_type != 7 && match_globals.pending_cut_state == -1; }

} // namespace

void reset_match_sound()
{
    match_sound = MatchSound{};
    match_sound.scheduled.delay = -1;
    match_sound.crowd.sound = -1;
    match_sound.crowd.mode = match_sound.crowd.mode_applied = CROWD_STOPPED;
    for (MatchEffect& e : match_effects) e.sound = -1;
}

int32_t effect_volume(int32_t volume)
{
    if (volume <= 0 || volume > 255) volume = 127;
    return ((active_sound_levels.sfx_volume + 1) * volume) >> 7;
}

int32_t load_match_effects()
{
    if (!sound_on() || !active_sound_levels.sfx) return 0;
    for (MatchEffect& e : match_effects) {
        char path[64];
        std::snprintf(path, sizeof path, "KOB99_SFX\\%s.LKA", e.file);
        e.sound = -1;
        if (!file_exists(path)) continue;
        uint32_t size = 0;
        uint8_t* image = load_file(path, &size);
        e.sound = install_sample(image, size, -1, EFFECT_TAG);
        free_mem(image);
    }
    match_sound.scheduled.delay = -1;
    match_sound.effects_loaded = 1;
    return 1;
}

void free_match_effects()
{
    if (!match_sound.effects_loaded) return;
    for (MatchEffect& e : match_effects) {
        if (e.sound >= 0) free_sample(e.sound);
        e.sound = -1;
    }
    match_sound.effects_loaded = 0;
}

void play_effect(int32_t id, int32_t frequency, int32_t volume)
{
    if (!match_sound.effects_loaded || id < 0 || id >= MATCH_EFFECT_COUNT) return;
    play_at(match_effects[id].sound, frequency, effect_volume(volume));
}

void stop_effect(int32_t id)
{
    if (!match_sound.effects_loaded || id < 0 || id >= MATCH_EFFECT_COUNT) return;
    if (match_effects[id].sound >= 0) stop_sample(match_effects[id].sound);
}

void schedule_effect(int32_t id, int32_t frequency, int32_t volume, int32_t a, int32_t b, int32_t delay)
{
    match_sound.scheduled = ScheduledEffect{id, frequency, volume, a, b, delay};
}

void service_scheduled_effect()
{
    ScheduledEffect& s = match_sound.scheduled;
    if (s.delay < 0) return;
    s.delay -= match_globals.ticks_last_frame;
    if (s.delay < 1) {
        play_effect(s.id, s.frequency, s.volume);
        s.delay = -1;
    }
}

void restart_chant_timer() { match_sound.crowd.chant_timer = (random_below(16) + 15) * 62; }

int32_t start_crowd_loops()
{
    CrowdState& c = match_sound.crowd;
    if (!sound_on() || !active_sound_levels.crowd) return 0;
    if (c.sound >= 0) free_sample(c.sound);
    c.sound = file_exists("KOB99_SFX\\CROWD.WAV") ? load_sample("KOB99_SFX\\CROWD.WAV", -1, EFFECT_TAG) : -1;
    c.target = 0;
    c.frequency = 0;
    c.mode = CROWD_RUNNING;
    c.mode_applied = 0;
    c.volume = 0;
    restart_chant_timer();
    c.loaded = 1;
    return 1;
}

void stop_crowd_loops()
{
    CrowdState& c = match_sound.crowd;
    if (!c.loaded) return;
    crowd_react(-1);
    if (c.sound >= 0) free_sample(c.sound);
    c.sound = -1;
    c.loaded = 0;
}

void mute_crowd_loop()
{
    CrowdState& c = match_sound.crowd;
    if (c.sound >= 0) set_sample_volume(c.sound, 0, 0);
    c.volume = 0;
}

void crowd_react(int32_t kind)
{
    CrowdState& c = match_sound.crowd;
    if (!sound_on() || !c.loaded) return;
    switch (kind) {
    case 0: play_crowd_effect(14 + random_below(3)); break;
    case 2: play_crowd_effect(17 + random_below(2)); break;
    case 5:
        if (chants_allowed()) play_crowd_effect(FIRST_CHANT + random_below(CHANT_COUNT));
        break;
    case -3: {
        const int32_t a = std::abs(static_cast<int32_t>(ball_state.x >> 16));
        c.frequency = a / 8 + 20715;
        c.target = a / 768 + 97;
        const int32_t ticks = match_globals.ticks_last_frame;
        if (c.mode >= 0) {
            int32_t level = ((active_sound_levels.crowd_volume + 1) * c.target * 127) >> 14;
            if (level > 127) level = 127;
            int32_t step = 2 * ticks;
            if (step < 1) step = 1;
            if (c.volume < level) c.volume = c.volume + step > level ? level : c.volume + step;
            else if (c.volume > level) c.volume = c.volume - step < level ? level : c.volume - step;
            if (c.sound >= 0) {
                set_sample_frequency(c.sound, 0, static_cast<uint32_t>(c.frequency));
                set_sample_volume(c.sound, 0, static_cast<uint32_t>(c.volume));
            }
        }
        c.chant_timer -= ticks;
        if (c.chant_timer < 1) {
            if (chants_allowed()) play_at(match_effects[FIRST_CHANT + random_below(CHANT_COUNT)].sound, 0, c.volume);
            restart_chant_timer();
        }
        break;
    }
    case -1:
        if (c.mode >= 0) {
            if (c.sound >= 0) stop_sample(c.sound);
            for (int32_t i = 0; i < CHANT_COUNT; ++i) stop_effect(FIRST_CHANT + i);
            for (int32_t i = 14; i <= 18; ++i) stop_effect(i);
        }
        c.volume = 0;
        c.mode = c.mode_applied = CROWD_STOPPED;
        break;
    case 3:
        c.mode = CROWD_RUNNING;
        if (c.mode_applied != CROWD_RUNNING) {
            // The loop comes in at the crowd's own volume (0 after a
            // silence) and rises from there, never from full.
            if (c.sound >= 0 && play_sample(c.sound, 0, static_cast<uint32_t>(c.frequency), 127, 0, 1) >= 0)
                set_sample_volume(c.sound, 0, static_cast<uint32_t>(c.volume));
            c.mode_applied = CROWD_RUNNING;
        }
        break;
    default: break;
    }
}

void crowd_react_to_play(int32_t event, int32_t flag)
{
    if (event != 0) return;
    const int32_t a = game_settings.home_team, b = game_settings.away_team;
    const uint32_t ra = a >= 0 && a < 16 ? club_region_bits[a] : 0, rb = b >= 0 && b < 16 ? club_region_bits[b] : 0;
    crowd_react((ra & rb) == 0 && flag ? 2 : 0);
}
