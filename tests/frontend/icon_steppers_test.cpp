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

// A state change keeps a running animation where it was when both states
// show the same images; a linked partner takes the icon's click.
TEST_F(Steppers, AStateChangeCarriesTheAnimationOnAndAPairSharesItsClick)
{
    static const char* const images[2] = {"a", "b"};
    menu_icon partner{};
    icon.flags = ICON_HAS_CHILD;
    icon.child = &partner;
    icon.states[ICON_CLICKED].handler = select_left_of_pair;
    rec(ICON_NORMAL).image = rec(ICON_FOCUSED).image = reinterpret_cast<uintptr_t>(&images[0]);
    rec(ICON_NORMAL).frame = 2, rec(ICON_NORMAL).countdown = 5;
    rec(ICON_FOCUSED).frame_count = 8, rec(ICON_FOCUSED).period = 5;
    icon.previous_state = ICON_NORMAL, icon.state = ICON_FOCUSED;
    step_to_middle(&rec(ICON_FOCUSED), &icon, nullptr);
    EXPECT_EQ(rec(ICON_FOCUSED).frame, 2) << "taken over, not restarted";
    EXPECT_EQ(rec(ICON_FOCUSED).countdown, 4);
    EXPECT_EQ(partner.states[ICON_CLICKED].handler, select_left_of_pair);
    // Other images: the state's own frame stands.
    rec(ICON_NORMAL).image = reinterpret_cast<uintptr_t>(&images[1]);
    rec(ICON_FOCUSED).frame = 0, rec(ICON_FOCUSED).countdown = 5;
    step_back_to_rest(&rec(ICON_FOCUSED), &icon, nullptr);
    EXPECT_EQ(rec(ICON_FOCUSED).frame, 0);
}

// A transition icon plays its opening frames forwards, then shows the
// template's held record; closing plays back to frame 0 and reloads.
TEST_F(Steppers, TransitionIconsOpenToTheirHeldFramesAndCloseBackToRest)
{
    static const char* const images[2] = {"open", "held"};
    menu_icon templ{};
    for (int s = 0; s < ICON_STATES; ++s) {
        templ.states[s].image = reinterpret_cast<uintptr_t>(&images[0]);
        templ.states[s].frame_count = 3, templ.states[s].period = 1, templ.states[s].countdown = 1;
    }
    templ.states[ICON_HELD].image = reinterpret_cast<uintptr_t>(&images[1]);
    templ.states[ICON_HELD].frame = 7;
    icon.user_template = &templ;
    reset_transition_icon(nullptr, &icon, nullptr);
    EXPECT_EQ(rec(ICON_FOCUSED).step, open_step);
    EXPECT_EQ(rec(ICON_NORMAL).step, close_step);
    EXPECT_EQ(rec(ICON_INACTIVE).step, reset_transition_icon);
    icon.state = icon.previous_state = ICON_FOCUSED;
    const uint8_t want[] = {1, 2};
    for (uint8_t f : want) {
        open_step(&rec(ICON_FOCUSED), &icon, nullptr);
        EXPECT_EQ(rec(ICON_FOCUSED).frame, f);
    }
    open_step(&rec(ICON_FOCUSED), &icon, nullptr);
    EXPECT_EQ(rec(ICON_FOCUSED).image, reinterpret_cast<uintptr_t>(&images[1])) << "fully open: held";
    EXPECT_EQ(rec(ICON_FOCUSED).frame, 7);
    EXPECT_EQ(rec(ICON_FOCUSED).step, nullptr) << "the held record's own step";
    EXPECT_EQ(icon.limit, 1) << "the direction turns";
    // Closing runs backwards to frame 0 and reloads both records.
    icon.state = icon.previous_state = ICON_NORMAL;
    rec(ICON_FOCUSED) = templ.states[ICON_FOCUSED];
    rec(ICON_NORMAL).frame = 2, rec(ICON_NORMAL).countdown = 1;
    close_step(&rec(ICON_NORMAL), &icon, nullptr);
    EXPECT_EQ(rec(ICON_NORMAL).frame, 1);
    close_step(&rec(ICON_NORMAL), &icon, nullptr);
    EXPECT_EQ(rec(ICON_NORMAL).frame, 0);
    EXPECT_EQ(rec(ICON_NORMAL).step, close_step);
    EXPECT_EQ(rec(ICON_FOCUSED).step, open_step);
    EXPECT_EQ(icon.limit, 0);
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
