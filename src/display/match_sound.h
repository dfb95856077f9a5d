// The match's sound effects, the one scheduled effect, and the crowd loop
// that follows the ball with its cheers, boos and chants.
#pragma once

#include <cstdint>

constexpr int32_t MATCH_EFFECT_COUNT = 47;
constexpr int32_t CROWD_RUNNING = 3;
constexpr int32_t CROWD_STOPPED = -2;

struct MatchEffect {
    const char* file;
    int32_t sound; // sample slot, -1 none
};
extern MatchEffect match_effects[MATCH_EFFECT_COUNT];

struct ScheduledEffect {
    int32_t id, frequency, volume, a, b;
    int32_t delay; // -1 none
};

struct CrowdState {
    int32_t loaded;
    int32_t sound;
    int32_t volume; // 0..127
    int32_t target;
    int32_t frequency;
    int32_t chant_timer;
    int32_t mode, mode_applied;
};

struct MatchSound {
    int32_t effects_loaded;
    ScheduledEffect scheduled;
    CrowdState crowd;
};
extern MatchSound match_sound;

// By club number: the region bits of a club (one of 1, 2, 4, 8, 16).
extern const uint32_t club_region_bits[16];

void reset_match_sound();
int32_t load_match_effects();
void free_match_effects();
// frequency in Hz (0 the sample's own); volume 1..255 scaled by the effects
// setting (0 or less counts as 127).
void play_effect(int32_t id, int32_t frequency, int32_t volume);
void stop_effect(int32_t id);
void schedule_effect(int32_t id, int32_t frequency, int32_t volume, int32_t a, int32_t b, int32_t delay);
void service_scheduled_effect();
// The sample layer's volume for an effect, 0 when nothing is to be heard.
int32_t effect_volume(int32_t volume);

int32_t start_crowd_loops();
void stop_crowd_loops();
void crowd_react(int32_t kind);
void crowd_react_to_play(int32_t event, int32_t flag);
void mute_crowd_loop();
void restart_chant_timer();
