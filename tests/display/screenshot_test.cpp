// Screenshots: the BMP layout and the numbering of the files.
#include "display/screenshot.h"
#include "platform/directory.h"
#include "screen/screen.h"
#include "screen/surface.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

Surface surface(int32_t w, int32_t h, uint32_t bits)
{
    Surface s;
    s.width = w;
    s.height = h;
    s.bits = bits;
    s.pitch = ((w * static_cast<int32_t>(bits) / 8) + 3) & ~3;
    s.pixels.assign(static_cast<size_t>(s.pitch) * h, 0);
    return s;
}

TEST(Screenshot, AnEightBitScreenIsWrittenBottomRowFirstWithPaddedRows)
{
    Surface s = surface(5, 2, 8);
    for (int x = 0; x < 5; ++x) s.pixels[x] = static_cast<uint8_t>(10 + x), s.pixels[s.pitch + x] = 20;
    display_palette[10] = PaletteEntry{200, 100, 50, 0};
    const std::vector<uint8_t> b = build_bmp(&s);
    ASSERT_EQ(b.size(), 8u * 2 + 1078);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(u32(b, 2), 8u * 2 + 1078);
    EXPECT_EQ(u32(b, 10), 1078u);
    EXPECT_EQ(u32(b, 14), 40u);
    EXPECT_EQ(u32(b, 18), 5u);
    EXPECT_EQ(u32(b, 22), 2u);
    EXPECT_EQ(b[28], 8);
    EXPECT_EQ(u32(b, 34), 16u);
    EXPECT_EQ(u32(b, 38), 2834u);
    EXPECT_EQ(b[54 + 40], 50) << "blue first";
    EXPECT_EQ(b[54 + 42], 200);
    EXPECT_EQ(b[1078], 20) << "the bottom row first";
    EXPECT_EQ(b[1078 + 8], 10);
    EXPECT_EQ(b[1078 + 8 + 4], 14);
    EXPECT_EQ(b[1078 + 8 + 5], 0) << "padding";
    display_palette[10] = PaletteEntry{};
}

TEST(Screenshot, ADeeperScreenIsQuantisedToThreeThreeTwo)
{
    Surface s = surface(2, 1, 16);
    s.red_mask = 0xF800, s.green_mask = 0x07E0, s.blue_mask = 0x001F;
    s.pixels[0] = 0x00, s.pixels[1] = 0xF8; // full red
    s.pixels[2] = 0x1F, s.pixels[3] = 0x00; // full blue
    const std::vector<uint8_t> b = build_bmp(&s);
    ASSERT_FALSE(b.empty());
    EXPECT_EQ(b[1078], 0xE0);
    EXPECT_EQ(b[1079], 0x03);
    EXPECT_EQ(b[54 + 4 * 0xE0 + 2], 255) << "the palette holds the 3-3-2 colours";
    Surface broken = surface(4, 4, 8);
    broken.pixels.resize(3);
    EXPECT_TRUE(build_bmp(&broken).empty());
    EXPECT_TRUE(build_bmp(nullptr).empty());
}

TEST(Screenshot, TheFirstFreeNumberIsTaken)
{
    Surface s = surface(4, 4, 8);
    const char* prefix = "shot_test_";
    auto name = [&](int n) {
        char b[32];
        std::snprintf(b, sizeof b, "%s%03d.BMP", prefix, n);
        return user_path(b);
    };
    std::filesystem::create_directories(std::filesystem::path(name(0)).parent_path());
    std::ofstream(name(0)) << "x";
    EXPECT_EQ(next_bmp_name(&s, prefix), name(1));
    EXPECT_EQ(std::filesystem::file_size(name(1)), 16u + 1078);
    for (int n = 2; n <= 997; ++n) std::ofstream(name(n)) << "x";
    std::filesystem::remove(name(500));
    EXPECT_EQ(next_bmp_name(&s, prefix), name(500));
    EXPECT_EQ(next_bmp_name(&s, prefix), "") << "998 and 999 are never used";
    EXPECT_FALSE(std::filesystem::exists(name(998)));
    for (int n = 0; n <= 997; ++n) std::filesystem::remove(name(n));
}

} // namespace
