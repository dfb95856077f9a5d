#include "frontend/message_box.h"

#include "frontend/controller_config.h"
#include "frontend/frame_manifest.h"
#include "frontend/front_end_state.h"
#include "frontend/menu_icons.h"
#include "frontend/resources.h"
#include "frontend/screen_runner.h"
#include "host/clock.h"
#include "league/game_settings.h"
#include "match/match_records.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/memory.h"
#include "platform/language.h"
#include "screen/fonts.h"
#include "screen/screen.h"

#include <cstdio>
#include <cstring>
#include <vector>

MessageBoxLayout message_box_layout;

namespace {

enum Buttons : uint8_t { OK = 1, YES_NO = 2 };
struct MessageRow {
    int16_t code;
    const char* message; // null: the extra text alone
    uint8_t buttons;
    uint8_t focus_kind;
};
const MessageRow k_messages[] = {
    {-31, nullptr, YES_NO, 4},
    {-30, nullptr, OK, 1},
    {33, nullptr, OK, 1},
    {-29, "Sound Hardware Error", OK, 1},
    {-28, "Error - Incorrect File Format", OK, 1},
    {-26, "Insufficient disk space. Continue anyway?", YES_NO, 4},
    {-24, "Could not build Install List", OK, 1},
    {-23, "Access Denied for Create New Folder", OK, 1},
    {-22, "Please Insert Floppy Disk", OK, 1},
    {-21, "File Did Not Exist", OK, 1},
    {-20, "Unable to install Digital Driver", OK, 1},
    {-19, "Driver list file AILDRVR.LST not found", OK, 1},
    {-18, "No Drivers found on disk", OK, 1},
    {-17, "No Driver entries found in AILDRVR.LST", OK, 1},
    {-16, "No Sound Driver Currently Installed", OK, 1},
    {-15, "File cannot be opened", OK, 1},
    {-5, "File Save Error", OK, 1},
    {1, "Quit to Windows?", YES_NO, 4},
    {2, "Exit Game?", YES_NO, 4},
    {3, "Exit Match?", YES_NO, 4},
    {34, "Exit Match?", YES_NO, 4},
    {4, "Exit Tournament?", YES_NO, 4},
    {5, "Exit Tournament?", YES_NO, 4},
    {6, "Exit Finals?", YES_NO, 4},
    {10, "Exit Demo?", YES_NO, 4},
    {11, "Exit Load Game?", YES_NO, 4},
    {12, "Exit View Replay?", YES_NO, 4},
    {15, "Could Not Create Install Directory", OK, 1},
    {16, "Warning, the install directory already exists. Continue anyway?", YES_NO, 4},
    {19, "Driver successfully installed", OK, 1},
    {21, "Sound Hardware is already setup! Continue Anyway?", YES_NO, 4},
    {22, "Test sound sample is playing ... OK to end", OK, 1},
    {23, "Game Loaded Successfully", OK, 1},
    {24, "Replay Loaded Successfully", OK, 1},
    {25, "Game Saved Successfully", OK, 1},
    {26, "Replay Saved Successfully", OK, 1},
    {27, "Warning, File exists - Continue Save?", YES_NO, 4},
    {28, "Key is already in use - OK to continue", OK, 1},
    {29, "Warning, Entire team will be restored - Continue?", YES_NO, 4},
    {30, "Warning, Team Forwards will be restored - Continue?", YES_NO, 4},
    {31, "Warning, Team Backs will be restored - Continue?", YES_NO, 4},
    {32, "Quit KOB Install process?", YES_NO, 4},
    {35, "Joystick Button is already in use - OK to continue", OK, 1},
    {36, "Warning - Delete Saved Replay?", YES_NO, 4},
    {37, "Warning - Delete Saved Game?", YES_NO, 4},
    {38, "Exit Network Play?", YES_NO, 4},
    {39, "Replay Deleted Successfully", OK, 3},
    {40, "Game Deleted Successfully", OK, 3},
    {41, "Formation Loaded", OK, 1},
    {42, "Formation Saved Successfully", OK, 1},
    {43, "Badge Loaded", OK, 1},
    {44, "No More Teams Are Allowed To Enter - OK to continue", OK, 1},
    {45, "All Available Controllers Have Been Assigned Human Control - OK to continue", OK, 1},
    {46, "Player Already Chosen by Another Human - OK to continue", OK, 1},
};
constexpr int32_t QUIT_CODE = 1;
constexpr int32_t BOX_TEXT_WIDTH = 300, SYSTEM_TEXT_WIDTH = 200;
constexpr int16_t BOX_FONT = 1;

BoxCallback g_ok, g_yes, g_no;
menu_icon* g_buttons[3]; // OK, Yes, No
std::vector<menu_icon*> g_line_icons;
char* g_lines[MAX_TEXT_LINES];
int32_t g_line_count;
char g_title[64];
ScreenFn g_saved_default;

void on_ok(icon_state_record*, menu_icon*, menu_screen*) { message_box_ok(); }
void on_yes(icon_state_record*, menu_icon*, menu_screen*) { message_box_yes(); }
void on_no(icon_state_record*, menu_icon*, menu_screen*) { message_box_no(); }
void default_ok(menu_screen*) { set_result_ok(); }
void default_no(menu_screen*) { set_result_no(); }

// A button: frames base + 4 - state, so the clicked state is the brightest.
menu_icon button_template(uint8_t base)
{
    menu_icon t{};
    t.width = t.height = -1;
    t.flags = ICON_OPAQUE | ICON_FOCUSABLE;
    for (int s = 0; s < ICON_STATES; ++s) {
        t.states[s].image = animation_frames(HANDLE_COMMON);
        t.states[s].frame = static_cast<uint8_t>(base + 4 - s);
        t.states[s].period = 1;
    }
    return t;
}

menu_icon line_template()
{
    menu_icon t{};
    t.text = "";
    t.width = t.height = -1;
    for (auto& s : t.states) s.image = BOX_FONT + 1; // font 2
    return t;
}

menu_icon g_title_template = [] {
    menu_icon t{};
    t.text = g_title;
    t.width = t.height = -1;
    for (auto& s : t.states) s.image = 3;
    return t;
}();

void message_box_open(menu_screen*);
void message_box_close(menu_screen*);
void message_box_frame(menu_screen*) {}

menu_screen_entry g_box_entries[1] = {{0, &g_title_template, 270, 175, nullptr}};
menu_screen g_box_screen = {1, SCREEN_BOX, nullptr, nullptr, 0, nullptr, message_box_open, message_box_close,
                            message_box_frame, nullptr, 0, 0, 0, 0, 0, 0, g_box_entries};

int32_t to_pixels_x(int32_t v) { return scale_x_from_640(v); }
int32_t to_pixels_y(int32_t v) { return scale_y_from_480(v); }

void add_button(int index, uint8_t base, IconFn handler, int32_t x_units)
{
    const menu_icon t = button_template(base);
    menu_icon* icon = copy_icon(t, index == 0 ? "ok arrow" : (index == 1 ? "yes arrow" : "no arrow"));
    icon->states[ICON_CLICKED].handler = handler;
    icon->result_code = 0;
    const MessageBoxLayout& b = message_box_layout;
    add_child_icon(icon, to_pixels_x(x_units), to_pixels_y(b.y + b.height - 20), 5);
    update_icon(icon);
    g_buttons[index] = icon;
}

void message_box_open(menu_screen*)
{
    input_reset();
    const MessageBoxLayout& b = message_box_layout;
    if (b.ok) add_button(0, COMMON_OK, on_ok, b.x + b.width / 2);
    if (b.yes) add_button(1, COMMON_OK, on_yes, b.x + b.width / 2 + 40);
    if (b.no) add_button(2, COMMON_NO, on_no, b.x + b.width / 2 - 40);
    const menu_icon lt = line_template();
    for (int32_t i = 0; i < g_line_count; ++i) {
        menu_icon* icon = copy_icon(lt, "Transient icon copy");
        icon->text = g_lines[i];
        add_child_icon(icon, to_pixels_x(b.x + 27), to_pixels_y(b.y + 27 + 30 * i), 5);
        centre_icon_text_on_screen(icon);
        g_line_icons.push_back(icon);
    }
    g_saved_default = front_end_state.default_action;
    menu_icon* focus = nullptr;
    switch (b.focus_kind) {
    case 4:
        focus = g_buttons[2];
        front_end_state.default_action = default_no;
        break;
    default:
        // Kind 3 names a Yes button an OK box does not have: its OK answers.
        focus = g_buttons[0];
        front_end_state.default_action = default_ok;
        break;
    }
    if (focus) set_focus_icon(focus);
    if (g_box_entries[0].copy) centre_icon_text_on_screen(g_box_entries[0].copy);
}

void message_box_close(menu_screen*)
{
    for (menu_icon*& icon : g_buttons) {
        if (!icon) continue;
        remove_icon(icon);
        free_icon(icon);
        icon = nullptr;
    }
    for (menu_icon* icon : g_line_icons) {
        remove_icon(icon);
        free_icon(icon);
    }
    g_line_icons.clear();
    free_text_lines();
    g_line_count = 0;
    front_end_state.default_action = g_saved_default;
    input_reset();
}

// Wraps the message and sizes the box around it.
void lay_out(const std::string& text, int32_t wrap_units, int32_t fixed_width)
{
    MessageBoxLayout& b = message_box_layout;
    const int32_t height = format_text_lines(g_lines, &g_line_count, text.c_str(), to_pixels_x(wrap_units), BOX_FONT);
    select_font(BOX_FONT);
    const int32_t sw = scale_x_from_640(640), sh = scale_y_from_480(480);
    const int32_t height_units = sh > 0 ? height * 480 / sh : height;
    b.lines = g_line_count;
    b.height = height_units + 84;
    if (fixed_width) {
        b.width = fixed_width;
    } else if (g_line_count == 1) {
        const int32_t w = string_width(g_lines[0]);
        b.width = (sw > 0 ? w * 640 / sw : w) + 54;
    } else {
        b.width = 354;
    }
    b.x = (640 - b.width) / 2;
    b.y = (480 - b.height) / 2;
}

constexpr uint32_t BOX_TINT = 0x050709C8;

void run_box()
{
    const MessageBoxLayout& b = message_box_layout;
    if (renderer_index() == 1)
        set_screen_parameters(to_pixels_y(b.y), to_pixels_x(b.x), to_pixels_x(b.width), to_pixels_y(b.height), 7);
    else
        set_screen_parameters(to_pixels_x(b.x), to_pixels_y(b.y), to_pixels_x(b.width), to_pixels_y(b.height), 7);
    set_overlay_texture_name(TINT_BOX_TEXTURE);
    // The software path darkens the backdrop through these, toward a deep blue.
    auto* tint = static_cast<uint8_t*>(alloc_mem(5 * 256, "Tint lookup table"));
    build_shade_tables(&working_palette[0][0], tint, BOX_TINT);
    overlay_backdrop.shade_tables = tint;
    run_front_end_screen(&g_box_screen);
    overlay_backdrop.shade_tables = nullptr;
    free_mem(tint);
}

} // namespace

MessageBoxLayout message_for_code(int32_t code, const char* extra)
{
    MessageBoxLayout b{};
    const MessageRow* row = nullptr;
    for (const MessageRow& r : k_messages)
        if (r.code == code) row = &r;
    std::string message;
    if (row) {
        if (row->message) message = row->message;
        b.ok = row->buttons == OK;
        b.yes = b.no = row->buttons == YES_NO;
        b.focus_kind = row->focus_kind;
    } else {
        char text[40];
        std::snprintf(text, sizeof text, "System Error %d", code);
        message = text;
        b.ok = true;
        b.focus_kind = 1;
    }
    if (extra && *extra) {
        if (!message.empty()) message += " : ";
        message += extra;
    }
    // The box's buffer holds 2,560 bytes, file names and all.
    if (message.size() > MESSAGE_BUFFER_BYTES - 1) message.resize(MESSAGE_BUFFER_BYTES - 1);
    b.message = message;
    return b;
}

void report_error(int32_t code, const char* extra, BoxCallback ok, BoxCallback yes, BoxCallback no)
{
    front_end_state.quit_to_windows = 0;
    front_end_state.error_hook = nullptr;
    g_ok = ok, g_yes = yes, g_no = no;
    g_title[0] = 0;
    message_box_layout = message_for_code(code, extra);
    if (code == QUIT_CODE) front_end_state.quit_to_windows = 1;
    lay_out(message_box_layout.message, BOX_TEXT_WIDTH, 0);
    run_box();
    host_sleep_ms(150);
    front_end_state.error_hook = error_control_callback;
}

int32_t error_control_callback(const char* message, int32_t mode)
{
    front_end_state.error_hook = nullptr;
    // The caller's text may be a constant: the box edits its own copy.
    std::string text = message ? message : "";
    size_t lf = text.find('\n');
    if (lf != std::string::npos) text[lf] = ' ';
    g_ok = g_yes = g_no = nullptr;
    message_box_layout = MessageBoxLayout{};
    message_box_layout.message = text;
    message_box_layout.ok = mode == 0;
    message_box_layout.yes = message_box_layout.no = mode == 1;
    message_box_layout.focus_kind = mode == 1 ? 4 : 1;
    std::snprintf(g_title, sizeof g_title, "System");
    lay_out(text, SYSTEM_TEXT_WIDTH, 254);
    dim_palette();
    run_box();
    load_flag_palette();
    g_title[0] = 0;
    front_end_state.error_hook = error_control_callback;
    return 0;
}

void message_box_ok() { g_ok ? g_ok() : set_result_ok(); }
void message_box_yes() { g_yes ? g_yes() : set_result_yes(); }
void message_box_no() { g_no ? g_no() : set_result_no(); }

void confirm_quit()
{
    report_error(QUIT_CODE, nullptr, set_result_ok, set_result_yes, set_result_no);
    if (front_end_state.result == 4) front_end_state.result = 0;
}

void dim_palette()
{
    if (keyboard_config.used_shown || keyboard_config.reserved_shown) return;
    for (int32_t i = 80; i < 128; ++i)
        for (uint8_t& c : working_palette[i]) c = static_cast<uint8_t>(c - c / 4);
    set_palette_6bit(&working_palette[0][0], 80, 48);
}

void load_flag_palette()
{
    uint32_t size = 0;
    uint8_t* file = load_file(data_path(FLAG_PALETTE), &size);
    const uint32_t colours = size / 3 < 47 ? size / 3 : 47;
    copy_palette_entries(file, 81, static_cast<int32_t>(colours));
    set_palette_6bit(&working_palette[0][0], 81, static_cast<int32_t>(colours));
    free_mem(file);
}

void confirm_quit_action(menu_screen*) { confirm_quit(); }
void confirm_quit_click(icon_state_record*, menu_icon*, menu_screen*) { confirm_quit(); }

int32_t exit_confirm_code()
{
    switch (game_settings.game_type) {
    case GAME_DEMO: return 10;
    case GAME_LOAD: return 11;
    case GAME_VIEW_REPLAY: return 12;
    case GAME_PREMIERSHIP: return 4;
    case GAME_PRE_SEASON: return 5;
    case GAME_FINAL_8: return 6;
    case GAME_TRAINING: return 34;
    default: return 3;
    }
}

void reset_message_box()
{
    g_ok = g_yes = g_no = nullptr;
    for (menu_icon*& icon : g_buttons) icon = nullptr;
    g_line_icons.clear();
    g_line_count = 0;
    g_title[0] = 0;
    g_saved_default = nullptr;
    message_box_layout = MessageBoxLayout{};
}
