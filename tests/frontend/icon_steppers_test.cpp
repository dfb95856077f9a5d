#include "front_end_fixture.h"

#include "frontend/icon_steppers.h"

namespace {

struct Steppers : FrontEnd {
    menu_icon icon{};
    void SetUp() override
    {
        FrontEnd::SetUp();
        icon = menu_icon{};
        front_end_state.frame_ticks = 1;
    }
    icon_state_record& rec(int s) { return icon.states[s]; }
};

TEST_F(Steppers, StepToMiddleHoldsAtHalfTheFramesAndPeriodZeroGetsThereAtOnce)
{
    struct Case {
        uint8_t frames, period, start;
        int8_t timer;
        uint8_t want;
    };
    const Case cases[] = {
        {8, 2, 0, 1, 1},  // one tick: one frame on
        {8, 2, 3, 1, 4},  // reaches the middle and holds
        {8, 2, 4, 1, 4},  // at the middle: stays
        {8, 0, 0, 1, 4},  // period 0: all the way in one frame
        {1, 0, 0, 1, 0},  // one frame: the middle is 0
    };
    for (const Case& c : cases) {
        icon.state = icon.previous_state = ICON_FOCUSED;
        icon_state_record& r = rec(ICON_FOCUSED);
        r.frame_count = c.frames, r.period = static_cast<int8_t>(c.period), r.frame = c.start, r.countdown = c.timer;
        step_to_middle(&r, &icon, nullptr);
        EXPECT_EQ(r.frame, c.want) << int(c.frames) << " frames from " << int(c.start);
    }
}

TEST_F(Steppers, StepBackToRestPlaysTheRestOnceAndStopsAtZero)
{
    icon_state_record& r = rec(ICON_NORMAL);
    r.frame_count = 6, r.period = 0, r.frame = 3, r.countdown = 0;
    step_back_to_rest(&r, &icon, nullptr);
    EXPECT_EQ(r.frame, 0);
    r.period = 1, r.frame = 0, r.countdown = 0;
    step_back_to_rest(&r, &icon, nullptr);
    EXPECT_EQ(r.frame, 0) << "at rest it stays";
}

TEST_F(Steppers, ALinkedPairSwitchesSides)
{
    menu_icon right{};
    icon.flags = ICON_HAS_CHILD;
    icon.child = &right;
    right.parent = &icon;
    select_left_of_pair(nullptr, &icon, nullptr);
    EXPECT_EQ(icon.states[ICON_NORMAL].step, step_back_to_rest);
    EXPECT_EQ(icon.states[ICON_FOCUSED].step, step_to_middle);
    EXPECT_EQ(right.states[ICON_NORMAL].step, nullptr);
    EXPECT_EQ(right.states[ICON_FOCUSED].step, activate_partner);
    EXPECT_EQ(right.states[ICON_CLICKED].step, select_right_of_pair);
    select_right_of_pair(nullptr, &right, nullptr);
    EXPECT_EQ(right.states[ICON_CLICKED].step, select_right_of_pair);
    EXPECT_EQ(right.states[ICON_FOCUSED].step, activate_partner);
    EXPECT_EQ(icon.states[ICON_CLICKED].step, select_left_of_pair);
    activate_partner(nullptr, &right, nullptr);
    EXPECT_EQ(icon.states[ICON_NORMAL].step, step_to_middle);
    EXPECT_EQ(right.states[ICON_NORMAL].step, deactivate_partner);
    deactivate_partner(nullptr, &right, nullptr);
    EXPECT_EQ(icon.states[ICON_NORMAL].step, step_back_to_rest);
    EXPECT_EQ(right.states[ICON_NORMAL].step, nullptr);
}

TEST_F(Steppers, IdleFidgetsSlowDownInTheirBusyFramesAndRestartAtTheLimit)
{
    for (auto& s : icon.states) s.frame = 50;
    random_idle_step(nullptr, &icon, nullptr);
    EXPECT_EQ(icon.limit, 76);
    EXPECT_EQ(icon.states[0].period, 6);
    for (auto& s : icon.states) s.frame = 76;
    random_idle_step(nullptr, &icon, nullptr);
    const bool restarted = icon.states[0].frame == 45 && icon.limit == 76;
    const bool long_run = icon.states[0].frame == 76 && icon.limit == 120;
    EXPECT_TRUE(restarted || long_run);
}

TEST_F(Steppers, DecideIconStateFromThePointer)
{
    static std::vector<uint8_t> box = kit_sw_sprite(20, 10, 10, 5, std::vector<int16_t>(200, 15));
    static const void* frames[1] = {box.data()};
    for (auto& s : icon.states) s.image = reinterpret_cast<uintptr_t>(frames);
    icon.x = 100, icon.y = 100, icon.flags = ICON_FOCUSABLE;
    struct Case {
        int32_t x, y;
        bool down, pressed;
        uint8_t want;
    };
    const Case cases[] = {
        {50, 50, false, false, ICON_NORMAL}, {90, 95, false, false, ICON_FOCUSED}, {110, 100, false, false, ICON_NORMAL},
        {100, 100, true, true, ICON_CLICKED}, {100, 100, true, false, ICON_HELD},
    };
    for (const Case& c : cases) {
        icon_input = IconInput{};
        icon_input.x = c.x, icon_input.y = c.y, icon_input.left_down = c.down, icon_input.left_pressed = c.pressed;
        decide_icon_state(nullptr, &icon, nullptr);
        EXPECT_EQ(icon.state, c.want) << c.x << "," << c.y;
    }
    EXPECT_EQ(icon.rect_left, 90);
    EXPECT_EQ(icon.rect_bottom, 105);
    icon.flags = 0;
    decide_icon_state(nullptr, &icon, nullptr);
    EXPECT_EQ(icon.state, ICON_INACTIVE);
}

} // namespace
