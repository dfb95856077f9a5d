// The men as drawn: the model instance follows the match record, and the
// ball sits with its holder.
#include "players/driver_fixture.h"

#include "display/men_display.h"
#include "match/held_ball.h"

namespace {

class MenDisplay : public DriverTest {};

TEST_F(MenDisplay, SyncCopiesPositionHeadingAndBothChannels)
{
    still(100, 10);
    still(360, 30);
    man->x = 300, man->x_frac = 0x8000, man->y = -20, man->z = 5;
    man->facing = 10;
    play_man_animation(man, 100, 2, 1.0);
    sync_man_display(man);
    EXPECT_EQ(man->model.x, 300 * 256 + 128);
    EXPECT_EQ(man->model.y, -20 * 256);
    EXPECT_EQ(man->model.height, 5 * 256);
    EXPECT_EQ(man->display_position[0], man->model.x);
    EXPECT_EQ(man->model.heading, 640);
    EXPECT_EQ(man->model.primary.animation, 100);
    EXPECT_EQ(man->model.primary.time, 100000u);
    EXPECT_EQ(man->model.blend.animation, -1) << "the secondary channel idles";
    set_man_animation(man, 360, 1, 1.0);
    sync_man_display(man);
    EXPECT_EQ(man->model.blend.animation, 360);
    EXPECT_EQ(man->model.blend.time, 50000u);
}

TEST_F(MenDisplay, DrawnTurnsLeaveTheFacingAlone)
{
    struct {
        uint32_t animation;
        int32_t heading;
    } cases[] = {{369, ((10 - 112) & 255) * 64}, {285, 74 * 64}, {371, 74 * 64}, {191, (138 * 64) & 0x3FC0}, {0, 640}};
    for (auto c : cases) {
        man->facing = 10;
        man->primary_animation = c.animation;
        sync_man_display(man);
        EXPECT_EQ(man->model.heading, c.heading) << c.animation;
        EXPECT_EQ(man->facing, 10);
    }
}

// The match puts the held ball with its holder every tick; the display only
// picks the model that draws it and leaves the ball where it lies.
TEST_F(MenDisplay, TheBallGoesWithItsHolder)
{
    still(100, 10);
    PafAnimation* own_ball = install(101, still_animation(10, 0), follow(-1), std::vector<uint8_t>(10, 0));
    own_ball->separate_ball = 1;
    man->x = 1000, man->y = 2000, man->z = 0, man->facing = 0;
    play_man_animation(man, 100, 0, 1.0);
    sync_man_display(man);
    EXPECT_EQ(prepare_man_and_ball_display(man, 0), MAN_LEVEL_NORMAL) << "not the holder";
    match_globals.ball_holder = man;
    ball_state.x = 7 << 16, ball_state.y = 8 << 16;
    EXPECT_EQ(prepare_man_and_ball_display(man, 0), MAN_LEVEL_BALL_IN_HAND);
    EXPECT_EQ(ball_state.x, 7 << 16) << "drawing moves nothing";
    EXPECT_EQ(place_held_ball(man), 0);
    EXPECT_EQ(ball_state.x, 1000 << 16);
    EXPECT_EQ(ball_state.y, 2000 << 16);
    EXPECT_EQ(ball_state.z, 256 << 16);
    EXPECT_EQ(ball_state.prev_x, 7);
    // A row drawing the ball apart puts it in his right hand.
    play_man_animation(man, 101, 0, 1.0);
    sync_man_display(man);
    EXPECT_EQ(prepare_man_and_ball_display(man, 0), MAN_LEVEL_NORMAL);
    EXPECT_EQ(place_held_ball(man), 1);
    int32_t hand[3];
    float angles[3];
    eval_animation(nullptr, hand, angles, 101, 0, JOINT_RIGHT_HAND, 0);
    EXPECT_EQ(ball_state.x, (1000 * 256 + hand[0]) * 256);
    EXPECT_EQ(ball_state.z, hand[1] * 256);
    EXPECT_EQ(ball_state.y, (2000 * 256 + hand[2]) * 256);
}

} // namespace
