#include "cmn/libtest.h"
#include "win/threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class Threads : public ::testing::Test {
protected:
    void SetUp() override { registermainthread(); }
};

struct Seen {
    ThreadRecord* record;
    std::atomic<bool> mine{false}, main{true}, calling{false}, after_exit{false};
    std::atomic<uintptr_t> parameter{0};
};
Seen g_seen;

void look_around(uintptr_t parameter)
{
    g_seen.parameter.store(parameter);
    g_seen.mine.store(isthread(g_seen.record));
    g_seen.main.store(isthread(LIB_MAINTHREAD));
    g_seen.calling.store(isthread(LIB_THISTHREAD));
}

TEST_F(Threads, NewThreadRunsWithItsParameterAndKnowsItself)
{
    ThreadRecord record{};
    g_seen.record = &record;
    ASSERT_NE(createparamthread2(look_around, 42, 65536, 2, 0, &record), nullptr);
    EXPECT_EQ(record.stacksize, 65536u);
    EXPECT_EQ(getthreadpriority(&record), 2);
    removethread(&record);
    EXPECT_EQ(record.handle, nullptr);
    EXPECT_EQ(g_seen.parameter.load(), 42u);
    EXPECT_TRUE(g_seen.mine.load());
    EXPECT_FALSE(g_seen.main.load());
    EXPECT_TRUE(g_seen.calling.load());
    EXPECT_TRUE(isthread(LIB_MAINTHREAD));
    EXPECT_FALSE(isthread(&record));
}

void leave_early()
{
    exitthread();
    g_seen.after_exit.store(true);
}

TEST_F(Threads, ExitThreadEndsOnlyThatThread)
{
    ThreadRecord record{};
    ASSERT_NE(createparamthread(leave_early, 0, 0, 0, &record), nullptr);
    removethread(&record);
    EXPECT_FALSE(g_seen.after_exit.load());
}

TEST_F(Threads, MainThreadCannotBeRemovedAndLevelsStayInRange)
{
    AbortCatcher aborts;
    removethread(LIB_MAINTHREAD);
    EXPECT_TRUE(aborts.saw("removethread - CANNOT REMOVE THE MAIN THREAD.\n"));
    ThreadRecord record{};
    struct Case {
        int32_t asked, kept;
    };
    for (Case c : {Case{-3, -3}, Case{3, 3}, Case{4, 0}, Case{-9, 0}}) {
        setthreadpriority(&record, c.asked);
        EXPECT_EQ(getthreadpriority(&record), c.kept) << c.asked;
    }
}

TEST_F(Threads, EventsResetAsTheirKindSays)
{
    LibEvent* automatic = createevent();
    LibEvent* manual = createmanualevent();
    EXPECT_EQ(pollevent(automatic), 0);
    setevent(automatic);
    setevent(manual);
    EXPECT_EQ(pollevent(automatic), 1);
    EXPECT_EQ(pollevent(automatic), 0);
    EXPECT_EQ(pollevent(manual), 1);
    EXPECT_EQ(pollevent(manual), 1);
    resetevent(manual);
    EXPECT_EQ(pollevent(manual), 0);
    // No timer runs: a tick is 10 ms, and nothing comes.
    EXPECT_EQ(waiteventticks(automatic, 1), 0);
    setevent(automatic);
    EXPECT_EQ(waiteventticks(automatic, 1), 1);
    closeevent(automatic);
    closeevent(manual);
}

TEST_F(Threads, WaitsWakeOnTheEventTheyWaitFor)
{
    LibEvent* events[3] = {createevent(), createevent(), createmanualevent()};
    std::atomic<LibEvent*> woken{nullptr};
    std::thread waiter([&] { woken.store(waitanyevent(3, events, ~0u)); });
    setevent(events[1]);
    waiter.join();
    EXPECT_EQ(woken.load(), events[1]);
    EXPECT_EQ(pollevent(events[1]), 0);
    EXPECT_EQ(waitanyevent(3, events, 1), nullptr);

    // A pulse releases a waiter that is there and leaves the event unsignalled.
    std::atomic<bool> released{false};
    std::thread pulsed([&] {
        waitevent(events[2]);
        released.store(true);
    });
    while (!released.load()) {
        pulseevent(events[2]);
        sleepthread(1);
    }
    pulsed.join();
    EXPECT_EQ(pollevent(events[2]), 0);
    for (LibEvent* e : events) closeevent(e);
}

TEST_F(Threads, LocksComeBackFromThePoolLastInFirstOut)
{
    deletecritical(nullptr);
    LibLock lock = createcritical();
    ASSERT_NE(lock, nullptr);
    entercritical(lock);
    entercritical(lock); // re-entrant on one thread
    std::atomic<bool> got{false};
    std::thread other([&] {
        entercritical(lock);
        got.store(true);
        leavecritical(lock);
    });
    sleepthread(5);
    EXPECT_FALSE(got.load());
    leavecritical(lock);
    leavecritical(lock);
    other.join();
    EXPECT_TRUE(got.load());
    deletecritical(lock);
    EXPECT_EQ(createcritical(), lock);
    deletecritical(lock);
}

TEST_F(Threads, ManyLocksGrowThePool)
{
    std::vector<LibLock> locks;
    for (int i = 0; i < 300; ++i) locks.push_back(createcritical());
    std::sort(locks.begin(), locks.end());
    EXPECT_EQ(std::unique(locks.begin(), locks.end()), locks.end());
    EXPECT_NE(locks.front(), nullptr);
    for (LibLock lock : locks) deletecritical(lock);
}

TEST_F(Threads, LastErrorIsPerThreadAndHasItsText)
{
    setlasterror(0x10002);
    std::thread([] { EXPECT_EQ(getlasterror(), 0u); }).join();
    char text[40];
    EXPECT_EQ(lasterrortext(text, sizeof text), 2u);
    EXPECT_STREQ(text, "[    2] sorry, not implemented");
    char small[6];
    lasterrortext(small, sizeof small);
    EXPECT_STREQ(small, "[    ");
    setlasterror(0);
}

} // namespace
