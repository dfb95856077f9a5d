#include "front_end_fixture.h"
#include "hardware_front_end_fixture.h"

#include "frontend/controller_config.h"
#include "gl3d/gl_fixture.h"
#include "gl3d/hw_camera.h"
#include "gl3d/render_state.h"
#include "gl3d/sprite_sets.h"
#include "gl3d/texture_cache.h"
#include "gl3d/texture_manager.h"
#include "host/host_test_hooks.h"
#include "host/paths.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

TEST(MessageTable, CodesChooseTheMessageAndButtons)
{
    const std::string long_name(3000, 'n');
    const struct {
        int32_t code;
        const char* extra;
        std::string message;
        bool ok, yes_no;
        uint8_t focus;
    } cases[] = {
        {1, nullptr, "Quit to Windows?", false, true, 4},
        {-31, "Save the ladder?", "Save the ladder?", false, true, 4},
        {-30, "Nothing here", "Nothing here", true, false, 1}, // an empty message takes no separator
        {-15, "kob.frm", "File cannot be opened : kob.frm", true, false, 1},
        {39, nullptr, "Replay Deleted Successfully", true, false, 3},
        {7, nullptr, "System Error 7", true, false, 1}, // a gap in the table
        {500, "x", "System Error 500 : x", true, false, 1},
    };
    for (const auto& c : cases) {
        MessageBoxLayout b = message_for_code(c.code, c.extra);
        EXPECT_EQ(b.message, c.message) << c.code;
        EXPECT_EQ(b.ok, c.ok) << c.code;
        EXPECT_EQ(b.yes && b.no, c.yes_no) << c.code;
        EXPECT_EQ(b.focus_kind, c.focus) << c.code;
    }
    MessageBoxLayout b = message_for_code(-15, long_name.c_str());
    EXPECT_EQ(b.message.size(), size_t(MESSAGE_BUFFER_BYTES - 1)) << "a long file name is cut to the buffer";
}

// A parent screen that opens a box from its frame and records the answer.
int32_t g_code;
const char* g_extra;
std::vector<uint8_t> g_answers;
void open_box_frame(menu_screen*)
{
    if (!g_answers.empty()) {
        front_end_state.result = 1;
        return;
    }
    if (g_code == 1) {
        confirm_quit();
    } else {
        report_error(g_code, g_extra, nullptr, nullptr, nullptr);
    }
    g_answers.push_back(front_end_state.result);
    if (front_end_state.result == 0) front_end_state.result = 0; // the parent runs on
}
menu_icon g_parent_icon = text_icon("Parent", 8);
menu_screen_entry g_parent_entries[1] = {{1, &g_parent_icon, 100, 100, nullptr}};
menu_screen g_parent = {1, SCREEN_MENU & ~SCREEN_PICTURE, nullptr, nullptr, 0, &g_parent_entries[0], nullptr, nullptr,
                        open_box_frame, nullptr, 0, 0, 0, 0, 0, 0, g_parent_entries};

struct Box : FrontEnd {
    void SetUp() override
    {
        FrontEnd::SetUp();
        install_common_frames();
    }
    void run(int32_t code, const char* extra, std::function<void(menu_screen*, int)> keys)
    {
        g_code = code;
        g_extra = extra;
        g_answers.clear();
        PointerScript::start(std::move(keys));
        run_front_end_screen(&g_parent);
    }
};

// Presses a key on a frame of the box (not of its parent).
std::function<void(menu_screen*, int)> in_box(std::vector<std::pair<int, uint8_t>> presses)
{
    return [presses](menu_screen* s, int frame) {
        if (s == &g_parent) return;
        for (auto [when, key] : presses)
            if (frame == when) key_state[key] = 0x80;
    };
}

TEST_F(Box, TheQuitQuestionAnsweredNoLeavesTheScreenRunningAndYesGivesThree)
{
    run(1, nullptr, in_box({{3, KEY_ENTER}}));
    ASSERT_EQ(g_answers.size(), 1u);
    EXPECT_EQ(g_answers[0], 0) << "No, the focused answer, keeps the parent running";
    EXPECT_EQ(front_end_state.quit_to_windows, 1);

    run(1, nullptr, in_box({{3, KEY_RIGHT}, {6, KEY_ENTER}}));
    EXPECT_EQ(g_answers[0], 3);
    EXPECT_EQ(front_end_state.error_hook, error_control_callback) << "the engine's box is back";
}

TEST_F(Box, EscAnswersNoInAYesNoBoxAndOkInAnOkBox)
{
    const struct {
        int32_t code;
        uint8_t answer;
    } cases[] = {{2, 4}, {23, 1}, {40, 1}}; // 40 names a Yes its box has not: OK answers
    for (const auto& c : cases) {
        run(c.code, nullptr, in_box({{3, KEY_ESCAPE}}));
        ASSERT_EQ(g_answers.size(), 1u);
        EXPECT_EQ(g_answers[0], c.answer) << c.code;
    }
}

TEST_F(Box, ItsParentIsInertUnderItAndComesBackAfter)
{
    run(23, nullptr, [](menu_screen* s, int frame) {
        if (s == &g_parent || frame != 3) return;
        menu_icon* parent = g_parent_entries[0].copy;
        EXPECT_EQ(parent->state, ICON_INACTIVE);
        EXPECT_TRUE(parent->flags & ICON_INERT);
        EXPECT_NE(active_icon_table.focus_icon, parent);
        key_state[KEY_ENTER] = 0x80;
    });
    EXPECT_EQ(g_answers[0], 1);
    EXPECT_EQ(active_icon_table.count, 0) << "the parent closed after";
}

TEST_F(Box, AShortMessageMakesANarrowBoxAndTwoLinesAWideOne)
{
    run(23, nullptr, in_box({{2, KEY_ENTER}}));
    EXPECT_EQ(message_box_layout.lines, 1);
    EXPECT_LT(message_box_layout.width, 354);
    EXPECT_EQ(message_box_layout.x, (640 - message_box_layout.width) / 2);
    run(16, nullptr, in_box({{2, KEY_ESCAPE}}));
    EXPECT_GE(message_box_layout.lines, 2);
    EXPECT_EQ(message_box_layout.width, 354);
}

TEST_F(Box, TheEngineBoxShowsACopyOfItsMessage)
{
    const char message[] = "DISK FULL\nTRY AGAIN";
    g_answers.clear();
    PointerScript::start(in_box({{2, KEY_ENTER}}));
    EXPECT_EQ(error_control_callback(message, 0), 0);
    EXPECT_STREQ(message, "DISK FULL\nTRY AGAIN") << "the caller's text is not edited";
    EXPECT_EQ(message_box_layout.message, "DISK FULL TRY AGAIN");
    EXPECT_EQ(message_box_layout.width, 254);
    EXPECT_EQ(front_end_state.result, 1);
}

// The box's palette work: the backdrop darkens entries 80 to 127 a
// quarter, and the flag colours come back into 81 to 127 afterwards.
struct BoxPalette : FrontEnd {
    void SetUp() override
    {
        FrontEnd::SetUp();
        for (int i = 0; i < 256; ++i) working_palette[i][0] = 63, working_palette[i][1] = 40, working_palette[i][2] = 3;
        set_palette_6bit(&working_palette[0][0], 0, 256);
    }
    void TearDown() override
    {
        keyboard_config.used_shown = keyboard_config.reserved_shown = 0;
        host_set_data_dir("");
        if (!own_data.empty()) std::filesystem::remove_all(own_data);
        FrontEnd::TearDown();
    }
    void flag_file(size_t colours)
    {
        own_data = host_user_dir() + "/flag-palette-data";
        std::filesystem::remove_all(own_data);
        host_set_data_dir(own_data);
        const std::filesystem::path file = host_data_file(FLAG_PALETTE);
        std::filesystem::create_directories(file.parent_path());
        std::string bytes;
        for (size_t i = 0; i < colours; ++i) bytes += char(i), bytes += char(10), bytes += char(20);
        std::ofstream(file, std::ios::binary) << bytes;
    }
    std::string own_data;
};

TEST_F(BoxPalette, DimmingTakesAQuarterOffEntries80To127UnlessAKeyWarningShows)
{
    dim_palette();
    for (int i : {80, 100, 127}) {
        EXPECT_EQ(working_palette[i][0], 48) << i; // 63 - 15
        EXPECT_EQ(working_palette[i][1], 30) << i;
        EXPECT_EQ(working_palette[i][2], 3) << i << ": a quarter of 3 rounds down to nothing";
        EXPECT_EQ(display_palette[i].red, 48 * 4) << i << " is on the display";
    }
    for (int i : {79, 128}) {
        EXPECT_EQ(working_palette[i][0], 63) << i;
        EXPECT_EQ(display_palette[i].red, 63 * 4) << i;
    }
    for (uint8_t* flag : {&keyboard_config.used_shown, &keyboard_config.reserved_shown}) {
        *flag = 1;
        dim_palette();
        EXPECT_EQ(working_palette[100][0], 48) << "unchanged while a key warning shows";
        *flag = 0;
    }
}

TEST_F(BoxPalette, TheFlagColoursGoBackIntoEntries81To127)
{
    flag_file(47);
    load_flag_palette();
    EXPECT_EQ(working_palette[81][0], 0);
    EXPECT_EQ(working_palette[127][0], 46);
    EXPECT_EQ(working_palette[127][2], 20);
    EXPECT_EQ(display_palette[127].red, 46 * 4);
    EXPECT_EQ(working_palette[80][0], 63);
    EXPECT_EQ(working_palette[128][0], 63);
    // A longer file gives no more than 47; a shorter one only what it holds.
    flag_file(60);
    load_flag_palette();
    EXPECT_EQ(working_palette[128][0], 63);
    for (int i = 0; i < 256; ++i) working_palette[i][0] = 63;
    flag_file(10);
    load_flag_palette();
    EXPECT_EQ(working_palette[90][0], 9);
    EXPECT_EQ(working_palette[91][0], 63);
}

// The box on the 3D display against the recording device, with the kit's
// fonts, common set and backdrop texture.
struct HardwareBox : HardwareFrontEnd {};

TEST_F(HardwareBox, TheShadeIsDrawnUnderTheBoxNotOverIt)
{
    g_code = 1;
    g_answers.clear();
    PointerScript::start(in_box({{6, KEY_ENTER}}));
    run_front_end_screen(&g_parent);
    ASSERT_EQ(g_answers.size(), 1u);
    const MessageBoxLayout& b = message_box_layout;
    const auto inside_box = [&](const RecordedCall& d) {
        float cx = 0, cy = 0;
        for (const HostTLVertex& v : d.vertices) cx += v.x, cy += v.y;
        cx /= float(d.vertices.size()), cy /= float(d.vertices.size());
        return cx > b.x && cx < b.x + b.width && cy > b.y && cy < b.y + b.height;
    };
    // Each frame of the box: the shade (its vertices a quarter see-through),
    // then the question and the two answers over it.
    int shaded_frames = 0;
    for (size_t i = 0; i < device.calls.size(); ++i) {
        const RecordedCall& d = device.calls[i];
        if (d.kind != RecordedCall::DRAW || d.vertices.empty() || d.vertices[0].diffuse >> 24 != 192) continue;
        ++shaded_frames;
        int over = 0;
        for (size_t k = i + 1; k < device.calls.size() && device.calls[k].kind != RecordedCall::END_SCENE; ++k)
            if (device.calls[k].kind == RecordedCall::DRAW && !device.calls[k].vertices.empty() && inside_box(device.calls[k]))
                ++over;
        EXPECT_GE(over, 2) << "the text and the buttons come after the shade in frame " << shaded_frames;
    }
    EXPECT_GT(shaded_frames, 0) << "the box was shaded";
}

} // namespace
