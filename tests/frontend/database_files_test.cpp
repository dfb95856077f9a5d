#include "league_edits.h"

#include "frontend/competition.h"
#include "frontend/database_files.h"
#include "frontend/player_editor.h"
#include "league/game_settings.h"
#include "league/league_data.h"
#include "match/match_records.h"
#include "platform/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

// Every player record of the league, club by club, as bytes.
Bytes league_bytes()
{
    Bytes out;
    for (int t = 0; t < LEAGUE_TEAMS; ++t)
        for (int k = 0; k < LEAGUE_PLAYERS; ++k) {
            const league_player* p = league_team_at(t)->players[k];
            out.insert(out.end(), p->bytes, p->bytes + PLAYER_RECORD_SIZE);
        }
    return out;
}
size_t record_at(int team, int player) { return static_cast<size_t>(PLAYER_RECORD_SIZE * (LEAGUE_PLAYERS * team + player)); }

// A training session of club 4 against club 7: names and ratings of both
// sides edited and committed.
void train_and_commit()
{
    game_settings.game_type = GAME_TRAINING;
    game_settings.home_team = 4;
    game_settings.away_team = 7;
    edit_player_page(0, 4);
    set_player_edit_value(listed_player(4, 5), E_SPEED, 37);
    set_player_edit_value(listed_player(7, 0), E_KICKING, 201);
    commit_names(4, {{2, "Oswin Tarrant"}, {15, "Lyle Penhallow"}, {20, "Piers Holloway"}});
}

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
        reset_player_editor();
        clear_game_state_block();
        reset_league_data();
    }
    void TearDown() override
    {
        // Every player the tests touched goes back to the league as built.
        reset_league_data();
        reset_player_editor();
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

TEST_F(DatabaseFiles, EditedNamesAndRatingsComeBackAtTheNextStart)
{
    const Bytes built = league_bytes();
    train_and_commit();
    // An exhibition's name edit of another club later keeps the training
    // edits' owners in the names file.
    game_settings.game_type = GAME_EXHIBITION;
    edit_player_page(0, 11);
    commit_names(11, {{0, "Gideon Farrow"}});
    Bytes expected = league_bytes();

    restart_with_change_files();
    ASSERT_EQ(game_settings.home_team, 0) << "the new run's match is another one";
    EXPECT_STREQ(player_name(league_team_at(4)->players[2]), "Oswin Tarrant");
    EXPECT_STREQ(player_name(league_team_at(4)->players[15]), "Lyle Penhallow");
    EXPECT_STREQ(player_name(league_team_at(11)->players[0]), "Gideon Farrow");
    EXPECT_EQ(player_edit_value(league_team_at(4)->players[5], E_SPEED), 37);
    EXPECT_EQ(player_edit_value(league_team_at(7)->players[0], E_KICKING), 201);
    // Listed player 20 has no bit, so his name is the one edit lost; every
    // other record is exactly as the run left it.
    std::copy_n(built.begin() + record_at(4, 20), PLAYER_NAME_SIZE, expected.begin() + record_at(4, 20));
    EXPECT_TRUE(league_bytes() == expected);
    EXPECT_EQ(team_name_change_buffer[4], 1u << 2 | 1u << 15);
    EXPECT_TRUE(player_name_altered(4, 2)) << "the built-in names were taken before the edits came back";
    restore_team_player_names(4);
    EXPECT_STREQ(player_name(league_team_at(4)->players[2]), original_names[4][2]);
}

TEST_F(DatabaseFiles, BadChangeFilesHarmNothing)
{
    const Bytes built = league_bytes();
    train_and_commit();
    const Bytes names = read(dir / NAME_DB_FILE), masks = read(delta()), slides = read(dir / SLIDE_DB_FILE);
    ASSERT_EQ(names.size(), NAME_DB_HEAD_BYTES + 2 * NAME_DB_ENTRY_BYTES) << "players 2 and 15 of club 4";
    restart_with_change_files();
    const Bytes edited = league_bytes();
    ASSERT_FALSE(edited == built);

    auto with = [](Bytes b, size_t at, std::initializer_list<uint8_t> values) {
        std::copy(values.begin(), values.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    auto cut = [](const Bytes& b, size_t n) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n)); };
    const size_t first = NAME_DB_HEAD_BYTES, second = first + NAME_DB_ENTRY_BYTES;
    Bytes no_nul = names;
    std::fill_n(no_nul.begin() + first + 2, PLAYER_NAME_SIZE, 'A');
    Bytes too_many = with(names, 2, {1, 1}); // 257 names, each of its size
    too_many.resize(NAME_DB_HEAD_BYTES + 257 * NAME_DB_ENTRY_BYTES);
    // Records in range but not the ones the names file's check was made of.
    const size_t speed_of_fourth = 4 * SLIDE_ENTRY_VALUES * 4;
    const Bytes other_clubs = with(slides, speed_of_fourth, {static_cast<uint8_t>(slides[speed_of_fourth] == 30 ? 31 : 30)});
    const struct {
        const char* what;
        const char* file;
        Bytes bytes;
        bool names_back, ratings_back;
    } cases[] = {
        {"an empty names file", NAME_DB_FILE, {}, false, false},
        {"a names file cut in its head", NAME_DB_FILE, cut(names, 9), false, false},
        {"a names file one byte short", NAME_DB_FILE, cut(names, names.size() - 1), false, false},
        {"a names file one byte long", NAME_DB_FILE, [&] { Bytes b = names; b.push_back(0); return b; }(), false, false},
        {"another version", NAME_DB_FILE, with(names, 0, {2}), false, false},
        {"a count above its names", NAME_DB_FILE, with(names, 2, {3}), false, false},
        {"a count below its names", NAME_DB_FILE, with(names, 2, {1}), false, false},
        {"more names than the league has", NAME_DB_FILE, too_many, false, false},
        {"a name without its NUL", NAME_DB_FILE, no_nul, false, false},
        {"a name with a control character", NAME_DB_FILE, with(names, first + 2, {7}), false, false},
        {"club 16", NAME_DB_FILE, with(names, first, {16}), false, false},
        {"listed player 16, who has no bit", NAME_DB_FILE, with(names, first + 1, {16}), false, false},
        {"one player named twice", NAME_DB_FILE, with(names, second, {4, 2}), false, false},
        {"the training edits' home club 16", NAME_DB_FILE, with(names, 4, {16}), false, false},
        {"one owner only", NAME_DB_FILE, with(names, 4, {0xFF}), false, false},
        {"an empty masks file", DELTA_DB_FILE, {}, false, true},
        {"a masks file one byte long", DELTA_DB_FILE, [&] { Bytes b = masks; b.push_back(0); return b; }(), false, true},
        {"masks without the names' bits", DELTA_DB_FILE, Bytes(DELTA_DB_BYTES, 0), false, true},
        {"training edits one byte short", SLIDE_DB_FILE, cut(slides, slides.size() - 1), true, false},
        {"training edits of other clubs", SLIDE_DB_FILE, other_clubs, true, false},
        {"a rating out of its range", SLIDE_DB_FILE, with(slides, 4 * SLIDE_ENTRY_VALUES, {5, 0, 0, 0}), true, false},
    };
    for (const auto& c : cases) {
        write(dir / NAME_DB_FILE, names);
        write(delta(), masks);
        write(dir / SLIDE_DB_FILE, slides);
        write(dir / c.file, c.bytes);
        restart_with_change_files();
        // The names are the first bytes of a record, the ratings among the rest.
        Bytes expected = built;
        for (size_t r = 0; r < expected.size(); r += PLAYER_RECORD_SIZE) {
            if (c.names_back) std::copy_n(edited.begin() + r, PLAYER_NAME_SIZE, expected.begin() + r);
            if (c.ratings_back)
                std::copy_n(edited.begin() + r + PLAYER_NAME_SIZE, PLAYER_RECORD_SIZE - PLAYER_NAME_SIZE,
                            expected.begin() + r + PLAYER_NAME_SIZE);
        }
        EXPECT_TRUE(league_bytes() == expected) << c.what;
    }
    fs::remove(dir / NAME_DB_FILE);
    restart_with_change_files();
    EXPECT_TRUE(league_bytes() == built) << "no names file: neither names nor the ownerless training edits";
}

TEST_F(DatabaseFiles, EveryClubAsBuiltCanHaveItsTrainingEditsKept)
{
    // A club outside the sliders' ranges would write records its next start refuses.
    uint8_t bytes[SLIDE_DB_BYTES];
    for (int t = 0; t < LEAGUE_TEAMS; ++t) {
        fill_slide_records(0, t);
        fill_slide_records(1, t);
        slide_records_to_bytes(bytes);
        EXPECT_TRUE(slide_db_valid(bytes, sizeof bytes)) << "club " << t;
    }
}

TEST_F(DatabaseFiles, TheNamesFileIsLittleEndianFieldByField)
{
    load_original_names();
    set_player_name(league_team_at(12)->players[15], "Tobin Merriwether");
    set_player_name(league_team_at(12)->players[3], "Not Committed");
    team_name_change_buffer[12] = 1u << 15 | 1u << 9; // player 9 keeps his built-in name
    slide_db_owner = {{4, 7}, 0x5EED1234};
    ASSERT_TRUE(save_name_edits());
    const Bytes image = read(dir / NAME_DB_FILE);
    Bytes expected = {1, 0, 1, 0, 4, 7, 0x34, 0x12, 0xED, 0x5E, 12, 15};
    const char* name = "Tobin Merriwether";
    expected.insert(expected.end(), name, name + std::strlen(name));
    expected.resize(NAME_DB_HEAD_BYTES + NAME_DB_ENTRY_BYTES, 0);
    EXPECT_EQ(image, expected) << "only a changed name whose bit is set";
    Bytes masks(DELTA_DB_BYTES, 0);
    masks[25] = 0x82; // club 12's bits 9 and 15, high byte
    EXPECT_EQ(read(delta()), masks);
}

} // namespace
