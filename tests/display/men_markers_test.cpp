// Markers over the men on the kit's data: the holder's, and the jump-catch
// indicator over a human's controlled man.
#include "players/kit_fixture.h"

#include "display/men_display.h"
#include "platform/controllers.h"

namespace {

class MenMarkersTest : public KitMan {
protected:
    void SetUp() override
    {
        KitMan::SetUp();
        controllers[0] = controller_record{};
        controllers[0].present = 1;
        controllers[0].side = -1;
        controllers[0].men[0] = man;
        game_settings.team_options[0].intercept_circle = 1;
        // A ball coming down just ahead of him.
        for (int k = 0; k < PREDICTED_STEPS; ++k) {
            predicted_ball_path.position[k][0] = 120 << 16;
            predicted_ball_path.position[k][1] = std::max(0, 4000 - 15 * k) << 16;
            predicted_ball_path.position[k][2] = 0;
        }
        ball_state.flags = 1;
        ball_state.flight_flags = 0x20;
        ball_state.z = 4000 << 16;
    }
    void TearDown() override
    {
        controllers[0] = controller_record{};
        game_settings.team_options[0].intercept_circle = 0;
        KitMan::TearDown();
    }
};

TEST_F(MenMarkersTest, JumpIndicatorOverTheControlledMan)
{
    prepare_men_display();
    ASSERT_EQ(men_markers.jump_count, 1);
    EXPECT_EQ(men_markers.jump_man[0], man);
    EXPECT_NE(men_markers.jump_action[0], 0);
    EXPECT_EQ(men_markers.holder, nullptr);
    EXPECT_EQ(man->plan_active, 0u) << "asking does not commit";
}

TEST_F(MenMarkersTest, NoIndicatorWhereItIsNotWanted)
{
    match_globals.match_state = 20;
    prepare_men_display();
    EXPECT_EQ(men_markers.jump_count, 0);
    match_globals.match_state = 1;
    game_settings.team_options[0].intercept_circle = 0;
    prepare_men_display();
    EXPECT_EQ(men_markers.jump_count, 0);
    // A held ball: the holder's marker, no indicator.
    game_settings.team_options[0].intercept_circle = 1;
    hold_ball();
    prepare_men_display();
    EXPECT_EQ(men_markers.holder, man);
    EXPECT_EQ(men_markers.jump_count, 0);
}

} // namespace
