#include "front_end_fixture.h"

#include "screen/text_animations.h"

#include <vector>

namespace {

// Icons added by hand: rectangles from a fixed size centred on their spot.
struct Board : FrontEnd {
    std::vector<menu_icon*> icons;
    menu_icon* add(int16_t x, int16_t y, uint8_t group = 1, uint16_t flags = ICON_FOCUSABLE, uint16_t result = 7)
    {
        menu_icon t{};
        t.width = 40;
        t.height = 20;
        t.flags = flags;
        t.result_code = result;
        menu_icon* icon = copy_icon(t, "test icon");
        add_child_icon(icon, x, y, group);
        icons.push_back(icon);
        return icon;
    }
    void TearDown() override
    {
        clear_icon_table();
        for (menu_icon* i : icons) free_icon(i);
        FrontEnd::TearDown();
    }
    void frame(int32_t x, int32_t y, bool down = false, bool pressed = false, uint8_t keys_new = 0)
    {
        icon_input = IconInput{x, y, down, pressed, keys_new, keys_new};
        update_icon_states(nullptr);
    }
};

TEST_F(Board, AFirstClickFocusesAndOnlyTheNextClickCounts)
{
    menu_icon* a = add(100, 100);
    menu_icon* b = add(300, 100, 1, ICON_FOCUSABLE, 9);
    set_focus_icon(a);
    frame(300, 100, true, true);
    EXPECT_EQ(active_icon_table.focus_icon, b);
    EXPECT_EQ(b->state, ICON_FOCUSED);
    EXPECT_EQ(front_end_state.result, 0) << "the click that brought the focus does not count";
    frame(300, 100, false, false);
    frame(300, 100, true, true);
    EXPECT_EQ(b->state, ICON_CLICKED);
    EXPECT_EQ(front_end_state.result, 9);
    frame(300, 100, true, false);
    EXPECT_EQ(b->state, ICON_HELD);
    frame(10, 10);
    EXPECT_EQ(b->state, ICON_FOCUSED) << "the focus stays when the pointer leaves";
    EXPECT_EQ(a->state, ICON_NORMAL);
}

TEST_F(Board, EnterClicksTheFocusAndHoldingItHolds)
{
    menu_icon* a = add(100, 100, 1, ICON_FOCUSABLE, 4);
    set_focus_icon(a);
    frame(600, 400, false, false, KEY_FLAG_ENTER);
    EXPECT_EQ(a->state, ICON_CLICKED);
    EXPECT_EQ(front_end_state.result, 4);
    icon_input.keys_new = 0;
    update_icon_states(nullptr);
    EXPECT_EQ(a->state, ICON_HELD);
}

TEST_F(Board, ACaptureIconStaysHeldWhileDraggedOffAndNothingElseTakesTheFocus)
{
    menu_icon* slider = add(100, 100, 1, ICON_FOCUSABLE | ICON_CAPTURE);
    menu_icon* other = add(300, 100);
    set_focus_icon(slider);
    frame(100, 100, true, true);
    EXPECT_EQ(slider->state, ICON_CLICKED);
    frame(300, 100, true, false);
    EXPECT_EQ(slider->state, ICON_HELD);
    EXPECT_EQ(active_icon_table.focus_icon, slider);
    EXPECT_EQ(other->state, ICON_NORMAL);
    frame(300, 100, false, false);
    EXPECT_EQ(active_icon_table.focus_icon, other) << "released, the pointer's icon takes the focus";
}

TEST_F(Board, OverlappingIconsTheFocusKeepsItOnlyWithItsFlag)
{
    for (uint16_t keeps : {uint16_t(0), uint16_t(ICON_KEEPS_FOCUS)}) {
        clear_icon_table();
        menu_icon* under = add(100, 100, 1, ICON_FOCUSABLE | keeps);
        menu_icon* over = add(110, 100);
        set_focus_icon(under);
        frame(105, 100);
        EXPECT_EQ(active_icon_table.focus_icon, keeps ? under : over) << keeps;
        EXPECT_EQ(over->state, ICON_FOCUSED) << keeps;
    }
}

TEST_F(Board, AnIconOutsideItsClipWindowIsNeitherHitNorFocusableUntilItComesBack)
{
    set_clip_window(1, 50, 50, 200, 200);
    menu_icon* inside = add(100, 100, 1, ICON_FOCUSABLE | (1 << ICON_CLIP_SHIFT));
    menu_icon* outside = add(400, 100, 1, ICON_FOCUSABLE | (1 << ICON_CLIP_SHIFT));
    set_focus_icon(inside);
    frame(400, 100, true, true);
    EXPECT_TRUE(outside->flags & ICON_CLIPPED_OUT);
    EXPECT_EQ(active_icon_table.focus_icon, inside);
    EXPECT_EQ(focus_next_icon(nullptr), inside) << "a clipped icon is skipped by the keys";
    outside->x = 150;
    frame(150, 100);
    EXPECT_FALSE(outside->flags & ICON_CLIPPED_OUT);
    EXPECT_EQ(active_icon_table.focus_icon, outside);
}

// A handler that removes its own icon and the next one must not disturb
// the rest of the frame.
menu_icon* g_victim;
int g_handled;
void remove_both(icon_state_record*, menu_icon* icon, menu_screen*)
{
    remove_icon(icon);
    remove_icon(g_victim);
}
void count_handled(icon_state_record*, menu_icon*, menu_screen*) { ++g_handled; }

TEST_F(Board, AHandlerRemovingIconsLeavesTheRestOfTheFrameSound)
{
    menu_icon* first = add(100, 100);
    g_victim = add(200, 100);
    menu_icon* last = add(300, 100);
    g_handled = 0;
    set_icon_state_field(first, -1, remove_both);
    set_icon_state_field(g_victim, -1, count_handled);
    set_icon_state_field(last, -1, count_handled);
    frame(600, 400);
    EXPECT_EQ(g_handled, 1) << "only the icon still in the table is handled";
    EXPECT_EQ(active_icon_table.count, 1);
}

TEST_F(Board, RemovingTheFocusIconLeavesNoDanglingFocus)
{
    menu_icon* a = add(100, 100);
    set_focus_icon(a);
    remove_icon(a);
    EXPECT_EQ(active_icon_table.focus_icon, nullptr);
    frame(600, 400, false, false, KEY_FLAG_ENTER);
    EXPECT_EQ(front_end_state.result, 0) << "Enter with no focus clicks nothing";
}

TEST_F(Board, TheTableHolds170IconsAndThe171stIsFatal)
{
    for (int i = 0; i < ICON_TABLE_SLOTS; ++i) add(static_cast<int16_t>(i), 10, 0, 0);
    Ending e = run_trapped([&] { add(0, 0); });
    EXPECT_TRUE(e.ended);
    EXPECT_NE(e.box_text.find("too many icons"), std::string::npos) << e.box_text;
    menu_icon stray{};
    e = run_trapped([&] { set_focus_icon(&stray); });
    EXPECT_NE(e.box_text.find("Can't locate icon"), std::string::npos) << "an icon not in the table";
}

TEST_F(Board, ChildIconsComeAndGoWithTheirParent)
{
    menu_icon child{};
    child.x = 10;
    child.y = -5;
    child.width = child.height = 4;
    menu_icon parent{};
    parent.width = parent.height = 20;
    parent.flags = ICON_HAS_CHILD;
    parent.child_template = &child;
    menu_icon* p = copy_icon(parent, "test icon");
    icons.push_back(p);
    add_child_icon(p, 100, 100, 3);
    ASSERT_NE(p->child, nullptr);
    EXPECT_EQ(p->child->x, 110);
    EXPECT_EQ(p->child->y, 95);
    EXPECT_EQ(active_icon_table.count, 2);
    EXPECT_EQ(active_icon_table.slots[icon_slot(p->child)].group, 0);
    remove_icon(p);
    EXPECT_EQ(active_icon_table.count, 0);
}

TEST_F(Board, AnOverlayLeavesTheIconsInertAndGivesBackClickedAsFocused)
{
    menu_icon* a = add(100, 100);
    menu_icon* kept = add(300, 100, 1, ICON_FOCUSABLE | ICON_KEPT_APART);
    set_focus_icon(a);
    a->state = ICON_CLICKED;
    create_sub_menu_table();
    EXPECT_EQ(a->state, ICON_INACTIVE);
    EXPECT_TRUE(a->flags & ICON_INERT);
    EXPECT_TRUE(kept->flags & ICON_HIDDEN);
    frame(100, 100, true, true);
    EXPECT_EQ(a->state, ICON_INACTIVE) << "inert under the box";
    restore_sub_menu_table();
    EXPECT_EQ(a->state, ICON_FOCUSED);
    EXPECT_FALSE(a->flags & (ICON_INERT | ICON_HIDDEN));
    EXPECT_EQ(active_icon_table.focus_icon, a);
}

TEST_F(Board, SortingByPositionKeepsFreeSlotsInPlace)
{
    menu_icon* c = add(300, 10);
    menu_icon* a = add(100, 50);
    menu_icon* b = add(100, 20);
    sort_icons_by_position();
    std::vector<menu_icon*> order;
    for (const IconSlot& s : active_icon_table.slots)
        if (s.icon) order.push_back(s.icon);
    EXPECT_EQ(order, (std::vector<menu_icon*>{b, a, c}));
}

TEST_F(Board, FrameStepsLoopOnceAndStop)
{
    menu_icon* icon = add(100, 100);
    icon_state_record& r = icon->states[0];
    r.frame_count = 3;
    r.period = 2;
    r.countdown = 2;
    front_end_state.frame_ticks = 1;
    std::vector<int> frames;
    for (int i = 0; i < 6; ++i) {
        step_frames_loop(&r, icon, nullptr);
        frames.push_back(r.frame);
    }
    EXPECT_EQ(frames, (std::vector<int>{0, 1, 1, 2, 2, 0}));
    r.frame = 0;
    step_frames_once(&r, icon, nullptr);
    EXPECT_EQ(r.frame, 0) << "a one-shot waits at frame 0 until started";
    r.step = step_frames_once_then_stop;
    r.frame = 2;
    r.countdown = 1;
    step_frames_once_then_stop(&r, icon, nullptr);
    EXPECT_EQ(r.frame, 0);
    EXPECT_EQ(r.step, nullptr) << "the steps of every state stop";
}

TEST_F(Board, SlideInMotionsEndExactlyAtHome)
{
    menu_icon* icon = add(200, 100);
    icon->open_anim = icon->close_anim = 5;
    start_icon_open_animation(icon);
    EXPECT_EQ(icon->x, 200 - 640);
    front_end_state.frame_ticks = 7; // not a divisor of the 40 ticks
    for (int i = 0; i < 10 && icon->anim; ++i) run_icon_motion_step(icon->anim, icon);
    EXPECT_EQ(icon->anim, 0);
    EXPECT_EQ(icon->x, 200);
}

// Slid out, an icon leaves the table on the step its frame has wholly left
// the screen, not later; an opening kind without a closing kind stays home.
TEST_F(Board, SlideOutMotionsLeaveAsSoonAsTheFrameIsOffScreen)
{
    front_end_state.frame_ticks = 1;
    const int32_t w = scale_x_from_640(640), h = scale_y_from_480(480);
    const int32_t dx = scale_x_from_640(16), dy = scale_y_from_480(16);
    struct Case {
        uint8_t kind;
        int32_t travel; // steps the 40 x 20 frame needs to leave
    };
    const std::vector<Case> cases = {
        {1, (200 + 20) / dx + 1},
        {2, (w - (200 - 20)) / dx + 1},
        {3, (100 + 10) / dy + 1},
        {4, (h - (100 - 10)) / dy + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        menu_icon* icon = add(200, 100);
        icon->anim = c.kind;
        int32_t steps = 0;
        while (steps < 1000 && run_icon_motion_step(c.kind, icon)) ++steps;
        EXPECT_EQ(steps + 1, c.travel);
        EXPECT_EQ(icon_slot(icon), -1);
    }
    menu_icon* still = add(200, 100);
    still->open_anim = 5;
    start_icon_open_animation(still);
    EXPECT_EQ(still->x, 200);
    EXPECT_EQ(still->anim, 0);
}

// An animated text icon and title run through their animation frame by
// frame and end when the last glyph has arrived; then they draw plainly.
TEST_F(Board, AnimatedTextsRunTheirCourseThenSettle)
{
    menu_icon t = text_icon("Play", 0);
    t.open_anim = 1;
    menu_icon* icon = copy_icon(t, "test icon");
    add_child_icon(icon, 100, 100, 1);
    icons.push_back(icon);
    start_icon_open_animation(icon);
    menu_screen screen{};
    screen.flags = SCREEN_MENU;
    screen.title_text = "Options";
    screen.title_anim = 12;
    front_end_state.frame_ticks = 1;
    // The last of four glyphs starts three turns late and arrives 74 ticks on.
    const int32_t frames = TEXT_EASE_STEPS + 3 * TEXT_GLYPH_DELAY;
    for (int32_t f = 1; f < frames; ++f) draw_icons(&screen);
    EXPECT_EQ(icon->anim, 1) << "still under way";
    EXPECT_EQ(icon->anim_time, uint32_t(frames - 1));
    draw_icons(&screen);
    EXPECT_EQ(icon->anim, 0);
    EXPECT_NE(screen.title_anim, 0) << "seven glyphs take longer";
    for (int32_t f = 0; f < 3 * TEXT_GLYPH_DELAY; ++f) draw_icons(&screen);
    EXPECT_EQ(screen.title_anim, 0);
    EXPECT_TRUE(icons_settled(&screen));
    const uint32_t settled = icon->anim_time;
    draw_icons(&screen);
    EXPECT_EQ(icon->anim_time, settled) << "a settled text keeps no clock";
}

TEST_F(FrontEnd, TextIconsMoveByTheirTextWidth)
{
    select_font(1);
    const int32_t whole = string_width("Team Select"), before = string_width("Team "), marker = string_width("Select");
    menu_icon icon = text_icon("Team Select", 0);
    centre_icon_text_on_screen(&icon);
    EXPECT_EQ(icon.x, (640 - whole) / 2);
    centre_icon_text_at(&icon, 300);
    EXPECT_EQ(icon.x, 300 - whole / 2);
    right_align_icon_text(&icon, 600);
    EXPECT_EQ(icon.x, 600 - whole);
    EXPECT_EQ(icon.rect_right, 600) << "its rectangle follows";
    align_icon_text_at_marker(&icon, "Select", 400);
    EXPECT_EQ(icon.x, 400 + marker / 2 - before) << "the marker's middle stands at x";
    align_icon_text_at_marker(&icon, "Quit", 10);
    EXPECT_EQ(icon.x, 400 + marker / 2 - before) << "no marker: no move";
    menu_icon blank{};
    blank.x = 55;
    centre_icon_text_on_screen(&blank);
    EXPECT_EQ(blank.x, 55);
}

} // namespace
