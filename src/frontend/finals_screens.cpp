#include "frontend/finals_screens.h"
#include "frontend/front_end_graphics.h"

#include "frontend/competition.h"
#include "frontend/competition_screens.h"
#include "frontend/control_events.h"
#include "frontend/frame_manifest.h"
#include "frontend/front_end_state.h"
#include "frontend/message_box.h"
#include "frontend/option_screens.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "league/game_settings.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/language.h"
#include "platform/memory.h"
#include "screen/fonts.h"
#include "screen/screen.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

const char* const TOURNAMENT_SET = "front_en\\front_end_gfx\\animation_files\\tournament\\tournament.sph";

ResultsScreenState results_state;
BracketState bracket_state;

namespace {

constexpr uint16_t PERIOD_BITS = QUARTER_1 | QUARTER_2 | QUARTER_3 | QUARTER_4 | EXTRA_TIME;
constexpr uint8_t TITLE_FONT = 3, TEXT_FONT = 1;

const char* const k_results_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\results.lbm",
                                           "front_en\\front_end_gfx\\menu_screens\\hw\\results.tga"};
const char* const k_round_results_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\round results.lbm",
                                                 "front_en\\front_end_gfx\\menu_screens\\hw\\round results.tga"};
const char* g_results_pictures[2] = {k_results_pictures[0], k_results_pictures[1]};

void results_exit_click(icon_state_record*, menu_icon*, menu_screen* s) { results_exit(s); }

menu_icon g_results_title = text_template(results_state.title, TITLE_FONT);
menu_icon g_continue = focus_text_template("Continue", 1);
menu_icon g_leave = focus_text_template("Leave", 0, results_exit_click);
menu_screen_entry g_results_entries[3] = {{0, &g_results_title, 20, 20, nullptr},
                                          {1, &g_continue, 560, 450, nullptr},
                                          {1, &g_leave, 50, 450, nullptr}};
const menu_icon k_field_template = text_template("Team 1", TEXT_FONT);

struct FieldSpot {
    int16_t x, y;
};
const FieldSpot k_name_spots[2] = {{285, 163}, {285, 333}};
const FieldSpot k_score_spots[2] = {{530, 163}, {530, 333}};
const FieldSpot k_badge_spots[2] = {{192, 170}, {192, 340}};

const char* team_name(int32_t team) { return team >= 0 && team < 16 ? get_text(team) : ""; }

// The knock-out list layout's title, or null when the round has none.
const char* knockout_list_title(int8_t type, int32_t round)
{
    if (type == GAME_PRE_SEASON && round >= 1 && round <= 3) return "Pre-Season Results";
    if (type != GAME_FINAL_8) return nullptr;
    switch (round) {
    case 2: return "Qualifying Final Results";
    case 3: return "Semi Final Results";
    case 4: return "Preliminary Final Results";
    default: return nullptr;
    }
}

// The title of a match's break or end by its period bits. The match just
// over (its exit code 0, or the finished bit) is at full time whatever
// quarter it stopped in: the demonstration match ends with the first.
const char* period_title()
{
    const uint16_t f = match_globals.flow_flags;
    const bool over = match_globals.init_mode == 0 || (f & LEAVE_OVER);
    if (f & EXTRA_TIME) return results_state.final_score_wanted ? "Final Score" : "Extra Time Score";
    if (!over) {
        if (f & QUARTER_1) return "First Quarter Score";
        if (f & QUARTER_2) return "Half Time Score";
        if (f & QUARTER_3) return "Third Quarter Score";
    }
    results_state.full_time = 1;
    return "Full Time Score";
}

void add_text_field(int32_t index, char* text, const FieldSpot& at)
{
    menu_icon* icon = copy_icon(k_field_template, "Transient icon copy");
    icon->text = text;
    add_child_icon(icon, scale_x_from_640(at.x), scale_y_from_480(at.y), 0);
    results_state.fields[index] = icon;
}

void add_badge(int32_t index, int32_t team, const FieldSpot& at)
{
    menu_icon t;
    sprite_template(&t, HANDLE_CARICATURE, static_cast<uint8_t>(team < 0 ? 0 : team), false, 0);
    t.flags = 0;
    menu_icon* icon = copy_icon(t, "Transient icon copy");
    add_child_icon(icon, scale_x_from_640(at.x), scale_y_from_480(at.y), 0);
    results_state.badges[index] = icon;
    results_state.badge_textures[index] = hold_caricature_frame(team);
}

void show_single_match()
{
    ResultsScreenState& r = results_state;
    for (int32_t i = 0; i < 2; ++i) {
        std::snprintf(r.names[i], sizeof r.names[i], "%s", team_name(r.teams[i]));
        std::snprintf(r.score_texts[i], sizeof r.score_texts[i], "%u", static_cast<unsigned>(r.scores[i]));
        add_text_field(i, r.names[i], k_name_spots[i]);
        add_text_field(2 + i, r.score_texts[i], k_score_spots[i]);
        add_badge(i, r.teams[i], k_badge_spots[i]);
    }
}

void choose_single_match()
{
    ResultsScreenState& r = results_state;
    const CompetitionState& c = competition_state;
    const int8_t type = game_settings.game_type;
    const bool in_match = match_globals.flow_flags & CLOCK_FROZEN;
    r.teams[0] = game_settings.home_team;
    r.teams[1] = game_settings.away_team;
    r.scores[0] = static_cast<uint16_t>(team_records[0].points);
    r.scores[1] = static_cast<uint16_t>(team_records[1].points);
    const char* title = in_match ? period_title() : "Score";
    if (!in_match && c.round == 5 && (type == GAME_PRE_SEASON || type == GAME_FINAL_8)) {
        const int32_t pair = type == GAME_PRE_SEASON ? 14 : 8;
        const bool home_first = type == GAME_PRE_SEASON || c.scores[pair][0] > c.scores[pair][1];
        const int32_t first = home_first ? 0 : 1;
        r.teams[0] = c.fixtures[pair][first];
        r.teams[1] = c.fixtures[pair][1 - first];
        r.scores[0] = c.scores[pair][first];
        r.scores[1] = c.scores[pair][1 - first];
        title = type == GAME_PRE_SEASON ? "Pre-Season Champion" : "Final 8 Result";
        // The grand final's result is the end: Esc does nothing here.
        if (type == GAME_FINAL_8) front_end_state.default_action = nullptr;
    }
    std::snprintf(r.title, sizeof r.title, "%s", title);
    r.single_match = true;
}


// --- Bracket ---

struct Spot {
    int16_t x, y;
};
struct StageLayout {
    int32_t first_pair, pairs;
    Spot boxes[4], panels[4];
};
const StageLayout k_quarter_finals = {0, 4, {{210, 110}, {400, 170}, {210, 240}, {400, 310}},
                                      {{240, 160}, {430, 220}, {240, 290}, {430, 360}}};
const StageLayout k_semi_finals = {4, 2, {{380, 140}, {380, 260}}, {{410, 190}, {410, 310}}};
const StageLayout k_final = {8, 1, {{380, 200}}, {{410, 250}}};
const Spot k_byes[2] = {{125, 110}, {125, 360}};
constexpr int32_t NAME_WIDTH = 66, TITLE_WIDTH = 80, PANEL_WIDTH = 64, AWAY_BELOW = 70, TITLE_BELOW = 43;
constexpr int32_t PANEL_TEMPLATE = 1, STRING_TEMPLATE = 2;
constexpr int32_t BRACKET_FONT = 1, STAGE_FONT = 0;

char g_bracket_title[40] = "International Playoffs";
menu_icon g_bracket_heading = text_template(g_bracket_title, TITLE_FONT);
void bracket_leave_click(icon_state_record*, menu_icon*, menu_screen*) { confirm_leave_competition_screen(); }
void bracket_leave_action(menu_screen*) { confirm_leave_competition_screen(); }
menu_icon g_bracket_leave = focus_text_template("Leave", 0, bracket_leave_click);
menu_screen_entry g_bracket_entries[3] = {{0, &g_bracket_heading, 20, 20, nullptr},
                                          {1, &g_continue, 560, 450, nullptr},
                                          {1, &g_bracket_leave, 50, 450, nullptr}};
const char* const k_bracket_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\finals.lbm",
                                           "front_en\\front_end_gfx\\menu_screens\\hw\\finals.tga"};

// playoff_icon: [0] unused, [1] the box back, [2] a team name or title.
menu_icon playoff_icon(int32_t index)
{
    if (index == PANEL_TEMPLATE) {
        menu_icon t;
        sprite_template(&t, HANDLE_TOURNAMENT, TOURNAMENT_PANEL, false, 0);
        t.flags = ICON_OPAQUE | (1 << ICON_CLIP_SHIFT);
        return t;
    }
    menu_icon t = text_template("", BRACKET_FONT);
    t.flags = 1 << ICON_CLIP_SHIFT;
    return t;
}

int16_t g_base_x[128], g_base_y[128];
menu_icon* g_picture; // the bracket picture
control_list* g_scroll_controls;
int32_t g_scroll_start;
int32_t g_applied_scroll;

void box(const StageLayout& stage, int32_t offset, const char* title)
{
    const CompetitionState& c = competition_state;
    for (int32_t i = 0; i < stage.pairs; ++i) {
        const int32_t pair = stage.first_pair + i;
        const Spot b = stage.boxes[i], p = stage.panels[i];
        layout_playoff_icons(PANEL_TEMPLATE, nullptr, p.x - offset, p.y, PANEL_WIDTH, 0);
        layout_playoff_icons(STRING_TEMPLATE, team_name(c.fixtures[pair][0]), b.x - offset, b.y, NAME_WIDTH, BRACKET_FONT);
        layout_playoff_icons(STRING_TEMPLATE, title, b.x - offset, b.y + TITLE_BELOW, TITLE_WIDTH, STAGE_FONT);
        layout_playoff_icons(STRING_TEMPLATE, team_name(c.fixtures[pair][1]), b.x - offset, b.y + AWAY_BELOW, NAME_WIDTH,
                             BRACKET_FONT);
    }
}

StageLayout shifted(const StageLayout& s, int32_t first_pair)
{
    StageLayout t = s;
    t.first_pair = first_pair;
    return t;
}

void byes()
{
    for (int32_t i = 0; i < 2; ++i) {
        const Spot b = k_byes[i];
        char text[48];
        std::snprintf(text, sizeof text, "Qualifying Winner %d - Bye", i + 1);
        layout_playoff_icons(STRING_TEMPLATE, team_name(competition_state.fixtures[6 + i][0]), b.x, b.y, NAME_WIDTH,
                             BRACKET_FONT);
        layout_playoff_icons(STRING_TEMPLATE, text, b.x, b.y + TITLE_BELOW - (i == 0 ? 75 : 0), TITLE_WIDTH, STAGE_FONT);
    }
}

void first_round_list()
{
    const CompetitionState& c = competition_state;
    for (int32_t k = 0; k < 8; ++k) {
        const int32_t y = 145 + 60 * k;
        layout_playoff_icons(STRING_TEMPLATE, team_name(c.fixtures[k][0]), 337, y, NAME_WIDTH, BRACKET_FONT);
        layout_playoff_icons(STRING_TEMPLATE, "v", 369, y + 8, 34, STAGE_FONT);
        layout_playoff_icons(STRING_TEMPLATE, team_name(c.fixtures[k][1]), 404, y, 130, BRACKET_FONT);
    }
}

int32_t scroll_start(int8_t type, int32_t round)
{
    if (type == GAME_PRE_SEASON) return round == 1 ? 315 : round == 3 ? 285 : round == 5 ? 485 : -1;
    if (type == GAME_FINAL_8) return round == 3 ? 495 : round == 4 ? 780 : round == 5 ? 930 : -1;
    return -1;
}

// Moves every item by the scroll list: sideways on the strip, up and down
// in the first-round list.
void apply_scroll()
{
    BracketState& b = bracket_state;
    const int32_t shift = b.list_scroll - g_scroll_start;
    if (shift == g_applied_scroll) return;
    g_applied_scroll = shift;
    b.scroll = shift;
    for (int32_t i = 0; i < b.count; ++i) {
        menu_icon* icon = b.items[i];
        if (b.first_round_list) icon->y = static_cast<int16_t>(scale_y_from_480(g_base_y[i] - shift));
        else icon->x = static_cast<int16_t>(scale_x_from_640(g_base_x[i] - shift));
        update_icon(icon);
    }
}

void free_items()
{
    BracketState& b = bracket_state;
    for (int32_t i = 0; i < b.count; ++i) {
        menu_icon* icon = b.items[i];
        if (!icon) continue;
        if (icon_slot(icon) >= 0) remove_icon(icon);
        if (icon->text) free_mem(const_cast<char*>(icon->text));
        free_icon(icon);
        b.items[i] = nullptr;
    }
    b.count = 0;
}

void bracket_frame(menu_screen*)
{
    read_keyboard_controller();
    update_control_list(g_scroll_controls);
    if (bracket_state.has_scroll_list) apply_scroll();
}

} // namespace

menu_screen finals_results_screen = {3, SCREEN_MENU, g_results_pictures, nullptr, 0, &g_results_entries[1],
                                     finals_results_open, finals_results_close, nullptr, nullptr, 0, 0, 0, 0, 0, 0,
                                     g_results_entries};

void set_results_background()
{
    const uint16_t f = match_globals.flow_flags;
    const char* const* pictures = k_round_results_pictures;
    if (f & CLOCK_FROZEN) {
        if (!(f & PERIOD_BITS)) return;
        pictures = k_results_pictures;
    } else {
        const int8_t type = game_settings.game_type;
        if ((type == GAME_FINAL_8 || type == GAME_PRE_SEASON) && competition_state.round == 5) pictures = k_results_pictures;
    }
    g_results_pictures[0] = pictures[0];
    g_results_pictures[1] = pictures[1];
}

void results_exit(menu_screen*)
{
    report_error(exit_confirm_code(), nullptr, nullptr, set_result_yes, set_result_no);
    if (front_end_state.result == 3) match_globals.flow_flags |= MATCH_PLAYED;
    else if (front_end_state.result == 4) front_end_state.result = 0;
}

void list_knockout_results(int32_t first, int32_t end)
{
    ResultsScreenState& r = results_state;
    if (first < 0) first = 0;
    if (end > FIXTURE_PAIRS) end = FIXTURE_PAIRS;
    std::vector<std::string> lines;
    for (int32_t k = first; k < end; ++k) {
        const CompetitionState& c = competition_state;
        char line[160];
        std::snprintf(line, sizeof line, "%s %u  v  %u %s", team_name(c.fixtures[k][0]),
                      static_cast<unsigned>(c.scores[k][0]), static_cast<unsigned>(c.scores[k][1]),
                      team_name(c.fixtures[k][1]));
        lines.emplace_back(line);
    }
    const TextListGeometry g{1, {110, 50, 411, 639}, 60, 120, 15};
    r.lines = lines;
    build_text_list(&r.controls, g, r.lines);
}

void finals_results_open(menu_screen*)
{
    ResultsScreenState& r = results_state;
    const bool keep_flag = r.final_score_wanted;
    r = ResultsScreenState{};
    r.final_score_wanted = keep_flag;
    std::snprintf(r.title, sizeof r.title, "Results");
    for (int32_t w : {1, 3}) set_clip_window(w, 0, 0, 480, 640);
    input_reset();
    front_end_state.default_action = results_exit;
    const int8_t type = game_settings.game_type;
    const int32_t round = competition_state.round;
    const char* list_title = (match_globals.flow_flags & CLOCK_FROZEN) ? nullptr : knockout_list_title(type, round);
    if (list_title) {
        std::snprintf(r.title, sizeof r.title, "%s", list_title);
        const FixtureRange range = knockout_round_fixtures(type, round);
        if (type == GAME_PRE_SEASON && round == 1) set_clip_window(1, 110, 50, 411, 639);
        list_knockout_results(range.first, range.end);
    } else {
        choose_single_match();
        show_single_match();
    }
    if (menu_icon* title = g_results_entries[0].copy) update_icon(title);
}

void finals_results_close(menu_screen*)
{
    ResultsScreenState& r = results_state;
    for (menu_icon*& icon : r.fields)
        if (icon) remove_icon(icon), free_icon(icon), icon = nullptr;
    for (menu_icon*& icon : r.badges)
        if (icon) remove_icon(icon), free_icon(icon), icon = nullptr;
    for (int32_t& texture : r.badge_textures) let_go_caricature_frame(&texture);
    free_control_tree(&r.controls);
    front_end_state.default_action = nullptr;
}

menu_screen finals_bracket_screen = {3, SCREEN_MENU, k_bracket_pictures, nullptr, 0, &g_bracket_entries[1],
                                     finals_bracket_open, finals_bracket_close, bracket_frame, nullptr, 0, 0, 0, 0, 0, 0,
                                     g_bracket_entries};

menu_icon* layout_playoff_icons(int32_t template_index, const char* text, int32_t x, int32_t y, int32_t width,
                                int32_t font)
{
    BracketState& b = bracket_state;
    if (b.count >= static_cast<int32_t>(sizeof b.items / sizeof b.items[0])) return nullptr;
    menu_icon* icon = copy_icon(playoff_icon(text ? STRING_TEMPLATE : (template_index ? template_index : PANEL_TEMPLATE)),
                                "Transient icon copy");
    if (text) {
        const size_t n = std::strlen(text) + 1;
        char* own = static_cast<char*>(alloc_mem(static_cast<uint32_t>(n), "playoff text"));
        std::memcpy(own, text, n);
        icon->text = own;
        for (auto& st : icon->states) st.image = static_cast<uintptr_t>(font);
    }
    (void)width; // names are drawn whole; the boxes are wide enough for the league's
    const int32_t shown_x = b.first_round_list ? x : x - b.scroll;
    const int32_t shown_y = b.first_round_list ? y - b.scroll : y;
    add_child_icon(icon, scale_x_from_640(shown_x), scale_y_from_480(shown_y), 0);
    g_base_x[b.count] = static_cast<int16_t>(x);
    g_base_y[b.count] = static_cast<int16_t>(y);
    b.items[b.count++] = icon;
    return icon;
}

void finals_bracket_draw()
{
    BracketState& b = bracket_state;
    free_items();
    const int8_t type = game_settings.game_type;
    const int32_t round = competition_state.round;
    std::snprintf(g_bracket_title, sizeof g_bracket_title, "%s",
                  type == GAME_FINAL_8 ? "Final 8 Playoffs" : type == GAME_PRE_SEASON ? "Pre-Season" : "International Playoffs");
    std::snprintf(b.title, sizeof b.title, "%s", g_bracket_title);
    if (menu_icon* heading = g_bracket_entries[0].copy) update_icon(heading);
    const StageLayout quarters = type == GAME_PRE_SEASON ? shifted(k_quarter_finals, 8) : k_quarter_finals;
    const StageLayout semis = type == GAME_PRE_SEASON ? shifted(k_semi_finals, 12) : k_semi_finals;
    const StageLayout last = type == GAME_PRE_SEASON ? shifted(k_final, 14) : k_final;
    if (type == GAME_PRE_SEASON) {
        switch (round) {
        case 1: first_round_list(); break;
        case 2: box(quarters, 0, "Quarter Finals"); break;
        case 3:
            box(quarters, 285, "Quarter Finals");
            box(semis, 0, "Semi Finals");
            break;
        case 5:
            box(quarters, 485, "Quarter Finals");
            box(semis, 200, "Semi Finals");
            box(last, 0, "Final");
            break;
        default: break; // no fourth round
        }
    } else if (type == GAME_FINAL_8) {
        const StageLayout prelims = shifted(k_semi_finals, 6);
        switch (round) {
        case 2: box(quarters, 0, "Qualifying Finals"); break;
        case 3:
            box(quarters, 445, "Qualifying Finals");
            box(semis, 0, "Semi Finals");
            byes();
            break;
        case 4:
            box(quarters, 730, "Qualifying Finals");
            box(semis, 285, "Semi Finals");
            box(prelims, 0, "Preliminary Finals");
            break;
        case 5:
            box(quarters, 930, "Qualifying Finals");
            box(semis, 485, "Semi Finals");
            box(prelims, 200, "Preliminary Finals");
            box(last, 0, "Grand Final");
            break;
        default: break;
        }
    }
}

void finals_bracket_open(menu_screen* screen)
{
    BracketState& b = bracket_state;
    if (renderer_index() != 1) set_text_attribute(0);
    input_reset();
    set_clip_window(1, 0, 0, 480, 640);
    front_end_state.default_action = bracket_leave_action;
    free_items();
    b = BracketState{};
    g_applied_scroll = 0;
    for (int32_t e = 0; e < 3 && screen; ++e)
        if (menu_icon* icon = screen->entries[e].copy) icon->flags |= ICON_TO_OVERLAY | ICON_OPAQUE;
    const int8_t type = game_settings.game_type;
    const int32_t round = competition_state.round;
    b.first_round_list = type == GAME_PRE_SEASON && round == 1;
    if (!b.first_round_list) {
        menu_icon t;
        sprite_template(&t, HANDLE_TOURNAMENT, type == GAME_PRE_SEASON ? TOURNAMENT_PRE_SEASON : TOURNAMENT_FINAL_8,
                        false, 0);
        t.flags = ICON_OPAQUE | (1 << ICON_CLIP_SHIFT);
        g_picture = copy_icon(t, "Transient icon copy");
        add_child_icon(g_picture, scale_x_from_640(520), scale_y_from_480(258), 0);
    }
    g_scroll_start = scroll_start(type, round);
    if (b.first_round_list) set_clip_window(1, 135, 174, 400, 639);
    else if (round >= 2) set_clip_window(1, 50, 0, 460, 639);
    b.has_scroll_list = g_scroll_start >= 0 && round != 2;
    if (b.has_scroll_list) {
        create_list(&g_scroll_controls);
        b.list_scroll = g_scroll_start;
        create_option_slider(g_scroll_controls, &b.list_scroll, 0, 2 * g_scroll_start, 320, 420, nullptr);
        draw_control_list(g_scroll_controls);
    }
    finals_bracket_draw();
}

void finals_bracket_close(menu_screen*)
{
    BracketState& b = bracket_state;
    free_items();
    free_control_tree(&g_scroll_controls);
    b.has_scroll_list = false;
    if (g_picture) {
        if (icon_slot(g_picture) >= 0) remove_icon(g_picture);
        free_icon(g_picture);
        g_picture = nullptr;
    }
    if (renderer_index() != 1) set_text_attribute(1);
    front_end_state.default_action = nullptr;
}

void reset_finals_screens()
{
    finals_results_close(nullptr);
    results_state = ResultsScreenState{};
    g_results_pictures[0] = k_results_pictures[0];
    g_results_pictures[1] = k_results_pictures[1];
    finals_bracket_close(nullptr);
    bracket_state = BracketState{};
}
