#include "game_files_fixture.h"

#include "lib/language_write.h"
#include "platform/language.h"

#include <cstring>

namespace
{

// The kit's software fonts 1 and 2, loaded from the data set for a test.
// A measure standing in for the screen's fonts: font f gives each byte f * 5
// pixels and a line 12 high.
int16_t g_measured_font = -1;
struct FakeMeasure {
    FakeMeasure()
    {
        set_text_measure(TextMeasure{[](int16_t font) { g_measured_font = font; },
                                     [](const char* text) { return int32_t(std::strlen(text)) * g_measured_font * 5; },
                                     [](const char*) { return int32_t(12); }});
    }
    ~FakeMeasure() { set_text_measure(TextMeasure{}); }
};

class Language : public GameFiles
{
  protected:
    void TearDown() override
    {
        reset_language_text();
        GameFiles::TearDown();
    }
    void install_language(const std::vector<uint8_t>& bytes)
    {
        write(data("front_en/lang/english.dat"), bytes);
        load_language_text();
        select_language(0);
    }
};

std::vector<uint8_t> language_file(const std::vector<std::string>& texts)
{
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(kit_language_file(texts, bytes, error)) << error;
    return bytes;
}

TEST_F(Language, TextsComeByNumber)
{
    install_language(language_file({"Tallowmere", "", " ", "GOAL"}));
    EXPECT_STREQ(get_text(0), "Tallowmere");
    EXPECT_STREQ(get_text(1), "");
    EXPECT_STREQ(get_text(2), " ");
    EXPECT_STREQ(get_text(3), "GOAL");

    const char* held = get_text(0);
    load_language_text(); // the match hand-over loads it again
    EXPECT_EQ(get_text(0), held) << "texts held by screens stay valid";
}

TEST_F(Language, NumbersOutsideTheFileGiveAnEmptyText)
{
    install_language(language_file({"one", "two"}));
    for (uint16_t number : {2, 100, 0xFFFF}) EXPECT_STREQ(get_text(number), "") << number;
    EXPECT_STREQ(get_text(0), "one");
    // Text bytes that read as an offset are no entry of the table: number 2
    // would take text 0's "\x08" for one and land on the 1 inside text 1,
    // whose argument is the text's end.
    install_language({4, 0, 6, 0, 8, 0, 2, 0, 1, 0});
    EXPECT_STREQ(get_text(0), "\x08");
    EXPECT_EQ(control_string_length(get_text(1)), 3u);
    EXPECT_STREQ(get_text(2), "") << "past the table";
}

TEST_F(Language, ABadFileIsRefusedNamingIt)
{
    const std::vector<uint8_t> good = language_file({"one", "two"}); // 4, 8: "one\0two\0"
    auto spoilt = [&](void (*spoil)(std::vector<uint8_t>&)) {
        std::vector<uint8_t> bytes = good;
        spoil(bytes);
        return bytes;
    };
    const struct {
        const char* why;
        std::vector<uint8_t> file;
    } cases[] = {
        {"cut short", spoilt([](std::vector<uint8_t>& b) { b.pop_back(); })},
        {"cut inside the table", {4, 0, 8}},
        {"padded with garbage", spoilt([](std::vector<uint8_t>& b) { b.insert(b.end(), {'x', 'y'}); })},
        {"an offset past the end", spoilt([](std::vector<uint8_t>& b) { b[2] = 0xF0; })},
        {"an offset inside the table", spoilt([](std::vector<uint8_t>& b) { b[2] = 1, b[3] = 0; })},
        {"a control byte's argument past the end", spoilt([](std::vector<uint8_t>& b) { b[10] = 2; })},
        {"a control byte just before the last zero", {0xCA, 0x04, 0x01, 0x00}},
        {"an empty text table", {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_FALSE(language_file_fault(c.file.data(), static_cast<uint32_t>(c.file.size())).empty());
        write(data("front_en/lang/english.dat"), c.file);
        std::string box = fatal_message([] { load_language_text(); });
        EXPECT_NE(box.find(data("front_en/lang/english.dat").string()), std::string::npos) << box;
        EXPECT_NE(box.find("not a language file"), std::string::npos) << box;
    }
    // Control bytes whose arguments are zeros stay inside a good file.
    std::vector<uint8_t> controls = {2, 0, 2, 0, 0, 'a', 1, 0, 0};
    EXPECT_EQ(language_file_fault(controls.data(), 9), "");
    install_language(controls);
    EXPECT_EQ(control_string_length(get_text(0)), 6u);
}

// Every character 10 pixels wide, lines 12 high.
std::vector<uint8_t> ten_wide()
{
    std::vector<uint8_t> table(256, 10);
    table[0] = 9, table[1] = 12, table[2] = 10;
    return table;
}

std::vector<std::string> layout(const char* text, int32_t width, int32_t* height = nullptr)
{
    std::vector<uint8_t> widths = ten_wide();
    char* lines[MAX_TEXT_LINES];
    int32_t count = -1;
    int32_t h = format_text_lines_with_widths(widths.data(), lines, &count, text, width);
    if (height) *height = h;
    std::vector<std::string> out;
    for (int32_t i = 0; i < count; ++i)
        out.push_back(lines[i]);
    for (int32_t i = count; i < MAX_TEXT_LINES && count > 0; ++i)
        EXPECT_EQ(lines[i], nullptr);
    free_text_lines();
    return out;
}

using Lines = std::vector<std::string>;

TEST(TextLayout, LinesBreakAndBalance)
{
    const struct {
        const char* text;
        int32_t width;
        Lines lines;
    } cases[] = {
        {"aaa bbb", 70, {"aaa bbb"}}, // exactly the width fits
        {"aaa bbb", 69, {"aaa ", "bbb"}},
        {"a b c d e f g h i j k", 100, {"a b c d ", "e f g h ", "i j k"}}, // three lines of a third each
        {"a\nb c", 1000, {"a", "b c"}},                                    // a line feed in a word breaks
        {"x\ny\nz w", 1000, {"x", "y", "z w"}},                            // and keeps every part
        {"aaaaaaaaaaaa", 50, {"", "aaaaaaaaaaaa"}}, // too wide alone: line 0 stays empty
    };
    for (const auto& c : cases)
        EXPECT_EQ(layout(c.text, c.width), c.lines) << c.text;

    int32_t height = 0;
    EXPECT_TRUE(layout("", 100, &height).empty());
    EXPECT_EQ(height, 12);
}

TEST(TextLayout, FontLayoutMeasuresInTheGivenFontAndGivesTheBlockHeight)
{
    char* lines[MAX_TEXT_LINES];
    int32_t count = 0;
    {
        FakeMeasure measure;
        EXPECT_EQ(format_text_lines(lines, &count, "aaa bbb", 70, 2), 12);
        EXPECT_EQ(g_measured_font, 2);
        EXPECT_EQ(count, 1);
        free_text_lines();
        EXPECT_EQ(format_text_lines(lines, &count, "aaa bbb", 69, 2), 24);
        ASSERT_EQ(count, 2);
        EXPECT_STREQ(lines[1], "bbb");
        free_text_lines();
        EXPECT_EQ(format_text_lines(lines, &count, "aaa bbb", 70, 3), 24) << "wider in font 3";
        free_text_lines();
        EXPECT_EQ(format_text_lines(lines, &count, "", 100, 2), 0);
        EXPECT_EQ(count, 0);
    }
    // With no fonts installed nothing has a width: one line, no height.
    EXPECT_EQ(format_text_lines(lines, &count, "aaa bbb", 1, 2), 0);
    EXPECT_EQ(count, 1);
    free_text_lines();
}

TEST(TextLayout, TheLastLineTakesTheRestWithinItsBuffer)
{
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "ab ";
    text += "end";
    Lines lines = layout(text.c_str(), 5);
    ASSERT_EQ(lines.size(), 500u);
    EXPECT_EQ(lines[1], "ab ");
    EXPECT_EQ(lines[499].size(), (2000 - 498) * 3 + 3) << "nothing lost, nothing written past a buffer";
}

TEST(TextLayout, StringHelpersReturnTheDestination)
{
    char text[16];
    EXPECT_EQ(string_copy(text, "Free"), text);
    EXPECT_EQ(string_append(text, " kick"), text);
    EXPECT_STREQ(text, "Free kick");
    EXPECT_EQ(string_length(text), 9);
}

TEST(TextLayout, ControlStringLengthSkipsArguments)
{
    const struct {
        std::vector<char> text;
        uint32_t length;
    } cases[] = {
        {{'a', 'b', 'c', 0}, 3}, {{2, 0, 0, 'x', 0}, 4}, // zero arguments do not end the walk
        {{1, 5, 'a', 0}, 3},     {{3, 16, 1, 'z', 'z', 0}, 5}, {{0}, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(control_string_length(c.text.data()), c.length);
}

} // namespace
