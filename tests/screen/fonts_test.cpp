// The numbered fonts and text drawing: software fonts made by the kit's
// writers, queued as sprites; the hardware path through the kit's fonts.
#include "../gl3d/gl_fixture.h"
#include "../gl3d/picture_files.h"

#include "gl3d/hw_camera.h"
#include "gl3d/hw_fonts.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/texture_cache.h"
#include "gl3d/texture_manager.h"
#include "lib/font_write.h"
#include "platform/language.h"
#include "screen/fonts.h"
#include "screen/screen_flip.h"
#include "screen/screen.h"
#include "screen/screen_services.h"

#include <gtest/gtest.h>

#include "platform/exit_trap.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// Glyphs a (3 wide), b (4), c (5), all 7 high: widths 4, 5 and 6 with the gap.
std::vector<KitGlyphBitmap> glyphs()
{
    std::vector<KitGlyphBitmap> g;
    std::string error;
    kit_parse_glyphs("a ### ### ### ### ### ### ###\nb #### #### #### #### #### #### ####\n"
                     "c ##### ##### ##### ##### ##### ##### #####\n",
                     g, error);
    return g;
}

class Fonts : public ::testing::Test {
protected:
    void SetUp() override
    {
        init_screen_format(0);
        set_screen_display_kind(0);
        reset_fonts();
        reset_sprite_queues();
        text_proportional_on();
        // Font 1 of the table: height 7, line spacing 10, fixed width 6, space 3.
        KitSwFont f = kit_build_sw_font(glyphs(), 1, 15, 7, 10, 6, 3);
        files.write("front_en/font/sw/Ns2.SPR", f.images);
        files.write("front_en/font/sw/Ns2.DWD", f.offsets);
        files.write("front_en/font/sw/Ns2.WTH", f.widths);
        // Font 2 as twice the size.
        KitSwFont big = kit_build_sw_font(glyphs(), 2, 11, 14, 18, 12, 6);
        files.write("front_en/font/sw/Ns2s.SPR", big.images);
        files.write("front_en/font/sw/Ns2s.DWD", big.offsets);
        files.write("front_en/font/sw/Ns2s.WTH", big.widths);
        load_font(1, 1);
        load_font(2, 2);
        select_font(1);
    }
    void TearDown() override
    {
        reset_fonts();
        reset_sprite_queues();
    }
    PictureFiles files;
};

TEST_F(Fonts, NumbersWithoutFilesAndOutOfRangeLoadNothing)
{
    for (int32_t number : {4, 9, 15, 21, 24, 25, 200}) {
        load_font(7, number);
        EXPECT_FALSE(font_loaded(7)) << number;
    }
    select_font(4);
    EXPECT_EQ(current_font(), 1) << "a number without a font keeps the current one";
    select_font(25);
    EXPECT_EQ(current_font(), 1);
    select_font(2);
    EXPECT_EQ(current_font(), 2);
}

// A software font whose files do not fit together ends the game naming the
// file at fault; one of random bytes is never drawn as blocks.
TEST_F(Fonts, DamagedSoftwareFontsAreRefused)
{
    const KitSwFont good = kit_build_sw_font(glyphs(), 1, 15, 7, 10, 6, 3);
    std::vector<uint8_t> noise(good.images.size());
    uint32_t seed = 99;
    for (uint8_t& b : noise) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
    std::vector<uint8_t> past = good.offsets;
    past[4] = 0xFF, past[5] = 0xFF, past[6] = 0xFF;
    const struct {
        const char* what;
        std::vector<uint8_t> images, offsets, widths;
        const char* says;
    } cases[] = {
        {"widths cut to two bytes", good.images, good.offsets, {7, 10}, "Ns2.WTH ("},
        {"offsets cut inside a word", good.images, {good.offsets.begin(), good.offsets.end() - 1}, good.widths,
         "not whole 32-bit offsets"},
        {"an offset past the images", good.images, past, good.widths, "the glyph of character 34 is not a whole image"},
        {"images of random bytes", noise, good.offsets, good.widths, "is not a whole image of"},
    };
    for (const auto& c : cases) {
        files.write("front_en/font/sw/Ns2.SPR", c.images);
        files.write("front_en/font/sw/Ns2.DWD", c.offsets);
        files.write("front_en/font/sw/Ns2.WTH", c.widths);
        Ending e = run_trapped([] { load_font(7, 1); });
        EXPECT_TRUE(e.ended && e.code == 1) << c.what;
        EXPECT_NE(e.box_text.find("load_font: "), std::string::npos) << c.what << ": " << e.box_text;
        EXPECT_NE(e.box_text.find(c.says), std::string::npos) << c.what << ": " << e.box_text;
        free_font(7);
    }
}

TEST_F(Fonts, WidthsHeightsAndNewLinePairs)
{
    EXPECT_EQ(string_width("abc"), 4 + 5 + 6);
    EXPECT_EQ(string_width("a a"), 4 + 3 + 4);
    EXPECT_EQ(string_width("ab\r\nc"), 9);
    EXPECT_EQ(string_height("a"), 7);
    for (const char* two_lines : {"ab\r\nc", "ab\n\rc", "ab\nc"}) EXPECT_EQ(string_height(two_lines), 17) << two_lines;
    EXPECT_EQ(string_height("ab\n\nc"), 27);
    // Control 1 changes the font for what follows; control 2 starts a new
    // run at x (scaled from 640).
    EXPECT_EQ(string_width(std::string_view("a\x01\x02" "a", 4)), 4 + 8);
    EXPECT_EQ(string_width(std::string_view("abc\x02\x64\x00" "a", 7)), 100 + 4);
    // Bytes of 128 and above have no glyph here: no width, no fault.
    EXPECT_EQ(string_width("\xC8\xFF"), 0);
    text_proportional_off();
    EXPECT_EQ(string_width("abc"), 18) << "the fixed width";
    text_proportional_on();
    int32_t h, s;
    font_metrics(2, &h, &s);
    EXPECT_EQ(h, 14);
    EXPECT_EQ(s, 18);
    font_metrics(-1, &h, &s);
    EXPECT_EQ(h, 7);
}

TEST_F(Fonts, TheTextLayoutMeasuresWithTheseFonts)
{
    const int32_t one_line = string_width("abc cba");
    char* lines[MAX_TEXT_LINES];
    int32_t count = 0;
    EXPECT_EQ(format_text_lines(lines, &count, "abc cba", one_line, 1), 7);
    EXPECT_EQ(count, 1);
    free_text_lines();
    EXPECT_EQ(format_text_lines(lines, &count, "abc cba", one_line - 1, 1), 14);
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(lines[1], "cba");
    free_text_lines();
    // Font 2 is twice the size: the same width no longer holds the text.
    const int32_t height = format_text_lines(lines, &count, "abc cba", one_line, 2);
    EXPECT_GE(count, 2);
    EXPECT_EQ(height, 14 * count);
    free_text_lines();
}

TEST_F(Fonts, DrawStringQueuesEachGlyphAtItsPen)
{
    draw_string("ab\nc", 100, 50, 1, 0);
    EXPECT_EQ(queued_sprites(), 3);
    EXPECT_EQ(text_pen_x, 100 + 6);
    EXPECT_EQ(text_pen_y, 60);
    draw_char('b', 10, 10, 0);
    EXPECT_EQ(queued_text_sprites(), 1);
    EXPECT_EQ(text_pen_x, 15);
    draw_char(5, 10, 10, 0);
    EXPECT_EQ(queued_text_sprites(), 1) << "control codes draw nothing";

    static std::vector<int16_t> xs;
    xs.clear();
    uint8_t flag = draw_string_cb("abc", 0, 0,
                                  [](const void**, int16_t* x, int16_t*, uint16_t*, uint8_t* f, int32_t index) {
                                      xs.push_back(*x);
                                      if (index == 1) *f = 7;
                                      *x = 0;
                                  },
                                  0);
    EXPECT_EQ(xs, (std::vector<int16_t>{0, 4, 9})) << "the pen advances as if unchanged";
    EXPECT_EQ(flag, 7);
}

// A callback may hide a glyph; on the hardware path each glyph still goes
// through the callback, and the flag it leaves is the answer.
TEST_F(Fonts, ACallbackHidesGlyphsAndAnswersOnBothPaths)
{
    const int32_t before = queued_text_sprites();
    auto hide_middle = [](const void** g, int16_t*, int16_t*, uint16_t*, uint8_t* f, int32_t index) {
        if (index == 1) *g = nullptr, *f = 0;
    };
    EXPECT_EQ(draw_string_cb("abc", 0, 0, hide_middle, 0), 0);
    EXPECT_EQ(queued_text_sprites() - before, 2) << "the hidden glyph is not queued";
    EXPECT_EQ(text_pen_x, 15) << "the pen passes it all the same";

    set_screen_display_kind(1);
    static int calls;
    calls = 0;
    auto count = [](const void** g, int16_t*, int16_t*, uint16_t*, uint8_t*, int32_t) {
        ++calls;
        EXPECT_NE(*g, nullptr);
    };
    EXPECT_EQ(draw_string_cb("ab c", 0, 0, count, 0), 1) << "finished once no glyph says otherwise";
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(draw_string_cb("ab", 0, 0, hide_middle, 0), 0);
    set_screen_display_kind(0);
}

TEST_F(Fonts, TheTextCacheKeysByTheStringItself)
{
    ASSERT_EQ(create_ddraw_surfaces(), 1); // the text images copy the screen under them
    draw_control_string("ab", 20, 20, 0);
    draw_control_string("ab", 20, 20, 0);
    EXPECT_EQ(text_cache_used(), 1) << "the same text, place and font: one entry";
    // "ba" has the same byte sum and length as "ab": still its own picture.
    draw_control_string("ba", 20, 20, 0);
    EXPECT_EQ(text_cache_used(), 2);
    draw_control_string("ab", 21, 20, 0);
    EXPECT_EQ(text_cache_used(), 3);

    // Strings not drawn again leave within two frames (one for each buffer).
    invalidate_text_sprites();
    draw_control_string("ab", 20, 20, 0);
    redraw_text_sprites();
    EXPECT_EQ(text_cache_used(), 1);
    clear_text_sprites();
    EXPECT_EQ(text_cache_used(), 0);
    for (int i = 0; i < TEXT_CACHE_ENTRIES; ++i) draw_control_string(std::to_string(i).c_str(), 0, i, 0);
    reset_sprite_queues();
    const int32_t before = queued_sprites();
    draw_control_string("abc", 300, 300, 0); // no room: drawn uncached
    EXPECT_EQ(text_cache_used(), TEXT_CACHE_ENTRIES);
    EXPECT_EQ(queued_sprites(), before + 3);
    clear_text_sprites();
    reset_sprite_queues();
    release_ddraw();
}

TEST_F(Fonts, ATextNoLongerDrawnGivesTheBackgroundBackInBothBuffers)
{
    ASSERT_EQ(create_ddraw_surfaces(), 1);
    std::vector<uint8_t> picture(640 * 480, 50);
    Surface* background = make_sprite_background(picture.data(), 640);
    Surface* back = back_surface;
    const auto fill = [&](uint8_t v) {
        for (int32_t y = 18; y < 30; ++y)
            for (int32_t x = 18; x < 32; ++x) back->pixels[static_cast<size_t>(y) * back->pitch + x] = v;
    };
    const auto at = [&](int32_t x, int32_t y) { return back->pixels[static_cast<size_t>(y) * back->pitch + x]; };
    draw_control_string("ab", 20, 20, 0);
    flush_sprites();
    // The string shows on this buffer; the frame it is no longer drawn, its
    // place comes back at once, and again when the queued block is flushed
    // (the other buffer's turn).
    fill(99);
    invalidate_text_sprites();
    redraw_text_sprites();
    EXPECT_EQ(at(22, 22), 50) << "restored as the text was dropped";
    EXPECT_EQ(at(19, 19), 99) << "outside the text's rectangle nothing changes";
    fill(99);
    flush_sprites();
    EXPECT_EQ(at(22, 22), 50) << "restored by the block left for the other buffer";
    drop_sprite_background(background);
    clear_text_sprites();
    reset_sprite_queues();
    release_ddraw();
}

TEST(HardwareFonts, TheHardwarePathDrawsWithTheKitsFonts)
{
    init_screen_format(0);
    set_screen_display_kind(1);
    reset_fonts();
    load_font(3, 3); // newlarge2
    select_font(3);
    EXPECT_EQ(string_width("A"), 12) << "ten pixels of glyph and two of gap";
    int32_t h, s;
    font_metrics(-1, &h, &s);
    EXPECT_EQ(h, 18);
    EXPECT_EQ(s, 18);
    draw_string("AB", 10, 20, 3, 0);
    EXPECT_EQ(text_pen_x, 10 + 24);
    reset_fonts();
    reset_texture_cache();
    tex_destroy_all();
    set_screen_display_kind(0);
}

// Animated text on the hardware path takes the scale its callback leaves, as
// a sprite does: 128 draws each glyph twice the size, grown from its pen.
struct HardwareAnimatedText : GlFixture {
    void SetUp() override
    {
        GlFixture::SetUp();
        sprite_hardware_switch = 1;
        reset_hw_camera();
        init_hw_lens();
        set_viewport(0, 0, 640, 480);
        init_screen_format(0);
        set_screen_display_kind(1);
        reset_fonts();
        reset_sprite_queues();
        load_font(3, 3); // the kit's newlarge2
        select_font(3);
    }
    void TearDown() override
    {
        reset_fonts();
        reset_sprite_queues();
        reset_texture_cache();
        tex_destroy_all();
        set_screen_display_kind(0);
        sprite_hardware_switch = 0;
        GlFixture::TearDown();
    }
    // Left, top, right, bottom of every quad drawn by the flush.
    std::vector<std::array<float, 4>> glyph_boxes()
    {
        device.forget();
        flush_sprites();
        std::vector<std::array<float, 4>> out;
        for (const RecordedCall& c : device.of_kind(RecordedCall::DRAW))
            for (size_t t = 0; t + 6 <= c.vertices.size(); t += 6) {
                std::array<float, 4> b{1e9f, 1e9f, -1e9f, -1e9f};
                for (size_t k = t; k < t + 6; ++k)
                    b = {std::min(b[0], c.vertices[k].x), std::min(b[1], c.vertices[k].y),
                         std::max(b[2], c.vertices[k].x), std::max(b[3], c.vertices[k].y)};
                out.push_back(b);
            }
        return out;
    }
};

TEST_F(HardwareAnimatedText, TheCallbacksScaleSizesEachGlyphFromItsPen)
{
    static uint16_t wanted;
    const auto at_scale = [](const void**, int16_t*, int16_t*, uint16_t* scale, uint8_t*, int32_t) { *scale = wanted; };
    struct Case {
        uint16_t scale;
        float factor; // of the natural size; 0: nothing drawn
    };
    wanted = 256;
    draw_string_cb("AB", 100, 200, at_scale, 0);
    const std::vector<std::array<float, 4>> natural = glyph_boxes();
    ASSERT_EQ(natural.size(), 2u);
    const float w = natural[0][2] - natural[0][0], h = natural[0][3] - natural[0][1];
    ASSERT_GT(w, 0.0f);
    for (const Case c : {Case{128, 2.0f}, Case{512, 0.5f}, Case{0, 0.0f}}) {
        SCOPED_TRACE(c.scale);
        wanted = c.scale;
        draw_string_cb("AB", 100, 200, at_scale, 0);
        const std::vector<std::array<float, 4>> boxes = glyph_boxes();
        if (c.factor == 0.0f) {
            EXPECT_TRUE(boxes.empty()) << "scale 0 draws nothing, as with sprites";
            continue;
        }
        ASSERT_EQ(boxes.size(), 2u);
        for (size_t g = 0; g < 2; ++g) {
            EXPECT_NEAR(boxes[g][2] - boxes[g][0], w * c.factor, 0.5f);
            EXPECT_NEAR(boxes[g][3] - boxes[g][1], h * c.factor, 0.5f);
            // Grown about the pen point: each offset from it scales too.
            EXPECT_NEAR(boxes[g][1] - 200.0f, (natural[g][1] - 200.0f) * c.factor, 0.5f);
        }
        EXPECT_NEAR(boxes[0][0], natural[0][0], 1.0f) << "the first glyph still starts at its pen";
        EXPECT_EQ(text_pen_x, 100 + string_width("AB")) << "the pen walks on at the natural size";
    }
}

TEST_F(HardwareAnimatedText, AScaledGlyphIsCutToItsClipWindowAsAtNaturalSize)
{
    static uint16_t wanted;
    const auto at_scale = [](const void**, int16_t*, int16_t*, uint16_t* scale, uint8_t*, int32_t) { *scale = wanted; };
    wanted = 128;
    draw_string_cb("AB", 100, 200, at_scale, 0);
    const std::vector<std::array<float, 4>> whole = glyph_boxes();
    ASSERT_EQ(whole.size(), 2u);
    // A window that takes the left part of the first glyph and none of the second.
    const float cut_x = (whole[0][0] + whole[0][2]) / 2;
    set_clip_window(1, 0, 0, 480, static_cast<uint16_t>(cut_x));
    for (const uint16_t scale : {uint16_t(128), uint16_t(256)}) {
        SCOPED_TRACE(scale);
        wanted = scale;
        draw_string_cb("AB", 100, 200, at_scale, 1);
        const std::vector<std::array<float, 4>> boxes = glyph_boxes();
        ASSERT_EQ(boxes.size(), 1u) << "the glyph wholly outside is not drawn";
        EXPECT_NEAR(boxes[0][0], scale == 128 ? whole[0][0] : boxes[0][0], 0.5f);
        EXPECT_LE(boxes[0][2], cut_x + 0.5f) << "nothing right of the window";
    }
    set_clip_window(1, 0, 0, 480, 640);
}

} // namespace
