#include "win/threads.h"

#include "cmn/lib.h"
#include "cmn/memstd.h"
#include "win/ddraw.h"
#include "win/timer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <new>
#include <thread>

namespace {

// Thrown by exitthread and caught where the thread began.
struct ThreadExit {};
thread_local bool t_started_here = false;

struct MainThread {
    std::atomic<bool> registered{false};
    std::thread::id id;
    LibLock lock = nullptr;
};
MainThread g_main;
std::once_flag g_main_once;

// Read by the new thread; lives on the creator's stack until "started" is
// set. The thread waits for "resume" so that its record is filled before it
// runs, as a thread created suspended would.
struct StartBlock {
    void (*plain)();
    void (*withparam)(uintptr_t);
    uintptr_t parameter;
    std::atomic<bool> resume{false};
    std::atomic<bool> started{false};
};

uint64_t thread_number(std::thread::id id) { return std::hash<std::thread::id>{}(id); }

void thread_body(StartBlock* block)
{
    while (!block->resume.load()) std::this_thread::yield();
    void (*plain)() = block->plain;
    void (*withparam)(uintptr_t) = block->withparam;
    uintptr_t parameter = block->parameter;
    block->started.store(true);
    t_started_here = true;
    try {
        if (withparam) withparam(parameter);
        else plain();
    } catch (const ThreadExit&) {
    }
}

void* start_thread(void (*plain)(), void (*withparam)(uintptr_t), uintptr_t parameter, uint32_t stacksize,
                   int32_t level, ThreadRecord* record)
{
    if (issurfacelocked()) {
        LIBFAIL("win\\threads", "createparamthread - UNLOCK DDRAW SURFACE BEFORE CALLING.\n");
        return nullptr;
    }
    registermainthread();
    StartBlock block{plain, withparam, parameter};
    std::thread* thread = nullptr;
    try {
        thread = new std::thread(thread_body, &block);
    } catch (...) {
        return nullptr;
    }
    if (record) {
        record->handle = thread;
        record->stacksize = stacksize;
        record->level = level < -3 || level > 3 ? 0 : level;
        record->zero = 0;
        record->threadid = thread_number(thread->get_id());
    }
    block.resume.store(true);
    while (!block.started.load()) sleepthread(1);
    return thread;
}

// One mutex for every event, so that a wait for any of several is one
// condition with one predicate.
std::mutex g_event_mutex;
std::condition_variable g_any_event;

} // namespace

struct LibEvent {
    std::condition_variable cv;
    bool manual = false;
    bool signalled = false;
    uint32_t pulses = 0; // a pulse releases the waiters present when it came
    int waiters = 0;
};

struct LibLockRecord {
    std::recursive_mutex cs;
};

void registermainthread()
{
    std::call_once(g_main_once, [] {
        g_main.id = std::this_thread::get_id();
        g_main.lock = createcritical();
        g_main.registered.store(true);
    });
}

LibLock liblock()
{
    registermainthread();
    return g_main.lock;
}

void* createparamthread(void (*fn)(), uint32_t stacksize, int32_t level, uint32_t, ThreadRecord* record)
{
    return start_thread(fn, nullptr, 0, stacksize, level, record);
}

void* createparamthread2(void (*fn)(uintptr_t), uintptr_t parameter, uint32_t stacksize, int32_t level, uint32_t,
                         ThreadRecord* record)
{
    return start_thread(nullptr, fn, parameter, stacksize, level, record);
}

void removethread(ThreadRecord* record)
{
    if (record == LIB_MAINTHREAD) {
        LIBFAIL("win\\threads", "removethread - CANNOT REMOVE THE MAIN THREAD.\n");
        return;
    }
    if (record == LIB_THISTHREAD) {
        exitthread();
        return;
    }
    auto* thread = static_cast<std::thread*>(record->handle);
    if (!thread) return;
    record->handle = nullptr;
    if (thread->get_id() == std::this_thread::get_id()) {
        // A thread removing its own record: let it finish on its own.
        thread->detach();
    } else if (thread->joinable()) {
        thread->join();
    }
    delete thread;
}

void exitthread()
{
    if (t_started_here) throw ThreadExit{};
}

bool isthread(ThreadRecord* record)
{
    if (record == LIB_THISTHREAD) return true;
    if (record == LIB_MAINTHREAD) {
        registermainthread();
        return g_main.id == std::this_thread::get_id();
    }
    return record->threadid == thread_number(std::this_thread::get_id());
}

// The levels stand in for Windows priorities, which a normal Linux user cannot
// raise; the level is kept so that it reads back as set.
int32_t getthreadpriority(ThreadRecord* record)
{
    if (record == LIB_MAINTHREAD || record == LIB_THISTHREAD) return 0;
    return record->level;
}

void setthreadpriority(ThreadRecord* record, int32_t level)
{
    if (record == LIB_MAINTHREAD || record == LIB_THISTHREAD) return;
    record->level = level < -3 || level > 3 ? 0 : level;
}

void sleepthread(uint32_t ms)
{
    if (ms == 0) std::this_thread::yield();
    else std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

static uint32_t ticks_to_ms(uint32_t ticks)
{
    int32_t rate = libsettings.timerrate.load();
    if (rate <= 0 || !timerrunning()) rate = 100;
    return static_cast<uint32_t>(uint64_t{ticks} * 1000u / static_cast<uint32_t>(rate));
}

void sleepticks(uint32_t ticks) { sleepthread(ticks_to_ms(ticks)); }

// ---- events ----

static LibEvent* make_event(bool manual)
{
    auto* e = new (std::nothrow) LibEvent;
    if (e) e->manual = manual;
    return e;
}

LibEvent* createevent() { return make_event(false); }
LibEvent* createmanualevent() { return make_event(true); }

void setevent(LibEvent* e)
{
    if (!e) return;
    std::lock_guard<std::mutex> hold(g_event_mutex);
    e->signalled = true;
    if (e->manual) e->cv.notify_all();
    else e->cv.notify_one();
    g_any_event.notify_all();
}

void resetevent(LibEvent* e)
{
    if (!e) return;
    std::lock_guard<std::mutex> hold(g_event_mutex);
    e->signalled = false;
}

void pulseevent(LibEvent* e)
{
    if (!e) return;
    std::lock_guard<std::mutex> hold(g_event_mutex);
    if (e->waiters > 0) {
        ++e->pulses;
        e->cv.notify_all();
    }
    e->signalled = false;
}

void closeevent(LibEvent* e) { delete e; }

void setandcloseevent(LibEvent* e)
{
    setevent(e);
    closeevent(e);
}

// Takes the signal of an event found set; an auto-reset event is consumed.
static bool take_signal(LibEvent* e)
{
    if (!e->signalled) return false;
    if (!e->manual) e->signalled = false;
    return true;
}

int pollevent(LibEvent* e)
{
    if (!e) return 0;
    std::lock_guard<std::mutex> hold(g_event_mutex);
    return take_signal(e) ? 1 : 0;
}

static bool wait_one(LibEvent* e, const std::chrono::milliseconds* timeout)
{
    std::unique_lock<std::mutex> hold(g_event_mutex);
    uint32_t pulses = e->pulses;
    ++e->waiters;
    auto ready = [&] { return e->signalled || e->pulses != pulses; };
    bool got = true;
    if (timeout) got = e->cv.wait_for(hold, *timeout, ready);
    else e->cv.wait(hold, ready);
    --e->waiters;
    if (got && e->pulses == pulses) take_signal(e);
    return got;
}

void waitevent(LibEvent* e)
{
    if (e) wait_one(e, nullptr);
}

int waiteventticks(LibEvent* e, uint32_t ticks)
{
    if (!e) return 0;
    std::chrono::milliseconds timeout(ticks_to_ms(ticks));
    return wait_one(e, &timeout) ? 1 : 0;
}

LibEvent* waitanyevent(int count, LibEvent* const* events, uint32_t timeout_ms)
{
    if (count <= 0 || !events) return nullptr;
    std::unique_lock<std::mutex> hold(g_event_mutex);
    LibEvent* found = nullptr;
    auto ready = [&] {
        for (int i = 0; i < count; ++i)
            if (events[i] && take_signal(events[i])) return (found = events[i]) != nullptr;
        return false;
    };
    if (timeout_ms == ~0u) g_any_event.wait(hold, ready);
    else g_any_event.wait_for(hold, std::chrono::milliseconds(timeout_ms), ready);
    return found;
}

// ---- last error ----

static thread_local uint32_t t_lasterror = 0;

void setlasterror(uint32_t code) { t_lasterror = code; }
uint32_t getlasterror() { return t_lasterror; }

uint32_t lasterrortext(char* buffer, uint32_t size)
{
    uint32_t code = t_lasterror & 0xFFFF;
    if (buffer && size) std::snprintf(buffer, size, "[%5d] sorry, not implemented", static_cast<int>(code));
    return code;
}

// ---- lock pool ----

namespace {
constexpr uint32_t FREE_MARKER = 0x46524545; // "FREE"

// What a pool record holds while it is on the free list.
struct PoolLink {
    PoolLink* next;
    uint32_t marker;
};
static_assert(sizeof(PoolLink) <= sizeof(LibLockRecord));

std::mutex g_pool_mutex; // locks are made from any thread here
PoolLink* g_pool_free = nullptr;
uint32_t g_pool_batch = 32;

void push_free(void* storage)
{
    g_pool_free = new (storage) PoolLink{g_pool_free, FREE_MARKER};
}

bool grow_pool()
{
    uint32_t bytes = g_pool_batch * static_cast<uint32_t>(sizeof(LibLockRecord));
    auto* page = static_cast<uint8_t*>(pagealloc(&bytes));
    if (!page) return false;
    g_pool_batch = bytes / static_cast<uint32_t>(sizeof(LibLockRecord));
    for (uint32_t i = g_pool_batch; i-- > 0;) push_free(page + i * sizeof(LibLockRecord));
    return true;
}
} // namespace

LibLock createcritical()
{
    std::lock_guard<std::mutex> hold(g_pool_mutex);
    if (!g_pool_free && !grow_pool()) return nullptr;
    PoolLink* link = g_pool_free;
    g_pool_free = link->next;
    return new (static_cast<void*>(link)) LibLockRecord{};
}

int trycritical(LibLock lock, uint32_t ms)
{
    if (!lock) return 0;
    for (uint32_t waited = 0;; ++waited) {
        if (lock->cs.try_lock()) return 1;
        if (waited >= ms) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void entercritical(LibLock lock)
{
    if (lock) lock->cs.lock();
}

void leavecritical(LibLock lock)
{
    if (lock) lock->cs.unlock();
}

void deletecritical(LibLock lock)
{
    if (!lock) return;
    std::lock_guard<std::mutex> hold(g_pool_mutex);
    lock->~LibLockRecord();
    push_free(lock);
}
