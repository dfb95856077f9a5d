#include "front_end_fixture.h"
#include "hardware_front_end_fixture.h"

#include "frontend/competition.h"
#include "frontend/pages.h"
#include "league/game_settings.h"
#include "match/match_records.h"
#include "matchscreen/match_screen.h"
#include "platform/cd_audio.h"
#include "platform/language.h"
#include "platform/settings.h"
#include "frontend/finals_screens.h"
#include "display/replay.h"
#include "host/host_test_hooks.h"
#include "host/paths.h"
#include "host/settings_store.h"
#include "lib/language_write.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The match as the hand-over sees it: it leaves the exit code it is told
// (0 over, 2 break, 3 quit) with the flow flags such an ending leaves.
uint8_t standin_next_exit_code;
uint16_t standin_next_flow_flags;
int32_t standin_match_calls, standin_last_mode;
int32_t g_loaded_during_match;
void fake_match(int32_t mode)
{
    ++standin_match_calls;
    standin_last_mode = mode;
    g_loaded_during_match = front_end_loaded;
    match_globals.init_mode = standin_next_exit_code;
    match_globals.flow_flags = standin_next_flow_flags;
}

struct HandOver : FrontEnd {
    void SetUp() override
    {
        FrontEnd::SetUp();
        standin_match_calls = 0;
        standin_last_mode = -1;
        match_player = fake_match;
        standin_next_exit_code = 0;
        standin_next_flow_flags = CLOCK_FROZEN | LEAVE_OVER | QUARTER_1;
        match_globals.init_mode = 0;
        match_globals.flow_flags = 0;
        front_end_state.result = 1; // play, from the controller screen
        g_loaded_during_match = -1;
        // An exhibition unless a test says otherwise: a competition plays
        // only its human clubs' fixtures.
        game_settings.game_type = GAME_EXHIBITION;
        reset_competition_state();
    }
    void TearDown() override
    {
        match_player = play_match;
        FrontEnd::TearDown();
    }
};

TEST_F(HandOver, FullTimeShowsTheResultsThenTheSplashAndEnds)
{
    std::vector<menu_screen*> screens;
    PointerScript::start([&](menu_screen* s, int f) {
        if (f == 1) screens.push_back(s);
        if (f == 3) key_state[KEY_ENTER] = 0x80;
    });
    start_match();
    EXPECT_EQ(standin_match_calls, 1);
    EXPECT_EQ(standin_last_mode, 0);
    EXPECT_EQ(screens, (std::vector<menu_screen*>{&finals_results_screen, &demo_splash_screen}));
    EXPECT_EQ(front_end_state.done, 1);
    EXPECT_EQ(g_loaded_during_match, 0) << "the front end lets go of its resources for the match";
    EXPECT_EQ(front_end_loaded, 1) << "and takes them back after";
    EXPECT_EQ(front_end_state.error_hook, error_control_callback);
}

TEST_F(HandOver, BreaksAndQuitsGoToTheSplashWhereEscPlaysOnInTheReturnedMode)
{
    for (uint8_t exit : {uint8_t(2), uint8_t(3)}) {
        standin_match_calls = 0;
        standin_next_exit_code = exit;
        standin_next_flow_flags = CLOCK_FROZEN | QUARTER_2;
        bool resume_shown = false;
        int32_t answered = -1; // once for each match played
        PointerScript::start([&](menu_screen* s, int f) {
            if (s != &demo_splash_screen || f < 3 || answered == standin_match_calls) return;
            answered = standin_match_calls;
            for (const IconSlot& slot : active_icon_table.slots)
                if (slot.icon && slot.icon->text && std::string(slot.icon->text) == "Resume GAme") resume_shown = true;
            if (standin_match_calls == 1) {
                key_state[KEY_ESCAPE] = 0x80; // play on
            } else {
                key_state[KEY_ENTER] = 0x80; // Exit Demo
            }
        });
        start_match();
        EXPECT_TRUE(resume_shown) << int(exit);
        EXPECT_EQ(standin_match_calls, 2) << int(exit);
        EXPECT_EQ(standin_last_mode, exit) << "resumed in the mode the match left";
        EXPECT_EQ(front_end_state.done, 1);
        EXPECT_EQ(front_end_state.result, 3);
        EXPECT_EQ(match_globals.flow_flags & 0xC0, 0xC0) << "Exit Demo leaves the match finished and quit";
        EXPECT_EQ(front_end_state.in_match, 0);
        front_end_state.done = 0;
        front_end_state.result = 1;
    }
}

TEST_F(HandOver, OnlyPlayOrAResultOfFiveStartsAMatch)
{
    const struct {
        uint8_t result;
        bool to_first_page;
    } cases[] = {{2, true}, {4, true}, {3, false}};
    for (const auto& c : cases) {
        front_end_state.result = c.result;
        front_end_state.page = nullptr;
        std::memset(match_globals.commentary_order, 0, sizeof match_globals.commentary_order);
        game_settings.front_end_count = 0;
        start_match();
        EXPECT_EQ(standin_match_calls, 0) << int(c.result);
        // The clubs' table is written whether or not a match follows.
        EXPECT_EQ(match_globals.commentary_order[0], 5) << int(c.result);
        EXPECT_EQ(match_globals.commentary_order[15], 2) << int(c.result);
        EXPECT_EQ(game_settings.front_end_count, 8) << int(c.result);
        EXPECT_EQ(front_end_state.page == first_page, c.to_first_page) << int(c.result);
    }
}

TEST_F(HandOver, TheResultsScreenNamesFullTimeWhenTheMatchIsOver)
{
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &finals_results_screen || f != 2) return;
        EXPECT_STREQ(finals_results_screen.entries[0].copy->text, "Full Time Score");
        front_end_state.result = 3; // back to the first page instead of the splash
    });
    start_match();
    EXPECT_EQ(front_end_state.page, first_page);
    EXPECT_EQ(front_end_state.done, 0);
    EXPECT_TRUE(match_globals.flow_flags & MATCH_PLAYED);
}

TEST_F(HandOver, TheQuickExhibitionIsTheDemosFixedMatch)
{
    game_settings.home_team = 5;
    game_settings.game_type = GAME_PREMIERSHIP;
    set_quick_exhibition();
    EXPECT_EQ(game_settings.game_type, GAME_EXHIBITION);
    EXPECT_EQ(game_settings.home_team, 0);
    EXPECT_EQ(game_settings.away_team, 9);
    EXPECT_EQ(game_settings.interchange_players, 4);
    EXPECT_EQ(game_settings.quarter_length, 4);
    EXPECT_EQ(competition_state.round, 1);
}

// A competition's fixture is played here only when one of its clubs is
// human; the flag tells the rest of the front end which it was.
TEST_F(HandOver, ACompetitionFixtureIsPlayedOnlyWithAHumanClub)
{
    const struct {
        uint32_t home_kind, away_kind;
        int32_t matches;
        uint8_t human_in;
    } cases[] = {
        {KIND_COMPUTER, KIND_COMPUTER, 0, 0},
        {KIND_OUT, KIND_COMPUTER, 0, 0},
        {KIND_HUMAN, KIND_COMPUTER, 1, 1},
        {KIND_COMPUTER, KIND_HUMAN, 1, 1},
    };
    PointerScript::start([&](menu_screen* s, int f) {
        if (s == &finals_results_screen && f >= 2) front_end_state.result = 3;
    });
    game_settings.game_type = GAME_PREMIERSHIP;
    game_settings.home_team = 2;
    game_settings.away_team = 11;
    for (const auto& c : cases) {
        standin_match_calls = 0;
        front_end_state.result = 1;
        front_end_state.human_team_in = 1 - c.human_in;
        competition_state.kinds[2] = c.home_kind;
        competition_state.kinds[11] = c.away_kind;
        start_match();
        EXPECT_EQ(standin_match_calls, c.matches) << c.home_kind << c.away_kind;
        EXPECT_EQ(front_end_state.human_team_in, c.human_in) << c.home_kind << c.away_kind;
    }
    reset_competition_state();
    game_settings.game_type = GAME_DEMO;
}

// Training plays as an exhibition and gets its game type and clubs back,
// whatever the match did with them.
TEST_F(HandOver, TrainingPlaysAsAnExhibitionAndGetsItsClubsBack)
{
    game_settings.game_type = GAME_TRAINING;
    game_settings.home_team = 4;
    game_settings.away_team = 4;
    int8_t type_during = -1;
    match_player = [](int32_t mode) {
        fake_match(mode);
        game_settings.home_team = 0;
        game_settings.away_team = 9;
    };
    PointerScript::start([&](menu_screen* s, int f) {
        if (s == &finals_results_screen && f == 2) {
            type_during = game_settings.game_type;
            front_end_state.result = 3;
        }
    });
    start_match();
    EXPECT_EQ(standin_match_calls, 1);
    EXPECT_EQ(type_during, GAME_TRAINING) << "the type is back before the results";
    EXPECT_EQ(game_settings.game_type, GAME_TRAINING);
    EXPECT_EQ(game_settings.home_team, 4);
    EXPECT_EQ(game_settings.away_team, 4);
    game_settings.game_type = GAME_DEMO;
}

TEST(CopyRightHalf, TakesColumns320To639OfEveryRow)
{
    std::vector<uint8_t> source(640 * 480), destination(640 * 480, 7);
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i % 640 >= 320 ? 200 + i / 640 % 50 : 1);
    copy_right_half(destination.data(), source.data());
    for (int32_t y : {0, 1, 239, 479})
        for (int32_t x : {0, 319, 320, 639}) {
            const uint8_t want = x < 320 ? 7 : source[size_t(y) * 640 + x];
            EXPECT_EQ(destination[size_t(y) * 640 + x], want) << x << "," << y;
        }
}

// Only the competitions restart the sound; every other type leaves the
// music as it was.
// The language file is read once: a match start takes slot 0 again and reads
// the file only into an empty slot, so screens keep the texts they hold.
TEST_F(HandOver, TheLanguageFileIsReadOnlyIntoAnEmptySlot)
{
    reset_language_text();
    load_language_text();
    select_language(0);
    const std::string kit_text = get_text(0);
    ASSERT_FALSE(kit_text.empty());

    // Another file where the data is: read only if the slot is empty.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "handover_language";
    std::filesystem::create_directories(dir / "front_en" / "lang");
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(kit_language_file({"Other Words"}, bytes, error)) << error;
    std::ofstream(dir / "front_en" / "lang" / "english.dat", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    host_set_data_dir(dir.string());

    select_language(1);
    front_end_state.result = 3;
    start_match();
    EXPECT_EQ(get_text(0), kit_text) << "slot 0 is chosen again and its file is not read again";

    reset_language_text();
    front_end_state.result = 3;
    start_match();
    EXPECT_STREQ(get_text(0), "Other Words") << "an empty slot is loaded";

    host_set_data_dir("");
    std::filesystem::remove_all(dir);
    reset_language_text();
    load_language_text();
    select_language(0);
}

// A damaged settings store asks for any replay size: the front end starts
// with one the replay screens can set.
TEST_F(HandOver, TheStoredReplaySizeIsKeptWithinWhatTheScreensSet)
{
    const settings_record kept = user_settings;
    const struct {
        uint32_t stored, started;
    } cases[] = {{32u << 20, REPLAY_SIZE_MAX}, {300u << 10, REPLAY_SIZE_MIN}, {3u << 20, 3u << 20}};
    for (const auto& c : cases) {
        settings_record r;
        default_settings(r);
        r.replay_buffer_size = c.stored;
        ASSERT_TRUE(save_settings(r));
        front_end_setup();
        EXPECT_EQ(user_settings.replay_buffer_size, c.started) << c.stored;
    }
    std::remove(host_settings_file().c_str());
    std::remove(host_user_file(SETTINGS_FILE).c_str());
    free_replay_node();
    user_settings = kept;
}

TEST_F(HandOver, OnlyTheCompetitionsRestartTheSound)
{
    for (int8_t type : {GAME_EXHIBITION, GAME_TRAINING, GAME_PREMIERSHIP, GAME_PRE_SEASON, GAME_FINAL_8}) {
        game_settings.game_type = type;
        cd_music_on = 1;
        restart_sound_for_competition();
        EXPECT_EQ(cd_music_on, type >= GAME_PREMIERSHIP && type <= GAME_FINAL_8 ? 0 : 1) << int(type);
    }
    game_settings.game_type = GAME_DEMO;
}

} // namespace

namespace {

// The hand-over on the 3D display against the recording device. The clock
// moves 20 ms a reading, so each picture effect ends within a few frames; a
// run that reads it past the limit is a screen waiting on an effect that
// never ends, and fails instead of drawing its 100000 frames.
uint32_t g_clock_now, g_clock_reads;
constexpr uint32_t CLOCK_READ_LIMIT = 20000;
uint32_t stepping_clock()
{
    if (++g_clock_reads > CLOCK_READ_LIMIT) throw std::runtime_error("a picture effect never ended");
    return g_clock_now += 20;
}

struct HardwareHandOver : HardwareFrontEnd {
    void SetUp() override
    {
        // The stepping clock before anything reads the time.
        g_clock_now = g_clock_reads = 0;
        host_set_clock(stepping_clock);
        HardwareFrontEnd::SetUp();
        match_player = fake_match;
        match_globals.init_mode = 0;
        match_globals.flow_flags = 0;
        front_end_state.result = 1;
        game_settings.game_type = GAME_EXHIBITION;
        reset_competition_state();
    }
    void TearDown() override
    {
        match_player = play_match;
        HardwareFrontEnd::TearDown();
        host_set_clock(nullptr);
    }
};

// Three periods, each ended by a break; what the splash screen stood on each
// time. A menu screen first leaves its background up, as the menus do.
struct SplashObjects {
    int32_t objects = 0, shown = 0, pieces = 0;
};
std::vector<SplashObjects> splashes_of_three_periods(bool menu_first)
{
    standin_match_calls = 0;
    standin_next_exit_code = 2;
    standin_next_flow_flags = CLOCK_FROZEN | QUARTER_2;
    match_globals.init_mode = 0;
    match_globals.flow_flags = 0;
    front_end_state.result = 1;
    std::vector<SplashObjects> seen;
    int32_t answered = -1;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &demo_splash_screen || f < 3 || answered == standin_match_calls) return;
        answered = standin_match_calls;
        if (standin_match_calls == 0) {
            key_state[KEY_ESCAPE] = 0x80;
            return;
        }
        SplashObjects now;
        for (int32_t slot = 0; slot < 2; ++slot)
            if (const menu_3d_object* o = menu_3d_object_at(slot)) {
                ++now.objects;
                now.shown += o->shown;
                now.pieces = static_cast<int32_t>(o->pieces.size());
            }
        seen.push_back(now);
        key_state[standin_match_calls < 3 ? KEY_ESCAPE : KEY_ENTER] = 0x80; // play on twice, then Exit Demo
    });
    if (menu_first) {
        run_front_end_screen(&demo_splash_screen);
        front_end_state.result = 1;
    }
    start_match();
    EXPECT_EQ(standin_match_calls, 3);
    EXPECT_EQ(front_end_state.result, 3);
    return seen;
}

// Each break carries the splash's background off and puts the loading
// picture up in whichever slot is free: the next splash must come in over
// that picture, whatever slot its own background had the time before, and
// leave only its own picture (20 pieces of 128 x 128; the loading picture
// has 80).
TEST_F(HardwareHandOver, EveryBreaksSplashComesInOverTheLoadingPicture)
{
    for (bool menu_first : {true, false}) {
        for (uint32_t seed : {1u, 2u, 3u}) {
            host_srand(seed);
            const std::vector<SplashObjects> seen = splashes_of_three_periods(menu_first);
            ASSERT_EQ(seen.size(), 3u) << menu_first << " " << seed;
            for (size_t n = 0; n < seen.size(); ++n) {
                EXPECT_EQ(seen[n].objects, 1) << menu_first << " " << seed << " splash " << n;
                EXPECT_EQ(seen[n].shown, 1) << menu_first << " " << seed << " splash " << n;
                EXPECT_EQ(seen[n].pieces, 20) << menu_first << " " << seed << " splash " << n;
            }
            reset_everything();
            load_front_end_resources();
        }
    }
}

} // namespace
