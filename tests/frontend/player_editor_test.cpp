#include "front_end_fixture.h"

#include "frontend/database_files.h"
#include "frontend/player_editor.h"
#include "frontend/widget_helpers.h"
#include "league/game_settings.h"
#include "league/league_data.h"
#include "match/match_records.h"
#include "platform/settings.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

PlayerEditor& pe = player_editor;

// Every player record of the league as built, to put back after each test.
struct LeagueCopy {
    std::vector<league_player> players;
    void take()
    {
        players.clear();
        for (int t = 0; t < LEAGUE_TEAMS; ++t)
            for (int k = 0; k < LEAGUE_PLAYERS; ++k)
                if (builtin_league.teams[t]->players[k]) players.push_back(*builtin_league.teams[t]->players[k]);
    }
    void give_back() const
    {
        size_t i = 0;
        for (int t = 0; t < LEAGUE_TEAMS; ++t)
            for (int k = 0; k < LEAGUE_PLAYERS; ++k)
                if (builtin_league.teams[t]->players[k]) *builtin_league.teams[t]->players[k] = players[i++];
    }
};

struct Editor : FrontEnd {
    LeagueCopy league;
    fs::path dir;
    char kept_directory[sizeof user_settings.data_directory];
    void SetUp() override
    {
        FrontEnd::SetUp();
        install_common_frames();
        static std::vector<uint8_t> plate = kit_sw_sprite(180, 18, 0, 9, std::vector<int16_t>(180 * 18, 15));
        set_animation_frames(HANDLE_EDITOR, {plate.data(), plate.data()});
        clear_game_state_block();
        select_builtin_league_data();
        league.take();
        reset_player_editor();
        reset_database_files();
        load_original_names();
        build_player_order();
        std::memcpy(kept_directory, user_settings.data_directory, sizeof kept_directory);
        dir = fs::temp_directory_path() / "kob99_player_editor";
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::snprintf(user_settings.data_directory, sizeof user_settings.data_directory, "%s", dir.c_str());
        game_settings.game_type = GAME_TRAINING;
        game_settings.home_team = 4;
        game_settings.away_team = 7;
    }
    void TearDown() override
    {
        reset_player_editor();
        reset_database_files();
        league.give_back();
        std::memcpy(user_settings.data_directory, kept_directory, sizeof kept_directory);
        fs::remove_all(dir);
        clear_game_state_block();
        FrontEnd::TearDown();
    }
    // Every listed player of a club at one value of an attribute.
    static void set_all(int32_t team, int32_t e, int32_t value)
    {
        for (int k = 0; k < SQUAD_POSITIONS; ++k) set_player_edit_value(listed_player(team, k), e, value);
    }
};

TEST_F(Editor, TheOverallRunsFromSixtySevenToTwoEightyFive)
{
    int32_t v[EDIT_VALUES] = {};
    v[E_SPEED] = 22, v[E_TACKLING] = 230;
    EXPECT_EQ(overall_from_rated(v), 67);
    v[E_SPEED] = 40, v[E_KICKING] = v[E_HANDBALL] = v[E_STRENGTH] = 255, v[E_TACKLING] = 255;
    EXPECT_EQ(overall_from_rated(v), 285);
}

TEST_F(Editor, TheOverallSliderDrivesTheRatedValuesToTheirEnds)
{
    for (int32_t end : {OVERALL_MAX, OVERALL_MIN}) {
        edit_player_page(0, 4);
        take_snapshot();
        pe.slider_values[E_OVERALL] = end;
        rescale_from_overall();
        for (int e = 0; e <= E_STRENGTH; ++e)
            EXPECT_EQ(pe.slider_values[e], end == OVERALL_MAX ? pe.maximum[e] : pe.minimum[e]) << e;
        EXPECT_EQ(pe.shown_values[E_KICKING], pe.slider_values[E_KICKING]);
        pe.snapshot_taken = 0;
    }
}

TEST_F(Editor, ATeamValueMovesEachPlayerByHisRoom)
{
    // Kicking: half the players at 0, half at 255; the team at 100 moves to
    // 100 + (255 - 100) / 2: a player at the minimum moves half-way up, one
    // at the maximum stays.
    for (int k = 0; k < SQUAD_POSITIONS; ++k) set_player_edit_value(listed_player(4, k), E_KICKING, k % 2 ? 255 : 0);
    edit_player_page(0, 4);
    pe.slider_values[E_KICKING] = 100;
    take_team_snapshot();
    pe.slider_values[E_KICKING] = 100 + (255 - 100) / 2;
    team_slider_moved(E_KICKING);
    EXPECT_EQ(player_edit_value(listed_player(4, 0), E_KICKING), (255 - 0) * 77 / 155);
    EXPECT_EQ(player_edit_value(listed_player(4, 1), E_KICKING), 255);
    EXPECT_EQ(pe.snapshot_taken, 0);

    // Downwards a player at the minimum stays and one at the maximum moves
    // down by the same share of his room.
    for (int k = 0; k < SQUAD_POSITIONS; k += 2) set_player_edit_value(listed_player(4, k), E_KICKING, 0);
    fill_slide_records(0, 4);
    take_team_snapshot();
    pe.slider_values[E_KICKING] = 50;
    team_slider_moved(E_KICKING);
    EXPECT_EQ(player_edit_value(listed_player(4, 2), E_KICKING), 0);
    EXPECT_EQ(player_edit_value(listed_player(4, 1), E_KICKING), 255 + 255 * (50 - 177) / 177);
}

TEST_F(Editor, AnOldValueAtItsLimitDividesByOne)
{
    set_all(4, E_TACKLING, 240);
    edit_player_page(0, 4);
    take_team_snapshot();
    rescale_players(E_TACKLING, 255, 256); // no room left above the old value
    EXPECT_EQ(player_edit_value(listed_player(4, 0), E_TACKLING), 240 + 15);
    rescale_players(E_TACKLING, 230, 229); // none left below it
    EXPECT_EQ(player_edit_value(listed_player(4, 0), E_TACKLING), 240 - 10);
}

TEST_F(Editor, AWholeTeamSlideRecordChangesOnlyTheFirstEighteen)
{
    std::vector<uint8_t> bytes(SLIDE_DB_BYTES, 0);
    auto put = [&](int side, int word, int32_t v) {
        uint8_t* b = bytes.data() + side * SLIDE_RECORD_BYTES + 4 * word;
        b[0] = static_cast<uint8_t>(v), b[1] = static_cast<uint8_t>(v >> 8), b[2] = 0, b[3] = 0;
    };
    for (int k = 0; k < SQUAD_POSITIONS; ++k)
        for (int side = 0; side < 2; ++side)
            for (int e = 0; e <= E_HEIGHT; ++e) put(side, SLIDE_ENTRY_VALUES * (1 + k) + e, 200 + e);
    const int32_t before = player_edit_value(league_team_at(4)->players[18], E_KICKING);
    pe.editor_player = 0;
    apply_slide_record(bytes.data());
    EXPECT_EQ(player_edit_value(league_team_at(4)->players[17], E_KICKING), 201);
    EXPECT_EQ(player_edit_value(league_team_at(7)->players[0], E_HEIGHT), 205) << "the away record to the away team";
    EXPECT_EQ(player_edit_value(league_team_at(4)->players[18], E_KICKING), before);

    pe.editor_player = 20; // the twentieth player alone
    put(0, SLIDE_ENTRY_VALUES * 20 + E_KICKING, 77);
    apply_slide_record(bytes.data());
    EXPECT_EQ(player_edit_value(league_team_at(4)->players[19], E_KICKING), 77);
}

TEST_F(Editor, TrainingEditsComeBackFromTheirFileAndBadFilesHarmNothing)
{
    // Training: the home side's edits committed, then the league as built again.
    edit_player_page(0, 4);
    fill_slide_records(1, 7);
    set_player_edit_value(listed_player(4, 5), E_SPEED, 37);
    fill_slide_records(0, 4);
    const char* names[SQUAD_POSITIONS];
    std::vector<std::string> texts;
    for (int k = 0; k < SQUAD_POSITIONS; ++k) texts.emplace_back(player_name(listed_player(4, k)));
    for (int k = 0; k < SQUAD_POSITIONS; ++k) names[k] = texts[k].c_str();
    commit_name_edits(names);
    std::ifstream in(dir / SLIDE_DB_FILE, std::ios::binary);
    const std::vector<uint8_t> good{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    ASSERT_TRUE(slide_db_valid(good.data(), good.size())) << "the league as built is within every range";
    EXPECT_EQ(slide_db_owner.teams[0], 4);
    EXPECT_EQ(slide_db_owner.teams[1], 7);
    EXPECT_EQ(slide_db_owner.check, slide_db_check(good.data(), good.size()));
    league.give_back();
    ASSERT_NE(player_edit_value(listed_player(4, 5), E_SPEED), 37);
    EXPECT_FALSE(load_slide_db(4, 7, slide_db_owner.check + 1)) << "records written for other clubs";
    ASSERT_NE(player_edit_value(listed_player(4, 5), E_SPEED), 37);
    ASSERT_TRUE(load_slide_db(4, 7, slide_db_owner.check));
    EXPECT_EQ(player_edit_value(listed_player(4, 5), E_SPEED), 37) << "the edit survives the restart";

    auto write = [&](const std::vector<uint8_t>& bytes) {
        std::ofstream out(dir / SLIDE_DB_FILE, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    auto at = [](std::vector<uint8_t> b, size_t word, uint8_t low, uint8_t high) {
        b[4 * word] = low, b[4 * word + 3] = high;
        return b;
    };
    const size_t speed_of_first = SLIDE_ENTRY_VALUES, unused_of_first = SLIDE_ENTRY_VALUES + 7;
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } bad[] = {
        {"empty", {}},
        {"one byte short", std::vector<uint8_t>(good.begin(), good.end() - 1)},
        {"one byte long", [&] { auto b = good; b.push_back(0); return b; }()},
        {"a speed below its range", at(good, speed_of_first, 5, 0)},
        {"a negative speed", at(good, speed_of_first, 30, 0x80)},
        {"an unused value set", at(good, unused_of_first, 1, 0)},
    };
    league.give_back();
    const int32_t built = player_edit_value(listed_player(4, 0), E_SPEED);
    for (const auto& c : bad) {
        write(c.bytes);
        EXPECT_FALSE(load_slide_db(4, 7, slide_db_check(c.bytes.data(), c.bytes.size()))) << c.what;
        EXPECT_EQ(player_edit_value(listed_player(4, 0), E_SPEED), built) << c.what;
        EXPECT_NE(player_edit_value(listed_player(4, 5), E_SPEED), 37) << c.what;
    }
    fs::remove(dir / SLIDE_DB_FILE);
    EXPECT_FALSE(load_slide_db(4, 7, slide_db_owner.check)) << "no file";
}

TEST_F(Editor, AveragesAreOfTheTeamAskedAndPlayerNCountsFromOne)
{
    set_all(9, E_SPEED, 30);
    set_player_edit_value(listed_player(9, 0), E_SPEED, 39);
    game_settings.game_type = GAME_EXHIBITION;
    team_attribute_averages(9, 0);
    EXPECT_EQ(pe.shown_values[E_SPEED], (30 * 23 + 39) / 24);
    team_attribute_averages(9, 1);
    EXPECT_EQ(pe.shown_values[E_SPEED], 39) << "player 1 is the first listed";
    EXPECT_EQ(pe.slider_values[E_SPEED], 0) << "outside training only the shown values";
}

TEST_F(Editor, ARatingRecordsOverallLeavesHeightOutInTraining)
{
    const int32_t record[7] = {30, 120, 60, 240, 90, 400, 0};
    game_settings.game_type = GAME_EXHIBITION;
    EXPECT_EQ(rating_record_overall(record), (30 + 120 + 60 + 240 + 90 + 400) / 6);
    game_settings.game_type = GAME_TRAINING;
    EXPECT_EQ(rating_record_overall(record), (30 + 120 + 60 + 240 + 90) / 5);
}

TEST_F(Editor, TheSecondFrameCallbackEditsTheFirstClubsFourthPlayer)
{
    game_settings.game_type = GAME_TRAINING;
    edit_player_page(0, 6);
    pe.editor_player = 1;
    pe.slider_values[E_SPEED] = 33;
    player_editor_first_team_frame(nullptr);
    EXPECT_EQ(pe.editor_team, 0);
    EXPECT_EQ(player_edit_value(listed_player(0, 3), E_SPEED), 33);
}

TEST_F(Editor, CommittedNamesMarkTheFirstSixteenAndWriteTheSlideFile)
{
    edit_player_page(1, 7);
    const char* names[SQUAD_POSITIONS];
    std::vector<std::string> texts;
    for (int k = 0; k < SQUAD_POSITIONS; ++k) texts.emplace_back(player_name(listed_player(7, k)));
    texts[2] = "Oswin Tarrant";
    texts[20] = "Piers Holloway";
    for (int k = 0; k < SQUAD_POSITIONS; ++k) names[k] = texts[k].c_str();
    commit_name_edits(names);
    EXPECT_STREQ(player_name(listed_player(7, 2)), "Oswin Tarrant");
    EXPECT_STREQ(player_name(listed_player(7, 20)), "Piers Holloway");
    EXPECT_EQ(team_name_change_buffer[7], 1u << 2) << "listed player 20 has no bit";
    EXPECT_EQ(fs::file_size(dir / SLIDE_DB_FILE), SLIDE_DB_BYTES);

    // The commit wrote the masks; they survive a restart through their file.
    std::ifstream delta(dir / DELTA_DB_FILE, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(delta), std::istreambuf_iterator<char>()};
    ASSERT_EQ(bytes.size(), DELTA_DB_BYTES);
    EXPECT_EQ(bytes[14], 1 << 2) << "team 7's mask, low byte first";
    team_name_change_buffer[7] = 0;
    load_delta_db();
    EXPECT_EQ(team_name_change_buffer[7], 1u << 2);
    restore_team_player_names(7);
    EXPECT_FALSE(team_has_altered_names(7, 0, -1));
}

TEST_F(Editor, TheScreenOpensOnTheTeamAndTheBarsGlideToAPickedPlayer)
{
    game_settings.game_type = GAME_EXHIBITION;
    prepare_player_editor();
    edit_player_page(0, 4);
    team_attribute_averages(4, 0);
    int32_t shown_team = -1, glide_start = -1, glide_later = -1;
    bool training_texts = true, header = false;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &player_editor_screen) return;
        if (f == 2) {
            shown_team = pe.shown_values[E_SPEED];
            training_texts = pe.training_texts[0] || pe.training_texts[1];
            header = icon_slot(pe.header) >= 0;
            pick_list_icon(2);
            glide_start = pe.slider_values[E_HEIGHT];
        }
        if (f == 4) {
            glide_later = pe.slider_values[E_HEIGHT];
            front_end_state.result = 1;
        }
    });
    run_front_end_screen(&player_editor_screen);
    EXPECT_EQ(pe.shown_values[E_HEIGHT], player_edit_value(listed_player(4, 2), E_HEIGHT));
    EXPECT_LE(std::abs(glide_later - glide_start), 2 * 19 + 1) << "the bars glide at most a step a frame";
    EXPECT_NE(shown_team, -1);
    EXPECT_TRUE(header);
    EXPECT_FALSE(training_texts) << "the training texts show in training only";
    EXPECT_EQ(pe.controls, nullptr);
}

// The list's plates picked by focus and Enter, as the keys reach them: a
// pick marks its plate and unmarks the last, a second pick of the marked
// plate goes back to the whole team, and the close leaves no icon behind.
TEST_F(Editor, ListPlatesMarkTheEditedPlayerAndCloseWithTheScreen)
{
    prepare_player_editor();
    edit_player_page(1, 7);
    struct Step {
        int32_t plate;    // focused and Enter pressed
        int32_t player;   // editor_player afterwards
        int32_t marked;   // the one marked plate, -1 none
    };
    const Step steps[] = {{2, 3, 2}, {2, 0, -1}, {17, 18, 17}, {0, 1, 0}};
    std::vector<std::string> failures;
    bool training_texts = false;
    int32_t plates = 0;
    size_t step = 0;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &player_editor_screen) return;
        // Past the fade-in; Enter stays down until the screen reads it.
        const int at = f - 30;
        if (at < 0 || at % 4) return;
        if (at == 0) {
            training_texts = pe.training_texts[0] && pe.training_texts[1];
            for (menu_icon* icon : editor_widgets.rows) plates += icon_slot(icon) >= 0;
        }
        if (step > 0) {
            const Step& done = steps[step - 1];
            if (pe.editor_player != done.player)
                failures.push_back("step " + std::to_string(step) + ": player " + std::to_string(pe.editor_player));
            for (int32_t n = 0; n < EDITOR_ROWS; ++n) {
                const bool marked = editor_widgets.rows[n]->states[ICON_NORMAL].frame == EDITOR_PLATE_MARKED;
                if (marked != (n == done.marked))
                    failures.push_back("step " + std::to_string(step) + ": plate " + std::to_string(n));
            }
        }
        if (step == std::size(steps)) {
            front_end_state.result = 1;
            return;
        }
        set_focus_icon(editor_widgets.rows[steps[step++].plate]);
        key_state[KEY_ENTER] = 0x80;
    });
    run_front_end_screen(&player_editor_screen);
    EXPECT_TRUE(failures.empty()) << failures.front();
    EXPECT_EQ(plates, EDITOR_ROWS);
    EXPECT_TRUE(training_texts);
    EXPECT_EQ(pe.selected_list_player, 0) << "the last pick was the first plate";
    for (menu_icon* icon : editor_widgets.rows) EXPECT_EQ(icon, nullptr);
    EXPECT_EQ(pe.header, nullptr);
    EXPECT_EQ(active_icon_table.count, 0);
}

TEST_F(Editor, NameListEntriesMoveAndGo)
{
    uint8_t entries[3][36] = {};
    std::strcpy(reinterpret_cast<char*>(entries[0]), "Ada");
    std::strcpy(reinterpret_cast<char*>(entries[1]), "Bea");
    std::strcpy(reinterpret_cast<char*>(entries[2]), "Cy");
    swap_name_entries(entries[0], entries[1]);
    EXPECT_STREQ(reinterpret_cast<char*>(entries[0]), "Bea");
    uint8_t last[2] = {9, 8};
    move_name_entry(entries[1], entries[2], last);
    EXPECT_STREQ(reinterpret_cast<char*>(entries[1]), "Cy");
    EXPECT_EQ(entries[1][35], 8);
    EXPECT_STREQ(reinterpret_cast<char*>(entries[2]), "");
    int32_t count = 3;
    remove_name_entry(&entries[0][0], &count, 0);
    EXPECT_EQ(count, 2);
    EXPECT_STREQ(reinterpret_cast<char*>(entries[0]), "Cy");
    EXPECT_STREQ(reinterpret_cast<char*>(entries[2]), "");
}

} // namespace
