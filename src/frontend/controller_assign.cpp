#include "frontend/controller_assign.h"

#include "frontend/competition.h"
#include "frontend/frame_manifest.h"
#include "frontend/front_end_graphics.h"
#include "frontend/menu_icons.h"
#include "frontend/message_box.h"
#include "frontend/resources.h"
#include "gl3d/sprite_sets.h"
#include "gl3d/texture_cache.h"
#include "host/clock.h"
#include "host/host_input.h"
#include "league/game_settings.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/input.h"
#include "platform/memory.h"
#include "screen/screen.h"

#include <cstdio>
#include <cstring>

ControllerScreen controller_screen;
uint8_t click_hint_shown;

namespace {

constexpr int32_t REST_X = 321, HOME_X = 191, AWAY_X = 451, FIRST_ROW_Y = 180, ROW_SPACING = 77;
constexpr int32_t SPEED = 6;
constexpr int32_t VISIBLE_ROWS = 4;
constexpr uint32_t MESSAGE_MS = 2800;
constexpr const char* CLICK_HINT = "Click On The Controller To Reassign Its Buttons";
const char* const k_messages[6] = {
    "",
    "Home Team",
    "Away Team",
    CLICK_HINT,
    "Cannot Assign Controller To CPU Team During Tournament",
    "Cannot Assign More Than Four Controllers To A Team",
};
const int32_t k_row_y[VISIBLE_ROWS] = {180, 257, 334, 411};

ControllerScreen& cs = controller_screen;

// Sprite icon templates are filled from the sets when the screen opens.
menu_icon g_kind_templates[4][2]; // by kind - 1: normal, assigned
menu_icon g_play_template, g_back_template, g_arrow_templates[4], g_badge_template;

menu_icon text_template(const char* text, uint8_t font)
{
    menu_icon t{};
    t.text = text;
    t.width = t.height = -1;
    for (auto& s : t.states) s.image = font;
    return t;
}

menu_icon g_title_template = text_template("KOB99 Demo", 3);
menu_icon g_hint_template = text_template("Use Arrows To Select Controller", 1);
menu_icon g_message_template = text_template("", 7);
menu_icon g_label_template = text_template(" ", 1);

menu_screen_entry g_entries[3] = {
    {0, &g_title_template, 20, 20, nullptr},
    {1, &g_play_template, 110, 450, nullptr},
    {0, &g_hint_template, 320, 115, nullptr},
};
const char* const k_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\controller_setup.lbm",
                                   "front_en\\front_end_gfx\\menu_screens\\hw\\controller_setup.tga"};

menu_icon* g_back;
menu_icon* g_message_icon;
menu_icon* g_scroll[2];
menu_icon* g_badges[2];
menu_icon* g_row_arrows[VISIBLE_ROWS][2];
int32_t g_badge_textures[2] = {-1, -1};
ScreenFn g_quit_action; // the default action the page chose

void sprite_template(menu_icon* t, int32_t handle, uint8_t base, bool per_state)
{
    *t = menu_icon{};
    t->width = t->height = -1;
    t->flags = ICON_FOCUSABLE;
    for (int s = 0; s < ICON_STATES; ++s) {
        t->states[s].image = animation_frames(handle);
        t->states[s].frame = static_cast<uint8_t>(per_state ? base + s : base);
        t->states[s].period = 1;
    }
}

int32_t px(int32_t x) { return scale_x_from_640(x); }
int32_t py(int32_t y) { return scale_y_from_480(y); }

menu_icon* add_icon(const menu_icon& t, int32_t x, int32_t y, uint8_t group, const char* tag = "Transient icon copy")
{
    menu_icon* icon = copy_icon(t, tag);
    add_child_icon(icon, px(x), py(y), group);
    return icon;
}

void drop(menu_icon*& icon)
{
    if (!icon) return;
    remove_icon(icon);
    free_icon(icon);
    icon = nullptr;
}

int32_t team_controllers(int32_t side)
{
    int32_t n = 0;
    for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r)
        if (controller_side(r) == side) ++n;
    return n;
}

// Premiership, pre-season and Final 8 run the screen's competition variant.
bool competition_type()
{
    const int8_t t = game_settings.game_type;
    return t == GAME_PREMIERSHIP || t == GAME_PRE_SEASON || t == GAME_FINAL_8;
}

// In a competition only a human club may take a controller.
bool team_takes_controllers(int32_t team)
{
    return team >= 0 && team < LEAGUE_TEAMS && competition_state.kinds[team] == KIND_HUMAN;
}

void empty_click(icon_state_record*, menu_icon*, menu_screen*) {}

void joystick_icon_click(icon_state_record*, menu_icon* icon, menu_screen*)
{
    front_end_state.result = 6;
    front_end_state.selected_controller = icon->user_index;
}

void keyboard_icon_click(icon_state_record*, menu_icon*, menu_screen*) { front_end_state.result = 5; }

void controller_icon_hover(icon_state_record*, menu_icon* icon, menu_screen*) { cs.message_code = icon->code; }

void back_click_confirm(icon_state_record*, menu_icon*, menu_screen* screen) { controller_back_confirm(screen); }

void back_click_restore(icon_state_record*, menu_icon*, menu_screen*)
{
    front_end_state.result = 2;
    restore_controller_sides();
}

void scroll_up_click(icon_state_record*, menu_icon*, menu_screen*) { scroll_controller_rows_up(); }
void scroll_down_click(icon_state_record*, menu_icon*, menu_screen*) { scroll_controller_rows_down(); }

// One family of eight: row 0-3, left or right.
template <int Row, uint8_t Direction>
void row_arrow_click(icon_state_record*, menu_icon*, menu_screen*)
{
    const int32_t entry = cs.first_visible + Row;
    if (entry >= cs.entry_count) return;
    if (competition_type())
        move_controller_tournament(entry, Direction);
    else
        move_controller(entry, Direction);
}
const IconFn k_row_handlers[VISIBLE_ROWS][2] = {
    {row_arrow_click<0, DIR_LEFT>, row_arrow_click<0, DIR_RIGHT>},
    {row_arrow_click<1, DIR_LEFT>, row_arrow_click<1, DIR_RIGHT>},
    {row_arrow_click<2, DIR_LEFT>, row_arrow_click<2, DIR_RIGHT>},
    {row_arrow_click<3, DIR_LEFT>, row_arrow_click<3, DIR_RIGHT>},
};


// Row 1 always has its arrows, even with no entry.
int32_t rows_shown() { return cs.entry_count <= 1 ? 1 : (cs.entry_count < VISIBLE_ROWS ? cs.entry_count : VISIBLE_ROWS); }

void place_label(controller_icon_entry& e)
{
    if (!e.label || !e.icon) return;
    remove_icon(e.label);
    add_child_icon(e.label, e.icon->x + px(30), e.icon->y + py(9), 0);
}

void show_template(controller_icon_entry& e, const menu_icon* t)
{
    for (int s = 0; s < ICON_STATES; ++s) {
        // The highlight keeps what the icon was given: the click hint, or
        // in a competition the template's own.
        const IconFn keep = e.icon->states[s].handler;
        e.icon->states[s] = t->states[s];
        e.icon->states[s].handler = keep;
    }
    e.icon->states[ICON_CLICKED].handler = t->states[ICON_CLICKED].handler;
}

void badge_texture_refs(bool add)
{
    const int32_t teams[2] = {game_settings.home_team, game_settings.away_team};
    for (int i = 0; i < 2; ++i)
        if (add) g_badge_textures[i] = hold_caricature_frame(teams[i]);
        else let_go_caricature_frame(&g_badge_textures[i]);
}

} // namespace

void prepare_controller_screen()
{
    sprite_template(&g_play_template, HANDLE_COMMON, COMMON_PLAY, true);
    g_play_template.result_code = 1;
    sprite_template(&g_back_template, HANDLE_COMMON, COMMON_BACK, true);
    g_back_template.result_code = 2;
    const uint8_t kinds[4] = {CONTROLLER_STICK, CONTROLLER_PAD, CONTROLLER_MULTIPORT, CONTROLLER_KEYS};
    for (int k = 0; k < 4; ++k) {
        for (int a = 0; a < 2; ++a) {
            menu_icon& t = g_kind_templates[k][a];
            sprite_template(&t, HANDLE_CONTROLLERS, static_cast<uint8_t>(kinds[k] + (a ? CONTROLLER_ASSIGNED : 0)), false);
            t.result_code = k == 3 ? 5 : 6;
            t.states[ICON_CLICKED].handler = k == 3 ? keyboard_icon_click : joystick_icon_click;
        }
    }
    const uint8_t arrows[4] = {ARROW_LEFT, ARROW_RIGHT, ARROW_UP, ARROW_DOWN};
    for (int a = 0; a < 4; ++a) sprite_template(&g_arrow_templates[a], HANDLE_CONTROLLERS, arrows[a], false);
    sprite_template(&g_badge_template, HANDLE_CARICATURE, 0, false);
}

menu_screen controller_assign_screen = {
    3, SCREEN_MENU, k_pictures, nullptr, 0, &g_entries[1], controller_assign_open, controller_assign_close,
    controller_assign_frame, nullptr, 0, 0, 0, 0, 0, 0, g_entries};

void set_controller_default_action(int32_t quit)
{
    g_quit_action = quit ? confirm_quit_action : controller_back_result;
}

void controller_back_result(menu_screen*)
{
    // Esc backs out like the back icon: the sides go back as they were.
    front_end_state.result = 2;
    restore_controller_sides();
}

void controller_back_confirm(menu_screen*)
{
    front_end_state.result = 2;
    report_error(exit_confirm_code(), nullptr, nullptr, set_result_yes, set_result_no);
    if (front_end_state.result == 4) front_end_state.result = 0;
}

void restore_controller_sides()
{
    for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) set_controller_side(r, cs.saved_sides[r]);
}

void build_controller_entries()
{
    for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) cs.saved_sides[r] = controller_side(r);
    cs.entry_count = 0;
    int32_t joysticks = controller_count();
    // The mouse and the keyboard take the last two records.
    if (joysticks > MAX_JOYSTICK_CONTROLLERS) joysticks = MAX_JOYSTICK_CONTROLLERS;
    for (int32_t d = 0; d < joysticks; ++d) {
        HostDeviceInfo info{};
        info.size = sizeof info;
        const bool multiport = joystick_info(d, &info) == HOST_INPUT_OK && std::strcmp(info.product_name, MULTIPORT_NAME) == 0;
        const int32_t buttons = input_device_present(d);
        // A pad with fewer than two buttons still gets the stick's look.
        const uint8_t kind = multiport ? KIND_MULTIPORT : (buttons >= 4 ? KIND_PAD : KIND_STICK);
        controller_icon_entry& e = cs.entries[cs.entry_count];
        e = controller_icon_entry{};
        e.kind = kind;
        e.normal_template = &g_kind_templates[kind - 1][0];
        e.assigned_template = &g_kind_templates[kind - 1][1];
        e.state_record = e.normal_template->states[0];
        e.record = d;
        cs.button_counts[cs.entry_count] = static_cast<uint32_t>(buttons);
        ++cs.entry_count;
    }
    if (keyboard_player_active() && cs.entry_count < CONTROLLER_ENTRIES - 1) {
        controller_icon_entry& e = cs.entries[cs.entry_count];
        e = controller_icon_entry{};
        e.kind = KIND_KEYBOARD;
        e.normal_template = &g_kind_templates[3][0];
        e.assigned_template = &g_kind_templates[3][1];
        e.state_record = e.normal_template->states[0];
        e.record = keyboard_controller;
        cs.button_counts[cs.entry_count] = 8;
        ++cs.entry_count;
    }
    for (int32_t i = 0; i < cs.entry_count; ++i) {
        controller_icon_entry& e = cs.entries[i];
        e.motion = AT_REST;
        e.position = AT_CENTRE;
        e.x = REST_X;
        e.y = FIRST_ROW_Y + ROW_SPACING * i;
    }
}

void build_controller_entries_tournament()
{
    // The same walk over the devices: the mouse and the keyboard keep the
    // last two records here too.
    build_controller_entries();
}

namespace {

// The competition variant keeps the template's own highlight: no hover hint.
void add_controller_icons(bool hover_hint)
{
    if (cs.icons_built) return;
    cs.first_visible = 0;
    for (int32_t i = 0; i < cs.entry_count; ++i) {
        controller_icon_entry& e = cs.entries[i];
        menu_icon* icon = copy_icon(*e.normal_template, "control_icon_data");
        icon->user_index = static_cast<uint8_t>(i);
        const IconFn focused = icon->states[ICON_FOCUSED].handler;
        icon->states[ICON_NORMAL] = e.state_record;
        icon->states[ICON_FOCUSED] = e.state_record;
        icon->states[ICON_FOCUSED].handler = hover_hint ? controller_icon_hover : focused;
        if (hover_hint) icon->code = 3;
        icon->flags |= 0x40C0;
        e.icon = icon;
        add_child_icon(icon, px(e.x), py(e.y), 0);
    }
    cs.icons_built = 1;
}

} // namespace

void create_controller_icons() { add_controller_icons(true); }

void create_controller_icons_tournament() { add_controller_icons(false); }

void create_controller_labels()
{
    for (int32_t i = 0; i < cs.entry_count; ++i) {
        controller_icon_entry& e = cs.entries[i];
        menu_icon* label = copy_icon(g_label_template, "Transient icon copy");
        char* text = static_cast<char*>(alloc_mem(256, "icon_names[control_index].text_ptr"));
        const char* name = game_settings.controller_player_names[i];
        std::snprintf(text, 256, "%s", name[0] ? name : " ");
        label->text = text;
        label->flags = 0x4080;
        e.label = label;
        add_child_icon(label, e.icon->x + px(30), e.icon->y + py(9), 0);
    }
}

void create_controller_labels_tournament() { create_controller_labels(); }

void reset_moving_controller_frames()
{
    for (int32_t i = 0; i < cs.entry_count; ++i)
        if (menu_icon* icon = cs.entries[i].icon)
            for (auto& s : icon->states) s.frame = icon->states[ICON_NORMAL].frame;
}

void reset_controller_frames_tournament() { reset_moving_controller_frames(); }

void controller_assign_open(menu_screen*)
{
    badge_texture_refs(true);
    cs.icons_built = 0;
    cs.scroll_active = 0;
    front_end_state.default_action = g_quit_action;
    g_back = add_icon(g_back_template, 50, 450, 2);
    // The back icon does what Esc does.
    if (g_quit_action == controller_back_confirm)
        g_back->states[ICON_CLICKED].handler = back_click_confirm;
    else if (g_quit_action == confirm_quit_action)
        g_back->states[ICON_CLICKED].handler = confirm_quit_click;
    else
        g_back->states[ICON_CLICKED].handler = back_click_restore;
    if (g_entries[2].copy) centre_icon_text_at(g_entries[2].copy, 320);
    set_clip_window(1, static_cast<uint16_t>(py(140)), static_cast<uint16_t>(px(65)), static_cast<uint16_t>(py(440)),
                    static_cast<uint16_t>(px(577)));
    if (!competition_type()) {
        build_controller_entries();
        create_controller_icons();
        create_controller_labels();
        reset_moving_controller_frames();
    } else {
        if (g_entries[1].copy) g_entries[1].copy->states[ICON_CLICKED].handler = empty_click;
        build_controller_entries_tournament();
        create_controller_icons_tournament();
        create_controller_labels_tournament();
        reset_controller_frames_tournament();
    }
    for (int32_t r = 0; r < rows_shown(); ++r) {
        for (int side = 0; side < 2; ++side) {
            menu_icon* arrow = add_icon(g_arrow_templates[side], side ? AWAY_X : HOME_X, k_row_y[r], 0);
            arrow->states[ICON_CLICKED].handler = k_row_handlers[r][side];
            g_row_arrows[r][side] = arrow;
        }
    }
    const int32_t teams[2] = {game_settings.home_team, game_settings.away_team};
    for (int i = 0; i < 2; ++i) {
        menu_icon t = g_badge_template;
        for (auto& s : t.states) s.frame = static_cast<uint8_t>(teams[i]);
        t.code = static_cast<uint8_t>(i + 1);
        t.states[ICON_FOCUSED].handler = controller_icon_hover;
        g_badges[i] = add_icon(t, i ? 555 : 90, 125, 0);
    }
    cs.first_frame_done = 0;
    cs.scroll_countdown = -1;
    if (cs.entry_count >= VISIBLE_ROWS) {
        g_scroll[0] = add_icon(g_arrow_templates[2], 580, 250, 0);
        g_scroll[0]->states[ICON_CLICKED].handler = scroll_up_click;
        g_scroll[1] = add_icon(g_arrow_templates[3], 580, 350, 0);
        g_scroll[1]->states[ICON_CLICKED].handler = scroll_down_click;
    }
    cs.message[0] = 0;
    g_message_template.text = cs.message;
    g_message_icon = add_icon(g_message_template, 320, cs.entry_count >= VISIBLE_ROWS ? 80 : 390, 0);
    input_reset();
    if (g_entries[1].copy) set_focus_icon(g_entries[1].copy);
    centre_icon_text_at(g_message_icon, 320);
}

void show_controller_message()
{
    if (cs.message_code) {
        const int32_t code = cs.message_code;
        cs.message_code = 0;
        // The click hint shows once a run; later highlights change nothing.
        if (code == 3 && click_hint_shown) return;
        if (code == 3) click_hint_shown = 1;
        cs.message_time = host_time_ms();
        cs.message_reverts = 1;
        std::snprintf(cs.message, sizeof cs.message, "%s", k_messages[code]);
        if (g_message_icon) centre_icon_text_at(g_message_icon, 320);
        return;
    }
    if (cs.message_reverts && host_time_ms() - cs.message_time >= MESSAGE_MS) {
        std::snprintf(cs.message, sizeof cs.message, "%s", CLICK_HINT);
        cs.message_reverts = 0;
    }
}

void scroll_controller_rows_up()
{
    if (cs.first_visible >= 1 && !cs.scroll_active) {
        cs.scroll_step = 5;
        cs.scroll_countdown = 15;
        cs.scroll_active = 1;
    }
}

void scroll_controller_rows_down()
{
    // The last first row leaves the last entry in the bottom row.
    if (cs.first_visible + VISIBLE_ROWS < cs.entry_count && !cs.scroll_active) {
        cs.scroll_step = -5;
        cs.scroll_countdown = 15;
        cs.scroll_active = 1;
    }
}

namespace {

void move_controller_checked(int32_t entry, uint8_t directions, bool competition)
{
    if (entry < 0 || entry >= cs.entry_count) return;
    controller_icon_entry& e = cs.entries[entry];
    if (e.motion != AT_REST) return;
    const uint8_t position = e.position;
    int32_t* team = &game_settings.controller_team_table[entry];
    if (directions & DIR_LEFT) {
        if (position == AT_CENTRE) {
            if (competition && !team_takes_controllers(game_settings.home_team)) {
                cs.message_code = 4;
            } else if (team_controllers(-1) < MAX_TEAM_CONTROLLERS) {
                *team = game_settings.home_team;
                e.motion = TO_HOME;
                set_controller_side(e.record, -1);
            } else {
                cs.message_code = 5;
            }
        } else if (position == AT_AWAY) {
            e.motion = TO_CENTRE;
            *team = -1;
            set_controller_side(e.record, 0);
        }
    }
    if (directions & DIR_RIGHT) {
        if (position == AT_HOME) {
            e.motion = TO_CENTRE;
            *team = -1;
            set_controller_side(e.record, 0);
        } else if (position == AT_CENTRE) {
            if (competition && !team_takes_controllers(game_settings.away_team)) {
                cs.message_code = 4;
            } else if (team_controllers(1) < MAX_TEAM_CONTROLLERS) {
                e.motion = TO_AWAY;
                *team = game_settings.away_team;
                set_controller_side(e.record, 1);
            } else {
                cs.message_code = 5;
            }
        }
    }
}

} // namespace

void move_controller(int32_t entry, uint8_t directions) { move_controller_checked(entry, directions, false); }

void move_controller_tournament(int32_t entry, uint8_t directions) { move_controller_checked(entry, directions, true); }

void animate_controller_icons()
{
    if (!cs.icons_built) return;
    const int32_t step = SPEED * front_end_state.frame_ticks;
    for (int32_t i = 0; i < cs.entry_count; ++i) {
        controller_icon_entry& e = cs.entries[i];
        if (e.motion == AT_REST || !e.icon) continue;
        if (e.motion == TO_HOME) {
            show_template(e, e.normal_template);
            e.x = e.x - step < HOME_X ? HOME_X : e.x - step;
            if (e.x == HOME_X) {
                e.motion = AT_REST;
                e.position = AT_HOME;
                show_template(e, e.assigned_template);
            }
        } else if (e.motion == TO_CENTRE) {
            show_template(e, e.normal_template);
            if (e.position == AT_HOME) {
                e.x = e.x + step > REST_X ? REST_X : e.x + step;
                if (e.x >= REST_X) e.motion = AT_REST, e.position = AT_CENTRE;
            } else {
                e.x = e.x - step < REST_X ? REST_X : e.x - step;
                if (e.x < REST_X + 1) e.motion = AT_REST, e.position = AT_CENTRE;
            }
        } else if (e.motion == TO_AWAY) {
            show_template(e, e.normal_template);
            e.x = e.x + step > AWAY_X ? AWAY_X : e.x + step;
            if (e.x == AWAY_X) {
                e.motion = AT_REST;
                e.position = AT_AWAY;
                show_template(e, e.assigned_template);
            }
        }
        for (auto& s : e.icon->states) s.frame = e.icon->states[0].frame;
        e.icon->x = static_cast<int16_t>(px(e.x));
        update_icon(e.icon);
        place_label(e);
    }
}

void controller_assign_frame(menu_screen*)
{
    if (!cs.first_frame_done) {
        for (int32_t i = 0; i < cs.entry_count; ++i) {
            controller_icon_entry& e = cs.entries[i];
            const int32_t side = controller_side(e.record);
            if (side == -1) {
                game_settings.controller_team_table[i] = game_settings.home_team;
                e.motion = TO_HOME;
            } else if (side == 1) {
                game_settings.controller_team_table[i] = game_settings.away_team;
                e.motion = TO_AWAY;
            } else {
                e.motion = AT_REST;
            }
        }
        cs.first_frame_done = 1;
    }
    read_keyboard_controller();
    show_controller_message();
    if (cs.scroll_active) {
        --cs.scroll_countdown;
        if (cs.scroll_countdown >= 0) {
            for (int32_t i = 0; i < cs.entry_count; ++i) {
                controller_icon_entry& e = cs.entries[i];
                e.y += cs.scroll_step;
                if (e.icon) {
                    e.icon->y = static_cast<int16_t>(py(e.y));
                    update_icon(e.icon);
                    place_label(e);
                }
            }
            if (cs.scroll_countdown == 7) cs.first_visible += cs.scroll_step < 0 ? 1 : -1;
        } else {
            cs.scroll_active = 0;
        }
    }
    if (competition_type()) {
        poll_live_input();
        for (int32_t i = 0; i < cs.entry_count; ++i)
            if (const controller_record* r = controller_at(cs.entries[i].record))
                move_controller_tournament(i, r->dirs);
    } else {
        for (int32_t i = 0; i < cs.entry_count; ++i) {
            controller_icon_entry& e = cs.entries[i];
            if (e.kind == KIND_KEYBOARD)
                read_keyboard_controller();
            else
                read_joystick_controller(e.record);
            if (const controller_record* r = controller_at(e.record)) move_controller(i, r->dirs);
        }
    }
    animate_controller_icons();
}

void controller_assign_close(menu_screen* screen)
{
    (void)screen;
    if (g_back) g_back->states[ICON_CLICKED].handler = nullptr;
    for (int32_t i = 0; i < cs.entry_count; ++i) {
        controller_icon_entry& e = cs.entries[i];
        if (e.label) {
            free_mem(const_cast<char*>(e.label->text));
            drop(e.label);
        }
        drop(e.icon);
    }
    for (menu_icon*& b : g_badges) drop(b);
    for (auto& row : g_row_arrows)
        for (menu_icon*& a : row) drop(a);
    for (menu_icon*& s : g_scroll) drop(s);
    drop(g_message_icon);
    drop(g_back);
    badge_texture_refs(false);
    cs.icons_built = 0;
    front_end_state.default_action = nullptr;
    front_end_state.controllers_changed = front_end_state.result;
}

void reset_controller_screen()
{
    cs = ControllerScreen{};
    click_hint_shown = 0;
    g_back = g_message_icon = nullptr;
    g_scroll[0] = g_scroll[1] = g_badges[0] = g_badges[1] = nullptr;
    for (auto& row : g_row_arrows) row[0] = row[1] = nullptr;
    g_badge_textures[0] = g_badge_textures[1] = -1;
    g_quit_action = nullptr;
}
