#include "control_fixture.h"

#include "frontend/controller_config.h"
#include "frontend/frame_manifest.h"
#include "frontend/resources.h"
#include "frontend/screen_templates.h"
#include "frontend/select_controller.h"
#include "match/match_records.h"

#include <cstring>
#include <string>

namespace {

struct SelectController : Controls {
    int32_t saved_joysticks = 0, saved_mouse = 0, saved_keyboard = 0;
    GameSettings saved_game{};
    void SetUp() override
    {
        Controls::SetUp();
        saved_joysticks = joystick_controllers, saved_mouse = mouse_controller, saved_keyboard = keyboard_controller;
        saved_game = game_settings;
        reset_select_controller();
        install_common_frames();
        install_control_frames();
        std::memset(game_settings.controller_player_names, 0, sizeof game_settings.controller_player_names);
        use(2);
    }
    void TearDown() override
    {
        reset_select_controller();
        joystick_probe = machine_joysticks;
        for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) set_controller_side(r, 0);
        joystick_controllers = saved_joysticks, mouse_controller = saved_mouse, keyboard_controller = saved_keyboard;
        game_settings = saved_game;
        Controls::TearDown();
    }
    static void use(int32_t joysticks)
    {
        joystick_controllers = joysticks, mouse_controller = joysticks, keyboard_controller = joysticks + 1;
    }
    static control* row(control* list, int32_t i) { return static_cast<control*>(list_nth(list_record(list)->settings.items, i)->data); }
    static std::string text(const control* c) { return string_record(c)->settings.text; }
    // Picks the row up, carries the pointer to (x, y) and lets go.
    static void drag(control* from, int32_t x, int32_t y)
    {
        icon_input = IconInput{};
        icon_input.x = control_screen_x(from) + 2, icon_input.y = control_screen_y(from) + 2;
        icon_input.left_down = true;
        start_drag(from);
        icon_input.x = x, icon_input.y = y;
        select_controller_frame();
        icon_input.left_down = false;
        select_controller_frame();
    }
};

TEST_F(SelectController, ATypedNameJoinsThePoolAndIsDroppedOntoAController)
{
    select_controller_open(nullptr);
    SelectControllerScreen& sc = select_controller_state;
    EXPECT_EQ(list_record(sc.controllers_list)->settings.items->count, 3) << "two joysticks and the keyboard";
    A_STRING_CONTROL* entry = string_record(list_current_data(select_record(sc.entry)));
    set_string_control_text(entry, "Ada");
    name_entered();
    EXPECT_EQ(name_pool.count, 1);
    EXPECT_STREQ(name_pool.names[0], "Ada");
    EXPECT_EQ(entry->settings.length, 0) << "the entry is cleared";
    // Onto the second joystick's row.
    const control* target = row(sc.controllers_list, 1);
    drag(row(sc.names_list, 0), control_screen_x(target) + 5, control_screen_y(target));
    EXPECT_STREQ(game_settings.controller_player_names[1], "Ada");
    EXPECT_EQ(name_pool.count, 0);
    EXPECT_EQ(text(row(sc.controllers_list, 1)), "Ada");
    select_controller_close(nullptr);
}

// Each controller row shows its kind: the multi-port adapter by its name,
// a pad of four buttons, a stick otherwise, the keyboard last.
TEST_F(SelectController, EachControllerRowShowsTheIconOfItsKind)
{
    use(3);
    joystick_probe.buttons = [](int32_t j) { return j == 0 ? 6 : 2; };
    joystick_probe.multiport = [](int32_t j) { return j == 2; };
    select_controller_open(nullptr);
    const uint8_t kinds[4] = {CONTROLLER_PAD, CONTROLLER_STICK, CONTROLLER_MULTIPORT, CONTROLLER_KEYS};
    for (int32_t r = 0; r < 4; ++r) {
        menu_icon expected;
        sprite_template(&expected, HANDLE_CONTROLLERS, kinds[r], false, 0);
        ASSERT_NE(select_controller_state.row_icons[r], nullptr) << r;
        EXPECT_EQ(select_controller_state.row_icons[r]->states[0].frame, expected.states[0].frame) << "row " << r;
    }
    select_controller_close(nullptr);
}

TEST_F(SelectController, ADropOnANamedControllerSwapsAndTheOldNameReturnsToThePool)
{
    std::strcpy(game_settings.controller_player_names[0], "Old");
    std::strcpy(name_pool.names[0], "New");
    name_pool.count = 1;
    select_controller_open(nullptr);
    SelectControllerScreen& sc = select_controller_state;
    const control* target = row(sc.controllers_list, 0);
    drag(row(sc.names_list, 0), control_screen_x(target) + 5, control_screen_y(target));
    EXPECT_STREQ(game_settings.controller_player_names[0], "New");
    ASSERT_EQ(name_pool.count, 1);
    EXPECT_STREQ(name_pool.names[0], "Old");
    // And a controller's name dragged back into the names list.
    drag(row(sc.controllers_list, 0), 60, 300);
    EXPECT_EQ(game_settings.controller_player_names[0][0], 0);
    EXPECT_EQ(name_pool.count, 2);
    select_controller_close(nullptr);
}

TEST_F(SelectController, AMissFliesBackOverItsFramesAndACloseDropReturnsAtOnce)
{
    std::strcpy(name_pool.names[0], "Zed");
    name_pool.count = 1;
    select_controller_open(nullptr);
    SelectControllerScreen& sc = select_controller_state;
    control* source = row(sc.names_list, 0);
    const int32_t x = control_screen_x(source), y = control_screen_y(source);
    drag(source, x + 2 + 200, y + 2); // 200 units right of the row, clear of both lists
    EXPECT_EQ(drag_state.fly_back, 10) << "trunc(0.5 + 200 / 20)";
    EXPECT_EQ(text(source), "");
    for (int i = 0; i < 10; ++i) select_controller_step(nullptr);
    EXPECT_EQ(text(source), "Zed");
    EXPECT_EQ(name_pool.count, 1);
    drag(source, x + 2 + 5, y + 2);
    EXPECT_EQ(drag_state.fly_back, 0);
    EXPECT_EQ(text(source), "Zed") << "under 10 units: back at once";
    select_controller_close(nullptr);
}

TEST_F(SelectController, ADropBelowTheKeyboardRowIsRefused)
{
    use(0);
    std::strcpy(name_pool.names[0], "Kay");
    name_pool.count = 1;
    select_controller_open(nullptr);
    SelectControllerScreen& sc = select_controller_state;
    EXPECT_EQ(list_record(sc.controllers_list)->settings.items->count, 1) << "only the keyboard";
    const control* keyboard = row(sc.controllers_list, 0);
    drag(row(sc.names_list, 0), control_screen_x(keyboard) + 5, control_screen_y(keyboard) + 150);
    EXPECT_EQ(game_settings.controller_player_names[0][0], 0);
    EXPECT_GT(drag_state.fly_back, 0);
    select_controller_close(nullptr);
}

TEST_F(SelectController, TheTypedNameCanBeDraggedStraightOntoAController)
{
    select_controller_open(nullptr);
    SelectControllerScreen& sc = select_controller_state;
    control* entry = list_current_data(select_record(sc.entry));
    set_string_control_text(string_record(entry), "Bo");
    const control* keyboard = row(sc.controllers_list, 2);
    drag(entry, control_screen_x(keyboard) + 5, control_screen_y(keyboard));
    EXPECT_STREQ(game_settings.controller_player_names[2], "Bo");
    EXPECT_EQ(name_pool.count, 0) << "nothing left the pool";
    EXPECT_EQ(string_record(entry)->settings.length, 0);
    select_controller_close(nullptr);
}

TEST_F(SelectController, AFullPoolDropsNames)
{
    for (int i = 0; i < NAME_POOL_SIZE; ++i) std::snprintf(name_pool.names[i], NAME_BYTES, "P%d", i);
    name_pool.count = NAME_POOL_SIZE;
    select_controller_open(nullptr);
    A_STRING_CONTROL* entry = string_record(list_current_data(select_record(select_controller_state.entry)));
    set_string_control_text(entry, "Extra");
    name_entered();
    EXPECT_EQ(name_pool.count, NAME_POOL_SIZE);
    EXPECT_EQ(entry->settings.length, 0) << "dropped, and the entry cleared all the same";
    select_controller_close(nullptr);
}

TEST_F(SelectController, SideTextsNameTheControllersOrSayCPU)
{
    EXPECT_EQ(controller_list_text(-1), "CPU");
    set_controller_side(0, -1);
    set_controller_side(keyboard_controller, -1);
    EXPECT_EQ(controller_list_text(-1), "Joystick 1, Keyboard");
    std::strcpy(game_settings.controller_player_names[2], "Kim"); // the keyboard's entry
    EXPECT_EQ(controller_list_text(-1), "Joystick 1, Kim");
    std::string long_name(150, 'n');
    std::snprintf(game_settings.controller_player_names[0], 256, "%s", long_name.c_str());
    EXPECT_EQ(controller_list_text(-1).size(), 100u);
    EXPECT_EQ(controller_name_text("A", "B", true, 0), "A, B");
}

TEST_F(SelectController, StatisticsLinesKeepTheirLengthWithPositionCodes)
{
    select_font(1);
    char out[128];
    format_statistics_line("Kicks", "12", "9", out, sizeof out);
    // The codes' high bytes are 0: the text is measured by its bytes.
    EXPECT_EQ(out[std::strlen("Kicks   9   12")], 0);
    EXPECT_EQ(std::string(out + 12), "12");
    EXPECT_EQ(out[8], '9');
    EXPECT_EQ(out[5], 2);
    const int32_t x1 = static_cast<uint8_t>(out[6]) | static_cast<uint8_t>(out[7]) << 8;
    EXPECT_EQ(x1, 244 - string_width("9") / 2);
    EXPECT_EQ(out[9], 2);
    const int32_t x2 = static_cast<uint8_t>(out[10]) | static_cast<uint8_t>(out[11]) << 8;
    EXPECT_EQ(x2, 488 - string_width("12"));
}

TEST_F(SelectController, ThePlayersPanelShowsTheSideInASelect)
{
    set_controller_side(1, 1);
    draw_side_players_panel(screen_list, 300, 200, 1);
    ASSERT_EQ(screen_list->count, 1);
    const A_SELECT_CONTROL* s = select_record(static_cast<control*>(screen_list->first->data));
    EXPECT_STREQ(s->settings.label_text, "Players:");
    EXPECT_EQ(text(list_current_data(s)), "Joystick 2");
    EXPECT_EQ(s->settings.x, 305);
}

} // namespace
