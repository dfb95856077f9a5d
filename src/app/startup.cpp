#include "app/startup.h"
#include "display/commentary.h"
#include "display/hud.h"
#include "display/hud_draw.h"
#include "display/match_scene.h"
#include "display/match_sound.h"
#include "display/replay.h"
#include "frontend/pages.h"
#include "gl3d/menu_objects.h"
#include "model/anim_table.h"
#include "model/skeleton.h"
#include "screen/screen_services.h"

#include "host/events.h"
#include "host/instance.h"
#include "host/paths.h"
#include "host/process.h"
#include "host/window.h"
#include "match/game_maths.h"
#include "match/game_tick.h"
#include "match/ground.h"
#include "match/match_hooks.h"
#include "match/match_records.h"
#include "movie/movie.h"
#include "platform/cd_audio.h"
#include "platform/command_line.h"
#include "platform/controllers.h"
#include "platform/fatal_error.h"
#include "platform/input.h"
#include "platform/memory.h"
#include "screen/screen_flip.h"
#include "platform/mouse.h"
#include "gl3d/angle_maths.h"
#include "gl3d/display_device.h"
#include "gl3d/gl.h"
#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_queue.h"
#include "gl3d/sprite_sets.h"
#include "gl3d/texture_cache.h"
#include "gl3d/window_shell.h"
#include "matchscreen/sw_match_frame.h"
#include "swrender/sw_resources.h"
#include "screen/screen.h"
#include "platform/settings_targets.h"
#include "platform/sound.h"
#include "platform/tick_timer.h"
#include "players/contact_tables.h"

#include <cstring>
#include <string>

uint32_t message_keys_enabled = 0;
uint8_t cursor_shown = 1;

const char* const second_copy_message =
    "KOB 99 is already running.\n(Try checking your task bar for it).\nClosing this one down.\n";

namespace {

const char* const class_name = "The Larkfield Studio Ltd";
const char* const window_title = "KOB 99";

std::string g_command_line;
std::string g_program_file;
std::string g_program_dir;

// Extended keys the filter knows, and the key_state byte each one sets.
struct ExtendedKeyRow {
    uint8_t scan;
    uint8_t index;
};
const ExtendedKeyRow extended_key_table[] = {
    {28, 156}, // keypad Enter
    {29, 157}, // right Ctrl
    {42, 54},
    {53, 181}, // keypad /
    {69, 69},  // Num Lock (also passed on)
    {71, 199}, // Home
    {72, 200}, // Up
    {73, 201}, // Page Up
    {75, 203}, // Left
    {77, 205}, // Right
    {79, 207}, // End
    {80, 208}, // Down
    {81, 209}, // Page Down
    {82, 210}, // Insert
    {83, 211}, // Delete
};
constexpr uint8_t last_plain_scan_code = 104;
constexpr uint8_t num_lock_scan_code = 69;

// System keys that still reach key_state.
const uint8_t system_key_table[] = {0x44 /* F10 */, 0x38 /* Alt */};

bool is_suspending_command(uint32_t command)
{
    return command == HOST_SC_MINIMIZE || command == HOST_SC_TASKLIST || command == HOST_SC_SCREENSAVE ||
           command == HOST_SC_MONITORPOWER;
}

int32_t filter_key_down(uint32_t message, uint32_t wparam, uint32_t lparam)
{
    if (!message_keys_enabled) return 0;
    uint8_t scan = static_cast<uint8_t>(lparam >> 16);
    bool extended = (lparam >> 24) & 1;
    if (!extended) {
        if (scan <= last_plain_scan_code) key_state[scan] = 128;
        return 0;
    }
    for (const ExtendedKeyRow& row : extended_key_table) {
        if (row.scan != scan) continue;
        key_state[row.index] = 128;
        if (scan == num_lock_scan_code) return host_default_message(HostMessage{message, wparam, lparam});
        return 0;
    }
    return 0;
}

bool init_com() { return host_init(); }

void release_com() {}

void record_program(int argc, char** argv)
{
    g_program_dir = host_exe_dir();
    g_program_file = argc > 0 && argv[0] ? argv[0] : "kob99";
    g_command_line.clear();
    for (int i = 1; i < argc; ++i) {
        if (i > 1) g_command_line += ' ';
        g_command_line += argv[i];
    }
}

} // namespace

const char* program_command_line() { return g_command_line.c_str(); }

int32_t app_message_filter(HostWindow*, uint32_t message, uint32_t wparam, uint32_t lparam)
{
    switch (message) {
    case HOST_WM_ACTIVATE: {
        bool activating = (wparam & 0xFFFF) != 0;
        bool minimised = (wparam >> 16) != 0;
        app_active = activating && !minimised ? 1 : 0;
        if (activating && app_suspended) app_suspended = 0;
        return 1;
    }
    case HOST_WM_NCMOUSEMOVE:
        if (!cursor_shown) {
            host_show_cursor(true);
            cursor_shown = 1;
        }
        return 1;
    case HOST_WM_MOUSEMOVE:
        if (cursor_shown) {
            host_show_cursor(false);
            cursor_shown = 0;
        }
        return 1;
    case HOST_WM_MCI_NOTIFY:
        if (wparam & 1) {
            cd_audio_done();
            return 0;
        }
        return 1;
    case HOST_WM_SYSCOMMAND:
        if (is_suspending_command(wparam)) app_suspended = 1;
        return 1;
    case HOST_WM_SYSKEYDOWN: {
        uint8_t scan = static_cast<uint8_t>(lparam >> 16);
        for (uint8_t key : system_key_table)
            if (key == scan) key_state[key] = 128;
        return 0;
    }
    case HOST_WM_KEYDOWN: return filter_key_down(message, wparam, lparam);
    default: return 1;
    }
}

int32_t app_setup(AppRecord* app)
{
    message_keys_enabled = 1;
    set_match_settings_target(apply_match_settings);
    clear_game_state_block();
    seed_game_random();
    std::strncpy(app->class_name, class_name, sizeof app->class_name - 1);
    std::strncpy(app->title, window_title, sizeof app->title - 1);
    set_lkz_image_mode(1);
    return 1;
}

void app_stub(AppRecord*) {}

void app_stub2() {}

int32_t game_init(AppRecord* app)
{
    host_show_cursor(false);
    cursor_shown = 0;
    init_direct_sound();
    input_mode = 0;
    create_timer(62, 0, &match_tick_record, game_tick, 0);
    init_mouse(0); // the host has one mouse and no device handle to keep
    start_input(app->instance, app->window);
    build_sincos_table();
    build_boundary_tables();
    load_sprite_file();
    if (use_3d_hardware) load_small_models();
    install_display_hooks();
    // The end of a match releases everything its set-up loaded, not only the scene.
    match_hooks.release_match_resources = release_match_resources;
    load_player_model();
    load_animations();
    init_ball_contact_tables();
    return 1;
}

int32_t run_front_end()
{
    front_end_main();
    return 1;
}

int32_t game_shutdown()
{
    if (use_3d_hardware) free_small_models();
    free_player_model();
    free_animations();
    free_replay_node();
    shutdown_input();
    shutdown_direct_sound();
    return 1;
}

void run_video_player()
{
    if (!movies_on) return;
    host_start_program(host_data_file("fmv\\sc.exe"));
}

void shutdown_game()
{
    if (use_3d_hardware) {
        free_all_3d_objects();
        release_tile_textures();
    }
    cd_music_on = 0;
    free_alloc_table();
    release_com();
    if (use_3d_hardware) destroy_window_and_exit();
    release_ddraw();
    release_display_palette();
}

void release_match_resources()
{
    if (!use_3d_hardware) {
        free_first_match_buffer();
        free_sw_meshes();
        free_sprite_buffer();
        free_ground_geometry_buffers();
        free_further_match_buffers();
        free_marker_textures();
        free_kick_frames();
        free_pitch_lines();
        free_powerbar_bitmaps();
    } else {
        free_match_scene();
    }
    if (!replay_match_playback) {
        stop_crowd_loops();
        free_commentary();
        free_match_effects();
    }
    free_panels();
    free_match_fonts();
    message_keys_enabled = 1;
    enable_sprite_queue();
    enable_text_sprite_queue();
}

void reinit_3d_framework()
{
    start_3d_display(0, 0, 0, exclusive_mode ? 0 : 1);
    set_filter_option(1);
    app_record.window = display_window();
    set_screen_display_kind(1);
    use_3d_hardware = 1;
    set_window_message_hook(app_message_filter);
    set_restore_hook(restore_display);
    set_point_mappings(screen_to_game_point, game_to_screen_point);
}

void reset_startup_flags()
{
    app_record = {};
    use_3d_hardware = 0;
    message_keys_enabled = 0;
    cursor_shown = 1;
    app_active = 0;
    app_suspended = 0;
}

int win_main(int argc, char** argv)
{
    if (!host_claim_single_instance("kob99")) {
        host_message_box(window_title, second_copy_message, HOST_MB_OK, true);
        host_exit(1);
    }
    if (!init_com()) fatal_error(FATAL_SILENT);
    record_program(argc, argv);
    app_record.instance = nullptr;
    app_setup(&app_record);
    parse_command_line(program_command_line());
    if (movies_on) play_movie(host_data_file("fmv\\kob99.mad").c_str(), nullptr, movie_in_software, 0, 0);
    init_screen_format(0, 0);
    app_stub2();
    reinit_3d_framework(); // the 3D display, its window and the message filter
    sprite_hardware_switch = use_3d_hardware;
    set_sprite_set_mode(use_3d_hardware);
    disable_screen_saver();
    game_init(&app_record);
    run_front_end();
    game_shutdown();
    app_stub(&app_record);
    if (use_3d_hardware)
        gl_set_exit_hook(run_video_player);
    else
        run_video_player();
    shutdown_game();
    host_exit(0);
}
