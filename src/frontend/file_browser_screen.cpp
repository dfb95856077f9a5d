#include "frontend/control_events.h"
#include "frontend/file_browser.h"
#include "frontend/front_end_state.h"
#include "frontend/lineup_screen.h"
#include "frontend/message_box.h"
#include "frontend/saved_files.h"
#include "frontend/screen_templates.h"
#include "host/paths.h"
#include "display/replay.h"
#include "league/team_lineups.h"
#include "platform/controllers.h"
#include "platform/directory.h"
#include "platform/input.h"
#include "platform/settings.h"
#include "screen/screen.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

FileBrowserState file_browser_state;
int32_t browser_mode;
uint8_t replay_loaded;

namespace {

FileBrowserState& fb = file_browser_state;

constexpr uint8_t KEY_DELETE_CODE = 211;
constexpr int32_t FIELD_MAX = 60;
constexpr uint8_t GROUP_BUTTONS = 1, GROUP_DRIVES = 2, GROUP_DIRECTORIES = 3, GROUP_FILES = 4, GROUP_ENTRY = 5;
constexpr size_t SHOWN_DIRECTORY = 56; // characters of the directory label's path

struct ModeTexts {
    const char* title;
    const char* prompt;
    const char* pattern;
    const char* empty;
    const char* picture; // below menu_screens\sw\ (.lbm) and hw\ (.tga)
};
const ModeTexts k_modes[BROWSER_MODES] = {
    {"Load Replay", "Please Select a Replay to Load...", "*.REPLAY", "No Replays to Display !!", "load files"},
    {"Load Game", "Please Select a Game to Load...", "*.GAME", "No Games to Display !!", "load files"},
    {"Save Replay", "Please Select Save Replay Name...", "*.REPLAY", "No Replays to Display !!", "save replay"},
    {"Save Game", "Please Select Save Game Name...", "*.GAME", "No Games to Display !!", "save game"},
    {"File Management", "Please Select Files to Delete...", nullptr, "", "file management"},
    {"Location of Data Files", "Please Select Default Path for Data Files...", nullptr, "", "load files"},
    {"Install Destination", "Please Select Path for Installation...", nullptr, "", "install"},
    {"Load Formation", "Select Formation To Load...", "*.frm", "No Formations to Display Yet", "load files"},
    {"Save Formation", "Save Formation", "*.frm", "No Formations to Display Yet", "save game"},
    {"Load Custom Team", "Please Select a Team to Load...", "*.team", "No Teams Stored Here!", "load files"},
    {"Save Custom Team", "Save Custom Team", "*.team", "No Teams Stored Here!", "save game"},
    {"Load Team Badge", "Select a Badge to Load...", "*.bmp", "No Badge Files Found!", "load files"},
    {"Load Team Strip", "Select a Strip to Load...", "*.bmp", "No Strip Files Found!", "load files"},
};

int32_t mode() { return browser_mode >= 0 && browser_mode < BROWSER_MODES ? browser_mode : BROWSER_LOAD_GAME; }
bool saving_mode(int32_t m)
{
    return m == BROWSER_SAVE_REPLAY || m == BROWSER_SAVE_GAME || m == BROWSER_SAVE_FORMATION || m == BROWSER_SAVE_TEAM;
}
bool directory_mode(int32_t m) { return m == BROWSER_DATA_PATH || m == BROWSER_INSTALL_PATH; }
bool formation_mode(int32_t m) { return m == BROWSER_LOAD_FORMATION || m == BROWSER_SAVE_FORMATION; }

char g_title[40], g_prompt[64], g_directory_label[96], g_empty[40], g_entry_label[40];
char g_pictures[2][96];
const char* g_picture_names[2] = {g_pictures[0], g_pictures[1]};

void accept_click(icon_state_record*, menu_icon*, menu_screen*) { browser_accept(); }

menu_icon g_title_icon = text_template(g_title, 3);
menu_icon g_prompt_icon = text_template(g_prompt, 1);
menu_icon g_directory_icon = text_template(g_directory_label, 1);
menu_icon g_empty_icon = text_template(g_empty, 1);
// Over formations the back button stands beside the line-up's list: it
// reads "Cancel" until a formation is loaded or saved, then "Done".
char g_back_text[8];
menu_icon g_back = focus_text_template(g_back_text, 2);
menu_icon g_accept = focus_text_template("Accept", 0, accept_click);

constexpr int ENTRIES = 6, TITLE = 0, PROMPT = 1, DIRECTORY = 2, EMPTY = 3, BACK = 4, ACCEPT = 5;
constexpr int32_t FORMATION_BACK_X = 550, FORMATION_BACK_Y = 130;
menu_screen_entry g_entries[ENTRIES] = {
    {0, &g_title_icon, 20, 20, nullptr},    {0, &g_prompt_icon, 50, 58, nullptr},
    {0, &g_directory_icon, 50, 84, nullptr}, {0, &g_empty_icon, 262, 122, nullptr},
    {GROUP_BUTTONS, &g_back, 50, 450, nullptr}, {GROUP_BUTTONS, &g_accept, 110, 450, nullptr},
};

void result_two(menu_screen*) { front_end_state.result = 2; }

void label_back(const char* text)
{
    std::snprintf(g_back_text, sizeof g_back_text, "%s", text);
    if (menu_icon* icon = g_entries[BACK].copy) update_icon(icon);
}

std::string last_component(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string parent_of(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return path;
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool has_extension(const std::string& path, const char* extension)
{
    const std::string name = last_component(path);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return false;
    const std::string e = name.substr(dot + 1);
    return e.size() == std::strlen(extension) &&
           std::equal(e.begin(), e.end(), extension, [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// --- Lists ---

// Each list clips to a window of its own (1 to 3).
control* make_list(ControlRect window, uint8_t group, int32_t clip)
{
    control* t = nullptr;
    create_control(CONTROL_LIST, &t);
    A_LIST_CONTROL* l = list_record(t);
    l->settings.window = window;
    l->settings.x = window.left, l->settings.y = window.top;
    l->settings.item_spacing = 4;
    l->settings.clip_window = clip;
    l->settings.vslider_x = window.right + 14, l->settings.vslider_y = (window.top + window.bottom) / 2;
    l->settings.hslider_x = (window.left + window.right) / 2, l->settings.hslider_y = window.bottom + 12;
    fill_scroll_slider_template(&l->display.vslider_template, true, ICON_FOCUSABLE, group);
    fill_scroll_slider_template(&l->display.hslider_template, false, ICON_FOCUSABLE, group);
    control* c = nullptr;
    create_control_from_template(fb.controls, nullptr, CONTROL_LIST, t, &c);
    free_control_data(&t);
    return c;
}

void add_item(control* list, const std::string& text, int32_t user, uint8_t group, IconFn clicked)
{
    control* t = new_string_template(&body_text_template, ICON_FOCUSABLE, group, text.c_str(),
                                     static_cast<int32_t>(text.size()));
    A_STRING_CONTROL* s = string_record(t);
    s->settings.user_value = user;
    s->callbacks.text_clicked = clicked;
    add_from_template(list_record(list)->settings.items, list, t);
}

void clear_list(control* list)
{
    A_LIST_CONTROL* l = list_record(list);
    erase_control_tree(list);
    free_control_tree(&l->settings.items);
    create_list(&l->settings.items);
    l->settings.items->owner = l;
    l->settings.vscroll = l->settings.hscroll = 0;
}

const std::string* item_text(menu_icon* icon, int32_t* user)
{
    auto* s = icon ? static_cast<A_STRING_CONTROL*>(icon->record) : nullptr;
    if (!s) return nullptr;
    static std::string text;
    text = s->settings.text ? s->settings.text : "";
    if (user) *user = s->settings.user_value;
    return &text;
}

void drive_click(icon_state_record*, menu_icon* icon, menu_screen*)
{
    int32_t i = -1;
    if (item_text(icon, &i) && i >= 0 && static_cast<size_t>(i) < fb.drive_paths.size()) fb.pending_directory = fb.drive_paths[static_cast<size_t>(i)];
}

void directory_click(icon_state_record*, menu_icon* icon, menu_screen*)
{
    int32_t i = -1;
    const std::string* name = item_text(icon, &i);
    if (!name) return;
    fb.pending_directory = i < 0 ? parent_of(fb.directory) : join_browser_path(fb.directory, *name);
}

void file_click(icon_state_record*, menu_icon* icon, menu_screen*)
{
    const std::string* name = item_text(icon, nullptr);
    if (!name) return;
    if (icon_input.left_pressed) choose_browser_file(*name);
    else act_on_browser_file(*name);
}

void fill_directory_label()
{
    std::string shown = fb.directory;
    if (shown.size() > SHOWN_DIRECTORY) shown = "..." + shown.substr(shown.size() - SHOWN_DIRECTORY + 3);
    std::snprintf(g_directory_label, sizeof g_directory_label, "%s%s",
                  mode() == BROWSER_INSTALL_PATH ? "Install Directory: " : "Data Directory: ", shown.c_str());
    if (menu_icon* icon = g_entries[DIRECTORY].copy) update_icon(icon);
}

// The sub-directories (with ".." first below the root) and the files.
void build_lists()
{
    const int32_t m = mode();
    clear_list(fb.directory_list);
    clear_list(fb.file_list);
    list_directory(fb.directories, BROWSER_LIST_CAPACITY, fb.directory, "*.", BROWSER_ATTRIBUTE_DIRECTORY, 0);
    if (fb.directory != "/") add_item(fb.directory_list, "..", -1, GROUP_DIRECTORIES, directory_click);
    for (size_t i = 0; i + 1 < fb.directories.names.size(); ++i)
        add_item(fb.directory_list, fb.directories.names[i], static_cast<int32_t>(i), GROUP_DIRECTORIES, directory_click);
    int32_t files = 0;
    if (m == BROWSER_DELETE) {
        files = list_directory(fb.files, BROWSER_LIST_CAPACITY, fb.directory, "*.GAME", BROWSER_ATTRIBUTE_FILE, 0);
        files += list_directory(fb.files, BROWSER_LIST_CAPACITY, fb.directory, "*.REPLAY", BROWSER_ATTRIBUTE_FILE, files);
    } else if (!directory_mode(m)) {
        files = list_directory(fb.files, BROWSER_LIST_CAPACITY, fb.directory, k_modes[m].pattern, BROWSER_ATTRIBUTE_FILE, 0);
    } else {
        fb.files.names.assign(1, std::string());
    }
    for (int32_t i = 0; i < files; ++i) add_item(fb.file_list, fb.files.names[static_cast<size_t>(i)], i, GROUP_FILES, file_click);
    std::snprintf(g_empty, sizeof g_empty, "%s", files == 0 ? k_modes[m].empty : "");
    if (menu_icon* icon = g_entries[EMPTY].copy) update_icon(icon);
    fill_directory_label();
    draw_control_tree(fb.directory_list);
    draw_control_tree(fb.file_list);
}

void build_drives()
{
    fb.drive_paths.clear();
    fb.drive_paths.push_back(host_user_dir());
    if (const char* home = std::getenv("HOME"); home && home[0] && home != host_user_dir()) fb.drive_paths.emplace_back(home);
    fb.drive_paths.emplace_back("/");
    const char* const labels[] = {"Game Files", "Home", "/"};
    fb.drives.names.clear();
    for (size_t i = 0; i < fb.drive_paths.size(); ++i) {
        const char* label = fb.drive_paths[i] == "/" ? labels[2] : labels[i == 0 ? 0 : 1];
        fb.drives.names.emplace_back(label);
        add_item(fb.drive_list, label, static_cast<int32_t>(i), GROUP_DRIVES, drive_click);
    }
    fb.drives.names.emplace_back();
    draw_control_tree(fb.drive_list);
}

A_STRING_CONTROL* field_of(control* select)
{
    return select ? string_record(list_current_data(select_record(select))) : nullptr;
}

const char* entry_label(int32_t m)
{
    switch (m) {
    case BROWSER_SAVE_REPLAY: return "Enter New Replay Filename:";
    case BROWSER_SAVE_GAME: return "Enter New Game Filename:";
    case BROWSER_SAVE_FORMATION:
    case BROWSER_LOAD_TEAM: return "Enter New Formation Filename:";
    case BROWSER_SAVE_TEAM: return "Enter a name for your team:";
    default: return "Display files of type:";
    }
}

// The text the entry field starts with.
void fill_entry(int32_t m)
{
    fb.entry[0] = 0;
    if (m == BROWSER_SAVE_REPLAY || m == BROWSER_SAVE_GAME) {
        const bool replay = m == BROWSER_SAVE_REPLAY;
        std::snprintf(fb.entry, sizeof fb.entry, replay ? "Replay%03d.replay" : "Game%03d.game",
                      next_free_numbered_name(replay ? "replay" : "game"));
    } else if (m == BROWSER_SAVE_FORMATION) {
        std::snprintf(fb.entry, sizeof fb.entry, "user formation");
    } else if (m == BROWSER_SAVE_TEAM) {
        std::snprintf(fb.entry, sizeof fb.entry, "custom team");
    } else if (m == BROWSER_DELETE) {
        std::snprintf(fb.entry, sizeof fb.entry, "*.GAME, *.REPLAY");
    } else if (!directory_mode(m)) {
        std::snprintf(fb.entry, sizeof fb.entry, "%s", k_modes[m].pattern);
    }
}

// The data path as a directory of this machine: a game-style name lies
// below the user directory.
std::string start_directory(int32_t m)
{
    const settings_record& s = user_settings;
    const char* path = m == BROWSER_INSTALL_PATH ? s.install_directory : s.data_directory;
    const size_t limit = m == BROWSER_INSTALL_PATH ? sizeof s.install_directory : sizeof s.data_directory;
    std::string dir = saved_file_on_disk(std::string(path, strnlen(path, limit)).c_str());
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec); // where saves go must exist
    if (!std::filesystem::is_directory(dir, ec)) dir = host_user_dir();
    return dir;
}

void report_failure()
{
    report_error(-28, nullptr, nullptr, nullptr, nullptr);
    replay_loaded = 0;
    front_end_state.result = 0;
}

std::string g_to_delete;
void delete_chosen_file()
{
    std::error_code ec;
    std::filesystem::remove(saved_file_on_disk(g_to_delete.c_str()), ec);
    set_result_yes();
}

// The name the overwrite question shows and that a formation takes.
std::string stem_of(const std::string& path)
{
    std::string name = last_component(path);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// Modes 3 and 8 ask before a save goes over a file that is there.
bool may_overwrite(const std::string& target)
{
    if (!file_exists_flag(target.c_str())) return true;
    report_error(27, last_component(target).c_str(), nullptr, nullptr, nullptr);
    const bool yes = front_end_state.result == 3;
    front_end_state.result = 0;
    return yes;
}

std::string save_target(int32_t m, const std::string& path)
{
    if (m == BROWSER_SAVE_GAME) return replace_browser_extension(path, "game");
    if (m == BROWSER_SAVE_FORMATION) return replace_browser_extension(path, "frm");
    if (m == BROWSER_SAVE_REPLAY) return replace_browser_extension(path, "replay");
    return path;
}

} // namespace

menu_screen file_browser_screen = {ENTRIES, SCREEN_MENU, g_picture_names, nullptr, 0, &g_entries[ACCEPT],
                                   file_browser_open, browser_close, file_browser_frame, nullptr, 0, 0, 0, 0, 0, 0,
                                   g_entries};

std::string with_browser_extension(const std::string& path, const char* extension)
{
    const size_t slash = path.find_last_of('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.find_last_of('.');
    std::string cut = dot != std::string::npos && dot >= start ? path.substr(0, dot) : path;
    return cut + "." + extension;
}

std::string replace_browser_extension(const std::string& path, const char* extension)
{
    const size_t slash = path.find_last_of('/');
    const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = path.substr(directory.size());
    std::string out(name.size() + std::strlen(extension) + 2, '\0');
    replace_extension(name.c_str(), extension, out.data(), static_cast<uint32_t>(out.size()));
    return directory + out.c_str();
}

void set_browser_background(int32_t m)
{
    browser_mode = m;
    const char* picture = k_modes[mode()].picture;
    std::snprintf(g_pictures[0], sizeof g_pictures[0], "front_en\\front_end_gfx\\menu_screens\\sw\\%s.lbm", picture);
    std::snprintf(g_pictures[1], sizeof g_pictures[1], "front_en\\front_end_gfx\\menu_screens\\hw\\%s.tga", picture);
}

void run_file_browser(int32_t m)
{
    set_browser_background(m);
    run_front_end_screen(&file_browser_screen);
}

void load_formation_dialog() { run_file_browser(BROWSER_LOAD_FORMATION); }
void save_formation_dialog() { run_file_browser(BROWSER_SAVE_FORMATION); }

void file_browser_open(menu_screen* screen)
{
    input_reset();
    const int32_t m = mode();
    set_browser_background(m);
    front_end_state.default_action = result_two;
    std::snprintf(g_title, sizeof g_title, "%s", k_modes[m].title);
    std::snprintf(g_prompt, sizeof g_prompt, "%s", k_modes[m].prompt);
    std::snprintf(g_entry_label, sizeof g_entry_label, "%s", entry_label(m));
    for (int i : {TITLE, PROMPT})
        if (menu_icon* icon = screen->entries[i].copy) update_icon(icon);
    label_back(formation_mode(m) ? "Cancel" : "Back");
    if (menu_icon* back = screen->entries[BACK].copy; back && formation_mode(m)) {
        back->x = static_cast<int16_t>(scale_x_from_640(FORMATION_BACK_X));
        back->y = static_cast<int16_t>(scale_y_from_480(FORMATION_BACK_Y));
        update_icon(back);
    }
    fb.directory = start_directory(m);
    fb.pending_directory.clear();
    fb.rebuild_pending = 0;
    fill_entry(m);
    fb.new_directory[0] = 0;
    create_list(&fb.controls);
    fb.drive_list = make_list({115, 50, 170, 200}, GROUP_DRIVES, 1);
    fb.directory_list = make_list({190, 50, 400, 200}, GROUP_DIRECTORIES, 2);
    fb.file_list = make_list({115, 250, 380, 560}, GROUP_FILES, 3);
    const bool typed = saving_mode(m);
    fb.entry_field = add_text_field(fb.controls, g_entry_label, 250, 420, 300, fb.entry, FIELD_MAX, typed, GROUP_ENTRY);
    fb.new_directory_field = m == BROWSER_INSTALL_PATH ? add_text_field(fb.controls, "New Directory:", 250, 360, 300,
                                                                        fb.new_directory, FIELD_MAX, true, GROUP_ENTRY)
                                                       : nullptr;
    draw_control_tree(fb.entry_field);
    if (fb.new_directory_field) draw_control_tree(fb.new_directory_field);
    build_drives();
    build_lists();
}

void file_browser_frame(menu_screen*)
{
    if (!fb.pending_directory.empty()) {
        const std::string to = fb.pending_directory;
        fb.pending_directory.clear();
        enter_browser_directory(to);
    }
    if (fb.rebuild_pending) {
        fb.rebuild_pending = 0;
        build_lists();
    }
    menu_icon* focus = active_icon_table.focus_icon;
    A_STRING_CONTROL* entry = field_of(fb.entry_field);
    A_STRING_CONTROL* typed_directory = field_of(fb.new_directory_field);
    if ((key_state[KEY_ENTER] & 0x80) && focus) {
        if (entry && focus == &entry->display.text_icon && (entry->settings.flags & STRING_EDITABLE)) {
            key_state[KEY_ENTER] = 0;
            browser_typed_name();
        } else if (typed_directory && focus == &typed_directory->display.text_icon) {
            key_state[KEY_ENTER] = 0;
            new_directory();
        }
    }
    // Delete on a listed file acts on it (mode 4 asks first).
    if ((key_state[KEY_DELETE_CODE] & 0x80) && focus && focus->record && !(focus->flags & ICON_VALUE_KEYS)) {
        const auto* s = static_cast<A_STRING_CONTROL*>(focus->record);
        if (s->self && s->self->parent == fb.file_list && s->settings.text) {
            key_state[KEY_DELETE_CODE] = 0;
            choose_browser_file(s->settings.text);
        }
    }
    update_control_list(fb.controls);
}

void browser_close(menu_screen*)
{
    free_control_tree(&fb.controls);
    fb.drive_list = fb.directory_list = fb.file_list = fb.entry_field = fb.new_directory_field = nullptr;
    fb.drives = fb.directories = fb.files = BrowserList{};
    fb.pending_directory.clear();
    front_end_state.default_action = nullptr;
}

void enter_browser_directory(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec)) return;
    fb.directory = path;
    while (fb.directory.size() > 1 && fb.directory.back() == '/') fb.directory.pop_back();
    if (fb.directory_list) build_lists();
}

void choose_browser_file(const std::string& name)
{
    const int32_t m = mode();
    const std::string path = join_browser_path(fb.directory, name);
    if (saving_mode(m) && !may_overwrite(save_target(m, path))) return;
    browser_action(path);
}

void act_on_browser_file(const std::string& name)
{
    if (icon_input.left_pressed) {
        front_end_state.result = 0;
        return;
    }
    const int32_t m = mode();
    if (m == BROWSER_SAVE_FORMATION)
        if (A_STRING_CONTROL* entry = field_of(fb.entry_field)) set_string_control_text(entry, name.c_str());
    const std::string path = join_browser_path(fb.directory, name);
    if ((m == BROWSER_SAVE_GAME || m == BROWSER_SAVE_FORMATION) && !may_overwrite(save_target(m, path))) return;
    browser_action(path);
}

void browser_typed_name()
{
    const int32_t m = mode();
    A_STRING_CONTROL* entry = field_of(fb.entry_field);
    if (!saving_mode(m) || !entry || !entry->settings.text || !entry->settings.text[0]) return;
    std::string name = entry->settings.text;
    if (m == BROWSER_SAVE_REPLAY && !has_extension(name, "replay")) name += ".replay";
    if (m == BROWSER_SAVE_GAME && !has_extension(name, "game")) name += ".game";
    const std::string path = join_browser_path(fb.directory, name);
    if ((m == BROWSER_SAVE_GAME || m == BROWSER_SAVE_FORMATION) && !may_overwrite(save_target(m, path))) return;
    browser_action(path);
}

void browser_accept()
{
    const int32_t m = mode();
    if (directory_mode(m)) {
        browser_action(fb.directory);
        return;
    }
    if (saving_mode(m)) {
        browser_typed_name();
        return;
    }
    // Nothing is named in the loading modes: accepting leaves the screen open.
    front_end_state.result = 0;
}

void new_directory()
{
    A_STRING_CONTROL* f = field_of(fb.new_directory_field);
    if (!f || !f->settings.text || !f->settings.text[0]) return;
    std::string base = fb.directory;
    if (!make_browser_directory(base, f->settings.text)) {
        report_error(-23, nullptr, nullptr, nullptr, nullptr);
        front_end_state.result = 0;
        return;
    }
    set_string_control_text(f, "");
    enter_browser_directory(base);
}

int32_t browser_action(const std::string& path)
{
    const int32_t m = mode();
    std::string target = path; // the file acted on, named in the report
    int32_t ok = 0, code = 0;
    switch (m) {
    case BROWSER_LOAD_REPLAY:
        target = with_browser_extension(path, "replay");
        ok = load_replay_file(saved_file_on_disk(target.c_str()).c_str());
        code = 24;
        break;
    case BROWSER_LOAD_GAME:
        target = with_browser_extension(path, "game");
        ok = load_game_file(target.c_str());
        code = 23;
        break;
    case BROWSER_SAVE_REPLAY: {
        target = replace_browser_extension(path, "replay");
        int32_t append = 0;
        if (file_exists_flag(target.c_str())) {
            report_error(-31, "Append replay to existing data?", nullptr, nullptr, nullptr);
            append = front_end_state.result == 3;
            front_end_state.result = 0;
        }
        ok = save_replay_file(saved_file_on_disk(target.c_str()).c_str(), append);
        code = 26;
        break;
    }
    case BROWSER_SAVE_GAME:
        target = replace_browser_extension(path, "game");
        ok = save_game_file(target.c_str());
        code = 25;
        break;
    case BROWSER_DELETE:
        g_to_delete = path;
        report_error(has_extension(path, "replay") ? 36 : 37, last_component(path).c_str(), nullptr,
                     delete_chosen_file, nullptr);
        if (front_end_state.result == 3) fb.rebuild_pending = 1;
        front_end_state.result = 0;
        return 1;
    case BROWSER_DATA_PATH:
    case BROWSER_INSTALL_PATH: {
        while (target.size() > 1 && target.back() == '/') target.pop_back();
        char* field = m == BROWSER_DATA_PATH ? user_settings.data_directory : user_settings.install_directory;
        const size_t size =
            m == BROWSER_DATA_PATH ? sizeof user_settings.data_directory : sizeof user_settings.install_directory;
        if (target.size() >= size) break; // too long for its field: refused
        std::snprintf(field, size, "%s", target.c_str());
        front_end_state.result = 1;
        return 1;
    }
    case BROWSER_LOAD_FORMATION: {
        int32_t slot = lineup_state.shown_slot;
        if (slot < 0 || slot >= FORMATION_SLOTS) slot = 0;
        target = with_browser_extension(path, "frm");
        ok = load_formation_file(target.c_str(), formation_slots[slot]);
        code = 41;
        break;
    }
    case BROWSER_SAVE_FORMATION: {
        target = replace_browser_extension(path, "frm");
        int32_t team = lineup_state.team;
        if (team < 0 || team >= LEAGUE_TEAMS) team = 0;
        TeamLineup& record = team_lineups[team];
        std::snprintf(record.name, sizeof record.name, "%s", stem_of(target).c_str());
        ok = save_formation_file(target.c_str(), record);
        code = 42;
        break;
    }
    default: break; // custom teams, badges and strips have no contents here
    }
    if (!ok) {
        report_failure();
        return 0;
    }
    if (m == BROWSER_LOAD_REPLAY) replay_loaded = 1;
    if (m == BROWSER_LOAD_GAME) game_loaded = 1;
    report_error(code, last_component(target).c_str(), nullptr, nullptr, nullptr);
    if (formation_mode(m)) {
        front_end_state.result = 0;
        fb.rebuild_pending = 1;
        label_back("Done");
    } else {
        front_end_state.result = 1;
    }
    return 1;
}

void reset_file_browser()
{
    if (fb.controls) free_control_tree(&fb.controls);
    fb = FileBrowserState{};
    browser_mode = 0;
    replay_loaded = 0;
    g_to_delete.clear();
}
