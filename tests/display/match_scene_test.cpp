// The scene's texture directories, chosen from the ground, the time of day,
// the weather and the finals stage with the match's own random numbers.
#include "display/match_scene.h"
#include "league/game_settings.h"
#include "match/game_maths.h"
#include "match/match_records.h"
#include "match/scene_choice.h"
#include "match/random_draws.h"
#include "platform/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ScenePaths : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_scene_choice();
        game_settings = GameSettings{};
        match_globals = MatchGlobals{};
        match_globals.random_state_a = 4242, match_globals.random_state_b = 99;
    }
    void TearDown() override
    {
        reset_scene_choice();
        game_settings = GameSettings{};
        match_globals = MatchGlobals{};
        user_settings.word_1468 = 0;
    }
    // The numbers the choice will draw, from the same state.
    std::vector<uint32_t> draws(int n) { return peek_game_random(n); }
};

const std::string kStadia = "3d display\\stadia\\";
const char* const kFinePitch[5] = {"circle\\", "dirty_lawn\\", "field\\", "lawn\\", "muddy\\"};
const char* const kDullPitch[5] = {"circle_dull\\", "dirty_lawn_dull\\", "field_dull\\", "lawn_dull\\", "muddy_dull\\"};
const char* const kFineSky[5] = {"sunny\\", "sunny2\\", "sunny3\\", "eve\\", "morning\\"};
const char* const kBadSky[4] = {"cloud\\", "dull\\", "gloom\\", "storm\\"};

TEST_F(ScenePaths, FollowTheGroundTimeAndWeatherInTheOrderTheyAreDrawn)
{
    struct Case {
        const char* what;
        uint32_t location;
        uint8_t time, weather;
        const char* code;
    } cases[] = {
        {"fine day", 0, 2, 0, "hbr"},
        {"overcast afternoon", 2, 1, 1, "slt"},
        {"wet day", 3, 3, 2, "qry"},
        {"clear evening", 4, 2, 3, "tdw"},
        {"random weather", 5, 1, 4, "rdg"},
        {"the random location row", 7, 2, 0, "lgh"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        user_settings.word_1468 = c.location;
        game_settings.weather = c.weather;
        match_globals.time_of_day = c.time;
        const auto r = draws(3);
        size_t next = 0;
        uint32_t w = c.weather;
        if (w == 4) w = r[next++] & 3;
        const bool fine = w == 0 || w == 3;
        const std::string pitch = (fine ? kFinePitch : kDullPitch)[(r[next++] & 0xFFFF) % 5];
        const std::string sky = fine ? kFineSky[(r[next] & 0xFFFF) % 5] : kBadSky[r[next] & 3];
        choose_match_scene();
        build_stadium_paths();
        EXPECT_EQ(stadium_directory, kStadia + "stad_" + c.code + "\\" + (w == 1 || w == 2 ? "dull\\" : "normal\\"));
        EXPECT_EQ(pitch_directory, kStadia + "pitch\\" + pitch);
        EXPECT_EQ(sky_directory, kStadia + "sky\\" + sky);
    }
}

TEST_F(ScenePaths, NightAndTheGrandFinalHaveTheirOwnDirectories)
{
    user_settings.word_1468 = 1;
    match_globals.time_of_day = 0;
    game_settings.weather = 1;
    choose_match_scene();
    build_stadium_paths();
    EXPECT_EQ(stadium_directory, kStadia + "stad_irb\\night\\");
    EXPECT_EQ(pitch_directory, kStadia + "pitch\\muddy_night\\");
    EXPECT_EQ(sky_directory, kStadia + "sky\\night_1\\");

    // A Grand Final, even at night and in the rain, is played under a fine sky.
    match_globals.game_type = GAME_FINAL_8;
    game_settings.finals_week = 5;
    game_settings.weather = 2;
    const auto r = draws(1);
    choose_match_scene();
    build_stadium_paths();
    EXPECT_EQ(stadium_directory, kStadia + "stad_irb\\GrandFinal\\");
    EXPECT_EQ(pitch_directory, kStadia + "pitch\\Grand_Final\\");
    EXPECT_EQ(sky_directory, kStadia + "sky\\" + kFineSky[(r[0] & 0xFFFF) % 5]);
}

} // namespace
