#include "control_fixture.h"

#include "platform/memory.h"

#include <string>
#include <vector>

namespace {

TEST_F(Controls, AStringTemplateSizesItsBufferFromTextAndMaximum)
{
    struct Case {
        const char* text;
        int32_t max;
        uint32_t buffer;
        int32_t max_after, length;
    };
    const Case cases[] = {
        {"ABC", 20, 21, 20, 3},
        {"ABC", 4, 4, 3, 3},
        {"ABC", 2, 4, 3, 3},
        {"", 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " max " + std::to_string(c.max));
        control* s = add_string(screen_list, nullptr, c.text, c.max);
        const A_STRING_CONTROL* r = string_record(s);
        EXPECT_EQ(alloc_size_of(r->settings.text), c.buffer);
        EXPECT_EQ(r->settings.max_length, c.max_after);
        EXPECT_EQ(r->settings.length, c.length);
        EXPECT_STREQ(r->settings.text, c.text);
        EXPECT_NE(r->settings.text, c.text) << "a copy";
        EXPECT_EQ(r->display.text_icon.text, r->settings.text);
        delete_control(screen_list, &s);
        EXPECT_EQ(s, nullptr);
    }
}

TEST_F(Controls, TextEntryByScanCode)
{
    constexpr int32_t SHIFT = 0x1000; // with left Shift held
    struct Case {
        const char* name;
        const char* text;
        int32_t max;
        uint32_t mode, insert;
        int32_t caret;
        std::vector<int32_t> keys;
        const char* want;
        int32_t want_caret;
    };
    const Case cases[] = {
        {"types at the end", "", 10, EDIT_TEXT, 0, 0, {37, 24, 48}, "kob", 3},
        {"shift gives capitals and signs", "", 10, EDIT_TEXT, 0, 0, {SHIFT | 37, SHIFT | 2, SHIFT | 4}, "K!\xA3", 3},
        {"overwrite replaces before the end", "abc", 10, EDIT_TEXT, 0, 0, {45}, "xbc", 1},
        {"overwrite at the end appends", "abc", 10, EDIT_TEXT, 0, 3, {45}, "abcx", 4},
        {"insert mode pushes the rest right", "abc", 10, EDIT_TEXT, 1, 1, {45}, "axbc", 2},
        {"a full field takes nothing, also overwriting", "abc", 3, EDIT_TEXT, 0, 0, {45}, "abc", 0},
        {"backspace at 0 does nothing", "abc", 10, EDIT_TEXT, 0, 0, {14}, "abc", 0},
        {"backspace removes before the caret", "abc", 10, EDIT_TEXT, 0, 2, {14}, "ac", 1},
        {"delete at the end does nothing", "abc", 10, EDIT_TEXT, 0, 3, {211}, "abc", 3},
        {"delete removes at the caret", "abc", 10, EDIT_TEXT, 0, 0, {211}, "bc", 0},
        {"home, end and the caret keys", "abc", 10, EDIT_TEXT, 1, 1, {207, 203, 45, 199, 205, 46}, "acbxc", 2},
        {"insert toggles the mode", "abc", 10, EDIT_TEXT, 0, 0, {210, 45}, "xabc", 1},
        {"numeric ignores letters, keypad gives digits", "", 10, EDIT_NUMERIC, 1, 0, {30, 71, 80, 74, 2}, "72-1", 4},
        {"hexadecimal takes its six letters", "", 10, EDIT_HEX, 1, 0, {30, 48, 46, 32, 18, 33, 34}, "abcdef", 6},
        {"read-only takes nothing", "abc", 10, EDIT_READ_ONLY, 1, 0, {45, 14}, "abc", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        control* s = add_string(screen_list, nullptr, c.text, c.max, STRING_EDITABLE, c.mode);
        A_STRING_CONTROL* r = string_record(s);
        r->settings.insert_mode = c.insert;
        r->settings.caret = c.caret;
        for (int32_t k : c.keys) {
            key_state[42] = (k & SHIFT) ? 0x80 : 0;
            string_control_key(r, k & 0xFF);
        }
        key_state[42] = 0;
        EXPECT_EQ(field_text(s), c.want);
        EXPECT_EQ(r->settings.caret, c.want_caret);
        EXPECT_EQ(r->settings.length, static_cast<int32_t>(std::strlen(c.want)));
        delete_control(screen_list, &s);
    }
}

TEST_F(Controls, SetTextRefusesWhatIsLongerThanTheMaximum)
{
    control* s = add_string(screen_list, nullptr, "abc", 5);
    A_STRING_CONTROL* r = string_record(s);
    EXPECT_EQ(set_string_control_text(r, "abcdef"), 0);
    EXPECT_EQ(field_text(s), "abc");
    EXPECT_EQ(set_string_control_text(r, "hello"), 1);
    EXPECT_EQ(field_text(s), "hello");
    EXPECT_EQ(r->settings.caret, 5);
    fit_caret_to_width(r, 0);
    EXPECT_EQ(r->settings.caret, 1) << "at least one character is kept";
    fit_caret_to_width(r, 10000);
    EXPECT_EQ(r->settings.caret, 5);
}

// A screen holding one editable field that has the focus.
control_list* g_field_list;
control* g_field;
menu_icon g_back = text_icon("Back", 2);
menu_screen_entry g_field_entries[1] = {{1, &g_back, 500, 450, nullptr}};
void field_open(menu_screen*)
{
    draw_control_list(g_field_list);
    focus_control(g_field);
}
void field_close(menu_screen*) { erase_control_list(g_field_list); }
menu_screen g_field_screen = {1,       SCREEN_MENU & ~SCREEN_PICTURE, nullptr, nullptr, 0, &g_field_entries[0],
                              field_open, field_close, ScriptedScreen::on_frame, nullptr, 0, 0, 0, 0, 0, 0,
                              g_field_entries};

TEST_F(Controls, AFocusedFieldTakesTheKeysEscIncludedAndTheArrowsMoveItsCaret)
{
    g_field_list = screen_list;
    g_field = add_string(screen_list, nullptr, "", 20, STRING_EDITABLE, EDIT_TEXT);
    string_record(g_field)->settings.x = 100;
    string_record(g_field)->settings.y = 100;
    string_record(g_field)->settings.insert_mode = 1;
    ScriptedScreen::start([](int f) {
        switch (f) {
        case 2: key_state[37] = 0x80; break;            // k
        case 3: key_state[48] = 0x80; break;            // b
        case 4: key_state[KEY_LEFT] = 0x80; break;      // caret back over the b
        case 5: key_state[24] = 0x80; break;            // o, inserted before the b
        case 6: key_state[KEY_ESCAPE] = 0x80; break;    // the field swallows it
        case 9: front_end_state.result = 7; break;
        default: break;
        }
    });
    run_front_end_screen(&g_field_screen);
    EXPECT_EQ(front_end_state.result, 7) << "Esc never reached the runner";
    EXPECT_EQ(field_text(g_field), "kob");
    EXPECT_EQ(value_left_hook, nullptr) << "the caret hooks go with the screen";
    EXPECT_FALSE(control_is_drawn(g_field));
}

TEST_F(Controls, ASelectStepsRoundItsChoicesBothWays)
{
    control* sel = add_select(screen_list, "Weather", {"Dry", "Wet", "Clear"});
    A_SELECT_CONTROL* r = select_record(sel);
    draw_control_list(screen_list);
    ASSERT_GE(icon_slot(&r->display.next_icon), 0) << "three choices show the arrows";
    for (int i = 0; i < 3; ++i) select_next_choice(nullptr, &r->display.next_icon, nullptr);
    EXPECT_EQ(r->settings.current, 0);
    select_previous_choice(nullptr, &r->display.previous_icon, nullptr);
    EXPECT_EQ(r->settings.current, 2);
    control* shown = list_current_data(r);
    EXPECT_EQ(field_text(shown), "Clear");
    EXPECT_GE(icon_slot(&string_record(shown)->display.text_icon), 0) << "the new choice is drawn";
    control* first = static_cast<control*>(list_nth(r->settings.choices, 0)->data);
    EXPECT_LT(icon_slot(&string_record(first)->display.text_icon), 0)
        << "the old one is not";

    control* single = add_select(screen_list, "Speed", {"Normal"});
    draw_control_tree(single);
    EXPECT_LT(icon_slot(&select_record(single)->display.next_icon), 0) << "one choice never shows its arrows";
}

int g_next_calls, g_previous_calls;
void count_next(icon_state_record*, menu_icon*, menu_screen*) { ++g_next_calls; }
void count_previous(icon_state_record*, menu_icon*, menu_screen*) { ++g_previous_calls; }

TEST_F(Controls, ClickingASelectArrowThroughTheRunnerStepsAndCallsBack)
{
    g_next_calls = g_previous_calls = 0;
    control* sel = add_select(screen_list, "Weather", {"Dry", "Wet"});
    A_SELECT_CONTROL* r = select_record(sel);
    r->callbacks.slot[SELECT_NEXT] = count_next;
    r->callbacks.slot[SELECT_PREVIOUS] = count_previous;
    draw_control_list(screen_list);
    set_focus_icon(&r->display.next_icon);
    icon_input = IconInput{};
    icon_input.x = icon_input.y = -100; // the pointer away from every icon
    icon_input.keys = icon_input.keys_new = KEY_FLAG_ENTER;
    update_icon_states(nullptr);
    EXPECT_EQ(r->settings.current, 1);
    EXPECT_EQ(g_next_calls, 1);
    EXPECT_EQ(g_previous_calls, 0);
    EXPECT_EQ(front_end_state.result, 0) << "arrows carry result code 0";
}

TEST_F(Controls, AListLaysItsItemsOutFromTheTopMarginAndGrowsAScrollSliderWhenTooTall)
{
    control* list = add_list(screen_list, {100, 50, 160, 300}, 8);
    A_LIST_CONTROL* l = list_record(list);
    l->settings.top_margin = 4;
    l->settings.vscroll = l->settings.applied_vscroll = 25; // stale
    for (int i = 0; i < 3; ++i) add_string(l->settings.items, list, "Row", 20);
    draw_control_list(screen_list);
    const int32_t h = control_height(static_cast<control*>(list_nth(l->settings.items, 0)->data));
    ASSERT_GT(h, 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(string_record(static_cast<control*>(list_nth(l->settings.items, i)->data))->settings.y, 4 + i * (h + 8));
    EXPECT_EQ(l->settings.applied_vscroll, 0) << "items that fit are not scrolled";
    EXPECT_EQ(l->settings.vslider, nullptr);
    EXPECT_EQ(screen_list->count, 1);

    for (int i = 0; i < 10; ++i) add_string(l->settings.items, list, "More", 20);
    update_control_list(screen_list);
    ASSERT_NE(l->settings.vslider, nullptr);
    EXPECT_EQ(screen_list->count, 2) << "the slider is a top-level control beside the list";
    EXPECT_EQ(l->settings.vslider->settings.maximum, control_height(list) - 60);
    EXPECT_EQ(list_scroll_down_hook, list_scroll_down_hook_fn);
    EXPECT_TRUE(control_is_drawn(l->settings.vslider->self));

    // The content shrinks back: the slider goes, the items show from the top.
    while (l->settings.items->count > 2) {
        control* last = static_cast<control*>(l->settings.items->last->data);
        delete_control(l->settings.items, &last);
    }
    l->settings.vscroll = 30;
    update_control_list(screen_list);
    EXPECT_EQ(l->settings.vslider, nullptr);
    EXPECT_EQ(screen_list->count, 1);
    EXPECT_EQ(list_scroll_down_hook, nullptr);
    relayout_list_control(l);
    EXPECT_EQ(string_record(static_cast<control*>(l->settings.items->first->data))->settings.y, 4);
}

TEST_F(Controls, ClippedRowsAreDrawnOnlyOnceScrolledIntoTheirWindow)
{
    control* list = add_list(screen_list, {100, 50, 130, 300}, 8, 1);
    A_LIST_CONTROL* l = list_record(list);
    for (int i = 0; i < 12; ++i) add_string(l->settings.items, list, "Line", 20);
    draw_control_list(screen_list);
    control* last = static_cast<control*>(l->settings.items->last->data);
    EXPECT_FALSE(control_is_drawn(last)) << "wholly below its clip window";
    EXPECT_LT(icon_slot(&string_record(last)->display.text_icon), 0);
    EXPECT_TRUE(control_is_drawn(static_cast<control*>(l->settings.items->first->data)));
    ASSERT_NE(l->settings.vslider, nullptr);
    l->settings.vscroll = l->settings.vslider->settings.maximum;
    list_vertical_scrolled(nullptr, &l->settings.vslider->display.thumb, nullptr);
    EXPECT_TRUE(control_is_drawn(last)) << "a later draw adds it";
    EXPECT_FALSE(control_is_drawn(static_cast<control*>(l->settings.items->first->data)));
}

// Children of a clipped list or select take its clip window into their icon
// flags; a list's children are marked as in a scrolling group, and labels
// and select arrows inside a list are cut at the window like the rest.
TEST_F(Controls, ClipWindowsComeDownFromTheParentListOrSelect)
{
    auto clip = [](uint16_t flags) { return (flags & ICON_CLIP_MASK) >> ICON_CLIP_SHIFT; };
    control* list = add_list(screen_list, {100, 50, 300, 300}, 8, 2);
    control_list* items = list_record(list)->settings.items;
    const A_STRING_CONTROL* labelled = string_record(add_string(items, list, "Name", 20, STRING_LABEL));
    EXPECT_EQ(clip(labelled->display.text_flags), 2);
    EXPECT_EQ(labelled->display.text_group, 0x81);
    EXPECT_EQ(clip(labelled->display.label_flags), 2);
    EXPECT_TRUE(labelled->display.label_flags & ICON_OPAQUE);
    EXPECT_FALSE(labelled->display.text_flags & ICON_OPAQUE);

    control* t = nullptr;
    create_control(CONTROL_SELECT, &t);
    A_SELECT_CONTROL* st = select_record(t);
    set_select_control_icon_flags(st, ICON_FOCUSABLE, ICON_FOCUSABLE, ICON_FOCUSABLE);
    set_select_control_icon_layers(st, 1, 1, 1);
    fill_scroll_slider_template(&st->display.slider_template, false, ICON_FOCUSABLE, 3);
    st->settings.clip_window = 3;
    control* in_list = nullptr;
    create_control_from_template(items, list, CONTROL_SELECT, t, &in_list);
    const A_SELECT_CONTROL* s = select_record(in_list);
    EXPECT_EQ(clip(s->display.label_flags), 2);
    EXPECT_FALSE(s->display.label_flags & ICON_OPAQUE);
    EXPECT_EQ(clip(s->display.next_flags), 2);
    EXPECT_EQ(clip(s->display.previous_flags), 2);
    EXPECT_TRUE(s->display.next_flags & ICON_OPAQUE);
    EXPECT_TRUE(s->display.previous_flags & ICON_OPAQUE);
    EXPECT_EQ(s->display.label_group, 0x81);
    for (uint16_t f : {s->display.slider_template.track_flags, s->display.slider_template.thumb_flags,
                       s->display.slider_template.decrease_flags, s->display.slider_template.increase_flags})
        EXPECT_EQ(clip(f), 2);
    // The select's own clip window reaches its choices; the scrolling-group
    // mark only when a list holds the select.
    const A_STRING_CONTROL* choice = string_record(add_string(select_record(in_list)->settings.choices, in_list, "A", 20));
    EXPECT_EQ(clip(choice->display.text_flags), 3);
    EXPECT_EQ(choice->display.text_group, 0x81);
    control* top = nullptr;
    create_control_from_template(screen_list, nullptr, CONTROL_SELECT, t, &top);
    free_control_data(&t);
    const A_STRING_CONTROL* alone = string_record(add_string(select_record(top)->settings.choices, top, "B", 20));
    EXPECT_EQ(clip(alone->display.text_flags), 3);
    EXPECT_EQ(alone->display.text_group, 1);
}

TEST_F(Controls, DeletingAListTakesItsScrollSliderWithIt)
{
    control* list = add_list(screen_list, {100, 50, 130, 300}, 8);
    A_LIST_CONTROL* l = list_record(list);
    for (int i = 0; i < 12; ++i) add_string(l->settings.items, list, "Line", 20);
    draw_control_list(screen_list);
    ASSERT_EQ(screen_list->count, 2);
    const int32_t icons = active_icon_table.count;
    EXPECT_GT(icons, 0);
    delete_control(screen_list, &list);
    EXPECT_EQ(screen_list->count, 0);
    EXPECT_EQ(active_icon_table.count, 0) << "no icon of the list or its slider is left on screen";
}

TEST_F(Controls, SliderArrowsStepToTheEndsAndNoFurther)
{
    int32_t value = 9;
    control* c = add_slider(screen_list, &value, 0, 10, SLIDER_ARROWS, 5);
    A_SLIDER_CONTROL* r = slider_record(c);
    draw_control_list(screen_list);
    r->display.increase.state = ICON_CLICKED;
    slider_increase(nullptr, &r->display.increase, nullptr);
    EXPECT_EQ(value, 10);
    slider_increase(nullptr, &r->display.increase, nullptr);
    EXPECT_EQ(value, 10);
    value = 0;
    slider_decrease(nullptr, &r->display.decrease, nullptr);
    EXPECT_EQ(value, 0);
    // The arrows stand beside the track.
    EXPECT_LT(r->display.decrease.rect_right, r->display.track.rect_left);
    EXPECT_GT(r->display.increase.rect_left, r->display.track.rect_right);
}

TEST_F(Controls, TheThumbAndTheValueFollowEachOther)
{
    int32_t value = 0;
    control* c = add_slider(screen_list, &value, 0, 86, 0, 10);
    A_SLIDER_CONTROL* r = slider_record(c);
    draw_control_list(screen_list);
    const menu_icon& track = r->display.track;
    const menu_icon& thumb = r->display.thumb;
    EXPECT_EQ(thumb.rect_left, track.rect_left) << "minimum at the start";
    value = 86;
    slider_value_to_thumb(r);
    EXPECT_LE(thumb.rect_right, track.rect_right);
    EXPECT_GE(thumb.rect_right, track.rect_right - 1) << "maximum at the end";
    value = 43;
    slider_value_to_thumb(r);
    value = -1;
    slider_thumb_to_value(r);
    EXPECT_EQ(value, 43) << "one pixel a unit: the round trip is exact";

    // A click on the track right of the thumb pages up, left of it down.
    icon_input.x = track.rect_right - 2;
    slider_track_clicked(nullptr, &r->display.track, nullptr);
    EXPECT_EQ(value, 53);
    icon_input.x = track.rect_left + 1;
    slider_track_clicked(nullptr, &r->display.track, nullptr);
    EXPECT_EQ(value, 43);

    // Dragging: the thumb follows the pointer and stops at the track's end.
    icon_input.x = (thumb.rect_left + thumb.rect_right) / 2;
    slider_thumb_taken(nullptr, &r->display.thumb, nullptr);
    EXPECT_EQ(r->settings.dragging, 1);
    icon_input.left_down = true;
    icon_input.x += 20;
    update_control_list(screen_list);
    EXPECT_EQ(value, 63);
    icon_input.x = 5000;
    update_control_list(screen_list);
    EXPECT_EQ(value, 86);
    icon_input.left_down = false;
    update_control_list(screen_list);
    EXPECT_EQ(r->settings.dragging, 0);
}

int g_percent = -1;
void custom_draw(control*, int32_t, int32_t, int32_t, int32_t, int32_t percent) { g_percent = percent; }

TEST_F(Controls, AScreenDrawnSliderGetsItsValueAsAPercentage)
{
    int32_t value = 70;
    control* c = add_slider(screen_list, &value, 20, 120, SLIDER_CUSTOM_DRAW);
    slider_record(c)->callbacks.custom_draw = custom_draw;
    draw_control_list(screen_list);
    EXPECT_EQ(active_icon_table.count, 0) << "no icons of its own";
    update_control_list(screen_list);
    EXPECT_EQ(g_percent, 50);
    value = 500;
    update_control_list(screen_list);
    EXPECT_EQ(value, 120);
    EXPECT_EQ(g_percent, 100);
}

TEST_F(Controls, UserDataIsAttachedOnceAndFreedWithTheControl)
{
    control* c = add_string(screen_list, nullptr, "x", 4);
    const int32_t a = 5, b = 6;
    EXPECT_EQ(attach_control_user_data(c, &a, sizeof a), 1);
    EXPECT_EQ(attach_control_user_data(c, &b, sizeof b), 0);
    EXPECT_EQ(*static_cast<int32_t*>(c->user_data), 5) << "the old data stays";
    EXPECT_EQ(free_control_user_data(c), 1);
    EXPECT_EQ(free_control_user_data(c), 0);
    EXPECT_EQ(attach_control_user_data(c, &b, sizeof b), 1); // freed by the tree in TearDown
}

TEST_F(Controls, MeasuresOfStringsSelectsAndLists)
{
    control* s = add_string(screen_list, nullptr, "Wide text", 20, STRING_LABEL);
    string_record(s)->settings.label_x = 40;
    select_font(1);
    EXPECT_EQ(control_width(s), string_width("Wide text") + 40);
    EXPECT_EQ(control_height(s), string_height("Wide text"));
    control* sel = add_select(screen_list, "Label", {"A"});
    EXPECT_EQ(control_width(sel), 120);
    EXPECT_EQ(control_height(sel), control_height(list_current_data(select_record(sel))));
    EXPECT_EQ(list_max_width(screen_list), 120) << "the select is the widest";
    EXPECT_EQ(list_max_width(nullptr), 0);
    const uint8_t widths[3 + 96] = {0, 8, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                    0, 0, 0, 0, 0, 0, 0, 0, 0, 5}; // space 3, 'A' (65) at 36 is 5
    EXPECT_EQ(text_width_by_table(widths, "A A\n"), 13);
}

} // namespace
