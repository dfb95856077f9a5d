#include "frontend/competition.h"
#include "frontend/database_files.h"
#include "league/league_data.h"
#include "match/match_records.h"
#include "platform/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

struct DatabaseFiles : ::testing::Test {
    fs::path dir;
    char kept_directory[sizeof user_settings.data_directory];
    void SetUp() override
    {
        std::memcpy(kept_directory, user_settings.data_directory, sizeof kept_directory);
        dir = fs::temp_directory_path() / "kob99_database_files";
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::snprintf(user_settings.data_directory, sizeof user_settings.data_directory, "%s", dir.c_str());
        reset_database_files();
        clear_game_state_block();
        select_builtin_league_data();
    }
    void TearDown() override
    {
        // Every name the tests touched goes back to the league as built.
        load_original_names();
        for (int t = 0; t < LEAGUE_TEAMS; ++t) restore_team_player_names(t);
        reset_database_files();
        std::memcpy(user_settings.data_directory, kept_directory, sizeof kept_directory);
        fs::remove_all(dir);
    }
    fs::path delta() const { return dir / DELTA_DB_FILE; }
    Bytes read(const fs::path& p) const
    {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    void write(const fs::path& p, const Bytes& b) const
    {
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
};

TEST_F(DatabaseFiles, AMissingDeltaFileIsCreatedAsZerosAndTheMasksKept)
{
    team_name_change_buffer[4] = 0x0102;
    load_delta_db();
    EXPECT_EQ(read(delta()), Bytes(32, 0));
    EXPECT_EQ(team_name_change_buffer[4], 0x0102);
}

TEST_F(DatabaseFiles, TheMasksRoundTripLittleEndian)
{
    for (int t = 0; t < LEAGUE_TEAMS; ++t) team_name_change_buffer[t] = static_cast<uint16_t>(0x1111 * t + 0x0F);
    ASSERT_TRUE(save_delta_db());
    const Bytes on_disk = read(delta());
    ASSERT_EQ(on_disk.size(), 32u);
    EXPECT_EQ(on_disk[2], 0x20);
    EXPECT_EQ(on_disk[3], 0x11);
    const uint16_t written[LEAGUE_TEAMS] = {};
    std::memcpy(team_name_change_buffer, written, sizeof written);
    load_delta_db();
    for (int t = 0; t < LEAGUE_TEAMS; ++t) EXPECT_EQ(team_name_change_buffer[t], static_cast<uint16_t>(0x1111 * t + 0x0F)) << t;
}

TEST_F(DatabaseFiles, AFileOfAnyOtherSizeHarmsNothing)
{
    for (const Bytes& bad : {Bytes{}, Bytes(31, 0xFF), Bytes(33, 0xFF), Bytes(4096, 0xAB)}) {
        write(delta(), bad);
        for (int t = 0; t < LEAGUE_TEAMS; ++t) team_name_change_buffer[t] = 7;
        load_delta_db();
        for (int t = 0; t < LEAGUE_TEAMS; ++t) EXPECT_EQ(team_name_change_buffer[t], 7) << bad.size();
        EXPECT_EQ(read(delta()), bad) << "the file is left as it was";
    }
    uint16_t masks[LEAGUE_TEAMS] = {};
    EXPECT_FALSE(parse_delta_db(nullptr, 32, masks));
}

TEST_F(DatabaseFiles, TheSlideFileIsWrittenWhole)
{
    Bytes records(SLIDE_DB_BYTES);
    for (size_t i = 0; i < records.size(); ++i) records[i] = static_cast<uint8_t>(i * 7);
    ASSERT_EQ(SLIDE_DB_BYTES, 2600u);
    ASSERT_TRUE(write_slide_db(records.data()));
    EXPECT_EQ(read(dir / SLIDE_DB_FILE), records);
    EXPECT_FALSE(write_slide_db(nullptr));
}

TEST_F(DatabaseFiles, ChangeFilesGoToTheUserDirectoryUnlessTheSettingsNameOne)
{
    EXPECT_EQ(database_file_path(DELTA_DB_FILE), (dir / "DELTADB.DAT").string());
    std::snprintf(user_settings.data_directory, sizeof user_settings.data_directory, "C:\\kob99\\data");
    const std::string path = database_file_path(DELTA_DB_FILE);
    EXPECT_EQ(path.find('\\'), std::string::npos) << path;
    EXPECT_NE(path.rfind("/DELTADB.DAT"), std::string::npos);
}

TEST_F(DatabaseFiles, EditedNamesAreUndoneFromTheBuiltInNames)
{
    league_player* p = league_team_at(3)->players[20];
    const std::string built = player_name(p);
    set_player_name(p, "Hubert Quenby");
    EXPECT_FALSE(team_has_altered_names(3, 0, -1)) << "nothing can be told before the names are taken";
    restore_team_player_names(3);
    EXPECT_STREQ(player_name(p), "Hubert Quenby") << "and nothing is restored";

    set_player_name(p, built.c_str());
    load_original_names();
    set_player_name(p, "Hubert Quenby");
    EXPECT_TRUE(team_has_altered_names(3, 0, -1));
    EXPECT_TRUE(team_has_altered_names(3, 20, 21));
    EXPECT_FALSE(team_has_altered_names(3, 0, 20));
    EXPECT_FALSE(team_has_altered_names(3, 5, 5)) << "an empty range";
    EXPECT_FALSE(team_has_altered_names(4, 0, -1));
    restore_player_name(3, 20);
    EXPECT_EQ(player_name(p), built);
    EXPECT_FALSE(team_has_altered_names(3, 0, -1));
}

TEST_F(DatabaseFiles, ApproachValueStepsAndLands)
{
    const struct {
        int32_t value, target, step, result;
    } cases[] = {{0, 100, 10, 10}, {95, 100, 10, 100}, {100, 0, 19, 81}, {5, 0, 19, 0}, {7, 7, 1, 7}};
    for (const auto& c : cases) EXPECT_EQ(approach_value(c.value, c.target, c.step), c.result) << c.value;
}

TEST_F(DatabaseFiles, TheDefaultSetUpIsTeamZeroAgainstNineWithNoCompetition)
{
    game_settings.home_team = 5;
    competition_state.kinds[2] = KIND_HUMAN;
    competition_state.wins[3] = 4;
    competition_state.order_count = 9;
    human_still_in = 1;
    reset_match_setup();
    EXPECT_EQ(game_settings.home_team, 0);
    EXPECT_EQ(game_settings.away_team, 9);
    EXPECT_EQ(team_records[1].club, league_team_at(9));
    EXPECT_EQ(competition_state.kinds[2], 0u);
    EXPECT_EQ(competition_state.wins[3], 0);
    EXPECT_EQ(competition_state.order_count, 0u);
    EXPECT_EQ(human_still_in, 0);
    reset_competition_state();
}

} // namespace
