#include "frontend/team_icon_sets.h"

#include "frontend/frame_manifest.h"
#include "frontend/lineup_screen.h"
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
menu_icon lineup_player_templates[LINEUP_PLAYER_ICONS];
menu_icon lineup_drag_template;
menu_icon lineup_popup_templates[LINEUP_POPUP_ICONS];
menu_icon lineup_marker_templates[LINEUP_MARKERS];
menu_icon lineup_hint_template, lineup_swap_marker_template, lineup_cancel_template;
menu_icon lineup_ring_templates[2];
menu_icon lineup_load_template, lineup_save_template;

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

// A formation-set sprite with a frame for the plain, lit and greyed looks:
// lit while focused or pressed, greyed while inactive.
void formation_button(menu_icon& t, uint8_t base, uint8_t code)
{
    sprite_template(&t, HANDLE_FORMATION, base, false, 0);
    t.states[ICON_FOCUSED].frame = t.states[ICON_CLICKED].frame = t.states[ICON_HELD].frame =
        static_cast<uint8_t>(base + FORMATION_OPTION_LIT);
    t.states[ICON_INACTIVE].frame = static_cast<uint8_t>(base + FORMATION_OPTION_GREYED);
    t.code = code;
    t.states[ICON_FOCUSED].handler = lineup_popup_point;
    t.states[ICON_CLICKED].handler = lineup_popup_click;
}

// A picture that takes no pointer or keys.
void formation_picture(menu_icon& t, uint8_t frame)
{
    sprite_template(&t, HANDLE_FORMATION, frame, false, 0);
    t.flags = 0;
}

void register_lineup_icons()
{
    for (int e = 0; e < LINEUP_PLAYER_ICONS; ++e) {
        menu_icon& p = lineup_player_templates[e];
        sprite_template(&p, LINEUP_PORTRAITS_HANDLE, static_cast<uint8_t>(e), false, 0);
        p.user_index = static_cast<uint8_t>(e);
        p.code = e < LINEUP_ON_FIELD ? KIND_ON_FIELD : e < LINEUP_RESERVE_FIRST ? KIND_BENCH : KIND_RESERVE;
        p.states[ICON_CLICKED].handler = lineup_player_click;
    }
    sprite_template(&lineup_drag_template, LINEUP_PORTRAITS_HANDLE, 0, false, 0);
    lineup_drag_template.flags = ICON_TOP;
    lineup_drag_template.states[ICON_NORMAL].step = lineup_drag_follow;
    formation_button(lineup_popup_templates[0], FORMATION_CHOICE_FIRST, 0);
    formation_button(lineup_popup_templates[1], FORMATION_CHOICE_SECOND, 1);
    for (int setting = FIRST_SETTING_MIN; setting <= SECOND_SETTING_MAX; ++setting)
        formation_button(lineup_popup_templates[setting], formation_option_frame(setting), static_cast<uint8_t>(setting));
    formation_button(lineup_cancel_template, FORMATION_CANCEL, LINEUP_CANCEL_CODE);
    for (int m = 0; m < LINEUP_MARKERS; ++m) {
        menu_icon& t = lineup_marker_templates[m];
        const bool vertical = m < LINEUP_VERTICAL_MARKERS;
        const uint8_t frame = vertical ? FORMATION_MARKER_VERTICAL : FORMATION_MARKER_HORIZONTAL;
        sprite_template(&t, HANDLE_FORMATION, frame, false, 0);
        t.states[ICON_FOCUSED].frame = t.states[ICON_CLICKED].frame = t.states[ICON_HELD].frame = static_cast<uint8_t>(frame + 1);
        t.code = vertical ? static_cast<uint8_t>(m) : (m - LINEUP_VERTICAL_MARKERS < 3 ? UPPER_LINE_TAG : LOWER_LINE_TAG);
        t.states[ICON_CLICKED].handler = lineup_marker_click;
    }
    formation_picture(lineup_hint_template, FORMATION_HINT);
    formation_picture(lineup_swap_marker_template, FORMATION_SWAP_MARKER);
    formation_picture(lineup_ring_templates[0], FORMATION_RING_CHOSEN);
    formation_picture(lineup_ring_templates[1], FORMATION_RING_POINTED);
    lineup_load_template = focus_text_template("Load", 0, load_formation_click);
    lineup_save_template = focus_text_template("Save", 0, save_formation_click);
}

} // namespace

void register_lineup_callbacks()
{
    register_lineup_icons();
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
