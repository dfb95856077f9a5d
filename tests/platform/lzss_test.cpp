#include "game_files_fixture.h"

#include "lib/lzss_write.h"
#include "platform/lzss.h"

#include <cstdlib>
#include <cstring>

namespace
{

std::FILE* memory_stream(const std::vector<uint8_t>& bytes)
{
    std::FILE* f = std::tmpfile();
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    return f;
}

std::vector<uint8_t> slurp(std::FILE* f)
{
    std::rewind(f);
    std::vector<uint8_t> bytes;
    for (int c; (c = std::fgetc(f)) != EOF;)
        bytes.push_back(static_cast<uint8_t>(c));
    return bytes;
}

// Decodes into a buffer of capacity bytes; false when the decoder refuses.
bool decode(const std::vector<uint8_t>& stream, uint32_t capacity, std::vector<uint8_t>& out)
{
    std::FILE* f = memory_stream(stream);
    bit_file in = open_bit_file(f);
    out.assign(capacity + 8, 0xEE);
    uint8_t* end = lzss_decode_to_memory(out.data(), capacity, in);
    std::fclose(f);
    for (size_t i = capacity; i < out.size(); ++i)
        EXPECT_EQ(out[i], 0xEE) << "written past the buffer";
    if (!end) return false;
    out.resize(static_cast<size_t>(end - out.data()));
    return true;
}

std::vector<uint8_t> pseudo_random(size_t n, uint32_t seed, uint32_t alphabet)
{
    std::vector<uint8_t> v(n);
    for (uint8_t& b : v) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>((seed >> 16) % alphabet);
    }
    return v;
}

TEST(Lzss, RoundTripsKeepEveryByte)
{
    std::vector<uint8_t> text;
    for (int i = 0; i < 3000; ++i) {
        const char* line = i % 3 ? "kick to the western end, " : "GOAL! Kicked by ";
        text.insert(text.end(), line, line + std::strlen(line));
    }
    std::vector<uint8_t> every_byte;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 256; ++c)
            every_byte.push_back(static_cast<uint8_t>(c));
    std::vector<uint8_t> far_repeat = pseudo_random(5000, 7, 256); // repeats across the window's wrap
    far_repeat.insert(far_repeat.end(), far_repeat.begin() + 1000, far_repeat.begin() + 4000);

    const struct {
        const char* name;
        std::vector<uint8_t> data;
    } cases[] = {
        {"empty", {}},
        {"one byte", {42}},
        {"two different", {1, 2}},
        {"run of 20", std::vector<uint8_t>(20, 'a')},
        {"long run", std::vector<uint8_t>(10000, 0)},
        {"every byte value", every_byte},
        {"random", pseudo_random(20000, 1, 256)},
        {"few symbols", pseudo_random(20000, 3, 3)},
        {"text", text},
        {"far repeats", far_repeat},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> stream = kit_lzss_stream(c.data), out;
        ASSERT_TRUE(decode(stream, static_cast<uint32_t>(c.data.size()), out)) << c.name;
        EXPECT_EQ(out, c.data) << c.name;

        // The stream forms read and write the same format.
        std::FILE* src = memory_stream(c.data);
        std::FILE* packed = std::tmpfile();
        bit_file w = open_bit_file(packed);
        EXPECT_EQ(lzss_encode(src, w), static_cast<int32_t>(c.data.size())) << c.name;
        close_bit_writer(w, false);
        EXPECT_EQ(slurp(packed), stream) << c.name;
        std::rewind(packed);
        std::FILE* unpacked = std::tmpfile();
        bit_file r = open_bit_file(packed);
        EXPECT_EQ(lzss_decode_stream(r, unpacked), static_cast<int32_t>(c.data.size())) << c.name;
        EXPECT_EQ(slurp(unpacked), c.data) << c.name;
        for (std::FILE* f : {src, packed, unpacked})
            std::fclose(f);
    }
    EXPECT_LT(kit_lzss_stream(text).size(), text.size() / 7); // 17 bits for 17 bytes at best
}

TEST(Lzss, EncoderTokensFollowTheFormat)
{
    // A run of 20: one literal, then position 1 of length 17 over its own output.
    KitBitWriter run;
    run.literal('a');
    run.copy(1, 17);
    std::vector<uint8_t> expected = run.finish(), got = kit_lzss_stream(std::vector<uint8_t>(20, 'a'));
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(std::vector<uint8_t>(got.begin(), got.begin() + 3),
              std::vector<uint8_t>(expected.begin(), expected.begin() + 3));

    KitBitWriter two;
    two.literal('x');
    two.literal('y');
    two.end();
    EXPECT_EQ(kit_lzss_stream({'x', 'y'}), two.finish());

    KitBitWriter nothing;
    nothing.end();
    EXPECT_EQ(kit_lzss_stream({}), nothing.finish());
    EXPECT_EQ(nothing.finish().size(), 2u); // 13 bits, padded
}

TEST(Lzss, DecoderReadsHandBuiltStreams)
{
    KitBitWriter overlap;
    overlap.literal('x');
    overlap.literal('y');
    overlap.copy(1, 5); // x y x y x, copied while written
    overlap.end();
    std::vector<uint8_t> out;
    ASSERT_TRUE(decode(overlap.finish(), 16, out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "xyxyxyx");

    KitBitWriter only_end;
    only_end.end();
    ASSERT_TRUE(decode(only_end.finish(), 0, out));
    EXPECT_TRUE(out.empty());
}

TEST(Lzss, DecoderRefusesBrokenAndOverlongStreams)
{
    KitBitWriter body;
    body.literal('a');
    body.copy(1, 17);
    std::vector<uint8_t> no_end = body.finish(); // breaks off where the end token should be
    std::vector<uint8_t> out;
    EXPECT_FALSE(decode(no_end, 64, out));

    KitBitWriter half;
    half.literal('a');
    half.bit(0);
    half.bits(1, 5); // half a position
    EXPECT_FALSE(decode(half.finish(), 64, out));

    body.end();
    std::vector<uint8_t> whole = body.finish();
    ASSERT_TRUE(decode(whole, 18, out));
    std::FILE* f = memory_stream(whole);
    bit_file in = open_bit_file(f);
    std::vector<uint8_t> small(24, 0xEE);
    EXPECT_EQ(lzss_decode_to_memory(small.data(), 10, in), nullptr);
    std::fclose(f);
    for (size_t i = 10; i < small.size(); ++i)
        EXPECT_EQ(small[i], 0xEE) << "nothing written past the buffer";
}

uint8_t* load_image_bytes(const std::vector<uint8_t>& bytes, uint32_t* w, uint32_t* h)
{
    return load_lkz_image(memory_stream(bytes), w, h);
}

TEST(LkzImage, KitImagesLoad)
{
    std::vector<uint32_t> pixels;
    for (uint32_t i = 0; i < 40 * 30; ++i)
        pixels.push_back(0xFF000000u | (i % 40) << 16 | (i / 40) << 8 | (i & 7));
    uint32_t w = 0, h = 0;
    uint8_t* image = load_image_bytes(kit_lkz_image(40, 30, pixels), &w, &h);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(w, 40u);
    EXPECT_EQ(h, 30u);
    for (uint32_t i = 0; i < pixels.size(); ++i) {
        uint32_t p = image[4 * i] | image[4 * i + 1] << 8 | image[4 * i + 2] << 16 |
                     static_cast<uint32_t>(image[4 * i + 3]) << 24;
        ASSERT_EQ(p, pixels[i]) << i;
    }
    std::free(image);

    // The game's own writer makes the same file.
    std::FILE* f = std::tmpfile();
    int fd = dup(fileno(f));
    EXPECT_NE(save_lkz_image(f, lkz_image{40, 30, pixels.data()}), 0);
    std::FILE* back = fdopen(fd, "rb");
    EXPECT_EQ(slurp(back), kit_lkz_image(40, 30, pixels));
    std::fclose(back);
}

TEST(LkzImage, AnImageObjectIsFilledAndKeepsACopyOfItsName)
{
    char name[] = "menu\\panel.lkz";
    image_object* image = new_image_object(3, 2, 0x11223344u, name);
    ASSERT_NE(image, nullptr);
    name[0] = 'X';
    EXPECT_STREQ(image->name, "menu\\panel.lkz");
    EXPECT_EQ(image->name_length, 14u);
    EXPECT_EQ(image->depth, 32u);
    EXPECT_EQ(image->width, 3u);
    EXPECT_EQ(std::vector<uint32_t>(image->pixels, image->pixels + 6), std::vector<uint32_t>(6, 0x11223344u));
    free_image_object(image);

    image = new_image_object(1, 1, 0, nullptr);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->name, nullptr);
    EXPECT_EQ(image->name_length, 0u);
    free_image_object(image);
    EXPECT_EQ(new_image_object(0x10000, 0x10000, 0, "huge"), nullptr);
}

TEST(LkzImage, HostileImagesAreRefused)
{
    std::vector<uint32_t> pixels(16 * 16, 0x11223344u);
    std::vector<uint8_t> good = kit_lkz_image(16, 16, pixels);

    std::vector<uint8_t> short_stream = kit_lkz_image(16, 15, std::vector<uint32_t>(16 * 15, 0x11223344u));
    short_stream[4] = 16; // claims 16 rows, holds 15
    std::vector<uint8_t> long_stream = kit_lkz_image(16, 16, pixels);
    long_stream[4] = 15; // claims 15 rows, holds 16
    std::vector<uint8_t> huge = good;
    huge[2] = huge[6] = 1; // 65,552 x 65,552 x 4 overflows 32 bits
    std::vector<uint8_t> wraps = good;
    wraps[7] = 0x04; // 16 x 0x04000010 x 4 wraps in 32 bits to 1,024 bytes, what the stream holds
    std::vector<uint8_t> empty = good;
    empty[0] = 0;
    std::vector<uint8_t> header_only(good.begin(), good.begin() + 6);
    std::vector<uint8_t> cut(good.begin(), good.end() - 2);

    for (const auto* bytes : {&short_stream, &long_stream, &huge, &wraps, &empty, &header_only, &cut})
        EXPECT_EQ(load_image_bytes(*bytes, nullptr, nullptr), nullptr) << (bytes - &short_stream);
}

using LkzArchive = GameFiles;

TEST_F(LkzArchive, MembersPackAndUnpack)
{
    write(user("src/readme.txt"), std::string("KOB 99 install notes\n"));
    write(user("src/Data/empty.bin"), std::vector<uint8_t>{});
    write(user("src/Data/run.bin"), std::vector<uint8_t>(5000, 9));
    write(user("src/ two parts.txt"), std::string("xy"));
    // Each run of whitespace becomes one blank and a trailing one goes.
    write(user("list.txt"),
          std::string("readme.txt\nData\\empty.bin \t\nData\\run.bin\n \t two\t\tparts.txt\n\nignored.txt\n"));

    char path[260] = "src\\";
    int32_t total = build_lkz_archive(path, sizeof path, "list.txt", "pack.LKZ", nullptr);
    EXPECT_EQ(total, 21 + 0 + 5000 + 2);
    EXPECT_STREQ(path, "src\\");

    char dest[260] = "out\\";
    static int32_t progress_calls;
    progress_calls = 0;
    EXPECT_EQ(
        extract_lkz_archive("pack.lkz", "list.txt", dest, sizeof dest, [](int32_t) { ++progress_calls; }), 0);
    EXPECT_EQ(progress_calls, 4);
    for (const char* name : {"readme.txt", "Data/empty.bin", "Data/run.bin", " two parts.txt"})
        EXPECT_EQ(read(user(std::string("out/") + name)), read(user(std::string("src/") + name))) << name;
}

TEST_F(LkzArchive, BadNamesAndEscapingPathsAreRefused)
{
    write(user("src/a.txt"), std::string("a"));
    write(user("list.txt"), std::string("a.txt\n"));
    char path[260] = "src\\";
    EXPECT_EQ(build_lkz_archive(path, sizeof path, "list.txt", "pack.zip", nullptr), LKZ_BAD_NAME);
    EXPECT_EQ(build_lkz_archive(path, sizeof path, "none.txt", "pack.lkz", nullptr), LKZ_CANNOT_OPEN_LIST);
    ASSERT_EQ(build_lkz_archive(path, sizeof path, "list.txt", "pack.lkz", nullptr), 1);

    char no_slash[260] = "out";
    EXPECT_EQ(extract_lkz_archive("pack.lkz", "list.txt", no_slash, sizeof no_slash, nullptr), LKZ_BAD_NAME);
    char dest[260] = "out\\";
    EXPECT_EQ(extract_lkz_archive("none.lkz", "list.txt", dest, sizeof dest, nullptr), LKZ_CANNOT_OPEN_INPUT);

    for (const char* listed :
         {"..\\escaped.txt", "sub\\..\\..\\escaped.txt", "\\escaped.txt", "C:escaped.txt"}) {
        write(user("evil.txt"), std::string(listed) + "\n");
        EXPECT_EQ(extract_lkz_archive("pack.lkz", "evil.txt", dest, sizeof dest, nullptr),
                  LKZ_CANNOT_CREATE_FILE)
            << listed;
    }
    EXPECT_FALSE(std::filesystem::exists(user("escaped.txt")));
    EXPECT_FALSE(std::filesystem::exists(root / "escaped.txt"));

    // A list naming more members than the archive holds.
    write(user("more.txt"), std::string("a.txt\nb.txt\n"));
    EXPECT_EQ(extract_lkz_archive("pack.lkz", "more.txt", dest, sizeof dest, nullptr), LKZ_READ_ERROR);
}

} // namespace
