#include "lib/kit.h"
#include "host/host_test_hooks.h"
#include "lib/language_write.h"
#include "lib/wav_write.h"
#include "host/paths.h"
#include "platform/language.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

namespace
{

std::vector<std::string> source_texts()
{
    const char* sources = std::getenv("KOB99_KIT_SOURCES");
    EXPECT_NE(sources, nullptr);
    KitContext ctx{sources ? sources : "", ""};
    std::string text, error;
    EXPECT_TRUE(kit_read_source(ctx, "texts/english.txt", text, error)) << error;
    std::vector<std::string> texts;
    EXPECT_TRUE(kit_parse_texts(text, texts, error)) << error;
    return texts;
}

// Every text number the game fetches.
std::vector<int> used_numbers()
{
    std::vector<int> n;
    for (int i = 0; i <= 15; ++i)
        n.push_back(i), n.push_back(20 + i);
    for (int i = 161; i <= 171; ++i)
        n.push_back(i);
    for (int i : {173, 175, 176, 179, 182, 183, 185, 199, 201, 202, 203, 207, 285, 312, 314, 316})
        n.push_back(i);
    for (int i = 210; i <= 215; ++i)
        n.push_back(i);
    for (int i = 323; i <= 330; ++i)
        n.push_back(i);
    for (int i = 332; i <= 360; ++i) // 357 on: our own prompts at a person's choices
        n.push_back(i);
    return n;
}

TEST(EnglishText, EveryUsedNumberHasItsText)
{
    std::vector<std::string> texts = source_texts();
    ASSERT_EQ(texts.size(), 361u);
    for (int n : used_numbers())
        EXPECT_FALSE(texts[static_cast<size_t>(n)].empty()) << "text " << n;
    EXPECT_EQ(texts[169], " ") << "the banners' separator";
    for (int n : {199, 335, 348, 167, 168})
        EXPECT_EQ(texts[static_cast<size_t>(n)].front(), ' ') << n;
    for (int n : {323, 324, 327, 328, 329, 333, 336, 337, 343, 348, 351, 353})
        EXPECT_EQ(texts[static_cast<size_t>(n)].back(), ' ') << n;
}

TEST(EnglishText, ClubNamesAreShortAndUnique)
{
    std::vector<std::string> texts = source_texts();
    ASSERT_GE(texts.size(), 36u);
    std::set<std::string> names, nicknames;
    for (size_t club = 0; club < 16; ++club) {
        const std::string& name = texts[club];
        EXPECT_LE(name.size(), 14u) << name;
        ASSERT_FALSE(name.empty());
        EXPECT_TRUE(name.front() != ' ' && name.back() != ' ') << "banners add their own blanks: " << name;
        EXPECT_TRUE(names.insert(name).second) << "two clubs named " << name;
        EXPECT_TRUE(nicknames.insert(texts[20 + club]).second) << texts[20 + club];
    }
}

TEST(EnglishText, TheSourceFormatIsChecked)
{
    const struct {
        const char* source;
        bool ok;
    } cases[] = {
        {"# a comment\n\n3 \"three\"\n1 \"say \\\"hi\\\" \\\\ \"\n", true},
        {"1 \"a\"\n1 \"b\"\n", false}, // twice
        {"1 \"open\n", false},         // unterminated
        {"one \"x\"\n", false},        // no number
        {"1 \"100%\"\n", false},       // a format character
        {"1 \"a\tb\"\n", false},       // a control byte
        {"1 \"a\" extra\n", false},    // junk after the text
        {"1 \"bad \\n escape\"\n", false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> texts;
        std::string error;
        EXPECT_EQ(kit_parse_texts(c.source, texts, error), c.ok) << c.source;
        if (!c.ok) {
            EXPECT_FALSE(error.empty());
        }
    }
    std::vector<std::string> texts;
    std::string error;
    ASSERT_TRUE(kit_parse_texts(cases[0].source, texts, error));
    EXPECT_EQ(texts, (std::vector<std::string>{"", "say \"hi\" \\ ", "", "three"}));

    std::vector<uint8_t> bytes;
    EXPECT_FALSE(kit_language_file(std::vector<std::string>(3, std::string(40000, 'x')), bytes, error))
        << "the third text starts beyond a u16 offset";
}

TEST(EnglishText, TheDataSetHoldsTheBuiltFile)
{
    host_set_data_dir(""); // the data directory the kit built
    std::ifstream in(host_data_file("front_en\\lang\\english.dat"), std::ios::binary);
    ASSERT_TRUE(in) << "kobkit has not written the language file";
    std::vector<uint8_t> built((std::istreambuf_iterator<char>(in)), {});
    std::vector<uint8_t> expected;
    std::string error;
    ASSERT_TRUE(kit_language_file(source_texts(), expected, error));
    EXPECT_EQ(built, expected);

    load_language_text();
    select_language(0);
    std::vector<std::string> texts = source_texts();
    for (uint16_t n = 0; n < texts.size(); ++n)
        ASSERT_EQ(get_text(n), texts[n]) << n;
    EXPECT_STREQ(get_text(361), "");
}

TEST(WavWriter, HeaderDescribesTheSamples)
{
    std::vector<uint8_t> wav = kit_wav_mono16(22050, {0, 1000, -1000});
    ASSERT_EQ(wav.size(), 44u + 6u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(wav[4] | wav[5] << 8, 42); // everything after the RIFF size
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(wav[24] | wav[25] << 8 | wav[26] << 16, 22050);
    EXPECT_EQ(wav[28] | wav[29] << 8, 44100); // bytes a second
    EXPECT_EQ(wav[34], 16);
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    EXPECT_EQ(wav[40], 6);
    EXPECT_EQ(wav[46] | wav[47] << 8, 1000);
    EXPECT_EQ(kit_wav(1, 11025, 8, {1, 2, 3}).size(), 44u + 4u) << "odd data is padded";
}

} // namespace
