#include "frontend/prematch_hub.h"

#include "frontend/front_end_graphics.h"
#include "frontend/menu_pages.h"
#include "frontend/message_box.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "league/game_settings.h"
#include "match/match_records.h"
#include "platform/input.h"
#include "screen/screen.h"

#include <cstdio>

PrematchHubState prematch_hub_state;

namespace {

// The two sides' badges, held on the device while the screen is open.
HeldBadges g_badges;

PrematchHubState& hub = prematch_hub_state;

constexpr uint16_t ABANDONED = 0x80;
constexpr int32_t CAPTION_X = 550;

menu_icon focus_text(const char* text, uint16_t result)
{
    menu_icon t = text_template(text, 1, ICON_FOCUSABLE);
    t.result_code = result;
    t.states[ICON_FOCUSED].image = t.states[ICON_CLICKED].image = t.states[ICON_HELD].image = 2;
    return t;
}

void leave_action(menu_screen*) { prematch_hub_leave(); }
void leave_click(icon_state_record*, menu_icon*, menu_screen*) { prematch_hub_leave(); }

menu_icon g_back, g_ok;
menu_icon g_title = text_template(prematch_hub_state.title, 3);
menu_icon g_mascots[2];
menu_icon g_captions[2] = {text_template("Home Team", 1), text_template("Away Team", 1)};
menu_icon g_items[9] = {
    focus_text("Controllers", 5),          focus_text("Team 1 Stats", 6),
    focus_text("Team 2 Stats", 7),         focus_text("Match Settings", 8),
    focus_text("Game Settings", 18),       focus_text("Sound Configuration", 15),
    focus_text("Keyboard Configuration", 17), focus_text("Joystick Configuration", 16),
    focus_text("Exit Match", 10),
};

constexpr int ENTRIES = 16;
constexpr int BACK_ENTRY = 0, TITLE_ENTRY = 1, CAPTION_ENTRY = 4, OK_ENTRY = 15;
menu_screen_entry g_entries[ENTRIES] = {
    {1, &g_back, 500, 450, nullptr},       {0, &g_title, 20, 20, nullptr},
    {0, &g_mascots[0], 550, 100, nullptr}, {0, &g_mascots[1], 550, 350, nullptr},
    {0, &g_captions[0], 550, 20, nullptr}, {0, &g_captions[1], 550, 270, nullptr},
    {1, &g_items[0], 20, 100, nullptr},    {1, &g_items[1], 20, 130, nullptr},
    {1, &g_items[2], 20, 160, nullptr},    {1, &g_items[3], 20, 190, nullptr},
    {1, &g_items[4], 20, 220, nullptr},    {1, &g_items[5], 20, 280, nullptr},
    {1, &g_items[6], 20, 310, nullptr},    {1, &g_items[7], 20, 340, nullptr},
    {1, &g_items[8], 20, 400, nullptr},    {1, &g_ok, 560, 450, nullptr},
};
// The hub's picture is the home ground of the first club.
const char* const k_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\Tallowmere.lbm",
                                   "front_en\\front_end_gfx\\menu_screens\\hw\\Tallowmere.tga"};

int32_t side_team(int32_t side) { return side ? game_settings.away_team : game_settings.home_team; }

} // namespace

menu_screen prematch_hub_screen = {ENTRIES,           SCREEN_MENU,        k_pictures, nullptr, 0,
                                   &g_entries[OK_ENTRY], prematch_hub_open, prematch_hub_close,
                                   prematch_hub_frame, nullptr,           0,          0,       0,
                                   0,                 0,                  0,          g_entries};

void prepare_prematch_hub()
{
    common_button_templates(&g_ok, &g_back, nullptr);
    g_ok.result_code = 1;
    g_back.result_code = 2;
    g_back.states[ICON_CLICKED].handler = leave_click;
    // The mascots only show the clubs: a click on one leads nowhere.
    for (int side = 0; side < 2; ++side) {
        sprite_template(&g_mascots[side], HANDLE_CARICATURE, 0, false, 0);
        g_mascots[side].flags &= static_cast<uint16_t>(~ICON_FOCUSABLE);
    }
}

void prematch_hub_leave()
{
    report_error(exit_confirm_code(), nullptr, nullptr, set_result_yes, set_result_no);
    if (front_end_state.result == 3) match_globals.flow_flags |= ABANDONED;
    if (front_end_state.result == 4) front_end_state.result = 0;
}

void prematch_hub_open(menu_screen* screen)
{
    hold_every_badge(&g_badges);
    input_reset();
    std::snprintf(hub.title, sizeof hub.title, "%s", game_settings.game_type == GAME_FINAL_8 ? "KOB - Final 8" : "KOB 99");
    if (menu_icon* title = screen->entries[TITLE_ENTRY].copy) update_icon(title);
    for (int side = 0; side < 2; ++side) {
        if (menu_icon* mascot = screen->entries[2 + side].copy) {
            for (icon_state_record& r : mascot->states) r.frame = static_cast<uint8_t>(side_team(side));
            update_icon(mascot);
        }
        if (menu_icon* caption = screen->entries[CAPTION_ENTRY + side].copy) centre_icon_text_at(caption, CAPTION_X);
    }
    front_end_state.default_action = leave_action;
    if (menu_icon* back = screen->entries[BACK_ENTRY].copy) back->states[ICON_CLICKED].handler = leave_click;
}

void prematch_hub_frame(menu_screen*) {}

void prematch_hub_close(menu_screen*)
{
    let_go_every_badge(&g_badges);
    front_end_state.default_action = nullptr;
}

void run_prematch_screen_loop()
{
    const PageFn before = front_end_state.page;
    front_end_state.page = prematch_hub_page;
    while (front_end_state.page == prematch_hub_page && !front_end_state.done) prematch_hub_page();
    // OK ends the hub, not the front end: the competition plays on.
    if (front_end_state.done) {
        front_end_state.done = 0;
        front_end_state.page = before;
    }
}

void reset_prematch_hub()
{
    hub = PrematchHubState{};
    g_badges = {};
}
