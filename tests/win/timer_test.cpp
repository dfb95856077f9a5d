#include "cmn/addtimer.h"
#include "host/host_test_hooks.h"
#include "cmn/libtest.h"
#include "host/clock.h"
#include "win/threads.h"
#include "win/timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// ---- pacing on a clock of our own ----

TEST(TimerPace, TwoHundredFortyEventsASecondFourOrFiveMillisecondsApart)
{
    TimerPace pace{65536000 / 240, 0, 5000, 0};
    EXPECT_EQ(pace.period, 273066u);
    uint32_t now = 5000;
    for (int event = 1; event <= 2400; ++event) {
        int32_t delay = timerpace(pace, now);
        // The one-shot fires one millisecond before the due time.
        EXPECT_EQ(now + static_cast<uint32_t>(delay), pace.due - 1);
        if (event > 1) {
            EXPECT_TRUE(delay == 4 || delay == 5) << event << ": " << delay;
        }
        now += static_cast<uint32_t>(delay);
        // The fraction carries: 240 periods never drift a whole millisecond.
        if (event % 240 == 0) {
            EXPECT_EQ(pace.due - 5000, static_cast<uint32_t>(event / 240 * 1000 - 1)) << event;
        }
    }
    EXPECT_EQ(pace.resyncs, 0u);
}

TEST(TimerPace, AStallOfTwoSecondsResyncsOnceWithoutABurst)
{
    TimerPace pace{65536000 / 240, 0, 100, 0};
    uint32_t now = 100;
    for (int i = 0; i < 10; ++i) now += static_cast<uint32_t>(timerpace(pace, now));
    now += 2000;
    EXPECT_EQ(timerpace(pace, now), 1);
    EXPECT_EQ(pace.resyncs, 1u);
    now += 1;
    for (int i = 0; i < 20; ++i) {
        int32_t delay = timerpace(pace, now);
        EXPECT_GE(delay, 3) << i;
        now += static_cast<uint32_t>(delay);
    }
    EXPECT_EQ(pace.resyncs, 1u);
}

TEST(TimerPace, AShortStallCatchesUpWithoutResync)
{
    TimerPace pace{65536000 / 100, 0, 0, 0};
    uint32_t now = 0;
    now += static_cast<uint32_t>(timerpace(pace, now));
    now += 500; // 50 events behind
    int quick = 0;
    while (timerpace(pace, now) == 1) ++quick, ++now;
    EXPECT_GE(quick, 40);
    EXPECT_EQ(pace.resyncs, 0u);
}

uint32_t g_fake_ms = 0;
uint32_t fake_clock() { return g_fake_ms; }

TEST(TimerTick, SlowCounterCountsEighteenPointTwoAPeriodOfASecond)
{
    host_set_clock(fake_clock);
    g_fake_ms = 70000;
    timertick(); // from here on the clock is ours
    uint32_t start = getslowcount();
    // 1193 / 65536 of a period each millisecond: over 65,536 ms the carried
    // fraction comes back to where it was, whatever it was.
    for (int tick = 0; tick < 256; ++tick) {
        g_fake_ms += 256;
        timertick();
    }
    EXPECT_EQ(getslowcount() - start, 1193u);
    host_set_clock(nullptr);
}

// ---- system tasks, stepped by hand ----

std::vector<std::pair<int, int32_t>> g_ran;

template <int N> uint32_t task(uintptr_t, int32_t late)
{
    g_ran.push_back({N, late});
    return N == 2 ? 0x10 : N == 3 ? 0x01 : 0;
}

class SystemTasks : public ::testing::Test {
protected:
    void SetUp() override
    {
        registermainthread();
        g_ran.clear();
        runsystemtasks(0);
        timertick();
        runsystemtasks(0); // the dispatcher has seen this tick
    }
    void TearDown() override
    {
        for (SystemTask t : {task<1>, task<2>, task<3>}) removesystemtask(t);
    }
};

TEST_F(SystemTasks, FirstDelayZeroRunsAtTheNextTickThenByPeriod)
{
    addsystemtask(task<1>, 3, 0);
    EXPECT_EQ(runsystemtasks(0), 0u);
    EXPECT_TRUE(g_ran.empty());
    std::vector<int> ran_at;
    for (int tick = 1; tick <= 7; ++tick) {
        timertick();
        runsystemtasks(0);
        runsystemtasks(0); // once per tick, however often it is called
        if (!g_ran.empty()) ran_at.push_back(tick), g_ran.clear();
    }
    EXPECT_EQ(ran_at, (std::vector<int>{1, 4, 7}));
}

TEST_F(SystemTasks, ResultsAreOredAndLatenessIsPassed)
{
    addsystemtask(task<2>, 1, 1);
    addsystemtask(task<3>, 1, 1);
    timertick();
    timertick();
    timertick();
    EXPECT_EQ(runsystemtasks(0), 0x11u);
    ASSERT_EQ(g_ran.size(), 2u);
    EXPECT_EQ(g_ran[0], (std::pair<int, int32_t>{2, 2}));
    EXPECT_EQ(g_ran[1], (std::pair<int, int32_t>{3, 2}));
}

TEST_F(SystemTasks, AddingAgainReplacesAndAFullListIsReported)
{
    AbortCatcher aborts;
    addsystemtask(task<1>, 1, 0);
    addsystemtask(task<1>, 5, 10); // same slot, new period and delay
    timertick();
    runsystemtasks(0);
    EXPECT_TRUE(g_ran.empty());

    SystemTask fillers[] = {task<10>, task<11>, task<12>, task<13>, task<14>, task<15>, task<16>, task<17>,
                            task<18>, task<19>, task<20>, task<21>, task<22>, task<23>, task<24>, task<25>};
    for (SystemTask t : fillers) addsystemtask(t, 100, 100);
    EXPECT_EQ(aborts.count(), 1u);
    EXPECT_TRUE(aborts.saw("addsystemtask - LIST FULL\n"));
    for (SystemTask t : fillers) removesystemtask(t);
}

TEST_F(SystemTasks, ThreadsAddWhileTheMainThreadDispatches)
{
    std::atomic<bool> stop{false};
    std::vector<std::thread> adders;
    SystemTask mine[] = {task<30>, task<31>, task<32>, task<33>};
    for (SystemTask t : mine) {
        adders.emplace_back([t, &stop] {
            while (!stop.load()) {
                addsystemtask(t, 1000000, 1000000);
                removesystemtask(t);
            }
        });
    }
    for (int i = 0; i < 2000; ++i) {
        timertick();
        runsystemtasks(0);
    }
    stop.store(true);
    for (auto& t : adders) t.join();
    EXPECT_TRUE(g_ran.empty());
}

// ---- timer callbacks ----

std::vector<int> g_callbacks;
template <int N> void callback() { g_callbacks.push_back(N); }

TEST(TimerCallbacks, RunInSlotOrderAndTheNinthIsReported)
{
    AbortCatcher aborts;
    cleartimers();
    g_callbacks.clear();
    addtimer(callback<3>);
    addtimer(callback<1>);
    addtimer(callback<3>);
    EXPECT_EQ(timercount(), 2);
    timertick();
    EXPECT_EQ(g_callbacks, (std::vector<int>{3, 1}));
    removetimer(callback<3>);
    addtimer(callback<2>); // takes the first empty slot
    g_callbacks.clear();
    timertick();
    EXPECT_EQ(g_callbacks, (std::vector<int>{2, 1}));

    for (void (*fn)() : {callback<4>, callback<5>, callback<6>, callback<7>, callback<8>, callback<9>})
        addtimer(fn);
    EXPECT_EQ(timercount(), 8);
    EXPECT_EQ(aborts.count(), 0u);
    addtimer(callback<10>);
    EXPECT_TRUE(aborts.saw("addtimer - LIST FULL\n"));
    cleartimers();
    EXPECT_EQ(timercount(), 0);
}

// ---- the running timer ----

class RunningTimer : public ::testing::Test {
protected:
    void SetUp() override { registermainthread(); }
    void TearDown() override
    {
        setcallbackthread(nullptr);
        stoplowtimer();
        stoptimer();
        libsettings.timerrate.store(240);
    }
};

TEST_F(RunningTimer, RatesOutOfRangeAreRefusedOrReplaced)
{
    AbortCatcher aborts;
    struct Case {
        int32_t asked, running_at;
        const char* report;
    };
    const Case cases[] = {
        {0, 100, nullptr},
        {240, 240, nullptr},
        {1001, 0, "inittimer - MULTIMEDIA TIMER CANNOT SUPPORT THIS FREQUENCY.\n"},
        {20000, 100, "inittimer - BAD TIMER FREQUENCY SPECIFIED 20000\n"},
    };
    for (const Case& c : cases) {
        size_t before = aborts.count();
        inittimer(c.asked);
        EXPECT_EQ(libsettings.timerrate.load(), c.running_at) << c.asked;
        EXPECT_EQ(timerrunning(), c.running_at != 0) << c.asked;
        if (c.running_at) {
            EXPECT_GT(gettick(), 0u);
        }
        if (c.report) {
            EXPECT_EQ(aborts.messages().back(), c.report);
        } else {
            EXPECT_EQ(aborts.count(), before);
        }
        stoptimer();
        EXPECT_FALSE(timerrunning());
        EXPECT_EQ(libsettings.timerrate.load(), 0);
    }
}

std::atomic<int> g_served{0};
void serve() { g_served.fetch_add(1); }
std::atomic<int> g_low_calls{0};
void low_callback() { g_low_calls.fetch_add(1); }

TEST_F(RunningTimer, CallbackAndSecondaryThreadsFollowTheTimerAndStop)
{
    inittimer(240);
    ASSERT_TRUE(timerrunning());
    setcallbackthread(serve);
    addlowtimer(low_callback);
    // Bounded waits only: the timer's pace is not asserted here.
    for (int i = 0; i < 5000 && (g_served.load() < 3 || g_low_calls.load() < 3); ++i) sleepthread(1);
    EXPECT_GE(g_served.load(), 3);
    EXPECT_GE(g_low_calls.load(), 3);

    setcallbackthread(nullptr);
    removelowtimer(low_callback);
    int served = g_served.load(), low = g_low_calls.load();
    waitticks(5);
    EXPECT_EQ(g_served.load(), served);
    EXPECT_EQ(g_low_calls.load(), low);
}

uint32_t g_task_ticks = 0;
uint32_t counting_task(uintptr_t, int32_t)
{
    ++g_task_ticks;
    return g_task_ticks >= 3 ? 1 : 0;
}

TEST_F(RunningTimer, WaitsRunTheSystemTasks)
{
    inittimer(240);
    g_task_ticks = 0;
    addsystemtask(counting_task, 1, 0);
    EXPECT_EQ(waitticksortask(100000), 1u);
    EXPECT_EQ(g_task_ticks, 3u);
    removesystemtask(counting_task);
    setdeadline(2);
    waitdeadline();
    EXPECT_TRUE(deadlinereached());
}

TEST_F(RunningTimer, ExitFunctionsStopTheTimer)
{
    inittimer(240);
    setcallbackthread(serve);
    librunexitfunctions();
    EXPECT_FALSE(timerrunning());
    EXPECT_EQ(libsettings.timerrate.load(), 0);
}

} // namespace

namespace {

void abort_on_the_timer_thread()
{
    cleartimers();
    LIBFAIL("cmn\\addtimer", "timercallback - ABORT FROM THE TIMER THREAD\n");
}

// The abort ends the process from the timer thread; the exit functions,
// which would wait for that very thread, do not run.
void abort_from_timer_then_wait()
{
    registermainthread();
    inittimer(240);
    setcallbackthread(serve);
    addtimer(abort_on_the_timer_thread);
    for (;;) sleepthread(10);
}

TEST(RunningTimerDeathTest, AnAbortFromAnotherThreadEndsTheProcessWithAFailure)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(abort_from_timer_then_wait(), ::testing::ExitedWithCode(1),
                "ABORT FROM THE TIMER THREAD\nFILE cmn\\\\addtimer LINE [0-9]+ FUNCTION");
}

} // namespace
