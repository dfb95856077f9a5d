#include "win/timer.h"

#include "win/mainwindow.h"

#include "cmn/addtimer.h"
#include "cmn/lib.h"
#include "host/clock.h"
#include "win/threads.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

std::atomic<uint32_t> g_tick{0};
std::atomic<uint32_t> g_tasktick{0};
std::atomic<uint32_t> g_slow{0};
std::atomic<uint32_t> g_deadline{0};
std::atomic<uint32_t> g_lastdelta{0};
uint32_t g_slowfraction = 0; // timer thread only
uint32_t g_slowlast = 0;

// ---- system tasks ----

struct SystemTaskSlot {
    SystemTask fn;
    uint32_t period;
    uint32_t due;
    bool running;
};
std::mutex g_tasks_mutex; // any thread may add a task while the main thread dispatches
SystemTaskSlot g_tasks[16];
std::atomic<uint32_t> g_lastdispatch{0};

// ---- the timer ----

struct TimerState {
    std::atomic<bool> running{false};
    std::atomic<uint32_t> suspend{0};
    TimerPace pace{};
    LibEvent* event = nullptr; // wakes the timer thread
    ThreadRecord thread{};
};
TimerState g_timer;

// Stands in for the system's one-shot timer: a thread that sleeps until the
// armed moment and then runs the timer event.
struct OneShot {
    std::mutex mutex;
    std::condition_variable cv;
    bool armed = false;
    bool quit = false;
    std::chrono::steady_clock::time_point at;
    ThreadRecord thread{};
    bool started = false;
};
OneShot g_oneshot;

void timerevent();

void oneshot_thread()
{
    std::unique_lock<std::mutex> hold(g_oneshot.mutex);
    for (;;) {
        g_oneshot.cv.wait(hold, [] { return g_oneshot.quit || g_oneshot.armed; });
        if (g_oneshot.quit) return;
        auto at = g_oneshot.at;
        if (g_oneshot.cv.wait_until(hold, at, [&] { return g_oneshot.quit || !g_oneshot.armed || g_oneshot.at != at; }))
            continue;
        g_oneshot.armed = false;
        hold.unlock();
        timerevent();
        hold.lock();
    }
}

bool oneshot_begin()
{
    {
        std::lock_guard<std::mutex> hold(g_oneshot.mutex);
        g_oneshot.quit = false;
        g_oneshot.armed = false;
    }
    g_oneshot.started = createparamthread(oneshot_thread, 0, 2, 0, &g_oneshot.thread) != nullptr;
    return g_oneshot.started;
}

bool oneshot_arm(int32_t delay)
{
    std::lock_guard<std::mutex> hold(g_oneshot.mutex);
    if (g_oneshot.quit) return false;
    g_oneshot.at = std::chrono::steady_clock::now() + std::chrono::milliseconds(delay);
    g_oneshot.armed = true;
    g_oneshot.cv.notify_all();
    return true;
}

void oneshot_end()
{
    {
        std::lock_guard<std::mutex> hold(g_oneshot.mutex);
        g_oneshot.quit = true;
        g_oneshot.armed = false;
        g_oneshot.cv.notify_all();
    }
    if (g_oneshot.started) removethread(&g_oneshot.thread);
    g_oneshot.started = false;
}

// ---- the callback thread ----

struct CallbackThread {
    std::mutex mutex; // guards the event against the timer event that wakes it
    std::atomic<void (*)()> fn{nullptr};
    LibEvent* event = nullptr;
    ThreadRecord thread{};
    bool started = false;
};
CallbackThread g_callback;

void callback_thread()
{
    while (auto fn = g_callback.fn.load()) {
        fn();
        waitevent(g_callback.event);
    }
}

void wake_callback_thread()
{
    std::lock_guard<std::mutex> hold(g_callback.mutex);
    if (g_callback.event) setevent(g_callback.event);
}

// ---- the secondary timer ----

struct LowTimer {
    std::mutex mutex; // guards the event and the running state
    std::atomic<LibLock> lock{nullptr};
    LibEvent* event = nullptr;
    ThreadRecord thread{};
    bool started = false;
    void (*fns[8])() = {};
};
LowTimer g_low;

void low_thread()
{
    LibEvent* event = g_low.event;
    for (;;) {
        waitevent(event);
        LibLock lock = g_low.lock.load();
        if (!lock) return;
        entercritical(lock);
        for (auto fn : g_low.fns) {
            if (!fn) break;
            fn();
        }
        leavecritical(lock);
    }
}

void timer_thread()
{
    for (;;) {
        waitevent(g_timer.event);
        if (!g_timer.running.load()) break;
        timertick();
    }
    libsettings.timerrate.store(0);
}

void timerevent()
{
    int32_t delay = timerpace(g_timer.pace, host_time_ms());
    if (g_timer.running.load() && !oneshot_arm(delay)) {
        libsettings.timerrate.store(0);
        g_timer.running.store(false);
    }
    if (g_timer.suspend.load() == 0) setevent(g_timer.event);
    wake_callback_thread();
    kicklowtimer();
}

} // namespace

// ---- ticks ----

uint32_t gettick() { return g_tick.load(); }
uint32_t ticksince(uint32_t tick) { return g_tick.load() - tick; }
uint32_t getslowcount() { return g_slow.load(); }

uint32_t tickdelta()
{
    uint32_t now = g_tick.load();
    return now - g_lastdelta.exchange(now);
}

void resetticks()
{
    g_tick.store(0);
    g_deadline.store(0);
}

void setdeadline(uint32_t ticks) { g_deadline.store(g_tick.load() + ticks); }

bool deadlinereached() { return static_cast<int32_t>(g_tick.load() - g_deadline.load()) >= 0; }

void waitdeadline()
{
    while (!deadlinereached()) {
        runsystemtasks(0);
        sleepthread(1);
    }
}

uint32_t waitticks(uint32_t ticks)
{
    uint32_t start = g_tick.load();
    while (ticksince(start) < ticks) {
        runsystemtasks(0);
        sleepthread(1);
    }
    return ticksince(start) - ticks;
}

uint32_t waitticksortask(uint32_t ticks)
{
    uint32_t start = g_tick.load();
    uint32_t result = 0;
    while (result == 0 && ticksince(start) < ticks) {
        result |= runsystemtasks(0);
        if (result == 0) sleepthread(1);
    }
    return result;
}

// ---- system tasks ----

void addsystemtask(SystemTask fn, uint32_t period, uint32_t firstdelay)
{
    int chosen = -1;
    {
        std::lock_guard<std::mutex> hold(g_tasks_mutex);
        for (int i = 0; i < 16; ++i)
            if (g_tasks[i].fn == fn) chosen = i;
        for (int i = 0; i < 16 && chosen < 0; ++i)
            if (!g_tasks[i].fn) chosen = i;
        if (chosen >= 0) g_tasks[chosen] = SystemTaskSlot{fn, period, g_tasktick.load() + firstdelay, false};
    }
    if (chosen < 0) LIBFAIL("win\\timer", "addsystemtask - LIST FULL\n");
}

void removesystemtask(SystemTask fn)
{
    std::lock_guard<std::mutex> hold(g_tasks_mutex);
    for (auto& slot : g_tasks) {
        if (slot.fn == fn) {
            slot = SystemTaskSlot{};
            return;
        }
    }
}

uint32_t runsystemtasks(uintptr_t argument)
{
    windowpump(); // the main window's messages are served from the main thread's waits
    uint32_t tick = g_tasktick.load();
    uint32_t last = g_lastdispatch.load();
    if (tick == last || !g_lastdispatch.compare_exchange_strong(last, tick)) return 0;
    uint32_t result = 0;
    for (auto& slot : g_tasks) {
        SystemTask fn = nullptr;
        int32_t late = 0;
        {
            std::lock_guard<std::mutex> hold(g_tasks_mutex);
            if (slot.fn && !slot.running && static_cast<int32_t>(tick - slot.due) >= 0) {
                slot.running = true;
                fn = slot.fn;
                late = static_cast<int32_t>(tick - slot.due);
            }
        }
        if (!fn) continue;
        result |= fn(argument, late);
        std::lock_guard<std::mutex> hold(g_tasks_mutex);
        if (slot.fn == fn) {
            slot.due = tick + slot.period;
            slot.running = false;
        }
    }
    return result;
}

// ---- the timer ----

int32_t timerpace(TimerPace& pace, uint32_t now)
{
    pace.fraction += pace.period;
    pace.due += pace.fraction >> 16;
    pace.fraction &= 0xFFFF;
    int32_t delay = static_cast<int32_t>(pace.due - now - 1);
    if (delay < 1) {
        if (delay < -1000) {
            pace.due = now + 1;
            ++pace.resyncs;
        }
        delay = 1;
    }
    return delay;
}

void timertick()
{
    g_tick.fetch_add(1);
    g_tasktick.fetch_add(1);
    uint32_t now = host_time_ms();
    g_slowfraction += (now - g_slowlast) * 1193u;
    g_slowlast = now;
    g_slow.fetch_add(g_slowfraction >> 16);
    g_slowfraction &= 0xFFFF;
    runtimers();
}

bool timerrunning() { return g_timer.running.load(); }

void inittimer(int32_t rate)
{
    stoptimer();
    if (rate == 0) rate = 100;
    if (rate < 1 || rate > 10000) {
        LIBFAIL("win\\timer", "inittimer - BAD TIMER FREQUENCY SPECIFIED %d\n", rate);
        rate = 100;
    }
    g_timer.pace = TimerPace{static_cast<uint32_t>(65536000 / rate), 0, 0, 0};
    g_tick.store(0);
    g_slow.store(0);
    g_slowfraction = 0;
    g_slowlast = host_time_ms();

    if (65536u > g_timer.pace.period) {
        libsettings.timerrate.store(0);
        LIBFAIL("win\\timer", "inittimer - MULTIMEDIA TIMER CANNOT SUPPORT THIS FREQUENCY.\n");
        return;
    }
    g_timer.event = createevent();
    if (!g_timer.event || !createparamthread(timer_thread, 0, 2, 0, &g_timer.thread)) {
        closeevent(g_timer.event);
        g_timer.event = nullptr;
        libsettings.timerrate.store(0);
        LIBFAIL("win\\timer", "inittimer - FAILED TO CREATE TIMER THREAD.\n");
        return;
    }
    if (!oneshot_begin()) {
        libsettings.timerrate.store(0);
        setevent(g_timer.event);
        removethread(&g_timer.thread);
        closeevent(g_timer.event);
        g_timer.event = nullptr;
        LIBFAIL("win\\timer", "inittimer - FAILED TO INITIALIZE MULTIMEDIA TIMER.\n");
        return;
    }

    libatexit(stoptimer);
    libsettings.timerrate.store(rate);
    g_timer.running.store(true);
    uint32_t suspend = g_timer.suspend.exchange(1);
    {
        // The one-shot thread reads the pace only after it is armed.
        std::lock_guard<std::mutex> hold(g_oneshot.mutex);
        g_timer.pace.due = host_time_ms();
    }
    timerevent();
    g_timer.suspend.store(suspend);

    uint32_t start = g_tick.load();
    for (int32_t waited = 0; g_tick.load() == start && waited < rate * 5; ++waited) sleepthread(1);
    if (g_tick.load() == start) {
        stoptimer();
        LIBFAIL("win\\timer", "inittimer - FAILED TO INITIALIZE WINDOWS MULTIMEDIA TIMER, TRY RE-RUNNING.\n");
        return;
    }
    setaborttimerhook(cleartimers);
}

void stoptimer()
{
    if (g_timer.running.exchange(false)) {
        libsettings.timerrate.store(0);
        oneshot_end();
        setevent(g_timer.event);
        removethread(&g_timer.thread);
        closeevent(g_timer.event);
        g_timer.event = nullptr;
    }
    g_timer.pace.fraction = 0;
    g_timer.suspend.store(0);
    setaborttimerhook(nullptr);
}

void suspendtimer() { g_timer.suspend.fetch_add(1); }

void resumetimer()
{
    uint32_t count = g_timer.suspend.load();
    while (count > 0 && !g_timer.suspend.compare_exchange_weak(count, count - 1)) {
    }
}

// ---- the callback thread ----

void setcallbackthread(void (*fn)())
{
    if (fn) {
        g_callback.fn.store(fn);
        if (g_callback.started) return;
        LibEvent* event = createevent();
        {
            std::lock_guard<std::mutex> hold(g_callback.mutex);
            g_callback.event = event;
        }
        g_callback.started = createparamthread(callback_thread, 0, 3, 0, &g_callback.thread) != nullptr;
        if (g_callback.started) libatexit([] { setcallbackthread(nullptr); });
        return;
    }
    g_callback.fn.store(nullptr);
    if (!g_callback.started) return;
    wake_callback_thread();
    removethread(&g_callback.thread);
    g_callback.started = false;
    std::lock_guard<std::mutex> hold(g_callback.mutex);
    closeevent(g_callback.event);
    g_callback.event = nullptr;
}

// ---- the secondary timer ----

void wininittimer()
{
    if (g_low.started) return;
    libatexit(stoplowtimer);
    LibLock lock = createcritical();
    entercritical(lock);
    {
        std::lock_guard<std::mutex> hold(g_low.mutex);
        g_low.event = createevent();
    }
    g_low.lock.store(lock);
    g_low.started = createparamthread(low_thread, 0, 1, 0, &g_low.thread) != nullptr;
    leavecritical(lock);
    if (!g_low.started) {
        g_low.lock.store(nullptr);
        deletecritical(lock);
        LIBFAIL("win\\timer", "wininittimer - FAILED TO CREATE SECONDARY TIMER`S THREAD.\n");
    }
}

void stoplowtimer()
{
    LibLock lock = g_low.lock.exchange(nullptr);
    if (!lock) return;
    kicklowtimer();
    if (g_low.started) removethread(&g_low.thread);
    g_low.started = false;
    deletecritical(lock);
    std::lock_guard<std::mutex> hold(g_low.mutex);
    closeevent(g_low.event);
    g_low.event = nullptr;
}

void kicklowtimer()
{
    std::lock_guard<std::mutex> hold(g_low.mutex);
    if (g_low.event) setevent(g_low.event);
}

void addlowtimer(void (*fn)())
{
    if (!fn) return;
    if (!g_low.lock.load()) wininittimer();
    LibLock lock = g_low.lock.load();
    entercritical(lock);
    bool listed = false;
    for (auto f : g_low.fns) listed |= f == fn;
    for (auto& f : g_low.fns) {
        if (listed) break;
        if (!f) {
            f = fn;
            break;
        }
    }
    leavecritical(lock);
}

void removelowtimer(void (*fn)())
{
    LibLock lock = g_low.lock.load();
    if (!lock) return;
    entercritical(lock);
    int out = 0;
    for (int i = 0; i < 8; ++i) {
        if (g_low.fns[i] && g_low.fns[i] != fn) g_low.fns[out++] = g_low.fns[i];
    }
    for (int i = out; i < 8; ++i) g_low.fns[i] = nullptr;
    leavecritical(lock);
    if (out == 0) stoplowtimer();
}
