// The software sprite engine's draws and background restores, which go
// through the group tables cell by cell, against a per-pixel reference:
// every mask at every column alignment, cut by the screen's left and right
// edges and by the window's top and bottom, plain, shifted and mirrored.
// Then the immediate draws.
#include "gl3d/sprite_queue.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace {

constexpr int32_t W = 70, H = 20; // not a multiple of 8: the right edge cuts cells at every alignment
constexpr int32_t GROUPS = 32, ROWS = 8;
constexpr int32_t X_OFFSET = 5, Y_OFFSET = 3;
constexpr uint8_t UNDRAWN = 0xEE;

// 32 groups by 8 rows: group g of row r has mask r x 32 + g, so the sprite
// holds every mask once; each opaque pixel has a colour of its own.
std::vector<uint8_t> every_mask_sprite()
{
    std::vector<uint8_t> s = {0x80 | GROUPS, ROWS, 0, X_OFFSET, 0, Y_OFFSET, 0, (GROUPS * 8) & 0xFF, (GROUPS * 8) >> 8};
    uint8_t colour = 0;
    for (int r = 0; r < ROWS; ++r)
        for (int g = 0; g < GROUPS; ++g) {
            const uint8_t mask = static_cast<uint8_t>(r * GROUPS + g);
            s.push_back(mask);
            for (int b = 7; b >= 0; --b)
                if (mask & (1 << b)) s.push_back(colour += 37);
        }
    return s;
}

// The opaque pixels of the sprite as an image: -1 transparent.
std::vector<int> unpacked(const std::vector<uint8_t>& s)
{
    std::vector<int> image(GROUPS * 8 * ROWS, -1);
    size_t at = 9;
    for (int r = 0; r < ROWS; ++r)
        for (int g = 0; g < GROUPS; ++g) {
            const uint8_t mask = s[at++];
            for (int b = 0; b < 8; ++b)
                if (mask & (0x80 >> b)) image[r * GROUPS * 8 + g * 8 + b] = s[at++];
        }
    return image;
}

// What a draw must leave: each opaque pixel at its column (mirrored about
// the hot spot), kept when its column is on the screen and its row inside
// the window, and the whole sprite left out when it misses the window.
template <class Put>
void reference(const std::vector<int>& image, int32_t x, int32_t y, bool mirrored, const ClipRect& window, Put put)
{
    const int32_t width = GROUPS * 8;
    const int32_t left = mirrored ? x + X_OFFSET - width : x - X_OFFSET, top = y - Y_OFFSET;
    if (left >= window.right || left + width <= window.left || top >= window.bottom || top + ROWS <= window.top) return;
    for (int r = 0; r < ROWS; ++r)
        for (int c = 0; c < width; ++c) {
            const int v = image[r * width + c];
            const int32_t sx = mirrored ? x + X_OFFSET - 1 - c : left + c, sy = top + r;
            if (v < 0 || sx < 0 || sx >= W || sy < window.top || sy >= window.bottom) continue;
            put(sx, sy, static_cast<uint8_t>(v));
        }
}

class SoftwareSpriteEngine : public ::testing::Test {
protected:
    std::vector<uint8_t> sprite = every_mask_sprite();
    std::vector<int> image = unpacked(sprite);
    std::vector<uint8_t> pixels = std::vector<uint8_t>(W * H, UNDRAWN);
    SoftwareScreen screen{pixels.data(), W, W, H};
};

TEST_F(SoftwareSpriteEngine, TableDrawsMatchThePerPixelReferenceAtEveryCut)
{
    const ClipRect windows[] = {{0, 0, W, H}, {10, 6, 40, 12}};
    for (const ClipRect& window : windows)
        for (uint16_t flags : {uint16_t(0), SPRITE_SHIFTED_TABLES, SPRITE_MIRRORED,
                               uint16_t(SPRITE_MIRRORED | SPRITE_SHIFTED_TABLES)})
            // From wholly left of the screen to wholly right of it, every
            // alignment on the way: every clip code meets every mask.
            for (int32_t x = -GROUPS * 8 - 10; x < W + 20; x += 3) {
                const int32_t y = 4 + (x & 7);
                std::vector<uint8_t> expected(W * H, UNDRAWN);
                const uint8_t shift = (flags & SPRITE_SHIFTED_TABLES) ? PALETTE_SHIFT : 0;
                reference(image, x, y, flags & SPRITE_MIRRORED, window, [&](int32_t sx, int32_t sy, uint8_t v) {
                    expected[sy * W + sx] = static_cast<uint8_t>(v + shift);
                });
                pixels.assign(pixels.size(), UNDRAWN);
                draw_sprite_clipped(sprite.data(), x, y, flags, SPRITE_NATURAL_SCALE, window, screen);
                ASSERT_EQ(pixels, expected) << "flags " << flags << " x " << x << " window " << window.left;
            }
}

TEST_F(SoftwareSpriteEngine, RestoresPutBackExactlyTheReferencePixels)
{
    std::vector<uint8_t> background(W * H);
    for (size_t i = 0; i < background.size(); ++i) background[i] = static_cast<uint8_t>(i * 7 + 1);
    set_sprite_background(background.data(), W);
    const ClipRect window{0, 2, W, 15};
    for (uint16_t flags : {uint16_t(0), SPRITE_MIRRORED})
        for (int32_t x = -GROUPS * 8 - 10; x < W + 20; x += 3) {
            std::vector<uint8_t> expected(W * H, UNDRAWN);
            reference(image, x, 5, flags & SPRITE_MIRRORED, window,
                      [&](int32_t sx, int32_t sy, uint8_t) { expected[sy * W + sx] = background[sy * W + sx]; });
            pixels.assign(pixels.size(), UNDRAWN);
            restore_sprite_background(sprite.data(), x, 5, flags, SPRITE_NATURAL_SCALE, window, screen);
            ASSERT_EQ(pixels, expected) << "flags " << flags << " x " << x;
        }
    set_sprite_background(nullptr, 0);
}

TEST_F(SoftwareSpriteEngine, UnclippedAndBlendedDrawsStayOnTheScreen)
{
    // No window test, but nothing is written off the screen, also for a
    // sprite hanging over every edge.
    std::vector<uint8_t> alpha(256 * 256);
    for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = static_cast<uint8_t>((i >> 8) ^ 0x55);
    set_sprite_alpha_table(alpha.data());
    const ClipRect nowhere{0, 0, 1, 1};
    const ClipRect whole{0, 0, W, H};
    for (uint16_t flags : {SPRITE_UNCLIPPED, uint16_t(SPRITE_UNCLIPPED | SPRITE_BLEND)})
        for (int32_t y : {-4, 10, 16}) {
            std::vector<uint8_t> expected(W * H, UNDRAWN);
            reference(image, 40, y, false, whole, [&](int32_t sx, int32_t sy, uint8_t v) {
                expected[sy * W + sx] = (flags & SPRITE_BLEND) ? alpha[v * 256 + UNDRAWN] : v;
            });
            pixels.assign(pixels.size(), UNDRAWN);
            draw_sprite_clipped(sprite.data(), 40, y, flags, SPRITE_NATURAL_SCALE, nowhere, screen);
            ASSERT_EQ(pixels, expected) << flags << " y " << y;
        }
    set_sprite_alpha_table(nullptr);
}

// --- The immediate draws ---

std::vector<uint8_t>* g_locked;
bool lock_test_screen(SoftwareScreen* out)
{
    *out = SoftwareScreen{g_locked->data(), W, W, H};
    return true;
}
void unlock_test_screen() {}
bool test_window(int32_t window, ClipRect* out)
{
    *out = window == 3 ? ClipRect{0, 0, W, 6} : ClipRect{0, 0, W, H};
    return window == 0 || window == 3;
}

TEST_F(SoftwareSpriteEngine, DrawNowLocksTheScreenAndTakesTheWindowAndTheShiftedTables)
{
    const SoftwareScreenAccess access{lock_test_screen, unlock_test_screen, nullptr};
    g_locked = &pixels;
    set_software_screen_access(&access);
    set_clip_window_reader(test_window);
    for (uint8_t window : {uint8_t(0), uint8_t(3)})
        for (uint16_t flags : {uint16_t(0), SPRITE_SHIFTED_TABLES, SPRITE_MIRRORED}) {
            std::vector<uint8_t> expected(W * H, UNDRAWN);
            ClipRect rect;
            test_window(window, &rect);
            const uint8_t shift = (flags & SPRITE_SHIFTED_TABLES) ? PALETTE_SHIFT : 0;
            reference(image, 30, 4, flags & SPRITE_MIRRORED, rect, [&](int32_t sx, int32_t sy, uint8_t v) {
                expected[sy * W + sx] = static_cast<uint8_t>(v + shift);
            });
            pixels.assign(pixels.size(), UNDRAWN);
            draw_sprite_now(sprite.data(), 30, 4, flags, window);
            ASSERT_EQ(pixels, expected) << int(window) << " " << flags;
        }
    // A window that does not exist draws nothing.
    pixels.assign(pixels.size(), UNDRAWN);
    draw_sprite_now(sprite.data(), 30, 4, 0, 9);
    EXPECT_EQ(pixels, std::vector<uint8_t>(W * H, UNDRAWN));
    set_clip_window_reader(nullptr);
    set_software_screen_access(nullptr);
}

TEST(SoftwareSpriteBuffers, DrawnUnclippedIntoTheCallersBufferAndPitch)
{
    // 3 x 2, hot spot (1, 1): colours 1 2 _ / 4 5 6.
    const std::vector<uint8_t> s = {1, 2, 1, 1, 3, 0xC0, 1, 2, 0xE0, 4, 5, 6};
    constexpr int32_t PITCH = 12, ROWS_OF_BUFFER = 4;
    std::vector<uint8_t> buffer(PITCH * ROWS_OF_BUFFER, 9);
    EXPECT_TRUE(draw_sprite_to_buffer(s.data(), 3, 2, buffer.data(), PITCH, ROWS_OF_BUFFER));
    const std::vector<uint8_t> expected = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, //
                                           9, 9, 1, 2, 9, 9, 9, 9, 9, 9, 9, 9, //
                                           9, 9, 4, 5, 6, 9, 9, 9, 9, 9, 9, 9, //
                                           9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_EQ(buffer, expected);

    // At an address the hot spot is not looked at: the top-left pixel lands there.
    std::vector<uint8_t> at_address(PITCH * ROWS_OF_BUFFER, 9);
    draw_sprite_at_address(s.data(), at_address.data() + PITCH + 2, PITCH);
    EXPECT_EQ(at_address, expected);

    // A sprite whose cells would leave the buffer is refused whole.
    for (auto [x, y] : {std::pair{0, 2}, {1, 0}, {PITCH - 6, 2}, {3, ROWS_OF_BUFFER}}) {
        std::vector<uint8_t> untouched(PITCH * ROWS_OF_BUFFER, 9);
        EXPECT_FALSE(draw_sprite_to_buffer(s.data(), x, y, untouched.data(), PITCH, ROWS_OF_BUFFER)) << x << "," << y;
        EXPECT_EQ(untouched, std::vector<uint8_t>(PITCH * ROWS_OF_BUFFER, 9));
    }
}

} // namespace
