// Periodic timers: our stand-in for the system's multimedia timer. Each timer
// runs its callback on a thread of its own, every period, until it is killed.
#pragma once

#include <cstdint>

// The callback gets the timer's own id, so that it can kill itself.
using HostTimerFn = void (*)(uint32_t id, void* user);

// Returns the timer's id, never 0.
uint32_t host_timer_start(uint32_t period_ms, HostTimerFn fn, void* user);
// From another thread: stops the timer and waits until its callback has
// returned, so nothing of it runs afterwards. From the timer's own callback:
// only stops it; the next kill of the same id from another thread waits for
// it. An unknown id is ignored.
void host_timer_kill(uint32_t id);

