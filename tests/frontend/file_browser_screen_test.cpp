#include "control_fixture.h"

#include "display/replay.h"
#include "frontend/break_menus.h"
#include "frontend/competition.h"
#include "frontend/file_browser.h"
#include "frontend/lineup_screen.h"
#include "frontend/menu_pages.h"
#include "frontend/message_box.h"
#include "frontend/saved_files.h"
#include "frontend/team_panels.h"
#include "host/paths.h"
#include "league/team_lineups.h"
#include "match/match_records.h"
#include "platform/settings.h"
#include "screen/screen.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr uint8_t KEY_DELETE = 211;

class Browser : public Controls
{
  protected:
    void SetUp() override
    {
        Controls::SetUp();
        kept_settings = user_settings;
        kept_game = game_settings;
        reset_file_browser();
        reset_lineup_screen();
        reset_team_panel();
        reset_lineups_and_formations();
        reset_competition_state();
        game_settings.game_type = GAME_EXHIBITION;
        game_settings.home_team = 0, game_settings.away_team = 1;
        game_settings.interchange_players = 4;
        break_menu_state.in_match_menu = 0;
        dir = fs::path(host_user_dir()) / "browser screen test";
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::snprintf(user_settings.data_directory, sizeof user_settings.data_directory, "%s", dir.string().c_str());
    }
    void TearDown() override
    {
        reset_file_browser();
        reset_lineup_screen();
        reset_team_panel();
        reset_lineups_and_formations();
        reset_competition_state();
        free_front_end_animations();
        fs::remove_all(dir);
        user_settings = kept_settings;
        game_settings = kept_game;
        Controls::TearDown();
    }

    static constexpr int FADE = ScriptedScreen::FADE_IN_FRAMES;

    using Steps = std::vector<std::function<void()>>;
    // Runs the browser in a mode and takes the steps on its frames, two
    // frames apart once it takes input; after the last it is left with Back
    // unless a step closed it. Each message box shown is recorded and
    // answered.
    void run(int32_t mode, const Steps& steps)
    {
        PointerScript::start([&](menu_screen* s, int f) { script(s, f, steps); });
        set_browser_background(mode);
        run_front_end_screen(&file_browser_screen);
    }
    void script(menu_screen* s, int f, const Steps& steps)
    {
        if (s == &file_browser_screen) {
            const int at = ++browser_frames - (FADE + 2);
            if (at < 0 || at % 2) return;
            const size_t step = static_cast<size_t>(at / 2);
            if (step < steps.size()) steps[step]();
            else front_end_state.result = 2;
        } else if (f >= 2 && s != &lineup_screen) { // a box: two in a row count on

            boxes.push_back(message_box_layout.message);
            if (message_box_layout.yes) {
                answer_yes ? message_box_yes() : message_box_no();
            } else {
                message_box_ok();
            }
        }
    }
    static std::vector<std::string> items(const control* list)
    {
        std::vector<std::string> v;
        for (A_LLIST_NODE* n = list_record(list)->settings.items->first; n; n = n->next)
            v.emplace_back(string_record(static_cast<control*>(n->data))->settings.text);
        return v;
    }
    // Focuses the list item with that text and presses Enter on it.
    static void press_item(const control* list, const std::string& text)
    {
        for (A_LLIST_NODE* n = list_record(list)->settings.items->first; n; n = n->next) {
            A_STRING_CONTROL* s = string_record(static_cast<control*>(n->data));
            if (text == s->settings.text) {
                set_focus_icon(&s->display.text_icon);
                key_state[KEY_ENTER] = 0x80;
                return;
            }
        }
        ADD_FAILURE() << "no item " << text;
    }
    static A_STRING_CONTROL* entry()
    {
        return string_record(list_current_data(select_record(file_browser_state.entry_field)));
    }
    static void press_accept()
    {
        set_focus_icon(file_browser_screen.entries[5].copy);
        key_state[KEY_ENTER] = 0x80;
    }
    void touch(const std::string& name, const std::string& text = "x") const
    {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    std::string contents(const std::string& name) const
    {
        std::ifstream in(dir / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir;
    int browser_frames = 0;
    std::vector<std::string> boxes;
    bool answer_yes = true;
    settings_record kept_settings{};
    GameSettings kept_game{};
};

using Names = std::vector<std::string>;

TEST_F(Browser, OpensOnTheDataDirectoryWithTheModesTextsAndDefaultName)
{
    for (const char* n : {"Replay000.replay", "replay001.REPLAY", "Game000.game", "a.frm", "notes.txt"}) touch(n);
    fs::create_directories(dir / "older saves");
    struct Case {
        int32_t mode;
        const char* title;
        const char* entry;
        Names files;
        const char* back = "Back"; // over formations it stands beside the line-up's list
        int back_x = 50, back_y = 450;
    };
    for (const Case& c : {
             Case{BROWSER_SAVE_REPLAY, "Save Replay", "Replay002.replay", {"Replay000.replay", "replay001.REPLAY"}},
             Case{BROWSER_SAVE_GAME, "Save Game", "Game001.game", {"Game000.game"}},
             Case{BROWSER_SAVE_FORMATION, "Save Formation", "user formation", {"a.frm"}, "Cancel", 550, 130},
             Case{BROWSER_LOAD_FORMATION, "Load Formation", "*.frm", {"a.frm"}, "Cancel", 550, 130},
             Case{BROWSER_DELETE, "File Management", "*.GAME, *.REPLAY",
                  {"Game000.game", "Replay000.replay", "replay001.REPLAY"}},
             Case{BROWSER_LOAD_STRIP, "Load Team Strip", "*.bmp", {}},
         }) {
        SCOPED_TRACE(c.title);
        browser_frames = 0;
        std::string empty;
        run(c.mode, {[&] {
                EXPECT_EQ(std::string(file_browser_screen.entries[0].copy->text), c.title);
                EXPECT_EQ(file_browser_state.directory, dir.string());
                EXPECT_EQ(std::string(entry()->settings.text), c.entry);
                EXPECT_EQ(items(file_browser_state.file_list), c.files);
                EXPECT_EQ(items(file_browser_state.directory_list), (Names{"..", "older saves"}));
                empty = file_browser_screen.entries[3].copy->text;
                const menu_icon* back = file_browser_screen.entries[4].copy;
                EXPECT_EQ(std::string(back->text), c.back);
                EXPECT_EQ(back->x, scale_x_from_640(c.back_x));
                EXPECT_EQ(back->y, scale_y_from_480(c.back_y));
            }});
        EXPECT_EQ(empty, c.files.empty() ? "No Strip Files Found!" : "");
    }
}

TEST_F(Browser, DirectoriesAreEnteredAndLeftByKeyboard)
{
    fs::create_directories(dir / "my saves" / "\xc3\xa9t\xc3\xa9");
    touch("my saves/Game004.game");
    std::vector<Names> seen;
    const fs::path saves = dir / "my saves";
    run(BROWSER_LOAD_GAME, {
                               [&] { press_item(file_browser_state.directory_list, "my saves"); },
                               [&] {
                                   EXPECT_EQ(file_browser_state.directory, saves.string());
                                   seen.push_back(items(file_browser_state.directory_list));
                                   seen.push_back(items(file_browser_state.file_list));
                                   press_item(file_browser_state.directory_list, "\xc3\xa9t\xc3\xa9");
                               },
                               [&] {
                                   seen.push_back(items(file_browser_state.file_list));
                                   press_item(file_browser_state.directory_list, "..");
                               },
                               [&] { press_item(file_browser_state.directory_list, ".."); },
                               [&] {
                                   EXPECT_EQ(file_browser_state.directory, dir.string());
                                   press_item(file_browser_state.drive_list, "/");
                               },
                               [&] {
                                   EXPECT_EQ(file_browser_state.directory, "/");
                                   const Names top = items(file_browser_state.directory_list);
                                   EXPECT_TRUE(top.empty() || top.front() != "..") << "no way up from the root";
                               },
                           });
    EXPECT_EQ(seen, (std::vector<Names>{{"..", "\xc3\xa9t\xc3\xa9"}, {"Game004.game"}, {}}));
}

TEST_F(Browser, ASaveGameNamedWithoutExtensionGetsOneAndAnExistingFileIsAskedAbout)
{
    // Typed without an extension: saved as "season.game" here, and the
    // browser closes.
    run(BROWSER_SAVE_GAME, {[&] {
            set_string_control_text(entry(), "season");
            press_accept();
        }});
    EXPECT_EQ(front_end_state.result, 1);
    EXPECT_EQ(boxes, Names{"Game Saved Successfully : season.game"});
    ASSERT_EQ(fs::file_size(dir / "season.game"), GAME_FILE_SIZE);

    // Chosen from the list or typed again: asked first; No writes nothing.
    touch("old.game", "keep me");
    const std::vector<std::function<void()>> ways = {
        [&] { press_item(file_browser_state.file_list, "old.game"); },
        [&] {
            set_string_control_text(entry(), "OLD");
            press_accept();
        },
    };
    for (const auto& way : ways) {
        boxes.clear();
        browser_frames = 0;
        answer_yes = false;
        run(BROWSER_SAVE_GAME, {way, [] {}});
        EXPECT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes.at(0).rfind("Warning, File exists - Continue Save? : ", 0), 0u) << boxes.at(0);
        EXPECT_EQ(contents("old.game"), "keep me");
        EXPECT_EQ(front_end_state.result, 2) << "the screen stayed";
    }
    // Yes writes over it.
    boxes.clear();
    browser_frames = 0;
    answer_yes = true;
    run(BROWSER_SAVE_GAME, {ways[0]});
    EXPECT_EQ(boxes, (Names{"Warning, File exists - Continue Save? : old.game", "Game Saved Successfully : old.game"}));
    EXPECT_EQ(fs::file_size(dir / "old.game"), GAME_FILE_SIZE);
}

// A key on a listed file acts at once; the mouse's click asks first in every
// saving mode. Mode 8 takes the chosen name into its entry field, and a
// formation that is there is still asked about.
TEST_F(Browser, AKeyOnAFileActsAtOnceAndAFormationTakesItsName)
{
    auto click_item = [](const control* list, const std::string& text) {
        for (A_LLIST_NODE* n = list_record(list)->settings.items->first; n; n = n->next) {
            menu_icon& icon = string_record(static_cast<control*>(n->data))->display.text_icon;
            if (text != string_record(static_cast<control*>(n->data))->settings.text) continue;
            icon_input.left_pressed = true;
            icon.states[ICON_CLICKED].handler(&icon.states[ICON_CLICKED], &icon, &file_browser_screen);
            icon_input.left_pressed = false;
            return;
        }
        ADD_FAILURE() << "no item " << text;
    };
    touch("Old.replay", "keep me");
    answer_yes = false;
    const std::string asked = "Warning, File exists - Continue Save? : Old.replay";
    free_replay_node(); // nothing to save: the save itself fails
    struct Case {
        const char* what;
        std::function<void()> choose;
        bool overwrite_question;
    } cases[] = {
        {"a key", [&] { press_item(file_browser_state.file_list, "Old.replay"); }, false},
        {"the mouse", [&] { click_item(file_browser_state.file_list, "Old.replay"); }, true},
    };
    for (const Case& c : cases) {
        boxes.clear();
        browser_frames = 0;
        run(BROWSER_SAVE_REPLAY, {c.choose, [] {}});
        ASSERT_FALSE(boxes.empty()) << c.what;
        EXPECT_EQ(boxes[0] == asked, c.overwrite_question) << c.what << ": " << boxes[0];
        EXPECT_EQ(contents("Old.replay"), "keep me") << c.what;
    }

    TeamLineup other = team_lineups[3];
    std::snprintf(other.name, sizeof other.name, "%s", "attack");
    other.entries[5].x = team_lineups[0].entries[5].x + 40;
    ASSERT_EQ(save_formation_file((dir / "attack.frm").string().c_str(), other), 1);
    const auto before = fs::file_size(dir / "attack.frm");
    for (const bool yes : {false, true}) {
        boxes.clear();
        browser_frames = 0;
        answer_yes = yes;
        std::string field;
        run(BROWSER_SAVE_FORMATION, {[&] { press_item(file_browser_state.file_list, "attack.frm"); },
                                     [&] { field = entry()->settings.text; }});
        EXPECT_EQ(field, "attack.frm");
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(boxes[0], "Warning, File exists - Continue Save? : attack.frm");
        TeamLineup back{};
        ASSERT_EQ(load_formation_file((dir / "attack.frm").string().c_str(), back), 1);
        EXPECT_EQ(fs::file_size(dir / "attack.frm"), before);
        if (yes) {
            EXPECT_EQ(boxes.back(), "Formation Saved Successfully : attack.frm");
            EXPECT_STREQ(team_lineups[0].name, "attack");
            EXPECT_EQ(std::memcmp(&back.entries, &team_lineups[0].entries, sizeof back.entries), 0);
        } else {
            EXPECT_EQ(boxes.size(), 1u) << "No writes nothing";
            EXPECT_EQ(std::memcmp(&back.entries, &other.entries, sizeof back.entries), 0);
        }
    }
}

TEST_F(Browser, LoadingAGameReportsAndABadOneKeepsTheScreenOpen)
{
    competition_state.round = 9;
    ASSERT_EQ(save_game_file((dir / "Round9.GAME").string().c_str()), 1);
    touch("broken.game", "short");
    competition_state.round = 2;
    run(BROWSER_LOAD_GAME, {
                               [&] { press_item(file_browser_state.file_list, "broken.game"); },
                               [&] {
                                   EXPECT_EQ(competition_state.round, 2) << "a bad file changes nothing";
                                   press_item(file_browser_state.file_list, "Round9.GAME");
                               },
                           });
    EXPECT_EQ(boxes, (Names{"Error - Incorrect File Format", "Game Loaded Successfully : Round9.game"}));
    EXPECT_EQ(front_end_state.result, 1);
    EXPECT_EQ(competition_state.round, 9);
    EXPECT_EQ(game_loaded, 1);
}

// A season saved by a typed name comes back whole when chosen from the list.
TEST_F(Browser, ASeasonSavedFromTheScreenLoadsBackIdentical)
{
    CompetitionState& c = competition_state;
    for (int i = 0; i < FIXTURE_PAIRS; ++i) {
        c.fixtures[i][0] = static_cast<int8_t>(i), c.fixtures[i][1] = static_cast<int8_t>(15 - i);
        c.scores[i][0] = static_cast<uint16_t>(60 + i), c.scores[i][1] = static_cast<uint16_t>(300 - i);
        c.win_flags[i][0] = i % 2, c.win_flags[i][1] = (i + 1) % 2;
    }
    c.round = 14;
    for (int t = 0; t < 16; ++t) {
        c.order[t] = static_cast<uint8_t>((t * 5) % 16);
        c.wins[t] = static_cast<uint8_t>(t), c.draws[t] = static_cast<uint8_t>(t % 3), c.losses[t] = static_cast<uint8_t>(13 - t % 13);
        c.points_for[t] = static_cast<uint16_t>(1000 + 37 * t), c.points_against[t] = static_cast<uint16_t>(2000 - 41 * t);
        c.kinds[t] = static_cast<uint32_t>(t % 3);
    }
    c.order_count = 16;
    const CompetitionState saved = c;
    run(BROWSER_SAVE_GAME, {[&] {
            set_string_control_text(entry(), "league run");
            press_accept();
        }});
    ASSERT_EQ(boxes, Names{"Game Saved Successfully : league run.game"});
    reset_competition_state();
    boxes.clear();
    browser_frames = 0;
    run(BROWSER_LOAD_GAME, {[&] { press_item(file_browser_state.file_list, "league run.game"); }});
    EXPECT_EQ(boxes, Names{"Game Loaded Successfully : league run.game"});
    auto same = [](const auto& a, const auto& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    EXPECT_TRUE(same(c.fixtures, saved.fixtures));
    EXPECT_TRUE(same(c.scores, saved.scores));
    EXPECT_TRUE(same(c.win_flags, saved.win_flags));
    EXPECT_EQ(c.round, saved.round);
    EXPECT_TRUE(same(c.order, saved.order));
    EXPECT_TRUE(same(c.wins, saved.wins));
    EXPECT_TRUE(same(c.draws, saved.draws));
    EXPECT_TRUE(same(c.losses, saved.losses));
    EXPECT_TRUE(same(c.points_for, saved.points_for));
    EXPECT_TRUE(same(c.points_against, saved.points_against));
    EXPECT_TRUE(same(c.kinds, saved.kinds));
    EXPECT_EQ(c.order_count, saved.order_count);
}

TEST_F(Browser, FileManagementDeletesAfterYesAndListsAgain)
{
    touch("Game000.game");
    touch("Replay000.replay");
    std::vector<Names> lists;
    answer_yes = false;
    run(BROWSER_DELETE, {
                            [&] {
                                // Delete on the replay, which is listed after the games.
                                A_LLIST_NODE* last = list_record(file_browser_state.file_list)->settings.items->last;
                                set_focus_icon(&string_record(static_cast<control*>(last->data))->display.text_icon);
                                key_state[KEY_DELETE] = 0x80;
                            },
                            [&] {
                                answer_yes = true;
                                press_item(file_browser_state.file_list, "Game000.game");
                            },
                            [&] { lists.push_back(items(file_browser_state.file_list)); },
                        });
    EXPECT_EQ(boxes, (Names{"Warning - Delete Saved Replay? : Replay000.replay",
                            "Warning - Delete Saved Game? : Game000.game"}));
    EXPECT_TRUE(fs::exists(dir / "Replay000.replay")) << "No keeps it";
    EXPECT_FALSE(fs::exists(dir / "Game000.game"));
    EXPECT_EQ(lists, std::vector<Names>{{"Replay000.replay"}});
}

TEST_F(Browser, TheDataPathIsTheDirectoryAcceptedUnlessTooLongForItsField)
{
    fs::create_directories(dir / "saves");
    run(BROWSER_DATA_PATH, {[&] { press_item(file_browser_state.directory_list, "saves"); }, [&] { press_accept(); }});
    EXPECT_EQ(front_end_state.result, 1);
    EXPECT_EQ(std::string(user_settings.data_directory), (dir / "saves").string());
    EXPECT_TRUE(boxes.empty());

    const std::string before = user_settings.data_directory;
    browser_frames = 0;
    run(BROWSER_DATA_PATH, {[&] { EXPECT_EQ(browser_action("/" + std::string(BROWSER_PATH_LIMIT, 'a')), 0); }});
    EXPECT_EQ(std::string(user_settings.data_directory), before);
    EXPECT_EQ(boxes, Names{"Error - Incorrect File Format"});
}

TEST(BrowserNames, ExtensionsChangeInTheLastComponentOnly)
{
    EXPECT_EQ(with_browser_extension("/home/me/.local/x", "frm"), "/home/me/.local/x.frm");
    EXPECT_EQ(with_browser_extension("/a/b.c/Game003.GAME", "game"), "/a/b.c/Game003.game");
    EXPECT_EQ(replace_browser_extension("/home/me/.local/my.best.save", "game"), "/home/me/.local/my best.game");
    EXPECT_EQ(replace_browser_extension("/d/user formation", "frm"), "/d/user formation.frm");
}

// Through the line-up page: Save runs the browser in mode 8, Load in mode 7,
// all from the keyboard; the formation comes back as it was saved.
TEST_F(Browser, AFormationSavedFromTheLineUpLoadsBackFromIt)
{
    const int32_t man = team_lineups[0].entries[5].player;
    team_lineups[0].entries[5].x = -33;
    int browser_runs = 0;
    auto page = [&](bool save, const Steps& steps) {
        bool asked = false;
        browser_frames = 0;
        PointerScript::start([&](menu_screen* s, int f) {
            if (s == &lineup_screen) {
                if (f == FADE + 2 && !asked) {
                    asked = true;
                    set_focus_icon(save ? lineup_state.save_button : lineup_state.load_button);
                    key_state[KEY_ENTER] = 0x80;
                } else if (f == FADE + 2) {
                    front_end_state.result = 1; // back from the browser: OK
                }
                return;
            }
            if (s == &file_browser_screen && browser_frames == 0) ++browser_runs;
            script(s, f, steps);
        });
        lineup_page();
    };
    page(true, {// Save, then Enter on the name field
             [&] {
                 EXPECT_EQ(browser_mode, BROWSER_SAVE_FORMATION);
                 set_focus_icon(&entry()->display.text_icon);
                 key_state[KEY_ENTER] = 0x80;
             },
             [&] {
                 EXPECT_EQ(items(file_browser_state.file_list), Names{"user formation.frm"});
                 EXPECT_EQ(std::string(file_browser_screen.entries[4].copy->text), "Done") << "saved: the way back is Done";
             }});
    EXPECT_EQ(boxes, Names{"Formation Saved Successfully : user formation.frm"});
    TeamLineup saved{};
    ASSERT_EQ(load_formation_file((dir / "user formation.frm").string().c_str(), saved), 1);
    EXPECT_STREQ(saved.name, "user formation");
    EXPECT_EQ(saved.entries[5].x, -33);

    reset_lineups_and_formations();
    boxes.clear();
    page(false, {// Load, then Enter on the file
             [&] {
                 EXPECT_EQ(browser_mode, BROWSER_LOAD_FORMATION);
                 press_item(file_browser_state.file_list, "user formation.frm");
             }});
    EXPECT_EQ(browser_runs, 2);
    EXPECT_EQ(boxes, Names{"Formation Loaded : user formation.frm"});
    EXPECT_EQ(team_lineups[0].entries[5].x, -33) << "OK keeps the loaded shape";
    EXPECT_EQ(team_lineups[0].entries[5].player, man);
}

} // namespace
