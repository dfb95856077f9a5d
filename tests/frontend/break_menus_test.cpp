#include "front_end_fixture.h"

#include "frontend/front_end_graphics.h"

#include "frontend/break_menus.h"
#include "frontend/competition.h"
#include "frontend/hints.h"
#include "frontend/player_editor.h"
#include "frontend/settings_screens.h"
#include "league/game_settings.h"
#include "league/league_data.h"
#include "match/controller_sides.h"
#include "match/match_records.h"
#include "platform/language.h"

#include <string>
#include <vector>

namespace {

struct Breaks : FrontEnd {
    void SetUp() override
    {
        FrontEnd::SetUp();
        install_common_frames();
        clear_game_state_block();
        select_builtin_league_data();
        reset_competition_state();
        reset_break_menus();
        reset_player_editor();
        reset_hints();
        moon_flag = 0;
        for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) set_controller_side(r, 0);
        game_settings.home_team = 2;
        game_settings.away_team = 6;
        game_settings.game_type = GAME_EXHIBITION;
        game_settings.quarter_length = 5;
        prepare_break_menus();
    }
    void TearDown() override
    {
        reset_break_menus();
        reset_player_editor();
        reset_hints();
        moon_flag = 0;
        for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) set_controller_side(r, 0);
        reset_competition_state();
        clear_game_state_block();
        FrontEnd::TearDown();
    }
    template <class Look> void run(menu_screen* screen, Look look) { run_screen_and_look(screen, look); }
};

std::string item(const char* text) { return std::string("    ") + text + "    "; }

TEST_F(Breaks, EachStageListsItsItems)
{
    const std::string home = get_text(2), away = get_text(6);
    EXPECT_EQ(break_menu_items(STAGE_IN_MATCH),
              (std::vector<std::string>{item("Resume Game"), "    " + home + " Interchange    ",
                                        "    " + away + " Interchange    ", item("Save Replay"), item("Match Settings"),
                                        item("Match Statistics"), "    " + home + " Statistics    ",
                                        "    " + away + " Statistics    ", item("Configuration"), item("Exit Game")}));
    EXPECT_EQ(break_menu_items(STAGE_COMPETITION).size(), 7u);
    const struct {
        int8_t type;
        const char* first;
    } debrief[] = {{GAME_EXHIBITION, "    Continue     "}, {GAME_TRAINING, "    Continue     "},
                   {GAME_PREMIERSHIP, "    Next Game    "}, {GAME_FINAL_8, "    Next Game    "}};
    for (const auto& c : debrief) {
        game_settings.game_type = c.type;
        EXPECT_EQ(break_menu_items(STAGE_AFTER_MATCH)[0], c.first) << int(c.type);
    }
}

TEST_F(Breaks, TheInMatchMenuOffersInterchangeOnlyToASidePeoplePlay)
{
    set_controller_side(0, SIDE_HOME);
    match_stage = STAGE_IN_MATCH;
    std::vector<std::string> items;
    std::vector<int32_t> results;
    std::string title;
    run(&break_menu_screen, [&] {
        items = break_menu_state.items;
        results = break_menu_state.results;
        title = break_menu_screen.entries[2].copy->text;
        EXPECT_EQ(break_menu_state.in_match_menu, 1);
    });
    EXPECT_EQ(title, "Runner's Report");
    ASSERT_EQ(items.size(), 9u);
    EXPECT_NE(items[1].find("Interchange"), std::string::npos);
    EXPECT_EQ(items[2].find("Interchange"), std::string::npos) << "the away side is the computer's";
    EXPECT_EQ(results, (std::vector<int32_t>{5, 6, 8, 9, 10, 11, 12, 13, 0})) << "5 + the item's place; Exit asks";
}

// The side panels' bars of the break menu: (powerbar kind, value) of each
// bar drawn through the powerbars, in the order they were made.
std::vector<std::pair<uint32_t, int32_t>> panel_bars()
{
    std::vector<std::pair<uint32_t, int32_t>> out;
    control_list* list = break_menu_state.controls;
    for (A_LLIST_NODE* n = list ? list->first : nullptr; n; n = n->next) {
        control* c = static_cast<control*>(n->data);
        if (c->type != CONTROL_SLIDER) continue;
        const A_SLIDER_CONTROL* s = slider_record(c);
        if (!(s->settings.flags & SLIDER_CUSTOM_DRAW) || s->callbacks.custom_draw != draw_powerbar_control) continue;
        out.emplace_back(s->settings.powerbar_kind, *s->settings.value);
    }
    return out;
}

TEST_F(Breaks, EachSidePanelShowsTheTeamsRatingBarInTheFormOfItsSide)
{
    const int32_t home = team_overall_rating(league_team_at(2), 0, SQUAD_POSITIONS);
    const int32_t away = team_overall_rating(league_team_at(6), 0, SQUAD_POSITIONS);
    ASSERT_NE(home, away);
    const struct Case {
        int8_t type;
        int32_t stage;
        int32_t home_side; // a controller on the home side when set
        uint32_t home_kind, away_kind;
    } cases[] = {
        // Exhibition and training: the plain bar whoever plays.
        {GAME_EXHIBITION, STAGE_IN_MATCH, 0, POWERBAR_PLAIN, POWERBAR_PLAIN},
        {GAME_TRAINING, STAGE_AFTER_MATCH, 0, POWERBAR_PLAIN, POWERBAR_PLAIN},
        // A competition: the companion look for a side the computer plays.
        {GAME_PREMIERSHIP, STAGE_IN_MATCH, SIDE_HOME, POWERBAR_PLAIN, POWERBAR_PLAIN_SECOND},
        {GAME_FINAL_8, STAGE_COMPETITION, 0, POWERBAR_PLAIN_SECOND, POWERBAR_PLAIN_SECOND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.type));
        game_settings.game_type = c.type;
        match_stage = c.stage;
        set_controller_side(0, c.home_side);
        std::vector<std::pair<uint32_t, int32_t>> bars;
        run(&break_menu_screen, [&] { bars = panel_bars(); });
        ASSERT_EQ(bars.size(), 2u);
        EXPECT_EQ(bars[0], std::make_pair(c.home_kind, home));
        EXPECT_EQ(bars[1], std::make_pair(c.away_kind, away));
        EXPECT_EQ(panel_bars().size(), 0u) << "the close frees them";
    }
}

TEST_F(Breaks, ChoosingAnItemLeavesItsResult)
{
    match_stage = STAGE_AFTER_MATCH;
    // The first item has the focus: Down once moves to the second.
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &break_menu_screen) return;
        if (f == 3) key_state[KEY_DOWN] = 0x80;
        if (f == 6) key_state[KEY_ENTER] = 0x80;
    });
    run_front_end_screen(&break_menu_screen);
    EXPECT_EQ(front_end_state.result, 6);
}

TEST_F(Breaks, ExitAnsweredNoKeepsTheMatchAndYesQuitsIt)
{
    match_stage = STAGE_IN_MATCH;
    int boxes = 0;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s == &break_menu_screen && f == 2 && boxes < 2) key_state[KEY_ESCAPE] = 0x80;
        if (s != &break_menu_screen && f == 1) ++boxes;
        if (s != &break_menu_screen && f == 3) key_state[boxes == 1 ? KEY_ENTER : KEY_RIGHT] = 0x80;
        if (s != &break_menu_screen && f == 6 && boxes == 2) key_state[KEY_ENTER] = 0x80;
        if (s == &break_menu_screen && boxes == 1 && f == 1) {
            EXPECT_FALSE(match_globals.flow_flags & MATCH_PLAYED) << "No leaves the match running";
        }
    });
    run_front_end_screen(&break_menu_screen);
    EXPECT_EQ(boxes, 2);
    EXPECT_EQ(front_end_state.result, 3);
    EXPECT_TRUE(match_globals.flow_flags & MATCH_PLAYED);
    EXPECT_EQ(break_menu_state.in_match_menu, 0);

    match_stage = STAGE_COMPETITION;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s == &break_menu_screen && f == 2) key_state[KEY_ESCAPE] = 0x80;
    });
    run_front_end_screen(&break_menu_screen);
    EXPECT_EQ(front_end_state.result, 1) << "between games the exit just continues";
}

TEST_F(Breaks, TheDifficultySliderRoundTrips)
{
    const struct {
        int8_t type;
        uint32_t difficulty;
        int32_t slider;
        uint32_t back;
    } cases[] = {{GAME_EXHIBITION, 65, 50, 65}, {GAME_EXHIBITION, 30, 0, 30}, {GAME_EXHIBITION, 10, 0, 30},
                 {GAME_TRAINING, 40, 40, 40},   {GAME_TRAINING, 250, 100, 100}};
    match_stage = STAGE_IN_MATCH;
    for (const auto& c : cases) {
        game_settings.game_type = c.type;
        game_settings.difficulty = c.difficulty;
        int32_t slider = -1;
        std::string label;
        run(&break_menu_screen, [&] {
            slider = break_menu_state.difficulty_slider;
            label = break_menu_state.texts[1];
        });
        EXPECT_EQ(slider, c.slider) << c.difficulty;
        EXPECT_EQ(label, c.type == GAME_TRAINING ? "Very Easy" : "Medium");
        EXPECT_EQ(game_settings.difficulty, c.back) << c.difficulty;
    }
    // On the moon an exhibition opens on training's scale and goes back by it.
    moon_flag = 1;
    game_settings.game_type = GAME_EXHIBITION;
    game_settings.difficulty = 40;
    int32_t slider = -1;
    std::string label;
    run(&break_menu_screen, [&] {
        slider = break_menu_state.difficulty_slider;
        label = break_menu_state.texts[1];
    });
    moon_flag = 0;
    EXPECT_EQ(slider, 40);
    EXPECT_EQ(label, "Very Easy");
    EXPECT_EQ(game_settings.difficulty, 40u);

    game_settings.game_type = GAME_PREMIERSHIP;
    bool shown = true;
    run(&break_menu_screen, [&] { shown = break_menu_state.difficulty_shown; });
    EXPECT_FALSE(shown) << "a competition match has no slider";
}

// The clamps at both ends of the slider: a stored difficulty far past 100
// (the sum would overflow without its cap), a slider that something left
// outside 0 .. 100, and training's bottom, which stores 1 rather than 0.
TEST_F(Breaks, TheDifficultyIsClampedBothWays)
{
    const struct {
        const char* what;
        int8_t type;
        uint32_t difficulty;
        int32_t set_slider; // -1: leave the slider where it opened
        int32_t slider;
        uint32_t back;
    } cases[] = {
        {"the largest stored difficulty", GAME_TRAINING, 0x7FFFFFFF, -1, 100, 100},
        {"a training difficulty of 0", GAME_TRAINING, 0, -1, 0, 1},
        {"a slider past the right end", GAME_EXHIBITION, 65, 150, 50, 100},
        {"a slider past the left end", GAME_EXHIBITION, 65, -90, 50, 30},
    };
    match_stage = STAGE_IN_MATCH;
    for (const auto& c : cases) {
        game_settings.game_type = c.type;
        game_settings.difficulty = c.difficulty;
        int32_t slider = -1;
        run(&break_menu_screen, [&] {
            slider = break_menu_state.difficulty_slider;
            if (c.set_slider != -1) break_menu_state.difficulty_slider = c.set_slider;
        });
        EXPECT_EQ(slider, c.slider) << c.what;
        EXPECT_EQ(game_settings.difficulty, c.back) << c.what;
    }
}

TEST_F(Breaks, SharesAndElapsedTime)
{
    EXPECT_EQ(home_share(0, 0), 50);
    EXPECT_EQ(home_share(3, 1), 75);
    EXPECT_EQ(home_share(0xFFFFFFFFu, 0xFFFFFFFFu), 50) << "no overflow";
    MatchGlobals& m = match_globals;
    m.quarter_ticks = 5 * 60 * 62;
    const struct {
        uint16_t flags;
        int32_t clock;
        int32_t seconds;
    } cases[] = {
        {QUARTER_1, 5 * 60 * 62, 0},
        {QUARTER_1, 4 * 60 * 62, 60},
        {QUARTER_3, 62 * 30, 2 * 300 + 270},
        {QUARTER_2 | TIME_ON, 62 * 12, 2 * 300 + 12}, // time on counts past the quarter
        {QUARTER_4, 0, 4 * 300},
    };
    for (const auto& c : cases) {
        m.flow_flags = c.flags;
        m.period_clock = c.clock;
        EXPECT_EQ(elapsed_match_seconds(), c.seconds) << c.flags << "/" << c.clock;
    }
}

TEST_F(Breaks, MatchStatisticsShowBothTeamsAndTheSharesGlide)
{
    match_stage = STAGE_AFTER_MATCH;
    TeamRecord& h = team_records[0];
    TeamRecord& a = team_records[1];
    h.goals = 7, h.behinds = 5, h.points = 47, h.kicks_completed = 80, h.kicks_attempted = 120;
    a.goals = 3, a.behinds = 9, a.points = 27;
    h.possession_ticks = 900, a.possession_ticks = 100;
    match_globals.quarter_ticks = 5 * 60 * 62;
    match_globals.flow_flags = QUARTER_2;
    match_globals.period_clock = 5 * 60 * 62;
    std::vector<std::string> rows;
    std::string elapsed;
    int32_t share_start = -1, share_later = -1, share_bar = -1;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &match_statistics_screen) return;
        if (f == 1) share_start = break_menu_state.shares[0], share_bar = powerbar_images[2].users + powerbar_images[3].users;
        if (f == 10) {
            share_later = break_menu_state.shares[0];
            rows = break_menu_state.number_rows;
            elapsed = break_menu_state.texts[0];
            front_end_state.result = 1;
        }
    });
    run_front_end_screen(&match_statistics_screen);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0], "7   Goals   3");
    EXPECT_EQ(rows[5], "80 / 120   Completed Kicks   0 / 0");
    EXPECT_EQ(elapsed, "Elapsed Time: 05:00");
    EXPECT_EQ(share_bar, 2) << "the share bar is a green powerbar with a red fill";
    EXPECT_LE(share_start, 52);
    EXPECT_GT(share_later, share_start);
    EXPECT_LE(share_later - share_start, 2 * 10) << "at most two a frame";

    // Between games the competition's copies are read.
    match_stage = STAGE_COMPETITION;
    team_record_backups[0].goals = 12;
    run(&match_statistics_screen, [&] { rows = break_menu_state.number_rows; });
    EXPECT_EQ(rows[0], "12   Goals   0");
}

TEST_F(Breaks, TeamStatisticsListEveryManAndTheTotal)
{
    EXPECT_EQ(shortened_name("Barnaby Quill"), "B  Quill");
    EXPECT_EQ(shortened_name("Otto van Rijn"), "O  van Rijn");
    EXPECT_EQ(shortened_name("Zephyr"), "Zephyr") << "a name without a blank is shown whole";
    EXPECT_EQ(shortened_name(""), "");

    uint32_t c[13] = {1, 2, 99, 3, 4, 5, 6, 7, 99, 9, 10, 11, 12};
    EXPECT_EQ(team_statistics_row(c), "    1   2   7   3   4   5/6   7   9   10   11   12");

    match_stage = STAGE_AFTER_MATCH;
    for (int i = 0; i < TEAM_SLOTS; ++i) {
        team_records[1].slots[i].line_up_index = static_cast<uint8_t>(i);
        team_records[1].slots[i].match_stats[0] = 2;
    }
    load_team_for_stats(1);
    std::vector<std::string> rows, names;
    std::string heading;
    run(&team_statistics_screen, [&] {
        rows = break_menu_state.number_rows;
        names = break_menu_state.name_rows;
        heading = team_statistics_screen.entries[4].copy->text;
    });
    ASSERT_EQ(rows.size(), 25u);
    EXPECT_EQ(rows[0].rfind("    48   ", 0), 0u) << "the total sums the 24 men";
    EXPECT_EQ(names[0], "Team Total");
    EXPECT_EQ(names[1], shortened_name(player_name(league_team_at(6)->players[0])));
    EXPECT_EQ(heading, std::string("Team Name:  ") + get_text(6));
    EXPECT_EQ(break_menu_state.controls, nullptr);
    EXPECT_EQ(break_menu_state.names, nullptr);
}

TEST_F(Breaks, TrainingStatisticsTakeTheSidesTeamValues)
{
    for (int32_t v = 0; v < 13; ++v) {
        player_editor.slide_records[0][v] = 100 + v;
        player_editor.slide_records[1][v] = 200 + v;
    }
    game_settings.game_type = GAME_EXHIBITION;
    load_team_for_stats(1);
    EXPECT_EQ(break_menu_state.stats_values[0], 0) << "only training copies the editor's values";
    game_settings.game_type = GAME_TRAINING;
    load_team_for_stats(1);
    EXPECT_EQ(break_menu_state.stats_side, 1);
    EXPECT_EQ(break_menu_state.stats_values[0], 200);
    EXPECT_EQ(break_menu_state.stats_values[12], 212);
    load_team_for_stats(0);
    EXPECT_EQ(break_menu_state.stats_values[5], 105);
}

} // namespace
