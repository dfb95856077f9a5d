#include "frontend/victory_screen.h"

#include "frontend/front_end_graphics.h"
#include "frontend/frame_manifest.h"
#include "frontend/menu_icons.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "match/match_hooks.h"

#include <cstdio>

VictoryTexts victory_texts;

const char* const victory_club_lines[16] = {
    "Tallowmere Football Club",    "Brindlecombe Football Club", "Quarrymede Football Club",
    "Westwarren Football Club",    "Cinderhurst Football Club",  "Culvermoor Football Club",
    "Ferndunny Football Club",     "Port Yallamin Football Club", "Gullarbrook Football Club",
    "Mirrabeen Bay Football Club", "Yarrowdeen Football Club",   "Kindlebark Football Club",
    "Hollenvale Football Club",    "Carnellow Football Club",    "Saltmarren Football Club",
    "Wendellgrove Football Club",
};
const char* const victory_nickname_lines[16] = {
    "The Kestrels", "The Wombats",    "The Quolls",   "The Ironbarks", "The Spoonbills", "The Currawongs",
    "The Comets",   "The Pelicans",   "The Lyrebirds", "The Stormbirds", "The Numbats",   "The Brolgas",
    "The Foxhounds", "The Thunderers", "The Gannets",  "The Possums",
};
const char* const victory_competition_names[2] = {"Pre-Season Cup Champions", "Premiership Champions"};

namespace {

constexpr int32_t CENTRE_X = 200;
constexpr int32_t PREMIERSHIP_PHRASE = 271, PHRASE_DELAY = 500;
constexpr int32_t TEXT_ICONS = 7;

const char* const k_backgrounds[2][2] = {
    {"front_en\\front_end_gfx\\menu_screens\\sw\\Win_pre_season.lbm",
     "front_en\\front_end_gfx\\menu_screens\\hw\\Win_pre_season.tga"},
    {"front_en\\front_end_gfx\\menu_screens\\sw\\Win_premiership.lbm",
     "front_en\\front_end_gfx\\menu_screens\\hw\\Win_premiership.tga"},
};

menu_icon continue_template()
{
    menu_icon t = text_template("Continue", 1, ICON_FOCUSABLE);
    t.result_code = 1;
    t.states[ICON_FOCUSED].image = t.states[ICON_CLICKED].image = t.states[ICON_HELD].image = 2;
    return t;
}

menu_icon g_texts[TEXT_ICONS] = {
    text_template("Congratulations", 3),
    text_template(victory_texts.club, 1),
    text_template(victory_texts.nickname, 1),
    text_template("are the", 1),
    text_template(victory_texts.competition, 3),
    text_template(victory_texts.message, 2),
    continue_template(),
};
menu_icon g_badge;
menu_screen_entry g_entries[TEXT_ICONS + 1] = {
    {0, &g_texts[0], 200, 90, nullptr},  {0, &g_texts[1], 200, 160, nullptr}, {0, &g_texts[2], 200, 195, nullptr},
    {0, &g_texts[3], 200, 240, nullptr}, {0, &g_texts[4], 200, 275, nullptr}, {0, &g_texts[5], 200, 340, nullptr},
    {1, &g_texts[6], 200, 440, nullptr}, {0, &g_badge, 480, 240, nullptr},
};
const char* k_pictures[2] = {k_backgrounds[1][0], k_backgrounds[1][1]};

int32_t kind_index() { return victory_texts.kind == VICTORY_PRE_SEASON ? 0 : 1; }

// The premier's badge, held on the device while the screen is open.
HeldBadges g_badges;

void victory_open(menu_screen*)
{
    hold_every_badge(&g_badges);
    victory_screen_text();
}
void victory_close(menu_screen*) { let_go_every_badge(&g_badges); }

} // namespace

menu_screen victory_screen = {TEXT_ICONS + 1, SCREEN_MENU, k_pictures, nullptr, 0, &g_entries[6], victory_open,
                              victory_close, nullptr, nullptr, 0, 0, 0, 0, 0, 0, g_entries};

void victory_screen_background()
{
    const int32_t k = kind_index();
    k_pictures[0] = k_backgrounds[k][0];
    k_pictures[1] = k_backgrounds[k][1];
}

void victory_screen_text()
{
    VictoryTexts& v = victory_texts;
    victory_screen_background();
    if (kind_index() == 0) {
        std::snprintf(v.message, sizeof v.message, "%s", "The Premiership awaits ....");
    } else {
        std::snprintf(v.message, sizeof v.message, "%s", "A superlative win! Well Done!");
        presentation::commentate(PREMIERSHIP_PHRASE, -1, -1, -1, -1, PHRASE_DELAY);
    }
    const int32_t team = v.team < 16 ? v.team : 0;
    std::snprintf(v.club, sizeof v.club, "%s", victory_club_lines[team]);
    std::snprintf(v.nickname, sizeof v.nickname, "%s", victory_nickname_lines[team]);
    std::snprintf(v.competition, sizeof v.competition, "%s", victory_competition_names[kind_index()]);
    if (menu_icon* badge = g_entries[TEXT_ICONS].copy) {
        badge->states[0].frame = static_cast<uint8_t>(team);
        set_icon_frames(badge, &badge->states[0]);
        update_icon(badge);
    }
    for (int32_t i = 0; i < TEXT_ICONS; ++i)
        if (g_entries[i].copy) centre_icon_text_at(g_entries[i].copy, CENTRE_X);
}

void run_victory_screen(int32_t kind, int32_t team)
{
    victory_texts.kind = kind;
    victory_texts.team = static_cast<uint8_t>(team);
    victory_screen_background();
    load_caricature_set();
    sprite_template(&g_badge, HANDLE_CARICATURE, 0, false, 0);
    g_badge.flags = 0;
    run_front_end_screen(&victory_screen);
}

void reset_victory_screen()
{
    victory_texts = VictoryTexts{};
    g_badges = {};
    victory_screen_background();
}
