// The HUD: banner timing and texts, the clock and period labels, the HUD
// pass by match state, the text block formatter and the bars.
#include "display/hud.h"
#include "display/hud_draw.h"
#include "display/replay_screen.h"
#include "gl3d/picture_files.h"
#include "screen/screen_flip.h"
#include "screen/surface.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "platform/exit_trap.h"
#include "platform/memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

class Hud : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_game_state_block();
        clear_match_hooks();
        reset_hud();
        reset_hud_draw();
        reset_replay_screen();
        close_hud_panels();
        hud_capture = true;
        match_globals.ticks_last_frame = 1;
        match_globals.match_state = 1;
        match_globals.quarter_ticks = 20 * 3720;
        match_globals.pending_cut_state = -1;
    }
    void TearDown() override
    {
        reset_hud_draw();
        reset_hud();
        clear_game_state_block();
    }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const HudDrawn& d : hud_drawn)
            if (d.set == -1) out.push_back(d.text);
        return out;
    }
    bool drew(const std::string& text) const
    {
        const auto t = texts();
        return std::find(t.begin(), t.end(), text) != t.end();
    }
    // Frames of t ticks each until the banner's step changes.
    int32_t frames_in_step(int32_t step)
    {
        int32_t n = 0;
        while (message_banner.step == step && n < 10000) {
            step_banner_hold();
            update_message_banner();
            ++n;
        }
        return n;
    }
};

TEST_F(Hud, ABannerSlidesUpHoldsItsSecondsAndSlidesDown)
{
    ASSERT_EQ(open_message_banner(2), 1);
    EXPECT_EQ(message_banner.offset, 80);
    EXPECT_EQ(message_banner_busy(), 1);
    EXPECT_EQ(frames_in_step(1), 40) << "2 pixels a tick";
    EXPECT_EQ(message_banner.hold, 2 * 15360);
    EXPECT_EQ(frames_in_step(2), 120) << "duration x 60 ticks";
    EXPECT_EQ(frames_in_step(3), 40);
    EXPECT_EQ(message_banner.kind, 0);
    EXPECT_EQ(message_banner_busy(), 0);
}

TEST_F(Hud, ABannerRequestWhileOneShowsIsRefused)
{
    ASSERT_EQ(open_message_banner(3), 1);
    show_message("Kept");
    EXPECT_EQ(open_message_banner(5), 0);
    EXPECT_EQ(open_message_banner2(5), 0);
    EXPECT_EQ(message_banner.duration, 3);
    EXPECT_EQ(message_banner.kind, 1);
    EXPECT_STREQ(hud_text_slots[1].text, "Kept");
}

TEST_F(Hud, AZeroBannerGoesBackAtOnceUnlessTheStateHolds)
{
    open_message_banner(0);
    frames_in_step(1);
    match_globals.match_state = 20;
    for (int i = 0; i < 50; ++i) update_message_banner();
    EXPECT_EQ(message_banner.step, 2) << "state 20 holds the banner";
    match_globals.match_state = 1;
    update_message_banner();
    EXPECT_EQ(message_banner.step, 3);
}

TEST_F(Hud, MessagesAreLaidIntoOneOrTwoCentredLines)
{
    open_message_banner(2);
    show_message("GOAL"); // 32 pixels wide headless
    EXPECT_STREQ(hud_text_slots[1].text, "GOAL");
    EXPECT_EQ(hud_text_slots[1].x, (463 - 32) / 2 + 100);
    EXPECT_EQ(hud_text_slots[1].y, 413 + 8);
    EXPECT_STREQ(hud_text_slots[2].text, "");

    clear_message_banner();
    open_message_banner(2);
    const std::string long_text(70, 'a');
    show_message((long_text + " " + long_text).c_str());
    EXPECT_EQ(hud_text_slots[1].y, 413);
    EXPECT_EQ(hud_text_slots[2].y, 429);
    EXPECT_EQ(std::strlen(hud_text_slots[1].text), 63u) << "a slot holds 63 characters and its end";

    clear_message_banner();
    show_message("Not shown");
    EXPECT_STREQ(hud_text_slots[1].text, "") << "written only while a banner shows";
}

TEST_F(Hud, CentredTextTakesItsLineOrTheMiddle)
{
    open_message_banner(2);
    place_centred_hud_text("AB", 2);
    EXPECT_EQ(hud_text_slots[2].y, 413 + 16);
    place_centred_hud_text("ABCD", 'E');
    EXPECT_EQ(hud_text_slots[1].x, (463 - 32) / 2 + 100);
    EXPECT_EQ(hud_text_slots[1].y, 8 + 413);
    place_centred_hud_text("X", 0);
    EXPECT_STREQ(hud_text_slots[0].text, "") << "slot 0 is not a banner line";
}

TEST_F(Hud, TheClockShowsThePeriodAsTwentyMinutes)
{
    struct Case {
        int32_t clock;
        const char* text;
    } cases[] = {
        {20 * 3720, "20:00"},
        {0, "0:00"},
        {10 * 3720 + 31, "10:00"},
        {3720 + 62 * 7, "1:07"},
    };
    char text[16];
    for (const Case& c : cases) {
        match_globals.period_clock = c.clock;
        clock_text(text, sizeof text);
        EXPECT_STREQ(text, c.text) << c.clock;
    }
    match_globals.quarter_ticks = 10 * 3720; // a shorter period still shows twenty minutes
    match_globals.period_clock = 5 * 3720;
    clock_text(text, sizeof text);
    EXPECT_STREQ(text, "10:00");
}

TEST_F(Hud, PeriodLabelsFollowTheFlowFlags)
{
    struct Case {
        uint16_t flags;
        std::vector<std::string> expected, absent;
    } cases[] = {
        {QUARTER_1, {"1ST"}, {"SUDDEN DEATH", "TIME ON"}},
        {QUARTER_3, {"3RD"}, {}},
        {0, {"4TH"}, {}},
        {QUARTER_2 | TIME_ON, {"2ND", "TIME ON"}, {}},
        {EXTRA_TIME, {"EXT"}, {"4TH"}},
        {SUDDEN_DEATH, {"SUDDEN DEATH"}, {"4TH", "EXT", "20:00"}},
        {SUDDEN_DEATH | EXTRA_TIME, {"SUDDEN DEATH"}, {"EXT"}},
        {SUDDEN_DEATH | CLOCK_FROZEN, {}, {"SUDDEN DEATH"}},
    };
    for (const Case& c : cases) {
        hud_drawn.clear();
        init_clock_panel();
        match_globals.flow_flags = c.flags;
        match_globals.period_clock = 20 * 3720;
        draw_score_clock();
        for (const std::string& e : c.expected) EXPECT_TRUE(drew(e)) << e << " with " << c.flags;
        for (const std::string& a : c.absent) EXPECT_FALSE(drew(a)) << a << " with " << c.flags;
    }
}

TEST_F(Hud, TheKickOutStatesDrawTheClockOnlyInTheLast)
{
    init_clock_panel();
    match_globals.flow_flags = QUARTER_1;
    for (int state : {58, 72}) {
        hud_drawn.clear();
        match_globals.match_state = static_cast<uint8_t>(state);
        draw_score_clock();
        EXPECT_FALSE(drew("1ST")) << state;
    }
    hud_drawn.clear();
    match_globals.match_state = 73;
    draw_score_clock();
    EXPECT_TRUE(drew("1ST"));
}

TEST_F(Hud, ReplayPlaybackDrawsOnlyTheStateOverlay)
{
    init_clock_panel();
    open_message_banner(2);
    show_message("Hidden");
    match_globals.flow_flags = QUARTER_1;
    blink_markers[0] = BlinkMarker{3, 2, 0};
    replay_screen.playback = 1;
    draw_score_clock();
    EXPECT_TRUE(texts().empty());
    ASSERT_EQ(hud_drawn.size(), 1u);
    EXPECT_EQ(hud_drawn[0].sprite, 72) << "the blink marker still shows";
}

TEST_F(Hud, TheClockPanelSlidesInAndOut)
{
    init_clock_panel();
    match_globals.ticks_last_frame = 10;
    for (int i = 0; i < 3; ++i) format_clock_text();
    EXPECT_EQ(clock_panel.offset, -20);
    format_clock_text();
    format_clock_text();
    EXPECT_EQ(clock_panel.step, 2);
    clock_panel.step = 3;
    for (int i = 0; i < 5; ++i) format_clock_text();
    EXPECT_EQ(clock_panel.offset, -80);
    EXPECT_EQ(clock_panel.step, 0);
    format_clock_text();
    EXPECT_EQ(clock_panel.shown, 0);
}

TEST_F(Hud, ThePausePairIsUndoneOnce)
{
    match_globals.flow_flags = CLOCK_RUNNING;
    pause_hud_flag();
    EXPECT_EQ(match_globals.flow_flags, CLOCK_STOPPED);
    resume_hud_flag();
    EXPECT_EQ(match_globals.flow_flags, CLOCK_RUNNING);
    match_globals.flow_flags = CLOCK_STOPPED;
    resume_hud_flag();
    EXPECT_EQ(match_globals.flow_flags, CLOCK_STOPPED) << "nothing remembered";
}

TEST_F(Hud, TheFormatterBalancesItsLines)
{
    TextBlock block{};
    EXPECT_EQ(format_text_block(&block, "", 100), 0);
    EXPECT_EQ(block.count, 0);

    EXPECT_EQ(format_text_block(&block, "one two", 200), 16);
    ASSERT_EQ(block.count, 1);
    EXPECT_STREQ(block.lines[0], "one two");
    release_text_block(&block);

    // 1.5 widths: two lines of about equal width, not one full and one short.
    format_text_block(&block, "aaaa bbbb cccc dddd eeee ffff", 160);
    ASSERT_EQ(block.count, 2);
    EXPECT_STREQ(block.lines[0], "aaaa bbbb cccc ");
    EXPECT_STREQ(block.lines[1], "dddd eeee ffff");
    release_text_block(&block);

    format_text_block(&block, "a wordfartoowideforit b", 64);
    ASSERT_EQ(block.count, 3);
    EXPECT_STREQ(block.lines[1], "wordfartoowideforit ");
    release_text_block(&block);
}

TEST_F(Hud, BarsArePlacedFromTheMeter)
{
    match_globals.meter_max = 1000;
    power_bar.open = 1;
    match_globals.meter_phase = 1;
    match_globals.meter_value = 500;
    run_bar_pass();
    ASSERT_EQ(bar_placement_count, 1);
    EXPECT_FLOAT_EQ(bar_placements[0].fill, 50.0f);
    EXPECT_EQ(bar_placements[0].width, 240);
    match_globals.meter_phase = -2;
    match_globals.meter_stored = 750;
    run_bar_pass();
    ASSERT_EQ(bar_placement_count, 2);
    EXPECT_FLOAT_EQ(bar_placements[1].x, 87.0f - 180.0f);
    EXPECT_FLOAT_EQ(bar_placements[1].fill, 25.0f);
    EXPECT_EQ(power_marker_position, static_cast<int32_t>((320 - (87.0 - 180.0)) - (25.0 * 3.04 + 201.0)));

    close_hud_panels();
    match_globals.period_clock = 1000;
    open_side_panel(100);
    match_globals.period_clock = 900;
    run_bar_pass();
    ASSERT_EQ(bar_placement_count, 2);
    EXPECT_FLOAT_EQ(bar_placements[0].fill, 50.0f) << "fills over twice the countdown";
    match_globals.period_clock = 500;
    run_bar_pass();
    EXPECT_FLOAT_EQ(bar_placements[1].fill, 100.0f);
}

TEST_F(Hud, BitmapBarsCopyOnlyWhatFits)
{
    uint8_t pixels[2 * 4] = {1, 2, 3, 4, 5, 0, 7, 8};
    HudBitmap b{pixels, 4, 2, 1};
    uint8_t screen[3 * 6] = {};
    draw_bitmap_bar(b, screen, 6, 6, 3, 4, 1, 4, 150.0); // clamped to 100 %, clipped at x 6
    EXPECT_EQ(screen[6 + 4], 1);
    EXPECT_EQ(screen[6 + 5], 2);
    EXPECT_EQ(screen[12 + 5], 0) << "0 is transparent";
    std::memset(screen, 0, sizeof screen);
    draw_bitmap_bar(b, screen, 6, 6, 3, 0, 0, 4, -20.0);
    EXPECT_EQ(std::count(screen, screen + sizeof screen, 0), static_cast<long>(sizeof screen));
}

TEST_F(Hud, OnlyEightBitBitmapsAreRead)
{
    auto bmp = [](uint16_t bits, int32_t w, int32_t h) {
        const uint32_t stride = (static_cast<uint32_t>(w) + 3) & ~3u;
        std::vector<uint8_t> b(54 + 1024 + stride * static_cast<uint32_t>(h), 0);
        b[0] = 'B', b[1] = 'M';
        b[10] = static_cast<uint8_t>((54 + 1024) & 255), b[11] = static_cast<uint8_t>((54 + 1024) >> 8);
        b[14] = 40;
        b[18] = static_cast<uint8_t>(w);
        b[22] = static_cast<uint8_t>(h);
        b[28] = static_cast<uint8_t>(bits);
        b[54 + 1024] = 9; // bottom row first
        return b;
    };
    uint8_t* pixels = nullptr;
    int32_t w = 0, h = 0;
    std::vector<uint8_t> good = bmp(8, 3, 2);
    ASSERT_EQ(bitmap_from_memory(good.data(), static_cast<uint32_t>(good.size()), &pixels, &w, &h), 1);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(pixels[3], 9) << "rows turned top first";
    free_mem(pixels);
    for (uint16_t bits : {1, 4, 16, 24}) {
        std::vector<uint8_t> b = bmp(bits, 3, 2);
        EXPECT_EQ(bitmap_from_memory(b.data(), static_cast<uint32_t>(b.size()), &pixels, &w, &h), 0) << bits;
    }
    std::vector<uint8_t> cut = bmp(8, 3, 2);
    cut.resize(60);
    EXPECT_EQ(bitmap_from_memory(cut.data(), static_cast<uint32_t>(cut.size()), &pixels, &w, &h), 0);
    // A top-down height of -2^31 has no positive height to turn into.
    std::vector<uint8_t> lowest = bmp(8, 3, 2);
    lowest[22] = lowest[23] = lowest[24] = 0, lowest[25] = 0x80;
    EXPECT_EQ(bitmap_from_memory(lowest.data(), static_cast<uint32_t>(lowest.size()), &pixels, &w, &h), 0);

    // From a file: a missing bar is no bar, a damaged one ends the game.
    PictureFiles files;
    EXPECT_EQ(bitmap_to_surface("bar.bmp", &pixels, &w, &h), 0);
    files.write("bar.bmp", {'n', 'o', 't', ' ', 'B', 'M'});
    EXPECT_EQ(bitmap_to_surface("bar.bmp", &pixels, &w, &h), 0) << "no bitmap at all is no bar";
    files.write("bar.bmp", cut);
    Ending e = run_trapped([&] { bitmap_to_surface("bar.bmp", &pixels, &w, &h); });
    EXPECT_TRUE(e.ended && e.code == 1);
    EXPECT_NE(e.box_text.find("bitmap_to_surface: bar.bmp (" + files.path("bar.bmp") + ")\nnot an uncompressed 8-bit bitmap"),
              std::string::npos) << e.box_text;
}

} // namespace

// The software run-up bar: colour 7 behind, colour 0xA2 over the first 40
// pixels and the run-up's share of the other 200, centred, its bottom row 50
// rows above the frame's bottom edge; nothing while no set kick runs.
TEST_F(Hud, RunUpBarShowsTheSetKickMeter)
{
    Surface* frame = surface_new(640, 480, 8, 0, 0, 0, 0);
    ASSERT_NE(frame, nullptr);
    auto pixel = [&](int x, int y) {
        int32_t pitch = 0;
        uint8_t* p = lock_surface(frame, &pitch, nullptr);
        const uint8_t v = p[y * pitch + x];
        unlock_surface(frame, p);
        return v;
    };
    auto clear = [&] {
        int32_t pitch = 0;
        uint8_t* p = lock_surface(frame, &pitch, nullptr);
        std::memset(p, 1, static_cast<size_t>(pitch) * 480);
        unlock_surface(frame, p);
    };
    MatchGlobals& g = match_globals;
    g.meter_max = 12000;
    struct Case {
        int32_t phase, value;
        int32_t fill_to; // the first pixel after the filled part, from the bar's left; -1 no bar
    };
    const Case cases[] = {{0, 6000, -1}, {1, 0, 40}, {1, 6000, 140}, {-2, 12000, 240}, {1, 30000, 240}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        clear();
        g.meter_phase = c.phase;
        g.meter_value = c.value;
        draw_run_up_bar(frame);
        const int left = 200, top = 410, bottom = 429;
        if (c.fill_to < 0) {
            EXPECT_EQ(pixel(left, top), 1);
            continue;
        }
        EXPECT_EQ(pixel(left - 1, top), 1) << "left of the bar";
        EXPECT_EQ(pixel(left + 240, top), 1) << "right of the bar";
        EXPECT_EQ(pixel(left, top - 1), 1) << "above the bar";
        EXPECT_EQ(pixel(left, bottom + 1), 1) << "below the bar";
        EXPECT_EQ(pixel(left, top), 0xA2);
        EXPECT_EQ(pixel(left + c.fill_to - 1, bottom), 0xA2);
        if (c.fill_to < 240) {
            EXPECT_EQ(pixel(left + c.fill_to, top), 7);
        }
    }
    surface_delete(frame);
}
