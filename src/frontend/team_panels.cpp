#include "frontend/team_panels.h"

#include "frontend/control_events.h"
#include "frontend/control_lists.h"
#include "frontend/frame_manifest.h"
#include "frontend/front_end_graphics.h"
#include "frontend/front_end_state.h"
#include "frontend/screen_templates.h"
#include "gl3d/sprite_queue.h"
#include "screen/screen_flip.h"
#include "frontend/team_selection.h"
#include "match/match_records.h"
#include "league/league_data.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "screen/screen.h"

#include <cstdlib>
#include <string>

TeamPanelState team_panel;

namespace {

TeamPanelState& tp = team_panel;

struct Bar {
    int32_t slot, minimum, maximum, x, y;
    const char* label;
};

// Seven bars beside "Speed" to "Overall"; panel B's twelve beside the longer
// set of names, a field's name beside its bar.
const Bar k_panel_a[] = {
    {MEAN_SPEED, 22, 40, 0, 0, "Speed"},          {MEAN_KICKING, 0, 255, 0, 14, "Kicking"},
    {MEAN_HANDBALL, 0, 255, 0, 28, "Handball"},   {MEAN_TACKLING, 230, 255, 0, 42, "Tackling"},
    {MEAN_STRENGTH, 0, 255, 0, 56, "Strength"},   {MEAN_HEIGHT, 153, 652, 0, 70, "Height"},
    {PANEL_OVERALL, 67, 285, 0, 84, "Overall"},
};
const Bar k_panel_b[] = {
    {MEAN_SPEED, 22, 40, 0, 0, "Speed"},
    {MEAN_MARKING, 0, 255, 0, 16, "Ball Handling"},
    {MEAN_HANDBALL, 0, 255, 0, 32, "Handball"},
    {MEAN_TACKLING, 230, 255, 0, 49, "Tackling"},
    {MEAN_KICKING, 0, 255, 0, 66, "Kicking"},
    {MEAN_STRENGTH, 0, 255, 0, 83, "Strength"},
    {MEAN_STAMINA, 0, 331, 350, -2, "Weight"},
    {MEAN_RECOVERY, 16, 19, 350, 15, "Fitness"},
    {MEAN_HEIGHT, 153, 652, 350, 32, "Height"},
    {MEAN_AGGRESSION, 0, 100, 350, 48, "Aggression"},
    {MEAN_ACCURACY, 0, 255, 350, 64, "Jumping"},
    {MEAN_REACH, 13963, 17014, 350, 80, "Acceleration"},
};
// The labels' font, their gap before a bar, and panel B's first column,
// which stands at the screen's left edge.
constexpr uint8_t LABEL_FONT = 1;
constexpr int32_t LABEL_GAP = 6, LABEL_RAISE = 2, FIRST_COLUMN_LABEL_X = 20;

// Panels C and D: one column of the same ten values, spaced apart a little
// differently.
const int32_t k_column_slots[10] = {MEAN_SPEED,    MEAN_MARKING, MEAN_HANDBALL,   MEAN_TACKLING, MEAN_KICKING,
                                    MEAN_RECOVERY, MEAN_HEIGHT,  MEAN_AGGRESSION, MEAN_ACCURACY, MEAN_REACH};
const int32_t k_column_ranges[10][2] = {{22, 40},   {0, 255}, {0, 255}, {230, 255}, {0, 255},
                                        {16, 19},   {153, 652}, {0, 100}, {0, 255}, {13963, 17014}};
const int32_t k_column_c[10] = {0, 16, 33, 50, 66, 83, 99, 116, 132, 149};
const int32_t k_column_d[10] = {0, 16, 32, 49, 66, 82, 99, 114, 130, 147};

// How far a shown value moves a frame, by slot.
const int32_t k_steps[PANEL_VALUES] = {1, 10, 10, 1, 10, 19, 10, 13, 10, 1, 122, 4, 8};

constexpr int32_t BAR_WIDTH = 84, BAR_HEIGHT = 10;
constexpr int32_t SLIDER_CELLS = 16;

int32_t shown_team_number(int32_t team) { return team < 0 || team > 15 ? 0 : team; }

const league_player* player_at(int32_t team, int32_t player)
{
    const league_team* t = league_team_at(team);
    if (!t || player < 0 || player >= LEAGUE_PLAYERS) return nullptr;
    return t->players[player];
}

// The bars only show: powerbars filled to their values, taking no focus.
void add_bar(int32_t slot, int32_t minimum, int32_t maximum, int32_t x, int32_t y)
{
    control* t = new_slider_template(&tp.values[slot], minimum, maximum, tp.x + x, tp.y + y, 1);
    make_powerbar_template(t, POWERBAR_PLAIN, BAR_WIDTH, BAR_HEIGHT);
    tp.bars[tp.bar_count++] = add_from_template(tp.controls, nullptr, t);
}

// A label before a bar: right-aligned to the gap, or from x = 20 in panel
// B's first column.
void add_label(const Bar& bar)
{
    if (tp.label_count >= PANEL_VALUES) return;
    menu_icon* icon = copy_icon(text_template(bar.label, LABEL_FONT), "Transient icon copy");
    const int32_t bar_x = tp.x + bar.x, y = tp.y + bar.y - LABEL_RAISE;
    add_child_icon(icon, scale_x_from_640(FIRST_COLUMN_LABEL_X), scale_y_from_480(y), 0);
    if (tp.kind != PANEL_TEAM_B || bar.x != 0) right_align_icon_text(icon, bar_x - LABEL_GAP);
    tp.labels[tp.label_count++] = icon;
}

void remove_labels()
{
    for (int i = 0; i < tp.label_count; ++i) {
        menu_icon*& icon = tp.labels[i];
        if (icon && icon_slot(icon) >= 0) remove_icon(icon);
        if (icon) free_icon(icon);
        icon = nullptr;
    }
    tp.label_count = 0;
}

void start_panel(PanelKind kind)
{
    free_team_panel();
    create_list(&tp.controls);
    tp.kind = kind;
    tp.bar_count = 0;
}

void step_values(bool snap)
{
    for (int i = 0; i < PANEL_VALUES; ++i)
        tp.values[i] = snap ? tp.targets[i] : step_toward(tp.values[i], tp.targets[i], k_steps[i]);
}

void build_team_panel(PanelKind kind, const Bar* bars, int count)
{
    start_panel(kind);
    for (int i = 0; i < count; ++i) {
        add_bar(bars[i].slot, bars[i].minimum, bars[i].maximum, bars[i].x, bars[i].y);
        add_label(bars[i]);
    }
    draw_control_list(tp.controls);
    tp.team = 0;
    team_panel_targets(0, tp.targets);
    step_values(true);
    tp.shown_team = 0;
    team_panel_frame();
}

void build_player_panel(PanelKind kind, const int32_t* column, bool step)
{
    start_panel(kind);
    if (column) {
        for (int i = 0; i < 10; ++i)
            add_bar(k_column_slots[i], k_column_ranges[i][0], k_column_ranges[i][1], 0, column[i]);
    } else {
        for (const Bar& b : k_panel_a) {
            add_bar(b.slot, b.minimum, b.maximum, b.x, b.y);
            add_label(b);
        }
    }
    draw_control_list(tp.controls);
    tp.shown_player = -1;
    player_panel_targets(tp.player_team, tp.player, tp.targets);
    step_values(true);
    if (step) player_panel_frame(tp.player_team, tp.player);
}

} // namespace

int32_t step_toward(int32_t value, int32_t target, int32_t step)
{
    if (std::abs(target - value) <= step) return target;
    return target > value ? value + step : value - step;
}

void team_panel_targets(int32_t team, int32_t out[PANEL_VALUES])
{
    const league_team* t = league_team_at(shown_team_number(team));
    for (int i = 0; i < TEAM_MEAN_COUNT; ++i)
        out[i] = static_cast<int16_t>(team_attribute_mean(t, static_cast<TeamMean>(i), 0, -1));
    out[PANEL_OVERALL] = static_cast<int16_t>(team_overall_rating(t, 0, -1));
}

void player_panel_targets(int32_t team, int32_t player, int32_t out[PANEL_VALUES])
{
    for (int i = 0; i < PANEL_VALUES; ++i) out[i] = 0;
    const league_player* p = player_at(team, player);
    if (!p) return;
    out[MEAN_SPEED] = player_i16(p, PLAYER_SPEED);
    out[MEAN_KICKING] = player_i16(p, PLAYER_KICKING);
    out[MEAN_HANDBALL] = player_i16(p, PLAYER_HANDBALL);
    out[MEAN_TACKLING] = player_i16(p, PLAYER_TACKLING);
    out[MEAN_STRENGTH] = player_i16(p, PLAYER_STRENGTH);
    out[MEAN_MARKING] = player_i16(p, PLAYER_MARKING);
    out[MEAN_RECOVERY] = player_i16(p, PLAYER_RECOVERY);
    out[MEAN_AGGRESSION] = player_i16(p, PLAYER_AGGRESSION);
    out[MEAN_ACCURACY] = player_i16(p, PLAYER_ACCURACY);
    out[MEAN_HEIGHT] = player_i32(p, PLAYER_HEIGHT);
    out[MEAN_REACH] = static_cast<int32_t>(player_u32(p, PLAYER_REACH));
    const int64_t six = int64_t{out[MEAN_SPEED]} + out[MEAN_KICKING] + out[MEAN_HANDBALL] + out[MEAN_TACKLING] +
                        out[MEAN_STRENGTH] + out[MEAN_HEIGHT];
    out[PANEL_OVERALL] = static_cast<int32_t>(six / 6);
}

void build_team_panel_a() { build_team_panel(PANEL_TEAM_A, k_panel_a, static_cast<int>(std::size(k_panel_a))); }
void build_team_panel_b() { build_team_panel(PANEL_TEAM_B, k_panel_b, static_cast<int>(std::size(k_panel_b))); }
void build_player_panel_c() { build_player_panel(PANEL_PLAYER_C, k_column_c, true); }
void build_player_panel_d() { build_player_panel(PANEL_PLAYER_D, k_column_d, true); }
void build_player_panel_e() { build_player_panel(PANEL_PLAYER_E, nullptr, false); }

void team_panel_frame()
{
    if (!tp.controls) return;
    if (tp.team < 0 || tp.team > 15) tp.team = 0;
    team_panel_targets(tp.team, tp.targets);
    tp.shown_team = tp.team;
    step_values(false);
    update_control_list(tp.controls);
}

void player_panel_frame(int32_t team, int32_t player)
{
    if (!tp.controls) return;
    tp.player_team = team, tp.player = player;
    const int32_t key = team * 64 + player;
    if (key != tp.shown_player) {
        player_panel_targets(team, player, tp.targets);
        tp.shown_player = key;
    }
    // Training shows a player's values as they are.
    step_values(game_settings.game_type == GAME_TRAINING);
    update_control_list(tp.controls);
}

void free_team_panel()
{
    remove_labels();
    if (tp.controls) free_control_tree(&tp.controls);
    tp.controls = nullptr;
    tp.kind = PANEL_NONE;
    tp.bar_count = 0;
    for (control*& b : tp.bars) b = nullptr;
}

void free_team_panel_redrawn(menu_screen* screen)
{
    remove_labels();
    if (tp.controls) free_control_tree(&tp.controls);
    for (int pass = 0; pass < 2; ++pass) {
        draw_icons(screen);
        flush_sprites();
        flip_screen();
    }
    free_team_panel();
}

void close_panel_and_training_icons()
{
    if (game_settings.game_type == GAME_TRAINING) {
        for (menu_icon*& icon : tp.training_icons) {
            if (icon && icon_slot(icon) >= 0) remove_icon(icon);
            icon = nullptr;
        }
        if (tp.training_click_icon) tp.training_click_icon->states[ICON_CLICKED].handler = nullptr;
        tp.training_click_icon = nullptr;
    }
    for (control_list*& list : tp.extra_controls)
        if (list) free_control_tree(&list);
    front_end_state.default_action = nullptr;
}

int32_t slider_cell(int32_t p, int32_t w)
{
    // A track narrower than the cells has no cells; the last pixels of a
    // track whose width is no multiple of 16 belong to the last cell.
    if (w < SLIDER_CELLS) return -1;
    const int32_t v = p / (w / SLIDER_CELLS);
    return v < 0 ? 0 : v > SLIDER_CELLS - 1 ? SLIDER_CELLS - 1 : v;
}

void slider_panel_team(int32_t p, int32_t w)
{
    if (const int32_t v = slider_cell(p, w); v >= 0) set_panel_team_from_slider(v);
}

void slider_selection(int32_t p, int32_t w)
{
    if (const int32_t v = slider_cell(p, w); v >= 0) set_selection_from_slider(v);
}

void slider_toggle(int32_t p, int32_t w)
{
    if (const int32_t v = slider_cell(p, w); v >= 0) toggle_from_slider(v);
}

void load_team_face_palette(int32_t, int32_t team)
{
    if (team < 0 || team > 15) return;
    const std::string name = std::string("front_en\\front_end_gfx\\face palettes\\") + CLUB_CODES[team] + "_face.pal";
    uint32_t size = 0;
    uint8_t* file = load_file(data_path(name.c_str()), &size);
    const uint32_t colours = size / 3 < FACE_PALETTE_COLOURS ? size / 3 : FACE_PALETTE_COLOURS;
    copy_palette_entries(file, 0, static_cast<int32_t>(colours));
    working_palette[0][0] = working_palette[0][1] = working_palette[0][2] = 0;
    free_mem(file);
}

void reset_team_panel()
{
    free_team_panel();
    tp = TeamPanelState{};
    tp.player = tp.shown_player = -1;
}
