#include "match/scene_choice.h"

#include "league/game_settings.h"
#include "match/game_maths.h"
#include "match/match_records.h"
#include "platform/settings.h"

SceneChoice scene_choice = {0, 0, 0, 0, 0, 0, 0, 1, 0, {0, 0, 0}};

namespace {

float sun_axis(float v, int32_t time)
{
    if (time == 2) return v > 0.5f ? v + 0.75f : -1.25f - v;
    return v > 0.25f ? v + 0.25f : -0.75f - v;
}

} // namespace

int32_t match_ground()
{
    // The location setting; its "random" row has no ground of its own.
    const uint32_t location = user_settings.word_1468;
    return location >= GROUND_COUNT ? GROUND_COUNT - 1 : static_cast<int32_t>(location);
}

void choose_match_scene()
{
    SceneChoice& c = scene_choice;
    c.ground = match_ground();
    c.grand_final = 0;
    c.night = 0;
    if (game_settings.weather > 4) game_settings.weather = 4;
    if (match_globals.game_type == GAME_FINAL_8 && game_settings.finals_week == 5) {
        c.grand_final = 1;
        c.sky_row = static_cast<int32_t>((game_random() & 0xFFFF) % 5);
        c.weather = 0;
        return; // the lighting switch and the sun stay as they were
    }
    if (match_globals.time_of_day != 0) {
        uint32_t w = game_settings.weather;
        if (w == 4) {
            w = game_random() & 3;
            game_settings.weather = static_cast<uint8_t>(w);
        }
        c.weather = static_cast<int32_t>(w);
        c.pitch_row = static_cast<int32_t>((game_random() & 0xFFFF) % 5);
        c.sky_row = w == 0 || w == 3 ? static_cast<int32_t>((game_random() & 0xFFFF) % 5)
                                     : static_cast<int32_t>(game_random() & 3);
        c.lighting_switch = 0;
        const int32_t time = match_globals.time_of_day;
        if (time == 1 || time == 2) {
            const float a = static_cast<float>(game_random() & 0xFFFF) * 1.5384616e-5f;
            const float b = static_cast<float>(game_random() & 0xFFFF) * 7.692308e-6f;
            c.sun[0] = sun_axis(a, time);
            c.sun[2] = sun_axis(b, time);
        } else {
            c.sun[0] = -1.0f;
            c.sun[2] = 1.0f;
        }
        c.sun[1] = 1.5f;
        c.sun_count = 1;
        return;
    }
    c.night = 1;
    game_random();
    c.lighting_switch = 1;
    c.sun_count = 0;
}

void reset_scene_choice() { scene_choice = SceneChoice{0, 0, 0, 0, 0, 0, 0, 1, 0, {0, 0, 0}}; }
