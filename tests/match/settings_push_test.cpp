// The settings record, loaded or defaulted, reaches the game-state block.
#include "../platform/game_files_fixture.h"

#include "match/match_records.h"
#include "platform/settings.h"
#include "platform/settings_targets.h"

#include <gtest/gtest.h>

class SettingsPush : public GameFiles {
protected:
    void SetUp() override
    {
        GameFiles::SetUp();
        set_match_settings_target(apply_match_settings);
    }
    void TearDown() override
    {
        set_match_settings_target(nullptr);
        GameFiles::TearDown();
    }
};

TEST_F(SettingsPush, LoadingPushesTheMatchSettingsIntoTheGame)
{
    settings_record r{};
    default_settings(r);
    r.quarter_length = 20;
    r.weather_selection = 2;
    r.team[1].displayed_player_name_state = 4;
    ASSERT_TRUE(save_settings(r));
    host_settings_reload();
    settings_record loaded{};
    ASSERT_TRUE(load_settings(loaded));
    EXPECT_EQ(game_settings.quarter_length, 20);
    EXPECT_EQ(game_settings.weather, 2);
    EXPECT_EQ(game_settings.team_options[1].name_display, 4);

    default_settings(loaded);
    EXPECT_EQ(game_settings.quarter_length, 4);
    EXPECT_EQ(game_settings.team_options[1].name_display, 2);

    // Without a receiver the settings reach nothing above their layer.
    set_match_settings_target(nullptr);
    settings_record again{};
    ASSERT_TRUE(load_settings(again));
    EXPECT_EQ(game_settings.quarter_length, 4);
}
