// Which scene a match is played in: the ground, the stadium's weather look,
// the pitch and sky rows, night or Grand Final, the lighting-map switch and
// the sun. The choice draws the match's random numbers, so it is made by the
// set-up in every harness, drawn or not.
#pragma once

#include <cstdint>

constexpr int GROUND_COUNT = 7;

struct SceneChoice {
    int32_t ground;         // 0..6
    int32_t weather;        // 0..4 as drawn: the stadium sub-directory row
    int32_t pitch_row;      // fine or dull row 0..4
    int32_t sky_row;        // fine 0..4 or bad 0..3
    uint8_t grand_final;
    uint8_t night;
    uint8_t moon;           // the moon scene in place of every ground
    int32_t lighting_switch; // 1: the pitch lighting map is used
    int16_t sun_count;
    float sun[3];
};
extern SceneChoice scene_choice;

// The scene of the match about to be played, from the settings and the
// match's time of day; writes a drawn weather back into the settings.
void choose_match_scene();
// The ground from the location setting, 0..6.
int32_t match_ground();
// Program start: the lighting switch on, no sun.
void reset_scene_choice();
