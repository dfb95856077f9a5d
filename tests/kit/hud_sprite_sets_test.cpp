// The built data set's HUD sprite sets hold every frame the HUD and the
// replay screen draw, each with a size, a place on an existing page and ink
// in its cell, as the game reads them (compressed page twins included).
#include "display/hud_draw.h"
#include "display/replay_screen.h"
#include "matchscreen/match_screen.h"
#include "gl3d/sprite_sets.h"
#include "gl3d/texture_cache.h"
#include "host/paths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{

std::vector<uint8_t> read_data_file(const char* name)
{
    std::vector<uint8_t> bytes;
    std::FILE* f = std::fopen(host_data_file(name).c_str(), "rb");
    if (!f) return bytes;
    for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return bytes;
}

std::vector<int32_t> range(int32_t first, int32_t count)
{
    std::vector<int32_t> r;
    for (int32_t n = first; n < first + count; ++n) r.push_back(n);
    return r;
}

struct Page {
    std::unique_ptr<uint32_t, decltype(&std::free)> pixels{nullptr, &std::free};
    uint32_t width = 0, height = 0;
};

class HudSpriteSets : public ::testing::Test
{
protected:
    void TearDown() override { set_lkz_image_mode(0); }
};

} // namespace

TEST_F(HudSpriteSets, EveryDrawnFrameHasASizeAPlaceAndInk)
{
    ASSERT_NE(std::getenv("KOB99_DATA_DIR"), nullptr);
    std::vector<int32_t> panel_frames;
    for (const std::vector<int32_t>& part :
         {range(RADAR_BACKGROUND, PAUSE_SPRITE + 1), range(PANEL_RING, 4), range(PANEL_DIAGRAM_MARKER, 1), range(PANEL_KICKING_ROWS, 8), range(PANEL_OTHER_ROWS, 8),
          range(PANEL_ROW_CORNER, 1), range(PANEL_SCORE, 1), range(PANEL_BANNER_LEFT, 1), range(PANEL_BANNER_RIGHT, 1),
          range(PANEL_COINS, 11), range(PANEL_TOSS, 2), range(PANEL_BLINK_2, 1), range(PANEL_BLINK_1, 1),
          range(PANEL_BADGES, 16)})
        panel_frames.insert(panel_frames.end(), part.begin(), part.end());
    struct Case {
        const char* name;
        std::vector<int32_t> drawn;
    } cases[] = {
        {"game_gfx\\hardware\\panels.sph", panel_frames},
        {"game_gfx\\hardware\\replaysp.sph", range(0, RS_FRAME_COUNT)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<hw_sprite_frame> frames;
        ASSERT_TRUE(read_sprite_frames(c.name, &frames));
        const std::string stem = std::string(c.name).substr(0, std::string(c.name).rfind('.'));
        // The companion names each frame's record, as the loader looks them up.
        const std::vector<uint8_t> companion = read_data_file((stem + ".DWH").c_str());
        // Pages as the game reads them after start-up: the compressed twins,
        // which must show the same picture as the plain pages.
        std::vector<Page> pages;
        for (uint32_t p = 0;; ++p) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "_%03u.tga", p);
            Page plain, twin;
            set_lkz_image_mode(0);
            plain.pixels.reset(load_image_file((stem + suffix).c_str(), &plain.width, &plain.height));
            set_lkz_image_mode(1);
            twin.pixels.reset(load_image_file((stem + suffix).c_str(), &twin.width, &twin.height));
            set_lkz_image_mode(0);
            ASSERT_EQ(plain.pixels == nullptr, twin.pixels == nullptr) << suffix;
            if (!plain.pixels) break;
            ASSERT_EQ(plain.width, twin.width);
            ASSERT_EQ(plain.height, twin.height);
            for (uint32_t i = 0; i < plain.width * plain.height; ++i)
                ASSERT_EQ(plain.pixels.get()[i], twin.pixels.get()[i]) << suffix << " pixel " << i;
            pages.push_back(std::move(twin));
        }
        ASSERT_FALSE(pages.empty());
        for (int32_t n : c.drawn) {
            SCOPED_TRACE("frame " + std::to_string(n));
            ASSERT_LT(size_t(n), frames.size());
            ASSERT_GE(companion.size(), size_t(n) * 4 + 4);
            const uint8_t* w = &companion[size_t(n) * 4];
            EXPECT_EQ(uint32_t(w[0] | w[1] << 8 | w[2] << 16 | w[3] << 24), uint32_t(n) * SPRITE_FRAME_BYTES);
            const hw_sprite_frame& f = frames[size_t(n)];
            EXPECT_GT(f.width, 0);
            EXPECT_GT(f.height, 0);
            ASSERT_LT(f.page, pages.size());
            const Page& page = pages[f.page];
            // The cell matches the frame's size and lies inside its page.
            const long x0 = std::lround(f.u_left * page.width), y0 = std::lround(f.v_top * page.height);
            EXPECT_EQ(std::lround(f.u_right * page.width) - x0, f.width);
            EXPECT_EQ(std::lround(f.v_bottom * page.height) - y0, f.height);
            ASSERT_GE(x0, 0);
            ASSERT_GE(y0, 0);
            ASSERT_LE(x0 + f.width, long(page.width));
            ASSERT_LE(y0 + f.height, long(page.height));
            bool ink = false;
            for (long y = y0; y < y0 + f.height && !ink; ++y)
                for (long x = x0; x < x0 + f.width && !ink; ++x) ink = page.pixels.get()[y * page.width + x] >> 24 != 0;
            EXPECT_TRUE(ink) << "an empty cell";
        }
        // The radar's dots are placed on a 192 x 128 picture of the ground.
        if (std::string(c.name).find("panels") != std::string::npos) {
            EXPECT_EQ(frames[RADAR_BACKGROUND].width, 192);
            EXPECT_EQ(frames[RADAR_BACKGROUND].height, 128);
        }
    }
}

// The software display's banks: the same frames, each a whole 8-bit sprite of
// the hardware frame's size with ink, drawn only in palette entries no
// weather changes, and found by the game's bank loader through its companion.
TEST_F(HudSpriteSets, TheSoftwareBanksHoldTheSameFrames)
{
    ASSERT_NE(std::getenv("KOB99_DATA_DIR"), nullptr);
    reset_sprite_sets();
    set_sprite_set_mode(0);
    for (const char* name : {"game_gfx\\software\\panels.spr", "game_gfx\\software\\replaysp.spr"}) {
        SCOPED_TRACE(name);
        std::string header = name;
        header.replace(header.find("software"), 8, "hardware");
        header.back() = 'h';
        std::vector<hw_sprite_frame> frames;
        ASSERT_TRUE(read_sprite_frames(header.c_str(), &frames));
        const int32_t slot = load_sprite_set(name, nullptr, 0);
        ASSERT_GE(slot, 0);
        ASSERT_EQ(sprite_bank_count(slot), frames.size());
        for (uint32_t n = 0; n < frames.size(); ++n) {
            SCOPED_TRACE("frame " + std::to_string(n));
            const uint8_t* s = sprite_bank_sprite(slot, n);
            ASSERT_NE(s, nullptr);
            ASSERT_EQ(s[0] & 0x80, 0) << "every frame fits the short header";
            const uint32_t groups = s[0], rows = s[1], width = s[4];
            EXPECT_EQ(width, frames[n].width);
            EXPECT_EQ(rows, frames[n].height);
            EXPECT_EQ(groups, (width + 7) / 8);
            EXPECT_EQ(int8_t(s[2]), frames[n].x_offset);
            EXPECT_EQ(int8_t(s[3]), frames[n].y_offset);
            const uint8_t* p = s + 5;
            uint32_t ink = 0;
            for (uint32_t k = 0; k < rows * groups; ++k) {
                const uint8_t mask = *p++;
                for (int b = 0; b < 8; ++b) {
                    if (!(mask & (0x80 >> b))) continue;
                    const uint8_t colour = *p++;
                    ++ink;
                    EXPECT_TRUE(colour != 0 && !(colour >= 16 && colour <= 79)) << int(colour);
                }
            }
            EXPECT_GT(ink, 0u);
        }
        free_sprite_set(slot);
    }
    reset_sprite_sets();
}
