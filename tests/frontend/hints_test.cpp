#include "control_fixture.h"

#include "frontend/hints.h"
#include "host/host_test_hooks.h"
#include "host/paths.h"
#include "match/match_records.h"
#include "screen/screen.h"
#include "screen/screen_services.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

TEST(HintsText, LinesJoinIntoParagraphsAndControlBytesBecomeBlanks)
{
    const std::string long_line(60, 'a');
    const std::string very_long(300, 'b');
    struct Case {
        const char* name;
        std::string file, want;
    };
    const Case cases[] = {
        {"short lines keep their ends", "HEADING\r\n\r\nshort\n", "HEADING\n\nshort\n"},
        {"a long line runs on", long_line + "\r\nnext\n", long_line + " next\n"},
        {"53 with its end still ends", std::string(52, 'c') + "\n", std::string(52, 'c') + "\n"},
        {"54 with its end runs on", std::string(53, 'c') + "\n", std::string(53, 'c') + " "},
        {"a line past 256 is read in pieces", very_long + "\n", very_long + "\n"},
        {"no end at the end", "tail", "tail"},
        {"control bytes are blanks", std::string("a\x01\x03z\x02\x7f\n", 7), "a  z  \n"},
        {"nothing", "", ""},
    };
    for (const Case& c : cases) {
        const std::string got =
            join_hints_text(reinterpret_cast<const uint8_t*>(c.file.data()), static_cast<uint32_t>(c.file.size()));
        EXPECT_EQ(got, c.want) << c.name;
    }
}

struct Hints : Controls {
    void SetUp() override
    {
        Controls::SetUp();
        reset_hints();
        prepare_hints_screens();
    }
    void TearDown() override
    {
        reset_hints();
        host_set_data_dir("");
        std::error_code ec;
        fs::remove_all(own_data, ec);
        Controls::TearDown();
    }
    // A data directory of the test's own holding the given hints file (none
    // when null).
    void use_hints_file(const char* text)
    {
        own_data = host_user_dir() + "/hints-data";
        fs::remove_all(own_data);
        fs::create_directories(own_data);
        host_set_data_dir(own_data);
        if (!text) return;
        const fs::path file = host_data_file(HINTS_FILE);
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }
    static std::vector<std::string> rows()
    {
        std::vector<std::string> out;
        const control* list = static_cast<control*>(hints_state.controls->first->data);
        for (A_LLIST_NODE* n = list_record(list)->settings.items->first; n; n = n->next)
            out.push_back(string_record(static_cast<control*>(n->data))->settings.text);
        return out;
    }
    std::string own_data;
};

TEST_F(Hints, TheKitsFileIsReadAfreshWithHeadingsInTheInGameScreen)
{
    hints_open(nullptr);
    const std::vector<std::string> lines = rows();
    ASSERT_GT(lines.size(), 7u);
    EXPECT_EQ(lines[0], "GETTING STARTED");
    const control* list = static_cast<control*>(hints_state.controls->first->data);
    auto font_of = [&](int i) {
        return string_record(static_cast<control*>(list_nth(list_record(list)->settings.items, i)->data))
            ->display.text_icon.states[0]
            .image;
    };
    EXPECT_EQ(font_of(0), heading_text_template.states[0].image);
    EXPECT_EQ(font_of(1), body_text_template.states[0].image);
    EXPECT_EQ(font_of(7), heading_text_template.states[0].image);
    select_font(HINTS_FONT);
    for (const std::string& l : lines) EXPECT_LE(string_width(l), HINTS_WIDTH) << l;
    EXPECT_NE(list_record(list)->settings.vslider, nullptr) << "more than the window holds";
    hints_close(nullptr);
    EXPECT_EQ(hints_state.controls, nullptr);
    EXPECT_EQ(front_end_state.default_action, nullptr);
}

TEST_F(Hints, ShortLinesStandAloneAndAParagraphFlowsAtTheWidth)
{
    use_hints_file("One\nTwo\n\nThis sentence is long enough that its end is a blank and\nit flows on into this "
                   "second line and wraps again wherever four hundred pixels run out of room.\n");
    hints_open(nullptr);
    const std::vector<std::string> lines = rows();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "One");
    EXPECT_EQ(lines[1], "Two");
    EXPECT_EQ(lines[2], "");
    // The first paragraph's two source lines flow together.
    std::string flowed;
    for (size_t i = 3; i < lines.size(); ++i) flowed += lines[i] + " ";
    for (size_t at; (at = flowed.find("  ")) != std::string::npos;) flowed.erase(at, 1);
    EXPECT_NE(flowed.find("a blank and it flows"), std::string::npos) << flowed;
    hints_close(nullptr);
}

TEST_F(Hints, AMissingFileShowsItsOneLineAndAHostileOneStaysText)
{
    use_hints_file(nullptr);
    hints_open(nullptr);
    EXPECT_EQ(rows(), std::vector<std::string>{NO_HINTS_TEXT});
    hints_close(nullptr);
    EXPECT_EQ(hints_state.missing_line, nullptr) << "the held line is freed";

    std::string hostile;
    for (int i = 0; i < 3000; ++i) hostile += static_cast<char>(i % 7 == 0 ? '\n' : (i % 5 == 0 ? 1 : 'x'));
    use_hints_file(hostile.c_str());
    hints_open(nullptr);
    const std::vector<std::string> lines = rows();
    EXPECT_LE(lines.size(), 500u);
    for (const std::string& l : lines) EXPECT_EQ(l.find('\x01'), std::string::npos);
    hints_close(nullptr);
}

TEST_F(Hints, MoreThanFiveHundredLinesShowsTheFirstFiveHundred)
{
    std::string many;
    for (int i = 0; i < 700; ++i) many += "Line " + std::to_string(i) + "\n";
    use_hints_file(many.c_str());
    hints_open(nullptr);
    const std::vector<std::string> lines = rows();
    EXPECT_EQ(lines.size(), 500u);
    EXPECT_EQ(lines.back(), "Line 499");
    hints_close(nullptr);
}

TEST_F(Hints, TheFrontEndScreenOpensAndClosesLeavingNothing)
{
    for (int round = 0; round < 2; ++round) {
        PointerScript::start([](menu_screen* s, int f) {
            if (s == &hints_screen && f == 3) key_state[KEY_ESCAPE] = 0x80;
        });
        run_front_end_screen(&hints_screen);
        EXPECT_EQ(front_end_state.result, 2);
        EXPECT_EQ(hints_state.controls, nullptr);
        EXPECT_EQ(active_icon_table.count, 0);
        EXPECT_EQ(list_scroll_up_hook, nullptr) << "the list's hooks go at the close";
    }
}

TEST_F(Hints, TheInGameMenuPictureHasTheDifficultyDuringExhibitionAndTraining)
{
    const struct {
        int32_t stage, type;
        bool difficulty;
    } cases[] = {{0, GAME_EXHIBITION, true}, {0, GAME_TRAINING, true}, {1, GAME_EXHIBITION, false}, {0, GAME_DEMO, false}};
    const int32_t saved = game_settings.game_type;
    for (const auto& c : cases) {
        match_stage = c.stage;
        game_settings.game_type = c.type;
        choose_in_game_menu_picture();
        EXPECT_EQ(std::string(in_game_menu_pictures[1]).find("difficulty") != std::string::npos, c.difficulty);
    }
    game_settings.game_type = saved;
}

} // namespace

namespace {

TEST_F(Hints, TheHintsAreDrawnInsideTheirWindowOnly)
{
    int32_t inside = -1, below = -1;
    PointerScript::start([&](menu_screen* s, int f) {
        if (s != &hints_screen || f != 30) return;
        inside = lit_pixels(130, 130, 530, 380);
        below = lit_pixels(130, 384, 530, 410); // clipped at the window's bottom
        key_state[KEY_ESCAPE] = 0x80;
    });
    run_front_end_screen(&hints_screen);
    EXPECT_GT(inside, 500);
    EXPECT_EQ(below, 0);
}

} // namespace
