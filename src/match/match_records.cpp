#include "match/match_records.h"

#include "platform/settings_targets.h"

#include <cstring>

GameStateBlock game_state;

void clear_game_state_block() { std::memset(static_cast<void*>(&game_state), 0, sizeof game_state); }

// The settings land in the game settings, which a new match keeps; the match
// set-up copies them into the match globals and team records.
void apply_match_settings(const MatchSettingsValues& values)
{
    GameSettings& s = game_settings;
    s.quarter_length = static_cast<int32_t>(values.quarter_length);
    s.weather = static_cast<uint8_t>(values.weather);
    s.push_in_back = static_cast<uint8_t>(values.push_in_back);
    s.game_speed = values.turbo;
    s.pitch_quality = static_cast<uint8_t>(values.pitch_quality);
    s.pitch_logos = static_cast<uint8_t>(values.pitch_logos);
    s.radar = static_cast<uint8_t>(values.radar);
    for (int t = 0; t < 2; ++t) {
        s.team_options[t].auto_offload = static_cast<uint8_t>(values.team[t].auto_offload);
        s.team_options[t].auto_bounce = static_cast<uint8_t>(values.team[t].auto_bounce);
        s.team_options[t].name_display = static_cast<uint8_t>(values.team[t].name_display);
        s.team_options[t].intercept_circle = static_cast<uint8_t>(values.team[t].intercept_circle);
    }
}
