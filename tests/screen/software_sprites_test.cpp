// The software path of the sprite queue: masked sprites drawn into the 8-bit
// back buffer, clipped, mirrored, scaled and translucent, and the text
// images blitted at the flush.
#include "gl3d/sprite_queue.h"
#include "lib/font_write.h"
#include "screen/fonts.h"
#include "screen/screen_flip.h"
#include "screen/screen.h"
#include "screen/screen_services.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// 3 x 2: the left column colour 1, the middle 2, the right one transparent
// on the top row and 3 below; the hot spot at (1, 0).
std::vector<uint8_t> sprite(bool long_header = false)
{
    return kit_sw_sprite(3, 2, 1, 0, {1, 2, -1, 1, 2, 3}, long_header);
}

class SoftwareSprites : public ::testing::Test {
protected:
    void SetUp() override
    {
        screen_pixels.assign(64 * 16, 0);
        target = SoftwareScreen{screen_pixels.data(), 64, 64, 16};
    }
    uint8_t at(int x, int y) const { return screen_pixels[static_cast<size_t>(y) * 64 + x]; }
    std::vector<uint8_t> screen_pixels;
    SoftwareScreen target{};
    const ClipRect whole{0, 0, 64, 16};
};

TEST_F(SoftwareSprites, HeadersOfBothLengthsAndTheirSizes)
{
    sprite_hardware_switch = 0;
    for (bool long_header : {false, true}) {
        std::vector<uint8_t> s = sprite(long_header);
        EXPECT_EQ(sprite_width(s.data()), 3) << long_header;
        EXPECT_EQ(sprite_height(s.data()), 2);
        EXPECT_EQ(sprite_x_offset(s.data()), 1);
        EXPECT_EQ(sprite_y_offset(s.data()), 0);
        EXPECT_EQ(software_sprite_size(s.data(), static_cast<uint32_t>(s.size())), s.size());
        EXPECT_EQ(software_sprite_size(s.data(), static_cast<uint32_t>(s.size() - 1)), 0u) << "runs past the bytes";
    }
}

TEST_F(SoftwareSprites, ClippedMirroredScaledAndBlended)
{
    std::vector<uint8_t> s = sprite();
    draw_sprite_clipped(s.data(), 11, 4, 0, 256, whole, target);
    EXPECT_EQ(at(10, 4), 1);
    EXPECT_EQ(at(11, 4), 2);
    EXPECT_EQ(at(12, 4), 0) << "transparent";
    EXPECT_EQ(at(12, 5), 3);

    // Mirrored about the hot spot: column i at x + offset - 1 - i.
    draw_sprite_clipped(s.data(), 21, 4, SPRITE_MIRRORED, 256, whole, target);
    EXPECT_EQ(at(21, 4), 1);
    EXPECT_EQ(at(20, 4), 2);
    EXPECT_EQ(at(19, 4), 0);
    EXPECT_EQ(at(19, 5), 3);

    draw_sprite_clipped(s.data(), 31, 4, 0, 128, whole, target); // twice the size
    EXPECT_EQ(at(28, 4), 0) << "the hot spot scales too";
    EXPECT_EQ(at(29, 4), 1);
    EXPECT_EQ(at(30, 4), 1);
    EXPECT_EQ(at(33, 4), 0);
    EXPECT_EQ(at(29, 7), 1);
    EXPECT_EQ(at(31, 5), 2);

    // The window's left and right edges only decide whether a sprite is
    // drawn; its top and bottom cut rows.
    const ClipRect window{0, 0, 41, 11};
    draw_sprite_clipped(s.data(), 41, 10, 0, 256, window, target);
    EXPECT_EQ(at(40, 10), 1);
    EXPECT_EQ(at(41, 10), 2) << "columns past the window's right edge are drawn";
    EXPECT_EQ(at(40, 11), 0) << "the row below the window is not";
    draw_sprite_clipped(s.data(), 43, 2, 0, 256, window, target);
    EXPECT_EQ(at(42, 2), 0) << "starting at the window's right edge: not drawn";
    draw_sprite_clipped(s.data(), 43, 2, SPRITE_UNCLIPPED, 256, window, target);
    EXPECT_EQ(at(42, 2), 1) << "the unclipped path makes no test";

    std::vector<uint8_t> table(256 * 256);
    for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(100 + (i >> 8) + (i & 255));
    set_sprite_alpha_table(table.data());
    screen_pixels[static_cast<size_t>(12) * 64 + 50] = 5;
    draw_sprite_clipped(s.data(), 51, 12, SPRITE_BLEND, 256, whole, target);
    EXPECT_EQ(at(50, 12), 1) << "blending is for the unclipped path only";
    screen_pixels[static_cast<size_t>(12) * 64 + 50] = 5;
    draw_sprite_clipped(s.data(), 51, 12, SPRITE_UNCLIPPED | SPRITE_BLEND, 256, whole, target);
    EXPECT_EQ(at(50, 12), 100 + 1 + 5) << "source over destination through the table";
    set_sprite_alpha_table(nullptr);
}

TEST(SoftwareFlush, QueuedSpritesAndTextImagesReachTheBackBuffer)
{
    init_screen_format(0);
    ASSERT_EQ(create_ddraw_surfaces(), 1);
    init_sprite_engine();
    sprite_hardware_switch = 0;
    std::vector<uint8_t> s = sprite();
    queue_sprite(s.data(), 101, 50, 0, 10, 256, 0);
    Surface* text = nullptr;
    create_surface(&text, 4, 2, 0);
    text->pixels.assign(text->pixels.size(), 9);
    queue_text_block(text, 200, 60, 4, 2, 0, 0);
    flush_sprites();
    EXPECT_EQ(back_surface->pixels[static_cast<size_t>(50) * back_surface->pitch + 100], 1);
    EXPECT_EQ(back_surface->pixels[static_cast<size_t>(61) * back_surface->pitch + 203], 9);
    EXPECT_EQ(queued_sprites(), 0);
    release_surface(text);
    release_ddraw();
}

} // namespace
