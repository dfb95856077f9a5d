#include "front_end_fixture.h"

#include "frontend/competition.h"
#include "frontend/competition_teams.h"
#include "frontend/menu_icons.h"
#include "league/game_settings.h"
#include "league/league_data.h"
#include "match/match_records.h"

#include <set>
#include <string>

namespace {

struct Teams : FrontEnd {
    void SetUp() override
    {
        FrontEnd::SetUp();
        install_common_frames();
        clear_game_state_block();
        select_builtin_league_data();
        reset_competition_state();
        reset_competition_teams();
        match_globals.random_state_a = 0xBEEF;
    }
    void TearDown() override
    {
        reset_competition_teams();
        reset_competition_state();
        clear_game_state_block();
        FrontEnd::TearDown();
    }
    // Opens the screen, runs act on its second frame and leaves with result.
    void run(std::function<void()> act, uint8_t result)
    {
        prepare_competition_teams_screen();
        run_screen_and_look(&competition_teams_screen, std::move(act), result);
    }
};

TEST_F(Teams, WithNoHumanTeamTeamZeroIsHumanAndTogglingTwiceRestores)
{
    game_settings.game_type = GAME_PREMIERSHIP;
    run([] {
        EXPECT_STREQ(competition_teams_state.names_selected[0], "Human");
        EXPECT_STREQ(competition_teams_state.names_selected[1], "CPU");
        EXPECT_EQ(competition_state.order_count, 1u);
        toggle_team_row(3);
        EXPECT_STREQ(competition_teams_state.names_selected[3], "Human");
        toggle_team_row(3);
        EXPECT_STREQ(competition_teams_state.names_selected[3], "CPU");
    }, 2);
}

// The texts of the active icons.
std::set<std::string> shown_texts()
{
    std::set<std::string> texts;
    for (int32_t i = 0; i < active_icon_table.count; ++i)
        if (const menu_icon* icon = active_icon_table.slots[i].icon; icon && icon->text) texts.insert(icon->text);
    return texts;
}

TEST_F(Teams, TheListHeadingsFollowTheGameType)
{
    for (int8_t type : {GAME_PREMIERSHIP, GAME_FINAL_8}) {
        game_settings.game_type = type;
        std::set<std::string> open;
        run([&] { open = shown_texts(); }, 2);
        EXPECT_TRUE(open.count("Teams") && open.count("Players")) << int(type);
        EXPECT_EQ(open.count("Unselected Teams"), type == GAME_FINAL_8 ? 1u : 0u);
        EXPECT_EQ(active_icon_table.count, 0) << "the close takes the headings away";
    }
}

TEST_F(Teams, TheHumanCursorWrapsBothWays)
{
    game_settings.game_type = GAME_PREMIERSHIP;
    for (int t : {1, 5, 9}) competition_state.kinds[t] = KIND_HUMAN;
    run([] {
        EXPECT_EQ(competition_teams_state.selection_human_count, 3);
        EXPECT_EQ(step_human_cursor(-1), 2) << "previous from the first goes to the last";
        EXPECT_EQ(step_human_cursor(1), 0) << "next from the last goes to the first";
        EXPECT_EQ(step_human_cursor(1), 1);
    }, 2);
    competition_teams_state.selection_human_count = 0;
    EXPECT_EQ(step_human_cursor(1), 0) << "no human team, no cursor";
}

TEST_F(Teams, LeavingWithoutOkLeavesTheRecordAsFound)
{
    game_settings.game_type = GAME_PRE_SEASON;
    competition_state.kinds[4] = KIND_COMPUTER;
    competition_state.kinds[6] = KIND_HUMAN;
    competition_state.order[0] = 6;
    competition_state.order_count = 1;
    human_still_in = 1;
    run([] { EXPECT_EQ(competition_state.kinds[4], KIND_CHOOSING) << "marked while the screen runs"; }, 2);
    EXPECT_EQ(competition_state.kinds[4], KIND_COMPUTER) << "no computer club becomes human";
    EXPECT_EQ(competition_state.kinds[6], KIND_HUMAN);
    EXPECT_EQ(competition_state.kinds[0], KIND_OUT);
    EXPECT_EQ(competition_state.order_count, 1u);
    EXPECT_EQ(human_still_in, 1);
}

TEST_F(Teams, CommittingALeagueGivesEveryClubAKind)
{
    for (int8_t type : {GAME_PREMIERSHIP, GAME_PRE_SEASON}) {
        game_settings.game_type = type;
        reset_competition_state();
        competition_state.kinds[2] = KIND_HUMAN;
        run([] { commit_competition_teams(); }, 1);
        std::set<int> order(competition_state.order, competition_state.order + 16);
        EXPECT_EQ(order.size(), 16u);
        EXPECT_EQ(competition_state.order_count, 16u);
        for (int t = 0; t < 16; ++t)
            EXPECT_EQ(competition_state.kinds[t], t == 2 ? KIND_HUMAN : KIND_COMPUTER) << int(type) << "/" << t;
    }
}

TEST_F(Teams, AFinalEightCommitsItsPlacesWithoutDrawing)
{
    game_settings.game_type = GAME_FINAL_8;
    const int8_t places[8] = {12, 3, 7, 1, 9, 14, 0, 5};
    for (int p = 0; p < 8; ++p) final8_place_byte(p) = places[p];
    competition_state.kinds[7] = KIND_HUMAN;
    uint32_t random_before = 0, random_after = 0;
    run([&] {
        for (int p = 0; p < 8; ++p) EXPECT_EQ(competition_teams_state.final8_selected[p], places[p]);
        EXPECT_EQ(competition_teams_state.final8_unselected.size(), 8u);
        exchange_selected(0, 1); // 3 now first
        exchange_selected_unselected(7, 0); // the first unselected club (2) into the last place
        random_before = match_globals.random_state_a;
        commit_competition_teams();
        random_after = match_globals.random_state_a;
    }, 1);
    EXPECT_EQ(random_after, random_before) << "eight places: no random club";
    EXPECT_EQ(competition_state.order_count, 8u);
    EXPECT_EQ(competition_state.order[0], 3);
    EXPECT_EQ(competition_state.order[7], 2);
    EXPECT_EQ(competition_state.kinds[7], KIND_HUMAN);
    EXPECT_EQ(competition_state.kinds[5], KIND_OUT) << "exchanged out";
    EXPECT_EQ(final8_place_byte(0), 3) << "the places go back into the fixture bytes";
    EXPECT_EQ(competition_state.fixtures[3][0], 3);
    EXPECT_EQ(final8_place_byte(7), 2);
}

TEST_F(Teams, StaleFixtureBytesStartFromTheFirstEightClubs)
{
    game_settings.game_type = GAME_FINAL_8;
    run([] {
        for (int p = 0; p < 8; ++p) EXPECT_EQ(competition_teams_state.final8_selected[p], p);
    }, 2);
}

TEST_F(Teams, TheBadgeRecordsTheHumanTeams)
{
    game_settings.game_type = GAME_PREMIERSHIP;
    run([] {
        toggle_team_row(9);
        record_human_teams();
        EXPECT_EQ(competition_state.kinds[9], KIND_HUMAN);
        EXPECT_EQ(competition_state.kinds[0], KIND_HUMAN);
        EXPECT_EQ(competition_state.kinds[1], KIND_OUT);
        EXPECT_EQ(competition_state.order_count, 2u);
    }, 2);
}

} // namespace
