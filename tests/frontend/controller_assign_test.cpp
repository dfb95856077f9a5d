#include "front_end_fixture.h"

#include "frontend/competition.h"
#include "league/game_settings.h"
#include "host/clock.h"
#include "match/match_records.h"

#include <vector>

namespace {

// Six joysticks no device stands behind (so no buttons: the stick's look)
// and the keyboard after the mouse.
struct Controllers : FrontEnd {
    int32_t saved_joysticks = 0, saved_mouse = 0, saved_keyboard = 0;
    void SetUp() override
    {
        FrontEnd::SetUp();
        saved_joysticks = joystick_controllers;
        saved_mouse = mouse_controller;
        saved_keyboard = keyboard_controller;
        use(6);
        game_settings.home_team = 0;
        game_settings.away_team = 9;
        for (int32_t& t : game_settings.controller_team_table) t = -1;
    }
    void TearDown() override
    {
        joystick_controllers = saved_joysticks;
        mouse_controller = saved_mouse;
        keyboard_controller = saved_keyboard;
        for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) set_controller_side(r, 0);
        game_settings.game_type = GAME_DEMO;
        reset_competition_state();
        FrontEnd::TearDown();
    }
    static void use(int32_t joysticks)
    {
        joystick_controllers = joysticks;
        mouse_controller = joysticks;
        keyboard_controller = joysticks + 1;
        for (int32_t r = 0; r < CONTROLLER_RECORDS; ++r) set_controller_side(r, 0);
    }
    static void settle()
    {
        front_end_state.frame_ticks = 100;
        for (controller_icon_entry& e : controller_screen.entries) {
            if (e.motion == TO_HOME) e.x = 191, e.motion = AT_REST, e.position = AT_HOME;
            if (e.motion == TO_AWAY) e.x = 451, e.motion = AT_REST, e.position = AT_AWAY;
            if (e.motion == TO_CENTRE) e.x = 321, e.motion = AT_REST, e.position = AT_CENTRE;
        }
    }
};

TEST_F(Controllers, EntriesAreTheJoysticksThenTheKeyboardDownTheCentre)
{
    build_controller_entries();
    ASSERT_EQ(controller_screen.entry_count, 7);
    for (int32_t i = 0; i < 7; ++i) {
        const controller_icon_entry& e = controller_screen.entries[i];
        EXPECT_EQ(e.x, 321);
        EXPECT_EQ(e.y, 180 + 77 * i);
        EXPECT_EQ(e.position, AT_CENTRE);
        EXPECT_EQ(e.kind, i < 6 ? KIND_STICK : KIND_KEYBOARD) << "a pad without buttons looks like a stick";
    }
    EXPECT_EQ(controller_screen.entries[6].record, keyboard_controller);
    EXPECT_EQ(controller_screen.button_counts[6], 8u);
}

TEST_F(Controllers, AFifthControllerToATeamIsRefusedWithItsMessage)
{
    build_controller_entries();
    for (int32_t i = 0; i < 5; ++i) {
        move_controller(i, DIR_LEFT);
        settle();
    }
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(controller_side(i), -1) << i;
    EXPECT_EQ(controller_side(4), 0) << "the fifth stays out";
    EXPECT_EQ(controller_screen.entries[4].motion, AT_REST);
    EXPECT_EQ(game_settings.controller_team_table[4], -1);
    EXPECT_EQ(controller_screen.message_code, 5);
    show_controller_message();
    EXPECT_STREQ(controller_screen.message, "Cannot Assign More Than Four Controllers To A Team");

    move_controller(4, DIR_RIGHT);
    EXPECT_EQ(controller_side(4), 1) << "the other team still takes it";
    EXPECT_EQ(game_settings.controller_team_table[4], 9);
    EXPECT_EQ(game_settings.controller_team_table[0], 0);
}

TEST_F(Controllers, ASlidingEntryDoesNotMoveAndAHeldKeyCarriesItOnAcross)
{
    build_controller_entries();
    move_controller(0, DIR_LEFT);
    EXPECT_EQ(controller_screen.entries[0].motion, TO_HOME);
    move_controller(0, DIR_RIGHT);
    EXPECT_EQ(controller_screen.entries[0].motion, TO_HOME) << "still sliding: nothing";
    settle();
    move_controller(0, DIR_RIGHT);
    EXPECT_EQ(controller_screen.entries[0].motion, TO_CENTRE);
    EXPECT_EQ(controller_side(0), 0);
    settle();
    move_controller(0, DIR_RIGHT); // still held when it rests
    EXPECT_EQ(controller_side(0), 1);
}

// The screen itself: opened, moved by the keyboard's own keys, backed out.
TEST_F(Controllers, BackRestoresTheSidesButNotTheTeamTable)
{
    use(0);
    set_controller_default_action(0);
    install_common_frames();
    prepare_controller_screen();
    std::vector<int32_t> rows_seen;
    PointerScript::start([&](menu_screen* s, int frame) {
        if (s != &controller_assign_screen) return;
        if (frame == 2) {
            rows_seen.push_back(controller_screen.entry_count);
            move_controller(0, DIR_RIGHT);
        }
        if (frame == 40) key_state[KEY_ESCAPE] = 0x80;
    });
    run_front_end_screen(&controller_assign_screen);
    EXPECT_EQ(rows_seen, (std::vector<int32_t>{1})) << "only the keyboard";
    EXPECT_EQ(front_end_state.result, 2);
    EXPECT_EQ(controller_side(keyboard_controller), 0) << "Esc backs out like Back";
    EXPECT_EQ(game_settings.controller_team_table[0], 9) << "the team table keeps what was written";
    EXPECT_EQ(front_end_state.controllers_changed, 2);
    EXPECT_EQ(active_icon_table.count, 0) << "every icon the screen added is gone";
    EXPECT_EQ(front_end_state.default_action, nullptr);
}

TEST_F(Controllers, AnAssignedControllerSlidesToItsSideWhenTheScreenOpens)
{
    use(0);
    set_controller_side(keyboard_controller, -1);
    set_controller_default_action(0);
    prepare_controller_screen();
    PointerScript::start([&](menu_screen* s, int) {
        if (s != &controller_assign_screen) return;
        host_sleep_ms(5); // the slide runs on the 60 Hz clock
        if (controller_screen.entries[0].motion == AT_REST && controller_screen.entries[0].position == AT_HOME)
            front_end_state.result = 1;
    });
    run_front_end_screen(&controller_assign_screen);
    EXPECT_EQ(controller_screen.entries[0].position, AT_HOME);
    EXPECT_EQ(controller_screen.entries[0].x, 191);
    EXPECT_EQ(game_settings.controller_team_table[0], 0);
    EXPECT_EQ(controller_side(keyboard_controller), -1) << "play keeps the assignment";
}

TEST_F(Controllers, ScrollingStopsWithTheLastEntryInTheBottomRow)
{
    build_controller_entries();
    int32_t scrolls = 0;
    for (int32_t attempt = 0; attempt < 10; ++attempt) {
        scroll_controller_rows_down();
        if (!controller_screen.scroll_active) break;
        ++scrolls;
        front_end_state.frame_ticks = 1;
        for (int f = 0; f < 17; ++f) controller_assign_frame(nullptr);
    }
    EXPECT_EQ(controller_screen.first_visible, 3) << "seven entries: rows 3 to 6 last";
    EXPECT_EQ(scrolls, 3);
    EXPECT_EQ(controller_screen.entries[0].y, 180 - 3 * 75) << "75 units a scroll over 77-unit rows";
    scroll_controller_rows_up();
    EXPECT_TRUE(controller_screen.scroll_active);
}

TEST_F(Controllers, TheClickHintShowsOnceARunAndMessagesRevertToIt)
{
    controller_screen.message_code = 3;
    show_controller_message();
    EXPECT_STREQ(controller_screen.message, "Click On The Controller To Reassign Its Buttons");
    controller_screen.message[0] = 0;
    controller_screen.message_code = 3;
    show_controller_message();
    EXPECT_STREQ(controller_screen.message, "") << "only once a run";
    controller_screen.message_code = 1;
    show_controller_message();
    EXPECT_STREQ(controller_screen.message, "Home Team");
    controller_screen.message_time -= 2800;
    show_controller_message();
    EXPECT_STREQ(controller_screen.message, "Click On The Controller To Reassign Its Buttons");

    // A message shown at 0 ms on the clock reverts like any other.
    static uint32_t now;
    now = 0;
    host_set_clock([] { return now; });
    controller_screen.message_code = 2;
    show_controller_message();
    now = 2799;
    show_controller_message();
    EXPECT_STREQ(controller_screen.message, "Away Team");
    now = 2800;
    show_controller_message();
    host_set_clock(nullptr);
    EXPECT_STREQ(controller_screen.message, "Click On The Controller To Reassign Its Buttons");
}

// With no controller at all the first row still has its arrows.
TEST_F(Controllers, WithNoEntryTheFirstRowKeepsItsArrows)
{
    use(0);
    keyboard_controller = -1;
    set_controller_default_action(0);
    prepare_controller_screen();
    int32_t entries = -1, icons = -1;
    PointerScript::start([&](menu_screen* s, int frame) {
        if (s != &controller_assign_screen || frame != 2) return;
        entries = controller_screen.entry_count;
        icons = active_icon_table.count;
        front_end_state.result = 1;
    });
    run_front_end_screen(&controller_assign_screen);
    EXPECT_EQ(entries, 0);
    // Title, play, hint, back, two badges, message and the two arrows.
    EXPECT_EQ(icons, 9);
    EXPECT_EQ(active_icon_table.count, 0);
}

// Slid to a side, an icon keeps its own highlight: the click hint outside a
// competition, none in one.
TEST_F(Controllers, ASlidIconKeepsItsHighlightOfTheVariant)
{
    use(1);
    prepare_controller_screen();
    for (bool competition : {false, true}) {
        SCOPED_TRACE(competition);
        game_settings.game_type = competition ? GAME_PREMIERSHIP : GAME_EXHIBITION;
        competition_state.kinds[game_settings.home_team] = KIND_HUMAN;
        set_controller_side(0, 0);
        build_controller_entries();
        competition ? create_controller_icons_tournament() : create_controller_icons();
        const IconFn before = controller_screen.entries[0].icon->states[ICON_FOCUSED].handler;
        EXPECT_EQ(before == nullptr, competition);
        competition ? move_controller_tournament(0, DIR_LEFT) : move_controller(0, DIR_LEFT);
        front_end_state.frame_ticks = 100;
        animate_controller_icons();
        EXPECT_EQ(controller_screen.entries[0].position, AT_HOME);
        EXPECT_EQ(controller_screen.entries[0].icon->states[ICON_FOCUSED].handler, before);
        controller_assign_close(nullptr);
    }
}

// The exit question as the default action: No keeps the screen running,
// Yes ends it with 3.
menu_icon g_plain_icon = text_icon("Plain", 1);
menu_screen_entry g_plain_entries[1] = {{1, &g_plain_icon, 100, 100, nullptr}};
void confirm_on_esc(menu_screen*) { front_end_state.default_action = controller_back_confirm; }
menu_screen g_plain = {1, SCREEN_MENU & ~SCREEN_PICTURE, nullptr, nullptr, 0, &g_plain_entries[0], confirm_on_esc,
                       nullptr, nullptr, nullptr, 0, 0, 0, 0, 0, 0, g_plain_entries};

TEST_F(Controllers, TheBackConfirmationAsksAndNoStays)
{
    install_common_frames();
    int32_t boxes = 0, parent_runs = 0;
    PointerScript::start([&](menu_screen* s, int frame) {
        if (s == &g_plain) {
            if (frame == 1) ++parent_runs;
            if (frame == 3) key_state[KEY_ESCAPE] = 0x80;
            return;
        }
        if (frame == 1) ++boxes;
        if (boxes == 1 && frame == 3) key_state[KEY_ENTER] = 0x80; // No has the focus
        if (boxes == 2 && frame == 3) key_state[KEY_RIGHT] = 0x80;
        if (boxes == 2 && frame == 6) key_state[KEY_ENTER] = 0x80;
    });
    run_front_end_screen(&g_plain);
    EXPECT_EQ(boxes, 2);
    EXPECT_EQ(parent_runs, 2) << "No kept the screen running";
    EXPECT_EQ(front_end_state.result, 3);
}

// In a competition a controller goes only to a human club; outside one the
// clubs' kinds are not asked.
TEST_F(Controllers, InACompetitionOnlyAHumanClubTakesAController)
{
    struct Case {
        int8_t game_type;
        uint32_t home_kind, away_kind;
        int32_t left_side, right_side, message;
    };
    const Case cases[] = {
        {GAME_PREMIERSHIP, KIND_HUMAN, KIND_COMPUTER, -1, 0, 4},
        {GAME_PRE_SEASON, KIND_COMPUTER, KIND_HUMAN, 0, 1, 4},
        {GAME_FINAL_8, KIND_HUMAN, KIND_HUMAN, -1, 1, 0},
        {GAME_FINAL_8, KIND_OUT, KIND_COMPUTER, 0, 0, 4},
        {GAME_EXHIBITION, KIND_COMPUTER, KIND_COMPUTER, -1, 1, 0},
    };
    for (const Case& c : cases) {
        use(6);
        controller_screen.message_code = 0;
        game_settings.game_type = c.game_type;
        competition_state.kinds[game_settings.home_team] = c.home_kind;
        competition_state.kinds[game_settings.away_team] = c.away_kind;
        build_controller_entries_tournament();
        const bool competition = c.game_type != GAME_EXHIBITION;
        // The row arrows pick the variant by the game type.
        auto move = [&](int32_t entry, uint8_t dir) {
            competition ? move_controller_tournament(entry, dir) : move_controller(entry, dir);
        };
        move(0, DIR_LEFT);
        move(1, DIR_RIGHT);
        settle();
        EXPECT_EQ(controller_side(0), c.left_side) << int(c.game_type);
        EXPECT_EQ(controller_side(1), c.right_side) << int(c.game_type);
        EXPECT_EQ(controller_screen.message_code, c.message) << int(c.game_type);
        if (c.left_side == 0) {
            EXPECT_EQ(controller_screen.entries[0].motion, AT_REST) << "a refusal moves nothing";
        }
    }
}

// The screen in a competition: the keyboard's own right key pushes its entry
// toward a computer club, which refuses it.
TEST_F(Controllers, TheCompetitionScreenRefusesTheKeyboardToACpuClub)
{
    use(0);
    game_settings.game_type = GAME_PREMIERSHIP;
    competition_state.kinds[game_settings.home_team] = KIND_HUMAN;
    competition_state.kinds[game_settings.away_team] = KIND_COMPUTER;
    set_key_mapping(KEY_LEFT, KEY_RIGHT, KEY_UP, KEY_DOWN, KEY_1, KEY_2, KEY_3, KEY_4);
    set_controller_default_action(0);
    prepare_controller_screen();
    int32_t code = -1;
    PointerScript::start([&](menu_screen* s, int frame) {
        if (s != &controller_assign_screen) return;
        if (frame == 2) code = controller_screen.entries[0].icon->code;
        if (frame >= 2 && frame < 10) key_state[KEY_RIGHT] = 0x80;
        if (frame == 12) front_end_state.result = 1;
    });
    run_front_end_screen(&controller_assign_screen);
    EXPECT_EQ(code, 0) << "no hover hint on a competition's controller icons";
    EXPECT_EQ(controller_side(keyboard_controller), 0);
    EXPECT_STREQ(controller_screen.message, "Cannot Assign Controller To CPU Team During Tournament");
}

} // namespace
