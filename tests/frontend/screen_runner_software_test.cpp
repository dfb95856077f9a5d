// The runner on the software path, read back from the 8-bit screen, the
// surfaces and every palette the display was given.
#include "front_end_fixture.h"
#include "platform/memory.h"
#include "screen/screen_services.h"
#include "swrender/sw_transitions.h"

#include <array>
#include <vector>

namespace {

const char* const k_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\controller_setup.lbm", nullptr};
const char* const k_next[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\demosplash.lbm", nullptr};
const char* const k_missing[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\no such screen.lbm", nullptr};

menu_icon g_button = text_icon("Button", 11);
menu_screen_entry g_entries[1] = {{1, &g_button, 100, 100, nullptr}};
menu_screen g_screen = {1,       SCREEN_MENU, k_pictures, nullptr, 0, &g_entries[0], nullptr, nullptr,
                        ScriptedScreen::on_frame, nullptr, 0, 0, 0, 0, 0, 0, g_entries};

using Palette = std::array<uint8_t, 768>;
std::vector<Palette> g_palettes; // every palette the display was given, 8-bit
void watch(const PaletteEntry* entries)
{
    Palette p;
    for (int i = 0; i < 256; ++i) p[3 * i] = entries[i].red, p[3 * i + 1] = entries[i].green, p[3 * i + 2] = entries[i].blue;
    g_palettes.push_back(p);
}

struct Picture {
    std::vector<uint8_t> pixels;
    Palette palette{};
};
Picture read_picture(const char* path)
{
    Picture p;
    uint8_t* pixels = load_screen_picture(path, p.palette.data());
    p.pixels.assign(pixels, pixels + SCREEN_WIDTH * SCREEN_HEIGHT);
    free_mem(pixels);
    return p;
}

uint8_t shown_pixel(int32_t x, int32_t y) { return flip_surface->pixels[size_t(y) * flip_surface->pitch + x]; }
uint8_t surface_pixel(const Surface* s, int32_t x, int32_t y) { return s->pixels[size_t(y) * s->pitch + x]; }

struct SoftwareRunner : FrontEnd {
    void SetUp() override
    {
        FrontEnd::SetUp();
        g_palettes.clear();
        set_palette_observer(watch);
        g_screen.pictures = k_pictures;
        g_screen.next_pictures = nullptr;
        g_screen.transition_effect = 0;
        picture = read_picture(k_pictures[0]);
    }
    void TearDown() override
    {
        set_palette_observer(nullptr);
        set_transition_present_hook(nullptr);
        FrontEnd::TearDown();
    }
    // The fade source scaled by a level, as the display takes it.
    static Palette at_level(const Palette& six_bit, int32_t level)
    {
        Palette p;
        for (int i = 0; i < 768; ++i) p[i] = static_cast<uint8_t>(six_bit[i] * level >> 6);
        return p;
    }
    Picture picture;
};

TEST_F(SoftwareRunner, ThePictureFadesInOver21FramesAndOutOver22ToBlack)
{
    std::vector<bool> shown_on_frames;
    ScriptedScreen::start([&](int f) {
        // The screen's picture is on the display, with its own colours.
        bool same = true;
        for (int32_t y = 300; y < 480 && same; y += 7)
            for (int32_t x = 0; x < 640 && same; x += 11) same = shown_pixel(x, y) == picture.pixels[size_t(y) * 640 + x];
        shown_on_frames.push_back(same);
        if (f == 3) front_end_state.result = 1;
    });
    run_front_end_screen(&g_screen);
    ASSERT_FALSE(shown_on_frames.empty());
    for (bool shown : shown_on_frames) EXPECT_TRUE(shown);

    // 21 levels in, the whole palette, 22 levels out and black.
    ASSERT_EQ(g_palettes.size(), 21u + 1u + 22u + 1u);
    for (int k = 0; k < 21; ++k) EXPECT_EQ(g_palettes[k], at_level(picture.palette, 12 * (k + 1))) << "fade in " << k;
    EXPECT_EQ(g_palettes[21], at_level(picture.palette, 256)) << "the picture's colours, whole";
    for (int k = 0; k < 22; ++k) EXPECT_EQ(g_palettes[22 + k], at_level(picture.palette, 255 - 12 * k)) << "fade out " << k;
    EXPECT_EQ(g_palettes.back(), Palette{}) << "black at the end";
}

TEST_F(SoftwareRunner, TheSurfacesAndTheAlphaTablesLiveWhileTheScreenIsOpen)
{
    bool checked = false;
    ScriptedScreen::start([&](int) {
        const ScreenSurfaces& s = screen_surfaces();
        ASSERT_TRUE(s.background && s.work);
        EXPECT_EQ(s.background->bits, 8u);
        EXPECT_EQ(s.background->width, 640);
        EXPECT_EQ(surface_pixel(s.background, 320, 400), picture.pixels[400 * 640 + 320]);
        EXPECT_EQ(surface_pixel(s.work, 17, 470), picture.pixels[470 * 640 + 17]);
        EXPECT_EQ(sprite_background(), s.work->pixels.data()) << "sprites are put back from the work surface";
        // Sixteen remap tables toward a pale tint, each a colour of the palette.
        const uint8_t* alpha = screen_alpha_table();
        ASSERT_NE(alpha, nullptr);
        uint8_t expected[256];
        build_shade_table(&working_palette[0][0], expected, 0x3F3F3EFF + 16 * 15);
        EXPECT_EQ(std::vector<uint8_t>(alpha + 15 * 256, alpha + 16 * 256), std::vector<uint8_t>(expected, expected + 256));
        checked = true;
        front_end_state.result = 1;
    });
    run_front_end_screen(&g_screen);
    EXPECT_TRUE(checked);
    EXPECT_EQ(screen_surfaces().background, nullptr);
    EXPECT_EQ(screen_surfaces().work, nullptr);
    EXPECT_EQ(screen_alpha_table(), nullptr);
    EXPECT_EQ(sprite_background(), nullptr);
}

TEST_F(SoftwareRunner, AScreenWithoutAPictureGetsABlankPairAndNoAlphaTables)
{
    g_screen.flags = SCREEN_MENU & ~SCREEN_PICTURE;
    bool checked = false;
    ScriptedScreen::start([&](int) {
        ASSERT_NE(screen_surfaces().work, nullptr);
        EXPECT_EQ(surface_pixel(screen_surfaces().work, 5, 470), 0);
        EXPECT_EQ(screen_alpha_table(), nullptr);
        checked = true;
        front_end_state.result = 1;
    });
    run_front_end_screen(&g_screen);
    g_screen.flags = SCREEN_MENU;
    EXPECT_TRUE(checked);
    EXPECT_EQ(screen_surfaces().work, nullptr);
}

TEST_F(SoftwareRunner, AfterTheSurfacesWereRestoredTheScreenIsDrawnAgain)
{
    bool lost = false, back = false;
    ScriptedScreen::start([&](int f) {
        if (f == 2) {
            // Both buffers lose the picture while the program is away.
            std::fill(flip_surface->pixels.begin(), flip_surface->pixels.end(), 0xEE);
            std::fill(back_surface->pixels.begin(), back_surface->pixels.end(), 0xEE);
            screen_needs_redraw = 1;
            lost = true;
        } else if (f == 4) {
            back = shown_pixel(600, 470) == picture.pixels[470 * 640 + 600] &&
                   back_surface->pixels[470 * size_t(back_surface->pitch) + 600] == picture.pixels[470 * 640 + 600];
            front_end_state.result = 1;
        }
    });
    run_front_end_screen(&g_screen);
    EXPECT_TRUE(lost);
    EXPECT_TRUE(back) << "both buffers hold the picture again";
    EXPECT_EQ(screen_needs_redraw, 0u) << "the report is taken";
}

TEST_F(SoftwareRunner, AMissingPictureEndsTheProgram)
{
    g_screen.pictures = k_missing;
    ScriptedScreen::start([](int) { front_end_state.result = 1; });
    const Ending e = run_trapped([] { run_front_end_screen(&g_screen); });
    EXPECT_TRUE(e.ended);
    EXPECT_NE(e.box_text.find("no such screen.lbm"), std::string::npos) << e.box_text;
}

// The transition's frames as the display would show them: each pixel's colour.
std::vector<std::array<uint8_t, 3>> g_transition_colours;
int g_transition_frames;
void record_frame(const uint8_t* picture, int32_t)
{
    ++g_transition_frames;
    g_transition_colours.clear();
    for (uint32_t i = 0; i < SCREEN_WIDTH * SCREEN_HEIGHT; i += 997) {
        const PaletteEntry& e = display_palette[picture[i]];
        g_transition_colours.push_back({e.red, e.green, e.blue});
    }
}

TEST_F(SoftwareRunner, TheClosingTransitionBringsTheNextPictureInWithItsOwnColours)
{
    const Picture next = read_picture(k_next[0]);
    g_screen.next_pictures = k_next;
    g_screen.transition_effect = 2;
    g_transition_frames = 0;
    set_transition_present_hook(record_frame);
    ScriptedScreen::start([](int) {
        ASSERT_NE(next_screen_picture(), nullptr) << "loaded at open";
        front_end_state.result = 1;
    });
    run_front_end_screen(&g_screen);
    ASSERT_GT(g_transition_frames, 0);
    // The last frame shows the next picture in its own colours.
    size_t k = 0;
    for (uint32_t i = 0; i < SCREEN_WIDTH * SCREEN_HEIGHT; i += 997, ++k) {
        const uint8_t* c = &next.palette[3 * next.pixels[i]];
        ASSERT_EQ(g_transition_colours[k], (std::array<uint8_t, 3>{uint8_t(c[0] * 4), uint8_t(c[1] * 4), uint8_t(c[2] * 4)}))
            << "pixel " << i;
    }
    // Its colours end where its own indices find them, and its pixels are whole again.
    for (int i = 0; i < 128 * 3; ++i) ASSERT_EQ((&working_palette[0][0])[i], next.palette[i]) << i;
    ASSERT_NE(next_screen_picture(), nullptr) << "held until freed";
    EXPECT_EQ(std::vector<uint8_t>(next_screen_picture(), next_screen_picture() + 640 * 480), next.pixels);
    free_next_screen_picture();
    EXPECT_EQ(next_screen_picture(), nullptr);
}

// The message box over a screen with a picture.
struct BoxOverPicture : SoftwareRunner {
    void SetUp() override
    {
        SoftwareRunner::SetUp();
        install_common_frames();
    }
};

TEST_F(BoxOverPicture, TheBackdropIsDarkenedUnderTheBoxAndThePictureComesBackAfter)
{
    int32_t left = 0, top = 0, width = 0, height = 0;
    uint8_t inside_box = 0, outside_box = 0;
    ScriptedScreen::start([&](int f) {
        if (f != 2) return;
        PointerScript::start([&](menu_screen* s, int frame) {
            if (!(s->flags & SCREEN_OVERLAY) || frame != 3) return;
            left = overlay_backdrop.first, top = overlay_backdrop.second;
            width = overlay_backdrop.width, height = overlay_backdrop.height;
            const Surface* bg = screen_surfaces().background;
            inside_box = surface_pixel(bg, left + 2, top + 2);
            outside_box = surface_pixel(bg, 3, 470);
            front_end_state.result = 1;
        });
        report_error(5, nullptr, nullptr, nullptr, nullptr);
        front_end_state.result = 1;
    });
    run_front_end_screen(&g_screen);
    ASSERT_GT(width, 0);
    uint8_t tables[1280];
    build_shade_tables(&working_palette[0][0], tables, 0x050709C8);
    const uint8_t under = picture.pixels[size_t(top + 2) * 640 + left + 2];
    EXPECT_EQ(inside_box, tables[under]) << "the picture under the box, darkened";
    EXPECT_NE(inside_box, under);
    EXPECT_EQ(outside_box, picture.pixels[470 * 640 + 3]) << "untouched beside it";
}

TEST_F(BoxOverPicture, AfterTheBoxTheParentShowsItsOwnPictureAgain)
{
    bool parent_surfaces_back = false;
    uint8_t after = 0;
    int32_t x = 0, y = 0;
    ScriptedScreen::start([&](int f) {
        if (f == 2) {
            const Surface* parent_work = screen_surfaces().work;
            PointerScript::start([](menu_screen* s, int frame) {
                if ((s->flags & SCREEN_OVERLAY) && frame == 3) front_end_state.result = 1;
            });
            report_error(5, nullptr, nullptr, nullptr, nullptr);
            front_end_state.result = 0;
            parent_surfaces_back = screen_surfaces().work == parent_work && sprite_background() == parent_work->pixels.data();
            x = overlay_backdrop.first + 2, y = overlay_backdrop.second + 2;
            after = back_surface->pixels[size_t(y) * back_surface->pitch + x];
        } else if (f == 4) {
            front_end_state.result = 1;
        }
    });
    run_front_end_screen(&g_screen);
    EXPECT_TRUE(parent_surfaces_back);
    EXPECT_EQ(after, picture.pixels[size_t(y) * 640 + x]) << "no darkened backdrop left behind";
    EXPECT_EQ(overlay_backdrop.requested, 0);
}

} // namespace
