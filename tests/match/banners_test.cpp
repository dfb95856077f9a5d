#include "host/host_test_hooks.h"
#include "lib/language_write.h"
#include "league/league_data.h"
#include "match/ball.h"
#include "match/banners.h"
#include "match/match_flow.h"
#include "match/match_hooks.h"
#include "platform/language.h"
#include "two_teams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Shown {
    int32_t kind;
    std::string text;
};
std::vector<Shown> shown;
int32_t busy;
int32_t last_kind;
std::vector<int32_t> highlights;

// Text n of the test language reads "<n>", so a banner shows its id list.
class Banners : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() / ("kob_banners_" + std::to_string(::getpid()));
        std::filesystem::create_directories(root / "front_en" / "lang");
        std::vector<std::string> texts;
        for (int i = 0; i < 400; ++i)
            texts.push_back("<" + std::to_string(i) + ">");
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(kit_language_file(texts, bytes, error)) << error;
        std::ofstream(root / "front_en" / "lang" / "english.dat", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        host_set_data_dir(root.string());
        load_language_text();
        select_language(0);

        set_up_two_teams(22);
        take_club(team_records[0], 3);
        take_club(team_records[1], 12);
        clear_match_hooks();
        shown.clear();
        highlights.clear();
        busy = 0;
        match_hooks.message_banner_busy = [] { return busy; };
        match_hooks.open_message_banner = [](int32_t kind) {
            last_kind = kind;
            return busy ? 0 : 7;
        };
        match_hooks.show_message = [](const char* text, int32_t handle) {
            shown.push_back({handle ? last_kind : -1, text});
        };
        match_hooks.start_team_highlight = [](int32_t team, int32_t a, int32_t, int32_t, int32_t) {
            highlights.push_back(team * 100 + a);
        };
    }
    void TearDown() override
    {
        clear_match_hooks();
        host_set_data_dir("");
        std::filesystem::remove_all(root);
    }
    std::filesystem::path root;
};

std::string ids(std::initializer_list<int> list)
{
    std::string s;
    for (int i : list)
        s += "<" + std::to_string(i) + ">";
    return s;
}

TEST_F(Banners, IdListsOfTheFamily)
{
    match_globals.awarded_side = 2; // the second team, club 12
    struct Case {
        void (*show)();
        int32_t kind;
        std::string text;
    };
    const Case cases[] = {
        {interchange_hook, 6, ids({356})},
        {free_kick_banner_a, 2, ids({329, 175, 169, 179, 169, 12, 170})},
        {free_kick_banner_b, 2, ids({333, 175, 169, 179, 169, 12, 170})},
        {free_kick_banner_c, 2, ids({336, 175, 169, 179, 169, 12, 170})},
        {banner_316_club, 2, ids({316, 169, 12})},
        {banner_175_club, 2, ids({175, 169, 12})},
        {banner_183_club, 2, ids({183, 170, 169, 328, 12, 170})},
        {banner_185_club, 2, ids({185, 170, 169, 328, 12, 170})},
        {banner_326_club, 2, ids({326, 169, 12})},
        {banner_312, 2, ids({312})},
        {banner_347, 2, ids({347})},
        {banner_202_203, 2, ids({202, 169, 203})},
        {banner_345, 2, ids({345})},
        {banner_346, 2, ids({346})},
        {banner_202_207, 2, ids({202, 169, 207})},
        {banner_202_338, 2, ids({202, 169, 338})},
        {banner_202_339, 2, ids({202, 169, 339})},
        {banner_202_207_314, 2, ids({202, 169, 207, 169, 314})},
        {banner_344, 2, ids({344, 169})},
    };
    for (const Case& c : cases) {
        shown.clear();
        c.show();
        ASSERT_EQ(shown.size(), 1u) << c.text;
        EXPECT_EQ(shown[0].kind, c.kind) << c.text;
        EXPECT_EQ(shown[0].text, c.text);
    }
    match_globals.awarded_side = 1;
    shown.clear();
    banner_316_club();
    EXPECT_EQ(shown.at(0).text, ids({316, 169, 3}));
}

TEST_F(Banners, TeamAndManBanners)
{
    PlayerSlot& man = team_records[1].slots[4];
    const std::string name = player_name(man.person);
    struct Case {
        std::function<void()> show;
        std::string text;
    };
    const std::vector<Case> cases = {
        {[] { banner_club_201(&team_records[0]); }, ids({3, 169, 201})},
        {[] { banner_327_club(&team_records[1]); }, ids({327, 12})},
        {[] { banner_285_club(&team_records[1]); }, ids({285, 170, 169, 173, 169, 179, 169, 12})},
        {[] { banner_330_club(&team_records[0]); }, ids({330, 170, 169, 173, 169, 179, 169, 3})},
        {[] { banner_323_club(&team_records[0]); }, ids({323, 3, 170})},
        {[] { banner_324_club(&team_records[1]); }, ids({324, 12, 170})},
        {[&] { banner_337_club(&man); }, ids({337, 12})},
        {[&] { banner_340(&man); }, ids({340}) + " " + name},
        {[&] { banner_341(&man); }, ids({341}) + " " + name},
        {[&] { banner_343_342(&man); }, ids({343, 342}) + " " + name},
        {[&] { banner_team_message_a(&man); }, ids({173, 169, 176, 169, 199, 169}) + " " + name},
        {[&] { banner_team_message_b(&man); }, ids({182, 169, 176, 169, 199, 169}) + " " + name},
        {[&] { banner_team_message_c(&man); }, ids({332, 169, 176, 169, 199, 169}) + " " + name},
        {[] { banner_355_text("Harlow"); }, ids({169, 355}) + " Harlow"},
    };
    for (const Case& c : cases) {
        shown.clear();
        c.show();
        ASSERT_EQ(shown.size(), 1u) << c.text;
        EXPECT_EQ(shown[0].text, c.text);
    }
    EXPECT_EQ(highlights, (std::vector<int32_t>{106, 101}));
}

TEST_F(Banners, CoinTossNamesTheWinnerAndHisEnd)
{
    match_globals.toss_winner = 1;
    coin_toss_banner();
    team_records[1].side = 1;
    coin_toss_banner();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, 10);
    EXPECT_EQ(shown[0].text, ids({32, 169, 164, 169, 166, 348, 350}));
    EXPECT_EQ(shown[1].text, ids({32, 169, 164, 169, 166, 348, 349}));
}

TEST_F(Banners, BusyBannerRefusesOrIsRewritten)
{
    busy = 1;
    match_globals.awarded_side = 2;
    free_kick_banner_a();
    banner_340(&team_records[0].slots[1]);
    interchange_hook();
    match_globals.selected_man = &team_records[0].slots[2];
    match_globals.score_banner_wanted = 1;
    banner_team_message_a(&team_records[0].slots[1]);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(match_globals.score_banner_wanted, 0); // set before the refusal
    // Updates act only while one shows and when asked.
    banner_update_167(&team_records[0], 0);
    EXPECT_TRUE(shown.empty());
    banner_update_167(&team_records[0], 1);
    banner_update_168(&team_records[1], 1);
    banner_update_164(&team_records[0], 2, 1);
    banner_update_164(&team_records[0], 0, 1);
    banner_update_163(40, 1);
    banner_update_171(&team_records[1], 1);
    banner_update_325(&team_records[1], 1);
    ASSERT_EQ(shown.size(), 7u);
    EXPECT_EQ(shown[0].text, ids({3, 167}));
    EXPECT_EQ(shown[1].text, ids({12, 168}));
    EXPECT_EQ(shown[2].text, ids({3, 169, 164, 169, 166}));
    EXPECT_EQ(shown[3].text, ids({3, 169, 165, 169, 166}));
    EXPECT_EQ(shown[4].text, ids({40, 163, 169, 161, 169, 162}));
    EXPECT_EQ(shown[5].text, ids({12, 163, 169, 171}));
    EXPECT_EQ(shown[6].text, ids({12, 169, 325}));
    busy = 0;
    shown.clear();
    banner_update_325(&team_records[1], 1);
    EXPECT_TRUE(shown.empty());
}

TEST_F(Banners, GreetingsOnlyForHumanTeams)
{
    team_records[0].human_count = 0;
    team_records[1].human_count = 1;
    match_globals.toss_winner = 0;
    banner_351_352(&team_records[0]);
    banner_353_354();
    EXPECT_TRUE(shown.empty());
    banner_351_352(&team_records[1]);
    match_globals.toss_winner = -1; // nobody has won it yet
    banner_353_354();
    match_globals.toss_winner = 1;
    banner_353_354();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, 3);
    EXPECT_EQ(shown[0].text, ids({351, 352}));
    EXPECT_EQ(shown[1].kind, 3);
    EXPECT_EQ(shown[1].text, ids({353, 354}));
}

std::vector<std::string> hud_lines;

TEST_F(Banners, HudResultLinesByMode)
{
    hud_lines.clear();
    match_hooks.set_hud_text = [](int32_t line, const char* text) {
        hud_lines.push_back(std::to_string(line) + ":" + text);
    };
    hud_result_text_210(&team_records[1], 0);
    hud_result_text_213(&team_records[0], 1);
    hud_result_text_210(&team_records[0], 2);
    hud_result_text_213(&team_records[0], 3); // no such mode: nothing
    hud_result_text_213(&team_records[0], -1);
    const std::vector<std::string> want = {
        "1:" + ids({12, 169, 171}), "2:" + ids({210, 169, 214, 169, 215}),
        "1:" + ids({3, 169, 171}),  "2:" + ids({213, 169, 211, 169, 215}),
        "1:" + ids({3, 169, 171}),  "2:" + ids({210, 169, 212, 169, 215}),
    };
    EXPECT_EQ(hud_lines, want);
}

TEST_F(Banners, OffenderBannerNeedsAnOffender)
{
    match_globals.offender = nullptr;
    banner_offender_club();
    EXPECT_TRUE(shown.empty());
    match_globals.offender = &team_records[0].slots[9];
    banner_offender_club();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, ids({3, 169, 334, 335}));
}

TEST_F(Banners, TextStopsAt128Characters)
{
    const uint16_t many[] = {100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116,
                             117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129, TEXT_END};
    char text[BANNER_TEXT_SIZE];
    build_text_from_ids(many, text);
    EXPECT_EQ(std::strlen(text), 128u);
    append_word(text, "Quill");
    EXPECT_EQ(std::strlen(text), 128u);
}

TEST_F(Banners, PenaltyRestartGivesTheKickToTheOtherSide)
{
    PlayerSlot& m = team_records[1].slots[6]; // side 2, club 12
    m.x = 1200;
    m.y = -3400;
    match_globals.penalised_man = &m;
    penalty_restart_330();
    EXPECT_EQ(match_globals.awarded_side, 1);
    EXPECT_EQ(match_globals.offending_side, 2);
    EXPECT_EQ(match_globals.mark_x, 1200);
    EXPECT_EQ(team_records[1].penalties, 1);
    EXPECT_EQ(match_globals.penalised_man, nullptr);
    EXPECT_EQ(match_globals.match_state, 10);
    EXPECT_EQ(ball_state.x >> 16, 1200);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, ids({330, 170, 169, 173, 169, 179, 169, 3}));
}

} // namespace

// The awards' banners name the club by its name: the awarded club after the
// reason of kinds 4, 6 and 7, the slow team's club before 201, the club that
// ran the ball out after 337.
TEST_F(Banners, AwardsNameTheClub)
{
    MatchGlobals& m = match_globals;
    struct Case {
        int32_t kind;
        std::string text;
    };
    // The second team (club 12) is awarded the kick, the first (club 3) gave it away.
    const Case cases[] = {
        {4, ids({336, 175, 169, 179, 169, 12, 170})},
        {6, ids({329, 175, 169, 179, 169, 12, 170})},
        {7, ids({333, 175, 169, 179, 169, 12, 170})},
        {9, ids({3, 169, 201})},
        {11, ids({337, 3})},
    };
    list_active_men(18);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        m.match_state = PLAY_ON;
        m.awarded_side = team_records[1].side;
        m.offending_side = team_records[0].side;
        m.offender = &team_records[0].slots[4];
        m.mark_x = 1000;
        m.mark_y = 0;
        m.period_clock = 5000;
        shown.clear();
        award_free_kick(&team_records[1].slots[2], c.kind);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown[0].text, c.text);
    }
}

// The choices a person makes at a restart say what to press, only with a
// human team in the match.
TEST_F(Banners, ChoicesTellAPersonWhatToPress)
{
    const std::pair<uint8_t, int> cases[] = {
        {CENTRE_BOUNCE_READY, 357}, {BALL_UP_READY, 357}, {BOUNCE_SIREN, 358}, {THROW_IN_READY, 360}};
    for (const int humans : {0, 1}) {
        team_records[1].human_count = static_cast<uint8_t>(humans);
        for (const auto& [state, text] : cases) {
            SCOPED_TRACE(int(state));
            match_globals.match_state = PLAY_ON;
            shown.clear();
            set_match_state(state);
            const bool said = std::any_of(shown.begin(), shown.end(), [&](const Shown& s) { return s.text == ids({text}); });
            EXPECT_EQ(said, humans == 1);
        }
    }
    team_records[1].human_count = 0;
}
