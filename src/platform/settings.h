// The user's settings: one record of 624 32-bit words (2,496 bytes), the same
// bytes as the fallback file "KOB.DAT". Defaults first, then the settings
// store's 56 values over them; loading and defaulting push the values into
// input, sound and the match.
#pragma once

#include <cstdint>

constexpr uint32_t SETTINGS_BYTES = 2496;
constexpr uint32_t SETTINGS_JOYSTICKS = 30; // one word per controller record
constexpr uint32_t SETTINGS_TEAM_WORDS = 120;

// A team's block: the team settings the front end's screens name by offset.
struct settings_team {
    uint32_t word_0; // one-touch play (team 1's block; team 2's is word_2436)
    uint32_t auto_offload;
    uint32_t auto_bounce;
    uint32_t displayed_player_name_state;
    uint32_t can_intercept_circle;
    uint32_t word_20; // players to peel
    uint32_t word_24; // men controlled
    uint32_t rest[SETTINGS_TEAM_WORDS - 7];
};

// Fields in file order; the comments give the byte offsets.
struct settings_record {
    char data_directory[520];                           // 0
    char install_directory[260];                        // 520
    uint32_t key_mapping[8];                            // 780: left, right, up, down, button 1..4
    uint32_t joy_number_of_buttons[SETTINGS_JOYSTICKS]; // 812
    uint32_t joy_pass_tackle[SETTINGS_JOYSTICKS];       // 932
    uint32_t joy_kick_select[SETTINGS_JOYSTICKS];       // 1052
    uint32_t joy_speedburst_fend[SETTINGS_JOYSTICKS];   // 1172
    uint32_t joy_quit[SETTINGS_JOYSTICKS];              // 1292
    uint32_t word_1412;
    uint32_t replay_buffer_size; // 1416, bytes
    uint32_t quarter_length;     // 1420, minutes
    uint32_t weather_selection;
    uint32_t push_in_back_infringements;
    uint32_t turbo_mode;
    uint32_t word_1436;
    uint32_t word_1440;
    uint32_t moon_pitch_available; // 1444
    uint32_t pitch_render_quality;
    uint32_t word_1452; // fights level
    uint32_t is_alpha_radar_visible;
    uint32_t do_pitch_logos; // 1460
    uint32_t word_1464;
    uint32_t word_1468;    // location
    uint32_t word_1472;    // time of day
    settings_team team[2]; // 1476, 1956
    uint32_t word_2436;
    uint32_t game_gen_resolution_index; // 2440
    uint32_t game_kick_resolution_index;
    uint32_t replay_resolution_index;
    uint32_t player_numbers_index;
    uint32_t commentary; // 2456
    uint32_t sfx;
    uint32_t crowd;
    uint32_t second_voice;
    uint32_t commentary_volume; // 2472, 0..127
    uint32_t sfx_volume;
    uint32_t crowd_volume;
    uint32_t level_2484;
    uint32_t level_2488;
    uint32_t drive_letter; // 2492
};

// The record the front end loads at its start and saves at its end.
extern settings_record user_settings;

void default_settings(settings_record& record);
// True when every value came from the store, or the record from "KOB.DAT",
// which an earlier run left when the store could not be written and which
// then comes first. Otherwise the record holds the defaults.
bool load_settings(settings_record& record);
// Writes the store, or "KOB.DAT" when the store cannot be written; false
// when neither could be written.
bool save_settings(const settings_record& record);
bool save_settings_file(const settings_record& record);
// Reads "KOB.DAT" when it exists and is a whole record; false otherwise.
bool load_settings_file(settings_record& record);
bool settings_exist();
// Clears the commentary switch of user_settings (too little memory for it).
void switch_commentary_off();

// The record as the 2,496 bytes of "KOB.DAT", little-endian, field by field.
void settings_to_bytes(const settings_record& record, uint8_t bytes[SETTINGS_BYTES]);
void settings_from_bytes(settings_record& record, const uint8_t bytes[SETTINGS_BYTES]);

// Where the settings live in the store, and the fallback file's name.
extern const char* const SETTINGS_KEY;
extern const char* const SETTINGS_FILE;
