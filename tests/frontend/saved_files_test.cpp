#include "frontend/saved_files.h"

#include "host/paths.h"
#include "platform/settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

class SavedFiles : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        saved_settings = user_settings;
        dir = fs::path(host_user_dir()) / "saved_files_test";
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        fs::remove_all(dir);
        user_settings = saved_settings;
    }
    std::string path(const char* name) const { return (dir / name).string(); }
    void write_bytes(const char* name, const std::vector<uint8_t>& bytes) const
    {
        std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    std::vector<uint8_t> read_bytes(const char* name) const
    {
        std::ifstream in(dir / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void touch(const std::string& name) const { std::ofstream(dir / name) << "x"; }

    settings_record saved_settings{};
    fs::path dir;
};

int32_t word_at(const std::vector<uint8_t>& b, size_t offset)
{
    return static_cast<int32_t>(b[offset] | b[offset + 1] << 8 | b[offset + 2] << 16 |
                                static_cast<uint32_t>(b[offset + 3]) << 24);
}

TEST_F(SavedFiles, AFormationIsWrittenAtItsOffsetsAndReadsBackIdentical)
{
    TeamLineup mine = default_formation;
    std::snprintf(mine.name, sizeof mine.name, "%s", "Flood the centre");
    mine.zone_x[1] = -71;
    mine.entries[4] = {33, 7, 10, -12, 88};
    mine.entries[30].player = 4;
    ASSERT_EQ(save_formation_file(path("user formation.frm").c_str(), mine), 1);

    std::vector<uint8_t> bytes = read_bytes("user formation.frm");
    ASSERT_EQ(bytes.size(), 1164u);
    EXPECT_EQ(word_at(bytes, 0), 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[4]), "Flood the centre");
    EXPECT_EQ(word_at(bytes, 260), -40);                  // upper zone line
    EXPECT_EQ(word_at(bytes, 268), -150);                 // first vertical line
    EXPECT_EQ(word_at(bytes, 272), -71);
    EXPECT_EQ(word_at(bytes, 284 + 4 * 20), 33);          // entry 4's player
    EXPECT_EQ(word_at(bytes, 284 + 4 * 20 + 16), 88);     // and its y
    EXPECT_EQ(word_at(bytes, 284 + 30 * 20), 4);
    EXPECT_EQ(word_at(bytes, 284 + 30 * 20 + 4), -1);     // a reserve has no place

    TeamLineup back = formation_slots[0];
    ASSERT_EQ(load_formation_file(path("user formation.frm").c_str(), back), 1);
    EXPECT_EQ(0, std::memcmp(&back, &mine, sizeof mine));
}

TEST_F(SavedFiles, BadFormationFilesChangeNothing)
{
    uint8_t good[FORMATION_FILE_SIZE];
    encode_formation(default_formation, good);
    std::vector<uint8_t> base(good, good + sizeof good);
    auto with = [&](size_t offset, int32_t v) {
        std::vector<uint8_t> b = base;
        for (int i = 0; i < 4; ++i)
            b[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
        return b;
    };
    std::vector<uint8_t> padded = base;
    padded.push_back(0);
    std::vector<uint8_t> unnamed = base;
    std::memset(&unnamed[4], 'a', 256);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"truncated", std::vector<uint8_t>(base.begin(), base.end() - 1)},
        {"padded", padded},
        {"version 2", with(0, 2)},
        {"version -1", with(0, -1)},
        {"player 42", with(284 + 7 * 20, 42)},
        {"reserve player -3", with(284 + 40 * 20, -3)},
        {"first setting 9", with(284 + 2 * 20 + 4, 9)},
        {"second setting 8", with(284 + 2 * 20 + 8, 8)},
        {"name without an end", unnamed},
    };
    TeamLineup record = formation_slots[3];
    for (const Case& c : cases) {
        write_bytes("bad.frm", c.bytes);
        EXPECT_EQ(load_formation_file(path("bad.frm").c_str(), record), 0) << c.what;
        EXPECT_EQ(0, std::memcmp(&record, &formation_slots[3], sizeof record)) << c.what;
    }
    EXPECT_EQ(load_formation_file(path("missing.frm").c_str(), record), 0);
}

TEST_F(SavedFiles, ASavedFormationReplacesTheOldOneWhole)
{
    TeamLineup first = default_formation;
    std::snprintf(first.name, sizeof first.name, "%s", "first");
    TeamLineup second = default_formation;
    std::snprintf(second.name, sizeof second.name, "%s", "second");
    ASSERT_EQ(save_formation_file(path("f.frm").c_str(), first), 1);
    ASSERT_EQ(save_formation_file(path("f.frm").c_str(), second), 1);
    TeamLineup back{};
    ASSERT_EQ(load_formation_file(path("f.frm").c_str(), back), 1);
    EXPECT_STREQ(back.name, "second");
    EXPECT_FALSE(fs::exists(dir / "f.frm.new"));
    // A directory in the way: the write fails and says so.
    fs::create_directories(dir / "blocked.frm");
    EXPECT_EQ(save_formation_file(path("blocked.frm").c_str(), first), 0);
}

TEST_F(SavedFiles, DefaultNamesTakeTheFirstFreeNumber)
{
    for (const char* ending : {"", "/"}) {
        std::snprintf(user_settings.data_directory, sizeof user_settings.data_directory, "%s%s",
                      dir.string().c_str(), ending);
        EXPECT_EQ(next_free_numbered_name("replay"), 0) << ending;
        for (const char* n : {"replay000.replay", "replay001.replay", "Replay002.replay", "REPLAY003.REPLAY",
                              "replay004.replay", "replay006.replay"})
            touch(n);
        // 002 and 003 differ only in case: they are taken all the same.
        EXPECT_EQ(next_free_numbered_name("replay"), 5) << ending;
        EXPECT_EQ(next_free_numbered_name("game"), 0) << ending;
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    // A game-style data path lies below the user directory.
    std::snprintf(user_settings.data_directory, sizeof user_settings.data_directory, "%s",
                  "C:\\saved_files_test");
    touch("game000.game");
    EXPECT_EQ(file_exists_flag("C:\\saved_files_test\\GAME000.game"), 1);
    EXPECT_EQ(next_free_numbered_name("game"), 1);
}

TEST_F(SavedFiles, WithEveryNumberTakenTheNameIsZero)
{
    std::snprintf(user_settings.data_directory, sizeof user_settings.data_directory, "%s", dir.string().c_str());
    char name[32];
    for (int n = 0; n <= 998; ++n) {
        std::snprintf(name, sizeof name, "game%03d.game", n);
        touch(name);
    }
    EXPECT_EQ(next_free_numbered_name("game"), 0);
}

} // namespace

#include "frontend/team_lineup_screen.h"
#include "match/match_records.h"

namespace {

TEST(LineupSides, ASideSwapsInItsOwnTeamOnly)
{
    GameSettings saved = game_settings;
    reset_lineups_and_formations();
    game_settings.home_team = 3;
    game_settings.away_team = 12;
    swap_lineup_players(1, 18, 5);
    EXPECT_EQ(team_lineups[12].entries[18].player, 5);
    EXPECT_EQ(team_lineups[12].entries[5].player, 18);
    EXPECT_EQ(team_lineups[3].entries[18].player, default_team_sheets[3][18] - 1);
    game_settings.away_team = -1; // no team on that side: nothing
    swap_lineup_players(1, 0, 1);
    reset_lineups_and_formations();
    game_settings = saved;
}

} // namespace

#include "frontend/competition.h"
#include "frontend/competition_teams.h"
#include "frontend/final8_screen.h"
#include "frontend/front_end_state.h"
#include "frontend/pages.h"

namespace {

class SavedGames : public SavedFiles
{
  protected:
    void SetUp() override
    {
        SavedFiles::SetUp();
        kept_settings = game_settings;
        reset_competition_state();
        reset_competition_teams();
        reset_final8_screen();
        reset_front_end_state();
    }
    void TearDown() override
    {
        reset_competition_state();
        reset_competition_teams();
        reset_final8_screen();
        reset_front_end_state();
        game_settings = kept_settings;
        game_loaded = 0;
        SavedFiles::TearDown();
    }
    // A premiership part-way through, with every field of the file set.
    static void set_up_a_season()
    {
        GameSettings& g = game_settings;
        g.quarter_length = 8, g.weather = 2, g.push_in_back = 1, g.game_speed = 2;
        g.pitch_quality = 1, g.pitch_logos = 1, g.radar = 1;
        g.team_options[0] = {1, 0, 3, 1};
        g.team_options[1] = {0, 1, 4, 0};
        for (int i = 0; i < CONTROLLER_RECORDS; ++i) g.controller_team_table[i] = i % 3 == 0 ? -1 : i % 16;
        CompetitionState& c = competition_state;
        for (int i = 0; i < FIXTURE_PAIRS; ++i) {
            c.fixtures[i][0] = static_cast<int8_t>(i), c.fixtures[i][1] = static_cast<int8_t>(15 - i);
            c.scores[i][0] = static_cast<uint16_t>(60 + i), c.scores[i][1] = static_cast<uint16_t>(400 + i);
            c.win_flags[i][0] = static_cast<uint16_t>(i & 1), c.win_flags[i][1] = static_cast<uint16_t>(!(i & 1));
        }
        c.round = 17;
        for (int i = 0; i < 16; ++i) {
            c.order[i] = static_cast<uint8_t>((i * 7) % 16);
            c.wins[i] = static_cast<uint8_t>(i), c.draws[i] = static_cast<uint8_t>(i / 4);
            c.losses[i] = static_cast<uint8_t>(16 - i);
            c.points_for[i] = static_cast<uint16_t>(1000 + 37 * i), c.points_against[i] = static_cast<uint16_t>(900 + i);
            c.kinds[i] = i < 2 ? KIND_HUMAN : KIND_COMPUTER;
        }
        c.order_count = 16;
        for (int p = 0; p < FINAL8_PLACES; ++p) final8_state.teams[p] = 15 - p;
    }
    std::vector<uint8_t> saved_game()
    {
        EXPECT_EQ(save_game_file(path("season.game").c_str()), 1);
        return read_bytes("season.game");
    }
    GameSettings kept_settings{};
};

TEST_F(SavedGames, ASeasonIsWrittenAtItsOffsetsAndLoadsBackIdentical)
{
    set_up_a_season();
    const GameSettings g = game_settings;
    const CompetitionState c = competition_state;
    const std::vector<uint8_t> b = saved_game();
    ASSERT_EQ(b.size(), 556u);
    // A few fields at their offsets: the options, the places, the record.
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(b[1], 8);
    EXPECT_EQ(word_at(b, 4), 2);
    EXPECT_EQ((std::vector<int>{b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15], b[16], b[17]}),
              (std::vector<int>{1, 1, 0, 0, 1, 3, 4, 1, 0, 1}));
    EXPECT_EQ(word_at(b, 20), 1);
    EXPECT_EQ(b[25], 15);
    EXPECT_EQ(b[40], 0);
    EXPECT_EQ(word_at(b, 44), -1);
    EXPECT_EQ(word_at(b, 48), 1);
    EXPECT_EQ(b[164 + 31], 0);                     // the last fixture's away team
    EXPECT_EQ(b[196] | b[197] << 8, 60);          // the first home score
    EXPECT_EQ(b[325], 17);                        // the round
    EXPECT_EQ(b[328 + 1], 7);                     // the second in the order
    EXPECT_EQ(b[408 + 2] | b[409 + 2] << 8, 1037); // points for, position 1
    EXPECT_EQ(word_at(b, 488 + 4), 1);            // club 1 is human
    EXPECT_EQ(word_at(b, 552), 16);
    for (size_t at : {18, 19, 24, 41, 42, 43, 324, 326, 327, 344, 347}) EXPECT_EQ(b[at], 0) << at;

    reset_competition_state();
    reset_final8_screen();
    game_settings = kept_settings;
    ASSERT_EQ(load_game_file(path("season.game").c_str()), 1);
    EXPECT_EQ(0, std::memcmp(&competition_state, &c, sizeof c));
    EXPECT_EQ(0, std::memcmp(&game_settings.team_options, &g.team_options, sizeof g.team_options));
    EXPECT_EQ(0, std::memcmp(game_settings.controller_team_table, g.controller_team_table,
                             sizeof g.controller_team_table));
    EXPECT_EQ(std::vector<int>(final8_state.teams, final8_state.teams + 16),
              (std::vector<int>{15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(game_settings.quarter_length, 8);
    EXPECT_EQ(game_settings.weather, 2);
    EXPECT_EQ(game_settings.game_speed, 2u);
    EXPECT_EQ(game_settings.pitch_logos, 1);
    EXPECT_EQ(game_settings.radar, 1);
    EXPECT_EQ(front_end_state.page, &first_page) << "the first page runs next";
}

TEST_F(SavedGames, KeptReadingsOfTheFile)
{
    set_up_a_season();
    // The quarter length is one signed byte; a club saved while the team
    // selection was choosing it is the computer's.
    game_settings.quarter_length = 200;
    competition_state.kinds[5] = KIND_CHOOSING;
    // A place holding no club is saved as the club that starts there.
    final8_state.teams[12] = -1;
    saved_game();
    ASSERT_EQ(load_game_file(path("season.game").c_str()), 1);
    EXPECT_EQ(game_settings.quarter_length, -56);
    EXPECT_EQ(competition_state.kinds[5], KIND_COMPUTER);
    EXPECT_EQ(final8_state.teams[12], 12);
}

TEST_F(SavedGames, BadGameFilesChangeNothing)
{
    set_up_a_season();
    const std::vector<uint8_t> base = saved_game();
    reset_competition_state();
    competition_state.round = 3;
    const CompetitionState before = competition_state;
    game_settings.weather = 1;
    auto with = [&](size_t offset, std::initializer_list<uint8_t> bytes) {
        std::vector<uint8_t> b = base;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<long>(offset));
        return b;
    };
    std::vector<uint8_t> padded = base;
    padded.push_back(0);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"truncated", std::vector<uint8_t>(base.begin(), base.end() - 1)},
        {"padded", padded},
        {"version 0", with(0, {0})},
        {"version 2", with(0, {2})},
        {"weather 5", with(2, {5})},
        {"push rule 2", with(3, {2})},
        {"speed 3", with(4, {3})},
        {"pitch detail 2", with(8, {2})},
        {"away mark indicator 2", with(16, {2})},
        {"home names -1", with(13, {0xFF})},
        {"away names 5", with(14, {5})},
        {"radar 256", with(20, {0, 1})},
        {"finalist 16", with(25, {16})},
        {"last other club 255", with(40, {255})},
        {"controller -2", with(44, {0xFE, 0xFF, 0xFF, 0xFF})},
        {"controller 16", with(44 + 29 * 4, {16, 0, 0, 0})},
        {"fixture -1", with(164 + 5, {0xFF})},
        {"round 24", with(325, {24})},
        {"order 16", with(328 + 15, {16})},
        {"count 17", with(552, {17})},
    };
    for (const Case& c : cases) {
        write_bytes("bad.game", c.bytes);
        EXPECT_EQ(load_game_file(path("bad.game").c_str()), 0) << c.what;
        EXPECT_EQ(0, std::memcmp(&competition_state, &before, sizeof before)) << c.what;
        EXPECT_EQ(game_settings.weather, 1) << c.what;
    }
    front_end_state.page = nullptr;
    EXPECT_EQ(load_game_file(path("missing.game").c_str()), 0);
    EXPECT_EQ(front_end_state.page, &first_page);
    // The limits themselves load, and so does the first run's name display 0.
    write_bytes("edge.game", with(325, {23}));
    EXPECT_EQ(load_game_file(path("edge.game").c_str()), 1);
    write_bytes("edge.game", with(13, {0, 0}));
    EXPECT_EQ(load_game_file(path("edge.game").c_str()), 1);
    EXPECT_EQ(game_settings.team_options[1].name_display, 0);
}

} // namespace
