#include "frontend/hints.h"

#include "frontend/control_events.h"
#include "frontend/front_end_state.h"
#include "frontend/screen_templates.h"
#include "frontend/settings_screens.h"
#include "match/match_records.h"
#include "platform/controllers.h"
#include "platform/files.h"
#include "platform/language.h"
#include "platform/memory.h"
#include "screen/fonts.h"

#include <cstring>
#include <vector>

HintsState hints_state;
const char* in_game_menu_pictures[2];
int32_t match_stage;

namespace {

constexpr uint32_t READ_PIECE = 256;
constexpr uint32_t RUN_ON_LENGTH = 53;
constexpr uint32_t MISSING_LINE_BYTES = 256;
const int32_t k_heading_lines[] = {0, 7, 22, 33, 55, 65, 74};

menu_icon g_back_two, g_back_one, g_picture;
menu_icon g_front_title = text_template("KOB 99 - Hints And Tips", 3);
menu_icon g_in_game_title = text_template("Hints And Tips", 3);
menu_screen_entry g_front_entries[2] = {{1, &g_back_two, 50, 450, nullptr}, {0, &g_front_title, 20, 20, nullptr}};
menu_screen_entry g_in_game_entries[4] = {
    {0, &g_picture, -60, 55, nullptr},
    {0, &g_picture, 1596, 436, nullptr},
    {0, &g_in_game_title, 20, 20, nullptr},
    {1, &g_back_one, 560, 450, nullptr},
};
const char* const k_front_pictures[2] = {"front_en\\front_end_gfx\\menu_screens\\sw\\hints2.lbm",
                                         "front_en\\front_end_gfx\\menu_screens\\hw\\hints2.tga"};
const char* const k_in_game_pictures[2] = {"front_en\\front_end_gfx\\menu screens\\wim_back6.lbm", nullptr};

bool is_heading(int32_t line)
{
    for (int32_t h : k_heading_lines)
        if (h == line) return true;
    return false;
}

void build_list(char** lines, int32_t count, bool headings)
{
    if (!hints_state.controls) create_list(&hints_state.controls);
    control* t = nullptr;
    create_control(CONTROL_LIST, &t);
    A_LIST_CONTROL* l = list_record(t);
    l->settings.clip_window = 1;
    l->settings.window = {130, 130, 380, 530};
    l->settings.x = 130, l->settings.y = 130;
    l->settings.item_spacing = 8;
    l->settings.vslider_x = 102, l->settings.vslider_y = 255;
    l->settings.hslider_x = 330, l->settings.hslider_y = 420;
    fill_scroll_slider_template(&l->display.hslider_template, false, ICON_FOCUSABLE, 5);
    fill_scroll_slider_template(&l->display.vslider_template, true, ICON_FOCUSABLE, 6);
    control* list = nullptr;
    create_control_from_template(hints_state.controls, nullptr, CONTROL_LIST, t, &list);
    free_control_data(&t);
    for (int32_t i = 0; i < count; ++i) {
        control* st = nullptr;
        create_control(CONTROL_STRING, &st);
        A_STRING_CONTROL* s = string_record(st);
        set_string_control_styles(s, headings && is_heading(i) ? &heading_text_template : &body_text_template, nullptr);
        s->settings.text = lines[i];
        s->settings.max_length = 6;
        s->settings.blink_half_period = 10;
        control* row = nullptr;
        create_control_from_template(list_record(list)->settings.items, list, CONTROL_STRING, st, &row);
        free_control_data(&st);
    }
    draw_control_list(hints_state.controls);
}

// The layout of a prefix of the text: its lines, copied.
std::vector<std::string> lay_out(const std::string& text, size_t length)
{
    std::vector<std::string> out;
    if (length == 0) return out;
    char* lines[MAX_TEXT_LINES] = {};
    int32_t count = 0;
    format_text_lines(lines, &count, text.substr(0, length).c_str(), HINTS_WIDTH, HINTS_FONT);
    for (int32_t i = 0; i < count; ++i) out.emplace_back(lines[i] ? lines[i] : "");
    if (count) free_text_lines();
    // The text's own last line feed ends no line.
    if (!out.empty() && !out.back().empty() && out.back().back() == '\n') out.back().pop_back();
    return out;
}

// Where paragraph k of the text ends (after its line feed).
size_t paragraph_end(const std::string& text, size_t k)
{
    size_t at = 0;
    for (size_t i = 0; i < k && at < text.size(); ++i) {
        const size_t feed = text.find('\n', at);
        at = feed == std::string::npos ? text.size() : feed + 1;
    }
    return at;
}

// Reads, joins and wraps the file, then builds the list.
void read_and_build(bool headings)
{
    const char* name = data_path(HINTS_FILE);
    if (!file_exists(name)) {
        if (!hints_state.missing_line) hints_state.missing_line = static_cast<char*>(alloc_mem(MISSING_LINE_BYTES, "hints line"));
        std::strncpy(hints_state.missing_line, NO_HINTS_TEXT, MISSING_LINE_BYTES - 1);
        hints_state.missing_line[MISSING_LINE_BYTES - 1] = 0;
        char* line = hints_state.missing_line;
        build_list(&line, 1, headings);
        return;
    }
    std::string text;
    // An empty file is no hints at all, not a broken one.
    if (get_filelength(name) > 0) {
        uint32_t size = 0;
        uint8_t* data = load_file(name, &size);
        text = join_hints_text(data, size);
        free_mem(data);
    }
    const std::vector<std::string> wrapped = wrap_hints_text(text);
    std::vector<char*> lines;
    for (const std::string& l : wrapped) lines.push_back(const_cast<char*>(l.c_str()));
    build_list(lines.data(), static_cast<int32_t>(lines.size()), headings);
}

void clear_hints()
{
    free_control_tree(&hints_state.controls);
    if (hints_state.missing_line) free_mem(hints_state.missing_line);
    hints_state.missing_line = nullptr;
    front_end_state.default_action = nullptr;
}

} // namespace

menu_screen hints_screen = {2, SCREEN_MENU, k_front_pictures, nullptr, 0, &g_front_entries[0], hints_screen_open,
                            hints_screen_close, nullptr, nullptr, 0, 0, 0, 0, 0, 0, g_front_entries};
menu_screen in_game_hints_screen = {4, SCREEN_MENU, k_in_game_pictures, nullptr, 0, &g_in_game_entries[3], hints_open,
                                    hints_close, hints_frame, nullptr, 0, 0, 0, 0, 0, 0, g_in_game_entries};

std::string join_hints_text(const uint8_t* data, uint32_t size)
{
    std::string joined;
    std::string line;
    auto finish = [&](bool ended) {
        if (ended) line += '\n';
        if (ended && line.size() > RUN_ON_LENGTH) line.back() = ' ';
        joined += line;
        line.clear();
    };
    for (uint32_t i = 0; i < size; ++i) {
        const uint8_t c = data[i];
        if (c == '\r') continue;
        if (c == '\n') {
            finish(true);
            continue;
        }
        line += static_cast<char>(c < 32 || c == 127 ? ' ' : c);
        if (line.size() == READ_PIECE) finish(false); // a longer line is read in pieces
    }
    if (!line.empty()) finish(false);
    return joined;
}

std::vector<std::string> wrap_hints_text(const std::string& text)
{
    // The layout crams what passes its last line into that line; only the
    // first 500 lines are shown, so the text is cut at a paragraph end
    // before that can happen.
    size_t paragraphs = 0;
    for (char c : text) paragraphs += c == '\n';
    if (text.empty() || text.back() != '\n') ++paragraphs;
    size_t k = paragraphs < static_cast<size_t>(MAX_TEXT_LINES) ? paragraphs : MAX_TEXT_LINES;
    std::vector<std::string> lines = lay_out(text, paragraph_end(text, k));
    if (static_cast<int32_t>(lines.size()) < MAX_TEXT_LINES) return lines;
    size_t low = 0, high = k; // low paragraphs fit in fewer than 500 lines
    while (low + 1 < high) {
        const size_t mid = (low + high) / 2;
        if (static_cast<int32_t>(lay_out(text, paragraph_end(text, mid)).size()) < MAX_TEXT_LINES) low = mid;
        else high = mid;
    }
    const size_t cut = paragraph_end(text, low);
    lines = lay_out(text, cut);
    const std::vector<std::string> next = lay_out(text.substr(cut), paragraph_end(text.substr(cut), 1));
    for (const std::string& l : next) {
        if (static_cast<int32_t>(lines.size()) >= MAX_TEXT_LINES) break;
        lines.push_back(l);
    }
    return lines;
}

void prepare_hints_screens()
{
    prepare_control_templates();
    common_button_templates(nullptr, &g_back_two, &g_picture);
    g_picture.flags = 0x4000;
    g_back_one = g_back_two;
    g_back_one.result_code = 1;
}

void load_hints_text() { read_and_build(false); }

void build_hints_list(char** lines, int32_t count) { build_list(lines, count, false); }
void build_hints_list_with_headings(char** lines, int32_t count) { build_list(lines, count, true); }

void hints_screen_open(menu_screen*)
{
    input_reset();
    screen_busy_flag = 0;
    load_hints_text();
    if (g_front_entries[0].copy) set_focus_icon(g_front_entries[0].copy);
}

// The front end's screen frees its list too: it is built at every opening.
void hints_screen_close(menu_screen*) { clear_hints(); }

void hints_open(menu_screen*)
{
    input_reset();
    front_end_state.default_action = nullptr;
    read_and_build(true);
}

void hints_frame(menu_screen*)
{
    read_keyboard_controller();
    update_control_list(hints_state.controls);
}

void hints_close(menu_screen*) { clear_hints(); }

void choose_in_game_menu_picture()
{
    const bool difficulty = match_stage == 0 && (game_settings.game_type == GAME_EXHIBITION || game_settings.game_type == GAME_TRAINING);
    in_game_menu_pictures[0] = difficulty ? "front_en\\front_end_gfx\\menu_screens\\sw\\In game menu with difficulty setting.lbm"
                                          : "front_en\\front_end_gfx\\menu_screens\\sw\\In game menu.lbm";
    in_game_menu_pictures[1] = difficulty ? "front_en\\front_end_gfx\\menu_screens\\hw\\In game menu with difficulty setting.tga"
                                          : "front_en\\front_end_gfx\\menu_screens\\hw\\In game menu.tga";
}

void reset_hints()
{
    clear_hints();
    match_stage = 0;
}
