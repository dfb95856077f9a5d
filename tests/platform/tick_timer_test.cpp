#include "platform/tick_timer.h"
#include "host/host_test_hooks.h"

#include "host/clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

uint32_t g_now = 0;
uint32_t fake_clock() { return g_now; }

std::vector<uint32_t> g_ticks;
TickTimer* g_cut_short = nullptr;
void record_tick(uint32_t n)
{
    g_ticks.push_back(n);
    if (g_cut_short && g_ticks.size() == 2) g_cut_short->due = 2;
}

class TickScheduler : public testing::Test {
protected:
    void SetUp() override
    {
        g_now = 100000;
        g_ticks.clear();
        g_cut_short = nullptr;
        host_set_clock(fake_clock);
        timer = TickTimer{};
        create_timer(62, 0, &timer, record_tick, 0);
        restart_timer(&timer);
        timer_update(&timer); // re-bases: the clock was 3 ms on
        g_ticks.clear();
        timer.total = 0;
        timer.remainder = 0;
    }
    void TearDown() override { host_set_clock(nullptr); }
    int32_t frame(uint32_t ms)
    {
        g_now += ms;
        timer_update(&timer);
        return timer.due;
    }
    TickTimer timer{};
};

} // namespace

TEST(TickSchedulerCreate, PeriodIsTheRoundedMillisecondsPerTick)
{
    struct Case {
        int32_t rate, period;
    } cases[] = {{62, 16}, {41, 24}, {46, 22}, {31, 32}, {60, 17}, {1000, 1}};
    for (const Case& c : cases) {
        TickTimer t{};
        t.remainder = 7; // left as it was
        create_timer(c.rate, 0, &t, nullptr, 0);
        EXPECT_EQ(t.period, c.period) << c.rate;
        EXPECT_EQ(t.rate, c.rate);
        EXPECT_EQ(t.speed_percent, 100);
        EXPECT_EQ(t.tick_number, 0u);
        EXPECT_EQ(t.remainder, 7);
    }
}

TEST_F(TickScheduler, RunsTheDueTicksAndCarriesTheRest)
{
    EXPECT_EQ(frame(50), 3);
    EXPECT_EQ(timer.remainder, 2);
    EXPECT_EQ(frame(14), 1); // 2 carried + 14
    EXPECT_EQ(timer.remainder, 0);
    EXPECT_EQ(frame(10), 0);
    EXPECT_EQ(g_ticks, (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(timer.total, 4);
    EXPECT_EQ(timer.tick_number, 4u);
}

TEST_F(TickScheduler, AtMostFifteenTicksAndTheRestIsDropped)
{
    EXPECT_EQ(frame(300), 15);
    EXPECT_EQ(timer.remainder, 300 % 16);
    EXPECT_EQ(g_ticks.size(), 15u);
    EXPECT_EQ(frame(16), 1); // 12 carried + 16 = 1 tick, nothing of the 300 ms owed
}

TEST_F(TickScheduler, SpeedPercentScalesRealTime)
{
    timer.speed_percent = 50;
    EXPECT_EQ(frame(31), 0);
    EXPECT_EQ(timer.remainder, 15); // 31 * 50 / 100 truncated
    EXPECT_EQ(frame(2), 1);
    timer.speed_percent = 200;
    timer.remainder = 0;
    EXPECT_EQ(frame(40), 5);
}

TEST_F(TickScheduler, AClockStepBackwardsOwesTimeToLaterUpdates)
{
    frame(40); // 2 ticks, 8 carried
    EXPECT_EQ(frame(static_cast<uint32_t>(-40)), -2);
    EXPECT_EQ(timer.total, 0);
    EXPECT_EQ(timer.remainder, 0);
    EXPECT_EQ(g_ticks.size(), 2u);
    EXPECT_EQ(frame(static_cast<uint32_t>(-5)), 0);
    EXPECT_EQ(timer.remainder, -5);
    EXPECT_EQ(frame(20), 0); // pays back the 5 first
    EXPECT_EQ(timer.remainder, 15);
}

TEST_F(TickScheduler, FixedStepRunsOneTickPerUpdateWhateverTheClock)
{
    TickTimer fixed{};
    create_timer(62, 1, &fixed, record_tick, 0);
    for (uint32_t jump : {0u, 500u, 3u}) {
        g_now += jump;
        timer_update(&fixed);
        EXPECT_EQ(fixed.due, 1);
    }
    EXPECT_EQ(fixed.tick_number, 3u);
}

TEST_F(TickScheduler, NullCallbackStillAdvancesTheTickNumber)
{
    timer.callback = nullptr;
    frame(48);
    EXPECT_EQ(timer.tick_number, 3u);
    EXPECT_TRUE(g_ticks.empty());
}

TEST_F(TickScheduler, ATickMayCutTheRunShort)
{
    g_cut_short = &timer;
    EXPECT_EQ(frame(160), 2);
    EXPECT_EQ(g_ticks.size(), 2u);
    EXPECT_EQ(timer.total, 2);
}

TEST_F(TickScheduler, RestartForgetsThePause)
{
    frame(16);
    timer.owner_word_a = 9;
    restart_timer(&timer);
    EXPECT_EQ(timer.owner_word_a, 0u);
    g_now += 60000; // a minute in the menus
    timer_update(&timer);
    EXPECT_EQ(timer.due, 0); // only about 3 ms seen
    EXPECT_EQ(timer.now - timer.prev, 3u);
    EXPECT_EQ(timer.restart, 0);
}

TEST_F(TickScheduler, SaveAndRestoreTheRecord)
{
    frame(50);
    timer.owner_word_b = 5;
    save_tick_timer(&timer);
    frame(50);
    restore_tick_timer(&timer);
    EXPECT_EQ(timer.tick_number, 3u);
    EXPECT_EQ(timer.owner_word_b, 0u);
}

TEST(SixtyHertzCounter, CountsSixtiethsWithoutDrift)
{
    static uint32_t now;
    now = 5000;
    host_set_clock([] { return now; });
    struct Case {
        std::vector<uint32_t> frames;
        int32_t ticks;
    } cases[] = {
        {std::vector<uint32_t>(100, 10), 60}, // a second in 10 ms frames
        {std::vector<uint32_t>(1000, 1), 60}, // a second in 1 ms steps
        {{17}, 1},
        {{16, 17, 17, 17, 16, 17}, 6}, // 100 ms
    };
    for (const Case& c : cases) {
        reset_tick_counter();
        int32_t total = 0;
        for (uint32_t ms : c.frames) {
            now += ms;
            total += get_elapsed_ticks();
        }
        EXPECT_EQ(total, c.ticks) << c.frames.size() << " frames";
    }
    // A minute of alternating 16 and 17 ms frames stays exact.
    reset_tick_counter();
    int32_t total = 0;
    uint32_t elapsed = 0;
    for (int i = 0; elapsed < 60000; ++i) {
        uint32_t ms = (i % 3 == 0) ? 16 : 17;
        now += ms;
        elapsed += ms;
        total += get_elapsed_ticks();
    }
    EXPECT_EQ(total, static_cast<int32_t>(elapsed * 60 / 1000));
    host_set_clock(nullptr);
}
