// Provisional: the least each missing subsystem must do for start-up to run
// its whole road. Each definition goes when its owner lands.
#include "platform/provisional_subsystems.h"

#include "host/clock.h"
#include "host/events.h"
#include "host/process.h"
#include "host/window.h"
#include "platform/fatal_error.h"
#include "platform/input.h"
#include "platform/language.h"
#include "platform/message_pump.h"
#include "platform/settings.h"
#include "platform/startup.h"

#include <cstring>

std::vector<std::string> provisional_calls;

namespace {

void note(const char* name) { provisional_calls.emplace_back(name); }

WindowMessageFilter g_filter = nullptr;
void (*g_exit_hook)() = nullptr;
SDL_GLContext g_context = nullptr;
bool g_front_end_running = false;
bool g_front_end_closed = false;

int host_hook(const HostMessage& message)
{
    // The stand-in front end ends on the window's close button, as the real
    // one ends on its quit icon.
    if (message.id == HOST_WM_CLOSE && g_front_end_running) {
        g_front_end_closed = true;
        return 0;
    }
    return g_filter ? g_filter(host_window(), message.id, message.wparam, message.lparam) : 1;
}

} // namespace

#define STAND_IN(name)                                                                                              \
    void name() { note(#name); }

int32_t mouse_device_value = 0;

void game_tick(uint32_t) {}
bool match_playback_flag() { return false; }

void set_lkz_image_mode(int32_t) { note("set_lkz_image_mode"); }

int32_t start_3d_display(int32_t, int32_t, int32_t, int32_t windowed)
{
    note("start_3d_display");
    SDL_Window* window = host_create_window(app_record.title, windowed == 0);
    if (!window) fatal_error_sub(237, 0, "start_3d_display", 0);
    // Without a context the stand-in picture simply stays unpainted.
    g_context = SDL_GL_CreateContext(window);
    set_main_window(window);
    return 1;
}

void set_filter_option(int32_t) { note("set_filter_option"); }
SDL_Window* display_window()
{
    note("display_window");
    return host_window();
}

void set_window_message_hook(WindowMessageFilter filter)
{
    note("set_window_message_hook");
    g_filter = filter;
    host_set_message_hook(host_hook);
}

uint32_t sprite_hardware_switch = 0;

void set_exit_hook(void (*hook)())
{
    note("set_exit_hook");
    g_exit_hook = hook;
}

void destroy_window_and_exit()
{
    note("destroy_window_and_exit");
    if (g_context) SDL_GL_DeleteContext(g_context);
    g_context = nullptr;
    host_destroy_window();
    set_main_window(nullptr);
    if (g_exit_hook) g_exit_hook();
    host_exit(0);
}

int32_t present_and_clear()
{
    host_present_blank();
    pump_messages();
    return 1;
}

void gl_release_device() {}
void restore_all_textures() {}
int32_t display_width() { return HOST_PICTURE_WIDTH; }
int32_t display_height() { return HOST_PICTURE_HEIGHT; }
int32_t viewport_width() { return HOST_PICTURE_WIDTH; }
int32_t viewport_height() { return HOST_PICTURE_HEIGHT; }
STAND_IN(build_sincos_table)
STAND_IN(free_all_3d_objects)
STAND_IN(release_tile_textures)
STAND_IN(enable_sprite_queue)
STAND_IN(enable_text_sprite_queue)

int32_t play_movie(const char*, SDL_Window*, uint32_t, int32_t, int32_t)
{
    note("play_movie");
    return 1;
}

STAND_IN(load_sprite_file)
STAND_IN(load_small_models)
STAND_IN(init_ball_contact_tables)
STAND_IN(free_small_models)
STAND_IN(free_replay_node)

STAND_IN(free_match_scene)
STAND_IN(stop_crowd_loops)
STAND_IN(free_commentary)
STAND_IN(free_match_effects)
STAND_IN(free_panels)
STAND_IN(free_match_fonts)
STAND_IN(free_first_match_buffer)
STAND_IN(free_sw_meshes)
STAND_IN(free_sprite_buffer)
STAND_IN(free_ground_geometry_buffers)
STAND_IN(free_further_match_buffers)
STAND_IN(free_marker_textures)
STAND_IN(free_kick_frames)
STAND_IN(free_pitch_lines)
STAND_IN(free_powerbar_bitmaps)

void front_end_main()
{
    note("front_end_main");
    constexpr uint8_t escape_key = 0x01;
    load_settings(user_settings);
    load_language_text();
    select_language(0);
    g_front_end_running = true;
    g_front_end_closed = false;
    key_state[escape_key] = 0;
    while (!g_front_end_closed && key_state[escape_key] == 0) {
        flip_screen();
        host_sleep_ms(15);
    }
    key_state[escape_key] = 0;
    g_front_end_running = false;
    save_settings(user_settings);
}
