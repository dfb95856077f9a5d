#include "control_fixture.h"

#include "frontend/break_menus.h"
#include "frontend/competition_teams.h"
#include "frontend/database_screens.h"
#include "frontend/controller_config.h"
#include "frontend/hints.h"
#include "frontend/menu_pages.h"
#include "frontend/option_screens.h"
#include "frontend/pages.h"
#include "frontend/player_editor.h"
#include "frontend/select_controller.h"
#include "frontend/settings_screens.h"
#include "league/game_settings.h"
#include "match/match_records.h"
#include "matchscreen/match_screen.h"
#include "platform/settings.h"
#include "gl3d/sprite_sets.h"
#include "frontend/file_browser.h"
#include "league/team_lineups.h"
#include "frontend/prematch_hub.h"
#include "frontend/lineup_screen.h"
#include "frontend/roles_screen.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// A page's screens answered in turn: each step names the screen expected
// (null: any, the message box among them) and the result its click leaves.
struct Plan {
    Plan() = default;
    explicit Plan(std::vector<std::pair<menu_screen*, int>> s) : steps(std::move(s)) {}
    std::vector<std::pair<menu_screen*, int>> steps;
    size_t next = 0;
    std::vector<menu_screen*> seen;
    void start()
    {
        // Each run of a screen counts its own frames, a screen run twice too.
        PointerScript::start([this](menu_screen* s, int) {
            if (answered || s != current) frame = 0;
            answered = false;
            current = s;
            if (++frame == 1) seen.push_back(s);
            if (frame > 50) throw std::runtime_error("step " + std::to_string(next) + " did not end its screen");
            if (frame != 2) return;
            if (next >= steps.size()) throw std::runtime_error("a screen the plan does not answer");
            if (steps[next].first) {
                EXPECT_EQ(steps[next].first, s) << "step " << next;
            }
            front_end_state.result = static_cast<uint8_t>(steps[next++].second);
            answered = true;
        });
    }
    menu_screen* current = nullptr;
    int frame = 0;
    bool answered = false;
};

int32_t g_matches, g_loaded_in_match, g_replays, g_loaded_in_replay;
std::vector<std::pair<int, int>> g_teams;
void attract_match(int32_t mode)
{
    ++g_matches;
    EXPECT_EQ(mode, 0);
    g_loaded_in_match = front_end_loaded;
    g_teams.emplace_back(game_settings.home_team, game_settings.away_team);
    if (g_matches == 3) match_globals.flow_flags |= LEAVE;
}
void replay()
{
    ++g_replays;
    g_loaded_in_replay = front_end_loaded;
}

struct Pages : Controls {
    settings_record saved{};
    int32_t saved_joysticks = 0, saved_mouse = 0, saved_keyboard = 0;
    void SetUp() override
    {
        Controls::SetUp();
        std::memcpy(&saved, &user_settings, sizeof saved);
        default_settings(user_settings);
        saved_joysticks = joystick_controllers, saved_mouse = mouse_controller, saved_keyboard = keyboard_controller;
        joystick_controllers = 1, mouse_controller = 1, keyboard_controller = 2;
        reset_controller_config();
        reset_menu_pages();
        reset_lineups_and_formations();
        game_settings.game_type = GAME_EXHIBITION;
        game_settings.home_team = 0, game_settings.away_team = 9;
        g_matches = g_replays = 0;
        g_loaded_in_match = g_loaded_in_replay = -1;
        g_teams.clear();
        moon_flag = 0;
    }
    // After a release of the front end, which frees the fixture's fonts too:
    // what is left is the fixture's own list.
    void rebase_allocations() { first_alloc = alloc_count - 1; }
    void TearDown() override
    {
        free_animation_set(HANDLE_CARICATURE);
        free_animation_set(HANDLE_CONTROLLERS);
        free_animation_set(HANDLE_FORMATION);
        match_player = play_match;
        reset_menu_pages();
        reset_controller_config();
        for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) set_controller_side(r, 0);
        joystick_controllers = saved_joysticks, mouse_controller = saved_mouse, keyboard_controller = saved_keyboard;
        std::memcpy(&user_settings, &saved, sizeof user_settings);
        moon_flag = 0;
        // Portraits stay loaded once loaded; the tests release them.
        for (int32_t& h : portrait_handles)
            if (h >= 0) free_sprite_set(h), h = -1;
        Controls::TearDown();
    }
};

TEST_F(Pages, TheWelcomeMenuOpensOnPlayWithTheUnusedItemsGreyed)
{
    std::vector<uint16_t> flags;
    bool play_focused = false;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &welcome_screen || f != 2) return;
        play_focused = active_icon_table.focus_icon == s->entries[2].copy;
        for (int i = 3; i <= 4; ++i) flags.push_back(s->entries[i].copy->flags);
        front_end_state.result = 5;
    });
    match_globals.init_mode = 3;
    welcome_page();
    EXPECT_TRUE(play_focused);
    EXPECT_EQ(flags, (std::vector<uint16_t>{0, 0}));
    EXPECT_EQ(match_globals.init_mode, 0);
    EXPECT_EQ(front_end_state.page, &game_type_page);
    EXPECT_EQ(front_end_state.default_action, nullptr);
}

TEST_F(Pages, WelcomeResultsLeadWhereTheMenuSays)
{
    struct Case {
        const char* name;
        std::vector<std::pair<menu_screen*, int>> steps;
        PageFn page;
        uint8_t done;
    };
    const std::vector<Case> cases = {
        {"quit ends through the splash", {{&welcome_screen, 3}, {&demo_splash_screen, 2}}, &welcome_page, 1},
        {"hints run until they are left", {{&welcome_screen, 10}, {&hints_screen, 7}, {&hints_screen, 2}}, &welcome_page, 0},
        {"configuration, then the sound screen",
         {{&welcome_screen, 11}, {&configuration_screen, 15}, {&sound_config_screen, 1}, {&configuration_screen, 1}},
         &welcome_page, 0},
        {"an unused result stays", {{&welcome_screen, 7}}, &welcome_page, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        front_end_state.page = nullptr;
        front_end_state.done = 0;
        Plan plan{c.steps};
        plan.start();
        welcome_page();
        EXPECT_EQ(plan.next, c.steps.size());
        EXPECT_EQ(front_end_state.page, c.page);
        EXPECT_EQ(front_end_state.done, c.done);
    }
    // The splash frees font slot 5, which the fixture's fonts share.
    rebase_allocations();
}

TEST_F(Pages, GameTypeSetsTheGameAndLeadsToTheMatchSetUp)
{
    Plan plan{{{&game_type_screen, 10}, {&game_type_screen, 11}}};
    plan.start();
    game_type_page();
    EXPECT_EQ(plan.seen.size(), 2u) << "result 10 runs the screen again";
    EXPECT_EQ(game_settings.game_type, GAME_TRAINING);
    EXPECT_EQ(game_settings.interchange_players, 4);
    EXPECT_EQ(front_end_state.page, &match_setup_page);

    Plan moon{{{&game_type_screen, 12}}};
    moon.start();
    game_type_page();
    EXPECT_EQ(front_end_state.page, &moon_page);
}

TEST_F(Pages, MatchSetUpRunsTheTeamScreensAndTheControllersBeforeTheMatch)
{
    last_home_choice = 3, last_away_choice = 7;
    match_globals.flow_flags = 0x1234;
    Plan plan{{{&match_settings_screen, 1},
               {&team_browser_screen, 5},
               {&lineup_screen, 24},
               {&roles_screen, 1},
               {&lineup_screen, 1},
               {&team_browser_screen, 1},
               {&controller_assign_screen, 1}}};
    plan.start();
    match_setup_page();
    EXPECT_EQ(plan.next, plan.steps.size());
    EXPECT_EQ(match_globals.flow_flags, 0);
    EXPECT_EQ(game_settings.home_team, 3);
    EXPECT_EQ(game_settings.away_team, 7);
    EXPECT_EQ(lineup_side, 0) << "result 5 edits the home side";
    EXPECT_EQ(front_end_state.page, &start_match_page);
    EXPECT_EQ(animation_handles[HANDLE_FORMATION], -1) << "the line-up page frees its set";

    Plan back{{{&match_settings_screen, 2}}};
    back.start();
    match_setup_page();
    EXPECT_EQ(front_end_state.page, nullptr);
    EXPECT_EQ(front_end_state.result, 0);
}

TEST_F(Pages, TheMoonPageClearsItsFlagOnlyWhenLeft)
{
    Plan plan{{{&match_settings_screen, 1}, {&team_browser_screen, 2}}};
    plan.start();
    moon_page();
    EXPECT_EQ(moon_flag, 1);
    EXPECT_EQ(front_end_state.page, &game_type_page);
    Plan back{{{&match_settings_screen, 2}}};
    back.start();
    moon_page();
    EXPECT_EQ(moon_flag, 0);
    EXPECT_EQ(front_end_state.page, nullptr);
}

TEST_F(Pages, PreMatchHubResults)
{
    struct Case {
        int result;
        std::vector<std::pair<menu_screen*, int>> after;
        PageFn page;
        uint8_t done;
    };
    const std::vector<Case> cases = {
        {1, {}, &prematch_hub_page, 1},
        {3, {}, &welcome_page, 0},
        {7, {{&lineup_screen, 2}}, &prematch_hub_page, 0},
        {8, {{&match_settings_screen, 2}}, &prematch_hub_page, 0},
        {15, {{&sound_config_screen, 2}}, &prematch_hub_page, 0},
        {16, {}, &prematch_hub_page, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        front_end_state.done = 0;
        Plan plan;
        plan.steps.push_back({&prematch_hub_screen, c.result});
        plan.steps.insert(plan.steps.end(), c.after.begin(), c.after.end());
        plan.start();
        prematch_hub_page();
        EXPECT_EQ(plan.next, plan.steps.size());
        EXPECT_EQ(front_end_state.page, c.page);
        EXPECT_EQ(front_end_state.done, c.done);
    }
    EXPECT_EQ(player_editor.editor_side, 1) << "result 7 sets the editor up on the away side";
}

TEST_F(Pages, StatisticsPagesOpenTheirScreensByVariant)
{
    Plan one{{{&break_menu_screen, 6},
              {&file_browser_screen, 2},
              {&break_menu_screen, 9},
              {&team_statistics_screen, 1},
              {&break_menu_screen, 5}}};
    one.start();
    statistics_page_1();
    EXPECT_EQ(one.next, one.steps.size());
    EXPECT_EQ(browser_mode, 2);
    EXPECT_EQ(front_end_state.page, nullptr);

    Plan two{{{&break_menu_screen, 6}, {&file_browser_screen, 2}, {&break_menu_screen, 8},
              {&match_statistics_screen, 1}, {&break_menu_screen, 11}, {&configuration_screen, 1},
              {&break_menu_screen, 1}}};
    two.start();
    statistics_page_2();
    EXPECT_EQ(two.next, two.steps.size());
    EXPECT_EQ(browser_mode, 3);
    EXPECT_EQ(match_stage, 2);
    match_stage = 0;
}

TEST_F(Pages, FilePagesRunTheBrowserInTheirModes)
{
    struct Case {
        void (*page)();
        int mode;
        std::vector<int> results;
    };
    const std::vector<Case> cases = {
        {load_game_page, 1, {7, 1}}, {delete_files_page, 4, {7}}, {save_file_page, 5, {3, 2}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        front_end_state.page = nullptr;
        Plan plan;
        for (int r : c.results) plan.steps.push_back({&file_browser_screen, r});
        plan.start();
        c.page();
        EXPECT_EQ(plan.next, plan.steps.size());
        EXPECT_EQ(browser_mode, c.mode);
        // Only the load page sets the first page.
        EXPECT_EQ(front_end_state.page, c.page == load_game_page ? &first_page : nullptr);
    }
}

TEST_F(Pages, TheReplayPageReleasesTheFrontEndAroundTheReplay)
{
    replay_player = replay;
    Plan cancel{{{&file_browser_screen, 2}}};
    cancel.start();
    view_replay_page();
    EXPECT_EQ(g_replays, 0);

    Plan plan{{{&file_browser_screen, 1}}};
    plan.start();
    front_end_state.error_hook = error_control_callback;
    view_replay_page();
    EXPECT_EQ(g_replays, 1);
    EXPECT_EQ(g_loaded_in_replay, 0);
    EXPECT_EQ(front_end_loaded, 1);
    EXPECT_EQ(browser_mode, 0);
    EXPECT_EQ(front_end_state.error_hook, error_control_callback);
    front_end_shutdown();
    rebase_allocations(); // the release takes the fixture's fonts too
}

TEST_F(Pages, AttractMatchesPlayDifferentClubsUntilTheMatchEndsThem)
{
    match_player = attract_match;
    match_globals.flow_flags = 0;
    set_controller_side(0, -1);
    attract_match_page();
    EXPECT_EQ(g_matches, 3);
    EXPECT_EQ(g_loaded_in_match, 0);
    EXPECT_EQ(front_end_loaded, 1);
    EXPECT_EQ(controller_side(0), 0) << "nobody plays an attract match";
    for (const auto& [home, away] : g_teams) {
        EXPECT_NE(home, away);
        EXPECT_TRUE(home >= 0 && home < 16 && away >= 0 && away < 16);
    }
    EXPECT_EQ(front_end_state.page, &first_page);
    front_end_shutdown();
    rebase_allocations(); // the release takes the fixture's fonts too
}

TEST_F(Pages, OncePagesRunTheirScreen)
{
    const std::vector<std::pair<void (*)(), menu_screen*>> cases = {
        {select_controller_page, &select_controller_screen},
        {replay_buffer_page, &replay_buffer_screen},
        {team_list_page, &competition_teams_screen},
    };
    alloc_limit_block_size(4u << 20); // the replay buffer screen's probe, kept short
    for (const auto& [page, screen] : cases) {
        Plan plan{{{screen, 2}}};
        plan.start();
        page();
        EXPECT_EQ(plan.next, 1u);
    }
    alloc_limit_block_size(0);
}

TEST_F(Pages, SquadListQuery)
{
    std::memset(game_settings.squad_list, -1, sizeof game_settings.squad_list);
    game_settings.squad_list[29] = 17;
    EXPECT_TRUE(in_saved_squad_list(17));
    EXPECT_FALSE(in_saved_squad_list(16));
    EXPECT_TRUE(always_true());
}

} // namespace
