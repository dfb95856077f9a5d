// STAND-IN: see front_end_screens_standin.h.
#include "standin/front_end_screens_standin.h"

#include "frontend/frame_manifest.h"
#include "frontend/menu_icons.h"
#include "frontend/resources.h"
#include "frontend/screen_runner.h"
#include "match/match_records.h"

#include <cstdio>

namespace {

menu_icon text_icon(const char* text, uint8_t font, uint16_t flags, uint16_t result)
{
    menu_icon t{};
    t.text = text;
    t.width = t.height = -1;
    t.flags = flags;
    t.result_code = result;
    for (auto& s : t.states) s.image = font;
    t.states[ICON_FOCUSED].image = t.states[ICON_CLICKED].image = t.states[ICON_HELD].image = 2;
    return t;
}

char g_results_title[40] = "Results";
menu_icon g_results_title_icon = text_icon(g_results_title, 3, 0, 0);
menu_icon g_continue = text_icon("Continue", 1, ICON_FOCUSABLE, 1);

menu_screen_entry g_results_entries[2] = {{0, &g_results_title_icon, 40, 40, nullptr},
                                          {1, &g_continue, 280, 440, nullptr}};

const char* const k_results_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\results.lbm",
                                           "front_en\\front_end_gfx\\menu_screens\\hw\\results.tga"};

void results_open(menu_screen*)
{
    // The demo's match ends in its first quarter: at the whistle it is full time.
    const uint16_t f = match_globals.flow_flags;
    const char* title = match_globals.init_mode == 0 ? "Full Time Score"
                        : (f & QUARTER_1)            ? "First Quarter Score"
                        : (f & QUARTER_2)            ? "Half Time Score"
                        : (f & QUARTER_3)            ? "Third Quarter Score"
                                                     : "Full Time Score";
    std::snprintf(g_results_title, sizeof g_results_title, "%s", title);
}

} // namespace

menu_screen finals_results_screen = {2, SCREEN_MENU, k_results_pictures, nullptr, 0, &g_results_entries[1],
                                     results_open, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, 0, g_results_entries};

void set_results_background() {}
