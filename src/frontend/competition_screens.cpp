#include "frontend/competition_screens.h"

#include "frontend/competition.h"
#include "frontend/control_events.h"
#include "frontend/front_end_state.h"
#include "frontend/message_box.h"
#include "frontend/screen_templates.h"
#include "league/game_settings.h"
#include "match/match_records.h"
#include "match/session_defaults.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/language.h"
#include "screen/fonts.h"
#include "screen/screen.h"

#include <climits>
#include <cstdio>
#include <cstring>

CompetitionScreensState competition_screens_state;

namespace {

CompetitionScreensState& cs = competition_screens_state;
constexpr int16_t LIST_FONT = 1;
constexpr int32_t LIST_X = 40;
const int32_t k_ladder_columns[8] = {162, 198, 233, 267, 316, 377, 447, 503};

void leave_click(icon_state_record*, menu_icon*, menu_screen*) { confirm_leave_competition_screen(); }
void leave_action(menu_screen*) { confirm_leave_competition_screen(); }
void abandon_click(icon_state_record*, menu_icon*, menu_screen*) { match_globals.flow_flags |= MATCH_PLAYED; }

menu_icon g_title = text_template(competition_screens_state.title, 3);
menu_icon g_continue = focus_text_template("Continue", 1, nullptr);
menu_icon g_leave = focus_text_template("Leave", 0, leave_click);
menu_icon g_abandon = focus_text_template("Quit Competition", 1, abandon_click);
menu_screen_entry g_ladder_entries[3] = {
    {0, &g_title, 20, 20, nullptr}, {1, &g_continue, 560, 450, nullptr}, {1, &g_leave, 50, 450, nullptr}};
menu_screen_entry g_fixtures_entries[3] = {
    {0, &g_title, 20, 20, nullptr}, {1, &g_continue, 560, 450, nullptr}, {1, &g_leave, 50, 450, nullptr}};
menu_screen_entry g_round_entries[4] = {{0, &g_title, 20, 20, nullptr},
                                        {1, &g_continue, 560, 450, nullptr},
                                        {1, &g_leave, 50, 450, nullptr},
                                        {1, &g_abandon, 260, 450, nullptr}};
const char* const k_ladder_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\ladder.lbm",
                                          "front_en\\front_end_gfx\\menu_screens\\hw\\ladder.tga"};
const char* const k_fixtures_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\fixtures.lbm",
                                            "front_en\\front_end_gfx\\menu_screens\\hw\\fixtures.tga"};
const char* const k_round_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\round results.lbm",
                                         "front_en\\front_end_gfx\\menu_screens\\hw\\round results.tga"};

const TextListGeometry k_list_geometry{1, {100, LIST_X, 420, 600}, LIST_X, 100, 6};

const char* team_name(int32_t team) { return team >= 0 && team < 16 ? get_text(team) : ""; }

int32_t width_px(const std::string& s)
{
    select_font(LIST_FONT);
    return string_width(s.c_str());
}

// Pads with blanks until the text reaches x (640 units, from the list's x).
void pad_to(std::string& s, int32_t x)
{
    const int32_t target = scale_x_from_640(x) - scale_x_from_640(LIST_X);
    for (int32_t guard = 0; guard < 400 && width_px(s) < target; ++guard) s += ' ';
}

// The next column's value centred on its x.
void add_column(std::string& row, const char* value, int32_t centre)
{
    const int32_t half = width_px(value) * 640 / (2 * (scale_x_from_640(640) > 0 ? scale_x_from_640(640) : 640));
    pad_to(row, centre - half);
    row += value;
}

void open_common(menu_screen* screen)
{
    input_reset();
    front_end_state.default_action = leave_action;
    free_control_tree(&cs.controls);
    cs.lines.clear();
    (void)screen;
}

void finish_open(menu_screen* screen)
{
    build_text_list(&cs.controls, k_list_geometry, cs.lines);
    if (menu_icon* title = screen->entries[0].copy) update_icon(title);
}

// A line whose separator is centred on x: blanks before it move it there.
std::string centred_on(const std::string& before, const std::string& separator, const std::string& after, int32_t x)
{
    std::string line;
    const int32_t target = scale_x_from_640(x) - scale_x_from_640(LIST_X) - width_px(separator) / 2 - width_px(before);
    for (int32_t guard = 0; guard < 400 && width_px(line + "x") - width_px("x") < target; ++guard) line += ' ';
    return line + before + separator + after;
}

void frame(menu_screen*)
{
    read_keyboard_controller();
    update_control_list(cs.controls);
}

} // namespace

menu_screen ladder_screen = {3, SCREEN_MENU, k_ladder_pictures, nullptr, 0, &g_ladder_entries[1], ladder_open,
                             competition_screen_close, frame, nullptr, 0, 0, 0, 0, 0, 0, g_ladder_entries};
menu_screen fixtures_screen = {3, SCREEN_MENU, k_fixtures_pictures, nullptr, 0, &g_fixtures_entries[1], fixtures_open,
                               competition_screen_close, frame, nullptr, 0, 0, 0, 0, 0, 0, g_fixtures_entries};
menu_screen round_results_screen = {4, SCREEN_MENU, k_round_pictures, nullptr, 0, &g_round_entries[1],
                                    round_results_open, competition_screen_close, frame, nullptr, 0, 0, 0, 0, 0, 0,
                                    g_round_entries};

void add_text_list(control_list* list, const TextListGeometry& g, const std::vector<std::string>& lines)
{
    control* t = nullptr;
    create_control(CONTROL_LIST, &t);
    A_LIST_CONTROL* l = list_record(t);
    l->settings.clip_window = g.clip_window;
    l->settings.window = g.window;
    l->settings.x = g.x, l->settings.y = g.y;
    l->settings.item_spacing = g.spacing;
    l->settings.vslider_x = g.window.right + 20, l->settings.vslider_y = (g.window.top + g.window.bottom) / 2;
    fill_scroll_slider_template(&l->display.vslider_template, true, ICON_FOCUSABLE, 6);
    fill_scroll_slider_template(&l->display.hslider_template, false, ICON_FOCUSABLE, 5);
    control* made = nullptr;
    create_control_from_template(list, nullptr, CONTROL_LIST, t, &made);
    free_control_data(&t);
    for (const std::string& line : lines) {
        control* st = nullptr;
        create_control(CONTROL_STRING, &st);
        A_STRING_CONTROL* s = string_record(st);
        set_string_control_styles(s, &body_text_template, nullptr);
        s->settings.text = const_cast<char*>(line.c_str());
        s->settings.max_length = 6;
        control* row = nullptr;
        create_control_from_template(list_record(made)->settings.items, made, CONTROL_STRING, st, &row);
        free_control_data(&st);
    }
}

void build_text_list(control_list** list, const TextListGeometry& g, const std::vector<std::string>& lines)
{
    free_control_tree(list);
    create_list(list);
    add_text_list(*list, g, lines);
    draw_control_list(*list);
}

void make_rows_choosable(control_list* list, uint8_t group, uint8_t base, IconFn click)
{
    if (!list || !list->first) return;
    control* made = static_cast<control*>(list->first->data);
    int32_t row = 0;
    for (A_LLIST_NODE* n = list_record(made)->settings.items->first; n; n = n->next, ++row) {
        A_STRING_CONTROL* s = string_record(static_cast<control*>(n->data));
        s->display.text_flags = ICON_FOCUSABLE;
        s->display.text_group = group;
        // A row with a handler leaves no result: the handler reads its row.
        s->display.text_result = click ? 0 : static_cast<uint8_t>(base + row);
        s->settings.user_value = row;
        s->callbacks.text_clicked = click;
    }
}

int32_t confirm_leave_competition_screen()
{
    report_error(exit_confirm_code(), nullptr, nullptr, set_result_yes, set_result_no);
    if (front_end_state.result == 4) front_end_state.result = 0;
    return front_end_state.result;
}

int32_t ladder_points(int32_t p)
{
    return 4 * competition_state.wins[p] + 2 * competition_state.draws[p];
}

int32_t ladder_percentage(int32_t p)
{
    const uint16_t against = competition_state.points_against[p];
    return against == 0 ? -1 : competition_state.points_for[p] * 100 / against;
}

int32_t sort_ladder(uint16_t* positions)
{
    const CompetitionState& c = competition_state;
    int32_t n = competition_team_count();
    if (n > 16) n = 16;
    for (int32_t i = 0; i < n; ++i) positions[i] = static_cast<uint16_t>(i);
    // Without points against a team ranks above any percentage.
    auto percentage = [](int32_t p) {
        const int32_t v = ladder_percentage(p);
        return v < 0 ? INT_MAX : v;
    };
    auto before = [&](int32_t x, int32_t y) { // y should go before x
        if (ladder_points(x) != ladder_points(y)) return ladder_points(x) < ladder_points(y);
        if (percentage(x) != percentage(y)) return percentage(x) < percentage(y);
        if (c.wins[x] != c.wins[y]) return c.wins[x] < c.wins[y];
        if (c.draws[x] != c.draws[y]) return c.draws[x] < c.draws[y];
        return c.points_against[x] != 0 && c.points_against[y] == 0;
    };
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (int32_t k = 0; k + 1 < n; ++k)
            if (before(positions[k], positions[k + 1])) {
                std::swap(positions[k], positions[k + 1]);
                swapped = true;
            }
    }
    return n;
}

void set_fixture_count(int32_t count)
{
    if (count < 0) count = 0;
    if (count > 16) count = 16;
    for (int32_t k = 0; k < count; ++k)
        for (int32_t side = 0; side < 2; ++side)
            std::snprintf(cs.fixture_names[k][side], sizeof cs.fixture_names[k][side], "%s",
                          team_name(competition_state.fixtures[k][side]));
    fixture_count = static_cast<int16_t>(count);
}

void ladder_open(menu_screen* screen)
{
    open_common(screen);
    const CompetitionState& c = competition_state;
    if (c.round > SEASON_ROUNDS) std::snprintf(cs.title, sizeof cs.title, "Final Round");
    else std::snprintf(cs.title, sizeof cs.title, "Round %d", c.round - 1);
    uint16_t order[16];
    const int32_t n = sort_ladder(order);
    if (n > 0) cs.ladder_leader = c.order[order[0]];
    for (int32_t row = 0; row < n; ++row) {
        const int32_t p = order[row];
        const int32_t team = c.order[p];
        // A row per team number, at the team's place in the order: an entry
        // that names no team (a damaged saved game) or a team listed again
        // further on has none, and a team missing from the order is skipped.
        if (team > 15 || position_in_order(team, -1) != p) continue;
        std::string text = team_name(team);
        char v[32];
        const int32_t values[6] = {c.round - 1, c.wins[p], c.losses[p], c.draws[p], c.points_for[p], c.points_against[p]};
        for (int32_t col = 0; col < 6; ++col) {
            std::snprintf(v, sizeof v, "%d", values[col]);
            add_column(text, v, k_ladder_columns[col]);
        }
        const int32_t pct = ladder_percentage(p);
        if (pct < 0) std::snprintf(v, sizeof v, "-");
        else std::snprintf(v, sizeof v, "%.1f", static_cast<double>(pct));
        add_column(text, v, k_ladder_columns[6]);
        std::snprintf(v, sizeof v, "%d", ladder_points(p));
        add_column(text, v, k_ladder_columns[7]);
        cs.lines.push_back(text);
    }
    finish_open(screen);
}

void fixtures_open(menu_screen* screen)
{
    open_common(screen);
    const int32_t last = game_settings.game_type == GAME_PREMIERSHIP ? SEASON_ROUNDS : 11;
    const int32_t round = competition_state.round;
    if (round == last) std::snprintf(cs.title, sizeof cs.title, "Final Round");
    else std::snprintf(cs.title, sizeof cs.title, "Round %d", round);
    set_fixture_count(load_round_fixtures(round));
    for (int32_t k = 0; k < fixture_count; ++k)
        cs.lines.push_back(centred_on(cs.fixture_names[k][0], " v ", cs.fixture_names[k][1], 240));
    finish_open(screen);
}

void round_results_open(menu_screen* screen)
{
    open_common(screen);
    const CompetitionState& c = competition_state;
    if (c.round == SEASON_ROUNDS) std::snprintf(cs.title, sizeof cs.title, "Final Round");
    else std::snprintf(cs.title, sizeof cs.title, "Round %d", c.round);
    const int32_t count = fixture_count < 16 ? fixture_count : 16;
    for (int32_t k = 0; k < count; ++k) {
        char home[96], away[96];
        std::snprintf(home, sizeof home, "%s %u", team_name(c.fixtures[k][0]), static_cast<unsigned>(c.scores[k][0]));
        std::snprintf(away, sizeof away, "%u %s", static_cast<unsigned>(c.scores[k][1]), team_name(c.fixtures[k][1]));
        cs.lines.push_back(centred_on(home, "  v  ", away, 222));
    }
    finish_open(screen);
}

void competition_screen_close(menu_screen*)
{
    free_control_tree(&cs.controls);
    front_end_state.default_action = nullptr;
}

void reset_competition_screens()
{
    free_control_tree(&cs.controls);
    cs.lines.clear();
    cs.title[0] = 0;
    cs.ladder_leader = 0;
    std::memset(cs.fixture_names, 0, sizeof cs.fixture_names);
}
