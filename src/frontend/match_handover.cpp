#include "frontend/match_handover.h"

#include "frontend/competition.h"
#include "frontend/front_end_graphics.h"
#include "frontend/menu_icons.h"
#include "frontend/message_box.h"
#include "frontend/pages.h"
#include "frontend/resources.h"
#include "gl3d/render_state.h"
#include "league/game_settings.h"
#include "league/league_data.h"
#include "match/interchange.h"
#include "match/match_records.h"
#include "match/match_setup.h"
#include "matchscreen/match_screen.h"
#include "platform/cd_audio.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/language.h"
#include "platform/message_pump.h"
#include "platform/sound.h"
#include "platform/fatal_error.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "screen/screen_services.h"
#include "host/host_input.h"

#include <cstdio>
#include <cstring>
#include "screen/screen_flip.h"
#include "screen/screen.h"
#include "frontend/finals_screens.h"
#include "frontend/team_tactics.h"
#include "gl3d/menu_objects.h"

void (*match_player)(int32_t mode) = play_match;

namespace {

constexpr uint8_t EXIT_OVER = 0;
constexpr int32_t SPLASH_FONT_FILE = 7, SPLASH_FONT_SLOT = 5;

menu_icon splash_text(const char* text, uint16_t result)
{
    menu_icon t{};
    t.text = text;
    t.width = t.height = -1;
    t.flags = ICON_FOCUSABLE;
    t.result_code = result;
    for (int s = 0; s < ICON_STATES; ++s) t.states[s].image = s == ICON_NORMAL || s == ICON_INACTIVE ? 3 : 5;
    return t;
}

menu_icon g_exit_template = splash_text("Exit Demo", 1);
const menu_icon g_resume_template = splash_text("Resume GAme", 2);
menu_icon* g_resume;
menu_screen_entry g_splash_entries[1] = {{1, &g_exit_template, 50, 450, nullptr}};
const char* const k_splash_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\demosplash.lbm",
                                          "front_en\\front_end_gfx\\menu_screens\\hw\\demosplash.tga"};

constexpr int32_t FADE_STEP = 24;

// The competitions' own types: a demo, load or replay type reaching here
// plays its match like an exhibition.
bool competition_game_type(int8_t type)
{
    return type == GAME_PREMIERSHIP || type == GAME_PRE_SEASON || type == GAME_FINAL_8;
}

bool team_is_human(int32_t team)
{
    return team >= 0 && team < LEAGUE_TEAMS && kind_is_human(competition_state.kinds[team]);
}

// The final score for the developer (and the headless road's check).
void say_full_time()
{
    char line[96];
    const TeamRecord &a = team_records[0], &b = team_records[1];
    std::snprintf(line, sizeof line, "Full time: %d.%d (%d) - %d.%d (%d)\n", a.goals, a.behinds, a.points, b.goals,
                  b.behinds, b.points);
    host_debug_output(line);
}

constexpr const char* SOFTWARE_LOADING_PICTURE = "front_en\\front_end_gfx\\loading screens\\KOB Loading Screen.LBM";

} // namespace

// The background carried off before the loading picture comes in.
void carry_off_background()
{
    if (!any_3d_object_active()) return;
    start_3d_object(-1, 0, 1, 12);
    restart_3d_object_timer(-1, 0);
    for (int32_t guard = 0; guard < 100000 && !objects_finished(); ++guard) {
        begin_scene();
        draw_3d_objects();
        end_scene();
        flip_screen();
    }
    free_3d_object(-1, 0);
}

void show_software_loading_picture(int32_t step)
{
    fade_palette(0, 255, nullptr, step);
    uint8_t palette[768] = {};
    uint8_t* picture = load_screen_picture(SOFTWARE_LOADING_PICTURE, palette);
    copy_palette_entries(palette, 0, 255);
    Surface* surface = nullptr;
    uint8_t* pixels = create_surface(&surface, SCREEN_WIDTH, SCREEN_HEIGHT, 0);
    const int32_t pitch = get_surface_width(surface);
    for (uint32_t y = 0; y < SCREEN_HEIGHT; ++y)
        std::memcpy(pixels + size_t(y) * pitch, picture + size_t(y) * SCREEN_WIDTH, SCREEN_WIDTH);
    free_mem(picture);
    if (uint8_t* screen_pixels = lock_screen_surface(0)) {
        const int32_t screen_row = screen_pitch();
        for (uint32_t y = 0; y < SCREEN_HEIGHT; ++y)
            std::memcpy(screen_pixels + size_t(y) * screen_row, pixels + size_t(y) * pitch, SCREEN_WIDTH);
        unlock_screen_surface(0, screen_pixels);
    }
    release_surface(surface);
    flip_screen();
    fade_in_palette(0, 255, palette);
}

menu_screen demo_splash_screen = {1,       SCREEN_MENU, k_splash_pictures, nullptr, 0, &g_splash_entries[0],
                                  demo_splash_open, demo_splash_close, nullptr, nullptr, 0, 0, 0, 0, 0, 0,
                                  g_splash_entries};

void demo_splash_open(menu_screen*)
{
    front_end_state.default_action = nullptr;
    if (!front_end_state.in_match) return;
    g_resume = copy_icon(g_resume_template, "Transient icon copy");
    add_child_icon(g_resume, scale_x_from_640(50), scale_y_from_480(410), 1);
}

void demo_splash_close(menu_screen*)
{
    read_keyboard_controller();
    if (g_resume) {
        remove_icon(g_resume);
        free_icon(g_resume);
        g_resume = nullptr;
    }
}

void run_demo_splash()
{
    load_font_into_slot(SPLASH_FONT_FILE, SPLASH_FONT_SLOT);
    run_front_end_screen(&demo_splash_screen);
    free_font_slot(SPLASH_FONT_SLOT);
}

void demo_splash_page()
{
    front_end_state.in_match = 1;
    run_demo_splash();
    if (front_end_state.result == 1) {
        match_globals.flow_flags |= LEAVE_OVER | MATCH_PLAYED;
        front_end_state.done = 1;
        front_end_state.result = 3;
    }
    front_end_state.in_match = 0;
}

void start_match()
{
    GameSettings& s = game_settings;
    team_records[0].club = team_records[0].club_sheet = league_team_at(s.home_team);
    team_records[1].club = team_records[1].club_sheet = league_team_at(s.away_team);
    std::memcpy(match_globals.commentary_order, commentary_order_table, sizeof match_globals.commentary_order);
    select_builtin_league_data();
    reset_interchange_queues();
    select_builtin_league_data();
    // The language file stays loaded: it is read again only when it is not.
    select_language(0);
    if (get_text(0)[0] == 0) load_language_text();
    s.front_end_count = FRONT_END_COUNT;
    // A competition's fixture between two computer clubs is not played here.
    if (competition_game_type(s.game_type)) {
        if (!team_is_human(s.home_team) && !team_is_human(s.away_team)) {
            front_end_state.human_team_in = 0;
            return;
        }
        front_end_state.human_team_in = 1;
    }
    const uint8_t result = front_end_state.result;
    if (result == 3) return;
    if (result != 1 && result != 5) {
        front_end_state.page = first_page;
        return;
    }
    int32_t mode = match_globals.init_mode;
    for (;;) {
        front_end_shutdown();
        if (renderer_index() == 1) {
            carry_off_background();
            show_loading_picture();
        } else {
            show_software_loading_picture(FADE_STEP);
        }
        front_end_state.error_hook = nullptr;
        music_flag_off();
        if (renderer_index() != 1) input_reset();
        const int8_t type = s.game_type;
        const int32_t home = s.home_team, away = s.away_team;
        if (type == GAME_TRAINING) s.game_type = GAME_EXHIBITION;
        hand_over_team_selections();
        match_player(mode);
        front_end_state.error_hook = error_control_callback;
        load_front_end_resources();
        s.game_type = type;
        fade_palette(0, 255, nullptr, FADE_STEP);
        if (type == GAME_TRAINING) s.home_team = home, s.away_team = away;
        const uint8_t exit = match_globals.init_mode;
        if (exit == EXIT_OVER) {
            say_full_time();
            set_results_background();
            load_caricature_set();
            run_front_end_screen(&finals_results_screen);
            if (front_end_state.result == 3) {
                match_globals.flow_flags |= MATCH_PLAYED;
                front_end_state.page = first_page;
                return;
            }
            run_demo_splash();
            front_end_state.done = 1;
            return;
        }
        demo_splash_page();
        if (competition_game_type(s.game_type) && !front_end_state.human_team_in) return;
        if (front_end_state.result == 3 || (match_globals.flow_flags & LEAVE_OVER)) break;
        // Play on: the resources go again before the match resumes.
        mode = exit;
    }
    front_end_state.page = first_page;
}

void start_match_page()
{
    start_match();
    front_end_state.page = first_page;
}

void copy_right_half(uint8_t* destination, const uint8_t* source)
{
    constexpr int32_t WIDTH = 640, HEIGHT = 480, HALF = 320;
    for (int32_t y = 0; y < HEIGHT; ++y)
        std::memcpy(destination + size_t(y) * WIDTH + HALF, source + size_t(y) * WIDTH + HALF, WIDTH - HALF);
}

void restart_sound_for_competition()
{
    if (!competition_game_type(game_settings.game_type)) return;
    music_flag_off();
    shutdown_direct_sound();
    init_direct_sound();
}

void reset_match_handover() { g_resume = nullptr; }
