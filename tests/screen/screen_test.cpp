#include "platform/sound_fixtures.h"

#include "screen/screen_flip.h"
#include "screen/screen.h"

#include <array>

namespace {

using fixtures::expect_fatal;

std::vector<std::array<PaletteEntry, 256>> g_sets;
void watch(const PaletteEntry* entries)
{
    std::array<PaletteEntry, 256> copy;
    std::copy(entries, entries + 256, copy.begin());
    g_sets.push_back(copy);
}

class Screen : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(init_screen_format(0), 1);
        g_sets.clear();
        set_palette_observer(watch);
    }
    void TearDown() override
    {
        set_palette_observer(nullptr);
        init_screen_format(0);
    }
    // Red of entry 1 at each palette set.
    static std::vector<int> reds()
    {
        std::vector<int> v;
        for (const auto& set : g_sets) v.push_back(set[1].red);
        return v;
    }
};

std::vector<uint8_t> palette_of(uint8_t value)
{
    std::vector<uint8_t> p(768, 0);
    for (int i = 3; i < 6; ++i) p[i] = value; // entry 1
    return p;
}

TEST_F(Screen, FormatsSetSizesMasksAndRowTables)
{
    struct Case {
        int32_t format;
        uint32_t bits, red, green, blue, flags;
    };
    const Case cases[] = {
        {0, 8, 0, 0, 0, PIXEL_FORMAT_PALETTE_INDEXED8 | PIXEL_FORMAT_RGB},
        {1, 16, 0x7C00, 0x03E0, 0x001F, PIXEL_FORMAT_RGB},
        {2, 16, 0xF800, 0x07E0, 0x001F, PIXEL_FORMAT_RGB},
        {3, 16, 0x7C00, 0x03E0, 0x001F, PIXEL_FORMAT_RGB},
        {4, 24, 0xFF0000, 0x00FF00, 0x0000FF, PIXEL_FORMAT_RGB},
        {5, 32, 0xFF0000, 0x00FF00, 0x0000FF, PIXEL_FORMAT_RGB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        screen.display_kind = 1;
        clip_window[0] = ClipWindow{1, 2, 3, 4};
        ASSERT_EQ(init_screen_format(c.format), 1);
        EXPECT_EQ(screen.display_kind, 0u);
        EXPECT_EQ(screen.bits_per_pixel, c.bits);
        EXPECT_EQ(screen.pixel_format.size, 32u);
        EXPECT_EQ(screen.pixel_format.flags, c.flags);
        EXPECT_EQ(screen.pixel_format.bit_count, c.bits);
        EXPECT_EQ(screen.red_mask, c.red);
        EXPECT_EQ(screen.pixel_format.green_mask, c.green);
        EXPECT_EQ(screen.blue_mask, c.blue);
        EXPECT_EQ(screen.width, 640u);
        EXPECT_EQ(screen.height, 480u);
        EXPECT_EQ(screen.pixel_count, 307200u);
        EXPECT_EQ(screen.half_height, 240u);
        EXPECT_EQ(screen.height_fixed, 480u << 16);
        EXPECT_EQ(screen.display_buffer, 2u);
        EXPECT_EQ(screen.picture_row_offsets[479], 479 * 640 * c.bits / 8);
        EXPECT_EQ(clip_window[0].right, 640);
        EXPECT_EQ(clip_window[0].bottom, 480);
        EXPECT_EQ(clip_window[0].left + clip_window[0].top, 0);
    }
    expect_fatal(237, "Unknown screen format", [] { init_screen_format(6); });
    expect_fatal(237, "Unknown screen format", [] { init_screen_format(-1); });
}

TEST_F(Screen, PitchRebuildsOnlyTheScreenRows)
{
    set_screen_pitch(704);
    EXPECT_EQ(screen.pitch, 704u);
    EXPECT_EQ(screen.screen_row_offsets[3], 3u * 704);
    EXPECT_EQ(screen.picture_row_offsets[3], 3u * 640);
}

TEST_F(Screen, ScalingFrom640By480TruncatesTowardZero)
{
    EXPECT_EQ(scale_x_from_640(639), 639);
    EXPECT_EQ(scale_y_from_480(479), 479);
    screen.width = 512;
    screen.height = 384;
    EXPECT_EQ(scale_x_from_640(639), 511);
    EXPECT_EQ(scale_y_from_480(479), 383);
    EXPECT_EQ(scale_x_from_640(-1), 0);
    EXPECT_EQ(scale_x_from_640(-641), -512);
}

TEST_F(Screen, ClipWindowsKeepTheirEdges)
{
    set_clip_window(3, 10, 20, 30, 40);
    EXPECT_EQ(clip_window[3].left, 20);
    EXPECT_EQ(clip_window[3].right, 40);
    EXPECT_EQ(clip_window[3].top, 10);
    EXPECT_EQ(clip_window[3].bottom, 30);
    uint16_t top, left, bottom, right;
    get_clip_window(3, &top, &left, &bottom, &right);
    EXPECT_EQ(top, 10);
    EXPECT_EQ(left, 20);
    EXPECT_EQ(bottom, 30);
    EXPECT_EQ(right, 40);
    set_clip_window(8, 1, 1, 1, 1); // no such window
    get_clip_window(-1, &top, &left, &bottom, &right);
    EXPECT_EQ(top + left + bottom + right, 0);
}

TEST_F(Screen, PaletteIsSixBitTimesFour)
{
    std::vector<uint8_t> p(768);
    for (int i = 0; i < 768; ++i) p[i] = static_cast<uint8_t>(i % 64);
    display_palette[9] = PaletteEntry{7, 7, 7, 0};
    set_palette_6bit(p.data(), 10, 2);
    ASSERT_EQ(g_sets.size(), 1u);
    EXPECT_EQ(display_palette[10].red, p[30] * 4);
    EXPECT_EQ(display_palette[11].blue, p[35] * 4);
    EXPECT_EQ(display_palette[9].red, 7) << "outside the range untouched";
    EXPECT_EQ(ddraw_palette[10], static_cast<uint32_t>(p[30] * 4 << 16 | p[31] * 4 << 8 | p[32] * 4))
        << "the set reaches the 8-bit display";
    std::vector<uint8_t> back(768, 0);
    read_palette_6bit(10, 2, back.data());
    EXPECT_EQ(back[30], p[30]);
    EXPECT_EQ(back[35], p[35]);

    // Copies take the source from its start; ranges end at entry 255.
    const uint8_t src[6] = {1, 2, 3, 4, 5, 6};
    copy_palette_entries(src, 128, 2);
    EXPECT_EQ(working_palette[128][0], 1);
    EXPECT_EQ(working_palette[129][2], 6);
    copy_palette_entries(src, 255, 5);
    EXPECT_EQ(working_palette[255][2], 3);
    set_palette_6bit(p.data(), 250, 100);
    EXPECT_EQ(display_palette[255].red, p[765] * 4);
}

TEST_F(Screen, FadesStepThroughLevelsOnTheSoftwareDisplay)
{
    const std::vector<uint8_t> target = palette_of(63);
    struct Case {
        const char* what;
        bool in;
        int32_t step;
        std::vector<int> reds; // entry 1 at every palette set
    };
    const Case cases[] = {
        {"in by 64", true, 64, {63, 126, 189, 252}},
        {"in by 100", true, 100, {98, 196, 252}},
        {"in with step 0 sets the target at once", true, 0, {252}},
        {"in with step 256 sets the target at once", true, 256, {252}},
        {"out by 64", false, 64, {189, 126, 63, 0}},
        {"out with step 0 goes straight to black", false, 0, {0}},
        {"out with step 300 goes straight to black", false, 300, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        set_palette_6bit(target.data(), 0, 256);
        g_sets.clear();
        fade_palette(0, 255, c.in ? target.data() : nullptr, c.step);
        EXPECT_EQ(reds(), c.reds);
        EXPECT_EQ(fade_step, c.step);
        if (!c.in) {
            EXPECT_EQ(saved_palette[3], 0) << "the saved palette is cleared after the fade";
        }
    }
}

TEST_F(Screen, FadeHalvesAndLevels)
{
    const std::vector<uint8_t> target = palette_of(40);
    fade_palette(0, 255, target.data(), 128);
    g_sets.clear();
    fade_out_palette(nullptr);
    EXPECT_EQ(reds(), (std::vector<int>{80, 0})) << "the kept step";
    g_sets.clear();
    fade_in_palette(0, 255, target.data());
    EXPECT_EQ(reds(), (std::vector<int>{80, 160}));

    g_sets.clear();
    std::copy(target.begin(), target.end(), saved_palette);
    fade_palette_to(0, 255, nullptr, 32);
    fade_palette_to(0, 255, nullptr, 256);
    set_palette_level(0, 255, target.data(), 16);
    EXPECT_EQ(reds(), (std::vector<int>{20, 160, 10}));

    // The hardware display has no palette to fade; the step is still kept.
    screen.display_kind = 1;
    g_sets.clear();
    fade_palette(0, 255, target.data(), 32);
    fade_palette(0, 255, nullptr, 32);
    EXPECT_TRUE(g_sets.empty());
    EXPECT_EQ(fade_step, 32);
}

TEST(ShadeTables, NearestColourQuirksAndTies)
{
    std::vector<uint8_t> p(768, 0);
    auto set = [&](int i, uint8_t r, uint8_t g, uint8_t b) { p[3 * i] = r, p[3 * i + 1] = g, p[3 * i + 2] = b; };
    set(5, 10, 10, 10);
    set(9, 10, 10, 10);
    const uint8_t grey10[3] = {10, 10, 10};
    EXPECT_EQ(nearest_palette_colour(grey10, p.data()), 5) << "the lower of two equal entries";

    // One below an entry counts as 255 away: the truly nearest loses.
    set(1, 21, 20, 20);
    set(2, 10, 20, 20);
    const uint8_t t[3] = {20, 20, 20};
    EXPECT_EQ(nearest_palette_colour(t, p.data()), 2);
}

std::vector<uint8_t> grey_palette()
{
    std::vector<uint8_t> p(768);
    for (int i = 0; i < 768; ++i) p[i] = static_cast<uint8_t>(i / 3);
    return p;
}

TEST(ShadeTables, TintWeighsColourAgainstEachEntry)
{
    const std::vector<uint8_t> grey = grey_palette();
    uint8_t table[256];
    build_shade_table(grey.data(), table, 0x80808080); // half way to grey 128
    for (int i = 0; i < 256; ++i) ASSERT_EQ(table[i], 64 + i / 2) << i;
    build_shade_table(grey.data(), table, 0xFFFFFF00); // weight 0 weighs both sides 0
    for (int i = 0; i < 256; ++i) ASSERT_EQ(table[i], 0) << i;

    // The colour's bytes from the top are the first, second, third component.
    std::vector<uint8_t> p(768, 90);
    p[0] = p[1] = p[2] = 0;
    p[3] = 200, p[4] = 0, p[5] = 0;
    p[6] = 0, p[7] = 0, p[8] = 200;
    build_shade_table(p.data(), table, (201u << 24) | 255);
    EXPECT_EQ(table[17], 1);
    build_shade_table(p.data(), table, (201u << 8) | 255);
    EXPECT_EQ(table[17], 2);
}

TEST(ShadeTables, PanelSetOfFive)
{
    const std::vector<uint8_t> grey = grey_palette();
    std::vector<uint8_t> tables(5 * 256);
    build_shade_tables(grey.data(), tables.data(), 0xC9C9C9FF); // colour 201, nearly all weight
    // Tint 201, doubled (held to 255), halved, (v >> 1 >> 1) + (v >> 1), v - (v >> 2); each x 255 >> 8.
    const int expected[5] = {200, 254, 99, 149, 150};
    for (int t = 0; t < 5; ++t) EXPECT_EQ(tables[256 * t + 77], expected[t]) << "table " << t;
}

class Bevels : public ::testing::Test {
protected:
    void SetUp() override
    {
        init_screen_format(0);
        pixels.assign(640 * 480, 0);
        for (int t = 0; t < 5; ++t) std::fill(tables.begin() + 256 * t, tables.begin() + 256 * (t + 1), t + 1);
    }
    int at(int x, int y) const { return pixels[static_cast<size_t>(y) * 640 + x]; }
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> tables = std::vector<uint8_t>(5 * 256);
};

TEST_F(Bevels, RingsMeetAsAPinwheel)
{
    draw_bevel_panel(5, tables.data(), pixels.data(), 4, 3, 2, 2);
    // 1 the panel, 2 top, 3 bottom, 4 left, 5 right; columns 2..10, rows 1..8.
    const int want[8][9] = {
        {0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 2, 2, 2, 2, 2, 2, 5, 0}, {0, 4, 2, 2, 2, 2, 5, 5, 0},
        {0, 4, 4, 1, 1, 1, 5, 5, 0}, {0, 4, 4, 1, 1, 1, 5, 5, 0}, {0, 4, 4, 3, 3, 3, 3, 5, 0},
        {0, 4, 3, 3, 3, 3, 3, 3, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 9; ++col) EXPECT_EQ(at(col + 2, row + 1), want[row][col]) << col + 2 << "," << row + 1;
}

TEST_F(Bevels, PanelsAndRemapsStayOnTheScreen)
{
    draw_bevel_panel(0, tables.data(), pixels.data(), 0, 4, 3, 3);
    EXPECT_EQ(at(0, 0), 1);
    EXPECT_EQ(at(4, 0), 5);
    EXPECT_EQ(at(0, 3), 3);
    draw_bevel_panel(636, tables.data(), pixels.data(), 477, 4, 3, 3);
    EXPECT_EQ(at(639, 479), 1);
    EXPECT_EQ(at(635, 477), 4);
    EXPECT_EQ(at(636, 476), 2);
    std::vector<uint8_t> before = pixels;
    remap_screen_rect(700, tables.data(), pixels.data(), 10, 50, 50);
    remap_screen_rect(10, tables.data(), pixels.data(), -60, 50, 50);
    remap_screen_rect(10, tables.data(), pixels.data(), 10, -5, 50);
    EXPECT_EQ(pixels, before);
    remap_screen_rect(-10, tables.data() + 256, pixels.data(), 470, 20, 20);
    EXPECT_EQ(at(9, 479), 2);
    EXPECT_EQ(at(10, 479), 0);
}

} // namespace
