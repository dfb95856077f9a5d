// The scene of a match: which rows the random numbers pick, in what order
// they are drawn, and what a Grand Final or the night keeps.
#include "league/game_settings.h"
#include "match/game_maths.h"
#include "match/match_records.h"
#include "match/scene_choice.h"
#include "match/random_draws.h"
#include "platform/settings.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class SceneChoiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_scene_choice();
        game_settings = GameSettings{};
        match_globals = MatchGlobals{};
        match_globals.random_state_a = match_globals.random_state_b = 777;
        user_settings.word_1468 = 0;
    }
    void TearDown() override { reset_scene_choice(); }
    // The same numbers the choice draws, from the same seed.
    std::vector<uint32_t> draws(int n) { return peek_game_random(n); }
};

TEST_F(SceneChoiceTest, RandomWeatherByDayDrawsWeatherPitchSkyAndSunInOrder)
{
    game_settings.weather = 4;
    match_globals.time_of_day = 2;
    const auto r = draws(5);
    choose_match_scene();
    const SceneChoice& c = scene_choice;
    const int w = static_cast<int>(r[0] & 3);
    EXPECT_EQ(c.weather, w);
    EXPECT_EQ(game_settings.weather, w) << "the drawn weather is written back";
    EXPECT_EQ(c.pitch_row, static_cast<int>((r[1] & 0xFFFF) % 5));
    const bool fine = w == 0 || w == 3;
    EXPECT_EQ(c.sky_row, fine ? static_cast<int>((r[2] & 0xFFFF) % 5) : static_cast<int>(r[2] & 3));
    const float a = static_cast<float>(r[3] & 0xFFFF) * 1.5384616e-5f;
    EXPECT_FLOAT_EQ(c.sun[0], a > 0.5f ? a + 0.75f : -1.25f - a);
    EXPECT_FLOAT_EQ(c.sun[1], 1.5f);
    EXPECT_EQ(c.sun_count, 1);
    EXPECT_EQ(c.lighting_switch, 0);
}

TEST_F(SceneChoiceTest, DrawsPerCase)
{
    struct {
        uint8_t time, weather;
        int draws;
    } cases[] = {{3, 0, 2}, {1, 1, 4}, {0, 0, 1}};
    for (auto k : cases) {
        SetUp();
        match_globals.time_of_day = k.time;
        game_settings.weather = k.weather;
        const auto r = draws(k.draws + 1);
        choose_match_scene();
        // The next number is the one after the choice's own.
        EXPECT_EQ(game_random(), r[k.draws]) << int(k.time);
    }
}

TEST_F(SceneChoiceTest, FixedSunAtTimeThreeAndNightTurnsTheMapOn)
{
    match_globals.time_of_day = 3;
    choose_match_scene();
    EXPECT_FLOAT_EQ(scene_choice.sun[0], -1.0f);
    EXPECT_FLOAT_EQ(scene_choice.sun[2], 1.0f);
    match_globals.time_of_day = 0;
    choose_match_scene();
    EXPECT_EQ(scene_choice.night, 1);
    EXPECT_EQ(scene_choice.lighting_switch, 1);
    EXPECT_EQ(scene_choice.sun_count, 0);
}

TEST_F(SceneChoiceTest, GrandFinalKeepsTheLastLightingAndSun)
{
    match_globals.time_of_day = 2;
    choose_match_scene();
    const SceneChoice before = scene_choice;
    match_globals.game_type = GAME_FINAL_8;
    game_settings.finals_week = 5;
    match_globals.time_of_day = 0;
    choose_match_scene();
    EXPECT_EQ(scene_choice.grand_final, 1);
    EXPECT_EQ(scene_choice.night, 0);
    EXPECT_EQ(scene_choice.lighting_switch, before.lighting_switch);
    EXPECT_FLOAT_EQ(scene_choice.sun[0], before.sun[0]);
    EXPECT_EQ(scene_choice.sun_count, before.sun_count);
}

TEST_F(SceneChoiceTest, OutOfRangeSettingsAreHeld)
{
    game_settings.weather = 9;
    match_globals.time_of_day = 1;
    choose_match_scene();
    EXPECT_LE(game_settings.weather, 3) << "a stored weather past the table is drawn like random";
    user_settings.word_1468 = 7;
    EXPECT_EQ(match_ground(), 6);
}

} // namespace
