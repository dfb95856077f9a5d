// Where loading or defaulting the settings record pushes its values: into the
// input, sound and match state owned by those modules.
#pragma once

#include <cstdint>

// Input: the low bytes of joystick j's four action button masks.
void set_controller_keys(int32_t joystick, uint8_t pass_tackle, uint8_t kick_select, uint8_t speedburst_fend,
                         uint8_t quit);
// Input: key codes of left, right, up, down, button 1..4 (key_state indices).
void bind_keys(const uint32_t key_codes[8]);

// Sound: the three switches and the three volumes (0..127).
void apply_sound_settings(uint32_t commentary, uint32_t sfx, uint32_t crowd, uint32_t commentary_volume,
                          uint32_t sfx_volume, uint32_t crowd_volume);

// Match: the values the game-state block keeps.
struct MatchSettingsValues {
    uint32_t quarter_length, weather, push_in_back, turbo, pitch_quality, pitch_logos, radar, fights_level;
    struct Team {
        uint32_t auto_offload, auto_bounce, name_display, intercept_circle;
    } team[2];
};
// The game-state block belongs to the match simulation above this layer; it
// installs its receiver at start. Without one the values go nowhere.
using MatchSettingsTarget = void (*)(const MatchSettingsValues& values);
void set_match_settings_target(MatchSettingsTarget target);
