#include "front_end_fixture.h"

#include "frontend/match_reports.h"
#include "league/game_settings.h"
#include "league/league_data.h"
#include "match/match_records.h"

#include <string>
#include <vector>

namespace {

// Random numbers the test chooses, in order; then zeros.
std::vector<int> g_draws;
size_t g_next;
int scripted() { return g_next < g_draws.size() ? g_draws[g_next++] : 0; }

struct Reports : FrontEnd {
    void SetUp() override
    {
        FrontEnd::SetUp();
        install_common_frames();
        clear_game_state_block();
        select_builtin_league_data();
        reset_match_reports();
        prepare_match_report_screen();
        report_random = scripted;
        g_draws.clear();
        g_next = 0;
        game_settings.home_team = 3;
        game_settings.away_team = 8;
        for (auto& team : team_records)
            for (int i = 0; i < TEAM_SLOTS; ++i) team.slots[i].line_up_index = static_cast<uint8_t>(i);
    }
    void TearDown() override
    {
        reset_match_reports();
        clear_game_state_block();
        FrontEnd::TearDown();
    }
};

TEST_F(Reports, TribunalRulings)
{
    const struct {
        const char* what;
        int16_t reports, points;
        std::vector<int> draws;
        uint8_t games; // 0: no ban
    } cases[] = {
        {"three reports and points bring nothing", 3, 9, {}, 0},
        {"four reports: two trials at one in five", 4, 0, {4, 3}, 1},
        {"four reports, both trials hit", 4, 0, {9, 14}, 2},
        {"ten reports: three sure games", 10, 0, {5, 6, 7}, 3},
        {"ten reports and five points: capped at six", 10, 5, {5, 6, 7}, 6},
        {"five reports, no trial hit, two points", 5, 2, {0, 0}, 1},
    };
    for (const auto& c : cases) {
        g_draws = c.draws;
        g_next = 0;
        tribunal_ruling(4, 30, c.reports, c.points);
        EXPECT_EQ(team_reports[4].banned[30], c.games ? 1u : 0u) << c.what;
        EXPECT_EQ(team_reports[4].ban_games[30], c.games) << c.what;
    }
}

TEST_F(Reports, AnEarlierBanIsNotShownAgain)
{
    g_draws = {5, 6, 7};
    tribunal_ruling(2, 5, 10, 0);
    ASSERT_EQ(team_reports[2].ban_games[5], 3);
    tribunal_ruling(2, 5, 2, 0);
    EXPECT_EQ(team_reports[2].banned[5], 0u);
    EXPECT_EQ(team_reports[2].ban_games[5], 0);
}

TEST_F(Reports, InjuriesLastFromBaseToBasePlusSpreadLessOne)
{
    for (int type = 0; type < INJURY_TYPES; ++type) {
        const InjuryKind& k = injury_kinds[type];
        g_draws = {0, k.spread - 1, k.spread};
        g_next = 0;
        set_injury(1, 41, type);
        EXPECT_EQ(team_reports[1].injury_games[41], k.base_games) << type;
        set_injury(1, 41, type);
        EXPECT_EQ(team_reports[1].injury_games[41], k.base_games + k.spread - 1) << type;
        set_injury(1, 41, type);
        EXPECT_EQ(team_reports[1].injury_games[41], k.base_games) << "wraps at the spread";
        EXPECT_EQ(team_reports[1].injured[41], 1u);
    }
}

TEST_F(Reports, TheScreenListsBansAndInjuriesOfBothSides)
{
    PlayerSlot& reserve = team_records[0].slots[22];
    reserve.line_up_index = 40 % league_squad_size[3]; // a reserve plays
    reserve.injured_in_match = 1;
    reserve.injury_type = 3;
    team_records[1].slots[5].reports = 10;
    team_records[1].slots[6].reports = 2; // reported, but no ban: no line
    g_draws = {1, 0, 0, 0};
    std::vector<std::string> tribunal, injuries;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &match_report_screen || f != 2) return;
        tribunal = match_report_state.tribunal;
        injuries = match_report_state.injuries;
        front_end_state.result = 1;
    });
    run_front_end_screen(&match_report_screen);
    const league_team* home = league_team_at(3);
    const league_team* away = league_team_at(8);
    ASSERT_EQ(tribunal.size(), 1u);
    EXPECT_EQ(tribunal[0], std::string(player_name(away->players[5])) + " will be banned for 3 games");
    ASSERT_EQ(injuries.size(), 1u);
    EXPECT_EQ(injuries[0], std::string(player_name(home->players[reserve.line_up_index])) +
                               " will be out for 2 games due to an arm injury");
    EXPECT_EQ(match_report_flags.injury_listed[0][22], 1) << "every slot has its flag";
    EXPECT_EQ(match_report_state.controls, nullptr);
}

} // namespace
