// Markers over the men on the kit's data: the holder's, and the jump-catch
// indicator over a human's controlled man.
#include "players/kit_fixture.h"

#include "display/men_display.h"
#include "platform/controllers.h"

#include <cstring>

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

// The men a player steers are ringed, nearest the ball first, three at most.
TEST_F(MenMarkersTest, ThePlayersMenRingedNearestTheBallFirst)
{
    TeamRecord& team = team_records[0];
    PlayerSlot* far = &team.slots[5];
    PlayerSlot* near = &team.slots[6];
    PlayerSlot* nearest = &team.slots[7];
    man->ball_distance = 900;
    far->ball_distance = 3000;
    near->ball_distance = 500;
    nearest->ball_distance = 100;
    controllers[0].men[1] = far;
    controllers[0].men[2] = near;
    controllers[1] = controller_record{};
    controllers[1].present = 1;
    controllers[1].side = 1;
    controllers[1].men[0] = nearest;
    prepare_men_display();
    ASSERT_EQ(men_markers.highlight_count, 3);
    EXPECT_EQ(men_markers.highlight[0], nearest);
    EXPECT_EQ(men_markers.highlight[1], near);
    EXPECT_EQ(men_markers.highlight[2], man) << "the farthest drops off";
    // A controller that plays no side steers nobody; the holder has his own marker.
    controllers[1].side = 0;
    hold_ball();
    prepare_men_display();
    ASSERT_EQ(men_markers.highlight_count, 2);
    EXPECT_EQ(men_markers.highlight[0], near);
    EXPECT_EQ(men_markers.highlight[1], far);
    controllers[1] = controller_record{};
}

// One arrow an octant for the holder's disposal options, the goal included.
TEST_F(MenMarkersTest, DirectionArrowOctantsFromTheDisposalLists)
{
    MatchGlobals& g = match_globals;
    std::memset(g.handball_list, 0, sizeof g.handball_list);
    std::memset(g.kick_list, 0, sizeof g.kick_list);
    EXPECT_EQ(direction_arrow_octants(), 0);
    PlayerSlot* mate = &team_records[0].slots[5];
    g.handball_list[0] = {mate, 15, 0};  // octant 0
    g.handball_list[1] = {mate, 16, 0};  // octant 1
    g.kick_list[0] = {nullptr, 250, 1};  // the goal: 266 wraps to octant 0
    g.kick_list[1] = {mate, 112, 0};     // octant 4
    g.kick_list[3] = {mate, 200, 0};     // past the end mark
    EXPECT_EQ(direction_arrow_octants(), 0x01 | 0x02 | 0x10);
    std::memset(g.handball_list, 0, sizeof g.handball_list);
    std::memset(g.kick_list, 0, sizeof g.kick_list);
}

} // namespace
