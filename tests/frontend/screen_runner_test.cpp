#include "front_end_fixture.h"
#include "gl3d/timer_pool.h"

#include <vector>

namespace {

menu_icon g_first = text_icon("First", 11);
menu_icon g_second = text_icon("Second", 12);
menu_icon g_third = text_icon("Third", 13);
menu_icon g_other_group = text_icon("Other", 14);

menu_screen_entry g_entries[4] = {
    {1, &g_first, 100, 100, nullptr},
    {1, &g_second, 100, 150, nullptr},
    {1, &g_third, 100, 200, nullptr},
    {2, &g_other_group, 400, 100, nullptr},
};
int g_opened, g_closed;
void opened(menu_screen*) { ++g_opened; }
void closed(menu_screen*) { ++g_closed; }
menu_screen g_screen = {4,       SCREEN_MENU & ~SCREEN_PICTURE, nullptr, nullptr, 0, &g_entries[0], opened, closed,
                        ScriptedScreen::on_frame, nullptr, 0, 0, 0, 0, 0, 0, g_entries};

menu_icon* focus() { return active_icon_table.focus_icon; }

struct Runner : FrontEnd {
    void SetUp() override
    {
        FrontEnd::SetUp();
        g_opened = g_closed = 0;
    }
};

TEST_F(Runner, EscWithoutADefaultActionEndsAtOnceWithTwo)
{
    ScriptedScreen::start([](int f) {
        if (f == 3) key_state[KEY_ESCAPE] = 0x80;
    });
    run_front_end_screen(&g_screen);
    EXPECT_EQ(front_end_state.result, 2);
    EXPECT_EQ(g_opened, 1);
    EXPECT_EQ(g_closed, 1);
    EXPECT_EQ(active_icon_table.count, 0) << "every copy is gone";
    EXPECT_EQ(g_screen.flags, SCREEN_MENU & ~SCREEN_PICTURE) << "its flags word is back";
    for (const menu_screen_entry& e : g_entries) EXPECT_EQ(e.copy, nullptr);
}

TEST_F(Runner, EveryDrawnFrameMovesTheIconAnimationFrameOn)
{
    const uint32_t before = front_end_anim_frame;
    int frames = 0;
    ScriptedScreen::start([&](int f) {
        frames = f;
        if (f == 5) key_state[KEY_ESCAPE] = 0x80;
    });
    run_front_end_screen(&g_screen);
    EXPECT_GE(front_end_anim_frame - before, static_cast<uint32_t>(frames));
}

int g_refusals;
void refuse_once(menu_screen*)
{
    if (g_refusals++ == 0) front_end_state.result = 0;
}

TEST_F(Runner, ADefaultActionThatClearsTheResultKeepsTheScreenRunning)
{
    g_refusals = 0;
    front_end_state.default_action = refuse_once;
    int esc_frames = 0;
    ScriptedScreen::start([&](int f) {
        if (f == 3 || f == 10) key_state[KEY_ESCAPE] = 0x80, ++esc_frames;
    });
    run_front_end_screen(&g_screen);
    EXPECT_EQ(esc_frames, 2) << "the first Esc was refused";
    EXPECT_EQ(front_end_state.result, 2);
}

TEST_F(Runner, ArrowsMoveTheFocusWithinItsGroupAndWrap)
{
    std::vector<const char*> seen;
    ScriptedScreen::start([&](int f) {
        if (f % 5 == 0) seen.push_back(focus() ? focus()->text : "");
        if (f == 6 || f == 11) key_state[KEY_DOWN] = 0x80;
        if (f == 16) key_state[KEY_DOWN] = 0x80; // from the last back to the first
        if (f == 21) key_state[KEY_UP] = 0x80;   // and up again to the last
        if (f == 26) key_state[KEY_ENTER] = 0x80;
    });
    run_front_end_screen(&g_screen);
    EXPECT_EQ(seen, (std::vector<const char*>{"First", "Second", "Third", "First", "Third"}));
    EXPECT_EQ(front_end_state.result, 13) << "Enter clicks the focus";
}

TEST_F(Runner, TabWalksTheGroupsAndWrapsFromTheHighest)
{
    ScriptedScreen::start([&](int f) {
        if (f == 2) key_state[15] = 0x80; // Tab
        if (f == 4) {
            EXPECT_EQ(focus()->text, std::string("Other"));
            key_state[15] = 0x80;
        }
        if (f == 6) {
            EXPECT_EQ(focus()->text, std::string("First")) << "from the highest group to the lowest";
            key_state[15] = 0x80;
            key_state[42] = 0x80; // with Shift: back
        }
        if (f == 8) {
            EXPECT_EQ(focus()->text, std::string("Other"));
            key_state[42] = 0;
            front_end_state.result = 1;
        }
    });
    run_front_end_screen(&g_screen);
    EXPECT_EQ(ScriptedScreen::frame, 8);
}

// The held-key repeat on one tick a frame: a move when pressed, again
// after 32 ticks, then every 3.
TEST_F(Runner, AHeldArrowRepeatsAfter32TicksThenEvery3)
{
    front_end_state.frame_ticks = 1;
    std::vector<int> moves;
    for (int tick = 0; tick < 45; ++tick) {
        key_state[KEY_DOWN] = 0x80; // the reader takes it each frame; held, it is back
        front_end_screen_input(nullptr);
        if (nav_keys.keys_new & KEY_FLAG_DOWN) moves.push_back(tick);
    }
    EXPECT_EQ(moves, (std::vector<int>{0, 32, 35, 38, 41, 44}));
}

int g_scrolled;
void scrolled(menu_screen*) { ++g_scrolled; }

TEST_F(Runner, UpFromTheTopOfAScrollingListRunsItsHookAndFocusesItsFirst)
{
    for (menu_screen_entry& e : g_entries) e.group = 0x81;
    g_scrolled = 0;
    ScriptedScreen::start([&](int f) {
        if (f == 1) list_scroll_up_hook = scrolled;
        if (f == 2) key_state[KEY_UP] = 0x80;
        if (f == 4) {
            EXPECT_EQ(g_scrolled, 1);
            EXPECT_EQ(focus()->text, std::string("First"));
            front_end_state.result = 1;
        }
    });
    run_front_end_screen(&g_screen);
    for (int i = 0; i < 3; ++i) g_entries[i].group = 1;
    g_entries[3].group = 2;
    EXPECT_EQ(list_scroll_up_hook, nullptr) << "the toolkit's hooks go with the screen";
}

TEST_F(Runner, TheFocusEntryHasTheFocusAndThePointerAtItsCentre)
{
    ScriptedScreen::start([&](int f) {
        if (f == 1) {
            EXPECT_EQ(focus(), g_entries[0].copy);
            EXPECT_EQ(mouse_state.x, (focus()->rect_left + focus()->rect_right) / 2);
            front_end_state.result = 5;
        }
    });
    run_front_end_screen(&g_screen);
    EXPECT_EQ(front_end_state.result, 5);
}

} // namespace
