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
