#include "match/controller_sides.h"
#include "league/game_settings.h"
#include "match/session_defaults.h"
#include "league/league_data.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/settings_targets.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(SessionDefaults, ExhibitionOfClubZeroAgainstClubNine)
{
    clear_game_state_block();
    std::memset(match_globals.option_bytes, 9, sizeof match_globals.option_bytes);
    current_league = nullptr;
    select_builtin_league_data();
    set_session_defaults();
    EXPECT_EQ(game_settings.home_team, 0);
    EXPECT_EQ(game_settings.away_team, 9);
    EXPECT_EQ(game_settings.game_type, GAME_EXHIBITION);
    EXPECT_EQ(team_records[0].club, builtin_league.teams[0]);
    EXPECT_EQ(team_records[1].club, builtin_league.teams[9]);
    EXPECT_EQ(team_records[1].club_sheet, builtin_league.teams[9]);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(match_globals.option_bytes[i], 0);
    EXPECT_EQ(match_globals.option_bytes[6], 3);
    EXPECT_EQ(game_settings.options_word, 4);
    EXPECT_EQ(game_settings.team_options[0].auto_offload, 1);
    EXPECT_EQ(game_settings.team_options[1].auto_offload, 1);
}

TEST(GameTypeQueries, TeamCountsByKindOfGame)
{
    struct Case {
        int8_t type;
        int32_t table, competition;
    } cases[] = {
        {GAME_DEMO, 0, 0},        {GAME_LOAD, 0, 0},        {GAME_VIEW_REPLAY, 0, 0}, {GAME_EXHIBITION, 16, 1},
        {GAME_PREMIERSHIP, 16, 16}, {GAME_PRE_SEASON, 16, 16}, {GAME_FINAL_8, 16, 8},   {GAME_TRAINING, 16, 1},
        {8, 0, 0},                {-1, 0, 0},
    };
    for (const Case& c : cases) {
        game_settings.game_type = c.type;
        EXPECT_EQ(team_table_size(), c.table) << int(c.type);
        EXPECT_EQ(competition_team_count(), c.competition) << int(c.type);
        EXPECT_EQ(game_type_value_zero(), 0);
    }
}

TEST(PaletteName, SetAndCleared)
{
    set_video_palette_name();
    EXPECT_STREQ(screen_palette_name(), "FRONT_EN\\ANIM\\VIDEO.PAL");
    clear_screen_palette_name();
    EXPECT_EQ(screen_palette_name(), nullptr);
}

TEST(ApplyMatchSettings, LandsInTheGameSettingsANewMatchKeeps)
{
    clear_game_state_block();
    MatchSettingsValues v{};
    v.quarter_length = 15;
    v.weather = 2;
    v.push_in_back = 1;
    v.turbo = 1;
    v.pitch_quality = 1;
    v.pitch_logos = 1;
    v.radar = 1;
    v.team[0] = {1, 0, 2, 1};
    v.team[1] = {0, 1, 3, 0};
    apply_match_settings(v);
    EXPECT_EQ(game_settings.quarter_length, 15);
    EXPECT_EQ(game_settings.weather, 2);
    EXPECT_EQ(game_settings.push_in_back, 1);
    EXPECT_EQ(game_settings.game_speed, 1u);
    EXPECT_EQ(game_settings.pitch_quality, 1);
    EXPECT_EQ(game_settings.pitch_logos, 1);
    EXPECT_EQ(game_settings.radar, 1);
    EXPECT_EQ(game_settings.team_options[0].name_display, 2);
    EXPECT_EQ(game_settings.team_options[0].intercept_circle, 1);
    EXPECT_EQ(game_settings.team_options[1].auto_bounce, 1);
    EXPECT_EQ(game_settings.team_options[1].name_display, 3);
}

// Two teams and a few controllers on their sides.
class ControllerSides : public ::testing::Test {
protected:
    TeamRecord& home = team_records[0];
    TeamRecord& away = team_records[1];
    void SetUp() override
    {
        clear_game_state_block();
        for (int t = 0; t < 2; ++t) {
            team_records[t].team_number = static_cast<uint8_t>(t);
            team_records[t].other_team = &team_records[1 - t];
            for (int i = 0; i < TEAM_SLOTS; ++i) {
                team_records[t].slots[i].number = static_cast<uint8_t>(i);
                team_records[t].slots[i].team_index = static_cast<uint8_t>(t);
                team_records[t].slots[i].team = &team_records[t];
            }
        }
        for (int32_t i = 0; i < CONTROLLER_RECORDS; ++i) {
            clear_controller_men(i);
            controllers[i].present = i < 3;
        }
        reset_controller_sides();
    }
    void TearDown() override
    {
        for (int32_t i = 0; i < CONTROLLER_RECORDS; ++i) {
            clear_controller_men(i);
            controllers[i].present = 0;
        }
        reset_controller_sides();
    }
};

TEST_F(ControllerSides, ResetPutsEveryRecordOnNoSide)
{
    EXPECT_EQ(side_has_no_controller(SIDE_NONE), 0);
    EXPECT_EQ(side_has_no_controller(SIDE_HOME), 1);
    EXPECT_EQ(side_has_no_controller(SIDE_AWAY), 1);
    EXPECT_EQ(controller_presence[2], 1);
    EXPECT_EQ(controller_presence[3], 0);
    set_controller_side(5, SIDE_AWAY);
    EXPECT_EQ(side_has_no_controller(SIDE_AWAY), 0);
}

TEST_F(ControllerSides, AttachGivesEachControllerTheFirstFreeManOrTheHolder)
{
    set_controller_side(0, SIDE_HOME);
    set_controller_side(1, SIDE_AWAY);
    set_controller_side(2, SIDE_HOME);
    match_globals.ball_holder = &home.slots[7];
    attach_side_controllers(HOME_TEAM_BIT | AWAY_TEAM_BIT);

    EXPECT_EQ(controller_man(0), &home.slots[7]) << "the holder goes to the first controller of his side";
    EXPECT_EQ(home.slots[7].contest_group, controller_at(0));
    EXPECT_EQ(controller_man(2), &home.slots[0]);
    EXPECT_EQ(controller_man(1), &away.slots[0]);
    EXPECT_TRUE(home.slots[7].man_flags & MAN_IN_CONTEST);
    EXPECT_EQ(home.human_count, 2);
    EXPECT_EQ(away.human_count, 1);

    // Attaching again changes nothing: every controller has its man.
    attach_side_controllers(HOME_TEAM_BIT | AWAY_TEAM_BIT);
    EXPECT_EQ(home.human_count, 2);

    detach_team_controllers(HOME_TEAM_BIT);
    EXPECT_EQ(home.human_count, 0);
    EXPECT_EQ(controller_man(0), nullptr);
    EXPECT_EQ(controller_man(2), nullptr);
    EXPECT_EQ(home.slots[7].contest_group, nullptr);
    EXPECT_FALSE(home.slots[7].man_flags & MAN_IN_CONTEST);
    EXPECT_EQ(controller_man(1), &away.slots[0]) << "the away side keeps its controller";
    EXPECT_EQ(away.human_count, 1);
}

TEST_F(ControllerSides, TheLastKickerKeepsHisControllerOrIsForgotten)
{
    PlayerSlot& kicker = away.slots[4];
    match_globals.last_kicker = &kicker;
    match_globals.selected_man = &away.slots[9];
    set_controller_side(0, SIDE_AWAY);
    attach_side_controllers(AWAY_TEAM_BIT);
    EXPECT_EQ(controller_man(0), &kicker) << "with no holder the last kicker is taken";
    EXPECT_EQ(match_globals.last_kicker_controlled, 1);

    // Off his side's controller, the last kick is no longer his side's.
    detach_team_controllers(AWAY_TEAM_BIT);
    set_controller_side(0, SIDE_HOME);
    attach_side_controllers(HOME_TEAM_BIT | AWAY_TEAM_BIT);
    EXPECT_EQ(controller_man(0), &home.slots[0]);
    EXPECT_EQ(match_globals.last_kicker, nullptr);
    EXPECT_EQ(match_globals.last_kicker_controlled, 0);
    EXPECT_EQ(match_globals.selected_man, nullptr);
}

} // namespace
