#include "control_fixture.h"

#include "frontend/widget_helpers.h"
#include "league/league_data.h"

#include <cstring>
#include <string>

namespace {

struct Widgets : Controls {
    void SetUp() override
    {
        Controls::SetUp();
        reset_editor_widgets();
    }
    void TearDown() override
    {
        reset_editor_widgets();
        Controls::TearDown();
    }
};

int g_created, g_deleted, g_last_percent;
void created(control*) { ++g_created; }
void deleted(control*) { ++g_deleted; }
void drawn(control*, int32_t, int32_t, int32_t w, int32_t h, int32_t percent)
{
    EXPECT_EQ(w, 84);
    EXPECT_EQ(h, 10);
    g_last_percent = percent;
}

TEST_F(Widgets, SevenScreenDrawnSlidersOverTheEditorsAttributes)
{
    g_created = g_deleted = 0;
    editor_widgets.bar_created = created;
    editor_widgets.bar_draw = drawn;
    editor_widgets.bar_deleted = deleted;
    for (int i = 0; i < ATTRIBUTE_SLIDERS; ++i) editor_widgets.attributes[i] = attribute_slider_rows[i].maximum;
    create_attribute_sliders();
    EXPECT_EQ(g_created, 7);
    EXPECT_EQ(editor_widgets.controls->count, 7);
    editor_widgets.attributes[5] = 153; // height at its minimum
    update_control_list(editor_widgets.controls);
    EXPECT_EQ(g_last_percent, 100) << "the last one drawn is at its maximum";
    free_control_tree(&editor_widgets.controls);
    EXPECT_EQ(g_deleted, 7);
}

TEST_F(Widgets, ADropNearThePickUpSetsTheTextAtOnceAndFartherGlides)
{
    char buffer[32] = "";
    create_floating_text_box(buffer);
    control* target_control = add_string(screen_list, nullptr, "", 20);
    editor_widgets.target = string_record(target_control);
    std::strcpy(editor_widgets.text, "Moved");
    editor_widgets.busy = 1;
    editor_widgets.pick_x = 100, editor_widgets.pick_y = 100;
    drop_glide(105, 108); // under 10 units
    EXPECT_EQ(field_text(target_control), "Moved");
    EXPECT_EQ(editor_widgets.busy, 0);
    editor_widgets.busy = 1;
    drop_glide(110, 100); // exactly 10 units: one step
    EXPECT_EQ(editor_widgets.glide_steps, 1);
    EXPECT_DOUBLE_EQ(editor_widgets.glide_dx, 10.0);
}

TEST_F(Widgets, ASecondPickUpWhileOneIsUnderWayDoesNothing)
{
    char buffer[32] = "";
    create_floating_text_box(buffer);
    control* a = add_string(screen_list, nullptr, "First", 20);
    control* b = add_string(screen_list, nullptr, "Second", 20);
    draw_control_list(screen_list);
    pick_up_control_text(nullptr, &string_record(a)->display.text_icon, nullptr);
    EXPECT_STREQ(editor_widgets.text, "First");
    EXPECT_EQ(field_text(a), "") << "the source shows the placeholder meanwhile";
    pick_up_control_text(nullptr, &string_record(b)->display.text_icon, nullptr);
    EXPECT_STREQ(editor_widgets.text, "First");
    EXPECT_EQ(field_text(b), "Second");
}

TEST_F(Widgets, RectanglesHitAWindowStretchedByHalfItsRounding)
{
    control* list = add_list(screen_list, {100, 50, 200, 300}, 20);
    EXPECT_TRUE(rect_hits_round_window(60, 91, 10, 5, list)) << "a corner 9 above the top: inside the rounding";
    EXPECT_FALSE(rect_hits_round_window(60, 80, 10, 5, list));
    EXPECT_FALSE(rect_hits_round_window(50, 150, 0, 0, list)) << "on the edge is not inside";
    EXPECT_TRUE(rect_hits_round_window(20, 140, 60, 40, list)) << "the centre inside";
}

int g_rebuilt;
void rebuilt() { ++g_rebuilt; }

TEST_F(Widgets, TheSelectedPlayersRatedAttributesGoToTheEditor)
{
    g_rebuilt = 0;
    editor_widgets.selected_team = 3;
    editor_widgets.selected_slot = 5;
    editor_widgets.rebuild_page = rebuilt;
    copy_selected_player_attributes();
    const league_player* p = league_team_at(3)->players[5];
    EXPECT_EQ(editor_widgets.attributes[0], player_i16(p, PLAYER_SPEED));
    EXPECT_EQ(editor_widgets.attributes[1], player_i16(p, PLAYER_KICKING));
    EXPECT_EQ(editor_widgets.attributes[5], player_i32(p, PLAYER_HEIGHT));
    EXPECT_EQ(g_rebuilt, 1);
    editor_widgets.selected_team = 99; // no such club: nothing changes
    copy_selected_player_attributes();
    EXPECT_EQ(g_rebuilt, 1);
}

TEST_F(Widgets, LayoutRecordsKeepTheHalvesLowFirst)
{
    IconLayout r{};
    const int32_t five[5] = {0x00020001, -1, 0, 7, 0x10000};
    fill_icon_layout(&r, five, 9, 0x00050004, 6, 11);
    EXPECT_EQ(r.halves[0], 1);
    EXPECT_EQ(r.halves[1], 2);
    EXPECT_EQ(r.halves[2], 0xFFFF);
    EXPECT_EQ(r.halves[9], 1);
    EXPECT_EQ(r.pair[0], 4);
    EXPECT_EQ(r.pair[1], 5);
    EXPECT_EQ(r.value, 6);
    EXPECT_EQ(r.word_b, 11u);
}

} // namespace
