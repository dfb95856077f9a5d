// The match on the 8-bit software display: a match set up from the kit's
// data set on the software path, drawn by the frame loop into the back
// surface, and the frame's helpers.
#include "matchscreen/match_picture_fixture.h"
#include "display/hud.h"
#include "display/match_scene.h"
#include "display/men_display.h"
#include "gl3d/camera_globals.h"
#include "display/screenshot.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/sprite_sets.h"
#include "match/game_tick.h"
#include "match/match_driver.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "match/match_setup.h"
#include "match/ball.h"
#include "match/formation.h"
#include "matchscreen/match_screen.h"
#include "model/skeleton.h"
#include "matchscreen/sw_match_frame.h"
#include "platform/app_state.h"
#include "platform/controllers.h"
#include "platform/exit_trap.h"
#include "platform/input.h"
#include "platform/memory.h"
#include "platform/tick_timer.h"
#include "screen/fonts.h"
#include "screen/screen.h"
#include "screen/screen_flip.h"
#include "screen/surface.h"
#include "swrender/sw_display_list.h"
#include "swrender/sw_resources.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {

uint64_t frame_hash(const Surface* s)
{
    uint64_t h = 1469598103934665603ull;
    for (int32_t y = 0; y < s->height; ++y)
        for (int32_t x = 0; x < s->width; ++x) {
            h ^= s->pixels[static_cast<size_t>(y) * s->pitch + x];
            h *= 1099511628211ull;
        }
    return h;
}

int32_t count_colour(const Surface* s, uint8_t colour)
{
    int32_t n = 0;
    for (int32_t y = 0; y < s->height; ++y)
        for (int32_t x = 0; x < s->width; ++x) n += s->pixels[static_cast<size_t>(y) * s->pitch + x] == colour;
    return n;
}

uint8_t pixel(int32_t x, int32_t y) { return back_surface->pixels[static_cast<size_t>(y) * back_surface->pitch + x]; }

int presents;
int escape_after;

class SoftwareMatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        clear_input_and_screen();
        headless_match_load_data();
        use_3d_hardware = 0;
        sprite_hardware_switch = 0;
        set_sprite_set_mode(0); // the HUD's sets are the software banks
        // The software path's own player model ("sw display\swtest.pgf").
        free_player_model();
        load_player_model();
        // What an earlier match on this screen left: the flipped buffer, the
        // text images and the queued sprites.
        back_buffer_index = 1;
        clear_text_sprites();
        reset_sprite_queues();
        flip_surface = surface_new(640, 480, 8, 0, 0, 0, 0);
        back_surface = surface_new(640, 480, 8, 0, 0, 0, 0);
        install_display_hooks();
        first_alloc_count = alloc_count;
        headless_match_setup(MatchRunSettings{});
        // The clock panel in place, so that frame follows frame unchanged.
        clock_panel.offset = 0;
        clock_panel.step = 2;
        presents = 0;
        escape_after = -1;
    }
    void TearDown() override
    {
        if (sprite_scaling_work) presentation::release_match_resources();
        reset_sw_display_lists();
        reset_sprite_queues();
        clear_match_hooks();
        std::memset(key_state, 0, sizeof key_state);
        surface_delete(flip_surface);
        surface_delete(back_surface);
        flip_surface = back_surface = nullptr;
        use_3d_hardware = 1;
        set_sprite_set_mode(1);
        free_player_model();
        load_player_model();
    }
    int32_t first_alloc_count = 0;
};

} // namespace

TEST_F(SoftwareMatch, AFrameOfPlayDrawnInSoftware)
{
    ASSERT_NE(sprite_scaling_work, nullptr) << "the set-up loaded the software graphics";
    ASSERT_EQ(presentation::use_3d_hardware(), 0);
    // The coin toss: both sides lined up, the captains in the centre.
    headless_match_run(1200);
    ASSERT_EQ(match_globals.match_state, 22);
    match_globals.radar_shown = 1;
    render_match_frame();
    if (const char* dir = std::getenv("KOB_TEST_SCRATCH"))
        write_bmp(back_surface, (std::string(dir) + "/sw_match_frame.bmp").c_str());
    if (const char* keep = std::getenv("KOB_SW_MATCH_FRAME_OUT")) write_bmp(back_surface, keep);
    // The home kit (club 0), the away kit (club 1, second colour), the umpires'
    // yellow and the pitch's line white all show.
    EXPECT_GT(count_colour(back_surface, 96), 0) << "home kit";
    EXPECT_GT(count_colour(back_surface, 160), 0) << "umpires";
    EXPECT_GT(count_colour(back_surface, 12), 0) << "lines and radar rim";
    const uint64_t hash = frame_hash(back_surface);
    // Drawn again from the same match, the frame is the same. (The hash
    // follows the match too: a change to play moves the men in it.)
    render_match_frame();
    EXPECT_EQ(frame_hash(back_surface), hash);
    EXPECT_EQ(hash, 0x546556758ba3ab51ull) << std::hex << hash;
}

TEST_F(SoftwareMatch, EscLeavesAtOnceWithTheScreenFadedOut)
{
    // One tick a frame, whatever the wall clock does; the frames are shown
    // by the software flip and counted.
    create_timer(62, 1, &match_tick_record, game_tick, 0);
    escape_after = 30;
    match_hooks.present_frame = [] {
        flip_screen();
        if (++presents == escape_after) key_state[KEY_ESCAPE] = 0x80;
    };
    play_match(INIT_NEW_MATCH);
    EXPECT_EQ(match_globals.init_mode, 3);
    EXPECT_TRUE(match_globals.flow_flags & LEAVE);
    EXPECT_EQ(match_globals.closing_transition_running, 0) << "no screen transition on this path";
    EXPECT_EQ(presents, 30) << "the loop ends after the ticks of the frame that read Esc";
    for (const PaletteEntry& p : display_palette)
        ASSERT_EQ(p.red | p.green | p.blue, 0) << "faded to black before leaving";
    EXPECT_EQ(sprite_scaling_work, nullptr) << "the match's software buffers are released";
    EXPECT_EQ(match_globals.message_keys_enabled, 1u);
}

// Drawing reads the match and never moves it: a match played through the
// frame loop with the display's hooks, drawing every frame, passes through
// the same records as the same seed played with no display at all.
namespace {
std::vector<uint32_t> drawn_digests;
int32_t ticks_run;

void digest_tick(uint32_t tick)
{
    const bool halted = match_globals.ticks_halted != 0;
    game_tick(tick);
    if (!halted && ++ticks_run % 256 == 0) drawn_digests.push_back(headless_match_hash());
}
} // namespace

TEST_F(SoftwareMatch, ADrawnMatchPlaysAsAHeadlessOne)
{
    constexpr int32_t kTicks = 4096;
    // The frame loop, one tick a frame, until kTicks have run; the digests.
    const auto play = [] {
        drawn_digests.clear();
        ticks_run = 0;
        presents = 0;
        create_timer(62, 1, &match_tick_record, digest_tick, 0);
        play_match(INIT_NEW_MATCH);
        std::memset(key_state, 0, sizeof key_state);
        return std::vector<uint32_t>(drawn_digests.begin(), drawn_digests.begin() + kTicks / 256);
    };
    match_hooks.present_frame = [] {
        flip_screen();
        ++presents;
        if (ticks_run >= kTicks) key_state[KEY_ESCAPE] = 0x80;
    };
    const std::vector<uint32_t> drawn = play();
    EXPECT_GE(presents, kTicks) << "a frame drawn for every tick";

    // The same seed with no display at all: nothing is drawn or shown.
    clear_match_hooks();
    match_hooks.present_frame = [] {
        ++presents;
        if (ticks_run >= kTicks) key_state[KEY_ESCAPE] = 0x80;
    };
    headless_match_setup(MatchRunSettings{});
    EXPECT_EQ(play(), drawn);
}

TEST_F(SoftwareMatch, CtrlKeysTurnTheRadarAndTheLinesInTheFrame)
{
    headless_match_run(200);
    struct Case {
        uint8_t key;
        const char* what;
    } cases[] = {{KEYCODE_R, "radar"}, {KEYCODE_L, "pitch lines"}};
    for (const Case& c : cases) {
        const int32_t radar = match_globals.radar_shown, lines = sw_ground_display_flag;
        key_state[c.key] = key_state[KEYCODE_LCTRL] = 0x80;
        render_match_frame();
        EXPECT_EQ(match_globals.radar_shown != radar, c.key == KEYCODE_R) << c.what;
        EXPECT_EQ(sw_ground_display_flag != lines, c.key == KEYCODE_L) << c.what;
        EXPECT_EQ(key_state[c.key] | key_state[KEYCODE_LCTRL], 0) << c.what << ": the keys are taken";
        // Without Ctrl nothing turns.
        key_state[c.key] = 0x80;
        render_match_frame();
        EXPECT_EQ(match_globals.radar_shown != radar, c.key == KEYCODE_R) << c.what;
        EXPECT_EQ(sw_ground_display_flag != lines, c.key == KEYCODE_L) << c.what;
        key_state[c.key] = 0;
    }
    sw_ground_display_flag = 1;
}

TEST_F(SoftwareMatch, RadarDotsOnlyInsideTheOvalAndNoBallDotWhileHeld)
{
    MatchGlobals& m = match_globals;
    m.radar_shown = 1;
    m.ball_holder = nullptr;
    m.umpire_with_ball = nullptr;
    // Every man and umpire over the boundary, the ball on the centre.
    for (TeamRecord& t : team_records)
        for (PlayerSlot& man : t.slots) man.x = 25000, man.y = 0;
    for (PlayerSlot& u : official_slots) u.x = 25000, u.y = 0;
    ball_state.x = ball_state.y = 0;
    team_records[0].slots[3].x = 2048, team_records[0].slots[3].y = -1024;
    clear_frame_surface(back_surface);
    draw_sw_radar();
    EXPECT_EQ(pixel(radar_screen_x(0), radar_screen_y(0)), 162) << "the loose ball";
    EXPECT_EQ(pixel(radar_screen_x(2048), radar_screen_y(-1024)), 96) << "the one man inside, in his kit";
    EXPECT_EQ(count_colour(back_surface, 160), 0) << "umpires outside have no dot";
    m.ball_holder = &team_records[0].slots[3];
    clear_frame_surface(back_surface);
    draw_sw_radar();
    EXPECT_NE(pixel(radar_screen_x(0), radar_screen_y(0)), 162) << "no ball dot while held";
    EXPECT_EQ(pixel(radar_screen_x(2048), radar_screen_y(-1024)), 12) << "the holder's dot";
}

TEST_F(SoftwareMatch, TheBallIsPlacedOnlyWhenNoPoseCarriesIt)
{
    headless_match_run(120);
    MatchGlobals& m = match_globals;
    m.ball_holder = nullptr;
    m.umpire_with_ball = nullptr;
    draw_sw_men_and_ball();
    EXPECT_EQ(m.ball_in_hand, 0);
    EXPECT_EQ(m.ball_shown, 1);
}

// The pixels a man drawn alone covers: how many pieces they fall into
// (touching at an edge or a corner) and their bounding box.
struct ManPicture {
    int32_t pieces = 0, left = 640, top = 480, right = -1, bottom = -1;
};

ManPicture man_picture(const Surface* s)
{
    ManPicture m;
    std::vector<uint8_t> seen(static_cast<size_t>(s->width) * s->height, 0);
    auto drawn = [&](int32_t x, int32_t y) {
        return x >= 0 && y >= 0 && x < s->width && y < s->height && s->pixels[static_cast<size_t>(y) * s->pitch + x];
    };
    std::vector<std::pair<int32_t, int32_t>> stack;
    for (int32_t y = 0; y < s->height; ++y)
        for (int32_t x = 0; x < s->width; ++x) {
            if (!drawn(x, y) || seen[static_cast<size_t>(y) * s->width + x]) continue;
            ++m.pieces;
            stack.push_back({x, y});
            seen[static_cast<size_t>(y) * s->width + x] = 1;
            while (!stack.empty()) {
                auto [px, py] = stack.back();
                stack.pop_back();
                m.left = std::min(m.left, px), m.right = std::max(m.right, px);
                m.top = std::min(m.top, py), m.bottom = std::max(m.bottom, py);
                for (int32_t dy = -1; dy <= 1; ++dy)
                    for (int32_t dx = -1; dx <= 1; ++dx) {
                        const int32_t nx = px + dx, ny = py + dy;
                        if (!drawn(nx, ny) || seen[static_cast<size_t>(ny) * s->width + nx]) continue;
                        seen[static_cast<size_t>(ny) * s->width + nx] = 1;
                        stack.push_back({nx, ny});
                    }
            }
        }
    return m;
}

TEST_F(SoftwareMatch, AStandingManSeenFromLowDownIsOneUprightFigure)
{
    // At the coin toss every man stands. Each is drawn alone with the camera
    // at chest height a few metres off, from the side and from behind: his
    // parts join into one figure, taller than wide, that stands on his feet.
    headless_match_run(1200);
    ASSERT_EQ(match_globals.match_state, 22);
    constexpr float UNIT = 0.390625f;
    const CameraGlobals saved = camera_globals;
    int32_t men = 0;
    for (int32_t i = 0; i < 3; ++i)
        for (int32_t yaw : {0, 4096}) {
            PlayerSlot& man = team_records[i % 2].slots[i];
            const int32_t mx = static_cast<int32_t>(man.x * UNIT), mz = static_cast<int32_t>(man.y * UNIT);
            // Yaw 0 looks along the ground's y, a quarter turn along its x.
            camera_globals.x = yaw ? mx - 320 : mx;
            camera_globals.z = yaw ? mz : mz - 320;
            camera_globals.y = 40;
            camera_globals.yaw = yaw;
            camera_globals.pitch = 0;
            clear_frame_surface(back_surface);
            reset_sw_display_lists();
            sw_bone_record bones[16];
            pose_sw_bones(man, bones);
            add_sw_display_entry(bones, i % 2 ? &away_sprite_sets : &home_sprite_sets, 65536, 0);
            display_3D_man();
            const ManPicture m = man_picture(back_surface);
            if (const char* dir = std::getenv("KOB_TEST_SCRATCH"))
                write_bmp(back_surface, (std::string(dir) + "/sw_low_man_" + std::to_string(men) + ".bmp").c_str());
            ++men;
            ASSERT_GE(m.right, 0) << "man " << i << " yaw " << yaw << " was drawn";
            EXPECT_EQ(m.pieces, 1) << "man " << i << " yaw " << yaw;
            const int32_t tall = m.bottom - m.top + 1, wide = m.right - m.left + 1;
            EXPECT_GT(tall, 60) << "man " << i << " yaw " << yaw;
            EXPECT_GT(tall * 2, wide * 3) << "man " << i << " yaw " << yaw << ": " << wide << " x " << tall;
            // His feet are below the camera's eye line and his head above it.
            EXPECT_LT(m.top, 240) << "man " << i << " yaw " << yaw;
            EXPECT_GT(m.bottom, 240) << "man " << i << " yaw " << yaw;
        }
    camera_globals = saved;
}

TEST(SoftwareFrameSurface, ClearZeroesEachRowUpToTheWidth)
{
    Surface* s = surface_new(6, 3, 8, 0, 0, 0, 0); // rows padded to 8 bytes
    ASSERT_EQ(s->pitch, 8);
    std::fill(s->pixels.begin(), s->pixels.end(), 0x5A);
    clear_frame_surface(s);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 8; ++x)
            EXPECT_EQ(s->pixels[static_cast<size_t>(y) * 8 + x], x < 6 ? 0 : 0x5A) << x << "," << y;
    EXPECT_EQ(s->lock_count, 0) << "unlocked again";
    // A surface that will not lock ends the program with code 222.
    s->lock_count = 1;
    Ending e = run_trapped([&] { clear_frame_surface(s); });
    EXPECT_EQ(e.code, 1);
    EXPECT_NE(e.box_text.find("Can't lock DirectDraw Surface"), std::string::npos) << e.box_text;
    s->lock_count = 0;
    surface_delete(s);
}

namespace {

// A whole software frame from the match camera; two frames of one match
// differ only by what the test changed between them.
std::vector<uint8_t> frame_drawn()
{
    draw_software_frame();
    return back_surface->pixels;
}

struct SoftwareMarkers : SoftwareMatch {
    void SetUp() override
    {
        SoftwareMatch::SetUp();
        headless_match_run(200);
        // Nothing else marked: no holder, no ball in flight, no controller.
        MatchGlobals& m = match_globals;
        m.ball_holder = nullptr;
        m.umpire_with_ball = nullptr;
        ball_state.flight_flags = 0;
        for (controller_record& c : controllers) c.present = 0, c.men[0] = nullptr;
        presentation::update_match_camera();
    }
    void TearDown() override
    {
        for (controller_record& c : controllers) c.present = 0, c.side = 0, c.men[0] = nullptr;
        for (TeamRecord& t : team_records)
            for (PlayerSlot& man : t.slots) man.contest_group = nullptr;
        presentation::set_camera_view(3);
        SoftwareMatch::TearDown();
    }
};

} // namespace

TEST_F(SoftwareMarkers, TheControlledMansRingTurnsThroughFourFrames)
{
    const uint8_t* ring = marker_textures[MARKER_TEXTURE_CONTROLLED];
    ASSERT_NE(ring, nullptr);
    // Each pixel of the ring is left out of exactly one frame.
    for (uint32_t i = 0; i < SW_SMALL_TEXTURE; ++i) {
        int32_t missing = 0;
        for (const uint8_t* frame : controlled_marker_frames) {
            ASSERT_NE(frame, nullptr);
            ASSERT_TRUE(frame[i] == ring[i] || frame[i] == 0) << i;
            missing += ring[i] && !frame[i];
        }
        ASSERT_EQ(missing, ring[i] ? 1 : 0) << i;
    }
    // On the ground, the frame follows the match's ticks, eight ticks each.
    PlayerSlot& man = team_records[0].slots[5];
    man.x = ball_whole_x(), man.y = ball_whole_y();
    controllers[0].present = 1, controllers[0].side = -1, controllers[0].men[0] = &man;
    std::vector<std::vector<uint8_t>> frames;
    for (uint32_t ticks : {0u, 7u, 8u, 32u}) {
        match_globals.total_ticks = ticks;
        frames.push_back(frame_drawn());
    }
    controllers[0].men[0] = nullptr;
    EXPECT_NE(frames[0], frame_drawn()) << "the ring is drawn";
    EXPECT_EQ(frames[0], frames[1]) << "ticks 0 and 7 show one frame";
    EXPECT_NE(frames[0], frames[2]) << "tick 8 the next";
    EXPECT_EQ(frames[0], frames[3]) << "after four frames the first again";
}

TEST_F(SoftwareMarkers, TheSetPlaySpotIsMarkedInTheSetPlayStatesOnly)
{
    MatchGlobals& m = match_globals;
    PlayerSlot& kicker = team_records[0].slots[4];
    const FormationSpot spot{ball_whole_x() + 600, ball_whole_y() - 300};
    kicker.spot = &spot;
    kicker.contest_group = &controllers[1];
    controllers[1].present = 1, controllers[1].side = -1;
    kicker.set_action = 42;
    kicker.action = 6;
    m.controlled_man_a = &kicker;
    struct Case {
        uint16_t state;
        bool marked;
    } cases[] = {{8, true},   {42, true},  {56, true},  {61, true},  {66, true},  {72, true},
                 {7, false},  {9, false},  {41, false}, {43, false}, {60, false}, {73, false}};
    for (const Case& c : cases) {
        m.match_state = c.state;
        kicker.action = kicker.set_action; // at his set-play action: never marked
        const std::vector<uint8_t> unmarked = frame_drawn();
        kicker.action = 6;
        EXPECT_EQ(frame_drawn() != unmarked, c.marked) << "state " << c.state;
    }
    m.match_state = 42;
    kicker.action = kicker.set_action;
    const std::vector<uint8_t> unmarked = frame_drawn();
    kicker.action = 6;
    controllers[1].side = 0;
    EXPECT_EQ(frame_drawn(), unmarked) << "not under human control";
    controllers[1].side = -1;
    // A key man's spot is the opponent he is matched with: marked where that man stands.
    PlayerSlot& opponent = team_records[1].slots[9];
    const int16_t away_x = opponent.x, away_y = opponent.y;
    opponent.x = static_cast<int16_t>(spot.x), opponent.y = static_cast<int16_t>(spot.y);
    const std::vector<uint8_t> marked_at_spot = frame_drawn();
    kicker.spot = &opponent;
    EXPECT_EQ(frame_drawn(), marked_at_spot);
    opponent.x = static_cast<int16_t>(opponent.x + 700);
    const std::vector<uint8_t> moved = frame_drawn();
    kicker.spot = nullptr;
    EXPECT_NE(frame_drawn(), moved) << "marked where he went";
    opponent.x = away_x, opponent.y = away_y;
    kicker.spot = &spot;
    m.controlled_man_a = nullptr;
}

TEST_F(SoftwareMarkers, AControlledManWhoCouldReachTheLooseBallGetsAReachMarker)
{
    // Play on until the ball flies loose toward a man who could play it.
    PlayerSlot* reacher = nullptr;
    for (int tick = 0; tick < 6000 && !reacher; ++tick) {
        headless_match_run(1);
        const BallState& b = ball_state;
        if (!(b.flags & 1) || !(b.flight_flags & 0x20) || b.z <= 0 || match_globals.ball_holder ||
            match_globals.umpire_with_ball)
            continue;
        for (TeamRecord& t : team_records)
            for (int i = 0; i < GROUND_MEN && !reacher; ++i)
                if (!t.slots[i].busy_flag && jump_catch_indicator(&t.slots[i])) reacher = &t.slots[i];
    }
    ASSERT_NE(reacher, nullptr) << "no loose ball came within a man's reach";
    for (controller_record& c : controllers) c.present = 0, c.men[0] = nullptr;
    controllers[0].present = 1, controllers[0].side = reacher->team == &team_records[0] ? -1 : 1;
    controllers[0].men[0] = reacher;
    match_globals.controlled_man_a = nullptr;
    presentation::update_match_camera();
    const std::vector<uint8_t> loose = frame_drawn();
    const uint16_t flight = ball_state.flight_flags;
    ball_state.flight_flags = static_cast<uint16_t>(flight & ~0x20);
    const std::vector<uint8_t> not_loose = frame_drawn();
    ball_state.flight_flags = flight;
    EXPECT_NE(loose, not_loose) << "the reach marker is drawn";
    ball_state.flight_flags = static_cast<uint16_t>(flight & ~0x20);
    EXPECT_EQ(frame_drawn(), not_loose);
    ball_state.flight_flags = flight;
}

TEST_F(SoftwareMarkers, TheRadarTurnsWithTheFreeView)
{
    MatchGlobals& m = match_globals;
    m.radar_shown = 1;
    for (TeamRecord& t : team_records)
        for (PlayerSlot& man : t.slots) man.x = 25000, man.y = 0;
    for (PlayerSlot& u : official_slots) u.x = 25000, u.y = 0;
    ball_state.x = 25000 << 16, ball_state.y = 0;
    PlayerSlot& man = team_records[0].slots[3];
    man.x = 2048, man.y = 0;
    struct Case {
        int32_t view, yaw;
        int32_t at_x, at_y; // where his dot stands, as a ground point on the radar
    } cases[] = {
        {3, 0, 2048, 0},
        {3, 4096, 2048, 0},    // other views never turn
        {8, 0, 2048, 0},
        {8, 4096, 0, 2048},    // a quarter turn: the camera looks along +x, which is up
        {8, 8192, -2048, 0},
    };
    for (const Case& c : cases) {
        presentation::set_camera_view(c.view);
        camera_globals.yaw = c.yaw;
        clear_frame_surface(back_surface);
        draw_sw_radar();
        EXPECT_EQ(pixel(radar_screen_x(c.at_x), radar_screen_y(c.at_y)), 96) << "view " << c.view << " yaw " << c.yaw;
        EXPECT_EQ(count_colour(back_surface, 96), 4) << "one dot, whole";
    }
}
