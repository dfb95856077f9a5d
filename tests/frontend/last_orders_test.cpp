#include "control_fixture.h"

#include "frontend/last_orders.h"
#include "frontend/menu_pages.h"
#include "frontend/settings_screens.h"
#include "frontend/team_tactics.h"
#include "gl3d/sprite_sets.h"
#include "league/game_settings.h"
#include "league/team_lineups.h"
#include "match/match_records.h"
#include "platform/settings.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

struct LastOrders : Controls {
    settings_record saved{};
    void SetUp() override
    {
        Controls::SetUp();
        std::memcpy(&saved, &user_settings, sizeof saved);
        default_settings(user_settings);
        reset_last_orders();
        reset_lineups_and_formations();
        game_settings.game_type = GAME_EXHIBITION;
        game_settings.home_team = 0, game_settings.away_team = 9;
        moon_flag = 0;
        match_globals.flow_flags = 0;
    }
    void TearDown() override
    {
        free_animation_set(HANDLE_CARICATURE);
        for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) set_controller_side(r, 0);
        std::memcpy(&user_settings, &saved, sizeof user_settings);
        moon_flag = 0;
        Controls::TearDown();
    }
    // Runs the page; the first frame of the screen is looked at, then the
    // result given ends it.
    void run_once(int result, const std::function<void()>& look = nullptr)
    {
        PointerScript::start([&](menu_screen* s, int f) {
            if (s != &last_orders_screen || f != 2) return;
            if (look) look();
            front_end_state.result = static_cast<uint8_t>(result);
        });
        last_orders_page();
    }
    static std::vector<int> item_tops()
    {
        std::vector<int> ys;
        for (int32_t i = 0; i < last_orders_state.items; ++i)
            ys.push_back(last_orders_state.item_icons[i]->y * 480 / scale_y_from_480(480));
        return ys;
    }
};

TEST_F(LastOrders, TheMenuMovesUpForEachHumanSide)
{
    struct Case {
        int home, away;
        std::vector<int> tops;
    };
    const std::vector<Case> cases = {
        {0, 0, {100, 133, 166, 199, 232}},
        {1, 0, {90, 120, 150, 180, 210, 240}},
        {1, 1, {80, 107, 134, 161, 188, 215, 242}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.home) + std::to_string(c.away));
        set_controller_side(0, c.home ? -1 : 0);
        set_controller_side(1, c.away ? 1 : 0);
        std::vector<int> tops;
        std::string title;
        run_once(1, [&] {
            tops = item_tops();
            title = last_orders_state.title;
        });
        EXPECT_EQ(tops, c.tops);
        EXPECT_EQ(title, "Last Minute Orders");
        EXPECT_EQ(active_icon_table.count, 0) << "the items go with the screen";
    }
}

TEST_F(LastOrders, TheDifficultyOpensAndClosesByTheGameType)
{
    struct Case {
        int8_t type;
        uint8_t moon;
        uint32_t difficulty, after;
        const char* label;
    };
    const std::vector<Case> cases = {
        {GAME_EXHIBITION, 0, 65, 65, "Medium"}, // 50 percent of 30..100
        {GAME_TRAINING, 0, 40, 40, "Very Easy"},
        {GAME_EXHIBITION, 1, 50, 65, "Very Easy"}, // opened on 0..100, closed on 30..100
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        game_settings.game_type = c.type;
        moon_flag = c.moon;
        user_settings.word_1464 = c.difficulty;
        std::string label;
        run_once(1, [&] { label = game_type_state.left_text; });
        EXPECT_EQ(user_settings.word_1464, c.after);
        EXPECT_EQ(label, c.label);
    }
    EXPECT_EQ(game_settings.interchange_players, 4);
}

TEST_F(LastOrders, ACompetitionsComputerSidePlaysTheDefaultTactics)
{
    game_settings.game_type = GAME_PRE_SEASON;
    set_controller_side(0, -1);
    // The home team's own line-up differs from the default.
    swap_players_in_lineup(team_lineups[0], 0, 30);
    team_lineups[9].entries[0].x = 150;
    run_once(1);
    EXPECT_EQ(read_tactics_block(0).on_field[0].player, 30) << "the human side's own line-up";
    EXPECT_NE(read_tactics_block(1).on_field[0].x, 150.0f * 100 / 195) << "the computer side's default";
    EXPECT_EQ(game_settings.interchange_players, 6);
    EXPECT_EQ(std::string(last_orders_state.title), "Last Minute Orders");
}

TEST_F(LastOrders, ExitAsksTheGameTypesQuestion)
{
    // No stays on the screen; Yes quits.
    std::vector<std::string> asked;
    int step = 0;
    PointerScript::start([&](menu_screen* s, int f) {
        if (f != 2) return;
        if (s == &last_orders_screen) {
            key_state[KEY_ESCAPE] = 0x80;
            return;
        }
        asked.push_back(message_box_layout.message);
        front_end_state.result = step++ == 0 ? 4 : 3;
    });
    last_orders_page();
    EXPECT_EQ(asked, (std::vector<std::string>{"Exit Match?", "Exit Match?"}));
    EXPECT_EQ(front_end_state.result, 3);
    EXPECT_TRUE(match_globals.flow_flags & 0x80);
}

} // namespace
