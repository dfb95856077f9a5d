#include "frontend/menu_pages.h"

#include "frontend/break_menus.h"
#include "frontend/competition_teams.h"
#include "frontend/controller_assign.h"
#include "frontend/controller_config.h"
#include "frontend/database_screens.h"
#include "frontend/front_end_graphics.h"
#include "frontend/hints.h"
#include "frontend/lineup_screen.h"
#include "frontend/match_handover.h"
#include "frontend/menu_icons.h"
#include "frontend/message_box.h"
#include "frontend/option_screens.h"
#include "frontend/player_editor.h"
#include "frontend/pages.h"
#include "frontend/prematch_hub.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "frontend/select_controller.h"
#include "frontend/settings_screens.h"
#include "gl3d/render_state.h"
#include "host/clock.h"
#include "league/game_settings.h"
#include "match/match_records.h"
#include "match/match_setup.h"
#include "display/replay_screen.h"
#include "match/match_hooks.h"
#include "platform/cd_audio.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "screen/screen.h"
#include "screen/screen_flip.h"
#include "frontend/file_browser.h"
#include "gl3d/menu_objects.h"
#include "league/team_lineups.h"
#include "frontend/roles_screen.h"

namespace {

constexpr const char* FORMATION_SET = "front_en\\front_end_gfx\\animation_files\\formation\\frmation.sph";
constexpr int32_t SPLASH_FONT_FILE = 7, SPLASH_FONT_SLOT = 5, LARGE_FONT = 3;
constexpr int32_t LOADING_FRAMES = 100;

// The welcome menu: its fourth and fifth entries are out of use in this
// edition.
menu_icon g_welcome_title = text_template("KOB 99", 3);
menu_icon g_welcome_items[6] = {
    text_template("Quit", 1, ICON_FOCUSABLE),           text_template("Play", 1, ICON_FOCUSABLE),
    text_template("Load Game", 1, ICON_FOCUSABLE),      text_template("Network Game", 1, ICON_FOCUSABLE),
    text_template("Hints and Tips", 1, ICON_FOCUSABLE), text_template("Configuration", 1, ICON_FOCUSABLE),
};
const uint16_t k_welcome_results[6] = {3, 5, 4, 6, 10, 11};
menu_screen_entry g_welcome_entries[7] = {
    {0, &g_welcome_title, 20, 20, nullptr},     {1, &g_welcome_items[0], 50, 450, nullptr},
    {1, &g_welcome_items[1], 50, 120, nullptr}, {1, &g_welcome_items[2], 50, 160, nullptr},
    {1, &g_welcome_items[3], 50, 200, nullptr}, {1, &g_welcome_items[4], 50, 240, nullptr},
    {1, &g_welcome_items[5], 50, 280, nullptr},
};
const char* const k_welcome_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\welcome.lbm",
                                           "front_en\\front_end_gfx\\menu_screens\\hw\\welcome.tga"};

bool g_welcome_ready;

void prepare_welcome()
{
    if (g_welcome_ready) return;
    for (int i = 0; i < 6; ++i) {
        menu_icon& t = g_welcome_items[i];
        t.result_code = k_welcome_results[i];
        t.states[ICON_FOCUSED].image = t.states[ICON_CLICKED].image = t.states[ICON_HELD].image = 2;
    }
    g_welcome_ready = true;
}

// The menu screens' sprite templates follow the sets loaded now.
void prepare_menu_screens()
{
    prepare_welcome();
    prepare_settings_screens();
    prepare_option_screens();
    prepare_hints_screens();
    prepare_controller_config_screens();
}

void run_until_done(menu_screen* screen)
{
    do {
        run_front_end_screen(screen);
    } while (front_end_state.result != 1 && front_end_state.result != 2);
}

int32_t side_team(int32_t side) { return side ? game_settings.away_team : game_settings.home_team; }

// The line-up page for one side, with the portraits of its team.
void lineup_for_side(int32_t side)
{
    load_team_portraits(side_team(side), 0, 1);
    lineup_side = static_cast<uint8_t>(side);
    lineup_page();
}

void joystick_configuration_loop()
{
    load_animation_set(HANDLE_CONTROLLERS, CONTROLLER_SET);
    prepare_controller_config_screens();
    do {
        const int32_t n = configurable_joysticks();
        if (n == 0) break;
        if (front_end_state.selected_controller < 0 || front_end_state.selected_controller >= n)
            front_end_state.selected_controller = 0;
        run_front_end_screen(&joystick_config_screen);
    } while (front_end_state.result != 1 && front_end_state.result != 2);
    free_animation_set(HANDLE_CONTROLLERS);
}

void play_replay_with_match()
{
    init_match(4);
    run_replay_screen();
    presentation::release_match_resources();
}

// The background carried off and the loading picture held for a while.
void hardware_loading_picture()
{
    carry_off_background();
    show_loading_picture();
    for (int32_t f = 0; f < LOADING_FRAMES; ++f) {
        begin_scene();
        draw_3d_objects();
        end_scene();
        flip_screen();
    }
}

} // namespace

void (*replay_player)() = play_replay_with_match;
int32_t last_home_choice = 0, last_away_choice = 9;

menu_screen welcome_screen = {7,       SCREEN_MENU,   k_welcome_pictures, nullptr,      0,
                              &g_welcome_entries[2], welcome_open, welcome_close, welcome_frame, nullptr,
                              0,       0,             0,                  0,            0,
                              0,       g_welcome_entries};

void welcome_open(menu_screen* screen)
{
    match_globals.init_mode = 0;
    for (int i = 3; i <= 4; ++i) {
        menu_icon* icon = screen->entries[i].copy;
        if (!icon) continue;
        icon->states[0].image = 0;
        icon->flags = 0;
    }
    input_reset();
    front_end_state.default_action = confirm_quit_action;
    if (screen->entries[2].copy) set_focus_icon(screen->entries[2].copy);
}

void welcome_frame(menu_screen*) { poll_live_input(); }
void welcome_close(menu_screen*) { front_end_state.default_action = nullptr; }

void welcome_page()
{
    set_quick_exhibition_teams();
    prepare_menu_screens();
    run_front_end_screen(&welcome_screen);
    switch (front_end_state.result) {
    case 3:
        run_demo_splash();
        front_end_state.done = 1;
        break;
    case 5: front_end_state.page = game_type_page; break;
    case 10: run_until_done(&hints_screen); break;
    case 11: configuration_page(); break;
    default: break;
    }
    if (!front_end_state.page) front_end_state.page = welcome_page;
}

void game_type_page()
{
    front_end_state.page = nullptr;
    do {
        prepare_menu_screens();
        run_front_end_screen(&game_type_screen);
        switch (front_end_state.result) {
        case 2: front_end_state.page = welcome_page; break;
        case 6:
        case 11:
            game_settings.game_type = front_end_state.result == 6 ? GAME_EXHIBITION : GAME_TRAINING;
            game_settings.interchange_players = 4;
            game_settings.finals_week = 0;
            game_settings.round_kind = 0;
            front_end_state.page = match_setup_page;
            break;
        case 12: front_end_state.page = moon_page; break;
        default: break; // 10 has nothing behind it
        }
    } while (!front_end_state.page);
}

namespace {

// Match settings, then the team selection until a choice leads on.
void match_setup(bool moon)
{
    match_globals.flow_flags = 0;
    if (moon) moon_flag = 1;
    game_settings.home_team = static_cast<int8_t>(last_home_choice);
    game_settings.away_team = static_cast<int8_t>(last_away_choice);
    prepare_menu_screens();
    run_front_end_screen(&match_settings_screen);
    if (front_end_state.result == 2) {
        if (moon) moon_flag = 0;
        front_end_state.page = nullptr;
        front_end_state.result = 0;
        return;
    }
    for (;;) {
        load_caricature_set();
        browser_home_team = game_settings.home_team;
        browser_away_team = game_settings.away_team;
        prepare_database_screens();
        run_front_end_screen(&team_browser_screen);
        free_animation_set(HANDLE_CARICATURE);
        last_home_choice = game_settings.home_team = static_cast<int8_t>(browser_home_team);
        last_away_choice = game_settings.away_team = static_cast<int8_t>(browser_away_team);
        const uint8_t result = front_end_state.result;
        if (result == 1) {
            if (game_settings.game_type == GAME_TRAINING) {
                fill_slide_records(0, game_settings.home_team);
                fill_slide_records(1, game_settings.away_team);
            }
            front_end_state.page = prematch_hub_page;
            controllers_page(0);
            if (front_end_state.result == 1) {
                front_end_state.page = start_match_page;
            } else {
                front_end_state.page = nullptr;
                front_end_state.result = 0;
            }
            return;
        }
        if (result == 2) {
            front_end_state.page = game_type_page;
            return;
        }
        if (result == 5 || result == 6) {
            // Training edits its line-ups as an exhibition would.
            const int8_t type = game_settings.game_type;
            if (type == GAME_TRAINING) game_settings.game_type = GAME_EXHIBITION;
            lineup_for_side(result == 5 ? 0 : 1);
            game_settings.game_type = type;
        }
    }
}

} // namespace

void moon_page() { match_setup(true); }
void match_setup_page() { match_setup(false); }

void prematch_hub_page()
{
    load_caricature_set();
    front_end_state.page = prematch_hub_page;
    prepare_menu_screens();
    prepare_prematch_hub();
    run_front_end_screen(&prematch_hub_screen);
    switch (front_end_state.result) {
    case 1: front_end_state.done = 1; break;
    case 3: front_end_state.page = welcome_page; break;
    case 5: controllers_page(0); break;
    case 6:
    case 7: {
        const int32_t side = front_end_state.result == 6 ? 0 : 1;
        edit_player_page(side, side_team(side));
        lineup_for_side(side);
        break;
    }
    case 8:
    case 18: run_front_end_screen(&match_settings_screen); break;
    case 15: run_front_end_screen(&sound_config_screen); break;
    default: break; // 16, 17 and the rest stay
    }
}

void lineup_page()
{
    const int32_t team = side_team(lineup_side);
    lineup_first_open = 1;
    free_font_slot(LARGE_FONT);
    load_animation_set(HANDLE_FORMATION, FORMATION_SET);
    load_team_roles(team);
    for (;;) {
        run_front_end_screen(&lineup_screen);
        const uint8_t result = front_end_state.result;
        if (result == 1) {
            store_lineup_to_team();
            store_team_roles(team, game_settings.interchange_players);
            break;
        }
        if (result == 2) break;
        if (result == 24) {
            load_font_into_slot(LARGE_FONT, LARGE_FONT);
            run_until_done(&roles_screen);
            free_font_slot(LARGE_FONT);
        }
        if (result == LINEUP_LOAD_FORMATION) load_formation_dialog();
        if (result == LINEUP_SAVE_FORMATION) save_formation_dialog();
    }
    free_animation_set(HANDLE_FORMATION);
    free_animation_set(HANDLE_CARICATURE);
    load_font_into_slot(LARGE_FONT, LARGE_FONT);
    free_front_end_animations();
}

void hints_page()
{
    prepare_menu_screens();
    run_until_done(&hints_screen);
}

void configuration_page()
{
    for (;;) {
        prepare_menu_screens();
        run_front_end_screen(&configuration_screen);
        switch (front_end_state.result) {
        case 1:
        case 2: return;
        case 15: run_until_done(&sound_config_screen); break;
        case 16: joystick_configuration_loop(); break;
        case 17: run_front_end_screen(&keyboard_config_screen); break;
        case 18: run_front_end_screen(&in_game_options_screen); break;
        default: break;
        }
    }
}

namespace {

void statistics(int32_t variant)
{
    front_end_state.page = nullptr;
    match_stage = variant;
    for (;;) {
        run_front_end_screen(&break_menu_screen);
        const uint8_t r = front_end_state.result;
        if (r == 1 || r == 5) return;
        if (variant == 1) {
            if (r == 6) run_file_browser(2);
            if (r == 7) run_front_end_screen(&match_statistics_screen);
            if (r == 8 || r == 9) {
                load_team_for_stats(r - 8);
                run_front_end_screen(&team_statistics_screen);
            }
        } else {
            if (r == 6 || r == 7) run_file_browser(r == 6 ? 3 : 2);
            if (r == 8) run_front_end_screen(&match_statistics_screen);
            if (r == 9 || r == 10) {
                load_team_for_stats(r - 9);
                run_front_end_screen(&team_statistics_screen);
            }
            if (r == 11) configuration_page();
        }
    }
}

} // namespace

void statistics_page_1() { statistics(1); }
void statistics_page_2() { statistics(2); }

void view_replay_page()
{
    run_file_browser(0);
    if (front_end_state.result != 1) return;
    const bool hardware = renderer_index() == 1;
    if (hardware)
        hardware_loading_picture();
    else
        show_software_loading_picture(24);
    front_end_state.error_hook = nullptr;
    music_flag_off();
    front_end_shutdown();
    replay_player();
    if (!hardware) show_software_loading_picture(24);
    front_end_state.error_hook = error_control_callback;
    load_front_end_resources();
    if (!hardware) fade_palette(0, 255, nullptr, 12);
}

void load_game_page()
{
    front_end_state.page = first_page;
    do {
        run_file_browser(1);
    } while (front_end_state.result != 1 && front_end_state.result != 2);
}

void delete_files_page() { run_file_browser(4); }

void save_file_page()
{
    do {
        run_file_browser(5);
    } while (front_end_state.result != 1 && front_end_state.result != 2);
}

void select_controller_page()
{
    prepare_menu_screens();
    run_front_end_screen(&select_controller_screen);
}

void replay_buffer_page()
{
    prepare_menu_screens();
    run_front_end_screen(&replay_buffer_screen);
}

void team_list_page()
{
    prepare_competition_teams_screen();
    run_front_end_screen(&competition_teams_screen);
}

void attract_match_page()
{
    front_end_shutdown();
    for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) set_controller_side(r, 0);
    bool first = true;
    do {
        // Two different clubs, drawn without the match's own generator.
        const int32_t home = host_rand() % 16;
        int32_t away = host_rand() % 15;
        if (away >= home) ++away;
        set_quick_exhibition();
        set_quick_exhibition_teams(home, away);
        if (!first) presentation::fade_palette_in();
        first = false;
        match_player(0);
        presentation::fade_palette_out();
    } while (!(match_globals.flow_flags & 0x4000));
    load_front_end_resources();
    front_end_state.page = first_page;
}

bool in_saved_squad_list(int32_t player)
{
    for (int8_t p : game_settings.squad_list)
        if (p == player) return true;
    return false;
}

bool always_true() { return true; }

void reset_menu_pages()
{
    replay_player = play_replay_with_match;
    last_home_choice = 0;
    last_away_choice = 9;
}
