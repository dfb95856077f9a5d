#include "cmn/addtimer.h"

#include "cmn/lib.h"

#include <atomic>
#include <mutex>

namespace {
// Each slot is one store, so the timer thread sees it either empty or set;
// the mutex only keeps two adders from taking the same slot.
std::atomic<void (*)()> g_slots[8];
std::mutex g_adding;
} // namespace

void addtimer(void (*callback)())
{
    if (!callback) return;
    {
        std::lock_guard<std::mutex> hold(g_adding);
        for (auto& slot : g_slots)
            if (slot.load() == callback) return;
        for (auto& slot : g_slots) {
            if (!slot.load()) {
                slot.store(callback);
                return;
            }
        }
    }
    LIBFAIL("cmn\\addtimer", "addtimer - LIST FULL\n");
}

void removetimer(void (*callback)())
{
    std::lock_guard<std::mutex> hold(g_adding);
    for (auto& slot : g_slots)
        if (slot.load() == callback) slot.store(nullptr);
}

void cleartimers()
{
    for (auto& slot : g_slots) slot.store(nullptr);
}

int timercount()
{
    int count = 0;
    for (auto& slot : g_slots) count += slot.load() != nullptr;
    return count;
}

void runtimers()
{
    for (auto& slot : g_slots)
        if (auto fn = slot.load()) fn();
}
