#include "frontend/team_icon_sets.h"

#include "frontend/frame_manifest.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"

#include <array>
#include <cstdio>
#include <cstring>

menu_icon team_mascot_templates[TEAM_MASCOTS];
menu_icon team_control_templates[TEAM_MASCOTS];
menu_icon team_verb_templates[TEAM_MASCOTS];
char team_control_texts[TEAM_MASCOTS][4];
char team_verb_texts[TEAM_MASCOTS][6];
menu_icon* shown_team_mascots[TEAM_MASCOTS];
int32_t current_era;
char era_caption[16];
menu_icon* era_caption_icon;

namespace {

// Each era between the first and the last deals the clubs' images out in
// its own order: image = (club x an odd step + era) mod 16, a permutation.
constexpr std::array<std::array<uint8_t, TEAM_MASCOTS>, ERA_COUNT> make_era_rows()
{
    std::array<std::array<uint8_t, TEAM_MASCOTS>, ERA_COUNT> rows{};
    for (int e = 0; e < ERA_COUNT; ++e)
        for (int t = 0; t < TEAM_MASCOTS; ++t) {
            const int step = 2 * (e % 8) + 1;
            rows[e][t] = static_cast<uint8_t>(e == 0 || e == ERA_COUNT - 1 ? t : (t * step + e) % TEAM_MASCOTS);
        }
    return rows;
}
constexpr auto k_era_rows = make_era_rows();

int32_t wrap_era(int32_t era) { return ((era % ERA_COUNT) + ERA_COUNT) % ERA_COUNT; }

void set_font(menu_icon* icon, uint8_t font)
{
    if (!icon) return;
    for (icon_state_record& r : icon->states) r.image = font;
}

void show_era()
{
    std::snprintf(era_caption, sizeof era_caption, "%s", era_name(current_era));
    if (era_caption_icon) centre_icon_text_at(era_caption_icon, 320);
    for (int t = 0; t < TEAM_MASCOTS; ++t) {
        for (icon_state_record& r : team_mascot_templates[t].states) r.frame = mascot_frame(t);
        menu_icon* icon = shown_team_mascots[t];
        if (!icon) continue;
        for (icon_state_record& r : icon->states) r.frame = mascot_frame(icon->user_index);
        update_icon(icon);
    }
}

} // namespace

void register_lineup_callbacks()
{
    for (int t = 0; t < TEAM_MASCOTS; ++t) {
        menu_icon& m = team_mascot_templates[t];
        sprite_template(&m, HANDLE_CARICATURE, mascot_frame(t), false, 0);
        m.user_index = static_cast<uint8_t>(t);
        team_control_templates[t] = text_template(team_control_texts[t], FONT_COMPUTER_PLACE);
        team_control_templates[t].user_index = static_cast<uint8_t>(t);
        team_verb_templates[t] = text_template(team_verb_texts[t], FONT_COMPUTER_PLACE);
        team_verb_templates[t].user_index = static_cast<uint8_t>(t);
        std::snprintf(team_control_texts[t], sizeof team_control_texts[t], "CPU");
        std::snprintf(team_verb_texts[t], sizeof team_verb_texts[t], "PLAYS");
    }
}

void set_place_control(int32_t place, uint8_t computer, menu_icon* control, menu_icon* verb, int32_t x)
{
    if (place < 0 || place >= TEAM_MASCOTS) return;
    std::snprintf(team_control_texts[place], sizeof team_control_texts[place], "%s", computer ? "CPU" : "YOU");
    std::snprintf(team_verb_texts[place], sizeof team_verb_texts[place], "%s", computer ? "PLAYS" : "PLAY");
    const uint8_t font = computer ? FONT_COMPUTER_PLACE : FONT_PERSON_PLACE;
    for (menu_icon* icon : {control, verb}) {
        if (!icon) continue;
        set_font(icon, font);
        centre_icon_text_at(icon, x);
    }
}

const char* era_name(int32_t era)
{
    static char names[ERA_COUNT][12];
    era = wrap_era(era);
    if (era == 0) return "Present Day";
    if (!names[era][0]) std::snprintf(names[era], sizeof names[era], "%d", 1969 + era);
    return names[era];
}

int32_t era_image(int32_t era, int32_t team)
{
    if (team < 0 || team >= TEAM_MASCOTS) return 0;
    return k_era_rows[static_cast<size_t>(wrap_era(era))][static_cast<size_t>(team)];
}

// The caricature set holds one picture an image, so an era's image is the
// frame itself.
uint8_t mascot_frame(int32_t team)
{
    const int32_t image = era_image(current_era, team);
    return static_cast<uint8_t>(image < BADGE_FRAME_COUNT ? image : 0);
}

void era_next()
{
    current_era = wrap_era(current_era + 1);
    show_era();
}

void era_previous()
{
    current_era = wrap_era(current_era - 1);
    show_era();
}

void save_icon_to_list(SavedIconList& list, menu_icon* icon, uint8_t group)
{
    if (!icon || list.count >= SavedIconList::CAPACITY) return;
    list.icons[list.count] = icon;
    list.x[list.count] = icon->x;
    list.y[list.count] = icon->y;
    list.group[list.count] = group;
    ++list.count;
}

void restore_icon_list(SavedIconList& list)
{
    if (list.large_text) set_font(list.remembered_text, 3);
    for (int32_t i = 0; i < list.count && i < SavedIconList::CAPACITY; ++i)
        if (list.icons[i] && icon_slot(list.icons[i]) < 0) add_child_icon(list.icons[i], list.x[i], list.y[i], list.group[i]);
    list.count = 0;
}

void reset_team_icon_sets()
{
    current_era = 0;
    era_caption[0] = 0;
    era_caption_icon = nullptr;
    for (menu_icon*& m : shown_team_mascots) m = nullptr;
    std::memset(team_control_texts, 0, sizeof team_control_texts);
    std::memset(team_verb_texts, 0, sizeof team_verb_texts);
}
