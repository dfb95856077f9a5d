#include "front_end_fixture.h"
#include "league_edits.h"

#include "frontend/front_end_graphics.h"

#include "frontend/competition.h"
#include "frontend/database_files.h"
#include "frontend/database_screens.h"
#include "league/game_settings.h"
#include "league/league_data.h"
#include "match/match_records.h"
#include "platform/language.h"
#include "platform/settings.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

// The restore screen's frame with a test's action run once on its second
// frame, as a click's handler runs inside the screen's frame.
std::function<void()> g_act;
int g_frames;
void acting_frame(menu_screen* screen)
{
    restore_names_frame(screen);
    if (++g_frames == 25 && g_act) g_act(); // after the fade-in
}

struct DatabaseScreenTest : FrontEnd {
    std::vector<std::string> kept; // team 5's first 24 names as built
    std::filesystem::path dir;
    char kept_directory[sizeof user_settings.data_directory];
    void SetUp() override
    {
        FrontEnd::SetUp();
        install_common_frames();
        clear_game_state_block();
        select_builtin_league_data();
        reset_database_files();
        reset_database_screens();
        prepare_database_screens();
        game_settings.game_type = GAME_EXHIBITION;
        for (int k = 0; k < SQUAD_POSITIONS; ++k) kept.emplace_back(player_name(league_team_at(5)->players[k]));
        // The change files a restore writes go to a directory of the test's own.
        std::memcpy(kept_directory, user_settings.data_directory, sizeof kept_directory);
        dir = std::filesystem::temp_directory_path() / "kob99_database_screens";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::snprintf(user_settings.data_directory, sizeof user_settings.data_directory, "%s", dir.c_str());
    }
    void TearDown() override
    {
        for (int k = 0; k < SQUAD_POSITIONS; ++k) set_player_name(league_team_at(5)->players[k], kept[k].c_str());
        reset_league_data();
        reset_player_editor();
        std::memcpy(user_settings.data_directory, kept_directory, sizeof kept_directory);
        std::filesystem::remove_all(dir);
        reset_database_screens();
        reset_database_files();
        reset_competition_state();
        clear_game_state_block();
        FrontEnd::TearDown();
    }
    // Runs the restore screen: a call on frame 2, the box answered by keys,
    // then the screen left.
    std::vector<std::string> boxes;
    void run_restore(std::function<void()> act, std::vector<uint8_t> answer)
    {
        boxes.clear();
        g_act = std::move(act);
        g_frames = 0;
        restore_names_screen.on_frame = acting_frame;
        PointerScript::start([&, answer](menu_screen* s, int f) {
            if (s == &restore_names_screen) {
                if (g_frames > 30) front_end_state.result = 1;
                return;
            }
            if (f == 1) boxes.push_back(message_box_layout.message);
            if (f >= 3 && f - 3 < static_cast<int>(answer.size()) && answer[f - 3]) key_state[answer[f - 3]] = 0x80;
        });
        run_front_end_screen(&restore_names_screen);
        restore_names_screen.on_frame = restore_names_frame;
        g_act = nullptr;
    }
};

TEST_F(DatabaseScreenTest, WithoutTheBuiltInNamesNothingCanBeRestored)
{
    set_player_name(league_team_at(5)->players[3], "Ivo Marsh");
    original_names_loaded = 0;
    run_restore([] {
        original_names_loaded = 0; // the screen takes them when it opens
        for (int i = 0; i < 5; ++i) next_name_team(nullptr, nullptr, &restore_names_screen);
        restore_team_names(4);
    }, {KEY_ENTER});
    EXPECT_STREQ(player_name(league_team_at(5)->players[3]), "Ivo Marsh");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("No player names have been altered"), std::string::npos);
}

TEST_F(DatabaseScreenTest, OnePlayerOrTheWholeTeamComesBack)
{
    load_original_names();
    league_player* p = league_team_at(5)->players[3];
    // The screen opens on team 0; step back round to 15, then forward from
    // 15 to 0 and on to 5.
    run_restore([] {
        previous_name_team(nullptr, nullptr, &restore_names_screen);
        EXPECT_EQ(database_screens.name_screen_team, 15);
        next_name_team(nullptr, nullptr, &restore_names_screen);
        EXPECT_EQ(database_screens.name_screen_team, 0);
        for (int i = 0; i < 5; ++i) next_name_team(nullptr, nullptr, &restore_names_screen);
        set_player_name(league_team_at(5)->players[3], "Ivo Marsh");
        restore_team_names(4);
    }, {});
    EXPECT_EQ(player_name(p), kept[3]);

    run_restore([] {
        for (int i = 0; i < 5; ++i) next_name_team(nullptr, nullptr, &restore_names_screen);
        restore_team_names(4);
    }, {KEY_ENTER});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("This player name has not been altered"), std::string::npos);

    // The whole team, answered No then Yes.
    for (uint8_t yes : {0, 1}) {
        set_player_name(league_team_at(5)->players[0], "Ivo Marsh");
        set_player_name(league_team_at(5)->players[23], "Wat Tyler");
        run_restore([] {
            for (int i = 0; i < 5; ++i) next_name_team(nullptr, nullptr, &restore_names_screen);
            restore_team_names(0);
        }, yes ? std::vector<uint8_t>{KEY_RIGHT, 0, 0, KEY_ENTER} : std::vector<uint8_t>{KEY_ENTER});
        EXPECT_EQ(std::string(player_name(league_team_at(5)->players[23])) == kept[23], yes == 1) << int(yes);
    }
}

TEST_F(DatabaseScreenTest, RestoringTheDatabaseAnsweredNoChangesNothing)
{
    load_original_names();
    run_restore([] { restore_database_names(nullptr, nullptr, nullptr); }, {KEY_ENTER});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("No players in the database have been altered"), std::string::npos);

    set_player_name(league_team_at(5)->players[7], "Ivo Marsh");
    run_restore([] { restore_database_names(nullptr, nullptr, nullptr); }, {KEY_ENTER}); // No
    EXPECT_STREQ(player_name(league_team_at(5)->players[7]), "Ivo Marsh");
    run_restore([] { restore_database_names(nullptr, nullptr, nullptr); }, {KEY_RIGHT, 0, 0, KEY_ENTER});
    EXPECT_EQ(player_name(league_team_at(5)->players[7]), kept[7]);
    EXPECT_EQ(front_end_state.result, 1) << "the screen ran on until it was left";
}

// An exhibition's editor commit of a club's names, some of them changed.
void commit_exhibition_names(int team, const std::vector<std::pair<int, const char*>>& changes)
{
    game_settings.game_type = GAME_EXHIBITION;
    edit_player_page(0, team);
    commit_names(team, changes);
}

TEST_F(DatabaseScreenTest, RestoredNamesStayRestoredAfterARestart)
{
    auto name = [](int team, int k) { return std::string(player_name(league_team_at(team)->players[k])); };
    auto on_team_5 = [](int entry) {
        return [entry] {
            for (int i = 0; i < 5; ++i) next_name_team(nullptr, nullptr, &restore_names_screen);
            restore_team_names(entry);
        };
    };
    commit_exhibition_names(5, {{3, "Ivo Marsh"}, {7, "Wat Ketley"}, {9, "Hal Pryor"}});
    restart_with_change_files();
    ASSERT_EQ(name(5, 3), "Ivo Marsh") << "the edits outlast a restart";

    run_restore(on_team_5(4), {}); // player 3 alone
    restart_with_change_files();
    EXPECT_EQ(name(5, 3), kept[3]);
    EXPECT_EQ(name(5, 7), "Wat Ketley") << "the others stay edited";

    run_restore(on_team_5(0), {KEY_RIGHT, 0, 0, KEY_ENTER}); // the whole team, Yes
    restart_with_change_files();
    EXPECT_EQ(name(5, 7), kept[7]);
    EXPECT_EQ(name(5, 9), kept[9]);
    EXPECT_EQ(team_name_change_buffer[5], 0);

    const std::string built_12 = name(12, 0);
    commit_exhibition_names(5, {{1, "Ivo Marsh"}});
    commit_exhibition_names(12, {{0, "Hal Pryor"}});
    run_restore([] { restore_database_names(nullptr, nullptr, nullptr); }, {KEY_RIGHT, 0, 0, KEY_ENTER});
    restart_with_change_files();
    EXPECT_EQ(name(5, 1), kept[1]);
    EXPECT_EQ(name(12, 0), built_12);
}

TEST_F(DatabaseScreenTest, TheBrowserWrapsAndItsBarsGlide)
{
    browser_home_team = 15;
    browser_away_team = 0;
    int32_t home = -1, away = -1, shown = -1, later = -1, target = -1, bars = -1;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &team_browser_screen) return;
        if (f == 2) {
            bars = powerbar_images[0].users;
            browser_step(0, 1);
            browser_step(1, -1);
            home = browser_home_team;
            away = browser_away_team;
            shown = database_screens.shown[0][5];
            target = database_screens.targets[0][5];
        }
        if (f == 3) {
            later = database_screens.shown[0][5];
            front_end_state.result = 1;
        }
    });
    run_front_end_screen(&team_browser_screen);
    EXPECT_EQ(bars, 14) << "both sides' seven rating bars are powerbars";
    EXPECT_EQ(powerbar_images[0].loaded, 0) << "gone with the screen";
    EXPECT_EQ(home, 0) << "next from 15";
    EXPECT_EQ(away, 15) << "previous from 0";
    EXPECT_LE(std::abs(later - shown), 19) << "one height step a frame";
    EXPECT_LE(std::abs(target - later), std::abs(target - shown));
}

TEST_F(DatabaseScreenTest, TheBrowserTakesATeamFromAListEntry)
{
    browser_home_team = 3;
    browser_away_team = 9;
    std::string away_name;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &team_browser_screen || f != 2) return;
        browser_pick_team(1, 12);
        browser_pick_team(0, 16); // no such club
        browser_pick_team(0, -1);
        browser_redraw_side(0);
        away_name = database_screens.browser_names[1];
        front_end_state.result = 1;
    });
    run_front_end_screen(&team_browser_screen);
    EXPECT_EQ(browser_away_team, 12);
    EXPECT_EQ(browser_home_team, 3) << "an entry outside the clubs changes nothing";
    EXPECT_EQ(away_name, get_text(12));
}

} // namespace
