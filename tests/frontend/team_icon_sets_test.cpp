#include "front_end_fixture.h"

#include "frontend/team_icon_sets.h"

#include <set>
#include <string>

namespace {

struct TeamIconSets : FrontEnd {
    void SetUp() override
    {
        FrontEnd::SetUp();
        reset_team_icon_sets();
    }
    void TearDown() override
    {
        reset_team_icon_sets();
        FrontEnd::TearDown();
    }
};

TEST_F(TeamIconSets, ErasWrapAndDealEveryImageOnce)
{
    EXPECT_EQ(std::string(era_name(0)), "Present Day");
    EXPECT_EQ(std::string(era_name(1)), "1970");
    EXPECT_EQ(std::string(era_name(29)), "1998");
    for (int era = 0; era < ERA_COUNT; ++era) {
        std::set<int> images;
        for (int t = 0; t < 16; ++t) images.insert(era_image(era, t));
        EXPECT_EQ(images.size(), 16u) << "era " << era << " deals each image once";
    }
    for (int t = 0; t < 16; ++t) {
        EXPECT_EQ(era_image(0, t), t);
        EXPECT_EQ(era_image(29, t), t);
    }
    EXPECT_NE(era_image(5, 3), 3) << "the eras between dress the clubs otherwise";

    // Stepping wraps both ways and redresses the mascots on screen, whose
    // index stays their club.
    menu_icon mascot{};
    mascot.text = nullptr;
    mascot.user_index = 4;
    shown_team_mascots[4] = &mascot;
    era_previous();
    EXPECT_EQ(current_era, 29);
    EXPECT_EQ(std::string(era_caption), "1998");
    era_next();
    EXPECT_EQ(std::string(era_caption), "Present Day");
    era_next();
    EXPECT_EQ(std::string(era_caption), "1970");
    EXPECT_EQ(mascot.states[ICON_NORMAL].frame, era_image(1, 4));
    EXPECT_EQ(mascot.user_index, 4);
    EXPECT_EQ(team_mascot_templates[4].states[ICON_HELD].frame, era_image(1, 4));
}

TEST_F(TeamIconSets, ASavedListComesBackWhereItStood)
{
    menu_icon a = text_icon("A", 0), b = text_icon("B", 0), title = text_icon("Title", 0, 0, 1);
    add_child_icon(&a, 40, 50, 1);
    add_child_icon(&b, 140, 150, 2);
    add_child_icon(&title, 10, 10, 0);
    SavedIconList list{};
    save_icon_to_list(list, &a, 1);
    save_icon_to_list(list, &b, 2);
    remove_icon(&a);
    remove_icon(&b);
    list.remembered_text = &title;
    list.large_text = 1;
    restore_icon_list(list);
    ASSERT_GE(icon_slot(&a), 0);
    ASSERT_GE(icon_slot(&b), 0);
    EXPECT_EQ(a.x, 40);
    EXPECT_EQ(b.y, 150);
    EXPECT_EQ(active_icon_table.slots[icon_slot(&b)].group, 2);
    for (const icon_state_record& r : title.states) EXPECT_EQ(r.image, 3u);
    EXPECT_EQ(list.count, 0);
    // Without the flag the text keeps its font; an icon already shown is
    // not added twice.
    title.states[0].image = 1;
    list.large_text = 0;
    save_icon_to_list(list, &a, 1);
    const int count = active_icon_table.count;
    restore_icon_list(list);
    EXPECT_EQ(active_icon_table.count, count);
    EXPECT_EQ(title.states[0].image, 1u);
    clear_icon_table();
}

} // namespace
