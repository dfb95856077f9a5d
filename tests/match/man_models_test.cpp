#include "league/league_data.h"
#include "match/man_models.h"
#include "match/match_hooks.h"
#include "match/match_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> names(const ManTextures& t)
{
    std::vector<std::string> v;
    for (int i = 0; i < t.count; ++i)
        v.emplace_back(t.names[i]);
    return v;
}

struct Fixture : ::testing::Test {
    league_player person{};
    PlayerSlot man{};
    void SetUp() override
    {
        std::memset(&person, 0, sizeof person);
        set_player_look(&person, PLAYER_HAIR, "hairA");
        set_player_look(&person, PLAYER_SKIN, "skinB");
        set_player_look(&person, PLAYER_FACIAL_HAIR, "faceC");
        set_player_i32(&person, PLAYER_HEIGHT, 460);
        man.person = &person;
    }
};

} // namespace

using ManTexturesTest = Fixture;

TEST_F(ManTexturesTest, TheGuernseyNumberIsOneOrTwoPictures)
{
    set_player_u8(&person, PLAYER_GUERNSEY, 7);
    EXPECT_EQ(names(man_textures(&man, 1)), (std::vector<std::string>{"hairA", "skinB", "faceC", "7"}));
    set_player_u8(&person, PLAYER_GUERNSEY, 23);
    EXPECT_EQ(names(man_textures(&man, 1)), (std::vector<std::string>{"hairA", "skinB", "faceC", "L2", "R3"}));
}

TEST_F(ManTexturesTest, ExtraHairClassesUseTheBaldModelWithATextureFirst)
{
    set_player_u8(&person, PLAYER_HAIR_CLASS, 5);
    const ManTextures t = man_textures(&man, 1);
    EXPECT_EQ(names(t).front(), "CREWCUT");
    EXPECT_EQ(t.model_record, 3 * 9 + 1 * 3) << "bald model, medium size";
    set_player_u8(&person, PLAYER_HAIR_CLASS, 4);
    EXPECT_EQ(names(man_textures(&man, 1)).front(), "STUBBLE");
    set_player_u8(&person, PLAYER_HAIR_CLASS, 1);
    EXPECT_EQ(man_textures(&man, 1).model_record, 1 * 9 + 3);
}

TEST_F(ManTexturesTest, AtDuskEveryManEndsYellow)
{
    EXPECT_EQ(names(man_textures(&man, 0)).back(), "YELLOW");
    EXPECT_NE(names(man_textures(&man, 2)).back(), "YELLOW");
    EXPECT_EQ(names(umpire_textures(0, 0)), std::vector<std::string>{"YELLOW"});
    EXPECT_TRUE(names(umpire_textures(4, 1)).empty());
    EXPECT_EQ(umpire_textures(4, 1).model_record, 39);
    EXPECT_EQ(umpire_textures(1, 1).model_record, 36);
}

TEST(SizeClass, TheExactHeightDecides)
{
    EXPECT_EQ(size_class_of_height(486), 1u) << "189.8 cm";
    EXPECT_EQ(size_class_of_height(487), 2u) << "190.2 cm";
    EXPECT_EQ(size_class_of_height(435), 0u) << "169.9 cm";
    EXPECT_EQ(size_class_of_height(436), 1u);
}

TEST(ModelRecords, HairBySizeByLevel)
{
    EXPECT_STREQ(model_record(0).name, "3d display\\pgfs\\highplayer_shorthair.pgf");
    EXPECT_STREQ(model_record(9 + 3 + 2).name, "3d display\\pgfs\\lowplayer_longhair.pgf");
    EXPECT_FLOAT_EQ(model_record(9 + 3 + 2).scale, 1.0f);
    EXPECT_FLOAT_EQ(model_record(27 + 6).scale, 1.1f);
    EXPECT_EQ(model_record(2).shadow_kind, -2);
    EXPECT_EQ(model_record(1).shadow_kind, -1);
    EXPECT_STREQ(model_record(41).name, "3d display\\pgfs\\goal_ump_low.pgf");
}

TEST(LoadTeamTextures, EveryManGetsThreeInstancesFromHisKitDirectory)
{
    clear_game_state_block();
    match_globals.men_per_team = 22;
    game_settings.home_team = 2;
    game_settings.away_team = 5;
    static std::vector<std::string> dirs;
    static int instances;
    dirs.clear();
    instances = 0;
    clear_match_hooks();
    match_hooks.build_model_instance = [](PlayerSlot*, int32_t, int32_t, const char* d, const char* const*, int32_t) {
        ++instances;
        dirs.emplace_back(d ? d : "");
    };
    load_team_textures();
    EXPECT_EQ(instances, 3 * (5 + 2 * 22));
    EXPECT_EQ(dirs.front(), "") << "umpires have no kit directory";
    const std::string home = dirs[15], away = dirs.back();
    EXPECT_NE(home.find("home\\"), std::string::npos);
    EXPECT_NE(away.find("away\\"), std::string::npos);
    EXPECT_EQ(home.rfind("3d display\\team_textures\\", 0), 0u);
    clear_match_hooks();
}
