#include "frontend/player_editor.h"

#include "frontend/front_end_graphics.h"

#include "frontend/competition_screens.h"
#include "frontend/control_events.h"
#include "frontend/database_files.h"
#include "frontend/frame_manifest.h"
#include "frontend/front_end_state.h"
#include "frontend/option_screens.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "frontend/widget_helpers.h"
#include "league/game_settings.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/language.h"
#include "platform/memory.h"
#include "screen/screen.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

PlayerEditor player_editor;

namespace {

PlayerEditor& pe = player_editor;

struct EditField {
    int32_t offset;
    enum { I16, I32, U32 } width;
};
const EditField k_fields[E_OVERALL] = {
    {PLAYER_SPEED, EditField::I16},    {PLAYER_KICKING, EditField::I16},  {PLAYER_HANDBALL, EditField::I16},
    {PLAYER_TACKLING, EditField::I16}, {PLAYER_STRENGTH, EditField::I16}, {PLAYER_HEIGHT, EditField::I32},
    {PLAYER_STAMINA, EditField::I16},  {PLAYER_MARKING, EditField::I16},  {PLAYER_RECOVERY, EditField::I16},
    {PLAYER_AGGRESSION, EditField::I16}, {PLAYER_ACCURACY, EditField::I16}, {PLAYER_REACH, EditField::U32},
};
// Limits of E0..E5 and E12; the shown-only values have none.
const int32_t k_minimum[EDIT_VALUES] = {22, 0, 0, 230, 0, 153, 0, 0, 0, 0, 0, 0, OVERALL_MIN};
const int32_t k_maximum[EDIT_VALUES] = {40, 255, 255, 255, 255, 652, 0, 0, 0, 0, 0, 0, OVERALL_MAX};
// Glide steps of the seven bars a frame.
const int32_t k_glide[7] = {1, 10, 10, 1, 10, 19, 8};
constexpr int32_t SLIDER_VALUE_SLOT[7] = {E_SPEED, E_KICKING, E_HANDBALL, E_TACKLING, E_STRENGTH, E_HEIGHT, E_OVERALL};
constexpr int32_t BAR_X = 332, SLIDER_X = 380;
const int32_t k_bar_y[7] = {275, 295, 315, 335, 355, 375, 405};
const int32_t k_slider_y[7] = {282, 302, 322, 342, 362, 382, 412};
constexpr int32_t NAME_BYTES = 32, ENTRY_BYTES = 36;

bool training() { return game_settings.game_type == GAME_TRAINING; }

int32_t* entry(int32_t side, int32_t k) { return &pe.slide_records[side][SLIDE_ENTRY_VALUES * (1 + k)]; }

int32_t divisor_or_one(int32_t d) { return d == 0 ? 1 : d; }

// The team the side's record belongs to: in training the match's own.
int32_t side_team_for_commit(int32_t side)
{
    if (!training()) return pe.editor_team;
    return side == 0 ? game_settings.home_team : game_settings.away_team;
}

void redraw_column()
{
    for (control* c : pe.sliders)
        if (c) redraw_control_tree(c);
}

// --- Slider handlers ---

void clear_snapshot(icon_state_record*, menu_icon*, menu_screen*) { pe.snapshot_taken = 0; }
void overall_press(icon_state_record*, menu_icon*, menu_screen*) { take_snapshot(); }
void overall_release(icon_state_record*, menu_icon*, menu_screen*) { rescale_from_overall(); }
void team_press(icon_state_record*, menu_icon*, menu_screen*) { take_team_snapshot(); }
template <int Slot> void team_release(icon_state_record*, menu_icon*, menu_screen*) { team_slider_moved(Slot); }
const IconFn k_team_release[7] = {team_release<0>, team_release<1>, team_release<2>, team_release<3>,
                                  team_release<4>, team_release<5>, team_release<6>};

void free_column()
{
    free_control_tree(&pe.controls);
    free_control_tree(&pe.slider_list);
    for (control*& c : pe.sliders) c = nullptr;
}

// The seven bars (outside training) or sliders: the player page's, or the
// team page's when the whole team is being edited in training.
void build_column()
{
    free_column();
    create_list(&pe.controls);
    create_list(&pe.slider_list);
    for (int32_t slot = 0; slot < 7; ++slot) {
        const int32_t e = SLIDER_VALUE_SLOT[slot];
        int32_t* value = &pe.slider_values[e];
        if (!training()) {
            pe.sliders[slot] = create_rating_bar(pe.controls, value, pe.minimum[e], pe.maximum[e], BAR_X - RATING_BAR_WIDTH / 2,
                                                 k_bar_y[slot]);
            continue;
        }
        const bool team_page = pe.editor_player == 0;
        const IconFn press = team_page ? team_press : (slot == 6 ? overall_press : clear_snapshot);
        const IconFn release = team_page ? k_team_release[slot] : (slot == 6 ? overall_release : clear_snapshot);
        create_attribute_slider(slot, value, pe.minimum[e], pe.maximum[e], SLIDER_X, k_slider_y[slot], press, release);
    }
    draw_control_list(pe.controls);
    draw_control_list(pe.slider_list);
}

// The player list: a name plate each for the first 18 listed players (the
// eighteen a whole-team slide record covers), the edited one marked. The
// plates' names are the rows' 36-byte records.
static_assert(EDITOR_PLATE == 0 && EDITOR_PLATE_MARKED == 1, "a row highlight is frame 1");
menu_icon g_plate_texts[EDITOR_ROWS];
const char* const EDITOR_SET = "front_en\\front_end_gfx\\animation_files\\editor\\editor.sph";
constexpr int32_t PLATE_X = 40, PLATE_Y = 130, PLATE_COLUMN = 195, PLATE_ROW = 22, PLATE_ROWS = 6;
menu_icon g_header_template = text_template("Listed Players", 1);
menu_icon g_training_templates[2] = {text_template("Training", 1), text_template("Apply keeps the team's edits", 0)};

void choose_player(int32_t index)
{
    pe.editor_player = index;
    pe.selected_list_player = index - 1;
    team_attribute_averages(pe.editor_team, pe.editor_player);
    if (training()) build_column();
}

void plate_click(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (icon && icon->user_index >= 1) pick_list_icon(icon->user_index - 1);
}

menu_icon* add_screen_text(const menu_icon& t, int32_t x, int32_t y)
{
    menu_icon* icon = copy_icon(t, "Transient icon copy");
    add_child_icon(icon, scale_x_from_640(x), scale_y_from_480(y), 0);
    return icon;
}

void remove_screen_icon(menu_icon*& icon)
{
    if (!icon) return;
    if (icon_slot(icon) >= 0) remove_icon(icon);
    free_icon(icon);
    icon = nullptr;
}

void build_player_list()
{
    EditorWidgets& ew = editor_widgets;
    free_row_icons();
    ew.row_buffer = static_cast<uint8_t*>(alloc_mem(EDITOR_ROWS * ROW_RECORD_BYTES, "Player list names"));
    std::memset(ew.row_buffer, 0, EDITOR_ROWS * ROW_RECORD_BYTES);
    ew.row_records = ew.row_buffer;
    for (int32_t n = 0; n < EDITOR_ROWS; ++n) {
        char* name = reinterpret_cast<char*>(ew.row_records + n * ROW_RECORD_BYTES);
        if (const league_player* p = listed_player(pe.editor_team, n)) std::snprintf(name, NAME_BYTES, "%s", player_name(p));
        g_plate_texts[n] = text_template(name, 1);
        g_plate_texts[n].x = 8;
        g_plate_texts[n].y = -8;
        menu_icon t;
        sprite_template(&t, HANDLE_EDITOR, EDITOR_PLATE, false, 0);
        t.flags |= ICON_HAS_CHILD;
        t.child_template = &g_plate_texts[n];
        t.states[ICON_CLICKED].handler = plate_click;
        t.user_index = static_cast<uint8_t>(n + 1);
        ew.rows[n] = copy_icon(t, "Player list icon");
        add_child_icon(ew.rows[n], scale_x_from_640(PLATE_X + PLATE_COLUMN * (n / PLATE_ROWS)),
                       scale_y_from_480(PLATE_Y + PLATE_ROW * (n % PLATE_ROWS)), 2);
    }
    if (pe.editor_player >= 1) set_row_highlight(pe.editor_player - 1);
}

void editor_exit(menu_screen*) { front_end_state.result = 1; }

void apply_click(icon_state_record*, menu_icon*, menu_screen*)
{
    apply_slide_entries();
    team_attribute_averages(pe.editor_team, pe.editor_player);
    pe.snapshot_taken = 0;
    pe.slider_values[E_OVERALL] = overall_from_rated(pe.slider_values);
    redraw_column();
    front_end_state.result = 0;
}

char g_team_text[96];
menu_icon g_title = text_template("Player Editor", 3);
menu_icon g_team_name = text_template(g_team_text, 1);
menu_icon g_done;
menu_icon g_apply = focus_text_template("Apply", 0, apply_click);
menu_icon g_labels[7] = {text_template("Speed", 1),    text_template("Kicking", 1), text_template("Handball", 1),
                         text_template("Tackling", 1), text_template("Strength", 1), text_template("Height", 1),
                         text_template("Overall", 1)};
menu_screen_entry g_entries[11] = {
    {0, &g_title, 20, 20, nullptr},       {0, &g_team_name, 332, 80, nullptr}, {7, &g_done, 560, 450, nullptr},
    {7, &g_apply, 440, 450, nullptr},     {0, &g_labels[0], 332, 268, nullptr}, {0, &g_labels[1], 332, 288, nullptr},
    {0, &g_labels[2], 332, 308, nullptr}, {0, &g_labels[3], 332, 328, nullptr}, {0, &g_labels[4], 332, 348, nullptr},
    {0, &g_labels[5], 332, 368, nullptr}, {0, &g_labels[6], 332, 398, nullptr},
};
const char* const k_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\statistics.lbm",
                                   "front_en\\front_end_gfx\\menu_screens\\hw\\statistics.tga"};

} // namespace

menu_screen player_editor_screen = {11, SCREEN_MENU, k_pictures, nullptr, 0, &g_entries[2], player_editor_open,
                                    player_editor_close, player_editor_frame, nullptr, 0, 0, 0, 0, 0, 0, g_entries};

int32_t player_edit_value(const league_player* p, int32_t e)
{
    if (!p || e < 0 || e >= E_OVERALL) return 0;
    const EditField& f = k_fields[e];
    switch (f.width) {
    case EditField::I16: return player_i16(p, f.offset);
    case EditField::I32: return player_i32(p, f.offset);
    default: return static_cast<int32_t>(player_u32(p, f.offset));
    }
}

void set_player_edit_value(league_player* p, int32_t e, int32_t value)
{
    if (!p || e < 0 || e > E_HEIGHT) return;
    const EditField& f = k_fields[e];
    if (f.width == EditField::I16) set_player_i16(p, f.offset, static_cast<int16_t>(value));
    else set_player_i32(p, f.offset, value);
}

league_player* listed_player(int32_t team, int32_t k)
{
    league_team* club = league_team_at(team);
    if (!club || team >= LEAGUE_TEAMS || k < 0 || k >= SQUAD_POSITIONS) return nullptr;
    const int32_t index = pe.player_list_order[team][k];
    return index >= 0 && index < LEAGUE_PLAYERS ? club->players[index] : nullptr;
}

int32_t overall_from_rated(const int32_t v[EDIT_VALUES])
{
    const double mean = ((v[E_SPEED] - 22) * (1.0 / 18) + v[E_KICKING] * (1.0 / 255) + v[E_HANDBALL] * (1.0 / 255) +
                         (v[E_TACKLING] - 230) * 0.04 + v[E_STRENGTH] * (1.0 / 255)) /
                        5;
    return static_cast<int16_t>(static_cast<int32_t>(67 + 218 * mean + 0.5));
}

namespace {
// The pages reach the editor without opening its screen: the listing order
// and the built-in names must be there before the first listed player.
void ensure_player_order()
{
    if (!original_names_loaded) load_original_names();
    if (!pe.order_built) build_player_order();
}
} // namespace

void edit_player_page(int32_t side, int32_t team)
{
    ensure_player_order();
    pe.editor_side = side == 1 ? 1 : 0;
    pe.editor_team = team;
    const league_team* club = league_team_at(team);
    for (int32_t e = 0; e < EDIT_VALUES; ++e) pe.team_rating_values[e] = 0;
    for (int32_t e = 0; e <= E_HEIGHT; ++e)
        pe.team_rating_values[e] = team_attribute_mean(club, static_cast<TeamMean>(e), 0, SQUAD_POSITIONS);
    pe.team_rating_values[E_OVERALL] = overall_from_rated(pe.team_rating_values);
    if (training()) {
        std::memcpy(pe.slide_records[pe.editor_side], pe.team_rating_values, sizeof pe.team_rating_values);
        fill_slide_records(pe.editor_side, team);
    }
    std::memcpy(pe.slider_values, pe.team_rating_values, sizeof pe.slider_values);
    std::memcpy(pe.shown_values, pe.team_rating_values, sizeof pe.shown_values);
    std::memcpy(pe.previous_values, pe.team_rating_values, sizeof pe.previous_values);
}

void fill_slide_records(int32_t side, int32_t team)
{
    ensure_player_order();
    for (int32_t k = 0; k < SQUAD_POSITIONS; ++k) {
        const league_player* p = listed_player(team, k);
        for (int32_t e = 0; e <= E_HEIGHT; ++e) entry(side, k)[e] = player_edit_value(p, e);
    }
}

void store_slide_records(int32_t side, int32_t team)
{
    league_team* club = league_team_at(team);
    if (!club) return;
    for (int32_t k = 0; k < SQUAD_POSITIONS; ++k) {
        const int32_t index = pe.player_list_order[pe.editor_team][k];
        league_player* p = index >= 0 && index < LEAGUE_PLAYERS ? club->players[index] : nullptr;
        for (int32_t e = 0; e <= E_HEIGHT; ++e) set_player_edit_value(p, e, entry(side, k)[e]);
    }
}

void apply_slide_entries() { store_slide_records(pe.editor_side, pe.editor_team); }

void apply_slide_record(const uint8_t* buffer)
{
    apply_slide_record_to(buffer, game_settings.home_team, game_settings.away_team, pe.editor_player);
}

void apply_slide_record_to(const uint8_t* buffer, int32_t home_team, int32_t away_team, int32_t player)
{
    if (!buffer) return;
    auto word = [&](int32_t side, int32_t i) {
        const uint8_t* b = buffer + side * SLIDE_RECORD_BYTES + 4 * i;
        return static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
    };
    for (int32_t side = 0; side < 2; ++side) {
        league_team* club = league_team_at(side == 0 ? home_team : away_team);
        if (!club) continue;
        // One player, or the first eighteen of a whole team.
        const int32_t first = player >= 1 ? player - 1 : 0;
        const int32_t end = player >= 1 ? player : GROUND_MEN;
        for (int32_t k = first; k < end && k < SQUAD_POSITIONS; ++k)
            for (int32_t e = 0; e <= E_HEIGHT; ++e)
                set_player_edit_value(club->players[k], e, word(side, SLIDE_ENTRY_VALUES * (1 + k) + e));
    }
}

bool slide_db_valid(const uint8_t* data, size_t size)
{
    if (!data || size != SLIDE_DB_BYTES) return false;
    for (int32_t side = 0; side < 2; ++side)
        for (int32_t k = 0; k < SQUAD_POSITIONS; ++k)
            for (int32_t e = 0; e < SLIDE_ENTRY_VALUES; ++e) {
                const uint8_t* b = data + side * SLIDE_RECORD_BYTES + 4 * (SLIDE_ENTRY_VALUES * (1 + k) + e);
                const int32_t v = static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
                // E0..E5 within their sliders' ranges; the unused values are 0.
                if (e <= E_HEIGHT ? v < k_minimum[e] || v > k_maximum[e] : v != 0) return false;
            }
    return true;
}

bool load_slide_db(int32_t home_team, int32_t away_team, uint32_t check)
{
    std::vector<uint8_t> bytes;
    if (!league_team_at(home_team) || !league_team_at(away_team)) return false;
    if (!read_slide_db(bytes) || !slide_db_valid(bytes.data(), bytes.size())) return false;
    // A file written for other clubs than its owners' note says is not theirs.
    if (slide_db_check(bytes.data(), bytes.size()) != check) return false;
    apply_slide_record_to(bytes.data(), home_team, away_team, 0);
    return true;
}

void slide_records_to_bytes(uint8_t* out)
{
    for (int32_t side = 0; side < 2; ++side)
        for (int32_t i = 0; i < SLIDE_RECORD_WORDS; ++i) {
            const uint32_t v = static_cast<uint32_t>(pe.slide_records[side][i]);
            uint8_t* b = out + side * SLIDE_RECORD_BYTES + 4 * i;
            b[0] = static_cast<uint8_t>(v), b[1] = static_cast<uint8_t>(v >> 8);
            b[2] = static_cast<uint8_t>(v >> 16), b[3] = static_cast<uint8_t>(v >> 24);
        }
}

void team_attribute_averages(int32_t team, int32_t player)
{
    int32_t v[EDIT_VALUES] = {};
    if (player <= 0) {
        for (int32_t e = 0; e < E_OVERALL; ++e) {
            int32_t sum = 0;
            for (int32_t k = 0; k < SQUAD_POSITIONS; ++k) sum += player_edit_value(listed_player(team, k), e);
            v[e] = sum / SQUAD_POSITIONS;
        }
    } else {
        // Player n is the n-th listed, counted from one.
        const league_player* p = listed_player(team, player - 1);
        for (int32_t e = 0; e < E_OVERALL; ++e) v[e] = player_edit_value(p, e);
    }
    v[E_OVERALL] = training()
                       ? (v[E_SPEED] + v[E_KICKING] + v[E_HANDBALL] + v[E_TACKLING] + v[E_STRENGTH]) / 5
                       : (v[E_SPEED] + v[E_KICKING] + v[E_HANDBALL] + v[E_TACKLING] + v[E_STRENGTH] + v[E_HEIGHT]) / 6;
    std::memcpy(pe.shown_values, v, sizeof v);
    if (training()) std::memcpy(pe.slider_values, v, sizeof v);
}

void build_player_order()
{
    pe.order_built = 1;
    for (int32_t t = 0; t < LEAGUE_TEAMS; ++t) {
        const league_team* club = league_team_at(t);
        for (int32_t k = 0; k < SQUAD_POSITIONS; ++k) {
            pe.player_list_order[t][k] = static_cast<int8_t>(k);
            const league_player* p = club ? club->players[k] : nullptr;
            if (!p || !original_names_loaded) continue;
            for (int32_t n = 0; n < SQUAD_POSITIONS; ++n)
                if (std::strncmp(player_name(p), original_names[t][n], PLAYER_NAME_SIZE) == 0) {
                    pe.original_name_index[t][k] = static_cast<uint8_t>(n);
                    break;
                }
        }
    }
}

void take_snapshot()
{
    if (pe.snapshot_taken) return;
    pe.snapshot_taken = 1;
    std::memcpy(pe.previous_values, pe.slider_values, sizeof pe.previous_values);
}

void take_team_snapshot()
{
    if (pe.snapshot_taken) return;
    pe.snapshot_taken = 1;
    std::memcpy(pe.slide_records[pe.editor_side], pe.slider_values, sizeof pe.slider_values);
    std::memcpy(pe.previous_values, pe.slider_values, sizeof pe.previous_values);
    for (int32_t k = 0; k < SQUAD_POSITIONS; ++k)
        std::memcpy(pe.player_snapshot[k], entry(pe.editor_side, k), sizeof pe.player_snapshot[k]);
}

namespace {

// E0..E4 follow the overall from their previous values.
void follow_overall()
{
    const int32_t previous = pe.previous_values[E_OVERALL], now = pe.slider_values[E_OVERALL];
    const int32_t d = now - previous;
    for (int32_t e = 0; e <= E_STRENGTH; ++e) {
        const int32_t p = pe.previous_values[e];
        if (now <= previous) pe.slider_values[e] = p + d * (p - pe.minimum[e]) / divisor_or_one(previous - OVERALL_MIN);
        else pe.slider_values[e] = p + d * (pe.maximum[e] - p) / divisor_or_one(OVERALL_MAX - previous);
    }
}

} // namespace

void rescale_from_overall()
{
    follow_overall();
    redraw_column();
    std::memcpy(pe.shown_values, pe.slider_values, sizeof pe.shown_values);
}

void rescale_players(int32_t e, int32_t old_value, int32_t new_value)
{
    const int32_t lo = pe.minimum[e], hi = pe.maximum[e];
    for (int32_t k = 0; k < SQUAD_POSITIONS; ++k) {
        const int32_t s = pe.player_snapshot[k][e];
        const int32_t value = new_value > old_value ? s + (hi - s) * (new_value - old_value) / divisor_or_one(hi - old_value)
                                                    : s + (s - lo) * (new_value - old_value) / divisor_or_one(old_value - lo);
        set_player_edit_value(listed_player(pe.editor_team, k), e, value);
    }
}

void team_slider_moved(int32_t slot)
{
    if (slot != 6) pe.slider_values[E_OVERALL] = overall_from_rated(pe.slider_values);
    if (slot >= 0 && slot <= 5) {
        rescale_players(slot, pe.previous_values[slot], pe.slider_values[slot]);
        pe.snapshot_taken = 0;
    } else if (slot == 6) {
        follow_overall();
        for (int32_t e = 0; e <= E_STRENGTH; ++e) rescale_players(e, pe.previous_values[e], pe.slider_values[e]);
        pe.snapshot_taken = 1;
    }
    // The side's record follows the players, for the file and the next snapshot.
    fill_slide_records(pe.editor_side, pe.editor_team);
    std::memcpy(pe.shown_values, pe.slider_values, sizeof pe.shown_values);
    redraw_column();
}

control* create_attribute_slider(int32_t slot, int32_t* value, int32_t minimum, int32_t maximum, int32_t x, int32_t y,
                                 IconFn on_press, IconFn on_release)
{
    if (!pe.slider_list) create_list(&pe.slider_list);
    control* t = new_slider_template(value, minimum, maximum, x, y, (maximum - minimum) / 30);
    A_SLIDER_CONTROL::Callbacks& cb = slider_record(t)->callbacks;
    cb.thumb_taken = on_press;
    cb.decrease_focused = cb.increase_focused = on_press;
    cb.thumb_dragged = cb.paged_up = cb.paged_down = on_release;
    cb.decrease_clicked = cb.increase_clicked = cb.decrease_repeat = cb.increase_repeat = on_release;
    control* c = add_from_template(pe.slider_list, nullptr, t);
    if (slot >= 0 && slot < 7) pe.sliders[slot] = c;
    return c;
}

void commit_name_edits(const char* const names[SQUAD_POSITIONS])
{
    const int32_t team = pe.editor_team;
    if (team < 0 || team >= LEAGUE_TEAMS || !names) return;
    team_name_change_buffer[team] = 0;
    const int32_t target = side_team_for_commit(pe.editor_side);
    for (int32_t k = 0; k < SQUAD_POSITIONS; ++k) {
        league_team* club = league_team_at(target);
        const int32_t index = pe.player_list_order[team][k];
        league_player* p = club && index >= 0 && index < LEAGUE_PLAYERS ? club->players[index] : nullptr;
        if (!p || !names[k]) continue;
        set_player_name(p, names[k]);
        // Only the first sixteen listed players have a bit.
        if (k < 16 && std::strncmp(player_name(p), original_names[team][k], PLAYER_NAME_SIZE) != 0)
            team_name_change_buffer[team] = static_cast<uint16_t>(team_name_change_buffer[team] | 1u << k);
    }
    if (!training()) {
        // The masks and the names go to their files at once, so that they outlast the run.
        save_name_edits();
        return;
    }
    const int32_t home = side_team_for_commit(0), away = side_team_for_commit(1);
    if (!league_team_at(home) || !league_team_at(away)) {
        slide_db_owner = {{-1, -1}, 0};
        save_name_edits();
        return;
    }
    // The records as the two clubs now stand, so that the file holds every
    // edit of the session, whichever slider or page made it.
    fill_slide_records(0, home);
    fill_slide_records(1, away);
    uint8_t bytes[SLIDE_DB_BYTES];
    slide_records_to_bytes(bytes);
    // The owners' note goes first: should the records then fail to be
    // written, its check no longer matches the file that is there.
    slide_db_owner = {{static_cast<int8_t>(home), static_cast<int8_t>(away)}, slide_db_check(bytes, sizeof bytes)};
    save_name_edits();
    write_slide_db(bytes);
}

void swap_name_entries(uint8_t* a, uint8_t* b)
{
    uint8_t keep[NAME_BYTES + 2];
    std::memcpy(keep, a, sizeof keep);
    std::memcpy(a, b, sizeof keep);
    std::memcpy(b, keep, sizeof keep);
}

void move_name_entry(uint8_t* to, uint8_t* from, uint8_t last_two[2])
{
    std::memcpy(to, from, NAME_BYTES + 2);
    to[NAME_BYTES + 2] = last_two[0];
    to[NAME_BYTES + 3] = last_two[1];
    std::memset(from, 0, NAME_BYTES);
}

void remove_name_entry(uint8_t* entries, int32_t* count, int32_t n)
{
    if (!entries || !count || n < 0 || n >= *count) return;
    std::memmove(entries + ENTRY_BYTES * n, entries + ENTRY_BYTES * (n + 1), static_cast<size_t>(ENTRY_BYTES * (*count - n - 1)));
    --*count;
    std::memset(entries + ENTRY_BYTES * *count, 0, NAME_BYTES);
}

void player_editor_open(menu_screen* screen)
{
    pe.snapshot_taken = 0;
    front_end_state.default_action = training() ? nullptr : editor_exit;
    if (menu_icon* apply = screen->entries[3].copy) {
        if (!training()) apply->flags |= ICON_HIDDEN;
        else apply->flags &= static_cast<uint16_t>(~ICON_HIDDEN);
        update_icon(apply);
    }
    input_reset();
    std::memcpy(pe.minimum, k_minimum, sizeof pe.minimum);
    std::memcpy(pe.maximum, k_maximum, sizeof pe.maximum);
    std::snprintf(g_team_text, sizeof g_team_text, "%s", pe.editor_team >= 0 && pe.editor_team < 16 ? get_text(pe.editor_team) : "");
    if (menu_icon* name = screen->entries[1].copy) update_icon(name);
    pe.editor_player = 0;
    pe.shown_values[E_OVERALL] = training() ? overall_from_rated(pe.shown_values)
                                            : (pe.shown_values[0] + pe.shown_values[1] + pe.shown_values[2] +
                                               pe.shown_values[3] + pe.shown_values[4] + pe.shown_values[5]) / 6;
    std::memcpy(pe.slider_values, pe.shown_values, sizeof pe.slider_values);
    build_column();
    load_animation_set(HANDLE_EDITOR, EDITOR_SET);
    build_player_list();
    pe.header = add_screen_text(g_header_template, PLATE_X, PLATE_Y - 32);
    if (training()) {
        pe.training_texts[0] = add_screen_text(g_training_templates[0], 40, 268);
        pe.training_texts[1] = add_screen_text(g_training_templates[1], 40, 290);
    }
    player_editor_frame(screen);
}

void player_editor_frame(menu_screen*)
{
    read_keyboard_controller();
    update_control_list(pe.controls);
    update_control_list(pe.slider_list);
    if (!training()) {
        for (int32_t slot = 0; slot < 7; ++slot) {
            const int32_t e = SLIDER_VALUE_SLOT[slot];
            pe.slider_values[e] = approach_value(pe.slider_values[e], pe.shown_values[e], k_glide[slot]);
        }
    } else {
        if (!pe.snapshot_taken) pe.slider_values[E_OVERALL] = overall_from_rated(pe.slider_values);
        if (pe.editor_player >= 1) {
            league_player* p = listed_player(pe.editor_team, pe.selected_list_player);
            for (int32_t e = 0; e <= E_HEIGHT; ++e) set_player_edit_value(p, e, pe.slider_values[e]);
        }
    }
    redraw_column();
}

void player_editor_first_team_frame(menu_screen* screen)
{
    pe.editor_team = 0;
    pe.selected_list_player = 3;
    player_editor_frame(screen);
}

int32_t rating_record_overall(const int32_t record[7])
{
    if (training()) return (record[0] + record[1] + record[2] + record[3] + record[4]) / 5;
    return (record[0] + record[1] + record[2] + record[3] + record[4] + record[5]) / 6;
}

void pick_list_icon(int32_t n)
{
    if (n < 0 || n >= EDITOR_ROWS) return;
    if (pe.editor_player >= 1) clear_row_highlight(pe.editor_player - 1);
    if (pe.editor_player == n + 1) {
        choose_player(0);
        return;
    }
    choose_player(n + 1);
    set_row_highlight(n);
}

void player_editor_close(menu_screen*)
{
    for (menu_icon*& text : pe.training_texts) remove_screen_icon(text);
    remove_screen_icon(pe.header);
    free_row_icons();
    free_animation_set(HANDLE_EDITOR);
    free_column();
    front_end_state.default_action = nullptr;
}

void prepare_player_editor()
{
    prepare_control_templates();
    common_button_templates(&g_done, nullptr, nullptr);
    if (!original_names_loaded) load_original_names();
    build_player_order();
}

void reset_player_editor()
{
    for (menu_icon*& text : pe.training_texts) remove_screen_icon(text);
    remove_screen_icon(pe.header);
    free_row_icons();
    free_column();
    pe = PlayerEditor{};
    for (int32_t t = 0; t < LEAGUE_TEAMS; ++t)
        for (int32_t k = 0; k < SQUAD_POSITIONS; ++k) pe.player_list_order[t][k] = static_cast<int8_t>(k);
    std::memcpy(pe.minimum, k_minimum, sizeof pe.minimum);
    std::memcpy(pe.maximum, k_maximum, sizeof pe.maximum);
}
