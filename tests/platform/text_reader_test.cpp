#include "game_files_fixture.h"

#include "platform/text_reader.h"

#include <cstring>

namespace
{

// The file's bytes with no terminator after them, as the reader gets them.
struct Buffer {
    std::vector<uint8_t> bytes;
    config_reader reader;
    explicit Buffer(const std::string& text) : bytes(text.begin(), text.end())
    {
        reader = config_reader{bytes.data(), static_cast<uint32_t>(bytes.size()), 0};
    }
};

TEST(ConfigReader, FindsKeysAndParsesTheirValues)
{
    Buffer b("depth 3; width = 640; scale=1.5; ratio = -0.25; name = pitch_a; ");
    int32_t n = 0;
    ASSERT_EQ(find_config_value(b.reader, "width", CONFIG_INT, &n, " =;", ""), 1);
    EXPECT_EQ(n, 640);
    EXPECT_EQ(b.bytes[b.reader.position], ';') << "the position stays on the ending character";

    double d = 0;
    ASSERT_EQ(find_config_value(b.reader, "scale", CONFIG_DOUBLE, &d, " =;", ""), 1);
    EXPECT_EQ(d, 1.5);
    float f = 0;
    ASSERT_EQ(find_config_value(b.reader, "ratio", CONFIG_FLOAT, &f, " =;", ""), 1);
    EXPECT_EQ(f, -0.25f);
    char word[CONFIG_VALUE_SIZE];
    ASSERT_EQ(find_config_value(b.reader, "name", CONFIG_WORD, word, " =;", ""), 1);
    EXPECT_STREQ(word, "pitch_a");
    EXPECT_EQ(find_config_value(b.reader, "depth", CONFIG_INT, &n, " =;", ""), 0)
        << "searches go forward only";
}

TEST(ConfigReader, FailuresReturnZeroOrTheStopCode)
{
    int32_t n = 7;
    const struct {
        const char* text;
        const char* key;
        int32_t result;
    } cases[] = {
        {"height = 480; width", "width", 0}, // the key ends the file
        {"width = 640", "width", 0},         // no skip character after the value
        {"width \n 640;", "width", 2},       // a stop character before the value
        {"height = 480;", "width", 0},       // no such key
        {"widt", "width", 0},                // part of the key at the end
        {"width = ;;;", "width", 0},         // no value
    };
    for (const auto& c : cases) {
        Buffer b(c.text);
        EXPECT_EQ(find_config_value(b.reader, c.key, CONFIG_INT, &n, " =;", "\n"), c.result) << c.text;
    }
    EXPECT_EQ(n, 7);

    Buffer huge("width = " + std::string(300, '9') + ";");
    EXPECT_EQ(find_config_value(huge.reader, "width", CONFIG_INT, &n, " =;", ""), 0)
        << "a value longer than its buffer";
    Buffer big("width = 99999999999;");
    ASSERT_EQ(find_config_value(big.reader, "width", CONFIG_INT, &n, " =;", ""), 1);
    EXPECT_EQ(n, INT32_MAX);
}

TEST(TextLines, ReadsLinesDroppingCarriageReturns)
{
    const uint8_t source[] = {'a', 'b', 13, 10, 'c', 'd'};
    char line[16];
    uint32_t pos = 0;
    EXPECT_EQ(read_text_line(line, sizeof line, source, sizeof source, &pos), line);
    EXPECT_STREQ(line, "ab\n");
    EXPECT_EQ(read_text_line(line, sizeof line, source, sizeof source, &pos), nullptr)
        << "the last line comes as null";
    EXPECT_STREQ(line, "cd");
}

TEST(TextLines, ALongLineStaysInsideTheDestination)
{
    const std::string text = "abcdefghij\nk";
    const uint8_t* source = reinterpret_cast<const uint8_t*>(text.data());
    char line[8];
    std::memset(line, '#', sizeof line);
    uint32_t pos = 0;
    EXPECT_EQ(read_text_line(line, 4, source, static_cast<uint32_t>(text.size()), &pos), line);
    EXPECT_EQ(line[4], '#');
    EXPECT_LT(std::strlen(line), 4u);
    std::string all = line;
    while (read_text_line(line, 4, source, static_cast<uint32_t>(text.size()), &pos))
        all += line;
    all += line;
    EXPECT_EQ(all, text) << "the rest of the line comes with the next calls";
}

TEST(TextBuffers, WritersAndSkippers)
{
    uint8_t out[8] = {};
    uint32_t pos = 0;
    EXPECT_TRUE(append_text_line_ends("a\nb", out, sizeof out, &pos));
    EXPECT_EQ(pos, 4u);
    EXPECT_EQ(std::memcmp(out, "a\n\rb", 4), 0);
    EXPECT_FALSE(append_text_line_ends("cdefgh", out, sizeof out, &pos));
    EXPECT_EQ(pos, 8u);

    uint8_t store[8];
    uint32_t at = 0;
    EXPECT_EQ(append_bytes(store, "xyz", 3, &at), 3);
    EXPECT_EQ(append_bytes(store, "xyz", 0, &at), 0);
    char back[3];
    at = 1;
    EXPECT_EQ(take_bytes(back, store, 2, &at), 2);
    EXPECT_EQ(at, 3u);
    EXPECT_EQ(std::memcmp(back, "yz", 2), 0);

    uint8_t text[] = {' ', '\t', 'w', 'o', 1, 'r', 'd', ' ', 'x', '\r', '\n', 'y'};
    char word[CONFIG_VALUE_SIZE];
    uint32_t p = 0;
    ASSERT_EQ(read_word(word, text, &p, sizeof text), 1);
    EXPECT_STREQ(word, "wo rd");
    EXPECT_EQ(text[4], ' ') << "the control byte is blanked in the buffer too";
    EXPECT_EQ(skip_to_line_end(text, &p, sizeof text), 1);
    EXPECT_EQ(p, 9u);
    EXPECT_EQ(skip_line_ends(text, &p, sizeof text), 1);
    EXPECT_EQ(p, 11u);
    uint32_t q = 7;
    EXPECT_EQ(skip_blanks(text, &q, 8), 0) << "the limit reached";

    std::vector<uint8_t> long_word(300, 'w');
    p = 0;
    ASSERT_EQ(read_word(word, long_word.data(), &p, static_cast<uint32_t>(long_word.size())), 1);
    EXPECT_EQ(std::strlen(word), CONFIG_VALUE_SIZE - 1);
}

using ConfigFiles = GameFiles;

TEST_F(ConfigFiles, OpensWholeFiles)
{
    write(data("meshes/Logo.x"), std::string("Frame logo { 12; }"));
    config_reader r{};
    open_config_file(r, "meshes\\logo.x");
    int32_t n = 0;
    EXPECT_EQ(find_config_value(r, "{", CONFIG_INT, &n, " ;", ""), 1);
    EXPECT_EQ(n, 12);
    close_config_file(r);
    EXPECT_EQ(r.buffer, nullptr);
}

} // namespace
