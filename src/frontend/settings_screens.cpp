#include "frontend/settings_screens.h"

#include "frontend/control_events.h"
#include "frontend/front_end_state.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "gl3d/render_state.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/language.h"
#include "platform/memory.h"
#include "platform/settings.h"
#include "screen/screen.h"
#include "display/replay.h"

#include <cstdio>
#include <cstring>

MatchSettingsScreen match_settings_state;
GameTypeScreen game_type_state;
uint8_t moon_flag;
TeamSelectFlags team_select_flags;
uint8_t screen_busy_flag;
const int32_t quarter_minutes[7] = {4, 6, 8, 10, 15, 20, 2};

namespace {

MatchSettingsScreen& ms = match_settings_state;
GameTypeScreen& gt = game_type_state;
settings_record g_working; // the match settings screen's copy

int32_t px(int32_t x) { return scale_x_from_640(x); }
int32_t py(int32_t y) { return scale_y_from_480(y); }

menu_icon g_back_two, g_back_one, g_accept, g_picture;

void set_fonts(menu_icon* icon, uintptr_t font)
{
    for (auto& s : icon->states) s.image = font;
}

// --- Match settings ---

const char* const k_quarter[] = {"4 minutes", "6 minutes", "8 minutes", "10 minutes", "15 minutes", "20 minutes",
                                 "2 minutes"};
const char* const k_off_on[] = {"Off", "On"};
const char* const k_weather[] = {"Dry", "Cloudy", "Wet", "Clear", "Random"};
const char* const k_speed[] = {"Normal", "Turbo", "Mega Turbo"};
const char* const k_location[] = {"Tallowmere Oval", "Quarrymede Park",  "Cinderhurst Ground", "Yallamin Stadium",
                                  "Mirrabeen Oval",  "Hollenvale Park", "Vetra Sports",       "Random"};
const char* const k_time[] = {"Night", "Afternoon", "Evening", "Random"};
const char* const k_count[] = {"Empty", "One", "Two", "Three", "Four"};

struct OptionRow {
    const char* const* texts;
    int32_t first, last; // the cycle
    bool moon_fixed;
    int32_t x, y;
};
const OptionRow k_options[MATCH_OPTIONS] = {
    {k_quarter, 0, 6, false, 360, 80},  {k_off_on, 0, 1, false, 360, 105},   {k_weather, 0, 4, true, 360, 130},
    {k_speed, 0, 2, false, 360, 155},   {k_location, 0, 7, true, 360, 180},  {k_time, 0, 3, true, 360, 205},
    {k_off_on, 0, 1, false, 360, 255},  {k_off_on, 0, 1, false, 460, 255},  {k_count, 1, 4, false, 360, 280},
    {k_count, 1, 4, false, 460, 280},   {k_count, 1, 3, false, 360, 305},   {k_count, 1, 3, false, 460, 305},
};

const char* const k_crowd_size[] = {"Large", "Massive", "Miniscule", "Small", "Medium"};
const OptionRow k_spare_options[SPARE_OPTIONS] = {
    {k_off_on, 0, 1, false, 0, 0}, {k_off_on, 0, 1, false, 0, 0}, {k_crowd_size, 0, 4, false, 0, 0}};

// One step of an option's cycle: past its last choice it starts again.
int32_t next_choice(const OptionRow& row, int32_t c) { return c + 1 > row.last ? row.first : c + 1; }

struct FightsBand {
    int32_t top;
    const char* text;
};
const FightsBand k_fights[] = {
    {0, "%ld - Pacifists Convention"},  {10, "%ld - All Mouth"},           {20, "%ld - Half Hearted Pushing"},
    {30, "%ld - Schoolyard Scuffle"},   {40, "%ld - Grannies with Handbags"}, {50, "%ld - Grudge Match"},
    {60, "%ld - Cat Fight"},            {70, "%ld - Last Day Of The Sales"}, {80, "%ld - Family Reunion"},
    {90, "%ld - Population Uprising"},  {99, "%ld - Last Match Of The Season"},
};

menu_icon g_ms_title = text_template("MATCH SETTINGS", 3);
menu_icon g_ms_labels[] = {
    text_template("Qtr Length", 1),     text_template("Push In Back", 1),   text_template("Weather", 1),
    text_template("Speed", 1),          text_template("Location", 1),       text_template("Match Time", 1),
    text_template("One Touch Play", 1), text_template("Number of Players to Peel", 1),
    text_template("Number of Men Controlled", 1), text_template("Fights", 1), text_template("Less", 1),
    text_template("More", 1),           text_template("Replay Size", 1),    text_template(match_settings_state.replay_text, 1),
    text_template("Team 1", 1),         text_template("Team 2", 1),         text_template(match_settings_state.fights_text, 1),
};
menu_screen_entry g_ms_entries[21] = {
    {1, &g_back_two, 50, 450, nullptr},      {1, &g_accept, 110, 450, nullptr},     {0, &g_ms_title, 20, 20, nullptr},
    {0, &g_ms_labels[0], 50, 80, nullptr},   {0, &g_ms_labels[1], 50, 105, nullptr}, {0, &g_ms_labels[2], 50, 130, nullptr},
    {0, &g_ms_labels[3], 50, 155, nullptr},  {0, &g_ms_labels[4], 50, 180, nullptr}, {0, &g_ms_labels[5], 50, 205, nullptr},
    {0, &g_ms_labels[6], 50, 255, nullptr},  {0, &g_ms_labels[7], 50, 280, nullptr}, {0, &g_ms_labels[8], 50, 305, nullptr},
    {0, &g_ms_labels[9], 50, 328, nullptr},  {0, &g_ms_labels[10], 230, 328, nullptr}, {0, &g_ms_labels[11], 385, 328, nullptr},
    {0, &g_ms_labels[12], 50, 378, nullptr}, {0, &g_ms_labels[13], 385, 378, nullptr}, {0, &g_ms_labels[14], 360, 225, nullptr},
    {0, &g_ms_labels[15], 460, 225, nullptr}, {0, &g_ms_labels[16], 230, 350, nullptr}, {0, &g_picture, 560, 60, nullptr},
};
const char* const k_ms_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\match settings.lbm",
                                      "front_en\\front_end_gfx\\menu_screens\\hw\\match settings.tga"};

template <int Option> void option_click(icon_state_record*, menu_icon*, menu_screen*) { cycle_match_option(Option); }
const IconFn k_option_clicks[MATCH_OPTIONS] = {
    option_click<0>, option_click<1>, option_click<2>, option_click<3>, option_click<4>,  option_click<5>,
    option_click<6>, option_click<7>, option_click<8>, option_click<9>, option_click<10>, option_click<11>,
};

bool locked_option(int32_t option)
{
    return option == OPT_QUARTER || option == OPT_WEATHER || option == OPT_SPEED || option == OPT_LOCATION ||
           option == OPT_TIME;
}

void result_one(menu_screen*) { front_end_state.result = 1; }

// --- Configuration menu ---

char g_joystick_text[32] = "Joystick Configuration";
menu_icon g_cfg_title = text_template("Configuration", 3);
menu_icon g_cfg_items[4] = {text_template("Keyboard Configuration", 1, ICON_FOCUSABLE),
                            text_template("Sound Configuration", 1, ICON_FOCUSABLE),
                            text_template(g_joystick_text, 1, ICON_FOCUSABLE),
                            text_template("Game Settings", 1, ICON_FOCUSABLE)};
menu_screen_entry g_cfg_entries[7] = {
    {1, &g_back_one, 50, 450, nullptr},     {0, &g_cfg_title, 20, 20, nullptr},
    {1, &g_cfg_items[0], 50, 100, nullptr}, {1, &g_cfg_items[1], 50, 133, nullptr},
    {1, &g_cfg_items[2], 50, 166, nullptr}, {1, &g_cfg_items[3], 50, 199, nullptr},
    {0, &g_picture, 560, 60, nullptr},
};
const char* const k_cfg_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\configuration.lbm",
                                       "front_en\\front_end_gfx\\menu_screens\\hw\\configuration.tga"};
menu_icon g_direct3d_template = text_template("Direct 3D Configuration", 1, ICON_FOCUSABLE);
menu_icon* g_direct3d;

void direct3d_click(icon_state_record*, menu_icon*, menu_screen*) { select_3d_device(); }

// The configuration, in-game options and match options screens only keep
// the keyboard controller read while they run.
void read_keyboard_frame(menu_screen*) { read_keyboard_controller(); }

}  // namespace

// The "Joystick Calibration" icon's click: the input control panel.
void joystick_calibration_click(icon_state_record*, menu_icon*, menu_screen*) { run_input_control_panel(); }

namespace {

// --- Game type ---

menu_icon g_gt_title = text_template("GAME TYPE", 3);
menu_icon g_gt_types[5] = {text_template("Training", 1, ICON_FOCUSABLE), text_template("Exhibition", 1, ICON_FOCUSABLE),
                           text_template("Pre-Season", 1, ICON_FOCUSABLE),
                           text_template("Premiership", 1, ICON_FOCUSABLE), text_template("Final 8", 1, ICON_FOCUSABLE)};
const uint16_t k_type_results[5] = {11, 6, 7, 8, 9};
menu_icon g_gt_texts[3] = {text_template(game_type_state.left_text, 1), text_template("Difficulty Level", 1),
                           text_template("Very Hard", 1)};
menu_screen_entry g_gt_entries[10] = {
    {1, &g_back_two, 50, 450, nullptr},    {0, &g_gt_title, 20, 20, nullptr},
    {1, &g_gt_types[0], 50, 80, nullptr},  {1, &g_gt_types[1], 50, 113, nullptr},
    {1, &g_gt_types[2], 50, 146, nullptr}, {1, &g_gt_types[3], 50, 179, nullptr},
    {1, &g_gt_types[4], 50, 212, nullptr}, {0, &g_gt_texts[0], 188, 294, nullptr},
    {0, &g_gt_texts[1], 258, 271, nullptr}, {0, &g_gt_texts[2], 398, 294, nullptr},
};
const char* const k_gt_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\game_type.lbm",
                                      "front_en\\front_end_gfx\\menu_screens\\hw\\game_type.tga"};

const char* left_text_for(int32_t result)
{
    switch (result) {
    case 6: case 7: return "Medium";
    case 8: return "Tricky";
    case 9: return "Hard";
    default: return "Very Easy";
    }
}

void game_type_focused(icon_state_record*, menu_icon* icon, menu_screen*)
{
    if (icon->result_code == gt.focused_result) return;
    gt.focused_result = icon->result_code;
    std::snprintf(gt.left_text, sizeof gt.left_text, "%s", left_text_for(icon->result_code));
    if (menu_icon* left = g_gt_entries[7].copy) right_align_icon_text(left, 240);
}

menu_icon* type_icon(int32_t result)
{
    for (int i = 0; i < 5; ++i)
        if (k_type_results[i] == result) return g_gt_entries[2 + i].copy;
    return nullptr;
}

void set_type_enabled(menu_icon* icon, bool enabled)
{
    if (!icon) return;
    icon->flags = enabled ? ICON_FOCUSABLE : 0;
    icon->states[ICON_NORMAL].image = enabled ? 1 : 0;
}

// --- In-game options ---

const char* const k_low_high[] = {"Low", "High", ""};
const char* const k_off_on_rows[] = {"Off", "On", ""};
const char* const k_names[] = {"All Names", "Human Controlled", "Player in Possession", "Off", ""};
const char* const k_detail[] = {"Low", "Normal", "High", ""};
const char* const* const k_row_choices[OPTION_ROWS] = {k_low_high,    k_off_on_rows, k_off_on_rows, k_names, k_names,
                                                       k_off_on_rows, k_off_on_rows, k_off_on_rows, k_off_on_rows,
                                                       k_detail};
const char* const k_row_titles[OPTION_ROWS] = {"Pitch Detail Level", "%s Auto-Offload",  "%s Auto-Offload", "%s Names",
                                               "%s Names",           "Pitch Logos",      "Radar",
                                               "%s Mark Indicator",  "%s Mark Indicator", "Detail Level"};
const int8_t k_row_team[OPTION_ROWS] = {-1, 0, 1, 0, 1, -1, -1, 0, 1, -1};
char g_titles[OPTION_ROWS][64];
control_list* g_options_controls;
control* g_value_list;

bool hardware() { return renderer_index() == 1; }

menu_icon g_io_title = text_template("Game Settings", 3);
menu_icon g_io_accept;
menu_screen_entry g_io_entries[3] = {{6, &g_back_two, 50, 450, nullptr}, {6, &g_io_accept, 110, 450, nullptr},
                                     {0, &g_io_title, 20, 20, nullptr}};
const char* const k_io_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\game settings2.LBM",
                                      "front_en\\front_end_gfx\\menu_screens\\hw\\game settings2.tga"};

control* make_list(control_list* owner, int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t spacing,
                   int32_t clip)
{
    control* t = nullptr;
    create_control(CONTROL_LIST, &t);
    A_LIST_CONTROL* l = list_record(t);
    l->settings.window = {top, left, bottom, right};
    l->settings.x = left, l->settings.y = top;
    l->settings.clip_window = clip;
    l->settings.item_spacing = spacing;
    l->settings.vslider_x = 452, l->settings.vslider_y = 271;
    l->settings.hslider_x = 301, l->settings.hslider_y = 420;
    fill_scroll_slider_template(&l->display.vslider_template, true, ICON_FOCUSABLE, 6);
    fill_scroll_slider_template(&l->display.hslider_template, false, ICON_FOCUSABLE, 6);
    control* c = nullptr;
    create_control_from_template(owner, nullptr, CONTROL_LIST, t, &c);
    free_control_data(&t);
    return c;
}

control* add_text_item(control* list, const char* text, int32_t max, uint16_t flags, uint8_t group, int32_t user,
                       IconFn clicked)
{
    control* t = new_string_template(&body_text_template, flags, group, text, max);
    A_STRING_CONTROL* s = string_record(t);
    s->settings.user_value = user;
    s->callbacks.text_clicked = clicked;
    return add_from_template(list_record(list)->settings.items, list, t);
}

int32_t stored_row(int32_t row) { return row == 5 && hardware() ? 9 : row; }

// Each option is the match's switch and the settings word kept for the next run.
void store_option(int32_t row, int32_t index)
{
    settings_record& s = user_settings;
    GameSettings& g = game_settings;
    const uint32_t v = static_cast<uint32_t>(index);
    const uint8_t b = static_cast<uint8_t>(index);
    switch (row) {
    case 0: s.pitch_render_quality = v, g.pitch_quality = b; break;
    case 1: s.team[0].auto_offload = v, g.team_options[0].auto_offload = b; break;
    case 2: s.team[1].auto_offload = v, g.team_options[1].auto_offload = b; break;
    case 3: s.team[0].displayed_player_name_state = v + 1, g.team_options[0].name_display = static_cast<uint8_t>(b + 1); break;
    case 4: s.team[1].displayed_player_name_state = v + 1, g.team_options[1].name_display = static_cast<uint8_t>(b + 1); break;
    case 5: s.do_pitch_logos = v, g.pitch_logos = b; break;
    case 6: s.is_alpha_radar_visible = v, g.radar = b; break;
    case 7: s.team[0].can_intercept_circle = v, g.team_options[0].intercept_circle = b; break;
    case 8: s.team[1].can_intercept_circle = v, g.team_options[1].intercept_circle = b; break;
    case 9: s.word_1440 = v; break;
    default: break;
    }
}

// --- Match options ---

menu_icon g_mo_title = text_template("Match Options", 3);
menu_screen_entry g_mo_entries[3] = {{1, &g_back_two, 500, 450, nullptr}, {1, &g_accept, 560, 450, nullptr},
                                     {0, &g_mo_title, 20, 20, nullptr}};
const char* const k_mo_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\club.lbm",
                                      "front_en\\front_end_gfx\\menu_screens\\hw\\black.tga"};
const char* const k_mo_quarter[] = {"4 Minutes", "6 Minutes", "8 Minutes", "10 Minutes", "15 Minutes", "20 Minutes",
                                    "2 Minutes", nullptr};
const char* const k_mo_weather[] = {"Dry", "Cloudy", "Wet", "Clear", "Random", nullptr};
const char* const k_mo_push[] = {"Off", "On", nullptr};
const char* const k_mo_speed[] = {"Normal", "Turbo", "Mega Turbo", nullptr};
control_list* g_mo_controls;
control* g_mo_selects[4];

control* add_select_item(control* list, const char* label, const char* const* choices, int32_t current)
{
    control* t = new_select_template(label, ICON_FOCUSABLE, 1);
    A_SELECT_CONTROL* s = select_record(t);
    s->settings.x = 150, s->settings.y = 0;
    s->settings.label_x = -150, s->settings.label_y = 0;
    s->settings.next_x = 185, s->settings.next_y = 9;
    s->settings.previous_x = 150, s->settings.previous_y = 9;
    s->settings.clip_window = 1;
    s->settings.flags = SELECT_NO_CLIP;
    s->settings.window = {0, 0, 20, 140};
    s->settings.current = current;
    control* c = add_from_template(list_record(list)->settings.items, list, t);
    for (int32_t i = 0; choices[i]; ++i) {
        control* st = new_string_template(&body_text_template, ICON_FOCUSABLE, 0, choices[i], 20);
        string_record(st)->settings.x = 30;
        add_from_template(select_record(c)->settings.choices, c, st);
    }
    return c;
}

} // namespace

menu_screen match_settings_screen = {21, SCREEN_MENU, k_ms_pictures, nullptr, 0, &g_ms_entries[1],
                                     match_settings_open, match_settings_close, match_settings_frame, nullptr,
                                     0, 0, 0, 0, 0, 0, g_ms_entries};
menu_screen configuration_screen = {7, SCREEN_MENU, k_cfg_pictures, nullptr, 0, &g_cfg_entries[2],
                                    configuration_open, configuration_close, read_keyboard_frame, nullptr,
                                    0, 0, 0, 0, 0, 0, g_cfg_entries};
menu_screen game_type_screen = {10, SCREEN_MENU, k_gt_pictures, nullptr, 0, &g_gt_entries[3], game_type_open,
                                game_type_close, game_type_frame, nullptr, 0, 0, 0, 0, 0, 0, g_gt_entries};
menu_screen in_game_options_screen = {3, SCREEN_MENU, k_io_pictures, nullptr, 0, &g_io_entries[1],
                                      in_game_options_open, in_game_options_close, read_keyboard_frame, nullptr,
                                      0, 0, 0, 0, 0, 0, g_io_entries};
menu_screen match_options_screen = {3, SCREEN_MENU, k_mo_pictures, nullptr, 0, &g_mo_entries[1], match_options_open,
                                    match_options_close, read_keyboard_frame, nullptr, 0, 0, 0, 0, 0, 0, g_mo_entries};

void prepare_settings_screens()
{
    prepare_control_templates();
    common_button_templates(&g_accept, &g_back_two, &g_picture);
    g_back_one = g_back_two;
    g_back_one.result_code = 1;
    g_io_accept = g_accept;
    g_io_accept.states[ICON_CLICKED].handler = commit_in_game_options;
    g_direct3d_template.states[ICON_CLICKED].handler = direct3d_click;
    for (int i = 0; i < 4; ++i) g_cfg_items[i].result_code = static_cast<uint16_t>(i == 0 ? 17 : (i == 1 ? 15 : (i == 2 ? 16 : 18)));
    for (int i = 0; i < 5; ++i) {
        g_gt_types[i].result_code = k_type_results[i];
        g_gt_types[i].states[ICON_FOCUSED].handler = game_type_focused;
    }
}

control* create_setting_slider(control_list* list, int32_t* value, int32_t minimum, int32_t maximum, int32_t x,
                               int32_t y, IconFn callback)
{
    control* t = new_slider_template(value, minimum, maximum, x, y, 1);
    A_SLIDER_CONTROL::Callbacks& cb = slider_record(t)->callbacks;
    cb.thumb_dragged = cb.decrease_clicked = cb.increase_clicked = cb.decrease_repeat = cb.increase_repeat = callback;
    return add_from_template(list, nullptr, t);
}

// --- Match settings ---

void fights_level_text(int32_t level, char* out, uint32_t size)
{
    const char* format = "%ld - Forget The Ball";
    if (level >= 0)
        for (const FightsBand& b : k_fights)
            if (level <= b.top) {
                format = b.text;
                break;
            }
    std::snprintf(out, size, format, static_cast<long>(level));
}

void cycle_match_option(int32_t option)
{
    if (option < 0 || option >= MATCH_OPTIONS) return;
    const OptionRow& row = k_options[option];
    if (row.moon_fixed && ms.moon) return;
    int32_t& c = ms.choice[option];
    c = next_choice(row, c);
    refresh_match_setting_texts();
}

int32_t spare_option_choice[SPARE_OPTIONS];
char spare_option_text[SPARE_OPTIONS][24] = {"Off", "Off", "Large"};

void cycle_spare_option(int32_t option)
{
    if (option < 0 || option >= SPARE_OPTIONS) return;
    const OptionRow& row = k_spare_options[option];
    int32_t& c = spare_option_choice[option];
    c = c < row.first || c > row.last ? row.first : next_choice(row, c);
    std::snprintf(spare_option_text[option], sizeof spare_option_text[option], "%s", row.texts[c]);
}

namespace {
template <int Option> void spare_click(icon_state_record*, menu_icon*, menu_screen*) { cycle_spare_option(Option); }
menu_icon spare_template(int32_t option, IconFn click)
{
    menu_icon t = text_template(spare_option_text[option], 1, ICON_FOCUSABLE);
    t.states[ICON_FOCUSED].image = t.states[ICON_CLICKED].image = 2;
    t.states[ICON_CLICKED].handler = click;
    return t;
}
} // namespace

menu_icon spare_option_icons[SPARE_OPTIONS] = {spare_template(SPARE_SWITCH_1, spare_click<SPARE_SWITCH_1>),
                                               spare_template(SPARE_SWITCH_2, spare_click<SPARE_SWITCH_2>),
                                               spare_template(SPARE_CROWD_SIZE, spare_click<SPARE_CROWD_SIZE>)};

void refresh_match_setting_texts()
{
    for (int32_t o = 0; o < MATCH_OPTIONS; ++o) {
        const int32_t c = ms.choice[o];
        std::snprintf(ms.value_text[o], sizeof ms.value_text[o], "%s", k_options[o].texts[c]);
    }
    if (ms.moon) {
        std::snprintf(ms.value_text[OPT_TIME], sizeof ms.value_text[OPT_TIME], "Earthrise");
        std::snprintf(ms.value_text[OPT_WEATHER], sizeof ms.value_text[OPT_WEATHER], "What weather?");
        std::snprintf(ms.value_text[OPT_LOCATION], sizeof ms.value_text[OPT_LOCATION], "On the Moon");
    }
    for (menu_icon* icon : ms.values)
        if (icon) update_icon(icon);
}

void match_settings_open(menu_screen*)
{
    input_reset();
    settings_record& s = user_settings;
    s.quarter_length = 4, s.weather_selection = 3, s.turbo_mode = 0, s.word_1472 = 0, s.word_1468 = 2;
    ms.moon = moon_flag;
    ms.choice[OPT_QUARTER] = 0, ms.choice[OPT_WEATHER] = 3, ms.choice[OPT_SPEED] = 0;
    ms.choice[OPT_LOCATION] = 2, ms.choice[OPT_TIME] = 0;
    auto clamp01 = [](uint32_t v) { return v ? 1 : 0; };
    auto clamp_count = [](uint32_t v, int32_t hi) { return v < 1 ? 1 : (static_cast<int32_t>(v) > hi ? hi : static_cast<int32_t>(v)); };
    ms.choice[OPT_PUSH] = clamp01(s.push_in_back_infringements);
    ms.choice[OPT_ONE_TOUCH_1] = clamp01(s.team[1].word_0);
    ms.choice[OPT_ONE_TOUCH_2] = clamp01(s.word_2436);
    ms.choice[OPT_PEEL_1] = clamp_count(s.team[0].word_20, 4);
    ms.choice[OPT_PEEL_2] = clamp_count(s.team[1].word_20, 4);
    ms.choice[OPT_MEN_1] = clamp_count(s.team[0].word_24, 3);
    ms.choice[OPT_MEN_2] = clamp_count(s.team[1].word_24, 3);
    game_settings.weather = 3;
    game_settings.push_in_back = static_cast<uint8_t>(ms.choice[OPT_PUSH]);
    game_settings.quarter_length = 4;
    game_settings.game_speed = 0;
    refresh_match_setting_texts();
    for (int32_t o = 0; o < MATCH_OPTIONS; ++o) {
        menu_icon t = text_template(ms.value_text[o], 1, ICON_FOCUSABLE);
        t.states[ICON_FOCUSED].image = t.states[ICON_CLICKED].image = 2;
        t.states[ICON_CLICKED].handler = k_option_clicks[o];
        const bool locked = locked_option(o) || (s.team[0].word_0 == 1 && (o == OPT_MEN_1 || o == OPT_MEN_2));
        if (locked) {
            t.flags = 0;
            t.states[ICON_NORMAL].image = 0;
        }
        ms.values[o] = copy_icon(t, "Transient icon copy");
        add_child_icon(ms.values[o], px(k_options[o].x), py(k_options[o].y), 1);
    }
    // The controls work on a copy of the whole settings record.
    std::memcpy(&g_working, &user_settings, sizeof g_working);
    int32_t kb = static_cast<int32_t>(g_working.replay_buffer_size >> 10);
    const int32_t clamped_kb = kb < 1024 ? 1024 : (kb > 8192 ? 8192 : kb);
    if (clamped_kb != kb) g_working.replay_buffer_size = s.replay_buffer_size = static_cast<uint32_t>(clamped_kb) << 10;
    ms.replay_kb = clamped_kb;
    auto clamp100 = [](uint32_t& w) {
        if (static_cast<int32_t>(w) < 0) w = 0;
        if (w > 100) w = 100;
    };
    clamp100(g_working.word_1452), clamp100(s.word_1452);
    clamp100(g_working.word_1436), clamp100(s.word_1436);
    ms.fights = static_cast<int32_t>(g_working.word_1452);
    create_list(&ms.controls);
    create_setting_slider(ms.controls, &ms.replay_kb, 1024, 8192, 330, 390, nullptr);
    create_setting_slider(ms.controls, &ms.fights, 0, 100, 330, 340, nullptr);
    draw_control_list(ms.controls);
    update_control_list(ms.controls);
    if (menu_screen_entry& accept = g_ms_entries[1]; accept.copy) {
        accept.copy->states[ICON_CLICKED].handler = commit_match_settings;
        set_focus_icon(accept.copy);
    }
    fights_level_text(ms.fights, ms.fights_text, sizeof ms.fights_text);
    std::snprintf(ms.replay_text, sizeof ms.replay_text, "%ld k", static_cast<long>(ms.replay_kb));
}

void match_settings_frame(menu_screen*)
{
    fights_level_text(ms.fights, ms.fights_text, sizeof ms.fights_text);
    std::snprintf(ms.replay_text, sizeof ms.replay_text, "%ld k", static_cast<long>(ms.replay_kb));
    update_control_list(ms.controls);
    read_keyboard_controller();
}

void match_settings_close(menu_screen*)
{
    free_control_tree(&ms.controls);
    input_reset();
    front_end_state.default_action = nullptr;
    for (menu_icon*& icon : ms.values) {
        if (!icon) continue;
        remove_icon(icon);
        free_icon(icon);
        icon = nullptr;
    }
}

void commit_match_settings(icon_state_record*, menu_icon*, menu_screen*)
{
    game_settings.weather = static_cast<uint8_t>(ms.choice[OPT_WEATHER]);
    game_settings.push_in_back = static_cast<uint8_t>(ms.choice[OPT_PUSH]);
    game_settings.game_speed = static_cast<uint32_t>(ms.choice[OPT_SPEED]);
    settings_record& w = g_working;
    w.weather_selection = static_cast<uint32_t>(ms.choice[OPT_WEATHER]);
    w.push_in_back_infringements = static_cast<uint32_t>(ms.choice[OPT_PUSH]);
    w.turbo_mode = static_cast<uint32_t>(ms.choice[OPT_SPEED]);
    w.quarter_length = static_cast<uint32_t>(quarter_minutes[ms.choice[OPT_QUARTER]]);
    w.team[1].word_0 = static_cast<uint32_t>(ms.choice[OPT_ONE_TOUCH_1]);
    w.word_2436 = static_cast<uint32_t>(ms.choice[OPT_ONE_TOUCH_2]);
    w.team[0].word_20 = static_cast<uint32_t>(ms.choice[OPT_PEEL_1]);
    w.team[1].word_20 = static_cast<uint32_t>(ms.choice[OPT_PEEL_2]);
    w.team[0].word_24 = static_cast<uint32_t>(ms.choice[OPT_MEN_1]);
    w.team[1].word_24 = static_cast<uint32_t>(ms.choice[OPT_MEN_2]);
    w.word_1472 = static_cast<uint32_t>(ms.choice[OPT_TIME]);
    w.word_1468 = static_cast<uint32_t>(ms.choice[OPT_LOCATION]);
    w.word_1452 = static_cast<uint32_t>(ms.fights);
    w.replay_buffer_size = static_cast<uint32_t>(ms.replay_kb) * 1024;
    game_settings.quarter_length = 4;
    std::memcpy(&user_settings, &w, sizeof user_settings);
    if (user_settings.replay_buffer_size < REPLAY_SIZE_MIN) user_settings.replay_buffer_size = REPLAY_SIZE_MIN;
    new_replay_node(user_settings.replay_buffer_size);
}

// --- Configuration menu ---

void configuration_open(menu_screen*)
{
    input_reset();
    screen_busy_flag = 0;
    menu_icon* joystick = g_cfg_entries[4].copy;
    if (joystick && controller_count() == 0) {
        set_fonts(joystick, 2);
        joystick->flags = 0;
        joystick->text = "No Joystick";
        update_icon(joystick);
    }
    if (hardware()) {
        g_direct3d = copy_icon(g_direct3d_template, "Transient icon copy");
        add_child_icon(g_direct3d, px(50), py(255), 1);
    }
    if (g_cfg_entries[2].copy) set_focus_icon(g_cfg_entries[2].copy);
    front_end_state.default_action = result_one;
}

void configuration_close(menu_screen*)
{
    if (g_direct3d) {
        remove_icon(g_direct3d);
        free_icon(g_direct3d);
        g_direct3d = nullptr;
    }
    front_end_state.default_action = nullptr;
}

// --- Game type ---

int32_t base_difficulty(int32_t result)
{
    switch (result) {
    case 6: return 30;
    case 7: return 50;
    case 8: return 60;
    case 9: return 70;
    default: return 0;
    }
}

void enable_all_game_types()
{
    for (int32_t r : {11, 7, 8, 9}) set_type_enabled(type_icon(r), true);
}

void disable_game_type(int32_t result) { set_type_enabled(type_icon(result), false); }

void game_type_open(menu_screen*)
{
    input_reset();
    screen_busy_flag = 0;
    for (int32_t r : {11, 7, 8, 9}) disable_game_type(r);
    std::snprintf(gt.left_text, sizeof gt.left_text, "Very Easy");
    gt.focused_result = 0;
    moon_flag = 0;
    gt.difficulty = 50;
    create_list(&gt.controls);
    create_setting_slider(gt.controls, &gt.difficulty, 0, 100, 318, 305, nullptr);
    draw_control_list(gt.controls);
    if (menu_icon* title = g_gt_entries[8].copy) centre_icon_text_at(title, 320);
    if (menu_icon* exhibition = type_icon(6)) set_focus_icon(exhibition);
}

void game_type_frame(menu_screen*)
{
    update_control_list(gt.controls);
    read_keyboard_controller();
}

void game_type_close(menu_screen*)
{
    const int32_t base = base_difficulty(front_end_state.result);
    user_settings.word_1464 = static_cast<uint32_t>(base + (100 - base) * gt.difficulty / 100);
    free_control_tree(&gt.controls);
    front_end_state.default_action = nullptr;
}

void reset_team_select_state()
{
    team_select_flags.first_entry = 1;
    team_select_flags.selections[0] = team_select_flags.selections[1] = 0;
    screen_busy_flag = 0;
}

// --- In-game options ---

const char* const* option_row_choices(int32_t row) { return row >= 0 && row < OPTION_ROWS ? k_row_choices[row] : nullptr; }
const char* option_row_title(int32_t row) { return row >= 0 && row < OPTION_ROWS ? g_titles[row] : ""; }

int32_t option_index(int32_t row, const char* text)
{
    const char* const* choices = option_row_choices(row);
    if (!choices || !text) return 0;
    for (int32_t i = 0; choices[i][0]; ++i)
        if (std::strcmp(choices[i], text) == 0) return i;
    return 0;
}

int32_t current_option_value(int32_t row)
{
    const GameSettings& g = game_settings;
    switch (row) {
    case 0: return g.pitch_quality;
    case 1: return g.team_options[0].auto_offload;
    case 2: return g.team_options[1].auto_offload;
    case 3: return g.team_options[0].name_display - 1;
    case 4: return g.team_options[1].name_display - 1;
    case 5: return static_cast<int32_t>(hardware() ? user_settings.word_1440 : g.pitch_logos);
    case 6: return g.radar;
    case 7: return g.team_options[0].intercept_circle;
    case 8: return g.team_options[1].intercept_circle;
    default: return 0;
    }
}

void next_option_choice(icon_state_record*, menu_icon* icon, menu_screen*)
{
    A_STRING_CONTROL* s = icon ? static_cast<A_STRING_CONTROL*>(icon->record) : nullptr;
    if (!s) return;
    const int32_t row = stored_row(s->settings.user_value);
    const char* const* choices = option_row_choices(row);
    if (!choices) return;
    int32_t found = -1;
    for (int32_t i = 0; choices[i][0]; ++i)
        if (std::strcmp(choices[i], s->settings.text) == 0) found = i;
    int32_t next = found + 1;
    if (found < 0) next = 1;
    if (!choices[next][0]) next = 0;
    set_string_control_text(s, choices[next]);
}

uint8_t team_has_joystick[2];

void in_game_options_open(menu_screen*)
{
    input_reset();
    screen_busy_flag = 1;
    team_has_joystick[0] = team_has_joystick[1] = 0;
    for (int32_t j = 0; j < joystick_controllers && j < CONTROLLER_RECORDS; ++j) {
        const int32_t side = controller_side(j);
        if (side == -1) team_has_joystick[0] = 1;
        if (side == 1) team_has_joystick[1] = 1;
    }
    for (int32_t r = 0; r < OPTION_ROWS; ++r) {
        const int32_t team = k_row_team[r] == 0 ? game_settings.home_team : game_settings.away_team;
        std::snprintf(g_titles[r], sizeof g_titles[r], k_row_titles[r], k_row_team[r] < 0 ? "" : get_text(static_cast<uint16_t>(team)));
    }
    for (int32_t t = 0; t < 2; ++t) user_settings.team[t].auto_bounce = game_settings.team_options[t].auto_bounce;
    create_list(&g_options_controls);
    control* titles = make_list(g_options_controls, 50, 500, 92, 492, 11, 0);
    g_value_list = make_list(g_options_controls, 375, 825, 92, 492, 11, 0);
    for (int32_t r = hardware() ? 1 : 0; r < 9; ++r) {
        const int32_t row = stored_row(r);
        add_text_item(titles, g_titles[row], 64, 0, 0, r, nullptr);
        const char* const* choices = option_row_choices(row);
        int32_t value = current_option_value(r);
        int32_t count = 0;
        while (choices[count][0]) ++count;
        if (value < 0 || value >= count) value = 0;
        add_text_item(g_value_list, choices[value], 20, ICON_FOCUSABLE, 6, r, next_option_choice);
    }
    draw_control_list(g_options_controls);
}

void commit_in_game_options(icon_state_record*, menu_icon*, menu_screen*)
{
    if (!g_value_list) return;
    for (A_LLIST_NODE* n = list_record(g_value_list)->settings.items->first; n; n = n->next) {
        const A_STRING_CONTROL* s = string_record(static_cast<control*>(n->data));
        const int32_t row = stored_row(s->settings.user_value);
        store_option(row, option_index(row, s->settings.text));
    }
}

void in_game_options_close(menu_screen*)
{
    screen_busy_flag = 0;
    free_control_tree(&g_options_controls);
    g_value_list = nullptr;
    front_end_state.default_action = nullptr;
}

// --- Match options ---

void match_options_open(menu_screen*)
{
    input_reset();
    create_list(&g_mo_controls);
    control* list = make_list(g_mo_controls, 130, 472, 208, 498, 12, 1);
    int32_t quarter = 0;
    for (int32_t i = 0; i < 7; ++i)
        if (quarter_minutes[i] == game_settings.quarter_length) quarter = i;
    g_mo_selects[0] = add_select_item(list, "Quarter Length", k_mo_quarter, quarter);
    g_mo_selects[1] = add_select_item(list, "Weather", k_mo_weather, game_settings.weather < 5 ? game_settings.weather : 0);
    g_mo_selects[2] = add_select_item(list, "Push in the Back", k_mo_push, game_settings.push_in_back ? 1 : 0);
    g_mo_selects[3] = add_select_item(list, "Game Speed", k_mo_speed, game_settings.game_speed < 3 ? static_cast<int32_t>(game_settings.game_speed) : 0);
    draw_control_list(g_mo_controls);
}

void match_options_close(menu_screen*)
{
    auto chosen = [](int i) { return select_record(g_mo_selects[i])->settings.current; };
    // The demo's quarters are always four minutes long.
    game_settings.quarter_length = 4;
    game_settings.weather = static_cast<uint8_t>(chosen(1));
    game_settings.push_in_back = static_cast<uint8_t>(chosen(2));
    game_settings.game_speed = static_cast<uint32_t>(chosen(3));
    user_settings.quarter_length = 4;
    user_settings.weather_selection = static_cast<uint32_t>(chosen(1));
    user_settings.push_in_back_infringements = static_cast<uint32_t>(chosen(2));
    user_settings.turbo_mode = static_cast<uint32_t>(chosen(3));
    free_control_tree(&g_mo_controls);
    for (control*& c : g_mo_selects) c = nullptr;
    front_end_state.default_action = nullptr;
}

void reset_settings_screens()
{
    if (ms.controls) free_control_tree(&ms.controls);
    if (gt.controls) free_control_tree(&gt.controls);
    if (g_options_controls) free_control_tree(&g_options_controls);
    if (g_mo_controls) free_control_tree(&g_mo_controls);
    ms = MatchSettingsScreen{};
    gt = GameTypeScreen{};
    g_value_list = nullptr;
    for (control*& c : g_mo_selects) c = nullptr;
    moon_flag = 0;
    screen_busy_flag = 0;
    team_select_flags = TeamSelectFlags{};
}
