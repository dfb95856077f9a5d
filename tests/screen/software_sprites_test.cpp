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

#include <cstring>
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
        // A long header's offsets read back negated; both draw by the stored ones.
        EXPECT_EQ(sprite_x_offset(s.data()), long_header ? -1 : 1);
        EXPECT_EQ(sprite_y_offset(s.data()), 0);
        EXPECT_EQ(software_sprite_size(s.data(), static_cast<uint32_t>(s.size())), s.size());
        EXPECT_EQ(software_sprite_size(s.data(), static_cast<uint32_t>(s.size() - 1)), 0u) << "runs past the bytes";
    }
}

TEST_F(SoftwareSprites, ALongHeaderIsPlacedByItsStoredOffsets)
{
    // 3 x 2 with the hot spot stored as (1, 1): the kit writes the offsets
    // as they are, and the left column is x - 1, the top row y - 1.
    const std::vector<uint8_t> by_hand = {0x81, 2, 0, 1, 0, 1, 0, 3, 0, 0xE0, 1, 2, 3, 0xE0, 4, 5, 6};
    EXPECT_EQ(kit_sw_sprite(3, 2, 1, 1, {1, 2, 3, 4, 5, 6}, true), by_hand);
    for (uint16_t flags : {uint16_t(0), SPRITE_UNCLIPPED, SPRITE_MIRRORED}) {
        screen_pixels.assign(screen_pixels.size(), 0);
        draw_sprite_clipped(by_hand.data(), 20, 5, flags, 256, whole, target);
        const bool mirrored = flags == SPRITE_MIRRORED;
        // Unmirrored columns 19 to 21; mirrored, column i lands at
        // x + offset - 1 - i: 20 down to 18.
        EXPECT_EQ(at(19, 4), mirrored ? 2 : 1) << flags;
        EXPECT_EQ(at(mirrored ? 17 : 18, 4), 0) << flags;
        EXPECT_EQ(at(mirrored ? 21 : 22, 4), 0) << flags;
        EXPECT_EQ(at(mirrored ? 18 : 21, 4), 3) << flags;
        EXPECT_EQ(at(19, 5), mirrored ? 5 : 4) << flags;
        EXPECT_EQ(at(19, 3), 0) << flags;
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

// The back buffer drawn now showed the frame of two flushes before: what was
// drawn then and has moved or gone must give the screen's picture back.
TEST(SoftwareFlush, SpritesAndTextSpritesOfTwoFramesAgoGiveWayToTheBackground)
{
    for (int32_t format : {0}) { // the 8-bit software screen
        init_screen_format(format);
        ASSERT_EQ(create_ddraw_surfaces(), 1);
        init_sprite_engine();
        sprite_hardware_switch = 0;
        Surface* back = back_surface;
        std::vector<uint8_t> picture(640 * 480);
        for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(40 + i % 7);
        for (int32_t y = 0; y < 480; ++y)
            std::memcpy(back->pixels.data() + static_cast<size_t>(y) * back->pitch, picture.data() + y * 640, 640);
        Surface* saved = make_sprite_background(picture.data(), 640);
        ASSERT_NE(sprite_background(), nullptr);
        const auto pixel = [&](int x, int y) { return back->pixels[static_cast<size_t>(y) * back->pitch + x]; };
        const auto was = [&](int x, int y) { return picture[static_cast<size_t>(y) * 640 + x]; };

        std::vector<uint8_t> s = sprite();
        queue_sprite(s.data(), 101, 50, 0, 10, 256, 0);                 // moves away next frame
        queue_sprite(s.data(), 301, 50, SPRITE_NO_RESTORE, 10, 256, 0); // never restored
        queue_text_sprite(s.data(), 201, 70, 256, 0);                   // text dropped next frame
        flush_sprites();
        EXPECT_EQ(pixel(100, 50), 1) << format;
        EXPECT_EQ(pixel(200, 70), 1);
        for (int frame = 0; frame < 2; ++frame) {
            queue_sprite(s.data(), 121, 50, 0, 10, 256, 0);
            flush_sprites();
        }
        EXPECT_EQ(pixel(100, 50), was(100, 50)) << format << ": the moved sprite's old place";
        EXPECT_EQ(pixel(101, 51), was(101, 51));
        EXPECT_EQ(pixel(200, 70), was(200, 70)) << "the dropped text sprite";
        EXPECT_EQ(pixel(300, 50), 1) << "flagged not to be restored";
        EXPECT_EQ(pixel(120, 50), 1) << "this frame's sprite";
        drop_sprite_background(saved);
        EXPECT_EQ(sprite_background(), nullptr);
        reset_sprite_queues();
        release_ddraw();
    }
    init_screen_format(0);
}

TEST_F(SoftwareSprites, TheShiftedTablesAddThirtyThreeToEachPixel)
{
    // Colours 0xDF, 0xFF, transparent; 0x10 below: shifted they wrap on their own.
    std::vector<uint8_t> s = kit_sw_sprite(3, 2, 1, 0, {0xDF, 0xFF, -1, 0x10, 0x10, 0x10}, false);
    draw_sprite_clipped(s.data(), 11, 4, SPRITE_SHIFTED_TABLES, 256, whole, target);
    EXPECT_EQ(at(10, 4), 0x00);
    EXPECT_EQ(at(11, 4), 0x20);
    EXPECT_EQ(at(12, 4), 0) << "transparent stays untouched";
    EXPECT_EQ(at(12, 5), 0x31);
    // Mirrored and shifted together.
    draw_sprite_clipped(s.data(), 21, 4, SPRITE_SHIFTED_TABLES | SPRITE_MIRRORED, 256, whole, target);
    EXPECT_EQ(at(21, 4), 0x00);
    EXPECT_EQ(at(20, 4), 0x20);
    EXPECT_EQ(at(19, 5), 0x31);
}

TEST_F(SoftwareSprites, RestoringPutsTheBackgroundBackUnderOpaquePixelsOnly)
{
    std::vector<uint8_t> background(64 * 16);
    for (size_t i = 0; i < background.size(); ++i) background[i] = static_cast<uint8_t>(100 + i % 50);
    std::vector<uint8_t> s = sprite();
    screen_pixels.assign(screen_pixels.size(), 7);
    restore_sprite_background(s.data(), 11, 4, 0, 256, whole, target);
    EXPECT_EQ(at(10, 4), 7) << "no background set: nothing restored";

    set_sprite_background(background.data(), 64);
    const auto bg = [&](int x, int y) { return background[static_cast<size_t>(y) * 64 + x]; };
    for (uint16_t flags : {uint16_t(0), SPRITE_MIRRORED, SPRITE_SHIFTED_TABLES}) {
        screen_pixels.assign(screen_pixels.size(), 7);
        draw_sprite_clipped(s.data(), 11, 4, flags, 256, whole, target);
        restore_sprite_background(s.data(), 11, 4, flags, 256, whole, target);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 64; ++x)
                if (at(x, y) != 7) {
                    EXPECT_EQ(at(x, y), bg(x, y)) << flags << " at " << x << "," << y;
                }
        const int covered = flags & SPRITE_MIRRORED ? 11 : 10;
        EXPECT_EQ(at(covered, 4), bg(covered, 4)) << flags;
        EXPECT_EQ(at(12, 4), 7) << "a transparent pixel was never covered";
    }
    // Scaled: the whole enlarged footprint comes back; a sprite flagged not
    // to be restored keeps its pixels.
    screen_pixels.assign(screen_pixels.size(), 7);
    draw_sprite_clipped(s.data(), 31, 4, 0, 128, whole, target);
    restore_sprite_background(s.data(), 31, 4, 0, 128, whole, target);
    EXPECT_EQ(at(29, 7), bg(29, 7));
    EXPECT_EQ(at(31, 5), bg(31, 5));
    draw_sprite_clipped(s.data(), 41, 4, 0, 256, whole, target);
    restore_sprite_background(s.data(), 41, 4, SPRITE_NO_RESTORE, 256, whole, target);
    EXPECT_EQ(at(40, 4), 1);
    set_sprite_background(nullptr, 0);
}

} // namespace
