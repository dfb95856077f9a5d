// The text animation table: where each kind puts a glyph by the clock, the
// glyphs' turns, and when a text counts as finished.
#include "screen/screen.h"
#include "screen/text_animations.h"

#include <gtest/gtest.h>

namespace {

struct Placed {
    int16_t x, y;
    bool shown;
    uint8_t flag;
};

// Glyph i of a text of the given length, home at (100, 200), at the clock.
Placed place(int32_t kind, uint32_t clock, int32_t length, int32_t i)
{
    text_animation_clock = clock;
    text_animation_length = length;
    static const char glyph = 'A';
    const void* g = &glyph;
    Placed p{100, 200, true, 1};
    uint16_t scale = 256;
    text_animation_table[kind](&g, &p.x, &p.y, &scale, &p.flag, i);
    EXPECT_EQ(scale, 256);
    p.shown = g != nullptr;
    return p;
}

class TextAnimations : public ::testing::Test {
protected:
    void SetUp() override { init_screen_format(0); }
};

TEST_F(TextAnimations, TheEaseTableRunsFromAWholeWayToNone)
{
    EXPECT_EQ(text_ease_table[0], 1024);
    EXPECT_EQ(text_ease_table[TEXT_EASE_STEPS - 1], 0);
    for (int32_t s = 1; s < TEXT_EASE_STEPS; ++s) EXPECT_LE(text_ease_table[s], text_ease_table[s - 1]) << s;
    EXPECT_GT(text_ease_table[37], 512) << "slow away, quick to arrive";
}

TEST_F(TextAnimations, OnlyKindsOneToSixAndTenToThirteenHaveCallbacks)
{
    for (int32_t kind = -1; kind <= TEXT_ANIMATION_KINDS; ++kind) {
        const bool has = (kind >= 1 && kind <= 6) || (kind >= 10 && kind <= 13);
        EXPECT_EQ(text_animation_callback(kind) != nullptr, has) << kind;
    }
}

// Where glyph 0 of a five-glyph text stands at the start and at the end, and
// whether it is still moving then. Across is the screen's width, down its height.
TEST_F(TextAnimations, EachKindStartsAndEndsWhereItShould)
{
    const int16_t w = 640, h = 480;
    const uint32_t end = TEXT_EASE_STEPS - 1 + 4 * TEXT_GLYPH_DELAY; // the last glyph's arrival
    struct Case {
        int32_t kind;
        int16_t start_x, start_y, end_x, end_y;
    } cases[] = {
        {1, int16_t(100 - w), 200, 100, 200},  {2, int16_t(100 + w), 200, 100, 200},
        {3, 100, int16_t(200 - h), 100, 200},  {4, 100, int16_t(200 + h), 100, 200},
        {6, 100, int16_t(200 - h / 4), 100, 200},
        {10, 100, 200, int16_t(100 - w), 200}, {11, 100, 200, int16_t(100 + w), 200},
        {12, 100, 200, 100, int16_t(200 + h)}, {13, 100, 200, 100, int16_t(200 - h)},
    };
    for (const Case& c : cases) {
        const Placed first = place(c.kind, 0, 5, 0);
        EXPECT_EQ(first.x, c.start_x) << "kind " << c.kind;
        EXPECT_EQ(first.y, c.start_y) << "kind " << c.kind;
        EXPECT_EQ(first.flag, 0) << "kind " << c.kind << " still moving";
        const Placed last = place(c.kind, end, 5, 0);
        EXPECT_EQ(last.x, c.end_x) << "kind " << c.kind;
        EXPECT_EQ(last.y, c.end_y) << "kind " << c.kind;
        for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(place(c.kind, end, 5, i).flag, 1) << "kind " << c.kind << " glyph " << i;
        EXPECT_EQ(place(c.kind, end - 1, 5, 4).flag + place(c.kind, end - 1, 5, 0).flag, 1)
            << "kind " << c.kind << ": one glyph of the two ends a tick later";
    }
    EXPECT_EQ(place(6, 0, 5, 1).y, 200 + h / 4) << "the glyphs of kind 6 come by turns from above and below";
}

TEST_F(TextAnimations, GlyphsTakeTheirTurnsInReadingOrderOrFromTheEnd)
{
    // Kind 1: glyph 1 starts a delay after glyph 0; kind 2 and 11 start from the last glyph.
    EXPECT_EQ(place(1, TEXT_GLYPH_DELAY + 10, 3, 1).x, place(1, 10, 3, 0).x);
    EXPECT_EQ(place(2, TEXT_GLYPH_DELAY + 10, 3, 1).x, place(2, 10, 3, 2).x);
    EXPECT_EQ(place(11, TEXT_GLYPH_DELAY + 10, 3, 0).x, place(11, 10, 3, 1).x);
    // Kind 5 types: a glyph shows once its turn has begun, and the others wait.
    EXPECT_FALSE(place(5, 0, 4, 0).shown);
    EXPECT_TRUE(place(5, 2, 4, 0).shown);
    EXPECT_FALSE(place(5, 2, 4, 3).shown);
    EXPECT_EQ(place(5, 2, 4, 0).x, 100) << "typed glyphs stand at home";
}

TEST_F(TextAnimations, ANullTextOrAKindWithoutCallbackIsFinishedAtOnce)
{
    EXPECT_TRUE(draw_animated_text(nullptr, 0, 0, 1, 0, 0));
    EXPECT_TRUE(draw_animated_text("Title", 0, 0, 8, 0, 0));
    EXPECT_TRUE(draw_animated_text("Title", 0, 0, 200, 0, 0));
}

} // namespace
