#include "app/startup.h"
#include "frontend/front_end_state.h"
#include "frontend/menu_icons.h"
#include "frontend/resources.h"
#include "frontend/screen_runner.h"

#include <fstream>
#include "host/host_test_hooks.h"

#include "platform/exit_trap.h"
#include "host/events.h"
#include "host/paths.h"
#include "host/window.h"
#include "gl3d/window_shell.h"
#include "platform/command_line.h"
#include "screen/screen_flip.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/memory.h"
#include "matchscreen/sw_match_frame.h"
#include "swrender/sw_resources.h"
#include "match/game_tick.h"
#include "match/game_tick.h"
#include "match/ground.h"
#include "display/match_scene.h"
#include "match/match_records.h"
#include "movie/movie.h"

#include "gl3d/menu_objects.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/texture_cache.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <string>
#include <vector>

namespace {

uint32_t key_down(uint8_t scan, bool extended) { return host_key_lparam(scan, extended, false, false, false); }

// The key_state bytes one message set.
std::vector<int> bytes_set_by(uint32_t message, uint32_t lparam, int32_t* result = nullptr)
{
    std::memset(key_state, 0, sizeof key_state);
    int32_t r = app_message_filter(nullptr, message, 0, lparam);
    if (result) *result = r;
    std::vector<int> set;
    for (int i = 0; i < 256; ++i) {
        if (key_state[i] == 128) set.push_back(i);
        else EXPECT_EQ(key_state[i], 0) << i;
    }
    return set;
}

} // namespace

TEST(MessageFilter, KeyDownTables)
{
    message_keys_enabled = 1;
    struct Case {
        uint8_t scan;
        bool extended;
        std::vector<int> set;
    } cases[] = {
        {0x01, false, {0x01}}, // Escape
        {0x1C, false, {0x1C}}, // Enter
        {104, false, {104}},   // the last plain code that counts
        {105, false, {}},
        {0x7E, false, {}},
        {28, true, {156}}, // keypad Enter
        {29, true, {157}}, // right Ctrl
        {42, true, {54}},
        {53, true, {181}}, // keypad /
        {69, true, {69}},  // Num Lock
        {71, true, {199}},
        {72, true, {200}},
        {73, true, {201}},
        {75, true, {203}},
        {77, true, {205}},
        {79, true, {207}},
        {80, true, {208}},
        {81, true, {209}},
        {82, true, {210}},
        {83, true, {211}},
        {56, true, {}}, // right Alt: an extended key outside the table
        {91, true, {}}, // left Windows key
        {1, true, {}},
    };
    for (const Case& c : cases) {
        int32_t result = -1;
        EXPECT_EQ(bytes_set_by(HOST_WM_KEYDOWN, key_down(c.scan, c.extended), &result), c.set)
            << int(c.scan) << (c.extended ? " extended" : "");
        EXPECT_EQ(result, 0);
    }
}

TEST(MessageFilter, KeysAreIgnoredWhileTheMatchRuns)
{
    message_keys_enabled = 0;
    EXPECT_TRUE(bytes_set_by(HOST_WM_KEYDOWN, key_down(0x01, false)).empty());
    EXPECT_TRUE(bytes_set_by(HOST_WM_KEYDOWN, key_down(72, true)).empty());
    // F10 and Alt come as system keys, which are not switched off.
    EXPECT_EQ(bytes_set_by(HOST_WM_SYSKEYDOWN, key_down(0x44, false)), std::vector<int>{0x44});
    message_keys_enabled = 1;
}

TEST(MessageFilter, SystemKeysReachOnlyF10AndAlt)
{
    int32_t result = -1;
    EXPECT_EQ(bytes_set_by(HOST_WM_SYSKEYDOWN, key_down(0x44, false), &result), std::vector<int>{0x44});
    EXPECT_EQ(result, 0);
    EXPECT_EQ(bytes_set_by(HOST_WM_SYSKEYDOWN, key_down(0x38, false)), std::vector<int>{0x38});
    EXPECT_EQ(bytes_set_by(HOST_WM_SYSKEYDOWN, key_down(0x38, true)), std::vector<int>{0x38}); // right Alt
    EXPECT_TRUE(bytes_set_by(HOST_WM_SYSKEYDOWN, key_down(0x3E, false)).empty());              // Alt+F4's F4
}

TEST(MessageFilter, NeverClearsAByte)
{
    std::memset(key_state, 0, sizeof key_state);
    key_state[0x1E] = 128;
    app_message_filter(nullptr, HOST_WM_KEYUP, 0, host_key_lparam(0x1E, false, false, true, true));
    EXPECT_EQ(key_state[0x1E], 128);
    EXPECT_EQ(app_message_filter(nullptr, HOST_WM_KEYUP, 0, 0), 1);
}

TEST(MessageFilter, ActivationSuspensionAndCursor)
{
    struct Step {
        uint32_t message, wparam;
        int32_t result;
        uint32_t active, suspended;
    } steps[] = {
        {HOST_WM_ACTIVATE, 1, 1, 1, 0},
        {HOST_WM_SYSCOMMAND, HOST_SC_MINIMIZE, 1, 1, 1},
        {HOST_WM_ACTIVATE, 0x10000, 1, 0, 1},  // inactive and minimised
        {HOST_WM_ACTIVATE, 0x10001, 1, 0, 0},  // activated while still minimised: not active, no longer suspended
        {HOST_WM_SYSCOMMAND, HOST_SC_SCREENSAVE, 1, 0, 1},
        {HOST_WM_ACTIVATE, 1, 1, 1, 0},
        {HOST_WM_SYSCOMMAND, HOST_SC_TASKLIST, 1, 1, 1},
        {HOST_WM_ACTIVATE, 2, 1, 1, 0},  // activated by a click
        {HOST_WM_SYSCOMMAND, HOST_SC_MONITORPOWER, 1, 1, 1},
        {HOST_WM_ACTIVATE, 1, 1, 1, 0},
        {HOST_WM_SYSCOMMAND, HOST_SC_RESTORE, 1, 1, 0},
        {HOST_WM_ACTIVATE, 0, 1, 0, 0},
    };
    app_active = 0;
    app_suspended = 0;
    for (const Step& s : steps) {
        EXPECT_EQ(app_message_filter(nullptr, s.message, s.wparam, 0), s.result);
        EXPECT_EQ(app_active, s.active) << s.message << " " << s.wparam;
        EXPECT_EQ(app_suspended, s.suspended) << s.message << " " << s.wparam;
    }

    cursor_shown = 1;
    EXPECT_EQ(app_message_filter(nullptr, HOST_WM_MOUSEMOVE, 0, 0), 1);
    EXPECT_EQ(cursor_shown, 0);
    EXPECT_EQ(app_message_filter(nullptr, HOST_WM_NCMOUSEMOVE, 0, 0), 1);
    EXPECT_EQ(cursor_shown, 1);

    EXPECT_EQ(app_message_filter(nullptr, HOST_WM_MCI_NOTIFY, 1, 0), 0);
    EXPECT_EQ(app_message_filter(nullptr, HOST_WM_MCI_NOTIFY, 4, 0), 1);
    EXPECT_EQ(app_message_filter(nullptr, HOST_WM_CLOSE, 0, 0), 1);
}

namespace {

// Every step of the road is real now: no stand-in notes a call.
std::string own_user_dir(const char* run)
{
    return host_user_dir() + "/startup-" + std::to_string(::getpid()) + "-" + run;
}

// Runs the program in this process, with a fresh user directory (and so a
// single-instance lock) of its own: other test processes run beside it.
Ending run_program(std::vector<const char*> args, const char* run)
{
    // A run cut short by a quit leaves its devices and window up; this one
    // starts as a fresh process would.
    front_end_shutdown();
    reset_menu_icons();
    reset_screen_runner();
    reset_front_end_state();
    game_shutdown();
    if (host_window()) run_trapped([] { destroy_window_and_exit(); });
    reset_startup_flags();
    movies_on = 1;
    args.insert(args.begin(), "kob99");
    args.push_back(nullptr);
    std::string saved = host_user_dir();
    std::string own = own_user_dir(run);
    std::filesystem::remove_all(own);
    setenv("KOB99_USER_DIR", own.c_str(), 1);
    host_set_user_dir(own);
    Ending e = run_trapped([&] { win_main(static_cast<int>(args.size() - 1), const_cast<char**>(args.data())); });
    host_set_fast_clock(1);
    setenv("KOB99_USER_DIR", saved.c_str(), 1);
    host_set_user_dir(saved);
    return e;
}

void press_escape_for_movie()
{
    host_clear_messages();
    host_post_message(HostMessage{HOST_WM_KEYDOWN, 0, host_key_lparam(0x01, false, false, false, false)});
}

// Leaves the front end the way a player quits: Esc on the controller
// screen, Yes to the quit question, then Exit Demo on the splash. The keys
// come once the screen is up: on the fast clock the loads before it cost
// the script little time, however slow or loaded the machine.
void press_escape_soon()
{
    host_clear_messages();
    host_set_fast_clock(10);
    const std::string path = host_user_dir() + "/startup-quit-" + std::to_string(::getpid()) + ".txt";
    std::ofstream(path) << "8000 keydown Escape\n8100 keyup Escape\n10000 keydown Right\n10100 keyup Right\n12000 keydown Return\n12100 keyup Return\n16000 keydown Return\n16100 keyup Return\n";
    std::string error;
    ASSERT_TRUE(host_load_event_script(path, &error)) << error;
    std::filesystem::remove(path);
}

} // namespace

// The movie's own clock runs 40 ms a look, so it plays through at once.
uint32_t quick_clock()
{
    static uint32_t now = 0;
    return now += 40;
}

TEST(StartUp, TheWholeRoadInOrderEndsWithZero)
{
    host_clear_messages();
    setmovieclock(quick_clock);
    setmoviedonehook(press_escape_soon); // for the front end
    match_globals.match_state = 73; // cleared by the set-up
    match_globals.random_state_a = match_globals.random_state_b = 0;
    set_lkz_image_mode(0);
    Ending e = run_program({}, "road");
    EXPECT_EQ(get_lkz_image_mode(), 1) << "pictures are read from their compressed twins";
    set_lkz_image_mode(0);
    EXPECT_EQ(match_globals.match_state, 0);
    EXPECT_NE(match_globals.random_state_a, 0u);
    EXPECT_NE(match_globals.random_state_b, 0u);
    EXPECT_TRUE(e.ended);
    EXPECT_EQ(e.code, 0) << e.box_text;
    EXPECT_EQ(tile_textures_loaded(), 0) << "the menus' tile textures went at shut-down";
    EXPECT_GE(keyboard_controller, 1) << "the input came up";
    EXPECT_EQ(mouse_controller, -1) << "and went down again";
    EXPECT_EQ(use_3d_hardware, 1u);
    EXPECT_EQ(match_tick_record.rate, 62);
    EXPECT_EQ(match_tick_record.period, 16);
    EXPECT_EQ(match_tick_record.callback, game_tick);
    EXPECT_EQ(main_window, nullptr); // the window went before the exit
    EXPECT_TRUE(std::filesystem::exists(own_user_dir("road") + "/settings.cfg")) << "the front end saved them";
    EXPECT_EQ(moviestats.width, 320) << "the kit's intro movie played";
    EXPECT_GT(moviestats.shown, 0);
    EXPECT_EQ(moviestats.escaped, 0);
    setmovieclock(nullptr);
    setmoviedonehook(nullptr);
}

TEST(StartUp, EscSkipsTheMovie)
{
    press_escape_for_movie(); // the movie's
    setmoviedonehook(press_escape_soon); // the front end's
    Ending e = run_program({}, "skip-movie");
    setmoviedonehook(nullptr);
    EXPECT_EQ(e.code, 0) << e.box_text;
    EXPECT_EQ(moviestats.escaped, 1);
    EXPECT_LT(moviestats.decoded, 45) << "the movie stopped early";
}

TEST(StartUp, WithMoviesOffNoMovieIsPlayed)
{
    press_escape_soon();
    moviestats = {};
    Ending e = run_program({"/nm"}, "no-movie");
    EXPECT_EQ(e.code, 0);
    EXPECT_EQ(moviestats.width, 0);
    movies_on = 1;
}

TEST(StartUp, AQuitMessageEndsWithOneAndNoShutDown)
{
    host_clear_messages();
    host_post_message(HostMessage{HOST_WM_QUIT, 0, 0});
    free_sprite_file();
    Ending e = run_program({"/nm"}, "quit");
    EXPECT_EQ(e.code, 1);
    ASSERT_NE(general_sprite_widths, nullptr) << "it reached the game's start";
    EXPECT_TRUE(small_models_loaded()) << "it ended before the shut-down";
    EXPECT_FALSE(std::filesystem::exists(own_user_dir("quit") + "/settings.cfg")) << "the settings are not saved";
    host_clear_messages();
    movies_on = 1;
}

TEST(StartUp, MatchTeardownFreesInOrderAndReenablesKeys)
{
    // The software path frees its match buffers; the 3D path leaves them.
    struct Case {
        uint32_t hardware;
        bool freed;
    } cases[] = {{1, false}, {0, true}};
    uint32_t saved = use_3d_hardware;
    for (const Case& c : cases) {
        use_3d_hardware = c.hardware;
        message_keys_enabled = 0;
        disable_sprite_queue();
        disable_text_sprite_queue();
        sprite_scaling_work = static_cast<uint8_t*>(alloc_mem(64, "Sprite scaling buffer"));
        pitch_texture = static_cast<uint8_t*>(alloc_mem(64, "pitch"));
        release_match_resources();
        EXPECT_EQ(sprite_scaling_work == nullptr, c.freed);
        EXPECT_EQ(pitch_texture == nullptr, c.freed);
        free_first_match_buffer();
        free_ground_geometry_buffers();
        EXPECT_EQ(message_keys_enabled, 1u);
        EXPECT_EQ(sprite_queue_enabled(), 1u) << "the queues are enabled again last";
        EXPECT_EQ(text_sprite_queue_enabled(), 1u);
    }
    use_3d_hardware = saved;
}
