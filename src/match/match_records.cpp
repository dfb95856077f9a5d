#include "match/match_records.h"

#include "league/league_data.h"
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
    s.fights_level = static_cast<int32_t>(values.fights_level);
    for (int t = 0; t < 2; ++t) {
        s.team_options[t].auto_offload = static_cast<uint8_t>(values.team[t].auto_offload);
        s.team_options[t].auto_bounce = static_cast<uint8_t>(values.team[t].auto_bounce);
        s.team_options[t].name_display = static_cast<uint8_t>(values.team[t].name_display);
        s.team_options[t].intercept_circle = static_cast<uint8_t>(values.team[t].intercept_circle);
    }
}

namespace {

struct SkillSource {
    int offset;
    int32_t worst, best; // the league's range of the field
};

constexpr SkillSource skill_sources[8] = {
    {PLAYER_KICKING, 63, 242},  {PLAYER_AGILITY, 76, 242},  {PLAYER_SPEED, 25, 39},   {PLAYER_MARKING, 76, 242},
    {PLAYER_STRENGTH, 51, 242}, {PLAYER_STAMINA, 165, 285}, {PLAYER_SPEED, 25, 39},   {PLAYER_ACCURACY, 76, 242},
};

constexpr int32_t WORST_HANDICAP = 64;

} // namespace

void fill_man_skills(PlayerSlot* man)
{
    for (int k = 0; k < 8; ++k) {
        const SkillSource& s = skill_sources[k];
        int32_t h = 0;
        if (man->person) {
            const int32_t v = player_i16(man->person, s.offset);
            h = (s.best - v) * WORST_HANDICAP / (s.best - s.worst);
            h = h < 0 ? 0 : (h > WORST_HANDICAP ? WORST_HANDICAP : h);
        }
        man->skills[k] = static_cast<int8_t>(h);
    }
}
