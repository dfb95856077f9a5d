#include "front_end_fixture.h"
#include "gl3d/gl_fixture.h"

#include "frontend/competition.h"
#include "frontend/competition_screens.h"
#include "frontend/break_menus.h"
#include "frontend/competition_teams.h"
#include "frontend/database_screens.h"
#include "frontend/final8_screen.h"
#include "frontend/finals_screens.h"
#include "frontend/last_orders.h"
#include "frontend/prematch_hub.h"
#include "frontend/team_selection.h"
#include "frontend/victory_screen.h"
#include "league/game_settings.h"
#include "league/league_data.h"
#include "match/match_records.h"
#include "platform/language.h"
#include "gl3d/sprite_sets.h"
#include "gl3d/texture_cache.h"
#include "gl3d/texture_manager.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Finals : FrontEnd {
    void SetUp() override
    {
        FrontEnd::SetUp();
        install_common_frames();
        clear_game_state_block();
        select_builtin_league_data();
        reset_competition_state();
        reset_finals_screens();
        reset_competition_screens();
    }
    void TearDown() override
    {
        reset_finals_screens();
        reset_competition_screens();
        reset_competition_state();
        clear_game_state_block();
        FrontEnd::TearDown();
    }
    template <class Look> void run(menu_screen* screen, Look look) { run_screen_and_look(screen, look); }
    static std::string title() { return finals_results_screen.entries[0].copy->text; }
};

TEST_F(Finals, TheResultsTitleFollowsTheMatchStage)
{
    const struct {
        int8_t type;
        uint8_t round;
        uint16_t flags;
        uint8_t exit;
        const char* title;
    } cases[] = {
        {GAME_EXHIBITION, 1, CLOCK_FROZEN | QUARTER_1, 2, "First Quarter Score"},
        {GAME_EXHIBITION, 1, CLOCK_FROZEN | QUARTER_2, 2, "Half Time Score"},
        {GAME_EXHIBITION, 1, CLOCK_FROZEN | QUARTER_3, 2, "Third Quarter Score"},
        {GAME_EXHIBITION, 1, CLOCK_FROZEN | QUARTER_4, 0, "Full Time Score"},
        {GAME_EXHIBITION, 1, CLOCK_FROZEN | QUARTER_1 | LEAVE_OVER, 0, "Full Time Score"}, // the demo's one quarter
        {GAME_PREMIERSHIP, 3, CLOCK_FROZEN | QUARTER_4 | EXTRA_TIME, 2, "Extra Time Score"},
        {GAME_EXHIBITION, 1, 0, 0, "Score"},
        {GAME_PRE_SEASON, 5, 0, 0, "Pre-Season Champion"},
        {GAME_FINAL_8, 5, 0, 0, "Final 8 Result"},
    };
    for (const auto& c : cases) {
        game_settings.game_type = c.type;
        competition_state.round = c.round;
        match_globals.flow_flags = c.flags;
        match_globals.init_mode = c.exit;
        std::string seen;
        run(&finals_results_screen, [&] { seen = title(); });
        EXPECT_EQ(seen, c.title) << int(c.type) << "/" << int(c.round) << "/" << c.flags;
        EXPECT_TRUE(results_state.single_match);
        EXPECT_EQ(results_state.fields[0], nullptr) << "the close takes its fields away";
    }
}

TEST_F(Finals, TheSingleMatchShowsTheTeamsAndScoresAndTheGrandFinalsWinnerFirst)
{
    game_settings.game_type = GAME_EXHIBITION;
    game_settings.home_team = 2, game_settings.away_team = 7;
    team_records[0].points = 81, team_records[1].points = 64;
    match_globals.flow_flags = CLOCK_FROZEN | QUARTER_2;
    match_globals.init_mode = 2;
    run(&finals_results_screen, [&] {
        EXPECT_STREQ(results_state.fields[0]->text, get_text(2));
        EXPECT_STREQ(results_state.fields[2]->text, "81");
        EXPECT_STREQ(results_state.fields[3]->text, "64");
        EXPECT_EQ(results_state.badges[1]->states[0].frame, 7);
    });

    game_settings.game_type = GAME_FINAL_8;
    competition_state.round = 5;
    competition_state.fixtures[8][0] = 4, competition_state.fixtures[8][1] = 11;
    competition_state.scores[8][0] = 50, competition_state.scores[8][1] = 77;
    match_globals.flow_flags = 0;
    run(&finals_results_screen, [&] {
        EXPECT_EQ(results_state.teams[0], 11) << "the away team won";
        EXPECT_EQ(results_state.scores[0], 77);
        EXPECT_EQ(front_end_state.default_action, nullptr) << "no leaving the grand final's result";
    });
}

TEST_F(Finals, AKnockOutRoundListsItsFixturesWithScores)
{
    game_settings.game_type = GAME_FINAL_8;
    competition_state.round = 3; // pairs 4..5
    competition_state.fixtures[4][0] = 1, competition_state.fixtures[4][1] = 2;
    competition_state.fixtures[5][0] = 3, competition_state.fixtures[5][1] = 4;
    competition_state.scores[4][0] = 90, competition_state.scores[4][1] = 45;
    std::string seen;
    run(&finals_results_screen, [&] { seen = title(); });
    EXPECT_EQ(seen, "Semi Final Results");
    EXPECT_FALSE(results_state.single_match);
    EXPECT_EQ(results_state.controls, nullptr) << "the close frees the list";
    ASSERT_EQ(results_state.lines.size(), 2u);
    EXPECT_EQ(results_state.lines[0], std::string(get_text(1)) + " 90  v  45 " + get_text(2));
}

TEST_F(Finals, TheBackgroundFollowsTheBreakAndTheRound)
{
    const struct {
        int8_t type;
        uint8_t round;
        uint16_t flags;
        const char* picture; // null: unchanged
    } cases[] = {
        {GAME_PREMIERSHIP, 3, 0, "round results.tga"},
        {GAME_FINAL_8, 5, 0, "\\results.tga"},
        {GAME_PRE_SEASON, 5, 0, "\\results.tga"},
        {GAME_PRE_SEASON, 3, CLOCK_FROZEN | QUARTER_2, "\\results.tga"},
        {GAME_PRE_SEASON, 3, 0, "round results.tga"},
        {GAME_PRE_SEASON, 3, CLOCK_FROZEN, nullptr},
    };
    for (const auto& c : cases) {
        const std::string before = finals_results_screen.pictures[1];
        game_settings.game_type = c.type;
        competition_state.round = c.round;
        match_globals.flow_flags = c.flags;
        set_results_background();
        const std::string after = finals_results_screen.pictures[1];
        if (!c.picture) EXPECT_EQ(after, before);
        else EXPECT_NE(after.find(c.picture), std::string::npos) << after;
    }
}

TEST_F(Finals, LeavingTheResultsAsksAndYesAbandonsTheCompetition)
{
    game_settings.game_type = GAME_PREMIERSHIP;
    match_globals.flow_flags = CLOCK_FROZEN | QUARTER_4;
    int answered = 0;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s == &finals_results_screen && f == 2 && answered == 0) key_state[KEY_ESCAPE] = 0x80;
        if (s != &finals_results_screen && f == 3) {
            ++answered;
            if (answered == 1) key_state[KEY_ENTER] = 0x80; // No
            else key_state[KEY_RIGHT] = 0x80;               // over to Yes
        }
        if (s != &finals_results_screen && f == 6 && answered == 2) key_state[KEY_ENTER] = 0x80;
        if (s == &finals_results_screen && answered == 1 && f > 1) {
            EXPECT_EQ(front_end_state.result, 0) << "No keeps the screen";
            EXPECT_FALSE(match_globals.flow_flags & MATCH_PLAYED);
            key_state[KEY_ESCAPE] = 0x80;
        }
    });
    run_front_end_screen(&finals_results_screen);
    EXPECT_EQ(front_end_state.result, 3);
    EXPECT_TRUE(match_globals.flow_flags & MATCH_PLAYED);
}

TEST_F(Finals, TheBracketDrawsTheRoundsPlayedSoFar)
{
    const struct {
        int8_t type;
        uint8_t round;
        int32_t items;
        bool scrolls;
        const char* title;
    } cases[] = {
        {GAME_FINAL_8, 2, 4 * 4, false, "Final 8 Playoffs"},
        {GAME_FINAL_8, 3, 4 * 4 + 2 * 4 + 2 * 2, true, "Final 8 Playoffs"},
        {GAME_FINAL_8, 5, 4 * 4 + 2 * 4 + 2 * 4 + 4, true, "Final 8 Playoffs"},
        {GAME_PRE_SEASON, 1, 8 * 3, true, "Pre-Season"},
        {GAME_PRE_SEASON, 4, 0, false, "Pre-Season"},
        {GAME_PRE_SEASON, 5, 4 * 4 + 2 * 4 + 4, true, "Pre-Season"},
    };
    for (int k = 0; k < 16; ++k) competition_state.fixtures[k][0] = static_cast<int8_t>(k), competition_state.fixtures[k][1] = static_cast<int8_t>(15 - k);
    for (const auto& c : cases) {
        game_settings.game_type = c.type;
        competition_state.round = c.round;
        int32_t items = -1;
        bool scrolls = false;
        std::string title;
        run(&finals_bracket_screen, [&] {
            items = bracket_state.count;
            scrolls = bracket_state.has_scroll_list;
            title = bracket_state.title;
        });
        EXPECT_EQ(items, c.items) << int(c.type) << "/" << int(c.round);
        EXPECT_EQ(scrolls, c.scrolls) << int(c.type) << "/" << int(c.round);
        EXPECT_EQ(title, c.title);
        EXPECT_EQ(bracket_state.count, 0) << "the close frees every item";
    }
}

TEST_F(Finals, TheBracketScrollsItsStripWithTheList)
{
    game_settings.game_type = GAME_FINAL_8;
    competition_state.round = 4;
    int32_t x_before = 0, x_after = 0;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &finals_bracket_screen) return;
        if (f == 2) {
            x_before = bracket_state.items[0]->x;
            bracket_state.list_scroll -= 100;
        }
        if (f == 4) {
            x_after = bracket_state.items[0]->x;
            front_end_state.result = 1;
        }
    });
    run_front_end_screen(&finals_bracket_screen);
    EXPECT_EQ(x_after - x_before, scale_x_from_640(100) - scale_x_from_640(0));
}

TEST_F(Finals, AComputerCupRoundIsSimulatedAndItsResultsShown)
{
    game_settings.game_type = GAME_PRE_SEASON;
    reset_competition();
    for (uint32_t& k : competition_state.kinds) k = KIND_COMPUTER;
    for (int k = 0; k < 8; ++k) competition_state.fixtures[k][0] = static_cast<int8_t>(k), competition_state.fixtures[k][1] = static_cast<int8_t>(15 - k);
    competition_state.round = 1;
    std::string seen;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s == &finals_results_screen && f == 2) {
            seen = finals_results_screen.entries[0].copy->text;
            front_end_state.result = 1;
        }
    });
    play_finals_round();
    EXPECT_EQ(seen, "Pre-Season Results");
    for (int k = 0; k < 8; ++k) {
        EXPECT_NE(competition_state.scores[k][0], competition_state.scores[k][1]) << k;
        EXPECT_EQ(competition_state.win_flags[k][0] + competition_state.win_flags[k][1], 1) << k;
    }
    EXPECT_EQ(human_still_in, 0);
}

// The human fixture's match: the first ends level and is played again.
int g_plays;
void drawn_then_won(int32_t)
{
    ++g_plays;
    team_records[0].points = 40;
    team_records[1].points = g_plays == 1 ? 40 : 52;
}

TEST_F(Finals, AHumanKnockOutDrawIsPlayedAgain)
{
    game_settings.game_type = GAME_FINAL_8;
    reset_competition();
    for (uint32_t& k : competition_state.kinds) k = KIND_COMPUTER;
    for (int k = 0; k < 4; ++k) competition_state.fixtures[k][0] = static_cast<int8_t>(k), competition_state.fixtures[k][1] = static_cast<int8_t>(8 + k);
    competition_state.kinds[9] = KIND_HUMAN;
    competition_state.round = 2;
    g_plays = 0;
    int prematch = 0;
    competition_controllers = [] { front_end_state.result = 1; };
    competition_hand_over = drawn_then_won;
    static int* pre = &prematch;
    competition_prematch = [] { ++*pre; };
    PointerScript::start([&](menu_screen* s, int f) {
        if (s == &finals_results_screen && f == 2) front_end_state.result = 1;
    });
    play_finals_round();
    EXPECT_EQ(g_plays, 2);
    EXPECT_EQ(competition_state.scores[1][0], 40);
    EXPECT_EQ(competition_state.scores[1][1], 52);
    EXPECT_EQ(human_still_in, 1);
    EXPECT_EQ(prematch, 1);
}

TEST_F(Finals, TheLadderAndRoundScreensListTheCompetition)
{
    game_settings.game_type = GAME_PREMIERSHIP;
    reset_competition();
    competition_state.round = 4;
    competition_state.wins[5] = 3, competition_state.points_for[5] = 300, competition_state.points_against[5] = 200;
    std::string title;
    std::vector<std::string> lines;
    auto look = [&] {
        title = competition_screens_state.title;
        lines = competition_screens_state.lines;
    };
    run(&ladder_screen, look);
    EXPECT_EQ(title, "Round 3");
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[0].rfind(get_text(5), 0), 0u) << "the leader first";
    EXPECT_NE(lines[0].find("150.0"), std::string::npos) << "the percentage printed as a number";
    EXPECT_NE(lines[1].find('-'), std::string::npos) << "no points against shows a dash";
    EXPECT_EQ(competition_screens_state.ladder_leader, 5);

    competition_state.round = 23;
    run(&ladder_screen, look);
    EXPECT_EQ(title, "Final Round");

    // An order that lists team 4 twice (so misses team 6) and names no team
    // at its last entry: a row for each team it holds, each once.
    competition_state.order[6] = 4;
    competition_state.order[15] = 200;
    run(&ladder_screen, look);
    ASSERT_EQ(lines.size(), 14u);
    auto rows_of = [&](int team) {
        const std::string name = get_text(team);
        // A row is the name, then its columns padded with spaces.
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.substr(0, l.find("  ")) == name; });
    };
    EXPECT_EQ(rows_of(4), 1);
    EXPECT_EQ(rows_of(6), 0);
    EXPECT_EQ(rows_of(5), 1);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.empty() || l[0] == ' '; }), 0)
        << "no row without a team's name";
    for (uint8_t i = 0; i < 16; ++i) competition_state.order[i] = i;

    const struct {
        int8_t type;
        uint8_t round;
        const char* title;
        size_t lines;
    } fixtures[] = {{GAME_PREMIERSHIP, 22, "Final Round", 8}, {GAME_PRE_SEASON, 11, "Final Round", 8},
                    {GAME_PREMIERSHIP, 11, "Round 11", 8},    {GAME_PREMIERSHIP, 0, "Round 0", 0}};
    for (const auto& c : fixtures) {
        game_settings.game_type = c.type;
        competition_state.round = c.round;
        run(&fixtures_screen, look);
        EXPECT_EQ(title, c.title);
        EXPECT_EQ(lines.size(), c.lines);
    }
    game_settings.game_type = GAME_PREMIERSHIP;
    competition_state.round = 1;
    run(&fixtures_screen, look);
    EXPECT_NE(lines[0].find(std::string(get_text(9)) + " v " + get_text(8)), std::string::npos);
    competition_state.scores[0][0] = 77, competition_state.scores[0][1] = 66;
    run(&round_results_screen, look);
    EXPECT_EQ(title, "Round 1");
    EXPECT_NE(lines[0].find(std::string(get_text(9)) + " 77  v  66 " + get_text(8)), std::string::npos);
}

// The winner of a played knock-out pair.
int8_t winner(int pair)
{
    const CompetitionState& c = competition_state;
    return c.win_flags[pair][0] ? c.fixtures[pair][0] : c.fixtures[pair][1];
}
int8_t loser(int pair)
{
    const CompetitionState& c = competition_state;
    return c.win_flags[pair][0] ? c.fixtures[pair][1] : c.fixtures[pair][0];
}

TEST_F(Finals, ASeasonRunsFromRoundOneThroughTheGrandFinal)
{
    game_settings.game_type = GAME_PREMIERSHIP;
    game_settings.quarter_length = 5;
    reset_competition();
    for (uint32_t& k : competition_state.kinds) k = KIND_COMPUTER;
    std::vector<menu_screen*> seen;
    PointerScript::start([&](menu_screen* s, int f) {
        if (f != 2) return;
        seen.push_back(s);
        front_end_state.result = 1;
    });
    for (int round = 1; round <= SEASON_ROUNDS; ++round) {
        competition_state.round = static_cast<uint8_t>(round);
        run_front_end_screen(&fixtures_screen);
        ASSERT_EQ(fixture_count, 8);
        play_league_round();
        run_front_end_screen(&round_results_screen);
    }
    competition_state.round = SEASON_ROUNDS + 1;
    run_front_end_screen(&ladder_screen);
    EXPECT_EQ(seen.size(), 2u * SEASON_ROUNDS + 1);
    uint16_t ladder[16];
    sort_ladder(ladder);
    EXPECT_EQ(competition_screens_state.ladder_leader, competition_state.order[ladder[0]]);

    // The top eight play the finals: places i and 7 - i meet first.
    int8_t ranked[8];
    for (int i = 0; i < 8; ++i) ranked[i] = static_cast<int8_t>(competition_state.order[ladder[i]]);
    game_settings.game_type = GAME_FINAL_8;
    reset_competition();
    for (int p = 0; p < 4; ++p) {
        competition_state.fixtures[3 - p][0] = ranked[p];
        competition_state.fixtures[3 - p][1] = ranked[7 - p];
    }
    std::memset(competition_state.win_flags, 0, sizeof competition_state.win_flags);
    for (int round = 2; round <= 5; ++round) {
        competition_state.round = static_cast<uint8_t>(round);
        auto set = [](int pair, int8_t home, int8_t away) {
            competition_state.fixtures[pair][0] = home;
            competition_state.fixtures[pair][1] = away;
        };
        if (round == 3) set(4, loser(0), winner(1)), set(5, loser(2), winner(3)), set(6, winner(0), 0), set(7, winner(2), 0);
        if (round == 4) competition_state.fixtures[6][1] = winner(4), competition_state.fixtures[7][1] = winner(5);
        if (round == 5) set(8, winner(6), winner(7));
        run_front_end_screen(&finals_bracket_screen);
        play_finals_round();
    }
    ASSERT_GE(seen.size(), 2u * SEASON_ROUNDS + 1 + 8);
    EXPECT_EQ(seen.back(), &finals_results_screen);
    EXPECT_EQ(results_state.teams[0], winner(8)) << "the premier is shown first";
    EXPECT_STREQ(results_state.title, "Final 8 Result");
    EXPECT_NE(competition_state.scores[8][0], competition_state.scores[8][1]);
}

} // namespace

namespace {

// Every screen that draws badges on the device, with what it needs set up first.
struct BadgeScreen {
    const char* name;
    menu_screen* screen;
    void (*prepare)();
};
const BadgeScreen k_badge_screens[] = {
    {"results", &finals_results_screen, nullptr},
    {"break menu", &break_menu_screen, prepare_break_menus},
    {"match statistics", &match_statistics_screen, prepare_break_menus},
    {"team statistics", &team_statistics_screen, prepare_break_menus},
    {"pre-match hub", &prematch_hub_screen, prepare_prematch_hub},
    {"last minute orders", &last_orders_screen, nullptr},
    {"restore names", &restore_names_screen, prepare_database_screens},
    {"team browser", &team_browser_screen, prepare_database_screens},
    {"competition teams", &competition_teams_screen, prepare_competition_teams_screen},
    {"final 8", &final8_screen, prepare_final8_screen},
    {"team selection", &team_selection_screen, prepare_team_selection_screens},
    {"season team selection", &season_team_select_screen, prepare_team_selection_screens},
    {"victory", &victory_screen, nullptr},
    {"controllers", &controller_assign_screen, prepare_controller_screen},
};

// The hardware path against the recording device, with the kit's badge set.
class HardwareBadges : public GlFixture
{
  protected:
    void SetUp() override
    {
        GlFixture::SetUp();
        reset_texture_cache();
        tex_destroy_all();
        reset_sprite_sets();
        reset_front_end_resources();
        reset_front_end_graphics();
        reset_screens();
        clear_game_state_block();
        sprite_hardware_switch = 1;
    }
    void TearDown() override
    {
        reset_screens();
        reset_front_end_resources();
        reset_front_end_graphics();
        reset_sprite_sets();
        reset_texture_cache();
        tex_destroy_all();
        clear_game_state_block();
        sprite_hardware_switch = 0;
        // The screens' templates still point into the freed badge set: set
        // them up again with no set, as the other tests expect to find them.
        for (const BadgeScreen& c : k_badge_screens)
            if (c.prepare) c.prepare();
        GlFixture::TearDown();
    }
    static void reset_screens()
    {
        reset_finals_screens();
        reset_break_menus();
        reset_prematch_hub();
        reset_last_orders();
        reset_database_screens();
        reset_competition_teams();
        reset_final8_screen();
        reset_team_choice();
        reset_victory_screen();
        reset_controller_screen();
    }
    // The page texture a team's badge is drawn from.
    static int32_t badge_page(int32_t team)
    {
        int32_t pages = 0;
        const int32_t* textures = nullptr;
        get_sprite_frames(animation_handles[HANDLE_CARICATURE], &pages, &textures);
        const auto* frame = static_cast<const hw_sprite_frame*>(animation_frame(HANDLE_CARICATURE, team));
        return frame && textures && frame->page < pages ? textures[frame->page] : -1;
    }
};

TEST_F(HardwareBadges, EveryScreenHoldsTheBadgesItShowsOnTheDeviceWhileItIsOpen)
{
    load_caricature_set();
    ASSERT_GE(animation_handles[HANDLE_CARICATURE], 0);
    const int32_t home = badge_page(2), away = badge_page(7);
    ASSERT_GE(home, 0);
    ASSERT_GE(away, 0);
    EXPECT_EQ(get_texture_use_count(home), 0u) << "the set's load lets go of its pages";

    for (const BadgeScreen& c : k_badge_screens) {
        SCOPED_TRACE(c.name);
        game_settings.game_type = GAME_EXHIBITION;
        game_settings.home_team = 2, game_settings.away_team = 7;
        match_globals.flow_flags = CLOCK_FROZEN | QUARTER_4;
        if (c.prepare) c.prepare();
        ASSERT_TRUE(c.screen->on_open && c.screen->on_close);
        c.screen->on_open(c.screen);
        EXPECT_GE(get_texture_use_count(home), 1u) << "a page off the device draws a white box";
        EXPECT_GE(get_texture_use_count(away), 1u);
        c.screen->on_close(c.screen);
        EXPECT_EQ(get_texture_use_count(home), 0u) << "the close lets go again";
        EXPECT_EQ(get_texture_use_count(away), 0u);
        reset_screens();
    }
    EXPECT_EQ(results_state.badge_textures[0], -1);
}

TEST_F(HardwareBadges, HoldingTheBadgesAgainLetsGoOfWhatWasHeldAndTheSoftwarePathHoldsNothing)
{
    load_caricature_set();
    const int32_t page = badge_page(5);
    ASSERT_GE(page, 0);
    HeldBadges held{};
    hold_every_badge(&held);
    const uint32_t once = get_texture_use_count(page);
    EXPECT_GE(once, 1u);
    hold_every_badge(&held);
    EXPECT_EQ(get_texture_use_count(page), once) << "a screen opened twice must not keep its pages for ever";
    let_go_every_badge(&held);
    let_go_every_badge(&held);
    EXPECT_EQ(get_texture_use_count(page), 0u);

    sprite_hardware_switch = 0;
    hold_every_badge(&held);
    for (int32_t texture : held.textures) EXPECT_EQ(texture, -1);
    let_go_every_badge(&held);
}

} // namespace
