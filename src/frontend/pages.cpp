#include "frontend/pages.h"

#include "frontend/competition.h"
#include "frontend/controller_assign.h"
#include "frontend/controller_config.h"
#include "frontend/database_files.h"
#include "frontend/front_end_graphics.h"
#include "frontend/match_handover.h"
#include "frontend/message_box.h"
#include "frontend/resources.h"
#include "frontend/screen_runner.h"
#include "frontend/team_tactics.h"
#include "screen/screen.h"
#include "league/game_settings.h"
#include "league/league_data.h"
#include "match/match_records.h"
#include "match/session_defaults.h"
#include "platform/cd_audio.h"
#include "platform/controllers.h"
#include "platform/language.h"
#include "platform/settings.h"
#include "platform/message_pump.h"
#include "screen/screen_flip.h"
#include "frontend/finals_screens.h"

namespace {

constexpr int32_t DEMO_HOME = 0, DEMO_AWAY = 9;
constexpr int32_t MAX_CONFIGURABLE_JOYSTICKS = 4;

void present_black_frames()
{
    for (int i = 0; i < 3; ++i) {
        clear_screen_buffer();
        flip_screen();
    }
}

} // namespace

void set_quick_exhibition_teams(int32_t home, int32_t away)
{
    GameSettings& s = game_settings;
    competition_state.round = 1;
    s.game_type = GAME_EXHIBITION;
    s.interchange_players = 4;
    s.home_team = static_cast<int8_t>(home);
    s.away_team = static_cast<int8_t>(away);
    team_records[0].club = team_records[0].club_sheet = league_team_at(s.home_team);
    team_records[1].club = team_records[1].club_sheet = league_team_at(s.away_team);
}

void set_quick_exhibition()
{
    GameSettings& s = game_settings;
    set_quick_exhibition_teams(DEMO_HOME, DEMO_AWAY);
    // The demo's locked match options.
    s.quarter_length = 4;
    s.weather = 3;
    s.game_speed = 0;
    s.time_of_day = 0;
    user_settings.word_1468 = 2; // location
}

void first_page()
{
    for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) set_controller_side(r, 0);
    front_end_state.controllers_changed = 1;
    game_settings.home_team = DEMO_HOME;
    game_settings.away_team = DEMO_AWAY;
    quick_start_page();
}

void quick_start_page()
{
    set_quick_exhibition();
    store_team_tactics(0);
    store_team_tactics(1);
    controllers_page(1);
    switch (front_end_state.result) {
    case 1: front_end_state.page = start_match_page; break;
    case 3:
        run_demo_splash();
        front_end_state.done = 1;
        break;
    default: break; // the first page runs again
    }
}

void controllers_page(int32_t mode)
{
    load_caricature_set();
    load_animation_set(HANDLE_CONTROLLERS, CONTROLLER_SET);
    prepare_controller_screen();
    prepare_controller_config_screens();
    for (;;) {
        set_controller_default_action(mode);
        run_front_end_screen(&controller_assign_screen);
        const uint8_t result = front_end_state.result;
        if (result == 1 || result == 2 || result == 3) break;
        if (result == 5) {
            run_front_end_screen(&keyboard_config_screen);
            front_end_state.controllers_changed = 1;
        } else if (result == 6) {
            const int32_t joysticks = controller_count();
            if (joysticks == 0) break;
            const int32_t configurable = joysticks < MAX_CONFIGURABLE_JOYSTICKS ? joysticks : MAX_CONFIGURABLE_JOYSTICKS;
            // The set-up screens hold masks for the first four joysticks only:
            // a later joystick opens nothing.
            if (front_end_state.selected_controller < 0) front_end_state.selected_controller = 0;
            if (front_end_state.selected_controller < configurable) run_front_end_screen(&joystick_config_screen);
            front_end_state.controllers_changed = 1;
        }
    }
    free_animation_set(HANDLE_CONTROLLERS);
    if (renderer_index() == 1) free_animation_set(HANDLE_CARICATURE);
}

void front_end_main()
{
    front_end_state.done = 0;
    front_end_setup();
    set_session_defaults();
    load_database_files(); // the league edits of earlier runs come back
    load_front_end_resources();
    front_end_state.error_hook = error_control_callback;
    front_end_state.page = first_page;
    fade_palette(0, 255, nullptr, 24);
    do {
        if (!front_end_state.page) front_end_state.page = first_page;
        front_end_state.last_page = front_end_state.page;
        front_end_state.page();
    } while (!front_end_state.done);
    fade_palette(0, 255, nullptr, 24);
    present_black_frames();
    save_settings(user_settings);
    if (front_end_loaded) front_end_shutdown();
    music_flag_off();
    reset_language_text(); // the language files go with the front end
    front_end_state.error_hook = nullptr;
}
