// Hardware fonts, sprite sets and the sprite queue against the recording
// device: glyph and frame quads where the picture shows them.
#include "gl_fixture.h"
#include "picture_files.h"

#include "../platform/exit_trap.h"
#include "gl3d/hw_camera.h"
#include "gl3d/hw_fonts.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/sprite_sets.h"
#include "gl3d/texture_cache.h"
#include "gl3d/texture_manager.h"
#include "gl3d/timer_pool.h"
#include "lib/font_write.h"

#include <algorithm>
#include <cmath>

namespace {

// Pixel rectangle of a drawn quad.
struct Box {
    float left, top, right, bottom;
};

class SpriteLayerTest : public GlFixture {
protected:
    void SetUp() override
    {
        GlFixture::SetUp();
        reset_render_state_cache();
        reset_hw_camera();
        init_hw_lens();
        set_viewport(0, 0, 640, 480);
        reset_texture_cache();
        tex_destroy_all();
        reset_hw_fonts();
        reset_sprite_sets();
        reset_timer_pool();
        init_sprite_engine();
        sprite_hardware_switch = 1;
        set_sprite_option(1);
        set_colour_mode(2, 0xFFFFFFFF); // vertex colours, as the screens set it up
    }
    void TearDown() override
    {
        reset_hw_fonts();
        reset_sprite_sets();
        reset_texture_cache();
        tex_destroy_all();
        reset_timer_pool();
        reset_sprite_queues();
        sprite_hardware_switch = 0;
        GlFixture::TearDown();
    }

    // A font of glyphs 'a' .. 'd', each w x h with advance adv, on one page.
    void write_font(const char* name, uint32_t pages = 1, uint8_t page_of_d = 0)
    {
        KitHwFont f;
        f.page_count = pages, f.line_height = 12, f.space_width = 5, f.first = 'a';
        for (int i = 0; i < 4; ++i) {
            KitHwGlyph g;
            g.u_left = 0.25f * i, g.u_right = 0.25f * i + 0.25f, g.v_top = 0, g.v_bottom = 1;
            g.width = 6, g.height = 8, g.advance = static_cast<uint8_t>(7 + i), g.x_offset = 1, g.y_offset = 2;
            g.page = i == 3 ? page_of_d : 0;
            f.glyphs.push_back(g);
        }
        files.write(name, kit_lkf(f));
        std::string stem = std::string(name).substr(0, std::string(name).rfind('.'));
        for (uint32_t p = 0; p < pages; ++p) files.write(stem + "_" + std::to_string(p) + ".tga", kit_tga(kit_picture(8, 8, 0xFFFFFFFF)));
    }

    // The pixel boxes of every quad drawn since the last forget.
    std::vector<Box> drawn_boxes() const
    {
        std::vector<Box> boxes;
        for (const RecordedCall& c : device.of_kind(RecordedCall::DRAW)) {
            for (size_t t = 0; t + 6 <= c.vertices.size(); t += 6) {
                Box b{1e9f, 1e9f, -1e9f, -1e9f};
                for (size_t k = t; k < t + 6; ++k) {
                    b.left = std::min(b.left, c.vertices[k].x), b.right = std::max(b.right, c.vertices[k].x);
                    b.top = std::min(b.top, c.vertices[k].y), b.bottom = std::max(b.bottom, c.vertices[k].y);
                }
                boxes.push_back(b);
            }
        }
        return boxes;
    }

    PictureFiles files;
};


TEST_F(SpriteLayerTest, GlyphRangePenAndControlCodes)
{
    write_font("f.fnt");
    int32_t slot = create_hw_font("f.fnt");
    ASSERT_EQ(slot, 0);
    float at[2] = {100, 50};
    // The last glyph (d) is drawn, the next character (e) is not.
    EXPECT_FLOAT_EQ(draw_hw_string(std::string_view("ab\nd", 4), at, 0, slot), 110.0f);
    EXPECT_FLOAT_EQ(at[1], 62.0f) << "one line height down";
    float at2[2] = {0, 0};
    draw_hw_string("de", at2, 0, slot);
    float at3[2] = {0, 0};
    draw_hw_string(std::string_view("\x02\x10\x01" "a", 4), at3, 0, slot);
    EXPECT_FLOAT_EQ(at3[0], 272.0f + 7.0f) << "code 2 moves to start x + 0x0110";
    device.forget();
    flush_sprites();
    std::vector<Box> boxes = drawn_boxes();
    ASSERT_EQ(boxes.size(), 5u) << "a, b, d; d; a";
    EXPECT_NEAR(boxes[0].left, 101.0f, 1.0f);
    EXPECT_NEAR(boxes[0].top, 52.0f, 1.0f);
    EXPECT_NEAR(boxes[0].right - boxes[0].left, 6.0f, 0.2f);
    EXPECT_EQ(hw_font_page_vertices(slot, 0), 0u) << "the flush empties the pages";
}

TEST_F(SpriteLayerTest, QueuedStringsAreLaidOutAtTheFlush)
{
    write_font("f.fnt");
    int32_t slot = create_hw_font("f.fnt");
    set_hw_text_queued(1);
    float at[2] = {10, 10};
    draw_hw_string("ab", at, 0, slot);
    draw_hw_string("ab", at, 0, slot);
    EXPECT_EQ(hw_text_queue_count(), 2);
    EXPECT_EQ(hw_font_page_vertices(slot, 0), 0u);
    device.forget();
    flush_sprites();
    EXPECT_EQ(drawn_boxes().size(), 4u);
    EXPECT_EQ(hw_text_queue_count(), 0);
    EXPECT_EQ(get_hw_text_queued(), 1u);
}

TEST_F(SpriteLayerTest, FontSlotsMetricsAndHostileFiles)
{
    write_font("f.fnt", 2, 7); // d names page 7 of 2
    int32_t a = create_hw_font("f.fnt");
    files.remove("f.fnt");
    int32_t b = create_hw_font("f.fnt");
    ASSERT_NE(b, -1);
    EXPECT_EQ(hw_font_metrics(b)->glyph_count, 4u) << "copied from the font already loaded";
    EXPECT_NE(hw_font_metrics(a), hw_font_metrics(b));
    EXPECT_EQ(hw_char_width('c', a), 9);
    EXPECT_EQ(hw_char_width(' ', a), 5);
    EXPECT_EQ(hw_char_width('z', a), 0);
    EXPECT_EQ(hw_text_width(std::string_view("ab\r\ncd\nd", 8), a), 9 + 10) << "the widest line";
    EXPECT_EQ(hw_text_width("abcd", a), 7 + 8 + 9 + 10);
    EXPECT_EQ(hw_text_height("a\nb\nc", a), 36);
    float at[2] = {0, 0};
    draw_hw_string("d", at, 0, a);
    EXPECT_EQ(hw_font_page_vertices(a, 0) + hw_font_page_vertices(a, 1), 0u) << "a glyph on a missing page draws nothing";
    EXPECT_FLOAT_EQ(at[0], 10.0f) << "but still advances";

    int32_t missing = create_hw_font("nothing.fnt");
    EXPECT_EQ(hw_text_width("abc", missing), 0);

    // Slots: freeing leaves a hole that is taken first; a sixteenth font is refused.
    select_hw_font(b);
    EXPECT_EQ(free_hw_font(b), 2);
    EXPECT_EQ(current_hw_font(), -1);
    EXPECT_EQ(free_hw_font(b), 2) << "freed twice: nothing";
    select_hw_font(b);
    EXPECT_EQ(current_hw_font(), -1);
    while (hw_font_count() < HW_FONT_SLOTS) ASSERT_GE(create_hw_font("nothing.fnt"), 0);
    EXPECT_EQ(create_hw_font("nothing.fnt"), -1);
    select_hw_font(14);
    EXPECT_EQ(current_hw_font(), 14);
}

// A metrics file that is there but does not fit its header ends the game
// with the file's name and the fault, as a missing data file does; the font
// is not made.
TEST_F(SpriteLayerTest, DamagedFontMetricsAreRefused)
{
    write_font("good.fnt");
    const std::vector<uint8_t> good = files.read("good.fnt");
    auto with_word = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> bytes = good;
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
        return bytes;
    };
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"cut in its header", std::vector<uint8_t>(good.begin(), good.begin() + 11), "shorter than its header"},
        {"cut in its last glyph", std::vector<uint8_t>(good.begin(), good.end() - 5), "the header counts 4 glyphs, the file holds 3"},
        {"a count past the file", with_word(0, 200), "the header counts 200 glyphs"},
        {"too many pages", with_word(4, 257), "257 glyph pages"},
        {"a first character past a byte", with_word(16, 0x80000000u), "from character 2147483648"},
        {"glyphs past character 255", with_word(16, 254), "go past character 255"},
    };
    for (const auto& c : cases) {
        files.write("bad.fnt", c.bytes);
        const int32_t before = hw_font_count();
        Ending e = run_trapped([] { create_hw_font("bad.fnt"); });
        EXPECT_TRUE(e.ended && e.code == 1) << c.what;
        EXPECT_NE(e.box_text.find("create_hw_font: bad.fnt ("), std::string::npos) << c.what << ": " << e.box_text;
        EXPECT_NE(e.box_text.find(c.reason), std::string::npos) << c.what << ": " << e.box_text;
        EXPECT_EQ(hw_font_count(), before) << c.what;
    }
}

TEST_F(SpriteLayerTest, ClipWindowsCutGlyphQuads)
{
    write_font("f.fnt");
    int32_t slot = create_hw_font("f.fnt");
    set_clip_window_reader([](int32_t window, ClipRect* out) {
        *out = window == 1 ? ClipRect{0, 0, 104, 480} : ClipRect{0, 0, 640, 480};
        return window >= 0 && window < 8;
    });
    float at[2] = {100, 50};
    draw_hw_string("ab", at, 1, slot); // a spans 101..107: cut at 104; b lies outside
    device.forget();
    flush_sprites();
    set_clip_window_reader(nullptr);
    std::vector<Box> boxes = drawn_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NEAR(boxes[0].right, 104.0f, 1.0f);
    float u_max = 0;
    const std::vector<RecordedCall> draws = device.of_kind(RecordedCall::DRAW);
    for (const HostTLVertex& v : draws[0].vertices) u_max = std::max(u_max, v.u);
    EXPECT_NEAR(u_max, 0.125f, 1e-3f) << "half the glyph: half its u range";
}

void write_set(PictureFiles& files)
{
    std::vector<KitSpriteFrame> frames(3);
    for (int i = 0; i < 3; ++i) {
        frames[i].width = 16, frames[i].height = 8, frames[i].x_offset = 8, frames[i].y_offset = 4;
        frames[i].u_left = 0, frames[i].u_right = 1, frames[i].v_top = 0, frames[i].v_bottom = 1;
    }
    frames[1].page = 1, frames[2].page = 4;
    files.write("set.sph", kit_sph(frames));
    files.write("set.DWH", kit_sprite_companion({50, 0, 7, 75}, {9, 9}));
    for (int p : {0, 1, 4}) files.write("set_00" + std::to_string(p) + ".tga", kit_tga(kit_picture(4, 4, 0xFFFFFFFF)));
}

TEST_F(SpriteLayerTest, SpriteSetsLoadPagesAndCheckedFrameTables)
{
    write_set(files);
    std::vector<uint8_t> buffer(64, 0xEE);
    int32_t slot = load_sprite_set("set.sph", buffer.data(), static_cast<uint32_t>(buffer.size()));
    ASSERT_EQ(slot, 0);
    int32_t pages = 0;
    const int32_t* ids = nullptr;
    get_sprite_frames(slot, &pages, &ids);
    EXPECT_EQ(pages, 5) << "pages 0, 1 and 4: five page textures";
    EXPECT_EQ(texture_cache_count(), 5);
    EXPECT_EQ(sprite_set_frame(slot, 0), sprite_set_record(slot, 2));
    EXPECT_EQ(sprite_set_frame(slot, 1), sprite_set_record(slot, 0));
    EXPECT_EQ(sprite_set_frame(slot, 2), nullptr) << "not a multiple of 25";
    EXPECT_EQ(sprite_set_frame(slot, 3), nullptr) << "past the table";
    EXPECT_EQ(buffer[0], 50) << "the caller's buffer keeps the companion's offsets";
    EXPECT_EQ(find_sprite_set_of_frame(sprite_set_record(slot, 1)), slot);
    EXPECT_EQ(free_sprite_set(slot), 0);
    EXPECT_EQ(texture_cache_count(), 0);
    EXPECT_EQ(buffer[0], 50);
}

TEST_F(SpriteLayerTest, ScaleFlipAndNothingAtScaleZero)
{
    write_set(files);
    int32_t slot = load_sprite_set("set.sph", nullptr, 0);
    const hw_sprite_frame* f = sprite_set_record(slot, 0);
    begin_2d_overlay(); // as the flush draws them
    struct Case {
        uint16_t scale;
        float width;
    } cases[] = {{256, 16}, {512, 8}, {128, 32}};
    for (const Case& c : cases) {
        device.forget();
        draw_hw_sprite(f, 320, 240, c.scale, 0, 0, 0.0f, 255);
        std::vector<Box> boxes = drawn_boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NEAR(boxes[0].right - boxes[0].left, c.width, 0.3f) << c.scale;
        EXPECT_NEAR(boxes[0].left, 320 - c.width / 2, 1.0f) << "the hot spot stays put";
    }
    device.forget();
    draw_hw_sprite(f, 320, 240, 0, 0, 0, 0.0f, 255);
    EXPECT_TRUE(drawn_boxes().empty());
    // Flags 1 and 4 swap v and u; 2 swaps nothing. The first vertex is the top left.
    struct Flip {
        uint8_t flags;
        float u, v;
    } flips[] = {{0, 0, 0}, {SPRITE_FLIP_V | SPRITE_FLIP_U, 1, 1}, {2, 0, 0}, {SPRITE_FLIP_V, 0, 1}};
    for (const Flip& fl : flips) {
        device.forget();
        draw_hw_sprite(f, 320, 240, 256, fl.flags, 0, 0.0f, 128);
        const HostTLVertex v = device.of_kind(RecordedCall::DRAW)[0].vertices[0];
        EXPECT_FLOAT_EQ(v.u, fl.u) << int(fl.flags);
        EXPECT_FLOAT_EQ(v.v, fl.v) << int(fl.flags);
        EXPECT_EQ(v.diffuse >> 24, 128u) << "the alpha argument";
    }
    end_2d_overlay();
}

TEST_F(SpriteLayerTest, TheQueueDrawsByDepthAndKeepsQueueOrderForTies)
{
    static std::vector<intptr_t> order;
    order.clear();
    auto note = [](intptr_t p, int16_t, int16_t, float) { order.push_back(p); };
    queue_sprite_callback(note, 1, 0, 0, 0, 50, 0);
    queue_sprite_callback(note, 2, 0, 0, 0, DEPTH_DRAWN, 0);
    queue_sprite_callback(note, 3, 0, 0, 0, 10, 0);
    queue_sprite_callback(note, 4, 0, 0, 0, 50, 0);
    queue_sprite_callback(note, 5, 0, 0, SPRITE_TO_OVERLAY, 99, 0);
    // A sprite queued with the callback flag value is still a sprite.
    queue_sprite(nullptr, 0, 0, 0x69, 60, 256, 0);
    EXPECT_EQ(queued_sprites(), 5);
    EXPECT_EQ(queued_overlay_sprites(), 1);
    flush_sprites();
    EXPECT_EQ(order, (std::vector<intptr_t>{5, 3, 1, 4, 2}));
    EXPECT_EQ(queued_sprites(), 0) << "a fresh buffer for the next frame";

    disable_sprite_queue();
    queue_sprite_if_enabled(nullptr, 0, 0, 0, 1, 256, 0);
    EXPECT_EQ(queued_sprites(), 0);
    queue_sprite(nullptr, 0, 0, 0, 1, 256, 0);
    EXPECT_EQ(queued_sprites(), 1);
    enable_sprite_queue();
}

TEST_F(SpriteLayerTest, TheEightHundredthRecordIsFatal)
{
    for (int i = 0; i < SPRITE_QUEUE_SIZE - 1; ++i) queue_sprite(nullptr, 0, 0, 0, 1, 256, 0);
    Ending e = run_trapped([] { queue_sprite(nullptr, 0, 0, 0, 1, 256, 0); });
    EXPECT_TRUE(e.ended);
    EXPECT_EQ(e.code, 1);
    reset_sprite_queues();
    for (int i = 0; i < TEXT_BLOCK_QUEUE_SIZE - 1; ++i) queue_text_block(nullptr, 0, 0, 1, 1, 0, 0);
    EXPECT_TRUE(run_trapped([] { queue_text_block(nullptr, 0, 0, 1, 1, 0, 0); }).ended);
    reset_sprite_queues();
}

TEST_F(SpriteLayerTest, TurnedAndShadedSprites)
{
    write_set(files);
    int32_t slot = load_sprite_set("set.sph", nullptr, 0);
    const hw_sprite_frame* f = sprite_set_record(slot, 0);
    begin_2d_overlay();
    device.forget();
    draw_hw_sprite(f, 320, 240, 256, SPRITE_FLIP_U, 0, 90.0f, 255);
    std::vector<Box> boxes = drawn_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NEAR(boxes[0].right - boxes[0].left, 8.0f, 0.3f) << "a quarter turn: 16 x 8 stands 8 x 16";
    EXPECT_NEAR(boxes[0].bottom - boxes[0].top, 16.0f, 0.3f);
    EXPECT_FLOAT_EQ(device.of_kind(RecordedCall::DRAW)[0].vertices[0].u, 0.0f) << "no flip while turned";

    // A switched-on quad over the whole screen shades the sprite's corners.
    int32_t q = quad_create();
    const QuadColour grey[4] = {{128, 64, 255}, {128, 64, 255}, {128, 64, 255}, {128, 64, 255}};
    quad_setcorners(q, grey);
    quad_flagon(q);
    set_sprite_colour(0xFFFFFF80);
    set_sprite_shaded(1);
    device.forget();
    draw_hw_sprite(f, 320, 240, 256, 0, 0, 0.0f, 200);
    const HostTLVertex v = device.of_kind(RecordedCall::DRAW)[0].vertices[0];
    EXPECT_EQ(v.diffuse, 0xC8804080u) << "shade times the colour factors, the alpha argument";
    set_sprite_shaded(0);
    set_sprite_colour(0xFFFFFFFF);
    end_2d_overlay();
}

TEST_F(SpriteLayerTest, FontColourReachesEveryCorner)
{
    write_font("f.fnt");
    int32_t slot = create_hw_font("f.fnt");
    set_hw_font_colour(slot, 0x8000FFFF);
    float at[2] = {10, 10};
    draw_hw_string("a", at, 0, slot);
    device.forget();
    flush_sprites();
    const std::vector<RecordedCall> draws = device.of_kind(RecordedCall::DRAW);
    ASSERT_EQ(draws.size(), 1u);
    for (const HostTLVertex& v : draws[0].vertices) EXPECT_EQ(v.diffuse, 0x8000FFFFu);
}

TEST_F(SpriteLayerTest, SoftwareBanksCountTheirSpritesWithinTheBank)
{
    std::vector<int16_t> pixels(10 * 300, 7);
    std::vector<uint8_t> bank = kit_sw_sprite(10, 3, 0, 0, pixels);
    std::vector<uint8_t> tall = kit_sw_sprite(10, 300, 0, 0, pixels, true); // more rows than a byte holds
    const uint32_t second = static_cast<uint32_t>(bank.size());
    bank.insert(bank.end(), tall.begin(), tall.end());
    files.write("bank.spr", bank);
    files.write("bank.DWD", kit_sprite_companion({second, 0, 99999}));
    set_sprite_set_mode(0);
    std::vector<uint8_t> buffer(64);
    int32_t slot = load_sprite_set("bank.sph", buffer.data(), 64);
    ASSERT_EQ(slot, 0);
    EXPECT_EQ(sprite_bank_count(slot), 2u);
    ASSERT_NE(sprite_bank_sprite(slot, 0), nullptr);
    EXPECT_EQ(sprite_bank_sprite(slot, 0)[0] & 0x80, 0x80) << "the long header of the second sprite";
    EXPECT_NE(sprite_bank_sprite(slot, 1), nullptr);
    EXPECT_EQ(sprite_bank_sprite(slot, 2), nullptr);
    EXPECT_EQ(free_sprite_set(slot), 0);
    set_sprite_set_mode(1);
}

// A frame header cut inside its records, or a software bank with bytes that
// are not a whole sprite, ends the game naming the file; nothing is made.
TEST_F(SpriteLayerTest, DamagedSpriteSetsAreRefused)
{
    write_set(files);
    std::vector<uint8_t> header = files.read("set.sph");
    header.resize(header.size() - 3);
    files.write("set.sph", header);
    std::vector<uint8_t> bank = kit_sw_sprite(10, 3, 0, 0, std::vector<int16_t>(30, 7));
    bank.push_back(0x55);
    files.write("bank.spr", bank);
    files.write("bank.DWD", kit_sprite_companion({0}));
    const struct {
        const char* file;
        int32_t software;
        const char* says;
    } cases[] = {
        {"set.sph", 0, "read_sprite_frames: set.sph ("},
        {"bank.sph", 1, "load_sprite_set: bank.spR ("},
    };
    for (const auto& c : cases) {
        set_sprite_set_mode(c.software ? 0 : 1);
        std::vector<uint8_t> buffer(64);
        Ending e = run_trapped([&] { load_sprite_set(c.file, buffer.data(), 64); });
        EXPECT_TRUE(e.ended && e.code == 1) << c.file;
        EXPECT_NE(e.box_text.find(c.says), std::string::npos) << e.box_text;
        EXPECT_EQ(texture_cache_count(), 0) << c.file;
    }
    set_sprite_set_mode(1);
}

TEST_F(SpriteLayerTest, SpritesAreCutToTheirClipWindow)
{
    write_set(files);
    int32_t slot = load_sprite_set("set.sph", nullptr, 0);
    set_clip_window_reader([](int32_t window, ClipRect* out) {
        *out = window == 2 ? ClipRect{0, 0, 640, 240} : ClipRect{0, 0, 640, 480};
        return true;
    });
    // 16 x 8 with its hot spot in the middle: rows 236..244, cut at 240.
    queue_sprite(sprite_set_record(slot, 0), 320, 240, 0, 1, 256, 2);
    queue_sprite(sprite_set_record(slot, 0), 320, 250, 0, 1, 256, 2); // wholly below: not drawn
    device.forget();
    flush_sprites();
    set_clip_window_reader(nullptr);
    std::vector<Box> boxes = drawn_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NEAR(boxes[0].bottom, 240.0f, 1.0f);
    EXPECT_NEAR(boxes[0].bottom - boxes[0].top, 4.0f, 0.3f);
    float v_max = 0;
    const std::vector<RecordedCall> draws = device.of_kind(RecordedCall::DRAW);
    for (const HostTLVertex& v : draws[0].vertices) v_max = std::max(v_max, v.v);
    EXPECT_NEAR(v_max, 0.5f, 1e-3f);
}

TEST_F(SpriteLayerTest, ShadedTextTakesTheQuadsShade)
{
    write_font("f.fnt");
    int32_t slot = create_hw_font("f.fnt");
    set_hw_font_colour(slot, 0xFF80FFFF);
    int32_t q = quad_create();
    const QuadColour dim[4] = {{255, 128, 0}, {255, 128, 0}, {255, 128, 0}, {255, 128, 0}};
    quad_setcorners(q, dim);
    quad_flagon(q);
    set_hw_text_shaded(1);
    float at[2] = {10, 10};
    draw_hw_string("a", at, 0, slot);
    set_hw_text_shaded(0);
    device.forget();
    flush_sprites();
    const std::vector<RecordedCall> draws = device.of_kind(RecordedCall::DRAW);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].vertices[0].diffuse, 0xFF808000u) << "red 255 x 0.5, green 128 x 1, blue 0";
}

} // namespace
