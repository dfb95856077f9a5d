#include "host/periodic_timer.h"
#include "host/host_test_hooks.h"

#include "host/audio.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Timer {
    uint32_t id;
    std::chrono::milliseconds period;
    HostTimerFn fn;
    void* user;
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false; // under mutex
    std::thread thread;
};

std::mutex g_table_mutex;
std::vector<std::shared_ptr<Timer>> g_timers;
uint32_t g_next_id = 1;

void run_timer(Timer* t)
{
    using clock = std::chrono::steady_clock;
    clock::time_point due = clock::now() + t->period;
    std::unique_lock<std::mutex> lock(t->mutex);
    for (;;) {
        if (t->wake.wait_until(lock, due, [t] { return t->stop; })) return;
        lock.unlock();
        t->fn(t->id, t->user);
        lock.lock();
        // A late callback does not make the next ones crowd in.
        due += t->period;
        if (due < clock::now()) due = clock::now() + t->period;
    }
}

void stop_and_wait(const std::shared_ptr<Timer>& t)
{
    {
        std::lock_guard<std::mutex> lock(t->mutex);
        t->stop = true;
    }
    t->wake.notify_all();
    if (!t->thread.joinable()) return;
    if (t->thread.get_id() == std::this_thread::get_id())
        t->thread.detach(); // the process is ending from inside the callback
    else
        t->thread.join();
}

// Timers still alive when the process ends are stopped before the statics
// they use go away.
struct Reaper {
    ~Reaper()
    {
        std::vector<std::shared_ptr<Timer>> left;
        {
            std::lock_guard<std::mutex> lock(g_table_mutex);
            left.swap(g_timers);
        }
        for (auto& t : left) stop_and_wait(t);
    }
} g_reaper;

} // namespace

uint32_t host_timer_start(uint32_t period_ms, HostTimerFn fn, void* user)
{
    auto t = std::make_shared<Timer>();
    t->period = std::chrono::milliseconds(period_ms ? period_ms : 1);
    t->fn = fn;
    t->user = user;
    std::lock_guard<std::mutex> lock(g_table_mutex);
    t->id = g_next_id++;
    if (g_next_id == 0) g_next_id = 1;
    if (!host_sound_manual_output()) t->thread = std::thread(run_timer, t.get());
    g_timers.push_back(t);
    return t->id;
}

void host_timer_kill(uint32_t id)
{
    std::shared_ptr<Timer> t;
    {
        std::lock_guard<std::mutex> lock(g_table_mutex);
        for (auto it = g_timers.begin(); it != g_timers.end(); ++it) {
            if ((*it)->id != id) continue;
            t = *it;
            if (t->thread.joinable() && t->thread.get_id() == std::this_thread::get_id()) {
                std::lock_guard<std::mutex> stop_lock(t->mutex);
                t->stop = true;
                return;
            }
            g_timers.erase(it);
            break;
        }
    }
    if (t) stop_and_wait(t);
}

void host_timer_run_manual()
{
    std::vector<std::shared_ptr<Timer>> live;
    {
        std::lock_guard<std::mutex> lock(g_table_mutex);
        live = g_timers;
    }
    for (auto& t : live) {
        {
            // Killed by an earlier callback of this round?
            std::lock_guard<std::mutex> lock(g_table_mutex);
            bool listed = false;
            for (auto& u : g_timers) listed = listed || u == t;
            if (!listed) continue;
        }
        if (!t->thread.joinable()) t->fn(t->id, t->user);
    }
}
