#include "frontend/last_orders.h"

#include "frontend/control_events.h"
#include "frontend/control_lists.h"
#include "frontend/front_end_graphics.h"
#include "frontend/frame_manifest.h"
#include "frontend/lineup_screen.h"
#include "frontend/menu_icons.h"
#include "frontend/menu_pages.h"
#include "frontend/message_box.h"
#include "frontend/pages.h"
#include "frontend/player_editor.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "frontend/select_controller.h"
#include "frontend/settings_screens.h"
#include "frontend/team_tactics.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/language.h"
#include "platform/settings.h"
#include "screen/screen.h"

#include <cstdio>
#include <cstring>

LastOrdersScreen last_orders_state;

namespace {

LastOrdersScreen& lo = last_orders_state;

constexpr uint8_t ITEM_GROUP = 6;
constexpr uint16_t QUIT_FLAG = 0x80;

menu_icon g_exit_template;
menu_icon g_title_template = text_template(last_orders_state.title, 3);
menu_icon g_badge_templates[2];
menu_icon g_name_templates[2] = {text_template(last_orders_state.team_names[0], 1),
                                 text_template(last_orders_state.team_names[1], 1)};
menu_screen_entry g_entries[6] = {
    {1, &g_exit_template, 50, 450, nullptr},      {0, &g_title_template, 20, 20, nullptr},
    {0, &g_badge_templates[0], 550, 80, nullptr}, {0, &g_badge_templates[1], 550, 330, nullptr},
    {0, &g_name_templates[0], 550, 20, nullptr},  {0, &g_name_templates[1], 550, 270, nullptr},
};
const char* const k_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\last orders.lbm",
                                   "front_en\\front_end_gfx\\menu_screens\\hw\\last orders.tga"};

// The menu in its order; the formation items only for a human side.
struct Item {
    const char* text;
    uint16_t result;
    int8_t side; // -1 always shown, else the side whose formation it sets up
};
const Item k_items[7] = {
    {"Controllers", 6, -1},   {"Match Settings", 11, -1}, {nullptr, 7, 0}, {nullptr, 8, 1},
    {"Configuration", 12, -1}, {"Start Match", 1, -1},    {"Main Menu", 5, -1},
};

// The difficulty labels: the left one is the game type screen's own.
const char* const k_label_texts[3] = {game_type_state.left_text, "Difficulty Level", "Very Hard"};
const int16_t k_label_places[3][2] = {{153, 329}, {283, 306}, {363, 329}};

bool exhibition_or_training()
{
    return game_settings.game_type == GAME_EXHIBITION || game_settings.game_type == GAME_TRAINING;
}

int32_t open_base() { return game_settings.game_type == GAME_TRAINING || moon_flag ? 0 : 30; }

int32_t side_team(int32_t side) { return side ? game_settings.away_team : game_settings.home_team; }

void exit_action(menu_screen*) { last_orders_exit(); }
void exit_click(icon_state_record*, menu_icon*, menu_screen*) { last_orders_exit(); }

menu_icon* add_text(const char* text, int32_t x, int32_t y, uint8_t group, uint16_t flags, uint16_t result)
{
    menu_icon t = text_template(text, 1, flags);
    t.result_code = result;
    t.states[ICON_FOCUSED].image = t.states[ICON_CLICKED].image = t.states[ICON_HELD].image = 2;
    menu_icon* icon = copy_icon(t, "Transient icon copy");
    add_child_icon(icon, scale_x_from_640(x), scale_y_from_480(y), group);
    return icon;
}

void prepare_templates()
{
    common_button_templates(nullptr, &g_exit_template, nullptr);
    g_exit_template.states[ICON_CLICKED].handler = exit_click;
    for (int side = 0; side < 2; ++side) {
        sprite_template(&g_badge_templates[side], HANDLE_CARICATURE, 0, false, static_cast<uint16_t>(9 + side));
        for (icon_state_record& r : g_badge_templates[side].states) r.frame = static_cast<uint8_t>(side_team(side));
    }
}

void remove_and_free(menu_icon*& icon)
{
    if (!icon) return;
    remove_icon(icon);
    free_icon(icon);
    icon = nullptr;
}

} // namespace

menu_screen last_orders_screen = {6,       SCREEN_MENU,      k_pictures,        nullptr,         0,
                                  &g_entries[0], last_orders_open, last_orders_close, last_orders_frame, nullptr,
                                  0,       0,                0,                 0,               0,
                                  0,       g_entries};

void last_orders_exit()
{
    report_error(exit_confirm_code(), nullptr, set_result_ok, set_result_yes, set_result_no);
    if (front_end_state.result == 3) match_globals.flow_flags |= QUIT_FLAG;
    if (front_end_state.result == 4) front_end_state.result = 0;
}

void last_orders_open(menu_screen* screen)
{
    lo.side_controller[0] = lo.side_controller[1] = 0;
    lo.human_count[0] = lo.human_count[1] = 0;
    for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) {
        const int32_t side = controller_side(r);
        if (side == -1) lo.side_controller[0] = 1, ++lo.human_count[0];
        if (side == 1) lo.side_controller[1] = 1, ++lo.human_count[1];
    }
    input_reset();

    std::snprintf(lo.title, sizeof lo.title, "%s",
                  game_settings.game_type == GAME_FINAL_8 ? "Final 8 Last Min. Orders" : "Last Minute Orders");
    for (int side = 0; side < 2; ++side) {
        std::snprintf(lo.team_names[side], sizeof lo.team_names[side], "%s",
                      get_text(static_cast<uint16_t>(side_team(side))));
        if (menu_icon* name = screen->entries[4 + side].copy) centre_icon_text_at(name, 550);
        if (game_settings.game_type == GAME_TRAINING) fill_slide_records(side, side_team(side));
    }
    front_end_state.default_action = exit_action;
    if (menu_icon* exit = screen->entries[0].copy) exit->states[ICON_CLICKED].handler = exit_click;

    create_list(&lo.controls);
    draw_side_players_panel(lo.controls, 550, 132, -1);
    draw_side_players_panel(lo.controls, 550, 432, 1);

    lo.labels[0] = lo.labels[1] = lo.labels[2] = nullptr;
    if (exhibition_or_training()) {
        const int32_t base = open_base();
        std::snprintf(game_type_state.left_text, sizeof game_type_state.left_text, "%s",
                      base == 30 ? "Medium" : "Very Easy");
        const int32_t difficulty = static_cast<int32_t>(user_settings.word_1464);
        lo.percent = (difficulty - base) * 100 / (100 - base);
        create_setting_slider(lo.controls, &lo.percent, 0, 100, 283, 340, nullptr);
        for (int i = 0; i < 3; ++i) lo.labels[i] = add_text(k_label_texts[i], k_label_places[i][0], k_label_places[i][1], 0, 0, 0);
        centre_icon_text_at(lo.labels[1], 283);
        right_align_icon_text(lo.labels[0], 205);
    }
    draw_control_list(lo.controls);

    lo.first_y = 100, lo.spacing = 33;
    for (int side = 0; side < 2; ++side)
        if (lo.side_controller[side]) lo.first_y -= 10, lo.spacing -= 3;
    lo.items = 0;
    int32_t y = lo.first_y;
    for (const Item& item : k_items) {
        const char* text = item.text;
        if (item.side >= 0) {
            if (!lo.side_controller[item.side]) continue;
            // Through a local line: the compiler cannot tell the two arrays of
            // one record apart and warns of an overlap.
            char line[sizeof lo.formation_texts[0]];
            std::snprintf(line, sizeof line, "%s Formation Setup", lo.team_names[item.side]);
            std::memcpy(lo.formation_texts[item.side], line, sizeof line);
            text = lo.formation_texts[item.side];
        }
        lo.item_icons[lo.items++] = add_text(text, 50, y, ITEM_GROUP, ICON_FOCUSABLE, item.result);
        y += lo.spacing;
    }
    set_focus_icon(lo.item_icons[0]);

    // A competition's computer side plays the built-in tactics.
    const bool competition = !exhibition_or_training();
    for (int side = 0; side < 2; ++side) {
        if (competition && lo.human_count[side] == 0)
            store_default_tactics(side);
        else
            store_team_tactics(side);
    }
    game_settings.interchange_players = game_settings.game_type == GAME_PRE_SEASON ? 6 : 4;
}

void last_orders_frame(menu_screen*)
{
    read_keyboard_controller();
    update_control_list(lo.controls);
}

void last_orders_close(menu_screen*)
{
    if (exhibition_or_training()) {
        user_settings.word_1464 = static_cast<uint32_t>(
            game_settings.game_type == GAME_TRAINING ? lo.percent * 100 / 100 : 30 + lo.percent * 70 / 100);
        for (menu_icon*& label : lo.labels) remove_and_free(label);
    }
    free_control_tree(&lo.controls);
    for (int32_t i = 0; i < lo.items; ++i) remove_and_free(lo.item_icons[i]);
    lo.items = 0;
    front_end_state.default_action = nullptr;
}

void last_orders_page()
{
    for (;;) {
        if (animation_handles[HANDLE_CARICATURE] < 0) load_caricature_set();
        prepare_templates();
        prepare_settings_screens();
        run_front_end_screen(&last_orders_screen);
        free_animation_set(HANDLE_CARICATURE);
        const uint8_t result = front_end_state.result;
        switch (result) {
        case 1:
        case 3:
        case 5: return;
        case 6: controllers_page(0); break;
        case 7:
        case 8: {
            const int32_t side = result - 7;
            edit_player_page(side, side_team(side));
            load_team_portraits(side_team(side), 0, 1);
            lineup_side = static_cast<uint8_t>(side);
            lineup_page();
            front_end_state.page = prematch_hub_page;
            break;
        }
        case 9:
        case 10: {
            const int32_t side = result - 9;
            const int8_t type = game_settings.game_type;
            if (type == GAME_TRAINING) game_settings.game_type = GAME_EXHIBITION;
            edit_player_page(side, side_team(side));
            load_team_portraits(side_team(side), 0, 1);
            lineup_side = static_cast<uint8_t>(side);
            if (animation_handles[HANDLE_CARICATURE] < 0) load_caricature_set();
            free_front_end_animations();
            free_animation_set(HANDLE_CARICATURE);
            game_settings.game_type = type;
            break;
        }
        case 11: run_front_end_screen(&match_settings_screen); break;
        case 12: configuration_page(); break;
        default: break;
        }
    }
}

void reset_last_orders()
{
    lo = LastOrdersScreen{};
}
